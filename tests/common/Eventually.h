#pragma once
// What the window system delivers later (focus, activation, painting) and
// what other processes and timers do is waited for with a bounded wait, never
// asserted at once: a busy machine makes such a test slower, not failing.
// The wait ends as soon as the condition holds.
#include <QTest>
#include <gtest/gtest.h>

namespace nvqb::test {

// Long enough for a sanitizer build on a machine busy with other work.
inline constexpr int EventuallyTimeoutMs = 30000;

} // namespace nvqb::test

// The condition holds now or becomes true within the bound while events are
// processed.
#define EXPECT_EVENTUALLY(condition)                                                                                   \
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, ::nvqb::test::EventuallyTimeoutMs))     \
        << "not within " << ::nvqb::test::EventuallyTimeoutMs << " ms: " #condition
#define ASSERT_EVENTUALLY(condition)                                                                                   \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, ::nvqb::test::EventuallyTimeoutMs))     \
        << "not within " << ::nvqb::test::EventuallyTimeoutMs << " ms: " #condition
