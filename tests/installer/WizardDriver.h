#pragma once
// Driving the setup wizard and its dialogs as a user would, with QTest's
// mouse and key events on the offscreen platform: clicks that hit the
// controls where a user would click them, modal windows answered as they
// open, and screenshots.
#include "common/Eventually.h"

#include <QImage>
#include <QString>

#include <functional>
#include <ostream>

class QAbstractButton;
class QWidget;

// Failure messages show texts as they read (UTF-8), not as code units.
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace nvqb {
class TfMain;
class TWizardPage;
} // namespace nvqb

namespace nvqb::test {

// Processes events until the condition holds or the time is over; returns
// the condition. The bound is that of a run with its child processes.
bool WaitFor(const std::function<bool()> &condition, int milliseconds = ProcessTimeoutMs);

// A left click where it takes effect: a check box or radio button on its
// indicator, other buttons in the middle.
void Click(QAbstractButton *button);
// A left click on a widget at a point (the middle when none is given).
void ClickAt(QWidget *widget, const QPoint &point);

// The wizard's active page and its name.
TWizardPage *ActivePage(const TfMain &form);
QString ActivePageName(const TfMain &form);
// Clicks the wizard's buttons.
void ClickNext(const TfMain &form);
void ClickBack(const TfMain &form);
void ClickFinish(const TfMain &form);
// Shows the form and waits until it is on screen.
void ShowForm(TfMain &form);
// Clicks Next (accepting the licence on the licence page) until the named
// page is active; the test fails when Next does not lead there.
void ClickNextUntil(const TfMain &form, const QString &page);
// Clicks Next until the compile page is reached, then waits until the run is
// done and the finish page shows.
void RunToFinish(TfMain &form);

// The widget as it looks now; saved as <name>.png in the tests' screenshot folder.
QImage Screenshot(QWidget *widget, const QString &name);
// How many pixels of the image inside rect are pure enough red.
int RedPixels(const QImage &image, const QRect &rect);

// The named child; the test fails when there is none.
template <class T>
T *Child(const QObject *parent, const char *name);

} // namespace nvqb::test

#include <QObject>
#include <gtest/gtest.h>

template <class T>
T *nvqb::test::Child(const QObject *parent, const char *name)
{
    T *child = parent->findChild<T *>(QLatin1String(name));
    EXPECT_TRUE(child) << "no child " << name;
    return child;
}
