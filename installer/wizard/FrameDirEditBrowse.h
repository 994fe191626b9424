#pragma once
// A folder edit with its caption and a browse button that opens the folder
// dialog at the folder in the edit. A double click on the edit browses too.
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace nvqb {

class TFrameDirEditBrowse : public QWidget {
    Q_OBJECT
public:
    explicit TFrameDirEditBrowse(QWidget *parent = nullptr);

    QLabel *LblCaption;
    QLineEdit *EditDirectory;
    QPushButton *BtnDirBrowse;

    // Whether no folder may be chosen: the dialog then offers "No directory".
    bool AllowEmpty = false;
    // Raised after a folder was chosen in the dialog, before the edit takes it.
    std::function<void(TFrameDirEditBrowse *sender)> OnChange;

    // The folder in the edit, trimmed, without a trailing "/" (the root
    // stays "/").
    QString Directory() const;
    void SetDirectory(const QString &folder);

    void BtnDirBrowseClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Set while the dialog is open: a second press opens no second dialog.
    bool FBrowsing = false;
};

} // namespace nvqb
