#pragma once
// Extracting an archive (RAR, zip, 7z, tar and the other formats libarchive
// reads) into a destination folder, with libarchive's secure-extraction
// rules on top of our own check of every entry's path: nothing is written
// outside the destination, nothing through a symbolic link, and nothing but
// files, folders and links.
//
// Progress and errors go to the output as lines: "Extracting  <file>  OK",
// "Creating    <folder>  OK", "ERROR: ..." and a closing "All OK" or
// "Total errors: N".
#include "installer/unrar/UnrarCommandLine.h"

#include <ostream>

namespace nvqb::unrar {

// The exit codes: the installer treats every one but 0 as a failure.
enum TUnrarExitCode {
    ueSuccess = 0,
    ueFatalError = 2,       // an entry was refused
    ueDamagedArchive = 3,   // not an archive, damaged or cut short
    ueWriteError = 5,       // a file's data cannot be written (the unpack stops there)
    ueOpenError = 6,        // the archive cannot be opened
    ueUserError = 7,        // the command line is not understood
    ueCreateError = 9,      // a file or folder cannot be written
    ueNoFiles = 10,         // nothing in the archive matched
};

TUnrarExitCode ExtractArchive(const TUnrarCommand &command, std::ostream &out);

} // namespace nvqb::unrar
