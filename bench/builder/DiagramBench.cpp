// nvqb-diagram-bench: how fast the diagram shows a large query and follows a
// dragged box, for joins that run in a chain, branch as a random tree or
// all meet in one table (a star).
//
//   nvqb-diagram-bench [--shapes chain,tree,star] [--sizes 10,100,300,1000]
//                      [--runs N] [--moves N]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. For
// each shape and size N (JoinShapes.h: N tables, one to three output
// columns each, a condition on every fifth):
// - show: the statement set with SetSyncSQL on a shown query builder
//   (1200 x 900) whose diagram is empty; timed until the boxes and lines are
//   made, laid out and the control painted once (grab()). Median of the
//   runs (default 7; 3 from 1,000 tables on), each on a new query builder.
// - drag: on the last run's diagram, the box with the most links (the star's
//   centre, the busiest table of the tree, the middle of the chain) is put
//   in view and held by its caption with QTest, then moved (the button held)
//   in steps of a few pixels on a circle; each move is timed until the
//   events it posted, the repaint among them, are processed. Median and
//   90th percentile per move over the moves (default 60) of three drags.
// At the end, the growth exponent of each shape's show time (least squares
// over the sizes from 100 on, and from size to size).
#include "BenchTiming.h"
#include "../BenchCommandLine.h"
#include "JoinShapes.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "sql92/SQL92SyntaxProvider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

using namespace nvqb;

namespace {

using bench::Median;
using bench::Ms;

void Process()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

std::unique_ptr<TnvQueryBuilder> ShownBuilder(TnvBaseSyntaxProvider *provider, int tables)
{
    auto qb = std::make_unique<TnvQueryBuilder>();
    qb->SetSyntaxProvider(provider);
    qb->MetadataContainer()->SetWorkOffline(true);
    for (int t = 0; t < tables; ++t)
        bench::AddChainTable(qb->MetadataContainer(), QStringLiteral("t%1").arg(t));
    qb->resize(1200, 900);
    qb->show();
    Process();
    return qb;
}

QList<TnvDatasource *> Datasources(TnvQueryBuilder *qb)
{
    QList<TnvDatasource *> list;
    qb->CurrentSubquery()->CurrentUnionSubQuery()->FromGroup()->GetDatasources(list);
    return list;
}

void CollectLinks(TnvDatasourceGroup *group, QList<TnvLink *> &links)
{
    for (qsizetype i = 0; i < group->GetLinksCount(); ++i)
        links.append(group->GetLink(i));
    for (qsizetype i = 0; i < group->GetCount(); ++i)
        if (auto *nested = As<TnvDatasourceGroup>(group->GetItems(i)))
            CollectLinks(nested, links);
}

struct TDrag {
    int Links = 0;
    double Median = 0, P90 = 0;
};

// Drags the busiest box of the diagram in circles; per-move timings.
bool DragBusiest(TnvQueryBuilder *qb, int moves, TDrag &result)
{
    QList<TnvLink *> links;
    CollectLinks(qb->CurrentSubquery()->CurrentUnionSubQuery()->FromGroup(), links);
    std::map<TnvDatasource *, int> degree;
    for (TnvLink *link : std::as_const(links)) {
        ++degree[link->LeftDatasource()];
        ++degree[link->RightDatasource()];
    }
    TnvDatasource *busiest = nullptr;
    for (TnvDatasource *datasource : Datasources(qb))
        if (!busiest || degree[datasource] > degree[busiest])
            busiest = datasource;
    auto *box = busiest ? dynamic_cast<TnvQueryBuilderDataSourceControl *>(busiest->GetDSControl()) : nullptr;
    if (!box)
        return false;
    result.Links = degree[busiest];
    qb->SetGridSize(1);
    const QPoint centre(400, 300);
    std::vector<double> perMove;
    for (int drag = 0; drag < 3; ++drag) {
        box->SetBoxBounds(QRect(centre, box->size()));
        Process();
        const QPoint grip(box->CaptionRect().x() + 10, box->CaptionRect().center().y());
        const QPoint pressGlobal = box->mapToGlobal(grip);
        QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, grip);
        for (int m = 1; m <= moves; ++m) {
            // The box follows the mouse, so each position is taken from where
            // the press was on the screen.
            const double angle = 2 * M_PI * double(m) / double(moves);
            const QPoint offset(int(120 * std::sin(angle)), int(90 * (1 - std::cos(angle))));
            QElapsedTimer timer;
            timer.start();
            QTest::mouseMove(box, box->mapFromGlobal(pressGlobal + offset));
            QApplication::processEvents();
            perMove.push_back(Ms(timer));
        }
        QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, box->mapFromGlobal(pressGlobal));
        Process();
    }
    std::sort(perMove.begin(), perMove.end());
    result.Median = Median(perMove);
    result.P90 = perMove[perMove.size() * 9 / 10];
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QList<int> sizes{10, 100, 300, 1000};
    std::vector<bench::TJoinShape> shapes{bench::TJoinShape::Chain, bench::TJoinShape::Tree, bench::TJoinShape::Star};
    int runs = 0, moves = 60;
    bench::TCommandLine line(argc, argv, "nvqb-diagram-bench",
                             "[--shapes chain,tree,star] [--sizes N,N,...] [--runs N] [--moves N]");
    while (line.Next()) {
        if (line.Is("--sizes")) {
            sizes = line.Numbers<QList<int>>(1);
        } else if (line.Is("--shapes")) {
            shapes.clear();
            for (const QString &name : QString::fromLatin1(line.Value()).split(u',', Qt::SkipEmptyParts)) {
                bench::TJoinShape shape;
                if (!bench::ParseJoinShape(qPrintable(name), shape))
                    line.Refuse("Unknown shape '" + name.toStdString() + "' (chain, tree, star).");
                shapes.push_back(shape);
            }
        } else if (line.Is("--runs")) {
            runs = int(line.Number(0, INT_MAX));
        } else if (line.Is("--moves")) {
            moves = int(line.Number(1, INT_MAX));
        } else {
            line.Unexpected();
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TnvSQL92SyntaxProvider provider(nullptr);

    std::printf("%-6s %7s %6s %5s %14s %11s %17s %13s\n", "shape", "tables", "links", "runs", "SQL->painted ms",
                "drag links", "drag median ms", "drag p90 ms");
    std::fflush(stdout);
    std::map<bench::TJoinShape, QList<double>> showTimes;
    for (bench::TJoinShape shape : shapes) {
        for (int tables : std::as_const(sizes)) {
            const QString sql = bench::JoinShapeSQL(shape, tables);
            const int rounds = runs > 0 ? runs : (tables >= 1000 ? 3 : 7);
            std::vector<double> shows;
            std::unique_ptr<TnvQueryBuilder> qb;
            for (int run = 0; run < rounds; ++run) {
                qb.reset();
                qb = ShownBuilder(&provider, tables);
                QElapsedTimer timer;
                timer.start();
                qb->SetSyncSQL(sql);
                Process();
                const QPixmap picture = qb->grab();
                shows.push_back(Ms(timer));
                qsizetype boxes = 0;
                for (TnvDatasource *datasource : Datasources(qb.get()))
                    boxes += dynamic_cast<TnvQueryBuilderDataSourceControl *>(datasource->GetDSControl()) != nullptr;
                if (picture.isNull() || boxes != tables) {
                    std::fprintf(stderr, "the diagram shows %lld boxes of %d\n", qlonglong(boxes), tables);
                    return 1;
                }
            }
            TDrag drag;
            if (!DragBusiest(qb.get(), moves, drag)) {
                std::fprintf(stderr, "no box to drag\n");
                return 1;
            }
            showTimes[shape].append(Median(shows));
            std::printf("%-6s %7d %6d %5d %14.1f %11d %17.3f %13.3f\n", bench::JoinShapeName(shape), tables,
                        tables - 1, rounds, Median(shows), drag.Links, drag.Median, drag.P90);
            std::fflush(stdout);
        }
    }
    QList<int> from100;
    for (int size : std::as_const(sizes))
        if (size >= 100)
            from100.append(size);
    std::printf("growth exponent of SQL->painted (time ~ tables^b):\n");
    for (bench::TJoinShape shape : shapes) {
        const QList<double> &times = showTimes[shape];
        const QList<double> tail = times.mid(sizes.size() - from100.size());
        if (from100.size() > 1)
            std::printf("  %-6s b = %.2f from 100 tables on", bench::JoinShapeName(shape),
                        bench::GrowthExponent(from100, tail));
        else
            std::printf("  %-6s", bench::JoinShapeName(shape));
        for (qsizetype i = 1; i < sizes.size(); ++i)
            std::printf("; %d->%d: %.2f", sizes[i - 1], sizes[i],
                        bench::GrowthExponent({sizes[i - 1], sizes[i]}, {times[i - 1], times[i]}));
        std::printf("\n");
    }
    return 0;
}
