#pragma once
// The select list of a select block: *, table.*, and expressions with their
// aliases.
#include "sqlmodel/sql/SQLExpressions.h"

namespace nvqb {

class TSQLSelectItem : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLSelectItem)
public:
    using TastNode::TastNode;
};

class TSQLSelectItems : public TastNodeWithList {
    NV_DECLARE_AST_CLASS(TSQLSelectItems)
public:
    explicit TSQLSelectItems(TnvBaseSyntaxProvider *provider);
    TSQLSelectItem *GetItems(qsizetype index) const
    {
        return static_cast<TSQLSelectItem *>(TastNodeWithList::GetItems(index));
    }
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLSelectItemAllColumns : public TSQLSelectItem {
    NV_DECLARE_AST_CLASS(TSQLSelectItemAllColumns)
public:
    using TSQLSelectItem::TSQLSelectItem;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

// table.* (the alias or object name of the bound source).
class TSQLSelectItemAllTableColumns : public TSQLSelectItem {
    NV_DECLARE_AST_CLASS(TSQLSelectItemAllTableColumns)
public:
    using TSQLSelectItem::TSQLSelectItem;
    TastChild<TSQLDatabaseObject> TableName;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// An alias of a select item: the bare identifier.
class TSQLAliasExpression : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLAliasExpression)
public:
    using TastNode::TastNode;
    TastChild<TastTokenIdentifier> Identifier;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// alias = expression (the alias is written first).
class TSQLAliasEqualsExpression : public TSQLAliasExpression {
    NV_DECLARE_AST_CLASS(TSQLAliasEqualsExpression)
public:
    using TSQLAliasExpression::TSQLAliasExpression;
};

class TSQLAliasExpressionAlias : public TSQLAliasExpression {
    NV_DECLARE_AST_CLASS(TSQLAliasExpressionAlias)
public:
    using TSQLAliasExpression::TSQLAliasExpression;
};

class TSQLAliasExpressionAsAlias : public TSQLAliasExpression {
    NV_DECLARE_AST_CLASS(TSQLAliasExpressionAsAlias)
public:
    using TSQLAliasExpression::TSQLAliasExpression;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLSelectItemExpression : public TSQLSelectItem {
    NV_DECLARE_AST_CLASS(TSQLSelectItemExpression)
public:
    using TSQLSelectItem::TSQLSelectItem;
    TastChild<TSQLAliasExpression> Alias;
    TastChild<TSQLExpressionItem> Expression;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

} // namespace nvqb
