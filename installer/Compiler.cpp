#include "installer/Compiler.h"
#include "installer/CompileTarget.h"
#include "installer/InstallData.h"
#include "installer/TargetOptions.h"
#include "installer/platform/OSVersion.h"

#include <QFile>

namespace nvqb {

TCompiler::TCompiler(TInstallData &installData) : FInstallData(installData) {}

TCompiler::~TCompiler() = default;

void TCompiler::Log(const QString &line)
{
    FLog += line;
    if (OnLog)
        OnLog(line);
}

void TCompiler::Status(const QString &line)
{
    Log(line);
    if (OnStatus)
        OnStatus(line);
}

void TCompiler::LogError(const QString &message)
{
    FErrorLogged = true;
    Log(QLatin1String("Error: ") + message);
}

void TCompiler::LogDeleteError(const QString &message)
{
    ++FDeleteErrors;
    LogError(message);
}

void TCompiler::CaptureFileContent(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Log(QStringLiteral("CaptureFileContent(): file \"%1\" not exists").arg(fileName));
        return;
    }
    QStringList lines;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines += QString::fromLocal8Bit(line);
    }
    // The text's final line break ends the last line; it starts no new one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    LogList([this](const QString &line) { Log(line); }, fileName, lines);
}

void TCompiler::DoProgress(TTargetOptions &options, int index, int count)
{
    if (OnProgress)
        OnProgress(index, count);
    Status(options.Target()->DisplayName());
}

void TCompiler::DoIdle()
{
    if (OnIdle)
        OnIdle();
}

void TCompiler::LogOSVersion()
{
    const TOSVersionInfo info = GetOSVersionInfo();
    const char *name = nullptr;
    if (info.PlatformId == 1) {
        if (info.MinorVersion < 10)
            name = "Windows 95";
        else if (info.MinorVersion < 90)
            name = "Windows 98";
        else if (info.MinorVersion == 90)
            name = "Windows ME";
    } else if (info.PlatformId == 2) {
        if (info.MajorVersion == 4)
            name = "Windows NT4";
        else if (info.MajorVersion == 5 && info.MinorVersion == 0)
            name = "Windows 2000";
        else if (info.MajorVersion == 5 && info.MinorVersion == 1)
            name = "Windows XP";
    }
    if (name)
        Log(QStringLiteral("%1 %2 (%3.%4.%5)")
                .arg(QLatin1String(name), info.CSDVersion)
                .arg(info.MajorVersion)
                .arg(info.MinorVersion)
                .arg(info.BuildNumber));
}

} // namespace nvqb
