// Start-up and shut-down of this subsystem's unit globals.
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/ErrorMessageBox.h"
#include "builder/controls/LinkPainters.h"
#include "builder/controls/PageControl.h"
#include "builder/controls/SelectListControl.h"
#include "builder/dialogs/BuilderDialogs.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/LinkPainter.h"
#include "classlib/UnitInit.h"

namespace nvqb {

void InitializeBuilderUnits()
{
    // The widget layer registers its controls and dialogs in this factory.
    InitializeControlFactory();
    RegisterPageControls(*ControlFactory());
    RegisterSelectListControls(*ControlFactory());
    RegisterBuilderDialogs(*ControlFactory());
    // The model's painter registry, filled with the widget layer's styles.
    InitializeLinkPainterRegistry();
    InitializeLinkPainters();
    RegisterDatasourceControls(*ControlFactory());
    // Errors a host does not take itself reach the user in a message box.
    InstallErrorMessageBox();
}

void FinalizeBuilderUnits()
{
    UninstallErrorMessageBox();
    FinalizeLinkPainters();
    FinalizeLinkPainterRegistry();
    FinalizeControlFactory();
}

} // namespace nvqb
