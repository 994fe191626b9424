#pragma once
// File names on the machine. Paths use "/"; the file system is case-sensitive
// where Windows is not, so names the installer spells in more than one way are
// looked up without regard to case.
#include <QString>

namespace nvqb {

// Removes one trailing "/"; the root "/" stays as it is.
QString ExcludeTrailingPathDelimiter(const QString &path);
QString IncludeTrailingPathDelimiter(const QString &path);
// The part after the last "/".
QString ExtractFileName(const QString &path);
// The file name without folder and without its last extension.
QString ExtractFileBaseName(const QString &path);

// The path of the existing file or folder that equals the given one without
// regard to case, name by name (when several match, the first in name order);
// names below the last one found stay as spelled. A path that exists as
// spelled is returned as it is.
QString ResolvePathCase(const QString &path);

// A program the installer names with its Windows name ("unrar.exe",
// "setup.exe"): the file of that name when it exists, else the file without
// ".exe" when that exists (the programs of this build carry no extension),
// else the name as given.
QString ResolveProgramFile(const QString &path);

} // namespace nvqb
