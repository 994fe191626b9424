#include "OdbcTestSupport.h"
#include "adoprovider/OdbcDataset.h"
#include "adoprovider/OdbcError.h"

#include <QDate>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class QueryDatasetTest : public OdbcDatabaseTest {
protected:
    void SetUp() override
    {
        OdbcDatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Connection->Execute(QStringLiteral("insert into parents (a, b, c, name) values (1, 1, 1, 'p')"));
        Connection->Execute(QStringLiteral("insert into children (id, pa, pb, note) values (1, 1, 1, 'Grüße 東京')"));
        Connection->Execute(QStringLiteral("insert into children (id, note) values (2, null)"));
        Connection->Execute(QStringLiteral("insert into items (id, child_id, label, amount, placed, flag) "
                                           "values (1, 1, 'first', 12.50, '2024-02-29', 1)"));
        Connection->Execute(QStringLiteral("insert into items (id, child_id, label) values (2, 2, 'second')"));
    }

    TOwned<TADODataSet> Query(const QString &sql)
    {
        auto ds = Create<TADODataSet>(nullptr);
        ds->SetConnection(Connection.get());
        ds->SetCommandText(sql);
        return ds;
    }
};

} // namespace

TEST_P(QueryDatasetTest, ReadsValuesNullsAndWideText)
{
    auto ds = Query(QStringLiteral("select id, note from children order by id"));
    ds->Open();
    ASSERT_EQ(ds->FieldCount(), 2);
    EXPECT_EQ(ds->Fields(0)->DataType(), ftInteger);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
    TField *note = ds->FieldByName(QStringLiteral("Note"));
    EXPECT_EQ(note->AsWideString(), QStringLiteral("Grüße 東京"));
    EXPECT_EQ(note->AsString(), QStringLiteral("Grüße 東京").toUtf8());
    EXPECT_FALSE(note->IsNull());
    ds->Next();
    EXPECT_EQ(ds->FieldByName(QStringLiteral("id"))->AsInteger(), 2);
    EXPECT_TRUE(note->IsNull());
    ds->Next();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->FieldByName(QStringLiteral("id"))->AsInteger(), 2); // the last record stays
}

TEST_P(QueryDatasetTest, ValuesOfNumericDateAndIntegerColumns)
{
    auto ds = Query(QStringLiteral("select label, amount, placed, flag from items order by id"));
    ds->Open();
    EXPECT_EQ(ds->FieldByName(QStringLiteral("label"))->AsWideString(), QStringLiteral("first"));
    EXPECT_DOUBLE_EQ(ds->FieldByName(QStringLiteral("amount"))->AsFloat(), 12.5);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("flag"))->AsInteger(), 1);
    TField *placed = ds->FieldByName(QStringLiteral("placed"));
    if (IsPostgres()) {
        // SQLite keeps declared types loosely; PostgreSQL reports them exactly.
        EXPECT_EQ(ds->FieldByName(QStringLiteral("amount"))->DataType(), ftBCD);
        EXPECT_EQ(ds->FieldByName(QStringLiteral("amount"))->AsString(), QByteArray("12.50"));
        EXPECT_EQ(placed->DataType(), ftDate);
        EXPECT_EQ(placed->AsVariant(), QVariant(QDate(2024, 2, 29)));
    }
    EXPECT_EQ(placed->AsWideString(), QStringLiteral("2024-02-29"));
    ds->Next();
    EXPECT_TRUE(ds->FieldByName(QStringLiteral("amount"))->IsNull());
    EXPECT_TRUE(placed->IsNull());
}

TEST_P(QueryDatasetTest, FieldDefsOfAPreparedQueryWithoutRunningIt)
{
    // SQLite's driver describes only SELECT statements.
    auto ds = Query(IsPostgres() ? QStringLiteral("delete from items returning id, label")
                                 : QStringLiteral("select id, label from items"));
    ds->FieldDefs().Update();
    Query(QStringLiteral("delete from items"))->FieldDefs().Update();
    EXPECT_FALSE(ds->Active());
    ASSERT_EQ(ds->FieldDefs().Count(), 2);
    EXPECT_EQ(ds->FieldDefs()[0].Name(), QStringLiteral("id"));
    EXPECT_EQ(ds->FieldDefs()[0].DataType(), ftInteger);
    EXPECT_EQ(ds->FieldDefs()[1].Name(), QStringLiteral("label"));
    EXPECT_EQ(ds->FieldDefs()[1].Size(), 20);
    auto count = Query(QStringLiteral("select count(*) from items"));
    count->Open();
    EXPECT_EQ(count->Fields(0)->AsInteger(), 2); // nothing was deleted

    auto table = Query(QStringLiteral("select * from items where 0<>0"));
    table->FieldDefs().Update();
    QStringList names;
    for (qsizetype i = 0; i < table->FieldDefs().Count(); ++i)
        names << table->FieldDefs()[i].Name();
    EXPECT_EQ(names, QStringList({"id", "child_id", "label", "amount", "placed", "flag"}));
    if (IsPostgres()) {
        EXPECT_TRUE(table->FieldDefs().Find(QStringLiteral("label")).Required());
        EXPECT_FALSE(table->FieldDefs().Find(QStringLiteral("amount")).Required());
        EXPECT_EQ(table->FieldDefs().Find(QStringLiteral("amount")).Precision(), 10);
        EXPECT_EQ(table->FieldDefs().Find(QStringLiteral("amount")).Size(), 2);
    }
}

TEST_P(QueryDatasetTest, FirstAfterMovingOnRunsTheQueryAgain)
{
    auto ds = Query(QStringLiteral("select id from children order by id"));
    ds->Open();
    ds->First(); // already there
    EXPECT_EQ(ds->Fields(0)->AsInteger(), 1);
    ds->Next();
    ds->Next();
    EXPECT_TRUE(ds->Eof());
    ds->First();
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->Fields(0)->AsInteger(), 1);
    ds->Close();
    ds->Open(); // reopening works the same
    EXPECT_EQ(ds->Fields(0)->AsInteger(), 1);
}

TEST_P(QueryDatasetTest, LongTextArrivesWhole)
{
    QString text;
    for (int i = 0; text.size() < 20000; ++i)
        text += QStringLiteral("Zeile %1: äöü 東京;").arg(i);
    const QString sql = IsPostgres() ? QStringLiteral("create table texts (t text)")
                                     : QStringLiteral("create table texts (t varchar(100000))");
    Connection->Execute(sql);
    Connection->Execute(QStringLiteral("insert into texts values ('%1')").arg(text));
    auto ds = Query(QStringLiteral("select t from texts"));
    ds->Open();
    EXPECT_EQ(ds->Fields(0)->AsWideString(), text);
}

TEST_P(QueryDatasetTest, ColumnNamesOutsideAsciiArriveAsWritten)
{
    // SQLite's driver reports the length of a column name in UTF-8 bytes;
    // the name must neither gain characters nor lose its end.
    Connection->Execute(QStringLiteral("create table \"Цены €\" (\"Код\" integer, \"Preis €\" integer, \"東京\" "
                                       "varchar(10), \"a b\" integer, \"Grüße 東京 €\" integer)"));
    Connection->Execute(QStringLiteral("insert into \"Цены €\" values (1, 2, 'x', 4, 5)"));
    const QStringList names = {QStringLiteral("Код"), QStringLiteral("Preis €"), QStringLiteral("東京"),
                               QStringLiteral("a b"), QStringLiteral("Grüße 東京 €")};
    auto ds = Query(QStringLiteral("select * from \"Цены €\""));
    ds->Open();
    ASSERT_EQ(ds->FieldCount(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        EXPECT_EQ(ds->FieldDefs()[i].Name(), names[i]) << ds->FieldDefs()[i].Name().toStdString();
        ASSERT_NE(ds->FindField(names[i]), nullptr) << names[i].toStdString();
    }
    EXPECT_EQ(ds->FieldByName(QStringLiteral("Код"))->AsInteger(), 1);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("Preis €"))->AsInteger(), 2);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("東京"))->AsWideString(), QStringLiteral("x"));
    // The database's messages name such tables whole.
    try {
        Query(QStringLiteral("select * from \"Нет €\""))->Open();
        FAIL() << "opened a query of a missing table";
    } catch (const EOdbcError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Нет €"))) << e.what();
        EXPECT_FALSE(e.Message().contains(QChar(0))) << e.what();
    }

    // A name longer in UTF-8 than the first buffer the name is read into
    // (PostgreSQL keeps 63 bytes of a name, SQLite all of it).
    QString longName;
    for (int i = 0; i < 150; ++i)
        longName += QChar(u'Ж' + i % 20);
    auto prepared = Query(QStringLiteral("select 1 as \"%1\"").arg(longName));
    prepared->FieldDefs().Update();
    ASSERT_EQ(prepared->FieldDefs().Count(), 1);
    EXPECT_EQ(prepared->FieldDefs()[0].Name(), IsPostgres() ? longName.left(31) : longName);
}

TEST_P(QueryDatasetTest, FailuresCarryTheDatabaseMessage)
{
    auto ds = Query(QStringLiteral("select some_column from nowhere_table"));
    try {
        ds->Open();
        FAIL() << "opened a query of a missing table";
    } catch (const EOdbcError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("nowhere_table"))) << e.what();
    }
    EXPECT_FALSE(ds->Active());
    EXPECT_THROW(ds->FieldDefs().Update(), EOdbcError);

    auto noRows = Query(QStringLiteral("update items set flag = 3 where id = 1"));
    try {
        noRows->Open();
        FAIL() << "opened a statement without rows";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("The command returns no rows: update items set flag = 3 where id = 1"));
    }
    EXPECT_FALSE(noRows->Active());

    auto unbound = Create<TADODataSet>(nullptr);
    unbound->SetCommandText(QStringLiteral("select 1"));
    EXPECT_THROW(unbound->Open(), EDatabaseError);
    EXPECT_THROW(Query(QString())->Open(), EDatabaseError);
}

TEST_P(QueryDatasetTest, ClosingOrFreeingTheConnectionReleasesItsDatasets)
{
    auto ds = Query(QStringLiteral("select id from children"));
    auto prepared = Query(QStringLiteral("select id from items"));
    prepared->FieldDefs().Update();
    ds->Open();
    Connection->Close();
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(prepared->FieldDefs().Count(), 1); // definitions outlive the session
    // Opening again reconnects through the dataset.
    ds->Open();
    EXPECT_TRUE(Connection->Connected());
    EXPECT_EQ(ds->Fields(0)->AsInteger(), 1);
    prepared->Open();
    EXPECT_EQ(prepared->Fields(0)->AsInteger(), 1);
    Connection.reset();
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(ds->Connection(), nullptr);
    EXPECT_THROW(ds->Open(), EDatabaseError);
}

TEST_P(QueryDatasetTest, CommandTextIsFixedWhileOpen)
{
    auto ds = Query(QStringLiteral("select id from children"));
    ds->Open();
    EXPECT_THROW(ds->SetCommandText(QStringLiteral("select id from items")), EDatabaseError);
    ds->Close();
    ds->SetCommandText(QStringLiteral("select id, label from items"));
    ds->Open();
    EXPECT_EQ(ds->FieldCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Databases, QueryDatasetTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         BackendName);
