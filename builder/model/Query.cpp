#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQuery, TnvSubQuery)

TnvQuery::TnvQuery(TnvQueryBuilderModel *queryBuilder) : TnvSubQuery(nullptr, queryBuilder) {}

TOwned<TSQLSubSelectStatement> TnvQuery::NewStatementNode() const
{
    return Create<TSQLSelectStatement>(SyntaxProvider());
}

void TnvQuery::DoAfterUpdated()
{
    TnvSubQuery::DoAfterUpdated();
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (qb && !IsDestroying() && !qb->IsDestroying())
        qb->SQLUpdated();
}

} // namespace nvqb
