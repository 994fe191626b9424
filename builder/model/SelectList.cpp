#include "builder/model/SelectList.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <algorithm>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvSelectList, TnvQueryBuilderControlOwner)

namespace {

template <class T> TOwned<T> Downcast(TOwned<TastNodeBase> node) { return TOwned<T>(static_cast<T *>(node.release())); }

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

void TnvSelectList::RowDestroying(TnvSelectItem *row)
{
    const bool inOrderBy = FSortOrder.removeAll(row) > 0;
    FItems.removeAll(row);
    if (FRowIndex)
        for (QList<TnvSelectItem *> &rows : *FRowIndex)
            rows.removeAll(row);
    // An empty row's going changes no SQL; the list is looked at again only
    // when it no longer ends with an empty row.
    if (!row->IsEmpty() || inOrderBy || FItems.isEmpty() || !FItems.last()->IsEmpty())
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
    if (!onlyStar) {
        qsizetype row = 0;
        for (qsizetype i = 0; i < node->GetCount(); ++i) {
            TSQLSelectItem *item = node->GetItems(i);
            if (!item)
                continue;
            while (row >= FItems.size())
                AddEmptyRow();
            FItems[row++]->LoadFromAST(item);
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
    return row;
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
    if (prepared->Is<TSQLExpressionOr>()) {
        std::vector<TOwned<TSQLExpressionItem>> disjuncts;
        TakeOperands(std::move(prepared), TSQLExpressionOr::StaticClassType(), disjuncts);
        int column = 0;
        for (TOwned<TSQLExpressionItem> &disjunct : disjuncts)
            PlaceOperand(std::move(disjunct), column++, kinds, kind);
        return true;
    }
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
    for (TnvSelectItem *row : std::as_const(FItems))
        if (WhereGroupByTypes.Contains(row->GroupByType()))
            while (row->ConditionsCount() > 0)
                row->SetASTCondition(row->ConditionsCount() - 1, nullptr);
    NotifySQLUpdated();
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
    for (qsizetype i = 0; i < node->GetCount(); ++i)
        if (const TSQLExpressionItem *expression = node->GetItems(i))
            FindOrAddSelectItem(expression, GroupedSearchKinds, gtGroupBy);
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
        // A name of an output column sorts by that column of the result: it
        // must not be bound to a field of the same name in FROM.
        const bool bind = !NamesOutputAlias(item->Expression.get());
        TnvSelectItem *row =
            FindOrAddSelectItem(item->Expression.get(), TnvQueryBuilderGroupByTypes::All(), gtExpression, bind);
        // A column sorted twice keeps its first place: the second mention
        // cannot change the order.
        if (!row || FSortOrder.contains(row))
            continue;
        FSortOrder.append(row);
        row->FSortType = item->SortOrder == obDesc ? stDesc : stAsc;
    }
    NotifySQLUpdated();
}

bool TnvSelectList::NamesOutputAlias(const TSQLExpressionItem *expression) const
{
    const auto *column = As<TSQLExpressionColumn>(expression);
    const TSQLObjectColumn *name = column ? column->Column.get() : nullptr;
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!provider || !name || name->GetCount() != 1 || name->Datasource())
        return false;
    const auto *identifier = As<TastTokenIdentifier>(name->GetItems(0));
    if (!identifier)
        return false;
    for (const TnvSelectItem *row : FItems) {
        const TSQLAliasExpression *alias = row->AliasNode();
        if (row->Select() && alias && alias->Identifier &&
            provider->CompareIdentifiers(identifier, alias->Identifier.get()) == 0)
            return true;
    }
    return false;
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

TOwned<TSQLExpressionItem> TnvSelectList::GetConditionTree(TnvQueryBuilderGroupByTypes kinds)
{
    int columns = 0;
    for (TnvSelectItem *row : std::as_const(FItems)) {
        if (!kinds.Contains(row->GroupByType()))
            continue;
        row->ShrinkConditionsList();
        columns = std::max(columns, row->ConditionsCount());
    }
    if (columns == 0)
        return nullptr;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    std::vector<TOwned<TSQLExpressionItem>> results;
    for (int c = 0; c < columns; ++c) {
        std::vector<TOwned<TSQLExpressionItem>> copies;
        for (TnvSelectItem *row : std::as_const(FItems)) {
            if (!kinds.Contains(row->GroupByType()))
                continue;
            const TSQLExpressionItem *condition = row->GetASTCondition(c);
            if (!condition)
                continue;
            TOwned<TSQLExpressionItem> copy = condition->Clone();
            if (const TSQLExpressionItem *expression = row->ExpressionItem())
                copy->RestoreLExpression(expression);
            copies.push_back(std::move(copy));
        }
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
        auto disjunction = Create<TSQLExpressionOr>(provider);
        for (TOwned<TSQLExpressionItem> &result : results)
            disjunction->Add(std::move(result));
        tree = std::move(disjunction);
    }
    return TransformExpression(std::move(tree));
}

TOwned<TSQLGroupByList> TnvSelectList::GetGroupByTree()
{
    TOwned<TSQLGroupByList> list =
        FGroupByTemplate ? CloneAs(FGroupByTemplate.get()) : Create<TSQLGroupByList>(SyntaxProvider());
    for (TnvSelectItem *row : std::as_const(FItems))
        if (row->GroupByType() == gtGroupBy)
            if (const TSQLExpressionItem *expression = row->ExpressionItem())
                list->Add(expression->Clone());
    if (list->GetCount() == 0)
        return nullptr;
    return list;
}

TOwned<TSQLOrderByClause> TnvSelectList::GetOrderByClause()
{
    if (FSortOrder.isEmpty())
        return nullptr;
    auto clause = Create<TSQLOrderByClause>(SyntaxProvider());
    for (TnvSelectItem *row : std::as_const(FSortOrder))
        if (TOwned<TSQLOrderByItem> item = row->GetOrderByItem())
            clause->Add(std::move(item));
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
    if (!IsDestroying()) {
        if (FItems.isEmpty() || !FItems.last()->IsEmpty())
            AddEmptyRow();
        while (FItems.size() >= 2 && FItems[FItems.size() - 2]->IsEmpty())
            TObject::Free(FItems.last());
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
