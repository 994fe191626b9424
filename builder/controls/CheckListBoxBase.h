#pragma once
// A list with a check box in front of every item, the base of the query
// builder's check lists (the field list of a data-source box among them).
// The check-box column is as wide as the style's check box plus two
// pixels; a press in it, or the space key, toggles the item's check. A
// double click in that column is taken as one more press, so two quick
// clicks on a check box toggle it twice and never count as a double click
// on the item; right of the column a double click is an ordinary one.
#include <QListWidget>

namespace nvqb {

class TnvCheckListBoxBase : public QListWidget {
    Q_OBJECT
public:
    explicit TnvCheckListBoxBase(QWidget *parent = nullptr);
    ~TnvCheckListBoxBase() override;

    // The width of the check-box column at the left of every row.
    int GetCheckWidth() const;
    // The height of every row: the font's line or the check box with a
    // pixel above and below, whichever is taller.
    int ItemHeight() const;
    // The height at which every item shows without scrolling: the rows,
    // twice the frame width and 4.
    int CalcOptimalHeight() const;

    bool Checked(int index) const;
    void SetChecked(int index, bool value);

protected:
    // Runs after the user toggled the item's check; the base does nothing.
    virtual void ClickCheck(int index);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Every item of the list is checkable and starts unchecked.
    void rowsInserted(const QModelIndex &parent, int start, int end) override;

private:
    void ToggleClickCheck(int index);
    // Toggles the item under a left press in the check column.
    void CheckColumnPress(QMouseEvent *event);
};

} // namespace nvqb
