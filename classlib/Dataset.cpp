#include "classlib/Dataset.h"
#include "classlib/Strings.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <limits>

namespace nvqb {

namespace {

const char *const FieldTypeNames[FieldTypeCount] = {
    "ftUnknown",   "ftString",     "ftSmallint", "ftInteger",   "ftWord",       "ftBoolean",
    "ftFloat",     "ftCurrency",   "ftBCD",      "ftDate",      "ftTime",       "ftDateTime",
    "ftBytes",     "ftVarBytes",   "ftAutoInc",  "ftBlob",      "ftMemo",       "ftGraphic",
    "ftFmtMemo",   "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor",   "ftFixedChar",
    "ftWideString", "ftLargeint",  "ftADT",      "ftArray",     "ftReference",  "ftDataSet",
    "ftOraBlob",   "ftOraClob",    "ftVariant",  "ftInterface", "ftIDispatch",  "ftGuid",
    "ftTimeStamp", "ftFMTBcd",
};

bool IsTextType(TFieldType t)
{
    switch (t) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
    case ftGuid:
        return true;
    default:
        return false;
    }
}

bool IsBinaryType(TFieldType t)
{
    switch (t) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
    case ftOraBlob:
    case ftParadoxOle:
    case ftDBaseOle:
        return true;
    default:
        return false;
    }
}

bool IsNullValue(const QVariant &v) { return !v.isValid() || v.isNull(); }

bool IsNumberVariant(const QVariant &v)
{
    switch (v.typeId()) {
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

QString VariantText(const QVariant &v)
{
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

[[noreturn]] void BadValue(const TFieldDef &def, const QVariant &value, const char *kind)
{
    throw EDatabaseError(QStringLiteral("'%1' is not a valid %2 value for field '%3'")
                             .arg(VariantText(value), QString::fromLatin1(kind), def.Name()));
}

// An integer from a number or a text holding one; floats only when whole.
bool ToInt64(const QVariant &v, qint64 &out)
{
    bool ok = false;
    switch (v.typeId()) {
    case QMetaType::Bool:
        out = v.toBool() ? 1 : 0;
        return true;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || d < -9.2e18 || d > 9.2e18)
            return false;
        out = qint64(d);
        return true;
    }
    case QMetaType::ULongLong:
    case QMetaType::ULong: {
        const qulonglong u = v.toULongLong(&ok);
        if (!ok || u > qulonglong(std::numeric_limits<qint64>::max()))
            return false;
        out = qint64(u);
        return true;
    }
    case QMetaType::QString:
    case QMetaType::QByteArray:
        out = Trim(VariantText(v)).toLongLong(&ok);
        return ok;
    default:
        if (!IsNumberVariant(v))
            return false;
        out = v.toLongLong(&ok);
        return ok;
    }
}

bool ToDouble(const QVariant &v, double &out)
{
    bool ok = false;
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray)
        out = Trim(VariantText(v)).toDouble(&ok);
    else if (IsNumberVariant(v) || v.typeId() == QMetaType::Bool)
        out = v.toDouble(&ok);
    return ok;
}

} // namespace

const char *FieldTypeName(TFieldType type)
{
    if (type < 0 || type >= FieldTypeCount)
        return FieldTypeNames[ftUnknown];
    return FieldTypeNames[type];
}

QVariant ConvertFieldValue(const TFieldDef &def, const QVariant &value)
{
    if (IsNullValue(value))
        return QVariant();
    const TFieldType t = def.DataType();
    if (IsTextType(t))
        return VariantText(value);
    if (IsBinaryType(t)) {
        if (value.typeId() == QMetaType::QByteArray)
            return value;
        return VariantText(value).toUtf8();
    }
    switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: {
        qint64 i = 0;
        const qint64 lo = t == ftSmallint ? -32768 : t == ftWord ? 0 : std::numeric_limits<int>::min();
        const qint64 hi = t == ftSmallint ? 32767 : t == ftWord ? 65535 : std::numeric_limits<int>::max();
        if (!ToInt64(value, i) || i < lo || i > hi)
            BadValue(def, value, "integer");
        return int(i);
    }
    case ftLargeint: {
        qint64 i = 0;
        if (!ToInt64(value, i))
            BadValue(def, value, "integer");
        return i;
    }
    case ftBoolean: {
        if (value.typeId() == QMetaType::Bool)
            return value;
        qint64 i = 0;
        if (ToInt64(value, i))
            return i != 0;
        const QString s = Trim(VariantText(value));
        if (SameText(s, QStringLiteral("true")))
            return true;
        if (SameText(s, QStringLiteral("false")))
            return false;
        BadValue(def, value, "boolean");
    }
    case ftFloat:
    case ftCurrency: {
        double d = 0;
        if (!ToDouble(value, d))
            BadValue(def, value, "float");
        return d;
    }
    case ftBCD:
    case ftFMTBcd: {
        // Kept as decimal text so that no digit is lost to a binary float.
        double d = 0;
        if (!ToDouble(value, d))
            BadValue(def, value, "BCD");
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            return QString::number(d, 'g', 17);
        return Trim(VariantText(value));
    }
    case ftDate: {
        QDate d = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray)
            d = QDate::fromString(Trim(VariantText(value)), Qt::ISODate);
        if (!d.isValid())
            BadValue(def, value, "date");
        return d;
    }
    case ftTime: {
        QTime tm = value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value.toTime();
        if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray)
            tm = QTime::fromString(Trim(VariantText(value)), Qt::ISODateWithMs);
        if (!tm.isValid())
            BadValue(def, value, "time");
        return tm;
    }
    case ftDateTime:
    case ftTimeStamp: {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDateTime)
            dt = value.toDateTime();
        else if (value.typeId() == QMetaType::QDate)
            dt = QDateTime(value.toDate(), QTime(0, 0));
        else if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray)
            dt = QDateTime::fromString(Trim(VariantText(value)), Qt::ISODateWithMs);
        if (!dt.isValid())
            BadValue(def, value, "date and time");
        return dt;
    }
    default:
        return value;
    }
}

// ---------------------------------------------------------------------------

const TFieldDef &TFieldDefs::Items(qsizetype index) const
{
    if (index < 0 || index >= FItems.size())
        ListIndexError(index);
    return FItems[index];
}

TFieldDef &TFieldDefs::Add(const QString &name, TFieldType dataType, int size, bool required)
{
    FItems.append(TFieldDef(name, dataType, size, required));
    return FItems.last();
}

void TFieldDefs::Add(const TFieldDef &def) { FItems.append(def); }

void TFieldDefs::Clear() { FItems.clear(); }

qsizetype TFieldDefs::IndexOf(const QString &name) const
{
    for (qsizetype i = 0; i < FItems.size(); ++i)
        if (SameText(FItems[i].Name(), name))
            return i;
    return -1;
}

const TFieldDef &TFieldDefs::Find(const QString &name) const
{
    const qsizetype i = IndexOf(name);
    if (i < 0) {
        if (FDataSet)
            FDataSet->DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    }
    return FItems[i];
}

void TFieldDefs::Update()
{
    if (FDataSet)
        FDataSet->UpdateFieldDefs();
}

// ---------------------------------------------------------------------------

NV_IMPLEMENT_CLASS(TField, TObject)

TField::TField(TDataSet *dataSet, const TFieldDef &def, int index) : FDataSet(dataSet), FDef(def), FIndex(index) {}

QVariant TField::AsVariant() const { return FDataSet->FieldValue(FIndex); }

bool TField::IsNull() const { return IsNullValue(AsVariant()); }

QByteArray TField::AsString() const
{
    const QVariant v = AsVariant();
    if (IsNullValue(v))
        return QByteArray();
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return AsWideString().toUtf8();
}

QString TField::AsWideString() const
{
    const QVariant v = AsVariant();
    if (IsNullValue(v))
        return QString();
    switch (v.typeId()) {
    case QMetaType::QByteArray:
        // Binary data, one character per byte.
        return QString::fromLatin1(v.toByteArray());
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return v.toTime().toString(Qt::ISODateWithMs);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(Qt::ISODateWithMs);
    default:
        return v.toString();
    }
}

int TField::AsInteger() const
{
    const QVariant v = AsVariant();
    if (IsNullValue(v))
        return 0;
    qint64 i = 0;
    if (!ToInt64(v, i) || i < std::numeric_limits<int>::min() || i > std::numeric_limits<int>::max())
        BadValue(FDef, v, "integer");
    return int(i);
}

double TField::AsFloat() const
{
    const QVariant v = AsVariant();
    if (IsNullValue(v))
        return 0;
    double d = 0;
    if (!ToDouble(v, d))
        BadValue(FDef, v, "float");
    return d;
}

// ---------------------------------------------------------------------------

NV_IMPLEMENT_CLASS(TDataSet, TComponent)

TDataSet::TDataSet(TComponent *owner) : TComponent(owner), FFieldDefs(this) {}

TDataSet::~TDataSet() = default;

void TDataSet::BeforeDestruction()
{
    // While the object is whole, so the subclass releases its source.
    Close();
    TComponent::BeforeDestruction();
}

void TDataSet::DatabaseError(const QString &message) const
{
    if (Name().isEmpty())
        throw EDatabaseError(message);
    throw EDatabaseError(Name() + QStringLiteral(": ") + message);
}

void TDataSet::CheckActive() const
{
    if (!FActive)
        DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TDataSet::Open()
{
    if (FActive)
        return;
    FRecord.clear();
    InternalOpen();
    try {
        FFields.reserve(size_t(FFieldDefs.Count()));
        for (qsizetype i = 0; i < FFieldDefs.Count(); ++i)
            FFields.push_back(Create<TField>(this, FFieldDefs[i], int(i)));
        FActive = true;
        First();
    } catch (...) {
        // A source that fails on its first record leaves nothing half open.
        FActive = false;
        DestroyFields();
        FRecord.clear();
        InternalClose();
        throw;
    }
}

void TDataSet::Close()
{
    if (!FActive)
        return;
    FActive = false;
    DestroyFields();
    FRecord.clear();
    FEof = FBof = true;
    InternalClose();
}

void TDataSet::SetActive(bool value)
{
    if (value)
        Open();
    else
        Close();
}

void TDataSet::DestroyFields() { FFields.clear(); }

void TDataSet::First()
{
    CheckActive();
    FRecord.clear();
    FBof = true;
    FEof = true;
    FEof = !InternalFirst();
    if (FEof)
        FRecord.clear();
}

void TDataSet::Next()
{
    CheckActive();
    if (FEof)
        return;
    if (InternalNext())
        FBof = false;
    else
        FEof = true;
}

bool TDataSet::IsEmpty() const { return !FActive || (FBof && FEof); }

TField *TDataSet::Fields(qsizetype index) const
{
    if (index < 0 || index >= qsizetype(FFields.size()))
        ListIndexError(index);
    return FFields[size_t(index)].get();
}

TField *TDataSet::FindField(const QString &name) const
{
    for (const auto &f : FFields)
        if (SameText(f->FieldName(), name))
            return f.get();
    return nullptr;
}

TField *TDataSet::FieldByName(const QString &name) const
{
    TField *f = FindField(name);
    if (!f)
        DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return f;
}

QVariant TDataSet::FieldValue(int index) const
{
    CheckActive();
    if (index < 0 || index >= FRecord.size())
        return QVariant();
    return FRecord[index];
}

void TDataSet::UpdateFieldDefs()
{
    if (!FActive)
        InternalInitFieldDefs();
}

} // namespace nvqb
