#include "adoprovider/DataLinkDialog.h"
#include "adoprovider/ConnectionString.h"
#include "adoprovider/DialogButtons.h"
#include "adoprovider/OdbcApi.h"
#include "adoprovider/OdbcConnection.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvqb {

namespace {
using namespace odbc;
// The driver manager's lists, read through an environment of their own.
template <class F> QStringList ReadOdbcNames(F next)
{
    QStringList names;
    SQLHENV env = SQL_NULL_HENV;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return names;
    OwnedHandle owner(SQL_HANDLE_ENV, env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLWCHAR name[512];
    SQLSMALLINT length = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (Succeeded(next(env, direction, name, SQLSMALLINT(std::size(name)), &length))) {
        names.append(FromWTextBuffer(name, length, qsizetype(std::size(name))));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

// Keys the usual drivers take under more than one name: the one already in
// the string is kept.
const QStringList ServerKeys{QStringLiteral("Server"), QStringLiteral("Servername")};
const QStringList UserKeys{QStringLiteral("UID"), QStringLiteral("User"), QStringLiteral("Username")};
const QStringList PasswordKeys{QStringLiteral("PWD"), QStringLiteral("Password")};

QString KeyIn(const QList<TConnectionAttribute> &attributes, const QStringList &keys)
{
    for (const TConnectionAttribute &a : attributes)
        for (const QString &key : keys)
            if (a.first.compare(key, Qt::CaseInsensitive) == 0)
                return key;
    return keys.first();
}

QString ValueIn(const QList<TConnectionAttribute> &attributes, const QString &key)
{
    QString value;
    for (const TConnectionAttribute &a : attributes)
        if (a.first.compare(key, Qt::CaseInsensitive) == 0)
            value = a.second;
    return value;
}

QLineEdit *NewEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}
} // namespace

QStringList OdbcDriverNames()
{
    return ReadOdbcNames([](SQLHENV env, SQLUSMALLINT direction, SQLWCHAR *name, SQLSMALLINT size, SQLSMALLINT *length) {
        SQLWCHAR attributes[1024];
        SQLSMALLINT attributesLength = 0;
        return SQLDriversW(env, direction, name, size, length, attributes, SQLSMALLINT(std::size(attributes)),
                           &attributesLength);
    });
}

QStringList OdbcDataSourceNames()
{
    return ReadOdbcNames([](SQLHENV env, SQLUSMALLINT direction, SQLWCHAR *name, SQLSMALLINT size, SQLSMALLINT *length) {
        SQLWCHAR description[512];
        SQLSMALLINT descriptionLength = 0;
        return SQLDataSourcesW(env, direction, name, size, length, description, SQLSMALLINT(std::size(description)),
                               &descriptionLength);
    });
}

TnvDataLinkDialog::TnvDataLinkDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fNvQBDataLink"));
    setWindowTitle(QStringLiteral("Data Link Properties"));
    setModal(true);

    cbDriver = new QComboBox(this);
    cbDriver->setObjectName(QStringLiteral("cbDriver"));
    cbDriver->addItem(QString());
    cbDriver->addItems(OdbcDriverNames());
    cbDataSource = new QComboBox(this);
    cbDataSource->setObjectName(QStringLiteral("cbDataSource"));
    cbDataSource->addItem(QString());
    cbDataSource->addItems(OdbcDataSourceNames());
    eServer = NewEdit(this, "eServer");
    ePort = NewEdit(this, "ePort");
    eDatabase = NewEdit(this, "eDatabase");
    bBrowseDatabase = new QPushButton(QStringLiteral("Browse..."), this);
    bBrowseDatabase->setObjectName(QStringLiteral("bBrowseDatabase"));
    bBrowseDatabase->setAutoDefault(false);
    eUser = NewEdit(this, "eUser");
    ePassword = NewEdit(this, "ePassword");
    ePassword->setEchoMode(QLineEdit::Password);
    eConnectionString = new QPlainTextEdit(this);
    eConnectionString->setObjectName(QStringLiteral("eConnectionString"));
    eConnectionString->setTabChangesFocus(true);
    lStatus = new QLabel(this);
    lStatus->setObjectName(QStringLiteral("lStatus"));
    lStatus->setWordWrap(true);
    lStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bTestConnection = new QPushButton(QStringLiteral("Test Connection"), this);
    bTestConnection->setObjectName(QStringLiteral("bTestConnection"));
    bTestConnection->setAutoDefault(false);
    const TnvOkCancelButtons okCancel = NewOkCancelButtons(this);
    bOk = okCancel.Ok;
    bCancel = okCancel.Cancel;

    auto *database = new QHBoxLayout;
    database->addWidget(eDatabase, 1);
    database->addWidget(bBrowseDatabase);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Driver:"), cbDriver);
    form->addRow(QStringLiteral("Data source:"), cbDataSource);
    form->addRow(QStringLiteral("Server:"), eServer);
    form->addRow(QStringLiteral("Port:"), ePort);
    form->addRow(QStringLiteral("Database or file:"), database);
    form->addRow(QStringLiteral("User name:"), eUser);
    form->addRow(QStringLiteral("Password:"), ePassword);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(bTestConnection);
    buttons->addStretch(1);
    buttons->addWidget(bOk);
    buttons->addWidget(bCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(new QLabel(QStringLiteral("Connection string:"), this));
    main->addWidget(eConnectionString, 1);
    main->addWidget(lStatus);
    main->addLayout(buttons);
    resize(420, 420);

    // Driver and data source exclude each other: a string names one of them.
    connect(cbDriver, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        if (FUpdating)
            return;
        FieldEdited(QStringLiteral("DSN"), QString());
        FieldEdited(QStringLiteral("Driver"), text);
    });
    connect(cbDataSource, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        if (FUpdating)
            return;
        FieldEdited(QStringLiteral("Driver"), QString());
        FieldEdited(QStringLiteral("DSN"), text);
    });
    connect(eServer, &QLineEdit::textEdited, this, [this](const QString &text) { FieldEdited(QStringLiteral("Server"), text); });
    connect(ePort, &QLineEdit::textEdited, this, [this](const QString &text) { FieldEdited(QStringLiteral("Port"), text); });
    connect(eDatabase, &QLineEdit::textEdited, this,
            [this](const QString &text) { FieldEdited(QStringLiteral("Database"), text); });
    connect(eUser, &QLineEdit::textEdited, this, [this](const QString &text) { FieldEdited(QStringLiteral("UID"), text); });
    connect(ePassword, &QLineEdit::textEdited, this,
            [this](const QString &text) { FieldEdited(QStringLiteral("PWD"), text); });
    connect(eConnectionString, &QPlainTextEdit::textChanged, this, [this] { StringEdited(); });
    connect(bBrowseDatabase, &QPushButton::clicked, this, [this] { BrowseDatabase(); });
    connect(bTestConnection, &QPushButton::clicked, this, [this] { TestConnection(); });
}

QString TnvDataLinkDialog::ConnectionString() const { return eConnectionString->toPlainText(); }

void TnvDataLinkDialog::SetConnectionString(const QString &text) { eConnectionString->setPlainText(text); }

void TnvDataLinkDialog::FieldEdited(const QString &key, const QString &value)
{
    if (FUpdating)
        return;
    QList<TConnectionAttribute> attributes;
    try {
        attributes = ParseConnectionString(ConnectionString());
    } catch (const std::exception &e) {
        // The typed string is kept as it is rather than rebuilt over it.
        lStatus->setText(QString::fromUtf8(e.what()));
        return;
    }
    QString name = key;
    if (key == QLatin1String("Server"))
        name = KeyIn(attributes, ServerKeys);
    else if (key == QLatin1String("UID"))
        name = KeyIn(attributes, UserKeys);
    else if (key == QLatin1String("PWD"))
        name = KeyIn(attributes, PasswordKeys);
    QList<TConnectionAttribute> result;
    bool placed = false;
    for (const TConnectionAttribute &a : attributes) {
        if (a.first.compare(name, Qt::CaseInsensitive) != 0) {
            result.append(a);
        } else if (!placed && !value.isEmpty()) {
            result.append({a.first, value});
            placed = true;
        }
    }
    if (!placed && !value.isEmpty()) {
        // The driver or data source leads the string, where people look for it.
        if (key == QLatin1String("Driver") || key == QLatin1String("DSN"))
            result.prepend({name, value});
        else
            result.append({name, value});
    }
    FUpdating = true;
    eConnectionString->setPlainText(BuildConnectionString(result));
    FUpdating = false;
    lStatus->clear();
}

void TnvDataLinkDialog::StringEdited()
{
    if (FUpdating)
        return;
    ShowFields();
}

void TnvDataLinkDialog::ShowFields()
{
    QList<TConnectionAttribute> attributes;
    try {
        attributes = ParseConnectionString(ConnectionString());
    } catch (const std::exception &e) {
        lStatus->setText(QString::fromUtf8(e.what()));
        return;
    }
    lStatus->clear();
    FUpdating = true;
    auto choose = [](QComboBox *box, const QString &value) {
        QString text = value;
        if (text.startsWith(QLatin1Char('{')) && text.endsWith(QLatin1Char('}')))
            text = text.mid(1, text.size() - 2);
        int index = box->findText(text, Qt::MatchFixedString);
        if (index < 0 && !text.isEmpty()) {
            box->addItem(text);
            index = box->count() - 1;
        }
        box->setCurrentIndex(qMax(index, 0));
    };
    choose(cbDriver, ValueIn(attributes, QStringLiteral("Driver")));
    choose(cbDataSource, ValueIn(attributes, QStringLiteral("DSN")));
    eServer->setText(ValueIn(attributes, KeyIn(attributes, ServerKeys)));
    ePort->setText(ValueIn(attributes, QStringLiteral("Port")));
    eDatabase->setText(ValueIn(attributes, QStringLiteral("Database")));
    eUser->setText(ValueIn(attributes, KeyIn(attributes, UserKeys)));
    ePassword->setText(ValueIn(attributes, KeyIn(attributes, PasswordKeys)));
    FUpdating = false;
}

void TnvDataLinkDialog::BrowseDatabase()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Database File"), eDatabase->text());
    if (file.isEmpty())
        return;
    eDatabase->setText(file);
    FieldEdited(QStringLiteral("Database"), file);
}

bool TnvDataLinkDialog::TestConnection()
{
    try {
        TADOConnection connection;
        connection.SetConnectionString(ConnectionString());
        // A server that does not answer must not hold the dialog for long.
        connection.SetConnectionTimeout(15);
        connection.Open();
        connection.Close();
        lStatus->setText(QStringLiteral("Test connection succeeded."));
        return true;
    } catch (const std::exception &e) {
        lStatus->setText(QString::fromUtf8(e.what()));
    } catch (...) {
        lStatus->setText(QStringLiteral("Test connection failed."));
    }
    return false;
}

QString PromptDataSource(QWidget *parent, const QString &connectionString)
{
    TnvDataLinkDialog dialog(parent);
    dialog.SetConnectionString(connectionString);
    if (dialog.exec() != QDialog::Accepted)
        return connectionString;
    return dialog.ConnectionString();
}

} // namespace nvqb
