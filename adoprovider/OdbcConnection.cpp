#include "adoprovider/OdbcConnection.h"
#include "adoprovider/ConnectionString.h"
#include "adoprovider/LoginDialog.h"
#include "adoprovider/OdbcApi.h"
#include "adoprovider/OdbcDataset.h"
#include "adoprovider/SchemaRowsets.h"
#include "classlib/Strings.h"

#include <QApplication>

namespace nvqb {

using namespace odbc;

NV_IMPLEMENT_CLASS(TADOConnection, TComponent)

TADOConnection::TADOConnection(TComponent *owner) : TComponent(owner) {}

TADOConnection::~TADOConnection()
{
    // Deleted without Free: still release the session and the datasets' links.
    DoClose();
    for (TADODataSet *ds : FDataSets)
        ds->FConnection = nullptr;
}

void TADOConnection::BeforeDestruction()
{
    DoClose();
    const QList<TADODataSet *> dataSets = FDataSets;
    for (TADODataSet *ds : dataSets)
        ds->SetConnection(nullptr);
    TComponent::BeforeDestruction();
}

void TADOConnection::SetConnectionString(const QString &value)
{
    if (value == FConnectionString)
        return;
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot change the connection string of an open connection"));
    FConnectionString = value;
}

void TADOConnection::SetConnected(bool value)
{
    if (value)
        Open();
    else
        Close();
}

void TADOConnection::EnsureConnected()
{
    if (!Connected())
        Open();
}

bool TADOConnection::Connected() const
{
    if (!FDbc)
        return false;
    // The driver's own account of the last call; no round trip to the server.
    // A driver that does not keep one is taken at its word that it is open.
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttrW(FDbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return !Succeeded(rc) || dead != SQL_CD_TRUE;
}

void TADOConnection::Open()
{
    if (Connected())
        return;
    // A lost session still holds its handles and datasets.
    DoClose();
    if (Trim(FConnectionString).isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot open the connection: the connection string is empty"));
    // Checks the syntax before anything reaches the driver.
    QString connectString = BuildConnectionString(ParseConnectionString(FConnectionString));
    // The host's handler answers the prompt; without one the library's own
    // login dialog asks, where a dialog can be shown at all.
    if (FLoginPrompt && (OnLogin || CanPromptLogin())) {
        QString user = ConnectionStringValue(connectString, QStringLiteral("UID"));
        QString password = ConnectionStringValue(connectString, QStringLiteral("PWD"));
        const bool accepted =
            OnLogin ? OnLogin(this, user, password) : PromptLogin(QApplication::activeWindow(), user, password);
        if (!accepted)
            throw EDatabaseError(QStringLiteral("Login cancelled"));
        connectString = SetConnectionStringValue(connectString, QStringLiteral("UID"), user);
        connectString = SetConnectionStringValue(connectString, QStringLiteral("PWD"), password);
    }
    const QString context =
        QStringLiteral("Cannot open the connection (%1):").arg(MaskConnectionString(FConnectionString));

    SQLHENV env = SQL_NULL_HENV;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw EOdbcError(context + QStringLiteral("\nthe ODBC driver manager cannot allocate an environment"));
    OwnedHandle envOwner(SQL_HANDLE_ENV, env);
    Check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, env, false, "SQLSetEnvAttr", context);
    SQLHDBC dbc = SQL_NULL_HDBC;
    Check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env, false, "SQLAllocHandle", context);
    OwnedHandle dbcOwner(SQL_HANDLE_DBC, dbc);
    if (FConnectionTimeout > 0) {
        // Best effort, as for every timeout: drivers that lack one still connect.
        // Statements have their own limit (CommandTimeout).
        const auto seconds = reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(FConnectionTimeout));
        SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT, seconds, 0);
    }
    bool narrowLogin = false;
    const SQLRETURN rc = DriverConnect(env, dbc, connectString, narrowLogin);
    if (!Succeeded(rc))
        RaiseError(rc, SQL_HANDLE_DBC, dbc, narrowLogin, "SQLDriverConnect", context);
    FNarrow = TextsGoNarrow(dbc);
    FDbc = dbcOwner.Release();
    FEnv = envOwner.Release();
}

void TADOConnection::Close() { DoClose(); }

void TADOConnection::DoClose()
{
    if (!FDbc)
        return;
    // Statements die with the session; their datasets must let go of them first.
    const QList<TADODataSet *> dataSets = FDataSets;
    for (TADODataSet *ds : dataSets)
        ds->ConnectionClosing();
    SQLDisconnect(FDbc);
    SQLFreeHandle(SQL_HANDLE_DBC, FDbc);
    SQLFreeHandle(SQL_HANDLE_ENV, FEnv);
    FDbc = nullptr;
    FEnv = nullptr;
}

QString TADOConnection::DefaultDatabase() const
{
    if (!FDbc)
        return QString();
    return GetConnectAttrText(FDbc, FNarrow, SQL_ATTR_CURRENT_CATALOG);
}

void TADOConnection::SetDefaultDatabase(const QString &name)
{
    EnsureConnected();
    if (name == DefaultDatabase())
        return;
    const SQLRETURN rc = SetConnectAttrText(FDbc, FNarrow, SQL_ATTR_CURRENT_CATALOG, name);
    const QString context = QStringLiteral("Cannot make '%1' the default database:").arg(name);
    if (!Succeeded(rc))
        RaiseError(rc, SQL_HANDLE_DBC, FDbc, FNarrow, "SQLSetConnectAttr", context);
    // Some drivers accept the attribute and keep their database (PostgreSQL's
    // cannot switch within a session); loading another database's objects
    // from the current one must not pass unnoticed.
    const QString now = DefaultDatabase();
    if (now != name)
        throw EOdbcError(context + u'\n' +
                         (now.isEmpty() ? QStringLiteral("the driver does not switch databases")
                                        : QStringLiteral("the driver stayed in '%1'").arg(now)));
}

qint64 TADOConnection::Execute(const QString &sql)
{
    EnsureConnected();
    OwnedHandle stmt = AllocStatement(FDbc, FNarrow, FCommandTimeout);
    const SQLRETURN rc =
        Check(ExecDirect(stmt.Get(), FNarrow, sql), SQL_HANDLE_STMT, stmt.Get(), FNarrow, "SQLExecDirect");
    if (rc == SQL_NO_DATA)
        return 0; // a searched UPDATE or DELETE that matched nothing
    SQLLEN count = -1;
    if (!Succeeded(SQLRowCount(stmt.Get(), &count)))
        count = -1;
    return count;
}

TOwned<TMemoryDataset> TADOConnection::OpenSchema(TSchemaInfo schema)
{
    EnsureConnected();
    auto dataSet = Create<TMemoryDataset>(nullptr);
    switch (schema) {
    case siCatalogs:
        FillCatalogsRowset(FDbc, FNarrow, FCommandTimeout, *dataSet);
        break;
    case siTables:
        FillTablesRowset(FDbc, FNarrow, FCommandTimeout, *dataSet);
        break;
    case siForeignKeys:
        FillForeignKeysRowset(FDbc, FNarrow, FCommandTimeout, *dataSet);
        break;
    default:
        throw EDatabaseError(QStringLiteral("Unknown schema rowset %1").arg(int(schema)));
    }
    dataSet->Open();
    return dataSet;
}

TIdentifierCase TADOConnection::IdentifierCase(bool quoted)
{
    EnsureConnected();
    SQLUSMALLINT value = 0;
    const SQLRETURN rc =
        SQLGetInfoW(FDbc, quoted ? SQL_QUOTED_IDENTIFIER_CASE : SQL_IDENTIFIER_CASE, &value, sizeof value, nullptr);
    if (!Succeeded(rc))
        return TIdentifierCase::Unknown;
    switch (value) {
    case SQL_IC_UPPER:
        return TIdentifierCase::Upper;
    case SQL_IC_LOWER:
        return TIdentifierCase::Lower;
    case SQL_IC_SENSITIVE:
        return TIdentifierCase::Sensitive;
    case SQL_IC_MIXED:
        return TIdentifierCase::Mixed;
    default:
        return TIdentifierCase::Unknown;
    }
}

void TADOConnection::RegisterDataSet(TADODataSet *dataSet)
{
    if (!FDataSets.contains(dataSet))
        FDataSets.append(dataSet);
}

void TADOConnection::UnregisterDataSet(TADODataSet *dataSet) { FDataSets.removeAll(dataSet); }

} // namespace nvqb
