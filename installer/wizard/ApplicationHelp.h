#pragma once
// The application's help routine: what the installer's dialogs call for a
// help context (their "Help" button, F1). The host that has help to show
// sets it; without one a help request does nothing.
#include <functional>

namespace nvqb {

using THelpRoutine = std::function<void(int context)>;

// Sets the routine (an empty one removes it); returns the one set before.
THelpRoutine SetApplicationHelp(THelpRoutine routine);
// Asks the routine for the context; false when there is none.
bool ApplicationHelpContext(int context);

} // namespace nvqb
