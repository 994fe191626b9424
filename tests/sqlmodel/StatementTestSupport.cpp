#include "StatementTestSupport.h"

namespace nvqb::test {

TOwned<TastTokenIdentifier> Id(TnvBaseSyntaxProvider *p, const QString &text)
{
    return Create<TastTokenIdentifier>(p, text, false);
}

TOwned<TSQLExpressionColumn> Col(TnvBaseSyntaxProvider *p, const QString &text, TSQLFromSource *source)
{
    TOwned<TSQLExpressionColumn> column = Create<TSQLExpressionColumn>(p);
    column->Column.reset(Name<TSQLObjectColumn>(p, text));
    column->Column->SetDatasource(source);
    return column;
}

TOwned<TSQLExpressionConstant> Num(TnvBaseSyntaxProvider *p, const QString &text)
{
    TOwned<TSQLExpressionConstant> constant = Create<TSQLExpressionConstant>(p);
    constant->AddNumber(text);
    return constant;
}

TOwned<TSQLExpressionConstant> Str(TnvBaseSyntaxProvider *p, const QString &text)
{
    TOwned<TSQLExpressionConstant> constant = Create<TSQLExpressionConstant>(p);
    constant->AddString(QStringLiteral("'") + text + QStringLiteral("'"));
    return constant;
}

TOwned<TSQLExpressionOperatorBinary> Bin(TnvBaseSyntaxProvider *p, TOwned<TSQLExpressionItem> left, const QString &op,
                                         TOwned<TSQLExpressionItem> right)
{
    return Create<TSQLExpressionOperatorBinary>(p, std::move(left), op, std::move(right));
}

TOwned<TSQLExpressionOperatorBinary> Eq(TnvBaseSyntaxProvider *p, const QString &left, const QString &right)
{
    return Bin(p, Col(p, left), QStringLiteral("="), Col(p, right));
}

TOwned<TSQLExpressionBrackets> Brackets(TnvBaseSyntaxProvider *p, TOwned<TSQLExpressionItem> inner)
{
    return Create<TSQLExpressionBrackets>(p, std::move(inner));
}

TOwned<TSQLFromObject> Obj(TnvBaseSyntaxProvider *p, const QString &name, const QString &alias)
{
    return p->CreateSQLFromObject(name, alias);
}

TOwned<TSQLSelectItemExpression> Item(TOwned<TSQLExpressionItem> expression, TOwned<TSQLAliasExpression> alias)
{
    TOwned<TSQLSelectItemExpression> item = Create<TSQLSelectItemExpression>(expression->SyntaxProvider());
    item->Expression.reset(std::move(expression));
    item->Alias.reset(std::move(alias));
    return item;
}

TOwned<TSQLSubQuerySelectExpression> Block(TnvBaseSyntaxProvider *p, const QStringList &columns, const QString &table)
{
    TOwned<TSQLSubQuerySelectExpression> block = Create<TSQLSubQuerySelectExpression>(p);
    block->SelectItems.reset(Create<TSQLSelectItems>(p));
    for (const QString &column : columns)
        block->SelectItems->Add(Item(Col(p, column)));
    if (!table.isEmpty()) {
        block->FromClause.reset(Create<TSQLFromClause>(p));
        block->FromClause->Add(Obj(p, table));
    }
    return block;
}

TOwned<TSQLSelectStatement> Statement(TnvBaseSyntaxProvider *p, TOwned<TSQLSubQueryExpression> operand)
{
    TOwned<TSQLSelectStatement> statement = Create<TSQLSelectStatement>(p);
    statement->Add(std::move(operand));
    return statement;
}

QString Fast(const TastNode *node, TnvIdentQuotation quotation)
{
    return node->SimpleSQL(quotation, opsSkipNone, nullptr, nullptr);
}

QString Formatted(const TastNode *node, TSQLBuilder &builder)
{
    builder.BeginBuild();
    node->BuildSQL(&builder, builder.MainQueryFormat());
    builder.EndBuild();
    QString text = builder.ResultSQL();
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString Formatted(const TastNode *node)
{
    TSQLBuilder builder;
    return Formatted(node, builder);
}

} // namespace nvqb::test
