#pragma once
// Where a data-source box goes when it is moved or sized: onto the query
// builder's grid, and never above or left of the diagram's origin.
#include <QPoint>
#include <QRect>

namespace nvqb {

class TnvQueryBuilderModel;

// The grid the boxes of the query builder snap to: its GridSize while
// SnapToGrid is set, 0 (no grid) otherwise, 5 without a query builder.
int BoxGrid(const TnvQueryBuilderModel *queryBuilder);

// The bounds a box at Current takes when asked for Requested. With a grid
// above 0, left and top lose the remainder of their division by the grid
// (truncating, so a negative coordinate moves toward zero) and a width or
// height that changes grows by what the left or top lost, so that the far
// edge stays where it was asked to be. Left and top then stay at or right of
// and below Origin (the diagram's origin in the box's parent).
QRect SnapBoxBounds(const QRect &requested, const QRect &current, int grid, const QPoint &origin);

} // namespace nvqb
