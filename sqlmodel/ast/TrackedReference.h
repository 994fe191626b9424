#pragma once
// Non-owning references that cannot dangle. A node of the syntax tree points at
// nodes and metadata objects it does not own: a name at the FROM source it
// resolves to, a FROM source at the WITH item or metadata object it stands for.
// Those targets may be freed first (a FROM source deleted from its chain, a
// metadata container cleared), so such a reference is a TnvTrackedRef: the
// target keeps an intrusive list of the references that point at it and sets
// each of them to nil when it is freed. Nothing is allocated: the links live in
// the references themselves.
#include <utility>

namespace nvqb {

class TnvTrackedRefBase;

// Base of every object that tracked references may point at.
class TnvRefTarget {
public:
    TnvRefTarget() = default;
    TnvRefTarget(const TnvRefTarget &) = delete;
    TnvRefTarget &operator=(const TnvRefTarget &) = delete;
    ~TnvRefTarget() { ClearTrackedReferences(); }

    // Sets every reference to this object to nil. A target calls it as early
    // in its destruction as it can, so no reference reads a half-freed object.
    void ClearTrackedReferences();
    bool HasTrackedReferences() const { return FFirstRef != nullptr; }

private:
    friend class TnvTrackedRefBase;
    TnvTrackedRefBase *FFirstRef = nullptr;
};

class TnvTrackedRefBase {
public:
    TnvTrackedRefBase(const TnvTrackedRefBase &) = delete;
    TnvTrackedRefBase &operator=(const TnvTrackedRefBase &) = delete;

protected:
    TnvTrackedRefBase() = default;
    ~TnvTrackedRefBase() { Unlink(); }

    void Link(TnvRefTarget *target, void *object);
    void Unlink();
    void *Object() const { return FObject; }
    TnvRefTarget *Target() const { return FTarget; }

private:
    friend class TnvRefTarget;
    TnvRefTarget *FTarget = nullptr;
    void *FObject = nullptr;
    TnvTrackedRefBase *FPrev = nullptr;
    TnvTrackedRefBase *FNext = nullptr;
};

// A reference to a T that reads as nil once the T is freed. T derives from
// TnvRefTarget; the two-argument reset serves code that holds only a forward
// declaration of T and is handed the target part by the code that knows T.
template <class T> class TnvTrackedRef : public TnvTrackedRefBase {
public:
    TnvTrackedRef() = default;
    ~TnvTrackedRef() = default;

    T *get() const { return static_cast<T *>(Object()); }
    T *operator->() const { return get(); }
    explicit operator bool() const { return Object() != nullptr; }

    void reset() { Unlink(); }
    void reset(T *object) { Link(object, object); }
    void reset(T *object, TnvRefTarget *target) { Link(object ? target : nullptr, object); }
    // Points at what Other points at (both stay tracked).
    void CopyFrom(const TnvTrackedRef &other) { Link(other.Target(), other.get()); }
};

} // namespace nvqb
