// Start-up and shut-down of this subsystem's unit globals.
#include "classlib/UnitInit.h"
#include "sqlmodel/providers/EventMetadataProvider.h"
#include "sqlmodel/metadata/MetadataEntries.h"
#include "sqlmodel/providers/ProviderRegistries.h"
#include "sqlmodel/providers/UnionOperatorIcons.h"

namespace nvqb {

void InitializeSQLModelUnits()
{
    // The message localizer comes first: everything after it may report errors.
    void InitializeModelMessages(); // sqlmodel/ModelMessages.h
    InitializeModelMessages();
    InitializeUnionOperatorIcons();
    InitializeProviderRegistries();
    // Hosts find the event-driven provider wherever providers are offered.
    MetadataProvidersList()->RegisterMetadataProvider(TnvEventMetadataProvider::StaticClassType());
    // The syntax tree reaches the metadata model through these.
    InitializeMetadataEntries();
}

void FinalizeSQLModelUnits()
{
    FinalizeMetadataEntries();
    FinalizeProviderRegistries();
    FinalizeUnionOperatorIcons();
    void FinalizeModelMessages(); // sqlmodel/ModelMessages.h
    FinalizeModelMessages();
}

} // namespace nvqb
