#include "installer/platform/ShellOpen.h"

#include <QFile>

namespace nvqb {

namespace {

QStringList &History()
{
    static QStringList history;
    return history;
}

} // namespace

void ShellOpen(const QString &target)
{
    History() += target;
    const QString logName = qEnvironmentVariable(ShellLogVariable);
    if (logName.isEmpty())
        return;
    QFile log(logName);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write((QLatin1String("open ") + target + QLatin1Char('\n')).toUtf8());
}

QStringList ShellOpenHistory()
{
    return History();
}

void ClearShellOpenHistory()
{
    History().clear();
}

} // namespace nvqb
