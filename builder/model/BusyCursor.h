#pragma once
// The busy cursor of long operations (metadata loads, adding objects). The
// operations nest: the first entry shows the wait cursor, the exit that
// brings the count back to zero restores what was shown before, and an exit
// without an entry does nothing. Without a GUI application (a headless host)
// only the count is kept.
namespace nvqb {

void nvBeginBusyCursor();
void nvEndBusyCursor();
// How deep the busy operations are nested now.
int nvBusyCursorLevel();

// Busy for the lifetime of the scope, also when an exception leaves it.
class TnvBusyCursor {
public:
    TnvBusyCursor() { nvBeginBusyCursor(); }
    ~TnvBusyCursor() { nvEndBusyCursor(); }
    TnvBusyCursor(const TnvBusyCursor &) = delete;
    TnvBusyCursor &operator=(const TnvBusyCursor &) = delete;
};

} // namespace nvqb
