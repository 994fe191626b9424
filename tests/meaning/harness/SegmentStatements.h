#pragma once
// Statements whose FROM clause is a list of comma-separated table
// references, at least one of which after a comma holds a RIGHT or FULL
// join: SQL-92 joins the references last, so such a join takes only what
// stands before it in its own reference as its side. The edit sessions load
// one of them after their first steps and then add tables by their foreign
// keys, remove the tables at either end of a reference, delete links and
// change join kinds as the link dialog does (see EditSession.h).
//
// Two or three references, each a chain of one to three elements joined by
// inner, LEFT, RIGHT, FULL and CROSS joins, now and then a bracketed join
// of two tables (few and small, since the rows of the list multiply). ON
// conditions name only tables of their own reference, most of them the
// foreign-key columns of the meaning database, some a column of one table
// or of the tables before. One block, without grouping or ORDER BY; a
// WHERE now and then.
#include <QString>
#include <QtGlobal>

namespace nvqb::meaning {

// Statement Index of the series Seed.
QString GenerateSegmentStatement(quint64 seed, quint64 index);

} // namespace nvqb::meaning
