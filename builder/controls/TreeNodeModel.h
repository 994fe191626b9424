#pragma once
// The nodes of the control's trees as an item model: a node has a text, an
// image of the tree's image list, the model object or metadata object it
// stands for (never owned, and read as nil once that object is freed) and
// its children. The trees rebuild their nodes whole, so nodes are only
// appended or cleared; a rebuild inside BeginUpdate/EndUpdate tells the view
// once, as a reset.
#include "builder/model/ImageList.h"
#include "classlib/ClassInfo.h"
#include "sqlmodel/ast/TrackedReference.h"

#include <QAbstractItemModel>
#include <functional>
#include <memory>
#include <vector>

namespace nvqb {

class TnvTreeNode {
public:
    TnvTreeNode(TnvTreeNode *parent, int index) : FParent(parent), FIndex(index) {}
    TnvTreeNode(const TnvTreeNode &) = delete;
    TnvTreeNode &operator=(const TnvTreeNode &) = delete;

    TnvTreeNode *Parent() const { return FParent; }
    // The row under the parent.
    int Index() const { return FIndex; }
    int Count() const { return int(FChildren.size()); }
    TnvTreeNode *Items(int index) const { return FChildren[size_t(index)].get(); }
    // The last child whose text is Text and that carries no object; nil
    // when there is none.
    TnvTreeNode *FindGroup(const QString &text) const;

    QString Text;
    int ImageIndex = -1;
    int SelectedIndex = -1;
    // Whether the view shows the node expanded after the next rebuild.
    bool Expanded = false;

    TObject *Data() const { return FData.get(); }
    template <class T> T *DataAs() const;
    // Target is the tracking part of the object (nil for none).
    void SetData(TObject *object, TnvRefTarget *target) { FData.reset(object, target); }

private:
    friend class TnvTreeNodeModel;
    TnvTreeNode *FParent;
    int FIndex;
    TnvTrackedRef<TObject> FData;
    std::vector<std::unique_ptr<TnvTreeNode>> FChildren;
};

class TnvTreeNodeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TnvTreeNodeModel(QObject *parent = nullptr);
    ~TnvTreeNodeModel() override;

    // The invisible node above the top level.
    TnvTreeNode *Root() const { return FRoot.get(); }
    // Inside the outermost bracket the model changes without telling the
    // views; its end tells them that everything changed.
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return FUpdateCount > 0; }

    void Clear();
    // A new last child of Parent (nil: the top level).
    TnvTreeNode *AddChild(TnvTreeNode *parent, const QString &text, int imageIndex = -1);
    void SetNodeText(TnvTreeNode *node, const QString &text);
    // The first node, in pre-order, that carries the object.
    TnvTreeNode *FindByData(const TObject *object) const;
    int NodeCount() const { return FNodeCount; }

    QModelIndex IndexOf(const TnvTreeNode *node) const;
    TnvTreeNode *NodeOf(const QModelIndex &index) const;

    // The images the nodes' indexes refer to.
    void SetImageList(const TnvImageList &images);
    const TnvImageList &ImageList() const { return FImages; }

    // Nodes can be dragged when this is set; it gives the drag's data of
    // the node.
    std::function<QMimeData *(const TnvTreeNode *node)> DragData;
    QStringList DragTypes;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    void ImagesChanged(const TnvTreeNode *parent);

    std::unique_ptr<TnvTreeNode> FRoot;
    int FUpdateCount = 0;
    int FNodeCount = 0;
    TnvImageList FImages;
};

template <class T> T *TnvTreeNode::DataAs() const { return As<T>(Data()); }

} // namespace nvqb
