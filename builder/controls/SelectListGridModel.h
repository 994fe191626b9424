#pragma once
// The rows of a select list as a table for the column grid. Each table row
// is a select-list row and each column one of its text properties; the
// model reads and writes the rows only through those texts, so parsing and
// every rule of how one property follows another stay in the query model.
//
// Column 0 is "Output" (a check state), then "Expression", "Alias",
// "Sort Type", "Sort Order", "Group By", "Criteria" and the "Or..." columns
// that hold further criteria cells. The column count grows as criteria are
// added but never shrinks, so a column the user has sized stays.
//
// The select list changes under the model (every edit rebuilds the query);
// Refill brings the table in line afterwards with row and column inserts or
// removals at the end and one change signal over the rest, so views keep
// their current cell, column widths and open editor.
#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

namespace nvqb {

class TnvSelectList;
class TnvSelectItem;

class TnvSelectListGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn {
        colSelect = 0,
        colExpression,
        colAlias,
        colSortType,
        colSortOrder,
        colGroupBy,
        colCriteria, // and the "Or..." columns after it
    };
    // How a cell is edited as text.
    enum TEditStyle { esSimple, esEllipsis, esPickList };

    explicit TnvSelectListGridModel(TnvSelectList *selectList, QObject *parent = nullptr);

    TnvSelectList *SelectList() const { return FSelectList; }
    // The list is going: the table empties and answers nothing more.
    void DetachSelectList();

    // The row of the table row; nil outside the list.
    TnvSelectItem *Row(int row) const;
    QString CellText(int col, int row) const;
    bool CanEditCell(int col, int row) const;
    TEditStyle EditStyle(int col, int row) const;
    // Cleared first.
    void GetPickListForCell(int col, int row, QStringList &list) const;
    // Writes the text to the row when it differs from the cell's text; true
    // when it was written. What the row raises reaches the caller.
    bool SetEditText(int col, int row, const QString &text);
    // Toggles the output flag of a row that can be output; true when done.
    bool ToggleSelect(int row);
    // The index of a criteria column in the row's conditions; -1 for others.
    static int ConditionIndex(int col) { return col >= colCriteria ? col - colCriteria : -1; }

    // Follows the select list: rows and columns, and every cell's text.
    void Refill();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    // At least three "Or..." columns, and one empty criteria column past the
    // widest row.
    int WantedColumnCount() const;

    TnvSelectList *FSelectList;
    int FRowCount = 0;
    int FColumnCount = 0;
};

} // namespace nvqb
