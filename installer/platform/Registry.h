#pragma once
// The machine's registry: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER kept as the
// hive files registry/HKLM.reg and registry/HKCU.reg of the machine folder.
//
// TRegistry works like the class library's registry object: open a key
// (absolute with a leading backslash, else below the open key), read and
// write its values, close it. Every write reaches the hive file at once,
// written atomically, so other TRegistry objects (and later runs) see it.
// Hives are cached per process and read again when their file has changed.
// Without a machine folder the registry reads as empty and writes fail.
// Used from one thread.
//
// Other programs write the hives too. A write takes the hive's lock (an
// exclusive flock on the hive file, taken again when the file was replaced
// while waiting), reads the file as it is, makes this program's changes on
// it (see TRegistryHive: nothing else in the file changes) and puts the new
// file in place before the lock goes. Programs that change a hive file do
// the same; readers need no lock: they read the file from one open, so that
// a file replaced meanwhile is read whole, old or new (ReadWholeFile).
#include "installer/platform/RegistryHive.h"

#include <QString>
#include <QStringList>

namespace nvqb {

enum class TRootKey { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER };

class TRegistry {
public:
    explicit TRegistry(TRootKey rootKey = TRootKey::HKEY_CURRENT_USER);
    ~TRegistry();
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    // The hive file of a root key; empty without a machine folder.
    static QString HiveFileName(TRootKey rootKey);

    TRootKey RootKey() const { return FRootKey; }
    // Closes the open key.
    void SetRootKey(TRootKey rootKey);

    // False when the key does not exist (and may not be created) or the path
    // names no key at all.
    bool OpenKey(const QString &key, bool canCreate);
    bool OpenKeyReadOnly(const QString &key);
    void CloseKey();
    bool HasCurrentKey() const { return FOpen; }
    // The open key's path, without a leading backslash.
    const QString &CurrentPath() const { return FCurrentPath; }

    bool KeyExists(const QString &key);
    // Deletes the key and everything below it; false when it does not exist.
    bool DeleteKey(const QString &key);

    // Names of the open key's sub-keys and values, in the order they were added.
    QStringList GetKeyNames() const;
    QStringList GetValueNames() const;
    bool ValueExists(const QString &name) const;
    TRegDataType GetDataType(const QString &name) const;

    // An absent value reads as empty text; a DWORD raises "Invalid data type".
    QString ReadString(const QString &name) const;
    // An absent value raises "Failed to get data"; a text raises "Invalid data type".
    int ReadInteger(const QString &name) const;
    bool ReadBool(const QString &name) const;

    // Writes fail with ERegistryException without an open writable key.
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, int value);
    void WriteBool(const QString &name, bool value);
    bool DeleteValue(const QString &name);

private:
    QString AbsolutePath(const QString &key) const;
    TRegistryKey *CurrentKey() const;
    const TRegistryKey &WritableKey(const QString &name) const;
    void WriteValue(const TRegistryValue &value);

    TRootKey FRootKey;
    bool FOpen = false;
    bool FReadOnly = false;
    QString FCurrentPath;
};

// Writes through any TRegistry of the root key while the batch is open
// change the hive in memory only; Commit writes them to the hive file in one
// atomic step, so that a run killed in between leaves all of them or none. A
// batch that ends without Commit (an exception passes) drops them. Batches
// nest: the outermost one writes. The outermost batch holds the hive's lock
// from its start to its end, so that what it reads is what it writes onto
// (ERegistryException when the lock cannot be had).
class TRegistryBatch {
public:
    explicit TRegistryBatch(TRootKey rootKey);
    ~TRegistryBatch();
    TRegistryBatch(const TRegistryBatch &) = delete;
    TRegistryBatch &operator=(const TRegistryBatch &) = delete;

    // ERegistryException when the hive cannot be written.
    void Commit();

private:
    TRootKey FRootKey;
    bool FEnded = false;
};

} // namespace nvqb
