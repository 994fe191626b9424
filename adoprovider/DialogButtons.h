#pragma once
// The OK and Cancel buttons of the provider's dialogs.
class QDialog;
class QPushButton;

namespace nvqb {

struct TnvOkCancelButtons {
    QPushButton *Ok;
    QPushButton *Cancel;
};

// Both buttons of the dialog, named bOk and bCancel, OK its default button;
// they accept and reject it. The caller places them.
TnvOkCancelButtons NewOkCancelButtons(QDialog *dialog);

} // namespace nvqb
