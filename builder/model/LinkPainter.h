#pragma once
// Link painters: how the line of one link and its marks look on the diagram.
// The line control of a link works out where the line runs (four points: the
// stub at the left box, two bends, the stub at the right box) and on which
// side of each box an end attaches, and hands that to the query builder's
// painter, which draws the polyline and the marks of the join kind and the
// cardinalities. Each query builder owns one painter.
//
// The model knows painters only through this base and the process-wide
// registry, which creates them by class name, by class or by style name. The
// styles themselves live with the controls (builder/controls/LinkPainters.h),
// whose start-up registers them.
//
// A painter knows its query builder only as the model: when one of its
// colours changes it asks the query builder to push its visual parameters
// to the controls again, which repaints the lines.
#include "builder/model/Link.h"
#include "classlib/Persistent.h"

#include <QColor>
#include <QList>
#include <QPoint>
#include <QString>
#include <array>
#include <functional>

class QPainter;

namespace nvqb {

class TnvQueryBuilderModel;

// On which side of its box an end of a line attaches.
enum TnvQueryBuilderLinkConnectToSide { csLeft, csRight };

// Point 0 at the left box, points 1 and 2 the bends, point 3 at the right box.
using TnvLinkPoints = std::array<QPoint, 4>;

// Fixed values of the system colours the painters' defaults are named after
// (the class library's clBtnFace and clBtnShadow in the standard scheme).
// Fixed rather than taken from the application palette: the default painter
// is made when the library loads, before any application object exists.
inline constexpr QRgb clBtnFace = qRgb(240, 240, 240);
inline constexpr QRgb clBtnShadow = qRgb(160, 160, 160);

class TnvQueryBuilderLinkPainter : public TPersistent {
    NV_DECLARE_CLASS(TnvQueryBuilderLinkPainter)
public:
    // The query builder is not owned and may be nil.
    explicit TnvQueryBuilderLinkPainter(TnvQueryBuilderModel *queryBuilder);
    ~TnvQueryBuilderLinkPainter() override;

    TnvQueryBuilderModel *QueryBuilder() const { return FQueryBuilder; }

    // Fill of the join-kind marks, and the same while the link is focused.
    QColor MarkColor() const { return FMarkColor; }
    void SetMarkColor(const QColor &value) { SetColor(FMarkColor, value); }
    QColor MarkColorFocused() const { return FMarkColorFocused; }
    void SetMarkColorFocused(const QColor &value) { SetColor(FMarkColorFocused, value); }

    // Draws the line and its marks. The link gives the side types and
    // cardinalities; nil draws a line with inner sides and no cardinalities.
    virtual void PaintLink(QPainter &canvas, const TnvLinkPoints &points, bool focused,
                           TnvQueryBuilderLinkConnectToSide leftSide, TnvQueryBuilderLinkConnectToSide rightSide,
                           const TnvLink *link) = 0;
    // The style name a property editor lists.
    virtual QString PainterStyle() const = 0;

protected:
    // Stores a changed colour and has the query builder repaint.
    void SetColor(QColor &field, const QColor &value);
    // Has the query builder push its visual parameters when there is one.
    void Changed();

    // The drawing operations of the styles; each uses the canvas's current
    // pen and brush where it does not set them.
    // A polyline through the points, each moved down by offset (up when
    // negative), in the colour and pen width.
    static void DrawLine(QPainter &canvas, const TnvLinkPoints &points, const QColor &color, int offset, int width);
    // A filled diamond around the centre.
    static void DrawCenterMark(const TnvLink *link, QPainter &canvas, const QPoint &center, int size);
    // A filled rectangle 2 * size high reaching size pixels from the centre
    // against the direction (left mark) or along it (right mark).
    static void DrawLeftSideMark(const TnvLink *link, QPainter &canvas, const QPoint &center, int direction,
                                 int size);
    static void DrawRightSideMark(const TnvLink *link, QPainter &canvas, const QPoint &center, int direction,
                                  int size);

    static TnvQueryBuilderLinkSideType LeftType(const TnvLink *link) { return link ? link->LeftType() : ltInner; }
    static TnvQueryBuilderLinkSideType RightType(const TnvLink *link) { return link ? link->RightType() : ltInner; }
    static TnvQueryBuilderLinkCardinality LeftCardinality(const TnvLink *link)
    {
        return link ? link->LeftCardinality() : qblcUnknown;
    }
    static TnvQueryBuilderLinkCardinality RightCardinality(const TnvLink *link)
    {
        return link ? link->RightCardinality() : qblcUnknown;
    }
    // +1 for an end on a box's right side, -1 for one on its left side.
    static int Direction(TnvQueryBuilderLinkConnectToSide side) { return side == csRight ? 1 : -1; }

private:
    TnvQueryBuilderModel *FQueryBuilder;
    QColor FMarkColor = QColor(clBtnFace);
    QColor FMarkColorFocused = QColor(clBtnShadow);
};

// Makes a painter of one class for a query builder (nil allowed).
using TnvLinkPainterCreator = std::function<TOwned<TnvQueryBuilderLinkPainter>(TnvQueryBuilderModel *)>;

// The painter classes a query builder can choose from, in registration order.
class TnvQueryBuilderLinkPainters {
public:
    TnvQueryBuilderLinkPainters();
    ~TnvQueryBuilderLinkPainters();
    TnvQueryBuilderLinkPainters(const TnvQueryBuilderLinkPainters &) = delete;
    TnvQueryBuilderLinkPainters &operator=(const TnvQueryBuilderLinkPainters &) = delete;

    // Appends the class with the way to make it.
    void RegisterPainter(TClass painterClass, TnvLinkPainterCreator creator);
    template <class T> void RegisterPainter()
    {
        RegisterPainter(T::StaticClassType(), [](TnvQueryBuilderModel *queryBuilder) {
            return TOwned<TnvQueryBuilderLinkPainter>(Create<T>(queryBuilder));
        });
    }
    qsizetype Count() const { return FItems.size(); }
    TClass Items(qsizetype index) const { return FItems.at(index).Class; }

    // The registered class made when no name matches: the Access style,
    // which the model cannot name as its class lives with the controls; their
    // start-up sets it. Until then such lookups give nil.
    void SetFallbackClass(TClass painterClass);

    // The first registered class of exactly that class name (case counts);
    // the fallback class when none has it.
    TOwned<TnvQueryBuilderLinkPainter> CreateByName(const QString &className,
                                                    TnvQueryBuilderModel *queryBuilder) const;
    // A painter of the class; nil when the class is not registered.
    TOwned<TnvQueryBuilderLinkPainter> CreateByType(TClass painterClass, TnvQueryBuilderModel *queryBuilder) const;
    // The first registered class of exactly that style name; the fallback
    // class when none has it.
    TOwned<TnvQueryBuilderLinkPainter> CreateByUserName(const QString &styleName,
                                                        TnvQueryBuilderModel *queryBuilder) const;
    // The style name of a registered class (asked of a painter made for the
    // purpose, without a query builder); empty for a class not registered.
    QString GetPainterStyle(TClass painterClass) const;
    // Calls back with each registered class's style name in registration
    // order.
    void GetUserNames(const std::function<void(const QString &)> &callback) const;

private:
    struct TItem {
        TClass Class;
        TnvLinkPainterCreator Creator;
    };
    const TItem *Find(TClass painterClass) const;

    QList<TItem> FItems;
    TClass FFallbackClass = nullptr;
};

// The process-wide registry; asserts that the library's start-up has made it.
TnvQueryBuilderLinkPainters *QueryBuilderLinkPainters();

// Make and free the empty registry; the controls' start-up fills it.
void InitializeLinkPainterRegistry();
void FinalizeLinkPainterRegistry();

} // namespace nvqb
