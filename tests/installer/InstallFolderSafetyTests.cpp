// The install and uninstall runs keep to the product's folder: a folder name
// that would break out of the unarchiver's command line is refused, and links
// inside the install folder are removed as links, never followed. Other
// programs' files placed beside the product (sentinels) prove it.
#include "TestDistribution.h"
#include "WizardDriver.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;

// Puts a link where the folder was.
void ReplaceByLink(const QString &folder, const QString &target)
{
    ASSERT_TRUE(QFileInfo(folder).isSymLink() ? QFile::remove(folder) : QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile::link(target, folder)) << folder.toStdString();
}

} // namespace

TEST(InstallFolderSafety, FolderNamesThatLeadElsewhereOrThatTheIDEPathsCannotHoldAreRefused)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFiles({QStringLiteral("Delphi7")}));
    const QString other = machine.Path(QStringLiteral("Program Files/Other"));
    TSentinels sentinels;
    for (const char *file : {"Help/NvQB.HLP", "EULA.txt", "Sources/nvQBBase.pas", "Demos/DemoApp/NQBDemo.dpr"})
        sentinels.Add(other + QLatin1Char('/') + QLatin1String(file), "the other program's");
    const struct {
        QString Folder;
        QString Problem;
    } cases[] = {
        // On the unarchiver's command line the quote would end the install
        // folder's text and name the other program's folder in its place.
        {machine.Path(QStringLiteral("Program Files/NQB/x\" \"")) + other, QStringLiteral("holds a double quote")},
        // Taken for separators, the backslashes lead to the other program's
        // folder.
        {machine.Path(QStringLiteral("Program Files/NQB/x\\..\\..\\Other")), QStringLiteral("holds a backslash")},
        // The IDE's Browsing Path and Search Path would split the product's
        // folders into pieces, which an uninstall leaves there.
        {machine.Path(QStringLiteral("Program Files/NQB;Other")), QStringLiteral("holds a \";\"")},
        {machine.Path(QStringLiteral("Program Files/NQB $(DELPHI)")), QStringLiteral("holds \"$(\"")},
    };
    for (const auto &hostile : cases) {
        SCOPED_TRACE(hostile.Folder.toStdString());
        TRegistry(HKLM).DeleteKey(InstallRecordKey);
        // Typed on the destination page, the name is no choice.
        {
            TInstallData data(distribution.Folder());
            TfMain form(data);
            ShowForm(form);
            ASSERT_NO_FATAL_FAILURE(ClickNextUntil(form, QStringLiteral("wDestinationPage")));
            auto *edit = Child<QLineEdit>(&form, "EditDirectory");
            edit->selectAll();
            QTest::keyClicks(edit, hostile.Folder);
            ASSERT_EQ(edit->text(), hostile.Folder);
            EXPECT_FALSE(form.Wizard()->NextButton()->isEnabled());
            ClickNext(form);
            EXPECT_EQ(ActivePageName(form), QStringLiteral("wDestinationPage"));
            EXPECT_EQ(data.InstallDir, machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder")));
        }

        // An update takes the folder from the install record: the run
        // refuses it before it writes anything.
        machine.SetString(HKLM, InstallRecordKey, QStringLiteral("InstallDir"), hostile.Folder);
        machine.SetString(HKLM, InstallRecordKey, QStringLiteral("InstalledVersion"), QStringLiteral("1.2.0"));
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.Mode, imUpdate);
        ASSERT_EQ(data.InstallDir, hostile.Folder);
        InstallIntoEveryIDE(data);
        const TRun run = RunSetup(data);
        EXPECT_FALSE(run.Result);
        EXPECT_TRUE(run.Log.contains(
            QStringLiteral("Error: The install folder \"%1\" %2; nothing is installed.").arg(hostile.Folder, hostile.Problem)))
            << Text(run.Log);
        EXPECT_EQ(sentinels.Touched(), QStringList());
        EXPECT_EQ(Entries(machine.Path(QStringLiteral("Program Files"))),
                  (QStringList{QStringLiteral("Borland"), QStringLiteral("Other")}));
        EXPECT_EQ(ReadValue(HKLM, InstallRecordKey, QStringLiteral("InstalledVersion")), QStringLiteral("1.2.0"));
        EXPECT_EQ(ReadValue(HKCU, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\7.0\\Library"), QStringLiteral("Browsing Path")),
                  QStringLiteral("$(DELPHI)/Source/Vcl;$(DELPHI)/Source/Rtl/Common"));
    }
}

TEST(InstallFolderSafety, LinksInTheInstallFolderAreRemovedAsLinksNeverFollowed)
{
    TTestMachine machine;
    AddWindows(machine);
    const QString root = AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFilesWithADO(QStringLiteral("Delphi7")));
    ASSERT_NO_FATAL_FAILURE(InstallEverywhere(distribution));
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));

    // Another program's folder with the names the product keeps in
    // "Uninstall", another one with compiled units, forms and a header, and
    // a header of the IDE named like that one.
    const QString app = machine.Path(QStringLiteral("Program Files/Other/App"));
    const QString lib = machine.Path(QStringLiteral("Program Files/Other/Lib"));
    TSentinels sentinels;
    for (const char *file : {"version", "setup.exe", "unrar.exe", "withsrcs", "metapvds", "data.arc"})
        sentinels.Add(app + QLatin1Char('/') + QLatin1String(file), "the other program's");
    for (const char *file : {"unit.dcu", "sub/unit.obj", "sub/deep/unit.dcu", "form.dfm", "form.xfm", "other.hpp"})
        sentinels.Add(lib + QLatin1Char('/') + QLatin1String(file), "the other program's");
    sentinels.Add(root + QLatin1String("/Include/Vcl/other.hpp"), "the IDE's");
    const auto linkAway = [&] {
        ReplaceByLink(dir + QLatin1String("/Uninstall"), app);
        ReplaceByLink(dir + QLatin1String("/Delphi7"), lib);
    };

    // A reinstall, compiling from sources, cleans and fills real folders.
    ASSERT_NO_FATAL_FAILURE(linkAway());
    {
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.Mode, imMaintenance);
        InstallIntoEveryIDE(data);
        ASSERT_TRUE(data.TargetOptions().Items(0)->CompileFromSources);
        const TRun run = RunSetup(data);
        EXPECT_TRUE(run.Result) << Text(run.Log);
        EXPECT_TRUE(run.Log.contains(QStringLiteral("  removed the symbolic link \"%1/Delphi7\"").arg(dir))) << Text(run.Log);
    }
    EXPECT_EQ(sentinels.Touched(), QStringList());
    for (const char *folder : {"/Uninstall", "/Delphi7"})
        EXPECT_FALSE(QFileInfo(dir + QLatin1String(folder)).isSymLink()) << folder;
    EXPECT_TRUE(QFileInfo(dir + QLatin1String("/Delphi7/nvQueryBuilderDsgnD7.bpl")).isFile());
    EXPECT_TRUE(QFileInfo(dir + QLatin1String("/Uninstall/version")).isFile());

    // The uninstall deletes the links themselves and the product's files.
    ASSERT_NO_FATAL_FAILURE(linkAway());
    TInstallData data(distribution.Folder());
    data.Mode = imUninstall;
    const TRun run = RunSetup(data);
    EXPECT_TRUE(run.Result) << Text(run.Log);
    EXPECT_TRUE(run.Log.contains(QStringLiteral("  skipped deleting \"%1/Uninstall/unrar.exe\": \"%1/Uninstall\" is a symbolic link")
                                     .arg(dir)))
        << Text(run.Log);
    EXPECT_EQ(sentinels.Touched(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(dir)) << Entries(dir).join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(TRegistry(HKLM).KeyExists(InstallRecordKey));
}

TEST(InstallFolderSafety, AnInstallFolderThatIsALinkGoesOnlyWithNothingElseBehindIt)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFilesWithADO(QStringLiteral("Delphi7")));
    // The user's link to a folder of theirs, chosen as the install folder.
    const QString link = machine.Path(QStringLiteral("Program Files/NQB"));
    const QString target = machine.Path(QStringLiteral("Data/Mine"));
    for (const bool withOwnFiles : {true, false}) {
        SCOPED_TRACE(withOwnFiles ? "the folder holds the user's files too" : "the folder holds only the product");
        ASSERT_TRUE(QDir().mkpath(target));
        ASSERT_TRUE(QFile::link(target, link));
        TSentinels sentinels;
        if (withOwnFiles)
            sentinels.Add(target + QLatin1String("/notes.txt"), "the user's");
        {
            TInstallData data(distribution.Folder());
            InstallIntoEveryIDE(data);
            data.InstallDir = link;
            const TRun run = RunSetup(data);
            ASSERT_TRUE(run.Result) << Text(run.Log);
        }
        ASSERT_TRUE(QFileInfo(target + QLatin1String("/Uninstall/version")).isFile());

        TInstallData data(distribution.Folder());
        data.Mode = imUninstall;
        const TRun run = RunSetup(data);
        EXPECT_TRUE(run.Result) << Text(run.Log);
        EXPECT_EQ(sentinels.Touched(), QStringList());
        EXPECT_EQ(Entries(target), withOwnFiles ? QStringList{QStringLiteral("notes.txt")} : QStringList());
        // The link stays while it leads to the user's files.
        EXPECT_EQ(QFileInfo(link).isSymLink(), withOwnFiles);
        EXPECT_EQ(run.Log.contains(QStringLiteral("  kept the symbolic link \"%1\": \"%2\" holds other files").arg(link, target)),
                  withOwnFiles)
            << Text(run.Log);
        EXPECT_FALSE(TRegistry(HKLM).KeyExists(InstallRecordKey));
        QFile::remove(link);
        QDir(target).removeRecursively();
    }
}
