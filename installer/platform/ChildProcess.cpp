#include "installer/platform/ChildProcess.h"
#include "installer/platform/CommandLine.h"
#include "installer/platform/FileNames.h"

#include <QDir>
#include <QFile>

#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace nvqb {

namespace {

void CloseHandle(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// A pipe whose ends are not inherited by other children and do not sit on the
// standard handles' numbers (dup2 onto itself would keep close-on-exec).
bool MakePipe(int fds[2])
{
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    for (int k = 0; k < 2; ++k)
        if (fds[k] <= 2) {
            const int moved = ::fcntl(fds[k], F_DUPFD_CLOEXEC, 3);
            ::close(fds[k]);
            fds[k] = moved;
        }
    if (fds[0] < 0 || fds[1] < 0) {
        CloseHandle(fds[0]);
        CloseHandle(fds[1]);
        return false;
    }
    return true;
}

} // namespace

TChildProcess::TChildProcess() = default;

TChildProcess::~TChildProcess()
{
    if (FPid > 0 && !FEnded) {
        ::kill(FPid, SIGKILL);
        Reap(true);
    }
    CloseHandle(FPidFd);
    CloseHandle(FOutput);
}

int TChildProcess::Start(const QString &commandLine, const QString &folder, bool inputPipe)
{
    const QStringList words = SplitCommandLine(commandLine);
    if (words.isEmpty() || words.first().isEmpty() || FPid > 0)
        return -1;
    QString program = words.first();
    if (!program.startsWith(QLatin1Char('/')))
        program = QDir(folder.isEmpty() ? QDir::currentPath() : folder).absoluteFilePath(program);
    program = ResolveProgramFile(program);

    int output[2] = {-1, -1};
    if (!MakePipe(output))
        return -2;
    int input[2] = {-1, -1};
    if (inputPipe && !MakePipe(input)) {
        CloseHandle(output[0]);
        CloseHandle(output[1]);
        return -2;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
    if (inputPipe)
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    const QByteArray folderName = QFile::encodeName(folder);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folderName.constData());

    // The child starts with default signal handling and nothing blocked,
    // whatever this process has set up for itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGXFSZ);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<QByteArray> arguments;
    arguments.reserve(size_t(words.size()));
    arguments.push_back(QFile::encodeName(program));
    for (qsizetype k = 1; k < words.size(); ++k)
        arguments.push_back(words[k].toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);

    CloseHandle(output[1]);
    CloseHandle(input[0]);
    CloseHandle(input[1]);
    if (failed != 0) {
        CloseHandle(output[0]);
        return -1;
    }
    FPid = pid;
    FOutput = output[0];
    FPidFd = int(::syscall(SYS_pidfd_open, pid, 0));
    return 0;
}

bool TChildProcess::Reap(bool block)
{
    if (FEnded)
        return true;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(FPid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0)
        return false;
    FEnded = true;
    if (result < 0)
        FExitCode = 255; // reaped elsewhere: the code is lost, count it as a failure
    else if (WIFEXITED(status))
        FExitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        FExitCode = 128 + WTERMSIG(status);
    else
        FExitCode = 255;
    return true;
}

bool TChildProcess::WaitForEnd(int milliseconds)
{
    if (FPid <= 0 || FEnded)
        return true;
    if (FPidFd >= 0) {
        pollfd wait{FPidFd, POLLIN, 0};
        while (::poll(&wait, 1, milliseconds) < 0 && errno == EINTR) {
        }
        return Reap(false);
    }
    // Kernels without process handles: look in 1 ms steps.
    for (int waited = 0;; ++waited) {
        if (Reap(false))
            return true;
        if (waited >= milliseconds)
            return false;
        const timespec step{0, 1000000};
        ::nanosleep(&step, nullptr);
    }
}

QByteArray TChildProcess::ReadAvailable()
{
    if (FOutput < 0)
        return QByteArray();
    int waiting = 0;
    if (::ioctl(FOutput, FIONREAD, &waiting) != 0 || waiting <= 0)
        return QByteArray();
    QByteArray bytes(waiting, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < waiting) {
        const ssize_t n = ::read(FOutput, bytes.data() + got, size_t(waiting - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

} // namespace nvqb
