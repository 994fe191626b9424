// nvqb-diagram-bench: how fast the diagram shows a large query and follows a
// dragged box.
//
//   nvqb-diagram-bench [--tables N] [--links N] [--moves N] [--runs N]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
// - show: the statement of nvqb-querybuilder-bench (N tables, default 100,
//   joined in a chain, 200 columns, 50 conditions) set with SetSyncSQL on a
//   shown query builder whose diagram is empty; timed until the boxes and
//   lines are made, laid out and the control painted once (grab()). Median
//   of the runs (default 9), each on a new query builder.
// - drag: a table "hub" joined to N others (default 10), the others in a ring
//   around it; the hub's box held by its caption with QTest and moved (the
//   button held) in steps of a few pixels on a circle; each move timed until
//   the events it posted, the repaint among them, are processed. Median per
//   move over the moves (default 200) of all runs.
// Both figures are printed with their targets (300 ms and 16 ms).
#include "BenchTiming.h"
#include "ChainQuery.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <cstring>
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

std::unique_ptr<TnvQueryBuilder> ShownBuilder(TnvBaseSyntaxProvider *provider, const QStringList &tables)
{
    auto qb = std::make_unique<TnvQueryBuilder>();
    qb->SetSyntaxProvider(provider);
    qb->MetadataContainer()->SetWorkOffline(true);
    for (const QString &table : tables)
        bench::AddChainTable(qb->MetadataContainer(), table);
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

int ArgValue(int argc, char **argv, const char *name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], name))
            return std::atoi(argv[i + 1]);
    return fallback;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int tableCount = ArgValue(argc, argv, "--tables", 100);
    const int links = ArgValue(argc, argv, "--links", 10);
    const int moves = ArgValue(argc, argv, "--moves", 200);
    const int runs = ArgValue(argc, argv, "--runs", 9);
    TnvSQL92SyntaxProvider provider(nullptr);

    // Show.
    QStringList tables;
    for (int t = 0; t < tableCount; ++t)
        tables.append(QStringLiteral("t%1").arg(t));
    const QString sql = bench::ChainStatementSQL(tableCount, 200, 50);
    std::vector<double> shows;
    qsizetype boxes = 0;
    for (int run = 0; run < runs; ++run) {
        std::unique_ptr<TnvQueryBuilder> qb = ShownBuilder(&provider, tables);
        QElapsedTimer timer;
        timer.start();
        qb->SetSyncSQL(sql);
        Process();
        const QPixmap picture = qb->grab();
        shows.push_back(Ms(timer));
        boxes = 0;
        for (TnvDatasource *datasource : Datasources(qb.get()))
            boxes += dynamic_cast<TnvQueryBuilderDataSourceControl *>(datasource->GetDSControl()) != nullptr;
        if (picture.isNull() || boxes != tableCount) {
            std::fprintf(stderr, "the diagram shows %lld boxes of %d\n", qlonglong(boxes), tableCount);
            return 1;
        }
    }
    std::printf("show %d tables (200 columns, 50 conditions) in the diagram: median %.1f ms over %d runs "
                "(target < 300 ms)\n",
                tableCount, Median(shows), runs);

    // Drag.
    QStringList hubTables{QStringLiteral("hub")};
    QString hubSQL = QStringLiteral("SELECT * FROM hub");
    for (int k = 0; k < links; ++k) {
        hubTables.append(QStringLiteral("r%1").arg(k));
        hubSQL += QStringLiteral(" INNER JOIN r%1 ON hub.id = r%1.p_id").arg(k);
    }
    std::unique_ptr<TnvQueryBuilder> qb = ShownBuilder(&provider, hubTables);
    qb->SetGridSize(1);
    qb->SetSyncSQL(hubSQL);
    Process();
    const QList<TnvDatasource *> datasources = Datasources(qb.get());
    TnvQueryBuilderDataSourceControl *hub = nullptr;
    const QPoint centre(500, 350);
    for (qsizetype i = 0; i < datasources.size(); ++i) {
        auto *box = dynamic_cast<TnvQueryBuilderDataSourceControl *>(datasources[i]->GetDSControl());
        if (!box) {
            std::fprintf(stderr, "no box for %s\n", qPrintable(datasources[i]->GetDataSourceName()));
            return 1;
        }
        if (datasources[i]->GetDataSourceName() == u"hub") {
            hub = box;
            continue;
        }
        const double angle = 2 * M_PI * double(i) / double(datasources.size());
        box->SetBoxBounds(
            QRect(centre + QPoint(int(320 * std::cos(angle)), int(280 * std::sin(angle))), box->size()));
    }
    if (!hub) {
        std::fprintf(stderr, "no hub box\n");
        return 1;
    }
    std::vector<double> perMove;
    for (int run = 0; run < runs; ++run) {
        hub->SetBoxBounds(QRect(centre, hub->size()));
        Process();
        const QPoint grip(hub->CaptionRect().x() + 10, hub->CaptionRect().center().y());
        const QPoint pressGlobal = hub->mapToGlobal(grip);
        QTest::mousePress(hub, Qt::LeftButton, Qt::NoModifier, grip);
        for (int m = 1; m <= moves; ++m) {
            // The box follows the mouse, so each position is taken from where
            // the press was on the screen.
            const double angle = 2 * M_PI * double(m) / double(moves);
            const QPoint offset(int(120 * std::sin(angle)), int(90 * (1 - std::cos(angle))));
            QElapsedTimer timer;
            timer.start();
            QTest::mouseMove(hub, hub->mapFromGlobal(pressGlobal + offset));
            QApplication::processEvents();
            perMove.push_back(Ms(timer));
        }
        QTest::mouseRelease(hub, Qt::LeftButton, Qt::NoModifier, hub->mapFromGlobal(pressGlobal));
        Process();
    }
    std::vector<double> sorted = perMove;
    std::sort(sorted.begin(), sorted.end());
    std::printf("drag a box with %d links: median %.3f ms per mouse move, p90 %.3f ms, worst %.3f ms over %zu "
                "moves (target < 16 ms)\n",
                links, Median(perMove), sorted[sorted.size() * 9 / 10], sorted.back(), perMove.size());
    return 0;
}
