#include "builder/controls/TreeViewQueryStructure.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/WorkArea.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/ModelControl.h"
#include "builder/model/Query.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QContextMenuEvent>
#include <QHash>
#include <QMouseEvent>

namespace nvqb {

namespace {

// A node's place as the texts from the top level down to it.
QString PathOf(const TnvTreeNode *node)
{
    QString path;
    for (; node && node->Parent(); node = node->Parent())
        path.prepend(node->Text + QChar(u'\x1f'));
    return path;
}

void RememberExpansion(const TnvTreeNode *parent, const std::function<bool(const TnvTreeNode *)> &isExpanded,
                       QHash<QString, bool> &states)
{
    for (int i = 0; i < parent->Count(); ++i) {
        const TnvTreeNode *child = parent->Items(i);
        if (child->Count() == 0)
            continue;
        states.insert(PathOf(child), isExpanded(child));
        RememberExpansion(child, isExpanded, states);
    }
}

void RestoreExpansion(TnvTreeNode *parent, const QHash<QString, bool> &states)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TnvTreeNode *child = parent->Items(i);
        if (child->Count() == 0)
            continue;
        const auto state = states.constFind(PathOf(child));
        if (state != states.constEnd())
            child->Expanded = *state;
        RestoreExpansion(child, states);
    }
}

// Scrolls the diagram that holds the box so that the whole box (as much of
// it as fits, its top left first) is on screen.
void ScrollIntoView(QWidget *box)
{
    TnvQueryBuilderWorkArea *area = nullptr;
    for (QWidget *parent = box->parentWidget(); parent && !area; parent = parent->parentWidget())
        area = qobject_cast<TnvQueryBuilderWorkArea *>(parent);
    if (!area)
        return;
    const QRect bounds(box->mapTo(area->viewport(), QPoint(0, 0)), box->size());
    const QSize client = area->viewport()->size();
    const int margin = 10;
    // The far side into view, then the near side, which wins for a box
    // larger than the view.
    auto delta = [margin](int low, int high, int extent) {
        int by = high > extent ? high - extent + margin : 0;
        if (low - by < 0)
            by = low - margin;
        return by;
    };
    const int dx = delta(bounds.left(), bounds.right() + 1, client.width());
    const int dy = delta(bounds.top(), bounds.bottom() + 1, client.height());
    if (dx != 0 || dy != 0)
        area->SetScrollPosition(area->ScrollPosition() + QPoint(dx, dy));
}

} // namespace

TnvTreeViewQueryStructure::TnvTreeViewQueryStructure(TnvQueryBuilder *queryBuilder, QWidget *parent)
    : TnvTreeView(queryBuilder, parent)
{
}

TnvTreeViewQueryStructure::~TnvTreeViewQueryStructure() { MarkDestroying(); }

TnvTreeNode *TnvTreeViewQueryStructure::AddNode(TnvTreeNode *parent, const QString &text, int image,
                                                TnvQueryBuilderControlOwner *object)
{
    TnvTreeNode *node = Nodes()->AddChild(parent, text, image);
    if (object)
        node->SetData(object, object);
    return node;
}

void TnvTreeViewQueryStructure::UpdateQueryStructure()
{
    if (IsDestroying() || !QueryBuilder()->TreeOptions()->TreeVisible() || !isVisible())
        return;
    TnvQuery *query = QueryBuilder()->Query();
    QHash<QString, bool> states;
    RememberExpansion(Nodes()->Root(), [this](const TnvTreeNode *node) { return IsNodeExpanded(node); }, states);
    // The selected object keeps its node's selection when it is still shown.
    TnvTrackedRef<TnvQueryBuilderControlOwner> selected;
    if (TnvTreeNode *node = Selected())
        selected.reset(node->DataAs<TnvQueryBuilderControlOwner>());
    BeginUpdate();
    {
        TnvScopeExit close([this] { EndUpdate(); });
        Nodes()->SetImageList(QueryBuilder()->TreeOptions()->ImageList());
        Nodes()->Clear();
        if (query) {
            AddSubQuery(nullptr, query);
            // The root query always shows what it holds.
            Nodes()->Root()->Items(0)->Expanded = true;
        }
        RestoreExpansion(Nodes()->Root(), states);
    }
    if (TnvTreeNode *node = Nodes()->FindByData(selected.get()))
        SelectNode(node);
}

void TnvTreeViewQueryStructure::AddSubQuery(TnvTreeNode *parent, TnvSubQuery *subQuery)
{
    const TnvTreeOptions *options = QueryBuilder()->TreeOptions();
    TnvTreeNode *node = AddNode(parent, subQuery->GetCaption(), options->QueriesImageIndex(), subQuery);
    node->Expanded = options->ExpandQueryNodes();
    if (subQuery->GetCount() == 1 && subQuery->GetItems(0)->Is<TnvUnionSubQuery>())
        AddUnionContent(node, static_cast<TnvUnionSubQuery *>(subQuery->GetItems(0)));
    else
        AddUnionList(node, subQuery);
    for (qsizetype i = 0; i < subQuery->GetSubQueriesCount(); ++i)
        AddSubQuery(node, subQuery->GetSubQuery(i));
}

void TnvTreeViewQueryStructure::AddUnionList(TnvTreeNode *parent, TnvUnionGroup *group)
{
    const TnvTreeOptions *options = QueryBuilder()->TreeOptions();
    TnvTreeNode *list = AddNode(parent, options->UnionsNodeText(), options->QueriesImageIndex(), nullptr);
    list->Expanded = options->ExpandUnionsNodes();
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvQueryBase *member = group->GetItems(i);
        if (auto *part = As<TnvUnionSubQuery>(member)) {
            TnvTreeNode *node = AddNode(list, part->GetResultSQL(), options->QueriesImageIndex(), part);
            node->Expanded = options->ExpandQueryNodes();
            AddUnionContent(node, part);
        } else if (auto *nested = As<TnvUnionGroup>(member)) {
            AddUnionList(list, nested);
        }
    }
}

void TnvTreeViewQueryStructure::AddUnionContent(TnvTreeNode *parent, TnvUnionSubQuery *part)
{
    const TnvTreeOptions *options = QueryBuilder()->TreeOptions();
    if (options->ShowFields()) {
        TnvTreeNode *fields = AddNode(parent, options->FieldsNodeText(), options->FieldsImageIndex(), nullptr);
        fields->Expanded = options->ExpandFieldsNodes();
        if (TnvSelectList *list = part->SelectList())
            for (qsizetype i = 0; i < list->Count(); ++i) {
                TnvSelectItem *row = list->Items(i);
                // The grid's empty last row is no expression of the query.
                const QString expression = row->GetExpression();
                if (!expression.isEmpty())
                    AddNode(fields, expression, options->FieldImageIndex(), row);
            }
    }
    if (options->ShowFrom()) {
        TnvTreeNode *from = AddNode(parent, options->FromNodeText(), options->FromImageIndex(), nullptr);
        from->Expanded = options->ExpandFromNodes();
        if (TnvDatasourceGroup *group = part->FromGroup())
            AddFromObjects(from, group);
    }
}

void TnvTreeViewQueryStructure::AddFromObjects(TnvTreeNode *parent, TnvDatasourceGroup *group)
{
    const TnvTreeOptions *options = QueryBuilder()->TreeOptions();
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvDatasourceBase *item = group->GetItems(i);
        if (auto *nested = As<TnvDatasourceGroup>(item))
            AddFromObjects(parent, nested);
        else
            AddNode(parent, item->GetResultSQL(), options->FromObjImageIndex(), item);
    }
}

void TnvTreeViewQueryStructure::UpdateTreePosition(TnvQueryBuilderControlOwner *object)
{
    // Selecting a node makes its sub-query current, which asks the tree to
    // select that sub-query's node: the node the user chose stays selected.
    if (IsDestroying() || FChanging || !object)
        return;
    // SelectNode tells Change nothing, as a rebuild would not.
    if (TnvTreeNode *node = Nodes()->FindByData(object))
        SelectNode(node);
}

void TnvTreeViewQueryStructure::ActivateUnionPart(TnvUnionSubQuery *part)
{
    if (!part)
        return;
    TnvSubQuery *root = part->GetRootQuery();
    if (!root)
        return;
    QueryBuilder()->SetCurrentSubquery(root);
    root->SetCurrentUnionSubquery(part);
}

void TnvTreeViewQueryStructure::Change(TnvTreeNode *node)
{
    FChanging = true;
    TnvScopeExit done([this] { FChanging = false; });
    TObject *object = node->Data();
    if (auto *subQuery = As<TnvSubQuery>(object)) {
        QueryBuilder()->SetCurrentSubquery(subQuery);
    } else if (auto *part = As<TnvUnionSubQuery>(object)) {
        ActivateUnionPart(part);
    } else if (auto *row = As<TnvSelectItem>(object)) {
        TnvSelectList *list = row->SelectList();
        if (!list)
            return;
        ActivateUnionPart(list->UnionSubQuery());
        if (auto *grid = list->GetControlInterface<InvSelectListControl>(0))
            grid->SetCurrentRow(int(list->IndexOf(row)));
    } else if (auto *datasource = As<TnvDatasource>(object)) {
        ActivateUnionPart(datasource->UnionSubQuery());
        if (TnvModelControl *box = datasource->GetControls(0)) {
            box->BringToFront();
            if (auto *widget = dynamic_cast<QWidget *>(box))
                ScrollIntoView(widget);
        }
    }
}

void TnvTreeViewQueryStructure::showEvent(QShowEvent *event)
{
    TnvTreeView::showEvent(event);
    nvQBCatchAll([this] { UpdateQueryStructure(); });
}

void TnvTreeViewQueryStructure::mouseDoubleClickEvent(QMouseEvent *event)
{
    TnvTreeView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (TnvTreeNode *node = Selected())
        if (auto *object = node->DataAs<TnvQueryBuilderControlOwner>())
            nvQBCatchAll([object] { object->EditProps(poMainFormCenter); });
}

void TnvTreeViewQueryStructure::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    TnvTreeNode *node = Nodes()->NodeOf(index);
    if (!node)
        return;
    setCurrentIndex(index);
    // Selecting the node may have rebuilt the tree: ask for it again.
    node = Nodes()->NodeOf(currentIndex());
    auto *object = node ? node->DataAs<TnvQueryBuilderControlOwner>() : nullptr;
    if (!object)
        return;
    TnvQueryBuilder *queryBuilder = QueryBuilder();
    const QPoint at = event->globalPos();
    nvQBCatchAll([&] {
        if (object->GetPopupMenu())
            queryBuilder->PopupMenuPopup(at);
    });
}

} // namespace nvqb
