// The diagram's geometry without widgets: where a moved or sized box lands
// on the grid, where a link line runs between two rows, and which points
// count as a click on the line.
#include "builder/controls/BoxSnapping.h"
#include "builder/controls/LinkGeometry.h"

#include <QRegion>
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

} // namespace nvqb::test
