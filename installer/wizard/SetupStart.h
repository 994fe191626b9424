#pragma once
// The setup program's start, after the command line was read and the
// application object made: the application's title, the program's folder as
// the current folder, the install data, and the wizard window.
#include <QString>

#include <memory>

namespace nvqb {

class TfMain;

// Sets the application's title, makes programFolder the current folder,
// takes the machine's setup lock (LockMachineForSetup, held while the window
// is there) and creates the program's install data from the distribution
// there. When that fails (another setup program runs on the machine), its
// message is shown in a message box and no window is made (the result is
// empty); otherwise the wizard window (with its warning form) is made, shown
// and returned, for the caller's event loop.
std::unique_ptr<TfMain> StartSetup(const QString &programFolder);

} // namespace nvqb
