#include "installer/InstallData.h"
#include "installer/CmdOptions.h"
#include "installer/CompileTargetList.h"
#include "installer/MetadataProviders.h"
#include "installer/ProductInfo.h"
#include "installer/platform/FileNames.h"
#include "installer/platform/Machine.h"
#include "installer/platform/MachineEnvironment.h"
#include "installer/platform/Registry.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace nvqb {

namespace {

QString ReadText(const TRegistry &reg, const QString &name)
{
    return reg.GetDataType(name) == TRegDataType::rdString ? reg.ReadString(name) : QString();
}

std::unique_ptr<TInstallData> &GlobalData()
{
    static std::unique_ptr<TInstallData> data;
    return data;
}

} // namespace

TInstallData::TInstallData(const QString &installerFolder)
{
    RequireMachineFolder();
    FInstallerFolder = QDir::cleanPath(QDir(installerFolder.isEmpty() ? QDir::currentPath() : installerFolder)
                                           .absolutePath());
    ReadProgramsFolder();
    StartMenuFolderName = DefaultStartMenuFolderName;
    LoadFromRegistry();
    ReadDistribution();
    if (InstallDir.isEmpty())
        InstallDir = GetSpecialFolder(TSpecialFolder::ProgramFiles) + QLatin1Char('/') + DefaultInstallFolderName;
    Installed = FInstalledBefore;

    for (const QString &folder : GetMachineEnvironmentVariable(QStringLiteral("PATH")).split(QLatin1Char(';'))) {
        QString path = folder.trimmed();
        if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
            path = path.mid(1, path.size() - 2);
        if (!path.isEmpty())
            FPathFolders += path;
    }

    FOptions = std::make_unique<TCmdOptions>(ProgramParameters());
    FTargets = std::make_unique<TCompileTargetList>(*FOptions);
    FMetadataProviders = std::make_unique<TMetadataProvidersList>();
    RegisterMetadataProviders(*FMetadataProviders, this);
    FTargetOptions = std::make_unique<TTargetOptionsList>(this);
    for (const auto &target : *FTargets) {
        auto options = std::make_unique<TTargetOptions>(target.get(), this);
        options->LoadFromRegistry();
        FTargetOptions->Add(std::move(options));
    }

    if (!FInstalledBefore)
        Mode = imNewInstallation;
    else if (FInstalledVersion.Text() != FVersion.Text())
        Mode = imUpdate;
    else
        Mode = imMaintenance;
    ThisVersionUnpacked = Mode == imMaintenance;
}

TInstallData::~TInstallData() = default;

void TInstallData::ReadProgramsFolder()
{
    FProgramsFolder = GetSpecialFolder(TSpecialFolder::Programs);
    FProgramsSubfolders = QDir(FProgramsFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

void TInstallData::ReadDistribution()
{
    const QDir folder(FInstallerFolder);
    FWithSources = QFileInfo::exists(folder.filePath(WithSourcesFileName));
    FWithMetaProviders = QFileInfo::exists(folder.filePath(MetaProvidersFileName));
    QFile version(folder.filePath(VersionFileName));
    if (!version.exists())
        throw ESetupError(QStringLiteral("File not exists:\"%1\". Invalid installer package.").arg(VersionFileName));
    if (!version.open(QIODevice::ReadOnly))
        throw ESetupError(QStringLiteral("Cannot read \"%1\": %2").arg(version.fileName(), version.errorString()));
    FVersion = TVersion(QString::fromLatin1(version.readAll()));
}

QString TInstallData::UninstallDir() const
{
    return InstallDir + QLatin1Char('/') + UninstallFolderName;
}

void TInstallData::LoadFromRegistry()
{
    FInstalledBefore = false;
    FInstalledVersion = TVersion();
    InstallDir.clear();
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly(InstallRecordKey))
        return;
    const QString folder = ExcludeTrailingPathDelimiter(ReadText(reg, QStringLiteral("InstallDir")).trimmed());
    const QString version = ReadText(reg, QStringLiteral("InstalledVersion")).trimmed();
    const QString startFolder = CheckedStartMenuFolderName(ReadText(reg, QStringLiteral("StartFolder")));
    if (!startFolder.isEmpty())
        StartMenuFolderName = startFolder;
    if (version.isEmpty())
        return;
    FInstalledVersion = TVersion(version);
    InstallDir = folder;
    FInstalledBefore = !folder.isEmpty();
}

void TInstallData::SaveToRegistry() const
{
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    if (!Installed) {
        reg.DeleteKey(InstallRecordKey);
        return;
    }
    TRegistryBatch batch(TRootKey::HKEY_LOCAL_MACHINE);
    reg.OpenKey(InstallRecordKey, true);
    reg.WriteString(QStringLiteral("InstallDir"), InstallDir);
    if (ThisVersionUnpacked)
        reg.WriteString(QStringLiteral("InstalledVersion"), FVersion.Text());
    reg.WriteString(QStringLiteral("StartFolder"), StartMenuFolderName);
    batch.Commit();
}

void TInstallData::SaveInstallDirToRegistry() const
{
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    reg.OpenKey(InstallRecordKey, true);
    reg.WriteString(QStringLiteral("InstallDir"), InstallDir);
}

QString TInstallData::RecordedInstallDir()
{
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly(InstallRecordKey))
        return QString();
    return ExcludeTrailingPathDelimiter(ReadText(reg, QStringLiteral("InstallDir")).trimmed());
}

QString InstallFolderProblem(const QString &folder)
{
    if (!QDir::isAbsolutePath(folder))
        return QStringLiteral("is not an absolute path");
    if (IsRootOrSpecialFolder(QDir::cleanPath(folder)))
        return QStringLiteral("is a root or special folder");
    if (folder.contains(QLatin1Char('"')))
        return QStringLiteral("holds a double quote");
    if (folder.contains(QLatin1Char('\\')))
        return QStringLiteral("holds a backslash");
    if (folder.contains(QLatin1Char(';')))
        return QStringLiteral("holds a \";\"");
    if (folder.contains(QLatin1String("$(")))
        return QStringLiteral("holds \"$(\"");
    return QString();
}

QString CheckedStartMenuFolderName(QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList levels = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (name.startsWith(QLatin1Char('/')) || levels.isEmpty())
        return QString();
    for (const QString &level : levels)
        if (level == QLatin1String(".") || level == QLatin1String(".."))
            return QString();
    return levels.join(QLatin1Char('/'));
}

TInstallData &CreateInstallData(const QString &installerFolder)
{
    GlobalData() = std::make_unique<TInstallData>(installerFolder);
    return *GlobalData();
}

TInstallData *GlobalInstallData()
{
    return GlobalData().get();
}

} // namespace nvqb
