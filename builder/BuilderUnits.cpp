// Start-up and shut-down of this subsystem's unit globals.
#include "classlib/UnitInit.h"

namespace nvqb {

void InitializeBuilderUnits() {}

void FinalizeBuilderUnits() {}

} // namespace nvqb
