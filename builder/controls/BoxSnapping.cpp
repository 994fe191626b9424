#include "builder/controls/BoxSnapping.h"
#include "builder/model/QueryBuilderModel.h"

#include <algorithm>

namespace nvqb {

int BoxGrid(const TnvQueryBuilderModel *queryBuilder)
{
    if (!queryBuilder)
        return 5;
    return queryBuilder->SnapToGrid() ? queryBuilder->GridSize() : 0;
}

QRect SnapBoxBounds(const QRect &requested, const QRect &current, int grid, const QPoint &origin)
{
    int left = requested.x(), top = requested.y();
    int width = requested.width(), height = requested.height();
    // A grid of 0 (GridSize may be set to it) means no grid at all.
    if (grid > 0) {
        const int dx = left % grid;
        const int dy = top % grid;
        left -= dx;
        top -= dy;
        if (width != current.width())
            width += dx;
        if (height != current.height())
            height += dy;
    }
    left = std::max(left, origin.x());
    top = std::max(top, origin.y());
    return QRect(left, top, width, height);
}

} // namespace nvqb
