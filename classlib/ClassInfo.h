#pragma once
// Class information in the class library's style: every class of the library
// carries its name and its parent class, so code can ask an object for its
// class name, compare class references and test InheritsFrom. Registries look
// classes up by these names.
#include <QString>
#include <memory>
#include <utility>

namespace nvqb {

class TObject;

struct TClassInfo {
    const char *Name;
    const TClassInfo *Parent;

    QString ClassName() const { return QString::fromLatin1(Name); }
    bool InheritsFrom(const TClassInfo *other) const
    {
        for (const TClassInfo *c = this; c; c = c->Parent)
            if (c == other)
                return true;
        return false;
    }
};

using TClass = const TClassInfo *;

// In a class body: declares the class information of Name.
#define NV_DECLARE_CLASS(Name)                                                 \
public:                                                                        \
    static ::nvqb::TClass StaticClassType();                                   \
    ::nvqb::TClass ClassType() const override;                                 \
                                                                               \
private:

// In the class's source file: defines it with its parent class.
#define NV_IMPLEMENT_CLASS(Name, Parent)                                       \
    ::nvqb::TClass Name::StaticClassType()                                     \
    {                                                                          \
        static const ::nvqb::TClassInfo info{#Name, Parent::StaticClassType()}; \
        return &info;                                                          \
    }                                                                          \
    ::nvqb::TClass Name::ClassType() const { return StaticClassType(); }

// The root of the class tree. Creation and destruction run in two phases, as
// the class library's do: AfterConstruction runs once the object is whole and
// BeforeDestruction while it still is, so both may make virtual calls that
// reach the most derived class (a C++ constructor or destructor cannot).
class TObject {
public:
    TObject() = default;
    TObject(const TObject &) = delete;
    TObject &operator=(const TObject &) = delete;
    virtual ~TObject();

    static TClass StaticClassType();
    virtual TClass ClassType() const;
    QString ClassName() const { return ClassType()->ClassName(); }
    bool InheritsFrom(TClass cls) const { return ClassType()->InheritsFrom(cls); }
    template <class T> bool Is() const { return InheritsFrom(T::StaticClassType()); }

    virtual void AfterConstruction() {}
    virtual void BeforeDestruction() {}

    // Runs BeforeDestruction and deletes the object; nil is ignored.
    static void Free(TObject *object);
};

template <class T> T *As(TObject *object) { return object && object->Is<T>() ? static_cast<T *>(object) : nullptr; }
template <class T> const T *As(const TObject *object)
{
    return object && object->Is<T>() ? static_cast<const T *>(object) : nullptr;
}

// Deleter for owning pointers of the class tree.
struct TObjectFree {
    void operator()(TObject *object) const { TObject::Free(object); }
};

template <class T> using TOwned = std::unique_ptr<T, TObjectFree>;

// Creates an object and completes its construction.
template <class T, class... Args> TOwned<T> Create(Args &&...args)
{
    TOwned<T> object(new T(std::forward<Args>(args)...));
    object->AfterConstruction();
    return object;
}

} // namespace nvqb
