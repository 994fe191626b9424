#include "adoprovider/OdbcDataset.h"
#include "adoprovider/OdbcApi.h"
#include "adoprovider/OdbcConnection.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <climits>
#include <limits>

namespace nvqb {

using namespace odbc;

namespace {

enum ReadKind { rkText, rkInteger, rkDouble, rkBit, rkDate, rkTime, rkTimestamp, rkBinary };

TFieldType FieldTypeOf(SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits)
{
    switch (sqlType) {
    case SQL_CHAR:
        return ftFixedChar;
    case SQL_VARCHAR:
        return ftString;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        return ftWideString;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        return ftMemo;
    case SQL_TINYINT:
    case SQL_SMALLINT:
        return ftSmallint;
    case SQL_INTEGER:
        return ftInteger;
    case SQL_BIGINT:
        return ftLargeint;
    case SQL_BIT:
        return ftBoolean;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ftFloat;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        // The class library's BCD holds up to 4 decimals in 18 digits.
        return size <= 18 && digits <= 4 ? ftBCD : ftFMTBcd;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return ftDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return ftTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return ftDateTime;
    case SQL_BINARY:
        return ftBytes;
    case SQL_VARBINARY:
        return ftVarBytes;
    case SQL_LONGVARBINARY:
        return ftBlob;
    case SQL_GUID:
        return ftGuid;
    default:
        return ftUnknown;
    }
}

ReadKind ReadKindOf(TFieldType t)
{
    switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftLargeint:
        return rkInteger;
    case ftFloat:
        return rkDouble;
    case ftBoolean:
        return rkBit;
    case ftDate:
        return rkDate;
    case ftTime:
        return rkTime;
    case ftDateTime:
        return rkTimestamp;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
        return rkBinary;
    default:
        // Text, decimals (kept as decimal text) and types without a better form.
        return rkText;
    }
}

int ClampSize(SQLULEN size) { return size > SQLULEN(std::numeric_limits<int>::max()) ? 0 : int(size); }

template <class T> bool GetFixed(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column, SQLSMALLINT cType, T &value)
{
    SQLLEN indicator = 0;
    Check(SQLGetData(stmt, column, cType, &value, sizeof(value), &indicator), SQL_HANDLE_STMT, stmt, narrow,
          "SQLGetData");
    return indicator != SQL_NULL_DATA;
}

QVariant GetBinary(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column)
{
    char buffer[8192];
    QByteArray result;
    bool any = false;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_BINARY, buffer, sizeof(buffer), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        Check(rc, SQL_HANDLE_STMT, stmt, narrow, "SQLGetData");
        if (indicator == SQL_NULL_DATA)
            return any ? QVariant(result) : QVariant();
        any = true;
        if (indicator == SQL_NO_TOTAL || indicator > SQLLEN(sizeof(buffer))) {
            result.append(buffer, sizeof(buffer));
            continue;
        }
        result.append(buffer, indicator);
        break;
    }
    return result;
}

QVariant ReadValue(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column, int kind, TFieldType type)
{
    switch (ReadKind(kind)) {
    case rkInteger: {
        SQLBIGINT v = 0;
        if (!GetFixed(stmt, narrow, column, SQL_C_SBIGINT, v))
            return QVariant();
        if (type != ftLargeint && v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return int(v);
        return qint64(v);
    }
    case rkDouble: {
        SQLDOUBLE v = 0;
        return GetFixed(stmt, narrow, column, SQL_C_DOUBLE, v) ? QVariant(double(v)) : QVariant();
    }
    case rkBit: {
        SQLCHAR v = 0;
        return GetFixed(stmt, narrow, column, SQL_C_BIT, v) ? QVariant(v != 0) : QVariant();
    }
    case rkDate: {
        SQL_DATE_STRUCT v{};
        if (!GetFixed(stmt, narrow, column, SQL_C_TYPE_DATE, v))
            return QVariant();
        return QDate(v.year, v.month, v.day);
    }
    case rkTime: {
        SQL_TIME_STRUCT v{};
        if (!GetFixed(stmt, narrow, column, SQL_C_TYPE_TIME, v))
            return QVariant();
        return QTime(v.hour, v.minute, v.second);
    }
    case rkTimestamp: {
        SQL_TIMESTAMP_STRUCT v{};
        if (!GetFixed(stmt, narrow, column, SQL_C_TYPE_TIMESTAMP, v))
            return QVariant();
        return QDateTime(QDate(v.year, v.month, v.day),
                         QTime(v.hour, v.minute, v.second, int(v.fraction / 1000000)));
    }
    case rkBinary:
        return GetBinary(stmt, narrow, column);
    case rkText:
    default: {
        const QString s = GetWideText(stmt, narrow, column);
        return s.isNull() ? QVariant() : QVariant(s);
    }
    }
}

} // namespace

NV_IMPLEMENT_CLASS(TADODataSet, TDataSet)

TADODataSet::TADODataSet(TComponent *owner) : TDataSet(owner) {}

TADODataSet::~TADODataSet()
{
    // BeforeDestruction has closed the dataset; one deleted without Free has not.
    ReleaseStatement();
    if (FConnection)
        FConnection->UnregisterDataSet(this);
}

void TADODataSet::SetConnection(TADOConnection *value)
{
    if (value == FConnection)
        return;
    Close();
    ReleaseStatement();
    if (FConnection)
        FConnection->UnregisterDataSet(this);
    FConnection = value;
    if (FConnection)
        FConnection->RegisterDataSet(this);
}

void TADODataSet::SetCommandText(const QString &value)
{
    if (value == FCommandText)
        return;
    if (Active())
        DatabaseError(QStringLiteral("Cannot change the command text of an open dataset"));
    ReleaseStatement();
    // Definitions of the old text would describe columns the new one may lack.
    FieldDefs().Clear();
    FCommandText = value;
}

void TADODataSet::CheckConnection()
{
    if (!FConnection)
        DatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
    if (FCommandText.trimmed().isEmpty())
        DatabaseError(QStringLiteral("CommandText is empty"));
    FConnection->EnsureConnected();
}

void TADODataSet::PrepareStatement()
{
    if (FStmt)
        return;
    FNarrow = FConnection->NarrowTexts();
    OwnedHandle stmt =
        AllocStatement(static_cast<SQLHDBC>(FConnection->Handle()), FNarrow, FConnection->CommandTimeout());
    const SQLRETURN rc = odbc::Prepare(stmt.Get(), FNarrow, FCommandText);
    if (!Succeeded(rc))
        RaiseError(rc, SQL_HANDLE_STMT, stmt.Get(), FNarrow, "SQLPrepare");
    {
        std::lock_guard<std::mutex> lock(FStmtMutex);
        FStmt = stmt.Release();
    }
    FExecuted = false;
    FRowIndex = -1;
}

void TADODataSet::ReleaseStatement()
{
    if (!FStmt)
        return;
    // Closing first lets the PostgreSQL driver free the result it keeps from
    // describing a statement that never ran; freeing alone leaks it.
    {
        std::lock_guard<std::mutex> lock(FStmtMutex);
        SQLFreeStmt(FStmt, SQL_CLOSE);
        SQLFreeHandle(SQL_HANDLE_STMT, FStmt);
        FStmt = nullptr;
    }
    FExecuted = false;
    FRowIndex = -1;
    FFirstRecord.clear();
}

void TADODataSet::Cancel()
{
    std::lock_guard<std::mutex> lock(FStmtMutex);
    if (FStmt)
        SQLCancel(FStmt);
}

void TADODataSet::DescribeColumns()
{
    const SQLHSTMT stmt = FStmt;
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt, FNarrow, "SQLNumResultCols");
    TFieldDefs &defs = FieldDefs();
    defs.Clear();
    FColumnKinds.clear();
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(count); ++i) {
        QString name;
        SQLSMALLINT sqlType = 0, digits = 0, nullable = SQL_NULLABLE_UNKNOWN;
        SQLULEN size = 0;
        Check(DescribeColumn(stmt, FNarrow, i, name, sqlType, size, digits, nullable), SQL_HANDLE_STMT, stmt, FNarrow,
              "SQLDescribeCol");
        const TFieldType type = FieldTypeOf(sqlType, size, digits);
        TFieldDef def(name, type);
        switch (type) {
        case ftString:
        case ftFixedChar:
        case ftWideString:
        case ftBytes:
        case ftVarBytes:
        case ftGuid:
            def.SetSize(ClampSize(size));
            break;
        case ftBCD:
        case ftFMTBcd:
            def.SetSize(digits);
            def.SetPrecision(ClampSize(size));
            break;
        default:
            break;
        }
        def.SetRequired(nullable == SQL_NO_NULLS);
        defs.Add(def);
        FColumnKinds.append(ReadKindOf(type));
    }
}

void TADODataSet::InternalInitFieldDefs()
{
    CheckConnection();
    PrepareStatement();
    DescribeColumns();
}

void TADODataSet::Execute()
{
    if (FExecuted)
        SQLFreeStmt(FStmt, SQL_CLOSE);
    FExecuted = false;
    FRowIndex = -1;
    FFirstRecord.clear();
    const SQLRETURN rc = SQLExecute(FStmt);
    // SQL_NO_DATA: a statement that touched no row; it has no result set either.
    if (!Succeeded(rc) && rc != SQL_NO_DATA)
        RaiseError(rc, SQL_HANDLE_STMT, FStmt, FNarrow, "SQLExecute");
    FExecuted = true;
}

void TADODataSet::InternalOpen()
{
    CheckConnection();
    try {
        PrepareStatement();
        Execute();
        DescribeColumns();
        if (FieldDefs().Count() == 0)
            DatabaseError(QStringLiteral("The command returns no rows: %1").arg(FCommandText));
    } catch (...) {
        ReleaseStatement();
        throw;
    }
}

void TADODataSet::InternalClose() { ReleaseStatement(); }

bool TADODataSet::FetchRow()
{
    if (Check(SQLFetch(FStmt), SQL_HANDLE_STMT, FStmt, FNarrow, "SQLFetch") == SQL_NO_DATA)
        return false;
    QList<QVariant> record;
    record.reserve(FColumnKinds.size());
    const TFieldDefs &defs = FieldDefs();
    for (qsizetype i = 0; i < FColumnKinds.size(); ++i)
        record.append(ReadValue(FStmt, FNarrow, SQLUSMALLINT(i + 1), FColumnKinds[i], defs[i].DataType()));
    ++FRowIndex;
    if (FRowIndex == 0)
        FFirstRecord = record;
    SetCurrentRecord(std::move(record));
    return true;
}

bool TADODataSet::InternalFirst()
{
    if (FRowIndex == 0) {
        SetCurrentRecord(FFirstRecord);
        return true;
    }
    if (FRowIndex > 0)
        Execute();
    return FetchRow();
}

bool TADODataSet::InternalNext() { return FetchRow(); }

void TADODataSet::ConnectionClosing()
{
    Close();
    ReleaseStatement();
}

} // namespace nvqb
