// Start-up and shut-down of this subsystem's unit globals.
#include "classlib/UnitInit.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/providers/ProviderRegistries.h"

namespace nvqb {

void InitializeSQL92Units()
{
    // The dialect is listed wherever providers are offered. Its
    // information_schema queries are constant texts (SQL92InformationSchema.cpp).
    SyntaxProvidersList()->RegisterSyntaxProvider(TnvSQL92SyntaxProvider::StaticClassType());
}

void FinalizeSQL92Units() {}

} // namespace nvqb
