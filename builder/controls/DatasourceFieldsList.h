#pragma once
// The field list that fills a data-source box: one checkable row per field
// of the data source ("*" first when the dialect selects all fields of a
// table that way). A check mark puts the field into the select list; a
// field dragged onto a field of another box on the same diagram becomes a
// link; other drags go to the diagram beneath.
#include "builder/controls/CheckListBoxBase.h"
#include "builder/controls/DragFormats.h"
#include "sqlmodel/ast/AstNode.h"

#include <vector>

namespace nvqb {

class TnvQueryBuilderDataSourceControl;
class TnvDatasource;
class TnvBaseSyntaxProvider;
class TSQLQualifiedName;

class TnvQueryBuilderDatasourceFieldsList : public TnvCheckListBoxBase {
    Q_OBJECT
public:
    explicit TnvQueryBuilderDatasourceFieldsList(TnvQueryBuilderDataSourceControl *box);
    ~TnvQueryBuilderDatasourceFieldsList() override;

    TnvQueryBuilderDataSourceControl *Box() const { return FBox; }

    // One row per field of the list (field names without quotes), after a
    // "*" row when the provider selects all fields that way.
    void Reload(const TnvBaseSyntaxProvider *provider, const class TnvMetadataFieldsList *fields);
    // The field of the row; nil for the "*" row and for rows that do not
    // exist.
    const TSQLQualifiedName *FieldOfRow(int row) const;
    // The first row of the field (names compared as the provider does); -1
    // when none, and for nil.
    int RowOfField(const TSQLQualifiedName *field, const TnvBaseSyntaxProvider *provider) const;
    // Whether a field dragged from the row of Source may be dropped on the
    // row of this list: only a field of another box of the same diagram onto
    // a field.
    bool CanDropField(const TnvQueryBuilderDatasourceFieldsList *source, int sourceRow, int targetRow) const;

protected:
    void ClickCheck(int index) override;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    TnvDatasource *Datasource() const;
    // The row under a point of the viewport; -1 when none.
    int RowAt(const QPoint &point) const;
    // The box and row of a field drag that this list takes at the event's
    // point; false for any other drag.
    bool AcceptableFieldDrag(const QDropEvent *event, TnvQueryBuilderDatasourceFieldsList *&source,
                             int &sourceRow) const;
    void StartFieldDrag();

    TnvQueryBuilderDataSourceControl *FBox;
    // A copy of the field name of every row (nil for "*"), so that binding
    // the data source anew leaves no row pointing at a freed name.
    std::vector<TOwned<TSQLQualifiedName>> FFields;
    int FDragRow = -1;
    QPoint FDragStart;
};

} // namespace nvqb
