// The install run and the installation into one IDE.
#include "installer/BDSVersions.h"
#include "installer/ChildProcessRunner.h"
#include "installer/CompileTarget.h"
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/MetadataProviders.h"
#include "installer/ProductInfo.h"
#include "installer/platform/FileNames.h"
#include "installer/platform/FileOperations.h"
#include "installer/platform/SetupError.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace nvqb {

namespace {

[[noreturn]] void RaiseOSError(const QString &action, int errorCode)
{
    throw EOSError(action, errorCode);
}

} // namespace

bool TCompiler::Install()
{
    StartRun();
    Log(QLatin1String("Installing NorvaneQueryBuilder v. ") + FInstallData.Version().Text());
    LogOSVersion();
    Log(QString());
    const QString problem = InstallFolderProblem(FInstallData.InstallDir);
    if (!problem.isEmpty()) {
        LogError(QStringLiteral("The install folder \"%1\" %2; nothing is installed.").arg(FInstallData.InstallDir, problem));
        return false;
    }

    bool unpacked = true;
    if (FInstallData.Mode == imNewInstallation || FInstallData.Mode == imUpdate) {
        if (!QFileInfo::exists(QDir(FInstallData.InstallerFolder()).filePath(ArchiveFileName))) {
            Log(QStringLiteral("File not exists:\"%1\". Invalid installer package.").arg(ArchiveFileName));
            return false;
        }
        unpacked = ExtractArchive();
        // The record names the new version only once its files are there.
        FInstallData.ThisVersionUnpacked = unpacked;
    }
    CopyUninstaller();
    // From here on the record names the folder that holds the product's
    // marker, so deletes in it are allowed, and an uninstall finds it even
    // when this run does not get to its end.
    FInstallData.SaveInstallDirToRegistry();

    TTargetOptionsList &list = FInstallData.TargetOptions();
    const int count = int(list.Count());
    for (int index = 0; index < count; ++index) {
        TTargetOptions &options = *list.Items(index);
        DoProgress(options, index, count);
        try {
            if (options.Action == taInstall)
                InstallTarget(options);
            else if (options.Action == taRemove)
                UninstallTarget(options);
        } catch (const ESetupError &e) {
            LogError(e.Message());
        }
    }

    Log(QStringLiteral("Create Shortcuts in Start menu folder..."));
    CreateShortcuts();
    WriteUninstallEntry();
    Log(QStringLiteral("Completed"));
    Log(QString());

    FInstallData.Installed = true;
    FInstallData.SaveToRegistry();
    Log(QStringLiteral("All operations done. Press Finish to exit installation."));
    return unpacked && !FErrorLogged;
}

bool TCompiler::ExtractArchive()
{
    Log(QStringLiteral("Extracting component files..."));
    const QString arguments = QLatin1String("x -c- -cfg- -dh -idp -o+ -r -y ") + QLatin1Char(' ') + ArchiveFileName
        + QLatin1String(" *.*") + QLatin1Char(' ') + QLatin1Char('"')
        + IncludeTrailingPathDelimiter(FInstallData.InstallDir) + QLatin1Char('"');
    Log(UnrarProgramName + QLatin1Char(' ') + arguments);
    const int result = CaptureExecute(
        UnrarProgramName, arguments, FInstallData.InstallerFolder(), true, [this] { DoIdle(); },
        [this](const QString &line) { Log(line); });
    if (result != 0) {
        if (result == -1)
            Log(QStringLiteral("Cannot start \"%1\" in \"%2\"").arg(UnrarProgramName, FInstallData.InstallerFolder()));
        Log(QStringLiteral("Error extracting component files from archive."));
        Log(QStringLiteral("Archive damaged."));
        return false;
    }
    Log(QStringLiteral("Completed"));
    return true;
}

void TCompiler::CopyUninstaller()
{
    const QString folder = FInstallData.UninstallDir();
    ForceInstallFolder(folder);
    if (SameFolder(FInstallData.InstallerFolder(), folder))
        return;
    for (const QString &name : {SetupProgramName, UnrarProgramName, VersionFileName, WithSourcesFileName,
                                MetaProvidersFileName}) {
        const QString source = ResolveProgramFile(QDir(FInstallData.InstallerFolder()).filePath(name));
        const QString copy = folder + QLatin1Char('/') + name;
        if (QFileInfo(source).isFile()) {
            if (!CopyFile(source, copy))
                RaiseOSError(QStringLiteral("Cannot copy \"%1\" to \"%2\"").arg(source, copy), errno);
        } else if (QFileInfo(copy).exists() && !DeleteFile(copy)) {
            RaiseOSError(QStringLiteral("Cannot delete \"%1\"").arg(copy), errno);
        }
    }
}

void TCompiler::InstallTarget(TTargetOptions &options)
{
    TCompileTarget &target = *options.Target();
    const TLogProc log = [this](const QString &line) { Log(line); };
    Log(QLatin1String("Compiling for:") + target.DisplayName());
    ForceInstallFolder(options.TargetDir());

    if (FInstallData.WithSources() && options.CompileFromSources)
        CleanTargetFolder(options, true);

    RemoveHeaderFiles(options);
    options.LogIDESettings(log);

    Log(QStringLiteral("Uninstalling packages before compilation"));
    UninstallAllPackages(options, true);

    Log(QStringLiteral("Remove component folders from IDE paths collections"));
    RemoveBrowsingPath(options);
    RemoveSearchPath(options);
    target.SaveToRegistry();
    target.SavePackages();
    options.LogIDESettings(log);

    // The providers whose packages are built (or taken) for this IDE.
    std::vector<TMetadataProvider *> providers;
    for (const auto &provider : FInstallData.MetadataProviders())
        if (options.IsProviderSelected(provider.get()) && options.IsProviderAvailable(provider.get()))
            providers.push_back(provider.get());

    Log(QStringLiteral("Compiling packages"));
    Log(QStringLiteral("Compiling core packages"));
    CompilePackage(options, QStringLiteral("nvQueryBuilder"), false, true);
    CompilePackage(options, QStringLiteral("nvQueryBuilderDsgn"), true, true);
    for (TMetadataProvider *provider : providers) {
        Log(QLatin1String("Compiling packages: ") + provider->Description());
        CompilePackage(options, provider->RuntimePackageBase(), false, provider->Core());
        CompilePackage(options, provider->DesignPackageBase(), true, provider->Core());
    }

    if (options.IDERegistration) {
        Log(QStringLiteral("Installing packages"));
        Log(QStringLiteral("Installing core packages"));
        RegisterPackage(options, QStringLiteral("nvQueryBuilderDsgn"), CorePackageDescription);
        // Only what was built above: a provider that is selected but not
        // offered here has no package to register.
        for (TMetadataProvider *provider : providers) {
            Log(QLatin1String("Installing packages:") + provider->Description());
            RegisterPackage(options, provider->DesignPackageBase(), provider->Description());
        }
    }

    if (target.SupportsPersonality(bpBCB))
        CopyHeaderFiles(options);

    Log(QStringLiteral("Adding component folders to IDE paths collections"));
    if (options.AddSourceLocation)
        AddBrowsingPath(options);
    AddSearchPaths(options);
    if (FInstallData.WithSources())
        CopyForms(options);

    Log(QStringLiteral("Writing IDE settings to registry"));
    target.SaveToRegistry();
    target.SavePackages();
    options.LogIDESettings(log);
    options.Installed = true;
    options.SaveToRegistry();
    Log(QStringLiteral("Completed"));
    Log(QString());
}

void TCompiler::CleanTargetFolder(TTargetOptions &options, bool withForms)
{
    DeleteFilesIn(options.TargetDir(), {QStringLiteral(".obj"), QStringLiteral(".dcu")}, true);
    if (withForms)
        DeleteFilesIn(options.TargetDir(), {QStringLiteral(".dfm"), QStringLiteral(".xfm")}, false);
}

void TCompiler::UninstallAllPackages(TTargetOptions &options, bool logCore)
{
    const TMetadataProvidersList &providers = FInstallData.MetadataProviders();
    for (qsizetype k = providers.Count() - 1; k >= 0; --k) {
        const TMetadataProvider *provider = providers.Items(k);
        Log(QLatin1String("Uninstalling packages: ") + provider->Description());
        UninstallPackage(options, provider->DesignPackageBase());
        UninstallPackage(options, provider->RuntimePackageBase());
    }
    if (logCore)
        Log(QStringLiteral("Uninstalling core packages"));
    UninstallPackage(options, QStringLiteral("nvQueryBuilderDsgn"));
    UninstallPackage(options, QStringLiteral("nvQueryBuilder"));
}

namespace {

QString IncludeVclFolder(const TCompileTarget &target)
{
    return ResolvePathCase(target.RootDir() + QLatin1String("/Include/Vcl"));
}

} // namespace

void TCompiler::RemoveHeaderFiles(TTargetOptions &options)
{
    const QString include = IncludeVclFolder(*options.Target());
    for (const QString &header : InstallFiles(options.TargetDir(), {QStringLiteral(".hpp")}, false)) {
        const QString installed = include + QLatin1Char('/') + ExtractFileName(header);
        if (QFileInfo(installed).isFile() && !DeleteFile(installed))
            LogDeleteError(QStringLiteral("Cannot delete \"%1\": %2").arg(installed, LastOSErrorText()));
    }
}

void TCompiler::CopyHeaderFiles(TTargetOptions &options)
{
    const QString include = IncludeVclFolder(*options.Target());
    for (const QString &header : InstallFiles(options.TargetDir(), {QStringLiteral(".hpp")}, false)) {
        const QString installed = include + QLatin1Char('/') + ExtractFileName(header);
        if (QFileInfo(installed).exists() && !DeleteFile(installed))
            RaiseOSError(QStringLiteral("Cannot delete \"%1\"").arg(installed), errno);
        if (!CopyFile(header, installed))
            RaiseOSError(QStringLiteral("Cannot copy \"%1\" to \"%2\"").arg(header, installed), errno);
    }
}

void TCompiler::CopyForms(TTargetOptions &options)
{
    for (const QString &form : InstallFiles(FInstallData.SourcesDir(), {QStringLiteral(".dfm")}, false)) {
        const QString copy = options.TargetDir() + QLatin1Char('/') + ExtractFileName(form);
        const QFileInfo old(copy);
        if (old.exists() && old.lastModified() >= QFileInfo(form).lastModified())
            continue;
        if (!CopyFile(form, copy))
            RaiseOSError(QStringLiteral("Cannot copy \"%1\" to \"%2\"").arg(form, copy), errno);
    }
}

} // namespace nvqb
