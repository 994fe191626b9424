#pragma once
// One installed IDE version (Delphi, C++Builder or BDS) with the settings the
// installer reads and changes: library, browsing and debug paths, C++ paths,
// environment variables and the lists of registered packages.
//
// The machine key "\SOFTWARE\Borland\" + product key + "\" + version key of
// HKEY_LOCAL_MACHINE says where the IDE is; the user key "\SOFTWARE\Borland\"
// + registry path name + "\" + version key of HKEY_CURRENT_USER holds the
// user's settings. Folders are machine paths with "/".
#include "installer/DelphiPackage.h"

#include <QString>
#include <QStringList>

namespace nvqb {

class TCompileTarget {
public:
    // Builds the keys and reads everything (LoadFromRegistry).
    TCompileTarget(const QString &productKey, const QString &registryPathName, const QString &versionKey);
    TCompileTarget(const TCompileTarget &) = delete;
    TCompileTarget &operator=(const TCompileTarget &) = delete;

    // Identity.
    const QString &ProductKey() const { return FProductKey; }           // "Delphi", "C++Builder" or "BDS"
    const QString &RegistryPathName() const { return FRegistryPathName; }
    const QString &VersionKey() const { return FVersionKey; }            // "7.0"
    int MajorVersion() const { return FMajorVersion; }                   // 0 when not a number
    const QString &DisplayProductName() const { return FDisplayProductName; }
    int DisplayVersionNumber() const { return FDisplayVersionNumber; }
    const QString &DisplayVersionText() const { return FDisplayVersionText; }
    QString MachineKey() const;
    QString UserKey() const;

    // "Delphi 7.0 (Enterprise)": display product name, version text and
    // edition; also the name of the installer's per-IDE registry key.
    QString DisplayName() const;
    bool IsBCB() const;
    bool IsDelphi() const;
    bool IsBDS() const;
    bool IsTurboEdition() const;

    // From the machine key.
    const QString &Edition() const { return FEdition; }
    const QString &IDEProgram() const { return FIDEProgram; }
    const QString &RootDir() const { return FRootDir; }
    const QString &ProductVersion() const { return FProductVersion; }
    int UpdatePack() const { return FUpdatePack; }
    int RTLPatch() const { return FRTLPatch; }

    // From the user key. The environment variables ("name=value" lines) are
    // kept as read and as edited; SaveToRegistry writes the differences.
    const QStringList &OrgEnvVars() const { return FOrgEnvVars; }
    QStringList &EnvVars() { return FEnvVars; }
    const QStringList &EnvVars() const { return FEnvVars; }
    QStringList &BrowsingPaths() { return FBrowsingPaths; }
    QStringList &PackageSearchPaths() { return FPackageSearchPaths; }
    QStringList &LibrarySearchPaths() { return FLibrarySearchPaths; }
    QStringList &DebugDCUPaths() { return FDebugDCUPaths; }
    QStringList &CppIncludePaths() { return FCppIncludePaths; }
    QStringList &CppSearchPaths() { return FCppSearchPaths; }
    const QString &DCPOutputDir() const { return FDCPOutputDir; }
    const QString &BPLOutputDir() const { return FBPLOutputDir; }
    // Bits of TBDSPersonality; Delphi counts as Delphi.Win32 only, C++Builder
    // as BCB only.
    int Personalities() const { return FPersonalities; }
    bool SupportsPersonality(int personality) const { return (FPersonalities & personality) != 0; }
    TDelphiPackageList &KnownIDEPackages() { return FKnownIDEPackages; }
    TDelphiPackageList &KnownPackages() { return FKnownPackages; }
    TDelphiPackageList &DisabledPackages() { return FDisabledPackages; }

    // BDS only: the default folders when no environment variable names them.
    const QString &DefaultProjectsDir() const { return FDefaultProjectsDir; }
    const QString &DefaultCommonDir() const { return FDefaultCommonDir; }

    // The root folder is known and the IDE program exists.
    bool IsValid() const;
    // The command-line compiler is not there.
    bool MissingCompiler() const;

    // The IDE's tools in its "Bin" folder, spelled "Bin" or "bin".
    QString DccFileName() const;
    QString Bpr2MakFileName() const;
    QString MakeFileName() const;

    // The first package of Known IDE Packages, then of Known Packages, whose
    // file name equals the name (or begins with the text), without regard to
    // case; nothing when none does.
    TDelphiPackage *FindPackage(const QString &fileName) const;
    TDelphiPackage *FindPackageByPrefix(const QString &prefix) const;

    // Replaces each "$(name)": "DELPHI", "BCB" and "BDS" give the root folder;
    // for BDS "BDSPROJECTSDIR" the projects folder and, from BDS 5,
    // "BDSCOMMONDIR" the common folder; any other name the IDE's environment
    // variable, else the machine's.
    QString ExpandDirMacros(const QString &path) const;
    // Replaces a leading root folder + "/" by "$(BDS)", "$(DELPHI)" or
    // "$(BCB)"; for BDS a leading projects folder by "$(BDSPROJECTSDIR)" and,
    // from BDS 5, a leading common folder by "$(BDSCOMMONDIR)".
    QString InsertDirMacros(const QString &path) const;
    QString GetProjectsDir() const;
    QString GetCommonDir() const;

    // The BDS 5 option file in the user's application data.
    QString EnvOptionsFileName() const;

    void LoadFromRegistry();
    // Writes the paths back (and the environment variables that changed).
    void SaveToRegistry();
    // Writes "Known Packages" and "Disabled Packages" back.
    void SavePackages();

private:
    void ReadMachineKey();
    void ComputeBDSFolders();
    void ReadUserKey();
    QString EnvVar(const QString &name) const;
    QString FolderFromVariable(const QString &variable, const QString &defaultFolder, bool &busy) const;

    QString FProductKey;
    QString FRegistryPathName;
    QString FVersionKey;
    int FMajorVersion = 0;
    QString FDisplayProductName;
    int FDisplayVersionNumber = 0;
    QString FDisplayVersionText;

    QString FEdition;
    QString FIDEProgram;
    QString FRootDir;
    QString FProductVersion;
    int FUpdatePack = 0;
    int FRTLPatch = 0;

    QStringList FOrgEnvVars;
    QStringList FEnvVars;
    QStringList FBrowsingPaths;
    QStringList FPackageSearchPaths;
    QStringList FLibrarySearchPaths;
    QStringList FDebugDCUPaths;
    QStringList FCppIncludePaths;
    QStringList FCppSearchPaths;
    QString FDCPOutputDir;
    QString FBPLOutputDir;
    int FPersonalities = 0;
    TDelphiPackageList FKnownIDEPackages;
    TDelphiPackageList FKnownPackages;
    TDelphiPackageList FDisabledPackages;

    QString FDefaultProjectsDir;
    QString FDefaultCommonDir;

    // Set while a folder variable is being expanded, so that a variable that
    // names its own macro ends instead of expanding for ever.
    mutable bool FExpandingProjectsDir = false;
    mutable bool FExpandingCommonDir = false;
};

} // namespace nvqb
