#pragma once
// The load wizard: fills a metadata container from a live database, or
// writes what it loads to an XML file.
#include <QString>

namespace nvqb {

class TnvMetadataContainer;

// Opens the wizard on the container, modally; true when it closed with OK.
bool LoadMetadataContainer(TnvMetadataContainer *container);

// Loads into a scratch container and saves it as XML. fileName receives the
// wizard's file name whatever the result; true when it closed with OK.
bool FetchMetadataToFile(QString &fileName);

} // namespace nvqb
