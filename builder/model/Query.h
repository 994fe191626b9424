#pragma once
// The root query of a query builder: the main statement. Its after-update
// step hands the new SQL to the query builder.
//
// That step calls the hosts' handlers, which may edit the query. Their edits
// fall inside the bracket that is closing, after the nodes they change have
// run their steps, so the root query runs the steps once more when the
// bracket has closed, and the new SQL is reported in a round of its own.
// Handlers that keep editing get further rounds, up to a bound; the rounds
// past it still bring SQL and the components' texts up to date, but raise
// no event (see TnvQueryBuilderModel::SQLUpdated).
#include "builder/model/SubQuery.h"

namespace nvqb {

class TnvQuery : public TnvSubQuery {
    NV_DECLARE_CLASS(TnvQuery)
public:
    explicit TnvQuery(TnvQueryBuilderModel *queryBuilder);

    bool GetIsSubQuery() const override { return false; }

protected:
    void DoAfterUpdated() override;
    void OutermostBracketClosed() override;
    TOwned<TSQLSubSelectStatement> NewStatementNode() const override;
};

} // namespace nvqb
