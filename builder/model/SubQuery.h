#pragma once
// A whole SELECT statement of the model: the root query, or a sub-query
// (in an expression, a derived table or a WITH item) that has a page of its
// own. It is the top-level union group of the statement, keeps the statement
// node with its WITH clause, and lists its union parts in textual order,
// one of them current (shown on its page).
#include "builder/model/StatementOrderBy.h"
#include "builder/model/UnionGroup.h"

#include <optional>

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
    // Whether the first part is the whole statement: one SELECT, neither in
    // a union nor in brackets. Otherwise the ORDER BY sorts the result of
    // the union and names its columns.
    bool IsSingleSelect() const;
    // Raises the reason when the statement is one SELECT whose ORDER BY
    // sorts by something the result does not name (not an output column, or
    // one without alias past a *): with another part or brackets around it,
    // nothing could name it any more.
    void CheckOrderByOfUnion() const;

    // The ORDER BY belongs to the statement: when another part becomes the
    // first, it takes the ORDER BY over, sorting by the same output columns
    // (by position). An operation that moves parts in several steps keeps a
    // scope open meanwhile, so the ORDER BY goes only to the part that is
    // first at the end.
    class TReorderScope {
    public:
        // Nil: no statement, no scope.
        explicit TReorderScope(TnvSubQuery *statement);
        ~TReorderScope();
        TReorderScope(const TReorderScope &) = delete;
        TReorderScope &operator=(const TReorderScope &) = delete;

    private:
        TnvSubQuery *FStatement;
    };

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

    // Hands the ORDER BY on when the first part is another than the one
    // that holds it, unless a reorder scope is open.
    void FollowFirstSelect();
    // The part whose select list holds the ORDER BY; nil before the first
    // part comes and after it went.
    TnvUnionSubQuery *FOrderByHolder = nullptr;
    // The keys of a holder that went, for the part that becomes first.
    std::optional<TnvOrderByKeys> FOrderByInTransit;
    int FReorderScopes = 0;
};

} // namespace nvqb
