#pragma once
// The demo's window over its sample database in a temporary cache folder,
// with errors recorded instead of shown, and the built program for runs
// from the command line.
#include "common/Eventually.h"
#include "demos/window/DemoWindow.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class QAction;

namespace nvqb {
class TADOConnection;
}

namespace nvqb::test {

// The action of the menu (or of its sub-menus) whose text without its
// accelerator mark is the text; nil when there is none.
QAction *FindAction(QWidget *menu, const QString &text);

// Processes events until the condition holds or the time is up.
bool WaitFor(const std::function<bool()> &condition, int milliseconds);

// The first value of the query's first row, as a number, on the connection.
qint64 FirstNumber(TADOConnection *connection, const QString &sql);

// The boxes of the current diagram, visible ones only.
QList<QWidget *> VisibleBoxes(TnvDemoWindow &window);
// A picture's part that shows the widget, in the window's coordinates.
QRect RectInWindow(TnvDemoWindow &window, QWidget *widget);
// The share of the pixels of the part of the picture that equal the
// widget's own rendering.
double SameShare(const QImage &picture, const QRect &rect, const QImage &widget);
// Pixels of the part of the picture that are dark (text, lines).
int DarkPixels(const QImage &picture, const QRect &rect);

struct TDemoRun {
    int ExitCode = -1;
    QString Out, Err;
};

class DemoWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The demo program with the arguments, its cache folder in this test's
    // temporary folder, offscreen (or with no display and no platform named
    // at all), its environment changed further by the function when given;
    // killed after the time given.
    TDemoRun RunProgram(const QStringList &arguments, int milliseconds = ProcessTimeoutMs, bool offscreen = true,
                        const std::function<void(QProcessEnvironment &)> &environment = {});

    QTemporaryDir Dir;
    std::unique_ptr<TnvDemoWindow> Window;
    QStringList Errors;
};

} // namespace nvqb::test
