// The connection frame and the data-link dialog, driven through their widgets.
#include "adoprovider/ADOConnectionEditFrame.h"
#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/DataLinkDialog.h"
#include "adoprovider/OdbcConnection.h"
#include "common/Eventually.h"
#include "controls/DialogTestSupport.h"
#include "support/LanguageManager.h"
#include "support/LocalizerForm.h"
#include "tests/adoprovider/OdbcTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <memory>
#include <type_traits>

using namespace nvqb;
using namespace nvqb::test;

namespace {

// The frame as the wizard gets it: from a provider with its own connection.
struct FrameFixture {
    TnvADOMetadataProvider Provider;
    std::unique_ptr<QWidget> Host = std::make_unique<QWidget>();
    TfrNvQBADOConnectionEdit *Frame = nullptr;

    explicit FrameFixture(const QString &connectionString = QString(), bool loginPrompt = false)
    {
        Provider.CreateAndBindInternalConnectionObj();
        Provider.Connection()->SetConnectionString(connectionString);
        Provider.Connection()->SetLoginPrompt(loginPrompt);
        Frame = qobject_cast<TfrNvQBADOConnectionEdit *>(Provider.CreateConnectionEditFrame(Host.get()));
    }
    TADOConnection *Connection() const { return Provider.Connection(); }
};

// QDialog::exec runs a nested loop: the dialog is answered from a timer that
// fires inside it.
template <class Dialog = TnvDataLinkDialog>
void AnswerModalDialog(std::type_identity_t<std::function<void(Dialog *)>> answer)
{
    // Answered once the window system has made it the focus window.
    WhenModalArrives([answer](QWidget *window) {
        auto *dialog = qobject_cast<Dialog *>(window);
        if (!dialog) {
            ADD_FAILURE() << "no " << Dialog::staticMetaObject.className() << " is shown";
            window->close();
            return;
        }
        answer(dialog);
    });
}

QString SqliteFileString(const QString &file) { return QStringLiteral("Driver=SQLite3;Database=%1").arg(file); }

// A modal box that nobody answers would hold the test for ever: while it
// lives, every modal widget that opens is closed and counted.
struct ModalCloser {
    int Closed = 0;
    QTimer Timer;
    ModalCloser()
    {
        QObject::connect(&Timer, &QTimer::timeout, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                ++Closed;
                modal->close();
            }
        });
        Timer.start(20);
    }
};

void ChooseLanguage(const QByteArray &name)
{
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i)
        if (manager->GetLanguage(i)->Name() == name)
            manager->SetCurrentLanguageIndex(i);
    ASSERT_NE(manager->CurrentLanguage(), nullptr);
}

} // namespace

TEST(ADOConnectionEditFrame, ShowsTheDesignAndKeepsItsAnchorsWhenResized)
{
    FrameFixture f(QStringLiteral("Driver=SQLite3;Database=/tmp/x.db"), true);
    ASSERT_NE(f.Frame, nullptr);
    EXPECT_EQ(f.Frame->parentWidget(), f.Host.get());
    EXPECT_EQ(f.Frame->size(), QSize(186, 155));
    EXPECT_EQ(f.Frame->lConnectionString->text(), QStringLiteral("Connection String:"));
    EXPECT_EQ(f.Frame->bEditConnectionString->text(), QStringLiteral("Edit..."));
    EXPECT_EQ(f.Frame->cbLoginPrompt->text(), QStringLiteral("Login prompt"));
    EXPECT_EQ(f.Frame->eConnectionString->toPlainText(), QStringLiteral("Driver=SQLite3;Database=/tmp/x.db"));
    EXPECT_TRUE(f.Frame->cbLoginPrompt->isChecked());
    // Showing the string wrote nothing back.
    EXPECT_EQ(f.Connection()->ConnectionString(), QStringLiteral("Driver=SQLite3;Database=/tmp/x.db"));

    EXPECT_EQ(f.Frame->bEditConnectionString->geometry(), QRect(108, 6, 75, 23));
    EXPECT_EQ(f.Frame->eConnectionString->geometry(), QRect(2, 32, 182, 97));
    EXPECT_EQ(f.Frame->cbLoginPrompt->geometry(), QRect(2, 134, 182, 17));
    // A hidden widget hears of its new size only when shown.
    f.Host->show();
    f.Frame->resize(300, 255);
    EXPECT_EQ(f.Frame->bEditConnectionString->geometry(), QRect(222, 6, 75, 23));
    // The label shows its whole caption when there is room beside the
    // button, and sits level with the button's middle.
    const QRect label = f.Frame->lConnectionString->geometry();
    EXPECT_EQ(label.left(), 2);
    EXPECT_GE(label.width(), std::max(87, f.Frame->lConnectionString->sizeHint().width()));
    EXPECT_LT(label.right(), f.Frame->bEditConnectionString->geometry().left());
    EXPECT_LE(std::abs(label.center().y() - f.Frame->bEditConnectionString->geometry().center().y()), 1);
    EXPECT_EQ(f.Frame->eConnectionString->geometry(), QRect(2, 32, 296, 197));
    EXPECT_EQ(f.Frame->cbLoginPrompt->geometry(), QRect(2, 234, 296, 17));
}

TEST(ADOConnectionEditFrame, EditsReachTheConnectionAtOnce)
{
    FrameFixture f;
    f.Host->show();
    f.Frame->eConnectionString->setFocus();
    QTest::keyClicks(f.Frame->eConnectionString, QStringLiteral("DSN"));
    EXPECT_EQ(f.Connection()->ConnectionString(), QStringLiteral("DSN"));
    QTest::keyClick(f.Frame->eConnectionString, Qt::Key_A);
    EXPECT_EQ(f.Connection()->ConnectionString(), QStringLiteral("DSNa"));
    // A connection string is one line: Enter goes on to the dialog around.
    QTest::keyClick(f.Frame->eConnectionString, Qt::Key_Return);
    QTest::keyClick(f.Frame->eConnectionString, Qt::Key_Enter);
    EXPECT_EQ(f.Frame->eConnectionString->toPlainText(), QStringLiteral("DSNa"));

    EXPECT_FALSE(f.Connection()->LoginPrompt());
    QTest::mouseClick(f.Frame->cbLoginPrompt, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_TRUE(f.Connection()->LoginPrompt());
    QTest::mouseClick(f.Frame->cbLoginPrompt, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_FALSE(f.Connection()->LoginPrompt());
}

TEST(ADOConnectionEditFrame, FollowsTheConnectionItIsGiven)
{
    FrameFixture f(QStringLiteral("DSN=one"));
    TADOConnection other;
    other.SetConnectionString(QStringLiteral("DSN=two"));
    other.SetLoginPrompt(true);
    f.Frame->SetConnection(&other);
    EXPECT_EQ(f.Frame->eConnectionString->toPlainText(), QStringLiteral("DSN=two"));
    EXPECT_TRUE(f.Frame->cbLoginPrompt->isChecked());
    EXPECT_EQ(f.Connection()->ConnectionString(), QStringLiteral("DSN=one"));
    f.Frame->SetConnection(nullptr);
    // Without a connection edits go nowhere and do not fail.
    QTest::keyClicks(f.Frame->eConnectionString, QStringLiteral("x"));
    QTest::mouseClick(f.Frame->bEditConnectionString, Qt::LeftButton);
}

TEST(ADOConnectionEditFrame, CancellingTheDataLinkDialogLeavesTheStringClosed)
{
    QTemporaryDir dir;
    const QString text = SqliteFileString(dir.filePath(QStringLiteral("c.db")));
    FrameFixture f(text);
    f.Connection()->Open();
    ASSERT_TRUE(f.Connection()->Connected());
    QString shown;
    AnswerModalDialog([&shown](TnvDataLinkDialog *dialog) {
        shown = dialog->ConnectionString();
        QTest::keyClicks(dialog->eUser, QStringLiteral("someone"));
        QTest::mouseClick(dialog->bCancel, Qt::LeftButton);
    });
    QTest::mouseClick(f.Frame->bEditConnectionString, Qt::LeftButton);
    EXPECT_EQ(shown, text);
    EXPECT_FALSE(f.Connection()->Connected());
    EXPECT_EQ(f.Connection()->ConnectionString(), text);
    EXPECT_EQ(f.Frame->eConnectionString->toPlainText(), text);
}

TEST(ADOConnectionEditFrame, TheDataLinkDialogBuildsAWorkingSqliteString)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("built.db"));
    FrameFixture f;
    AnswerModalDialog([&file](TnvDataLinkDialog *dialog) {
        const int sqlite = dialog->cbDriver->findText(QStringLiteral("SQLite3"));
        if (sqlite < 0) {
            ADD_FAILURE() << "the SQLite3 driver is not among the installed drivers";
        } else {
            dialog->cbDriver->setCurrentIndex(sqlite);
            QTest::keyClicks(dialog->eDatabase, file);
            QTest::mouseClick(dialog->bTestConnection, Qt::LeftButton);
            EXPECT_EQ(dialog->lStatus->text(), QStringLiteral("Test connection succeeded."));
        }
        QTest::mouseClick(dialog->bOk, Qt::LeftButton);
    });
    QTest::mouseClick(f.Frame->bEditConnectionString, Qt::LeftButton);
    EXPECT_EQ(f.Connection()->ConnectionString(), SqliteFileString(file));
    EXPECT_EQ(f.Frame->eConnectionString->toPlainText(), SqliteFileString(file));
    f.Connection()->Open();
    EXPECT_EQ(f.Connection()->Execute(QStringLiteral("create table t(id integer)")), 0);
}

TEST(DataLinkDialog, ListsTheInstalledDriversAndReadsTheKeysOfAString)
{
    EXPECT_TRUE(OdbcDriverNames().contains(QStringLiteral("SQLite3")));
    EXPECT_TRUE(OdbcDriverNames().contains(QStringLiteral("PostgreSQL Unicode")));

    TnvDataLinkDialog dialog;
    EXPECT_GE(dialog.cbDriver->findText(QStringLiteral("SQLite3")), 0);
    EXPECT_GE(dialog.cbDriver->findText(QStringLiteral("PostgreSQL Unicode")), 0);
    dialog.SetConnectionString(
        QStringLiteral("Driver={PostgreSQL Unicode};Servername=db.local;Port=5433;Database=shop;UID=ann;PWD=secret"));
    EXPECT_EQ(dialog.cbDriver->currentText(), QStringLiteral("PostgreSQL Unicode"));
    EXPECT_EQ(dialog.eServer->text(), QStringLiteral("db.local"));
    EXPECT_EQ(dialog.ePort->text(), QStringLiteral("5433"));
    EXPECT_EQ(dialog.eDatabase->text(), QStringLiteral("shop"));
    EXPECT_EQ(dialog.eUser->text(), QStringLiteral("ann"));
    EXPECT_EQ(dialog.ePassword->text(), QStringLiteral("secret"));

    // An edited field replaces its key where it stands, under the key's own
    // spelling; an emptied one leaves the string.
    dialog.eServer->selectAll();
    QTest::keyClicks(dialog.eServer, QStringLiteral("other"));
    dialog.ePort->selectAll();
    QTest::keyClick(dialog.ePort, Qt::Key_Delete);
    EXPECT_EQ(dialog.ConnectionString(),
              QStringLiteral("Driver=PostgreSQL Unicode;Servername=other;Database=shop;UID=ann;PWD=secret"));

    // Choosing a data source drops the driver: the string names one of them.
    dialog.cbDataSource->addItem(QStringLiteral("mydsn"));
    dialog.cbDataSource->setCurrentText(QStringLiteral("mydsn"));
    EXPECT_EQ(dialog.ConnectionString(),
              QStringLiteral("DSN=mydsn;Servername=other;Database=shop;UID=ann;PWD=secret"));
}

TEST(DataLinkDialog, TestConnectionShowsTheDatabasesMessage)
{
    const QString pg = test::PostgresConnectionString();
    if (pg.isEmpty())
        GTEST_SKIP() << "NVQB_PG_PORT is not set";
    TnvDataLinkDialog dialog;
    dialog.SetConnectionString(pg);
    EXPECT_TRUE(dialog.TestConnection()) << dialog.lStatus->text().toStdString();

    // The test server asks for the role's password: a role it lacks is refused.
    dialog.eUser->selectAll();
    QTest::keyClicks(dialog.eUser, QStringLiteral("no_such_role"));
    const QString wrong = dialog.ConnectionString();
    QTest::mouseClick(dialog.bTestConnection, Qt::LeftButton);
    EXPECT_TRUE(dialog.lStatus->text().contains(QStringLiteral("Cannot open the connection")))
        << dialog.lStatus->text().toStdString();
    EXPECT_TRUE(dialog.lStatus->text().contains(QStringLiteral("no_such_role"))) << dialog.lStatus->text().toStdString();
    EXPECT_EQ(dialog.ConnectionString(), wrong);

    // So is a wrong password, with the server's own words: the server's
    // answer, not the end of the login timeout, which would be named so.
    dialog.SetConnectionString(pg);
    dialog.ePassword->selectAll();
    QTest::keyClicks(dialog.ePassword, QStringLiteral("not_the_password"));
    QTest::mouseClick(dialog.bTestConnection, Qt::LeftButton);
    EXPECT_TRUE(dialog.lStatus->text().contains(QStringLiteral("password authentication failed")))
        << dialog.lStatus->text().toStdString();
    EXPECT_FALSE(dialog.lStatus->text().contains(QStringLiteral("not_the_password")))
        << dialog.lStatus->text().toStdString();
}

TEST(DataLinkDialog, OffersTheDataSourcesAndConnectsThroughOne)
{
    // A user data source of the test's own, through the driver manager's
    // variable for the user's data source file.
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[nvqb_link_test]\nDriver=SQLite3\nDatabase=%1\n")
                       .arg(dir.filePath(QStringLiteral("dsn.db")))
                       .toUtf8());
    }
    const QByteArray previous = qgetenv("ODBCINI");
    const bool hadPrevious = qEnvironmentVariableIsSet("ODBCINI");
    qputenv("ODBCINI", QFile::encodeName(ini));
    const auto restore = qScopeGuard([&] {
        if (hadPrevious)
            qputenv("ODBCINI", previous);
        else
            qunsetenv("ODBCINI");
    });
    EXPECT_TRUE(OdbcDataSourceNames().contains(QStringLiteral("nvqb_link_test")));

    TnvDataLinkDialog dialog;
    const int index = dialog.cbDataSource->findText(QStringLiteral("nvqb_link_test"));
    ASSERT_GE(index, 0);
    dialog.cbDataSource->setCurrentIndex(index);
    EXPECT_EQ(dialog.ConnectionString(), QStringLiteral("DSN=nvqb_link_test"));
    {
#if defined(__SANITIZE_ADDRESS__)
        // The SQLite driver keeps what it reads of a data source's
        // definition, and is unloaded before the leak check, which then
        // cannot name it for a suppression: its allocations here are not
        // ours to report.
        __lsan::ScopedDisabler driverAllocations;
#endif
        QTest::mouseClick(dialog.bTestConnection, Qt::LeftButton);
    }
    EXPECT_EQ(dialog.lStatus->text(), QStringLiteral("Test connection succeeded."));
}

TEST(ADOConnectionEditFrame, LetsGoOfAConnectionThatIsFreedFirst)
{
    QWidget host;
    // The provider owns the connection it made, so freeing it frees both.
    TOwned<TnvADOMetadataProvider> provider = Create<TnvADOMetadataProvider>(nullptr);
    provider->CreateAndBindInternalConnectionObj();
    provider->Connection()->SetConnectionString(QStringLiteral("DSN=one"));
    auto *frame = qobject_cast<TfrNvQBADOConnectionEdit *>(provider->CreateConnectionEditFrame(&host));
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(frame->Connection(), nullptr);
    provider.reset();
    ASSERT_EQ(frame->Connection(), nullptr);
    host.show();
    // Edits then go nowhere; no data-link dialog opens for a missing connection.
    ModalCloser closer;
    QTest::keyClicks(frame->eConnectionString, QStringLiteral("x"));
    QTest::mouseClick(frame->cbLoginPrompt, Qt::LeftButton, {}, QPoint(5, 8));
    QTest::mouseClick(frame->bEditConnectionString, Qt::LeftButton);
    EXPECT_EQ(closer.Closed, 0);

    // A connection of its own, freed or plainly deleted; only the one the
    // frame holds now counts.
    TOwned<TADOConnection> first = Create<TADOConnection>(nullptr);
    TOwned<TADOConnection> second = Create<TADOConnection>(nullptr);
    frame->SetConnection(first.get());
    frame->SetConnection(second.get());
    first.reset();
    EXPECT_EQ(frame->Connection(), second.get());
    second.reset();
    EXPECT_EQ(frame->Connection(), nullptr);
    auto *deleted = new TADOConnection(nullptr);
    frame->SetConnection(deleted);
    delete deleted;
    EXPECT_EQ(frame->Connection(), nullptr);

    // The frame going first leaves the connection nobody to tell.
    TOwned<TADOConnection> outliving = Create<TADOConnection>(nullptr);
    frame->SetConnection(outliving.get());
    delete frame;
    outliving.reset();
}

TEST(ADOConnectionEditFrame, EnterInTheMemoPressesTheDefaultButtonOfTheDialogAround)
{
    TnvADOMetadataProvider provider;
    provider.CreateAndBindInternalConnectionObj();
    provider.Connection()->SetConnectionString(QStringLiteral("DSN=one"));
    QDialog dialog;
    auto *frame = qobject_cast<TfrNvQBADOConnectionEdit *>(provider.CreateConnectionEditFrame(&dialog));
    ASSERT_NE(frame, nullptr);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    ok->move(0, 160);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    frame->eConnectionString->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        frame->eConnectionString->setFocus();
        QTest::keyClick(frame->eConnectionString, key);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << key;
        EXPECT_EQ(frame->eConnectionString->toPlainText(), QStringLiteral("DSN=one"));
    }
}

TEST(ADOConnectionEditFrame, TypingIntoTheStringOfAnOpenConnectionClosesItFirst)
{
    QTemporaryDir dir;
    const QString text = SqliteFileString(dir.filePath(QStringLiteral("open.db")));
    FrameFixture f(text);
    f.Connection()->Open();
    f.Host->show();
    ModalCloser closer;
    f.Frame->eConnectionString->setFocus();
    f.Frame->eConnectionString->moveCursor(QTextCursor::End);
    QTest::keyClicks(f.Frame->eConnectionString, QStringLiteral(";Timeout=1000"));
    EXPECT_EQ(closer.Closed, 0) << "an error box was shown";
    EXPECT_FALSE(f.Connection()->Connected());
    EXPECT_EQ(f.Connection()->ConnectionString(), text + QStringLiteral(";Timeout=1000"));
    f.Connection()->Open();
    EXPECT_TRUE(f.Connection()->Connected());
}

TEST(ADOConnectionEditFrame, SpeaksTheChosenLanguage)
{
    const auto noLanguage = qScopeGuard([] { nvQBLanguageManager()->SetCurrentLanguageIndex(-1); });
    FrameFixture f;
    EXPECT_EQ(f.Frame->Localizer->GetSectionName(), QByteArray("TfrNvQBADOConnectionEdit"));
    ChooseLanguage("Russian");
    EXPECT_EQ(f.Frame->lConnectionString->text(), QStringLiteral("Строка подключения:"));
    EXPECT_EQ(f.Frame->bEditConnectionString->text(), QStringLiteral("Изменить..."));
    EXPECT_EQ(f.Frame->cbLoginPrompt->text(), QStringLiteral("Запрашивать имя и пароль"));
    // A frame made while the language is chosen speaks it from the start.
    FrameFixture second;
    EXPECT_EQ(second.Frame->bEditConnectionString->text(), QStringLiteral("Изменить..."));
    nvQBLanguageManager()->SetCurrentLanguageIndex(-1);
    EXPECT_EQ(f.Frame->lConnectionString->text(), QStringLiteral("Connection String:"));
    EXPECT_EQ(f.Frame->bEditConnectionString->text(), QStringLiteral("Edit..."));
    EXPECT_EQ(f.Frame->cbLoginPrompt->text(), QStringLiteral("Login prompt"));

    // Every built-in language has every caption the frame lists.
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    const QByteArray section = f.Frame->Localizer->GetSectionName();
    int checked = 0;
    for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i) {
        TnvQBLanguageSourceBase *language = manager->GetLanguage(i);
        for (qsizetype k = 0; k < f.Frame->Localizer->Properties()->Count(); ++k) {
            const QByteArray path = f.Frame->Localizer->Properties()->Strings(k);
            EXPECT_TRUE(language->IsStringExists(section, path))
                << language->Name().constData() << " lacks " << path.constData();
            ++checked;
        }
    }
    EXPECT_EQ(checked, 9 * 3);
}

TEST(DataLinkDialog, BuildsTheStringFromABrowsedDatabaseFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("chosen.db"));
    {
        // An empty file is an empty SQLite database; the open dialog wants an existing file.
        QFile touch(file);
        ASSERT_TRUE(touch.open(QIODevice::WriteOnly));
    }
    TnvDataLinkDialog dialog;
    const int sqlite = dialog.cbDriver->findText(QStringLiteral("SQLite3"));
    ASSERT_GE(sqlite, 0);
    dialog.cbDriver->setCurrentIndex(sqlite);
    bool answered = false;
    AnswerModalDialog<QFileDialog>([&](QFileDialog *files) {
        answered = true;
        TypeFileName(files, file);
        // accept() is protected in QFileDialog, public in QDialog.
        static_cast<QDialog *>(files)->accept();
    });
    QTest::mouseClick(dialog.bBrowseDatabase, Qt::LeftButton);
    EXPECT_TRUE(answered);
    EXPECT_EQ(dialog.eDatabase->text(), file);
    EXPECT_EQ(dialog.ConnectionString(), SqliteFileString(file));
    QTest::mouseClick(dialog.bTestConnection, Qt::LeftButton);
    EXPECT_EQ(dialog.lStatus->text(), QStringLiteral("Test connection succeeded."));
}
