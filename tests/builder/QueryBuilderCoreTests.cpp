// The query builder's own side: SQL assigned through the posted load, the
// options with their limits, metadata operations, the link painter and the
// popup menu, headless and through the widget.
#include "BuilderTestSupport.h"

#include "builder/controls/QueryBuilder.h"
#include "builder/model/BusyCursor.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/LinkPainter.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "support/LanguageManager.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>

namespace nvqb::test {
namespace {

// Counts the load events delivered to the query builder's receiver.
class TEventCounter : public QObject {
public:
    int Count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() >= QEvent::User)
            ++Count;
        return false;
    }
};

class QueryBuilderCoreTest : public BuilderTest {
protected:
    TEventCounter events;
    QString empty;

    void SetUp() override
    {
        BuilderTest::SetUp();
        qb->SQLLoadReceiver()->installEventFilter(&events);
        empty = SQL();
    }
    // Handles the load events posted so far.
    void RunEvents() { QCoreApplication::sendPostedEvents(qb->SQLLoadReceiver()); }
    // Loads the text through the posted event and forgets what that counted.
    void Assign(const QString &sql)
    {
        qb->SetSQL(sql);
        RunEvents();
        events.Count = 0;
        qb->SQLUpdatedCount = 0;
    }
};

// ---------------------------------------------------------------------------
// SQL in

TEST_F(QueryBuilderCoreTest, AssignedSQLLoadsWhenThePostedEventIsHandled)
{
    qb->SQLUpdatedCount = 0;
    qb->SetSQL(QStringLiteral("SELECT * FROM a"));
    EXPECT_TRUE(qb->IsSQLLoading());
    EXPECT_SQL(qb->SQL(), empty);
    EXPECT_EQ(qb->SQLUpdatedCount, 0);

    RunEvents();
    EXPECT_FALSE(qb->IsSQLLoading());
    EXPECT_SQL(qb->SQL(), "Select * From a");
    EXPECT_EQ(qb->SQLUpdatedCount, 1);
    EXPECT_EQ(events.Count, 1);

    // Blank text loads an empty SELECT.
    qb->SetSyncSQL(QStringLiteral("  \n "));
    EXPECT_SQL(qb->SQL(), empty);
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
}

TEST_F(QueryBuilderCoreTest, TwoAssignmentsLoadOnlyTheSecond)
{
    qb->SQLUpdatedCount = 0;
    qb->SetSQL(QStringLiteral("Select a.x From a"));
    qb->SetSQL(QStringLiteral("Select b.y From b"));
    RunEvents();
    EXPECT_SQL(qb->SQL(), "Select b.y From b");
    EXPECT_EQ(qb->SQLUpdatedCount, 1);
    EXPECT_EQ(qb->SQLUpdatedTexts.last(), "Select b.y From b");
}

TEST_F(QueryBuilderCoreTest, TheCurrentSQLPostsNothingAndCancelsAPendingLoad)
{
    Assign(QStringLiteral("Select a.x From a"));
    qb->SetSQL(qb->SQL());
    EXPECT_FALSE(qb->IsSQLLoading());
    RunEvents();
    EXPECT_EQ(events.Count, 0);
    EXPECT_EQ(qb->SQLUpdatedCount, 0);

    // Written differently but printing the same is the same SQL.
    qb->SetSQL(QStringLiteral("select   a.x\n  from a"));
    EXPECT_FALSE(qb->IsSQLLoading());

    qb->SetSQL(QStringLiteral("Select b.y From b"));
    qb->SetSQL(QStringLiteral("Select a.x From a"));
    EXPECT_FALSE(qb->IsSQLLoading());
    RunEvents();
    EXPECT_SQL(qb->SQL(), "Select a.x From a");
    EXPECT_EQ(qb->SQLUpdatedCount, 0);
}

TEST_F(QueryBuilderCoreTest, AParseErrorGoesToOnSQLErrorOrToTheCaller)
{
    Assign(QStringLiteral("Select a.x From a"));

    // Without a handler the error reaches the caller and a pending load stays.
    qb->SetSQL(QStringLiteral("Select b.y From b"));
    EXPECT_THROW(qb->SetSQL(QStringLiteral("Select b.y, From b")), EnvSQLError);
    EXPECT_TRUE(qb->IsSQLLoading());
    RunEvents();
    EXPECT_SQL(qb->SQL(), "Select b.y From b");
    qb->SQLUpdatedCount = 0;

    // With one the query stays and a pending load is cancelled.
    QStringList reported;
    qb->OnSQLError = [&](TObject *sender, const QString &sql, const QString &error, const QString &token,
                         TnvPos pos) {
        EXPECT_EQ(sender, qb.get());
        reported << sql << token << QString::number(pos.Line) << QString::number(pos.Column);
        EXPECT_TRUE(error.contains(token)) << error.toStdString();
    };
    qb->SetSQL(QStringLiteral("Select a.x From a"));
    EXPECT_TRUE(qb->IsSQLLoading());
    EXPECT_NO_THROW(qb->SetSQL(QStringLiteral("Select b.y,\n From b")));
    EXPECT_SQL(reported, "Select b.y,\n From b | From | 2 | 2");
    EXPECT_FALSE(qb->IsSQLLoading());
    RunEvents();
    EXPECT_SQL(qb->SQL(), "Select b.y From b");
    EXPECT_EQ(qb->SQLUpdatedCount, 0);
}

TEST_F(QueryBuilderCoreTest, SyncSQLLoadsAtOnce)
{
    qb->SQLUpdatedCount = 0;
    qb->SetSyncSQL(QStringLiteral("Select a.x From a Inner Join b On a.id = b.a_id"));
    EXPECT_FALSE(qb->IsSQLLoading());
    EXPECT_SQL(qb->SQL(), "Select a.x From a Inner Join b On a.id = b.a_id");
    EXPECT_EQ(qb->SQLUpdatedCount, 1);
    RunEvents();
    EXPECT_EQ(qb->SQLUpdatedCount, 1);
}

TEST_F(QueryBuilderCoreTest, NoSyntaxProviderIsNamed)
{
    qb->SetSyntaxProvider(nullptr);
    EXPECT_SQL(ErrorOf([&] { qb->SetSQL(QStringLiteral("Select * From a")); }), "Syntax provider is not specified");
    EXPECT_SQL(ErrorOf([&] { qb->SetSQL(QString()); }), "Syntax provider is not specified");
    EXPECT_FALSE(qb->IsSQLLoading());
}

// ---------------------------------------------------------------------------
// Metadata

TEST_F(QueryBuilderCoreTest, RefreshMetadataNamesTheMissingProviderAndClosesItsBrackets)
{
    TnvMetadataContainer *container = qb->MetadataContainer();
    qb->SetSyntaxProvider(nullptr);
    EXPECT_SQL(ErrorOf([&] { qb->RefreshMetadata(); }), "Syntax provider is not specified");
    EXPECT_FALSE(container->IsUpdating());
    EXPECT_EQ(nvBusyCursorLevel(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    qb->SetSyntaxProvider(p);
    EXPECT_SQL(ErrorOf([&] { qb->RefreshMetadata(); }), "Metadata provider is not specified");
    EXPECT_FALSE(container->IsUpdating());
    EXPECT_EQ(nvBusyCursorLevel(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Nothing was cleared before the check.
    EXPECT_EQ(container->Count(), 3);
}

TEST_F(QueryBuilderCoreTest, ObjectNamesFollowKindVisibilityAndTheFilterEvents)
{
    TnvMetadataContainer *container = qb->MetadataContainer();
    container->AddView(QString(), QStringLiteral("v"));
    container->AddTable(QStringLiteral("s"), QStringLiteral("sys"), true);
    QStringList names;
    QList<TSQLQualifiedName *> fullNames;
    qb->GetTableNames(names, false, &fullNames);
    EXPECT_SQL(names, "a | b | c");
    ASSERT_EQ(fullNames.size(), 3);
    EXPECT_EQ(fullNames[1], container->FindTableByFullName(QStringLiteral("b"))->FullName());
    qb->GetTableNames(names, true);
    EXPECT_SQL(names, "sys");
    qb->GetViewNames(names);
    EXPECT_SQL(names, "v");
    container->FindTableByFullName(QStringLiteral("b"))->SetVisible(false);
    qb->GetTableNames(names);
    EXPECT_SQL(names, "a | c");

    EXPECT_TRUE(qb->IsNameOfTable(QStringLiteral("a")));
    EXPECT_FALSE(qb->IsNameOfView(QStringLiteral("a")));
    EXPECT_TRUE(qb->IsNameOfView(QStringLiteral("v")));
    EXPECT_FALSE(qb->IsNameOfProcedure(QStringLiteral("v")));

    QStringList asked;
    qb->OnFilterTable = [&](TnvQueryBuilderModel *, const QString &name, bool &visible) {
        asked << name;
        visible = name != u"s.sys";
    };
    EXPECT_TRUE(container->IsMetadataObjectVisible(container->FindTableByFullName(QStringLiteral("a"))));
    EXPECT_FALSE(container->IsMetadataObjectVisible(container->FindTableByFullName(QStringLiteral("s.sys"))));
    // Views ask their own event, which is not assigned.
    EXPECT_TRUE(container->IsMetadataObjectVisible(container->FindViewByFullName(QStringLiteral("v"))));
    EXPECT_SQL(asked, "a | s.sys");
}

TEST_F(QueryBuilderCoreTest, MetadataIsStoredOnlyWhenLoaded)
{
    EXPECT_TRUE(qb->IsMetadataStored());
    TOwned<TTestQueryBuilder> other = Create<TTestQueryBuilder>();
    other->SetSyntaxProvider(p);
    EXPECT_FALSE(other->IsMetadataStored());
    other->SetMetadataXML(qb->GetMetadataXML());
    EXPECT_TRUE(other->IsNameOfTable(QStringLiteral("c")));
    EXPECT_SQL(other->GetMetadataXML(), qb->GetMetadataXML());

    // Offline, no databases are asked for.
    TOwned<TSQLQualifiedNamesList> databases = Create<TSQLQualifiedNamesList>(p);
    databases->Add(QStringLiteral("old"));
    qb->GetDatabasesList(databases.get());
    EXPECT_EQ(databases->GetCount(), 0);
}

TEST(BusyCursorTest, NestsAndRestoresOnlyAtTheLastExit)
{
    nvEndBusyCursor(); // an exit without an entry does nothing
    EXPECT_EQ(nvBusyCursorLevel(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        TnvBusyCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            TnvBusyCursor inner;
            EXPECT_EQ(nvBusyCursorLevel(), 2);
        }
        EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(nvBusyCursorLevel(), 0);
}

// ---------------------------------------------------------------------------
// Options

TEST_F(QueryBuilderCoreTest, OptionsKeepTheirLimits)
{
    qb->SetGridSize(150);
    EXPECT_EQ(qb->GridSize(), 100);
    qb->SetGridSize(-5);
    EXPECT_EQ(qb->GridSize(), 0);
    qb->SetDefColumnsPaneHeight(100);
    EXPECT_EQ(qb->DefColumnsPaneHeight(), 100);
    EXPECT_EQ(qb->ColumnsPaneHeight(), 100);
    qb->SetDefColumnsPaneHeight(59);
    EXPECT_EQ(qb->DefColumnsPaneHeight(), 0);
    // At most six eighths of the control's height (280 without a window).
    qb->SetDefColumnsPaneHeight(1000);
    EXPECT_EQ(qb->DefColumnsPaneHeight(), 210);
    qb->SetMaxTableHeight(-3);
    EXPECT_EQ(qb->MaxTableHeight(), 0);
    qb->SetMaxTableHeight(300);
    EXPECT_EQ(qb->MaxTableHeight(), 300);
}

TEST_F(QueryBuilderCoreTest, VisualOptionsUpdateTheControlsWhenTheyChange)
{
    qb->CreateControls();
    log.Clear();
    qb->SetGridSize(8);
    const qsizetype updates = log.Matching({QStringLiteral("VisualParams")}).size();
    EXPECT_GT(updates, 0);
    log.Clear();
    qb->SetGridSize(8);
    qb->SetBorderStyle(qbbs3D);
    EXPECT_EQ(log.Matching({QStringLiteral("VisualParams")}).size(), 0);
    qb->SetBorderStyle(qbbsFlat);
    EXPECT_EQ(log.Matching({QStringLiteral("VisualParams")}).size(), updates);
}

TEST_F(QueryBuilderCoreTest, PrintingOptionsEmptyTheQuery)
{
    const std::function<void()> changes[] = {
        [&] { qb->SetQuoteAllIdentifiers(!qb->QuoteAllIdentifiers()); },
        [&] { qb->SetObjectPrefixSkipping(opsSkipNone); },
        [&] { qb->SetCanReorderDatasources(!qb->CanReorderDatasources()); },
    };
    for (const auto &change : changes) {
        Assign(QStringLiteral("Select a.x From a"));
        EXPECT_NE(SQL(), empty);
        change();
        EXPECT_SQL(SQL(), empty);
        EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
    }
}

TEST_F(QueryBuilderCoreTest, OptionObjectsAreOwnedAndSetByCopy)
{
    TnvTreeOptions *tree = qb->TreeOptions();
    TnvMetadataTreeOptions *metadataTree = qb->TreeOptionsMetadata();
    TnvAddObjectFormOptions *addObject = qb->AddObjectFormOptions();
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(metadataTree, nullptr);
    ASSERT_NE(addObject, nullptr);

    TnvTreeOptions treeValues;
    treeValues.SetFromNodeText(QStringLiteral("Sources"));
    qb->SetTreeOptions(&treeValues);
    TnvMetadataTreeOptions metadataValues;
    metadataValues.SetGroupingType(ogtType);
    qb->SetTreeOptionsMetadata(&metadataValues);
    TnvAddObjectFormOptions addObjectValues;
    addObjectValues.SetViewsVisible(false);
    qb->SetAddObjectFormOptions(&addObjectValues);

    EXPECT_EQ(qb->TreeOptions(), tree);
    EXPECT_EQ(qb->TreeOptionsMetadata(), metadataTree);
    EXPECT_EQ(qb->AddObjectFormOptions(), addObject);
    EXPECT_SQL(tree->FromNodeText(), "Sources");
    EXPECT_EQ(metadataTree->GroupingType(), ogtType);
    EXPECT_FALSE(addObject->ViewsVisible());
}

TEST_F(QueryBuilderCoreTest, ATreeOptionsChangeUpdatesTheControlsOnce)
{
    qb->CreateControls();
    const auto updates = [&] { return log.Matching({QStringLiteral("VisualParams")}).size(); };
    log.Clear();
    qb->SetGridSize(8);
    const qsizetype once = updates();
    ASSERT_GT(once, 0);

    log.Clear();
    qb->TreeOptions()->SetTreeVisible(false);
    EXPECT_EQ(updates(), once);
    log.Clear();
    qb->TreeOptionsMetadata()->SetSortingType(ostTypeName);
    EXPECT_EQ(updates(), once);

    // A copy of many values is one change.
    TnvMetadataTreeOptions values;
    values.SetShowSystemTables(true);
    values.SetTreeWidth(90);
    values.SetGroupingType(ogtNone);
    log.Clear();
    qb->SetTreeOptionsMetadata(&values);
    EXPECT_EQ(updates(), once);

    // The same value again, and the dialog's options, leave the controls be.
    log.Clear();
    qb->TreeOptions()->SetTreeVisible(false);
    qb->AddObjectFormOptions()->SetWidth(500);
    EXPECT_EQ(updates(), 0);
}

// ---------------------------------------------------------------------------
// Drag and drop on the diagrams

TEST_F(QueryBuilderCoreTest, WithoutADragOverHandlerDragsAreRefused)
{
    QObject source;
    EXPECT_FALSE(qb->DoDragOver(&source, 1, 2, dsDragEnter));
    // A drop handler alone does not make the diagrams take drags.
    bool dropped = false;
    qb->OnDragDrop = [&](TObject *, QObject *, int, int) { dropped = true; };
    EXPECT_FALSE(qb->DoDragOver(&source, 1, 2, dsDragMove));
    qb->DoDragDrop(&source, 1, 2);
    EXPECT_TRUE(dropped);
}

TEST_F(QueryBuilderCoreTest, DragEventsComeFromTheCurrentUnionPartOfTheCurrentSubQuery)
{
    Assign(QStringLiteral("Select a.id From a Where a.id In (Select b.a_id From b)"));
    ASSERT_EQ(qb->GetSubQueriesCount(), 2);
    TnvSubQuery *in = qb->GetSubQueries(1);
    QObject source;
    QStringList calls;
    TObject *overSender = nullptr;
    TObject *dropSender = nullptr;
    qb->OnDragOver = [&](TObject *sender, QObject *from, int x, int y, TDragState state, bool &accept) {
        overSender = sender;
        calls.append(
            QStringLiteral("over %1 %2 %3 %4 %5").arg(from == &source).arg(x).arg(y).arg(int(state)).arg(accept));
    };
    qb->OnDragDrop = [&](TObject *sender, QObject *from, int x, int y) {
        dropSender = sender;
        calls.append(QStringLiteral("drop %1 %2 %3").arg(from == &source).arg(x).arg(y));
    };

    // Accepted unless the handler says otherwise.
    EXPECT_TRUE(qb->DoDragOver(&source, 10, 20, dsDragMove));
    EXPECT_EQ(overSender, Root()->CurrentUnionSubQuery());
    qb->SetCurrentSubquery(in);
    qb->DoDragDrop(&source, 30, 40);
    EXPECT_EQ(dropSender, in->CurrentUnionSubQuery());
    EXPECT_NE(dropSender, overSender);
    EXPECT_EQ(calls, QStringList({QStringLiteral("over 1 10 20 2 1"), QStringLiteral("drop 1 30 40")}));

    qb->OnDragOver = [](TObject *, QObject *, int, int, TDragState, bool &accept) { accept = false; };
    EXPECT_FALSE(qb->DoDragOver(&source, 10, 20, dsDragMove));
}

TEST_F(QueryBuilderCoreTest, WithoutACurrentSubQueryNoDragEventIsRaised)
{
    // A model whose construction never completed has no query yet.
    TnvQueryBuilderModel unfinished;
    ASSERT_EQ(unfinished.CurrentSubquery(), nullptr);
    int raised = 0;
    unfinished.OnDragOver = [&](TObject *, QObject *, int, int, TDragState, bool &) { ++raised; };
    unfinished.OnDragDrop = [&](TObject *, QObject *, int, int) { ++raised; };
    EXPECT_FALSE(unfinished.DoDragOver(nullptr, 0, 0, dsDragEnter));
    unfinished.DoDragDrop(nullptr, 0, 0);
    EXPECT_EQ(raised, 0);
}

TEST_F(QueryBuilderCoreTest, WhatADragHandlerRaisesIsShownAndRefusesTheDrag)
{
    QStringList shown;
    TnvErrorHandler old = SetErrorHandler([&](const QString &message) { shown.append(message); });
    qb->OnDragOver = [](TObject *, QObject *, int, int, TDragState, bool &) {
        throw Exception(QStringLiteral("no drag"));
    };
    qb->OnDragDrop = [](TObject *, QObject *, int, int) { throw Exception(QStringLiteral("no drop")); };
    bool accepted = true;
    EXPECT_NO_THROW(accepted = qb->DoDragOver(nullptr, 0, 0, dsDragEnter));
    EXPECT_NO_THROW(qb->DoDragDrop(nullptr, 0, 0));
    SetErrorHandler(std::move(old));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(shown, QStringList({QStringLiteral("no drag"), QStringLiteral("no drop")}));
}

// ---------------------------------------------------------------------------
// Link painter

class TCountingPainter : public TnvQueryBuilderLinkPainter {
public:
    static inline int Alive = 0;
    static inline int Freed = 0;
    TCountingPainter(TnvQueryBuilderModel *qb) : TnvQueryBuilderLinkPainter(qb) { ++Alive; }
    ~TCountingPainter() override
    {
        --Alive;
        ++Freed;
    }
    void PaintLink(QPainter &, const TnvLinkPoints &, bool, TnvQueryBuilderLinkConnectToSide,
                   TnvQueryBuilderLinkConnectToSide, const TnvLink *) override
    {
    }
    QString PainterStyle() const override { return QStringLiteral("Counting"); }
};

class LinkPainterTest : public BuilderTest {
protected:
    void SetUp() override
    {
        TCountingPainter::Freed = 0;
        BuilderTest::SetUp();
    }
    void TearDown() override
    {
        BuilderTest::TearDown();
        EXPECT_EQ(TCountingPainter::Alive, 0);
    }
};

TEST_F(LinkPainterTest, TheBuilderKeepsItsPainterWhenSetAgain)
{
    auto *painter = new TCountingPainter(qb.get());
    qb->SetLinkPainter(painter);
    qb->SetLinkPainter(painter);
    EXPECT_EQ(TCountingPainter::Freed, 0);
    EXPECT_EQ(qb->LinkPainter(), painter);
    EXPECT_EQ(TCountingPainter::Alive, 1);

    // Choosing a class by name frees the painter before.
    qb->SetLinkPainterClassName(QStringLiteral("TnvQueryBuilderLinkPainterSimple"));
    EXPECT_EQ(TCountingPainter::Freed, 1);
    EXPECT_EQ(TCountingPainter::Alive, 0);
    qb->SetLinkPainter(nullptr);
    EXPECT_EQ(qb->LinkPainterClassName(), QString());

    // The builder frees the painter it holds when it goes (checked on tear-down).
    qb->SetLinkPainter(new TCountingPainter(qb.get()));
}

TEST_F(LinkPainterTest, TheBuilderStartsWithTheAccessPainterAndAnyOtherNameGivesItToo)
{
    TnvQueryBuilderLinkPainter *painter = qb->LinkPainter();
    ASSERT_NE(painter, nullptr);
    EXPECT_EQ(painter->QueryBuilder(), qb.get());
    EXPECT_EQ(qb->LinkPainterClassName(), QStringLiteral("TnvQueryBuilderLinkPainterAccess"));

    qb->SetLinkPainterClassName(QStringLiteral("TnvQueryBuilderLinkPainterMSSQL"));
    EXPECT_EQ(qb->LinkPainterClassName(), QStringLiteral("TnvQueryBuilderLinkPainterMSSQL"));
    EXPECT_EQ(qb->LinkPainter()->QueryBuilder(), qb.get());
    for (const char *name : {"TnvNoSuchPainter", "tnvquerybuilderlinkpaintermssql", "", "TnvQueryBuilderLinkPainter"}) {
        qb->SetLinkPainterClassName(QStringLiteral("TnvQueryBuilderLinkPainterSimple"));
        qb->SetLinkPainterClassName(QString::fromLatin1(name));
        EXPECT_EQ(qb->LinkPainterClassName(), QStringLiteral("TnvQueryBuilderLinkPainterAccess")) << name;
    }
}

TEST_F(LinkPainterTest, ByClassOnlyARegisteredClassGivesAPainter)
{
    TnvQueryBuilderLinkPainters *painters = QueryBuilderLinkPainters();
    qb->SetLinkPainterClass(painters->Items(0));
    ASSERT_NE(qb->LinkPainter(), nullptr);
    EXPECT_EQ(qb->LinkPainter()->ClassType(), painters->Items(0));
    EXPECT_EQ(qb->LinkPainter()->QueryBuilder(), qb.get());
    qb->SetLinkPainterClass(TnvQueryBuilderLinkPainter::StaticClassType());
    EXPECT_EQ(qb->LinkPainter(), nullptr);
    qb->SetLinkPainterClass(nullptr);
    EXPECT_EQ(qb->LinkPainter(), nullptr);
}

// ---------------------------------------------------------------------------
// Popup menu

TEST_F(QueryBuilderCoreTest, EveryPopupMenuEndsWithTheAboutItem)
{
    int about = 0;
    factory.SetAboutDialog([&](TnvQueryBuilderModel *builder) {
        EXPECT_EQ(builder, qb.get());
        ++about;
    });
    qb->PopupMenuClear();
    TnvMenuItemData *item = qb->PopupMenuAddItem(nullptr, QStringLiteral("Item"), 0, false, false, false,
                                                 TNotifyEvent(), nullptr);
    qb->PopupMenuAddItem(item, QStringLiteral("Sub"), 0, true, false, false, TNotifyEvent(), nullptr);
    qb->PopupMenuCompleted();
    EXPECT_SQL(Captions(qb->PopupMenu()), "!Item | - | About Norvane Query Builder...");
    EXPECT_SQL(Captions(item), "Sub");
    Click(qb->PopupMenu(), QStringLiteral("About Norvane Query Builder..."));
    EXPECT_EQ(about, 1);
    qb->PopupMenuClear();
    EXPECT_EQ(qb->PopupMenu()->Count(), 0);
}

// ---------------------------------------------------------------------------
// The widget

class QueryBuilderWidgetTest : public ::testing::Test {
protected:
    TUnionTestProvider provider;
    TControlLog log;
    TnvControlFactory factory;
    QPointer<TnvQueryBuilder> qb;

    void SetUp() override
    {
        RegisterFakeControls(factory, log);
        qb = new TnvQueryBuilder;
        qb->SetControlFactory(&factory);
        qb->SetSyntaxProvider(&provider);
        qb->SetWorkOffline(true);
        qb->MetadataContainer()->AddTable(QString(), QStringLiteral("a"))->GetFields()->SetLoaded(true);
    }
    void TearDown() override { delete qb.data(); }
};

TEST_F(QueryBuilderWidgetTest, PropertiesForwardToTheModel)
{
    EXPECT_EQ(qb->size(), QSize(300, 280));
    EXPECT_EQ(qb->property("GridSize").toInt(), 2);
    qb->setProperty("GridSize", 150);
    EXPECT_EQ(qb->GridSize(), 100);
    EXPECT_EQ(qb->property("DefaultTableWidth").toInt(), 80);
    EXPECT_EQ(qb->property("BorderColor").value<QColor>(), QColor(0, 0, 128));
    qb->setProperty("BorderStyle", int(qbbsNone));
    EXPECT_EQ(qb->BorderStyle(), qbbsNone);
    // The pane height is limited by the widget's own height.
    qb->resize(300, 400);
    qb->setProperty("DefColumnsPaneHeight", 1000);
    EXPECT_EQ(qb->DefColumnsPaneHeight(), 300);

    const QString xml = qb->property("Metadata").toString();
    EXPECT_TRUE(xml.contains(u"<metadata")) << xml.toStdString();
    EXPECT_TRUE(qb->IsMetadataStored());
    qb->MetadataContainer()->Clear();
    EXPECT_FALSE(qb->IsMetadataStored());
    qb->setProperty("Metadata", xml);
    EXPECT_TRUE(qb->IsNameOfTable(QStringLiteral("a")));
}

TEST_F(QueryBuilderWidgetTest, SQLGoesThroughThePostedEvent)
{
    const QString before = qb->property("SQL").toString();
    qb->setProperty("SQL", QStringLiteral("Select * From a"));
    EXPECT_EQ(qb->property("SQL").toString(), before);
    QCoreApplication::sendPostedEvents();
    EXPECT_SQL(qb->property("SQL").toString(), "Select * From a");

    // A widget that goes with a load pending drops it.
    qb->setProperty("SQL", QStringLiteral("Select a.id From a"));
    delete qb.data();
    QCoreApplication::sendPostedEvents();
}

TEST_F(QueryBuilderWidgetTest, ControlsAreMadeWhenFirstShownAndTheMenuEndsWithAbout)
{
    EXPECT_FALSE(qb->ControlsCreated());
    qb->show();
    EXPECT_TRUE(qb->ControlsCreated());

    int clicked = 0;
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, QStringLiteral("Run"), 0, true, false, true,
                         TNotifyEvent::FromCallable([&](TObject *) { ++clicked; }), nullptr);
    qb->PopupMenuCompleted();
    std::unique_ptr<QMenu> menu(qb->CreateQMenu(nullptr));
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "Run");
    EXPECT_TRUE(actions[0]->font().bold());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "About Norvane Query Builder...");
    actions[0]->trigger();
    EXPECT_EQ(clicked, 1);
}

TEST_F(QueryBuilderWidgetTest, TheReadingDirectionFollowsTheLanguage)
{
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    const qsizetype hebrew =
        manager->AddLanguageFromString("Hebrew", "[General Settings]\r\nBiDiMode=BiDiRightToLeft\r\n");
    manager->SetCurrentLanguageIndex(hebrew);
    EXPECT_EQ(qb->layoutDirection(), Qt::RightToLeft);
    manager->SetCurrentLanguageIndex(-1);
    EXPECT_EQ(qb->layoutDirection(), QGuiApplication::layoutDirection());
    manager->DeleteLanguage(hebrew);
}

} // namespace
} // namespace nvqb::test
