// nvqb-diagram-drag-bench: how fast a data-source box follows the mouse.
//
//   nvqb-diagram-drag-bench [--links N] [--moves N] [--runs N] [--tables N]
//
// Shows a query builder (offscreen platform unless QT_QPA_PLATFORM says
// otherwise) with a table "hub" joined to N others (default 10) by links
// hub.id = tK.p_id, the other boxes placed in a ring around the hub. Then
// drags the hub's box by its caption: a press, N mouse moves (default 200) of
// a few pixels each on a circle, and a release, each move followed by the
// event processing that repaints the diagram (the boxes and every line that
// moved). Prints the median, 90th percentile and worst time per move over
// all moves of the runs (default 5).
//
// First it shows a chain of N tables (default 100; t0 Inner Join t1 On
// t0.id = t1.p_id ...) on a new query builder: the SQL set, the boxes and
// lines made and laid out, the diagram painted once; it prints the median
// time of the runs.
#include "BenchTiming.h"
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
#include <QMouseEvent>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace nvqb;

namespace {

using bench::Median;
using bench::Ms;

void AddTable(TnvMetadataContainer *container, TnvBaseSyntaxProvider *provider, const QString &name)
{
    TnvMetadataObject *object = container->AddTable(QString(), name);
    for (const char *field : {"id", "p_id", "v"}) {
        TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(provider);
        fieldName->AddName(QString::fromLatin1(field), false);
        object->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
    }
    object->GetFields()->SetLoaded(true);
}

void Process()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void SendMouse(QWidget *widget, QEvent::Type type, const QPoint &point, Qt::MouseButtons buttons)
{
    const QPoint global = widget->mapToGlobal(point);
    QMouseEvent event(type, QPointF(point), QPointF(point), QPointF(global),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int links = 10, moves = 200, runs = 5, tables = 100;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--links"))
            links = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--moves"))
            moves = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs"))
            runs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--tables"))
            tables = std::atoi(argv[i + 1]);
    }

    {
        TnvSQL92SyntaxProvider provider(nullptr);
        QString sql = QStringLiteral("SELECT * FROM t0");
        for (int t = 1; t < tables; ++t)
            sql += QStringLiteral(" INNER JOIN t%1 ON t%2.id = t%1.p_id").arg(t).arg(t - 1);
        std::vector<double> loads;
        for (int run = 0; run < runs; ++run) {
            auto *qb = new TnvQueryBuilder();
            qb->SetSyntaxProvider(&provider);
            qb->MetadataContainer()->SetWorkOffline(true);
            for (int t = 0; t < tables; ++t)
                AddTable(qb->MetadataContainer(), &provider, QStringLiteral("t%1").arg(t));
            qb->resize(1200, 900);
            qb->show();
            Process();
            QElapsedTimer timer;
            timer.start();
            qb->SetSyncSQL(sql);
            // Lays out and paints the diagram.
            qb->repaint();
            QApplication::processEvents();
            loads.push_back(Ms(timer));
            delete qb;
            Process();
        }
        std::printf("tables %d shown in the diagram: median %.1f ms\n", tables, Median(loads));
    }

    TnvSQL92SyntaxProvider provider(nullptr);
    auto *qb = new TnvQueryBuilder();
    qb->SetSyntaxProvider(&provider);
    qb->SetGridSize(1);
    TnvMetadataContainer *container = qb->MetadataContainer();
    container->SetWorkOffline(true);
    AddTable(container, &provider, QStringLiteral("hub"));
    QString sql = QStringLiteral("SELECT * FROM hub");
    for (int k = 0; k < links; ++k) {
        AddTable(container, &provider, QStringLiteral("t%1").arg(k));
        sql += QStringLiteral(" INNER JOIN t%1 ON hub.id = t%1.p_id").arg(k);
    }
    qb->resize(1200, 900);
    qb->show();
    Process();
    qb->SetSyncSQL(sql);
    Process();

    TnvUnionSubQuery *part = qb->CurrentSubquery()->CurrentUnionSubQuery();
    QList<TnvDatasource *> datasources;
    part->FromGroup()->GetDatasources(datasources);
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
            box->SetBoxBounds(QRect(centre, box->size()));
        } else {
            const double angle = 2 * M_PI * double(i) / double(datasources.size());
            box->SetBoxBounds(QRect(centre + QPoint(int(320 * std::cos(angle)), int(280 * std::sin(angle))),
                                    box->size()));
        }
    }
    Process();
    if (!hub) {
        std::fprintf(stderr, "no hub box\n");
        return 1;
    }

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        hub->SetBoxBounds(QRect(centre, hub->size()));
        Process();
        const QPoint grip(hub->CaptionRect().x() + 10, hub->CaptionRect().center().y());
        SendMouse(hub, QEvent::MouseButtonPress, grip, Qt::LeftButton);
        // The mouse circles around the press point; positions are taken
        // relative to where the box was when pressed, as a real drag's are.
        const QPoint pressGlobal = hub->mapToGlobal(grip);
        for (int m = 1; m <= moves; ++m) {
            const double angle = 2 * M_PI * double(m) / double(moves);
            const QPoint offset(int(120 * std::sin(angle)), int(90 * (1 - std::cos(angle))));
            const QPoint local = hub->mapFromGlobal(pressGlobal + offset);
            QElapsedTimer timer;
            timer.start();
            SendMouse(hub, QEvent::MouseMove, local, Qt::LeftButton);
            QApplication::processEvents();
            times.push_back(Ms(timer));
        }
        SendMouse(hub, QEvent::MouseButtonRelease, hub->mapFromGlobal(pressGlobal), Qt::NoButton);
        Process();
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("boxes %lld, links %d, moves %zu: per move median %.3f ms, p90 %.3f ms, worst %.3f ms\n",
                qlonglong(datasources.size()), links, times.size(), Median(times),
                sorted[sorted.size() * 9 / 10], sorted.back());
    delete qb;
    return 0;
}
