// Runs the units' start-up when the library is loaded and their shut-down when
// it is unloaded, in dependency order: support, object model, SQL-92 dialect,
// visual builder.
#include "classlib/UnitInit.h"

namespace nvqb {

namespace {
bool Initialized = false;
}

bool LibraryInitialized() { return Initialized; }

} // namespace nvqb

__attribute__((constructor)) static void nvqbLibraryLoad()
{
    nvqb::InitializeSupportUnits();
    nvqb::InitializeSQLModelUnits();
    nvqb::InitializeSQL92Units();
    nvqb::InitializeBuilderUnits();
    nvqb::Initialized = true;
}

__attribute__((destructor)) static void nvqbLibraryUnload()
{
    nvqb::Initialized = false;
    nvqb::FinalizeBuilderUnits();
    nvqb::FinalizeSQL92Units();
    nvqb::FinalizeSQLModelUnits();
    nvqb::FinalizeSupportUnits();
}
