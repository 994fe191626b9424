#pragma once
// What the window system delivers later (focus, activation, painting) and
// what other processes and timers do is waited for with a bounded wait, never
// asserted at once: a busy machine makes such a test slower, not failing.
// The wait ends as soon as the condition holds.
#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

namespace nvqb::test {

// Long enough for a sanitizer build on a machine busy with other work (the
// tests run side by side); a wait ends as soon as its condition holds, so
// the bound costs nothing until something is wrong.
inline constexpr int EventuallyTimeoutMs = 60000;
// The same for child processes: to start, to reach a point of their run and
// to end, runs of the setup program with its own children included.
inline constexpr int ProcessTimeoutMs = 120000;

// Whether the window that has opened has also been made the focus window by
// the window system. A dialog or menu is answered only then: one closed
// before the window system's news of its opening is handled would take the
// activation from the window beneath when the news comes late, as it does on
// a busy machine (a timer that is due runs before the window system's events).
inline bool HasArrived(const QWidget *window)
{
    return window && window->isVisible() && window->windowHandle() &&
           QGuiApplication::focusWindow() == window->windowHandle();
}

// Calls Answer with the active modal widget once it has arrived (or the
// bound is over, so that it is answered all the same); Answer must close it.
// Deleting the returned timer (while it is still there) stops waiting.
inline QPointer<QTimer> WhenModalArrives(const std::function<void(QWidget *window)> &answer)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    const QDeadlineTimer deadline(EventuallyTimeoutMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, deadline] {
        QWidget *window = QApplication::activeModalWidget();
        if (!window || !window->isVisible() || (!HasArrived(window) && !deadline.hasExpired()))
            return;
        timer->stop();
        timer->deleteLater();
        answer(window);
    });
    timer->start();
    return timer;
}

} // namespace nvqb::test

// The condition holds now or becomes true within the bound while events are
// processed.
#define EXPECT_EVENTUALLY(condition)                                                                                   \
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, ::nvqb::test::EventuallyTimeoutMs))     \
        << "not within " << ::nvqb::test::EventuallyTimeoutMs << " ms: " #condition
#define ASSERT_EVENTUALLY(condition)                                                                                   \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, ::nvqb::test::EventuallyTimeoutMs))     \
        << "not within " << ::nvqb::test::EventuallyTimeoutMs << " ms: " #condition
