#include "installer/PathList.h"
#include "installer/platform/FileNames.h"

namespace nvqb {

namespace {

// Blanks and control characters at both ends go, as the class library's Trim does.
QString Trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= ' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= ' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QStringList SplitPathList(const QString &value)
{
    QStringList paths;
    if (value.isEmpty())
        return paths;
    for (const QString &piece : value.split(QLatin1Char(';'))) {
        QString path = Trim(piece);
        if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
            path = Trim(path.mid(1, path.size() - 2));
        paths += ExcludeTrailingPathDelimiter(path);
    }
    return paths;
}

QString JoinPathList(const QStringList &paths)
{
    return paths.join(QLatin1Char(';'));
}

} // namespace nvqb
