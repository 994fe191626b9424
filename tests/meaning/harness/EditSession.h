#pragma once
// Random edit sessions through the query model: a generated statement is
// loaded and then edited step by step with the operations the control's
// menus and diagram call (remove a data source, add a table with its
// foreign-key links, add the same table twice, enclose in and remove
// brackets, move union parts, type criteria into Criteria and Or... cells,
// rename aliases of data sources and of output columns, switch to a dialect
// without ANSI joins and back).
//
// After every step the printed SQL parses, loads into a fresh model and
// prints the same, and runs on SQLite. Steps that must not change the rows
// (enclosing one part in brackets, renaming an alias, switching the dialect
// when no outer join is in the query, a move forward and back) give the
// rows of the step before. Steps with an oracle give the rows of a statement
// built from the text before the step, independently of the model:
// - removing a data source of a block without outer joins: the block's other
//   tables in FROM, every ON and WHERE conjunct that does not name it in
//   WHERE, the select items, GROUP BY items and HAVING conjuncts that do not
//   name it (only when no OR mixes it with other terms and an item is left);
// - adding a table with its foreign keys to a block without outer joins: the
//   table after a comma and one equality per foreign-key column pair to
//   every other table of the block, in WHERE;
// - a criterion in an empty cell of a block without grouping: the WHERE
//   condition AND-ed with it when the grid has one criteria column, OR-ed
//   with it in a new Or... column;
// - removing brackets: the same text without that pair of brackets;
// - moving a part past a neighbour part of its group: the two blocks change
//   places and the operators stay where they stood.
// Half of the sessions then go on with a statement typed in whose FROM list
// is of comma-separated references, a RIGHT or FULL join in one after a
// comma (SegmentStatements.h): tables added by their foreign keys and
// removed at either end of a reference, links deleted and join kinds chosen
// as the link dialog does, each with the oracle of SegmentOracles.h, beside
// removals of any table and criteria.
// A session ends at its first difference.
#include "QueryResult.h"
#include "StatementGenerator.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace nvqb::meaning {

class TMeaningDatabase;

struct TSessionStep {
    // What was done, e.g. "remove data source q1 of part 2".
    QString Action;
    QString Before, After;
    // The oracle's statement; empty without one.
    QString Expected;
    TQueryResult BeforeResult, AfterResult, ExpectedResult;
    // What differs; empty when the step is fine.
    QString Why;
    // Messages the model showed during the step.
    QStringList Errors;
};

struct TSessionOutcome {
    enum TKind {
        // SQLite refused the generated statement the session starts from.
        NotExecuted,
        Same,
        Different,
    };
    TKind Kind = NotExecuted;
    // The statement the session starts from.
    QString Start;
    // Every step done, the load of the statement first; when the session
    // differs, the last one is where.
    QList<TSessionStep> Steps;
    // Steps whose rows were compared (to the step before or to an oracle).
    int Compared = 0;
};

// Whether the database refused the SQL for the parts of a union that differ
// in width: where a step may leave them so, the session ends there without
// a difference. Any other refusal is a difference.
bool IsUnionWidthRefusal(const TQueryResult &result);
// Whether the edit left a sub-query more as "Select *", having taken the
// source of the column it gave.
bool EmptiesASubQuery(const QString &before, const QString &after);
// The statement session Index of the series Seed starts from.
QString SessionStart(quint64 seed, quint64 index, const TGeneratorOptions &options = {});
// Session Index of the series Seed. With correlated sub-queries the
// sessions also remove the data sources that sub-queries name (with the
// oracle above, which drops every item, conjunct and HAVING term whose text
// names the source, sub-queries included) and data sources of the
// sub-queries themselves, and switch the dialect more often.
TSessionOutcome RunSession(const TMeaningDatabase &database, quint64 seed, quint64 index,
                           const TGeneratorOptions &options = {});
// The first different step with the SQL before, after and expected and the
// results.
QString DescribeSession(const TSessionOutcome &outcome);

} // namespace nvqb::meaning
