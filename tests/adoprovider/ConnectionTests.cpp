#include "OdbcTestSupport.h"
#include "adoprovider/OdbcDataset.h"
#include "adoprovider/OdbcError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

// A loopback port that accepts TCP connections into its backlog and never
// answers: a server that hangs.
class SilentServer {
public:
    SilentServer()
    {
        FSocket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (FSocket >= 0 && ::bind(FSocket, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 &&
            ::listen(FSocket, 4) == 0 &&
            ::getsockname(FSocket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            FPort = ntohs(address.sin_port);
    }
    ~SilentServer()
    {
        if (FSocket >= 0)
            ::close(FSocket);
    }
    int Port() const { return FPort; }

private:
    int FSocket = -1;
    int FPort = 0;
};

struct LoginRecorder {
    QString SeenUser, SeenPassword, NewUser, NewPassword;
    bool Accept = true;
    int Calls = 0;
    bool Login(TObject *, QString &user, QString &password)
    {
        ++Calls;
        SeenUser = user;
        SeenPassword = password;
        user = NewUser;
        password = NewPassword;
        return Accept;
    }
};

} // namespace

TEST(OdbcConnection, UnansweringServerFailsWithinTheLoginTimeout)
{
    SilentServer server;
    ASSERT_NE(server.Port(), 0);
    auto connection = Create<TADOConnection>(nullptr);
    connection->SetConnectionString(
        QStringLiteral("Driver=PostgreSQL Unicode;Servername=127.0.0.1;Port=%1;Database=x;UID=u;PWD=secret")
            .arg(server.Port()));
    // The server never answers: only the login timeout ends the wait, and
    // a wait that goes on past it fails by the test's timeout.
    connection->SetConnectionTimeout(2);
    try {
        connection->Open();
        FAIL() << "connected to a server that never answers";
    } catch (const EOdbcError &e) {
        EXPECT_EQ(e.SqlState(), QStringLiteral("08001"));
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot open the connection (Driver=PostgreSQL Unicode;"))) << e.what();
        EXPECT_FALSE(e.Message().contains(QStringLiteral("secret"))) << e.what();
    }
    EXPECT_FALSE(connection->Connected());
}

TEST(OdbcConnection, UnknownDriverAndEmptyStringAreNamed)
{
    auto connection = Create<TADOConnection>(nullptr);
    try {
        connection->Open();
        FAIL() << "opened without a connection string";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open the connection: the connection string is empty"));
    }
    // The message names the connection without its password, however the
    // password is written.
    connection->SetConnectionString(QStringLiteral("Driver=NoSuchDriver;Database=x;pwd = {se;c}}ret} ;PassWord=two"));
    try {
        connection->Open();
        FAIL() << "opened with an unknown driver";
    } catch (const EOdbcError &e) {
        EXPECT_TRUE(e.Message().startsWith(
            QStringLiteral("Cannot open the connection (Driver=NoSuchDriver;Database=x;pwd=***;PassWord=***):")))
            << e.what();
        for (const char *secret : {"se;", "c}", "ret", "two"})
            EXPECT_FALSE(e.Message().contains(QLatin1String(secret))) << secret << ": " << e.what();
        EXPECT_FALSE(e.Records().isEmpty());
    }
    // A dataset opened through a closed connection reports the same failure.
    EXPECT_THROW(connection->OpenSchema(siTables), EOdbcError);
    EXPECT_FALSE(connection->Connected());
}

class OdbcConnectionTest : public OdbcDatabaseTest {};

TEST_P(OdbcConnectionTest, ExecuteCountsAffectedRowsAndReportsErrors)
{
    EXPECT_EQ(Connection->Execute(QStringLiteral("insert into parents (a, b, c, name) values (1, 1, 1, 'x')")), 1);
    EXPECT_EQ(Connection->Execute(QStringLiteral("insert into parents (a, b, c, name) values (1, 2, 2, 'y')")), 1);
    EXPECT_EQ(Connection->Execute(QStringLiteral("update parents set name = 'z' where a = 1")), 2);
    EXPECT_EQ(Connection->Execute(QStringLiteral("delete from parents where a = 99")), 0);
    try {
        Connection->Execute(QStringLiteral("insert into no_such_table values (1)"));
        FAIL() << "no error";
    } catch (const EOdbcError &e) {
        // The database's own message, with its state.
        EXPECT_TRUE(e.Message().contains(QStringLiteral("no_such_table"))) << e.what();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("(SQLSTATE "))) << e.what();
        EXPECT_FALSE(e.SqlState().isEmpty());
    }
    // The session survives a failed statement.
    EXPECT_EQ(Connection->Execute(QStringLiteral("delete from parents")), 2);
}

TEST_P(OdbcConnectionTest, DefaultDatabaseIsReadAndNeverSilentlyKept)
{
    const QString current = Connection->DefaultDatabase();
    if (IsPostgres())
        EXPECT_EQ(current, qEnvironmentVariable("NVQB_PG_DATABASE", QStringLiteral("nvqb_test")));
    else
        EXPECT_EQ(current, QString()); // SQLite has no catalogs
    Connection->SetDefaultDatabase(current); // the name it has: nothing to do
    try {
        Connection->SetDefaultDatabase(QStringLiteral("postgres"));
        FAIL() << "switched the database";
    } catch (const EOdbcError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot make 'postgres' the default database:"))) << e.what();
    }
    EXPECT_EQ(Connection->DefaultDatabase(), current);
    Connection->Close();
    EXPECT_EQ(Connection->DefaultDatabase(), QString());
}

TEST_P(OdbcConnectionTest, LoginPromptAsksTheHostForUserAndPassword)
{
    Connection->Close();
    LoginRecorder recorder;
    Connection->OnLogin = TLoginEvent::Bind<&LoginRecorder::Login>(&recorder);
    recorder.NewUser = IsPostgres() ? qEnvironmentVariable("NVQB_PG_USER", QStringLiteral("nvqb_test")) : QString();
    // The test server checks passwords; SQLite takes any.
    recorder.NewPassword = IsPostgres() ? qEnvironmentVariable("NVQB_PG_PASSWORD") : QStringLiteral("pw");

    Connection->Open(); // no prompt unless asked for
    EXPECT_EQ(recorder.Calls, 0);
    Connection->Close();

    Connection->SetLoginPrompt(true);
    recorder.Accept = false;
    try {
        Connection->Open();
        FAIL() << "connected after a cancelled login";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Login cancelled"));
    }
    EXPECT_FALSE(Connection->Connected());
    EXPECT_EQ(recorder.SeenUser, IsPostgres() ? recorder.NewUser : QString());

    recorder.Accept = true;
    Connection->Open();
    EXPECT_TRUE(Connection->Connected());
    // The answer is used for this login only; the connection string keeps its own values.
    EXPECT_EQ(Connection->ConnectionString(), ConnectionString());

    if (IsPostgres()) {
        // The user and the password the host names are the ones that log in.
        Connection->Close();
        const QString user = qEnvironmentVariable("NVQB_PG_USER", QStringLiteral("nvqb_test"));
        const QString password = qEnvironmentVariable("NVQB_PG_PASSWORD");
        const auto refused = [&](const QString &newUser, const QString &newPassword, const QString &message) {
            recorder.NewUser = newUser;
            recorder.NewPassword = newPassword;
            try {
                Connection->Open();
                ADD_FAILURE() << "logged in as " << newUser.toStdString() << " with " << newPassword.toStdString();
            } catch (const EOdbcError &e) {
                EXPECT_TRUE(e.Message().contains(message)) << e.what();
            }
        };
        refused(QStringLiteral("no_such_role_x"), password, QStringLiteral("no_such_role_x"));
        refused(user, QStringLiteral("pw"), QStringLiteral("password authentication failed"));
        recorder.NewUser = user;
        recorder.NewPassword = password;
        Connection->Open();
    }
}

// Names and values beyond ASCII come back as written whichever entry points
// the driver has: PostgreSQL's driver takes texts through its wide ones,
// SQLite's has narrow ones only and gets UTF-8.
TEST_P(OdbcConnectionTest, TextsTakeTheEntryPointsTheDriverHas)
{
    EXPECT_EQ(Connection->NarrowTexts(), !IsPostgres());
    Connection->Execute(QStringLiteral("create table \"Kundenübersicht\" (id integer primary key, \"Straße\" varchar(40))"));
    Connection->Execute(QStringLiteral("insert into \"Kundenübersicht\" values (1, 'Größe Ω東京 €')"));
    auto ds = Create<TADODataSet>(nullptr);
    ds->SetConnection(Connection.get());
    ds->SetCommandText(QStringLiteral("select \"Straße\" from \"Kundenübersicht\" where \"Straße\" = 'Größe Ω東京 €'"));
    ds->Open();
    ASSERT_EQ(ds->FieldCount(), 1);
    EXPECT_EQ(ds->Fields(0)->FieldName(), QStringLiteral("Straße"));
    ASSERT_FALSE(ds->Eof());
    EXPECT_EQ(ds->Fields(0)->AsWideString(), QStringLiteral("Größe Ω東京 €"));
    try {
        Connection->Execute(QStringLiteral("select * from \"fehlt_Ωü\""));
        FAIL() << "no error";
    } catch (const EOdbcError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("fehlt_Ωü"))) << e.what();
    }
    if (IsPostgres()) {
        // A connection string beyond ASCII reaches a driver with wide entry
        // points through them: the session has what it said.
        QString connectionString = ConnectionString();
        const QString settings = QStringLiteral("ConnSettings={set search_path to %1}").arg(Schema());
        ASSERT_TRUE(connectionString.contains(settings));
        connectionString.replace(settings, QStringLiteral("ConnSettings={set search_path to %1;"
                                                          "set nvqb.tag to 'Jürgen Ω'}")
                                               .arg(Schema()));
        auto other = Create<TADOConnection>(nullptr);
        other->SetConnectionString(connectionString);
        other->Open();
        EXPECT_FALSE(other->NarrowTexts());
        auto name = Create<TADODataSet>(nullptr);
        name->SetConnection(other.get());
        name->SetCommandText(QStringLiteral("select current_setting('nvqb.tag')"));
        name->Open();
        EXPECT_EQ(name->Fields(0)->AsWideString(), QStringLiteral("Jürgen Ω"));
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, OdbcConnectionTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         BackendName);

// A database file whose path holds letters beyond ASCII is opened where it
// lies, by a driver without wide entry points, and its catalogue and rows
// are read with their names as written.
TEST(OdbcConnectionSQLite, AFileBeyondAsciiIsOpenedAndReadWhereItLies)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("data-ü")));
    const QString file = dir.filePath(QStringLiteral("data-ü/shöp Ω.db"));
    const QString connectionString = QStringLiteral("Driver=SQLite3;Database=%1").arg(file);
    {
        auto connection = Create<TADOConnection>(nullptr);
        connection->SetConnectionString(connectionString);
        connection->Open();
        connection->Execute(QStringLiteral("create table \"Kunden€\" (id integer primary key, name varchar(20))"));
        connection->Execute(QStringLiteral("create table \"Bestellungen\" (nr integer primary key,"
                                           " \"Käufer\" integer references \"Kunden€\" (id))"));
        connection->Execute(QStringLiteral("insert into \"Kunden€\" values (7, 'Jürgen')"));
    }
    EXPECT_GT(QFileInfo(file).size(), 0);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("data-ü"))).entryList(QDir::Files),
              QStringList{QStringLiteral("shöp Ω.db")});

    // Opened again, the file holds what was written: not a new, empty one.
    auto connection = Create<TADOConnection>(nullptr);
    connection->SetConnectionString(connectionString);
    connection->Open();
    EXPECT_TRUE(connection->NarrowTexts());
    QStringList tables;
    auto rowset = connection->OpenSchema(siTables);
    for (rowset->First(); !rowset->Eof(); rowset->Next())
        tables.append(rowset->FieldByName(QStringLiteral("TABLE_NAME"))->AsWideString());
    tables.sort();
    EXPECT_EQ(tables, (QStringList{QStringLiteral("Bestellungen"), QStringLiteral("Kunden€")}));
    auto keys = connection->OpenSchema(siForeignKeys);
    ASSERT_FALSE(keys->Eof());
    EXPECT_EQ(keys->FieldByName(QStringLiteral("PK_TABLE_NAME"))->AsWideString(), QStringLiteral("Kunden€"));
    EXPECT_EQ(keys->FieldByName(QStringLiteral("PK_COLUMN_NAME"))->AsWideString(), QStringLiteral("id"));
    EXPECT_EQ(keys->FieldByName(QStringLiteral("FK_COLUMN_NAME"))->AsWideString(), QStringLiteral("Käufer"));
    auto ds = Create<TADODataSet>(nullptr);
    ds->SetConnection(connection.get());
    ds->SetCommandText(QStringLiteral("select name from \"Kunden€\" where id = 7"));
    ds->Open();
    ASSERT_FALSE(ds->Eof());
    EXPECT_EQ(ds->Fields(0)->AsWideString(), QStringLiteral("Jürgen"));
}

TEST(OdbcConnectionPostgres, StatementsStopAtTheCommandTimeout)
{
    const QString connectionString = PostgresConnectionString();
    if (connectionString.isEmpty())
        GTEST_SKIP() << "NVQB_PG_PORT is not set; start a server with scripts/pgserver.sh";
    auto connection = Create<TADOConnection>(nullptr);
    connection->SetConnectionString(connectionString);
    connection->SetCommandTimeout(1);
    // The statement would run for longer than the test may: one that does
    // not stop at the command timeout fails by the test's timeout.
    try {
        connection->Execute(QStringLiteral("select pg_sleep(600)"));
        FAIL() << "the statement ran past its timeout";
    } catch (const EOdbcError &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("statement timeout"))) << e.what();
    }
    // The session is still usable afterwards.
    EXPECT_NO_THROW(connection->Execute(QStringLiteral("select 1")));
}

namespace {

// The server process of the connection's session.
int BackendPid(TADOConnection *connection)
{
    auto ds = Create<TADODataSet>(nullptr);
    ds->SetConnection(connection);
    ds->SetCommandText(QStringLiteral("select pg_backend_pid() as pid"));
    ds->Open();
    return ds->FieldByName(QStringLiteral("pid"))->AsInteger();
}

} // namespace

// The session ended by the server (as an administrator ends it, or a restart
// does): the failing call says so, the connection then reads as closed, and
// opening it again starts a new session.
TEST(OdbcConnectionPostgres, ASessionTheServerEndsReadsAsClosedAndOpensAgain)
{
    const QString connectionString = PostgresConnectionString();
    if (connectionString.isEmpty())
        GTEST_SKIP() << "NVQB_PG_PORT is not set; start a server with scripts/pgserver.sh";
    auto connection = Create<TADOConnection>(nullptr);
    connection->SetConnectionString(connectionString);
    auto other = Create<TADOConnection>(nullptr);
    other->SetConnectionString(connectionString);
    connection->Open();
    const int pid = BackendPid(connection.get());
    other->Execute(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));

    EXPECT_TRUE(connection->Connected()); // nothing has told it yet
    EXPECT_THROW(connection->Execute(QStringLiteral("select 1")), EOdbcError);
    EXPECT_FALSE(connection->Connected());
    connection->Open();
    EXPECT_TRUE(connection->Connected());
    EXPECT_NE(BackendPid(connection.get()), pid);
}

// SQLite's driver lists no tables, and reports nothing, for a file that is
// no database; reading the catalogue names the database's complaint. An
// empty database lists no tables and is no error.
TEST(OdbcConnectionSQLite, ACatalogueThatCannotBeReadIsAnErrorAnEmptyOneIsNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bad = dir.filePath(QStringLiteral("n.db"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("hi\n");
    file.close();
    auto connection = Create<TADOConnection>(nullptr);
    connection->SetConnectionString(QStringLiteral("Driver=SQLite3;Database=%1").arg(bad));
    connection->Open();
    for (TSchemaInfo schema : {siTables, siForeignKeys}) {
        try {
            connection->OpenSchema(schema);
            ADD_FAILURE() << "read the catalogue of a file that is no database";
        } catch (const EOdbcError &e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot read the tables:"))) << e.what();
            EXPECT_TRUE(e.Message().contains(QStringLiteral("file is not a database"))) << e.what();
        }
    }

    auto empty = Create<TADOConnection>(nullptr);
    empty->SetConnectionString(QStringLiteral("Driver=SQLite3;Database=%1").arg(dir.filePath(QStringLiteral("e.db"))));
    empty->Open();
    EXPECT_TRUE(empty->OpenSchema(siTables)->Eof());
    EXPECT_TRUE(empty->OpenSchema(siForeignKeys)->Eof());
}
