#include "installer/platform/OSVersion.h"
#include "installer/platform/Registry.h"

#include <QStringList>

namespace nvqb {

namespace {

QString ReadText(TRegistry &reg, const QString &name)
{
    return reg.GetDataType(name) == TRegDataType::rdString ? reg.ReadString(name).trimmed() : QString();
}

int Number(const QStringList &parts, qsizetype index)
{
    return index < parts.size() ? parts[index].trimmed().toInt() : 0;
}

} // namespace

TOSVersionInfo GetOSVersionInfo()
{
    TOSVersionInfo info;
    TRegistry reg(TRootKey::HKEY_LOCAL_MACHINE);
    if (reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"))) {
        const QStringList version = ReadText(reg, QStringLiteral("CurrentVersion")).split(QLatin1Char('.'));
        if (Number(version, 0) > 0) {
            info.PlatformId = 2;
            info.MajorVersion = Number(version, 0);
            info.MinorVersion = Number(version, 1);
            info.BuildNumber = ReadText(reg, QStringLiteral("CurrentBuildNumber")).toInt();
            info.CSDVersion = ReadText(reg, QStringLiteral("CSDVersion"));
            return info;
        }
    }
    if (reg.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"))) {
        const QStringList version = ReadText(reg, QStringLiteral("VersionNumber")).split(QLatin1Char('.'));
        if (Number(version, 0) > 0) {
            info.PlatformId = 1;
            info.MajorVersion = Number(version, 0);
            info.MinorVersion = Number(version, 1);
            info.BuildNumber = Number(version, 2);
            info.CSDVersion = ReadText(reg, QStringLiteral("SubVersionNumber"));
        }
    }
    return info;
}

} // namespace nvqb
