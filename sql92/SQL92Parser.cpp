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

const int SQL92Parser::LParenKind = SQL92::_LPAREN;

void SQL92Parser::FillBracketFacts()
{
    using namespace SQL92;
    static constexpr TnvTokenSet conditionWords{_EQUAL,   _NOTEQUAL, _BANGEQUAL, _LESSEQUAL, _NOTGREATER, _LESS,
                                                _GREATEREQUAL, _NOTLESS, _GREATER, _AND,   _OR,         _NOT,
                                                _IS,      _LIKE,     _BETWEEN,   _IN,       _EXISTS};
    const int count = Scanner()->GetCount();
    FBracketFacts.assign(size_t(count) + 1, 0);
    // From the end: a run of brackets leads to SELECT when the first token
    // after it is SELECT.
    for (int i = count - 1; i >= 0; --i) {
        if (KindAt(i) != _LPAREN)
            continue;
        const int next = KindAt(i + 1);
        if (next == _SELECT || (next == _LPAREN && (FBracketFacts[size_t(i + 1)] & LeadsToSelect)))
            FBracketFacts[size_t(i)] = LeadsToSelect;
    }
    // Then each bracket pair, innermost first, with what lies directly in it.
    struct Open {
        int Index;
        bool Condition = false;
        bool Case = false;
        // The end of an inner pair that starts right after this bracket, and
        // whether that pair is no operand.
        int FirstInnerEnd = -1;
        bool FirstInnerNoOperand = false;
    };
    std::vector<Open> open;
    for (int i = 0; i < count; ++i) {
        const int kind = KindAt(i);
        if (kind == _LPAREN) {
            open.push_back(Open{i});
            continue;
        }
        if (open.empty())
            continue;
        Open &top = open.back();
        if (kind != _RPAREN) {
            if (kind == _CASE)
                top.Case = true;
            else if (conditionWords.Contains(kind))
                top.Condition = true;
            continue;
        }
        const Open closed = top;
        open.pop_back();
        quint8 &facts = FBracketFacts[size_t(closed.Index)];
        const bool single = closed.FirstInnerEnd == i - 1 && closed.FirstInnerEnd >= 0;
        if (!(facts & LeadsToSelect) &&
            ((closed.Condition && !closed.Case) || (single && closed.FirstInnerNoOperand)))
            facts |= OpensNoOperand;
        if (!open.empty() && open.back().Index == closed.Index - 1) {
            open.back().FirstInnerEnd = i;
            open.back().FirstInnerNoOperand = facts & OpensNoOperand;
        }
    }
}

void SQL92Parser::ClearDialectTables() { std::vector<quint8>().swap(FBracketFacts); }

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
