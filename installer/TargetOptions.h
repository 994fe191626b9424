#pragma once
// What the installer does with one IDE and the choices made for it: the
// action, the flags of the configuration page, the selected metadata
// providers, and the folders of the IDE's packages in the install folder.
//
// The choices are kept in HKEY_LOCAL_MACHINE below the install record, in a
// key named by the IDE's display name.
#include "installer/InstallLog.h"

#include <QString>

#include <memory>
#include <vector>

namespace nvqb {

class TCompileTarget;
class TInstallData;
class TMetadataProvider;

enum TTargetAction { taInstall = 0, taNothing = 1, taRemove = 2 };

class TTargetOptions {
public:
    // Initial values: action "nothing", compile from sources when the
    // distribution ships sources; the rest comes from LoadFromRegistry.
    TTargetOptions(TCompileTarget *target, TInstallData *installData);
    TTargetOptions(const TTargetOptions &) = delete;
    TTargetOptions &operator=(const TTargetOptions &) = delete;

    TCompileTarget *Target() const { return FTarget; }
    TInstallData *InstallData() const { return FInstallData; }

    TTargetAction Action = taNothing;
    // The product is installed in this IDE.
    bool Installed = false;
    bool IDERegistration = true;
    bool AddSourceLocation = false;
    bool CompileFromSources = false;

    // The selected providers, in the order of selection, without duplicates
    // (the descriptors belong to the install data).
    const std::vector<TMetadataProvider *> &Providers() const { return FProviders; }
    void AddProvider(TMetadataProvider *provider);
    void RemoveProvider(TMetadataProvider *provider);
    bool IsProviderSelected(const TMetadataProvider *provider) const;
    // The provider is offered for this IDE: the IDE has its component set,
    // and it is a core provider or the provider packages are shipped and the
    // IDE's compiler exists.
    bool IsProviderAvailable(const TMetadataProvider *provider) const;
    // The IDE's dcc32.exe exists.
    bool CompilerExists() const;

    // The IDE's record: false when it is missing (or cannot be opened); then
    // the defaults for an IDE the product was never installed in are taken,
    // as they are for each value a record lacks.
    bool LoadFromRegistry();
    // Writes the record in one step, or deletes it when the product is not
    // installed in this IDE any more.
    void SaveToRegistry() const;
    QString RegistryKey() const;

    // Folders in the install folder: "Delphi7", "CBuilder6", "Delphi2006"
    // (Delphi or CBuilder and the display version number, for BDS the
    // version text); the packages are built there.
    QString TargetDir() const;
    QString BPLDir() const;
    // For C++Builder the target folder's "obj" folder.
    QString DCPDir() const;
    // "Packages/Delphi7", "Packages/CBuilder6", "Packages/Delphi2006": the
    // package projects (display version numbers 9, 10 and 11 are written
    // 2005, 2006 and 2007).
    QString PackageSourceDir() const;
    // Base + "C" (C++Builder) or "D" + display version number + ".bpk" or
    // ".dpk": "nvQueryBuilderD7.dpk".
    QString ProjectName(const QString &base) const;
    // The built package of a project: "nvQueryBuilderD7.bpl".
    QString PackageFileName(const QString &base) const;

    // Logs the IDE's paths and package lists between "Begin of Settings of
    // IDE: " and "End of Settings of IDE: " lines.
    void LogIDESettings(const TLogProc &log) const;

private:
    QString FolderName() const;

    TCompileTarget *FTarget;
    TInstallData *FInstallData;
    std::vector<TMetadataProvider *> FProviders;
};

// The options of every IDE, in the order of the IDE list.
class TTargetOptionsList {
public:
    explicit TTargetOptionsList(TInstallData *installData) : FInstallData(installData) {}
    void Add(std::unique_ptr<TTargetOptions> options) { FItems.push_back(std::move(options)); }
    qsizetype Count() const { return qsizetype(FItems.size()); }
    TTargetOptions *Items(qsizetype index) const { return FItems[size_t(index)].get(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

    // True in update mode or when some IDE's action is not "nothing".
    bool HasWork() const;
    // The IDEs whose action is install.
    int InstallCount() const;

private:
    TInstallData *FInstallData;
    std::vector<std::unique_ptr<TTargetOptions>> FItems;
};

} // namespace nvqb
