#pragma once
// Hand-built trees for the statement, expression and FROM tests, and printers
// for the one-line builder and the default (formatted) builder.
#include "AstTestSupport.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <string>

namespace nvqb::test {

// Texts compared as standard strings, so a failure shows them readably.
inline std::string ToStd(const QString &text) { return text.toStdString(); }
inline std::string ToStd(const char *text) { return text; }
inline std::string ToStd(const QStringList &list) { return list.join(QStringLiteral(" | ")).toStdString(); }
template <class I, class = std::enable_if_t<std::is_integral_v<I>>> std::string ToStd(I value) { return std::to_string(value); }
#define EXPECT_SQL(actual, expected) EXPECT_EQ(::nvqb::test::ToStd(actual), ::nvqb::test::ToStd(expected))

// A name from dotted text ("db.dbo.Orders"), of class T.
template <class T = TSQLQualifiedName> TOwned<T> Name(TnvBaseSyntaxProvider *p, const QString &text)
{
    TOwned<T> name = Create<T>(p);
    for (const QString &part : text.split(u'.'))
        name->AddName(part, false);
    return name;
}

TOwned<TastTokenIdentifier> Id(TnvBaseSyntaxProvider *p, const QString &text);
// A column expression; bound to Source when given (then Text is the column's own name).
TOwned<TSQLExpressionColumn> Col(TnvBaseSyntaxProvider *p, const QString &text, TSQLFromSource *source = nullptr);
TOwned<TSQLExpressionConstant> Num(TnvBaseSyntaxProvider *p, const QString &text);
TOwned<TSQLExpressionConstant> Str(TnvBaseSyntaxProvider *p, const QString &text);
TOwned<TSQLExpressionOperatorBinary> Bin(TnvBaseSyntaxProvider *p, TOwned<TSQLExpressionItem> left, const QString &op,
                                         TOwned<TSQLExpressionItem> right);
// left = right between two columns.
TOwned<TSQLExpressionOperatorBinary> Eq(TnvBaseSyntaxProvider *p, const QString &left, const QString &right);
template <class T> TOwned<T> Logical(TnvBaseSyntaxProvider *p, std::initializer_list<TSQLExpressionItem *> operands)
{
    TOwned<T> node = Create<T>(p);
    for (TSQLExpressionItem *operand : operands)
        node->Add(TOwned<TastNodeBase>(operand));
    return node;
}
TOwned<TSQLExpressionBrackets> Brackets(TnvBaseSyntaxProvider *p, TOwned<TSQLExpressionItem> inner);

// A FROM object with an optional alias (made by the provider).
TOwned<TSQLFromObject> Obj(TnvBaseSyntaxProvider *p, const QString &name, const QString &alias = QString());
template <class J> TOwned<J> Join(TnvBaseSyntaxProvider *p) { return Create<J>(p); }

TOwned<TSQLSelectItemExpression> Item(TOwned<TSQLExpressionItem> expression, TOwned<TSQLAliasExpression> alias = nullptr);
template <class A> TOwned<A> Alias(TnvBaseSyntaxProvider *p, const QString &text)
{
    TOwned<A> alias = Create<A>(p);
    alias->Identifier.reset(Id(p, text));
    return alias;
}
// Select <columns> From <table>: the smallest block, columns given as names.
TOwned<TSQLSubQuerySelectExpression> Block(TnvBaseSyntaxProvider *p, const QStringList &columns, const QString &table);
TOwned<TSQLSelectStatement> Statement(TnvBaseSyntaxProvider *p, TOwned<TSQLSubQueryExpression> operand);

// Printed by the shared one-line builder.
QString Fast(const TastNode *node, TnvIdentQuotation quotation = icIfNeed);
// Printed by a default builder; its CR LF new lines shown as "\n".
QString Formatted(const TastNode *node);
QString Formatted(const TastNode *node, TSQLBuilder &builder);

} // namespace nvqb::test
