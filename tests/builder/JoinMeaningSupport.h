#pragma once
// Statements over the tables p, q, r (id, v), in the query model (offline
// metadata beside the join tests' tables) and on a SQLite file reached
// through the SQLite ODBC driver. The rows there match, miss, repeat and
// hold NULLs, so a statement and the model's print of it can be compared
// by what they return.
#include "JoinTestSupport.h"

#include <QTemporaryDir>

namespace nvqb {
class TADOConnection;
}

namespace nvqb::test {

class TSQLiteTables {
public:
    TSQLiteTables();
    ~TSQLiteTables();
    // The rows the statement returns, each written "v|v|..." (NULL for a
    // null), sorted: equal lists are equal multisets. A statement that does
    // not run gives the one line "error: " and the database's message.
    QStringList Rows(const QString &sql) const;

private:
    QTemporaryDir FDir;
    TOwned<TADOConnection> FConnection;
};

class PQRJoinTest : public JoinTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static QStringList Rows(const QString &sql) { return FTables->Rows(sql); }
    // The statement's rows, then those of the model's print of it; the print
    // goes to Printed.
    void ExpectSameRows(const QString &sql, QString *printed = nullptr);

private:
    static TSQLiteTables *FTables;
};

} // namespace nvqb::test
