// The setup program's start: the window, or only the message of what is
// wrong with the distribution.
#include "TestDistribution.h"
#include "WizardDriver.h"
#include "common/Eventually.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/SetupStart.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/file.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

// The program start changes the current folder; the tests' own stays.
class TKeepCurrentFolder {
public:
    TKeepCurrentFolder() : FFolder(QDir::currentPath()) {}
    ~TKeepCurrentFolder() { QDir::setCurrent(FFolder); }

private:
    QString FFolder;
};

bool AnyMainWindowVisible()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (qobject_cast<TfMain *>(window) && window->isVisible())
            return true;
    return false;
}

} // namespace

TEST(SetupStart, AMissingVersionFileIsShownAndOpensNoWindow)
{
    TKeepCurrentFolder keep;
    TTestMachine machine;
    TTestDistribution distribution(machine, false, false);
    QFile::remove(distribution.Folder() + QLatin1String("/version"));
    QString title;
    QString message;
    WhenModalArrives([&](QWidget *window) {
        if (auto *box = qobject_cast<QMessageBox *>(window)) {
            title = box->windowTitle();
            message = box->text();
        }
        window->close();
    });
    const std::unique_ptr<TfMain> form = StartSetup(distribution.Folder());
    EXPECT_FALSE(form);
    EXPECT_EQ(message, QStringLiteral("File not exists:\"version\". Invalid installer package."));
    EXPECT_EQ(title, QStringLiteral("Norvane Query Builder Installer"));
    EXPECT_FALSE(AnyMainWindowVisible());
}

TEST(SetupStart, TheWizardStartsInTheProgramFolderAndRunsToItsEnd)
{
    TKeepCurrentFolder keep;
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFiles({QStringLiteral("Delphi7")}));
    const std::unique_ptr<TfMain> form = StartSetup(distribution.Folder());
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(QDir::currentPath(), distribution.Folder());
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Norvane Query Builder Installer"));
    EXPECT_EQ(form->InstallData().InstallerFolder(), distribution.Folder());
    EXPECT_EQ(ActivePageName(*form), QStringLiteral("wInstallPage"));
    EXPECT_TRUE(form->DCCCompilerWarning());

    ASSERT_NO_FATAL_FAILURE(RunToFinish(*form));
    EXPECT_TRUE(form->RunSucceeded()) << form->Log().join(QLatin1Char('\n')).toStdString();
    ClickFinish(*form);
    EXPECT_FALSE(AnyMainWindowVisible());
}

// One setup program at a time on a machine: while another holds the
// machine's setup lock, the start shows why and opens no window, and a
// second program changes nothing; the window holds the lock while it is
// there.
TEST(SetupStart, ASecondSetupProgramOnTheMachineIsRefused)
{
    TKeepCurrentFolder keep;
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFiles({QStringLiteral("Delphi7")}));
    const QMap<QString, QByteArray> before = MachineSnapshot(machine);
    const QString refusal = QStringLiteral("Another setup program is already running on the machine \"%1\". "
                                           "Finish or close it, then start setup again.")
                                .arg(machine.Folder());
    const auto runSecond = [&distribution, &refusal] {
        QProcess second;
        second.start(InstallerPeer(), {QStringLiteral("setup"), QStringLiteral("install"), distribution.Folder()});
        EXPECT_TRUE(second.waitForFinished(ProcessTimeoutMs));
        // Its message, among what else it writes there.
        const QString errors = QString::fromLocal8Bit(second.readAllStandardError());
        return std::pair{second.exitCode(), errors.contains(refusal)};
    };
    {
        // Another setup program's lock.
        QDir().mkpath(machine.Path(QStringLiteral("registry")));
        QFile held(machine.Path(QStringLiteral("registry/setup.lock")));
        ASSERT_TRUE(held.open(QIODevice::ReadWrite));
        ASSERT_EQ(::flock(held.handle(), LOCK_EX), 0);
        QString message;
        WhenModalArrives([&](QWidget *window) {
            if (auto *box = qobject_cast<QMessageBox *>(window))
                message = box->text();
            window->close();
        });
        EXPECT_FALSE(StartSetup(distribution.Folder()));
        EXPECT_EQ(message, refusal);
        EXPECT_FALSE(AnyMainWindowVisible());
        EXPECT_EQ(runSecond(), std::pair(3, true));
        EXPECT_EQ(SnapshotDifferences(before, MachineSnapshot(machine)), QStringList());
    }
    {
        const std::unique_ptr<TfMain> form = StartSetup(distribution.Folder());
        ASSERT_TRUE(form);
        EXPECT_EQ(runSecond(), std::pair(3, true));
    }
    EXPECT_EQ(runSecond().first, 0);
    EXPECT_EQ(ReadValue(TRootKey::HKEY_LOCAL_MACHINE, InstallRecordKey, QStringLiteral("InstalledVersion")),
              QStringLiteral("1.3.0"));
}
