#include "installer/platform/ShellLink.h"
#include "installer/platform/AtomicFile.h"

#include <QFile>

namespace nvqb {

namespace {

QString OneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

} // namespace

void CreateShellLink(const QString &linkFile, const TShellLink &link)
{
    const QString text = QLatin1String("Target=") + OneLine(link.Target) + QLatin1String("\nWorkingDirectory=")
        + OneLine(link.WorkingDirectory) + QLatin1Char('\n');
    WriteFileAtomically(linkFile, text.toUtf8());
}

std::optional<TShellLink> ReadShellLink(const QString &linkFile)
{
    QFile file(linkFile);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    TShellLink link;
    bool hasTarget = false;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).remove(QLatin1Char('\r'));
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq);
        if (key.compare(QLatin1String("Target"), Qt::CaseInsensitive) == 0) {
            link.Target = line.mid(eq + 1);
            hasTarget = true;
        } else if (key.compare(QLatin1String("WorkingDirectory"), Qt::CaseInsensitive) == 0) {
            link.WorkingDirectory = line.mid(eq + 1);
        }
    }
    if (!hasTarget)
        return std::nullopt;
    return link;
}

} // namespace nvqb
