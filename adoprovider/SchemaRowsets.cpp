#include "adoprovider/SchemaRowsets.h"
#include "adoprovider/OdbcApi.h"

#include <QHash>
#include <QMap>

#include <algorithm>

namespace nvqb {

using namespace odbc;

namespace {

constexpr int NameSize = 128;

QVariant TextOrNull(SQLHSTMT stmt, SQLUSMALLINT column)
{
    const QString s = GetWideText(stmt, column);
    return s.isNull() ? QVariant() : QVariant(s);
}

QVariant IntOrNull(SQLHSTMT stmt, SQLUSMALLINT column)
{
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    Check(SQLGetData(stmt, column, SQL_C_SLONG, &value, sizeof(value), &indicator), SQL_HANDLE_STMT, stmt,
          "SQLGetData");
    if (indicator == SQL_NULL_DATA)
        return QVariant();
    return int(value);
}

bool Fetch(SQLHSTMT stmt) { return Check(SQLFetch(stmt), SQL_HANDLE_STMT, stmt, "SQLFetch") != SQL_NO_DATA; }

// NULL for a null text: the catalog functions read NULL as "any", which is not
// the same as an empty name.
SQLWCHAR *Arg(const QString &s) { return s.isNull() ? nullptr : WText(s); }
SQLSMALLINT ArgLength(const QString &s) { return s.isNull() ? 0 : SQL_NTS; }

QString RuleName(const QVariant &rule)
{
    if (rule.isNull())
        return QString();
    switch (rule.toInt()) {
    case SQL_CASCADE:
        return QStringLiteral("CASCADE");
    case SQL_RESTRICT:
        return QStringLiteral("RESTRICT");
    case SQL_SET_NULL:
        return QStringLiteral("SET NULL");
    case SQL_NO_ACTION:
        return QStringLiteral("NO ACTION");
    case SQL_SET_DEFAULT:
        return QStringLiteral("SET DEFAULT");
    default:
        return QString::number(rule.toInt());
    }
}

void Prepare(TMemoryDataset &target)
{
    target.Close();
    target.ClearRecords();
    target.FieldDefs().Clear();
}

struct TableRow {
    QString Catalog, Schema, Name, Type, Remarks;
};

QList<TableRow> ReadTables(SQLHDBC dbc, int timeoutSeconds)
{
    OwnedHandle stmt = AllocStatement(dbc, timeoutSeconds);
    Check(SQLTablesW(stmt.Get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_HANDLE_STMT, stmt.Get(),
          "SQLTables");
    QList<TableRow> rows;
    while (Fetch(stmt.Get())) {
        TableRow r;
        r.Catalog = GetWideText(stmt.Get(), 1);
        r.Schema = GetWideText(stmt.Get(), 2);
        r.Name = GetWideText(stmt.Get(), 3);
        r.Type = GetWideText(stmt.Get(), 4);
        r.Remarks = GetWideText(stmt.Get(), 5);
        rows.append(r);
    }
    return rows;
}

QVariant NullIfNull(const QString &s) { return s.isNull() ? QVariant() : QVariant(s); }

QString DbmsName(SQLHDBC dbc)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT length = 0;
    if (!Succeeded(SQLGetInfoW(dbc, SQL_DBMS_NAME, name, sizeof(name), &length)))
        return QString();
    return FromWTextBuffer(name, length / qsizetype(sizeof(SQLWCHAR)), std::size(name));
}

// Every foreign key of the database from the system catalogue in one query:
// asking the driver table by table costs a round trip and a catalogue scan
// per table, seconds for a few thousand tables. The columns and their order
// are those of the rowset; a key's column pairs come from the positions of
// the two key arrays, so several keys between one pair of tables stay apart.
const char16_t PostgresForeignKeysSQL[] =
    u"select current_database(), pn.nspname, pc.relname, pa.attname,"
    u" current_database(), fn.nspname, fc.relname, fa.attname, k.pos::integer,"
    u" case c.confupdtype when 'c' then 'CASCADE' when 'r' then 'RESTRICT' when 'n' then 'SET NULL'"
    u" when 'd' then 'SET DEFAULT' else 'NO ACTION' end,"
    u" case c.confdeltype when 'c' then 'CASCADE' when 'r' then 'RESTRICT' when 'n' then 'SET NULL'"
    u" when 'd' then 'SET DEFAULT' else 'NO ACTION' end,"
    u" pki.relname, c.conname"
    u" from pg_catalog.pg_constraint c"
    u" cross join lateral unnest(c.conkey, c.confkey) with ordinality as k(fkatt, pkatt, pos)"
    u" join pg_catalog.pg_class fc on fc.oid = c.conrelid"
    u" join pg_catalog.pg_namespace fn on fn.oid = fc.relnamespace"
    u" join pg_catalog.pg_class pc on pc.oid = c.confrelid"
    u" join pg_catalog.pg_namespace pn on pn.oid = pc.relnamespace"
    u" join pg_catalog.pg_attribute fa on fa.attrelid = c.conrelid and fa.attnum = k.fkatt"
    u" join pg_catalog.pg_attribute pa on pa.attrelid = c.confrelid and pa.attnum = k.pkatt"
    u" left join pg_catalog.pg_class pki on pki.oid = c.conindid"
    u" where c.contype = 'f'"
    u" order by fn.nspname, fc.relname, c.conname, k.pos";

void FillPostgresForeignKeys(SQLHDBC dbc, int timeoutSeconds, TMemoryDataset &target)
{
    OwnedHandle stmt = AllocStatement(dbc, timeoutSeconds);
    QString sql = QString::fromUtf16(PostgresForeignKeysSQL);
    Check(SQLExecDirectW(stmt.Get(), WText(sql), SQL_NTS), SQL_HANDLE_STMT, stmt.Get(), "SQLExecDirect",
          QStringLiteral("Cannot read the foreign keys:"));
    while (Fetch(stmt.Get())) {
        QList<QVariant> v;
        v.reserve(13);
        for (SQLUSMALLINT column = 1; column <= 8; ++column)
            v.append(TextOrNull(stmt.Get(), column));
        v.append(IntOrNull(stmt.Get(), 9));
        for (SQLUSMALLINT column = 10; column <= 13; ++column)
            v.append(TextOrNull(stmt.Get(), column));
        target.AppendRecord(v);
    }
}

// The columns of a table's primary key in key order; empty when the table
// has none or the driver cannot say.
QStringList ReadPrimaryKey(SQLHDBC dbc, int timeoutSeconds, bool sqlite, const QVariant &catalog,
                           const QVariant &schema, const QString &table)
{
    const QString catalogText = catalog.isNull() ? QString() : catalog.toString();
    const QString schemaText = schema.isNull() ? QString() : schema.toString();
    try {
        OwnedHandle stmt = AllocStatement(dbc, timeoutSeconds);
        if (sqlite) {
            // SQLite's driver numbers a key's columns in the table's order,
            // not the key's; the database itself knows the key's order.
            QString literal = table;
            literal.replace(u'\'', QStringLiteral("''"));
            QString sql = QStringLiteral("select name from pragma_table_info('%1') where pk > 0 order by pk")
                              .arg(literal);
            Check(SQLExecDirectW(stmt.Get(), WText(sql), SQL_NTS), SQL_HANDLE_STMT, stmt.Get(), "SQLExecDirect");
            QStringList columns;
            while (Fetch(stmt.Get()))
                columns.append(GetWideText(stmt.Get(), 1));
            return columns;
        }
        Check(SQLPrimaryKeysW(stmt.Get(), Arg(catalogText), ArgLength(catalogText), Arg(schemaText),
                              ArgLength(schemaText), WText(table), SQL_NTS),
              SQL_HANDLE_STMT, stmt.Get(), "SQLPrimaryKeys");
        QMap<int, QString> columns;
        while (Fetch(stmt.Get())) {
            const QString column = GetWideText(stmt.Get(), 4);
            columns.insert(IntOrNull(stmt.Get(), 5).toInt(), column);
        }
        return columns.values();
    } catch (const EOdbcError &) {
        // The key stays without its referenced columns, as the driver gave it.
        return {};
    }
}

} // namespace

void FillCatalogsRowset(void *dbc, int timeoutSeconds, TMemoryDataset &target)
{
    Prepare(target);
    target.FieldDefs().Add(QStringLiteral("CATALOG_NAME"), ftWideString, NameSize);
    target.FieldDefs().Add(QStringLiteral("DESCRIPTION"), ftWideString, 255);
    OwnedHandle stmt = AllocStatement(dbc, timeoutSeconds);
    QString all = QStringLiteral(SQL_ALL_CATALOGS), empty = QStringLiteral("");
    Check(SQLTablesW(stmt.Get(), WText(all), SQL_NTS, WText(empty), SQL_NTS, WText(empty), SQL_NTS, WText(empty),
                     SQL_NTS),
          SQL_HANDLE_STMT, stmt.Get(), "SQLTables");
    QStringList seen;
    while (Fetch(stmt.Get())) {
        const QString name = GetWideText(stmt.Get(), 1);
        const QString remarks = GetWideText(stmt.Get(), 5);
        // A nameless catalog is no catalog to choose.
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.append(name);
        target.AppendRecord({name, NullIfNull(remarks)});
    }
}

void FillTablesRowset(void *dbc, int timeoutSeconds, TMemoryDataset &target)
{
    Prepare(target);
    TFieldDefs &defs = target.FieldDefs();
    defs.Add(QStringLiteral("TABLE_CATALOG"), ftWideString, NameSize);
    defs.Add(QStringLiteral("TABLE_SCHEMA"), ftWideString, NameSize);
    defs.Add(QStringLiteral("TABLE_NAME"), ftWideString, NameSize);
    defs.Add(QStringLiteral("TABLE_TYPE"), ftWideString, NameSize);
    defs.Add(QStringLiteral("DESCRIPTION"), ftWideString, 255);
    for (const TableRow &r : ReadTables(static_cast<SQLHDBC>(dbc), timeoutSeconds))
        target.AppendRecord(
            {NullIfNull(r.Catalog), NullIfNull(r.Schema), r.Name, NullIfNull(r.Type), NullIfNull(r.Remarks)});
}

void FillForeignKeysRowset(void *dbc, int timeoutSeconds, TMemoryDataset &target)
{
    Prepare(target);
    TFieldDefs &defs = target.FieldDefs();
    enum Column { PkCatalog, PkSchema, PkTable, PkColumn, FkCatalog, FkSchema, FkTable, FkColumn, Ordinal,
                  UpdateRule, DeleteRule, PkName, FkName, ColumnCount };
    defs.Add(QStringLiteral("PK_TABLE_CATALOG"), ftWideString, NameSize);
    defs.Add(QStringLiteral("PK_TABLE_SCHEMA"), ftWideString, NameSize);
    defs.Add(QStringLiteral("PK_TABLE_NAME"), ftWideString, NameSize);
    defs.Add(QStringLiteral("PK_COLUMN_NAME"), ftWideString, NameSize);
    defs.Add(QStringLiteral("FK_TABLE_CATALOG"), ftWideString, NameSize);
    defs.Add(QStringLiteral("FK_TABLE_SCHEMA"), ftWideString, NameSize);
    defs.Add(QStringLiteral("FK_TABLE_NAME"), ftWideString, NameSize);
    defs.Add(QStringLiteral("FK_COLUMN_NAME"), ftWideString, NameSize);
    defs.Add(QStringLiteral("ORDINAL"), ftInteger);
    defs.Add(QStringLiteral("UPDATE_RULE"), ftWideString, 20);
    defs.Add(QStringLiteral("DELETE_RULE"), ftWideString, 20);
    defs.Add(QStringLiteral("PK_NAME"), ftWideString, NameSize);
    defs.Add(QStringLiteral("FK_NAME"), ftWideString, NameSize);

    const auto hdbc = static_cast<SQLHDBC>(dbc);
    const QString dbms = DbmsName(hdbc);
    if (dbms.startsWith(QStringLiteral("PostgreSQL"))) {
        FillPostgresForeignKeys(hdbc, timeoutSeconds, target);
        return;
    }
    const bool sqlite = dbms.startsWith(QStringLiteral("SQLite"));
    const QList<TableRow> tables = ReadTables(hdbc, timeoutSeconds);
    OwnedHandle stmt = AllocStatement(hdbc, timeoutSeconds);
    QHash<QString, QStringList> primaryKeys; // referenced tables' keys, read once each
    for (const TableRow &t : tables) {
        // Only tables hold foreign keys ("TABLE", "SYSTEM TABLE", "BASE TABLE", ...).
        if (!t.Type.trimmed().endsWith(QStringLiteral("TABLE"), Qt::CaseInsensitive) || t.Name.isEmpty())
            continue;
        const SQLRETURN rc = SQLForeignKeysW(stmt.Get(), nullptr, 0, nullptr, 0, nullptr, 0, Arg(t.Catalog),
                                             ArgLength(t.Catalog), Arg(t.Schema), ArgLength(t.Schema),
                                             WText(t.Name), SQL_NTS);
        Check(rc, SQL_HANDLE_STMT, stmt.Get(), "SQLForeignKeys",
              QStringLiteral("Cannot read the foreign keys of table %1:").arg(t.Name));
        struct Row {
            QList<QVariant> Values;
            int Constraint;
        };
        QList<Row> rows;
        // Constraints are told apart by name; unnamed ones (SQLite) by where
        // their key sequence starts again at 1 in the driver's order.
        int constraint = -1;
        QVariant lastName;
        int lastSeq = 0;
        while (Fetch(stmt.Get())) {
            QList<QVariant> v(ColumnCount);
            v[PkCatalog] = TextOrNull(stmt.Get(), 1);
            v[PkSchema] = TextOrNull(stmt.Get(), 2);
            v[PkTable] = TextOrNull(stmt.Get(), 3);
            v[PkColumn] = TextOrNull(stmt.Get(), 4);
            v[FkCatalog] = TextOrNull(stmt.Get(), 5);
            v[FkSchema] = TextOrNull(stmt.Get(), 6);
            v[FkTable] = TextOrNull(stmt.Get(), 7);
            v[FkColumn] = TextOrNull(stmt.Get(), 8);
            v[Ordinal] = IntOrNull(stmt.Get(), 9);
            v[UpdateRule] = NullIfNull(RuleName(IntOrNull(stmt.Get(), 10)));
            v[DeleteRule] = NullIfNull(RuleName(IntOrNull(stmt.Get(), 11)));
            v[FkName] = TextOrNull(stmt.Get(), 12);
            v[PkName] = TextOrNull(stmt.Get(), 13);
            const int seq = v[Ordinal].toInt();
            if (constraint < 0 || v[FkName] != lastName || seq <= lastSeq)
                ++constraint;
            lastName = v[FkName];
            lastSeq = seq;
            rows.append({std::move(v), constraint});
        }
        SQLFreeStmt(stmt.Get(), SQL_CLOSE);
        // A key written without a column list refers to the referenced
        // table's primary key, and SQLite's driver then names no referenced
        // column: take the key's columns in key order.
        for (Row &r : rows) {
            QList<QVariant> &v = r.Values;
            if (!v[PkColumn].toString().isEmpty() || v[PkTable].toString().isEmpty())
                continue;
            const QString key = QStringList{v[PkCatalog].toString(), v[PkSchema].toString(), v[PkTable].toString()}
                                    .join(QChar(0));
            auto found = primaryKeys.find(key);
            if (found == primaryKeys.end())
                found = primaryKeys.insert(key, ReadPrimaryKey(hdbc, timeoutSeconds, sqlite, v[PkCatalog],
                                                               v[PkSchema], v[PkTable].toString()));
            const int position = v[Ordinal].toInt();
            if (position >= 1 && position <= found->size())
                v[PkColumn] = found->at(position - 1);
        }
        std::stable_sort(rows.begin(), rows.end(), [&](const Row &a, const Row &b) {
            const QString an = a.Values[FkName].toString(), bn = b.Values[FkName].toString();
            if (an != bn)
                return an < bn;
            if (an.isEmpty() && a.Constraint != b.Constraint)
                return a.Constraint < b.Constraint;
            return a.Values[Ordinal].toInt() < b.Values[Ordinal].toInt();
        });
        for (const Row &r : rows)
            target.AppendRecord(r.Values);
    }
}

} // namespace nvqb
