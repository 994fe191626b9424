#pragma once
// Locks between processes: an exclusive flock on a file, held until the lock
// object goes. The descriptor is closed in child processes, which never hold
// the lock after the program that took it is gone.
#include <QByteArray>
#include <QString>

#include <memory>

namespace nvqb {

class TFileLock {
public:
    ~TFileLock();
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    // Waits for the lock on the file, which is made (empty) when missing;
    // raises EOSError naming the file when it cannot be opened or locked.
    static std::unique_ptr<TFileLock> Acquire(const QString &fileName);
    // The same without waiting: empty while another holds the lock.
    static std::unique_ptr<TFileLock> TryAcquire(const QString &fileName);
    // For a file that is replaced by rename (WriteFileAtomically): waits for
    // the lock on the file that the name holds once the lock is had, so that
    // every holder reads and replaces the file as the last one left it.
    static std::unique_ptr<TFileLock> AcquireReplaced(const QString &fileName);

    // The locked file's content; raises EOSError when it cannot be read.
    QByteArray ReadAll() const;

private:
    TFileLock(int handle, QString fileName);
    static std::unique_ptr<TFileLock> Lock(const QString &fileName, bool wait, bool replaced);

    int FHandle;
    QString FFileName;
};

} // namespace nvqb
