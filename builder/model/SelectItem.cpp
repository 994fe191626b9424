#include "builder/model/SelectItem.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubSelectStatementProxy.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "classlib/Strings.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <algorithm>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvSelectItem, TnvQueryBuilderControlOwner)

namespace {

// A string constant holding the text. Quotes inside it are doubled, so the
// printed SQL reads back as the same text.
TOwned<TSQLExpressionConstant> StringConstant(TnvBaseSyntaxProvider *provider, const QString &text)
{
    auto constant = Create<TSQLExpressionConstant>(provider);
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    constant->AddString(u'\'' + quoted + u'\'');
    return constant;
}

// A comparison "= value" whose left operand the row gives back when the
// query is built.
TOwned<TSQLExpressionItem> EqualsCriterion(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> value)
{
    return Create<TSQLExpressionOperatorBinary>(provider, nullptr, QStringLiteral("="), std::move(value));
}

// An aggregate over all rows, name(*): exactly this class, since the other
// aggregate classes carry arguments.
TSQLExpressionAggregate *StarAggregate(TastNodeBase *node)
{
    auto *aggregate = As<TSQLExpressionAggregate>(node);
    return aggregate && aggregate->ClassType() == TSQLExpressionAggregate::StaticClassType() ? aggregate : nullptr;
}

// A new one-parameter aggregate: the prefixed form when asked or when the
// dialect knows the name only in that form.
TOwned<TSQLExpressionAggregate1Param> NewOneParamAggregate(TnvBaseSyntaxProvider *provider,
                                                            const TSQLQualifiedName *name, bool prefixed,
                                                            TSQLAggregateParamPrefixes prefix,
                                                            TOwned<TSQLExpressionItem> argument)
{
    TOwned<TSQLExpressionAggregate1Param> aggregate;
    if (prefixed) {
        auto withPrefix = Create<TSQLExpressionAggregate1ParamWPrefix>(provider);
        withPrefix->ParamPrefix = prefix;
        aggregate = std::move(withPrefix);
    } else {
        aggregate = Create<TSQLExpressionAggregate1Param>(provider);
    }
    aggregate->FunctionName.reset(name ? name->Clone() : nullptr);
    aggregate->Argument.reset(std::move(argument));
    return aggregate;
}

// The same aggregate around another argument.
TOwned<TSQLExpressionAggregate1Param> AggregateLike(const TSQLExpressionAggregate1Param *model,
                                                   TOwned<TSQLExpressionItem> argument)
{
    const auto *withPrefix = As<TSQLExpressionAggregate1ParamWPrefix>(model);
    return NewOneParamAggregate(model->SyntaxProvider(), model->FunctionName.get(), withPrefix != nullptr,
                                withPrefix ? withPrefix->ParamPrefix : ppAll, std::move(argument));
}

template <class T> TOwned<T> Downcast(TOwned<TastNodeBase> node) { return TOwned<T>(static_cast<T *>(node.release())); }

bool StartsWithComparison(const TnvBaseSyntaxProvider *provider, const QString &text)
{
    TWideStringList operators;
    provider->GetComparisonOperators(&operators);
    for (qsizetype i = 0; i < operators.Count(); ++i)
        if (text.startsWith(operators[i]))
            return true;
    return false;
}

const char *const GroupByDisplayNames[] = {"Expression", "Group By", "Having", "Where"};

} // namespace

TnvSelectItem::TnvSelectItem(TnvSelectList *selectList, TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBuilderControlOwner(selectList, selectList, queryBuilder), FSelectList(selectList)
{
}

TnvSelectItem::~TnvSelectItem() = default;

void TnvSelectItem::Destroy()
{
    // The row leaves the update tree first: the list's bracket below must
    // not run the steps of a row that is going.
    SetUpdateParent(nullptr);
    if (FSelectList && !FSelectList->IsDestroying())
        FSelectList->RowDestroying(this);
    FConditions.clear();
    FAlias.reset();
    FExpression.reset();
    TnvQueryBuilderControlOwner::Destroy();
}

bool TnvSelectItem::IsFilling() const { return FSelectList && FSelectList->IsFilling(); }

TnvBaseSyntaxProvider *TnvSelectItem::RequireSyntaxProvider() const
{
    TnvBaseSyntaxProvider *provider = QueryBuilder() ? SyntaxProvider() : nullptr;
    if (!provider)
        throw Exception(nvQBMessage(nvQBNoSyntaxProvider));
    return provider;
}

QString TnvSelectItem::NodeText(const TnvQueryBuilderModel *qb, const TastNodeBase *node)
{
    const auto *tree = As<TastNode>(node);
    if (!tree)
        return QString();
    if (!qb)
        return tree->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr);
    const TnvMetadataContainer *container = qb->MetadataContainer();
    return tree->SimpleSQL(qb->IdentQuotation(), qb->ObjectPrefixSkipping(),
                           container ? container->DefaultDatabaseName() : nullptr,
                           container ? container->DefaultSchemaNames() : nullptr);
}

// ---------------------------------------------------------------------------
// What the row holds

TSQLExpressionItem *TnvSelectItem::ExpressionItem() const { return As<TSQLExpressionItem>(FExpression.get()); }

bool TnvSelectItem::IsAllColumnsItem() const { return FExpression && FExpression->Is<TSQLSelectItem>(); }

TSQLObjectColumn *TnvSelectItem::FieldName() const
{
    auto *column = As<TSQLExpressionColumn>(ExpressionRemoveBrackets(ExpressionItem()));
    return column ? column->Column.get() : nullptr;
}

TSQLFromSource *TnvSelectItem::DatasourceNode() const
{
    if (const TSQLObjectColumn *column = FieldName())
        return column->Datasource();
    if (const auto *all = As<TSQLSelectItemAllTableColumns>(FExpression.get()); all && all->TableName)
        return all->TableName->Datasource();
    return nullptr;
}

void TnvSelectItem::FixupExpression(TastNodeBase *node) const
{
    if (!node)
        return;
    node->SetSyntaxProvider(SyntaxProvider());
    node->SimplifyTreeRecursive();
    TastNodeRefList withItems, fromSources;
    const_cast<TnvSelectItem *>(this)->GatherPrepareAndFixupContext(withItems, fromSources, true);
    const TnvQueryBuilderModel *qb = QueryBuilder();
    node->PrepareAndFixupRecursive(withItems, fromSources, qb ? qb->MetadataContainer() : nullptr);
}

bool TnvSelectItem::BindUnboundNames()
{
    TastNodesList names;
    auto collect = [&](TastNodeBase *root) {
        if (!root)
            return;
        TastNodesList nodes;
        nodes.append(root);
        root->GetMyChildrenRecursive(nodes);
        for (TastNodeBase *node : std::as_const(nodes))
            if (const auto *name = As<TSQLDatabaseObject>(node); name && !name->Datasource())
                names.append(node);
    };
    collect(FExpression.get());
    for (const TOwned<TSQLExpressionItem> &condition : FConditions)
        collect(condition.get());
    if (names.isEmpty())
        return false;
    // Names bound already keep their sources: a source added later does not
    // take a column over.
    TastNodeRefList withItems, fromSources;
    GatherPrepareAndFixupContext(withItems, fromSources, true);
    const TnvQueryBuilderModel *qb = QueryBuilder();
    bool bound = false;
    for (TastNodeBase *node : std::as_const(names)) {
        auto *name = static_cast<TSQLDatabaseObject *>(node);
        name->PrepareAndFixup(withItems, fromSources, qb ? qb->MetadataContainer() : nullptr);
        bound = bound || name->Datasource();
    }
    return bound;
}

TOwned<TSQLExpressionItem> TnvSelectItem::FindFieldColumn(const QString &text) const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    TnvUnionSubQuery *part = FSelectList ? FSelectList->UnionSubQuery() : nullptr;
    if (!provider || !part || !part->FromGroup())
        return nullptr;
    TastNodeRefList sources;
    part->FromGroup()->GetFromSources(sources);
    if (sources.isEmpty())
        return nullptr;
    auto column = Create<TSQLObjectColumn>(provider);
    column->AddName(text);
    for (qsizetype i = sources.size() - 1; i >= 0; --i) {
        auto *source = As<TSQLFromSource>(sources[i]);
        if (!source || !source->FieldsList())
            continue;
        if (provider->FindFieldInFieldsList(column.get(), source->FieldsList()) < 0)
            continue;
        column->SetDatasource(source);
        auto expression = Create<TSQLExpressionColumn>(provider);
        expression->Column.reset(std::move(column));
        return expression;
    }
    return nullptr;
}

void TnvSelectItem::LoadExpression(TastNode *node, bool bind)
{
    if (!node)
        return;
    auto bracket = UpdateBracket(this);
    if (auto *item = As<TSQLSelectItem>(node)) {
        if (auto *expression = As<TSQLSelectItemExpression>(item)) {
            FExpression = expression->Expression.release();
            FAlias = expression->Alias.release();
        } else {
            FExpression = CloneAs<TastNode>(item);
        }
        FSelect = true;
    } else if (auto *expression = As<TSQLExpressionItem>(node)) {
        TOwned<TSQLExpressionItem> copy = expression->Clone();
        if (bind) {
            copy->RestoreColumnPrefixRecursive();
            FixupExpression(copy.get());
        }
        FExpression = std::move(copy);
    }
    FGroupByType = CalcGroupByType();
    LoadSubQueries(FExpression.get());
    NotifySQLUpdated();
}

// ---------------------------------------------------------------------------
// Grouping kinds

TnvQueryBuilderGroupByType TnvSelectItem::CalcGroupByTypeFromExpression() const
{
    const TnvBaseSyntaxProvider *provider = QueryBuilder() ? SyntaxProvider() : nullptr;
    TSQLExpressionItem *expression = ExpressionItem();
    if (!provider || !expression)
        return gtExpression;
    if (const auto *oneParam = As<TSQLExpressionAggregate1Param>(expression)) {
        const TSQLQualifiedName *name = oneParam->FunctionName.get();
        return provider->IsNameOfPrefixedAggregate(name) || provider->IsNameOfAggregate(name) ? gtAggregate
                                                                                               : gtExpression;
    }
    if (const TSQLExpressionAggregate *star = StarAggregate(expression))
        return provider->IsNameOfStarAggregate(star->FunctionName.get()) ? gtAggregateStar : gtExpression;
    return gtExpression;
}

TnvQueryBuilderGroupByType TnvSelectItem::CalcGroupByType() const
{
    // An aggregate expression always makes an aggregate row, so the grid
    // shows its argument and its name and an edit keeps it; a row that was
    // an aggregate and is one no more becomes a plain expression.
    const TnvQueryBuilderGroupByType fromExpression = CalcGroupByTypeFromExpression();
    if (fromExpression == gtAggregate || fromExpression == gtAggregateStar)
        return fromExpression;
    if (FGroupByType == gtAggregate || FGroupByType == gtAggregateStar)
        return gtExpression;
    return FGroupByType;
}

QString TnvSelectItem::GroupByTypeDisplayName(TnvQueryBuilderGroupByType kind)
{
    if (kind >= gtExpression && kind <= gtWhere)
        return QString::fromLatin1(GroupByDisplayNames[kind]);
    return QString();
}

QString TnvSelectItem::GetGroupByTypeName() const
{
    if (!FExpression)
        return QString();
    if (FGroupByType != gtAggregate && FGroupByType != gtAggregateStar)
        return GroupByTypeDisplayName(FGroupByType);
    const auto *aggregate = As<TSQLExpressionAggregate>(FExpression.get());
    if (!aggregate || !aggregate->FunctionName)
        return GroupByTypeDisplayName(gtExpression);
    TOwned<TSQLQualifiedName> name = aggregate->FunctionName->Clone();
    if (const TnvBaseSyntaxProvider *provider = SyntaxProvider())
        provider->AggregateNormalize(name.get());
    QString text = name->GetQualifiedName();
    if (const auto *withPrefix = As<TSQLExpressionAggregate1ParamWPrefix>(aggregate);
        withPrefix && withPrefix->ParamPrefix == ppDistinct)
        text += QStringLiteral(" Distinct");
    return text;
}

void TnvSelectItem::GetGroupByNames(QStringList &names) const
{
    names.clear();
    if (!FExpression)
        return;
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    auto aggregateNames = [&](void (TnvBaseSyntaxProvider::*fill)(TSQLQualifiedNamesList *) const) {
        QStringList result;
        if (!provider)
            return result;
        TSQLQualifiedNamesList list(const_cast<TnvBaseSyntaxProvider *>(provider));
        (provider->*fill)(&list);
        for (qsizetype i = 0; i < list.GetCount(); ++i)
            result.append(list.GetItems(i)->GetQualifiedName());
        return result;
    };
    auto byName = [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    names.append(GroupByTypeDisplayName(gtExpression));
    if (FGroupByType == gtAggregateStar) {
        names.append(aggregateNames(&TnvBaseSyntaxProvider::GetStarAggregateNames));
        return;
    }
    const TSQLExpressionItem *expression = ExpressionItem();
    if (!expression) {
        QStringList star = aggregateNames(&TnvBaseSyntaxProvider::GetStarAggregateNames);
        std::stable_sort(star.begin(), star.end(), byName);
        names.append(star);
        return;
    }
    if (expression->IsLogical()) {
        names.append(GroupByTypeDisplayName(gtWhere));
        names.append(GroupByTypeDisplayName(gtHaving));
        return;
    }
    names.append(GroupByTypeDisplayName(gtGroupBy));
    names.append(GroupByTypeDisplayName(gtWhere));
    names.append(GroupByTypeDisplayName(gtHaving));
    // One list sorted by name; a name the dialect knows in both forms is
    // offered once, with its distinct variant.
    struct TEntry {
        QString Name;
        bool Prefixed;
    };
    std::vector<TEntry> entries;
    auto add = [&](const QStringList &list, bool prefixed) {
        for (const QString &name : list) {
            auto found = std::find_if(entries.begin(), entries.end(), [&](const TEntry &e) {
                return e.Name.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (found == entries.end())
                entries.push_back({name, prefixed});
            else
                found->Prefixed = found->Prefixed || prefixed;
        }
    };
    add(aggregateNames(&TnvBaseSyntaxProvider::Get1ParamAggregateNames), false);
    add(aggregateNames(&TnvBaseSyntaxProvider::GetPrefixed1ParamAggregateNames), true);
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const TEntry &a, const TEntry &b) { return byName(a.Name, b.Name); });
    for (const TEntry &entry : entries) {
        names.append(entry.Name);
        if (entry.Prefixed)
            names.append(entry.Name + QStringLiteral(" Distinct"));
    }
}

void TnvSelectItem::SetGroupByTypeName(const QString &text)
{
    if (IsFilling())
        return;
    const QString trimmed = Trim(text);
    const QString upper = trimmed.toUpper();
    if (upper == GetGroupByTypeName().toUpper())
        return;
    // Only what the row's own pick list offers: a name the dialect does not
    // know, a star aggregate around a column or a one-parameter aggregate
    // around * change nothing.
    QStringList names;
    GetGroupByNames(names);
    if (std::none_of(names.begin(), names.end(), [&](const QString &name) { return name.toUpper() == upper; }))
        return;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();

    const TnvQueryBuilderGroupByType oldKind = FGroupByType;
    TnvQueryBuilderGroupByType newKind = gtExpression;
    TOwned<TSQLQualifiedName> name;
    bool distinct = false;
    if (upper == QStringLiteral("EXPRESSION")) {
        newKind = gtExpression;
    } else if (upper == QStringLiteral("GROUP BY")) {
        newKind = gtGroupBy;
    } else if (upper == QStringLiteral("HAVING")) {
        newKind = gtHaving;
    } else if (upper == QStringLiteral("WHERE")) {
        newKind = gtWhere;
    } else {
        QString nameText = trimmed;
        if (upper.endsWith(QStringLiteral(" DISTINCT"))) {
            distinct = true;
            nameText.chop(9);
        }
        if (provider)
            if (TOwned<TSQLDatabaseObject> parsed = provider->ParseObjectName(Trim(nameText)))
                name = parsed->GetNameWithoutNames(0);
        if (!name) {
            newKind = gtExpression;
        } else {
            provider->AggregateNormalize(name.get());
            if (provider->IsNameOfStarAggregate(name.get()) && (IsAllColumnsItem() || oldKind == gtAggregateStar))
                newKind = gtAggregateStar;
            else if (provider->IsNameOfPrefixedAggregate(name.get()) || provider->IsNameOfAggregate(name.get()) ||
                     distinct)
                newKind = gtAggregate;
            else
                return;
        }
    }

    auto bracket = UpdateBracket(this);
    const bool oldStar = oldKind == gtAggregateStar, newStar = newKind == gtAggregateStar;
    const bool oldAggregate = oldKind == gtAggregate, newAggregate = newKind == gtAggregate;
    // The prefixed form carries the distinct flag; a plain aggregate name
    // without it keeps the plain form.
    const bool prefixed = name && (distinct || !provider->IsNameOfAggregate(name.get()));
    TOwned<TastNode> old;
    if (oldStar && !newStar) {
        old = std::move(FExpression);
        FExpression = Create<TSQLSelectItemAllColumns>(provider);
    } else if (!oldStar && newStar) {
        old = std::move(FExpression);
        auto aggregate = Create<TSQLExpressionAggregate>(provider);
        aggregate->FunctionName.reset(std::move(name));
        FExpression = std::move(aggregate);
    } else if (oldStar && newStar) {
        if (auto *aggregate = As<TSQLExpressionAggregate>(FExpression.get()))
            aggregate->FunctionName.reset(std::move(name));
    } else if (!oldAggregate && newAggregate && ExpressionItem()) {
        TOwned<TSQLExpressionItem> argument = Downcast<TSQLExpressionItem>(std::move(FExpression));
        FExpression = NewOneParamAggregate(provider, name.get(), prefixed, distinct ? ppDistinct : ppAll,
                                           std::move(argument));
    } else if (oldAggregate && !newAggregate) {
        if (auto *aggregate = As<TSQLExpressionAggregate1Param>(FExpression.get())) {
            old = std::move(FExpression);
            FExpression = aggregate->Argument.release();
        }
    } else if (oldAggregate && newAggregate) {
        if (auto *aggregate = As<TSQLExpressionAggregate1Param>(FExpression.get())) {
            old = std::move(FExpression);
            FExpression = NewOneParamAggregate(provider, name.get(), prefixed, distinct ? ppDistinct : ppAll,
                                               aggregate->Argument.release());
        }
    }
    // An aggregate unwrapped from around another stays an aggregate row.
    FGroupByType = newKind;
    FGroupByType = CalcGroupByType();
    CheckItemProperties();
    NotifySQLUpdated();

    // The first grouped row groups every other groupable row as well.
    if ((oldKind == gtExpression || oldKind == gtWhere) && (newKind == gtGroupBy || newKind == gtHaving) &&
        FSelectList) {
        const TnvQueryBuilderGroupByTypes grouped{gtGroupBy, gtHaving, gtAggregateStar, gtAggregate};
        bool others = false;
        for (qsizetype i = 0; i < FSelectList->Count() && !others; ++i) {
            const TnvSelectItem *row = FSelectList->Items(i);
            others = row != this && grouped.Contains(row->FGroupByType);
        }
        if (!others) {
            const QString groupBy = GroupByTypeDisplayName(gtGroupBy);
            for (qsizetype i = 0; i < FSelectList->Count(); ++i) {
                TnvSelectItem *row = FSelectList->Items(i);
                if (row == this || (row->FGroupByType != gtExpression && row->FGroupByType != gtWhere))
                    continue;
                QStringList rowNames;
                row->GetGroupByNames(rowNames);
                if (rowNames.contains(groupBy))
                    row->SetGroupByTypeName(groupBy);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Expression and alias

QString TnvSelectItem::GetExpression() const
{
    if (!FExpression)
        return QString();
    if (FGroupByType == gtAggregateStar && StarAggregate(FExpression.get()))
        return QStringLiteral("*");
    if (FGroupByType == gtAggregate)
        if (const auto *aggregate = As<TSQLExpressionAggregate1Param>(FExpression.get()))
            return aggregate->Argument ? TextOf(aggregate->Argument.get()) : QStringLiteral("*");
    return TextOf(FExpression.get());
}

bool TnvSelectItem::ParseNewExpression(const QString &text, TOwned<TastNode> &expression,
                                       TOwned<TSQLAliasExpression> &alias)
{
    expression.reset();
    alias.reset();
    if (text.isEmpty())
        return true;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (provider->IsValidIdent(text)) {
        if (TOwned<TSQLExpressionItem> column = FindFieldColumn(text)) {
            expression = std::move(column);
            return true;
        }
    }
    TOwned<TSQLSelectItem> item = provider->ParseSelectItem(text);
    if (!item) {
        expression = provider->ParseLogicalExpression(text, true);
        return bool(expression);
    }
    if (auto *withExpression = As<TSQLSelectItemExpression>(item.get())) {
        expression = withExpression->Expression.release();
        alias = withExpression->Alias.release();
        return bool(expression);
    }
    expression = std::move(item);
    return true;
}

void TnvSelectItem::SetExpression(const QString &text)
{
    if (IsFilling())
        return;
    const QString trimmed = Trim(text);
    if (trimmed == GetExpression())
        return;
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    auto bracket = UpdateBracket(this);
    TOwned<TastNode> expression;
    TOwned<TSQLAliasExpression> alias;
    if (!ParseNewExpression(trimmed, expression, alias)) {
        expression = StringConstant(provider, trimmed);
        alias.reset();
    } else if (!expression) {
        Clear();
        return;
    }

    // Criteria belong to expression items: they go when the row turns into *
    // or t.*, or back.
    const bool dropConditions =
        FExpression && FExpression->Is<TSQLExpressionItem>() != expression->Is<TSQLExpressionItem>();

    // An aggregate row keeps its aggregate around what was typed.
    if (FGroupByType == gtAggregate) {
        if (const auto *aggregate = As<TSQLExpressionAggregate1Param>(FExpression.get())) {
            if (expression->Is<TSQLExpressionItem>()) {
                expression = AggregateLike(aggregate, Downcast<TSQLExpressionItem>(std::move(expression)));
            } else if (expression->Is<TSQLSelectItemAllColumns>() &&
                       provider->IsNameOfStarAggregate(aggregate->FunctionName.get())) {
                // Count(x) with * typed becomes Count(*); any other
                // aggregate cannot take *, which then stands alone.
                auto star = Create<TSQLExpressionAggregate>(provider);
                star->FunctionName.reset(aggregate->FunctionName ? aggregate->FunctionName->Clone() : nullptr);
                expression = std::move(star);
            }
        }
    } else if (FGroupByType == gtAggregateStar) {
        if (const TSQLExpressionAggregate *aggregate = StarAggregate(FExpression.get())) {
            const TSQLQualifiedName *name = aggregate->FunctionName.get();
            if (expression->Is<TSQLExpressionItem>()) {
                const bool prefixed = provider->IsNameOfPrefixedAggregate(name);
                if (prefixed || provider->IsNameOfAggregate(name))
                    expression = NewOneParamAggregate(provider, name, prefixed, ppAll,
                                                      Downcast<TSQLExpressionItem>(std::move(expression)));
            } else if (expression->Is<TSQLSelectItemAllColumns>()) {
                expression = CloneAs<TastNode>(aggregate);
            }
        }
    }
    FixupExpression(expression.get());
    const QString aliasText = alias && alias->Identifier ? TextOf(alias->Identifier.get()) : QString();

    // A text that makes the statement unparsable is refused before the row
    // changes: Sum(a = 1), or a comparison as the left side of a criterion.
    TContent candidate = CurrentFlags();
    candidate.Expression = std::move(expression);
    candidate.Alias = aliasText.isEmpty() ? CloneAs(FAlias.get()) : NewAlias(aliasText);
    if (dropConditions)
        candidate.Conditions.emplace();
    RefuseUnparsable(candidate, [this] {
        FGroupByType = CalcGroupByType();
        DropUnsupported();
    });
    expression = std::move(*candidate.Expression);

    if (dropConditions)
        FConditions.clear();
    // Kept until the row is consistent again, so nothing refers to it while
    // it goes.
    TOwned<TastNode> old = std::move(FExpression);
    FExpression = std::move(expression);
    // The alias comes with the expression; a row that cannot have one drops
    // it below.
    if (!aliasText.isEmpty())
        FAlias = NewAlias(aliasText);
    FGroupByType = CalcGroupByType();
    CheckItemProperties();
    LoadSubQueries(FExpression.get());
    NotifySQLUpdated();
}

QString TnvSelectItem::GetAlias() const
{
    return FAlias && FAlias->Identifier ? TextOf(FAlias->Identifier.get()) : QString();
}

void TnvSelectItem::SetAlias(const QString &text)
{
    if (IsFilling())
        return;
    const QString trimmed = Trim(text);
    if (trimmed == GetAlias())
        return;
    if (IsSupportsAlias() && !trimmed.isEmpty()) {
        TContent candidate = CurrentFlags();
        candidate.Alias = NewAlias(trimmed);
        RefuseUnparsable(candidate);
        FAlias = std::move(*candidate.Alias);
    } else if (FAlias) {
        FAlias.reset();
    } else {
        return;
    }
    NotifySQLUpdated();
}

TOwned<TSQLAliasExpression> TnvSelectItem::NewAlias(const QString &text) const
{
    if (text.isEmpty())
        return nullptr;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    TOwned<TastTokenIdentifier> identifier = provider ? provider->ParseIdentifierQuoteIfNeed(text) : nullptr;
    if (!identifier)
        identifier = Create<TastTokenIdentifier>(provider, text, !provider);
    TOwned<TSQLAliasExpression> alias = Create<TSQLAliasExpressionAsAlias>(provider);
    alias->Identifier.reset(std::move(identifier));
    return alias;
}

// ---------------------------------------------------------------------------
// Edits tried before they are taken

TnvSelectItem::TContent TnvSelectItem::CurrentFlags() const
{
    TContent content;
    content.Select = FSelect;
    content.SortType = FSortType;
    content.OrderByName = FOrderByName;
    content.GroupByType = FGroupByType;
    return content;
}

void TnvSelectItem::Exchange(TContent &content)
{
    if (content.Expression)
        std::swap(FExpression, *content.Expression);
    if (content.Alias)
        std::swap(FAlias, *content.Alias);
    if (content.Conditions)
        std::swap(FConditions, *content.Conditions);
    std::swap(FSelect, content.Select);
    std::swap(FSortType, content.SortType);
    std::swap(FOrderByName, content.OrderByName);
    std::swap(FGroupByType, content.GroupByType);
}

void TnvSelectItem::RefuseUnparsable(TContent &candidate, const std::function<void()> &settle)
{
    if (!FSelectList || !SyntaxProvider())
        return;
    std::exception_ptr failure;
    {
        Exchange(candidate);
        TnvScopeExit back([&] { Exchange(candidate); });
        if (settle)
            settle();
        try {
            CheckParses();
        } catch (const EnvSQLError &) {
            failure = std::current_exception();
        }
    }
    if (!failure)
        return;
    try {
        CheckParses();
    } catch (const EnvSQLError &) {
        return;
    }
    std::rethrow_exception(failure);
}

void TnvSelectItem::CheckParses()
{
    // The expression and the criteria on their own: a row that no clause
    // prints yet may be output, sorted, grouped or filtered by later, and
    // must print as one value or one condition then. The criteria of the
    // rows are joined by AND and OR in brackets where needed, so each
    // parsing on its own is each parsing in WHERE or HAVING.
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (const TSQLExpressionItem *expression = ExpressionItem()) {
        const QString text = TextOf(expression);
        if (expression->IsLogical())
            provider->ParseLogicalExpressionOrRaise(text, true);
        else
            provider->ParseExpression(text);
        for (const TOwned<TSQLExpressionItem> &condition : FConditions) {
            if (!condition)
                continue;
            // As the clause is built: "= True" on a condition is the
            // condition itself.
            TOwned<TSQLExpressionItem> whole = condition->Clone();
            whole->RestoreLExpression(expression);
            whole = TransformExpression(std::move(whole));
            provider->ParseLogicalExpressionOrRaise(TextOf(whole.get()), true);
        }
    }
    // The row's own items of the select list, GROUP BY and ORDER BY, in a
    // statement of their own.
    auto block = Create<TSQLSubQuerySelectExpression>(provider);
    auto items = Create<TSQLSelectItems>(provider);
    if (TOwned<TastNodeBase> item = FSelect ? CreateResultAST() : nullptr) {
        items->Add(std::move(item));
    } else {
        auto one = Create<TSQLExpressionConstant>(provider);
        one->AddNumber(QStringLiteral("1"));
        auto constant = Create<TSQLSelectItemExpression>(provider);
        constant->Expression.reset(std::move(one));
        items->Add(std::move(constant));
    }
    block->SelectItems.reset(std::move(items));
    if (const TSQLExpressionItem *expression = ExpressionItem(); expression && FGroupByType == gtGroupBy) {
        auto groupBy = Create<TSQLGroupByList>(provider);
        groupBy->Add(expression->Clone());
        block->GroupByClause.reset(std::move(groupBy));
    }
    if (TOwned<TSQLOrderByItem> order = GetOrderByItem()) {
        auto orderBy = Create<TSQLOrderByClause>(provider);
        orderBy->Add(std::move(order));
        block->OrderByClause.reset(std::move(orderBy));
    }
    provider->ParseSelect(TextOf(block.get()));
}

bool TnvSelectItem::DropUnsupported()
{
    if (!IsSupportsAlias())
        FAlias.reset();
    if (!IsCanSelect())
        FSelect = false;
    if (FSortType == stNone || IsCanSort())
        return false;
    FSortType = stNone;
    FOrderByName = obnExpression;
    return true;
}

// ---------------------------------------------------------------------------
// Questions

bool TnvSelectItem::IsCanSelect() const
{
    if (!FExpression)
        return false;
    if (IsAllColumnsItem())
        return true;
    const TSQLExpressionItem *expression = ExpressionItem();
    if (!expression)
        return false;
    if (const TnvBaseSyntaxProvider *provider = SyntaxProvider(); provider && provider->IsUniversalExpressions())
        return true;
    return !expression->IsLogical();
}

bool TnvSelectItem::IsCanSort() const { return !IsAllColumnsItem() && IsCanSelect(); }

bool TnvSelectItem::IsSupportsAlias() const { return IsCanSort(); }

bool TnvSelectItem::IsEqualExpression(const TSQLExpressionItem *expression) const
{
    const TSQLExpressionItem *own = ExpressionItem();
    return expression && own && TextOf(own) == TextOf(expression);
}

bool TnvSelectItem::IsExpressionOnly()
{
    ShrinkConditionsList();
    return FConditions.empty();
}

// ---------------------------------------------------------------------------
// Output and sort

void TnvSelectItem::SetSelect(bool value)
{
    if (value == FSelect)
        return;
    if (value && !IsCanSelect())
        throw Exception(nvQBMessage(nvQBCantSelectExpression));
    FSelect = value;
    NotifySQLUpdated();
}

QString TnvSelectItem::SortTypeToString(TnvQueryBuilderItemSortType value)
{
    switch (value) {
    case stAsc:
        return nvQBMessage(nvQBSortTypeAscending);
    case stDesc:
        return nvQBMessage(nvQBSortTypeDescending);
    default:
        return QString();
    }
}

void TnvSelectItem::SetSortType(TnvQueryBuilderItemSortType value)
{
    if (value == FSortType)
        return;
    // Only a row that can be sorted joins the ORDER BY.
    if (value != stNone && !IsCanSort())
        return;
    auto bracket = UpdateBracket(this);
    FSortType = value;
    if (value == stNone)
        FOrderByName = obnExpression;
    if (FSelectList) {
        if (value == stNone)
            FSelectList->RemoveFromSortOrder(this);
        else
            FSelectList->AddToSortOrder(this);
    }
    NotifySQLUpdated();
}

void TnvSelectItem::SetSortTypeName(const QString &text)
{
    if (IsFilling())
        return;
    const QString trimmed = Trim(text);
    if (trimmed.isEmpty()) {
        SetSortType(stNone);
        return;
    }
    for (TnvQueryBuilderItemSortType value : {stNone, stAsc, stDesc}) {
        if (SortTypeToString(value).left(trimmed.size()).compare(trimmed, Qt::CaseInsensitive) == 0) {
            SetSortType(value);
            return;
        }
    }
}

int TnvSelectItem::GetSortOrder() const { return FSelectList ? int(FSelectList->SortOrderIndexOf(this)) : -1; }

void TnvSelectItem::SetSortOrder(int position)
{
    if (FSortType == stNone || !FSelectList || position == GetSortOrder())
        return;
    auto bracket = UpdateBracket(this);
    FSelectList->MoveInSortOrder(this, position);
    NotifySQLUpdated();
}

QString TnvSelectItem::GetSortOrderName() const
{
    const int position = GetSortOrder();
    return position < 0 ? QString() : QString::number(position + 1);
}

void TnvSelectItem::SetSortOrderName(const QString &text)
{
    if (IsFilling())
        return;
    const QString trimmed = Trim(text);
    if (trimmed.isEmpty()) {
        SetSortType(stNone);
        return;
    }
    auto bracket = UpdateBracket(this);
    if (FSortType == stNone)
        SetSortType(stAsc);
    if (FSortType == stNone || !FSelectList)
        return;
    bool ok = false;
    const qlonglong n = trimmed.toLongLong(&ok);
    if (!ok || n == GetSortOrder() + 1)
        return;
    const qlonglong count = FSelectList->SortOrderCount();
    SetSortOrder(int(std::max<qlonglong>(std::min(n, count), 1) - 1));
}

// ---------------------------------------------------------------------------
// Criteria

TSQLExpressionItem *TnvSelectItem::GetASTCondition(int index) const
{
    return index >= 0 && index < ConditionsCount() ? FConditions[size_t(index)].get() : nullptr;
}

void TnvSelectItem::SetASTCondition(int index, TOwned<TSQLExpressionItem> condition)
{
    if (index < 0)
        return;
    if (condition) {
        if (index >= ConditionsCount())
            FConditions.resize(size_t(index) + 1);
        FConditions[size_t(index)] = std::move(condition);
    } else {
        if (index >= ConditionsCount())
            return;
        FConditions[size_t(index)].reset();
        ShrinkConditionsList();
    }
    NotifySQLUpdated();
}

void TnvSelectItem::AddCondition(int index, TOwned<TSQLExpressionItem> condition)
{
    if (!condition || index < 0)
        return;
    if (const TSQLExpressionItem *expression = ExpressionItem())
        condition->RemoveLExpression(expression);
    if (index >= ConditionsCount())
        FConditions.resize(size_t(index) + 1);
    TSQLExpressionItem *added = condition.get();
    TOwned<TSQLExpressionItem> &cell = FConditions[size_t(index)];
    if (!cell) {
        cell = std::move(condition);
    } else if (auto *conjunction = As<TSQLExpressionAnd>(cell.get())) {
        conjunction->Add(BracketIfOr(std::move(condition)));
    } else {
        // An OR held by the cell stays one operand of the new AND, in
        // brackets, so AND still binds both to the whole of it.
        auto both = Create<TSQLExpressionAnd>(SyntaxProvider());
        both->Add(BracketIfOr(std::move(cell)));
        both->Add(BracketIfOr(std::move(condition)));
        cell = std::move(both);
    }
    LoadSubQueries(added);
    NotifySQLUpdated();
}

void TnvSelectItem::ShrinkConditionsList()
{
    while (!FConditions.empty() && !FConditions.back())
        FConditions.pop_back();
}

QString TnvSelectItem::GetCondition(int index) const
{
    const TSQLExpressionItem *condition = GetASTCondition(index);
    // A criterion without its left operand prints a blank where the operand
    // would stand.
    return condition ? Trim(TextOf(condition)) : QString();
}

void TnvSelectItem::SetCondition(int index, const QString &text)
{
    if (IsFilling() || index < 0)
        return;
    // Criteria test an expression item; * and t.* and the empty row have none.
    const TSQLExpressionItem *expression = ExpressionItem();
    if (!expression)
        return;
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    const QString trimmed = Trim(text);
    auto bracket = UpdateBracket(this);
    if (trimmed.isEmpty()) {
        SetASTCondition(index, nullptr);
        return;
    }
    TOwned<TSQLExpressionItem> condition;
    bool isInteger = false;
    trimmed.toLongLong(&isInteger);
    if (isInteger) {
        auto number = Create<TSQLExpressionConstant>(provider);
        number->AddNumber(trimmed);
        condition = EqualsCriterion(provider, std::move(number));
    } else if (provider->IsValidIdent(trimmed)) {
        if (TOwned<TSQLExpressionItem> column = FindFieldColumn(trimmed))
            condition = EqualsCriterion(provider, std::move(column));
    }
    if (!condition)
        if (TOwned<TSQLExpressionItem> parsed = provider->ParseLogicalExpression(trimmed, false))
            condition = SimplifyLogicalExpression(std::move(parsed));
    if (!condition) {
        // A text that starts with a comparison is a criterion that did not
        // parse, not a value to compare with: it is refused with the
        // parser's message rather than turned into a string.
        if (StartsWithComparison(provider, trimmed))
            provider->ParseLogicalExpressionOrRaise(trimmed, false);
        if (trimmed.contains(u'%')) {
            auto like = Create<TSQLExpressionLikeTemplate>(provider);
            like->Keyword = QStringLiteral("Like");
            like->Pattern.reset(StringConstant(provider, trimmed));
            condition = std::move(like);
        } else {
            condition = EqualsCriterion(provider, StringConstant(provider, trimmed));
        }
    }
    FixupExpression(condition.get());
    condition->RemoveLExpression(expression);

    // A criterion that makes the statement unparsable is refused before the
    // cell changes, as "= 3" on a row that is a comparison itself.
    TContent candidate = CurrentFlags();
    std::vector<TOwned<TSQLExpressionItem>> &cells = candidate.Conditions.emplace();
    for (const TOwned<TSQLExpressionItem> &cell : FConditions)
        cells.push_back(cell ? cell->Clone() : nullptr);
    if (index >= int(cells.size()))
        cells.resize(size_t(index) + 1);
    cells[size_t(index)] = std::move(condition);
    if (candidate.GroupByType == gtExpression)
        candidate.GroupByType = gtWhere;
    RefuseUnparsable(candidate);
    condition = std::move((*candidate.Conditions)[size_t(index)]);

    TSQLExpressionItem *stored = condition.get();
    SetASTCondition(index, std::move(condition));
    LoadSubQueries(stored);
    if (FGroupByType == gtExpression)
        FGroupByType = gtWhere;
    NotifySQLUpdated();
}

// ---------------------------------------------------------------------------
// Result

TOwned<TastNodeBase> TnvSelectItem::CreateResultAST()
{
    if (!FExpression)
        return nullptr;
    if (IsAllColumnsItem())
        return FExpression->Clone();
    auto item = Create<TSQLSelectItemExpression>(SyntaxProvider());
    item->Expression.reset(CloneAs(ExpressionItem()));
    item->Alias.reset(CloneAs(FAlias.get()));
    return item;
}

TOwned<TSQLOrderByItem> TnvSelectItem::GetOrderByItem() const
{
    const TSQLExpressionItem *expression = ExpressionItem();
    if (!expression || FSortType == stNone)
        return nullptr;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    TOwned<TSQLExpressionItem> key;
    if (FOrderByName == obnAlias && FSelect && FAlias && FAlias->Identifier) {
        auto name = Create<TSQLObjectColumn>(provider);
        name->AddName(CloneAs<TastToken>(FAlias->Identifier.get()));
        auto column = Create<TSQLExpressionColumn>(provider);
        column->Column.reset(std::move(name));
        key = std::move(column);
    }
    // A bare number in ORDER BY is read as a position, so an output row
    // whose expression is one is sorted by its position as well.
    qsizetype number = 0;
    const bool isNumber = IsUnsignedInteger(expression, &number);
    const qsizetype position = FSelect && FSelectList ? FSelectList->OutputPosition(this) : 0;
    if (!key && (FOrderByName == obnPosition || isNumber) && position > 0) {
        auto constant = Create<TSQLExpressionConstant>(provider);
        constant->AddNumber(QString::number(position));
        key = std::move(constant);
    }
    if (!key && isNumber) {
        // A position that names no output row stays as it was written. Any
        // other number would name a column, and sorting by a constant
        // changes no order: it is left out.
        if (FOrderByName != obnPosition || !FSelectList || FSelectList->OutputRow(number))
            return nullptr;
    }
    if (!key)
        key = expression->Clone();
    auto item = Create<TSQLOrderByItem>(provider);
    item->Expression.reset(std::move(key));
    item->SortOrder = FSortType == stDesc ? obDesc : obAsc;
    return item;
}

bool TnvSelectItem::IsUnsignedInteger(const TSQLExpressionItem *expression, qsizetype *value)
{
    const auto *constant =
        As<TSQLExpressionConstant>(ExpressionRemoveBrackets(const_cast<TSQLExpressionItem *>(expression)));
    if (!constant || constant->GetCount() != 1)
        return false;
    const auto *number = As<TastTokenNumber>(constant->GetItems(0));
    if (!number || number->Text().isEmpty())
        return false;
    for (const QChar c : number->Text())
        if (c < u'0' || c > u'9')
            return false;
    if (value) {
        bool ok = false;
        *value = number->Text().toLongLong(&ok);
        if (!ok)
            *value = 0;
    }
    return true;
}

void TnvSelectItem::GetASTChildren(TastNodeRefList &list)
{
    TnvQueryBuilderControlOwner::GetASTChildren(list);
    if (FExpression)
        list.append(FExpression.get());
    if (FAlias)
        list.append(FAlias.get());
    for (const TOwned<TSQLExpressionItem> &condition : FConditions)
        if (condition)
            list.append(condition.get());
}

void TnvSelectItem::Clear()
{
    auto bracket = UpdateBracket(this);
    FExpression.reset();
    FAlias.reset();
    FConditions.clear();
    FGroupByType = gtExpression;
    if (FSortType != stNone && FSelectList)
        FSelectList->RemoveFromSortOrder(this);
    FSortType = stNone;
    FOrderByName = obnExpression;
    // The empty row is never output.
    FSelect = false;
    NotifySQLUpdated();
}

void TnvSelectItem::CheckItemProperties()
{
    auto bracket = UpdateBracket(this);
    if (DropUnsupported() && FSelectList)
        FSelectList->RemoveFromSortOrder(this);
    if (!ExpressionItem())
        FConditions.clear();
    NotifySQLUpdated();
}

// ---------------------------------------------------------------------------
// Data sources

void TnvSelectItem::SetFieldExpression(TSQLFromSource *datasource, const TSQLQualifiedName *fieldName)
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    TOwned<TSQLSelectItem> item;
    if (fieldName) {
        auto column = Create<TSQLObjectColumn>(provider);
        column->AddName(fieldName);
        column->SetDatasource(datasource);
        auto expression = Create<TSQLExpressionColumn>(provider);
        expression->Column.reset(std::move(column));
        auto withExpression = Create<TSQLSelectItemExpression>(provider);
        withExpression->Expression.reset(std::move(expression));
        item = std::move(withExpression);
    } else {
        // t.*, named as the source is named where it is not bound.
        auto table = Create<TSQLDatabaseObject>(provider);
        if (datasource && datasource->Alias && datasource->Alias->Identifier)
            table->AddName(CloneAs<TastToken>(datasource->Alias->Identifier.get()));
        else if (const auto *object = As<TSQLFromObject>(datasource); object && object->ObjectName)
            table->AddName(object->ObjectName.get());
        table->SetDatasource(datasource);
        auto all = Create<TSQLSelectItemAllTableColumns>(provider);
        all->TableName.reset(std::move(table));
        item = std::move(all);
    }
    LoadFromAST(item.get());
}

bool TnvSelectItem::NotifyFromSourceDestroying(TSQLFromSource *source)
{
    if (!source)
        return false;
    if (DatasourceNode() == source)
        return true;
    // A sub-query that names the source (IN, EXISTS, a comparison with its
    // value) means something else without it: what holds it goes whole.
    if (FExpression && UsesFromSource(FExpression.get(), source))
        return true;
    auto bracket = UpdateBracket(this);
    for (int i = 0; i < ConditionsCount(); ++i) {
        TOwned<TSQLExpressionItem> &cell = FConditions[size_t(i)];
        if (!cell || !UsesFromSource(cell.get(), source))
            continue;
        // Of an AND only the terms that use the source go: the others (a
        // criterion typed beside it, or an ON condition handed on to WHERE)
        // still filter the rows.
        if (auto *conjunction = As<TSQLExpressionAnd>(cell.get())) {
            for (qsizetype k = conjunction->GetCount() - 1; k >= 0; --k)
                if (UsesFromSource(conjunction->GetItems(k), source))
                    conjunction->Extract(k);
            if (conjunction->GetCount() > 0) {
                // An AND of one term prints as the term, and loads so.
                if (conjunction->GetCount() == 1)
                    cell.reset(static_cast<TSQLExpressionItem *>(conjunction->Extract(qsizetype(0)).release()));
                NotifySQLUpdated();
                continue;
            }
        }
        SetASTCondition(i, nullptr);
    }
    return false;
}

bool TnvSelectItem::NotifyDatasourceDestroyingInternal(TnvDatasourceBase *datasource)
{
    return NotifyFromSourceDestroying(GetDatasourceSyntaxNode(datasource));
}

// ---------------------------------------------------------------------------
// Menu

qsizetype TnvSelectItem::IndexInList() const { return FSelectList ? FSelectList->IndexOf(this) : -1; }

bool TnvSelectItem::HasExpressionRowAfter() const
{
    const qsizetype index = IndexInList();
    if (index < 0)
        return false;
    for (qsizetype i = index + 1; i < FSelectList->Count(); ++i)
        if (!FSelectList->Items(i)->IsEmpty())
            return true;
    return false;
}

TnvMenuItemData *TnvSelectItem::GetPopupMenu()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb || !FSelectList)
        return nullptr;
    const qsizetype index = IndexInList();
    const qsizetype last = FSelectList->Count() - 1;
    const bool beforeLast = index >= 0 && index < last;
    // The empty last row stays last: it neither moves up nor lets a row
    // move below it.
    const bool canMoveUp = index > 0 && !(index == last && IsEmpty());
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBMoveUp), 0, canMoveUp, false, false,
                         TNotifyEvent::Bind<&TnvSelectItem::MoveUpEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBMoveDown), 0, HasExpressionRowAfter(), false, false,
                         TNotifyEvent::Bind<&TnvSelectItem::MoveDownEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, QStringLiteral("-"), 0, true, false, false, nullptr, nullptr);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBRemoveItem), 0, beforeLast, false, false,
                         TNotifyEvent::Bind<&TnvSelectItem::RemoveEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBInsertEmtyItem), 0, beforeLast, false, false,
                         TNotifyEvent::Bind<&TnvSelectItem::InsertEmptyEvent>(this), this);
    qb->PopupMenuCompleted();
    return qb->PopupMenu();
}

void TnvSelectItem::MoveUpEvent(TObject *)
{
    const qsizetype index = IndexInList();
    if (index <= 0 || (index == FSelectList->Count() - 1 && IsEmpty()))
        return;
    InvSelectListControl *grid = FSelectList->GetISelectListControl();
    const bool follow = grid && grid->GetCurrentRow() == index;
    FSelectList->Move(index, index - 1);
    if (follow)
        grid->SetCurrentRow(int(index - 1));
}

void TnvSelectItem::MoveDownEvent(TObject *)
{
    if (!HasExpressionRowAfter())
        return;
    const qsizetype index = IndexInList();
    InvSelectListControl *grid = FSelectList->GetISelectListControl();
    const bool follow = grid && grid->GetCurrentRow() == index;
    FSelectList->Move(index, index + 1);
    if (follow)
        grid->SetCurrentRow(int(index + 1));
}

void TnvSelectItem::InsertEmptyEvent(TObject *)
{
    const qsizetype index = IndexInList();
    if (index >= 0)
        FSelectList->InsertEmptyRow(index);
}

} // namespace nvqb
