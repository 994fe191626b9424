#pragma once
// The base of the control's two trees: a tree view over its own node model
// that keeps its query builder, brackets rebuilds of its nodes and tells a
// derived tree when the user makes a node current (never while the tree
// rebuilds itself). Dragged nodes show no picture of themselves.
#include "builder/controls/TreeNodeModel.h"

#include <QTreeView>

namespace nvqb {

class TnvQueryBuilder;

class TnvTreeView : public QTreeView {
    Q_OBJECT
public:
    TnvTreeView(TnvQueryBuilder *queryBuilder, QWidget *parent = nullptr);
    ~TnvTreeView() override;

    TnvQueryBuilder *QueryBuilder() const { return FQueryBuilder; }
    TnvTreeNodeModel *Nodes() const { return FNodes; }

    // A rebuild: the nodes change without telling the view until the
    // outermost EndUpdate, which then expands the nodes marked Expanded.
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return FUpdateCount > 0; }

    TnvTreeNode *GetFirstNode() const;
    QString GetNodeText(const TnvTreeNode *node) const { return node ? node->Text : QString(); }
    void SetNodeText(TnvTreeNode *node, const QString &text) { FNodes->SetNodeText(node, text); }
    TnvTreeNode *Selected() const;
    // Makes the node current and selected without telling Change.
    void SelectNode(TnvTreeNode *node);

protected:
    // The user made the node current.
    virtual void Change(TnvTreeNode *node) {}
    // Set when the tree starts to go: nothing reacts any more.
    bool IsDestroying() const { return FDestroying; }
    void MarkDestroying() { FDestroying = true; }
    // Whether the node is expanded on screen now.
    bool IsNodeExpanded(const TnvTreeNode *node) const { return isExpanded(FNodes->IndexOf(node)); }
    // After a rebuild: the nodes marked Expanded are opened.
    virtual void ApplyExpansion();

    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void resizeEvent(QResizeEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    TnvQueryBuilder *FQueryBuilder;
    TnvTreeNodeModel *FNodes;
    // Sizes the column to its widest row in view.
    void FitColumn();

    int FUpdateCount = 0;
    int FSelecting = 0;
    // While the expansion of a fill is applied: the column is sized once,
    // after it.
    int FFitting = 0;
    bool FDestroying = false;
};

} // namespace nvqb
