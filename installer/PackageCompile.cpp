// Taking or compiling one package for an IDE, copying run-time packages into
// the system folder and registering design packages in the IDE.
#include "installer/BDSVersions.h"
#include "installer/ChildProcessRunner.h"
#include "installer/CompileTarget.h"
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/TargetOptions.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/FileNames.h"
#include "installer/platform/FileOperations.h"
#include "installer/platform/Machine.h"
#include "installer/platform/SetupError.h"

#include <QFileInfo>

#include <cerrno>

namespace nvqb {

namespace {

QString Quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Deletes a file when the scope ends by an exception too.
struct TFileRemover {
    QString FileName;
    ~TFileRemover() { DeleteFile(FileName); }
};

} // namespace

void TCompiler::CompilePackage(TTargetOptions &options, const QString &name, bool design, bool core)
{
    Log(QLatin1String("Compiling package: ") + name);
    const QString project = options.ProjectName(name);
    if (options.CompilerExists() && (!core || options.CompileFromSources)) {
        if (options.Target()->IsBCB())
            CompileBCBPackage(options, project);
        else
            CompileDelphiPackage(options, project);
    }

    const QString package = options.TargetDir() + QLatin1Char('/') + options.PackageFileName(name);
    if (!QFileInfo(package).isFile()) {
        Log(QLatin1String("  ERROR: file not exist: ") + package);
        throw ESetupError(QStringLiteral("File not exists: %1").arg(package));
    }
    Log(QLatin1String("  target file exist: ") + package);
    if (!design)
        InstallIntoSystemDir(package);
}

void TCompiler::CompileDelphiPackage(TTargetOptions &options, const QString &project)
{
    const QString folder = options.PackageSourceDir();
    RequireNoLinkOnTheWay(folder);
    const QString config = folder + QLatin1String("/dcc32.cfg");
    const TFileRemover remover{config};
    WriteDccConfig(options, config);
    CaptureFileContent(config);
    const QString command = Quoted(options.Target()->DccFileName()) + QLatin1Char(' ') + Quoted(project);
    Log(command);
    QStringList output;
    const int result = RunCompiler(command, folder, output, true, [this] { DoIdle(); });
    LogList([this](const QString &line) { Log(line); }, QStringLiteral("compiler output"), output);
    // The configuration names this machine's folders; it does not stay.
    if (!DeleteFile(config) && errno != ENOENT)
        LogDeleteError(QStringLiteral("Cannot delete \"%1\": %2").arg(config, LastOSErrorText()));
    if (result != 0)
        throw ESetupError(QLatin1String("Error compiling package: ") + project);
}

void TCompiler::WriteDccConfig(TTargetOptions &options, const QString &fileName)
{
    TCompileTarget &target = *options.Target();
    const QString targetDir = options.TargetDir();
    const QString dcpDir = options.DCPDir();
    const QString bplDir = options.BPLDir();
    QStringList library;
    for (const QString &path : target.LibrarySearchPaths())
        library += target.ExpandDirMacros(path);
    const QString units = targetDir + QLatin1Char(';') + dcpDir;
    const QString libraryPath = library.join(QLatin1Char(';'));

    QStringList lines;
    lines += QLatin1String("-Q -B -H+ -W+")
        + QLatin1String(target.IsBDS() && target.SupportsPersonality(bpBCB) ? " -JL" : "");
    for (const char *option : {"-U", "-I", "-R", "-O"})
        lines += QLatin1String(option) + Quoted(units);
    for (const char *option : {"-U", "-I", "-R", "-O"})
        lines += QLatin1String(option) + Quoted(libraryPath);
    const struct {
        const char *Option;
        const QString &Folder;
    } outputs[] = {{"-LE", targetDir}, {"-LN", targetDir}, {"-N0", targetDir}, {"-N1", bplDir},
                   {"-NH", bplDir},    {"-N2", dcpDir},    {"-NO", dcpDir},    {"-NB", targetDir}};
    for (const auto &output : outputs)
        lines += QLatin1String(output.Option) + Quoted(output.Folder);
    WriteFileAtomically(fileName, (lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toLocal8Bit());
}

void TCompiler::CompileBCBPackage(TTargetOptions &options, const QString &project)
{
    TCompileTarget &target = *options.Target();
    const QString folder = options.PackageSourceDir();
    RequireNoLinkOnTheWay(folder);
    const QString projectFile = folder + QLatin1Char('/') + project;
    const QString base = folder + QLatin1Char('/') + ExtractFileBaseName(project);
    const TLogProc log = [this](const QString &line) { Log(line); };
    const TIdleCallback idle = [this] { DoIdle(); };

    const QString converter = Quoted(target.Bpr2MakFileName());
    const QString converterArguments = QLatin1Char(' ') + Quoted(projectFile);
    Log(converter + QLatin1Char(' ') + converterArguments);
    if (CaptureExecute(converter, converterArguments, folder, true, idle, log) != 0)
        throw ESetupError(QStringLiteral("Error executing bpr2mak"));

    const QString make = Quoted(target.MakeFileName());
    const QString makeArguments = QLatin1String("-f") + Quoted(base + QLatin1String(".mak")) + QLatin1Char(' ');
    Log(make + QLatin1Char(' ') + makeArguments);
    if (CaptureExecute(make, makeArguments, folder, true, idle, log) != 0)
        throw ESetupError(QStringLiteral("Error executing make"));

    for (const char *extension : {".mak", ".obj", ".tds"})
        DeleteFile(base + QLatin1String(extension));
}

void TCompiler::InstallIntoSystemDir(const QString &package)
{
    const QString copy = GetSpecialFolder(TSpecialFolder::System) + QLatin1Char('/') + ExtractFileName(package);
    Log(QLatin1String("  Installing into SystemDir: ") + copy);
    if (QFileInfo::exists(copy)) {
        Log(QLatin1String("  file already exists: ") + copy);
        Log(QLatin1String("  deleting file: ") + copy);
        if (!DeleteFile(copy)) {
            const int error = errno;
            Log(QLatin1String("  ERROR: cannot deleting file: ") + copy);
            throw EOSError(QStringLiteral("Cannot delete \"%1\"").arg(copy), error);
        }
        Log(QStringLiteral("  deleting file successful"));
        if (QFileInfo::exists(copy)) {
            Log(QLatin1String("  ERROR: file exist after deleting: ") + copy);
            throw ESetupError(QStringLiteral("File exists after deleting from SystemDir: %1").arg(copy));
        }
        Log(QLatin1String("  target file not exist after deletion: ") + copy);
    } else {
        Log(QLatin1String("  target file not exist before installing: ") + copy);
    }
    if (!CopyFile(package, copy)) {
        const int error = errno;
        Log(QStringLiteral("  ERROR: cannot installing into SystemDir"));
        throw EOSError(QStringLiteral("Cannot copy \"%1\" to \"%2\"").arg(package, copy), error);
    }
    Log(QStringLiteral("  installing into SystemDir successful"));
    if (!QFileInfo::exists(copy)) {
        Log(QStringLiteral("  ERROR: cannot installing into SystemDir: file not exists after installing"));
        throw ESetupError(QStringLiteral("File not exists after installing into SystemDir: %1").arg(copy));
    }
    Log(QLatin1String("  target file exist: ") + copy);
}

void TCompiler::RegisterPackage(TTargetOptions &options, const QString &name, const QString &description)
{
    Log(QLatin1String("Installing package:") + name);
    options.Target()->KnownPackages().Add(options.TargetDir() + QLatin1Char('/') + options.PackageFileName(name),
                                          description);
}

} // namespace nvqb
