#include "support/MemIniFile.h"
#include "classlib/Assert.h"
#include "classlib/Format.h"
#include "classlib/Strings.h"

#include <QBuffer>
#include <QIODevice>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvMemIniFile, TObject)

namespace {
const char *const Unit = "nvQBLocalizer";

QByteArray UpToNul(const QByteArray &text)
{
    qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.left(nul);
}
} // namespace

TnvMemIniFile::TnvMemIniFile() = default;

TnvMemIniFile::~TnvMemIniFile() = default;

void TnvMemIniFile::Reindex()
{
    FIndex.clear();
    for (size_t i = 0; i < FSections.size(); ++i)
        FIndex.insert(HashKey(FSections[i].Name), qsizetype(i));
}

QByteArray TnvMemIniFile::SectionName(qsizetype index) const
{
    if (index < 0 || index >= SectionCount())
        ListIndexError(index);
    return FSections[index].Name;
}

void TnvMemIniFile::AddFromStrings(const TStringList *strings)
{
    Assert(strings != nullptr, Unit, "TnvMemIniFile.AddFromStrings: no string list");
    TStringList *current = nullptr;
    for (qsizetype i = 0; i < strings->Count(); ++i) {
        const QByteArray line = Trim(strings->Strings(i));
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']') && line.size() >= 2) {
            const QByteArray name = Trim(line.mid(1, line.size() - 2));
            // An empty name cannot be a section; its lines are skipped like
            // those before the first section.
            current = name.isEmpty() ? nullptr : GetSection(name);
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0)
            current->Add(Trim(line.left(eq)) + '=' + Trim(line.mid(eq + 1)));
        else
            current->Add(line);
    }
}

void TnvMemIniFile::LoadFromStrings(const TStringList *strings)
{
    Assert(strings != nullptr, Unit, "TnvMemIniFile.LoadFromStrings: no string list");
    Clear();
    AddFromStrings(strings);
}

void TnvMemIniFile::LoadFromString(const QByteArray &text)
{
    TOwned<TStringList> lines = Create<TStringList>();
    lines->SetText(UpToNul(text));
    LoadFromStrings(lines.get());
}

void TnvMemIniFile::LoadFromStream(QIODevice *stream)
{
    Assert(stream != nullptr, Unit, "TnvMemIniFile.LoadFromStream: no stream");
    const QByteArray data = stream->readAll();
    LoadFromString(data);
}

QByteArray TnvMemIniFile::SaveToString() const
{
    QByteArray out;
    for (size_t i = 0; i < FSections.size(); ++i) {
        if (i > 0)
            out += "\r\n\r\n";
        out += '[' + FSections[i].Name + "]\r\n";
        const TStringList *lines = FSections[i].Lines.get();
        for (qsizetype j = 0; j < lines->Count(); ++j)
            out += lines->Strings(j) + "\r\n";
    }
    return out;
}

void TnvMemIniFile::SaveToStream(QIODevice *stream) const
{
    Assert(stream != nullptr, Unit, "TnvMemIniFile.SaveToStream: no stream");
    const QByteArray data = SaveToString();
    if (stream->write(data) != data.size())
        throw EStreamError(QStringLiteral("Stream write error: %1").arg(stream->errorString()));
}

TStringList *TnvMemIniFile::AddSection(const QByteArray &name)
{
    Assert(!name.isEmpty(), Unit, "TnvMemIniFile.AddSection: empty section name");
    if (FindSection(name))
        throw Exception(Format(QStringLiteral("Section \"%s\" already exists!"), {name}));
    FSections.push_back(Section{name, Create<TStringList>()});
    FIndex.insert(HashKey(name), SectionCount() - 1);
    return FSections.back().Lines.get();
}

TStringList *TnvMemIniFile::GetSection(const QByteArray &name)
{
    if (TStringList *s = FindSection(name))
        return s;
    return AddSection(name);
}

TStringList *TnvMemIniFile::FindSection(const QByteArray &name) const
{
    auto it = FIndex.constFind(HashKey(name));
    return it == FIndex.constEnd() ? nullptr : FSections[*it].Lines.get();
}

QByteArray TnvMemIniFile::ReadString(const QByteArray &section, const QByteArray &key,
                                     const QByteArray &def) const
{
    const TStringList *lines = FindSection(section);
    if (!lines)
        return def;
    const qsizetype i = lines->IndexOfName(key);
    return i < 0 ? def : lines->ValueFromIndex(i);
}

void TnvMemIniFile::WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    GetSection(section)->SetValue(key, value);
}

void TnvMemIniFile::ReadSection(const QByteArray &section, TStringList *strings) const
{
    Assert(strings != nullptr, Unit, "TnvMemIniFile.ReadSection: no string list");
    strings->BeginUpdate();
    try {
        strings->Clear();
        if (const TStringList *lines = FindSection(section))
            for (qsizetype i = 0; i < lines->Count(); ++i)
                strings->Add(lines->Strings(i));
    } catch (...) {
        strings->EndUpdate();
        throw;
    }
    strings->EndUpdate();
}

void TnvMemIniFile::ReadSectionValues(const QByteArray &section, TStringList *strings) const
{
    ReadSection(section, strings);
}

void TnvMemIniFile::WriteSection(const QByteArray &section, const TStringList *strings)
{
    Assert(strings != nullptr, Unit, "TnvMemIniFile.WriteSection: no string list");
    TStringList *lines = GetSection(section);
    if (lines == strings)
        return;
    lines->Assign(strings);
}

void TnvMemIniFile::ClearSection(const QByteArray &section)
{
    auto it = FIndex.constFind(HashKey(section));
    if (it == FIndex.constEnd())
        return;
    FSections.erase(FSections.begin() + *it);
    Reindex();
}

void TnvMemIniFile::Clear()
{
    FSections.clear();
    FIndex.clear();
}

void TnvMemIniFile::ClearStringStarts(const QByteArray &section, const QByteArray &prefix)
{
    TStringList *lines = FindSection(section);
    if (!lines)
        return;
    for (qsizetype i = lines->Count() - 1; i >= 0; --i)
        if (lines->Names(i).startsWith(prefix))
            lines->Delete(i);
}

bool TnvMemIniFile::IsStringStartsExists(const QByteArray &section, const QByteArray &prefix) const
{
    const TStringList *lines = FindSection(section);
    if (!lines)
        return false;
    for (qsizetype i = 0; i < lines->Count(); ++i)
        if (lines->Names(i).startsWith(prefix))
            return true;
    return false;
}

} // namespace nvqb
