#include "adoprovider/DialogButtons.h"

#include <QDialog>
#include <QPushButton>

namespace nvqb {

TnvOkCancelButtons NewOkCancelButtons(QDialog *dialog)
{
    auto *ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("bOk"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("bCancel"));
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return {ok, cancel};
}

} // namespace nvqb
