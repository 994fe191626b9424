#pragma once
// The machine the installer works on: a folder, named by the environment
// variable NVQB_MACHINE, that holds everything the installer reads and writes
// where a Windows machine would use its registry and special folders:
//
//   registry/HKLM.reg, registry/HKCU.reg   the two registry hives
//   Program Files/                         the Program Files folder
//   Windows/, Windows/System32/            the Windows and system folders
//   Start Menu/Programs/                   the Start menu's Programs folder
//   Documents/, Common Documents/          the user's and the common documents
//   Application Data/                      the user's application data
//   Temp/                                  the user's temporary folder
//
// File paths on the machine are ordinary paths with "/"; nothing outside the
// machine folder is touched by the installer's logic.
#include "installer/platform/FileLock.h"

#include <QString>

#include <memory>

namespace nvqb {

inline constexpr char MachineVariable[] = "NVQB_MACHINE";

// The absolute, cleaned machine folder; empty when NVQB_MACHINE is not set.
QString MachineFolder();
// The machine folder, or ESetupError naming the variable when it is not set or
// does not name an existing folder.
QString RequireMachineFolder();

// One setup program at a time works on a machine: the lock that a setup
// program holds for as long as it runs (on "registry/setup.lock" of the
// machine folder). Empty when there is no machine folder. Raises ESetupError
// with a message for the user when another program holds it.
std::unique_ptr<TFileLock> LockMachineForSetup();

enum class TSpecialFolder {
    ProgramFiles,
    Windows,
    System,
    Programs,
    Personal,
    CommonDocuments,
    AppData,
    Temp,
};

// The special folder's path on the machine, whether or not it exists yet;
// empty when there is no machine.
QString GetSpecialFolder(TSpecialFolder folder);

// True for a folder that must never be emptied as a whole: a root ("/"),
// the machine folder, a special folder, the user's home folder, or a folder
// that holds one of them. Both the path as given and the path with its
// symbolic links resolved are checked. A relative path counts as such a
// folder too, since what it names depends on the current folder.
bool IsRootOrSpecialFolder(const QString &folder);

} // namespace nvqb
