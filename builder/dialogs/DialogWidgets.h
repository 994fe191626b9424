#pragma once
// Small helpers the dialogs share to build their controls in code: named
// panels and controls (the names are the localizer's property paths),
// read-only edits in the button face colour, the bottom button panel, and
// the form's localizer.
#include <QString>
#include <initializer_list>
#include <utility>

class QBoxLayout;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace nvqb {

class TnvQBLocalizerForm;

QWidget *NewPanel(QWidget *parent, const char *name);
QLabel *NewLabel(QWidget *parent, const char *name, const QString &caption);
// A read-only edit shows the button face colour, as the class library's do.
QLineEdit *NewEdit(QWidget *parent, const char *name, bool readOnly);
QPushButton *NewButton(QWidget *parent, const char *name, const QString &caption);
// A bottom panel Height pixels high with the buttons right-aligned.
QWidget *NewButtonPanel(QWidget *parent, int height, std::initializer_list<QPushButton **> buttons,
                        std::initializer_list<std::pair<const char *, QString>> names);
// The bottom panel of a dialog with "OK" (the default button, accepting)
// and "Cancel" (rejecting), named bOk and bCancel.
QWidget *NewOkCancelPanel(QDialog *dialog, int height, QPushButton *&ok, QPushButton *&cancel);
// The form's localizer over the property paths, made once the controls
// exist: the texts they hold become the defaults and the current language
// is applied.
TnvQBLocalizerForm *NewFormLocalizer(QWidget *form, std::initializer_list<const char *> paths);

} // namespace nvqb
