#include "builder/model/QueryBase.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubQuery.h"
#include "classlib/Assert.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQueryBase, TnvQueryBuilderControlOwner)

TnvQueryBase::TnvQueryBase(TnvQueryBuilderControlOwner *parent, TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBuilderControlOwner(parent, nullptr, queryBuilder)
{
    // The statement this member belongs to; a statement settles itself.
    for (TnvQueryBuilderControlOwner *p = parent; p; p = p->Parent()) {
        if (auto *subQuery = As<TnvSubQuery>(p)) {
            FOwningSubQuery = subQuery;
            break;
        }
    }
}

void TnvQueryBase::Destroy()
{
    TnvUnionGroup *group = FParentGroup;
    SetParentQuery(nullptr);
    FUnionNode.reset();
    TnvQueryBuilderControlOwner::Destroy();
    // Brackets around nothing print "()": the group goes with its last member.
    if (group)
        group->FreeIfEmpty();
}

void TnvQueryBase::Notification(TComponent *component, TOperation operation)
{
    TnvQueryBuilderControlOwner::Notification(component, operation);
    if (operation == opRemove && component == FParentGroup)
        FParentGroup = nullptr;
}

qsizetype TnvQueryBase::IndexInGroup() const { return FParentGroup ? FParentGroup->IndexOf(this) : -1; }

void TnvQueryBase::SetParentQuery(TnvUnionGroup *group)
{
    if (group == FParentGroup)
        return;
    TnvUnionGroup *old = FParentGroup;
    if (old) {
        old->FMembers.removeOne(this);
        RemoveFreeNotification(old);
    }
    FParentGroup = group;
    // The member leaves the old group's update tree before the old group
    // runs its steps, so a member on its way out never runs its own.
    SetUpdateParent(group);
    if (old && !old->IsDestroying())
        old->NotifySQLUpdated();
    if (group) {
        group->FMembers.append(this);
        FreeNotification(group);
        group->NotifySQLUpdated();
        if (FOwningSubQuery)
            FOwningSubQuery->RequestAlignUnionNavbar();
    }
    if (FOwningSubQuery && !FOwningSubQuery->IsDestroying())
        FOwningSubQuery->UpdateUnionSubQueriesOrder();
}

void TnvQueryBase::LoadFromAST(TOwned<TSQLSubQueryExpression> node)
{
    FUnionNode = std::move(node);
    if (ControlsCreated())
        UpdateUnionOperator();
}

InvUnionOperatorControl *TnvQueryBase::GetIUnionOperator()
{
    return dynamic_cast<InvUnionOperatorControl *>(GetUnionOperator());
}

void TnvQueryBase::UpdateUnionOperator()
{
    TnvModelControl *control = GetUnionOperator();
    if (!control)
        return;
    const bool visible = FUnionNode && FParentGroup && FParentGroup->IndexOf(this) > 0;
    control->SetControlVisible(visible);
    if (!visible)
        return;
    if (auto *op = dynamic_cast<InvUnionOperatorControl *>(control)) {
        op->SetUnionOperator(FUnionNode->UnionOperator);
        op->SetAll(FUnionNode->UnionAll);
    }
}

void TnvQueryBase::SetUnionOperatorEvent(TObject *sender)
{
    const auto *item = As<TnvMenuItemData>(sender);
    if (!item || !FUnionNode)
        return;
    const QString caption = item->Caption();
    QString current = FUnionNode->UnionOperator;
    if (FUnionNode->UnionAll)
        current += QStringLiteral(" All");
    if (caption.toUpper() == current.toUpper())
        return;
    QString text = caption;
    text.remove(QStringLiteral(" ALL"), Qt::CaseInsensitive);
    SetUnionOperatorText({text, caption.toUpper().contains(QStringLiteral(" ALL"))});
}

TnvUnionOperatorText TnvQueryBase::UnionOperatorText() const
{
    if (!FUnionNode)
        return {};
    return {FUnionNode->UnionOperator, FUnionNode->UnionAll};
}

void TnvQueryBase::SetUnionOperatorText(const TnvUnionOperatorText &op)
{
    if (!FUnionNode || (FUnionNode->UnionOperator == op.Operator && FUnionNode->UnionAll == op.All))
        return;
    auto bracket = UpdateBracket(this);
    FUnionNode->UnionOperator = op.Operator;
    FUnionNode->UnionAll = op.All;
    NotifySQLUpdated();
    if (ControlsCreated())
        UpdateUnionOperator();
}

void TnvQueryBase::InsertNear(TnvQueryBase *member, bool after)
{
    if (!member || member == this || !FParentGroup)
        return;
    TnvUnionGroup *group = FParentGroup;
    TnvUnionGroup *left = member->ParentQuery() != group ? member->ParentQuery() : nullptr;
    {
        auto bracket = UpdateBracket(group);
        if (member->ParentQuery() == group) {
            const QList<TnvUnionOperatorText> operators = group->OperatorsByPlace();
            group->FMembers.removeOne(member);
            group->FMembers.insert(group->FMembers.indexOf(this) + (after ? 1 : 0), member);
            group->SetOperatorsByPlace(operators);
        } else {
            // The operator the part takes away from its old group: the one
            // before it, or after it when it stood first (the next part
            // hides that one now).
            TnvUnionOperatorText carried = member->UnionOperatorText();
            if (left && left->IndexOf(member) == 0 && left->GetCount() > 1)
                carried = left->GetItems(1)->UnionOperatorText();
            member->SetParentQuery(group);
            group->FMembers.removeOne(member);
            const qsizetype index = group->FMembers.indexOf(this) + (after ? 1 : 0);
            group->FMembers.insert(index, member);
            // Standing first, the part hides its operator: the next one shows it.
            (index == 0 ? group->GetItems(1) : member)->SetUnionOperatorText(carried);
        }
        NotifySQLUpdated();
        group->NotifySQLUpdated();
        if (FOwningSubQuery) {
            FOwningSubQuery->UpdateUnionSubQueriesOrder();
            FOwningSubQuery->RequestAlignUnionNavbar();
        }
    }
    // The member may have been the last one of the group it came from.
    if (left)
        left->FreeIfEmpty();
}

void TnvQueryBase::InsertAfter(TnvQueryBase *member) { InsertNear(member, true); }

void TnvQueryBase::InsertBefore(TnvQueryBase *member) { InsertNear(member, false); }

void TnvQueryBase::CreateControl()
{
    const bool created = !ControlsCreated();
    TnvQueryBuilderControlOwner::CreateControl();
    // A new operator mark shows what the member's node says.
    if (created && ControlsCreated())
        UpdateUnionOperator();
}

void TnvQueryBase::GetASTChildren(TastNodeRefList &list)
{
    TnvQueryBuilderControlOwner::GetASTChildren(list);
    if (FUnionNode)
        list.append(FUnionNode.get());
}

} // namespace nvqb
