#include "installer/CompileTarget.h"
#include "installer/BDSVersions.h"
#include "installer/EnvOptionsProject.h"
#include "installer/PathList.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/FileNames.h"
#include "installer/platform/Machine.h"
#include "installer/platform/MachineEnvironment.h"
#include "installer/platform/MachineLocale.h"
#include "installer/platform/Registry.h"
#include "installer/platform/ResourceModule.h"
#include "installer/platform/SetupError.h"

#include <QFileInfo>

namespace nvqb {

namespace {

const QString BorlandKey = QStringLiteral("\\SOFTWARE\\Borland\\");

// A value as text, whether the registry holds it as text or as a number.
QString ReadText(const TRegistry &reg, const QString &name)
{
    switch (reg.GetDataType(name)) {
    case TRegDataType::rdString: return reg.ReadString(name);
    case TRegDataType::rdInteger: return QString::number(reg.ReadInteger(name));
    default: return QString();
    }
}

bool SameText(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString VarName(const QString &line)
{
    return line.section(QLatin1Char('='), 0, 0);
}

QString VarValue(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.mid(eq + 1);
}

const QString *FindVar(const QStringList &vars, const QString &name)
{
    for (const QString &line : vars)
        if (SameText(VarName(line), name))
            return &line;
    return nullptr;
}

// Sets a flag for the lifetime of the guard, also when an exception passes.
struct TFlagGuard {
    bool &Flag;
    explicit TFlagGuard(bool &flag) : Flag(flag) { Flag = true; }
    ~TFlagGuard() { Flag = false; }
};

} // namespace

TCompileTarget::TCompileTarget(const QString &productKey, const QString &registryPathName, const QString &versionKey)
    : FProductKey(productKey), FRegistryPathName(registryPathName), FVersionKey(versionKey)
{
    bool ok = false;
    FMajorVersion = versionKey.section(QLatin1Char('.'), 0, 0).toInt(&ok);
    if (!ok)
        FMajorVersion = 0;
    const TBDSVersionInfo *info = IsBDS() ? BDSVersionInfo(FMajorVersion) : nullptr;
    if (info) {
        FDisplayProductName = QLatin1String(info->Name);
        FDisplayVersionNumber = info->VersionNumber;
        FDisplayVersionText = QLatin1String(info->VersionText);
    } else {
        FDisplayProductName = productKey;
        FDisplayVersionNumber = FMajorVersion;
        FDisplayVersionText = versionKey;
    }
    LoadFromRegistry();
}

QString TCompileTarget::MachineKey() const
{
    return BorlandKey + FProductKey + QLatin1Char('\\') + FVersionKey;
}

QString TCompileTarget::UserKey() const
{
    return BorlandKey + FRegistryPathName + QLatin1Char('\\') + FVersionKey;
}

QString TCompileTarget::DisplayName() const
{
    return QStringLiteral("%1 %2 (%3)").arg(FDisplayProductName, FDisplayVersionText, FEdition);
}

bool TCompileTarget::IsBCB() const
{
    return DisplayName().contains(QLatin1String("Builder"), Qt::CaseInsensitive);
}

bool TCompileTarget::IsDelphi() const
{
    return DisplayName().contains(QLatin1String("Delphi"), Qt::CaseInsensitive);
}

bool TCompileTarget::IsBDS() const
{
    return SameText(FProductKey, QLatin1String("BDS"));
}

bool TCompileTarget::IsTurboEdition() const
{
    return FEdition.startsWith(QLatin1String("TURBO"), Qt::CaseInsensitive);
}

void TCompileTarget::LoadFromRegistry()
{
    FEdition.clear();
    FIDEProgram.clear();
    FRootDir.clear();
    FProductVersion.clear();
    FUpdatePack = 0;
    FRTLPatch = 0;
    FOrgEnvVars.clear();
    FEnvVars.clear();
    FBrowsingPaths.clear();
    FPackageSearchPaths.clear();
    FLibrarySearchPaths.clear();
    FDebugDCUPaths.clear();
    FCppIncludePaths.clear();
    FCppSearchPaths.clear();
    FDCPOutputDir.clear();
    FBPLOutputDir.clear();
    FPersonalities = 0;
    FKnownIDEPackages.Clear();
    FKnownPackages.Clear();
    FDisabledPackages.Clear();
    FDefaultProjectsDir.clear();
    FDefaultCommonDir.clear();

    ReadMachineKey();
    if (IsBDS())
        ComputeBDSFolders();
    ReadUserKey();
}

void TCompileTarget::ReadMachineKey()
{
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    bool hasProductVersion = false;
    if (reg.OpenKeyReadOnly(MachineKey())) {
        if (reg.ValueExists(QStringLiteral("Edition")))
            FEdition = ReadText(reg, QStringLiteral("Edition"));
        else if (reg.ValueExists(QStringLiteral("Version")))
            FEdition = ReadText(reg, QStringLiteral("Version"));
        else if (!(IsBDS() && FMajorVersion == 5))
            FEdition = QStringLiteral("Pers");
        FIDEProgram = ReadText(reg, QStringLiteral("App"));
        FRootDir = ExcludeTrailingPathDelimiter(ReadText(reg, QStringLiteral("RootDir")));
        if (!IsBDS()) {
            for (int n = 1; n <= 10; ++n)
                if (reg.ValueExists(QStringLiteral("Update #%1").arg(n)))
                    FUpdatePack = n;
            if (reg.ValueExists(QStringLiteral("Pascal RTL Patch")))
                FRTLPatch = 1;
            for (int n = 2; n <= 10; ++n)
                if (reg.ValueExists(QStringLiteral("Pascal RTL Patch #%1").arg(n)))
                    FRTLPatch = n;
        } else {
            bool ok = false;
            FUpdatePack = ReadText(reg, QStringLiteral("UpdatePackInstalled")).trimmed().toInt(&ok);
            if (!ok)
                FUpdatePack = 0;
        }
        hasProductVersion = reg.ValueExists(QStringLiteral("ProductVersion"));
        if (hasProductVersion)
            FProductVersion = ReadText(reg, QStringLiteral("ProductVersion"));
    } else if (!(IsBDS() && FMajorVersion == 5)) {
        FEdition = QStringLiteral("Pers");
    }
    if (!hasProductVersion)
        FProductVersion = QStringLiteral("%1.%2").arg(FDisplayVersionNumber).arg(FUpdatePack);
}

void TCompileTarget::ComputeBDSFolders()
{
    const TBDSVersionInfo *info = BDSVersionInfo(FMajorVersion);
    if (!info)
        return;
    std::unique_ptr<TResourceModule> module;
    if (!FRootDir.isEmpty()) {
        // The module itself, else with the three-letter, else the two-letter
        // abbreviation of the user's language appended.
        const QString base = ResolvePathCase(FRootDir + QLatin1String("/Bin")) + QLatin1String("/coreide")
            + QLatin1String(info->ModuleSuffix) + QLatin1Char('.');
        const QString language = ThreadLanguageAbbreviation();
        module = TResourceModule::Load(base);
        if (!module)
            module = TResourceModule::Load(base + language);
        if (!module)
            module = TResourceModule::Load(base + language.left(2));
    }
    QString projects = module ? module->LoadString(info->ProjectsDirStringId) : QString();
    if (projects.isEmpty())
        projects = FMajorVersion == 5 ? QStringLiteral("RAD Studio/Projects") : QStringLiteral("Borland Studio Projects");
    FDefaultProjectsDir = GetSpecialFolder(TSpecialFolder::Personal) + QLatin1Char('/') + projects;
    if (FMajorVersion >= 5) {
        QString common = module && info->CommonDirStringId ? module->LoadString(info->CommonDirStringId) : QString();
        if (common.isEmpty())
            common = QStringLiteral("RAD Studio");
        FDefaultCommonDir = QStringLiteral("%1/%2/%3.0")
                                .arg(GetSpecialFolder(TSpecialFolder::CommonDocuments), common)
                                .arg(FMajorVersion);
    }
}

void TCompileTarget::ReadUserKey()
{
    TRegistry reg(TRootKey::HKEY_CURRENT_USER);
    const QString user = UserKey();

    if (reg.OpenKeyReadOnly(user + QLatin1String("\\Environment Variables")))
        for (const QString &name : reg.GetValueNames())
            FOrgEnvVars += name + QLatin1Char('=') + ReadText(reg, name);
    FEnvVars = FOrgEnvVars;

    if (IsBDS() && FMajorVersion >= 5) {
        TEnvOptionsProject options;
        if (options.LoadFromFile(EnvOptionsFileName())) {
            FDCPOutputDir = options.Property(QStringLiteral("Win32DCPOutput"));
            FBPLOutputDir = options.Property(QStringLiteral("Win32DLLOutputPath"));
            FPackageSearchPaths = SplitPathList(FBPLOutputDir);
            FBrowsingPaths = SplitPathList(options.Property(QStringLiteral("Win32BrowsingPath")));
            FLibrarySearchPaths = SplitPathList(options.Property(QStringLiteral("Win32LibraryPath")));
            FDebugDCUPaths = SplitPathList(options.Property(QStringLiteral("Win32DebugDCUPath")));
        }
    } else {
        if (reg.OpenKeyReadOnly(user + QLatin1String("\\Library"))) {
            FDCPOutputDir = ReadText(reg, QStringLiteral("Package DCP Output"));
            FBPLOutputDir = ReadText(reg, QStringLiteral("Package DPL Output"));
            FBrowsingPaths = SplitPathList(ReadText(reg, QStringLiteral("Browsing Path")));
            FPackageSearchPaths = SplitPathList(ReadText(reg, QStringLiteral("Package Search Path")));
            FLibrarySearchPaths = SplitPathList(ReadText(reg, QStringLiteral("Search Path")));
            if (reg.ValueExists(QStringLiteral("Debug DCU Path")))
                FDebugDCUPaths = SplitPathList(ReadText(reg, QStringLiteral("Debug DCU Path")));
        }
        if (reg.OpenKeyReadOnly(user + QLatin1String("\\Debugging")) && reg.ValueExists(QStringLiteral("Debug DCUs Path")))
            FDebugDCUPaths = SplitPathList(ReadText(reg, QStringLiteral("Debug DCUs Path")));
    }
    // Read for every BDS, so that writing them back keeps what is there.
    if (IsBDS() && reg.OpenKeyReadOnly(user + QLatin1String("\\CppPaths"))) {
        FCppIncludePaths = SplitPathList(ReadText(reg, QStringLiteral("IncludePath")));
        FCppSearchPaths = SplitPathList(ReadText(reg, QStringLiteral("SearchPath")));
    }

    if (IsBDS()) {
        if (reg.OpenKeyReadOnly(user + QLatin1String("\\Personalities")))
            for (const QString &name : reg.GetValueNames())
                FPersonalities |= BDSPersonalityBit(name);
    } else if (SameText(FProductKey, QLatin1String("C++Builder"))) {
        FPersonalities = bpBCB;
    } else {
        FPersonalities = bpDelphiWin32;
    }

    const struct {
        const char *Key;
        TDelphiPackageList *List;
    } lists[] = {
        {"\\Known IDE Packages", &FKnownIDEPackages},
        {"\\Known Packages", &FKnownPackages},
        {"\\Disabled Packages", &FDisabledPackages},
    };
    for (const auto &list : lists)
        if (reg.OpenKeyReadOnly(user + QLatin1String(list.Key)))
            for (const QString &name : reg.GetValueNames())
                list.List->Add(name, ReadText(reg, name));
}

bool TCompileTarget::IsValid() const
{
    return !FRootDir.isEmpty() && !FIDEProgram.isEmpty() && QFileInfo(FIDEProgram).isFile();
}

bool TCompileTarget::MissingCompiler() const
{
    return FRootDir.isEmpty() || !QFileInfo(ResolvePathCase(FRootDir + QLatin1String("/bin/dcc32.exe"))).isFile();
}

QString TCompileTarget::DccFileName() const
{
    return ResolvePathCase(FRootDir + QLatin1String("/Bin/dcc32.exe"));
}

QString TCompileTarget::Bpr2MakFileName() const
{
    return ResolvePathCase(FRootDir + QLatin1String("/Bin/bpr2mak.exe"));
}

QString TCompileTarget::MakeFileName() const
{
    return ResolvePathCase(FRootDir + QLatin1String("/Bin/make.exe"));
}

TDelphiPackage *TCompileTarget::FindPackage(const QString &fileName) const
{
    if (TDelphiPackage *package = FKnownIDEPackages.Find(fileName))
        return package;
    return FKnownPackages.Find(fileName);
}

TDelphiPackage *TCompileTarget::FindPackageByPrefix(const QString &prefix) const
{
    if (TDelphiPackage *package = FKnownIDEPackages.FindByPrefix(prefix))
        return package;
    return FKnownPackages.FindByPrefix(prefix);
}

QString TCompileTarget::EnvVar(const QString &name) const
{
    if (const QString *line = FindVar(FEnvVars, name))
        return VarValue(*line);
    return GetMachineEnvironmentVariable(name);
}

QString TCompileTarget::ExpandDirMacros(const QString &path) const
{
    QString result;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype start = path.indexOf(QLatin1String("$("), pos);
        const qsizetype end = start < 0 ? -1 : path.indexOf(QLatin1Char(')'), start + 2);
        if (end < 0) {
            result += path.mid(pos);
            return result;
        }
        result += path.mid(pos, start - pos);
        const QString name = path.mid(start + 2, end - start - 2);
        if (SameText(name, QLatin1String("delphi")) || SameText(name, QLatin1String("bcb"))
            || SameText(name, QLatin1String("bds")))
            result += FRootDir;
        else if (IsBDS() && SameText(name, QLatin1String("bdsprojectsdir")))
            result += GetProjectsDir();
        else if (IsBDS() && FMajorVersion >= 5 && SameText(name, QLatin1String("bdscommondir")))
            result += GetCommonDir();
        else
            result += EnvVar(name);
        pos = end + 1;
    }
}

QString TCompileTarget::FolderFromVariable(const QString &variable, const QString &defaultFolder, bool &busy) const
{
    if (busy)
        return defaultFolder;
    QString folder;
    {
        TFlagGuard guard(busy);
        folder = ExpandDirMacros(EnvVar(variable));
    }
    return folder.isEmpty() ? defaultFolder : folder;
}

QString TCompileTarget::GetProjectsDir() const
{
    if (!IsBDS())
        return FRootDir + QLatin1String("/Projects");
    return FolderFromVariable(QStringLiteral("BDSPROJECTSDIR"), FDefaultProjectsDir, FExpandingProjectsDir);
}

QString TCompileTarget::GetCommonDir() const
{
    if (!IsBDS() || FMajorVersion < 5)
        return GetProjectsDir();
    return FolderFromVariable(QStringLiteral("BDSCOMMONDIR"), FDefaultCommonDir, FExpandingCommonDir);
}

QString TCompileTarget::InsertDirMacros(const QString &path) const
{
    const auto replaceLeading = [&path](const QString &folder, const char *macro, QString &result) {
        const QString prefix = ExcludeTrailingPathDelimiter(folder);
        if (prefix.isEmpty() || prefix == QLatin1String("/")
            || !path.startsWith(prefix + QLatin1Char('/'), Qt::CaseInsensitive))
            return false;
        result = QLatin1String(macro) + path.mid(prefix.size());
        return true;
    };
    QString result;
    const char *rootMacro = IsBDS() ? "$(BDS)" : SameText(FProductKey, QLatin1String("C++Builder")) ? "$(BCB)" : "$(DELPHI)";
    if (replaceLeading(FRootDir, rootMacro, result))
        return result;
    if (IsBDS()) {
        if (replaceLeading(GetProjectsDir(), "$(BDSPROJECTSDIR)", result))
            return result;
        if (FMajorVersion >= 5 && replaceLeading(GetCommonDir(), "$(BDSCOMMONDIR)", result))
            return result;
    }
    return path;
}

QString TCompileTarget::EnvOptionsFileName() const
{
    return QStringLiteral("%1/Borland/BDS/%2.0/EnvOptions.proj")
        .arg(GetSpecialFolder(TSpecialFolder::AppData))
        .arg(FMajorVersion);
}

void TCompileTarget::SaveToRegistry()
{
    if (IsBDS() && FMajorVersion >= 5) {
        TEnvOptionsProject options;
        const QString fileName = EnvOptionsFileName();
        if (!options.LoadFromFile(fileName))
            throw ESetupError(QStringLiteral("File not exists: %1").arg(fileName));
        // A list that reads as it stands keeps its text (quotes, blanks,
        // trailing backslashes): the file is the IDE's.
        const auto set = [&options](const QString &name, const QStringList &paths) {
            if (SplitPathList(options.Property(name)) != paths)
                options.SetProperty(name, JoinPathList(paths));
        };
        set(QStringLiteral("Win32BrowsingPath"), FBrowsingPaths);
        set(QStringLiteral("Win32LibraryPath"), FLibrarySearchPaths);
        set(QStringLiteral("Win32DebugDCUPath"), FDebugDCUPaths);
        // What a run killed while it wrote the file left beside it.
        RemoveStaleTemporaryFiles(fileName);
        options.SaveToFile(fileName);
    }

    TRegistry reg(TRootKey::HKEY_CURRENT_USER);
    const QString user = UserKey();
    if (reg.OpenKey(user + QLatin1String("\\Library"), false)) {
        reg.WriteString(QStringLiteral("Browsing Path"), JoinPathList(FBrowsingPaths));
        reg.WriteString(QStringLiteral("Search Path"), JoinPathList(FLibrarySearchPaths));
        if (reg.ValueExists(QStringLiteral("Debug DCU Path")))
            reg.WriteString(QStringLiteral("Debug DCU Path"), JoinPathList(FDebugDCUPaths));
    }
    if (reg.OpenKey(user + QLatin1String("\\Debugging"), false)) {
        const QString debug = JoinPathList(FDebugDCUPaths);
        if (ReadText(reg, QStringLiteral("Debug DCUs Path")) != debug)
            reg.WriteString(QStringLiteral("Debug DCUs Path"), debug);
    }
    if (IsBDS() && reg.OpenKey(user + QLatin1String("\\CppPaths"), false)) {
        const QString include = JoinPathList(FCppIncludePaths);
        if (!reg.ValueExists(QStringLiteral("IncludePath")) || ReadText(reg, QStringLiteral("IncludePath")) != include)
            reg.WriteString(QStringLiteral("IncludePath"), include);
        const QString search = JoinPathList(FCppSearchPaths);
        if (!reg.ValueExists(QStringLiteral("SearchPath")) || ReadText(reg, QStringLiteral("SearchPath")) != search)
            reg.WriteString(QStringLiteral("SearchPath"), search);
    }
    if (FEnvVars != FOrgEnvVars) {
        reg.OpenKey(user + QLatin1String("\\Environment Variables"), true);
        for (const QString &line : FOrgEnvVars)
            if (!FindVar(FEnvVars, VarName(line)))
                reg.DeleteValue(VarName(line));
        for (const QString &line : FEnvVars) {
            const QString *old = FindVar(FOrgEnvVars, VarName(line));
            if (!old || VarValue(*old) != VarValue(line))
                reg.WriteString(VarName(line), VarValue(line));
        }
        FOrgEnvVars = FEnvVars;
    }
}

void TCompileTarget::SavePackages()
{
    const auto save = [this](TDelphiPackageList &list, const char *key) {
        TRegistry reg(TRootKey::HKEY_CURRENT_USER);
        // An empty list makes no key of its own.
        if (!reg.OpenKey(UserKey() + QLatin1String(key), list.Count() > 0))
            return;
        for (const QString &name : reg.GetValueNames()) {
            bool listed = false;
            for (const auto &package : list)
                listed = listed || SameText(package->FileName(), name);
            if (!listed)
                reg.DeleteValue(name);
        }
        for (const auto &package : list)
            if (!reg.ValueExists(package->FileName()))
                reg.WriteString(package->FileName(), package->Description());
    };
    save(FKnownPackages, "\\Known Packages");
    save(FDisabledPackages, "\\Disabled Packages");
}

} // namespace nvqb
