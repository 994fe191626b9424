#pragma once
// One registry hive in memory and its text form. Keys hold sub-keys and values
// in insertion order; key and value names are found without regard to case.
//
// The text form, read and written as UTF-8:
//
//   ; HKEY_LOCAL_MACHINE
//   [SOFTWARE\Borland\Delphi\7.0]
//   "RootDir"="/machine/Program Files/Borland/Delphi7"
//   "Count"=dword:0000000a
//
// Every key has a header line (so empty keys survive), key names are separated
// by backslashes, value names and texts are quoted with \\, \", \r and \n
// escaped, "@" stands for the unnamed value. Blank lines and lines that begin
// with ";" are ignored.
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

private:
    QString FName;
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
    // naming origin and line for a line that is not understood, leaving the
    // hive as it was.
    void Parse(const QByteArray &text, const QString &origin);
    QByteArray Format(const QString &title) const;

private:
    std::unique_ptr<TRegistryKey> FRoot;
};

} // namespace nvqb
