#include "adoprovider/OdbcError.h"
#include "adoprovider/OdbcApi.h"

#include <QStringList>

namespace nvqb {

EOdbcError::EOdbcError(QString message, QList<TOdbcDiagRecord> records)
    : EDatabaseError(std::move(message)), FRecords(std::move(records))
{
}

QString EOdbcError::SqlState() const { return FRecords.isEmpty() ? QString() : FRecords.first().SqlState; }

namespace odbc {

namespace {

// One diagnostic record through the entry point given, wide (SQLWCHAR: its
// lengths in code units) or narrow (SQLCHAR: in UTF-8 bytes); false when
// there is none.
template <class Char, class GetDiagRec>
bool ReadRecord(GetDiagRec getDiagRec, SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT i, TOdbcDiagRecord &r)
{
    Char state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    QList<Char> text(2048 / sizeof(Char));
    SQLRETURN rc = getDiagRec(handleType, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= text.size()) {
        text.resize(length + 1);
        rc = getDiagRec(handleType, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
    }
    if (!Succeeded(rc))
        return false;
    r.SqlState = FromTextBuffer(state, 5, std::size(state));
    r.NativeError = int(native);
    r.Message = FromTextBuffer(text.data(), length, text.size()).trimmed();
    return true;
}

} // namespace

QList<TOdbcDiagRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool narrow)
{
    QList<TOdbcDiagRecord> records;
    if (handle == SQL_NULL_HANDLE)
        return records;
    // A driver may report many records (one per bad row of a batch); the first
    // few say what went wrong.
    for (SQLSMALLINT i = 1; i <= 20; ++i) {
        TOdbcDiagRecord r;
        if (!(narrow ? ReadRecord<SQLCHAR>(SQLGetDiagRec, handleType, handle, i, r)
                     : ReadRecord<SQLWCHAR>(SQLGetDiagRecW, handleType, handle, i, r)))
            break;
        records.append(r);
    }
    return records;
}

void RaiseError(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, bool narrow, const char *call,
                const QString &context)
{
    QList<TOdbcDiagRecord> records;
    if (rc != SQL_INVALID_HANDLE)
        records = ReadDiagnostics(handleType, handle, narrow);
    QStringList lines;
    if (!context.isEmpty())
        lines.append(context);
    for (const TOdbcDiagRecord &r : records)
        lines.append(QStringLiteral("%1 (SQLSTATE %2)").arg(r.Message, r.SqlState));
    if (records.isEmpty())
        lines.append(rc == SQL_INVALID_HANDLE
                         ? QStringLiteral("%1 was given an invalid handle").arg(QLatin1String(call))
                         : QStringLiteral("%1 failed with return code %2 and no diagnostic record")
                               .arg(QLatin1String(call))
                               .arg(rc));
    throw EOdbcError(lines.join(u'\n'), records);
}

OwnedHandle AllocStatement(SQLHDBC dbc, bool narrow, int queryTimeoutSeconds)
{
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_HANDLE_DBC, dbc, narrow, "SQLAllocHandle");
    OwnedHandle owned(SQL_HANDLE_STMT, stmt);
    if (queryTimeoutSeconds > 0)
        // Best effort: a driver without query timeouts still runs the statement.
        SQLSetStmtAttrW(stmt, SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds)), 0);
    return owned;
}

QString GetWideText(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column)
{
    constexpr SQLLEN chunkChars = 4096;
    SQLWCHAR buffer[chunkChars];
    QString result;
    bool any = false;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_WCHAR, buffer, sizeof(buffer), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        Check(rc, SQL_HANDLE_STMT, stmt, narrow, "SQLGetData");
        if (indicator == SQL_NULL_DATA)
            return any ? result : QString();
        any = true;
        const SQLLEN room = sizeof(buffer) - sizeof(SQLWCHAR);
        if (indicator == SQL_NO_TOTAL || indicator > room) {
            // A piece that filled the buffer; more follows.
            result.append(FromWText(buffer, chunkChars - 1));
            continue;
        }
        result.append(FromWText(buffer, indicator / SQLLEN(sizeof(SQLWCHAR))));
        break;
    }
    if (result.isNull())
        result = QStringLiteral(""); // empty, not null
    return result;
}

} // namespace odbc

} // namespace nvqb
