// The product's entry in the system's list of installed programs.
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/Registry.h"

namespace nvqb {

void TCompiler::WriteUninstallEntry()
{
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(UninstallEntryKey, true))
        return;
    const QString version = FInstallData.Version().Text();
    const QString uninstaller = FInstallData.UninstallDir() + QLatin1Char('/') + SetupProgramName;
    reg.WriteString(QStringLiteral("DisplayName"), QLatin1String("Norvane Query Builder VCL Component ") + version);
    reg.WriteString(QStringLiteral("DisplayVersion"), version);
    reg.WriteString(QStringLiteral("InstallLocation"), FInstallData.InstallDir);
    reg.WriteString(QStringLiteral("Publisher"), MakerName);
    reg.WriteString(QStringLiteral("HelpLink"), ProductWebAddress);
    reg.WriteString(QStringLiteral("URLInfoAbout"), ProductWebAddress);
    reg.WriteString(QStringLiteral("URLUpdateInfo"), ProductWebAddress);
    reg.WriteString(QStringLiteral("UninstallString"), uninstaller);
    reg.WriteString(QStringLiteral("DisplayIcon"), uninstaller + QLatin1String(",0"));
}

void TCompiler::DeleteUninstallEntry()
{
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    reg.DeleteKey(UninstallEntryKey);
}

} // namespace nvqb
