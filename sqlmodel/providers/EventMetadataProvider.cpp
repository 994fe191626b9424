#include "sqlmodel/providers/EventMetadataProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/text/UpdatablePersistent.h"

namespace nvqb {

NV_IMPLEMENT_COMPONENT_CLASS(TnvEventMetadataProvider, TnvBaseMetadataProvider)

namespace {

// A part of a name as an identifier owned by the caller; nil past the last part.
TOwned<TastTokenIdentifier> PartIdentifier(TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *name,
                                           qsizetype part)
{
    if (!name || part >= name->GetCount())
        return nullptr;
    const TastToken *token = name->GetItems(part);
    const auto *identifier = As<TastTokenIdentifier>(token);
    return Create<TastTokenIdentifier>(provider, token->Text(), identifier ? identifier->CaseSensitive() : false);
}

} // namespace

TnvEventMetadataProvider::TnvEventMetadataProvider(TComponent *owner) : TnvBaseMetadataProvider(owner) {}

TnvEventMetadataProvider::~TnvEventMetadataProvider() = default;

TOwned<TDataSet> TnvEventMetadataProvider::PrepareSQLDatasetInternal(const QString &sql)
{
    if (!OnExecSQLEvent)
        return nullptr;
    TOwned<TDataSet> dataset;
    try {
        OnExecSQLEvent(this, sql, dataset);
    } catch (const EnvQueryBuilderError &) {
        throw;
    } catch (const Exception &e) {
        throw EnvQueryBuilderError(nvQBFormatMessage(nvQBErrorExecQuery, {sql, e.Message()}), sql, e.Message());
    } catch (const std::exception &e) {
        const QString message = QString::fromLocal8Bit(e.what());
        throw EnvQueryBuilderError(nvQBFormatMessage(nvQBErrorExecQuery, {sql, message}), sql, message);
    }
    return dataset;
}

void TnvEventMetadataProvider::LoadMetadataObjects(TnvBaseSyntaxProvider *syntaxProvider, TnvMetadataFilter *filter,
                                                   TnvMetadataContainer *container,
                                                   const TSQLQualifiedName *database)
{
    if (!IsQualifiedNameEmpty(database)) {
        TnvBaseMetadataProvider::LoadMetadataObjects(syntaxProvider, filter, container, database);
        return;
    }
    struct Source {
        const TnvGetObjectNamesEvent *Event;
        TnvMetadataClass ObjectClass;
        bool System;
    };
    const Source sources[] = {
        {&OnGetTables, TnvMetadataTable::StaticClassType(), false},
        {&OnGetSystemTables, TnvMetadataTable::StaticClassType(), true},
        {&OnGetViews, TnvMetadataView::StaticClassType(), false},
        {&OnGetSystemViews, TnvMetadataView::StaticClassType(), true},
        {&OnGetProcedures, TnvMetadataProcedure::StaticClassType(), false},
        {&OnGetSystemProcedures, TnvMetadataProcedure::StaticClassType(), true},
    };
    TnvUpdateScope scope(container);
    TOwned<TSQLDatabaseObjectsList> names = Create<TSQLDatabaseObjectsList>(syntaxProvider, true);
    for (const Source &source : sources) {
        if (!*source.Event)
            continue;
        names->Clear();
        (*source.Event)(this, names.get());
        for (qsizetype i = 0; i < names->GetCount(); ++i) {
            const TSQLQualifiedName *name = names->GetItems(i);
            TOwned<TnvMetadataObject> object(static_cast<TnvMetadataObject *>(
                TnvMetadataBase::CreateOf(source.ObjectClass, container).release()));
            object->SetSyntaxProvider(syntaxProvider);
            object->SetSchema(PartIdentifier(syntaxProvider, name, 1).get());
            object->SetName(PartIdentifier(syntaxProvider, name, 0).get());
            object->SetSystem(source.System);
            if (filter && !filter->FilterMetadataObject(object.get()))
                continue;
            TnvMetadataObject *added = object.get();
            container->Add(std::move(object));
            // As for every loaded object, the container's owner decides
            // whether it is shown.
            try {
                added->SetVisible(container->IsMetadataObjectVisible(added));
            } catch (...) {
                // A host's visibility handler that fails leaves the object as it was.
            }
        }
    }
}

void TnvEventMetadataProvider::LoadMetadataRelations(TnvBaseSyntaxProvider *syntaxProvider,
                                                     TnvMetadataFilter *filter, TnvMetadataContainer *container,
                                                     const TSQLQualifiedName *database)
{
    if (!IsQualifiedNameEmpty(database) || !OnGetTableRelations) {
        TnvBaseMetadataProvider::LoadMetadataRelations(syntaxProvider, filter, container, database);
        return;
    }
    TnvUpdateScope scope(container);
    for (qsizetype i = 0; i < container->Count(); ++i) {
        TnvMetadataObject *table = container->Items(i);
        if (!table->Is<TnvMetadataTable>())
            continue;
        TnvMetadataRelationsObjectList relations;
        // The handler gets its own copy: what it does to it cannot rename the table.
        TOwned<TSQLQualifiedName> tableName = table->FullName()->Clone();
        OnGetTableRelations(this, tableName.get(), relations);
        for (const TOwned<TSQLMetadataRelation> &source : relations) {
            // A relation the host left without names cannot be placed.
            if (!source || IsQualifiedNameEmpty(source->PrimaryObjectName.get()) ||
                IsQualifiedNameEmpty(source->ChildObjectName.get()))
                continue;
            if (!syntaxProvider->IsQualifiedNamesEqual(source->PrimaryObjectName.get(), table->FullName()))
                continue;
            TnvMetadataRelation *relation = table->GetRelations()->Add();
            for (qsizetype k = 0; k < source->PrimaryFields()->GetCount(); ++k)
                relation->KeyFields()->Add(source->PrimaryFields()->GetItems(k));
            relation->SetChildSchema(PartIdentifier(syntaxProvider, source->ChildObjectName.get(), 1).get());
            relation->SetChildName(PartIdentifier(syntaxProvider, source->ChildObjectName.get(), 0).get());
            for (qsizetype k = 0; k < source->ChildFields()->GetCount(); ++k)
                relation->ChildFields()->Add(source->ChildFields()->GetItems(k));
        }
    }
}

void TnvEventMetadataProvider::LoadFieldsForQuery(TnvBaseSyntaxProvider *syntaxProvider, const QString &sql,
                                                  TnvMetadataFieldsList *fields)
{
    if (GetCanExecSQL()) {
        TnvBaseMetadataProvider::LoadFieldsForQuery(syntaxProvider, sql, fields);
        return;
    }
    // A handler that raises leaves the list to be asked again.
    fields->SetLoaded(false);
    TOwned<TnvFieldsList> names = Create<TnvFieldsList>(syntaxProvider, true);
    if (OnGetSQLFieldNames)
        OnGetSQLFieldNames(this, sql, names.get());
    TnvUpdateScope scope(fields);
    fields->Clear();
    for (qsizetype i = 0; i < names->GetCount(); ++i)
        fields->AddField(names->GetItems(i), ftUnknown, 0, true, false);
    fields->SetLoaded(true);
}

} // namespace nvqb
