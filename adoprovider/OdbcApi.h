#pragma once
// Private to the ODBC layer: the C API, checked calls that turn diagnostics
// into EOdbcError, text conversion and a handle owner. unixODBC's SQLWCHAR is
// 16-bit UTF-16, the same code units as QString, so wide texts pass without
// conversion.
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

inline bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The diagnostic records of a handle, in the order the driver gave them.
QList<TOdbcDiagRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// Raises EOdbcError for the handle's diagnostics. The message is the context
// (when not empty) followed by the records; without records it names the
// call and its return code.
[[noreturn]] void RaiseError(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *call,
                             const QString &context = QString());

// Returns rc when it is success, success with info or SQL_NO_DATA; raises otherwise.
inline SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *call,
                       const QString &context = QString())
{
    if (Succeeded(rc) || rc == SQL_NO_DATA)
        return rc;
    RaiseError(rc, handleType, handle, call, context);
}

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
OwnedHandle AllocStatement(SQLHDBC dbc, int queryTimeoutSeconds);

// Reads a column of the current row as wide text, in as many pieces as it
// takes; a null QString (isNull) for SQL NULL.
QString GetWideText(SQLHSTMT stmt, SQLUSMALLINT column);

} // namespace nvqb::odbc
