// The container: its name index, name resolution against default names,
// loading through the providers and its bookkeeping flags.
#include "MetadataTestSupport.h"
#include "sqlmodel/metadata/MetadataEntries.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "StatementTestSupport.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

class MetadataContainerTest : public ::testing::Test {
protected:
    TStrictTestProvider provider;
    TnvBaseSyntaxProvider *p = &provider;
    TOwned<TnvMetadataContainer> c = MakeContainer(p);

    TnvMetadataObject *Table(const QString &schema, const QString &name, const QString &database = QString())
    {
        return c->AddTable(schema, name, false, database);
    }
    TnvMetadataObject *Find(const QString &text) { return c->FindObjectByFullName(QName(p, text).get()); }
};

TEST_F(MetadataContainerTest, HashFunctionGivesTheDocumentedValues)
{
    EXPECT_EQ(TnvMetadataObjectHash::HashOfString(QString()), 0u);
    EXPECT_EQ(TnvMetadataObjectHash::HashOfString(QStringLiteral("a")), 65u);
    EXPECT_EQ(TnvMetadataObjectHash::HashOfString(QStringLiteral("A")), 65u);
    EXPECT_EQ(TnvMetadataObjectHash::HashOfString(QStringLiteral("AB")), 326u);
    // A true rotation: the top bits come back at the bottom.
    quint32 expected = 0;
    const QString longText = QStringLiteral("ORDER_DETAILS_HISTORY");
    for (QChar ch : longText)
        expected = ((expected << 2) | (expected >> 30)) ^ ch.unicode();
    EXPECT_EQ(TnvMetadataObjectHash::HashOfString(QStringLiteral("order_details_history")), expected);

    const TnvMetadataObjectHash &hash = c->NamesHash();
    auto empty = Create<TSQLQualifiedName>(p);
    EXPECT_EQ(hash.HashOfFullName(empty.get()), 1023u);
    auto emptyId = Ident(p, QString());
    EXPECT_EQ(hash.HashOfName(nullptr, nullptr, emptyId.get()), 1023u);
}

TEST_F(MetadataContainerTest, IndexFollowsRenamesAndEmptyNamesLiveInBucketZero)
{
    TnvMetadataObject *orders = Table("dbo", "Orders");
    ASSERT_NE(orders->HashBucket(), nullptr);
    EXPECT_EQ(Find("dbo.ORDERS"), orders);

    // A schema change keeps the bucket; a rename moves the object.
    TnvMetadataObjectHashBucket *bucket = orders->HashBucket();
    orders->SetSchemaStr(QStringLiteral("sales"));
    EXPECT_EQ(orders->HashBucket(), bucket);
    EXPECT_EQ(Find("sales.Orders"), orders);
    orders->SetNameStr(QStringLiteral("Invoices"));
    EXPECT_EQ(Find("sales.Orders"), nullptr);
    EXPECT_EQ(Find("sales.Invoices"), orders);

    TnvMetadataObject *nameless = c->AddObject(Ident(p, "s").get(), nullptr, TnvMetadataTable::StaticClassType(),
                                               false, nullptr);
    EXPECT_EQ(nameless->HashBucket(), c->NamesHash().FindBucket(0));
    auto byName = Create<TSQLQualifiedName>(p);
    byName->AddName(QString(), false);
    byName->AddPrefix(QStringLiteral("s"), false);
    EXPECT_EQ(c->FindObjectByFullName(byName.get()), nameless);
    EXPECT_EQ(c->FindObjectByName(Ident(p, QString()).get(), Ident(p, "s").get(), nullptr), nullptr);

    // Removing and extracting take objects out of the index.
    TOwned<TnvMetadataObject> taken = c->Extract(orders);
    EXPECT_EQ(taken->HashBucket(), nullptr);
    EXPECT_EQ(Find("sales.Invoices"), nullptr);
}

TEST_F(MetadataContainerTest, ResolvesNamesWithDefaultDatabaseAndSchemas)
{
    TnvMetadataObject *salesOrders = Table("sales", "Orders", "db1");
    TnvMetadataObject *dboOrders = Table("dbo", "Orders", "db1");
    TnvMetadataObject *otherDb = Table("dbo", "Items", "db2");
    c->SetDefaultDatabaseNameStr(QStringLiteral("db1"));
    c->SetDefaultSchemaNamesStr(QStringLiteral("dbo;sales"));

    // Orders tries Orders, db1.dbo.Orders, db1.sales.Orders in that order.
    EXPECT_EQ(Find("Orders"), dboOrders);
    EXPECT_EQ(Find("sales.Orders"), salesOrders);
    EXPECT_EQ(Find("db1.sales.Orders"), salesOrders);
    EXPECT_EQ(Find("orders"), dboOrders); // unquoted names fold
    // An explicit database is not replaced by the default one.
    EXPECT_EQ(Find("db2.dbo.Items"), otherDb);
    EXPECT_EQ(Find("Items"), nullptr);
    EXPECT_EQ(Find("dbo.Items"), nullptr);
    // A written schema is not widened to the default schemas.
    EXPECT_EQ(Find("hr.Orders"), nullptr);

    c->SetDefaultSchemaNamesStr(QStringLiteral("sales;dbo"));
    EXPECT_EQ(Find("Orders"), salesOrders);

    // Text forms parse; an empty or unparsable text finds nothing.
    EXPECT_EQ(c->FindObjectByFullName(QStringLiteral("db1.dbo.Orders")), dboOrders);
    EXPECT_EQ(c->FindObjectByFullName(QString()), nullptr);
    EXPECT_EQ(c->FindObjectByFullName(QStringLiteral("a!b")), nullptr);
}

class NoSchemaProvider : public TTestSyntaxProvider {
public:
    using TTestSyntaxProvider::TTestSyntaxProvider;
    bool IsSupportSchemas() const override { return false; }
};

TEST_F(MetadataContainerTest, WithoutSchemasOnlyTheExactNameIsTried)
{
    NoSchemaProvider noSchemas;
    auto container = MakeContainer(&noSchemas);
    TnvMetadataObject *orders = container->AddTable(QString(), QStringLiteral("Orders"), false, QStringLiteral("db1"));
    container->SetDefaultDatabaseNameStr(QStringLiteral("db1"));
    EXPECT_EQ(container->FindObjectByFullName(QName(&noSchemas, "Orders").get()), nullptr);
    EXPECT_EQ(container->FindObjectByFullName(QName(&noSchemas, "db1.Orders").get()), orders);
}

TEST_F(MetadataContainerTest, LookupsByKindDoNotFindOtherKinds)
{
    TnvMetadataObject *view = c->AddView(QStringLiteral("dbo"), QStringLiteral("Recent"));
    TnvMetadataObject *procedure = c->AddProcedure(QStringLiteral("dbo"), QStringLiteral("Recent"));
    auto name = QName(p, "dbo.Recent");
    EXPECT_EQ(c->FindTableByFullName(name.get()), nullptr);
    EXPECT_EQ(c->FindViewByFullName(name.get()), view);
    EXPECT_EQ(c->FindProcedureByFullName(name.get()), procedure);
    EXPECT_EQ(c->FindObjectByFullName(name.get()), view); // first in bucket order
    EXPECT_EQ(c->FindSynonymByFullName(name.get()), nullptr);
    EXPECT_EQ(c->FindTableByName(QStringLiteral("Recent"), QStringLiteral("dbo"), QString()), nullptr);
    EXPECT_EQ(c->FindViewByName(QStringLiteral("Recent"), QStringLiteral("dbo"), QString()), view);
    // The exact finds apply no defaults and a missing schema reads as empty.
    c->SetDefaultSchemaNamesStr(QStringLiteral("dbo"));
    EXPECT_EQ(c->FindViewByName(Ident(p, "Recent").get(), nullptr, nullptr), nullptr);
    EXPECT_EQ(c->FindViewByFullName(QName(p, "Recent").get()), view);
    // A quoted, case-sensitive name does not match a differently cased one.
    EXPECT_EQ(c->FindViewByName(Ident(p, "recent", true).get(), Ident(p, "dbo").get(), nullptr), nullptr);
}

TEST_F(MetadataContainerTest, DefaultSchemaNamesTextReplacesAndKeepsShortNames)
{
    c->SetDefaultSchemaNamesStr(QStringLiteral("a; bb ;\"x;y\";;c"));
    EXPECT_SQL(c->GetDefaultSchemaNamesStr(), "a;bb;\"x;y\";c");
    ASSERT_EQ(c->DefaultSchemaNames()->GetCount(), 4);
    EXPECT_SQL(c->DefaultSchemaNames()->GetItems(2)->Text(), "x;y");
    c->SetDefaultSchemaNamesStr(QStringLiteral("s"));
    EXPECT_SQL(c->GetDefaultSchemaNamesStr(), "s");
    c->SetDefaultSchemaNamesStr(QString());
    EXPECT_EQ(c->DefaultSchemaNames()->GetCount(), 0);
}

TEST_F(MetadataContainerTest, ClearMetadataByMaskDeletesMatchingObjectsOfTheDatabase)
{
    Table("dbo", "Orders");
    Table("dbo", "OrderLines");
    Table("sales", "Orders");
    TnvMetadataObject *elsewhere = Table("dbo", "Orders", "db2");
    c->ClearMetadataByMask(QStringLiteral("Order%"), QStringLiteral("dbo"), QString());
    ASSERT_EQ(c->Count(), 2);
    EXPECT_SQL(c->Items(0)->GetFullNameStr(), "sales.Orders");
    EXPECT_EQ(c->Items(1), elsewhere);
    EXPECT_EQ(Find("dbo.Orders"), nullptr);

    c->ClearMetadataByMask(QStringLiteral("%"), QStringLiteral("%"), nullptr);
    ASSERT_EQ(c->Count(), 1);
    EXPECT_EQ(c->Items(0), elsewhere);
    EXPECT_TRUE(c->Loaded());
}

TEST_F(MetadataContainerTest, FlagsAndLoadingChecks)
{
    EXPECT_FALSE(c->Loaded());
    // No metadata provider: refused before anything counts as loaded.
    EXPECT_THROW(c->LoadMetadataByMask(QStringLiteral("%"), QStringLiteral("%"), QString()), EnvQueryBuilderError);
    EXPECT_FALSE(c->Loaded());

    TTestMetadataProvider mp;
    c->SetMetadataProvider(&mp);
    // The base provider cannot load objects by itself.
    try {
        c->LoadMetadataByMask(QStringLiteral("%"), QStringLiteral("%"), QStringLiteral("db1"));
        FAIL();
    } catch (const Exception &e) {
        EXPECT_SQL(e.Message(), "Automatic loading of metadata is not supported for database db1 by this metadata provider");
    }
    EXPECT_TRUE(c->Loaded());
    EXPECT_EQ(c->UpdateCount(), 0);

    int notifications = 0;
    bool updatedSeen = false;
    c->OnUpdated = TNotifyEvent::FromCallable([&](TObject *) {
        ++notifications;
        updatedSeen = c->ObjectsUpdated();
    });
    Table("dbo", "T");
    EXPECT_TRUE(updatedSeen);
    EXPECT_FALSE(c->ObjectsUpdated());
    EXPECT_EQ(notifications, 1);
    c->Clear();
    EXPECT_FALSE(c->Loaded());

    c->GetMetadataObjectVisible = TnvMetadataObjectVisibleEvent::FromCallable(
        [](TnvMetadataContainer *, TnvMetadataObject *object, bool &visible) { visible = !object->System(); });
    TnvMetadataObject *system = c->AddTable(QStringLiteral("sys"), QStringLiteral("objects"), true);
    EXPECT_FALSE(c->IsMetadataObjectVisible(system));
}

TEST_F(MetadataContainerTest, AssignCopiesObjectsDefaultsAndIndexAndSurvivesSelfAssignment)
{
    Table("dbo", "Orders", "db1");
    c->SetDefaultDatabaseNameStr(QStringLiteral("db1"));
    c->SetDefaultSchemaNamesStr(QStringLiteral("dbo"));
    c->Assign(c.get());
    ASSERT_EQ(c->Count(), 1);

    auto copy = MakeContainer(p);
    copy->Assign(c.get());
    ASSERT_EQ(copy->Count(), 1);
    EXPECT_NE(copy->Items(0), c->Items(0));
    EXPECT_EQ(copy->Items(0)->Container(), copy.get());
    EXPECT_TRUE(copy->Loaded());
    EXPECT_EQ(copy->FindTableByFullName(QName(p, "Orders").get()), copy->Items(0));

    copy->SortByNames();
    copy->AddTable(QStringLiteral("a"), QStringLiteral("Z"));
    copy->SortByNames();
    EXPECT_SQL(copy->Items(0)->GetFullNameStr(), "a.Z");
}

// Tree nodes point at metadata objects through the installed entries and
// read nil once the object is gone.
TEST_F(MetadataContainerTest, FromObjectsBindThroughTheEntriesAndNeverDangle)
{
    SetMetadataEntries(MetadataModelEntries());
    TnvMetadataObject *orders = Table("dbo", "Orders");
    orders->GetFields()->AddField(QStringLiteral("id"));
    orders->GetFields()->SetLoaded(true);
    c->SetDefaultSchemaNamesStr(QStringLiteral("dbo"));
    auto source = Obj(p, "Orders", "o");
    TastNodeRefList withItems, sources;
    source->PrepareAndFixupRecursive(withItems, sources, c.get());
    EXPECT_EQ(source->MetadataObject(), orders);
    ASSERT_NE(source->FieldsList(), nullptr);
    ASSERT_EQ(source->FieldsList()->Count(), 1);
    EXPECT_SQL(source->FieldsList()->Items(0)->NameStr(), "id");

    c->Clear();
    EXPECT_EQ(source->MetadataObject(), nullptr);
    SetMetadataEntries(nullptr);
}

} // namespace
} // namespace nvqb::test
