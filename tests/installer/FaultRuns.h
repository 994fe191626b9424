#pragma once
// Programs of the installer run under the fault-injection library (see
// faults/FaultInjection.c): the setup program through its robot user (see
// robot/SetupRobot.cpp) and the unarchiver, with the file operations below a
// folder counted, one of them failed or the run killed just before it, or
// every operation on some paths failed, or some files replaced by another
// program whenever the run looks at them.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <utility>
#include <vector>

namespace nvqb::test {

struct TFaultPlan {
    enum TMode { Count, Fail, Kill };
    TMode Mode = Count;
    // The point (from 1) that fails, or before which the run is killed.
    quint64 At = 0;
    // Instead of a point: every operation on a path matching this pattern
    // (fnmatch) fails.
    QString FailPaths;
    // The kinds of operation that count ("unlink,rmdir"); all when empty.
    QString Kinds;
    // Files (patterns as FailPaths, separated by ":") that another program
    // replaces each time the run looks at them: their status asked by name
    // comes while they are replaced, their opens for reading just before.
    QString ReplacePaths;
    // A file that lists every point counted (number, kind, path).
    QString Trace;
};

struct TFaultRun {
    // The exit code; -1 when the program did not end by itself (killed).
    int ExitCode = -1;
    bool Killed = false;
    // Standard output and error, line by line.
    QStringList Output;
    // The points counted, the faults made, and the first fault: "<number>
    // <kind> <path>".
    quint64 Points = 0;
    quint64 Faults = 0;
    QString Fault;

    // What the robot saw: the finish page's text ("finish: ") and the
    // run's log ("log: ").
    QString Finish() const;
    QStringList Log() const;
};

// The plan for the programs this process starts while the object lives
// (the unarchiver and the IDE's tools of a run made in the test's own
// process); the points are the file operations below root.
class TScopedFaults {
public:
    TScopedFaults(const QString &root, const TFaultPlan &plan);
    ~TScopedFaults();
    TScopedFaults(const TScopedFaults &) = delete;
    TScopedFaults &operator=(const TScopedFaults &) = delete;

    // As in TFaultRun, for every program started so far.
    quint64 Points() const;
    quint64 Faults() const;
    QString Fault() const;

private:
    QTemporaryDir FStateFolder;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> FOld;
};

// Runs the program with the arguments in the folder under the plan; the
// points are the file operations below root. A run that is not over in
// minutes is killed and reported as such.
TFaultRun RunUnderFaults(const QString &program, const QStringList &arguments, const QString &folder,
                         const QString &root, const TFaultPlan &plan);

// The setup program from programFolder with the robot user doing action
// ("install" or "uninstall"); exit codes as robot/SetupRobot.cpp tells.
TFaultRun RunSetupRobot(const QString &programFolder, const QString &action, const QString &root,
                        const TFaultPlan &plan = TFaultPlan());

} // namespace nvqb::test
