// Start-up and shut-down of this subsystem's unit globals.
#include "classlib/Exceptions.h"
#include "classlib/UnitInit.h"
#include "support/LanguageManager.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must stand outside any namespace.
static void InitSupportResources()
{
    Q_INIT_RESOURCE(Languages);
    Q_INIT_RESOURCE(BackgroundImages);
}

static void CleanupSupportResources()
{
    Q_CLEANUP_RESOURCE(BackgroundImages);
    Q_CLEANUP_RESOURCE(Languages);
}

namespace nvqb {

void InitializeSupportUnits()
{
    InitSupportResources();
    try {
        InitializeLanguageManager();
    } catch (const Exception &e) {
        // A broken built-in language must not take the host process down at load.
        qWarning("Language manager start-up failed: %s", qPrintable(e.Message()));
    }
}

void FinalizeSupportUnits()
{
    FinalizeLanguageManager();
    CleanupSupportResources();
}

} // namespace nvqb
