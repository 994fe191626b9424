#include "installer/platform/FileLock.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/SetupError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nvqb {

TFileLock::TFileLock(int handle, QString fileName) : FHandle(handle), FFileName(std::move(fileName)) {}

TFileLock::~TFileLock()
{
    // Unlocked explicitly: a process forked meanwhile shares the descriptor.
    ::flock(FHandle, LOCK_UN);
    ::close(FHandle);
}

std::unique_ptr<TFileLock> TFileLock::Lock(const QString &fileName, bool wait, bool replaced)
{
    const QByteArray path = QFile::encodeName(fileName);
    for (;;) {
        int handle = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        // A file others may not write is locked all the same.
        if (handle < 0 && (errno == EACCES || errno == EROFS))
            handle = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (handle < 0)
            RaiseLastOSError(QStringLiteral("Cannot open \"%1\" to lock it").arg(fileName));
        int result;
        while ((result = ::flock(handle, wait ? LOCK_EX : LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        if (result != 0) {
            const int error = errno;
            ::close(handle);
            if (error == EWOULDBLOCK)
                return nullptr;
            throw EOSError(QStringLiteral("Cannot lock \"%1\"").arg(fileName), error);
        }
        struct stat locked {};
        struct stat named {};
        // Replaced while this process waited: the lock is on a file nobody reads any more.
        if (replaced && ::fstat(handle, &locked) == 0
            && (::stat(path.constData(), &named) != 0 || named.st_dev != locked.st_dev || named.st_ino != locked.st_ino)) {
            ::close(handle);
            continue;
        }
        return std::unique_ptr<TFileLock>(new TFileLock(handle, fileName));
    }
}

std::unique_ptr<TFileLock> TFileLock::Acquire(const QString &fileName)
{
    return Lock(fileName, true, false);
}

std::unique_ptr<TFileLock> TFileLock::TryAcquire(const QString &fileName)
{
    return Lock(fileName, false, false);
}

std::unique_ptr<TFileLock> TFileLock::AcquireReplaced(const QString &fileName)
{
    return Lock(fileName, true, true);
}

QByteArray TFileLock::ReadAll() const
{
    return ReadOpenFile(FHandle, FFileName);
}

} // namespace nvqb
