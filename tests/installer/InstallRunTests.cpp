// Whole install runs against machine folders built by the tests, with the
// stand-in IDE tools and this build's unarchiver.
#include "FaultRuns.h"
#include "TestDistribution.h"
#include "installer/CompileTarget.h"
#include "installer/InstallData.h"
#include "installer/platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;

} // namespace

TEST(InstallRun, NewInstallationIntoDelphi7)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFiles({QStringLiteral("Delphi7")}), TArchiveFormat::Zip);
    // Another program's shortcut in the Start-menu folder stays.
    const QString startMenu = machine.Path(QStringLiteral("Start Menu/Programs/Tellwright/Norvane Query Builder VCL Edition"));
    machine.WriteFile(startMenu + QLatin1String("/Other Program.lnk"), "Target=/other\n");
    const QString toolLog = machine.Path(QStringLiteral("../tools.log"));
    TScopedEnvironment logging("NVQB_TOOL_LOG", toolLog);

    TInstallData data(distribution.Folder());
    InstallIntoEveryIDE(data);
    const QString dir = data.InstallDir;
    ASSERT_EQ(dir, machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder")));
    const TRun run = RunSetup(data);
    EXPECT_TRUE(run.Result) << Text(run.Log);

    QString missing;
    EXPECT_TRUE(ContainsInOrder(
        run.Log,
        {QStringLiteral("Installing NorvaneQueryBuilder v. 1.3.0"), QString(), QStringLiteral("Extracting component files..."),
         QStringLiteral("unrar.exe x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"%1/\"").arg(dir),
         QStringLiteral("Completed"), QStringLiteral("Delphi 7.0 (Enterprise)"),
         QStringLiteral("Compiling for:Delphi 7.0 (Enterprise)"), QStringLiteral("Compiling core packages"),
         QStringLiteral("Compiling package: nvQueryBuilder"),
         QStringLiteral("  Installing into SystemDir: %1").arg(machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderD7.bpl"))),
         QStringLiteral("Compiling package: nvQueryBuilderDsgn"), QStringLiteral("Installing package:nvQueryBuilderDsgn"),
         QStringLiteral("Create Shortcuts in Start menu folder..."), QStringLiteral("Completed"), QString(),
         QStringLiteral("All operations done. Press Finish to exit installation.")},
        &missing))
        << missing.toStdString() << "\n" << Text(run.Log);
    EXPECT_EQ(run.Log.mid(0, 2), (QStringList{QStringLiteral("Installing NorvaneQueryBuilder v. 1.3.0"), QString()}));
    EXPECT_FALSE(run.Log.join(QLatin1Char('\n')).contains(QLatin1String("Error")));

    ExpectNewDelphi7Installation(machine, dir, toolLog);
}

TEST(InstallRun, ProviderPackagesAreRegisteredOnlyWhereTheyAreBuilt)
{
    TTestMachine machine;
    AddWindows(machine);
    const QString root = AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    // No compiler: the core packages and the core ADO provider come built
    // in the archive; the ZEOS set is there, but its packages cannot be built.
    QFile::remove(root + QLatin1String("/Bin/dcc32.exe"));
    machine.SetString(HKCU, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0\\Known Packages"),
                      QStringLiteral("/zeos/ZComponentDesign.bpl"), QStringLiteral("Zeos"));
    TTestDistribution distribution(machine, false, true);
    std::vector<TArchiveEntry> files = ComponentFiles({});
    for (const char *package : {"nvQueryBuilderD7.bpl", "nvQueryBuilderDsgnD7.bpl", "NvQueryBuilderADOD7.bpl",
                                "NvQueryBuilderDsgnADOD7.bpl"})
        files.push_back({QLatin1String("Delphi7/") + QLatin1String(package), "built"});
    distribution.WriteArchive(files);

    TInstallData data(distribution.Folder());
    InstallIntoEveryIDE(data);
    const TRun run = RunSetup(data);
    EXPECT_TRUE(run.Result) << Text(run.Log);

    TRegistry reg(HKCU);
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0\\Known Packages")));
    const QString dir = data.InstallDir;
    EXPECT_EQ(reg.ReadString(dir + QLatin1String("/Delphi7/NvQueryBuilderDsgnADOD7.bpl")),
              QStringLiteral("Norvane Query Builder Component ADO Connectivity"));
    for (const QString &name : reg.GetValueNames())
        EXPECT_FALSE(name.contains(QLatin1String("Zeos"), Qt::CaseSensitive)) << name.toStdString();
    EXPECT_TRUE(QFileInfo(machine.Path(QStringLiteral("Windows/System32/NvQueryBuilderADOD7.bpl"))).isFile());
    // With provider packages shipped there is an eighth shortcut.
    EXPECT_EQ(Entries(data.StartMenuFolder()).size(), 8);
}

TEST(InstallRun, AFailingCompilerFailsOnlyItsIDEAndTheRun)
{
    TTestMachine machine;
    AddWindows(machine);
    const QString d7 = AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    AddDelphi(machine, QStringLiteral("6.0"), QStringLiteral("Delphi6"), QStringLiteral("60"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFiles({QStringLiteral("Delphi7"), QStringLiteral("Delphi6")}));
    TScopedEnvironment failing("NVQB_TOOL_FAIL", d7 + QLatin1String("/Bin/dcc32.exe"));
    // The system's version where Windows keeps it gives the log's second line.
    const QString windows = QStringLiteral("\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    machine.SetString(HKLM, windows, QStringLiteral("CurrentVersion"), QStringLiteral("5.1"));
    machine.SetString(HKLM, windows, QStringLiteral("CurrentBuildNumber"), QStringLiteral("2600"));
    machine.SetString(HKLM, windows, QStringLiteral("CSDVersion"), QStringLiteral("Service Pack 2"));

    TInstallData data(distribution.Folder());
    InstallIntoEveryIDE(data);
    const TRun run = RunSetup(data);
    EXPECT_FALSE(run.Result);
    QString missing;
    EXPECT_TRUE(ContainsInOrder(run.Log,
                                {QStringLiteral("Installing NorvaneQueryBuilder v. 1.3.0"),
                                 QStringLiteral("Windows XP Service Pack 2 (5.1.2600)"), QString(),
                                 QStringLiteral("Compiling for:Delphi 7.0 (Enterprise)"),
                                 QStringLiteral("=== Begin of compiler output"),
                                 QStringLiteral("nvQueryBuilderD7.dpk(1) Fatal: Could not compile package 'nvQueryBuilderD7'"),
                                 QStringLiteral("=== End of compiler output"),
                                 QStringLiteral("Error: Error compiling package: nvQueryBuilderD7.dpk"),
                                 QStringLiteral("Compiling for:Delphi 6.0 (Enterprise)"),
                                 QStringLiteral("Writing IDE settings to registry"),
                                 QStringLiteral("All operations done. Press Finish to exit installation.")},
                                &missing))
        << missing.toStdString() << "\n" << Text(run.Log);
    EXPECT_FALSE(data.TargetOptions().Items(0)->Installed);
    EXPECT_TRUE(data.TargetOptions().Items(1)->Installed);
    EXPECT_TRUE(QFileInfo(machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderD6.bpl"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderD7.bpl"))));
    EXPECT_FALSE(QFileInfo::exists(data.InstallDir + QLatin1String("/Packages/Delphi7/dcc32.cfg")));
}

TEST(InstallRun, MissingDamagedAndHostileArchives)
{
    TTestMachine machine;
    AddWindows(machine);
    TTestDistribution distribution(machine, false, false);
    {
        TInstallData data(distribution.Folder());
        const TRun run = RunSetup(data);
        EXPECT_FALSE(run.Result);
        EXPECT_EQ(run.Log.last(), QStringLiteral("File not exists:\"data.arc\". Invalid installer package."));
    }
    machine.WriteFile(distribution.Archive(), "this is no archive\n");
    {
        TInstallData data(distribution.Folder());
        const TRun run = RunSetup(data);
        EXPECT_FALSE(run.Result);
        QString missing;
        EXPECT_TRUE(ContainsInOrder(run.Log,
                                    {QStringLiteral("ERROR: data.arc: Unrecognized archive format"),
                                     QStringLiteral("Error extracting component files from archive."),
                                     QStringLiteral("Archive damaged."),
                                     QStringLiteral("All operations done. Press Finish to exit installation.")},
                                    &missing))
            << missing.toStdString() << "\n" << Text(run.Log);
    }

    // Entries that lead out of the install folder are refused; the others
    // are extracted, and their lines reach the log with the folder's name
    // intact.
    const QString outside = machine.Path(QStringLiteral("Program Files/Tellwright"));
    distribution.WriteArchive({
        {QStringLiteral("Help/NvQB.HLP"), "help"},
        {QStringLiteral("../evil"), "evil"},
        {QStringLiteral("Help/../../evil2"), "evil"},
        {outside + QLatin1String("/evil3"), "evil"},
        {QStringLiteral("Demos/out"), outside.toUtf8(), TArchiveEntry::Symlink},
        {QStringLiteral("Demos/out/evil4"), "evil"},
        {QStringLiteral("Demos/up"), "../..", TArchiveEntry::Symlink},
        {QStringLiteral("Demos/pipe"), QByteArray(), TArchiveEntry::Fifo},
    });
    TInstallData data(distribution.Folder());
    data.Mode = imNewInstallation; // the runs above left a record
    data.InstallDir = outside + QStringLiteral("/Requêtes");
    const TRun run = RunSetup(data);
    EXPECT_FALSE(run.Result);
    EXPECT_TRUE(run.Log.contains(QStringLiteral("Error extracting component files from archive."))) << Text(run.Log);
    EXPECT_TRUE(run.Log.contains(QStringLiteral("ERROR: Refused ../evil: the path leads outside %1/").arg(data.InstallDir)))
        << Text(run.Log);
    EXPECT_TRUE(run.Log.contains(QStringLiteral("Extracting  %1/Help/NvQB.HLP  OK").arg(data.InstallDir)))
        << Text(run.Log);
    EXPECT_EQ(Entries(outside), (QStringList{QStringLiteral("Norvane Query Builder"), QStringLiteral("Requêtes")}));
    EXPECT_FALSE(QFileInfo::exists(machine.Path(QStringLiteral("Program Files/evil"))));
    EXPECT_EQ(machine.ReadFile(data.InstallDir + QLatin1String("/Help/NvQB.HLP")), QByteArray("help"));
    EXPECT_FALSE(QFileInfo(data.InstallDir + QLatin1String("/Demos/out")).isSymLink());
    EXPECT_FALSE(QFileInfo(data.InstallDir + QLatin1String("/Demos/up")).exists());
    EXPECT_FALSE(QFileInfo::exists(data.InstallDir + QLatin1String("/Demos/pipe")));
}

TEST(InstallRun, FilesThatCannotBeWrittenFailTheInstallAndTheNextStartInstallsAgain)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    // With the ADO provider's projects, which the IDE's record selects once
    // the product is installed there.
    std::vector<TArchiveEntry> files = ComponentFilesWithADO(QStringLiteral("Delphi7"));
    files.push_back({QStringLiteral("Help/Big.chm"), QByteArray(300000, 'h')});
    distribution.WriteArchive(files);
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    {
        // A disk that is full when the big file is written.
        TFaultPlan plan;
        plan.FailPaths = QStringLiteral("*/Help/Big.chm");
        plan.Kinds = QStringLiteral("write");
        const TScopedFaults faults(dir, plan);
        TInstallData data(distribution.Folder());
        InstallIntoEveryIDE(data);
        const TRun run = RunSetup(data);
        ASSERT_EQ(faults.Faults(), 1u) << Text(run.Log);
        EXPECT_FALSE(run.Result) << Text(run.Log);
        QString missing;
        EXPECT_TRUE(ContainsInOrder(run.Log,
                                    {QStringLiteral("ERROR: Cannot write %1/Help/Big.chm: Write failed: No space left on device").arg(dir),
                                     QStringLiteral("Error extracting component files from archive.")},
                                    &missing))
            << missing.toStdString() << "\n" << Text(run.Log);
        EXPECT_FALSE(QFileInfo::exists(dir + QLatin1String("/Help/Big.chm")));
    }
    // The record does not name this version: the next start is a new
    // installation again, and it installs everything.
    TInstallData data(distribution.Folder());
    EXPECT_EQ(data.Mode, imNewInstallation);
    InstallIntoEveryIDE(data);
    const TRun run = RunSetup(data);
    EXPECT_TRUE(run.Result) << Text(run.Log);
    EXPECT_EQ(machine.ReadFile(dir + QLatin1String("/Help/Big.chm")), QByteArray(300000, 'h'));
    EXPECT_EQ(TInstallData(distribution.Folder()).Mode, imMaintenance);
}

TEST(InstallRun, AFileOfItsOwnThatTheRunCannotWriteOrDeleteFailsItAndTheNextRunFinishes)
{
    const struct {
        const char *Name;
        QString Paths; // whose operations fail
        QString Kinds;
        QString Error;
    } cases[] = {
        {"the compiler's configuration stays", QStringLiteral("*/Packages/Delphi7/dcc32.cfg"), QStringLiteral("unlink"),
         QStringLiteral("Error: Cannot delete \"%1/Packages/Delphi7/dcc32.cfg\": Permission denied")},
        {"the log cannot be saved", QStringLiteral("*/Norvane Query Builder/setup.log.*"), QStringLiteral("open"),
         QStringLiteral("Error: Cannot write \"%1/setup.log\": No space left on device")},
    };
    for (const auto &failing : cases) {
        SCOPED_TRACE(failing.Name);
        TTestMachine machine;
        AddWindows(machine);
        AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
        TTestDistribution distribution(machine, true, false);
        distribution.WriteArchive(ComponentFilesWithADO(QStringLiteral("Delphi7")));
        const QString root = QFileInfo(machine.Folder()).absolutePath();
        const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));

        TFaultPlan plan;
        plan.FailPaths = failing.Paths;
        plan.Kinds = failing.Kinds;
        const TFaultRun failed = RunSetupRobot(distribution.Folder(), QStringLiteral("install"), root, plan);
        EXPECT_GE(failed.Faults, 1u) << Text(failed.Output);
        EXPECT_EQ(failed.ExitCode, 1) << Text(failed.Output);
        EXPECT_EQ(failed.Finish(), QStringLiteral("Norvane Query Builder Setup completed with errors. See Setup Log for "
                                                  "additional information."));
        EXPECT_TRUE(failed.Log().contains(failing.Error.arg(dir))) << Text(failed.Log());

        // Installed again from the maintenance page, with nothing in the way.
        const TFaultRun next = RunSetupRobot(distribution.Folder(), QStringLiteral("install"), root);
        EXPECT_EQ(next.ExitCode, 0) << Text(next.Output);
        EXPECT_TRUE(next.Output.contains(QStringLiteral("page: wMainternance"))) << Text(next.Output);
        EXPECT_FALSE(QFileInfo::exists(dir + QLatin1String("/Packages/Delphi7/dcc32.cfg")));
        EXPECT_EQ(Entries(dir + QLatin1String("/Packages/Delphi7")).filter(QStringLiteral("dcc32")), QStringList());
        EXPECT_TRUE(machine.ReadFile(dir + QLatin1String("/setup.log")).contains("All operations done."));
    }
}
