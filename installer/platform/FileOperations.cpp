#include "installer/platform/FileOperations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nvqb {

namespace {

QByteArray Native(const QString &path)
{
    return QFile::encodeName(path);
}

// Closes a handle on every way out, keeping errno as the failure left it.
struct THandle {
    int Fd = -1;
    ~THandle()
    {
        if (Fd >= 0) {
            const int saved = errno;
            ::close(Fd);
            errno = saved;
        }
    }
};

bool Exists(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

int RemoveEntry(const char *path, const struct stat *, int type, struct FTW *)
{
    const int result = type == FTW_DP ? ::rmdir(path) : ::unlink(path);
    return result == 0 || errno == ENOENT ? 0 : -1;
}

} // namespace

bool DeleteFile(const QString &fileName)
{
    const QByteArray path = Native(fileName);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return ::unlink(path.constData()) == 0;
}

bool CopyFile(const QString &source, const QString &destination)
{
    THandle in;
    in.Fd = ::open(Native(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in.Fd < 0)
        return false;
    struct stat info {};
    if (::fstat(in.Fd, &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    // The old copy goes first, so that a link standing there is replaced and
    // never written through.
    const QByteArray target = Native(destination);
    if (::unlink(target.constData()) != 0 && errno != ENOENT)
        return false;
    THandle out;
    out.Fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, info.st_mode & 07777);
    if (out.Fd < 0)
        return false;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in.Fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out.Fd, buffer + done, size_t(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return false;
            done += put;
        }
    }
    ::fchmod(out.Fd, info.st_mode & 07777);
    const int fd = out.Fd;
    out.Fd = -1;
    return ::close(fd) == 0;
}

bool ForceDirectories(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    errno = 0;
    if (QDir().mkpath(folder))
        return true;
    if (errno == 0)
        errno = EACCES;
    return false;
}

bool RemoveDir(const QString &folder)
{
    return ::rmdir(Native(folder).constData()) == 0;
}

bool DeleteTree(const QString &folder)
{
    const QByteArray path = Native(folder);
    if (!Exists(path))
        return true;
    ::nftw(path.constData(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
    return !Exists(path);
}

QStringList FindFiles(const QString &folder, const QStringList &extensions, bool recursive)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString file = it.next();
        for (const QString &extension : extensions)
            if (file.endsWith(extension, Qt::CaseInsensitive)) {
                files += file;
                break;
            }
    }
    files.sort();
    return files;
}

bool SameFolder(const QString &a, const QString &b)
{
    const QString first = QFileInfo(a).canonicalFilePath();
    return !first.isEmpty() && first == QFileInfo(b).canonicalFilePath();
}

} // namespace nvqb
