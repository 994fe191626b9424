#include "builder/controls/TreeNodeModel.h"

#include <QMimeData>

namespace nvqb {

TnvTreeNode *TnvTreeNode::FindGroup(const QString &text) const
{
    for (auto it = FChildren.rbegin(); it != FChildren.rend(); ++it)
        if (!(*it)->Data() && (*it)->Text == text)
            return it->get();
    return nullptr;
}

TnvTreeNodeModel::TnvTreeNodeModel(QObject *parent)
    : QAbstractItemModel(parent), FRoot(std::make_unique<TnvTreeNode>(nullptr, 0))
{
}

TnvTreeNodeModel::~TnvTreeNodeModel() = default;

void TnvTreeNodeModel::BeginUpdate()
{
    if (FUpdateCount++ == 0)
        beginResetModel();
}

void TnvTreeNodeModel::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        endResetModel();
}

void TnvTreeNodeModel::Clear()
{
    if (FRoot->FChildren.empty())
        return;
    if (!IsUpdating())
        beginResetModel();
    FRoot->FChildren.clear();
    FNodeCount = 0;
    if (!IsUpdating())
        endResetModel();
}

TnvTreeNode *TnvTreeNodeModel::AddChild(TnvTreeNode *parent, const QString &text, int imageIndex)
{
    if (!parent)
        parent = FRoot.get();
    const int row = parent->Count();
    if (!IsUpdating())
        beginInsertRows(IndexOf(parent), row, row);
    parent->FChildren.push_back(std::make_unique<TnvTreeNode>(parent, row));
    TnvTreeNode *node = parent->FChildren.back().get();
    node->Text = text;
    node->ImageIndex = imageIndex;
    node->SelectedIndex = imageIndex;
    ++FNodeCount;
    if (!IsUpdating())
        endInsertRows();
    return node;
}

void TnvTreeNodeModel::SetNodeText(TnvTreeNode *node, const QString &text)
{
    if (!node || node == FRoot.get() || node->Text == text)
        return;
    node->Text = text;
    if (!IsUpdating()) {
        const QModelIndex index = IndexOf(node);
        emit dataChanged(index, index, {Qt::DisplayRole});
    }
}

namespace {

TnvTreeNode *FindIn(const TnvTreeNode *parent, const TObject *object)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TnvTreeNode *child = parent->Items(i);
        if (child->Data() == object)
            return child;
        if (TnvTreeNode *found = FindIn(child, object))
            return found;
    }
    return nullptr;
}

} // namespace

TnvTreeNode *TnvTreeNodeModel::FindByData(const TObject *object) const
{
    return object ? FindIn(FRoot.get(), object) : nullptr;
}

QModelIndex TnvTreeNodeModel::IndexOf(const TnvTreeNode *node) const
{
    if (!node || node == FRoot.get())
        return QModelIndex();
    return createIndex(node->Index(), 0, const_cast<TnvTreeNode *>(node));
}

TnvTreeNode *TnvTreeNodeModel::NodeOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TnvTreeNode *>(index.internalPointer());
}

void TnvTreeNodeModel::SetImageList(const TnvImageList &images)
{
    if (!StoreImageList(FImages, images))
        return;
    if (!IsUpdating())
        ImagesChanged(FRoot.get());
}

void TnvTreeNodeModel::ImagesChanged(const TnvTreeNode *parent)
{
    if (parent->Count() == 0)
        return;
    emit dataChanged(index(0, 0, IndexOf(parent)), index(parent->Count() - 1, 0, IndexOf(parent)),
                     {Qt::DecorationRole});
    for (int i = 0; i < parent->Count(); ++i)
        ImagesChanged(parent->Items(i));
}

QModelIndex TnvTreeNodeModel::index(int row, int column, const QModelIndex &parent) const
{
    const TnvTreeNode *parentNode = parent.isValid() ? NodeOf(parent) : FRoot.get();
    if (!parentNode || column != 0 || row < 0 || row >= parentNode->Count())
        return QModelIndex();
    return createIndex(row, 0, parentNode->Items(row));
}

QModelIndex TnvTreeNodeModel::parent(const QModelIndex &child) const
{
    const TnvTreeNode *node = NodeOf(child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TnvTreeNodeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const TnvTreeNode *node = parent.isValid() ? NodeOf(parent) : FRoot.get();
    return node ? node->Count() : 0;
}

int TnvTreeNodeModel::columnCount(const QModelIndex &) const { return 1; }

QVariant TnvTreeNodeModel::data(const QModelIndex &index, int role) const
{
    const TnvTreeNode *node = NodeOf(index);
    if (!node)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return node->Text;
    case Qt::DecorationRole:
        if (node->ImageIndex >= 0 && node->ImageIndex < FImages.size())
            return FImages.at(node->ImageIndex);
        return QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags TnvTreeNodeModel::flags(const QModelIndex &index) const
{
    const TnvTreeNode *node = NodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (node->Count() == 0)
        result |= Qt::ItemNeverHasChildren;
    if (DragData)
        result |= Qt::ItemIsDragEnabled;
    return result;
}

QStringList TnvTreeNodeModel::mimeTypes() const { return DragTypes; }

QMimeData *TnvTreeNodeModel::mimeData(const QModelIndexList &indexes) const
{
    // One node is dragged at a time.
    if (!DragData)
        return nullptr;
    for (const QModelIndex &index : indexes)
        if (const TnvTreeNode *node = NodeOf(index))
            return DragData(node);
    return nullptr;
}

} // namespace nvqb
