#include "installer/platform/MachineEnvironment.h"
#include "installer/platform/Machine.h"
#include "installer/platform/Registry.h"

namespace nvqb {

namespace {

QString ReadVariable(TRootKey rootKey, const QString &key, const QString &name)
{
    TRegistry reg(rootKey);
    if (!reg.OpenKeyReadOnly(key) || reg.GetDataType(name) != TRegDataType::rdString)
        return QString();
    return reg.ReadString(name);
}

} // namespace

QString GetMachineEnvironmentVariable(const QString &name)
{
    const QString user = ReadVariable(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\Environment"), name);
    const QString system = ReadVariable(
        TRootKey::HKEY_LOCAL_MACHINE, QStringLiteral("\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"), name);
    if (name.compare(QLatin1String("PATH"), Qt::CaseInsensitive) != 0)
        return user.isEmpty() ? system : user;
    if (system.isEmpty() && user.isEmpty()) {
        if (MachineFolder().isEmpty())
            return QString();
        return GetSpecialFolder(TSpecialFolder::System) + QLatin1Char(';') + GetSpecialFolder(TSpecialFolder::Windows);
    }
    if (system.isEmpty() || user.isEmpty())
        return system + user;
    return system + QLatin1Char(';') + user;
}

} // namespace nvqb
