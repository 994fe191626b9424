// The demo's start on the offscreen platform: from the start of a fresh
// process to the sample database's diagram and metadata tree shown. Each
// measurement runs this program again as a child (so library loading, Qt's
// start and the first connection count); the child reports the time from
// its main() to the window shown, and the parent the whole process's wall
// time, start to exit. The first run makes the sample database in an empty
// cache folder; the others reuse it, as every start after the first does.
//
//   nvqb-demo-start-bench [RUNS]
#include "../BenchCommandLine.h"
#include "demos/window/DemoCommandLine.h"
#include "demos/window/DemoWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace nvqb;

static int Child(int argc, char **argv, const QElapsedTimer &clock)
{
    QApplication app(argc, argv);
    TnvDemoWindow window;
    window.OpenSampleDatabase(QString::fromLocal8Bit(argv[2]));
    window.show();
    while (!DemoWindowShown(window)) {
        if (clock.elapsed() > 60000) {
            std::fprintf(stderr, "the window was not shown within a minute\n");
            return 1;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    std::printf("%lld\n", static_cast<long long>(clock.nsecsElapsed() / 1000));
    return 0;
}

struct TRun {
    double ShownMs = 0;
    double ProcessMs = 0;
};

static bool RunChild(const QString &program, const QString &folder, TRun &run)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, {QStringLiteral("--child"), folder});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        std::fprintf(stderr, "child failed: %s\n", process.readAllStandardError().constData());
        return false;
    }
    run.ProcessMs = double(clock.nsecsElapsed()) / 1e6;
    run.ShownMs = process.readAllStandardOutput().trimmed().toDouble() / 1000.0;
    return true;
}

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return Child(argc, argv, clock);

    int runs = 9;
    bench::TCommandLine line(argc, argv, "nvqb-demo-start-bench", "[RUNS]");
    for (int position = 0; line.Next(); ++position) {
        if (position == 0)
            runs = int(line.PositionalNumber("RUNS", 1, INT_MAX));
        else
            line.Unexpected();
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir cache;
    const QString program = QCoreApplication::applicationFilePath();
    TRun first;
    if (!RunChild(program, cache.path(), first))
        return 1;
    std::printf("first start (sample database made): shown after %.1f ms, process %.1f ms\n", first.ShownMs,
                first.ProcessMs);
    std::vector<TRun> warm(size_t(runs), TRun{});
    for (TRun &run : warm)
        if (!RunChild(program, cache.path(), run))
            return 1;
    auto report = [&](const char *what, double TRun::*field) {
        std::vector<double> values;
        for (const TRun &run : warm)
            values.push_back(run.*field);
        std::sort(values.begin(), values.end());
        std::printf("later starts, %s: median %.1f ms, min %.1f ms, max %.1f ms (%d runs)\n", what,
                    values[values.size() / 2], values.front(), values.back(), runs);
    };
    report("diagram and metadata tree shown", &TRun::ShownMs);
    report("whole process (start to exit)", &TRun::ProcessMs);
    return 0;
}
