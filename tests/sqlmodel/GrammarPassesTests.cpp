#include "sql92/SQL92Scanner.h"
#include "sql92/SQL92Tokens.h"
#include "sqlmodel/parse/GrammarPasses.h"
#include "sqlmodel/parse/SQLError.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::SQL92;
namespace g = nvqb::grammar;

namespace {

// A small grammar written once for both passes:
//   list   := item { , item }
//   item   := identifier [ AS identifier ] / ( list ) / ident-twin
//   ident-twin := identifier        (ambiguous with the first branch)
//   tail   := [ ALL ] before SELECT only
class TGrammar : public TnvBaseParser {
public:
    using TnvBaseParser::TnvBaseParser;
    bool WithTwin = false;

    template <class P> using Text = std::conditional_t<P::Building, QString, TnvNoNode>;

    template <class P> Text<P> List(P &p)
    {
        static constexpr TnvGate comma{_COMMA};
        Text<P> s = Item(p);
        g::Rep(p, &comma, nullptr, [&] {
            g::Tok(p, _COMMA);
            Text<P> next = Item(p);
            if constexpr (P::Building)
                s += QLatin1Char(',') + next;
        });
        return s;
    }

    template <class P> Text<P> Item(P &p)
    {
        static constexpr TnvGate ident{_NonQuotedIdentifier}, lparen{_LPAREN}, as{_AS};
        Text<P> s;
        auto plain = [&] {
            const TnvToken *t = g::Tok(p, _NonQuotedIdentifier);
            if constexpr (P::Building)
                s = t->Text;
            g::Opt(p, &as, nullptr, [&] {
                g::Tok(p, _AS);
                const TnvToken *alias = g::Tok(p, _NonQuotedIdentifier);
                if constexpr (P::Building)
                    s += QLatin1Char('=') + alias->Text;
            });
        };
        auto bracket = [&] {
            g::Tok(p, _LPAREN);
            g::Nest nest(p);
            Text<P> inner = List(p);
            g::Tok(p, _RPAREN);
            if constexpr (P::Building)
                s = QLatin1Char('[') + inner + QLatin1Char(']');
        };
        auto twin = [&] {
            const TnvToken *t = g::Tok(p, _NonQuotedIdentifier);
            if constexpr (P::Building)
                s = QLatin1Char('<') + t->Text + QLatin1Char('>');
        };
        static constexpr TnvGate none{};
        g::Alt(p, {&ident, &lparen, WithTwin ? &ident : &none}, plain, bracket, twin);
        return s;
    }
};

QString Parse(const QString &text, bool twin = false)
{
    SQL92Scanner scanner;
    scanner.Init(text);
    TGrammar parser(&scanner, nullptr);
    parser.WithTwin = twin;
    if (!parser.CalcWay([&](TnvWayPointsList &list) {
            TnvWayPass pass{parser, &list};
            parser.List(pass);
        }))
        throw EnvSQLError(QStringLiteral("Invalid list."), *scanner.GetToken(parser.GetBadToken()));
    TnvBuildPass pass{parser};
    return parser.List(pass);
}

bool PoolsAreFull()
{
    return WayPointCache().FreeCount() == WayPointCache().TotalCount() &&
           WayPointListCache().FreeCount() == WayPointListCache().TotalCount();
}

} // namespace

TEST(GrammarPasses, BothPassesFollowOneGrammar)
{
    EXPECT_EQ(Parse(QStringLiteral("a")), QStringLiteral("a"));
    EXPECT_EQ(Parse(QStringLiteral("a AS x, (b, (c as y)), d")), QStringLiteral("a=x,[b,[c=y]],d"));
    // The first of two paths that both reach the end is built.
    EXPECT_EQ(Parse(QStringLiteral("a, b"), true), QStringLiteral("a,b"));
    EXPECT_TRUE(PoolsAreFull());
}

TEST(GrammarPasses, FailuresNameTheTokenAndReturnEveryWayPoint)
{
    struct {
        const char *Text, *Token;
        int Column;
    } cases[] = {{"a as", "EOF", 5}, {"a b", "b", 3}, {"(a,)", ")", 4}, {"", "EOF", 1}, {"a, (b", "EOF", 6}};
    for (const auto &c : cases) {
        try {
            Parse(QString::fromLatin1(c.Text), true);
            ADD_FAILURE() << c.Text;
        } catch (const EnvSQLError &e) {
            EXPECT_EQ(e.TokenText(), QString::fromLatin1(c.Token)) << c.Text;
            EXPECT_EQ(e.TokenColumn(), c.Column) << c.Text;
        }
        EXPECT_TRUE(PoolsAreFull()) << c.Text;
    }
    const int depth = TnvBaseParser::MaxNestingDepth + 1;
    EXPECT_THROW(Parse(QString(depth, u'(') + QStringLiteral("a") + QString(depth, u')')), EnvSQLError);
    EXPECT_TRUE(PoolsAreFull());
}
