// Start-up and shut-down of this subsystem's unit globals.
#include "classlib/UnitInit.h"

namespace nvqb {

void InitializeSQL92Units() {}

void FinalizeSQL92Units() {}

} // namespace nvqb
