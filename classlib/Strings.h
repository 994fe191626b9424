#pragma once
// Text helpers with the class library's semantics. Trim removes every
// character up to and including the blank (code <= 32) at either end.
#include <QByteArray>
#include <QString>

namespace nvqb {

QString Trim(const QString &s);
QString TrimLeft(const QString &s);
QString TrimRight(const QString &s);
QByteArray Trim(const QByteArray &s);
QByteArray TrimLeft(const QByteArray &s);
QByteArray TrimRight(const QByteArray &s);

// Case-insensitive comparison and equality.
int CompareText(const QString &a, const QString &b);
int CompareText(const QByteArray &a, const QByteArray &b);
inline bool SameText(const QString &a, const QString &b) { return CompareText(a, b) == 0; }
inline bool SameText(const QByteArray &a, const QByteArray &b) { return CompareText(a, b) == 0; }

// Quoting as AnsiQuotedStr / AnsiExtractQuotedStr: the quote is doubled inside.
QString QuotedStr(const QString &s, QChar quote = u'\'');
QByteArray QuotedStr(const QByteArray &s, char quote = '\'');

} // namespace nvqb
