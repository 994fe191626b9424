#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLFromClause.h"

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
            AddLoadedLink(std::move(term), lpWhere);
        });
}

void TnvDatasourceGroup::AddLoadedLink(TOwned<TSQLExpressionItem> expression, TnvQueryBuilderLinkPlace place)
{
    TnvLink *link = AddLinkAST(nullptr, std::move(expression), place, false);
    if (ControlsCreated() && link->CanCreateControls())
        link->CreateControl();
}

void TnvDatasourceGroup::CollectWhereLinks(QList<TnvLink *> &links) const
{
    for (TnvDatasourceBase *item : std::as_const(FItems))
        if (const auto *nested = As<TnvDatasourceGroup>(item))
            nested->CollectWhereLinks(links);
    for (TnvLink *link : std::as_const(FLinks))
        if (link->Place() == lpWhere && link->GetLinkExpression())
            links.append(link);
}

QList<TnvLink *> TnvDatasourceGroup::WhereLinks() const
{
    QList<TnvLink *> links;
    CollectWhereLinks(links);
    return links;
}

void TnvDatasourceGroup::GetWhereJoinConditions(TOwned<TSQLExpressionItem> &andNode)
{
    for (const TnvLink *link : WhereLinks()) {
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
    // Every operand of the AND that joins them is bracketed when it is an
    // OR: the criteria columns of the grid make one, and each join must hold
    // for all of them.
    auto *joins = static_cast<TSQLExpressionAnd *>(collected.get());
    auto term = [](TOwned<TastNodeBase> node) {
        return BracketIfOr(TOwned<TSQLExpressionItem>(static_cast<TSQLExpressionItem *>(node.release())));
    };
    if (auto *conditions = As<TSQLExpressionAnd>(condition.get())) {
        for (qsizetype i = conditions->GetCount() - 1; i >= 0; --i)
            conditions->Insert(i, term(conditions->Extract(i)));
        for (qsizetype i = joins->GetCount() - 1; i >= 0; --i)
            conditions->Insert(0, term(joins->Extract(i)));
        return condition;
    }
    for (qsizetype i = joins->GetCount() - 1; i >= 0; --i)
        joins->Insert(i, term(joins->Extract(i)));
    joins->Add(BracketIfOr(std::move(condition)));
    return collected;
}

namespace {

// Every link of the group and of the groups in it, placed so; the ON
// conditions in the order FROM prints them.
void CollectLinks(TnvDatasourceGroup *group, TnvQueryBuilderLinkPlace place, QList<TnvLink *> &links)
{
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvDatasourceBase *item = group->GetItems(i);
        if (auto *nested = As<TnvDatasourceGroup>(item))
            CollectLinks(nested, place, links);
        for (qsizetype k = 0; k < group->GetLinksCount(); ++k) {
            TnvLink *link = group->GetLink(k);
            if (link->Place() == place && link->OwnerDatasource() == item)
                links.append(link);
        }
    }
    for (qsizetype k = 0; k < group->GetLinksCount(); ++k) {
        TnvLink *link = group->GetLink(k);
        if (link->Place() == place && !links.contains(link))
            links.append(link);
    }
}

// The link's condition, the link gone.
TOwned<TSQLExpressionItem> TakeCondition(TnvLink *link)
{
    TOwned<TSQLExpressionItem> expression = link->GetLinkExpression() ? link->GetLinkExpression()->Clone() : nullptr;
    TObject::Free(link);
    return expression;
}

bool HasOuterJoin(const TnvDatasourceGroup *group)
{
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        const TnvDatasourceBase *item = group->GetItems(i);
        const TSQLJoinKind *kind = i > 0 ? item->GetJoinKind() : nullptr;
        if (kind && (kind->IsLeftOuter() || kind->IsRightOuter()))
            return true;
        if (const auto *nested = As<TnvDatasourceGroup>(item); nested && HasOuterJoin(nested))
            return true;
    }
    return false;
}

} // namespace

void TnvDatasourceGroup::MoveJoinsToWhere()
{
    auto bracket = UpdateBracket(this);
    // The ON conditions, in the order FROM prints them (none when an outer
    // join keeps them in FROM).
    auto conditions = Create<TSQLExpressionAnd>(SyntaxProvider());
    if (!HasOuterJoin(this)) {
        // ON conditions kept as loaded go as well.
        LoadJoins();
        QList<TnvLink *> links;
        CollectLinks(this, lpFrom, links);
        // Brackets only group joins: the items come up into one list.
        for (qsizetype i = 0; i < FItems.size();) {
            if (auto *nested = As<TnvDatasourceGroup>(FItems[i]))
                DissolveNestedGroup(nested);
            else
                ++i;
        }
        for (TnvDatasourceBase *item : std::as_const(FItems))
            if (item->GetJoinKind())
                item->SetJoinKind(nullptr);
        for (TnvLink *link : std::as_const(links))
            if (TOwned<TSQLExpressionItem> condition = TakeCondition(link))
                conditions->Add(BracketIfOr(std::move(condition)));
    }
    // WHERE is then read as loading the printed text reads it: the terms
    // that join two sources become WHERE links, the rest criteria.
    ReadWhereAsLoaded(std::move(conditions));
}

void TnvDatasourceGroup::ReadWhereJoinsFromCriteria()
{
    auto bracket = UpdateBracket(this);
    ReadWhereAsLoaded(Create<TSQLExpressionAnd>(SyntaxProvider()));
}

void TnvDatasourceGroup::ReadWhereAsLoaded(TOwned<TSQLExpressionAnd> conditions)
{
    TnvUnionSubQuery *unionSubQuery = UnionSubQuery();
    TnvSelectList *selectList = unionSubQuery ? unionSubQuery->SelectList() : nullptr;
    TOwned<TSQLExpressionItem> criteria = selectList ? selectList->GetConditionTree(WhereGroupByTypes) : nullptr;
    const bool moved = conditions->GetCount() > 0;
    if (criteria)
        conditions->Add(BracketIfOr(std::move(criteria)));
    if (conditions->GetCount() == 0)
        return;
    // The conditions are copies, of links and cells that go: read as text.
    BindAsRead(conditions.get());
    bool found = false;
    TOwned<TSQLExpressionItem> rest = LoadWhereJoins(std::move(conditions), found);
    if (selectList && (moved || found))
        selectList->ReplaceWhereCriteria(std::move(rest));
}

void TnvDatasourceGroup::MoveJoinsToFrom()
{
    QList<TnvLink *> links;
    CollectLinks(this, lpWhere, links);
    for (const TnvLink *link : std::as_const(links))
        if (link->LeftType() == ltOuter || link->RightType() == ltOuter)
            return;
    auto bracket = UpdateBracket(this);
    LoadJoins();
    if (HasOuterJoin(this)) {
        // In an ON condition a join would keep rows of an outer join that
        // WHERE drops: the joins stay in WHERE, as criteria now, the way
        // loading the printed text reads them.
        TnvUnionSubQuery *unionSubQuery = UnionSubQuery();
        TnvSelectList *selectList = unionSubQuery ? unionSubQuery->SelectList() : nullptr;
        auto conditions = Create<TSQLExpressionAnd>(SyntaxProvider());
        for (TnvLink *link : WhereLinks())
            if (TOwned<TSQLExpressionItem> condition = selectList ? TakeCondition(link) : nullptr)
                conditions->Add(BracketIfOr(std::move(condition)));
        if (conditions->GetCount() > 0) {
            if (TOwned<TSQLExpressionItem> criteria = selectList->GetConditionTree(WhereGroupByTypes))
                conditions->Add(BracketIfOr(std::move(criteria)));
            selectList->ReplaceWhereCriteria(std::move(conditions));
        }
        NotifyReorderNeeded();
        return;
    }
    for (TnvLink *link : std::as_const(links))
        if (TOwned<TSQLExpressionItem> expression = TakeCondition(link)) {
            BindAsRead(expression.get());
            AddLoadedLink(std::move(expression), lpFrom);
        }
    NotifyReorderNeeded();
}

} // namespace nvqb
