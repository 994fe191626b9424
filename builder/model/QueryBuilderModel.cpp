#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/Layout.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/providers/MetadataProvider.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQueryBuilderModel, TComponent)

TnvQueryBuilderModel::TnvQueryBuilderModel(TComponent *owner)
    : TComponent(owner), FMetadataContainer(Create<TnvMetadataContainer>(nullptr)),
      FPopupMenu(Create<TnvMenuItemData>())
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
    if (FQuery) {
        Clear();
        DestroyControls();
    }
    SetSyntaxProvider(nullptr);
    SetMetadataProvider(nullptr);
    FCurrentSubquery = nullptr;
    FQuery.reset();
    FPopupMenu->Clear();
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
        if (FQuery)
            FQuery->SetSyntaxProvider(nullptr);
    }
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

void TnvQueryBuilderModel::SQLUpdated() {}

// ---------------------------------------------------------------------------
// SQL loaded at once (stand-in)

void TnvQueryBuilderModel::SetSyncSQL(const QString &sql)
{
    if (!FSyntaxProvider)
        throw Exception(nvQBMessage(nvQBNoSyntaxProvider));
    if (!FQuery)
        return;
    if (sql.trimmed().isEmpty()) {
        if (!GetSQL().isEmpty())
            Clear();
        return;
    }
    TOwned<TSQLSelectStatement> statement = FSyntaxProvider->ParseSelect(sql);
    PrepareStatement(statement.get());
    const TnvMetadataContainer *container = FMetadataContainer.get();
    if (statement->SimpleSQL(IdentQuotation(), FObjectPrefixSkipping,
                             container ? container->DefaultDatabaseName() : nullptr,
                             container ? container->DefaultSchemaNames() : nullptr) == GetSQL())
        return;
    LoadStatement(std::move(statement));
}

// --- end of SQL loaded at once ------------------------------------------------

// ---------------------------------------------------------------------------
// Layout

QString TnvQueryBuilderModel::GetLayout() { return SaveQueryBuilderLayout(this); }

void TnvQueryBuilderModel::SetLayout(const QString &text) { LoadQueryBuilderLayout(this, text); }

// --- end of layout --------------------------------------------------------------

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
