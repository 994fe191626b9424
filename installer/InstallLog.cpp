#include "installer/InstallLog.h"

namespace nvqb {

void LogList(const TLogProc &log, const QString &title, const QStringList &lines)
{
    log(QLatin1String("=== Begin of ") + title);
    for (const QString &line : lines)
        log(line);
    log(QLatin1String("=== End of ") + title);
}

} // namespace nvqb
