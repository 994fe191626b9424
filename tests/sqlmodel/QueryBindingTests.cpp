// Binding parsed statements to their scopes and to a metadata container:
// what columns and t.* resolve to, result fields, parameters, statistics, and
// the condition rewrites applied to parsed conditions.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/metadata/MetadataEntries.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/QueryStatistics.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class QueryBindingTest : public ::testing::Test {
protected:
    TnvSQL92SyntaxProvider provider;
    TnvSQL92SyntaxProvider *p = &provider;
    TOwned<TnvMetadataContainer> container;

    void SetUp() override
    {
        SetMetadataEntries(MetadataModelEntries());
        container = MakeContainer(p);
        container->SetWorkOffline(true);
        container->SetDefaultSchemaNamesStr(QStringLiteral("sales"));
        Table("sales", "Orders", {{"id", ftInteger}, {"customer_id", ftInteger}, {"total", ftFloat}});
        Table("sales", "Customers", {{"id", ftInteger}, {"name", ftString}});
        Table("hr", "Orders", {{"id", ftSmallint}, {"employee_id", ftInteger}});
    }
    void TearDown() override
    {
        container.reset();
        SetMetadataEntries(nullptr);
    }
    void Table(const char *schema, const char *name, std::initializer_list<std::pair<const char *, TFieldType>> fields)
    {
        TnvMetadataObject *table = container->AddTable(QString::fromUtf8(schema), QString::fromUtf8(name));
        for (const auto &[field, type] : fields)
            table->GetFields()->AddField(QName(p, QString::fromUtf8(field)).get(), type, 0, true, false);
        table->GetFields()->SetLoaded(true);
    }

    void Bind(TastNodeBase *node)
    {
        TastNodeRefList withItems, fromSources;
        node->PrepareAndFixupRecursive(withItems, fromSources, container.get());
        // Every scope is cut back on leaving.
        EXPECT_TRUE(withItems.isEmpty());
        EXPECT_TRUE(fromSources.isEmpty());
    }
    TOwned<TSQLSelectStatement> Bound(const char *text)
    {
        TOwned<TSQLSelectStatement> statement = p->ParseSelect(QString::fromUtf8(text));
        Bind(statement.get());
        return statement;
    }
    static QString Print(const TastNode *node) { return node->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr); }
    static TSQLSubQuerySelectExpression *Block(const TSQLSubQueryExpressions *statement)
    {
        return statement->FirstSelectBlock();
    }

    // "alias:schema.object", "derived" or "-" for no source.
    static QString SourceText(const TSQLFromSource *source)
    {
        if (!source)
            return QStringLiteral("-");
        QString text = source->Alias ? source->Alias->Identifier->Text() + u':' : QString();
        if (const auto *object = As<TSQLFromObject>(source); object && object->WithItem())
            return text + QStringLiteral("with ") + object->WithItem()->Name->Text();
        if (const auto *object = As<TSQLFromObject>(source))
            return text + (object->MetadataObject() ? object->MetadataObject()->GetFullNameStr()
                                                    : object->ObjectName->GetQualifiedName());
        return text + QStringLiteral("derived");
    }
    // Each column as "its own parts@source", in tree order.
    static QStringList Columns(TastNodeBase *node)
    {
        TastNodeRefList columns;
        node->GetReferencedColumnsRecursive(columns);
        QStringList result;
        for (TastNodeBase *item : columns) {
            const auto *column = static_cast<const TSQLObjectColumn *>(item);
            QStringList parts;
            for (qsizetype i = column->GetCount() - 1; i >= 0; --i)
                parts << column->GetItems(i)->Text();
            result << parts.join(u'.') + u'@' + SourceText(column->Datasource());
        }
        return result;
    }
    // Every t.* of the tree as "name@source".
    static QStringList TableStars(TastNodeBase *node)
    {
        TastNodesList all;
        node->GetMyChildrenRecursive(all);
        QStringList result;
        for (TastNodeBase *item : all)
            if (const auto *star = As<TSQLSelectItemAllTableColumns>(item))
                result << star->TableName->GetQualifiedNameWithoutQuotes() + u'@' +
                              SourceText(star->TableName->Datasource());
        return result;
    }
    // The fields as "name:type".
    static QStringList Fields(const TnvMetadataFieldsList *fields)
    {
        QStringList result;
        for (qsizetype i = 0; fields && i < fields->Count(); ++i)
            result << fields->Items(i)->NameStr() + u':' + QString::number(int(fields->Items(i)->FieldType()));
        return result;
    }
    // Every parameter as "name op object.field:type".
    static QStringList Parameters(TastNodeBase *node)
    {
        TastNodesList all;
        node->GetMyChildrenRecursive(all);
        QStringList result;
        for (TastNodeBase *item : all)
            if (const auto *parameter = As<TSQLExpressionParameter>(item))
                result << Print(parameter) + u' ' + parameter->CompareOperator + u' ' + parameter->ObjectName + u'.' +
                              parameter->FieldName + u':' + QString::number(parameter->DataType);
        return result;
    }
};

TEST_F(QueryBindingTest, ColumnsBindByAliasObjectNameOrFieldAndDropThePrefix)
{
    auto s = Bound("select o.id, total, sales.Orders.id, Orders.id from Orders o, sales.Orders");
    EXPECT_SQL(Columns(s.get()), QStringList({"id@o:sales.Orders", "total@sales.Orders", "id@sales.Orders",
                                              "Orders.id@-"}));
    // A bound column prints its source's prefix once; the unbound one as written.
    EXPECT_SQL(Print(s.get()), "Select o.id, sales.Orders.total, sales.Orders.id, Orders.id From Orders o, sales.Orders");

    // The later source of a block wins; a name no inner source has binds outside.
    s = Bound("select id from Orders o, Customers c "
              "where exists (select * from hr.Orders h where h.employee_id = customer_id and name = 'x')");
    EXPECT_SQL(Columns(s.get()), QStringList({"id@c:sales.Customers", "employee_id@h:hr.Orders",
                                              "customer_id@o:sales.Orders", "name@c:sales.Customers"}));
}

TEST_F(QueryBindingTest, InnerSourcesShadowOuterOnesForColumnsAndTableStars)
{
    auto s = Bound("select a.*, a.id from Orders a "
                   "where a.id in (select a.id from Customers a where exists (select a.*, id from hr.Orders a))");
    EXPECT_SQL(Columns(s.get()), QStringList({"id@a:sales.Orders", "id@a:sales.Orders", "id@a:sales.Customers",
                                              "id@a:hr.Orders"}));
    EXPECT_SQL(TableStars(s.get()), QStringList({"a@a:sales.Orders", "a@a:hr.Orders"}));
    // A table star by object name, and one that names no visible source.
    s = Bound("select Customers.*, x.* from Customers");
    EXPECT_SQL(TableStars(s.get()), QStringList({"Customers@sales.Customers", "x@-"}));
    // An alias hides the object's name: the star stays with the source
    // named exactly so, as the columns do, whichever comes last.
    s = Bound("select Customers.*, c1.*, Customers.id from Customers join Customers c1 on c1.id = Customers.id");
    EXPECT_SQL(TableStars(s.get()), QStringList({"Customers@sales.Customers", "c1@c1:sales.Customers"}));
    EXPECT_SQL(Columns(s.get()).first(), "id@sales.Customers");
    s = Bound("select Customers.* from Customers c1, Customers");
    EXPECT_SQL(TableStars(s.get()), QStringList({"Customers@sales.Customers"}));
    s = Bound("select Customers.* from Customers c1");
    EXPECT_SQL(TableStars(s.get()), QStringList({"Customers@-"}));
}

TEST_F(QueryBindingTest, ResultFieldsFollowTheSelectList)
{
    auto s = Bound("select o.id, o.total as amount, o.total * 2, 1 + 1 as two, missing, c.*, * "
                   "from Orders o inner join (Customers c cross join hr.Orders) on o.customer_id = c.id");
    EXPECT_SQL(Fields(Block(s.get())->ResultFields()),
               QStringList({"id:3", "amount:6", "two:0", "missing:0", "id:3", "name:1", "id:3", "customer_id:3",
                            "total:6", "id:3", "name:1", "id:2", "employee_id:3"}));

    // A derived table offers its block's result fields, and they bind columns outside.
    s = Bound("select d.cid, d.amount, d.x, total from (select o.customer_id cid, o.total amount, o.total * 2 x "
              "from Orders o) d");
    EXPECT_SQL(Columns(s.get()), QStringList({"cid@d:derived", "amount@d:derived", "x@d:derived", "total@-",
                                              "customer_id@o:sales.Orders", "total@o:sales.Orders",
                                              "total@o:sales.Orders"}));
    EXPECT_SQL(Fields(Block(s.get())->ResultFields()), QStringList({"cid:3", "amount:6", "x:0", "total:0"}));
}

TEST_F(QueryBindingTest, WithItemsTakeTheirQuerysFieldsAndColumnNames)
{
    // The SQL-92 dialect has no WITH: the clause is built around parsed queries.
    auto s = p->ParseSelect(QStringLiteral("select r.rid, rtotal, r.* from recent r"));
    auto with = Create<TSQLWithClause>(p);
    auto item = Create<TSQLWithClauseItem>(p);
    item->Name.reset(Ident(p, "recent"));
    item->ColumnNames.reset(Create<TastIdentifiersList>(p));
    for (const char *name : {"rid", "rtotal", "extra"})
        item->ColumnNames->Add(Ident(p, QString::fromUtf8(name)));
    item->Query.reset(p->ParseSelect(QStringLiteral("select id, total from Orders")));
    TSQLWithClauseItem *itemPtr = item.get();
    with->Add(std::move(item));
    s->WithClause.reset(std::move(with));
    Bind(s.get());
    EXPECT_SQL(Fields(itemPtr->ResultFields()), QStringList({"rid:3", "rtotal:6", "extra:0"}));
    const auto *recent = static_cast<TSQLFromObject *>(Block(s.get())->FromClause->GetItems(0));
    EXPECT_EQ(recent->WithItem(), itemPtr);
    EXPECT_EQ(recent->MetadataObject(), nullptr);
    // The WITH clause is walked first.
    EXPECT_SQL(Columns(s.get()), QStringList({"id@sales.Orders", "total@sales.Orders", "rid@r:with recent",
                                              "rtotal@r:with recent"}));
    EXPECT_SQL(Fields(Block(s.get())->ResultFields()), QStringList({"rid:3", "rtotal:6", "rid:3", "rtotal:6", "extra:0"}));
}

TEST_F(QueryBindingTest, ParametersLearnTheColumnTheyAreComparedWith)
{
    auto s = Bound("select * from Orders o, sales.Customers where o.id = :a and :b < o.total "
                   "and (o.total) between :c and :d and o.id not between :e and (:f) "
                   "and name like :g and Customers.name not like :h and x.y = :i and fx(name) = :j");
    EXPECT_SQL(Parameters(s.get()),
               QStringList({":a = o.id:3", ":b < o.total:6", ":c >= o.total:6", ":d <= o.total:6", ":e < o.id:3",
                            ":f > o.id:3", ":g Like sales.Customers.name:1", ":h Not Like .name:0",
                            ":i = .y:0", ":j  .:0"}));
}

TEST_F(QueryBindingTest, BindingTwiceGivesTheSameResultAndMissesLeaveNothingBehind)
{
    const char *text = "select o.id, total, sales.Orders.id, c.* from Orders o, sales.Orders, Customers c "
                       "where o.id = :p and c.id in (select c.id from Customers c)";
    auto s = Bound(text);
    const QStringList columns = Columns(s.get());
    const QStringList fields = Fields(Block(s.get())->ResultFields());
    const QString printed = Print(s.get());
    Bind(s.get());
    EXPECT_SQL(Columns(s.get()), columns);
    EXPECT_SQL(Fields(Block(s.get())->ResultFields()), fields);
    EXPECT_SQL(Print(s.get()), printed);
    // A copy binds like the original.
    auto copy = s->Clone();
    Bind(copy.get());
    EXPECT_SQL(Columns(copy.get()), columns);

    // Once the alias names something else, nothing of the old binding stays.
    auto *orders = Block(s.get())->FromClause->GetItems(0);
    orders->Alias->Identifier.reset(Ident(p, "z"));
    Block(s.get())->FromClause->GetItems(2)->Alias->Identifier.reset(Ident(p, "k"));
    Bind(s.get());
    EXPECT_SQL(Columns(s.get()).mid(0, 3), QStringList({"o.id@-", "total@sales.Orders", "id@sales.Orders"}));
    EXPECT_SQL(TableStars(s.get()), QStringList({"c@-"}));
    EXPECT_SQL(Parameters(s.get()), QStringList({":p = .id:0"}));
}

TEST_F(QueryBindingTest, RestoredPrefixesPrintOnceAndBindAgain)
{
    auto s = Bound("select o.id, total, sales.Orders.id, d.x from Orders o, sales.Orders, (select 1 x) d");
    const QString printed = Print(s.get());
    EXPECT_SQL(printed, "Select o.id, sales.Orders.total, sales.Orders.id, d.x From Orders o, sales.Orders, "
                        "(Select 1 x) d");
    s->RestoreColumnPrefixRecursive();
    EXPECT_SQL(Print(s.get()), printed);
    EXPECT_SQL(Columns(s.get()), QStringList({"o.id@-", "sales.Orders.total@-", "sales.Orders.id@-", "d.x@-"}));
    Bind(s.get());
    EXPECT_SQL(Print(s.get()), printed);
    EXPECT_SQL(Columns(s.get()), QStringList({"id@o:sales.Orders", "total@sales.Orders", "id@sales.Orders",
                                              "x@d:derived"}));
}

TEST_F(QueryBindingTest, StatisticsCountObjectsAndColumnsUntilStable)
{
    auto s = Bound("select o.id, c.name as who, o.total * 2 from Orders o inner join Customers c "
                   "on o.customer_id = c.id, ghost g where o.total > 1 and g.k = 2");
    s->PrepareCalcStatisticsRecursive();
    EXPECT_GT(s->CalcStatisticsRecursive(), 0);
    EXPECT_EQ(s->CalcStatisticsRecursive(), 0);
    // sales.Orders, sales.Customers and ghost; the columns of the two tables.
    EXPECT_EQ(s->StatsObjects()->GetCount(), 3);
    EXPECT_EQ(s->StatsObjects()->GetItems(2)->MetadataObject(), nullptr);
    EXPECT_SQL(s->StatsObjects()->GetItems(2)->ObjectName()->GetQualifiedName(), "ghost");
    EXPECT_EQ(s->StatsColumns()->GetCount(), 5);

    // Each result column knows where it comes from.
    const TnvMetadataFieldsList *result = Block(s.get())->ResultFields();
    ASSERT_EQ(result->Count(), 2);
    EXPECT_EQ(result->Items(0)->StatsColumns()->GetCount(), 1);
    EXPECT_SQL(result->Items(0)->StatsColumns()->GetItems(0)->ColumnName()->GetQualifiedName(), "id");
    EXPECT_SQL(result->Items(0)->StatsColumns()->GetItems(0)->ObjectName()->GetQualifiedName(), "sales.Orders");
    EXPECT_EQ(result->Items(1)->StatsObjects()->GetCount(), 1);
    EXPECT_SQL(result->Items(1)->StatsColumns()->GetItems(0)->ColumnName()->GetQualifiedName(), "name");

    // A copy of a node keeps its statistics; clearing the container drops the references.
    auto copy = s->Clone();
    EXPECT_EQ(copy->StatsColumns()->GetCount(), 5);
    container->Clear();
    EXPECT_EQ(copy->StatsObjects()->GetItems(0)->MetadataObject(), nullptr);
    EXPECT_EQ(result->Items(0)->StatsColumns()->GetItems(0)->MetadataField(), nullptr);
}

TEST_F(QueryBindingTest, StatisticsListsFindEntriesByIdentityOrName)
{
    TnvStatsColumns columns(p);
    TnvMetadataObject *orders = container->FindObjectByFullName(QStringLiteral("sales.Orders"));
    TnvMetadataField *id = orders->GetFields()->Items(0);
    EXPECT_EQ(columns.AddColumnIfNotExists(orders, QName(p, "x").get(), id, QName(p, "y").get()), 1);
    EXPECT_EQ(columns.AddColumnIfNotExists(orders, QName(p, "other").get(), id, QName(p, "names").get()), 0);
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "T").get(), nullptr, QName(p, "C").get()), 1);
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "t").get(), nullptr, QName(p, "c").get()), 0);
    TnvStatsObjects objects(p);
    EXPECT_EQ(objects.AddObjectIfNotExists(nullptr, QName(p, "sales.Orders").get()), 1);
    // By name only entries without object match.
    EXPECT_EQ(objects.AddObjectIfNotExists(orders, orders->FullName()), 1);
    EXPECT_EQ(objects.AddObjectIfNotExists(nullptr, QName(p, "SALES.orders").get()), 0);
    TnvStatsObjects copy(p);
    EXPECT_EQ(copy.AddObjects(&objects), 2);
    EXPECT_EQ(copy.GetItems(1)->MetadataObject(), orders);
}

// Past its first few columns a binding walk finds the sources that may take
// a column through an index of the visible sources, filed by upper-cased
// ASCII names: it must bind as asking every source does, under the
// provider's case rules, with names whose case fold is not ASCII, and with
// sources whose fields appear while the walk runs.
TEST_F(QueryBindingTest, ColumnsBeyondTheFirstFewBindAsAskingEverySourceDoes)
{
    // U+017F, the long s, folds to an ASCII "S".
    Table("sales", "Stra\xc3\x9f" "e", {{"\xc5\xbf" "eat", ftInteger}, {"id", ftSmallint}});
    // The derived table binds six columns inside before it offers its own:
    // the index is made while it offers none.
    auto s = Bound("select o.id, o.id, o.id, o.id, o.id, O.ID, ORDERS.total, SALES.orders.id, seat, C.Name, "
                   "\"Stra\xc3\x9f" "e\".id, x.id, cid, id, d.CID "
                   "from Orders o, sales.Orders, Customers c, \"Stra\xc3\x9f" "e\", "
                   "(select o.customer_id cid, o.id, o.id, o.id, o.id, o.id from Orders o) d");
    EXPECT_SQL(Columns(s.get()).mid(5, 10),
               QStringList({"ID@o:sales.Orders", "ORDERS.total@-", "id@sales.Orders",
                            "seat@sales.Stra\u00dfe", "Name@c:sales.Customers", "id@sales.Stra\u00dfe", "x.id@-",
                            "cid@d:derived", "id@d:derived", "CID@d:derived"}));
    // Counted as before: the three tables, and the five of their columns the
    // statement reads.
    s->PrepareCalcStatisticsRecursive();
    EXPECT_GT(s->CalcStatisticsRecursive(), 0);
    EXPECT_EQ(s->CalcStatisticsRecursive(), 0);
    EXPECT_EQ(s->StatsObjects()->GetCount(), 3);
    EXPECT_EQ(s->StatsColumns()->GetCount(), 5);

    // Quoted names keep their case where the provider says so: the index
    // files "Ord", ORD and "ord" together, the provider tells them apart.
    provider.SetIdentCaseSens(icsSensitiveUpperCase);
    s = Bound("select \"Ord\".id, \"Ord\".id, \"Ord\".id, \"Ord\".id, \"Ord\".id, "
              "\"Ord\".total, ord.name, \"ORD\".name, \"ord\".id "
              "from Orders \"Ord\", Customers ORD");
    EXPECT_SQL(Columns(s.get()).mid(5),
               QStringList({"total@Ord:sales.Orders", "name@ORD:sales.Customers", "name@ORD:sales.Customers",
                            "ord.id@-"}));
}

TEST_F(QueryBindingTest, LongStatisticsListsFindEntriesAsShortOnesDo)
{
    // Long enough to be indexed.
    TnvStatsColumns columns(p);
    for (int i = 0; i < 40; ++i)
        columns.AddColumn(nullptr, QName(p, "T").get(), nullptr, QName(p, QStringLiteral("c%1").arg(i)).get());
    TnvMetadataObject *orders = container->FindObjectByFullName(QStringLiteral("sales.Orders"));
    TnvMetadataField *id = orders->GetFields()->Items(0);
    // By name, through the provider's rules; the first entry wins.
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "t").get(), nullptr, QName(p, "C7").get()), 0);
    EXPECT_EQ(columns.FindColumn(nullptr, QName(p, "t").get(), nullptr, QName(p, "C7").get()), columns.GetItems(7));
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "u").get(), nullptr, QName(p, "c7").get()), 1);
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "T.c7").get(), nullptr, QName(p, "c7").get()), 1);
    // An object or a field given is found by identity alone.
    EXPECT_EQ(columns.AddColumnIfNotExists(orders, QName(p, "T").get(), nullptr, QName(p, "c7").get()), 1);
    EXPECT_EQ(columns.AddColumnIfNotExists(orders, QName(p, "zzz").get(), nullptr, QName(p, "C7").get()), 0);
    EXPECT_EQ(columns.AddColumnIfNotExists(orders, QName(p, "x").get(), id, QName(p, "y").get()), 1);
    EXPECT_EQ(columns.AddColumnIfNotExists(orders, QName(p, "other").get(), id, QName(p, "names").get()), 0);
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "T").get(), id, QName(p, "c1").get()), 1);
    // A name whose case fold is not ASCII meets an ASCII one.
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "T").get(), nullptr,
                                           QName(p, QStringLiteral("\u017Feat")).get()), 1);
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "t").get(), nullptr, QName(p, "SEAT").get()), 0);
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "t").get(), nullptr,
                                           QName(p, QStringLiteral("\u017FEAT")).get()), 0);
    // Cleared, the index starts again.
    const qsizetype count = columns.GetCount();
    TnvStatsColumns copy(p);
    copy.Assign(&columns);
    columns.Clear();
    EXPECT_EQ(columns.AddColumnIfNotExists(nullptr, QName(p, "T").get(), nullptr, QName(p, "c7").get()), 1);
    EXPECT_EQ(copy.GetCount(), count);
    EXPECT_EQ(copy.AddColumnIfNotExists(nullptr, QName(p, "T").get(), nullptr, QName(p, "C39").get()), 0);

    TnvStatsObjects objects(p);
    for (int i = 0; i < 20; ++i)
        objects.AddObject(nullptr, QName(p, QStringLiteral("s.o%1").arg(i)).get());
    // By name only the entries without object match; by object only its own.
    EXPECT_EQ(objects.AddObjectIfNotExists(orders, QName(p, "S.O3").get()), 1);
    EXPECT_EQ(objects.AddObjectIfNotExists(nullptr, QName(p, "S.O3").get()), 0);
    EXPECT_EQ(objects.AddObjectIfNotExists(orders, orders->FullName()), 0);
    EXPECT_EQ(objects.FindObject(nullptr, QName(p, "sales.Orders").get()), nullptr);
    EXPECT_EQ(objects.AddObjectIfNotExists(nullptr, QName(p, "o3").get()), 1);
}

TEST_F(QueryBindingTest, StatisticsEntriesCopiedForAnotherProviderTakeItsRules)
{
    TnvStatsColumns columns(p);
    columns.AddColumn(nullptr, QName(p, "T").get(), nullptr, QName(p, "Mixed").get());
    // Another provider that keeps the case of quoted names: the copies follow
    // it, the originals keep theirs.
    TnvSQL92SyntaxProvider strict;
    strict.SetIdentCaseSens(icsSensitiveUpperCase);
    TnvStatsColumns copy(&strict);
    EXPECT_EQ(copy.AddColumns(&columns), 1);
    EXPECT_EQ(copy.GetItems(0)->ColumnName()->SyntaxProvider(), &strict);
    EXPECT_EQ(columns.GetItems(0)->ColumnName()->SyntaxProvider(), p);
    copy.SetSyntaxProvider(p);
    EXPECT_EQ(copy.GetItems(0)->ColumnName()->SyntaxProvider(), p);
    columns.SetSyntaxProvider(&strict);
    EXPECT_EQ(copy.GetItems(0)->ColumnName()->SyntaxProvider(), p);
    EXPECT_EQ(columns.GetItems(0)->ColumnName()->SyntaxProvider(), &strict);
}

// The condition rewrites applied to conditions as the SQL-92 parser builds them.
class ParsedConditionTest : public ::testing::Test {
protected:
    TnvSQL92SyntaxProvider provider;
    TnvSQL92SyntaxProvider *p = &provider;

    TOwned<TSQLExpressionItem> Condition(const char *text)
    {
        auto s = p->ParseSelect(QStringLiteral("select * from t where ") + QString::fromUtf8(text));
        return s->FirstSelectBlock()->WhereClause.release();
    }
    // Condition = keyword; the dialect's grammar has no comparison of a condition.
    TOwned<TSQLExpressionItem> ComparedWith(const char *condition, const char *keyword)
    {
        auto constant = Create<TSQLExpressionConstant>(p);
        constant->AddKeyword(QString::fromUtf8(keyword));
        return Create<TSQLExpressionOperatorBinary>(p, Condition(condition), QStringLiteral("="), std::move(constant));
    }
    static QString Text(const TOwned<TSQLExpressionItem> &e) { return e ? Fast(e.get()) : QStringLiteral("<nil>"); }
};

TEST_F(ParsedConditionTest, BooleanComparisonsBecomeConditions)
{
    EXPECT_SQL(Text(TransformExpression(ComparedWith("(a > 1 or b < 2)", "TRUE"))), "(a > 1 Or b < 2)");
    EXPECT_SQL(Text(TransformExpression(ComparedWith("x > 1", "false"))), "Not x > 1");
    EXPECT_SQL(Text(TransformExpression(Condition("x = 'TRUE'"))), "x = 'TRUE'");
    EXPECT_SQL(Text(TransformExpression(Condition("flag = TRUE"))), "flag = TRUE");
    auto nested = Condition("a > 1 and not (b > 2)");
    auto *brackets = static_cast<TSQLExpressionBrackets *>(
        static_cast<TSQLExpressionNot *>(static_cast<TSQLExpressionAnd *>(nested.get())->GetItems(1))->Expression.get());
    auto inner = brackets->Expression.release();
    auto constant = Create<TSQLExpressionConstant>(p);
    constant->AddKeyword(QStringLiteral("False"));
    brackets->Expression.reset(Create<TSQLExpressionOperatorBinary>(p, std::move(inner), QStringLiteral("="),
                                                                      std::move(constant)));
    EXPECT_SQL(Text(TransformExpression(std::move(nested))), "a > 1 And Not (Not b > 2)");
}

TEST_F(ParsedConditionTest, SimplificationKeepsBracketsWhereTheMeaningNeedsThem)
{
    EXPECT_SQL(Text(SimplifyLogicalExpression(Condition("not (not (x > 1))"))), "(x > 1)");
    EXPECT_SQL(Text(SimplifyLogicalExpression(Condition("not (x > 1 and y < 2)"))), "Not x > 1 Or Not y < 2");
    EXPECT_SQL(Text(SimplifyLogicalExpression(Condition("not (x > 1 or y < 2 and z = 3)"))),
               "Not x > 1 And (Not y < 2 Or Not z = 3)");
    EXPECT_SQL(Text(SimplifyLogicalExpression(Condition("a > 1 and (b > 2 and (c > 3 or d > 4))"))),
               "a > 1 And b > 2 And (c > 3 Or d > 4)");
    EXPECT_SQL(Text(SimplifyLogicalExpression(Condition("(a > 1 or b > 2) and (c > 3 or d > 4)"))),
               "(a > 1 Or b > 2) And (c > 3 Or d > 4)");
    EXPECT_SQL(Text(PrepareLogicalExpressionForLoading(Condition("not x > 1"))), "Not x > 1");
}

TEST_F(ParsedConditionTest, LeftExpressionsComeOffAndGoBack)
{
    auto e = Condition("col > 5 and col < 9 and col between 1 and 2 and col like 'a%'");
    TSQLExpressionItem *item = nullptr;
    e = e->FindExpressionItem(std::move(e), item);
    ASSERT_NE(item, nullptr);
    EXPECT_SQL(Fast(item), "col");
    auto column = item->Clone();
    e->RemoveLExpression(column.get());
    EXPECT_SQL(Text(e), " > 5 And < 9 And Between 1 And 2 And Like 'a%'");
    e->RestoreLExpression(column.get());
    EXPECT_SQL(Text(e), "col > 5 And col < 9 And col Between 1 And 2 And col Like 'a%'");

    // A bare logical value is treated as value = True.
    auto bare = Condition("exists (select * from u)");
    bare = bare->FindExpressionItem(std::move(bare), item);
    EXPECT_SQL(Text(bare), "Exists(Select * From u) = True");

    EXPECT_TRUE(IsExpressionsEqual(Condition("\"COL\" > 5").get(), Condition("col>5").get()));
    EXPECT_FALSE(IsExpressionsEqual(Condition("col > 5").get(), Condition("col >= 5").get()));
}

} // namespace
