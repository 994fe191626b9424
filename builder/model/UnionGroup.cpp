#include "builder/model/UnionGroup.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/sql/SQLFromClause.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvUnionGroup, TnvQueryBase)

TnvUnionGroup::TnvUnionGroup(TnvQueryBuilderControlOwner *parent, TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBase(parent, queryBuilder)
{
}

void TnvUnionGroup::Destroy()
{
    // The last first; each member takes itself out of the list.
    while (!FMembers.isEmpty()) {
        TnvQueryBase *member = FMembers.last();
        TObject::Free(member);
        FMembers.removeOne(member);
    }
    TnvQueryBase::Destroy();
}

TnvQueryBase *TnvUnionGroup::GetItems(qsizetype index) const
{
    if (index < 0 || index >= FMembers.size())
        ListIndexError(index);
    return FMembers[index];
}

void TnvUnionGroup::Delete(qsizetype index) { GetItems(index)->SetParentQuery(nullptr); }

void TnvUnionGroup::Remove(TnvQueryBase *member)
{
    if (member && member->ParentQuery() == this)
        member->SetParentQuery(nullptr);
}

void TnvUnionGroup::Move(qsizetype from, qsizetype to)
{
    if (from < 0 || from >= FMembers.size())
        ListIndexError(from);
    if (to < 0 || to >= FMembers.size())
        ListIndexError(to);
    if (from == to)
        return;
    auto bracket = UpdateBracket(this);
    const QList<TnvUnionOperatorText> operators = OperatorsByPlace();
    FMembers.move(from, to);
    SetOperatorsByPlace(operators);
    NotifySQLUpdated();
    if (TnvSubQuery *subQuery = GetRootQuery())
        subQuery->UpdateUnionSubQueriesOrder();
}

QList<TnvUnionOperatorText> TnvUnionGroup::OperatorsByPlace() const
{
    QList<TnvUnionOperatorText> operators;
    operators.reserve(FMembers.size());
    for (const TnvQueryBase *member : FMembers)
        operators.append(member->UnionOperatorText());
    return operators;
}

void TnvUnionGroup::SetOperatorsByPlace(const QList<TnvUnionOperatorText> &operators)
{
    for (qsizetype i = 0; i < FMembers.size() && i < operators.size(); ++i)
        FMembers[i]->SetUnionOperatorText(operators[i]);
}

void TnvUnionGroup::PlaceMember(TnvQueryBase *member, qsizetype index)
{
    // The member joins at the end first.
    TnvSubQuery::TReorderScope reorder(GetRootQuery());
    member->SetParentQuery(this);
    const qsizetype at = FMembers.indexOf(member);
    index = std::clamp<qsizetype>(index, 0, FMembers.size() - 1);
    if (at != index) {
        FMembers.move(at, index);
        NotifySQLUpdated();
        if (TnvSubQuery *statement = GetRootQuery())
            statement->UpdateUnionSubQueriesOrder();
    }
}

// ---------------------------------------------------------------------------
// New members

void TnvUnionGroup::CheckCanAdd() const
{
    TnvSubQuery *statement = GetRootQuery();
    if (!statement || statement->UnionSubQueriesCount() == 0)
        return;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!provider)
        return;
    if (statement->GetIsMainQuery()) {
        if (!provider->IsSupportUnions())
            throw Exception(nvQBMessage(nvQBDialectDontSupportUnions));
    } else if (!provider->IsSupportSubQueryUnions()) {
        throw Exception(nvQBMessage(nvQBDialectDontSupportUnionsInSubQueries));
    }
    statement->CheckOrderByOfUnion();
}

void TnvUnionGroup::CheckCanAddGroup() const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    TnvSubQuery *statement = GetRootQuery();
    if (!provider || !statement)
        return;
    // Main query or sub-query is the statement's, whatever the depth of the
    // group the brackets go into.
    if (statement->GetIsMainQuery()) {
        if (!provider->IsSupportBracketsInUnions())
            throw Exception(nvQBMessage(nvQBDialectDontSupportUnionsBrackets));
    } else if (!provider->IsSupportSubQueryBracketsInUnions()) {
        throw Exception(nvQBMessage(nvQBDialectDontSupportUnionsBracketsInSubQuery));
    }
    statement->CheckOrderByOfUnion();
}

TnvUnionSubQuery *TnvUnionGroup::Add()
{
    if (IsDestroying())
        return nullptr;
    CheckCanAdd();
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    TOwned<TSQLSubQuerySelectExpression> select = Create<TSQLSubQuerySelectExpression>(provider);
    select->SelectItems.reset(Create<TSQLSelectItems>(provider));
    select->FromClause.reset(Create<TSQLFromClause>(provider));
    select->GroupByClause.reset(Create<TSQLGroupByList>(provider));
    TnvUnionSubQuery *member = AddAST(std::move(select));
    member->SetANSIJoins(provider ? provider->IsSupportANSIJoins() : true);
    return member;
}

TnvUnionGroup *TnvUnionGroup::AddGroup()
{
    if (IsDestroying())
        return nullptr;
    CheckCanAddGroup();
    return AddGroupAST(Create<TSQLSubQueryExpressions>(SyntaxProvider()));
}

TnvUnionSubQuery *TnvUnionGroup::Insert(qsizetype index)
{
    if (index < 0 || index > FMembers.size())
        ListIndexError(index);
    auto bracket = UpdateBracket(this);
    TnvUnionSubQuery *member = Add();
    if (member)
        PlaceFirstOrAt(member, index);
    return member;
}

TnvUnionGroup *TnvUnionGroup::InsertGroup(qsizetype index)
{
    if (index < 0 || index > FMembers.size())
        ListIndexError(index);
    auto bracket = UpdateBracket(this);
    TnvUnionGroup *group = AddGroup();
    if (group)
        PlaceFirstOrAt(group, index);
    return group;
}

void TnvUnionGroup::PlaceFirstOrAt(TnvQueryBase *member, qsizetype index)
{
    PlaceMember(member, index);
    // The old first member hid its operator; a new one in front of it must
    // not bring that back.
    if (index == 0 && FMembers.size() > 1)
        FMembers[1]->SetUnionOperatorText(member->UnionOperatorText());
}

TnvUnionGroup *TnvUnionGroup::Enclose(TnvQueryBase *member)
{
    if (!member || member->ParentQuery() != this)
        return nullptr;
    TnvUnionGroup *brackets = nullptr;
    {
        auto bracket = UpdateBracket(this);
        TnvSubQuery::TReorderScope reorder(GetRootQuery());
        const qsizetype index = IndexOf(member);
        brackets = AddGroup();
        if (!brackets)
            return nullptr;
        brackets->SetUnionOperatorText(member->UnionOperatorText());
        PlaceMember(brackets, index);
        member->SetParentQuery(brackets);
    }
    if (TnvSubQuery *statement = GetRootQuery())
        statement->RequestAlignUnionNavbar();
    return brackets;
}

TnvUnionSubQuery *TnvUnionGroup::AddAST(TOwned<TSQLSubQuerySelectExpression> select)
{
    TnvUnionSubQuery *member = nullptr;
    {
        auto bracket = UpdateBracket(this);
        member = NewModelNode<TnvUnionSubQuery>(GetRootQuery(), QueryBuilder());
        auto memberBracket = UpdateBracket(member);
        member->SetParentQuery(this);
        member->LoadFromAST(std::move(select));
    }
    if (member->CanCreateControls())
        member->CreateControl();
    if (member->GetUnionButton() && GetRootQuery())
        GetRootQuery()->RequestAlignUnionNavbar();
    return member;
}

TnvUnionGroup *TnvUnionGroup::AddGroupAST(TOwned<TSQLSubQueryExpressions> expressions)
{
    TnvUnionGroup *group = nullptr;
    {
        auto bracket = UpdateBracket(this);
        group = NewModelNode<TnvUnionGroup>(GetRootQuery(), QueryBuilder());
        auto groupBracket = UpdateBracket(group);
        group->SetParentQuery(this);
        group->LoadFromAST(std::move(expressions));
    }
    if (group->CanCreateControls())
        group->CreateControl();
    if (group->GetLeftBracket() && GetRootQuery())
        GetRootQuery()->RequestAlignUnionNavbar();
    return group;
}

void TnvUnionGroup::Clear()
{
    auto bracket = UpdateBracket(this);
    TnvModelControl *page = nullptr;
    if (TnvSubQuery *statement = GetRootQuery(); statement && statement->ControlsCreated())
        page = statement->GetControls(0);
    if (page)
        page->DisableAlign();
    TnvScopeExit enable([page] {
        if (page)
            page->EnableAlign();
    });
    ++FKeepWhenEmpty;
    TnvScopeExit cleared([this] { --FKeepWhenEmpty; });
    while (!FMembers.isEmpty()) {
        TnvQueryBase *member = FMembers.last();
        TObject::Free(member);
        FMembers.removeOne(member);
    }
}

// ---------------------------------------------------------------------------
// Loading and printing

TSQLSubQueryExpressions *TnvUnionGroup::GroupNode() const { return As<TSQLSubQueryExpressions>(UnionNode()); }

void TnvUnionGroup::LoadFromAST(TOwned<TSQLSubQueryExpression> node)
{
    Assert(node && node->Is<TSQLSubQueryExpressions>(), "nvQBBase", "A union group loaded from a single block");
    auto *expressions = static_cast<TSQLSubQueryExpressions *>(node.get());
    // The model owns the operands from now on; the group keeps the emptied node.
    std::vector<TOwned<TSQLSubQueryExpression>> operands;
    operands.reserve(size_t(expressions->GetCount()));
    while (expressions->GetCount() > 0)
        operands.push_back(expressions->Extract(qsizetype(0)));
    TnvQueryBase::LoadFromAST(std::move(node));
    auto bracket = UpdateBracket(this);
    for (TOwned<TSQLSubQueryExpression> &operand : operands) {
        if (operand && operand->Is<TSQLSubQuerySelectExpression>())
            AddAST(TOwned<TSQLSubQuerySelectExpression>(static_cast<TSQLSubQuerySelectExpression *>(operand.release())));
        else if (operand && operand->Is<TSQLSubQueryExpressions>())
            AddGroupAST(TOwned<TSQLSubQueryExpressions>(static_cast<TSQLSubQueryExpressions *>(operand.release())));
    }
    NotifySQLUpdated();
}

TOwned<TastNodeBase> TnvUnionGroup::CreateResultAST()
{
    const TSQLSubQueryExpressions *node = GroupNode();
    if (!node)
        return nullptr;
    TOwned<TSQLSubQueryExpressions> copy = CloneAs(node);
    for (TnvQueryBase *member : std::as_const(FMembers)) {
        TOwned<TastNodeBase> operand = member->GetResultASTUncached();
        if (operand && operand->Is<TSQLSubQueryExpression>())
            copy->Add(TOwned<TSQLSubQueryExpression>(static_cast<TSQLSubQueryExpression *>(operand.release())));
    }
    return copy;
}

// ---------------------------------------------------------------------------
// Brackets

void TnvUnionGroup::AddToBegin(TnvQueryBase *member)
{
    TnvUnionGroup *parent = ParentQuery();
    Assert(parent != nullptr, "nvQBBase", "Brackets moved on a group without brackets");
    const qsizetype group = parent->IndexOf(this);
    const qsizetype first = parent->IndexOf(member);
    Assert(first >= 0 && first < group, "nvQBBase", "A bracket moved to a member that is not before it");
    {
        auto bracket = UpdateBracket(parent);
        TnvSubQuery::TReorderScope reorder(GetRootQuery());
        // The left bracket moves to before the member: the group takes the
        // operator that stood there, and the one that stood before the
        // bracket now joins the old first member to the parts that came in.
        const TnvUnionOperatorText before = member->UnionOperatorText();
        const TnvUnionOperatorText bracketOperator = UnionOperatorText();
        TnvQueryBase *oldFirst = FMembers.isEmpty() ? nullptr : FMembers.first();
        // From just before the group back to the member, each to the front.
        for (qsizetype i = group - 1; i >= first; --i)
            PlaceMember(parent->GetItems(i), 0);
        if (oldFirst)
            oldFirst->SetUnionOperatorText(bracketOperator);
        SetUnionOperatorText(before);
    }
    if (TnvSubQuery *statement = GetRootQuery())
        statement->UpdateUnionSubQueriesOrder();
}

void TnvUnionGroup::AddToEnd(TnvQueryBase *member)
{
    TnvUnionGroup *parent = ParentQuery();
    Assert(parent != nullptr, "nvQBBase", "Brackets moved on a group without brackets");
    const qsizetype group = parent->IndexOf(this);
    const qsizetype last = parent->IndexOf(member);
    Assert(last > group, "nvQBBase", "A bracket moved to a member that is not after it");
    {
        auto bracket = UpdateBracket(parent);
        TnvSubQuery::TReorderScope reorder(GetRootQuery());
        for (qsizetype n = last - group; n > 0; --n)
            PlaceMember(parent->GetItems(group + 1), GetCount());
    }
    if (TnvSubQuery *statement = GetRootQuery())
        statement->UpdateUnionSubQueriesOrder();
}

void TnvUnionGroup::RemoveFromBegin(TnvQueryBase *member)
{
    LetOutFromBegin(member);
    FreeIfEmpty();
}

void TnvUnionGroup::RemoveFromEnd(TnvQueryBase *member)
{
    LetOutFromEnd(member);
    FreeIfEmpty();
}

void TnvUnionGroup::LetOutFromBegin(TnvQueryBase *member)
{
    TnvUnionGroup *parent = ParentQuery();
    Assert(parent != nullptr, "nvQBBase", "Brackets moved on a group without brackets");
    const qsizetype last = IndexOf(member);
    Assert(last >= 0, "nvQBBase", "A bracket moved to a member outside the group");
    {
        auto bracket = UpdateBracket(parent);
        TnvSubQuery::TReorderScope reorder(GetRootQuery());
        // The left bracket moves to after the member: the first part out
        // takes the operator that stood before the bracket, and the group
        // the one that stood before the part that is now its first.
        const TnvUnionOperatorText bracketOperator = UnionOperatorText();
        TnvQueryBase *firstOut = GetItems(0);
        // Each goes just before the group, so their order is kept.
        for (qsizetype n = last + 1; n > 0; --n)
            parent->PlaceMember(GetItems(0), parent->IndexOf(this));
        firstOut->SetUnionOperatorText(bracketOperator);
        if (!FMembers.isEmpty())
            SetUnionOperatorText(FMembers.first()->UnionOperatorText());
    }
    if (TnvSubQuery *statement = GetRootQuery())
        statement->UpdateUnionSubQueriesOrder();
}

void TnvUnionGroup::LetOutFromEnd(TnvQueryBase *member)
{
    TnvUnionGroup *parent = ParentQuery();
    Assert(parent != nullptr, "nvQBBase", "Brackets moved on a group without brackets");
    const qsizetype first = IndexOf(member);
    Assert(first >= 0, "nvQBBase", "A bracket moved to a member outside the group");
    {
        auto bracket = UpdateBracket(parent);
        TnvSubQuery::TReorderScope reorder(GetRootQuery());
        // The parts keep their operators; only a first part that goes out
        // with all the others stands after the empty brackets in their place
        // and takes the operator that stood before them.
        const TnvUnionOperatorText bracketOperator = UnionOperatorText();
        TnvQueryBase *firstOut = GetItems(first);
        for (qsizetype n = 1, count = GetCount() - first; n <= count; ++n)
            parent->PlaceMember(GetItems(first), parent->IndexOf(this) + n);
        if (first == 0)
            firstOut->SetUnionOperatorText(bracketOperator);
    }
    if (TnvSubQuery *statement = GetRootQuery())
        statement->UpdateUnionSubQueriesOrder();
}

void TnvUnionGroup::RemoveBrackets()
{
    TnvUnionGroup *parent = ParentQuery();
    if (!parent)
        return;
    TnvSubQuery *statement = GetRootQuery();
    {
        // The parent is in a bracket here; were this group its only member
        // and empty, it must outlive the bracket before it may go too.
        ++parent->FKeepWhenEmpty;
        TnvScopeExit keep([parent] { --parent->FKeepWhenEmpty; });
        auto bracket = UpdateBracket(parent);
        TnvSubQuery::TReorderScope reorder(GetRootQuery());
        if (!FMembers.isEmpty())
            LetOutFromBegin(FMembers.last());
        TObject::Free(this);
    }
    if (!parent->FreeIfEmpty() && statement)
        statement->RequestAlignUnionNavbar();
}

bool TnvUnionGroup::FreeIfEmpty()
{
    if (!FMembers.isEmpty() || !ParentQuery() || IsDestroying() || FKeepWhenEmpty > 0)
        return false;
    TnvSubQuery *statement = GetRootQuery();
    // A statement on its way out frees its nodes itself.
    if (statement && statement->IsDestroying())
        return false;
    TObject::Free(this);
    if (statement)
        statement->RequestAlignUnionNavbar();
    return true;
}

// ---------------------------------------------------------------------------
// Controls and menus

int TnvUnionGroup::GetControlsCount() { return 3; }

TnvModelControl *TnvUnionGroup::CreateControlInternal(int index)
{
    switch (index) {
    case 0:
        return CreateControlOfClass(ControlClass::LeftBracket, index);
    case 1:
        return CreateControlOfClass(ControlClass::RightBracket, index);
    case 2:
        return CreateControlOfClass(ControlClass::UnionOperator, index);
    default:
        return nullptr;
    }
}

TnvModelControl *TnvUnionGroup::GetLeftBracket() { return GetControls(0); }

TnvModelControl *TnvUnionGroup::GetRightBracket() { return GetControls(1); }

TnvModelControl *TnvUnionGroup::GetUnionOperator() { return GetControls(2); }

bool TnvUnionGroup::CanLeftBracketMoveBackward() const
{
    return ParentQuery() && ParentQuery()->IndexOf(this) > 0;
}

bool TnvUnionGroup::CanRightBracketMoveBackward() const
{
    return ParentQuery() && ParentQuery()->IndexOf(this) < ParentQuery()->GetCount() - 1;
}

TnvMenuItemData *TnvUnionGroup::GetPopupMenu()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return nullptr;
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBRemoveBrackets), 0, true, false, false,
                         TNotifyEvent::Bind<&TnvUnionGroup::RemoveBracketsEvent>(this), this);
    qb->PopupMenuCompleted();
    return qb->PopupMenu();
}

TnvMenuItemData *TnvUnionGroup::LeftBracketPopupMenu()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return nullptr;
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvMoveBackward), 0, CanLeftBracketMoveBackward(), false, false,
                         TNotifyEvent::Bind<&TnvUnionGroup::LeftBracketMoveBackwardEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvMoveForward), 0, ParentQuery() && CanBracketMoveForward(), false,
                         false, TNotifyEvent::Bind<&TnvUnionGroup::LeftBracketMoveForwardEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, QStringLiteral("-"), 0, true, false, false, nullptr, nullptr);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBRemoveBrackets), 0, true, false, false,
                         TNotifyEvent::Bind<&TnvUnionGroup::RemoveBracketsEvent>(this), this);
    qb->PopupMenuCompleted();
    return qb->PopupMenu();
}

TnvMenuItemData *TnvUnionGroup::RightBracketPopupMenu()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return nullptr;
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvMoveBackward), 0, CanRightBracketMoveBackward(), false, false,
                         TNotifyEvent::Bind<&TnvUnionGroup::RightBracketMoveBackwardEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvMoveForward), 0, ParentQuery() && CanBracketMoveForward(), false,
                         false, TNotifyEvent::Bind<&TnvUnionGroup::RightBracketMoveForwardEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, QStringLiteral("-"), 0, true, false, false, nullptr, nullptr);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBRemoveBrackets), 0, true, false, false,
                         TNotifyEvent::Bind<&TnvUnionGroup::RemoveBracketsEvent>(this), this);
    qb->PopupMenuCompleted();
    return qb->PopupMenu();
}

void TnvUnionGroup::LeftBracketMoveBackwardEvent(TObject *)
{
    if (!CanLeftBracketMoveBackward())
        return;
    AddToBegin(ParentQuery()->GetItems(ParentQuery()->IndexOf(this) - 1));
    if (TnvSubQuery *statement = GetRootQuery())
        statement->RequestAlignUnionNavbar();
}

void TnvUnionGroup::LeftBracketMoveForwardEvent(TObject *)
{
    if (!ParentQuery() || !CanBracketMoveForward())
        return;
    // The move may free this group with its last member let out.
    TnvSubQuery *statement = GetRootQuery();
    RemoveFromBegin(FMembers.first());
    if (statement)
        statement->RequestAlignUnionNavbar();
}

void TnvUnionGroup::RightBracketMoveBackwardEvent(TObject *)
{
    if (!CanRightBracketMoveBackward())
        return;
    AddToEnd(ParentQuery()->GetItems(ParentQuery()->IndexOf(this) + 1));
    if (TnvSubQuery *statement = GetRootQuery())
        statement->RequestAlignUnionNavbar();
}

void TnvUnionGroup::RightBracketMoveForwardEvent(TObject *)
{
    if (!ParentQuery() || !CanBracketMoveForward())
        return;
    // The move may free this group with its last member let out.
    TnvSubQuery *statement = GetRootQuery();
    RemoveFromEnd(FMembers.last());
    if (statement)
        statement->RequestAlignUnionNavbar();
}

void TnvUnionGroup::RemoveBracketsEvent(TObject *) { RemoveBrackets(); }

} // namespace nvqb
