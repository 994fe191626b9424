#include "adoprovider/SchemaRowsets.h"
#include "adoprovider/OdbcApi.h"

#include <QHash>
#include <QMap>

#include <algorithm>

namespace nvqb {

using namespace odbc;

namespace {

constexpr int NameSize = 128;

QVariant TextOrNull(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column)
{
    const QString s = GetWideText(stmt, narrow, column);
    return s.isNull() ? QVariant() : QVariant(s);
}

QVariant IntOrNull(SQLHSTMT stmt, bool narrow, SQLUSMALLINT column)
{
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    Check(SQLGetData(stmt, column, SQL_C_SLONG, &value, sizeof(value), &indicator), SQL_HANDLE_STMT, stmt, narrow,
          "SQLGetData");
    if (indicator == SQL_NULL_DATA)
        return QVariant();
    return int(value);
}

bool Fetch(SQLHSTMT stmt, bool narrow)
{
    return Check(SQLFetch(stmt), SQL_HANDLE_STMT, stmt, narrow, "SQLFetch") != SQL_NO_DATA;
}

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

QString DbmsName(SQLHDBC dbc, bool narrow) { return GetInfoText(dbc, narrow, SQL_DBMS_NAME); }

struct TableRow {
    QString Catalog, Schema, Name, Type, Remarks;
};

QList<TableRow> ReadTables(SQLHDBC dbc, bool narrow, int timeoutSeconds)
{
    OwnedHandle stmt = AllocStatement(dbc, narrow, timeoutSeconds);
    Check(Tables(stmt.Get(), narrow, QString(), QString(), QString(), QString()), SQL_HANDLE_STMT, stmt.Get(), narrow,
          "SQLTables");
    QList<TableRow> rows;
    while (Fetch(stmt.Get(), narrow)) {
        TableRow r;
        r.Catalog = GetWideText(stmt.Get(), narrow, 1);
        r.Schema = GetWideText(stmt.Get(), narrow, 2);
        r.Name = GetWideText(stmt.Get(), narrow, 3);
        r.Type = GetWideText(stmt.Get(), narrow, 4);
        r.Remarks = GetWideText(stmt.Get(), narrow, 5);
        rows.append(r);
    }
    // SQLite's driver answers an empty list, not an error, for a file that
    // is no database (or that it cannot read): asked of the file itself, the
    // database names what is wrong. An empty database answers no rows.
    if (rows.isEmpty() && DbmsName(dbc, narrow).startsWith(QStringLiteral("SQLite"))) {
        OwnedHandle check = AllocStatement(dbc, narrow, timeoutSeconds);
        Check(ExecDirect(check.Get(), narrow, QStringLiteral("select count(*) from sqlite_master")), SQL_HANDLE_STMT,
              check.Get(), narrow, "SQLExecDirect", QStringLiteral("Cannot read the tables:"));
    }
    return rows;
}

QVariant NullIfNull(const QString &s) { return s.isNull() ? QVariant() : QVariant(s); }


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

void FillPostgresForeignKeys(SQLHDBC dbc, bool narrow, int timeoutSeconds, TMemoryDataset &target)
{
    OwnedHandle stmt = AllocStatement(dbc, narrow, timeoutSeconds);
    const QString sql = QString::fromUtf16(PostgresForeignKeysSQL);
    Check(ExecDirect(stmt.Get(), narrow, sql), SQL_HANDLE_STMT, stmt.Get(), narrow, "SQLExecDirect",
          QStringLiteral("Cannot read the foreign keys:"));
    while (Fetch(stmt.Get(), narrow)) {
        QList<QVariant> v;
        v.reserve(13);
        for (SQLUSMALLINT column = 1; column <= 8; ++column)
            v.append(TextOrNull(stmt.Get(), narrow, column));
        v.append(IntOrNull(stmt.Get(), narrow, 9));
        for (SQLUSMALLINT column = 10; column <= 13; ++column)
            v.append(TextOrNull(stmt.Get(), narrow, column));
        target.AppendRecord(v);
    }
}

// The columns of a table's primary key in key order; empty when the table
// has none or the driver cannot say.
QStringList ReadPrimaryKey(SQLHDBC dbc, bool narrow, int timeoutSeconds, bool sqlite, const QVariant &catalog,
                           const QVariant &schema, const QString &table)
{
    const QString catalogText = catalog.isNull() ? QString() : catalog.toString();
    const QString schemaText = schema.isNull() ? QString() : schema.toString();
    try {
        OwnedHandle stmt = AllocStatement(dbc, narrow, timeoutSeconds);
        if (sqlite) {
            // SQLite's driver numbers a key's columns in the table's order,
            // not the key's; the database itself knows the key's order.
            QString literal = table;
            literal.replace(u'\'', QStringLiteral("''"));
            const QString sql =
                QStringLiteral("select name from pragma_table_info('%1') where pk > 0 order by pk").arg(literal);
            Check(ExecDirect(stmt.Get(), narrow, sql), SQL_HANDLE_STMT, stmt.Get(), narrow, "SQLExecDirect");
            QStringList columns;
            while (Fetch(stmt.Get(), narrow))
                columns.append(GetWideText(stmt.Get(), narrow, 1));
            return columns;
        }
        Check(PrimaryKeys(stmt.Get(), narrow, catalogText, schemaText, table.isNull() ? QStringLiteral("") : table),
              SQL_HANDLE_STMT, stmt.Get(), narrow, "SQLPrimaryKeys");
        QMap<int, QString> columns;
        while (Fetch(stmt.Get(), narrow)) {
            const QString column = GetWideText(stmt.Get(), narrow, 4);
            columns.insert(IntOrNull(stmt.Get(), narrow, 5).toInt(), column);
        }
        return columns.values();
    } catch (const EOdbcError &) {
        // The key stays without its referenced columns, as the driver gave it.
        return {};
    }
}

} // namespace

void FillCatalogsRowset(void *dbc, bool narrow, int timeoutSeconds, TMemoryDataset &target)
{
    Prepare(target);
    target.FieldDefs().Add(QStringLiteral("CATALOG_NAME"), ftWideString, NameSize);
    target.FieldDefs().Add(QStringLiteral("DESCRIPTION"), ftWideString, 255);
    OwnedHandle stmt = AllocStatement(dbc, narrow, timeoutSeconds);
    const QString all = QStringLiteral(SQL_ALL_CATALOGS), empty = QStringLiteral("");
    Check(Tables(stmt.Get(), narrow, all, empty, empty, empty), SQL_HANDLE_STMT, stmt.Get(), narrow, "SQLTables");
    QStringList seen;
    while (Fetch(stmt.Get(), narrow)) {
        const QString name = GetWideText(stmt.Get(), narrow, 1);
        const QString remarks = GetWideText(stmt.Get(), narrow, 5);
        // A nameless catalog is no catalog to choose.
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.append(name);
        target.AppendRecord({name, NullIfNull(remarks)});
    }
}

void FillTablesRowset(void *dbc, bool narrow, int timeoutSeconds, TMemoryDataset &target)
{
    Prepare(target);
    TFieldDefs &defs = target.FieldDefs();
    defs.Add(QStringLiteral("TABLE_CATALOG"), ftWideString, NameSize);
    defs.Add(QStringLiteral("TABLE_SCHEMA"), ftWideString, NameSize);
    defs.Add(QStringLiteral("TABLE_NAME"), ftWideString, NameSize);
    defs.Add(QStringLiteral("TABLE_TYPE"), ftWideString, NameSize);
    defs.Add(QStringLiteral("DESCRIPTION"), ftWideString, 255);
    for (const TableRow &r : ReadTables(static_cast<SQLHDBC>(dbc), narrow, timeoutSeconds))
        target.AppendRecord(
            {NullIfNull(r.Catalog), NullIfNull(r.Schema), r.Name, NullIfNull(r.Type), NullIfNull(r.Remarks)});
}

void FillForeignKeysRowset(void *dbc, bool narrow, int timeoutSeconds, TMemoryDataset &target)
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
    const QString dbms = DbmsName(hdbc, narrow);
    if (dbms.startsWith(QStringLiteral("PostgreSQL"))) {
        FillPostgresForeignKeys(hdbc, narrow, timeoutSeconds, target);
        return;
    }
    const bool sqlite = dbms.startsWith(QStringLiteral("SQLite"));
    const QList<TableRow> tables = ReadTables(hdbc, narrow, timeoutSeconds);
    OwnedHandle stmt = AllocStatement(hdbc, narrow, timeoutSeconds);
    QHash<QString, QStringList> primaryKeys; // referenced tables' keys, read once each
    for (const TableRow &t : tables) {
        // Only tables hold foreign keys ("TABLE", "SYSTEM TABLE", "BASE TABLE", ...).
        if (!t.Type.trimmed().endsWith(QStringLiteral("TABLE"), Qt::CaseInsensitive) || t.Name.isEmpty())
            continue;
        const SQLRETURN rc =
            ForeignKeys(stmt.Get(), narrow, QString(), QString(), QString(), t.Catalog, t.Schema, t.Name);
        Check(rc, SQL_HANDLE_STMT, stmt.Get(), narrow, "SQLForeignKeys",
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
        while (Fetch(stmt.Get(), narrow)) {
            QList<QVariant> v(ColumnCount);
            v[PkCatalog] = TextOrNull(stmt.Get(), narrow, 1);
            v[PkSchema] = TextOrNull(stmt.Get(), narrow, 2);
            v[PkTable] = TextOrNull(stmt.Get(), narrow, 3);
            v[PkColumn] = TextOrNull(stmt.Get(), narrow, 4);
            v[FkCatalog] = TextOrNull(stmt.Get(), narrow, 5);
            v[FkSchema] = TextOrNull(stmt.Get(), narrow, 6);
            v[FkTable] = TextOrNull(stmt.Get(), narrow, 7);
            v[FkColumn] = TextOrNull(stmt.Get(), narrow, 8);
            v[Ordinal] = IntOrNull(stmt.Get(), narrow, 9);
            v[UpdateRule] = NullIfNull(RuleName(IntOrNull(stmt.Get(), narrow, 10)));
            v[DeleteRule] = NullIfNull(RuleName(IntOrNull(stmt.Get(), narrow, 11)));
            v[FkName] = TextOrNull(stmt.Get(), narrow, 12);
            v[PkName] = TextOrNull(stmt.Get(), narrow, 13);
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
                found = primaryKeys.insert(key, ReadPrimaryKey(hdbc, narrow, timeoutSeconds, sqlite, v[PkCatalog],
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
