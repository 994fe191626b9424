// The failure and kill sweeps of the setup program in CI: for each kind of
// run, a seeded choice of the points that stand for all (see FaultSweep.h),
// each failed and each killed. NVQB_FAULT_SWEEP_POINTS sets how many points
// per way (6 unless set), NVQB_FAULT_SWEEP_SEED which ones (1 unless set);
// bench/'s nvqb-installer-fault-sweep tries every point.
#include "FaultSweep.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <iostream>

using namespace nvqb;
using namespace nvqb::test;

namespace {

int PointsPerWay()
{
    bool ok = false;
    const int count = qEnvironmentVariableIntValue("NVQB_FAULT_SWEEP_POINTS", &ok);
    return ok && count > 0 ? count : 6;
}

quint32 Seed()
{
    bool ok = false;
    const int seed = qEnvironmentVariableIntValue("NVQB_FAULT_SWEEP_SEED", &ok);
    return ok ? quint32(seed) : 1u;
}

void Sweep(TSweepKind kind)
{
    TFaultSweep sweep(kind);
    ASSERT_TRUE(sweep.Problem().isEmpty()) << sweep.Problem().toStdString();
    const std::vector<quint64> points = ChoosePoints(sweep.RepresentativePoints(), PointsPerWay(), Seed());
    for (const TFaultPlan::TMode mode : {TFaultPlan::Fail, TFaultPlan::Kill}) {
        int reported = 0;
        int honest = 0;
        int repaired = 0;
        int untouched = 0;
        QStringList tried;
        for (const quint64 point : points) {
            const TPointOutcome outcome = sweep.Try(point, mode);
            EXPECT_TRUE(outcome.Problems.isEmpty()) << outcome.Problems.join(QLatin1Char('\n')).toStdString();
            reported += int(mode == TFaultPlan::Kill ? outcome.Killed : outcome.ReportedFailure);
            honest += int(outcome.HonestSuccess);
            repaired += int(outcome.Repaired);
            untouched += int(outcome.Untouched);
            tried += QString::number(point);
        }
        std::cout << SweepKindName(kind) << (mode == TFaultPlan::Kill ? ", killed" : ", failed") << " at points "
                  << tried.join(QLatin1Char(',')).toStdString() << " of " << sweep.Points().size() << " (seed " << Seed()
                  << "): " << (mode == TFaultPlan::Kill ? "killed " : "failure reported ") << reported
                  << ", success that was one " << honest << ", finished by the next run " << repaired
                  << ", other programs' files untouched " << untouched << std::endl;
    }
}

} // namespace

TEST(FaultSweep, AnInstallFailedOrKilledAtAFileChangeIsFinishedByTheNextRun)
{
    Sweep(TSweepKind::Install);
}

TEST(FaultSweep, AnUpdateFailedOrKilledAtAFileChangeIsFinishedByTheNextRun)
{
    Sweep(TSweepKind::Update);
}

TEST(FaultSweep, AnUninstallFailedOrKilledAtAFileChangeIsFinishedByTheNextRun)
{
    Sweep(TSweepKind::Uninstall);
}

TEST(FaultSweep, AnInstallKilledWhileItWritesAFileLeavesNoTemporaryCopyOnceFinished)
{
    TFaultSweep sweep(TSweepKind::Install);
    ASSERT_TRUE(sweep.Problem().isEmpty()) << sweep.Problem().toStdString();
    // The first write of the compiler's configuration, of a shortcut and of
    // the log: each made through a temporary file beside it.
    for (const char *file : {"/dcc32.cfg.", ".lnk.", "/setup.log."}) {
        const qsizetype at = sweep.Points().indexOf(QRegularExpression(
            QLatin1String("^write .*") + QRegularExpression::escape(QLatin1String(file)) + QLatin1String("[A-Za-z0-9]{6}$")));
        ASSERT_GE(at, 0) << file;
        const TPointOutcome outcome = sweep.Try(quint64(at + 1), TFaultPlan::Kill);
        EXPECT_TRUE(outcome.Killed) << file;
        EXPECT_TRUE(outcome.Problems.isEmpty()) << outcome.Problems.join(QLatin1Char('\n')).toStdString();
    }
}
