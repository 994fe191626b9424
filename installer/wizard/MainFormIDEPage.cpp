// The IDE page: one check box per IDE with the action it leads to, and the
// checks made before the wizard leaves the page.
#include "installer/CompileTarget.h"
#include "installer/InstallData.h"
#include "installer/TargetOptions.h"
#include "installer/platform/ProcessList.h"
#include "installer/wizard/DCCCompilerWarning.h"
#include "installer/wizard/IDECheckBox.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace nvqb {

namespace {

// Where the boxes go, in page coordinates.
constexpr int BoxLeft = 30;
constexpr int FirstBoxTop = 84;
constexpr int BoxStep = 48;
// The action label: this far below the box and to the right of its left edge.
constexpr int LabelGap = 4;
constexpr int LabelIndent = 20;

const char *const UnusableText = "Norvane Query Builder can not be used with this version.";

} // namespace

void TfMain::CreateIDEPage()
{
    wIDEPage = AddPage("wIDEPage", QStringLiteral("Choose IDE Targets"),
                       QStringLiteral("Select the IDEs into which Norvane Query Builder is installed."));
    // The boxes keep their places on the page and scroll when there are
    // more IDEs than the page has room for.
    auto *scroll = new QScrollArea(wIDEPage->Body());
    scroll->setObjectName(QStringLiteral("sbIDEs"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(false);
    FIDEPanel = new QWidget;
    FIDEPanel->setObjectName(QStringLiteral("pnIDEs"));
    scroll->setWidget(FIDEPanel);
    auto *layout = new QVBoxLayout(wIDEPage->Body());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    wIDEPage->installEventFilter(this);
    scroll->viewport()->installEventFilter(this);
    wIDEPage->OnNextButtonClick = [this](bool &stop) { wIDEPageNextButtonClick(stop); };
}

void TfMain::CreateIDECheckBoxes()
{
    const TInstallMode mode = FInstallData.Mode;
    int number = 0;
    for (const auto &item : FInstallData.TargetOptions()) {
        TTargetOptions &options = *item;
        TCompileTarget &target = *options.Target();
        if (target.DisplayVersionNumber() < 5) {
            options.Action = taNothing;
            continue;
        }
        auto *box = new TIDECheckBox(target.DisplayName(), FIDEPanel);
        box->setObjectName(QStringLiteral("cbIDE%1").arg(number));
        auto *label = new QLabel(FIDEPanel);
        label->setObjectName(QStringLiteral("lIDEAction%1").arg(number));
        ++number;

        if (mode == imNewInstallation) {
            box->setCheckState(Qt::Checked);
            options.Action = taInstall;
        } else if (mode == imUpdate) {
            box->setCheckState(options.Installed ? Qt::Checked : Qt::Unchecked);
            options.Action = options.Installed ? taInstall : taNothing;
        } else {
            box->setTristate(options.Installed);
            box->setCheckState(options.Installed ? Qt::PartiallyChecked : Qt::Unchecked);
            options.Action = taNothing;
        }

        const bool usable = target.FindPackageByPrefix(QStringLiteral("dcldb")) != nullptr;
        if (!usable) {
            // Without the database components the product cannot work in
            // this IDE: it is left as it is.
            box->setTristate(false);
            box->setCheckState(Qt::Unchecked);
            box->setEnabled(false);
            options.Action = taNothing;
            QPalette red = label->palette();
            red.setColor(QPalette::WindowText, Qt::red);
            label->setPalette(red);
            label->setText(QLatin1String(UnusableText));
        }
        FIDEControls.push_back({&options, box, label, usable});
    }
    for (size_t i = 0; i < FIDEControls.size(); ++i)
        connect(FIDEControls[i].Box, &QCheckBox::clicked, this, [this, i] { IDECheckBoxClick(FIDEControls[i]); });
    LayoutIDEPage();
    UpdateIDEActionLabels();
    UpdateIDEPageState();
}

void TfMain::LayoutIDEPage()
{
    auto *scroll = wIDEPage->findChild<QScrollArea *>(QStringLiteral("sbIDEs"));
    const int width = wIDEPage->width() - 50;
    // The panel's top is the header's lower edge.
    int top = FirstBoxTop - TWizardPage::HeaderHeight;
    int bottom = 0;
    for (const TIDEControls &ide : FIDEControls) {
        const int boxHeight = ide.Box->sizeHint().height();
        ide.Box->setGeometry(BoxLeft, top, width, boxHeight);
        ide.ActionLabel->setGeometry(BoxLeft + LabelIndent, top + boxHeight + LabelGap, width - LabelIndent,
                                     ide.ActionLabel->sizeHint().height());
        bottom = ide.ActionLabel->geometry().bottom();
        top += BoxStep;
    }
    // The page's width: the scroll area clips what its scroll bar covers.
    FIDEPanel->resize(wIDEPage->width(), qMax(bottom + 10, scroll->viewport()->height()));
}

void TfMain::IDECheckBoxClick(TIDEControls &ide)
{
    switch (ide.Box->checkState()) {
    case Qt::Unchecked: ide.Options->Action = ide.Options->Installed ? taRemove : taNothing; break;
    case Qt::Checked: ide.Options->Action = taInstall; break;
    case Qt::PartiallyChecked: ide.Options->Action = taNothing; break;
    }
    UpdateIDEActionLabels();
    UpdateIDEPageState();
}

QString TfMain::ActionText(const TIDEControls &ide) const
{
    const Qt::CheckState state = ide.Box->checkState();
    const bool checked = state == Qt::Checked;
    const bool installed = ide.Options->Installed;
    const char *action = nullptr;
    switch (FInstallData.Mode) {
    case imNewInstallation: action = checked ? "Install" : "Don't install"; break;
    case imUpdate:
        if (installed)
            action = checked ? "Update" : "Uninstall";
        else
            action = checked ? "Install" : "Do nothing";
        break;
    default:
        if (installed)
            action = state == Qt::Unchecked ? "Uninstall" : checked ? "Reinstall" : "Do nothing";
        else
            action = checked ? "Install" : "Do nothing";
        break;
    }
    return QLatin1String("Action: ") + QLatin1String(action);
}

void TfMain::UpdateIDEActionLabels()
{
    for (const TIDEControls &ide : FIDEControls)
        if (ide.Usable) {
            ide.ActionLabel->setText(ActionText(ide));
            ide.ActionLabel->resize(ide.ActionLabel->width(), ide.ActionLabel->sizeHint().height());
        }
}

void TfMain::UpdateIDEPageState()
{
    const TTargetOptionsList &list = FInstallData.TargetOptions();
    wIDEPage->SetButtonEnabled(TWizardButton::Next, list.HasWork() || FInstallData.Mode == imNewInstallation);
    wConfigPage->SetPageEnabled(list.InstallCount() > 0);
}

void TfMain::wIDEPageNextButtonClick(bool &stop)
{
    if (!CheckMissingCompilers()) {
        stop = true;
        close();
        return;
    }
    for (const auto &item : FInstallData.TargetOptions()) {
        const TTargetOptions &options = *item;
        if (options.Action == taNothing || !IsProgramRunning(options.Target()->IDEProgram()))
            continue;
        stop = true;
        QMessageBox::warning(this, windowTitle(),
                             options.Target()->DisplayName()
                                 + QLatin1String(" IDE is running. Please close it before continue."));
        return;
    }
}

// False when the user chose to leave the installer.
bool TfMain::CheckMissingCompilers()
{
    for (const auto &item : FInstallData.TargetOptions()) {
        const TTargetOptions &options = *item;
        const TCompileTarget &target = *options.Target();
        if (options.Action == taNothing || target.DisplayVersionNumber() <= 9 || !target.IsTurboEdition())
            continue;
        while (!options.CompilerExists()) {
            const TfDCCCompilerWarning::TResult answer = FDCCCompilerWarning->Execute(target.DisplayName());
            if (answer == TfDCCCompilerWarning::wrExit)
                return false;
            if (answer == TfDCCCompilerWarning::wrContinue)
                break;
        }
    }
    return true;
}

} // namespace nvqb
