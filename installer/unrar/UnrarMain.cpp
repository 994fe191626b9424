// The installer's unarchiver: extracts the distribution archive into the
// install folder. It takes exactly the command line the installer gives (see
// UnrarCommandLine.h) and writes its progress and errors as lines, which the
// installer copies into its log.
#include "installer/unrar/ArchiveExtractor.h"
#include "installer/unrar/ConsoleText.h"
#include "installer/unrar/UnrarCommandLine.h"

#include <ostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    using namespace nvqb::unrar;
    TConsoleBuffer console(stdout);
    std::ostream out(&console);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    TUnrarCommand command;
    std::string error;
    if (!ParseUnrarCommandLine(arguments, command, error)) {
        out << "ERROR: " << error << "\n"
            << "Usage: unrar x [-c- -cfg- -dh -idp -o+ -r -y] <archive> [<masks>...] [<folder>/]\n";
        return ueUserError;
    }
    const TUnrarExitCode result = ExtractArchive(command, out);
    out.flush();
    return result;
}
