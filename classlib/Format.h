#pragma once
// A checked Format in the class library's style:
//   "%" [index ":"] ["-"] [width] ["." precision] type
// with types d u x e f g n m p s and "%%" for a percent sign; index, width and
// precision may be "*" to take them from the arguments. Format strings come from
// language files, so a format that does not match its arguments raises
// EConvertError instead of reading memory it was not given.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <variant>

namespace nvqb {

class FormatArg {
public:
    FormatArg(int v) : FValue(qint64(v)), FIs64(false) {}
    FormatArg(unsigned v) : FValue(qint64(v)), FIs64(false) {}
    FormatArg(long v) : FValue(qint64(v)), FIs64(true) {}
    FormatArg(long long v) : FValue(qint64(v)), FIs64(true) {}
    FormatArg(unsigned long v) : FValue(qint64(v)), FIs64(true) {}
    FormatArg(unsigned long long v) : FValue(qint64(v)), FIs64(true) {}
    FormatArg(double v) : FValue(v) {}
    FormatArg(const QString &v) : FValue(v) {}
    FormatArg(const char *v) : FValue(QString::fromUtf8(v)) {}
    FormatArg(const QByteArray &v) : FValue(QString::fromLatin1(v)) {}
    FormatArg(QChar v) : FValue(QString(v)) {}
    FormatArg(const void *v) : FValue(v) {}

    bool IsInteger() const { return std::holds_alternative<qint64>(FValue); }
    bool IsFloat() const { return std::holds_alternative<double>(FValue); }
    bool IsString() const { return std::holds_alternative<QString>(FValue); }
    bool IsPointer() const { return std::holds_alternative<const void *>(FValue); }
    qint64 Integer() const { return std::get<qint64>(FValue); }
    bool Is64() const { return FIs64; }
    double Float() const { return std::get<double>(FValue); }
    const QString &String() const { return std::get<QString>(FValue); }
    const void *Pointer() const { return std::get<const void *>(FValue); }

private:
    std::variant<qint64, double, QString, const void *> FValue;
    bool FIs64 = false;
};

QString Format(const QString &format, std::initializer_list<FormatArg> args);
QString Format(const QString &format, const FormatArg *args, qsizetype count);

} // namespace nvqb
