#pragma once
// A whole SELECT statement of the model: the root query, or a sub-query
// (in an expression, a derived table or a WITH item) that has a page of its
// own. It is the top-level union group of the statement, keeps the statement
// node with its WITH clause, and lists its union parts in textual order,
// one of them current (shown on its page).
#include "builder/model/UnionGroup.h"

namespace nvqb {

class TnvUnionSubQuery;

class TnvSubQuery : public TnvUnionGroup {
    NV_DECLARE_CLASS(TnvSubQuery)
public:
    TnvSubQuery(TnvQueryBuilderControlOwner *parent, TnvQueryBuilderModel *queryBuilder);

    // Joins the parent sub-query's and the query builder's lists.
    void AfterConstruction() override;

    virtual bool GetIsSubQuery() const { return true; }
    bool GetIsMainQuery() const { return !GetIsSubQuery(); }

    // The statement node must be a TSQLSubSelectStatement.
    void LoadFromAST(TOwned<TSQLSubQueryExpression> statement) override;
    TSQLSubSelectStatement *GetASTSubQuery() const;
    // The first union part through the first member of each group; nil when a
    // group on the way is empty.
    TnvUnionSubQuery *FirstSelect() const;
    // Also drops the statement's WITH clause and kept ORDER BY.
    void Clear() override;

    TnvSubQuery *ParentSubQuery() const { return FParentSubQuery; }
    qsizetype GetSubQueriesCount() const { return FSubQueries.size(); }
    TnvSubQuery *GetSubQuery(qsizetype index) const { return FSubQueries.at(index); }

    // Every union part at any bracket depth, in textual order.
    qsizetype UnionSubQueriesCount() const { return FUnionSubQueries.size(); }
    TnvUnionSubQuery *UnionSubQueries(qsizetype index) const { return FUnionSubQueries.at(index); }
    qsizetype IndexOfUnionSubQuery(const TnvUnionSubQuery *member) const { return FUnionSubQueries.indexOf(member); }
    void RegisterUnionSubQuery(TnvUnionSubQuery *member);
    void UnregisterUnionSubQuery(TnvUnionSubQuery *member);
    void UpdateUnionSubQueriesOrder();

    TnvUnionSubQuery *CurrentUnionSubQuery() const { return FCurrentUnionSubQuery; }
    void SetCurrentUnionSubquery(TnvUnionSubQuery *member);
    // Presses the current part's button and shows its page.
    void UpdateCurrentUnionSubQueryControls();
    // Lays out the union navigation bar on the page, when the page exists.
    void RequestAlignUnionNavbar();

    // The caption when set; "Main" for the main query; else the abbreviated
    // SQL of the sub-query.
    QString GetCaption();
    void SetCaption(const QString &caption);
    // Gives the page its caption (through the query builder's tab-header hook).
    void UpdateCaption();

    bool CanCreateControls() override;
    // The new page gets its caption at once.
    void CreateControl() override;
    TnvModelControl *GetLeftBracket() override { return nullptr; }
    TnvModelControl *GetRightBracket() override { return nullptr; }
    TnvModelControl *GetUnionOperator() override { return nullptr; }
    // The statement's WITH items go in front of the visible WITH items.
    void GatherPrepareAndFixupContext(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                      bool addDatasources) override;

protected:
    void Destroy() override;
    void Notification(TComponent *component, TOperation operation) override;
    TOwned<TastNodeBase> CreateResultAST() override;
    int GetControlsCount() override { return 1; }
    TnvModelControl *CreateControlInternal(int index) override;
    bool MakeVisible(int index) override { return false; }
    void DoAfterUpdated() override;
    // A new empty statement node of this query's kind.
    virtual TOwned<TSQLSubSelectStatement> NewStatementNode() const;

private:
    TnvSubQuery *FParentSubQuery = nullptr;
    QList<TnvSubQuery *> FSubQueries;
    TnvUnionSubQuery *FCurrentUnionSubQuery = nullptr;
    QList<TnvUnionSubQuery *> FUnionSubQueries;
    QString FCaption;
};

} // namespace nvqb
