#pragma once
// The root query of a query builder: the main statement. Its after-update
// step hands the new SQL to the query builder.
#include "builder/model/SubQuery.h"

namespace nvqb {

class TnvQuery : public TnvSubQuery {
    NV_DECLARE_CLASS(TnvQuery)
public:
    explicit TnvQuery(TnvQueryBuilderModel *queryBuilder);

    bool GetIsSubQuery() const override { return false; }

protected:
    void DoAfterUpdated() override;
    TOwned<TSQLSubSelectStatement> NewStatementNode() const override;
};

} // namespace nvqb
