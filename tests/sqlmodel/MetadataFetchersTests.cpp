// The metadata fetchers: objects, relations and databases read from
// datasets, query results and string lists into a container.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"
#include "classlib/MemoryDataset.h"
#include "sqlmodel/providers/MetadataFetchers.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sql92/SQL92SyntaxProvider.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

// Answers each query with the rows set for its text; records the texts.
class TRowsMetadataProvider : public TTestMetadataProvider {
public:
    QMap<QString, QList<QList<QVariant>>> Rows;

protected:
    TOwned<TDataSet> PrepareSQLDatasetInternal(const QString &sql) override
    {
        TOwned<TDataSet> dataset = TTestMetadataProvider::PrepareSQLDatasetInternal(sql);
        auto *memory = static_cast<TMemoryDataset *>(dataset.get());
        for (const QList<QVariant> &row : Rows.value(sql))
            memory->AppendRecord(row);
        return dataset;
    }
};

QList<TFieldDef> Columns(const QStringList &names)
{
    QList<TFieldDef> defs;
    for (const QString &name : names)
        defs << TFieldDef(name, name.startsWith(u'#') ? ftInteger : ftWideString);
    for (TFieldDef &def : defs)
        def.SetName(def.Name().mid(def.Name().startsWith(u'#') ? 1 : 0));
    return defs;
}

TOwned<TMemoryDataset> Rows(const QStringList &columns, const QList<QList<QVariant>> &rows)
{
    TOwned<TMemoryDataset> dataset = Create<TMemoryDataset>();
    for (const TFieldDef &def : Columns(columns))
        dataset->FieldDefs().Add(def);
    for (const QList<QVariant> &row : rows)
        dataset->AppendRecord(row);
    dataset->Open();
    return dataset;
}

QString Kind(const TnvMetadataObject *object)
{
    return object->ClassName().mid(QStringLiteral("TnvMetadata").size());
}

// "Kind schema.name[*]" per object, * marking system objects.
QStringList Describe(const TnvMetadataContainer *container)
{
    QStringList lines;
    for (qsizetype i = 0; i < container->Count(); ++i) {
        const TnvMetadataObject *object = container->Items(i);
        lines << Kind(object) + u' ' + object->GetFullNameStrNotQuoted() + (object->System() ? QStringLiteral("*") : QString());
    }
    return lines;
}

// "child(key->child, ...)" per relation of the object.
QStringList Relations(const TnvMetadataObject *object)
{
    QStringList lines;
    const TnvMetadataRelationsList *relations = object->GetRelations();
    for (qsizetype i = 0; i < relations->Count(); ++i) {
        const TnvMetadataRelation *relation = relations->Items(i);
        QStringList pairs;
        for (qsizetype k = 0; k < relation->KeyFields()->Count(); ++k)
            pairs << relation->KeyFields()->Items(k)->GetQualifiedNameWithoutQuotes() + QStringLiteral("->") +
                         relation->ChildFields()->Items(k)->GetQualifiedNameWithoutQuotes();
        lines << relation->GetChildTableStrNotQuoted() + u'(' + pairs.join(QStringLiteral(", ")) + u')';
    }
    return lines;
}

class MetadataFetchersTest : public ::testing::Test {
protected:
    TTestSyntaxProvider provider{nullptr, icsNonSensitive};
    TnvBaseSyntaxProvider *p = &provider;
    TRowsMetadataProvider mp;
    TOwned<TnvMetadataContainer> c = MakeContainer(p, &mp);

    // A dataset fetcher over schema, name, type and the synonym's target.
    TOwned<TnvMetadataObjectFetcherFromDataset> ObjectsFetcher(TDataSet *dataset)
    {
        auto fetcher = Create<TnvMetadataObjectFetcherFromDataset>(p, &mp);
        fetcher->SchemaFieldName = QStringLiteral("SCHEMA");
        fetcher->ObjectNameFieldName = QStringLiteral("NAME");
        fetcher->TypeFieldName = QStringLiteral("TYPE");
        fetcher->RefSchemaFieldName = QStringLiteral("REF_SCHEMA");
        fetcher->RefNameFieldName = QStringLiteral("REF_NAME");
        fetcher->TableUserTypeValue = QStringLiteral("TABLE");
        fetcher->TableSystemTypeValue = QStringLiteral("SYSTEM TABLE");
        fetcher->ViewUserTypeValue = QVariantList{QStringLiteral("VIEW"), QStringLiteral("MATERIALIZED VIEW")};
        fetcher->ProcedureUserTypeValue = QStringLiteral("PROC");
        fetcher->SynonymUserTypeValue = QStringLiteral("SYNONYM");
        fetcher->SetDataset(dataset);
        return fetcher;
    }

    TOwned<TnvMetadataRelationsFetcherFromDataset> RelationsFetcher(TDataSet *dataset)
    {
        auto fetcher = Create<TnvMetadataRelationsFetcherFromDataset>(p, &mp);
        fetcher->PrimarySchemaFieldName = QStringLiteral("PK_SCHEMA");
        fetcher->PrimaryObjectNameFieldName = QStringLiteral("PK_TABLE");
        fetcher->ChildSchemaFieldName = QStringLiteral("FK_SCHEMA");
        fetcher->ChildObjectNameFieldName = QStringLiteral("FK_TABLE");
        fetcher->KeyColumnFieldName = QStringLiteral("PK_COLUMN");
        fetcher->ChildColumnFieldName = QStringLiteral("FK_COLUMN");
        fetcher->OrdinalFieldName = QStringLiteral("ORDINAL");
        fetcher->SetDataset(dataset);
        return fetcher;
    }
};

const QStringList ObjectColumns{"SCHEMA", "NAME", "TYPE", "REF_SCHEMA", "REF_NAME"};

TEST_F(MetadataFetchersTest, DatasetRowsBecomeObjectsOfTheirKind)
{
    auto rows = Rows(ObjectColumns, {
                                        {"dbo", "Orders", "TABLE", {}, {}},
                                        {"dbo", " Lines ", "TABLE", {}, {}},
                                        {"sys", "objects", "SYSTEM TABLE", {}, {}},
                                        {"dbo", "Totals", "MATERIALIZED VIEW", {}, {}},
                                        {"dbo", "Recalc", "PROC", {}, {}},
                                        {"dbo", "Ord", "SYNONYM", "dbo", "Orders"},
                                        {"dbo", "Seq", "SEQUENCE", {}, {}},
                                        {"dbo", "", "TABLE", {}, {}},
                                        {{}, "Loose", "TABLE", {}, {}},
                                    });
    ObjectsFetcher(rows.get())->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(Describe(c.get()),
              QStringList({"Table dbo.Orders", "Table dbo.Lines", "Table sys.objects*", "View dbo.Totals",
                           "Procedure dbo.Recalc", "Synonym dbo.Ord", "Table Loose"}));
    auto *synonym = c->FindSynonymByName(QStringLiteral("Ord"), QStringLiteral("dbo"), QString());
    ASSERT_NE(synonym, nullptr);
    EXPECT_SQL(synonym->ReferencedFullName()->GetQualifiedNameWithoutQuotes(), "dbo.Orders");
    EXPECT_EQ(synonym->GetTargetObject(), c->Items(0));
    // The rows carry the dialect's case rule.
    EXPECT_FALSE(c->Items(0)->Name()->CaseSensitive());

    // A default class takes the rows that name no kind.
    c->Clear();
    auto fetcher = ObjectsFetcher(rows.get());
    fetcher->SetDefaultObjectClass(TnvMetadataView::StaticClassType());
    fetcher->TypeFieldName.clear();
    fetcher->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(c->Count(), 8);
    EXPECT_EQ(Kind(c->Items(6)), "View");
}

TEST_F(MetadataFetchersTest, SystemFlagsComeFromMarkersTypesAndSchemas)
{
    auto rows = Rows({"SCHEMA", "NAME", "USER", "SYS"}, {
                                                            {"app", "a", "U", {}},
                                                            {"app", "b", "x", {}},
                                                            {"app", "c", {}, "Y"},
                                                            {"app", "d", {}, "N"},
                                                            {"INFORMATION_SCHEMA", "e", "U", {}},
                                                        });
    auto fetcher = Create<TnvMetadataObjectFetcherFromDataset>(p, &mp);
    fetcher->SchemaFieldName = QStringLiteral("schema");
    fetcher->ObjectNameFieldName = QStringLiteral("name");
    fetcher->UserFieldName = QStringLiteral("user");
    fetcher->SystemFieldName = QStringLiteral("sys");
    fetcher->UserMarker = QStringLiteral("U");
    fetcher->SystemMarker = QStringLiteral("Y");
    fetcher->SetDefaultObjectClass(TnvMetadataTable::StaticClassType());
    auto systemSchemas = Create<TSQLIdentifiersCollection>(p);
    systemSchemas->AddIdentifier(QStringLiteral("information_schema"));
    fetcher->SetSystemSchemaNames(systemSchemas.get());
    fetcher->SetDataset(rows.get());
    fetcher->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(Describe(c.get()), QStringList({"Table app.a", "Table app.b*", "Table app.c*", "Table app.d",
                                              "Table INFORMATION_SCHEMA.e*"}));
}

TEST_F(MetadataFetchersTest, FilterVisibilityOfflineFieldsAndDatabase)
{
    auto rows = Rows(ObjectColumns, {
                                        {"dbo", "Orders", "TABLE", {}, {}},
                                        {"dbo", "tmp_1", "TABLE", {}, {}},
                                        {"dbo", "Totals", "VIEW", {}, {}},
                                    });
    TnvMetadataFilter filter;
    TnvMetadataFilterItem *rule = filter.Add();
    rule->ObjectMask = QStringLiteral("tmp%");
    rule->Exclude = true;
    rule->ApplyFor = {mfTables};

    mp.Columns[QStringLiteral("select * from sales.dbo.Orders where 0<>0")] = {TFieldDef("id", ftInteger)};
    c->SetWorkOffline(true);
    c->GetMetadataObjectVisible = TnvMetadataObjectVisibleEvent::FromCallable(
        [](TnvMetadataContainer *, TnvMetadataObject *object, bool &visible) {
            if (object->GetNameStr() == QStringLiteral("Totals"))
                throw Exception(QStringLiteral("host failure"));
            visible = object->GetNameStr() != QStringLiteral("Orders");
        });
    auto database = QName(p, "sales");
    ObjectsFetcher(rows.get())->LoadMetadata(&filter, c.get(), database.get());
    EXPECT_EQ(Describe(c.get()), QStringList({"Table sales.dbo.Orders", "View sales.dbo.Totals"}));
    EXPECT_FALSE(c->Items(0)->Visible());
    EXPECT_TRUE(c->Items(1)->Visible()); // the failing handler changed nothing
    // Working offline, fields are read during the load; the view's query
    // returns no columns and still counts as read.
    EXPECT_TRUE(c->Items(0)->OwnFields()->Loaded());
    EXPECT_EQ(c->Items(0)->OwnFields()->Count(), 1);
}

TEST_F(MetadataFetchersTest, EmptyDatabaseMeansTheContainersDefault)
{
    class DefaultsProvider : public TTestMetadataProvider {
    public:
        int Asked = 0;
        TOwned<TSQLQualifiedName> GetDefaultDatabaseName(TnvBaseSyntaxProvider *p) override
        {
            ++Asked;
            return QName(p, "main");
        }
        void GetDefaultSchemaNames(TnvBaseSyntaxProvider *p, TSQLIdentifiersCollection *names) override
        {
            names->AddIdentifier(QStringLiteral("dbo"));
        }
    } defaults;
    auto rows = Rows(ObjectColumns, {{"dbo", "Orders", "TABLE", {}, {}}});
    auto fetcher = Create<TnvMetadataObjectFetcherFromDataset>(p, &defaults);
    fetcher->ObjectNameFieldName = QStringLiteral("NAME");
    fetcher->SetDefaultObjectClass(TnvMetadataTable::StaticClassType());
    fetcher->SetDataset(rows.get());
    fetcher->LoadMetadata(nullptr, c.get(), nullptr);
    fetcher->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(defaults.Asked, 1);
    EXPECT_SQL(c->GetDefaultDatabaseNameStr(), "main");
    EXPECT_SQL(c->GetDefaultSchemaNamesStr(), "dbo");
    EXPECT_SQL(c->Items(0)->GetFullNameStrNotQuoted(), "main.Orders");
}

TEST_F(MetadataFetchersTest, QueryTextHasItsPlaceholdersReplaced)
{
    const QString sql = QStringLiteral("select S, N, T from cat where {D2A96EA6-30C3-45CB-9C88-C71927284386} or "
                                       "{ECDC625C-F3BD-4A65-AC25-828D3C06DAD0} or "
                                       "{D2A96EA6-30C3-45CB-9C88-C71927284386}");
    auto fetcher = Create<TnvMetadataObjectFetcherFromQuery>(p, &mp);
    fetcher->SQL = sql;
    fetcher->SchemaFieldName = QStringLiteral("S");
    fetcher->ObjectNameFieldName = QStringLiteral("N");
    fetcher->TypeFieldName = QStringLiteral("T");
    fetcher->TableUserTypeValue = QStringLiteral("T");
    fetcher->ViewUserTypeValue = QStringLiteral("V");
    fetcher->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_SQL(mp.Log.last(), "select S, N, T from cat where (0=0) or (0=0) or (0=0)");

    TnvMetadataFilter filter;
    TnvMetadataFilterItem *rule = filter.Add();
    rule->SchemaMask = QStringLiteral("dbo");
    rule->ObjectMask = QStringLiteral("Ord%");
    rule->ApplyFor = {mfTables};
    const QString prepared = QStringLiteral("select S, N, T from cat where ((S like 'dbo'))and((N like 'Ord%')) or "
                                            "(0=0) or ((S like 'dbo'))and((N like 'Ord%'))");
    mp.Columns[prepared] = Columns({"S", "N", "T"});
    mp.Rows[prepared] = {{"dbo", "Orders", "T"}, {"dbo", "Sums", "V"}, {"x", "Other", "T"}};
    fetcher->LoadMetadata(&filter, c.get(), nullptr);
    EXPECT_SQL(mp.Log.last(), prepared);
    // The rows are still filtered one by one.
    EXPECT_EQ(Describe(c.get()), QStringList({"Table dbo.Orders", "View dbo.Sums"}));
    EXPECT_FALSE(fetcher->IsDatasetCreated());

    // Text without placeholders runs as it is.
    fetcher->SQL = QStringLiteral("select 1");
    fetcher->LoadMetadata(&filter, c.get(), nullptr);
    EXPECT_SQL(mp.Log.last(), "select 1");
}

TEST_F(MetadataFetchersTest, QueryFetchersReportWhatCannotRun)
{
    auto objects = Create<TnvMetadataObjectFetcherFromQuery>(p, &mp);
    objects->SQL = QStringLiteral("select * from broken");
    try {
        objects->LoadMetadata(nullptr, c.get(), nullptr);
        FAIL();
    } catch (const EnvQueryBuilderError &e) {
        EXPECT_SQL(e.SQL(), "select * from broken");
        EXPECT_SQL(e.DatabaseMessage(), "no such table");
    }
    mp.CanExec = false;
    auto relations = Create<TnvMetadataRelationsFetcherFromQuery>(p, &mp);
    relations->SQL = QStringLiteral("select 1");
    try {
        relations->LoadMetadata(nullptr, c.get(), nullptr);
        FAIL();
    } catch (const EnvQueryBuilderError &) {
        FAIL() << "not a query failure";
    } catch (const Exception &e) {
        EXPECT_SQL(e.Message(), "Executing SQL queries is not supported by this metadata provider.");
    }
    EXPECT_THROW(objects->CreateDataset(), Exception);
    // A missing required column is the dataset's error, and the container
    // is left usable.
    mp.CanExec = true;
    mp.Columns[QStringLiteral("select 1")] = Columns({"PK_TABLE"});
    relations->PrimaryObjectNameFieldName = QStringLiteral("PK_TABLE");
    relations->ChildObjectNameFieldName = QStringLiteral("FK_TABLE");
    EXPECT_THROW(relations->LoadMetadata(nullptr, c.get(), nullptr), EDatabaseError);
    c->AddTable(QStringLiteral("dbo"), QStringLiteral("T"));
    EXPECT_EQ(c->Count(), 1);
}

TEST_F(MetadataFetchersTest, StringListsGiveUserThenSystemObjects)
{
    auto fetcher = Create<TnvMetadataObjectsFetcherFromStringLists>(p, &mp);
    fetcher->SetDefaultObjectClass(TnvMetadataTable::StaticClassType());
    fetcher->UserObjects()->Add(QStringLiteral("dbo.Orders"));
    fetcher->UserObjects()->Add(QStringLiteral("Lines"));
    fetcher->SystemObjects()->Add(QStringLiteral("sys.objects"));
    fetcher->SystemObjects()->Add(QStringLiteral("dbo.Orders"));
    fetcher->SystemObjects()->Add(QStringLiteral("\"odd name\""));
    fetcher->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(Describe(c.get()),
              QStringList({"Table dbo.Orders", "Table Lines", "Table sys.objects*", "Table odd name*"}));
    EXPECT_TRUE(c->Items(3)->Name()->CaseSensitive());

    TStrictTestProvider strict;
    auto container = MakeContainer(&strict, &mp);
    auto bad = Create<TnvMetadataObjectsFetcherFromStringLists>(&strict, &mp);
    bad->SetDefaultObjectClass(TnvMetadataTable::StaticClassType());
    bad->UserObjects()->Add(QStringLiteral("good"));
    bad->UserObjects()->Add(QStringLiteral("a!b"));
    try {
        bad->LoadMetadata(nullptr, container.get(), nullptr);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_SQL(e.Message(), "Invalid object name");
    }
    EXPECT_EQ(container->Count(), 1);
}

const QStringList RelationColumns{"PK_SCHEMA", "PK_TABLE", "PK_COLUMN", "FK_SCHEMA", "FK_TABLE", "FK_COLUMN",
                                  "#ORDINAL"};

TEST_F(MetadataFetchersTest, RelationsSplitByRisingOrdinals)
{
    TnvMetadataObject *orders = c->AddTable(QStringLiteral("dbo"), QStringLiteral("Orders"));
    TnvMetadataObject *customers = c->AddTable(QStringLiteral("dbo"), QStringLiteral("Customers"));
    auto rows = Rows(RelationColumns, {
                                          // Two keys between the same pair of tables, one of two columns.
                                          {"dbo", "Orders", "id", "dbo", "Lines", "order_id", 1},
                                          {"dbo", "Orders", "rev", "dbo", "Lines", "order_rev", 2},
                                          {"dbo", "Orders", "id", "dbo", "Lines", "origin_id", 1},
                                          // Rows of objects not loaded, or without a child, are passed over.
                                          {"dbo", "Gone", "id", "dbo", "Lines", "gone_id", 1},
                                          {"dbo", "Gone", "rev", "dbo", "Lines", "gone_rev", 2},
                                          {"dbo", "Customers", "id", "dbo", "", "x", 1},
                                          {"dbo", "Customers", "id", "dbo", "Orders", "customer_id", 1},
                                      });
    RelationsFetcher(rows.get())->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(Relations(orders), QStringList({"dbo.Lines(id->order_id, rev->order_rev)", "dbo.Lines(id->origin_id)"}));
    EXPECT_EQ(Relations(customers), QStringList({"dbo.Orders(id->customer_id)"}));

    // Loading again leaves one copy of each, the later one.
    TnvMetadataRelation *first = orders->GetRelations()->Items(0);
    RelationsFetcher(rows.get())->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(Relations(orders), QStringList({"dbo.Lines(id->order_id, rev->order_rev)", "dbo.Lines(id->origin_id)"}));
    EXPECT_NE(orders->GetRelations()->Items(0), first);
}

TEST_F(MetadataFetchersTest, RelationsSplitByNumberAndSkippedSourcesEnd)
{
    TnvMetadataObject *orders = c->AddTable(QString(), QStringLiteral("Orders"));
    auto rows = Rows({"PK_TABLE", "PK_COLUMN", "FK_TABLE", "FK_COLUMN", "#NO"}, {
                                                                                   {"Orders", "a", "L", "x", 7},
                                                                                   {"Orders", "b", "L", "y", 7},
                                                                                   {"Orders", "a", "L", "z", 8},
                                                                               });
    auto fetcher = Create<TnvMetadataRelationsFetcherFromDataset>(p, &mp);
    fetcher->PrimaryObjectNameFieldName = QStringLiteral("PK_TABLE");
    fetcher->ChildObjectNameFieldName = QStringLiteral("FK_TABLE");
    fetcher->KeyColumnFieldName = QStringLiteral("PK_COLUMN");
    fetcher->ChildColumnFieldName = QStringLiteral("FK_COLUMN");
    fetcher->RelationNumberFieldName = QStringLiteral("NO");
    fetcher->SetDataset(rows.get());
    fetcher->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(Relations(orders), QStringList({"L(a->x, b->y)", "L(a->z)"}));

    // A source none of whose rows leads anywhere ends (with ordinals, with
    // numbers, and with neither), and a fetcher without a dataset loads nothing.
    c->Clear();
    for (const QString &split : {QStringLiteral("ORDINAL"), QStringLiteral("NO"), QString()}) {
        auto all = Rows(RelationColumns + QStringList{"#NO"}, {
                                                                  {"dbo", "Gone", "id", "dbo", "L", "a", 1, 1},
                                                                  {"dbo", "Gone", "id", "dbo", "L", "a", 1, 2},
                                                                  {"dbo", "Gone", "id", "dbo", "L", "a", 2, 2},
                                                              });
        auto skipping = RelationsFetcher(all.get());
        skipping->OrdinalFieldName = split == QStringLiteral("ORDINAL") ? split : QString();
        skipping->RelationNumberFieldName = split == QStringLiteral("NO") ? split : QString();
        skipping->LoadMetadata(nullptr, c.get(), nullptr);
    }
    RelationsFetcher(nullptr)->LoadMetadata(nullptr, c.get(), nullptr);
    EXPECT_EQ(c->Count(), 0);
}

TEST_F(MetadataFetchersTest, DatabasesFromEachSource)
{
    auto list = Create<TSQLQualifiedNamesList>(p);
    list->AddIdentifier(QStringLiteral("kept"), false);
    auto rows = Rows({"CATALOG_NAME"}, {{"sales"}, {" "}, {{}}, {" stock "}});
    auto fromDataset = Create<TnvMetadataDatabasesFetcherFromDataset>(p, &mp);
    fromDataset->DatabaseNameFieldName = QStringLiteral("catalog_name");
    fromDataset->SetDataset(rows.get());
    fromDataset->LoadDatabases(list.get());

    auto fromList = Create<TnvMetadataDatabasesFetcherFromStringList>(p, &mp);
    fromList->Names()->Add(QStringLiteral("hr"));
    fromList->Names()->Add(QString());
    fromList->LoadDatabases(list.get());

    auto fromQuery = Create<TnvMetadataDatabasesFetcherFromQuery>(p, &mp);
    fromQuery->LoadDatabases(list.get()); // no text: nothing to read
    fromQuery->SQL = QStringLiteral("select name from dbs");
    fromQuery->DatabaseNameFieldName = QStringLiteral("name");
    mp.Columns[fromQuery->SQL] = Columns({"name"});
    mp.Rows[fromQuery->SQL] = {{"archive"}};
    fromQuery->LoadDatabases(list.get());

    QStringList names;
    for (qsizetype i = 0; i < list->GetCount(); ++i)
        names << list->GetItems(i)->GetQualifiedNameWithoutQuotes();
    EXPECT_EQ(names, QStringList({"kept", "sales", "stock", "hr", "archive"}));

    fromDataset->DatabaseNameFieldName = QStringLiteral("missing");
    EXPECT_THROW(fromDataset->LoadDatabases(list.get()), EDatabaseError);
}

// The SQL-92 dialect's catalogue queries for a database other than the
// server's default: prefixed views, a quoted catalogue filter, and the
// padded default name trimmed.
TEST_F(MetadataFetchersTest, InformationSchemaQueriesForAnotherDatabase)
{
    TnvSQL92SyntaxProvider sql92;
    sql92.SetUseInformationSchema(true);
    const QString defaultQuery = QStringLiteral(
        "select distinct cast(catalog_name as char(255)) as CATALOG_NAME from information_schema.schemata");
    mp.Columns[defaultQuery] = Columns({"CATALOG_NAME"});
    mp.Rows[defaultQuery] = {{"main      "}};
    auto name = sql92.GetDefaultDatabaseName(&mp);
    ASSERT_NE(name, nullptr);
    EXPECT_SQL(name->GetQualifiedNameWithoutQuotes(), "main");

    for (const QString &prefix : {QStringLiteral("\"o'hara\"."), QString()})
        mp.Columns[TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL(prefix, true, true)] =
            Columns({"PK_TABLE_NAME", "PK_FIELD_NAME", "FK_TABLE_NAME", "FK_FIELD_NAME", "#ORDINAL"});
    auto container = MakeContainer(&sql92, &mp);
    auto other = Create<TSQLQualifiedName>(&sql92);
    other->AddName(QStringLiteral("o'hara"), true);
    mp.Log.clear();
    container->LoadMetadataByFilter(nullptr, other.get());
    const QString tables = mp.Log.filter(QStringLiteral("information_schema.tables")).last();
    EXPECT_SQL(tables, "select cast(table_schema as char(255)) as TABLE_SCHEMA, cast(table_name as char(255)) as "
                       "TABLE_NAME, cast(table_type as char(255)) as TABLE_TYPE from \"o'hara\".information_schema.tables"
                       " where TABLE_CATALOG='o''hara'");
    EXPECT_TRUE(mp.Log.filter(QStringLiteral("information_schema.views")).last().endsWith(
        QStringLiteral("from \"o'hara\".information_schema.views where TABLE_CATALOG='o''hara'")));
    EXPECT_TRUE(mp.Log.filter(QStringLiteral("REFERENTIAL_CONSTRAINTS")).last().contains(
        QStringLiteral("from \"o'hara\".INFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS)")));

    // The default database itself needs neither prefix nor filter; without
    // the setting the metadata provider answers.
    mp.Log.clear();
    container->LoadMetadataByFilter(nullptr, QName(&sql92, "MAIN").get());
    EXPECT_TRUE(mp.Log.filter(QStringLiteral("information_schema.tables")).last().endsWith(
        QStringLiteral(" from information_schema.tables")));
    sql92.SetUseInformationSchema(false);
    EXPECT_THROW(container->LoadMetadataByFilter(nullptr, nullptr), Exception);
}

} // namespace
} // namespace nvqb::test
