#pragma once
// The demo's command line and the runs without a user: what to connect to,
// which SQL or layout to load, and whether to print the SQL or write a
// picture of the window and exit.
#include <QImage>
#include <QString>
#include <QStringList>

namespace nvqb {

class TnvDemoWindow;

struct TnvDemoOptions {
    // Empty: the sample database.
    QString ConnectionString;
    QString SQL;
    bool HasSQL = false;
    QString LayoutFile;
    QString ScreenshotFile;
    bool PrintSQL = false;

    // Printing or writing a picture: no window is left open, and the display
    // is offscreen unless another platform is asked for.
    bool Headless() const { return PrintSQL || !ScreenshotFile.isEmpty(); }
};

// The arguments without the program name. False, with the reason in Error,
// for a bad command line; false with Error empty when help was asked for.
// Both work before the application object exists.
bool ParseDemoCommandLine(const QStringList &arguments, TnvDemoOptions &options, QString &error);
QString DemoUsage();

// Connects (the sample database without a connection string), then loads
// the layout, then the SQL. Raises what the connection or the load raises.
void PrepareDemoWindow(TnvDemoWindow &window, const TnvDemoOptions &options);

// Whether the window shows the diagram's boxes of every data source of the
// current query part and the metadata tree its objects (none for a database
// without any).
bool DemoWindowShown(TnvDemoWindow &window);

// Shows the window, waits until the diagram and the metadata tree are there
// and then until the query has given its result (at most the time given for
// each), and renders it. Failure, when given, gets why the picture does not
// show a run that went well: the window not complete in time, the query's
// error or a query still running, metadata that could not be read; it is
// left empty when the run went well.
QImage RenderDemoWindow(TnvDemoWindow &window, int timeoutMs = 20000, QString *failure = nullptr);

} // namespace nvqb
