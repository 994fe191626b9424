#include "installer/platform/CommandLine.h"

namespace nvqb {

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QStringList SplitCommandLine(const QString &commandLine)
{
    QStringList words;
    const QString &s = commandLine;
    qsizetype i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    if (i == s.size())
        return words;

    QString program;
    if (s[i] == QLatin1Char('"')) {
        const qsizetype close = s.indexOf(QLatin1Char('"'), i + 1);
        program = s.mid(i + 1, close < 0 ? -1 : close - i - 1);
        i = close < 0 ? s.size() : close + 1;
    }
    while (i < s.size() && !IsBlank(s[i]))
        program += s[i++];
    words += program;

    QString word;
    bool inWord = false;
    bool quoted = false;
    while (i < s.size()) {
        const QChar c = s[i];
        if (IsBlank(c) && !quoted) {
            if (inWord)
                words += word;
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\\')) {
            qsizetype n = 0;
            while (i < s.size() && s[i] == QLatin1Char('\\')) {
                ++n;
                ++i;
            }
            if (i < s.size() && s[i] == QLatin1Char('"')) {
                word += QString(n / 2, QLatin1Char('\\'));
                if (n % 2) {
                    word += QLatin1Char('"');
                    ++i;
                }
            } else {
                word += QString(n, QLatin1Char('\\'));
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (quoted && i + 1 < s.size() && s[i + 1] == QLatin1Char('"')) {
                word += QLatin1Char('"');
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
            continue;
        }
        word += c;
        ++i;
    }
    if (inWord)
        words += word;
    return words;
}

} // namespace nvqb
