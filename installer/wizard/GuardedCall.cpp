#include "installer/wizard/GuardedCall.h"
#include "installer/platform/SetupError.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace nvqb {

bool GuardedCall(QWidget *parent, const std::function<void()> &handler)
{
    QString message;
    try {
        handler();
        return true;
    } catch (const ESetupError &e) {
        message = e.Message();
    } catch (const std::exception &e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = QStringLiteral("An unknown error occurred.");
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
    return false;
}

} // namespace nvqb
