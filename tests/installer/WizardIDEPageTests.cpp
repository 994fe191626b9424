// The wizard's IDE page driven with the mouse: which IDEs get a box, where
// the boxes and their labels sit, what a click does, and the checks made
// before the wizard leaves the page.
#include "TestDistribution.h"
#include "WizardDriver.h"
#include "common/Eventually.h"
#include "installer/CompileTarget.h"
#include "installer/InstallData.h"
#include "installer/TargetOptions.h"
#include "installer/wizard/IDECheckBox.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

// Next from the first page to the IDE page of a new installation.
void GoToIDEPage(TfMain &form)
{
    ClickNextUntil(form, QStringLiteral("wIDEPage"));
}

QPoint PagePosition(const QWidget *widget, const QWidget *page)
{
    return widget->mapTo(page, QPoint(0, 0));
}

} // namespace

TEST(WizardIDEPage, OldAndUnusableIDEsAndWhereTheBoxesGo)
{
    TTestMachine machine;
    AddWindows(machine);
    // Delphi 4 is too old for a box; Delphi 6 lacks the database components.
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("4.0"), QStringLiteral("Delphi4"),
                   QStringLiteral("delphi32.exe"), QStringLiteral("Enterprise"));
    machine.AddIDE(QStringLiteral("Delphi"), QStringLiteral("6.0"), QStringLiteral("Delphi6"),
                   QStringLiteral("delphi32.exe"), QStringLiteral("Enterprise"));
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    TInstallData data(distribution.Folder());
    ASSERT_EQ(data.TargetOptions().Count(), 3);
    TfMain form(data);
    ShowForm(form);
    ASSERT_NO_FATAL_FAILURE(GoToIDEPage(form));
    TWizardPage *page = ActivePage(form);

    EXPECT_EQ(page->findChildren<TIDECheckBox *>().size(), 2);
    EXPECT_EQ(data.TargetOptions().Items(0)->Action, taNothing);
    auto *d6 = Child<TIDECheckBox>(page, "cbIDE0");
    auto *d6Label = Child<QLabel>(page, "lIDEAction0");
    auto *d7 = Child<TIDECheckBox>(page, "cbIDE1");
    auto *d7Label = Child<QLabel>(page, "lIDEAction1");
    ASSERT_TRUE(d6 && d6Label && d7 && d7Label);
    EXPECT_EQ(d6->text(), QStringLiteral("Delphi 6.0 (Enterprise)"));
    EXPECT_FALSE(d6->isEnabled());
    EXPECT_EQ(d6->checkState(), Qt::Unchecked);
    EXPECT_EQ(d6Label->text(), QStringLiteral("Norvane Query Builder can not be used with this version."));
    EXPECT_EQ(data.TargetOptions().Items(1)->Action, taNothing);
    EXPECT_EQ(d7->text(), QStringLiteral("Delphi 7.0 (Enterprise)"));
    EXPECT_EQ(d7->checkState(), Qt::Checked);
    EXPECT_EQ(d7Label->text(), QStringLiteral("Action: Install"));

    // Boxes at left 30, from top 84 in steps of 48, page width - 50 wide;
    // each label 4 pixels under its box and 20 to the right.
    EXPECT_EQ(PagePosition(d6, page), QPoint(30, 84));
    EXPECT_EQ(PagePosition(d7, page), QPoint(30, 132));
    EXPECT_EQ(d6->width(), page->width() - 50);
    EXPECT_EQ(PagePosition(d6Label, page), QPoint(50, 84 + d6->height() + 4));
    EXPECT_EQ(PagePosition(d7Label, page), QPoint(50, 132 + d7->height() + 4));

    // The unusable IDE's label is red to its end, the other one is not red.
    const QImage shot = Screenshot(page, QStringLiteral("IDEPage"));
    const QRect d6Text(PagePosition(d6Label, page), d6Label->size());
    const QRect d7Text(PagePosition(d7Label, page), d7Label->size());
    const int textWidth = d6Label->fontMetrics().horizontalAdvance(d6Label->text());
    EXPECT_GT(RedPixels(shot, d6Text.adjusted(textWidth * 3 / 4, 0, 0, 0)), 10);
    EXPECT_EQ(RedPixels(shot, d7Text), 0);

    // The disabled box takes no click; the other one switches its IDE's action.
    Click(d6);
    EXPECT_EQ(d6->checkState(), Qt::Unchecked);
    EXPECT_EQ(data.TargetOptions().Items(1)->Action, taNothing);
    Click(d7);
    EXPECT_EQ(d7Label->text(), QStringLiteral("Action: Don't install"));
    EXPECT_EQ(data.TargetOptions().Items(2)->Action, taNothing);
    EXPECT_TRUE(form.Wizard()->NextButton()->isEnabled()); // a new installation may go on without IDEs
    EXPECT_FALSE(form.findChild<TWizardPage *>(QStringLiteral("wConfigPage"))->PageEnabled());
    Click(d7);
    EXPECT_EQ(data.TargetOptions().Items(2)->Action, taInstall);
    EXPECT_TRUE(form.findChild<TWizardPage *>(QStringLiteral("wConfigPage"))->PageEnabled());
}

TEST(WizardIDEPage, ARunningIDERefusesNext)
{
    TTestMachine machine;
    AddWindows(machine);
    const QString root = AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    TInstallData data(distribution.Folder());
    TfMain form(data);
    ShowForm(form);
    ASSERT_NO_FATAL_FAILURE(GoToIDEPage(form));

    QProcess ide;
    ide.start(root + QLatin1String("/Bin/delphi32.exe"), QStringList());
    ASSERT_TRUE(ide.waitForStarted(ProcessTimeoutMs));
    QString message;
    WhenModalArrives([&](QWidget *window) {
        if (auto *box = qobject_cast<QMessageBox *>(window))
            message = box->text();
        window->close();
    });
    ClickNext(form);
    EXPECT_EQ(message, QStringLiteral("Delphi 7.0 (Enterprise) IDE is running. Please close it before continue."));
    EXPECT_EQ(ActivePageName(form), QStringLiteral("wIDEPage"));

    ide.kill();
    ASSERT_TRUE(ide.waitForFinished(ProcessTimeoutMs));
    ClickNext(form);
    EXPECT_EQ(ActivePageName(form), QStringLiteral("wConfigPage"));
}

TEST(WizardIDEPage, AFreeEditionWithoutCompilerAsksUntilTheCompilerIsThere)
{
    TTestMachine machine;
    AddWindows(machine);
    const QString root = machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("4.0"), QStringLiteral("BDS4"),
                                        QStringLiteral("bds.exe"), QStringLiteral("Turbo Delphi"));
    machine.SetString(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\SOFTWARE\\Borland\\BDS\\4.0\\Known Packages"),
                      QStringLiteral("$(BDS)/Bin/dcldb100.bpl"), QStringLiteral("Borland Database Components"));
    TTestDistribution distribution(machine, true, false);
    TInstallData data(distribution.Folder());
    TfMain form(data);
    ShowForm(form);
    ASSERT_NO_FATAL_FAILURE(GoToIDEPage(form));

    // Retry while the compiler is missing asks again; once it is there the
    // wizard goes on.
    QStringList warnings;
    WhenModalArrives([&](QWidget *first) {
        warnings += Child<QLabel>(first, "lblWarning")->text();
        WhenModalArrives([&](QWidget *second) {
            warnings += Child<QLabel>(second, "lblWarning")->text();
            machine.InstallTool(root + QLatin1String("/Bin/dcc32.exe"));
            Click(Child<QPushButton>(second, "btnRetry"));
        });
        Click(Child<QPushButton>(first, "btnRetry"));
    });
    ClickNext(form);
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[0].contains(QLatin1String("Borland Developer Studio 2006 (Turbo Delphi)")))
        << warnings[0].toStdString();
    EXPECT_EQ(ActivePageName(form), QStringLiteral("wConfigPage"));

    // Continue Anyway goes on without the compiler, asking once.
    QFile::remove(root + QLatin1String("/Bin/dcc32.exe"));
    ClickBack(form);
    int asked = 0;
    bool closed = false;
    QPointer<QTimer> again;
    WhenModalArrives([&](QWidget *warning) {
        ++asked;
        // Asked again: answered with Exit, so the test ends either way.
        again = WhenModalArrives([&](QWidget *next) {
            ++asked;
            Click(Child<QPushButton>(next, "btnExit"));
        });
        Click(Child<QPushButton>(warning, "btnContinue"));
        closed = !warning->isVisible();
        if (!closed)
            Click(Child<QPushButton>(warning, "btnExit"));
    });
    ClickNext(form);
    delete again.data();
    EXPECT_TRUE(closed);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ActivePageName(form), QStringLiteral("wConfigPage"));
    EXPECT_TRUE(form.isVisible());

    // Exit leaves the installer.
    ClickBack(form);
    WhenModalArrives([&](QWidget *warning) { Click(Child<QPushButton>(warning, "btnExit")); });
    ClickNext(form);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ActivePageName(form), QStringLiteral("wIDEPage"));
}
