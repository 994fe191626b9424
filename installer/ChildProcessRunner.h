#pragma once
// The two runners of the installer's console programs (unarchiver, C++ project
// converter and make tool, command-line compiler). Both run on the caller's
// thread: they wait for the child in 30 ms steps, read what its output pipe
// holds after each step, cut it into lines (TOutputLineSplitter), convert each
// line from the machine's OEM code page and call the idle callback, when there
// is one, between the steps.
#include <QString>
#include <QStringList>

#include <functional>

namespace nvqb {

using TIdleCallback = std::function<void()>;
using TLineCallback = std::function<void(const QString &line)>;

// Runs program + " " + arguments in the folder; every output line goes to
// onLine, a remaining incomplete last line after the end too. Returns the
// child's exit code, -1 when it cannot be started, -2 when the output pipe
// cannot be made or there is no line callback (then nothing is started).
int CaptureExecute(const QString &program, const QString &arguments, const QString &folder, bool inputPipe,
                   const TIdleCallback &onIdle, const TLineCallback &onLine);

// The same for a whole command line, appending every output line to lines.
int RunCompiler(const QString &commandLine, const QString &folder, QStringList &lines, bool inputPipe,
                const TIdleCallback &onIdle);

} // namespace nvqb
