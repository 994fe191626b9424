// Start-up and shut-down of this subsystem's unit globals.
#include "builder/model/ControlFactory.h"
#include "builder/model/LinkPainter.h"
#include "classlib/UnitInit.h"

namespace nvqb {

void InitializeBuilderUnits()
{
    // The widget layer registers its controls and dialogs in this factory.
    InitializeControlFactory();
    // The widget layer registers its painter classes here.
    InitializeLinkPainterRegistry();
}

void FinalizeBuilderUnits()
{
    FinalizeLinkPainterRegistry();
    FinalizeControlFactory();
}

} // namespace nvqb
