// The setup program with a user who always answers the same way (tests
// only, never shipped): it starts exactly as the setup program does and then
// clicks its way through the wizard, so that a test can run a whole install,
// update or uninstall as a program of its own, under fault injection or
// killed half-way.
//
//   nvqb-setup-robot FOLDER ACTION
//
// FOLDER is the folder the setup program runs from: a distribution, or the
// "Uninstall" folder of an installation. ACTION "install" takes the wizard's
// choices for a new installation or an update and, in maintenance, installs
// again into every IDE it offers ("Add or Remove IDE installations" with
// every box checked); "uninstall" chooses "Uninstall Norvane Query Builder"
// in maintenance.
//
// It writes what it sees to standard output: "page: <name>", "message:
// <text>" for every message box (closed at once), "finish: <text>" for the
// finish page and "log: <line>" for each line of the run's log. Exit code: 0
// when the finish page reports success, 1 when it reports errors, 2 when
// there is nothing to uninstall, 3 when the wizard does not get to its
// finish page.
#include "installer/CmdOptions.h"
#include "installer/InstallData.h"
#include "installer/wizard/IDECheckBox.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/SetupStart.h"
#include "installer/wizard/Wizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace nvqb;

namespace {

enum TExit { exSucceeded = 0, exErrors = 1, exNothingInstalled = 2, exStuck = 3 };

void Print(const char *kind, const QString &text)
{
    std::printf("%s: %s\n", kind, text.toLocal8Bit().constData());
    std::fflush(stdout);
}

class TRobot : public QObject {
public:
    TRobot(TfMain &form, bool uninstall) : FForm(form), FUninstall(uninstall)
    {
        connect(&FTimer, &QTimer::timeout, this, [this] { Step(); });
        FTimer.start(5);
    }

    int Code() const { return FCode; }

private:
    void Finish(int code)
    {
        FTimer.stop();
        FCode = code;
        QApplication::exit(code);
    }

    void Step()
    {
        // Message boxes run their own event loop inside a click; they are
        // answered from there.
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                Print("message", box->text());
            modal->close();
            return;
        }
        if (FForm.Running())
            return;
        TWizardPage *page = FForm.Wizard()->ActivePage();
        if (!page)
            return;
        const QString name = page->objectName();
        if (name != FLastPage) {
            Print("page", name);
            FLastPage = name;
            FTries = 0;
        } else if (++FTries > 200) {
            Print("stuck", name);
            Finish(exStuck);
            return;
        }
        if (name == QLatin1String("wFinish")) {
            Print("finish", FForm.findChild<QLabel *>(QStringLiteral("lFinishText"))->text());
            for (const QString &line : FForm.Log())
                Print("log", line);
            FCode = FForm.RunSucceeded() ? exSucceeded : exErrors;
            FTimer.stop();
            // Finish closes the window, which ends the program.
            FForm.Wizard()->FinishButton()->click();
            return;
        }
        if (name == QLatin1String("wCompile"))
            return;
        if (FUninstall && (name == QLatin1String("wInstallPage") || name == QLatin1String("wUpdatePage"))) {
            Print("nothing", QStringLiteral("no installation of this version to uninstall"));
            Finish(exNothingInstalled);
            return;
        }
        if (name == QLatin1String("wMainternance")) {
            FForm.findChild<QRadioButton *>(QLatin1String(FUninstall ? "rbUninstall" : "rbAddRemove"))->click();
        } else if (name == QLatin1String("wLicensePage")) {
            FForm.findChild<QCheckBox *>(QStringLiteral("cbAgree"))->setChecked(true);
        } else if (name == QLatin1String("wIDEPage") && FForm.InstallData().Mode == imMaintenance) {
            for (TIDECheckBox *box : FForm.findChildren<TIDECheckBox *>())
                for (int k = 0; k < 3 && box->isEnabled() && box->checkState() != Qt::Checked; ++k)
                    box->click();
        }
        QPushButton *next = FForm.Wizard()->NextButton();
        if (next->isVisible() && next->isEnabled())
            next->click();
    }

    TfMain &FForm;
    bool FUninstall;
    QTimer FTimer;
    QString FLastPage;
    int FTries = 0;
    int FCode = exStuck;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (qstrcmp(argv[2], "install") != 0 && qstrcmp(argv[2], "uninstall") != 0)) {
        std::fprintf(stderr, "usage: nvqb-setup-robot FOLDER install|uninstall\n");
        return exStuck;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The setup program is started without options.
    InitCmdOptions(1, argv);
    QApplication app(argc, argv);
    const bool uninstall = qstrcmp(argv[2], "uninstall") == 0;
    // A distribution the program cannot start from shows a message box;
    // the robot answers it like any other.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                Print("message", box->text());
            modal->close();
        }
    });
    answer.start(5);
    const std::unique_ptr<TfMain> form = StartSetup(QString::fromLocal8Bit(argv[1]));
    answer.stop();
    if (!form) {
        Print("stuck", QStringLiteral("no window"));
        return exStuck;
    }
    TRobot robot(*form, uninstall);
    app.exec();
    return robot.Code();
}
