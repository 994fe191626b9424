#include "builder/controls/SelectListControl.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/DatasourceFieldsList.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/TreeViewQueryStructure.h"
#include "builder/model/Datasource.h"

#include "builder/model/ControlFactory.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <algorithm>

namespace nvqb {

namespace {

// Cells as the grid draws them: the text clipped to the cell, 2 pixels from
// its leading edge, and the check box of an "Output" cell centred.
class TGridCellPainter : public QStyledItemDelegate {
public:
    explicit TGridCellPainter(TnvQueryBuilderSelectListControl *grid) : QStyledItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        const bool current = option.state & QStyle::State_Selected;
        const QPalette &palette = option.palette;
        painter->fillRect(option.rect, current ? palette.highlight() : palette.base());
        if (index.column() == TnvSelectListGridModel::colSelect) {
            QStyleOptionButton box;
            box.rect = FGrid->CheckBoxRect(index);
            const bool canSelect = index.flags() & Qt::ItemIsUserCheckable;
            const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            box.state = (canSelect ? QStyle::State_Enabled : QStyle::State_None) |
                        (canSelect && checked ? QStyle::State_On : QStyle::State_Off);
            box.palette = palette;
            FGrid->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, FGrid);
        } else {
            painter->setClipRect(option.rect);
            painter->setPen(current ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
            painter->setFont(option.font);
            const QRect textRect = option.rect.adjusted(2, 0, -2, 0);
            const Qt::Alignment side = option.direction == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
            painter->drawText(textRect, int(side | Qt::AlignVCenter | Qt::TextSingleLine),
                              index.data(Qt::DisplayRole).toString());
        }
        painter->restore();
    }

private:
    TnvQueryBuilderSelectListControl *FGrid;
};

bool IsTypedKey(const QKeyEvent *event)
{
    if (event->key() == Qt::Key_Backspace)
        return true;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && !text.at(0).isNull() && text.at(0).category() != QChar::Other_Control;
}

} // namespace

TnvQueryBuilderSelectListControl::TnvQueryBuilderSelectListControl(TnvSelectList *selectList, QWidget *parent)
    : QTableView(parent), FSelectList(selectList)
{
    // The editor exists before the model: setting the model already reports
    // a current cell.
    FEditor = new TnvQueryBuilderSelectListInplaceEdit(this);
    FEditor->hide();
    FModel = new TnvSelectListGridModel(selectList, this);
    setModel(FModel);
    setItemDelegate(new TGridCellPainter(this));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // The grid runs its own editor, which stays while the rows are rebuilt.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Fields are dropped here from the boxes; the grid starts no drags of
    // its own.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);

    QHeaderView *titles = horizontalHeader();
    titles->setFixedHeight(TitleHeight);
    titles->setHighlightSections(false);
    titles->setSectionsMovable(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QHeaderView *indicator = verticalHeader();
    indicator->setFixedWidth(IndicatorWidth);
    indicator->setHighlightSections(false);
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    // Rows are dragged by their indicator.
    indicator->setSectionsMovable(true);
    connect(indicator, &QHeaderView::sectionMoved, this, &TnvQueryBuilderSelectListControl::RowMoved);
    connect(titles, &QHeaderView::sectionResized, this, [this] { PlaceEditor(); });

    if (FModel->rowCount() > 0)
        setCurrentIndex(FModel->index(0, TnvSelectListGridModel::colSelect));
    if (FSelectList)
        UpdateControlVisualParams(FSelectList);
}

TnvQueryBuilderSelectListControl::~TnvQueryBuilderSelectListControl()
{
    // The editor goes first, while the grid is whole; its text goes nowhere
    // any more.
    FEditCol = FEditRow = -1;
    FFilling = true;
    delete FEditor;
    FEditor = nullptr;
    FSelectList = nullptr;
    FModel->DetachSelectList();
}

// ---------------------------------------------------------------------------
// Cells

bool TnvQueryBuilderSelectListControl::MyCanEditCell(int col, int row) const
{
    return FModel->CanEditCell(col - 1, row - 1);
}

void TnvQueryBuilderSelectListControl::MyGetPickListForCell(int col, int row, QStringList &list) const
{
    FModel->GetPickListForCell(col - 1, row - 1, list);
}

void TnvQueryBuilderSelectListControl::MySetEditText(int col, int row, const QString &text)
{
    FModel->SetEditText(col - 1, row - 1, text);
}

QString TnvQueryBuilderSelectListControl::GetEditText(int col, int row) const
{
    return FModel->CellText(col - 1, row - 1);
}

int TnvQueryBuilderSelectListControl::Col() const { return currentIndex().column() + 1; }

int TnvQueryBuilderSelectListControl::Row() const { return currentIndex().row() + 1; }

QRect TnvQueryBuilderSelectListControl::CheckBoxRect(const QModelIndex &index) const
{
    const QRect cell = visualRect(index);
    const int width = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
    const int height = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    QRect box(0, 0, width, height);
    box.moveCenter(cell.center());
    return box;
}

// ---------------------------------------------------------------------------
// The editor

bool TnvQueryBuilderSelectListControl::IsEditorShown() const
{
    return FEditor && FEditCol >= 0 && !FEditor->isHidden();
}

void TnvQueryBuilderSelectListControl::UpdateEditor()
{
    if (!FEditor)
        return;
    const QModelIndex current = currentIndex();
    if (!FSelectList || !current.isValid() || !FModel->CanEditCell(current.column(), current.row())) {
        FEditCol = FEditRow = -1;
        FEditor->CloseUp(false);
        // The grid takes the focus before the editor hides: a focused widget
        // that hides hands the focus on as the Tab key does, which the grid
        // would take as a move to the next cell.
        if (FEditor->hasFocus())
            setFocus();
        FEditor->hide();
        return;
    }
    const bool focused = FEditor->hasFocus() || hasFocus();
    FEditCol = current.column();
    FEditRow = current.row();
    switch (FModel->EditStyle(FEditCol, FEditRow)) {
    case TnvSelectListGridModel::esEllipsis:
        FEditor->SetButtonStyle(TnvQueryBuilderSelectListInplaceEdit::bsEllipsis);
        break;
    case TnvSelectListGridModel::esPickList:
        FEditor->SetButtonStyle(TnvQueryBuilderSelectListInplaceEdit::bsPickList);
        break;
    default:
        FEditor->SetButtonStyle(TnvQueryBuilderSelectListInplaceEdit::bsNone);
        break;
    }
    PlaceEditor();
    FEditor->UpdateContents();
    FEditor->show();
    if (focused)
        FEditor->setFocus(Qt::OtherFocusReason);
}

void TnvQueryBuilderSelectListControl::UpdateText()
{
    if (!FEditor || FEditCol < 0 || FWriting)
        return;
    const int col = FEditCol, row = FEditRow;
    const QString text = FEditor->text();
    FWriting = true;
    nvQBCatchAll([&] { FModel->SetEditText(col, row, text); });
    FWriting = false;
}

void TnvQueryBuilderSelectListControl::HideEditor()
{
    if (!FEditor || FEditCol < 0)
        return;
    UpdateText();
    FEditCol = FEditRow = -1;
    FEditor->CloseUp(false);
    if (FEditor->hasFocus())
        setFocus();
    FEditor->hide();
}

void TnvQueryBuilderSelectListControl::PlaceEditor()
{
    if (!FEditor || FEditCol < 0)
        return;
    // Inside the cell's grid lines.
    const QRect cell = visualRect(FModel->index(FEditRow, FEditCol));
    FEditor->setGeometry(cell.adjusted(0, 0, -1, -1));
}

void TnvQueryBuilderSelectListControl::EditorNavigate(QKeyEvent *event) { QTableView::keyPressEvent(event); }

void TnvQueryBuilderSelectListControl::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (!FEditor || FFilling || FWriting)
        return;
    // The old cell gets the editor's text first; the rows it rebuilds keep
    // the new current cell.
    if (FEditCol >= 0 && (FEditCol != current.column() || FEditRow != current.row())) {
        UpdateText();
        FEditCol = FEditRow = -1;
    }
    nvQBCatchAll([this] { UpdateEditor(); });
    // The structure tree follows the row the user chose (the empty last row
    // has no node there).
    if (current.row() != previous.row() && FSelectList)
        if (TnvSelectItem *row = FModel->Row(current.row()))
            if (auto *qb = dynamic_cast<TnvQueryBuilder *>(FSelectList->QueryBuilder()))
                if (TnvTreeViewQueryStructure *tree = qb->TreeViewQueryStructure();
                    tree && qb->TreeOptions()->TreeVisible())
                    nvQBCatchAll([tree, row] { tree->UpdateTreePosition(row); });
}

// ---------------------------------------------------------------------------
// Keyboard and mouse

void TnvQueryBuilderSelectListControl::ToggleSelect(int row)
{
    UpdateText();
    nvQBCatchAll([&] { FModel->ToggleSelect(row); });
}

void TnvQueryBuilderSelectListControl::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_Space && current.isValid() &&
        current.column() == TnvSelectListGridModel::colSelect && event->modifiers() == Qt::NoModifier) {
        ToggleSelect(current.row());
        return;
    }
    if (IsTypedKey(event)) {
        // Typing goes to the editor, and only in a cell that can be edited.
        if (FEditor && current.isValid() && FModel->CanEditCell(current.column(), current.row())) {
            if (FEditCol < 0)
                nvQBCatchAll([this] { UpdateEditor(); });
            FEditor->setFocus(Qt::OtherFocusReason);
            QApplication::sendEvent(FEditor, event);
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TnvQueryBuilderSelectListControl::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The click may have rebuilt the rows (the editor's text reached its
    // row): look again at what is under the mouse.
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    if (index.isValid() && index.column() == TnvSelectListGridModel::colSelect && CheckBoxRect(index).contains(at))
        ToggleSelect(index.row());
}

void TnvQueryBuilderSelectListControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A second click is a click like the first.
    mousePressEvent(event);
}

void TnvQueryBuilderSelectListControl::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    if (FEditCol < 0)
        nvQBCatchAll([this] { UpdateEditor(); });
    else if (!FEditor->isHidden())
        FEditor->setFocus(Qt::OtherFocusReason);
}

void TnvQueryBuilderSelectListControl::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    TnvSelectItem *row = FModel->Row(index.row());
    if (!row)
        return;
    UpdateText();
    // The text may have rebuilt the rows.
    row = FModel->Row(index.row());
    TnvQueryBuilderModel *qb = FSelectList ? FSelectList->QueryBuilder() : nullptr;
    if (!row || !qb)
        return;
    const QPoint at = event->globalPos();
    nvQBCatchAll([&] {
        if (row->GetPopupMenu())
            qb->PopupMenuPopup(at);
    });
    event->accept();
}

void TnvQueryBuilderSelectListControl::RowMoved(int, int oldVisualIndex, int newVisualIndex)
{
    // The header only reports the drag: the list moves the row and the rows
    // are refilled in their new order, so the header goes back to its own.
    QHeaderView *indicator = verticalHeader();
    {
        const QSignalBlocker blocker(indicator);
        indicator->moveSection(newVisualIndex, oldVisualIndex);
    }
    if (!FSelectList)
        return;
    UpdateText();
    const int col = currentIndex().column();
    // The empty last row stays last, as in the row's menu: it is not dragged
    // away, and no row is dropped below it.
    const qsizetype last = FSelectList->Count() - 1;
    if (last >= 0 && FSelectList->Items(last)->IsEmpty() && (oldVisualIndex == last || newVisualIndex == last))
        return;
    nvQBCatchAll([&] {
        if (oldVisualIndex < FSelectList->Count() && newVisualIndex < FSelectList->Count())
            FSelectList->Move(oldVisualIndex, newVisualIndex);
    });
    if (newVisualIndex < FModel->rowCount())
        setCurrentIndex(FModel->index(newVisualIndex, std::max(col, 0)));
}

void TnvQueryBuilderSelectListControl::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    PlaceEditor();
}

void TnvQueryBuilderSelectListControl::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    PlaceEditor();
}

void TnvQueryBuilderSelectListControl::updateGeometries()
{
    QTableView::updateGeometries();
    PlaceEditor();
}

// ---------------------------------------------------------------------------
// Fields dropped from the boxes

bool TnvQueryBuilderSelectListControl::DraggedField(const QDropEvent *event, TSQLFromSource *&datasource,
                                                    const TSQLQualifiedName *&field) const
{
    datasource = nullptr;
    field = nullptr;
    const QMimeData *data = event->mimeData();
    const QString format = QString::fromLatin1(DatasourceFieldMimeType);
    if (!FSelectList || !data || !data->hasFormat(format))
        return false;
    auto *box = qobject_cast<TnvQueryBuilderDataSourceControl *>(DragSource(event));
    TnvQueryBuilderDatasourceFieldsList *list = box ? box->FieldsList() : nullptr;
    TnvDatasource *source = box ? box->Datasource() : nullptr;
    // A field of another union part or sub-query names a table this part's
    // FROM does not hold.
    if (!list || !source || !source->DatasourceAST() || source->UnionSubQuery() != FSelectList->UnionSubQuery())
        return false;
    bool ok = false;
    const int row = data->data(format).toInt(&ok);
    if (!ok || row < 0 || row >= list->count())
        return false;
    // The one row without a field is the box's "*", which stands for all
    // its fields.
    datasource = source->DatasourceAST();
    field = list->FieldOfRow(row);
    return true;
}

void TnvQueryBuilderSelectListControl::dragEnterEvent(QDragEnterEvent *event) { dragMoveEvent(event); }

bool TnvQueryBuilderSelectListControl::AcceptFieldDrag(QDropEvent *event) const
{
    TSQLFromSource *datasource;
    const TSQLQualifiedName *field;
    if (!DraggedField(event, datasource, field)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void TnvQueryBuilderSelectListControl::dragMoveEvent(QDragMoveEvent *event) { AcceptFieldDrag(event); }

void TnvQueryBuilderSelectListControl::dragLeaveEvent(QDragLeaveEvent *event) { event->accept(); }

void TnvQueryBuilderSelectListControl::dropEvent(QDropEvent *event)
{
    if (!AcceptFieldDrag(event))
        return;
    // The editor's text reaches its row first. That may bind the query anew
    // and reload the rows and the box's list, so the field and the target row
    // are read afterwards.
    UpdateText();
    TSQLFromSource *datasource;
    const TSQLQualifiedName *field;
    if (!DraggedField(event, datasource, field))
        return;
    // A copy: the new row binds the query anew, which reloads the box's list.
    TOwned<TSQLQualifiedName> name = field ? field->Clone() : nullptr;
    const int row = indexAt(event->position().toPoint()).row();
    const qsizetype count = FSelectList->Count();
    const bool append = row < 0 || row >= count || (row == count - 1 && FSelectList->Items(row)->IsEmpty());
    nvQBCatchAll([&] {
        if (append)
            FSelectList->AddField(datasource, name.get());
        else
            FSelectList->InsertField(row, datasource, name.get());
    });
}

// ---------------------------------------------------------------------------
// The model's side

void TnvQueryBuilderSelectListControl::SetControlVisible(bool visible) { setVisible(visible); }

void TnvQueryBuilderSelectListControl::BringToFront() { raise(); }

void TnvQueryBuilderSelectListControl::UpdateControlVisualParams(TnvQueryBuilderControlOwner *)
{
    const TnvQueryBuilderModel *qb = FSelectList ? FSelectList->QueryBuilder() : nullptr;
    if (!qb)
        return;
    setFont(qb->GridFont());
    // Rows are 16 high unless the grid's font needs more.
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(std::max<int>(DefaultRowHeight, fontMetrics().height() + 2));
    setColumnWidth(TnvSelectListGridModel::colExpression, qb->ColumnWidthExpression());
    // The titles and the indicator are drawn flat in the ultra-flat style.
    const QString flat = qb->BorderStyle() == qbbsUltraFlat
                             ? QStringLiteral("QHeaderView::section { border: none; border-right: 1px solid palette(mid);"
                                              " border-bottom: 1px solid palette(mid); }")
                             : QString();
    horizontalHeader()->setStyleSheet(flat);
    verticalHeader()->setStyleSheet(flat);
    PlaceEditor();
}

int TnvQueryBuilderSelectListControl::GetCurrentCol() { return currentIndex().column(); }

void TnvQueryBuilderSelectListControl::SetCurrentCol(int col)
{
    const int row = std::max(currentIndex().row(), 0);
    if (col >= 0 && col < FModel->columnCount() && row < FModel->rowCount())
        setCurrentIndex(FModel->index(row, col));
}

int TnvQueryBuilderSelectListControl::GetCurrentRow() { return currentIndex().row(); }

void TnvQueryBuilderSelectListControl::SetCurrentRow(int row)
{
    const int col = std::max(currentIndex().column(), 0);
    if (row >= 0 && row < FModel->rowCount() && col < FModel->columnCount())
        setCurrentIndex(FModel->index(row, col));
}

void TnvQueryBuilderSelectListControl::FillList()
{
    const QModelIndex current = currentIndex();
    int row = current.row(), col = current.column();
    const bool wasFilling = FFilling;
    FFilling = true;
    FModel->Refill();
    if (FModel->rowCount() > 0) {
        row = std::clamp(row, 0, FModel->rowCount() - 1);
        col = std::clamp(col, 0, FModel->columnCount() - 1);
        if (currentIndex() != FModel->index(row, col))
            setCurrentIndex(FModel->index(row, col));
    }
    FFilling = wasFilling;
    viewport()->update();
    // The editor shows the cell as it reads now, unless it is the editor's
    // own text being written.
    if (!FWriting && !FFilling)
        UpdateEditor();
}

// ---------------------------------------------------------------------------

void RegisterSelectListControls(TnvControlFactory &factory)
{
    factory.RegisterControlClass(
        ControlClass::SelectListControl, [](TnvQueryBuilderControlOwner *owner, int) -> TnvModelControl * {
            auto *list = As<TnvSelectList>(owner);
            if (!list)
                return nullptr;
            // The columns pane of the union part's page; a list shown without
            // a page gets a window of its own.
            QWidget *parent = nullptr;
            if (TnvUnionSubQuery *part = list->UnionSubQuery())
                if (auto *page = part->GetControlInterface<InvUnionSubQueryControl>(0))
                    parent = qobject_cast<QWidget *>(page->GetSelectListParent());
            auto *grid = new TnvQueryBuilderSelectListControl(list, parent);
            if (parent) {
                // The grid fills the pane, up to the pane's own border.
                if (QLayout *layout = parent->layout()) {
                    layout->setContentsMargins(0, 0, 0, 0);
                    layout->addWidget(grid);
                }
                grid->show();
            }
            return grid;
        });
}

} // namespace nvqb
