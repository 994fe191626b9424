#pragma once
// The line of one link on the diagram. It lies behind the boxes and takes
// only the clicks near its line: everywhere else in its bounds a click goes
// to the box or the diagram beneath (the widget's mask is the set of points
// the line's hit test takes). The line is drawn by the query builder's link
// painter on a face of its own under the line widget: the mask clips what a
// widget paints, and the marks reach further from the line than a click is
// taken.
#include "builder/controls/LinkGeometry.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/Link.h"
#include "builder/model/ModelControl.h"

#include <QPointer>
#include <QWidget>

namespace nvqb {

class TnvQueryBuilderDataSourceControl;
class TnvUnionSubQuery;

class TnvQueryBuilderLinkControl : public QWidget, public TnvModelControl, public InvControl, public InvLinkControl {
    Q_OBJECT
public:
    TnvQueryBuilderLinkControl(TnvLink *link, QWidget *parent);
    ~TnvQueryBuilderLinkControl() override;
    // The line of the link on its union part's diagram, behind the boxes.
    static TnvQueryBuilderLinkControl *CreateFor(TnvLink *link);

    TnvLink *Link() const { return FLink.get(); }
    TnvQueryBuilderLinkConnectToSide LeftSide() const { return FLeftSide; }
    TnvQueryBuilderLinkConnectToSide RightSide() const { return FRightSide; }
    // In the line's own coordinates.
    const TnvLinkPoints &Points() const { return FPoints; }
    // The widget that shows the line (same bounds, under this one).
    QWidget *Face() const { return FFace.data(); }

    // Whether a point of the line's own coordinates is on the line.
    bool HitTest(const QPoint &point) const { return LinkHitTest(FPoints, point); }
    // Whether the widget's mask matches the line's points.
    bool IsMaskValid() const { return FMaskValid; }
    // Draws the line with the query builder's painter (the default one
    // without).
    void PaintLink(QPainter &painter);
    // Frees the link (and so the line) once the current event is over.
    void Release();
    void ShowPopupMenu(const QPoint &globalPoint);

    void SetControlVisible(bool visible) override;
    void Realign() override { AlignLink(); }
    void UpdateControlVisualParams(TnvQueryBuilderControlOwner *owner) override;
    void AlignLink() override;
    void InvalidateLink() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // The box of the data source when it can show a line end.
    static TnvQueryBuilderDataSourceControl *EndBox(TnvDatasource *datasource);
    // The row of the field on the box, in the parent's coordinates, with the
    // box's outer left and right edges.
    TnvEdgeRect EndRect(TnvQueryBuilderDataSourceControl *box, const TSQLQualifiedName *field) const;
    // The widget's mask from the points: the clicks the line takes.
    void UpdateMask();

    TnvTrackedRef<TnvLink> FLink;
    TnvQueryBuilderLinkConnectToSide FLeftSide = csRight;
    TnvQueryBuilderLinkConnectToSide FRightSide = csLeft;
    TnvLinkPoints FPoints;
    QPointer<QWidget> FFace;
    // False while the mask lags behind the points (a box being dragged).
    bool FMaskValid = false;
};

// The widget the union part's page puts its boxes and lines on; nil while
// the page has none.
QWidget *DiagramParentOf(TnvUnionSubQuery *unionSubQuery);

} // namespace nvqb
