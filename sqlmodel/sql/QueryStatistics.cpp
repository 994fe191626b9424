#include "sqlmodel/sql/QueryStatistics.h"
#include "classlib/Assert.h"
#include "sqlmodel/sql/NameFoldKeys.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvStatsObject, TPersistent)
NV_IMPLEMENT_CLASS(TnvStatsColumn, TPersistent)
NV_IMPLEMENT_CLASS(TnvStatsObjects, TPersistent)
NV_IMPLEMENT_CLASS(TnvStatsColumns, TPersistent)

TnvStatsName MakeStatsName(TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *name)
{
    Assert(!IsQualifiedNameEmpty(name), "nvAST", "A statistics entry without a name");
    TOwned<TSQLQualifiedName> copy = Create<TSQLQualifiedName>(provider);
    copy->Assign(name);
    copy->SetSyntaxProvider(provider);
    return TnvStatsName(copy.release(), TObjectFree());
}

namespace {
// The shared copy when it was made for the provider, else a copy of it.
TnvStatsName ShareName(TnvBaseSyntaxProvider *provider, const TnvStatsName &name)
{
    Assert(name != nullptr, "nvAST", "A statistics entry without a name");
    return name->SyntaxProvider() == provider ? name : MakeStatsName(provider, name.get());
}

// The copies a name is shared between belong to one tree and its fields,
// which change provider together: the name follows in place. (A copy made
// now would read the name through the old provider, which may be going.)
void SetNameProvider(const TnvStatsName &name, TnvBaseSyntaxProvider *provider)
{
    if (name && name->SyntaxProvider() != provider)
        const_cast<TSQLQualifiedName *>(name.get())->SetSyntaxProvider(provider);
}

bool NamesEqual(TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *a, const TSQLQualifiedName *b)
{
    Assert(provider != nullptr, "nvAST", "Statistics compared by name without a syntax provider");
    return provider->IsQualifiedNamesEqual(a, b);
}

// Shorter lists are walked: an index would cost more than it saves.
constexpr size_t IndexFrom = 16;

// Brings the list's index up to the list's end, filing each new entry;
// nil while the list is short.
template <class TIndex, class TItems, class TFile>
const TIndex *UpdatedIndex(const TItems &items, std::unique_ptr<TIndex> &index, TFile file)
{
    if (items.size() < IndexFrom)
        return nullptr;
    if (!index)
        index = std::make_unique<TIndex>();
    for (; index->Indexed < items.size(); ++index->Indexed)
        file(*index, items[index->Indexed].get(), int(index->Indexed));
    return index.get();
}
} // namespace

// The entries holding each metadata object (or field), and the entries
// filed by name; both grow with the list.
struct TnvStatsObjects::TIndex {
    size_t Indexed = 0;
    QHash<const TnvMetadataObject *, int> FirstOfObject;
    TnvKeyedPositions WithoutObjectByName;
};

struct TnvStatsColumns::TIndex {
    size_t Indexed = 0;
    QHash<const TnvMetadataField *, QVarLengthArray<int, 2>> ByField;
    TnvKeyedPositions ByColumnName;
};

// ---------------------------------------------------------------------------
// Entries

TnvStatsObject::TnvStatsObject(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object,
                               const TSQLQualifiedName *name)
    : FSyntaxProvider(provider), FObjectName(MakeStatsName(provider, name))
{
    FMetadataObject.reset(object);
}

TnvStatsObject::TnvStatsObject(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object, const TnvStatsName &name)
    : FSyntaxProvider(provider), FObjectName(ShareName(provider, name))
{
    FMetadataObject.reset(object);
}

TnvStatsObject::~TnvStatsObject() = default;

void TnvStatsObject::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    FSyntaxProvider = provider;
    SetNameProvider(FObjectName, provider);
}

void TnvStatsObject::Assign(const TPersistent *source)
{
    const auto *other = As<TnvStatsObject>(static_cast<const TObject *>(source));
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    FMetadataObject.CopyFrom(other->FMetadataObject);
    FSyntaxProvider = other->FSyntaxProvider;
    FObjectName = ShareName(FSyntaxProvider, other->FObjectName);
}

TnvStatsColumn::TnvStatsColumn(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object,
                               const TSQLQualifiedName *objectName, TnvMetadataField *field,
                               const TSQLQualifiedName *columnName)
    : FSyntaxProvider(provider), FObjectName(MakeStatsName(provider, objectName)),
      FColumnName(MakeStatsName(provider, columnName))
{
    FMetadataObject.reset(object);
    FMetadataField.reset(field);
}

TnvStatsColumn::TnvStatsColumn(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object,
                               const TnvStatsName &objectName, TnvMetadataField *field, const TnvStatsName &columnName)
    : FSyntaxProvider(provider), FObjectName(ShareName(provider, objectName)),
      FColumnName(ShareName(provider, columnName))
{
    FMetadataObject.reset(object);
    FMetadataField.reset(field);
}

TnvStatsColumn::~TnvStatsColumn() = default;

void TnvStatsColumn::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    FSyntaxProvider = provider;
    SetNameProvider(FObjectName, provider);
    SetNameProvider(FColumnName, provider);
}

void TnvStatsColumn::Assign(const TPersistent *source)
{
    const auto *other = As<TnvStatsColumn>(static_cast<const TObject *>(source));
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    FMetadataObject.CopyFrom(other->FMetadataObject);
    FMetadataField.CopyFrom(other->FMetadataField);
    FSyntaxProvider = other->FSyntaxProvider;
    FObjectName = ShareName(FSyntaxProvider, other->FObjectName);
    FColumnName = ShareName(FSyntaxProvider, other->FColumnName);
}

// ---------------------------------------------------------------------------
// Lists

TnvStatsObjects::TnvStatsObjects(TnvBaseSyntaxProvider *provider) : FSyntaxProvider(provider) {}

TnvStatsObjects::~TnvStatsObjects() = default;

void TnvStatsObjects::Clear()
{
    FItems.clear();
    FIndex.reset();
}

const TnvStatsObjects::TIndex *TnvStatsObjects::Index() const
{
    return UpdatedIndex(FItems, FIndex, [](TIndex &index, const TnvStatsObject *item, int position) {
        if (const TnvMetadataObject *object = item->MetadataObject()) {
            if (!index.FirstOfObject.contains(object))
                index.FirstOfObject.insert(object, position);
        } else {
            size_t key = 0;
            const bool keyed = NameFoldKey(item->ObjectName(), key);
            index.WithoutObjectByName.Add(keyed, key, position);
        }
    });
}

void TnvStatsObjects::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    FSyntaxProvider = provider;
    for (const auto &item : FItems)
        item->SetSyntaxProvider(provider);
}

void TnvStatsObjects::Assign(const TPersistent *source)
{
    const auto *other = As<TnvStatsObjects>(static_cast<const TObject *>(source));
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    Clear();
    for (const auto &item : other->FItems) {
        FItems.push_back(Create<TnvStatsObject>(FSyntaxProvider, item->MetadataObject(), item->SharedObjectName()));
        FItems.back()->Assign(item.get());
    }
}

TnvStatsObject *TnvStatsObjects::AddObject(TnvMetadataObject *object, const TSQLQualifiedName *name)
{
    FItems.push_back(Create<TnvStatsObject>(FSyntaxProvider, object, name));
    return FItems.back().get();
}

TnvStatsObject *TnvStatsObjects::AddObject(TnvMetadataObject *object, const TnvStatsName &name)
{
    FItems.push_back(Create<TnvStatsObject>(FSyntaxProvider, object, name));
    return FItems.back().get();
}

int TnvStatsObjects::AddObjectIfNotExists(TnvMetadataObject *object, const TSQLQualifiedName *name)
{
    Assert(!IsQualifiedNameEmpty(name), "nvAST", "A statistics entry without a name");
    if (FindObject(object, name))
        return 0;
    AddObject(object, name);
    return 1;
}

int TnvStatsObjects::AddObjects(const TnvStatsObjects *other)
{
    if (!other || other == this)
        return 0;
    int added = 0;
    for (const auto &item : other->FItems)
        if (!FindObject(item->MetadataObject(), item->ObjectName())) {
            AddObject(item->MetadataObject(), item->SharedObjectName());
            ++added;
        }
    return added;
}

TnvStatsObject *TnvStatsObjects::FindObject(const TnvMetadataObject *object, const TSQLQualifiedName *name) const
{
    size_t key = 0;
    if (const TIndex *index = Index()) {
        // A metadata object is found by identity alone; a name only among the
        // entries without object that are filed under its key.
        if (object) {
            const auto found = index->FirstOfObject.constFind(object);
            return found == index->FirstOfObject.cend() ? nullptr : FItems[size_t(*found)].get();
        }
        if (NameFoldKey(name, key)) {
            const int position = index->WithoutObjectByName.First(key, [&](int at) {
                return NamesEqual(FSyntaxProvider, FItems[size_t(at)]->ObjectName(), name);
            });
            return position < 0 ? nullptr : FItems[size_t(position)].get();
        }
    }
    for (const auto &item : FItems) {
        if (object) {
            if (item->MetadataObject() == object)
                return item.get();
        } else if (!item->MetadataObject() && NamesEqual(FSyntaxProvider, item->ObjectName(), name)) {
            return item.get();
        }
    }
    return nullptr;
}

TnvStatsColumns::TnvStatsColumns(TnvBaseSyntaxProvider *provider) : FSyntaxProvider(provider) {}

TnvStatsColumns::~TnvStatsColumns() = default;

void TnvStatsColumns::Clear()
{
    FItems.clear();
    FIndex.reset();
}

const TnvStatsColumns::TIndex *TnvStatsColumns::Index() const
{
    return UpdatedIndex(FItems, FIndex, [](TIndex &index, const TnvStatsColumn *item, int position) {
        if (const TnvMetadataField *field = item->MetadataField())
            index.ByField[field].append(position);
        size_t key = 0;
        const bool keyed = NameFoldKey(item->ColumnName(), key);
        index.ByColumnName.Add(keyed, key, position);
    });
}

void TnvStatsColumns::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    FSyntaxProvider = provider;
    for (const auto &item : FItems)
        item->SetSyntaxProvider(provider);
}

void TnvStatsColumns::Assign(const TPersistent *source)
{
    const auto *other = As<TnvStatsColumns>(static_cast<const TObject *>(source));
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    Clear();
    for (const auto &item : other->FItems) {
        FItems.push_back(Create<TnvStatsColumn>(FSyntaxProvider, item->MetadataObject(), item->SharedObjectName(),
                                                item->MetadataField(), item->SharedColumnName()));
        FItems.back()->Assign(item.get());
    }
}

TnvStatsColumn *TnvStatsColumns::AddColumn(TnvMetadataObject *object, const TSQLQualifiedName *objectName,
                                           TnvMetadataField *field, const TSQLQualifiedName *columnName)
{
    FItems.push_back(Create<TnvStatsColumn>(FSyntaxProvider, object, objectName, field, columnName));
    return FItems.back().get();
}

TnvStatsColumn *TnvStatsColumns::AddColumn(TnvMetadataObject *object, const TnvStatsName &objectName,
                                           TnvMetadataField *field, const TnvStatsName &columnName)
{
    FItems.push_back(Create<TnvStatsColumn>(FSyntaxProvider, object, objectName, field, columnName));
    return FItems.back().get();
}

int TnvStatsColumns::AddColumnIfNotExists(TnvMetadataObject *object, const TSQLQualifiedName *objectName,
                                          TnvMetadataField *field, const TSQLQualifiedName *columnName)
{
    Assert(!IsQualifiedNameEmpty(objectName) && !IsQualifiedNameEmpty(columnName), "nvAST",
           "A statistics entry without a name");
    if (FindColumn(object, objectName, field, columnName))
        return 0;
    AddColumn(object, objectName, field, columnName);
    return 1;
}

int TnvStatsColumns::AddColumns(const TnvStatsColumns *other)
{
    if (!other || other == this)
        return 0;
    int added = 0;
    for (const auto &item : other->FItems)
        if (!FindColumn(item->MetadataObject(), item->ObjectName(), item->MetadataField(), item->ColumnName())) {
            AddColumn(item->MetadataObject(), item->SharedObjectName(), item->MetadataField(),
                      item->SharedColumnName());
            ++added;
        }
    return added;
}

TnvStatsColumn *TnvStatsColumns::FindColumn(const TnvMetadataObject *object, const TSQLQualifiedName *objectName,
                                            const TnvMetadataField *field,
                                            const TSQLQualifiedName *columnName) const
{
    auto matches = [&](const TnvStatsColumn *item) {
        const bool objectMatches = object ? item->MetadataObject() == object
                                          : NamesEqual(FSyntaxProvider, item->ObjectName(), objectName);
        if (!objectMatches)
            return false;
        return field ? item->MetadataField() == field : NamesEqual(FSyntaxProvider, item->ColumnName(), columnName);
    };
    size_t key = 0;
    if (const TIndex *index = Index()) {
        // A field is found among the entries holding it, a column name among
        // those filed under its key.
        if (field) {
            const auto found = index->ByField.constFind(field);
            if (found != index->ByField.cend())
                for (const int position : *found)
                    if (matches(FItems[size_t(position)].get()))
                        return FItems[size_t(position)].get();
            return nullptr;
        }
        if (NameFoldKey(columnName, key)) {
            const int position =
                index->ByColumnName.First(key, [&](int at) { return matches(FItems[size_t(at)].get()); });
            return position < 0 ? nullptr : FItems[size_t(position)].get();
        }
    }
    for (const auto &item : FItems)
        if (matches(item.get()))
            return item.get();
    return nullptr;
}

} // namespace nvqb
