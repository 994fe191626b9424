#include "builder/controls/LinkControl.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/LinkPainters.h"
#include "builder/controls/WorkArea.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/ModelMessages.h"
#include "support/MessageTexts.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <memory>

namespace nvqb {

QWidget *DiagramParentOf(TnvUnionSubQuery *unionSubQuery)
{
    auto *page = unionSubQuery ? dynamic_cast<InvUnionSubQueryControl *>(unionSubQuery->GetUnionPage()) : nullptr;
    QObject *parent = page ? page->GetDatasourcesParent() : nullptr;
    if (auto *workArea = qobject_cast<TnvQueryBuilderWorkArea *>(parent))
        return workArea->ContentParent();
    return qobject_cast<QWidget *>(parent);
}

namespace {

// Shows the line of its link control; clicks go through it.
class TnvLinkFace : public QWidget {
public:
    TnvLinkFace(TnvQueryBuilderLinkControl *line, QWidget *parent) : QWidget(parent), FLine(line)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!FLine)
            return;
        QPainter painter(this);
        nvQBCatchAll([&] { FLine->PaintLink(painter); });
    }

private:
    QPointer<TnvQueryBuilderLinkControl> FLine;
};

} // namespace

TnvQueryBuilderLinkControl::TnvQueryBuilderLinkControl(TnvLink *link, QWidget *parent) : QWidget(parent)
{
    FLink.reset(link);
    FFace = new TnvLinkFace(this, parent);
    setAttribute(Qt::WA_NoSystemBackground);
    // The widget only takes clicks (the face shows the line): its moves
    // mark nothing of the diagram for repainting, where a box dragged with
    // hundreds of lines would weigh each line's masked area every move.
    setAttribute(Qt::WA_DontShowOnScreen);
    setFocusPolicy(Qt::ClickFocus);
    // Nothing of the line takes a click until it has been aligned.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(0, 0);
    FFace->resize(0, 0);
}

TnvQueryBuilderLinkControl::~TnvQueryBuilderLinkControl() { delete FFace.data(); }

TnvQueryBuilderLinkControl *TnvQueryBuilderLinkControl::CreateFor(TnvLink *link)
{
    TnvDatasourceGroup *group = link ? link->Group() : nullptr;
    QWidget *parent = group ? DiagramParentOf(group->UnionSubQuery()) : nullptr;
    if (!parent)
        return nullptr;
    auto *line = new TnvQueryBuilderLinkControl(link, parent);
    // Lines stay behind the boxes.
    line->lower();
    line->FFace->stackUnder(line);
    return line;
}

TnvQueryBuilderDataSourceControl *TnvQueryBuilderLinkControl::EndBox(TnvDatasource *datasource)
{
    if (!datasource || !datasource->ControlsCreated() || datasource->IsDestroying())
        return nullptr;
    auto *box = dynamic_cast<TnvQueryBuilderDataSourceControl *>(datasource->GetDSControl());
    return box && !box->IsControlDestroying() ? box : nullptr;
}

TnvEdgeRect TnvQueryBuilderLinkControl::EndRect(TnvQueryBuilderDataSourceControl *box,
                                                const TSQLQualifiedName *field) const
{
    const QRect row = box->LinkRowRect(field);
    QPoint origin = box->pos();
    if (box->parentWidget() != parentWidget() && parentWidget())
        origin = parentWidget()->mapFromGlobal(box->mapToGlobal(QPoint(0, 0)));
    TnvEdgeRect rect = TnvEdgeRect::FromRect(row.translated(origin));
    rect.Left = origin.x();
    rect.Right = origin.x() + box->width();
    return rect;
}

void TnvQueryBuilderLinkControl::AlignLink()
{
    TnvLink *link = Link();
    if (!link || link->IsDestroying() || IsControlDestroying())
        return;
    // A union part making its controls aligns each line once all are made.
    if (TnvDatasourceGroup *group = link->Group(); group && group->UnionSubQuery() &&
                                                    group->UnionSubQuery()->IsMakingControls())
        return;
    TnvQueryBuilderDataSourceControl *leftBox = EndBox(link->LeftDatasource());
    TnvQueryBuilderDataSourceControl *rightBox = EndBox(link->RightDatasource());
    if (!leftBox || !rightBox)
        return;
    const TnvLinkGeometry geometry =
        CalcLinkGeometry(EndRect(leftBox, link->LeftFieldName()), EndRect(rightBox, link->RightFieldName()));
    // The hit region is in the line's own coordinates: a line that only
    // moves keeps it.
    const bool reshaped = geometry.Points != FPoints || geometry.Bounds.size() != size();
    const bool moved = reshaped || geometry.Bounds.topLeft() != pos() || geometry.LeftSide != FLeftSide ||
                       geometry.RightSide != FRightSide;
    FLeftSide = geometry.LeftSide;
    FRightSide = geometry.RightSide;
    FPoints = geometry.Points;
    if (moved) {
        setGeometry(geometry.Bounds);
        if (FFace)
            FFace->setGeometry(geometry.Bounds);
    }
    // While the mouse drags a box it holds every click, so the line's hit
    // region waits for the drag to end (the box realigns its links then).
    if (leftBox->IsDragging() || rightBox->IsDragging())
        FMaskValid = false;
    else if (reshaped || !FMaskValid)
        UpdateMask();
    if (moved && isVisible())
        InvalidateLink();
}

void TnvQueryBuilderLinkControl::UpdateMask()
{
    const QRegion region = LinkHitRegion(FPoints, size());
    // An empty mask would be no mask at all: the whole rectangle.
    setAttribute(Qt::WA_TransparentForMouseEvents, region.isEmpty());
    if (!region.isEmpty())
        setMask(region);
    FMaskValid = true;
}

void TnvQueryBuilderLinkControl::InvalidateLink()
{
    // Marked on the diagram rather than on the face: the lines that change
    // together then make one dirty area, where a dirty face each would be
    // weighed against every sibling above it when the window repaints.
    if (FFace && FFace->isVisible() && FFace->parentWidget())
        FFace->parentWidget()->update(FFace->geometry());
}

void TnvQueryBuilderLinkControl::PaintLink(QPainter &painter)
{
    TnvLink *link = Link();
    if (!link || link->IsDestroying())
        return;
    TnvQueryBuilderModel *qb = link->QueryBuilder();
    TnvQueryBuilderLinkPainter *linkPainter = qb && qb->LinkPainter() ? qb->LinkPainter() : DefaultLinkPainter();
    if (linkPainter)
        linkPainter->PaintLink(painter, FPoints, hasFocus(), FLeftSide, FRightSide, link);
}

void TnvQueryBuilderLinkControl::Release()
{
    TnvLink *link = Link();
    if (!link || link->IsDestroying())
        return;
    // Freeing the link frees this line: that waits until the event that
    // asked for it is over.
    auto target = std::make_shared<TnvTrackedRef<TnvLink>>();
    target->reset(link);
    QObject *context = dynamic_cast<QObject *>(link->QueryBuilder());
    QMetaObject::invokeMethod(
        context ? context : qApp,
        [target] {
            nvQBCatchAll([&] {
                TnvLink *link = target->get();
                if (!link || link->IsDestroying())
                    return;
                TnvQuery *root = link->QueryBuilder() ? link->QueryBuilder()->Query() : nullptr;
                if (root) {
                    auto bracket = UpdateBracket(root);
                    TObject::Free(link);
                } else {
                    TObject::Free(link);
                }
            });
        },
        Qt::QueuedConnection);
}

void TnvQueryBuilderLinkControl::ShowPopupMenu(const QPoint &globalPoint)
{
    TnvLink *link = Link();
    TnvQueryBuilderModel *qb = link ? link->QueryBuilder() : nullptr;
    if (!qb)
        return;
    nvQBCatchAll([&] {
        qb->PopupMenuClear();
        qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBRemove), 0, true, false, false,
                             TNotifyEvent::Bind<&TnvLink::RemoveEvent>(link), link);
        qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBEdit), 0, true, false, true,
                             TNotifyEvent::Bind<&TnvLink::EditPropsEvent>(link), link);
        qb->PopupMenuCompleted();
        qb->PopupMenuPopup(globalPoint);
    });
}

void TnvQueryBuilderLinkControl::SetControlVisible(bool visible)
{
    setVisible(visible);
    if (FFace)
        FFace->setVisible(visible);
}

void TnvQueryBuilderLinkControl::UpdateControlVisualParams(TnvQueryBuilderControlOwner *)
{
    AlignLink();
    // The painter or its colours may have changed where the line did not.
    InvalidateLink();
}

void TnvQueryBuilderLinkControl::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void TnvQueryBuilderLinkControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    if (TnvLink *link = Link())
        nvQBCatchAll([link] { link->EditProps(poMainFormCenter); });
}

void TnvQueryBuilderLinkControl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete) {
        if (event->modifiers() == Qt::NoModifier && QApplication::mouseButtons() == Qt::NoButton)
            Release();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TnvQueryBuilderLinkControl::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    ShowPopupMenu(event->globalPos());
}

// The painters draw a focused line thicker.
void TnvQueryBuilderLinkControl::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    InvalidateLink();
}

void TnvQueryBuilderLinkControl::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    InvalidateLink();
}

} // namespace nvqb
