#include "sql92/SQL92Scanner.h"
#include "sql92/SQL92Tokens.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/parse/ParseDriver.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::SQL92;

namespace {

// identifier := bare identifier / quoted identifier
class TIdentParser : public TnvBaseParser {
    NV_DECLARE_CLASS(TIdentParser)
public:
    using TnvBaseParser::TnvBaseParser;
    void ParseIdentifierWayCalc(TnvWayPointsList &list) override
    {
        TnvPooledWayPointsList quoted;
        ListAddWithWayNode(*quoted, list, 1);
        AddWayNode(list, 0);
        Expect(list, _NonQuotedIdentifier);
        Expect(*quoted, _QuotedIdentifier);
        list.AddFrom(*quoted);
    }
    TOwned<TastTokenIdentifier> ParseIdentifier() override
    {
        const bool quoted = GetWayNode()->GetData() == 1;
        const TnvToken *t = Get();
        if (quoted)
            return Create<TastTokenIdentifier>(SyntaxProvider(), t->Text.mid(1, t->Text.size() - 2), true);
        return Create<TastTokenIdentifier>(SyntaxProvider(), t->Text, false);
    }
};
NV_IMPLEMENT_CLASS(TIdentParser, TnvBaseParser)

class TDriverTestProvider : public TnvBaseSyntaxProvider {
public:
    using TnvBaseSyntaxProvider::TnvBaseSyntaxProvider;
    mutable int ScannerParamsCalls = 0;
    TnvScannerClass GetScannerClass() const override { return ScannerClassOf<SQL92Scanner>(); }
    TnvParserClass GetParserClass() const override { return ParserClassOf<TIdentParser>(); }
    void SetScannerParams(TnvBaseScanner *) const override { ++ScannerParamsCalls; }
    QString GetQuoteBegin() const override { return QStringLiteral("\""); }
    QString GetQuoteEnd() const override { return QStringLiteral("\""); }

    // A raising entry over the identifier grammar.
    TOwned<TastTokenIdentifier> ParseIdentifierOrRaise(const QString &text) const
    {
        return RunParse(
            ParseSetup(QStringLiteral("Invalid identifier.")), text,
            [](TnvBaseParser &p, TnvWayPointsList &list) { p.ParseIdentifierWayCalc(list); },
            [](TnvBaseParser &p) { return p.ParseIdentifier(); });
    }
};

bool PoolsAreFull()
{
    return WayPointCache().FreeCount() == WayPointCache().TotalCount() &&
           WayPointListCache().FreeCount() == WayPointListCache().TotalCount();
}

} // namespace

TEST(ParseDriver, IdentifierEntries)
{
    auto provider = Create<TDriverTestProvider>(nullptr);
    auto id = provider->ParseIdentifier(QStringLiteral("  Orders /* c */ "));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->Text(), QStringLiteral("Orders"));
    EXPECT_EQ(provider->ScannerParamsCalls, 1);
    EXPECT_FALSE(provider->ParseIdentifier(QStringLiteral("a b")));
    // Empty text: nil at once, without scanning.
    EXPECT_FALSE(provider->ParseIdentifier(QString()));
    EXPECT_EQ(provider->ScannerParamsCalls, 2);

    EXPECT_TRUE(provider->IsValidIdent(QStringLiteral("Orders")));
    EXPECT_FALSE(provider->IsValidIdent(QStringLiteral(" Orders")));
    EXPECT_FALSE(provider->IsValidIdent(QStringLiteral("Orders/*c*/")));
    EXPECT_FALSE(provider->IsValidIdent(QString()));
    EXPECT_FALSE(provider->IsValidIdent(QStringLiteral("select")));
    EXPECT_EQ(provider->ScannerParamsCalls, 2); // the identifier check sets its scanner up itself

    // A keyword parses on the second try, in quotes.
    auto keyword = provider->ParseIdentifierQuoteIfNeed(QStringLiteral("select"));
    ASSERT_TRUE(keyword);
    EXPECT_EQ(keyword->Text(), QStringLiteral("select"));
    EXPECT_TRUE(keyword->CaseSensitive());
    EXPECT_TRUE(PoolsAreFull());
}

TEST(ParseDriver, RaisingEntryNamesTheBadToken)
{
    auto provider = Create<TDriverTestProvider>(nullptr);
    try {
        provider->ParseIdentifierOrRaise(QStringLiteral("a\r\n  b"));
        FAIL();
    } catch (const EnvSQLError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid identifier.\r\n Unexpected token \"b\" at line 2, pos 3"));
        EXPECT_EQ(e.TokenOffset(), 5);
    }
    try {
        provider->ParseIdentifierOrRaise(QString());
        FAIL();
    } catch (const EnvSQLError &e) {
        EXPECT_EQ(e.TokenText(), QStringLiteral("EOF"));
        EXPECT_EQ(e.TokenLine(), 1);
        EXPECT_EQ(e.TokenColumn(), 1);
    }
    EXPECT_TRUE(PoolsAreFull());
    // A provider without a dialect's classes parses nothing.
    auto base = Create<TnvBaseSyntaxProvider>(nullptr);
    EXPECT_FALSE(base->ParseIdentifier(QStringLiteral("a")));
    EXPECT_FALSE(base->IsValidIdent(QStringLiteral("a")));
}
