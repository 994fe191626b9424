#pragma once
// The diagram of one union part: a scrolling surface on which the boxes of
// the data sources and the lines of the links live, as children of
// ContentParent(). Child positions are in the visible area's coordinates;
// scrolling moves the children (as a scrolling window moves its child
// windows), and the scroll ranges follow the children's extent.
//
// The surface paints the diagram background, takes metadata objects dragged
// from the metadata tree (adding them at the drop point), refuses fields
// dragged out of a box, and hands every other drag to the query builder.
// A box passes the drags it does not take itself on through DragOverAt and
// DragDropAt, with the point converted to the work area.
#include "builder/controls/QueryBuilder.h"

#include <QAbstractScrollArea>
#include <QPointer>

class QMimeData;

namespace nvqb {

class TnvQueryBuilder;
class TnvUnionSubQuery;

class TnvQueryBuilderWorkArea : public QAbstractScrollArea {
    Q_OBJECT
public:
    TnvQueryBuilderWorkArea(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilder *queryBuilder, QWidget *parent);
    ~TnvQueryBuilderWorkArea() override;

    TnvUnionSubQuery *UnionSubQuery() const { return FUnionSubQuery; }
    TnvQueryBuilder *QueryBuilder() const;

    // The parent of the boxes and link lines.
    QWidget *ContentParent() const;
    // How far the diagram is scrolled (the scroll bars' positions).
    QPoint ScrollPosition() const;
    void SetScrollPosition(const QPoint &position);

    // Whether a drag with this data from Source is taken at the point (in the
    // work area's content coordinates, as the children are placed).
    bool DragOverAt(const QMimeData *data, QObject *source, const QPoint &pointInWorkArea);
    void DragDropAt(const QMimeData *data, QObject *source, const QPoint &pointInWorkArea);

    // Recomputes the scroll ranges from the children's extent; runs by itself
    // (once the events at hand are handled) whenever a child moves, resizes,
    // comes, goes, shows or hides.
    void UpdateScrollRanges();
    // The scroll bars' margin beyond the children's extent.
    int ScrollMargin() const { return FScrollMargin; }

    // A focused child never scrolls the diagram by itself.
    void AutoScrollInView(QWidget *control);

    // Repaints with the query builder's background settings.
    void UpdateBackground();

    // The built-in background picture of the darkness, decoded from its
    // run-length coded bytes; the fill colour that lies under it.
    static QImage BuiltInBackground(int darkness);
    static QColor BackgroundFillColor(int darkness);

protected:
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void WatchChild(QObject *child);
    // Children change by the hundred at once (a large query loaded, a box
    // dragged with its lines): the ranges are recomputed once for them all.
    void RequestScrollRanges();

    TnvUnionSubQuery *FUnionSubQuery;
    QPointer<TnvQueryBuilder> FQueryBuilder;
    int FScrollMargin = 0;
    bool FUpdatingRanges = false;
    bool FRangesRequested = false;
};

} // namespace nvqb
