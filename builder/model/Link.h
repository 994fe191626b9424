#pragma once
// A link: one join condition of a union part as the diagram shows it, a line
// between two boxes. Its expression comes from an ON condition (place
// lpFrom), from the WHERE clause (lpWhere), or from the user drawing one
// field onto another. A condition over exactly two columns of two different
// data sources is "simple": the link knows its left and right data source
// and field, so its line runs from row to row and carries the cardinality
// marks that the metadata's foreign keys give. Any other condition is a link
// between whole boxes. The side types (inner or outer at each end) are what
// the FROM group derives join kinds from.
#include "builder/model/NodeRef.h"
#include "builder/model/QueryBuilderControlOwner.h"

#include <functional>

namespace nvqb {

class TnvDatasourceBase;
class TnvDatasource;
class TnvDatasourceGroup;
class TSQLExpressionItem;
class TSQLQualifiedName;
class InvLinkControl;

// ltOuter at an end: every row of that end's data source is kept.
enum TnvQueryBuilderLinkSideType { ltInner, ltOuter };
enum TnvQueryBuilderLinkCardinality { qblcUnknown, qblcOne, qblcMany };
enum TnvQueryBuilderLinkPlace { lpFrom, lpWhere };

// Takes a join condition apart as the model loads ON and WHERE conditions:
// enclosing brackets are looked through, the terms of an AND collection are
// tested one by one (a term that is itself an AND collection, also under
// brackets, is taken apart the same way and leaves when emptied), and each
// term that Accept takes goes to Take and leaves the condition. A condition
// that is no logical collection goes to Take whole when Accept takes it.
// Returns what is left; nil when nothing is.
TOwned<TSQLExpressionItem> SplitJoinCondition(TOwned<TSQLExpressionItem> condition,
                                              const std::function<bool(TSQLExpressionItem *)> &accept,
                                              const std::function<void(TOwned<TSQLExpressionItem>)> &take);

class TnvLink : public TnvQueryBuilderControlOwner {
    NV_DECLARE_CLASS(TnvLink)
public:
    // A link of the group; its model parent is the union part's root group.
    TnvLink(TnvDatasourceGroup *group, TnvQueryBuilderModel *queryBuilder);
    ~TnvLink() override;

    // Registers in the group.
    void AfterConstruction() override;

    TnvDatasourceGroup *Group() const { return FGroup.get(); }
    // The item whose join condition the link belongs to.
    TnvDatasourceBase *OwnerDatasource() const { return FOwnerDatasource.get(); }
    // The join-tree rebuild hands a link to the item it now belongs to; both
    // owners print their ON conditions anew.
    void SetOwnerDatasource(TnvDatasourceBase *owner);
    // Whether the link is the item's condition, and whether its expression
    // refers to the data source: also while that node is going.
    bool IsOwnedBy(const TnvDatasourceBase *item) const;
    bool RefersToDatasource(const TnvDatasourceBase *datasource) const;
    // Takes the terms that refer to the data source out of an AND; false
    // when the expression is no AND or nothing is left.
    bool DropTermsReferring(const TnvDatasourceBase *datasource);
    TSQLExpressionItem *GetLinkExpression() const { return FLinkExpression.get(); }
    // Puts the expression (taken over) in place of the link's own, binds it
    // to the union part's data sources and works the link out again from it.
    // Nil changes nothing.
    void SetLinkExpression(TOwned<TSQLExpressionItem> expression);

    // Loads the link: the expression (taken over) with its owner, place and
    // new flag; sub-selects in the expression become sub-queries.
    void SetLinkParamsInternal(TnvDatasourceBase *owner, TOwned<TSQLExpressionItem> expression,
                               TnvQueryBuilderLinkPlace place, bool isNew);
    // Works the link out from its expression and owner: the data sources it
    // refers to, the items it touches, whether it is simple and its ends,
    // side types and cardinalities.
    void RecalcLink();

    // The data sources the expression refers to.
    qsizetype ReferencedDatasourcesCount() const { return FReferencedDatasources.size(); }
    TnvDatasource *ReferencedDatasource(qsizetype index) const { return FReferencedDatasources.at(index); }
    // The items of the link's group that the expression touches (a nested
    // group for what lies inside it), the owner first.
    qsizetype SameLevelDatasourcesCount() const { return FSameLevelDatasources.size(); }
    TnvDatasourceBase *SameLevelDatasource(qsizetype index) const { return FSameLevelDatasources.at(index); }
    bool SameLevelContains(const TnvDatasourceBase *item) const { return FSameLevelDatasources.contains(item); }

    TnvDatasource *LeftDatasource() const { return FLeftDatasource.get(); }
    TnvDatasource *RightDatasource() const { return FRightDatasource.get(); }
    void SetLeftDatasource(TnvDatasource *datasource);
    void SetRightDatasource(TnvDatasource *datasource);
    TnvQueryBuilderLinkSideType LeftType() const { return FLeftType; }
    TnvQueryBuilderLinkSideType RightType() const { return FRightType; }
    void SetLeftType(TnvQueryBuilderLinkSideType value) { FLeftType = value; }
    void SetRightType(TnvQueryBuilderLinkSideType value) { FRightType = value; }
    const TSQLQualifiedName *LeftFieldName() const { return FLeftFieldName.get(); }
    const TSQLQualifiedName *RightFieldName() const { return FRightFieldName.get(); }
    TnvQueryBuilderLinkCardinality LeftCardinality() const { return FLeftCardinality; }
    TnvQueryBuilderLinkCardinality RightCardinality() const { return FRightCardinality; }
    TnvQueryBuilderLinkPlace Place() const { return FPlace; }
    bool IsSimple() const { return FSimple; }
    bool IsNew() const { return FNew; }
    void SetNew(bool value) { FNew = value; }

    // Leaves the old group's link list for the new one's; both rebuild their
    // join trees.
    void SetDatasourceGroup(TnvDatasourceGroup *group);
    // The join kind the link dialog chose: the owner's kind for a link in
    // FROM, outer-join marks on the columns for a simple link in WHERE.
    void SetJoinKindClass(TastNodeClass kindClass);
    // The outer-join mark of every column of the expression that belongs to
    // the data source (or to one in the list).
    void SetWhereLinkType(TnvQueryBuilderLinkSideType type, const TnvDatasourceBase *datasource);
    void SetWhereLinkTypeList(TnvQueryBuilderLinkSideType type, const QList<TnvDatasourceBase *> &datasources);

    void CalcCardinality();
    // Exchanges the ends of a simple link; the owner moves to the other end.
    void FlipLink();
    void RecalcSameLevelDatasources(TnvDatasourceBase *owner);
    // The ends of a link that is not simple: the owner's first data source
    // and the first data source of the item before it.
    void RecalcSideDatasources();
    // In the same-level list the item gives way to the group it went into.
    void MoveDatasourceIntoGroup(TnvDatasourceBase *item, TnvDatasourceGroup *group);
    void LoadDatasourcesList(TnvDatasourceBase *owner);
    void CalcDatasourcesReferencedByLink(QList<TnvDatasource *> &list) const;

    // The columns the expression refers to, each once (by its text).
    static void GetReferencedColumns(TSQLExpressionItem *expression, TastNodeRefList &list);
    static bool CanLoadExpressionAsSimpleLink(TnvDatasourceBase *owner, TSQLExpressionItem *expression);
    // A WHERE term is a link when it compares two columns of two data
    // sources of the group's union part, one on each side of the operator.
    static bool CanLoadExpressionAsSimpleWhereLink(TnvDatasourceGroup *group, TSQLExpressionItem *expression);

    TnvModelControl *GetLinkControl() { return GetControls(0); }
    InvLinkControl *GetILinkControl();

    void GetASTChildren(TastNodeRefList &list) override;

protected:
    void Destroy() override;
    TnvModelControl *CreateControlInternal(int index) override;
    int GetControlsCount() override { return 1; }
    bool NotifyDatasourceDestroyingInternal(TnvDatasourceBase *datasource) override;
    void Notification(TComponent *component, TOperation operation) override;

private:
    TnvQueryBuilderLinkSideType CalcSideTypeInternal(bool left) const;
    TnvQueryBuilderLinkSideType CalcLeftTypeInternal() const;
    TnvQueryBuilderLinkSideType CalcRightTypeInternal() const;
    void ClearSimple();

    TnvNodeRef<TnvDatasourceGroup> FGroup;
    TnvDatasourceGroup *FInitialGroup;
    TnvNodeRef<TnvDatasourceBase> FOwnerDatasource;
    TOwned<TSQLExpressionItem> FLinkExpression;
    TnvNodeRefList<TnvDatasource> FReferencedDatasources;
    TnvNodeRefList<TnvDatasourceBase> FSameLevelDatasources;
    TnvNodeRef<TnvDatasource> FLeftDatasource;
    TnvQueryBuilderLinkSideType FLeftType = ltInner;
    TOwned<TSQLQualifiedName> FLeftFieldName;
    TnvQueryBuilderLinkCardinality FLeftCardinality = qblcUnknown;
    TnvNodeRef<TnvDatasource> FRightDatasource;
    TnvQueryBuilderLinkSideType FRightType = ltInner;
    TOwned<TSQLQualifiedName> FRightFieldName;
    TnvQueryBuilderLinkCardinality FRightCardinality = qblcUnknown;
    TnvQueryBuilderLinkPlace FPlace = lpFrom;
    bool FSimple = false;
    bool FNew = false;
};

} // namespace nvqb
