// The machine folder: special folders, environment, language, shell links,
// resource modules, file names, running programs and atomic files.
#include "TestMachine.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/FileNames.h"
#include "installer/platform/Machine.h"
#include "installer/platform/MachineEnvironment.h"
#include "installer/platform/MachineLocale.h"
#include "installer/platform/ProcessList.h"
#include "installer/platform/ResourceModule.h"
#include "installer/platform/SetupError.h"
#include "installer/platform/ShellLink.h"
#include "installer/platform/ShellOpen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace nvqb;
using nvqb::test::TTestMachine;

TEST(Machine, SpecialFoldersLieInTheMachineFolder)
{
    {
        TTestMachine machine;
        EXPECT_EQ(MachineFolder(), machine.Folder());
        EXPECT_EQ(RequireMachineFolder(), machine.Folder());
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::ProgramFiles), machine.Path(QStringLiteral("Program Files")));
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::System), machine.Path(QStringLiteral("Windows/System32")));
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::Windows), machine.Path(QStringLiteral("Windows")));
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::Programs), machine.Path(QStringLiteral("Start Menu/Programs")));
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::Personal), machine.Path(QStringLiteral("Documents")));
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::CommonDocuments), machine.Path(QStringLiteral("Common Documents")));
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::AppData), machine.Path(QStringLiteral("Application Data")));
        EXPECT_EQ(GetSpecialFolder(TSpecialFolder::Temp), machine.Path(QStringLiteral("Temp")));
        // Named, not made.
        EXPECT_FALSE(QFileInfo::exists(GetSpecialFolder(TSpecialFolder::Temp)));

        qputenv("NVQB_MACHINE", QFile::encodeName(machine.Path(QStringLiteral("missing"))));
        try {
            RequireMachineFolder();
            ADD_FAILURE();
        } catch (const ESetupError &e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String("does not exist"))) << e.Message().toStdString();
        }
    }
    qunsetenv("NVQB_MACHINE");
    EXPECT_EQ(GetSpecialFolder(TSpecialFolder::System), QString());
    EXPECT_THROW(RequireMachineFolder(), ESetupError);
}

TEST(Machine, EnvironmentVariablesComeFromTheRegistry)
{
    TTestMachine machine;
    const QString systemKey = QStringLiteral("\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("Path")),
              machine.Path(QStringLiteral("Windows/System32")) + QLatin1Char(';') + machine.Path(QStringLiteral("Windows")));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("HOME")), QString()); // not the real process's

    machine.SetString(TRootKey::HKEY_LOCAL_MACHINE, systemKey, QStringLiteral("PATH"), QStringLiteral("/s1;/s2"));
    machine.SetString(TRootKey::HKEY_LOCAL_MACHINE, systemKey, QStringLiteral("Both"), QStringLiteral("system"));
    machine.SetString(TRootKey::HKEY_LOCAL_MACHINE, systemKey, QStringLiteral("SystemOnly"), QStringLiteral("s"));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("path")), QStringLiteral("/s1;/s2"));
    machine.SetString(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\Environment"), QStringLiteral("Path"), QStringLiteral("/u"));
    machine.SetString(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\Environment"), QStringLiteral("BOTH"), QStringLiteral("user"));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("PATH")), QStringLiteral("/s1;/s2;/u"));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("both")), QStringLiteral("user"));
    EXPECT_EQ(GetMachineEnvironmentVariable(QStringLiteral("SystemOnly")), QStringLiteral("s"));
}

TEST(Machine, LanguageAbbreviation)
{
    TTestMachine machine;
    EXPECT_EQ(ThreadLanguageAbbreviation(), QStringLiteral("ENU"));
    machine.SetString(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\Control Panel\\International"),
                      QStringLiteral("sLanguage"), QStringLiteral("deu"));
    EXPECT_EQ(ThreadLanguageAbbreviation(), QStringLiteral("DEU"));
    EXPECT_EQ(OemCodePage(), 850);
}

TEST(Machine, ShellLinksAreSmallKeyValueFiles)
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
    EXPECT_FALSE(ReadShellLink(machine.Path(QStringLiteral("missing.lnk"))));

    ClearShellOpenHistory();
    const QString log = machine.Path(QStringLiteral("../shell.log"));
    qputenv("NVQB_SHELL_LOG", QFile::encodeName(log));
    ShellOpen(QStringLiteral("https://example.org/"));
    ShellOpen(machine.Path(QStringLiteral("Start Menu/Programs/Group")));
    qunsetenv("NVQB_SHELL_LOG");
    EXPECT_EQ(ShellOpenHistory(),
              (QStringList{QStringLiteral("https://example.org/"), machine.Path(QStringLiteral("Start Menu/Programs/Group"))}));
    EXPECT_EQ(machine.ReadFile(log), (QLatin1String("open https://example.org/\nopen ")
                                      + machine.Path(QStringLiteral("Start Menu/Programs/Group")) + QLatin1Char('\n'))
                                         .toUtf8());
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
    EXPECT_FALSE(TResourceModule::Load(machine.Folder()));
}

TEST(Machine, FileNames)
{
    EXPECT_EQ(ExcludeTrailingPathDelimiter(QStringLiteral("/a/b/")), QStringLiteral("/a/b"));
    EXPECT_EQ(ExcludeTrailingPathDelimiter(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(IncludeTrailingPathDelimiter(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(ExtractFileName(QStringLiteral("$(DELPHI)/Bin/dclado70.bpl")), QStringLiteral("dclado70.bpl"));
    EXPECT_EQ(ExtractFileBaseName(QStringLiteral("/x/nvQueryBuilderD7.bpl")), QStringLiteral("nvQueryBuilderD7"));
    EXPECT_EQ(ExtractFileBaseName(QStringLiteral("a.b.bpl")), QStringLiteral("a.b"));

    TTestMachine machine;
    const QString file = machine.WriteFile(QStringLiteral("Program Files/Borland/Delphi7/bin/dcc32.exe"), "x");
    EXPECT_EQ(ResolvePathCase(machine.Path(QStringLiteral("Program Files/Borland/Delphi7/Bin/dcc32.exe"))), file);
    EXPECT_EQ(ResolvePathCase(machine.Path(QStringLiteral("PROGRAM FILES/borland/DELPHI7/BIN/DCC32.EXE"))), file);
    EXPECT_EQ(ResolvePathCase(file), file);
    EXPECT_EQ(ResolvePathCase(machine.Path(QStringLiteral("Program Files/Borland/Delphi7/Bin/make.exe"))),
              machine.Path(QStringLiteral("Program Files/Borland/Delphi7/bin/make.exe")));
    EXPECT_EQ(ResolvePathCase(machine.Path(QStringLiteral("program files/None/Bin"))),
              machine.Path(QStringLiteral("Program Files/None/Bin")));
}

TEST(Machine, AtomicWritesKeepTheFileMode)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("sub/file.txt"));
    WriteFileAtomically(file, "one");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    WriteFileAtomically(file, "two");
    QFile read(file);
    ASSERT_TRUE(read.open(QIODevice::ReadOnly));
    EXPECT_EQ(read.readAll(), QByteArray("two"));
    EXPECT_TRUE(QFile::permissions(file) & QFile::ExeOwner);
    EXPECT_EQ(QDir(folder.filePath(QStringLiteral("sub"))).entryList(QDir::Files), QStringList{QStringLiteral("file.txt")});
    EXPECT_THROW(WriteFileAtomically(folder.filePath(QStringLiteral("sub/file.txt/x")), "x"), EOSError);
}

TEST(Machine, AnIDEIsRunningWhenAProcessRunsItsProgramFile)
{
    TTestMachine machine;
    const QString ide = machine.InstallTool(machine.Path(QStringLiteral("Program Files/Borland/Delphi7/Bin/delphi32.exe")));
    const QString twin = machine.InstallTool(machine.Path(QStringLiteral("Other/delphi32.exe")));
    EXPECT_FALSE(IsProgramRunning(ide));

    QProcess process;
    process.start(ide, QStringList());
    ASSERT_TRUE(process.waitForStarted());
    EXPECT_TRUE(IsProgramRunning(ide));
    EXPECT_TRUE(IsProgramRunning(machine.Path(QStringLiteral("Program Files/Borland/DELPHI7/Bin/Delphi32.EXE"))));
    EXPECT_TRUE(IsProgramRunning(machine.Path(QStringLiteral("Program Files/Borland/Delphi7/Bin/../Bin/delphi32.exe"))));
    EXPECT_FALSE(IsProgramRunning(twin));
    EXPECT_FALSE(IsProgramRunning(QString()));
    process.kill();
    process.waitForFinished();
    EXPECT_FALSE(IsProgramRunning(ide));
}
