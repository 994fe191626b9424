// Wildcard masks: the matching rules and their cost.
#include "classlib/Exceptions.h"
#include "support/Mask.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

bool Like(const QString &text, const QString &mask, bool caseSensitive = true)
{
    return MatchesMask(text, mask, caseSensitive, "%", u'_');
}

// Plain recursive matching of the same rules, for comparison on small cases.
bool Reference(QStringView t, QStringView m)
{
    if (m.isEmpty())
        return t.isEmpty();
    if (m[0] == u'%') {
        qsizetype k = 0;
        while (k < m.size() && (m[k] == u'%' || m[k] == u'_'))
            ++k; // "%_" is "%"
        for (qsizetype i = 0; i <= t.size(); ++i)
            if (Reference(t.mid(i), m.mid(k)))
                return true;
        return false;
    }
    if (t.isEmpty())
        return false;
    if (m[0] == u'_' || m[0] == t[0])
        return Reference(t.mid(1), m.mid(1));
    return false;
}

} // namespace

TEST(Mask, AnyRunAndOneCharacter)
{
    for (const char *text : {"", "a", "anything at all"})
        EXPECT_TRUE(Like(text, "%")) << text;
    EXPECT_TRUE(Like("a", "a%"));
    EXPECT_TRUE(Like("abc", "a%"));
    EXPECT_FALSE(Like("ba", "a%"));
    EXPECT_TRUE(Like("xa", "_a%"));
    EXPECT_FALSE(Like("a", "_a%"));
    EXPECT_TRUE(Like("", "%_"));
    EXPECT_TRUE(Like("abc", "a_c"));
    EXPECT_FALSE(Like("abbc", "a_c"));
    EXPECT_TRUE(Like("emp_dept", "emp%dept"));
    EXPECT_TRUE(Like("abcabd", "%ab_"));
    EXPECT_FALSE(Like("abcabe", "%abd"));
    EXPECT_FALSE(Like("abc", "ab"));
    EXPECT_FALSE(Like("ab", "abc"));
}

TEST(Mask, CaseAndLiteralRuns)
{
    EXPECT_TRUE(Like("ABC", "abc", false));
    EXPECT_FALSE(Like("ABC", "abc", true));
    EXPECT_TRUE(Like(QString::fromUtf8("ÄÖÜ"), QString::fromUtf8("äöü"), false));
    EXPECT_TRUE(Like("%", "[%]"));
    EXPECT_FALSE(Like("x", "[%]"));
    EXPECT_TRUE(Like("%", "\"%\""));
    EXPECT_FALSE(Like("", "\"%\""));
    EXPECT_TRUE(Like("a_b", "a[_]b"));
    EXPECT_FALSE(Like("axb", "a[_]b"));
    // An unclosed run ends with the mask.
    EXPECT_TRUE(Like("a%", "a[%"));
    EXPECT_TRUE(Like("ab", "a\"b"));
    // Other wildcards, and none for a single character.
    EXPECT_TRUE(MatchesMask("file.txt", "*.txt", true, "*", u'?'));
    EXPECT_TRUE(MatchesMask("a_b", "a_b", true, "*", QChar()));
    EXPECT_FALSE(MatchesMask("axb", "a_b", true, "*", QChar()));
}

TEST(Mask, AtMostThirtyAnyRuns)
{
    QString thirty, thirtyOne;
    for (int i = 0; i < 30; ++i)
        thirty += "%a";
    thirtyOne = thirty + "%a";
    EXPECT_NO_THROW(TMask(thirty, "%", u'_'));
    try {
        TMask mask(thirtyOne, "%", u'_');
        FAIL() << "31 any-run wildcards were accepted";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), "Invalid Mask");
    }
    // A trailing wildcard counts as well: it stands before the end of the text.
    EXPECT_THROW(TMask(thirty + "%", "%", u'_'), Exception);
}

TEST(Mask, AgreesWithPlainMatchingOnSmallCases)
{
    QRandomGenerator random(20240517);
    const char alphabet[] = "ab%_";
    for (int round = 0; round < 20000; ++round) {
        QString mask, text;
        const int ml = random.bounded(7), tl = random.bounded(8);
        for (int i = 0; i < ml; ++i)
            mask += QChar(alphabet[random.bounded(4)]);
        for (int i = 0; i < tl; ++i)
            text += QChar(alphabet[random.bounded(2)]);
        ASSERT_EQ(Like(text, mask), Reference(text, mask)) << qPrintable(text) << " / " << qPrintable(mask);
    }
}

TEST(Mask, APathologicalMaskFinishesFast)
{
    const TMask mask("%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%b", "%", u'_');
    const QString text(20000, u'a');
    // Backtracking would not finish in a lifetime; the test's time limit catches it.
    EXPECT_FALSE(mask.Matches(text, true));
    EXPECT_TRUE(mask.Matches(text + "b", false));
}
