#include "builder/controls/WorkArea.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/UnionSubQuery.h"
#include "support/BackgroundImages.h"
#include "support/Encoding.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

namespace nvqb {

namespace {

// A built-in picture: a Windows BMP file, run-length coded.
QImage DecodeBackground(const QByteArray &coded)
{
    QImage image;
    nvQBCatchAll([&] { image = QImage::fromData(RLEDecode(coded), "BMP"); });
    return image;
}

} // namespace

TnvQueryBuilderWorkArea::TnvQueryBuilderWorkArea(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilder *queryBuilder,
                                                 QWidget *parent)
    : QAbstractScrollArea(parent), FUnionSubQuery(unionSubQuery), FQueryBuilder(queryBuilder)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAcceptDrops(true);
    viewport()->installEventFilter(this);
    horizontalScrollBar()->setSingleStep(8);
    verticalScrollBar()->setSingleStep(8);
}

TnvQueryBuilderWorkArea::~TnvQueryBuilderWorkArea()
{
    // The children go with the viewport; their going must not reach us.
    viewport()->removeEventFilter(this);
    FUpdatingRanges = true;
}

TnvQueryBuilder *TnvQueryBuilderWorkArea::QueryBuilder() const { return FQueryBuilder.data(); }

QWidget *TnvQueryBuilderWorkArea::ContentParent() const { return viewport(); }

QPoint TnvQueryBuilderWorkArea::ScrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TnvQueryBuilderWorkArea::SetScrollPosition(const QPoint &position)
{
    // The ranges first, so the position is not clamped to stale ones.
    if (FRangesRequested)
        UpdateScrollRanges();
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

// ---------------------------------------------------------------------------
// Scrolling

void TnvQueryBuilderWorkArea::scrollContentsBy(int dx, int dy)
{
    // Moves the painted background and the children alike.
    const bool updating = FUpdatingRanges;
    FUpdatingRanges = true;
    viewport()->scroll(dx, dy);
    FUpdatingRanges = updating;
}

void TnvQueryBuilderWorkArea::RequestScrollRanges()
{
    if (FRangesRequested || FUpdatingRanges)
        return;
    FRangesRequested = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (FRangesRequested)
                UpdateScrollRanges();
        },
        Qt::QueuedConnection);
}

void TnvQueryBuilderWorkArea::UpdateScrollRanges()
{
    if (FUpdatingRanges)
        return;
    FRangesRequested = false;
    FUpdatingRanges = true;
    // The extent of the visible children measured from the scrolled origin,
    // as a scrolling window computes its automatic ranges.
    const QPoint position = ScrollPosition();
    int right = 0;
    int bottom = 0;
    for (QObject *object : viewport()->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isHidden() || child->isWindow())
            continue;
        const QRect bounds = child->geometry();
        right = std::max(right, bounds.x() + bounds.width() + position.x());
        bottom = std::max(bottom, bounds.y() + bounds.height() + position.y());
    }
    const QSize client = viewport()->size();
    horizontalScrollBar()->setPageStep(std::max(client.width(), 1));
    verticalScrollBar()->setPageStep(std::max(client.height(), 1));
    horizontalScrollBar()->setRange(0, std::max(0, right + FScrollMargin - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, bottom + FScrollMargin - client.height()));
    FUpdatingRanges = false;
    // Showing or hiding a scroll bar changes the viewport's size.
    if (viewport()->size() != client)
        UpdateScrollRanges();
}

void TnvQueryBuilderWorkArea::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
}

void TnvQueryBuilderWorkArea::WatchChild(QObject *child)
{
    if (child->isWidgetType())
        child->installEventFilter(this);
}

bool TnvQueryBuilderWorkArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewport()) {
        if (event->type() == QEvent::ChildAdded) {
            WatchChild(static_cast<QChildEvent *>(event)->child());
            RequestScrollRanges();
        } else if (event->type() == QEvent::ChildRemoved) {
            RequestScrollRanges();
        }
    } else if (watched->parent() == viewport()) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            RequestScrollRanges();
            break;
        default:
            break;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void TnvQueryBuilderWorkArea::AutoScrollInView(QWidget *) {}

// ---------------------------------------------------------------------------
// Background

QImage TnvQueryBuilderWorkArea::BuiltInBackground(int darkness)
{
    // In the order of TnvBkImageDarkness; decoded once, on first use.
    static const QImage images[] = {DecodeBackground(nvQBBgWhite()), DecodeBackground(nvQBBgLight()),
                                    DecodeBackground(nvQBBgDark())};
    if (darkness < 0 || darkness > 2)
        darkness = 0;
    return images[darkness];
}

QColor TnvQueryBuilderWorkArea::BackgroundFillColor(int darkness)
{
    switch (darkness) {
    case bgidLight:
        return QColor(224, 223, 227);
    case bgidDark:
        return QColor(153, 153, 153);
    default:
        return QColor(Qt::white);
    }
}

void TnvQueryBuilderWorkArea::UpdateBackground() { viewport()->update(); }

void TnvQueryBuilderWorkArea::paintEvent(QPaintEvent *event)
{
    // A picture of the host's (BkImage) lies on BkColor; without one, the
    // built-in picture of the darkness lies on that darkness's colour.
    // Either scrolls with the diagram, drawn once at the scrolled origin or
    // tiled from it (BkImagePos).
    QColor fill = BackgroundFillColor(bgidWhite);
    QImage image = BuiltInBackground(bgidWhite);
    bool tile = false;
    if (TnvQueryBuilder *qb = FQueryBuilder.data()) {
        if (!qb->BkImage().isNull()) {
            image = qb->BkImage();
            fill = qb->BkColor();
        } else {
            image = BuiltInBackground(qb->BkImageDarkness());
            fill = BackgroundFillColor(qb->BkImageDarkness());
        }
        tile = qb->BkImagePos() == bkipTile;
    }
    QPainter painter(viewport());
    painter.fillRect(event->rect(), fill);
    if (image.isNull())
        return;
    const QPoint origin = -ScrollPosition();
    if (tile)
        painter.drawTiledPixmap(event->rect(), QPixmap::fromImage(image), event->rect().topLeft() - origin);
    else
        painter.drawImage(origin, image);
}

// ---------------------------------------------------------------------------
// Mouse

void TnvQueryBuilderWorkArea::mousePressEvent(QMouseEvent *event)
{
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mousePressEvent(event);
}

void TnvQueryBuilderWorkArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    QAbstractScrollArea::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && FUnionSubQuery)
        nvQBCatchAll([this] { FUnionSubQuery->EditPropsEvent(nullptr); });
}

void TnvQueryBuilderWorkArea::contextMenuEvent(QContextMenuEvent *event)
{
    if (!FUnionSubQuery || !FQueryBuilder)
        return;
    const QPoint global = event->globalPos();
    QPointer<TnvQueryBuilder> qb = FQueryBuilder;
    nvQBCatchAll([this, qb, global] {
        if (FUnionSubQuery->GetPopupMenuWA() && qb)
            qb->PopupMenuPopup(global);
    });
    event->accept();
}

// ---------------------------------------------------------------------------
// Drag and drop

bool TnvQueryBuilderWorkArea::DragOverAt(const QMimeData *data, QObject *source, const QPoint &pointInWorkArea)
{
    if (!data)
        return false;
    // Fields become links only when dropped on another field.
    if (data->hasFormat(QString::fromLatin1(DatasourceFieldMimeType)))
        return false;
    TnvMetadataObjectDrag drag;
    if (ReadMetadataObjectDrag(data, drag))
        return drag.HasObject();
    if (!FQueryBuilder)
        return false;
    return FQueryBuilder->DoDragOver(source, pointInWorkArea.x(), pointInWorkArea.y(), dsDragMove);
}

void TnvQueryBuilderWorkArea::DragDropAt(const QMimeData *data, QObject *source, const QPoint &pointInWorkArea)
{
    if (!data || data->hasFormat(QString::fromLatin1(DatasourceFieldMimeType)))
        return;
    TnvMetadataObjectDrag drag;
    if (ReadMetadataObjectDrag(data, drag)) {
        if (!drag.HasObject() || !FUnionSubQuery)
            return;
        nvQBCatchAll([&] {
            if (drag.Kind == TnvDraggedObjectKind::Procedure)
                FUnionSubQuery->AddStoredProcAt(drag.FullName, pointInWorkArea, drag.Alias);
            else
                FUnionSubQuery->AddObjectWithFKAt(drag.FullName, pointInWorkArea, drag.Alias);
        });
        return;
    }
    if (FQueryBuilder)
        FQueryBuilder->DoDragDrop(source, pointInWorkArea.x(), pointInWorkArea.y());
}

void TnvQueryBuilderWorkArea::dragEnterEvent(QDragEnterEvent *event)
{
    bool accept = false;
    nvQBCatchAll([&] { accept = DragOverAt(event->mimeData(), DragSource(event), event->position().toPoint()); });
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TnvQueryBuilderWorkArea::dragMoveEvent(QDragMoveEvent *event)
{
    bool accept = false;
    nvQBCatchAll([&] { accept = DragOverAt(event->mimeData(), DragSource(event), event->position().toPoint()); });
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TnvQueryBuilderWorkArea::dragLeaveEvent(QDragLeaveEvent *event) { event->accept(); }

void TnvQueryBuilderWorkArea::dropEvent(QDropEvent *event)
{
    const QPoint point = event->position().toPoint();
    QPointer<TnvQueryBuilderWorkArea> self = this;
    nvQBCatchAll([&] { DragDropAt(event->mimeData(), DragSource(event), point); });
    if (self)
        event->acceptProposedAction();
}

} // namespace nvqb
