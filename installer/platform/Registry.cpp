#include "installer/platform/Registry.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/Machine.h"
#include "installer/platform/SetupError.h"

#include <QFile>

#include <map>
#include <memory>

namespace nvqb {

namespace {

// A hive as last read from or written to its file. The file's bytes are kept
// so that a changed file is noticed and read again.
struct THiveFile {
    QByteArray Bytes;
    bool Loaded = false;
    TRegistryHive Hive;
    // Open batches (TRegistryBatch), whether writes wait for them, and the
    // first of those writes, which names a failure to write them.
    int Batches = 0;
    bool Pending = false;
    QString PendingWhat;
};

std::map<QString, std::unique_ptr<THiveFile>> &HiveFiles()
{
    static std::map<QString, std::unique_ptr<THiveFile>> files;
    return files;
}

const char *RootName(TRootKey rootKey)
{
    return rootKey == TRootKey::HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

THiveFile &Hive(TRootKey rootKey, bool refresh)
{
    const QString fileName = TRegistry::HiveFileName(rootKey);
    if (fileName.isEmpty()) {
        // No machine: a registry with nothing in it.
        static THiveFile none[2];
        THiveFile &empty = none[int(rootKey)];
        empty.Hive = TRegistryHive();
        return empty;
    }
    std::unique_ptr<THiveFile> &slot = HiveFiles()[fileName];
    if (!slot)
        slot = std::make_unique<THiveFile>();
    // Inside a batch the hive in memory runs ahead of its file.
    if ((refresh && slot->Batches == 0) || !slot->Loaded) {
        QFile file(fileName);
        QByteArray bytes;
        if (file.exists()) {
            if (!file.open(QIODevice::ReadOnly))
                throw ERegistryException(QStringLiteral("Cannot read the registry file \"%1\": %2")
                                             .arg(fileName, file.errorString()));
            bytes = file.readAll();
        }
        if (!slot->Loaded || bytes != slot->Bytes) {
            slot->Hive.Parse(bytes, fileName);
            slot->Bytes = bytes;
            slot->Loaded = true;
        }
    }
    return *slot;
}

void SaveHive(TRootKey rootKey, const QString &what)
{
    RequireMachineFolder();
    const QString fileName = TRegistry::HiveFileName(rootKey);
    THiveFile &hive = Hive(rootKey, false);
    if (hive.Batches > 0) {
        if (!hive.Pending)
            hive.PendingWhat = what;
        hive.Pending = true;
        return;
    }
    // What a run killed in the middle of a write left beside the hive.
    RemoveStaleTemporaryFiles(fileName);
    const QByteArray bytes = hive.Hive.Format(QLatin1String(RootName(rootKey)));
    try {
        WriteFileAtomically(fileName, bytes);
    } catch (const ESetupError &e) {
        // Back to what the file holds, so memory and file agree again.
        hive.Hive.Parse(hive.Bytes, fileName);
        throw ERegistryException(QStringLiteral("Failed to set data for '%1': %2").arg(what, e.Message()));
    }
    hive.Bytes = bytes;
}

} // namespace

TRegistryBatch::TRegistryBatch(TRootKey rootKey) : FRootKey(rootKey)
{
    ++Hive(FRootKey, true).Batches;
}

TRegistryBatch::~TRegistryBatch()
{
    if (FEnded)
        return;
    // Not committed (an exception passes): the writes are dropped, so that
    // memory agrees with the file again.
    THiveFile &hive = Hive(FRootKey, false);
    if (--hive.Batches == 0 && hive.Pending) {
        hive.Pending = false;
        hive.Hive.Parse(hive.Bytes, TRegistry::HiveFileName(FRootKey));
    }
}

void TRegistryBatch::Commit()
{
    if (FEnded)
        return;
    FEnded = true;
    THiveFile &hive = Hive(FRootKey, false);
    if (--hive.Batches > 0 || !hive.Pending)
        return;
    hive.Pending = false;
    SaveHive(FRootKey, hive.PendingWhat);
}

TRegistry::TRegistry(TRootKey rootKey) : FRootKey(rootKey) {}

TRegistry::~TRegistry() = default;

QString TRegistry::HiveFileName(TRootKey rootKey)
{
    const QString machine = MachineFolder();
    if (machine.isEmpty())
        return QString();
    return machine + (rootKey == TRootKey::HKEY_LOCAL_MACHINE ? QLatin1String("/registry/HKLM.reg")
                                                              : QLatin1String("/registry/HKCU.reg"));
}

void TRegistry::SetRootKey(TRootKey rootKey)
{
    CloseKey();
    FRootKey = rootKey;
}

QString TRegistry::AbsolutePath(const QString &key) const
{
    QStringList names;
    if (!key.startsWith(QLatin1Char('\\')) && FOpen)
        names = TRegistryHive::SplitKeyPath(FCurrentPath);
    names += TRegistryHive::SplitKeyPath(key);
    return names.join(QLatin1Char('\\'));
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    const QString path = AbsolutePath(key);
    if (path.isEmpty())
        return false;
    THiveFile &hive = Hive(FRootKey, true);
    if (!hive.Hive.FindKey(path)) {
        if (!canCreate)
            return false;
        RequireMachineFolder();
        hive.Hive.CreateKey(path);
        SaveHive(FRootKey, path);
    }
    FOpen = true;
    FReadOnly = false;
    FCurrentPath = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const QString &key)
{
    const QString path = AbsolutePath(key);
    if (path.isEmpty() || !Hive(FRootKey, true).Hive.FindKey(path))
        return false;
    FOpen = true;
    FReadOnly = true;
    FCurrentPath = path;
    return true;
}

void TRegistry::CloseKey()
{
    FOpen = false;
    FReadOnly = false;
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const QString &key)
{
    const QString path = AbsolutePath(key);
    return !path.isEmpty() && Hive(FRootKey, true).Hive.FindKey(path);
}

bool TRegistry::DeleteKey(const QString &key)
{
    const QString path = AbsolutePath(key);
    if (path.isEmpty())
        return false;
    THiveFile &hive = Hive(FRootKey, true);
    if (!hive.Hive.FindKey(path))
        return false;
    RequireMachineFolder();
    hive.Hive.DeleteKey(path);
    SaveHive(FRootKey, path);
    return true;
}

TRegistryKey *TRegistry::CurrentKey() const
{
    return FOpen ? Hive(FRootKey, false).Hive.FindKey(FCurrentPath) : nullptr;
}

QStringList TRegistry::GetKeyNames() const
{
    QStringList names;
    if (const TRegistryKey *key = CurrentKey())
        for (const auto &sub : key->Keys())
            names += sub->Name();
    return names;
}

QStringList TRegistry::GetValueNames() const
{
    QStringList names;
    if (const TRegistryKey *key = CurrentKey())
        for (const TRegistryValue &value : key->Values())
            names += value.Name;
    return names;
}

bool TRegistry::ValueExists(const QString &name) const
{
    const TRegistryKey *key = CurrentKey();
    return key && key->FindValue(name);
}

TRegDataType TRegistry::GetDataType(const QString &name) const
{
    const TRegistryKey *key = CurrentKey();
    const TRegistryValue *value = key ? key->FindValue(name) : nullptr;
    return value ? value->Type : TRegDataType::rdUnknown;
}

QString TRegistry::ReadString(const QString &name) const
{
    const TRegistryKey *key = CurrentKey();
    const TRegistryValue *value = key ? key->FindValue(name) : nullptr;
    if (!value)
        return QString();
    if (value->Type != TRegDataType::rdString)
        throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    return value->Text;
}

int TRegistry::ReadInteger(const QString &name) const
{
    const TRegistryKey *key = CurrentKey();
    const TRegistryValue *value = key ? key->FindValue(name) : nullptr;
    if (!value)
        throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(name));
    if (value->Type != TRegDataType::rdInteger)
        throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    return int(value->Number);
}

bool TRegistry::ReadBool(const QString &name) const
{
    return ReadInteger(name) != 0;
}

TRegistryKey &TRegistry::WritableKey(const QString &name)
{
    TRegistryKey *key = FReadOnly ? nullptr : CurrentKey();
    if (!key)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1': no key is open for writing").arg(name));
    return *key;
}

void TRegistry::WriteValue(const TRegistryValue &value)
{
    WritableKey(value.Name).SetValue(value);
    SaveHive(FRootKey, value.Name);
}

void TRegistry::WriteString(const QString &name, const QString &value)
{
    TRegistryValue v;
    v.Name = name;
    v.Type = TRegDataType::rdString;
    v.Text = value;
    WriteValue(v);
}

void TRegistry::WriteInteger(const QString &name, int value)
{
    TRegistryValue v;
    v.Name = name;
    v.Type = TRegDataType::rdInteger;
    v.Number = quint32(value);
    WriteValue(v);
}

void TRegistry::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

bool TRegistry::DeleteValue(const QString &name)
{
    if (!WritableKey(name).DeleteValue(name))
        return false;
    SaveHive(FRootKey, name);
    return true;
}

} // namespace nvqb
