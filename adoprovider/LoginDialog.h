#pragma once
// The login dialog: user name and password for a connection that prompts
// for its login when the host answers no OnLogin of its own.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace nvqb {

class TnvQBLocalizerForm;

class TfNvQBLoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfNvQBLoginDialog(QWidget *parent = nullptr);
    ~TfNvQBLoginDialog() override;

    QLabel *lUserName, *lPassword;
    QLineEdit *eUserName, *ePassword;
    QPushButton *bOk, *bCancel;
    TnvQBLocalizerForm *Localizer;
};

// Whether a login can be asked for here: a widget application, on its
// user-interface thread.
bool CanPromptLogin();

// Shows the dialog modally with the user name and password as they stand;
// on OK both take what was typed and the answer is true, on Cancel they stay
// and the answer is false.
bool PromptLogin(QWidget *parent, QString &userName, QString &password);

} // namespace nvqb
