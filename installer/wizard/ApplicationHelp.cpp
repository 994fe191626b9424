#include "installer/wizard/ApplicationHelp.h"

#include <utility>

namespace nvqb {

namespace {

THelpRoutine &Routine()
{
    static THelpRoutine routine;
    return routine;
}

} // namespace

THelpRoutine SetApplicationHelp(THelpRoutine routine)
{
    return std::exchange(Routine(), std::move(routine));
}

bool ApplicationHelpContext(int context)
{
    // A copy: the routine may set another one while it runs.
    const THelpRoutine routine = Routine();
    if (!routine)
        return false;
    routine(context);
    return true;
}

} // namespace nvqb
