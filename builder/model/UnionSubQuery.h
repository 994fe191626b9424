#pragma once
// One SELECT block of a statement: a union part, edited on a diagram page of
// its own. The block's select list (with WHERE, GROUP BY, HAVING and the
// statement's ORDER BY) lives in its select list, its FROM clause in its FROM
// group; the block node keeps the rest (mode, operator).
#include "builder/model/QueryBase.h"

namespace nvqb {

class TnvSelectList;
class TnvDatasourceGroup;
class TnvMenuItemData;

class TnvUnionSubQuery : public TnvQueryBase {
    NV_DECLARE_CLASS(TnvUnionSubQuery)
public:
    TnvUnionSubQuery(TnvSubQuery *subQuery, TnvQueryBuilderModel *queryBuilder);

    // Makes the select list and the FROM group, joins the statement's list
    // of union parts and becomes current when the statement has none.
    void AfterConstruction() override;

    TSQLSubQuerySelectExpression *SelectNode() const;
    TnvSelectList *SelectList() const { return FSelectList; }
    TnvDatasourceGroup *FromGroup() const { return FFromGroup; }
    // Links are written as joins in FROM when set, as WHERE conditions when
    // clear.
    bool ANSIJoins() const { return FANSIJoins; }
    void SetANSIJoins(bool value) { FANSIJoins = value; }

    void LoadFromAST(TOwned<TSQLSubQueryExpression> node) override;
    // A copy of the result tree.
    TOwned<TSQLSubQuerySelectExpression> GetResultQueryAST();
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;

    // The current part's new controls show it as current.
    void CreateControl() override;

    TnvModelControl *GetUnionPage() { return GetControls(0); }
    TnvModelControl *GetUnionButton() { return GetControls(1); }
    TnvModelControl *GetUnionOperator() override { return GetControls(2); }

    // Member moves of the union button: forward swaps with the next member,
    // enters the next group at its front, or leaves a group at its end;
    // backward is the mirror image.
    bool CanMoveForward() const;
    bool CanMoveBackward() const;
    void MoveForward();
    void MoveBackward();
    // Puts this part into a new bracketed group at its place.
    void EncloseInBrackets();
    // A new empty union part after the last member of this part's group,
    // made current.
    TnvUnionSubQuery *NewUnionSubQuery();

    // The union button's menu: the moves, then the union items.
    TnvMenuItemData *GetPopupMenu() override;
    // "New Union Sub-Query", "Enclose In Brackets", "Remove" under Parent
    // (nil: the top level of the popup menu).
    void CreateUnionPopupMenu(TnvMenuItemData *parent);
    void MoveForwardEvent(TObject *sender);
    void MoveBackwardEvent(TObject *sender);
    void EncloseInBracketsEvent(TObject *sender);
    void NewUnionSubQueryEvent(TObject *sender);

    // The block's FROM sources join the visible sources when asked for them;
    // outer blocks always add theirs.
    void GatherPrepareAndFixupContext(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                      bool addDatasources) override;

protected:
    void Destroy() override;
    TOwned<TastNodeBase> CreateResultAST() override;
    int GetControlsCount() override { return 3; }
    TnvModelControl *CreateControlInternal(int index) override;
    bool MakeVisible(int index) override { return index != 0; }

private:
    bool IsInNestedGroup() const;

    TnvSelectList *FSelectList = nullptr;
    TnvDatasourceGroup *FFromGroup = nullptr;
    bool FANSIJoins = true;
};

} // namespace nvqb
