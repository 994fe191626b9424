// The setup program. Its options are read before anything else; "--help"
// prints them and ends the program. Otherwise the wizard runs until its
// window is closed.
#include "installer/CmdOptions.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/SetupStart.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    nvqb::InitCmdOptions(argc, argv);
    if (nvqb::CmdOptions().Help) {
        QTextStream out(stdout);
        QTextStream in(stdin);
        return nvqb::ShowHelpAndWait(nvqb::CmdOptions(), out, in);
    }
    QApplication app(argc, argv);
    const std::unique_ptr<nvqb::TfMain> form = nvqb::StartSetup(QCoreApplication::applicationDirPath());
    if (!form)
        return 0;
    return app.exec();
}
