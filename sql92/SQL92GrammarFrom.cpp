// The FROM clause: source chains, joins, aliases, and the dotted names of
// objects and columns.
#include "sql92/SQL92GrammarSupport.h"
#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb {

using namespace SQL92;
namespace g = grammar;

template <class P> SQL92Parser::N<P, TSQLFromClause> SQL92Parser::FromClause(P &p)
{
    N<P, TSQLFromClause> clause;
    if constexpr (P::Building)
        clause = Create<TSQLFromClause>(SyntaxProvider());
    g::Tok(p, _FROMTOKEN);
    TSQLFromItem *target = nullptr;
    if constexpr (P::Building)
        target = clause.get();
    g::Opt(p, &gates::SourceStart, nullptr, [&] { TableSource(p, target); });
    return clause;
}

template <class P> void SQL92Parser::TableSource(P &p, TSQLFromItem *target)
{
    auto first = SubTableSource(p);
    if constexpr (P::Building)
        target->Add(std::move(first));
    g::Rep(p, &gates::JoinStart, nullptr, [&] {
        auto joined = JoinedTable(p);
        if constexpr (P::Building)
            target->Add(std::move(joined));
    });
}

template <class P> SQL92Parser::N<P, TSQLFromItem> SQL92Parser::TableSourceInner(P &p)
{
    // An inner chain nests without brackets: JOIN a JOIN b ON .. ON ..
    g::Nest nest(p);
    N<P, TSQLFromItem> chain;
    if constexpr (P::Building)
        chain = Create<TSQLFromItem>(SyntaxProvider());
    auto first = SubTableSource(p);
    auto joined = JoinedTable(p);
    if constexpr (P::Building) {
        chain->Add(std::move(first));
        chain->Add(std::move(joined));
    }
    g::Rep(p, &gates::JoinStart, nullptr, [&] {
        auto next = JoinedTable(p);
        if constexpr (P::Building)
            chain->Add(std::move(next));
    });
    return chain;
}

template <class P> SQL92Parser::N<P, TSQLFromSource> SQL92Parser::SubTableSource(P &p)
{
    static constexpr TnvGate chainStart = gates::SourceStart;
    N<P, TSQLFromSource> source;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    // ( tableSource ) and ( subSelectStatement ) aliasObject share the bracket.
    auto bracketed = [&] {
        g::Tok(p, _LPAREN);
        g::Nest nest(p);
        auto chain = [&] {
            N<P, TSQLFromItem> item;
            if constexpr (P::Building)
                item = Create<TSQLFromItem>(provider);
            TSQLFromItem *target = nullptr;
            if constexpr (P::Building)
                target = item.get();
            TableSource(p, target);
            g::Tok(p, _RPAREN);
            source = std::move(item);
        };
        auto derived = [&] {
            auto query = SubSelectStatement(p);
            g::Tok(p, _RPAREN);
            auto alias = AliasObject(p);
            if constexpr (P::Building) {
                auto item = Create<TSQLFromQuery>(provider);
                item->Query.reset(std::move(query));
                item->Alias.reset(std::move(alias));
                source = std::move(item);
            }
        };
        g::Alt(p, {&chainStart, &gates::QueryStart}, chain, derived);
    };
    auto function = [&] {
        auto call = SQLFunction(p);
        N<P, TSQLAliasObjectAlias> alias;
        g::Opt(p, &gates::AliasStart, nullptr, [&] { alias = AliasObject(p); });
        if constexpr (P::Building) {
            auto item = Create<TSQLFromFunction>(provider);
            item->Function.reset(std::move(call));
            item->Alias.reset(std::move(alias));
            source = std::move(item);
        }
    };
    auto object = [&] {
        auto name = DbObject(p);
        N<P, TSQLAliasObjectAlias> alias;
        g::Opt(p, &gates::AliasStart, nullptr, [&] { alias = AliasObject(p); });
        if constexpr (P::Building) {
            auto item = Create<TSQLFromObject>(provider);
            // The object's name stands for the source itself.
            name->SetDatasource(item.get());
            item->ObjectName.reset(std::move(name));
            item->Alias.reset(std::move(alias));
            source = std::move(item);
        }
    };
    static constexpr TnvGate functionStart = gates::Union(gates::Identifier, gates::KeywordFunction);
    g::Alt(p, {&gates::LParen, &functionStart, &gates::Identifier}, bracketed, function, object);
    return source;
}

template <class P> SQL92Parser::N<P, TSQLFromSource> SQL92Parser::JoinedTable(P &p)
{
    static constexpr TnvGate cross{_CROSS}, kinds{_INNER, _LEFT, _RIGHT, _FULL, _JOIN},
        kindWords{_INNER, _LEFT, _RIGHT, _FULL}, inner{_INNER}, outerSides{_LEFT, _RIGHT, _FULL}, outer{_OUTER},
        join{_JOIN};
    static constexpr int sides[] = {_LEFT, _RIGHT, _FULL};
    N<P, TSQLFromSource> source;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    auto comma = [&] {
        g::Tok(p, _COMMA);
        source = SubTableSource(p);
    };
    auto crossJoin = [&] {
        g::Tok(p, _CROSS);
        g::Tok(p, _JOIN);
        source = SubTableSource(p);
        if constexpr (P::Building)
            source->JoinKind.reset(Create<TSQLJoinKindCross>(provider));
    };
    auto conditionJoin = [&] {
        N<P, TSQLJoinKind> kind;
        g::Opt(p, &kindWords, nullptr, [&] {
            auto innerWord = [&] {
                g::Tok(p, _INNER);
                if constexpr (P::Building)
                    kind = Create<TSQLJoinKindInner>(provider);
            };
            auto outerWord = [&] {
                const TnvToken *side = g::OneOf(p, sides);
                const bool withOuter = g::Opt(p, &outer, &join, [&] { g::Tok(p, _OUTER); });
                if constexpr (P::Building) {
                    TOwned<TSQLJoinKindOuter> outerKind;
                    if (side->Kind == _LEFT)
                        outerKind = Create<TSQLJoinKindLeft>(provider);
                    else if (side->Kind == _RIGHT)
                        outerKind = Create<TSQLJoinKindRight>(provider);
                    else
                        outerKind = Create<TSQLJoinKindFull>(provider);
                    outerKind->Outer = withOuter;
                    kind = std::move(outerKind);
                }
            };
            g::Alt(p, {&inner, &outerSides}, innerWord, outerWord);
        });
        g::Tok(p, _JOIN);
        auto single = [&] { source = SubTableSource(p); };
        auto chain = [&] { source = TableSourceInner(p); };
        g::Alt(p, {&gates::SourceStart, &gates::SourceStart}, single, chain);
        g::Tok(p, _ON);
        auto condition = ExpressionLogical(p);
        if constexpr (P::Building) {
            // A bare JOIN is an inner join.
            if (!kind)
                kind = Create<TSQLJoinKindInner>(provider);
            source->JoinKind.reset(std::move(kind));
            source->JoinCondition.reset(std::move(condition));
        }
    };
    g::Alt(p, {&gates::Comma, &cross, &kinds}, comma, crossJoin, conditionJoin);
    return source;
}

template <class P> SQL92Parser::N<P, TSQLAliasObjectAlias> SQL92Parser::AliasObject(P &p)
{
    static constexpr TnvGate as{_AS};
    const bool withAs = g::Opt(p, &as, nullptr, [&] { g::Tok(p, _AS); });
    auto name = Identifier(p);
    N<P, TSQLAliasObjectAlias> alias;
    if constexpr (P::Building) {
        if (withAs)
            alias = Create<TSQLAliasObjectAsAlias>(SyntaxProvider());
        else
            alias = Create<TSQLAliasObjectAlias>(SyntaxProvider());
        alias->Identifier.reset(std::move(name));
    }
    return alias;
}

template <class P> void SQL92Parser::DottedPrefixes(P &p, int prefixes, TSQLQualifiedName *name, int taken)
{
    if (prefixes == 0)
        return;
    // Each prefix may be left out only where a name follows. Every level
    // starts where the outer one did, and taking this one makes `taken` + 1
    // prefixes, each a name (one token) and a dot, read from here on: a path
    // without that many pairs ahead would only be dropped by a dot further
    // in, after being built through every deeper level, and a path with
    // fewer prefixes reads as far as it would have.
    const TnvGatePairs pairs{&gates::Identifier, &gates::Dot, taken + 1};
    g::Opt(p, pairs, &gates::Identifier, [&] {
        DottedPrefixes(p, prefixes - 1, name, taken + 1);
        auto part = Identifier(p);
        g::Tok(p, _DOT);
        if constexpr (P::Building)
            name->AddName(std::move(part));
    });
}

template <class P, class T> SQL92Parser::N<P, T> SQL92Parser::DottedName(P &p, int prefixes)
{
    N<P, T> name;
    if constexpr (P::Building)
        name = Create<T>(SyntaxProvider());
    TSQLQualifiedName *target = nullptr;
    if constexpr (P::Building)
        target = name.get();
    DottedPrefixes(p, prefixes, target);
    auto part = Identifier(p);
    // Every part goes in front: the object's own name ends up as part 0.
    if constexpr (P::Building)
        name->AddName(std::move(part));
    return name;
}

template <class P> SQL92Parser::N<P, TSQLDatabaseObject> SQL92Parser::DbObject(P &p)
{
    return DottedName<P, TSQLDatabaseObject>(p, 3);
}

template <class P> SQL92Parser::N<P, TSQLObjectColumn> SQL92Parser::DbColumn(P &p)
{
    return DottedName<P, TSQLObjectColumn>(p, 4);
}

template <class P> SQL92Parser::N<P, TSQLQualifiedName> SQL92Parser::QualifiedName(P &p)
{
    N<P, TSQLQualifiedName> name;
    if constexpr (P::Building)
        name = Create<TSQLQualifiedName>(SyntaxProvider());
    g::Rep(p, &gates::Identifier, &gates::Identifier, [&] {
        auto part = Identifier(p);
        g::Tok(p, _DOT);
        if constexpr (P::Building)
            name->AddName(std::move(part));
    });
    auto part = Identifier(p);
    if constexpr (P::Building)
        name->AddName(std::move(part));
    return name;
}

template <class P> SQL92Parser::N<P, TastTokenIdentifier> SQL92Parser::Identifier(P &p)
{
    static constexpr int keywords[] = {_AVG, _MAX, _MIN, _SUM, _COUNT, _TRUE, _FALSE};
    // One of three branches, each a single token: a plain name, a quoted
    // name, or one of the keywords that may stand for a name.
    static constexpr g::TnvTokenBranch branches[] = {
        {_NonQuotedIdentifier}, {_QuotedIdentifier}, {0, keywords, int(std::size(keywords))}};
    const TnvToken *token = g::TokenAlt(p, branches);
    N<P, TastTokenIdentifier> identifier;
    if constexpr (P::Building)
        identifier = MakeIdentifier(SyntaxProvider(), *token);
    return identifier;
}

NVQB_SQL92_RULE(TSQLFromClause, FromClause)
NVQB_SQL92_VOID_RULE(TableSource, TSQLFromItem *)
NVQB_SQL92_RULE(TSQLFromItem, TableSourceInner)
NVQB_SQL92_RULE(TSQLFromSource, SubTableSource)
NVQB_SQL92_RULE(TSQLFromSource, JoinedTable)
NVQB_SQL92_RULE(TSQLAliasObjectAlias, AliasObject)
NVQB_SQL92_RULE(TSQLDatabaseObject, DbObject)
NVQB_SQL92_RULE(TSQLObjectColumn, DbColumn)
NVQB_SQL92_RULE(TSQLQualifiedName, QualifiedName)
// Function names are plain dotted names of the object-name grammar.
template SQL92Parser::N<TnvWayPass, TSQLQualifiedName>
SQL92Parser::DottedName<TnvWayPass, TSQLQualifiedName>(TnvWayPass &, int);
template SQL92Parser::N<TnvBuildPass, TSQLQualifiedName>
SQL92Parser::DottedName<TnvBuildPass, TSQLQualifiedName>(TnvBuildPass &, int);
NVQB_SQL92_RULE(TastTokenIdentifier, Identifier)

} // namespace nvqb
