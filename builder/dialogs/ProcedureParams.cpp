#include "builder/dialogs/ProcedureParams.h"
#include "builder/dialogs/DialogWidgets.h"
#include "support/LocalizerForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace nvqb {

namespace {
constexpr int ClientWidth = 297;
constexpr int ClientHeight = 99;
constexpr int EditLeft = 8;
constexpr int LineTop = 30;
constexpr int EditWidth = 209;
constexpr int Gap = 4;
constexpr int RightMargin = 20;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
} // namespace

TnvProcedureParams::TnvProcedureParams(QWidget *parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    setWindowTitle(QStringLiteral("Edit Procedure Parameter Values"));
    lPrompt = NewLabel(this, "lPrompt", QStringLiteral("Edit parameter values for selected procedure:"));
    lPrompt->move(EditLeft, 8);
    lProcName = NewLabel(this, "lProcName", QString());
    eParams = NewEdit(this, "eParams", false);
    lClose = NewLabel(this, "lClose", QStringLiteral(")"));
    bOk = NewButton(this, "bOk", QStringLiteral("OK"));
    bCancel = NewButton(this, "bCancel", QStringLiteral("Cancel"));
    bOk->setDefault(true);
    bCancel->setAutoDefault(false);
    connect(bOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(ClientWidth, ClientHeight);

    Localizer = NewFormLocalizer(this, {"Caption", "lPrompt.Caption", "bOk.Caption", "bCancel.Caption"});
}

TnvProcedureParams::~TnvProcedureParams() = default;

void TnvProcedureParams::Prepare(const QString &procedureName)
{
    lPrompt->adjustSize();
    lProcName->setText(procedureName + u'(');
    lProcName->adjustSize();
    eParams->clear();
    const int editHeight = eParams->sizeHint().height();
    lProcName->move(EditLeft, LineTop + (editHeight - lProcName->height()) / 2);
    // The edit box follows the name and the closing bracket the edit box,
    // so a long name widens the dialog.
    eParams->setGeometry(lProcName->geometry().right() + 1 + Gap, LineTop, EditWidth, editHeight);
    lClose->adjustSize();
    lClose->move(eParams->geometry().right() + 1 + Gap, lProcName->y());
    const int width =
        std::max(lClose->geometry().right() + 1 + RightMargin, lPrompt->geometry().right() + 1 + EditLeft);
    setFixedSize(width, ClientHeight);
    const int buttonsTop = ClientHeight - ButtonHeight - 8;
    bCancel->setGeometry(width - RightMargin - ButtonWidth, buttonsTop, ButtonWidth, ButtonHeight);
    bOk->setGeometry(bCancel->x() - 6 - ButtonWidth, buttonsTop, ButtonWidth, ButtonHeight);
    eParams->setFocus();
}

int TnvProcedureParams::ShowModal(const QString &procedureName)
{
    Prepare(procedureName);
    return exec();
}

QString TnvProcedureParams::GetResultExpression() const
{
    return lProcName->text() + eParams->text() + lClose->text();
}

} // namespace nvqb
