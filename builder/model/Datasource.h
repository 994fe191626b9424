#pragma once
// Data sources: the elements of a FROM clause as the diagram shows them.
// TnvDatasourceBase is what data sources and FROM groups share: the FROM
// source node the element owns (whose back reference, UserReference, points
// at the element), its join kind, the ON condition taken from the loaded
// tree until it becomes links, and its place in a group. TnvDatasource is one
// box on the diagram (a table, view, function call or other source), with
// its caption, field check marks and the bounds of its box;
// TnvDataSourceObject names a database object and TnvDataSourceQuery is a
// derived table whose SELECT is edited on a sub-query page of its own.
//
// Every element of a union part is a child of the part's root group in the
// model tree and reports its changes to the group whose item list holds it.
#include "builder/model/NodeRef.h"
#include "builder/model/QueryBuilderControlOwner.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <vector>

class QDomDocument;
class QDomElement;

namespace nvqb {

class TnvDatasourceGroup;
class TnvDatasource;
class TnvUnionSubQuery;
class TnvSubQuery;
class TnvLink;
class TSQLFromSource;
class TSQLExpressionItem;
class TSQLJoinKind;
class TSQLQualifiedName;
class TSQLDatabaseObject;
class TnvMetadataFieldsList;
class InvDatasourceControl;
class TnvSelectItem;

// The rows of a select list sorted by the FROM node they show (a field of
// it, or all its fields), each list in row order.
using TnvSelectRowsByNode = QHash<const TSQLFromSource *, QList<const TnvSelectItem *>>;

enum TnvDatasourceType { dtTable, dtView, dtStoredProc, dtFunction, dtSubQuery, dtOther };

// The data source that owns the FROM source (found through the source's back
// reference); nil for any other node. Only the FROM sources that data sources
// own carry the reference, so columns bound by the model map to their boxes.
TnvDatasource *DatasourceOfFromSource(const TastNodeBase *source);

class TnvDatasourceBase : public TnvQueryBuilderControlOwner {
    NV_DECLARE_CLASS(TnvDatasourceBase)
public:
    // Owner and parent are either the same union part (a top-level FROM
    // group) or the root group and the group whose item list takes the
    // element (it joins that list once complete).
    TnvDatasourceBase(TnvQueryBuilderControlOwner *owner, TnvQueryBuilderControlOwner *parent,
                      TnvQueryBuilderModel *queryBuilder);
    ~TnvDatasourceBase() override;

    void AfterConstruction() override;

    // The group whose item list holds this element; nil for a top-level group.
    TnvDatasourceGroup *Group() const { return FGroup.get(); }
    TnvUnionSubQuery *UnionSubQuery() const { return FUnionSubQuery.get(); }
    // The element's FROM source (a TSQLFromItem for a group); nil before loading.
    TSQLFromSource *DatasourceAST() const { return FDatasourceAST.get(); }
    // The ON condition taken from the loaded tree until LoadJoins turns it
    // into links.
    TSQLExpressionItem *JoinCondition() const { return FJoinCondition.get(); }

    TSQLJoinKind *GetJoinKind() const;
    // Nil without a join kind.
    TastNodeClass GetJoinKindClass() const;
    // Replaces the join kind (nil: none) and gives the links this element
    // owns the side types of the new kind.
    void SetJoinKind(TOwned<TSQLJoinKind> kind);
    // A kind of the class in place of the current one, which it copies; a
    // new outer kind writes OUTER as the union part's other outer joins do.
    void SetJoinKindClass(TastNodeClass kindClass);
    // Leaves the old group's item list and joins the new one's at its end;
    // the new group (or none) becomes the update parent.
    void SetGroup(TnvDatasourceGroup *group);

    // Layout elements (see TnvDatasource); nothing here.
    virtual void SaveLayout(QDomDocument &document, QDomElement &element);
    virtual void LoadLayout(const QDomElement &element);
    // The element's printed SQL.
    virtual QString GetDataSourceName();
    // Takes the node over: its join condition is put aside, and the answer
    // is whether the node carries a join kind.
    virtual bool LoadFromAST(TOwned<TSQLFromSource> node);
    // Turns the put-aside ON condition into links of this element's group.
    virtual void LoadJoins();
    // Takes the check marks from the union part's select list.
    virtual void UpdateChecks();
    // The same with the select list's rows already sorted, so that many
    // data sources share one pass over the list.
    virtual void UpdateChecksFrom(const TnvSelectRowsByNode &rows);
    virtual void GetDatasources(QList<TnvDatasource *> &list);
    // Every element of the class at or below this one, in FROM order.
    virtual void GetDatasourceByClass(TClass elementClass, QList<TnvDatasourceBase *> &list);
    // Whether Item is this element (or, for a group, one of its items; with
    // Recursive also an item of a nested group).
    virtual bool ContainsDatasource(const TnvDatasourceBase *item, bool recursive) const;

    // The lines of the group's links that end at this element.
    void InvalidateLinks();
    // The lines of every link of the union part that ends at this element.
    void RealignLinks();

    void GetASTChildren(TastNodeRefList &list) override;
    // A copy of the node whose ON condition is rebuilt from the links this
    // element owns.
    TOwned<TastNodeBase> CreateResultAST() override;

protected:
    void Destroy() override;
    // Whether another outer join of the union part writes the word OUTER.
    bool OuterWordOfOtherJoins() const;
    // Replaces the node (the previous one is freed) and takes its ON
    // condition aside; the answer of LoadFromAST.
    bool TakeNode(TOwned<TSQLFromSource> node);
    // A group gives its new empty node.
    void SetDatasourceAST(TOwned<TSQLFromSource> node);

private:
    TnvNodeRef<TnvDatasourceGroup> FGroup;
    TnvNodeRef<TnvUnionSubQuery> FUnionSubQuery;
    // The group the constructor was given; joined once the element is complete.
    TnvDatasourceGroup *FInitialGroup = nullptr;
    TOwned<TSQLExpressionItem> FJoinCondition;
    TOwned<TSQLFromSource> FDatasourceAST;
};

class TnvDatasource : public TnvDatasourceBase {
    NV_DECLARE_CLASS(TnvDatasource)
public:
    TnvDatasource(TnvDatasourceGroup *rootGroup, TnvDatasourceGroup *parentGroup, TnvQueryBuilderModel *queryBuilder);
    ~TnvDatasource() override;

    TnvDatasourceType DatasourceType() const { return FDatasourceType; }
    const QString &Caption() const { return FCaption; }

    // The alias of the node; empty without one.
    QString GetAlias() const;
    // Changes, adds or (empty text) removes the alias; the whole union part
    // prints again since its column prefixes change with it.
    virtual void SetAlias(const QString &alias);

    // The box's bounds while the box exists, else the ones kept here.
    QRect GetBounds();
    int GetLeft();
    void SetLeft(int value);
    int GetTop();
    void SetTop(int value);
    int GetWidth();
    void SetWidth(int value);
    int GetHeight();
    void SetHeight(int value);

    // The bounds kept in the model, whether or not the box exists: a new box
    // takes its place from them (all 0: a box never placed), and a box about
    // to go leaves its bounds here.
    QRect StoredBounds() const { return QRect(FLeft, FTop, FWidth, FHeight); }
    void SetStoredBounds(const QRect &bounds);

    // The columns of the node; nil without a node.
    TnvMetadataFieldsList *GetFields() const;
    // The row of the field in the box; empty without a box.
    QRect CalcFieldRect(const TSQLQualifiedName *field);

    // The checked fields: a nil entry stands for the "*" row.
    qsizetype CheckedFieldsCount() const { return qsizetype(FCheckedFields.size()); }
    const TSQLQualifiedName *CheckedField(qsizetype index) const { return FCheckedFields[size_t(index)].get(); }

    // Prefix for the checked entries followed by GetDataSourceName, to the box.
    void UpdateCaption();
    // Reads the check marks from the select list's output columns.
    void UpdateChecks() override;
    void UpdateChecksFrom(const TnvSelectRowsByNode &rows) override;
    void UpdateDatasourceType();
    // Binds the node to the metadata and refreshes the box's field list.
    void RefreshMetadata();

    QString GetDataSourceName() override;
    bool LoadFromAST(TOwned<TSQLFromSource> node) override;
    void GetDatasources(QList<TnvDatasource *> &list) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void SaveLayout(QDomDocument &document, QDomElement &element) override;
    void LoadLayout(const QDomElement &element) override;

    // "Remove", "Edit..." (default), "Autofit Object Height".
    TnvMenuItemData *GetPopupMenu() override;
    // Menu handler: the box fits its height to its fields.
    void TuneHeightEvent(TObject *sender);

    TnvModelControl *GetDSControl() { return GetControls(0); }
    InvDatasourceControl *GetIDSControl();

protected:
    void Destroy() override;
    TnvModelControl *CreateControlInternal(int index) override;
    int GetControlsCount() override { return 1; }
    void DoAfterUpdated() override;
    // The three items of every box's menu, under the query builder's menu.
    void AddPopupMenuItems();

private:
    // The check marks from the select list's rows that show this node.
    void ApplyChecks(const QList<const TnvSelectItem *> &rows);
    void StoreBounds();
    void SetBound(void (QRect::*change)(int), int &stored, int value);

    TnvDatasourceType FDatasourceType = dtOther;
    QString FCaption;
    // Copies of the checked names, so a field list refilled by binding
    // leaves none of them dangling; nil for the "*" row.
    std::vector<TOwned<TSQLQualifiedName>> FCheckedFields;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
};

class TnvDataSourceObject : public TnvDatasource {
    NV_DECLARE_CLASS(TnvDataSourceObject)
public:
    using TnvDatasource::TnvDatasource;

    // The object's name in the node; nil without one.
    TSQLDatabaseObject *GetDatabaseObject() const;
    // "c (dbo.Customers)" with an alias, "Customers (dbo)" without one.
    QString GetDataSourceName() override;
};

class TnvDataSourceQuery : public TnvDatasource {
    NV_DECLARE_CLASS(TnvDataSourceQuery)
public:
    TnvDataSourceQuery(TnvDatasourceGroup *rootGroup, TnvDatasourceGroup *parentGroup,
                       TnvQueryBuilderModel *queryBuilder);

    // The sub-query that edits the derived table's SELECT; nil once freed.
    TnvSubQuery *SubQuery() const { return FSubQuery.get(); }
    bool IsLoading() const { return FLoading; }

    bool LoadFromAST(TOwned<TSQLFromSource> node) override;
    // Also the sub-query's caption.
    void SetAlias(const QString &alias) override;
    // "Switch to derived table", then the items of every box.
    TnvMenuItemData *GetPopupMenu() override;
    // Menu handler: the derived table's sub-query becomes the current one.
    void SwitchToDerivedTableEvent(TObject *sender);

protected:
    // The field list follows the derived table's SELECT.
    void DoAfterUpdated() override;

private:
    bool FLoading = false;
    TnvTrackedRef<TnvSubQuery> FSubQuery;
};

} // namespace nvqb
