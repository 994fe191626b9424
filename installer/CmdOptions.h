#pragma once
// The installer's command-line options. One global options object is made at
// program start, before anything else, from the program's parameters; the IDE
// detection reads the ignore flags and the registry path names from it, and
// "--help" (or "/?", "-h") prints the option table and ends the program.
#include "installer/CmdOptionItems.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QTextStream;

namespace nvqb {

class TCmdOptions {
public:
    // Builds the option table and reads the parameters (without the program
    // name): each is offered to the items in table order and the first item
    // that takes it ends the search; parameters nobody takes are ignored.
    explicit TCmdOptions(const QStringList &parameters);
    ~TCmdOptions();
    TCmdOptions(const TCmdOptions &) = delete;
    TCmdOptions &operator=(const TCmdOptions &) = delete;

    // One field per option.
    bool IgnoreIDE = false;
    QString JclPath;
    bool KeepFiles = false;
    bool IgnoreBCB = false;
    bool IgnoreDelphi = false;
    bool Help = false;
    QString Language;
    bool AutoUpdate = false;
    QString DelphiRegistryPath;
    QString BCBRegistryPath;
    QString BDSRegistryPath;

    const std::vector<std::unique_ptr<TItem>> &Items() const { return FItems; }

    // An empty line; per item an empty line for a separator or, for an item
    // with a description, its help name padded to 20 characters, two blanks
    // and the description; a final empty line; then where the machine folder
    // comes from.
    QString HelpText() const;

private:
    void AddItems();

    std::vector<std::unique_ptr<TItem>> FItems;
};

// The program start: keeps the program's parameters and makes the global
// options object from them.
void InitCmdOptions(int argc, char **argv);
// The parameters given to InitCmdOptions (empty before).
const QStringList &ProgramParameters();
// The global options object; made from ProgramParameters() on first use when
// InitCmdOptions was not called.
TCmdOptions &CmdOptions();

// For "--help": prints the help to out, waits for the Enter key (or the end of
// input) on in, and returns the program's exit code, 1.
int ShowHelpAndWait(const TCmdOptions &options, QTextStream &out, QTextStream &in);

} // namespace nvqb
