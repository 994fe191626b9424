// nvqb-demo: the query builder control in a window over a database reached
// through ODBC; see DemoUsage() for the command line.
#include "builder/model/ErrorReport.h"
#include "builder/controls/QueryBuilder.h"
#include "demos/window/DemoCommandLine.h"
#include "demos/window/DemoWindow.h"

#include <QApplication>
#include <cstdio>

using namespace nvqb;

int main(int argc, char **argv)
{
    // The command line is read before the application exists: help and a
    // bad option are printed without a display, where making the
    // application would end the program in the platform plugin.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    TnvDemoOptions options;
    QString error;
    if (!ParseDemoCommandLine(arguments, options, error)) {
        if (error.isEmpty()) {
            std::fputs(qPrintable(DemoUsage()), stdout);
            return 0;
        }
        std::fprintf(stderr, "nvqb-demo: %s\n\n%s", qPrintable(error), qPrintable(DemoUsage()));
        return 2;
    }
    // A run that prints or takes a picture needs no display.
    if (options.Headless() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nvqb-demo"));

    static int errors = 0;
    // A window shows errors in the library's own message box; a headless run
    // names them on standard error and ends with 1.
    if (options.Headless())
        SetErrorHandler([](const QString &message) {
            ++errors;
            std::fprintf(stderr, "nvqb-demo: %s\n", qPrintable(message));
        });

    int result = 0;
    {
        TnvDemoWindow window;
        if (!nvQBCatchAll([&] { PrepareDemoWindow(window, options); }) && options.Headless())
            return 1;
        // What a run without a user cannot leave unsaid: metadata that could
        // not be read leaves boxes without their columns.
        auto failed = [](const QString &reason) {
            std::fprintf(stderr, "nvqb-demo: %s\n", qPrintable(reason));
            return 1;
        };
        if (options.Headless() && !window.MetadataReadError().isEmpty())
            return failed(window.MetadataReadError());
        if (options.PrintSQL) {
            QString sql;
            if (!nvQBCatchAll([&] { sql = window.QueryBuilder()->SQL(); }))
                return 1;
            std::fputs(qPrintable(sql.replace(QLatin1String("\r\n"), QLatin1String("\n"))), stdout);
            std::fputs("\n", stdout);
            std::fflush(stdout);
        }
        if (!options.ScreenshotFile.isEmpty()) {
            // The picture of a run that failed is not written: it would show
            // an error, or a query still running, as if it were the result.
            QString failure;
            const QImage image = RenderDemoWindow(window, 20000, &failure);
            if (!failure.isEmpty())
                return failed(failure);
            if (!image.save(options.ScreenshotFile))
                return failed(QStringLiteral("cannot write the picture %1").arg(options.ScreenshotFile));
        }
        if (options.Headless())
            return errors == 0 ? 0 : 1;
        window.show();
        result = QApplication::exec();
    }
    SetErrorHandler(nullptr);
    return result;
}
