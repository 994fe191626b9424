#include "installer/ChildProcessRunner.h"
#include "installer/OutputLineSplitter.h"
#include "installer/platform/ChildProcess.h"
#include "installer/platform/MachineLocale.h"
#include "installer/platform/OemText.h"

namespace nvqb {

namespace {

constexpr int PollMilliseconds = 30;

int Run(const QString &commandLine, const QString &folder, bool inputPipe, const TIdleCallback &onIdle,
        const TLineCallback &onLine)
{
    const int codePage = OemCodePage();
    const auto deliver = [&](const QByteArray &line) { onLine(OemToAnsi(line, codePage)); };

    TChildProcess child;
    const int started = child.Start(commandLine, folder, inputPipe);
    if (started != 0)
        return started;
    TOutputLineSplitter splitter;
    while (!child.WaitForEnd(PollMilliseconds)) {
        splitter.Append(child.ReadAvailable(), deliver);
        if (onIdle)
            onIdle();
    }
    splitter.Append(child.ReadAvailable(), deliver);
    splitter.Finish(deliver);
    return child.ExitCode();
}

} // namespace

int CaptureExecute(const QString &program, const QString &arguments, const QString &folder, bool inputPipe,
                   const TIdleCallback &onIdle, const TLineCallback &onLine)
{
    if (!onLine)
        return -2;
    return Run(program + QLatin1Char(' ') + arguments, folder, inputPipe, onIdle, onLine);
}

int RunCompiler(const QString &commandLine, const QString &folder, QStringList &lines, bool inputPipe,
                const TIdleCallback &onIdle)
{
    return Run(commandLine, folder, inputPipe, onIdle, [&lines](const QString &line) { lines += line; });
}

} // namespace nvqb
