#include "installer/platform/RegistryHive.h"
#include "installer/platform/SetupError.h"

namespace nvqb {

namespace {

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A byte that is no part of a UTF-8 sequence is held as this code point plus
// the byte (a lone low surrogate, which UTF-8 text never holds).
constexpr char16_t EscapedByteBase = 0xDC00;

bool IsEscapedByte(char16_t unit)
{
    return unit >= EscapedByteBase + 0x80 && unit <= EscapedByteBase + 0xFF;
}

// UTF-8 to text without loss: what is no well-formed UTF-8 is kept byte by byte.
QString DecodeHiveText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const auto lead = uchar(bytes[i]);
        if (lead < 0x80) {
            text += QChar(lead);
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, least = 0x10000;
        }
        bool ok = length > 0 && i + length <= size;
        for (int k = 1; ok && k < length; ++k) {
            const auto next = uchar(bytes[i + k]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        ok = ok && code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!ok) {
            text += QChar(char16_t(EscapedByteBase + lead));
            ++i;
            continue;
        }
        if (code > 0xFFFF) {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        } else {
            text += QChar(char16_t(code));
        }
        i += length;
    }
    return text;
}

// The inverse of DecodeHiveText: kept bytes go back as they came.
QByteArray EncodeHiveText(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        char32_t code = unit;
        if (unit < 0x80) {
            bytes += char(unit);
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode())) {
            code = QChar::surrogateToUcs4(unit, text[++i].unicode());
        } else if (IsEscapedByte(unit)) {
            bytes += char(unit - EscapedByteBase);
            continue;
        } else if (QChar::isSurrogate(unit)) {
            code = 0xFFFD;
        }
        if (code < 0x800) {
            bytes += char(0xC0 | (code >> 6));
        } else if (code < 0x10000) {
            bytes += char(0xE0 | (code >> 12));
            bytes += char(0x80 | ((code >> 6) & 0x3F));
        } else {
            bytes += char(0xF0 | (code >> 18));
            bytes += char(0x80 | ((code >> 12) & 0x3F));
            bytes += char(0x80 | ((code >> 6) & 0x3F));
        }
        bytes += char(0x80 | (code & 0x3F));
    }
    return bytes;
}

// A text quoted in a message: a long one (a damaged file may hold a line of
// megabytes) only by its start.
QString Excerpt(const QString &text)
{
    constexpr qsizetype MaxShown = 80;
    if (text.size() <= MaxShown)
        return text;
    return QStringLiteral("%1... (%2 characters)").arg(text.left(MaxShown)).arg(text.size());
}

QString Quote(const QString &text)
{
    QString result;
    result.reserve(text.size() + 2);
    result += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': result += QLatin1String("\\\\"); break;
        case '"': result += QLatin1String("\\\""); break;
        case '\r': result += QLatin1String("\\r"); break;
        case '\n': result += QLatin1String("\\n"); break;
        default: result += c;
        }
    }
    result += QLatin1Char('"');
    return result;
}

// Reads a quoted text at pos (which holds the opening quote); pos ends after
// the closing quote. False when the text is not closed.
bool Unquote(const QString &line, qsizetype &pos, QString &text)
{
    text.clear();
    ++pos;
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == QLatin1Char('"'))
            return true;
        if (c == QLatin1Char('\\') && pos < line.size()) {
            const QChar e = line[pos++];
            text += e == QLatin1Char('r') ? QChar('\r') : e == QLatin1Char('n') ? QChar('\n') : e;
        } else {
            text += c;
        }
    }
    return false;
}

void CheckKeyName(const QString &name)
{
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        throw ERegistryException(QStringLiteral("Invalid registry key name \"%1\"").arg(Excerpt(name)));
}

void FormatValues(const TRegistryKey &key, QString &out)
{
    for (const TRegistryValue &value : key.Values()) {
        out += value.Name.isEmpty() ? QStringLiteral("@") : Quote(value.Name);
        out += QLatin1Char('=');
        if (value.Type == TRegDataType::rdInteger)
            out += QStringLiteral("dword:%1").arg(value.Number, 8, 16, QLatin1Char('0'));
        else
            out += Quote(value.Text);
        out += QLatin1Char('\n');
    }
}

// Every key below the root in file order (a key, then its sub-keys), without
// recursion: a key thousands of levels deep is no danger to the stack. The
// path of the key being written grows and shrinks in one buffer.
void FormatKeys(const TRegistryKey &root, QString &out)
{
    struct TLevel {
        const TRegistryKey *Key;
        size_t Next;          // the sub-key to write next
        qsizetype PathLength; // the path's length above this key
    };
    QString path;
    std::vector<TLevel> levels{{&root, 0, 0}};
    while (!levels.empty()) {
        TLevel &level = levels.back();
        if (level.Next == level.Key->Keys().size()) {
            path.truncate(level.PathLength);
            levels.pop_back();
            continue;
        }
        const TRegistryKey &key = *level.Key->Keys()[level.Next++];
        const qsizetype above = path.size();
        if (levels.size() > 1)
            path += QLatin1Char('\\');
        path += key.Name();
        if (key.OwnHeader() || !key.Values().empty() || key.Keys().empty()) {
            out += QLatin1Char('[') + path + QLatin1String("]\n");
            FormatValues(key, out);
            out += QLatin1Char('\n');
        }
        levels.push_back({&key, 0, above});
    }
}

} // namespace

TRegistryKey::TRegistryKey(QString name) : FName(std::move(name)) {}

TRegistryKey::~TRegistryKey()
{
    std::vector<std::unique_ptr<TRegistryKey>> doomed = std::move(FKeys);
    while (!doomed.empty()) {
        std::unique_ptr<TRegistryKey> key = std::move(doomed.back());
        doomed.pop_back();
        for (auto &sub : key->FKeys)
            doomed.push_back(std::move(sub));
        key->FKeys.clear();
    }
}

TRegistryKey *TRegistryKey::FindKey(const QString &name) const
{
    for (const auto &key : FKeys)
        if (SameName(key->Name(), name))
            return key.get();
    return nullptr;
}

TRegistryKey *TRegistryKey::AddKey(const QString &name)
{
    if (TRegistryKey *key = FindKey(name))
        return key;
    CheckKeyName(name);
    FKeys.push_back(std::make_unique<TRegistryKey>(name));
    return FKeys.back().get();
}

bool TRegistryKey::DeleteKey(const QString &name)
{
    for (auto it = FKeys.begin(); it != FKeys.end(); ++it)
        if (SameName((*it)->Name(), name)) {
            FKeys.erase(it);
            return true;
        }
    return false;
}

const TRegistryValue *TRegistryKey::FindValue(const QString &name) const
{
    for (const TRegistryValue &value : FValues)
        if (SameName(value.Name, name))
            return &value;
    return nullptr;
}

void TRegistryKey::SetValue(const TRegistryValue &value)
{
    for (TRegistryValue &existing : FValues)
        if (SameName(existing.Name, value.Name)) {
            const QString name = existing.Name;
            existing = value;
            existing.Name = name;
            return;
        }
    FValues.push_back(value);
}

bool TRegistryKey::DeleteValue(const QString &name)
{
    for (auto it = FValues.begin(); it != FValues.end(); ++it)
        if (SameName(it->Name, name)) {
            FValues.erase(it);
            return true;
        }
    return false;
}

TRegistryHive::TRegistryHive() : FRoot(std::make_unique<TRegistryKey>(QString())) {}

QStringList TRegistryHive::SplitKeyPath(const QString &path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

TRegistryKey *TRegistryHive::FindKey(const QString &path) const
{
    TRegistryKey *key = FRoot.get();
    for (const QString &name : SplitKeyPath(path)) {
        key = key->FindKey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

TRegistryKey *TRegistryHive::CreateKey(const QString &path)
{
    const QStringList names = SplitKeyPath(path);
    for (const QString &name : names)
        CheckKeyName(name);
    TRegistryKey *key = FRoot.get();
    for (const QString &name : names)
        key = key->AddKey(name);
    return key;
}

bool TRegistryHive::DeleteKey(const QString &path)
{
    QStringList names = SplitKeyPath(path);
    if (names.isEmpty())
        return false;
    const QString last = names.takeLast();
    TRegistryKey *parent = FindKey(names.join(QLatin1Char('\\')));
    return parent && parent->DeleteKey(last);
}

void TRegistryHive::Parse(const QByteArray &text, const QString &origin)
{
    TRegistryHive parsed;
    TRegistryKey *current = nullptr;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        QString line = DecodeHiveText(lines[number]);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        qsizetype pos = 0;
        while (pos < line.size() && (line[pos] == QLatin1Char(' ') || line[pos] == QLatin1Char('\t')))
            ++pos;
        const auto bad = [&](const char *why) {
            return ERegistryException(QStringLiteral("Bad registry file \"%1\", line %2: %3: %4")
                                          .arg(origin)
                                          .arg(number + 1)
                                          .arg(QLatin1String(why), Excerpt(line)));
        };
        if (pos == line.size() || line[pos] == QLatin1Char(';'))
            continue;
        if (line[pos] == QLatin1Char('[')) {
            if (!line.endsWith(QLatin1Char(']')))
                throw bad("a key line must end with \"]\"");
            const QString path = line.mid(pos + 1, line.size() - pos - 2);
            const QStringList names = TRegistryHive::SplitKeyPath(path);
            if (names.isEmpty())
                throw bad("empty key name");
            // The keys above the last name come with it; they need no
            // header line of their own when the file gave them none.
            current = &parsed.Root();
            for (const QString &name : names) {
                TRegistryKey *key = current->FindKey(name);
                if (!key) {
                    CheckKeyName(name);
                    key = current->AddKey(name);
                    key->SetOwnHeader(false);
                }
                current = key;
            }
            current->SetOwnHeader(true);
            continue;
        }
        if (!current)
            throw bad("a value before the first key");
        TRegistryValue value;
        if (line[pos] == QLatin1Char('@')) {
            ++pos;
        } else if (line[pos] == QLatin1Char('"')) {
            if (!Unquote(line, pos, value.Name))
                throw bad("the value name is not closed");
        } else {
            throw bad("neither a key nor a value");
        }
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            throw bad("\"=\" expected after the value name");
        ++pos;
        if (pos < line.size() && line[pos] == QLatin1Char('"')) {
            value.Type = TRegDataType::rdString;
            if (!Unquote(line, pos, value.Text))
                throw bad("the value text is not closed");
        } else if (line.mid(pos, 6).compare(QLatin1String("dword:"), Qt::CaseInsensitive) == 0) {
            pos += 6;
            const qsizetype start = pos;
            while (pos < line.size() && pos - start < 8 && QStringLiteral("0123456789abcdefABCDEF").contains(line[pos]))
                ++pos;
            bool ok = pos > start;
            value.Type = TRegDataType::rdInteger;
            value.Number = line.mid(start, pos - start).toUInt(&ok, 16);
            if (!ok)
                throw bad("bad dword value");
        } else {
            throw bad("a quoted text or dword: expected");
        }
        if (!line.mid(pos).trimmed().isEmpty())
            throw bad("text after the value");
        current->SetValue(value);
    }
    std::swap(FRoot, parsed.FRoot);
}

QByteArray TRegistryHive::Format(const QString &title) const
{
    QString out = QLatin1String("; ") + title + QLatin1String("\n\n");
    FormatKeys(*FRoot, out);
    return EncodeHiveText(out);
}

} // namespace nvqb
