// nvqb-querybuilder-bench: speed of SQL assigned to a query builder and of
// one edit of the loaded query.
//
//   nvqb-querybuilder-bench [--tables N] [--columns N] [--conditions N] [--runs N]
//
// Builds a SELECT of N tables (default 100) joined in a chain by N - 1 links
// (t0 Inner Join t1 On t0.id = t1.p_id ...), N output columns (default 200,
// spread over the tables) and a WHERE of N conditions joined by And (default
// 50). Measures, as the median of the runs (default 15), on a query builder
// that is never shown:
// - load: the text assigned with SetSyncSQL: parsed, simplified, bound to the
//   metadata, loaded into the model and taken through the after-update step
//   (SQLUpdated), starting from an empty query;
// - print: the model's SQL read after the load;
// - toggle: the output flag of one column in the middle switched and the
//   model's SQL read again.
// Without arguments it runs 100 tables and then 1,000 tables with the same
// columns and conditions, and 1,000 tables with ten times of each, and
// prints the ratio of the 1,000-table load to the 100-table load.
// The metadata container holds t0 .. tN-1 (id, p_id, v), offline.
#include "BenchTiming.h"
#include "ChainQuery.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/SQLTextBuilder.h"
#include "builder/model/UnionSubQuery.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace nvqb;

namespace {

using bench::Median;
using bench::Ms;

struct TFigures {
    double Load = 0, Print = 0, Toggle = 0;
    bool Same = false;
};

bool WithSQLText = true;

TFigures Measure(int tables, int columns, int conditions, int runs)
{
    TnvSQL92SyntaxProvider provider;
    TOwned<TnvQueryBuilderModel> model = Create<TnvQueryBuilderModel>();
    model->SetSyntaxProvider(&provider);
    TnvMetadataContainer *container = model->MetadataContainer();
    container->SetWorkOffline(true);
    for (int t = 0; t < tables; ++t)
        bench::AddChainTable(container, QStringLiteral("t%1").arg(t));
    // A linked SQL-text component makes every change run the whole road out:
    // result statement bound and counted, statistics, parameters, component.
    TOwned<TnvSQLBuilderPlainText> text = Create<TnvSQLBuilderPlainText>(nullptr);
    if (WithSQLText)
        text->SetQueryBuilder(model.get());

    const QString sql = bench::ChainStatementSQL(tables, columns, conditions);
    std::vector<double> load, print, toggle;
    QString printed;
    for (int run = 0; run < runs; ++run) {
        model->Clear();
        QElapsedTimer timer;
        timer.start();
        model->SetSyncSQL(sql);
        load.push_back(Ms(timer));

        timer.restart();
        printed = model->GetSQL();
        print.push_back(Ms(timer));

        TnvSelectList *list = model->Query()->UnionSubQueries(0)->SelectList();
        TnvSelectItem *item = list->Items(list->Count() / 2);
        timer.restart();
        item->SetSelect(!item->Select());
        const QString toggled = model->GetSQL();
        toggle.push_back(Ms(timer));
        if (toggled == printed)
            std::fputs("the toggled column did not change the SQL\n", stderr);
    }
    TFigures figures;
    figures.Load = Median(load);
    figures.Print = Median(print);
    figures.Toggle = Median(toggle);
    // The text must come back as it went in (keyword case aside).
    figures.Same = printed.compare(sql, Qt::CaseInsensitive) == 0;
    std::printf("%d tables, %d links, %d columns, %d conditions (%lld characters), median of %d runs:\n"
                "  load %.2f ms, print %.2f ms, toggle + print %.2f ms; printed text %s the input\n",
                tables, tables - 1, columns, conditions, static_cast<long long>(sql.size()), runs, figures.Load,
                figures.Print, figures.Toggle, figures.Same ? "equals" : "DIFFERS FROM");
    std::fflush(stdout);
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int tables = 0, columns = 200, conditions = 50, runs = 15;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        const int value = args[i + 1].toInt();
        if (args[i] == u"--tables")
            tables = value;
        else if (args[i] == u"--columns")
            columns = value;
        else if (args[i] == u"--conditions")
            conditions = value;
        else if (args[i] == u"--runs")
            runs = value;
        else if (args[i] == u"--sql-text")
            WithSQLText = value != 0;
    }
    if (args.size() % 2 || tables < 0 || columns < 1 || conditions < 0 || runs < 1) {
        std::fputs("usage: nvqb-querybuilder-bench [--tables N] [--columns N] [--conditions N] [--runs N] [--sql-text 0|1]\n",
                   stderr);
        return 2;
    }
    if (tables > 0)
        return Measure(tables, columns, conditions, runs).Same ? 0 : 1;

    const TFigures small = Measure(100, columns, conditions, runs);
    const TFigures large = Measure(1000, columns, conditions, std::max(3, runs / 3));
    const TFigures scaled = Measure(1000, columns * 10, conditions * 10, std::max(3, runs / 3));
    std::printf("1,000-table load / 100-table load: %.1f (same columns), %.1f (ten times the columns and "
                "conditions)\n",
                large.Load / small.Load, scaled.Load / small.Load);
    return small.Same && large.Same && scaled.Same ? 0 : 1;
}
