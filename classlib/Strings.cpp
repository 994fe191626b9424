#include "classlib/Strings.h"

namespace nvqb {

namespace {
template <class S, class C> S TrimImpl(const S &s, bool left, bool right, C blank)
{
    qsizetype b = 0, e = s.size();
    if (left)
        while (b < e && C(s[b]) <= blank)
            ++b;
    if (right)
        while (e > b && C(s[e - 1]) <= blank)
            --e;
    return (b == 0 && e == s.size()) ? s : s.mid(b, e - b);
}
} // namespace

QString Trim(const QString &s) { return TrimImpl<QString, QChar>(s, true, true, QChar(u' ')); }
QString TrimLeft(const QString &s) { return TrimImpl<QString, QChar>(s, true, false, QChar(u' ')); }
QString TrimRight(const QString &s) { return TrimImpl<QString, QChar>(s, false, true, QChar(u' ')); }
QByteArray Trim(const QByteArray &s) { return TrimImpl<QByteArray, uchar>(s, true, true, uchar(' ')); }
QByteArray TrimLeft(const QByteArray &s) { return TrimImpl<QByteArray, uchar>(s, true, false, uchar(' ')); }
QByteArray TrimRight(const QByteArray &s) { return TrimImpl<QByteArray, uchar>(s, false, true, uchar(' ')); }

int CompareText(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive); }
int CompareText(const QByteArray &a, const QByteArray &b) { return qstricmp(a.constData(), b.constData()); }

QString QuotedStr(const QString &s, QChar quote)
{
    QString r = s;
    r.replace(quote, QString(2, quote));
    return quote + r + quote;
}

QByteArray QuotedStr(const QByteArray &s, char quote)
{
    QByteArray r = s;
    r.replace(quote, QByteArray(2, quote));
    return quote + r + quote;
}

} // namespace nvqb
