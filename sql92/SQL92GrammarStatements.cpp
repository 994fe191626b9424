// Statements: the union list and its operands, the select block with its
// select list, ORDER BY and GROUP BY.
#include "sql92/SQL92GrammarSupport.h"
#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb {

using namespace SQL92;
namespace g = grammar;

template <class P> SQL92Parser::N<P, TSQLSelectStatement> SQL92Parser::SelectStatement(P &p)
{
    static constexpr TnvGate order{_ORDER}, semicolon{_SEMICOLON};
    N<P, TSQLSelectStatement> statement;
    if constexpr (P::Building)
        statement = Create<TSQLSelectStatement>(SyntaxProvider());
    TSQLSubQueryExpressions *target = nullptr;
    if constexpr (P::Building)
        target = statement.get();
    QueryExpression(p, target);
    g::Opt(p, &order, nullptr, [&] {
        auto clause = OrderByClause(p);
        if constexpr (P::Building)
            statement->OrderByClause.reset(std::move(clause));
    });
    g::Opt(p, &semicolon, nullptr, [&] { g::Tok(p, _SEMICOLON); });
    return statement;
}

template <class P> SQL92Parser::N<P, TSQLSubSelectStatement> SQL92Parser::SubSelectStatement(P &p)
{
    static constexpr TnvGate order{_ORDER};
    N<P, TSQLSubSelectStatement> statement;
    g::Memo(p, memo::SubSelectStatement, &gates::LParen, [&] {
        g::Nest nest(p);
        if constexpr (P::Building)
            statement = Create<TSQLSubSelectStatement>(SyntaxProvider());
        TSQLSubQueryExpressions *target = nullptr;
        if constexpr (P::Building)
            target = statement.get();
        QueryExpression(p, target);
        g::Opt(p, &order, nullptr, [&] {
            auto clause = OrderByClause(p);
            if constexpr (P::Building)
                statement->OrderByClause.reset(std::move(clause));
        });
    });
    return statement;
}

template <class P> void SQL92Parser::QueryExpression(P &p, TSQLSubQueryExpressions *target)
{
    static constexpr TnvGate unionWord{_UNION, _EXCEPT, _INTERSECT}, all{_ALL};
    static constexpr int operators[] = {_UNION, _EXCEPT, _INTERSECT};
    g::Memo(p, memo::QueryExpression, &gates::LParen, [&] {
        auto first = SubQueryExpression(p);
        if constexpr (P::Building)
            target->Add(std::move(first));
        g::Rep(p, &unionWord, nullptr, [&] {
            const TnvToken *op = g::OneOf(p, operators);
            const bool unionAll = g::Opt(p, &all, &gates::QueryStart, [&] { g::Tok(p, _ALL); });
            auto operand = SubQueryExpression(p);
            if constexpr (P::Building) {
                operand->UnionOperator = op->Text;
                operand->UnionAll = unionAll;
                target->Add(std::move(operand));
            }
        });
    });
}

template <class P> SQL92Parser::N<P, TSQLSubQueryExpression> SQL92Parser::SubQueryExpression(P &p)
{
    N<P, TSQLSubQueryExpression> operand;
    auto block = [&] { operand = QueryBlock(p); };
    auto bracketed = [&] {
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        N<P, TSQLSubQueryExpressions> group;
        if constexpr (P::Building)
            group = Create<TSQLSubQueryExpressions>(SyntaxProvider());
        TSQLSubQueryExpressions *target = nullptr;
        if constexpr (P::Building)
            target = group.get();
        QueryExpression(p, target);
        g::Tok(p, _RPAREN);
        operand = std::move(group);
    };
    g::Alt(p, {&gates::SelectStart, &gates::LParen}, block, bracketed);
    return operand;
}

template <class P> SQL92Parser::N<P, TSQLSubQuerySelectExpression> SQL92Parser::QueryBlock(P &p)
{
    static constexpr TnvGate from{_FROMTOKEN}, where{_WHERE}, group{_GROUP}, having{_HAVING};
    static constexpr int modes[] = {_ALL, _DISTINCT};
    N<P, TSQLSubQuerySelectExpression> block;
    if constexpr (P::Building)
        block = Create<TSQLSubQuerySelectExpression>(SyntaxProvider());
    // selectClause: SELECT [ ALL / DISTINCT ] selectList, the bare form first.
    g::Tok(p, _SELECT);
    static constexpr TnvGate modeWords{_ALL, _DISTINCT};
    g::Alt(
        p, {nullptr, &modeWords}, [] {},
        [&] {
            const TnvToken *mode = g::OneOf(p, modes);
            if constexpr (P::Building) {
                if (mode->Kind == _DISTINCT)
                    block->SelectMode.reset(Create<TSQLSubQuerySelectModeDistinct>(SyntaxProvider()));
                else
                    block->SelectMode.reset(Create<TSQLSubQuerySelectModeAll>(SyntaxProvider()));
            }
        });
    auto items = SelectList(p);
    if constexpr (P::Building)
        block->SelectItems.reset(std::move(items));
    g::Opt(p, &from, nullptr, [&] {
        auto clause = FromClause(p);
        if constexpr (P::Building)
            block->FromClause.reset(std::move(clause));
    });
    g::Opt(p, &where, nullptr, [&] {
        g::Tok(p, _WHERE);
        auto condition = ExpressionLogical(p);
        if constexpr (P::Building)
            block->WhereClause.reset(std::move(condition));
    });
    g::Opt(p, &group, nullptr, [&] {
        auto list = GroupByList(p);
        if constexpr (P::Building)
            block->GroupByClause.reset(std::move(list));
    });
    g::Opt(p, &having, nullptr, [&] {
        g::Tok(p, _HAVING);
        auto condition = ExpressionLogical(p);
        if constexpr (P::Building)
            block->HavingClause.reset(std::move(condition));
    });
    return block;
}

template <class P> SQL92Parser::N<P, TSQLSelectItems> SQL92Parser::SelectList(P &p)
{
    N<P, TSQLSelectItems> items;
    if constexpr (P::Building)
        items = Create<TSQLSelectItems>(SyntaxProvider());
    g::Opt(p, &gates::SelectItemStart, nullptr, [&] {
        auto item = SelectItem(p);
        if constexpr (P::Building)
            items->Add(std::move(item));
        g::Rep(p, &gates::Comma, nullptr, [&] {
            g::Tok(p, _COMMA);
            auto next = SelectItem(p);
            if constexpr (P::Building)
                items->Add(std::move(next));
        });
    });
    return items;
}

template <class P> SQL92Parser::N<P, TSQLSelectItem> SQL92Parser::SelectItem(P &p)
{
    static constexpr TnvGate aliasStart = gates::Union(gates::Identifier, TnvGate{_ASCIIStringLiteral});
    static constexpr TnvGate aliasOrAs = gates::Union(aliasStart, TnvGate{_AS});
    static constexpr TnvGate as{_AS};
    N<P, TSQLSelectItem> result;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    auto allColumns = [&] {
        g::Tok(p, _STAR);
        if constexpr (P::Building)
            result = Create<TSQLSelectItemAllColumns>(provider);
    };
    auto aliasEquals = [&] {
        auto alias = AliasExpression(p);
        g::Tok(p, _EQUAL);
        auto expression = Expression(p);
        if constexpr (P::Building) {
            auto item = Create<TSQLSelectItemExpression>(provider);
            auto aliasNode = Create<TSQLAliasEqualsExpression>(provider);
            aliasNode->Identifier.reset(std::move(alias));
            item->Alias.reset(std::move(aliasNode));
            item->Expression.reset(std::move(expression));
            result = std::move(item);
        }
    };
    auto tableColumns = [&] {
        auto name = DbObject(p);
        g::Tok(p, _DOTSTAR);
        if constexpr (P::Building) {
            auto item = Create<TSQLSelectItemAllTableColumns>(provider);
            item->TableName.reset(std::move(name));
            result = std::move(item);
        }
    };
    auto expressionItem = [&] {
        auto expression = Expression(p);
        N<P, TSQLAliasExpression> aliasNode;
        g::Opt(p, &aliasOrAs, nullptr, [&] {
            const bool withAs = g::Opt(p, &as, nullptr, [&] { g::Tok(p, _AS); });
            auto alias = AliasExpression(p);
            if constexpr (P::Building) {
                if (withAs)
                    aliasNode = Create<TSQLAliasExpressionAsAlias>(provider);
                else
                    aliasNode = Create<TSQLAliasExpressionAlias>(provider);
                aliasNode->Identifier.reset(std::move(alias));
            }
        });
        if constexpr (P::Building) {
            auto item = Create<TSQLSelectItemExpression>(provider);
            item->Expression.reset(std::move(expression));
            item->Alias.reset(std::move(aliasNode));
            result = std::move(item);
        }
    };
    g::Alt(p, {&gates::Star, &aliasStart, &gates::Identifier, &gates::ExpressionStart}, allColumns, aliasEquals,
           tableColumns, expressionItem);
    return result;
}

template <class P> SQL92Parser::N<P, TastTokenIdentifier> SQL92Parser::AliasExpression(P &p)
{
    static constexpr TnvGate string{_ASCIIStringLiteral};
    N<P, TastTokenIdentifier> alias;
    auto identifier = [&] { alias = Identifier(p); };
    auto literal = [&] {
        if constexpr (!P::Building) {
            // '' would name nothing: no identifier may be empty, so the
            // parse stops at it.
            TnvBaseScanner *scanner = p.Parser.Scanner();
            p.List->Filter(
                [scanner](TnvWayPoint *w) { return scanner->GetToken(w->TokenIndex() + 1)->Text.size() > 2; });
        }
        const TnvToken *token = g::Tok(p, _ASCIIStringLiteral);
        if constexpr (P::Building)
            alias = MakeIdentifierFromString(SyntaxProvider(), *token);
    };
    g::Alt(p, {&gates::Identifier, &string}, identifier, literal);
    return alias;
}

template <class P> SQL92Parser::N<P, TSQLOrderByClause> SQL92Parser::OrderByClause(P &p)
{
    static constexpr TnvGate direction{_ASC, _DESC};
    static constexpr int directions[] = {_ASC, _DESC};
    N<P, TSQLOrderByClause> clause;
    if constexpr (P::Building)
        clause = Create<TSQLOrderByClause>(SyntaxProvider());
    g::Tok(p, _ORDER);
    g::Tok(p, _BY);
    auto orderByItem = [&] {
        auto expression = Expression(p);
        const TnvToken *word = nullptr;
        g::Opt(p, &direction, nullptr, [&] { word = g::OneOf(p, directions); });
        if constexpr (P::Building) {
            auto item = Create<TSQLOrderByItem>(SyntaxProvider());
            item->Expression.reset(std::move(expression));
            item->SortOrder = word && word->Kind == _DESC ? obDesc : obAsc;
            clause->Add(std::move(item));
        }
    };
    orderByItem();
    g::Rep(p, &gates::Comma, nullptr, [&] {
        g::Tok(p, _COMMA);
        orderByItem();
    });
    return clause;
}

template <class P> SQL92Parser::N<P, TSQLGroupByList> SQL92Parser::GroupByList(P &p)
{
    N<P, TSQLGroupByList> list;
    if constexpr (P::Building)
        list = Create<TSQLGroupByList>(SyntaxProvider());
    g::Tok(p, _GROUP);
    g::Tok(p, _BY);
    auto first = Expression(p);
    if constexpr (P::Building)
        list->Add(std::move(first));
    g::Rep(p, &gates::Comma, nullptr, [&] {
        g::Tok(p, _COMMA);
        auto next = Expression(p);
        if constexpr (P::Building)
            list->Add(std::move(next));
    });
    return list;
}

NVQB_SQL92_RULE(TSQLSelectStatement, SelectStatement)
NVQB_SQL92_RULE(TSQLSubSelectStatement, SubSelectStatement)
NVQB_SQL92_VOID_RULE(QueryExpression, TSQLSubQueryExpressions *)
NVQB_SQL92_RULE(TSQLSubQueryExpression, SubQueryExpression)
NVQB_SQL92_RULE(TSQLSubQuerySelectExpression, QueryBlock)
NVQB_SQL92_RULE(TSQLSelectItems, SelectList)
NVQB_SQL92_RULE(TSQLSelectItem, SelectItem)
NVQB_SQL92_RULE(TastTokenIdentifier, AliasExpression)
NVQB_SQL92_RULE(TSQLOrderByClause, OrderByClause)
NVQB_SQL92_RULE(TSQLGroupByList, GroupByList)

} // namespace nvqb
