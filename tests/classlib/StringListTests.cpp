#include "classlib/Exceptions.h"
#include "classlib/StringList.h"
#include "classlib/Strings.h"

#include <gtest/gtest.h>

using namespace nvqb;

TEST(StringList, NameValueLines)
{
    TStringList list;
    list.SetText("Caption=Hello\r\nCAPTIONX=Other\r\nnovalue\r\nEmpty=\r\n");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Values("caption"), QByteArray("Hello"));
    EXPECT_EQ(list.Values("captionx"), QByteArray("Other"));
    EXPECT_EQ(list.IndexOfName("EMPTY"), 3);
    EXPECT_EQ(list.IndexOfName("novalue"), -1);
    EXPECT_EQ(list.Names(2), QByteArray());
    EXPECT_EQ(list.Names(1), QByteArray("CAPTIONX"));

    list.SetValue("Caption", "World");
    EXPECT_EQ(list.Strings(0), QByteArray("Caption=World"));
    list.SetValue("New", "1");
    EXPECT_EQ(list.Strings(4), QByteArray("New=1"));
    // An empty value deletes the line, and only that line.
    list.SetValue("CAPTION", "");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.IndexOfName("Caption"), -1);
    EXPECT_EQ(list.Values("CaptionX"), QByteArray("Other"));

    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOfName("captionx"), -1);
    EXPECT_EQ(list.IndexOfName("CAPTIONX"), 0);
}

TEST(StringList, TextSplitsAtEveryLineEnd)
{
    TWideStringList list;
    list.SetText(QStringLiteral("a\r\nb\nc\rd\r\re\n\rf"));
    EXPECT_EQ(list.ToQStringList(),
              QStringList({"a", "b", "c", "d", "", "e", "", "f"}));
    list.SetText(QStringLiteral("x\r\n"));
    EXPECT_EQ(list.Count(), 1);
    list.SetText(QString());
    EXPECT_EQ(list.Count(), 0);
    list.SetText(QStringLiteral("one\ntwo"));
    EXPECT_EQ(list.Text(), QStringLiteral("one\r\ntwo\r\n"));
}

TEST(StringList, CommaTextQuotesWhatNeedsIt)
{
    TWideStringList list;
    list.Add(QStringLiteral("plain"));
    list.Add(QStringLiteral("with space"));
    list.Add(QStringLiteral("say \"hi\""));
    list.Add(QStringLiteral("a,b"));
    const QString text = list.CommaText();
    EXPECT_EQ(text, QStringLiteral("plain,\"with space\",\"say \"\"hi\"\"\",\"a,b\""));
    TWideStringList back;
    back.SetCommaText(text);
    EXPECT_TRUE(back.Equals(list));

    back.SetCommaText(QStringLiteral(" x , y z,"));
    EXPECT_EQ(back.ToQStringList(), QStringList({"x", "y", "z", ""}));
}

TEST(StringList, IndexErrorsAndSortedLists)
{
    TStringList list;
    list.Add("b");
    try {
        list.Strings(5);
        FAIL();
    } catch (const EListError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("List index out of bounds (5)"));
    }
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Insert(3, "x"), EListError);

    list.Add("a");
    list.Add("C");
    list.SetSorted(true);
    EXPECT_EQ(list.Text(), QByteArray("a\r\nb\r\nC\r\n"));
    EXPECT_EQ(list.Add("B"), 1); // dupIgnore: the existing line, ignoring case
    EXPECT_EQ(list.Count(), 3);
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add("A"), EListError);
    EXPECT_THROW(list.Insert(0, "z"), EListError);
    EXPECT_EQ(list.IndexOf("c"), 2);
}

TEST(StringList, ChangeNotificationIsBatched)
{
    TStringList list;
    int changes = 0;
    list.OnChange = TNotifyEvent::FromCallable([&](TObject *) { ++changes; });
    list.Add("x");
    EXPECT_EQ(changes, 1);
    list.BeginUpdate();
    list.Add("y");
    list.SetValue("k", "v");
    list.EndUpdate();
    EXPECT_EQ(changes, 2);
    TStringList copy;
    copy.Assign(&list);
    EXPECT_TRUE(copy.Equals(list));
    copy.AddStrings(copy);
    EXPECT_EQ(copy.Count(), 6);
}

TEST(Strings, TrimRemovesControlCharacters)
{
    EXPECT_EQ(Trim(QStringLiteral("\t\r\n x y \x01")), QStringLiteral("x y"));
    EXPECT_EQ(TrimLeft(QByteArray("\x1f a ")), QByteArray("a "));
    EXPECT_EQ(TrimRight(QByteArray(" a \x1f")), QByteArray(" a"));
    EXPECT_EQ(Trim(QStringLiteral(" \t ")), QString());
    EXPECT_EQ(Trim(QString::fromUtf8("\u00a0x")), QString::fromUtf8("\u00a0x"));
}
