#pragma once
// The metadata tree of the control's right-hand panel: the tables, views,
// procedures and synonyms of the query builder's metadata container, grouped
// by database, schema and kind and sorted as the metadata tree options say.
// A double click on an object, or dragging it onto a diagram, adds it to the
// current union part. The tree follows the container and the options: each
// change reloads it (a change of the container only when objects came or
// went), at once when it is shown, else when it is next shown.
#include "builder/controls/TreeView.h"

#include <QPoint>

class QMimeData;

namespace nvqb {

class TnvMetadataObject;
class TnvDatasource;
class TObject;

class TnvTreeViewMetadata : public TnvTreeView {
    Q_OBJECT
public:
    TnvTreeViewMetadata(TnvQueryBuilder *queryBuilder, QWidget *parent = nullptr);
    ~TnvTreeViewMetadata() override;

    // Rebuilds the nodes; unless forced only when the container reports
    // objects that came or went.
    void ReloadNodes(bool force);
    void MetadataContainerUpdated(TObject *sender);
    void MetadataTreeOptionsUpdated(TObject *sender);
    void LanguageChanged(TObject *sender);

    // Adds the object to the current union part of the current sub-query:
    // a procedure through its parameters dialog, with its name and "_" as
    // alias, any other object as a box at the point with the links of its
    // foreign keys. The new data source; nil when nothing was added.
    TnvDatasource *AddMetadataObject(TnvMetadataObject *object);
    TnvDatasource *AddMetadataObjectAt(TnvMetadataObject *object, const QPoint &point);
    TnvDatasource *AddMetadataObjectFromNode(TnvTreeNode *node);
    TnvDatasource *AddMetadataObjectFromNodeAt(TnvTreeNode *node, const QPoint &point);

    // The drag's data of a node: the object's payload for the diagram (an
    // empty one for a folder), naming Source as the drag's source.
    static QMimeData *CreateDragData(QObject *source, const TnvMetadataObject *object);

protected:
    void showEvent(QShowEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void ApplyExpansion() override;

private:
    void PlaceObject(TnvMetadataObject *object, QHash<QPair<TnvTreeNode *, QString>, TnvTreeNode *> &groups);
    // Whether a reload can be seen now; else it waits for the next show.
    bool CanReloadNow();

    bool FReloadPending = true;
};

} // namespace nvqb
