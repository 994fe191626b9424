#include "installer/platform/AtomicFile.h"
#include "installer/platform/SetupError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nvqb {

namespace {

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

} // namespace

void WriteFileAtomically(const QString &fileName, const QByteArray &data)
{
    const QFileInfo info(fileName);
    if (!QDir().mkpath(info.absolutePath()))
        throw EOSError(QStringLiteral("Cannot create the folder \"%1\"").arg(info.absolutePath()), errno ? errno : EACCES);

    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    TTemporaryFile temp;
    temp.Name = target + ".XXXXXX";
    temp.Handle = ::mkstemp(temp.Name.data());
    if (temp.Handle < 0) {
        temp.Name.clear();
        RaiseLastOSError(QStringLiteral("Cannot write \"%1\"").arg(fileName));
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
    if (::close(temp.Handle) != 0) {
        temp.Handle = -1;
        RaiseLastOSError(QStringLiteral("Cannot write \"%1\"").arg(fileName));
    }
    temp.Handle = -1;
    if (::rename(temp.Name.constData(), target.constData()) != 0)
        RaiseLastOSError(QStringLiteral("Cannot replace \"%1\"").arg(fileName));
    temp.Renamed = true;
}

} // namespace nvqb
