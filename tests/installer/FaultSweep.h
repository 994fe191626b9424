#pragma once
// Failure and kill sweeps over every file change of an install, an update and
// an uninstall run of the setup program. One run of the kind, untouched,
// counts its points (the file operations below the test's folder, see
// faults/FaultInjection.c) and leaves the expected machine; then, for a point,
// the machine is put back as it was before the run and the run made again
// with that point failed (or killed just before it), followed by the run a
// user would make next. Checked every time:
//   - a run whose point failed does not report success, unless it did all
//     that the untouched run did;
//   - the next run finishes the job: it reports success and leaves the
//     machine as the untouched run left it;
//   - other programs' files beside the product, in the IDE's folders, in a
//     folder named like the product's and in the system folders stay byte
//     for byte (and their times) as they were.
#include "FaultRuns.h"
#include "TestDistribution.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace nvqb::test {

enum class TSweepKind { Install, Update, Uninstall };

const char *SweepKindName(TSweepKind kind);

struct TPointOutcome {
    quint64 Point = 0;
    // The fault that was made ("<number> <kind> <path>"); empty when the run
    // did not get to the point.
    QString Fault;
    // Fail mode: the run said it failed. Kill mode: the run was killed.
    bool ReportedFailure = false;
    bool Killed = false;
    // The run reported success and had done everything.
    bool HonestSuccess = false;
    // The next run reported success and left the expected machine.
    bool Repaired = false;
    // The other programs' files stayed as they were through both runs.
    bool Untouched = true;
    // What was wrong, one line each; empty when the point passed.
    QStringList Problems;
};

class TFaultSweep {
public:
    // Builds the machine (Delphi 7, with withDelphi2007 a Delphi 2007 too,
    // whose paths the IDE keeps in its EnvOptions.proj; a distribution with
    // sources and provider packages; for an update or an uninstall with the
    // product installed), keeps a copy of it and makes the untouched run.
    explicit TFaultSweep(TSweepKind kind, bool withDelphi2007 = false);
    ~TFaultSweep();
    TFaultSweep(const TFaultSweep &) = delete;
    TFaultSweep &operator=(const TFaultSweep &) = delete;

    TSweepKind Kind() const { return FKind; }
    // The untouched run's points, each as "<kind> <path>", in order (the
    // first is point 1); empty when the untouched run failed (Problem says
    // why).
    const QStringList &Points() const { return FPoints; }
    const QString &Problem() const { return FProblem; }
    // The points that stand for all: the first and the last of each run of
    // points of one kind on one path (a file written block by block).
    std::vector<quint64> RepresentativePoints() const;

    TPointOutcome Try(quint64 point, TFaultPlan::TMode mode);

private:
    void Restore();
    QMap<QString, QByteArray> Snapshot() const;
    TFaultRun RunKind(const TFaultPlan &plan) const;
    // The run a user makes after the one that failed or was killed.
    TFaultRun RunNext() const;

    TSweepKind FKind;
    std::unique_ptr<TTestMachine> FMachine;
    std::unique_ptr<TTestDistribution> FDistribution;
    QString FRoot;
    QString FInstallDir;
    QTemporaryDir FSaved;
    TSentinels FSentinels;
    QMap<QString, QByteArray> FExpected;
    QStringList FPoints;
    QString FProblem;
};

// A choice of count points out of the candidates, spread over them, from the seed.
std::vector<quint64> ChoosePoints(const std::vector<quint64> &candidates, int count, quint32 seed);

} // namespace nvqb::test
