// The demo against the PostgreSQL server of the test command: connected,
// its metadata loaded, two tables of a foreign key added and their rows
// shown; a slow query runs without stopping the window and can be stopped.
#include "DemoTestSupport.h"
#include "adoprovider/OdbcTestSupport.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/dialogs/MetadataContainerLoad.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "demos/window/DemoCommandLine.h"
#include "demos/window/ResultGrid.h"
#include "demos/window/StatusLabel.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

namespace nvqb::test {

namespace {

// Counts the paint events a widget gets.
class TPaintCounter : public QObject {
public:
    int Count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        Count += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class DemoPostgresTest : public OdbcDatabaseTest {
protected:
    void SetUp() override
    {
        OdbcDatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        SetErrorHandler([this](const QString &message) { Errors.append(message); });
        Window = std::make_unique<TnvDemoWindow>();
        // Only the test's schema: the server lists its own catalogue besides.
        Window->QueryBuilder()->MetadataFilter()->Add()->SchemaMask = Schema();
        Window->Connect(ConnectionString());
    }

    void TearDown() override
    {
        Window.reset();
        QApplication::processEvents();
        SetErrorHandler(nullptr);
        OdbcDatabaseTest::TearDown();
    }

    QStringList SchemaStatements() override
    {
        return OdbcDatabaseTest::SchemaStatements() +
               QStringList{
                   "insert into parents values (1, 1, 1, 'one'), (2, 2, 2, 'two')",
                   "insert into children values (10, 1, 1, 1, 1, 'ten'), (11, 2, 2, 2, 2, 'eleven')",
                   "insert into items values (100, 10, 'apple', 1.50, '2025-01-02', 1),"
                   " (101, 11, 'pear', 2.25, '2025-01-03', 0), (102, 10, 'plum', 0.75, null, 1)",
                   // Rows that take ten minutes: longer than any test may
                   // run, so a query that is not stopped fails its test.
                   "create view slow_rows as select 1 as n from pg_sleep(600)",
               };
    }

    TnvUnionSubQuery *Part() const { return Window->QueryBuilder()->CurrentSubquery()->CurrentUnionSubQuery(); }

    // The first value of the query, on the test's own connection.
    qint64 Count(const QString &sql) const { return FirstNumber(Connection.get(), sql); }

    std::unique_ptr<TnvDemoWindow> Window;
    QStringList Errors;
};

TEST_P(DemoPostgresTest, ConnectedTablesOfAForeignKeyShowTheirRows)
{
    TnvMetadataContainer *container = Window->QueryBuilder()->MetadataContainer();
    EXPECT_EQ(container->Count(), 5);
    Window->show();

    // The metadata again, as a user loads it: File / Load Metadata... and
    // the wizard's pages, the connection's database checked and a rule for
    // the test's schema.
    container->Clear();
    QAction *load = FindAction(Window->menuBar(), QStringLiteral("Load Metadata..."));
    ASSERT_NE(load, nullptr);
    QStringList pages;
    WhenModalArrives([&](QWidget *window) {
        auto *wizard = qobject_cast<TfnvQBMetadataContainerLoad *>(window);
        if (!wizard) {
            ADD_FAILURE() << "the load wizard did not open";
            window->close();
            return;
        }
        for (int step = 0; step < 8 && !wizard->bLoad->isVisible(); ++step) {
            const QString page = wizard->pcPages->currentWidget()->objectName();
            pages << page;
            if (page == QLatin1String("tsLoadOpts"))
                for (int row = 0; row < wizard->lDatabases->count(); ++row)
                    if (wizard->lDatabases->item(row)->text().startsWith(Connection->DefaultDatabase()))
                        wizard->lDatabases->item(row)->setCheckState(Qt::Checked);
            QTest::mouseClick(wizard->bNext, Qt::LeftButton);
        }
        pages << wizard->pcPages->currentWidget()->objectName();
        QTest::mouseClick(wizard->sbAddNewItem, Qt::LeftButton);
        wizard->edFilterSchemaName->setText(Schema());
        QTest::mouseClick(wizard->bLoad, Qt::LeftButton);
        pages << wizard->pcPages->currentWidget()->objectName();
        QTest::mouseClick(wizard->bClose, Qt::LeftButton);
        if (wizard->isVisible())
            wizard->reject();
    });
    load->trigger();
    EXPECT_EQ(pages, (QStringList{"tsWelcome", "tsMetadataOpts", "tsLoadOpts", "tsFilter", "tsLoading"}));
    EXPECT_EQ(container->Count(), 5);

    ASSERT_TRUE(WaitFor([&] { return DemoWindowShown(*Window); }, 60000));

    // The wizard loaded the database the user checked by its name, so the
    // objects carry it.
    const QString prefix = Connection->DefaultDatabase() + QLatin1Char('.') + Schema();
    ASSERT_NE(container->FindObjectByName(QStringLiteral("items"), Schema(), Connection->DefaultDatabase()), nullptr);
    Part()->AddObjectWithFK(prefix + QStringLiteral(".items"));
    Part()->AddObjectWithFK(prefix + QStringLiteral(".children"));
    ASSERT_EQ(Part()->FromGroup()->GetLinksCount(), 1) << Window->QueryBuilder()->SQL().toStdString();
    ASSERT_TRUE(WaitFor([&] { return VisibleBoxes(*Window).size() == 2; }, 60000));

    TnvResultGrid *grid = Window->ResultGrid();
    Window->RunQuery();
    ASSERT_TRUE(grid->WaitForResult(60000));
    ASSERT_TRUE(grid->LastError().isEmpty()) << grid->LastError().toStdString();
    QStandardItemModel *rows = grid->Model();
    ASSERT_EQ(rows->rowCount(), 3);
    QStringList labels, notes;
    for (int c = 0; c < rows->columnCount(); ++c) {
        const QString header = rows->headerData(c, Qt::Horizontal).toString();
        for (int r = 0; r < rows->rowCount(); ++r) {
            if (header == QLatin1String("label"))
                labels << rows->item(r, c)->text();
            if (header == QLatin1String("note"))
                notes << rows->item(r, c)->text();
        }
    }
    labels.sort();
    notes.sort();
    EXPECT_EQ(labels, (QStringList{"apple", "pear", "plum"}));
    EXPECT_EQ(notes, (QStringList{"eleven", "ten", "ten"}));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

TEST_P(DemoPostgresTest, SlowQueryKeepsTheWindowPaintingAndIsCancelled)
{
    Window->show();
    Window->SetAutoRun(false);
    Window->SetSQL(QStringLiteral("Select s.n From %1.slow_rows s").arg(Schema()));
    TnvResultGrid *grid = Window->ResultGrid();
    TPaintCounter painted;
    grid->StatusLabel()->installEventFilter(&painted);

    Window->RunQuery();
    ASSERT_TRUE(grid->IsRunning());
    EXPECT_TRUE(grid->CancelButton()->isEnabled());
    // The status line counts the seconds while the database sleeps: it is
    // painted again and again while the query still runs.
    ASSERT_TRUE(WaitFor([&] { return painted.Count >= 5 || !grid->IsRunning(); }, 120000));
    EXPECT_GE(painted.Count, 5);
    ASSERT_TRUE(grid->IsRunning());
    EXPECT_TRUE(grid->StatusLabel()->FullText().startsWith(QStringLiteral("Running")));

    // Cancelled, the query ends long before the database would end it.
    QTest::mouseClick(grid->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !grid->IsRunning(); }, 120000));
    EXPECT_EQ(grid->StatusLabel()->FullText(), QStringLiteral("Cancelled"));
    EXPECT_FALSE(grid->CancelButton()->isEnabled());

    // The next run works as before.
    Window->SetSQL(QStringLiteral("Select p.name From %1.parents p").arg(Schema()));
    Window->RunQuery();
    ASSERT_TRUE(grid->WaitForResult(60000));
    EXPECT_TRUE(grid->LastError().isEmpty()) << grid->LastError().toStdString();
    EXPECT_EQ(grid->Model()->rowCount(), 2);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

// A window closed while its query runs stops the query and waits for it: a
// window that only waited would wait ten minutes, past the test's time.
TEST_P(DemoPostgresTest, ClosingWhileAQueryRunsStopsIt)
{
    Window->SetAutoRun(false);
    Window->SetSQL(QStringLiteral("Select s.n From %1.slow_rows s").arg(Schema()));
    Window->RunQuery();
    ASSERT_TRUE(Window->ResultGrid()->IsRunning());
    Window.reset();
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

// The server ends the window's session: the columns of the next table
// cannot be read, and the window keeps the reason for a run without a user.
TEST_P(DemoPostgresTest, ColumnsLostWithTheSessionAreKeptAsAFailure)
{
    EXPECT_TRUE(Window->MetadataReadError().isEmpty());
    const qint64 backend = FirstNumber(Window->Connection(), QStringLiteral("select pg_backend_pid()"));
    Connection->Execute(QStringLiteral("select pg_terminate_backend(%1)").arg(backend));
    ASSERT_TRUE(WaitFor([&] { return Count(QStringLiteral("select count(*) from pg_stat_activity where pid = %1")
                                               .arg(backend)) == 0; },
                        EventuallyTimeoutMs));

    Window->SetSQL(QStringLiteral("Select p.name From %1.parents p").arg(Schema()));
    EXPECT_TRUE(Window->MetadataReadError().contains(QStringLiteral("terminat"), Qt::CaseInsensitive))
        << Window->MetadataReadError().toStdString();
}

// The server ends the sessions of a screenshot run while its query runs:
// the run ends with 1, the server's reason on standard error, and writes no
// picture.
TEST_P(DemoPostgresTest, ASessionEndedWhileTheQueryRunsEndsTheRunWithOne)
{
    // The program's sessions are found by an application name of the test's own.
    const QString tag = QStringLiteral("nvqb_lost_") + Schema();
    QString connectionString = ConnectionString();
    const QString settings = QStringLiteral("ConnSettings={set search_path to %1}").arg(Schema());
    ASSERT_TRUE(connectionString.contains(settings));
    connectionString.replace(settings, QStringLiteral("ConnSettings={set search_path to %1;set application_name to '%2'}")
                                           .arg(Schema(), tag));
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("lost.png"));
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    demo.setProcessEnvironment(environment);
    demo.start(QStringLiteral(NVQB_DEMO_PROGRAM),
               {QStringLiteral("--connect"), connectionString, QStringLiteral("--screenshot"), picture,
                QStringLiteral("--sql"), QStringLiteral("Select s.n From %1.slow_rows s").arg(Schema())});
    // Only the query itself counts: the window's probe of the view's columns
    // ("select * from ...slow_rows where 0<>0") names it too, and a session
    // ended under that probe ends the run before its query, as a failed
    // metadata read.
    auto running = [&] {
        return Count(QStringLiteral("select count(*) from pg_stat_activity where application_name = '%1'"
                                    " and state = 'active' and query ~ 'slow_rows\\s+s\\M'")
                         .arg(tag)) > 0;
    };
    const bool started = WaitFor(running, ProcessTimeoutMs);
    // Every session of the program is ended until it gives up, also one it
    // opens again.
    QDeadlineTimer deadline(ProcessTimeoutMs);
    bool finished = false;
    while (started && !finished && !deadline.hasExpired()) {
        Connection->Execute(
            QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where application_name = '%1'")
                .arg(tag));
        finished = demo.waitForFinished(200);
    }
    if (!finished)
        demo.kill();
    demo.waitForFinished(ProcessTimeoutMs);
    const QString err = QString::fromUtf8(demo.readAllStandardError());
    ASSERT_TRUE(started) << err.toStdString();
    ASSERT_TRUE(finished) << err.toStdString();
    EXPECT_EQ(demo.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("nvqb-demo: The query failed: "))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("terminat"), Qt::CaseInsensitive) ||
                err.contains(QStringLiteral("closed"), Qt::CaseInsensitive))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(picture));
}

INSTANTIATE_TEST_SUITE_P(PostgreSQL, DemoPostgresTest, ::testing::Values(Backend::PostgreSQL), BackendName);

// Tables made with quoted names: the order lines under one name in mixed,
// lower and upper case, each with rows of its own, and the orders they
// belong to. The demo's dialect is the SQL-92 one at its default.
class DemoPostgresCaseTest : public DemoPostgresTest {
protected:
    QStringList SchemaStatements() override
    {
        return {"create table \"Orders\" (\"OrderId\" integer primary key, \"Customer\" varchar(20))",
                "create table \"OrderLines\" (\"OrderId\" integer references \"Orders\", \"Qty\" integer)",
                "create table orderlines (orderid integer, qty integer)",
                "create table \"ORDERLINES\" (\"ORDERID\" integer, \"QTY\" integer)",
                "insert into \"Orders\" values (1, 'ann'), (2, 'bob')",
                "insert into \"OrderLines\" values (1, 3), (2, 5)",
                "insert into orderlines values (1, 70)",
                "insert into \"ORDERLINES\" values (2, 900)"};
    }

    // The result's rows, each its cells joined by blanks, sorted.
    QStringList Rows(const QString &sql)
    {
        Window->SetSQL(sql);
        Window->RunQuery();
        TnvResultGrid *grid = Window->ResultGrid();
        if (!grid->WaitForResult(60000) || !grid->LastError().isEmpty())
            return {QStringLiteral("error: ") + grid->LastError()};
        QStringList rows;
        for (int r = 0; r < grid->Model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid->Model()->columnCount(); ++c)
                cells << grid->Model()->item(r, c)->text();
            rows << cells.join(u' ');
        }
        rows.sort();
        return rows;
    }
};

TEST_P(DemoPostgresCaseTest, QuotedMixedCaseNamesComeBackQuotedAndRun)
{
    TnvQueryBuilder *qb = Window->QueryBuilder();
    // Four tables, none taking the place of another of its name in other case.
    EXPECT_EQ(qb->MetadataContainer()->Count(), 4);
    const QString mixed = QStringLiteral("select o.\"Customer\", l.\"Qty\" from %1.\"Orders\" o"
                                         " inner join %1.\"OrderLines\" l on l.\"OrderId\" = o.\"OrderId\"")
                              .arg(Schema());
    EXPECT_EQ(Rows(mixed), (QStringList{"ann 3", "bob 5"}));
    EXPECT_EQ(qb->SQL(), QStringLiteral("Select o.\"Customer\", l.\"Qty\" From %1.\"Orders\" o Inner Join"
                                        " %1.\"OrderLines\" l On l.\"OrderId\" = o.\"OrderId\"")
                             .arg(Schema()));
    // The printed SQL, assigned again, is the same query.
    const QString printed = qb->SQL();
    Window->SetSQL(printed);
    EXPECT_EQ(qb->SQL(), printed);

    // Each of the three order-line tables answers with its own rows.
    EXPECT_EQ(Rows(QStringLiteral("select l.qty from %1.orderlines l").arg(Schema())), QStringList{"70"});
    EXPECT_EQ(qb->SQL(), QStringLiteral("Select l.qty From %1.orderlines l").arg(Schema()));
    EXPECT_EQ(Rows(QStringLiteral("select l.\"QTY\" from %1.\"ORDERLINES\" l").arg(Schema())), QStringList{"900"});
    EXPECT_EQ(Rows(QStringLiteral("select l.\"Qty\" from %1.\"OrderLines\" l").arg(Schema())),
              (QStringList{"3", "5"}));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(PostgreSQL, DemoPostgresCaseTest, ::testing::Values(Backend::PostgreSQL), BackendName);

} // namespace nvqb::test
