#include "installer/wizard/FrameDirEditBrowse.h"
#include "installer/platform/FileNames.h"
#include "installer/wizard/BrowseFolderDialog.h"
#include "installer/wizard/GuardedCall.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace nvqb {

TFrameDirEditBrowse::TFrameDirEditBrowse(QWidget *parent)
    : QWidget(parent), LblCaption(new QLabel(this)), EditDirectory(new QLineEdit(this)),
      BtnDirBrowse(new QPushButton(QStringLiteral("..."), this))
{
    LblCaption->setObjectName(QStringLiteral("LblCaption"));
    EditDirectory->setObjectName(QStringLiteral("EditDirectory"));
    BtnDirBrowse->setObjectName(QStringLiteral("BtnDirBrowse"));
    BtnDirBrowse->setAutoDefault(false);
    BtnDirBrowse->setFixedWidth(BtnDirBrowse->sizeHint().height() + 6);
    LblCaption->setBuddy(EditDirectory);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LblCaption, 0, 0, 1, 2);
    layout->addWidget(EditDirectory, 1, 0);
    layout->addWidget(BtnDirBrowse, 1, 1);
    EditDirectory->installEventFilter(this);
    connect(BtnDirBrowse, &QPushButton::clicked, this, [this] { GuardedCall(this, [this] { BtnDirBrowseClick(); }); });
}

QString TFrameDirEditBrowse::Directory() const
{
    return ExcludeTrailingPathDelimiter(EditDirectory->text().trimmed());
}

void TFrameDirEditBrowse::SetDirectory(const QString &folder)
{
    EditDirectory->setText(folder);
}

void TFrameDirEditBrowse::BtnDirBrowseClick()
{
    if (FBrowsing)
        return;
    FBrowsing = true;
    bool emptyChoice = false;
    TBrowseFolderDialog dialog;
    dialog.DialogText = QStringLiteral("Please select the directory below:");
    dialog.FolderName = Directory();
    dialog.OnInitialized = [this, &emptyChoice](TBrowseFolderDialog *sender) {
        if (!AllowEmpty)
            return;
        QPushButton *none = sender->AddButton(QStringLiteral("No directory"));
        none->setObjectName(QStringLiteral("btnNoDirectory"));
        connect(none, &QPushButton::clicked, sender, [this, sender, &emptyChoice] {
            EditDirectory->clear();
            emptyChoice = true;
            sender->PostClose();
        });
    };
    bool chosen = false;
    try {
        chosen = dialog.Execute(this);
    } catch (...) {
        FBrowsing = false;
        throw;
    }
    FBrowsing = false;
    if (!chosen && !emptyChoice)
        return;
    const QString folder = emptyChoice ? QString() : dialog.FolderName;
    if (OnChange)
        OnChange(this);
    if (!folder.isEmpty() || AllowEmpty)
        EditDirectory->setText(folder);
}

bool TFrameDirEditBrowse::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EditDirectory && event->type() == QEvent::MouseButtonDblClick) {
        BtnDirBrowse->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace nvqb
