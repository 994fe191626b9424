#pragma once
// Comparable method pointers: the class library's "procedure of object". A
// method pointer is an object plus one of its member functions; two are equal
// when both the object and the member function are the same, so a registration
// can be found and removed again. A callable that is not a member function (a
// lambda) may be bound too; such a method equals only its own copies.
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace nvqb {

template <class Signature> class TMethod;

namespace detail {
template <class> struct MemberClass;
template <class C, class R, class... A> struct MemberClass<R (C::*)(A...)> { using Type = C; };
template <class C, class R, class... A> struct MemberClass<R (C::*)(A...) const> { using Type = const C; };
} // namespace detail

template <class R, class... Args> class TMethod<R(Args...)> {
public:
    TMethod() = default;
    TMethod(std::nullptr_t) {}

    // Binds a member function given as a template argument: TMethod<...>::Bind<&C::M>(obj).
    template <auto Member>
    static TMethod Bind(typename detail::MemberClass<decltype(Member)>::Type *object)
    {
        TMethod m;
        m.FData = const_cast<void *>(static_cast<const void *>(object));
        m.FCode = &Thunk<Member>;
        return m;
    }

    // Binds any callable; equal only to copies of the returned method.
    template <class F>
    static TMethod FromCallable(F &&callable)
    {
        TMethod m;
        m.FCallable = std::make_shared<std::function<R(Args...)>>(std::forward<F>(callable));
        m.FData = m.FCallable.get();
        m.FCode = &CallableThunk;
        return m;
    }

    explicit operator bool() const { return FCode != nullptr; }
    bool Assigned() const { return FCode != nullptr; }
    void *Data() const { return FData; }

    R operator()(Args... args) const { return FCode(FData, std::forward<Args>(args)...); }

    friend bool operator==(const TMethod &a, const TMethod &b)
    {
        return a.FData == b.FData && a.FCode == b.FCode;
    }
    friend bool operator==(const TMethod &a, std::nullptr_t) { return !a.FCode; }

private:
    using Code = R (*)(void *, Args...);

    template <auto Member>
    static R Thunk(void *data, Args... args)
    {
        using C = typename detail::MemberClass<decltype(Member)>::Type;
        return (static_cast<C *>(data)->*Member)(std::forward<Args>(args)...);
    }

    static R CallableThunk(void *data, Args... args)
    {
        return (*static_cast<std::function<R(Args...)> *>(data))(std::forward<Args>(args)...);
    }

    void *FData = nullptr;
    Code FCode = nullptr;
    std::shared_ptr<std::function<R(Args...)>> FCallable;
};

class TObject;
// procedure(Sender: TObject) of object
using TNotifyEvent = TMethod<void(TObject *)>;

} // namespace nvqb
