// The compile page, which runs the install or uninstall run, and the finish
// page, which reports its result.
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/SetupError.h"
#include "installer/platform/ShellOpen.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <exception>

namespace nvqb {

void TfMain::CreateCompilePage()
{
    wCompile = AddPage("wCompile", QStringLiteral("Compiling and Installing Packages"),
                       QStringLiteral("Please wait while Setup carries out your choices."));
    mOutput = new QPlainTextEdit(wCompile->Body());
    mOutput->setObjectName(QStringLiteral("mOutput"));
    mOutput->setReadOnly(true);
    mOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    lLogPathCaption = new QLabel(QStringLiteral("The setup log is saved in:"), wCompile->Body());
    lLogPathCaption->setObjectName(QStringLiteral("lLogPathCaption"));
    lLogPath = new QLabel(wCompile->Body());
    lLogPath->setObjectName(QStringLiteral("lLogPath"));
    lLogPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lLogPath->setWordWrap(true);
    lLogPathCaption->hide();
    lLogPath->hide();
    auto *layout = new QVBoxLayout(wCompile->Body());
    layout->setContentsMargins(12, 8, 12, 4);
    layout->addWidget(mOutput, 1);
    layout->addWidget(lLogPathCaption);
    layout->addWidget(lLogPath);
    wCompile->OnEnterPage = [this](TWizardPage *) { wCompilePageEnterPage(); };
}

void TfMain::wCompilePageEnterPage()
{
    // Back from the finish page shows the run's log again; the run itself
    // happens once.
    if (FRunState != TRunState::NotStarted) {
        mOutput->moveCursor(QTextCursor::End);
        mOutput->ensureCursorVisible();
        return;
    }
    FRunState = TRunState::Running;
    wCompile->SetEnabledButtons({});
    // The run starts once the page is on screen, not inside the click that
    // led here.
    QMetaObject::invokeMethod(
        this, [this] { RunCompile(); }, Qt::QueuedConnection);
}

void TfMain::AddLogLine(const QString &line)
{
    mOutput->appendPlainText(line);
    mOutput->moveCursor(QTextCursor::End);
    mOutput->ensureCursorVisible();
    QApplication::processEvents();
}

void TfMain::RunCompile()
{
    const bool uninstall = FInstallData.Mode == imUninstall;
    TCompiler compiler(FInstallData);
    compiler.OnLog = [this](const QString &line) { AddLogLine(line); };
    // A child program that writes nothing for a while still lets the window
    // repaint.
    compiler.OnIdle = [] { QApplication::processEvents(); };
    bool succeeded = false;
    QString failure;
    try {
        FInstallData.SaveToRegistry();
        succeeded = uninstall ? compiler.Uninstall() : compiler.Install();
    } catch (const ESetupError &e) {
        failure = e.Message();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure = QStringLiteral("An unknown error ended the run.");
    }
    FLog = compiler.LogLines();
    if (!failure.isEmpty()) {
        succeeded = false;
        FLog += failure;
        AddLogLine(failure);
    }
    if (uninstall) {
        lLogPathCaption->hide();
        lLogPath->hide();
    } else if (!SaveLog()) {
        // The run is not done as it says while its log is not where it says.
        succeeded = false;
    }
    FRunSucceeded = succeeded;
    FRunState = TRunState::Done;
    wCompile->SetEnabledButtons(TWizardButton::Next);
    FWizard->SelectNextPage();
}

bool TfMain::SaveLog()
{
    const QString fileName = FInstallData.InstallDir + QLatin1String("/setup.log");
    try {
        WriteFileAtomically(fileName, (FLog.join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toLocal8Bit());
    } catch (const ESetupError &e) {
        const QString error = QLatin1String("Error: ") + e.Message();
        FLog += error;
        AddLogLine(error);
        lLogPathCaption->hide();
        lLogPath->hide();
        return false;
    }
    lLogPath->setText(fileName);
    lLogPathCaption->show();
    lLogPath->show();
    return true;
}

void TfMain::CreateFinishPage()
{
    wFinish = AddPage("wFinish", QStringLiteral("Installation completed"));
    lFinishText = new QLabel(wFinish->Body());
    lFinishText->setObjectName(QStringLiteral("lFinishText"));
    lFinishText->setWordWrap(true);
    cbWebSite = new QCheckBox(QStringLiteral("Visit Norvane Query Builder web site"), wFinish->Body());
    cbWebSite->setObjectName(QStringLiteral("cbWebSite"));
    cbWebSite->setChecked(true);
    auto *layout = new QVBoxLayout(wFinish->Body());
    layout->setContentsMargins(20, 14, 20, 10);
    layout->addWidget(lFinishText);
    layout->addSpacing(16);
    layout->addWidget(cbWebSite);
    layout->addStretch(1);
    wFinish->SetEnabledButtons(TWizardButtons(TWizardButton::Back) | TWizardButton::Finish);
    wFinish->OnEnterPage = [this](TWizardPage *) { wFinishEnterPage(); };
    wFinish->OnFinishButtonClick = [this] { wFinishFinishButtonClick(); };
}

void TfMain::wFinishEnterPage()
{
    if (FInstallData.Mode == imUninstall) {
        lFinishText->setText(
            FRunSucceeded
                ? QStringLiteral("Norvane Query Builder component is now completely uninstalled from your computer")
                : QStringLiteral("Norvane Query Builder uninstall completed with errors. See Setup Log for additional "
                                 "information."));
        cbWebSite->hide();
    } else {
        lFinishText->setText(FRunSucceeded ? QStringLiteral("Norvane Query Builder component is installed successfully")
                                           : QStringLiteral("Norvane Query Builder Setup completed with errors. See "
                                                            "Setup Log for additional information."));
    }
}

void TfMain::wFinishFinishButtonClick()
{
    if (cbWebSite->isVisible() && cbWebSite->isEnabled() && cbWebSite->isChecked())
        ShellOpen(ProductWebAddress);
    close();
}

} // namespace nvqb
