#include "OdbcTestSupport.h"

#include <QCoreApplication>
#include <atomic>

namespace nvqb::test {

std::string BackendName(const ::testing::TestParamInfo<Backend> &info)
{
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

QString PostgresConnectionString()
{
    const QString port = qEnvironmentVariable("NVQB_PG_PORT");
    if (port.isEmpty())
        return QString();
    const QString host = qEnvironmentVariable("NVQB_PG_HOST", QStringLiteral("127.0.0.1"));
    return QStringLiteral("Driver=PostgreSQL Unicode;Servername=%1;Port=%2;Database=%3;UID=%4;PWD=%5")
        .arg(host, port, qEnvironmentVariable("NVQB_PG_DATABASE", QStringLiteral("nvqb_test")),
             qEnvironmentVariable("NVQB_PG_USER", QStringLiteral("nvqb_test")),
             qEnvironmentVariable("NVQB_PG_PASSWORD"));
}

void OdbcDatabaseTest::SetUp()
{
    if (IsPostgres()) {
        FConnectionString = PostgresConnectionString();
        if (FConnectionString.isEmpty())
            GTEST_SKIP() << "NVQB_PG_PORT is not set; start a server with "
                            "eval \"$(bash scripts/pgserver.sh start)\" to run the PostgreSQL tests";
    } else {
        ASSERT_TRUE(FDir.isValid());
        FConnectionString = QStringLiteral("Driver=SQLite3;Database=%1").arg(FDir.filePath(QStringLiteral("t.db")));
    }
    if (IsPostgres()) {
        static std::atomic<int> counter{0};
        FSchema = QStringLiteral("nvqb_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        auto creator = Create<TADOConnection>(nullptr);
        creator->SetConnectionString(FConnectionString);
        creator->Execute(QStringLiteral("drop schema if exists %1 cascade").arg(FSchema));
        creator->Execute(QStringLiteral("create schema %1").arg(FSchema));
        // Every session of the test, also after a reconnect, works in the schema.
        FConnectionString += QStringLiteral(";ConnSettings={set search_path to %1}").arg(FSchema);
    }
    Connection = Create<TADOConnection>(nullptr);
    Connection->SetConnectionString(FConnectionString);
    Connection->SetConnectionTimeout(5);
    Connection->Open();
    for (const QString &sql : SchemaStatements())
        Connection->Execute(sql);
}

QStringList OdbcDatabaseTest::SchemaStatements()
{
    return {
        "create table parents (a integer not null, b integer not null, c integer not null, name varchar(30),"
        " primary key (a, b), unique (a, c))",
        "create table children (id integer not null primary key, pa integer, pb integer, qa integer, qc integer,"
        " note varchar(200),"
        " constraint children_p foreign key (pa, pb) references parents (a, b),"
        " constraint children_q foreign key (qa, qc) references parents (a, c))",
        "create table items (id integer not null primary key, child_id integer, label varchar(20) not null,"
        " amount numeric(10, 2), placed date, flag integer,"
        " constraint items_child foreign key (child_id) references children (id))",
        "create view children_view as select id, note from children",
    };
}

QString OdbcDatabaseTest::AddSchema(const QString &suffix)
{
    const QString name = FSchema + suffix;
    Connection->Execute(QStringLiteral("drop schema if exists %1 cascade").arg(name));
    Connection->Execute(QStringLiteral("create schema %1").arg(name));
    FExtraSchemas.append(name);
    return name;
}

void OdbcDatabaseTest::TearDown()
{
    Connection.reset();
    if (!FSchema.isEmpty()) {
        // A session of its own: the test may have closed or re-pointed its connection.
        auto cleaner = Create<TADOConnection>(nullptr);
        cleaner->SetConnectionString(FConnectionString);
        for (const QString &schema : FExtraSchemas)
            cleaner->Execute(QStringLiteral("drop schema if exists %1 cascade").arg(schema));
        cleaner->Execute(QStringLiteral("drop schema if exists %1 cascade").arg(FSchema));
    }
}

} // namespace nvqb::test
