#include "installer/platform/Machine.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFileInfo>

namespace nvqb {

QString MachineFolder()
{
    const QString value = qEnvironmentVariable(MachineVariable);
    if (value.isEmpty())
        return QString();
    return QDir::cleanPath(QDir(value).absolutePath());
}

QString RequireMachineFolder()
{
    const QString folder = MachineFolder();
    if (folder.isEmpty())
        throw ESetupError(QStringLiteral("The environment variable %1 does not name a machine folder.")
                              .arg(QLatin1String(MachineVariable)));
    if (!QFileInfo(folder).isDir())
        throw ESetupError(QStringLiteral("The machine folder \"%1\" named by %2 does not exist.")
                              .arg(folder, QLatin1String(MachineVariable)));
    return folder;
}

namespace {

const char *SpecialFolderPath(TSpecialFolder folder)
{
    switch (folder) {
    case TSpecialFolder::ProgramFiles: return "Program Files";
    case TSpecialFolder::Windows: return "Windows";
    case TSpecialFolder::System: return "Windows/System32";
    case TSpecialFolder::Programs: return "Start Menu/Programs";
    case TSpecialFolder::Personal: return "Documents";
    case TSpecialFolder::CommonDocuments: return "Common Documents";
    case TSpecialFolder::AppData: return "Application Data";
    case TSpecialFolder::Temp: return "Temp";
    }
    return "";
}

} // namespace

QString GetSpecialFolder(TSpecialFolder folder)
{
    const QString machine = MachineFolder();
    if (machine.isEmpty())
        return QString();
    return machine + QLatin1Char('/') + QLatin1String(SpecialFolderPath(folder));
}

} // namespace nvqb
