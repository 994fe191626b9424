#include "builder/model/SubQuery.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvSubQuery, TnvUnionGroup)

TnvSubQuery::TnvSubQuery(TnvQueryBuilderControlOwner *parent, TnvQueryBuilderModel *queryBuilder)
    : TnvUnionGroup(parent, queryBuilder)
{
    SetOwningSubQuery(this);
    for (TnvQueryBuilderControlOwner *p = parent; p; p = p->Parent()) {
        if (auto *subQuery = As<TnvSubQuery>(p)) {
            FParentSubQuery = subQuery;
            break;
        }
    }
}

void TnvSubQuery::AfterConstruction()
{
    TnvUnionGroup::AfterConstruction();
    if (FParentSubQuery)
        FParentSubQuery->FSubQueries.append(this);
    if (TnvQueryBuilderModel *qb = QueryBuilder())
        qb->RegisterSubQuery(this);
}

void TnvSubQuery::Destroy()
{
    if (FParentSubQuery) {
        FParentSubQuery->FSubQueries.removeOne(this);
        FParentSubQuery = nullptr;
    }
    for (TnvSubQuery *child : std::as_const(FSubQueries))
        child->FParentSubQuery = nullptr;
    FSubQueries.clear();
    if (TnvQueryBuilderModel *qb = QueryBuilder())
        qb->UnregisterSubQuery(this);
    SetCurrentUnionSubquery(nullptr);
    TnvUnionGroup::Destroy();
}

void TnvSubQuery::Notification(TComponent *component, TOperation operation)
{
    TnvUnionGroup::Notification(component, operation);
    if (operation == opRemove && component == FCurrentUnionSubQuery)
        FCurrentUnionSubQuery = nullptr;
}

// ---------------------------------------------------------------------------
// Loading and printing

TSQLSubSelectStatement *TnvSubQuery::GetASTSubQuery() const { return As<TSQLSubSelectStatement>(UnionNode()); }

TOwned<TSQLSubSelectStatement> TnvSubQuery::NewStatementNode() const
{
    return Create<TSQLSubSelectStatement>(SyntaxProvider());
}

void TnvSubQuery::LoadFromAST(TOwned<TSQLSubQueryExpression> statement)
{
    Assert(statement && statement->Is<TSQLSubSelectStatement>(), "nvQBBase", "A sub-query loaded from a non-statement");
    auto bracket = UpdateBracket(this);
    TnvUnionGroup::LoadFromAST(std::move(statement));
    TSQLSubSelectStatement *node = GetASTSubQuery();
    if (node->WithClause)
        LoadSubQueries(node->WithClause.get());
    if (node->OrderByClause) {
        // The ORDER BY of the statement is held by its first part. Without
        // one (the statement starts with an empty group) the statement keeps
        // it, so it is still printed.
        if (TnvUnionSubQuery *first = FirstSelect()) {
            first->SelectList()->LoadOrderByListFromAST(node->OrderByClause.get());
            node->OrderByClause.reset();
        }
    }
}

TOwned<TastNodeBase> TnvSubQuery::CreateResultAST()
{
    TOwned<TastNodeBase> tree = TnvUnionGroup::CreateResultAST();
    auto *statement = As<TSQLSubSelectStatement>(tree.get());
    if (!statement)
        return tree;
    if (TnvUnionSubQuery *first = FirstSelect()) {
        TnvSelectList *list = first->SelectList();
        TOwned<TSQLOrderByClause> orderBy = IsSingleSelect() ? list->GetOrderByClause() : ResultOrderByClause(list);
        if (orderBy)
            statement->OrderByClause.reset(std::move(orderBy));
    }
    return tree;
}

bool TnvSubQuery::IsSingleSelect() const { return GetCount() == 1 && GetItems(0)->Is<TnvUnionSubQuery>(); }

void TnvSubQuery::CheckOrderByOfUnion() const
{
    if (!IsSingleSelect())
        return;
    const TnvSelectList *list = static_cast<TnvUnionSubQuery *>(GetItems(0))->SelectList();
    if (const TnvSelectItem *row = SortKeyOutsideResult(list))
        throw Exception(nvQBFormatMessage("nvQBOrderByNotOutput",
                                          QStringLiteral("The query is sorted by %s: a union or brackets can sort only "
                                                         "by output columns, by their aliases or positions."),
                                          {TnvSelectItem::NodeText(QueryBuilder(), row->ExpressionNode())}));
}

TnvUnionSubQuery *TnvSubQuery::FirstSelect() const
{
    const TnvUnionGroup *group = this;
    while (group) {
        if (group->GetCount() == 0)
            return nullptr;
        TnvQueryBase *first = group->GetItems(0);
        if (auto *select = As<TnvUnionSubQuery>(first))
            return select;
        group = As<TnvUnionGroup>(first);
    }
    return nullptr;
}

void TnvSubQuery::Clear()
{
    auto bracket = UpdateBracket(this);
    TnvUnionGroup::Clear();
    // An emptied query prints nothing of what it held: a WITH clause or a
    // kept ORDER BY goes with the members.
    if (const TSQLSubSelectStatement *node = GetASTSubQuery(); node && (node->WithClause || node->OrderByClause)) {
        TOwned<TSQLSubSelectStatement> fresh = NewStatementNode();
        fresh->UnionOperator = node->UnionOperator;
        fresh->UnionAll = node->UnionAll;
        TnvQueryBase::LoadFromAST(std::move(fresh));
        NotifySQLUpdated();
    }
}

// ---------------------------------------------------------------------------
// Union parts

void TnvSubQuery::RegisterUnionSubQuery(TnvUnionSubQuery *member)
{
    if (!FUnionSubQueries.contains(member))
        FUnionSubQueries.append(member);
}

void TnvSubQuery::UnregisterUnionSubQuery(TnvUnionSubQuery *member)
{
    FUnionSubQueries.removeOne(member);
    if (member != FOrderByHolder)
        return;
    // The holder goes: its keys wait for the part that becomes first. The
    // last part takes them along: the parts that come next load or make an
    // ORDER BY of their own.
    FOrderByHolder = nullptr;
    if (IsDestroying() || FUnionSubQueries.isEmpty())
        FOrderByInTransit.reset();
    else
        FOrderByInTransit = TnvOrderByKeys::Of(member->SelectList());
}

namespace {
void CollectUnionSubQueries(const TnvUnionGroup *group, QList<TnvUnionSubQuery *> &list)
{
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvQueryBase *member = group->GetItems(i);
        if (auto *select = As<TnvUnionSubQuery>(member))
            list.append(select);
        else if (auto *nested = As<TnvUnionGroup>(member))
            CollectUnionSubQueries(nested, list);
    }
}
} // namespace

void TnvSubQuery::UpdateUnionSubQueriesOrder()
{
    QList<TnvUnionSubQuery *> ordered;
    ordered.reserve(FUnionSubQueries.size());
    CollectUnionSubQueries(this, ordered);
    // Parts outside every group (being made or taken out) keep their place
    // after the others.
    for (TnvUnionSubQuery *member : std::as_const(FUnionSubQueries))
        if (!member->ParentQuery())
            ordered.append(member);
    if (ordered.size() == FUnionSubQueries.size())
        FUnionSubQueries = std::move(ordered);
    FollowFirstSelect();
}

void TnvSubQuery::FollowFirstSelect()
{
    if (FReorderScopes > 0 || IsDestroying())
        return;
    TnvUnionSubQuery *first = FirstSelect();
    if (!first || first == FOrderByHolder)
        return;
    auto bracket = UpdateBracket(this);
    // The part that is no longer first keeps its rows: they print nothing
    // now, and should it become first again, they are the ORDER BY still.
    // Sorts of the new first part that printed nothing so far give way to
    // the statement's.
    if (TnvUnionSubQuery *holder = std::exchange(FOrderByHolder, first))
        FOrderByInTransit = TnvOrderByKeys::Of(holder->SelectList());
    if (FOrderByInTransit) {
        FOrderByInTransit->SortBy(first->SelectList());
        FOrderByInTransit.reset();
    }
}

TnvSubQuery::TReorderScope::TReorderScope(TnvSubQuery *statement) : FStatement(statement)
{
    if (FStatement)
        ++FStatement->FReorderScopes;
}

TnvSubQuery::TReorderScope::~TReorderScope()
{
    if (!FStatement)
        return;
    if (--FStatement->FReorderScopes == 0)
        nvQBCatchAll([this] { FStatement->FollowFirstSelect(); });
}

void TnvSubQuery::SetCurrentUnionSubquery(TnvUnionSubQuery *member)
{
    if (member == FCurrentUnionSubQuery)
        return;
    if (member && member->ControlsCreated())
        if (TnvModelControl *page = member->GetUnionPage())
            page->SetControlVisible(true);
    if (TnvUnionSubQuery *old = FCurrentUnionSubQuery) {
        RemoveFreeNotification(old);
        if (old->ControlsCreated())
            if (TnvModelControl *page = old->GetUnionPage())
                page->SetControlVisible(false);
    }
    FCurrentUnionSubQuery = member;
    if (member) {
        FreeNotification(member);
        UpdateCurrentUnionSubQueryControls();
    }
}

void TnvSubQuery::UpdateCurrentUnionSubQueryControls()
{
    TnvUnionSubQuery *member = FCurrentUnionSubQuery;
    if (!member || !member->ControlsCreated())
        return;
    if (auto *button = dynamic_cast<InvUnionSubQueryNavButtonControl *>(member->GetUnionButton()))
        button->SetDown(true);
    if (TnvModelControl *page = member->GetUnionPage()) {
        page->SetControlVisible(true);
        page->BringToFront();
    }
}

void TnvSubQuery::RequestAlignUnionNavbar()
{
    if (!ControlsCreated())
        return;
    if (TnvModelControl *page = GetControls(0))
        page->Realign();
}

// ---------------------------------------------------------------------------
// Caption

QString TnvSubQuery::GetCaption()
{
    if (!FCaption.isEmpty())
        return FCaption;
    if (GetIsMainQuery())
        return nvQBMessage(nvQBMainQuery);
    return AbbreviateSQLCaption(GetResultSQL());
}

void TnvSubQuery::SetCaption(const QString &caption)
{
    FCaption = caption;
    UpdateCaption();
}

void TnvSubQuery::UpdateCaption()
{
    if (!ControlsCreated())
        return;
    auto *page = GetControlInterface<InvSubQueryControl>(0);
    if (!page)
        return;
    QString caption = GetCaption();
    if (TnvQueryBuilderModel *qb = QueryBuilder())
        qb->DoGetTabHeaderText(this, caption);
    page->SetCaption(caption);
}

void TnvSubQuery::DoAfterUpdated()
{
    TnvUnionGroup::DoAfterUpdated();
    UpdateCaption();
}

// ---------------------------------------------------------------------------
// Controls and binding

bool TnvSubQuery::CanCreateControls()
{
    if (TnvQueryBuilderModel *qb = QueryBuilder(); qb && qb->ControlsCreated())
        return true;
    return TnvUnionGroup::CanCreateControls();
}

void TnvSubQuery::CreateControl()
{
    const bool created = !ControlsCreated();
    TnvUnionGroup::CreateControl();
    if (created && ControlsCreated())
        UpdateCaption();
}

TnvModelControl *TnvSubQuery::CreateControlInternal(int index)
{
    return index == 0 ? CreateControlOfClass(ControlClass::QueryTabSheet, index) : nullptr;
}

void TnvSubQuery::GatherPrepareAndFixupContext(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                               bool addDatasources)
{
    if (const TSQLSubSelectStatement *node = GetASTSubQuery(); node && node->WithClause) {
        const TSQLWithClause *with = node->WithClause.get();
        TastNodeRefList items;
        for (qsizetype i = 0; i < with->GetCount(); ++i)
            if (TSQLWithClauseItem *item = with->GetItems(i))
                items.append(item);
        withItems = items + withItems;
    }
    TnvUnionGroup::GatherPrepareAndFixupContext(withItems, fromSources, addDatasources);
}

} // namespace nvqb
