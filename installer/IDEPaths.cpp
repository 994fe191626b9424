// Adding the product's folders to the IDE's path lists and taking them out.
// A folder can stand in a list in four forms: as given, with a trailing "/",
// with the IDE's directory macros, and with macros and a trailing "/".
#include "installer/BDSVersions.h"
#include "installer/CompileTarget.h"
#include "installer/Compiler.h"
#include "installer/InstallData.h"
#include "installer/TargetOptions.h"

namespace nvqb {

namespace {

const QString BrowsingPathsTitle = QStringLiteral("Browsing paths");
const QString SearchPathsTitle = QStringLiteral("Search paths");
const QString CppSearchPathsTitle = QStringLiteral("Global Cpp Search paths");

QStringList PathForms(const TCompileTarget &target, const QString &folder)
{
    const QString withMacros = target.InsertDirMacros(folder);
    return {folder, folder + QLatin1Char('/'), withMacros, withMacros + QLatin1Char('/')};
}

bool HasCppSearchPaths(const TCompileTarget &target)
{
    return target.IsBDS() && target.SupportsPersonality(bpBCB);
}

} // namespace

void TCompiler::AddPath(TCompileTarget &target, QStringList &paths, const QString &title, const QString &folder)
{
    Log(QStringLiteral("Adding path to %1: %2").arg(title, folder));
    qsizetype found = -1;
    QString foundForm;
    for (const QString &form : PathForms(target, folder)) {
        Log(QStringLiteral("  searching path in %1: %2").arg(title, form));
        found = paths.indexOf(form);
        if (found < 0) {
            Log(QStringLiteral("    not found in %1: %2").arg(title, form));
            continue;
        }
        Log(QStringLiteral("    found in %1: %2").arg(title, form));
        foundForm = form;
        break;
    }
    if (found < 0) {
        Log(QStringLiteral("Adding to %1: %2").arg(title, folder));
        paths += folder;
        return;
    }
    Log(QStringLiteral("Already in %1: %2").arg(title, foundForm));
    Log(QStringLiteral("Replacing in %1: \"%2\" by \"%3\"").arg(title, foundForm, folder));
    paths[found] = folder;
}

void TCompiler::RemovePath(TCompileTarget &target, QStringList &paths, const QString &title, const QString &folder)
{
    Log(QStringLiteral("Removing path from %1: %2").arg(title, folder));
    for (const QString &form : PathForms(target, folder)) {
        Log(QStringLiteral("  searching path in %1: %2").arg(title, form));
        for (qsizetype k = paths.indexOf(form); k >= 0; k = paths.indexOf(form, k)) {
            paths.removeAt(k);
            Log(QStringLiteral("    found. removed from %1: %2").arg(title, form));
        }
    }
}

void TCompiler::AddBrowsingPath(TTargetOptions &options)
{
    TCompileTarget &target = *options.Target();
    AddPath(target, target.BrowsingPaths(), BrowsingPathsTitle, target.InsertDirMacros(FInstallData.SourcesDir()));
}

void TCompiler::AddSearchPaths(TTargetOptions &options)
{
    TCompileTarget &target = *options.Target();
    const QString folder = target.InsertDirMacros(options.TargetDir());
    AddPath(target, target.LibrarySearchPaths(), SearchPathsTitle, folder);
    if (HasCppSearchPaths(target))
        AddPath(target, target.CppSearchPaths(), CppSearchPathsTitle, folder);
}

void TCompiler::RemoveBrowsingPath(TTargetOptions &options)
{
    TCompileTarget &target = *options.Target();
    RemovePath(target, target.BrowsingPaths(), BrowsingPathsTitle, FInstallData.SourcesDir());
}

void TCompiler::RemoveSearchPath(TTargetOptions &options)
{
    TCompileTarget &target = *options.Target();
    RemovePath(target, target.LibrarySearchPaths(), SearchPathsTitle, options.TargetDir());
    // What the install added to the global C++ search paths goes as well.
    if (HasCppSearchPaths(target))
        RemovePath(target, target.CppSearchPaths(), CppSearchPathsTitle, options.TargetDir());
}

} // namespace nvqb
