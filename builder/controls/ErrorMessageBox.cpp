#include "builder/controls/ErrorMessageBox.h"
#include "builder/model/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>
#include <QtDebug>

namespace nvqb {

void ShowErrorMessageBox(const QString &message)
{
    // The log keeps the message also when nobody looks at the screen.
    qWarning().noquote() << message;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QString caption = QApplication::applicationDisplayName();
    if (caption.isEmpty())
        caption = QStringLiteral("Error");
    auto *box = new QMessageBox(QMessageBox::Critical, caption, message, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Modal for the window it belongs to; a box without a window stays out of
    // the way of every other window.
    box->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    box->setObjectName(QStringLiteral("nvQBErrorMessageBox"));
    box->show();
}

void InstallErrorMessageBox()
{
    SetDefaultErrorHandler(ShowErrorMessageBox);
}

void UninstallErrorMessageBox()
{
    SetDefaultErrorHandler(nullptr);
}

} // namespace nvqb
