// The pages before the IDE page (welcome, update, maintenance, licence,
// destination, Start-menu folder) and the uninstall page.
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/wizard/FrameDirEditBrowse.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace nvqb {

namespace {

QLabel *TextLabel(const QString &text, QWidget *parent, const char *name = nullptr)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (name)
        label->setObjectName(QLatin1String(name));
    return label;
}

QVBoxLayout *BodyLayout(TWizardPage *page)
{
    auto *layout = new QVBoxLayout(page->Body());
    layout->setContentsMargins(20, 14, 20, 10);
    return layout;
}

QString LicenseText()
{
    QFile file(QStringLiteral(":/installer/License.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

void TfMain::CreateWelcomePages()
{
    const QString welcome = QStringLiteral("Welcome to the Norvane Query Builder Installation Wizard");
    wInstallPage = AddPage("wInstallPage", welcome, QStringLiteral("Norvane Query Builder VCL Component"));
    lInstallText = TextLabel(
        QStringLiteral("This wizard installs Norvane Query Builder %1 on your computer and into the Delphi and "
                       "C++Builder IDEs you choose.\n\n"
                       "Please close all running IDEs before you continue.\n\n"
                       "Press Next to continue, or Cancel to leave the installation."),
        wInstallPage->Body(), "lInstallText");
    BodyLayout(wInstallPage)->addWidget(lInstallText, 1);

    wUpdatePage = AddPage("wUpdatePage", welcome,
                          QStringLiteral("Norvane Query Builder %1 is installed on your computer. This wizard "
                                         "updates it to version %2."));
    lUpdateText = TextLabel(QStringLiteral("The installed version is replaced by the new one in the same folder and "
                                           "in the IDEs you choose.\n\n"
                                           "Please close all running IDEs before you continue.\n\n"
                                           "Press Next to continue, or Cancel to leave the update."),
                            wUpdatePage->Body(), "lUpdateText");
    BodyLayout(wUpdatePage)->addWidget(lUpdateText, 1);

    wMainternance = AddPage("wMainternance", QStringLiteral("Norvane Query Builder maintenance"),
                            QStringLiteral("This version of Norvane Query Builder is installed. Choose what to do."));
    auto *layout = new QGridLayout(wMainternance->Body());
    layout->setContentsMargins(20, 14, 20, 10);
    layout->setColumnStretch(1, 1);
    const auto choice = [&](int row, const char *radioName, const char *captionName, const QString &caption,
                            const QString &description, QRadioButton *&radio, QLabel *&captionLabel) {
        radio = new QRadioButton(wMainternance->Body());
        radio->setObjectName(QLatin1String(radioName));
        captionLabel = new QLabel(caption, wMainternance->Body());
        captionLabel->setObjectName(QLatin1String(captionName));
        QFont bold = captionLabel->font();
        bold.setBold(true);
        captionLabel->setFont(bold);
        captionLabel->setBuddy(radio);
        captionLabel->installEventFilter(this);
        layout->addWidget(radio, row, 0);
        layout->addWidget(captionLabel, row, 1);
        layout->addWidget(TextLabel(description, wMainternance->Body()), row + 1, 1);
        connect(radio, &QRadioButton::clicked, this, [this, radio] { rbMainternanceClick(radio); });
    };
    choice(0, "rbAddRemove", "lAddRemoveCaption", QStringLiteral("Add or Remove IDE installations"),
           QStringLiteral("Install Norvane Query Builder into more IDEs, install it again, or take it out of "
                          "some of them."),
           rbAddRemove, lAddRemoveCaption);
    layout->setRowMinimumHeight(2, 12);
    choice(3, "rbUninstall", "lUninstallCaption", QStringLiteral("Uninstall Norvane Query Builder"),
           QStringLiteral("Remove Norvane Query Builder from every IDE and from your computer."), rbUninstall,
           lUninstallCaption);
    layout->setRowStretch(5, 1);
    rbAddRemove->setChecked(true);
}

void TfMain::rbMainternanceClick(QRadioButton *choice)
{
    choice->setChecked(true);
    const bool uninstall = choice == rbUninstall;
    FInstallData.Mode = uninstall ? imUninstall : imMaintenance;
    wIDEPage->SetPageEnabled(!uninstall);
    wUninstall->SetPageEnabled(uninstall);
    cbWebSite->setChecked(!uninstall);
    if (uninstall)
        wConfigPage->SetPageEnabled(false);
    else
        UpdateIDEPageState();
}

void TfMain::CreateLicensePage()
{
    wLicensePage = AddPage("wLicensePage", QStringLiteral("License agreement"),
                           QStringLiteral("Please read the following license agreement carefully."));
    mLicense = new QPlainTextEdit(LicenseText(), wLicensePage->Body());
    mLicense->setObjectName(QStringLiteral("mLicense"));
    mLicense->setReadOnly(true);
    cbAgree = new QCheckBox(QStringLiteral("Yes, I accept this agreement"), wLicensePage->Body());
    cbAgree->setObjectName(QStringLiteral("cbAgree"));
    QVBoxLayout *layout = BodyLayout(wLicensePage);
    layout->addWidget(mLicense, 1);
    layout->addWidget(cbAgree);
    connect(cbAgree, &QCheckBox::toggled, this, [this] { cbAgreeClick(); });
    cbAgreeClick();
}

void TfMain::cbAgreeClick()
{
    wLicensePage->SetButtonEnabled(TWizardButton::Next, cbAgree->isChecked());
}

void TfMain::CreateDestinationPage()
{
    wDestinationPage = AddPage("wDestinationPage", QStringLiteral("Destination Folder"),
                               QStringLiteral("Choose the folder into which Norvane Query Builder is installed."));
    frDestination = new TFrameDirEditBrowse(wDestinationPage->Body());
    frDestination->setObjectName(QStringLiteral("frDestination"));
    frDestination->LblCaption->setText(QStringLiteral("&Destination folder:"));
    QVBoxLayout *layout = BodyLayout(wDestinationPage);
    layout->addWidget(TextLabel(QStringLiteral("Setup installs Norvane Query Builder into the folder below. To install "
                                               "into another folder, type it or press the button to browse for it."),
                                wDestinationPage->Body()));
    layout->addSpacing(10);
    layout->addWidget(frDestination);
    layout->addStretch(1);
    wDestinationPage->OnNextButtonClick = [this](bool &stop) { wDestinationPageNextButtonClick(stop); };
    connect(frDestination->EditDirectory, &QLineEdit::textChanged, this, [this] { EditDirectoryChange(); });
}

// Everything of the product goes into this folder and an uninstall empties
// it: it must name one folder of its own, never a root or a system folder,
// and its name must fit on the unarchiver's command line.
void TfMain::EditDirectoryChange()
{
    wDestinationPage->SetButtonEnabled(TWizardButton::Next, InstallFolderProblem(frDestination->Directory()).isEmpty());
}

void TfMain::wDestinationPageNextButtonClick(bool &stop)
{
    const QString folder = QDir::cleanPath(frDestination->Directory());
    if (!InstallFolderProblem(folder).isEmpty()) {
        stop = true;
        return;
    }
    FInstallData.InstallDir = folder;
}

void TfMain::CreateFolderPage()
{
    wFolder = AddPage("wFolder", QStringLiteral("Select program folder"),
                      QStringLiteral("Choose the Start menu folder for the shortcuts of Norvane Query Builder."));
    eFolder = new QLineEdit(wFolder->Body());
    eFolder->setObjectName(QStringLiteral("eFolder"));
    lFolders = new QListWidget(wFolder->Body());
    lFolders->setObjectName(QStringLiteral("lFolders"));
    auto *caption = new QLabel(QStringLiteral("&Program folder:"), wFolder->Body());
    caption->setBuddy(eFolder);
    auto *existing = new QLabel(QStringLiteral("&Existing folders:"), wFolder->Body());
    existing->setBuddy(lFolders);
    QVBoxLayout *layout = BodyLayout(wFolder);
    layout->addWidget(caption);
    layout->addWidget(eFolder);
    layout->addWidget(existing);
    layout->addWidget(lFolders, 1);
    connect(eFolder, &QLineEdit::textChanged, this, [this] { eFolderChange(); });
    connect(lFolders, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { lFoldersClick(item); });
    wFolder->OnNextButtonClick = [this](bool &stop) { wFolderNextButtonClick(stop); };
}

// The shortcuts go into this folder below the Programs folder, and an
// uninstall looks for them there: a name that leads elsewhere is no choice.
void TfMain::eFolderChange()
{
    wFolder->SetButtonEnabled(TWizardButton::Next, !CheckedStartMenuFolderName(eFolder->text()).isEmpty());
}

void TfMain::lFoldersClick(QListWidgetItem *item)
{
    if (item)
        eFolder->setText(item->text());
}

void TfMain::wFolderNextButtonClick(bool &stop)
{
    const QString name = CheckedStartMenuFolderName(eFolder->text());
    if (name.isEmpty()) {
        stop = true;
        return;
    }
    FInstallData.StartMenuFolderName = name;
}

void TfMain::CreateUninstallPage()
{
    wUninstall = AddPage("wUninstall", QStringLiteral("Uninstall"));
    lUninstallText = TextLabel(QString(), wUninstall->Body(), "lUninstallText");
    lInstallDir = TextLabel(QString(), wUninstall->Body(), "lInstallDir");
    QFont bold = lInstallDir->font();
    bold.setBold(true);
    lInstallDir->setFont(bold);
    lInstallDir->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lUninstallWarning = TextLabel(QString(), wUninstall->Body(), "lUninstallWarning");
    QVBoxLayout *layout = BodyLayout(wUninstall);
    layout->addWidget(lUninstallText);
    layout->addSpacing(8);
    layout->addWidget(lInstallDir);
    layout->addSpacing(8);
    layout->addWidget(lUninstallWarning);
    layout->addStretch(1);
    wUninstall->OnEnterPage = [this](TWizardPage *) { wUninstallEnterPage(); };
}

void TfMain::wUninstallEnterPage()
{
    lInstallDir->setText(FInstallData.InstallDir);
    if (FInstallData.Mode == imUpdate) {
        lUninstallText->setText(QStringLiteral(
            "You have selected to update the Norvane Query Builder component in the folder listed below."));
        lUninstallWarning->setText(QStringLiteral(
            "WARNING: This folder will be emptied before update. Please make sure that this folder doesn't contain "
            "any other important information before pressing the Next button."));
        wUninstall->SetTitle(QStringLiteral("Begin update"));
        wUninstall->SetSubtitle(QStringLiteral("Norvane Query Builder is about to be updated. Please check the "
                                               "information below and press the Next button when ready."));
    } else {
        lUninstallText->setText(QStringLiteral(
            "You have selected to uninstall the Norvane Query Builder component completely from your computer."));
        lUninstallWarning->setText(QStringLiteral(
            "WARNING: This folder will be completely removed from your hard disk. Please make sure that this folder "
            "doesn't contain any other important information before pressing the Next button."));
        wUninstall->SetTitle(QStringLiteral("Begin uninstall"));
        wUninstall->SetSubtitle(QStringLiteral("Norvane Query Builder is about to be uninstalled. Please check the "
                                               "information below and press the Next button when ready."));
    }
}

} // namespace nvqb
