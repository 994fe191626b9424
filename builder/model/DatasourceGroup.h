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

class TSQLExpressionAnd;
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
    // A link of the expression (taken over) that loading makes: its owner
    // worked out, its line made when the lines exist.
    void AddLoadedLink(TOwned<TSQLExpressionItem> expression, TnvQueryBuilderLinkPlace place);
    // Copies of the WHERE links' expressions (nested groups first) added to
    // the AND collection, which is made on first need.
    void GetWhereJoinConditions(TOwned<TSQLExpressionItem> &andNode);
    // The WHERE condition (taken over) with the WHERE links in front.
    TOwned<TSQLExpressionItem> AddWhereJoinConditions(TOwned<TSQLExpressionItem> condition);
    // Whether the group or a group in it has a WHERE link.
    bool HasWhereLinks() const { return !WhereLinks().isEmpty(); }
    // A dialect without joins in FROM (top-level group): the FROM clause
    // becomes a list and its join conditions go to WHERE; WHERE is then read
    // as loading reads it there: WHERE links for the terms that join two
    // sources, criteria for the rest. Outer joins have no such form: a FROM
    // clause that holds one stays as it is.
    void MoveJoinsToWhere();
    // Of the criteria (top-level group, a dialect without joins in FROM) the
    // terms that join two sources become WHERE links, as loading the printed
    // text makes them: an edit that left such a term outside an OR (a
    // removed data source took the other criteria columns) prints it where a
    // load puts it.
    void ReadWhereJoinsFromCriteria();
    // A dialect with joins in FROM (top-level group): WHERE links and ON
    // conditions never taken apart become links in FROM, and the join tree
    // is rebuilt. WHERE links marked as outer joins stay where they are.
    void MoveJoinsToFrom();

    // --- The join tree ------------------------------------------------------
    // Asks for a rebuild at the end of the current update bracket.
    void NotifyReorderNeeded();
    // The item (of this group) goes: the conditions of its inner join that
    // do not refer to it go on to the join after it, or to WHERE.
    void ReleaseConditions(TnvDatasourceBase *item);
    bool IsReorderNeeded() const { return FReorderNeeded; }
    void ReorderDatasourcesInternal();

protected:
    void Destroy() override;
    void DoSQLUpdated() override;

private:
    // The WHERE links of the group and of the groups in it.
    void CollectWhereLinks(QList<TnvLink *> &links) const;
    // Those links, nested groups first, as WHERE prints them.
    QList<TnvLink *> WhereLinks() const;
    void ReorderWhereJoins();
    // WHERE read as loading the printed text reads it: the conditions (taken
    // over) and the criteria, the terms that join two sources as WHERE links
    // and the rest as criteria.
    void ReadWhereAsLoaded(TOwned<TSQLExpressionAnd> conditions);
    // Round: how many times the rebuild has run again for what it changed.
    void ReorderANSIJoins(int round = 0);
    // The top-level group, after its rebuild: the nested groups lay
    // themselves out again where they now stand (an edit or the rebuild may
    // have moved them), until nothing moves.
    void SettleNestedGroups();
    // What a rebuild that cannot lay out every set does instead, and all a
    // rebuild does when the data sources must not be reordered: the items
    // keep their order, the conditions stay with their owners, and only
    // what would not print as a join is mended.
    // True when conditions went on from the first item.
    bool KeepItemsAsTheyStand();
    // The first item has no join to carry an ON condition: the join after
    // it takes what it owns, or WHERE does.
    // True when it owned any.
    bool SeatFirstItemConditions();
    // Conditions whose item can no longer carry them (it goes, or stands
    // first) go to the join after it, or to WHERE.
    void HandOnConditions(TnvDatasourceBase *item, const QList<TnvLink *> &links);
    // The item, which goes, stands first or after a comma: an outer join
    // after it, or an item whose reference holds a right or full join,
    // takes its place without a join; what is left of an inner join's
    // conditions goes on as the first item's does, an outer join's goes.
    void LeaveStartToNext(TnvDatasourceBase *item);
    // The item stands without a join now, and the conditions it owned go
    // with that join.
    void EndJoin(TnvDatasourceBase *item, const QList<TnvLink *> &owned);
    // Nested groups left empty go; one left with a single item gives way to
    // it.
    void TidyNestedGroups();
    // List items that a later ON condition reaches past, and those in
    // brackets, are cross joined instead; a right or full join after such
    // a comma keeps its side in brackets. True when it made brackets.
    bool KeepConditionsInReach();
    // An inner-joined item whose ON conditions name only items before a
    // comma comes right after them, so that the comma need not become a
    // cross join. True when any item moved.
    bool BringJoinsBeforeTheirComma();
    // The first right or full join after the item at the index in its
    // table reference (up to the next comma), which takes all before it
    // there as its side; -1 for none.
    qsizetype SideTakerAfter(qsizetype index) const;
    // The lowest index of the items the link touches.
    qsizetype LowestReach(const TnvLink *link) const;
    // Whether an ON condition after the index reaches before it.
    bool IsReachedPast(qsizetype index) const;
    // An item's conditions that are no simple links become one link, as
    // loading its printed ON makes them. True when any did.
    bool MergeItemConditions();
    // The terms of an item's condition that load back as simple links become
    // links of their own. True when any did.
    bool SplitItemConditions();
    // Whether the item owns an ON condition.
    bool OwnsConditions(const TnvDatasourceBase *item) const;
    // The item at the index is an outer join with its ON condition: the
    // items before it are one of its sides, the item the other.
    bool IsOuterJoin(qsizetype index) const;
    bool HoldsOuterJoin() const;
    // A nested group whose items must stay in it: it is an outer join, holds
    // one, or is all of the side before one.
    bool KeepsItsItems() const;
    // A nested group that no link in FROM touches and that can give way to
    // its items without changing a side of an outer join.
    bool IsLoneGroup(const TnvDatasourceBase *item) const;
    bool HasLoneGroup(const QSet<const TnvDatasourceBase *> &except) const;
    void DissolveLoneGroups();
    // The nested group's items take its place, its links come here, and its
    // join and the conditions it owns go to its first item (returned); the
    // group goes.
    TnvDatasourceBase *DissolveNestedGroup(TnvDatasourceGroup *nested);
    // Every nested group lays itself out again, the innermost first; false
    // when there are none.
    bool RebuildNestedGroups();
    // Puts Count items from First into a new nested group in their place;
    // the links that touch nothing else go with them.
    TnvDatasourceGroup *NestItems(qsizetype first, qsizetype count, QSet<const TnvDatasourceBase *> &nestedHere);
    // Nests the items two at a time, left-deep; the items before the last
    // outer join become one operand first.
    void NestBinary(QSet<const TnvDatasourceBase *> &nestedHere);

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
