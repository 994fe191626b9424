// The metadata provider base and the syntax provider's metadata operations
// that lead to it.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"
#include "sqlmodel/QueryBuilderError.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

class MetadataProviderTest : public ::testing::Test {
protected:
    TStrictTestProvider provider;
    TnvBaseSyntaxProvider *p = &provider;
    TTestMetadataProvider mp;
    QStringList events;

    void Watch()
    {
        mp.OnBeforeConnect = TNotifyEvent::FromCallable([this](TObject *) { events << "before connect"; });
        mp.OnAfterConnect = TNotifyEvent::FromCallable([this](TObject *) { events << "after connect"; });
        mp.OnBeforeDisconnect = TNotifyEvent::FromCallable([this](TObject *) { events << "before disconnect"; });
        mp.OnAfterDisconnect = TNotifyEvent::FromCallable([this](TObject *) { events << "after disconnect"; });
    }
};

TEST_F(MetadataProviderTest, ConnectAndDisconnectFireOncePerChange)
{
    Watch();
    mp.SetConnected(false);
    mp.Connect();
    mp.Connect();
    EXPECT_TRUE(mp.Connected());
    mp.SetConnected(false);
    mp.Disconnect();
    EXPECT_SQL(events, QStringList({"before connect", "after connect", "before disconnect", "after disconnect"}));
    // Running SQL connects first.
    events.clear();
    mp.ExecSQLNoResult(QStringLiteral("select 1"));
    EXPECT_SQL(events, QStringList({"before connect", "after connect"}));
}

TEST_F(MetadataProviderTest, FailuresComeOutAsQueryBuilderErrorsOnce)
{
    try {
        mp.ExecSQL(QStringLiteral("select * from broken"), true);
        FAIL();
    } catch (const EnvQueryBuilderError &e) {
        EXPECT_SQL(e.Message(), "Error executing query:\rselect * from broken\rMessage:\rno such table");
        EXPECT_SQL(e.SQL(), "select * from broken");
        EXPECT_SQL(e.DatabaseMessage(), "no such table");
    }
    EXPECT_THROW(mp.ExecSQLNoResult(QStringLiteral("broken")), EnvQueryBuilderError);

    // An error that already is one passes unchanged.
    class Refusing : public TTestMetadataProvider {
    protected:
        TOwned<TDataSet> PrepareSQLDatasetInternal(const QString &) override
        {
            throw EnvQueryBuilderError(QStringLiteral("host says no"));
        }
    } refusing;
    try {
        refusing.ExecSQL(QStringLiteral("x"), false);
        FAIL();
    } catch (const EnvQueryBuilderError &e) {
        EXPECT_SQL(e.Message(), "host says no");
    }
}

TEST_F(MetadataProviderTest, FieldsForQueriesAndTheBaseAnswers)
{
    auto fields = Create<TnvMetadataFieldsList>(nullptr);
    fields->SetSyntaxProvider(p);
    fields->AddField(QStringLiteral("old"));
    mp.LoadFieldsForQuery(p, QString(), fields.get());
    EXPECT_EQ(fields->Count(), 0);
    EXPECT_FALSE(fields->Loaded());

    mp.Columns[QStringLiteral("q")] = {TFieldDef(QStringLiteral("a"), ftInteger), TFieldDef(QStringLiteral("b"), ftDate)};
    mp.LoadFieldsForQuery(p, QStringLiteral("q"), fields.get());
    ASSERT_EQ(fields->Count(), 2);
    EXPECT_TRUE(fields->Loaded());
    EXPECT_THROW(mp.LoadFieldsForQuery(p, QStringLiteral("broken"), fields.get()), EnvQueryBuilderError);

    auto names = Create<TSQLQualifiedNamesList>(p);
    names->AddIdentifier(QStringLiteral("x"), false);
    mp.GetDatabasesList(p, names.get());
    EXPECT_EQ(names->GetCount(), 0);
    EXPECT_EQ(mp.GetDefaultDatabaseName(p), nullptr);
    auto container = MakeContainer(p, &mp);
    try {
        mp.LoadMetadataObjects(p, nullptr, container.get(), nullptr);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_SQL(e.Message(), "Automatic loading of metadata is not supported by this metadata provider");
    }
    EXPECT_SQL(mp.GetConnectionDescription(), "TTestMetadataProvider");

    // Owned connection objects go with the provider or on request.
    mp.AddInternalConnectionObject(Create<TObject>());
    EXPECT_TRUE(mp.GetConnectionObjectsCreated());
    mp.CreateAndBindInternalConnectionObj();
    EXPECT_FALSE(mp.GetConnectionObjectsCreated());
}

TEST_F(MetadataProviderTest, AFailedFieldLoadIsAskedAgain)
{
    // A list that loaded once and then fails to load must not stay marked
    // loaded: an empty list so marked would show no columns for good.
    auto fields = Create<TnvMetadataFieldsList>(nullptr);
    fields->SetSyntaxProvider(p);
    mp.Columns[QStringLiteral("q")] = {TFieldDef(QStringLiteral("a"), ftInteger)};
    auto reload = [&] {
        mp.LoadFieldsForQuery(p, QStringLiteral("q"), fields.get());
        ASSERT_TRUE(fields->Loaded());
        ASSERT_EQ(fields->Count(), 1);
    };
    reload();
    mp.Broken = true;
    EXPECT_THROW(mp.LoadFieldsForQuery(p, QStringLiteral("q"), fields.get()), EnvQueryBuilderError);
    EXPECT_EQ(fields->Count(), 0);
    EXPECT_FALSE(fields->Loaded());

    mp.Broken = false;
    reload();
    mp.UnreadableColumns = true;
    mp.LoadFieldsForQuery(p, QStringLiteral("q"), fields.get());
    EXPECT_FALSE(fields->Loaded());
    mp.UnreadableColumns = false;

    reload();
    mp.CanExec = false;
    mp.LoadFieldsForQuery(p, QStringLiteral("q"), fields.get());
    EXPECT_EQ(fields->Count(), 0);
    EXPECT_FALSE(fields->Loaded());
    mp.CanExec = true;

    // An object whose columns a host reloads: after a failure it asks again.
    auto container = MakeContainer(p, &mp);
    TnvMetadataObject *table = container->AddTable(QString(), QStringLiteral("T"));
    mp.Columns[QStringLiteral("select * from T where 0<>0")] = {TFieldDef(QStringLiteral("c"), ftInteger)};
    table->LoadFields();
    ASSERT_TRUE(table->GetFields()->Loaded());
    mp.Broken = true;
    EXPECT_THROW(mp.LoadFields(table), EnvQueryBuilderError);
    EXPECT_FALSE(table->GetFields()->Loaded());
    mp.Broken = false;
    mp.Log.clear();
    table->LoadFields();
    EXPECT_EQ(mp.Log.size(), 1);
    EXPECT_EQ(table->GetFields()->Count(), 1);
}

class NoDatabasesProvider : public TStrictTestProvider {
public:
    using TStrictTestProvider::TStrictTestProvider;
    bool IsSupportDatabases() const override { return false; }
    bool IsSupportSchemas() const override { return false; }
};

TEST_F(MetadataProviderTest, SyntaxProviderForwardsOrRefuses)
{
    auto schemas = Create<TSQLIdentifiersCollection>(p);
    schemas->AddIdentifier(QStringLiteral("x"));
    p->GetDefaultSchemaNames(&mp, schemas.get());
    EXPECT_EQ(schemas->GetCount(), 0);
    EXPECT_EQ(p->GetDefaultDatabaseName(&mp), nullptr);
    NoDatabasesProvider plain;
    try {
        plain.GetDefaultDatabaseName(&mp);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_SQL(e.Message(), "The server doesn't support queries with objects from different databases.");
    }
    EXPECT_THROW(plain.GetDefaultSchemaNames(&mp, schemas.get()), Exception);

    EXPECT_TRUE(p->IsTableExists(QStringLiteral("dbo.Orders"), &mp));
    EXPECT_SQL(mp.Log.last(), "select count(*) from \"DBO\".\"ORDERS\"");
    EXPECT_FALSE(p->IsTableExists(QStringLiteral("broken"), &mp));
    EXPECT_FALSE(p->IsTableExists(QStringLiteral("a!b"), &mp));
    EXPECT_FALSE(p->IsTableExists(QStringLiteral("t"), nullptr));
    mp.CanExec = false;
    EXPECT_FALSE(p->IsTableExists(QStringLiteral("t"), &mp));

    EXPECT_THROW(p->CreateSQLFromObject(QStringLiteral("a!b"), QString()), EnvQueryBuilderError);
}

} // namespace
} // namespace nvqb::test
