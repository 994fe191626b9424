// Expressions: conditions with their predicates, arithmetic, terms,
// constants, aggregates, functions, CASE and CAST.
#include "sql92/SQL92GrammarSupport.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <algorithm>

namespace nvqb {

using namespace SQL92;
namespace g = grammar;

namespace {

// Gathers the operands of an AND or OR chain: one operand stands alone,
// several go into one node of the chain's class in order. The first is kept
// apart, so that the common single operand costs no list.
template <class Collection, class Node>
TOwned<TSQLExpressionItem> Chain(TnvBaseSyntaxProvider *provider, Node first, std::vector<Node> &more)
{
    if (more.empty())
        return first;
    TOwned<Collection> collection = Create<Collection>(provider);
    collection->Add(std::move(first));
    for (Node &operand : more)
        collection->Add(std::move(operand));
    return collection;
}

// Whether the tokens after `w` are a dotted name of at most `prefixes` + 1
// parts and an opening bracket: the only paths a function call can go on.
bool NameThenBracket(const TnvBaseParser &p, const TnvWayPoint *w, int prefixes)
{
    int index = w->TokenIndex() + 1;
    for (int part = 0; part <= prefixes; ++part, index += 2) {
        if (!gates::Identifier.Contains(p.KindAt(index)))
            return false;
        const int next = p.KindAt(index + 1);
        if (next == _LPAREN)
            return true;
        if (next != _DOT)
            return false;
    }
    return false;
}

} // namespace

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::ExpressionLogical(P &p)
{
    static constexpr TnvGate orWord{_OR};
    std::conditional_t<P::Building, std::vector<TOwned<TSQLExpressionItem>>, TnvNoNode> more;
    N<P, TSQLExpressionItem> first;
    // Kept at once before brackets that lead to a sub-query: the routes
    // through them come back here. Other brackets are read once.
    auto eagerAt = [&](int next) { return BracketsLeadToSelect(next); };
    g::MemoWhen(p, memo::ExpressionLogical, eagerAt, [&] {
        first = ExpressionAnd(p);
        g::Rep(p, &orWord, nullptr, [&] {
            g::Tok(p, _OR);
            auto next = ExpressionAnd(p);
            if constexpr (P::Building)
                more.push_back(std::move(next));
        });
    });
    if constexpr (P::Building)
        return Chain<TSQLExpressionOr>(SyntaxProvider(), std::move(first), more);
    else
        return {};
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::ExpressionAnd(P &p)
{
    static constexpr TnvGate andWord{_AND};
    std::conditional_t<P::Building, std::vector<TOwned<TSQLExpressionItem>>, TnvNoNode> more;
    auto first = ExpressionNot(p);
    g::Rep(p, &andWord, nullptr, [&] {
        g::Tok(p, _AND);
        auto next = ExpressionNot(p);
        if constexpr (P::Building)
            more.push_back(std::move(next));
    });
    if constexpr (P::Building)
        return Chain<TSQLExpressionAnd>(SyntaxProvider(), std::move(first), more);
    else
        return {};
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::ExpressionNot(P &p)
{
    static constexpr TnvGate notWord{_NOT};
    N<P, TSQLExpressionItem> result;
    auto negation = [&] {
        g::Tok(p, _NOT);
        g::Nest nest(p);
        auto operand = ExpressionNot(p);
        if constexpr (P::Building)
            result = Create<TSQLExpressionNot>(SyntaxProvider(), std::move(operand));
    };
    auto term = [&] { result = ExpressionLogicalTerm(p); };
    g::Alt(p, {&notWord, nullptr}, negation, term);
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::ExpressionLogicalTerm(P &p)
{
    static constexpr TnvGate exists{_EXISTS};
    N<P, TSQLExpressionItem> result;
    auto bracketed = [&] {
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        auto inner = ExpressionLogical(p);
        g::Tok(p, _RPAREN);
        if constexpr (P::Building)
            result = Create<TSQLExpressionBrackets>(SyntaxProvider(), std::move(inner));
    };
    auto predicate = [&] {
        if constexpr (!P::Building) {
            // A bracket that can be no operand cannot start a predicate's
            // left side. The bracketed branch before has read whatever this
            // branch would read inside it, at the same nesting, so dropping
            // these paths here changes neither the result nor the error.
            p.List->Filter([&](TnvWayPoint *w) { return !BracketOpensNoOperand(w->TokenIndex() + 1); });
        }
        result = Predicate(p);
    };
    auto existsQuery = [&] {
        g::Tok(p, _EXISTS);
        g::Tok(p, _LPAREN);
        auto query = SubSelectStatement(p);
        g::Tok(p, _RPAREN);
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionExists>(SyntaxProvider());
            node->SubQuery.reset(std::move(query));
            result = std::move(node);
        }
    };
    g::Alt(p, {&gates::LParen, nullptr, &exists}, bracketed, predicate, existsQuery);
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::Predicate(P &p)
{
    static constexpr TnvGate equal{_EQUAL}, is{_IS}, notOrLike{_NOT, _LIKE}, notOrBetween{_NOT, _BETWEEN},
        notOrIn{_NOT, _IN}, notWord{_NOT}, null{_NULL}, like{_LIKE}, escape{_ESCAPE}, between{_BETWEEN}, in{_IN};
    static constexpr int truths[] = {_TRUE, _FALSE};
    static constexpr int comparisons[] = {_EQUAL, _NOTEQUAL, _BANGEQUAL, _LESSEQUAL, _NOTGREATER,
                                          _LESS,  _GREATEREQUAL, _NOTLESS, _GREATER};
    static constexpr int quantifiers[] = {_ALL, _SOME, _ANYTOKEN};
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    const bool criterion = !LogicalOption();

    // The left operand; a criterion of a select-list row may go without it.
    N<P, TSQLExpressionItem> left;
    g::Alt(
        p, {criterion ? &gates::CriterionStart : &gates::None, nullptr}, [] {}, [&] { left = Expression(p); });

    N<P, TSQLExpressionItem> result;
    auto truthValue = [&] {
        g::Tok(p, _EQUAL);
        const TnvToken *word = g::OneOf(p, truths);
        if constexpr (P::Building) {
            auto constant = Create<TSQLExpressionConstant>(provider);
            constant->AddKeyword(word->Kind == _TRUE ? QStringLiteral("True") : QStringLiteral("False"));
            result = Create<TSQLExpressionOperatorBinary>(provider, std::move(left), QStringLiteral("="),
                                                          std::move(constant));
        }
    };
    auto comparison = [&] {
        const TnvToken *op = g::OneOf(p, comparisons);
        auto value = [&] {
            auto right = Expression(p);
            if constexpr (P::Building)
                result = Create<TSQLExpressionOperatorBinary>(provider, std::move(left), op->Text, std::move(right));
        };
        auto withSet = [&] {
            const TnvToken *quantifier = g::OneOf(p, quantifiers);
            g::Tok(p, _LPAREN);
            auto query = SubSelectStatement(p);
            g::Tok(p, _RPAREN);
            if constexpr (P::Building) {
                auto node = Create<TSQLExpressionCompWithSubQuery>(provider, std::move(left), op->Text);
                node->SetQuantifier = quantifier->Kind == _ALL ? cwsAll : quantifier->Kind == _SOME ? cwsSome : cwsAny;
                node->SubQuery.reset(std::move(query));
                result = std::move(node);
            }
        };
        g::Alt(p, {&gates::ExpressionStart, &gates::SetQuantifier}, value, withSet);
    };
    auto isNull = [&] {
        g::Tok(p, _IS);
        const bool negated = g::Opt(p, &notWord, &null, [&] { g::Tok(p, _NOT); });
        g::Tok(p, _NULL);
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionIsNull>(provider, std::move(left));
            node->Negated = negated;
            result = std::move(node);
        }
    };
    auto likeTemplate = [&] {
        const bool negated = g::Opt(p, &notWord, &like, [&] { g::Tok(p, _NOT); });
        g::Tok(p, _LIKE);
        auto pattern = Expression(p);
        N<P, TSQLExpressionItem> escapeValue;
        g::Opt(p, &escape, nullptr, [&] {
            g::Tok(p, _ESCAPE);
            escapeValue = Expression(p);
        });
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionLikeTemplate>(provider, std::move(left));
            node->Keyword = QStringLiteral("Like");
            node->Negated = negated;
            node->Pattern.reset(std::move(pattern));
            node->Escape.reset(std::move(escapeValue));
            result = std::move(node);
        }
    };
    auto betweenRange = [&] {
        const bool negated = g::Opt(p, &notWord, &between, [&] { g::Tok(p, _NOT); });
        g::Tok(p, _BETWEEN);
        auto low = Expression(p);
        g::Tok(p, _AND);
        auto high = Expression(p);
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionBetween>(provider, std::move(left));
            node->Negated = negated;
            node->Low.reset(std::move(low));
            node->High.reset(std::move(high));
            result = std::move(node);
        }
    };
    auto inSet = [&] {
        const bool negated = g::Opt(p, &notWord, &in, [&] { g::Tok(p, _NOT); });
        g::Tok(p, _IN);
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        auto query = [&] {
            auto subQuery = SubSelectStatement(p);
            if constexpr (P::Building) {
                auto node = Create<TSQLExpressionInSubQuery>(provider, std::move(left));
                node->Negated = negated;
                node->SubQuery.reset(std::move(subQuery));
                result = std::move(node);
            }
        };
        auto values = [&] {
            auto list = ExpressionsList(p);
            if constexpr (P::Building) {
                auto node = Create<TSQLExpressionInSet>(provider, std::move(left));
                node->Negated = negated;
                node->Values.reset(std::move(list));
                result = std::move(node);
            }
        };
        g::Alt(p, {&gates::QueryStart, &gates::ExpressionStart}, query, values);
        g::Tok(p, _RPAREN);
    };
    g::Alt(p, {criterion ? &equal : &gates::None, &gates::Comparison, &is, &notOrLike, &notOrBetween, &notOrIn},
           truthValue, comparison, isNull, likeTemplate, betweenRange, inSet);
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::Expression(P &p)
{
    static constexpr TnvGate additive{_PLUS, _MINUS, _CONCAT};
    static constexpr int operators[] = {_PLUS, _MINUS, _CONCAT};
    N<P, TSQLExpressionItem> result;
    g::Memo(p, memo::Expression, &gates::LParen, [&] {
        result = ExpressionFactor(p);
        g::Rep(p, &additive, nullptr, [&] {
            const TnvToken *op = g::OneOf(p, operators);
            auto right = ExpressionFactor(p);
            if constexpr (P::Building)
                result = Create<TSQLExpressionOperatorBinary>(SyntaxProvider(), std::move(result),
                                                              Create<TSQLOperator>(SyntaxProvider(), op->Text),
                                                              std::move(right));
        });
    });
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::ExpressionFactor(P &p)
{
    static constexpr TnvGate multiplicative{_STAR, _SLASH, _PERCENT};
    static constexpr int operators[] = {_STAR, _SLASH, _PERCENT};
    N<P, TSQLExpressionItem> result = ExpressionUnary(p);
    g::Rep(p, &multiplicative, nullptr, [&] {
        const TnvToken *op = g::OneOf(p, operators);
        auto right = ExpressionUnary(p);
        if constexpr (P::Building)
            result = Create<TSQLExpressionOperatorBinary>(SyntaxProvider(), std::move(result),
                                                          Create<TSQLOperator>(SyntaxProvider(), op->Text),
                                                          std::move(right));
    });
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::ExpressionUnary(P &p)
{
    static constexpr int operators[] = {_MINUS, _PLUS, _TILDE};
    N<P, TSQLExpressionItem> result;
    auto prefixed = [&] {
        const TnvToken *op = g::OneOf(p, operators);
        g::Nest nest(p);
        auto operand = ExpressionUnary(p);
        if constexpr (P::Building)
            result = Create<TSQLExpressionOperatorPrefix>(SyntaxProvider(), std::move(operand),
                                                          Create<TSQLOperator>(SyntaxProvider(), op->Text));
    };
    auto term = [&] { result = ExpressionTerm(p); };
    g::Alt(p, {&gates::PrefixOperator, nullptr}, prefixed, term);
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::ExpressionTerm(P &p)
{
    static constexpr TnvGate case_{_CASE}, cast{_CAST}, question{_QUESTION}, colon{_COLON},
        integer{_integer};
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    N<P, TSQLExpressionItem> result;
    auto bracketed = [&] {
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        auto inner = Expression(p);
        g::Tok(p, _RPAREN);
        if constexpr (P::Building)
            result = Create<TSQLExpressionBrackets>(provider, std::move(inner));
    };
    auto constant = [&] { result = Constant(p); };
    auto column = [&] {
        auto name = DbColumn(p);
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionColumn>(provider);
            node->Column.reset(std::move(name));
            result = std::move(node);
        }
    };
    auto aggregate = [&] { result = AggregateFunction(p); };
    auto function = [&] {
        auto call = SQLFunction(p);
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionFunction>(provider);
            node->Function.reset(std::move(call));
            result = std::move(node);
        }
    };
    auto subQuery = [&] {
        if constexpr (!P::Building) {
            // Only brackets that lead to SELECT can open a sub-query; the
            // bracketed branch before has read the same brackets at the same
            // nesting, so the paths dropped here would have died unseen.
            p.List->Filter([&](TnvWayPoint *w) { return BracketsLeadToSelect(w->TokenIndex() + 1); });
        }
        g::Tok(p, _LPAREN);
        auto query = SubSelectStatement(p);
        g::Tok(p, _RPAREN);
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionSelect>(provider);
            node->SubQuery.reset(std::move(query));
            result = std::move(node);
        }
    };
    auto caseFunction = [&] { result = CaseFunction(p); };
    auto castFunction = [&] { result = CastFunction(p); };
    auto positional = [&] {
        const TnvToken *mark = g::Tok(p, _QUESTION);
        const TnvToken *number = nullptr;
        g::Opt(p, &integer, nullptr, [&] { number = g::Tok(p, _integer); });
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionParameter>(provider);
            node->Prefix.reset(Create<TastTokenSymbol>(provider, mark->Text));
            if (number)
                node->Name.reset(Create<TastTokenNumber>(provider, number->Text));
            result = std::move(node);
        }
    };
    auto named = [&] {
        const TnvToken *mark = g::Tok(p, _COLON);
        N<P, TastNode> name;
        g::Alt(
            p, {&gates::Identifier, &integer}, [&] { name = Identifier(p); },
            [&] {
                const TnvToken *number = g::Tok(p, _integer);
                if constexpr (P::Building)
                    name = Create<TastTokenNumber>(provider, number->Text);
            });
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionParameter>(provider);
            node->Prefix.reset(Create<TastTokenSymbol>(provider, mark->Text));
            node->Name.reset(std::move(name));
            result = std::move(node);
        }
    };
    g::Alt(p,
           {&gates::LParen, &gates::Constant, &gates::Identifier, &gates::Aggregate, &gates::FunctionStart,
            &gates::LParen, &case_, &cast, &question, &colon},
           bracketed, constant, column, aggregate, function, subQuery, caseFunction, castFunction, positional, named);
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::Constant(P &p)
{
    static constexpr int kinds[] = {_integer,     _Real,         _NULL,           _ASCIIStringLiteral,
                                    _HexLiteral,  _ODBCDateTime, _CURRENTTIMESTAMP, _CURRENTUSER,
                                    _SESSIONUSER, _SYSTEMUSER,   _CURRENTDATE,    _CURRENTTIME,
                                    _USER};
    const TnvToken *token = g::OneOf(p, kinds);
    N<P, TSQLExpressionItem> result;
    if constexpr (P::Building) {
        auto constant = Create<TSQLExpressionConstant>(SyntaxProvider());
        switch (token->Kind) {
        case _integer:
        case _Real:
        case _HexLiteral:
            constant->AddNumber(token->Text);
            break;
        case _ASCIIStringLiteral:
        case _ODBCDateTime:
            constant->AddString(token->Text);
            break;
        // Keywords in their fixed spellings, whatever was written.
        case _NULL:
            constant->AddKeyword(QStringLiteral("Null"));
            break;
        case _CURRENTTIMESTAMP:
            constant->AddKeyword(QStringLiteral("Current_TimeStamp"));
            break;
        case _CURRENTUSER:
            constant->AddKeyword(QStringLiteral("Current_User"));
            break;
        case _SESSIONUSER:
            constant->AddKeyword(QStringLiteral("Session_User"));
            break;
        case _CURRENTDATE:
            constant->AddKeyword(QStringLiteral("Current_Date"));
            break;
        case _CURRENTTIME:
            constant->AddKeyword(QStringLiteral("Current_Time"));
            break;
        case _USER:
            constant->AddKeyword(QStringLiteral("User"));
            break;
        default:
            constant->AddKeyword(QStringLiteral("system_user"));
            break;
        }
        result = std::move(constant);
    }
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::AggregateFunction(P &p)
{
    static constexpr TnvGate prefixWord{_ALL, _DISTINCT};
    static constexpr int names[] = {_AVG, _MAX, _MIN, _SUM};
    static constexpr int prefixes[] = {_ALL, _DISTINCT};
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    N<P, TSQLExpressionItem> result;
    const TnvToken *nameToken = nullptr;
    auto nameNode = [&] {
        TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(provider);
        name->AddName(Create<TastTokenIdentifier>(provider, nameToken->Text, false));
        return name;
    };
    // [ ALL / DISTINCT ] expression; ALL is the same as no prefix.
    auto argument = [&] {
        const TnvToken *prefix = nullptr;
        g::Opt(p, &prefixWord, nullptr, [&] { prefix = g::OneOf(p, prefixes); });
        auto value = Expression(p);
        if constexpr (P::Building) {
            auto node = Create<TSQLExpressionAggregate1ParamWPrefix>(provider);
            node->FunctionName.reset(nameNode());
            node->Argument.reset(std::move(value));
            node->ParamPrefix = prefix && prefix->Kind == _DISTINCT ? ppDistinct : ppAll;
            result = std::move(node);
        }
    };
    auto withArgument = [&] {
        nameToken = g::OneOf(p, names);
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        argument();
        g::Tok(p, _RPAREN);
    };
    auto count = [&] {
        nameToken = g::Tok(p, _COUNT);
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        auto allRows = [&] {
            g::Tok(p, _STAR);
            if constexpr (P::Building) {
                auto node = Create<TSQLExpressionAggregate>(provider);
                node->FunctionName.reset(nameNode());
                result = std::move(node);
            }
        };
        g::Alt(p, {&gates::Star, nullptr}, allRows, argument);
        g::Tok(p, _RPAREN);
    };
    g::Alt(p, {&gates::AggregateWithArgument, &gates::Count}, withArgument, count);
    return result;
}

template <class P> SQL92Parser::N<P, TSQLFunction> SQL92Parser::SQLFunction(P &p)
{
    static constexpr TnvGate substring{_SUBSTRING}, forWord{_FOR};
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    N<P, TSQLFunction> result;
    static constexpr int namePrefixes = 3;
    auto call = [&] {
        if constexpr (!P::Building) {
            // Most names are columns or tables, not calls: reading them as a
            // function name first would build every dotted prefix only for
            // the bracket to drop them all. Paths without the bracket go now;
            // when none is left the nesting guard below still counts the
            // level, as it did when those paths died at the bracket.
            p.List->Filter([&](TnvWayPoint *w) { return NameThenBracket(p.Parser, w, namePrefixes); });
            if (p.List->IsEmpty()) {
                g::Nest nest(p);
                return;
            }
        }
        // The name as a plain dotted name: it names no FROM source.
        auto name = DottedName<P, TSQLQualifiedName>(p, namePrefixes);
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        N<P, TSQLFunction> function;
        if constexpr (P::Building) {
            function = Create<TSQLFunction>(provider);
            function->FunctionName.reset(std::move(name));
        }
        g::Opt(p, &gates::ExpressionStart, &gates::RParen, [&] {
            auto first = Expression(p);
            if constexpr (P::Building)
                function->Add(std::move(first));
            g::Rep(p, &gates::Comma, &gates::RParen, [&] {
                g::Tok(p, _COMMA);
                auto next = Expression(p);
                if constexpr (P::Building)
                    function->Add(std::move(next));
            });
        });
        g::Tok(p, _RPAREN);
        result = std::move(function);
    };
    // The keyword as the function's name, as written.
    auto named = [&](TSQLFunction *function, const TnvToken *word) {
        auto functionName = Create<TSQLQualifiedName>(provider);
        functionName->AddName(Create<TastTokenIdentifier>(provider, word->Text, false));
        function->FunctionName.reset(std::move(functionName));
    };
    // keyword ( expression { , expression } ): exactly `more` arguments after
    // the first, or any number of them when `more` is -1.
    auto keywordCall = [&](const TnvToken *word, int more) {
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        N<P, TSQLFunction> function;
        if constexpr (P::Building) {
            function = Create<TSQLFunctionKeyword>(provider);
            named(function.get(), word);
        }
        auto argument = [&] {
            auto value = Expression(p);
            if constexpr (P::Building)
                function->Add(std::move(value));
        };
        argument();
        if (more < 0) {
            g::Rep(p, &gates::Comma, &gates::RParen, [&] {
                g::Tok(p, _COMMA);
                argument();
            });
        }
        for (int i = 0; i < more; ++i) {
            g::Tok(p, _COMMA);
            argument();
        }
        g::Tok(p, _RPAREN);
        result = std::move(function);
    };
    auto oneArgumentCall = [&] {
        static constexpr int names[] = {_UPPER, _LOWER, _CHARLENGTH, _CHARACTERLENGTH, _OCTETLENGTH, _BITLENGTH};
        keywordCall(g::OneOf(p, names), 0);
    };
    auto nullifCall = [&] { keywordCall(g::Tok(p, _NULLIF), 1); };
    auto coalesceCall = [&] { keywordCall(g::Tok(p, _COALESCE), -1); };
    auto trimCall = [&] {
        static constexpr TnvGate sideWord{_LEADING, _TRAILING, _BOTH}, fromWord{_FROMTOKEN};
        static constexpr int sides[] = {_LEADING, _TRAILING, _BOTH};
        const TnvToken *word = g::Tok(p, _TRIM);
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        const TnvToken *side = nullptr;
        bool fromWritten = false;
        N<P, TSQLExpressionItem> character, source;
        auto fromFirst = [&] {
            g::Tok(p, _FROMTOKEN);
            fromWritten = true;
            source = Expression(p);
        };
        // [ LEADING / TRAILING / BOTH ] [ character ] FROM source
        auto withSide = [&] {
            side = g::OneOf(p, sides);
            g::Opt(p, &gates::ExpressionStart, &fromWord, [&] { character = Expression(p); });
            fromFirst();
        };
        // source, or character FROM source
        auto valueFirst = [&] {
            auto first = Expression(p);
            N<P, TSQLExpressionItem> second;
            fromWritten = g::Opt(p, &fromWord, &gates::RParen, [&] {
                g::Tok(p, _FROMTOKEN);
                second = Expression(p);
            });
            if constexpr (P::Building) {
                if (fromWritten) {
                    character = std::move(first);
                    source = std::move(second);
                } else {
                    source = std::move(first);
                }
            }
        };
        g::Alt(p, {&sideWord, &fromWord, &gates::ExpressionStart}, withSide, fromFirst, valueFirst);
        g::Tok(p, _RPAREN);
        if constexpr (P::Building) {
            auto function = Create<TSQLFunctionTrim>(provider);
            named(function.get(), word);
            if (side)
                function->Side = side->Kind == _LEADING    ? ttsLeading
                                 : side->Kind == _TRAILING ? ttsTrailing
                                                           : ttsBoth;
            function->FromWritten = fromWritten;
            if (character)
                function->Add(std::move(character));
            function->Add(std::move(source));
            result = std::move(function);
        }
    };
    auto positionCall = [&] {
        const TnvToken *word = g::Tok(p, _POSITION);
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        auto value = Expression(p);
        g::Tok(p, _IN);
        auto within = Expression(p);
        g::Tok(p, _RPAREN);
        if constexpr (P::Building) {
            auto function = Create<TSQLFunctionPosition>(provider);
            named(function.get(), word);
            function->Add(std::move(value));
            function->Add(std::move(within));
            result = std::move(function);
        }
    };
    auto extractCall = [&] {
        // In the order of TSQLDatetimeField.
        static constexpr int fields[] = {_YEAR,   _MONTH,  _DAY,          _HOUR,
                                         _MINUTE, _SECOND, _TIMEZONEHOUR, _TIMEZONEMINUTE};
        const TnvToken *word = g::Tok(p, _EXTRACT);
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        const TnvToken *field = g::OneOf(p, fields);
        g::Tok(p, _FROMTOKEN);
        auto value = Expression(p);
        g::Tok(p, _RPAREN);
        if constexpr (P::Building) {
            auto function = Create<TSQLFunctionExtract>(provider);
            named(function.get(), word);
            function->Field = TSQLDatetimeField(std::find(std::begin(fields), std::end(fields), field->Kind) -
                                                std::begin(fields));
            function->Add(std::move(value));
            result = std::move(function);
        }
    };
    auto substringCall = [&] {
        const TnvToken *word = g::Tok(p, _SUBSTRING);
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        auto value = Expression(p);
        g::Tok(p, _FROMTOKEN);
        auto start = Expression(p);
        N<P, TSQLExpressionItem> length;
        g::Opt(p, &forWord, nullptr, [&] {
            g::Tok(p, _FOR);
            length = Expression(p);
        });
        g::Tok(p, _RPAREN);
        if constexpr (P::Building) {
            auto function = Create<TSQLFunctionSubString>(provider);
            auto functionName = Create<TSQLQualifiedName>(provider);
            functionName->AddName(Create<TastTokenIdentifier>(provider, word->Text, false));
            function->FunctionName.reset(std::move(functionName));
            function->Add(std::move(value));
            function->Add(std::move(start));
            if (length)
                function->Add(std::move(length));
            result = std::move(function);
        }
    };
    static constexpr TnvGate nullif{_NULLIF}, coalesce{_COALESCE}, trim{_TRIM}, position{_POSITION},
        extract{_EXTRACT};
    g::Alt(p,
           {&gates::Identifier, &substring, &gates::OneArgumentFunction, &nullif, &coalesce, &trim, &position,
            &extract},
           call, substringCall, oneArgumentCall, nullifCall, coalesceCall, trimCall, positionCall, extractCall);
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::CaseFunction(P &p)
{
    static constexpr TnvGate when{_WHEN}, elseWord{_ELSE}, whenExit{_ELSE, _ENDTOKEN}, end{_ENDTOKEN};
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    N<P, TSQLExpressionCaseFunction> node;
    if constexpr (P::Building)
        node = Create<TSQLExpressionCaseFunction>(provider);
    g::Tok(p, _CASE);
    g::Nest nest(p);
    // One WHEN ... THEN ...; the WHEN side is a value or a condition.
    auto whenThen = [&](bool searched) {
        g::Tok(p, _WHEN);
        N<P, TSQLExpressionItem> whenValue;
        if (searched)
            whenValue = ExpressionLogical(p);
        else
            whenValue = Expression(p);
        g::Tok(p, _THEN);
        auto thenValue = Expression(p);
        if constexpr (P::Building) {
            auto item = Create<TSQLCaseFunctionItem>(provider);
            item->When.reset(std::move(whenValue));
            item->Then.reset(std::move(thenValue));
            node->Add(std::move(item));
        }
    };
    auto simple = [&] {
        auto operand = Expression(p);
        if constexpr (P::Building)
            node->CaseOperand.reset(std::move(operand));
        whenThen(false);
        g::Rep(p, &when, &whenExit, [&] { whenThen(false); });
    };
    auto searched = [&] {
        whenThen(true);
        g::Rep(p, &when, &whenExit, [&] { whenThen(true); });
    };
    g::Alt(p, {&gates::ExpressionStart, &when}, simple, searched);
    g::Opt(p, &elseWord, &end, [&] {
        g::Tok(p, _ELSE);
        auto value = Expression(p);
        if constexpr (P::Building)
            node->ElseValue.reset(std::move(value));
    });
    g::Tok(p, _ENDTOKEN);
    N<P, TSQLExpressionItem> result;
    if constexpr (P::Building)
        result = std::move(node);
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionItem> SQL92Parser::CastFunction(P &p)
{
    g::Tok(p, _CAST);
    g::Tok(p, _LPAREN);
    g::Nest nest(p);
    auto value = Expression(p);
    g::Tok(p, _AS);
    auto type = SQLType(p);
    g::Tok(p, _RPAREN);
    N<P, TSQLExpressionItem> result;
    if constexpr (P::Building) {
        auto node = Create<TSQLExpressionCast>(SyntaxProvider(), std::move(value));
        node->TargetType.reset(std::move(type));
        result = std::move(node);
    }
    return result;
}

template <class P> SQL92Parser::N<P, TSQLExpressionsList> SQL92Parser::ExpressionsList(P &p)
{
    N<P, TSQLExpressionsList> list;
    if constexpr (P::Building)
        list = Create<TSQLExpressionsList>(SyntaxProvider());
    auto first = Expression(p);
    if constexpr (P::Building)
        list->Add(std::move(first));
    // The list is only ever closed by ")" (the values of IN): a path that
    // leaves it before any other token dies at that bracket, so it is not
    // made at all. Otherwise every value would keep one such path alive
    // until the end of the list.
    g::Rep(p, &gates::Comma, &gates::RParen, [&] {
        g::Tok(p, _COMMA);
        auto next = Expression(p);
        if constexpr (P::Building)
            list->Add(std::move(next));
    });
    return list;
}

NVQB_SQL92_RULE(TSQLExpressionItem, ExpressionLogical)
NVQB_SQL92_RULE(TSQLExpressionItem, ExpressionAnd)
NVQB_SQL92_RULE(TSQLExpressionItem, ExpressionNot)
NVQB_SQL92_RULE(TSQLExpressionItem, ExpressionLogicalTerm)
NVQB_SQL92_RULE(TSQLExpressionItem, Predicate)
NVQB_SQL92_RULE(TSQLExpressionItem, Expression)
NVQB_SQL92_RULE(TSQLExpressionItem, ExpressionFactor)
NVQB_SQL92_RULE(TSQLExpressionItem, ExpressionUnary)
NVQB_SQL92_RULE(TSQLExpressionItem, ExpressionTerm)
NVQB_SQL92_RULE(TSQLExpressionItem, Constant)
NVQB_SQL92_RULE(TSQLExpressionItem, AggregateFunction)
NVQB_SQL92_RULE(TSQLFunction, SQLFunction)
NVQB_SQL92_RULE(TSQLExpressionItem, CaseFunction)
NVQB_SQL92_RULE(TSQLExpressionItem, CastFunction)
NVQB_SQL92_RULE(TSQLExpressionsList, ExpressionsList)

} // namespace nvqb
