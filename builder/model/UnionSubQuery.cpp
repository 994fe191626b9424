#include "builder/model/UnionSubQuery.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "classlib/Assert.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/sql/SQLFromClause.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvUnionSubQuery, TnvQueryBase)

TnvUnionSubQuery::TnvUnionSubQuery(TnvSubQuery *subQuery, TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBase(subQuery, queryBuilder)
{
    if (TnvBaseSyntaxProvider *provider = SyntaxProvider())
        FANSIJoins = provider->IsSupportANSIJoins();
}

void TnvUnionSubQuery::AfterConstruction()
{
    TnvQueryBase::AfterConstruction();
    FSelectList = NewModelNode<TnvSelectList>(this, QueryBuilder());
    FFromGroup = NewModelNode<TnvDatasourceGroup>(this, QueryBuilder());
    if (TnvSubQuery *statement = GetRootQuery()) {
        statement->RegisterUnionSubQuery(this);
        if (!statement->CurrentUnionSubQuery())
            statement->SetCurrentUnionSubquery(this);
    }
}

void TnvUnionSubQuery::Destroy()
{
    TnvSubQuery *statement = GetRootQuery();
    if (statement && !statement->IsDestroying()) {
        // The part after this one in textual order becomes current, or the
        // one before it when this was the last, whichever was current.
        const qsizetype index = statement->IndexOfUnionSubQuery(this);
        TnvUnionSubQuery *next = nullptr;
        if (index >= 0 && index + 1 < statement->UnionSubQueriesCount())
            next = statement->UnionSubQueries(index + 1);
        else if (index > 0)
            next = statement->UnionSubQueries(index - 1);
        statement->SetCurrentUnionSubquery(next);
    }
    if (statement)
        statement->UnregisterUnionSubQuery(this);
    // The children go with the base; they are not reached through these.
    FSelectList = nullptr;
    FFromGroup = nullptr;
    TnvQueryBase::Destroy();
    if (statement && !statement->IsDestroying())
        statement->RequestAlignUnionNavbar();
}

TSQLSubQuerySelectExpression *TnvUnionSubQuery::SelectNode() const
{
    return As<TSQLSubQuerySelectExpression>(UnionNode());
}

void TnvUnionSubQuery::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    if (provider == SyntaxProvider())
        return;
    auto bracket = UpdateBracket(this);
    TnvQueryBase::SetSyntaxProvider(provider);
    FANSIJoins = provider ? provider->IsSupportANSIJoins() : true;
    // The joins are written as the new dialect writes them.
    if (provider && FFromGroup) {
        if (FANSIJoins)
            FFromGroup->MoveJoinsToFrom();
        else
            FFromGroup->MoveJoinsToWhere();
    }
}

// ---------------------------------------------------------------------------
// Loading and printing

void TnvUnionSubQuery::LoadFromAST(TOwned<TSQLSubQueryExpression> node)
{
    Assert(node && node->Is<TSQLSubQuerySelectExpression>(), "nvQBBase", "A union part loaded from a group");
    TnvQueryBase::LoadFromAST(std::move(node));
    TSQLSubQuerySelectExpression *select = SelectNode();
    auto bracket = UpdateBracket(this);
    FSelectList->LoadSelectListFromAST(select->SelectItems.release());
    TOwned<TSQLExpressionItem> where = select->WhereClause.release();
    if (select->FromClause) {
        const bool joinKinds = FFromGroup->LoadFromAST(select->FromClause.release());
        if (TnvBaseSyntaxProvider *provider = SyntaxProvider()) {
            if (provider->IsSupportANSIJoins() && joinKinds) {
                FFromGroup->LoadJoins();
                FANSIJoins = true;
            } else if (provider->IsSupportOracleJoins() || !provider->IsSupportANSIJoins()) {
                bool found = false;
                where = FFromGroup->LoadWhereJoins(std::move(where), found);
                FANSIJoins = provider->IsSupportANSIJoins() && !found;
            }
        } else {
            FANSIJoins = true;
        }
        FSelectList->BindNamesOfSubQueries();
    }
    if (where)
        FSelectList->LoadConditionFromAST(std::move(where), gtWhere);
    FSelectList->LoadGroupByListFromAST(select->GroupByClause.release());
    if (TOwned<TSQLExpressionItem> having = select->HavingClause.release())
        FSelectList->LoadConditionFromAST(std::move(having), gtHaving);
    NotifySQLUpdated();
}

TOwned<TastNodeBase> TnvUnionSubQuery::CreateResultAST()
{
    const TSQLSubQuerySelectExpression *node = SelectNode();
    if (!node)
        return nullptr;
    TOwned<TSQLSubQuerySelectExpression> copy = CloneAs(node);
    // The parts are built for this tree alone: a copy of a cached part would
    // cost one more copy of it, and the block is rebuilt whenever a part changes.
    TOwned<TastNodeBase> items = FSelectList->CreateResultAST();
    Assert(!items || items->Is<TSQLSelectItems>(), "nvQBBase", "A select list that builds no select items");
    copy->SelectItems.reset(TOwned<TSQLSelectItems>(static_cast<TSQLSelectItems *>(items.release())));
    TOwned<TastNodeBase> from = FFromGroup->CreateResultAST();
    Assert(!from || from->Is<TSQLFromClause>(), "nvQBBase", "A FROM group that builds no FROM clause");
    copy->FromClause.reset(TOwned<TSQLFromClause>(static_cast<TSQLFromClause *>(from.release())));
    copy->WhereClause.reset(FFromGroup->AddWhereJoinConditions(FSelectList->GetConditionTree(WhereGroupByTypes)));
    copy->GroupByClause.reset(FSelectList->GetGroupByTree());
    copy->HavingClause.reset(FSelectList->GetConditionTree(HavingGroupByTypes));
    return copy;
}

TOwned<TSQLSubQuerySelectExpression> TnvUnionSubQuery::GetResultQueryAST()
{
    TOwned<TastNodeBase> tree = GetResultAST();
    if (!tree)
        return nullptr;
    Assert(tree->Is<TSQLSubQuerySelectExpression>(), "nvQBBase", "A union part that builds no select block");
    return TOwned<TSQLSubQuerySelectExpression>(static_cast<TSQLSubQuerySelectExpression *>(tree.release()));
}

void TnvUnionSubQuery::GatherPrepareAndFixupContext(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                                    bool addDatasources)
{
    if (addDatasources && FFromGroup) {
        TastNodeRefList sources;
        FFromGroup->GetFromSources(sources);
        fromSources = sources + fromSources;
    }
    TnvQueryBase::GatherPrepareAndFixupContext(withItems, fromSources, true);
}

// ---------------------------------------------------------------------------
// Controls

namespace {
void AlignLinesOf(TnvDatasourceGroup *group)
{
    for (qsizetype i = 0; i < group->GetLinksCount(); ++i)
        if (InvLinkControl *line = group->GetLink(i)->GetILinkControl())
            line->AlignLink();
    for (qsizetype i = 0; i < group->GetCount(); ++i)
        if (auto *nested = As<TnvDatasourceGroup>(group->GetItems(i)))
            AlignLinesOf(nested);
}
} // namespace

void TnvUnionSubQuery::CreateControl()
{
    const bool created = !ControlsCreated();
    const bool placing = !FPlacedBoxes;
    if (placing)
        FPlacedBoxes.emplace();
    {
        TnvScopeExit placed([this, placing] {
            if (placing)
                FPlacedBoxes.reset();
        });
        TnvQueryBase::CreateControl();
    }
    // One pass over the select list for all boxes, and each line aligned
    // once, rather than for each box made.
    if (placing && FFromGroup && ControlsCreated()) {
        FFromGroup->UpdateChecks();
        AlignLinesOf(FFromGroup);
    }
    if (created && ControlsCreated())
        if (TnvSubQuery *statement = GetRootQuery(); statement && statement->CurrentUnionSubQuery() == this)
            statement->UpdateCurrentUnionSubQueryControls();
}

TnvModelControl *TnvUnionSubQuery::CreateControlInternal(int index)
{
    switch (index) {
    case 0:
        return CreateControlOfClass(ControlClass::UnionSubQueryTabSheet, index);
    case 1:
        return CreateControlOfClass(ControlClass::UnionButton, index);
    case 2:
        return CreateControlOfClass(ControlClass::UnionOperator, index);
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Member moves

bool TnvUnionSubQuery::IsInNestedGroup() const { return ParentQuery() && ParentQuery()->ParentQuery(); }

bool TnvUnionSubQuery::CanMoveForward() const
{
    const TnvUnionGroup *group = ParentQuery();
    return group && (IsInNestedGroup() || group->IndexOf(this) < group->GetCount() - 1);
}

bool TnvUnionSubQuery::CanMoveBackward() const
{
    const TnvUnionGroup *group = ParentQuery();
    return group && (IsInNestedGroup() || group->IndexOf(this) > 0);
}

void TnvUnionSubQuery::MoveForward()
{
    if (!CanMoveForward())
        return;
    TnvUnionGroup *group = ParentQuery();
    const qsizetype index = group->IndexOf(this);
    if (index == group->GetCount() - 1) {
        // The last member of a nested group leaves it.
        group->RemoveFromEnd(this);
    } else {
        TnvQueryBase *next = group->GetItems(index + 1);
        if (auto *nextGroup = As<TnvUnionGroup>(next))
            nextGroup->AddToBegin(this);
        else
            group->Move(index, index + 1);
    }
    if (TnvSubQuery *statement = GetRootQuery())
        statement->RequestAlignUnionNavbar();
}

void TnvUnionSubQuery::MoveBackward()
{
    if (!CanMoveBackward())
        return;
    TnvUnionGroup *group = ParentQuery();
    const qsizetype index = group->IndexOf(this);
    if (index == 0) {
        group->RemoveFromBegin(this);
    } else {
        TnvQueryBase *previous = group->GetItems(index - 1);
        if (auto *previousGroup = As<TnvUnionGroup>(previous))
            previousGroup->AddToEnd(this);
        else
            group->Move(index, index - 1);
    }
    if (TnvSubQuery *statement = GetRootQuery())
        statement->RequestAlignUnionNavbar();
}

void TnvUnionSubQuery::EncloseInBrackets()
{
    if (TnvUnionGroup *group = ParentQuery())
        group->Enclose(this);
}

TnvUnionSubQuery *TnvUnionSubQuery::NewUnionSubQuery()
{
    TnvUnionGroup *group = ParentQuery();
    if (!group)
        return nullptr;
    TnvUnionSubQuery *member = nullptr;
    {
        auto bracket = UpdateBracket(group);
        member = group->Add();
        if (member && GetRootQuery())
            GetRootQuery()->SetCurrentUnionSubquery(member);
    }
    return member;
}

// ---------------------------------------------------------------------------
// Menus

TnvMenuItemData *TnvUnionSubQuery::GetPopupMenu()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return nullptr;
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvMoveBackward), 0, CanMoveBackward(), false, false,
                         TNotifyEvent::Bind<&TnvUnionSubQuery::MoveBackwardEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvMoveForward), 0, CanMoveForward(), false, false,
                         TNotifyEvent::Bind<&TnvUnionSubQuery::MoveForwardEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, QStringLiteral("-"), 0, true, false, false, nullptr, nullptr);
    CreateUnionPopupMenu(nullptr);
    qb->PopupMenuCompleted();
    return qb->PopupMenu();
}

void TnvUnionSubQuery::CreateUnionPopupMenu(TnvMenuItemData *parent)
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return;
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    const TnvSubQuery *statement = GetRootQuery();
    const bool main = statement && statement->GetIsMainQuery();
    const bool canUnion = provider && (main ? provider->IsSupportUnions() : provider->IsSupportSubQueryUnions());
    const bool canBracket =
        provider && (main ? provider->IsSupportBracketsInUnions() : provider->IsSupportSubQueryBracketsInUnions());
    qb->PopupMenuAddItem(parent, nvQBMessage(nvQBNewUnionSubQuery), 0, canUnion, false, false,
                         TNotifyEvent::Bind<&TnvUnionSubQuery::NewUnionSubQueryEvent>(this), this);
    qb->PopupMenuAddItem(parent, nvQBMessage(nvQBEncloseInBrackets), 0, canBracket, false, false,
                         TNotifyEvent::Bind<&TnvUnionSubQuery::EncloseInBracketsEvent>(this), this);
    qb->PopupMenuAddItem(parent, nvQBMessage(nvQBRemove), 0, statement && statement->UnionSubQueriesCount() > 1,
                         false, false, TNotifyEvent::Bind<&TnvUnionSubQuery::RemoveEvent>(this), this);
}

void TnvUnionSubQuery::MoveForwardEvent(TObject *) { MoveForward(); }

void TnvUnionSubQuery::MoveBackwardEvent(TObject *) { MoveBackward(); }

void TnvUnionSubQuery::EncloseInBracketsEvent(TObject *) { EncloseInBrackets(); }

void TnvUnionSubQuery::NewUnionSubQueryEvent(TObject *) { NewUnionSubQuery(); }

} // namespace nvqb
