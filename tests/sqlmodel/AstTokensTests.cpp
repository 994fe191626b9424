// Tokens and identifier quoting.
#include "AstTestSupport.h"
#include "classlib/Exceptions.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

struct QuotingCase {
    TnvIdentCaseSensitivity CaseSens;
    const char *Text;
    bool Flagged;
    const char *None;
    const char *IfNeed;
    const char *All;
};

// Each quotation mode on each case-sensitivity setting of the provider.
const QuotingCase QuotingCases[] = {
    {icsNonSensitive, "Name", false, "Name", "Name", "\"Name\""},
    {icsNonSensitive, "Name", true, "Name", "Name", "\"Name\""},
    {icsNonSensitive, "my col", true, "my col", "\"my col\"", "\"my col\""},
    {icsNonSensitive, "select", false, "select", "\"select\"", "\"select\""},
    {icsSensitiveUpperCase, "Name", false, "Name", "Name", "\"NAME\""},
    {icsSensitiveUpperCase, "Name", true, "Name", "\"Name\"", "\"Name\""},
    {icsSensitiveUpperCase, "NAME", true, "NAME", "NAME", "\"NAME\""},
    {icsSensitiveUpperCase, "select", false, "select", "\"SELECT\"", "\"SELECT\""},
    {icsSensitiveUpperCase, "my col", true, "my col", "\"my col\"", "\"my col\""},
    {icsSensitiveLowerCase, "Name", false, "Name", "Name", "\"name\""},
    {icsSensitiveLowerCase, "Name", true, "Name", "\"Name\"", "\"Name\""},
    {icsSensitiveLowerCase, "name", true, "name", "name", "\"name\""},
    {icsSensitiveLowerCase, "NAME", true, "NAME", "\"NAME\"", "\"NAME\""},
};

TEST(AstTokens, IdentifierQuotingFollowsModeAndCaseSensitivity)
{
    for (const QuotingCase &c : QuotingCases) {
        auto provider = Create<TTestSyntaxProvider>(nullptr, c.CaseSens);
        auto id = Create<TastTokenIdentifier>(provider.get(), QString::fromUtf8(c.Text), c.Flagged);
        SCOPED_TRACE(QStringLiteral("%1 flagged=%2 case=%3").arg(c.Text).arg(c.Flagged).arg(int(c.CaseSens)).toStdString());
        EXPECT_EQ(Print(id.get(), icNone), QString::fromUtf8(c.None));
        EXPECT_EQ(Print(id.get(), icIfNeed), QString::fromUtf8(c.IfNeed));
        EXPECT_EQ(Print(id.get(), icAll), QString::fromUtf8(c.All));
    }
}

TEST(AstTokens, QuoteInsideANameIsDoubledAndReadsBackAsTheSameName)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto id = Create<TastTokenIdentifier>(provider.get(), QStringLiteral("a\"b"), true);
    EXPECT_EQ(Print(id.get(), icIfNeed), "\"a\"\"b\"");
    EXPECT_EQ(Print(id.get(), icAll), "\"a\"\"b\"");

    // Typed by a user without quotes, the name is quoted for parsing and kept.
    auto typed = Create<TastTokenIdentifier>(provider.get(), QStringLiteral("my \"x\""));
    EXPECT_EQ(typed->Text(), "my \"x\"");
    EXPECT_TRUE(typed->CaseSensitive());

    // Written as SQL and read back: the same name, nothing changed.
    QString sql = id->GetIdToken();
    auto back = Create<TastTokenIdentifier>(provider.get(), sql);
    EXPECT_EQ(back->Text(), "a\"b");
    EXPECT_TRUE(back->CaseSensitive());
    id->SetIdToken(sql);
    EXPECT_EQ(id->Text(), "a\"b");
}

// A dialect whose identifier check is its identifier grammar, so that it also
// accepts a quoted identifier: the text of a name may read as another name.
class TGrammarCheckProvider : public TTestSyntaxProvider {
public:
    using TTestSyntaxProvider::TTestSyntaxProvider;
    bool IsValidIdent(const QString &text) const override { return ParseIdentifier(text) != nullptr; }
};

// The same with square brackets for quotes.
class TBracketQuoteProvider : public TTestSyntaxProvider {
public:
    using TTestSyntaxProvider::TTestSyntaxProvider;
    QString GetQuoteBegin() const override { return QStringLiteral("["); }
    QString GetQuoteEnd() const override { return QStringLiteral("]"); }
    bool IsValidIdent(const QString &text) const override
    {
        return (text.size() > 2 && text.front() == u'[' && text.back() == u']') ||
               TTestSyntaxProvider::IsValidIdent(text);
    }
};

TEST(AstTokens, NameWhoseTextReadsAsAQuotedIdentifierIsQuotedAgain)
{
    for (TnvIdentCaseSensitivity caseSens : {icsNonSensitive, icsSensitiveUpperCase}) {
        TGrammarCheckProvider provider(nullptr, caseSens);
        for (bool flagged : {true, false}) {
            // Unflagged in a case-sensitive dialect, the name means its folded form.
            const bool folded = !flagged && caseSens != icsNonSensitive;
            TastTokenIdentifier id(&provider, QStringLiteral("\"a\""), flagged);
            EXPECT_EQ(Print(&id, icIfNeed), folded ? "\"\"\"A\"\"\"" : "\"\"\"a\"\"\"") << flagged;
            // Read back from its SQL text, it is the same name.
            TastTokenIdentifier back(&provider);
            back.SetIdToken(id.GetIdToken());
            EXPECT_EQ(back.Text(), folded ? "\"A\"" : "\"a\"") << flagged;
        }
    }
    TBracketQuoteProvider brackets(nullptr, icsNonSensitive);
    TastTokenIdentifier bracketed(&brackets, QStringLiteral("[a]"), true);
    EXPECT_EQ(Print(&bracketed, icIfNeed), "[[a]]]");
}

TEST(AstTokens, SetIdTokenTakesTypedSqlText)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto id = Create<TastTokenIdentifier>(provider.get(), QStringLiteral("NAME"), true);
    TObject marker;
    id->SetUserReference(&marker);

    // Its own SQL text changes nothing, not even the flag.
    id->SetIdToken(QStringLiteral("NAME"));
    EXPECT_TRUE(id->CaseSensitive());

    id->SetIdToken(QStringLiteral("plain"));
    EXPECT_EQ(id->Text(), "plain");
    EXPECT_FALSE(id->CaseSensitive());
    id->SetIdToken(QStringLiteral("with blank"));
    EXPECT_EQ(id->Text(), "with blank");
    EXPECT_TRUE(id->CaseSensitive());
    EXPECT_EQ(id->UserReference(), &marker);

    id->SetIdToken(QString());
    EXPECT_TRUE(id->IsEmpty());
    EXPECT_FALSE(id->CaseSensitive());

    EXPECT_THROW(Create<TastTokenIdentifier>(nullptr, QStringLiteral("x")), EAssertionFailed);
}

TEST(AstTokens, EmptyIdentifierPrintsNothingNotEvenThePendingSpace)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto list = Create<TastNodeWithList>(provider.get());
    list->Add(Create<TastTokenKeyword>(provider.get(), QStringLiteral("a")));
    list->Add(Create<TastNodeSpace>(provider.get()));
    list->Add(Create<TastTokenIdentifier>(provider.get()));
    EXPECT_EQ(Print(list.get(), icAll), "a");
}

TEST(AstTokens, TokensWriteThroughTheBuilder)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto list = Create<TastNodeWithList>(provider.get());
    list->AddKeyword(QStringLiteral("Select"));
    list->AddIdentifier(QStringLiteral("Col"), true);
    list->AddSymbol(QStringLiteral("+"), true);
    list->AddNumber(QStringLiteral("1e3"), true);
    list->AddString(QStringLiteral("'Txt'"), true);
    list->AddNewLine();
    list->AddKeyword(QStringLiteral("From"));

    TSQLBuilder builder;
    builder.SetKeywordFormat(nkfLowerCase);
    builder.BeginBuild();
    list->BuildSQL(&builder, builder.MainQueryFormat());
    builder.EndBuild();
    EXPECT_EQ(builder.ResultSQL(), "select Col + 1e3 'Txt'\r\nfrom");

    auto space = Create<TastNodeSpace>(provider.get());
    EXPECT_EQ(space->Weight(), 3);
    space->SetWeight(7);
    TOwned<TastNode> copy = space->Clone();
    EXPECT_EQ(static_cast<TastNodeSpace *>(copy.get())->Weight(), 7);
}

TEST(AstTokens, ClonesKeepTextAndFlag)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto id = Create<TastTokenIdentifier>(provider.get(), QStringLiteral("x y"), true);
    TOwned<TastTokenIdentifier> copy = id->Clone();
    EXPECT_EQ(copy->Text(), "x y");
    EXPECT_TRUE(copy->CaseSensitive());

    // A keyword assigned from an identifier takes the text only.
    auto keyword = Create<TastTokenKeyword>(provider.get(), QStringLiteral("k"));
    keyword->Assign(id.get());
    EXPECT_EQ(keyword->Text(), "x y");
}

TEST(AstTokens, IdentifierWithoutProviderQuotesAllButPlainWords)
{
    auto plain = Create<TastTokenIdentifier>(nullptr, QStringLiteral("abc_1"), false);
    auto spaced = Create<TastTokenIdentifier>(nullptr, QStringLiteral("a b"), false);
    EXPECT_EQ(Print(plain.get()), "abc_1");
    EXPECT_EQ(Print(spaced.get()), "\"a b\"");
    EXPECT_EQ(Print(plain.get(), icAll), "\"abc_1\"");
}

TEST(AstTokens, QualifiedNamePrintsItsPartsFromTheLeftmost)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto name = Create<TSQLQualifiedName>(provider.get());
    name->AddName(QStringLiteral("Orders"));
    name->AddPrefix(QStringLiteral("dbo"));
    name->AddPrefix(QStringLiteral("my db"));
    EXPECT_EQ(static_cast<TastToken *>(name->GetItems(0))->Text(), "Orders");
    EXPECT_EQ(name->GetQualifiedName(), "\"my db\".dbo.Orders");
    EXPECT_EQ(Print(name.get(), icAll), "\"my db\".\"DBO\".\"ORDERS\"");
    EXPECT_THROW(name->AddName(TOwned<TastToken>()), EAssertionFailed);
}

} // namespace
} // namespace nvqb::test
