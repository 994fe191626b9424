#include "builder/model/Link.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubSelectStatementProxy.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/metadata/MetadataRelations.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLFromClause.h"

namespace nvqb {

namespace {
constexpr const char *Unit = "nvQBBase";

void SplitAnd(TSQLExpressionAnd *collection, const std::function<bool(TSQLExpressionItem *)> &accept,
              const std::function<void(TOwned<TSQLExpressionItem>)> &take)
{
    qsizetype i = 0;
    while (i < collection->GetCount()) {
        TSQLExpressionItem *term = collection->GetItems(i);
        if (auto *nested = As<TSQLExpressionAnd>(ExpressionRemoveBrackets(term))) {
            SplitAnd(nested, accept, take);
            if (nested->GetCount() == 0)
                collection->Delete(i);
            else
                ++i;
        } else if (term && accept(term)) {
            TOwned<TastNodeBase> taken = collection->Extract(i);
            take(TOwned<TSQLExpressionItem>(static_cast<TSQLExpressionItem *>(taken.release())));
        } else {
            ++i;
        }
    }
}

// The column's data source, through the FROM source it is bound to.
TnvDatasource *DatasourceOfColumn(const TastNodeBase *node)
{
    const auto *column = As<TSQLObjectColumn>(node);
    return column ? DatasourceOfFromSource(column->Datasource()) : nullptr;
}

// The first data source of an item: itself, or down a nested group through
// the first item of each; nil for an empty group.
TnvDatasource *FirstDatasourceOf(TnvDatasourceBase *item)
{
    while (auto *group = As<TnvDatasourceGroup>(item))
        item = group->GetCount() > 0 ? group->GetItems(0) : nullptr;
    return As<TnvDatasource>(item);
}

// A bracket on the node when it is there and staying.
struct TOptionalBracket {
    TnvQueryBuilderControlOwner *Node = nullptr;
    explicit TOptionalBracket(TnvQueryBuilderControlOwner *node)
    {
        if (node && !node->IsDestroying()) {
            Node = node;
            Node->BeginUpdate();
        }
    }
    ~TOptionalBracket() noexcept(false)
    {
        if (Node)
            Node->EndUpdate();
    }
    TOptionalBracket(const TOptionalBracket &) = delete;
    TOptionalBracket &operator=(const TOptionalBracket &) = delete;
};
} // namespace

TOwned<TSQLExpressionItem> SplitJoinCondition(TOwned<TSQLExpressionItem> condition,
                                              const std::function<bool(TSQLExpressionItem *)> &accept,
                                              const std::function<void(TOwned<TSQLExpressionItem>)> &take)
{
    if (!condition)
        return nullptr;
    TSQLExpressionItem *inner = ExpressionRemoveBrackets(condition.get());
    if (auto *collection = As<TSQLExpressionAnd>(inner)) {
        SplitAnd(collection, accept, take);
        if (collection->GetCount() == 0)
            return nullptr;
        return condition;
    }
    if (!As<TSQLExpressionLogicalCollection>(inner) && accept(condition.get())) {
        take(std::move(condition));
        return nullptr;
    }
    return condition;
}

NV_IMPLEMENT_CLASS(TnvLink, TnvQueryBuilderControlOwner)

TnvLink::TnvLink(TnvDatasourceGroup *group, TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBuilderControlOwner(group ? group->RootGroup() : nullptr, group, queryBuilder), FInitialGroup(group)
{
}

TnvLink::~TnvLink() = default;

void TnvLink::AfterConstruction()
{
    TnvQueryBuilderControlOwner::AfterConstruction();
    if (TnvDatasourceGroup *group = FInitialGroup) {
        FInitialGroup = nullptr;
        SetDatasourceGroup(group);
    }
}

void TnvLink::Destroy()
{
    SetDatasourceGroup(nullptr);
    FLinkExpression.reset();
    TnvQueryBuilderControlOwner::Destroy();
}

InvLinkControl *TnvLink::GetILinkControl() { return GetControlInterface<InvLinkControl>(0); }

TnvModelControl *TnvLink::CreateControlInternal(int index)
{
    return index == 0 ? CreateControlOfClass(ControlClass::LinkControl, index) : nullptr;
}

void TnvLink::GetASTChildren(TastNodeRefList &list)
{
    TnvQueryBuilderControlOwner::GetASTChildren(list);
    if (FLinkExpression)
        list.append(FLinkExpression.get());
}

// ---------------------------------------------------------------------------
// Group and ends

void TnvLink::SetDatasourceGroup(TnvDatasourceGroup *group)
{
    TnvDatasourceGroup *old = FGroup.get();
    if (old == group)
        return;
    TOptionalBracket oldBracket(old);
    TOptionalBracket newBracket(group);
    if (old) {
        old->UnregisterLink(this);
        if (!old->IsDestroying())
            old->NotifyReorderNeeded();
    }
    FGroup.reset(group);
    if (group) {
        group->RegisterLink(this);
        if (!group->IsDestroying())
            group->NotifyReorderNeeded();
    }
    SetUpdateParent(group);
}

void TnvLink::SetOwnerDatasource(TnvDatasourceBase *owner)
{
    TnvDatasourceBase *old = OwnerDatasource();
    if (old == owner)
        return;
    if (old)
        old->DestroyCachedResultASTs();
    FOwnerDatasource.reset(owner);
    if (owner)
        owner->DestroyCachedResultASTs();
    NotifySQLUpdated();
}

bool TnvLink::IsOwnedBy(const TnvDatasourceBase *item) const { return FOwnerDatasource.RefersTo(item); }

bool TnvLink::RefersToDatasource(const TnvDatasourceBase *datasource) const
{
    return FReferencedDatasources.RefersTo(datasource);
}

void TnvLink::SetLeftDatasource(TnvDatasource *datasource)
{
    if (TnvDatasource *old = FLeftDatasource.get(); old && old != FRightDatasource.get())
        RemoveFreeNotification(old);
    FLeftDatasource.reset(datasource);
    if (datasource)
        FreeNotification(datasource);
}

void TnvLink::SetRightDatasource(TnvDatasource *datasource)
{
    if (TnvDatasource *old = FRightDatasource.get(); old && old != FLeftDatasource.get())
        RemoveFreeNotification(old);
    FRightDatasource.reset(datasource);
    if (datasource)
        FreeNotification(datasource);
}

void TnvLink::ClearSimple()
{
    FSimple = false;
    SetLeftDatasource(nullptr);
    SetRightDatasource(nullptr);
    FLeftFieldName.reset();
    FRightFieldName.reset();
    FLeftCardinality = qblcUnknown;
    FRightCardinality = qblcUnknown;
}

void TnvLink::Notification(TComponent *component, TOperation operation)
{
    TnvQueryBuilderControlOwner::Notification(component, operation);
    if (operation != opRemove || IsDestroying())
        return;
    const auto *target = dynamic_cast<const TnvRefTarget *>(component);
    if (!FLeftDatasource.RefersTo(target) && !FRightDatasource.RefersTo(target))
        return;
    if (FLeftDatasource.RefersTo(target))
        FLeftDatasource.reset();
    if (FRightDatasource.RefersTo(target))
        FRightDatasource.reset();
    InvLinkControl *line = GetILinkControl();
    if (line)
        line->InvalidateLink();
    if (!FSimple)
        RecalcSideDatasources();
    if (line)
        line->AlignLink();
}

// ---------------------------------------------------------------------------
// Loading

void TnvLink::GetReferencedColumns(TSQLExpressionItem *expression, TastNodeRefList &list)
{
    list.clear();
    if (!expression)
        return;
    expression->GetReferencedColumnsRecursive(list);
    if (list.size() < 2)
        return;
    // Two references to one column are one column, whatever their spelling.
    QStringList texts;
    for (qsizetype i = 0; i < list.size();) {
        const auto *node = static_cast<const TastNode *>(list[i]);
        const QString text = node->SimpleSQL(icAll, opsSkipAll, nullptr, nullptr);
        if (texts.contains(text)) {
            list.removeAt(i);
        } else {
            texts.append(text);
            ++i;
        }
    }
}

bool TnvLink::CanLoadExpressionAsSimpleLink(TnvDatasourceBase *owner, TSQLExpressionItem *expression)
{
    if (!owner || !expression)
        return false;
    TastNodeRefList columns;
    GetReferencedColumns(expression, columns);
    if (columns.size() != 2)
        return false;
    TnvDatasource *first = DatasourceOfColumn(columns[0]);
    TnvDatasource *second = DatasourceOfColumn(columns[1]);
    TnvDatasourceGroup *group = owner->Group();
    if (!first || !second || first == second || !group)
        return false;
    return (group->ContainsDatasourceBefore(first, owner) && owner->ContainsDatasource(second, true)) ||
           (group->ContainsDatasourceBefore(second, owner) && owner->ContainsDatasource(first, true));
}

bool TnvLink::CanLoadExpressionAsSimpleWhereLink(TnvDatasourceGroup *group, TSQLExpressionItem *expression)
{
    auto *binary = As<TSQLExpressionOperatorBinary>(expression);
    if (!group || !binary)
        return false;
    TastNodeRefList columns;
    GetReferencedColumns(expression, columns);
    if (columns.size() != 2)
        return false;
    // A side without a column makes a test of one value, a criterion, as
    // the grid writes one ("r.v - s.id <> 1"): no join of the two sources.
    TastNodeRefList left, right;
    GetReferencedColumns(binary->Expression.get(), left);
    GetReferencedColumns(binary->Right.get(), right);
    if (left.isEmpty() || right.isEmpty())
        return false;
    const auto *firstColumn = static_cast<const TSQLObjectColumn *>(columns[0]);
    const auto *secondColumn = static_cast<const TSQLObjectColumn *>(columns[1]);
    TnvDatasource *first = DatasourceOfColumn(firstColumn);
    TnvDatasource *second = DatasourceOfColumn(secondColumn);
    if (!first || !second || firstColumn->Datasource() == secondColumn->Datasource())
        return false;
    // A column of an outer query's source is a condition of this query,
    // not a join of its own sources.
    TnvUnionSubQuery *unionSubQuery = group->UnionSubQuery();
    return first->UnionSubQuery() == unionSubQuery && second->UnionSubQuery() == unionSubQuery;
}

void TnvLink::CalcDatasourcesReferencedByLink(QList<TnvDatasource *> &list) const
{
    list.clear();
    if (!FLinkExpression)
        return;
    TastNodeRefList sources;
    FLinkExpression->GetReferencedDatasourcesRecursive(sources);
    for (TastNodeBase *source : std::as_const(sources)) {
        // Sources outside the model (those of a sub-select not yet made a
        // sub-query of its own) have no data source.
        TnvDatasource *datasource = DatasourceOfFromSource(source);
        if (datasource && !list.contains(datasource))
            list.append(datasource);
    }
}

void TnvLink::LoadDatasourcesList(TnvDatasourceBase *owner)
{
    QList<TnvDatasource *> referenced;
    CalcDatasourcesReferencedByLink(referenced);
    FReferencedDatasources.clear();
    for (TnvDatasource *datasource : std::as_const(referenced))
        FReferencedDatasources.append(datasource);
    RecalcSameLevelDatasources(owner);
}

void TnvLink::RecalcSameLevelDatasources(TnvDatasourceBase *owner)
{
    if (!FLinkExpression)
        return;
    TnvDatasourceGroup *group = Group();
    QList<TnvDatasourceBase *> candidates;
    for (qsizetype i = 0; i < FReferencedDatasources.size(); ++i)
        if (TnvDatasource *datasource = FReferencedDatasources.at(i))
            candidates.append(datasource);
    FSameLevelDatasources.clear();
    if (owner) {
        FSameLevelDatasources.append(owner);
        candidates.removeAll(owner);
    }
    if (group) {
        for (qsizetype i = candidates.size() - 1; i >= 0; --i) {
            TnvDatasourceBase *candidate = candidates[i];
            if (group->IndexOf(candidate) >= 0) {
                if (!FSameLevelDatasources.contains(candidate))
                    FSameLevelDatasources.append(candidate);
                candidates.removeAt(i);
            }
        }
        for (qsizetype k = 0; k < group->GetCount() && !candidates.isEmpty(); ++k) {
            auto *nested = As<TnvDatasourceGroup>(group->GetItems(k));
            if (!nested)
                continue;
            bool contains = false;
            for (qsizetype i = candidates.size() - 1; i >= 0; --i) {
                if (nested->ContainsDatasource(candidates[i], true)) {
                    contains = true;
                    candidates.removeAt(i);
                }
            }
            if (contains && !FSameLevelDatasources.contains(nested))
                FSameLevelDatasources.append(nested);
        }
    }
    if (FSimple)
        Assert(FSameLevelDatasources.size() == 2, Unit, "A simple link whose condition touches other than two items");
}

void TnvLink::SetLinkParamsInternal(TnvDatasourceBase *owner, TOwned<TSQLExpressionItem> expression,
                                    TnvQueryBuilderLinkPlace place, bool isNew)
{
    Assert(owner != nullptr, Unit, "TnvLink.SetLinkParamsInternal:bad param:ADatasourceOwner is nil");
    auto bracket = UpdateBracket(this);
    FNew = isNew;
    FPlace = place;
    FLinkExpression = std::move(expression);
    FOwnerDatasource.reset(owner);
    RecalcLink();
    LoadSubQueries(FLinkExpression.get());
}

void TnvLink::RecalcLink()
{
    TnvDatasourceBase *owner = OwnerDatasource();
    if (!owner)
        return;
    auto bracket = UpdateBracket(this);
    ClearSimple();
    LoadDatasourcesList(owner);
    if (FSameLevelDatasources.size() == 1 || FSameLevelDatasources.size() == 2) {
        TastNodeRefList columns;
        GetReferencedColumns(FLinkExpression.get(), columns);
        TnvDatasourceGroup *group = owner->Group();
        if (columns.size() == 2 && group) {
            auto *firstColumn = static_cast<TSQLObjectColumn *>(columns[0]);
            auto *secondColumn = static_cast<TSQLObjectColumn *>(columns[1]);
            TnvDatasource *first = DatasourceOfColumn(firstColumn);
            TnvDatasource *second = DatasourceOfColumn(secondColumn);
            bool oriented = false;
            if (first && second && first != second) {
                if (group->ContainsDatasourceBefore(second, owner) && owner->ContainsDatasource(first, true)) {
                    std::swap(first, second);
                    std::swap(firstColumn, secondColumn);
                    oriented = true;
                } else if (group->ContainsDatasourceBefore(first, owner) && owner->ContainsDatasource(second, true)) {
                    oriented = true;
                }
            }
            if (oriented) {
                FSimple = true;
                SetLeftDatasource(first);
                FLeftFieldName = Create<TSQLQualifiedName>(firstColumn->SyntaxProvider());
                FLeftFieldName->AddName(firstColumn);
                SetRightDatasource(second);
                FRightFieldName = Create<TSQLQualifiedName>(secondColumn->SyntaxProvider());
                FRightFieldName->AddName(secondColumn);
            }
        }
    }
    FLeftType = CalcLeftTypeInternal();
    FRightType = CalcRightTypeInternal();
    if (FSimple)
        CalcCardinality();
    else
        RecalcSideDatasources();
    NotifySQLUpdated();
}

void TnvLink::SetLinkExpression(TOwned<TSQLExpressionItem> expression)
{
    TnvDatasourceBase *owner = OwnerDatasource();
    if (!expression || !owner)
        return;
    // The new condition is bound as the union part's own conditions are, so
    // its columns reach the data sources' nodes.
    if (TnvQueryBuilderModel *queryBuilder = QueryBuilder()) {
        TastNodeRefList withItems, fromSources;
        GatherPrepareAndFixupContext(withItems, fromSources, true);
        expression->PrepareAndFixupRecursive(withItems, fromSources, queryBuilder->MetadataContainer());
    }
    {
        auto bracket = UpdateBracket(this);
        SetLinkParamsInternal(owner, std::move(expression), FPlace, FNew);
        if (TnvDatasourceGroup *group = Group())
            group->NotifyReorderNeeded();
    }
    if (InvLinkControl *line = GetILinkControl()) {
        line->AlignLink();
        line->InvalidateLink();
    }
}

// ---------------------------------------------------------------------------
// Side types, ends, cardinality

// In WHERE, a side is outer when one of its columns carries the outer-join
// mark: the owner's side is the left one. In FROM the owner's join kind says.
TnvQueryBuilderLinkSideType TnvLink::CalcSideTypeInternal(bool left) const
{
    const TnvDatasourceBase *owner = OwnerDatasource();
    if (FPlace == lpWhere) {
        TastNodeRefList columns;
        if (FLinkExpression)
            FLinkExpression->GetReferencedColumnsRecursive(columns);
        for (const TastNodeBase *node : std::as_const(columns)) {
            const auto *column = static_cast<const TSQLObjectColumn *>(node);
            TnvDatasource *datasource = DatasourceOfColumn(column);
            if (!column->OracleOuterJoin() || !datasource)
                continue;
            const bool ownersSide = owner && owner->ContainsDatasource(datasource, true);
            if (ownersSide == left)
                return ltOuter;
        }
        return ltInner;
    }
    const TSQLJoinKind *kind = owner ? owner->GetJoinKind() : nullptr;
    return kind && (left ? kind->IsLeftOuter() : kind->IsRightOuter()) ? ltOuter : ltInner;
}

TnvQueryBuilderLinkSideType TnvLink::CalcLeftTypeInternal() const { return CalcSideTypeInternal(true); }

TnvQueryBuilderLinkSideType TnvLink::CalcRightTypeInternal() const { return CalcSideTypeInternal(false); }

void TnvLink::RecalcSideDatasources()
{
    TnvDatasourceBase *owner = OwnerDatasource();
    TnvDatasourceGroup *group = Group();
    SetRightDatasource(owner ? FirstDatasourceOf(owner) : nullptr);
    TnvDatasource *left = nullptr;
    if (group) {
        TnvDatasourceBase *highest = nullptr;
        qsizetype highestIndex = -1;
        for (qsizetype i = 0; i < FSameLevelDatasources.size(); ++i) {
            TnvDatasourceBase *item = FSameLevelDatasources.at(i);
            if (!item || item == owner)
                continue;
            const qsizetype index = group->IndexOf(item);
            if (index > highestIndex) {
                highestIndex = index;
                highest = item;
            }
        }
        if (highestIndex > 0) {
            left = FirstDatasourceOf(highest);
        } else if (owner) {
            const qsizetype ownerIndex = group->IndexOf(owner);
            if (ownerIndex > 0)
                left = FirstDatasourceOf(group->GetItems(ownerIndex - 1));
        }
    }
    SetLeftDatasource(left);
}

void TnvLink::CalcCardinality()
{
    FLeftCardinality = qblcUnknown;
    FRightCardinality = qblcUnknown;
    TnvDatasource *left = LeftDatasource();
    TnvDatasource *right = RightDatasource();
    if (!FSimple || !left || !right || !FLeftFieldName || !FRightFieldName || !QueryBuilder())
        return;
    const auto *leftObject = As<TSQLFromObject>(left->DatasourceAST());
    const auto *rightObject = As<TSQLFromObject>(right->DatasourceAST());
    const TnvMetadataContainer *container = QueryBuilder()->MetadataContainer();
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!leftObject || !rightObject || !container || !provider || IsQualifiedNameEmpty(leftObject->ObjectName.get()) ||
        IsQualifiedNameEmpty(rightObject->ObjectName.get()))
        return;
    // A one-column foreign key from the key object's field to the child
    // object's field.
    auto keyTo = [&](const TnvMetadataObject *keyObject, const TSQLQualifiedName *childName,
                     const TSQLQualifiedName *keyField, const TSQLQualifiedName *childField) {
        const TnvMetadataRelationsList *relations = keyObject->GetRelations();
        if (!relations)
            return false;
        for (qsizetype i = 0; i < relations->Count(); ++i) {
            const TnvMetadataRelation *relation = relations->Items(i);
            if (!provider->IsQualifiedNamesEqual(relation->ChildFullName(), childName))
                continue;
            const TnvMetadataFieldNamesList *keys = relation->KeyFields();
            const TnvMetadataFieldNamesList *children = relation->ChildFields();
            if (keys && children && keys->Count() == 1 && children->Count() == 1 &&
                provider->IsQualifiedNamesEqual(keys->Items(0), keyField) &&
                provider->IsQualifiedNamesEqual(children->Items(0), childField))
                return true;
        }
        return false;
    };
    if (const TnvMetadataObject *table = container->FindTableByFullName(leftObject->ObjectName.get());
        table && keyTo(table, rightObject->ObjectName.get(), FLeftFieldName.get(), FRightFieldName.get())) {
        FLeftCardinality = qblcOne;
        FRightCardinality = qblcMany;
        return;
    }
    if (const TnvMetadataObject *table = container->FindTableByFullName(rightObject->ObjectName.get());
        table && keyTo(table, leftObject->ObjectName.get(), FRightFieldName.get(), FLeftFieldName.get())) {
        FLeftCardinality = qblcMany;
        FRightCardinality = qblcOne;
    }
}

void TnvLink::FlipLink()
{
    Assert(FSimple, Unit, "Only a simple link turns round");
    TnvDatasource *left = LeftDatasource();
    TnvDatasource *right = RightDatasource();
    SetLeftDatasource(right);
    SetRightDatasource(left);
    std::swap(FLeftType, FRightType);
    std::swap(FLeftCardinality, FRightCardinality);
    std::swap(FLeftFieldName, FRightFieldName);
    // The owner goes to the other end.
    TnvDatasourceBase *owner = OwnerDatasource();
    SetOwnerDatasource(owner == RightDatasource() ? static_cast<TnvDatasourceBase *>(LeftDatasource())
                                                  : static_cast<TnvDatasourceBase *>(RightDatasource()));
    // The line's points and marks belong to the ends: they turn too.
    if (InvLinkControl *line = GetILinkControl()) {
        line->AlignLink();
        line->InvalidateLink();
    }
}

void TnvLink::MoveDatasourceIntoGroup(TnvDatasourceBase *item, TnvDatasourceGroup *group)
{
    const qsizetype index = FSameLevelDatasources.indexOf(item);
    if (index >= 0) {
        if (FSameLevelDatasources.contains(group))
            FSameLevelDatasources.removeAt(index);
        else
            FSameLevelDatasources.replace(index, group);
    }
    if (OwnerDatasource() == item)
        SetOwnerDatasource(group);
    if (FSimple)
        Assert(FSameLevelDatasources.size() == 2, Unit, "A simple link whose condition touches other than two items");
}

// ---------------------------------------------------------------------------
// Join kinds

void TnvLink::SetWhereLinkType(TnvQueryBuilderLinkSideType type, const TnvDatasourceBase *datasource)
{
    QList<TnvDatasourceBase *> list;
    if (datasource)
        list.append(const_cast<TnvDatasourceBase *>(datasource));
    SetWhereLinkTypeList(type, list);
}

void TnvLink::SetWhereLinkTypeList(TnvQueryBuilderLinkSideType type, const QList<TnvDatasourceBase *> &datasources)
{
    if (!FLinkExpression)
        return;
    TastNodeRefList columns;
    FLinkExpression->GetReferencedColumnsRecursive(columns);
    bool changed = false;
    for (TastNodeBase *node : std::as_const(columns)) {
        auto *column = static_cast<TSQLObjectColumn *>(node);
        TnvDatasource *datasource = DatasourceOfColumn(column);
        if (datasource && datasources.contains(datasource) && column->OracleOuterJoin() != (type == ltOuter)) {
            column->SetOracleOuterJoin(type == ltOuter);
            changed = true;
        }
    }
    if (changed)
        NotifySQLUpdated();
}

void TnvLink::SetJoinKindClass(TastNodeClass kindClass)
{
    if (FPlace == lpFrom) {
        TnvDatasourceBase *owner = OwnerDatasource();
        if (!owner || owner->GetJoinKindClass() == kindClass)
            return;
        TnvDatasourceGroup *group = owner->Group();
        auto bracket = UpdateBracket(group ? static_cast<TnvQueryBuilderControlOwner *>(group) : this);
        owner->SetJoinKindClass(kindClass);
        // A join that becomes outer or inner changes what the rebuild may
        // move: the tree is laid out again, as reading the text back would.
        if (group)
            group->NotifyReorderNeeded();
        return;
    }
    if (!FSimple)
        return;
    TnvQueryBuilderLinkSideType left = ltInner;
    TnvQueryBuilderLinkSideType right = ltInner;
    if (kindClass) {
        TnvBaseSyntaxProvider *provider = QueryBuilder() ? QueryBuilder()->SyntaxProvider() : SyntaxProvider();
        TOwned<TastNodeBase> kind = kindClass->Create(provider);
        if (const auto *joinKind = As<TSQLJoinKind>(kind.get())) {
            left = joinKind->IsLeftOuter() ? ltOuter : ltInner;
            right = joinKind->IsRightOuter() ? ltOuter : ltInner;
        }
    }
    {
        auto bracket = UpdateBracket(this);
        // Rows of the right end are all kept when the left end's columns
        // carry the outer-join mark, and the other way round.
        FRightType = right;
        SetWhereLinkType(right, LeftDatasource());
        FLeftType = left;
        SetWhereLinkType(left, RightDatasource());
        NotifySQLUpdated();
    }
    if (InvLinkControl *line = GetILinkControl())
        line->InvalidateLink();
}

// ---------------------------------------------------------------------------
// Data sources going

bool TnvLink::DropTermsReferring(const TnvDatasourceBase *datasource)
{
    const TSQLFromSource *node = datasource ? datasource->DatasourceAST() : nullptr;
    auto refers = [datasource, node](TSQLExpressionItem *term) {
        TastNodeRefList sources;
        term->GetReferencedDatasourcesRecursive(sources);
        for (const TastNodeBase *source : std::as_const(sources))
            if (DatasourceOfFromSource(source) == datasource)
                return true;
        // A sub-query that names it takes the term along.
        return UsesFromSource(term, node);
    };
    // The terms, through brackets and nested ANDs, as a join condition is
    // taken apart.
    std::function<void(TSQLExpressionAnd *)> drop = [&](TSQLExpressionAnd *collection) {
        for (qsizetype i = collection->GetCount() - 1; i >= 0; --i) {
            TSQLExpressionItem *term = collection->GetItems(i);
            if (auto *nested = As<TSQLExpressionAnd>(ExpressionRemoveBrackets(term))) {
                drop(nested);
                if (nested->GetCount() == 0)
                    collection->Delete(i);
            } else if (!term || refers(term)) {
                collection->Delete(i);
            }
        }
    };
    auto *collection = As<TSQLExpressionAnd>(ExpressionRemoveBrackets(FLinkExpression.get()));
    if (!collection)
        return false;
    drop(collection);
    if (collection->GetCount() == 0)
        return false;
    if (collection == FLinkExpression.get() && collection->GetCount() == 1) {
        TOwned<TastNodeBase> only = collection->Extract(qsizetype(0));
        FLinkExpression.reset(static_cast<TSQLExpressionItem *>(only.release()));
    }
    return true;
}

bool TnvLink::NotifyDatasourceDestroyingInternal(TnvDatasourceBase *datasource)
{
    // The link is part of its owner's ON condition and goes with it.
    if (FOwnerDatasource.RefersTo(datasource))
        return true;
    if (FReferencedDatasources.RefersTo(datasource) ||
        UsesFromSource(FLinkExpression.get(), datasource ? datasource->DatasourceAST() : nullptr)) {
        // Of an AND only the terms that refer to the data source go.
        if (!DropTermsReferring(datasource))
            return true;
        RecalcLink();
        return false;
    }
    // Any other condition stays, also the only one left beside the data
    // source: the join tree finds it a place (or WHERE takes it). The link
    // forgets the data source.
    FSameLevelDatasources.Purge(datasource);
    return false;
}

} // namespace nvqb
