#include "builder/model/DatasourceGroup.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/sql/SQLFromClause.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvDatasourceGroup, TnvQueryBuilderControlOwner)

TnvDatasourceGroup::TnvDatasourceGroup(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBuilderControlOwner(unionSubQuery, unionSubQuery, queryBuilder), FUnionSubQuery(unionSubQuery)
{
}

TnvDatasourceGroup::~TnvDatasourceGroup() = default;

namespace {
bool HasJoinKind(const TSQLFromItem *item)
{
    for (qsizetype i = 0; i < item->GetCount(); ++i) {
        const TSQLFromSource *source = item->GetItems(i);
        if (!source)
            continue;
        if (source->JoinKind)
            return true;
        if (const auto *nested = As<TSQLFromItem>(source); nested && HasJoinKind(nested))
            return true;
    }
    return false;
}

void CollectSources(const TSQLFromItem *item, TastNodeRefList &list)
{
    for (qsizetype i = 0; i < item->GetCount(); ++i) {
        TSQLFromSource *source = item->GetItems(i);
        if (auto *nested = As<TSQLFromItem>(source))
            CollectSources(nested, list);
        else if (source)
            list.append(source);
    }
}
} // namespace

bool TnvDatasourceGroup::LoadFromAST(TOwned<TSQLFromClause> clause)
{
    FClause = std::move(clause);
    LoadSubQueries(FClause.get());
    NotifySQLUpdated();
    return FClause && HasJoinKind(FClause.get());
}

void TnvDatasourceGroup::LoadJoins() {}

TOwned<TSQLExpressionItem> TnvDatasourceGroup::LoadWhereJoins(TOwned<TSQLExpressionItem> condition, bool &found)
{
    found = false;
    return condition;
}

TOwned<TSQLExpressionItem> TnvDatasourceGroup::AddWhereJoinConditions(TOwned<TSQLExpressionItem> condition)
{
    return condition;
}

void TnvDatasourceGroup::GetFromSources(TastNodeRefList &list) const
{
    if (FClause)
        CollectSources(FClause.get(), list);
}

TOwned<TastNodeBase> TnvDatasourceGroup::CreateResultAST() { return FClause ? FClause->Clone() : nullptr; }

void TnvDatasourceGroup::GetASTChildren(TastNodeRefList &list)
{
    TnvQueryBuilderControlOwner::GetASTChildren(list);
    if (FClause)
        list.append(FClause.get());
}

} // namespace nvqb
