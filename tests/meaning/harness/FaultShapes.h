#pragma once
// The shapes of the faults the meaning checks reach: which numbered items of
// the list below a differing statement or session looks like.
// A statement is told by its own text (its joins, ON conditions, select
// list and ORDER BY), a session by the step where it differed.
//
//   1  a join whose ON names only its own table or no table, beside an
//      outer join or a bracketed group
//   2  an ON condition term that names only tables before its join, in a
//      chain with an outer join
//   3  an outer join whose ON names tables on both sides of a CROSS JOIN
//      before it
//   4  a CROSS JOIN followed by an outer join
//   5  removing a data source: a condition lost, left naming the removed
//      table, or the FROM left unreadable (brackets around one table)
//   6  criteria in Criteria and Or... cells beside WHERE joins
//   7  a switch to a dialect without ANSI joins that leaves joins in FROM
//   8  Enclose In Brackets or Remove Brackets changing an operator
//   9  a moved union part taking its operator along
//   10 ORDER BY an output column's alias in brackets
//   11 renaming an output column's alias that ORDER BY names
//   13 t.* of a table that the FROM clause also holds under an alias
//   14 two FROM sources of one name
//
// Shapes of faults the checks found that no item names, numbered from 101:
//   101 a join to a bracketed group whose tables are not all joined to each
//       other (a comma or CROSS JOIN inside it)
//   102 Enclose In Brackets on the first part keeping an ORDER BY that names
//       columns by their tables, which the brackets now hide
//   103 a criterion typed in the row of an output column's alias, which
//       WHERE then names as if it were a column
//   104 criteria AND-ed in one column of the grid print in an order that
//       loading the printed SQL does not keep
//   105 moving the first union part takes the statement's ORDER BY along
//   106 a printed ON condition that names a table out of its reach: before
//       a comma of the FROM list, or outside its bracketed group
#include <QList>

namespace nvqb::meaning {

constexpr int GroupOfUnlinkedSets = 101;
constexpr int OrderByInBrackets = 102;
constexpr int CriterionOnAlias = 103;
constexpr int CriteriaOrder = 104;
constexpr int OrderByMovesWithPart = 105;
constexpr int OnOutOfReach = 106;

struct TStatementOutcome;
struct TSessionOutcome;

// The items whose shape the difference has; empty when it has none known.
QList<int> FaultItemsOf(const TStatementOutcome &outcome);
QList<int> FaultItemsOf(const TSessionOutcome &outcome);

} // namespace nvqb::meaning
