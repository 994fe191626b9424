#include "sqlmodel/metadata/MetadataRelations.h"
#include "classlib/Assert.h"
#include "sqlmodel/metadata/MetadataNames.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_METADATA_CLASS(TnvMetadataRelation, TnvMetadataCollectionItemBase)
NV_IMPLEMENT_METADATA_CLASS(TnvMetadataRelationsList, TnvMetadataCollectionBase)

TnvMetadataRelation::TnvMetadataRelation(TnvMetadataBase *owner)
    : TnvMetadataCollectionItemBase(owner),
      FChildDatabase(Create<TSQLQualifiedName>(SyntaxProvider())),
      FChildSchema(Create<TastTokenIdentifier>(SyntaxProvider())),
      FChildName(Create<TastTokenIdentifier>(SyntaxProvider())),
      FChildSchemedName(Create<TSQLQualifiedName>(SyntaxProvider())),
      FChildFullName(Create<TSQLQualifiedName>(SyntaxProvider()))
{
    FKeyFields.reset(static_cast<TnvMetadataFieldNamesList *>(
        CreateOf(TnvMetadataFieldNamesList::StaticClassType(), this).release()));
    FChildFields.reset(static_cast<TnvMetadataFieldNamesList *>(
        CreateOf(TnvMetadataFieldNamesList::StaticClassType(), this).release()));
    UpdateChildFullName();
}

TnvMetadataRelation::~TnvMetadataRelation() = default;

TnvMetadataRelationsList *TnvMetadataRelation::GetRelations() const
{
    return As<TnvMetadataRelationsList>(Collection());
}

void TnvMetadataRelation::SetKeyFields(const TnvMetadataFieldNamesList *list) { FKeyFields->Assign(list); }

void TnvMetadataRelation::SetChildFields(const TnvMetadataFieldNamesList *list) { FChildFields->Assign(list); }

void TnvMetadataRelation::SetChildDatabase(const TSQLQualifiedName *name)
{
    CopyMetadataName(FChildDatabase.get(), name, SyntaxProvider());
    UpdateChildFullName();
    NotifyUpdated();
}

void TnvMetadataRelation::SetChildSchema(const TastTokenIdentifier *identifier)
{
    CopyMetadataIdentifier(FChildSchema.get(), identifier, SyntaxProvider());
    UpdateChildFullName();
    NotifyUpdated();
}

void TnvMetadataRelation::SetChildName(const TastTokenIdentifier *identifier)
{
    CopyMetadataIdentifier(FChildName.get(), identifier, SyntaxProvider());
    UpdateChildFullName();
    NotifyUpdated();
}

void TnvMetadataRelation::SetChildDatabaseStr(const QString &text)
{
    if (text == GetChildDatabaseStr())
        return;
    TOwned<TSQLQualifiedName> parsed = ParseMetadataName(SyntaxProvider(), text);
    SetChildDatabase(parsed.get());
}

void TnvMetadataRelation::SetChildSchemaStr(const QString &text)
{
    FChildSchema->SetText(text);
    UpdateChildFullName();
    NotifyUpdated();
}

void TnvMetadataRelation::SetChildNameStr(const QString &text)
{
    FChildName->SetText(text);
    UpdateChildFullName();
    NotifyUpdated();
}

QString TnvMetadataRelation::GetChildDatabaseStr() const { return MetadataNameStr(FChildDatabase.get()); }
QString TnvMetadataRelation::GetChildSchemaStr() const { return MetadataIdentifierStr(FChildSchema.get()); }
QString TnvMetadataRelation::GetChildNameStr() const { return MetadataIdentifierStr(FChildName.get()); }
QString TnvMetadataRelation::GetChildTableStr() const { return MetadataNameStr(FChildFullName.get()); }
QString TnvMetadataRelation::GetChildDatabaseStrNotQuoted() const
{
    return MetadataNameStrNotQuoted(FChildDatabase.get());
}
QString TnvMetadataRelation::GetChildSchemaStrNotQuoted() const
{
    return MetadataIdentifierStrNotQuoted(FChildSchema.get());
}
QString TnvMetadataRelation::GetChildNameStrNotQuoted() const
{
    return MetadataIdentifierStrNotQuoted(FChildName.get());
}
QString TnvMetadataRelation::GetChildTableStrNotQuoted() const
{
    return MetadataNameStrNotQuoted(FChildFullName.get());
}

void TnvMetadataRelation::UpdateChildFullName()
{
    BuildMetadataFullName(FChildSchemedName.get(), FChildFullName.get(), FChildDatabase.get(), FChildSchema.get(),
                          FChildName.get());
}

void TnvMetadataRelation::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    TnvUpdateScope scope(this);
    TnvMetadataCollectionItemBase::Assign(source);
    const auto *other = As<TnvMetadataRelation>(static_cast<const TObject *>(source));
    if (!other)
        return;
    FKeyFields->Assign(other->FKeyFields.get());
    CopyMetadataIdentifier(FChildSchema.get(), other->FChildSchema.get(), SyntaxProvider());
    CopyMetadataIdentifier(FChildName.get(), other->FChildName.get(), SyntaxProvider());
    CopyMetadataName(FChildDatabase.get(), other->FChildDatabase.get(), SyntaxProvider());
    UpdateChildFullName();
    FChildFields->Assign(other->FChildFields.get());
    NotifyUpdated();
}

void TnvMetadataRelation::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvMetadataCollectionItemBase::SetSyntaxProvider(provider);
    FKeyFields->SetSyntaxProvider(provider);
    FChildDatabase->SetSyntaxProvider(provider);
    FChildSchema->SetSyntaxProvider(provider);
    FChildName->SetSyntaxProvider(provider);
    FChildSchemedName->SetSyntaxProvider(provider);
    FChildFullName->SetSyntaxProvider(provider);
    FChildFields->SetSyntaxProvider(provider);
}

// ---------------------------------------------------------------------------
// TnvMetadataRelationsList

TnvMetadataRelationsList::TnvMetadataRelationsList(TnvMetadataBase *owner)
    : TnvMetadataCollectionBase(owner, TnvMetadataRelation::StaticClassType())
{
}

TnvMetadataRelation *TnvMetadataRelationsList::AddRelation(const TnvMetadataFieldNamesList *keyFields,
                                                           const TastTokenIdentifier *childName,
                                                           const TastTokenIdentifier *childSchema,
                                                           const TSQLQualifiedName *childDatabase,
                                                           const TnvMetadataFieldNamesList *childFields)
{
    TnvUpdateScope scope(this);
    TnvMetadataRelation *relation = Add();
    TnvUpdateScope relationScope(relation);
    relation->SetKeyFields(keyFields);
    relation->SetChildDatabase(childDatabase);
    relation->SetChildSchema(childSchema);
    relation->SetChildName(childName);
    relation->SetChildFields(childFields);
    return relation;
}

namespace {
bool SameNames(const TnvBaseSyntaxProvider *provider, const TnvMetadataFieldNamesList *mine,
               const TnvMetadataFieldNamesList *given)
{
    const qsizetype count = given ? given->Count() : 0;
    if (mine->Count() != count)
        return false;
    for (qsizetype i = 0; i < count; ++i)
        if (!provider->IsQualifiedNamesEqual(mine->Items(i), given->Items(i)))
            return false;
    return true;
}
} // namespace

qsizetype TnvMetadataRelationsList::FindRelation(const TnvMetadataFieldNamesList *keyFields,
                                                 const TastTokenIdentifier *childName,
                                                 const TastTokenIdentifier *childSchema,
                                                 const TSQLQualifiedName *childDatabase,
                                                 const TnvMetadataFieldNamesList *childFields) const
{
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvQBBase", "FindRelation without a syntax provider");
    for (qsizetype i = 0; i < Count(); ++i) {
        const TnvMetadataRelation *relation = Items(i);
        if (MetadataIdentifiersEqual(provider, relation->ChildName(), childName) &&
            MetadataIdentifiersEqual(provider, relation->ChildSchema(), childSchema) &&
            provider->IsQualifiedNamesEqual(relation->ChildDatabase(), childDatabase) &&
            SameNames(provider, relation->KeyFields(), keyFields) &&
            SameNames(provider, relation->ChildFields(), childFields))
            return i;
    }
    return -1;
}

} // namespace nvqb
