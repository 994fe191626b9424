#pragma once
// A database connection over ODBC, shaped like the class library's ADO
// connection component: a connection string, open and close, a login prompt
// answered by the host, the default database, catalog rowsets, and statements
// run without result rows. Datasets (TADODataSet) run queries through it.
//
// Every call that reaches the driver fails with EOdbcError carrying the
// driver's diagnostics; logging in and every statement are bounded by the
// timeouts below, so an unreachable server fails instead of hanging.
#include "classlib/Component.h"
#include "classlib/Method.h"
#include "classlib/MemoryDataset.h"

#include <QList>
#include <QString>

namespace nvqb {

class TADODataSet;

// The catalog rowsets a connection can open.
enum TSchemaInfo {
    // CATALOG_NAME, DESCRIPTION
    siCatalogs,
    // TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, DESCRIPTION; the
    // type as the driver names it ("TABLE", "VIEW", "SYSTEM TABLE", ...).
    siTables,
    // PK_TABLE_CATALOG, PK_TABLE_SCHEMA, PK_TABLE_NAME, PK_COLUMN_NAME,
    // FK_TABLE_CATALOG, FK_TABLE_SCHEMA, FK_TABLE_NAME, FK_COLUMN_NAME,
    // ORDINAL, UPDATE_RULE, DELETE_RULE, PK_NAME, FK_NAME: one row per column
    // pair; the rows of one foreign key follow each other with rising ORDINAL
    // (from 1), keys of one referencing table together.
    siForeignKeys,
};

// How a server treats the letter case of identifiers, as its driver reports
// it: folded to upper or lower case, kept and compared by case, or kept as
// written and compared without case. Unknown when the driver does not say.
enum class TIdentifierCase { Unknown, Upper, Lower, Sensitive, Mixed };

// Asked for the user name and password before logging in when LoginPrompt is
// set; both come in as the connection string has them. Returning false
// cancels the login. Without a handler the login dialog asks (on the
// user-interface thread of a widget application; elsewhere the string is
// used as it is).
using TLoginEvent = TMethod<bool(TObject *sender, QString &userName, QString &password)>;

class TADOConnection : public TComponent {
    NV_DECLARE_CLASS(TADOConnection)
public:
    explicit TADOConnection(TComponent *owner = nullptr);
    ~TADOConnection() override;

    const QString &ConnectionString() const { return FConnectionString; }
    // Raises EDatabaseError while connected: the string describes the open session.
    void SetConnectionString(const QString &value);

    bool LoginPrompt() const { return FLoginPrompt; }
    void SetLoginPrompt(bool value) { FLoginPrompt = value; }
    TLoginEvent OnLogin;

    // Seconds allowed for logging in (0: the driver's own limit, which may be none).
    int ConnectionTimeout() const { return FConnectionTimeout; }
    void SetConnectionTimeout(int seconds) { FConnectionTimeout = seconds; }
    // Seconds allowed for one statement (0: no limit), where the driver supports it.
    int CommandTimeout() const { return FCommandTimeout; }
    void SetCommandTimeout(int seconds) { FCommandTimeout = seconds; }

    // Opening an open connection does nothing. Raises EDatabaseError for an
    // empty connection string or a cancelled login, EOdbcError when the
    // driver refuses.
    void Open();
    // Closes the datasets running through the connection first.
    void Close();
    // Open, and not found lost: once a call has failed because the server
    // ended the session (a restart, the session terminated, a broken
    // network), the connection reads as closed and Open starts a new session.
    bool Connected() const;
    void SetConnected(bool value);

    // The driver's current catalog; empty while closed or when the driver
    // has none. Setting it connects when needed; setting the name it already
    // has does nothing; a driver that cannot switch raises EOdbcError.
    QString DefaultDatabase() const;
    void SetDefaultDatabase(const QString &name);

    // Runs a statement and drops any rows it yields; connects when needed.
    // Returns the count of rows affected, or -1 when the driver does not tell.
    qint64 Execute(const QString &sql);

    // A new, open dataset holding the rowset; connects when needed.
    TOwned<TMemoryDataset> OpenSchema(TSchemaInfo schema);

    // The case rule of unquoted or of quoted identifiers on the server;
    // connects when needed.
    TIdentifierCase IdentifierCase(bool quoted);

    // The connection handle (SQLHDBC) while connected, else nil; for the
    // datasets and rowsets of this layer.
    void *Handle() const { return FDbc; }
    // Whether texts go to the driver through the narrow entry points (UTF-8),
    // as a driver without wide ones needs; learnt from the driver when
    // connecting. For the datasets and rowsets of this layer.
    bool NarrowTexts() const { return FNarrow; }
    // Opens the connection when it is closed.
    void EnsureConnected();

protected:
    void BeforeDestruction() override;

private:
    friend class TADODataSet;
    void RegisterDataSet(TADODataSet *dataSet);
    void UnregisterDataSet(TADODataSet *dataSet);
    void DoClose();

    QString FConnectionString;
    bool FLoginPrompt = false;
    int FConnectionTimeout = 15;
    int FCommandTimeout = 30;
    void *FEnv = nullptr; // SQLHENV, owned while connected
    void *FDbc = nullptr; // SQLHDBC, owned while connected
    bool FNarrow = false;
    QList<TADODataSet *> FDataSets; // not owned; they unregister themselves
};

} // namespace nvqb
