// A connection that prompts for its login and has no OnLogin handler asks
// with the library's login dialog: the frame's "Login prompt" box against the
// PostgreSQL server, the typed user and password logging in, Cancel ending
// the connection with a message of its own.
#include "OdbcTestSupport.h"
#include "common/Eventually.h"
#include "adoprovider/ADOConnectionEditFrame.h"
#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/LoginDialog.h"
#include "controls/DialogTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace nvqb;
using namespace nvqb::test;

namespace {

QString WithoutKey(QString connectionString, const char *key)
{
    return connectionString.remove(QRegularExpression(QStringLiteral(";?%1=[^;]*").arg(QLatin1String(key))));
}

} // namespace

TEST(LoginDialog, TheFramesLoginPromptAsksForWhatTheStringLacks)
{
    const QString full = PostgresConnectionString();
    if (full.isEmpty())
        GTEST_SKIP() << "NVQB_PG_PORT is not set; start a server with scripts/pgserver.sh";
    const QString user = qEnvironmentVariable("NVQB_PG_USER", QStringLiteral("nvqb_test"));
    const QString password = qEnvironmentVariable("NVQB_PG_PASSWORD");
    const QString anonymous = WithoutKey(WithoutKey(full, "UID"), "PWD");

    // The frame as the wizard shows it: the string typed, the box checked.
    TnvADOMetadataProvider provider;
    provider.CreateAndBindInternalConnectionObj();
    QWidget host;
    auto *frame = qobject_cast<TfrNvQBADOConnectionEdit *>(provider.CreateConnectionEditFrame(&host));
    ASSERT_NE(frame, nullptr);
    host.show();
    frame->eConnectionString->setPlainText(anonymous);
    QTest::mouseClick(frame->cbLoginPrompt, Qt::LeftButton, {}, QPoint(5, 8));
    ASSERT_TRUE(provider.Connection()->LoginPrompt());

    // Asked, answered: the typed user and password log in, and the string
    // keeps neither.
    QString shownUser = QStringLiteral("?");
    EXPECT_TRUE(RunModal<TfNvQBLoginDialog>([&] { provider.Connect(); },
                                            [&](TfNvQBLoginDialog *dialog) {
                                                shownUser = dialog->eUserName->text();
                                                EXPECT_EQ(dialog->ePassword->echoMode(), QLineEdit::Password);
                                                QTest::keyClicks(dialog->eUserName, user);
                                                QTest::keyClicks(dialog->ePassword, password);
                                                QTest::mouseClick(dialog->bOk, Qt::LeftButton);
                                            }));
    EXPECT_EQ(shownUser, QString());
    EXPECT_TRUE(provider.IsConnected());
    EXPECT_EQ(provider.Connection()->ConnectionString(), anonymous);
    provider.Disconnect();

    // A user name in the string comes in filled; a wrong password is the
    // server's refusal.
    frame->eConnectionString->setPlainText(WithoutKey(full, "PWD"));
    try {
        RunModal<TfNvQBLoginDialog>([&] { provider.Connect(); },
                                    [&](TfNvQBLoginDialog *dialog) {
                                        shownUser = dialog->eUserName->text();
                                        EXPECT_EVENTUALLY(dialog->focusWidget() == dialog->ePassword);
                                        QTest::keyClicks(dialog->ePassword, QStringLiteral("not-the-password"));
                                        QTest::keyClick(dialog->ePassword, Qt::Key_Return);
                                    });
        ADD_FAILURE() << "logged in with a wrong password";
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("password authentication failed"))) << e.what();
    }
    EXPECT_EQ(shownUser, user);

    // Cancel: no connection, and the message says why rather than what the
    // driver makes of a missing password.
    try {
        RunModal<TfNvQBLoginDialog>([&] { provider.Connect(); },
                                    [&](TfNvQBLoginDialog *dialog) { QTest::mouseClick(dialog->bCancel, Qt::LeftButton); });
        ADD_FAILURE() << "connected after Cancel";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Login cancelled"));
    }
    EXPECT_FALSE(provider.IsConnected());
}
