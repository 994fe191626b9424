#pragma once
// Private to the ODBC layer: the C API, checked calls that turn diagnostics
// into EOdbcError, text conversion and a handle owner. unixODBC's SQLWCHAR is
// 16-bit UTF-16, the same code units as QString, so wide texts pass without
// conversion.
//
// Texts reach a driver through the wide entry points (UTF-16) or through the
// narrow ones, which carry UTF-8 on Linux. A driver without wide entry points
// (SQLite's) gets the driver manager's conversion of a wide text: the
// connection string loses every letter beyond ASCII (a file name with one is
// not found), other texts keep them only in a UTF-8 locale, and lengths come
// back in bytes. Each connection therefore learns
// after logging in which way its driver takes texts unchanged (TextsGoNarrow),
// and every call that passes a text or a name, or reads diagnostics, goes
// that way on it (`narrow`). Values of result columns are read as wide text
// either way: drivers convert those themselves.
#include "adoprovider/OdbcError.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <QString>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "SQLWCHAR must be UTF-16");

namespace nvqb::odbc {

inline SQLWCHAR *WText(const QString &s)
{
    // The API takes non-const pointers for input texts it never writes.
    return reinterpret_cast<SQLWCHAR *>(const_cast<char16_t *>(reinterpret_cast<const char16_t *>(s.utf16())));
}

inline QString FromWText(const SQLWCHAR *text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

// A text for a narrow entry point; the array must outlive the call.
inline SQLCHAR *NText(const QByteArray &utf8)
{
    return reinterpret_cast<SQLCHAR *>(const_cast<char *>(utf8.constData()));
}

// A text a driver wrote, terminated, into a buffer of `capacity` bytes
// through a narrow entry point, with the length it reported.
inline QString FromNTextBuffer(const SQLCHAR *buffer, qsizetype reportedLength, qsizetype capacity)
{
    const qsizetype length = qBound<qsizetype>(0, reportedLength, capacity - 1);
    const auto *text = reinterpret_cast<const char *>(buffer);
    return QString::fromUtf8(text, qstrnlen(text, size_t(length)));
}

// A text the driver wrote, terminated, into a buffer of `capacity` code
// units, with the length it reported for it. Names, messages and attribute
// values hold no NUL, so the text ends at the first one: through the driver
// manager, a narrow driver (SQLite's) reports the length in UTF-8 bytes, and
// that length would carry one NUL per extra byte into the name.
inline QString FromWTextBuffer(const SQLWCHAR *buffer, qsizetype reportedLength, qsizetype capacity)
{
    qsizetype length = qBound<qsizetype>(0, reportedLength, capacity - 1);
    for (qsizetype i = 0; i < length; ++i)
        if (buffer[i] == 0) {
            length = i;
            break;
        }
    return FromWText(buffer, length);
}

// Either of the two, by the kind of buffer: for code that reads a text the
// same way through the wide and the narrow entry point.
inline QString FromTextBuffer(const SQLWCHAR *buffer, qsizetype reportedLength, qsizetype capacity)
{
    return FromWTextBuffer(buffer, reportedLength, capacity);
}
inline QString FromTextBuffer(const SQLCHAR *buffer, qsizetype reportedLength, qsizetype capacity)
{
    return FromNTextBuffer(buffer, reportedLength, capacity);
}

inline bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The diagnostic records of a handle, in the order the driver gave them.
QList<TOdbcDiagRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool narrow);

// Raises EOdbcError for the handle's diagnostics. The message is the context
// (when not empty) followed by the records; without records it names the
// call and its return code.
[[noreturn]] void RaiseError(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, bool narrow, const char *call,
                             const QString &context = QString());

// Returns rc when it is success, success with info or SQL_NO_DATA; raises otherwise.
inline SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, bool narrow, const char *call,
                       const QString &context = QString())
{
    if (Succeeded(rc) || rc == SQL_NO_DATA)
        return rc;
    RaiseError(rc, handleType, handle, narrow, call, context);
}

// Whether the connection's driver has no wide entry points, so that texts
// take the narrow ones. Asked of the driver once connected: a column named
// with letters beyond Latin-1, prepared and described (never run), comes back
// as it went, length and all, only from a driver's own wide entry points.
// (SQLGetFunctions cannot tell: the driver manager counts a function as there
// when either entry point is. SQLNativeSql cannot either: SQLite's driver
// writes its terminator into the text it is given.) A driver that cannot
// answer keeps the wide ones.
bool TextsGoNarrow(SQLHDBC dbc);

// Logs in with the connection string: through the narrow entry point when it
// holds a letter beyond ASCII and the driver it names has no wide entry
// points (its file, from the driver manager's list of drivers and data
// sources, is asked before the driver manager loads it), through the wide
// one otherwise. Narrow tells which, for reading the diagnostics of a refusal.
SQLRETURN DriverConnect(SQLHENV env, SQLHDBC dbc, const QString &connectionString, bool &narrow);

// The calls of this layer that pass texts, each through the entry points the
// connection's driver takes them by. A null QString is passed as NULL (for
// the catalog functions: any), an empty one as "".
SQLRETURN ExecDirect(SQLHSTMT stmt, bool narrow, const QString &sql);
SQLRETURN Prepare(SQLHSTMT stmt, bool narrow, const QString &sql);
SQLRETURN Tables(SQLHSTMT stmt, bool narrow, const QString &catalog, const QString &schema, const QString &table,
                 const QString &types);
SQLRETURN ForeignKeys(SQLHSTMT stmt, bool narrow, const QString &pkCatalog, const QString &pkSchema,
                      const QString &pkTable, const QString &fkCatalog, const QString &fkSchema,
                      const QString &fkTable);
SQLRETURN PrimaryKeys(SQLHSTMT stmt, bool narrow, const QString &catalog, const QString &schema,
                      const QString &table);
// A column's name and type; the name read whole however long it is.
SQLRETURN DescribeColumn(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column, QString &name, SQLSMALLINT &sqlType,
                         SQLULEN &size, SQLSMALLINT &digits, SQLSMALLINT &nullable);
// A text item of SQLGetInfo; empty when the driver does not give it.
QString GetInfoText(SQLHDBC dbc, bool narrow, SQLUSMALLINT info);
// A text attribute of the connection; empty when the driver does not give it.
QString GetConnectAttrText(SQLHDBC dbc, bool narrow, SQLINTEGER attribute);
SQLRETURN SetConnectAttrText(SQLHDBC dbc, bool narrow, SQLINTEGER attribute, const QString &value);

// Owns one ODBC handle and frees it.
class OwnedHandle {
public:
    OwnedHandle() = default;
    OwnedHandle(SQLSMALLINT type, SQLHANDLE handle) : FType(type), FHandle(handle) {}
    OwnedHandle(const OwnedHandle &) = delete;
    OwnedHandle &operator=(const OwnedHandle &) = delete;
    OwnedHandle(OwnedHandle &&other) noexcept : FType(other.FType), FHandle(other.Release()) {}
    ~OwnedHandle() { Reset(); }

    SQLHANDLE Get() const { return FHandle; }
    SQLHANDLE Release()
    {
        SQLHANDLE h = FHandle;
        FHandle = SQL_NULL_HANDLE;
        return h;
    }
    void Reset()
    {
        if (FHandle != SQL_NULL_HANDLE)
            SQLFreeHandle(FType, FHandle);
        FHandle = SQL_NULL_HANDLE;
    }

private:
    SQLSMALLINT FType = 0;
    SQLHANDLE FHandle = SQL_NULL_HANDLE;
};

// Allocates a statement on a connection, with the query timeout set.
OwnedHandle AllocStatement(SQLHDBC dbc, bool narrow, int queryTimeoutSeconds);

// Reads a column of the current row as wide text, in as many pieces as it
// takes; a null QString (isNull) for SQL NULL.
QString GetWideText(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column);

} // namespace nvqb::odbc
