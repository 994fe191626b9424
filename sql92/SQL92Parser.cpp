#include "sql92/SQL92Parser.h"
#include "sql92/SQL92GrammarSupport.h"
#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(SQL92Parser, TnvBaseParser)

namespace SQL92 {

namespace {
// The text between the first and the last character, each doubled quote
// read as one.
QString Unquoted(const QString &text, QChar quote)
{
    QString inner = text.mid(1, text.size() - 2);
    const QString doubled(2, quote);
    if (inner.contains(doubled))
        inner.replace(doubled, QString(quote));
    return inner;
}
} // namespace

TOwned<TastTokenIdentifier> MakeIdentifier(TnvBaseSyntaxProvider *provider, const TnvToken &token)
{
    if (token.Kind == _QuotedIdentifier)
        return Create<TastTokenIdentifier>(provider, Unquoted(token.Text, u'"'), true);
    return Create<TastTokenIdentifier>(provider, token.Text, false);
}

TOwned<TastTokenIdentifier> MakeIdentifierFromString(TnvBaseSyntaxProvider *provider, const TnvToken &token)
{
    return Create<TastTokenIdentifier>(provider, Unquoted(token.Text, u'\''), true);
}

} // namespace SQL92

// The entries: each runs its start production in the pass it is given.
#define NVQB_SQL92_ENTRY(Entry, Result, Rule)                                                       \
    void SQL92Parser::Entry##WayCalc(TnvWayPointsList &list)                                       \
    {                                                                                              \
        TnvWayPass pass{*this, &list};                                                             \
        Rule(pass);                                                                                \
    }                                                                                              \
    TOwned<Result> SQL92Parser::Entry()                                                            \
    {                                                                                              \
        TnvBuildPass pass{*this};                                                                  \
        return Rule(pass);                                                                         \
    }

NVQB_SQL92_ENTRY(ParseSelect, TSQLSelectStatement, SelectStatement)
NVQB_SQL92_ENTRY(ParseObjectName, TSQLDatabaseObject, DbObject)
NVQB_SQL92_ENTRY(ParseExpression, TSQLExpressionItem, Expression)
NVQB_SQL92_ENTRY(ParseSelectItem, TSQLSelectItem, SelectItem)
NVQB_SQL92_ENTRY(ParseLogicalExpression, TSQLExpressionItem, ExpressionLogical)
NVQB_SQL92_ENTRY(ParseFromSource, TSQLFromSource, SubTableSource)
NVQB_SQL92_ENTRY(ParseIdentifier, TastTokenIdentifier, Identifier)

#undef NVQB_SQL92_ENTRY

} // namespace nvqb
