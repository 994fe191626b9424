// The demo program as the command line runs it: the SQL printed back, the
// picture it writes, and what it says about a bad command line.
#include "DemoTestSupport.h"
#include "builder/controls/QueryBuilder.h"
#include "demos/window/DemoCommandLine.h"
#include "demos/window/ResultGrid.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTableView>

namespace nvqb::test {

using DemoProgramTest = DemoWindowTest;

TEST_F(DemoProgramTest, PrintSQLPrintsTheQueryBack)
{
    const TDemoRun given = RunProgram(
        {QStringLiteral("--print-sql"), QStringLiteral("--sql"),
         QStringLiteral("select o.order_id, c.company_name from orders o inner join customers c "
                        "on c.customer_id = o.customer_id where c.country = 'Spain'")});
    ASSERT_EQ(given.ExitCode, 0) << given.Err.toStdString();
    EXPECT_EQ(given.Out, QStringLiteral("Select o.order_id, c.company_name From orders o Inner Join customers c"
                                        " On c.customer_id = o.customer_id Where c.country = 'Spain'\n"));

    // Without SQL: the sample query over the sample tables.
    const TDemoRun sample = RunProgram({QStringLiteral("--print-sql")});
    ASSERT_EQ(sample.ExitCode, 0) << sample.Err.toStdString();
    for (const char *table : {"customers c", "orders o", "order_lines l", "products p"})
        EXPECT_TRUE(sample.Out.contains(QLatin1String(table))) << table << "\n" << sample.Out.toStdString();

    // A layout file brings its query along.
    Window->OpenSampleDatabase(Dir.path());
    Window->SetSQL(QStringLiteral("Select s.company_name From suppliers s"));
    const QString layout = Dir.filePath(QStringLiteral("suppliers.qbl"));
    Window->SaveLayoutFile(layout);
    const TDemoRun laid = RunProgram({QStringLiteral("--layout"), layout, QStringLiteral("--print-sql")});
    ASSERT_EQ(laid.ExitCode, 0) << laid.Err.toStdString();
    EXPECT_EQ(laid.Out, Window->QueryBuilder()->SQL() + u'\n');
}

TEST_F(DemoProgramTest, BadInputIsNamedAndEndsTheRun)
{
    const TDemoRun bad = RunProgram({QStringLiteral("--print-sql"), QStringLiteral("--sql"),
                                     QStringLiteral("select from from")});
    EXPECT_EQ(bad.ExitCode, 1);
    EXPECT_TRUE(bad.Out.isEmpty()) << bad.Out.toStdString();
    EXPECT_TRUE(bad.Err.contains(QStringLiteral("Line 1, column"))) << bad.Err.toStdString();

    const TDemoRun option = RunProgram({QStringLiteral("--no-such-option")});
    EXPECT_EQ(option.ExitCode, 2);
    EXPECT_TRUE(option.Err.contains(QStringLiteral("no-such-option"))) << option.Err.toStdString();
    EXPECT_TRUE(option.Err.contains(QStringLiteral("--screenshot")));

    const TDemoRun connection = RunProgram(
        {QStringLiteral("--print-sql"), QStringLiteral("--connect"), QStringLiteral("Driver=No Such Driver")});
    EXPECT_EQ(connection.ExitCode, 1);
    EXPECT_FALSE(connection.Err.trimmed().isEmpty());
}

// Help and a bad option are answered from the command line alone: no
// display is needed for them.
TEST_F(DemoProgramTest, HelpAndBadOptionsNeedNoDisplay)
{
    const TDemoRun help = RunProgram({QStringLiteral("--help")}, ProcessTimeoutMs, false);
    EXPECT_EQ(help.ExitCode, 0) << help.Err.toStdString();
    EXPECT_TRUE(help.Out.startsWith(QStringLiteral("Usage: nvqb-demo [options]"))) << help.Out.toStdString();
    EXPECT_TRUE(help.Out.contains(QStringLiteral("--print-sql"))) << help.Out.toStdString();

    const TDemoRun bad = RunProgram({QStringLiteral("--layuot"), QStringLiteral("x.qbl")}, ProcessTimeoutMs, false);
    EXPECT_EQ(bad.ExitCode, 2) << bad.Err.toStdString();
    EXPECT_TRUE(bad.Err.startsWith(QStringLiteral("nvqb-demo: Unknown option 'layuot'."))) << bad.Err.toStdString();
    EXPECT_TRUE(bad.Err.contains(QStringLiteral("--layout <FILE>")));
}

// The control takes what it can of any layout text and stays quiet; the
// program that was given the file says what is wrong with it and ends with 1.
TEST_F(DemoProgramTest, ALayoutFileThatCannotBeLoadedEndsTheRunWithOne)
{
    struct Case {
        const char *Name;
        QByteArray Text;
        QString Reason;
    };
    const QList<Case> cases{
        {"empty.qbl", "", QStringLiteral("the layout is empty")},
        {"cut.qbl", "<NorvaneQueryBuilderLayout><SQL>Select c.city From customers c</SQL><SubQuer",
         QStringLiteral("not an XML document (line 1")},
        {"other.xml", "<Settings><Colour>blue</Colour></Settings>", QStringLiteral("no SQL element")},
        {"badsql.qbl", "<NorvaneQueryBuilderLayout><SQL>Select from from</SQL></NorvaneQueryBuilderLayout>",
         QStringLiteral("does not parse: Line 1, column")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const QString file = Dir.filePath(QString::fromLatin1(c.Name));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(c.Text);
        out.close();
        const TDemoRun run = RunProgram({QStringLiteral("--layout"), file, QStringLiteral("--print-sql")});
        EXPECT_EQ(run.ExitCode, 1) << run.Out.toStdString();
        EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Reason)) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(file)) << run.Err.toStdString();
    }
}

// A run without a user ends with 1 and the reason on standard error when the
// query fails on the server or the database cannot be read; the picture of
// such a run is not written. An empty database is no failure.
TEST_F(DemoProgramTest, AQueryOrADatabaseThatFailsEndsTheRunWithOne)
{
    const QString picture = Dir.filePath(QStringLiteral("failed.png"));
    const TDemoRun query = RunProgram({QStringLiteral("--screenshot"), picture, QStringLiteral("--sql"),
                                       QStringLiteral("select c.\"NoSuchColumn\" from customers c")});
    EXPECT_EQ(query.ExitCode, 1) << query.Err.toStdString();
    EXPECT_TRUE(query.Err.contains(QStringLiteral("no such column: c.NoSuchColumn"))) << query.Err.toStdString();
    EXPECT_FALSE(QFile::exists(picture));

    // A file the driver opens but cannot read as a database.
    const QString bad = Dir.filePath(QStringLiteral("n.db"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("hi\n");
    file.close();
    for (const QStringList &output : {QStringList{QStringLiteral("--screenshot"), picture},
                                      QStringList{QStringLiteral("--print-sql")}}) {
        const TDemoRun run = RunProgram(QStringList{QStringLiteral("--connect"),
                                                    QStringLiteral("Driver=SQLite3;Database=%1").arg(bad),
                                                    QStringLiteral("--sql"), QStringLiteral("select * from Orders")} +
                                        output);
        EXPECT_EQ(run.ExitCode, 1) << output.join(u' ').toStdString() << "\n" << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QStringLiteral("file is not a database"))) << run.Err.toStdString();
        EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
        EXPECT_FALSE(QFile::exists(picture));
    }

    const TDemoRun empty = RunProgram({QStringLiteral("--connect"),
                                       QStringLiteral("Driver=SQLite3;Database=%1").arg(Dir.filePath(QStringLiteral("e.db"))),
                                       QStringLiteral("--screenshot"), picture});
    EXPECT_EQ(empty.ExitCode, 0) << empty.Err.toStdString();
    EXPECT_FALSE(QImage(picture).isNull());
}

// The window over a database without tables is complete at once: an empty
// metadata tree is all there is to wait for.
TEST_F(DemoProgramTest, TheWindowOverAnEmptyDatabaseIsCompleteAtOnce)
{
    Window->Connect(QStringLiteral("Driver=SQLite3;Database=%1").arg(Dir.filePath(QStringLiteral("e.db"))));
    Window->show();
    EXPECT_TRUE(WaitFor([&] { return DemoWindowShown(*Window); }, EventuallyTimeoutMs));
    QString failure = QStringLiteral("not asked");
    RenderDemoWindow(*Window, EventuallyTimeoutMs, &failure);
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
}

// The sample database is made, and read, under a home folder whose name has
// letters beyond ASCII.
TEST_F(DemoProgramTest, TheSampleIsMadeUnderAHomeFolderBeyondAscii)
{
    const QString home = Dir.filePath(QStringLiteral("home-Jürgen Ω"));
    ASSERT_TRUE(QDir().mkpath(home));
    const TDemoRun run = RunProgram({QStringLiteral("--print-sql")}, ProcessTimeoutMs, true, [&](QProcessEnvironment &environment) {
        environment.remove(QStringLiteral("XDG_CACHE_HOME"));
        environment.insert(QStringLiteral("HOME"), home);
    });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains(QLatin1String("customers c"))) << run.Out.toStdString();
    EXPECT_EQ(QDir(home + QStringLiteral("/.cache/nvqb-demo")).entryList({QStringLiteral("orderentry-*.db")}).size(), 1);
}

// An empty query prints no FROM keyword, which no server would take.
TEST_F(DemoProgramTest, AnEmptyQueryPrintsNoFrom)
{
    const TDemoRun run = RunProgram({QStringLiteral("--print-sql"), QStringLiteral("--sql"), QString()});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QStringLiteral("Select *\n"));
}

// The program's picture is compared with the same window made here, where
// the places of the boxes and the grid are known: each shows there as it
// renders on its own, with text in it.
TEST_F(DemoProgramTest, ScreenshotShowsTheDiagramBoxesAndTheResultGrid)
{
    Window->OpenSampleDatabase(Dir.path());
    const QImage local = RenderDemoWindow(*Window);
    const QList<QWidget *> boxes = VisibleBoxes(*Window);
    ASSERT_EQ(boxes.size(), 4);
    QTableView *grid = Window->ResultGrid()->View();
    ASSERT_GT(grid->model()->rowCount(), 0);

    const QString file = Dir.filePath(QStringLiteral("demo.png"));
    const TDemoRun run = RunProgram({QStringLiteral("--screenshot"), file});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QImage picture(file);
    ASSERT_FALSE(picture.isNull());
    ASSERT_EQ(picture.size(), local.size());

    for (QWidget *box : boxes) {
        const QRect rect = RectInWindow(*Window, box);
        EXPECT_GT(SameShare(picture, rect, box->grab().toImage()), 0.95) << rect.x() << "," << rect.y();
        EXPECT_GT(DarkPixels(picture, rect), 100);
    }
    QWidget *viewport = grid->viewport();
    const QRect cells = RectInWindow(*Window, viewport);
    EXPECT_GT(SameShare(picture, cells, viewport->grab().toImage()), 0.95);
    const QRect firstRow(cells.x(), cells.y(), cells.width(), grid->rowHeight(0));
    EXPECT_GT(DarkPixels(picture, firstRow), 50);
    // Below the last row the grid is empty.
    const int end = cells.y() + grid->rowViewportPosition(grid->model()->rowCount() - 1) + 2 * grid->rowHeight(0);
    if (end < cells.bottom()) {
        EXPECT_EQ(DarkPixels(picture, QRect(cells.x(), end, cells.width(), cells.bottom() - end)), 0);
    }

    QDir().mkpath(QStringLiteral(NVQB_SCREENSHOT_DIR));
    picture.save(QStringLiteral(NVQB_SCREENSHOT_DIR "/demo-window.png"));
    if (qEnvironmentVariableIntValue("NVQB_WRITE_DOC_IMAGES") == 1)
        picture.save(QStringLiteral(NVQB_DOC_IMAGE_DIR "/demo-window.png"));
}

} // namespace nvqb::test
