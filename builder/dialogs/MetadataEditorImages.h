#pragma once
// The small pictures of the metadata container editor's tree, drawn in code
// so the library carries no image files for them. Indexes: 0 table, 1 view,
// 2 procedure, 3 (a plain object), 4 group of fields or relations,
// 5 database, 6 schema, 7 field or relation, 8 synonym.
#include "builder/model/ImageList.h"

#include <QColor>

namespace nvqb {

TnvImageList MetadataEditorImages();

// The colour that fills most of each picture, so a picture of the tree can be
// checked for the image a node shows.
QColor MetadataEditorImageColor(int index);

} // namespace nvqb
