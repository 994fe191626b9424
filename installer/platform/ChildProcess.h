#pragma once
// A console program started with its standard output and standard error on one
// pipe, the way the installer runs its child processes: start, wait for the end
// in short steps, read whatever the pipe holds in between.
#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace nvqb {

class TChildProcess {
public:
    TChildProcess();
    // A child that is still running when its owner goes (a run ended by an
    // exception) is killed and reaped.
    ~TChildProcess();
    TChildProcess(const TChildProcess &) = delete;
    TChildProcess &operator=(const TChildProcess &) = delete;

    // Starts a Windows-style command line (see SplitCommandLine) in the folder
    // (the current one when empty). A program without a folder part is looked
    // up in that folder only, never on PATH; a program named "x.exe" that
    // is not there runs the file "x" (see ResolveProgramFile). With
    // inputPipe the child reads its standard input from a pipe that is
    // closed at once (it sees the end of input), else it shares the
    // installer's. The child gets the installer's environment.
    // Returns 0 when started, -1 when the program cannot be started, -2 when
    // a pipe cannot be made.
    int Start(const QString &commandLine, const QString &folder, bool inputPipe);

    // Waits up to the given time for the child to end; true once it has.
    bool WaitForEnd(int milliseconds);
    // Exactly the bytes the pipe holds now (none when asking fails).
    QByteArray ReadAvailable();
    // The child's exit code once it has ended; 128 + the signal number for a
    // child ended by a signal.
    int ExitCode() const { return FExitCode; }

private:
    bool Reap(bool block);

    pid_t FPid = -1;
    int FPidFd = -1;
    int FOutput = -1;
    bool FEnded = false;
    int FExitCode = -1;
};

} // namespace nvqb
