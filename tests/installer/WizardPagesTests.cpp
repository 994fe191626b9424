// The folders the wizard's pages take: the install folder and the Start-menu
// folder must each name a folder of the product's own.
#include "TestDistribution.h"
#include "WizardDriver.h"
#include "installer/InstallData.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

void Type(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

TEST(WizardPages, TheInstallAndStartMenuFoldersMustBeFoldersOfTheirOwn)
{
    TTestMachine machine;
    AddWindows(machine);
    TTestDistribution distribution(machine, false, false);
    TInstallData data(distribution.Folder());
    TfMain form(data);
    ShowForm(form);
    ASSERT_NO_FATAL_FAILURE(ClickNextUntil(form, QStringLiteral("wDestinationPage")));
    QPushButton *next = form.Wizard()->NextButton();

    // An empty or relative folder, a root and a special folder are refused.
    auto *destination = Child<QLineEdit>(&form, "EditDirectory");
    for (const QString &folder : {QString(), QStringLiteral("Norvane"), QStringLiteral("/"), machine.Folder(),
                                  machine.Path(QStringLiteral("Program Files")), machine.Path(QStringLiteral("Documents/"))}) {
        Type(destination, folder);
        EXPECT_FALSE(next->isEnabled()) << folder.toStdString();
    }
    const QString mine = machine.Path(QStringLiteral("Program Files/Mine"));
    Type(destination, mine + QLatin1Char('/'));
    EXPECT_TRUE(next->isEnabled());
    ClickNext(form);
    EXPECT_EQ(data.InstallDir, mine);

    // A Start-menu folder that leads out of the Programs folder is refused.
    ASSERT_EQ(ActivePageName(form), QStringLiteral("wFolder"));
    auto *folder = Child<QLineEdit>(&form, "eFolder");
    for (const QString &name : {QString(), QStringLiteral("../../Windows"), QStringLiteral("A/../.."), QStringLiteral("/abs"),
                                QStringLiteral("\\\\server\\share")}) {
        Type(folder, name);
        EXPECT_FALSE(next->isEnabled()) << name.toStdString();
    }
    // A click on an existing folder takes its name.
    auto *folders = Child<QListWidget>(&form, "lFolders");
    ASSERT_EQ(folders->count(), 1);
    ClickAt(folders->viewport(), folders->visualItemRect(folders->item(0)).center());
    EXPECT_EQ(folder->text(), QStringLiteral("Accessories"));
    Type(folder, QStringLiteral("Tools\\NQB"));
    EXPECT_TRUE(next->isEnabled());
    ClickNext(form);
    EXPECT_EQ(data.StartMenuFolderName, QStringLiteral("Tools/NQB"));
    EXPECT_EQ(ActivePageName(form), QStringLiteral("wIDEPage"));
}
