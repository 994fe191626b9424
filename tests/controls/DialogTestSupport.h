#pragma once
// Driving modal dialogs in tests: the dialogs run their own event loop
// (QDialog::exec), so a test hands the steps to a zero-time timer that fires
// inside that loop, once the dialog is the active modal widget. The timer
// belongs to the call, so a dialog that never opens leaves nothing pending,
// and a dialog the steps leave open is rejected so no test ever blocks.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace nvqb::test {

// With Required false, Open need not open the dialog: a dialog of another
// class is then rejected without a failure.
template <class Dialog>
bool RunModal(const std::function<void()> &open, const std::function<void(Dialog *)> &steps, bool required = true)
{
    bool reached = false;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            if (required)
                ADD_FAILURE() << "no modal dialog of the expected class is open";
            if (auto *other = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                other->reject();
            return;
        }
        reached = true;
        steps(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer.start();
    open();
    return reached;
}

// Writes the widget's picture to the screenshot folder; the picture.
inline QImage Screenshot(QWidget *widget, const QString &name)
{
    QDir().mkpath(QStringLiteral(NVQB_SCREENSHOT_DIR));
    const QImage image = widget->grab().toImage();
    image.save(QStringLiteral(NVQB_SCREENSHOT_DIR "/") + name + QStringLiteral(".png"));
    return image;
}

} // namespace nvqb::test
