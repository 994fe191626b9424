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
// with \\, \", \r and \n escaped, "@" stands for the unnamed value. Blank
// lines and lines that begin with ";" are ignored. A key has a header line of
// its own when the file gave it one, the installer made it, it holds values or
// it has no sub-keys (so that empty keys survive); the keys above a header's
// last name need none. So a file keeps its size when it is written back,
// however deep its keys are.
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
    explicit TRegistryKey(QString name);
    // Frees the keys below without recursion, however deep they go.
    ~TRegistryKey();
    TRegistryKey(const TRegistryKey &) = delete;
    TRegistryKey &operator=(const TRegistryKey &) = delete;

    const QString &Name() const { return FName; }

    TRegistryKey *FindKey(const QString &name) const;
    // The existing sub-key of that name, else a new one appended.
    TRegistryKey *AddKey(const QString &name);
    bool DeleteKey(const QString &name);
    const std::vector<std::unique_ptr<TRegistryKey>> &Keys() const { return FKeys; }

    const TRegistryValue *FindValue(const QString &name) const;
    // Replaces the value of that name where it stands (keeping the stored
    // spelling of its name), or appends it.
    void SetValue(const TRegistryValue &value);
    bool DeleteValue(const QString &name);
    const std::vector<TRegistryValue> &Values() const { return FValues; }

    // Whether the key is written with a header line of its own even when it
    // holds no values and has sub-keys.
    bool OwnHeader() const { return FOwnHeader; }
    void SetOwnHeader(bool ownHeader) { FOwnHeader = ownHeader; }

private:
    QString FName;
    bool FOwnHeader = true;
    std::vector<std::unique_ptr<TRegistryKey>> FKeys;
    std::vector<TRegistryValue> FValues;
};

class TRegistryHive {
public:
    TRegistryHive();

    TRegistryKey &Root() { return *FRoot; }

    // Paths are key names joined by backslashes; empty names (leading,
    // trailing or doubled backslashes) are skipped. The empty path is the root.
    static QStringList SplitKeyPath(const QString &path);
    TRegistryKey *FindKey(const QString &path) const;
    // Creates every missing key of the path; raises ERegistryException for a
    // name a header line cannot hold (line breaks, a leading "[").
    TRegistryKey *CreateKey(const QString &path);
    // Deletes the key with everything below it; false when it does not exist.
    bool DeleteKey(const QString &path);

    // Replaces the content by the parsed text; raises ERegistryException
    // naming origin and line (with the start of a long line) for a line that
    // is not understood, leaving the hive as it was.
    void Parse(const QByteArray &text, const QString &origin);
    QByteArray Format(const QString &title) const;

private:
    std::unique_ptr<TRegistryKey> FRoot;
};

} // namespace nvqb
