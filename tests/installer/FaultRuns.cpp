#include "FaultRuns.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdint>
#include <unistd.h>

namespace nvqb::test {

namespace {

// Laid out as the library keeps it in its state file.
struct TSharedState {
    std::uint64_t Points;
    std::uint64_t Made;
    char What[1024];
};

QStringList Prefixed(const QStringList &lines, const QString &prefix)
{
    QStringList result;
    for (const QString &line : lines)
        if (line.startsWith(prefix))
            result += line.mid(prefix.size());
    return result;
}

} // namespace

QString TFaultRun::Finish() const
{
    return Prefixed(Output, QStringLiteral("finish: ")).value(0);
}

QStringList TFaultRun::Log() const
{
    return Prefixed(Output, QStringLiteral("log: "));
}

namespace {

// The variables that set the library up for the plan, with the state in stateFile.
QList<std::pair<QString, QString>> FaultVariables(const QString &root, const TFaultPlan &plan, const QString &stateFile)
{
    const QString preload = qEnvironmentVariable("LD_PRELOAD");
    const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
    QList<std::pair<QString, QString>> variables{
        {QStringLiteral("LD_PRELOAD"),
         QStringLiteral(NVQB_FAULT_LIBRARY) + (preload.isEmpty() ? QString() : QLatin1Char(' ') + preload)},
        // In the sanitizer build the library comes before the sanitizers' run-time.
        {QStringLiteral("ASAN_OPTIONS"),
         (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) + QLatin1String("verify_asan_link_order=0")},
        {QStringLiteral("NVQB_FAULT_ROOT"), root},
        {QStringLiteral("NVQB_FAULT_STATE"), stateFile},
        {QStringLiteral("NVQB_FAULT_MODE"), plan.Mode == TFaultPlan::Fail   ? QStringLiteral("fail")
                                            : plan.Mode == TFaultPlan::Kill ? QStringLiteral("kill")
                                                                            : QStringLiteral("count")},
        {QStringLiteral("NVQB_FAULT_AT"), QString::number(plan.At)},
        {QStringLiteral("NVQB_FAULT_PATH"), plan.FailPaths},
        {QStringLiteral("NVQB_FAULT_OPS"), plan.Kinds},
        {QStringLiteral("NVQB_FAULT_REPLACE"), plan.ReplacePaths},
        {QStringLiteral("NVQB_FAULT_TRACE"), plan.Trace},
    };
    return variables;
}

struct TFaultState {
    quint64 Points = 0;
    quint64 Faults = 0;
    QString Fault;
};

TFaultState ReadState(const QString &stateFile)
{
    TFaultState result;
    QFile state(stateFile);
    TSharedState values{};
    if (state.open(QIODevice::ReadOnly) && state.read(reinterpret_cast<char *>(&values), sizeof values) == sizeof values) {
        result.Points = values.Points;
        result.Faults = values.Made;
        result.Fault = QString::fromLocal8Bit(values.What, qsizetype(qstrnlen(values.What, sizeof values.What)));
    }
    return result;
}

} // namespace

TScopedFaults::TScopedFaults(const QString &root, const TFaultPlan &plan)
{
    for (const auto &[name, value] : FaultVariables(root, plan, FStateFolder.filePath(QStringLiteral("state")))) {
        const QByteArray variable = name.toLatin1();
        FOld.emplace_back(variable, qEnvironmentVariableIsSet(variable.constData())
                                        ? std::optional<QByteArray>(qgetenv(variable.constData()))
                                        : std::nullopt);
        if (value.isEmpty())
            qunsetenv(variable.constData());
        else
            qputenv(variable.constData(), value.toLocal8Bit());
    }
}

TScopedFaults::~TScopedFaults()
{
    for (const auto &[name, value] : FOld) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

quint64 TScopedFaults::Points() const
{
    return ReadState(FStateFolder.filePath(QStringLiteral("state"))).Points;
}

quint64 TScopedFaults::Faults() const
{
    return ReadState(FStateFolder.filePath(QStringLiteral("state"))).Faults;
}

QString TScopedFaults::Fault() const
{
    return ReadState(FStateFolder.filePath(QStringLiteral("state"))).Fault;
}

TFaultRun RunUnderFaults(const QString &program, const QStringList &arguments, const QString &folder,
                         const QString &root, const TFaultPlan &plan)
{
    TFaultRun run;
    QTemporaryDir stateFolder;
    const QString stateFile = stateFolder.filePath(QStringLiteral("state"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : FaultVariables(root, plan, stateFile)) {
        if (value.isEmpty())
            environment.remove(name);
        else
            environment.insert(name, value);
    }
    // The kill takes the run's whole process group.
    environment.insert(QStringLiteral("NVQB_FAULT_KILL_GROUP"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A group of its own, so that a kill takes the programs it started too,
    // and nothing of the test.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(program, arguments);
    if (!process.waitForStarted(60000)) {
        run.Output += QLatin1String("cannot start ") + program + QLatin1String(": ") + process.errorString();
        return run;
    }
    const qint64 group = process.processId();
    QByteArray output;
    QDeadlineTimer deadline(300000);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        process.waitForFinished(100);
        output += process.readAll();
    }
    if (process.state() != QProcess::NotRunning) {
        ::kill(-pid_t(group), SIGKILL);
        process.waitForFinished(60000);
        run.Output += QStringLiteral("the run did not end and was killed");
    }
    output += process.readAll();
    if (process.exitStatus() != QProcess::NormalExit)
        ::kill(-pid_t(group), SIGKILL); // what a killed run may have left of its group
    for (const QByteArray &line : output.split('\n'))
        if (!line.isEmpty())
            run.Output += QString::fromLocal8Bit(line);
    if (process.exitStatus() == QProcess::NormalExit)
        run.ExitCode = process.exitCode();
    else
        run.Killed = true;

    const TFaultState state = ReadState(stateFile);
    run.Points = state.Points;
    run.Faults = state.Faults;
    run.Fault = state.Fault;
    return run;
}

TFaultRun RunSetupRobot(const QString &programFolder, const QString &action, const QString &root,
                        const TFaultPlan &plan)
{
    return RunUnderFaults(QStringLiteral(NVQB_SETUP_ROBOT), {programFolder, action}, programFolder, root, plan);
}

} // namespace nvqb::test
