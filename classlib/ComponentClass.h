#pragma once
// Component class references: the class library's "class of TComponent". A
// component class declared with these macros carries, besides its name and
// parent, a factory that makes an instance with a given owner, so code that
// holds only the class reference (a registry of provider classes, a wizard
// listing them) can create one. Abstract classes carry no factory.
#include "classlib/Component.h"

#include <type_traits>

namespace nvqb {

using TComponentFactory = TComponent *(*)(TComponent *owner);

struct TComponentClassInfo : TClassInfo {
    TComponentFactory Factory = nullptr;

    bool IsAbstract() const { return Factory == nullptr; }
};

using TComponentClass = const TComponentClassInfo *;

// Creates a component of the class and completes its construction. With an
// owner the owner frees it; without one the caller does (TObject::Free).
// Raises EClassNotFound for an abstract class.
TComponent *CreateComponent(TComponentClass cls, TComponent *owner);

namespace detail {
template <class T> TComponent *MakeComponent(TComponent *owner) { return new T(owner); }
template <class T> constexpr TComponentFactory ComponentFactoryOf()
{
    if constexpr (std::is_abstract_v<T>)
        return nullptr;
    else
        return &MakeComponent<T>;
}
} // namespace detail

#define NV_DECLARE_COMPONENT_CLASS(Name)                                       \
public:                                                                        \
    static ::nvqb::TComponentClass StaticClassType();                          \
    ::nvqb::TClass ClassType() const override;                                 \
                                                                               \
private:

#define NV_IMPLEMENT_COMPONENT_CLASS(Name, Parent)                             \
    ::nvqb::TComponentClass Name::StaticClassType()                            \
    {                                                                          \
        static const ::nvqb::TComponentClassInfo info{                         \
            {#Name, Parent::StaticClassType()},                                \
            ::nvqb::detail::ComponentFactoryOf<Name>()};                       \
        return &info;                                                          \
    }                                                                          \
    ::nvqb::TClass Name::ClassType() const { return StaticClassType(); }

} // namespace nvqb
