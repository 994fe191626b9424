// Adding to a union part: objects, FROM expressions, procedures and derived
// tables, links by fields and by foreign keys, the place of a new box and the
// diagram's menu.
#include "JoinTestSupport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/metadata/MetadataRelations.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/sql/SQLFromClause.h"

#include <QObject>
#include <random>
#include <ostream>

// Points in failure messages as (x, y).
inline void PrintTo(const QPoint &point, std::ostream *out) { *out << '(' << point.x() << ", " << point.y() << ')'; }

namespace nvqb::test {

namespace {

// A box that, like the real one, takes the query builder's table width and
// finds its place with FindPos when the model has never placed it.
class TPlacingBox : public TFakeBox {
public:
    TPlacingBox(TControlLog *log, TnvQueryBuilderControlOwner *owner, int height)
        : TFakeBox(log, owner), FHeight(height)
    {
    }

    void RestoreState(TnvQueryBuilderControlOwner *owner) override
    {
        auto *datasource = As<TnvDatasource>(owner);
        const QRect stored = datasource ? datasource->StoredBounds() : QRect();
        if (!datasource || stored.x() != 0 || stored.y() != 0 || stored.width() != 0 || stored.height() != 0) {
            TFakeBox::RestoreState(owner);
            return;
        }
        Bounds = QRect(0, 0, datasource->QueryBuilder()->DefaultTableWidth(), FHeight);
        datasource->SetStoredBounds(Bounds);
        QPoint point;
        datasource->UnionSubQuery()->FindPos(datasource, point);
        Bounds.moveTo(point);
        datasource->SetStoredBounds(Bounds);
    }

private:
    int FHeight;
};

// A union page whose diagram is a given width.
class TSizedPage : public TFakeControl {
public:
    using TFakeControl::TFakeControl;
    QObject Diagram;
    QObject *GetDatasourcesParent() override { return &Diagram; }
};

// The SQL-92 dialect with a property dialog for union parts and switchable
// derived tables.
class TEditableProvider : public TJoinTestProvider {
public:
    using TJoinTestProvider::TJoinTestProvider;
    bool DerivedTables = true;
    TClass GetEditPropsFormClass(TObject *node) const override
    {
        return As<TnvUnionSubQuery>(node) ? TnvUnionSubQuery::StaticClassType() : nullptr;
    }
    bool IsSupportDerivedTables() const override { return DerivedTables; }
};

} // namespace

class AddingTest : public JoinTest {
protected:
    int BoxHeight = 100;
    // Zero: the page's diagram has no width (no page is made).
    int DiagramWidth = 0;

    void SetUp() override
    {
        JoinTest::SetUp();
        // The fixture's second relation: b.id -> c.b_id.
        TnvMetadataContainer *container = qb->MetadataContainer();
        TnvMetadataObject *b = container->FindObjectByFullName(QStringLiteral("b"));
        ASSERT_NE(b, nullptr);
        auto keys = Create<TnvMetadataFieldNamesList>(nullptr);
        keys->SetSyntaxProvider(p);
        keys->AddField(QStringLiteral("id"));
        auto children = Create<TnvMetadataFieldNamesList>(nullptr);
        children->SetSyntaxProvider(p);
        children->AddField(QStringLiteral("b_id"));
        TOwned<TastTokenIdentifier> child = Create<TastTokenIdentifier>(p, QStringLiteral("c"), false);
        b->GetRelations()->AddRelation(keys.get(), child.get(), nullptr, nullptr, children.get());

        factory.RegisterControlClass(ControlClass::DataSourceControl, [this](TnvQueryBuilderControlOwner *owner, int) {
            return new TPlacingBox(&log, owner, BoxHeight);
        });
        factory.RegisterControlClass(ControlClass::UnionSubQueryTabSheet,
                                     [this](TnvQueryBuilderControlOwner *owner, int index) -> TnvModelControl * {
                                         if (DiagramWidth <= 0)
                                             return new TFakeControl(&log, QStringLiteral("Page"), owner, index);
                                         auto *page = new TSizedPage(&log, QStringLiteral("Page"), owner, index);
                                         page->Diagram.setProperty("width", DiagramWidth);
                                         return page;
                                     });
    }

    TnvUnionSubQuery *Member() const { return Part(0); }
    static QRect BoundsOf(TnvDatasource *datasource)
    {
        TFakeBox *box = BoxOf(datasource);
        return box ? box->Bounds : QRect();
    }
    // A data source placed by the model alone (no controls).
    TnvDatasource *Placed(const QString &name, int left, int top, int height, int width = 80)
    {
        TnvDatasource *datasource = Member()->AddObjectAt(name, QPoint(left, top), name + QStringLiteral("_") +
                                                                                      QString::number(top));
        datasource->SetHeight(height);
        datasource->SetWidth(width);
        return datasource;
    }
    QPoint FindPos(TnvDatasource *datasource = nullptr)
    {
        QPoint point(-1, -1);
        Member()->FindPos(datasource, point);
        return point;
    }
    QStringList LinkTexts() const
    {
        QStringList texts;
        for (TnvLink *link : Links())
            texts.append(Text(link));
        return texts;
    }
    // The captions of a menu's items, "-" for separators, "!" in front of
    // disabled ones and "*" in front of the default one.
    static QStringList MenuCaptions(const TnvMenuItemData *menu)
    {
        QStringList captions;
        for (qsizetype i = 0; menu && i < menu->Count(); ++i) {
            const TnvMenuItemData *item = menu->Items(i);
            captions.append(QString(item->Enabled() ? "" : "!") + (item->IsDefault() ? "*" : "") + item->Caption());
        }
        return captions;
    }
    static QString ErrorOf(const std::function<void()> &operation)
    {
        try {
            operation();
        } catch (const Exception &error) {
            return error.Message();
        }
        return QStringLiteral("no error");
    }
};

// ---------------------------------------------------------------------------
// Placing new boxes

TEST_F(AddingTest, NewBoxesTakeTheHighestFreePlaceOfTheLeftmostColumn)
{
    qb->CreateControls();
    EXPECT_EQ(FindPos(), QPoint(10, 10));

    TnvDatasource *a = Member()->AddObject(QStringLiteral("a"));
    EXPECT_EQ(BoundsOf(a), QRect(10, 10, 80, 100));
    // Columns stand DefaultTableWidth + 60 apart.
    TnvDatasource *b = Member()->AddObject(QStringLiteral("b"));
    EXPECT_EQ(BoundsOf(b), QRect(150, 10, 80, 100));
    EXPECT_EQ(b->StoredBounds(), QRect(150, 10, 80, 100));

    // Six columns fit into 800 pixels (the last at x = 710); the seventh box
    // goes below the first, 20 pixels under it.
    for (int i = 0; i < 4; ++i)
        Member()->AddObject(QStringLiteral("c"), QStringLiteral("c%1").arg(i));
    EXPECT_EQ(BoundsOf(Source(QStringLiteral("c3"))).topLeft(), QPoint(710, 10));
    TnvDatasource *seventh = Member()->AddObject(QStringLiteral("c"), QStringLiteral("c4"));
    EXPECT_EQ(BoundsOf(seventh).topLeft(), QPoint(10, 130));

    // A shorter box makes its column the one with the highest free place.
    BoxHeight = 30;
    b->SetHeight(30);
    EXPECT_EQ(FindPos(), QPoint(150, 60));
    // Of two equally high places the left one wins.
    Source(QStringLiteral("c0"))->SetHeight(30);
    EXPECT_EQ(FindPos(), QPoint(150, 60));
}

TEST_F(AddingTest, AGivenPointPlacesTheBoxAndTextSourcesAreAlwaysPlacedByTheDiagram)
{
    qb->CreateControls();
    TnvDatasource *a = Member()->AddObjectAt(QStringLiteral("a"), QPoint(300, 200));
    EXPECT_EQ(BoundsOf(a).topLeft(), QPoint(300, 200));
    TnvDatasource *b = Member()->AddObjectWithFKAt(QStringLiteral("b"), QPoint(40, 400));
    EXPECT_EQ(BoundsOf(b).topLeft(), QPoint(40, 400));
    TnvDatasource *expression = Member()->AddFromExpressionAt(QStringLiteral("c"), QPoint(500, 500));
    EXPECT_EQ(BoundsOf(expression).topLeft(), QPoint(10, 10));
}

TEST_F(AddingTest, TheDiagramsWidthDecidesHowManyColumnsThereAre)
{
    // Narrower than 300 counts as 500: three columns (x = 10, 150, 290).
    DiagramWidth = 290;
    qb->CreateControls();
    for (int i = 0; i < 3; ++i)
        Member()->AddObject(QStringLiteral("a"), QStringLiteral("a%1").arg(i));
    EXPECT_EQ(BoundsOf(Member()->AddObject(QStringLiteral("a"), QStringLiteral("a3"))).topLeft(), QPoint(10, 130));

    qb->DestroyControls();
    DiagramWidth = 1000;
    qb->Clear();
    qb->CreateControls();
    for (int i = 0; i < 7; ++i)
        Member()->AddObject(QStringLiteral("a"), QStringLiteral("a%1").arg(i));
    EXPECT_EQ(BoundsOf(Source(QStringLiteral("a6"))).topLeft(), QPoint(850, 10));
}

TEST_F(AddingTest, ACoarseGridNeverKeepsTheSearchOnOneRow)
{
    // Rounded down to a grid of 100, the place under each of these boxes is
    // the top of the second one (0): the search must still go on downwards.
    Placed(QStringLiteral("a"), 10, 10, 50);
    Placed(QStringLiteral("b"), 10, 0, 50);
    qb->SetGridSize(100);
    EXPECT_EQ(FindPos(), QPoint(150, 10));
    // Only the first column fits a box this wide.
    TnvDatasource *wide = Placed(QStringLiteral("c"), 0, 0, 0, 700);
    EXPECT_EQ(FindPos(wide), QPoint(10, 100));

    // Without snapping the gap is kept as it is.
    qb->SetSnapToGrid(false);
    EXPECT_EQ(FindPos(wide), QPoint(10, 80));
}

TEST_F(AddingTest, ABoxWiderThanTheDiagramGoesBelowTheLowestBox)
{
    Placed(QStringLiteral("a"), 10, 10, 50);
    Placed(QStringLiteral("b"), 150, 10, 200);
    TnvDatasource *wide = Placed(QStringLiteral("c"), 0, 0, 0, 790);
    EXPECT_EQ(FindPos(wide), QPoint(10, 230));
    // Under a grid it lands on the first grid line below that.
    qb->SetGridSize(100);
    EXPECT_EQ(FindPos(wide), QPoint(10, 300));

    // On an empty diagram it starts at the top.
    qb->Clear();
    TnvDatasource *alone = Placed(QStringLiteral("c"), 0, 0, 0, 2000);
    EXPECT_EQ(FindPos(alone), QPoint(10, 10));
}

// ---------------------------------------------------------------------------
// Objects, expressions, procedures, derived tables

TEST_F(AddingTest, ObjectsWithForeignKeysJoinTheDiagram)
{
    Member()->AddObject(QStringLiteral("a"));
    Member()->AddObjectWithFK(QStringLiteral("b"));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id = b.a_id");

    TnvDataSourceObject *c = Member()->AddObjectWithFK(QStringLiteral("c"));
    EXPECT_SQL(LinkTexts(), "a.id = b.a_id | b.id = c.b_id");
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id = b.a_id Inner Join c On b.id = c.b_id");
    // Counted: the matching relations and the links made. No relation leads
    // from or to c twice, so a second pass adds the link once more.
    EXPECT_EQ(Member()->AddFKLinksForObject(c), 2);
    EXPECT_EQ(Links().size(), 3);
    // What is not an object has no foreign keys.
    EXPECT_EQ(Member()->AddFKLinksForObject(Member()->AddFromExpression(QStringLiteral("a"))), 0);
}

TEST_F(AddingTest, ForeignKeysAreFollowedBothWaysOneLinkPerKeyField)
{
    // c.(id, b_id) -> a.(id, x): a relation of two key fields.
    TnvMetadataObject *c = qb->MetadataContainer()->FindObjectByFullName(QStringLiteral("c"));
    auto keys = Create<TnvMetadataFieldNamesList>(nullptr);
    keys->SetSyntaxProvider(p);
    keys->AddField(QStringLiteral("id"));
    keys->AddField(QStringLiteral("b_id"));
    auto children = Create<TnvMetadataFieldNamesList>(nullptr);
    children->SetSyntaxProvider(p);
    children->AddField(QStringLiteral("id"));
    children->AddField(QStringLiteral("x"));
    TOwned<TastTokenIdentifier> child = Create<TastTokenIdentifier>(p, QStringLiteral("a"), false);
    c->GetRelations()->AddRelation(keys.get(), child.get(), nullptr, nullptr, children.get());

    Member()->AddObject(QStringLiteral("a"));
    Member()->AddObject(QStringLiteral("c"));
    // b refers to c (b.id -> c.b_id) and is referred to by a (a.id -> b.a_id).
    TnvDataSourceObject *b = Member()->AddObject(QStringLiteral("b"));
    EXPECT_EQ(Member()->AddFKLinksForObject(b), 4);
    EXPECT_SQL(LinkTexts(), "b.id = c.b_id | a.id = b.a_id");
    qb->Clear();

    Member()->AddObject(QStringLiteral("a"));
    TnvDataSourceObject *c2 = Member()->AddObject(QStringLiteral("c"));
    EXPECT_EQ(Member()->AddFKLinksForObject(c2), 3);
    EXPECT_SQL(LinkTexts(), "c.id = a.id | c.b_id = a.x");
}

TEST_F(AddingTest, TextAndParsedNamesAddTheSameObject)
{
    Member()->AddObject(QStringLiteral("dbo.Customers"), QStringLiteral("my alias"));
    const QString byText = SQL();
    qb->Clear();
    TOwned<TSQLQualifiedName> name = p->ParseQualifiedName(QStringLiteral("dbo.Customers"));
    TOwned<TastTokenIdentifier> alias = p->ParseIdentifierQuoteIfNeed(QStringLiteral("my alias"));
    TnvDataSourceObject *customers = Member()->AddObject(name.get(), alias.get());
    EXPECT_SQL(SQL(), byText);
    EXPECT_SQL(SQL(), "Select * From dbo.Customers \"my alias\"");
    // The metadata is bound at once: the box lists the object's fields.
    ASSERT_NE(customers->GetFields(), nullptr);
    EXPECT_EQ(customers->GetFields()->Count(), 3);
    EXPECT_EQ(customers->DatasourceType(), dtTable);

    QList<TnvDatasourceBase *> found;
    Member()->AddObjectWithFK(name.get());
    Member()->FindTablesByDBName(name.get(), found);
    EXPECT_EQ(found.size(), 2);
}

TEST_F(AddingTest, FromExpressionsAndTheirErrors)
{
    TnvDatasource *source = Member()->AddFromExpression(QStringLiteral("b bb"), QStringLiteral("q"));
    EXPECT_EQ(source->ClassType(), TnvDatasource::StaticClassType());
    EXPECT_SQL(SQL(), "Select * From b q");
    const QString before = SQL();

    try {
        Member()->AddFromExpression(QStringLiteral("("));
        ADD_FAILURE() << "no error";
    } catch (const EnvSQLError &error) {
        const QStringList lines = error.Message().split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 2) << error.Message().toStdString();
        EXPECT_SQL(lines[0], "Invalid FROM object expression");
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral(" Unexpected token \"EOF\" at line 1")))
            << lines[1].toStdString();
    }
    EXPECT_SQL(SQL(), before);
    EXPECT_SQL(ErrorOf([&] { Member()->AddObject(QStringLiteral("")); }), "Invalid object name");
    EXPECT_SQL(ErrorOf([&] { Member()->AddStoredProc(QStringLiteral("")); }), "Invalid object name");
    EXPECT_SQL(SQL(), before);
}

TEST_F(AddingTest, ProceduresAskForTheirArguments)
{
    QString asked;
    bool accept = true;
    factory.SetProcedureParamsDialog([&](const QString &name, QString &expression) {
        asked = name;
        expression = name + QStringLiteral("(1, 2)");
        return accept;
    });
    TnvDatasource *call = Member()->AddStoredProc(QStringLiteral("proc"), QStringLiteral("pp"));
    ASSERT_NE(call, nullptr);
    EXPECT_SQL(asked, "proc");
    EXPECT_SQL(SQL(), "Select * From proc(1, 2) pp");

    accept = false;
    EXPECT_EQ(Member()->AddStoredProcAt(QStringLiteral("other"), QPoint(5, 5)), nullptr);
    EXPECT_SQL(SQL(), "Select * From proc(1, 2) pp");
}

TEST_F(AddingTest, ADerivedTableGetsAnEmptySelectOfItsOwn)
{
    qb->CreateControls();
    const qsizetype subQueries = qb->GetSubQueriesCount();
    TnvDataSourceQuery *derived = Member()->AddDerivedTable();
    ASSERT_NE(derived, nullptr);
    EXPECT_SQL(derived->GetAlias(), "Query1");
    EXPECT_EQ(derived->DatasourceType(), dtSubQuery);
    ASSERT_NE(derived->SubQuery(), nullptr);
    EXPECT_EQ(qb->GetSubQueriesCount(), subQueries + 1);
    EXPECT_NE(BoxOf(derived), nullptr);
    EXPECT_SQL(SQL(), "Select * From (Select *) Query1");

    // The derived table's SELECT is edited as a statement of its own.
    TnvUnionSubQuery *inner = derived->SubQuery()->UnionSubQueries(0);
    inner->AddObject(QStringLiteral("a"));
    EXPECT_SQL(SQL(), "Select * From (Select * From a) Query1");
}

// Two sources of one SELECT with one name make SQL the servers refuse, and a
// reload binds the columns of one to the other.
TEST_F(AddingTest, ANewSourceWhoseNameIsTakenGetsANameOfItsOwn)
{
    factory.SetProcedureParamsDialog([](const QString &name, QString &expression) {
        expression = name + QStringLiteral("(1)");
        return true;
    });
    TnvDatasource *b = Member()->AddObject(QStringLiteral("b"));
    TnvDatasource *b1 = Member()->AddObject(QStringLiteral("b"));
    Member()->AddObject(QStringLiteral("B"));
    // A given alias that is taken, and an object named like an alias.
    Member()->AddObject(QStringLiteral("a"), QStringLiteral("b1"));
    Member()->AddObject(QStringLiteral("a"), QStringLiteral("q"));
    Member()->AddObject(QStringLiteral("q"));
    Member()->AddFromExpression(QStringLiteral("c"));
    Member()->AddFromExpression(QStringLiteral("c"));
    Member()->AddStoredProc(QStringLiteral("p"), QStringLiteral("p_"));
    Member()->AddStoredProc(QStringLiteral("p"), QStringLiteral("p_"));
    Member()->AddDerivedTable();
    Member()->AddDerivedTable();
    EXPECT_SQL(SQL(), "Select * From b, b b1, B B2, a b11, a q, q q1, c, c c1, p(1) p_, p(1) p_1, "
                      "(Select *) Query1, (Select *) Query2");
    // A name in another union part or another SELECT is not taken.
    TnvUnionSubQuery *second = qb->Query()->Add();
    second->AddObject(QStringLiteral("b"));
    EXPECT_TRUE(SQL().endsWith(QStringLiteral("Union Select * From b"))) << SQL().toStdString();

    // Columns of each copy come back bound to the same copy.
    Member()->SelectList()->AddField(b->DatasourceAST(), QStringLiteral("y"));
    Member()->SelectList()->AddField(b1->DatasourceAST(), QStringLiteral("y"));
    Member()->AddLink(b, QStringLiteral("id"), b1, QStringLiteral("a_id"));
    const QString sql = SQL();
    EXPECT_TRUE(sql.startsWith(QStringLiteral("Select b.y, b1.y From b Inner Join b b1 On b.id = b1.a_id")))
        << sql.toStdString();
    EXPECT_SQL(Load(sql), sql);
    EXPECT_SQL(Text(Links().first()), "b.id = b1.a_id");
    EXPECT_EQ(Links().first()->LeftDatasource(), Source(QStringLiteral("b")));
    EXPECT_EQ(Links().first()->RightDatasource(), Source(QStringLiteral("b1")));

    // A derived table added to a loaded one takes the next free name.
    Load(QStringLiteral("Select * From (Select a.id From a) Query1"));
    EXPECT_SQL(Member()->AddDerivedTable()->GetAlias(), "Query2");
}

// Random sessions of tables added again and again, with and without given
// aliases, derived tables, links and output columns between the copies:
// every source keeps a name of its own, and the text loads back with every
// column bound to the same copy.
TEST_F(AddingTest, RandomAddingKeepsNamesApartAndColumnsWithTheirCopies)
{
    const int seed = qEnvironmentVariableIntValue("NVQB_SEED");
    const int count = qEnvironmentVariableIsSet("NVQB_COUNT") ? qEnvironmentVariableIntValue("NVQB_COUNT") : 60;
    std::mt19937 random(seed ? unsigned(seed) : 20261209u);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const QStringList tables = {"a", "b", "c"}, aliases = {"", "", "a", "b1", "x", "Query1"};
    // Each output column as "expression@place of its source in FROM".
    auto bindings = [&] {
        TastNodeRefList sources;
        Member()->FromGroup()->GetFromSources(sources);
        QStringList list;
        for (qsizetype i = 0; i < Member()->SelectList()->Count(); ++i) {
            const TnvSelectItem *row = Member()->SelectList()->Items(i);
            list.append(row->GetExpression() + u'@' + QString::number(sources.indexOf(row->DatasourceNode())));
        }
        return list;
    };
    for (int session = 0; session < count && !HasFailure(); ++session) {
        qb->Clear();
        QList<TnvDatasource *> added;
        for (int step = 0, steps = between(2, 7); step < steps; ++step) {
            if (between(1, 5) == 1)
                added.append(Member()->AddDerivedTable());
            else
                added.append(Member()->AddObject(tables[between(0, 2)], aliases[between(0, 5)]));
        }
        for (TnvDatasource *datasource : added)
            if (!datasource->Is<TnvDataSourceQuery>() && between(0, 1) == 0)
                Member()->SelectList()->AddField(datasource->DatasourceAST(), QStringLiteral("id"));
        TnvDatasource *left = added[between(0, int(added.size()) - 1)];
        TnvDatasource *right = added[between(0, int(added.size()) - 1)];
        if (left != right && !left->Is<TnvDataSourceQuery>() && !right->Is<TnvDataSourceQuery>())
            Member()->AddLink(left, QStringLiteral("id"), right, QStringLiteral("id"));
        const QString sql = SQL();
        SCOPED_TRACE(sql.toStdString());
        for (TnvDatasource *datasource : added)
            EXPECT_FALSE(Member()->IsDatasourceNameTaken(TnvUnionSubQuery::ShownName(datasource->DatasourceAST()),
                                                         datasource));
        const QStringList bound = bindings();
        EXPECT_SQL(Load(sql), sql);
        EXPECT_SQL(bindings(), bound);
    }
}

// ---------------------------------------------------------------------------
// Links

TEST_F(AddingTest, LinksByFieldNameGoToOnOrWhereAsThePartJoins)
{
    qb->CreateControls();
    TnvDatasource *a = Member()->AddObject(QStringLiteral("a"));
    TnvDatasource *b = Member()->AddObject(QStringLiteral("b"));
    TnvLink *link = Member()->AddLink(a, QStringLiteral("id"), b, QStringLiteral("a_id"));
    ASSERT_NE(link, nullptr);
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id = b.a_id");
    ASSERT_NE(LineOf(link), nullptr);
    EXPECT_GE(LineOf(link)->Aligned, 1);
    TOwned<TSQLQualifiedName> id = p->ParseQualifiedName(QStringLiteral("id"));
    TOwned<TSQLQualifiedName> aId = p->ParseQualifiedName(QStringLiteral("a_id"));
    EXPECT_EQ(Member()->FindLink(a, id.get(), b, aId.get()), link);
    EXPECT_EQ(Member()->FindLink(b, aId.get(), a, id.get()), nullptr);

    EXPECT_SQL(ErrorOf([&] { Member()->AddLink(a, QString(), b, QStringLiteral("id")); }), "Invalid field name: ");
    EXPECT_EQ(Links().size(), 1);

    // Joins written in WHERE.
    p->ANSIJoins = false;
    qb->Clear();
    TnvDatasource *a2 = Member()->AddObject(QStringLiteral("a"));
    TnvDatasource *c = Member()->AddObject(QStringLiteral("c"));
    Member()->AddLink(a2, QStringLiteral("id"), c, QStringLiteral("b_id"));
    EXPECT_SQL(SQL(), "Select * From a, c Where a.id = c.b_id");
}

TEST_F(AddingTest, WithoutASyntaxProviderNothingIsAdded)
{
    TnvDatasource *a = Member()->AddObject(QStringLiteral("a"));
    TnvDatasource *b = Member()->AddObject(QStringLiteral("b"));
    qb->SetSyntaxProvider(nullptr);
    const qsizetype count = From()->GetCount();
    const std::vector<std::function<void()>> operations = {
        [&] { Member()->AddObject(QStringLiteral("a")); },
        [&] { Member()->AddObjectWithFKAt(QStringLiteral("a"), QPoint(1, 1)); },
        [&] { Member()->AddStoredProc(QStringLiteral("p")); },
        [&] { Member()->AddFromExpression(QStringLiteral("a")); },
        [&] { Member()->AddDerivedTable(); },
        [&] { Member()->AddLink(a, QStringLiteral("id"), b, QStringLiteral("a_id")); },
        [&] { Member()->AddFKLinksForObject(b); },
    };
    for (const auto &operation : operations)
        EXPECT_SQL(ErrorOf(operation), "Syntax provider is not specified");
    EXPECT_EQ(From()->GetCount(), count);
    EXPECT_TRUE(Links().isEmpty());

    EXPECT_SQL(MenuCaptions(Member()->GetPopupMenuWA()),
               "Add Object | !Add Derived Table | Union | !*Edit... | - | About Norvane Query Builder...");
}

// ---------------------------------------------------------------------------
// The diagram's menu

TEST_F(AddingTest, TheDiagramMenuAddsObjectsDerivedTablesAndUnionParts)
{
    TnvMenuItemData *menu = Member()->GetPopupMenuWA();
    EXPECT_SQL(MenuCaptions(menu),
               "Add Object | Add Derived Table | Union | !*Edit... | - | About Norvane Query Builder...");
    EXPECT_SQL(MenuCaptions(menu->Find(QStringLiteral("Union"))),
               "New Union Sub-Query | Enclose In Brackets | !Remove");

    // The dialog stands in for itself, counting its showings.
    struct TFakeAddObjectForm : TnvAddObjectFormHandle {
        int &Shown;
        explicit TFakeAddObjectForm(int &shown) : Shown(shown) {}
        void ShowModal() override { ++Shown; }
    };
    int dialogs = 0;
    factory.SetAddObjectFormCreator([&](TnvQueryBuilderModel *builder) -> std::unique_ptr<TnvAddObjectFormHandle> {
        EXPECT_EQ(builder, qb.get());
        return std::make_unique<TFakeAddObjectForm>(dialogs);
    });
    qb->ClickMenuItem(Member()->GetPopupMenuWA()->Find(QStringLiteral("Add Object")));
    EXPECT_EQ(dialogs, 1);
    qb->ClickMenuItem(Member()->GetPopupMenuWA()->Find(QStringLiteral("Add Derived Table")));
    EXPECT_SQL(SQL(), "Select * From (Select *) Query1");
    qb->ClickMenuItem(Member()->GetPopupMenuWA()->Find(QStringLiteral("Union"))->Find(
        QStringLiteral("New Union Sub-Query")));
    EXPECT_EQ(qb->Query()->UnionSubQueriesCount(), 2);

    // A dialect with a property dialog for the part, without derived tables
    // in the main query (they stay in sub-queries).
    TEditableProvider editable;
    editable.DerivedTables = false;
    qb->SetSyntaxProvider(&editable);
    EXPECT_SQL(MenuCaptions(Member()->GetPopupMenuWA()),
               "Add Object | !Add Derived Table | Union | *Edit... | - | About Norvane Query Builder...");
    TnvQueryBuilderControlOwner *edited = nullptr;
    factory.SetEditPropsDialog([&](TClass, TnvQueryBuilderControlOwner *node, TPosition) {
        edited = node;
        return false;
    });
    qb->ClickMenuItem(Member()->GetPopupMenuWA()->Find(QStringLiteral("Edit...")));
    EXPECT_EQ(edited, Member());
    TOwned<TSQLSelectStatement> statement = editable.ParseSelect(QStringLiteral("SELECT * FROM (SELECT * FROM a) q"));
    qb->PrepareStatement(statement.get());
    qb->LoadStatement(std::move(statement));
    TnvUnionSubQuery *inner = As<TnvDataSourceQuery>(Source(QStringLiteral("q")))->SubQuery()->UnionSubQueries(0);
    EXPECT_SQL(MenuCaptions(inner->GetPopupMenuWA()).mid(0, 2), "Add Object | Add Derived Table");
    qb->SetSyntaxProvider(p);
}

} // namespace nvqb::test
