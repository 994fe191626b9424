#pragma once
// One statement through the query model: it runs on SQLite as written; the
// model loads it and prints it; that text loads into a fresh model and
// prints the same; it runs on SQLite and gives the same rows (in the same
// order where ORDER BY fixes one).
#include "QueryResult.h"

#include <QString>

namespace nvqb::meaning {

class TMeaningDatabase;

struct TStatementOutcome {
    enum TKind {
        // SQLite refused the statement as written: nothing to compare.
        NotExecuted,
        Same,
        Different,
    };
    TKind Kind = NotExecuted;
    QString Input;
    // What the model printed, and what a fresh model printed from that.
    QString Printed, Reprinted;
    TQueryResult Before, After;
    bool OrderChecked = false;
    // What differs.
    QString Why;
};

TStatementOutcome CheckStatement(const TMeaningDatabase &database, const QString &sql);

// The outcome as the report of a difference: the SQL before and after and
// both results.
QString DescribeOutcome(const TStatementOutcome &outcome);

} // namespace nvqb::meaning
