#include "builder/model/LinkPainter.h"
#include "builder/model/QueryBuilderModel.h"
#include "classlib/Assert.h"

#include <QPainter>
#include <QPen>

namespace nvqb {

namespace {
TnvQueryBuilderLinkPainters *GLinkPainters = nullptr;
}

// --- TnvQueryBuilderLinkPainter ------------------------------------------------

NV_IMPLEMENT_CLASS(TnvQueryBuilderLinkPainter, TPersistent)

TnvQueryBuilderLinkPainter::TnvQueryBuilderLinkPainter(TnvQueryBuilderModel *queryBuilder)
    : FQueryBuilder(queryBuilder)
{
}

TnvQueryBuilderLinkPainter::~TnvQueryBuilderLinkPainter() = default;

void TnvQueryBuilderLinkPainter::SetColor(QColor &field, const QColor &value)
{
    if (field == value)
        return;
    field = value;
    Changed();
}

void TnvQueryBuilderLinkPainter::Changed()
{
    if (FQueryBuilder)
        FQueryBuilder->DoUpdateControlParams();
}

void TnvQueryBuilderLinkPainter::DrawLine(QPainter &canvas, const TnvLinkPoints &points, const QColor &color,
                                          int offset, int width)
{
    canvas.setPen(QPen(color, width));
    QPoint moved[4];
    for (int i = 0; i < 4; ++i)
        moved[i] = points[i] + QPoint(0, offset);
    canvas.drawPolyline(moved, 4);
}

void TnvQueryBuilderLinkPainter::DrawCenterMark(const TnvLink *, QPainter &canvas, const QPoint &center, int size)
{
    const int x = center.x(), y = center.y();
    const QPoint corners[4] = {{x, y - size}, {x + size, y}, {x, y + size}, {x - size, y}};
    canvas.drawPolygon(corners, 4);
}

void TnvQueryBuilderLinkPainter::DrawLeftSideMark(const TnvLink *, QPainter &canvas, const QPoint &center,
                                                  int direction, int size)
{
    const int x = center.x(), y = center.y(), far = x - size * direction;
    const QPoint corners[4] = {{x, y - size}, {far, y - size}, {far, y + size}, {x, y + size}};
    canvas.drawPolygon(corners, 4);
}

void TnvQueryBuilderLinkPainter::DrawRightSideMark(const TnvLink *, QPainter &canvas, const QPoint &center,
                                                   int direction, int size)
{
    const int x = center.x(), y = center.y(), far = x + size * direction;
    const QPoint corners[4] = {{x, y - size}, {far, y - size}, {far, y + size}, {x, y + size}};
    canvas.drawPolygon(corners, 4);
}

// --- Registry ---------------------------------------------------------------------

TnvQueryBuilderLinkPainters::TnvQueryBuilderLinkPainters() = default;

TnvQueryBuilderLinkPainters::~TnvQueryBuilderLinkPainters() = default;

void TnvQueryBuilderLinkPainters::RegisterPainter(TClass painterClass, TnvLinkPainterCreator creator)
{
    Assert(painterClass != nullptr && creator != nullptr, "nvQBBase", "A link painter registered without a creator");
    FItems.append(TItem{painterClass, std::move(creator)});
}

void TnvQueryBuilderLinkPainters::SetFallbackClass(TClass painterClass)
{
    Assert(Find(painterClass) != nullptr, "nvQBBase", "The fallback link painter is not registered");
    FFallbackClass = painterClass;
}

const TnvQueryBuilderLinkPainters::TItem *TnvQueryBuilderLinkPainters::Find(TClass painterClass) const
{
    for (const TItem &item : FItems)
        if (item.Class == painterClass)
            return &item;
    return nullptr;
}

TOwned<TnvQueryBuilderLinkPainter> TnvQueryBuilderLinkPainters::CreateByName(const QString &className,
                                                                             TnvQueryBuilderModel *queryBuilder) const
{
    for (const TItem &item : FItems)
        if (item.Class->ClassName() == className)
            return item.Creator(queryBuilder);
    return CreateByType(FFallbackClass, queryBuilder);
}

TOwned<TnvQueryBuilderLinkPainter> TnvQueryBuilderLinkPainters::CreateByType(TClass painterClass,
                                                                             TnvQueryBuilderModel *queryBuilder) const
{
    const TItem *item = Find(painterClass);
    return item ? item->Creator(queryBuilder) : nullptr;
}

TOwned<TnvQueryBuilderLinkPainter>
TnvQueryBuilderLinkPainters::CreateByUserName(const QString &styleName, TnvQueryBuilderModel *queryBuilder) const
{
    for (const TItem &item : FItems)
        if (item.Creator(nullptr)->PainterStyle() == styleName)
            return item.Creator(queryBuilder);
    return CreateByType(FFallbackClass, queryBuilder);
}

QString TnvQueryBuilderLinkPainters::GetPainterStyle(TClass painterClass) const
{
    const TItem *item = Find(painterClass);
    return item ? item->Creator(nullptr)->PainterStyle() : QString();
}

void TnvQueryBuilderLinkPainters::GetUserNames(const std::function<void(const QString &)> &callback) const
{
    for (const TItem &item : FItems)
        callback(item.Creator(nullptr)->PainterStyle());
}

// --- Unit start and end -------------------------------------------------------------

TnvQueryBuilderLinkPainters *QueryBuilderLinkPainters()
{
    Assert(GLinkPainters != nullptr, "nvQBBase", "The link painters are used outside the library's lifetime");
    return GLinkPainters;
}

void InitializeLinkPainterRegistry()
{
    if (!GLinkPainters)
        GLinkPainters = new TnvQueryBuilderLinkPainters;
}

void FinalizeLinkPainterRegistry()
{
    delete GLinkPainters;
    GLinkPainters = nullptr;
}

} // namespace nvqb
