#pragma once
// The grouping kind of a select-list row and sets of kinds. The select list
// spreads WHERE and HAVING over its rows by kind and builds each clause back
// from the rows of the kinds that belong in it.
#include <initializer_list>

namespace nvqb {

enum TnvQueryBuilderGroupByType { gtExpression, gtGroupBy, gtHaving, gtWhere, gtAggregateStar, gtAggregate };

class TnvQueryBuilderGroupByTypes {
public:
    constexpr TnvQueryBuilderGroupByTypes() = default;
    constexpr TnvQueryBuilderGroupByTypes(std::initializer_list<TnvQueryBuilderGroupByType> kinds)
    {
        for (TnvQueryBuilderGroupByType kind : kinds)
            FBits |= Bit(kind);
    }
    static constexpr TnvQueryBuilderGroupByTypes All()
    {
        return {gtExpression, gtGroupBy, gtHaving, gtWhere, gtAggregateStar, gtAggregate};
    }

    constexpr bool Contains(TnvQueryBuilderGroupByType kind) const { return (FBits & Bit(kind)) != 0; }
    constexpr bool IsEmpty() const { return FBits == 0; }
    friend constexpr bool operator==(TnvQueryBuilderGroupByTypes a, TnvQueryBuilderGroupByTypes b)
    {
        return a.FBits == b.FBits;
    }

private:
    static constexpr unsigned Bit(TnvQueryBuilderGroupByType kind) { return 1u << unsigned(kind); }
    unsigned FBits = 0;
};

// The kinds whose conditions a block prints in WHERE and in HAVING.
inline constexpr TnvQueryBuilderGroupByTypes WhereGroupByTypes{gtWhere};
inline constexpr TnvQueryBuilderGroupByTypes HavingGroupByTypes{gtGroupBy, gtHaving, gtAggregateStar, gtAggregate};

} // namespace nvqb
