#include "builder/controls/LinkPainters.h"
#include "classlib/Assert.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <QPolygon>

// Q_INIT_RESOURCE must stand outside any namespace.
static void InitLinkPainterResources() { Q_INIT_RESOURCE(LinkPainters); }
static void CleanupLinkPainterResources() { Q_CLEANUP_RESOURCE(LinkPainters); }

namespace nvqb {

namespace {

TnvQueryBuilderLinkPainter *GDefaultLinkPainter = nullptr;
QImage *GCardinalityOne = nullptr;
QImage *GCardinalityMany = nullptr;

QImage LoadCardinalityBitmap(const char *resource)
{
    QImage image(QStringLiteral(":/nvqb/link/") + QLatin1String(resource));
    // Premultiplied alpha is what QPainter blends fastest; the transparent
    // ground lets the line and the work area show around the glyph.
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The class library's Ellipse: the ellipse inscribed in the box from
// (x1, y1) to (x2, y2), right and bottom edges excluded, in either order.
void Ellipse(QPainter &canvas, int x1, int y1, int x2, int y2)
{
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized();
    canvas.drawEllipse(QRect(box.left(), box.top(), box.width() - 2, box.height() - 2));
}

void Triangle(QPainter &canvas, QPoint a, QPoint b, QPoint c)
{
    const QPoint corners[3] = {a, b, c};
    canvas.drawPolygon(corners, 3);
}

QPoint Middle(const QPoint &a, const QPoint &b)
{
    // Integer division rounds toward zero, as the layout's coordinates do.
    return QPoint((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
}

} // namespace

// --- Simple ---------------------------------------------------------------------

NV_IMPLEMENT_CLASS(TnvQueryBuilderLinkPainterSimple, TnvQueryBuilderLinkPainter)

QString TnvQueryBuilderLinkPainterSimple::PainterStyle() const { return QStringLiteral("Simple"); }

void TnvQueryBuilderLinkPainterSimple::PaintLink(QPainter &canvas, const TnvLinkPoints &points, bool focused,
                                                 TnvQueryBuilderLinkConnectToSide leftSide,
                                                 TnvQueryBuilderLinkConnectToSide rightSide, const TnvLink *link)
{
    DrawLine(canvas, points, FLinkColor, 0, focused ? 2 : 1);
    canvas.setBrush(QBrush(FLinkShapesColor, Qt::SolidPattern));
    canvas.setPen(QPen(FLinkColor, 1));
    auto endMark = [&canvas](const QPoint &at, int direction, TnvQueryBuilderLinkSideType type) {
        const int x = at.x(), y = at.y();
        if (type == ltOuter)
            Triangle(canvas, {x, y}, {x + 8 * direction, y - 4}, {x + 8 * direction, y + 4});
        else
            Ellipse(canvas, x, y - 4, x + 8 * direction, y + 4);
    };
    endMark(points[0], Direction(leftSide), LeftType(link));
    endMark(points[3], Direction(rightSide), RightType(link));
}

// --- MS SQL ---------------------------------------------------------------------

NV_IMPLEMENT_CLASS(TnvQueryBuilderLinkPainterMSSQL, TnvQueryBuilderLinkPainter)

QString TnvQueryBuilderLinkPainterMSSQL::PainterStyle() const { return QStringLiteral("MS SQL Style"); }

void TnvQueryBuilderLinkPainterMSSQL::PaintLink(QPainter &canvas, const TnvLinkPoints &points, bool focused,
                                                TnvQueryBuilderLinkConnectToSide, TnvQueryBuilderLinkConnectToSide,
                                                const TnvLink *link)
{
    DrawLine(canvas, points, FLinkColor, -1, 1);
    DrawLine(canvas, points, FLinkColor, 0, 1);
    DrawLine(canvas, points, FLinkColor, 1, 1);
    DrawLine(canvas, points, FLinkBorderColor, -2, 1);
    DrawLine(canvas, points, FLinkBorderColor, 2, focused ? 2 : 1);
    canvas.setBrush(QBrush(focused ? FLinkColorFocused : FLinkColor, Qt::SolidPattern));
    canvas.setPen(QPen(FLinkBorderColor, 1));
    const QPoint center = Middle(points[1], points[2]);
    const int direction = points[0].x() <= points[3].x() ? 1 : -1;
    if (LeftType(link) == ltOuter)
        DrawLeftSideMark(link, canvas, center, direction, 7);
    if (RightType(link) == ltOuter)
        DrawRightSideMark(link, canvas, center, direction, 7);
    DrawCenterMark(link, canvas, center, 7);
}

// --- Access ---------------------------------------------------------------------

NV_IMPLEMENT_CLASS(TnvQueryBuilderLinkPainterAccess, TnvQueryBuilderLinkPainter)

QString TnvQueryBuilderLinkPainterAccess::PainterStyle() const { return QStringLiteral("Access Style"); }

void TnvQueryBuilderLinkPainterAccess::SetMarkStyle(TnvMarkStyle value)
{
    if (FMarkStyle == value)
        return;
    FMarkStyle = value;
    Changed();
}

void TnvQueryBuilderLinkPainterAccess::PaintLink(QPainter &canvas, const TnvLinkPoints &points, bool focused,
                                                 TnvQueryBuilderLinkConnectToSide leftSide,
                                                 TnvQueryBuilderLinkConnectToSide rightSide, const TnvLink *link)
{
    DrawLine(canvas, points, FLinkColor, 0, focused ? 2 : 1);
    // A known cardinality thickens its stub and puts its symbol above it.
    auto stub = [&canvas, this](const QPoint &end, const QPoint &bend, TnvQueryBuilderLinkCardinality cardinality) {
        if (cardinality == qblcUnknown)
            return;
        canvas.setPen(QPen(FLinkColor, 2));
        canvas.drawLine(end, bend);
        const QImage &symbol = LinkCardinalityBitmap(cardinality);
        if (symbol.isNull())
            return;
        const QPoint middle = Middle(end, bend);
        canvas.drawImage(QPoint(middle.x() - symbol.width() / 2, middle.y() - symbol.height() - 4), symbol);
    };
    stub(points[0], points[1], LeftCardinality(link));
    stub(points[3], points[2], RightCardinality(link));
    if (FMarkStyle == msAccess)
        PaintAccessMarks(canvas, points, leftSide, rightSide, link);
    else
        PaintEnterpriseManagerMarks(canvas, points, focused, link);
}

void TnvQueryBuilderLinkPainterAccess::PaintAccessMarks(QPainter &canvas, const TnvLinkPoints &points,
                                                        TnvQueryBuilderLinkConnectToSide leftSide,
                                                        TnvQueryBuilderLinkConnectToSide rightSide,
                                                        const TnvLink *link)
{
    canvas.setBrush(QBrush(FLinkColor, Qt::SolidPattern));
    canvas.setPen(QPen(FLinkColor, 1));
    auto mark = [&canvas](const QPoint &at, int direction, bool arrow) {
        const int x = at.x(), y = at.y();
        if (arrow)
            Triangle(canvas, {x, y}, {x + 4 * direction, y - 4}, {x + 4 * direction, y + 4});
        else
            Ellipse(canvas, x, y - 2, x + 4 * direction, y + 2);
    };
    // An end shows which side keeps all its rows; a dot stands where
    // nothing else says how the end joins.
    const bool leftOuter = LeftType(link) == ltOuter, rightOuter = RightType(link) == ltOuter;
    if (rightOuter || LeftCardinality(link) == qblcUnknown)
        mark(points[0], Direction(leftSide), rightOuter);
    if (leftOuter || RightCardinality(link) == qblcUnknown)
        mark(points[3], Direction(rightSide), leftOuter);
}

void TnvQueryBuilderLinkPainterAccess::PaintEnterpriseManagerMarks(QPainter &canvas, const TnvLinkPoints &points,
                                                                   bool focused, const TnvLink *link)
{
    canvas.setBrush(QBrush(focused ? MarkColorFocused() : MarkColor(), Qt::SolidPattern));
    canvas.setPen(QPen(FLinkColor, 1));
    const QPoint center = Middle(points[1], points[2]);
    const int direction = points[1].x() <= points[2].x() ? 1 : -1;
    if (LeftType(link) == ltOuter)
        DrawLeftSideMark(link, canvas, center, direction, 7);
    if (RightType(link) == ltOuter)
        DrawRightSideMark(link, canvas, center, direction, 7);
    DrawCenterMark(link, canvas, center, 7);
}

// --- Unit start and end -------------------------------------------------------------

TnvQueryBuilderLinkPainter *DefaultLinkPainter()
{
    Assert(GDefaultLinkPainter != nullptr, "nvQBBase", "The link painters are used outside the library's lifetime");
    return GDefaultLinkPainter;
}

const QImage &LinkCardinalityBitmap(TnvQueryBuilderLinkCardinality cardinality)
{
    static const QImage none;
    const QImage *image = cardinality == qblcOne    ? GCardinalityOne
                          : cardinality == qblcMany ? GCardinalityMany
                                                    : nullptr;
    return image ? *image : none;
}

void InitializeLinkPainters()
{
    if (GDefaultLinkPainter)
        return;
    InitLinkPainterResources();
    TnvQueryBuilderLinkPainters *painters = QueryBuilderLinkPainters();
    painters->RegisterPainter<TnvQueryBuilderLinkPainterSimple>();
    painters->RegisterPainter<TnvQueryBuilderLinkPainterMSSQL>();
    painters->RegisterPainter<TnvQueryBuilderLinkPainterAccess>();
    painters->SetFallbackClass(TnvQueryBuilderLinkPainterAccess::StaticClassType());
    GDefaultLinkPainter = Create<TnvQueryBuilderLinkPainterAccess>(nullptr).release();
    GCardinalityOne = new QImage(LoadCardinalityBitmap("NVQBLINKCARDINALITYONE"));
    GCardinalityMany = new QImage(LoadCardinalityBitmap("NVQBLINKCARDINALITYMANY"));
}

// The registry itself, with the classes registered above, goes with the
// model's unit end.
void FinalizeLinkPainters()
{
    if (!GDefaultLinkPainter)
        return;
    delete GCardinalityMany;
    GCardinalityMany = nullptr;
    delete GCardinalityOne;
    GCardinalityOne = nullptr;
    TObject::Free(GDefaultLinkPainter);
    GDefaultLinkPainter = nullptr;
    CleanupLinkPainterResources();
}

} // namespace nvqb
