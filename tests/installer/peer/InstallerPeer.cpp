// Another program on the test machine (NVQB_MACHINE), for the tests of
// programs that work on one machine at once (test-only, never shipped):
//
//   write-values COUNT            writes COUNT values one at a time, in turn
//                                 to HKLM\SOFTWARE\Other Program and
//                                 HKCU\Software\Other Program ("Value0000"
//                                 = "0", ...); prints "started" after the
//                                 first
//   write-value HKLM|HKCU KEY NAME TEXT
//                                 writes one value
//   clean FILE                    removes the stale temporary files of the
//                                 file's atomic writes; prints how many
//   setup install|uninstall FOLDER
//                                 starts the setup program's window from the
//                                 distribution folder as the program does,
//                                 then runs what its compile page runs: an
//                                 install into every IDE, or the uninstall.
//                                 Exit code 0 when the run succeeded, 1 when
//                                 it failed, 3 when the start was refused
//                                 (its message on standard error)
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/Registry.h"
#include "installer/platform/SetupError.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/SetupStart.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

using namespace nvqb;

namespace {

int WriteValues(int total)
{
    for (int count = 0; count < total; ++count) {
        const bool machine = count % 2 == 0;
        TRegistry reg(machine ? TRootKey::HKEY_LOCAL_MACHINE : TRootKey::HKEY_CURRENT_USER);
        reg.OpenKey(QLatin1String(machine ? "\\SOFTWARE\\Other Program" : "\\Software\\Other Program"), true);
        reg.WriteString(QStringLiteral("Value%1").arg(count, 4, 10, QLatin1Char('0')), QString::number(count));
        if (count == 0) {
            std::printf("started\n");
            std::fflush(stdout);
        }
    }
    return 0;
}

int WriteValue(const QStringList &arguments)
{
    TRegistry reg(arguments[0] == QLatin1String("HKLM") ? TRootKey::HKEY_LOCAL_MACHINE : TRootKey::HKEY_CURRENT_USER);
    reg.OpenKey(arguments[1], true);
    reg.WriteString(arguments[2], arguments[3]);
    return 0;
}

int Setup(int argc, char **argv, bool uninstall, const QString &folder)
{
    QApplication app(argc, argv);
    // The message box of a refused start, answered as a user would.
    QString refusal;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&refusal] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            refusal = box->text();
            box->close();
        }
    });
    answer.start(10);
    const std::unique_ptr<TfMain> form = StartSetup(folder);
    answer.stop();
    if (!form) {
        std::fprintf(stderr, "%s\n", qPrintable(refusal));
        return 3;
    }
    TInstallData &data = form->InstallData();
    if (uninstall) {
        data.Mode = imUninstall;
    } else {
        for (const auto &options : data.TargetOptions())
            options->Action = taInstall;
    }
    TCompiler compiler(data);
    bool succeeded = false;
    try {
        data.SaveToRegistry();
        succeeded = uninstall ? compiler.Uninstall() : compiler.Install();
    } catch (const ESetupError &e) {
        compiler.Log(e.Message());
    }
    for (const QString &line : compiler.LogLines())
        std::printf("%s\n", qPrintable(line));
    return succeeded ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int k = 1; k < argc; ++k)
        arguments += QString::fromLocal8Bit(argv[k]);
    const QString command = arguments.value(0);
    if (!arguments.isEmpty())
        arguments.removeFirst();
    try {
        if (command == QLatin1String("write-values") && arguments.size() == 1)
            return WriteValues(arguments[0].toInt());
        if (command == QLatin1String("write-value") && arguments.size() == 4)
            return WriteValue(arguments);
        if (command == QLatin1String("clean") && arguments.size() == 1) {
            std::printf("%d\n", RemoveStaleTemporaryFiles(arguments[0]));
            return 0;
        }
        if (command == QLatin1String("setup") && arguments.size() == 2)
            return Setup(argc, argv, arguments[0] == QLatin1String("uninstall"), arguments[1]);
    } catch (const ESetupError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    std::fprintf(stderr, "usage: write-values COUNT | write-value HKLM|HKCU KEY NAME TEXT | clean FILE | "
                         "setup install|uninstall FOLDER\n");
    return 2;
}
