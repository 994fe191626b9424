// The product's shortcuts in the Start menu. The Start-menu folder may hold
// other programs' shortcuts (the user can choose any folder), so only the
// product's own shortcut files are ever deleted there, a folder only when it
// is empty, and the Programs folder never.
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/FileOperations.h"
#include "installer/platform/SetupError.h"
#include "installer/platform/ShellLink.h"
#include "installer/platform/ShellOpen.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace nvqb {

namespace {

struct TShortcut {
    const char *Name;
    const char *Target;           // below the install folder
    const char *WorkingDirectory; // below the install folder; none when empty
    bool WithProviders;           // only when the provider packages are shipped
};

constexpr TShortcut Shortcuts[] = {
    {"Norvane Query Builder Demo Project.lnk", "Demos/DemoApp/NQBDemo.dpr", "Demos/DemoApp", false},
    {"Norvane Query Builder BDE Simple Demo Project.lnk", "Demos/Standard/BDE/BDEDemo.dpr",
     "Demos/Standard/BDE/BDEDemo", false},
    {"Norvane Query Builder ADO Simple Demo Project.lnk", "Demos/Standard/ADO/ADODemo.dpr",
     "Demos/Standard/ADO/ADODemo", false},
    {"Simple Demo Projects for Third-party Connection Libraries.lnk", "Demos/ThirdParty", "Demos/ThirdParty", true},
    {"Norvane Query Builder Help.lnk", "Help/NvQB.HLP", "", false},
    {"Norvane Query Builder User's Guide.lnk", "Help/UsersGuide.chm", "", false},
    {"Norvane Query Builder Web Site.lnk", "NorvaneQueryBuilder.url", "", false},
    {"Uninstall Norvane Query Builder.lnk", "Uninstall/setup.exe", "Uninstall", false},
};

// The folders of the Start-menu folder name below the Programs folder,
// deepest first: "Programs/A/B", "Programs/A".
QStringList StartMenuLevels(const TInstallData &data)
{
    QStringList levels;
    QString folder = data.ProgramsFolder();
    for (const QString &name : data.StartMenuFolderName.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            return QStringList();
        folder += QLatin1Char('/') + name;
        levels.prepend(folder);
    }
    return levels;
}

bool IsEmptyFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && !info.isSymLink()
        && QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The shortcut with what a writer of it killed in the middle of its write
// left beside it.
void DeleteShortcut(const QString &link)
{
    if (QFileInfo(link).isFile() && !DeleteFile(link))
        throw EOSError(QStringLiteral("Cannot delete \"%1\"").arg(link), errno);
    RemoveStaleTemporaryFiles(link);
}

} // namespace

void TCompiler::CreateShortcuts()
{
    const QString folder = FInstallData.StartMenuFolder();
    if (!ForceDirectories(folder))
        throw EOSError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder), errno);
    ShellOpen(folder);
    for (const TShortcut &shortcut : Shortcuts)
        DeleteShortcut(folder + QLatin1Char('/') + QLatin1String(shortcut.Name));
    const QString installDir = FInstallData.InstallDir + QLatin1Char('/');
    for (const TShortcut &shortcut : Shortcuts) {
        if (shortcut.WithProviders && !FInstallData.WithMetaProviders())
            continue;
        TShellLink link;
        link.Target = installDir + QLatin1String(shortcut.Target);
        if (*shortcut.WorkingDirectory)
            link.WorkingDirectory = installDir + QLatin1String(shortcut.WorkingDirectory);
        CreateShellLink(folder + QLatin1Char('/') + QLatin1String(shortcut.Name), link);
    }
}

void TCompiler::DeleteShortcuts()
{
    const QStringList levels = StartMenuLevels(FInstallData);
    if (levels.isEmpty())
        return;
    const QString &folder = levels.first();
    for (const TShortcut &shortcut : Shortcuts)
        DeleteShortcut(folder + QLatin1Char('/') + QLatin1String(shortcut.Name));
    if (IsEmptyFolder(folder) && !RemoveDir(folder))
        LogDeleteError(QStringLiteral("Cannot remove the folder \"%1\": %2").arg(folder, LastOSErrorText()));
}

void TCompiler::DeleteStartMenuProgramFolder()
{
    // The levels the Start-menu folder name added below the Programs folder,
    // as long as they are empty.
    for (const QString &level : StartMenuLevels(FInstallData)) {
        if (!QFileInfo(level).exists())
            continue;
        if (!IsEmptyFolder(level))
            return;
        if (!RemoveDir(level)) {
            LogDeleteError(QStringLiteral("Cannot remove the folder \"%1\": %2").arg(level, LastOSErrorText()));
            return;
        }
    }
}

} // namespace nvqb
