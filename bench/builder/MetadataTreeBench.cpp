// nvqb-metadatatree-bench: speed of the control's metadata tree.
//
//   nvqb-metadatatree-bench [--tables N] [--schemas N] [--runs N]
//
// Fills an offline metadata container with N tables (default 10,000) spread
// over S schemas (default 20), given in an order the tree must sort, and
// shows a query builder (offscreen unless QT_QPA_PLATFORM says otherwise).
// Measures, as the median of the runs (default 15):
// - fill: the tree rebuilt from the whole container with the default
//   grouping (database, schema) and sorting (by name), every level expanded
//   and laid out by the view;
// - fill by type: the same grouped by database, schema and type and sorted
//   by schema, type and name;
// - filter: a host's filter hides every object whose name does not contain
//   "7" (the container's visible flags set again) and the tree is rebuilt;
//   the filter is then lifted (not timed);
// - edit: on a second query builder showing a SELECT of 20 tables and 500
//   columns, the output flag of the middle column switched and the SQL read,
//   once with the query-structure tree shown (each change then rebuilds the
//   tree and the result statement behind it) and once with it hidden.
#include "../BenchCommandLine.h"
#include "BenchTiming.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/TreeViewMetadata.h"
#include "builder/controls/TreeViewQueryStructure.h"
#include "builder/model/Query.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataObjects.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>
#include <vector>

using namespace nvqb;

namespace {

using bench::Median;
using bench::Ms;

// Forces the view to lay out the rows it shows, as painting would.
void Settle(TnvTreeViewMetadata *tree)
{
    tree->doItemsLayout();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    int tables = 10000, schemas = 20, runs = 15;
    bench::TCommandLine line(argc, argv, "nvqb-metadatatree-bench", "[--tables N] [--schemas N] [--runs N]");
    while (line.Next()) {
        if (line.Is("--tables"))
            tables = int(line.Number(1, INT_MAX));
        else if (line.Is("--schemas"))
            schemas = int(line.Number(1, INT_MAX));
        else if (line.Is("--runs"))
            runs = int(line.Number(1, INT_MAX));
        else
            line.Unexpected();
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TnvSQL92SyntaxProvider provider;
    auto *qb = new TnvQueryBuilder;
    qb->SetSyntaxProvider(&provider);
    TnvMetadataContainer *container = qb->MetadataContainer();
    container->SetWorkOffline(true);
    container->BeginUpdate();
    // Last names first, so the tree has all the sorting to do.
    for (int t = tables - 1; t >= 0; --t)
        container->AddTable(QStringLiteral("s%1").arg(t % schemas), QStringLiteral("table_%1").arg(t));
    container->EndUpdate();
    qb->resize(900, 700);
    qb->show();
    TnvTreeViewMetadata *tree = qb->TreeViewMetadata();
    TnvMetadataTreeOptions *options = qb->TreeOptionsMetadata();
    Settle(tree);
    if (tree->Nodes()->NodeCount() != tables + schemas + 1) {
        std::fprintf(stderr, "the tree shows %d nodes, not %d\n", tree->Nodes()->NodeCount(), tables + schemas + 1);
        return 1;
    }

    auto time = [&](const std::function<void()> &prepare, const std::function<void()> &work) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            prepare();
            QElapsedTimer timer;
            timer.start();
            work();
            Settle(tree);
            times.push_back(Ms(timer));
        }
        return Median(times);
    };

    const double fill = time([] {}, [&] { tree->ReloadNodes(true); });
    options->BeginUpdate();
    options->SetGroupingType(ogtDatabaseSchemaType);
    options->SetSortingType(ostSchemaTypeName);
    options->EndUpdate();
    const double fillByType = time([] {}, [&] { tree->ReloadNodes(true); });
    options->BeginUpdate();
    options->SetGroupingType(ogtDatabaseSchema);
    options->SetSortingType(ostName);
    options->EndUpdate();

    int shown = 0;
    auto lift = [&] {
        for (qsizetype i = 0; i < container->Count(); ++i)
            container->Items(i)->SetVisible(true);
        tree->ReloadNodes(true);
    };
    const double filter = time(lift, [&] {
        container->BeginUpdate();
        for (qsizetype i = 0; i < container->Count(); ++i) {
            TnvMetadataObject *object = container->Items(i);
            object->SetVisible(object->GetNameStrNotQuoted().contains(QLatin1Char('7')));
        }
        container->EndUpdate();
        tree->ReloadNodes(true);
        shown = tree->Nodes()->NodeCount();
    });

    // A query whose structure tree has many nodes.
    auto *editor = new TnvQueryBuilder;
    editor->SetSyntaxProvider(&provider);
    editor->MetadataContainer()->SetWorkOffline(true);
    QStringList columns;
    QString from = QStringLiteral("t0");
    for (int t = 1; t < 20; ++t)
        from += QStringLiteral(" Inner Join t%1 On t%2.id = t%1.id").arg(t).arg(t - 1);
    for (int c = 0; c < 500; ++c)
        columns.append(QStringLiteral("t%1.c%2").arg(c % 20).arg(c));
    editor->resize(900, 700);
    editor->show();
    editor->SetSyncSQL(QStringLiteral("Select ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" From ") +
                       from);
    QApplication::processEvents();
    auto edit = [&] {
        TnvSelectList *list = editor->Query()->UnionSubQueries(0)->SelectList();
        TnvSelectItem *item = list->Items(list->Count() / 2);
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            item->SetSelect(!item->Select());
            editor->GetSQL();
            times.push_back(Ms(timer));
        }
        return Median(times);
    };
    const double editShown = edit();
    std::vector<double> rebuilds;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        editor->TreeViewQueryStructure()->UpdateQueryStructure();
        rebuilds.push_back(Ms(timer));
    }
    const double rebuild = Median(rebuilds);
    editor->TreeOptions()->SetTreeVisible(false);
    const double editHidden = edit();
    delete editor;

    std::printf("metadata tree of %d tables in %d schemas, median of %d runs:\n", tables, schemas, runs);
    std::printf("  fill (database, schema; by name):            %8.2f ms\n", fill);
    std::printf("  fill (database, schema, type; by schema):    %8.2f ms\n", fillByType);
    std::printf("  filter (names with \"7\", %d nodes shown):   %8.2f ms\n", shown, filter);
    std::printf("one column edit of 20 tables, 500 columns, with the structure tree shown: %8.2f ms\n", editShown);
    std::printf("                                              with the structure tree hidden: %8.2f ms\n",
                editHidden);
    std::printf("  of which the structure tree's rebuild:                                     %8.2f ms\n", rebuild);
    delete qb;
    return 0;
}
