#pragma once
// One registry hive in memory and its text form. Keys hold sub-keys and values
// in insertion order; key and value names are found without regard to case.
//
// The text form, read and written as UTF-8 (bytes of other programs that are
// no UTF-8 are kept: each such byte is held as one code point of
// U+DC80..U+DCFF and written back as the byte it was):
//
//   ; HKEY_LOCAL_MACHINE
//   [SOFTWARE\Borland\Delphi\7.0]
//   "RootDir"="/machine/Program Files/Borland/Delphi7"
//   "Count"=dword:0000000a
//
// Key names are separated by backslashes, value names and texts are quoted
// with \\, \", \r and \n escaped; a backslash before any other character
// escapes nothing and stays in the text, as other programs write paths.
// Escapes are taken out of the bytes before they are read as UTF-8. "@"
// stands for the unnamed value. Blank lines and lines that begin with ";" are
// comments; lines end with LF or CR LF, and the file may begin with a UTF-8
// byte-order mark. The keys above a header's last name need no header line of
// their own. When a key or a value comes twice, the first place and the last
// data count.
//
// The hive keeps the file's lines: what the changes below do not touch is
// written back byte for byte, comments, escapes, line ends and the
// byte-order mark included. A changed value keeps its line and the spelling
// of its name; a new value goes after the last value of its key; a new key
// gets a header line of its own (so that empty keys survive), before the keys
// below it or else after the keys of its parent; a deleted key takes its
// header and value lines with it, and the blank lines after them. New lines
// end as the file's first line does.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace nvqb {

enum class TRegDataType { rdUnknown, rdString, rdInteger };

struct TRegistryValue {
    QString Name;
    TRegDataType Type = TRegDataType::rdString;
    QString Text;       // rdString
    quint32 Number = 0; // rdInteger
};

class TRegistryKey {
public:
    explicit TRegistryKey(QString name, TRegistryKey *parent = nullptr);
    // Frees the keys below without recursion, however deep they go.
    ~TRegistryKey();
    TRegistryKey(const TRegistryKey &) = delete;
    TRegistryKey &operator=(const TRegistryKey &) = delete;

    const QString &Name() const { return FName; }
    TRegistryKey *Parent() const { return FParent; }

    TRegistryKey *FindKey(const QString &name) const;
    const std::vector<std::unique_ptr<TRegistryKey>> &Keys() const { return FKeys; }

    const TRegistryValue *FindValue(const QString &name) const;
    const std::vector<TRegistryValue> &Values() const { return FValues; }

private:
    // Changed only through the hive, which keeps the lines in step.
    friend class TRegistryHive;
    // The existing sub-key of that name, else a new one appended.
    TRegistryKey *AddKey(const QString &name);
    bool DeleteKey(const QString &name);
    // Replaces the value of that name where it stands (keeping the stored
    // spelling of its name), or appends it.
    void SetValue(const TRegistryValue &value);
    bool DeleteValue(const QString &name);

    QString FName;
    TRegistryKey *FParent;
    std::vector<std::unique_ptr<TRegistryKey>> FKeys;
    std::vector<TRegistryValue> FValues;
};

class TRegistryHive {
public:
    TRegistryHive();
    ~TRegistryHive();
    TRegistryHive(TRegistryHive &&) noexcept;
    TRegistryHive &operator=(TRegistryHive &&) noexcept;

    const TRegistryKey &Root() const { return *FRoot; }

    // Paths are key names joined by backslashes; empty names (leading,
    // trailing or doubled backslashes) are skipped. The empty path is the root.
    static QStringList SplitKeyPath(const QString &path);
    TRegistryKey *FindKey(const QString &path) const;
    // Creates every missing key of the path; raises ERegistryException for a
    // name a header line cannot hold (line breaks).
    TRegistryKey *CreateKey(const QString &path);
    // Deletes the key with everything below it; false when it does not exist.
    bool DeleteKey(const QString &path);
    // Sets the value of the key, which is created when missing (the root
    // holds no values: ERegistryException). A value that is already so
    // changes nothing.
    void SetValue(const QString &path, const TRegistryValue &value);
    // False when the key or the value does not exist.
    bool DeleteValue(const QString &path, const QString &name);

    // Replaces the content by the parsed text; raises ERegistryException
    // naming origin and line (with the start of a long line) for a line that
    // is not understood, leaving the hive as it was.
    void Parse(const QByteArray &text, const QString &origin);
    // The text: the lines as read with the changes made since. A hive read
    // from nothing gets the title as a comment line first.
    QByteArray Format(const QString &title) const;

private:
    struct TLine {
        enum TKind { Other, Header, Value };
        TKind Kind = Other;
        QByteArray Text; // without its line end
        QByteArray End;  // "\n", "\r\n", or what the last line of the file had
        TRegistryKey *Key = nullptr; // a header's key; a value's key
        QString Name;                // a value's name
        qsizetype DataStart = 0;     // a value's data, after "="
    };

    void ReadLine(TLine &line, TRegistryKey *&current, qsizetype number, const QString &origin);
    // The header line of the key, or the value line of the key's value.
    TLine HeaderLine(const TRegistryKey &key) const;
    TLine ValueLine(const TRegistryKey &key, const TRegistryValue &value) const;
    TLine BlankLine() const;
    void InsertLines(size_t at, std::vector<TLine> lines);
    // The index after the last value of the section that begins at the
    // header, and the index after the blank lines that follow it.
    size_t LastOfSection(size_t header) const;
    size_t EndOfSection(size_t header) const;
    // Gives a key that has no header line one.
    void AddSection(TRegistryKey &key);

    std::unique_ptr<TRegistryKey> FRoot;
    std::vector<TLine> FLines;
    QByteArray FByteOrderMark;
    QByteArray FLineEnd = "\n";
    bool FReadFromNothing = true;
};

} // namespace nvqb
