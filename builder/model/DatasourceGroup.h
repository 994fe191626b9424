#pragma once
// FROM groups: the FROM clause of a union part, and every bracketed join
// group nested in it. A group holds its data sources and nested groups in
// FROM order and the links drawn between them, loads itself from a FROM
// item of the syntax tree and prints itself back as one. After every change
// of its links it rebuilds its join tree: which items form one joined chain,
// in which order, with which join kind each, and (when the dialect demands
// it) how a chain nests two at a time. A nested group is itself an item of
// its parent group, with its own join kind and ON condition.
//
// The top-level group is the root group of its union part: every item and
// link of the part, at any depth, is a child of the root group in the model
// tree, and reports its changes to the group that holds it.
#include "builder/model/Datasource.h"
#include "builder/model/Link.h"

#include <QSet>

namespace nvqb {

class TSQLFromClause;

class TnvDatasourceGroup : public TnvDatasourceBase {
    NV_DECLARE_CLASS(TnvDatasourceGroup)
public:
    // The top-level group of a union part: its own root, with an empty FROM
    // clause.
    TnvDatasourceGroup(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilderModel *queryBuilder);
    // A nested group of the parent group (it joins the parent's item list
    // once complete), with an empty FROM item.
    TnvDatasourceGroup(TnvDatasourceGroup *rootGroup, TnvDatasourceGroup *parentGroup,
                       TnvQueryBuilderModel *queryBuilder);
    ~TnvDatasourceGroup() override;

    TnvDatasourceGroup *RootGroup() const { return FRootGroup; }
    bool IsRootGroup() const { return FRootGroup == this; }

    // --- Items ---------------------------------------------------------------
    qsizetype GetCount() const { return FItems.size(); }
    TnvDatasourceBase *GetItems(qsizetype index) const { return FItems.at(index); }
    qsizetype IndexOf(const TnvDatasourceBase *item) const;
    // Appends the item (it joins this group) and marks the group changed.
    void Add(TnvDatasourceBase *item);
    // Take the item out of the group and free it.
    void Delete(qsizetype index);
    void Remove(TnvDatasourceBase *item);
    // The list operations without notification; Extract leaves the item alive.
    void InsertInternal(qsizetype index, TnvDatasourceBase *item);
    void ExtractInternal(TnvDatasourceBase *item);
    void AddInternal(TnvDatasourceBase *item);
    void DeleteInternal(qsizetype index);
    void RemoveInternal(TnvDatasourceBase *item);
    // Called by the items' SetGroup.
    void RegisterDatasourceBase(TnvDatasourceBase *item);
    void UnregisterDatasourceBase(TnvDatasourceBase *item);

    // --- Links -----------------------------------------------------------
    qsizetype GetLinksCount() const { return FLinks.size(); }
    TnvLink *GetLink(qsizetype index) const { return FLinks.at(index); }
    // Called by the links' SetDatasourceGroup.
    void RegisterLink(TnvLink *link);
    void UnregisterLink(TnvLink *link);

    // --- Questions ---------------------------------------------------------
    bool ContainsDatasource(const TnvDatasourceBase *item, bool recursive) const override;
    // Whether Item lies in (or under) an item that stands before OwnerItem.
    bool ContainsDatasourceBefore(const TnvDatasourceBase *item, const TnvDatasourceBase *ownerItem) const;
    // The element (this group, an item, an item of a nested group) whose
    // node is Node; nil when none.
    TnvDatasourceBase *FindDatasourceByAST(const TastNodeBase *node) const;
    // Every data-source object (at any depth) of the database object name.
    void FindTablesByDBName(const TSQLQualifiedName *name, QList<TnvDatasourceBase *> &list);
    // The first simple link with exactly these ends and fields, in this group
    // or a nested one; nil when none.
    TnvLink *FindLink(const TnvDatasource *leftDatasource, const TSQLQualifiedName *leftField,
                      const TnvDatasource *rightDatasource, const TSQLQualifiedName *rightField) const;
    void GetDatasources(QList<TnvDatasource *> &list) override;
    void GetDatasourceByClass(TClass elementClass, QList<TnvDatasourceBase *> &list) override;
    // The FROM sources of the data sources in FROM order: what expressions
    // of the union part see.
    void GetFromSources(TastNodeRefList &list) const;

    // --- Loading and printing -----------------------------------------------
    // Takes the FROM item (or clause) over: its sources become data sources
    // and nested groups; true when any of them carries a join kind.
    bool LoadFromAST(TOwned<TSQLFromSource> node) override;
    // The group's own ON condition first, then each item's.
    void LoadJoins() override;
    // One pass over the select list for every data source of the group.
    void UpdateChecks() override;
    void UpdateChecksFrom(const TnvSelectRowsByNode &rows) override;
    void SaveLayout(QDomDocument &document, QDomElement &element) override;
    void LoadLayout(const QDomElement &element) override;
    // The group's FROM item (a TSQLFromClause for the top-level group).
    TOwned<TastNodeBase> CreateResultAST() override;

    // --- Links from expressions --------------------------------------------
    // A new link of the expression (taken over). Without an owner item the
    // owner is the item, under the deepest group that holds every data
    // source the expression refers to, that stands last in that group.
    TnvLink *AddLinkAST(TnvDatasourceBase *ownerItem, TOwned<TSQLExpressionItem> expression,
                        TnvQueryBuilderLinkPlace place, bool isNew);
    // Takes the join conditions out of a WHERE condition as WHERE links and
    // returns what is left (nil when nothing); Found tells whether any was
    // taken.
    TOwned<TSQLExpressionItem> LoadWhereJoins(TOwned<TSQLExpressionItem> condition, bool &found);
    // Copies of the WHERE links' expressions (nested groups first) added to
    // the AND collection, which is made on first need.
    void GetWhereJoinConditions(TOwned<TSQLExpressionItem> &andNode);
    // The WHERE condition (taken over) with the WHERE links in front.
    TOwned<TSQLExpressionItem> AddWhereJoinConditions(TOwned<TSQLExpressionItem> condition);

    // --- The join tree ------------------------------------------------------
    // Asks for a rebuild at the end of the current update bracket.
    void NotifyReorderNeeded();
    bool IsReorderNeeded() const { return FReorderNeeded; }
    void ReorderDatasourcesInternal();

protected:
    void Destroy() override;
    void DoSQLUpdated() override;

private:
    void ReorderWhereJoins();
    // Round: how many times the rebuild has run again for what it changed.
    void ReorderANSIJoins(int round = 0);
    // What a rebuild that cannot lay out every set does instead: the items
    // keep their order, the conditions stay with their owners.
    void KeepItemsAsTheyStand();
    void DropEmptyGroups();
    // A nested group that no link in FROM touches.
    bool IsLoneGroup(const TnvDatasourceBase *item) const;
    bool HasLoneGroup(const QSet<const TnvDatasourceBase *> &except) const;
    void DissolveLoneGroups();

    TnvDatasourceGroup *FRootGroup;
    bool FReorderNeeded = false;
    // The items in FROM order. Each item belongs to the model tree (the root
    // group's children) and takes itself out of this list when it goes;
    // items still here when the group goes are freed with it.
    QList<TnvDatasourceBase *> FItems;
    // The links registered here, kept the same way.
    QList<TnvLink *> FLinks;
};

} // namespace nvqb
