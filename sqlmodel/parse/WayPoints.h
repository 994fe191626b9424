#pragma once
// Way points: the steps of the parse paths that the first parser pass follows
// all at once. A path is the chain from a way point up through its parents;
// paths share their common beginning. Way points are counted by hand and
// recycled through a per-thread pool, and the lists of live paths come from a
// pool too, so a step of the first pass allocates nothing once the pools have
// grown to the largest parse so far.
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

namespace nvqb {

class TnvWayPoint {
public:
    // A step records a choice. A link stands for a stretch of path that the
    // first pass worked out once and shares between the paths that reach the
    // same rule at the same token: its target is the last way point of that
    // stretch, which starts below a memo root of its own; the second pass
    // reads the stretch in its place (see TnvBaseParser::UnrollWay).
    enum class TKind : quint8 { Step, Link, MemoRoot };

    int RefCount() const { return FRefCount; }
    TKind Kind() const { return FKind; }
    bool IsLink() const { return FKind == TKind::Link; }
    bool IsMemoRoot() const { return FKind == TKind::MemoRoot; }
    // The last way point of the stretch a link stands for; nil for other kinds.
    TnvWayPoint *LinkTarget() const;
    TnvWayPoint *GetParent() const { return FParent; }
    int TokenIndex() const { return FTokenIndex; }
    int GetData() const { return FData; }
    void SetData(int value) { FData = value; }
    // Consumes one token on this path and returns its index.
    int NextToken() { return ++FTokenIndex; }
    // The way points of the path, this one included (the root alone has depth 1).
    int GetDepth() const;

    void _AddRef() { ++FRefCount; }
    // At 0 references the way point goes back to the pool.
    void _Release()
    {
        if (FRefCount <= 1)
            ReleaseLast();
        else
            --FRefCount;
    }

private:
    friend class TnvQBWayPointsCache;
    // The last reference (or one too many): checked, then pooled.
    void ReleaseLast();
    TnvWayPoint *FParent = nullptr;
    int FRefCount = 0;
    int FTokenIndex = -1;
    // The choice; for a link, its slot in the pool's link targets.
    int FData = 0;
    TKind FKind = TKind::Step;
    bool FPooled = false;
};

// The pool of free way points of the calling thread. Way points come from
// slabs, handed out in slab order; a way point given back is taken again
// first. Whenever no way point is in use the pool starts over from the front
// of its first slab, so that every parse finds its way points in the same
// order, close together, however the parse before left them.
class TnvQBWayPointsCache {
public:
    // Slabs the pool keeps when it is trimmed: enough for any ordinary
    // statement (a few thousand way points) to allocate nothing.
    static constexpr int KeptSlabs = 64;
    static constexpr int SlabSize = 1024;

    TnvQBWayPointsCache();
    ~TnvQBWayPointsCache();
    // A way point with no references, a counted reference to `parent`, the
    // parent's token index (-1 without parent) and `data`.
    TnvWayPoint *Get(TnvWayPoint *parent, int data)
    {
        TnvWayPoint *w;
        if (FInUse == 0)
            StartOver();
        if (FFreeHead) {
            w = FFreeHead;
            FFreeHead = w->FParent;
        } else {
            if (FNext == FEnd)
                NextSlab();
            w = FNext++;
        }
        ++FInUse;
        ++FHandedOut;
        w->FPooled = false;
        w->FKind = TnvWayPoint::TKind::Step;
        w->FRefCount = 0;
        w->FParent = parent;
        w->FData = data;
        if (parent) {
            parent->_AddRef();
            w->FTokenIndex = parent->FTokenIndex;
        } else {
            w->FTokenIndex = -1;
        }
        return w;
    }
    // A link after `parent` standing for the stretch that ends at `target`
    // (a counted reference), having read up to `tokenIndex`.
    TnvWayPoint *GetLink(TnvWayPoint *parent, TnvWayPoint *target, int tokenIndex);
    // The first way point of a shared stretch: no parent, at `tokenIndex`.
    TnvWayPoint *GetMemoRoot(int tokenIndex);
    TnvWayPoint *LinkTarget(const TnvWayPoint *link) const { return FLinkTargets[size_t(link->FData)]; }
    // Takes a way point back; its parent (and a link's target) is released,
    // which may pool it in turn.
    void Put(TnvWayPoint *wayPoint);
    // When no way point is in use: gives the slabs beyond KeptSlabs back, so
    // that one huge statement does not hold its first pass's memory for good.
    void Trim();
    // Way points made so far and those free now; equal when no parse holds any.
    qsizetype TotalCount() const { return FTotal; }
    qsizetype FreeCount() const { return FTotal - FInUse; }
    // Way points handed out since the pool was made: the work of the first
    // passes on this thread, the same on any machine. A parse that retraced
    // the same routes again and again shows here, as growth in the length
    // of the text.
    qint64 HandedOutCount() const { return FHandedOut; }

private:
    // Hands out from the front of the first slab again; only while none is in use.
    void StartOver();
    // Moves on to the next slab, making one when there is none.
    void NextSlab();

    std::vector<std::unique_ptr<TnvWayPoint[]>> FSlabs;
    // The slab handed out from, its next way point never given since the
    // pool started over, and its end.
    size_t FSlab = 0;
    TnvWayPoint *FNext = nullptr;
    TnvWayPoint *FEnd = nullptr;
    // Way points given back since, chained through their parent field.
    TnvWayPoint *FFreeHead = nullptr;
    qsizetype FTotal = 0;
    qsizetype FInUse = 0;
    qint64 FHandedOut = 0;
    // The targets of the live links, by slot, and the free slots.
    std::vector<TnvWayPoint *> FLinkTargets;
    std::vector<int> FFreeLinkSlots;
    // Way points whose count reached 0 while another was being put back.
    std::vector<TnvWayPoint *> FPutPending;
    bool FPutting = false;
};

// The live paths: one way point per path. The list holds a reference to each
// of its way points; the ...Internal operations change it without counting.
class TnvWayPointsList {
public:
    TnvWayPointsList() = default;
    ~TnvWayPointsList();
    TnvWayPointsList(const TnvWayPointsList &) = delete;
    TnvWayPointsList &operator=(const TnvWayPointsList &) = delete;

    int Count() const { return int(FItems.size()); }
    bool IsEmpty() const { return FItems.empty(); }
    TnvWayPoint *Items(int index) const;
    TnvWayPoint *operator[](int index) const { return Items(index); }

    void Add(TnvWayPoint *wayPoint);
    void Insert(int index, TnvWayPoint *wayPoint);
    void Delete(int index);
    void Clear()
    {
        // Take the items out first: a release may reach this list's pool.
        while (!FItems.empty()) {
            TnvWayPoint *w = FItems.back();
            FItems.pop_back();
            if (w)
                w->_Release();
        }
    }
    void AddInternal(TnvWayPoint *wayPoint) { FItems.push_back(wayPoint); }
    void InsertInternal(int index, TnvWayPoint *wayPoint);
    void DeleteInternal(int index);
    void ClearInternal() { FItems.clear(); }
    void SetItemsInternal(int index, TnvWayPoint *wayPoint);

    // Adds every way point of `other`, each with a reference.
    void AddFrom(const TnvWayPointsList &other);
    // Replaces the content by `other`'s, each with a reference.
    void CopyFrom(const TnvWayPointsList &other);
    // Takes over `other`'s way points with their references and empties it.
    void MoveFrom(TnvWayPointsList &other);
    // Appends `other`'s way points with their references and empties it.
    void AppendFrom(TnvWayPointsList &other)
    {
        if (FItems.empty()) {
            FItems.swap(other.FItems);
            return;
        }
        FItems.insert(FItems.end(), other.FItems.begin(), other.FItems.end());
        other.FItems.clear();
    }

    // Keeps, in their order, the way points for which keep(wayPoint) is true
    // and releases the others, in one pass.
    template <class Keep> void Filter(Keep &&keep)
    {
        size_t out = 0;
        for (size_t i = 0; i < FItems.size(); ++i) {
            TnvWayPoint *w = FItems[i];
            if (keep(w))
                FItems[out++] = w;
            else
                w->_Release();
        }
        FItems.resize(out);
    }
    std::vector<TnvWayPoint *> &Raw() { return FItems; }
    const std::vector<TnvWayPoint *> &Raw() const { return FItems; }

private:
    std::vector<TnvWayPoint *> FItems;
};

// The pool of free way-point lists of the calling thread.
class TnvQBWayPointListsCache {
public:
    TnvQBWayPointListsCache();
    ~TnvQBWayPointListsCache();
    TnvWayPointsList *Get()
    {
        if (FFree.empty())
            return Make();
        TnvWayPointsList *l = FFree.back();
        FFree.pop_back();
        return l;
    }
    // Clears the list (releasing its way points) and takes it back; a list
    // that grew huge gives its room back.
    void Put(TnvWayPointsList *list)
    {
        if (!list)
            return;
        list->Clear();
        if (list->Raw().capacity() > 4096)
            std::vector<TnvWayPoint *>().swap(list->Raw());
        FFree.push_back(list);
    }
    qsizetype TotalCount() const { return FTotal; }
    qsizetype FreeCount() const { return qsizetype(FFree.size()); }

private:
    // A new list, counted.
    TnvWayPointsList *Make();

    std::vector<std::unique_ptr<TnvWayPointsList>> FAll;
    std::vector<TnvWayPointsList *> FFree;
    qsizetype FTotal = 0;
};

// The pools of one thread. The lists go first at thread end: they release
// way points into the way-point pool.
struct TnvThreadPools {
    TnvQBWayPointsCache WayPoints;
    TnvQBWayPointListsCache Lists;
};

namespace detail {
// The pools of the first thread that parses (the user-interface thread, in
// practice), reached without a call into the dynamic loader, which every
// read of the library's thread-local storage is (it takes the dynamic model,
// so that a program may open it at run time: a form designer loading the
// plugin). The thread is known by its thread pointer, which no other living
// thread shares. The pools are reached at every step of the first pass: the
// thread and its pools lie side by side, so that one look-up of the library's
// data finds both, and the way of any other thread is a call of its own, so
// that this one stays small where it is inlined.
struct TnvPoolsOwner {
    std::atomic<void *> Thread{nullptr};
    TnvThreadPools *Pools = nullptr;
};
extern constinit TnvPoolsOwner PoolsOwner;
// The pools of a thread that does not own the shortcut, made on its first
// parse.
TnvThreadPools &OtherThreadPools();
} // namespace detail

// The pools of the calling thread: two threads parsing at once never share one.
inline TnvThreadPools &ThreadPools()
{
    if (detail::PoolsOwner.Thread.load(std::memory_order_relaxed) == __builtin_thread_pointer()) [[likely]]
        return *detail::PoolsOwner.Pools;
    return detail::OtherThreadPools();
}
inline TnvQBWayPointsCache &WayPointCache() { return ThreadPools().WayPoints; }
inline TnvQBWayPointListsCache &WayPointListCache() { return ThreadPools().Lists; }

// A list from the pool, given back when the holder goes out of scope.
class TnvPooledWayPointsList {
public:
    TnvPooledWayPointsList() : FList(WayPointListCache().Get()) {}
    ~TnvPooledWayPointsList() { WayPointListCache().Put(FList); }
    TnvPooledWayPointsList(const TnvPooledWayPointsList &) = delete;
    TnvPooledWayPointsList &operator=(const TnvPooledWayPointsList &) = delete;
    TnvWayPointsList &operator*() const { return *FList; }
    TnvWayPointsList *operator->() const { return FList; }
    TnvWayPointsList *Get() const { return FList; }

private:
    TnvWayPointsList *FList;
};

} // namespace nvqb
