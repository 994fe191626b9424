#pragma once
// The folder-browse dialog: a tree of the machine's folders from the root
// "/", in which the user picks one folder. A non-visual object: Execute opens
// the dialog window modally and closes it again.
//
// While the window is open the events let the owner take part: OnInitialized
// and then OnCustomize when the window is set up (the place to add buttons),
// OnSelChanged when the selection changes, OnValidate to change whether OK is
// enabled for a selection, OnWndProc to handle an event of the window before
// the window does.
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QEvent;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace nvqb {

class TBrowseFolderDialog : public QObject {
    Q_OBJECT
public:
    enum TPosition { poDefault, poScreenCenter };

    explicit TBrowseFolderDialog(QObject *parent = nullptr);
    ~TBrowseFolderDialog() override;

    // The text above the tree.
    QString DialogText;
    // In: the folder selected when the dialog opens (no selection when it
    // does not exist). Out: the chosen folder, without a trailing "/" (the
    // root stays "/").
    QString FolderName;
    TPosition Position = poScreenCenter;

    // Opens the dialog modally over owner (the other windows of the
    // application take no input meanwhile) and gives the focus back to the
    // widget that had it. True when a folder was chosen with OK.
    bool Execute(QWidget *owner = nullptr);

    // While the dialog is open: its window, the selected folder (empty when
    // the selection is no existing folder), the OK button.
    QDialog *Window() const { return FWindow; }
    QString SelectedFolder() const { return FSelectedFolder; }
    QPushButton *OKButton() const { return FOKButton; }
    // Adds a button beside the first button (OK); connect to its clicked signal.
    QPushButton *AddButton(const QString &text);
    // Closes the dialog as cancelled once the current event is handled.
    void PostClose();

    std::function<void(TBrowseFolderDialog *sender)> OnInitialized;
    std::function<void(TBrowseFolderDialog *sender, QDialog *window)> OnCustomize;
    std::function<void(TBrowseFolderDialog *sender)> OnSelChanged;
    // True when the handler dealt with the event (the window then does not see it).
    std::function<bool(TBrowseFolderDialog *sender, QEvent *event)> OnWndProc;
    // May change whether OK is enabled for the folder (empty: no folder).
    std::function<void(TBrowseFolderDialog *sender, const QString &folder, bool &okEnabled)> OnValidate;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SelectStartFolder();
    void SelectionChanged(QTreeWidgetItem *item);
    void Populate(QTreeWidgetItem *item);

    QPointer<QDialog> FWindow;
    QTreeWidget *FTree = nullptr;
    QPushButton *FOKButton = nullptr;
    QString FSelectedFolder;
};

} // namespace nvqb
