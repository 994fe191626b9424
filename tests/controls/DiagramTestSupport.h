#pragma once
// The boxes and lines of the current diagram, found by the model nodes they
// show, and mouse gestures on them as a user makes them.
#include "ControlsTestSupport.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/DatasourceFieldsList.h"
#include "builder/controls/LinkControl.h"

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
};

} // namespace nvqb::test
