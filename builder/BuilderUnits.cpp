// Start-up and shut-down of this subsystem's unit globals.
#include "builder/controls/LinkPainters.h"
#include "builder/controls/PageControl.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/LinkPainter.h"
#include "classlib/UnitInit.h"

namespace nvqb {

void InitializeBuilderUnits()
{
    // The widget layer registers its controls and dialogs in this factory.
    InitializeControlFactory();
    RegisterPageControls(*ControlFactory());
    // The model's painter registry, filled with the widget layer's styles.
    InitializeLinkPainterRegistry();
    InitializeLinkPainters();
}

void FinalizeBuilderUnits()
{
    FinalizeLinkPainters();
    FinalizeLinkPainterRegistry();
    FinalizeControlFactory();
}

} // namespace nvqb
