#pragma once
// A member of a union: a union part (one SELECT block) or a bracketed group
// of members, standing in the member list of its parent group. The member
// keeps the syntax node it was loaded from, which carries the operator that
// joins it to the member before it and the ALL flag.
#include "builder/model/QueryBuilderControlOwner.h"
#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb {

class TnvUnionGroup;
class TnvSubQuery;
class InvUnionOperatorControl;

// The operator that stands before a union member, with its ALL flag.
struct TnvUnionOperatorText {
    QString Operator = QStringLiteral("Union");
    bool All = false;
};

class TnvQueryBase : public TnvQueryBuilderControlOwner {
    NV_DECLARE_CLASS(TnvQueryBase)
public:
    TnvQueryBase(TnvQueryBuilderControlOwner *parent, TnvQueryBuilderModel *queryBuilder);

    // The group whose member list holds this member; nil for a statement's
    // top level and for a member taken out of its group.
    TnvUnionGroup *ParentQuery() const { return FParentGroup; }
    // Leaves the old group and joins the new one at its end (nil: none).
    void SetParentQuery(TnvUnionGroup *group);
    // The statement this member belongs to (itself for a statement).
    TnvSubQuery *GetRootQuery() const { return FOwningSubQuery; }
    // The position in the parent group; -1 without one.
    qsizetype IndexInGroup() const;

    TSQLSubQueryExpression *UnionNode() const { return FUnionNode.get(); }
    // Frees the previous node and keeps this one.
    virtual void LoadFromAST(TOwned<TSQLSubQueryExpression> node);

    // The control that shows the operator before this member; nil without.
    virtual TnvModelControl *GetUnionOperator() = 0;
    InvUnionOperatorControl *GetIUnionOperator();
    // Shows the operator control only where an operator stands (a member
    // after the first of its group), with the node's operator and ALL flag.
    void UpdateUnionOperator();
    // Menu handler: the item's caption is the new operator ("Union All").
    void SetUnionOperatorEvent(TObject *sender);
    // The operator of the member's node (the default one without a node).
    TnvUnionOperatorText UnionOperatorText() const;
    // Gives the node another operator; the member is marked changed and its
    // operator mark follows when the operator differs.
    void SetUnionOperatorText(const TnvUnionOperatorText &op);

    // Move Member into this member's group right after or before it. In
    // its own group the operators stay at their places in the text and the
    // parts move between them; a part from another group brings the
    // operator that stood before it there (or, when it stood first, the one
    // after it), which goes to the part that then follows the first one.
    void InsertAfter(TnvQueryBase *member);
    void InsertBefore(TnvQueryBase *member);

    void CreateControl() override;
    void GetASTChildren(TastNodeRefList &list) override;

protected:
    void Destroy() override;
    void Notification(TComponent *component, TOperation operation) override;
    void InsertNear(TnvQueryBase *member, bool after);
    // Settled by TnvSubQuery for itself.
    void SetOwningSubQuery(TnvSubQuery *subQuery) { FOwningSubQuery = subQuery; }

private:
    TnvUnionGroup *FParentGroup = nullptr;
    TnvSubQuery *FOwningSubQuery = nullptr;
    TOwned<TSQLSubQueryExpression> FUnionNode;
};

} // namespace nvqb
