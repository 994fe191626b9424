#pragma once
// What the SQL-92 grammar files share: the look-ahead gates (the token kinds
// that can start a construct) and the small node makers of the build pass.
#include "sql92/SQL92Parser.h"
#include "sql92/SQL92Tokens.h"

#include <QString>

namespace nvqb {

class TnvBaseSyntaxProvider;

namespace SQL92::gates {

constexpr TnvGate Union(const TnvGate &a, const TnvGate &b)
{
    TnvGate result;
    for (int kind = 0; kind < TnvGate::Size; ++kind)
        if (a.Contains(kind) || b.Contains(kind))
            result.Include(kind);
    return result;
}

constexpr TnvGate KeywordAsIdentifier{_AVG, _MAX, _MIN, _SUM, _COUNT, _TRUE, _FALSE};
constexpr TnvGate Identifier = Union(TnvGate{_NonQuotedIdentifier, _QuotedIdentifier}, KeywordAsIdentifier);
constexpr TnvGate NonQuoted{_NonQuotedIdentifier};
constexpr TnvGate Quoted{_QuotedIdentifier};
constexpr TnvGate Aggregate{_AVG, _MAX, _MIN, _SUM, _COUNT};
constexpr TnvGate AggregateWithArgument{_AVG, _MAX, _MIN, _SUM};
constexpr TnvGate Count{_COUNT};
// The standard functions whose names are keywords, each called in a form of
// its own.
constexpr TnvGate OneArgumentFunction{_UPPER, _LOWER, _CHARLENGTH, _CHARACTERLENGTH, _OCTETLENGTH, _BITLENGTH};
constexpr TnvGate KeywordFunction =
    Union(OneArgumentFunction, TnvGate{_SUBSTRING, _COALESCE, _NULLIF, _TRIM, _POSITION, _EXTRACT});
// An SQL function starts like a name, or with a keyword function's name, but
// never with an aggregate's word: those always start an aggregate.
constexpr TnvGate FunctionStart = Union(TnvGate{_NonQuotedIdentifier, _QuotedIdentifier, _TRUE, _FALSE}, KeywordFunction);
constexpr TnvGate Constant{_integer,      _Real,          _NULL,         _ASCIIStringLiteral, _HexLiteral,
                           _ODBCDateTime, _CURRENTTIMESTAMP, _CURRENTUSER, _SESSIONUSER,        _SYSTEMUSER,
                           _CURRENTDATE,  _CURRENTTIME,    _USER};
constexpr TnvGate PrefixOperator{_MINUS, _PLUS, _TILDE};
constexpr TnvGate ExpressionStart =
    Union(Union(Union(Constant, Identifier), PrefixOperator),
          Union(KeywordFunction, TnvGate{_LPAREN, _CASE, _CAST, _QUESTION, _COLON}));
constexpr TnvGate LogicalStart = Union(ExpressionStart, TnvGate{_NOT, _EXISTS});
constexpr TnvGate Comparison{_EQUAL,        _NOTEQUAL, _BANGEQUAL, _LESSEQUAL, _NOTGREATER,
                             _LESS,         _GREATEREQUAL, _NOTLESS, _GREATER};
// What may follow a criterion written without its left side.
constexpr TnvGate CriterionStart = Union(Comparison, TnvGate{_IS, _LIKE, _NOT, _BETWEEN, _IN});
constexpr TnvGate SetQuantifier{_ALL, _SOME, _ANYTOKEN};
constexpr TnvGate SelectStart{_SELECT};
constexpr TnvGate QueryStart{_SELECT, _LPAREN};
constexpr TnvGate LParen{_LPAREN};
constexpr TnvGate RParen{_RPAREN};
constexpr TnvGate Comma{_COMMA};
constexpr TnvGate Dot{_DOT};
constexpr TnvGate SelectItemStart = Union(ExpressionStart, TnvGate{_STAR});
constexpr TnvGate JoinStart{_COMMA, _CROSS, _INNER, _LEFT, _RIGHT, _FULL, _JOIN};
constexpr TnvGate SourceStart = Union(FunctionStart, TnvGate{_LPAREN, _AVG, _MAX, _MIN, _SUM, _COUNT});
constexpr TnvGate AliasStart = Union(Identifier, TnvGate{_AS});
constexpr TnvGate Star{_STAR};
constexpr TnvGate None{};

} // namespace SQL92::gates

namespace SQL92 {

// The rules whose first pass is shared between the routes that reach them at
// the same token (grammar::Memo): those that follow an opening bracket,
// where a condition, an expression and a sub-query may all start.
namespace memo {
enum : int { Expression, ExpressionLogical, SubSelectStatement, QueryExpression };
} // namespace memo

// An identifier token as the tree keeps it: a quoted identifier without its
// quotes, a doubled quote inside it read as one, and flagged case sensitive.
TOwned<TastTokenIdentifier> MakeIdentifier(TnvBaseSyntaxProvider *provider, const TnvToken &token);
// A string literal used as a name (an alias): its content, flagged.
TOwned<TastTokenIdentifier> MakeIdentifierFromString(TnvBaseSyntaxProvider *provider, const TnvToken &token);

} // namespace SQL92

} // namespace nvqb

// Instantiates a rule for both passes; the rules call each other across the
// grammar files.
#define NVQB_SQL92_RULE(Result, Rule, ...)                                                          \
    template SQL92Parser::N<TnvWayPass, Result> SQL92Parser::Rule<TnvWayPass>(TnvWayPass & __VA_OPT__(, ) __VA_ARGS__); \
    template SQL92Parser::N<TnvBuildPass, Result> SQL92Parser::Rule<TnvBuildPass>(TnvBuildPass & __VA_OPT__(, ) __VA_ARGS__);
#define NVQB_SQL92_VOID_RULE(Rule, ...)                                                             \
    template void SQL92Parser::Rule<TnvWayPass>(TnvWayPass & __VA_OPT__(, ) __VA_ARGS__);          \
    template void SQL92Parser::Rule<TnvBuildPass>(TnvBuildPass & __VA_OPT__(, ) __VA_ARGS__);
