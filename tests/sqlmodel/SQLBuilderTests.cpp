#include "classlib/Exceptions.h"
#include "sqlmodel/text/SQLBuilder.h"
#include "sqlmodel/text/SQLBuilderPiped.h"

#include <functional>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

QString Lf(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// SELECT a, b FROM t WHERE x = 1, laid out as the statement printer will.
void PrintSmallSelect(TSQLBuilder &b, const TSQLBuilderSelectFormat *f)
{
    b.WriteKeywordAndSpace(QStringLiteral("Select"), 3);
    b.AddIndent(f->IndentInPart());
    b.WriteIdentifier(QStringLiteral("a"));
    b.WriteSymbol(QStringLiteral(","));
    b.NewLineOrSpace(f->SelectListFormat()->NewLineAfterItem(), 1);
    b.WriteIdentifier(QStringLiteral("b"));
    b.EndIndent();
    b.NewLineOrSpace(f->MainPartsFromNewLine(), 0);
    b.WriteKeywordAndSpace(QStringLiteral("From"), 3);
    b.AddIndent(f->IndentInPart());
    b.WriteIdentifier(QStringLiteral("t"));
    b.EndIndent();
    b.NewLineOrSpace(f->MainPartsFromNewLine(), 0);
    b.WriteKeywordAndSpace(QStringLiteral("Where"), 3);
    b.AddIndent(f->IndentInPart());
    b.WriteIdentifier(QStringLiteral("x"));
    b.Space(3);
    b.WriteSymbol(QStringLiteral("="));
    b.Space(2);
    b.WriteNumber(QStringLiteral("1"));
    b.EndIndent();
}

} // namespace

TEST(SQLBuilder, PendingSpacesCollapseToOneBlank)
{
    TSQLBuilder b;
    b.BeginBuild();
    b.Space(3); // at the very start a space is still written before the next piece
    b.WriteKeyword(QStringLiteral("Select"));
    b.Space(3);
    b.Space(1);
    b.Space(2);
    b.WriteIdentifier(QStringLiteral("a"));
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral(" Select a"));
}

TEST(SQLBuilder, APieceThatWouldReadOnIntoTheSymbolBeforeIsSetApart)
{
    auto written = [](QChar last, const std::function<void(TSQLBuilder &)> &next) {
        TSQLBuilderFast b;
        b.BeginBuild();
        b.WriteSymbol(QString(last));
        b.KeepNextApartFrom(last, 3);
        next(b);
        b.EndBuild();
        return b.ResultSQL();
    };
    EXPECT_EQ(written(u'~', [](TSQLBuilder &b) { b.WriteIdentifier(QStringLiteral("x")); }), QStringLiteral("~ x"));
    EXPECT_EQ(written(u'~', [](TSQLBuilder &b) { b.WriteKeyword(QStringLiteral("Null")); }), QStringLiteral("~ Null"));
    EXPECT_EQ(written(u'~', [](TSQLBuilder &b) { b.WriteNumber(QStringLiteral("1")); }), QStringLiteral("~ 1"));
    EXPECT_EQ(written(u'~', [](TSQLBuilder &b) { b.WriteSymbol(QStringLiteral("~")); }), QStringLiteral("~ ~"));
    EXPECT_EQ(written(u'~', [](TSQLBuilder &b) { b.WriteString(QStringLiteral("'a'")); }), QStringLiteral("~'a'"));
    EXPECT_EQ(written(u'-', [](TSQLBuilder &b) { b.WriteNumber(QStringLiteral("-1")); }), QStringLiteral("- -1"));
    EXPECT_EQ(written(u'-', [](TSQLBuilder &b) { b.WriteNumber(QStringLiteral("1")); }), QStringLiteral("-1"));
    // Only the first piece written decides, an empty one writes nothing;
    // a space or a line end already there is enough.
    EXPECT_EQ(written(u'~',
                      [](TSQLBuilder &b) {
                          b.WriteSymbol(QString());
                          b.WriteSymbol(QStringLiteral("("));
                          b.WriteIdentifier(QStringLiteral("x"));
                      }),
              QStringLiteral("~(x"));
    EXPECT_EQ(written(u'~',
                      [](TSQLBuilder &b) {
                          b.Space(1);
                          b.WriteIdentifier(QStringLiteral("x"));
                      }),
              QStringLiteral("~ x"));
    TSQLBuilder plain;
    plain.BeginBuild();
    plain.WriteSymbol(QStringLiteral("~"));
    plain.KeepNextApartFrom(u'~', 3);
    plain.NewLine();
    plain.WriteIdentifier(QStringLiteral("x"));
    plain.EndBuild();
    EXPECT_EQ(plain.ResultSQL(), QStringLiteral("~\r\nx"));
    // The pairs the scanner reads as one token.
    for (const char *pair : {"~a", "~Z", "~0", "~_", "~$", "~~", "--", "/*", "||", "<>", "<=", ">=", "!=", "!<", "!>",
                             ".*", ".5"})
        EXPECT_TRUE(TSQLBuilder::RunsOn(QChar(pair[0]), QChar(pair[1]))) << pair;
    EXPECT_TRUE(TSQLBuilder::RunsOn(u'~', QChar(0xE9)));
    for (const char *pair : {"~(", "~'", "~\"", "~-", "~?", "~:", "~.", "-1", "-+", "+-", "++", "-(", "a~"})
        EXPECT_FALSE(TSQLBuilder::RunsOn(QChar(pair[0]), QChar(pair[1]))) << pair;
}

TEST(SQLBuilder, NewLineRules)
{
    TSQLBuilder b;
    b.BeginBuild();
    b.NewLine(); // at line start: nothing
    b.WriteKeyword(QStringLiteral("Select"));
    b.NewLine();
    b.NewLine(); // second in a row: nothing
    b.WriteIdentifier(QStringLiteral("a"));
    b.Space(3);
    b.NewLine(); // a pending space goes out before the new-line text
    b.Space(3);
    b.WriteIdentifier(QStringLiteral("b")); // a space asked right after a new line starts the line
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("Select\r\na \r\n b"));
}

TEST(SQLBuilder, FractionalIndentsRoundUpAndNest)
{
    TSQLBuilder b;
    b.BeginBuild();
    b.WriteKeyword(QStringLiteral("A"));
    b.AddIndent(1.5);
    b.NewLine();
    b.WriteKeyword(QStringLiteral("B"));
    EXPECT_DOUBLE_EQ(b.CurrentIndent(), 1.5);
    b.AddIndent(2.25);
    b.NewLine();
    b.WriteKeyword(QStringLiteral("C"));
    b.EndIndent();
    b.EndIndent();
    b.NewLine();
    b.WriteKeyword(QStringLiteral("D"));
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("A\r\n  B\r\n    C\r\nD"));
    EXPECT_DOUBLE_EQ(b.CurrentIndent(), 0.0);
    EXPECT_THROW(b.EndIndent(), EAssertionFailed);
}

TEST(SQLBuilder, KeywordCaseTouchesOnlyKeywords)
{
    const struct {
        TnvKeywordFormat Format;
        const char *Expected;
    } cases[] = {
        {nkfFirstUpper, "Select MixedId, 'MixedStr' 1E5"},
        {nkfUpperCase, "SELECT MixedId, 'MixedStr' 1E5"},
        {nkfLowerCase, "select MixedId, 'MixedStr' 1E5"},
    };
    for (const auto &c : cases) {
        TSQLBuilder b;
        b.SetKeywordFormat(c.Format);
        b.BeginBuild();
        b.WriteKeywordAndSpace(QStringLiteral("Select"), 3);
        b.WriteIdentifier(QStringLiteral("MixedId"));
        b.WriteSymbol(QStringLiteral(","));
        b.Space(2);
        b.WriteString(QStringLiteral("'MixedStr'"));
        b.Space(3);
        b.WriteNumber(QStringLiteral("1E5"));
        b.EndBuild();
        EXPECT_EQ(b.ResultSQL(), QString::fromLatin1(c.Expected)) << int(c.Format);
    }
}

TEST(SQLBuilder, FreshBuilderLayoutsMainAndSubQueries)
{
    TSQLBuilder b;
    b.BeginBuild();
    PrintSmallSelect(b, b.MainQueryFormat());
    b.EndBuild();
    EXPECT_EQ(Lf(b.ResultSQL()), QStringLiteral("Select a, b\nFrom t\nWhere x = 1"));

    b.BeginBuild();
    PrintSmallSelect(b, b.ExpressionsSubQueryFormat());
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("Select a, b From t Where x = 1"));
    EXPECT_FALSE(b.ExpressionsSubQueryFormat()->FromClauseFormat()->NewLineAfterJoin());
    EXPECT_FALSE(b.ExpressionsSubQueryFormat()->FromClauseFormat()->NewLineAfterDatasource());
    EXPECT_TRUE(b.FromSubQueryFormat()->MainPartsFromNewLine());

    b.MainQueryFormat()->SelectListFormat()->SetNewLineAfterItem(true);
    b.SetKeywordFormat(nkfUpperCase);
    b.BeginBuild();
    PrintSmallSelect(b, b.MainQueryFormat());
    b.EndBuild();
    EXPECT_EQ(Lf(b.ResultSQL()), QStringLiteral("SELECT a,\n  b\nFROM t\nWHERE x = 1"));
}

TEST(SQLBuilder, FastBuilderPrintsOneLineWithoutIndents)
{
    TSQLBuilderFast b;
    b.BeginBuild();
    PrintSmallSelect(b, b.MainQueryFormat());
    b.EndBuild();
    EXPECT_TRUE(b.MainQueryFormat()->MainPartsFromNewLine());
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("Select a, b From t Where x = 1"));
    EXPECT_EQ(b.ClassName(), QStringLiteral("TSQLBuilderFast"));
}

TEST(SQLBuilder, SettersNotifyTheOwnerOnlyOnChange)
{
    TSQLBuilder b;
    int updates = 0;
    b.OnUpdated = TNotifyEvent::FromCallable([&](TObject *) { ++updates; });
    b.SetRightMargin(80);
    b.SetKeywordFormat(nkfFirstUpper);
    b.SetQuoteIdentifiers(icIfNeed);
    b.SetObjectPrefixSkipping(opsSkipAll);
    EXPECT_EQ(updates, 0);
    b.SetRightMargin(0);
    EXPECT_EQ(b.WorkingRightMargin(), 2147483647.0);
    b.SetQuoteIdentifiers(icAll);
    b.MainQueryFormat()->WhereFormat()->SetIndentNestedConditions(4);
    EXPECT_EQ(updates, 3);
}

TEST(SQLBuilder, FormatSettersCopyAndKeepTheBuildersOwnObjects)
{
    TSQLBuilder b;
    TSQLBuilderSelectFormat *own = b.FromSubQueryFormat();
    int updates = 0;
    b.OnUpdated = TNotifyEvent::FromCallable([&](TObject *) { ++updates; });
    {
        TSQLBuilderSelectFormat other(nullptr);
        other.SetIndentInPart(7);
        other.SetIndentGlobal(3);
        other.WhereFormat()->SetNewLineAfter(nlNone);
        b.SetDerFmt(&other);
        b.SetMainFmt(&other);
    }
    EXPECT_EQ(b.FromSubQueryFormat(), own);
    EXPECT_EQ(own->IndentInPart(), 7);
    EXPECT_EQ(own->IndentGlobal(), 3);
    EXPECT_EQ(own->WhereFormat()->NewLineAfter(), nlNone);
    EXPECT_EQ(b.MainQueryFormat()->IndentInPart(), 7);
    EXPECT_EQ(updates, 2); // one per copied format
}

TEST(SQLBuilder, SharedFastBuilderSurvivesReentry)
{
    QString inner, outer;
    {
        TSQLBuilderFastLease a;
        a->BeginBuild();
        a->WriteKeyword(QStringLiteral("Outer"));
        {
            // Printing a nested text while the shared builder is busy.
            TSQLBuilderFastLease b;
            EXPECT_NE(a.Get(), b.Get());
            b->BeginBuild();
            b->WriteIdentifier(QStringLiteral("inner"));
            b->EndBuild();
            inner = b->ResultSQL();
        }
        a->Space(3);
        a->WriteIdentifier(QStringLiteral("text"));
        a->EndBuild();
        outer = a->ResultSQL();
    }
    EXPECT_EQ(inner, QStringLiteral("inner"));
    EXPECT_EQ(outer, QStringLiteral("Outer text"));
    // The builders are reused, not made again for every text.
    const qsizetype made = SQLBuilderFastPoolSize();
    for (int i = 0; i < 3; ++i) {
        TSQLBuilderFastLease a;
        TSQLBuilderFastLease b;
    }
    EXPECT_EQ(SQLBuilderFastPoolSize(), made);
}
