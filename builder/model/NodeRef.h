#pragma once
// References between model nodes that are not ownership: a link's ends and
// owner, the group an item stands in, the data sources an expression touches.
// The node referred to may go first, so each reference is tracked and reads
// nil from the moment the node starts its destruction. While that node runs
// its destruction steps it asks the other nodes whether they can live
// without it; for that question a reference still tells whether it was made
// to that node (RefersTo), though it no longer hands it out.
#include "sqlmodel/ast/TrackedReference.h"

#include <QtGlobal>
#include <memory>
#include <vector>

namespace nvqb {

template <class T> class TnvNodeRef {
public:
    TnvNodeRef() = default;
    TnvNodeRef(const TnvNodeRef &) = delete;
    TnvNodeRef &operator=(const TnvNodeRef &) = delete;

    // Nil once the node started going.
    T *get() const { return FRef.get(); }
    T *operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }

    void reset(T *node = nullptr)
    {
        if (node)
            FRef.reset(node);
        else
            FRef.reset();
        FIdentity = node;
    }
    // Whether the reference was made to Node, also while Node is going.
    bool RefersTo(const TnvRefTarget *node) const { return node && FIdentity == node; }

private:
    TnvTrackedRef<T> FRef;
    const TnvRefTarget *FIdentity = nullptr;
};

// An ordered list of such references. Readers see nil for an entry whose
// node started going; the owner of the list drops such entries (Purge) when
// it hears of the going node.
template <class T> class TnvNodeRefList {
public:
    TnvNodeRefList() = default;
    TnvNodeRefList(const TnvNodeRefList &) = delete;
    TnvNodeRefList &operator=(const TnvNodeRefList &) = delete;

    qsizetype size() const { return qsizetype(FItems.size()); }
    bool isEmpty() const { return FItems.empty(); }
    T *at(qsizetype index) const { return FItems[size_t(index)]->get(); }
    T *first() const { return at(0); }

    qsizetype indexOf(const T *node) const
    {
        if (!node)
            return -1;
        for (size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i]->get() == node)
                return qsizetype(i);
        return -1;
    }
    bool contains(const T *node) const { return indexOf(node) >= 0; }
    bool RefersTo(const TnvRefTarget *node) const
    {
        for (const auto &item : FItems)
            if (item->RefersTo(node))
                return true;
        return false;
    }

    void append(T *node) { insert(size(), node); }
    void insert(qsizetype index, T *node)
    {
        auto ref = std::make_unique<TnvNodeRef<T>>();
        ref->reset(node);
        FItems.insert(FItems.begin() + index, std::move(ref));
    }
    void replace(qsizetype index, T *node) { FItems[size_t(index)]->reset(node); }
    void removeAt(qsizetype index) { FItems.erase(FItems.begin() + index); }
    bool removeOne(const T *node)
    {
        const qsizetype index = indexOf(node);
        if (index < 0)
            return false;
        removeAt(index);
        return true;
    }
    void clear() { FItems.clear(); }
    // Drops the entries made to Node and those whose node has gone.
    void Purge(const TnvRefTarget *node)
    {
        for (size_t i = FItems.size(); i-- > 0;)
            if (FItems[i]->RefersTo(node) || !FItems[i]->get())
                FItems.erase(FItems.begin() + qsizetype(i));
    }

private:
    std::vector<std::unique_ptr<TnvNodeRef<T>>> FItems;
};

} // namespace nvqb
