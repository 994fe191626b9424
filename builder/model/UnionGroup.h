#pragma once
// A bracketed group of union members, and (as the base of a sub-query) the
// top level of a statement. Members are union parts and nested groups in
// union order; they are model children of their statement and report their
// changes to the group they stand in. The group frees the members still in
// its list when it goes.
#include "builder/model/QueryBase.h"

#include <QList>

namespace nvqb {

class TnvUnionSubQuery;
class TnvMenuItemData;

class TnvUnionGroup : public TnvQueryBase {
    NV_DECLARE_CLASS(TnvUnionGroup)
public:
    TnvUnionGroup(TnvQueryBuilderControlOwner *parent, TnvQueryBuilderModel *queryBuilder);

    qsizetype GetCount() const { return FMembers.size(); }
    TnvQueryBase *GetItems(qsizetype index) const;
    qsizetype IndexOf(const TnvQueryBase *member) const { return FMembers.indexOf(member); }
    // Take a member out of the group without freeing it.
    void Delete(qsizetype index);
    void Remove(TnvQueryBase *member);
    // Moves a member inside the group. The operators stay at their places in
    // the text and the parts move between them: the first place's operator
    // is never shown, so a part moved away from it shows the one of its new
    // place, not the one it hid.
    void Move(qsizetype from, qsizetype to);

    // New empty members; the dialect may refuse (see CheckCanAdd...). Insert
    // and InsertGroup take 0 <= index <= count; at 0 the new member stands
    // first and the default operator goes between it and the old first one.
    TnvUnionSubQuery *Add();
    TnvUnionGroup *AddGroup();
    TnvUnionSubQuery *Insert(qsizetype index);
    TnvUnionGroup *InsertGroup(qsizetype index);
    // Members loaded from syntax nodes, appended.
    TnvUnionSubQuery *AddAST(TOwned<TSQLSubQuerySelectExpression> select);
    TnvUnionGroup *AddGroupAST(TOwned<TSQLSubQueryExpressions> expressions);
    // Frees every member, the last first.
    virtual void Clear();

    // Loads the operands of the node as members; the node is kept emptied.
    void LoadFromAST(TOwned<TSQLSubQueryExpression> node) override;
    TSQLSubQueryExpressions *GroupNode() const;

    // Puts the member into a new bracketed group at its place; the group
    // takes over the operator that stood before the member.
    TnvUnionGroup *Enclose(TnvQueryBase *member);

    // Bracket moves: Member stands in the parent group before (AddToBegin) or
    // after (AddToEnd) this group, or in this group (RemoveFrom...).
    // AddToBegin takes in the members from just before the group back to
    // Member; AddToEnd those from just after it up to Member;
    // RemoveFromBegin lets the first members up to Member out before the
    // group; RemoveFromEnd the last ones from Member out after it. Brackets
    // with nothing left between them print "()", which no dialect reads, so
    // a group the RemoveFrom... moves empty frees itself on its way out:
    // callers must not touch the group afterwards. Only the brackets move:
    // every operator stays where it stands in the text, so a part that
    // passes a bracket trades its operator with the group's.
    void AddToBegin(TnvQueryBase *member);
    void AddToEnd(TnvQueryBase *member);
    void RemoveFromBegin(TnvQueryBase *member);
    void RemoveFromEnd(TnvQueryBase *member);
    // Lets every member out in place of the brackets and frees the group.
    void RemoveBrackets();
    // Frees a bracketed group that has no members left, with its controls,
    // unless the group or its statement is already going; answers whether
    // it did. The statement's own top level is never freed here.
    bool FreeIfEmpty();

    virtual TnvModelControl *GetLeftBracket();
    virtual TnvModelControl *GetRightBracket();
    TnvModelControl *GetUnionOperator() override;

    // The bracket menus: "Remove Brackets" alone, and the left and right
    // bracket's moves followed by it.
    TnvMenuItemData *GetPopupMenu() override;
    TnvMenuItemData *LeftBracketPopupMenu();
    TnvMenuItemData *RightBracketPopupMenu();
    bool CanLeftBracketMoveBackward() const;
    bool CanRightBracketMoveBackward() const;
    bool CanBracketMoveForward() const { return !FMembers.isEmpty(); }
    void LeftBracketMoveBackwardEvent(TObject *sender);
    void LeftBracketMoveForwardEvent(TObject *sender);
    void RightBracketMoveBackwardEvent(TObject *sender);
    void RightBracketMoveForwardEvent(TObject *sender);
    void RemoveBracketsEvent(TObject *sender);

protected:
    void Destroy() override;
    TOwned<TastNodeBase> CreateResultAST() override;
    int GetControlsCount() override;
    TnvModelControl *CreateControlInternal(int index) override;

    // Raise the dialect's refusal of a new member, if any.
    void CheckCanAdd() const;
    void CheckCanAddGroup() const;
    // Member joins this group (leaving its old one) at Index; its operator
    // goes with it.
    void PlaceMember(TnvQueryBase *member, qsizetype index);
    // PlaceMember for a new member, which at 0 hands its operator on.
    void PlaceFirstOrAt(TnvQueryBase *member, qsizetype index);
    // The operators of the members in member order, and the same given back
    // to the members by place.
    QList<TnvUnionOperatorText> OperatorsByPlace() const;
    void SetOperatorsByPlace(const QList<TnvUnionOperatorText> &operators);
    // RemoveFromBegin and RemoveFromEnd without freeing the emptied group.
    void LetOutFromBegin(TnvQueryBase *member);
    void LetOutFromEnd(TnvQueryBase *member);

private:
    friend class TnvQueryBase;
    QList<TnvQueryBase *> FMembers;
    // Above 0 while an operation of the group's own takes members out and
    // still uses the group (Clear, RemoveBrackets on its parent).
    int FKeepWhenEmpty = 0;
};

} // namespace nvqb
