#include "installer/wizard/SetupStart.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/SetupError.h"
#include "installer/wizard/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <exception>

namespace nvqb {

std::unique_ptr<TfMain> StartSetup(const QString &programFolder)
{
    QGuiApplication::setApplicationDisplayName(SetupTitle);
    QDir::setCurrent(programFolder);
    QString failure;
    try {
        auto form = std::make_unique<TfMain>(CreateInstallData());
        form->show();
        return form;
    } catch (const ESetupError &e) {
        failure = e.Message();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    QMessageBox::critical(nullptr, SetupTitle, failure);
    return nullptr;
}

} // namespace nvqb
