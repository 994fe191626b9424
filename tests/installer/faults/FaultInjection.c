/*
 * Fault injection for the installer's tests (tests only, never shipped):
 * preloaded (LD_PRELOAD) into the setup program and every program it starts,
 * it counts the operations that change files below a folder and fails one of
 * them, fails every one on a path, or kills the whole run just before one.
 *
 * Counted operations ("points"), each named by its kind:
 *   open      open/creat/fopen/mkstemp for writing
 *   write     write, pwrite, writev, copy_file_range, sendfile into a file
 *             opened for writing below the folder
 *   truncate  ftruncate, truncate
 *   sync      fsync, fdatasync
 *   rename    rename, renameat, renameat2
 *   unlink    unlink, unlinkat, remove (of a file)
 *   rmdir     rmdir, unlinkat with AT_REMOVEDIR, remove (of a folder)
 *   mkdir     mkdir, mkdirat
 *   link      link, linkat, symlink, symlinkat
 * What fails anyway is not a point either: making a folder that exists,
 * deleting or renaming what does not. Closing a file is not a point: the programs under test cannot see a failed
 * close of libarchive's files, and local file systems report a full disk on
 * the write.
 *
 * Environment:
 *   NVQB_FAULT_ROOT   only paths below this folder are points (required)
 *   NVQB_FAULT_STATE  a file shared by every process of the run: the number of
 *                     points so far, whether the fault was made and on what
 *                     (required; made when missing)
 *   NVQB_FAULT_MODE   "count" (nothing fails), "fail" or "kill"
 *   NVQB_FAULT_AT     the point (from 1) that fails, or before which the
 *                     process is killed (SIGKILL)
 *   NVQB_FAULT_KILL_GROUP  when set, the kill takes every process of the
 *                     process group (the run with the programs it started);
 *                     the caller starts the run as a group of its own
 *   NVQB_FAULT_PATH   instead of a point: every operation on a path that
 *                     matches this pattern (fnmatch) fails
 *   NVQB_FAULT_OPS    the kinds that count, separated by ","; all by default
 *   NVQB_FAULT_REPLACE  another program replaces files as the run looks at
 *                     them: every file below the root whose path matches one
 *                     of these patterns (fnmatch, separated by ":") is
 *                     replaced by a copy of itself (written beside it and
 *                     renamed over it, as atomic writers do, under its lock
 *                     (flock) when nobody else holds it) each time its status
 *                     is asked by name (stat, lstat, fstatat, statx) or it is
 *                     opened for reading. A status comes in the middle of the
 *                     replacement: the name is looked up, the file replaced,
 *                     and the status is that of the file looked up, which has
 *                     no name any more. An open gets the file as it was. Each
 *                     replacement counts as a fault made ("0 replace <path>")
 *   NVQB_FAULT_TRACE  a file to which every point is appended as a line:
 *                     number, kind, path
 * A failed operation does nothing and returns the error a full or broken disk
 * would give: ENOSPC where something is made or written, EIO for a sync and
 * EACCES for a rename, a delete or a link.
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

enum {
    kOpen, kWrite, kTruncate, kSync, kRename, kUnlink, kRmdir, kMkdir, kLink, kKinds
};
static const char *const KindNames[kKinds] = {"open", "write", "truncate", "sync", "rename",
                                              "unlink", "rmdir", "mkdir", "link"};

/* Shared by every process of a run through the state file. */
struct State {
    uint64_t Points;
    uint64_t Made;     /* faults made */
    char What[1024];   /* the first fault: "<number> <kind> <path>" */
};

enum { mCount, mFail, mKill };

static struct {
    int Ready;
    int Mode;
    uint64_t At;
    char Root[PATH_MAX];
    size_t RootLength;
    char Path[PATH_MAX];
    char Replace[PATH_MAX];
    unsigned Kinds;
    struct State *State;
    int Trace;
    int KillGroup;
} Config;

static pthread_once_t Once = PTHREAD_ONCE_INIT;

/* Files opened for writing below the root, by descriptor. */
enum { kWatched = 4096 };
static unsigned char Watched[kWatched];

#define REAL(type, name, args) \
    static type(*real_##name) args; \
    if (!real_##name) \
        real_##name = (type(*) args)dlsym(RTLD_NEXT, #name)

static int RealOpen(const char *path, int flags, mode_t mode)
{
    REAL(int, open, (const char *, int, ...));
    return real_open(path, flags, mode);
}

static void Setup(void)
{
    const char *root = getenv("NVQB_FAULT_ROOT");
    const char *state = getenv("NVQB_FAULT_STATE");
    if (!root || !*root || !state || !*state)
        return;
    snprintf(Config.Root, sizeof Config.Root, "%s", root);
    Config.RootLength = strlen(Config.Root);
    while (Config.RootLength > 1 && Config.Root[Config.RootLength - 1] == '/')
        Config.Root[--Config.RootLength] = 0;
    const char *mode = getenv("NVQB_FAULT_MODE");
    Config.Mode = mode && !strcmp(mode, "fail") ? mFail : mode && !strcmp(mode, "kill") ? mKill : mCount;
    const char *at = getenv("NVQB_FAULT_AT");
    Config.At = at ? strtoull(at, NULL, 10) : 0;
    const char *path = getenv("NVQB_FAULT_PATH");
    snprintf(Config.Path, sizeof Config.Path, "%s", path ? path : "");
    const char *replace = getenv("NVQB_FAULT_REPLACE");
    snprintf(Config.Replace, sizeof Config.Replace, "%s", replace ? replace : "");
    const char *kinds = getenv("NVQB_FAULT_OPS");
    Config.KillGroup = getenv("NVQB_FAULT_KILL_GROUP") != NULL;
    Config.Kinds = 0;
    for (int k = 0; k < kKinds; ++k) {
        if (!kinds || !*kinds) {
            Config.Kinds |= 1u << k;
            continue;
        }
        const size_t length = strlen(KindNames[k]);
        for (const char *p = kinds; (p = strstr(p, KindNames[k])) != NULL; p += length)
            if ((p == kinds || p[-1] == ',') && (p[length] == ',' || p[length] == 0))
                Config.Kinds |= 1u << k;
    }

    const int file = RealOpen(state, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0)
        return;
    REAL(int, ftruncate, (int, off_t));
    struct stat info;
    if (fstat(file, &info) != 0 || (info.st_size < (off_t)sizeof(struct State)
                                     && real_ftruncate(file, sizeof(struct State)) != 0)) {
        close(file);
        return;
    }
    void *shared = mmap(NULL, sizeof(struct State), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    close(file);
    if (shared == MAP_FAILED)
        return;
    Config.State = (struct State *)shared;
    const char *trace = getenv("NVQB_FAULT_TRACE");
    Config.Trace = trace && *trace ? RealOpen(trace, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    Config.Ready = 1;
}

static int Ready(void)
{
    pthread_once(&Once, Setup);
    return Config.Ready;
}

/* The absolute path of path relative to the folder of dirfd. */
static void Absolute(int dirfd, const char *path, char *out, size_t size)
{
    if (!path) {
        out[0] = 0;
        return;
    }
    if (path[0] == '/') {
        snprintf(out, size, "%s", path);
        return;
    }
    char base[PATH_MAX] = "";
    if (dirfd == AT_FDCWD) {
        if (!getcwd(base, sizeof base))
            base[0] = 0;
    } else {
        char link[64];
        snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
        const ssize_t n = readlink(link, base, sizeof base - 1);
        base[n > 0 ? n : 0] = 0;
    }
    snprintf(out, size, "%s/%s", base, path);
}

static void FdPath(int fd, char *out, size_t size)
{
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, out, size - 1);
    out[n > 0 ? n : 0] = 0;
}

static int BelowRoot(const char *path)
{
    return strncmp(path, Config.Root, Config.RootLength) == 0
        && (path[Config.RootLength] == '/' || path[Config.RootLength] == 0);
}

static int ErrorOf(int kind)
{
    switch (kind) {
    case kSync:
        return EIO;
    case kRename:
    case kUnlink:
    case kRmdir:
    case kLink:
        return EACCES;
    default:
        return ENOSPC;
    }
}

static void Trace(uint64_t number, int kind, const char *path)
{
    if (Config.Trace < 0)
        return;
    char line[PATH_MAX + 64];
    const int n = snprintf(line, sizeof line, "%llu %s %s\n", (unsigned long long)number, KindNames[kind], path);
    REAL(ssize_t, write, (int, const void *, size_t));
    if (n > 0)
        (void)real_write(Config.Trace, line, (size_t)(n < (int)sizeof line ? n : (int)sizeof line - 1));
}

/* Decides about one operation on an absolute path: 0 lets it happen, -1
   fails it (errno set). Kills the run when that is its point. */
static int Point(int kind, const char *path)
{
    if (!Ready() || !path[0] || !BelowRoot(path) || !(Config.Kinds & (1u << kind)))
        return 0;
    if (Config.Path[0]) {
        if (fnmatch(Config.Path, path, 0) != 0)
            return 0;
        if (__atomic_fetch_add(&Config.State->Made, 1, __ATOMIC_SEQ_CST) == 0)
            snprintf(Config.State->What, sizeof Config.State->What, "0 %s %s", KindNames[kind], path);
        errno = ErrorOf(kind);
        return -1;
    }
    const uint64_t number = __atomic_add_fetch(&Config.State->Points, 1, __ATOMIC_SEQ_CST);
    Trace(number, kind, path);
    if (Config.Mode == mCount || number != Config.At)
        return 0;
    snprintf(Config.State->What, sizeof Config.State->What, "%llu %s %s", (unsigned long long)number,
             KindNames[kind], path);
    __atomic_add_fetch(&Config.State->Made, 1, __ATOMIC_SEQ_CST);
    if (Config.Mode == mKill) {
        if (Config.KillGroup)
            kill(0, SIGKILL);
        raise(SIGKILL);
    }
    errno = ErrorOf(kind);
    return -1;
}

static int RealLstat(const char *path, struct stat *info)
{
    REAL(int, lstat, (const char *, struct stat *));
    return real_lstat(path, info);
}

/* Whether the absolute path is one that another program replaces. */
static int Replaced(const char *path)
{
    if (!Ready() || !Config.Replace[0] || !path[0] || !BelowRoot(path))
        return 0;
    char patterns[sizeof Config.Replace];
    snprintf(patterns, sizeof patterns, "%s", Config.Replace);
    char *rest = patterns;
    for (char *pattern; (pattern = strsep(&rest, ":")) != NULL;)
        if (*pattern && fnmatch(pattern, path, 0) == 0)
            return 1;
    return 0;
}

/* Another program's atomic write of the file: a copy of it beside it,
   renamed over it. Under the file's lock, as writers of the registry hold
   it; not while someone else holds it (the run itself, as it writes). */
static void Replace(const char *path)
{
    const int file = RealOpen(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (file < 0)
        return;
    struct stat locked;
    struct stat named;
    if (flock(file, LOCK_EX | LOCK_NB) != 0 || fstat(file, &locked) != 0 || !S_ISREG(locked.st_mode)
        || RealLstat(path, &named) != 0 || named.st_dev != locked.st_dev || named.st_ino != locked.st_ino) {
        close(file);
        return;
    }
    char copy[PATH_MAX + 16];
    snprintf(copy, sizeof copy, "%s.other", path);
    const int out = RealOpen(copy, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    int copied = out >= 0 && fchmod(out, locked.st_mode & 07777) == 0;
    REAL(ssize_t, write, (int, const void *, size_t));
    char buffer[65536];
    for (ssize_t n; copied && (n = read(file, buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            copied = errno == EINTR;
            continue;
        }
        for (ssize_t done = 0; copied && done < n;) {
            const ssize_t put = real_write(out, buffer + done, (size_t)(n - done));
            copied = put > 0 || (put < 0 && errno == EINTR);
            done += put > 0 ? put : 0;
        }
    }
    if (out >= 0)
        close(out);
    REAL(int, rename, (const char *, const char *));
    REAL(int, unlink, (const char *));
    if (copied && real_rename(copy, path) == 0) {
        if (__atomic_fetch_add(&Config.State->Made, 1, __ATOMIC_SEQ_CST) == 0)
            snprintf(Config.State->What, sizeof Config.State->What, "0 replace %s", path);
    } else if (out >= 0) {
        real_unlink(copy);
    }
    close(file);
}

/* A status asked by name while the file is replaced: the name looked up
   first, then the file replaced, then the status of what was looked up.
   -2 when the path is not one that is replaced. */
static int StatReplaced(int dirfd, const char *path, int flags, int (*status)(int fd, void *out), void *out)
{
    if (!path || !path[0] || !Ready() || !Config.Replace[0])
        return -2;
    char absolute[PATH_MAX * 2];
    Absolute(dirfd, path, absolute, sizeof absolute);
    if (!Replaced(absolute))
        return -2;
    const int saved = errno;
    REAL(int, openat, (int, const char *, int, ...));
    const int looked = real_openat(dirfd, path, O_PATH | O_CLOEXEC | (flags & AT_SYMLINK_NOFOLLOW ? O_NOFOLLOW : 0));
    if (looked < 0)
        return -2;
    Replace(absolute);
    errno = saved;
    const int result = status(looked, out);
    const int error = errno;
    close(looked);
    errno = error;
    return result;
}

static int FdStat(int fd, void *out)
{
    REAL(int, fstatat, (int, const char *, struct stat *, int));
    return real_fstatat(fd, "", (struct stat *)out, AT_EMPTY_PATH);
}

struct StatxRequest {
    unsigned Mask;
    int Flags;
    struct statx *Out;
};

static int FdStatx(int fd, void *out)
{
    const struct StatxRequest *request = (const struct StatxRequest *)out;
    REAL(int, statx, (int, const char *, int, unsigned, struct statx *));
    return real_statx(fd, "", (request->Flags & ~AT_SYMLINK_NOFOLLOW) | AT_EMPTY_PATH, request->Mask, request->Out);
}

int stat(const char *path, struct stat *info)
{
    const int replaced = StatReplaced(AT_FDCWD, path, 0, FdStat, info);
    if (replaced != -2)
        return replaced;
    REAL(int, stat, (const char *, struct stat *));
    return real_stat(path, info);
}

int stat64(const char *path, struct stat64 *info)
{
    const int replaced = StatReplaced(AT_FDCWD, path, 0, FdStat, info);
    if (replaced != -2)
        return replaced;
    REAL(int, stat64, (const char *, struct stat64 *));
    return real_stat64(path, info);
}

int lstat(const char *path, struct stat *info)
{
    const int replaced = StatReplaced(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, FdStat, info);
    if (replaced != -2)
        return replaced;
    return RealLstat(path, info);
}

int lstat64(const char *path, struct stat64 *info)
{
    const int replaced = StatReplaced(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, FdStat, info);
    if (replaced != -2)
        return replaced;
    REAL(int, lstat64, (const char *, struct stat64 *));
    return real_lstat64(path, info);
}

int fstatat(int dirfd, const char *path, struct stat *info, int flags)
{
    const int replaced = flags & AT_EMPTY_PATH ? -2 : StatReplaced(dirfd, path, flags, FdStat, info);
    if (replaced != -2)
        return replaced;
    REAL(int, fstatat, (int, const char *, struct stat *, int));
    return real_fstatat(dirfd, path, info, flags);
}

int fstatat64(int dirfd, const char *path, struct stat64 *info, int flags)
{
    const int replaced = flags & AT_EMPTY_PATH ? -2 : StatReplaced(dirfd, path, flags, FdStat, info);
    if (replaced != -2)
        return replaced;
    REAL(int, fstatat64, (int, const char *, struct stat64 *, int));
    return real_fstatat64(dirfd, path, info, flags);
}

int statx(int dirfd, const char *path, int flags, unsigned mask, struct statx *info)
{
    struct StatxRequest request = {mask, flags, info};
    const int replaced = flags & AT_EMPTY_PATH ? -2 : StatReplaced(dirfd, path, flags, FdStatx, &request);
    if (replaced != -2)
        return replaced;
    REAL(int, statx, (int, const char *, int, unsigned, struct statx *));
    return real_statx(dirfd, path, flags, mask, info);
}

static int PathPoint(int kind, int dirfd, const char *path)
{
    if (!Ready())
        return 0;
    char absolute[PATH_MAX * 2];
    Absolute(dirfd, path, absolute, sizeof absolute);
    /* What would fail anyway is no point: a folder made that is there (a
       full disk still says EEXIST), a file deleted or renamed that is not. */
    struct stat info;
    const int exists = RealLstat(absolute, &info) == 0;
    if ((kind == kMkdir && exists) || ((kind == kUnlink || kind == kRmdir || kind == kRename) && !exists))
        return 0;
    return Point(kind, absolute);
}

static int FdPoint(int kind, int fd)
{
    if (!Ready() || fd < 0 || fd >= kWatched || !Watched[fd])
        return 0;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    char path[PATH_MAX];
    FdPath(fd, path, sizeof path);
    return Point(kind, path);
}

static void Watch(int fd, int dirfd, const char *path, int writing)
{
    if (fd < 0 || fd >= kWatched)
        return;
    Watched[fd] = 0;
    if (!writing || !Ready())
        return;
    char absolute[PATH_MAX * 2];
    Absolute(dirfd, path, absolute, sizeof absolute);
    Watched[fd] = BelowRoot(absolute) ? 1 : 0;
}

static int Writing(int flags)
{
    return (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC));
}

static int OpenAt(int dirfd, const char *path, int flags, mode_t mode, int at)
{
    if (Writing(flags) && PathPoint(kOpen, dirfd, path) != 0)
        return -1;
    int fd;
    if (at) {
        REAL(int, openat, (int, const char *, int, ...));
        fd = real_openat(dirfd, path, flags, mode);
    } else {
        fd = RealOpen(path, flags, mode);
    }
    Watch(fd, dirfd, path, Writing(flags));
    if (fd >= 0 && !Writing(flags) && !(flags & O_PATH) && Ready() && Config.Replace[0]) {
        char absolute[PATH_MAX * 2];
        Absolute(dirfd, path, absolute, sizeof absolute);
        if (Replaced(absolute)) {
            const int saved = errno;
            Replace(absolute);
            errno = saved;
        }
    }
    return fd;
}

#define MODE_ARGUMENT(flags) \
    mode_t mode = 0; \
    if ((flags) & (O_CREAT | O_TMPFILE)) { \
        va_list list; \
        va_start(list, flags); \
        mode = (mode_t)va_arg(list, int); \
        va_end(list); \
    }

int open(const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags);
    return OpenAt(AT_FDCWD, path, flags, mode, 0);
}

int open64(const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags);
    return OpenAt(AT_FDCWD, path, flags, mode, 0);
}

int __open_2(const char *path, int flags)
{
    return OpenAt(AT_FDCWD, path, flags, 0, 0);
}

int __open64_2(const char *path, int flags)
{
    return OpenAt(AT_FDCWD, path, flags, 0, 0);
}

int openat(int dirfd, const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags);
    return OpenAt(dirfd, path, flags, mode, 1);
}

int openat64(int dirfd, const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags);
    return OpenAt(dirfd, path, flags, mode, 1);
}

int __openat_2(int dirfd, const char *path, int flags)
{
    return OpenAt(dirfd, path, flags, 0, 1);
}

int __openat64_2(int dirfd, const char *path, int flags)
{
    return OpenAt(dirfd, path, flags, 0, 1);
}

int creat(const char *path, mode_t mode)
{
    return OpenAt(AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC, mode, 0);
}

int creat64(const char *path, mode_t mode)
{
    return OpenAt(AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC, mode, 0);
}

static FILE *FOpen(const char *path, const char *how, FILE *(*real)(const char *, const char *))
{
    const int writing = how && (strchr(how, 'w') || strchr(how, 'a') || strchr(how, '+'));
    if (writing && PathPoint(kOpen, AT_FDCWD, path) != 0)
        return NULL;
    FILE *file = real(path, how);
    if (file)
        Watch(fileno(file), AT_FDCWD, path, writing);
    return file;
}

FILE *fopen(const char *path, const char *how)
{
    REAL(FILE *, fopen, (const char *, const char *));
    return FOpen(path, how, real_fopen);
}

FILE *fopen64(const char *path, const char *how)
{
    REAL(FILE *, fopen64, (const char *, const char *));
    return FOpen(path, how, real_fopen64);
}

static int Temporary(char *pattern, int (*make)(char *, int, int), int flags, int suffix)
{
    if (PathPoint(kOpen, AT_FDCWD, pattern) != 0)
        return -1;
    const int fd = make(pattern, suffix, flags);
    Watch(fd, AT_FDCWD, pattern, 1);
    return fd;
}

static int MakeStemp(char *pattern, int suffix, int flags)
{
    (void)suffix;
    (void)flags;
    REAL(int, mkstemp, (char *));
    return real_mkstemp(pattern);
}

static int MakeOstemp(char *pattern, int suffix, int flags)
{
    (void)suffix;
    REAL(int, mkostemp, (char *, int));
    return real_mkostemp(pattern, flags);
}

static int MakeStemps(char *pattern, int suffix, int flags)
{
    (void)flags;
    REAL(int, mkstemps, (char *, int));
    return real_mkstemps(pattern, suffix);
}

static int MakeOstemps(char *pattern, int suffix, int flags)
{
    REAL(int, mkostemps, (char *, int, int));
    return real_mkostemps(pattern, suffix, flags);
}

int mkstemp(char *pattern) { return Temporary(pattern, MakeStemp, 0, 0); }
int mkstemp64(char *pattern) { return Temporary(pattern, MakeStemp, 0, 0); }
int mkostemp(char *pattern, int flags) { return Temporary(pattern, MakeOstemp, flags, 0); }
int mkostemp64(char *pattern, int flags) { return Temporary(pattern, MakeOstemp, flags, 0); }
int mkstemps(char *pattern, int suffix) { return Temporary(pattern, MakeStemps, 0, suffix); }
int mkstemps64(char *pattern, int suffix) { return Temporary(pattern, MakeStemps, 0, suffix); }
int mkostemps(char *pattern, int suffix, int flags) { return Temporary(pattern, MakeOstemps, flags, suffix); }
int mkostemps64(char *pattern, int suffix, int flags) { return Temporary(pattern, MakeOstemps, flags, suffix); }

int close(int fd)
{
    if (fd >= 0 && fd < kWatched)
        Watched[fd] = 0;
    REAL(int, close, (int));
    return real_close(fd);
}

int fclose(FILE *file)
{
    if (file) {
        const int fd = fileno(file);
        if (fd >= 0 && fd < kWatched)
            Watched[fd] = 0;
    }
    REAL(int, fclose, (FILE *));
    return real_fclose(file);
}

ssize_t write(int fd, const void *buffer, size_t size)
{
    if (FdPoint(kWrite, fd) != 0)
        return -1;
    REAL(ssize_t, write, (int, const void *, size_t));
    return real_write(fd, buffer, size);
}

ssize_t pwrite(int fd, const void *buffer, size_t size, off_t offset)
{
    if (FdPoint(kWrite, fd) != 0)
        return -1;
    REAL(ssize_t, pwrite, (int, const void *, size_t, off_t));
    return real_pwrite(fd, buffer, size, offset);
}

ssize_t pwrite64(int fd, const void *buffer, size_t size, off_t offset)
{
    if (FdPoint(kWrite, fd) != 0)
        return -1;
    REAL(ssize_t, pwrite64, (int, const void *, size_t, off_t));
    return real_pwrite64(fd, buffer, size, offset);
}

ssize_t writev(int fd, const struct iovec *vector, int count)
{
    if (FdPoint(kWrite, fd) != 0)
        return -1;
    REAL(ssize_t, writev, (int, const struct iovec *, int));
    return real_writev(fd, vector, count);
}

ssize_t copy_file_range(int in, off_t *inOffset, int out, off_t *outOffset, size_t size, unsigned flags)
{
    if (FdPoint(kWrite, out) != 0)
        return -1;
    REAL(ssize_t, copy_file_range, (int, off_t *, int, off_t *, size_t, unsigned));
    return real_copy_file_range(in, inOffset, out, outOffset, size, flags);
}

ssize_t sendfile(int out, int in, off_t *offset, size_t size)
{
    if (FdPoint(kWrite, out) != 0)
        return -1;
    REAL(ssize_t, sendfile, (int, int, off_t *, size_t));
    return real_sendfile(out, in, offset, size);
}

ssize_t sendfile64(int out, int in, off_t *offset, size_t size)
{
    if (FdPoint(kWrite, out) != 0)
        return -1;
    REAL(ssize_t, sendfile64, (int, int, off_t *, size_t));
    return real_sendfile64(out, in, offset, size);
}

int ftruncate(int fd, off_t length)
{
    if (FdPoint(kTruncate, fd) != 0)
        return -1;
    REAL(int, ftruncate, (int, off_t));
    return real_ftruncate(fd, length);
}

int ftruncate64(int fd, off_t length)
{
    if (FdPoint(kTruncate, fd) != 0)
        return -1;
    REAL(int, ftruncate64, (int, off_t));
    return real_ftruncate64(fd, length);
}

int truncate(const char *path, off_t length)
{
    if (PathPoint(kTruncate, AT_FDCWD, path) != 0)
        return -1;
    REAL(int, truncate, (const char *, off_t));
    return real_truncate(path, length);
}

int fsync(int fd)
{
    if (FdPoint(kSync, fd) != 0)
        return -1;
    REAL(int, fsync, (int));
    return real_fsync(fd);
}

int fdatasync(int fd)
{
    if (FdPoint(kSync, fd) != 0)
        return -1;
    REAL(int, fdatasync, (int));
    return real_fdatasync(fd);
}

int rename(const char *from, const char *to)
{
    if (PathPoint(kRename, AT_FDCWD, from) != 0)
        return -1;
    REAL(int, rename, (const char *, const char *));
    return real_rename(from, to);
}

int renameat(int fromDir, const char *from, int toDir, const char *to)
{
    if (PathPoint(kRename, fromDir, from) != 0)
        return -1;
    REAL(int, renameat, (int, const char *, int, const char *));
    return real_renameat(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags)
{
    if (PathPoint(kRename, fromDir, from) != 0)
        return -1;
    REAL(int, renameat2, (int, const char *, int, const char *, unsigned));
    return real_renameat2(fromDir, from, toDir, to, flags);
}

int unlink(const char *path)
{
    if (PathPoint(kUnlink, AT_FDCWD, path) != 0)
        return -1;
    REAL(int, unlink, (const char *));
    return real_unlink(path);
}

int unlinkat(int dirfd, const char *path, int flags)
{
    if (PathPoint(flags & AT_REMOVEDIR ? kRmdir : kUnlink, dirfd, path) != 0)
        return -1;
    REAL(int, unlinkat, (int, const char *, int));
    return real_unlinkat(dirfd, path, flags);
}

int rmdir(const char *path)
{
    if (PathPoint(kRmdir, AT_FDCWD, path) != 0)
        return -1;
    REAL(int, rmdir, (const char *));
    return real_rmdir(path);
}

int remove(const char *path)
{
    struct stat info;
    const int folder = path && RealLstat(path, &info) == 0 && S_ISDIR(info.st_mode);
    if (PathPoint(folder ? kRmdir : kUnlink, AT_FDCWD, path) != 0)
        return -1;
    REAL(int, remove, (const char *));
    return real_remove(path);
}

int mkdir(const char *path, mode_t mode)
{
    if (PathPoint(kMkdir, AT_FDCWD, path) != 0)
        return -1;
    REAL(int, mkdir, (const char *, mode_t));
    return real_mkdir(path, mode);
}

int mkdirat(int dirfd, const char *path, mode_t mode)
{
    if (PathPoint(kMkdir, dirfd, path) != 0)
        return -1;
    REAL(int, mkdirat, (int, const char *, mode_t));
    return real_mkdirat(dirfd, path, mode);
}

int link(const char *from, const char *to)
{
    if (PathPoint(kLink, AT_FDCWD, to) != 0)
        return -1;
    REAL(int, link, (const char *, const char *));
    return real_link(from, to);
}

int linkat(int fromDir, const char *from, int toDir, const char *to, int flags)
{
    if (PathPoint(kLink, toDir, to) != 0)
        return -1;
    REAL(int, linkat, (int, const char *, int, const char *, int));
    return real_linkat(fromDir, from, toDir, to, flags);
}

int symlink(const char *target, const char *path)
{
    if (PathPoint(kLink, AT_FDCWD, path) != 0)
        return -1;
    REAL(int, symlink, (const char *, const char *));
    return real_symlink(target, path);
}

int symlinkat(const char *target, int dirfd, const char *path)
{
    if (PathPoint(kLink, dirfd, path) != 0)
        return -1;
    REAL(int, symlinkat, (const char *, int, const char *));
    return real_symlinkat(target, dirfd, path);
}
