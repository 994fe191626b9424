#pragma once
// The metadata container editor: browse, trim and reload a container on a
// working copy that OK copies back.

namespace nvqb {

class TnvMetadataContainer;

// Opens the editor on the container (which must not be nil), modally; true
// when it closed with OK.
bool EditMetadataContainer(TnvMetadataContainer *container);

} // namespace nvqb
