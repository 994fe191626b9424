// The load wizard's window at catalogue size: 2,000 tables with 2,000
// foreign keys and some views on a PostgreSQL server, loaded through the
// ODBC provider by the real wizard, offscreen, from its welcome page to the
// end of the loading run. Measures the run (from the Load click until the
// wizard has written the last line) and how the window kept painting while
// it ran: the number of paints of the log and the longest time between two.
//
//   eval "$(bash scripts/pgserver.sh start)"
//   QT_QPA_PLATFORM=offscreen build/bench/nvqb-wizard-window-bench [tables] [--views N] [--runs N]
//   bash scripts/pgserver.sh stop "$NVQB_PG_DIR"
#include "WizardLoadCatalogue.h"

#include "builder/dialogs/MetadataContainerLoad.h"
#include "sql92/SQL92SyntaxProvider.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest/QTest>

#include <algorithm>
#include <vector>

using namespace nvqb;
using namespace nvqb::bench;

namespace {

// Counts the paints of a widget and the longest time between two of them
// while armed.
class PaintWatch : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && Armed) {
            const qint64 now = Clock.nsecsElapsed();
            LongestGap = std::max(LongestGap, now - Last);
            Last = now;
            ++Paints;
        }
        return QObject::eventFilter(watched, event);
    }
    void Arm()
    {
        Clock.start();
        Last = 0;
        LongestGap = 0;
        Paints = 0;
        Armed = true;
    }
    void Disarm()
    {
        LongestGap = std::max(LongestGap, Clock.nsecsElapsed() - Last);
        Armed = false;
    }
    QElapsedTimer Clock;
    qint64 Last = 0, LongestGap = 0;
    int Paints = 0;
    bool Armed = false;
};

QString PageName(TfnvQBMetadataContainerLoad &wizard)
{
    return wizard.pcPages->currentWidget()->objectName();
}

void Click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

struct RunResult {
    double Ms = 0;
    int Paints = 0;
    double LongestGapMs = 0;
    qsizetype Objects = 0;
    qsizetype LogLines = 0;
    bool Completed = false;
};

RunResult RunWizard(TADOConnection &connection, const QString &schema)
{
    TnvSQL92SyntaxProvider syntax;
    TnvADOMetadataProvider provider;
    provider.SetConnection(&connection);
    auto target = Create<TnvMetadataContainer>(nullptr);
    target->SetSyntaxProvider(&syntax);
    target->SetMetadataProvider(&provider);

    RunResult result;
    TfnvQBMetadataContainerLoad wizard(nullptr, target.get(), false);
    wizard.show();
    QApplication::processEvents();
    // Welcome, then the connection page (the provider has a frame), the
    // databases page when the dialect lists databases, the filter page.
    for (int step = 0; step < 6 && PageName(wizard) != QLatin1String("tsFilter"); ++step) {
        if (PageName(wizard) == QLatin1String("tsLoadOpts")) {
            const QString database = connection.DefaultDatabase();
            for (int row = 0; row < wizard.lDatabases->count(); ++row) {
                const QString text = wizard.lDatabases->item(row)->text();
                if (text == database || text.startsWith(database + QLatin1Char(' ')))
                    wizard.lDatabases->item(row)->setCheckState(Qt::Checked);
            }
        }
        Click(wizard.bNext);
    }
    if (PageName(wizard) != QLatin1String("tsFilter")) {
        std::printf("the wizard stopped on page %s\n", qPrintable(PageName(wizard)));
        return result;
    }
    // Only the catalogue's schema.
    Click(wizard.sbAddNewItem);
    wizard.edFilterSchemaName->setText(schema);

    PaintWatch watch;
    wizard.mLog->viewport()->installEventFilter(&watch);
    QElapsedTimer timer;
    timer.start();
    watch.Arm();
    Click(wizard.bLoad);
    watch.Disarm();
    result.Ms = timer.nsecsElapsed() / 1e6;
    result.Paints = watch.Paints;
    result.LongestGapMs = watch.LongestGap / 1e6;
    result.Objects = target->Count();
    result.LogLines = wizard.mLog->document()->blockCount();
    result.Completed = wizard.mLog->toPlainText().contains(QLatin1String("Loading completed successfully..."));
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    const WizardBenchOptions options = ParseWizardBenchOptions(argc, argv, "nvqb-wizard-window-bench");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int tables = options.Tables, views = options.Views, runs = options.Runs;
    auto connection = NewPgConnection();
    if (!connection)
        return 2;
    try {
        connection->Open();
        PgCatalogue catalogue(*connection, tables, views);
        std::printf("%d tables, %d foreign keys, %d views in schema %s; %d runs through the wizard's window\n", tables,
                    tables, views, qPrintable(catalogue.Schema()), runs);
        std::vector<double> totals;
        for (int run = 0; run < runs; ++run) {
            const RunResult r = RunWizard(*connection, catalogue.Schema());
            if (!r.Completed) {
                std::printf("run %d did not complete\n", run + 1);
                return 1;
            }
            totals.push_back(r.Ms);
            std::printf("run %d: %8.1f ms, %lld objects, %lld log lines, %d paints of the log, longest time"
                        " between two paints %.1f ms\n",
                        run + 1, r.Ms, static_cast<long long>(r.Objects), static_cast<long long>(r.LogLines),
                        r.Paints, r.LongestGapMs);
            std::fflush(stdout);
        }
        std::sort(totals.begin(), totals.end());
        std::printf("median %.1f ms (limit 5000 ms: %s)\n", totals[totals.size() / 2],
                    totals[totals.size() / 2] < 5000 ? "met" : "MISSED");
    } catch (const std::exception &e) {
        std::printf("error: %s\n", e.what());
        return 1;
    }
    return 0;
}
