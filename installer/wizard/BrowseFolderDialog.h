#pragma once
// The folder-browse dialog: a tree of folders in which the user picks one,
// rooted at the user's desktop folder or at the file system's root "/". A
// non-visual object: Execute opens the dialog window modally and closes it
// again.
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
    // What is browsed: folders, or the computers of the network (which this
    // system has no neighbourhood of: Execute refuses that kind).
    enum TBrowseKind { bkFolders, bkComputers };

    explicit TBrowseFolderDialog(QObject *parent = nullptr);
    ~TBrowseFolderDialog() override;

    // The text above the tree.
    QString DialogText;
    // In: the folder selected when the dialog opens (no selection when it
    // does not exist). Out: the chosen folder, without a trailing "/" (the
    // root stays "/").
    QString FolderName;
    TPosition Position = poScreenCenter;
    // With folders browsed, the tree starts at the user's desktop folder (the
    // home folder where there is none), unless the start folder lies outside
    // it: the tree then starts at "/" so that the start folder is shown.
    // Cleared, the tree always starts at "/".
    bool DesktopRoot = true;
    TBrowseKind BrowseKind = bkFolders;
    // Not 0: the dialog has a "Help" button, and it and F1 ask for help on
    // this context: OnHelp when set, else the application's help routine
    // (SetApplicationHelp).
    int HelpContext = 0;
    std::function<void(TBrowseFolderDialog *sender, int context)> OnHelp;

    // The folder the tree starts at when folders are browsed with DesktopRoot:
    // the desktop folder Qt reports, the home folder where that is no folder.
    static QString DesktopFolder();

    // Opens the dialog modally over owner (the other windows of the
    // application take no input meanwhile) and gives the focus back to the
    // widget that had it. True when a folder was chosen with OK. Computers
    // cannot be browsed: that kind shows why and returns false.
    bool Execute(QWidget *owner = nullptr);

    // While the dialog is open: its window, the selected folder (empty when
    // the selection is no existing folder), the OK button.
    QDialog *Window() const { return FWindow; }
    QString SelectedFolder() const { return FSelectedFolder; }
    QPushButton *OKButton() const { return FOKButton; }
    // The "Help" button while the dialog is open with a help context; nil
    // otherwise.
    QPushButton *HelpButton() const { return FHelpButton; }
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
    QString RootFolder(const QString &start) const;
    void Help();
    void SelectStartFolder(const QString &root);
    void SelectionChanged(QTreeWidgetItem *item);
    void Populate(QTreeWidgetItem *item);

    QPointer<QDialog> FWindow;
    QTreeWidget *FTree = nullptr;
    QPushButton *FOKButton = nullptr;
    QPushButton *FHelpButton = nullptr;
    QString FSelectedFolder;
};

} // namespace nvqb
