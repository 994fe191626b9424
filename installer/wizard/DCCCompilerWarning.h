#pragma once
// The warning shown before installing into a free IDE edition that has no
// command-line compiler: the user can install the compiler and retry, go on
// without it, or leave the installer. Its link opens the compiler's download
// page.
#include <QDialog>

class QLabel;

namespace nvqb {

class TfDCCCompilerWarning : public QDialog {
    Q_OBJECT
public:
    enum TResult { wrRetry = 1, wrContinue = 2, wrExit = 3 };

    explicit TfDCCCompilerWarning(QWidget *parent = nullptr);

    // Shows the warning about the IDE modally; closing the window counts as Exit.
    TResult Execute(const QString &ideDisplayName);

    QLabel *lblWarning;
    QLabel *lblLink;

    void lblLinkClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace nvqb
