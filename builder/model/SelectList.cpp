#include "builder/model/SelectList.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QSet>

#include <algorithm>
#include <set>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvSelectList, TnvQueryBuilderControlOwner)

namespace {

template <class T> TOwned<T> Downcast(TOwned<TastNodeBase> node) { return TOwned<T>(static_cast<T *>(node.release())); }

// The operand that reading a term of a condition back finds its row by,
// found without changing the term: the left operand of an operation (nil,
// with Taken, where the row's expression was taken off), through brackets
// and NOT, the first operand's of a collection; the term itself for anything
// else, which is then tested as term = True.
const TSQLExpressionItem *LeftOperand(const TSQLExpressionItem *term, bool &taken)
{
    taken = false;
    const TSQLExpressionItem *node = term;
    while (node) {
        if (const auto *operation = As<TSQLExpressionOperation>(node)) {
            taken = !operation->Expression;
            return operation->Expression.get();
        }
        if (const auto *holder = As<TSQLExpressionExpressionItem>(node);
            holder && (node->Is<TSQLExpressionBrackets>() || node->Is<TSQLExpressionNot>())) {
            node = holder->Expression.get();
            continue;
        }
        if (const auto *collection = As<TSQLExpressionLogicalCollection>(node)) {
            node = collection->GetCount() > 0 ? collection->GetItems(0) : nullptr;
            continue;
        }
        return node;
    }
    return term;
}

// Calls Visit for each term of the condition: the operands of its ANDs, in
// brackets too, as reading the condition back takes them apart.
template <class F> void ForEachTerm(const TSQLExpressionItem *condition, const F &visit)
{
    const TSQLExpressionItem *bare = ExpressionRemoveBrackets(const_cast<TSQLExpressionItem *>(condition));
    if (bare && bare->ClassType() == TSQLExpressionAnd::StaticClassType()) {
        const auto *conjunction = static_cast<const TSQLExpressionAnd *>(bare);
        for (qsizetype i = 0; i < conjunction->GetCount(); ++i)
            ForEachTerm(conjunction->GetItems(i), visit);
        return;
    }
    if (condition)
        visit(condition);
}

// The operand of a bracket node, taken out of it (the brackets are freed).
TOwned<TSQLExpressionItem> WithoutBrackets(TOwned<TSQLExpressionItem> condition)
{
    while (auto *brackets = As<TSQLExpressionBrackets>(condition.get())) {
        TOwned<TSQLExpressionItem> inner = brackets->Expression.release();
        condition = std::move(inner);
    }
    return condition;
}

// The operands of a collection of the class, in order, with nested
// collections of the same class opened up, in brackets too: a bracketed OR
// inside an OR is one more set of columns, an AND inside an AND more terms of
// the column.
void TakeOperands(TOwned<TSQLExpressionItem> node, TClass collectionClass,
                  std::vector<TOwned<TSQLExpressionItem>> &operands)
{
    TSQLExpressionItem *bare = ExpressionRemoveBrackets(node.get());
    if (bare && bare->ClassType() == collectionClass) {
        auto *collection = static_cast<TSQLExpressionLogicalCollection *>(bare);
        while (collection->GetCount() > 0)
            TakeOperands(Downcast<TSQLExpressionItem>(collection->Extract(qsizetype(0))), collectionClass, operands);
        return;
    }
    if (node)
        operands.push_back(std::move(node));
}

// Whether the condition compares a logical value with True or False, which
// printing writes as the value or its negation: a term whose reading back
// then differs (Not Not x is x, Not (a Or b) is Not a And Not b).
bool HasBooleanComparison(const TSQLExpressionItem *condition)
{
    if (!condition)
        return false;
    if (const auto *collection = As<TSQLExpressionLogicalCollection>(condition)) {
        for (qsizetype i = 0; i < collection->GetCount(); ++i)
            if (HasBooleanComparison(collection->GetItems(i)))
                return true;
        return false;
    }
    if (condition->Is<TSQLExpressionNot>() || condition->Is<TSQLExpressionBrackets>())
        return HasBooleanComparison(static_cast<const TSQLExpressionExpressionItem *>(condition)->Expression.get());
    const auto *binary = As<TSQLExpressionOperatorBinary>(condition);
    if (!binary || binary->OperatorText() != QStringLiteral("="))
        return false;
    const TSQLExpressionItem *left = ExpressionRemoveBrackets(binary->Expression.get());
    const auto *constant = As<TSQLExpressionConstant>(binary->Right.get());
    return left && left->IsLogical() && constant && constant->GetCount() == 1 &&
           constant->GetItems(0)->Is<TastTokenKeyword>();
}

// The condition as loading simplifies it, the brackets around it dropped.
TOwned<TSQLExpressionItem> SimplifiedAsLoaded(TOwned<TSQLExpressionItem> condition)
{
    return WithoutBrackets(SimplifyLogicalExpression(WithoutBrackets(std::move(condition))));
}

constexpr TnvQueryBuilderGroupByTypes WhereSearchKinds{gtExpression, gtWhere};
constexpr TnvQueryBuilderGroupByTypes GroupedSearchKinds{gtExpression, gtGroupBy, gtHaving, gtAggregateStar,
                                                         gtAggregate};

} // namespace

// While a clause is loaded every term looks for the row of its expression;
// the index spares printing every row for every term. Rows loaded meanwhile
// join it.
class TnvSelectList::TLoadScope {
public:
    explicit TLoadScope(TnvSelectList *list) : FList(list)
    {
        if (FList->FRowIndex)
            return;
        FOwned = true;
        FList->FRowIndex = &FIndex;
        for (TnvSelectItem *row : std::as_const(FList->FItems))
            FList->IndexRow(row);
    }
    ~TLoadScope()
    {
        if (FOwned)
            FList->FRowIndex = nullptr;
    }
    TLoadScope(const TLoadScope &) = delete;
    TLoadScope &operator=(const TLoadScope &) = delete;

private:
    TnvSelectList *FList;
    QHash<QString, QList<TnvSelectItem *>> FIndex;
    bool FOwned = false;
};

TnvSelectList::TnvSelectList(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBuilderControlOwner(unionSubQuery, unionSubQuery, queryBuilder), FUnionSubQuery(unionSubQuery)
{
}

TnvSelectList::~TnvSelectList() = default;

void TnvSelectList::AfterConstruction()
{
    TnvQueryBuilderControlOwner::AfterConstruction();
    AddEmptyRow();
}

void TnvSelectList::Destroy()
{
    // The rows go with the children; the lists only refer to them.
    FItems.clear();
    FSortOrder.clear();
    TnvQueryBuilderControlOwner::Destroy();
    FSelectItemsTemplate.reset();
    FGroupByTemplate.reset();
}

// ---------------------------------------------------------------------------
// Rows

TnvSelectItem *TnvSelectList::Items(qsizetype index) const
{
    if (index < 0 || index >= FItems.size())
        ListIndexError(index);
    return FItems[index];
}

void TnvSelectList::Move(qsizetype from, qsizetype to)
{
    if (from < 0 || from >= FItems.size())
        ListIndexError(from);
    if (to < 0 || to >= FItems.size())
        ListIndexError(to);
    if (from == to)
        return;
    FItems.move(from, to);
    NotifySQLUpdated();
}

TnvSelectItem *TnvSelectList::AddEmptyRow()
{
    auto *row = NewModelNode<TnvSelectItem>(this, QueryBuilder());
    FItems.append(row);
    if (ControlsCreated() && row->CanCreateControls())
        row->CreateControl();
    return row;
}

TnvSelectItem *TnvSelectList::InsertEmptyRow(qsizetype index)
{
    if (index < 0 || index > FItems.size())
        ListIndexError(index);
    auto bracket = UpdateBracket(this);
    TnvSelectItem *row = AddEmptyRow();
    Move(FItems.size() - 1, index);
    return row;
}

void TnvSelectList::RemoveLastRow()
{
    if (!FItems.isEmpty())
        TObject::Free(FItems.last());
}

namespace {
// The row that takes a new expression at the end: the empty last row, so no
// empty row is left standing before the new one.
TnvSelectItem *LastEmptyRow(const QList<TnvSelectItem *> &items)
{
    return !items.isEmpty() && items.last()->IsEmpty() ? items.last() : nullptr;
}
} // namespace

TnvSelectItem *TnvSelectList::AddExpression(const QString &text)
{
    auto bracket = UpdateBracket(this);
    TnvSelectItem *row = LastEmptyRow(FItems);
    if (!row)
        row = AddEmptyRow();
    row->SetExpression(text);
    return row;
}

TnvSelectItem *TnvSelectList::InsertExpression(qsizetype index, const QString &text)
{
    auto bracket = UpdateBracket(this);
    TnvSelectItem *row = InsertEmptyRow(index);
    row->SetExpression(text);
    return row;
}

TnvSelectItem *TnvSelectList::AddField(TSQLFromSource *datasource, const TSQLQualifiedName *fieldName)
{
    auto bracket = UpdateBracket(this);
    TnvSelectItem *row = LastEmptyRow(FItems);
    if (!row)
        row = AddEmptyRow();
    row->SetFieldExpression(datasource, fieldName);
    return row;
}

TnvSelectItem *TnvSelectList::InsertField(qsizetype index, TSQLFromSource *datasource,
                                          const TSQLQualifiedName *fieldName)
{
    auto bracket = UpdateBracket(this);
    TnvSelectItem *row = InsertEmptyRow(index);
    row->SetFieldExpression(datasource, fieldName);
    return row;
}

TnvSelectItem *TnvSelectList::AddField(TSQLFromSource *datasource, const QString &fieldName)
{
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    TOwned<TSQLQualifiedName> name = provider ? provider->ParseQualifiedNameQuoteIfNeed(fieldName) : nullptr;
    if (!name)
        throw Exception(nvQBFormatMessage(nvQBBadFieldName, {fieldName}));
    return AddField(datasource, name.get());
}

TnvSelectItem *TnvSelectList::AddASTExpression(TastNode *node)
{
    auto bracket = UpdateBracket(this);
    TnvSelectItem *row = LastEmptyRow(FItems);
    if (!row)
        row = AddEmptyRow();
    row->LoadFromAST(node);
    return row;
}

TnvSelectItem *TnvSelectList::InsertASTExpression(qsizetype index, TastNode *node)
{
    auto bracket = UpdateBracket(this);
    TnvSelectItem *row = InsertEmptyRow(index);
    row->LoadFromAST(node);
    return row;
}

TnvSelectItem *TnvSelectList::FindField(TSQLFromSource *datasource, const TSQLQualifiedName *fieldName) const
{
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    for (TnvSelectItem *row : FItems) {
        if (!datasource || row->DatasourceNode() != datasource)
            continue;
        const TSQLObjectColumn *field = row->FieldName();
        if (!fieldName ? !field : field && provider && provider->CompareQualifiedNames(field, fieldName) == 0)
            return row;
    }
    return nullptr;
}

void TnvSelectList::RemoveFields(TSQLFromSource *datasource, const TSQLQualifiedName *fieldName)
{
    if (!datasource)
        return;
    auto bracket = UpdateBracket(this);
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    QList<TnvSelectItem *> cleared;
    for (TnvSelectItem *row : QList<TnvSelectItem *>(FItems)) {
        if (row->DatasourceNode() != datasource)
            continue;
        const TSQLObjectColumn *field = row->FieldName();
        const bool matches =
            !fieldName ? !field : field && provider && provider->CompareQualifiedNames(field, fieldName) == 0;
        if (!matches)
            continue;
        row->SetSelect(false);
        if (row->ExpressionOnly()) {
            row->Clear();
            cleared.append(row);
        }
    }
    for (TnvSelectItem *row : std::as_const(cleared)) {
        qsizetype last = -1;
        for (qsizetype i = FItems.size() - 1; i >= 0 && last < 0; --i)
            if (!FItems[i]->IsEmpty())
                last = i;
        const qsizetype index = FItems.indexOf(row);
        if (index >= 0 && index < last)
            Move(index, last);
    }
}

void TnvSelectList::Clear()
{
    auto bracket = UpdateBracket(this);
    for (qsizetype i = FItems.size() - 1; i >= 0; --i)
        FItems[i]->Clear();
}

void TnvSelectList::BindUnboundNames()
{
    auto bracket = UpdateBracket(this);
    for (TnvSelectItem *row : std::as_const(FItems))
        if (row->BindUnboundNames())
            row->NotifySQLUpdated();
}

namespace {

// The rows of the sub-queries below the node, at any depth.
void CollectSubQueryRows(const TnvQueryBuilderControlOwner *node, QList<TnvSelectItem *> &rows)
{
    for (qsizetype i = 0; i < node->GetChildCount(); ++i) {
        TnvQueryBuilderControlOwner *child = node->GetChild(i);
        if (auto *row = As<TnvSelectItem>(child))
            rows.append(row);
        CollectSubQueryRows(child, rows);
    }
}

} // namespace

void TnvSelectList::BindNamesOfSubQueries()
{
    QList<TnvSelectItem *> rows;
    for (const TnvSelectItem *row : std::as_const(FItems))
        CollectSubQueryRows(row, rows);
    if (rows.isEmpty())
        return;
    auto bracket = UpdateBracket(this);
    for (TnvSelectItem *row : std::as_const(rows))
        if (row->BindUnboundNames())
            row->NotifySQLUpdated();
}

void TnvSelectList::RowDestroying(TnvSelectItem *row)
{
    FSortOrder.removeAll(row);
    FItems.removeAll(row);
    for (QList<TnvSelectItem *> &order : FLoadOrders)
        order.removeAll(row);
    if (FRowIndex)
        for (QList<TnvSelectItem *> &rows : *FRowIndex)
            rows.removeAll(row);
    // Every row that goes changes what the grid shows, even an empty one
    // whose going changes no SQL: the list is marked, so its after-update
    // step refills the grid. The rows the step trims itself need no mark,
    // the refill follows them.
    if (!FTrimming)
        NotifySQLUpdated();
}

// ---------------------------------------------------------------------------
// Sort order

void TnvSelectList::AddToSortOrder(TnvSelectItem *row)
{
    if (!FSortOrder.contains(row))
        FSortOrder.append(row);
}

void TnvSelectList::RemoveFromSortOrder(TnvSelectItem *row) { FSortOrder.removeAll(row); }

void TnvSelectList::MoveInSortOrder(TnvSelectItem *row, qsizetype position)
{
    const qsizetype from = FSortOrder.indexOf(row);
    if (from < 0)
        return;
    position = std::clamp<qsizetype>(position, 0, FSortOrder.size() - 1);
    FSortOrder.move(from, position);
}

// ---------------------------------------------------------------------------
// Loading

void TnvSelectList::IndexRow(TnvSelectItem *row)
{
    if (!FRowIndex)
        return;
    if (const TSQLExpressionItem *expression = row->ExpressionItem())
        (*FRowIndex)[row->TextOf(expression)].append(row);
}

void TnvSelectList::LoadSelectListFromAST(TOwned<TSQLSelectItems> items)
{
    if (!items)
        items = Create<TSQLSelectItems>(SyntaxProvider());
    FSelectItemsTemplate = std::move(items);
    auto bracket = UpdateBracket(this);
    TSQLSelectItems *node = FSelectItemsTemplate.get();
    const bool onlyStar = node->GetCount() == 1 && As<TSQLSelectItemAllColumns>(node->GetItems(0));
    // The clauses loaded after the select list name their rows in orders
    // the rows are arranged by; the select list's own comes first.
    FLoadOrders.clear();
    FLoadOrders.emplace_back();
    if (!onlyStar) {
        qsizetype row = 0;
        for (qsizetype i = 0; i < node->GetCount(); ++i) {
            TSQLSelectItem *item = node->GetItems(i);
            if (!item)
                continue;
            while (row >= FItems.size())
                AddEmptyRow();
            FItems[row]->LoadFromAST(item);
            FLoadOrders.back().append(FItems[row++]);
        }
    }
    node->Clear();
    NotifySQLUpdated();
}

TnvSelectItem *TnvSelectList::FindOrAddSelectItem(const TSQLExpressionItem *expression,
                                                  TnvQueryBuilderGroupByTypes kinds, TnvQueryBuilderGroupByType kind)
{
    return FindOrAddSelectItem(expression, kinds, kind, true);
}

TnvSelectItem *TnvSelectList::FindOrAddSelectItem(const TSQLExpressionItem *expression,
                                                  TnvQueryBuilderGroupByTypes kinds, TnvQueryBuilderGroupByType kind,
                                                  bool bind)
{
    if (!expression)
        return nullptr;
    TnvSelectItem *found = nullptr;
    if (FRowIndex) {
        const QString text = TnvSelectItem::NodeText(QueryBuilder(), expression);
        qsizetype best = -1;
        for (TnvSelectItem *row : FRowIndex->value(text)) {
            if (!kinds.Contains(row->GroupByType()))
                continue;
            const qsizetype index = FItems.indexOf(row);
            if (index >= 0 && (best < 0 || index < best)) {
                best = index;
                found = row;
            }
        }
    } else {
        for (TnvSelectItem *row : std::as_const(FItems)) {
            if (kinds.Contains(row->GroupByType()) && row->IsEqualExpression(expression)) {
                found = row;
                break;
            }
        }
    }
    if (found) {
        if (found->GroupByType() == gtExpression)
            found->SetGroupByTypeInternal(kind);
        RecordLoadOrder(found);
        return found;
    }
    TnvSelectItem *row = nullptr;
    for (TnvSelectItem *candidate : std::as_const(FItems)) {
        if (candidate->IsEmpty()) {
            row = candidate;
            break;
        }
    }
    if (!row)
        row = AddEmptyRow();
    row->LoadExpression(const_cast<TSQLExpressionItem *>(expression), bind);
    if (row->GroupByType() == gtExpression)
        row->SetGroupByTypeInternal(kind);
    else if (kind == gtWhere && (row->GroupByType() == gtAggregate || row->GroupByType() == gtAggregateStar))
        row->SetGroupByTypeInternal(gtWhere);
    IndexRow(row);
    RecordLoadOrder(row);
    return row;
}

void TnvSelectList::RecordLoadOrder(TnvSelectItem *row)
{
    if (FRecordingLoadOrder && !FLoadOrders.empty() && !FLoadOrders.back().contains(row))
        FLoadOrders.back().append(row);
}

void TnvSelectList::ArrangeLoadedRows()
{
    // Each order asks its rows to follow one another; among the rows whose
    // predecessors stand, the one that stands first now goes next, so rows
    // move only as far as the orders need.
    QHash<TnvSelectItem *, QList<TnvSelectItem *>> followers;
    QHash<TnvSelectItem *, int> predecessors;
    for (const QList<TnvSelectItem *> &order : FLoadOrders)
        for (qsizetype i = 1; i < order.size(); ++i) {
            QList<TnvSelectItem *> &next = followers[order[i - 1]];
            if (!next.contains(order[i])) {
                next.append(order[i]);
                ++predecessors[order[i]];
            }
        }
    if (followers.isEmpty())
        return;
    QHash<TnvSelectItem *, qsizetype> index;
    for (qsizetype i = 0; i < FItems.size(); ++i)
        index.insert(FItems[i], i);
    std::set<std::pair<qsizetype, TnvSelectItem *>> ready;
    QList<TnvSelectItem *> empty;
    for (TnvSelectItem *row : std::as_const(FItems)) {
        if (row->IsEmpty())
            empty.append(row);
        else if (predecessors.value(row) == 0)
            ready.insert({index.value(row), row});
    }
    QList<TnvSelectItem *> arranged;
    QSet<TnvSelectItem *> taken;
    while (arranged.size() + empty.size() < FItems.size()) {
        if (ready.empty()) {
            // Orders that contradict each other: the first row still
            // waiting goes next, and the others follow as far as they can.
            for (TnvSelectItem *row : std::as_const(FItems))
                if (!row->IsEmpty() && !taken.contains(row)) {
                    predecessors[row] = 0;
                    ready.insert({index.value(row), row});
                    break;
                }
        }
        TnvSelectItem *row = ready.begin()->second;
        ready.erase(ready.begin());
        if (taken.contains(row))
            continue;
        taken.insert(row);
        arranged.append(row);
        for (TnvSelectItem *next : followers.value(row))
            if (--predecessors[next] == 0 && !taken.contains(next))
                ready.insert({index.value(next), next});
    }
    FItems = arranged + empty;
}

void TnvSelectList::PlaceConjunct(TOwned<TSQLExpressionItem> conjunct, int column,
                                  TnvQueryBuilderGroupByTypes kinds, TnvQueryBuilderGroupByType kind)
{
    if (!conjunct)
        return;
    TSQLExpressionItem *left = nullptr;
    TSQLExpressionItem *raw = conjunct.get();
    TOwned<TSQLExpressionItem> condition = raw->FindExpressionItem(std::move(conjunct), left);
    if (!left) {
        // A term without a left operand of its own is tested as a whole:
        // (term) = True.
        raw = condition.get();
        condition = raw->TSQLExpressionItem::FindExpressionItem(std::move(condition), left);
    }
    TnvSelectItem *row = FindOrAddSelectItem(left, kinds, kind);
    // The row stands for the operand now. A sub-query in the row prints
    // through its model, in the order the model gives its parts, not always
    // as the text was read: compared by text later, the operand would stay
    // in the cell with a sub-query of its own, which edits of the row's
    // sub-query would never reach.
    const TOwned<TSQLExpressionItem> operand = left->Clone();
    condition->RemoveLExpression(operand.get());
    row->AddCondition(column, std::move(condition));
}

void TnvSelectList::PlaceOperand(TOwned<TSQLExpressionItem> operand, int column,
                                 TnvQueryBuilderGroupByTypes kinds, TnvQueryBuilderGroupByType kind)
{
    std::vector<TOwned<TSQLExpressionItem>> conjuncts;
    TakeOperands(std::move(operand), TSQLExpressionAnd::StaticClassType(), conjuncts);
    for (TOwned<TSQLExpressionItem> &conjunct : conjuncts)
        PlaceConjunct(std::move(conjunct), column, kinds, kind);
}

bool TnvSelectList::LoadConditionFromAST(TOwned<TSQLExpressionItem> condition, TnvQueryBuilderGroupByType kind)
{
    const TnvQueryBuilderGroupByTypes kinds = kind == gtWhere ? WhereSearchKinds : GroupedSearchKinds;
    TOwned<TSQLExpressionItem> prepared = WithoutBrackets(PrepareLogicalExpressionForLoading(std::move(condition)));
    if (!prepared)
        return true;
    TLoadScope scope(this);
    auto bracket = UpdateBracket(this);
    NotifySQLUpdated();
    // Each criteria column names its rows in an order of its own.
    TnvScopeExit arrange([this] {
        FRecordingLoadOrder = false;
        ArrangeLoadedRows();
    });
    FRecordingLoadOrder = true;
    if (prepared->Is<TSQLExpressionOr>()) {
        std::vector<TOwned<TSQLExpressionItem>> disjuncts;
        TakeOperands(std::move(prepared), TSQLExpressionOr::StaticClassType(), disjuncts);
        int column = 0;
        for (TOwned<TSQLExpressionItem> &disjunct : disjuncts) {
            FLoadOrders.emplace_back();
            PlaceOperand(std::move(disjunct), column++, kinds, kind);
        }
        return true;
    }
    FLoadOrders.emplace_back();
    if (prepared->Is<TSQLExpressionAnd>()) {
        PlaceOperand(std::move(prepared), 0, kinds, kind);
        return true;
    }
    PlaceConjunct(std::move(prepared), 0, kinds, kind);
    return false;
}

void TnvSelectList::AddWhereCondition(TOwned<TSQLExpressionItem> condition)
{
    if (!condition)
        return;
    TOwned<TSQLExpressionItem> criteria = GetConditionTree(WhereGroupByTypes);
    if (criteria) {
        // The criteria columns are the operands of an OR: the condition
        // joins every one of them.
        auto both = Create<TSQLExpressionAnd>(SyntaxProvider());
        both->Add(BracketIfOr(std::move(criteria)));
        both->Add(BracketIfOr(std::move(condition)));
        condition = std::move(both);
    }
    ReplaceWhereCriteria(std::move(condition));
}

void TnvSelectList::ReplaceWhereCriteria(TOwned<TSQLExpressionItem> condition)
{
    auto bracket = UpdateBracket(this);
    // The sub-queries of the cells go with them, and their copies in the
    // condition name their sources: the condition is read as its text.
    BindAsRead(condition.get());
    for (TnvSelectItem *row : std::as_const(FItems))
        if (WhereGroupByTypes.Contains(row->GroupByType()))
            while (row->ConditionsCount() > 0)
                row->SetASTCondition(row->ConditionsCount() - 1, nullptr);
    NotifySQLUpdated();
    // The rows are arranged as loading the statement arranges them: the
    // output columns keep their order, and WHERE names its rows after them.
    FLoadOrders.clear();
    FLoadOrders.emplace_back();
    for (TnvSelectItem *row : std::as_const(FItems))
        if (row->Select())
            FLoadOrders.back().append(row);
    // An AND of one term prints as the term, and loads so.
    if (auto *conjunction = As<TSQLExpressionAnd>(condition.get()); conjunction && conjunction->GetCount() == 1)
        condition = Downcast<TSQLExpressionItem>(conjunction->Extract(qsizetype(0)));
    if (condition)
        LoadConditionFromAST(std::move(condition), gtWhere);
}

void TnvSelectList::LoadGroupByListFromAST(TOwned<TSQLGroupByList> list)
{
    if (!list)
        list = Create<TSQLGroupByList>(SyntaxProvider());
    FGroupByTemplate = std::move(list);
    TLoadScope scope(this);
    auto bracket = UpdateBracket(this);
    TSQLGroupByList *node = FGroupByTemplate.get();
    FLoadOrders.emplace_back();
    FRecordingLoadOrder = true;
    for (qsizetype i = 0; i < node->GetCount(); ++i)
        if (const TSQLExpressionItem *expression = node->GetItems(i))
            FindOrAddSelectItem(expression, GroupedSearchKinds, gtGroupBy);
    FRecordingLoadOrder = false;
    ArrangeLoadedRows();
    node->Clear();
    NotifySQLUpdated();
}

void TnvSelectList::LoadOrderByListFromAST(const TSQLOrderByClause *clause)
{
    if (!clause)
        return;
    TLoadScope scope(this);
    auto bracket = UpdateBracket(this);
    for (qsizetype i = 0; i < clause->GetCount(); ++i) {
        const TSQLOrderByItem *item = clause->GetItems(i);
        if (!item || !item->Expression)
            continue;
        const TSQLExpressionItem *key = item->Expression.get();
        // A number names an output column by its position, and a name of an
        // output column's alias (in brackets too) that column: the sort is
        // that row's, and the name must not be bound to a field of the same
        // name in FROM.
        TnvSelectItem *row = nullptr;
        TnvSelectItem::TOrderByName name = TnvSelectItem::obnExpression;
        qsizetype position = 0;
        if (TnvSelectItem::IsUnsignedInteger(key, &position)) {
            row = OutputRow(position);
            name = TnvSelectItem::obnPosition;
        } else if (TnvSelectItem *aliased = OutputAliasRow(key)) {
            row = aliased;
            name = TnvSelectItem::obnAlias;
            // A column that cannot be sorted is sorted by its name alone.
            if (!row->IsCanSort()) {
                row = FindOrAddSelectItem(key, TnvQueryBuilderGroupByTypes::All(), gtExpression, false);
                name = TnvSelectItem::obnExpression;
            }
        }
        if (!row || !row->IsCanSort()) {
            // A position no output row answers to is kept as written.
            row = FindOrAddSelectItem(key, TnvQueryBuilderGroupByTypes::All(), gtExpression, true);
            if (name != TnvSelectItem::obnPosition)
                name = TnvSelectItem::obnExpression;
        }
        // A column sorted twice keeps its first place: the second mention
        // cannot change the order.
        if (!row || FSortOrder.contains(row))
            continue;
        FSortOrder.append(row);
        row->FSortType = item->SortOrder == obDesc ? stDesc : stAsc;
        row->FOrderByName = name;
    }
    NotifySQLUpdated();
}

TnvSelectItem *TnvSelectList::OutputAliasRow(const TSQLExpressionItem *expression) const
{
    const auto *column =
        As<TSQLExpressionColumn>(ExpressionRemoveBrackets(const_cast<TSQLExpressionItem *>(expression)));
    const TSQLObjectColumn *name = column ? column->Column.get() : nullptr;
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    // A name bound to a FROM source is that source's column, whatever alias
    // an output column has.
    if (!provider || !name || name->GetCount() != 1 || name->Datasource())
        return nullptr;
    const auto *identifier = As<TastTokenIdentifier>(name->GetItems(0));
    if (!identifier)
        return nullptr;
    for (TnvSelectItem *row : FItems) {
        const TSQLAliasExpression *alias = row->AliasNode();
        if (row->Select() && alias && alias->Identifier &&
            provider->CompareIdentifiers(identifier, alias->Identifier.get()) == 0)
            return row;
    }
    return nullptr;
}

namespace {

// How many columns the output row stands for: one, or for a t.* the fields
// of its table; 0 when that is not known.
qsizetype ColumnCount(const TnvSelectItem *row)
{
    if (!row->IsAllColumnsItem())
        return 1;
    const TSQLFromSource *source = row->DatasourceNode();
    const TnvMetadataFieldsList *fields = source ? source->FieldsList() : nullptr;
    return fields ? fields->Count() : 0;
}

} // namespace

TnvSelectItem *TnvSelectList::OutputRow(qsizetype position) const
{
    qsizetype column = 0;
    for (TnvSelectItem *row : FItems) {
        if (position <= 0)
            break;
        if (!row->Select() || row->IsEmpty())
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

qsizetype TnvSelectList::OutputPosition(const TnvSelectItem *target) const
{
    qsizetype column = 0;
    for (const TnvSelectItem *row : FItems) {
        if (!row->Select() || row->IsEmpty())
            continue;
        if (row == target)
            return row->IsAllColumnsItem() ? 0 : column + 1;
        const qsizetype columns = ColumnCount(row);
        if (columns == 0)
            return 0;
        column += columns;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Building

TOwned<TastNodeBase> TnvSelectList::CreateResultAST()
{
    TOwned<TSQLSelectItems> items =
        FSelectItemsTemplate ? CloneAs(FSelectItemsTemplate.get()) : Create<TSQLSelectItems>(SyntaxProvider());
    for (TnvSelectItem *row : std::as_const(FItems))
        if (row->Select() && !row->IsEmpty())
            items->Add(row->CreateResultAST());
    if (items->GetCount() == 0)
        items->Add(Create<TSQLSelectItemAllColumns>(SyntaxProvider()));
    return items;
}

// While a clause is built, the text of each row's expression is printed once.
class TnvSelectList::TRowTextScope {
public:
    explicit TRowTextScope(const TnvSelectList *list) : FList(list)
    {
        if (!FList->FRowTexts) {
            FList->FRowTexts = &FTexts;
            FOwned = true;
        }
    }
    ~TRowTextScope()
    {
        if (FOwned)
            FList->FRowTexts = nullptr;
    }
    TRowTextScope(const TRowTextScope &) = delete;
    TRowTextScope &operator=(const TRowTextScope &) = delete;

private:
    const TnvSelectList *FList;
    QHash<const TnvSelectItem *, QString> FTexts;
    bool FOwned = false;
};

QString TnvSelectList::RowText(const TnvSelectItem *row) const
{
    const TSQLExpressionItem *expression = row->ExpressionItem();
    if (!expression)
        return QString();
    if (!FRowTexts)
        return row->TextOf(expression);
    auto found = FRowTexts->constFind(row);
    if (found == FRowTexts->constEnd())
        found = FRowTexts->insert(row, row->TextOf(expression));
    return *found;
}

QHash<QString, qsizetype> TnvSelectList::ReadBackPlaces(bool where)
{
    // The select list is read first. WHERE finds the output columns that are
    // no aggregates; GROUP BY and HAVING find the others, and those that no
    // WHERE term took.
    const QSet<QString> whereKeys = where ? QSet<QString>() : ConditionKeys(WhereGroupByTypes);
    QHash<QString, qsizetype> places;
    QSet<QString> takenByWhere;
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        TnvSelectItem *row = FItems[i];
        const TSQLExpressionItem *expression = row->ExpressionItem();
        if (!expression || !row->Select())
            continue;
        const QString text = RowText(row);
        const bool aggregate = row->CalcGroupByTypeFromExpression() != gtExpression;
        if (where && aggregate)
            continue;
        if (!where && !aggregate && whereKeys.contains(text) && !takenByWhere.contains(text)) {
            takenByWhere.insert(text);
            continue;
        }
        if (!places.contains(text))
            places.insert(text, i);
    }
    return places;
}

QString TnvSelectList::TermKey(const TnvSelectItem *row, const TSQLExpressionItem *term) const
{
    bool taken = false;
    const TSQLExpressionItem *left = LeftOperand(term, taken);
    if (taken || left == row->ExpressionItem())
        return RowText(row);
    return left ? row->TextOf(left) : QString();
}

QString TnvSelectList::KeyOf(const TnvSelectItem *row, const TSQLExpressionItem *term) const
{
    bool taken = false;
    const TSQLExpressionItem *left = LeftOperand(term, taken);
    return row->TextOf(left ? left : term);
}

QSet<QString> TnvSelectList::ConditionKeys(TnvQueryBuilderGroupByTypes kinds) const
{
    QSet<QString> keys;
    for (const TnvSelectItem *row : FItems) {
        if (!kinds.Contains(row->GroupByType()))
            continue;
        for (int c = 0; c < row->ConditionsCount(); ++c)
            ForEachTerm(row->GetASTCondition(c),
                        [&](const TSQLExpressionItem *term) { keys.insert(TermKey(row, term)); });
    }
    return keys;
}

std::vector<std::vector<TnvSelectList::TConditionTerm>> TnvSelectList::ConditionTerms(TnvQueryBuilderGroupByTypes kinds)
{
    int columns = 0;
    for (TnvSelectItem *row : std::as_const(FItems)) {
        if (!kinds.Contains(row->GroupByType()))
            continue;
        row->ShrinkConditionsList();
        columns = std::max(columns, row->ConditionsCount());
    }
    std::vector<std::vector<TConditionTerm>> cells{size_t(columns)};
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        TnvSelectItem *row = FItems[i];
        if (!kinds.Contains(row->GroupByType()))
            continue;
        const TSQLExpressionItem *expression = row->ExpressionItem();
        for (int c = 0; c < row->ConditionsCount(); ++c) {
            const TSQLExpressionItem *condition = row->GetASTCondition(c);
            if (!condition)
                continue;
            std::vector<TOwned<TSQLExpressionItem>> terms;
            TakeOperands(condition->Clone(), TSQLExpressionAnd::StaticClassType(), terms);
            for (TOwned<TSQLExpressionItem> &term : terms) {
                QString key = TermKey(row, term.get());
                if (expression)
                    term->RestoreLExpression(expression);
                if (expression && HasBooleanComparison(term.get())) {
                    // Printed as the value or its negation, the term is read
                    // back simplified: its terms find the rows of their own
                    // operands.
                    std::vector<TOwned<TSQLExpressionItem>> pieces;
                    TakeOperands(SimplifiedAsLoaded(TransformExpression(std::move(term))),
                                 TSQLExpressionAnd::StaticClassType(), pieces);
                    for (TOwned<TSQLExpressionItem> &piece : pieces)
                        cells[size_t(c)].push_back({KeyOf(row, piece.get()), i, std::move(piece)});
                    continue;
                }
                if (key.isNull())
                    key = row->TextOf(term.get());
                cells[size_t(c)].push_back({key, i, std::move(term)});
            }
        }
    }
    return cells;
}

std::vector<std::vector<TnvSelectList::TConditionTerm>>
TnvSelectList::ExpandedColumns(std::vector<std::vector<TConditionTerm>> columns) const
{
    // A column whose only term is an OR is read back as so many columns, one
    // per operand (nested ORs opened), each simplified as loading simplifies
    // an operand of the clause's OR, and the terms of an AND among them
    // spread over the rows of their own operands.
    std::vector<std::vector<TConditionTerm>> expanded;
    for (std::vector<TConditionTerm> &column : columns) {
        const TSQLExpressionItem *bare =
            column.size() == 1 ? ExpressionRemoveBrackets(column.front().Condition.get()) : nullptr;
        if (!bare || !bare->Is<TSQLExpressionOr>()) {
            expanded.push_back(std::move(column));
            continue;
        }
        TConditionTerm &only = column.front();
        const TnvSelectItem *row = FItems[only.Row];
        std::vector<TOwned<TSQLExpressionItem>> work;
        work.push_back(std::move(only.Condition));
        for (size_t k = 0; k < work.size(); ++k) {
            TOwned<TSQLExpressionItem> operand = SimplifiedAsLoaded(std::move(work[k]));
            if (!operand)
                continue;
            if (operand->Is<TSQLExpressionOr>()) {
                std::vector<TOwned<TSQLExpressionItem>> operands;
                TakeOperands(std::move(operand), TSQLExpressionOr::StaticClassType(), operands);
                work.insert(work.begin() + qsizetype(k) + 1, std::make_move_iterator(operands.begin()),
                            std::make_move_iterator(operands.end()));
                continue;
            }
            std::vector<TOwned<TSQLExpressionItem>> terms;
            TakeOperands(std::move(operand), TSQLExpressionAnd::StaticClassType(), terms);
            std::vector<TConditionTerm> disjunct;
            for (TOwned<TSQLExpressionItem> &term : terms)
                disjunct.push_back({KeyOf(row, term.get()), only.Row, std::move(term)});
            expanded.push_back(std::move(disjunct));
        }
    }
    return expanded;
}

TOwned<TSQLExpressionItem> TnvSelectList::GetConditionTree(TnvQueryBuilderGroupByTypes kinds)
{
    TRowTextScope texts(this);
    const bool where = kinds.Contains(gtWhere);
    std::vector<std::vector<TConditionTerm>> cells = ConditionTerms(kinds);
    // After joins written in WHERE the clause is one term of their AND, and
    // read back it stays one criterion; alone it is taken apart.
    const TnvDatasourceGroup *from = where && FUnionSubQuery ? FUnionSubQuery->FromGroup() : nullptr;
    if (!from || !from->HasWhereLinks())
        cells = ExpandedColumns(std::move(cells));
    if (cells.empty())
        return nullptr;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    // Read back, each term goes to the first row of the expression it tests
    // among the rows that stand by then and that the clause searches, else to
    // a new row, and the rows keep the clause's order. So a term is printed
    // where that row stands: the terms of rows of one expression together,
    // and a term typed into another expression's row where its own
    // expression's row is. A GROUP BY row that no output column takes stands
    // where it is.
    const QHash<QString, qsizetype> outputPlaces = ReadBackPlaces(where);
    QHash<QString, qsizetype> groupPlaces;
    if (!where)
        for (qsizetype i = 0; i < FItems.size(); ++i)
            if (const TSQLExpressionItem *expression = FItems[i]->ExpressionItem();
                expression && !FItems[i]->Select() && FItems[i]->GroupByType() == gtGroupBy)
                groupPlaces.insert(RowText(FItems[i]), std::min(i, groupPlaces.value(RowText(FItems[i]), i)));
    QHash<QString, qsizetype> places;
    for (const std::vector<TConditionTerm> &column : cells)
        for (const TConditionTerm &term : column)
            if (!places.contains(term.Key))
                places.insert(term.Key,
                              outputPlaces.value(term.Key, groupPlaces.value(term.Key, term.Row)));
    std::vector<TOwned<TSQLExpressionItem>> results;
    for (std::vector<TConditionTerm> &terms : cells) {
        // The terms of one key together, the keys by their places.
        struct TGroup {
            qsizetype Place;
            std::vector<TSQLExpressionItem *> Terms;
        };
        std::vector<TGroup> groups;
        QHash<QString, size_t> groupOfKey;
        for (TConditionTerm &term : terms) {
            auto found = groupOfKey.constFind(term.Key);
            if (found == groupOfKey.constEnd()) {
                found = groupOfKey.insert(term.Key, groups.size());
                groups.push_back({places.value(term.Key), {}});
            }
            groups[*found].Terms.push_back(term.Condition.release());
        }
        std::stable_sort(groups.begin(), groups.end(),
                         [](const TGroup &a, const TGroup &b) { return a.Place < b.Place; });
        std::vector<TOwned<TSQLExpressionItem>> copies;
        for (const TGroup &group : groups)
            for (TSQLExpressionItem *condition : group.Terms)
                copies.emplace_back(condition);
        if (copies.empty())
            continue;
        if (copies.size() == 1) {
            results.push_back(std::move(copies.front()));
            continue;
        }
        // A cell holding an OR keeps its meaning under the AND only in brackets.
        auto conjunction = Create<TSQLExpressionAnd>(provider);
        for (TOwned<TSQLExpressionItem> &copy : copies)
            conjunction->Add(BracketIfOr(std::move(copy)));
        results.push_back(std::move(conjunction));
    }
    TOwned<TSQLExpressionItem> tree;
    if (results.size() == 1) {
        tree = std::move(results.front());
    } else if (!results.empty()) {
        // A column that is an OR of its own is read back as so many columns:
        // its operands join the others.
        auto disjunction = Create<TSQLExpressionOr>(provider);
        for (TOwned<TSQLExpressionItem> &result : results) {
            std::vector<TOwned<TSQLExpressionItem>> operands;
            TakeOperands(std::move(result), TSQLExpressionOr::StaticClassType(), operands);
            for (TOwned<TSQLExpressionItem> &operand : operands)
                disjunction->Add(std::move(operand));
        }
        tree = std::move(disjunction);
    }
    // Reading the clause back drops brackets around all of it: a single
    // term left in brackets (its companions gone with a removed source)
    // prints without them, as a load of the text would.
    return WithoutBrackets(TransformExpression(std::move(tree)));
}

TOwned<TSQLGroupByList> TnvSelectList::GetGroupByTree()
{
    TRowTextScope texts(this);
    TOwned<TSQLGroupByList> list =
        FGroupByTemplate ? CloneAs(FGroupByTemplate.get()) : Create<TSQLGroupByList>(SyntaxProvider());
    // Grouping twice by one expression groups no further; read back, the
    // second mention is the first's. Read back, an expression of an output
    // column goes to that column: it is printed where the column stands.
    const bool anyGrouped = std::any_of(FItems.begin(), FItems.end(), [](const TnvSelectItem *row) {
        return row->GroupByType() == gtGroupBy && row->ExpressionItem();
    });
    const QHash<QString, qsizetype> outputPlaces = anyGrouped ? ReadBackPlaces(false) : QHash<QString, qsizetype>();
    QStringList grouped;
    QHash<QString, const TSQLExpressionItem *> expressions;
    QHash<QString, qsizetype> places;
    for (qsizetype i = 0; i < FItems.size(); ++i)
        if (FItems[i]->GroupByType() == gtGroupBy)
            if (const TSQLExpressionItem *expression = FItems[i]->ExpressionItem()) {
                const QString text = RowText(FItems[i]);
                if (expressions.contains(text))
                    continue;
                grouped.append(text);
                expressions.insert(text, expression);
                places.insert(text, outputPlaces.value(text, i));
            }
    std::stable_sort(grouped.begin(), grouped.end(),
                     [&](const QString &a, const QString &b) { return places.value(a) < places.value(b); });
    for (const QString &text : std::as_const(grouped))
        list->Add(expressions.value(text)->Clone());
    if (list->GetCount() == 0)
        return nullptr;
    return list;
}

TOwned<TSQLOrderByClause> TnvSelectList::GetOrderByClause()
{
    if (FSortOrder.isEmpty())
        return nullptr;
    TRowTextScope texts(this);
    auto clause = Create<TSQLOrderByClause>(SyntaxProvider());
    // A second item that sorts by the values of an earlier one changes no
    // order, and read back it would name the row the earlier one named:
    // only the first is printed. An item sorts by the expression of the
    // output column it names by position or alias, else by its own.
    auto readBefore = [](const TnvSelectItem *row) {
        if (row->Select() || row->GroupByType() == gtGroupBy)
            return true;
        if (row->GroupByType() == gtExpression)
            return false;
        for (int c = 0; c < row->ConditionsCount(); ++c)
            if (row->GetASTCondition(c))
                return true;
        return false;
    };
    QSet<QString> sorted;
    for (TnvSelectItem *row : std::as_const(FSortOrder)) {
        TOwned<TSQLOrderByItem> item = row->GetOrderByItem();
        if (!item)
            continue;
        QString key = TnvSelectItem::NodeText(QueryBuilder(), item->Expression.get());
        const TnvSelectItem *column = nullptr;
        qsizetype position = 0;
        if (TnvSelectItem::IsUnsignedInteger(item->Expression.get(), &position)) {
            column = OutputRow(position);
            if (!column) {
                // A position that names no column: read back, another row of
                // that number read before ORDER BY would take it as its own.
                if (std::any_of(FItems.begin(), FItems.end(), [&](const TnvSelectItem *other) {
                        const TSQLExpressionItem *expression = other->ExpressionItem();
                        return other != row && expression && readBefore(other) && RowText(other) == key;
                    }))
                    continue;
                key.prepend(u'#');
            }
        } else {
            column = OutputAliasRow(item->Expression.get());
        }
        if (column && column->ExpressionItem())
            key = RowText(column);
        if (sorted.contains(key))
            continue;
        sorted.insert(key);
        clause->Add(std::move(item));
    }
    if (clause->GetCount() == 0)
        return nullptr;
    return clause;
}

// ---------------------------------------------------------------------------
// The grid

InvSelectListControl *TnvSelectList::GetISelectListControl() const
{
    return GetControlInterface<InvSelectListControl>(0);
}

void TnvSelectList::FillList()
{
    InvSelectListControl *grid = GetISelectListControl();
    if (!grid)
        return;
    FFilling = true;
    TnvScopeExit done([this] { FFilling = false; });
    grid->FillList();
}

void TnvSelectList::CreateControl()
{
    const bool created = !ControlsCreated();
    TnvQueryBuilderControlOwner::CreateControl();
    if (created && ControlsCreated())
        FillList();
}

TnvModelControl *TnvSelectList::CreateControlInternal(int index)
{
    return index == 0 ? CreateControlOfClass(ControlClass::SelectListControl, index) : nullptr;
}

void TnvSelectList::DoAfterUpdated()
{
    // A load ends with its bracket: later edits are no load's.
    FLoadOrders.clear();
    if (!IsDestroying()) {
        if (FItems.isEmpty() || !FItems.last()->IsEmpty())
            AddEmptyRow();
        {
            FTrimming = true;
            TnvScopeExit trimmed([this] { FTrimming = false; });
            while (FItems.size() >= 2 && FItems[FItems.size() - 2]->IsEmpty())
                TObject::Free(FItems.last());
        }
        FillList();
        // The boxes' check marks follow the output columns.
        if (TnvUnionSubQuery *part = UnionSubQuery(); part && part->FromGroup())
            part->FromGroup()->UpdateChecks();
    }
    TnvQueryBuilderControlOwner::DoAfterUpdated();
}

void TnvSelectList::GetASTChildren(TastNodeRefList &list)
{
    TnvQueryBuilderControlOwner::GetASTChildren(list);
    if (FSelectItemsTemplate)
        list.append(FSelectItemsTemplate.get());
    if (FGroupByTemplate)
        list.append(FGroupByTemplate.get());
}

} // namespace nvqb
