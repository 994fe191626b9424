#include "sqlmodel/ast/AstOwnedNodes.h"
#include "classlib/Assert.h"

namespace nvqb {

TastNodeBase *TastOwnedNodes::At(qsizetype index) const
{
    if (index < 0 || index >= Count())
        ListIndexError(index);
    return FItems[size_t(index)].get();
}

qsizetype TastOwnedNodes::Add(TOwned<TastNodeBase> node)
{
    FItems.push_back(std::move(node));
    return Count() - 1;
}

void TastOwnedNodes::Insert(qsizetype index, TOwned<TastNodeBase> node)
{
    if (index < 0 || index > Count())
        ListIndexError(index);
    FItems.insert(FItems.begin() + index, std::move(node));
}

void TastOwnedNodes::Set(qsizetype index, TOwned<TastNodeBase> node)
{
    if (index < 0 || index >= Count())
        ListIndexError(index);
    TOwned<TastNodeBase> old = std::exchange(FItems[size_t(index)], std::move(node));
}

TOwned<TastNodeBase> TastOwnedNodes::Extract(qsizetype index)
{
    if (index < 0 || index >= Count())
        ListIndexError(index);
    TOwned<TastNodeBase> node = std::move(FItems[size_t(index)]);
    FItems.erase(FItems.begin() + index);
    return node;
}

TOwned<TastNodeBase> TastOwnedNodes::Extract(const TastNodeBase *node)
{
    qsizetype index = node ? IndexOf(node) : -1;
    return index >= 0 ? Extract(index) : nullptr;
}

void TastOwnedNodes::Delete(qsizetype index) { TOwned<TastNodeBase> removed = Extract(index); }

qsizetype TastOwnedNodes::Remove(const TastNodeBase *node)
{
    qsizetype index = node ? IndexOf(node) : -1;
    if (index >= 0)
        Delete(index);
    return index;
}

qsizetype TastOwnedNodes::IndexOf(const TastNodeBase *node) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == node)
            return qsizetype(i);
    return -1;
}

void TastOwnedNodes::Clear()
{
    std::vector<TOwned<TastNodeBase>> items;
    items.swap(FItems);
    TastNodeBase::FreeNodes(items);
}

void TastOwnedNodes::SetCount(qsizetype count)
{
    if (count < 0)
        ListIndexError(count);
    while (Count() > count)
        Delete(Count() - 1);
    FItems.resize(size_t(count));
}

void TastOwnedNodes::AppendTo(TastNodesList &list) const
{
    for (const auto &item : FItems)
        if (item)
            list.append(item.get());
}

void TastOwnedNodes::CloneFrom(const TastOwnedNodes &source)
{
    if (&source == this)
        return;
    // Clone everything first: the source may lie inside one of our items.
    // (Within Assign the copies may still wait to be filled; Assign copies
    // from a snapshot when the source lies inside the node, so what they are
    // filled from is not freed here.)
    std::vector<TOwned<TastNodeBase>> copies;
    copies.reserve(source.FItems.size());
    for (const auto &item : source.FItems)
        copies.push_back(TastNodeBase::CloneChild(item.get()));
    Clear();
    FItems.swap(copies);
}

void TastOwnedNodes::ReplaceByProxies(TnvBaseSyntaxProvider *provider, TObject *owner, TastProxyClass proxyClass)
{
    for (auto &item : FItems) {
        if (item && item->InheritsFrom(proxyClass->SubjectClass) && !item->InheritsFrom(proxyClass->ProxyClass)) {
            TOwned<TastNodeBase> subject = std::move(item);
            item = proxyClass->Create(provider, std::move(subject), owner);
        }
    }
}

} // namespace nvqb
