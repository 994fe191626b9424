#include "installer/platform/ProcessList.h"
#include "installer/platform/FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace nvqb {

bool IsProgramRunning(const QString &programFile)
{
    if (programFile.isEmpty())
        return false;
    QString program = QFileInfo(programFile).canonicalFilePath();
    if (program.isEmpty())
        program = QDir::cleanPath(QFileInfo(programFile).absoluteFilePath());
    const QString programName = ExtractFileName(program);

    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QString executable = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry));
        if (executable.isEmpty())
            continue;
        if (executable.endsWith(QLatin1String(" (deleted)")))
            executable.chop(10);
        if (ExtractFileName(executable).compare(programName, Qt::CaseInsensitive) == 0
            && executable.compare(program, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace nvqb
