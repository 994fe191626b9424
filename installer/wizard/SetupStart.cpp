#include "installer/wizard/SetupStart.h"
#include "installer/InstallData.h"
#include "installer/ProductInfo.h"
#include "installer/platform/Machine.h"
#include "installer/platform/SetupError.h"
#include "installer/wizard/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <exception>

namespace nvqb {

namespace {

// Keeps the machine's setup lock as long as the wizard window is there.
class TMachineLockKeeper : public QObject {
public:
    TMachineLockKeeper(std::unique_ptr<TFileLock> lock, QObject *parent) : QObject(parent), FLock(std::move(lock)) {}

private:
    std::unique_ptr<TFileLock> FLock;
};

} // namespace

std::unique_ptr<TfMain> StartSetup(const QString &programFolder)
{
    QGuiApplication::setApplicationDisplayName(SetupTitle);
    QDir::setCurrent(programFolder);
    QString failure;
    try {
        // Taken before the install data reads the registry: a second setup
        // program would decide on what the first one is changing.
        std::unique_ptr<TFileLock> machineLock = LockMachineForSetup();
        auto form = std::make_unique<TfMain>(CreateInstallData());
        new TMachineLockKeeper(std::move(machineLock), form.get());
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
