#include "sql92/SQL92Scanner.h"
#include "sql92/SQL92Tokens.h"
#include "sqlmodel/parse/GrammarPasses.h"
#include "sqlmodel/parse/SQLError.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::SQL92;
namespace g = nvqb::grammar;

namespace {

// item := ( "(" item ")" / "(" item ")" [ "+" ] / identifier ) [ "*" ]
// Both bracket branches read the same text, so every bracket doubles the
// routes to the inner item: 2^depth runs of it when each route runs on its
// own. With UseMemo the item's first pass is shared between the routes.
class TBrackets : public TnvBaseParser {
public:
    using TnvBaseParser::TnvBaseParser;
    bool UseMemo = true;
    int Runs = 0;

    template <class P> void Item(P &p, QString &out)
    {
        static constexpr TnvGate open{_LPAREN}, ident{_NonQuotedIdentifier}, plus{_PLUS}, star{_STAR};
        auto body = [&] {
            if constexpr (!P::Building)
                ++Runs;
            auto bracketed = [&](const char *name, bool withPlus) {
                g::Tok(p, _LPAREN);
                g::Nest nest(p);
                if constexpr (P::Building)
                    out += QLatin1String(name);
                Item(p, out);
                g::Tok(p, _RPAREN);
                if (withPlus)
                    g::Opt(p, &plus, nullptr, [&] {
                        g::Tok(p, _PLUS);
                        if constexpr (P::Building)
                            out += u'+';
                    });
            };
            g::Alt(
                p, {&open, &open, &ident}, [&] { bracketed("a", false); }, [&] { bracketed("b", true); },
                [&] {
                    const TnvToken *t = g::Tok(p, _NonQuotedIdentifier);
                    if constexpr (P::Building)
                        out += t->Text;
                });
            g::Opt(p, &star, nullptr, [&] {
                g::Tok(p, _STAR);
                if constexpr (P::Building)
                    out += u'*';
            });
        };
        if (UseMemo)
            g::Memo(p, 0, nullptr, body);
        else
            body();
    }
};

struct TResult {
    bool Parsed = false;
    QString Text, Way, Error;
    int Bad = -1, Runs = 0;
};

TResult Parse(const QString &text, bool memo)
{
    SQL92Scanner scanner;
    scanner.Init(text);
    TBrackets parser(&scanner, nullptr);
    parser.UseMemo = memo;
    TResult r;
    QString out;
    try {
        r.Parsed = parser.CalcWay([&](TnvWayPointsList &list) {
            TnvWayPass pass{parser, &list};
            parser.Item(pass, out);
        });
    } catch (const EnvSQLError &e) {
        r.Error = e.TokenText() + u'@' + QString::number(e.TokenColumn());
        return r;
    }
    r.Runs = parser.Runs;
    if (!r.Parsed) {
        r.Bad = parser.GetBadToken();
        return r;
    }
    r.Way = parser.WayStr();
    TnvBuildPass pass{parser};
    parser.Item(pass, r.Text);
    return r;
}

bool PoolsAreFull()
{
    return WayPointCache().FreeCount() == WayPointCache().TotalCount() &&
           WayPointListCache().FreeCount() == WayPointListCache().TotalCount();
}

QString Nested(int depth, const QString &inner, const QString &close)
{
    QString text = inner;
    for (int i = 0; i < depth; ++i)
        text = u'(' + text + close;
    return text;
}

} // namespace

TEST(GrammarMemo, SharedRunsChooseTheSamePathAndTree)
{
    // Texts that parse, that fail at some token, and whose later brackets
    // take only the second branch (the "+"), so that the first surviving
    // path is not the first route tried at every bracket.
    for (int depth : {0, 1, 2, 5, 10}) {
        for (const QString &text :
             {Nested(depth, QStringLiteral("x"), QStringLiteral(")")), Nested(depth, QStringLiteral("x"), QStringLiteral(")*")),
              Nested(depth, QStringLiteral("x"), QStringLiteral(")+")), Nested(depth, QStringLiteral("x *"), QStringLiteral(")+*")),
              Nested(depth, QStringLiteral("x"), QStringLiteral(")")).chopped(1),
              Nested(depth, QStringLiteral("x +"), QStringLiteral(")"))}) {
            SCOPED_TRACE(text.toStdString());
            const TResult shared = Parse(text, true), each = Parse(text, false);
            EXPECT_EQ(shared.Parsed, each.Parsed);
            EXPECT_EQ(shared.Text.toStdString(), each.Text.toStdString());
            EXPECT_EQ(shared.Way.toStdString(), each.Way.toStdString());
            EXPECT_EQ(shared.Bad, each.Bad);
            EXPECT_LE(shared.Runs, 2 * (depth + 1));
            EXPECT_TRUE(PoolsAreFull());
        }
    }
    // Without sharing the routes multiply.
    EXPECT_GE(Parse(Nested(10, QStringLiteral("x"), QStringLiteral(")")), false).Runs, 1 << 10);
    // With it, a depth no route-by-route run could finish.
    const TResult deep = Parse(Nested(150, QStringLiteral("x"), QStringLiteral(")+")), true);
    EXPECT_TRUE(deep.Parsed);
    EXPECT_EQ(deep.Text.toStdString(), (QString(150, u'b') + u'x' + QString(150, u'+')).toStdString());
    EXPECT_TRUE(PoolsAreFull());
}

TEST(GrammarMemo, NestingLimitNamesTheSameToken)
{
    const QString text = Nested(TnvBaseParser::MaxNestingDepth + 3, QStringLiteral("x"), QStringLiteral(")"));
    const TResult shared = Parse(text, true), each = Parse(text, false);
    EXPECT_EQ(shared.Error.toStdString(), each.Error.toStdString());
    EXPECT_EQ(shared.Error.toStdString(), "(@" + std::to_string(TnvBaseParser::MaxNestingDepth + 1));
    EXPECT_TRUE(PoolsAreFull());
}
