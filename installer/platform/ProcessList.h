#pragma once
// Whether a program is running, from the process list of the system (/proc).
#include <QString>

namespace nvqb {

// True when some process runs the program file: the file name of its
// executable equals that of the program and its full path equals the
// program's (both without regard to case, symbolic links resolved). Processes
// whose executable cannot be read (other users') are not seen.
bool IsProgramRunning(const QString &programFile);

} // namespace nvqb
