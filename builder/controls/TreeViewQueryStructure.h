#pragma once
// The query-structure tree of the control's left-hand panel: the outline of
// the query, each sub-query with its union parts, their output expressions
// and their FROM objects. Each node carries the model object it stands for.
// Selecting a node brings that part of the query forward (its page, its
// union part, its grid row or its box); a double click opens the object's
// property dialog; the context menu is the object's own.
#include "builder/controls/TreeView.h"

namespace nvqb {

class TnvQueryBuilderControlOwner;
class TnvSubQuery;
class TnvUnionGroup;
class TnvUnionSubQuery;
class TnvDatasourceGroup;

class TnvTreeViewQueryStructure : public TnvTreeView {
    Q_OBJECT
public:
    TnvTreeViewQueryStructure(TnvQueryBuilder *queryBuilder, QWidget *parent = nullptr);
    ~TnvTreeViewQueryStructure() override;

    // Rebuilds the nodes from the query, keeping which nodes the user opened
    // or closed (by their texts along the path) and the selected object. A
    // hidden tree rebuilds when it is shown.
    void UpdateQueryStructure();
    // Selects the node of the model object without acting on it.
    void UpdateTreePosition(TnvQueryBuilderControlOwner *object);

protected:
    void Change(TnvTreeNode *node) override;
    void showEvent(QShowEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    TnvTreeNode *AddNode(TnvTreeNode *parent, const QString &text, int image, TnvQueryBuilderControlOwner *object);
    void AddSubQuery(TnvTreeNode *parent, TnvSubQuery *subQuery);
    void AddUnionList(TnvTreeNode *parent, TnvUnionGroup *group);
    void AddUnionContent(TnvTreeNode *parent, TnvUnionSubQuery *part);
    void AddFromObjects(TnvTreeNode *parent, TnvDatasourceGroup *group);
    // Makes the union part's sub-query and the part itself current.
    void ActivateUnionPart(TnvUnionSubQuery *part);

    bool FChanging = false;
};

} // namespace nvqb
