// The diagram's geometry without widgets: where a moved or sized box lands
// on the grid, where a link line runs between two rows, and which points
// count as a click on the line.
#include "builder/controls/BoxSnapping.h"
#include "builder/controls/LinkGeometry.h"

#include <QBitmap>
#include <QImage>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace nvqb::test {

namespace {
const QPoint NoOrigin(INT_MIN, INT_MIN);
}

TEST(BoxSnapping, MovesAndSizesOntoTheGridTowardZero)
{
    const QRect current(50, 20, 100, 80);
    // A move keeps the size.
    EXPECT_EQ(SnapBoxBounds(QRect(37, 20, 100, 80), current, 10, NoOrigin), QRect(30, 20, 100, 80));
    // Negative coordinates lose their remainder toward zero.
    EXPECT_EQ(SnapBoxBounds(QRect(-37, -13, 100, 80), current, 10, NoOrigin), QRect(-30, -10, 100, 80));
    // Sizing by the left edge: the right edge stays where the mouse put it.
    const QRect sized = SnapBoxBounds(QRect(37, 20, 113, 80), current, 10, NoOrigin);
    EXPECT_EQ(sized, QRect(30, 20, 120, 80));
    EXPECT_EQ(sized.x() + sized.width(), 150);
    // The same by the top edge.
    EXPECT_EQ(SnapBoxBounds(QRect(50, 14, 100, 86), current, 10, NoOrigin), QRect(50, 10, 100, 90));
}

TEST(BoxSnapping, GridZeroLeavesTheBoundsAsAsked)
{
    const QRect current(50, 20, 100, 80);
    EXPECT_EQ(SnapBoxBounds(QRect(37, 23, 113, 80), current, 0, NoOrigin), QRect(37, 23, 113, 80));
}

TEST(BoxSnapping, StaysWithinTheScrolledOrigin)
{
    const QRect current(50, 20, 100, 80);
    EXPECT_EQ(SnapBoxBounds(QRect(-60, -60, 100, 80), current, 10, QPoint(-25, -5)), QRect(-25, -5, 100, 80));
    EXPECT_EQ(SnapBoxBounds(QRect(-60, -60, 100, 80), current, 10, QPoint(0, 0)), QRect(0, 0, 100, 80));
}

// --- Link geometry -------------------------------------------------------------------

namespace {
// A row of a box: the box's outer left and right edges, the row's top and
// bottom.
TnvEdgeRect Row(int left, int right, int top, int bottom) { return {left, top, right, bottom}; }
QPoint OnDiagram(const TnvLinkGeometry &geometry, int point) { return geometry.Points[size_t(point)] + geometry.Bounds.topLeft(); }
} // namespace

TEST(LinkGeometry, SideBySideLeavesRightAndEntersLeftWithStubs)
{
    const TnvLinkGeometry line = CalcLinkGeometry(Row(10, 90, 40, 56), Row(200, 280, 60, 76));
    EXPECT_EQ(line.LeftSide, csRight);
    EXPECT_EQ(line.RightSide, csLeft);
    EXPECT_EQ(OnDiagram(line, 0), QPoint(90, 48));
    EXPECT_EQ(OnDiagram(line, 1), QPoint(106, 48));
    EXPECT_EQ(OnDiagram(line, 2), QPoint(184, 68));
    EXPECT_EQ(OnDiagram(line, 3), QPoint(200, 68));
    // Span 90..200 and rows 40..76, with 4 pixels left and right, 20 above
    // and 4 below.
    EXPECT_EQ(line.Bounds, QRect(86, 20, 118, 60));

    // The mirror: the right end's box lies wholly to the left.
    const TnvLinkGeometry mirror = CalcLinkGeometry(Row(200, 280, 60, 76), Row(10, 90, 40, 56));
    EXPECT_EQ(mirror.LeftSide, csLeft);
    EXPECT_EQ(mirror.RightSide, csRight);
    EXPECT_EQ(OnDiagram(mirror, 0), QPoint(200, 68));
    EXPECT_EQ(OnDiagram(mirror, 1), QPoint(184, 68));
    EXPECT_EQ(OnDiagram(mirror, 3), QPoint(90, 48));
}

TEST(LinkGeometry, OverlappingBoxesLeaveOnTheNearerSide)
{
    // One above the other with equal left edges: both stubs go left, and the
    // line reaches a stub and the margin left of the boxes.
    const TnvLinkGeometry left = CalcLinkGeometry(Row(10, 90, 40, 56), Row(10, 120, 140, 156));
    EXPECT_EQ(left.LeftSide, csLeft);
    EXPECT_EQ(left.RightSide, csLeft);
    EXPECT_EQ(left.Bounds.x(), 10 - 16 - 4);
    EXPECT_EQ(OnDiagram(left, 1), QPoint(-6, 48));
    EXPECT_EQ(OnDiagram(left, 2), QPoint(-6, 148));

    // Right edges nearer each other than left edges: both go right.
    const TnvLinkGeometry right = CalcLinkGeometry(Row(10, 90, 40, 56), Row(40, 92, 140, 156));
    EXPECT_EQ(right.LeftSide, csRight);
    EXPECT_EQ(right.RightSide, csRight);
    EXPECT_EQ(right.Bounds.x() + right.Bounds.width(), 92 + 16 + 4);
}

TEST(LinkGeometry, BoxesCloserThanAStubWidenTheSpan)
{
    // Ten pixels between the boxes: the span must hold both crossing stubs.
    const TnvLinkGeometry line = CalcLinkGeometry(Row(10, 90, 40, 56), Row(100, 180, 40, 56));
    EXPECT_EQ(line.Bounds.x(), 90 + 10 - 16 - 4);
    EXPECT_EQ(line.Bounds.width(), 32 - 10 + 8);
    EXPECT_EQ(OnDiagram(line, 1), QPoint(106, 48));
    EXPECT_EQ(OnDiagram(line, 2), QPoint(84, 48));
    EXPECT_TRUE(line.Bounds.contains(OnDiagram(line, 1)) && line.Bounds.contains(OnDiagram(line, 2)));
}

TEST(LinkGeometry, RowMiddleTruncatesTowardZero)
{
    QPoint from, to;
    CalcEnterLine(Row(0, 10, -7, 0), csRight, from, to);
    EXPECT_EQ(from, QPoint(10, -3));
    EXPECT_EQ(to, QPoint(26, -3));
    CalcEnterLine(Row(0, 10, 3, 8), csLeft, from, to);
    EXPECT_EQ(from, QPoint(0, 5));
    EXPECT_EQ(to, QPoint(-16, 5));
}

// --- Hit test ----------------------------------------------------------------------------

TEST(LinkHitTest, StubsTakeSixPixelsEitherSide)
{
    const TnvLinkPoints points = {QPoint(4, 28), QPoint(20, 28), QPoint(98, 48), QPoint(114, 48)};
    EXPECT_TRUE(LinkHitTest(points, QPoint(12, 28 - 5)));
    EXPECT_TRUE(LinkHitTest(points, QPoint(12, 28 - 6)));
    EXPECT_FALSE(LinkHitTest(points, QPoint(12, 28 - 7)));
    EXPECT_TRUE(LinkHitTest(points, QPoint(12, 28 + 6)));
    // Beyond the end of a stub along its axis nothing is taken.
    EXPECT_FALSE(LinkHitTest(points, QPoint(3, 28)));
    EXPECT_TRUE(LinkHitTest(points, QPoint(4, 28)));

    // A vertical middle segment.
    const TnvLinkPoints vertical = {QPoint(40, 10), QPoint(24, 10), QPoint(24, 90), QPoint(40, 90)};
    EXPECT_TRUE(LinkHitTest(vertical, QPoint(18, 50)));
    EXPECT_FALSE(LinkHitTest(vertical, QPoint(17, 50)));
}

TEST(LinkHitTest, SlantedSegmentsMeasureCityBlocksToTheWalkedPoint)
{
    // From (0, 0) to (20, 10): walked along x; at x = 10 the line is at y = 5.
    const TnvLinkPoints points = {QPoint(0, 0), QPoint(0, 0), QPoint(20, 10), QPoint(20, 10)};
    EXPECT_TRUE(LinkHitTest(points, QPoint(10, 11)));  // 6 below the line
    EXPECT_FALSE(LinkHitTest(points, QPoint(10, 12))); // 7 at best (x = 10, 11)
    EXPECT_TRUE(LinkHitTest(points, QPoint(13, 10)));  // 2 + 2 city blocks from (15, 8)
    // At x = 11 the line's 5.5 is taken as 6.
    EXPECT_TRUE(LinkHitTest(points, QPoint(11, 12)));
    EXPECT_TRUE(LinkHitTest(points, QPoint(10, -1)));
    EXPECT_FALSE(LinkHitTest(points, QPoint(10, -2)));
    // Steeper than a diagonal: walked along y.
    const TnvLinkPoints steep = {QPoint(0, 0), QPoint(0, 0), QPoint(10, 30), QPoint(10, 30)};
    EXPECT_TRUE(LinkHitTest(steep, QPoint(11, 15)));  // line at x = 5
    EXPECT_FALSE(LinkHitTest(steep, QPoint(12, 15)));
}

TEST(LinkHitTest, RegionHoldsExactlyThePointsTheTestTakes)
{
    const TnvLinkPoints shapes[] = {
        {QPoint(4, 28), QPoint(20, 28), QPoint(98, 48), QPoint(114, 48)},
        {QPoint(114, 28), QPoint(98, 28), QPoint(20, 148), QPoint(4, 148)},
        {QPoint(20, 24), QPoint(4, 24), QPoint(4, 80), QPoint(20, 80)},
        {QPoint(4, 24), QPoint(20, 24), QPoint(24, 60), QPoint(8, 60)},
    };
    for (const TnvLinkPoints &points : shapes) {
        const QSize size(120, 160);
        const QRegion region = LinkHitRegion(points, size);
        int differences = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                differences += region.contains(QPoint(x, y)) != LinkHitTest(points, QPoint(x, y));
        EXPECT_EQ(differences, 0) << "line through " << points[1].x() << "," << points[1].y();
    }
}

// --- The hit region against the pixel mask it replaced ----------------------
//
// The line's mask used to be made by putting every pixel of a band around a
// slanted segment to a binary search for the nearest point of the walked
// line. That search could stop at a point that is not the nearest (where the
// walked line steps away from the point while the search walks toward it),
// so some points within the tolerance were missed. The mask is now built
// from the segments themselves; it must take every point the old mask took,
// and the points the search missed, and nothing else.

namespace {

int OldRoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5)
        return int(floor) + 1;
    if (fraction < 0.5)
        return int(floor);
    return (std::fmod(floor, 2.0) == 0.0) ? int(floor) : int(floor) + 1;
}

bool OldBetween(int value, int a, int b) { return value >= std::min(a, b) && value <= std::max(a, b); }

// The walked line's point at T of a slanted segment.
struct TWalked {
    bool AlongX;
    double Slope, Base;
    int T2, Lo, Hi;
    TWalked(const QPoint &a, const QPoint &b)
    {
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        AlongX = std::abs(dy / dx) <= 1.0;
        Slope = AlongX ? dy / dx : dx / dy;
        T2 = AlongX ? b.x() : b.y();
        Base = AlongX ? b.y() : b.x();
        Lo = AlongX ? std::min(a.x(), b.x()) : std::min(a.y(), b.y());
        Hi = AlongX ? std::max(a.x(), b.x()) : std::max(a.y(), b.y());
    }
    int Distance(int t, const QPoint &p) const
    {
        const int other = OldRoundHalfEven(Base + Slope * double(t - T2));
        return std::abs((AlongX ? t : other) - p.x()) + std::abs((AlongX ? other : t) - p.y());
    }
};

// The old test of one segment, search included.
bool OldNearSegment(const QPoint &a, const QPoint &b, const QPoint &p)
{
    if (a.x() == b.x())
        return OldBetween(p.y(), a.y(), b.y()) && std::abs(a.x() - p.x()) <= 6;
    if (a.y() == b.y())
        return OldBetween(p.x(), a.x(), b.x()) && std::abs(a.y() - p.y()) <= 6;
    const TWalked walk(a, b);
    int lo = walk.Lo, hi = walk.Hi, mid;
    for (;;) {
        mid = lo + (hi - lo) / 2;
        const bool last = mid == lo;
        if (walk.Distance(mid, p) <= 6)
            return true;
        if (last)
            break;
        if (walk.Distance(mid + 1, p) >= walk.Distance(mid, p))
            hi = mid;
        else
            lo = mid;
    }
    return walk.Distance(mid + 1, p) <= 6;
}

// The old mask: level and upright segments as rectangles, every pixel of a
// band around a slanted one put to the old test.
QRegion OldPixelMask(const TnvLinkPoints &points, const QSize &size)
{
    QRegion region;
    for (int i = 0; i < 3; ++i) {
        const QPoint a = points[size_t(i)], b = points[size_t(i + 1)];
        const int left = std::min(a.x(), b.x()), right = std::max(a.x(), b.x());
        const int top = std::min(a.y(), b.y()), bottom = std::max(a.y(), b.y());
        if (a.x() == b.x()) {
            region += QRect(a.x() - 6, top, 13, bottom - top + 1);
            continue;
        }
        if (a.y() == b.y()) {
            region += QRect(left, a.y() - 6, right - left + 1, 13);
            continue;
        }
        constexpr int Band = 8;
        const QRect box(left - Band, top - Band, right - left + 2 * Band + 1, bottom - top + 2 * Band + 1);
        QImage image(box.size(), QImage::Format_Mono);
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        image.fill(0);
        const int dx = b.x() - a.x(), dy = b.y() - a.y();
        auto test = [&](int x, int y) {
            if (OldNearSegment(a, b, QPoint(x, y)))
                image.setPixel(x - box.x(), y - box.y(), 1);
        };
        if (std::abs(dx) >= std::abs(dy)) {
            for (int x = left - 6; x <= right + 6; ++x) {
                const int t = std::clamp(x, left, right);
                const int y0 = a.y() + int(std::lround(double(dy) * (t - a.x()) / dx));
                for (int y = y0 - Band; y <= y0 + Band; ++y)
                    test(x, y);
            }
        } else {
            for (int y = top - 6; y <= bottom + 6; ++y) {
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

// What the line should take, by definition: across a level or upright
// segment within its ends, or within 6 city blocks of a pixel of a slanted
// segment's walked line (every pixel tried).
bool WithinTolerance(const TnvLinkPoints &points, const QPoint &p)
{
    for (int i = 0; i < 3; ++i) {
        const QPoint a = points[size_t(i)], b = points[size_t(i + 1)];
        if (a.x() == b.x() || a.y() == b.y()) {
            if (OldNearSegment(a, b, p))
                return true;
            continue;
        }
        // A pixel further along than 6 is more than 6 city blocks away.
        const TWalked walk(a, b);
        const int at = walk.AlongX ? p.x() : p.y();
        for (int t = std::max(walk.Lo, at - 6); t <= std::min(walk.Hi, at + 6); ++t)
            if (walk.Distance(t, p) <= 6)
                return true;
    }
    return false;
}

} // namespace

TEST(LinkHitTest, TakesWhatThePixelMaskTookAndThePointsItsSearchMissed)
{
    // Row rectangles of two boxes (left, top, right, bottom), as the line
    // joins them: side by side, far apart, one below the other, crossing
    // stubs, nearly diagonal, long and shallow, leading up and back.
    const TnvEdgeRect rows[][2] = {
        {{10, 40, 110, 56}, {300, 200, 400, 216}},   {{10, 30, 110, 46}, {200, 900, 300, 916}},
        {{10, 30, 110, 46}, {10, 400, 110, 416}},    {{0, 50, 100, 66}, {105, 300, 205, 316}},
        {{0, 0, 100, 16}, {300, 283, 400, 299}},     {{0, 0, 100, 16}, {1500, 150, 1600, 166}},
        {{500, 700, 600, 716}, {0, 100, 100, 116}},  {{40, 500, 140, 516}, {300, 20, 400, 36}},
    };
    int missedBefore = 0;
    for (const auto &pair : rows) {
        const TnvLinkGeometry line = CalcLinkGeometry(pair[0], pair[1]);
        const TnvLinkPoints &points = line.Points;
        const QSize size = line.Bounds.size();
        const QRegion region = LinkHitRegion(points, size);
        const QRegion old = OldPixelMask(points, size);
        const QString shape = QStringLiteral("line through (%1,%2) (%3,%4)")
                                  .arg(points[1].x())
                                  .arg(points[1].y())
                                  .arg(points[2].x())
                                  .arg(points[2].y());
        int failures = 0;
        for (int i = 0; i < 3 && failures < 5; ++i) {
            const QPoint a = points[size_t(i)], b = points[size_t(i + 1)];
            const bool alongX = std::abs(b.y() - a.y()) <= std::abs(b.x() - a.x());
            const int lo = alongX ? std::min(a.x(), b.x()) : std::min(a.y(), b.y());
            const int hi = alongX ? std::max(a.x(), b.x()) : std::max(a.y(), b.y());
            // Along the segment and past its ends; on it, near it and beside it.
            for (int t = lo - 9; t <= hi + 9 && failures < 5; ++t) {
                const double along = hi == lo ? 0 : double(t - lo) / (hi - lo);
                const int low = alongX ? (b.x() >= a.x() ? a.y() : b.y()) : (b.y() >= a.y() ? a.x() : b.x());
                const int high = alongX ? (b.x() >= a.x() ? b.y() : a.y()) : (b.y() >= a.y() ? b.x() : a.x());
                const int across = int(std::lround(low + (high - low) * std::clamp(along, 0.0, 1.0)));
                for (int offset = -10; offset <= 10; ++offset) {
                    const QPoint p = alongX ? QPoint(t, across + offset) : QPoint(across + offset, t);
                    if (!QRect(QPoint(0, 0), size).contains(p))
                        continue;
                    const bool taken = region.contains(p);
                    const bool expected = WithinTolerance(points, p);
                    const bool before = old.contains(p);
                    missedBefore += expected && !before;
                    if (taken != expected || taken != LinkHitTest(points, p) || (before && !taken)) {
                        ADD_FAILURE() << shape.toStdString() << ": (" << p.x() << "," << p.y() << ") taken " << taken
                                      << ", within the tolerance " << expected << ", by the old mask " << before;
                        ++failures;
                    }
                }
            }
            // The segment's ends are taken.
            EXPECT_TRUE(region.contains(a) || !QRect(QPoint(0, 0), size).contains(a)) << shape.toStdString();
        }
    }
    // The search did miss points within the tolerance.
    EXPECT_GT(missedBefore, 0);
}

} // namespace nvqb::test
