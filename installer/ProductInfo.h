#pragma once
// The names and places that identify the product on a machine: registry keys,
// folder names, shortcut texts and the maker's web address. The install and
// uninstall runs and the wizard share them, so that what one writes the other
// finds.
#include <QString>

namespace nvqb {

inline const QString ProductName = QStringLiteral("Norvane Query Builder");
inline const QString MakerName = QStringLiteral("Tellwright");
inline const QString ProductWebAddress = QStringLiteral("https://www.tellwright.example/norvane-query-builder/");

// The install record (HKEY_LOCAL_MACHINE) and, below it, one key per IDE
// named by the IDE's display name.
inline const QString InstallRecordKey = QStringLiteral("\\Software\\Tellwright\\Norvane Query Builder");
// The entry of the system's list of installed programs (HKEY_LOCAL_MACHINE).
inline const QString UninstallEntryKey =
    QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NvQueryBuilderVCL");

// Below the Program Files folder.
inline const QString DefaultInstallFolderName = QStringLiteral("Tellwright/Norvane Query Builder");
// Below the Start menu's Programs folder.
inline const QString DefaultStartMenuFolderName = QStringLiteral("Tellwright/Norvane Query Builder VCL Edition");

// The distribution beside the installer, and the copies kept in the install
// folder's "Uninstall" folder. The programs carry their Windows names here;
// ResolveProgramFile finds the files of this build, which have none.
inline const QString SetupProgramName = QStringLiteral("setup.exe");
inline const QString UnrarProgramName = QStringLiteral("unrar.exe");
inline const QString ArchiveFileName = QStringLiteral("data.arc");
inline const QString VersionFileName = QStringLiteral("version");
inline const QString WithSourcesFileName = QStringLiteral("withsrcs");
inline const QString MetaProvidersFileName = QStringLiteral("metapvds");
inline const QString UninstallFolderName = QStringLiteral("Uninstall");
// The file that marks a folder as holding this product: recursive deletes
// happen only in an install folder that has it.
inline const QString ProductMarkerFile = QStringLiteral("Uninstall/version");

// Where the IDE's maker offers the command-line compiler that the free
// editions of the IDE lack; the missing-compiler warning links to it.
inline const QString CompilerDownloadAddress = QStringLiteral("https://downloads.ide-maker.example/command-line-compiler/");

// The title of the setup program's windows and messages.
inline const QString SetupTitle = QStringLiteral("Norvane Query Builder Installer");

// The description of the core design package in the IDE's Known Packages.
inline const QString CorePackageDescription = QStringLiteral("Norvane Query Builder Component");

} // namespace nvqb
