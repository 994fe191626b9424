#include "builder/controls/PageControl.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/UnionNavBar.h"
#include "builder/controls/WorkArea.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionGroup.h"
#include "builder/model/UnionSubQuery.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace nvqb {

// ---------------------------------------------------------------------------
// TnvQueryTabBar

TnvQueryTabBar::TnvQueryTabBar(QWidget *parent) : QTabBar(parent) {}

void TnvQueryTabBar::SetHotTrack(bool value)
{
    if (FHotTrack == value)
        return;
    FHotTrack = value;
    setMouseTracking(value);
    setAttribute(Qt::WA_Hover, value);
    SetHotIndex(value && underMouse() ? tabAt(mapFromGlobal(QCursor::pos())) : -1);
}

void TnvQueryTabBar::SetHotIndex(int index)
{
    if (index == FHotIndex)
        return;
    FHotIndex = index;
    update();
}

void TnvQueryTabBar::initStyleOption(QStyleOptionTab *option, int tabIndex) const
{
    QTabBar::initStyleOption(option, tabIndex);
    if (!FHotTrack || tabIndex != FHotIndex)
        return;
    option->state |= QStyle::State_MouseOver;
    option->palette.setColor(QPalette::WindowText, option->palette.color(QPalette::Highlight));
    option->palette.setColor(QPalette::ButtonText, option->palette.color(QPalette::Highlight));
}

void TnvQueryTabBar::WritePendingEdit()
{
    auto *pages = qobject_cast<QTabWidget *>(parentWidget());
    QWidget *shown = pages ? pages->currentWidget() : nullptr;
    QWidget *focus = QApplication::focusWidget();
    if (shown && focus && shown->isAncestorOf(focus))
        setFocus(Qt::OtherFocusReason);
}

void TnvQueryTabBar::mousePressEvent(QMouseEvent *event)
{
    WritePendingEdit();
    QTabBar::mousePressEvent(event);
}

void TnvQueryTabBar::mouseMoveEvent(QMouseEvent *event)
{
    if (FHotTrack)
        SetHotIndex(tabAt(event->position().toPoint()));
    QTabBar::mouseMoveEvent(event);
}

void TnvQueryTabBar::leaveEvent(QEvent *event)
{
    SetHotIndex(-1);
    QTabBar::leaveEvent(event);
}

void TnvQueryTabBar::keyPressEvent(QKeyEvent *event)
{
    WritePendingEdit();
    QTabBar::keyPressEvent(event);
}

#if QT_CONFIG(wheelevent)
void TnvQueryTabBar::wheelEvent(QWheelEvent *event)
{
    WritePendingEdit();
    QTabBar::wheelEvent(event);
}
#endif

// ---------------------------------------------------------------------------
// TnvQueryBuilderPageControl

TnvQueryBuilderPageControl::TnvQueryBuilderPageControl(TnvQueryBuilder *queryBuilder, QWidget *parent)
    : QTabWidget(parent), FQueryBuilder(queryBuilder), FTabBar(new TnvQueryTabBar(this))
{
    setObjectName(QStringLiteral("PageControl"));
    setTabBar(FTabBar);
    connect(this, &QTabWidget::currentChanged, this, [this](int) { nvQBCatchAll([this] { Change(); }); });
}

TnvQueryBuilderPageControl::~TnvQueryBuilderPageControl() = default;

void TnvQueryBuilderPageControl::Change()
{
    auto *page = qobject_cast<TnvQueryTabSheet *>(currentWidget());
    // Tabs also change while the model frees its pages; only the user's
    // choice (or the model's own) of a living page counts.
    if (!page || !FQueryBuilder || !FQueryBuilder->ControlsCreated() || page->IsControlDestroying())
        return;
    FQueryBuilder->SetCurrentSubquery(page->SubQuery());
}

// ---------------------------------------------------------------------------
// TnvQueryTabSheet

TnvQueryTabSheet::TnvQueryTabSheet(TnvSubQuery *subQuery, TnvQueryBuilderPageControl *pageControl)
    : QWidget(nullptr), FSubQuery(subQuery), FPageControl(pageControl)
{
    FUnionNavBar = new TnvUnionNavBar(this);
    // Adding the first tab makes it current; the model decides which
    // sub-query is current, not the order in which the pages are made.
    QSignalBlocker silent(pageControl);
    pageControl->addTab(this, QString());
}

TnvQueryTabSheet::~TnvQueryTabSheet()
{
    MarkDestroying();
    // The tab widget would pick a neighbour of a removed current tab and
    // make its sub-query current; the model picks the one to show instead.
    if (FPageControl) {
        QSignalBlocker silent(FPageControl.data());
        FPageControl->removeTab(FPageControl->indexOf(this));
    }
}

void TnvQueryTabSheet::UpdateControlVisualParams(TnvQueryBuilderControlOwner *)
{
    if (FUnionNavBar)
        FUnionNavBar->AlignControls();
    AlignControls();
}

QObject *TnvQueryTabSheet::GetUnionNavBar() { return FUnionNavBar; }

void TnvQueryTabSheet::Activate()
{
    if (FPageControl)
        FPageControl->setCurrentWidget(this);
}

void TnvQueryTabSheet::SetCaption(const QString &caption)
{
    if (!FPageControl)
        return;
    const int index = FPageControl->indexOf(this);
    if (index >= 0)
        FPageControl->setTabText(index, caption);
}

void TnvQueryTabSheet::SetControlVisible(bool) {}

void TnvQueryTabSheet::EnableAlign()
{
    if (FAlignDisabled > 0 && --FAlignDisabled == 0 && FAlignPending)
        AlignControls();
}

void TnvQueryTabSheet::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    nvQBCatchAll([this] { AlignControls(); });
}

void TnvQueryTabSheet::AlignControls()
{
    if (IsControlDestroying() || !FSubQuery)
        return;
    if (FAlignDisabled > 0) {
        FAlignPending = true;
        return;
    }
    FAlignPending = false;
    // The union pages cover the whole page; only the current one is shown.
    TnvUnionSubQueryTabSheet *current = nullptr;
    for (QObject *child : children())
        if (auto *unionPage = qobject_cast<TnvUnionSubQueryTabSheet *>(child)) {
            unionPage->setGeometry(rect());
            if (unionPage->UnionSubQuery() == FSubQuery->CurrentUnionSubQuery())
                current = unionPage;
        }
    if (!FUnionNavBar)
        return;
    FUnionNavBar->AlignControls();
    const int width = FUnionNavBar->CalcWidth();
    const int height = FUnionNavBar->height();
    const QRect area = current ? current->GetUnionNavigatorAlignmentRect() : rect();
    TnvUnionNavBarPosition position = unbTopRight;
    if (FPageControl && FPageControl->QueryBuilder())
        position = FPageControl->QueryBuilder()->UnionNavBarPos();
    const int left =
        position == unbTopLeft || position == unbBottomLeft ? area.left() : area.left() + area.width() - width;
    const int top =
        position == unbTopRight || position == unbTopLeft ? area.top() : area.top() + area.height() - height;
    FUnionNavBar->raise();
    FUnionNavBar->setGeometry(left, top, width, height);
}

// ---------------------------------------------------------------------------
// TnvUnionSubQueryTabSheet

TnvUnionSubQueryTabSheet::TnvUnionSubQueryTabSheet(TnvUnionSubQuery *unionSubQuery, TnvQueryTabSheet *queryPage)
    : TnvPanel(queryPage), FUnionSubQuery(unionSubQuery), FQueryPage(queryPage)
{
    // Made hidden: the model shows the current union part's page.
    setVisible(false);
    TnvQueryBuilder *qb = queryPage->PageControl() ? queryPage->PageControl()->QueryBuilder() : nullptr;
    FDiagramPanel = new TnvPanel(this);
    FDiagramPanel->setObjectName(QStringLiteral("DiagramPanel"));
    FWorkArea = new TnvQueryBuilderWorkArea(unionSubQuery, qb, FDiagramPanel);
    auto *layout = new QVBoxLayout(FDiagramPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FWorkArea);
    FSplitter = new TnvSplitter(this);
    FColumnsPane = new TnvPanel(this);
    FColumnsPane->setObjectName(QStringLiteral("ColumnsPane"));
    // The column grid takes its place inside the pane as its only child.
    auto *paneLayout = new QVBoxLayout(FColumnsPane);
    paneLayout->setSpacing(0);
    connect(FSplitter, &TnvSplitter::DragStarted, this, [this] { SplitterDragStarted(); });
    connect(FSplitter, &TnvSplitter::Dragging, this, [this](int dy) { SplitterDragging(dy); });
    if (queryPage)
        setGeometry(queryPage->rect());
}

TnvUnionSubQueryTabSheet::~TnvUnionSubQueryTabSheet() { MarkDestroying(); }

int TnvUnionSubQueryTabSheet::PaneHeight() const
{
    TnvQueryBuilder *qb = FWorkArea ? FWorkArea->QueryBuilder() : nullptr;
    int height = qb ? qb->ColumnsPaneHeight() : 0;
    if (height <= 0)
        // The pane's own height until it is given one: a third of the page.
        height = std::max(60, this->height() / 3);
    return height;
}

void TnvUnionSubQueryTabSheet::AlignControls()
{
    if (!FDiagramPanel)
        return;
    const QRect client = ClientRect();
    int bottom = client.bottom() + 1;
    if (FColumnsPane && !FColumnsPane->isHidden()) {
        const int pane = std::min(PaneHeight(), std::max(client.height() - FSplitter->height(), 0));
        FColumnsPane->setGeometry(client.left(), bottom - pane, client.width(), pane);
        bottom -= pane;
        if (!FSplitter->isHidden()) {
            FSplitter->setGeometry(client.left(), bottom - FSplitter->height(), client.width(), FSplitter->height());
            bottom -= FSplitter->height();
        }
    }
    FDiagramPanel->setGeometry(client.left(), client.top(), client.width(), std::max(bottom - client.top(), 0));
    if (FQueryPage && isVisible())
        FQueryPage->Realign();
}

namespace {

// The panel borders of the query builder's BorderStyle.
void ApplyBorderStyle(TnvPanel *panel, TnvQueryBuilder *qb)
{
    const TnvBorderStyle style = qb->BorderStyle();
    panel->SetBorderSingle(style == qbbs3D);
    panel->SetBevelInner(style == qbbsFlat ? bvLowered : bvNone);
    panel->SetBorderWidth(style == qbbsUltraFlat ? 1 : 0);
    if (style == qbbsUltraFlat)
        panel->SetColor(qb->BorderColor());
}

} // namespace

void TnvUnionSubQueryTabSheet::UpdateControlVisualParams(TnvQueryBuilderControlOwner *)
{
    TnvQueryBuilder *qb = FWorkArea ? FWorkArea->QueryBuilder() : nullptr;
    if (!qb)
        return;
    const bool pane = qb->ColumnsPaneVisible();
    FColumnsPane->setVisible(pane);
    FSplitter->setVisible(pane);
    // The tree panels come beside the page; where a tree is shown the page
    // joins it without its own border.
    SetLeftBorder(!qb->TreeOptions()->TreeVisible());
    SetRightBorder(!qb->TreeOptionsMetadata()->TreeVisible());
    SetBorderWidth(qb->BorderWidth());
    FSplitter->setFixedHeight(std::max(qb->SplitterHeight(), qb->BorderWidth()));
    ApplyBorderStyle(FDiagramPanel, qb);
    ApplyBorderStyle(FColumnsPane, qb);
    FWorkArea->UpdateBackground();
    AlignControls();
    if (FUnionSubQuery && FUnionSubQuery->GetRootQuery() &&
        FUnionSubQuery->GetRootQuery()->CurrentUnionSubQuery() == FUnionSubQuery) {
        setVisible(true);
        BringToFront();
    }
}

QRect TnvUnionSubQueryTabSheet::GetUnionNavigatorAlignmentRect()
{
    QRect rect = FWorkArea->rect();
    if (!FWorkArea->verticalScrollBar()->isVisible())
        rect.setRight(rect.right() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FWorkArea));
    if (!FWorkArea->horizontalScrollBar()->isVisible())
        rect.setBottom(rect.bottom() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FWorkArea));
    return rect.translated(FWorkArea->mapTo(this, QPoint(0, 0)));
}

QObject *TnvUnionSubQueryTabSheet::GetSelectListParent() { return FColumnsPane; }

QObject *TnvUnionSubQueryTabSheet::GetDatasourcesParent() { return FWorkArea; }

void TnvUnionSubQueryTabSheet::SetControlVisible(bool visible)
{
    setVisible(visible);
    if (visible) {
        AlignControls();
        if (FQueryPage)
            FQueryPage->Realign();
    }
}

void TnvUnionSubQueryTabSheet::BringToFront()
{
    raise();
    // The bar stays over the shown union page.
    if (FQueryPage)
        FQueryPage->Realign();
}

void TnvUnionSubQueryTabSheet::SplitterDragStarted() { FDragStartHeight = FColumnsPane->height(); }

void TnvUnionSubQueryTabSheet::SplitterDragging(int dy)
{
    TnvQueryBuilder *qb = FWorkArea->QueryBuilder();
    if (!qb)
        return;
    const int limit = std::max(ClientRect().height() - FSplitter->height(), 0);
    qb->SetColumnsPaneHeight(std::clamp(FDragStartHeight - dy, 0, limit));
    AlignControls();
}

// ---------------------------------------------------------------------------
// Creators

namespace {

TnvQueryBuilder *WidgetOf(TnvQueryBuilderControlOwner *owner)
{
    return owner ? dynamic_cast<TnvQueryBuilder *>(owner->QueryBuilder()) : nullptr;
}

// The page of the statement the union member belongs to.
TnvQueryTabSheet *PageOf(TnvQueryBase *member)
{
    TnvSubQuery *statement = member ? member->GetRootQuery() : nullptr;
    return statement ? dynamic_cast<TnvQueryTabSheet *>(statement->GetControls(0)) : nullptr;
}

TnvUnionNavBar *BarOf(TnvQueryBase *member)
{
    TnvQueryTabSheet *page = PageOf(member);
    return page ? page->UnionNavBar() : nullptr;
}

} // namespace

void RegisterPageControls(TnvControlFactory &factory)
{
    factory.RegisterControlClass(ControlClass::QueryTabSheet,
                                 [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
                                     TnvQueryBuilder *qb = WidgetOf(owner);
                                     auto *subQuery = As<TnvSubQuery>(owner);
                                     if (!qb || !subQuery || !qb->PageControl())
                                         return nullptr;
                                     return new TnvQueryTabSheet(subQuery, qb->PageControl());
                                 });
    factory.RegisterControlClass(ControlClass::UnionSubQueryTabSheet,
                                 [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
                                     auto *member = As<TnvUnionSubQuery>(owner);
                                     TnvQueryTabSheet *page = PageOf(member);
                                     return page ? new TnvUnionSubQueryTabSheet(member, page) : nullptr;
                                 });
    factory.RegisterControlClass(ControlClass::UnionButton,
                                 [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
                                     auto *member = As<TnvUnionSubQuery>(owner);
                                     TnvUnionNavBar *bar = BarOf(member);
                                     return bar ? new TnvUnionButton(member, bar) : nullptr;
                                 });
    factory.RegisterControlClass(ControlClass::UnionOperator,
                                 [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
                                     auto *member = As<TnvQueryBase>(owner);
                                     TnvUnionNavBar *bar = BarOf(member);
                                     return bar ? new TnvUnionOperator(member, bar) : nullptr;
                                 });
    factory.RegisterControlClass(ControlClass::LeftBracket,
                                 [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
                                     auto *group = As<TnvUnionGroup>(owner);
                                     TnvUnionNavBar *bar = BarOf(group);
                                     return bar ? new TnvLeftBracket(group, bar) : nullptr;
                                 });
    factory.RegisterControlClass(ControlClass::RightBracket,
                                 [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
                                     auto *group = As<TnvUnionGroup>(owner);
                                     TnvUnionNavBar *bar = BarOf(group);
                                     return bar ? new TnvRightBracket(group, bar) : nullptr;
                                 });
}

} // namespace nvqb
