#pragma once
// Assertions that throw. A broken invariant stops the operation with an
// EAssertionFailed that names the unit and line, in every build type, so a
// release build never runs on past it and tests can catch it.
#include "classlib/Exceptions.h"
#include <source_location>

namespace nvqb {

[[noreturn]] void AssertionFailure(const char *unit, const char *message,
                                   std::source_location where = std::source_location::current());

inline void Assert(bool condition, const char *unit, const char *message = "Assertion failure",
                   std::source_location where = std::source_location::current())
{
    if (!condition)
        AssertionFailure(unit, message, where);
}

} // namespace nvqb
