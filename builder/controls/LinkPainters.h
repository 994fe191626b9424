#pragma once
// The built-in link painter styles (the base and the registry they are
// registered in are the model's, builder/model/LinkPainter.h): Simple, MS SQL
// and Access. The start-up registers them in that order, with Access as the
// style an unknown name gets, and makes the default painter and the
// cardinality symbols.
#include "builder/model/LinkPainter.h"

#include <QColor>
#include <QImage>
#include <QString>

class QPainter;

namespace nvqb {

// Thin lines with a triangle (outer side) or a circle (inner side) at each end.
class TnvQueryBuilderLinkPainterSimple : public TnvQueryBuilderLinkPainter {
    NV_DECLARE_CLASS(TnvQueryBuilderLinkPainterSimple)
public:
    using TnvQueryBuilderLinkPainter::TnvQueryBuilderLinkPainter;

    QColor LinkColor() const { return FLinkColor; }
    void SetLinkColor(const QColor &value) { SetColor(FLinkColor, value); }
    QColor LinkShapesColor() const { return FLinkShapesColor; }
    void SetLinkShapesColor(const QColor &value) { SetColor(FLinkShapesColor, value); }

    void PaintLink(QPainter &canvas, const TnvLinkPoints &points, bool focused,
                   TnvQueryBuilderLinkConnectToSide leftSide, TnvQueryBuilderLinkConnectToSide rightSide,
                   const TnvLink *link) override;
    QString PainterStyle() const override;

private:
    QColor FLinkColor = QColor(Qt::black);
    QColor FLinkShapesColor = QColor(Qt::white);
};

// A band five pixels high with the join-kind marks in the middle.
class TnvQueryBuilderLinkPainterMSSQL : public TnvQueryBuilderLinkPainter {
    NV_DECLARE_CLASS(TnvQueryBuilderLinkPainterMSSQL)
public:
    using TnvQueryBuilderLinkPainter::TnvQueryBuilderLinkPainter;

    QColor LinkColor() const { return FLinkColor; }
    void SetLinkColor(const QColor &value) { SetColor(FLinkColor, value); }
    QColor LinkColorFocused() const { return FLinkColorFocused; }
    void SetLinkColorFocused(const QColor &value) { SetColor(FLinkColorFocused, value); }
    QColor LinkBorderColor() const { return FLinkBorderColor; }
    void SetLinkBorderColor(const QColor &value) { SetColor(FLinkBorderColor, value); }

    void PaintLink(QPainter &canvas, const TnvLinkPoints &points, bool focused,
                   TnvQueryBuilderLinkConnectToSide leftSide, TnvQueryBuilderLinkConnectToSide rightSide,
                   const TnvLink *link) override;
    QString PainterStyle() const override;

private:
    QColor FLinkColor = QColor(Qt::black);
    QColor FLinkColorFocused = QColor(clBtnShadow);
    QColor FLinkBorderColor = QColor(Qt::black);
};

enum TnvMarkStyle { msAccess, msEnterpriseManager };

// A thin line with cardinality symbols above the stubs and arrow heads or
// dots at the ends (or, by MarkStyle, the marks of the MS SQL style).
class TnvQueryBuilderLinkPainterAccess : public TnvQueryBuilderLinkPainter {
    NV_DECLARE_CLASS(TnvQueryBuilderLinkPainterAccess)
public:
    using TnvQueryBuilderLinkPainter::TnvQueryBuilderLinkPainter;

    TnvMarkStyle MarkStyle() const { return FMarkStyle; }
    void SetMarkStyle(TnvMarkStyle value);
    QColor LinkColor() const { return FLinkColor; }
    void SetLinkColor(const QColor &value) { SetColor(FLinkColor, value); }

    void PaintLink(QPainter &canvas, const TnvLinkPoints &points, bool focused,
                   TnvQueryBuilderLinkConnectToSide leftSide, TnvQueryBuilderLinkConnectToSide rightSide,
                   const TnvLink *link) override;
    QString PainterStyle() const override;

private:
    void PaintAccessMarks(QPainter &canvas, const TnvLinkPoints &points, TnvQueryBuilderLinkConnectToSide leftSide,
                          TnvQueryBuilderLinkConnectToSide rightSide, const TnvLink *link);
    void PaintEnterpriseManagerMarks(QPainter &canvas, const TnvLinkPoints &points, bool focused,
                                     const TnvLink *link);

    TnvMarkStyle FMarkStyle = msAccess;
    QColor FLinkColor = QColor(Qt::black);
};

// The Access-style painter without a query builder that draws the lines of
// a query builder that has no painter.
TnvQueryBuilderLinkPainter *DefaultLinkPainter();
// The cardinality symbol drawn above a stub; a null image for qblcUnknown.
const QImage &LinkCardinalityBitmap(TnvQueryBuilderLinkCardinality cardinality);

void InitializeLinkPainters();
void FinalizeLinkPainters();

} // namespace nvqb
