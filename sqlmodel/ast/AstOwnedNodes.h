#pragma once
// The owned item list of the node classes that keep an ordered list of
// children beside their registered fields (expression lists, union operands,
// FROM chains) but do not derive from TastNodeWithList. Unlike a node list it
// does not hand its provider to the nodes put into it.
#include "sqlmodel/ast/AstNode.h"

#include <vector>

namespace nvqb {

class TastOwnedNodes {
public:
    TastOwnedNodes() = default;
    TastOwnedNodes(const TastOwnedNodes &) = delete;
    TastOwnedNodes &operator=(const TastOwnedNodes &) = delete;
    ~TastOwnedNodes() { Clear(); }

    qsizetype Count() const { return qsizetype(FItems.size()); }
    // Index checked: EListError outside the list.
    TastNodeBase *At(qsizetype index) const;
    qsizetype Add(TOwned<TastNodeBase> node);
    void Insert(qsizetype index, TOwned<TastNodeBase> node);
    // Replaces the entry; the node held before is freed after the new one is in.
    void Set(qsizetype index, TOwned<TastNodeBase> node);
    TOwned<TastNodeBase> Extract(qsizetype index);
    // Nil when the node is not in the list.
    TOwned<TastNodeBase> Extract(const TastNodeBase *node);
    void Delete(qsizetype index);
    qsizetype Remove(const TastNodeBase *node);
    qsizetype IndexOf(const TastNodeBase *node) const;
    // Frees the items, the last first.
    void Clear();
    // Growing adds nil entries, shrinking frees the entries cut off.
    void SetCount(qsizetype count);

    // The non-nil items in order.
    void AppendTo(TastNodesList &list) const;
    // Clears, then appends a clone of each item of Source (nil stays nil).
    void CloneFrom(const TastOwnedNodes &source);
    // Wraps every item of the proxy's subject class into a proxy.
    void ReplaceByProxies(TnvBaseSyntaxProvider *provider, TObject *owner, TastProxyClass proxyClass);

private:
    std::vector<TOwned<TastNodeBase>> FItems;
};

} // namespace nvqb
