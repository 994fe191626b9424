#pragma once
// The demo's sample order-entry database. The schema and rows ship as a SQL
// script (compiled into the program), not as a binary file: a script reads
// and reviews like code, and the SQLite ODBC driver the demo needs anyway
// turns it into a database file on first start. The file lives in the user's
// cache folder, named after the script's hash, so an edited script makes a
// fresh file and the cached one is reused otherwise.
#include <QString>
#include <QStringList>

namespace nvqb {

// The SQL script of the sample database.
QString SampleDatabaseScript();
// The query the demo shows on the sample database when none is given.
QString SampleQuery();

// The script's statements: each ends with a semicolon at the end of a line;
// "--" comment lines are dropped.
QStringList SplitSQLScript(const QString &script);

// The database file for the script in the folder (the cache folder when
// empty), made when it is missing. Raises (EOdbcError, EDatabaseError,
// EInOutError) when the folder or the file cannot be made; a file left half
// made is removed first.
QString EnsureSampleDatabase(const QString &folder = QString());

// The ODBC connection string of a SQLite database file.
QString SQLiteConnectionString(const QString &fileName);

} // namespace nvqb
