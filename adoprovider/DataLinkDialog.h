#pragma once
// The data-link dialog: builds an ODBC connection string from the installed
// drivers and data sources and the usual keys (server, port, database or
// database file, user, password), with the string itself editable and a
// connection test.
#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace nvqb {

// The names the driver manager knows: installed drivers (SQLDrivers) and data
// sources (SQLDataSources). Empty when there is no driver manager setup.
QStringList OdbcDriverNames();
QStringList OdbcDataSourceNames();

class TnvDataLinkDialog : public QDialog {
    Q_OBJECT
public:
    explicit TnvDataLinkDialog(QWidget *parent = nullptr);

    QString ConnectionString() const;
    void SetConnectionString(const QString &text);

    QComboBox *cbDriver;
    QComboBox *cbDataSource;
    QLineEdit *eServer;
    QLineEdit *ePort;
    QLineEdit *eDatabase;
    QPushButton *bBrowseDatabase;
    QLineEdit *eUser;
    QLineEdit *ePassword;
    QPlainTextEdit *eConnectionString;
    QLabel *lStatus;
    QPushButton *bTestConnection;
    QPushButton *bOk;
    QPushButton *bCancel;

    // Opens a connection with the string and closes it again; the outcome,
    // or the database's message, is shown in lStatus. True when it opened.
    bool TestConnection();

private:
    void FieldEdited(const QString &key, const QString &value);
    void StringEdited();
    void ShowFields();
    void BrowseDatabase();

    bool FUpdating = false;
};

// Shows the dialog with the string; the edited string on OK, the string
// unchanged on Cancel.
QString PromptDataSource(QWidget *parent, const QString &connectionString);

} // namespace nvqb
