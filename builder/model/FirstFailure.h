#pragma once
// Runs steps that must all run even when one of them fails, keeping the
// first failure for the caller: the steps of an update pass, the
// components told of a change.
#include <exception>

namespace nvqb {

class TnvFirstFailure {
public:
    // Runs the step; a failure is kept when it is the first. Answers
    // whether the step failed.
    template <class F> bool Run(F &&step)
    {
        try {
            step();
            return false;
        } catch (...) {
            if (!FFailure)
                FFailure = std::current_exception();
            return true;
        }
    }
    bool Failed() const { return bool(FFailure); }
    // Raises the kept failure, if any.
    void Rethrow() const
    {
        if (FFailure)
            std::rethrow_exception(FFailure);
    }

private:
    std::exception_ptr FFailure;
};

} // namespace nvqb
