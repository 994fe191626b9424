#include "sql92/SQL92Scanner.h"
#include "sql92/SQL92Tokens.h"
#include "sqlmodel/parse/GrammarPasses.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::SQL92;
namespace g = nvqb::grammar;

namespace {

// word { , word } where word is one of identifier, integer, string; written
// once with OneOf and once as an Alt of single-token branches.
class TWords : public TnvBaseParser {
public:
    using TnvBaseParser::TnvBaseParser;
    bool UseOneOf = true;

    template <class P> void Word(P &p, QString &out)
    {
        static constexpr int kinds[] = {_NonQuotedIdentifier, _integer, _ASCIIStringLiteral};
        static constexpr TnvGate ident{_NonQuotedIdentifier}, number{_integer}, string{_ASCIIStringLiteral};
        const TnvToken *t = nullptr;
        if (UseOneOf)
            t = g::OneOf(p, kinds);
        else
            g::Alt(
                p, {&ident, &number, &string}, [&] { t = g::Tok(p, _NonQuotedIdentifier); },
                [&] { t = g::Tok(p, _integer); }, [&] { t = g::Tok(p, _ASCIIStringLiteral); });
        if constexpr (P::Building)
            out += t->Text + u'/';
    }
    template <class P> void List(P &p, QString &out)
    {
        static constexpr TnvGate comma{_COMMA};
        Word(p, out);
        g::Rep(p, &comma, nullptr, [&] {
            g::Tok(p, _COMMA);
            Word(p, out);
        });
    }
};

struct TResult {
    bool Parsed = false;
    QString Text, Way;
    int Bad = -1;
};

TResult ParseWords(const QString &text, bool oneOf)
{
    SQL92Scanner scanner;
    scanner.Init(text);
    TWords parser(&scanner, nullptr);
    parser.UseOneOf = oneOf;
    TResult r;
    QString unused;
    r.Parsed = parser.CalcWay([&](TnvWayPointsList &list) {
        TnvWayPass pass{parser, &list};
        parser.List(pass, unused);
    });
    if (!r.Parsed) {
        r.Bad = parser.GetBadToken();
        return r;
    }
    r.Way = parser.WayStr();
    TnvBuildPass pass{parser};
    parser.List(pass, r.Text);
    return r;
}

} // namespace

TEST(GrammarOneOf, RecordsTheChoicesOfTheEquivalentAlternative)
{
    for (const char *text : {"a", "1, 'x', b", "a, 2, 3, 'y'", "a,", "a 1", "", ", a", "'s', 'it''s'"}) {
        const TResult oneOf = ParseWords(QString::fromUtf8(text), true), alt = ParseWords(QString::fromUtf8(text), false);
        EXPECT_EQ(oneOf.Parsed, alt.Parsed) << text;
        EXPECT_EQ(oneOf.Text.toStdString(), alt.Text.toStdString()) << text;
        EXPECT_EQ(oneOf.Way.toStdString(), alt.Way.toStdString()) << text;
        EXPECT_EQ(oneOf.Bad, alt.Bad) << text;
        EXPECT_EQ(WayPointCache().FreeCount(), WayPointCache().TotalCount()) << text;
    }
    EXPECT_EQ(ParseWords(QStringLiteral("a, 2, 'y'"), true).Text.toStdString(), "a/2/'y'/");
}
