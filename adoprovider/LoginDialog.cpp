#include "adoprovider/LoginDialog.h"
#include "adoprovider/DialogButtons.h"
#include "support/LocalizerForm.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace nvqb {

TfNvQBLoginDialog::TfNvQBLoginDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fNvQBLogin"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    setWindowTitle(QStringLiteral("Database Login"));

    lUserName = new QLabel(QStringLiteral("&User name:"), this);
    lUserName->setObjectName(QStringLiteral("lUserName"));
    eUserName = new QLineEdit(this);
    eUserName->setObjectName(QStringLiteral("eUserName"));
    lUserName->setBuddy(eUserName);
    lPassword = new QLabel(QStringLiteral("&Password:"), this);
    lPassword->setObjectName(QStringLiteral("lPassword"));
    ePassword = new QLineEdit(this);
    ePassword->setObjectName(QStringLiteral("ePassword"));
    ePassword->setEchoMode(QLineEdit::Password);
    lPassword->setBuddy(ePassword);
    const TnvOkCancelButtons okCancel = NewOkCancelButtons(this);
    bOk = okCancel.Ok;
    bCancel = okCancel.Cancel;

    auto *fields = new QFormLayout;
    fields->addRow(lUserName, eUserName);
    fields->addRow(lPassword, ePassword);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bOk);
    buttons->addWidget(bCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(fields);
    main->addStretch(1);
    main->addLayout(buttons);
    setMinimumWidth(280);

    Localizer = TnvQBLocalizerForm::Create(this);
    for (const char *path : {"Caption", "lUserName.Caption", "lPassword.Caption", "bOk.Caption", "bCancel.Caption"})
        Localizer->Properties()->Add(QByteArray(path));
    Localizer->Loaded();
}

TfNvQBLoginDialog::~TfNvQBLoginDialog() = default;

bool CanPromptLogin()
{
    const auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

bool PromptLogin(QWidget *parent, QString &userName, QString &password)
{
    TfNvQBLoginDialog dialog(parent);
    dialog.eUserName->setText(userName);
    dialog.ePassword->setText(password);
    // The password is what is missing when there is a user name already.
    (userName.isEmpty() ? dialog.eUserName : dialog.ePassword)->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    userName = dialog.eUserName->text();
    password = dialog.ePassword->text();
    return true;
}

} // namespace nvqb
