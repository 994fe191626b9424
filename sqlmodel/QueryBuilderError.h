#pragma once
// The error through which the object model reports what went wrong with the
// database or with a name a caller handed in: a query that failed to run (with
// the SQL text and the database's own message kept for the host), or an
// object name that does not parse.
#include "classlib/Exceptions.h"

namespace nvqb {

class EnvQueryBuilderError : public Exception {
public:
    using Exception::Exception;
    EnvQueryBuilderError(QString message, QString sql, QString databaseMessage);

    const char *ClassName() const override { return "EnvQueryBuilderError"; }

    // The SQL text that failed and the message the database gave; empty for
    // errors that did not come from running SQL.
    const QString &SQL() const { return FSQL; }
    const QString &DatabaseMessage() const { return FDatabaseMessage; }

private:
    QString FSQL;
    QString FDatabaseMessage;
};

} // namespace nvqb
