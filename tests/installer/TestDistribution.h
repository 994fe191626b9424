#pragma once
// What the install and uninstall tests build around a test machine: the
// distribution folder beside it (setup and unrar of this build, the marker
// files, a data.arc in one of the formats the installer takes), IDEs with their tools and
// settings, and a snapshot of the whole machine (files and registry values)
// to compare before and after.
#include "TestMachine.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

namespace nvqb {
class TInstallData;
}

namespace nvqb::test {

// Sets an environment variable for the lifetime of the object.
class TScopedEnvironment {
public:
    TScopedEnvironment(const char *name, const QString &value);
    ~TScopedEnvironment();

private:
    QByteArray FName;
    QByteArray FOld;
    bool FHad;
};

struct TArchiveEntry {
    enum TKind { File, Folder, Symlink, Fifo };
    QString Path;
    QByteArray Content; // a file's bytes or a link's target
    TKind Kind = File;
};

enum class TArchiveFormat { Tar, Zip, SevenZip, Rar4, Rar5 };

// Writes the entries as they are (paths with ".." or "/" included).
void WriteArchive(const QString &fileName, const std::vector<TArchiveEntry> &entries,
                  TArchiveFormat format = TArchiveFormat::Tar);

// The files of a distribution: the demos, help, texts and sources, and the
// package projects of the IDE folders given ("Delphi7" gets
// Packages/Delphi7/nvQueryBuilderD7.dpk and nvQueryBuilderDsgnD7.dpk).
std::vector<TArchiveEntry> ComponentFiles(const QStringList &ideFolders);
// A package project of the stand-in compiler: "package <name>;".
TArchiveEntry PackageProject(const QString &ideFolder, const QString &project);
// ComponentFiles of one Delphi folder ("Delphi7") with the package projects
// of the core ADO provider, which the IDE's record selects once the product
// is installed there: what a reinstall or an update builds.
std::vector<TArchiveEntry> ComponentFilesWithADO(const QString &ideFolder);

class TTestDistribution {
public:
    // A folder beside the machine folder with setup and unrar, "version"
    // (1.3.0 unless said), and "withsrcs"/"metapvds" when asked.
    TTestDistribution(const TTestMachine &machine, bool withSources, bool withProviders,
                      const QByteArray &version = "1.3.0");

    const QString &Folder() const { return FFolder; }
    QString Archive() const { return FFolder + QLatin1String("/data.arc"); }
    void WriteArchive(const std::vector<TArchiveEntry> &entries, TArchiveFormat format = TArchiveFormat::Tar) const;

private:
    QString FFolder;
};

// A Delphi 7 (or other Delphi) installation as the installer expects it:
// AddIDE plus the library paths, Known Packages with the database
// components, and dcc32.exe in its "Bin" folder. Returns the root folder.
QString AddDelphi(const TTestMachine &machine, const QString &version, const QString &folder,
                  const QString &packageSuffix);

// A BDS 2007 (Delphi 2007) with the database components, whose paths live in
// the user's EnvOptions.proj; returns that file.
QString AddBDS2007(const TTestMachine &machine);

// A Windows folder structure of a machine: System32, the Start menu's
// Programs and the key of the list of installed programs.
void AddWindows(const TTestMachine &machine);

// Every file (with its content) and folder below the machine folder except
// the registry files, and every registry key and value of both hives.
QMap<QString, QByteArray> MachineSnapshot(const TTestMachine &machine);

// The differences between two snapshots, one line per path: "+ path",
// "- path" or "~ path".
QStringList SnapshotDifferences(const QMap<QString, QByteArray> &before, const QMap<QString, QByteArray> &after);

// Every IDE's action set to install (what the wizard does for a new
// installation with every box checked).
void InstallIntoEveryIDE(TInstallData &data);
// What a run returned and logged: the install run, or in uninstall mode the
// uninstall run.
struct TRun {
    bool Result = false;
    QStringList Log;
};
TRun RunSetup(TInstallData &data);

// An install run from the distribution into every IDE; the test fails when
// the run does.
void InstallEverywhere(const TTestDistribution &distribution);

// A string value of the registry; "<no key>" when the key does not exist.
QString ReadValue(TRootKey root, const QString &key, const QString &name);
// The names in a folder, sorted.
QStringList Entries(const QString &folder);

// What a new installation into the Delphi 7 of AddDelphi leaves on the
// machine, from a distribution of ComponentFiles({"Delphi7"}) with sources
// and without provider packages, in the install folder dir, with the
// default Start-menu folder holding another program's "Other Program.lnk"
// beforehand; toolLog is the stand-in tools' log of the run.
void ExpectNewDelphi7Installation(const TTestMachine &machine, const QString &dir, const QString &toolLog);

// Files of other programs, outside the product's folder, placed with a
// modification time in the past: Touched names every one whose content, time
// or kind (a file, not a link) has changed since, or that is gone.
class TSentinels {
public:
    // Writes the file (folders created) and remembers it.
    void Add(const QString &path, const QByteArray &content);
    QStringList Touched() const;

private:
    struct TSentinel {
        QString Path;
        QByteArray Sum;
        qint64 Modified;
    };
    std::vector<TSentinel> FFiles;
};

// Lines of a log as one text, for the message of a failed expectation.
std::string Text(const QStringList &lines);

// True when the lines hold the expected ones in this order (others may come
// between); otherwise the first expected line not found is in missing.
bool ContainsInOrder(const QStringList &lines, const QStringList &expected, QString *missing = nullptr);

} // namespace nvqb::test
