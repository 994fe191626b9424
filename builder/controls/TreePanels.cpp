#include "builder/controls/TreePanels.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/TreeViewMetadata.h"
#include "builder/controls/TreeViewQueryStructure.h"
#include "builder/model/ErrorReport.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace nvqb {

// ---------------------------------------------------------------------------
// TnvTreePanel

TnvTreePanel::TnvTreePanel(QWidget *content, QWidget *parent) : QFrame(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(content);
}

void TnvTreePanel::SetBorder(TnvBorderStyle style, const QColor &color, int spacing)
{
    switch (style) {
    case qbbs3D:
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        break;
    case qbbsFlat:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(1);
        break;
    case qbbsUltraFlat: {
        // A plain box is drawn in the foreground colour.
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, color);
        setPalette(colours);
        break;
    }
    case qbbsNone:
        setFrameStyle(QFrame::NoFrame);
        break;
    }
    if (style != qbbsUltraFlat)
        setPalette(QPalette());
    layout()->setContentsMargins(spacing, spacing, spacing, spacing);
    layout()->activate();
}

// ---------------------------------------------------------------------------
// TnvTreePanelSplitter

TnvTreePanelSplitter::TnvTreePanelSplitter(std::function<void(int, int)> moved, std::function<int()> width,
                                           QWidget *parent)
    : QWidget(parent), FMoved(std::move(moved)), FWidth(std::move(width))
{
    setCursor(Qt::SplitHCursor);
}

void TnvTreePanelSplitter::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    FDragging = true;
    FStartX = int(event->globalPosition().x());
    FStartWidth = FWidth();
}

void TnvTreePanelSplitter::mouseMoveEvent(QMouseEvent *event)
{
    if (!FDragging)
        return QWidget::mouseMoveEvent(event);
    const int dx = int(event->globalPosition().x()) - FStartX;
    nvQBCatchAll([&] { FMoved(FStartWidth, dx); });
}

void TnvTreePanelSplitter::mouseReleaseEvent(QMouseEvent *event)
{
    if (FDragging && event->button() == Qt::LeftButton) {
        mouseMoveEvent(event);
        FDragging = false;
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------------------
// TnvQueryBuilderPanels

TnvQueryBuilderPanels::TnvQueryBuilderPanels(TnvQueryBuilder *queryBuilder)
    : QLayout(queryBuilder), FQueryBuilder(queryBuilder)
{
    setContentsMargins(0, 0, 0, 0);
    FStructureTree = new TnvTreeViewQueryStructure(queryBuilder);
    FStructureTree->setObjectName(QStringLiteral("TreeViewQueryStructure"));
    FLeftPanel = new TnvTreePanel(FStructureTree, queryBuilder);
    FLeftSplitter = new TnvTreePanelSplitter(
        [this](int start, int dx) { SetLeftWidth(start + dx, true); }, [this] { return FLeftWidth; }, queryBuilder);
    FPageArea = new QWidget(queryBuilder);
    FPageArea->setObjectName(QStringLiteral("PageArea"));
    auto *pageLayout = new QVBoxLayout(FPageArea);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    FMetadataTree = new TnvTreeViewMetadata(queryBuilder);
    FMetadataTree->setObjectName(QStringLiteral("TreeViewMetadata"));
    FRightPanel = new TnvTreePanel(FMetadataTree, queryBuilder);
    FRightSplitter = new TnvTreePanelSplitter(
        [this](int start, int dx) { SetRightWidth(start - dx, true); }, [this] { return FRightWidth; },
        queryBuilder);
    for (QWidget *widget : {static_cast<QWidget *>(FLeftPanel), static_cast<QWidget *>(FLeftSplitter), FPageArea,
                            static_cast<QWidget *>(FRightSplitter), static_cast<QWidget *>(FRightPanel)})
        FItems.append(new QWidgetItem(widget));
    // The panels' widths are what the options read.
    ++FResizing;
    FQueryBuilder->TreeOptions()->SetTreeWidth(FLeftWidth);
    FQueryBuilder->TreeOptionsMetadata()->SetTreeWidth(FRightWidth);
    --FResizing;
}

TnvQueryBuilderPanels::~TnvQueryBuilderPanels()
{
    qDeleteAll(FItems);
    FItems.clear();
}

void TnvQueryBuilderPanels::DestroyPanels()
{
    // Deleting a child widget takes its item out of this layout.
    delete FLeftPanel;
    delete FRightPanel;
    delete FLeftSplitter;
    delete FRightSplitter;
    FLeftPanel = FRightPanel = nullptr;
    FLeftSplitter = FRightSplitter = nullptr;
    FStructureTree = nullptr;
    FMetadataTree = nullptr;
}

int TnvQueryBuilderPanels::SplitterWidth() const
{
    return std::max(FQueryBuilder->TreeSplitterWidth(), FQueryBuilder->BorderWidth());
}

void TnvQueryBuilderPanels::UpdateControlParams()
{
    if (!FLeftPanel || !FRightPanel)
        return;
    TnvQueryBuilder *qb = FQueryBuilder;
    const TnvTreeOptions *treeOptions = qb->TreeOptions();
    const TnvMetadataTreeOptions *metadataOptions = qb->TreeOptionsMetadata();
    const bool leftShown = treeOptions->TreeVisible();
    const bool rightShown = metadataOptions->TreeVisible();
    FLeftPanel->setVisible(leftShown);
    FLeftSplitter->setVisible(leftShown);
    FRightPanel->setVisible(rightShown);
    FRightSplitter->setVisible(rightShown);
    if (leftShown) {
        FStructureTree->setFont(qb->TreeFont());
        FLeftPanel->SetBorder(qb->BorderStyle(), qb->BorderColor(), qb->BorderWidth() + 4);
        SetLeftWidth(treeOptions->TreeWidth(), false);
        FStructureTree->Nodes()->SetImageList(treeOptions->ImageList());
    }
    if (rightShown) {
        FMetadataTree->setFont(qb->TreeFont());
        FRightPanel->SetBorder(qb->BorderStyle(), qb->BorderColor(), qb->BorderWidth() + 4);
        SetRightWidth(metadataOptions->TreeWidth(), false);
        FMetadataTree->Nodes()->SetImageList(metadataOptions->ImageList());
    }
    invalidate();
    // Laid out now, so that the trees are shown (and so rebuilt) at once.
    activate();
    if (leftShown)
        FStructureTree->UpdateQueryStructure();
    if (rightShown)
        FMetadataTree->ReloadNodes(false);
}

void TnvQueryBuilderPanels::SetLeftWidth(int width, bool fromSplitter)
{
    if (fromSplitter)
        width = std::clamp(width, MinPanelWidth, std::max(MinPanelWidth, RoomFor(true)));
    width = std::clamp(width, 0, LeftPanelMaxWidth);
    const bool changed = width != FLeftWidth;
    FLeftWidth = width;
    // Reading TreeWidth gives the panel's width, also when the host asked
    // for more than the panel takes.
    if (FQueryBuilder->TreeOptions()->TreeWidth() != width) {
        ++FResizing;
        nvQBCatchAll([&] { FQueryBuilder->TreeOptions()->SetTreeWidth(width); });
        --FResizing;
    }
    if (changed && fromSplitter)
        setGeometry(Area());
}

void TnvQueryBuilderPanels::SetRightWidth(int width, bool fromSplitter)
{
    if (fromSplitter)
        width = std::clamp(width, MinPanelWidth, std::max(MinPanelWidth, RoomFor(false)));
    width = std::max(width, 0);
    const bool changed = width != FRightWidth;
    FRightWidth = width;
    if (FQueryBuilder->TreeOptionsMetadata()->TreeWidth() != width) {
        ++FResizing;
        nvQBCatchAll([&] { FQueryBuilder->TreeOptionsMetadata()->SetTreeWidth(width); });
        --FResizing;
    }
    if (changed && fromSplitter)
        setGeometry(Area());
}

int TnvQueryBuilderPanels::RoomFor(bool left) const
{
    const bool otherShown = left ? FRightPanel && !FRightPanel->isHidden() : FLeftPanel && !FLeftPanel->isHidden();
    const int other = otherShown ? (left ? FRightWidth : FLeftWidth) + SplitterWidth() : 0;
    return Area().width() - other - SplitterWidth() - MinPanelWidth;
}

QRect TnvQueryBuilderPanels::Area() const
{
    // Not the layout's own geometry: a child that asks for a new layout
    // empties that until the layout runs again.
    return parentWidget() ? parentWidget()->contentsRect() : geometry();
}

void TnvQueryBuilderPanels::addItem(QLayoutItem *item)
{
    // The page control and whatever else goes into the page area; the
    // panels' own items are made in the constructor.
    FItems.append(item);
}

QLayoutItem *TnvQueryBuilderPanels::itemAt(int index) const { return FItems.value(index); }

QLayoutItem *TnvQueryBuilderPanels::takeAt(int index)
{
    return index >= 0 && index < FItems.size() ? FItems.takeAt(index) : nullptr;
}

int TnvQueryBuilderPanels::count() const { return int(FItems.size()); }

QSize TnvQueryBuilderPanels::sizeHint() const
{
    // Room for every pane to be of use: the trees at their widths, and a
    // page whose diagram holds three boxes of the default width side by side
    // and whose column grid (a third of the page until the user moves its
    // splitter) shows its header and four rows.
    const QFontMetrics metrics(FQueryBuilder->font());
    const int row = metrics.height() + 8;
    int width = std::max(3 * FQueryBuilder->DefaultTableWidth() + 4 * 32, 400);
    for (const auto &[panel, panelWidth] : {std::pair{FLeftPanel, FLeftWidth}, std::pair{FRightPanel, FRightWidth}})
        if (panel && !panel->isHidden())
            width += panelWidth + SplitterWidth();
    const int grid = 5 * row + 2 * FQueryBuilder->BorderWidth() + 12;
    const int height = 3 * grid + row + 12;
    const QMargins margins = contentsMargins();
    return QSize(width + margins.left() + margins.right(), height + margins.top() + margins.bottom());
}

QSize TnvQueryBuilderPanels::minimumSize() const { return QSize(0, 0); }

void TnvQueryBuilderPanels::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    int left = rect.left();
    int right = rect.right() + 1;
    const int splitter = SplitterWidth();
    if (FLeftPanel && !FLeftPanel->isHidden()) {
        FLeftPanel->setGeometry(left, rect.top(), FLeftWidth, rect.height());
        left += FLeftWidth;
        FLeftSplitter->setGeometry(left, rect.top(), splitter, rect.height());
        left += splitter;
    }
    if (FRightPanel && !FRightPanel->isHidden()) {
        right -= FRightWidth;
        FRightPanel->setGeometry(right, rect.top(), FRightWidth, rect.height());
        right -= splitter;
        FRightSplitter->setGeometry(right, rect.top(), splitter, rect.height());
    }
    FPageArea->setGeometry(left, rect.top(), std::max(0, right - left), rect.height());
}

} // namespace nvqb
