#include "installer/platform/MachineLocale.h"
#include "installer/platform/Registry.h"

namespace nvqb {

namespace {

QString ReadText(TRootKey rootKey, const QString &key, const QString &name)
{
    TRegistry reg(rootKey);
    if (!reg.OpenKeyReadOnly(key))
        return QString();
    switch (reg.GetDataType(name)) {
    case TRegDataType::rdString: return reg.ReadString(name).trimmed();
    case TRegDataType::rdInteger: return QString::number(reg.ReadInteger(name));
    default: return QString();
    }
}

} // namespace

QString ThreadLanguageAbbreviation()
{
    const QString language = ReadText(TRootKey::HKEY_CURRENT_USER, QStringLiteral("\\Control Panel\\International"),
                                      QStringLiteral("sLanguage"));
    return language.isEmpty() ? QStringLiteral("ENU") : language.toUpper();
}

int OemCodePage()
{
    bool ok = false;
    const int codePage = ReadText(TRootKey::HKEY_LOCAL_MACHINE, QStringLiteral("\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage"),
                                  QStringLiteral("OEMCP"))
                             .toInt(&ok);
    return ok && codePage > 0 ? codePage : 850;
}

} // namespace nvqb
