#pragma once
// Random SELECT statements over the tables of the meaning database, each
// made from its seed and number alone, so any one of a series can be made
// again by itself.
//
// What they hold: inner, LEFT, RIGHT, FULL, CROSS and comma joins mixed and
// nested in bracketed groups; ON conditions over both sides, one side, only
// the tables before, or no table at all, with constants, ANDs and ORs;
// self-joins of one table under aliases with t.* items; WHERE; GROUP BY
// with aggregates and HAVING; ORDER BY on columns, on aliases (some named
// like columns) and on either in brackets; UNION, UNION ALL, EXCEPT and
// INTERSECT with bracketed parts; and, as an option, correlated sub-queries.
//
// Every statement is valid SQL-92, which SQLite runs once two readings of
// its own are translated (see StatementText.h). An ON condition names only
// tables of its own bracket level that stand at or before it and after the
// last comma before it: SQL-92 joins the comma-separated references of a
// FROM clause last. INTERSECT stands only before every other operator
// of its level, so that no reading of its precedence changes the rows.
#include <QString>
#include <QtGlobal>

namespace nvqb::meaning {

enum class TStatementShape {
    // Anything the generator makes.
    Any,
    // One block, never a union.
    SingleBlock,
    // A union of two to four parts.
    Union,
};

// What a series holds besides the shapes above; a series without any of it
// is the one it always was.
struct TGeneratorOptions {
    // Correlated sub-queries in WHERE, in HAVING and in the select list:
    // IN and NOT IN, EXISTS and NOT EXISTS, a comparison with a scalar
    // sub-query or with ALL or ANY of one, each naming columns of the block
    // around it, and now and then a sub-query inside that names the blocks
    // one and two levels up. Their tables always have aliases of their own,
    // so no name of a block around them is hidden.
    bool SubQueries = false;
};

// Statement Index of the series Seed.
QString GenerateStatement(quint64 seed, quint64 index, TStatementShape shape = TStatementShape::Any,
                          const TGeneratorOptions &options = {});

} // namespace nvqb::meaning
