#include "builder/controls/LinkGeometry.h"

#include <QBitmap>
#include <QImage>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstdlib>

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

bool Between(int value, int a, int b) { return value >= std::min(a, b) && value <= std::max(a, b); }

bool NearSegment(const QPoint &a, const QPoint &b, const QPoint &p)
{
    if (a.x() == b.x())
        return Between(p.y(), a.y(), b.y()) && std::abs(a.x() - p.x()) <= LinkHitTolerance;
    if (a.y() == b.y())
        return Between(p.x(), a.x(), b.x()) && std::abs(a.y() - p.y()) <= LinkHitTolerance;

    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    // Walk along the longer axis; t is the coordinate on that axis.
    const bool alongX = std::abs(dy / dx) <= 1.0;
    const double slope = alongX ? dy / dx : dx / dy;
    const int t2 = alongX ? b.x() : b.y();
    const double base = alongX ? b.y() : b.x();
    // The distance from P to the line's point at t, in city-block measure.
    auto distance = [&](int t) {
        const int other = RoundHalfEven(base + slope * double(t - t2));
        const int x = alongX ? t : other;
        const int y = alongX ? other : t;
        return double(std::abs(x - p.x()) + std::abs(y - p.y()));
    };
    int lo = alongX ? std::min(a.x(), b.x()) : std::min(a.y(), b.y());
    int hi = alongX ? std::max(a.x(), b.x()) : std::max(a.y(), b.y());
    int mid;
    for (;;) {
        mid = lo + (hi - lo) / 2;
        const bool last = mid == lo;
        if (distance(mid) <= LinkHitTolerance)
            return true;
        if (last)
            break;
        if (distance(mid + 1) >= distance(mid))
            hi = mid;
        else
            lo = mid;
    }
    return distance(mid + 1) <= LinkHitTolerance;
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
    constexpr int Tolerance = int(LinkHitTolerance);
    QRegion region;
    for (int i = 0; i < 3; ++i) {
        const QPoint a = points[size_t(i)], b = points[size_t(i + 1)];
        const int left = std::min(a.x(), b.x()), right = std::max(a.x(), b.x());
        const int top = std::min(a.y(), b.y()), bottom = std::max(a.y(), b.y());
        // Level and upright segments take a rectangle: the tolerance across
        // them, nothing beyond their ends.
        if (a.x() == b.x()) {
            region += QRect(a.x() - Tolerance, top, 2 * Tolerance + 1, bottom - top + 1);
            continue;
        }
        if (a.y() == b.y()) {
            region += QRect(left, a.y() - Tolerance, right - left + 1, 2 * Tolerance + 1);
            continue;
        }
        // A slanted segment: each point of a band around it is put to the
        // test. A point near the walked line lies within the tolerance, plus
        // a pixel of rounding, of the line across its longer axis, and within
        // the tolerance of the segment's ends along it.
        constexpr int Band = Tolerance + 2;
        const QRect box(left - Band, top - Band, right - left + 2 * Band + 1, bottom - top + 2 * Band + 1);
        QImage image(box.size(), QImage::Format_Mono);
        // Index 1 is Qt's colour1, the bits a bitmap's region is made of.
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        image.fill(0);
        const int dx = b.x() - a.x(), dy = b.y() - a.y();
        auto test = [&](int x, int y) {
            if (NearSegment(a, b, QPoint(x, y)))
                image.setPixel(x - box.x(), y - box.y(), 1);
        };
        if (std::abs(dx) >= std::abs(dy)) {
            for (int x = left - Tolerance; x <= right + Tolerance; ++x) {
                const int t = std::clamp(x, left, right);
                const int y0 = a.y() + int(std::lround(double(dy) * (t - a.x()) / dx));
                for (int y = y0 - Band; y <= y0 + Band; ++y)
                    test(x, y);
            }
        } else {
            for (int y = top - Tolerance; y <= bottom + Tolerance; ++y) {
                const int t = std::clamp(y, top, bottom);
                const int x0 = a.x() + int(std::lround(double(dx) * (t - a.y()) / dy));
                for (int x = x0 - Band; x <= x0 + Band; ++x)
                    test(x, y);
            }
        }
        region += QRegion(QBitmap::fromImage(image)).translated(box.topLeft());
    }
    return region & QRect(QPoint(0, 0), size);
}

} // namespace nvqb
