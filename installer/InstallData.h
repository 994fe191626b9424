#pragma once
// The installer's state: what the distribution beside the installer holds,
// the previous installation from the install record, the install and
// Start-menu folders, the command-line options, the detected IDEs with one
// TTargetOptions each, and the metadata-provider descriptors. The wizard edits
// it; the install and uninstall runs carry it out and write it back.
//
// The install record, HKEY_LOCAL_MACHINE "Software\Tellwright\Norvane Query
// Builder": "InstallDir", "InstalledVersion" and "StartFolder" (the Start-menu
// folder name below the Programs folder, so that an uninstall finds the
// shortcuts where the install put them).
#include "installer/TargetOptions.h"
#include "installer/Version.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace nvqb {

class TCmdOptions;
class TCompileTargetList;
class TMetadataProvidersList;

enum TInstallMode {
    imNewInstallation = 0,
    imUpdate = 1,      // another version is installed
    imMaintenance = 2, // this version is installed
    imUninstall = 3,   // chosen on the maintenance page
};

class TInstallData {
public:
    // Reads everything, in this order: the Programs folder and its
    // subfolders, the default Start-menu folder name, the install record, the
    // marker files and the "version" file of the installer's folder (the
    // current folder when empty), the default install folder, the options,
    // the IDEs, the provider descriptors, the per-IDE options; then sets the
    // mode. ESetupError when there is no machine folder, for a missing
    // "version" file ('File not exists:"version". Invalid installer
    // package.') and for an empty version text.
    explicit TInstallData(const QString &installerFolder = QString());
    ~TInstallData();
    TInstallData(const TInstallData &) = delete;
    TInstallData &operator=(const TInstallData &) = delete;

    TInstallMode Mode = imNewInstallation;
    // Set by the runs: the product is installed when the run ends.
    bool Installed = false;
    // The install folder holds this version's files: true when this version
    // is recorded (maintenance), set by the install run once the archive is
    // unpacked. The record names this version only then, so that an update
    // cut short stays an update until its files have arrived.
    bool ThisVersionUnpacked = false;
    // Without a trailing "/".
    QString InstallDir;
    // Below the Programs folder, with "/" between the levels.
    QString StartMenuFolderName;

    // The record holds an install folder and a version.
    bool InstalledBefore() const { return FInstalledBefore; }
    const TVersion &InstalledVersion() const { return FInstalledVersion; }
    const TVersion &Version() const { return FVersion; }

    const QString &InstallerFolder() const { return FInstallerFolder; }
    // The distribution ships sources ("withsrcs") and provider packages ("metapvds").
    bool WithSources() const { return FWithSources; }
    bool WithMetaProviders() const { return FWithMetaProviders; }

    const QString &ProgramsFolder() const { return FProgramsFolder; }
    const QStringList &ProgramsSubfolders() const { return FProgramsSubfolders; }
    // The folders of the machine's PATH as read at start, unquoted.
    const QStringList &PathFolders() const { return FPathFolders; }

    TCmdOptions &Options() const { return *FOptions; }
    TCompileTargetList &Targets() const { return *FTargets; }
    TMetadataProvidersList &MetadataProviders() const { return *FMetadataProviders; }
    TTargetOptionsList &TargetOptions() const { return *FTargetOptions; }

    QString PackagesDir() const { return InstallDir + QLatin1String("/Packages"); }
    QString SourcesDir() const { return InstallDir + QLatin1String("/Sources"); }
    QString UninstallDir() const;
    QString StartMenuFolder() const { return FProgramsFolder + QLatin1Char('/') + StartMenuFolderName; }

    // Reads the install record; an empty "InstalledVersion" counts as no
    // installation and clears the recorded folder. A recorded Start-menu
    // folder name is taken when it stays below the Programs folder.
    void LoadFromRegistry();
    // Writes the install record in one step (its version only when this
    // version's files are unpacked; otherwise the recorded version stays), or
    // deletes it (with the per-IDE records) when the product is not installed
    // any more.
    void SaveToRegistry() const;
    // Writes only the install folder into the record.
    void SaveInstallDirToRegistry() const;
    // The install folder the record holds now, without a trailing "/".
    static QString RecordedInstallDir();

private:
    void ReadProgramsFolder();
    void ReadDistribution();

    bool FInstalledBefore = false;
    TVersion FInstalledVersion;
    TVersion FVersion;
    QString FInstallerFolder;
    bool FWithSources = false;
    bool FWithMetaProviders = false;
    QString FProgramsFolder;
    QStringList FProgramsSubfolders;
    QStringList FPathFolders;
    std::unique_ptr<TCmdOptions> FOptions;
    std::unique_ptr<TCompileTargetList> FTargets;
    std::unique_ptr<TMetadataProvidersList> FMetadataProviders;
    std::unique_ptr<TTargetOptionsList> FTargetOptions;
};

// Why the folder cannot be the install folder, or empty when it can: it must
// be an absolute path ("is not an absolute path"), no root or special folder
// ("is a root or special folder": an uninstall empties the install folder),
// and hold no double quote ("holds a double quote"): no Windows folder name
// has one, and it would end the folder's text on the unarchiver's command
// line and in the compiler's configuration. Nor a backslash ("holds a
// backslash"): on the machine it is a character of a name, while the Windows
// names the IDEs and the unarchiver are given take it for a separator, so
// that "x\..\..\y" would name another folder there. Nor what the IDEs' path
// lists cannot hold: ";" separates their entries ("holds a \";\"") and "$("
// begins one of their macros ("holds \"$(\""); the pieces would stay in the
// lists after an uninstall.
QString InstallFolderProblem(const QString &folder);

// A Start-menu folder name as the install data keeps it: "/" between the
// levels (a backslash counts as "/"), no empty levels; empty when the name would
// not name a folder below the Programs folder (absolute, or with "." or ".."
// levels), or names none at all.
QString CheckedStartMenuFolderName(QString name);

// The program's one install data object, made at program start.
TInstallData &CreateInstallData(const QString &installerFolder = QString());
// Nothing before CreateInstallData.
TInstallData *GlobalInstallData();

} // namespace nvqb
