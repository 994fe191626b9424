#include "adoprovider/ConnectionString.h"
#include "classlib/Dataset.h"

#include <gtest/gtest.h>

using namespace nvqb;

TEST(ConnectionString, ParsesBracedValuesBlanksAndEmptySegments)
{
    const auto attributes =
        ParseConnectionString(QStringLiteral(" Driver = {PostgreSQL Unicode} ;;Database= /tmp/a b.db ; PWD={se;c}}ret}; "));
    ASSERT_EQ(attributes.size(), 3);
    EXPECT_EQ(attributes[0], TConnectionAttribute("Driver", "PostgreSQL Unicode"));
    EXPECT_EQ(attributes[1], TConnectionAttribute("Database", "/tmp/a b.db"));
    EXPECT_EQ(attributes[2], TConnectionAttribute("PWD", "se;c}ret"));
}

TEST(ConnectionString, MalformedTextIsNamedByPosition)
{
    try {
        ParseConnectionString(QStringLiteral("Driver=SQLite3;PWD={abc"));
        FAIL() << "no error";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message().toStdString(), "Connection string: the '{' at position 20 is not closed");
    }
    EXPECT_THROW(ParseConnectionString(QStringLiteral("Driver=SQLite3;Database")), EDatabaseError);
    EXPECT_THROW(ParseConnectionString(QStringLiteral("=value")), EDatabaseError);
    // A password with an unbraced ';': the message does not repeat its rest.
    try {
        ParseConnectionString(QStringLiteral("Driver=SQLite3;PWD=se;cret;UID=u"));
        FAIL() << "no error";
    } catch (const EDatabaseError &e) {
        EXPECT_FALSE(e.Message().contains(QStringLiteral("cret"))) << e.what();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("position 23"))) << e.what();
    }
}

TEST(ConnectionString, BuildsBackWhatParses)
{
    const QList<TConnectionAttribute> attributes = {
        {"Driver", "SQLite3"}, {"Database", "/tmp/x;y {z}.db"}, {"PWD", " padded "}};
    const QString text = BuildConnectionString(attributes);
    EXPECT_EQ(text, QStringLiteral("Driver=SQLite3;Database={/tmp/x;y {z}}.db};PWD={ padded }"));
    EXPECT_EQ(ParseConnectionString(text), attributes);
}

TEST(ConnectionString, ValuesAreReadAndReplacedWithoutRegardToCase)
{
    const QString text = QStringLiteral("Driver=X;uid=a;Port=1;UID=b");
    EXPECT_EQ(ConnectionStringValue(text, QStringLiteral("Uid")), QStringLiteral("b")); // the last one counts
    EXPECT_EQ(ConnectionStringValue(text, QStringLiteral("PWD")), QString());
    EXPECT_EQ(SetConnectionStringValue(text, QStringLiteral("UID"), QStringLiteral("c")),
              QStringLiteral("Driver=X;Port=1;UID=c"));
    EXPECT_EQ(SetConnectionStringValue(text, QStringLiteral("PWD"), QStringLiteral("p;w")),
              QStringLiteral("Driver=X;uid=a;Port=1;UID=b;PWD={p;w}"));
    EXPECT_EQ(MaskConnectionString(QStringLiteral("Driver=X;pwd=secret;Password={s;t}")),
              QStringLiteral("Driver=X;pwd=***;Password=***"));
    EXPECT_EQ(MaskConnectionString(QStringLiteral("Driver=X; Pwd = {se;c}}ret} ;PASSWORD= two ;UID=u")),
              QStringLiteral("Driver=X;Pwd=***;PASSWORD=***;UID=u"));
    EXPECT_FALSE(MaskConnectionString(QStringLiteral("PWD={secret")).contains(QStringLiteral("secret")));
}
