#include "installer/platform/RegistryHive.h"
#include "installer/platform/SetupError.h"

namespace nvqb {

namespace {

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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
        throw ERegistryException(QStringLiteral("Invalid registry key name \"%1\"").arg(name));
}

void FormatKey(const TRegistryKey &key, const QString &path, QString &out)
{
    out += QLatin1Char('[') + path + QLatin1String("]\n");
    for (const TRegistryValue &value : key.Values()) {
        out += value.Name.isEmpty() ? QStringLiteral("@") : Quote(value.Name);
        out += QLatin1Char('=');
        if (value.Type == TRegDataType::rdInteger)
            out += QStringLiteral("dword:%1").arg(value.Number, 8, 16, QLatin1Char('0'));
        else
            out += Quote(value.Text);
        out += QLatin1Char('\n');
    }
    out += QLatin1Char('\n');
    for (const auto &sub : key.Keys())
        FormatKey(*sub, path + QLatin1Char('\\') + sub->Name(), out);
}

} // namespace

TRegistryKey::TRegistryKey(QString name) : FName(std::move(name)) {}

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
        QString line = QString::fromUtf8(lines[number]);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        qsizetype pos = 0;
        while (pos < line.size() && (line[pos] == QLatin1Char(' ') || line[pos] == QLatin1Char('\t')))
            ++pos;
        const auto bad = [&](const char *why) {
            return ERegistryException(QStringLiteral("Bad registry file \"%1\", line %2: %3: %4")
                                          .arg(origin)
                                          .arg(number + 1)
                                          .arg(QLatin1String(why), line));
        };
        if (pos == line.size() || line[pos] == QLatin1Char(';'))
            continue;
        if (line[pos] == QLatin1Char('[')) {
            if (!line.endsWith(QLatin1Char(']')))
                throw bad("a key line must end with \"]\"");
            const QString path = line.mid(pos + 1, line.size() - pos - 2);
            if (TRegistryHive::SplitKeyPath(path).isEmpty())
                throw bad("empty key name");
            current = parsed.CreateKey(path);
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
    for (const auto &key : FRoot->Keys())
        FormatKey(*key, key->Name(), out);
    return out.toUtf8();
}

} // namespace nvqb
