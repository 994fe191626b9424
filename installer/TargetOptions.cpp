#include "installer/TargetOptions.h"
#include "installer/CompileTarget.h"
#include "installer/InstallData.h"
#include "installer/MetadataProviders.h"
#include "installer/ProductInfo.h"
#include "installer/platform/Registry.h"

#include <algorithm>

namespace nvqb {

namespace {

// A flag of the IDE's record; a missing or mistyped value (a record cut short
// by a killed run) gives the default.
bool ReadFlag(const TRegistry &reg, const QString &name, bool defaultValue)
{
    return reg.GetDataType(name) == TRegDataType::rdInteger ? reg.ReadBool(name) : defaultValue;
}

QStringList PackageFiles(TDelphiPackageList &list)
{
    QStringList files;
    for (const auto &package : list)
        files += package->FileName();
    return files;
}

} // namespace

TTargetOptions::TTargetOptions(TCompileTarget *target, TInstallData *installData)
    : CompileFromSources(installData->WithSources()), FTarget(target), FInstallData(installData)
{
}

void TTargetOptions::AddProvider(TMetadataProvider *provider)
{
    if (provider && !IsProviderSelected(provider))
        FProviders.push_back(provider);
}

void TTargetOptions::RemoveProvider(TMetadataProvider *provider)
{
    FProviders.erase(std::remove(FProviders.begin(), FProviders.end(), provider), FProviders.end());
}

bool TTargetOptions::IsProviderSelected(const TMetadataProvider *provider) const
{
    return std::find(FProviders.begin(), FProviders.end(), provider) != FProviders.end();
}

bool TTargetOptions::IsProviderAvailable(const TMetadataProvider *provider) const
{
    return provider->IsAvailable(*FTarget)
        && (provider->Core() || (FInstallData->WithMetaProviders() && CompilerExists()));
}

bool TTargetOptions::CompilerExists() const
{
    return !FTarget->MissingCompiler();
}

QString TTargetOptions::RegistryKey() const
{
    return InstallRecordKey + QLatin1Char('\\') + FTarget->DisplayName();
}

bool TTargetOptions::LoadFromRegistry()
{
    // The defaults for an IDE the product was never installed in; a value
    // the record lacks keeps its default, as the pages show it.
    FProviders.clear();
    Installed = false;
    IDERegistration = true;
    AddSourceLocation = FInstallData->WithSources();
    const auto providerByDefault = [this](const TMetadataProvider &provider) {
        return FInstallData->WithMetaProviders() && provider.IsAvailable(*FTarget);
    };
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly(RegistryKey())) {
        for (const auto &provider : FInstallData->MetadataProviders())
            if (providerByDefault(*provider))
                AddProvider(provider.get());
        return false;
    }
    Installed = ReadFlag(reg, QStringLiteral("Installed"), Installed);
    IDERegistration = ReadFlag(reg, QStringLiteral("IDE Registration"), IDERegistration);
    AddSourceLocation = FInstallData->WithSources()
        && ReadFlag(reg, QStringLiteral("Add Source Location"), AddSourceLocation);
    for (const auto &provider : FInstallData->MetadataProviders())
        if (provider->IsAvailable(*FTarget)
            && (provider->Core() || ReadFlag(reg, provider->Caption(), providerByDefault(*provider))))
            AddProvider(provider.get());
    return true;
}

void TTargetOptions::SaveToRegistry() const
{
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    if (!Installed) {
        reg.DeleteKey(RegistryKey());
        return;
    }
    // The whole record in one write: a run killed meanwhile leaves no half of it.
    TRegistryBatch batch(TRootKey::HKEY_LOCAL_MACHINE);
    reg.OpenKey(RegistryKey(), true);
    reg.WriteBool(QStringLiteral("Installed"), true);
    reg.WriteString(QStringLiteral("BPLDir"), TargetDir());
    reg.WriteString(QStringLiteral("DCPDir"), TargetDir());
    reg.WriteBool(QStringLiteral("IDE Registration"), IDERegistration);
    for (const auto &provider : FInstallData->MetadataProviders())
        if (!provider->Core())
            reg.WriteBool(provider->Caption(), IsProviderSelected(provider.get()));
    reg.WriteBool(QStringLiteral("Add Source Location"), AddSourceLocation);
    reg.WriteBool(QStringLiteral("Compile Packages"), CompileFromSources);
    batch.Commit();
}

QString TTargetOptions::FolderName() const
{
    return QLatin1String(FTarget->IsBCB() ? "CBuilder" : "Delphi");
}

QString TTargetOptions::TargetDir() const
{
    const QString version =
        FTarget->IsBDS() ? FTarget->DisplayVersionText() : QString::number(FTarget->DisplayVersionNumber());
    return FInstallData->InstallDir + QLatin1Char('/') + FolderName() + version;
}

QString TTargetOptions::BPLDir() const
{
    return TargetDir();
}

QString TTargetOptions::DCPDir() const
{
    return FTarget->IsBCB() ? TargetDir() + QLatin1String("/obj") : TargetDir();
}

QString TTargetOptions::PackageSourceDir() const
{
    int number = FTarget->DisplayVersionNumber();
    if (number >= 9 && number <= 11)
        number += 2005 - 9;
    return FInstallData->PackagesDir() + QLatin1Char('/') + FolderName() + QString::number(number);
}

QString TTargetOptions::ProjectName(const QString &base) const
{
    const bool bcb = FTarget->IsBCB();
    return base + QLatin1String(bcb ? "C" : "D") + QString::number(FTarget->DisplayVersionNumber())
        + QLatin1String(bcb ? ".bpk" : ".dpk");
}

QString TTargetOptions::PackageFileName(const QString &base) const
{
    QString name = ProjectName(base);
    name.chop(4);
    return name + QLatin1String(".bpl");
}

void TTargetOptions::LogIDESettings(const TLogProc &log) const
{
    log(QLatin1String("Begin of Settings of IDE: ") + FTarget->DisplayName());
    LogList(log, QStringLiteral("Search paths"), FTarget->LibrarySearchPaths());
    LogList(log, QStringLiteral("Browsing paths"), FTarget->BrowsingPaths());
    LogList(log, QStringLiteral("Global Cpp Search paths"), FTarget->CppSearchPaths());
    LogList(log, QStringLiteral("Known Packages"), PackageFiles(FTarget->KnownPackages()));
    LogList(log, QStringLiteral("Known IDE Packages"), PackageFiles(FTarget->KnownIDEPackages()));
    LogList(log, QStringLiteral("Disabled Packages"), PackageFiles(FTarget->DisabledPackages()));
    log(QLatin1String("End of Settings of IDE: ") + FTarget->DisplayName());
}

bool TTargetOptionsList::HasWork() const
{
    if (FInstallData->Mode == imUpdate)
        return true;
    return std::any_of(FItems.begin(), FItems.end(), [](const auto &item) { return item->Action != taNothing; });
}

int TTargetOptionsList::InstallCount() const
{
    return int(std::count_if(FItems.begin(), FItems.end(), [](const auto &item) { return item->Action == taInstall; }));
}

} // namespace nvqb
