// Binding a tree to its scopes and to the metadata, and the statistics of what
// it depends on: the PrepareAndFixup, RestoreColumnPrefix and CalcStatistics
// steps of names, columns, select blocks, WITH items and parameters.
#include "sqlmodel/sql/QueryBinding.h"
#include "sqlmodel/sql/BindingSources.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/NameFoldKeys.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/QueryStatistics.h"
#include "sqlmodel/sql/SQLStatements.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

void CollectChainSources(const TSQLFromItem *chain, QList<TSQLFromSource *> &sources)
{
    if (!chain)
        return;
    for (qsizetype i = 0; i < chain->GetCount(); ++i) {
        TSQLFromSource *source = chain->GetItems(i);
        if (const auto *nested = As<TSQLFromItem>(source))
            CollectChainSources(nested, sources);
        else if (source)
            sources.append(source);
    }
}

namespace {

// The field of the source's fields list that the column names; nil when the
// source lists none.
TnvMetadataField *FieldOfColumn(const TSQLFromSource *source, const TSQLObjectColumn *column)
{
    TnvBaseSyntaxProvider *provider = column->SyntaxProvider();
    const TnvMetadataFieldsList *fields = source ? source->FieldsList() : nullptr;
    if (!provider || !fields)
        return nullptr;
    const qsizetype index = provider->FindFieldInFieldsList(column, fields);
    return index >= 0 && index < fields->Count() ? fields->Items(index) : nullptr;
}

TSQLObjectColumn *ColumnOf(TSQLExpressionItem *expression)
{
    auto *column = As<TSQLExpressionColumn>(ExpressionRemoveBrackets(expression));
    return column ? column->Column.get() : nullptr;
}

TSQLExpressionParameter *ParameterOf(TSQLExpressionItem *expression)
{
    return As<TSQLExpressionParameter>(ExpressionRemoveBrackets(expression));
}

int AddLineage(TastNodeBase *node, const TnvMetadataField *field)
{
    if (!field || !node->StatsObjects() || !node->StatsColumns())
        return 0;
    return node->StatsObjects()->AddObjects(field->StatsObjects()) +
           node->StatsColumns()->AddColumns(field->StatsColumns());
}

int AddLineage(TnvMetadataField *field, const TastNodeBase *node)
{
    if (!field || !node->StatsObjects() || !node->StatsColumns())
        return 0;
    return field->StatsObjects()->AddObjects(node->StatsObjects()) +
           field->StatsColumns()->AddColumns(node->StatsColumns());
}

TnvMetadataField *AddFieldCopy(TnvMetadataFieldsList *list, const TnvMetadataField *source)
{
    TnvMetadataField *field = list->Add();
    field->Assign(source);
    return field;
}

} // namespace

// ---------------------------------------------------------------------------
// Names and columns

void TSQLDatabaseObject::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &fromSources, TnvMetadataContainer *)
{
    FDatasource.reset();
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!provider || GetCount() == 0)
        return;
    const auto *identifier = GetCount() == 1 ? As<TastTokenIdentifier>(GetItems(0)) : nullptr;
    // The innermost source wins, as for columns: an inner a.* must not take
    // an outer source that is also called a.
    for (qsizetype i = fromSources.size() - 1; i >= 0; --i) {
        auto *source = As<TSQLFromSource>(fromSources[i]);
        if (!source)
            continue;
        bool matches = identifier && source->Alias && source->Alias->Identifier &&
                       provider->CompareIdentifiers(identifier, source->Alias->Identifier.get()) == 0;
        if (!matches) {
            // An alias hides the object's own name: a.* in "From a Join a x1"
            // names the first source, never the copy called x1.
            const auto *object = As<TSQLFromObject>(source);
            matches = object && !object->Alias && object->ObjectName &&
                      provider->IsQualifiedNamesEqual(this, object->ObjectName.get());
        }
        if (matches) {
            FDatasource.reset(source);
            return;
        }
    }
}

int TSQLDatabaseObject::CalcStatistics()
{
    int added = TSQLQualifiedName::CalcStatistics();
    TnvStatsObjects *objects = StatsObjects();
    const TSQLFromSource *source = Datasource();
    if (!objects || !source)
        return added;
    if (const auto *object = As<TSQLFromObject>(source)) {
        if (const TSQLWithClauseItem *item = object->WithItem())
            added += objects->AddObjects(item->StatsObjects());
        else if (TnvMetadataObject *metadata = object->MetadataObject(); metadata && !IsQualifiedNameEmpty(metadata->FullName()))
            added += objects->AddObjectIfNotExists(metadata, metadata->FullName());
        else if (!IsQualifiedNameEmpty(object->ObjectName.get()))
            added += objects->AddObjectIfNotExists(nullptr, object->ObjectName.get());
    } else if (const auto *function = As<TSQLFromFunction>(source)) {
        if (function->Function && !IsQualifiedNameEmpty(function->Function->FunctionName.get()))
            added += objects->AddObjectIfNotExists(nullptr, function->Function->FunctionName.get());
    }
    return added;
}

void TSQLObjectColumn::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &fromSources, TnvMetadataContainer *)
{
    // A second binding starts from the name as written, so it finds what the
    // first one found, and nothing of an earlier binding outlives a miss.
    if (FRemovedPrefix) {
        AddPrefix(FRemovedPrefix.get());
        FRemovedPrefix.reset();
    }
    SetDatasource(nullptr);
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    const qsizetype count = GetCount();
    if (!provider || count == 0)
        return;
    const auto *leftmost = As<TastTokenIdentifier>(GetItems(count - 1));
    // Whether the source at I takes the column, and how many leftmost parts
    // that strips: by its alias, by its object name, or by a field it offers.
    qsizetype strip = -1;
    auto takes = [&](qsizetype i) {
        strip = -1;
        auto *source = As<TSQLFromSource>(fromSources[i]);
        if (!source)
            return false;
        if (count >= 2 && leftmost && source->Alias && source->Alias->Identifier &&
            provider->CompareIdentifiers(leftmost, source->Alias->Identifier.get()) == 0) {
            strip = 1;
        } else if (const auto *object = As<TSQLFromObject>(source);
                   count >= 2 && object && !object->Alias && !IsQualifiedNameEmpty(object->ObjectName.get()) &&
                   object->ObjectName->GetCount() < count &&
                   provider->IsColumnOfDBObject(this, object->ObjectName.get())) {
            strip = object->ObjectName->GetCount();
        } else if (FieldOfColumn(source, this)) {
            strip = 0;
        }
        return strip >= 0;
    };
    // The last source that takes the column wins: the index names the few
    // that may; without one (outside a walk, or a name without key) every
    // source is asked.
    qsizetype taker = -1;
    size_t leftmostKey = 0, nameKey = 0;
    TSQLBindingSources *index = TSQLBindingSources::For(fromSources);
    if (index && NameFoldKey(this, nameKey) && (count < 2 || TextFoldKey(GetItems(count - 1)->Text(), leftmostKey))) {
        taker = index->LastTaking(count >= 2 ? &leftmostKey : nullptr, nameKey, takes);
    } else {
        for (qsizetype i = fromSources.size() - 1; i >= 0 && taker < 0; --i)
            if (takes(i))
                taker = i;
    }
    if (taker >= 0) {
        auto *source = static_cast<TSQLFromSource *>(fromSources[taker]);
        if (strip > 0) {
            FRemovedPrefix = Create<TSQLQualifiedName>(provider);
            // Leftmost first, each new part in front: the prefix reads as written.
            for (qsizetype k = 0; k < strip; ++k)
                FRemovedPrefix->AddName(ExtractPrefix());
        }
        SetDatasource(source);
    }
}

void TSQLObjectColumn::RestoreColumnPrefix()
{
    const TSQLFromSource *source = Datasource();
    if (!source)
        return;
    if (source->Alias && source->Alias->Identifier) {
        AddPrefix(CloneAs<TastToken>(source->Alias->Identifier.get()));
    } else if (const auto *object = As<TSQLFromObject>(source); object && !IsQualifiedNameEmpty(object->ObjectName.get())) {
        AddPrefix(object->ObjectName.get());
    } else {
        // A source without alias or object name has no prefix to give.
        return;
    }
    // The prefix now stands in the name itself; printed while still bound the
    // column would write it a second time.
    FRemovedPrefix.reset();
    SetDatasource(nullptr);
}

int TSQLObjectColumn::CalcStatistics()
{
    int added = TSQLQualifiedName::CalcStatistics();
    return added + AddLineage(this, FieldOfColumn(Datasource(), this));
}

// ---------------------------------------------------------------------------
// Select blocks

bool TSQLSubQuerySelectExpression::EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                                TnvMetadataContainer *container)
{
    TastScopeCut visibleSources(fromSources);
    if (FromClause)
        FromClause->PrepareAndFixupRecursive(withItems, fromSources, container);
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        if (child != FromClause.get())
            child->PrepareAndFixupRecursive(withItems, fromSources, container);
    PrepareAndFixup(withItems, fromSources, container);
    return true;
}

void TSQLSubQuerySelectExpression::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *)
{
    FResultFields.Clear();
    TnvMetadataFieldsList *result = ResultFields();
    if (!result || !SelectItems)
        return;
    QList<TSQLFromSource *> sources;
    CollectChainSources(FromClause.get(), sources);
    for (qsizetype i = 0; i < SelectItems->GetCount(); ++i) {
        TSQLSelectItem *item = SelectItems->GetItems(i);
        if (auto *expression = As<TSQLSelectItemExpression>(item)) {
            const TastTokenIdentifier *alias = expression->Alias ? expression->Alias->Identifier.get() : nullptr;
            TnvMetadataField *field = nullptr;
            if (TSQLObjectColumn *column = ColumnOf(expression->Expression.get())) {
                if (const TnvMetadataField *found = FieldOfColumn(column->Datasource(), column)) {
                    field = AddFieldCopy(result, found);
                } else {
                    // Named as the outer query refers to it: by the column's own part.
                    field = result->Add();
                    field->SetNameToken(column->GetCount() > 0 ? column->GetItems(0) : nullptr);
                    field->SetFieldType(ftUnknown);
                }
            } else if (alias) {
                field = result->Add();
            }
            if (field && alias)
                field->SetNameToken(alias);
        } else if (auto *tableColumns = As<TSQLSelectItemAllTableColumns>(item)) {
            const TSQLFromSource *source = tableColumns->TableName ? tableColumns->TableName->Datasource() : nullptr;
            if (FromClause && source && source->FieldsList())
                for (qsizetype k = 0; k < source->FieldsList()->Count(); ++k)
                    AddFieldCopy(result, source->FieldsList()->Items(k));
        } else if (As<TSQLSelectItemAllColumns>(item) && FromClause) {
            for (const TSQLFromSource *source : sources)
                if (source->FieldsList())
                    for (qsizetype k = 0; k < source->FieldsList()->Count(); ++k)
                        AddFieldCopy(result, source->FieldsList()->Items(k));
        }
    }
}

int TSQLSubQuerySelectExpression::CalcStatistics()
{
    int added = 0;
    TnvMetadataFieldsList *result = ResultFields();
    if (result && SelectItems) {
        QList<TSQLFromSource *> sources;
        CollectChainSources(FromClause.get(), sources);
        qsizetype index = 0;
        // The same order in which binding made the result fields.
        auto next = [&]() -> TnvMetadataField * { return index < result->Count() ? result->Items(index++) : nullptr; };
        auto addSourceFields = [&](TSQLSelectItem *item, const TSQLFromSource *source) {
            if (!source->FieldsList())
                return;
            for (qsizetype k = 0; k < source->FieldsList()->Count(); ++k) {
                const TnvMetadataField *sourceField = source->FieldsList()->Items(k);
                if (TnvMetadataField *field = next()) {
                    added += field->StatsObjects()->AddObjects(sourceField->StatsObjects());
                    added += field->StatsColumns()->AddColumns(sourceField->StatsColumns());
                }
                added += AddLineage(item, sourceField);
            }
        };
        for (qsizetype i = 0; i < SelectItems->GetCount(); ++i) {
            TSQLSelectItem *item = SelectItems->GetItems(i);
            if (auto *expression = As<TSQLSelectItemExpression>(item)) {
                if (ColumnOf(expression->Expression.get()) || expression->Alias)
                    added += AddLineage(next(), expression);
            } else if (auto *tableColumns = As<TSQLSelectItemAllTableColumns>(item)) {
                const TSQLFromSource *source = tableColumns->TableName ? tableColumns->TableName->Datasource() : nullptr;
                if (FromClause && source)
                    addSourceFields(item, source);
            } else if (As<TSQLSelectItemAllColumns>(item) && FromClause) {
                for (const TSQLFromSource *source : sources)
                    addSourceFields(item, source);
            }
        }
    }
    return added + TSQLSubQueryExpression::CalcStatistics();
}

// ---------------------------------------------------------------------------
// WITH

bool TSQLWithClause::EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                  TnvMetadataContainer *container)
{
    for (qsizetype i = 0; i < GetCount(); ++i) {
        if (TSQLWithClauseItem *item = GetItems(i)) {
            item->PrepareAndFixupRecursive(withItems, fromSources, container);
            withItems.append(item);
        }
    }
    // The clause's own children besides its items.
    TastNodesList children;
    TastNode::GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->PrepareAndFixupRecursive(withItems, fromSources, container);
    PrepareAndFixup(withItems, fromSources, container);
    return true;
}

void TSQLWithClauseItem::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *)
{
    const TSQLSubQuerySelectExpression *block = Query ? Query->FirstSelectBlock() : nullptr;
    FResultFields.AssignFrom(block ? block->ResultFields() : nullptr);
    TnvMetadataFieldsList *fields = ResultFields();
    if (!fields || !ColumnNames)
        return;
    for (qsizetype i = 0; i < ColumnNames->GetCount(); ++i) {
        TnvMetadataField *field = i < fields->Count() ? fields->Items(i) : fields->Add();
        field->SetNameToken(ColumnNames->GetItems(i));
    }
}

// ---------------------------------------------------------------------------
// Parameters

void TSQLExpressionParameter::LoadParameterProps(const QString &compareOperator, const TSQLObjectColumn *column)
{
    CompareOperator = compareOperator;
    // Nothing of an earlier binding stays behind.
    ObjectName.clear();
    FieldName.clear();
    DataType = 0;
    if (!column)
        return;
    const TSQLFromSource *source = column->Datasource();
    if (source) {
        if (source->Alias && source->Alias->Identifier)
            ObjectName = source->Alias->Identifier->GetIdToken();
        else if (const auto *object = As<TSQLFromObject>(source); object && object->ObjectName)
            ObjectName = object->ObjectName->GetQualifiedName();
        else if (const auto *function = As<TSQLFromFunction>(source);
                 function && function->Function && function->Function->FunctionName)
            ObjectName = function->Function->FunctionName->GetQualifiedName();
        if (const TnvMetadataField *field = FieldOfColumn(source, column)) {
            DataType = quint8(field->FieldType());
            FieldName = field->Name()->GetQualifiedName();
            return;
        }
    }
    if (column->GetCount() > 0)
        FieldName = column->GetItems(0)->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr);
}

void TSQLExpressionOperatorBinary::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *)
{
    if (!IsLogical())
        return;
    TSQLExpressionParameter *parameter = ParameterOf(Expression.get());
    TSQLObjectColumn *column = ColumnOf(Right.get());
    if (!parameter || !column) {
        parameter = ParameterOf(Right.get());
        column = ColumnOf(Expression.get());
    }
    // The operator as written, also with the parameter on the left.
    if (parameter && column)
        parameter->LoadParameterProps(OperatorText(), column);
}

void TSQLExpressionBetween::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *)
{
    const TSQLObjectColumn *column = ColumnOf(Expression.get());
    if (!column)
        return;
    if (TSQLExpressionParameter *low = ParameterOf(Low.get()))
        low->LoadParameterProps(Negated ? QStringLiteral("<") : QStringLiteral(">="), column);
    if (TSQLExpressionParameter *high = ParameterOf(High.get()))
        high->LoadParameterProps(Negated ? QStringLiteral(">") : QStringLiteral("<="), column);
}

void TSQLExpressionLikeTemplate::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *)
{
    const TSQLObjectColumn *column = ColumnOf(Expression.get());
    TSQLExpressionParameter *pattern = ParameterOf(Pattern.get());
    if (column && pattern)
        pattern->LoadParameterProps(Negated ? QStringLiteral("Not ") + Keyword : Keyword, column);
}

} // namespace nvqb
