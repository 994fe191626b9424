#include "sqlmodel/sql/SQLExpressions.h"
#include "classlib/Assert.h"
#include "sqlmodel/sql/SQLStatements.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TSQLExpressionItem, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionItemWithList, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionItemWithExpressionList, TSQLExpressionItemWithList)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionConstant, TSQLExpressionItemWithList)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionParameter, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionVariable, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionColumn, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionParameterlessFunction, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionFunction, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionSelect, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLCaseFunctionItem, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionCaseFunction, TSQLExpressionItemWithList)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionIfExpression, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionAggregate, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionAggregate1Param, TSQLExpressionAggregate)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionAggregate1ParamWPrefix, TSQLExpressionAggregate1Param)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionAggregateWParams, TSQLExpressionAggregate)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionExpressionItem, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionOperation, TSQLExpressionExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionLogicalOperation, TSQLExpressionOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionOperationExpression, TSQLExpressionOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionBrackets, TSQLExpressionExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionNot, TSQLExpressionExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionFieldSelection, TSQLExpressionExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionTypeCast, TSQLExpressionOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionCast, TSQLExpressionTypeCast)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionCastOperator, TSQLExpressionTypeCast)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionConvert, TSQLExpressionTypeCast)
NV_IMPLEMENT_AST_CLASS(TSQLOperator, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionOperator, TSQLExpressionOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionOperatorPrefix, TSQLExpressionOperator)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionOperatorPostfix, TSQLExpressionOperator)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionOperatorBinary, TSQLExpressionOperator)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionIs, TSQLExpressionLogicalOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionIsNull, TSQLExpressionIs)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionIsTrue, TSQLExpressionIs)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionIsFalse, TSQLExpressionIs)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionIsUnknown, TSQLExpressionIs)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionIsNullOp, TSQLExpressionOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionNotNull, TSQLExpressionOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionIn, TSQLExpressionLogicalOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionInSet, TSQLExpressionIn)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionInSubQuery, TSQLExpressionIn)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionBetween, TSQLExpressionOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionLikeTemplate, TSQLExpressionLogicalOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionOverlaps, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionSubQueryOperation, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionExists, TSQLExpressionSubQueryOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionSingular, TSQLExpressionSubQueryOperation)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionCompWithSet, TSQLExpressionOperator)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionCompWithSubQuery, TSQLExpressionCompWithSet)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionCompWithSetExpression, TSQLExpressionCompWithSet)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionCompWithSetSetOfExpressions, TSQLExpressionCompWithSet)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionLogicalCollection, TSQLExpressionItemWithExpressionList)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionAnd, TSQLExpressionLogicalCollection)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionOr, TSQLExpressionLogicalCollection)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionsList, TastNodeWithList)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionExpressionsList, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLExpressionNodesList, TSQLExpressionItem)
NV_IMPLEMENT_AST_CLASS(TSQLFunction, TastNodeWithList)
NV_IMPLEMENT_AST_CLASS(TSQLFunctionSubString, TSQLFunction)
NV_IMPLEMENT_AST_CLASS(TSQLFunctionKeyword, TSQLFunction)
NV_IMPLEMENT_AST_CLASS(TSQLFunctionTrim, TSQLFunction)
NV_IMPLEMENT_AST_CLASS(TSQLFunctionPosition, TSQLFunction)
NV_IMPLEMENT_AST_CLASS(TSQLFunctionExtract, TSQLFunction)
NV_IMPLEMENT_AST_CLASS(TSQLFunctionParamNamedExpression, TastNode)

namespace {

// "(" sub-query ")" with the format for sub-queries inside expressions.
void BuildBracketedSubQuery(const TSQLSubSelectStatement *query, TSQLBuilder *builder)
{
    builder->WriteSymbol(QStringLiteral("("));
    TastNodeBase::BuildASTField(query, builder, builder->ExpressionsSubQueryFormat(), false);
    builder->WriteSymbol(QStringLiteral(")"));
}

// A one-part name only quoted when needed; a longer one under the builder's
// quotation.
void BuildFunctionNameOf(const TSQLQualifiedName *name, TSQLBuilder *builder, TSQLBuilderSelectFormat *format)
{
    if (!name)
        return;
    if (name->GetCount() == 1)
        name->BuildQualifiedName(builder, format, icIfNeed);
    else
        name->BuildSQL(builder, format);
}
} // namespace

void BuildCommaSeparated(const TastNodeWithList *list, TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                         bool newLineAfterItem)
{
    if (!list)
        return;
    bool first = true;
    for (qsizetype i = 0; i < list->GetCount(); ++i) {
        const TastNode *item = As<TastNode>(list->GetItems(i));
        if (!item)
            continue;
        if (!first) {
            builder->WriteSymbol(QStringLiteral(","));
            builder->NewLineOrSpace(newLineAfterItem, 2);
        }
        TastNodeBase::BuildASTField(item, builder, format, false);
        first = false;
    }
}

// ---------------------------------------------------------------------------
// Base classes

bool TSQLExpressionItem::IsLogical() const { return false; }

void TSQLExpressionItem::BuildSQLCosmetic(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                          const TSQLBuilderConditionFormat *, int) const
{
    BuildSQL(builder, format);
}

void BuildCosmeticField(const TSQLExpressionItem *item, TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                        const TSQLBuilderConditionFormat *conditionFormat, int level)
{
    if (!item)
        return;
    Assert(!item->IsDestroying(), "nvAST", "Printing a node being destroyed");
    item->BuildSQLCosmetic(builder, format, conditionFormat, level);
}

void TSQLExpressionItemWithList::GetMyChildren(TastNodesList &list) const
{
    TSQLExpressionItem::GetMyChildren(list);
    FList.AppendTo(list);
}

void TSQLExpressionItemWithList::MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass)
{
    TSQLExpressionItem::MoveSubQueryInProxy(owner, proxyClass);
    FList.ReplaceByProxies(SyntaxProvider(), owner, proxyClass);
}

void TSQLExpressionItemWithList::AssignNode(const TastNodeBase &source)
{
    TSQLExpressionItem::AssignNode(source);
    if (const auto *other = As<TSQLExpressionItemWithList>(&source))
        FList.CloneFrom(other->FList);
}

void TSQLExpressionItemWithList::DestroyOwned()
{
    // Given up after the registered fields, the items are freed before them.
    TSQLExpressionItem::DestroyOwned();
    FList.Clear();
}

// ---------------------------------------------------------------------------
// Constants, parameters, variables, columns, functions

template <class T> T *TSQLExpressionConstant::Append(TOwned<T> token, bool addSpace, int spaceWeight)
{
    if (addSpace)
        Add(Create<TastNodeSpace>(SyntaxProvider(), spaceWeight));
    T *result = token.get();
    Add(std::move(token));
    return result;
}

TastTokenIdentifier *TSQLExpressionConstant::AddIdentifier(const QString &text, bool addSpace, int spaceWeight)
{
    return Append(Create<TastTokenIdentifier>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastTokenKeyword *TSQLExpressionConstant::AddKeyword(const QString &text, bool addSpace, int spaceWeight)
{
    return Append(Create<TastTokenKeyword>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastTokenNumber *TSQLExpressionConstant::AddNumber(const QString &text, bool addSpace, int spaceWeight)
{
    return Append(Create<TastTokenNumber>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastTokenString *TSQLExpressionConstant::AddString(const QString &text, bool addSpace, int spaceWeight)
{
    return Append(Create<TastTokenString>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastTokenSymbol *TSQLExpressionConstant::AddSymbol(const QString &text, bool addSpace, int spaceWeight)
{
    return Append(Create<TastTokenSymbol>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastNodeSpace *TSQLExpressionConstant::AddSpace(int weight)
{
    return Append(Create<TastNodeSpace>(SyntaxProvider(), weight), false, 0);
}

TastNodeBase *TSQLExpressionConstant::AddNode(TOwned<TastNodeBase> node, bool addSpace, int spaceWeight)
{
    return Append(std::move(node), addSpace, spaceWeight);
}

void TSQLExpressionConstant::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    for (qsizetype i = 0; i < GetCount(); ++i)
        BuildASTField(As<TastNode>(GetItems(i)), builder, format, false);
}

TSQLExpressionParameter::TSQLExpressionParameter(TnvBaseSyntaxProvider *provider, TOwned<TastNode> name)
    : TSQLExpressionItem(provider)
{
    Name.reset(std::move(name));
}

void TSQLExpressionParameter::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(Prefix, TSQLExpressionParameter::StaticClassType());
    list.Add(Name, TSQLExpressionParameter::StaticClassType());
}

void TSQLExpressionParameter::AssignNode(const TastNodeBase &source)
{
    TSQLExpressionItem::AssignNode(source);
    if (const auto *other = As<TSQLExpressionParameter>(&source)) {
        DataType = other->DataType;
        CompareOperator = other->CompareOperator;
        FieldName = other->FieldName;
        ObjectName = other->ObjectName;
    }
}

void TSQLExpressionParameter::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Prefix.get(), builder, format, false);
    BuildASTField(Name.get(), builder, format, false);
}

void TSQLExpressionVariable::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(Name, TSQLExpressionVariable::StaticClassType());
}

void TSQLExpressionVariable::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteSymbol(QStringLiteral("@@"));
    BuildASTField(Name.get(), builder, format, false);
}

void TSQLExpressionColumn::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(Column, TSQLExpressionColumn::StaticClassType());
}

void TSQLExpressionColumn::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Column.get(), builder, format, false);
}

void TSQLExpressionParameterlessFunction::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(FunctionName, TSQLExpressionParameterlessFunction::StaticClassType());
}

void TSQLExpressionParameterlessFunction::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(FunctionName.get(), builder, format, false);
}

void TSQLExpressionFunction::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(Function, TSQLExpressionFunction::StaticClassType());
}

void TSQLExpressionFunction::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Function.get(), builder, format, false);
}

void TSQLExpressionSelect::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(SubQuery, TSQLExpressionSelect::StaticClassType());
}

void TSQLExpressionSelect::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildBracketedSubQuery(SubQuery.get(), builder);
}

// ---------------------------------------------------------------------------
// CASE and IF

void TSQLCaseFunctionItem::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(When, TSQLCaseFunctionItem::StaticClassType());
    list.Add(Then, TSQLCaseFunctionItem::StaticClassType());
}

void TSQLCaseFunctionItem::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("When"));
    builder->Space(3);
    BuildASTField(When.get(), builder, format, false);
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Then"));
    builder->Space(3);
    BuildASTField(Then.get(), builder, format, false);
}

void TSQLExpressionCaseFunction::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItemWithList::GetASTFields(list);
    list.Add(CaseOperand, TSQLExpressionCaseFunction::StaticClassType());
    list.Add(ElseValue, TSQLExpressionCaseFunction::StaticClassType());
}

void TSQLExpressionCaseFunction::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Case"));
    builder->Space(3);
    builder->AddIndent(format ? format->IndentInPart() : 0);
    BuildASTField(CaseOperand.get(), builder, format, false);
    for (qsizetype i = 0; i < GetCount(); ++i) {
        const TastNode *item = As<TastNode>(TSQLExpressionItemWithList::GetItems(i));
        if (!item)
            continue;
        builder->Space(0);
        BuildASTField(item, builder, format, false);
        builder->GoodNewLinePos(0);
    }
    if (ElseValue) {
        builder->Space(0);
        builder->WriteKeyword(QStringLiteral("Else"));
        builder->Space(3);
        BuildASTField(ElseValue.get(), builder, format, false);
        builder->GoodNewLinePos(0);
    }
    builder->Space(0);
    builder->EndIndent();
    builder->WriteKeyword(QStringLiteral("End"));
}

void TSQLExpressionIfExpression::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(Condition, TSQLExpressionIfExpression::StaticClassType());
    list.Add(ThenValue, TSQLExpressionIfExpression::StaticClassType());
    list.Add(ElseValue, TSQLExpressionIfExpression::StaticClassType());
}

void TSQLExpressionIfExpression::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("If"));
    builder->Space(3);
    BuildASTField(Condition.get(), builder, format, true);
    builder->WriteKeyword(QStringLiteral("Then"));
    builder->Space(3);
    BuildASTField(ThenValue.get(), builder, format, true);
    if (ElseValue) {
        builder->WriteKeyword(QStringLiteral("Else"));
        builder->Space(3);
        BuildASTField(ElseValue.get(), builder, format, true);
    }
    builder->WriteKeyword(QStringLiteral("EndIf"));
}

// ---------------------------------------------------------------------------
// Aggregates

void TSQLExpressionAggregate::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(FunctionName, TSQLExpressionAggregate::StaticClassType());
}

void TSQLExpressionAggregate::BuildFunctionName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    const TSQLQualifiedName *name = FunctionName.get();
    if (!name)
        return;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!provider) {
        BuildFunctionNameOf(name, builder, format);
        return;
    }
    if (provider->IsNameOfPrefixedAggregate(name) || provider->IsNameOfAggregate(name) ||
        provider->IsNameOfStarAggregate(name)) {
        TOwned<TSQLQualifiedName> normalized = name->Clone();
        provider->AggregateNormalize(normalized.get());
        normalized->BuildQualifiedName(builder, format, icIfNeed);
    } else {
        name->BuildSQL(builder, format);
    }
}

void TSQLExpressionAggregate::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildFunctionName(builder, format);
    builder->WriteSymbol(QStringLiteral("(*)"));
}

void TSQLExpressionAggregate1Param::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionAggregate::GetASTFields(list);
    list.Add(Argument, TSQLExpressionAggregate1Param::StaticClassType());
}

void TSQLExpressionAggregate1Param::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildFunctionName(builder, format);
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Argument.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLExpressionAggregate1ParamWPrefix::AssignNode(const TastNodeBase &source)
{
    TSQLExpressionAggregate1Param::AssignNode(source);
    if (const auto *other = As<TSQLExpressionAggregate1ParamWPrefix>(&source))
        ParamPrefix = other->ParamPrefix;
}

void TSQLExpressionAggregate1ParamWPrefix::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildFunctionName(builder, format);
    builder->WriteSymbol(QStringLiteral("("));
    if (ParamPrefix == ppDistinct) {
        builder->WriteKeyword(QStringLiteral("Distinct"));
        builder->Space(3);
    } else if (ParamPrefix == ppUnique) {
        builder->WriteKeyword(QStringLiteral("Unique"));
        builder->Space(3);
    }
    BuildASTField(Argument.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLExpressionAggregateWParams::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionAggregate::GetASTFields(list);
    list.Add(Arguments, TSQLExpressionAggregateWParams::StaticClassType());
}

void TSQLExpressionAggregateWParams::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildFunctionName(builder, format);
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Arguments.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

// ---------------------------------------------------------------------------
// Operations

TSQLExpressionExpressionItem::TSQLExpressionExpressionItem(TnvBaseSyntaxProvider *provider,
                                                           TOwned<TSQLExpressionItem> operand)
    : TSQLExpressionItem(provider)
{
    Expression.reset(std::move(operand));
}

void TSQLExpressionExpressionItem::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(Expression, TSQLExpressionExpressionItem::StaticClassType());
}

void TSQLExpressionExpressionItem::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
}

bool TSQLExpressionLogicalOperation::IsLogical() const { return true; }

TSQLExpressionOperationExpression::TSQLExpressionOperationExpression(TnvBaseSyntaxProvider *provider,
                                                                     TOwned<TSQLExpressionItem> operand,
                                                                     TOwned<TSQLExpressionItem> second)
    : TSQLExpressionOperation(provider, std::move(operand))
{
    Expression2.reset(std::move(second));
}

void TSQLExpressionOperationExpression::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionOperation::GetASTFields(list);
    list.Add(Expression2, TSQLExpressionOperationExpression::StaticClassType());
}

void TSQLExpressionBrackets::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Expression.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLExpressionBrackets::BuildSQLCosmetic(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                              const TSQLBuilderConditionFormat *conditionFormat, int level) const
{
    builder->WriteSymbol(QStringLiteral("("));
    const int indent = conditionFormat ? conditionFormat->IndentNestedConditions() : 0;
    if (indent > 0)
        builder->AddIndent(indent);
    BuildCosmeticField(Expression.get(), builder, format, conditionFormat, level + 1);
    if (indent > 0)
        builder->EndIndent();
    builder->WriteSymbol(QStringLiteral(")"));
}

bool TSQLExpressionNot::IsLogical() const { return true; }

void TSQLExpressionNot::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Not"));
    builder->Space(4);
    BuildASTField(Expression.get(), builder, format, false);
}

void TSQLExpressionFieldSelection::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionExpressionItem::GetASTFields(list);
    list.Add(FieldName, TSQLExpressionFieldSelection::StaticClassType());
}

void TSQLExpressionFieldSelection::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    if (FieldName) {
        builder->WriteSymbol(QStringLiteral("."));
        BuildASTField(FieldName.get(), builder, format, false);
    } else {
        builder->WriteSymbol(QStringLiteral(".*"));
    }
}

void TSQLExpressionTypeCast::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionOperation::GetASTFields(list);
    list.Add(TargetType, TSQLExpressionTypeCast::StaticClassType());
}

void TSQLExpressionCast::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Cast"));
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Expression.get(), builder, format, false);
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("As"));
    builder->Space(3);
    BuildASTField(TargetType.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLExpressionCastOperator::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral("::"));
    BuildASTField(TargetType.get(), builder, format, false);
}

void TSQLExpressionConvert::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionTypeCast::GetASTFields(list);
    list.Add(Style, TSQLExpressionConvert::StaticClassType());
}

void TSQLExpressionConvert::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Convert"));
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(TargetType.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(","));
    BuildASTField(Expression.get(), builder, format, false);
    if (Style) {
        builder->WriteSymbol(QStringLiteral(","));
        BuildASTField(Style.get(), builder, format, false);
    }
    builder->WriteSymbol(QStringLiteral(")"));
}

TSQLOperator::TSQLOperator(TnvBaseSyntaxProvider *provider, const QString &op) : TastNode(provider), Operator(op) {}

void TSQLOperator::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    if (const auto *other = As<TSQLOperator>(&source))
        Operator = other->Operator;
}

void TSQLOperator::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteSymbol(Operator);
}

TSQLExpressionOperator::TSQLExpressionOperator(TnvBaseSyntaxProvider *provider) : TSQLExpressionOperation(provider) {}

TSQLExpressionOperator::TSQLExpressionOperator(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> operand)
    : TSQLExpressionOperation(provider, std::move(operand))
{
}

TSQLExpressionOperator::TSQLExpressionOperator(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> operand,
                                               TOwned<TSQLOperator> op)
    : TSQLExpressionOperation(provider, std::move(operand))
{
    Operator.reset(std::move(op));
}

TSQLExpressionOperator::TSQLExpressionOperator(TnvBaseSyntaxProvider *provider, const QString &op)
    : TSQLExpressionOperation(provider)
{
    Operator.reset(Create<TSQLOperator>(provider, op));
}

TSQLExpressionOperator::TSQLExpressionOperator(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> operand,
                                               const QString &op)
    : TSQLExpressionOperation(provider, std::move(operand))
{
    Operator.reset(Create<TSQLOperator>(provider, op));
}

void TSQLExpressionOperator::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionOperation::GetASTFields(list);
    list.Add(Operator, TSQLExpressionOperator::StaticClassType());
}

QString TSQLExpressionOperator::OperatorText() const { return Operator ? Operator->Operator : QString(); }

void TSQLExpressionOperatorPrefix::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    if (Operator) {
        builder->Space(3);
        BuildASTField(Operator.get(), builder, format, false);
        // Written right before its operand, the operator must not read on
        // into it: "~" and a name or number would read back as one name.
        if (!Operator->Operator.isEmpty())
            builder->KeepNextApartFrom(Operator->Operator.back(), 3);
    }
    BuildASTField(Expression.get(), builder, format, false);
}

void TSQLExpressionOperatorPostfix::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    BuildASTField(Operator.get(), builder, format, false);
}

TSQLExpressionOperatorBinary::TSQLExpressionOperatorBinary(TnvBaseSyntaxProvider *provider,
                                                           TOwned<TSQLExpressionItem> left, TOwned<TSQLOperator> op,
                                                           TOwned<TSQLExpressionItem> right)
    : TSQLExpressionOperator(provider, std::move(left), std::move(op))
{
    Right.reset(std::move(right));
}

TSQLExpressionOperatorBinary::TSQLExpressionOperatorBinary(TnvBaseSyntaxProvider *provider,
                                                           TOwned<TSQLExpressionItem> left, const QString &op,
                                                           TOwned<TSQLExpressionItem> right)
    : TSQLExpressionOperator(provider, std::move(left), op)
{
    Right.reset(std::move(right));
}

void TSQLExpressionOperatorBinary::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionOperator::GetASTFields(list);
    list.Add(Right, TSQLExpressionOperatorBinary::StaticClassType());
}

bool TSQLExpressionOperatorBinary::IsLogical() const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvAST", "IsLogical of an operator without a syntax provider");
    TWideStringList operators;
    provider->GetComparisonOperators(&operators);
    // The operator lists hold 8-bit texts: compare the operator as one.
    return operators.IndexOf(QString::fromLatin1(OperatorText().toLatin1())) >= 0;
}

void TSQLExpressionOperatorBinary::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    // a + b + c is ((a + b) + c): the left operands of a chain are printed
    // from the innermost one out, without recursing once per operand. Only
    // operands that would print exactly this way (this class, no extender)
    // are taken into the loop.
    QVarLengthArray<const TSQLExpressionOperatorBinary *, 16> chain;
    chain.append(this);
    const TSQLExpressionItem *left = Expression.get();
    while (left && left->ClassType() == TSQLExpressionOperatorBinary::StaticClassType() && !left->Extender()) {
        const auto *inner = static_cast<const TSQLExpressionOperatorBinary *>(left);
        Assert(!inner->IsDestroying(), "nvAST", "Printing a node being destroyed");
        chain.append(inner);
        left = inner->Expression.get();
    }
    BuildASTField(left, builder, format, false);
    for (qsizetype i = chain.size() - 1; i >= 0; --i) {
        const TSQLExpressionOperatorBinary *operation = chain[i];
        builder->Space(3);
        BuildASTField(operation->Operator.get(), builder, format, false);
        builder->Space(2);
        BuildASTField(operation->Right.get(), builder, format, false);
    }
}

// ---------------------------------------------------------------------------
// Predicates

void TSQLExpressionIs::AssignNode(const TastNodeBase &source)
{
    TSQLExpressionLogicalOperation::AssignNode(source);
    if (const auto *other = As<TSQLExpressionIs>(&source))
        Negated = other->Negated;
}

void TSQLExpressionIs::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Is"));
    if (Negated) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Not"));
    }
}

#define NVQB_IMPLEMENT_IS_CLASS(Name, Word)                                                  \
    void Name::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const   \
    {                                                                                        \
        TSQLExpressionIs::BuildSQLDirect(builder, format);                                   \
        builder->Space(3);                                                                   \
        builder->WriteKeyword(QStringLiteral(Word));                                                              \
    }
NVQB_IMPLEMENT_IS_CLASS(TSQLExpressionIsNull, "Null")
NVQB_IMPLEMENT_IS_CLASS(TSQLExpressionIsTrue, "True")
NVQB_IMPLEMENT_IS_CLASS(TSQLExpressionIsFalse, "False")
NVQB_IMPLEMENT_IS_CLASS(TSQLExpressionIsUnknown, "Unknown")
#undef NVQB_IMPLEMENT_IS_CLASS

void TSQLExpressionIsNullOp::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("IsNull"));
}

void TSQLExpressionNotNull::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("NotNull"));
}

void TSQLExpressionIn::AssignNode(const TastNodeBase &source)
{
    TSQLExpressionLogicalOperation::AssignNode(source);
    if (const auto *other = As<TSQLExpressionIn>(&source))
        Negated = other->Negated;
}

void TSQLExpressionIn::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    if (Negated) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Not"));
    }
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("In"));
}

void TSQLExpressionInSet::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionIn::GetASTFields(list);
    list.Add(Values, TSQLExpressionInSet::StaticClassType());
}

void TSQLExpressionInSet::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    TSQLExpressionIn::BuildSQLDirect(builder, format);
    builder->Space(3);
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Values.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLExpressionInSubQuery::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionIn::GetASTFields(list);
    list.Add(SubQuery, TSQLExpressionInSubQuery::StaticClassType());
}

void TSQLExpressionInSubQuery::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    TSQLExpressionIn::BuildSQLDirect(builder, format);
    builder->Space(3);
    BuildBracketedSubQuery(SubQuery.get(), builder);
}

void TSQLExpressionBetween::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionOperation::GetASTFields(list);
    list.Add(Low, TSQLExpressionBetween::StaticClassType());
    list.Add(High, TSQLExpressionBetween::StaticClassType());
}

void TSQLExpressionBetween::AssignNode(const TastNodeBase &source)
{
    TSQLExpressionOperation::AssignNode(source);
    if (const auto *other = As<TSQLExpressionBetween>(&source))
        Negated = other->Negated;
}

void TSQLExpressionBetween::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    if (Negated) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Not"));
    }
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Between"));
    builder->Space(3);
    BuildASTField(Low.get(), builder, format, false);
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("And"));
    builder->Space(3);
    BuildASTField(High.get(), builder, format, false);
}

void TSQLExpressionLikeTemplate::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionLogicalOperation::GetASTFields(list);
    list.Add(Pattern, TSQLExpressionLikeTemplate::StaticClassType());
    list.Add(Escape, TSQLExpressionLikeTemplate::StaticClassType());
}

void TSQLExpressionLikeTemplate::AssignNode(const TastNodeBase &source)
{
    TSQLExpressionLogicalOperation::AssignNode(source);
    if (const auto *other = As<TSQLExpressionLikeTemplate>(&source)) {
        Keyword = other->Keyword;
        Negated = other->Negated;
    }
}

void TSQLExpressionLikeTemplate::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    builder->Space(3);
    if (Negated) {
        builder->WriteKeyword(QStringLiteral("Not"));
        builder->Space(3);
    }
    builder->WriteKeyword(Keyword);
    builder->Space(3);
    BuildASTField(Pattern.get(), builder, format, false);
    if (Escape) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Escape"));
        builder->Space(3);
        BuildASTField(Escape.get(), builder, format, false);
    }
}

void TSQLExpressionOverlaps::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(Value1, TSQLExpressionOverlaps::StaticClassType());
    list.Add(Value2, TSQLExpressionOverlaps::StaticClassType());
    list.Add(Value3, TSQLExpressionOverlaps::StaticClassType());
    list.Add(Value4, TSQLExpressionOverlaps::StaticClassType());
}

bool TSQLExpressionOverlaps::IsLogical() const { return true; }

void TSQLExpressionOverlaps::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Value1.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(","));
    BuildASTField(Value2.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Overlaps"));
    builder->Space(3);
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Value3.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(","));
    BuildASTField(Value4.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLExpressionSubQueryOperation::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(SubQuery, TSQLExpressionSubQueryOperation::StaticClassType());
}

bool TSQLExpressionSubQueryOperation::IsLogical() const { return true; }

void TSQLExpressionSubQueryOperation::BuildWithKeyword(const QString &keyword, TSQLBuilder *builder) const
{
    builder->WriteKeyword(keyword);
    BuildBracketedSubQuery(SubQuery.get(), builder);
}

void TSQLExpressionExists::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildWithKeyword(QStringLiteral("Exists"), builder);
}

void TSQLExpressionSingular::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildWithKeyword(QStringLiteral("Singular"), builder);
}

void TSQLExpressionCompWithSet::AssignNode(const TastNodeBase &source)
{
    TSQLExpressionOperator::AssignNode(source);
    if (const auto *other = As<TSQLExpressionCompWithSet>(&source))
        SetQuantifier = other->SetQuantifier;
}

void TSQLExpressionCompWithSet::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    builder->Space(3);
    BuildASTField(Operator.get(), builder, format, false);
    builder->Space(2);
    switch (SetQuantifier) {
    case cwsAll:
        builder->WriteKeyword(QStringLiteral("All"));
        break;
    case cwsSome:
        builder->WriteKeyword(QStringLiteral("Some"));
        break;
    case cwsAny:
        builder->WriteKeyword(QStringLiteral("Any"));
        break;
    }
}

void TSQLExpressionCompWithSubQuery::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionCompWithSet::GetASTFields(list);
    list.Add(SubQuery, TSQLExpressionCompWithSubQuery::StaticClassType());
}

void TSQLExpressionCompWithSubQuery::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    TSQLExpressionCompWithSet::BuildSQLDirect(builder, format);
    BuildBracketedSubQuery(SubQuery.get(), builder);
}

void TSQLExpressionCompWithSetExpression::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionCompWithSet::GetASTFields(list);
    list.Add(SetExpression, TSQLExpressionCompWithSetExpression::StaticClassType());
}

void TSQLExpressionCompWithSetExpression::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    TSQLExpressionCompWithSet::BuildSQLDirect(builder, format);
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(SetExpression.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLExpressionCompWithSetSetOfExpressions::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionCompWithSet::GetASTFields(list);
    list.Add(Values, TSQLExpressionCompWithSetSetOfExpressions::StaticClassType());
}

void TSQLExpressionCompWithSetSetOfExpressions::BuildSQLDirect(TSQLBuilder *builder,
                                                               TSQLBuilderSelectFormat *format) const
{
    TSQLExpressionCompWithSet::BuildSQLDirect(builder, format);
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Values.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

// ---------------------------------------------------------------------------
// AND / OR

bool TSQLExpressionLogicalCollection::IsLogical() const { return true; }

void TSQLExpressionLogicalCollection::BuildJoined(const QString &keyword, int weight, TSQLBuilder *builder,
                                                  TSQLBuilderSelectFormat *format) const
{
    bool first = true;
    for (qsizetype i = 0; i < GetCount(); ++i) {
        const TastNode *operand = As<TastNode>(TSQLExpressionItemWithList::GetItems(i));
        if (!operand)
            continue;
        if (!first) {
            builder->Space(weight);
            builder->WriteKeyword(keyword);
            builder->Space(weight);
        }
        BuildASTField(operand, builder, format, false);
        first = false;
    }
}

void TSQLExpressionLogicalCollection::BuildJoinedCosmetic(const QString &keyword, bool newLine, TSQLBuilder *builder,
                                                          TSQLBuilderSelectFormat *format,
                                                          const TSQLBuilderConditionFormat *conditionFormat,
                                                          int level) const
{
    bool first = true;
    for (qsizetype i = 0; i < GetCount(); ++i) {
        const auto *operand = As<TSQLExpressionItem>(TSQLExpressionItemWithList::GetItems(i));
        if (!operand)
            continue;
        if (!first) {
            builder->Space(1);
            builder->WriteKeyword(keyword);
            builder->NewLineOrSpace(newLine, 1);
        }
        BuildCosmeticField(operand, builder, format, conditionFormat, level + 1);
        first = false;
    }
}

void TSQLExpressionAnd::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildJoined(QStringLiteral("And"), 1, builder, format);
}

void TSQLExpressionAnd::BuildSQLCosmetic(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                         const TSQLBuilderConditionFormat *conditionFormat, int level) const
{
    const TSQLBuilderConditionFormatNL rule = conditionFormat ? conditionFormat->NewLineAfter() : nlNone;
    const bool newLine = rule == nlAllLogical || (rule == nlTopmostLogical && level == 0);
    BuildJoinedCosmetic(QStringLiteral("And"), newLine, builder, format, conditionFormat, level);
}

void TSQLExpressionOr::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildJoined(QStringLiteral("Or"), 0, builder, format);
}

void TSQLExpressionOr::BuildSQLCosmetic(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                        const TSQLBuilderConditionFormat *conditionFormat, int level) const
{
    const TSQLBuilderConditionFormatNL rule = conditionFormat ? conditionFormat->NewLineAfter() : nlNone;
    const bool newLine = rule == nlAllLogical || ((rule == nlTopmostOr || rule == nlTopmostLogical) && level == 0);
    BuildJoinedCosmetic(QStringLiteral("Or"), newLine, builder, format, conditionFormat, level);
}

// ---------------------------------------------------------------------------
// Lists and functions

TSQLExpressionsList::TSQLExpressionsList(TnvBaseSyntaxProvider *provider)
    : TastNodeWithList(provider, TSQLExpressionItem::StaticClassType())
{
}

void TSQLExpressionsList::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildCommaSeparated(this, builder, format);
}

void TSQLExpressionExpressionsList::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(List, TSQLExpressionExpressionsList::StaticClassType());
}

void TSQLExpressionExpressionsList::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(List.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLExpressionNodesList::GetASTFields(TastFieldsList &list)
{
    TSQLExpressionItem::GetASTFields(list);
    list.Add(List, TSQLExpressionNodesList::StaticClassType());
}

void TSQLExpressionNodesList::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(List.get(), builder, format, false);
}

void TSQLFunction::GetASTFields(TastFieldsList &list)
{
    TastNodeWithList::GetASTFields(list);
    list.Add(FunctionName, TSQLFunction::StaticClassType());
}

void TSQLFunction::BuildFunctionName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    const TSQLQualifiedName *name = FunctionName.get();
    // A one-part name spelled like an aggregate reads back bare as that
    // aggregate (or not at all): quoted, it stays this function.
    if (name && name->GetCount() == 1) {
        const TnvBaseSyntaxProvider *provider = SyntaxProvider();
        if (provider && (provider->IsNameOfPrefixedAggregate(name) || provider->IsNameOfAggregate(name) ||
                         provider->IsNameOfStarAggregate(name))) {
            name->BuildQualifiedName(builder, format, icAll);
            return;
        }
    }
    BuildFunctionNameOf(name, builder, format);
}

void TSQLFunction::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildFunctionName(builder, format);
    builder->WriteSymbol(QStringLiteral("("));
    BuildCommaSeparated(this, builder, format);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLFunctionSubString::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    // SUBSTRING is a keyword, not a name: written as one (never quoted) and
    // with no blank before the closing bracket, its text parses again.
    builder->WriteKeyword(QStringLiteral("Substring"));
    builder->WriteSymbol(QStringLiteral("("));
    const qsizetype count = GetCount();
    if (count > 0)
        BuildASTField(As<TastNode>(GetItems(0)), builder, format, true);
    builder->WriteKeyword(QStringLiteral("FROM"));
    builder->Space(3);
    if (count > 1)
        BuildASTField(As<TastNode>(GetItems(1)), builder, format, false);
    if (count > 2) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("FOR"));
        builder->Space(3);
        BuildASTField(As<TastNode>(GetItems(2)), builder, format, false);
    }
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLFunctionKeyword::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    // The keyword in the builder's keyword case, from its first-upper form:
    // each word of the name capitalised (Upper, Char_Length).
    QString name;
    if (FunctionName && FunctionName->GetCount() > 0)
        name = FunctionName->GetItems(0)->Text().toLower();
    bool wordStart = true;
    for (QChar &ch : name) {
        if (wordStart)
            ch = ch.toUpper();
        wordStart = ch == u'_';
    }
    builder->WriteKeyword(name);
    builder->WriteSymbol(QStringLiteral("("));
    BuildCommaSeparated(this, builder, format);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLFunctionTrim::AssignNode(const TastNodeBase &source)
{
    TSQLFunction::AssignNode(source);
    if (const auto *other = As<TSQLFunctionTrim>(&source)) {
        Side = other->Side;
        FromWritten = other->FromWritten;
    }
}

void TSQLFunctionTrim::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Trim"));
    builder->WriteSymbol(QStringLiteral("("));
    switch (Side) {
    case ttsLeading:
        builder->WriteKeywordAndSpace(QStringLiteral("Leading"), 3);
        break;
    case ttsTrailing:
        builder->WriteKeywordAndSpace(QStringLiteral("Trailing"), 3);
        break;
    case ttsBoth:
        builder->WriteKeywordAndSpace(QStringLiteral("Both"), 3);
        break;
    case ttsNone:
        break;
    }
    const qsizetype count = GetCount();
    if (count > 1)
        BuildASTField(As<TastNode>(GetItems(0)), builder, format, true);
    if (FromWritten || Side != ttsNone || count > 1)
        builder->WriteKeywordAndSpace(QStringLiteral("From"), 3);
    if (count > 0)
        BuildASTField(As<TastNode>(GetItems(count - 1)), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLFunctionPosition::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Position"));
    builder->WriteSymbol(QStringLiteral("("));
    const qsizetype count = GetCount();
    if (count > 0)
        BuildASTField(As<TastNode>(GetItems(0)), builder, format, true);
    builder->WriteKeywordAndSpace(QStringLiteral("In"), 3);
    if (count > 1)
        BuildASTField(As<TastNode>(GetItems(1)), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLFunctionExtract::AssignNode(const TastNodeBase &source)
{
    TSQLFunction::AssignNode(source);
    if (const auto *other = As<TSQLFunctionExtract>(&source))
        Field = other->Field;
}

void TSQLFunctionExtract::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    static const char *const fields[] = {"Year",   "Month",  "Day",           "Hour",
                                         "Minute", "Second", "Timezone_Hour", "Timezone_Minute"};
    builder->WriteKeyword(QStringLiteral("Extract"));
    builder->WriteSymbol(QStringLiteral("("));
    builder->WriteKeywordAndSpace(QString::fromLatin1(fields[qBound(0, int(Field), 7)]), 3);
    builder->WriteKeywordAndSpace(QStringLiteral("From"), 3);
    if (GetCount() > 0)
        BuildASTField(As<TastNode>(GetItems(0)), builder, format, false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLFunctionParamNamedExpression::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(ParamName, TSQLFunctionParamNamedExpression::StaticClassType());
    list.Add(Value, TSQLFunctionParamNamedExpression::StaticClassType());
}

void TSQLFunctionParamNamedExpression::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    if (ParamName) {
        BuildASTField(ParamName.get(), builder, format, false);
        builder->WriteSymbol(QStringLiteral("="));
    }
    BuildASTField(Value.get(), builder, format, false);
}

} // namespace nvqb
