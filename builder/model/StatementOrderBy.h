#pragma once
// The ORDER BY of a whole statement, which the select list of the
// statement's first union part holds as its sorted rows.
//
// When that part is the whole statement, a sort key may be any expression
// over its FROM sources. When it is not (a union, or brackets around the
// part), the ORDER BY sorts the result of the union and can name only the
// result's columns: by the name the first part gives a column (its alias)
// or by the column's position. The functions below tell which output column
// a sort key names, print the keys so, and carry the ORDER BY over to the
// part that becomes first when the parts change places.
#include "sqlmodel/ast/AstNode.h"

#include <vector>

namespace nvqb {

class TnvSelectList;
class TnvSelectItem;
class TSQLExpressionItem;
class TSQLOrderByClause;

// The list's sorted rows as the ORDER BY of a union's result: a key that
// names an output column (the row itself, its alias, its position, its
// expression) names it by its alias when no other output column goes by the
// same name, else by its position; a key that names no output column stays
// as it is. Nil when no row is sorted.
TOwned<TSQLOrderByClause> ResultOrderByClause(const TnvSelectList *list);

// The first sorted row whose key the result of a union could not name (a
// column sorted by without being output, an aggregate that is not output,
// an output column without alias past a *); nil when there is none.
const TnvSelectItem *SortKeyOutsideResult(const TnvSelectList *list);

// The sort keys of a statement, kept while the ORDER BY goes from one part
// to another: for each key the output column it names (by position) and its
// direction, and what it sorts by where no such column answers.
class TnvOrderByKeys {
public:
    TnvOrderByKeys();
    ~TnvOrderByKeys();
    TnvOrderByKeys(TnvOrderByKeys &&other) noexcept;
    TnvOrderByKeys &operator=(TnvOrderByKeys &&other) noexcept;

    // The keys of the list's sorted rows, in their sort order; the list is
    // left as it is.
    static TnvOrderByKeys Of(const TnvSelectList *list);
    // The list sorted by the keys in their order, its own sorts dropped
    // first: a key sorts the output row at its position; one without such a
    // row (the list has fewer columns, or a * before them) is read as the
    // list reads an ORDER BY: the position, or what the key sorted by when
    // it named no position. A list that sorts as the keys do already is
    // left as it is.
    void SortBy(TnvSelectList *list) const;
    // Whether both sort by the same columns or expressions, in the same
    // order and directions.
    bool SortsAs(const TnvOrderByKeys &other) const;

private:
    // Unsorts every row of the list; a row that was there only to be sorted
    // by (not output, not grouped, without criteria) goes with its sort.
    static void Drop(TnvSelectList *list);

    struct TKey;
    std::vector<TKey> FKeys;
};

} // namespace nvqb
