// Start-up and shut-down of this subsystem's unit globals.
#include "builder/controls/LinkPainters.h"
#include "builder/model/ControlFactory.h"
#include "classlib/UnitInit.h"

namespace nvqb {

void InitializeBuilderUnits()
{
    // The widget layer registers its controls and dialogs in this factory.
    InitializeControlFactory();
    InitializeLinkPainters();
}

void FinalizeBuilderUnits()
{
    FinalizeLinkPainters();
    FinalizeControlFactory();
}

} // namespace nvqb
