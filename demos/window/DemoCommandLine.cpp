#include "demos/window/DemoCommandLine.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/TreeViewMetadata.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "demos/window/DemoWindow.h"
#include "demos/window/ResultGrid.h"
#include "sqlmodel/metadata/MetadataContainer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>

namespace nvqb {

namespace {

void DefineOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QObject::tr(
        "The query builder over a database reached through ODBC; without --connect, a sample order-entry "
        "database (SQLite) made in the cache folder on first start."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("connect"), QObject::tr("Connect with the ODBC connection string."),
                      QObject::tr("CONNECTION STRING")});
    parser.addOption({QStringLiteral("sql"), QObject::tr("Load the SQL (after the layout, replacing its query)."),
                      QObject::tr("TEXT")});
    parser.addOption({QStringLiteral("layout"), QObject::tr("Load the layout file."), QObject::tr("FILE")});
    parser.addOption({QStringLiteral("screenshot"),
                      QObject::tr("Render the window offscreen into the image file (PNG) and exit."),
                      QObject::tr("FILE")});
    parser.addOption({QStringLiteral("print-sql"), QObject::tr("Print the query builder's SQL and exit.")});
}

} // namespace

bool ParseDemoCommandLine(const QStringList &arguments, TnvDemoOptions &options, QString &error)
{
    QCommandLineParser parser;
    DefineOptions(parser);
    error.clear();
    if (!parser.parse(QStringList{QStringLiteral("nvqb-demo")} + arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        return false;
    if (!parser.positionalArguments().isEmpty()) {
        error = QObject::tr("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }
    options.ConnectionString = parser.value(QStringLiteral("connect"));
    if (parser.isSet(QStringLiteral("connect")) && options.ConnectionString.trimmed().isEmpty()) {
        error = QObject::tr("--connect needs a connection string");
        return false;
    }
    options.HasSQL = parser.isSet(QStringLiteral("sql"));
    options.SQL = parser.value(QStringLiteral("sql"));
    options.LayoutFile = parser.value(QStringLiteral("layout"));
    options.ScreenshotFile = parser.value(QStringLiteral("screenshot"));
    options.PrintSQL = parser.isSet(QStringLiteral("print-sql"));
    return true;
}

QString DemoUsage()
{
    QCommandLineParser parser;
    DefineOptions(parser);
    // Asked before the application exists, the parser knows no program name.
    return parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("nvqb-demo"));
}

void PrepareDemoWindow(TnvDemoWindow &window, const TnvDemoOptions &options)
{
    if (options.ConnectionString.isEmpty())
        window.OpenSampleDatabase();
    else
        window.Connect(options.ConnectionString);
    if (!options.LayoutFile.isEmpty())
        window.LoadLayoutFile(options.LayoutFile);
    if (options.HasSQL)
        window.SetSQL(options.SQL);
}

bool DemoWindowShown(TnvDemoWindow &window)
{
    TnvQueryBuilder *qb = window.QueryBuilder();
    if (!window.isVisible() || !qb->ControlsCreated())
        return false;
    TnvTreeViewMetadata *tree = qb->TreeViewMetadata();
    if (!tree || !tree->isVisible() || !tree->model() ||
        (tree->model()->rowCount() == 0 && qb->MetadataContainer()->Count() > 0))
        return false;
    QList<TnvDatasource *> sources;
    if (TnvSubQuery *subQuery = qb->CurrentSubquery())
        if (TnvUnionSubQuery *part = subQuery->CurrentUnionSubQuery())
            part->FromGroup()->GetDatasources(sources);
    qsizetype boxes = 0;
    for (const auto *box : qb->findChildren<TnvQueryBuilderDataSourceControl *>())
        if (box->isVisible() && !box->size().isEmpty())
            ++boxes;
    return boxes >= sources.size();
}

QImage RenderDemoWindow(TnvDemoWindow &window, int timeoutMs, QString *failure)
{
    QString reason;
    window.show();
    QDeadlineTimer shown(timeoutMs);
    while (!DemoWindowShown(window) && !shown.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!DemoWindowShown(window))
        reason = QObject::tr("The diagram and the metadata tree were not shown within %1 s").arg(timeoutMs / 1000.0);
    // The change of the query runs it after a pause, which may have come
    // already; the picture shows the rows of the query as it stands.
    TnvResultGrid *grid = window.ResultGrid();
    if (!grid->IsRunning())
        window.RunQuery();
    if (!grid->WaitForResult(timeoutMs) && reason.isEmpty())
        reason = QObject::tr("The query did not finish within %1 s").arg(timeoutMs / 1000.0);
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    if (reason.isEmpty() && !grid->LastError().isEmpty())
        reason = QObject::tr("The query failed: %1").arg(grid->LastError());
    if (reason.isEmpty() && !window.MetadataReadError().isEmpty())
        reason = window.MetadataReadError();
    if (failure)
        *failure = reason;
    return window.grab().toImage();
}

} // namespace nvqb
