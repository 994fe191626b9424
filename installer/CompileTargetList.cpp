#include "installer/CompileTargetList.h"
#include "installer/BDSVersions.h"
#include "installer/CmdOptions.h"
#include "installer/platform/Registry.h"

namespace nvqb {

TCompileTargetList::TCompileTargetList(TCmdOptions &options)
{
    if (options.DelphiRegistryPath.isEmpty())
        options.DelphiRegistryPath = QStringLiteral("Delphi");
    if (options.BCBRegistryPath.isEmpty())
        options.BCBRegistryPath = QStringLiteral("C++Builder");
    if (options.BDSRegistryPath.isEmpty())
        options.BDSRegistryPath = QStringLiteral("BDS");
    if (!options.IgnoreDelphi)
        EnumerateProduct(QStringLiteral("Delphi"), options.DelphiRegistryPath);
    if (!options.IgnoreBCB)
        EnumerateProduct(QStringLiteral("C++Builder"), options.BCBRegistryPath);
    if (!options.IgnoreDelphi)
        EnumerateProduct(QStringLiteral("BDS"), options.BDSRegistryPath);
}

void TCompileTargetList::EnumerateProduct(const QString &productKey, const QString &registryPathName)
{
    const QString borland = QStringLiteral("\\SOFTWARE\\Borland\\");
    TRegistry machine(TRootKey::HKEY_LOCAL_MACHINE);
    if (!machine.OpenKeyReadOnly(borland + productKey))
        return;
    const QStringList versions = machine.GetKeyNames();
    TRegistry user(TRootKey::HKEY_CURRENT_USER);
    for (const QString &version : versions) {
        if (version.isEmpty() || version[0] < QLatin1Char('1') || version[0] > QLatin1Char('9'))
            continue;
        if (productKey == QLatin1String("BDS")) {
            const TBDSVersionInfo *info = BDSVersionInfo(version.section(QLatin1Char('.'), 0, 0).toInt());
            if (!info || !info->Usable)
                continue;
        }
        if (!user.KeyExists(borland + registryPathName + QLatin1Char('\\') + version))
            continue;
        auto target = std::make_unique<TCompileTarget>(productKey, registryPathName, version);
        if (target->IsValid())
            FItems.push_back(std::move(target));
    }
}

} // namespace nvqb
