// The setup program. Its options are read before anything else; "--help"
// prints them and ends the program.
#include "installer/CmdOptions.h"

#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    nvqb::InitCmdOptions(argc, argv);
    if (nvqb::CmdOptions().Help) {
        QTextStream out(stdout);
        QTextStream in(stdin);
        return nvqb::ShowHelpAndWait(nvqb::CmdOptions(), out, in);
    }
    QTextStream(stderr) << "setup: the setup wizard is not available yet; see --help.\n";
    return 2;
}
