#include "classlib/MemoryDataset.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

TOwned<TMemoryDataset> MakeObjects()
{
    auto ds = Create<TMemoryDataset>(nullptr);
    ds->FieldDefs().Add(QStringLiteral("TABLE_NAME"), ftWideString, 128);
    ds->FieldDefs().Add(QStringLiteral("TABLE_TYPE"), ftString, 20);
    ds->FieldDefs().Add(QStringLiteral("ORDINAL"), ftInteger);
    return ds;
}

QStringList Walk(TDataSet &ds, const QString &field)
{
    QStringList out;
    for (ds.First(); !ds.Eof(); ds.Next())
        out << ds.FieldByName(field)->AsWideString();
    return out;
}

} // namespace

TEST(FieldType, OrdinalsStayAsStoredInMetadataFiles)
{
    // Metadata XML stores these numbers; a reordering would misread every file.
    EXPECT_EQ(int(ftString), 1);
    EXPECT_EQ(int(ftInteger), 3);
    EXPECT_EQ(int(ftMemo), 16);
    EXPECT_EQ(int(ftFixedChar), 23);
    EXPECT_EQ(int(ftWideString), 24);
    EXPECT_EQ(int(ftLargeint), 25);
    EXPECT_EQ(int(ftFMTBcd), 37);
    EXPECT_STREQ(FieldTypeName(ftWideString), "ftWideString");
    EXPECT_STREQ(FieldTypeName(TFieldType(99)), "ftUnknown");
}

TEST(MemoryDataset, WalksRowsAndKeepsLastRecordAtEnd)
{
    auto ds = MakeObjects();
    ds->AppendRecord({QStringLiteral("orders"), QByteArray("TABLE"), 1});
    ds->AppendRecord({QStringLiteral("order_view"), QByteArray("VIEW"), 2});
    ds->Open();
    EXPECT_FALSE(ds->IsEmpty());
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(Walk(*ds, QStringLiteral("table_name")), QStringList({"orders", "order_view"}));
    // Past the end the fields still show the last record, and Next does nothing.
    EXPECT_TRUE(ds->Eof());
    ds->Next();
    EXPECT_EQ(ds->FieldByName(QStringLiteral("TABLE_NAME"))->AsWideString(), QStringLiteral("order_view"));
    ds->First();
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->FieldByName(QStringLiteral("Ordinal"))->AsInteger(), 1);
}

TEST(MemoryDataset, EmptyDatasetIsEofWithNullFields)
{
    auto ds = MakeObjects();
    EXPECT_TRUE(ds->IsEmpty()); // closed counts as empty
    ds->Open();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_TRUE(ds->Eof());
    TField *f = ds->FieldByName(QStringLiteral("TABLE_NAME"));
    EXPECT_TRUE(f->IsNull());
    EXPECT_EQ(f->AsWideString(), QString());
    EXPECT_EQ(f->AsInteger(), 0);
    // Rows appended to an open dataset show up once it moves to the first row.
    ds->AppendRecord({QStringLiteral("late"), QVariant(), QVariant()});
    ds->First();
    EXPECT_FALSE(ds->IsEmpty());
    EXPECT_EQ(f->AsWideString(), QStringLiteral("late"));
    EXPECT_TRUE(ds->FieldByName(QStringLiteral("TABLE_TYPE"))->IsNull());
    ds->ClearRecords();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_TRUE(f->IsNull());
}

TEST(MemoryDataset, FieldsAreFoundWithoutRegardToCase)
{
    auto ds = MakeObjects();
    ds->Open();
    EXPECT_EQ(ds->FindField(QStringLiteral("table_type")), ds->Fields(1));
    EXPECT_EQ(ds->FindField(QStringLiteral("TaBlE_TyPe")), ds->Fields(1));
    EXPECT_EQ(ds->FindField(QStringLiteral("TABLE_SCHEMA")), nullptr);
    EXPECT_EQ(ds->FieldDefs().IndexOf(QStringLiteral("ordinal")), 2);
    EXPECT_EQ(ds->FieldDefs().Find(QStringLiteral("ORDINAL")).DataType(), ftInteger);
}

TEST(MemoryDataset, ErrorsNameTheFieldAndTheDataset)
{
    auto ds = MakeObjects();
    try {
        ds->FieldDefs().Find(QStringLiteral("PK_NAME"));
        FAIL() << "no error";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Field 'PK_NAME' not found"));
    }
    ds->SetName(QStringLiteral("Tables"));
    ds->Open();
    try {
        ds->FieldByName(QStringLiteral("PK_NAME"));
        FAIL() << "no error";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Tables: Field 'PK_NAME' not found"));
    }
    ds->Close();
    EXPECT_EQ(ds->FindField(QStringLiteral("TABLE_NAME")), nullptr); // fields live while open
    EXPECT_THROW(ds->First(), EDatabaseError);
    EXPECT_THROW(ds->FieldValue(0), EDatabaseError);
}

TEST(MemoryDataset, BadRowsAreRefusedWholeAndNamed)
{
    auto ds = MakeObjects();
    ds->AppendRecord({QStringLiteral("a"), QByteArray("TABLE"), QStringLiteral(" 7 ")});
    try {
        ds->AppendRecord({QStringLiteral("b"), QByteArray("TABLE"), QStringLiteral("seven")});
        FAIL() << "no error";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'seven' is not a valid integer value for field 'ORDINAL'"));
    }
    EXPECT_THROW(ds->AppendRecord({QStringLiteral("c")}), EDatabaseError);
    EXPECT_EQ(ds->RecordCount(), 1);
    ds->Open();
    EXPECT_EQ(ds->FieldByName(QStringLiteral("ORDINAL"))->AsVariant(), QVariant(7));
}

TEST(MemoryDataset, TextAndWideTextOfEveryKindOfValue)
{
    auto ds = Create<TMemoryDataset>(nullptr);
    ds->FieldDefs().Add(QStringLiteral("name"), ftWideString, 40);
    ds->FieldDefs().Add(QStringLiteral("flag"), ftBoolean);
    ds->FieldDefs().Add(QStringLiteral("amount"), ftBCD).SetPrecision(10);
    ds->FieldDefs().Add(QStringLiteral("day"), ftDate);
    ds->FieldDefs().Add(QStringLiteral("big"), ftLargeint);
    ds->FieldDefs().Add(QStringLiteral("small"), ftSmallint);
    ds->AppendRecord({QStringLiteral("Grüße 東京"), QStringLiteral("true"), QStringLiteral("12.50"),
                      QStringLiteral("2024-02-29"), QStringLiteral("9000000000"), 12});
    EXPECT_THROW(ds->AppendRecord({QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), 40000}),
                 EDatabaseError);
    EXPECT_THROW(ds->AppendRecord({QVariant(), QVariant(), QVariant(), QStringLiteral("2023-02-29"), QVariant(),
                                   QVariant()}),
                 EDatabaseError);
    ds->Open();
    TField *name = ds->FieldByName(QStringLiteral("NAME"));
    EXPECT_EQ(name->AsWideString(), QStringLiteral("Grüße 東京"));
    EXPECT_EQ(name->AsString(), QStringLiteral("Grüße 東京").toUtf8());
    EXPECT_EQ(ds->FieldByName(QStringLiteral("flag"))->AsWideString(), QStringLiteral("True"));
    // Decimals keep their digits as written.
    EXPECT_EQ(ds->FieldByName(QStringLiteral("amount"))->AsString(), QByteArray("12.50"));
    EXPECT_DOUBLE_EQ(ds->FieldByName(QStringLiteral("amount"))->AsFloat(), 12.5);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("day"))->AsVariant(), QVariant(QDate(2024, 2, 29)));
    EXPECT_EQ(ds->FieldByName(QStringLiteral("day"))->AsWideString(), QStringLiteral("2024-02-29"));
    TField *big = ds->FieldByName(QStringLiteral("big"));
    EXPECT_EQ(big->AsVariant(), QVariant(qint64(9000000000)));
    try {
        big->AsInteger();
        FAIL() << "no error";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'9000000000' is not a valid integer value for field 'big'"));
    }
}

TEST(MemoryDataset, OwnerFreesItAndFreeCloses)
{
    auto owner = Create<TComponent>(nullptr);
    auto *ds = new TMemoryDataset(owner.get());
    ds->AfterConstruction();
    ds->FieldDefs().Add(QStringLiteral("x"), ftInteger);
    ds->AppendRecord({1});
    ds->Open();
    EXPECT_EQ(owner->ComponentCount(), 1);
    owner.reset(); // frees the open dataset without complaint (checked under the sanitizers)
}
