#pragma once
// Real databases for the ODBC layer's tests: a SQLite file in a temporary
// folder, and the PostgreSQL server that scripts/pgserver.sh starts (found
// through NVQB_PG_HOST, NVQB_PG_PORT, NVQB_PG_DATABASE, NVQB_PG_USER and
// NVQB_PG_PASSWORD). Each PostgreSQL test works in a schema of its own, so
// test processes running side by side do not meet.
#include "adoprovider/OdbcConnection.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Failure messages show texts as they read (UTF-8), not as code units.
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace nvqb::test {

enum class Backend { SQLite, PostgreSQL };

std::string BackendName(const ::testing::TestParamInfo<Backend> &info);

// Empty when NVQB_PG_PORT is not set.
QString PostgresConnectionString();

// A connection to a fresh database of the backend, open, with the sample schema:
//   parents(a, b, c, name): primary key (a, b), unique (a, c)
//   children(id, pa, pb, qa, qc, note): keys (pa, pb) -> parents(a, b) and
//       (qa, qc) -> parents(a, c): two two-column keys between one pair of tables
//   items(id, child_id, label, amount, placed, flag): child_id -> children(id)
//   children_view: a view over children
class OdbcDatabaseTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    void TearDown() override;

    bool IsPostgres() const { return GetParam() == Backend::PostgreSQL; }
    // The schema the sample lives in: the test's own on PostgreSQL, none on SQLite.
    QString Schema() const { return FSchema; }
    QString ConnectionString() const { return FConnectionString; }

    // The statements that make the test's objects; the sample by default.
    virtual QStringList SchemaStatements();
    // PostgreSQL: another schema of the test's own, dropped with it; its name
    // is the test's schema followed by the suffix.
    QString AddSchema(const QString &suffix);

    TOwned<TADOConnection> Connection;

private:
    QTemporaryDir FDir;
    QString FConnectionString;
    QString FSchema;
    QStringList FExtraSchemas;
};

} // namespace nvqb::test
