#include "installer/platform/RegistryHive.h"
#include "installer/platform/SetupError.h"

#include <algorithm>
#include <cctype>

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

QByteArray Quote(const QString &text)
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
    return EncodeHiveText(result);
}

// Reads a quoted text at pos (which holds the opening quote) into its bytes;
// pos ends after the closing quote. False when the text is not closed. The
// escapes go before the bytes are read as UTF-8: an escaped byte never joins
// the bytes around it into another character.
bool Unquote(const QByteArray &line, qsizetype &pos, QByteArray &bytes)
{
    bytes.clear();
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\' || pos == line.size()) {
            bytes += c;
            continue;
        }
        switch (line[pos]) {
        case '\\': bytes += '\\'; break;
        case '"': bytes += '"'; break;
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        default:
            // Escapes nothing ("C:\Program Files"): part of the text.
            bytes += '\\';
            continue;
        }
        ++pos;
    }
    return false;
}

bool IsBlank(const QByteArray &text)
{
    for (const char c : text)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

void CheckKeyName(const QString &name)
{
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        throw ERegistryException(QStringLiteral("Invalid registry key name \"%1\"").arg(Excerpt(name)));
}

QByteArray FormatData(const TRegistryValue &value)
{
    if (value.Type == TRegDataType::rdInteger)
        return QStringLiteral("dword:%1").arg(value.Number, 8, 16, QLatin1Char('0')).toLatin1();
    return Quote(value.Text);
}

bool SameData(const TRegistryValue &a, const TRegistryValue &b)
{
    if (a.Type != b.Type)
        return false;
    return a.Type == TRegDataType::rdInteger ? a.Number == b.Number : a.Text == b.Text;
}

// Whether the key is the top key or one below it.
bool IsWithin(const TRegistryKey *key, const TRegistryKey *top)
{
    for (; key; key = key->Parent())
        if (key == top)
            return true;
    return false;
}

constexpr size_t NoLine = size_t(-1);

} // namespace

TRegistryKey::TRegistryKey(QString name, TRegistryKey *parent) : FName(std::move(name)), FParent(parent) {}

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
    FKeys.push_back(std::make_unique<TRegistryKey>(name, this));
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

TRegistryHive::~TRegistryHive() = default;
TRegistryHive::TRegistryHive(TRegistryHive &&) noexcept = default;
TRegistryHive &TRegistryHive::operator=(TRegistryHive &&) noexcept = default;

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

TRegistryHive::TLine TRegistryHive::HeaderLine(const TRegistryKey &key) const
{
    QStringList names;
    for (const TRegistryKey *k = &key; k->Parent(); k = k->Parent())
        names += k->Name();
    std::reverse(names.begin(), names.end());
    TLine line;
    line.Kind = TLine::Header;
    line.Text = '[' + EncodeHiveText(names.join(QLatin1Char('\\'))) + ']';
    line.End = FLineEnd;
    line.Key = const_cast<TRegistryKey *>(&key);
    return line;
}

TRegistryHive::TLine TRegistryHive::ValueLine(const TRegistryKey &key, const TRegistryValue &value) const
{
    TLine line;
    line.Kind = TLine::Value;
    line.Text = value.Name.isEmpty() ? QByteArray("@") : Quote(value.Name);
    line.Text += '=';
    line.DataStart = line.Text.size();
    line.Text += FormatData(value);
    line.End = FLineEnd;
    line.Key = const_cast<TRegistryKey *>(&key);
    line.Name = value.Name;
    return line;
}

TRegistryHive::TLine TRegistryHive::BlankLine() const
{
    TLine line;
    line.End = FLineEnd;
    return line;
}

void TRegistryHive::InsertLines(size_t at, std::vector<TLine> lines)
{
    // The line before ends as lines do, even when it was the file's last.
    if (at > 0 && !FLines[at - 1].End.endsWith('\n')) {
        QByteArray &end = FLines[at - 1].End;
        end = end.isEmpty() ? FLineEnd : end + '\n';
    }
    FLines.insert(FLines.begin() + qsizetype(at), std::make_move_iterator(lines.begin()),
                  std::make_move_iterator(lines.end()));
}

size_t TRegistryHive::LastOfSection(size_t header) const
{
    size_t last = header;
    for (size_t k = header + 1; k < FLines.size() && FLines[k].Kind != TLine::Header; ++k)
        if (FLines[k].Kind == TLine::Value)
            last = k;
    return last;
}

size_t TRegistryHive::EndOfSection(size_t header) const
{
    size_t end = LastOfSection(header) + 1;
    while (end < FLines.size() && FLines[end].Kind == TLine::Other && IsBlank(FLines[end].Text))
        ++end;
    return end;
}

void TRegistryHive::AddSection(TRegistryKey &key)
{
    size_t at = NoLine;
    // Before the first header of a key below it (the file named it only
    // through them), else after the last section of the nearest key above
    // that has one, else at the end.
    for (size_t k = 0; k < FLines.size() && at == NoLine; ++k)
        if (FLines[k].Kind == TLine::Header && IsWithin(FLines[k].Key, &key))
            at = k;
    for (const TRegistryKey *above = key.Parent(); above && at == NoLine; above = above->Parent()) {
        size_t last = NoLine;
        for (size_t k = 0; k < FLines.size(); ++k)
            if (FLines[k].Kind == TLine::Header && IsWithin(FLines[k].Key, above))
                last = k;
        if (last != NoLine)
            at = EndOfSection(last);
    }
    if (at == NoLine)
        at = FLines.size();
    std::vector<TLine> lines;
    lines.push_back(HeaderLine(key));
    lines.push_back(BlankLine());
    InsertLines(at, std::move(lines));
}

TRegistryKey *TRegistryHive::CreateKey(const QString &path)
{
    const QStringList names = SplitKeyPath(path);
    for (const QString &name : names)
        CheckKeyName(name);
    TRegistryKey *key = FRoot.get();
    for (const QString &name : names) {
        if (TRegistryKey *sub = key->FindKey(name)) {
            key = sub;
            continue;
        }
        key = key->AddKey(name);
        AddSection(*key);
    }
    return key;
}

bool TRegistryHive::DeleteKey(const QString &path)
{
    QStringList names = SplitKeyPath(path);
    if (names.isEmpty())
        return false;
    const QString last = names.takeLast();
    TRegistryKey *parent = FindKey(names.join(QLatin1Char('\\')));
    TRegistryKey *key = parent ? parent->FindKey(last) : nullptr;
    if (!key)
        return false;
    size_t firstRemoved = NoLine;
    for (size_t k = 0; k < FLines.size();) {
        if (FLines[k].Kind != TLine::Header || !IsWithin(FLines[k].Key, key)) {
            ++k;
            continue;
        }
        if (firstRemoved == NoLine)
            firstRemoved = k;
        FLines.erase(FLines.begin() + qsizetype(k), FLines.begin() + qsizetype(EndOfSection(k)));
    }
    parent->DeleteKey(last);
    // A key the file named only through the deleted one keeps a header, so
    // that it is still there when the file is read again.
    if (parent != FRoot.get()) {
        bool named = false;
        for (const TLine &line : FLines)
            named = named || (line.Kind == TLine::Header && IsWithin(line.Key, parent));
        if (!named) {
            std::vector<TLine> lines;
            lines.push_back(HeaderLine(*parent));
            lines.push_back(BlankLine());
            InsertLines(std::min(firstRemoved, FLines.size()), std::move(lines));
        }
    }
    return true;
}

void TRegistryHive::SetValue(const QString &path, const TRegistryValue &value)
{
    if (SplitKeyPath(path).isEmpty())
        throw ERegistryException(QStringLiteral("Failed to set data for '%1': no key").arg(value.Name));
    TRegistryKey *key = CreateKey(path);
    if (const TRegistryValue *old = key->FindValue(value.Name); old && SameData(*old, value))
        return;
    key->SetValue(value);
    const TRegistryValue &stored = *key->FindValue(value.Name);
    // The value's first line takes the new data after its name as written;
    // the lines that repeated the value go.
    bool replaced = false;
    for (size_t k = 0; k < FLines.size();) {
        TLine &line = FLines[k];
        if (line.Kind != TLine::Value || line.Key != key || !SameName(line.Name, stored.Name)) {
            ++k;
        } else if (!replaced) {
            line.Text = line.Text.left(line.DataStart) + FormatData(stored);
            replaced = true;
            ++k;
        } else {
            FLines.erase(FLines.begin() + qsizetype(k));
        }
    }
    if (replaced)
        return;
    // The key's last header line, which a key without one gets first.
    const auto lastHeader = [this, key] {
        size_t header = NoLine;
        for (size_t k = 0; k < FLines.size(); ++k)
            if (FLines[k].Kind == TLine::Header && FLines[k].Key == key)
                header = k;
        return header;
    };
    size_t header = lastHeader();
    if (header == NoLine) {
        AddSection(*key);
        header = lastHeader();
    }
    std::vector<TLine> lines;
    lines.push_back(ValueLine(*key, stored));
    InsertLines(LastOfSection(header) + 1, std::move(lines));
}

bool TRegistryHive::DeleteValue(const QString &path, const QString &name)
{
    TRegistryKey *key = FindKey(path);
    if (!key || !key->DeleteValue(name))
        return false;
    std::erase_if(FLines, [key, &name](const TLine &line) {
        return line.Kind == TLine::Value && line.Key == key && SameName(line.Name, name);
    });
    return true;
}

void TRegistryHive::ReadLine(TLine &line, TRegistryKey *&current, qsizetype number, const QString &origin)
{
    const QByteArray &text = line.Text;
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    const auto bad = [&](const char *why) {
        return ERegistryException(QStringLiteral("Bad registry file \"%1\", line %2: %3: %4")
                                      .arg(origin)
                                      .arg(number)
                                      .arg(QLatin1String(why), Excerpt(DecodeHiveText(text))));
    };
    if (pos == text.size() || text[pos] == ';')
        return;
    if (text[pos] == '[') {
        if (!text.endsWith(']'))
            throw bad("a key line must end with \"]\"");
        const QStringList names = SplitKeyPath(DecodeHiveText(text.mid(pos + 1, text.size() - pos - 2)));
        if (names.isEmpty())
            throw bad("empty key name");
        // The keys above the last name come with it.
        current = FRoot.get();
        for (const QString &name : names)
            current = current->AddKey(name);
        line.Kind = TLine::Header;
        line.Key = current;
        return;
    }
    if (!current)
        throw bad("a value before the first key");
    TRegistryValue value;
    QByteArray bytes;
    if (text[pos] == '@') {
        ++pos;
    } else if (text[pos] == '"') {
        if (!Unquote(text, pos, bytes))
            throw bad("the value name is not closed");
        value.Name = DecodeHiveText(bytes);
    } else {
        throw bad("neither a key nor a value");
    }
    if (pos >= text.size() || text[pos] != '=')
        throw bad("\"=\" expected after the value name");
    ++pos;
    line.DataStart = pos;
    if (pos < text.size() && text[pos] == '"') {
        value.Type = TRegDataType::rdString;
        if (!Unquote(text, pos, bytes))
            throw bad("the value text is not closed");
        value.Text = DecodeHiveText(bytes);
    } else if (text.mid(pos, 6).compare("dword:", Qt::CaseInsensitive) == 0) {
        pos += 6;
        const qsizetype start = pos;
        while (pos < text.size() && pos - start < 8 && std::isxdigit(uchar(text[pos])))
            ++pos;
        bool ok = false;
        value.Type = TRegDataType::rdInteger;
        value.Number = text.mid(start, pos - start).toUInt(&ok, 16);
        if (!ok)
            throw bad("bad dword value");
    } else {
        throw bad("a quoted text or dword: expected");
    }
    if (!DecodeHiveText(text.mid(pos)).trimmed().isEmpty())
        throw bad("text after the value");
    current->SetValue(value);
    line.Kind = TLine::Value;
    line.Key = current;
    line.Name = value.Name;
}

void TRegistryHive::Parse(const QByteArray &text, const QString &origin)
{
    TRegistryHive parsed;
    parsed.FReadFromNothing = text.isEmpty();
    qsizetype start = 0;
    if (text.startsWith("\xEF\xBB\xBF")) {
        parsed.FByteOrderMark = text.left(3);
        start = 3;
    }
    bool lineEndSeen = false;
    TRegistryKey *current = nullptr;
    for (qsizetype number = 1; start < text.size(); ++number) {
        TLine line;
        const qsizetype end = text.indexOf('\n', start);
        if (end < 0) {
            line.Text = text.mid(start);
            start = text.size();
        } else {
            line.Text = text.mid(start, end - start);
            line.End = "\n";
            start = end + 1;
        }
        if (line.Text.endsWith('\r')) {
            line.Text.chop(1);
            line.End.prepend('\r');
        }
        parsed.ReadLine(line, current, number, origin);
        if (!lineEndSeen && line.End.endsWith('\n')) {
            parsed.FLineEnd = line.End;
            lineEndSeen = true;
        }
        parsed.FLines.push_back(std::move(line));
    }
    *this = std::move(parsed);
}

QByteArray TRegistryHive::Format(const QString &title) const
{
    QByteArray out = FByteOrderMark;
    if (FReadFromNothing && !FLines.empty())
        out += "; " + EncodeHiveText(title) + FLineEnd + FLineEnd;
    for (const TLine &line : FLines)
        out += line.Text + line.End;
    return out;
}

} // namespace nvqb
