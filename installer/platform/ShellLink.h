#pragma once
// Shell links (the Start menu's shortcuts) on the machine: small text files
// under the links' ".lnk" names, one "key=value" line per field:
//
//   Target=/machine/Program Files/Tellwright/Norvane Query Builder/Help/NvQB.HLP
//   WorkingDirectory=
#include <QString>

#include <optional>

namespace nvqb {

struct TShellLink {
    QString Target;
    QString WorkingDirectory;
};

// Writes the link file (atomically); raises EOSError naming it on failure.
void CreateShellLink(const QString &linkFile, const TShellLink &link);
// The link, or nothing when the file cannot be read or holds no "Target=" line.
std::optional<TShellLink> ReadShellLink(const QString &linkFile);

} // namespace nvqb
