#include "MeaningDatabase.h"

#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/OdbcConnection.h"
#include "adoprovider/OdbcDataset.h"
#include "builder/model/ErrorReport.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"

#include <stdexcept>

namespace nvqb::meaning {

const QList<TTableDef> &Tables()
{
    static const QList<TTableDef> tables = {
        {QStringLiteral("p"), {QStringLiteral("id"), QStringLiteral("v")}},
        {QStringLiteral("q"), {QStringLiteral("id"), QStringLiteral("v"), QStringLiteral("p_id")}},
        {QStringLiteral("r"), {QStringLiteral("id"), QStringLiteral("v"), QStringLiteral("q_id")}},
        {QStringLiteral("s"), {QStringLiteral("id"), QStringLiteral("p_id"), QStringLiteral("r_id")}},
    };
    return tables;
}

const QList<TForeignKey> &ForeignKeys()
{
    static const QList<TForeignKey> keys = {
        {QStringLiteral("q"), QStringLiteral("p_id"), QStringLiteral("p"), QStringLiteral("id")},
        {QStringLiteral("r"), QStringLiteral("q_id"), QStringLiteral("q"), QStringLiteral("id")},
        {QStringLiteral("s"), QStringLiteral("p_id"), QStringLiteral("p"), QStringLiteral("id")},
        {QStringLiteral("s"), QStringLiteral("r_id"), QStringLiteral("r"), QStringLiteral("id")},
    };
    return keys;
}

const TTableDef *FindTable(const QString &name)
{
    for (const TTableDef &table : Tables())
        if (table.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

namespace {

// Rows chosen so that every key matches once, several times or not at all,
// and every column holds a null somewhere (ids of p, q and r are keys).
const char *const Script[] = {
    "create table p (id integer not null primary key, v integer)",
    "create table q (id integer not null primary key, v integer, p_id integer,"
    " constraint q_p foreign key (p_id) references p (id))",
    "create table r (id integer not null primary key, v integer, q_id integer,"
    " constraint r_q foreign key (q_id) references q (id))",
    "create table s (id integer, p_id integer, r_id integer,"
    " constraint s_p foreign key (p_id) references p (id),"
    " constraint s_r foreign key (r_id) references r (id))",
    "insert into p (id, v) values (1, 1), (2, 2), (3, null), (4, 1), (5, 3)",
    "insert into q (id, v, p_id) values (1, 1, 1), (2, 2, 1), (3, null, 2), (4, 1, null), (5, 1, 9), (6, 3, 4)",
    "insert into r (id, v, q_id) values (1, 1, 1), (2, null, 1), (3, 2, 3), (4, 2, 7), (6, 1, null)",
    "insert into s (id, p_id, r_id) values (1, 1, 1), (1, 2, null), (2, null, 3), (null, 4, 2), (3, 9, 6)",
};

// Integers the driver hands over as text read as numbers, so that a column
// and an expression over it compare alike.
QVariant Normalized(const QVariant &value)
{
    if (value.isNull() || value.typeId() != QMetaType::QString)
        return value;
    bool ok = false;
    const qint64 number = value.toString().toLongLong(&ok);
    if (ok && QString::number(number) == value.toString())
        return number;
    return value;
}

} // namespace

TMeaningDatabase::TMeaningDatabase()
{
    if (!FDir.isValid())
        throw std::runtime_error("no temporary folder for the SQLite file");
    FConnection = Create<TADOConnection>(nullptr);
    FConnection->SetConnectionString(QStringLiteral("Driver=SQLite3;Database=%1").arg(FileName()));
    FConnection->SetConnectionTimeout(5);
    FConnection->Open();
    for (const char *sql : Script)
        FConnection->Execute(QString::fromLatin1(sql));

    TnvSQL92SyntaxProvider syntax;
    TnvADOMetadataProvider provider;
    provider.SetConnection(FConnection.get());
    TOwned<TnvMetadataContainer> container = Create<TnvMetadataContainer>(nullptr);
    container->SetSyntaxProvider(&syntax);
    container->SetMetadataProvider(&provider);
    TnvMetadataFilter filter;
    container->LoadMetadataByFilter(&filter, nullptr);
    container->LoadFields();
    FMetadataXML = container->GetXML();
    container.reset();
    provider.SetConnection(nullptr);
}

TMeaningDatabase::~TMeaningDatabase() = default;

QString TMeaningDatabase::FileName() const { return FDir.filePath(QStringLiteral("meaning.db")); }

TQueryResult TMeaningDatabase::Run(const QString &sql) const
{
    TQueryResult result;
    try {
        TOwned<TADODataSet> dataSet = Create<TADODataSet>(nullptr);
        dataSet->SetConnection(FConnection.get());
        dataSet->SetCommandText(sql);
        dataSet->Open();
        result.Columns = int(dataSet->FieldCount());
        for (; !dataSet->Eof(); dataSet->Next()) {
            QVariantList row;
            row.reserve(result.Columns);
            for (int i = 0; i < result.Columns; ++i)
                row.append(Normalized(dataSet->Fields(i)->AsVariant()));
            result.Rows.append(std::move(row));
        }
        result.Ok = true;
    } catch (...) {
        result.Error = CurrentExceptionMessage();
    }
    return result;
}

} // namespace nvqb::meaning
