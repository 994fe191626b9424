// Taking the product out of one IDE, one package out of an IDE and off the
// disk, and the full uninstall.
#include "installer/CompileTarget.h"
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/FileNames.h"
#include "installer/platform/FileOperations.h"
#include "installer/platform/Machine.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace nvqb {

namespace {

// The folders the install run fills below the install folder: one per IDE
// version, the demos, help, package projects, languages and sources.
const char *const ComponentFolders[] = {
    "CBuilder5", "CBuilder6", "Delphi5", "Delphi6", "Delphi7", "Delphi2005", "Delphi2006", "Delphi2007",
    "DemoApp",   "Demos",     "Help",    "Packages", "Languages", "Sources", "Int",
};

// The product's marker (Uninstall/version) is not among them: it goes last,
// so that an uninstall cut short leaves a folder that is still known as the
// product's, and a second uninstall can finish the work.
const char *const ComponentFiles[] = {
    "nvQueryBuilder.ver", "NorvaneQueryBuilder.url", "EULA.txt",           "History.txt",
    "Readme.1st",         "setup.log",               "Uninstall/withsrcs", "Uninstall/metapvds",
    "Uninstall/unrar.exe", "Uninstall/data.arc",
};

QString Unquoted(const QString &folder)
{
    const QString path = folder.trimmed();
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        return path.mid(1, path.size() - 2);
    return path;
}

} // namespace

void TCompiler::UninstallPackage(TTargetOptions &options, const QString &name)
{
    TCompileTarget &target = *options.Target();
    const QString package = options.PackageFileName(name);
    Log(QLatin1String("Uninstalling package: ") + package);

    const struct {
        TDelphiPackageList &List;
        const char *Title;
    } lists[] = {
        {target.DisabledPackages(), "Disabled Packages"},
        {target.KnownPackages(), "Known Packages"},
        {target.KnownIDEPackages(), "Known IDE Packages"},
    };
    for (const auto &list : lists) {
        const qsizetype index = list.List.IndexOf(package);
        if (index < 0)
            continue;
        Log(QStringLiteral("  removing from %1: %2").arg(QLatin1String(list.Title), list.List.Items(index)->Name()));
        list.List.Delete(index);
    }

    // A copy that stays (in the system folder above all) would be loaded in
    // place of the next version's: a failed delete is an error of the run.
    const auto removeFile = [this](const QString &fileName) {
        if (!QFileInfo(fileName).isFile())
            return;
        if (DeleteFile(fileName))
            Log(QLatin1String("  remove file: ") + fileName);
        else
            LogDeleteError(QStringLiteral("Cannot delete \"%1\": %2").arg(fileName, LastOSErrorText()));
    };
    Log(QLatin1String(" searching in PATH: ") + package);
    QStringList folders = FInstallData.PathFolders();
    for (const QString &folder : target.PackageSearchPaths())
        folders += target.ExpandDirMacros(Unquoted(folder));
    for (const QString &folder : std::as_const(folders))
        if (!folder.isEmpty())
            removeFile(folder + QLatin1Char('/') + package);

    const QString base = ExtractFileBaseName(package);
    const QString bplOutput = target.ExpandDirMacros(target.BPLOutputDir());
    const QString dcpOutput = target.ExpandDirMacros(target.DCPOutputDir());
    if (!bplOutput.isEmpty())
        removeFile(bplOutput + QLatin1Char('/') + package);
    if (!dcpOutput.isEmpty())
        for (const char *extension : {".dcp", ".bpi", ".lib"})
            removeFile(dcpOutput + QLatin1Char('/') + base + QLatin1String(extension));
    DeleteInstallFile(FInstallData.PackagesDir() + QLatin1Char('/') + base + QLatin1String(".mak"),
                      QStringLiteral("  remove file: "));
}

bool TCompiler::UninstallTarget(TTargetOptions &options)
{
    TCompileTarget &target = *options.Target();
    Log(QLatin1String("Uninstall from IDE:") + target.DisplayName());
    const int deleteErrors = FDeleteErrors;
    if (FInstallData.WithSources())
        CleanTargetFolder(options, false);
    UninstallAllPackages(options, false);
    RemoveHeaderFiles(options);
    RemoveSearchPath(options);
    RemoveBrowsingPath(options);
    target.SaveToRegistry();
    target.SavePackages();
    if (FDeleteErrors == deleteErrors) {
        options.Installed = false;
        options.SaveToRegistry();
    } else {
        Log(QLatin1String("The record of the IDE is kept: not every file of the product could be deleted."));
    }
    Log(QStringLiteral("Completed"));
    Log(QString());
    return true;
}

bool TCompiler::Uninstall()
{
    StartRun();
    LogOSVersion();
    Log(QString());
    const QString problem = InstallFolderProblem(FInstallData.InstallDir);
    if (!problem.isEmpty())
        RefuseInstallDir(problem);

    Log(QStringLiteral("Uninstall from IDEs..."));
    TTargetOptionsList &list = FInstallData.TargetOptions();
    const int count = int(list.Count());
    for (int index = 0; index < count; ++index) {
        TTargetOptions &options = *list.Items(index);
        if (!options.Installed)
            continue;
        DoProgress(options, index, count);
        if (!UninstallTarget(options))
            break;
    }

    const QString installDir = FInstallData.InstallDir + QLatin1Char('/');
    Log(QStringLiteral("Delete component files..."));
    for (const char *folder : ComponentFolders) {
        Log(QLatin1String("...") + QLatin1String(folder));
        DeleteInstallFolder(installDir + QLatin1String(folder));
    }
    for (const char *file : ComponentFiles)
        DeleteInstallFile(installDir + QLatin1String(file));
    // What a run killed while it wrote the log left beside it.
    RemoveStaleInstallTemporaryFiles(installDir + QLatin1String("setup.log"));

    Log(QStringLiteral("Delete start menu group..."));
    DeleteShortcuts();
    // While files of the product are left (a refused install folder, a
    // delete that failed), the uninstall is not done: the product's marker,
    // the uninstaller and its entry in the list of programs stay, so that
    // the next uninstall finds the folder as the product's and finishes.
    if (FInstallDirRefusal.isEmpty() && FDeleteErrors == 0) {
        DeleteUninstallEntry();
        const QString uninstaller = FInstallData.UninstallDir() + QLatin1Char('/') + SetupProgramName;
        if (QFileInfo::exists(uninstaller) && LinkOnTheWay(uninstaller, false).isEmpty()
            && CanDeleteInInstallDir(uninstaller) && !DeleteFile(uninstaller) && QFileInfo::exists(uninstaller)) {
            // A running program that cannot be deleted moves out of the way.
            const QString temporary = GetSpecialFolder(TSpecialFolder::Temp) + QLatin1Char('/') + SetupProgramName;
            ForceDirectories(GetSpecialFolder(TSpecialFolder::Temp));
            DeleteFile(temporary);
            if (!QFile::rename(uninstaller, temporary))
                LogDeleteError(QStringLiteral("Cannot move \"%1\" to \"%2\"").arg(uninstaller, temporary));
        }
        if (FDeleteErrors == 0) {
            DeleteInstallFile(installDir + ProductMarkerFile);
            // The emptied "Uninstall" folder goes with the install folder.
            RemoveEmptyInstallFolder(FInstallData.UninstallDir());
            RemoveEmptyInstallFolder(FInstallData.InstallDir);
        }
    }
    if (FDeleteErrors > 0)
        Log(QStringLiteral("Not every file of the product could be deleted: run the uninstall again to finish it."));
    Log(QStringLiteral("Completed"));

    Log(QStringLiteral("Delete Start menu Program Folder..."));
    DeleteStartMenuProgramFolder();
    Log(QStringLiteral("Completed"));
    Log(QString());

    // The record goes last, when nothing of the product is left: otherwise
    // the next uninstall would not know the folder as the product's, and its
    // files would be lost to every later run.
    if (FInstallDirRefusal.isEmpty() && FDeleteErrors == 0) {
        FInstallData.Installed = false;
        FInstallData.SaveToRegistry();
    } else {
        Log(QStringLiteral("The install record is kept."));
    }
    Log(QStringLiteral("Uninstall completed. Press Finish to exit installation."));
    return !FErrorLogged;
}

} // namespace nvqb
