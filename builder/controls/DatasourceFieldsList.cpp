#include "builder/controls/DatasourceFieldsList.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/WorkArea.h"
#include "builder/model/Datasource.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace nvqb {

namespace {

// A field drag names the box it comes from as its source (the builder's drag
// data) and carries the row of the box's list; the field's name goes along as
// plain text for other applications.
QMimeData *NewFieldDragData(TnvQueryBuilderDataSourceControl *box, int row, const TSQLQualifiedName *field)
{
    auto *data = new TnvDragMimeData(box);
    data->setData(QString::fromLatin1(DatasourceFieldMimeType), QByteArray::number(row));
    if (field)
        data->setText(field->GetQualifiedNameWithoutQuotes());
    return data;
}

} // namespace

TnvQueryBuilderDatasourceFieldsList::TnvQueryBuilderDatasourceFieldsList(TnvQueryBuilderDataSourceControl *box)
    : TnvCheckListBoxBase(box), FBox(box)
{
    setFrameShape(QFrame::NoFrame);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

TnvQueryBuilderDatasourceFieldsList::~TnvQueryBuilderDatasourceFieldsList() = default;

TnvDatasource *TnvQueryBuilderDatasourceFieldsList::Datasource() const { return FBox->Datasource(); }

void TnvQueryBuilderDatasourceFieldsList::Reload(const TnvBaseSyntaxProvider *provider,
                                                 const TnvMetadataFieldsList *fields)
{
    setUpdatesEnabled(false);
    auto enable = TnvScopeExit([this] { setUpdatesEnabled(true); });
    clear();
    FFields.clear();
    if (provider && provider->IsSupportAllTableFieldsSelection()) {
        addItem(QStringLiteral("*"));
        FFields.emplace_back(nullptr);
    }
    if (fields) {
        for (qsizetype i = 0; i < fields->Count(); ++i) {
            const TSQLQualifiedName *name = fields->Items(i)->Name();
            if (!name)
                continue;
            addItem(name->GetQualifiedNameWithoutQuotes());
            FFields.push_back(name->Clone());
        }
    }
}

const TSQLQualifiedName *TnvQueryBuilderDatasourceFieldsList::FieldOfRow(int row) const
{
    return row >= 0 && size_t(row) < FFields.size() ? FFields[size_t(row)].get() : nullptr;
}

int TnvQueryBuilderDatasourceFieldsList::RowOfField(const TSQLQualifiedName *field,
                                                    const TnvBaseSyntaxProvider *provider) const
{
    if (!field)
        return -1;
    for (size_t row = 0; row < FFields.size(); ++row) {
        const TSQLQualifiedName *name = FFields[row].get();
        if (!name)
            continue;
        const bool equal = provider ? provider->CompareQualifiedNames(name, field) == 0
                                    : name->GetQualifiedName() == field->GetQualifiedName();
        if (equal)
            return int(row);
    }
    return -1;
}

int TnvQueryBuilderDatasourceFieldsList::RowAt(const QPoint &point) const
{
    const QModelIndex index = indexAt(point);
    return index.isValid() ? index.row() : -1;
}

bool TnvQueryBuilderDatasourceFieldsList::CanDropField(const TnvQueryBuilderDatasourceFieldsList *source,
                                                       int sourceRow, int targetRow) const
{
    // Only a field makes a link: the "*" row (wherever the list has one) is
    // none, while the first row of a list without "*" is an ordinary field.
    return source && source != this && source->FBox->parentWidget() == FBox->parentWidget() &&
           source->FieldOfRow(sourceRow) && FieldOfRow(targetRow) && source->Datasource() && Datasource();
}

// ---------------------------------------------------------------------------
// Check marks

void TnvQueryBuilderDatasourceFieldsList::ClickCheck(int index)
{
    nvQBCatchAll([this, index] {
        TnvDatasource *datasource = Datasource();
        TnvUnionSubQuery *unionSubQuery = datasource ? datasource->UnionSubQuery() : nullptr;
        TnvSelectList *selectList = unionSubQuery ? unionSubQuery->SelectList() : nullptr;
        TSQLFromSource *node = datasource ? datasource->DatasourceAST() : nullptr;
        if (!selectList || !node || index < 0 || index >= count())
            return;
        const TnvBaseSyntaxProvider *provider = datasource->SyntaxProvider();
        // The "*" row stands for all fields of the data source.
        const TSQLQualifiedName *field =
            index == 0 && provider && provider->IsSupportAllTableFieldsSelection() ? nullptr : FieldOfRow(index);
        if (index != 0 && !field)
            return;
        // The field's copy may go when the list reloads inside the bracket.
        TOwned<TSQLQualifiedName> name = field ? field->Clone() : nullptr;
        auto bracket = UpdateBracket(selectList);
        if (Checked(index)) {
            TnvSelectItem *row = selectList->FindField(node, name.get());
            if (!row && selectList->Count() > 0) {
                TnvSelectItem *last = selectList->Items(selectList->Count() - 1);
                if (last->IsEmpty()) {
                    last->SetFieldExpression(node, name.get());
                    row = last;
                }
            }
            if (!row)
                row = selectList->AddField(node, name.get());
            if (row)
                row->SetSelect(true);
        } else {
            selectList->RemoveFields(node, name.get());
        }
    });
}

// ---------------------------------------------------------------------------
// Mouse and keys

void TnvQueryBuilderDatasourceFieldsList::mousePressEvent(QMouseEvent *event)
{
    FBox->raise();
    const QPoint point = event->position().toPoint();
    const int row = RowAt(point);
    if (row >= 0)
        setCurrentRow(row);
    setFocus(Qt::MouseFocusReason);
    FDragRow = event->button() == Qt::LeftButton ? row : -1;
    FDragStart = point;
    const TnvQueryBuilderModel *qb = FBox->QueryBuilder();
    // While SQL waits to be loaded the boxes are about to go.
    if (qb && qb->IsSQLLoading())
        return;
    TnvCheckListBoxBase::mousePressEvent(event);
}

void TnvQueryBuilderDatasourceFieldsList::mouseMoveEvent(QMouseEvent *event)
{
    if (FDragRow >= 0 && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - FDragStart).manhattanLength() >= QApplication::startDragDistance()) {
        const int row = FDragRow;
        FDragRow = -1;
        if (FieldOfRow(row)) {
            FDragRow = row;
            StartFieldDrag();
            FDragRow = -1;
        }
        return;
    }
    // No rubber-band selection or item drags of the list's own.
    if (!(event->buttons() & Qt::LeftButton))
        TnvCheckListBoxBase::mouseMoveEvent(event);
}

void TnvQueryBuilderDatasourceFieldsList::mouseReleaseEvent(QMouseEvent *event)
{
    FDragRow = -1;
    TnvCheckListBoxBase::mouseReleaseEvent(event);
}

void TnvQueryBuilderDatasourceFieldsList::StartFieldDrag()
{
    auto *drag = new QDrag(this);
    drag->setMimeData(NewFieldDragData(FBox, FDragRow, FieldOfRow(FDragRow)));
    RunDrag(drag, Qt::LinkAction);
}

void TnvQueryBuilderDatasourceFieldsList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
        QApplication::mouseButtons() == Qt::NoButton) {
        FBox->Release();
        event->accept();
        return;
    }
    TnvCheckListBoxBase::keyPressEvent(event);
}

void TnvQueryBuilderDatasourceFieldsList::contextMenuEvent(QContextMenuEvent *event)
{
    FBox->ShowPopupMenu(event->globalPos());
    event->accept();
}

void TnvQueryBuilderDatasourceFieldsList::scrollContentsBy(int dx, int dy)
{
    TnvCheckListBoxBase::scrollContentsBy(dx, dy);
    FBox->RealignLinks();
}

// ---------------------------------------------------------------------------
// Drag and drop

bool TnvQueryBuilderDatasourceFieldsList::AcceptableFieldDrag(const QDropEvent *event,
                                                              TnvQueryBuilderDatasourceFieldsList *&source,
                                                              int &sourceRow) const
{
    const QMimeData *data = event->mimeData();
    const QString format = QString::fromLatin1(DatasourceFieldMimeType);
    if (!data || !data->hasFormat(format))
        return false;
    auto *box = qobject_cast<TnvQueryBuilderDataSourceControl *>(DragSource(event));
    bool ok = false;
    sourceRow = data->data(format).toInt(&ok);
    source = box ? box->FieldsList() : nullptr;
    return ok && CanDropField(source, sourceRow, RowAt(event->position().toPoint()));
}

void TnvQueryBuilderDatasourceFieldsList::dragEnterEvent(QDragEnterEvent *event) { dragMoveEvent(event); }

void TnvQueryBuilderDatasourceFieldsList::dragMoveEvent(QDragMoveEvent *event)
{
    TnvQueryBuilderDatasourceFieldsList *source;
    int sourceRow;
    if (AcceptableFieldDrag(event, source, sourceRow)) {
        event->setDropAction(Qt::LinkAction);
        event->accept();
        return;
    }
    TnvQueryBuilderWorkArea *workArea = FBox->WorkArea();
    const bool accept = workArea && workArea->DragOverAt(event->mimeData(), DragSource(event),
                                                         viewport()->mapTo(workArea->ContentParent(), event->position().toPoint()));
    event->setAccepted(accept);
}

void TnvQueryBuilderDatasourceFieldsList::dragLeaveEvent(QDragLeaveEvent *event) { event->accept(); }

void TnvQueryBuilderDatasourceFieldsList::dropEvent(QDropEvent *event)
{
    TnvQueryBuilderDatasourceFieldsList *source;
    int sourceRow;
    if (AcceptableFieldDrag(event, source, sourceRow)) {
        TnvDatasource *left = source->Datasource();
        TnvDatasource *right = Datasource();
        // Copies: adding the link binds the data sources anew, which may
        // reload both lists.
        TOwned<TSQLQualifiedName> leftField = source->FieldOfRow(sourceRow)->Clone();
        TOwned<TSQLQualifiedName> rightField = FieldOfRow(RowAt(event->position().toPoint()))->Clone();
        nvQBCatchAll([&] {
            if (TnvUnionSubQuery *unionSubQuery = right->UnionSubQuery())
                unionSubQuery->AddLink(left, leftField.get(), right, rightField.get());
        });
        event->setDropAction(Qt::LinkAction);
        event->accept();
        return;
    }
    if (TnvQueryBuilderWorkArea *workArea = FBox->WorkArea()) {
        workArea->DragDropAt(event->mimeData(), DragSource(event),
                             viewport()->mapTo(workArea->ContentParent(), event->position().toPoint()));
        event->acceptProposedAction();
    }
}

} // namespace nvqb
