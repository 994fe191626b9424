#pragma once
// The command line of the installer's unarchiver: the one command the
// installer runs, extracting a whole archive with its folders,
//
//   unrar x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* "<folder>/"
//
// Switches may stand anywhere; they and the command are read without regard to
// case. After the command come the archive, any file masks, and the
// destination folder, recognized by its trailing "/" (or "\"; any other
// backslash is part of a folder's name). Only the
// switches above are accepted: extraction with full paths, overwriting
// without asking, is the only behaviour there is, so the switches that ask for
// it are taken and any other switch is refused.
#include <string>
#include <vector>

namespace nvqb::unrar {

struct TUnrarCommand {
    std::string Archive;
    std::vector<std::string> Masks;  // none: every entry
    std::string Destination;         // empty: the current folder
};

// Reads the arguments (without the program name); false with the message
// in error when they are not understood.
bool ParseUnrarCommandLine(const std::vector<std::string> &arguments, TUnrarCommand &command, std::string &error);

} // namespace nvqb::unrar
