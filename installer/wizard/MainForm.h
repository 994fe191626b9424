#pragma once
// The setup wizard's window: the pages that collect what the install data
// needs (welcome, update or maintenance, licence, destination, Start-menu
// folder, IDEs, per-IDE options, uninstall), the page that runs the install
// or uninstall run with its log, and the finish page.
//
// The run works on the window's thread; after each log line the window
// handles its pending events, so it repaints and stays responsive. While the
// run goes, the wizard's buttons are disabled and the window cannot be
// closed, so the run is never entered twice; it runs once per window.
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QRadioButton;

namespace nvqb {

class TFrameDirEditBrowse;
class TIDECheckBox;
class TIDEComboBox;
class TInstallData;
class TTargetOptions;
class TWizard;
class TWizardPage;
class TfDCCCompilerWarning;

class TfMain : public QWidget {
    Q_OBJECT
public:
    // Sets the pages up for the install data's mode and shows the first
    // enabled page once the window is shown.
    explicit TfMain(TInstallData &installData, QWidget *parent = nullptr);
    ~TfMain() override;

    TWizard *Wizard() const { return FWizard; }
    TInstallData &InstallData() const { return FInstallData; }
    TfDCCCompilerWarning *DCCCompilerWarning() const { return FDCCCompilerWarning.get(); }

    // The run: under way, its log (the run's lines and the failure that
    // ended it, as saved in "setup.log"), and whether it succeeded.
    bool Running() const { return FRunState == TRunState::Running; }
    bool RunDone() const { return FRunState == TRunState::Done; }
    const QStringList &Log() const { return FLog; }
    bool RunSucceeded() const { return FRunSucceeded; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class TRunState { NotStarted, Running, Done };

    // One IDE that has a box on the IDE page.
    struct TIDEControls {
        TTargetOptions *Options;
        TIDECheckBox *Box;
        QLabel *ActionLabel;
        // The IDE has the database components the product needs.
        bool Usable;
    };

    TWizardPage *AddPage(const char *name, const QString &title, const QString &subtitle = QString());
    void CreateWelcomePages();
    void CreateLicensePage();
    void CreateDestinationPage();
    void CreateFolderPage();
    void CreateIDEPage();
    void CreateConfigPage();
    void CreateUninstallPage();
    void CreateCompilePage();
    void CreateFinishPage();
    void SetupPages();

    // Welcome, licence, destination and folder pages.
    void rbMainternanceClick(QRadioButton *choice);
    void cbAgreeClick();
    void wDestinationPageNextButtonClick(bool &stop);
    void EditDirectoryChange();
    void eFolderChange();
    void lFoldersClick(QListWidgetItem *item);
    void wFolderNextButtonClick(bool &stop);

    // IDE page.
    void CreateIDECheckBoxes();
    void LayoutIDEPage();
    void IDECheckBoxClick(TIDEControls &ide);
    QString ActionText(const TIDEControls &ide) const;
    void UpdateIDEActionLabels();
    void UpdateIDEPageState();
    void wIDEPageNextButtonClick(bool &stop);
    bool CheckMissingCompilers();

    // Configuration page.
    void wConfigPageEnterPage();
    void cTargetChange();
    TTargetOptions *SelectedTarget() const;
    void cbCompileFromSourceClick();
    void cbAddSourceClick();
    void cbIDERegistrationClick();
    void clMetaProvidersClickCheck(QListWidgetItem *item);

    // Uninstall, compile and finish pages.
    void wUninstallEnterPage();
    void wCompilePageEnterPage();
    void RunCompile();
    void AddLogLine(const QString &line);
    // False (the message added to the log) when the file cannot be written.
    bool SaveLog();
    void wFinishEnterPage();
    void wFinishFinishButtonClick();
    void WizardCancelButtonClick();

    TInstallData &FInstallData;
    std::unique_ptr<TfDCCCompilerWarning> FDCCCompilerWarning;
    TWizard *FWizard;

    TWizardPage *wInstallPage = nullptr;
    TWizardPage *wUpdatePage = nullptr;
    TWizardPage *wMainternance = nullptr;
    TWizardPage *wLicensePage = nullptr;
    TWizardPage *wDestinationPage = nullptr;
    TWizardPage *wFolder = nullptr;
    TWizardPage *wIDEPage = nullptr;
    TWizardPage *wConfigPage = nullptr;
    TWizardPage *wUninstall = nullptr;
    TWizardPage *wCompile = nullptr;
    TWizardPage *wFinish = nullptr;

    QLabel *lInstallText = nullptr;
    QLabel *lUpdateText = nullptr;
    QRadioButton *rbAddRemove = nullptr;
    QRadioButton *rbUninstall = nullptr;
    QLabel *lAddRemoveCaption = nullptr;
    QLabel *lUninstallCaption = nullptr;
    QPlainTextEdit *mLicense = nullptr;
    QCheckBox *cbAgree = nullptr;
    TFrameDirEditBrowse *frDestination = nullptr;
    QLineEdit *eFolder = nullptr;
    QListWidget *lFolders = nullptr;
    QWidget *FIDEPanel = nullptr;
    std::vector<TIDEControls> FIDEControls;
    TIDEComboBox *cTarget = nullptr;
    std::vector<TTargetOptions *> FConfigTargets;
    QGroupBox *gbOptions = nullptr;
    QCheckBox *cbCompileFromSource = nullptr;
    QCheckBox *cbIDERegistration = nullptr;
    QCheckBox *cbAddSource = nullptr;
    QListWidget *clMetaProviders = nullptr;
    // Set while the options of an IDE are being shown, so that showing them
    // stores nothing.
    bool FShowingOptions = false;
    QLabel *lUninstallText = nullptr;
    QLabel *lInstallDir = nullptr;
    QLabel *lUninstallWarning = nullptr;
    QPlainTextEdit *mOutput = nullptr;
    QLabel *lLogPathCaption = nullptr;
    QLabel *lLogPath = nullptr;
    QLabel *lFinishText = nullptr;
    QCheckBox *cbWebSite = nullptr;

    TRunState FRunState = TRunState::NotStarted;
    bool FRunSucceeded = false;
    QStringList FLog;
};

} // namespace nvqb
