#include "classlib/Format.h"
#include "classlib/Exceptions.h"

#include <QLocale>
#include <cmath>

namespace nvqb {

namespace {

[[noreturn]] void InvalidFormat(const QString &format)
{
    throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
}

[[noreturn]] void ArgumentMissing(const QString &format)
{
    throw EConvertError(QStringLiteral("No argument for format '%1'").arg(format));
}

// Reads a number or "*" at pos; returns -1 when none is there.
qint64 ReadNumber(const QString &format, qsizetype &pos, const FormatArg *args, qsizetype count,
                  qsizetype &argIndex)
{
    if (pos < format.size() && format[pos] == u'*') {
        ++pos;
        if (argIndex >= count)
            ArgumentMissing(format);
        const FormatArg &a = args[argIndex++];
        if (!a.IsInteger())
            InvalidFormat(format);
        return a.Integer();
    }
    qint64 value = -1;
    while (pos < format.size() && format[pos].isDigit() && format[pos].unicode() < 128) {
        value = (value < 0 ? 0 : value) * 10 + (format[pos].unicode() - '0');
        if (value > 1000000)
            InvalidFormat(format);
        ++pos;
    }
    return value;
}

QString PadDigits(QString digits, qint64 precision)
{
    bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    if (precision > digits.size())
        digits.prepend(QString(precision - digits.size(), u'0'));
    return negative ? u'-' + digits : digits;
}

QString FormatExponent(double v, qint64 precision)
{
    // d.dddE+ddd: precision significant digits, exponent at least three digits.
    if (precision < 1 || precision > 18)
        precision = 15;
    QString s = QString::number(v, 'E', int(precision - 1));
    qsizetype e = s.indexOf(u'E');
    if (e < 0)
        return s;
    QString mantissa = s.left(e);
    QChar sign = s[e + 1];
    QString exp = s.mid(e + 2);
    while (exp.size() < 3)
        exp.prepend(u'0');
    return mantissa + u'E' + sign + exp;
}

QString FormatGeneral(double v, qint64 precision)
{
    if (precision < 1 || precision > 18)
        precision = 15;
    QString s = QString::number(v, 'g', int(precision));
    qsizetype e = s.indexOf(u'e');
    if (e < 0)
        return s;
    QString mantissa = s.left(e);
    QChar sign = s[e + 1];
    QString exp = s.mid(e + 2);
    while (exp.size() > 1 && exp.startsWith(u'0'))
        exp.remove(0, 1);
    while (exp.size() < 2)
        exp.prepend(u'0');
    return mantissa + u'E' + sign + exp;
}

QString FormatThousands(double v, qint64 precision)
{
    if (precision < 0)
        precision = 2;
    QString fixed = QString::number(std::fabs(v), 'f', int(std::min<qint64>(precision, 18)));
    qsizetype dot = fixed.indexOf(u'.');
    QString intPart = dot < 0 ? fixed : fixed.left(dot);
    QString rest = dot < 0 ? QString() : fixed.mid(dot);
    for (qsizetype i = intPart.size() - 3; i > 0; i -= 3)
        intPart.insert(i, u',');
    return (v < 0 ? QStringLiteral("-") : QString()) + intPart + rest;
}

} // namespace

QString Format(const QString &format, std::initializer_list<FormatArg> args)
{
    return Format(format, args.begin(), qsizetype(args.size()));
}

QString Format(const QString &format, const FormatArg *args, qsizetype count)
{
    QString result;
    result.reserve(format.size() + 16);
    qsizetype argIndex = 0;
    qsizetype pos = 0;
    const qsizetype n = format.size();
    while (pos < n) {
        QChar c = format[pos];
        if (c != u'%') {
            result += c;
            ++pos;
            continue;
        }
        ++pos;
        if (pos >= n)
            InvalidFormat(format);
        if (format[pos] == u'%') {
            result += u'%';
            ++pos;
            continue;
        }
        // [index ":"]
        qint64 number = ReadNumber(format, pos, args, count, argIndex);
        if (pos < n && format[pos] == u':') {
            if (number < 0)
                InvalidFormat(format);
            argIndex = number;
            ++pos;
            number = -1;
        }
        bool leftJustify = false;
        if (number < 0 && pos < n && format[pos] == u'-') {
            leftJustify = true;
            ++pos;
        }
        qint64 width = number >= 0 ? number : ReadNumber(format, pos, args, count, argIndex);
        qint64 precision = -1;
        if (pos < n && format[pos] == u'.') {
            ++pos;
            precision = ReadNumber(format, pos, args, count, argIndex);
            if (precision < 0)
                precision = 0;
        }
        if (pos >= n)
            InvalidFormat(format);
        QChar type = format[pos].toLower();
        ++pos;
        if (argIndex >= count)
            ArgumentMissing(format);
        const FormatArg &arg = args[argIndex++];
        QString text;
        switch (type.unicode()) {
        case 'd':
            if (!arg.IsInteger())
                InvalidFormat(format);
            text = PadDigits(QString::number(arg.Integer()), precision);
            break;
        case 'u':
            if (!arg.IsInteger())
                InvalidFormat(format);
            text = PadDigits(arg.Is64() ? QString::number(quint64(arg.Integer()))
                                        : QString::number(quint32(arg.Integer())),
                             precision);
            break;
        case 'x':
            if (!arg.IsInteger())
                InvalidFormat(format);
            text = PadDigits(arg.Is64() ? QString::number(quint64(arg.Integer()), 16)
                                        : QString::number(quint32(arg.Integer()), 16),
                             precision)
                       .toUpper();
            break;
        case 'e':
            if (!arg.IsFloat())
                InvalidFormat(format);
            text = FormatExponent(arg.Float(), precision);
            break;
        case 'f':
            if (!arg.IsFloat())
                InvalidFormat(format);
            text = QString::number(arg.Float(), 'f', int(precision < 0 ? 2 : std::min<qint64>(precision, 18)));
            break;
        case 'g':
            if (!arg.IsFloat())
                InvalidFormat(format);
            text = FormatGeneral(arg.Float(), precision);
            break;
        case 'n':
        case 'm':
            if (!arg.IsFloat())
                InvalidFormat(format);
            text = FormatThousands(arg.Float(), precision);
            break;
        case 'p':
            if (!arg.IsPointer())
                InvalidFormat(format);
            text = QStringLiteral("%1").arg(quintptr(arg.Pointer()), int(sizeof(void *) * 2), 16, QChar(u'0')).toUpper();
            break;
        case 's':
            if (!arg.IsString())
                InvalidFormat(format);
            text = arg.String();
            if (precision >= 0 && precision < text.size())
                text.truncate(precision);
            break;
        default:
            InvalidFormat(format);
        }
        if (width > text.size()) {
            QString pad(width - text.size(), u' ');
            text = leftJustify ? text + pad : pad + text;
        }
        result += text;
    }
    return result;
}

} // namespace nvqb
