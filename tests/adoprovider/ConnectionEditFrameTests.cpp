// The connection frame and the data-link dialog, driven through their widgets.
#include "adoprovider/ADOConnectionEditFrame.h"
#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/DataLinkDialog.h"
#include "adoprovider/OdbcConnection.h"
#include "tests/adoprovider/OdbcTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace nvqb;

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
void AnswerModalDialog(std::function<void(TnvDataLinkDialog *)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<TnvDataLinkDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no data-link dialog is shown";
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        answer(dialog);
    });
}

QString SqliteFileString(const QString &file) { return QStringLiteral("Driver=SQLite3;Database=%1").arg(file); }

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
    EXPECT_EQ(f.Frame->lConnectionString->geometry(), QRect(2, 11, 87, 13));
    EXPECT_EQ(f.Frame->bEditConnectionString->geometry(), QRect(222, 6, 75, 23));
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

    // The test server trusts every role it has: one it lacks is refused.
    dialog.eUser->selectAll();
    QTest::keyClicks(dialog.eUser, QStringLiteral("no_such_role"));
    const QString wrong = dialog.ConnectionString();
    QTest::mouseClick(dialog.bTestConnection, Qt::LeftButton);
    EXPECT_TRUE(dialog.lStatus->text().contains(QStringLiteral("Cannot open the connection")))
        << dialog.lStatus->text().toStdString();
    EXPECT_TRUE(dialog.lStatus->text().contains(QStringLiteral("no_such_role"))) << dialog.lStatus->text().toStdString();
    EXPECT_EQ(dialog.ConnectionString(), wrong);
}
