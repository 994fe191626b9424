// Deleting and writing in the install folder. The install folder comes from
// the wizard or from the install record; a record that names "/" or the
// user's documents must not lead to deleting them, so every delete below the
// install folder passes one check, made once per run. Nothing is deleted,
// walked or written through a symbolic link inside the install folder: it
// may point to another program's files.
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/FileOperations.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace nvqb {

namespace {

bool PathExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Why deletes in the install folder are refused, or empty when they are not.
QString InstallDirRefusal(const QString &folder, bool withMarker)
{
    const QString problem = InstallFolderProblem(folder);
    if (!problem.isEmpty())
        return problem;
    const QString clean = QDir::cleanPath(folder);
    const QString recorded = TInstallData::RecordedInstallDir();
    if (recorded.isEmpty() || QDir::cleanPath(recorded) != clean)
        return QStringLiteral("is not the folder of the install record (\"%1\")").arg(recorded);
    if (withMarker && !QFileInfo(clean + QLatin1Char('/') + ProductMarkerFile).isFile())
        return QStringLiteral("does not hold the file \"%1\"").arg(ProductMarkerFile);
    return QString();
}

} // namespace

void TCompiler::StartRun()
{
    FErrorLogged = false;
    FDeleteErrors = 0;
    FInstallDirChecked = false;
    FInstallDirRefusal.clear();
}

void TCompiler::RefuseInstallDir(const QString &problem)
{
    FInstallDirChecked = true;
    FInstallDirRefusal = problem;
    LogError(QStringLiteral("The install folder \"%1\" %2; nothing in it is deleted.").arg(FInstallData.InstallDir, problem));
}

bool TCompiler::CanDeleteInInstallDir(const QString &path)
{
    if (!FInstallDirChecked) {
        const QString refusal = InstallDirRefusal(FInstallData.InstallDir, true);
        if (refusal.isEmpty())
            FInstallDirChecked = true;
        else
            RefuseInstallDir(refusal);
    }
    if (FInstallDirRefusal.isEmpty())
        return true;
    Log(QStringLiteral("  skipped deleting \"%1\": the install folder \"%2\" %3")
            .arg(path, FInstallData.InstallDir, FInstallDirRefusal));
    return false;
}

QString TCompiler::LinkOnTheWay(const QString &path, bool withLast) const
{
    const QString root = QDir::cleanPath(FInstallData.InstallDir);
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(root + QLatin1Char('/')))
        return QString();
    const QStringList names = clean.mid(root.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = root;
    for (qsizetype k = 0; k < names.size() - (withLast ? 0 : 1); ++k) {
        current += QLatin1Char('/') + names[k];
        if (QFileInfo(current).isSymLink())
            return current;
    }
    return QString();
}

bool TCompiler::MayDeleteInstallPath(const QString &path)
{
    if (!PathExists(path))
        return false;
    const QString link = LinkOnTheWay(path, false);
    if (!link.isEmpty()) {
        Log(QStringLiteral("  skipped deleting \"%1\": \"%2\" is a symbolic link").arg(path, link));
        return false;
    }
    return CanDeleteInInstallDir(path);
}

void TCompiler::RemoveStaleInstallTemporaryFiles(const QString &path)
{
    if (HasTemporaryFiles(path) && LinkOnTheWay(path, false).isEmpty() && CanDeleteInInstallDir(path))
        RemoveStaleTemporaryFiles(path);
}

void TCompiler::DeleteInstallFile(const QString &path, const QString &logPrefix)
{
    // What a writer of the file left beside it goes with it.
    RemoveStaleInstallTemporaryFiles(path);
    if (!MayDeleteInstallPath(path))
        return;
    if (!DeleteFile(path)) {
        LogDeleteError(QStringLiteral("Cannot delete \"%1\": %2").arg(path, LastOSErrorText()));
        return;
    }
    if (!logPrefix.isEmpty())
        Log(logPrefix + path);
}

void TCompiler::DeleteInstallFolder(const QString &path)
{
    // A link in the folder's place goes as a link (DeleteTree never follows one).
    if (!MayDeleteInstallPath(path))
        return;
    if (!DeleteTree(path))
        LogDeleteError(QStringLiteral("Cannot delete the folder \"%1\" completely").arg(path));
}

void TCompiler::RemoveEmptyInstallFolder(const QString &path)
{
    const QFileInfo info(path);
    const bool link = info.isSymLink();
    const bool empty =
        info.isDir() && QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (!link && !empty)
        return;
    if (!LinkOnTheWay(path, false).isEmpty())
        return;
    // The marker is gone by now: the folder's own checks decide, unless the
    // run has refused the folder already.
    const QString refusal =
        FInstallDirChecked ? FInstallDirRefusal : InstallDirRefusal(FInstallData.InstallDir, false);
    if (!refusal.isEmpty())
        return;
    // An install folder that is a link the user made to a folder of theirs
    // goes only once the product's files were all that folder held; the
    // link is the user's way to what else is there.
    if (link && !empty && QDir::cleanPath(path) == QDir::cleanPath(FInstallData.InstallDir)) {
        Log(QStringLiteral("  kept the symbolic link \"%1\": \"%2\" holds other files")
                .arg(path, info.symLinkTarget()));
        return;
    }
    if (!(link ? DeleteFile(path) : RemoveDir(path)))
        LogDeleteError(QStringLiteral("Cannot remove the folder \"%1\": %2").arg(path, LastOSErrorText()));
}

void TCompiler::DeleteFilesIn(const QString &folder, const QStringList &extensions, bool recursive)
{
    if (!QFileInfo(folder).isDir())
        return;
    const QStringList files = InstallFiles(folder, extensions, recursive);
    if (files.isEmpty() || !CanDeleteInInstallDir(folder))
        return;
    for (const QString &file : files)
        if (!DeleteFile(file))
            LogDeleteError(QStringLiteral("Cannot delete \"%1\": %2").arg(file, LastOSErrorText()));
}

QStringList TCompiler::InstallFiles(const QString &folder, const QStringList &extensions, bool recursive)
{
    const QString link = LinkOnTheWay(folder, true);
    if (!link.isEmpty()) {
        if (QFileInfo(folder).isDir())
            Log(QStringLiteral("  skipped the files of \"%1\": \"%2\" is a symbolic link").arg(folder, link));
        return QStringList();
    }
    return FindFiles(folder, extensions, recursive);
}

void TCompiler::ForceInstallFolder(const QString &folder)
{
    // Level by level from the top: a link found is removed as a link.
    for (QString link = LinkOnTheWay(folder, true); !link.isEmpty(); link = LinkOnTheWay(folder, true)) {
        if (!CanDeleteInInstallDir(link))
            throw ESetupError(QStringLiteral("Cannot create the folder \"%1\": \"%2\" is a symbolic link").arg(folder, link));
        if (!DeleteFile(link))
            RaiseLastOSError(QStringLiteral("Cannot delete the symbolic link \"%1\"").arg(link));
        Log(QStringLiteral("  removed the symbolic link \"%1\"").arg(link));
    }
    if (!ForceDirectories(folder))
        RaiseLastOSError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
}

void TCompiler::RequireNoLinkOnTheWay(const QString &folder)
{
    const QString link = LinkOnTheWay(folder, true);
    if (!link.isEmpty())
        throw ESetupError(QStringLiteral("Nothing is written in \"%1\": \"%2\" is a symbolic link").arg(folder, link));
}

} // namespace nvqb
