#include "builder/controls/UnionNavBar.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/PageControl.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionGroup.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/StringList.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace nvqb {

namespace {

QFont BarFont(bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(13);
    font.setBold(bold);
    return font;
}

// The display order of the statement that Node belongs to.
QList<TnvQueryBase *> DisplayList(TnvQueryBase *node)
{
    QList<TnvQueryBase *> list;
    if (node && node->GetRootQuery())
        TnvUnionNavBar::BuildList(list, node->GetRootQuery());
    return list;
}

// Runs the drop with the page's alignment suspended, so the bar is laid out
// once after the model has moved its members.
void RunDrop(QWidget *target, const std::function<void()> &drop)
{
    QPointer<TnvQueryTabSheet> page;
    for (QWidget *w = target; w; w = w->parentWidget())
        if (auto *bar = qobject_cast<TnvUnionNavBar *>(w)) {
            page = bar->GetQueryTabSheet();
            break;
        }
    if (page)
        page->DisableAlign();
    nvQBCatchAll(drop);
    if (page) {
        page->EnableAlign();
        page->AlignControls();
    }
}

void StartBarDrag(QWidget *source)
{
    QPointer<QWidget> guard = source;
    auto *drag = new QDrag(source);
    auto *data = new TnvDragMimeData(source);
    data->setData(QString::fromLatin1(UnionMemberMimeType), QByteArray());
    drag->setMimeData(data);
    RunDrag(drag, Qt::MoveAction);
    if (guard)
        drag->deleteLater();
}

template <class Event> void AcceptBarDrag(Event *event, bool accept)
{
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

bool IsBarDrag(const QMimeData *data)
{
    return data && data->hasFormat(QString::fromLatin1(UnionMemberMimeType));
}

// Whether taking Member out of its group for Destination leaves a bracketed
// group without members: it would print as "()", which no dialect reads.
bool LeavesGroupEmpty(const TnvQueryBase *member, const TnvUnionGroup *destination)
{
    const TnvUnionGroup *group = member->ParentQuery();
    return group && group->ParentQuery() && group->GetCount() == 1 && group != destination;
}

// Whether letting the members of Group out from its start up to Member
// (FromBegin) or from Member to its end leaves it without members.
bool EmptiesGroup(const TnvUnionGroup *group, const TnvQueryBase *member, bool fromBegin)
{
    const qsizetype index = group->IndexOf(member);
    return fromBegin ? index == group->GetCount() - 1 : index == 0;
}

// Where a button dropped on a bracket of Group goes.
const TnvUnionGroup *BracketDropGroup(const TnvUnionSubQuery *moved, TnvUnionGroup *group, bool left)
{
    const QList<TnvQueryBase *> list = DisplayList(group);
    qsizetype first = -1;
    qsizetype last = -1;
    TnvUnionNavBar::FindQueryBounds(list, group, first, last);
    const bool before = list.indexOf(const_cast<TnvUnionSubQuery *>(moved)) < first;
    return before == left ? group : group->ParentQuery();
}

void PopupAt(TnvQueryBuilderModel *qb, const QPoint &global)
{
    if (qb)
        qb->PopupMenuPopup(global);
}

} // namespace

bool UnionDragThresholdPassed(const QPoint &press, const QPoint &now)
{
    return std::abs(now.x() - press.x()) > 4 || std::abs(now.y() - press.y()) > 4;
}

// ---------------------------------------------------------------------------
// TnvUnionNavBar

TnvUnionNavBar::TnvUnionNavBar(TnvQueryTabSheet *page) : TnvPanel(page), FPage(page)
{
    setObjectName(QStringLiteral("UnionNavBar"));
    SetBevelOuter(bvRaised);
    resize(4, BarHeight);
}

TnvUnionNavBar::~TnvUnionNavBar() = default;

void TnvUnionNavBar::RequestAlign()
{
    if (FAlignPosted)
        return;
    FAlignPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FAlignPosted = false;
            if (FPage)
                nvQBCatchAll([this] { FPage->AlignControls(); });
        },
        Qt::QueuedConnection);
}

void TnvUnionNavBar::childEvent(QChildEvent *event)
{
    TnvPanel::childEvent(event);
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved)
        RequestAlign();
}

namespace {

void SetBarControlVisible(QWidget *control, bool visible)
{
    if (control->isHidden() == !visible)
        return;
    control->setVisible(visible);
    if (auto *bar = qobject_cast<TnvUnionNavBar *>(control->parentWidget()))
        bar->RequestAlign();
}

} // namespace

void TnvUnionButton::SetControlVisible(bool visible) { SetBarControlVisible(this, visible); }

void TnvUnionOperator::SetControlVisible(bool visible) { SetBarControlVisible(this, visible); }

void TnvBracket::SetControlVisible(bool visible) { SetBarControlVisible(this, visible); }

void TnvUnionNavBar::BuildList(QList<TnvQueryBase *> &list, TnvUnionGroup *group)
{
    if (!group)
        return;
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvQueryBase *member = group->GetItems(i);
        if (auto *nested = As<TnvUnionGroup>(member)) {
            list.append(nested);
            BuildList(list, nested);
            list.append(nested);
        } else {
            list.append(member);
        }
    }
}

void TnvUnionNavBar::BuildControlsList(QList<QWidget *> &list, TnvUnionGroup *group)
{
    if (!group)
        return;
    auto add = [&list](TnvModelControl *control) {
        if (auto *widget = dynamic_cast<QWidget *>(control))
            list.append(widget);
    };
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvQueryBase *member = group->GetItems(i);
        add(member->GetUnionOperator());
        if (auto *nested = As<TnvUnionGroup>(member)) {
            add(nested->GetLeftBracket());
            BuildControlsList(list, nested);
            add(nested->GetRightBracket());
        } else if (auto *part = As<TnvUnionSubQuery>(member)) {
            add(part->GetUnionButton());
        }
    }
}

void TnvUnionNavBar::FindQueryBounds(const QList<TnvQueryBase *> &list, const TnvUnionGroup *group,
                                     qsizetype &first, qsizetype &last)
{
    first = list.indexOf(group);
    last = list.lastIndexOf(group);
}

int TnvUnionNavBar::CalcWidth() const
{
    int width = 4;
    QList<QWidget *> controls;
    if (FPage && FPage->SubQuery())
        BuildControlsList(controls, FPage->SubQuery());
    for (QWidget *control : std::as_const(controls))
        if (!control->isHidden())
            width += control->width();
    return width;
}

void TnvUnionNavBar::AlignControls()
{
    if (FAligning || !FPage || !FPage->SubQuery() || FPage->IsControlDestroying())
        return;
    FAligning = true;
    TnvScopeExit done([this] { FAligning = false; });
    TnvSubQuery *statement = FPage->SubQuery();
    const QList<TnvQueryBase *> nodes = DisplayList(statement);
    for (TnvQueryBase *node : nodes)
        if (node->ControlsCreated())
            node->UpdateUnionOperator();
    // The buttons are numbered in the textual order of the union parts.
    for (qsizetype i = 0; i < statement->UnionSubQueriesCount(); ++i)
        if (auto *button = dynamic_cast<TnvUnionButton *>(statement->UnionSubQueries(i)->GetUnionButton()))
            button->setText(QString::number(i + 1));
    QList<QWidget *> controls;
    BuildControlsList(controls, statement);
    const QRect client = ClientRect();
    int x = client.left();
    for (QWidget *control : std::as_const(controls)) {
        if (control->isHidden())
            continue;
        if (qobject_cast<TnvBracket *>(control))
            control->setGeometry(x, 0, control->width(), height());
        else if (qobject_cast<TnvUnionOperator *>(control))
            control->move(x, client.top() + (client.height() - control->height()) / 2);
        else
            control->move(x, client.top());
        x += control->width();
    }
    resize(CalcWidth(), BarHeight);
}

// ---------------------------------------------------------------------------
// TnvUnionButton

TnvUnionButton::TnvUnionButton(TnvUnionSubQuery *unionSubQuery, TnvUnionNavBar *bar)
    : QToolButton(bar), FUnionSubQuery(unionSubQuery)
{
    setObjectName(QStringLiteral("UnionButton"));
    setCheckable(true);
    // Exactly one button of the bar is down.
    setAutoExclusive(true);
    setFont(BarFont(true));
    setAcceptDrops(true);
    setFocusPolicy(Qt::NoFocus);
    resize(23, 22);
    setVisible(false);
}

TnvUnionButton::~TnvUnionButton() { MarkDestroying(); }

void TnvUnionButton::SetDown(bool down) { setChecked(down); }

void TnvUnionButton::Click()
{
    if (TnvSubQuery *statement = FUnionSubQuery->GetRootQuery())
        statement->SetCurrentUnionSubquery(FUnionSubQuery);
}

void TnvUnionButton::DblClick() { FUnionSubQuery->EditPropsEvent(nullptr); }

void TnvUnionButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QToolButton::mousePressEvent(event);
    QPointer<TnvUnionButton> self = this;
    setChecked(true);
    nvQBCatchAll([this] { Click(); });
    if (self)
        FPressPoint = event->position().toPoint();
}

void TnvUnionButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || FPressPoint == QPoint(NoPress, NoPress))
        return;
    if (!UnionDragThresholdPassed(FPressPoint, event->position().toPoint()))
        return;
    FPressPoint = QPoint(NoPress, NoPress);
    StartBarDrag(this);
}

void TnvUnionButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FPressPoint = QPoint(NoPress, NoPress);
}

void TnvUnionButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        nvQBCatchAll([this] { DblClick(); });
}

void TnvUnionButton::contextMenuEvent(QContextMenuEvent *event)
{
    const QPoint global = event->globalPos();
    nvQBCatchAll([this, global] {
        if (FUnionSubQuery->GetPopupMenu())
            PopupAt(FUnionSubQuery->QueryBuilder(), global);
    });
    event->accept();
}

bool TnvUnionButton::CanDrop(QObject *source) const
{
    if (auto *button = qobject_cast<TnvUnionButton *>(source))
        return button == this || !LeavesGroupEmpty(button->UnionSubQuery(), FUnionSubQuery->ParentQuery());
    auto *bracket = qobject_cast<TnvBracket *>(source);
    if (!bracket)
        return false;
    // A bracket moves its group's edge to this button: within the group, or
    // from outside on its own side of the group.
    TnvUnionGroup *group = bracket->Group();
    TnvUnionGroup *parent = FUnionSubQuery->ParentQuery();
    if (parent == group)
        return !EmptiesGroup(group, FUnionSubQuery, qobject_cast<TnvLeftBracket *>(source) != nullptr);
    if (!parent || parent != group->ParentQuery())
        return false;
    const bool before = parent->IndexOf(FUnionSubQuery) < parent->IndexOf(group);
    return qobject_cast<TnvLeftBracket *>(source) ? before : !before;
}

void TnvUnionButton::Drop(QObject *source)
{
    if (source == this)
        return;
    const QList<TnvQueryBase *> list = DisplayList(FUnionSubQuery);
    if (auto *button = qobject_cast<TnvUnionButton *>(source)) {
        TnvUnionSubQuery *moved = button->UnionSubQuery();
        if (list.indexOf(FUnionSubQuery) >= list.indexOf(moved))
            FUnionSubQuery->InsertAfter(moved);
        else
            FUnionSubQuery->InsertBefore(moved);
    } else if (auto *left = qobject_cast<TnvLeftBracket *>(source)) {
        TnvUnionGroup *group = left->Group();
        if (FUnionSubQuery->ParentQuery() == group)
            group->RemoveFromBegin(FUnionSubQuery);
        else
            group->AddToBegin(FUnionSubQuery);
    } else if (auto *right = qobject_cast<TnvRightBracket *>(source)) {
        TnvUnionGroup *group = right->Group();
        if (FUnionSubQuery->ParentQuery() == group)
            group->RemoveFromEnd(FUnionSubQuery);
        else
            group->AddToEnd(FUnionSubQuery);
    }
}

void TnvUnionButton::dragEnterEvent(QDragEnterEvent *event)
{
    AcceptBarDrag(event, IsBarDrag(event->mimeData()) && CanDrop(DragSource(event)));
}

void TnvUnionButton::dragMoveEvent(QDragMoveEvent *event)
{
    AcceptBarDrag(event, IsBarDrag(event->mimeData()) && CanDrop(DragSource(event)));
}

void TnvUnionButton::dropEvent(QDropEvent *event)
{
    if (!IsBarDrag(event->mimeData()) || !CanDrop(DragSource(event)))
        return event->ignore();
    QObject *source = DragSource(event);
    event->acceptProposedAction();
    RunDrop(this, [this, source] { Drop(source); });
}

// ---------------------------------------------------------------------------
// TnvUnionOperator

TnvUnionOperator::TnvUnionOperator(TnvQueryBase *member, TnvUnionNavBar *bar) : QWidget(bar), FMember(member)
{
    setObjectName(QStringLiteral("UnionOperator"));
    setFont(BarFont(true));
    resize(16, 16);
    setVisible(false);
    UpdateContent();
}

TnvUnionOperator::~TnvUnionOperator() { MarkDestroying(); }

void TnvUnionOperator::SetUnionOperator(const QString &text)
{
    FOperator = text.isEmpty() ? QStringLiteral("union") : text;
    UpdateContent();
}

void TnvUnionOperator::SetAll(bool all)
{
    FAll = all;
    UpdateContent();
}

QString TnvUnionOperator::Caption() const
{
    return FOperator.left(1).toLower() + (FAll ? QStringLiteral("a") : QString());
}

QString TnvUnionOperator::Hint() const { return FOperator.toLower() + (FAll ? QStringLiteral(" all") : QString()); }

QString TnvUnionOperator::PlainOperator() const
{
    return FOperator.toUpper() + (FAll ? QStringLiteral(" ALL") : QString());
}

void TnvUnionOperator::UpdateContent()
{
    setToolTip(Hint());
    setAccessibleName(Caption());
    update();
}

void TnvUnionOperator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage *icon =
        FMember && FMember->SyntaxProvider() ? TnvBaseSyntaxProvider::GetUnionOperatorIcon(PlainOperator()) : nullptr;
    if (icon && !icon->isNull()) {
        painter.drawImage(QPoint(0, 0), *icon);
        return;
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TnvUnionOperator::ShowMenu(const QPoint &globalPoint)
{
    TnvQueryBuilderModel *qb = FMember ? FMember->QueryBuilder() : nullptr;
    TnvBaseSyntaxProvider *provider = FMember ? FMember->SyntaxProvider() : nullptr;
    if (!qb || !provider)
        return;
    TWideStringList operators;
    provider->GetUnionOperatorsList(&operators);
    qb->PopupMenuClear();
    const QString current = PlainOperator();
    for (qsizetype i = 0; i < operators.Count(); ++i)
        qb->PopupMenuAddItem(nullptr, operators[i], 0, true,
                             operators[i].compare(current, Qt::CaseInsensitive) == 0, false,
                             TNotifyEvent::Bind<&TnvQueryBase::SetUnionOperatorEvent>(FMember), FMember);
    qb->PopupMenuCompleted();
    qb->PopupMenuPopup(globalPoint);
}

void TnvUnionOperator::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton &&
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        const QPoint global = event->globalPosition().toPoint();
        nvQBCatchAll([this, global] { ShowMenu(global); });
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TnvUnionOperator::contextMenuEvent(QContextMenuEvent *event)
{
    const QPoint global = event->globalPos();
    nvQBCatchAll([this, global] { ShowMenu(global); });
    event->accept();
}

// ---------------------------------------------------------------------------
// Brackets

TnvBracket::TnvBracket(TnvUnionGroup *group, TnvUnionNavBar *bar, bool left)
    : QLabel(left ? QStringLiteral("(") : QStringLiteral(")"), bar), FGroup(group), FLeft(left)
{
    setObjectName(left ? QStringLiteral("LeftBracket") : QStringLiteral("RightBracket"));
    setAlignment(Qt::AlignCenter);
    setFont(BarFont(false));
    setAcceptDrops(true);
    resize(10, TnvUnionNavBar::BarHeight);
    setVisible(false);
}

TnvBracket::~TnvBracket() { MarkDestroying(); }

void TnvBracket::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        FPressed = true;
        FPressPoint = event->position().toPoint();
    }
    QLabel::mousePressEvent(event);
}

void TnvBracket::mouseMoveEvent(QMouseEvent *event)
{
    if (!FPressed || !(event->buttons() & Qt::LeftButton))
        return;
    if (!UnionDragThresholdPassed(FPressPoint, event->position().toPoint()))
        return;
    FPressed = false;
    StartBarDrag(this);
}

void TnvBracket::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FPressed = false;
    QLabel::mouseReleaseEvent(event);
}

void TnvBracket::dragEnterEvent(QDragEnterEvent *event)
{
    AcceptBarDrag(event, IsBarDrag(event->mimeData()) && CanDrop(DragSource(event)));
}

void TnvBracket::dragMoveEvent(QDragMoveEvent *event)
{
    AcceptBarDrag(event, IsBarDrag(event->mimeData()) && CanDrop(DragSource(event)));
}

void TnvBracket::dropEvent(QDropEvent *event)
{
    if (!IsBarDrag(event->mimeData()) || !CanDrop(DragSource(event)))
        return event->ignore();
    QObject *source = DragSource(event);
    event->acceptProposedAction();
    RunDrop(this, [this, source] { Drop(source); });
}

void TnvBracket::contextMenuEvent(QContextMenuEvent *event)
{
    const QPoint global = event->globalPos();
    nvQBCatchAll([this, global] {
        if (BuildPopupMenu())
            PopupAt(FGroup->QueryBuilder(), global);
    });
    event->accept();
}

bool TnvBracket::CanDrop(QObject *source) const
{
    TnvUnionGroup *target = Group();
    if (auto *button = qobject_cast<TnvUnionButton *>(source))
        return !LeavesGroupEmpty(button->UnionSubQuery(), BracketDropGroup(button->UnionSubQuery(), target, FLeft));
    auto *bracket = qobject_cast<TnvBracket *>(source);
    if (!bracket)
        return false;
    TnvUnionGroup *group = bracket->Group();
    const bool sourceLeft = bracket->IsLeft();
    if (sourceLeft != FLeft)
        // The other bracket of an enclosing group: the group shrinks to this one.
        return target->ParentQuery() == group && !EmptiesGroup(group, target, sourceLeft);
    // The dragged group grows to begin (or end) at this one.
    if (group == target || !group->ParentQuery() || group->ParentQuery() != target->ParentQuery())
        return false;
    const qsizetype targetIndex = group->ParentQuery()->IndexOf(target);
    const qsizetype groupIndex = group->ParentQuery()->IndexOf(group);
    return FLeft ? targetIndex < groupIndex : targetIndex > groupIndex;
}

void TnvBracket::Drop(QObject *source)
{
    if (source == this)
        return;
    TnvUnionGroup *target = Group();
    if (auto *button = qobject_cast<TnvUnionButton *>(source)) {
        TnvUnionSubQuery *moved = button->UnionSubQuery();
        const QList<TnvQueryBase *> list = DisplayList(target);
        qsizetype first = -1;
        qsizetype last = -1;
        TnvUnionNavBar::FindQueryBounds(list, target, first, last);
        const bool fromBefore = list.indexOf(moved) < first;
        if (fromBefore != FLeft) {
            // Dropped from the far side: it goes outside the group, beside it.
            if (FLeft)
                target->InsertBefore(moved);
            else
                target->InsertAfter(moved);
        } else if (target->GetCount() == 0) {
            moved->SetParentQuery(target);
        } else if (FLeft) {
            // Becomes the group's first member.
            target->GetItems(0)->InsertBefore(moved);
        } else {
            // Becomes the group's last member.
            target->GetItems(target->GetCount() - 1)->InsertAfter(moved);
        }
        return;
    }
    auto *bracket = qobject_cast<TnvBracket *>(source);
    if (!bracket)
        return;
    TnvUnionGroup *group = bracket->Group();
    const bool sourceLeft = bracket->IsLeft();
    if (sourceLeft == FLeft) {
        if (FLeft)
            group->AddToBegin(target);
        else
            group->AddToEnd(target);
    } else if (sourceLeft) {
        group->RemoveFromBegin(target);
    } else {
        group->RemoveFromEnd(target);
    }
}

bool TnvBracket::BuildPopupMenu()
{
    return (FLeft ? FGroup->LeftBracketPopupMenu() : FGroup->RightBracketPopupMenu()) != nullptr;
}

} // namespace nvqb
