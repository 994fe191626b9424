#include "builder/dialogs/MetadataContainerLoad.h"

namespace nvqb {

bool LoadMetadataContainer(TnvMetadataContainer *)
{
    return false;
}

bool FetchMetadataToFile(QString &)
{
    return false;
}

} // namespace nvqb
