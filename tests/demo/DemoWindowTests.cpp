// The demo's window over its sample database: the database it makes, the
// SQL pane both ways, the statistics, the result grid and the menus.
#include "DemoTestSupport.h"
#include "adoprovider/OdbcConnection.h"
#include "builder/controls/PageControl.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/SQLTextBuilder.h"
#include "demos/window/DemoCommandLine.h"
#include "demos/window/ResultGrid.h"
#include "demos/window/SQLTextPane.h"
#include "demos/window/SampleDatabase.h"
#include "demos/window/StatisticsPane.h"
#include "demos/window/StatusLabel.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/metadata/MetadataRelations.h"
#include "support/LanguageManager.h"
#include "adoprovider/DataLinkDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QThread>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

namespace nvqb::test {

class SampleDatabaseTest : public DemoWindowTest {
protected:
    void SetUp() override
    {
        DemoWindowTest::SetUp();
        Window->OpenSampleDatabase(Dir.path());
    }

    TnvMetadataObject *Find(const QString &name) const
    {
        TnvMetadataContainer *container = Window->QueryBuilder()->MetadataContainer();
        for (qsizetype i = 0; i < container->Count(); ++i)
            if (container->Items(i)->GetNameStrNotQuoted() == name)
                return container->Items(i);
        return nullptr;
    }

    qint64 Count(const QString &sql) const { return FirstNumber(Window->Connection(), sql); }
};

TEST(SampleScriptTest, SplitsStatementsAtLineEndSemicolonsAndDropsComments)
{
    EXPECT_EQ(SplitSQLScript(QStringLiteral("-- a comment\ncreate table t (\n  a integer -- why\n);\n\n"
                                            "insert into t values (1);\n-- end\nselect 'x;y' from t")),
              (QStringList{QStringLiteral("create table t (\n  a integer -- why\n)"),
                           QStringLiteral("insert into t values (1)"), QStringLiteral("select 'x;y' from t")}));
}

TEST_F(SampleDatabaseTest, HoldsTheOrderEntrySchemaWithATwoColumnKey)
{
    ASSERT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
    QMap<QString, QString> kinds;
    TnvMetadataContainer *container = Window->QueryBuilder()->MetadataContainer();
    for (qsizetype i = 0; i < container->Count(); ++i)
        kinds.insert(container->Items(i)->GetNameStrNotQuoted(), container->Items(i)->ClassName());
    const QMap<QString, QString> expected = {
        {"customers", "TnvMetadataTable"},   {"deliveries", "TnvMetadataTable"},
        {"employees", "TnvMetadataTable"},   {"order_lines", "TnvMetadataTable"},
        {"orders", "TnvMetadataTable"},      {"products", "TnvMetadataTable"},
        {"suppliers", "TnvMetadataTable"},   {"order_totals", "TnvMetadataView"},
        {"product_sales", "TnvMetadataView"}};
    EXPECT_EQ(kinds, expected);

    TnvMetadataObject *lines = Find(QStringLiteral("order_lines"));
    ASSERT_NE(lines, nullptr);
    QStringList relations;
    for (qsizetype i = 0; i < lines->GetRelations()->Count(); ++i) {
        const TnvMetadataRelation *relation = lines->GetRelations()->Items(i);
        QStringList pairs;
        for (qsizetype k = 0; k < relation->KeyFields()->Count(); ++k)
            pairs << relation->KeyFields()->Items(k)->GetQualifiedNameWithoutQuotes() + QStringLiteral("->") +
                         relation->ChildFields()->Items(k)->GetQualifiedNameWithoutQuotes();
        relations << relation->GetChildNameStrNotQuoted() + u'(' + pairs.join(QStringLiteral(", ")) + u')';
    }
    EXPECT_EQ(relations, QStringList{QStringLiteral("deliveries(order_id->order_id, line_no->line_no)")});

    // Some hundred rows, every order with lines.
    EXPECT_GE(Count(QStringLiteral("select (select count(*) from customers) + (select count(*) from orders)"
                                   " + (select count(*) from order_lines) + (select count(*) from products)"
                                   " + (select count(*) from suppliers) + (select count(*) from employees)"
                                   " + (select count(*) from deliveries)")),
              100);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from orders o where not exists"
                                   " (select 1 from order_lines l where l.order_id = o.order_id)")),
              0);
}

// A query without sources has nothing to read: it is not sent to the
// server, whose refusal would fill the status line.
TEST_F(SampleDatabaseTest, AQueryWithoutSourcesIsNotRun)
{
    TnvResultGrid *grid = Window->ResultGrid();
    Window->QueryBuilder()->Clear();
    EXPECT_EQ(Window->QueryBuilder()->SQL(), QStringLiteral("Select *"));
    Window->RunQuery();
    EXPECT_FALSE(grid->IsRunning());
    EXPECT_TRUE(grid->LastError().isEmpty()) << grid->LastError().toStdString();
    EXPECT_EQ(grid->Model()->rowCount(), 0);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

TEST_F(SampleDatabaseTest, IsMadeOnceAndThenReused)
{
    const QString fileName = EnsureSampleDatabase(Dir.path());
    const QDateTime made = QFileInfo(fileName).lastModified();
    QThread::msleep(20);
    EXPECT_EQ(EnsureSampleDatabase(Dir.path()), fileName);
    EXPECT_EQ(QFileInfo(fileName).lastModified(), made);
    // No half-made file is left beside it.
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{QFileInfo(fileName).fileName()});
}

TEST_F(SampleDatabaseTest, ResultGridShowsTheRowsOfTheQueryAndOnlyTheFirstOnes)
{
    TnvResultGrid *grid = Window->ResultGrid();
    Window->RunQuery();
    ASSERT_TRUE(grid->WaitForResult(60000));
    EXPECT_TRUE(grid->LastError().isEmpty()) << grid->LastError().toStdString();
    const qint64 german = Count(QStringLiteral(
        "select count(*) from order_lines l join orders o on o.order_id = l.order_id"
        " join customers c on c.customer_id = o.customer_id where c.country = 'Germany'"));
    ASSERT_GT(german, 0);
    EXPECT_EQ(grid->Model()->rowCount(), german);
    EXPECT_EQ(grid->Model()->columnCount(), 6);
    EXPECT_EQ(grid->Model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("product_name"));

    // A change of the query runs it again by itself; a large result stops
    // at the first rows.
    Window->SetSQL(QStringLiteral("Select a.order_id, b.line_no From order_lines a, order_lines b"));
    ASSERT_TRUE(WaitFor([&] { return !grid->IsRunning() && grid->Model()->columnCount() == 2; }, 60000));
    EXPECT_EQ(grid->Model()->rowCount(), TnvResultGrid::MaxRows);
    EXPECT_TRUE(grid->StatusLabel()->FullText().contains(QStringLiteral("first 200"))) <<
        grid->StatusLabel()->FullText().toStdString();

    // The database's refusal is shown in the status line, not raised.
    Window->SetSQL(QStringLiteral("Select o.no_such_column From orders o"));
    Window->RunQuery();
    ASSERT_TRUE(grid->WaitForResult(60000));
    EXPECT_TRUE(grid->LastError().contains(QStringLiteral("no_such_column"))) << grid->LastError().toStdString();
    EXPECT_TRUE(grid->StatusLabel()->FullText().contains(QStringLiteral("no_such_column")));
    EXPECT_TRUE(Errors.isEmpty());
}

// A message of thousands of characters, from the database or from the
// parser, shows as one line cut to the room there is, the whole of it in the
// tool tip: the window keeps its size and the SQL pane its width.
TEST_F(SampleDatabaseTest, ALongMessageLeavesTheWindowAndItsPanesTheirSize)
{
    Window->show();
    ASSERT_TRUE(WaitFor([&] { return Window->isVisible() && Window->SQLPane()->width() > 100; },
                        EventuallyTimeoutMs));
    QApplication::processEvents();
    const QSize windowSize = Window->size();
    const int paneWidth = Window->SQLPane()->width();
    const QString column = QStringLiteral("no_such_column_") + QString(3000, u'x');

    TnvResultGrid *grid = Window->ResultGrid();
    Window->SetSQL(QStringLiteral("Select o.%1 From orders o").arg(column));
    Window->RunQuery();
    ASSERT_TRUE(grid->WaitForResult(EventuallyTimeoutMs));
    // The driver manager keeps some 500 characters of a message: enough.
    ASSERT_TRUE(grid->LastError().contains(column.left(300))) << grid->LastError().left(200).toStdString();
    TnvSQLTextPane *pane = Window->SQLPane();
    pane->Editor()->setPlainText(QStringLiteral("Select o.order_id From orders o Where ") + column + u' ' + column);
    pane->ApplyText();
    ASSERT_TRUE(pane->StatusLine()->FullText().contains(column)) << pane->StatusLine()->FullText().left(200).toStdString();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();

    EXPECT_EQ(Window->size(), windowSize);
    EXPECT_LE(Window->minimumSizeHint().width(), windowSize.width());
    EXPECT_EQ(pane->width(), paneWidth);
    for (TnvStatusLabel *label : {grid->StatusLabel(), pane->StatusLine()}) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
        EXPECT_TRUE(label->text().endsWith(QChar(0x2026))) << label->text().toStdString();
        EXPECT_EQ(label->toolTip(), label->FullText());
    }
    EXPECT_EQ(grid->StatusLabel()->FullText(), grid->LastError().simplified());
}

TEST_F(SampleDatabaseTest, SQLPaneFollowsTheQueryAndGivesEditsBack)
{
    TnvSQLTextPane *pane = Window->SQLPane();
    QPlainTextEdit *editor = pane->Editor();
    EXPECT_EQ(editor->toPlainText(), pane->SQLBuilder()->SQL().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(editor->toPlainText().contains(QStringLiteral("order_lines")));

    editor->setFocus();
    editor->setPlainText(QStringLiteral("Select e.last_name From employees e"));
    ASSERT_TRUE(WaitFor([&] { return Window->QueryBuilder()->SQL().contains(QStringLiteral("employees")); },
                        60000));
    EXPECT_TRUE(pane->StatusLine()->FullText().isEmpty());

    // Text that does not parse leaves the query alone and says where it stopped.
    const QString before = Window->QueryBuilder()->SQL();
    editor->setPlainText(QStringLiteral("Select e.last_name From From employees e"));
    pane->ApplyText();
    EXPECT_EQ(Window->QueryBuilder()->SQL(), before);
    EXPECT_TRUE(pane->StatusLine()->FullText().startsWith(QStringLiteral("Line 1, column"))) <<
        pane->StatusLine()->FullText().toStdString();
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();

    // The same text through the window's SetSQL raises the parser's message.
    EXPECT_THROW(Window->SetSQL(QStringLiteral("Select From From")), Exception);
    EXPECT_EQ(Window->QueryBuilder()->SQL(), before);
}

TEST_F(SampleDatabaseTest, StatisticsListObjectsColumnsAndParameters)
{
    Window->SetSQL(QStringLiteral(
        "Select o.order_id, c.company_name From orders o Inner Join customers c On c.customer_id = o.customer_id"
        " Where o.employee_id = :emp"));
    QTreeWidget *statistics = Window->StatisticsPane()->Statistics();
    ASSERT_EQ(statistics->topLevelItemCount(), 3);
    EXPECT_EQ(statistics->topLevelItem(0)->text(0), QStringLiteral("Used objects (2)"));
    EXPECT_EQ(statistics->topLevelItem(2)->text(0), QStringLiteral("Output columns (2)"));
    EXPECT_EQ(statistics->topLevelItem(2)->child(1)->text(0), QStringLiteral("c.company_name"));
    QTreeWidget *parameters = Window->StatisticsPane()->Parameters();
    ASSERT_EQ(parameters->topLevelItemCount(), 1);
    EXPECT_EQ(parameters->topLevelItem(0)->text(0), QStringLiteral(":emp"));
    EXPECT_EQ(parameters->topLevelItem(0)->text(1), QStringLiteral("o.employee_id"));
    EXPECT_EQ(parameters->topLevelItem(0)->text(2), QStringLiteral("="));
}

TEST_F(SampleDatabaseTest, MenusChangeTheControlsOptions)
{
    TnvQueryBuilder *qb = Window->QueryBuilder();
    QMenuBar *bar = Window->menuBar();

    const QString painter = qb->LinkPainterClassName();
    QMenu *styles = FindAction(bar, QStringLiteral("Link Painter Style"))->menu();
    ASSERT_GE(styles->actions().size(), 3);
    for (QAction *action : styles->actions())
        if (action->data().toString() != painter) {
            action->trigger();
            EXPECT_EQ(qb->LinkPainterClassName(), action->data().toString());
            break;
        }
    EXPECT_NE(qb->LinkPainterClassName(), painter);

    const bool snap = qb->SnapToGrid();
    QAction *snapAction = FindAction(bar, QStringLiteral("Snap to grid"));
    ASSERT_NE(snapAction, nullptr);
    QMenu *display = FindAction(bar, QStringLiteral("Display"))->menu();
    emit display->aboutToShow();
    EXPECT_EQ(snapAction->isChecked(), snap);
    snapAction->trigger();
    EXPECT_EQ(qb->SnapToGrid(), !snap);

    QMenu *tabStyles = FindAction(bar, QStringLiteral("Tab style"))->menu();
    ASSERT_EQ(tabStyles->actions().size(), 3);
    tabStyles->actions().at(2)->trigger();
    EXPECT_EQ(qb->TabStyle(), tsFlatButtons);

    // The background and tab options reach what the control paints.
    EXPECT_NE(FindAction(bar, QStringLiteral("Bk image...")), nullptr);
    QMenu *imagePos = FindAction(bar, QStringLiteral("Bk image pos"))->menu();
    ASSERT_EQ(imagePos->actions().size(), 2);
    imagePos->actions().at(1)->trigger();
    EXPECT_EQ(qb->BkImagePos(), bkipTile);
    QAction *hotTrack = FindAction(bar, QStringLiteral("Tab hot track"));
    ASSERT_NE(hotTrack, nullptr);
    hotTrack->trigger();
    EXPECT_TRUE(qb->TabHotTrack());
    EXPECT_TRUE(qb->PageControl()->QueryTabBar()->HotTrack());

    QMenu *languages = FindAction(bar, QStringLiteral("Language"))->menu();
    EXPECT_EQ(languages->actions().size(), 1 + nvQBLanguageManager()->GetLanguagesCount());
    FindAction(languages, QStringLiteral("Russian"))->trigger();
    ASSERT_NE(nvQBLanguageManager()->CurrentLanguage(), nullptr);
    EXPECT_EQ(nvQBLanguageManager()->CurrentLanguage()->Name(), QByteArray("Russian"));
    languages->actions().at(0)->trigger();
    EXPECT_EQ(nvQBLanguageManager()->CurrentLanguage(), nullptr);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

// File / Connect... asks the data-link dialog for the string and connects
// with what it gives; Cancel keeps the window as it was.
TEST_F(SampleDatabaseTest, ConnectMenuConnectsWithTheDataLinkDialogsString)
{
    const QString sample = Window->ConnectionString();
    Window->Disconnect();
    Window->QueryBuilder()->MetadataContainer()->Clear();
    QAction *connect = FindAction(Window->menuBar(), QStringLiteral("Connect..."));
    ASSERT_NE(connect, nullptr);
    auto answer = [](const QString &text, const char *button) {
        WhenModalArrives([text, button](QWidget *window) {
            auto *dialog = qobject_cast<TnvDataLinkDialog *>(window);
            if (!dialog) {
                ADD_FAILURE() << "the data-link dialog did not open";
                window->close();
                return;
            }
            if (!text.isNull())
                dialog->eConnectionString->setPlainText(text);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
        });
    };
    answer(sample, "bCancel");
    connect->trigger();
    EXPECT_TRUE(Window->ConnectionString().isEmpty());

    answer(sample, "bOk");
    connect->trigger();
    EXPECT_EQ(Window->ConnectionString(), sample);
    EXPECT_EQ(Window->QueryBuilder()->MetadataContainer()->Count(), 9);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();

    // A string the driver manager refuses is reported, and leaves no connection.
    answer(QStringLiteral("Driver=No Such Driver"), "bOk");
    connect->trigger();
    EXPECT_TRUE(Window->ConnectionString().isEmpty());
    ASSERT_EQ(Errors.size(), 1);
}

// The status bar and the messages name the connection, never its password,
// however the password is written.
TEST_F(SampleDatabaseTest, TheConnectionIsShownWithoutItsPassword)
{
    const QString sample = Window->ConnectionString();
    auto *label = Window->findChild<QLabel *>(QStringLiteral("lConnection"));
    ASSERT_NE(label, nullptr);
    for (const QString &password : {QStringLiteral("PWD={se;cret}"), QStringLiteral("pwd = {se;c}}ret} "),
                                    QStringLiteral("Password=secret")}) {
        SCOPED_TRACE(password.toStdString());
        Window->Connect(sample + u';' + password);
        EXPECT_TRUE(label->text().startsWith(QStringLiteral("Connected: ") + sample + u';')) << label->text().toStdString();
        EXPECT_TRUE(label->text().endsWith(QStringLiteral("=***"))) << label->text().toStdString();
        for (const char *secret : {"se;", "cret", "c}"})
            EXPECT_FALSE(label->text().contains(QLatin1String(secret))) << label->text().toStdString();
    }
    Errors.clear();
    nvQBCatchAll([&] { Window->Connect(QStringLiteral("Driver=No Such Driver;PWD={se;cret}")); });
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_FALSE(Errors[0].contains(QStringLiteral("cret"))) << Errors[0].toStdString();
    EXPECT_EQ(label->text(), QStringLiteral("Not connected"));
}

TEST_F(SampleDatabaseTest, MetadataAndLayoutFilesComeBack)
{
    const QString metadata = Dir.filePath(QStringLiteral("metadata.xml"));
    const QString layout = Dir.filePath(QStringLiteral("query.qbl"));
    const QString sql = Window->QueryBuilder()->SQL();
    Window->SaveMetadataFile(metadata);
    Window->SaveLayoutFile(layout);

    TnvDemoWindow other;
    other.LoadMetadataFile(metadata);
    EXPECT_EQ(other.QueryBuilder()->MetadataContainer()->Count(),
              Window->QueryBuilder()->MetadataContainer()->Count());
    other.LoadLayoutFile(layout);
    EXPECT_EQ(other.QueryBuilder()->SQL(), sql);
    EXPECT_THROW(other.LoadLayoutFile(Dir.filePath(QStringLiteral("missing.qbl"))), Exception);
}

} // namespace nvqb::test
