#include "builder/dialogs/DialogWidgets.h"
#include "support/LocalizerForm.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace nvqb {

QWidget *NewPanel(QWidget *parent, const char *name)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
}

QLabel *NewLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit *NewEdit(QWidget *parent, const char *name, bool readOnly)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    if (readOnly) {
        edit->setReadOnly(true);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        edit->setPalette(palette);
    }
    return edit;
}

QPushButton *NewButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QWidget *NewButtonPanel(QWidget *parent, int height, std::initializer_list<QPushButton **> buttons,
                        std::initializer_list<std::pair<const char *, QString>> names)
{
    QWidget *panel = NewPanel(parent, "pButtons");
    panel->setFixedHeight(height);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addStretch(1);
    auto name = names.begin();
    for (QPushButton **button : buttons) {
        *button = NewButton(panel, name->first, name->second);
        (*button)->setAutoDefault(false);
        layout->addWidget(*button);
        ++name;
    }
    return panel;
}

QWidget *NewOkCancelPanel(QDialog *dialog, int height, QPushButton *&ok, QPushButton *&cancel)
{
    QWidget *panel = NewButtonPanel(dialog, height, {&ok, &cancel},
                                    {{"bOk", QStringLiteral("OK")}, {"bCancel", QStringLiteral("Cancel")}});
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return panel;
}

TnvQBLocalizerForm *NewFormLocalizer(QWidget *form, std::initializer_list<const char *> paths)
{
    TnvQBLocalizerForm *localizer = TnvQBLocalizerForm::Create(form);
    for (const char *path : paths)
        localizer->Properties()->Add(QByteArray(path));
    localizer->Loaded();
    return localizer;
}

} // namespace nvqb
