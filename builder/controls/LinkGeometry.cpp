#include "builder/controls/LinkGeometry.h"

#include <QRegion>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace nvqb {

void CalcEnterLine(const TnvEdgeRect &row, TnvQueryBuilderLinkConnectToSide side, QPoint &from, QPoint &to)
{
    // C++ division truncates toward zero, as the middle of a row is taken.
    const int y = (row.Top + row.Bottom) / 2;
    if (side == csRight) {
        from = QPoint(row.Right, y);
        to = QPoint(row.Right + LinkStubLength, y);
    } else {
        from = QPoint(row.Left, y);
        to = QPoint(row.Left - LinkStubLength, y);
    }
}

TnvLinkGeometry CalcLinkGeometry(const TnvEdgeRect &left, const TnvEdgeRect &right)
{
    TnvLinkGeometry result;
    int spanLeft, spanRight;
    if (left.Right < right.Left) {
        result.LeftSide = csRight;
        result.RightSide = csLeft;
        spanLeft = left.Right;
        spanRight = right.Left;
    } else if (right.Right < left.Left) {
        result.LeftSide = csLeft;
        result.RightSide = csRight;
        spanLeft = right.Right;
        spanRight = left.Left;
    } else if (std::abs(left.Left - right.Left) <= std::abs(left.Right - right.Right)) {
        // The boxes overlap: both ends leave on the side where their edges
        // are nearer each other, so the line does not cross a box.
        result.LeftSide = result.RightSide = csLeft;
        spanLeft = std::min(left.Left, right.Left) - LinkStubLength;
        spanRight = std::max(left.Left, right.Left);
    } else {
        result.LeftSide = result.RightSide = csRight;
        spanLeft = std::min(left.Right, right.Right);
        spanRight = std::max(left.Right, right.Right) + LinkStubLength;
    }
    int width = spanRight - spanLeft;
    if (width < LinkStubLength) {
        // Boxes closer than a stub: the stubs cross, so the span must hold
        // both of them.
        spanLeft = spanLeft + width - LinkStubLength;
        width = 2 * LinkStubLength - width;
    }
    const int top = std::min(left.Top, right.Top);
    const int bottom = std::max(left.Bottom, right.Bottom);
    // Room for the marks: cardinality symbols stand above the stubs.
    constexpr int MarginX = 4, MarginTop = 20, MarginBottom = 4;
    result.Bounds = QRect(spanLeft - MarginX, top - MarginTop, width + 2 * MarginX,
                          bottom - top + MarginTop + MarginBottom);

    const int dx = -result.Bounds.x(), dy = -result.Bounds.y();
    CalcEnterLine(left.Translated(dx, dy), result.LeftSide, result.Points[0], result.Points[1]);
    CalcEnterLine(right.Translated(dx, dy), result.RightSide, result.Points[3], result.Points[2]);
    return result;
}

namespace {

constexpr int Tolerance = int(LinkHitTolerance);

// Halves go to the even neighbour.
int RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5)
        return int(floor) + 1;
    if (fraction < 0.5)
        return int(floor);
    return (std::fmod(floor, 2.0) == 0.0) ? int(floor) : int(floor) + 1;
}

// A slanted segment walked along its longer axis: for each t of that axis
// between the ends the line stands at Other(t) on the other axis, rounded
// to a pixel. Over one step of t, Other moves by one pixel at most.
struct TSlantedWalk {
    bool AlongX;
    double Slope;
    double Base;
    int T2;
    int Lo;
    int Hi;

    TSlantedWalk(const QPoint &a, const QPoint &b)
    {
        const double dx = b.x() - a.x();
        const double dy = b.y() - a.y();
        AlongX = std::abs(dy / dx) <= 1.0;
        Slope = AlongX ? dy / dx : dx / dy;
        // The line is reckoned from the second end.
        T2 = AlongX ? b.x() : b.y();
        Base = AlongX ? b.y() : b.x();
        Lo = AlongX ? std::min(a.x(), b.x()) : std::min(a.y(), b.y());
        Hi = AlongX ? std::max(a.x(), b.x()) : std::max(a.y(), b.y());
    }
    int Other(int t) const { return RoundHalfEven(Base + Slope * double(t - T2)); }

    // The points at T within the tolerance (city-block measure) of the
    // walked line: From .. To on the other axis; empty (From > To) when none.
    // Within the segment's span that is the tolerance either side of the
    // line at T itself (no other point of the line, moving a pixel a step
    // at most, comes nearer); beyond an end, what the end's diamond leaves.
    void Span(int t, int &from, int &to) const
    {
        int reach = Tolerance;
        int at = t;
        if (t < Lo) {
            reach -= Lo - t;
            at = Lo;
        } else if (t > Hi) {
            reach -= t - Hi;
            at = Hi;
        }
        const int other = Other(at);
        from = other - reach;
        to = other + reach;
    }
};

bool Between(int value, int a, int b) { return value >= std::min(a, b) && value <= std::max(a, b); }

// Whether P lies within the tolerance of the segment: across a level or
// upright segment (not beyond its ends), or, for a slanted one, within the
// tolerance in city-block measure of a point of the walked line.
bool NearSegment(const QPoint &a, const QPoint &b, const QPoint &p)
{
    if (a.x() == b.x())
        return Between(p.y(), a.y(), b.y()) && std::abs(a.x() - p.x()) <= Tolerance;
    if (a.y() == b.y())
        return Between(p.x(), a.x(), b.x()) && std::abs(a.y() - p.y()) <= Tolerance;
    const TSlantedWalk walk(a, b);
    int from, to;
    walk.Span(walk.AlongX ? p.x() : p.y(), from, to);
    const int other = walk.AlongX ? p.y() : p.x();
    return other >= from && other <= to;
}

// Rows of a region made one by one from the top: each row takes the
// pixels Left .. Right (none when Left > Right); a run of equal rows becomes
// one rectangle, in the banded order a region keeps its rectangles in.
class TRowRuns {
public:
    void Add(int y, int left, int right)
    {
        if (FOpen && left == FLeft && right == FRight && y == FTop + FHeight) {
            ++FHeight;
            return;
        }
        Close();
        FOpen = left <= right;
        FTop = y;
        FHeight = 1;
        FLeft = left;
        FRight = right;
    }
    QRegion Region()
    {
        Close();
        QRegion region;
        if (!FRects.empty())
            region.setRects(FRects.data(), int(FRects.size()));
        return region;
    }

private:
    void Close()
    {
        if (FOpen)
            FRects.emplace_back(FLeft, FTop, FRight - FLeft + 1, FHeight);
        FOpen = false;
    }

    std::vector<QRect> FRects;
    bool FOpen = false;
    int FTop = 0, FHeight = 0, FLeft = 0, FRight = 0;
};

// The points NearSegment takes for a slanted segment, built from the walked
// line's spans rather than by trying each point.
QRegion SlantedSegmentRegion(const QPoint &a, const QPoint &b)
{
    const TSlantedWalk walk(a, b);
    const int first = walk.Lo - Tolerance, last = walk.Hi + Tolerance;
    int from, to;
    TRowRuns runs;
    if (!walk.AlongX) {
        // Each row t holds one span.
        for (int t = first; t <= last; ++t) {
            walk.Span(t, from, to);
            runs.Add(t, from, to);
        }
        return runs.Region();
    }
    // Each column t holds one span; the line being monotonic, each row takes
    // one run of columns.
    const int top = std::min(walk.Other(walk.Lo), walk.Other(walk.Hi)) - Tolerance;
    const int bottom = std::max(walk.Other(walk.Lo), walk.Other(walk.Hi)) + Tolerance;
    std::vector<int> left(size_t(bottom - top + 1), INT_MAX), right(size_t(bottom - top + 1), INT_MIN);
    for (int t = first; t <= last; ++t) {
        walk.Span(t, from, to);
        for (int y = std::max(from, top); y <= std::min(to, bottom); ++y) {
            left[size_t(y - top)] = std::min(left[size_t(y - top)], t);
            right[size_t(y - top)] = std::max(right[size_t(y - top)], t);
        }
    }
    for (size_t i = 0; i < left.size(); ++i)
        runs.Add(top + int(i), left[i], right[i]);
    return runs.Region();
}

} // namespace

bool LinkHitTest(const TnvLinkPoints &points, const QPoint &point)
{
    for (int i = 0; i < 3; ++i)
        if (NearSegment(points[size_t(i)], points[size_t(i + 1)], point))
            return true;
    return false;
}

QRegion LinkHitRegion(const TnvLinkPoints &points, const QSize &size)
{
    if (size.isEmpty())
        return QRegion();
    QRegion region;
    for (int i = 0; i < 3; ++i) {
        const QPoint a = points[size_t(i)], b = points[size_t(i + 1)];
        const int left = std::min(a.x(), b.x()), right = std::max(a.x(), b.x());
        const int top = std::min(a.y(), b.y()), bottom = std::max(a.y(), b.y());
        // Level and upright segments take a rectangle: the tolerance across
        // them, nothing beyond their ends.
        if (a.x() == b.x())
            region += QRect(a.x() - Tolerance, top, 2 * Tolerance + 1, bottom - top + 1);
        else if (a.y() == b.y())
            region += QRect(left, a.y() - Tolerance, right - left + 1, 2 * Tolerance + 1);
        else
            region += SlantedSegmentRegion(a, b);
    }
    return region & QRect(QPoint(0, 0), size);
}

} // namespace nvqb
