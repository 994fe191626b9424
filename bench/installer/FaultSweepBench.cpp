// The failure and kill sweeps of the setup program over every point (the
// installer tests run a seeded choice of them): every file change of an
// install, an update and an uninstall run is failed once and, in another
// run, killed just before it; after each the next run must finish the job
// and other programs' files must stay untouched (see
// tests/installer/FaultSweep.h).
//
//   nvqb-installer-fault-sweep [--kind install|update|uninstall|all]
//                              [--mode fail|kill|both]
//                              [--points all|representatives|N] [--seed S]
//                              [--jobs J] [--show N] [--with-delphi2007]
//
// --points: every point (the default), the points that stand for all (the
// first and last of each run of writes into one file), or a seeded choice of
// N of those. --jobs runs that many sweeps at once, each in a process of its
// own with a machine of its own (3 unless given). Prints one line of figures
// per kind and way and the first --show problems (10 unless given); exits
// with 1 when there was any. --with-delphi2007 adds a Delphi 2007 to the
// machine, whose paths the installer writes into the IDE's EnvOptions.proj.
#include "../BenchCommandLine.h"
#include "installer/FaultSweep.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTextStream>

#include <cstdio>
#include <deque>
#include <memory>
#include <vector>

using namespace nvqb;
using namespace nvqb::test;

namespace {

struct TOptions {
    QStringList Kinds{QStringLiteral("install"), QStringLiteral("update"), QStringLiteral("uninstall")};
    QStringList Modes{QStringLiteral("fail"), QStringLiteral("kill")};
    QString Points = QStringLiteral("all");
    quint32 Seed = 1;
    int Jobs = 3;
    int Show = 10;
    bool WithDelphi2007 = false;
    // A worker: the slice of the points it tries ("K/J").
    int Slice = -1;
    int Slices = 1;
};

TSweepKind KindOf(const QString &name)
{
    return name == QLatin1String("update")      ? TSweepKind::Update
        : name == QLatin1String("uninstall") ? TSweepKind::Uninstall
                                             : TSweepKind::Install;
}

QString OneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String(" | "));
}

// A worker: one kind, its slice of the points, every way asked for; one
// line per point and per problem.
int Work(const TOptions &options)
{
    QTextStream out(stdout);
    TFaultSweep sweep(KindOf(options.Kinds.value(0)), options.WithDelphi2007);
    if (!sweep.Problem().isEmpty()) {
        out << "problem " << OneLine(sweep.Problem()) << "\n";
        return 1;
    }
    std::vector<quint64> points;
    if (options.Points == QLatin1String("all")) {
        for (qsizetype k = 1; k <= sweep.Points().size(); ++k)
            points.push_back(quint64(k));
    } else {
        points = sweep.RepresentativePoints();
        if (options.Points != QLatin1String("representatives"))
            points = ChoosePoints(points, options.Points.toInt(), options.Seed);
    }
    out << "points " << sweep.Points().size() << " " << sweep.RepresentativePoints().size() << " " << points.size()
        << "\n";
    out.flush();
    for (size_t k = 0; k < points.size(); ++k) {
        if (int(k % size_t(options.Slices)) != options.Slice)
            continue;
        for (const QString &mode : options.Modes) {
            const TPointOutcome outcome =
                sweep.Try(points[k], mode == QLatin1String("kill") ? TFaultPlan::Kill : TFaultPlan::Fail);
            out << "point " << mode << " " << outcome.Point << " " << int(!outcome.Fault.isEmpty()) << " "
                << int(mode == QLatin1String("kill") ? outcome.Killed : outcome.ReportedFailure) << " "
                << int(outcome.HonestSuccess) << " " << int(outcome.Repaired) << " " << int(outcome.Untouched) << " "
                << outcome.Problems.size() << "\n";
            for (const QString &problem : outcome.Problems)
                out << "problem " << OneLine(problem) << "\n";
            out.flush();
        }
    }
    return 0;
}

struct TFigures {
    int Points = 0;
    int Representatives = 0;
    int Tried = 0;
    int Made = 0;
    int Reported = 0;
    int Honest = 0;
    int Repaired = 0;
    int Untouched = 0;
    int WithProblems = 0;
};

} // namespace

int main(int argc, char **argv)
{
    TOptions options;
    nvqb::bench::TCommandLine line(argc, argv, "nvqb-installer-fault-sweep",
                                   "[--kind install|update|uninstall|all] [--mode fail|kill|both] "
                                   "[--points all|representatives|N] [--seed S] [--jobs J] [--show N] "
                                   "[--with-delphi2007]\n");
    while (line.Next()) {
        if (line.Is("--with-delphi2007")) {
            options.WithDelphi2007 = true;
        } else if (line.Is("--kind")) {
            const QString value = QString::fromLocal8Bit(line.Value());
            if (value != QLatin1String("all") && value != QLatin1String("install") && value != QLatin1String("update")
                && value != QLatin1String("uninstall"))
                line.Refuse("Unknown kind '" + value.toStdString() + "'.");
            if (value != QLatin1String("all"))
                options.Kinds = QStringList{value};
        } else if (line.Is("--mode")) {
            const QString value = QString::fromLocal8Bit(line.Value());
            if (value != QLatin1String("both") && value != QLatin1String("fail") && value != QLatin1String("kill"))
                line.Refuse("Unknown mode '" + value.toStdString() + "'.");
            if (value != QLatin1String("both"))
                options.Modes = QStringList{value};
        } else if (line.Is("--points")) {
            options.Points = QString::fromLocal8Bit(line.Value());
            bool number = false;
            options.Points.toInt(&number);
            if (options.Points != QLatin1String("all") && options.Points != QLatin1String("representatives") && !number)
                line.Refuse("'--points' needs all, representatives or a number, not '" + options.Points.toStdString()
                            + "'.");
        } else if (line.Is("--seed")) {
            options.Seed = quint32(line.Number(0, UINT32_MAX));
        } else if (line.Is("--jobs")) {
            options.Jobs = int(line.Number(1, 64));
        } else if (line.Is("--show")) {
            options.Show = int(line.Number(0, INT_MAX));
        } else if (line.Is("--slice")) {
            // Given by the parent to its workers: "K/J".
            const QString value = QString::fromLocal8Bit(line.Value());
            bool sliceOk = false, slicesOk = false;
            options.Slice = value.section(QLatin1Char('/'), 0, 0).toInt(&sliceOk);
            options.Slices = value.section(QLatin1Char('/'), 1, 1).toInt(&slicesOk);
            if (!sliceOk || !slicesOk || options.Slices < 1 || options.Slice < 0 || options.Slice >= options.Slices)
                line.Refuse("'--slice' needs K/J, not '" + value.toStdString() + "'.");
        } else {
            line.Unexpected();
        }
    }
    QCoreApplication app(argc, argv);
    if (options.Slice >= 0)
        return Work(options);

    // The parent: options.Jobs workers at a time, each kind cut into as many
    // slices.
    struct TTask {
        QString Kind;
        int Slice;
    };
    std::deque<TTask> tasks;
    for (const QString &kind : options.Kinds)
        for (int slice = 0; slice < options.Jobs; ++slice)
            tasks.push_back({kind, slice});
    QMap<QString, TFigures> figures;
    QStringList problems;
    QElapsedTimer clock;
    clock.start();
    std::vector<std::pair<TTask, std::unique_ptr<QProcess>>> running;
    const auto read = [&](const TTask &task, QProcess &process) {
        while (process.canReadLine()) {
            const QString line = QString::fromLocal8Bit(process.readLine()).trimmed();
            const QStringList words = line.split(QLatin1Char(' '));
            if (words.value(0) == QLatin1String("points") && task.Slice == 0) {
                for (const QString &mode : options.Modes) {
                    TFigures &f = figures[task.Kind + QLatin1Char(' ') + mode];
                    f.Points = words.value(1).toInt();
                    f.Representatives = words.value(2).toInt();
                }
            } else if (words.value(0) == QLatin1String("point") && words.size() >= 9) {
                TFigures &f = figures[task.Kind + QLatin1Char(' ') + words[1]];
                ++f.Tried;
                f.Made += words[3].toInt();
                f.Reported += words[4].toInt();
                f.Honest += words[5].toInt();
                f.Repaired += words[6].toInt();
                f.Untouched += words[7].toInt();
                f.WithProblems += int(words[8].toInt() > 0);
            } else if (words.value(0) == QLatin1String("problem")) {
                problems += line.mid(8);
            }
        }
    };
    while (!tasks.empty() || !running.empty()) {
        while (!tasks.empty() && int(running.size()) < options.Jobs) {
            const TTask task = tasks.front();
            tasks.pop_front();
            auto process = std::make_unique<QProcess>();
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QStringList workerArguments{QStringLiteral("--kind"),   task.Kind,
                                        QStringLiteral("--mode"),   options.Modes.size() == 2 ? QStringLiteral("both")
                                                                                              : options.Modes.first(),
                                        QStringLiteral("--points"), options.Points,
                                        QStringLiteral("--seed"),   QString::number(options.Seed),
                                        QStringLiteral("--slice"),  QStringLiteral("%1/%2").arg(task.Slice).arg(options.Jobs)};
            if (options.WithDelphi2007)
                workerArguments += QStringLiteral("--with-delphi2007");
            process->start(QCoreApplication::applicationFilePath(), workerArguments);
            running.emplace_back(task, std::move(process));
        }
        for (auto it = running.begin(); it != running.end();) {
            it->second->waitForReadyRead(50);
            read(it->first, *it->second);
            if (it->second->state() == QProcess::NotRunning) {
                it->second->waitForFinished();
                read(it->first, *it->second);
                if (it->second->exitStatus() != QProcess::NormalExit || it->second->exitCode() != 0)
                    problems += QStringLiteral("the %1 worker %2 ended with %3")
                                    .arg(it->first.Kind)
                                    .arg(it->first.Slice)
                                    .arg(it->second->exitCode());
                it = running.erase(it);
            } else {
                ++it;
            }
        }
    }

    QTextStream out(stdout);
    out << "kind      way   points  standing for all  tried  faults made  failure reported  success that was one"
           "  finished by the next run  others' files untouched  with problems\n";
    for (auto it = figures.cbegin(); it != figures.cend(); ++it) {
        const TFigures &f = it.value();
        const QString kind = it.key().section(QLatin1Char(' '), 0, 0);
        const QString way = it.key().section(QLatin1Char(' '), 1, 1);
        out << kind.leftJustified(10) << way.leftJustified(6) << QString::number(f.Points).rightJustified(6)
            << QString::number(f.Representatives).rightJustified(18) << QString::number(f.Tried).rightJustified(7)
            << QString::number(f.Made).rightJustified(13)
            << QString::number(f.Reported).rightJustified(18) << (way == QLatin1String("kill") ? " (killed)" : "         ")
            << QString::number(f.Honest).rightJustified(13) << QString::number(f.Repaired).rightJustified(26)
            << QString::number(f.Untouched).rightJustified(25) << QString::number(f.WithProblems).rightJustified(15)
            << "\n";
    }
    out << "seconds: " << clock.elapsed() / 1000 << "\n";
    for (qsizetype k = 0; k < problems.size() && k < options.Show; ++k)
        out << problems[k] << "\n";
    if (problems.size() > options.Show)
        out << "... and " << problems.size() - options.Show << " more problems\n";
    return problems.isEmpty() ? 0 : 1;
}
