// The control's two trees on a shown query builder: the metadata tree's
// grouping, sorting and filtering of the container's objects and the ways it
// adds them to the query; the structure tree's outline of the query and what
// selecting its nodes brings forward; the side panels around the pages.
#include "ControlsTestSupport.h"
#include "common/Eventually.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/PageControl.h"
#include "builder/controls/WorkArea.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/SelectListControl.h"
#include "builder/controls/TreePanels.h"
#include "builder/controls/TreeViewMetadata.h"
#include "builder/controls/TreeViewQueryStructure.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/Query.h"
#include "builder/model/SQLTextBuilder.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/metadata/MetadataRelations.h"
#include "sqlmodel/providers/EventMetadataProvider.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "support/LanguageManager.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScopeGuard>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace nvqb::test {

namespace {

// The item-model checker reports what it finds wrong as warnings that start
// with "FAIL!": they are collected for the test to look at.
class TModelFailures {
public:
    TModelFailures() { FPrevious = qInstallMessageHandler(&Handle); }
    ~TModelFailures() { qInstallMessageHandler(FPrevious); }
    static QStringList &Messages()
    {
        static QStringList messages;
        return messages;
    }

private:
    static void Handle(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (message.contains(QLatin1String("FAIL!")))
            Messages().append(message);
        else if (type == QtFatalMsg)
            abort();
    }
    QtMessageHandler FPrevious;
};

// The tree as its lines: two blanks of indent a level, "+" in front of
// an expanded node, "-" in front of a collapsed one with children.
QStringList Lines(const TnvTreeView *tree)
{
    QStringList lines;
    std::function<void(const TnvTreeNode *, int)> walk = [&](const TnvTreeNode *parent, int depth) {
        for (int i = 0; i < parent->Count(); ++i) {
            const TnvTreeNode *node = parent->Items(i);
            const QModelIndex index = tree->Nodes()->IndexOf(node);
            const QString mark = node->Count() == 0 ? QString() : (tree->isExpanded(index) ? u"+"_qs : u"-"_qs);
            lines.append(QString(depth * 2, u' ') + mark + tree->model()->data(index).toString());
            walk(node, depth + 1);
        }
    };
    walk(tree->Nodes()->Root(), 0);
    return lines;
}

// The node with the text along the path of texts from the top level.
TnvTreeNode *Node(const TnvTreeView *tree, const QStringList &path)
{
    TnvTreeNode *node = tree->Nodes()->Root();
    for (const QString &text : path) {
        TnvTreeNode *found = nullptr;
        for (int i = 0; i < node->Count() && !found; ++i)
            if (node->Items(i)->Text == text)
                found = node->Items(i);
        if (!found) {
            ADD_FAILURE() << "no node " << path.join(u" > "_qs).toStdString();
            return nullptr;
        }
        node = found;
    }
    return node;
}

// A point on the node's text: its start, which a narrow panel still
// shows when the rest of a long text is cut off.
QPoint TextPoint(const TnvTreeView *tree, const TnvTreeNode *node)
{
    const QRect rect = tree->visualRect(tree->Nodes()->IndexOf(node));
    return QPoint(rect.left() + 6, rect.center().y());
}

void Click(TnvTreeView *tree, const TnvTreeNode *node)
{
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, TextPoint(tree, node));
}

void DoubleClick(TnvTreeView *tree, const TnvTreeNode *node)
{
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, TextPoint(tree, node));
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, TextPoint(tree, node));
}


class TreesTest : public ::testing::Test {
protected:
    TUnionTestProvider provider;
    TControlLog log;
    TnvControlFactory factory;
    QPointer<TnvQueryBuilder> qb;
    TModelFailures failures;
    QStringList errors;
    TnvErrorHandler oldHandler;
    std::unique_ptr<QAbstractItemModelTester> metadataTester, structureTester;

    void SetUp() override
    {
        TModelFailures::Messages().clear();
        oldHandler = SetErrorHandler([this](const QString &message) { errors.append(message); });
        RegisterFakeControls(factory, log);
        factory.SetProcedureParamsDialog([](const QString &name, QString &expression) {
            expression = name + QStringLiteral("(1, 2)");
            return true;
        });
        qb = new TnvQueryBuilder;
        qb->SetControlFactory(&factory);
        qb->SetSyntaxProvider(&provider);
        // Both trees' models are checked through every change a test makes.
        metadataTester = std::make_unique<QAbstractItemModelTester>(
            Metadata()->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        structureTester = std::make_unique<QAbstractItemModelTester>(
            Structure()->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        FillMetadata();
        qb->resize(700, 420);
        qb->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(qb, EventuallyTimeoutMs));
    }

    void TearDown() override
    {
        metadataTester.reset();
        structureTester.reset();
        delete qb.data();
        SetErrorHandler(std::move(oldHandler));
        EXPECT_EQ(TModelFailures::Messages().join(u'\n').toStdString(), "");
        EXPECT_EQ(errors.join(u'\n').toStdString(), "");
    }

    TnvMetadataContainer *Container() const { return qb->MetadataContainer(); }

    TnvMetadataObject *Table(const QString &schema, const QString &name, std::initializer_list<const char *> fields,
                             bool system = false, const QString &database = QString())
    {
        TnvMetadataObject *object = Container()->AddTable(schema, name, system, database);
        for (const char *field : fields) {
            TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(&provider);
            fieldName->AddName(QString::fromLatin1(field), false);
            object->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
        }
        object->GetFields()->SetLoaded(true);
        return object;
    }

    // Loaded in one bracket, in an order the tree must sort: tables a and
    // b (b.a_id refers to a.id), the schema "sales" with tables, a view and
    // a synonym, a procedure p, a system table and a table of another
    // database.
    void FillMetadata()
    {
        TnvMetadataContainer *container = Container();
        container->SetWorkOffline(true);
        TnvUpdateScope scope(container);
        Table(QStringLiteral("sales"), QStringLiteral("orders"), {"id", "customer_id"});
        Table(QStringLiteral("archive"), QStringLiteral("orders"), {"id"}, false, QStringLiteral("history"));
        TnvMetadataObject *a = Table(QString(), QStringLiteral("a"), {"id", "x"});
        Table(QString(), QStringLiteral("b"), {"id", "a_id", "y"});
        Table(QStringLiteral("sales"), QStringLiteral("Customers"), {"id", "name"});
        container->AddView(QStringLiteral("sales"), QStringLiteral("v_orders"));
        container->AddObject(QStringLiteral("sales"), QStringLiteral("syn"), TnvMetadataSynonym::StaticClassType());
        container->AddProcedure(QString(), QStringLiteral("p"));
        Table(QStringLiteral("sys"), QStringLiteral("objects"), {"id"}, true);
        auto keys = Create<TnvMetadataFieldNamesList>(nullptr);
        keys->SetSyntaxProvider(&provider);
        keys->AddField(QStringLiteral("id"));
        auto children = Create<TnvMetadataFieldNamesList>(nullptr);
        children->SetSyntaxProvider(&provider);
        children->AddField(QStringLiteral("a_id"));
        TOwned<TastTokenIdentifier> child = Create<TastTokenIdentifier>(&provider, QStringLiteral("b"), false);
        a->GetRelations()->AddRelation(keys.get(), child.get(), nullptr, nullptr, children.get());
        container->SetObjectsUpdated();
    }

    TnvTreeViewMetadata *Metadata() const { return qb->TreeViewMetadata(); }
    TnvTreeViewQueryStructure *Structure() const { return qb->TreeViewQueryStructure(); }

    TnvUnionSubQuery *Part(qsizetype index) const { return qb->Query()->UnionSubQueries(index); }

    void Shot(const QString &name)
    {
        QDir().mkpath(QStringLiteral(NVQB_SCREENSHOT_DIR));
        qb->grab().save(QStringLiteral(NVQB_SCREENSHOT_DIR "/") + name + QStringLiteral(".png"));
    }
};

} // namespace

// ---------------------------------------------------------------------------
// Metadata tree

TEST_F(TreesTest, MetadataTreeGroupsByDatabaseAndSchemaSortedByName)
{
    Shot(QStringLiteral("trees-metadata-default"));
    // Objects without a database first, then by schema and name without
    // regard to case; objects without a schema stand right below their
    // database; every level open.
    EXPECT_SQL(Lines(Metadata()), QStringList({
                                      u"+(current database)"_qs,
                                      u"  a"_qs,
                                      u"  b"_qs,
                                      u"  p"_qs,
                                      u"  +sales"_qs,
                                      u"    Customers"_qs,
                                      u"    orders"_qs,
                                      u"    syn"_qs,
                                      u"    v_orders"_qs,
                                      u"+history"_qs,
                                      u"  +archive"_qs,
                                      u"    orders"_qs,
                                  }));
}

TEST_F(TreesTest, MetadataTreeGroupsByTypeAndFollowsItsOptions)
{
    TnvMetadataTreeOptions *options = qb->TreeOptionsMetadata();
    options->BeginUpdate();
    options->SetGroupingType(ogtType);
    options->SetSortingType(ostTypeName);
    options->EndUpdate();
    EXPECT_SQL(Lines(Metadata()), QStringList({
                                      u"+Tables"_qs,
                                      u"  a"_qs,
                                      u"  b"_qs,
                                      u"  sales.Customers"_qs,
                                      u"  sales.orders"_qs,
                                      u"  history.archive.orders"_qs,
                                      u"+Views"_qs,
                                      u"  sales.v_orders"_qs,
                                      u"+Procedures"_qs,
                                      u"  p"_qs,
                                      u"+Synonyms"_qs,
                                      u"  sales.syn"_qs,
                                  }));

    // Database, schema and type levels; a system table only once shown.
    options->BeginUpdate();
    options->SetGroupingType(ogtDatabaseSchemaType);
    options->SetSortingType(ostSchemaTypeName);
    options->SetShowUserViews(false);
    options->SetShowSystemTables(true);
    options->EndUpdate();
    EXPECT_SQL(Lines(Metadata()), QStringList({
                                      u"+(current database)"_qs,
                                      u"  +Tables"_qs,
                                      u"    a"_qs,
                                      u"    b"_qs,
                                      u"  +Procedures"_qs,
                                      u"    p"_qs,
                                      u"  +sales"_qs,
                                      u"    +Tables"_qs,
                                      u"      Customers"_qs,
                                      u"      orders"_qs,
                                      u"    +Synonyms"_qs,
                                      u"      syn"_qs,
                                      u"  +sys"_qs,
                                      u"    +Tables"_qs,
                                      u"      objects"_qs,
                                      u"+history"_qs,
                                      u"  +archive"_qs,
                                      u"    +Tables"_qs,
                                      u"      orders"_qs,
                                  }));

    // No grouping: full names in one list.
    options->SetGroupingType(ogtNone);
    options->SetShowSystemTables(false);
    EXPECT_SQL(Lines(Metadata()), QStringList({u"a"_qs, u"b"_qs, u"p"_qs, u"sales.Customers"_qs, u"sales.orders"_qs,
                                               u"sales.syn"_qs, u"history.archive.orders"_qs}));
}

TEST_F(TreesTest, MetadataTreeGroupsByEveryOtherOrderOfLevels)
{
    // Groups are made in the order the sorted objects need them; an object
    // without a schema gets no schema level.
    const struct {
        TnvQBObjectsGroupingType Grouping;
        const char *Name;
        QStringList Lines;
    } cases[] = {
        {ogtDatabase,
         "database",
         {u"+(current database)"_qs, u"  a"_qs, u"  b"_qs, u"  p"_qs, u"  sales.Customers"_qs, u"  sales.orders"_qs,
          u"  sales.syn"_qs, u"  sales.v_orders"_qs, u"+history"_qs, u"  archive.orders"_qs}},
        {ogtDatabaseType,
         "database, type",
         {u"+(current database)"_qs, u"  +Tables"_qs, u"    a"_qs, u"    b"_qs, u"    sales.Customers"_qs,
          u"    sales.orders"_qs, u"  +Procedures"_qs, u"    p"_qs, u"  +Synonyms"_qs, u"    sales.syn"_qs,
          u"  +Views"_qs, u"    sales.v_orders"_qs, u"+history"_qs, u"  +Tables"_qs, u"    archive.orders"_qs}},
        {ogtTypeDatabase,
         "type, database",
         {u"+Tables"_qs, u"  +(current database)"_qs, u"    a"_qs, u"    b"_qs, u"    sales.Customers"_qs,
          u"    sales.orders"_qs, u"  +history"_qs, u"    archive.orders"_qs, u"+Procedures"_qs,
          u"  +(current database)"_qs, u"    p"_qs, u"+Synonyms"_qs, u"  +(current database)"_qs, u"    sales.syn"_qs,
          u"+Views"_qs, u"  +(current database)"_qs, u"    sales.v_orders"_qs}},
        {ogtDatabaseTypeSchema,
         "database, type, schema",
         {u"+(current database)"_qs, u"  +Tables"_qs, u"    a"_qs, u"    b"_qs, u"    +sales"_qs, u"      Customers"_qs,
          u"      orders"_qs, u"  +Procedures"_qs, u"    p"_qs, u"  +Synonyms"_qs, u"    +sales"_qs, u"      syn"_qs,
          u"  +Views"_qs, u"    +sales"_qs, u"      v_orders"_qs, u"+history"_qs, u"  +Tables"_qs, u"    +archive"_qs,
          u"      orders"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        qb->TreeOptionsMetadata()->SetGroupingType(c.Grouping);
        EXPECT_SQL(Lines(Metadata()), c.Lines);
    }
}

TEST_F(TreesTest, MetadataTreeLeavesOutTheObjectsTheHostsFiltersHide)
{
    // Loaded from the host's catalogue: each kind asks its own event, with
    // the object's name, whether the object is shown.
    auto names = [](const QStringList &list) {
        return TnvGetObjectNamesEvent::FromCallable([list](TnvBaseMetadataProvider *, TSQLDatabaseObjectsList *objects) {
            for (const QString &name : list)
                objects->Add(name);
        });
    };
    TnvEventMetadataProvider catalogue;
    catalogue.OnGetTables = names({u"orders"_qs, u"secret_t"_qs});
    catalogue.OnGetViews = names({u"totals"_qs, u"secret_v"_qs});
    catalogue.OnGetProcedures = names({u"recalc"_qs, u"secret_p"_qs});
    auto unhook = qScopeGuard([this] { qb->SetMetadataProvider(nullptr); });
    QStringList asked;
    auto filter = [&asked](const char *kind) {
        return [&asked, kind](TnvQueryBuilderModel *, const QString &name, bool &visible) {
            asked << QLatin1String(kind) + u' ' + name;
            visible = !name.startsWith(u"secret");
        };
    };
    qb->OnFilterTable = filter("table");
    qb->OnFilterView = filter("view");
    qb->OnFilterProcedure = filter("procedure");
    Container()->SetWorkOffline(false);
    qb->SetMetadataProvider(&catalogue);
    qb->TreeOptionsMetadata()->BeginUpdate();
    qb->TreeOptionsMetadata()->SetGroupingType(ogtType);
    qb->TreeOptionsMetadata()->SetSortingType(ostTypeName);
    qb->TreeOptionsMetadata()->EndUpdate();
    qb->RefreshMetadata();
    EXPECT_SQL(Lines(Metadata()), QStringList({u"+Tables"_qs, u"  orders"_qs, u"+Views"_qs, u"  totals"_qs,
                                               u"+Procedures"_qs, u"  recalc"_qs}));
    EXPECT_SQL(asked, QStringList({u"table orders"_qs, u"table secret_t"_qs, u"view totals"_qs, u"view secret_v"_qs,
                                   u"procedure recalc"_qs, u"procedure secret_p"_qs}));
}

TEST_F(TreesTest, MetadataTreeShowsTheImagesOfItsOptions)
{
    QPixmap red(16, 16), blue(16, 16);
    red.fill(QColor(255, 0, 0));
    blue.fill(QColor(0, 0, 255));
    TnvMetadataTreeOptions *options = qb->TreeOptionsMetadata();
    options->BeginUpdate();
    options->SetImageList({QIcon(red), QIcon(blue)});
    options->SetDatabaseImageIndex(1);
    options->SetUserTablesImageIndex(0);
    options->SetSystemTablesImageIndex(1);
    options->SetShowSystemTables(true);
    options->EndUpdate();
    qb->TreeOptionsMetadata()->SetTreeWidth(200);
    const QImage screen = Metadata()->viewport()->grab().toImage();
    Shot(QStringLiteral("trees-metadata-images"));
    // The first strongly coloured pixel of the node's row.
    auto colourOf = [&](const QStringList &path) {
        const QRect row = Metadata()->visualRect(Metadata()->Nodes()->IndexOf(Node(Metadata(), path)));
        for (int x = row.left(); x < row.left() + 40; ++x) {
            const QColor colour = screen.pixelColor(x, row.center().y());
            if (colour.saturation() > 200)
                return colour.name().toStdString();
        }
        return std::string("none");
    };
    EXPECT_EQ(colourOf({u"(current database)"_qs}), "#0000ff");
    EXPECT_EQ(colourOf({u"(current database)"_qs, u"a"_qs}), "#ff0000");
    EXPECT_EQ(colourOf({u"(current database)"_qs, u"sys"_qs, u"objects"_qs}), "#0000ff");
    // The schema has no image of its own.
    EXPECT_EQ(colourOf({u"(current database)"_qs, u"sales"_qs}), "none");
}

TEST_F(TreesTest, MetadataTreeNamesTheCurrentDatabaseInTheCurrentLanguage)
{
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    const qsizetype french = manager->AddLanguageFromString(
        "French", "[Norvane Query Builder]\r\nnvQBMetadataTreeCurrentDatabase=(base courante)\r\n");
    manager->SetCurrentLanguageIndex(french);
    const QString chosen = Lines(Metadata()).value(0);
    manager->SetCurrentLanguageIndex(-1);
    manager->DeleteLanguage(french);
    EXPECT_SQL(chosen, "+(base courante)");
    EXPECT_SQL(Lines(Metadata()).value(0), "+(current database)");
}

TEST_F(TreesTest, MetadataTreeFollowsTheContainerAndHidesWhatIsNotVisible)
{
    TnvMetadataContainer *container = Container();
    // Objects that come are shown at the end of the container's bracket.
    container->BeginUpdate();
    Table(QStringLiteral("sales"), QStringLiteral("invoices"), {"id"});
    EXPECT_FALSE(Lines(Metadata()).contains(u"    invoices"_qs));
    container->EndUpdate();
    EXPECT_TRUE(Lines(Metadata()).contains(u"    invoices"_qs));

    // An object the host's filter hid is left out.
    container->FindTableByFullName(QStringLiteral("b"))->SetVisible(false);
    Metadata()->ReloadNodes(true);
    EXPECT_FALSE(Lines(Metadata()).contains(u"  b"_qs));

    // While the panel is hidden the tree waits; shown, it shows the objects
    // that came meanwhile.
    qb->TreeOptionsMetadata()->SetTreeVisible(false);
    EXPECT_FALSE(Metadata()->isVisible());
    EXPECT_FALSE(qb->Panels()->RightPanel()->isVisible());
    container->BeginUpdate();
    Table(QStringLiteral("sales"), QStringLiteral("returns"), {"id"});
    container->EndUpdate();
    qb->TreeOptionsMetadata()->SetTreeVisible(true);
    EXPECT_TRUE(Metadata()->isVisible());
    EXPECT_TRUE(Lines(Metadata()).contains(u"    returns"_qs));

    // Clearing the container empties the tree.
    container->BeginUpdate();
    container->Clear();
    container->SetObjectsUpdated();
    container->EndUpdate();
    EXPECT_EQ(Metadata()->Nodes()->NodeCount(), 0);
}

TEST_F(TreesTest, DoubleClickOnAnObjectAddsItsBoxAndForeignKeyLinks)
{
    DoubleClick(Metadata(), Node(Metadata(), {u"(current database)"_qs, u"a"_qs}));
    EXPECT_SQL(qb->SQL(), "Select * From a");
    ASSERT_EQ(Part(0)->FromGroup()->GetCount(), 1);
    EXPECT_TRUE(Part(0)->FromGroup()->GetItems(0)->Is<TnvDataSourceObject>());

    // b refers to a: the second box comes with the link of that key.
    DoubleClick(Metadata(), Node(Metadata(), {u"(current database)"_qs, u"b"_qs}));
    EXPECT_SQL(qb->SQL(), "Select * From a Inner Join b On a.id = b.a_id");

    // Group nodes add nothing; they open and close.
    TnvTreeNode *sales = Node(Metadata(), {u"(current database)"_qs, u"sales"_qs});
    DoubleClick(Metadata(), sales);
    EXPECT_EQ(Part(0)->FromGroup()->GetCount(), 2);
    EXPECT_SQL(qb->SQL(), "Select * From a Inner Join b On a.id = b.a_id");
}

TEST_F(TreesTest, AProcedureAsksForItsArgumentsAndTakesItsNameAsAlias)
{
    TnvTreeNode *p = Node(Metadata(), {u"(current database)"_qs, u"p"_qs});
    DoubleClick(Metadata(), p);
    EXPECT_SQL(qb->SQL(), "Select * From p(1, 2) p_");

    // Cancelled: nothing is added.
    factory.SetProcedureParamsDialog([](const QString &, QString &) { return false; });
    EXPECT_EQ(Metadata()->AddMetadataObjectFromNode(p), nullptr);
    EXPECT_SQL(qb->SQL(), "Select * From p(1, 2) p_");
}

// Dragging a node: the drag runner of the diagram tests records the drag
// instead of running QDrag's loop, and the test hands its data to the work
// area as the drop.
TEST_F(ControlsTest, AMetadataNodeDraggedOntoTheDiagramLandsAtTheDropPoint)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvTreeViewMetadata *tree = qb->TreeViewMetadata();
    auto drag = [&](const QStringList &path) {
        return DragFrom(tree->viewport(), TextPoint(tree, Node(tree, path)));
    };
    const QMimeData *b = drag({u"(current database)"_qs, u"b"_qs});
    ASSERT_TRUE(b);
    EXPECT_EQ(drags.back().Source, tree);
    EXPECT_TRUE(DragDrop(WorkArea()->viewport(), QPoint(220, 80), b));
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
    EXPECT_SQL(SQL(), "Select a.id From a Inner Join b On a.id = b.a_id");
    QList<TnvDatasource *> sources;
    CurrentUnion()->FromGroup()->GetDatasources(sources);
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources[1]->StoredBounds().topLeft(), QPoint(220, 80));

    // A folder is dragged too, and the diagram refuses it.
    const QMimeData *folder = drag({u"(current database)"_qs, u"dbo"_qs});
    ASSERT_TRUE(folder);
    EXPECT_FALSE(DragOver(WorkArea()->viewport(), QPoint(300, 80), folder));

    // A procedure asks for its arguments and is named after itself, as a
    // double click on it would.
    TnvMetadataContainer *container = qb->MetadataContainer();
    container->BeginUpdate();
    container->AddProcedure(QString(), QStringLiteral("p"));
    container->EndUpdate();
    ControlFactory()->SetProcedureParamsDialog([](const QString &name, QString &expression) {
        expression = name + QStringLiteral("(1, 2)");
        return true;
    });
    const QMimeData *procedure = drag({u"(current database)"_qs, u"p"_qs});
    ASSERT_TRUE(procedure);
    DragDrop(WorkArea()->viewport(), QPoint(300, 80), procedure);
    ControlFactory()->SetProcedureParamsDialog(nullptr);
    EXPECT_SQL(SQL(), "Select a.id From a Inner Join b On a.id = b.a_id, p(1, 2) p_");
    Shot(qb, QStringLiteral("trees-dropped-on-diagram"));
}

TEST_F(ControlsTest, TreeNodesAreWholeAtTheDefaultPanelWidths)
{
    // Union parts in brackets, each with fields and FROM objects: nodes five
    // levels deep in the query-structure tree.
    SetSQL(QStringLiteral("SELECT a.id, a.x FROM a INNER JOIN b ON a.id = b.a_id UNION "
                          "(SELECT c.id, c.b_id FROM c UNION SELECT b.id, b.y FROM b)"));
    TnvTreeViewQueryStructure *structure = qb->TreeViewQueryStructure();
    TnvTreeViewMetadata *metadata = qb->TreeViewMetadata();
    ASSERT_NE(structure, nullptr);
    ASSERT_NE(metadata, nullptr);
    Process();
    EXPECT_EQ(structure->parentWidget()->width(), 105);
    // The rows whose text the tree cuts: the room each row gives against
    // the room its item asks for.
    auto cut = [](QTreeView *tree) {
        QStringList rows;
        std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
            for (int row = 0; row < tree->model()->rowCount(parent); ++row) {
                const QModelIndex index = tree->model()->index(row, 0, parent);
                QStyleOptionViewItem option;
                option.initFrom(tree);
                option.font = tree->font();
                option.decorationSize = tree->iconSize();
                if (tree->visualRect(index).width() < tree->itemDelegate(index)->sizeHint(option, index).width())
                    rows.append(index.data().toString());
                if (tree->isExpanded(index))
                    walk(index);
            }
        };
        walk(QModelIndex());
        return rows;
    };
    EXPECT_SQL(cut(structure), "");
    EXPECT_SQL(cut(metadata), "");
    Shot(structure, QStringLiteral("structure-tree-default-width"));
}

TEST_F(ControlsTest, TheTreeFontAndTheGridFontReachTheirControlsOnly)
{
    SetSQL(QStringLiteral("SELECT a.id, a.x FROM a"));
    TnvTreeViewQueryStructure *structure = qb->TreeViewQueryStructure();
    TnvTreeViewMetadata *metadata = qb->TreeViewMetadata();
    auto *grid = ControlOf<TnvQueryBuilderSelectListControl>(CurrentUnion()->SelectList());
    ASSERT_TRUE(structure && metadata && grid);
    // The height of the first row of each, as the user sees the text's size.
    auto treeRow = [](QTreeView *tree) { return tree->visualRect(tree->model()->index(0, 0)).height(); };
    const int gridRow = grid->rowHeight(0);
    ASSERT_LT(treeRow(structure), 40);
    ASSERT_LT(treeRow(metadata), 40);
    ASSERT_LT(gridRow, 40);

    QFont large = qb->TreeFont();
    large.setPixelSize(40);
    qb->SetTreeFont(large);
    Process();
    EXPECT_EQ(structure->font().pixelSize(), 40);
    EXPECT_EQ(metadata->font().pixelSize(), 40);
    EXPECT_GE(treeRow(structure), 40);
    EXPECT_GE(treeRow(metadata), 40);
    EXPECT_EQ(grid->rowHeight(0), gridRow);

    large = qb->GridFont();
    large.setPixelSize(40);
    qb->SetGridFont(large);
    Process();
    EXPECT_EQ(grid->font().pixelSize(), 40);
    EXPECT_GE(grid->rowHeight(0), 40);
    EXPECT_GE(treeRow(metadata), 40);
    QFont small = qb->TreeFont();
    small.setPixelSize(10);
    qb->SetTreeFont(small);
    Process();
    EXPECT_LT(treeRow(metadata), 40);
    EXPECT_LT(treeRow(structure), 40);
    EXPECT_GE(grid->rowHeight(0), 40);
}

TEST_F(ControlsTest, ChoosingAUnionPartInTheStructureTreeShowsItsPage)
{
    qb->TreeOptions()->SetTreeWidth(250);
    SetSQL(QStringLiteral("SELECT a.x FROM a UNION SELECT b.y FROM b"));
    TnvTreeViewQueryStructure *tree = qb->TreeViewQueryStructure();
    ASSERT_EQ(CurrentUnion(), Part(0));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      TextPoint(tree, Node(tree, {u"Main"_qs, u"UNIONS"_qs, u"Select b.y From b"_qs})));
    Process();
    EXPECT_EQ(CurrentUnion(), Part(1));
    EXPECT_TRUE(UnionPage(Part(1))->isVisible());
    EXPECT_FALSE(UnionPage(Part(0))->isVisible());
    Shot(qb, QStringLiteral("trees-union-part-chosen"));
}

TEST_F(ControlsTest, StructureTreeNodesOpenTheirObjectsMenuAndProperties)
{
    qb->TreeOptions()->SetTreeWidth(250);
    SetSQL(QStringLiteral("SELECT a.x FROM a UNION SELECT b.y FROM b"));
    TnvTreeViewQueryStructure *tree = qb->TreeViewQueryStructure();
    const QStringList second = {u"Main"_qs, u"UNIONS"_qs, u"Select b.y From b"_qs};

    // The context menu of a union part is its union button's.
    const QPoint at = TextPoint(tree, Node(tree, second));
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree->viewport(), &menu);
    EXPECT_EQ(qb->PopupCount, 1);
    EXPECT_SQL(qb->PopupCaptions, QStringList({u"Move Backward"_qs, u"!Move Forward"_qs, u"-"_qs,
                                               u"New Union Sub-Query"_qs, u"Enclose In Brackets"_qs, u"Remove"_qs,
                                               u"-"_qs, u"About Norvane Query Builder..."_qs}));
    // A folder has none.
    const QPoint folder = TextPoint(tree, Node(tree, {u"Main"_qs, u"UNIONS"_qs}));
    QContextMenuEvent none(QContextMenuEvent::Mouse, folder, tree->viewport()->mapToGlobal(folder));
    QApplication::sendEvent(tree->viewport(), &none);
    EXPECT_EQ(qb->PopupCount, 1);

    // A double click opens the property dialog of the node's object.
    QList<TnvQueryBuilderControlOwner *> edited;
    p->EditPropsClass = TnvQueryBuilder::StaticClassType();
    ControlFactory()->SetEditPropsDialog([&](TClass, TnvQueryBuilderControlOwner *node, TPosition) {
        edited.append(node);
        return false;
    });
    DoubleClick(tree, Node(tree, second + QStringList{u"FROM"_qs, u"b"_qs}));
    ControlFactory()->SetEditPropsDialog(nullptr);
    QList<TnvDatasource *> sources;
    Part(1)->FromGroup()->GetDatasources(sources);
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(edited, QList<TnvQueryBuilderControlOwner *>{sources[0]});
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

namespace {

// A box on the diagram where the model places it; the real boxes come with
// their own branch of the control.
class TBoxWidget : public QWidget, public TnvModelControl {
public:
    TBoxWidget(TnvDatasource *datasource, QWidget *parent) : QWidget(parent)
    {
        setGeometry(datasource->GetLeft(), datasource->GetTop(), 120, 80);
        show();
    }
    int Raised = 0;
    void SetControlVisible(bool visible) override { setVisible(visible); }
    void BringToFront() override
    {
        raise();
        ++Raised;
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(0, 160, 0)); }
};

} // namespace

TEST_F(ControlsTest, ChoosingAFromObjectBringsItsBoxIntoView)
{
    TnvControlFactory boxes;
    RegisterPageControls(boxes);
    boxes.RegisterControlClass(ControlClass::DataSourceControl, [](TnvQueryBuilderControlOwner *owner, int) {
        auto *datasource = As<TnvDatasource>(owner);
        auto *page = datasource ? ControlOf<TnvUnionSubQueryTabSheet>(datasource->UnionSubQuery()) : nullptr;
        return page ? new TBoxWidget(datasource, page->WorkArea()->ContentParent()) : nullptr;
    });
    qb->DestroyControls();
    qb->SetControlFactory(&boxes);
    qb->CreateControls();
    auto restore = qScopeGuard([this] {
        qb->DestroyControls();
        qb->SetControlFactory(nullptr);
        qb->CreateControls();
    });
    qb->TreeOptions()->SetTreeWidth(200);
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvDatasource *far = CurrentUnion()->AddObjectAt(QStringLiteral("b"), QPoint(1500, 900));
    Process();
    auto *box = ControlOf<TBoxWidget>(far);
    ASSERT_TRUE(box);
    TnvQueryBuilderWorkArea *area = WorkArea();
    ASSERT_FALSE(area->viewport()->rect().contains(box->geometry()));

    TnvTreeViewQueryStructure *tree = qb->TreeViewQueryStructure();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      TextPoint(tree, Node(tree, {u"Main"_qs, u"FROM"_qs, u"b"_qs})));
    Process();
    EXPECT_EQ(box->Raised, 1);
    EXPECT_TRUE(area->viewport()->rect().contains(box->geometry()))
        << box->geometry().x() << "," << box->geometry().y() << " in " << area->viewport()->width() << "x"
        << area->viewport()->height();
    const QImage screen = Shot(qb, QStringLiteral("trees-box-brought-into-view"));
    const QPoint centre = box->mapTo(qb, box->rect().center());
    EXPECT_EQ(Rgb(screen, centre.x(), centre.y()), "rgb(0, 160, 0)");
}

TEST_F(ControlsTest, SelectingAGridRowMovesTheStructureTreeToItsField)
{
    qb->TreeOptions()->SetTreeWidth(200);
    SetSQL(QStringLiteral("SELECT a.x FROM a UNION SELECT b.y, b.id FROM b"));
    TnvTreeViewQueryStructure *tree = qb->TreeViewQueryStructure();
    const QStringList fields = {u"Main"_qs, u"UNIONS"_qs, u"Select b.y, b.id From b"_qs, u"FIELDS"_qs};
    // The second part's page, where the user works in its grid.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      TextPoint(tree, Node(tree, {u"Main"_qs, u"UNIONS"_qs, u"Select b.y, b.id From b"_qs})));
    Process();
    ASSERT_EQ(CurrentUnion(), Part(1));
    auto *grid = ControlOf<TnvQueryBuilderSelectListControl>(Part(1)->SelectList());
    ASSERT_TRUE(grid && grid->isVisible());
    auto cell = [grid](int row, int col) { return grid->visualRect(grid->model()->index(row, col)).center(); };

    // A click on a row, in any column.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(1, TnvSelectListGridModel::colAlias));
    Process();
    ASSERT_TRUE(tree->Selected());
    EXPECT_EQ(tree->Selected(), Node(tree, fields + QStringList{u"b.id"_qs}));
    EXPECT_EQ(tree->Selected()->Data(), Part(1)->SelectList()->Items(1));
    // The keys move it as well.
    QTest::keyClick(grid, Qt::Key_Up);
    Process();
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(tree->Selected(), Node(tree, fields + QStringList{u"b.y"_qs}));
    // The empty last row has no node: the selection stays.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(2, TnvSelectListGridModel::colExpression));
    Process();
    EXPECT_EQ(tree->Selected(), Node(tree, fields + QStringList{u"b.y"_qs}));
    // The tree's own choice still moves the grid, and stays chosen.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      TextPoint(tree, Node(tree, fields + QStringList{u"b.id"_qs})));
    Process();
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(tree->Selected(), Node(tree, fields + QStringList{u"b.id"_qs}));
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

// ---------------------------------------------------------------------------
// Query-structure tree

TEST_F(TreesTest, StructureTreeOutlinesASelectAUnionAndSubQueries)
{
    qb->SetSyncSQL(u"Select a.x, b.y From a Inner Join b On a.id = b.a_id"_qs);
    Shot(QStringLiteral("trees-structure-select"));
    EXPECT_SQL(Lines(Structure()), QStringList({
                                       u"+Main"_qs,
                                       u"  +FIELDS"_qs,
                                       u"    a.x"_qs,
                                       u"    b.y"_qs,
                                       u"  +FROM"_qs,
                                       u"    a"_qs,
                                       u"    b"_qs,
                                   }));

    qb->SetSyncSQL(u"Select x From a Union Select y From b Where b.id In (Select id From a)"_qs);
    EXPECT_SQL(Lines(Structure()), QStringList({
                                       u"+Main"_qs,
                                       u"  +UNIONS"_qs,
                                       u"    +Select a.x From a"_qs,
                                       u"      +FIELDS"_qs,
                                       u"        a.x"_qs,
                                       u"      +FROM"_qs,
                                       u"        a"_qs,
                                       u"    +Select b.y From b Where b.id In (Select a.id From a)"_qs,
                                       u"      +FIELDS"_qs,
                                       u"        b.y"_qs,
                                       u"        b.id"_qs,
                                       u"      +FROM"_qs,
                                       u"        b"_qs,
                                       u"  +Select a.id From a"_qs,
                                       u"    +FIELDS"_qs,
                                       u"      a.id"_qs,
                                       u"    +FROM"_qs,
                                       u"      a"_qs,
                                   }));
}

// A host's handler that loads another query when it hears of one: the
// control, its trees and its SQL-text components end with the handler's
// query, heard of once more after the handler returned.
TEST_F(TreesTest, AHandlerThatReplacesTheQueryLeavesTheControlShowingItsQuery)
{
    auto component = Create<TnvSQLBuilderPlainText>();
    component->SetQueryBuilder(qb);
    QStringList heard;
    component->OnSQLUpdated = [&](TObject *) {
        heard.append(component->SQL().simplified());
        if (heard.size() == 1)
            qb->SetSyncSQL(u"Select b.y From b"_qs);
    };
    qb->SetSyncSQL(u"Select a.x From a"_qs);
    EXPECT_SQL(heard, QStringList({u"Select a.x From a"_qs, u"Select b.y From b"_qs}));
    EXPECT_SQL(qb->SQL(), "Select b.y From b");
    EXPECT_SQL(Lines(Structure()), QStringList({u"+Main"_qs, u"  +FIELDS"_qs, u"    b.y"_qs, u"  +FROM"_qs,
                                                u"    b"_qs}));
    // The grid and the diagram of the union part show it too.
    EXPECT_EQ(Part(0)->SelectList()->Count(), 2);
    EXPECT_SQL(Part(0)->SelectList()->Items(0)->GetExpression(), "b.y");
    component->SetQueryBuilder(nullptr);
}

TEST_F(TreesTest, StructureTreeKeepsWhatTheUserClosedAndFollowsItsOptions)
{
    qb->SetSyncSQL(u"Select a.x From a"_qs);
    const QModelIndex from = Structure()->Nodes()->IndexOf(Node(Structure(), {u"Main"_qs, u"FROM"_qs}));
    Structure()->collapse(from);
    // Each change of the query rebuilds the tree at once.
    DoubleClick(Metadata(), Node(Metadata(), {u"(current database)"_qs, u"b"_qs}));
    EXPECT_SQL(Lines(Structure()), QStringList({
                                       u"+Main"_qs,
                                       u"  +FIELDS"_qs,
                                       u"    a.x"_qs,
                                       u"  -FROM"_qs,
                                       u"    a"_qs,
                                       u"    b"_qs,
                                   }));

    TnvTreeOptions *options = qb->TreeOptions();
    options->BeginUpdate();
    options->SetShowFields(false);
    options->SetFromNodeText(u"Sources"_qs);
    options->EndUpdate();
    EXPECT_SQL(Lines(Structure()), QStringList({u"+Main"_qs, u"  +Sources"_qs, u"    a"_qs, u"    b"_qs}));

    // Hidden, the tree is not rebuilt; shown again, it shows the query as
    // it is then.
    options->SetTreeVisible(false);
    EXPECT_FALSE(qb->Panels()->LeftPanel()->isVisible());
    qb->SetSyncSQL(u"Select c From b"_qs);
    EXPECT_TRUE(Lines(Structure()).contains(u"    a"_qs));
    options->SetTreeVisible(true);
    EXPECT_SQL(Lines(Structure()), QStringList({u"+Main"_qs, u"  +Sources"_qs, u"    b"_qs}));
}

TEST_F(TreesTest, SelectingANodeBringsItsPartOfTheQueryForward)
{
    qb->TreeOptions()->SetTreeWidth(250);
    qb->SetSyncSQL(u"Select x From a Union Select b.y, b.id From b"_qs);
    ASSERT_EQ(qb->Query()->CurrentUnionSubQuery(), Part(0));
    const QStringList second = {u"Main"_qs, u"UNIONS"_qs, u"Select b.y, b.id From b"_qs};

    // A union part becomes the current part of its query.
    log.Clear();
    Click(Structure(), Node(Structure(), second));
    EXPECT_EQ(qb->Query()->CurrentUnionSubQuery(), Part(1));

    // An output expression's row becomes the grid's current row.
    auto *grid = dynamic_cast<TFakeControl *>(Part(1)->SelectList()->GetControls(0));
    ASSERT_TRUE(grid);
    Click(Structure(), Node(Structure(), second + QStringList{u"FIELDS"_qs, u"b.id"_qs}));
    EXPECT_EQ(grid->CurrentRow, 1);

    // A FROM object's box comes to the front, on the page of its part.
    Click(Structure(), Node(Structure(), {u"Main"_qs, u"UNIONS"_qs, u"Select a.x From a"_qs}));
    EXPECT_EQ(qb->Query()->CurrentUnionSubQuery(), Part(0));
    auto *box = dynamic_cast<TFakeControl *>(Part(1)->FromGroup()->GetItems(0)->GetControls(0));
    ASSERT_TRUE(box);
    log.Clear();
    Click(Structure(), Node(Structure(), second + QStringList{u"FROM"_qs, u"b"_qs}));
    EXPECT_EQ(qb->Query()->CurrentUnionSubQuery(), Part(1));
    EXPECT_EQ(log.Matching({box->Name + u" BringToFront"_qs}).size(), 1);
    // The node chosen stays selected.
    EXPECT_EQ(Structure()->Selected(), Node(Structure(), second + QStringList{u"FROM"_qs, u"b"_qs}));
}

TEST_F(TreesTest, AnotherCurrentSubQueryMovesTheTreesSelection)
{
    qb->SetSyncSQL(u"Select a.x From a Where a.id In (Select b.a_id From b)"_qs);
    ASSERT_EQ(qb->Query()->GetSubQueriesCount(), 1);
    TnvSubQuery *inner = qb->Query()->GetSubQuery(0);
    qb->SetCurrentSubquery(inner);
    TnvTreeNode *selected = Structure()->Selected();
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->Data(), inner);
    // Choosing the main query's node in the tree makes it current again.
    Click(Structure(), Node(Structure(), {u"Main"_qs}));
    EXPECT_EQ(qb->CurrentSubquery(), qb->Query());
}

// ---------------------------------------------------------------------------
// Side panels

TEST_F(TreesTest, PanelsTakeTheirWidthsFromTheTreeOptionsAndGiveThemBack)
{
    TnvQueryBuilderPanels *panels = qb->Panels();
    EXPECT_EQ(panels->LeftPanel()->geometry(), QRect(0, 0, 105, 420));
    EXPECT_EQ(panels->LeftSplitter()->geometry(), QRect(105, 0, 3, 420));
    EXPECT_EQ(panels->RightPanel()->geometry(), QRect(550, 0, 150, 420));
    EXPECT_EQ(panels->RightSplitter()->geometry(), QRect(547, 0, 3, 420));
    EXPECT_EQ(qb->PageArea()->geometry(), QRect(108, 0, 439, 420));
    EXPECT_EQ(qb->TreeOptions()->TreeWidth(), 105);
    EXPECT_EQ(qb->TreeOptionsMetadata()->TreeWidth(), 150);

    // The left panel is at most 300 wide, and the option says so.
    qb->TreeOptions()->SetTreeWidth(400);
    EXPECT_EQ(panels->LeftPanel()->width(), 300);
    EXPECT_EQ(qb->TreeOptions()->TreeWidth(), 300);
    qb->TreeOptions()->SetTreeWidth(120);
    qb->TreeOptionsMetadata()->SetTreeWidth(200);
    EXPECT_EQ(panels->LeftPanel()->width(), 120);
    EXPECT_EQ(panels->RightPanel()->geometry(), QRect(500, 0, 200, 420));

    // Dragging a splitter resizes its panel and writes the option, without
    // rebuilding the trees.
    TnvTreeNode *first = Metadata()->GetFirstNode();
    // The splitter moves with the mouse: each point is given where the
    // splitter stands at that moment.
    QWidget *splitter = panels->RightSplitter();
    const QPoint start = splitter->mapToGlobal(QPoint(1, 100));
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(1, 100));
    QTest::mouseMove(splitter, splitter->mapFromGlobal(start - QPoint(30, 0)));
    EXPECT_EQ(panels->RightPanel()->width(), 230);
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, splitter->mapFromGlobal(start - QPoint(40, 0)));
    EXPECT_EQ(panels->RightPanel()->geometry(), QRect(460, 0, 240, 420));
    EXPECT_EQ(qb->TreeOptionsMetadata()->TreeWidth(), 240);
    EXPECT_EQ(Metadata()->GetFirstNode(), first);
    splitter = panels->LeftSplitter();
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(1, 100));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(-99, 100));
    EXPECT_EQ(panels->LeftPanel()->width(), TnvQueryBuilderPanels::MinPanelWidth);
    EXPECT_EQ(qb->TreeOptions()->TreeWidth(), TnvQueryBuilderPanels::MinPanelWidth);

    // A hidden tree gives its room to the pages.
    qb->TreeOptions()->SetTreeVisible(false);
    EXPECT_FALSE(panels->LeftSplitter()->isVisible());
    EXPECT_EQ(qb->PageArea()->geometry(), QRect(0, 0, 457, 420));
}

// A form that gives the control the room it asks for, as the layouts of a
// form do, shows every pane of use: both trees at their widths, a diagram
// with room for three boxes of the default width side by side, and a column
// grid that shows its header and four rows.
TEST(QueryBuilderSizeTest, AFormAroundTheControlShowsEveryPaneOfUse)
{
    QWidget form;
    auto *control = new TnvQueryBuilder(&form);
    (new QVBoxLayout(&form))->addWidget(control);
    // As a window opens on a desktop: the offscreen screen is small enough
    // for Qt to cut a window's first size down to two thirds of it.
    form.resize(form.sizeHint());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, EventuallyTimeoutMs));
    ASSERT_EVENTUALLY(control->ControlsCreated());
    QApplication::processEvents();

    TnvQueryBuilderPanels *panels = control->Panels();
    EXPECT_EQ(panels->LeftPanel()->width(), control->TreeOptions()->TreeWidth());
    EXPECT_EQ(panels->RightPanel()->width(), control->TreeOptionsMetadata()->TreeWidth());
    auto *diagram = control->findChild<QWidget *>(QStringLiteral("DiagramPanel"));
    auto *pane = control->findChild<QWidget *>(QStringLiteral("ColumnsPane"));
    auto *grid = control->findChild<TnvQueryBuilderSelectListControl *>();
    ASSERT_TRUE(diagram && pane && grid);
    EXPECT_GE(diagram->width(), 3 * control->DefaultTableWidth() + 40) << diagram->width();
    EXPECT_GE(diagram->height(), 200) << diagram->height();
    const int rows = (grid->viewport()->height()) / grid->verticalHeader()->defaultSectionSize();
    EXPECT_GE(rows, 4) << "grid " << grid->width() << " x " << grid->height();
    // Wider boxes ask for a wider diagram.
    const QSize hint = control->sizeHint();
    control->SetDefaultTableWidth(200);
    EXPECT_GT(control->sizeHint().width(), hint.width());
}

TEST_F(TreesTest, PanelBordersFollowTheBorderStyle)
{
    qb->SetBorderColor(QColor(200, 0, 0));
    qb->SetBorderStyle(qbbsUltraFlat);
    qb->SetBorderWidth(6);
    TnvQueryBuilderPanels *panels = qb->Panels();
    // The splitters are as wide as the border when that is wider.
    EXPECT_EQ(panels->LeftSplitter()->width(), 6);
    Shot(QStringLiteral("trees-ultraflat-border"));
    const QImage left = panels->LeftPanel()->grab().toImage();
    EXPECT_EQ(left.pixelColor(0, 50), QColor(200, 0, 0));
    EXPECT_EQ(left.pixelColor(left.width() - 1, 50), QColor(200, 0, 0));
    // The tree keeps the border's width plus four pixels from the border.
    EXPECT_EQ(Structure()->geometry().topLeft(), QPoint(1 + 10, 1 + 10));

    qb->SetBorderStyle(qbbsNone);
    EXPECT_EQ(panels->LeftPanel()->frameWidth(), 0);
    EXPECT_NE(panels->LeftPanel()->grab().toImage().pixelColor(0, 50), QColor(200, 0, 0));
}

} // namespace nvqb::test
