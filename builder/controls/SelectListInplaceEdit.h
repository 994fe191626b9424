#pragma once
// The editor of the column grid's current cell. The grid owns one editor for
// its whole life and moves it from cell to cell (the query model rebuilds
// the grid's rows after every edit, which must not close the editor).
//
// Next to the text the editor shows a drop-down button for a cell with a
// pick list, or an ellipsis button for a cell whose expression holds
// sub-queries (which brings their page to the front). Typing completes from
// the pick list: the typed text is matched against the entries' starts and
// the first match is shown with the part not typed selected.
#include <QLineEdit>
#include <QPointer>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QMenu;
class QToolButton;

namespace nvqb {

class TnvQueryBuilderSelectListControl;

class TnvQueryBuilderSelectListInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    enum TButtonStyle { bsNone, bsEllipsis, bsPickList };

    explicit TnvQueryBuilderSelectListInplaceEdit(TnvQueryBuilderSelectListControl *grid);
    ~TnvQueryBuilderSelectListInplaceEdit() override;

    TnvQueryBuilderSelectListControl *Grid() const { return FGrid; }

    // Shows the cell's text, all selected, and restarts the completion.
    void UpdateContents();
    void SetButtonStyle(TButtonStyle style);
    TButtonStyle ButtonStyle() const { return FButtonStyle; }
    // The drop-down or ellipsis button; nil without one.
    QToolButton *Button() const;
    // The pick list of the current cell, as the grid gives it.
    QStringList DoGetPickListItems() const;

    // The drop-down list: shown under the editor with up to 12 rows.
    void DropDown();
    void CloseUp(bool accept);
    bool IsListVisible() const;
    QListWidget *PickList() const { return FPickList; }
    static constexpr int DropDownRows = 12;

    // Runs the ellipsis: the cell is written, then the sub-queries of its
    // expression or condition are shown (one page at once, several as a
    // list to choose from).
    void DoEditButtonClick();

    // The editor's context menu (the caller owns it): "Insert Sub-Query" in
    // the Expression and criteria columns, and the Edit submenu.
    QMenu *GetPopupMenu();
    void CopyEvent();
    void CutEvent();
    void PasteEvent();
    void SelectAllEvent();
    void InsertSubQueryEvent();

    // The text after inserting a sub-query at the selection (Start, Length)
    // of Text, and the inserted part's place in it. Between an opening and
    // a closing bracket only "Select From" goes in; elsewhere the whole
    // sub-query in brackets, after "In" in a criteria cell.
    struct TInsertion {
        QString Text;
        int Start = 0;
        int Length = 0;
    };
    static TInsertion InsertSubQueryText(const QString &text, int start, int length, bool criteria);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Completes from the pick list; true when the key was consumed.
    bool AutoComplete(const QString &typed, int key);
    void PlaceButton();
    // Shows the text as the current cell reads it, when the two differ.
    void ShowCellText();
    void PickListClicked(QListWidgetItem *item);
    void ButtonClicked();

    TnvQueryBuilderSelectListControl *FGrid;
    QToolButton *FButton;
    QListWidget *FPickList;
    TButtonStyle FButtonStyle = bsNone;
    // The characters typed since the completion started.
    QString FTypedPrefix;
};

} // namespace nvqb
