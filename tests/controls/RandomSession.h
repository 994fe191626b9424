#pragma once
// Sessions of random user actions on the shown query builder: typed grid
// cells, output check boxes, row menus and row drags, fields dropped on the
// grid, tables dragged from the metadata tree, boxes moved, fields checked
// and linked, links removed, boxes deleted and minimised, the link and
// data-source dialogs, the union bar's operators, buttons and menus, tabs.
// After every action the query must hold: its SQL parses, a fresh model
// reads it back to the same text, every grid has a row per row of its
// select list, and every diagram a box per data source and a line per link.
// A failing session names its seed and the actions it took.
#include "DiagramTestSupport.h"
#include "builder/RandomCellText.h"

#include <QMap>
#include <QRandomGenerator>

namespace nvqb {
class TnvQueryBuilderSelectListControl;
class TnvSelectList;
class TnvLink;
} // namespace nvqb

namespace nvqb::test {

struct TSessionOptions {
    quint32 Seed = 1;
    int Actions = 100;
    // Includes "Insert Sub-Query" from the cell editor's menu. Off by
    // default: that item takes the control down at present.
    bool InsertSubQuery = false;
    // A table is dropped only into a union part where no data source is of
    // it or shows its name, and an alias typed only where no other data
    // source of the part shows that name or is of a table of that name. On by default: at present the control lets two sources of a
    // part show one name (a table added twice, an alias another source
    // shows), and reads t.* of a table back as t.* of an aliased copy of it;
    // such SQL neither runs nor reads back the same.
    bool DistinctNames = true;
};

class RandomSession : public DiagramTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs one session from the start statement; failures are reported
    // through the test, with the seed and the actions taken.
    void RunSession(const TSessionOptions &options);
    // The kinds of actions the sessions run so far took, by name.
    QMap<QString, int> Taken;

private:
    void Step();
    // The query as the invariants want it; false (and a test failure) when
    // it is not.
    bool Check(const QString &where);
    QString Failure() const;

    // --- Actions ------------------------------------------------------------
    void TypeIntoCell();
    void ToggleOutput();
    void RowMenu();
    void DragRowIndicator();
    void DropFieldOnGrid();
    void InsertSubQuery();
    void DropTableFromTree();
    void MoveBox();
    void CheckField();
    void LinkFields();
    void Unlink();
    void RemoveBox();
    void MinimiseBox();
    void LinkDialog();
    void DatasourceDialog();
    void UnionOperator();
    void UnionButtonOrTab();
    void UnionBarMenu();
    void Reload();

    // --- Helpers --------------------------------------------------------------
    int Pick(int count) { return FText ? FText->Pick(count) : 0; }
    void Log(const QString &action) { FLog.append(action); }
    TnvQueryBuilderSelectListControl *CurrentGrid() const;
    // The grid's cell, scrolled into view.
    QModelIndex ScrollToCell(TnvQueryBuilderSelectListControl *grid, int row, int col);
    // Clicks the cell; true when its editor shows then.
    bool ClickCellEditor(TnvQueryBuilderSelectListControl *grid, int row, int col);
    TnvQueryBuilderDataSourceControl *AnyBox();
    TnvQueryBuilderLinkControl *AnyLine();
    // The names the data sources of the current part show (alias, else the
    // object's own name), but Except's; with Objects the objects' own names
    // instead, aliased or not.
    QStringList ShownNames(const TnvDatasource *except = nullptr, bool objects = false) const;
    // Chooses an enabled item of the menu the last right click opened (not
    // About, not the ones the session leaves out); false when none.
    bool ClickAnyMenuItem(const QStringList &leftOut = {});

    TSessionOptions FOptions;
    std::unique_ptr<TRandomCellText> FText;
    QStringList FLog;
    int FStep = 0;
    // Reads the SQL back with the same dialect and metadata.
    TOwned<TnvQueryBuilderModel> FReader;
};

} // namespace nvqb::test
