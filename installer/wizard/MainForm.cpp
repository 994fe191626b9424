#include "installer/wizard/MainForm.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/wizard/DCCCompilerWarning.h"
#include "installer/wizard/FrameDirEditBrowse.h"
#include "installer/wizard/Wizard.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QCloseEvent>
#include <QRadioButton>
#include <QVBoxLayout>

namespace nvqb {

TfMain::TfMain(TInstallData &installData, QWidget *parent)
    : QWidget(parent), FInstallData(installData), FDCCCompilerWarning(std::make_unique<TfDCCCompilerWarning>(this)),
      FWizard(new TWizard(this))
{
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(SetupTitle);
    FWizard->setObjectName(QStringLiteral("Wizard"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FWizard);
    resize(600, 450);

    CreateWelcomePages();
    CreateLicensePage();
    CreateDestinationPage();
    CreateFolderPage();
    CreateIDEPage();
    CreateConfigPage();
    CreateUninstallPage();
    CreateCompilePage();
    CreateFinishPage();
    FWizard->OnCancelButtonClick = [this] { WizardCancelButtonClick(); };

    SetupPages();
    FWizard->SelectFirstPage();
}

TfMain::~TfMain() = default;

TWizardPage *TfMain::AddPage(const char *name, const QString &title, const QString &subtitle)
{
    auto *page = new TWizardPage(title, subtitle);
    page->setObjectName(QLatin1String(name));
    FWizard->AddPage(page);
    return page;
}

void TfMain::SetupPages()
{
    // The route for the mode.
    const TInstallMode mode = FInstallData.Mode;
    wInstallPage->SetPageEnabled(mode == imNewInstallation);
    wUpdatePage->SetPageEnabled(mode == imUpdate);
    wMainternance->SetPageEnabled(mode == imMaintenance);
    wLicensePage->SetPageEnabled(mode == imNewInstallation || mode == imUpdate);
    wDestinationPage->SetPageEnabled(mode == imNewInstallation);
    wFolder->SetPageEnabled(mode == imNewInstallation);
    wUninstall->SetPageEnabled(mode == imUpdate);
    lInstallText->setText(lInstallText->text().arg(FInstallData.Version().Text()));
    wUpdatePage->SetSubtitle(
        wUpdatePage->Subtitle().arg(FInstallData.InstalledVersion().Text(), FInstallData.Version().Text()));

    frDestination->SetDirectory(FInstallData.InstallDir);
    CreateIDECheckBoxes();
    eFolder->setText(FInstallData.StartMenuFolderName);
    lFolders->addItems(FInstallData.ProgramsSubfolders());
}

void TfMain::WizardCancelButtonClick()
{
    close();
}

void TfMain::closeEvent(QCloseEvent *event)
{
    // The run goes on inside this window's event handling; it cannot stop
    // half way, so the window stays until it has ended.
    if (Running())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

bool TfMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && FIDEPanel && (watched == wIDEPage || watched == FIDEPanel->parent()))
        LayoutIDEPage();
    // A click on the caption of a maintenance choice chooses it.
    if ((watched == lAddRemoveCaption || watched == lUninstallCaption) && event->type() == QEvent::MouseButtonRelease) {
        QRadioButton *choice = watched == lAddRemoveCaption ? rbAddRemove : rbUninstall;
        choice->setFocus(Qt::MouseFocusReason);
        rbMainternanceClick(choice);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace nvqb
