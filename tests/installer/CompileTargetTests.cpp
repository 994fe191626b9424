// IDE detection: which IDEs become targets, what is read from their keys and
// option files, path lists and directory macros, and what is written back.
#include "TestMachine.h"
#include "installer/BDSVersions.h"
#include "installer/CmdOptions.h"
#include "installer/CompileTargetList.h"
#include "installer/EnvOptionsProject.h"
#include "installer/PathList.h"
#include "installer/platform/SetupError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace nvqb;
using nvqb::test::TTestMachine;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;

QStringList DisplayNames(const TCompileTargetList &list)
{
    QStringList names;
    for (const auto &target : list)
        names += target->DisplayName();
    return names;
}

QStringList DisplayNames(std::initializer_list<const char *> parameters)
{
    QStringList args;
    for (const char *p : parameters)
        args += QString::fromUtf8(p);
    TCmdOptions options(args);
    return DisplayNames(TCompileTargetList(options));
}

QString ReadValue(TRootKey root, const QString &key, const QString &name)
{
    TRegistry reg(root);
    return reg.OpenKeyReadOnly(key) ? reg.ReadString(name) : QStringLiteral("<no key>");
}

const QString Delphi7User = QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0");

} // namespace

TEST(IDEDetection, Delphi7WithRootAppEditionAndUserKeyIsOneTarget)
{
    TTestMachine machine;
    const QString root = machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("7.0"), QStringLiteral("Delphi7"),
                                        QStringLiteral("delphi32.exe"), QStringLiteral("Enterprise"));
    TCmdOptions options{QStringList()};
    TCompileTargetList list(options);
    ASSERT_EQ(list.Count(), 1);
    const TCompileTarget &d7 = *list.Items(0);
    EXPECT_EQ(d7.DisplayName(), QStringLiteral("Delphi 7.0 (Enterprise)"));
    EXPECT_EQ(d7.ProductKey(), QStringLiteral("Delphi"));
    EXPECT_EQ(d7.MajorVersion(), 7);
    EXPECT_EQ(d7.DisplayVersionNumber(), 7);
    EXPECT_EQ(d7.RootDir(), root); // without the trailing "/"
    EXPECT_EQ(d7.MachineKey(), QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0"));
    EXPECT_EQ(d7.UserKey(), Delphi7User);
    EXPECT_TRUE(d7.IsDelphi());
    EXPECT_FALSE(d7.IsBCB());
    EXPECT_FALSE(d7.IsBDS());
    EXPECT_EQ(d7.Personalities(), int(bpDelphiWin32));
    EXPECT_EQ(d7.ProductVersion(), QStringLiteral("7.0"));
    EXPECT_EQ(d7.GetProjectsDir(), root + QLatin1String("/Projects"));
    // The registry path names got their defaults.
    EXPECT_EQ(options.DelphiRegistryPath, QStringLiteral("Delphi"));
    EXPECT_EQ(options.BCBRegistryPath, QStringLiteral("C++Builder"));
    EXPECT_EQ(options.BDSRegistryPath, QStringLiteral("BDS"));
}

TEST(IDEDetection, KeysThatAreNoInstalledIDEGiveNoTarget)
{
    TTestMachine machine;
    EXPECT_EQ(DisplayNames({}), QStringList()); // no Borland key at all
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("delphi32.exe"),
                   QStringLiteral("Enterprise"));
    // No user key.
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\6.0"), QStringLiteral("RootDir"), machine.Folder());
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\6.0"), QStringLiteral("App"),
                      machine.Path(QStringLiteral("Program Files/Borland/Delphi7/Bin/delphi32.exe")));
    // The IDE program is missing.
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("5.0"), QStringLiteral("Delphi5"), QStringLiteral("delphi32.exe"),
                   QStringLiteral("Pro"));
    QFile::remove(machine.Path(QStringLiteral("Program Files/Borland/Delphi5/Bin/delphi32.exe")));
    // No root folder.
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("4.0"), QStringLiteral("Delphi4"), QStringLiteral("delphi32.exe"),
                   QStringLiteral("Pro"));
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\4.0"), QStringLiteral("RootDir"), QString());
    // Not a version: no digit 1 to 9 first.
    for (const char *key : {"0.5", "Globals", "x7.0"}) {
        const QString version = QString::fromUtf8(key);
        machine.AddIDE(QStringLiteral("Delphi"), version, QStringLiteral("D") + version, QStringLiteral("delphi32.exe"),
                       QStringLiteral("Pro"));
    }
    EXPECT_EQ(DisplayNames({}), QStringList{QStringLiteral("Delphi 7.0 (Enterprise)")});
}

TEST(IDEDetection, BDSVersionsOneTwoAndSixAreIgnored)
{
    TTestMachine machine;
    for (const char *version : {"1.0", "2.0", "3.0", "4.0", "5.0", "6.0"})
        machine.AddIDE(QStringLiteral("BDS"), QString::fromUtf8(version), QStringLiteral("BDS") + QString::fromUtf8(version),
                       QStringLiteral("bds.exe"), version[0] == '5' ? QString() : QStringLiteral("Enterprise"));
    EXPECT_EQ(DisplayNames({}), (QStringList{QStringLiteral("Delphi 2005 (Enterprise)"),
                                             QStringLiteral("Borland Developer Studio 2006 (Enterprise)"),
                                             QStringLiteral("Codegear Delphi for Win32 2007 ()")}));
    TCmdOptions options{QStringList()};
    TCompileTargetList list(options);
    const TCompileTarget &bds2006 = *list.Items(1);
    EXPECT_EQ(bds2006.DisplayVersionNumber(), 10);
    EXPECT_EQ(bds2006.DisplayVersionText(), QStringLiteral("2006"));
    EXPECT_TRUE(bds2006.IsBDS());
    EXPECT_FALSE(bds2006.IsDelphi()); // by its display name
    EXPECT_TRUE(list.Items(0)->IsDelphi());
    EXPECT_EQ(BDSVersionInfo(6), nullptr);
    EXPECT_FALSE(BDSVersionInfo(2)->Usable);
    // --ignore-delphi also hides BDS.
    EXPECT_EQ(DisplayNames({"--ignore-delphi"}), QStringList());
}

TEST(IDEDetection, RegistryPathNamesOfTheCommandLine)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("C++Builder"), QStringLiteral("6.0"), QStringLiteral("CBuilder6"),
                   QStringLiteral("bcb.exe"), QStringLiteral("Enterprise"), QStringLiteral("CB6X"));
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("delphi32.exe"),
                   QStringLiteral("Personal"));
    EXPECT_EQ(DisplayNames({}), QStringList{QStringLiteral("Delphi 7.0 (Personal)")});
    EXPECT_EQ(DisplayNames({"-rBCB=CB6X"}),
              (QStringList{QStringLiteral("Delphi 7.0 (Personal)"), QStringLiteral("C++Builder 6.0 (Enterprise)")}));
    EXPECT_EQ(DisplayNames({"-rBCB=CB6X", "--ignore-bcb"}), QStringList{QStringLiteral("Delphi 7.0 (Personal)")});
    EXPECT_EQ(DisplayNames({"-rBCB=CB6X", "--ignore-delphi"}), QStringList{QStringLiteral("C++Builder 6.0 (Enterprise)")});

    TCmdOptions options{QStringList{QStringLiteral("-rBCB=CB6X")}};
    TCompileTargetList list(options);
    const TCompileTarget &bcb = *list.Items(1);
    EXPECT_EQ(bcb.UserKey(), QStringLiteral("\\SOFTWARE\\Borland\\CB6X\\6.0"));
    EXPECT_EQ(bcb.MachineKey(), QStringLiteral("\\SOFTWARE\\Borland\\C++Builder\\6.0"));
    EXPECT_TRUE(bcb.IsBCB());
    EXPECT_EQ(bcb.Personalities(), int(bpBCB));
    EXPECT_EQ(bcb.InsertDirMacros(bcb.RootDir() + QLatin1String("/Lib")), QStringLiteral("$(BCB)/Lib"));
}

TEST(IDEDetection, MachineKeyEditionUpdatePacksAndProductVersion)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("6.0"), QStringLiteral("Delphi6"), QStringLiteral("delphi32.exe"),
                   QString());
    const QString key = QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\6.0");
    const auto d6 = [] {
        return std::make_unique<TCompileTarget>(QStringLiteral("Delphi"), QStringLiteral("Delphi"), QStringLiteral("6.0"));
    };
    EXPECT_EQ(d6()->Edition(), QStringLiteral("Pers"));
    EXPECT_EQ(d6()->ProductVersion(), QStringLiteral("6.0"));
    machine.SetString(HKLM, key, QStringLiteral("Version"), QStringLiteral("Turbo Explorer"));
    machine.SetString(HKLM, key, QStringLiteral("Update #1"), QString());
    machine.SetString(HKLM, key, QStringLiteral("Update #2"), QString());
    machine.SetString(HKLM, key, QStringLiteral("Pascal RTL Patch"), QString());
    EXPECT_EQ(d6()->Edition(), QStringLiteral("Turbo Explorer"));
    EXPECT_TRUE(d6()->IsTurboEdition());
    EXPECT_EQ(d6()->UpdatePack(), 2);
    EXPECT_EQ(d6()->RTLPatch(), 1);
    EXPECT_EQ(d6()->ProductVersion(), QStringLiteral("6.2"));
    machine.SetString(HKLM, key, QStringLiteral("Edition"), QStringLiteral("Professional"));
    machine.SetString(HKLM, key, QStringLiteral("Pascal RTL Patch #3"), QString());
    machine.SetString(HKLM, key, QStringLiteral("ProductVersion"), QStringLiteral("6.0.6.240"));
    EXPECT_EQ(d6()->Edition(), QStringLiteral("Professional"));
    EXPECT_EQ(d6()->RTLPatch(), 3);
    EXPECT_EQ(d6()->ProductVersion(), QStringLiteral("6.0.6.240"));

    machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("4.0"), QStringLiteral("BDS4"), QStringLiteral("bds.exe"),
                   QStringLiteral("Pro"));
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Borland\\BDS\\4.0"), QStringLiteral("UpdatePackInstalled"),
                      QStringLiteral("2"));
    const TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("4.0"));
    EXPECT_EQ(bds.ProductVersion(), QStringLiteral("10.2"));
}

TEST(PathLists, SplitAndJoin)
{
    EXPECT_EQ(SplitPathList(QStringLiteral(" \"/a/b/\" ; $(DELPHI)/Lib/ ;")),
              (QStringList{QStringLiteral("/a/b"), QStringLiteral("$(DELPHI)/Lib"), QString()}));
    EXPECT_EQ(JoinPathList(SplitPathList(QStringLiteral(" \"/a/b/\" ; $(DELPHI)/Lib/ ;"))), QStringLiteral("/a/b;$(DELPHI)/Lib;"));
    EXPECT_EQ(SplitPathList(QString()), QStringList());
    EXPECT_EQ(SplitPathList(QStringLiteral(";;")), (QStringList{QString(), QString(), QString()}));
    EXPECT_EQ(SplitPathList(QStringLiteral("\" /x/ \";/")), (QStringList{QStringLiteral("/x"), QStringLiteral("/")}));
}

TEST(IDESettings, UserKeyPathsPackagesAndEnvironment)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("delphi32.exe"),
                   QStringLiteral("Enterprise"));
    const QString library = Delphi7User + QLatin1String("\\Library");
    machine.SetString(HKCU, library, QStringLiteral("Search Path"), QStringLiteral(" \"/a/b/\" ; $(DELPHI)/Lib/ ;"));
    machine.SetString(HKCU, library, QStringLiteral("Browsing Path"), QStringLiteral("$(DELPHI)/Source/Vcl"));
    machine.SetString(HKCU, library, QStringLiteral("Package Search Path"), QStringLiteral("$(DELPHI)/Projects/Bpl"));
    machine.SetString(HKCU, library, QStringLiteral("Package DCP Output"), QStringLiteral("$(DELPHI)/Projects/Bpl"));
    machine.SetString(HKCU, library, QStringLiteral("Package DPL Output"), QStringLiteral("$(DELPHI)/Projects/Bpl"));
    machine.SetString(HKCU, library, QStringLiteral("Debug DCU Path"), QStringLiteral("$(DELPHI)/Lib/Debug"));
    machine.SetString(HKCU, Delphi7User + QLatin1String("\\Debugging"), QStringLiteral("Debug DCUs Path"),
                      QStringLiteral("/debug/one;/debug/two"));
    machine.SetString(HKCU, Delphi7User + QLatin1String("\\Environment Variables"), QStringLiteral("MYLIB"), QStringLiteral("/mylib"));
    machine.SetString(HKCU, Delphi7User + QLatin1String("\\Known Packages"), QStringLiteral("$(DELPHI)/Bin/dclado70.bpl"),
                      QStringLiteral("Borland ADO DB Components"));
    machine.SetString(HKCU, Delphi7User + QLatin1String("\\Known Packages"), QStringLiteral("/x/Other.bpl"), QString());
    machine.SetString(HKCU, Delphi7User + QLatin1String("\\Known IDE Packages"), QStringLiteral("$(DELPHI)/Bin/dcldb70.bpl"),
                      QStringLiteral("Database Components"));
    machine.SetString(HKCU, Delphi7User + QLatin1String("\\Known IDE Packages"), QStringLiteral("$(DELPHI)/Bin/DCLADO70.BPL"),
                      QStringLiteral("IDE copy"));
    machine.SetString(HKCU, Delphi7User + QLatin1String("\\Disabled Packages"), QStringLiteral("/x/Off.bpl"), QStringLiteral("Off"));

    TCompileTarget d7(QStringLiteral("Delphi"), QStringLiteral("Delphi"), QStringLiteral("7.0"));
    EXPECT_EQ(d7.LibrarySearchPaths(), (QStringList{QStringLiteral("/a/b"), QStringLiteral("$(DELPHI)/Lib"), QString()}));
    EXPECT_EQ(d7.BrowsingPaths(), QStringList{QStringLiteral("$(DELPHI)/Source/Vcl")});
    EXPECT_EQ(d7.PackageSearchPaths(), QStringList{QStringLiteral("$(DELPHI)/Projects/Bpl")});
    EXPECT_EQ(d7.DCPOutputDir(), QStringLiteral("$(DELPHI)/Projects/Bpl"));
    EXPECT_EQ(d7.DebugDCUPaths(), (QStringList{QStringLiteral("/debug/one"), QStringLiteral("/debug/two")})); // Debugging wins
    EXPECT_EQ(d7.EnvVars(), QStringList{QStringLiteral("MYLIB=/mylib")});

    ASSERT_EQ(d7.KnownPackages().Count(), 2);
    EXPECT_EQ(d7.KnownPackages().Items(1)->Description(), QStringLiteral("Other")); // file name without folder and extension
    EXPECT_EQ(d7.DisabledPackages().Items(0)->FileName(), QStringLiteral("/x/Off.bpl"));
    // Known IDE Packages first, file names compared without regard to case.
    EXPECT_EQ(d7.FindPackage(QStringLiteral("/elsewhere/DclAdo70.bpl"))->Description(), QStringLiteral("IDE copy"));
    EXPECT_EQ(d7.FindPackage(QStringLiteral("other.BPL"))->FileName(), QStringLiteral("/x/Other.bpl"));
    EXPECT_EQ(d7.FindPackage(QStringLiteral("Off.bpl")), nullptr); // disabled packages are not looked at
    EXPECT_EQ(d7.FindPackageByPrefix(QStringLiteral("DCLDB"))->Description(), QStringLiteral("Database Components"));
    EXPECT_EQ(d7.FindPackageByPrefix(QStringLiteral("Bin")), nullptr); // the folder is not part of the name
}

TEST(IDESettings, DirectoryMacros)
{
    TTestMachine machine;
    const QString root = machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("4.0"), QStringLiteral("BDS4"),
                                        QStringLiteral("bds.exe"), QStringLiteral("Pro"));
    machine.SetString(HKLM, QStringLiteral("\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"),
                      QStringLiteral("MACHINEVAR"), QStringLiteral("/machine-value"));
    TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("4.0"));
    const QString projects = machine.Path(QStringLiteral("Documents/Borland Studio Projects"));
    EXPECT_EQ(bds.GetProjectsDir(), projects);
    EXPECT_EQ(bds.GetCommonDir(), projects); // before BDS 5 the projects folder
    EXPECT_EQ(bds.ExpandDirMacros(QStringLiteral("$(BDS)/Lib;$(bds)/x;$(Delphi)/y")),
              root + QLatin1String("/Lib;") + root + QLatin1String("/x;") + root + QLatin1String("/y"));
    EXPECT_EQ(bds.ExpandDirMacros(QStringLiteral("$(BDSPROJECTSDIR)/Bpl")), projects + QLatin1String("/Bpl"));
    EXPECT_EQ(bds.ExpandDirMacros(QStringLiteral("$(MACHINEVAR)|$(NOSUCH)|$(unclosed")),
              QStringLiteral("/machine-value||$(unclosed"));
    EXPECT_EQ(bds.ExpandDirMacros(QStringLiteral("$(BDSCOMMONDIR)")), QString()); // only from BDS 5

    bds.EnvVars() += QStringLiteral("MachineVar=/ide-value");
    bds.EnvVars() += QStringLiteral("BDSPROJECTSDIR=$(BDS)/MyProjects");
    EXPECT_EQ(bds.ExpandDirMacros(QStringLiteral("$(MACHINEVAR)")), QStringLiteral("/ide-value"));
    EXPECT_EQ(bds.GetProjectsDir(), root + QLatin1String("/MyProjects"));
    EXPECT_EQ(bds.InsertDirMacros(root + QLatin1String("/Lib/x")), QStringLiteral("$(BDS)/Lib/x"));
    EXPECT_EQ(bds.InsertDirMacros(root.toUpper() + QLatin1String("/Lib")), QStringLiteral("$(BDS)/Lib"));
    EXPECT_EQ(bds.InsertDirMacros(root), root); // only a root folder followed by "/"
    EXPECT_EQ(bds.InsertDirMacros(root + QLatin1String("X/Lib")), root + QLatin1String("X/Lib"));

    // A folder variable that names its own macro ends at the default folder
    // instead of expanding for ever.
    bds.EnvVars().removeLast();
    bds.EnvVars() += QStringLiteral("BDSPROJECTSDIR=$(BDSPROJECTSDIR)/Sub");
    EXPECT_EQ(bds.GetProjectsDir(), projects + QLatin1String("/Sub"));
    EXPECT_EQ(bds.InsertDirMacros(projects + QLatin1String("/Sub/Pkg")), QStringLiteral("$(BDSPROJECTSDIR)/Pkg"));
}

TEST(IDESettings, BDS5FoldersFromTheResourceModuleAndEnvOptions)
{
    TTestMachine machine;
    const QString root = machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("5.0"), QStringLiteral("BDS5"),
                                        QStringLiteral("bds.exe"), QString());
    {
        TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
        EXPECT_EQ(bds.Edition(), QString());
        EXPECT_EQ(bds.DefaultProjectsDir(), machine.Path(QStringLiteral("Documents/RAD Studio/Projects")));
        EXPECT_EQ(bds.DefaultCommonDir(), machine.Path(QStringLiteral("Common Documents/RAD Studio/5.0")));
        EXPECT_EQ(bds.LibrarySearchPaths(), QStringList()); // no option file yet
        EXPECT_THROW(bds.SaveToRegistry(), ESetupError);
    }
    // The module with the two-letter language abbreviation, in a "bin" folder.
    QDir(root).rename(QStringLiteral("Bin"), QStringLiteral("bin"));
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Borland\\BDS\\5.0"), QStringLiteral("App"),
                      root + QLatin1String("/bin/bds.exe"));
    machine.SetString(HKCU, QStringLiteral("\\Control Panel\\International"), QStringLiteral("sLanguage"), QStringLiteral("DEU"));
    machine.WriteFile(root + QLatin1String("/bin/coreide100.DE"), "65500=Eigene Projekte\n65501=Gemeinsam\n");
    machine.WriteFile(root + QLatin1String("/bin/coreide100.EN"), "65500=English Projects\n");
    const QString envOptions = machine.WriteFile(
        QStringLiteral("Application Data/Borland/BDS/5.0/EnvOptions.proj"),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
        "  <PropertyGroup Condition=\"'$(Platform)'==''\">\n"
        "    <Win32DCPOutput>$(BDSCOMMONDIR)/Dcp</Win32DCPOutput>\n"
        "    <Win32DLLOutputPath>$(BDSCOMMONDIR)/Bpl</Win32DLLOutputPath>\n"
        "    <Win32BrowsingPath>$(BDS)/source/Win32/vcl/</Win32BrowsingPath>\n"
        "    <Win32LibraryPath>$(BDS)/lib;\"$(BDSCOMMONDIR)/Dcp\"</Win32LibraryPath>\n"
        "    <Win32DebugDCUPath>$(BDS)/lib/debug</Win32DebugDCUPath>\n"
        "    <KeepMe>unchanged</KeepMe>\n"
        "  </PropertyGroup>\n"
        "</Project>\n");
    TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
    ASSERT_TRUE(bds.IsValid());
    EXPECT_EQ(bds.DefaultProjectsDir(), machine.Path(QStringLiteral("Documents/Eigene Projekte")));
    const QString common = machine.Path(QStringLiteral("Common Documents/Gemeinsam/5.0"));
    EXPECT_EQ(bds.DefaultCommonDir(), common);
    EXPECT_EQ(bds.GetCommonDir(), common);
    EXPECT_EQ(bds.ExpandDirMacros(QStringLiteral("$(BDSCOMMONDIR)/Bpl")), common + QLatin1String("/Bpl"));
    EXPECT_EQ(bds.InsertDirMacros(common + QLatin1String("/Dcp")), QStringLiteral("$(BDSCOMMONDIR)/Dcp"));
    EXPECT_EQ(bds.DCPOutputDir(), QStringLiteral("$(BDSCOMMONDIR)/Dcp"));
    EXPECT_EQ(bds.BPLOutputDir(), QStringLiteral("$(BDSCOMMONDIR)/Bpl"));
    EXPECT_EQ(bds.PackageSearchPaths(), QStringList{QStringLiteral("$(BDSCOMMONDIR)/Bpl")});
    EXPECT_EQ(bds.BrowsingPaths(), QStringList{QStringLiteral("$(BDS)/source/Win32/vcl")});
    EXPECT_EQ(bds.LibrarySearchPaths(), (QStringList{QStringLiteral("$(BDS)/lib"), QStringLiteral("$(BDSCOMMONDIR)/Dcp")}));
    EXPECT_EQ(bds.DebugDCUPaths(), QStringList{QStringLiteral("$(BDS)/lib/debug")});

    bds.LibrarySearchPaths() += QStringLiteral("/nqb/Delphi2007");
    bds.BrowsingPaths() += QStringLiteral("/nqb/Sources");
    // What an install killed while it wrote the file left beside it goes
    // with the next write.
    const QString stale = machine.WriteFile(envOptions + QLatin1String(".k1LlEd"), "<Project>");
    bds.SaveToRegistry();
    EXPECT_FALSE(QFileInfo::exists(stale));
    TCompileTarget again(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
    EXPECT_EQ(again.LibrarySearchPaths(), (QStringList{QStringLiteral("$(BDS)/lib"), QStringLiteral("$(BDSCOMMONDIR)/Dcp"),
                                                       QStringLiteral("/nqb/Delphi2007")}));
    EXPECT_EQ(again.BrowsingPaths(), (QStringList{QStringLiteral("$(BDS)/source/Win32/vcl"), QStringLiteral("/nqb/Sources")}));
    const QString saved = QString::fromUtf8(machine.ReadFile(envOptions));
    EXPECT_TRUE(saved.contains(QLatin1String("<KeepMe>unchanged</KeepMe>")));
    EXPECT_TRUE(saved.contains(QLatin1String("Condition=\"'$(Platform)'==''\"")));
    EXPECT_TRUE(saved.contains(QLatin1String("xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"")));

    machine.WriteFile(envOptions, "<Project><PropertyGroup>\n<Win32LibraryPath>x</Win32Library>\n");
    try {
        TCompileTarget broken(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
        ADD_FAILURE();
    } catch (const ESetupError &e) {
        EXPECT_TRUE(e.Message().contains(envOptions)) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QLatin1String("line 2"))) << e.Message().toStdString();
    }
}

// The DOM reads and writes an option file recursively: one nested thousands
// of levels deep is refused before it is touched, when the IDE is read and
// when its paths are written back.
TEST(IDESettings, AnOptionFileNestedTooDeepIsRefusedAndLeftAsItIs)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("5.0"), QStringLiteral("BDS5"), QStringLiteral("bds.exe"), QString());
    const QByteArray plain = "<Project><PropertyGroup><Win32LibraryPath>$(BDS)/lib</Win32LibraryPath></PropertyGroup>";
    const QString file = machine.WriteFile(QStringLiteral("Application Data/Borland/BDS/5.0/EnvOptions.proj"),
                                           plain + "</Project>\n");
    TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
    ASSERT_EQ(bds.LibrarySearchPaths(), QStringList{QStringLiteral("$(BDS)/lib")});

    const QByteArray deep = plain + QByteArray("<x>").repeated(5000) + QByteArray("</x>").repeated(5000) + "</Project>\n";
    machine.WriteFile(file, deep);
    const QDateTime past(QDate(2020, 1, 2), QTime(3, 4, 5));
    {
        QFile options(file);
        ASSERT_TRUE(options.open(QIODevice::ReadWrite));
        ASSERT_TRUE(options.setFileTime(past, QFileDevice::FileModificationTime));
    }
    const auto expectRefused = [&](const std::function<void()> &action) {
        try {
            action();
            ADD_FAILURE() << "not refused";
        } catch (const ESetupError &e) {
            EXPECT_TRUE(e.Message().contains(file)) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QLatin1String("nested more than 32 levels deep"))) << e.Message().toStdString();
        }
    };
    expectRefused([] { TCompileTarget again(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0")); });
    bds.LibrarySearchPaths() += QStringLiteral("/nqb/Delphi2007");
    expectRefused([&] { bds.SaveToRegistry(); });
    EXPECT_EQ(machine.ReadFile(file), deep);
    EXPECT_EQ(QFileInfo(file).lastModified(), past);
}

// The option file belongs to the IDE: it is written in the encoding it
// declares, so that what the IDE reads back is what the installer set, and
// one whose encoding cannot be written back unchanged is refused before it is
// touched, with the encoding named.
TEST(IDESettings, AnOptionFileIsWrittenInTheEncodingItDeclares)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("5.0"), QStringLiteral("BDS5"), QStringLiteral("bds.exe"), QString());
    const QString name = QStringLiteral("Application Data/Borland/BDS/5.0/EnvOptions.proj");
    const auto options = [](const QString &declared, const QString &other) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\r\n"
                              "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
                              "  <PropertyGroup>\r\n"
                              "    <Win32LibraryPath>C:\\Donn\u00e9es\\Lib;$(BDS)\\lib</Win32LibraryPath>\r\n"
                              "    <Other>%2</Other>\r\n"
                              "  </PropertyGroup>\r\n"
                              "</Project>\r\n")
            .arg(declared, other);
    };
    const QStringList read{QStringLiteral("C:\\Donn\u00e9es\\Lib"), QStringLiteral("$(BDS)\\lib")};
    // The added folder has a letter the 8-bit encodings lack, which goes in as
    // a character reference there.
    const QString added = QStringLiteral("D:\\\u00c9tudes\\\u03a9");

    struct TCase {
        const char *Declared;
        QByteArray Bytes;
    };
    std::vector<TCase> cases;
    for (const char *encoding : {"ISO-8859-1", "windows-1252", "UTF-7", "UTF-16"}) {
        QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless
                                             | (QByteArray(encoding) == "UTF-16" ? QStringConverter::Flag::WriteBom
                                                                                 : QStringConverter::Flag::Default));
        ASSERT_TRUE(encoder.isValid()) << encoding;
        cases.push_back({encoding, encoder.encode(options(QString::fromLatin1(encoding), QStringLiteral("kept")))});
    }
    for (const TCase &encoded : cases) {
        SCOPED_TRACE(encoded.Declared);
        const QString file = machine.WriteFile(name, encoded.Bytes);
        {
            TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
            ASSERT_EQ(bds.LibrarySearchPaths(), read);
            bds.LibrarySearchPaths() += added;
            bds.SaveToRegistry();
        }
        TCompileTarget again(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
        EXPECT_EQ(again.LibrarySearchPaths(), read + QStringList{added});
        const QByteArray saved = machine.ReadFile(file);
        QStringDecoder decoder(encoded.Declared, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(saved);
        EXPECT_FALSE(decoder.hasError());
        EXPECT_TRUE(text.contains(QStringLiteral("encoding=\"%1\"").arg(QString::fromLatin1(encoded.Declared))));
        EXPECT_TRUE(text.contains(QLatin1String("<Other>kept</Other>")));
        if (QByteArray(encoded.Declared) == "ISO-8859-1" || QByteArray(encoded.Declared) == "windows-1252")
            EXPECT_TRUE(text.contains(QStringLiteral("D:\\\u00c9tudes\\&#x3A9;</Win32LibraryPath>"))) << text.toStdString();
        else
            EXPECT_TRUE(text.contains(added + QLatin1String("</Win32LibraryPath>"))) << text.toStdString();
    }

    // UTF-7 may write a character in more than one way: a file that has "!"
    // as "+ACE-" would come back with "!", a change in what the installer
    // does not set.
    QStringEncoder utf7("UTF-7", QStringConverter::Flag::Stateless);
    QByteArray otherForm = utf7.encode(options(QStringLiteral("UTF-7"), QStringLiteral("Hello")));
    otherForm.replace("Hello", "Hello+ACE-");
    const QString file = machine.WriteFile(name, otherForm);
    TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
    ASSERT_EQ(bds.LibrarySearchPaths(), read);
    bds.SaveToRegistry(); // nothing changed, nothing written
    bds.LibrarySearchPaths() += added;
    try {
        bds.SaveToRegistry();
        ADD_FAILURE() << "not refused";
    } catch (const ESetupError &e) {
        EXPECT_TRUE(e.Message().contains(file)) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QLatin1String("\"UTF-7\""))) << e.Message().toStdString();
    }
    EXPECT_EQ(machine.ReadFile(file).toStdString(), otherForm.toStdString());
}

// Read and written back with no change, the option file keeps every byte
// (byte-order mark, CR LF line ends, entity and character references, a
// value of blanks); a change alters only the value changed, and an element
// added takes the place and indentation of its neighbours.
TEST(IDESettings, AnOptionFileKeepsWhatTheInstallerDoesNotChange)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("5.0"), QStringLiteral("BDS5"), QStringLiteral("bds.exe"), QString());
    const QByteArray before = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                              "<!-- kept by the IDE -->\r\n"
                              "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
                              "  <PropertyGroup Condition=\" '$(Platform)' == '' \">\r\n"
                              "    <Win32DCPOutput>&#36;(BDSCOMMONDIR)\\Dcp</Win32DCPOutput>\r\n"
                              "    <Win32LibraryPath>";
    const QByteArray library = "$(BDS)\\lib;&quot;$(BDSCOMMONDIR)\\Dcp&quot;";
    const QByteArray after = "</Win32LibraryPath>\r\n"
                             "    <Win32DebugDCUPath>   </Win32DebugDCUPath>\r\n"
                             "    <Caption>Tom &amp; Jerry&apos;s &#x263A;</Caption>\r\n"
                             "    <Empty/>\r\n"
                             "  </PropertyGroup>\r\n"
                             "</Project>\r\n";
    const QString file =
        machine.WriteFile(QStringLiteral("Application Data/Borland/BDS/5.0/EnvOptions.proj"), before + library + after);
    {
        TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
        ASSERT_EQ(bds.LibrarySearchPaths(),
                  (QStringList{QStringLiteral("$(BDS)\\lib"), QStringLiteral("$(BDSCOMMONDIR)\\Dcp")}));
        EXPECT_EQ(bds.DCPOutputDir(), QStringLiteral("$(BDSCOMMONDIR)\\Dcp"));
        bds.SaveToRegistry();
        EXPECT_EQ(machine.ReadFile(file).toStdString(), (before + library + after).toStdString());

        bds.LibrarySearchPaths() += QStringLiteral("C:\\nqb\\Delphi2007");
        bds.SaveToRegistry();
        EXPECT_EQ(machine.ReadFile(file).toStdString(),
                  (before + "$(BDS)\\lib;$(BDSCOMMONDIR)\\Dcp;C:\\nqb\\Delphi2007" + after).toStdString());
    }
    TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("5.0"));
    bds.BrowsingPaths() += QStringLiteral("C:\\nqb\\Sources");
    bds.SaveToRegistry();
    QByteArray added = before + "$(BDS)\\lib;$(BDSCOMMONDIR)\\Dcp;C:\\nqb\\Delphi2007" + after;
    added.replace("    <Empty/>\r\n", "    <Empty/>\r\n    <Win32BrowsingPath>C:\\nqb\\Sources</Win32BrowsingPath>\r\n");
    EXPECT_EQ(machine.ReadFile(file).toStdString(), added.toStdString());
}

// A value set where the option file has no element for it goes where the
// file's layout puts one: after the last setting, into an empty group or
// root, or in place of an empty element.
TEST(IDESettings, AnOptionFileGainsTheElementsItLacksInItsOwnLayout)
{
    TTestMachine machine;
    const QString file = machine.Path(QStringLiteral("EnvOptions.proj"));
    const struct {
        const char *Before;
        const char *After;
    } cases[] = {
        {"<Project>\r\n  <PropertyGroup>\r\n    <A>a</A>\r\n  </PropertyGroup>\r\n</Project>\r\n",
         "<Project>\r\n  <PropertyGroup>\r\n    <A>a</A>\r\n    <Win32LibraryPath>x&amp;y</Win32LibraryPath>\r\n"
         "  </PropertyGroup>\r\n</Project>\r\n"},
        {"<Project><PropertyGroup><A/></PropertyGroup></Project>",
         "<Project><PropertyGroup><A/><Win32LibraryPath>x&amp;y</Win32LibraryPath></PropertyGroup></Project>"},
        {"<Project>\n  <PropertyGroup>\n    <Win32LibraryPath  />\n  </PropertyGroup>\n</Project>\n",
         "<Project>\n  <PropertyGroup>\n    <Win32LibraryPath  >x&amp;y</Win32LibraryPath>\n  </PropertyGroup>\n</Project>\n"},
        {"<Project>\n  <PropertyGroup>\n  </PropertyGroup>\n</Project>\n",
         "<Project>\n  <PropertyGroup>\n    <Win32LibraryPath>x&amp;y</Win32LibraryPath>\n  </PropertyGroup>\n</Project>\n"},
        {"<Project>\n  <PropertyGroup/>\n</Project>\n",
         "<Project>\n  <PropertyGroup>\n    <Win32LibraryPath>x&amp;y</Win32LibraryPath>\n  </PropertyGroup>\n</Project>\n"},
        {"<Project>\n  <ItemGroup/>\n</Project>\n",
         "<Project>\n  <ItemGroup/>\n  <PropertyGroup>\n    <Win32LibraryPath>x&amp;y</Win32LibraryPath>\n"
         "  </PropertyGroup>\n</Project>\n"},
        {"<Project/>\n",
         "<Project>\n  <PropertyGroup>\n    <Win32LibraryPath>x&amp;y</Win32LibraryPath>\n  </PropertyGroup>\n</Project>\n"},
    };
    for (const auto &c : cases) {
        machine.WriteFile(file, c.Before);
        TEnvOptionsProject options;
        ASSERT_TRUE(options.LoadFromFile(file)) << c.Before;
        options.SetProperty(QStringLiteral("Win32LibraryPath"), QStringLiteral("x&y"));
        options.SaveToFile(file);
        EXPECT_EQ(machine.ReadFile(file).toStdString(), std::string(c.After));
        TEnvOptionsProject again;
        ASSERT_TRUE(again.LoadFromFile(file));
        EXPECT_EQ(again.Property(QStringLiteral("Win32LibraryPath")), QStringLiteral("x&y"));
    }
    // A character XML cannot hold, not even as a reference, is refused.
    TEnvOptionsProject options;
    ASSERT_TRUE(options.LoadFromFile(file));
    try {
        options.SetProperty(QStringLiteral("Win32LibraryPath"), QStringLiteral("x\x01"));
        ADD_FAILURE() << "not refused";
    } catch (const ESetupError &e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("U+0001"))) << e.Message().toStdString();
    }
}

TEST(IDESettings, BDSPersonalitiesAndCppPaths)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("4.0"), QStringLiteral("BDS4"), QStringLiteral("bds.exe"),
                   QStringLiteral("Architect"));
    const QString user = QStringLiteral("\\SOFTWARE\\Borland\\BDS\\4.0");
    machine.SetString(HKCU, user + QLatin1String("\\Personalities"), QStringLiteral("delphi.win32"), QStringLiteral("Delphi"));
    machine.SetString(HKCU, user + QLatin1String("\\Personalities"), QStringLiteral("BCB"), QStringLiteral("C++"));
    machine.SetString(HKCU, user + QLatin1String("\\Personalities"), QStringLiteral("Other"), QString());
    machine.SetString(HKCU, user + QLatin1String("\\CppPaths"), QStringLiteral("IncludePath"), QStringLiteral("$(BDS)/include/"));
    TCompileTarget bds(QStringLiteral("BDS"), QStringLiteral("BDS"), QStringLiteral("4.0"));
    EXPECT_EQ(bds.Personalities(), bpDelphiWin32 | bpBCB);
    EXPECT_TRUE(bds.SupportsPersonality(bpBCB));
    EXPECT_FALSE(bds.SupportsPersonality(bpDelphiNET));
    EXPECT_EQ(bds.CppIncludePaths(), QStringList{QStringLiteral("$(BDS)/include")});
    bds.CppSearchPaths() += QStringLiteral("/nqb/Delphi2006");
    bds.SaveToRegistry();
    EXPECT_EQ(ReadValue(HKCU, user + QLatin1String("\\CppPaths"), QStringLiteral("IncludePath")), QStringLiteral("$(BDS)/include"));
    EXPECT_EQ(ReadValue(HKCU, user + QLatin1String("\\CppPaths"), QStringLiteral("SearchPath")), QStringLiteral("/nqb/Delphi2006"));
    EXPECT_EQ(BDSPersonalityName(2), QLatin1String("BCB"));
}

TEST(IDESettings, SaveToRegistryWritesPathsAndChangedEnvironmentVariables)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("delphi32.exe"),
                   QStringLiteral("Enterprise"));
    const QString library = Delphi7User + QLatin1String("\\Library");
    const QString environment = Delphi7User + QLatin1String("\\Environment Variables");
    machine.SetString(HKCU, library, QStringLiteral("Search Path"), QStringLiteral("$(DELPHI)/Lib"));
    machine.SetString(HKCU, environment, QStringLiteral("KEEP"), QStringLiteral("k"));
    machine.SetString(HKCU, environment, QStringLiteral("CHANGE"), QStringLiteral("old"));
    machine.SetString(HKCU, environment, QStringLiteral("DROP"), QStringLiteral("d"));
    {
        TCompileTarget d7(QStringLiteral("Delphi"), QStringLiteral("Delphi"), QStringLiteral("7.0"));
        d7.LibrarySearchPaths() += QStringLiteral("/nqb/Delphi7");
        d7.BrowsingPaths() += QStringLiteral("/nqb/Sources");
        d7.DebugDCUPaths() += QStringLiteral("/nqb/debug");
        d7.EnvVars() = QStringList{QStringLiteral("KEEP=k"), QStringLiteral("CHANGE=new"), QStringLiteral("ADD=a")};
        d7.SaveToRegistry();
        }
    EXPECT_EQ(ReadValue(HKCU, library, QStringLiteral("Search Path")), QStringLiteral("$(DELPHI)/Lib;/nqb/Delphi7"));
    EXPECT_EQ(ReadValue(HKCU, library, QStringLiteral("Browsing Path")), QStringLiteral("/nqb/Sources"));
    TRegistry reg(HKCU);
    ASSERT_TRUE(reg.OpenKeyReadOnly(library));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Debug DCU Path"))); // only written when it exists
    EXPECT_FALSE(reg.KeyExists(Delphi7User + QLatin1String("\\Debugging"))); // not made
    ASSERT_TRUE(reg.OpenKeyReadOnly(environment));
    EXPECT_EQ(reg.GetValueNames(), (QStringList{QStringLiteral("KEEP"), QStringLiteral("CHANGE"), QStringLiteral("ADD")}));
    EXPECT_EQ(reg.ReadString(QStringLiteral("CHANGE")), QStringLiteral("new"));

    machine.SetString(HKCU, library, QStringLiteral("Debug DCU Path"), QStringLiteral("/d1"));
    machine.SetString(HKCU, Delphi7User + QLatin1String("\\Debugging"), QStringLiteral("Other"), QStringLiteral("x"));
    {
        TCompileTarget d7(QStringLiteral("Delphi"), QStringLiteral("Delphi"), QStringLiteral("7.0"));
        d7.DebugDCUPaths() += QStringLiteral("/d2");
        d7.SaveToRegistry();
    }
    EXPECT_EQ(ReadValue(HKCU, library, QStringLiteral("Debug DCU Path")), QStringLiteral("/d1;/d2"));
    EXPECT_EQ(ReadValue(HKCU, Delphi7User + QLatin1String("\\Debugging"), QStringLiteral("Debug DCUs Path")),
              QStringLiteral("/d1;/d2"));
}

TEST(IDESettings, SavePackagesKeepsDescriptionsOfEntriesAlreadyThere)
{
    TTestMachine machine;
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("delphi32.exe"),
                   QStringLiteral("Enterprise"));
    const QString known = Delphi7User + QLatin1String("\\Known Packages");
    machine.SetString(HKCU, known, QStringLiteral("$(DELPHI)/Bin/dclado70.bpl"), QStringLiteral("Registry description"));
    machine.SetString(HKCU, known, QStringLiteral("/old/nvQueryBuilderDsgnD7.bpl"), QStringLiteral("Old"));
    {
        TCompileTarget d7(QStringLiteral("Delphi"), QStringLiteral("Delphi"), QStringLiteral("7.0"));
        TDelphiPackageList &packages = d7.KnownPackages();
        packages.Delete(packages.IndexOf(QStringLiteral("nvQueryBuilderDsgnD7.bpl")));
        packages.Add(QStringLiteral("/nqb/Delphi7/nvQueryBuilderDsgnD7.bpl"), QStringLiteral("Norvane Query Builder Component"));
        packages.Delete(0);
        packages.Add(QStringLiteral("$(DELPHI)/Bin/DCLADO70.bpl"), QStringLiteral("Changed in memory"));
        d7.SavePackages();
    }
    TRegistry reg(HKCU);
    ASSERT_TRUE(reg.OpenKeyReadOnly(known));
    EXPECT_EQ(reg.GetValueNames(),
              (QStringList{QStringLiteral("$(DELPHI)/Bin/dclado70.bpl"), QStringLiteral("/nqb/Delphi7/nvQueryBuilderDsgnD7.bpl")}));
    EXPECT_EQ(reg.ReadString(QStringLiteral("$(DELPHI)/Bin/dclado70.bpl")), QStringLiteral("Registry description"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("/nqb/Delphi7/nvQueryBuilderDsgnD7.bpl")),
              QStringLiteral("Norvane Query Builder Component"));
    // An empty Disabled Packages list makes no key.
    EXPECT_FALSE(reg.KeyExists(Delphi7User + QLatin1String("\\Disabled Packages")));
}

// The Bin folder is spelled "Bin" and "bin" for the same folder; on this file
// system only one of them exists, and the compiler is found in either.
TEST(IDESettings, TheCompilerIsFoundInBinOrBin)
{
    TTestMachine machine;
    const QString root = machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("7.0"), QStringLiteral("Delphi7"),
                                        QStringLiteral("delphi32.exe"), QStringLiteral("Enterprise"));
    {
        TCompileTarget d7(QStringLiteral("Delphi"), QStringLiteral("Delphi"), QStringLiteral("7.0"));
        EXPECT_TRUE(d7.MissingCompiler());
        EXPECT_EQ(d7.DccFileName(), root + QLatin1String("/Bin/dcc32.exe"));
    }
    machine.InstallTool(root + QLatin1String("/Bin/dcc32.exe"));
    machine.InstallTool(root + QLatin1String("/Bin/make.exe"));
    {
        TCompileTarget d7(QStringLiteral("Delphi"), QStringLiteral("Delphi"), QStringLiteral("7.0"));
        EXPECT_FALSE(d7.MissingCompiler());
        EXPECT_TRUE(QFile::exists(d7.DccFileName()));
        EXPECT_TRUE(QFile::exists(d7.MakeFileName()));
    }
    QDir(root).rename(QStringLiteral("Bin"), QStringLiteral("bin"));
    machine.SetString(HKLM, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0"), QStringLiteral("App"),
                      root + QLatin1String("/bin/delphi32.exe"));
    {
        TCompileTarget d7(QStringLiteral("Delphi"), QStringLiteral("Delphi"), QStringLiteral("7.0"));
        ASSERT_TRUE(d7.IsValid());
        EXPECT_FALSE(d7.MissingCompiler());
        EXPECT_EQ(d7.DccFileName(), root + QLatin1String("/bin/dcc32.exe"));
        EXPECT_EQ(d7.MakeFileName(), root + QLatin1String("/bin/make.exe"));
        EXPECT_EQ(d7.Bpr2MakFileName(), root + QLatin1String("/bin/bpr2mak.exe")); // not there: spelled as found
    }
}
