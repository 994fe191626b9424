#include "builder/model/StatementOrderBy.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectList.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QSet>

namespace nvqb {

namespace {

bool IsOutput(const TnvSelectItem *row) { return row->Select() && !row->IsEmpty(); }

// The identifier of a bare one-part name, in brackets or not; nil for
// anything else. A name bound to a FROM source is a column of the source.
const TastTokenIdentifier *BareName(const TSQLExpressionItem *expression)
{
    const auto *column =
        As<TSQLExpressionColumn>(ExpressionRemoveBrackets(const_cast<TSQLExpressionItem *>(expression)));
    const TSQLObjectColumn *name = column ? column->Column.get() : nullptr;
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

// The output rows whose column goes by the name.
QList<const TnvSelectItem *> OutputRowsNamed(const TnvSelectList *list, const TastTokenIdentifier *name)
{
    QList<const TnvSelectItem *> rows;
    const TnvBaseSyntaxProvider *provider = list->SyntaxProvider();
    for (qsizetype i = 0; name && i < list->Count(); ++i) {
        const TnvSelectItem *row = list->Items(i);
        const TastTokenIdentifier *other = IsOutput(row) ? ResultName(row) : nullptr;
        if (other && (provider ? provider->CompareIdentifiers(name, other) == 0
                               : name->Text().compare(other->Text(), Qt::CaseInsensitive) == 0))
            rows.append(row);
    }
    return rows;
}

// The output column that the key of a sorted row names: the row itself when
// it is output; for another row the column at the position its number
// names, the column its bare name names, or the column of its expression.
// Nil when it names none (or a position past the known columns).
const TnvSelectItem *ColumnNamedBy(const TnvSelectList *list, const TnvSelectItem *row,
                                   const TSQLExpressionItem *key)
{
    if (IsOutput(row))
        return row;
    qsizetype position = 0;
    if (TnvSelectItem::IsUnsignedInteger(key, &position))
        return list->OutputRow(position);
    if (const QList<const TnvSelectItem *> named = OutputRowsNamed(list, BareName(key)); !named.isEmpty())
        return named.first();
    for (qsizetype i = 0; i < list->Count(); ++i)
        if (IsOutput(list->Items(i)) && list->Items(i)->IsEqualExpression(key))
            return list->Items(i);
    return nullptr;
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

// How the result of a union names the output row's column: by its alias
// when no other output column goes by that name, else by its position; nil
// when neither will do (no alias, and a * before the column).
TOwned<TSQLExpressionItem> ColumnReference(const TnvSelectList *list, const TnvSelectItem *column)
{
    TnvBaseSyntaxProvider *provider = list->SyntaxProvider();
    const TSQLAliasExpression *alias = column->AliasNode();
    if (alias && alias->Identifier && OutputRowsNamed(list, alias->Identifier.get()).size() == 1)
        return NameExpression(provider, alias->Identifier.get());
    if (const qsizetype position = list->OutputPosition(column))
        return PositionExpression(provider, position);
    return nullptr;
}

// Calls Each with every sorted row that the ORDER BY prints, in sort
// order, with the key it prints and the output column that key names.
template <class F> void ForEachKey(const TnvSelectList *list, F &&each)
{
    for (qsizetype i = 0; i < list->SortOrderCount(); ++i) {
        const TnvSelectItem *row = list->SortOrderItems(i);
        if (TOwned<TSQLOrderByItem> item = row->GetOrderByItem())
            each(row, item->Expression.get(), ColumnNamedBy(list, row, item->Expression.get()));
    }
}

} // namespace

TOwned<TSQLOrderByClause> ResultOrderByClause(const TnvSelectList *list)
{
    TnvBaseSyntaxProvider *provider = list->SyntaxProvider();
    auto clause = Create<TSQLOrderByClause>(provider);
    // A key after one that sorts by the same changes no order; read back,
    // it would be dropped.
    QSet<const TnvSelectItem *> columns;
    QSet<QString> others;
    ForEachKey(list, [&](const TnvSelectItem *row, const TSQLExpressionItem *key, const TnvSelectItem *column) {
        TOwned<TSQLExpressionItem> reference;
        if (column) {
            if (columns.contains(column))
                return;
            columns.insert(column);
            // A position names the same column of the result, and read
            // back it stays a position: it is kept as written.
            if (!TnvSelectItem::IsUnsignedInteger(key))
                reference = ColumnReference(list, column);
        } else {
            const QString text = TnvSelectItem::NodeText(list->QueryBuilder(), key);
            if (others.contains(text))
                return;
            others.insert(text);
        }
        auto item = Create<TSQLOrderByItem>(provider);
        item->Expression.reset(reference ? std::move(reference) : key->Clone());
        item->SortOrder = row->SortType() == stDesc ? obDesc : obAsc;
        clause->Add(std::move(item));
    });
    if (clause->GetCount() == 0)
        return nullptr;
    return clause;
}

const TnvSelectItem *SortKeyOutsideResult(const TnvSelectList *list)
{
    const TnvSelectItem *outside = nullptr;
    ForEachKey(list, [&](const TnvSelectItem *row, const TSQLExpressionItem *key, const TnvSelectItem *column) {
        // A number past the columns is the user's own mistake, refused by
        // the server as it would be without brackets.
        if (!outside && !TnvSelectItem::IsUnsignedInteger(key) && (!column || !ColumnReference(list, column)))
            outside = row;
    });
    return outside;
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
    if (!list)
        return keys;
    ForEachKey(list, [&](const TnvSelectItem *row, const TSQLExpressionItem *expression, const TnvSelectItem *column) {
        TKey key;
        key.Descending = row->SortType() == stDesc;
        if (column)
            key.Position = list->OutputPosition(column);
        else
            TnvSelectItem::IsUnsignedInteger(expression, &key.Position);
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
    });
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
        TnvSelectItem *column = list->OutputRow(key.Position);
        if (column && column->IsCanSort()) {
            // Two keys of one column: the first decides.
            if (column->SortType() == stNone)
                column->SetSortType(key.Descending ? stDesc : stAsc);
            continue;
        }
        // Read as the list reads an ORDER BY: a position of a column the
        // list does not have, or what the key sorted by.
        auto item = Create<TSQLOrderByItem>(provider);
        item->Expression.reset(key.Position > 0 ? PositionExpression(provider, key.Position) : key.Expression->Clone());
        item->SortOrder = key.Descending ? obDesc : obAsc;
        auto clause = Create<TSQLOrderByClause>(provider);
        clause->Add(std::move(item));
        list->LoadOrderByListFromAST(clause.get());
    }
}

} // namespace nvqb
