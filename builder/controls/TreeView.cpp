#include "builder/controls/TreeView.h"
#include "builder/controls/DragFormats.h"
#include "builder/model/ErrorReport.h"

#include <QDrag>
#include <QHeaderView>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>

namespace nvqb {

TnvTreeView::TnvTreeView(TnvQueryBuilder *queryBuilder, QWidget *parent)
    : QTreeView(parent), FQueryBuilder(queryBuilder), FNodes(new TnvTreeNodeModel(this))
{
    setModel(FNodes);
    setHeaderHidden(true);
    // Every row is one line of text: the view need not measure each one,
    // which keeps a tree of many thousand objects quick to fill.
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The column is as wide as the widest row in view, so that deep nodes
    // keep their whole text in a narrow panel and the tree scrolls
    // sideways. Only the rows in view are measured (a tree of many
    // thousand objects stays quick to fill): again when a fill ends, a node
    // opens or closes, the rows scroll or the view grows.
    header()->setStretchLastSection(false);
    header()->setResizeContentsPrecision(0);
    connect(this, &QTreeView::expanded, this, [this] { FitColumn(); });
    connect(this, &QTreeView::collapsed, this, [this] { FitColumn(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { FitColumn(); });
}

TnvTreeView::~TnvTreeView() { FDestroying = true; }

void TnvTreeView::BeginUpdate()
{
    ++FUpdateCount;
    FNodes->BeginUpdate();
}

void TnvTreeView::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    FNodes->EndUpdate();
    if (--FUpdateCount == 0) {
        ++FFitting;
        ApplyExpansion();
        --FFitting;
        FitColumn();
    }
}

void TnvTreeView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    FitColumn();
}

void TnvTreeView::FitColumn()
{
    if (FFitting > 0 || FUpdateCount > 0)
        return;
    resizeColumnToContents(0);
}

TnvTreeNode *TnvTreeView::GetFirstNode() const
{
    return FNodes->Root()->Count() > 0 ? FNodes->Root()->Items(0) : nullptr;
}

TnvTreeNode *TnvTreeView::Selected() const { return FNodes->NodeOf(currentIndex()); }

void TnvTreeView::SelectNode(TnvTreeNode *node)
{
    ++FSelecting;
    const QModelIndex index = FNodes->IndexOf(node);
    if (index.isValid()) {
        setCurrentIndex(index);
        scrollTo(index);
    } else {
        clearSelection();
        setCurrentIndex(QModelIndex());
    }
    --FSelecting;
}

namespace {

// Parents before children, so that expanding a child never re-lays out the
// rows below a parent that is still to open.
void CollectExpanded(TnvTreeNodeModel *nodes, const TnvTreeNode *parent, QModelIndexList &list)
{
    for (int i = 0; i < parent->Count(); ++i) {
        const TnvTreeNode *child = parent->Items(i);
        if (child->Expanded && child->Count() > 0) {
            list.append(nodes->IndexOf(child));
            CollectExpanded(nodes, child, list);
        }
    }
}

} // namespace

void TnvTreeView::ApplyExpansion()
{
    QModelIndexList list;
    CollectExpanded(FNodes, FNodes->Root(), list);
    for (const QModelIndex &index : list)
        expand(index);
}

void TnvTreeView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    if (FDestroying || FSelecting > 0 || IsUpdating() || FNodes->IsUpdating())
        return;
    if (TnvTreeNode *node = FNodes->NodeOf(current))
        nvQBCatchAll([&] { Change(node); });
}

void TnvTreeView::startDrag(Qt::DropActions supportedActions)
{
    QModelIndexList indexes;
    const QModelIndex current = currentIndex();
    if (current.isValid() && (FNodes->flags(current) & Qt::ItemIsDragEnabled))
        indexes.append(current);
    if (indexes.isEmpty())
        return;
    QMimeData *data = FNodes->mimeData(indexes);
    if (!data)
        return;
    // No picture: the diagram shows where the object lands.
    QPointer<TnvTreeView> self = this;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    RunDrag(drag, supportedActions & Qt::CopyAction ? Qt::CopyAction : supportedActions);
    if (self)
        drag->deleteLater();
}

} // namespace nvqb
