#pragma once
// The metadata model's entries for the syntax tree (see MetadataSeam.h),
// installed by the object model's unit start.
#include "sqlmodel/sql/MetadataSeam.h"

namespace nvqb {

const TnvMetadataEntries *MetadataModelEntries();

void InitializeMetadataEntries();
void FinalizeMetadataEntries();

} // namespace nvqb
