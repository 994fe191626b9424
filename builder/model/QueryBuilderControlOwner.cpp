#include "builder/model/QueryBuilderControlOwner.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/FirstFailure.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubQuery.h"
#include "builder/model/SubSelectStatementProxy.h"
#include "classlib/Assert.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <QVarLengthArray>

namespace nvqb {

namespace {
constexpr const char *Unit = "nvQBBase";

} // namespace

NV_IMPLEMENT_CLASS(TnvQueryBuilderControlOwner, TComponent)

TnvQueryBuilderControlOwner::TnvQueryBuilderControlOwner(TnvQueryBuilderControlOwner *parent,
                                                         TnvQueryBuilderControlOwner *updateParent,
                                                         TnvQueryBuilderModel *queryBuilder)
    : TComponent(nullptr), FParent(parent), FQueryBuilder(queryBuilder)
{
    if (queryBuilder)
        FSyntaxProvider = queryBuilder->SyntaxProvider();
    // Joining the update parent now lets a node made inside an open bracket
    // take part in that bracket at once.
    SetUpdateParent(updateParent);
}

TnvQueryBuilderControlOwner::~TnvQueryBuilderControlOwner()
{
    // Only a node whose construction failed gets here without Destroy having
    // run: it leaves the trees it had joined.
    if (FUpdateParent) {
        FUpdateParent->FUpdateChildren.removeOne(this);
        ++FUpdateParent->FUpdateChildrenVersion;
        FUpdateParent = nullptr;
    }
    for (TnvQueryBuilderControlOwner *child : std::as_const(FUpdateChildren))
        child->FUpdateParent = nullptr;
    if (FRegistered && FParent)
        FParent->UnregisterChild(this);
}

void TnvQueryBuilderControlOwner::AfterConstruction()
{
    TComponent::AfterConstruction();
    if (FParent && !FRegistered)
        FParent->RegisterChild(this);
}

void TnvQueryBuilderControlOwner::BeforeDestruction()
{
    if (IsDestroying())
        return;
    Destroying();
    // References to the node (menus, proxies) read nil from here on.
    ClearTrackedReferences();
    // The controls of the whole subtree go first, all marked as going, so no
    // control reacts to the nodes below it going.
    if (FControlsCreated)
        DestroyControl();
    Destroy();
    TComponent::BeforeDestruction();
}

void TnvQueryBuilderControlOwner::Destroy()
{
    if (FControlsCreated)
        DestroyControl();
    while (!FChildren.empty()) {
        TOwned<TnvQueryBuilderControlOwner> child = std::move(FChildren.back());
        FChildren.pop_back();
        child->FRegistered = false;
        child.reset();
    }
    SetUpdateParent(nullptr);
    Assert(FUpdateChildren.isEmpty(), Unit, "A model node destroyed while nodes still report to it");
    FResultAST.reset();
    if (FParent && FRegistered)
        FParent->UnregisterChild(this);
}

// ---------------------------------------------------------------------------
// Children

TnvQueryBuilderControlOwner *TnvQueryBuilderControlOwner::GetChild(qsizetype index) const
{
    if (index < 0 || index >= GetChildCount())
        ListIndexError(index);
    return FChildren[size_t(index)].get();
}

bool TnvQueryBuilderControlOwner::RegisterChild(TnvQueryBuilderControlOwner *child)
{
    Assert(child != nullptr && !child->FRegistered, Unit, "A model node registered twice");
    FChildren.emplace_back(child);
    child->FRegistered = true;
    return GetIsUpdating();
}

void TnvQueryBuilderControlOwner::UnregisterChild(TnvQueryBuilderControlOwner *child)
{
    // Most nodes leave in the reverse order of their coming.
    for (size_t i = FChildren.size(); i-- > 0;) {
        if (FChildren[i].get() == child) {
            (void)FChildren[i].release();
            FChildren.erase(FChildren.begin() + qsizetype(i));
            child->FRegistered = false;
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Controls

TnvModelControl *TnvQueryBuilderControlOwner::GetControls(qsizetype index) const
{
    if (index < 0 || index >= qsizetype(FControls.size()))
        return nullptr;
    return FControls[size_t(index)].get();
}

bool TnvQueryBuilderControlOwner::CanCreateControls() { return FParent && FParent->FControlsCreated; }

TnvModelControl *TnvQueryBuilderControlOwner::CreateControlInternal(int) { return nullptr; }

bool TnvQueryBuilderControlOwner::MakeVisible(int) { return true; }

int TnvQueryBuilderControlOwner::GetControlsCount() { return 0; }

TnvModelControl *TnvQueryBuilderControlOwner::CreateControlOfClass(const char *className, int index)
{
    if (!FQueryBuilder)
        return nullptr;
    return FQueryBuilder->GetControlFactory()->CreateControl(className, this, index);
}

void TnvQueryBuilderControlOwner::CreateControl()
{
    if (!FControlsCreated)
        DoCreateControl();
}

void TnvQueryBuilderControlOwner::DestroyControl()
{
    if (FControlsCreated) {
        DoDestroyNotify();
        DoDestroyControl();
    }
}

void TnvQueryBuilderControlOwner::DoCreateControl()
{
    const int count = GetControlsCount();
    FControls.clear();
    FControls.resize(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        FControls[size_t(i)].reset(CreateControlInternal(i));
        TnvModelControl *control = FControls[size_t(i)].get();
        if (!control)
            continue;
        if (auto *saver = dynamic_cast<InvStateSaver *>(control))
            saver->RestoreState(this);
        if (auto *visual = dynamic_cast<InvControl *>(control))
            visual->UpdateControlVisualParams(this);
        if (MakeVisible(i))
            control->SetControlVisible(true);
    }
    FControlsCreated = true;
    for (size_t i = 0; i < FChildren.size(); ++i)
        FChildren[i]->CreateControl();
}

void TnvQueryBuilderControlOwner::DoDestroyControl()
{
    for (size_t i = 0; i < FChildren.size(); ++i)
        FChildren[i]->DestroyControl();
    FControlsCreated = false;
    for (TnvOwnedControl &slot : FControls) {
        TnvModelControl *control = slot.get();
        if (!control)
            continue;
        if (!IsDestroying())
            if (auto *saver = dynamic_cast<InvStateSaver *>(control))
                saver->SaveState(this);
        slot.reset();
    }
    FControls.clear();
}

void TnvQueryBuilderControlOwner::DoDestroyNotify()
{
    for (const auto &child : FChildren)
        child->DoDestroyNotify();
    for (const TnvOwnedControl &slot : FControls)
        if (TnvModelControl *control = slot.get())
            control->MarkDestroying();
}

void TnvQueryBuilderControlOwner::DoUpdateContolParams()
{
    if (!FControlsCreated)
        return;
    for (const TnvOwnedControl &slot : FControls)
        if (auto *visual = dynamic_cast<InvControl *>(slot.get()))
            visual->UpdateControlVisualParams(this);
    for (size_t i = 0; i < FChildren.size(); ++i)
        FChildren[i]->DoUpdateContolParams();
}

// ---------------------------------------------------------------------------
// Update bracket
//
// The bracket runs along the update tree. Opening one anywhere climbs to the
// top of the tree; the first open bracket there raises the level of every
// node of the tree, and closing the last one lowers them again, children
// before parents, each changed node running its steps as its level leaves 1.
// A bracket opened while another is open changes only the counts on the way
// up: it would raise and lower every level once more without running
// anything, so the tree is not walked for it.

void TnvQueryBuilderControlOwner::BeginUpdate()
{
    ++FUpdateCount;
    Assert(FUpdateCount >= 1, Unit);
    if (FUpdateCount == 1)
        BeginUpdateParent();
}

void TnvQueryBuilderControlOwner::EndUpdate()
{
    Assert(FUpdateCount > 0, Unit);
    --FUpdateCount;
    if (FUpdateCount == 0)
        EndUpdateParent();
}

void TnvQueryBuilderControlOwner::BeginUpdateParent()
{
    ++FParentUpdateCount;
    Assert(FParentUpdateCount >= 1, Unit);
    if (FUpdateParent)
        FUpdateParent->BeginUpdateParent();
    else if (FParentUpdateCount == 1)
        BeginUpdateInternal();
}

void TnvQueryBuilderControlOwner::EndUpdateParent()
{
    Assert(FParentUpdateCount > 0, Unit);
    --FParentUpdateCount;
    if (FUpdateParent) {
        FUpdateParent->EndUpdateParent();
    } else if (FParentUpdateCount == 0) {
        // A failing step does not keep the top from seeing what the steps
        // left changed.
        TnvFirstFailure failure;
        failure.Run([this] { EndUpdateInternal(); });
        failure.Run([this] { OutermostBracketClosed(); });
        failure.Rethrow();
    }
}

void TnvQueryBuilderControlOwner::RunPendingSteps()
{
    Assert(IsBracketTop() && FParentUpdateCount == 0 && FUpdateLevel == 0, Unit,
           "Pending steps run inside a bracket");
    BeginUpdateInternal();
    EndUpdateInternal();
}

void TnvQueryBuilderControlOwner::BeginUpdateInternal()
{
    ++FUpdateLevel;
    ++FInternalUpdateCount;
    Assert(FUpdateLevel >= 1 && FInternalUpdateCount >= 1, Unit);
    Assert(!FUpdateParent || FUpdateLevel <= FUpdateParent->FUpdateLevel, Unit);
    for (qsizetype i = 0; i < FUpdateChildren.size(); ++i)
        FUpdateChildren[i]->BeginUpdateInternal();
}

void TnvQueryBuilderControlOwner::EndUpdateInternal()
{
    Assert(FInternalUpdateCount > 0 && FUpdateLevel > 0, Unit);
    TnvFirstFailure failure;
    // Children first, the last one first. The steps of a child may change the
    // list (a node moved into or out of this one, a node freed): a child that
    // joined meanwhile was raised to this node's count and is lowered too, so
    // the walk looks again until every child stands at the level this node
    // is about to leave behind.
    const int target = FInternalUpdateCount - 1;
    // A child that failed is not asked again, so a broken child cannot keep
    // the walk going.
    QVarLengthArray<const TnvQueryBuilderControlOwner *, 4> failed;
    bool lowered = true;
    while (lowered) {
        lowered = false;
        const quint64 version = FUpdateChildrenVersion;
        for (qsizetype i = FUpdateChildren.size() - 1; i >= 0; --i) {
            if (i >= FUpdateChildren.size())
                continue;
            TnvQueryBuilderControlOwner *child = FUpdateChildren[i];
            if (child->FUpdateLevel <= target || failed.contains(child))
                continue;
            lowered = true;
            if (failure.Run([child] { child->EndUpdateInternal(); }))
                failed.append(child);
            if (FUpdateChildrenVersion != version)
                break;
        }
    }
    --FInternalUpdateCount;
    {
        // The level is lowered whatever a step raises.
        TnvScopeExit lower([this] { --FUpdateLevel; });
        if (FUpdateLevel == 1 && FChanged) {
            failure.Run([this] { DoSQLUpdated(); });
            FChanged = false;
            DestroyCachedResultASTs();
            failure.Run([this] { DoAfterUpdated(); });
        }
    }
    failure.Rethrow();
}

void TnvQueryBuilderControlOwner::NotifySQLUpdated()
{
    const bool open = !GetIsUpdating();
    if (open)
        BeginUpdate();
    TnvScopeExit close([this, open] {
        if (open)
            EndUpdate();
    });
    FChanged = true;
    if (FUpdateParent)
        FUpdateParent->NotifySQLUpdated();
}

void TnvQueryBuilderControlOwner::MarkChangedRecursive()
{
    FChanged = true;
    for (qsizetype i = 0; i < FUpdateChildren.size(); ++i)
        FUpdateChildren[i]->MarkChangedRecursive();
}

void TnvQueryBuilderControlOwner::NotifySQLUpdatedRecursive()
{
    BeginUpdate();
    TnvScopeExit close([this] { EndUpdate(); });
    MarkChangedRecursive();
    NotifySQLUpdated();
}

void TnvQueryBuilderControlOwner::SetUpdateParent(TnvQueryBuilderControlOwner *node)
{
    if (node == FUpdateParent)
        return;
    if (node) {
        bool related = false;
        for (const TnvQueryBuilderControlOwner *p = node; p && !related; p = p->FParent)
            related = p == FParent || p == this;
        Assert(related, Unit, "An update parent outside the node's parent");
    }
    TnvQueryBuilderControlOwner *old = FUpdateParent;
    if (old) {
        old->FUpdateChildren.removeOne(this);
        ++old->FUpdateChildrenVersion;
    }
    FUpdateParent = nullptr;
    // The brackets opened through this node now stand open in the new tree
    // and closed in the old one.
    for (int i = 0; i < FParentUpdateCount; ++i) {
        if (node)
            node->BeginUpdateParent();
        if (old)
            old->EndUpdateParent();
    }
    // The node takes the level of its new surroundings. A node that leaves
    // its tree for good keeps its level, so a node going away runs no steps;
    // one that stays alone keeps only the brackets opened through itself.
    int target = FUpdateLevel;
    if (node)
        target = node->FInternalUpdateCount;
    else if (!IsDestroying())
        target = FParentUpdateCount > 0 ? std::max(FUpdateLevel, 1) : 0;
    while (FUpdateLevel < target)
        BeginUpdateInternal();
    while (FUpdateLevel > target)
        EndUpdateInternal();
    FUpdateParent = node;
    if (node) {
        if (!node->FUpdateChildren.contains(this))
            node->FUpdateChildren.append(this);
        ++node->FUpdateChildrenVersion;
        Assert(node->FUpdateLevel >= FUpdateLevel, Unit);
    }
}

// ---------------------------------------------------------------------------
// Steps

void TnvQueryBuilderControlOwner::DoSQLUpdated() {}

void TnvQueryBuilderControlOwner::DoAfterUpdated()
{
    if (FParent)
        FParent->NotifySQLUpdated();
}

// ---------------------------------------------------------------------------
// Result tree

TOwned<TastNodeBase> TnvQueryBuilderControlOwner::CreateResultAST() { return nullptr; }

// Result trees are printed, or bound and counted afresh (the control's
// result statement, a derived table's columns): the columns that the model's
// FROM nodes offer and their statistics are not copied into them.

TastNodeBase *TnvQueryBuilderControlOwner::GetOrGenerateResultAST()
{
    if (!FResultAST) {
        TastUnboundCopy unbound;
        FResultAST = CreateResultAST();
    }
    return FResultAST.get();
}

TOwned<TastNodeBase> TnvQueryBuilderControlOwner::GetResultAST()
{
    TastNodeBase *tree = GetOrGenerateResultAST();
    TastUnboundCopy unbound;
    return tree ? tree->Clone() : nullptr;
}

TOwned<TastNodeBase> TnvQueryBuilderControlOwner::GetResultASTUncached()
{
    if (FResultAST)
        return GetResultAST();
    TastUnboundCopy unbound;
    return CreateResultAST();
}

void TnvQueryBuilderControlOwner::DestroyCachedResultASTs() { FResultAST.reset(); }

QString TnvQueryBuilderControlOwner::GetResultSQL()
{
    const auto *tree = As<TastNode>(GetOrGenerateResultAST());
    if (!tree)
        return QString();
    if (!FQueryBuilder)
        return tree->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr);
    const TnvMetadataContainer *container = FQueryBuilder->MetadataContainer();
    return tree->SimpleSQL(FQueryBuilder->IdentQuotation(), FQueryBuilder->ObjectPrefixSkipping(),
                           container ? container->DefaultDatabaseName() : nullptr,
                           container ? container->DefaultSchemaNames() : nullptr);
}

// ---------------------------------------------------------------------------
// Syntax provider

void TnvQueryBuilderControlOwner::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    if (provider == FSyntaxProvider)
        return;
    BeginUpdate();
    TnvScopeExit close([this] { EndUpdate(); });
    FSyntaxProvider = provider;
    TastNodeRefList nodes;
    GetASTChildren(nodes);
    for (TastNodeBase *node : std::as_const(nodes))
        node->SetSyntaxProvider(provider);
    for (size_t i = 0; i < FChildren.size(); ++i)
        FChildren[i]->SetSyntaxProvider(provider);
    NotifySQLUpdated();
}

void TnvQueryBuilderControlOwner::GetASTChildren(TastNodeRefList &) {}

void TnvQueryBuilderControlOwner::GetASTChildrenForSubtree(TastNodeRefList &list)
{
    GetASTChildren(list);
    for (const auto &child : FChildren)
        child->GetASTChildrenForSubtree(list);
}

void TnvQueryBuilderControlOwner::BindAsRead(TastNodeBase *tree)
{
    if (!tree)
        return;
    tree->SetSyntaxProvider(FSyntaxProvider);
    tree->RestoreColumnPrefixRecursive();
    TastNodeRefList withItems, fromSources;
    GatherPrepareAndFixupContext(withItems, fromSources, true);
    tree->PrepareAndFixupRecursive(withItems, fromSources,
                                   FQueryBuilder ? FQueryBuilder->MetadataContainer() : nullptr);
}

// ---------------------------------------------------------------------------
// Sub-queries

void TnvQueryBuilderControlOwner::LoadSubQueries(TastNodeBase *node)
{
    if (!node)
        return;
    TInternalSubqueriesLoader loader(this, node, FQueryBuilder);
    node->MoveSubQueryInProxyRecursive(&loader, TnvSubSelectStatementProxy::ProxyClass());
}

void TnvQueryBuilderControlOwner::RegisterProxy(TnvSubSelectStatementProxy *proxy)
{
    if (!FProxies.contains(proxy))
        FProxies.append(proxy);
}

void TnvQueryBuilderControlOwner::UnregisterProxy(TnvSubSelectStatementProxy *proxy) { FProxies.removeOne(proxy); }

void TnvQueryBuilderControlOwner::GetSubqueriesByRootNode(const TastNodeBase *node,
                                                          QList<TnvSubSelectStatementProxy *> &list) const
{
    for (TnvSubSelectStatementProxy *proxy : FProxies)
        if (proxy->RootNode() == node)
            list.append(proxy);
}

qsizetype TnvQueryBuilderControlOwner::GetSubqueriesByRootNodeCount(const TastNodeBase *node) const
{
    qsizetype count = 0;
    for (const TnvSubSelectStatementProxy *proxy : FProxies)
        if (proxy->RootNode() == node)
            ++count;
    return count;
}

void TnvQueryBuilderControlOwner::ShowSubQueriesPopup(const QPoint &point,
                                                      const QList<TnvSubSelectStatementProxy *> &list)
{
    if (!FQueryBuilder)
        return;
    FQueryBuilder->PopupMenuClear();
    for (TnvSubSelectStatementProxy *proxy : list) {
        TnvSubQuery *subQuery = proxy->SubQuery();
        if (!subQuery)
            continue;
        FQueryBuilder->PopupMenuAddItem(nullptr, AbbreviateSQLCaption(subQuery->GetResultSQL()), 0, true, false,
                                        false, TNotifyEvent::Bind<&TnvQueryBuilderControlOwner::EditSubquery>(this),
                                        subQuery);
    }
    FQueryBuilder->PopupMenuCompleted();
    FQueryBuilder->PopupMenuPopup(point);
}

void TnvQueryBuilderControlOwner::EditSubquery(TObject *sender)
{
    const auto *item = As<TnvMenuItemData>(sender);
    auto *subQuery = As<TnvSubQuery>(item ? item->Sender() : sender);
    if (subQuery && FQueryBuilder)
        FQueryBuilder->SetCurrentSubquery(subQuery);
}

QString TnvQueryBuilderControlOwner::AbbreviateSQLCaption(const QString &sql)
{
    QString caption = sql;
    caption.replace(QStringLiteral("SELECT "), QStringLiteral("SEL "), Qt::CaseSensitive);
    caption.replace(QStringLiteral(" FROM "), QStringLiteral(" FRM "), Qt::CaseSensitive);
    if (caption.size() > 25)
        caption = caption.left(25) + QStringLiteral(" ...");
    return caption;
}

// ---------------------------------------------------------------------------
// Model operations

bool TnvQueryBuilderControlOwner::NotifyDatasourceDestroyingInternal(TnvDatasourceBase *) { return false; }

bool TnvQueryBuilderControlOwner::NotifyDatasourceDestroying(TnvDatasourceBase *datasource)
{
    BeginUpdate();
    TnvScopeExit close([this] { EndUpdate(); });
    const bool result = NotifyDatasourceDestroyingInternal(datasource);
    if (!result) {
        for (size_t i = FChildren.size(); i-- > 0;) {
            if (i >= FChildren.size())
                continue;
            TnvQueryBuilderControlOwner *child = FChildren[i].get();
            if (child->NotifyDatasourceDestroying(datasource))
                TObject::Free(child);
        }
    }
    return result;
}

void TnvQueryBuilderControlOwner::RemoveEvent(TObject *) { TObject::Free(this); }

void TnvQueryBuilderControlOwner::EditProps(TPosition position)
{
    if (!FSyntaxProvider || !FQueryBuilder)
        return;
    TClass formClass = FSyntaxProvider->GetEditPropsFormClass(this);
    if (!formClass)
        return;
    BeginUpdate();
    TnvScopeExit close([this] { EndUpdate(); });
    if (FQueryBuilder->GetControlFactory()->ShowEditPropsDialog(formClass, this, position))
        NotifySQLUpdated();
}

void TnvQueryBuilderControlOwner::EditPropsEvent(TObject *) { EditProps(poMainFormCenter); }

TnvMenuItemData *TnvQueryBuilderControlOwner::GetPopupMenu() { return nullptr; }

void TnvQueryBuilderControlOwner::GatherPrepareAndFixupContext(TastNodeRefList &withItems,
                                                               TastNodeRefList &fromSources, bool addDatasources)
{
    if (FParent)
        FParent->GatherPrepareAndFixupContext(withItems, fromSources, addDatasources);
}

} // namespace nvqb
