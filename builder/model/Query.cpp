#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/FirstFailure.h"
#include "builder/model/ScopeExit.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQuery, TnvSubQuery)

TnvQuery::TnvQuery(TnvQueryBuilderModel *queryBuilder) : TnvSubQuery(nullptr, queryBuilder) {}

void TnvQuery::OutermostBracketClosed()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return;
    TnvFirstFailure failure;
    // One round past the bound runs without events, so it can bring nothing
    // new; a step that still marks the query changed ends the rounds too.
    for (int round = 1; round <= TnvQueryBuilderModel::MaxFollowUpRounds + 1 && IsChanged() && !GetIsUpdating() &&
                        !IsDestroying() && !qb->IsDestroying();
         ++round) {
        qb->SetFollowUpRound(round);
        TnvScopeExit reset([qb] { qb->SetFollowUpRound(0); });
        failure.Run([this] { RunPendingSteps(); });
    }
    failure.Rethrow();
}

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
