#include "sqlmodel/parse/WayPoints.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"

namespace nvqb {

int TnvWayPoint::GetDepth() const
{
    int depth = 0;
    for (const TnvWayPoint *w = this; w; w = w->FParent)
        ++depth;
    return depth;
}

void TnvWayPoint::ReleaseLast()
{
    Assert(FRefCount > 0, "nvAST", "Way point released more often than referenced");
    if (--FRefCount == 0)
        WayPointCache().Put(this);
}

TnvQBWayPointsCache::TnvQBWayPointsCache() = default;

TnvQBWayPointsCache::~TnvQBWayPointsCache() = default;

void TnvQBWayPointsCache::StartOver()
{
    FFreeHead = nullptr;
    FSlab = 0;
    if (FSlabs.empty()) {
        FNext = FEnd = nullptr;
        return;
    }
    FNext = FSlabs.front().get();
    FEnd = FNext + SlabSize;
}

void TnvQBWayPointsCache::NextSlab()
{
    if (FNext)
        ++FSlab;
    if (FSlab == FSlabs.size()) {
        FSlabs.push_back(std::make_unique<TnvWayPoint[]>(SlabSize));
        TnvWayPoint *slab = FSlabs.back().get();
        for (int i = 0; i < SlabSize; ++i)
            slab[i].FPooled = true;
        FTotal += SlabSize;
    }
    FNext = FSlabs[FSlab].get();
    FEnd = FNext + SlabSize;
}

void TnvQBWayPointsCache::Trim()
{
    if (FInUse != 0 || FSlabs.size() <= size_t(KeptSlabs))
        return;
    FSlabs.resize(size_t(KeptSlabs));
    FSlabs.shrink_to_fit();
    FTotal = qsizetype(FSlabs.size()) * SlabSize;
    StartOver();
}

TnvWayPoint *TnvWayPoint::LinkTarget() const { return IsLink() ? WayPointCache().LinkTarget(this) : nullptr; }

TnvWayPoint *TnvQBWayPointsCache::GetLink(TnvWayPoint *parent, TnvWayPoint *target, int tokenIndex)
{
    TnvWayPoint *link = Get(parent, 0);
    link->FKind = TnvWayPoint::TKind::Link;
    link->FTokenIndex = tokenIndex;
    target->_AddRef();
    if (FFreeLinkSlots.empty()) {
        link->FData = int(FLinkTargets.size());
        FLinkTargets.push_back(target);
    } else {
        link->FData = FFreeLinkSlots.back();
        FFreeLinkSlots.pop_back();
        FLinkTargets[size_t(link->FData)] = target;
    }
    return link;
}

TnvWayPoint *TnvQBWayPointsCache::GetMemoRoot(int tokenIndex)
{
    TnvWayPoint *root = Get(nullptr, 0);
    root->FKind = TnvWayPoint::TKind::MemoRoot;
    root->FTokenIndex = tokenIndex;
    return root;
}

void TnvQBWayPointsCache::Put(TnvWayPoint *wayPoint)
{
    // Iterative, so that a long path going back to the pool cannot overflow
    // the stack; a link's target is put back after the path it hangs on.
    FPutPending.push_back(wayPoint);
    if (FPutting)
        return;
    FPutting = true;
    struct Done {
        TnvQBWayPointsCache &Cache;
        ~Done()
        {
            Cache.FPutting = false;
            Cache.FPutPending.clear();
        }
    } done{*this};
    while (!FPutPending.empty()) {
        wayPoint = FPutPending.back();
        FPutPending.pop_back();
        while (wayPoint) {
            Assert(!wayPoint->FPooled, "nvAST", "Way point put into the pool twice");
            wayPoint->FPooled = true;
            --FInUse;
            if (wayPoint->FKind == TnvWayPoint::TKind::Link) {
                TnvWayPoint *target = FLinkTargets[size_t(wayPoint->FData)];
                FLinkTargets[size_t(wayPoint->FData)] = nullptr;
                FFreeLinkSlots.push_back(wayPoint->FData);
                Assert(target->FRefCount > 0, "nvAST", "Way point released more often than referenced");
                if (--target->FRefCount == 0)
                    FPutPending.push_back(target);
            }
            TnvWayPoint *parent = wayPoint->FParent;
            wayPoint->FParent = FFreeHead;
            FFreeHead = wayPoint;
            if (!parent)
                break;
            Assert(parent->FRefCount > 0, "nvAST", "Way point released more often than referenced");
            if (--parent->FRefCount != 0)
                break;
            wayPoint = parent;
        }
    }
}

TnvWayPointsList::~TnvWayPointsList() { Clear(); }

TnvWayPoint *TnvWayPointsList::Items(int index) const
{
    if (index < 0 || index >= int(FItems.size()))
        ListIndexError(index);
    return FItems[size_t(index)];
}

void TnvWayPointsList::Add(TnvWayPoint *wayPoint)
{
    if (wayPoint)
        wayPoint->_AddRef();
    FItems.push_back(wayPoint);
}

void TnvWayPointsList::Insert(int index, TnvWayPoint *wayPoint)
{
    InsertInternal(index, wayPoint);
    if (wayPoint)
        wayPoint->_AddRef();
}

void TnvWayPointsList::InsertInternal(int index, TnvWayPoint *wayPoint)
{
    if (index < 0 || index > int(FItems.size()))
        ListIndexError(index);
    FItems.insert(FItems.begin() + index, wayPoint);
}

void TnvWayPointsList::Delete(int index)
{
    TnvWayPoint *w = Items(index);
    FItems.erase(FItems.begin() + index);
    if (w)
        w->_Release();
}

void TnvWayPointsList::DeleteInternal(int index)
{
    Items(index);
    FItems.erase(FItems.begin() + index);
}

void TnvWayPointsList::SetItemsInternal(int index, TnvWayPoint *wayPoint)
{
    Items(index);
    FItems[size_t(index)] = wayPoint;
}

void TnvWayPointsList::AddFrom(const TnvWayPointsList &other)
{
    FItems.reserve(FItems.size() + other.FItems.size());
    for (TnvWayPoint *w : other.FItems)
        if (w) {
            w->_AddRef();
            FItems.push_back(w);
        }
}

void TnvWayPointsList::CopyFrom(const TnvWayPointsList &other)
{
    if (&other == this)
        return;
    Clear();
    FItems.reserve(other.FItems.size());
    for (TnvWayPoint *w : other.FItems) {
        if (w)
            w->_AddRef();
        FItems.push_back(w);
    }
}

void TnvWayPointsList::MoveFrom(TnvWayPointsList &other)
{
    if (&other == this)
        return;
    Clear();
    FItems.swap(other.FItems);
}

TnvQBWayPointListsCache::TnvQBWayPointListsCache() = default;

TnvQBWayPointListsCache::~TnvQBWayPointListsCache() = default;

TnvWayPointsList *TnvQBWayPointListsCache::Make()
{
    FAll.push_back(std::make_unique<TnvWayPointsList>());
    ++FTotal;
    return FAll.back().get();
}

namespace detail {

namespace {
// The calling thread's pools once made, else nil.
constinit thread_local TnvThreadPools *ThreadPoolsPtr = nullptr;
} // namespace

constinit TnvPoolsOwner PoolsOwner;

static TnvThreadPools &MakeThreadPools()
{
    // Made on a thread's first parse and destroyed at its end; the pointers
    // are cleared first, so nothing reads them once the pools are going. The
    // first thread to parse owns the shortcut until it ends; a thread made
    // later may then take it over.
    struct Holder {
        TnvThreadPools Pools;
        void *Thread = __builtin_thread_pointer();
        Holder()
        {
            ThreadPoolsPtr = &Pools;
            // Only the owner reads the owner's pools, and it does not parse
            // before this constructor has set them.
            void *none = nullptr;
            if (PoolsOwner.Thread.compare_exchange_strong(none, Thread, std::memory_order_acq_rel))
                PoolsOwner.Pools = &Pools;
        }
        ~Holder()
        {
            void *self = Thread;
            PoolsOwner.Thread.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
            ThreadPoolsPtr = nullptr;
        }
    };
    thread_local Holder holder;
    return holder.Pools;
}

TnvThreadPools &OtherThreadPools()
{
    TnvThreadPools *pools = ThreadPoolsPtr;
    return pools ? *pools : MakeThreadPools();
}

} // namespace detail

} // namespace nvqb
