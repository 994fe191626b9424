#pragma once
// The column grid under the diagram of a union part: one row per row of the
// select list, one column per property and the criteria columns. It is the
// select list's only control and reads and writes the rows through
// TnvSelectListGridModel, so all parsing stays in the query model.
//
// The vertical header is the row indicator; rows are moved by dragging it.
// The current cell always shows the grid's editor when it can be edited;
// the editor's text reaches the row when the user presses Enter, picks from
// the list, moves to another cell or leaves the grid.
//
// A field dragged from a box of the same union part becomes a row: dropped
// on a row it is inserted before that row, dropped on the empty last row or
// below the rows it is added at the end.
#include "builder/controls/SelectListGridModel.h"
#include "builder/controls/SelectListInplaceEdit.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ModelControl.h"

#include <QTableView>

namespace nvqb {

class TnvControlFactory;
class TnvSelectList;
class TSQLFromSource;
class TSQLQualifiedName;

class TnvQueryBuilderSelectListControl : public QTableView,
                                         public TnvModelControl,
                                         public virtual InvControl,
                                         public InvSelectListControl {
    Q_OBJECT
public:
    // The grid of the list, a child of Parent (the columns pane).
    TnvQueryBuilderSelectListControl(TnvSelectList *selectList, QWidget *parent = nullptr);
    ~TnvQueryBuilderSelectListControl() override;

    TnvSelectList *SelectList() const { return FSelectList; }
    TnvSelectListGridModel *GridModel() const { return FModel; }
    TnvQueryBuilderSelectListInplaceEdit *InplaceEditor() const { return FEditor; }

    // --- Cells in grid coordinates: column 0 and row 0 are the indicator
    // and the titles, grid row r shows select-list row r - 1 -------------------
    bool MyCanEditCell(int col, int row) const;
    void MyGetPickListForCell(int col, int row, QStringList &list) const;
    // Writes the text to the row when it differs from the cell's.
    void MySetEditText(int col, int row, const QString &text);
    QString GetEditText(int col, int row) const;
    // The grid position of the current cell.
    int Col() const;
    int Row() const;

    // --- The editor ---------------------------------------------------------
    // Shows the editor on the current cell when it can be edited, else
    // hides it.
    void UpdateEditor();
    // Writes the editor's text to its cell and hides it.
    void HideEditor();
    // Writes the editor's text to its cell; the editor stays.
    void UpdateText();
    bool IsEditorShown() const;
    // The editor's cell as table row and column; -1 while hidden.
    int EditorCol() const { return FEditCol; }
    int EditorRow() const { return FEditRow; }

    // The check box of an "Output" cell: the system's check size centred in
    // the cell.
    QRect CheckBoxRect(const QModelIndex &index) const;

    // --- TnvModelControl, InvControl, InvSelectListControl ------------------
    void SetControlVisible(bool visible) override;
    void BringToFront() override;
    void UpdateControlVisualParams(TnvQueryBuilderControlOwner *owner) override;
    int GetCurrentCol() override;
    void SetCurrentCol(int col) override;
    int GetCurrentRow() override;
    void SetCurrentRow(int row) override;
    void FillList() override;

    // The grid's row indicator column and title row.
    static constexpr int IndicatorWidth = 12;
    static constexpr int TitleHeight = 18;
    static constexpr int DefaultRowHeight = 16;

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    void updateGeometries() override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The data source and field (nil for its "*" row) of a field drag from a
    // box of this list's union part; false for any other drag.
    bool DraggedField(const QDropEvent *event, TSQLFromSource *&datasource, const TSQLQualifiedName *&field) const;
    // Takes a field drag as a copy and refuses any other; true when taken.
    bool AcceptFieldDrag(QDropEvent *event) const;
    friend class TnvQueryBuilderSelectListInplaceEdit;
    // The editor hands on the keys that move between cells.
    void EditorNavigate(QKeyEvent *event);
    void PlaceEditor();
    void RowMoved(int logicalIndex, int oldVisualIndex, int newVisualIndex);
    void ToggleSelect(int row);

    TnvSelectList *FSelectList;
    TnvSelectListGridModel *FModel;
    TnvQueryBuilderSelectListInplaceEdit *FEditor;
    // The cell the editor shows, in model coordinates; -1 while hidden.
    int FEditCol = -1;
    int FEditRow = -1;
    // Set while the rows are refilled or the editor writes its text, so the
    // current-cell changes these cause do not write or move the editor.
    bool FFilling = false;
    bool FWriting = false;
};

// Registers the grid as the select list's control.
void RegisterSelectListControls(TnvControlFactory &factory);

} // namespace nvqb
