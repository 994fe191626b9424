// nvqb-chain-bench: statements with one long operator chain, as deep a tree
// as the chain is long, through the walks of the syntax tree.
//
//   nvqb-chain-bench [--walks] [--op OP] [terms]
//
// Builds "SELECT a OP a OP ... OP a FROM t" with the given number of terms
// (default 1,000,000; OP one of + * || AND OR, default +; AND and OR chain
// comparisons "a = 1" in WHERE), then parses it and prints it on one line,
// and reports the time of each step and the outcome: "parsed", or "refused"
// with the error's message. With --walks the parsed tree also goes through
// clone, assign, provider change, binding, statistics and the condition
// rewrites, each timed. The tree is freed last, also timed. The process's
// peak resident size is reported at the end.
#include "../BenchCommandLine.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataEntries.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <cstdio>
#include <functional>

using namespace nvqb;

namespace {

// Runs the step and prints its time.
template <class Step> auto Timed(const char *name, Step &&step)
{
    QElapsedTimer timer;
    timer.start();
    struct Report {
        const char *Name;
        QElapsedTimer &Timer;
        ~Report() { std::printf("%-12s %9.3f s\n", Name, double(Timer.nsecsElapsed()) / 1e9); }
    } report{name, timer};
    return step();
}

} // namespace

int main(int argc, char **argv)
{
    bool walks = false;
    QString op = QStringLiteral("+");
    qint64 terms = 1000000;
    bench::TCommandLine line(argc, argv, "nvqb-chain-bench", "[--walks] [--op + | * | || | AND | OR] [TERMS]");
    bool termsGiven = false;
    while (line.Next()) {
        if (line.Is("--walks")) {
            walks = true;
        } else if (line.Is("--op")) {
            op = QString::fromLocal8Bit(line.Value());
        } else if (!termsGiven) {
            terms = line.PositionalNumber("TERMS", 1);
            termsGiven = true;
        } else {
            line.Unexpected();
        }
    }
    const bool logical = op.compare(u"AND", Qt::CaseInsensitive) == 0 || op.compare(u"OR", Qt::CaseInsensitive) == 0;
    if (!logical && op != u"+" && op != u"*" && op != u"||")
        line.Refuse("Unknown operator '" + op.toStdString() + "'.");
    QCoreApplication app(argc, argv);

    const QString term = logical ? QStringLiteral("a = 1") : QStringLiteral("a");
    const QString separator = u' ' + op + u' ';
    QString text = logical ? QStringLiteral("SELECT a FROM t WHERE ") : QStringLiteral("SELECT ");
    text.reserve(text.size() + (term.size() + separator.size()) * terms + 8);
    for (qint64 i = 0; i < terms; ++i) {
        if (i > 0)
            text += separator;
        text += term;
    }
    if (!logical)
        text += QStringLiteral(" FROM t");
    std::printf("statement    %lld terms of \"%s\", %lld characters\n", static_cast<long long>(terms),
                qPrintable(op), static_cast<long long>(text.size()));

    TnvSQL92SyntaxProvider provider;
    TOwned<TSQLSelectStatement> statement;
    try {
        statement = Timed("parse", [&] { return provider.ParseSelect(text); });
    } catch (const EnvSQLError &e) {
        std::printf("outcome      refused: %s\n", qPrintable(e.Message()));
        return 0;
    }
    const QString printed =
        Timed("print", [&] { return statement->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr); });
    std::printf("outcome      parsed, printed %lld characters\n", static_cast<long long>(printed.size()));

    if (walks) {
        SetMetadataEntries(MetadataModelEntries());
        TOwned<TnvMetadataContainer> container = Create<TnvMetadataContainer>(nullptr);
        container->SetSyntaxProvider(&provider);
        container->SetWorkOffline(true);
        TnvMetadataObject *table = container->AddTable(QString(), QStringLiteral("t"));
        table->GetFields()->AddField(QStringLiteral("a"));
        table->GetFields()->SetLoaded(true);

        TOwned<TSQLSelectStatement> copy = Timed("clone", [&] { return statement->Clone(); });
        Timed("assign", [&] {
            auto target = provider.ParseSelect(QStringLiteral("SELECT 1 FROM t"));
            target->Assign(statement.get());
            return 0;
        });
        TnvSQL92SyntaxProvider other;
        Timed("provider", [&] {
            copy->SetSyntaxProvider(&other);
            return 0;
        });
        Timed("bind", [&] {
            TastNodeRefList withItems, fromSources;
            statement->PrepareAndFixupRecursive(withItems, fromSources, container.get());
            return 0;
        });
        Timed("statistics", [&] {
            statement->PrepareCalcStatisticsRecursive();
            return statement->CalcStatisticsRecursive();
        });
        if (TSQLSubQuerySelectExpression *block = statement->FirstSelectBlock(); block && block->WhereClause)
            Timed("rewrites", [&] {
                block->WhereClause.reset(
                    SimplifyLogicalExpression(TransformExpression(block->WhereClause.release())));
                return 0;
            });
        Timed("free copy", [&] {
            copy.reset();
            return 0;
        });
        Timed("free", [&] {
            statement.reset();
            return 0;
        });
        container.reset();
        SetMetadataEntries(nullptr);
    } else {
        Timed("free", [&] {
            statement.reset();
            return 0;
        });
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS     %.0f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
