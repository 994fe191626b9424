#pragma once
// Where the line of a link runs, worked out from the two field rows it
// joins, and which points count as "on the line" for the mouse. Kept apart
// from the line widget so that the geometry can be checked without one.
//
// Rectangles here use the diagram's pixel edges: Right and Bottom are the
// first pixel past the rectangle (x + width, y + height), so a stub that
// starts at a box's right edge starts just outside the box.
#include "builder/model/LinkPainter.h"

#include <QPoint>
#include <QRect>

class QRegion;

namespace nvqb {

// A rectangle by its four edges, right and bottom exclusive.
struct TnvEdgeRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    static TnvEdgeRect FromRect(const QRect &rect)
    {
        return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
    }
    QRect ToRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TnvEdgeRect Translated(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
};

// How far a stub reaches out from its box.
inline constexpr int LinkStubLength = 16;
// How near to the line (in pixels) a click still takes the line.
inline constexpr double LinkHitTolerance = 6.0;

struct TnvLinkGeometry {
    TnvQueryBuilderLinkConnectToSide LeftSide = csRight;
    TnvQueryBuilderLinkConnectToSide RightSide = csLeft;
    // The line's bounds on the diagram, with room around the line for the
    // painters' marks.
    QRect Bounds;
    // The polyline in the line's own coordinates (origin at Bounds' corner).
    TnvLinkPoints Points;
};

// The stub of a row: at the row's vertical middle, from its edge on the
// side to LinkStubLength pixels beyond it.
void CalcEnterLine(const TnvEdgeRect &row, TnvQueryBuilderLinkConnectToSide side, QPoint &from, QPoint &to);

// The line between the left and the right row, both given in the diagram's
// coordinates with the left and right edges of their boxes.
TnvLinkGeometry CalcLinkGeometry(const TnvEdgeRect &left, const TnvEdgeRect &right);

// Whether the point lies near enough one of the polyline's three segments:
// within the tolerance across a level or upright segment, between its ends;
// within the tolerance, in city-block measure, of a point of a slanted
// segment's line as it is walked pixel by pixel along its longer axis.
bool LinkHitTest(const TnvLinkPoints &points, const QPoint &point);

// Every point of Bounds (in the line's own coordinates, from 0, 0) that
// LinkHitTest takes, made of one rectangle per run of rows along each
// segment: its cost follows the length of the line, not its area.
QRegion LinkHitRegion(const TnvLinkPoints &points, const QSize &size);

} // namespace nvqb
