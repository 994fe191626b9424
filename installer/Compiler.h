#pragma once
// The install and uninstall runs: unpacking the component files, taking or
// compiling the packages for each chosen IDE, registering them and their
// folders in the IDE, the Start-menu shortcuts, the uninstall entry and the
// install record, and taking all of it away again.
//
// Every step writes lines to the log; the wizard shows them as they come
// (OnLog) and saves them as "setup.log". The runs work on the caller's thread;
// child processes call OnIdle while they run.
#include "installer/InstallLog.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace nvqb {

class TCompileTarget;
class TInstallData;
class TTargetOptions;

class TCompiler {
public:
    explicit TCompiler(TInstallData &installData);
    virtual ~TCompiler();
    TCompiler(const TCompiler &) = delete;
    TCompiler &operator=(const TCompiler &) = delete;

    std::function<void(int index, int count)> OnProgress;
    std::function<void(const QString &text)> OnStatus;
    TLogProc OnLog;
    std::function<void()> OnIdle;

    const QStringList &LogLines() const { return FLog; }

    // The run of a new installation, an update or a maintenance: false when
    // unpacking failed or any "Error: " line was logged. Errors outside the
    // per-IDE steps (shortcuts, uninstall entry, install record) leave the run
    // with the exception.
    bool Install();
    // The full uninstall: false when any "Error: " line was logged; an
    // exception ends the run. While some of the product's files could not
    // be deleted, the run keeps what lets the next uninstall finish the work:
    // the product's marker, the uninstaller with its entry in the system's
    // list of programs, and the install record.
    bool Uninstall();

    void InstallTarget(TTargetOptions &options);
    // Takes the product out of the IDE; its record says "not installed" only
    // when every file of it could be deleted, so that the next run tries
    // again.
    bool UninstallTarget(TTargetOptions &options);
    // name: a package base ("nvQueryBuilder"); the project comes from the IDE.
    void CompilePackage(TTargetOptions &options, const QString &name, bool design, bool core);
    void UninstallPackage(TTargetOptions &options, const QString &name);
    void RegisterPackage(TTargetOptions &options, const QString &name, const QString &description);

    void Log(const QString &line);
    void Status(const QString &line);
    // Logs "Error: " + message; the run then reports failure.
    void LogError(const QString &message);
    // A file or folder of the product that could not be deleted: an error
    // (message names it and why), and the product is not gone yet.
    void LogDeleteError(const QString &message);
    void CaptureFileContent(const QString &fileName);

protected:
    virtual void DoProgress(TTargetOptions &options, int index, int count);
    virtual void DoIdle();

private:
    // Install run.
    void LogOSVersion();
    bool ExtractArchive();
    void CopyUninstaller();
    void CleanTargetFolder(TTargetOptions &options, bool withForms);
    void UninstallAllPackages(TTargetOptions &options, bool logCore);
    void RemoveHeaderFiles(TTargetOptions &options);
    void CopyHeaderFiles(TTargetOptions &options);
    void CopyForms(TTargetOptions &options);

    // Packages.
    void CompileDelphiPackage(TTargetOptions &options, const QString &project);
    void CompileBCBPackage(TTargetOptions &options, const QString &project);
    void WriteDccConfig(TTargetOptions &options, const QString &fileName);
    void InstallIntoSystemDir(const QString &package);

    // IDE paths.
    void AddPath(TCompileTarget &target, QStringList &paths, const QString &title, const QString &folder);
    void RemovePath(TCompileTarget &target, QStringList &paths, const QString &title, const QString &folder);
    void AddBrowsingPath(TTargetOptions &options);
    void AddSearchPaths(TTargetOptions &options);
    void RemoveBrowsingPath(TTargetOptions &options);
    void RemoveSearchPath(TTargetOptions &options);

    // Start menu and the system's list of programs.
    void CreateShortcuts();
    void DeleteShortcuts();
    void DeleteStartMenuProgramFolder();
    void WriteUninstallEntry();
    void DeleteUninstallEntry();

    // Deleting in the install folder. Nothing is deleted there unless the
    // folder is usable (InstallFolderProblem), the folder of the install
    // record, and holds the product's marker file; decided at the first
    // delete of a run (the marker goes last). A refusal is an error of the
    // run, logged once, and every delete it skips is logged.
    void StartRun();
    // The folder is unusable: the run deletes nothing in it and fails.
    void RefuseInstallDir(const QString &problem);
    bool CanDeleteInInstallDir(const QString &path);
    // Nothing in the install folder is deleted, walked or written through a
    // symbolic link: the first link on the way from the install folder down
    // to path (path itself only with withLast); empty when there is none.
    QString LinkOnTheWay(const QString &path, bool withLast) const;
    // The path exists, no link stands on the way to it (else logged) and the
    // install folder allows deletes.
    bool MayDeleteInstallPath(const QString &path);
    // Paths below the install folder; what does not exist is skipped quietly,
    // and so is what lies behind a link (logged). A link itself is deleted
    // as a link. A deleted file is logged as logPrefix + path when a prefix
    // is given.
    void DeleteInstallFile(const QString &path, const QString &logPrefix = QString());
    // What a writer of the file in the install folder, killed in the middle
    // of its write, left beside it goes (where the folder allows deletes and
    // no link stands on the way).
    void RemoveStaleInstallTemporaryFiles(const QString &path);
    void DeleteInstallFolder(const QString &path);
    // An empty folder (or a link standing in its place) below or at the
    // install folder; needs no marker, which is gone by then.
    void RemoveEmptyInstallFolder(const QString &path);
    void DeleteFilesIn(const QString &folder, const QStringList &extensions, bool recursive);
    // FindFiles in a folder of the install folder; nothing behind a link.
    QStringList InstallFiles(const QString &folder, const QStringList &extensions, bool recursive);
    // A folder of the install folder that the run writes into: made when
    // missing, and a link standing in its way is replaced by a real folder
    // (ESetupError when that is not allowed).
    void ForceInstallFolder(const QString &folder);
    // ESetupError when a link stands on the way to the folder.
    void RequireNoLinkOnTheWay(const QString &folder);

    TInstallData &FInstallData;
    QStringList FLog;
    bool FErrorLogged = false;
    // Deletes of the run that failed (LogDeleteError).
    int FDeleteErrors = 0;
    // Whether the install folder may be deleted in, decided once per run.
    bool FInstallDirChecked = false;
    QString FInstallDirRefusal;
};

} // namespace nvqb
