#pragma once
// An in-memory INI store for language texts. Sections keep their order of
// first appearance and are found without regard to case; each section is a
// string list of its lines in file order ("name=value" or a plain line).
#include "classlib/ClassInfo.h"
#include "classlib/StringList.h"

#include <QByteArray>
#include <QHash>
#include <vector>

class QIODevice;

namespace nvqb {

class TnvMemIniFile : public TObject {
    NV_DECLARE_CLASS(TnvMemIniFile)
public:
    TnvMemIniFile();
    ~TnvMemIniFile() override;

    // Parses lines into the store, appending to what is there.
    void AddFromStrings(const TStringList *strings);
    // Clear, then parse. A text or stream is read up to its first NUL byte.
    void LoadFromStrings(const TStringList *strings);
    void LoadFromString(const QByteArray &text);
    void LoadFromStream(QIODevice *stream);
    // Writes "[name]" and the section's lines, each followed by CR LF, with two
    // CR LF pairs before every section but the first.
    void SaveToStream(QIODevice *stream) const;
    QByteArray SaveToString() const;

    // Raises "Section "%s" already exists!" for an existing name.
    TStringList *AddSection(const QByteArray &name);
    // The section's lines, created empty when missing.
    TStringList *GetSection(const QByteArray &name);
    TStringList *FindSection(const QByteArray &name) const;
    bool IsSectionExists(const QByteArray &name) const { return FindSection(name) != nullptr; }
    qsizetype SectionCount() const { return qsizetype(FSections.size()); }
    QByteArray SectionName(qsizetype index) const;

    // The value of the first line whose name equals key (without regard to case).
    QByteArray ReadString(const QByteArray &section, const QByteArray &key, const QByteArray &def) const;
    // Replaces or appends the key's line; an empty value deletes it.
    void WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value);

    // Clear the target and copy every line of the section into it.
    void ReadSection(const QByteArray &section, TStringList *strings) const;
    void ReadSectionValues(const QByteArray &section, TStringList *strings) const;
    void WriteSection(const QByteArray &section, const TStringList *strings);

    void ClearSection(const QByteArray &section);
    void Clear();

    // Lines whose name begins with prefix (byte-wise, case-sensitive).
    void ClearStringStarts(const QByteArray &section, const QByteArray &prefix);
    bool IsStringStartsExists(const QByteArray &section, const QByteArray &prefix) const;

private:
    struct Section {
        QByteArray Name;
        TOwned<TStringList> Lines;
    };
    static QByteArray HashKey(const QByteArray &name) { return name.toUpper(); }
    void Reindex();

    std::vector<Section> FSections;
    QHash<QByteArray, qsizetype> FIndex; // upper-cased name -> index in FSections
};

} // namespace nvqb
