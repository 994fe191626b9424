// The calls of the ODBC layer that pass texts, each through the wide or the
// narrow entry point as the connection's driver takes texts unchanged (see
// OdbcApi.h).
#include "adoprovider/OdbcApi.h"
#include "adoprovider/ConnectionString.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStringList>

#include <climits>
#include <dlfcn.h>
#include <optional>

namespace nvqb::odbc {

namespace {

bool HasNonAscii(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x7f)
            return true;
    return false;
}

// One text argument in the form its entry point takes: NULL for a null text.
class TArg {
public:
    TArg(const QString &text, bool narrow)
        : FNull(text.isNull()), FWide(text), FUtf8(narrow && !text.isNull() ? text.toUtf8() : QByteArray())
    {
    }
    SQLWCHAR *Wide() const { return FNull ? nullptr : WText(FWide); }
    SQLCHAR *Narrow() const { return FNull ? nullptr : NText(FUtf8); }
    SQLSMALLINT Length() const { return FNull ? 0 : SQL_NTS; }

private:
    bool FNull;
    QString FWide;
    QByteArray FUtf8;
};

// A column's name and type through one kind of entry point: SQLDescribeColW
// with SQLWCHAR, SQLDescribeCol with SQLCHAR. NameLength is the length the
// driver reported, in those units; the name is read whole however long it is.
template <class Char, class DescribeCol>
SQLRETURN DescribeColumnThrough(DescribeCol describeCol, SQLHSTMT stmt, SQLUSMALLINT column, QString &name,
                                SQLSMALLINT &nameLength, SQLSMALLINT &sqlType, SQLULEN &size, SQLSMALLINT &digits,
                                SQLSMALLINT &nullable)
{
    QList<Char> buffer(256);
    SQLRETURN rc;
    for (;;) {
        rc = describeCol(stmt, column, buffer.data(), SQLSMALLINT(buffer.size()), &nameLength, &sqlType, &size,
                         &digits, &nullable);
        // A name that filled the buffer may have been cut: SQLite's driver
        // then reports success and the length of what it wrote. Read it again
        // into more room.
        if (!Succeeded(rc) || nameLength < buffer.size() - 1 || buffer.size() >= SHRT_MAX)
            break;
        buffer.fill(0, qMin<qsizetype>(SHRT_MAX, qMax<qsizetype>(nameLength + 1, buffer.size() * 4)));
    }
    name = Succeeded(rc) ? FromTextBuffer(buffer.data(), nameLength, buffer.size()) : QString();
    return rc;
}

SQLRETURN DescribeColumnWithLength(bool narrow, SQLHSTMT stmt, SQLUSMALLINT column, QString &name,
                                   SQLSMALLINT &nameLength, SQLSMALLINT &sqlType, SQLULEN &size,
                                   SQLSMALLINT &digits, SQLSMALLINT &nullable)
{
    if (narrow)
        return DescribeColumnThrough<SQLCHAR>(SQLDescribeCol, stmt, column, name, nameLength, sqlType, size, digits,
                                              nullable);
    return DescribeColumnThrough<SQLWCHAR>(SQLDescribeColW, stmt, column, name, nameLength, sqlType, size, digits,
                                           nullable);
}

} // namespace

bool TextsGoNarrow(SQLHDBC dbc)
{
    // A column named with Greek, Cyrillic and the euro sign, prepared and
    // described, never run. Through a driver's own wide entry points the name
    // comes back as it went, three UTF-16 code units long. Converted by the
    // driver manager for a narrow driver it comes back changed (in a locale
    // other than UTF-8), or with its length in UTF-8 bytes.
    const QString name = QStringLiteral(u"\u03a9\u0436\u20ac");
    const QString probe = QStringLiteral("select 1 as \"%1\"").arg(name);
    auto describe = [&](bool narrow, QString &described, SQLSMALLINT &length) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)))
            return false;
        OwnedHandle owner(SQL_HANDLE_STMT, stmt);
        // Closed before it is freed: the PostgreSQL driver keeps the result of
        // describing a statement that never ran until then.
        const auto close = qScopeGuard([stmt] { SQLFreeStmt(stmt, SQL_CLOSE); });
        if (!Succeeded(Prepare(stmt, narrow, probe)))
            return false;
        SQLSMALLINT type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        length = 0;
        return Succeeded(DescribeColumnWithLength(narrow, stmt, 1, described, length, type, size, digits, nullable));
    };
    QString described;
    SQLSMALLINT length = 0;
    if (describe(false, described, length))
        return length != name.size() || described != name;
    // The driver manager may refuse to convert the text at all; the narrow
    // entry points then show whether the driver takes it that way. A driver
    // that takes neither (a dialect without SELECT lists of constants)
    // keeps the wide ones.
    return describe(true, described, length) && described == name;
}

namespace {

// The value of an attribute of a list as SQLDrivers gives it: "key=value"
// texts one after the other, each ended by a NUL, the list by another.
QString AttributeValue(const SQLWCHAR *attributes, qsizetype capacity, const QString &key)
{
    qsizetype i = 0;
    while (i < capacity && attributes[i] != 0) {
        qsizetype end = i;
        while (end < capacity && attributes[end] != 0)
            ++end;
        const QString pair = FromWText(attributes + i, end - i);
        const qsizetype equals = pair.indexOf(u'=');
        if (equals > 0 && pair.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return pair.mid(equals + 1).trimmed();
        i = end + 1;
    }
    return QString();
}

// The file of an installed driver, by its name; the name itself when it is
// a file already; empty for a name the driver manager does not list.
QString InstalledDriverFile(SQLHENV env, const QString &name)
{
    if (name.contains(u'/'))
        return name;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR description[256] = {};
        SQLWCHAR attributes[4096] = {};
        SQLSMALLINT descriptionLength = 0, attributesLength = 0;
        const SQLRETURN rc = SQLDriversW(env, direction, description, SQLSMALLINT(std::size(description)),
                                         &descriptionLength, attributes, SQLSMALLINT(std::size(attributes)),
                                         &attributesLength);
        if (!Succeeded(rc))
            return QString();
        direction = SQL_FETCH_NEXT;
        if (FromWTextBuffer(description, descriptionLength, std::size(description))
                .compare(name, Qt::CaseInsensitive) == 0)
            return AttributeValue(attributes, std::size(attributes), QStringLiteral("Driver"));
    }
}

// The driver file that the connection string leads to, as the driver
// manager's configuration says: DRIVER= names an installed driver or a file,
// DSN= a data source whose driver the driver manager lists. Empty when it
// cannot be told (a file data source, a name not installed).
QString DriverFile(SQLHENV env, const QString &connectionString)
{
    QList<TConnectionAttribute> attributes;
    try {
        attributes = ParseConnectionString(connectionString);
    } catch (const std::exception &) {
        return QString();
    }
    QString driver, dsn;
    for (const TConnectionAttribute &a : attributes) {
        if (a.first.compare(QLatin1String("DRIVER"), Qt::CaseInsensitive) == 0)
            driver = a.second;
        else if (a.first.compare(QLatin1String("DSN"), Qt::CaseInsensitive) == 0)
            dsn = a.second;
    }
    if (!driver.isEmpty())
        return InstalledDriverFile(env, driver);
    if (dsn.isEmpty())
        return QString();
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[256] = {};
        SQLWCHAR description[1024] = {};
        SQLSMALLINT nameLength = 0, descriptionLength = 0;
        const SQLRETURN rc = SQLDataSourcesW(env, direction, name, SQLSMALLINT(std::size(name)), &nameLength,
                                             description, SQLSMALLINT(std::size(description)), &descriptionLength);
        if (!Succeeded(rc))
            return QString();
        direction = SQL_FETCH_NEXT;
        // The driver manager describes a data source by its driver.
        if (FromWTextBuffer(name, nameLength, std::size(name)).compare(dsn, Qt::CaseInsensitive) == 0)
            return InstalledDriverFile(env, FromWTextBuffer(description, descriptionLength, std::size(description)));
    }
}

// Whether the driver file has wide entry points; unknown when it cannot be
// loaded here. A file named without a folder is looked for where the loader
// looks and in the driver manager's own driver folder ("odbc" beside it).
std::optional<bool> FileHasWideEntryPoints(const QString &file)
{
    if (file.isEmpty())
        return std::nullopt;
    QStringList candidates{file};
    Dl_info manager{};
    if (!file.contains(u'/') && dladdr(reinterpret_cast<void *>(&SQLDriverConnectW), &manager) && manager.dli_fname)
        candidates.append(QFileInfo(QFile::decodeName(manager.dli_fname)).absolutePath() + QStringLiteral("/odbc/") +
                          file);
    for (const QString &candidate : candidates) {
        // The driver manager loads the same file to connect; loading it here
        // first only counts one more user of it.
        void *library = dlopen(QFile::encodeName(candidate).constData(), RTLD_LAZY | RTLD_LOCAL);
        if (!library)
            continue;
        const bool wide = dlsym(library, "SQLDriverConnectW") != nullptr;
        dlclose(library);
        return wide;
    }
    return std::nullopt;
}

} // namespace

SQLRETURN DriverConnect(SQLHENV env, SQLHDBC dbc, const QString &connectionString, bool &narrow)
{
    // A connection string of ASCII reaches every driver unchanged through the
    // wide entry point. One beyond it takes the narrow one (UTF-8) only to a
    // driver that has no wide entry points: the driver manager would convert
    // it, and lose every letter beyond ASCII. A driver with wide entry points
    // may treat a narrow text as being in another encoding.
    narrow = HasNonAscii(connectionString) && FileHasWideEntryPoints(DriverFile(env, connectionString)) == false;
    if (!narrow)
        return SQLDriverConnectW(dbc, nullptr, WText(connectionString), SQL_NTS, nullptr, 0, nullptr,
                                 SQL_DRIVER_NOPROMPT);
    const QByteArray utf8 = connectionString.toUtf8();
    return SQLDriverConnect(dbc, nullptr, NText(utf8), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
}

SQLRETURN ExecDirect(SQLHSTMT stmt, bool narrow, const QString &sql)
{
    const TArg text(sql, narrow);
    return narrow ? SQLExecDirect(stmt, text.Narrow(), SQL_NTS) : SQLExecDirectW(stmt, text.Wide(), SQL_NTS);
}

SQLRETURN Prepare(SQLHSTMT stmt, bool narrow, const QString &sql)
{
    const TArg text(sql, narrow);
    return narrow ? SQLPrepare(stmt, text.Narrow(), SQL_NTS) : SQLPrepareW(stmt, text.Wide(), SQL_NTS);
}

SQLRETURN Tables(SQLHSTMT stmt, bool narrow, const QString &catalog, const QString &schema, const QString &table,
                 const QString &types)
{
    const TArg c(catalog, narrow), s(schema, narrow), t(table, narrow), y(types, narrow);
    if (narrow)
        return SQLTables(stmt, c.Narrow(), c.Length(), s.Narrow(), s.Length(), t.Narrow(), t.Length(), y.Narrow(),
                         y.Length());
    return SQLTablesW(stmt, c.Wide(), c.Length(), s.Wide(), s.Length(), t.Wide(), t.Length(), y.Wide(), y.Length());
}

SQLRETURN ForeignKeys(SQLHSTMT stmt, bool narrow, const QString &pkCatalog, const QString &pkSchema,
                      const QString &pkTable, const QString &fkCatalog, const QString &fkSchema,
                      const QString &fkTable)
{
    const TArg pc(pkCatalog, narrow), ps(pkSchema, narrow), pt(pkTable, narrow), fc(fkCatalog, narrow),
        fs(fkSchema, narrow), ft(fkTable, narrow);
    if (narrow)
        return SQLForeignKeys(stmt, pc.Narrow(), pc.Length(), ps.Narrow(), ps.Length(), pt.Narrow(), pt.Length(),
                              fc.Narrow(), fc.Length(), fs.Narrow(), fs.Length(), ft.Narrow(), ft.Length());
    return SQLForeignKeysW(stmt, pc.Wide(), pc.Length(), ps.Wide(), ps.Length(), pt.Wide(), pt.Length(), fc.Wide(),
                           fc.Length(), fs.Wide(), fs.Length(), ft.Wide(), ft.Length());
}

SQLRETURN PrimaryKeys(SQLHSTMT stmt, bool narrow, const QString &catalog, const QString &schema,
                      const QString &table)
{
    const TArg c(catalog, narrow), s(schema, narrow), t(table, narrow);
    if (narrow)
        return SQLPrimaryKeys(stmt, c.Narrow(), c.Length(), s.Narrow(), s.Length(), t.Narrow(), t.Length());
    return SQLPrimaryKeysW(stmt, c.Wide(), c.Length(), s.Wide(), s.Length(), t.Wide(), t.Length());
}

SQLRETURN DescribeColumn(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column, QString &name, SQLSMALLINT &sqlType,
                         SQLULEN &size, SQLSMALLINT &digits, SQLSMALLINT &nullable)
{
    SQLSMALLINT nameLength = 0;
    return DescribeColumnWithLength(narrow, stmt, column, name, nameLength, sqlType, size, digits, nullable);
}

namespace {

// A text of SQLGetInfo(W) or SQLGetConnectAttr(W), whose lengths are in
// bytes either way, through the entry point given; null when the driver does
// not give it or gives it empty.
template <class Char, class Get, class Item, class Length>
QString ItemText(Get get, SQLHDBC dbc, Item item, Length capacityBytes)
{
    QList<Char> text(capacityBytes / sizeof(Char));
    Length length = 0;
    if (!Succeeded(get(dbc, item, text.data(), capacityBytes, &length)) || length <= 0)
        return QString();
    return FromTextBuffer(text.data(), length / qsizetype(sizeof(Char)), text.size());
}

} // namespace

QString GetInfoText(SQLHDBC dbc, bool narrow, SQLUSMALLINT info)
{
    return narrow ? ItemText<SQLCHAR>(SQLGetInfo, dbc, info, SQLSMALLINT(512))
                  : ItemText<SQLWCHAR>(SQLGetInfoW, dbc, info, SQLSMALLINT(512));
}

QString GetConnectAttrText(SQLHDBC dbc, bool narrow, SQLINTEGER attribute)
{
    return narrow ? ItemText<SQLCHAR>(SQLGetConnectAttr, dbc, attribute, SQLINTEGER(2048))
                  : ItemText<SQLWCHAR>(SQLGetConnectAttrW, dbc, attribute, SQLINTEGER(2048));
}

SQLRETURN SetConnectAttrText(SQLHDBC dbc, bool narrow, SQLINTEGER attribute, const QString &value)
{
    // Null-terminated: the driver manager takes an explicit length for a
    // text attribute as characters when it converts for a narrow driver, and
    // reads past the text.
    const TArg text(value.isNull() ? QStringLiteral("") : value, narrow);
    if (narrow)
        return SQLSetConnectAttr(dbc, attribute, text.Narrow(), SQL_NTS);
    return SQLSetConnectAttrW(dbc, attribute, text.Wide(), SQL_NTS);
}

} // namespace nvqb::odbc
