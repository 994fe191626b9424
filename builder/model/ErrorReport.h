#pragma once
// Exceptions never cross the Qt event loop. Every slot, event handler and
// menu handler of the builder runs its work through nvQBCatchAll, which shows
// the message of whatever was raised through one error handler: a host or a
// test may install its own; without one the widget layer's message box shows
// it, and without that the message goes to the Qt warning log.
#include <QString>
#include <functional>

namespace nvqb {

using TnvErrorHandler = std::function<void(const QString &message)>;

// Installs the handler (nil: the default one) and returns the one before.
TnvErrorHandler SetErrorHandler(TnvErrorHandler handler);
// The handler used while none is installed: the widget layer's message box.
// Nil: the warning log.
void SetDefaultErrorHandler(TnvErrorHandler handler);
// Shows the message through the installed handler; never raises.
void nvQBShowError(const QString &message);
// The message of the exception being handled; call it inside a catch block.
QString CurrentExceptionMessage();

// Runs Work; an exception it raises is shown and swallowed. True when Work
// ended normally.
template <class F> bool nvQBCatchAll(F &&work) noexcept
{
    try {
        work();
        return true;
    } catch (...) {
        nvQBShowError(CurrentExceptionMessage());
        return false;
    }
}

} // namespace nvqb
