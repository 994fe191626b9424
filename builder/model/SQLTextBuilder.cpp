#include "builder/model/SQLTextBuilder.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/sql/SQLStatements.h"
#include "sqlmodel/text/SQLBuilderPiped.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvBaseSQLBuilder, TComponent)
NV_IMPLEMENT_CLASS(TnvSQLBuilderPlainText, TnvBaseSQLBuilder)

TnvBaseSQLBuilder::TnvBaseSQLBuilder(TComponent *owner) : TComponent(owner) {}

TnvBaseSQLBuilder::~TnvBaseSQLBuilder()
{
    // Deleted without Free: the query builder must not keep calling it.
    if (FQueryBuilder)
        SetQueryBuilder(nullptr);
}

void TnvBaseSQLBuilder::AfterConstruction()
{
    TComponent::AfterConstruction();
    FBuilder = CreateSQLBuilder();
    FBuilder->OnUpdated = TNotifyEvent::Bind<&TnvBaseSQLBuilder::FormatUpdated>(this);
}

void TnvBaseSQLBuilder::BeforeDestruction()
{
    SetQueryBuilder(nullptr);
    TComponent::BeforeDestruction();
}

void TnvBaseSQLBuilder::SetQueryBuilder(TnvQueryBuilderModel *queryBuilder)
{
    if (queryBuilder == FQueryBuilder)
        return;
    if (FQueryBuilder) {
        RemoveFreeNotification(FQueryBuilder);
        FQueryBuilder->RemoveSQLBuilder(this);
    }
    FQueryBuilder = queryBuilder;
    if (queryBuilder) {
        FreeNotification(queryBuilder);
        queryBuilder->AddSQLBuilder(this);
        SQLUpdated();
    }
}

void TnvBaseSQLBuilder::QueryBuilderFreed()
{
    if (!FQueryBuilder)
        return;
    RemoveFreeNotification(FQueryBuilder);
    FQueryBuilder = nullptr;
}

void TnvBaseSQLBuilder::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component && component == FQueryBuilder)
        FQueryBuilder = nullptr;
}

QString TnvBaseSQLBuilder::SQL() const
{
    const TSQLSelectStatement *statement = FQueryBuilder ? FQueryBuilder->ResultStatement() : nullptr;
    if (!statement)
        return QString();
    const TnvMetadataContainer *container = FQueryBuilder->MetadataContainer();
    FBuilder->BeginBuild();
    // Names in the default database and schemas print without the prefix
    // that the prefix skipping leaves out.
    FBuilder->SetDefaultDatabaseName(container ? container->DefaultDatabaseName() : nullptr);
    FBuilder->SetDefaultSchemaNames(container ? container->DefaultSchemaNames() : nullptr);
    statement->BuildSQL(FBuilder.get(), FBuilder->MainQueryFormat());
    FBuilder->EndBuild();
    return FBuilder->ResultSQL();
}

void TnvBaseSQLBuilder::SQLUpdated()
{
    if (!OnSQLUpdated)
        return;
    if (FRaising) {
        FRaiseAgain = true;
        return;
    }
    FRaising = true;
    TnvScopeExit done([this] { FRaising = FRaiseAgain = false; });
    for (int round = 0; round <= TnvQueryBuilderModel::MaxFollowUpRounds; ++round) {
        FRaiseAgain = false;
        OnSQLUpdated(this);
        if (!FRaiseAgain || !OnSQLUpdated)
            break;
    }
}

void TnvBaseSQLBuilder::Loaded()
{
    SetLoading(false);
    SQLUpdated();
}

void TnvBaseSQLBuilder::FormatUpdated(TObject *)
{
    if (!IsLoading())
        SQLUpdated();
}

TOwned<TSQLBuilder> TnvSQLBuilderPlainText::CreateSQLBuilder() const { return Create<TSQLBuilderPiped>(); }

} // namespace nvqb
