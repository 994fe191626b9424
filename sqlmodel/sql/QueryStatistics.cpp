#include "sqlmodel/sql/QueryStatistics.h"
#include "classlib/Assert.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvStatsObject, TPersistent)
NV_IMPLEMENT_CLASS(TnvStatsColumn, TPersistent)
NV_IMPLEMENT_CLASS(TnvStatsObjects, TPersistent)
NV_IMPLEMENT_CLASS(TnvStatsColumns, TPersistent)

namespace {
TOwned<TSQLQualifiedName> CopyName(TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *name)
{
    Assert(!IsQualifiedNameEmpty(name), "nvAST", "A statistics entry without a name");
    TOwned<TSQLQualifiedName> copy = Create<TSQLQualifiedName>(provider);
    copy->Assign(name);
    copy->SetSyntaxProvider(provider);
    return copy;
}

bool NamesEqual(TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *a, const TSQLQualifiedName *b)
{
    Assert(provider != nullptr, "nvAST", "Statistics compared by name without a syntax provider");
    return provider->IsQualifiedNamesEqual(a, b);
}
} // namespace

// ---------------------------------------------------------------------------
// Entries

TnvStatsObject::TnvStatsObject(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object,
                               const TSQLQualifiedName *name)
    : FSyntaxProvider(provider), FObjectName(CopyName(provider, name))
{
    FMetadataObject.reset(object);
}

TnvStatsObject::~TnvStatsObject() = default;

void TnvStatsObject::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    FSyntaxProvider = provider;
    FObjectName->SetSyntaxProvider(provider);
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
    FObjectName->Assign(other->FObjectName.get());
    SetSyntaxProvider(other->FSyntaxProvider);
}

TnvStatsColumn::TnvStatsColumn(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object,
                               const TSQLQualifiedName *objectName, TnvMetadataField *field,
                               const TSQLQualifiedName *columnName)
    : FSyntaxProvider(provider), FObjectName(CopyName(provider, objectName)),
      FColumnName(CopyName(provider, columnName))
{
    FMetadataObject.reset(object);
    FMetadataField.reset(field);
}

TnvStatsColumn::~TnvStatsColumn() = default;

void TnvStatsColumn::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    FSyntaxProvider = provider;
    FObjectName->SetSyntaxProvider(provider);
    FColumnName->SetSyntaxProvider(provider);
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
    FObjectName->Assign(other->FObjectName.get());
    FColumnName->Assign(other->FColumnName.get());
    SetSyntaxProvider(other->FSyntaxProvider);
}

// ---------------------------------------------------------------------------
// Lists

TnvStatsObjects::TnvStatsObjects(TnvBaseSyntaxProvider *provider) : FSyntaxProvider(provider) {}

TnvStatsObjects::~TnvStatsObjects() = default;

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
    FItems.clear();
    for (const auto &item : other->FItems) {
        FItems.push_back(Create<TnvStatsObject>(FSyntaxProvider, item->MetadataObject(), item->ObjectName()));
        FItems.back()->Assign(item.get());
    }
}

TnvStatsObject *TnvStatsObjects::AddObject(TnvMetadataObject *object, const TSQLQualifiedName *name)
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
        added += AddObjectIfNotExists(item->MetadataObject(), item->ObjectName());
    return added;
}

TnvStatsObject *TnvStatsObjects::FindObject(const TnvMetadataObject *object, const TSQLQualifiedName *name) const
{
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
    FItems.clear();
    for (const auto &item : other->FItems) {
        FItems.push_back(Create<TnvStatsColumn>(FSyntaxProvider, item->MetadataObject(), item->ObjectName(),
                                                item->MetadataField(), item->ColumnName()));
        FItems.back()->Assign(item.get());
    }
}

TnvStatsColumn *TnvStatsColumns::AddColumn(TnvMetadataObject *object, const TSQLQualifiedName *objectName,
                                           TnvMetadataField *field, const TSQLQualifiedName *columnName)
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
        added += AddColumnIfNotExists(item->MetadataObject(), item->ObjectName(), item->MetadataField(),
                                      item->ColumnName());
    return added;
}

TnvStatsColumn *TnvStatsColumns::FindColumn(const TnvMetadataObject *object, const TSQLQualifiedName *objectName,
                                            const TnvMetadataField *field,
                                            const TSQLQualifiedName *columnName) const
{
    for (const auto &item : FItems) {
        const bool objectMatches = object ? item->MetadataObject() == object
                                          : NamesEqual(FSyntaxProvider, item->ObjectName(), objectName);
        if (!objectMatches)
            continue;
        const bool columnMatches = field ? item->MetadataField() == field
                                         : NamesEqual(FSyntaxProvider, item->ColumnName(), columnName);
        if (columnMatches)
            return item.get();
    }
    return nullptr;
}

} // namespace nvqb
