#include "builder/controls/DatasourceControl.h"
#include "builder/controls/BoxSnapping.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/DatasourceFieldsList.h"
#include "builder/controls/LinkControl.h"
#include "builder/controls/WorkArea.h"
#include "builder/model/Datasource.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QHash>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QStyleOption>

namespace nvqb {

namespace {

// The title-bar glyph of the style. Styles make one afresh from its image
// data each time they are asked, and every box asks for two or three each
// time its caption bar is painted, as it is over and over while boxes and
// lines move: the glyphs are kept per style, glyph, state and palette.
struct TGlyphKey {
    const QStyle *Style;
    int Glyph;
    int State;
    qint64 Palette;
    bool operator==(const TGlyphKey &) const = default;
};

size_t qHash(const TGlyphKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.Style, key.Glyph, key.State, key.Palette);
}

QIcon TitleBarGlyph(QStyle *style, QStyle::StandardPixmap glyph, const QStyleOption &option, const QWidget *widget)
{
    static QHash<TGlyphKey, QIcon> glyphs;
    static QSet<const QStyle *> watched;
    const TGlyphKey key{style, int(glyph), int(option.state), option.palette.cacheKey()};
    if (const auto found = glyphs.constFind(key); found != glyphs.cend())
        return *found;
    if (!watched.contains(style)) {
        watched.insert(style);
        // A style that goes takes its glyphs with it (another may come at
        // its address).
        QObject::connect(style, &QObject::destroyed, [style] {
            watched.remove(style);
            glyphs.removeIf([style](const auto &entry) { return entry.key().Style == style; });
        });
    }
    const QIcon icon = style->standardIcon(glyph, &option, widget);
    glyphs.insert(key, icon);
    return icon;
}

// The caption drag going on (0: none) and the last one numbered. While a box
// is moved by its caption nothing else on the diagrams changes by the user's
// hand, so the rows the moved lines end at keep for the drag.
quint64 CaptionDragGoingOn = 0;
quint64 LastCaptionDrag = 0;

} // namespace

TnvQueryBuilderDataSourceControl::TnvQueryBuilderDataSourceControl(TnvDatasource *datasource, QWidget *parent)
    : QWidget(parent)
{
    FDatasource.reset(datasource);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAcceptDrops(true);
    // The field list holds the focus for the box.
    FFieldsList = new TnvQueryBuilderDatasourceFieldsList(this);
    setFocusPolicy(Qt::NoFocus);
    setFocusProxy(FFieldsList);
    UpdateMinHeight();
    resize(MinWidth, FMinHeight);
}

TnvQueryBuilderDataSourceControl::~TnvQueryBuilderDataSourceControl() { EndCaptionDrag(); }

TnvQueryBuilderModel *TnvQueryBuilderDataSourceControl::QueryBuilder() const
{
    TnvDatasource *datasource = Datasource();
    return datasource ? datasource->QueryBuilder() : nullptr;
}

TnvQueryBuilderWorkArea *TnvQueryBuilderDataSourceControl::WorkArea() const
{
    for (QWidget *widget = parentWidget(); widget; widget = widget->parentWidget())
        if (auto *workArea = qobject_cast<TnvQueryBuilderWorkArea *>(widget))
            return workArea;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Metrics

int TnvQueryBuilderDataSourceControl::FrameWidth() const
{
    // A sizing frame must stay wide enough to be caught with the mouse.
    return qMax(3, style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this));
}

int TnvQueryBuilderDataSourceControl::SmallCaptionHeight() const
{
    QStyleOptionTitleBar option;
    option.initFrom(this);
    option.titleBarFlags = Qt::Tool;
    const int styled = style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, this);
    // A tool window's caption: the styled height, but no taller than the
    // small font needs, and room for the buttons with a pixel around them.
    const int text = fontMetrics().height() + 4;
    return qMax(ButtonSize + 2, qMin(styled, text));
}

QRect TnvQueryBuilderDataSourceControl::CaptionRect() const
{
    const int frame = FrameWidth();
    return QRect(frame, frame, width() - 2 * frame, SmallCaptionHeight());
}

QRect TnvQueryBuilderDataSourceControl::ClientRect() const
{
    const int frame = FrameWidth();
    const int caption = SmallCaptionHeight();
    return QRect(frame, frame + caption, qMax(0, width() - 2 * frame), qMax(0, height() - 2 * frame - caption));
}

QRect TnvQueryBuilderDataSourceControl::ButtonRect(int button) const
{
    const QRect caption = CaptionRect();
    constexpr int Gap = 2;
    // The sub-query button stands a little apart from the window buttons.
    const int extra = button == 2 ? Gap : 0;
    const int right = caption.x() + caption.width() - Gap - extra - button * ButtonSize;
    return QRect(right - ButtonSize, caption.y() + 1, ButtonSize, ButtonSize);
}

QRect TnvQueryBuilderDataSourceControl::IconRect() const
{
    const QRect caption = CaptionRect();
    return QRect(caption.x(), caption.y() + (caption.height() - ButtonSize) / 2, ButtonSize + 2, ButtonSize);
}

bool TnvQueryBuilderDataSourceControl::HasSubQueryButton() const
{
    return dynamic_cast<TnvDataSourceQuery *>(Datasource()) != nullptr;
}

bool TnvQueryBuilderDataSourceControl::HasIcon() const
{
    const TnvQueryBuilderModel *qb = QueryBuilder();
    return qb && qb->UseTableIcons() && !DatasourceIcon().isNull();
}

QIcon TnvQueryBuilderDataSourceControl::DatasourceIcon() const
{
    const TnvDatasource *datasource = Datasource();
    const TnvQueryBuilderModel *qb = QueryBuilder();
    if (!datasource || !qb)
        return QIcon();
    const TnvAddObjectFormOptions *options = qb->AddObjectFormOptions();
    int index;
    switch (datasource->DatasourceType()) {
    case dtView:
        index = options->ImageIndexViews();
        break;
    case dtStoredProc:
        index = options->ImageIndexProcs();
        break;
    case dtSubQuery:
        index = options->ImageIndexQueries();
        break;
    default:
        index = options->ImageIndexTables();
        break;
    }
    const TnvImageList images = options->ImageListSmall();
    return index >= 0 && index < images.size() ? images.at(index) : QIcon();
}

TnvQueryBuilderDataSourceControl::THitTest TnvQueryBuilderDataSourceControl::ButtonHit(int button) const
{
    switch (button) {
    case 0:
        return htClose;
    case 1:
        return htMinButton;
    default:
        return htSubQueryButton;
    }
}

TnvQueryBuilderDataSourceControl::THitTest TnvQueryBuilderDataSourceControl::HitTest(const QPoint &point) const
{
    if (!rect().contains(point))
        return htNowhere;
    const int frame = FrameWidth();
    // Corners reach a little further along the edges, as window frames do.
    const int corner = frame + ButtonSize;
    const bool left = point.x() < frame, right = point.x() >= width() - frame;
    const bool top = point.y() < frame, bottom = point.y() >= height() - frame;
    const bool nearLeft = point.x() < corner, nearRight = point.x() >= width() - corner;
    const bool nearTop = point.y() < corner, nearBottom = point.y() >= height() - corner;
    if ((top && nearLeft) || (left && nearTop))
        return htTopLeft;
    if ((top && nearRight) || (right && nearTop))
        return htTopRight;
    if ((bottom && nearLeft) || (left && nearBottom))
        return htBottomLeft;
    if ((bottom && nearRight) || (right && nearBottom))
        return htBottomRight;
    if (left)
        return htLeft;
    if (right)
        return htRight;
    if (top)
        return htTop;
    if (bottom)
        return htBottom;
    if (CaptionRect().contains(point)) {
        const int buttons = HasSubQueryButton() ? 3 : 2;
        for (int i = 0; i < buttons; ++i)
            if (ButtonRect(i).contains(point))
                return ButtonHit(i);
        if (HasIcon() && IconRect().contains(point))
            return htMenu;
        return htCaption;
    }
    return htClient;
}

// ---------------------------------------------------------------------------
// Size

void TnvQueryBuilderDataSourceControl::UpdateMinHeight()
{
    FMinHeight = 2 * FrameWidth() + SmallCaptionHeight() + 2 * FFieldsList->frameWidth() + FFieldsList->ItemHeight() + 1;
}

void TnvQueryBuilderDataSourceControl::SetClientHeight(int height)
{
    SetBoxBounds(QRect(pos(), QSize(width(), height + this->height() - ClientRect().height())));
}

void TnvQueryBuilderDataSourceControl::SetClientWidth(int width)
{
    SetBoxBounds(QRect(pos(), QSize(width + this->width() - ClientRect().width(), height())));
}

void TnvQueryBuilderDataSourceControl::SetOptimalHeight()
{
    int height = FFieldsList->CalcOptimalHeight();
    if (const TnvQueryBuilderModel *qb = QueryBuilder(); qb && qb->MaxTableHeight() > 0)
        height = qMin(height, qb->MaxTableHeight());
    SetClientHeight(height);
}

void TnvQueryBuilderDataSourceControl::TuneSize()
{
    SetOptimalHeight();
    const TnvQueryBuilderModel *qb = QueryBuilder();
    SetClientWidth(qb ? qb->DefaultTableWidth() : 80);
}

bool TnvQueryBuilderDataSourceControl::IsMinimized() const { return height() <= FMinHeight; }

void TnvQueryBuilderDataSourceControl::ToggleMinimized()
{
    if (!IsMinimized()) {
        FRestoreHeight = height();
        SetBoxBounds(QRect(pos(), QSize(width(), FMinHeight)));
    } else if (FRestoreHeight > height()) {
        SetBoxBounds(QRect(pos(), QSize(width(), FRestoreHeight)));
    } else {
        TuneSize();
    }
}

void TnvQueryBuilderDataSourceControl::SetBoxBounds(const QRect &bounds)
{
    QPoint origin(INT_MIN, INT_MIN);
    if (TnvQueryBuilderWorkArea *workArea = WorkArea())
        origin = -workArea->ScrollPosition();
    QRect snapped = SnapBoxBounds(bounds, geometry(), BoxGrid(QueryBuilder()), origin);
    snapped.setWidth(qMax(snapped.width(), int(MinWidth)));
    snapped.setHeight(qMax(snapped.height(), FMinHeight));
    setGeometry(snapped);
}

// ---------------------------------------------------------------------------
// Acting on the data source

void TnvQueryBuilderDataSourceControl::Release()
{
    TnvDatasource *datasource = Datasource();
    if (!datasource || datasource->IsDestroying())
        return;
    // Freeing the data source frees this box: that waits until the event
    // that asked for it is over.
    auto target = std::make_shared<TnvTrackedRef<TnvDatasource>>();
    target->reset(datasource);
    QObject *context = dynamic_cast<QObject *>(datasource->QueryBuilder());
    QMetaObject::invokeMethod(
        context ? context : qApp,
        [target] {
            nvQBCatchAll([&] {
                TnvDatasource *datasource = target->get();
                if (!datasource || datasource->IsDestroying())
                    return;
                TnvQuery *root = datasource->QueryBuilder() ? datasource->QueryBuilder()->Query() : nullptr;
                if (root) {
                    auto bracket = UpdateBracket(root);
                    TObject::Free(datasource);
                } else {
                    TObject::Free(datasource);
                }
            });
        },
        Qt::QueuedConnection);
}

void TnvQueryBuilderDataSourceControl::ShowPopupMenu(const QPoint &globalPoint)
{
    TnvDatasource *datasource = Datasource();
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!datasource || !qb)
        return;
    nvQBCatchAll([&] {
        if (datasource->GetPopupMenu())
            qb->PopupMenuPopup(globalPoint);
    });
}

void TnvQueryBuilderDataSourceControl::RealignLinks()
{
    TnvDatasource *datasource = Datasource();
    if (datasource && !datasource->IsDestroying() && !IsControlDestroying())
        nvQBCatchAll([datasource] { datasource->RealignLinks(); });
}

void TnvQueryBuilderDataSourceControl::SwitchToSubQuery()
{
    if (auto *query = dynamic_cast<TnvDataSourceQuery *>(Datasource()))
        nvQBCatchAll([query] { query->SwitchToDerivedTableEvent(nullptr); });
}

void TnvQueryBuilderDataSourceControl::EditProps()
{
    if (TnvDatasource *datasource = Datasource())
        nvQBCatchAll([datasource] { datasource->EditProps(poMainFormCenter); });
}

// ---------------------------------------------------------------------------
// Model control

void TnvQueryBuilderDataSourceControl::SetControlVisible(bool visible) { setVisible(visible); }

void TnvQueryBuilderDataSourceControl::BringToFront() { raise(); }

void TnvQueryBuilderDataSourceControl::UpdateControlVisualParams(TnvQueryBuilderControlOwner *)
{
    const TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return;
    ApplyTableLook();
    // The boxes take the default width when it changes; a width of the box's
    // own (a user's, a stored layout's) survives other settings being pushed.
    if (FAppliedTableWidth != qb->DefaultTableWidth()) {
        FAppliedTableWidth = qb->DefaultTableWidth();
        SetBoxBounds(QRect(pos(), QSize(FAppliedTableWidth, height())));
    }
    update();
}

void TnvQueryBuilderDataSourceControl::ApplyTableLook()
{
    const TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return;
    // No table colour of its own: the list keeps the style's.
    QPalette palette = FFieldsList->palette();
    const QColor color = qb->TableColor();
    palette.setColor(QPalette::Base, color.isValid() ? color : QApplication::palette(FFieldsList).color(QPalette::Base));
    FFieldsList->setPalette(palette);
    FFieldsList->setFont(qb->TableFont());
    UpdateMinHeight();
}

void TnvQueryBuilderDataSourceControl::ReloadFieldsList()
{
    FDragRowsDrag = 0;
    TnvDatasource *datasource = Datasource();
    FFieldsList->Reload(datasource ? datasource->SyntaxProvider() : nullptr,
                        datasource ? datasource->GetFields() : nullptr);
    UpdateMinHeight();
    RealignLinks();
}

void TnvQueryBuilderDataSourceControl::UpdateChecksOnFields(const QList<const TSQLQualifiedName *> &checked)
{
    const TnvDatasource *datasource = Datasource();
    const TnvBaseSyntaxProvider *provider = datasource ? datasource->SyntaxProvider() : nullptr;
    QList<int> rows;
    for (const TSQLQualifiedName *field : checked) {
        if (!field) {
            if (FFieldsList->count() > 0 && !FFieldsList->FieldOfRow(0))
                rows.append(0);
        } else {
            rows.append(FFieldsList->RowOfField(field, provider));
        }
    }
    for (int row = 0; row < FFieldsList->count(); ++row)
        FFieldsList->SetChecked(row, rows.contains(row));
}

void TnvQueryBuilderDataSourceControl::SetCaption(const QString &caption)
{
    if (caption == FCaption)
        return;
    FCaption = caption;
    setWindowTitle(caption);
    update(CaptionRect());
}

QRect TnvQueryBuilderDataSourceControl::CalcFieldRect(const TSQLQualifiedName *field)
{
    const QRect client = ClientRect();
    const TnvDatasource *datasource = Datasource();
    const int row = field ? FFieldsList->RowOfField(field, datasource ? datasource->SyntaxProvider() : nullptr) : -1;
    if (row < 0)
        return QRect(0, -SmallCaptionHeight(), client.width(), SmallCaptionHeight());
    QRect item = FFieldsList->visualItemRect(FFieldsList->item(row));
    // From the list's viewport to the client area, which the list fills.
    item.translate(FFieldsList->viewport()->mapTo(FFieldsList, QPoint(0, 0)));
    // A row scrolled out of view attaches its links to the list's edge.
    const int listBottom = FFieldsList->height();
    const int top = qBound(0, item.y(), listBottom);
    const int bottom = qBound(0, item.y() + item.height(), listBottom);
    return QRect(0, top, client.width(), bottom - top);
}

QRect TnvQueryBuilderDataSourceControl::LinkRowRect(const TSQLQualifiedName *field)
{
    if (CaptionDragGoingOn == 0)
        return CalcFieldRect(field).translated(ClientRect().topLeft());
    const int scroll = FFieldsList->verticalScrollBar()->value();
    if (FDragRowsDrag != CaptionDragGoingOn || FDragRowsSize != size() || FDragRowsScroll != scroll) {
        FDragRows.clear();
        FDragRowsDrag = CaptionDragGoingOn;
        FDragRowsSize = size();
        FDragRowsScroll = scroll;
    } else if (const auto found = FDragRows.constFind(field); found != FDragRows.cend()) {
        return *found;
    }
    const QRect row = CalcFieldRect(field).translated(ClientRect().topLeft());
    FDragRows.insert(field, row);
    return row;
}

void TnvQueryBuilderDataSourceControl::EndCaptionDrag()
{
    if (FCaptionDrag != 0 && CaptionDragGoingOn == FCaptionDrag)
        CaptionDragGoingOn = 0;
    FCaptionDrag = 0;
}

void TnvQueryBuilderDataSourceControl::SaveState(TnvQueryBuilderControlOwner *owner)
{
    if (auto *datasource = dynamic_cast<TnvDatasource *>(owner))
        datasource->SetStoredBounds(geometry());
}

void TnvQueryBuilderDataSourceControl::RestoreState(TnvQueryBuilderControlOwner *owner)
{
    auto *datasource = dynamic_cast<TnvDatasource *>(owner);
    if (!datasource)
        return;
    ReloadFieldsList();
    ApplyTableLook();
    if (const TnvQueryBuilderModel *qb = QueryBuilder())
        FAppliedTableWidth = qb->DefaultTableWidth();
    const QRect stored = datasource->StoredBounds();
    if (stored.x() == 0 && stored.y() == 0 && stored.width() == 0 && stored.height() == 0) {
        // A box never placed: its size from its fields, then the first free
        // place of the diagram for that size.
        TuneSize();
        datasource->SetStoredBounds(QRect(QPoint(0, 0), size()));
        QPoint point;
        if (TnvUnionSubQuery *unionSubQuery = datasource->UnionSubQuery())
            unionSubQuery->FindPos(datasource, point);
        SetBoxBounds(QRect(point, size()));
    } else {
        SetBoxBounds(QRect(stored.topLeft(), size()));
        if (stored.width() != 0 && stored.height() != 0)
            SetBoxBounds(QRect(pos(), stored.size()));
        else
            TuneSize();
    }
    datasource->SetStoredBounds(geometry());
    datasource->UpdateChecks();
}

// ---------------------------------------------------------------------------
// Painting

void TnvQueryBuilderDataSourceControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The frame: the window colour with the style's frame around it.
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = 1;
    frame.midLineWidth = 0;
    frame.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_FrameWindow, &frame, &painter, this);
    PaintCaption(painter);
}

void TnvQueryBuilderDataSourceControl::PaintCaption(QPainter &painter)
{
    const QRect caption = CaptionRect();
    const bool active = FFieldsList->hasFocus();
    const QPalette::ColorGroup group = active ? QPalette::Active : QPalette::Inactive;
    painter.fillRect(caption, active ? palette().color(group, QPalette::Highlight)
                                     : palette().color(QPalette::Active, QPalette::Mid));
    int textLeft = caption.x();
    if (HasIcon()) {
        const QRect icon = IconRect();
        DatasourceIcon().paint(&painter, QRect(icon.x(), icon.y(), ButtonSize, ButtonSize));
        textLeft = icon.x() + icon.width();
    }
    const int buttons = HasSubQueryButton() ? 3 : 2;
    for (int i = 0; i < buttons; ++i)
        PaintButton(painter, i);
    const int textRight = ButtonRect(buttons - 1).x();
    const QRect text(textLeft + 1, caption.y(), textRight - 2 - (textLeft + 1), caption.height());
    if (text.width() > 0) {
        QFont font = painter.font();
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(active ? palette().color(group, QPalette::HighlightedText)
                              : palette().color(QPalette::Active, QPalette::Light));
        const QString elided = painter.fontMetrics().elidedText(FCaption, Qt::ElideRight, text.width());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, elided);
    }
}

void TnvQueryBuilderDataSourceControl::PaintButton(QPainter &painter, int button)
{
    const QRect rect = ButtonRect(button);
    const THitTest code = ButtonHit(button);
    const bool hot = FHot == code;
    const bool pressed = hot && FPressed == code && (QApplication::mouseButtons() & Qt::LeftButton);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = rect;
    option.state |= QStyle::State_Enabled | QStyle::State_Raised;
    if (hot)
        option.state |= QStyle::State_MouseOver;
    if (pressed)
        option.state = (option.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, this);
    QStyle::StandardPixmap glyph;
    switch (button) {
    case 0:
        glyph = QStyle::SP_TitleBarCloseButton;
        break;
    case 1:
        glyph = IsMinimized() ? QStyle::SP_TitleBarNormalButton : QStyle::SP_TitleBarMinButton;
        break;
    default:
        glyph = QStyle::SP_TitleBarMaxButton;
        break;
    }
    const QIcon icon = TitleBarGlyph(style(), glyph, option, this);
    const QRect inner = rect.adjusted(2, 2, -2, -2).translated(pressed ? 1 : 0, pressed ? 1 : 0);
    icon.paint(&painter, inner);
}

// ---------------------------------------------------------------------------
// Events

void TnvQueryBuilderDataSourceControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FFieldsList->setGeometry(ClientRect());
    RealignLinks();
    update();
}

void TnvQueryBuilderDataSourceControl::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    RealignLinks();
}

void TnvQueryBuilderDataSourceControl::mousePressEvent(QMouseEvent *event)
{
    raise();
    const QPoint point = event->position().toPoint();
    const THitTest hit = HitTest(point);
    FPressGlobal = event->globalPosition().toPoint();
    FPressGeometry = geometry();
    if (event->button() == Qt::RightButton) {
        FFieldsList->setFocus(Qt::MouseFocusReason);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    FFieldsList->setFocus(Qt::MouseFocusReason);
    switch (hit) {
    case htClose:
    case htMinButton:
    case htSubQueryButton:
        // A button acts on release, and only when released over it.
        FPressed = hit;
        FHot = hit;
        update(CaptionRect());
        break;
    case htMenu:
        FPressed = hit;
        break;
    case htClient:
    case htNowhere:
        break;
    default:
        FDragMode = hit;
        EndCaptionDrag();
        if (hit == htCaption)
            CaptionDragGoingOn = FCaptionDrag = ++LastCaptionDrag;
        break;
    }
}

void TnvQueryBuilderDataSourceControl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (FDragMode != htNowhere && (event->buttons() & Qt::LeftButton)) {
        const QPoint delta = event->globalPosition().toPoint() - FPressGlobal;
        QRect bounds = FPressGeometry;
        if (FDragMode == htCaption) {
            bounds.moveTopLeft(FPressGeometry.topLeft() + delta);
        } else {
            const int minHeight = FMinHeight;
            // Each edge follows the mouse; an edge dragged past the minimum
            // size stops there, the opposite edge staying put.
            if (FDragMode == htLeft || FDragMode == htTopLeft || FDragMode == htBottomLeft)
                bounds.setLeft(qMin(FPressGeometry.left() + delta.x(), FPressGeometry.right() + 1 - MinWidth));
            if (FDragMode == htRight || FDragMode == htTopRight || FDragMode == htBottomRight)
                bounds.setRight(FPressGeometry.right() + delta.x());
            if (FDragMode == htTop || FDragMode == htTopLeft || FDragMode == htTopRight)
                bounds.setTop(qMin(FPressGeometry.top() + delta.y(), FPressGeometry.bottom() + 1 - minHeight));
            if (FDragMode == htBottom || FDragMode == htBottomLeft || FDragMode == htBottomRight)
                bounds.setBottom(FPressGeometry.bottom() + delta.y());
        }
        SetBoxBounds(bounds);
        return;
    }
    const THitTest hit = HitTest(point);
    UpdateCursor(hit);
    const THitTest hot = (hit == htClose || hit == htMinButton || hit == htSubQueryButton) ? hit : htNowhere;
    if (hot != FHot) {
        FHot = hot;
        update(CaptionRect());
    }
}

void TnvQueryBuilderDataSourceControl::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    const THitTest hit = HitTest(point);
    const THitTest pressed = FPressed;
    FPressed = htNowhere;
    if (FDragMode != htNowhere) {
        FDragMode = htNowhere;
        EndCaptionDrag();
        // The lines catch up with what they skipped during the drag.
        RealignLinks();
    }
    update(CaptionRect());
    if (event->button() == Qt::LeftButton) {
        if (pressed != htNowhere && pressed == hit) {
            if (hit == htMenu)
                ShowPopupMenu(mapToGlobal(ClientRect().topLeft()));
            else
                ActOnButton(hit);
        }
    } else if (event->button() == Qt::RightButton && hit == htCaption) {
        ShowPopupMenu(event->globalPosition().toPoint());
    }
}

void TnvQueryBuilderDataSourceControl::contextMenuEvent(QContextMenuEvent *event) { event->accept(); }

void TnvQueryBuilderDataSourceControl::ActOnButton(THitTest hit)
{
    switch (hit) {
    case htClose:
        Release();
        break;
    case htMinButton:
        ToggleMinimized();
        break;
    case htSubQueryButton:
        SwitchToSubQuery();
        break;
    default:
        break;
    }
}

void TnvQueryBuilderDataSourceControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    const THitTest hit = HitTest(event->position().toPoint());
    if (event->button() == Qt::LeftButton && (hit == htCaption || hit == htMenu)) {
        FDragMode = htNowhere;
        EndCaptionDrag();
        FPressed = htNowhere;
        EditProps();
        return;
    }
    // Quick clicks on a button are two clicks.
    mousePressEvent(event);
}

void TnvQueryBuilderDataSourceControl::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (FHot != htNowhere) {
        FHot = htNowhere;
        update(CaptionRect());
    }
}

void TnvQueryBuilderDataSourceControl::UpdateCursor(THitTest hit)
{
    switch (hit) {
    case htLeft:
    case htRight:
        setCursor(Qt::SizeHorCursor);
        break;
    case htTop:
    case htBottom:
        setCursor(Qt::SizeVerCursor);
        break;
    case htTopLeft:
    case htBottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case htTopRight:
    case htBottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void TnvQueryBuilderDataSourceControl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
        QApplication::mouseButtons() == Qt::NoButton) {
        Release();
        event->accept();
        return;
    }
    event->ignore();
}

void TnvQueryBuilderDataSourceControl::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) {
        FDragRowsDrag = 0;
        // New metrics: a box collapsed to the old minimum takes the new one.
        const bool minimized = IsMinimized();
        UpdateMinHeight();
        if (minimized)
            SetBoxBounds(QRect(pos(), QSize(width(), FMinHeight)));
        FFieldsList->setGeometry(ClientRect());
        update();
    }
}

QPoint TnvQueryBuilderDataSourceControl::PointInWorkArea(const QPoint &point) const
{
    const TnvQueryBuilderWorkArea *workArea = WorkArea();
    return workArea ? mapTo(workArea->ContentParent(), point) : point;
}

// A drag over the caption or frame is the diagram's.
void TnvQueryBuilderDataSourceControl::dragEnterEvent(QDragEnterEvent *event) { dragMoveEvent(event); }

void TnvQueryBuilderDataSourceControl::dragMoveEvent(QDragMoveEvent *event)
{
    TnvQueryBuilderWorkArea *workArea = WorkArea();
    const bool accept = workArea && workArea->DragOverAt(event->mimeData(), DragSource(event),
                                                         PointInWorkArea(event->position().toPoint()));
    event->setAccepted(accept);
}

void TnvQueryBuilderDataSourceControl::dropEvent(QDropEvent *event)
{
    if (TnvQueryBuilderWorkArea *workArea = WorkArea()) {
        workArea->DragDropAt(event->mimeData(), DragSource(event), PointInWorkArea(event->position().toPoint()));
        event->acceptProposedAction();
    }
}

// ---------------------------------------------------------------------------

void RegisterDatasourceControls(TnvControlFactory &factory)
{
    factory.RegisterControlClass(ControlClass::DataSourceControl,
                                 [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
                                     auto *datasource = dynamic_cast<TnvDatasource *>(owner);
                                     // A box lives on its page's diagram; without one it has
                                     // nowhere to show.
                                     QWidget *parent =
                                         datasource ? DiagramParentOf(datasource->UnionSubQuery()) : nullptr;
                                     return parent ? new TnvQueryBuilderDataSourceControl(datasource, parent) : nullptr;
                                 });
    factory.RegisterControlClass(ControlClass::LinkControl,
                                 [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
                                     auto *link = dynamic_cast<TnvLink *>(owner);
                                     return link ? TnvQueryBuilderLinkControl::CreateFor(link) : nullptr;
                                 });
}

} // namespace nvqb
