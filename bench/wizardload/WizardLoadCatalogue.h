#pragma once
// The pieces of the load-wizard benchmarks: a large catalogue made on a
// PostgreSQL server (tables with a few columns each, one foreign key per
// table, a ring: table i references table i+1 and the last the first, and
// some views over them), and the loading run the wizard makes for one
// database, timed step by step: the objects list, the relations, the system
// objects dropped, every object's fields loaded one at a time, the copy into
// the target container.
#include "../BenchCommandLine.h"
#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/OdbcConnection.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace nvqb::bench {

// The ODBC connection string of the server named by the NVQB_PG_* variables
// (scripts/pgserver.sh prints them); empty when NVQB_PG_PORT is not set.
inline QString PgConnectionString()
{
    const QString port = qEnvironmentVariable("NVQB_PG_PORT");
    if (port.isEmpty())
        return QString();
    return QStringLiteral("Driver=PostgreSQL Unicode;Servername=%1;Port=%2;Database=%3;UID=%4;PWD=%5")
        .arg(qEnvironmentVariable("NVQB_PG_HOST", QStringLiteral("127.0.0.1")), port,
             qEnvironmentVariable("NVQB_PG_DATABASE", QStringLiteral("nvqb_test")),
             qEnvironmentVariable("NVQB_PG_USER", QStringLiteral("nvqb_test")),
             qEnvironmentVariable("NVQB_PG_PASSWORD"));
}

// The command line both wizard benchmarks take: [tables] [--views N]
// [--runs N] [--xml FILE].
struct WizardBenchOptions {
    int Tables = 2000;
    int Views = 100;
    int Runs = 3;
    QString XmlFile;
};

inline WizardBenchOptions ParseWizardBenchOptions(int argc, char **argv, const char *program)
{
    WizardBenchOptions options;
    bench::TCommandLine line(argc, argv, program, "[TABLES] [--views N] [--runs N] [--xml FILE]");
    bool counted = false;
    while (line.Next()) {
        if (line.Is("--views")) {
            options.Views = int(line.Number(0, INT_MAX));
        } else if (line.Is("--runs")) {
            options.Runs = int(line.Number(1, INT_MAX));
        } else if (line.Is("--xml")) {
            options.XmlFile = QString::fromLocal8Bit(line.Value());
        } else if (!counted) {
            options.Tables = int(line.PositionalNumber("TABLES", 2, INT_MAX));
            counted = true;
        } else {
            line.Unexpected();
        }
    }
    // A view reads one table of its own.
    options.Views = std::min(options.Views, options.Tables);
    return options;
}

// A closed connection to the server of the NVQB_PG_* variables, with room
// for the catalogue's long statements; nil (and a line saying why) when no
// server is named.
inline TOwned<TADOConnection> NewPgConnection()
{
    const QString connectionString = PgConnectionString();
    if (connectionString.isEmpty()) {
        std::printf("NVQB_PG_PORT is not set: start a server with eval \"$(bash scripts/pgserver.sh start)\"\n");
        return nullptr;
    }
    auto connection = Create<TADOConnection>(nullptr);
    connection->SetConnectionString(connectionString);
    connection->SetCommandTimeout(600);
    return connection;
}

// The catalogue in a schema of its own, made by the constructor and dropped
// by the destructor.
class PgCatalogue {
public:
    PgCatalogue(TADOConnection &connection, int tables, int views)
        : FConnection(connection), FTables(tables), FViews(views),
          FSchema(QStringLiteral("nvqb_wizard_%1").arg(QCoreApplication::applicationPid()))
    {
        FConnection.Execute(QStringLiteral("create schema %1").arg(FSchema));
        QStringList statements;
        for (int i = 0; i < tables; ++i)
            statements << QStringLiteral("create table %1.t%2 (id integer not null primary key, next_id integer,"
                                         " note varchar(40), amount numeric(12,2), created date)")
                              .arg(FSchema)
                              .arg(i);
        // Every table exists before a key refers to it.
        for (int i = 0; i < tables; ++i)
            statements << QStringLiteral("alter table %1.t%2 add constraint fk_t%2 foreign key (next_id)"
                                         " references %1.t%3 (id)")
                              .arg(FSchema)
                              .arg(i)
                              .arg((i + 1) % tables);
        for (int i = 0; i < views; ++i)
            statements << QStringLiteral("create view %1.v%2 as select a.id, a.note, b.amount from %1.t%2 a"
                                         " join %1.t%3 b on b.id = a.next_id")
                              .arg(FSchema)
                              .arg(i)
                              .arg((i + 1) % tables);
        for (qsizetype i = 0; i < statements.size(); i += 200)
            FConnection.Execute(statements.mid(i, 200).join(u';'));
        // Fresh catalogue statistics, as a server has them a minute later.
        FConnection.Execute(QStringLiteral("analyze"));
    }
    ~PgCatalogue()
    {
        try {
            // In batches: dropping everything at once needs more locks than
            // a default server allows.
            for (int i = 0; i < FViews; i += 200) {
                QStringList drops;
                for (int k = i; k < std::min(FViews, i + 200); ++k)
                    drops << QStringLiteral("drop view if exists %1.v%2").arg(FSchema).arg(k);
                FConnection.Execute(drops.join(u';'));
            }
            for (int i = 0; i < FTables; i += 200) {
                QStringList drops;
                for (int k = i; k < std::min(FTables, i + 200); ++k)
                    drops << QStringLiteral("drop table if exists %1.t%2 cascade").arg(FSchema).arg(k);
                FConnection.Execute(drops.join(u';'));
            }
            FConnection.Execute(QStringLiteral("drop schema %1 cascade").arg(FSchema));
        } catch (const std::exception &e) {
            std::fprintf(stderr, "cannot drop schema %s: %s\n", qPrintable(FSchema), e.what());
        }
    }
    PgCatalogue(const PgCatalogue &) = delete;
    PgCatalogue &operator=(const PgCatalogue &) = delete;

    const QString &Schema() const { return FSchema; }
    int Tables() const { return FTables; }
    int Views() const { return FViews; }

private:
    TADOConnection &FConnection;
    int FTables;
    int FViews;
    QString FSchema;
};

// Milliseconds per step of one loading run.
struct WizardLoadTimings {
    double Objects = 0;   // LoadMetadataByFilter up to the relations
    double Relations = 0; // the relations part of LoadMetadataByFilter
    double System = 0;    // system objects deleted
    double Fields = 0;    // every object's LoadFields, one at a time
    double Copy = 0;      // clone and add into the target
    double Total = 0;
    qsizetype ObjectCount = 0;
    qsizetype FieldsFailed = 0;
    bool operator<(const WizardLoadTimings &other) const { return Total < other.Total; }
};

// Times the relations load apart from the objects load inside the
// container's LoadMetadataByFilter: the syntax provider hands both to the
// metadata provider, which this wrapper passes on.
class TimingMetadataProvider : public TnvBaseMetadataProvider {
public:
    explicit TimingMetadataProvider(TnvBaseMetadataProvider *inner) : TnvBaseMetadataProvider(nullptr), FInner(inner)
    {
    }
    double ObjectsMs = 0;
    double RelationsMs = 0;

    bool IsConnected() const override { return FInner->IsConnected(); }
    void LoadMetadataObjects(TnvBaseSyntaxProvider *syntax, TnvMetadataFilter *filter,
                             TnvMetadataContainer *container, const TSQLQualifiedName *database) override
    {
        QElapsedTimer timer;
        timer.start();
        FInner->LoadMetadataObjects(syntax, filter, container, database);
        ObjectsMs += timer.nsecsElapsed() / 1e6;
    }
    void LoadMetadataRelations(TnvBaseSyntaxProvider *syntax, TnvMetadataFilter *filter,
                               TnvMetadataContainer *container, const TSQLQualifiedName *database) override
    {
        QElapsedTimer timer;
        timer.start();
        FInner->LoadMetadataRelations(syntax, filter, container, database);
        RelationsMs += timer.nsecsElapsed() / 1e6;
    }
    void LoadFields(TnvMetadataObject *object) override { FInner->LoadFields(object); }
    TOwned<TSQLQualifiedName> GetDefaultDatabaseName(TnvBaseSyntaxProvider *syntax) override
    {
        return FInner->GetDefaultDatabaseName(syntax);
    }
    void GetDefaultSchemaNames(TnvBaseSyntaxProvider *syntax, TSQLIdentifiersCollection *names) override
    {
        FInner->GetDefaultSchemaNames(syntax, names);
    }

protected:
    TOwned<TDataSet> PrepareSQLDatasetInternal(const QString &sql) override { return FInner->ExecSQL(sql, false); }

private:
    TnvBaseMetadataProvider *FInner;
};

// The loading run for one database (nil: the default one) into the target,
// as the wizard makes it; log receives the wizard's log lines (nil: none).
// The scratch container uses the target's syntax provider and metadata
// provider, or `metadataProvider` when given (for the timing wrapper).
inline WizardLoadTimings RunWizardLoad(TnvMetadataContainer *target, TnvMetadataFilter *filter,
                                       const TSQLQualifiedName *database, bool dropSystemObjects,
                                       const std::function<void(const QString &)> &log = {},
                                       TnvBaseMetadataProvider *metadataProvider = nullptr)
{
    auto write = [&](const QString &line) {
        if (log)
            log(line);
    };
    WizardLoadTimings t;
    QElapsedTimer total, step;
    total.start();
    auto scratch = Create<TnvMetadataContainer>(nullptr);
    scratch->SetSyntaxProvider(target->SyntaxProvider());
    scratch->SetMetadataProvider(metadataProvider ? metadataProvider : target->MetadataProvider());
    write(QString());
    write(database ? QStringLiteral("Loading metadata from database %1...").arg(database->GetQualifiedName())
                   : QStringLiteral("Loading metadata from default database..."));
    write(QStringLiteral("Loading objects list..."));
    auto *timing = dynamic_cast<TimingMetadataProvider *>(metadataProvider);
    step.start();
    scratch->LoadMetadataByFilter(filter, database);
    const double loadMs = step.nsecsElapsed() / 1e6;
    t.Relations = timing ? timing->RelationsMs : 0;
    t.Objects = loadMs - t.Relations;
    write(QStringLiteral("success"));

    step.start();
    if (dropSystemObjects)
        for (qsizetype i = scratch->Count() - 1; i >= 0; --i)
            if (scratch->Items(i)->System())
                scratch->Delete(i);
    t.System = step.nsecsElapsed() / 1e6;

    t.ObjectCount = scratch->Count();
    write(QStringLiteral("%1 objects found...").arg(scratch->Count()));
    step.start();
    for (qsizetype i = 0; i < scratch->Count(); ++i) {
        TnvMetadataObject *object = scratch->Items(i);
        write(QStringLiteral("Loading fields list for object %1...").arg(object->GetFullNameStr()));
        bool loaded = false;
        try {
            object->LoadFields();
            loaded = object->GetFields()->Loaded();
        } catch (const std::exception &) {
        }
        if (!loaded)
            ++t.FieldsFailed;
        write(loaded ? QStringLiteral("success") : QStringLiteral("FAILED"));
    }
    t.Fields = step.nsecsElapsed() / 1e6;

    write(QStringLiteral("Writing metadata to MetadataContainer..."));
    if (!scratch->Loaded()) {
        write(QStringLiteral("FAILED"));
        t.Total = total.nsecsElapsed() / 1e6;
        return t;
    }
    step.start();
    if (IsQualifiedNameEmpty(target->DefaultDatabaseName()) && !IsQualifiedNameEmpty(scratch->DefaultDatabaseName()))
        target->SetDefaultDatabaseName(scratch->DefaultDatabaseName());
    if (target->DefaultSchemaNames()->GetCount() == 0 && scratch->DefaultSchemaNames()->GetCount() > 0)
        target->SetDefaultSchemaNames(scratch->DefaultSchemaNames());
    for (qsizetype i = 0; i < scratch->Count(); ++i)
        target->Add(scratch->Items(i)->CloneAs<TnvMetadataObject>(target));
    t.Copy = step.nsecsElapsed() / 1e6;
    write(QStringLiteral("Loading completed successfully..."));
    write(QString());
    scratch.reset();
    t.Total = total.nsecsElapsed() / 1e6;
    return t;
}

} // namespace nvqb::bench
