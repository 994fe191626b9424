// nvqb-meaning: the meaning of generated statements and of random edit
// sessions through the query model, checked on a SQLite file.
//
//   nvqb-meaning [--statements N] [--sessions N] [--seed S] [--only K]
//                [--show N] [--unknown] [--item K] [--print K] [--subqueries]
//   nvqb-meaning --sql TEXT
//
// Every statement runs on SQLite as generated, is loaded into the query
// model and printed, and the printed SQL runs again; both results must be
// the same rows (in the same order where ORDER BY fixes one), and the
// printed SQL must load into a fresh model and print the same. Every
// session loads a generated statement and edits it step by step through the
// model's operations, checking each step (see tests/meaning/harness).
//
// The output starts with exactly
//   statements N, executed N, same N, different N
//   sessions N, executed N, same N, different N
// (executed: SQLite ran the generated statement), then the steps the
// sessions took, the differences counted by the fault item whose shape they
// have, and the first N differences (--show, 5 by default), each with the
// command line that replays it: statement or session K of seed S alone is
// --seed S --only K; with --unknown only those of no known shape are shown,
// with --item K only those of item K's shape (101 on: the new classes).
// --print K prints statement K and the session K starts from, and the
// statement as it runs on SQLite, and runs nothing. --sql TEXT checks the
// one statement given and prints what the model made of it, for cutting a
// difference down by hand. --subqueries gives the statements (and the
// sessions' statements) correlated sub-queries in WHERE, HAVING and the
// select list, and the sessions remove the sources they name (see
// StatementGenerator.h and EditSession.h); a difference found so replays
// with it. Defaults: 1,000 statements, 100 sessions, seed 1, no
// sub-queries. The exit code is 1 when anything differed.
#include "EditSession.h"
#include "MeaningDatabase.h"
#include "MeaningRun.h"
#include "StatementCheck.h"
#include "StatementGenerator.h"
#include "StatementText.h"

#include "../BenchCommandLine.h"
#include "builder/model/ErrorReport.h"
#include "sql92/SQL92SyntaxProvider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <optional>

using namespace nvqb::meaning;

namespace {

struct TOptions {
    quint64 Statements = 1000, Sessions = 100, Seed = 1;
    std::optional<quint64> Only, Print;
    QString Sql;
    int Show = 5;
    bool Unknown = false;
    int Item = 0;
    TGeneratorOptions Generator;
};

TOptions ParseOptions(int argc, char **argv)
{
    TOptions options;
    nvqb::bench::TCommandLine line(argc, argv, "nvqb-meaning",
                                   "[--statements N] [--sessions N] [--seed S] [--only K] [--show N] [--unknown] "
                                   "[--item K] [--print K] [--subqueries]\n"
                                   "       nvqb-meaning --sql TEXT\n");
    while (line.Next()) {
        if (line.Is("--unknown"))
            options.Unknown = true;
        else if (line.Is("--subqueries"))
            options.Generator.SubQueries = true;
        else if (line.Is("--sql"))
            options.Sql = QString::fromLocal8Bit(line.Value());
        else if (line.Is("--statements"))
            options.Statements = quint64(line.Number(0));
        else if (line.Is("--sessions"))
            options.Sessions = quint64(line.Number(0));
        else if (line.Is("--seed"))
            options.Seed = quint64(line.Number(0));
        else if (line.Is("--only"))
            options.Only = quint64(line.Number(0));
        else if (line.Is("--show"))
            options.Show = int(line.Number(0, INT_MAX));
        else if (line.Is("--print"))
            options.Print = quint64(line.Number(0));
        else if (line.Is("--item"))
            options.Item = int(line.Number(0, INT_MAX));
        else
            line.Unexpected();
    }
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    const TOptions options = ParseOptions(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (options.Print) {
        nvqb::TnvSQL92SyntaxProvider provider;
        const QString statement =
            GenerateStatement(options.Seed, *options.Print, TStatementShape::Any, options.Generator);
        std::printf("statement %llu: %s\nas SQLite runs it: %s\nsession %llu starts from: %s\n", *options.Print,
                    qPrintable(statement), qPrintable(SQLiteText(&provider, statement)), *options.Print,
                    qPrintable(SessionStart(options.Seed, *options.Print, options.Generator)));
        return 0;
    }
    try {
        TMeaningDatabase database;
        if (!options.Sql.isEmpty()) {
            const TStatementOutcome outcome = CheckStatement(database, options.Sql);
            static const char *const kinds[] = {"not executed", "same", "different"};
            std::printf("%s\n%s", kinds[outcome.Kind], qPrintable(DescribeOutcome(outcome)));
            return outcome.Kind == TStatementOutcome::Different ? 1 : 0;
        }
        TMeaningRun run(database, options.Seed);
        run.Options = options.Generator;
        run.Keep = std::max(options.Show, 1);
        run.KeepUnknownOnly = options.Unknown;
        run.KeepItem = options.Item;
        QElapsedTimer timer;
        timer.start();
        const quint64 first = options.Only.value_or(0);
        run.Statements(first, options.Only ? std::min<quint64>(options.Statements, 1) : options.Statements);
        run.Sessions(first, options.Only ? std::min<quint64>(options.Sessions, 1) : options.Sessions);
        std::printf("%s\n", qPrintable(run.Summary()));
        std::printf("session steps %lld, compared %lld; statements in a checked order %lld; %.1f s\n",
                    run.SessionSteps, run.ComparedSteps, run.OrderChecked, timer.elapsed() / 1000.0);
        if (!run.Items.isEmpty()) {
            std::printf("differences by fault item: %s\n\n", qPrintable(run.ItemSummary()));
            std::printf("%s", qPrintable(run.Report(options.Show)));
        }
        return run.Items.isEmpty() ? 0 : 1;
    } catch (...) {
        std::fprintf(stderr, "nvqb-meaning: %s\n", qPrintable(nvqb::CurrentExceptionMessage()));
    }
    return 2;
}
