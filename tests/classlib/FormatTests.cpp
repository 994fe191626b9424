#include "classlib/Format.h"
#include "classlib/Exceptions.h"

#include <gtest/gtest.h>

using namespace nvqb;

TEST(Format, WritesEachArgumentKind)
{
    EXPECT_EQ(Format(QStringLiteral("%s at line %d, pos %d"), {QStringLiteral("FROM"), 3, 14}),
              QStringLiteral("FROM at line 3, pos 14"));
    EXPECT_EQ(Format(QStringLiteral("%x %x"), {255, -1}), QStringLiteral("FF FFFFFFFF"));
    EXPECT_EQ(Format(QStringLiteral("%u"), {-1}), QStringLiteral("4294967295"));
    EXPECT_EQ(Format(QStringLiteral("%f|%.3f"), {1.5, 2.0}), QStringLiteral("1.50|2.000"));
    EXPECT_EQ(Format(QStringLiteral("100%%"), {}), QStringLiteral("100%"));
    EXPECT_EQ(Format(QStringLiteral("%e"), {1234.5}), QStringLiteral("1.23450000000000E+003"));
    EXPECT_EQ(Format(QStringLiteral("%n"), {1234567.891}), QStringLiteral("1,234,567.89"));
}

TEST(Format, IndexWidthAndPrecision)
{
    EXPECT_EQ(Format(QStringLiteral("%1:s %0:s %s"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}),
              QStringLiteral("b a b"));
    EXPECT_EQ(Format(QStringLiteral("[%5d][%-5d][%.3d][%.3d]"), {42, 42, 7, -7}),
              QStringLiteral("[   42][42   ][007][-007]"));
    EXPECT_EQ(Format(QStringLiteral("[%.2s][%*d][%-*.*s]"), {QStringLiteral("abcdef"), 4, 9, 6, 3, QStringLiteral("xyzzy")}),
              QStringLiteral("[ab][   9][xyz   ]"));
}

TEST(Format, MismatchRaisesInsteadOfReadingMemory)
{
    // Format strings come from language files; a bad one must fail cleanly.
    EXPECT_THROW(Format(QStringLiteral("%s %s"), {QStringLiteral("only one")}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%d"), {QStringLiteral("text")}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%s"), {5}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%f"), {5}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("abc %"), {}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%q"), {1}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%9:d"), {1}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%99999999d"), {1}), EConvertError);
    try {
        Format(QStringLiteral("%d items"), {});
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("No argument for format '%d items'"));
    }
    try {
        Format(QStringLiteral("%s"), {1});
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Format '%s' invalid or incompatible with argument"));
    }
}

TEST(Format, PercentSignsInArgumentsAreNotFormats)
{
    EXPECT_EQ(Format(QStringLiteral("%s"), {QStringLiteral("50%d %s")}), QStringLiteral("50%d %s"));
    EXPECT_EQ(Format(QStringLiteral("%s"), {QString::fromUtf8("Straße ☃")}), QString::fromUtf8("Straße ☃"));
}
