#pragma once
// Runs an action when the scope is left, also when an exception leaves it:
// the closing half of a bracket (EndUpdate, EnableAlign). When the scope is
// left by an exception, one raised by the action is dropped so the first one
// reaches the caller; otherwise the action's exception propagates.
#include <exception>
#include <utility>

namespace nvqb {

template <class F> class TnvScopeExit {
public:
    explicit TnvScopeExit(F action) : FAction(std::move(action)) {}
    TnvScopeExit(const TnvScopeExit &) = delete;
    TnvScopeExit &operator=(const TnvScopeExit &) = delete;
    ~TnvScopeExit() noexcept(false)
    {
        if (std::uncaught_exceptions() > FUncaught) {
            try {
                FAction();
            } catch (...) {
            }
        } else {
            FAction();
        }
    }

private:
    F FAction;
    int FUncaught = std::uncaught_exceptions();
};

// BeginUpdate now, EndUpdate when the scope is left.
template <class T> auto UpdateBracket(T *node)
{
    node->BeginUpdate();
    return TnvScopeExit([node] { node->EndUpdate(); });
}

} // namespace nvqb
