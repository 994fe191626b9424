#include "builder/dialogs/MetadataContainerEditor.h"

namespace nvqb {

bool EditMetadataContainer(TnvMetadataContainer *)
{
    return false;
}

} // namespace nvqb
