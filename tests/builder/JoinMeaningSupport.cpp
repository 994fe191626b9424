#include "JoinMeaningSupport.h"
#include "adoprovider/OdbcConnection.h"
#include "adoprovider/OdbcDataset.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"

namespace nvqb::test {

TSQLiteTables::TSQLiteTables()
{
    FConnection = Create<TADOConnection>(nullptr);
    FConnection->SetConnectionString(
        QStringLiteral("Driver=SQLite3;Database=%1").arg(FDir.filePath(QStringLiteral("pqr.db"))));
    FConnection->Open();
    // p (1, 0), q (1, 1) and an empty match in r are the rows of the first
    // fault; the others repeat, miss and hold NULLs.
    const char *const statements[] = {
        "create table p (id integer, v integer)",
        "create table q (id integer, v integer)",
        "create table r (id integer, v integer)",
        "insert into p values (1, 0), (2, 1), (2, 1), (3, null), (null, 2)",
        "insert into q values (1, 1), (2, 2), (4, 1), (null, 1)",
        "insert into r values (2, 0), (5, 2), (5, 2), (null, null)",
    };
    for (const char *sql : statements)
        FConnection->Execute(QString::fromLatin1(sql));
}

TSQLiteTables::~TSQLiteTables() = default;

QStringList TSQLiteTables::Rows(const QString &sql) const
{
    QStringList rows;
    try {
        auto dataset = Create<TADODataSet>(nullptr);
        dataset->SetConnection(FConnection.get());
        dataset->SetCommandText(sql);
        dataset->Open();
        for (; !dataset->Eof(); dataset->Next()) {
            QStringList values;
            for (qsizetype i = 0; i < dataset->FieldCount(); ++i) {
                const TField *field = dataset->Fields(i);
                values.append(field->IsNull() ? QStringLiteral("NULL") : field->AsWideString());
            }
            rows.append(values.join(u'|'));
        }
    } catch (const Exception &e) {
        return {QStringLiteral("error: ") + e.Message()};
    }
    rows.sort();
    return rows;
}

TSQLiteTables *PQRJoinTest::FTables = nullptr;

void PQRJoinTest::SetUpTestSuite() { FTables = new TSQLiteTables; }

void PQRJoinTest::TearDownTestSuite()
{
    delete FTables;
    FTables = nullptr;
}

void PQRJoinTest::SetUp()
{
    JoinTest::SetUp();
    TnvMetadataContainer *container = qb->MetadataContainer();
    for (const char *name : {"p", "q", "r"}) {
        TnvMetadataObject *object = container->AddTable(QString(), QString::fromLatin1(name));
        for (const char *field : {"id", "v"}) {
            TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(p);
            fieldName->AddName(QString::fromLatin1(field), false);
            object->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
        }
        object->GetFields()->SetLoaded(true);
    }
}

void PQRJoinTest::ExpectSameRows(const QString &sql, QString *printed)
{
    const QStringList before = Rows(sql);
    ASSERT_FALSE(before.value(0).startsWith(QStringLiteral("error: "))) << before.value(0).toStdString();
    const QString after = Load(sql);
    EXPECT_SQL(Rows(after), before) << sql.toStdString() << "\nprinted: " << after.toStdString();
    if (printed)
        *printed = after;
}

} // namespace nvqb::test
