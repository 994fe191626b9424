#pragma once
// Handlers that Qt calls (clicks, page changes, posted calls) run through
// GuardedCall, so that no exception ever leaves a handler into Qt's event
// loop: a failure is shown in a message box that names it.
#include <functional>

class QWidget;

namespace nvqb {

// Runs the handler; an exception it raises is shown in a message box over
// parent (with the application's title) and swallowed. False when the
// handler raised.
bool GuardedCall(QWidget *parent, const std::function<void()> &handler);

} // namespace nvqb
