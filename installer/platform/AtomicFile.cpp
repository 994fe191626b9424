#include "installer/platform/AtomicFile.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nvqb {

namespace {

// A lock on a folder between its writers of temporary files (shared, from
// creating a temporary file until it is locked) and the clean-up
// (exclusive): the clean-up never meets a temporary file that its writer
// has made but not locked yet. Where a folder cannot be locked, nothing waits.
class TFolderLock {
public:
    TFolderLock(const QByteArray &folder, int operation)
        : FHandle(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (FHandle >= 0)
            while (::flock(FHandle, operation) != 0 && errno == EINTR) {
            }
    }
    ~TFolderLock()
    {
        if (FHandle >= 0) {
            ::flock(FHandle, LOCK_UN);
            ::close(FHandle);
        }
    }
    TFolderLock(const TFolderLock &) = delete;
    TFolderLock &operator=(const TFolderLock &) = delete;

private:
    int FHandle;
};

// Closes and removes the temporary file unless it was renamed into place.
struct TTemporaryFile {
    int Handle = -1;
    QByteArray Name;
    bool Renamed = false;
    ~TTemporaryFile()
    {
        if (Handle >= 0)
            ::close(Handle);
        if (!Renamed && !Name.isEmpty())
            ::unlink(Name.constData());
    }
};

// Closes a file on every way out.
struct TOpenFile {
    int Handle;
    ~TOpenFile() { ::close(Handle); }
};

} // namespace

void WriteFileAtomically(const QString &fileName, const QByteArray &data)
{
    const QFileInfo info(fileName);
    if (!QDir().mkpath(info.absolutePath()))
        throw EOSError(QStringLiteral("Cannot create the folder \"%1\"").arg(info.absolutePath()), errno ? errno : EACCES);

    // What writers of the file killed in the middle of a write left beside it.
    RemoveStaleTemporaryFiles(fileName);

    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    TTemporaryFile temp;
    temp.Name = target + ".XXXXXX";
    {
        const TFolderLock folder(QFile::encodeName(info.absolutePath()), LOCK_SH);
        temp.Handle = ::mkstemp(temp.Name.data());
        if (temp.Handle < 0) {
            temp.Name.clear();
            RaiseLastOSError(QStringLiteral("Cannot write \"%1\"").arg(fileName));
        }
        // Held until the file is in place (or the writer dies): the mark of a
        // temporary file that is still being written.
        ::flock(temp.Handle, LOCK_EX);
    }

    // A new file gets the mode an ordinary file would get; a replaced file keeps its own.
    struct stat old {};
    mode_t mode = 0666;
    if (::stat(target.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(temp.Handle, mode);

    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(temp.Handle, p, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            RaiseLastOSError(QStringLiteral("Cannot write \"%1\"").arg(fileName));
        }
        p += written;
        left -= written;
    }
    if (::rename(temp.Name.constData(), target.constData()) != 0)
        RaiseLastOSError(QStringLiteral("Cannot replace \"%1\"").arg(fileName));
    temp.Renamed = true;
    const int handle = temp.Handle;
    temp.Handle = -1;
    if (::close(handle) != 0)
        RaiseLastOSError(QStringLiteral("Cannot write \"%1\"").arg(fileName));
}

std::optional<QByteArray> ReadWholeFile(const QString &fileName)
{
    int handle;
    while ((handle = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC)) < 0 && errno == EINTR) {
    }
    if (handle < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        RaiseLastOSError(QStringLiteral("Cannot read \"%1\"").arg(fileName));
    }
    const TOpenFile opened{handle};
    return ReadOpenFile(handle, fileName);
}

QByteArray ReadOpenFile(int handle, const QString &fileName)
{
    QByteArray content;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t count = ::pread(handle, buffer, sizeof buffer, offset);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            RaiseLastOSError(QStringLiteral("Cannot read \"%1\"").arg(fileName));
        }
        if (count == 0)
            return content;
        content.append(buffer, count);
        offset += count;
    }
}

namespace {

// The name of one of the file's temporary files: the file's name, ".", and
// the six letters or digits that mkstemp puts in place of "XXXXXX".
bool IsTemporaryName(const QByteArray &name, const QByteArray &fileName)
{
    if (name.size() != fileName.size() + 7 || !name.startsWith(fileName) || name[fileName.size()] != '.')
        return false;
    for (qsizetype k = fileName.size() + 1; k < name.size(); ++k) {
        const char c = name[k];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

QList<QByteArray> TemporaryFiles(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());
    QList<QByteArray> files;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return files;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (IsTemporaryName(entryName, name))
            files += folder + '/' + entryName;
    }
    ::closedir(dir);
    return files;
}

} // namespace

bool HasTemporaryFiles(const QString &fileName)
{
    return !TemporaryFiles(fileName).isEmpty();
}

int RemoveStaleTemporaryFiles(const QString &fileName)
{
    const TFolderLock folder(QFile::encodeName(QFileInfo(fileName).absolutePath()), LOCK_EX);
    int removed = 0;
    for (const QByteArray &path : TemporaryFiles(fileName)) {
        const int handle = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (handle < 0)
            continue;
        struct stat entry {};
        struct stat named {};
        // A writer alive holds its lock; only a regular file nobody holds is
        // stale, and only while its name still names it (a writer may have
        // put it in place meanwhile).
        const bool stale = ::fstat(handle, &entry) == 0 && S_ISREG(entry.st_mode)
            && ::flock(handle, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.constData(), &named) == 0
            && named.st_dev == entry.st_dev && named.st_ino == entry.st_ino;
        if (stale && ::unlink(path.constData()) == 0)
            ++removed;
        ::close(handle);
    }
    return removed;
}

} // namespace nvqb
