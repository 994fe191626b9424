#include "installer/platform/Machine.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

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

std::unique_ptr<TFileLock> LockMachineForSetup()
{
    const QString machine = MachineFolder();
    if (machine.isEmpty() || !QFileInfo(machine).isDir())
        return nullptr;
    const QString folder = machine + QLatin1String("/registry");
    if (!QDir().mkpath(folder))
        throw EOSError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder), errno ? errno : EACCES);
    std::unique_ptr<TFileLock> lock = TFileLock::TryAcquire(folder + QLatin1String("/setup.lock"));
    if (!lock)
        throw ESetupError(QStringLiteral("Another setup program is already running on the machine \"%1\". "
                                         "Finish or close it, then start setup again.")
                              .arg(machine));
    return lock;
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

namespace {

// True when folder is the other folder or one of its parents.
bool HoldsOrEquals(const QString &folder, const QString &other)
{
    if (folder.isEmpty() || other.isEmpty())
        return false;
    if (folder == QLatin1String("/") || folder == other)
        return true;
    return other.startsWith(folder + QLatin1Char('/'));
}

} // namespace

bool IsRootOrSpecialFolder(const QString &folder)
{
    if (!folder.startsWith(QLatin1Char('/')))
        return true;
    QStringList protectedFolders{QDir::homePath(), QDir::rootPath()};
    const QString machine = MachineFolder();
    if (!machine.isEmpty()) {
        protectedFolders += machine;
        for (TSpecialFolder special : {TSpecialFolder::ProgramFiles, TSpecialFolder::Windows, TSpecialFolder::System,
                                       TSpecialFolder::Programs, TSpecialFolder::Personal,
                                       TSpecialFolder::CommonDocuments, TSpecialFolder::AppData, TSpecialFolder::Temp})
            protectedFolders += GetSpecialFolder(special);
    }
    QStringList forms{QDir::cleanPath(folder)};
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    if (!resolved.isEmpty())
        forms += resolved;
    for (const QString &special : std::as_const(protectedFolders)) {
        QStringList specialForms{QDir::cleanPath(special)};
        const QString resolvedSpecial = QFileInfo(special).canonicalFilePath();
        if (!resolvedSpecial.isEmpty())
            specialForms += resolvedSpecial;
        for (const QString &form : std::as_const(forms))
            for (const QString &specialForm : std::as_const(specialForms))
                if (HoldsOrEquals(form, specialForm))
                    return true;
    }
    return false;
}

} // namespace nvqb
