// nvqb-roundtrip: parses SELECT statements, one per line, with the SQL-92
// provider and prints them back, for benchmarks and for checking the parser.
//
//   nvqb-roundtrip [--full | --tree | --check | --time | --pools | --repeat N] [file]
//   nvqb-roundtrip --model [--metadata FILE] [--full | --check] [file]
//
// Without an option every statement gives one line: the text printed on one
// line under default options, or ERROR<TAB>line<TAB>pos<TAB>token text when
// it does not parse. --tree prints the classes of the tree's nodes instead,
// each followed by its children in brackets, so that two parser builds can
// be compared on the trees they build, not only on the texts. --full prints with the default formatting builder, each
// text followed by an empty line. --check prints only
// "parsed N failed N stable N", where stable counts the statements whose
// printed text parses again and prints identically. --time runs the whole
// input over and over for at least two seconds and prints
// "N stmts/s X MB/s" for parse + print. --pools prints the way-point pool
// sizes after one run and after ten more, which stay equal when parsing
// allocates no way point in steady state. --repeat N parses + prints the
// whole input N times in a row and prints the time of each run in
// milliseconds, then "first X ms last Y ms ratio R" (a run that slows down
// from one to the next shows here); --repeat 1 is one run, for measuring the
// peak memory of a single parse from outside.
//
// --model assigns each statement to the SQL of a query builder that is never
// shown (parsed, simplified and bound against the metadata container read
// from the XML file given with --metadata), lets it handle its posted load
// event and reads its SQL back; a statement the model fails on gives
// MODEL-ERROR<TAB>message. With --check it prints "loaded N failed N stable
// N", where stable counts the statements whose model text, loaded into a
// fresh model, prints identically.
#include "../BenchCommandLine.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/Query.h"
#include "classlib/Exceptions.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

using namespace nvqb;

namespace {

enum class TMode { Print, Full, Tree, Check, Time, Pools, Repeat };

struct TStatement {
    QString Text;
    qsizetype Bytes = 0;
};

std::optional<QString> PrintWith(const TnvSQL92SyntaxProvider &provider, TSQLBuilder &builder, const QString &text,
                                 QString *error)
{
    try {
        TOwned<TSQLSelectStatement> statement = provider.ParseSelect(text);
        builder.BeginBuild();
        statement->BuildSQL(&builder, builder.MainQueryFormat());
        builder.EndBuild();
        return builder.ResultSQL();
    } catch (const EnvSQLError &e) {
        if (error)
            *error = QStringLiteral("ERROR\t%1\t%2\t%3").arg(e.TokenLine()).arg(e.TokenColumn()).arg(e.TokenText());
        return std::nullopt;
    }
}

// The statement assigned to the query builder's SQL, loaded by its posted
// event and read back (with Full, printed by the default formatting builder);
// Error gets the reason when there is none.
std::optional<QString> PrintThroughModel(TnvQueryBuilder &model, TSQLBuilder *full, const QString &text,
                                         QString *error)
{
    QString loadError;
    try {
        model.SetSQL(text);
        // The load runs inside the event, which shows what it raises instead
        // of passing it on: catch that message here.
        TnvErrorHandler previous = SetErrorHandler([&](const QString &message) { loadError = message; });
        QCoreApplication::sendPostedEvents(model.SQLLoadReceiver());
        SetErrorHandler(previous);
        if (!loadError.isEmpty())
            throw Exception(loadError);
        if (!full)
            return model.SQL();
        TOwned<TastNodeBase> tree = model.Query()->GetResultAST();
        full->BeginBuild();
        static_cast<TastNode *>(tree.get())->BuildSQL(full, full->MainQueryFormat());
        full->EndBuild();
        return full->ResultSQL();
    } catch (const EnvSQLError &e) {
        if (error)
            *error = QStringLiteral("ERROR\t%1\t%2\t%3").arg(e.TokenLine()).arg(e.TokenColumn()).arg(e.TokenText());
    } catch (const Exception &e) {
        if (error)
            *error = QStringLiteral("MODEL-ERROR\t") + e.Message();
    }
    return std::nullopt;
}

std::unique_ptr<TnvQueryBuilder> NewModel(TnvSQL92SyntaxProvider &provider, const QString &metadata)
{
    auto model = std::make_unique<TnvQueryBuilder>();
    model->SetSyntaxProvider(&provider);
    if (!metadata.isEmpty()) {
        model->SetWorkOffline(true);
        model->MetadataContainer()->LoadFromXML(metadata);
    }
    return model;
}

// The node's class, then its children's trees in brackets.
void TreeOf(const TastNodeBase *node, QString &out)
{
    out += node->ClassName();
    TastNodesList children;
    node->GetMyChildren(children);
    if (children.isEmpty())
        return;
    out += u'(';
    for (qsizetype i = 0; i < children.size(); ++i) {
        if (i)
            out += u' ';
        TreeOf(children[i], out);
    }
    out += u')';
}

void Write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

} // namespace

int main(int argc, char **argv)
{
    TMode mode = TMode::Print;
    QString path;
    bool model = false;
    QString metadataPath;
    int repeat = 0;
    nvqb::bench::TCommandLine line(argc, argv, "nvqb-roundtrip",
                                   "[--full | --tree | --check | --time | --pools | --repeat N] [FILE]\n"
                                   "       nvqb-roundtrip --model [--metadata FILE] [--full | --check] [FILE]\n");
    while (line.Next()) {
        if (line.Is("--model")) {
            model = true;
        } else if (line.Is("--metadata")) {
            metadataPath = QString::fromLocal8Bit(line.Value());
        } else if (line.Is("--repeat")) {
            repeat = int(line.Number(1, INT_MAX));
            mode = TMode::Repeat;
        } else if (line.Is("--tree")) {
            mode = TMode::Tree;
        } else if (line.Is("--full")) {
            mode = TMode::Full;
        } else if (line.Is("--check")) {
            mode = TMode::Check;
        } else if (line.Is("--time")) {
            mode = TMode::Time;
        } else if (line.Is("--pools")) {
            mode = TMode::Pools;
        } else if (path.isEmpty()) {
            path = QString::fromLocal8Bit(line.Positional());
        } else {
            line.Unexpected();
        }
    }
    if (!metadataPath.isEmpty() && !model)
        line.Refuse("--metadata is read with --model only.");
    if (model && (mode == TMode::Time || mode == TMode::Pools || mode == TMode::Repeat || mode == TMode::Tree))
        line.Refuse("--model prints or checks; it does not time, count pools, repeat or show trees.");

    // The model mode goes through a widget, which needs a GUI application; it
    // is never shown, so no display is needed.
    if (model && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application =
        model ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);

    QFile file;
    if (path.isEmpty() || path == u"-") {
        if (!file.open(stdin, QIODevice::ReadOnly))
            return 1;
    } else {
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "nvqb-roundtrip: cannot open %s\n", qPrintable(path));
            return 1;
        }
    }
    // One statement per line; blank lines hold none.
    std::vector<TStatement> statements;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        statements.push_back({QString::fromUtf8(line), line.size()});
    }

    TnvSQL92SyntaxProvider provider;
    TSQLBuilderFast fast;
    TSQLBuilder full;

    if (model) {
        QString metadata;
        if (!metadataPath.isEmpty()) {
            QFile xml(metadataPath);
            if (!xml.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "nvqb-roundtrip: cannot open %s\n", qPrintable(metadataPath));
                return 1;
            }
            metadata = QString::fromUtf8(xml.readAll());
        }
        std::unique_ptr<TnvQueryBuilder> first;
        try {
            first = NewModel(provider, metadata);
        } catch (const Exception &e) {
            std::fprintf(stderr, "nvqb-roundtrip: %s\n", qPrintable(e.Message()));
            return 1;
        }
        if (mode == TMode::Check) {
            qsizetype loaded = 0, failed = 0, stable = 0;
            for (const TStatement &s : statements) {
                std::optional<QString> text = PrintThroughModel(*first, nullptr, s.Text, nullptr);
                if (!text) {
                    ++failed;
                    continue;
                }
                ++loaded;
                std::unique_ptr<TnvQueryBuilder> fresh = NewModel(provider, metadata);
                std::optional<QString> again = PrintThroughModel(*fresh, nullptr, *text, nullptr);
                if (again && *again == *text)
                    ++stable;
            }
            Write(QStringLiteral("loaded %1 failed %2 stable %3\n").arg(loaded).arg(failed).arg(stable));
        } else {
            for (const TStatement &s : statements) {
                QString error;
                std::optional<QString> text =
                    PrintThroughModel(*first, mode == TMode::Full ? &full : nullptr, s.Text, &error);
                if (!text)
                    Write(error + u'\n');
                else if (mode == TMode::Full)
                    Write(QString(*text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) + QStringLiteral("\n\n"));
                else
                    Write(*text + u'\n');
            }
        }
        return 0;
    }

    switch (mode) {
    case TMode::Tree:
        for (const TStatement &s : statements) {
            try {
                TOwned<TSQLSelectStatement> statement = provider.ParseSelect(s.Text);
                QString tree;
                TreeOf(statement.get(), tree);
                Write(tree + u'\n');
            } catch (const EnvSQLError &e) {
                Write(QStringLiteral("ERROR\t%1\t%2\t%3\n").arg(e.TokenLine()).arg(e.TokenColumn()).arg(e.TokenText()));
            }
        }
        break;
    case TMode::Print:
    case TMode::Full:
        for (const TStatement &s : statements) {
            QString error;
            std::optional<QString> text = PrintWith(provider, mode == TMode::Full ? full : fast, s.Text, &error);
            if (!text)
                Write(error + u'\n');
            else if (mode == TMode::Full)
                Write(QString(*text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) + QStringLiteral("\n\n"));
            else
                Write(*text + u'\n');
        }
        break;
    case TMode::Check: {
        qsizetype parsed = 0, failed = 0, stable = 0;
        for (const TStatement &s : statements) {
            std::optional<QString> first = PrintWith(provider, fast, s.Text, nullptr);
            if (!first) {
                ++failed;
                continue;
            }
            ++parsed;
            std::optional<QString> second = PrintWith(provider, fast, *first, nullptr);
            if (second && *second == *first)
                ++stable;
        }
        Write(QStringLiteral("parsed %1 failed %2 stable %3\n").arg(parsed).arg(failed).arg(stable));
        break;
    }
    case TMode::Time: {
        qsizetype bytes = 0;
        for (const TStatement &s : statements)
            bytes += s.Bytes;
        if (statements.empty()) {
            std::fputs("nvqb-roundtrip: no statements to time\n", stderr);
            return 2;
        }
        QElapsedTimer timer;
        timer.start();
        qint64 rounds = 0;
        do {
            for (const TStatement &s : statements)
                PrintWith(provider, fast, s.Text, nullptr);
            ++rounds;
        } while (timer.nsecsElapsed() < 2'000'000'000LL);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        const double perSecond = double(rounds) * double(statements.size()) / seconds;
        const double megabytes = double(rounds) * double(bytes) / 1e6 / seconds;
        // Slow statements keep their fraction: a few per second or less.
        Write(QStringLiteral("%1 stmts/s %2 MB/s\n")
                  .arg(perSecond, 0, 'f', perSecond < 1000 ? 3 : 0)
                  .arg(megabytes, 0, 'f', megabytes < 1 ? 6 : 2));
        break;
    }
    case TMode::Pools: {
        auto run = [&] {
            for (const TStatement &s : statements)
                PrintWith(provider, fast, s.Text, nullptr);
        };
        run();
        const qsizetype points = WayPointCache().TotalCount(), lists = WayPointListCache().TotalCount();
        for (int i = 0; i < 10; ++i)
            run();
        Write(QStringLiteral("way points %1 -> %2, lists %3 -> %4, free %5/%6\n")
                  .arg(points)
                  .arg(WayPointCache().TotalCount())
                  .arg(lists)
                  .arg(WayPointListCache().TotalCount())
                  .arg(WayPointCache().FreeCount())
                  .arg(WayPointCache().TotalCount()));
        break;
    }
    case TMode::Repeat: {
        QElapsedTimer timer;
        double first = 0, last = 0;
        for (int i = 0; i < repeat; ++i) {
            timer.start();
            for (const TStatement &s : statements)
                PrintWith(provider, fast, s.Text, nullptr);
            last = double(timer.nsecsElapsed()) / 1e6;
            if (i == 0)
                first = last;
            Write(QStringLiteral("%1%2").arg(i ? u" " : u"").arg(last, 0, 'f', 1));
        }
        Write(QStringLiteral("\nfirst %1 ms last %2 ms ratio %3\n")
                  .arg(first, 0, 'f', 1)
                  .arg(last, 0, 'f', 1)
                  .arg(last / first, 0, 'f', 2));
        break;
    }
    }
    return 0;
}
