#include "builder/model/QueryBuilderModel.h"
#include "builder/model/BusyCursor.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/FirstFailure.h"
#include "builder/model/LinkPainter.h"
#include "builder/model/Layout.h"
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
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <algorithm>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQueryBuilderModel, TComponent)

namespace {

// The event that loads pending SQL, posted to the model's own receiver so
// that the text assigned last before the event loop runs is the one loaded.
QEvent::Type SQLLoadEventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

class TnvSQLLoadReceiver : public QObject {
public:
    explicit TnvSQLLoadReceiver(TnvQueryBuilderModel *model) : FModel(model) {}
    bool event(QEvent *event) override
    {
        if (event->type() != SQLLoadEventType())
            return QObject::event(event);
        // Nothing raised while loading may cross the event loop.
        nvQBCatchAll([this] { FModel->SetSQLMsg(); });
        return true;
    }

private:
    TnvQueryBuilderModel *FModel;
};

} // namespace

TnvQueryBuilderModel::TnvQueryBuilderModel(TComponent *owner)
    : TComponent(owner), FMetadataContainer(Create<TnvMetadataContainer>(nullptr)),
      FMetadataFilter(Create<TnvMetadataFilter>(nullptr)),
      FAddObjectFormOptions(Create<TnvAddObjectFormOptions>()), FTreeOptions(Create<TnvTreeOptions>()),
      FTreeOptionsMetadata(Create<TnvMetadataTreeOptions>()), FPopupMenu(Create<TnvMenuItemData>()),
      FQueryStatistics(Create<TnvQueryStatistics>(nullptr)), FParameters(Create<TnvParametersList>())
{
    FMetadataContainer->GetMetadataObjectVisible =
        TnvMetadataObjectVisibleEvent::Bind<&TnvQueryBuilderModel::GetMetadataObjectVisible>(this);
    FSQLLoadReceiver = new TnvSQLLoadReceiver(this);
    // Either tree's options change what the panels show.
    FTreeOptions->RegisterUpdateNotification(TNotifyEvent::Bind<&TnvQueryBuilderModel::TreeOptionsUpdated>(this));
    FTreeOptionsMetadata->RegisterUpdateNotification(
        TNotifyEvent::Bind<&TnvQueryBuilderModel::TreeOptionsUpdated>(this));
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
    // No painter class has an empty name: this is the Access-style painter.
    FLinkPainter = QueryBuilderLinkPainters()->CreateByName(QString(), this);
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
    // The dialog unhooks itself from the options, which go later.
    FAddObjectForm.reset();
    FPendingTree.reset();
    // Drops a load event still posted together with its receiver.
    delete FSQLLoadReceiver;
    FSQLLoadReceiver = nullptr;
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
    FLinkPainter.reset();
    if (FMetadataContainer)
        FMetadataContainer->GetMetadataObjectVisible = TnvMetadataObjectVisibleEvent();
    FResultStale = false;
    FResultStatement.reset();
    FParameters->Clear();
    FQueryStatistics->ReloadStatistics(nullptr);
    FMetadataContainer.reset();
    FMetadataFilter.reset();
    FTreeOptions->UnregisterUpdateNotification(TNotifyEvent::Bind<&TnvQueryBuilderModel::TreeOptionsUpdated>(this));
    FTreeOptionsMetadata->UnregisterUpdateNotification(
        TNotifyEvent::Bind<&TnvQueryBuilderModel::TreeOptionsUpdated>(this));
    FTreeOptions.reset();
    FTreeOptionsMetadata.reset();
    FAddObjectFormOptions.reset();
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

template <class T> void TnvQueryBuilderModel::SetVisual(T &field, const T &value)
{
    if (field == value)
        return;
    field = value;
    DoUpdateControlParams();
}

void TnvQueryBuilderModel::SetSnapToGrid(bool value) { SetVisual(FSnapToGrid, value); }

void TnvQueryBuilderModel::SetGridSize(int value) { SetVisual(FGridSize, std::clamp(value, 0, 100)); }

void TnvQueryBuilderModel::SetUnionNavBarPos(TnvUnionNavBarPosition value) { SetVisual(FUnionNavBarPos, value); }

void TnvQueryBuilderModel::SetColumnsPaneVisible(bool value) { SetVisual(FColumnsPaneVisible, value); }

void TnvQueryBuilderModel::SetBorderWidth(int value) { SetVisual(FBorderWidth, std::max(value, 0)); }

void TnvQueryBuilderModel::SetBorderStyle(TnvBorderStyle value) { SetVisual(FBorderStyle, value); }

void TnvQueryBuilderModel::SetBorderColor(const QColor &value) { SetVisual(FBorderColor, value); }

void TnvQueryBuilderModel::SetSplitterHeight(int value) { SetVisual(FSplitterHeight, std::max(value, 0)); }

void TnvQueryBuilderModel::SetTreeSplitterWidth(int value) { SetVisual(FTreeSplitterWidth, std::max(value, 0)); }

void TnvQueryBuilderModel::SetTableColor(const QColor &value) { SetVisual(FTableColor, value); }

void TnvQueryBuilderModel::SetTableFont(const QFont &value) { SetVisual(FTableFont, value); }

void TnvQueryBuilderModel::SetBkImage(const QImage &value)
{
    // Images compare by content; a new image always updates the controls.
    FBkImage = value;
    DoUpdateControlParams();
}

void TnvQueryBuilderModel::SetBkImagePos(TnvBkImagePos value) { SetVisual(FBkImagePos, value); }

void TnvQueryBuilderModel::SetBkImageDarkness(TnvBkImageDarkness value) { SetVisual(FBkImageDarkness, value); }

void TnvQueryBuilderModel::SetBkColor(const QColor &value) { SetVisual(FBkColor, value); }

void TnvQueryBuilderModel::SetTreeFont(const QFont &value) { SetVisual(FTreeFont, value); }

void TnvQueryBuilderModel::SetGridFont(const QFont &value) { SetVisual(FGridFont, value); }

void TnvQueryBuilderModel::SetTabHotTrack(bool value) { SetVisual(FTabHotTrack, value); }

void TnvQueryBuilderModel::SetTabStyle(TnvTabStyle value) { SetVisual(FTabStyle, value); }

void TnvQueryBuilderModel::SetDefColumnsPaneHeight(int value)
{
    if (value < 60)
        value = 0;
    const int most = ControlHeight() * 6 / 8;
    if (value > most)
        value = most;
    if (value == FDefColumnsPaneHeight)
        return;
    FDefColumnsPaneHeight = value;
    FColumnsPaneHeight = value;
    DoUpdateControlParams();
}

void TnvQueryBuilderModel::SetColumnWidthExpression(int value) { SetVisual(FColumnWidthExpression, std::max(value, 0)); }

void TnvQueryBuilderModel::SetUseTableIcons(bool value) { SetVisual(FUseTableIcons, value); }

void TnvQueryBuilderModel::SetDefaultTableWidth(int value) { SetVisual(FDefaultTableWidth, std::max(value, 0)); }

void TnvQueryBuilderModel::SetMaxTableHeight(int value) { FMaxTableHeight = std::max(value, 0); }

void TnvQueryBuilderModel::TreeOptionsUpdated(TObject *) { DoUpdateControlParams(); }

void TnvQueryBuilderModel::DoUpdateControlParams()
{
    if (FControlsCreated && FQuery)
        FQuery->DoUpdateContolParams();
}

// ---------------------------------------------------------------------------
// Link painter

void TnvQueryBuilderModel::SetLinkPainter(TnvQueryBuilderLinkPainter *painter)
{
    // Freeing the painter we already hold and keeping it would leave a
    // dangling painter.
    if (painter == FLinkPainter.get())
        return;
    FLinkPainter.reset(painter);
    DoUpdateControlParams();
}

QString TnvQueryBuilderModel::LinkPainterClassName() const
{
    return FLinkPainter ? FLinkPainter->ClassName() : QString();
}

void TnvQueryBuilderModel::SetLinkPainterClassName(const QString &className)
{
    // The old painter goes first, as a painter may hold resources per builder.
    FLinkPainter.reset();
    SetLinkPainter(QueryBuilderLinkPainters()->CreateByName(className, this).release());
}

void TnvQueryBuilderModel::SetLinkPainterClass(TClass painterClass)
{
    FLinkPainter.reset();
    SetLinkPainter(QueryBuilderLinkPainters()->CreateByType(painterClass, this).release());
}

// ---------------------------------------------------------------------------
// SQL in

TOwned<TSQLSelectStatement> TnvQueryBuilderModel::ParseSQL(const QString &text)
{
    if (!FSyntaxProvider)
        throw Exception(nvQBMessage(nvQBNoSyntaxProvider));
    TOwned<TSQLSelectStatement> tree;
    if (text.trimmed().isEmpty()) {
        tree = Create<TSQLSelectStatement>(FSyntaxProvider);
        auto block = Create<TSQLSubQuerySelectExpression>(FSyntaxProvider);
        block->SelectItems.reset(Create<TSQLSelectItems>(FSyntaxProvider));
        block->FromClause.reset(Create<TSQLFromClause>(FSyntaxProvider));
        tree->Add(std::move(block));
    } else {
        try {
            tree = FSyntaxProvider->ParseSelect(text);
        } catch (const EnvSQLError &e) {
            if (!OnSQLError)
                throw;
            // A text that fails to parse also cancels a load still pending,
            // so the query stays what the host saw before both texts.
            FPendingTree.reset();
            OnSQLError(this, text, e.Message(), e.TokenText(), TnvPos{e.TokenLine(), e.TokenColumn()});
            return nullptr;
        }
    }
    PrepareStatement(tree.get());
    return tree;
}

void TnvQueryBuilderModel::SetSQL(const QString &text) { AssignSQL(text, false); }

void TnvQueryBuilderModel::SetSyncSQL(const QString &text) { AssignSQL(text, true); }

void TnvQueryBuilderModel::AssignSQL(const QString &text, bool sync)
{
    TOwned<TSQLSelectStatement> tree = ParseSQL(text);
    if (!tree)
        return;
    FPendingTree = std::move(tree);
    const TnvMetadataContainer *container = FMetadataContainer.get();
    const QString newSQL =
        FPendingTree->SimpleSQL(IdentQuotation(), FObjectPrefixSkipping, container ? container->DefaultDatabaseName() : nullptr,
                                container ? container->DefaultSchemaNames() : nullptr);
    if (newSQL == GetSQL()) {
        FPendingTree.reset();
        return;
    }
    if (sync)
        SetSQLMsg();
    else
        PostSQLLoad();
}

void TnvQueryBuilderModel::PostSQLLoad()
{
    // One event loads whatever is pending when it arrives; more would find
    // nothing to do.
    if (FSQLLoadPosted || !FSQLLoadReceiver)
        return;
    FSQLLoadPosted = true;
    QCoreApplication::postEvent(FSQLLoadReceiver, new QEvent(SQLLoadEventType()));
}

void TnvQueryBuilderModel::SetSQLMsg()
{
    FSQLLoadPosted = false;
    if (!FPendingTree)
        return;
    LoadStatement(std::move(FPendingTree));
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
    if (FFollowUpRound > MaxFollowUpRounds)
        return;
    const QString sql = GetSQL();
    if (FFollowUpRound > 0 && sql == FReportedSQL)
        return;
    FReportedSQL = sql;
    // Every component hears of the change even when one before it fails;
    // the first failure then goes on to the editing caller.
    TnvFirstFailure failure;
    const QList<TnvBaseSQLBuilder *> builders = FSQLBuilders;
    for (TnvBaseSQLBuilder *builder : builders) {
        // A handler may unlink or free a later component.
        if (!FSQLBuilders.contains(builder))
            continue;
        failure.Run([builder] { builder->SQLUpdated(); });
        // The handler edited the query: the result read from here on would
        // be the old one. The next round tells everyone of the new query.
        if (FQuery && FQuery->IsChanged())
            break;
    }
    failure.Rethrow();
}

void TnvQueryBuilderModel::UpdateResult()
{
    FResultStale = false;
    FResultStatement.reset();
    if (FQuery && !FModelDestroyed) {
        // The query's tree made for the result alone (the query keeps none
        // unless it was asked for one): a copy of a whole large statement
        // costs more than making it.
        TOwned<TastNodeBase> tree = FQuery->GetResultASTUncached();
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

void TnvQueryBuilderModel::UpdateTreePosition(TnvQueryBuilderControlOwner *) {}

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
// Metadata

bool TnvQueryBuilderModel::WorkOffline() const { return FMetadataContainer && FMetadataContainer->WorkOffline(); }

void TnvQueryBuilderModel::SetWorkOffline(bool value)
{
    if (FMetadataContainer)
        FMetadataContainer->SetWorkOffline(value);
}

void TnvQueryBuilderModel::SetMetadataFilter(const TnvMetadataFilter *filter)
{
    if (FMetadataFilter && filter != FMetadataFilter.get())
        FMetadataFilter->Assign(filter);
}

QString TnvQueryBuilderModel::GetMetadataXML() const
{
    return FMetadataContainer ? FMetadataContainer->GetXML() : QString();
}

void TnvQueryBuilderModel::SetMetadataXML(const QString &xml)
{
    if (FMetadataContainer)
        FMetadataContainer->SetXML(xml);
}

bool TnvQueryBuilderModel::IsMetadataStored() const { return FMetadataContainer && FMetadataContainer->Loaded(); }

void TnvQueryBuilderModel::RefreshMetadata()
{
    if (!FMetadataContainer)
        return;
    TnvBusyCursor busy;
    TnvMetadataContainer *container = FMetadataContainer.get();
    auto bracket = UpdateBracket(container);
    if (!FSyntaxProvider)
        throw Exception(nvQBMessage(nvQBNoSyntaxProvider));
    if (!FMetadataProvider)
        throw Exception(nvQBMessage(nvQBNoMetadataProvider));
    container->Clear();
    container->LoadMetadataByFilter(FMetadataFilter.get(), nullptr);
}

void TnvQueryBuilderModel::LoadMetadata(const TSQLQualifiedName *database)
{
    if (FMetadataContainer && !FMetadataContainer->Loaded())
        FMetadataContainer->LoadMetadataByFilter(FMetadataFilter.get(), database);
}

void TnvQueryBuilderModel::LoadMetadataByFilter(TnvMetadataFilter *filter, const TSQLQualifiedName *database)
{
    if (FMetadataContainer)
        FMetadataContainer->LoadMetadataByFilter(filter, database);
}

void TnvQueryBuilderModel::LoadMetadataByMask(const QString &schemaMask, const QString &objectMask,
                                              const TSQLQualifiedName *database)
{
    if (FMetadataContainer)
        FMetadataContainer->LoadMetadataByMask(objectMask, schemaMask, database);
}

void TnvQueryBuilderModel::ClearMetadataByMask(const QString &schemaMask, const QString &objectMask,
                                               const TSQLQualifiedName *database)
{
    if (FMetadataContainer)
        FMetadataContainer->ClearMetadataByMask(objectMask, schemaMask, database);
}

void TnvQueryBuilderModel::GetDatabasesList(TSQLQualifiedNamesList *list)
{
    if (!list)
        return;
    list->Clear();
    if (!WorkOffline() && FSyntaxProvider)
        FSyntaxProvider->GetDatabasesList(FMetadataProvider, list);
}

void TnvQueryBuilderModel::GetObjectNames(TClass objectClass, QStringList &names, bool system,
                                          QList<TSQLQualifiedName *> *fullNames)
{
    names.clear();
    if (fullNames)
        fullNames->clear();
    if (!FMetadataContainer)
        return;
    for (qsizetype i = 0; i < FMetadataContainer->Count(); ++i) {
        TnvMetadataObject *object = FMetadataContainer->Items(i);
        if (!object->InheritsFrom(objectClass) || !object->Visible() || object->System() != system)
            continue;
        names.append(object->GetNameStrNotQuoted());
        if (fullNames)
            fullNames->append(object->FullName());
    }
}

void TnvQueryBuilderModel::GetTableNames(QStringList &names, bool system, QList<TSQLQualifiedName *> *fullNames)
{
    GetObjectNames(TnvMetadataTable::StaticClassType(), names, system, fullNames);
}

void TnvQueryBuilderModel::GetViewNames(QStringList &names, bool system, QList<TSQLQualifiedName *> *fullNames)
{
    GetObjectNames(TnvMetadataView::StaticClassType(), names, system, fullNames);
}

void TnvQueryBuilderModel::GetProcedureNames(QStringList &names, bool system, QList<TSQLQualifiedName *> *fullNames)
{
    GetObjectNames(TnvMetadataProcedure::StaticClassType(), names, system, fullNames);
}

void TnvQueryBuilderModel::GetSynonymNames(QStringList &names, bool system, QList<TSQLQualifiedName *> *fullNames)
{
    GetObjectNames(TnvMetadataSynonym::StaticClassType(), names, system, fullNames);
}

bool TnvQueryBuilderModel::IsNameOfTable(const QString &name) const
{
    return FMetadataContainer && FMetadataContainer->FindTableByFullName(name);
}

bool TnvQueryBuilderModel::IsNameOfView(const QString &name) const
{
    return FMetadataContainer && FMetadataContainer->FindViewByFullName(name);
}

bool TnvQueryBuilderModel::IsNameOfProcedure(const QString &name) const
{
    return FMetadataContainer && FMetadataContainer->FindProcedureByFullName(name);
}

void TnvQueryBuilderModel::GetMetadataObjectVisible(TnvMetadataContainer *, TnvMetadataObject *object, bool &visible)
{
    visible = true;
    if (!object)
        return;
    const TnvFilterDatabaseObjectEvent *event = nullptr;
    if (object->Is<TnvMetadataTable>())
        event = &OnFilterTable;
    else if (object->Is<TnvMetadataView>())
        event = &OnFilterView;
    else if (object->Is<TnvMetadataProcedure>())
        event = &OnFilterProcedure;
    if (event && *event)
        (*event)(this, object->GetFullNameStr(), visible);
}

// ---------------------------------------------------------------------------
// Layout

QString TnvQueryBuilderModel::GetLayout() { return SaveQueryBuilderLayout(this); }

void TnvQueryBuilderModel::SetLayout(const QString &text) { LoadQueryBuilderLayout(this, text); }

// --- end of layout --------------------------------------------------------------

// ---------------------------------------------------------------------------
// Add Object dialog

void TnvQueryBuilderModel::ShowAddObjectForm()
{
    if (!FAddObjectForm)
        FAddObjectForm = GetControlFactory()->CreateAddObjectForm(this);
    if (FAddObjectForm)
        FAddObjectForm->ShowModal();
}

void TnvQueryBuilderModel::DestroyAddObjectForm() { FAddObjectForm.reset(); }

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
    UpdateTreePosition(subQuery);
}

void TnvQueryBuilderModel::RegisterSubQuery(TnvSubQuery *subQuery)
{
    if (!FSubQueries.contains(subQuery))
        FSubQueries.append(subQuery);
}

void TnvQueryBuilderModel::UnregisterSubQuery(TnvSubQuery *subQuery) { FSubQueries.removeOne(subQuery); }

void TnvQueryBuilderModel::DoGetTabHeaderText(TnvSubQuery *subQuery, QString &caption)
{
    if (OnGetTabHeaderText)
        OnGetTabHeaderText(this, subQuery, caption);
}

// ---------------------------------------------------------------------------
// Drag and drop

bool TnvQueryBuilderModel::DoDragOver(QObject *source, int x, int y, TDragState state)
{
    if (!OnDragOver || !FCurrentSubquery)
        return false;
    bool accept = true;
    if (!nvQBCatchAll([&] { OnDragOver(FCurrentSubquery->CurrentUnionSubQuery(), source, x, y, state, accept); }))
        return false;
    return accept;
}

void TnvQueryBuilderModel::DoDragDrop(QObject *source, int x, int y)
{
    if (!OnDragDrop || !FCurrentSubquery)
        return;
    nvQBCatchAll([&] { OnDragDrop(FCurrentSubquery->CurrentUnionSubQuery(), source, x, y); });
}

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
