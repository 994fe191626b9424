#pragma once
// The box of one data source on the diagram: a small window with a caption
// bar that it paints itself (icon, caption, close, minimise and, for a
// derived table, sub-query buttons), a frame to size it by, and the field
// list filling the rest. It moves by its caption and sizes by its frame,
// snapping to the query builder's grid; the links that end at it follow.
#include "builder/model/ControlBounds.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ModelControl.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class QMimeData;

namespace nvqb {

class TnvDatasource;
class TnvQueryBuilderModel;
class TnvQueryBuilderDatasourceFieldsList;
class TnvQueryBuilderWorkArea;

class TnvQueryBuilderDataSourceControl : public QWidget,
                                         public TnvModelControl,
                                         public InvDatasourceControl,
                                         public InvStateSaver,
                                         public InvControlBounds {
    Q_OBJECT
public:
    // What a point of the box is, as the caption bar and frame answer it.
    enum THitTest {
        htNowhere,
        htClient,
        htCaption,
        htMenu,
        htClose,
        htMinButton,
        htSubQueryButton,
        htLeft,
        htRight,
        htTop,
        htBottom,
        htTopLeft,
        htTopRight,
        htBottomLeft,
        htBottomRight
    };

    // The box of the data source on the diagram parent.
    TnvQueryBuilderDataSourceControl(TnvDatasource *datasource, QWidget *parent);
    ~TnvQueryBuilderDataSourceControl() override;

    TnvDatasource *Datasource() const { return FDatasource.get(); }
    TnvQueryBuilderModel *QueryBuilder() const;
    TnvQueryBuilderDatasourceFieldsList *FieldsList() const { return FFieldsList; }
    // The work area the box lies on; nil on any other parent.
    TnvQueryBuilderWorkArea *WorkArea() const;

    // --- Metrics ------------------------------------------------------------
    int FrameWidth() const;
    int SmallCaptionHeight() const;
    // In the box's coordinates.
    QRect CaptionRect() const;
    QRect ClientRect() const;
    // Button 0 is close, 1 minimise/restore, 2 the sub-query button.
    QRect ButtonRect(int button) const;
    QRect IconRect() const;
    bool HasSubQueryButton() const;
    bool HasIcon() const;
    THitTest HitTest(const QPoint &point) const;
    int MinHeight() const { return FMinHeight; }
    static constexpr int MinWidth = 64;
    static constexpr int ButtonSize = 14;

    // --- Size ---------------------------------------------------------------
    void SetClientHeight(int height);
    void SetClientWidth(int width);
    // Height to the field list's optimal height, width to DefaultTableWidth.
    void TuneSize();
    void UpdateMinHeight();
    // Collapsed to its minimum height (by the minimise button).
    bool IsMinimized() const;
    // The minimise button: collapses the box, or restores its height.
    void ToggleMinimized();
    // Moves and sizes the box as a user's move does: onto the grid, not
    // beyond the diagram's origin, within the minimum size.
    void SetBoxBounds(const QRect &bounds);
    // Whether the mouse is moving or sizing the box.
    bool IsDragging() const { return FDragMode != htNowhere; }

    // --- Acting on the data source -----------------------------------------
    // Frees the data source (and so the box) once the current event is
    // over, inside an update bracket of the root query.
    void Release();
    // The data source's popup menu at the point (global coordinates).
    void ShowPopupMenu(const QPoint &globalPoint);
    void RealignLinks();

    // --- Model control ------------------------------------------------------
    void SetControlVisible(bool visible) override;
    void BringToFront() override;
    void UpdateControlVisualParams(TnvQueryBuilderControlOwner *owner) override;
    void ReloadFieldsList() override;
    void UpdateChecksOnFields(const QList<const TSQLQualifiedName *> &checked) override;
    QString GetCaption() override { return FCaption; }
    void SetCaption(const QString &caption) override;
    QRect CalcFieldRect(const TSQLQualifiedName *field) override;
    // The row of the field (as CalcFieldRect) in the box's own coordinates:
    // where a line of the field ends. While a box is dragged by its caption
    // only that box's position changes, and each move realigns all its
    // lines: each box measures a row once for the drag.
    QRect LinkRowRect(const TSQLQualifiedName *field);
    void SetOptimalHeight() override;
    void SaveState(TnvQueryBuilderControlOwner *owner) override;
    void RestoreState(TnvQueryBuilderControlOwner *owner) override;
    QRect GetControlBounds() override { return geometry(); }
    void SetControlBounds(const QRect &bounds) override { SetBoxBounds(bounds); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // The box's menu opens on the right button's release over the caption;
    // the context-menu event of the press stays with the box, so the
    // diagram under it opens no menu of its own.
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The list's colour and font from the query builder.
    void ApplyTableLook();
    void PaintCaption(QPainter &painter);
    void PaintButton(QPainter &painter, int button);
    THitTest ButtonHit(int button) const;
    void UpdateCursor(THitTest hit);
    void ActOnButton(THitTest hit);
    // Ends the caption drag this box leads, if any.
    void EndCaptionDrag();
    void SwitchToSubQuery();
    void EditProps();
    // The icon of the data source's kind from the add-object options; null
    // without one.
    QIcon DatasourceIcon() const;
    // The point of the box in the work area's coordinates.
    QPoint PointInWorkArea(const QPoint &point) const;

    TnvTrackedRef<TnvDatasource> FDatasource;
    QString FCaption;
    TnvQueryBuilderDatasourceFieldsList *FFieldsList;
    int FRestoreHeight = 0;
    int FMinHeight = 0;
    // The DefaultTableWidth the box last took, so that the query builder
    // pushing its settings resizes boxes only when that option changed.
    int FAppliedTableWidth = -1;

    // Mouse state: the button under the mouse and the one held down.
    THitTest FHot = htNowhere;
    THitTest FPressed = htNowhere;
    // Moving (htCaption) or sizing (a frame code) while the left button is
    // down.
    THitTest FDragMode = htNowhere;
    QPoint FPressGlobal;
    QRect FPressGeometry;
    // The caption drag this box leads (0: none).
    quint64 FCaptionDrag = 0;
    // The rows its lines end at, measured during one caption drag (of this
    // box or another) at one size and one scrolling of the list.
    QHash<const TSQLQualifiedName *, QRect> FDragRows;
    quint64 FDragRowsDrag = 0;
    QSize FDragRowsSize;
    int FDragRowsScroll = 0;
};

// Registers the creators of the data-source boxes and of the link lines.
void RegisterDatasourceControls(TnvControlFactory &factory);

} // namespace nvqb
