#include "support/LanguageSource.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "classlib/Strings.h"
#include "support/Charsets.h"

#include <QFile>
#include <QMap>
#include <QSaveFile>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQBLanguageSourceBase, TObject)
NV_IMPLEMENT_CLASS(TnvQBLanguageSourceResource, TnvQBLanguageSourceBase)
NV_IMPLEMENT_CLASS(TnvQBLanguageSourceFile, TnvQBLanguageSourceBase)
NV_IMPLEMENT_CLASS(TnvQBLanguageSourceStrings, TnvQBLanguageSourceBase)
NV_IMPLEMENT_CLASS(TnvQBLanguageSourceString, TnvQBLanguageSourceBase)

namespace {

const char *const Unit = "nvQBLocalizer";
constexpr char GeneralSection[] = "General Settings";

constexpr qint64 NotMine = -1;
constexpr qint64 TooLarge = -2;

// A run of decimal digits; numbers too large to matter come back as TooLarge.
qint64 ParseNumber(QByteArrayView digits)
{
    if (digits.isEmpty())
        return NotMine;
    qint64 value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return NotMine;
        if (value <= 1000000000)
            value = value * 10 + (c - '0');
    }
    return value > 1000000000 ? TooLarge : value;
}

// The line number a line of this name holds for key: 0 for the key itself, N
// for "key.N"; NotMine for lines of other keys.
qint64 LineNumberOf(const QByteArray &name, const QByteArray &key)
{
    if (name == key)
        return 0;
    if (name.size() <= key.size() + 1 || !name.startsWith(key) || name[key.size()] != '.')
        return NotMine;
    return ParseNumber(QByteArrayView(name).sliced(key.size() + 1));
}

// The item number of a line of a list: N for "key.ItemN" and "key.ItemN.M".
qint64 ItemNumberOf(const QByteArray &name, const QByteArray &key)
{
    const qsizetype prefix = key.size() + 5; // key + ".Item"
    if (name.size() <= prefix || !name.startsWith(key) || QByteArrayView(name).sliced(key.size(), 5) != QByteArrayView(".Item"))
        return NotMine;
    QByteArrayView rest = QByteArrayView(name).sliced(prefix);
    const qsizetype dot = rest.indexOf('.');
    if (dot >= 0) {
        if (ParseNumber(rest.sliced(dot + 1)) == NotMine)
            return NotMine;
        rest = rest.first(dot);
    }
    return ParseNumber(rest);
}

QList<QByteArray> SplitLines(const QByteArray &value)
{
    QList<QByteArray> lines;
    const qsizetype n = value.size();
    qsizetype p = 0;
    while (p < n) {
        qsizetype start = p;
        while (p < n && value[p] != '\r' && value[p] != '\n')
            ++p;
        lines.append(value.mid(start, p - start));
        if (p < n && value[p] == '\r')
            ++p;
        if (p < n && value[p] == '\n')
            ++p;
    }
    return lines;
}

void CheckKey(const QByteArray &section, const QByteArray &key)
{
    Assert(!section.isEmpty(), Unit, "Language text: empty section name");
    Assert(!key.isEmpty(), Unit, "Language text: empty key");
}

} // namespace

TnvQBLanguageSourceBase::TnvQBLanguageSourceBase(const QByteArray &name)
    : FName(name), FIniFile(Create<TnvMemIniFile>())
{
}

TnvQBLanguageSourceBase::~TnvQBLanguageSourceBase() = default;

quint8 TnvQBLanguageSourceBase::CharsetStringToVal(const QByteArray &name) { return quint8(CharsetByName(name)); }

QByteArray TnvQBLanguageSourceBase::CharsetValToString(int charset) { return CharsetName(charset); }

quint8 TnvQBLanguageSourceBase::BiDiStringToVal(const QByteArray &text)
{
    return text == "BiDiLeftToRight" ? bdLeftToRight : bdRightToLeft;
}

QByteArray TnvQBLanguageSourceBase::BiDIValToString(quint8 mode)
{
    return mode == bdLeftToRight ? QByteArrayLiteral("BiDiLeftToRight") : QByteArrayLiteral("BiDiRightToLeft");
}

void TnvQBLanguageSourceBase::ReadParams()
{
    FCharset = CharsetStringToVal(Trim(FIniFile->ReadString(GeneralSection, "CharSet", QByteArray())));
    const QByteArray bidi = FIniFile->ReadString(GeneralSection, "BiDiMode", QByteArray());
    if (bidi.isEmpty())
        FBiDiMode = (FCharset == HEBREW_CHARSET || FCharset == ARABIC_CHARSET) ? bdRightToLeft : bdLeftToRight;
    else
        FBiDiMode = BiDiStringToVal(bidi);
}

void TnvQBLanguageSourceBase::WriteParams()
{
    FIniFile->WriteString(GeneralSection, "CharSet", CharsetValToString(FCharset));
    FIniFile->WriteString(GeneralSection, "BiDiMode", BiDIValToString(FBiDiMode));
}

QString TnvQBLanguageSourceBase::ToUnicode(const QByteArray &text) const { return CharsetToUnicode(text, FCharset); }

QByteArray TnvQBLanguageSourceBase::FromUnicode(const QString &text) const { return UnicodeToCharset(text, FCharset); }

bool TnvQBLanguageSourceBase::TryReadString(const QByteArray &section, const QByteArray &key, QByteArray &value) const
{
    CheckKey(section, key);
    const TStringList *lines = FIniFile->FindSection(section);
    if (!lines)
        return false;
    // Line number -> value; the first line of a number in file order wins.
    QMap<qint64, QByteArray> numbered;
    for (qsizetype i = 0; i < lines->Count(); ++i) {
        const QByteArray name = lines->Names(i);
        const qint64 n = LineNumberOf(name, key);
        if (n < 0 || n > MaxLineNumber || numbered.contains(n))
            continue;
        numbered.insert(n, lines->ValueFromIndex(i));
    }
    if (numbered.isEmpty())
        return false;
    const qint64 last = numbered.lastKey();
    QByteArray result;
    for (qint64 n = 0; n <= last; ++n) {
        if (n > 0)
            result += "\r\n";
        result += numbered.value(n);
    }
    value = result;
    return true;
}

QByteArray TnvQBLanguageSourceBase::ReadString(const QByteArray &section, const QByteArray &key,
                                               const QByteArray &def) const
{
    QByteArray value;
    return TryReadString(section, key, value) ? value : def;
}

QString TnvQBLanguageSourceBase::ReadWideString(const QByteArray &section, const QByteArray &key,
                                                const QString &def) const
{
    QByteArray value;
    return TryReadString(section, key, value) ? ToUnicode(value) : def;
}

void TnvQBLanguageSourceBase::WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    ClearString(section, key);
    const QList<QByteArray> lines = SplitLines(value);
    // The key's lines are gone, so new ones are appended. (A name=value
    // assignment would match names without regard to case and overwrite
    // another key that differs from this one only in case.)
    TStringList *target = FIniFile->GetSection(section);
    if (lines.size() > 1) {
        // An empty line is left out; it reads back as a gap.
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (!lines[i].isEmpty())
                target->Add(key + '.' + QByteArray::number(i) + '=' + lines[i]);
    } else if (!lines.isEmpty() && !lines[0].isEmpty()) {
        // A single line without its final line break: a break inside a stored
        // line would split it in two when the text is saved and read again.
        target->Add(key + '=' + lines[0]);
    }
}

void TnvQBLanguageSourceBase::WriteWideString(const QByteArray &section, const QByteArray &key, const QString &value)
{
    WriteString(section, key, FromUnicode(value));
}

template <class List, class Convert>
void TnvQBLanguageSourceBase::ReadStringsImpl(const QByteArray &section, const QByteArray &key,
                                              const List *defaults, List *result, Convert convert) const
{
    CheckKey(section, key);
    Assert(result != nullptr, Unit, "ReadStrings: no result list");
    // Item number -> the key of that item as written (first spelling wins).
    QMap<qint64, QByteArray> items;
    if (const TStringList *lines = FIniFile->FindSection(section)) {
        for (qsizetype i = 0; i < lines->Count(); ++i) {
            const QByteArray name = lines->Names(i);
            const qint64 n = ItemNumberOf(name, key);
            if (n < 0 || items.contains(n))
                continue;
            QByteArray itemKey = name;
            const qsizetype dot = itemKey.indexOf('.', key.size() + 5);
            if (dot >= 0)
                itemKey.truncate(dot);
            items.insert(n, itemKey);
        }
    }
    const QList<QByteArray> keys = items.values();
    const qsizetype count = defaults ? defaults->Count() : keys.size();
    result->BeginUpdate();
    try {
        result->Clear();
        for (qsizetype i = 0; i < count; ++i) {
            QByteArray value;
            if (i < keys.size() && TryReadString(section, keys[i], value))
                result->Add(convert(value));
            else
                result->Add(defaults ? defaults->Strings(i) : typename List::String());
        }
    } catch (...) {
        result->EndUpdate();
        throw;
    }
    result->EndUpdate();
}

void TnvQBLanguageSourceBase::ReadStrings(const QByteArray &section, const QByteArray &key,
                                          const TStringList *defaults, TStringList *result) const
{
    ReadStringsImpl(section, key, defaults, result, [](const QByteArray &v) { return v; });
}

void TnvQBLanguageSourceBase::ReadWideStrings(const QByteArray &section, const QByteArray &key,
                                              const TWideStringList *defaults, TWideStringList *result) const
{
    ReadStringsImpl(section, key, defaults, result, [this](const QByteArray &v) { return ToUnicode(v); });
}

void TnvQBLanguageSourceBase::WriteStrings(const QByteArray &section, const QByteArray &key,
                                           const TStringList *strings)
{
    CheckKey(section, key);
    Assert(strings != nullptr, Unit, "WriteStrings: no string list");
    ClearStrings(section, key);
    for (qsizetype i = 0; i < strings->Count(); ++i)
        WriteString(section, key + ".Item" + QByteArray::number(i), strings->Strings(i));
}

void TnvQBLanguageSourceBase::WriteWideStrings(const QByteArray &section, const QByteArray &key,
                                               const TWideStringList *strings)
{
    CheckKey(section, key);
    Assert(strings != nullptr, Unit, "WriteWideStrings: no string list");
    ClearStrings(section, key);
    for (qsizetype i = 0; i < strings->Count(); ++i)
        WriteString(section, key + ".Item" + QByteArray::number(i), FromUnicode(strings->Strings(i)));
}

void TnvQBLanguageSourceBase::ClearString(const QByteArray &section, const QByteArray &key)
{
    CheckKey(section, key);
    TStringList *lines = FIniFile->FindSection(section);
    if (!lines)
        return;
    for (qsizetype i = lines->Count() - 1; i >= 0; --i)
        if (LineNumberOf(lines->Names(i), key) != NotMine)
            lines->Delete(i);
}

bool TnvQBLanguageSourceBase::IsStringExists(const QByteArray &section, const QByteArray &key) const
{
    CheckKey(section, key);
    const TStringList *lines = FIniFile->FindSection(section);
    if (!lines)
        return false;
    for (qsizetype i = 0; i < lines->Count(); ++i) {
        const qint64 n = LineNumberOf(lines->Names(i), key);
        if (n >= 0 && n <= MaxLineNumber)
            return true;
    }
    return false;
}

void TnvQBLanguageSourceBase::ClearStrings(const QByteArray &section, const QByteArray &key)
{
    CheckKey(section, key);
    TStringList *lines = FIniFile->FindSection(section);
    if (!lines)
        return;
    for (qsizetype i = lines->Count() - 1; i >= 0; --i)
        if (ItemNumberOf(lines->Names(i), key) != NotMine)
            lines->Delete(i);
}

bool TnvQBLanguageSourceBase::IsStringsExists(const QByteArray &section, const QByteArray &key) const
{
    CheckKey(section, key);
    const TStringList *lines = FIniFile->FindSection(section);
    if (!lines)
        return false;
    for (qsizetype i = 0; i < lines->Count(); ++i)
        if (ItemNumberOf(lines->Names(i), key) != NotMine)
            return true;
    return false;
}

// ---------------------------------------------------------------------------

TnvQBLanguageSourceResource::TnvQBLanguageSourceResource(const QByteArray &name, const QString &resourceName,
                                                         const QString &resourceType)
    : TnvQBLanguageSourceBase(name)
{
    QFile resource(QStringLiteral(":/%1/%2").arg(resourceType, resourceName));
    if (!resource.open(QIODevice::ReadOnly))
        throw EStreamError(QStringLiteral("Resource %1 of type %2 not found").arg(resourceName, resourceType));
    IniFile()->LoadFromStream(&resource);
    ReadParams();
}

TnvQBLanguageSourceFile::TnvQBLanguageSourceFile(const QByteArray &name, const QString &fileName)
    : TnvQBLanguageSourceBase(name), FFileName(fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    IniFile()->LoadFromStream(&file);
    ReadParams();
}

void TnvQBLanguageSourceFile::SaveLanguage()
{
    QSaveFile file(FFileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EStreamError(QStringLiteral("Cannot create file \"%1\". %2").arg(FFileName, file.errorString()));
    IniFile()->SaveToStream(&file);
    if (!file.commit())
        throw EStreamError(QStringLiteral("Cannot write file \"%1\". %2").arg(FFileName, file.errorString()));
    ReadParams();
}

TnvQBLanguageSourceStrings::TnvQBLanguageSourceStrings(const QByteArray &name, const TStringList *strings)
    : TnvQBLanguageSourceBase(name)
{
    IniFile()->LoadFromStrings(strings);
    ReadParams();
}

TnvQBLanguageSourceString::TnvQBLanguageSourceString(const QByteArray &name, const QByteArray &text)
    : TnvQBLanguageSourceBase(name)
{
    IniFile()->LoadFromString(text);
    ReadParams();
}

} // namespace nvqb
