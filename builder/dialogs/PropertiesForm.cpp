#include "builder/dialogs/PropertiesForm.h"
#include "builder/model/ErrorReport.h"
#include "classlib/Exceptions.h"

namespace nvqb {

NV_IMPLEMENT_FORM_CLASS(TnvQBPropertiesForm, nullptr)

TnvQBPropertiesForm::TnvQBPropertiesForm(QWidget *parent) : QDialog(parent)
{
    // A dialog border: no resizing grip, no context help button.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
}

TnvQBPropertiesForm::~TnvQBPropertiesForm() = default;

void TnvQBPropertiesForm::RaiseWrongObject(const QString &what)
{
    throw Exception(QStringLiteral("The %1 dialog was given something other than a %1").arg(what));
}

void TnvQBPropertiesForm::Start(TObject *object, TnvBaseSyntaxProvider *provider)
{
    FObject = object;
    FSyntaxProvider = provider;
    FStarted = false;
    LoadProps();
    FStarted = true;
}

bool TnvQBPropertiesForm::Edit(TObject *object, TnvBaseSyntaxProvider *provider)
{
    Start(object, provider);
    return exec() == QDialog::Accepted;
}

void TnvQBPropertiesForm::done(int result)
{
    // The close query: the check and the saving run inside the dialog's
    // event handling, so nothing they raise may leave it.
    setResult(result);
    const bool canClose = nvQBCatchAll([this] { CheckCanClose(); });
    if (!canClose)
        return;
    if (result == QDialog::Accepted && FStarted) {
        if (!nvQBCatchAll([this] { SaveProps(); }))
            return;
    }
    QDialog::done(result);
}

} // namespace nvqb
