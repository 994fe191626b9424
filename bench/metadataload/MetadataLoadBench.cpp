// Loading a large catalogue's metadata from real databases: 2,000 tables
// joined by 2,000 foreign keys (table i references table i+1, the last the
// first), loaded through the ADO provider (objects, then relations) from a
// SQLite file and, when NVQB_PG_PORT names a server (scripts/pgserver.sh),
// from PostgreSQL, also through the SQL-92 dialect's information_schema
// queries. Prints the best of a few runs for each.
//
//   nvqb-metadata-load-bench [tables]
#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/OdbcConnection.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace nvqb;

namespace {

constexpr int Runs = 3;

QString TableSQL(int i, int count, const QString &prefix)
{
    return QStringLiteral("create table %1t%2 (id integer not null primary key, next_id integer,"
                          " note varchar(40), constraint fk_t%2 foreign key (next_id) references %1t%3 (id))")
        .arg(prefix)
        .arg(i)
        .arg((i + 1) % count);
}

void CreateSchema(TADOConnection &connection, int count, const QString &prefix, bool batch)
{
    // The first table refers to one made later: PostgreSQL wants it to exist,
    // so every table is made first and the keys are added in a second pass
    // there; SQLite checks references only when rows are written.
    if (batch) {
        QStringList statements;
        for (int i = 0; i < count; ++i)
            statements << QStringLiteral("create table %1t%2 (id integer not null primary key, next_id integer,"
                                         " note varchar(40))")
                              .arg(prefix)
                              .arg(i);
        for (int i = 0; i < count; ++i)
            statements << QStringLiteral("alter table %1t%2 add constraint fk_t%2 foreign key (next_id)"
                                         " references %1t%3 (id)")
                              .arg(prefix)
                              .arg(i)
                              .arg((i + 1) % count);
        for (qsizetype i = 0; i < statements.size(); i += 200)
            connection.Execute(statements.mid(i, 200).join(u';'));
        return;
    }
    connection.Execute(QStringLiteral("begin"));
    for (int i = 0; i < count; ++i)
        connection.Execute(TableSQL(i, count, prefix));
    connection.Execute(QStringLiteral("commit"));
}

struct Result {
    double Seconds = 1e9;
    qsizetype Objects = 0;
    qsizetype Relations = 0;
};

Result Measure(TADOConnection &connection, bool informationSchema, const QString &schema)
{
    Result best;
    for (int run = 0; run < Runs; ++run) {
        TnvSQL92SyntaxProvider syntax;
        syntax.SetUseInformationSchema(informationSchema);
        TnvADOMetadataProvider provider;
        provider.SetConnection(&connection);
        auto container = Create<TnvMetadataContainer>(nullptr);
        container->SetSyntaxProvider(&syntax);
        container->SetMetadataProvider(&provider);
        TnvMetadataFilter filter;
        if (!schema.isEmpty())
            filter.Add()->SchemaMask = schema;
        QElapsedTimer timer;
        timer.start();
        container->LoadMetadataByFilter(&filter, nullptr);
        const double seconds = timer.nsecsElapsed() / 1e9;
        Result result;
        result.Seconds = seconds;
        result.Objects = container->Count();
        for (qsizetype i = 0; i < container->Count(); ++i)
            result.Relations += container->Items(i)->GetRelations()->Count();
        if (result.Seconds < best.Seconds)
            best = result;
    }
    return best;
}

void Report(const char *what, const Result &r, double limit)
{
    std::printf("%-42s %8.3f s  (%lld objects, %lld relations; limit %.0f s: %s)\n", what, r.Seconds,
                static_cast<long long>(r.Objects), static_cast<long long>(r.Relations), limit,
                r.Seconds < limit ? "met" : "MISSED");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(2, std::atoi(argv[1])) : 2000;
    std::printf("%d tables, %d foreign keys; best of %d runs\n", count, count, Runs);

    QTemporaryDir dir;
    {
        auto sqlite = Create<TADOConnection>(nullptr);
        sqlite->SetConnectionString(QStringLiteral("Driver=SQLite3;Database=%1").arg(dir.filePath("bench.db")));
        sqlite->Open();
        CreateSchema(*sqlite, count, QString(), false);
        Report("SQLite, ADO provider", Measure(*sqlite, false, QString()), 2);
    }

    const QString port = qEnvironmentVariable("NVQB_PG_PORT");
    if (port.isEmpty()) {
        std::printf("PostgreSQL: skipped (NVQB_PG_PORT is not set; see scripts/pgserver.sh)\n");
        return 0;
    }
    const QString base =
        QStringLiteral("Driver=PostgreSQL Unicode;Servername=%1;Port=%2;Database=%3;UID=%4;PWD=%5")
            .arg(qEnvironmentVariable("NVQB_PG_HOST", QStringLiteral("127.0.0.1")), port,
                 qEnvironmentVariable("NVQB_PG_DATABASE", QStringLiteral("nvqb_test")),
                 qEnvironmentVariable("NVQB_PG_USER", QStringLiteral("nvqb_test")),
                 qEnvironmentVariable("NVQB_PG_PASSWORD"));
    const QString schema = QStringLiteral("nvqb_bench_%1").arg(QCoreApplication::applicationPid());
    auto pg = Create<TADOConnection>(nullptr);
    pg->SetConnectionString(base);
    pg->SetCommandTimeout(600);
    pg->Open();
    pg->Execute(QStringLiteral("create schema %1").arg(schema));
    try {
        CreateSchema(*pg, count, schema + u'.', true);
        Report("PostgreSQL, ADO provider", Measure(*pg, false, schema), 5);
        Report("PostgreSQL, information_schema", Measure(*pg, true, schema), 5);
    } catch (const std::exception &e) {
        std::printf("PostgreSQL: %s\n", e.what());
    }
    try {
        // In batches: one statement dropping every table at once needs more
        // locks than a default server allows.
        for (int i = 0; i < count; i += 200) {
            QStringList drops;
            for (int k = i; k < std::min(count, i + 200); ++k)
                drops << QStringLiteral("drop table if exists %1.t%2 cascade").arg(schema).arg(k);
            pg->Execute(drops.join(u';'));
        }
        pg->Execute(QStringLiteral("drop schema %1 cascade").arg(schema));
    } catch (const std::exception &e) {
        std::printf("PostgreSQL: cannot drop schema %s: %s\n", qPrintable(schema), e.what());
    }
    return 0;
}
