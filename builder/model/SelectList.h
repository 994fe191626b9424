#pragma once
// The select list of a union part, with the conditions and groupings of its
// block. This form keeps what it loads whole (the select items, WHERE,
// GROUP BY, HAVING and the ORDER BY the statement hands to its first part)
// and builds each back as it was; rows, criteria cells, sorting and the grid
// are not modelled in it. Sub-selects in what it keeps become sub-queries of
// their own, as they do everywhere in the model.
#include "builder/model/GroupByType.h"
#include "builder/model/QueryBuilderControlOwner.h"

namespace nvqb {

class TnvUnionSubQuery;
class TSQLSelectItems;
class TSQLExpressionItem;
class TSQLGroupByList;
class TSQLOrderByClause;

class TnvSelectList : public TnvQueryBuilderControlOwner {
    NV_DECLARE_CLASS(TnvSelectList)
public:
    TnvSelectList(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilderModel *queryBuilder);
    ~TnvSelectList() override;

    TnvUnionSubQuery *UnionSubQuery() const { return FUnionSubQuery; }

    // Loading takes the nodes over (nil: nothing).
    void LoadSelectListFromAST(TOwned<TSQLSelectItems> items);
    // Returns whether the condition was taken apart (true) or kept whole.
    bool LoadConditionFromAST(TOwned<TSQLExpressionItem> condition, TnvQueryBuilderGroupByType kind);
    void LoadGroupByListFromAST(TOwned<TSQLGroupByList> list);
    // Reads the clause; the caller keeps and frees it.
    void LoadOrderByListFromAST(const TSQLOrderByClause *clause);

    // New trees owned by the caller; nil when there is nothing to print.
    TOwned<TSQLExpressionItem> GetConditionTree(TnvQueryBuilderGroupByTypes kinds);
    TOwned<TSQLGroupByList> GetGroupByTree();
    TOwned<TSQLOrderByClause> GetOrderByClause();

    void GetASTChildren(TastNodeRefList &list) override;
    // The select items (TSQLSelectItems).
    TOwned<TastNodeBase> CreateResultAST() override;


private:
    TnvUnionSubQuery *FUnionSubQuery;
    TOwned<TSQLSelectItems> FSelectItems;
    TOwned<TSQLExpressionItem> FWhere;
    TOwned<TSQLExpressionItem> FHaving;
    TOwned<TSQLGroupByList> FGroupBy;
    TOwned<TSQLOrderByClause> FOrderBy;
};

} // namespace nvqb
