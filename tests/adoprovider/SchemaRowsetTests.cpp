#include "OdbcTestSupport.h"

#include <QMap>
#include <algorithm>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class SchemaRowsetTest : public OdbcDatabaseTest {
protected:
    // Rows of the rowset that belong to this test's sample (its schema on PostgreSQL).
    bool InSample(TDataSet &ds, const char *schemaColumn)
    {
        return Schema().isEmpty() ||
               ds.FieldByName(QString::fromLatin1(schemaColumn))->AsWideString() == Schema();
    }
};

} // namespace

TEST_P(SchemaRowsetTest, TablesAndViewsWithTheirTypes)
{
    auto ds = Connection->OpenSchema(siTables);
    QMap<QString, QString> types;
    for (ds->First(); !ds->Eof(); ds->Next())
        if (InSample(*ds, "TABLE_SCHEMA"))
            types.insert(ds->FieldByName(QStringLiteral("TABLE_NAME"))->AsWideString(),
                         ds->FieldByName(QStringLiteral("TABLE_TYPE"))->AsWideString());
    const QMap<QString, QString> expected = {{"parents", "TABLE"},
                                             {"children", "TABLE"},
                                             {"items", "TABLE"},
                                             {"children_view", "VIEW"}};
    EXPECT_EQ(types, expected);
    for (const char *column : {"TABLE_CATALOG", "DESCRIPTION"})
        EXPECT_NE(ds->FindField(QString::fromLatin1(column)), nullptr) << column;
}

TEST_P(SchemaRowsetTest, CatalogsNameTheDatabase)
{
    auto ds = Connection->OpenSchema(siCatalogs);
    QStringList names;
    for (ds->First(); !ds->Eof(); ds->Next())
        names << ds->FieldByName(QStringLiteral("CATALOG_NAME"))->AsWideString();
    if (IsPostgres()) {
        EXPECT_TRUE(names.contains(Connection->DefaultDatabase())) << names.join(u',').toStdString();
    } else {
        EXPECT_TRUE(names.isEmpty()) << names.join(u',').toStdString(); // SQLite has no catalogs
    }
}

TEST_P(SchemaRowsetTest, ForeignKeysComeOutWholeWithRisingOrdinals)
{
    auto ds = Connection->OpenSchema(siForeignKeys);
    // Split the rows into keys the way a reader of the rowset does: a key ends
    // where the ordinal stops rising.
    QStringList keys;
    QString current;
    int last = 0;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        if (!InSample(*ds, "FK_TABLE_SCHEMA"))
            continue;
        if (IsPostgres()) {
            EXPECT_EQ(ds->FieldByName(QStringLiteral("PK_TABLE_SCHEMA"))->AsWideString(), Schema());
        }
        const int ordinal = ds->FieldByName(QStringLiteral("ORDINAL"))->AsInteger();
        if (ordinal <= last && !current.isEmpty()) {
            keys << current;
            current.clear();
        }
        EXPECT_EQ(ordinal, current.isEmpty() ? 1 : last + 1);
        last = ordinal;
        if (current.isEmpty())
            current = ds->FieldByName(QStringLiteral("PK_TABLE_NAME"))->AsWideString() + QStringLiteral("->") +
                      ds->FieldByName(QStringLiteral("FK_TABLE_NAME"))->AsWideString() + QStringLiteral(":");
        current += QStringLiteral(" %1=%2").arg(ds->FieldByName(QStringLiteral("PK_COLUMN_NAME"))->AsWideString(),
                                                ds->FieldByName(QStringLiteral("FK_COLUMN_NAME"))->AsWideString());
    }
    if (!current.isEmpty())
        keys << current;
    std::sort(keys.begin(), keys.end());
    // Two two-column keys between the same pair of tables stay apart and unmixed.
    const QStringList expected = {"children->items: id=child_id", "parents->children: a=pa b=pb",
                                  "parents->children: a=qa c=qc"};
    EXPECT_EQ(keys, expected);
}

TEST_P(SchemaRowsetTest, KeysWithoutAColumnListNameThePrimaryKeyInKeyOrder)
{
    // The key's columns in another order than the table's.
    Connection->Execute(QStringLiteral("create table lines (line_no integer not null, order_no integer not null,"
                                       " primary key (order_no, line_no))"));
    Connection->Execute(QStringLiteral("create table shipments (id integer not null primary key, o integer,"
                                       " l integer, item_id integer references items,"
                                       " constraint shipments_line foreign key (o, l) references lines)"));
    auto ds = Connection->OpenSchema(siForeignKeys);
    QStringList pairs;
    for (ds->First(); !ds->Eof(); ds->Next())
        if (InSample(*ds, "FK_TABLE_SCHEMA") &&
            ds->FieldByName(QStringLiteral("FK_TABLE_NAME"))->AsWideString() == QStringLiteral("shipments"))
            pairs << QStringLiteral("%1.%2=%3 #%4")
                         .arg(ds->FieldByName(QStringLiteral("PK_TABLE_NAME"))->AsWideString(),
                              ds->FieldByName(QStringLiteral("PK_COLUMN_NAME"))->AsWideString(),
                              ds->FieldByName(QStringLiteral("FK_COLUMN_NAME"))->AsWideString(),
                              ds->FieldByName(QStringLiteral("ORDINAL"))->AsWideString());
    pairs.sort();
    EXPECT_EQ(pairs, QStringList({"items.id=item_id #1", "lines.line_no=l #2", "lines.order_no=o #1"}));
}

TEST_P(SchemaRowsetTest, ForeignKeyRowsCarryConstraintDetails)
{
    auto ds = Connection->OpenSchema(siForeignKeys);
    bool found = false;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        if (!InSample(*ds, "FK_TABLE_SCHEMA") ||
            ds->FieldByName(QStringLiteral("FK_TABLE_NAME"))->AsWideString() != QStringLiteral("items"))
            continue;
        found = true;
        EXPECT_EQ(ds->FieldByName(QStringLiteral("UPDATE_RULE"))->AsWideString(), QStringLiteral("NO ACTION"));
        EXPECT_EQ(ds->FieldByName(QStringLiteral("DELETE_RULE"))->AsWideString(), QStringLiteral("NO ACTION"));
        if (IsPostgres()) { // SQLite does not keep constraint names
            EXPECT_EQ(ds->FieldByName(QStringLiteral("FK_NAME"))->AsWideString(), QStringLiteral("items_child"));
        }
    }
    EXPECT_TRUE(found);
}

INSTANTIATE_TEST_SUITE_P(Databases, SchemaRowsetTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         BackendName);
