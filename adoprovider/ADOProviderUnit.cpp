// The library's start and end: its provider class is listed in the
// metadata-provider registry only while its code is loaded, so the registry
// never hands out a class whose library is gone.
#include "adoprovider/ADOMetadataProvider.h"
#include "classlib/UnitInit.h"
#include "sqlmodel/providers/ProviderRegistries.h"

__attribute__((constructor)) static void nvqbADOLibraryLoad()
{
    if (nvqb::LibraryInitialized())
        nvqb::MetadataProvidersList()->RegisterMetadataProvider(nvqb::TnvADOMetadataProvider::StaticClassType());
}

__attribute__((destructor)) static void nvqbADOLibraryUnload()
{
    // The core library unloads after this one; should it be gone already, so
    // is its registry.
    if (nvqb::LibraryInitialized())
        nvqb::MetadataProvidersList()->UnregisterMetadataProvider(nvqb::TnvADOMetadataProvider::StaticClassType());
}
