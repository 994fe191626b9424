// The join tree of a FROM group: the rebuild that runs after every change of
// its links. Items joined by inner joins, cross joins and commas are grown
// into connected sets along the links and laid out as join chains; an outer
// join keeps its place, its two sides and its own ON condition; nested
// groups give up unlinked items, dissolve when nothing joins them, and nest
// two at a time when the dialect demands it. A rebuild that cannot lay out
// its items keeps them as they stand and mends only what would not print.
#include "builder/model/ControlInterfaces.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLFromClause.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <vector>

namespace nvqb {

namespace {
// How many times a rebuild runs again on what it made.
constexpr int MaxRounds = 4;

bool IsOuterKind(const TSQLJoinKind *kind) { return kind && (kind->IsLeftOuter() || kind->IsRightOuter()); }

void FreeLinks(const QList<TnvLink *> &links)
{
    for (TnvLink *link : links)
        TObject::Free(link);
}

// The FROM links that Owns picks (of a copy of the list, as dropping terms
// may touch it), less their terms that name the going item; a link of
// nothing but such terms is left out.
template <class TOwns>
QList<TnvLink *> ConditionsLeftBy(const QList<TnvLink *> links, const TnvDatasourceBase *item, TOwns owns)
{
    QList<TnvLink *> owned;
    for (TnvLink *link : links) {
        if (link->Place() != lpFrom || !owns(link))
            continue;
        if (link->RefersToDatasource(item)) {
            if (!link->DropTermsReferring(item))
                continue;
            link->RecalcLink();
        }
        owned.append(link);
    }
    return owned;
}
} // namespace

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
    if (qb && unionSubQuery && !IsDestroying()) {
        // One bracket for the whole rebuild: the items it touches run their
        // steps once, when it ends.
        auto bracket = UpdateBracket(this);
        if (unionSubQuery->ANSIJoins() && qb->CanReorderDatasources()) {
            ReorderANSIJoins();
            if (IsRootGroup())
                SettleNestedGroups();
        } else {
            if (!unionSubQuery->ANSIJoins() && qb->CanReorderDatasources())
                ReorderWhereJoins();
            // The order stays, but a removed data source may have left
            // brackets around one source or none, or an ON condition where no
            // join can carry it (joins that a change of dialect left in FROM
            // too).
            TidyNestedGroups();
            KeepItemsAsTheyStand();
        }
    }
    for (TnvLink *link : std::as_const(FLinks))
        link->SetNew(false);
}

namespace {

// The shape of a FROM group: its items, their join kinds and nested groups,
// its links and their owners.
void CollectShape(const TnvDatasourceGroup *group, QList<const void *> &shape)
{
    shape.append(group);
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        const TnvDatasourceBase *item = group->GetItems(i);
        shape.append(item);
        shape.append(item->GetJoinKindClass());
        if (const auto *nested = As<TnvDatasourceGroup>(item))
            CollectShape(nested, shape);
    }
    for (qsizetype i = 0; i < group->GetLinksCount(); ++i) {
        shape.append(group->GetLink(i));
        shape.append(group->GetLink(i)->OwnerDatasource());
    }
}

} // namespace

bool TnvDatasourceGroup::RebuildNestedGroups()
{
    bool any = false;
    const QList<TnvDatasourceBase *> items = FItems;
    for (TnvDatasourceBase *item : items) {
        auto *nested = As<TnvDatasourceGroup>(item);
        // A rebuild further up may have moved or freed it meanwhile.
        if (!nested || IndexOf(nested) < 0)
            continue;
        nested->RebuildNestedGroups();
        nested->ReorderANSIJoins();
        any = true;
    }
    return any;
}

void TnvDatasourceGroup::SettleNestedGroups()
{
    // A nested group lays itself out where it stands, and the top level
    // moves nested groups about (they give way, go up, get nested): each then
    // lays itself out again, and the top level after them, until the shape
    // stays, as reading the printed text back leaves it.
    for (int pass = 0; pass < MaxRounds; ++pass) {
        QList<const void *> before;
        CollectShape(this, before);
        if (!RebuildNestedGroups())
            return;
        ReorderANSIJoins();
        QList<const void *> after;
        CollectShape(this, after);
        if (after == before)
            return;
    }
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

// A laid-out chain; its first item joins the items before it instead of
// starting a list item of its own.
struct TLaidChain {
    TChain Chain;
    bool JoinsBefore = false;
};

struct TSidePair {
    TnvQueryBuilderLinkSideType Left;
    TnvQueryBuilderLinkSideType Right;
    bool operator==(const TSidePair &other) const { return Left == other.Left && Right == other.Right; }
    TSidePair Swapped() const { return {Right, Left}; }
};

// Grows connected sets along the links' same-level lists. While the items
// after an outer join are grown, the items before it stand already and
// count as one item, Base.
class TSetGrowth {
public:
    TSetGrowth(const QSet<const TnvDatasourceBase *> &before, TnvDatasourceBase *base) : FBefore(before), FBase(base)
    {
    }

    void Grow(TDatasourcesSet &set, TnvDatasourceBase *item, QList<TnvDatasourceBase *> &remainingItems,
              QList<TnvLink *> &remainingLinks) const
    {
        remainingItems.removeOne(item);
        if (!set.Items.contains(item))
            set.Items.append(item);
        qsizetype i = remainingLinks.size() - 1;
        while (i >= 0) {
            TnvLink *link = remainingLinks[i];
            // With one item left every remaining link belongs with it,
            // whatever it touches.
            if (remainingItems.size() == 1 || Touches(link, item)) {
                remainingLinks.removeAt(i);
                set.Links.append(link);
                for (qsizetype k = 0; k < link->SameLevelDatasourcesCount(); ++k) {
                    TnvDatasourceBase *other = link->SameLevelDatasource(k);
                    if (other && FBefore.contains(other))
                        other = FBase;
                    // An item that already stands in a set stays there.
                    if (other && !set.Items.contains(other) && remainingItems.contains(other))
                        Grow(set, other, remainingItems, remainingLinks);
                }
            }
            // A growth further down may have taken links away: go on from
            // the last one left when the list became shorter than where the
            // walk is.
            i = std::min(i - 1, remainingLinks.size() - 1);
        }
    }

private:
    bool Touches(const TnvLink *link, const TnvDatasourceBase *item) const
    {
        if (item != FBase || !FBase)
            return link->SameLevelContains(item);
        for (qsizetype k = 0; k < link->SameLevelDatasourcesCount(); ++k)
            if (FBefore.contains(link->SameLevelDatasource(k)))
                return true;
        return false;
    }

    const QSet<const TnvDatasourceBase *> &FBefore;
    TnvDatasourceBase *FBase;
};

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
    // Before: the items that stand already (those before an outer join,
    // when the items after it are laid out); the first item placed then
    // joins them.
    TSetLayout(const QList<TnvDatasourceBase *> &items, const QList<TnvLink *> &links,
               TnvBaseSyntaxProvider *provider, const QSet<const TnvDatasourceBase *> &before)
        : FItems(items), FLinks(links), FProvider(provider), FPlaced(before)
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
                for (qsizetype k = 0; k < link->SameLevelDatasourcesCount(); ++k)
                    add(link->SameLevelDatasource(k));
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
            // A condition that tests items other than its owner may join
            // the last of them instead, when nothing else can come next.
            for (const bool anyTested : {false, true}) {
                FAnyTested = anyTested;
                for (qsizetype i = 0; i < remaining.size() && pick < 0; ++i)
                    if (CanPlace(remaining[i]))
                        pick = i;
                if (pick >= 0)
                    break;
            }
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
                    else if (!link->IsSimple() && link->OwnerDatasource() != item)
                        placement.Adopted.append(link);
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
            touches = link->OwnerDatasource() == item || (FAnyTested && link->SameLevelContains(item));
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
    // Whether a condition that is no simple link connects any item it
    // tests, not only its owner.
    bool FAnyTested = false;
    QSet<const TnvDatasourceBase *> FPlaced;
};

// Lays out one run of items between outer joins (or before the first):
// inner joins, cross joins and commas join them, so they may change places
// and their conditions move among them. Before holds the items that stand
// ahead of the run, Base the outer join right before it (nil for the first
// run): the set linked to them joins them, first. With Leaving, the sets of
// one unlinked item go there instead of being laid out. False when a set
// cannot be laid out (several items, none of which can come first).
bool LayoutRun(const QList<TnvDatasourceBase *> &items, const QList<TnvLink *> &links,
               const QSet<const TnvDatasourceBase *> &before, TnvDatasourceBase *base,
               const QHash<const TnvDatasourceBase *, qsizetype> &order, TnvBaseSyntaxProvider *provider,
               std::vector<TLaidChain> &chains, TDatasourcesSets *leaving)
{
    static const QSet<const TnvDatasourceBase *> nothing;
    const TSetGrowth growth(before, base);
    QList<TnvLink *> remainingLinks = links;
    QList<TnvDatasourceBase *> remainingItems = items;
    if (base)
        remainingItems.prepend(base);
    // What stands before the set being laid out.
    QSet<const TnvDatasourceBase *> placed = before;
    while (!remainingItems.isEmpty()) {
        TDatasourcesSet set;
        growth.Grow(set, remainingItems.first(), remainingItems, remainingLinks);
        TLaidChain laid;
        laid.JoinsBefore = base && set.Items.removeOne(base);
        if (set.Items.isEmpty())
            continue;
        std::sort(set.Items.begin(), set.Items.end(),
                  [&order](const TnvDatasourceBase *a, const TnvDatasourceBase *b) { return order[a] < order[b]; });
        if (laid.JoinsBefore) {
            if (!TSetLayout(set.Items, set.Links, provider, before).Run(laid.Chain))
                return false;
        } else if (set.Links.isEmpty() && leaving) {
            leaving->push_back(std::move(set));
            continue;
        } else {
            // A set that starts a list item of its own is one unlinked item
            // or several linked ones. One item whose conditions test itself
            // alone joins what stands before it instead: among inner joins
            // they filter the same rows there.
            const bool single = set.Items.size() == 1 && set.Links.isEmpty();
            const bool linked = set.Items.size() > 1 && !set.Links.isEmpty();
            if ((single || linked) && TSetLayout(set.Items, set.Links, provider, nothing).Run(laid.Chain)) {
                // Laid out as a list item.
            } else if (set.Items.size() == 1 && !placed.isEmpty()) {
                laid.Chain.clear();
                if (!TSetLayout(set.Items, set.Links, provider, placed).Run(laid.Chain))
                    return false;
                laid.JoinsBefore = true;
            } else {
                return false;
            }
        }
        for (const TnvDatasourceBase *item : std::as_const(set.Items))
            placed.insert(item);
        chains.push_back(std::move(laid));
    }
    return true;
}

} // namespace

void TnvDatasourceGroup::TidyNestedGroups()
{
    const QList<TnvDatasourceBase *> items = FItems;
    for (TnvDatasourceBase *item : items) {
        auto *nested = As<TnvDatasourceGroup>(item);
        if (!nested || nested->GetCount() > 1 || (nested->GetCount() == 0 && nested->GetLinksCount() > 0))
            continue;
        if (nested->GetCount() == 1) {
            // A group of one item is that item, with the group's join:
            // brackets around a single source are no joined table.
            DissolveNestedGroup(nested);
            continue;
        }
        // A group that lost all it held holds nothing to print: it goes like
        // a removed data source, and the conditions of its join that outlive
        // it go on.
            ReleaseConditions(nested);
        const QList<TnvLink *> links = FLinks;
        for (TnvLink *link : links) {
            if (link->OwnerDatasource() == nested)
                TObject::Free(link);
            else if (link->SameLevelContains(nested))
                link->RecalcLink();
        }
        TObject::Free(nested);
    }
}

bool TnvDatasourceGroup::KeepItemsAsTheyStand()
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
        const bool conditions = OwnsConditions(item);
        const TastNodeClass kind = item->GetJoinKindClass();
        const bool takesCondition = kind && kind != TSQLJoinKindCross::StaticClassType();
        if (conditions && !takesCondition)
            item->SetJoinKindClass(TSQLJoinKindInner::StaticClassType());
        else if (!conditions && takesCondition)
            item->SetJoinKindClass(cross ? TSQLJoinKindCross::StaticClassType() : nullptr);
    }
    const bool brought = BringJoinsBeforeTheirComma();
    return SeatFirstItemConditions() || brought;
}

bool TnvDatasourceGroup::SeatFirstItemConditions()
{
    if (FItems.isEmpty())
        return false;
    TnvDatasourceBase *first = FItems.first();
    QList<TnvLink *> owned;
    for (TnvLink *link : std::as_const(FLinks))
        if (link->Place() == lpFrom && link->OwnerDatasource() == first)
            owned.append(link);
    // It lost the item before it.
    EndJoin(first, owned);
    return !owned.isEmpty();
}

void TnvDatasourceGroup::EndJoin(TnvDatasourceBase *item, const QList<TnvLink *> &owned)
{
    // An inner join's conditions filter the item's rows; an outer join's
    // only chose which of them matched: they go.
    const bool outer = IsOuterKind(item->GetJoinKind());
    if (item->GetJoinKind())
        item->SetJoinKind(nullptr);
    if (outer)
        FreeLinks(owned);
    else
        HandOnConditions(item, owned);
}

void TnvDatasourceGroup::ReleaseConditions(TnvDatasourceBase *item)
{
    // An outer join's conditions only chose the item's rows that match: they
    // go with it. Those that refer to the item go with it in any case.
    if (IsOuterKind(item->GetJoinKind()))
        return;
    // A going item no longer answers as the links' owner: they still tell
    // whom they were made for. Of an AND the terms that name other items
    // outlive it.
    HandOnConditions(item,
                     ConditionsLeftBy(FLinks, item, [item](const TnvLink *link) { return link->IsOwnedBy(item); }));
    LeaveStartToNext(item);
}

void TnvDatasourceGroup::LeaveStartToNext(TnvDatasourceBase *item)
{
    // The item starts the list or a table reference after a comma: where the
    // item after it is an outer join, or a right or full join follows in the
    // reference, the item after it starts the reference now, and a comma
    // stays. Joined to what stands before the comma, it would make that the
    // side of those joins; an outer join left without the item before it
    // would join whatever the rebuild puts there.
    const qsizetype index = IndexOf(item);
    if (index < 0 || item->GetJoinKind() || index + 1 >= FItems.size())
        return;
    TnvDatasourceBase *next = FItems[index + 1];
    if (!next->GetJoinKind() || !(IsOuterJoin(index + 1) || SideTakerAfter(index + 1) >= 0))
        return;
    // Its join to the going item goes; of an AND the terms that name
    // others stay, as they do where the first item goes.
    EndJoin(next,
            ConditionsLeftBy(FLinks, item, [next](const TnvLink *link) { return link->OwnerDatasource() == next; }));
}

void TnvDatasourceGroup::HandOnConditions(TnvDatasourceBase *item, const QList<TnvLink *> &links)
{
    if (links.isEmpty())
        return;
    // An inner join after the item filters the same rows with them; a comma
    // or a cross join becomes one. An outer join would keep rows they drop:
    // then they go to WHERE. So do they before a comma of the FROM list that
    // a right or full join follows in its reference: joined to the item, the
    // reference would become that join's side. The item ends its own
    // reference there, whose rows WHERE filters alike.
    const qsizetype index = IndexOf(item);
    TnvDatasourceBase *next = index >= 0 && index + 1 < FItems.size() ? FItems[index + 1] : nullptr;
    const TastNodeClass kind = next ? next->GetJoinKindClass() : nullptr;
    const TastNodeClass inner = TSQLJoinKindInner::StaticClassType();
    const bool keepComma = next && !kind && IsRootGroup() && SideTakerAfter(index + 1) >= 0;
    if (next && !keepComma && (!kind || kind == inner || kind == TSQLJoinKindCross::StaticClassType())) {
        if (kind != inner)
            next->SetJoinKindClass(inner);
        for (TnvLink *link : links) {
            link->SetOwnerDatasource(next);
            link->RecalcLink();
        }
        return;
    }
    // In WHERE they would also drop the rows a right join later in the
    // reference adds without a match. Before the first such join they only
    // filter its left side, whose rows the right join keeps only where they
    // match: in its ON they drop the same. A full join keeps the others too;
    // no ON can hold them there.
    if (index >= 0 && (!next || kind)) {
        const qsizetype taker = SideTakerAfter(index);
        if (taker >= 0 && !FItems[taker]->GetJoinKind()->IsLeftOuter()) {
            for (TnvLink *link : links) {
                link->SetOwnerDatasource(FItems[taker]);
                link->RecalcLink();
            }
            return;
        }
    }
    TnvUnionSubQuery *unionSubQuery = UnionSubQuery();
    TnvSelectList *selectList = unionSubQuery ? unionSubQuery->SelectList() : nullptr;
    for (TnvLink *link : links) {
        if (selectList && link->GetLinkExpression())
            selectList->AddWhereCondition(link->GetLinkExpression()->Clone());
        TObject::Free(link);
    }
}

qsizetype TnvDatasourceGroup::SideTakerAfter(qsizetype index) const
{
    for (qsizetype j = index + 1; j < FItems.size() && FItems[j]->GetJoinKind(); ++j)
        if (IsOuterJoin(j) && FItems[j]->GetJoinKind()->IsRightOuter())
            return j;
    return -1;
}

qsizetype TnvDatasourceGroup::LowestReach(const TnvLink *link) const
{
    qsizetype lowest = IndexOf(link->OwnerDatasource());
    for (qsizetype k = 0; k < link->SameLevelDatasourcesCount(); ++k)
        if (const qsizetype index = IndexOf(link->SameLevelDatasource(k)); index >= 0)
            lowest = std::min(lowest, index);
    return lowest;
}

bool TnvDatasourceGroup::IsReachedPast(qsizetype index) const
{
    for (const TnvLink *link : FLinks)
        if (link->Place() == lpFrom && IndexOf(link->OwnerDatasource()) > index && LowestReach(link) < index)
            return true;
    return false;
}

bool TnvDatasourceGroup::BringJoinsBeforeTheirComma()
{
    // A cross join in place of the comma would be no remedy where a right or
    // full join follows in the chain: the items before the comma would join
    // that outer join's side that may come out empty. The item, though, joins
    // nothing after the comma; inner joined, it filters the same rows right
    // after the items it names, and the comma stays. It stays where it is
    // when another item's condition names it or an outer join after it in
    // its chain takes it into a side, and where the order is the user's.
    const TnvQueryBuilderModel *qb = QueryBuilder();
    const TnvUnionSubQuery *unionSubQuery = UnionSubQuery();
    if (!qb || !qb->CanReorderDatasources() || !unionSubQuery || !unionSubQuery->ANSIJoins())
        return false;
    const TastNodeClass inner = TSQLJoinKindInner::StaticClassType();
    bool moved = false;
    // The last comma before the item: without one nothing is out of reach.
    qsizetype lastComma = -1;
    for (qsizetype k = 1; k < FItems.size(); ++k) {
        TnvDatasourceBase *item = FItems[k];
        if (!item->GetJoinKind()) {
            lastComma = k;
            continue;
        }
        if (lastComma < 1 || item->GetJoinKindClass() != inner || item->JoinCondition())
            continue;
        qsizetype highest = -1;
        bool owns = false, named = false;
        for (const TnvLink *link : std::as_const(FLinks)) {
            if (link->Place() != lpFrom)
                continue;
            if (link->OwnerDatasource() != item) {
                named = named || link->SameLevelContains(item);
                continue;
            }
            owns = true;
            for (qsizetype r = 0; r < link->SameLevelDatasourcesCount(); ++r)
                if (const TnvDatasourceBase *other = link->SameLevelDatasource(r); other != item)
                    highest = std::max(highest, IndexOf(other));
        }
        if (!owns || named || highest < 0 || highest >= lastComma)
            continue;
        // The first comma after the items it names.
        qsizetype comma = highest + 1;
        while (FItems[comma]->GetJoinKind())
            ++comma;
        bool outerAfter = false;
        for (qsizetype j = k + 1; j < FItems.size() && FItems[j]->GetJoinKind() && !outerAfter; ++j)
            outerAfter = IsOuterJoin(j);
        if (outerAfter)
            continue;
        // Past an outer join the item moves only when the comma stays one:
        // were it cross joined for another condition, the items before it,
        // the moved one among them, would be that outer join's side.
        bool outerBetween = false;
        for (qsizetype j = comma + 1; j < k && !outerBetween; ++j)
            outerBetween = IsOuterJoin(j);
        bool reachedPast = false;
        for (const TnvLink *link : std::as_const(FLinks))
            reachedPast = reachedPast || (link->Place() == lpFrom && link->OwnerDatasource() != item &&
                                          IndexOf(link->OwnerDatasource()) > comma && LowestReach(link) < comma);
        if (outerBetween && reachedPast)
            continue;
        FItems.move(k, comma);
        // The commas after the new place moved one on.
        if (lastComma >= comma)
            ++lastComma;
        moved = true;
    }
    if (moved)
        for (TnvDatasourceBase *item : std::as_const(FItems))
            item->DestroyCachedResultASTs();
    return moved;
}

bool TnvDatasourceGroup::KeepConditionsInReach()
{
    // After a comma what follows is a table reference of its own, whose ON
    // conditions see nothing before the comma; in brackets a comma makes no
    // joined table at all. There the items are cross joined instead.
    const TnvBaseSyntaxProvider *provider = QueryBuilder() ? QueryBuilder()->SyntaxProvider() : nullptr;
    if (!provider || !provider->IsSupportCrossJoin())
        return false;
    // The lowest index each item's conditions reach, of those read from the
    // text and of those drawn since.
    QHash<const TnvDatasourceBase *, qsizetype> reachRead, reachDrawn;
    for (const TnvLink *link : std::as_const(FLinks)) {
        if (link->Place() != lpFrom)
            continue;
        auto &reach = link->IsNew() ? reachDrawn : reachRead;
        const qsizetype lowest = LowestReach(link);
        const auto found = reach.constFind(link->OwnerDatasource());
        reach.insert(link->OwnerDatasource(), found == reach.constEnd() ? lowest : std::min(lowest, found.value()));
    }
    auto reachOf = [&](const TnvDatasourceBase *item, qsizetype index) {
        return std::min(reachRead.value(item, index), reachDrawn.value(item, index));
    };
    // Where each reference after a comma ends, as the items stand now: the
    // walk below goes from the last item back, so what it nests lies after
    // the comma it looks at.
    QList<qsizetype> commas;
    for (qsizetype i = 1; i < FItems.size(); ++i)
        if (!FItems[i]->GetJoinKind())
            commas.append(i);
    bool nested = false;
    QSet<const TnvDatasourceBase *> nestedHere;
    qsizetype readAfter = FItems.size(), drawnAfter = FItems.size();
    for (qsizetype i = FItems.size() - 1; i >= 1; --i) {
        TnvDatasourceBase *item = FItems[i];
        const qsizetype read = reachRead.value(item, i), drawn = reachDrawn.value(item, i);
        if (!item->GetJoinKind() && (!IsRootGroup() || readAfter < i || drawnAfter < i)) {
            // A condition read from the text that reaches past the comma
            // reads it as a cross join in its place, as the text was written.
            // One drawn since joins a reference the comma made whole: a right
            // or full join in it takes what stands before it there as its
            // side, which a cross join would widen to all before the comma.
            // The reference up to its last such join goes in brackets first;
            // the joins after it that reach back past the comma stay outside.
            qsizetype last = -1;
            if (readAfter >= i && drawnAfter < i) {
                const auto next = std::upper_bound(commas.cbegin(), commas.cend(), i);
                const qsizetype end = next == commas.cend() ? FItems.size() : *next;
                for (qsizetype k = i + 1; k < end && reachOf(FItems[k], k) >= i; ++k)
                    if (IsOuterJoin(k) && FItems[k]->GetJoinKind()->IsRightOuter())
                        last = k;
            }
            if (last > i) {
                item = NestItems(i, last - i + 1, nestedHere);
                nested = true;
            }
            item->SetJoinKindClass(TSQLJoinKindCross::StaticClassType());
        }
        readAfter = std::min(readAfter, read);
        drawnAfter = std::min(drawnAfter, drawn);
    }
    return nested;
}

bool TnvDatasourceGroup::MergeItemConditions()
{
    // The conditions an item owns print as one ON, whose terms that are no
    // simple links load back as one link, and each term that joins an item
    // before it to the item as a link of its own: an item that has come to
    // own several of them (handed on, adopted, taken from a group) owns them
    // so here as well, so the join tree is laid out as it is when the text
    // is read back. A condition with sub-queries keeps its link, which holds
    // them.
    const bool split = SplitItemConditions();
    QHash<const TnvDatasourceBase *, TnvLink *> kept;
    QList<TnvLink *> merging;
    QHash<TnvLink *, QList<TnvLink *>> others;
    for (TnvLink *link : std::as_const(FLinks)) {
        if (link->Place() != lpFrom || link->IsSimple() || !link->GetLinkExpression() || link->ProxyCount() > 0)
            continue;
        TnvLink *&first = kept[link->OwnerDatasource()];
        if (!first) {
            first = link;
            continue;
        }
        if (!others.contains(first))
            merging.append(first);
        others[first].append(link);
    }
    for (TnvLink *link : std::as_const(merging)) {
        // In link order, as the ON prints them.
        TOwned<TSQLExpressionAnd> conditions = Create<TSQLExpressionAnd>(link->GetLinkExpression()->SyntaxProvider());
        conditions->Add(link->GetLinkExpression()->Clone());
        bool isNew = link->IsNew();
        for (TnvLink *other : others.value(link)) {
            conditions->Add(other->GetLinkExpression()->Clone());
            isNew = isNew || other->IsNew();
            TObject::Free(other);
        }
        // The copies keep the data sources their columns are bound to, also
        // where an alias has changed since the text was read.
        link->SetLinkParamsInternal(link->OwnerDatasource(), SimplifyLogicalExpression(std::move(conditions)), lpFrom,
                                    isNew);
        if (InvLinkControl *line = link->GetILinkControl()) {
            line->AlignLink();
            line->InvalidateLink();
        }
    }
    return split || !merging.isEmpty();
}

bool TnvDatasourceGroup::SplitItemConditions()
{
    // A term inside a nested group joined two of its items, no link then;
    // with the group given way they are items here.
    bool split = false;
    const QList<TnvLink *> links = FLinks;
    for (TnvLink *link : links) {
        TnvDatasourceBase *owner = link->OwnerDatasource();
        if (link->Place() != lpFrom || link->IsSimple() || link->ProxyCount() > 0 || !owner ||
            !As<TSQLExpressionAnd>(ExpressionRemoveBrackets(link->GetLinkExpression())))
            continue;
        std::vector<TOwned<TSQLExpressionItem>> terms;
        TOwned<TSQLExpressionItem> rest = SplitJoinCondition(
            link->GetLinkExpression()->Clone(),
            [owner](TSQLExpressionItem *term) { return TnvLink::CanLoadExpressionAsSimpleLink(owner, term); },
            [&terms](TOwned<TSQLExpressionItem> term) { terms.push_back(std::move(term)); });
        if (terms.empty())
            continue;
        split = true;
        const bool isNew = link->IsNew();
        // Loading makes the simple links first, in the order of their terms.
        for (TOwned<TSQLExpressionItem> &term : terms) {
            TnvLink *simple = NewModelNode<TnvLink>(this, QueryBuilder());
            simple->SetLinkParamsInternal(owner, std::move(term), lpFrom, isNew);
            FLinks.removeOne(simple);
            FLinks.insert(FLinks.indexOf(link), simple);
            if (owner->ControlsCreated() && simple->CanCreateControls())
                simple->CreateControl();
        }
        if (!rest) {
            TObject::Free(link);
            continue;
        }
        link->SetLinkParamsInternal(owner, std::move(rest), lpFrom, isNew);
        if (InvLinkControl *line = link->GetILinkControl()) {
            line->AlignLink();
            line->InvalidateLink();
        }
    }
    return split;
}

bool TnvDatasourceGroup::OwnsConditions(const TnvDatasourceBase *item) const
{
    if (item->JoinCondition())
        return true;
    for (const TnvLink *link : FLinks)
        if (link->Place() == lpFrom && link->OwnerDatasource() == item)
            return true;
    return false;
}

bool TnvDatasourceGroup::IsOuterJoin(qsizetype index) const
{
    if (index <= 0 || index >= FItems.size())
        return false;
    // An outer join without a condition prints as none; it is a list item.
    return IsOuterKind(FItems[index]->GetJoinKind()) && OwnsConditions(FItems[index]);
}

bool TnvDatasourceGroup::HoldsOuterJoin() const
{
    for (qsizetype i = 1; i < FItems.size(); ++i)
        if (IsOuterJoin(i))
            return true;
    // Binary joins nest the start of a chain: a group in the first place
    // continues it when anything follows.
    const auto *first = FItems.size() > 1 ? As<TnvDatasourceGroup>(FItems.first()) : nullptr;
    return first && first->HoldsOuterJoin();
}

bool TnvDatasourceGroup::KeepsItsItems() const
{
    // An item that leaves stands right after the group, so the items before
    // any outer join further on stay the same; the sides of the group's own
    // outer join and of those in it would not. A group that is all of an
    // outer join's side before it keeps that side as written. Where joins
    // nest two at a time the nesting itself puts items into groups, a list
    // item too when it is part of an operand: they stay where it puts them.
    const TnvDatasourceGroup *parent = Group();
    const TnvBaseSyntaxProvider *provider = QueryBuilder() ? QueryBuilder()->SyntaxProvider() : nullptr;
    if ((provider && provider->IsForceBinaryANSIJoins()) || HoldsOuterJoin())
        return true;
    if (!parent)
        return false;
    const qsizetype index = parent->IndexOf(this);
    return parent->IsOuterJoin(index) || (index == 0 && parent->IsOuterJoin(1));
}

bool TnvDatasourceGroup::IsLoneGroup(const TnvDatasourceBase *item) const
{
    const auto *nested = As<TnvDatasourceGroup>(item);
    if (!nested)
        return false;
    for (const TnvLink *link : FLinks)
        if (link->Place() == lpFrom && link->SameLevelContains(nested))
            return false;
    // In the first place the group's outer joins keep their sides when its
    // items take its place; further on the items before would join them.
    return IndexOf(nested) == 0 || !nested->HoldsOuterJoin();
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
    for (qsizetype i = 0; i < FItems.size();) {
        if (IsLoneGroup(FItems[i]))
            DissolveNestedGroup(static_cast<TnvDatasourceGroup *>(FItems[i]));
        else
            ++i;
    }
}

TnvDatasourceBase *TnvDatasourceGroup::DissolveNestedGroup(TnvDatasourceGroup *nested)
{
    TnvDatasourceBase *first = nested->GetCount() > 0 ? nested->FItems.first() : nullptr;
    // The group's join is its first item's now.
    if (first)
        first->SetJoinKind(nested->GetJoinKind() ? CloneAs(nested->GetJoinKind()) : nullptr);
    qsizetype position = IndexOf(nested);
    while (nested->GetCount() > 0) {
        TnvDatasourceBase *item = nested->FItems.first();
        item->SetGroup(this);
        ExtractInternal(item);
        InsertInternal(++position, item);
    }
    while (nested->GetLinksCount() > 0)
        nested->FLinks.first()->SetDatasourceGroup(this);
    // The group's own condition goes to the item that now stands first in
    // its place.
    const QList<TnvLink *> links = FLinks;
    for (TnvLink *link : links) {
        if (first && link->OwnerDatasource() == nested)
            link->SetOwnerDatasource(first);
        else if (!link->SameLevelContains(nested))
            continue;
        link->RecalcLink();
    }
    TObject::Free(nested);
    return first;
}

TnvDatasourceGroup *TnvDatasourceGroup::NestItems(qsizetype first, qsizetype count,
                                                 QSet<const TnvDatasourceBase *> &nestedHere)
{
    const QList<TnvDatasourceBase *> moving = FItems.mid(first, count);
    auto *nested = NewModelNode<TnvDatasourceGroup>(FRootGroup, this, QueryBuilder());
    nestedHere.insert(nested);
    ExtractInternal(nested);
    nested->SetDatasourceAST(
        Create<TSQLFromItem>(DatasourceAST() ? DatasourceAST()->SyntaxProvider() : SyntaxProvider()));
    for (TnvDatasourceBase *item : moving)
        item->SetGroup(nested);
    InsertInternal(first, nested);
    // Whatever joins the moved items alone goes with them, simple or not;
    // the other links see the group in their place.
    QList<TnvLink *> inside;
    const QList<TnvLink *> links = FLinks;
    for (TnvLink *link : links) {
        bool within = link->SameLevelDatasourcesCount() > 0;
        for (qsizetype k = 0; within && k < link->SameLevelDatasourcesCount(); ++k)
            within = moving.contains(link->SameLevelDatasource(k));
        if (within) {
            inside.append(link);
            continue;
        }
        for (TnvDatasourceBase *item : moving)
            link->MoveDatasourceIntoGroup(item, nested);
    }
    for (TnvLink *link : std::as_const(inside))
        link->SetDatasourceGroup(nested);
    return nested;
}

void TnvDatasourceGroup::NestBinary(QSet<const TnvDatasourceBase *> &nestedHere)
{
    // A chain runs from an item without join kind to the next one. An item
    // that joins items before its chain (an outer join, whose side before it
    // is all that stands before it, or an item whose condition reaches back)
    // needs all before it as one operand, nested in turn.
    qsizetype last = -1;
    qsizetype chainStart = 0;
    for (qsizetype i = 1; i < FItems.size(); ++i) {
        if (!FItems[i]->GetJoinKind()) {
            chainStart = i;
            continue;
        }
        bool reachesBack = IsOuterJoin(i) && chainStart > 0;
        for (const TnvLink *link : std::as_const(FLinks)) {
            if (reachesBack || link->Place() != lpFrom || link->OwnerDatasource() != FItems[i])
                continue;
            for (qsizetype k = 0; k < link->SameLevelDatasourcesCount() && !reachesBack; ++k)
                reachesBack = IndexOf(link->SameLevelDatasource(k)) < chainStart;
        }
        if (reachesBack)
            last = i;
    }
    if (last > 1)
        NestItems(0, last, nestedHere)->NestBinary(nestedHere);
    // Each chain nests left-deep: ((a b) c) d.
    qsizetype start = 0;
    while (start < FItems.size()) {
        qsizetype end = start + 1;
        while (end < FItems.size() && FItems[end]->GetJoinKind())
            ++end;
        for (; end - start > 2; --end)
            NestItems(start, 2, nestedHere);
        start = end;
    }
}

void TnvDatasourceGroup::ReorderANSIJoins(int round)
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    TnvBaseSyntaxProvider *provider = qb->SyntaxProvider();
    // Empty nested groups take no part, lest they join a set of their own;
    // brackets around one item go.
    TidyNestedGroups();
    MergeItemConditions();
    TnvDatasourceGroup *parent = Group();
    if (!parent)
        DissolveLoneGroups();

    // Outer joins keep their places: the items before one are its one side
    // and the item the other, and its ON condition stays its own. Between
    // them run items that inner joins, cross joins and commas join; only
    // those trade places, and only among themselves, and their conditions
    // move only among them.
    std::vector<QList<TnvDatasourceBase *>> runs(1);
    QList<TnvDatasourceBase *> outerJoins;
    QHash<const TnvDatasourceBase *, qsizetype> order;
    QHash<const TnvDatasourceBase *, size_t> runOf;
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        order.insert(FItems[i], i);
        if (IsOuterJoin(i)) {
            outerJoins.append(FItems[i]);
            runs.emplace_back();
        } else {
            runOf.insert(FItems[i], runs.size() - 1);
            runs.back().append(FItems[i]);
        }
    }
    std::vector<QList<TnvLink *>> runLinks(runs.size());
    for (TnvLink *link : std::as_const(FLinks))
        if (link->Place() == lpFrom)
            if (auto found = runOf.constFind(link->OwnerDatasource()); found != runOf.constEnd())
                runLinks[found.value()].append(link);

    // Unlinked items of a nested group belong to its parent group, unless
    // the group keeps its items.
    const bool mayLeave = parent && !KeepsItsItems();
    // Every run is laid out before anything changes, so a run that cannot be
    // laid out leaves the group as it is.
    std::vector<std::vector<TLaidChain>> chains(runs.size());
    TDatasourcesSets leaving;
    QSet<const TnvDatasourceBase *> before;
    for (size_t r = 0; r < runs.size(); ++r) {
        TnvDatasourceBase *base = nullptr;
        if (r > 0) {
            for (const TnvDatasourceBase *item : std::as_const(runs[r - 1]))
                before.insert(item);
            base = outerJoins[qsizetype(r) - 1];
            before.insert(base);
        }
        if (!LayoutRun(runs[r], runLinks[r], before, base, order, provider, chains[r], mayLeave ? &leaving : nullptr)) {
            // Conditions that went on from the first item may let the next
            // round lay the items out, as reading the text back would. Items
            // kept where they stand may have come to own conditions that
            // reach past a comma.
            const bool moved = KeepItemsAsTheyStand();
            const bool bracketed = KeepConditionsInReach();
            if (round < MaxRounds && (moved || bracketed || (!parent && HasLoneGroup({}))))
                ReorderANSIJoins(round + 1);
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
            // A list item of its own; cross joined before an outer join, so
            // that the outer join's side still takes it in, and where a later
            // ON condition reaches past it.
            const qsizetype index = parent->IndexOf(item);
            bool outerJoinAfter = false;
            for (qsizetype i = index + 1; i < parent->GetCount() && !outerJoinAfter; ++i)
                outerJoinAfter = parent->IsOuterJoin(i);
            const bool cross = (outerJoinAfter || parent->IsReachedPast(index)) && provider &&
                               provider->IsSupportCrossJoin();
            item->SetJoinKindClass(cross ? TSQLJoinKindCross::StaticClassType() : nullptr);
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
    // A group that gave up all it held leaves its join (a comma, say) to the
    // item that now stands in its place.
    if (!leaving.empty() && GetCount() == 0) {
        TnvDatasourceBase *first = parent->GetItems(parent->IndexOf(this) + 1);
        first->SetJoinKind(GetJoinKind() ? CloneAs(GetJoinKind()) : nullptr);
    }

    // The runs follow one another, each outer join between the two it
    // parts, and in each run its chains.
    FItems.clear();
    std::vector<const TPlacement *> placements;
    for (size_t r = 0; r < runs.size(); ++r) {
        if (r > 0)
            FItems.append(outerJoins[qsizetype(r) - 1]);
        for (const TLaidChain &laid : chains[r]) {
            for (size_t k = 0; k < laid.Chain.size(); ++k) {
                const TPlacement &placement = laid.Chain[k];
                TnvDatasourceBase *item = placement.Item;
                for (TnvLink *link : std::as_const(placement.Flips)) {
                    link->FlipLink();
                    // The link belongs to the item it now joins, also when
                    // the end it turned to lies inside that item.
                    if (link->OwnerDatasource() != item && item->ContainsDatasource(link->OwnerDatasource(), true))
                        link->SetOwnerDatasource(item);
                }
                if (k == 0 && !laid.JoinsBefore) {
                    // A list item. Before an outer join, though, one that
                    // was joined stays cross joined: a comma there would make
                    // what follows a table reference of its own, and the
                    // outer join's side would no longer take it in.
                    const bool cross = !FItems.isEmpty() && r < runs.size() - 1 && item->GetJoinKind() &&
                                       provider && provider->IsSupportCrossJoin();
                    item->SetJoinKindClass(cross ? TSQLJoinKindCross::StaticClassType() : nullptr);
                } else if (item->GetJoinKindClass() != placement.KindClass) {
                    item->SetJoinKindClass(placement.KindClass);
                }
                FItems.append(item);
                placements.push_back(&placement);
            }
        }
    }
    // A link works itself out against the items of its group, so the items
    // stand in the list before links are adopted.
    bool adopted = false;
    for (const TPlacement *placement : placements) {
        for (TnvLink *link : placement->Adopted) {
            if (link->OwnerDatasource() == placement->Item)
                continue;
            link->SetOwnerDatasource(placement->Item);
            link->RecalcLink();
            adopted = true;
        }
    }
    SeatFirstItemConditions();
    const bool brought = BringJoinsBeforeTheirComma();
    const bool bracketed = KeepConditionsInReach();
    const bool merged = MergeItemConditions();
    // The groups that binary nesting makes here.
    QSet<const TnvDatasourceBase *> nestedHere;
    if (FItems.size() > 2 && provider && provider->IsForceBinaryANSIJoins())
        NestBinary(nestedHere);
    for (TnvDatasourceBase *item : std::as_const(FItems))
        item->DestroyCachedResultASTs();
    // Links that went to other owners join other sets than before, and may
    // leave a nested group untouched (it then gives way): the rebuild runs
    // again on what it made, as it would when the text is read back, until
    // nothing moves (a few rounds at most).
    if (round < MaxRounds && (adopted || brought || bracketed || merged || (!parent && HasLoneGroup(nestedHere))))
        ReorderANSIJoins(round + 1);
}

} // namespace nvqb
