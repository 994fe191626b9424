// Dotted names, bound names, name lists, object-prefix skipping and the FROM
// objects the provider makes from names.
#include "StatementTestSupport.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class QualifiedNameTest : public ::testing::Test {
protected:
    TTestSyntaxProvider provider;
    TTestSyntaxProvider *p = &provider;
};

QStringList Parts(const TSQLQualifiedName *name)
{
    QStringList parts;
    for (qsizetype i = 0; i < name->GetCount(); ++i)
        parts << name->GetItems(i)->Text();
    return parts;
}

TEST_F(QualifiedNameTest, AddNameAndPrefixKeepPartsRightmostFirst)
{
    auto name = Name(p, "dbo.Orders");
    name->AddPrefix(QStringLiteral("db"));
    EXPECT_SQL(Parts(name.get()), QStringList({"Orders", "dbo", "db"}));

    auto other = Name(p, "x.y");
    other->AddName(name.get());
    EXPECT_SQL(other->GetQualifiedNameWithoutQuotes(), QStringLiteral("x.y.db.dbo.Orders"));
    other->AddPrefix(Name(p, "a.b").get());
    EXPECT_SQL(Parts(other.get()).mid(3), QStringList({"y", "x", "b", "a"}));
}

// Adding a name to itself copies its parts once instead of chasing the
// parts it is adding.
TEST_F(QualifiedNameTest, AddingANameToItselfDoublesItOnce)
{
    auto name = Name(p, "a.b");
    name->AddName(name.get());
    EXPECT_SQL(Parts(name.get()), QStringList({"b", "a", "b", "a"}));
    auto prefix = Name(p, "a.b");
    prefix->AddPrefix(prefix.get());
    EXPECT_SQL(Parts(prefix.get()), QStringList({"b", "a", "b", "a"}));
}

TEST_F(QualifiedNameTest, ExtractRemoveAndPartialCopies)
{
    auto name = Name(p, "a.b.c");
    EXPECT_SQL(name->GetNameWithoutPrefixes(1)->GetQualifiedName(), QStringLiteral("b.c"));
    EXPECT_SQL(name->GetNameWithoutNames(1)->GetQualifiedName(), QStringLiteral("a.b"));
    EXPECT_SQL(name->GetNameWithoutNames(0)->GetQualifiedName(), QStringLiteral("a.b.c"));
    // Beyond the part count the copies are empty, nothing is read past the end.
    EXPECT_EQ(name->GetNameWithoutPrefixes(5)->GetCount(), 0);
    EXPECT_SQL(name->GetNameWithoutNames(4)->GetCount(), 0);

    TOwned<TastToken> own = name->ExtractName();
    TOwned<TastToken> leftmost = name->ExtractPrefix();
    EXPECT_SQL(own->Text(), QStringLiteral("c"));
    EXPECT_SQL(leftmost->Text(), QStringLiteral("a"));
    name->RemoveLastName();
    EXPECT_EQ(name->GetCount(), 0);
    EXPECT_EQ(name->ExtractName(), nullptr);
    EXPECT_THROW(name->RemoveLastName(), EAssertionFailed);
    EXPECT_THROW(name->RemoveFirstPrefix(), EAssertionFailed);
}

TEST_F(QualifiedNameTest, StartsWithComparesFromTheLeft)
{
    auto name = Name(p, "a.b.c");
    EXPECT_TRUE(name->StartsWith(Name(p, "a.b").get()));
    EXPECT_TRUE(name->StartsWith(Name(p, "A.B.C").get()));
    EXPECT_FALSE(name->StartsWith(Name(p, "b.c").get()));
    EXPECT_FALSE(name->StartsWith(Name(p, "a.b.c.d").get()));
}

TEST_F(QualifiedNameTest, SetQualifiedNameParsesOrRefusesKeepingTheOldParts)
{
    auto name = Name(p, "old");
    name->SetQualifiedName(QStringLiteral("db.\"my table\""));
    EXPECT_SQL(name->GetQualifiedName(), QStringLiteral("db.\"my table\""));
    EXPECT_SQL(name->GetQualifiedNameWithoutQuotes(), QStringLiteral("db.my table"));
    EXPECT_SQL(name->GetQualifiedNameWithQuotes(), QStringLiteral("\"DB\".\"my table\""));
    try {
        name->SetQualifiedName(QString());
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_SQL(e.Message(), QStringLiteral("Invalid object name"));
    }
    EXPECT_SQL(name->GetQualifiedName(), QStringLiteral("db.\"my table\""));
}

TEST_F(QualifiedNameTest, NamesRoundTripThroughXml)
{
    auto name = Name(p, "srv.db");
    static_cast<TastTokenIdentifier *>(name->GetItems(1))->SetCaseSensitive(true);
    QDomDocument document;
    QDomElement element = name->GetXMLNode(document, QStringLiteral("database"));
    document.appendChild(element);
    QDomElement first = element.firstChildElement();
    QDomElement second = first.nextSiblingElement();
    EXPECT_SQL(element.tagName() + " " + first.tagName() + " " + first.attribute("name") + first.attribute("case_sens") +
                   " " + second.attribute("name") + second.attribute("case_sens"),
               "database item db0 srv1");
    EXPECT_TRUE(second.nextSiblingElement().isNull());
    auto read = Name(p, "junk");
    read->LoadFromXMLNode(element);
    EXPECT_TRUE(provider.IsQualifiedNamesEqual(read.get(), name.get()));
    EXPECT_TRUE(static_cast<TastTokenIdentifier *>(read->GetItems(1))->CaseSensitive());
}

// ---------------------------------------------------------------------------
// Lists

TEST_F(QualifiedNameTest, ListAddsParsedTextsAndRefusesGarbage)
{
    TSQLQualifiedNamesList list(p);
    EXPECT_SQL(list.Add(QStringLiteral("dbo.Orders")), 0);
    // Not a bare name: taken as one quoted name.
    EXPECT_SQL(list.Add(QStringLiteral("Order Details")), 1);
    EXPECT_SQL(list.GetItems(1)->GetQualifiedName(), QStringLiteral("\"Order Details\""));
    // A text that does not parse even quoted is refused, and nothing is added.
    EXPECT_THROW(list.Add(QStringLiteral("")), Exception);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_SQL(list.FindByName(Name(p, "DBO.orders").get()), 0);
    EXPECT_SQL(list.FindByName(Name(p, "Orders").get()), -1);
}

TEST_F(QualifiedNameTest, ListAssignSortExtractAndXml)
{
    TSQLQualifiedNamesList list(p);
    list.AddIdentifier(QStringLiteral("c"), false);
    list.AddIdentifier(QStringLiteral("a"), false);
    list.Add(Name(p, "b.x"));
    list.SortByNames();
    QStringList sorted;
    for (qsizetype i = 0; i < list.GetCount(); ++i)
        sorted << list.GetItems(i)->GetQualifiedName();
    EXPECT_SQL(sorted, QStringList({"a", "c", "b.x"})); // shorter names first

    TSQLQualifiedNamesList copy(p);
    copy.Assign(&list);
    ASSERT_EQ(copy.GetCount(), 3);
    EXPECT_NE(copy.First(), list.First());
    TSQLQualifiedName *taken = copy.Extract(copy.Last());
    EXPECT_EQ(copy.GetCount(), 2);
    TOwned<TSQLQualifiedName> owned(taken);

    const QString xml = list.GetXML(QStringLiteral("names"), QStringLiteral("name"));
    TSQLQualifiedNamesList read(p);
    read.SetXML(xml, QStringLiteral("name"));
    ASSERT_EQ(read.GetCount(), 3);
    EXPECT_SQL(read.GetItems(2)->GetQualifiedName(), QStringLiteral("b.x"));
}

TEST_F(QualifiedNameTest, HostileNameListDocumentsAreRefusedQuickly)
{
    // The DOM took seconds for some thousands of nesting levels or attributes
    // and minutes for entities expanded over and over. Each is refused by the
    // check that runs before the DOM reads the text, as its message shows:
    // the DOM would have named the stray end tag after the attributes.
    auto repeat = [](const QString &piece, int count) {
        QString result;
        for (int i = 0; i < count; ++i)
            result += QString(piece).replace(u'#', QString::number(i));
        return result;
    };
    const QStringList documents = {
        QStringLiteral("<names><name>") + repeat(QStringLiteral("<x>"), 60000) + repeat(QStringLiteral("</x>"), 60000) +
            QStringLiteral("</name></names>"),
        QStringLiteral("<names><name ") + repeat(QStringLiteral("a#=\"\" "), 100000) +
            QStringLiteral("/></names></stray>"),
        QStringLiteral("<!DOCTYPE names [<!ENTITY a \"") + repeat(QStringLiteral("x"), 4000) +
            QStringLiteral("\">]><names><name><item name=\"") + repeat(QStringLiteral("&a;"), 30000) +
            QStringLiteral("\"/></name></names>"),
    };
    const QStringList reasons = {"Element \"x\" is nested deeper than 3 levels (line 1, column 17)",
                                 "Element \"name\" has more than 64 attributes (line 1, column 8)",
                                 "A document type declaration is not accepted (line 1, column 1)"};
    TSQLQualifiedNamesList list(p);
    list.AddIdentifier(QStringLiteral("kept"), false);
    for (qsizetype i = 0; i < documents.size(); ++i) {
        try {
            list.SetXML(documents[i], QStringLiteral("name"));
            ADD_FAILURE() << "no error";
        } catch (const Exception &e) {
            EXPECT_SQL(e.Message(), QStringLiteral("Invalid XML: ") + reasons[i]);
        }
        EXPECT_EQ(list.GetCount(), 1);
    }
}

TEST_F(QualifiedNameTest, ColumnsListFindsByNameAndSource)
{
    auto orders = Obj(p, "Orders", "o");
    auto orders2 = Obj(p, "Orders");
    auto items = Obj(p, "Items");
    TSQLObjectColumnsList list(p);
    auto column = Name<TSQLObjectColumn>(p, "id");
    column->SetDatasource(items.get());
    list.Add(std::move(column));
    auto probe = Name<TSQLObjectColumn>(p, "id");
    probe->SetDatasource(orders.get());
    EXPECT_EQ(list.FindByNameAndDatasource(probe.get()), -1);
    auto column2 = Name<TSQLObjectColumn>(p, "id");
    column2->SetDatasource(orders2.get());
    list.Add(std::move(column2));
    // Another source that names the same object.
    EXPECT_EQ(list.FindByNameAndDatasource(probe.get()), 1);
}

// ---------------------------------------------------------------------------
// Prefix skipping

class PrefixSkippingTest : public QualifiedNameTest {
protected:
    QString Print(const TastNode *node, TnvObjectPrefixSkipping skipping, const QString &database = "db")
    {
        auto defaultDatabase = Name(p, database);
        auto schemas = Create<TSQLIdentifiersCollection>(p);
        schemas->AddIdentifier(QStringLiteral("dbo"));
        return node->SimpleSQL(icIfNeed, skipping, database.isEmpty() ? nullptr : defaultDatabase.get(),
                               schemas.get());
    }
};

TEST_F(PrefixSkippingTest, DatabaseAndSchemaLeftOutAsTheBuilderAsks)
{
    auto name = Name<TSQLDatabaseObject>(p, "db.dbo.Orders");
    EXPECT_SQL(Print(name.get(), opsSkipNone), QStringLiteral("db.dbo.Orders"));
    EXPECT_SQL(Print(name.get(), opsSkipDatabase), QStringLiteral("dbo.Orders"));
    EXPECT_SQL(Print(name.get(), opsSkipAll), QStringLiteral("Orders"));
    // Another database is written, and then the schema stays too.
    auto other = Name<TSQLDatabaseObject>(p, "sales.dbo.Orders");
    EXPECT_SQL(Print(other.get(), opsSkipAll), QStringLiteral("sales.dbo.Orders"));
    // Without a database part nothing is skipped.
    auto noDatabase = Name<TSQLDatabaseObject>(p, "dbo.Orders");
    EXPECT_SQL(Print(noDatabase.get(), opsSkipAll), QStringLiteral("dbo.Orders"));
    // Without a default database no database part is known to be the
    // default one, so none is left out, nor the schema after it.
    EXPECT_SQL(Print(other.get(), opsSkipDatabase, QString()), QStringLiteral("sales.dbo.Orders"));
    EXPECT_SQL(Print(other.get(), opsSkipAll, QString()), QStringLiteral("sales.dbo.Orders"));
    EXPECT_SQL(other->GetQualifiedName(), QStringLiteral("sales.dbo.Orders"));
}

TEST_F(PrefixSkippingTest, FromObjectsPrintTheirNameSkippingPrefixesInBothBuilders)
{
    auto source = Obj(p, "db.dbo.Orders", "o");
    auto defaultDatabase = Name(p, "db");
    TSQLBuilder builder;
    builder.SetDefaultDatabaseName(defaultDatabase.get());
    builder.SetObjectPrefixSkipping(opsSkipDatabase);
    EXPECT_SQL(Formatted(source.get(), builder), QStringLiteral("dbo.Orders o"));
    builder.SetObjectPrefixSkipping(opsSkipNone);
    EXPECT_SQL(Formatted(source.get(), builder), QStringLiteral("db.dbo.Orders o"));
    EXPECT_SQL(Print(source.get(), opsSkipAll), QStringLiteral("Orders o"));
}

// The full name ignores what the previous text left in the shared builder.
TEST_F(PrefixSkippingTest, FullNameIsWholeAfterASkippingPrint)
{
    auto name = Name<TSQLDatabaseObject>(p, "db.dbo.Orders");
    {
        TSQLBuilderFastLease builder;
        auto defaultDatabase = Name(p, "db");
        builder->SetDefaultDatabaseName(defaultDatabase.get());
        builder->SetObjectPrefixSkipping(opsSkipAll);
    }
    EXPECT_SQL(name->SimpleSQLFullName(icIfNeed), QStringLiteral("db.dbo.Orders"));
    EXPECT_SQL(name->SimpleSQLFullName(icAll), QStringLiteral("\"DB\".\"DBO\".\"ORDERS\""));
}

// ---------------------------------------------------------------------------
// Bound names and the references that must not dangle

TEST_F(QualifiedNameTest, BoundNamesPrintTheSourceAliasOrObject)
{
    auto aliased = Obj(p, "db.dbo.Orders", "o");
    auto plain = Obj(p, "Items");
    auto column = Col(p, "id", aliased.get());
    EXPECT_SQL(Fast(column.get()), QStringLiteral("o.id"));
    column->Column->SetOracleOuterJoin(true);
    EXPECT_SQL(Fast(column.get()), QStringLiteral("o.id(+)"));
    EXPECT_SQL(Fast(Col(p, "id", plain.get()).get()), QStringLiteral("Items.id"));
    auto table = Name<TSQLDatabaseObject>(p, "whatever");
    table->SetDatasource(aliased.get());
    EXPECT_SQL(Fast(table.get()), QStringLiteral("o"));

    TastNodeRefList sources;
    table->GetReferencedDatasources(sources);
    table->GetReferencedDatasources(sources);
    EXPECT_EQ(sources.size(), 1);
    table->RemoveReferencesToFromSource(plain.get());
    EXPECT_EQ(table->Datasource(), aliased.get());
    table->RemoveReferencesToFromSource(aliased.get());
    EXPECT_EQ(table->Datasource(), nullptr);
}

TEST_F(QualifiedNameTest, ReferencesReadNilOnceTheSourceIsFreed)
{
    auto source = Obj(p, "Orders", "o");
    auto column = Col(p, "id", source.get());
    auto copy = CloneAs(column.get());
    EXPECT_EQ(copy->Column->Datasource(), source.get());
    source.reset();
    EXPECT_EQ(column->Column->Datasource(), nullptr);
    EXPECT_EQ(copy->Column->Datasource(), nullptr);
    EXPECT_SQL(Fast(column.get()), QStringLiteral("id"));
    // Freeing the referring node first unlinks it quietly.
    auto other = Create<TSQLFromObject>(p);
    auto name = Name<TSQLDatabaseObject>(p, "x");
    name->SetDatasource(other.get());
    EXPECT_TRUE(other->HasTrackedReferences());
    name.reset();
    EXPECT_FALSE(other->HasTrackedReferences());
}

TEST_F(QualifiedNameTest, ProviderMakesFromObjectsBoundToTheirName)
{
    auto source = provider.CreateSQLFromObject(QStringLiteral("dbo.Orders"), QStringLiteral("my alias"));
    ASSERT_TRUE(source->ObjectName);
    EXPECT_EQ(source->ObjectName->Datasource(), source.get());
    EXPECT_EQ(source->SyntaxProvider(), p);
    EXPECT_SQL(Fast(source.get()), QStringLiteral("dbo.Orders \"my alias\""));
    EXPECT_THROW(provider.CreateSQLFromObject(QStringLiteral(""), QString()), Exception);

    auto name = Name(p, "Items");
    auto alias = Id(p, "i");
    auto fromParts = provider.CreateSQLFromObject(name.get(), alias.get());
    EXPECT_SQL(Fast(fromParts.get()), QStringLiteral("Items i"));
    EXPECT_EQ(fromParts->ObjectName->Datasource(), fromParts.get());
    EXPECT_SQL(Fast(provider.CreateSQLFromObject(name.get(), nullptr).get()), QStringLiteral("Items"));
}

} // namespace
