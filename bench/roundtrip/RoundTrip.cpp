// nvqb-roundtrip: parses SELECT statements, one per line, with the SQL-92
// provider and prints them back, for benchmarks and for checking the parser.
//
//   nvqb-roundtrip [--full | --check | --time | --pools] [file]
//   nvqb-roundtrip --model [--metadata FILE] [--full | --check] [file]
//
// Without an option every statement gives one line: the text printed on one
// line under default options, or ERROR<TAB>line<TAB>pos<TAB>token text when
// it does not parse. --full prints with the default formatting builder, each
// text followed by an empty line. --check prints only
// "parsed N failed N stable N", where stable counts the statements whose
// printed text parses again and prints identically. --time runs the whole
// input over and over for at least two seconds and prints
// "N stmts/s X MB/s" for parse + print. --pools prints the way-point pool
// sizes after one run and after ten more, which stay equal when parsing
// allocates no way point in steady state.
//
// --model loads each parsed statement into the query model of a query
// builder (simplified and bound as the builder binds new SQL, against the
// metadata container read from the XML file given with --metadata) and prints
// it back from the model; a statement the model fails on gives
// MODEL-ERROR<TAB>message. With --check it prints "loaded N failed N stable
// N", where stable counts the statements whose model text, loaded into a
// fresh model, prints identically.
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
#include "classlib/Exceptions.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <optional>

using namespace nvqb;

namespace {

enum class TMode { Print, Full, Check, Time, Pools };

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

// The statement loaded into the model and printed back (with Full, by the
// default formatting builder); Error gets the reason when there is none.
std::optional<QString> PrintThroughModel(TnvQueryBuilderModel &model, TnvSQL92SyntaxProvider &provider,
                                         TSQLBuilder *full, const QString &text, QString *error)
{
    try {
        TOwned<TSQLSelectStatement> statement = provider.ParseSelect(text);
        model.PrepareStatement(statement.get());
        model.LoadStatement(std::move(statement));
        if (!full)
            return model.GetSQL();
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

TOwned<TnvQueryBuilderModel> NewModel(TnvSQL92SyntaxProvider &provider, const QString &metadata)
{
    TOwned<TnvQueryBuilderModel> model = Create<TnvQueryBuilderModel>();
    model->SetSyntaxProvider(&provider);
    if (!metadata.isEmpty()) {
        model->MetadataContainer()->SetWorkOffline(true);
        model->MetadataContainer()->LoadFromXML(metadata);
    }
    return model;
}

void Write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int Usage()
{
    std::fputs("usage: nvqb-roundtrip [--full | --check | --time | --pools] [file]\n"
               "       nvqb-roundtrip --model [--metadata FILE] [--full | --check] [file]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TMode mode = TMode::Print;
    QString path;
    bool model = false;
    QString metadataPath;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--model")
            model = true;
        else if (arg == u"--metadata" && i + 1 < args.size())
            metadataPath = args[++i];
        else if (arg == u"--full")
            mode = TMode::Full;
        else if (arg == u"--check")
            mode = TMode::Check;
        else if (arg == u"--time")
            mode = TMode::Time;
        else if (arg == u"--pools")
            mode = TMode::Pools;
        else if (arg.startsWith(u'-') && arg != u"-")
            return Usage();
        else if (path.isEmpty())
            path = arg;
        else
            return Usage();
    }

    if ((!metadataPath.isEmpty() && !model) || (model && (mode == TMode::Time || mode == TMode::Pools)))
        return Usage();

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
        TOwned<TnvQueryBuilderModel> first;
        try {
            first = NewModel(provider, metadata);
        } catch (const Exception &e) {
            std::fprintf(stderr, "nvqb-roundtrip: %s\n", qPrintable(e.Message()));
            return 1;
        }
        if (mode == TMode::Check) {
            qsizetype loaded = 0, failed = 0, stable = 0;
            for (const TStatement &s : statements) {
                std::optional<QString> text = PrintThroughModel(*first, provider, nullptr, s.Text, nullptr);
                if (!text) {
                    ++failed;
                    continue;
                }
                ++loaded;
                TOwned<TnvQueryBuilderModel> fresh = NewModel(provider, metadata);
                std::optional<QString> again = PrintThroughModel(*fresh, provider, nullptr, *text, nullptr);
                if (again && *again == *text)
                    ++stable;
            }
            Write(QStringLiteral("loaded %1 failed %2 stable %3\n").arg(loaded).arg(failed).arg(stable));
        } else {
            for (const TStatement &s : statements) {
                QString error;
                std::optional<QString> text =
                    PrintThroughModel(*first, provider, mode == TMode::Full ? &full : nullptr, s.Text, &error);
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
        if (statements.empty())
            return Usage();
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
        Write(QStringLiteral("%1 stmts/s %2 MB/s\n").arg(qint64(perSecond)).arg(megabytes, 0, 'f', 2));
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
    }
    return 0;
}
