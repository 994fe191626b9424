// Runs with other programs on the machine at the same time: another program
// that writes the registry throughout an install and an uninstall, or that
// replaces the files the setup program reads whenever it looks at them, and
// setup programs started twice at once. Each program is a process of its own;
// what the tests check is the machine when they are done, whichever came first.
#include "FaultRuns.h"
#include "TestDistribution.h"
#include "common/Eventually.h"
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace nvqb;
using namespace nvqb::test;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;
const QString KnownPackages = QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0\\Known Packages");
const QString IDERecord = InstallRecordKey + QLatin1String("\\Delphi 7.0 (Enterprise)");

// Delphi 7 and, when asked, a Delphi 2007, whose paths live in the file
// EnvOptions names.
struct TDelphi7Machine {
    TTestMachine Machine;
    TTestDistribution Distribution{Machine, true, false};
    QString Dir = Machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    QString EnvOptions;
    explicit TDelphi7Machine(bool withDelphi2007 = false)
    {
        AddWindows(Machine);
        AddDelphi(Machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
        std::vector<TArchiveEntry> files = ComponentFilesWithADO(QStringLiteral("Delphi7"));
        if (withDelphi2007) {
            EnvOptions = AddBDS2007(Machine);
            files.push_back(PackageProject(QStringLiteral("Delphi2007"), QStringLiteral("nvQueryBuilderD11.dpk")));
            files.push_back(PackageProject(QStringLiteral("Delphi2007"), QStringLiteral("nvQueryBuilderDsgnD11.dpk")));
        }
        Distribution.WriteArchive(files);
    }
};

// A setup program started from the distribution, run as the peer program
// runs it: an install into every IDE or the uninstall.
std::unique_ptr<QProcess> StartSetupProgram(const TTestDistribution &distribution, bool uninstall)
{
    auto process = std::make_unique<QProcess>();
    process->start(InstallerPeer(), {QStringLiteral("setup"), QLatin1String(uninstall ? "uninstall" : "install"),
                                     distribution.Folder()});
    EXPECT_TRUE(process->waitForStarted(ProcessTimeoutMs));
    return process;
}

// Waits for the setup program; its exit code: 0 (succeeded) or 3 (refused
// because another one runs); anything else fails the test.
int Finished(QProcess &process)
{
    EXPECT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(ProcessTimeoutMs));
    const int code = process.exitCode();
    const QByteArray errors = process.readAllStandardError();
    EXPECT_TRUE(code == 0 || code == 3) << code << "\n" << process.readAllStandardOutput().toStdString() << errors.toStdString();
    if (code == 3) {
        EXPECT_TRUE(errors.contains("Another setup program is already running on the machine")) << errors.toStdString();
    }
    return code;
}

// The product is installed, whole: files, IDE, uninstall entry, record.
void ExpectInstalled(const TDelphi7Machine &m)
{
    EXPECT_TRUE(QFileInfo(m.Dir + QLatin1String("/Uninstall/version")).isFile());
    EXPECT_TRUE(QFileInfo(m.Dir + QLatin1String("/Delphi7/nvQueryBuilderDsgnD7.bpl")).isFile());
    EXPECT_TRUE(QFileInfo(m.Machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderD7.bpl"))).isFile());
    EXPECT_EQ(ReadValue(HKCU, KnownPackages, m.Dir + QLatin1String("/Delphi7/nvQueryBuilderDsgnD7.bpl")),
              QStringLiteral("Norvane Query Builder Component"));
    EXPECT_EQ(ReadValue(HKLM, InstallRecordKey, QStringLiteral("InstalledVersion")), QStringLiteral("1.3.0"));
    EXPECT_EQ(ReadValue(HKLM, InstallRecordKey, QStringLiteral("InstallDir")), m.Dir);
    EXPECT_EQ(ReadValue(HKLM, IDERecord, QStringLiteral("BPLDir")), m.Dir + QLatin1String("/Delphi7"));
    for (const char *name : {"DisplayName", "DisplayVersion", "InstallLocation", "Publisher", "HelpLink",
                             "URLInfoAbout", "URLUpdateInfo", "UninstallString", "DisplayIcon"})
        EXPECT_NE(ReadValue(HKLM, UninstallEntryKey, QLatin1String(name)), QString()) << name;
}

// The product is gone, whole.
void ExpectUninstalled(const TDelphi7Machine &m)
{
    EXPECT_FALSE(QFileInfo::exists(m.Dir));
    EXPECT_FALSE(QFileInfo::exists(m.Machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderD7.bpl"))));
    EXPECT_EQ(ReadValue(HKCU, KnownPackages, m.Dir + QLatin1String("/Delphi7/nvQueryBuilderDsgnD7.bpl")), QString());
    EXPECT_FALSE(TRegistry(HKLM).KeyExists(InstallRecordKey));
    EXPECT_FALSE(TRegistry(HKLM).KeyExists(UninstallEntryKey));
}

} // namespace

// Another program writes 300 values into both hives, one at a time, while
// installs and uninstalls run one after the other: every value it wrote is
// there, and each run leaves the product whole or gone.
TEST(ConcurrentRuns, AnotherProgramsValuesSurviveInstallsAndUninstalls)
{
    TDelphi7Machine m;
    constexpr int Count = 300;
    QProcess other;
    other.start(InstallerPeer(), {QStringLiteral("write-values"), QString::number(Count)});
    ASSERT_TRUE(other.waitForStarted(ProcessTimeoutMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.canReadLine() || other.state() == QProcess::NotRunning; },
                                ProcessTimeoutMs));
    ASSERT_EQ(other.readLine(), QByteArray("started\n")) << other.readAllStandardError().toStdString();

    for (int runs = 0; runs < 200 && (runs == 0 || other.state() != QProcess::NotRunning); ++runs) {
        {
            TInstallData data(m.Distribution.Folder());
            // An IDE that is not found is not installed into, and the run
            // still succeeds: the IDE must be in sight first.
            EXPECT_EQ(data.TargetOptions().Count(), 1) << "the IDE was not found";
            InstallIntoEveryIDE(data);
            const TRun run = RunSetup(data);
            EXPECT_TRUE(run.Result) << Text(run.Log);
        }
        ExpectInstalled(m);
        {
            TInstallData data(m.Distribution.Folder());
            EXPECT_EQ(data.TargetOptions().Count(), 1) << "the IDE was not found";
            data.Mode = imUninstall;
            const TRun run = RunSetup(data);
            EXPECT_TRUE(run.Result) << Text(run.Log);
        }
        ExpectUninstalled(m);
        if (HasFailure())
            break;
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(other.state() == QProcess::NotRunning || other.waitForFinished(ProcessTimeoutMs));
    EXPECT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();

    int missing = 0;
    for (int k = 0; k < Count; ++k) {
        const bool machine = k % 2 == 0;
        const QString value = ReadValue(machine ? HKLM : HKCU,
                                        QLatin1String(machine ? "\\SOFTWARE\\Other Program" : "\\Software\\Other Program"),
                                        QStringLiteral("Value%1").arg(k, 4, 10, QLatin1Char('0')));
        missing += value != QString::number(k);
    }
    EXPECT_EQ(missing, 0) << "of " << Count;
}

// Another program replaces the hive files of the registry, and the IDE's
// EnvOptions.proj, each time the setup program looks at them: every look
// finds the file, the old one or the new one, never none. So the install
// goes into both IDEs, keeping the paths the IDE had, and the uninstall takes
// the product out of both again.
TEST(ConcurrentRuns, FilesReplacedWhileTheSetupProgramLooksAtThemAreNeverMissing)
{
    TDelphi7Machine m(true);
    const QByteArray envOptions = m.Machine.ReadFile(m.EnvOptions);
    const QString root = QFileInfo(m.Machine.Folder()).absolutePath();
    TFaultPlan plan;
    plan.ReplacePaths = QStringLiteral("*/registry/*.reg:*/EnvOptions.proj");

    const TFaultRun install = RunSetupRobot(m.Distribution.Folder(), QStringLiteral("install"), root, plan);
    EXPECT_EQ(install.ExitCode, 0) << Text(install.Output);
    EXPECT_GT(install.Faults, 0u) << "nothing was replaced";
    ExpectInstalled(m);
    const QString delphi2007 = InstallRecordKey + QLatin1String("\\Codegear Delphi for Win32 2007 ()");
    EXPECT_EQ(ReadValue(HKLM, delphi2007, QStringLiteral("BPLDir")), m.Dir + QLatin1String("/Delphi2007"));
    EXPECT_TRUE(m.Machine.ReadFile(m.EnvOptions)
                    .contains("<Win32LibraryPath>$(BDS)/lib;" + (m.Dir + QLatin1String("/Delphi2007")).toUtf8()))
        << m.Machine.ReadFile(m.EnvOptions).toStdString();

    const TFaultRun uninstall = RunSetupRobot(m.Dir + QLatin1String("/Uninstall"), QStringLiteral("uninstall"), root, plan);
    EXPECT_EQ(uninstall.ExitCode, 0) << Text(uninstall.Output);
    EXPECT_GT(uninstall.Faults, 0u) << "nothing was replaced";
    ExpectUninstalled(m);
    EXPECT_EQ(m.Machine.ReadFile(m.EnvOptions), envOptions);
}

// Two setup programs started at once on one machine: the second refuses to
// start while the first runs (or starts when it is done), and the machine
// ends with one whole installation; an install and an uninstall at once end with the product
// whole or gone, never half of it, and the next install works.
TEST(ConcurrentRuns, SetupProgramsStartedAtOnceLeaveTheProductWholeOrGone)
{
    TDelphi7Machine m;
    for (int round = 0; round < 3; ++round) {
        std::unique_ptr<QProcess> first = StartSetupProgram(m.Distribution, false);
        std::unique_ptr<QProcess> second = StartSetupProgram(m.Distribution, false);
        const int firstCode = Finished(*first);
        const int secondCode = Finished(*second);
        EXPECT_TRUE(firstCode == 0 || secondCode == 0);
        ExpectInstalled(m);
    }

    for (int round = 0; round < 3; ++round) {
        std::unique_ptr<QProcess> uninstall = StartSetupProgram(m.Distribution, true);
        std::unique_ptr<QProcess> install = StartSetupProgram(m.Distribution, false);
        const int uninstallCode = Finished(*uninstall);
        const int installCode = Finished(*install);
        EXPECT_TRUE(uninstallCode == 0 || installCode == 0);
        if (QFileInfo::exists(m.Dir)) {
            ExpectInstalled(m);
        } else {
            ExpectUninstalled(m);
            TInstallData data(m.Distribution.Folder());
            InstallIntoEveryIDE(data);
            const TRun run = RunSetup(data);
            EXPECT_TRUE(run.Result) << Text(run.Log);
            ExpectInstalled(m);
        }
    }
}
