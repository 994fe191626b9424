// Errors that no host handler takes reach the user in a message box that does
// not hold up the caller.
#include "builder/controls/ErrorMessageBox.h"
#include "builder/model/ErrorReport.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace nvqb {
namespace {

QList<QMessageBox *> ErrorBoxes()
{
    QList<QMessageBox *> boxes;
    for (QWidget *widget : QApplication::allWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(widget))
            if (box->objectName() == QLatin1String("nvQBErrorMessageBox") && box->isVisible())
                boxes.append(box);
    return boxes;
}

TEST(ErrorMessageBox, AnErrorNobodyTakesOpensABoxOverTheActiveDialogAndReturnsAtOnce)
{
    // No handler of a host or test: the library's own message box.
    TnvErrorHandler former = SetErrorHandler(nullptr);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("owner"));
    dialog.setModal(true);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();

    // Raised inside a handler, as the model's event handlers do.
    const bool ended = nvQBCatchAll([] { throw std::runtime_error("The table \"x\" is gone."); });
    EXPECT_FALSE(ended);

    const QList<QMessageBox *> boxes = ErrorBoxes();
    ASSERT_EQ(boxes.size(), 1);
    QPointer<QMessageBox> box = boxes.first();
    EXPECT_EQ(box->text(), QStringLiteral("The table \"x\" is gone."));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->parentWidget(), &dialog);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);

    // Closing it frees it.
    box->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
    SetErrorHandler(std::move(former));
}

TEST(ErrorMessageBox, AHostsHandlerTakesTheErrorInstead)
{
    QStringList shown;
    TnvErrorHandler former = SetErrorHandler([&](const QString &message) { shown.append(message); });
    nvQBShowError(QStringLiteral("taken by the host"));
    EXPECT_EQ(shown, QStringList{QStringLiteral("taken by the host")});
    EXPECT_TRUE(ErrorBoxes().isEmpty());
    SetErrorHandler(std::move(former));
}

} // namespace
} // namespace nvqb
