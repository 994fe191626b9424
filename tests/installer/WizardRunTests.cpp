// The wizard from its first page to its last, driven with the mouse against
// machine folders: a new installation, a failing one, maintenance, an update
// and the removal, and the window during the run.
#include "TestDistribution.h"
#include "common/Eventually.h"
#include "WizardDriver.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/TargetOptions.h"
#include "installer/platform/ShellOpen.h"
#include "installer/wizard/IDECheckBox.h"
#include "installer/wizard/IDEComboBox.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace nvqb;
using namespace nvqb::test;

namespace {

const TRootKey HKLM = TRootKey::HKEY_LOCAL_MACHINE;
const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;
const QString Record = QStringLiteral("\\Software\\Tellwright\\Norvane Query Builder");

QString FinishText(const TfMain &form)
{
    return form.findChild<QLabel *>(QStringLiteral("lFinishText"))->text();
}

QString PageTitle(const TfMain &form)
{
    return ActivePage(form) ? ActivePage(form)->Title() : QString();
}

// The box of the IDE with this name and its action label.
std::pair<TIDECheckBox *, QLabel *> IDEBox(const TfMain &form, const QString &name)
{
    for (TIDECheckBox *box : form.findChildren<TIDECheckBox *>())
        if (box->text() == name) {
            const QString label = QStringLiteral("lIDEAction") + box->objectName().mid(5);
            return {box, form.findChild<QLabel *>(label)};
        }
    ADD_FAILURE() << "no box for " << name.toStdString();
    return {nullptr, nullptr};
}

QString KnownPackage(const QString &version, const QString &package)
{
    return ReadValue(HKCU, QStringLiteral("\\SOFTWARE\\Borland\\Delphi\\%1\\Known Packages").arg(version), package);
}

} // namespace

TEST(WizardRun, ANewInstallationClickByClick)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFiles({QStringLiteral("Delphi7")}), TArchiveFormat::Zip);
    machine.WriteFile(QStringLiteral("Start Menu/Programs/Tellwright/Norvane Query Builder VCL Edition/Other Program.lnk"),
                      "Target=/other\n");
    const QString toolLog = machine.Path(QStringLiteral("../tools.log"));
    TScopedEnvironment logging("NVQB_TOOL_LOG", toolLog);
    ClearShellOpenHistory();

    TInstallData data(distribution.Folder());
    TfMain form(data);
    ShowForm(form);
    TWizard &wizard = *form.Wizard();
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));

    EXPECT_EQ(ActivePageName(form), QStringLiteral("wInstallPage"));
    EXPECT_EQ(PageTitle(form), QStringLiteral("Welcome to the Norvane Query Builder Installation Wizard"));
    EXPECT_TRUE(Child<QLabel>(&form, "lInstallText")->text().contains(QLatin1String("1.3.0")));
    EXPECT_FALSE(wizard.BackButton()->isEnabled());
    EXPECT_FALSE(wizard.FinishButton()->isEnabled());
    EXPECT_EQ(wizard.BackButton()->text(), QStringLiteral("< &Back"));
    EXPECT_EQ(wizard.NextButton()->text(), QStringLiteral("&Next >"));
    ClickNext(form);

    EXPECT_EQ(PageTitle(form), QStringLiteral("License agreement"));
    EXPECT_FALSE(wizard.NextButton()->isEnabled());
    Click(Child<QCheckBox>(&form, "cbAgree"));
    EXPECT_TRUE(wizard.NextButton()->isEnabled());
    ClickNext(form);

    EXPECT_EQ(PageTitle(form), QStringLiteral("Destination Folder"));
    EXPECT_EQ(Child<QLineEdit>(&form, "EditDirectory")->text(), dir);
    ClickNext(form);

    EXPECT_EQ(PageTitle(form), QStringLiteral("Select program folder"));
    EXPECT_EQ(Child<QLineEdit>(&form, "eFolder")->text(), QStringLiteral("Tellwright/Norvane Query Builder VCL Edition"));
    ClickNext(form);

    EXPECT_EQ(PageTitle(form), QStringLiteral("Choose IDE Targets"));
    const auto [box, label] = IDEBox(form, QStringLiteral("Delphi 7.0 (Enterprise)"));
    ASSERT_TRUE(box && label);
    EXPECT_EQ(box->checkState(), Qt::Checked);
    EXPECT_EQ(label->text(), QStringLiteral("Action: Install"));
    ClickNext(form);

    EXPECT_EQ(PageTitle(form), QStringLiteral("Configuration"));
    auto *target = Child<TIDEComboBox>(&form, "cTarget");
    ASSERT_EQ(target->count(), 1);
    EXPECT_EQ(target->itemText(0), QStringLiteral("Delphi 7.0 (Enterprise)"));
    EXPECT_FALSE(target->itemIcon(0).isNull());
    EXPECT_TRUE(Child<QCheckBox>(&form, "cbCompileFromSource")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(&form, "cbAddSource")->isChecked());
    ClickNext(form);

    EXPECT_EQ(PageTitle(form), QStringLiteral("Compiling and Installing Packages"));
    ASSERT_TRUE(WaitFor([&] { return form.RunDone(); }));
    EXPECT_EQ(PageTitle(form), QStringLiteral("Installation completed"));
    EXPECT_EQ(FinishText(form), QStringLiteral("Norvane Query Builder component is installed successfully"));
    EXPECT_TRUE(form.RunSucceeded()) << form.Log().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(wizard.FinishButton()->isEnabled());
    EXPECT_FALSE(wizard.NextButton()->isEnabled());

    ExpectNewDelphi7Installation(machine, dir, toolLog);
    // The log as shown, in the install folder.
    EXPECT_EQ(machine.ReadFile(dir + QLatin1String("/setup.log")),
              (form.Log().join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toLocal8Bit());
    EXPECT_EQ(form.Log().last(), QStringLiteral("All operations done. Press Finish to exit installation."));
    EXPECT_EQ(Child<QLabel>(&form, "lLogPath")->text(), dir + QLatin1String("/setup.log"));

    Click(wizard.FinishButton());
    EXPECT_EQ(ShellOpenHistory().last(), ProductWebAddress);
    EXPECT_FALSE(form.isVisible());
}

TEST(WizardRun, AFailingCompilerEndsWithErrors)
{
    TTestMachine machine;
    AddWindows(machine);
    const QString root = AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFiles({QStringLiteral("Delphi7")}));
    TScopedEnvironment failing("NVQB_TOOL_FAIL", root + QLatin1String("/Bin/dcc32.exe"));

    TInstallData data(distribution.Folder());
    TfMain form(data);
    ShowForm(form);
    ASSERT_NO_FATAL_FAILURE(RunToFinish(form));
    EXPECT_FALSE(form.RunSucceeded());
    EXPECT_EQ(FinishText(form), QStringLiteral("Norvane Query Builder Setup completed with errors. See Setup Log for "
                                               "additional information."));
    const QString log = QString::fromLocal8Bit(machine.ReadFile(data.InstallDir + QLatin1String("/setup.log")));
    EXPECT_TRUE(log.contains(QLatin1String("Error: Error compiling package: nvQueryBuilderD7.dpk\r\n"))) << log.toStdString();
}

TEST(WizardRun, TheWindowStaysResponsiveAndTheRunHappensOnce)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    TTestDistribution distribution(machine, true, false);
    distribution.WriteArchive(ComponentFiles({QStringLiteral("Delphi7")}));
    const QString toolLog = machine.Path(QStringLiteral("../tools.log"));
    TScopedEnvironment logging("NVQB_TOOL_LOG", toolLog);

    TInstallData data(distribution.Folder());
    TfMain form(data);
    ShowForm(form);
    ASSERT_NO_FATAL_FAILURE(ClickNextUntil(form, QStringLiteral("wConfigPage")));

    // While the run goes: every button is tried and the window is closed,
    // and the output's repaints are counted with the lines they show.
    TWizard &wizard = *form.Wizard();
    int ticks = 0;
    bool buttonEnabled = false;
    bool leftPage = false;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!form.Running())
            return;
        ++ticks;
        for (QPushButton *button : {wizard.BackButton(), wizard.NextButton(), wizard.FinishButton(), wizard.CancelButton()}) {
            buttonEnabled = buttonEnabled || button->isEnabled();
            Click(button);
        }
        form.close();
        leftPage = leftPage || ActivePageName(form) != QLatin1String("wCompile") || !form.isVisible();
    });
    auto *output = Child<QPlainTextEdit>(&form, "mOutput");
    std::set<int> paintedLineCounts;
    struct TPaintProbe : QObject {
        std::function<void()> OnPaint;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                OnPaint();
            return false;
        }
    } paints;
    paints.OnPaint = [&] {
        if (form.Running())
            paintedLineCounts.insert(output->document()->blockCount());
    };
    output->viewport()->installEventFilter(&paints);
    probe.start();
    ClickNext(form);
    ASSERT_TRUE(WaitFor([&] { return form.RunDone(); }));
    probe.stop();
    output->viewport()->removeEventFilter(&paints);

    EXPECT_GT(ticks, 10);
    EXPECT_FALSE(buttonEnabled);
    EXPECT_FALSE(leftPage);
    EXPECT_TRUE(form.isVisible());
    EXPECT_GE(paintedLineCounts.size(), 3u);
    EXPECT_TRUE(form.RunSucceeded());
    EXPECT_EQ(ActivePageName(form), QStringLiteral("wFinish"));

    // Back shows the log of the one run, with only Next to go on.
    ClickBack(form);
    EXPECT_EQ(ActivePageName(form), QStringLiteral("wCompile"));
    EXPECT_FALSE(wizard.BackButton()->isEnabled());
    EXPECT_FALSE(wizard.CancelButton()->isEnabled());
    EXPECT_TRUE(wizard.NextButton()->isEnabled());
    Screenshot(ActivePage(form), QStringLiteral("CompilePage"));
    ClickNext(form);
    EXPECT_EVENTUALLY(ActivePageName(form) == QStringLiteral("wFinish"));
    const QString shown = output->toPlainText();
    EXPECT_EQ(shown.count(QLatin1String("Installing NorvaneQueryBuilder v. 1.3.0")), 1);
    // The compiler ran once per package.
    EXPECT_EQ(QString::fromUtf8(machine.ReadFile(toolLog)).count(QLatin1String("/dcc32.cfg\ndcc32: | -Q -B")), 2);
}

TEST(WizardRun, MaintenanceUpdateAndRemoval)
{
    TTestMachine machine;
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    AddDelphi(machine, QStringLiteral("6.0"), QStringLiteral("Delphi6"), QStringLiteral("60"));
    const QString d7 = QStringLiteral("Delphi 7.0 (Enterprise)");
    const QString d6 = QStringLiteral("Delphi 6.0 (Enterprise)");
    TTestDistribution distribution(machine, true, false);
    // Once the product is installed, the IDEs' records select the core ADO
    // provider, whose IDEs have its components: its packages are built too.
    std::vector<TArchiveEntry> files = ComponentFiles({QStringLiteral("Delphi7"), QStringLiteral("Delphi6")});
    for (const char *version : {"6", "7"})
        for (const char *base : {"NvQueryBuilderADOD", "NvQueryBuilderDsgnADOD"})
            files.push_back(PackageProject(QLatin1String("Delphi") + QLatin1String(version),
                                           QLatin1String(base) + QLatin1String(version) + QLatin1String(".dpk")));
    distribution.WriteArchive(files);
    const QMap<QString, QByteArray> before = MachineSnapshot(machine);
    const QString dir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    const QString d7Package = dir + QLatin1String("/Delphi7/nvQueryBuilderDsgnD7.bpl");
    const QString d6Package = dir + QLatin1String("/Delphi6/nvQueryBuilderDsgnD6.bpl");
    {
        TInstallData data(distribution.Folder());
        TfMain form(data);
        ShowForm(form);
        ASSERT_NO_FATAL_FAILURE(RunToFinish(form));
        ASSERT_TRUE(form.RunSucceeded()) << form.Log().join(QLatin1Char('\n')).toStdString();
    }

    // Maintenance: a grayed box leaves its IDE alone, an unchecked one loses
    // the product.
    {
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.Mode, imMaintenance);
        TfMain form(data);
        ShowForm(form);
        EXPECT_EQ(PageTitle(form), QStringLiteral("Norvane Query Builder maintenance"));
        EXPECT_TRUE(Child<QRadioButton>(&form, "rbAddRemove")->isChecked());
        ClickNext(form);
        EXPECT_EQ(ActivePageName(form), QStringLiteral("wIDEPage"));
        const auto [box7, label7] = IDEBox(form, d7);
        const auto [box6, label6] = IDEBox(form, d6);
        ASSERT_TRUE(box7 && box6);
        EXPECT_EQ(box7->checkState(), Qt::PartiallyChecked);
        EXPECT_EQ(label6->text(), QStringLiteral("Action: Do nothing"));
        EXPECT_FALSE(form.Wizard()->NextButton()->isEnabled()); // nothing to do yet
        const QStringList expected{QStringLiteral("Action: Uninstall"), QStringLiteral("Action: Reinstall"),
                                   QStringLiteral("Action: Do nothing"), QStringLiteral("Action: Uninstall")};
        for (const QString &action : expected) {
            Click(box7);
            EXPECT_EQ(label7->text(), action);
        }
        EXPECT_TRUE(form.Wizard()->NextButton()->isEnabled());
        ASSERT_NO_FATAL_FAILURE(RunToFinish(form));
        EXPECT_TRUE(form.RunSucceeded()) << form.Log().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(FinishText(form), QStringLiteral("Norvane Query Builder component is installed successfully"));
    }
    EXPECT_EQ(KnownPackage(QStringLiteral("7.0"), d7Package), QString());
    EXPECT_EQ(KnownPackage(QStringLiteral("6.0"), d6Package), QStringLiteral("Norvane Query Builder Component"));
    EXPECT_FALSE(TRegistry(HKLM).KeyExists(Record + QLatin1Char('\\') + d7));
    EXPECT_TRUE(TRegistry(HKLM).KeyExists(Record + QLatin1Char('\\') + d6));

    // Update to a new version: the installed IDE is updated.
    machine.WriteFile(distribution.Folder() + QLatin1String("/version"), "1.4.0\r\n");
    {
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.Mode, imUpdate);
        TfMain form(data);
        ShowForm(form);
        EXPECT_EQ(ActivePageName(form), QStringLiteral("wUpdatePage"));
        EXPECT_TRUE(ActivePage(form)->Subtitle().contains(QLatin1String("1.3.0"))) << ActivePage(form)->Subtitle().toStdString();
        EXPECT_TRUE(ActivePage(form)->Subtitle().contains(QLatin1String("1.4.0")));
        ClickNext(form);
        Click(Child<QCheckBox>(&form, "cbAgree"));
        ClickNext(form);
        EXPECT_EQ(ActivePageName(form), QStringLiteral("wIDEPage"));
        EXPECT_EQ(IDEBox(form, d6).second->text(), QStringLiteral("Action: Update"));
        EXPECT_EQ(IDEBox(form, d7).second->text(), QStringLiteral("Action: Do nothing"));
        ClickNext(form);
        EXPECT_EQ(Child<TIDEComboBox>(&form, "cTarget")->count(), 1);
        ClickNext(form);
        EXPECT_EQ(PageTitle(form), QStringLiteral("Begin update"));
        EXPECT_EQ(Child<QLabel>(&form, "lInstallDir")->text(), dir);
        EXPECT_TRUE(Child<QLabel>(&form, "lUninstallWarning")->text().startsWith(QLatin1String("WARNING: This folder will be emptied")));
        ASSERT_NO_FATAL_FAILURE(RunToFinish(form));
        EXPECT_TRUE(form.RunSucceeded()) << form.Log().join(QLatin1Char('\n')).toStdString();
    }
    EXPECT_EQ(ReadValue(HKLM, Record, QStringLiteral("InstalledVersion")), QStringLiteral("1.4.0"));
    EXPECT_EQ(ReadValue(HKLM, QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NvQueryBuilderVCL"),
                        QStringLiteral("DisplayName")),
              QStringLiteral("Norvane Query Builder VCL Component 1.4.0"));
    EXPECT_EQ(KnownPackage(QStringLiteral("6.0"), d6Package), QStringLiteral("Norvane Query Builder Component"));
    EXPECT_EQ(KnownPackage(QStringLiteral("7.0"), d7Package), QString());

    // Removal, chosen by a click on the choice's caption.
    {
        TInstallData data(distribution.Folder());
        ASSERT_EQ(data.Mode, imMaintenance);
        TfMain form(data);
        ShowForm(form);
        auto *uninstall = Child<QRadioButton>(&form, "rbUninstall");
        ClickAt(Child<QLabel>(&form, "lUninstallCaption"), QPoint(5, 5));
        EXPECT_TRUE(uninstall->isChecked());
        EXPECT_EVENTUALLY(uninstall->hasFocus());
        ClickNext(form);
        EXPECT_EQ(PageTitle(form), QStringLiteral("Begin uninstall"));
        EXPECT_EQ(Child<QLabel>(&form, "lUninstallText")->text(),
                  QStringLiteral("You have selected to uninstall the Norvane Query Builder component completely from "
                                 "your computer."));
        ClickNext(form);
        ASSERT_TRUE(WaitFor([&] { return form.RunDone(); }));
        EXPECT_EQ(FinishText(form),
                  QStringLiteral("Norvane Query Builder component is now completely uninstalled from your computer"));
        EXPECT_FALSE(Child<QCheckBox>(&form, "cbWebSite")->isVisible());
        EXPECT_FALSE(Child<QLabel>(&form, "lLogPath")->isVisible());
        ClearShellOpenHistory();
        ClickFinish(form);
        EXPECT_TRUE(ShellOpenHistory().isEmpty());
    }
    EXPECT_EQ(SnapshotDifferences(before, MachineSnapshot(machine)),
              (QStringList{QStringLiteral("+ HKLM\\SOFTWARE\\Tellwright"), QStringLiteral("+ Program Files/Tellwright")}));
}
