#include "FaultSweep.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nvqb::test {

namespace {

// Copies a folder's tree: links as links, files with their times and
// permissions. Programs (the large files) are hard links to the originals:
// the runs replace them, never write into them.
bool CopyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString copy = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        const QByteArray source = QFile::encodeName(path);
        const QByteArray target = QFile::encodeName(copy);
        struct stat info {};
        if (::lstat(source.constData(), &info) != 0)
            return false;
        if (S_ISLNK(info.st_mode)) {
            char link[4096];
            const ssize_t length = ::readlink(source.constData(), link, sizeof link - 1);
            if (length < 0)
                return false;
            link[length] = 0;
            if (::symlink(link, target.constData()) != 0)
                return false;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            if (!QDir().mkpath(copy))
                return false;
            continue;
        }
        if (info.st_size > 1000000) {
            if (::link(source.constData(), target.constData()) != 0)
                return false;
            continue;
        }
        if (!QFile::copy(path, copy))
            return false;
        const timespec times[2] = {info.st_atim, info.st_mtim};
        if (::utimensat(AT_FDCWD, target.constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
    }
    return true;
}

QByteArray Sum(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

QString Tail(const QStringList &lines, int count)
{
    return lines.mid(qMax(0, int(lines.size()) - count)).join(QLatin1String("\n    "));
}

QStringList ErrorLines(const TFaultRun &run)
{
    QStringList errors;
    for (const QString &line : run.Log())
        if (line.startsWith(QLatin1String("Error")) || line.startsWith(QLatin1String("ERROR")))
            errors += line;
    for (const QString &line : run.Output)
        if (line.startsWith(QLatin1String("message: ")) || line.startsWith(QLatin1String("stuck: ")))
            errors += line;
    // An exception that ended the run is its log's last line.
    if (!run.Log().isEmpty() && !errors.contains(run.Log().last()))
        errors += run.Log().last();
    return errors;
}

// A Delphi 2007 (BDS 5) with the database components; its paths are in the
// user's EnvOptions.proj.
void AddDelphi2007(const TTestMachine &machine)
{
    const TRootKey HKCU = TRootKey::HKEY_CURRENT_USER;
    const QString root = machine.AddIDE(QStringLiteral("BDS"), QStringLiteral("5.0"), QStringLiteral("BDS5"),
                                        QStringLiteral("bds.exe"), QStringLiteral("Enterprise"));
    machine.InstallTool(root + QLatin1String("/Bin/dcc32.exe"));
    const QString user = QStringLiteral("\\SOFTWARE\\Borland\\BDS\\5.0");
    machine.SetString(HKCU, user + QLatin1String("\\Personalities"), QStringLiteral("Delphi.Win32"), QString());
    machine.SetString(HKCU, user + QLatin1String("\\Known Packages"), QStringLiteral("$(BDS)/Bin/dcldb100.bpl"),
                      QStringLiteral("Borland Database Components"));
    machine.SetString(HKCU, user + QLatin1String("\\Known Packages"), QStringLiteral("$(BDS)/Bin/dclado100.bpl"),
                      QStringLiteral("Borland ADO DB Components"));
    machine.WriteFile(QStringLiteral("Application Data/Borland/BDS/5.0/EnvOptions.proj"),
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
                      "  <PropertyGroup Condition=\"'$(Platform)'==''\">\n"
                      "    <Win32DCPOutput>$(BDSCOMMONDIR)/Dcp</Win32DCPOutput>\n"
                      "    <Win32DLLOutputPath>$(BDSCOMMONDIR)/Bpl</Win32DLLOutputPath>\n"
                      "    <Win32BrowsingPath>$(BDS)/source/Win32/vcl</Win32BrowsingPath>\n"
                      "    <Win32LibraryPath>$(BDS)/lib;$(BDSCOMMONDIR)/Dcp</Win32LibraryPath>\n"
                      "    <Win32DebugDCUPath>$(BDS)/lib/debug</Win32DebugDCUPath>\n"
                      "  </PropertyGroup>\n"
                      "</Project>\n");
}

} // namespace

const char *SweepKindName(TSweepKind kind)
{
    switch (kind) {
    case TSweepKind::Install:
        return "install";
    case TSweepKind::Update:
        return "update";
    case TSweepKind::Uninstall:
        return "uninstall";
    }
    return "?";
}

TFaultSweep::TFaultSweep(TSweepKind kind, bool withDelphi2007) : FKind(kind)
{
    FMachine = std::make_unique<TTestMachine>();
    const TTestMachine &machine = *FMachine;
    FRoot = QFileInfo(machine.Folder()).absolutePath();
    FInstallDir = machine.Path(QStringLiteral("Program Files/Tellwright/Norvane Query Builder"));
    AddWindows(machine);
    AddDelphi(machine, QStringLiteral("7.0"), QStringLiteral("Delphi7"), QStringLiteral("70"));
    if (withDelphi2007)
        AddDelphi2007(machine);
    // With the provider packages: the ADO provider is chosen for each IDE at
    // once, as its record chooses it for every later run.
    FDistribution = std::make_unique<TTestDistribution>(machine, true, true);
    std::vector<TArchiveEntry> files = ComponentFilesWithADO(QStringLiteral("Delphi7"));
    if (withDelphi2007) {
        for (const char *project : {"nvQueryBuilderD11.dpk", "nvQueryBuilderDsgnD11.dpk", "NvQueryBuilderADOD11.dpk",
                                    "NvQueryBuilderDsgnADOD11.dpk"})
            files.push_back(PackageProject(QStringLiteral("Delphi2007"), QLatin1String(project)));
    }
    FDistribution->WriteArchive(files);
    if (kind != TSweepKind::Install) {
        const TFaultRun install = RunSetupRobot(FDistribution->Folder(), QStringLiteral("install"), FRoot);
        if (install.ExitCode != 0) {
            FProblem = QLatin1String("the installation beforehand failed:\n    ") + Tail(install.Output, 20);
            return;
        }
    }
    if (kind == TSweepKind::Update) {
        // The next version changes a file, brings a new one and drops one.
        machine.WriteFile(FDistribution->Folder() + QLatin1String("/version"), "1.4.0\r\n");
        std::vector<TArchiveEntry> next;
        for (TArchiveEntry &entry : files) {
            if (entry.Path == QLatin1String("History.txt"))
                continue;
            if (entry.Path == QLatin1String("EULA.txt"))
                entry.Content = "licence of 1.4.0";
            next.push_back(entry);
        }
        next.push_back({QStringLiteral("Demos/New/Readme.txt"), "new in 1.4.0"});
        FDistribution->WriteArchive(next);
    }

    // Other programs' files: beside the product, in folders named like its
    // own, in the IDE's folders the run does not own, in the system folder,
    // the Start menu and the temporary folder.
    const QByteArray others = "another program's file";
    for (const char *file :
         {"Program Files/Tellwright/Norvane Query Builder 2/EULA.txt",
          "Program Files/Tellwright/Norvane Query Builder.old/Uninstall/version",
          "Program Files/Tellwright/Norvane Query Builder.old/Delphi7/nvQueryBuilderD7.bpl",
          "Program Files/Tellwright/Other Product/setup.log", "Program Files/Borland/Delphi7/Lib/SysUtils.dcu",
          "Program Files/Borland/Delphi7/Bin/dcldb70.bpl", "Program Files/Borland/Delphi7/Projects/Bpl/OtherD7.bpl",
          "Program Files/Borland/Delphi7/Include/Vcl/other.hpp", "Windows/System32/other.dll",
          "Windows/System32/nvQueryBuilderD7 copy.bpl", "Start Menu/Programs/Tellwright/Other Program.lnk",
          "Start Menu/Programs/Tellwright/Norvane Query Builder VCL Edition 2/Help.lnk", "Temp/other.tmp",
          "Documents/notes.txt"})
        FSentinels.Add(machine.Path(QLatin1String(file)), others);
    if (withDelphi2007) {
        for (const char *file : {"Program Files/Borland/BDS5/lib/SysUtils.dcu", "Common Documents/RAD Studio/5.0/Bpl/OtherD11.bpl",
                                 "Application Data/Borland/BDS/5.0/Other.proj"})
            FSentinels.Add(machine.Path(QLatin1String(file)), others);
    }
    if (!CopyTree(FRoot, FSaved.filePath(QStringLiteral("copy")))) {
        FProblem = QStringLiteral("cannot copy the machine");
        return;
    }

    TFaultPlan plan;
    plan.Trace = FSaved.filePath(QStringLiteral("points"));
    const TFaultRun untouched = RunKind(plan);
    if (untouched.ExitCode != 0) {
        FProblem = QLatin1String("the run without faults failed:\n    ") + Tail(untouched.Output, 20);
        return;
    }
    FExpected = Snapshot();
    if (!FSentinels.Touched().isEmpty()) {
        FProblem = QLatin1String("the run without faults changed other programs' files: ")
            + FSentinels.Touched().join(QLatin1String(", "));
        return;
    }
    QFile trace(plan.Trace);
    if (!trace.open(QIODevice::ReadOnly)) {
        FProblem = QStringLiteral("no points were counted");
        return;
    }
    for (const QByteArray &line : trace.readAll().split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space > 0)
            FPoints += QString::fromLocal8Bit(line.mid(space + 1)).replace(FRoot + QLatin1Char('/'), QString());
    }
}

TFaultSweep::~TFaultSweep() = default;

std::vector<quint64> TFaultSweep::RepresentativePoints() const
{
    std::vector<quint64> points;
    for (qsizetype k = 0; k < FPoints.size(); ++k) {
        const bool first = k == 0 || FPoints[k - 1] != FPoints[k];
        const bool last = k + 1 == FPoints.size() || FPoints[k + 1] != FPoints[k];
        if (first || last)
            points.push_back(quint64(k + 1));
    }
    return points;
}

void TFaultSweep::Restore()
{
    for (const char *folder : {"machine", "distribution"})
        QDir(FRoot + QLatin1Char('/') + QLatin1String(folder)).removeRecursively();
    CopyTree(FSaved.filePath(QStringLiteral("copy")), FRoot);
}

QMap<QString, QByteArray> TFaultSweep::Snapshot() const
{
    QMap<QString, QByteArray> snapshot = MachineSnapshot(*FMachine);
    // The log tells what happened; a run that had to finish another's job
    // tells more.
    const QString log = QDir(FMachine->Folder()).relativeFilePath(FInstallDir + QLatin1String("/setup.log"));
    if (snapshot.contains(log))
        snapshot[log] = "<the setup log>";
    // Where an uninstaller that cannot delete itself goes, as it should.
    snapshot.remove(QStringLiteral("Temp/setup.exe"));
    // What a writer left beside the registry's hives.
    for (const QString &name : QDir(FMachine->Path(QStringLiteral("registry"))).entryList(QDir::Files | QDir::Hidden))
        if (name != QLatin1String("HKLM.reg") && name != QLatin1String("HKCU.reg"))
            snapshot.insert(QLatin1String("registry/") + name, "<file>");
    QDirIterator it(FDistribution->Folder(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        snapshot.insert(QLatin1String("../distribution/") + QDir(FDistribution->Folder()).relativeFilePath(path),
                        it.fileInfo().isDir() ? QByteArray("<folder>") : Sum(path));
    }
    return snapshot;
}

TFaultRun TFaultSweep::RunKind(const TFaultPlan &plan) const
{
    if (FKind == TSweepKind::Uninstall)
        return RunSetupRobot(FInstallDir + QLatin1String("/Uninstall"), QStringLiteral("uninstall"), FRoot, plan);
    return RunSetupRobot(FDistribution->Folder(), QStringLiteral("install"), FRoot, plan);
}

TFaultRun TFaultSweep::RunNext() const
{
    if (FKind != TSweepKind::Uninstall)
        return RunSetupRobot(FDistribution->Folder(), QStringLiteral("install"), FRoot);
    // From the installed uninstaller while it is there (the system's list of
    // programs names it), else from the distribution.
    const QString installed = FInstallDir + QLatin1String("/Uninstall");
    const bool fromInstallFolder = QFileInfo(installed + QLatin1String("/setup.exe")).isFile();
    return RunSetupRobot(fromInstallFolder ? installed : FDistribution->Folder(), QStringLiteral("uninstall"), FRoot);
}

TPointOutcome TFaultSweep::Try(quint64 point, TFaultPlan::TMode mode)
{
    TPointOutcome outcome;
    outcome.Point = point;
    const QString name = FPoints.value(qsizetype(point) - 1);
    const auto problem = [&](const QString &text) {
        outcome.Problems += QStringLiteral("%1 %2 at point %3 (%4): %5")
                                .arg(QLatin1String(SweepKindName(FKind)),
                                     QLatin1String(mode == TFaultPlan::Kill ? "killed" : "failed"))
                                .arg(point)
                                .arg(name, text);
    };
    const auto checkSentinels = [&](const char *when) {
        const QStringList touched = FSentinels.Touched();
        if (!touched.isEmpty()) {
            outcome.Untouched = false;
            problem(QStringLiteral("%1, other programs' files changed: %2")
                        .arg(QLatin1String(when), touched.join(QLatin1String(", "))));
        }
    };

    Restore();
    TFaultPlan plan;
    plan.Mode = mode;
    plan.At = point;
    const TFaultRun run = RunKind(plan);
    outcome.Fault = run.Faults > 0 ? run.Fault : QString();
    if (run.Faults == 0)
        problem(QLatin1String("the run did not get to the point:\n    ") + Tail(run.Output, 10));
    if (mode == TFaultPlan::Kill) {
        outcome.Killed = run.Killed;
        if (run.Faults > 0 && !run.Killed)
            problem(QStringLiteral("the run was not killed"));
    } else if (run.Killed) {
        problem(QLatin1String("the run crashed:\n    ") + Tail(run.Output, 10));
    } else if (run.ExitCode != 0) {
        outcome.ReportedFailure = true;
    } else {
        const QStringList left = SnapshotDifferences(FExpected, Snapshot());
        if (left.isEmpty())
            outcome.HonestSuccess = true;
        else
            problem(QLatin1String("the run reported success, but the machine differs:\n    ")
                    + left.join(QLatin1String("\n    ")));
    }
    checkSentinels("after the run");

    const TFaultRun next = RunNext();
    // An uninstall that did its work in spite of the fault leaves nothing to uninstall.
    const bool nothingLeft = FKind == TSweepKind::Uninstall && next.ExitCode == 2;
    if (next.ExitCode != 0 && !nothingLeft)
        problem(QStringLiteral("the next run did not succeed (exit %1); the failed run said:\n    %2\n  the next one:\n    %3")
                    .arg(next.ExitCode)
                    .arg(ErrorLines(run).join(QLatin1String("\n    ")), Tail(ErrorLines(next) + QStringList{next.Finish()}, 12)));
    const QStringList left = SnapshotDifferences(FExpected, Snapshot());
    if (!left.isEmpty())
        problem(QStringLiteral("the next run left the machine differing:\n    %1\n  the failed run said:\n    %2")
                    .arg(left.join(QLatin1String("\n    ")), ErrorLines(run).join(QLatin1String("\n    "))));
    outcome.Repaired = (next.ExitCode == 0 || nothingLeft) && left.isEmpty();
    checkSentinels("after the next run");
    return outcome;
}

std::vector<quint64> ChoosePoints(const std::vector<quint64> &candidates, int count, quint32 seed)
{
    if (count <= 0 || size_t(count) >= candidates.size())
        return candidates;
    QRandomGenerator random(seed);
    std::vector<quint64> chosen;
    // One from each of count equal stretches, so that every part of the run
    // has its turn.
    for (int k = 0; k < count; ++k) {
        const size_t from = candidates.size() * size_t(k) / size_t(count);
        const size_t to = candidates.size() * size_t(k + 1) / size_t(count);
        chosen.push_back(candidates[from + size_t(random.bounded(quint32(to - from)))]);
    }
    return chosen;
}

} // namespace nvqb::test
