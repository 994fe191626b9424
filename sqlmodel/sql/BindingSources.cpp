#include "sqlmodel/sql/BindingSources.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/sql/NameFoldKeys.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/sql/SQLFromClause.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace nvqb {

namespace {

// The indexes of the walk in progress: one per list the walk binds against
// (a walk may bind parts of a tree against lists of their own).
struct TBindingIndexes {
    quint64 Serial = 0;
    std::vector<std::unique_ptr<TSQLBindingSources>> Indexes;
    std::vector<const TastNodeRefList *> Lists;
    std::vector<int> Lookups;
};

constexpr size_t MaxLists = 4;
// A walk that binds a few columns (an expression typed into the grid) asks
// every source: making the index would cost more than it saves.
constexpr int LookupsBeforeIndex = 4;

TBindingIndexes &Indexes()
{
    static thread_local TBindingIndexes indexes;
    return indexes;
}

void InsertSorted(std::vector<qsizetype> &positions, qsizetype position)
{
    if (positions.empty() || positions.back() < position) {
        positions.push_back(position);
        return;
    }
    const auto at = std::lower_bound(positions.begin(), positions.end(), position);
    if (at == positions.end() || *at != position)
        positions.insert(at, position);
}

void EraseSorted(std::vector<qsizetype> &positions, qsizetype position)
{
    if (!positions.empty() && positions.back() == position) {
        positions.pop_back();
        return;
    }
    const auto at = std::lower_bound(positions.begin(), positions.end(), position);
    if (at != positions.end() && *at == position)
        positions.erase(at);
}

void EraseFiled(QHash<size_t, std::vector<qsizetype>> &filed, size_t key, qsizetype position)
{
    const auto found = filed.find(key);
    if (found == filed.end())
        return;
    EraseSorted(*found, position);
    if (found->empty())
        filed.erase(found);
}

} // namespace

TSQLBindingSources *TSQLBindingSources::For(const TastNodeRefList &fromSources)
{
    const quint64 serial = TastNodeBase::BindingWalkSerial();
    if (serial == 0)
        return nullptr;
    TBindingIndexes &all = Indexes();
    if (all.Serial != serial) {
        all.Indexes.clear();
        all.Lists.clear();
        all.Lookups.clear();
        all.Serial = serial;
    }
    size_t at = 0;
    while (at < all.Lists.size() && all.Lists[at] != &fromSources)
        ++at;
    if (at == all.Lists.size()) {
        if (all.Lists.size() >= MaxLists) {
            all.Lists.erase(all.Lists.begin());
            all.Indexes.erase(all.Indexes.begin());
            all.Lookups.erase(all.Lookups.begin());
            --at;
        }
        all.Indexes.push_back(nullptr);
        all.Lists.push_back(&fromSources);
        all.Lookups.push_back(0);
    }
    if (!all.Indexes[at]) {
        if (++all.Lookups[at] <= LookupsBeforeIndex)
            return nullptr;
        all.Indexes[at] = std::make_unique<TSQLBindingSources>();
    }
    TSQLBindingSources *index = all.Indexes[at].get();
    index->Sync(fromSources);
    return index;
}

void TSQLBindingSources::FieldsChanged(const TSQLFromSource *source)
{
    TBindingIndexes &all = Indexes();
    if (all.Serial == 0 || all.Serial != TastNodeBase::BindingWalkSerial())
        return;
    for (const auto &index : all.Indexes) {
        if (!index)
            continue;
        const auto found = index->FPositions.constFind(source);
        if (found == index->FPositions.cend())
            continue;
        for (const qsizetype position : *found) {
            index->UnfileFields(position);
            index->FileFields(position);
        }
    }
}

void TSQLBindingSources::Sync(const TastNodeRefList &list)
{
    // The walk appends sources and cuts them back: what the list still
    // shares with the index from its start stays filed.
    const size_t count = size_t(list.size());
    const size_t common = std::min(count, FNodes.size());
    size_t same = common;
    if (common && std::memcmp(list.constData(), FNodes.data(), common * sizeof(const TastNodeBase *)) != 0)
        same = size_t(std::mismatch(FNodes.begin(), FNodes.begin() + qsizetype(common), list.cbegin()).first -
                       FNodes.begin());
    while (FNodes.size() > same)
        Pop();
    for (size_t i = same; i < count; ++i)
        Append(list[qsizetype(i)]);
}

void TSQLBindingSources::Append(const TastNodeBase *node)
{
    const qsizetype position = qsizetype(FNodes.size());
    TEntry entry;
    if (const auto *source = As<TSQLFromSource>(node)) {
        // A source is asked for a column's leftmost part through its alias,
        // or through its object name when it has none.
        const TastToken *leftmost = nullptr;
        if (source->Alias && source->Alias->Identifier)
            leftmost = source->Alias->Identifier.get();
        else if (const auto *object = As<TSQLFromObject>(source); object && !IsQualifiedNameEmpty(object->ObjectName.get()))
            leftmost = object->ObjectName->GetItems(object->ObjectName->GetCount() - 1);
        if (leftmost) {
            entry.ByName = true;
            entry.NameKeyed = TextFoldKey(leftmost->Text(), entry.NameKey);
            if (entry.NameKeyed)
                FByName[entry.NameKey].push_back(position);
            else
                FNameUnkeyed.push_back(position);
        }
    }
    FNodes.push_back(node);
    FEntries.push_back(std::move(entry));
    FPositions[node].append(position);
    FileFields(position);
}

void TSQLBindingSources::Pop()
{
    const qsizetype position = qsizetype(FNodes.size()) - 1;
    UnfileFields(position);
    const TEntry &entry = FEntries.back();
    if (entry.ByName) {
        if (entry.NameKeyed)
            EraseFiled(FByName, entry.NameKey, position);
        else
            EraseSorted(FNameUnkeyed, position);
    }
    const auto found = FPositions.find(FNodes.back());
    if (found != FPositions.end()) {
        found->removeAll(position);
        if (found->isEmpty())
            FPositions.erase(found);
    }
    FNodes.pop_back();
    FEntries.pop_back();
}

void TSQLBindingSources::FileFields(qsizetype position)
{
    TEntry &entry = FEntries[size_t(position)];
    const auto *source = As<TSQLFromSource>(FNodes[size_t(position)]);
    const TnvMetadataFieldsList *fields = source ? source->FieldsList() : nullptr;
    if (!fields)
        return;
    for (qsizetype i = 0; i < fields->Count(); ++i) {
        const TSQLQualifiedName *name = fields->Items(i)->Name();
        // A field without a name matches no column.
        if (IsQualifiedNameEmpty(name))
            continue;
        size_t key = 0;
        if (!NameFoldKey(name, key)) {
            entry.FieldUnkeyed = true;
            continue;
        }
        if (std::find(entry.FieldKeys.begin(), entry.FieldKeys.end(), key) == entry.FieldKeys.end()) {
            entry.FieldKeys.push_back(key);
            InsertSorted(FByField[key], position);
        }
    }
    if (entry.FieldUnkeyed)
        InsertSorted(FFieldUnkeyed, position);
}

void TSQLBindingSources::UnfileFields(qsizetype position)
{
    TEntry &entry = FEntries[size_t(position)];
    for (const size_t key : entry.FieldKeys)
        EraseFiled(FByField, key, position);
    entry.FieldKeys.clear();
    if (entry.FieldUnkeyed)
        EraseSorted(FFieldUnkeyed, position);
    entry.FieldUnkeyed = false;
}

qsizetype TSQLBindingSources::LastTaking(const size_t *leftmostKey, size_t nameKey,
                                         const std::function<bool(qsizetype)> &take) const
{
    static const std::vector<qsizetype> none;
    auto filed = [](const QHash<size_t, std::vector<qsizetype>> &hash, size_t key) -> const std::vector<qsizetype> & {
        const auto found = hash.constFind(key);
        return found == hash.cend() ? none : *found;
    };
    const std::vector<qsizetype> *lists[] = {
        leftmostKey ? &filed(FByName, *leftmostKey) : &none,
        leftmostKey ? &FNameUnkeyed : &none,
        &filed(FByField, nameKey),
        &FFieldUnkeyed,
    };
    // The four ascending lists merged from their ends, each position once.
    size_t left[4];
    for (size_t i = 0; i < 4; ++i)
        left[i] = lists[i]->size();
    qsizetype previous = -1;
    for (;;) {
        qsizetype next = -1;
        for (size_t i = 0; i < 4; ++i)
            if (left[i])
                next = std::max(next, (*lists[i])[left[i] - 1]);
        if (next < 0)
            return -1;
        for (size_t i = 0; i < 4; ++i)
            if (left[i] && (*lists[i])[left[i] - 1] == next)
                --left[i];
        if (next != previous && take(next))
            return next;
        previous = next;
    }
}

} // namespace nvqb
