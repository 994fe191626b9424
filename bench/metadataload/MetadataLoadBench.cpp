// Loading a large catalogue's metadata from real databases: 2,000 tables
// joined by 2,000 foreign keys (table i references table i+1, the last the
// first), loaded through the ADO provider (objects, then relations) from a
// SQLite file and, when NVQB_PG_PORT names a server (scripts/pgserver.sh),
// from PostgreSQL, also through the SQL-92 dialect's information_schema
// queries: the whole load, and the relations query alone in the form the
// dialect asks first (the views read through derived tables). With --plain,
// also the relations query in the form a server gets that refuses derived
// tables (the views joined directly; minutes at this size, one run). Prints
// the best of a few runs for each.
//
//   nvqb-metadata-load-bench [tables] [--plain]
#include "../BenchCommandLine.h"
#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/OdbcConnection.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/providers/EventMetadataProvider.h"
#include "adoprovider/OdbcDataset.h"

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

// The whole load; the relations load alone (the views' existence checks and
// the query, objects loaded untimed first); the relations query alone (run
// and read; its rows counted as relations).
enum class Part { Everything, RelationsOnly, QueryOnly };

// A provider over the connection whose server refuses texts holding `refuse`.
struct RefusingProvider {
    TnvEventMetadataProvider Events;
    RefusingProvider(TADOConnection &connection, const QString &refuse)
    {
        Events.OnExecSQLEvent = TnvExecSQLEvent::FromCallable(
            [&connection, refuse](TnvBaseMetadataProvider *, const QString &sql, TOwned<TDataSet> &dataset) {
                if (!refuse.isEmpty() && sql.contains(refuse))
                    throw EDatabaseError(QStringLiteral("refused"));
                auto query = Create<TADODataSet>(nullptr);
                query->SetConnection(&connection);
                query->SetCommandText(sql);
                dataset.reset(query.release());
            });
    }
};

Result Measure(TADOConnection &connection, bool informationSchema, const QString &schema, Part part = Part::Everything,
               const QString &refuse = QString(), int runs = Runs)
{
    Result best;
    for (int run = 0; run < runs; ++run) {
        TnvSQL92SyntaxProvider syntax;
        syntax.SetUseInformationSchema(informationSchema);
        TnvADOMetadataProvider provider;
        provider.SetConnection(&connection);
        RefusingProvider refusing(connection, refuse);
        TnvBaseMetadataProvider *used = refuse.isEmpty() ? static_cast<TnvBaseMetadataProvider *>(&provider)
                                                         : &refusing.Events;
        auto container = Create<TnvMetadataContainer>(nullptr);
        container->SetSyntaxProvider(&syntax);
        container->SetMetadataProvider(used);
        TnvMetadataFilter filter;
        if (!schema.isEmpty())
            filter.Add()->SchemaMask = schema;
        QElapsedTimer timer;
        if (part == Part::QueryOnly) {
            const QString sql = TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL({}, true, refuse.isEmpty());
            timer.start();
            TOwned<TDataSet> rows = provider.ExecSQL(sql, true);
            Result result;
            for (rows->First(); !rows->Eof(); rows->Next())
                ++result.Relations;
            result.Seconds = timer.nsecsElapsed() / 1e9;
            if (result.Seconds < best.Seconds)
                best = result;
            continue;
        }
        if (part == Part::RelationsOnly) {
            // Objects first (the relations hang on them), untimed.
            syntax.LoadMetadataObjects(&provider, &filter, container.get(), nullptr);
            timer.start();
            syntax.LoadMetadataRelations(used, &filter, container.get(), nullptr);
        } else {
            timer.start();
            container->LoadMetadataByFilter(&filter, nullptr);
        }
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

// A limit of 0: a figure for comparison only.
void Report(const char *what, const Result &r, double limit)
{
    std::printf("%-46s %8.3f s  (%lld objects, %lld relations", what, r.Seconds, static_cast<long long>(r.Objects),
                static_cast<long long>(r.Relations));
    if (limit > 0)
        std::printf("; limit %.0f s: %s", limit, r.Seconds < limit ? "met" : "MISSED");
    std::printf(")\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    int count = 2000;
    bool plain = false, counted = false;
    bench::TCommandLine line(argc, argv, "nvqb-metadata-load-bench", "[TABLES] [--plain]");
    while (line.Next()) {
        if (line.Is("--plain")) {
            plain = true;
        } else if (!counted) {
            count = int(line.PositionalNumber("TABLES", 2, INT_MAX));
            counted = true;
        } else {
            line.Unexpected();
        }
    }
    QCoreApplication app(argc, argv);
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
        // Right after the change the server plans the catalogue views with
        // statistics from before it, until autovacuum analyzes the
        // catalogues (within a minute or so): one run of each in that state,
        // then the same after ANALYZE (the database's owner may analyze its
        // catalogues). The relations load also runs the existence checks
        // (select count(*) from each view), which read the slow view too.
        const QString plainForm = QStringLiteral("(select distinct");
        Report("PG stale stats: information_schema", Measure(*pg, true, schema, Part::Everything, {}, 1), 0);
        Report("PG stale stats: IS relations load", Measure(*pg, true, schema, Part::RelationsOnly, {}, 1), 0);
        Report("PG stale stats: IS relations query", Measure(*pg, true, schema, Part::QueryOnly, {}, 1), 0);
        if (plain)
            Report("PG stale stats: IS relations query, plain",
                   Measure(*pg, true, schema, Part::QueryOnly, plainForm, 1), 0);
        pg->Execute(QStringLiteral("analyze"));
        Report("PostgreSQL, ADO provider", Measure(*pg, false, schema), 5);
        Report("PostgreSQL, information_schema", Measure(*pg, true, schema), 3);
        Report("PostgreSQL, IS relations load", Measure(*pg, true, schema, Part::RelationsOnly), 3);
        Report("PostgreSQL, IS relations query", Measure(*pg, true, schema, Part::QueryOnly), 3);
        if (plain)
            Report("PostgreSQL, IS relations query, plain", Measure(*pg, true, schema, Part::QueryOnly, plainForm, 1),
                   0);
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
