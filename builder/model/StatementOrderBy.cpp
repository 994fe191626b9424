#include "builder/model/StatementOrderBy.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectList.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QSet>

namespace nvqb {

namespace {

bool IsOutput(const TnvSelectItem *row) { return row->Select() && !row->IsEmpty(); }

// How many columns of the result the output row stands for: one, or for a
// t.* the fields of its table; 0 when that is not known (a *, a table
// whose fields were not loaded).
qsizetype ColumnCount(const TnvSelectItem *row)
{
    if (!row->IsAllColumnsItem())
        return 1;
    const TSQLFromSource *source = row->DatasourceNode();
    const TnvMetadataFieldsList *fields = source ? source->FieldsList() : nullptr;
    return fields ? fields->Count() : 0;
}

TSQLExpressionItem *Bare(const TSQLExpressionItem *expression)
{
    return ExpressionRemoveBrackets(const_cast<TSQLExpressionItem *>(expression));
}

// The value of an unsigned integer, which ORDER BY reads as a column's
// position; 0 for anything else.
qsizetype PositionNamed(const TSQLExpressionItem *expression)
{
    const auto *constant = As<TSQLExpressionConstant>(Bare(expression));
    if (!constant || constant->GetCount() != 1)
        return 0;
    const auto *number = As<TastTokenNumber>(constant->GetItems(0));
    if (!number)
        return 0;
    bool ok = false;
    const qsizetype value = number->Text().toLongLong(&ok);
    return ok && value > 0 ? value : 0;
}

// The identifier of a bare one-part column name; nil for anything else.
const TastTokenIdentifier *BareName(const TSQLExpressionItem *expression)
{
    const auto *column = As<TSQLExpressionColumn>(Bare(expression));
    const TSQLObjectColumn *name = column ? column->Column.get() : nullptr;
    // A name bound to a FROM source is a column of the source.
    if (!name || name->GetCount() != 1 || name->Datasource())
        return nullptr;
    return As<TastTokenIdentifier>(name->GetItems(0));
}

// The name the result gives an output row's column: its alias, else the
// name of the column it is; nil for an expression without alias.
const TastTokenIdentifier *ResultName(const TnvSelectItem *row)
{
    if (const TSQLAliasExpression *alias = row->AliasNode())
        return alias->Identifier.get();
    if (const TSQLObjectColumn *column = row->FieldName(); column && column->GetCount() > 0)
        return As<TastTokenIdentifier>(column->GetItems(0));
    return nullptr;
}

bool SameName(const TnvSelectList *list, const TastTokenIdentifier *a, const TastTokenIdentifier *b)
{
    if (!a || !b)
        return false;
    if (const TnvBaseSyntaxProvider *provider = list->SyntaxProvider())
        return provider->CompareIdentifiers(a, b) == 0;
    return a->Text().compare(b->Text(), Qt::CaseInsensitive) == 0;
}

// The output rows the result gives the name.
QList<const TnvSelectItem *> OutputRowsNamed(const TnvSelectList *list, const TastTokenIdentifier *name)
{
    QList<const TnvSelectItem *> rows;
    for (qsizetype i = 0; name && i < list->Count(); ++i) {
        const TnvSelectItem *row = list->Items(i);
        if (IsOutput(row) && SameName(list, ResultName(row), name))
            rows.append(row);
    }
    return rows;
}

// The first output row with the same expression as the key.
const TnvSelectItem *OutputRowOf(const TnvSelectList *list, const TSQLExpressionItem *key)
{
    for (qsizetype i = 0; i < list->Count(); ++i)
        if (IsOutput(list->Items(i)) && list->Items(i)->IsEqualExpression(key))
            return list->Items(i);
    return nullptr;
}

// Which output column the sorted row names: its own when it is output;
// the column at the position a number names; the column a bare name names;
// the column of the same expression. Nil when it names none (or a position
// past the known columns).
const TnvSelectItem *ColumnNamedBy(const TnvSelectList *list, const TnvSelectItem *row)
{
    if (IsOutput(row))
        return row;
    const TSQLExpressionItem *expression = row->ExpressionItem();
    if (!expression)
        return nullptr;
    if (const qsizetype position = PositionNamed(expression))
        return OutputColumnRow(list, position);
    const QList<const TnvSelectItem *> named = OutputRowsNamed(list, BareName(expression));
    return named.isEmpty() ? OutputRowOf(list, expression) : named.first();
}

TOwned<TSQLExpressionItem> PositionExpression(TnvBaseSyntaxProvider *provider, qsizetype position)
{
    auto number = Create<TSQLExpressionConstant>(provider);
    number->AddNumber(QString::number(position));
    return number;
}

TOwned<TSQLExpressionItem> NameExpression(TnvBaseSyntaxProvider *provider, const TastTokenIdentifier *name)
{
    auto column = Create<TSQLObjectColumn>(provider);
    column->AddName(CloneAs<TastToken>(name));
    auto expression = Create<TSQLExpressionColumn>(provider);
    expression->Column.reset(std::move(column));
    return expression;
}

// Sorts the list by the key as well, after its sorted rows. A number names
// a column by its position and keeps doing so: it gets a row of its own, not
// the row of an output column that happens to be that number. Any other key
// is read as the list reads ORDER BY.
void AddSortKey(TnvSelectList *list, const TSQLExpressionItem *key, bool descending)
{
    if (!PositionNamed(key)) {
        auto item = Create<TSQLOrderByItem>(list->SyntaxProvider());
        item->Expression.reset(key->Clone());
        item->SortOrder = descending ? obDesc : obAsc;
        auto clause = Create<TSQLOrderByClause>(list->SyntaxProvider());
        clause->Add(std::move(item));
        list->LoadOrderByListFromAST(clause.get());
        return;
    }
    // A position sorted by already keeps its place.
    const QString text = TnvSelectItem::NodeText(list->QueryBuilder(), key);
    for (qsizetype i = 0; i < list->SortOrderCount(); ++i)
        if (TnvSelectItem::NodeText(list->QueryBuilder(), list->SortOrderItems(i)->ExpressionItem()) == text &&
            !IsOutput(list->SortOrderItems(i)))
            return;
    auto bracket = UpdateBracket(list);
    TnvSelectItem *row = list->AddASTExpression(const_cast<TSQLExpressionItem *>(key));
    row->SetSortType(descending ? stDesc : stAsc);
}

// How the result of a union names the output row's column: by its alias
// when no other output column goes by that name, else by its position; nil
// when neither will do (no alias, and a * before the column).
TOwned<TSQLExpressionItem> ColumnReference(const TnvSelectList *list, const TnvSelectItem *column)
{
    TnvBaseSyntaxProvider *provider = list->SyntaxProvider();
    const TSQLAliasExpression *alias = column->AliasNode();
    if (alias && alias->Identifier && OutputRowsNamed(list, alias->Identifier.get()).size() == 1)
        return NameExpression(provider, alias->Identifier.get());
    if (const qsizetype position = OutputColumnPosition(list, column))
        return PositionExpression(provider, position);
    return nullptr;
}

} // namespace

qsizetype OutputColumnPosition(const TnvSelectList *list, const TnvSelectItem *target)
{
    qsizetype position = 0;
    for (qsizetype i = 0; i < list->Count(); ++i) {
        const TnvSelectItem *row = list->Items(i);
        if (!IsOutput(row))
            continue;
        if (row == target)
            return row->IsAllColumnsItem() ? 0 : position + 1;
        const qsizetype columns = ColumnCount(row);
        if (columns == 0)
            return 0;
        position += columns;
    }
    return 0;
}

TnvSelectItem *OutputColumnRow(const TnvSelectList *list, qsizetype position)
{
    qsizetype column = 0;
    for (qsizetype i = 0; position > 0 && i < list->Count(); ++i) {
        TnvSelectItem *row = list->Items(i);
        if (!IsOutput(row))
            continue;
        const qsizetype columns = ColumnCount(row);
        if (columns == 0)
            return nullptr;
        column += columns;
        if (column >= position)
            return row->IsAllColumnsItem() ? nullptr : row;
    }
    return nullptr;
}

TOwned<TSQLOrderByClause> ResultOrderByClause(const TnvSelectList *list)
{
    TnvBaseSyntaxProvider *provider = list->SyntaxProvider();
    auto clause = Create<TSQLOrderByClause>(provider);
    // A key after one that sorts by the same changes no order; read back,
    // it would be dropped.
    QSet<const TnvSelectItem *> columns;
    QSet<QString> others;
    for (qsizetype i = 0; i < list->SortOrderCount(); ++i) {
        const TnvSelectItem *row = list->SortOrderItems(i);
        const TSQLExpressionItem *expression = row->ExpressionItem();
        if (!expression)
            continue;
        TOwned<TSQLExpressionItem> key;
        if (const TnvSelectItem *column = ColumnNamedBy(list, row)) {
            if (columns.contains(column))
                continue;
            columns.insert(column);
            key = ColumnReference(list, column);
        } else {
            const QString text = TnvSelectItem::NodeText(list->QueryBuilder(), expression);
            if (others.contains(text))
                continue;
            others.insert(text);
        }
        auto item = Create<TSQLOrderByItem>(provider);
        item->Expression.reset(key ? std::move(key) : expression->Clone());
        item->SortOrder = row->SortType() == stDesc ? obDesc : obAsc;
        clause->Add(std::move(item));
    }
    if (clause->GetCount() == 0)
        return nullptr;
    return clause;
}

void LoadResultOrderBy(TnvSelectList *list, const TSQLOrderByClause *clause)
{
    if (!clause)
        return;
    auto bracket = UpdateBracket(list);
    for (qsizetype i = 0; i < clause->GetCount(); ++i)
        if (const TSQLOrderByItem *item = clause->GetItems(i); item && item->Expression)
            AddSortKey(list, item->Expression.get(), item->SortOrder == obDesc);
}

const TnvSelectItem *SortKeyOutsideResult(const TnvSelectList *list)
{
    for (qsizetype i = 0; i < list->SortOrderCount(); ++i) {
        const TnvSelectItem *row = list->SortOrderItems(i);
        // A number past the columns is the user's own mistake, refused by the
        // server as it would be without brackets.
        if (PositionNamed(row->ExpressionItem()))
            continue;
        const TnvSelectItem *column = ColumnNamedBy(list, row);
        if (!column || !ColumnReference(list, column))
            return row;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Keys on their way to another part

struct TnvOrderByKeys::TKey {
    qsizetype Position = 0;
    bool Descending = false;
    // What the key sorts by where no column answers to the position.
    TOwned<TSQLExpressionItem> Expression;
    // What the key sorts by, told apart from what other keys sort by: its
    // position, else the text of its expression.
    QString Identity;
};

TnvOrderByKeys::TnvOrderByKeys() = default;
TnvOrderByKeys::~TnvOrderByKeys() = default;
TnvOrderByKeys::TnvOrderByKeys(TnvOrderByKeys &&other) noexcept = default;
TnvOrderByKeys &TnvOrderByKeys::operator=(TnvOrderByKeys &&other) noexcept = default;

TnvOrderByKeys TnvOrderByKeys::Of(const TnvSelectList *list)
{
    TnvOrderByKeys keys;
    for (qsizetype i = 0; list && i < list->SortOrderCount(); ++i) {
        const TnvSelectItem *row = list->SortOrderItems(i);
        const TSQLExpressionItem *expression = row->ExpressionItem();
        if (!expression)
            continue;
        TKey key;
        key.Descending = row->SortType() == stDesc;
        const TnvSelectItem *column = ColumnNamedBy(list, row);
        key.Position = column ? OutputColumnPosition(list, column) : PositionNamed(expression);
        // Where the position is not known, the column is named by its alias
        // when it has one.
        const TSQLAliasExpression *alias = column ? column->AliasNode() : nullptr;
        if (alias && alias->Identifier)
            key.Expression = NameExpression(list->SyntaxProvider(), alias->Identifier.get());
        else
            key.Expression = (column ? column->ExpressionItem() : expression)->Clone();
        key.Identity = key.Position > 0 ? QString::number(key.Position)
                                        : TnvSelectItem::NodeText(list->QueryBuilder(), key.Expression.get());
        keys.FKeys.push_back(std::move(key));
    }
    return keys;
}

void TnvOrderByKeys::Drop(TnvSelectList *list)
{
    if (!list || list->SortOrderCount() == 0)
        return;
    auto bracket = UpdateBracket(list);
    QList<TnvSelectItem *> sorted;
    for (qsizetype i = 0; i < list->SortOrderCount(); ++i)
        sorted.append(list->SortOrderItems(i));
    for (TnvSelectItem *row : std::as_const(sorted)) {
        row->SetSortType(stNone);
        if (!row->Select() && row->GroupByType() == gtExpression && row->IsExpressionOnly())
            TObject::Free(row);
    }
}

bool TnvOrderByKeys::SortsAs(const TnvOrderByKeys &other) const
{
    // A key after one that sorts by the same changes no order.
    auto effective = [](const TnvOrderByKeys &keys) {
        QList<QPair<QString, bool>> list;
        QSet<QString> seen;
        for (const TKey &key : keys.FKeys) {
            if (seen.contains(key.Identity))
                continue;
            seen.insert(key.Identity);
            list.append({key.Identity, key.Descending});
        }
        return list;
    };
    return effective(*this) == effective(other);
}

void TnvOrderByKeys::SortBy(TnvSelectList *list) const
{
    // A list that sorts as the keys do keeps its own rows, so that parts
    // moved away and back leave the statement as it was.
    if (!list || Of(list).SortsAs(*this))
        return;
    auto bracket = UpdateBracket(list);
    Drop(list);
    TnvBaseSyntaxProvider *provider = list->SyntaxProvider();
    for (const TKey &key : FKeys) {
        const TnvQueryBuilderItemSortType direction = key.Descending ? stDesc : stAsc;
        TnvSelectItem *column = OutputColumnRow(list, key.Position);
        if (column && column->IsCanSort()) {
            // Two keys of one column: the first decides.
            if (column->SortType() == stNone)
                column->SetSortType(direction);
            continue;
        }
        if (key.Position > 0)
            AddSortKey(list, PositionExpression(provider, key.Position).get(), key.Descending);
        else
            AddSortKey(list, key.Expression.get(), key.Descending);
    }
}

} // namespace nvqb
