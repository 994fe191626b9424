#pragma once
// Helpers of the binding walk, which carries the visible WITH items and FROM
// sources down the tree (see the PrepareAndFixup overrides of the node
// families).
#include "sqlmodel/ast/AstNode.h"

namespace nvqb {

class TSQLFromItem;
class TSQLFromSource;

// Cuts a scope list back to the length it had on entry when the scope is
// left, also when an exception passes through.
class TastScopeCut {
public:
    explicit TastScopeCut(TastNodeRefList &list) : FList(list), FSize(list.size()) {}
    ~TastScopeCut()
    {
        if (FList.size() > FSize)
            FList.resize(FSize);
    }
    TastScopeCut(const TastScopeCut &) = delete;
    TastScopeCut &operator=(const TastScopeCut &) = delete;

private:
    TastNodeRefList &FList;
    qsizetype FSize;
};

// The sources of a chain in order, nested chains replaced by their sources.
void CollectChainSources(const TSQLFromItem *chain, QList<TSQLFromSource *> &sources);

} // namespace nvqb
