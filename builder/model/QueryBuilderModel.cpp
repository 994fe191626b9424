#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Parameters.h"
#include "builder/model/Query.h"
#include "builder/model/QueryStatistics.h"
#include "builder/model/SQLTextBuilder.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQueryBuilderModel, TComponent)

TnvQueryBuilderModel::TnvQueryBuilderModel(TComponent *owner)
    : TComponent(owner), FMetadataContainer(Create<TnvMetadataContainer>(nullptr)),
      FPopupMenu(Create<TnvMenuItemData>()), FQueryStatistics(Create<TnvQueryStatistics>(nullptr)),
      FParameters(Create<TnvParametersList>())
{
}

TnvQueryBuilderModel::~TnvQueryBuilderModel()
{
    // Deleted without Free: the model still goes, only the notifications of
    // the overrides of a derived class are lost at this stage.
    DestroyModel();
}

void TnvQueryBuilderModel::AfterConstruction()
{
    TComponent::AfterConstruction();
    FQuery.reset(TnvQueryBuilderControlOwner::NewModelNode<TnvQuery>(this));
    auto bracket = UpdateBracket(this);
    TOwned<TSQLSelectStatement> empty = Create<TSQLSelectStatement>(FSyntaxProvider);
    FQuery->LoadFromAST(std::move(empty));
    FCurrentSubquery = FQuery.get();
    if (TnvUnionSubQuery *member = FQuery->Add())
        FQuery->SetCurrentUnionSubquery(member);
}

void TnvQueryBuilderModel::BeforeDestruction()
{
    DestroyModel();
    TComponent::BeforeDestruction();
}

void TnvQueryBuilderModel::DestroyModel()
{
    if (FModelDestroyed)
        return;
    FModelDestroyed = true;
    Destroying();
    DetachSQLBuilders();
    if (FQuery) {
        Clear();
        DestroyControls();
    }
    SetSyntaxProvider(nullptr);
    SetMetadataProvider(nullptr);
    FCurrentSubquery = nullptr;
    FQuery.reset();
    FPopupMenu->Clear();
    FResultStale = false;
    FResultStatement.reset();
    FParameters->Clear();
    FQueryStatistics->ReloadStatistics(nullptr);
    FMetadataContainer.reset();
}

// ---------------------------------------------------------------------------
// Providers

void TnvQueryBuilderModel::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    if (provider == FSyntaxProvider)
        return;
    if (FSyntaxProvider) {
        RemoveFreeNotification(FSyntaxProvider);
        FSyntaxProvider->UnsubscribeFromNotifications(this);
    }
    FSyntaxProvider = provider;
    if (provider) {
        FreeNotification(provider);
        provider->SubscribeForNotifications(this);
    }
    if (FMetadataContainer)
        FMetadataContainer->SetSyntaxProvider(provider);
    SetResultSyntaxProvider(provider);
    if (FQuery)
        FQuery->SetSyntaxProvider(provider);
}

void TnvQueryBuilderModel::SetMetadataProvider(TnvBaseMetadataProvider *provider)
{
    if (provider == FMetadataProvider)
        return;
    if (FMetadataProvider)
        RemoveFreeNotification(FMetadataProvider);
    FMetadataProvider = provider;
    if (FMetadataContainer)
        FMetadataContainer->SetMetadataProvider(provider);
    if (provider)
        FreeNotification(provider);
}

void TnvQueryBuilderModel::SyntaxProviderPropsChanged(TnvBaseSyntaxProvider *) {}

void TnvQueryBuilderModel::SyntaxProviderDestroying() { SetSyntaxProvider(nullptr); }

void TnvQueryBuilderModel::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FSyntaxProvider) {
        // The provider may be past its own destruction steps here: the
        // reference is dropped without calling it.
        FSyntaxProvider = nullptr;
        if (FMetadataContainer)
            FMetadataContainer->SetSyntaxProvider(nullptr);
        SetResultSyntaxProvider(nullptr);
        if (FQuery)
            FQuery->SetSyntaxProvider(nullptr);
    }
    if (auto *builder = As<TnvBaseSQLBuilder>(component))
        FSQLBuilders.removeAll(builder);
    if (component == FMetadataProvider) {
        FMetadataProvider = nullptr;
        if (FMetadataContainer)
            FMetadataContainer->SetMetadataProvider(nullptr);
    }
    if (component == FCurrentSubquery) {
        FCurrentSubquery = nullptr;
        if (FQuery && !IsDestroying())
            SetCurrentSubquery(FQuery.get());
    }
}

// ---------------------------------------------------------------------------
// Options

void TnvQueryBuilderModel::SetQuoteAllIdentifiers(bool value)
{
    if (value == FQuoteAllIdentifiers)
        return;
    FQuoteAllIdentifiers = value;
    Clear();
}

void TnvQueryBuilderModel::SetObjectPrefixSkipping(TnvObjectPrefixSkipping value)
{
    if (value == FObjectPrefixSkipping)
        return;
    FObjectPrefixSkipping = value;
    Clear();
}

void TnvQueryBuilderModel::SetCanReorderDatasources(bool value)
{
    if (value == FCanReorderDatasources)
        return;
    FCanReorderDatasources = value;
    Clear();
}

// ---------------------------------------------------------------------------
// The query

void TnvQueryBuilderModel::BeginUpdate()
{
    ++FUpdateCount;
    if (FQuery)
        FQuery->BeginUpdate();
}

void TnvQueryBuilderModel::EndUpdate()
{
    Assert(FUpdateCount > 0, "nvQBBase", "EndUpdate without BeginUpdate");
    --FUpdateCount;
    if (FQuery)
        FQuery->EndUpdate();
}

void TnvQueryBuilderModel::Clear()
{
    if (!FQuery)
        return;
    auto bracket = UpdateBracket(this);
    FQuery->Clear();
    if (!IsDestroying())
        FQuery->Add();
}

void TnvQueryBuilderModel::PrepareStatement(TSQLSelectStatement *statement)
{
    if (!statement)
        return;
    statement->SimplifyTreeRecursive();
    TastNodeRefList withItems, fromSources;
    statement->PrepareAndFixupRecursive(withItems, fromSources, FMetadataContainer.get());
}

void TnvQueryBuilderModel::LoadStatement(TOwned<TSQLSelectStatement> statement)
{
    if (!statement || !FQuery)
        return;
    auto bracket = UpdateBracket(this);
    FQuery->TnvUnionGroup::Clear();
    FQuery->LoadFromAST(std::move(statement));
}

QString TnvQueryBuilderModel::GetSQL() { return FQuery ? FQuery->GetResultSQL() : QString(); }

// ---------------------------------------------------------------------------
// SQL out: the result statement, its statistics and parameters, and the
// SQL-text components

void TnvQueryBuilderModel::SQLUpdated()
{
    if (FModelDestroyed || IsDestroying() || !FQuery)
        return;
    // Binding and counting a copy of a large query costs more than the edit
    // itself: without a listener it waits until someone reads the result.
    FResultStale = true;
    if (!ResultWanted())
        return;
    UpdateResult();
    // Every component hears of the change even when one before it fails;
    // the first failure then goes on to the editing caller.
    std::exception_ptr failure;
    const QList<TnvBaseSQLBuilder *> builders = FSQLBuilders;
    for (TnvBaseSQLBuilder *builder : builders) {
        // A handler may unlink or free a later component.
        if (!FSQLBuilders.contains(builder))
            continue;
        try {
            builder->SQLUpdated();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TnvQueryBuilderModel::UpdateResult()
{
    FResultStale = false;
    FResultStatement.reset();
    if (FQuery && !FModelDestroyed) {
        TOwned<TastNodeBase> tree = FQuery->GetResultAST();
        if (As<TSQLSelectStatement>(tree.get()))
            FResultStatement.reset(static_cast<TSQLSelectStatement *>(tree.release()));
    }
    if (TSQLSelectStatement *statement = FResultStatement.get()) {
        statement->SetSyntaxProvider(FSyntaxProvider);
        // Names compare only through a dialect: without one the copy is
        // neither bound nor counted.
        if (FSyntaxProvider) {
            statement->RestoreColumnPrefixRecursive();
            TastNodeRefList withItems, fromSources;
            statement->PrepareAndFixupRecursive(withItems, fromSources, FMetadataContainer.get());
            statement->PrepareCalcStatisticsRecursive();
            // Each round adds only entries that are new, so the walk ends.
            while (statement->CalcStatisticsRecursive() > 0) {
            }
        }
    }
    ReloadQueryStatistics();
    ReloadParameters();
    UpdateQueryStructure();
}

void TnvQueryBuilderModel::EnsureResult() const
{
    if (FResultStale)
        const_cast<TnvQueryBuilderModel *>(this)->UpdateResult();
}

TSQLSelectStatement *TnvQueryBuilderModel::ResultStatement() const
{
    EnsureResult();
    return FResultStatement.get();
}

TnvQueryStatistics *TnvQueryBuilderModel::QueryStatistics() const
{
    EnsureResult();
    return FQueryStatistics.get();
}

TnvParametersList *TnvQueryBuilderModel::Parameters() const
{
    EnsureResult();
    return FParameters.get();
}

bool TnvQueryBuilderModel::ResultWanted() const { return !FSQLBuilders.isEmpty(); }

void TnvQueryBuilderModel::ReloadQueryStatistics()
{
    if (FQueryStatistics)
        FQueryStatistics->ReloadStatistics(FSyntaxProvider ? FResultStatement.get() : nullptr);
}

void TnvQueryBuilderModel::ReloadParameters()
{
    if (FParameters)
        FParameters->ReloadParametersListFromAST(FResultStatement.get());
}

void TnvQueryBuilderModel::UpdateQueryStructure() {}

void TnvQueryBuilderModel::AddSQLBuilder(TnvBaseSQLBuilder *builder)
{
    if (builder && !FModelDestroyed && !FSQLBuilders.contains(builder))
        FSQLBuilders.append(builder);
}

void TnvQueryBuilderModel::RemoveSQLBuilder(TnvBaseSQLBuilder *builder) { FSQLBuilders.removeAll(builder); }

void TnvQueryBuilderModel::DetachSQLBuilders()
{
    const QList<TnvBaseSQLBuilder *> builders = FSQLBuilders;
    FSQLBuilders.clear();
    for (TnvBaseSQLBuilder *builder : builders)
        builder->QueryBuilderFreed();
}

void TnvQueryBuilderModel::SetResultSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    if (FQueryStatistics)
        FQueryStatistics->SetSyntaxProvider(provider);
    // The result keeps no reference to a provider that is going.
    if (FResultStatement)
        FResultStatement->SetSyntaxProvider(provider);
}

// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------
// Sub-queries

void TnvQueryBuilderModel::SetCurrentSubquery(TnvSubQuery *subQuery)
{
    if (subQuery == FCurrentSubquery)
        return;
    if (FCurrentSubquery && FCurrentSubquery != FQuery.get())
        RemoveFreeNotification(FCurrentSubquery);
    FCurrentSubquery = subQuery;
    if (!subQuery)
        return;
    if (FControlsCreated) {
        if (auto *page = subQuery->GetControlInterface<InvSubQueryControl>(0))
            page->Activate();
        subQuery->UpdateCurrentUnionSubQueryControls();
    }
    if (subQuery != FQuery.get())
        FreeNotification(subQuery);
}

void TnvQueryBuilderModel::RegisterSubQuery(TnvSubQuery *subQuery)
{
    if (!FSubQueries.contains(subQuery))
        FSubQueries.append(subQuery);
}

void TnvQueryBuilderModel::UnregisterSubQuery(TnvSubQuery *subQuery) { FSubQueries.removeOne(subQuery); }

void TnvQueryBuilderModel::DoGetTabHeaderText(TnvSubQuery *, QString &) {}

// ---------------------------------------------------------------------------
// Controls

void TnvQueryBuilderModel::CreateControls()
{
    if (FControlsCreated || !FQuery || FModelDestroyed)
        return;
    FControlsCreated = true;
    FQuery->CreateControl();
    if (FCurrentSubquery)
        if (auto *page = FCurrentSubquery->GetControlInterface<InvSubQueryControl>(0))
            page->Activate();
}

void TnvQueryBuilderModel::DestroyControls()
{
    if (!FControlsCreated)
        return;
    FControlsCreated = false;
    if (FQuery)
        FQuery->DestroyControl();
}

TnvControlFactory *TnvQueryBuilderModel::GetControlFactory() const
{
    return FControlFactory ? FControlFactory : ControlFactory();
}

// ---------------------------------------------------------------------------
// The popup menu

void TnvQueryBuilderModel::PopupMenuClear() { FPopupMenu->Clear(); }

TnvMenuItemData *TnvQueryBuilderModel::PopupMenuAddItem(TnvMenuItemData *parent, const QString &caption, int data,
                                                        bool enabled, bool checked, bool isDefault,
                                                        TNotifyEvent handler, TObject *sender)
{
    return (parent ? parent : FPopupMenu.get())->Add(caption, data, enabled, checked, isDefault, std::move(handler),
                                                     sender);
}

void TnvQueryBuilderModel::PopupMenuCompleted()
{
    FPopupMenu->Add(QStringLiteral("-"), 0, true, false, false, nullptr, nullptr);
    FPopupMenu->Add(nvQBMessage(nvQBAbout), 0, true, false, false,
                    TNotifyEvent::Bind<&TnvQueryBuilderModel::AboutEvent>(this), this);
}

void TnvQueryBuilderModel::PopupMenuPopup(const QPoint &point) { DoPopupMenu(point); }

void TnvQueryBuilderModel::DoPopupMenu(const QPoint &) {}

void TnvQueryBuilderModel::ClickMenuItem(TnvMenuItemData *item)
{
    if (item)
        nvQBCatchAll([item] { item->Click(); });
}

void TnvQueryBuilderModel::AboutEvent(TObject *) { GetControlFactory()->ShowAboutDialog(this); }

} // namespace nvqb
