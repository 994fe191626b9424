// Runs cut short, and the run after them: an update whose unarchiver is
// killed, an uninstall killed at each of its steps, and an IDE record whose
// writer is killed in the middle. The next run finishes the work.
#include "TestDistribution.h"
#include "WizardDriver.h"
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/TargetOptions.h"
#include "installer/platform/SetupError.h"
#include "installer/wizard/MainForm.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;

// A machine with Delphi 7 and a distribution with sources for it.
struct TDelphi7Machine {
    TTestMachine Machine;
    TTestDistribution Distribution{Machine, true, false};
    TDelphi7Machine()
    {
        AddWindows(Machine);
        AddDelphi(Machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
        Distribution.WriteArchive(ComponentFilesWithADO(QStringLiteral("Delphi7")));
    }
};

// Kills (SIGKILL) every child process of this one.
void KillChildProcesses()
{
    QDirIterator tasks(QStringLiteral("/proc/self/task"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (tasks.hasNext()) {
        QFile children(tasks.next() + QLatin1String("/children"));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &pid : children.readAll().split(' '))
            if (pid.trimmed().toInt() > 0)
                ::kill(pid.trimmed().toInt(), SIGKILL);
    }
}

// A copy of a folder's tree (files and folders); the files are hard links
// to the originals (the runs delete and rename files, and change none in
// place), so that programs of megabytes cost nothing.
void CopyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString copy = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        if (it.fileInfo().isDir())
            QDir().mkpath(copy);
        else
            ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(copy).constData()), 0)
                << copy.toStdString();
    }
}

// Runs the uninstall in a child process that is killed (SIGKILL) when its log
// reaches the line of that index; false when the child ended otherwise.
bool UninstallKilledAt(const TTestDistribution &distribution, int line)
{
    const pid_t child = ::fork();
    if (child == 0) {
        TInstallData data(distribution.Folder());
        data.Mode = imUninstall;
        TCompiler compiler(data);
        int count = 0;
        compiler.OnLog = [&count, line](const QString &) {
            if (count++ == line)
                ::raise(SIGKILL);
        };
        compiler.Uninstall();
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace

TEST(InterruptedRun, AnUpdateCutShortWhileUnpackingStaysAnUpdateUntilItsFilesArrive)
{
    TDelphi7Machine delphi7;
    const TTestMachine &machine = delphi7.Machine;
    const TTestDistribution &distribution = delphi7.Distribution;
    ASSERT_NO_FATAL_FAILURE(InstallEverywhere(distribution));

    // Version 1.4.0 brings many files: its unarchiver is killed after the
    // first one, while it still has hundreds of kilobytes of lines to write.
    machine.WriteFile(distribution.Folder() + QLatin1String("/version"), "1.4.0\r\n");
    std::vector<TArchiveEntry> files = ComponentFilesWithADO(QStringLiteral("Delphi7"));
    for (int k = 0; k < 3000; ++k)
        files.push_back({QStringLiteral("Demos/Many/file%1.txt").arg(k, 4, 10, QLatin1Char('0')), "new"});
    distribution.WriteArchive(files);
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    {
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.Mode, imUpdate);
        TfMain form(data);
        ShowForm(form);
        auto *output = Child<QPlainTextEdit>(&form, "mOutput");
        bool killed = false;
        QObject::connect(output, &QPlainTextEdit::textChanged, output, [&] {
            if (!killed && output->document()->lastBlock().text().startsWith(QLatin1String("Extracting  "))) {
                KillChildProcesses();
                killed = true;
            }
        });
        ASSERT_NO_FATAL_FAILURE(RunToFinish(form));
        ASSERT_TRUE(killed);
        EXPECT_FALSE(form.RunSucceeded());
        EXPECT_TRUE(form.Log().contains(QStringLiteral("Error extracting component files from archive.")))
            << Text(form.Log());
        EXPECT_FALSE(QFileInfo::exists(dir + QLatin1String("/Demos/Many/file2999.txt")));
    }
    EXPECT_EQ(ReadValue(HKLM, InstallRecordKey, QStringLiteral("InstalledVersion")), QStringLiteral("1.3.0"));

    // A damaged archive, cut in the middle of an entry: the update stays an
    // update too.
    const QByteArray whole = machine.ReadFile(distribution.Archive());
    machine.WriteFile(distribution.Archive(), whole.left(whole.size() / 2 + 100));
    {
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.Mode, imUpdate);
        InstallIntoEveryIDE(data);
        TCompiler compiler(data);
        EXPECT_FALSE(compiler.Install()) << Text(compiler.LogLines());
        EXPECT_TRUE(compiler.LogLines().contains(QStringLiteral("Archive damaged."))) << Text(compiler.LogLines());
    }
    EXPECT_EQ(ReadValue(HKLM, InstallRecordKey, QStringLiteral("InstalledVersion")), QStringLiteral("1.3.0"));

    // The whole archive: the update runs again, unpacks everything and is done.
    machine.WriteFile(distribution.Archive(), whole);
    {
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.Mode, imUpdate);
        InstallIntoEveryIDE(data);
        TCompiler compiler(data);
        EXPECT_TRUE(compiler.Install()) << Text(compiler.LogLines());
    }
    EXPECT_EQ(ReadValue(HKLM, InstallRecordKey, QStringLiteral("InstalledVersion")), QStringLiteral("1.4.0"));
    EXPECT_EQ(machine.ReadFile(dir + QLatin1String("/Demos/Many/file2999.txt")), QByteArray("new"));
    EXPECT_EQ(TInstallData(distribution.Folder()).Mode, imMaintenance);
}

TEST(InterruptedRun, AnUninstallKilledAtAnyStepIsFinishedByTheNextOne)
{
    TDelphi7Machine delphi7;
    const TTestMachine &machine = delphi7.Machine;
    const TTestDistribution &distribution = delphi7.Distribution;
    const QMap<QString, QByteArray> pristine = MachineSnapshot(machine);
    ASSERT_NO_FATAL_FAILURE(InstallEverywhere(distribution));
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    QTemporaryDir saved;
    ASSERT_NO_FATAL_FAILURE(CopyTree(machine.Folder(), saved.path()));
    const auto restore = [&] {
        QDir(machine.Folder()).removeRecursively();
        CopyTree(saved.path(), machine.Folder());
    };

    // The steps of an uninstall, from a run to its end.
    QStringList steps;
    {
        TInstallData data(distribution.Folder());
        data.Mode = imUninstall;
        TCompiler compiler(data);
        ASSERT_TRUE(compiler.Uninstall()) << Text(compiler.LogLines());
        steps = compiler.LogLines();
    }
    const QStringList leftovers{QStringLiteral("+ HKLM\\SOFTWARE\\Tellwright"), QStringLiteral("+ Program Files/Tellwright")};
    ASSERT_EQ(SnapshotDifferences(pristine, MachineSnapshot(machine)), leftovers);

    for (int line = 0; line < steps.size(); ++line) {
        // Every step but the lines within one (the packages one by one) and
        // the folders the installation does not have.
        const QString &step = steps[line];
        const QString installed = saved.path() + QLatin1String("/Program Files/Tellwright/Norvane Query Builder/");
        if (step.isEmpty() || step.startsWith(QLatin1Char(' ')) || step.startsWith(QLatin1String("Uninstalling package"))
            || (step.startsWith(QLatin1String("...")) && !QFileInfo::exists(installed + step.mid(3))))
            continue;
        SCOPED_TRACE(QStringLiteral("killed at line %1: %2").arg(line).arg(step).toStdString());
        ASSERT_NO_FATAL_FAILURE(restore());
        ASSERT_TRUE(UninstallKilledAt(distribution, line));

        // The next uninstall, from the copy that the system's list of programs
        // names while it is there, else from the distribution; none when the
        // record is gone.
        if (!TRegistry(HKLM).KeyExists(InstallRecordKey))
            continue;
        const QString uninstaller = dir + QLatin1String("/Uninstall");
        const bool fromInstallFolder = QFileInfo::exists(uninstaller + QLatin1String("/setup.exe"));
        try {
            TInstallData data(fromInstallFolder ? uninstaller : distribution.Folder());
            EXPECT_EQ(data.Mode, imMaintenance);
            data.Mode = imUninstall;
            TCompiler compiler(data);
            EXPECT_TRUE(compiler.Uninstall()) << Text(compiler.LogLines());
        } catch (const ESetupError &e) {
            ADD_FAILURE() << (fromInstallFolder ? "the installed uninstaller" : "the distribution")
                          << " does not start: " << e.what();
        }
        EXPECT_EQ(SnapshotDifferences(pristine, MachineSnapshot(machine)), leftovers);
    }
}

TEST(InterruptedRun, AnIDERecordCutShortKeepsTheChoicesThePagesShow)
{
    TDelphi7Machine delphi7;
    const TTestMachine &machine = delphi7.Machine;
    const TTestDistribution &distribution = delphi7.Distribution;
    ASSERT_NO_FATAL_FAILURE(InstallEverywhere(distribution));
    const QString ideRecord = InstallRecordKey + QLatin1String("\\Delphi 7.0 (Enterprise)");
    const QString browsing = QStringLiteral("$(DELPHI)/Source/Vcl;$(DELPHI)/Source/Rtl/Common;%1/Sources")
                                 .arg(machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder")));
    ASSERT_EQ(ReadValue(HKCU, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0\\Library"), QStringLiteral("Browsing Path")),
              browsing);

    // The writer of the IDE's record is killed by the file size limit where
    // its last two values would be written: what it leaves is what a killed
    // install leaves.
    const QString hive = machine.Path(QStringLiteral("registry/HKLM.reg"));
    const qint64 whole = QFileInfo(hive).size();
    const QByteArray lastTwo = "\"Add Source Location\"=dword:00000001\n\"Compile Packages\"=dword:00000001\n";
    ASSERT_TRUE(machine.ReadFile(hive).contains(lastTwo));
    TRegistry(HKLM).DeleteKey(ideRecord);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{rlim_t(whole - lastTwo.size()), rlim_t(whole - lastTwo.size())};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::signal(SIGXFSZ, SIG_DFL);
        TInstallData data(distribution.Folder());
        TTargetOptions &options = *data.TargetOptions().Items(0);
        options.Installed = true;
        options.AddSourceLocation = true;
        options.SaveToRegistry();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer was not stopped";
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);

    // The next run shows the choices of the pages and keeps the Sources
    // folder in the IDE's Browsing Path.
    TInstallData data(distribution.Folder());
    TTargetOptions &options = *data.TargetOptions().Items(0);
    EXPECT_TRUE(options.AddSourceLocation);
    EXPECT_TRUE(options.IDERegistration);
    InstallIntoEveryIDE(data);
    TCompiler compiler(data);
    EXPECT_TRUE(compiler.Install()) << Text(compiler.LogLines());
    EXPECT_EQ(ReadValue(HKCU, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0\\Library"), QStringLiteral("Browsing Path")),
              browsing);
    EXPECT_EQ(ReadValue(HKLM, ideRecord, QStringLiteral("BPLDir")),
              machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder/Delphi7")));
}

// Writers killed in the middle of an atomic write leave their temporary files
// (the file's name, "." and six letters or digits, locked by nobody): a
// shortcut's in the Start-menu folder, the IDE's option file's in Application
// Data, the log's in the install folder. The next install and the uninstall
// take them away, so that the Start-menu group and the install folder go
// with the uninstall; the temporary file of a writer still alive stays.
TEST(InterruptedRun, TemporaryFilesOfKilledWritesGoWithTheNextRuns)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    const QString envOptions = AddBDS2007(machine);
    TTestDistribution distribution(machine, true, false);
    std::vector<TArchiveEntry> files = ComponentFilesWithADO(QStringLiteral("Delphi7"));
    files.push_back(PackageProject(QStringLiteral("Delphi2007"), QStringLiteral("nvQueryBuilderD11.dpk")));
    files.push_back(PackageProject(QStringLiteral("Delphi2007"), QStringLiteral("nvQueryBuilderDsgnD11.dpk")));
    distribution.WriteArchive(files);
    ASSERT_NO_FATAL_FAILURE(InstallEverywhere(distribution));
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    const QString group = machine.Path(QStringLiteral("Start Menu/Programs/Tellwright/Norvane Query Builder VCL Edition"));
    ASSERT_TRUE(machine.ReadFile(envOptions).contains((dir + QLatin1String("/Delphi2007")).toUtf8()));

    const QStringList killed{group + QLatin1String("/Norvane Query Builder Help.lnk.k9Qx2A"),
                             envOptions + QLatin1String(".Zp31Rb"), dir + QLatin1String("/setup.log.Ab12Cd")};
    const auto leave = [&] {
        for (const QString &file : killed)
            machine.WriteFile(file, "cut sh");
    };
    leave();
    {
        QFile living(group + QLatin1String("/Norvane Query Builder Web Site.lnk.Live01"));
        ASSERT_TRUE(living.open(QIODevice::WriteOnly));
        ASSERT_EQ(::flock(living.handle(), LOCK_EX), 0);
        TInstallData data(distribution.Folder());
        InstallIntoEveryIDE(data);
        const TRun run = RunSetup(data);
        ASSERT_TRUE(run.Result) << Text(run.Log);
        EXPECT_FALSE(QFileInfo::exists(killed[0]));
        EXPECT_FALSE(QFileInfo::exists(killed[1]));
        EXPECT_TRUE(QFileInfo::exists(living.fileName()));
        living.remove();
    }

    leave();
    TInstallData data(distribution.Folder());
    data.Mode = imUninstall;
    const TRun run = RunSetup(data);
    EXPECT_TRUE(run.Result) << Text(run.Log);
    EXPECT_EQ(Entries(machine.Path(QStringLiteral("Start Menu/Programs"))), QStringList{QStringLiteral("Accessories")});
    EXPECT_EQ(Entries(QFileInfo(envOptions).absolutePath()), QStringList{QStringLiteral("EnvOptions.proj")});
    EXPECT_FALSE(QFileInfo::exists(dir));
}
