#pragma once
// Opening a document, folder or web address "with the shell" (the verb
// "open"). The machine has no shell of its own: each request is recorded, in
// this process and, when NVQB_SHELL_LOG names a file, as a line appended to it,
// so that what the installer asked the shell to open can be checked.
#include <QString>
#include <QStringList>

namespace nvqb {

inline constexpr char ShellLogVariable[] = "NVQB_SHELL_LOG";

void ShellOpen(const QString &target);
// What was opened in this process, oldest first.
QStringList ShellOpenHistory();
void ClearShellOpenHistory();

} // namespace nvqb
