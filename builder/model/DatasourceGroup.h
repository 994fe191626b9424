#pragma once
// The FROM clause of a union part. This form keeps the clause whole as it was
// loaded (sources, aliases, join kinds and ON conditions) and prints it back
// unchanged; data sources, links and the join tree are not modelled in it,
// so no join condition is taken out of WHERE. Derived tables and other
// sub-selects in the clause become sub-queries of their own.
#include "builder/model/QueryBuilderControlOwner.h"

namespace nvqb {

class TnvUnionSubQuery;
class TSQLFromClause;
class TSQLExpressionItem;

class TnvDatasourceGroup : public TnvQueryBuilderControlOwner {
    NV_DECLARE_CLASS(TnvDatasourceGroup)
public:
    TnvDatasourceGroup(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilderModel *queryBuilder);
    ~TnvDatasourceGroup() override;

    TnvUnionSubQuery *UnionSubQuery() const { return FUnionSubQuery; }

    // Takes the clause over; true when a source of it carries a join kind.
    bool LoadFromAST(TOwned<TSQLFromClause> clause);
    // Turns loaded ON conditions into links (none are modelled here).
    void LoadJoins();
    // Takes the join conditions out of a WHERE condition and returns what is
    // left; Found tells whether any was taken.
    TOwned<TSQLExpressionItem> LoadWhereJoins(TOwned<TSQLExpressionItem> condition, bool &found);
    // The WHERE condition with the links placed in WHERE added.
    TOwned<TSQLExpressionItem> AddWhereJoinConditions(TOwned<TSQLExpressionItem> condition);
    // The FROM sources that expressions of the block see, in FROM order.
    void GetFromSources(TastNodeRefList &list) const;

    void GetASTChildren(TastNodeRefList &list) override;
    // The FROM clause (TSQLFromClause); nil when the block has none.
    TOwned<TastNodeBase> CreateResultAST() override;


private:
    TnvUnionSubQuery *FUnionSubQuery;
    TOwned<TSQLFromClause> FClause;
};

} // namespace nvqb
