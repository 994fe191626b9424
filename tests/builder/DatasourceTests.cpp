// Data sources: names and captions, check marks, aliases, kinds, menus, box
// bounds, layout elements and derived tables.
#include "JoinTestSupport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/sql/SQLFromClause.h"

#include <QDomDocument>

namespace nvqb::test {

TEST_F(JoinTest, BoxNamesAndCaptionsFollowAliasAndCheckedFields)
{
    qb->CreateControls();
    Load(QStringLiteral("SELECT c.*, c.Name, c.City FROM dbo.Customers c"));
    TnvDatasource *customers = Source(QStringLiteral("c"));
    EXPECT_SQL(customers->GetDataSourceName(), "c (dbo.Customers)");
    // The select list refreshes the check marks after each of its changes.
    From()->UpdateChecks();
    EXPECT_SQL(customers->Caption(), "(*2)c (dbo.Customers)");
    EXPECT_SQL(BoxOf(customers)->Caption, "(*2)c (dbo.Customers)");
    EXPECT_SQL(BoxOf(customers)->Checked, "* | Name | City");

    Load(QStringLiteral("SELECT dbo.Customers.Name, dbo.Customers.City FROM dbo.Customers"));
    TnvDatasource *bare = Source(QStringLiteral("dbo.Customers"));
    EXPECT_SQL(bare->GetDataSourceName(), "Customers (dbo)");
    From()->UpdateChecks();
    EXPECT_SQL(bare->Caption(), "(2)Customers (dbo)");

    Load(QStringLiteral("SELECT a.*, b.y FROM a INNER JOIN b ON a.id = b.a_id"));
    From()->UpdateChecks();
    EXPECT_SQL(Source(QStringLiteral("a"))->Caption(), "(*)a");
    EXPECT_SQL(Source(QStringLiteral("b"))->Caption(), "(1)b");
    // A field used only in a condition is not checked.
    Load(QStringLiteral("SELECT 1 FROM a WHERE a.x > 0"));
    From()->UpdateChecks();
    EXPECT_SQL(Source(QStringLiteral("a"))->Caption(), "a");
    EXPECT_TRUE(BoxOf(Source(QStringLiteral("a")))->Checked.isEmpty());
}

TEST_F(JoinTest, ATableStarStaysWithTheSourceOfItsExactName)
{
    qb->CreateControls();
    // An alias hides the name of the object: a.* is the first source's.
    const QString sql = QStringLiteral("Select a.* From a Inner Join a x1 On x1.id = a.id");
    EXPECT_SQL(Load(sql), sql);
    EXPECT_SQL(BoxOf(Source(QStringLiteral("a")))->Checked, "*");
    EXPECT_TRUE(BoxOf(Source(QStringLiteral("x1")))->Checked.isEmpty());
    EXPECT_SQL(Load(SQL()), sql);
    EXPECT_SQL(BoxOf(Source(QStringLiteral("a")))->Checked, "*");
}

TEST_F(JoinTest, CheckMarksMatchFieldNamesAsTheDialectComparesThem)
{
    qb->CreateControls();
    // Unquoted names in another case name the same fields; a row of another
    // field with the same own name does not, nor does an expression.
    Load(QStringLiteral("SELECT c.name, c.CITY, a.Name, c.CustomerID + 1 FROM dbo.Customers c, a"));
    TnvDatasource *customers = Source(QStringLiteral("c"));
    EXPECT_SQL(BoxOf(customers)->Checked, "Name | City");
    // The first row of a field decides its mark.
    TnvSelectList *list = Part()->SelectList();
    TnvSelectItem *city = list->AddField(customers->DatasourceAST(), QStringLiteral("CITY"));
    list->Move(list->IndexOf(city), 0);
    city->SetSelect(false);
    EXPECT_SQL(BoxOf(customers)->Checked, "Name");
}

TEST_F(JoinTest, CheckMarksFollowTheRowsOfTheSelectList)
{
    qb->CreateControls();
    Load(QStringLiteral("SELECT c.Name FROM dbo.Customers c"));
    TnvDatasource *customers = Source(QStringLiteral("c"));
    TSQLFromSource *node = customers->DatasourceAST();
    EXPECT_SQL(BoxOf(customers)->Caption, "(1)c (dbo.Customers)");
    // A row added for a field checks it without being asked.
    Part()->SelectList()->AddField(node, QStringLiteral("City"));
    EXPECT_SQL(BoxOf(customers)->Checked, "Name | City");
    EXPECT_SQL(BoxOf(customers)->Caption, "(2)c (dbo.Customers)");
    // A row that is no longer output leaves its field unchecked.
    TnvSelectItem *name = nullptr;
    for (qsizetype i = 0; i < Part()->SelectList()->Count(); ++i)
        if (Part()->SelectList()->Items(i)->GetExpression() == QStringLiteral("c.Name"))
            name = Part()->SelectList()->Items(i);
    ASSERT_TRUE(name);
    name->SetSelect(false);
    EXPECT_SQL(BoxOf(customers)->Checked, "City");
    EXPECT_SQL(BoxOf(customers)->Caption, "(1)c (dbo.Customers)");
    // The all-fields row checks "*".
    Part()->SelectList()->AddField(node, static_cast<const TSQLQualifiedName *>(nullptr));
    EXPECT_SQL(BoxOf(customers)->Caption, "(*1)c (dbo.Customers)");
}

TEST_F(JoinTest, AnAliasRenamesEveryColumnPrefixOfThePart)
{
    qb->CreateControls();
    Load(QStringLiteral("Select a.id, b.y From a Inner Join b On a.id = b.a_id Where a.x > 0"));
    TnvDatasource *a = Source(QStringLiteral("a"));
    const int before = qb->SQLUpdatedCount;
    a->SetAlias(QStringLiteral("z"));
    EXPECT_SQL(SQL(), "Select z.id, b.y From a z Inner Join b On z.id = b.a_id Where z.x > 0");
    EXPECT_EQ(qb->SQLUpdatedCount, before + 1);
    // The caption counts the checked field a.id.
    EXPECT_SQL(BoxOf(a)->Caption, "(1)z (a)");
    a->SetAlias(QStringLiteral("w"));
    EXPECT_SQL(SQL(), "Select w.id, b.y From a w Inner Join b On w.id = b.a_id Where w.x > 0");
    // An empty alias removes the alias node.
    a->SetAlias(QString());
    EXPECT_FALSE(a->DatasourceAST()->Alias);
    EXPECT_SQL(SQL(), "Select a.id, b.y From a Inner Join b On a.id = b.a_id Where a.x > 0");
    EXPECT_SQL(BoxOf(a)->Caption, "(1)a");
    // The same alias again changes nothing.
    const int count = qb->SQLUpdatedCount;
    a->SetAlias(QString());
    EXPECT_EQ(qb->SQLUpdatedCount, count);
}

TEST_F(JoinTest, KindsComeFromTheMetadata)
{
    TnvMetadataContainer *container = qb->MetadataContainer();
    container->AddView(QString(), QStringLiteral("v"));
    container->AddProcedure(QString(), QStringLiteral("p"));
    container->AddProcedure(QString(), QStringLiteral("f"));
    container->AddProcedure(QStringLiteral("dbo"), QStringLiteral("f"));
    Load(QStringLiteral("Select * From a, v, p, zz, (Select b.id From b) q, f(1) fx, dbo.f(1) fy"));
    EXPECT_EQ(Source(QStringLiteral("a"))->DatasourceType(), dtTable);
    EXPECT_EQ(Source(QStringLiteral("v"))->DatasourceType(), dtView);
    EXPECT_EQ(Source(QStringLiteral("p"))->DatasourceType(), dtStoredProc);
    EXPECT_EQ(Source(QStringLiteral("zz"))->DatasourceType(), dtOther);
    EXPECT_EQ(Source(QStringLiteral("q"))->DatasourceType(), dtSubQuery);
    EXPECT_EQ(Source(QStringLiteral("fx"))->DatasourceType(), dtFunction);
    // A function of a two-part name is no procedure call, whatever exists.
    EXPECT_EQ(Source(QStringLiteral("fy"))->DatasourceType(), dtOther);
    EXPECT_TRUE(Source(QStringLiteral("a"))->Is<TnvDataSourceObject>());
    EXPECT_TRUE(Source(QStringLiteral("q"))->Is<TnvDataSourceQuery>());
    EXPECT_FALSE(Source(QStringLiteral("fx"))->Is<TnvDataSourceObject>());
    // Without an alias a source that names no object is named by its SQL.
    Load(QStringLiteral("Select * From f(1)"));
    EXPECT_SQL(From()->GetItems(0)->GetDataSourceName(), "f(1)");
}

TEST_F(JoinTest, BoxMenusRemoveEditAndFit)
{
    qb->CreateControls();
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id Inner Join (Select c.id From c) q On q.id = b.id"));
    TnvDatasource *b = Source(QStringLiteral("b"));
    EXPECT_SQL(Captions(b->GetPopupMenu()), "Remove | Edit... | Autofit Object Height | - | About Norvane Query Builder...");
    EXPECT_TRUE(qb->PopupMenu()->Items(1)->IsDefault());
    auto *query = static_cast<TnvDataSourceQuery *>(Source(QStringLiteral("q")));
    EXPECT_SQL(Captions(query->GetPopupMenu()), "Switch to derived table | Remove | Edit... | Autofit Object Height | - | "
                                                "About Norvane Query Builder...");
    qb->ClickMenuItem(qb->PopupMenu()->Find(QStringLiteral("Switch to derived table")));
    EXPECT_EQ(qb->CurrentSubquery(), query->SubQuery());
    EXPECT_SQL(query->SubQuery()->GetCaption(), "q");

    b->GetPopupMenu();
    qb->ClickMenuItem(qb->PopupMenu()->Find(QStringLiteral("Autofit Object Height")));
    EXPECT_EQ(BoxOf(b)->OptimalHeights, 1);
    // Removing b takes its links and its box, and q follows a alone.
    qb->ClickMenuItem(qb->PopupMenu()->Find(QStringLiteral("Remove")));
    EXPECT_SQL(SQL(), "Select * From a, (Select c.id From c) q");
    EXPECT_EQ(Links().size(), 0);
    EXPECT_EQ(log.Matching({QStringLiteral("Line Free")}).size(), 2);
}

TEST_F(JoinTest, BoundsLiveInTheModelAndInTheBox)
{
    Load(QStringLiteral("Select * From a"));
    TnvDatasource *a = Source(QStringLiteral("a"));
    a->SetLeft(37);
    a->SetTop(12);
    a->SetWidth(200);
    a->SetHeight(90);
    EXPECT_EQ(a->StoredBounds(), QRect(37, 12, 200, 90));
    // A new box takes the bounds kept in the model; from then on the box
    // holds them, and the model keeps what the box made of a change.
    qb->CreateControls();
    TFakeBox *box = BoxOf(a);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Bounds, QRect(37, 12, 200, 90));
    box->Grid = 10;
    a->SetLeft(57);
    EXPECT_EQ(a->GetLeft(), 50);
    box->Bounds.moveTop(44);
    EXPECT_EQ(a->GetTop(), 44);
    qb->DestroyControls();
    EXPECT_EQ(a->StoredBounds(), QRect(50, 44, 200, 90));
    EXPECT_EQ(a->GetLeft(), 50);
    EXPECT_TRUE(a->CalcFieldRect(nullptr).isNull());
    qb->CreateControls();
    EXPECT_EQ(BoxOf(a)->Bounds, QRect(50, 44, 200, 90));
    TOwned<TSQLQualifiedName> x = Create<TSQLQualifiedName>(p);
    x->AddName(QStringLiteral("x"), false);
    EXPECT_EQ(a->CalcFieldRect(x.get()), QRect(0, 16, 200, 16));
}

TEST_F(JoinTest, LayoutElementsMatchBoxesByTheirSQL)
{
    Load(QStringLiteral("Select * From a Inner Join b bb On a.id = bb.a_id, c"));
    Source(QStringLiteral("a"))->SetStoredBounds(QRect(10, 20, 150, 100));
    Source(QStringLiteral("bb"))->SetStoredBounds(QRect(200, 20, 140, 80));
    QDomDocument document;
    QDomElement part = document.createElement(QStringLiteral("UnionSubQuery"));
    document.appendChild(part);
    From()->SaveLayout(document, part);
    QDomElement first = part.firstChildElement();
    EXPECT_SQL(first.tagName(), "DataSource");
    QStringList attributes;
    const QDomNamedNodeMap map = first.attributes();
    for (int i = 0; i < map.count(); ++i)
        attributes.append(map.item(i).nodeName() + u'=' + map.item(i).nodeValue());
    attributes.sort();
    EXPECT_SQL(attributes, "Height=100 | SQL=a | Width=150 | X=10 | Y=20");
    EXPECT_SQL(first.nextSiblingElement().attribute(QStringLiteral("SQL")), "b bb");
    EXPECT_EQ(part.childNodes().count(), 3);

    Load(QStringLiteral("Select * From a Inner Join b bb On a.id = bb.a_id, c"));
    From()->LoadLayout(part);
    EXPECT_EQ(Source(QStringLiteral("a"))->StoredBounds(), QRect(10, 20, 150, 100));
    EXPECT_EQ(Source(QStringLiteral("bb"))->StoredBounds(), QRect(200, 20, 140, 80));

    // Values are applied one by one; one that is no integer stops the load.
    Load(QStringLiteral("Select * From a"));
    first.setAttribute(QStringLiteral("Width"), QStringLiteral("wide"));
    TnvDatasource *a = Source(QStringLiteral("a"));
    EXPECT_THROW(From()->LoadLayout(part), EConvertError);
    EXPECT_EQ(a->StoredBounds(), QRect(10, 20, 0, 100));
}

TEST_F(JoinTest, ADerivedTableTakesItsFieldsFromItsSelect)
{
    Load(QStringLiteral("Select q.id From (Select a.id, a.x From a) q"));
    auto *query = static_cast<TnvDataSourceQuery *>(Source(QStringLiteral("q")));
    ASSERT_NE(query->SubQuery(), nullptr);
    EXPECT_FALSE(query->IsLoading());
    const TnvMetadataFieldsList *fields = query->GetFields();
    ASSERT_NE(fields, nullptr);
    QStringList names;
    for (qsizetype i = 0; i < fields->Count(); ++i)
        names.append(fields->Items(i)->NameStr());
    EXPECT_SQL(names, "id | x");
    // The node keeps its proxy: the sub-query prints in its place.
    EXPECT_SQL(SQL(), "Select q.id From (Select a.id, a.x From a) q");
    query->SetAlias(QStringLiteral("r"));
    EXPECT_SQL(query->SubQuery()->GetCaption(), "r");
    EXPECT_SQL(SQL(), "Select r.id From (Select a.id, a.x From a) r");
    // Its page goes with it.
    TnvSubQuery *subQuery = query->SubQuery();
    EXPECT_EQ(qb->GetSubQueriesCount(), 2);
    TObject::Free(query);
    EXPECT_EQ(qb->GetSubQueriesCount(), 1);
    EXPECT_NE(qb->CurrentSubquery(), subQuery);
}

TEST_F(JoinTest, JoinsLeftInFromPrintBackWhenTheDialectReadsThemFromWhere)
{
    p->ANSIJoins = false;
    qb->SetSyntaxProvider(nullptr);
    qb->SetSyntaxProvider(p);
    const QString sql = QStringLiteral("Select * From a Inner Join b On a.id = b.a_id Where a.x > 0");
    EXPECT_SQL(Load(sql), sql);
    EXPECT_EQ(Links().size(), 0);
    EXPECT_NE(Source(QStringLiteral("b"))->JoinCondition(), nullptr);
}

TEST_F(JoinTest, ANewSyntaxProviderBindsTheBoxesAgain)
{
    qb->CreateControls();
    Load(QStringLiteral("Select * From a"));
    TnvDatasource *a = Source(QStringLiteral("a"));
    const int reloaded = BoxOf(a)->Reloaded;
    TJoinTestProvider other(nullptr);
    qb->SetSyntaxProvider(&other);
    EXPECT_EQ(BoxOf(a)->Reloaded, reloaded + 1);
    EXPECT_EQ(a->SyntaxProvider(), &other);
    EXPECT_EQ(a->DatasourceAST()->SyntaxProvider(), &other);
    ASSERT_NE(a->GetFields(), nullptr);
    EXPECT_EQ(a->GetFields()->Count(), 2);
    qb->SetSyntaxProvider(p);
}

} // namespace nvqb::test
