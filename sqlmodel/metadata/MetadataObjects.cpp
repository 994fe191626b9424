#include "sqlmodel/metadata/MetadataObjects.h"
#include "classlib/Assert.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataNames.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <QVarLengthArray>

namespace nvqb {

NV_IMPLEMENT_METADATA_CLASS(TnvMetadataObject, TnvMetadataBase)
NV_IMPLEMENT_METADATA_CLASS(TnvMetadataTable, TnvMetadataObject)
NV_IMPLEMENT_METADATA_CLASS(TnvMetadataView, TnvMetadataObject)
NV_IMPLEMENT_METADATA_CLASS(TnvMetadataProcedure, TnvMetadataObject)
NV_IMPLEMENT_METADATA_CLASS(TnvMetadataSynonym, TnvMetadataObject)

namespace {
template <class T> TOwned<T> CreateMetadataPart(TnvMetadataBase *owner)
{
    return TOwned<T>(static_cast<T *>(TnvMetadataBase::CreateOf(T::StaticClassType(), owner).release()));
}

QString ProbeQuery(const TSQLQualifiedName *fullName)
{
    return QStringLiteral("select * from ") + MetadataNameStr(fullName) + QStringLiteral(" where 0<>0");
}
} // namespace

// ---------------------------------------------------------------------------
// TnvMetadataObject

TnvMetadataObject::TnvMetadataObject(TnvMetadataBase *owner)
    : TnvMetadataBase(owner),
      FDatabase(Create<TSQLQualifiedName>(SyntaxProvider())),
      FSchema(Create<TastTokenIdentifier>(SyntaxProvider())),
      FName(Create<TastTokenIdentifier>(SyntaxProvider())),
      FSchemedName(Create<TSQLQualifiedName>(SyntaxProvider())),
      FFullName(Create<TSQLQualifiedName>(SyntaxProvider()))
{
    Assert(!owner || owner->Is<TnvMetadataContainer>(), "nvQBBase", "A metadata object whose owner is not a container");
    FFields = CreateMetadataPart<TnvMetadataFieldsList>(this);
    FRelations = CreateMetadataPart<TnvMetadataRelationsList>(this);
    BuildMetadataFullName(FSchemedName.get(), FFullName.get(), FDatabase.get(), FSchema.get(), FName.get());
}

TnvMetadataObject::~TnvMetadataObject() = default;

void TnvMetadataObject::BeforeDestruction()
{
    // Tree nodes that point here read nil from now on.
    ClearTrackedReferences();
    if (FHashBucket)
        FHashBucket->Remove(this);
    TnvMetadataBase::BeforeDestruction();
}

TnvMetadataContainer *TnvMetadataObject::Container() const
{
    return static_cast<TnvMetadataContainer *>(MetadataOwner());
}

void TnvMetadataObject::SetDatabase(const TSQLQualifiedName *name)
{
    CopyMetadataName(FDatabase.get(), name, SyntaxProvider());
    UpdateFullName();
    NotifyUpdated();
}

void TnvMetadataObject::SetSchema(const TastTokenIdentifier *identifier)
{
    CopyMetadataIdentifier(FSchema.get(), identifier, SyntaxProvider());
    UpdateFullName();
    NotifyUpdated();
}

void TnvMetadataObject::SetName(const TastTokenIdentifier *identifier)
{
    CopyMetadataIdentifier(FName.get(), identifier, SyntaxProvider());
    UpdateFullName();
    NotifyUpdated();
}

void TnvMetadataObject::SetSchemaStr(const QString &text)
{
    FSchema->SetText(text);
    UpdateFullName();
    NotifyUpdated();
}

void TnvMetadataObject::SetNameStr(const QString &text)
{
    FName->SetText(text);
    UpdateFullName();
    NotifyUpdated();
}

void TnvMetadataObject::SetDatabaseStr(const QString &text)
{
    if (text == GetDatabaseStr())
        return;
    TOwned<TSQLQualifiedName> parsed = ParseMetadataName(SyntaxProvider(), text);
    SetDatabase(parsed.get());
}

QString TnvMetadataObject::GetDatabaseStr() const { return MetadataNameStr(FDatabase.get()); }
QString TnvMetadataObject::GetSchemaStr() const { return MetadataIdentifierStr(FSchema.get()); }
QString TnvMetadataObject::GetNameStr() const { return MetadataIdentifierStr(FName.get()); }
QString TnvMetadataObject::GetSchemedNameStr() const { return MetadataNameStr(FSchemedName.get()); }
QString TnvMetadataObject::GetFullNameStr() const { return MetadataNameStr(FFullName.get()); }
QString TnvMetadataObject::GetDatabaseStrNotQuoted() const { return MetadataNameStrNotQuoted(FDatabase.get()); }
QString TnvMetadataObject::GetSchemaStrNotQuoted() const { return MetadataIdentifierStrNotQuoted(FSchema.get()); }
QString TnvMetadataObject::GetNameStrNotQuoted() const { return MetadataIdentifierStrNotQuoted(FName.get()); }
QString TnvMetadataObject::GetSchemedNameStrNotQuoted() const
{
    return MetadataNameStrNotQuoted(FSchemedName.get());
}
QString TnvMetadataObject::GetFullNameStrNotQuoted() const { return MetadataNameStrNotQuoted(FFullName.get()); }

void TnvMetadataObject::UpdateFullName()
{
    BuildMetadataFullName(FSchemedName.get(), FFullName.get(), FDatabase.get(), FSchema.get(), FName.get());
    FNameKey = TnvMetadataObjectHash::NameKeyOf(FName->Text());
    const quint32 hash = TnvMetadataObjectHash::HashOfKey(FNameKey);
    if (hash == FNameHash)
        return;
    FNameHash = hash;
    if (FHashBucket)
        FHashBucket->Hash()->ReHash(this);
}

bool TnvMetadataObject::IsNameEqual(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                    const TSQLQualifiedName *database) const
{
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    return MetadataIdentifiersEqual(provider, FName.get(), name) &&
           MetadataIdentifiersEqual(provider, FSchema.get(), schema) &&
           MetadataNamesEqual(provider, FDatabase.get(), database);
}

bool TnvMetadataObject::IsFullNameEqual(const TSQLQualifiedName *fullName) const
{
    return MetadataNamesEqual(SyntaxProvider(), FFullName.get(), fullName);
}

TnvMetadataFieldsList *TnvMetadataObject::GetFields() const { return FFields.get(); }

void TnvMetadataObject::SetFields(const TnvMetadataFieldsList *list)
{
    TnvMetadataFieldsList *fields = GetFields();
    if (list == fields)
        return;
    fields->Assign(list);
    fields->SetSyntaxProvider(fields->MetadataOwner()->SyntaxProvider());
}

TnvMetadataRelationsList *TnvMetadataObject::GetRelations() const { return FRelations.get(); }

void TnvMetadataObject::SetRelations(const TnvMetadataRelationsList *list)
{
    TnvMetadataRelationsList *relations = GetRelations();
    if (list == relations)
        return;
    relations->Assign(list);
    relations->SetSyntaxProvider(relations->MetadataOwner()->SyntaxProvider());
}

QString TnvMetadataObject::GetFieldsSQL() const { return QString(); }

void TnvMetadataObject::LoadFields() { LoadOwnFields(); }

void TnvMetadataObject::LoadOwnFields()
{
    if (FFields->Loaded())
        return;
    if (!SyntaxProvider())
        throw EnvQueryBuilderError(nvQBMessage(nvQBNoSyntaxProvider));
    TnvMetadataContainer *container = Container();
    if (!container || !container->MetadataProvider())
        throw EnvQueryBuilderError(nvQBMessage(nvQBNoMetadataProvider));
    TnvUpdateScope scope(this);
    container->MetadataProvider()->LoadFields(this);
}

void TnvMetadataObject::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    TnvUpdateScope scope(this);
    TnvMetadataBase::Assign(source);
    const auto *other = As<TnvMetadataObject>(static_cast<const TObject *>(source));
    if (!other)
        return;
    CopyMetadataName(FDatabase.get(), other->FDatabase.get(), SyntaxProvider());
    CopyMetadataIdentifier(FSchema.get(), other->FSchema.get(), SyntaxProvider());
    CopyMetadataIdentifier(FName.get(), other->FName.get(), SyntaxProvider());
    UpdateFullName();
    FSystem = other->FSystem;
    FVisible = other->FVisible;
    FShortDescription = other->FShortDescription;
    FLongDescription = other->FLongDescription;
    FRemarks = other->FRemarks;
    FFields->Assign(other->FFields.get());
    FFields->SetSyntaxProvider(SyntaxProvider());
    FRelations->Assign(other->FRelations.get());
    FRelations->SetSyntaxProvider(SyntaxProvider());
    NotifyUpdated();
}

void TnvMetadataObject::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvMetadataBase::SetSyntaxProvider(provider);
    FDatabase->SetSyntaxProvider(provider);
    FSchema->SetSyntaxProvider(provider);
    FName->SetSyntaxProvider(provider);
    FSchemedName->SetSyntaxProvider(provider);
    FFullName->SetSyntaxProvider(provider);
    FFields->SetSyntaxProvider(provider);
    FRelations->SetSyntaxProvider(provider);
}

QString TnvMetadataTable::GetFieldsSQL() const { return ProbeQuery(FullName()); }

QString TnvMetadataView::GetFieldsSQL() const { return ProbeQuery(FullName()); }

// ---------------------------------------------------------------------------
// TnvMetadataSynonym

TnvMetadataSynonym::TnvMetadataSynonym(TnvMetadataBase *owner)
    : TnvMetadataObject(owner),
      FRefDatabase(Create<TSQLQualifiedName>(SyntaxProvider())),
      FRefSchema(Create<TastTokenIdentifier>(SyntaxProvider())),
      FRefName(Create<TastTokenIdentifier>(SyntaxProvider())),
      FRefSchemedName(Create<TSQLQualifiedName>(SyntaxProvider())),
      FRefFullName(Create<TSQLQualifiedName>(SyntaxProvider()))
{
}

TnvMetadataSynonym::~TnvMetadataSynonym() = default;

void TnvMetadataSynonym::SetReferencedDatabase(const TSQLQualifiedName *name)
{
    CopyMetadataName(FRefDatabase.get(), name, SyntaxProvider());
    UpdateReferencedFullName();
    NotifyUpdated();
}

void TnvMetadataSynonym::SetReferencedSchema(const TastTokenIdentifier *identifier)
{
    CopyMetadataIdentifier(FRefSchema.get(), identifier, SyntaxProvider());
    UpdateReferencedFullName();
    NotifyUpdated();
}

void TnvMetadataSynonym::SetReferencedName(const TastTokenIdentifier *identifier)
{
    CopyMetadataIdentifier(FRefName.get(), identifier, SyntaxProvider());
    UpdateReferencedFullName();
    NotifyUpdated();
}

void TnvMetadataSynonym::UpdateReferencedFullName()
{
    // Nothing is referenced until a name is given.
    if (FRefName->IsEmpty() && FRefSchema->IsEmpty() && IsQualifiedNameEmpty(FRefDatabase.get())) {
        FRefSchemedName->Clear();
        FRefFullName->Clear();
        return;
    }
    BuildMetadataFullName(FRefSchemedName.get(), FRefFullName.get(), FRefDatabase.get(), FRefSchema.get(),
                          FRefName.get());
}

TnvMetadataObject *TnvMetadataSynonym::GetReferencedObject() const
{
    TnvMetadataContainer *container = Container();
    if (!container || IsQualifiedNameEmpty(FRefFullName.get()))
        return nullptr;
    return container->FindObjectByFullName(FRefFullName.get());
}

TnvMetadataObject *TnvMetadataSynonym::GetTargetObject() const
{
    QVarLengthArray<const TnvMetadataObject *, 8> visited;
    const TnvMetadataObject *current = this;
    visited.append(this);
    for (;;) {
        const auto *synonym = static_cast<const TnvMetadataSynonym *>(current);
        TnvMetadataObject *next = synonym->GetReferencedObject();
        if (!next)
            return const_cast<TnvMetadataObject *>(current);
        if (!next->Is<TnvMetadataSynonym>())
            return next;
        if (visited.contains(next))
            return const_cast<TnvMetadataSynonym *>(this);
        visited.append(next);
        current = next;
    }
}

TnvMetadataFieldsList *TnvMetadataSynonym::GetFields() const
{
    TnvMetadataObject *target = GetTargetObject();
    return target == this ? OwnFields() : target->GetFields();
}

void TnvMetadataSynonym::SetFields(const TnvMetadataFieldsList *list)
{
    TnvMetadataObject *target = GetTargetObject();
    if (target == this)
        TnvMetadataObject::SetFields(list);
    else
        target->SetFields(list);
}

TnvMetadataRelationsList *TnvMetadataSynonym::GetRelations() const
{
    TnvMetadataObject *target = GetTargetObject();
    return target == this ? OwnRelations() : target->GetRelations();
}

void TnvMetadataSynonym::SetRelations(const TnvMetadataRelationsList *list)
{
    TnvMetadataObject *target = GetTargetObject();
    if (target == this)
        TnvMetadataObject::SetRelations(list);
    else
        target->SetRelations(list);
}

QString TnvMetadataSynonym::GetFieldsSQL() const { return ProbeQuery(FullName()); }

void TnvMetadataSynonym::LoadFields()
{
    TnvMetadataObject *target = GetTargetObject();
    if (target == this)
        LoadOwnFields();
    else
        target->LoadFields();
}

void TnvMetadataSynonym::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    TnvUpdateScope scope(this);
    TnvMetadataObject::Assign(source);
    const auto *other = As<TnvMetadataSynonym>(static_cast<const TObject *>(source));
    if (!other)
        return;
    CopyMetadataName(FRefDatabase.get(), other->FRefDatabase.get(), SyntaxProvider());
    CopyMetadataIdentifier(FRefSchema.get(), other->FRefSchema.get(), SyntaxProvider());
    CopyMetadataIdentifier(FRefName.get(), other->FRefName.get(), SyntaxProvider());
    UpdateReferencedFullName();
    NotifyUpdated();
}

void TnvMetadataSynonym::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvMetadataObject::SetSyntaxProvider(provider);
    // The referenced name is printed and compared like the object's own, so
    // it must not keep a provider the synonym no longer uses.
    FRefDatabase->SetSyntaxProvider(provider);
    FRefSchema->SetSyntaxProvider(provider);
    FRefName->SetSyntaxProvider(provider);
    FRefSchemedName->SetSyntaxProvider(provider);
    FRefFullName->SetSyntaxProvider(provider);
}

} // namespace nvqb
