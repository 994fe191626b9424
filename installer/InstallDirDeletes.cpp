// Deleting in the install folder. The install folder comes from the wizard or
// from the install record; a record that names "/" or the user's documents
// must not lead to deleting them, so every delete below the install folder
// passes one check, made once per run.
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/FileOperations.h"
#include "installer/platform/Machine.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace nvqb {

namespace {

bool PathExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

void TCompiler::StartRun()
{
    FErrorLogged = false;
    FInstallDirChecked = false;
    FInstallDirRefusal.clear();
}

bool TCompiler::CanDeleteInInstallDir(const QString &path)
{
    if (!FInstallDirChecked) {
        FInstallDirChecked = true;
        const QString folder = FInstallData.InstallDir;
        const QString clean = QDir::cleanPath(folder);
        const QString recorded = TInstallData::RecordedInstallDir();
        if (!folder.startsWith(QLatin1Char('/')))
            FInstallDirRefusal = QStringLiteral("is not an absolute path");
        else if (IsRootOrSpecialFolder(clean))
            FInstallDirRefusal = QStringLiteral("is a root or special folder");
        else if (recorded.isEmpty() || QDir::cleanPath(recorded) != clean)
            FInstallDirRefusal = QStringLiteral("is not the folder of the install record (\"%1\")").arg(recorded);
        else if (!QFileInfo(clean + QLatin1Char('/') + ProductMarkerFile).isFile())
            FInstallDirRefusal = QStringLiteral("does not hold the file \"%1\"").arg(ProductMarkerFile);
    }
    if (FInstallDirRefusal.isEmpty())
        return true;
    Log(QStringLiteral("  skipped deleting \"%1\": the install folder \"%2\" %3")
            .arg(path, FInstallData.InstallDir, FInstallDirRefusal));
    return false;
}

void TCompiler::DeleteInstallFile(const QString &path, const QString &logPrefix)
{
    if (!PathExists(path) || !CanDeleteInInstallDir(path))
        return;
    if (!DeleteFile(path)) {
        LogError(QStringLiteral("Cannot delete \"%1\": %2").arg(path, SystemError()));
        return;
    }
    if (!logPrefix.isEmpty())
        Log(logPrefix + path);
}

void TCompiler::DeleteInstallFolder(const QString &path)
{
    if (!PathExists(path) || !CanDeleteInInstallDir(path))
        return;
    if (!DeleteTree(path))
        LogError(QStringLiteral("Cannot delete the folder \"%1\" completely").arg(path));
}

void TCompiler::RemoveEmptyInstallFolder(const QString &path)
{
    if (!QFileInfo(path).isDir() || !QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return;
    if (CanDeleteInInstallDir(path) && !RemoveDir(path))
        LogError(QStringLiteral("Cannot remove the folder \"%1\": %2").arg(path, SystemError()));
}

void TCompiler::DeleteFilesIn(const QString &folder, const QStringList &extensions, bool recursive)
{
    if (!QFileInfo(folder).isDir())
        return;
    const QStringList files = FindFiles(folder, extensions, recursive);
    if (files.isEmpty() || !CanDeleteInInstallDir(folder))
        return;
    for (const QString &file : files)
        if (!DeleteFile(file))
            LogError(QStringLiteral("Cannot delete \"%1\": %2").arg(file, SystemError()));
}

} // namespace nvqb
