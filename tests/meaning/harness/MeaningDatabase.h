#pragma once
// The database the meaning checks run on: a SQLite file in a temporary
// folder, reached through the SQLite ODBC driver with the project's own
// connection and dataset classes. Four small tables of integer columns whose
// rows make joins match, miss and repeat, with nulls on every side:
//
//   p(id, v)
//   q(id, v, p_id)        q.p_id -> p.id
//   r(id, v, q_id)        r.q_id -> q.id
//   s(id, p_id, r_id)     s.p_id -> p.id, s.r_id -> r.id
//
// The foreign keys are declared (SQLite does not enforce them, so some lead
// nowhere), and the query model's metadata is read from the file through the
// ODBC metadata provider once, then handed to every model as XML.
#include "QueryResult.h"

#include "classlib/Component.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace nvqb {
class TADOConnection;
}

namespace nvqb::meaning {

struct TTableDef {
    QString Name;
    QStringList Columns;
};

// A foreign key of one column: Child.ChildColumn references Parent.ParentColumn.
struct TForeignKey {
    QString Child, ChildColumn, Parent, ParentColumn;
};

// The tables and keys above, for the generator and the oracles.
const QList<TTableDef> &Tables();
const QList<TForeignKey> &ForeignKeys();
// The table of the name; nil when none.
const TTableDef *FindTable(const QString &name);

class TMeaningDatabase {
public:
    // Makes the file and its rows; raises when the driver is missing or
    // refuses.
    TMeaningDatabase();
    ~TMeaningDatabase();

    // The statement's rows; an error the database raises is the result's
    // Error, never an exception.
    TQueryResult Run(const QString &sql) const;
    // The metadata container's XML of the tables, read through the ODBC
    // metadata provider with the SQL-92 dialect.
    const QString &MetadataXML() const { return FMetadataXML; }
    QString FileName() const;

private:
    QTemporaryDir FDir;
    TOwned<TADOConnection> FConnection;
    QString FMetadataXML;
};

} // namespace nvqb::meaning
