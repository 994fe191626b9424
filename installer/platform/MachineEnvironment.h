#pragma once
// Environment variables of the machine, where the installer's logic asks for
// "the process's" variables (directory macros, the PATH searched for old
// packages). They come from the machine's registry as on Windows: the user's
// variables (HKEY_CURRENT_USER "Environment") before the system's
// (HKEY_LOCAL_MACHINE "SYSTEM\CurrentControlSet\Control\Session Manager\Environment").
// PATH is the system's list followed by the user's; without either it is the
// machine's system folder and Windows folder. Path lists are separated by ";".
#include <QString>

namespace nvqb {

// Empty when the variable is not set; names are compared without regard to case.
QString GetMachineEnvironmentVariable(const QString &name);

} // namespace nvqb
