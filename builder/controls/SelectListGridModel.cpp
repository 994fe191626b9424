#include "builder/controls/SelectListGridModel.h"

#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/SQLExpressions.h"
#include "support/MessageTexts.h"

#include <algorithm>

namespace nvqb {

namespace {
// Before the criteria: Output, Expression, Alias, Sort Type, Sort Order,
// Group By.
constexpr int PropertyColumns = TnvSelectListGridModel::colCriteria;
constexpr int MinCriteriaColumns = 4;
} // namespace

TnvSelectListGridModel::TnvSelectListGridModel(TnvSelectList *selectList, QObject *parent)
    : QAbstractTableModel(parent), FSelectList(selectList)
{
    FRowCount = FSelectList ? int(FSelectList->Count()) : 0;
    FColumnCount = WantedColumnCount();
}

void TnvSelectListGridModel::DetachSelectList()
{
    if (!FSelectList)
        return;
    beginResetModel();
    FSelectList = nullptr;
    FRowCount = 0;
    endResetModel();
}

TnvSelectItem *TnvSelectListGridModel::Row(int row) const
{
    if (!FSelectList || row < 0 || row >= FSelectList->Count())
        return nullptr;
    return FSelectList->Items(row);
}

int TnvSelectListGridModel::WantedColumnCount() const
{
    int widest = 0;
    if (FSelectList)
        for (qsizetype i = 0; i < FSelectList->Count(); ++i)
            widest = std::max(widest, FSelectList->Items(i)->ConditionsCount());
    return PropertyColumns + std::max(MinCriteriaColumns, widest + 1);
}

QString TnvSelectListGridModel::CellText(int col, int row) const
{
    const TnvSelectItem *item = Row(row);
    if (!item)
        return QString();
    switch (col) {
    case colSelect:
        return QString();
    case colExpression:
        return item->GetExpression();
    case colAlias:
        return item->GetAlias();
    case colSortType:
        return item->GetSortTypeName();
    case colSortOrder:
        return item->GetSortOrderName();
    case colGroupBy:
        return item->GetGroupByTypeName();
    default:
        return item->GetCondition(ConditionIndex(col));
    }
}

bool TnvSelectListGridModel::CanEditCell(int col, int row) const
{
    const TnvSelectItem *item = Row(row);
    if (!item || col < 0 || col >= FColumnCount)
        return false;
    switch (col) {
    case colSelect:
        // Toggled by mouse or space, never typed.
        return false;
    case colExpression:
        return true;
    case colAlias:
        return item->IsSupportsAlias();
    case colSortType:
    case colSortOrder:
        return item->IsCanSort();
    case colGroupBy:
        return !item->IsEmpty();
    default:
        return item->ExpressionItem() != nullptr;
    }
}

TnvSelectListGridModel::TEditStyle TnvSelectListGridModel::EditStyle(int col, int row) const
{
    TnvSelectItem *item = Row(row);
    if (!item)
        return esSimple;
    switch (col) {
    case colSelect:
    case colAlias:
        return esSimple;
    case colExpression:
        return item->ExpressionNode() && item->GetSubqueriesByRootNodeCount(item->ExpressionNode()) > 0 ? esEllipsis
                                                                                                         : esPickList;
    case colSortType:
    case colSortOrder:
    case colGroupBy:
        return esPickList;
    default: {
        const TSQLExpressionItem *condition = item->GetASTCondition(ConditionIndex(col));
        if (condition && item->GetSubqueriesByRootNodeCount(condition) > 0)
            return esEllipsis;
        const TSQLExpressionItem *expression = item->ExpressionItem();
        return expression && expression->IsLogical() ? esPickList : esSimple;
    }
    }
}

void TnvSelectListGridModel::GetPickListForCell(int col, int row, QStringList &list) const
{
    list.clear();
    TnvSelectItem *item = Row(row);
    if (!item)
        return;
    switch (col) {
    case colExpression: {
        list.append(QStringLiteral("*"));
        TnvUnionSubQuery *part = FSelectList->UnionSubQuery();
        TnvDatasourceGroup *from = part ? part->FromGroup() : nullptr;
        if (!from)
            return;
        const TnvQueryBuilderModel *qb = FSelectList->QueryBuilder();
        const TnvBaseSyntaxProvider *provider = FSelectList->SyntaxProvider();
        QList<TnvDatasource *> datasources;
        from->GetDatasources(datasources);
        for (TnvDatasource *datasource : std::as_const(datasources)) {
            QString name = datasource->GetAlias();
            if (name.isEmpty()) {
                const auto *object = As<TnvDataSourceObject>(datasource);
                if (!object || !object->GetDatabaseObject())
                    continue;
                name = TnvSelectItem::NodeText(qb, object->GetDatabaseObject());
            }
            if (provider && provider->IsSupportAllTableFieldsSelection())
                list.append(name + QStringLiteral(".*"));
            if (const TnvMetadataFieldsList *fields = datasource->GetFields())
                for (qsizetype i = 0; i < fields->Count(); ++i)
                    if (const TSQLQualifiedName *field = fields->Items(i)->Name())
                        list.append(name + QLatin1Char('.') + TnvSelectItem::NodeText(qb, field));
        }
        return;
    }
    case colSortType:
        list << QString() << nvQBMessage(nvQBSortTypeAscending) << nvQBMessage(nvQBSortTypeDescending);
        return;
    case colSortOrder: {
        const qsizetype sorted = FSelectList->SortOrderCount();
        const qsizetype count = item->SortType() == stNone ? sorted + 1 : sorted;
        for (qsizetype i = 1; i <= count; ++i)
            list.append(QString::number(i));
        return;
    }
    case colGroupBy:
        item->GetGroupByNames(list);
        return;
    default:
        if (col >= colCriteria && EditStyle(col, row) == esPickList)
            list << QStringLiteral("= True") << QStringLiteral("= False");
        return;
    }
}

bool TnvSelectListGridModel::SetEditText(int col, int row, const QString &text)
{
    TnvSelectItem *item = Row(row);
    // The same text again changes nothing, so the query is not rebuilt.
    if (!item || col <= colSelect || text == CellText(col, row))
        return false;
    switch (col) {
    case colExpression:
        item->SetExpression(text);
        break;
    case colAlias:
        item->SetAlias(text);
        break;
    case colSortType:
        item->SetSortTypeName(text);
        break;
    case colSortOrder:
        item->SetSortOrderName(text);
        break;
    case colGroupBy:
        item->SetGroupByTypeName(text);
        break;
    default:
        item->SetCondition(ConditionIndex(col), text);
        break;
    }
    return true;
}

bool TnvSelectListGridModel::ToggleSelect(int row)
{
    TnvSelectItem *item = Row(row);
    if (!item || !item->IsCanSelect())
        return false;
    item->SetSelect(!item->Select());
    return true;
}

void TnvSelectListGridModel::Refill()
{
    const int rows = FSelectList ? int(FSelectList->Count()) : 0;
    const int columns = std::max(FColumnCount, WantedColumnCount());
    if (rows > FRowCount) {
        beginInsertRows(QModelIndex(), FRowCount, rows - 1);
        FRowCount = rows;
        endInsertRows();
    } else if (rows < FRowCount) {
        beginRemoveRows(QModelIndex(), rows, FRowCount - 1);
        FRowCount = rows;
        endRemoveRows();
    }
    if (columns > FColumnCount) {
        beginInsertColumns(QModelIndex(), FColumnCount, columns - 1);
        FColumnCount = columns;
        endInsertColumns();
    }
    // Rows may have moved or changed anywhere: every cell is read again.
    if (FRowCount > 0 && FColumnCount > 0)
        emit dataChanged(index(0, 0), index(FRowCount - 1, FColumnCount - 1));
}

int TnvSelectListGridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : FRowCount; }

int TnvSelectListGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FColumnCount;
}

QVariant TnvSelectListGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index))
        return QVariant();
    const TnvSelectItem *item = Row(index.row());
    if (!item)
        return QVariant();
    if (index.column() == colSelect)
        return role == Qt::CheckStateRole ? QVariant(item->Select() ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        // Read while painting: a row that cannot print its text shows an
        // empty cell rather than taking the paint down.
        try {
            return CellText(index.column(), index.row());
        } catch (...) {
            return QString();
        }
    }
    return QVariant();
}

QVariant TnvSelectListGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        // The row indicator shows no number.
        return QString();
    if (section < 0 || section >= FColumnCount)
        return QVariant();
    // Read at each paint, so a change of language shows at once.
    static const TnvResString *const titles[] = {&nvQBGCSelect,    &nvQBGCExpression, &nvQBGCAlias, &nvQBGCSortType,
                                                 &nvQBGCSortOrder, &nvQBGCGroupBy,    &nvQBGCCriteria};
    return nvQBMessage(section < colCriteria + 1 ? *titles[section] : nvQBGCOr);
}

Qt::ItemFlags TnvSelectListGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == colSelect) {
        if (const TnvSelectItem *item = Row(index.row()); item && item->IsCanSelect())
            result |= Qt::ItemIsUserCheckable;
    } else if (CanEditCell(index.column(), index.row())) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

bool TnvSelectListGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !checkIndex(index))
        return false;
    if (index.column() == colSelect) {
        const TnvSelectItem *item = Row(index.row());
        if (role != Qt::CheckStateRole || !item || item->Select() == (value.toInt() == Qt::Checked))
            return false;
        return ToggleSelect(index.row());
    }
    if (role != Qt::EditRole || !CanEditCell(index.column(), index.row()))
        return false;
    return SetEditText(index.column(), index.row(), value.toString());
}

} // namespace nvqb
