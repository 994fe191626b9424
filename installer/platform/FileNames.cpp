#include "installer/platform/FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace nvqb {

QString ExcludeTrailingPathDelimiter(const QString &path)
{
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return path.left(path.size() - 1);
    return path;
}

QString IncludeTrailingPathDelimiter(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString ExtractFileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ExtractFileBaseName(const QString &path)
{
    const QString name = ExtractFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString ResolvePathCase(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString resolved = absolute ? QStringLiteral("/") : QString();
    for (qsizetype k = 0; k < names.size(); ++k) {
        const QString &name = names[k];
        const QString exact = resolved.isEmpty() ? name : IncludeTrailingPathDelimiter(resolved) + name;
        if (name == QLatin1String(".") || name == QLatin1String("..") || QFileInfo::exists(exact)) {
            resolved = exact;
            continue;
        }
        const QDir folder(resolved.isEmpty() ? QStringLiteral(".") : resolved);
        const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                     QDir::Name);
        QString match;
        for (const QString &entry : entries)
            if (entry.compare(name, Qt::CaseInsensitive) == 0) {
                match = entry;
                break;
            }
        if (match.isEmpty()) {
            // The rest does not exist: kept as spelled below what was found.
            for (; k < names.size(); ++k)
                resolved = resolved.isEmpty() ? names[k] : IncludeTrailingPathDelimiter(resolved) + names[k];
            return resolved;
        }
        resolved = resolved.isEmpty() ? match : IncludeTrailingPathDelimiter(resolved) + match;
    }
    return resolved;
}

QString ResolveProgramFile(const QString &path)
{
    if (QFileInfo::exists(path) || !path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        return path;
    const QString bare = path.left(path.size() - 4);
    return QFileInfo(bare).isFile() ? bare : path;
}

} // namespace nvqb
