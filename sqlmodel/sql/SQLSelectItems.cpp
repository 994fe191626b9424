#include "sqlmodel/sql/SQLSelectItems.h"

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TSQLSelectItem, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLSelectItems, TastNodeWithList)
NV_IMPLEMENT_AST_CLASS(TSQLSelectItemAllColumns, TSQLSelectItem)
NV_IMPLEMENT_AST_CLASS(TSQLSelectItemAllTableColumns, TSQLSelectItem)
NV_IMPLEMENT_AST_CLASS(TSQLAliasExpression, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLAliasEqualsExpression, TSQLAliasExpression)
NV_IMPLEMENT_AST_CLASS(TSQLAliasExpressionAlias, TSQLAliasExpression)
NV_IMPLEMENT_AST_CLASS(TSQLAliasExpressionAsAlias, TSQLAliasExpression)
NV_IMPLEMENT_AST_CLASS(TSQLSelectItemExpression, TSQLSelectItem)

TSQLSelectItems::TSQLSelectItems(TnvBaseSyntaxProvider *provider)
    : TastNodeWithList(provider, TSQLSelectItem::StaticClassType())
{
}

void TSQLSelectItems::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildCommaSeparated(this, builder, format);
}

void TSQLSelectItemAllColumns::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteSymbol(QStringLiteral("*"));
}

void TSQLSelectItemAllTableColumns::GetASTFields(TastFieldsList &list)
{
    TSQLSelectItem::GetASTFields(list);
    list.Add(TableName, TSQLSelectItemAllTableColumns::StaticClassType());
}

void TSQLSelectItemAllTableColumns::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(TableName.get(), builder, format, false);
    builder->WriteSymbol(QStringLiteral(".*"));
}

void TSQLAliasExpression::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(Identifier, TSQLAliasExpression::StaticClassType());
}

void TSQLAliasExpression::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Identifier.get(), builder, format, false);
}

void TSQLAliasExpressionAsAlias::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("As"));
    builder->Space(3);
    BuildASTField(Identifier.get(), builder, format, false);
}

void TSQLSelectItemExpression::GetASTFields(TastFieldsList &list)
{
    TSQLSelectItem::GetASTFields(list);
    list.Add(Alias, TSQLSelectItemExpression::StaticClassType());
    list.Add(Expression, TSQLSelectItemExpression::StaticClassType());
}

void TSQLSelectItemExpression::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    if (Alias && Alias->Is<TSQLAliasEqualsExpression>()) {
        BuildASTField(Alias.get(), builder, format, false);
        builder->Space(3);
        builder->WriteSymbol(QStringLiteral("="));
        builder->Space(3);
        BuildASTField(Expression.get(), builder, format, false);
        return;
    }
    BuildASTField(Expression.get(), builder, format, false);
    if (Alias) {
        builder->Space(3);
        BuildASTField(Alias.get(), builder, format, false);
    }
}

} // namespace nvqb
