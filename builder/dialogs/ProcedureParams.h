#pragma once
// Asks for the argument values of a stored procedure placed into a query as
// a data source. The dialog shows "name(" before the edit box and ")" after
// it and widens itself for a long name; the result is the whole call.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace nvqb {

class TnvQBLocalizerForm;

class TnvProcedureParams : public QDialog {
    Q_OBJECT
public:
    explicit TnvProcedureParams(QWidget *parent = nullptr);
    ~TnvProcedureParams() override;

    // Prepares the dialog for the procedure and runs it modally; the modal
    // result.
    int ShowModal(const QString &procedureName);
    // What ShowModal does before the modal loop.
    void Prepare(const QString &procedureName);
    // The call as typed: "p(1, 2)" for procedure p and the values 1, 2.
    QString GetResultExpression() const;

    QLabel *lPrompt, *lProcName, *lClose;
    QLineEdit *eParams;
    QPushButton *bOk, *bCancel;
    TnvQBLocalizerForm *Localizer;
};

} // namespace nvqb
