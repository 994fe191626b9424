// Loading the sample schema's metadata from real databases, through the ADO
// provider's catalog rowsets and through the SQL-92 dialect's
// information_schema queries (SQLite has none: the dialect falls back to
// the provider there).
#include "OdbcTestSupport.h"
#include "adoprovider/ADOMetadataProvider.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/providers/ProviderRegistries.h"
#include "sqlmodel/QueryBuilderError.h"

#include <QMap>

using namespace nvqb;
using namespace nvqb::test;

namespace {

enum class Path { ADO, InformationSchema };

struct Case {
    Backend Database;
    Path Loading;
};

class ADOMetadataTest : public OdbcDatabaseTest {
protected:
    TnvSQL92SyntaxProvider Syntax;
    TnvADOMetadataProvider Provider;
    TOwned<TnvMetadataContainer> Container = Create<TnvMetadataContainer>(nullptr);

    void Load(Path path)
    {
        Syntax.SetUseInformationSchema(path == Path::InformationSchema);
        Provider.SetConnection(Connection.get());
        Container->SetSyntaxProvider(&Syntax);
        Container->SetMetadataProvider(&Provider);
        // Only the sample: a server lists its own catalogue besides.
        TnvMetadataFilter filter;
        if (!Schema().isEmpty())
            filter.Add()->SchemaMask = Schema();
        Container->LoadMetadataByFilter(&filter, nullptr);
    }

    TnvMetadataObject *Find(const QString &name)
    {
        for (qsizetype i = 0; i < Container->Count(); ++i)
            if (Container->Items(i)->GetNameStrNotQuoted() == name)
                return Container->Items(i);
        return nullptr;
    }

    // "child(key->child, ...)" per relation.
    QStringList Relations(TnvMetadataObject *object)
    {
        QStringList lines;
        for (qsizetype i = 0; i < object->GetRelations()->Count(); ++i) {
            const TnvMetadataRelation *relation = object->GetRelations()->Items(i);
            QStringList pairs;
            for (qsizetype k = 0; k < relation->KeyFields()->Count(); ++k)
                pairs << relation->KeyFields()->Items(k)->GetQualifiedNameWithoutQuotes() + QStringLiteral("->") +
                             relation->ChildFields()->Items(k)->GetQualifiedNameWithoutQuotes();
            lines << relation->GetChildNameStrNotQuoted() + u'(' + pairs.join(QStringLiteral(", ")) + u')';
        }
        lines.sort();
        return lines;
    }

    void CheckSample()
    {
        QMap<QString, QString> kinds;
        for (qsizetype i = 0; i < Container->Count(); ++i)
            kinds.insert(Container->Items(i)->GetNameStrNotQuoted(), Container->Items(i)->ClassName());
        const QMap<QString, QString> expected = {{"parents", "TnvMetadataTable"},
                                                 {"children", "TnvMetadataTable"},
                                                 {"items", "TnvMetadataTable"},
                                                 {"children_view", "TnvMetadataView"}};
        EXPECT_EQ(kinds, expected);
        for (qsizetype i = 0; i < Container->Count(); ++i) {
            EXPECT_EQ(Container->Items(i)->GetSchemaStrNotQuoted(), Schema());
            EXPECT_FALSE(Container->Items(i)->System());
        }

        TnvMetadataObject *items = Find(QStringLiteral("items"));
        ASSERT_NE(items, nullptr);
        items->LoadFields();
        TnvMetadataFieldsList *fields = items->GetFields();
        ASSERT_EQ(fields->Count(), 6);
        EXPECT_EQ(fields->Items(0)->NameStr(), QStringLiteral("id"));
        EXPECT_EQ(fields->Items(0)->FieldType(), ftInteger);
        EXPECT_TRUE(fields->Items(2)->FieldType() == ftString || fields->Items(2)->FieldType() == ftWideString);
        EXPECT_EQ(fields->Items(4)->FieldType(), ftDate);
        TnvMetadataObject *view = Find(QStringLiteral("children_view"));
        ASSERT_NE(view, nullptr);
        view->LoadFields();
        EXPECT_EQ(view->GetFields()->Count(), 2);

        // A two-column key and two keys between the same pair of tables come
        // out whole and unmixed; relations hang on the referenced table.
        EXPECT_EQ(Relations(Find(QStringLiteral("parents"))),
                  QStringList({"children(a->pa, b->pb)", "children(a->qa, c->qc)"}));
        EXPECT_EQ(Relations(Find(QStringLiteral("children"))), QStringList({"items(id->child_id)"}));
        EXPECT_TRUE(Relations(Find(QStringLiteral("items"))).isEmpty());
    }
};

TEST_P(ADOMetadataTest, SampleThroughTheProvidersRowsets)
{
    Load(Path::ADO);
    CheckSample();
    // Loading the relations again leaves one copy of each.
    Syntax.LoadMetadataRelations(&Provider, nullptr, Container.get(), nullptr);
    EXPECT_EQ(Find(QStringLiteral("parents"))->GetRelations()->Count(), 2);
}

TEST_P(ADOMetadataTest, SampleThroughInformationSchema)
{
    Load(Path::InformationSchema);
    CheckSample();
    TOwned<TSQLQualifiedName> database = Syntax.GetDefaultDatabaseName(&Provider);
    if (IsPostgres()) {
        // The padded catalogue name comes back trimmed, and the objects carry it.
        ASSERT_NE(database, nullptr);
        EXPECT_EQ(database->GetQualifiedNameWithoutQuotes(), Connection->DefaultDatabase());
        EXPECT_EQ(Find(QStringLiteral("items"))->GetDatabaseStrNotQuoted(), Connection->DefaultDatabase());
        // The relations came from the views' query itself, not from a fallback.
        auto rows =
            Provider.ExecSQL(TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL(QString(), true, true), true);
        int sample = 0;
        for (rows->First(); !rows->Eof(); rows->Next())
            sample += rows->FieldByName(QStringLiteral("FK_SCHEMA_NAME"))->AsWideString().trimmed() == Schema();
        EXPECT_EQ(sample, 5);
    } else {
        EXPECT_EQ(database, nullptr);
    }
}

TEST_P(ADOMetadataTest, ErrorsNameTheQueryAndTheDatabasesMessage)
{
    Provider.SetConnection(Connection.get());
    try {
        Provider.ExecSQL(QStringLiteral("select * from no_such_table"), true);
        FAIL();
    } catch (const EnvQueryBuilderError &e) {
        EXPECT_EQ(e.SQL(), QStringLiteral("select * from no_such_table"));
        EXPECT_TRUE(e.DatabaseMessage().contains(QStringLiteral("no_such_table"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Error executing query:\rselect * from no_such_table")));
    }
    EXPECT_THROW(Provider.ExecSQLNoResult(QStringLiteral("drop table no_such_table")), EnvQueryBuilderError);
    Provider.ExecSQLNoResult(QStringLiteral("create table extra (x integer)"));
    auto dataset = Provider.ExecSQL(QStringLiteral("select count(*) from extra"), true);
    EXPECT_EQ(dataset->Fields(0)->AsInteger(), 0);
}

TEST_P(ADOMetadataTest, AnotherDatabaseLeavesTheConnectionAsItWas)
{
    Provider.SetConnection(Connection.get());
    Container->SetSyntaxProvider(&Syntax);
    Container->SetMetadataProvider(&Provider);
    const QString before = Connection->DefaultDatabase();
    TOwned<TSQLQualifiedName> other = Create<TSQLQualifiedName>(&Syntax);
    other->AddName(QStringLiteral("other db"), true);
    // Neither driver can switch: the load reports it and nothing is half done.
    try {
        Container->LoadMetadataByFilter(nullptr, other.get());
        FAIL();
    } catch (const Exception &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("'other db'"))) << e.Message().toStdString();
    }
    EXPECT_EQ(Connection->DefaultDatabase(), before);
    EXPECT_EQ(Container->Count(), 0);
    // Relations for it are left out quietly.
    Syntax.LoadMetadataRelations(&Provider, nullptr, Container.get(), other.get());
    EXPECT_EQ(Connection->DefaultDatabase(), before);

    // The databases to choose from name the current one (SQLite has none).
    auto names = Create<TSQLQualifiedNamesList>(&Syntax);
    Syntax.GetDatabasesList(&Provider, names.get());
    if (IsPostgres())
        EXPECT_GE(names->GetCount(), 1);
    else
        EXPECT_EQ(names->GetCount(), 0);
}

// The dialect takes the server's identifier rule where the driver reports
// one that a dialect can follow: PostgreSQL folds unquoted names to lower case
// and tells quoted ones apart by case. The SQLite driver claims to keep every
// name as written, which no rule of the dialect expresses: the dialect's own
// setting stays.
TEST_P(ADOMetadataTest, TheDialectFollowsTheServersIdentifierCase)
{
    Provider.SetConnection(Connection.get());
    Syntax.SetIdentCaseSens(icsSensitiveUpperCase);
    int notified = 0;
    struct Listener : InvSyntaxProviderNotifications {
        int *Count;
        void SyntaxProviderPropsChanged(TnvBaseSyntaxProvider *) override { ++*Count; }
        void SyntaxProviderDestroying() override {}
    } listener;
    listener.Count = &notified;
    Syntax.SubscribeForNotifications(&listener);
    Load(Path::ADO);
    Syntax.UnsubscribeFromNotifications(&listener);
    EXPECT_EQ(Syntax.GetIdentCaseSens(), IsPostgres() ? icsSensitiveLowerCase : icsSensitiveUpperCase);
    EXPECT_EQ(notified, IsPostgres() ? 1 : 0);
    EXPECT_EQ(Container->Count(), 4);

    // No connection: nothing to ask, nothing changed.
    TnvADOMetadataProvider unconnected;
    TnvIdentCaseSensitivity rule = icsNonSensitive;
    EXPECT_FALSE(unconnected.GetServerIdentCaseSens(rule));
    Syntax.ConnectionChanged(&unconnected);
    EXPECT_EQ(Syntax.GetIdentCaseSens(), IsPostgres() ? icsSensitiveLowerCase : icsSensitiveUpperCase);
}

INSTANTIATE_TEST_SUITE_P(Databases, ADOMetadataTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         BackendName);

TEST(ADOMetadataProvider, WithoutAConnectionEveryUseSaysSo)
{
    TnvADOMetadataProvider provider;
    const QString expected = QStringLiteral("Connection object is not specified (property Connection is not assigned)");
    try {
        provider.Connect();
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), expected);
    }
    TnvSQL92SyntaxProvider syntax;
    auto container = Create<TnvMetadataContainer>(nullptr);
    container->SetSyntaxProvider(&syntax);
    try {
        provider.LoadMetadataObjects(&syntax, nullptr, container.get(), nullptr);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), expected);
    }
    try {
        provider.ExecSQL(QStringLiteral("select 1"), true);
        FAIL();
    } catch (const EnvQueryBuilderError &e) {
        EXPECT_EQ(e.DatabaseMessage(), expected);
    }

    // A connection deleted elsewhere is dropped, not left dangling.
    auto connection = Create<TADOConnection>(nullptr);
    provider.SetConnection(connection.get());
    connection.reset();
    EXPECT_EQ(provider.Connection(), nullptr);
    EXPECT_THROW(provider.Connect(), Exception);

    // Its own connection goes with it.
    provider.CreateAndBindInternalConnectionObj();
    ASSERT_NE(provider.Connection(), nullptr);
    EXPECT_TRUE(provider.GetConnectionObjectsCreated());
    provider.ClearInternalConnectionObjects();
    EXPECT_EQ(provider.Connection(), nullptr);
    EXPECT_EQ(provider.GetConnectionDescription(), QStringLiteral("ADO Connection"));
}

TEST(ADOMetadataProvider, RegisteredWhileTheLibraryIsLoaded)
{
    EXPECT_EQ(MetadataProvidersList()->FindClassByClassName("TnvADOMetadataProvider"),
              TnvADOMetadataProvider::StaticClassType());
}

TEST(ADOMetadataProvider, InformationSchemaRelationsQuery)
{
    const QString sql = TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL(QStringLiteral("sales."), true);
    EXPECT_TRUE(sql.startsWith(QStringLiteral("select  cast(pf.TABLE_CATALOG as char(255)) as PK_TABLE_DATABASE")));
    EXPECT_TRUE(sql.contains(QStringLiteral(" from sales.INFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS rc, "
                                            "sales.INFORMATION_SCHEMA.KEY_COLUMN_USAGE ff, ")));
    EXPECT_TRUE(sql.endsWith(QStringLiteral("rc.CONSTRAINT_NAME, ff.ORDINAL_POSITION")));
    EXPECT_FALSE(sql.contains(QStringLiteral("%0:s")));

    // The faster forms read the same views through derived tables, within
    // SQL-92 (no WITH), with the same columns and order.
    for (bool byUniquePosition : {true, false}) {
        const QString derived =
            TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL(QStringLiteral("sales."), byUniquePosition, true);
        const QString plain =
            TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL(QStringLiteral("sales."), byUniquePosition);
        EXPECT_EQ(derived.left(derived.indexOf(QStringLiteral(" from "))), plain.left(plain.indexOf(" from ")));
        EXPECT_EQ(derived.mid(derived.indexOf(QStringLiteral(" where "))), plain.mid(plain.indexOf(" where ")));
        EXPECT_EQ(derived.count(QStringLiteral("(select distinct ")), 3);
        EXPECT_EQ(derived.count(QStringLiteral("from sales.INFORMATION_SCHEMA.KEY_COLUMN_USAGE)")), 2);
        EXPECT_EQ(derived.count(QStringLiteral("from sales.INFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS)")), 1);
        EXPECT_FALSE(derived.contains(QStringLiteral("with "), Qt::CaseInsensitive));
        // A server without POSITION_IN_UNIQUE_CONSTRAINT is not asked for it.
        EXPECT_EQ(derived.contains(QStringLiteral("POSITION_IN_UNIQUE_CONSTRAINT")), byUniquePosition);
    }
}

} // namespace
