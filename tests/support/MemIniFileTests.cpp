// The language-text format as the in-memory store reads and writes it.
#include "classlib/Exceptions.h"
#include "support/MemIniFile.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

QByteArray Lines(const TStringList *list) { return list ? list->Text() : QByteArray("<none>"); }

} // namespace

TEST(MemIniFile, ParsesSectionsKeysAndPlainLines)
{
    auto ini = Create<TnvMemIniFile>();
    ini->LoadFromString("; leading comment\r\n"
                        "ignored=before any section\r\n"
                        "[  Main Section  ]\n"
                        "   key one   =   value = with equals   \r"
                        "\t; a comment inside\n"
                        "\n"
                        "   plain line  \n"
                        "[unclosed\n"
                        "[main section]\r\n"
                        "more=appended\r\n"
                        "[ ]\r\n"
                        "lost=a section needs a name\r\n");
    ASSERT_EQ(ini->SectionCount(), 1);
    EXPECT_EQ(ini->SectionName(0), "Main Section");
    EXPECT_EQ(Lines(ini->FindSection("MAIN SECTION")),
              "key one=value = with equals\r\nplain line\r\n[unclosed\r\nmore=appended\r\n");
    EXPECT_EQ(ini->ReadString("main section", "KEY ONE", "def"), "value = with equals");
    EXPECT_EQ(ini->ReadString("main section", "plain line", "def"), "def");
    EXPECT_EQ(ini->ReadString("missing", "key one", "def"), "def");
}

TEST(MemIniFile, StopsAtTheFirstNulByte)
{
    auto ini = Create<TnvMemIniFile>();
    ini->LoadFromString(QByteArray("[A]\r\nx=1\r\n\0[B]\r\ny=2\r\n", 22));
    EXPECT_TRUE(ini->IsSectionExists("A"));
    EXPECT_FALSE(ini->IsSectionExists("B"));

    // A UTF-16 text holds a NUL right after its first character: nothing loads.
    const QString text = QStringLiteral("[General Settings]\r\nCharSet=ANSI_CHARSET\r\n");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QBuffer buffer(&utf16);
    buffer.open(QIODevice::ReadOnly);
    ini->LoadFromStream(&buffer);
    EXPECT_EQ(ini->SectionCount(), 0);
}

TEST(MemIniFile, SavesSectionsSeparatedByTwoEmptyLines)
{
    auto ini = Create<TnvMemIniFile>();
    EXPECT_EQ(ini->SaveToString(), "");
    ini->WriteString("One", "a", "1");
    ini->WriteString("Two", "b", "2");
    ini->WriteString("One", "c", "3");
    EXPECT_EQ(ini->SaveToString(), "[One]\r\na=1\r\nc=3\r\n\r\n\r\n[Two]\r\nb=2\r\n");

    // What is saved reads back the same.
    auto again = Create<TnvMemIniFile>();
    again->LoadFromString(ini->SaveToString());
    EXPECT_EQ(again->SaveToString(), ini->SaveToString());
}

TEST(MemIniFile, WriteReplacesAppendsAndDeletes)
{
    auto ini = Create<TnvMemIniFile>();
    ini->LoadFromString("[S]\r\nName=old\r\nOther=x\r\n");
    ini->WriteString("S", "name", "new");
    ini->WriteString("S", "Third", "3");
    EXPECT_EQ(Lines(ini->FindSection("S")), "name=new\r\nOther=x\r\nThird=3\r\n");
    ini->WriteString("S", "OTHER", "");
    EXPECT_EQ(Lines(ini->FindSection("S")), "name=new\r\nThird=3\r\n");
}

TEST(MemIniFile, SectionOperations)
{
    auto ini = Create<TnvMemIniFile>();
    ini->AddSection("Alpha");
    try {
        ini->AddSection("ALPHA");
        FAIL() << "a second section of the same name was added";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), "Section \"ALPHA\" already exists!");
    }
    EXPECT_THROW(ini->AddSection(""), EAssertionFailed);

    auto lines = Create<TStringList>();
    lines->SetText("k=v\r\nplain\r\n");
    ini->WriteSection("Beta", lines.get());
    auto copy = Create<TStringList>();
    copy->Add("stale");
    ini->ReadSection("beta", copy.get());
    EXPECT_EQ(copy->Text(), "k=v\r\nplain\r\n");
    ini->ReadSectionValues("missing", copy.get());
    EXPECT_EQ(copy->Count(), 0);

    ini->ClearSection("ALPHA");
    EXPECT_FALSE(ini->IsSectionExists("Alpha"));
    EXPECT_EQ(ini->ReadString("Beta", "k", ""), "v"); // the index survives the removal
    ini->Clear();
    EXPECT_EQ(ini->SectionCount(), 0);
}

TEST(MemIniFile, ClearStringStartsIsByteWiseAndCaseSensitive)
{
    auto ini = Create<TnvMemIniFile>();
    ini->LoadFromString("[S]\r\nabc=1\r\nabd=2\r\nABx=3\r\nab\r\nx=4\r\n");
    EXPECT_TRUE(ini->IsStringStartsExists("S", "ab"));
    EXPECT_FALSE(ini->IsStringStartsExists("S", "zz"));
    ini->ClearStringStarts("S", "ab");
    EXPECT_EQ(Lines(ini->FindSection("S")), "ABx=3\r\nab\r\nx=4\r\n");
}
