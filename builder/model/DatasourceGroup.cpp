#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "sqlmodel/sql/SQLFromClause.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <vector>

namespace nvqb {

namespace {
constexpr const char *Unit = "nvQBBase";
} // namespace

NV_IMPLEMENT_CLASS(TnvDatasourceGroup, TnvDatasourceBase)

TnvDatasourceGroup::TnvDatasourceGroup(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilderModel *queryBuilder)
    : TnvDatasourceBase(unionSubQuery, unionSubQuery, queryBuilder), FRootGroup(this)
{
    // No FROM clause until one is loaded or an item comes: a SELECT without
    // sources prints without FROM.
}

TnvDatasourceGroup::TnvDatasourceGroup(TnvDatasourceGroup *rootGroup, TnvDatasourceGroup *parentGroup,
                                       TnvQueryBuilderModel *queryBuilder)
    : TnvDatasourceBase(rootGroup, parentGroup, queryBuilder), FRootGroup(rootGroup)
{
    SetDatasourceAST(Create<TSQLFromItem>(SyntaxProvider()));
}

TnvDatasourceGroup::~TnvDatasourceGroup() = default;

void TnvDatasourceGroup::Destroy()
{
    // The links first, so no link outlives the items it joins. Each one is
    // taken out here: a node that goes no longer reaches this group.
    while (!FLinks.isEmpty())
        TObject::Free(FLinks.takeLast());
    while (!FItems.isEmpty())
        TObject::Free(FItems.takeLast());
    TnvDatasourceBase::Destroy();
}

// ---------------------------------------------------------------------------
// Items and links

qsizetype TnvDatasourceGroup::IndexOf(const TnvDatasourceBase *item) const
{
    return FItems.indexOf(const_cast<TnvDatasourceBase *>(item));
}

void TnvDatasourceGroup::Add(TnvDatasourceBase *item)
{
    if (!item)
        return;
    auto bracket = UpdateBracket(this);
    if (item->Group() == this && IndexOf(item) < 0)
        AddInternal(item);
    else
        item->SetGroup(this);
    NotifySQLUpdated();
}

void TnvDatasourceGroup::Delete(qsizetype index)
{
    auto bracket = UpdateBracket(this);
    DeleteInternal(index);
    NotifySQLUpdated();
}

void TnvDatasourceGroup::Remove(TnvDatasourceBase *item)
{
    auto bracket = UpdateBracket(this);
    RemoveInternal(item);
    NotifySQLUpdated();
}

void TnvDatasourceGroup::InsertInternal(qsizetype index, TnvDatasourceBase *item)
{
    if (index < 0 || index > FItems.size())
        ListIndexError(index);
    FItems.insert(index, item);
}

void TnvDatasourceGroup::ExtractInternal(TnvDatasourceBase *item) { FItems.removeOne(item); }

void TnvDatasourceGroup::AddInternal(TnvDatasourceBase *item) { FItems.append(item); }

void TnvDatasourceGroup::DeleteInternal(qsizetype index)
{
    if (index < 0 || index >= FItems.size())
        ListIndexError(index);
    // The item leaves the list as it goes.
    TObject::Free(FItems.at(index));
}

void TnvDatasourceGroup::RemoveInternal(TnvDatasourceBase *item)
{
    const qsizetype index = IndexOf(item);
    if (index >= 0)
        DeleteInternal(index);
}

void TnvDatasourceGroup::RegisterDatasourceBase(TnvDatasourceBase *item)
{
    if (!FItems.contains(item))
        FItems.append(item);
    if (!DatasourceAST()) {
        if (IsRootGroup())
            SetDatasourceAST(Create<TSQLFromClause>(SyntaxProvider()));
        else
            SetDatasourceAST(Create<TSQLFromItem>(SyntaxProvider()));
    }
}

void TnvDatasourceGroup::UnregisterDatasourceBase(TnvDatasourceBase *item) { FItems.removeOne(item); }

void TnvDatasourceGroup::RegisterLink(TnvLink *link)
{
    if (!FLinks.contains(link))
        FLinks.append(link);
}

void TnvDatasourceGroup::UnregisterLink(TnvLink *link) { FLinks.removeOne(link); }

// ---------------------------------------------------------------------------
// Questions

bool TnvDatasourceGroup::ContainsDatasource(const TnvDatasourceBase *item, bool recursive) const
{
    if (!item)
        return false;
    if (item == this)
        return true;
    for (const TnvDatasourceBase *own : FItems)
        if (own == item)
            return true;
    if (recursive)
        for (const TnvDatasourceBase *own : FItems)
            if (const auto *nested = As<TnvDatasourceGroup>(own); nested && nested->ContainsDatasource(item, true))
                return true;
    return false;
}

bool TnvDatasourceGroup::ContainsDatasourceBefore(const TnvDatasourceBase *item,
                                                  const TnvDatasourceBase *ownerItem) const
{
    const qsizetype ownerIndex = IndexOf(ownerItem);
    for (qsizetype i = 0; i < ownerIndex; ++i)
        if (FItems[i]->ContainsDatasource(item, true))
            return true;
    return false;
}

TnvDatasourceBase *TnvDatasourceGroup::FindDatasourceByAST(const TastNodeBase *node) const
{
    if (!node)
        return nullptr;
    if (DatasourceAST() == node)
        return const_cast<TnvDatasourceGroup *>(this);
    for (TnvDatasourceBase *item : FItems) {
        if (const auto *nested = As<TnvDatasourceGroup>(item)) {
            if (TnvDatasourceBase *found = nested->FindDatasourceByAST(node))
                return found;
        } else if (item->DatasourceAST() == node) {
            return item;
        }
    }
    return nullptr;
}

void TnvDatasourceGroup::FindTablesByDBName(const TSQLQualifiedName *name, QList<TnvDatasourceBase *> &list)
{
    list.clear();
    GetDatasourceByClass(TnvDataSourceObject::StaticClassType(), list);
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        const auto *object = static_cast<const TnvDataSourceObject *>(list[i]);
        if (!provider || !provider->IsQualifiedNamesEqual(object->GetDatabaseObject(), name))
            list.removeAt(i);
    }
}

TnvLink *TnvDatasourceGroup::FindLink(const TnvDatasource *leftDatasource, const TSQLQualifiedName *leftField,
                                      const TnvDatasource *rightDatasource,
                                      const TSQLQualifiedName *rightField) const
{
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (provider && leftField && rightField) {
        for (TnvLink *link : FLinks) {
            if (link->IsSimple() && link->LeftDatasource() == leftDatasource &&
                link->RightDatasource() == rightDatasource && link->LeftFieldName() && link->RightFieldName() &&
                provider->CompareQualifiedNames(link->LeftFieldName(), leftField) == 0 &&
                provider->CompareQualifiedNames(link->RightFieldName(), rightField) == 0)
                return link;
        }
    }
    for (const TnvDatasourceBase *item : FItems)
        if (const auto *nested = As<TnvDatasourceGroup>(item))
            if (TnvLink *link = nested->FindLink(leftDatasource, leftField, rightDatasource, rightField))
                return link;
    return nullptr;
}

void TnvDatasourceGroup::GetDatasources(QList<TnvDatasource *> &list)
{
    TnvDatasourceBase::GetDatasources(list);
    for (TnvDatasourceBase *item : std::as_const(FItems))
        item->GetDatasources(list);
}

void TnvDatasourceGroup::GetDatasourceByClass(TClass elementClass, QList<TnvDatasourceBase *> &list)
{
    TnvDatasourceBase::GetDatasourceByClass(elementClass, list);
    for (TnvDatasourceBase *item : std::as_const(FItems))
        item->GetDatasourceByClass(elementClass, list);
}

void TnvDatasourceGroup::GetFromSources(TastNodeRefList &list) const
{
    for (const TnvDatasourceBase *item : FItems) {
        if (const auto *nested = As<TnvDatasourceGroup>(item))
            nested->GetFromSources(list);
        else if (TSQLFromSource *source = item->DatasourceAST())
            list.append(source);
    }
}

// ---------------------------------------------------------------------------
// Loading and printing

bool TnvDatasourceGroup::LoadFromAST(TOwned<TSQLFromSource> node)
{
    auto bracket = UpdateBracket(this);
    Assert(!node || node->Is<TSQLFromItem>(), Unit, "A FROM group loaded from a single source");
    bool joinKind = TakeNode(std::move(node));
    auto *chain = As<TSQLFromItem>(DatasourceAST());
    if (!chain)
        return joinKind;
    // Each element owns its own source from now on.
    std::vector<TOwned<TSQLFromSource>> sources(size_t(chain->GetCount()));
    for (qsizetype i = chain->GetCount() - 1; i >= 0; --i)
        sources[size_t(i)] = chain->Extract(i);
    TnvQueryBuilderModel *qb = QueryBuilder();
    for (TOwned<TSQLFromSource> &source : sources) {
        if (!source)
            continue;
        TnvDatasourceBase *element = nullptr;
        if (source->Is<TSQLFromItem>())
            element = NewModelNode<TnvDatasourceGroup>(FRootGroup, this, qb);
        else if (source->Is<TSQLFromObject>())
            element = NewModelNode<TnvDataSourceObject>(FRootGroup, this, qb);
        else if (source->Is<TSQLFromQuery>())
            element = NewModelNode<TnvDataSourceQuery>(FRootGroup, this, qb);
        else
            element = NewModelNode<TnvDatasource>(FRootGroup, this, qb);
        const bool elementJoinKind = element->LoadFromAST(std::move(source));
        joinKind = joinKind || elementJoinKind;
        if (ControlsCreated() && element->CanCreateControls())
            element->CreateControl();
    }
    return joinKind;
}

void TnvDatasourceGroup::LoadJoins()
{
    auto bracket = UpdateBracket(this);
    TnvDatasourceBase::LoadJoins();
    const QList<TnvDatasourceBase *> items = FItems;
    for (TnvDatasourceBase *item : items)
        item->LoadJoins();
}

void TnvDatasourceGroup::UpdateChecks()
{
    TnvSelectRowsByNode rows;
    TnvUnionSubQuery *part = UnionSubQuery();
    if (TnvSelectList *list = part ? part->SelectList() : nullptr)
        for (qsizetype i = 0; i < list->Count(); ++i) {
            const TnvSelectItem *row = list->Items(i);
            if (const TSQLFromSource *node = row->DatasourceNode())
                rows[node].append(row);
        }
    UpdateChecksFrom(rows);
}

void TnvDatasourceGroup::UpdateChecksFrom(const TnvSelectRowsByNode &rows)
{
    const QList<TnvDatasourceBase *> items = FItems;
    for (TnvDatasourceBase *item : items)
        item->UpdateChecksFrom(rows);
}

void TnvDatasourceGroup::SaveLayout(QDomDocument &document, QDomElement &element)
{
    for (TnvDatasourceBase *item : std::as_const(FItems))
        item->SaveLayout(document, element);
}

void TnvDatasourceGroup::LoadLayout(const QDomElement &element)
{
    const QList<TnvDatasourceBase *> items = FItems;
    for (TnvDatasourceBase *item : items)
        item->LoadLayout(element);
}

TOwned<TastNodeBase> TnvDatasourceGroup::CreateResultAST()
{
    TOwned<TastNodeBase> result = TnvDatasourceBase::CreateResultAST();
    auto *chain = As<TSQLFromItem>(result.get());
    if (!chain)
        return result;
    for (TnvDatasourceBase *item : std::as_const(FItems)) {
        // A nested group is built for this tree alone: a copy of its cached
        // tree would copy every level of a deep nesting once more.
        TOwned<TastNodeBase> source = item->Is<TnvDatasourceGroup>() ? item->CreateResultAST() : item->GetResultAST();
        if (source && source->Is<TSQLFromSource>())
            chain->Add(TOwned<TSQLFromSource>(static_cast<TSQLFromSource *>(source.release())));
    }
    return result;
}

// ---------------------------------------------------------------------------
// Links from expressions

TnvLink *TnvDatasourceGroup::AddLinkAST(TnvDatasourceBase *ownerItem, TOwned<TSQLExpressionItem> expression,
                                        TnvQueryBuilderLinkPlace place, bool isNew)
{
    if (!ownerItem && expression) {
        // The chain of groups from the root down to each data source the
        // expression refers to; what the chains share is left out, and the
        // owner is the last in its group of the elements where they part.
        TastNodeRefList sources;
        expression->GetReferencedDatasourcesRecursive(sources);
        QList<QList<TnvDatasourceBase *>> chains;
        QList<TnvDatasource *> seen;
        for (TastNodeBase *source : std::as_const(sources)) {
            TnvDatasource *datasource = DatasourceOfFromSource(source);
            if (!datasource || seen.contains(datasource))
                continue;
            seen.append(datasource);
            QList<TnvDatasourceBase *> chain;
            TnvDatasourceBase *element = datasource;
            while (element && element != FRootGroup) {
                chain.prepend(element);
                element = element->Group();
            }
            if (element != FRootGroup)
                continue;
            chain.prepend(FRootGroup);
            chains.append(chain);
        }
        for (;;) {
            bool same = !chains.isEmpty();
            for (const auto &chain : std::as_const(chains))
                same = same && !chain.isEmpty() && chain.first() == chains.first().first();
            if (!same)
                break;
            for (auto &chain : chains)
                chain.removeFirst();
        }
        qsizetype highest = -1;
        for (const auto &chain : std::as_const(chains)) {
            if (chain.isEmpty() || !chain.first()->Group())
                continue;
            const qsizetype index = chain.first()->Group()->IndexOf(chain.first());
            if (index > highest) {
                highest = index;
                ownerItem = chain.first();
            }
        }
    }
    Assert(ownerItem != nullptr && ownerItem->Group() != nullptr, Unit,
           "Invalid parameter to TnvFromClause.AddLinkAST:can't calc ADatasourceOwner");
    TnvDatasourceGroup *group = ownerItem->Group();
    auto bracket = UpdateBracket(group);
    TnvLink *link = NewModelNode<TnvLink>(group, QueryBuilder());
    link->SetLinkParamsInternal(ownerItem, std::move(expression), place, isNew);
    group->NotifyReorderNeeded();
    return link;
}

TOwned<TSQLExpressionItem> TnvDatasourceGroup::LoadWhereJoins(TOwned<TSQLExpressionItem> condition, bool &found)
{
    found = false;
    if (!condition)
        return nullptr;
    auto bracket = UpdateBracket(this);
    return SplitJoinCondition(
        std::move(condition),
        [this](TSQLExpressionItem *term) { return TnvLink::CanLoadExpressionAsSimpleWhereLink(this, term); },
        [this, &found](TOwned<TSQLExpressionItem> term) {
            found = true;
            TnvLink *link = AddLinkAST(nullptr, std::move(term), lpWhere, false);
            if (ControlsCreated() && link->CanCreateControls())
                link->CreateControl();
        });
}

void TnvDatasourceGroup::GetWhereJoinConditions(TOwned<TSQLExpressionItem> &andNode)
{
    for (TnvDatasourceBase *item : std::as_const(FItems))
        if (auto *nested = As<TnvDatasourceGroup>(item))
            nested->GetWhereJoinConditions(andNode);
    for (const TnvLink *link : std::as_const(FLinks)) {
        if (link->Place() != lpWhere || !link->GetLinkExpression())
            continue;
        if (!andNode)
            andNode = Create<TSQLExpressionAnd>(SyntaxProvider());
        static_cast<TSQLExpressionAnd *>(andNode.get())->Add(link->GetLinkExpression()->Clone());
    }
}

TOwned<TSQLExpressionItem> TnvDatasourceGroup::AddWhereJoinConditions(TOwned<TSQLExpressionItem> condition)
{
    TOwned<TSQLExpressionItem> collected;
    GetWhereJoinConditions(collected);
    if (!collected)
        return condition;
    if (!condition)
        return collected;
    auto *joins = static_cast<TSQLExpressionAnd *>(collected.get());
    if (auto *conditions = As<TSQLExpressionAnd>(condition.get())) {
        for (qsizetype i = joins->GetCount() - 1; i >= 0; --i)
            conditions->Insert(0, joins->Extract(i));
        return condition;
    }
    joins->Add(std::move(condition));
    return collected;
}

// ---------------------------------------------------------------------------
// The join tree

void TnvDatasourceGroup::NotifyReorderNeeded()
{
    // A nested group's rebuild may hand items to its parent, so the bracket
    // is the root group's and the parent rebuilds as well.
    TnvQueryBuilderControlOwner *bracketNode = IsRootGroup() ? static_cast<TnvQueryBuilderControlOwner *>(this)
                                                             : FRootGroup;
    const bool open = !bracketNode->GetIsUpdating() && !bracketNode->IsDestroying();
    if (open)
        bracketNode->BeginUpdate();
    TnvScopeExit close([bracketNode, open] {
        if (open)
            bracketNode->EndUpdate();
    });
    FReorderNeeded = true;
    NotifySQLUpdated();
    if (!IsRootGroup())
        if (TnvDatasourceGroup *parent = Group(); parent && !parent->IsDestroying())
            parent->NotifyReorderNeeded();
}

void TnvDatasourceGroup::DoSQLUpdated()
{
    if (FReorderNeeded) {
        FReorderNeeded = false;
        ReorderDatasourcesInternal();
        // What the rebuild itself moved is laid out already.
        FReorderNeeded = false;
    }
    TnvDatasourceBase::DoSQLUpdated();
}

void TnvDatasourceGroup::ReorderDatasourcesInternal()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    TnvUnionSubQuery *unionSubQuery = UnionSubQuery();
    if (qb && qb->CanReorderDatasources() && unionSubQuery && !IsDestroying()) {
        // One bracket for the whole rebuild: the items it touches run their
        // steps once, when it ends.
        auto bracket = UpdateBracket(this);
        if (unionSubQuery->ANSIJoins())
            ReorderANSIJoins();
        else
            ReorderWhereJoins();
    }
    for (TnvLink *link : std::as_const(FLinks))
        link->SetNew(false);
}

void TnvDatasourceGroup::ReorderWhereJoins()
{
    const QList<TnvLink *> links = FLinks;
    for (TnvLink *link : links) {
        if (!link->IsSimple() || !link->IsNew())
            continue;
        const TnvLink *found = nullptr;
        for (const TnvLink *other : links) {
            if (other == link || !other->IsSimple() || other->IsNew())
                continue;
            if ((other->LeftDatasource() == link->LeftDatasource() &&
                 other->RightDatasource() == link->RightDatasource()) ||
                (other->LeftDatasource() == link->RightDatasource() &&
                 other->RightDatasource() == link->LeftDatasource())) {
                found = other;
                break;
            }
        }
        if (!found)
            continue;
        const bool leftOuter = found->LeftType() == ltOuter;
        const bool rightOuter = found->RightType() == ltOuter;
        TastNodeClass kindClass;
        if (!leftOuter && !rightOuter)
            kindClass = TSQLJoinKindInner::StaticClassType();
        else if (leftOuter && rightOuter)
            kindClass = TSQLJoinKindFull::StaticClassType();
        else if (found->LeftDatasource() == link->LeftDatasource())
            kindClass = leftOuter ? TSQLJoinKindLeft::StaticClassType() : TSQLJoinKindRight::StaticClassType();
        else
            kindClass = leftOuter ? TSQLJoinKindRight::StaticClassType() : TSQLJoinKindLeft::StaticClassType();
        link->SetJoinKindClass(kindClass);
    }
}

namespace {

// One connected set of items and the links between them.
struct TDatasourcesSet {
    QList<TnvDatasourceBase *> Items;
    QList<TnvLink *> Links;
};
using TDatasourcesSets = std::vector<TDatasourcesSet>;

// One item of a laid-out chain: the join kind it gets (nil for the first)
// and the links that turn round to it.
struct TPlacement {
    TnvDatasourceBase *Item = nullptr;
    TastNodeClass KindClass = nullptr;
    QList<TnvLink *> Flips;
    // Links that connect no item as it comes: they belong to the last of
    // the items they touch, where all they refer to stands before them.
    QList<TnvLink *> Adopted;
};
using TChain = std::vector<TPlacement>;

struct TSidePair {
    TnvQueryBuilderLinkSideType Left;
    TnvQueryBuilderLinkSideType Right;
    bool operator==(const TSidePair &other) const { return Left == other.Left && Right == other.Right; }
    TSidePair Swapped() const { return {Right, Left}; }
};

void GrowSet(TDatasourcesSet &set, TnvDatasourceBase *item, QList<TnvDatasourceBase *> &remainingItems,
             QList<TnvLink *> &remainingLinks)
{
    remainingItems.removeOne(item);
    if (!set.Items.contains(item))
        set.Items.append(item);
    qsizetype i = remainingLinks.size() - 1;
    while (i >= 0) {
        TnvLink *link = remainingLinks[i];
        // With one item left every remaining link belongs with it, whatever
        // it touches.
        if (remainingItems.size() == 1 || link->SameLevelContains(item)) {
            remainingLinks.removeAt(i);
            set.Links.append(link);
            for (qsizetype k = 0; k < link->SameLevelDatasourcesCount(); ++k) {
                TnvDatasourceBase *other = link->SameLevelDatasource(k);
                // An item that already stands in a set stays there.
                if (other && !set.Items.contains(other) && remainingItems.contains(other))
                    GrowSet(set, other, remainingItems, remainingLinks);
            }
        }
        // A growth further down may have taken links away: go on from the
        // last one left when the list became shorter than where the walk is.
        i = std::min(i - 1, remainingLinks.size() - 1);
    }
}

TSidePair SidesOfKind(TastNodeClass kindClass, TnvBaseSyntaxProvider *provider)
{
    TSidePair pair{ltInner, ltInner};
    if (!kindClass)
        return pair;
    TOwned<TastNodeBase> kind = kindClass->Create(provider);
    if (const auto *joinKind = As<TSQLJoinKind>(kind.get())) {
        pair.Left = joinKind->IsLeftOuter() ? ltOuter : ltInner;
        pair.Right = joinKind->IsRightOuter() ? ltOuter : ltInner;
    }
    return pair;
}

// Lays out one set as a join chain without changing anything: the order of
// its items, the join kind of each and the links that turn round. The
// side types a placed item's new join kind gives the links it owns are
// followed on the side, as later placements read them. False when, with
// items left, none of them can be placed.
class TSetLayout {
public:
    TSetLayout(const QList<TnvDatasourceBase *> &items, const QList<TnvLink *> &links,
               TnvBaseSyntaxProvider *provider)
        : FItems(items), FLinks(links), FProvider(provider)
    {
        for (TnvLink *link : links)
            FSides.insert(link, {link->LeftType(), link->RightType()});
        const QSet<TnvDatasourceBase *> members(items.begin(), items.end());
        // Which items each link can touch: the items that hold a simple
        // link's ends, the owner of any other.
        for (qsizetype i = 0; i < links.size(); ++i) {
            TnvLink *link = links[i];
            auto add = [&](TnvDatasourceBase *element) {
                // Up from the element to the member of the set that holds it.
                while (element && !members.contains(element))
                    element = element->Group();
                if (element && !FTouching[element].contains(i))
                    FTouching[element].append(i);
            };
            if (link->IsSimple()) {
                add(link->RightDatasource());
                add(link->LeftDatasource());
            } else {
                add(link->OwnerDatasource());
            }
        }
        for (auto &list : FTouching)
            std::sort(list.begin(), list.end());
        FUsed.assign(size_t(links.size()), false);
    }

    bool Run(TChain &chain)
    {
        QList<TnvDatasourceBase *> remaining = FItems;
        while (!remaining.isEmpty()) {
            qsizetype pick = -1;
            for (qsizetype i = 0; i < remaining.size() && pick < 0; ++i)
                if (CanPlace(remaining[i]))
                    pick = i;
            if (pick < 0)
                return false;
            TnvDatasourceBase *item = remaining.takeAt(pick);
            TPlacement placement;
            placement.Item = item;
            if (!FPlaced.isEmpty()) {
                // Every link that connects the item leaves the set; the side
                // types come from the one with the lowest index, as they
                // stand before any link turns round.
                const QList<qsizetype> &touching = FTouching.value(item);
                TSidePair sides{ltInner, ltInner};
                for (qsizetype k = touching.size() - 1; k >= 0; --k) {
                    const qsizetype index = touching[k];
                    TnvLink *link = FLinks[index];
                    if (FUsed[size_t(index)] || !Connects(link, item))
                        continue;
                    FUsed[size_t(index)] = true;
                    sides = FSides.value(link);
                    if (link->IsSimple() && link->OwnerDatasource() != item)
                        placement.Flips.append(link);
                }
                placement.KindClass = KindOfSides(sides);
            }
            // The links the item owns take the side types of its new kind.
            const TastNodeClass current = item->GetJoinKindClass();
            const bool changes = placement.KindClass ? current != placement.KindClass : current != nullptr;
            if (changes) {
                const TSidePair kindSides = SidesOfKind(placement.KindClass, FProvider);
                for (TnvLink *link : FLinks) {
                    if (link->OwnerDatasource() != item)
                        continue;
                    const bool swap = link->IsSimple() && !item->ContainsDatasource(link->RightDatasource(), true);
                    FSides.insert(link, swap ? kindSides.Swapped() : kindSides);
                }
            }
            FPlaced.insert(item);
            chain.push_back(placement);
        }
        for (qsizetype index = 0; index < FLinks.size(); ++index) {
            if (FUsed[size_t(index)])
                continue;
            const TnvLink *link = FLinks[index];
            for (size_t k = chain.size(); k-- > 0;) {
                if (link->SameLevelContains(chain[k].Item)) {
                    chain[k].Adopted.append(FLinks[index]);
                    break;
                }
            }
        }
        return true;
    }

private:
    // The link connects the item to the items placed so far: it touches the
    // item, and of what it touches in the set only the item is not placed.
    bool Connects(const TnvLink *link, const TnvDatasourceBase *item) const
    {
        bool touches;
        if (link->IsSimple())
            touches = item->ContainsDatasource(link->RightDatasource(), true) ||
                      item->ContainsDatasource(link->LeftDatasource(), true);
        else
            touches = link->OwnerDatasource() == item;
        if (!touches)
            return false;
        bool seen = false;
        for (qsizetype i = 0; i < link->SameLevelDatasourcesCount(); ++i) {
            const TnvDatasourceBase *other = link->SameLevelDatasource(i);
            if (!other || FPlaced.contains(other))
                continue;
            if (other != item || seen)
                return false;
            seen = true;
        }
        return seen;
    }

    bool CanPlace(const TnvDatasourceBase *item) const
    {
        const QList<qsizetype> touching = FTouching.value(const_cast<TnvDatasourceBase *>(item));
        if (FPlaced.isEmpty()) {
            for (qsizetype index : touching)
                if (!FUsed[size_t(index)] && Connects(FLinks[index], item))
                    return false;
            return true;
        }
        bool connected = false;
        bool havePair = false;
        TSidePair pair{ltInner, ltInner};
        for (qsizetype index : touching) {
            const TnvLink *link = FLinks[index];
            if (FUsed[size_t(index)] || !Connects(link, item))
                continue;
            connected = true;
            if (link->IsNew())
                continue;
            const TSidePair sides = FSides.value(const_cast<TnvLink *>(link));
            if (!havePair) {
                const bool asSeen = link->OwnerDatasource() == item ||
                                    (link->IsSimple() && item->ContainsDatasource(link->RightDatasource(), true));
                pair = asSeen ? sides : sides.Swapped();
                havePair = true;
            } else if ((link->OwnerDatasource() == item ? sides : sides.Swapped()) != pair) {
                return false;
            }
        }
        return connected;
    }

    static TastNodeClass KindOfSides(const TSidePair &sides)
    {
        if (sides.Left == ltOuter && sides.Right == ltInner)
            return TSQLJoinKindLeft::StaticClassType();
        if (sides.Left == ltInner && sides.Right == ltOuter)
            return TSQLJoinKindRight::StaticClassType();
        if (sides.Left == ltOuter && sides.Right == ltOuter)
            return TSQLJoinKindFull::StaticClassType();
        return TSQLJoinKindInner::StaticClassType();
    }

    const QList<TnvDatasourceBase *> &FItems;
    const QList<TnvLink *> &FLinks;
    TnvBaseSyntaxProvider *FProvider;
    QHash<TnvDatasourceBase *, QList<qsizetype>> FTouching;
    QHash<TnvLink *, TSidePair> FSides;
    std::vector<bool> FUsed;
    QSet<const TnvDatasourceBase *> FPlaced;
};

bool SameLevelIs(const TnvLink *link, std::initializer_list<const TnvDatasourceBase *> items)
{
    if (link->SameLevelDatasourcesCount() != qsizetype(items.size()))
        return false;
    for (const TnvDatasourceBase *item : items)
        if (!link->SameLevelContains(item))
            return false;
    return true;
}

} // namespace

void TnvDatasourceGroup::DropEmptyGroups()
{
    // A nested group whose items all went to this one holds nothing to
    // print; it goes unless a link still counts on it.
    const QList<TnvDatasourceBase *> items = FItems;
    for (TnvDatasourceBase *item : items) {
        auto *nested = As<TnvDatasourceGroup>(item);
        if (!nested || nested->GetCount() > 0 || nested->GetLinksCount() > 0)
            continue;
        bool needed = false;
        for (const TnvLink *link : std::as_const(FLinks))
            needed = needed || link->OwnerDatasource() == nested || link->SameLevelContains(nested);
        if (!needed)
            TObject::Free(nested);
    }
}

void TnvDatasourceGroup::KeepItemsAsTheyStand()
{
    // Links may have come to other owners before the rebuild gave up.
    for (TnvDatasourceBase *item : std::as_const(FItems))
        item->DestroyCachedResultASTs();
    // An ON condition prints after a join that takes one, and such a join
    // needs one: an item that has come to own conditions after a comma or a
    // cross join is joined inner, one that has lost them is cross joined.
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    const bool cross = !provider || provider->IsSupportCrossJoin();
    for (qsizetype i = 1; i < FItems.size(); ++i) {
        TnvDatasourceBase *item = FItems[i];
        bool conditions = item->JoinCondition() != nullptr;
        for (const TnvLink *link : std::as_const(FLinks))
            conditions = conditions || (link->Place() == lpFrom && link->OwnerDatasource() == item);
        const TastNodeClass kind = item->GetJoinKindClass();
        const bool takesCondition = kind && kind != TSQLJoinKindCross::StaticClassType();
        if (conditions && !takesCondition)
            item->SetJoinKindClass(TSQLJoinKindInner::StaticClassType());
        else if (!conditions && takesCondition)
            item->SetJoinKindClass(cross ? TSQLJoinKindCross::StaticClassType() : nullptr);
    }
}

bool TnvDatasourceGroup::IsLoneGroup(const TnvDatasourceBase *item) const
{
    const auto *nested = As<TnvDatasourceGroup>(item);
    if (!nested)
        return false;
    for (const TnvLink *link : FLinks)
        if (link->Place() == lpFrom && link->SameLevelContains(nested))
            return false;
    return true;
}

bool TnvDatasourceGroup::HasLoneGroup(const QSet<const TnvDatasourceBase *> &except) const
{
    for (const TnvDatasourceBase *item : FItems)
        if (!except.contains(item) && IsLoneGroup(item))
            return true;
    return false;
}

void TnvDatasourceGroup::DissolveLoneGroups()
{
    // A nested group that no link of this group touches stands alone in its
    // set: what it holds takes its place, the brackets go. What it holds is
    // then grown into sets like the other items, so a group's content of
    // several chains stays several chains, as it reads back.
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        if (!IsLoneGroup(FItems[i]))
            continue;
        auto *nested = static_cast<TnvDatasourceGroup *>(FItems[i]);
        qsizetype position = i;
        while (nested->GetCount() > 0) {
            TnvDatasourceBase *item = nested->FItems.first();
            item->SetGroup(this);
            ExtractInternal(item);
            InsertInternal(++position, item);
        }
        while (nested->GetLinksCount() > 0)
            nested->FLinks.first()->SetDatasourceGroup(this);
        TObject::Free(nested);
        --i;
    }
}

void TnvDatasourceGroup::ReorderANSIJoins(int round)
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    TnvBaseSyntaxProvider *provider = qb->SyntaxProvider();
    // Empty nested groups take no part, lest they join a set of their own.
    DropEmptyGroups();
    TnvDatasourceGroup *parent = Group();
    if (!parent)
        DissolveLoneGroups();

    // Connected sets of items, grown along the links placed in FROM.
    QList<TnvLink *> remainingLinks;
    for (TnvLink *link : std::as_const(FLinks))
        if (link->Place() == lpFrom)
            remainingLinks.append(link);
    QList<TnvDatasourceBase *> remainingItems = FItems;
    TDatasourcesSets sets;
    QHash<const TnvDatasourceBase *, qsizetype> order;
    for (qsizetype i = 0; i < FItems.size(); ++i)
        order.insert(FItems[i], i);
    while (!remainingItems.isEmpty()) {
        TDatasourcesSet set;
        GrowSet(set, remainingItems.first(), remainingItems, remainingLinks);
        // A set is one unlinked item or several linked ones. Anything else
        // cannot be laid out: the group then keeps its items as they stand.
        const bool single = set.Items.size() == 1 && set.Links.isEmpty();
        const bool joined = set.Items.size() > 1 && !set.Links.isEmpty();
        if (!single && !joined) {
            KeepItemsAsTheyStand();
            return;
        }
        std::sort(set.Items.begin(), set.Items.end(),
                  [&order](const TnvDatasourceBase *a, const TnvDatasourceBase *b) { return order[a] < order[b]; });
        sets.push_back(std::move(set));
    }

    // Unlinked items of a nested group belong to its parent group.
    TDatasourcesSets leaving;
    if (parent) {
        TDatasourcesSets staying;
        for (TDatasourcesSet &set : sets)
            (set.Links.isEmpty() ? leaving : staying).push_back(std::move(set));
        sets = std::move(staying);
    }
    // Every set is laid out before anything changes, so a set that cannot
    // be laid out leaves the group as it is.
    std::vector<TChain> chains(sets.size());
    for (size_t s = 0; s < sets.size(); ++s) {
        const QList<TnvDatasourceBase *> &items = sets[s].Items;
        const QList<TnvLink *> &links = sets[s].Links;
        if (items.isEmpty())
            continue;
        TSetLayout layout(items, links, provider);
        if (!layout.Run(chains[s])) {
            KeepItemsAsTheyStand();
            return;
        }
    }

    // The unlinked items leave for the parent group, set by set from the
    // last, each right after this group, so they keep their order there.
    for (qsizetype s = qsizetype(leaving.size()) - 1; s >= 0; --s) {
        const TDatasourcesSet &set = leaving[size_t(s)];
        for (qsizetype k = set.Items.size() - 1; k >= 0; --k) {
            TnvDatasourceBase *item = set.Items[k];
            item->SetGroup(parent);
            parent->ExtractInternal(item);
            parent->InsertInternal(parent->IndexOf(this) + 1, item);
            const QList<TnvLink *> parentLinks = parent->FLinks;
            for (TnvLink *link : parentLinks) {
                if (!link->SameLevelContains(this))
                    continue;
                // The group's own ON condition stays with the group, unless
                // it refers to an item that left: that item comes after the
                // group now, and the condition belongs to the last such one.
                // A group that has given up all it held hands its condition
                // to the item that takes its place.
                if (link->OwnerDatasource() == this) {
                    TnvDatasourceBase *owner = nullptr;
                    for (qsizetype r = 0; r < link->ReferencedDatasourcesCount(); ++r) {
                        TnvDatasourceBase *element = link->ReferencedDatasource(r);
                        while (element && element->Group() != parent)
                            element = element->Group();
                        if (element && (!owner || parent->IndexOf(element) > parent->IndexOf(owner)))
                            owner = element;
                    }
                    if (!owner || parent->IndexOf(owner) < parent->IndexOf(this))
                        owner = GetCount() == 0 ? item : nullptr;
                    if (owner && owner != this) {
                        // With its new owner the link may join other ends.
                        link->SetOwnerDatasource(owner);
                        link->RecalcLink();
                        continue;
                    }
                }
                link->RecalcSameLevelDatasources(link->OwnerDatasource());
            }
        }
        parent->NotifyReorderNeeded();
    }

    // The chains follow one another in the FROM clause.
    FItems.clear();
    // The groups that binary nesting makes here.
    QSet<const TnvDatasourceBase *> nestedHere;
    bool adopted = false;
    for (size_t s = 0; s < sets.size(); ++s) {
        TChain &chain = chains[s];
        if (chain.empty())
            continue;
        QList<TnvDatasourceBase *> items;
        for (size_t k = 0; k < chain.size(); ++k) {
            TPlacement &placement = chain[k];
            TnvDatasourceBase *item = placement.Item;
            for (TnvLink *link : std::as_const(placement.Flips)) {
                link->FlipLink();
                // The link belongs to the item it now joins, also when the
                // end it turned to lies inside that item.
                if (link->OwnerDatasource() != item && item->ContainsDatasource(link->OwnerDatasource(), true))
                    link->SetOwnerDatasource(item);
            }
            if (k == 0) {
                if (item->GetJoinKind())
                    item->SetJoinKind(nullptr);
            } else if (item->GetJoinKindClass() != placement.KindClass) {
                item->SetJoinKindClass(placement.KindClass);
            }
            items.append(item);
        }
        // A link works itself out against the items of its group, so the
        // chain stands in the list while its items adopt links.
        const qsizetype chainStart = FItems.size();
        FItems.append(items);
        for (const TPlacement &placement : chain) {
            for (TnvLink *link : placement.Adopted) {
                if (link->OwnerDatasource() == placement.Item)
                    continue;
                link->SetOwnerDatasource(placement.Item);
                link->RecalcLink();
                adopted = true;
            }
        }
        FItems.resize(chainStart);
        // Binary nesting, left-deep: ((a b) c) d.
        if (items.size() > 2 && provider && provider->IsForceBinaryANSIJoins()) {
            while (items.size() > 2) {
                TnvDatasourceBase *first = items[0];
                TnvDatasourceBase *second = items[1];
                auto *nested = NewModelNode<TnvDatasourceGroup>(FRootGroup, this, qb);
                nestedHere.insert(nested);
                ExtractInternal(nested);
                nested->SetDatasourceAST(
                    Create<TSQLFromItem>(DatasourceAST() ? DatasourceAST()->SyntaxProvider() : SyntaxProvider()));
                first->SetGroup(nested);
                second->SetGroup(nested);
                items.removeFirst();
                items[0] = nested;
                QList<TnvLink *> aside;
                const QList<TnvLink *> links = FLinks;
                for (TnvLink *link : links) {
                    // Whatever joins the two items alone goes with them,
                    // simple or not.
                    if (SameLevelIs(link, {second}) || SameLevelIs(link, {first, second})) {
                        aside.append(link);
                    } else {
                        link->MoveDatasourceIntoGroup(first, nested);
                        link->MoveDatasourceIntoGroup(second, nested);
                    }
                }
                for (TnvLink *link : std::as_const(aside))
                    link->SetDatasourceGroup(nested);
            }
        }
        for (TnvDatasourceBase *item : std::as_const(items)) {
            item->DestroyCachedResultASTs();
            AddInternal(item);
        }
    }
    // Links that went to other owners join other sets than before, and may
    // leave a nested group untouched (it then gives way): the rebuild runs
    // again on what it made, as it would when the text is read back, until
    // nothing moves (a few rounds at most).
    constexpr int MaxRounds = 4;
    if (round < MaxRounds && (adopted || (!parent && HasLoneGroup(nestedHere))))
        ReorderANSIJoins(round + 1);
}

} // namespace nvqb
