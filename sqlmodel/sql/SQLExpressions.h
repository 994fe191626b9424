#pragma once
// Value and condition expressions: constants, columns, parameters, function
// calls and aggregates, operators, AND/OR/NOT, the predicates (IS, IN,
// BETWEEN, LIKE, OVERLAPS, EXISTS, comparisons with ALL/SOME/ANY), CASE, CAST
// and CONVERT, IF. Conditions of WHERE, HAVING and ON print through
// BuildSQLCosmetic, which breaks lines after AND/OR as the condition format
// asks.
#include "sqlmodel/ast/AstOwnedNodes.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/sql/SQLTypes.h"

namespace nvqb {

class TSQLSubSelectStatement;
class TSQLBuilderConditionFormat;
class TSQLFunction;
class TSQLOperator;
class TSQLExpressionsList;

// Items of a list separated by "," and a space of weight 2 (the preferred
// break of a long list), or by "," and a new line. Nil entries are skipped.
void BuildCommaSeparated(const TastNodeWithList *list, TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                         bool newLineAfterItem = false);

class TSQLExpressionItem : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLExpressionItem)
public:
    using TastNode::TastNode;

    // Whether the expression is a condition (a predicate or a logical
    // combination), as the query model asks to tell criteria from values.
    virtual bool IsLogical() const;
    // The expression as a condition of WHERE, HAVING or ON at a nesting level;
    // the base prints it plainly.
    virtual void BuildSQLCosmetic(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                  const TSQLBuilderConditionFormat *conditionFormat, int level) const;

    // Left expressions of conditions (the operand a predicate tests), so a
    // predicate can be shown without its column; see ExpressionTransforms.h.
    // FindExpressionItem takes this node (self) and returns what replaces it,
    // pointing `item` at the condition's left expression.
    virtual TOwned<TSQLExpressionItem> FindExpressionItem(TOwned<TSQLExpressionItem> self, TSQLExpressionItem *&item);
    virtual void RemoveLExpression(const TSQLExpressionItem *item);
    virtual void RestoreLExpression(const TSQLExpressionItem *item);

    TOwned<TSQLExpressionItem> Clone() const { return CloneAs<TSQLExpressionItem>(this); }
};

// Prints an expression child in its cosmetic form (nothing when nil).
void BuildCosmeticField(const TSQLExpressionItem *item, TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                        const TSQLBuilderConditionFormat *conditionFormat, int level);

class TSQLExpressionItemWithList : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionItemWithList)
public:
    using TSQLExpressionItem::TSQLExpressionItem;

    // Appends without giving the node a provider; returns its index.
    qsizetype Add(TOwned<TastNodeBase> node) { return FList.Add(std::move(node)); }
    void Insert(qsizetype index, TOwned<TastNodeBase> node) { FList.Insert(index, std::move(node)); }
    void Delete(qsizetype index) { FList.Delete(index); }
    TOwned<TastNodeBase> Extract(const TastNodeBase *node) { return FList.Extract(node); }
    TOwned<TastNodeBase> Extract(qsizetype index) { return FList.Extract(index); }
    qsizetype Remove(const TastNodeBase *node) { return FList.Remove(node); }
    void Clear() { FList.Clear(); }
    qsizetype GetCount() const { return FList.Count(); }
    void SetCount(qsizetype count) { FList.SetCount(count); }
    TastNodeBase *GetItems(qsizetype index) const { return FList.At(index); }
    void SetItems(qsizetype index, TOwned<TastNodeBase> node) { FList.Set(index, std::move(node)); }
    qsizetype IndexOf(const TastNodeBase *node) const { return FList.IndexOf(node); }

    void GetMyChildren(TastNodesList &list) const override;
    void MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass) override;

protected:
    void AssignNode(const TastNodeBase &source) override;
    void DestroyOwned() override;

private:
    TastOwnedNodes FList;
};

class TSQLExpressionItemWithExpressionList : public TSQLExpressionItemWithList {
    NV_DECLARE_AST_CLASS(TSQLExpressionItemWithExpressionList)
public:
    using TSQLExpressionItemWithList::TSQLExpressionItemWithList;
    TSQLExpressionItem *GetItems(qsizetype index) const
    {
        return static_cast<TSQLExpressionItem *>(TSQLExpressionItemWithList::GetItems(index));
    }
};

// A literal as its tokens (numbers, strings, keywords, spaces, nodes).
class TSQLExpressionConstant : public TSQLExpressionItemWithList {
    NV_DECLARE_AST_CLASS(TSQLExpressionConstant)
public:
    using TSQLExpressionItemWithList::TSQLExpressionItemWithList;

    TastTokenIdentifier *AddIdentifier(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenKeyword *AddKeyword(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenNumber *AddNumber(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenString *AddString(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenSymbol *AddSymbol(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastNodeSpace *AddSpace(int weight = 3);
    TastNodeBase *AddNode(TOwned<TastNodeBase> node, bool addSpace = false, int spaceWeight = 3);

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

private:
    template <class T> T *Append(TOwned<T> token, bool addSpace, int spaceWeight);
};

class TSQLExpressionParameter : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionParameter)
public:
    explicit TSQLExpressionParameter(TnvBaseSyntaxProvider *provider, TOwned<TastNode> name = nullptr);

    quint8 DataType = 0;
    QString CompareOperator;
    QString FieldName;
    QString ObjectName;
    TastChild<TastNode> Prefix;
    TastChild<TastNode> Name;

    // Takes the comparison and what the column tells of the value's name,
    // source and type.
    void LoadParameterProps(const QString &compareOperator, const TSQLObjectColumn *column);
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLExpressionVariable : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionVariable)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TastNode> Name;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionColumn : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionColumn)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TSQLObjectColumn> Column;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionParameterlessFunction : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionParameterlessFunction)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TastNode> FunctionName;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionFunction : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionFunction)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TSQLFunction> Function;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// A scalar sub-query in brackets.
class TSQLExpressionSelect : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionSelect)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TSQLSubSelectStatement> SubQuery;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLCaseFunctionItem : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLCaseFunctionItem)
public:
    using TastNode::TastNode;
    TastChild<TSQLExpressionItem> When;
    TastChild<TSQLExpressionItem> Then;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// CASE [operand] WHEN ... THEN ... [ELSE ...] END; the list holds the WHEN items.
class TSQLExpressionCaseFunction : public TSQLExpressionItemWithList {
    NV_DECLARE_AST_CLASS(TSQLExpressionCaseFunction)
public:
    using TSQLExpressionItemWithList::TSQLExpressionItemWithList;
    TastChild<TSQLExpressionItem> CaseOperand;
    TastChild<TSQLExpressionItem> ElseValue;
    TSQLCaseFunctionItem *GetItems(qsizetype index) const
    {
        return static_cast<TSQLCaseFunctionItem *>(TSQLExpressionItemWithList::GetItems(index));
    }
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionIfExpression : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionIfExpression)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TSQLExpressionItem> Condition;
    TastChild<TSQLExpressionItem> ThenValue;
    TastChild<TSQLExpressionItem> ElseValue;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// An aggregate over all rows: name(*).
class TSQLExpressionAggregate : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionAggregate)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TSQLQualifiedName> FunctionName;
    // The name in the dialect's spelling when the dialect knows the aggregate.
    void BuildFunctionName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionAggregate1Param : public TSQLExpressionAggregate {
    NV_DECLARE_AST_CLASS(TSQLExpressionAggregate1Param)
public:
    using TSQLExpressionAggregate::TSQLExpressionAggregate;
    TastChild<TSQLExpressionItem> Argument;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

enum TSQLAggregateParamPrefixes { ppAll, ppDistinct, ppUnique };

class TSQLExpressionAggregate1ParamWPrefix : public TSQLExpressionAggregate1Param {
    NV_DECLARE_AST_CLASS(TSQLExpressionAggregate1ParamWPrefix)
public:
    using TSQLExpressionAggregate1Param::TSQLExpressionAggregate1Param;
    TSQLAggregateParamPrefixes ParamPrefix = ppAll;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLExpressionAggregateWParams : public TSQLExpressionAggregate {
    NV_DECLARE_AST_CLASS(TSQLExpressionAggregateWParams)
public:
    using TSQLExpressionAggregate::TSQLExpressionAggregate;
    TastChild<TSQLExpressionsList> Arguments;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// An expression around one operand (printed as the operand).
class TSQLExpressionExpressionItem : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionExpressionItem)
public:
    explicit TSQLExpressionExpressionItem(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> operand = nullptr);
    TastChild<TSQLExpressionItem> Expression;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionOperation : public TSQLExpressionExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionOperation)
public:
    using TSQLExpressionExpressionItem::TSQLExpressionExpressionItem;
    TOwned<TSQLExpressionItem> FindExpressionItem(TOwned<TSQLExpressionItem> self, TSQLExpressionItem *&item) override;
    void RemoveLExpression(const TSQLExpressionItem *item) override;
    void RestoreLExpression(const TSQLExpressionItem *item) override;
};

class TSQLExpressionLogicalOperation : public TSQLExpressionOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionLogicalOperation)
public:
    using TSQLExpressionOperation::TSQLExpressionOperation;
    bool IsLogical() const override;
};

class TSQLExpressionOperationExpression : public TSQLExpressionOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionOperationExpression)
public:
    explicit TSQLExpressionOperationExpression(TnvBaseSyntaxProvider *provider,
                                               TOwned<TSQLExpressionItem> operand = nullptr,
                                               TOwned<TSQLExpressionItem> second = nullptr);
    TastChild<TSQLExpressionItem> Expression2;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionBrackets : public TSQLExpressionExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionBrackets)
public:
    using TSQLExpressionExpressionItem::TSQLExpressionExpressionItem;
    TOwned<TSQLExpressionItem> FindExpressionItem(TOwned<TSQLExpressionItem> self, TSQLExpressionItem *&item) override;
    void RemoveLExpression(const TSQLExpressionItem *item) override;
    void RestoreLExpression(const TSQLExpressionItem *item) override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void BuildSQLCosmetic(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                          const TSQLBuilderConditionFormat *conditionFormat, int level) const override;
};

class TSQLExpressionNot : public TSQLExpressionExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionNot)
public:
    using TSQLExpressionExpressionItem::TSQLExpressionExpressionItem;
    TOwned<TSQLExpressionItem> FindExpressionItem(TOwned<TSQLExpressionItem> self, TSQLExpressionItem *&item) override;
    void RemoveLExpression(const TSQLExpressionItem *item) override;
    void RestoreLExpression(const TSQLExpressionItem *item) override;
    bool IsLogical() const override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

// operand.field, or operand.* without a field name.
class TSQLExpressionFieldSelection : public TSQLExpressionExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionFieldSelection)
public:
    using TSQLExpressionExpressionItem::TSQLExpressionExpressionItem;
    TastChild<TastNode> FieldName;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionTypeCast : public TSQLExpressionOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionTypeCast)
public:
    using TSQLExpressionOperation::TSQLExpressionOperation;
    TastChild<TSQLType> TargetType;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionCast : public TSQLExpressionTypeCast {
    NV_DECLARE_AST_CLASS(TSQLExpressionCast)
public:
    using TSQLExpressionTypeCast::TSQLExpressionTypeCast;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLExpressionCastOperator : public TSQLExpressionTypeCast {
    NV_DECLARE_AST_CLASS(TSQLExpressionCastOperator)
public:
    using TSQLExpressionTypeCast::TSQLExpressionTypeCast;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLExpressionConvert : public TSQLExpressionTypeCast {
    NV_DECLARE_AST_CLASS(TSQLExpressionConvert)
public:
    using TSQLExpressionTypeCast::TSQLExpressionTypeCast;
    TastChild<TSQLExpressionItem> Style;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLOperator : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLOperator)
public:
    explicit TSQLOperator(TnvBaseSyntaxProvider *provider, const QString &op = QString());
    QString Operator;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLExpressionOperator : public TSQLExpressionOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionOperator)
public:
    explicit TSQLExpressionOperator(TnvBaseSyntaxProvider *provider);
    TSQLExpressionOperator(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> operand);
    TSQLExpressionOperator(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> operand,
                           TOwned<TSQLOperator> op);
    TSQLExpressionOperator(TnvBaseSyntaxProvider *provider, const QString &op);
    TSQLExpressionOperator(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> operand, const QString &op);
    TastChild<TSQLOperator> Operator;
    // The operator's text; empty without an operator.
    QString OperatorText() const;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionOperatorPrefix : public TSQLExpressionOperator {
    NV_DECLARE_AST_CLASS(TSQLExpressionOperatorPrefix)
public:
    using TSQLExpressionOperator::TSQLExpressionOperator;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLExpressionOperatorPostfix : public TSQLExpressionOperator {
    NV_DECLARE_AST_CLASS(TSQLExpressionOperatorPostfix)
public:
    using TSQLExpressionOperator::TSQLExpressionOperator;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

// left operator right; Expression is the left operand.
class TSQLExpressionOperatorBinary : public TSQLExpressionOperator {
    NV_DECLARE_AST_CLASS(TSQLExpressionOperatorBinary)
public:
    using TSQLExpressionOperator::TSQLExpressionOperator;
    TSQLExpressionOperatorBinary(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> left,
                                 TOwned<TSQLOperator> op, TOwned<TSQLExpressionItem> right);
    TSQLExpressionOperatorBinary(TnvBaseSyntaxProvider *provider, TOwned<TSQLExpressionItem> left,
                                 const QString &op, TOwned<TSQLExpressionItem> right);
    TastChild<TSQLExpressionItem> Right;
    // True for the dialect's comparison operators.
    bool IsLogical() const override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    // A parameter compared with a column learns the column's properties.
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// operand IS [NOT] ...; the subclasses add NULL, TRUE, FALSE or UNKNOWN.
class TSQLExpressionIs : public TSQLExpressionLogicalOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionIs)
public:
    using TSQLExpressionLogicalOperation::TSQLExpressionLogicalOperation;
    bool Negated = false;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

#define NVQB_DECLARE_IS_CLASS(Name)                                                                \
    class Name : public TSQLExpressionIs {                                                         \
        NV_DECLARE_AST_CLASS(Name)                                                                 \
    public:                                                                                        \
        using TSQLExpressionIs::TSQLExpressionIs;                                                  \
        void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override; \
    };
NVQB_DECLARE_IS_CLASS(TSQLExpressionIsNull)
NVQB_DECLARE_IS_CLASS(TSQLExpressionIsTrue)
NVQB_DECLARE_IS_CLASS(TSQLExpressionIsFalse)
NVQB_DECLARE_IS_CLASS(TSQLExpressionIsUnknown)
#undef NVQB_DECLARE_IS_CLASS

class TSQLExpressionIsNullOp : public TSQLExpressionOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionIsNullOp)
public:
    using TSQLExpressionOperation::TSQLExpressionOperation;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLExpressionNotNull : public TSQLExpressionOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionNotNull)
public:
    using TSQLExpressionOperation::TSQLExpressionOperation;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLExpressionIn : public TSQLExpressionLogicalOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionIn)
public:
    using TSQLExpressionLogicalOperation::TSQLExpressionLogicalOperation;
    bool Negated = false;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLExpressionInSet : public TSQLExpressionIn {
    NV_DECLARE_AST_CLASS(TSQLExpressionInSet)
public:
    using TSQLExpressionIn::TSQLExpressionIn;
    TastChild<TSQLExpressionsList> Values;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionInSubQuery : public TSQLExpressionIn {
    NV_DECLARE_AST_CLASS(TSQLExpressionInSubQuery)
public:
    using TSQLExpressionIn::TSQLExpressionIn;
    TastChild<TSQLSubSelectStatement> SubQuery;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionBetween : public TSQLExpressionOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionBetween)
public:
    using TSQLExpressionOperation::TSQLExpressionOperation;
    bool Negated = false;
    TastChild<TSQLExpressionItem> Low;
    TastChild<TSQLExpressionItem> High;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    // Parameter bounds of a column learn the column and the bound's comparison.
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void AssignNode(const TastNodeBase &source) override;
};

// operand [NOT] LIKE pattern [ESCAPE escape]; the keyword as parsed.
class TSQLExpressionLikeTemplate : public TSQLExpressionLogicalOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionLikeTemplate)
public:
    using TSQLExpressionLogicalOperation::TSQLExpressionLogicalOperation;
    QString Keyword = QStringLiteral("Like");
    bool Negated = false;
    TastChild<TSQLExpressionItem> Pattern;
    TastChild<TSQLExpressionItem> Escape;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    // A parameter pattern of a column learns the column and the keyword.
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLExpressionOverlaps : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionOverlaps)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TSQLExpressionItem> Value1;
    TastChild<TSQLExpressionItem> Value2;
    TastChild<TSQLExpressionItem> Value3;
    TastChild<TSQLExpressionItem> Value4;
    bool IsLogical() const override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionSubQueryOperation : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionSubQueryOperation)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TSQLSubSelectStatement> SubQuery;
    bool IsLogical() const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    // keyword(sub-query)
    void BuildWithKeyword(const QString &keyword, TSQLBuilder *builder) const;
};

class TSQLExpressionExists : public TSQLExpressionSubQueryOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionExists)
public:
    using TSQLExpressionSubQueryOperation::TSQLExpressionSubQueryOperation;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLExpressionSingular : public TSQLExpressionSubQueryOperation {
    NV_DECLARE_AST_CLASS(TSQLExpressionSingular)
public:
    using TSQLExpressionSubQueryOperation::TSQLExpressionSubQueryOperation;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

enum TSQLCompareWithSet { cwsAll, cwsSome, cwsAny };

// operand operator ALL|SOME|ANY ...; the subclasses add what is compared with.
class TSQLExpressionCompWithSet : public TSQLExpressionOperator {
    NV_DECLARE_AST_CLASS(TSQLExpressionCompWithSet)
public:
    using TSQLExpressionOperator::TSQLExpressionOperator;
    TSQLCompareWithSet SetQuantifier = cwsAll;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLExpressionCompWithSubQuery : public TSQLExpressionCompWithSet {
    NV_DECLARE_AST_CLASS(TSQLExpressionCompWithSubQuery)
public:
    using TSQLExpressionCompWithSet::TSQLExpressionCompWithSet;
    TastChild<TSQLSubSelectStatement> SubQuery;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionCompWithSetExpression : public TSQLExpressionCompWithSet {
    NV_DECLARE_AST_CLASS(TSQLExpressionCompWithSetExpression)
public:
    using TSQLExpressionCompWithSet::TSQLExpressionCompWithSet;
    TastChild<TSQLExpressionItem> SetExpression;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionCompWithSetSetOfExpressions : public TSQLExpressionCompWithSet {
    NV_DECLARE_AST_CLASS(TSQLExpressionCompWithSetSetOfExpressions)
public:
    using TSQLExpressionCompWithSet::TSQLExpressionCompWithSet;
    TastChild<TSQLExpressionsList> Values;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionLogicalCollection : public TSQLExpressionItemWithExpressionList {
    NV_DECLARE_AST_CLASS(TSQLExpressionLogicalCollection)
public:
    using TSQLExpressionItemWithExpressionList::TSQLExpressionItemWithExpressionList;
    bool IsLogical() const override;
    TOwned<TSQLExpressionItem> FindExpressionItem(TOwned<TSQLExpressionItem> self, TSQLExpressionItem *&item) override;
    void RemoveLExpression(const TSQLExpressionItem *item) override;
    void RestoreLExpression(const TSQLExpressionItem *item) override;
    // Moves every operand of `other`, first to last, to the end of this
    // collection; with `negate` each moves wrapped in a NOT.
    void TakeItemsFrom(TSQLExpressionLogicalCollection *other, bool negate);

protected:
    // Operands joined by the keyword; in the cosmetic form a line may break
    // after it.
    void BuildJoined(const QString &keyword, int weight, TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    void BuildJoinedCosmetic(const QString &keyword, bool newLine, TSQLBuilder *builder,
                             TSQLBuilderSelectFormat *format, const TSQLBuilderConditionFormat *conditionFormat,
                             int level) const;
};

class TSQLExpressionAnd : public TSQLExpressionLogicalCollection {
    NV_DECLARE_AST_CLASS(TSQLExpressionAnd)
public:
    using TSQLExpressionLogicalCollection::TSQLExpressionLogicalCollection;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void BuildSQLCosmetic(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                          const TSQLBuilderConditionFormat *conditionFormat, int level) const override;
};

class TSQLExpressionOr : public TSQLExpressionLogicalCollection {
    NV_DECLARE_AST_CLASS(TSQLExpressionOr)
public:
    using TSQLExpressionLogicalCollection::TSQLExpressionLogicalCollection;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void BuildSQLCosmetic(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                          const TSQLBuilderConditionFormat *conditionFormat, int level) const override;
};

class TSQLExpressionsList : public TastNodeWithList {
    NV_DECLARE_AST_CLASS(TSQLExpressionsList)
public:
    explicit TSQLExpressionsList(TnvBaseSyntaxProvider *provider);
    TSQLExpressionItem *GetItems(qsizetype index) const
    {
        return static_cast<TSQLExpressionItem *>(TastNodeWithList::GetItems(index));
    }
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

// (a, b, c) as a value.
class TSQLExpressionExpressionsList : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionExpressionsList)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TSQLExpressionsList> List;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLExpressionNodesList : public TSQLExpressionItem {
    NV_DECLARE_AST_CLASS(TSQLExpressionNodesList)
public:
    using TSQLExpressionItem::TSQLExpressionItem;
    TastChild<TastNodeWithList> List;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// A function call: the list holds the arguments.
class TSQLFunction : public TastNodeWithList {
    NV_DECLARE_AST_CLASS(TSQLFunction)
public:
    using TastNodeWithList::TastNodeWithList;
    TastChild<TSQLQualifiedName> FunctionName;
    void BuildFunctionName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// SUBSTRING(a FROM b [FOR c]).
class TSQLFunctionSubString : public TSQLFunction {
    NV_DECLARE_AST_CLASS(TSQLFunctionSubString)
public:
    using TSQLFunction::TSQLFunction;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

// A standard function whose name is a keyword of the dialect, called with
// its arguments in brackets: UPPER(a), COALESCE(a, 0), CHAR_LENGTH(a). The
// name is written as a keyword, never quoted: quoted, it would name some
// function of the user's.
class TSQLFunctionKeyword : public TSQLFunction {
    NV_DECLARE_AST_CLASS(TSQLFunctionKeyword)
public:
    using TSQLFunction::TSQLFunction;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

enum TSQLTrimSide { ttsNone, ttsLeading, ttsTrailing, ttsBoth };

// TRIM([[LEADING | TRAILING | BOTH] [character] FROM] source): the list
// holds the trim character when one is written, then the source.
class TSQLFunctionTrim : public TSQLFunction {
    NV_DECLARE_AST_CLASS(TSQLFunctionTrim)
public:
    using TSQLFunction::TSQLFunction;
    TSQLTrimSide Side = ttsNone;
    // FROM was written; it is written anyway with a side or a character.
    bool FromWritten = false;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

// POSITION(a IN b).
class TSQLFunctionPosition : public TSQLFunction {
    NV_DECLARE_AST_CLASS(TSQLFunctionPosition)
public:
    using TSQLFunction::TSQLFunction;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

enum TSQLDatetimeField { dtfYear, dtfMonth, dtfDay, dtfHour, dtfMinute, dtfSecond, dtfTimezoneHour, dtfTimezoneMinute };

// EXTRACT(field FROM source): the list holds the source.
class TSQLFunctionExtract : public TSQLFunction {
    NV_DECLARE_AST_CLASS(TSQLFunctionExtract)
public:
    using TSQLFunction::TSQLFunction;
    TSQLDatetimeField Field = dtfYear;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLFunctionParamNamedExpression : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLFunctionParamNamedExpression)
public:
    using TastNode::TastNode;
    TastChild<TastNode> ParamName;
    TastChild<TSQLExpressionItem> Value;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

} // namespace nvqb
