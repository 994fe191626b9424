#pragma once
// The boxes and lines of the current diagram, found by the model nodes they
// show, and mouse gestures on them as a user makes them.
#include "ControlsTestSupport.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/DatasourceFieldsList.h"
#include "builder/controls/LinkControl.h"

#include <functional>

namespace nvqb::test {

class DiagramTest : public ControlsTest {
protected:
    // The data source of the current union part whose name (alias, else the
    // object's name) is Name.
    TnvDatasource *Datasource(const QString &name) const;
    TnvQueryBuilderDataSourceControl *Box(const QString &name) const;
    // Every link of the current union part's FROM groups.
    QList<TnvLink *> Links() const;
    TnvQueryBuilderLinkControl *Line(TnvLink *link) const;
    // A box count and a line count as the widgets on the diagram show them.
    int BoxWidgets() const;
    int LineWidgets() const;

    // The query and its sub-queries, each before the ones inside it.
    static void CollectStatements(TnvSubQuery *statement, QList<TnvSubQuery *> &list);
    static QList<TnvDatasource *> PartDatasources(TnvUnionSubQuery *part);
    // Every link of the part's FROM groups.
    static QList<TnvLink *> PartLinks(TnvUnionSubQuery *part);
    // Every diagram of the query shows its model: one box per data source,
    // one line per link, on the work area of the data source's own part, and
    // no widget of a node that is gone. Failures are the test's.
    void ExpectEveryDiagramShowsItsModel();

    // A table "wide" with the fields f0 .. f<count - 1>.
    void AddWideTable(int count);

    // The middle of the row's text (right of the check column) in the list's
    // viewport.
    static QPoint RowPoint(TnvQueryBuilderDatasourceFieldsList *list, int row);
    static QPoint CheckPoint(TnvQueryBuilderDatasourceFieldsList *list, int row);
    // Presses at From, moves to To and releases there: one drag of the left
    // button on the widget.
    static void Drag(QWidget *widget, const QPoint &from, const QPoint &to);
    // Starts a field drag from the row (recorded by the fixture) and returns
    // its data; nil when the list started none.
    const QMimeData *DragRow(TnvQueryBuilderDatasourceFieldsList *list, int row);
    // --- What a user does to boxes and lines of the current diagram --------
    // Scrolls the diagram so that the box's caption is in view, as a user
    // would before taking hold of it.
    void BringIntoView(TnvQueryBuilderDataSourceControl *box);
    // Drags the box by its caption.
    void MoveBoxBy(TnvQueryBuilderDataSourceControl *box, const QPoint &by);
    // Clicks the check box of the field list's row.
    void ClickFieldCheck(TnvQueryBuilderDataSourceControl *box, int row);
    // Drags a field of From (not its "*") onto a field of To, both chosen by
    // Pick (a number below its argument); what was done, empty when the two
    // are not two boxes that show fields.
    QString LinkRandomFields(TnvQueryBuilderDataSourceControl *from, TnvQueryBuilderDataSourceControl *to,
                             const std::function<int(int)> &pick);
    // Selects the line with a click through the window and deletes it with
    // the Delete key; false when a box lying over the line took the click.
    bool DeleteLine(TnvQueryBuilderLinkControl *line);
    // Selects the box's first field and deletes the box with the Delete key.
    void DeleteBox(TnvQueryBuilderDataSourceControl *box);
    // Clicks the box's minimise/restore button.
    void ToggleMinimise(TnvQueryBuilderDataSourceControl *box);
};

} // namespace nvqb::test
