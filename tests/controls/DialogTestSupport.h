#pragma once
// Driving modal dialogs in tests: the dialogs run their own event loop
// (QDialog::exec), so a test hands the steps to a timer that fires inside
// that loop, once the dialog is the active modal widget and the window
// system has made it the focus window. The timer
// belongs to the call, so a dialog that never opens leaves nothing pending,
// and a dialog the steps leave open is rejected so no test ever blocks.
#include "common/Eventually.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
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
    timer.setInterval(5);
    const QDeadlineTimer deadline(EventuallyTimeoutMs);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        // Answered once the window system has made it the focus window.
        if (!modal || !modal->isVisible() || (!HasArrived(modal) && !deadline.hasExpired()))
            return;
        timer.stop();
        auto *dialog = qobject_cast<Dialog *>(modal);
        if (!dialog) {
            if (required)
                ADD_FAILURE() << "no modal dialog of the expected class is open";
            if (auto *other = qobject_cast<QDialog *>(modal))
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
    if (!reached && required && timer.isActive())
        ADD_FAILURE() << "no modal dialog opened";
    return reached;
}

// Types the file name into the file dialog's name edit, as a user does: once
// the dialog is active that edit has the focus, and selectFile leaves a
// focused edit as it is.
inline void TypeFileName(QFileDialog *dialog, const QString &fileName)
{
    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->setText(fileName);
    else
        dialog->selectFile(fileName);
}

// The texts that the shown widgets under Root cut at their present size, as
// "name: text": a label measured against the size its text needs (a
// word-wrapped one against the height its width needs), a check box or
// radio button against its size hint, a tool button's caption against its
// width, a push button's caption and a group
// box's title against the width their frames leave; each named with its
// size and the size it asks for.
inline QStringList CutTexts(const QWidget *root)
{
    QStringList cut;
    auto report = [&](const QWidget *widget, const QString &text) {
        cut.append(QStringLiteral("%1 (%2 x %3 of %4 x %5): %6")
                       .arg(widget->objectName())
                       .arg(widget->width())
                       .arg(widget->height())
                       .arg(widget->sizeHint().width())
                       .arg(widget->sizeHint().height())
                       .arg(text));
    };
    for (const QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(root))
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
                continue;
            const QSize need = label->sizeHint();
            const bool fits = label->wordWrap()
                                  ? label->height() >= label->heightForWidth(label->width())
                                  : label->width() >= need.width() && label->height() >= need.height();
            if (!fits)
                report(label, label->text());
        } else if (const auto *tool = qobject_cast<const QToolButton *>(widget)) {
            // A text beside two pixels of room on each side.
            QString text = tool->text();
            text.remove(u'&');
            if (!text.isEmpty() && tool->toolButtonStyle() != Qt::ToolButtonIconOnly &&
                tool->width() < QFontMetrics(tool->font()).horizontalAdvance(text) + 4)
                report(tool, tool->text());
        } else if (qobject_cast<const QCheckBox *>(widget) || qobject_cast<const QRadioButton *>(widget)) {
            const auto *button = static_cast<const QAbstractButton *>(widget);
            if (button->width() < button->sizeHint().width() || button->height() < button->sizeHint().height())
                report(button, button->text());
        } else if (const auto *button = qobject_cast<const QPushButton *>(widget)) {
            QString text = button->text();
            text.remove(u'&');
            // The frame on both sides and the margin, as the style sizes a button.
            const QStyle *style = button->style();
            const int need = QFontMetrics(button->font()).horizontalAdvance(text) +
                             style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                             2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
            if (!text.isEmpty() && button->width() < need)
                report(button, button->text());
        } else if (const auto *group = qobject_cast<const QGroupBox *>(widget)) {
            const int need = QFontMetrics(group->font()).horizontalAdvance(group->title()) + 16;
            if (!group->title().isEmpty() && group->width() < need)
                report(group, group->title());
        }
    }
    return cut;
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
