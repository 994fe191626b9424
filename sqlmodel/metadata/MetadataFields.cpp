#include "sqlmodel/metadata/MetadataFields.h"
#include "classlib/Assert.h"
#include "sqlmodel/metadata/MetadataNames.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/sql/QueryStatistics.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_METADATA_CLASS(TnvMetadataField, TnvMetadataCollectionItemBase)
NV_IMPLEMENT_METADATA_CLASS(TnvMetadataFieldsList, TnvMetadataCollectionBase)
NV_IMPLEMENT_METADATA_CLASS(TnvMetadataFieldNamesList, TnvMetadataBase)

// ---------------------------------------------------------------------------
// TnvMetadataField

TnvMetadataField::TnvMetadataField(TnvMetadataBase *owner)
    : TnvMetadataCollectionItemBase(owner), FName(Create<TSQLQualifiedName>(SyntaxProvider())),
      FStatsObjects(Create<TnvStatsObjects>(SyntaxProvider())), FStatsColumns(Create<TnvStatsColumns>(SyntaxProvider()))
{
}

TnvMetadataField::~TnvMetadataField() { ClearTrackedReferences(); }

TnvMetadataFieldsList *TnvMetadataField::FieldsList() const { return As<TnvMetadataFieldsList>(Collection()); }

void TnvMetadataField::SetName(const TSQLQualifiedName *name)
{
    if (name == FName.get())
        return;
    CopyMetadataName(FName.get(), name, SyntaxProvider());
    NotifyUpdated();
}

QString TnvMetadataField::NameStr() const { return MetadataNameStr(FName.get()); }

QString TnvMetadataField::NameStrNotQuoted() const { return MetadataNameStrNotQuoted(FName.get()); }

void TnvMetadataField::SetNameStr(const QString &text)
{
    if (text == NameStr())
        return;
    TOwned<TSQLQualifiedName> parsed = ParseMetadataName(SyntaxProvider(), text);
    CopyMetadataName(FName.get(), parsed.get(), SyntaxProvider());
    NotifyUpdated();
}

void TnvMetadataField::SetNameToken(const TastToken *token)
{
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(SyntaxProvider());
    if (token)
        name->Add(token->Clone());
    CopyMetadataName(FName.get(), name.get(), SyntaxProvider());
    NotifyUpdated();
}

void TnvMetadataField::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    TnvUpdateScope scope(this);
    TnvMetadataCollectionItemBase::Assign(source);
    const auto *other = As<TnvMetadataField>(static_cast<const TObject *>(source));
    if (!other)
        return;
    CopyMetadataName(FName.get(), other->FName.get(), SyntaxProvider());
    FFieldType = other->FFieldType;
    FSize = other->FSize;
    FPrecision = other->FPrecision;
    FPrimaryKey = other->FPrimaryKey;
    FNullable = other->FNullable;
    FReadOnly = other->FReadOnly;
    FShortDescription = other->FShortDescription;
    FLongDescription = other->FLongDescription;
    FAltName = other->FAltName;
    FStatsObjects->Assign(other->FStatsObjects.get());
    FStatsColumns->Assign(other->FStatsColumns.get());
    NotifyUpdated();
}

void TnvMetadataField::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvMetadataCollectionItemBase::SetSyntaxProvider(provider);
    FName->SetSyntaxProvider(provider);
    FStatsObjects->SetSyntaxProvider(provider);
    FStatsColumns->SetSyntaxProvider(provider);
}

// ---------------------------------------------------------------------------
// TnvMetadataFieldsList

TnvMetadataFieldsList::TnvMetadataFieldsList(TnvMetadataBase *owner)
    : TnvMetadataCollectionBase(owner, TnvMetadataField::StaticClassType())
{
}

TnvMetadataField *TnvMetadataFieldsList::AddField(const TSQLQualifiedName *name, TFieldType fieldType, int size,
                                                  bool nullable, bool readOnly, const QString &shortDescription,
                                                  const QString &longDescription, const QString &altName)
{
    TnvUpdateScope scope(this);
    TnvMetadataField *field = Add();
    TnvUpdateScope fieldScope(field);
    field->SetName(name);
    field->SetFieldType(fieldType);
    field->SetSize(size);
    field->SetNullable(nullable);
    field->SetReadOnly(readOnly);
    field->SetShortDescription(shortDescription);
    field->SetLongDescription(longDescription);
    field->SetAltName(altName);
    return field;
}

TnvMetadataField *TnvMetadataFieldsList::AddField(const QString &text)
{
    Assert(SyntaxProvider() != nullptr, "nvQBBase", "AddField of a text without a syntax provider");
    TOwned<TSQLQualifiedName> name = SyntaxProvider()->ParseQualifiedNameQuoteIfNeed(text);
    if (!name)
        throw EnvQueryBuilderError(nvQBMessage(nvQBBadObjectName));
    return AddField(name.get(), ftUnknown, 0, true, false);
}

TnvMetadataField *TnvMetadataFieldsList::AddField(const TFieldDef &def)
{
    const bool caseSensitive = SyntaxProvider() && SyntaxProvider()->IsIdentifiersCaseSensitive();
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(SyntaxProvider());
    name->AddName(def.Name(), caseSensitive);
    TnvUpdateScope scope(this);
    TnvMetadataField *field = AddField(name.get(), def.DataType(), def.Size(), !def.Required(), def.ReadOnly());
    field->SetPrecision(def.Precision());
    return field;
}

qsizetype TnvMetadataFieldsList::FindFieldByName(const QString &text) const
{
    const QString key = text.toUpper();
    for (qsizetype i = 0; i < Count(); ++i) {
        const TSQLQualifiedName *name = Items(i)->Name();
        if (name->GetCount() == 1 && name->GetItems(0)->Text().toUpper() == key)
            return i;
    }
    return -1;
}

qsizetype TnvMetadataFieldsList::FindFieldByName(const TSQLQualifiedName *name) const
{
    for (qsizetype i = 0; i < Count(); ++i)
        if (MetadataNamesEqual(SyntaxProvider(), Items(i)->Name(), name))
            return i;
    return -1;
}

void TnvMetadataFieldsList::Assign(const TPersistent *source)
{
    TnvMetadataCollectionBase::Assign(source);
    // A copy of a filled list is as complete as its source.
    if (const auto *other = As<TnvMetadataFieldsList>(static_cast<const TObject *>(source)))
        FLoaded = other->FLoaded;
}

// ---------------------------------------------------------------------------
// TnvMetadataFieldNamesList

TnvMetadataFieldNamesList::TnvMetadataFieldNamesList(TnvMetadataBase *owner) : TnvMetadataBase(owner) {}

TnvMetadataFieldNamesList::~TnvMetadataFieldNamesList() = default;

void TnvMetadataFieldNamesList::CheckIndex(qsizetype index, qsizetype limit) const
{
    if (index < 0 || index >= limit)
        ListIndexError(index);
}

qsizetype TnvMetadataFieldNamesList::Add(const TSQLQualifiedName *name)
{
    Insert(Count(), name);
    return Count() - 1;
}

qsizetype TnvMetadataFieldNamesList::AddField(const QString &text)
{
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(SyntaxProvider());
    name->AddName(text);
    AdoptName(std::move(name));
    return Count() - 1;
}

qsizetype TnvMetadataFieldNamesList::AddField(const QString &text, bool caseSensitive)
{
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(SyntaxProvider());
    name->AddName(text, caseSensitive);
    AdoptName(std::move(name));
    return Count() - 1;
}

qsizetype TnvMetadataFieldNamesList::AddField(const TastTokenIdentifier *identifier)
{
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(SyntaxProvider());
    if (identifier)
        name->Add(identifier->Clone());
    AdoptName(std::move(name));
    return Count() - 1;
}

void TnvMetadataFieldNamesList::Insert(qsizetype index, const TSQLQualifiedName *name)
{
    CheckIndex(index, Count() + 1);
    TOwned<TSQLQualifiedName> copy = Create<TSQLQualifiedName>(SyntaxProvider());
    CopyMetadataName(copy.get(), name, SyntaxProvider());
    FItems.insert(FItems.begin() + index, std::move(copy));
    NotifyUpdated();
}

void TnvMetadataFieldNamesList::AdoptName(TOwned<TSQLQualifiedName> name)
{
    if (name->SyntaxProvider() != SyntaxProvider())
        name->SetSyntaxProvider(SyntaxProvider());
    FItems.push_back(std::move(name));
    NotifyUpdated();
}

void TnvMetadataFieldNamesList::Delete(qsizetype index)
{
    CheckIndex(index, Count());
    FItems.erase(FItems.begin() + index);
    NotifyUpdated();
}

void TnvMetadataFieldNamesList::Remove(const TSQLQualifiedName *name)
{
    const qsizetype index = IndexOf(name);
    Assert(index >= 0, "nvQBBase", "Removing a name that is not in the list");
    Delete(index);
}

void TnvMetadataFieldNamesList::Move(qsizetype from, qsizetype to)
{
    if (from == to)
        return;
    CheckIndex(from, Count());
    CheckIndex(to, Count());
    TOwned<TSQLQualifiedName> name = std::move(FItems[size_t(from)]);
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, std::move(name));
    NotifyUpdated();
}

void TnvMetadataFieldNamesList::Clear()
{
    if (FItems.empty())
        return;
    FItems.clear();
    NotifyUpdated();
}

TSQLQualifiedName *TnvMetadataFieldNamesList::Items(qsizetype index) const
{
    CheckIndex(index, Count());
    return FItems[size_t(index)].get();
}

qsizetype TnvMetadataFieldNamesList::IndexOf(const TSQLQualifiedName *name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == name)
            return qsizetype(i);
    return -1;
}

void TnvMetadataFieldNamesList::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    TnvUpdateScope scope(this);
    TnvMetadataBase::Assign(source);
    const auto *other = As<TnvMetadataFieldNamesList>(static_cast<const TObject *>(source));
    if (!other)
        return;
    std::vector<TOwned<TSQLQualifiedName>> copies;
    copies.reserve(other->FItems.size());
    for (const TOwned<TSQLQualifiedName> &name : other->FItems) {
        TOwned<TSQLQualifiedName> copy = Create<TSQLQualifiedName>(SyntaxProvider());
        CopyMetadataName(copy.get(), name.get(), SyntaxProvider());
        copies.push_back(std::move(copy));
    }
    FItems.swap(copies);
    copies.clear();
    NotifyUpdated();
}

void TnvMetadataFieldNamesList::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvMetadataBase::SetSyntaxProvider(provider);
    for (const TOwned<TSQLQualifiedName> &name : FItems)
        name->SetSyntaxProvider(provider);
}

} // namespace nvqb
