#include "sqlmodel/text/SQLBuilderPiped.h"

#include <gtest/gtest.h>

using namespace nvqb;

namespace {

QString Lf(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// Writes words separated by spaces of the given weights.
void Words(TSQLBuilder &b, const QStringList &words, const QList<int> &weights)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0)
            b.Space(weights[i - 1]);
        b.WriteIdentifier(words[i]);
    }
}

} // namespace

TEST(SQLBuilderPiped, QueuesOneSpaceWithTheLowestWeight)
{
    TSQLBuilderPiped b;
    b.BeginBuild();
    b.WriteIdentifier(QStringLiteral("a"));
    b.Space(3);
    b.Space(1);
    b.WriteKeyword(QStringLiteral("From"));
    ASSERT_EQ(b.Queue().size(), 3);
    EXPECT_EQ(b.Queue()[1].Kind, nvetSpace);
    EXPECT_EQ(b.Queue()[1].Weight, 1);
    EXPECT_EQ(b.Queue()[1].Width, 1.0);
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("a From"));
    EXPECT_TRUE(b.Queue().isEmpty());
}

TEST(SQLBuilderPiped, LineThatFitsIsWrittenWhole)
{
    TSQLBuilderPiped b;
    b.BeginBuild();
    Words(b, {"Select", "a,", "b", "From", "t"}, {3, 2, 0, 3});
    b.GoodNewLinePos(0);
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("Select a, b From t"));
}

TEST(SQLBuilderPiped, OverflowBreaksAtTheBestScoringSpace)
{
    // Margin 20: "aaaa bbbb cccc dddd eeee" overflows at "eeee". The weight-0
    // space scores 100 anywhere; it wins over later spaces of weight 3.
    TSQLBuilderPiped b;
    b.SetRightMargin(20);
    b.BeginBuild();
    Words(b, {"aaaa", "bbbb", "cccc", "dddd", "eeee"}, {3, 0, 3, 3});
    b.EndBuild();
    EXPECT_EQ(Lf(b.ResultSQL()), QStringLiteral("aaaa bbbb\ncccc dddd eeee"));

    // Near the margin the room left is compressed (a tenth plus 10), so with
    // equal weights the last space before the overflow scores best.
    TSQLBuilderPiped c;
    c.SetRightMargin(12);
    c.BeginBuild();
    Words(c, {"aaa", "bbb", "ccc", "ddd"}, {1, 1, 1});
    c.EndBuild();
    EXPECT_EQ(Lf(c.ResultSQL()), QStringLiteral("aaa bbb ccc\nddd"));
}

TEST(SQLBuilderPiped, ScoresCountTheRoomLeftOnTheLine)
{
    // Margin 40: a weight-2 space at x=4 scores 100 - 2*36 = 28, a weight-1
    // space at x=30 scores 100 - 1*10 = 90, so the later one wins.
    TSQLBuilderPiped b;
    b.SetRightMargin(40);
    b.BeginBuild();
    Words(b, {"aaaa", QString(25, u'b'), QString(13, u'c')}, {2, 1});
    b.EndBuild();
    EXPECT_EQ(Lf(b.ResultSQL()), QStringLiteral("aaaa ") + QString(25, u'b') + QStringLiteral("\n") + QString(13, u'c'));

    // Under 10 characters of room the room counts a tenth plus 10: a weight-2
    // space at x=14 of 20 scores 100 - 2*10.6 = 78.8 and loses to a weight-1
    // space at x=4 scoring 84.
    TSQLBuilderPiped c;
    c.SetRightMargin(20);
    c.BeginBuild();
    Words(c, {"aaaa", "bbbbbbbbb", "ccccccccc"}, {1, 2});
    c.EndBuild();
    EXPECT_EQ(Lf(c.ResultSQL()), QStringLiteral("aaaa\nbbbbbbbbb ccccccccc"));
}

TEST(SQLBuilderPiped, NeverBreaksAtWeightMinusOneOrBelowMarginOne)
{
    TSQLBuilderPiped b;
    b.SetRightMargin(10);
    b.BeginBuild();
    Words(b, {"aaaa", "bbbb", "cccc", "dddd"}, {-1, -1, -1});
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("aaaa bbbb cccc dddd"));

    for (int margin : {0, -5}) {
        TSQLBuilderPiped c;
        c.SetRightMargin(margin);
        c.BeginBuild();
        for (int i = 0; i < 50; ++i) {
            c.Space(0);
            c.WriteIdentifier(QStringLiteral("word"));
        }
        c.EndBuild();
        EXPECT_FALSE(c.ResultSQL().contains(u'\n')) << margin;
        EXPECT_EQ(c.ResultSQL().size(), 50 * 5);
    }
}

TEST(SQLBuilderPiped, BreakPointWithoutBlankAndWrappedIndent)
{
    // A good break position writes nothing when not chosen and only the new
    // line when chosen; the wrapped line starts at the indent then in force.
    TSQLBuilderPiped b;
    b.SetRightMargin(12);
    b.BeginBuild();
    b.WriteKeyword(QStringLiteral("Where"));
    b.Space(3);
    b.AddIndent(2);
    b.WriteIdentifier(QStringLiteral("func("));
    b.GoodNewLinePos(0);
    b.WriteIdentifier(QStringLiteral("argument)"));
    b.EndIndent();
    b.NewLine();
    b.WriteKeyword(QStringLiteral("Next"));
    b.EndBuild();
    EXPECT_EQ(Lf(b.ResultSQL()), QStringLiteral("Where func(\n  argument)\nNext"));
}

TEST(SQLBuilderPiped, PendingSpaceBeforeNewLineIsDropped)
{
    TSQLBuilderPiped b;
    b.BeginBuild();
    b.WriteIdentifier(QStringLiteral("a"));
    b.Space(3);
    b.NewLine();
    b.WriteIdentifier(QStringLiteral("b"));
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("a\r\nb"));
}

TEST(SQLBuilderPiped, LineWithoutCandidateBeforeOverflowRunsPastTheMargin)
{
    TSQLBuilderPiped b;
    b.SetRightMargin(5);
    b.BeginBuild();
    Words(b, {"abcdefghij", "k", "l"}, {3, 3});
    b.EndBuild();
    EXPECT_EQ(b.ResultSQL(), QStringLiteral("abcdefghij k l"));
}
