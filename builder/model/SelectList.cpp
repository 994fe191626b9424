#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvSelectList, TnvQueryBuilderControlOwner)

TnvSelectList::TnvSelectList(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBuilderControlOwner(unionSubQuery, unionSubQuery, queryBuilder), FUnionSubQuery(unionSubQuery)
{
}

TnvSelectList::~TnvSelectList() = default;

void TnvSelectList::LoadSelectListFromAST(TOwned<TSQLSelectItems> items)
{
    if (!items)
        items = Create<TSQLSelectItems>(SyntaxProvider());
    FSelectItems = std::move(items);
    LoadSubQueries(FSelectItems.get());
    NotifySQLUpdated();
}

bool TnvSelectList::LoadConditionFromAST(TOwned<TSQLExpressionItem> condition, TnvQueryBuilderGroupByType kind)
{
    if (!condition)
        return true;
    TOwned<TSQLExpressionItem> &slot = kind == gtWhere ? FWhere : FHaving;
    slot = std::move(condition);
    LoadSubQueries(slot.get());
    NotifySQLUpdated();
    return false;
}

void TnvSelectList::LoadGroupByListFromAST(TOwned<TSQLGroupByList> list)
{
    FGroupBy = std::move(list);
    if (FGroupBy && FGroupBy->GetCount() == 0)
        FGroupBy.reset();
    LoadSubQueries(FGroupBy.get());
    NotifySQLUpdated();
}

void TnvSelectList::LoadOrderByListFromAST(const TSQLOrderByClause *clause)
{
    FOrderBy = clause && clause->GetCount() > 0 ? CloneAs(clause) : nullptr;
    LoadSubQueries(FOrderBy.get());
    NotifySQLUpdated();
}

TOwned<TastNodeBase> TnvSelectList::CreateResultAST() { return FSelectItems ? FSelectItems->Clone() : nullptr; }

TOwned<TSQLExpressionItem> TnvSelectList::GetConditionTree(TnvQueryBuilderGroupByTypes kinds)
{
    if (kinds.Contains(gtWhere) && FWhere)
        return CloneAs(FWhere.get());
    if (kinds.Contains(gtHaving) && FHaving)
        return CloneAs(FHaving.get());
    return nullptr;
}

TOwned<TSQLGroupByList> TnvSelectList::GetGroupByTree() { return FGroupBy ? CloneAs(FGroupBy.get()) : nullptr; }

TOwned<TSQLOrderByClause> TnvSelectList::GetOrderByClause()
{
    return FOrderBy ? CloneAs(FOrderBy.get()) : nullptr;
}

void TnvSelectList::GetASTChildren(TastNodeRefList &list)
{
    TnvQueryBuilderControlOwner::GetASTChildren(list);
    for (TastNodeBase *node : {static_cast<TastNodeBase *>(FSelectItems.get()), static_cast<TastNodeBase *>(FWhere.get()),
                               static_cast<TastNodeBase *>(FHaving.get()), static_cast<TastNodeBase *>(FGroupBy.get()),
                               static_cast<TastNodeBase *>(FOrderBy.get())})
        if (node)
            list.append(node);
}

} // namespace nvqb
