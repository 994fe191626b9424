#include "installer/platform/Registry.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/FileLock.h"
#include "installer/platform/Machine.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <map>
#include <memory>
#include <optional>

namespace nvqb {

namespace {

// One change a run makes to a hive. It is made to the hive in memory at once
// and to the file, as the file is when it is written, under the hive's lock.
struct TRegistryChange {
    enum class TKind { CreateKey, DeleteKey, SetValue, DeleteValue };
    TKind Kind;
    QString Path;
    TRegistryValue Value; // SetValue; DeleteValue takes its name
};

void Apply(TRegistryHive &hive, const TRegistryChange &change)
{
    switch (change.Kind) {
    case TRegistryChange::TKind::CreateKey: hive.CreateKey(change.Path); break;
    case TRegistryChange::TKind::DeleteKey: hive.DeleteKey(change.Path); break;
    case TRegistryChange::TKind::SetValue: hive.SetValue(change.Path, change.Value); break;
    case TRegistryChange::TKind::DeleteValue: hive.DeleteValue(change.Path, change.Value.Name); break;
    }
}

// A hive as last read from or written to its file. The file's bytes are kept
// so that a changed file is noticed and read again.
struct THiveFile {
    QByteArray Bytes;
    bool Loaded = false;
    TRegistryHive Hive;
    // Open batches (TRegistryBatch) and the hive's lock, which they hold.
    int Batches = 0;
    std::unique_ptr<TFileLock> Lock;
    // The changes not written yet, and the first of them, which names a
    // failure to write them.
    std::vector<TRegistryChange> Pending;
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

// The hive's entry, without reading its file.
THiveFile &Slot(TRootKey rootKey)
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
    return *slot;
}

// Takes the file's bytes as the hive's, parsed again when they changed.
void Take(THiveFile &hive, const QByteArray &bytes, const QString &fileName)
{
    if (!hive.Loaded || bytes != hive.Bytes) {
        hive.Loaded = false;
        hive.Hive.Parse(bytes, fileName);
        hive.Bytes = bytes;
        hive.Loaded = true;
    }
}

// Back to what the file holds, after changes in memory that did not reach
// it; when that cannot be parsed, the file is read again when next used.
void Restore(THiveFile &hive, const QByteArray &bytes, const QString &fileName)
{
    try {
        hive.Loaded = false;
        Take(hive, bytes, fileName);
    } catch (const ESetupError &) {
    }
}

THiveFile &Hive(TRootKey rootKey, bool refresh)
{
    THiveFile &hive = Slot(rootKey);
    const QString fileName = TRegistry::HiveFileName(rootKey);
    // Inside a batch the hive in memory runs ahead of its file, which nobody
    // changes meanwhile.
    if (!fileName.isEmpty() && ((refresh && hive.Batches == 0) || !hive.Loaded)) {
        // Other programs replace the file as they write it: it is read
        // without the lock, and never taken for missing while it is replaced.
        std::optional<QByteArray> bytes;
        try {
            bytes = ReadWholeFile(fileName);
        } catch (const EOSError &e) {
            throw ERegistryException(QStringLiteral("Cannot read the registry file \"%1\": %2")
                                         .arg(fileName, OSErrorText(e.ErrorCode())));
        }
        Take(hive, bytes.value_or(QByteArray()), fileName);
    }
    return hive;
}

// Writers of a hive hold its lock from reading the file to putting the new
// one in place; so do other programs that change the file.
std::unique_ptr<TFileLock> LockHive(const QString &fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw EOSError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder), errno ? errno : EACCES);
    return TFileLock::AcquireReplaced(fileName);
}

// Writes the pending changes onto the file as it is now, so that what other
// programs wrote since it was read stays.
void WritePending(TRootKey rootKey, THiveFile &hive)
{
    const QString fileName = TRegistry::HiveFileName(rootKey);
    const std::vector<TRegistryChange> changes = std::move(hive.Pending);
    hive.Pending.clear();
    std::unique_ptr<TFileLock> ownLock;
    std::optional<QByteArray> current;
    try {
        if (!hive.Lock)
            ownLock = LockHive(fileName);
        current = (hive.Lock ? hive.Lock : ownLock)->ReadAll();
        TRegistryHive written;
        written.Parse(*current, fileName);
        for (const TRegistryChange &change : changes)
            Apply(written, change);
        const QByteArray bytes = written.Format(QLatin1String(RootName(rootKey)));
        if (bytes != *current)
            WriteFileAtomically(fileName, bytes);
        hive.Hive = std::move(written);
        hive.Bytes = bytes;
        hive.Loaded = true;
    } catch (const ESetupError &e) {
        // So that memory and file agree again.
        Restore(hive, current ? *current : hive.Bytes, fileName);
        throw ERegistryException(QStringLiteral("Failed to set data for '%1': %2").arg(hive.PendingWhat, e.Message()));
    }
}

// Makes the change in memory and, outside a batch, in the file.
void Change(TRootKey rootKey, TRegistryChange change, const QString &what)
{
    RequireMachineFolder();
    THiveFile &hive = Hive(rootKey, false);
    Apply(hive.Hive, change);
    if (hive.Pending.empty())
        hive.PendingWhat = what;
    hive.Pending.push_back(std::move(change));
    if (hive.Batches == 0)
        WritePending(rootKey, hive);
}

} // namespace

TRegistryBatch::TRegistryBatch(TRootKey rootKey) : FRootKey(rootKey)
{
    THiveFile &hive = Slot(FRootKey);
    const QString fileName = TRegistry::HiveFileName(FRootKey);
    if (hive.Batches == 0 && !fileName.isEmpty() && QFileInfo(MachineFolder()).isDir()) {
        // Held to the end of the batch: what it reads stays what it writes onto.
        std::unique_ptr<TFileLock> lock;
        try {
            lock = LockHive(fileName);
        } catch (const ESetupError &e) {
            throw ERegistryException(QStringLiteral("Cannot lock the registry file \"%1\": %2").arg(fileName, e.Message()));
        }
        Take(hive, lock->ReadAll(), fileName);
        hive.Lock = std::move(lock);
    }
    ++hive.Batches;
}

TRegistryBatch::~TRegistryBatch()
{
    if (FEnded)
        return;
    // Not committed (an exception passes): the writes are dropped, so that
    // memory agrees with the file again.
    THiveFile &hive = Slot(FRootKey);
    if (--hive.Batches > 0)
        return;
    if (!hive.Pending.empty()) {
        hive.Pending.clear();
        Restore(hive, hive.Bytes, TRegistry::HiveFileName(FRootKey));
    }
    hive.Lock.reset();
}

void TRegistryBatch::Commit()
{
    if (FEnded)
        return;
    FEnded = true;
    THiveFile &hive = Slot(FRootKey);
    if (--hive.Batches > 0)
        return;
    struct TRelease {
        THiveFile &Hive;
        ~TRelease() { Hive.Lock.reset(); }
    } release{hive};
    if (!hive.Pending.empty())
        WritePending(FRootKey, hive);
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
    if (!Hive(FRootKey, true).Hive.FindKey(path)) {
        if (!canCreate)
            return false;
        Change(FRootKey, {TRegistryChange::TKind::CreateKey, path, {}}, path);
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
    if (!Hive(FRootKey, true).Hive.FindKey(path))
        return false;
    Change(FRootKey, {TRegistryChange::TKind::DeleteKey, path, {}}, path);
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

const TRegistryKey &TRegistry::WritableKey(const QString &name) const
{
    const TRegistryKey *key = FReadOnly ? nullptr : CurrentKey();
    if (!key)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1': no key is open for writing").arg(name));
    return *key;
}

void TRegistry::WriteValue(const TRegistryValue &value)
{
    WritableKey(value.Name);
    Change(FRootKey, {TRegistryChange::TKind::SetValue, FCurrentPath, value}, value.Name);
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
    if (!WritableKey(name).FindValue(name))
        return false;
    TRegistryValue value;
    value.Name = name;
    Change(FRootKey, {TRegistryChange::TKind::DeleteValue, FCurrentPath, value}, name);
    return true;
}

} // namespace nvqb
