// The machine folder: special folders, environment and locale, shell links,
// resource modules, file-name case and running programs.
#include "TestMachine.h"
#include "common/Eventually.h"
#include "installer/platform/FileNames.h"
#include "installer/platform/Machine.h"
#include "installer/platform/MachineEnvironment.h"
#include "installer/platform/MachineLocale.h"
#include "installer/platform/ProcessList.h"
#include "installer/platform/ResourceModule.h"
#include "installer/platform/SetupError.h"
#include "installer/platform/ShellLink.h"
#include "installer/platform/ShellOpen.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace nvqb;
using nvqb::test::TTestMachine;

TEST(Machine, SpecialFoldersAreNamedBelowTheMachineFolder)
{
    {
        TTestMachine machine;
        EXPECT_EQ(RequireMachineFolder(), machine.Folder());
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::System), machine.Path(QStringLiteral("Windows/System32")));
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::Programs), machine.Path(QStringLiteral("Start Menu/Programs")));
        EXPECT_FALSE(QFileInfo::exists(GetSpecialFolder(TSpecialFolder::Temp))); // named, not made
        qputenv("NVQB_MACHINE", QFile::encodeName(machine.Path(QStringLiteral("missing"))));
        EXPECT_THROW(RequireMachineFolder(), ESetupError);
    }
    qunsetenv("NVQB_MACHINE");
    EXPECT_EQ(GetSpecialFolder(TSpecialFolder::System), QString());
    try {
        RequireMachineFolder();
        ADD_FAILURE();
    } catch (const ESetupError &e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("NVQB_MACHINE"))) << e.Message().toStdString();
    }
}

TEST(Machine, EnvironmentAndLocaleComeFromTheRegistry)
{
    TTestMachine machine;
    const QString systemKey = QStringLiteral("\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("Path")),
              machine.Path(QStringLiteral("Windows/System32")) + QLatin1Char(';') + machine.Path(QStringLiteral("Windows")));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("HOME")), QString()); // not the real process's
    machine.SetString(TRootKey::HKEY_LOCAL_MACHINE, systemKey, QStringLiteral("PATH"), QStringLiteral("/s1;/s2"));
    machine.SetString(TRootKey::HKEY_LOCAL_MACHINE, systemKey, QStringLiteral("Both"), QStringLiteral("system"));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("path")), QStringLiteral("/s1;/s2"));
    machine.SetString(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\Environment"), QStringLiteral("Path"), QStringLiteral("/u"));
    machine.SetString(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\Environment"), QStringLiteral("BOTH"), QStringLiteral("user"));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("PATH")), QStringLiteral("/s1;/s2;/u"));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("both")), QStringLiteral("user"));

    EXPECT_EQ(ThreadLanguageAbbreviation(), QStringLiteral("ENU"));
    machine.SetString(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\Control Panel\\International"),
                      QStringLiteral("sLanguage"), QStringLiteral("deu"));
    EXPECT_EQ(ThreadLanguageAbbreviation(), QStringLiteral("DEU"));
}

TEST(Machine, ShellLinksAndShellOpen)
{
    TTestMachine machine;
    const QString link = machine.Path(QStringLiteral("Start Menu/Programs/Group/Norvane Query Builder Help.lnk"));
    CreateShellLink(link, {QStringLiteral("/m/Help/NvQB.HLP"), QString()});
    EXPECT_EQ(machine.ReadFile(link), QByteArray("Target=/m/Help/NvQB.HLP\nWorkingDirectory=\n"));
    CreateShellLink(link, {QStringLiteral("/m/Demos/DemoApp/NQBDemo.dpr"), QStringLiteral("/m/Demos/DemoApp")});
    const std::optional<TShellLink> read = ReadShellLink(link);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Target, QStringLiteral("/m/Demos/DemoApp/NQBDemo.dpr"));
    EXPECT_EQ(read->WorkingDirectory, QStringLiteral("/m/Demos/DemoApp"));
    EXPECT_FALSE(ReadShellLink(machine.WriteFile(QStringLiteral("other.lnk"), "no link\n")));

    ClearShellOpenHistory();
    const QString log = machine.Path(QStringLiteral("../shell.log"));
    qputenv("NVQB_SHELL_LOG", QFile::encodeName(log));
    ShellOpen(QStringLiteral("https://example.org/"));
    qunsetenv("NVQB_SHELL_LOG");
    EXPECT_EQ(ShellOpenHistory(), QStringList{QStringLiteral("https://example.org/")});
    EXPECT_EQ(machine.ReadFile(log), QByteArray("open https://example.org/\n"));
}

TEST(Machine, ResourceModulesAreTextTables)
{
    TTestMachine machine;
    const QString file = machine.WriteFile(QStringLiteral("coreide100.ENU"),
                                           "; strings\r\n65400=Meine Projekte\r\n\r\nbad line\r\n 7 = seven \n");
    const std::unique_ptr<TResourceModule> module = TResourceModule::Load(file);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->LoadString(65400), QStringLiteral("Meine Projekte"));
    EXPECT_EQ(module->LoadString(7), QStringLiteral(" seven "));
    EXPECT_EQ(module->LoadString(1), QString());
    EXPECT_FALSE(TResourceModule::Load(machine.Path(QStringLiteral("coreide100.DEU"))));
}

TEST(Machine, PathsAreResolvedWithoutRegardToCase)
{
    TTestMachine machine;
    const QString file = machine.WriteFile(QStringLiteral("Program Files/Borland/Delphi7/bin/dcc32.exe"), "x");
    EXPECT_EQ(ResolvePathCase(machine.Path(QStringLiteral("PROGRAM FILES/borland/DELPHI7/BIN/DCC32.EXE"))), file);
    EXPECT_EQ(ResolvePathCase(file), file);
    // What does not exist keeps its spelling below what was found.
    EXPECT_EQ(ResolvePathCase(machine.Path(QStringLiteral("Program Files/Borland/Delphi7/Bin/make.exe"))),
              machine.Path(QStringLiteral("Program Files/Borland/Delphi7/bin/make.exe")));
    EXPECT_EQ(ExcludeTrailingPathDelimiter(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(ExtractFileBaseName(QStringLiteral("/x/a.b.bpl")), QStringLiteral("a.b"));
}

TEST(Machine, AnIDEIsRunningWhenAProcessRunsItsProgramFile)
{
    TTestMachine machine;
    const QString ide = machine.InstallTool(machine.Path(QStringLiteral("Program Files/Borland/Delphi7/Bin/delphi32.exe")));
    const QString twin = machine.InstallTool(machine.Path(QStringLiteral("Other/delphi32.exe")));
    EXPECT_FALSE(IsProgramRunning(ide));
    QProcess process;
    process.start(ide, QStringList());
    ASSERT_TRUE(process.waitForStarted(test::ProcessTimeoutMs));
    EXPECT_TRUE(IsProgramRunning(ide));
    EXPECT_TRUE(IsProgramRunning(machine.Path(QStringLiteral("Program Files/Borland/DELPHI7/Bin/../Bin/Delphi32.EXE"))));
    EXPECT_FALSE(IsProgramRunning(twin)); // same name, other program file
    process.kill();
    ASSERT_TRUE(process.waitForFinished(test::ProcessTimeoutMs));
    EXPECT_FALSE(IsProgramRunning(ide));
}
