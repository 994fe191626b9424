// The uninstall run: taking the product out of the IDEs and off the machine,
// and nothing more than that.
#include "FaultRuns.h"
#include "TestDistribution.h"
#include "installer/CompileTarget.h"
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/Registry.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;
const QString Record = QStringLiteral("\\Software\\Tellwright\\Norvane Query Builder");

// A BDS 2006 with the C++ personality, whose global C++ search path the
// install extends.
void AddBDS2006(const TTestMachine &machine)
{
    const QString root = machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("4.0"), QStringLiteral("BDS4"),
                                        QStringLiteral("bds.exe"), QStringLiteral("Enterprise"));
    machine.InstallTool(root + QLatin1String("/Bin/dcc32.exe"));
    const QString user = QStringLiteral("\\SOFTWARE\\Borland\\BDS\\4.0");
    for (const char *personality : {"Delphi.Win32", "BCB"})
        machine.SetString(HKCU, user + QLatin1String("\\Personalities"), QLatin1String(personality), QString());
    machine.SetString(HKCU, user + QLatin1String("\\Library"), QStringLiteral("Search Path"), QStringLiteral("$(BDS)/lib"));
    machine.SetString(HKCU, user + QLatin1String("\\Library"), QStringLiteral("Browsing Path"),
                      QStringLiteral("$(BDS)/source/Win32/vcl"));
    machine.SetString(HKCU, user + QLatin1String("\\CppPaths"), QStringLiteral("IncludePath"), QStringLiteral("$(BDS)/include"));
    machine.SetString(HKCU, user + QLatin1String("\\CppPaths"), QStringLiteral("SearchPath"), QStringLiteral("$(BDS)/lib"));
    machine.SetString(HKCU, user + QLatin1String("\\Known Packages"), QStringLiteral("$(BDS)/Bin/dcldb100.bpl"),
                      QStringLiteral("Borland Database Components"));
}

// The install record of a product in the folder, with the Start-menu folder
// "NQB" holding one of the product's shortcuts.
void RecordInstallation(const TTestMachine &machine, const QString &folder)
{
    machine.SetString(HKLM, Record, QStringLiteral("InstallDir"), folder);
    machine.SetString(HKLM, Record, QStringLiteral("InstalledVersion"), QStringLiteral("1.3.0"));
    machine.SetString(HKLM, Record, QStringLiteral("StartFolder"), QStringLiteral("NQB"));
    machine.WriteFile(QStringLiteral("Start Menu/Programs/NQB/Norvane Query Builder Help.lnk"), "Target=x\n");
}

// Files the product leaves in an install folder.
void AddProductFiles(const TTestMachine &machine, const QString &folder, bool withMarker)
{
    for (const char *file : {"Help/NvQB.HLP", "Sources/nvQBBase.pas", "EULA.txt", "setup.log", "Uninstall/setup.exe"})
        machine.WriteFile(folder + QLatin1Char('/') + QLatin1String(file), "kept");
    if (withMarker)
        machine.WriteFile(folder + QLatin1String("/Uninstall/version"), "1.3.0");
}

QStringList Uninstall(const TTestDistribution &distribution, bool &result)
{
    TInstallData data(distribution.Folder());
    data.Mode = imUninstall;
    TCompiler compiler(data);
    result = compiler.Uninstall();
    return compiler.LogLines();
}

} // namespace

TEST(UninstallRun, InstallThenUninstallLeavesTheMachineAsItWas)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    AddBDS2006(machine);
    // The Start-menu folder chosen at install time, shared with another program.
    machine.WriteFile(QStringLiteral("Start Menu/Programs/Custom/NQB Tools/Other.lnk"), "Target=/other\n");
    TTestDistribution distribution(machine, true, true);
    std::vector<TArchiveEntry> files = ComponentFiles({QStringLiteral("Delphi7"), QStringLiteral("Delphi2006")});
    files.push_back(PackageProject(QStringLiteral("Delphi7"), QStringLiteral("NvQueryBuilderADOD7.dpk")));
    files.push_back(PackageProject(QStringLiteral("Delphi7"), QStringLiteral("NvQueryBuilderDsgnADOD7.dpk")));
    files.push_back({QStringLiteral("Delphi2007/nvQueryBuilderD11.bpl"), "built for BDS 2007"});
    files.push_back({QStringLiteral("Readme.1st"), "read me"});
    distribution.WriteArchive(files);
    const QMap<QString, QByteArray> before = MachineSnapshot(machine);

    {
        TInstallData data(distribution.Folder());
        InstallIntoEveryIDE(data);
        data.StartMenuFolderName = QStringLiteral("Custom/NQB Tools");
        TCompiler compiler(data);
        ASSERT_TRUE(compiler.Install()) << Text(compiler.LogLines());
    }
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    ASSERT_TRUE(QFileInfo(dir + QLatin1String("/Delphi7/NvQueryBuilderDsgnADOD7.bpl")).isFile());
    ASSERT_TRUE(QFileInfo(machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderD10.bpl"))).isFile());
    {
        TRegistry reg(HKCU);
        ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\Borland\\BDS\\4.0\\CppPaths")));
        ASSERT_EQ(reg.ReadString(QStringLiteral("SearchPath")), QStringLiteral("$(BDS)/lib;%1/Delphi2006").arg(dir));
    }

    bool result = false;
    const QStringList log = Uninstall(distribution, result);
    EXPECT_TRUE(result) << Text(log);
    QString missing;
    EXPECT_TRUE(ContainsInOrder(log,
                                {QStringLiteral("Uninstall from IDEs..."), QStringLiteral("Delphi 7.0 (Enterprise)"),
                                 QStringLiteral("Uninstall from IDE:Delphi 7.0 (Enterprise)"),
                                 QStringLiteral("Uninstalling packages: Norvane Query Builder Component ADO Connectivity"),
                                 QStringLiteral("Uninstalling package: NvQueryBuilderDsgnADOD7.bpl"),
                                 QStringLiteral("  removing from Known Packages: NvQueryBuilderDsgnADOD7.bpl"),
                                 QStringLiteral("Uninstalling package: nvQueryBuilderDsgnD7.bpl"),
                                 QStringLiteral("  removing from Known Packages: nvQueryBuilderDsgnD7.bpl"),
                                 QStringLiteral("Uninstalling package: nvQueryBuilderD7.bpl"),
                                 QStringLiteral("  remove file: %1").arg(machine.Path(QStringLiteral("Windows/System32/nvQueryBuilderD7.bpl"))),
                                 QStringLiteral("Completed"), QStringLiteral("Uninstall from IDE:Borland Developer Studio 2006 (Enterprise)"),
                                 QStringLiteral("Delete component files..."), QStringLiteral("...Delphi2007"),
                                 QStringLiteral("Delete start menu group..."), QStringLiteral("Completed"),
                                 QStringLiteral("Delete Start menu Program Folder..."), QStringLiteral("Completed"), QString(),
                                 QStringLiteral("Uninstall completed. Press Finish to exit installation.")},
                                &missing))
        << missing.toStdString() << "\n" << Text(log);

    // What stays on purpose: the maker's empty folder and key, which other
    // products of the maker may share.
    EXPECT_EQ(SnapshotDifferences(before, MachineSnapshot(machine)),
              (QStringList{QStringLiteral("+ HKLM\\SOFTWARE\\Tellwright"), QStringLiteral("+ Program Files/Tellwright")}));
}

TEST(UninstallRun, APackageListedTwiceLosesOnlyItsFirstEntry)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    const QString known = QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0\\Known Packages");
    machine.SetString(HKCU, known, QStringLiteral("/old/nvQueryBuilderDsgnD7.bpl"), QStringLiteral("old"));
    machine.SetString(HKCU, known, QStringLiteral("/new/NVQUERYBUILDERDSGND7.BPL"), QStringLiteral("new"));
    const QString copy = machine.WriteFile(QStringLiteral("Windows/System32/nvQueryBuilderD7.bpl"), "old copy");
    machine.SetDword(HKLM, Record + QLatin1String("\\Delphi 7.0 (Enterprise)"), QStringLiteral("Installed"), 1);
    TTestDistribution distribution(machine, false, false);

    TInstallData data(distribution.Folder());
    TCompiler compiler(data);
    EXPECT_TRUE(compiler.UninstallTarget(*data.TargetOptions().Items(0)));
    EXPECT_EQ(compiler.LogLines().count(QStringLiteral("  removing from Known Packages: nvQueryBuilderDsgnD7.bpl")), 1);
    EXPECT_TRUE(compiler.LogLines().contains(QLatin1String("  remove file: ") + copy)) << Text(compiler.LogLines());
    EXPECT_FALSE(QFileInfo::exists(copy));
    TRegistry reg(HKCU);
    ASSERT_TRUE(reg.OpenKeyReadOnly(known));
    EXPECT_EQ(reg.GetValueNames(),
              (QStringList{QStringLiteral("$(DELPHI)/Bin/dcldb70.bpl"), QStringLiteral("$(DELPHI)/Bin/dclado70.bpl"),
                           QStringLiteral("/new/NVQUERYBUILDERDSGND7.BPL")}));
    EXPECT_FALSE(TRegistry(HKLM).KeyExists(Record + QLatin1String("\\Delphi 7.0 (Enterprise)")));
}

TEST(UninstallRun, ARecordThatNamesNoProductFolderDeletesNothingThereAndFails)
{
    TTestMachine machine;
    AddWindows(machine);
    TTestDistribution distribution(machine, false, false);
    // The machine's root (a Windows drive), the user's documents and a folder
    // without the product's marker, each holding files of the product's names.
    AddProductFiles(machine, machine.Folder(), true);
    AddProductFiles(machine, machine.Path(QStringLiteral("Documents")), true);
    AddProductFiles(machine, machine.Path(QStringLiteral("Program Files/Other")), false);
    const QStringList folders{QStringLiteral("/"), machine.Folder(), machine.Path(QStringLiteral("Documents")),
                              machine.Path(QStringLiteral("Program Files/Other"))};
    for (const QString &folder : folders) {
        RecordInstallation(machine, folder);
        const QMap<QString, QByteArray> before = MachineSnapshot(machine);
        bool result = false;
        const QStringList log = Uninstall(distribution, result);
        // Not a complete uninstall: the files are still there, and so is the
        // record that names them.
        EXPECT_FALSE(result) << Text(log);
        const QString reason = folder.endsWith(QLatin1String("Other"))
            ? QStringLiteral("does not hold the file \"Uninstall/version\"")
            : QStringLiteral("is a root or special folder");
        EXPECT_TRUE(log.contains(
            QStringLiteral("Error: The install folder \"%1\" %2; nothing in it is deleted.").arg(folder, reason)))
            << Text(log);
        if (folder != QLatin1String("/")) {
            EXPECT_TRUE(log.contains(
                QStringLiteral("  skipped deleting \"%1/Help\": the install folder \"%1\" %2").arg(folder, reason)))
                << Text(log);
        }
        EXPECT_EQ(ReadValue(HKLM, Record, QStringLiteral("InstallDir")), folder);
        // Only the product's own shortcut is gone; the emptied Start-menu
        // folder goes, the Programs folder stays.
        EXPECT_EQ(SnapshotDifferences(before, MachineSnapshot(machine)),
                  (QStringList{QStringLiteral("- Start Menu/Programs/NQB"),
                               QStringLiteral("- Start Menu/Programs/NQB/Norvane Query Builder Help.lnk")}))
            << folder.toStdString();
    }
}

TEST(UninstallRun, WhatCannotBeDeletedFailsTheRunAndTheNextUninstallFinishesTheJob)
{
    const struct {
        const char *Name;
        QString Paths; // that cannot be deleted
        QString Kinds;
        QString Error;
    } cases[] = {
        {"the run-time package in the system folder", QStringLiteral("*/Windows/System32/nvQueryBuilderD7.bpl"),
         QStringLiteral("unlink"),
         QStringLiteral("Error: Cannot delete \"%1/Windows/System32/nvQueryBuilderD7.bpl\": Permission denied")},
        {"a file in the install folder", QStringLiteral("*/Norvane Query Builder/Help/NvQB.HLP"), QStringLiteral("unlink"),
         QStringLiteral("Error: Cannot delete the folder \"%1/Program Files/Tellwright/Norvane Query Builder/Help\" completely")},
        {"the Start-menu folder", QStringLiteral("*/Start Menu/Programs/Tellwright/Norvane Query Builder VCL Edition"),
         QStringLiteral("rmdir"),
         QStringLiteral("Error: Cannot remove the folder \"%1/Start Menu/Programs/Tellwright/Norvane Query Builder VCL "
                        "Edition\": Permission denied")},
    };
    for (const auto &undeletable : cases) {
        SCOPED_TRACE(undeletable.Name);
        TTestMachine machine;
        AddWindows(machine);
        AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
        TTestDistribution distribution(machine, true, false);
        distribution.WriteArchive(ComponentFilesWithADO(QStringLiteral("Delphi7")));
        const QMap<QString, QByteArray> pristine = MachineSnapshot(machine);
        ASSERT_NO_FATAL_FAILURE(InstallEverywhere(distribution));
        const QString root = QFileInfo(machine.Folder()).absolutePath();
        const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));

        // Started from the system's list of programs, as users do.
        TFaultPlan plan;
        plan.FailPaths = undeletable.Paths;
        plan.Kinds = undeletable.Kinds;
        const TFaultRun failed = RunSetupRobot(dir + QLatin1String("/Uninstall"), QStringLiteral("uninstall"), root, plan);
        EXPECT_GE(failed.Faults, 1u) << Text(failed.Output);
        EXPECT_EQ(failed.ExitCode, 1) << Text(failed.Output);
        EXPECT_EQ(failed.Finish(), QStringLiteral("Norvane Query Builder uninstall completed with errors. See Setup Log "
                                                  "for additional information."));
        EXPECT_TRUE(failed.Log().contains(undeletable.Error.arg(machine.Folder()))) << Text(failed.Log());
        // What lets the next uninstall finish stays.
        EXPECT_EQ(ReadValue(HKLM, Record, QStringLiteral("InstallDir")), dir);
        EXPECT_TRUE(QFileInfo(dir + QLatin1String("/Uninstall/version")).isFile());
        EXPECT_TRUE(QFileInfo(dir + QLatin1String("/Uninstall/setup.exe")).isFile());
        EXPECT_EQ(ReadValue(HKLM, UninstallEntryKey, QStringLiteral("UninstallString")),
                  dir + QLatin1String("/Uninstall/setup.exe"));

        const TFaultRun next = RunSetupRobot(dir + QLatin1String("/Uninstall"), QStringLiteral("uninstall"), root);
        EXPECT_EQ(next.ExitCode, 0) << Text(next.Output);
        EXPECT_EQ(SnapshotDifferences(pristine, MachineSnapshot(machine)),
                  (QStringList{QStringLiteral("+ HKLM\\SOFTWARE\\Tellwright"), QStringLiteral("+ Program Files/Tellwright")}));
    }
}

TEST(UninstallRun, WhatKilledWritersOfTheProductLeftGoesWithIt)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFilesWithADO(QStringLiteral("Delphi7")));
    const QMap<QString, QByteArray> pristine = MachineSnapshot(machine);
    ASSERT_NO_FATAL_FAILURE(InstallEverywhere(distribution));
    // A maintenance run killed while it wrote its log and a shortcut leaves
    // their temporary files, which no writer holds any more.
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    const QString startMenu = machine.Path(QStringLiteral("Start Menu/Programs/Tellwright/Norvane Query Builder VCL Edition"));
    machine.WriteFile(dir + QLatin1String("/setup.log.a1B2c3"), "Installing NorvaneQueryBuilder v. 1.3.0\r\n");
    machine.WriteFile(startMenu + QLatin1String("/Norvane Query Builder Help.lnk.Zz9Yy8"), "Target=");

    bool result = false;
    const QStringList log = Uninstall(distribution, result);
    EXPECT_TRUE(result) << Text(log);
    EXPECT_EQ(SnapshotDifferences(pristine, MachineSnapshot(machine)),
              (QStringList{QStringLiteral("+ HKLM\\SOFTWARE\\Tellwright"), QStringLiteral("+ Program Files/Tellwright")}));
}
