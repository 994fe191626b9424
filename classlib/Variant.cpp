#include "classlib/Variant.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

namespace nvqb {

bool VarIsNumeric(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

namespace {

bool IsIntegral(const QVariant &v)
{
    return VarIsNumeric(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
}

bool IsText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray ||
           v.typeId() == QMetaType::QChar;
}

bool IsNullVariant(const QVariant &v) { return v.isValid() && v.typeId() == QMetaType::Nullptr; }

bool TextToNumber(const QVariant &text, double &number)
{
    bool ok = false;
    number = QLocale::c().toDouble(text.toString().trimmed(), &ok);
    return ok;
}

} // namespace

bool VarIsArray(const QVariant &value)
{
    return value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList;
}

bool VarIsEmpty(const QVariant &value) { return !value.isValid(); }

bool VarEquals(const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return !a.isValid() && !b.isValid();
    if (IsNullVariant(a) || IsNullVariant(b))
        return IsNullVariant(a) && IsNullVariant(b);
    if (IsText(a) && IsText(b))
        return a.toString() == b.toString();
    if (VarIsNumeric(a) && VarIsNumeric(b)) {
        if (IsIntegral(a) && IsIntegral(b)) {
            if (a.typeId() == QMetaType::ULongLong || b.typeId() == QMetaType::ULongLong) {
                auto negative = [](const QVariant &v) {
                    return v.typeId() != QMetaType::ULongLong && v.toLongLong() < 0;
                };
                if (negative(a) || negative(b))
                    return false; // one negative, the other above every negative value
                return a.toULongLong() == b.toULongLong();
            }
            return a.toLongLong() == b.toLongLong();
        }
        return a.toDouble() == b.toDouble();
    }
    if ((IsText(a) && VarIsNumeric(b)) || (VarIsNumeric(a) && IsText(b))) {
        const QVariant &text = IsText(a) ? a : b;
        const QVariant &number = IsText(a) ? b : a;
        double value;
        return TextToNumber(text, value) && value == number.toDouble();
    }
    if (VarIsArray(a) || VarIsArray(b)) {
        if (!VarIsArray(a) || !VarIsArray(b))
            return false;
        const QVariantList la = a.toList(), lb = b.toList();
        if (la.size() != lb.size())
            return false;
        for (qsizetype i = 0; i < la.size(); ++i)
            if (!VarEquals(la[i], lb[i]))
                return false;
        return true;
    }
    return a == b;
}

} // namespace nvqb
