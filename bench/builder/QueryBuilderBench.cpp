// nvqb-querybuilder-bench: speed of SQL assigned to a query builder and of
// the edits a user makes on the loaded query.
//
//   nvqb-querybuilder-bench [--sizes N,N,...] [--shown-sizes N,N,...] [--runs N]
//   nvqb-querybuilder-bench --tables N [--columns N] [--conditions N] [--runs N] [--sql-text 0|1]
//
// Without --tables, for each size N (default 10, 100, 300, 1,000) the
// statement of JoinShapes.h (N tables joined as a random tree, one to three
// output columns each, a condition on every fifth table), median of the runs
// (default 7, 3 from 1,000 tables on):
// - headless: on a query builder model that is never shown, with a linked
//   SQL-text component: the load (SetSyncSQL from an empty query: parse,
//   bind, load, after-update step), the print (GetSQL) and one column's
//   output flag switched and the SQL read again;
// - shown (sizes of --shown-sizes, default 10, 100, 300): the full control
//   (1200 x 900, offscreen) with a linked SQL-text component, the
//   statement's diagram painted; then, each timed until the component's SQL
//   is read back and until the repaint the edit asked for is done:
//   - cell edit: a click on the "Criteria" cell of the middle row of the
//     grid, a new condition typed, Enter;
//   - check box: a click on the check box of the "p_id" row of the first box
//     (the column goes in and out of the select list);
//   - join kind: the join of the middle table switched between inner and
//     left outer, as the link dialog does it.
// The growth exponent of each figure over the sizes from 100 on is printed
// at the end.
//
// With --tables the older run: N tables joined in a chain by N - 1 links
// (t0 Inner Join t1 On t0.id = t1.p_id ...), N output columns (default 200,
// spread over the tables) and a WHERE of N conditions joined by And (default
// 50), median of the runs (default 15), load, print, toggle + print on a
// model that is never shown.
// The metadata container holds t0 .. tN-1 (id, p_id, v), offline.
#include "../BenchCommandLine.h"
#include "BenchTiming.h"
#include "ChainQuery.h"
#include "JoinShapes.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/DatasourceFieldsList.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/SelectListControl.h"
#include "builder/controls/SelectListInplaceEdit.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/SQLTextBuilder.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"

#include "sqlmodel/sql/SQLJoins.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
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

// A model that is never shown over the tables t0 .. tN-1, with a linked
// SQL-text component unless WithText is false.
struct TModel {
    TnvSQL92SyntaxProvider Provider;
    TOwned<TnvQueryBuilderModel> Model = Create<TnvQueryBuilderModel>();
    TOwned<TnvSQLBuilderPlainText> Text = Create<TnvSQLBuilderPlainText>(nullptr);

    TModel(int tables, bool withText)
    {
        Model->SetSyntaxProvider(&Provider);
        TnvMetadataContainer *container = Model->MetadataContainer();
        container->SetWorkOffline(true);
        for (int t = 0; t < tables; ++t)
            bench::AddChainTable(container, QStringLiteral("t%1").arg(t));
        // A linked SQL-text component makes every change run the whole road
        // out: result statement bound and counted, statistics, parameters,
        // component.
        if (withText)
            Text->SetQueryBuilder(Model.get());
    }
};

// Each run: the SQL assigned from an empty query, printed, and one column's
// output flag switched and the SQL read again. Medians; the last printed text.
TFigures LoadPrintToggle(TnvQueryBuilderModel *model, const QString &sql, int runs, QString &printed)
{
    std::vector<double> load, print, toggle;
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
    return figures;
}

TFigures Measure(int tables, int columns, int conditions, int runs)
{
    TModel model(tables, WithSQLText);
    const QString sql = bench::ChainStatementSQL(tables, columns, conditions);
    QString printed;
    TFigures figures = LoadPrintToggle(model.Model.get(), sql, runs, printed);
    // The text must come back as it went in (keyword case aside).
    figures.Same = printed.compare(sql, Qt::CaseInsensitive) == 0;
    std::printf("%d tables, %d links, %d columns, %d conditions (%lld characters), median of %d runs:\n"
                "  load %.2f ms, print %.2f ms, toggle + print %.2f ms; printed text %s the input\n",
                tables, tables - 1, columns, conditions, static_cast<long long>(sql.size()), runs, figures.Load,
                figures.Print, figures.Toggle, figures.Same ? "equals" : "DIFFERS FROM");
    std::fflush(stdout);
    return figures;
}

// --- Shaped statements ------------------------------------------------------

int RoundsFor(int runs, int tables) { return runs > 0 ? runs : (tables >= 1000 ? 3 : 7); }

TFigures MeasureHeadless(int tables, int runs)
{
    TModel model(tables, true);
    QString printed;
    return LoadPrintToggle(model.Model.get(), bench::JoinShapeSQL(bench::TJoinShape::Tree, tables), runs, printed);
}

void Process()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Milliseconds to the SQL read back and to the repaint done.
struct TEdit {
    double SQL = 0, Painted = 0;
};

struct TShown {
    double Load = 0;
    TEdit Cell, Check, JoinKind;
};

TEdit MedianOf(const std::vector<TEdit> &edits)
{
    std::vector<double> sql, painted;
    for (const TEdit &edit : edits) {
        sql.push_back(edit.SQL);
        painted.push_back(edit.Painted);
    }
    return {Median(sql), Median(painted)};
}

// Runs the edit, reads the SQL of the text component, then lets the control
// repaint; checks that the SQL changed.
template <class F> bool TimeEdit(TnvSQLBuilderPlainText *text, F edit, std::vector<TEdit> &times)
{
    const QString before = text->SQL();
    QElapsedTimer timer;
    timer.start();
    edit();
    const QString after = text->SQL();
    TEdit figures;
    figures.SQL = Ms(timer);
    QApplication::processEvents();
    figures.Painted = Ms(timer);
    times.push_back(figures);
    return after != before;
}

bool MeasureShown(TnvBaseSyntaxProvider *provider, int tables, int runs, TShown &result)
{
    auto qb = std::make_unique<TnvQueryBuilder>();
    qb->SetSyntaxProvider(provider);
    qb->MetadataContainer()->SetWorkOffline(true);
    for (int t = 0; t < tables; ++t)
        bench::AddChainTable(qb->MetadataContainer(), QStringLiteral("t%1").arg(t));
    // The SQL text beside the control, as an application shows it: every
    // change runs the whole road out to the text.
    TOwned<TnvSQLBuilderPlainText> text = Create<TnvSQLBuilderPlainText>(nullptr);
    text->SetQueryBuilder(qb.get());
    qb->resize(1200, 900);
    qb->show();
    if (!QTest::qWaitForWindowExposed(qb.get())) {
        std::fputs("the control was not shown\n", stderr);
        return false;
    }
    Process();
    QElapsedTimer timer;
    timer.start();
    qb->SetSyncSQL(bench::JoinShapeSQL(bench::TJoinShape::Tree, tables));
    Process();
    (void)qb->grab();
    result.Load = Ms(timer);

    TnvUnionSubQuery *part = qb->CurrentSubquery()->CurrentUnionSubQuery();
    TnvSelectList *list = part->SelectList();
    auto *grid = dynamic_cast<TnvQueryBuilderSelectListControl *>(list->GetControls(0));
    QList<TnvDatasource *> datasources;
    part->FromGroup()->GetDatasources(datasources);
    auto *box = datasources.isEmpty()
                    ? nullptr
                    : dynamic_cast<TnvQueryBuilderDataSourceControl *>(datasources.first()->GetDSControl());
    if (!grid || !box) {
        std::fputs("the grid or the first box was not made\n", stderr);
        return false;
    }
    const int row = int(list->Count() / 2);
    const QModelIndex cell = grid->model()->index(row, TnvSelectListGridModel::colCriteria);
    grid->scrollTo(cell);
    Process();
    // The first click puts the grid's editor on the cell; the timed ones
    // then land in it.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    Process();
    std::vector<TEdit> cells, checks, kinds;
    bool changed = true;
    for (int run = 0; run < runs; ++run)
        changed &= TimeEdit(
            text.get(),
            [&] {
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
                QTest::keyClick(grid->InplaceEditor(), Qt::Key_A, Qt::ControlModifier);
                // A value no condition of the statement has.
                QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("> %1").arg(100000 + run));
                QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
            },
            cells);

    // The "p_id" row of the first box ("*" is row 0).
    TnvQueryBuilderDatasourceFieldsList *fields = box->FieldsList();
    const QRect rowRect = fields->visualItemRect(fields->item(3));
    const QPoint check(rowRect.x() + fields->GetCheckWidth() / 2, rowRect.center().y());
    for (int run = 0; run < runs; ++run)
        changed &= TimeEdit(
            text.get(), [&] { QTest::mouseClick(fields->viewport(), Qt::LeftButton, {}, check); }, checks);

    // The link of the middle table to the table it joins, wherever the join
    // tree puts it (a left join may nest it in a group of its own).
    const QString middle = QStringLiteral("t%1").arg(tables / 2);
    std::function<TnvLink *(TnvDatasourceGroup *)> middleLink = [&](TnvDatasourceGroup *group) -> TnvLink * {
        for (qsizetype i = 0; i < group->GetLinksCount(); ++i) {
            TnvLink *link = group->GetLink(i);
            if ((link->LeftDatasource() && link->LeftDatasource()->GetDataSourceName() == middle) ||
                (link->RightDatasource() && link->RightDatasource()->GetDataSourceName() == middle))
                return link;
        }
        for (qsizetype i = 0; i < group->GetCount(); ++i)
            if (auto *nested = As<TnvDatasourceGroup>(group->GetItems(i)))
                if (TnvLink *link = middleLink(nested))
                    return link;
        return nullptr;
    };
    for (int run = 0; run < runs; ++run) {
        TnvLink *link = middleLink(part->FromGroup());
        if (!link) {
            std::fputs("no link to change\n", stderr);
            return false;
        }
        changed &= TimeEdit(
            text.get(),
            [&] {
                auto bracket = UpdateBracket(link);
                link->SetJoinKindClass(run % 2 ? TSQLJoinKindInner::StaticClassType()
                                               : TSQLJoinKindLeft::StaticClassType());
                if (TnvDatasourceBase *owner = link->OwnerDatasource())
                    owner->NotifySQLUpdated();
            },
            kinds);
    }
    result.Cell = MedianOf(cells);
    result.Check = MedianOf(checks);
    result.JoinKind = MedianOf(kinds);
    if (!changed)
        std::fputs("an edit did not change the SQL\n", stderr);
    return changed;
}

int RunShaped(const QList<int> &sizes, const QList<int> &shownSizes, int runs)
{
    std::printf("headless model, %s joins (median of %s)\n", bench::JoinShapeName(bench::TJoinShape::Tree),
                runs > 0 ? qPrintable(QStringLiteral("%1 runs").arg(runs)) : "7 runs, 3 from 1,000 tables on");
    std::printf("%7s %10s %10s %17s\n", "tables", "load ms", "print ms", "toggle+print ms");
    QList<double> loads, toggles;
    for (int tables : sizes) {
        const TFigures figures = MeasureHeadless(tables, RoundsFor(runs, tables));
        std::printf("%7d %10.2f %10.2f %17.2f\n", tables, figures.Load, figures.Print, figures.Toggle);
        std::fflush(stdout);
        loads.append(figures.Load);
        toggles.append(figures.Toggle);
    }
    std::printf("shown control: ms to the SQL read back / to the repaint done\n");
    std::printf("%7s %14s %18s %18s %18s\n", "tables", "load+paint ms", "cell edit", "check box", "join kind");
    TnvSQL92SyntaxProvider provider(nullptr);
    std::map<const char *, QList<double>> shown;
    bool ok = true;
    for (int tables : shownSizes) {
        TShown figures;
        if (!MeasureShown(&provider, tables, RoundsFor(runs, tables), figures))
            ok = false;
        std::printf("%7d %14.1f %8.2f / %7.2f %8.2f / %7.2f %8.2f / %7.2f\n", tables, figures.Load, figures.Cell.SQL,
                    figures.Cell.Painted, figures.Check.SQL, figures.Check.Painted, figures.JoinKind.SQL,
                    figures.JoinKind.Painted);
        std::fflush(stdout);
        shown["load+paint"].append(figures.Load);
        shown["cell edit -> SQL"].append(figures.Cell.SQL);
        shown["cell edit -> painted"].append(figures.Cell.Painted);
        shown["check box -> SQL"].append(figures.Check.SQL);
        shown["join kind -> SQL"].append(figures.JoinKind.SQL);
    }
    auto exponent = [](const QList<int> &all, const QList<double> &times) {
        QList<int> from100;
        QList<double> tail;
        for (qsizetype i = 0; i < all.size() && i < times.size(); ++i)
            if (all[i] >= 100) {
                from100.append(all[i]);
                tail.append(times[i]);
            }
        return bench::GrowthExponent(from100, tail);
    };
    std::printf("growth exponent (time ~ tables^b, sizes from 100 on):\n");
    std::printf("  headless load %.2f, headless toggle+print %.2f\n", exponent(sizes, loads), exponent(sizes, toggles));
    for (const auto &[name, times] : shown)
        std::printf("  shown %s %.2f\n", name, exponent(shownSizes, times));
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    int tables = 0, columns = 200, conditions = 50, runs = 0;
    QList<int> sizes{10, 100, 300, 1000}, shownSizes{10, 100, 300};
    bench::TCommandLine line(argc, argv, "nvqb-querybuilder-bench",
                             "[--sizes N,N,...] [--shown-sizes N,N,...] [--runs N]\n"
                             "       nvqb-querybuilder-bench --tables N [--columns N] [--conditions N] [--runs N] "
                             "[--sql-text 0|1]\n");
    while (line.Next()) {
        if (line.Is("--sizes"))
            sizes = line.Numbers<QList<int>>(1);
        else if (line.Is("--shown-sizes"))
            shownSizes = line.Numbers<QList<int>>(1);
        else if (line.Is("--tables"))
            tables = int(line.Number(0, INT_MAX));
        else if (line.Is("--columns"))
            columns = int(line.Number(1, INT_MAX));
        else if (line.Is("--conditions"))
            conditions = int(line.Number(0, INT_MAX));
        else if (line.Is("--runs"))
            runs = int(line.Number(0, INT_MAX));
        else if (line.Is("--sql-text"))
            WithSQLText = line.Number(0, 1) != 0;
        else
            line.Unexpected();
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (tables > 0)
        return Measure(tables, columns, conditions, runs > 0 ? runs : 15).Same ? 0 : 1;
    return RunShaped(sizes, shownSizes, runs);
}
