// Multi-line texts, string lists and the general settings of a language text.
#include "classlib/Exceptions.h"
#include "support/Charsets.h"
#include "support/LanguageSource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace nvqb;

namespace {

TOwned<TnvQBLanguageSourceString> Source(const QByteArray &text)
{
    return Create<TnvQBLanguageSourceString>("Test", text);
}

TOwned<TStringList> List(std::initializer_list<const char *> items)
{
    auto list = Create<TStringList>();
    for (const char *item : items)
        list->Add(item);
    return list;
}

QByteArray SectionText(const TnvQBLanguageSourceBase *source, const char *section)
{
    const TStringList *lines = source->IniFile()->FindSection(section);
    return lines ? lines->Text() : QByteArray();
}

} // namespace

TEST(LanguageSource, MultiLineKeysWithGaps)
{
    auto src = Source("[F]\r\n"
                      "Two.0=first\r\nTwo.1=second\r\n"
                      "Gap=zero\r\nGap.2=two\r\n"
                      "Wizard.0=a\r\nWizard.3=d\r\nWizard.5=f\r\n"
                      "Empty=\r\n"
                      "GapX1=other key\r\nGap.word=not a line\r\n");
    EXPECT_EQ(src->ReadString("F", "Two", "def"), "first\r\nsecond");
    EXPECT_EQ(src->ReadString("F", "Gap", "def"), "zero\r\n\r\ntwo");
    EXPECT_EQ(src->ReadString("F", "Wizard", "def"), "a\r\n\r\n\r\nd\r\n\r\nf");
    EXPECT_EQ(src->ReadString("F", "Empty", "def"), "");
    EXPECT_EQ(src->ReadString("F", "Missing", "def"), "def");
    EXPECT_EQ(src->ReadString("F", "two", "def"), "def"); // keys are case-sensitive here
    EXPECT_EQ(src->ReadString("Nope", "Two", "def"), "def");
}

TEST(LanguageSource, AHugeLineNumberIsIgnored)
{
    auto src = Source("[F]\r\nKey=zero\r\nKey.2000000000=far away\r\nKey.99999999999999999999=further\r\n"
                      "Only.2000000000=x\r\n");
    EXPECT_EQ(src->ReadString("F", "Key", "def"), "zero");
    EXPECT_EQ(src->ReadString("F", "Only", "def"), "def");
    EXPECT_FALSE(src->IsStringExists("F", "Only"));
    // Clearing still removes every line of the key.
    src->ClearString("F", "Key");
    src->ClearString("F", "Only");
    EXPECT_EQ(SectionText(src.get(), "F"), "");
}

TEST(LanguageSource, WriteStringSplitsLinesAndLeavesGaps)
{
    auto src = Source("[F]\r\nText=old\r\nTEXT=another key\r\nText.7=stale\r\n");
    src->WriteString("F", "Text", "one\r\n\ntwo\rthree\n");
    EXPECT_EQ(SectionText(src.get(), "F"), "TEXT=another key\r\nText.0=one\r\nText.2=two\r\nText.3=three\r\n");
    EXPECT_EQ(src->ReadString("F", "Text", "def"), "one\r\n\r\ntwo\r\nthree");

    src->WriteString("F", "Text", "single\r\n");
    EXPECT_EQ(SectionText(src.get(), "F"), "TEXT=another key\r\nText=single\r\n");
    EXPECT_EQ(src->ReadString("F", "TEXT", "def"), "another key");
    src->WriteString("F", "Text", "");
    EXPECT_EQ(src->ReadString("F", "Text", "def"), "def");
}

TEST(LanguageSource, ClearAndExistsTouchOnlyTheKeyAndItsLines)
{
    auto src = Source("[F]\r\nCaption=a\r\nCaption.1=b\r\nCaptionX=keep\r\nCaption.Hint=keep too\r\n"
                      "CaptionX.0=keep\r\n");
    EXPECT_TRUE(src->IsStringExists("F", "Caption"));
    src->ClearString("F", "Caption");
    EXPECT_FALSE(src->IsStringExists("F", "Caption"));
    EXPECT_EQ(SectionText(src.get(), "F"), "CaptionX=keep\r\nCaption.Hint=keep too\r\nCaptionX.0=keep\r\n");
    EXPECT_FALSE(src->IsStringExists("Missing", "Caption"));
    EXPECT_THROW(src->ReadString("", "Caption", ""), EAssertionFailed);
    EXPECT_THROW(src->WriteString("F", "", "x"), EAssertionFailed);
}

TEST(LanguageSource, ListsTakeTheirLengthFromTheDefaults)
{
    auto src = Source("[F]\r\ncb.Items.Item5=five\r\ncb.Items.Item0=zero\r\ncb.Items.ItemX=bad\r\n"
                      "cb.ItemsOther.Item1=other\r\n");
    auto result = List({"stale"});
    auto defaults = List({"d0", "d1", "d2"});
    src->ReadStrings("F", "cb.Items", defaults.get(), result.get());
    EXPECT_EQ(result->Text(), "zero\r\nfive\r\nd2\r\n");

    auto one = List({"only"});
    src->ReadStrings("F", "cb.Items", one.get(), result.get());
    EXPECT_EQ(result->Text(), "zero\r\n");

    // Without defaults every stored item is read.
    src->ReadStrings("F", "cb.Items", nullptr, result.get());
    EXPECT_EQ(result->Text(), "zero\r\nfive\r\n");
    EXPECT_THROW(src->ReadStrings("F", "cb.Items", defaults.get(), nullptr), EAssertionFailed);
}

TEST(LanguageSource, AListItemOfSeveralLinesReadsBackWhole)
{
    auto src = Source("[F]\r\nlst.Items.Item0=stale\r\nlst.Items.Item9.1=stale\r\nlst.ItemsX.Item0=keep\r\n");
    auto items = List({"first", "two\r\nlines", "third"});
    src->WriteStrings("F", "lst.Items", items.get());
    EXPECT_EQ(SectionText(src.get(), "F"), "lst.ItemsX.Item0=keep\r\nlst.Items.Item0=first\r\n"
                                           "lst.Items.Item1.0=two\r\nlst.Items.Item1.1=lines\r\n"
                                           "lst.Items.Item2=third\r\n");
    auto defaults = List({"a", "b", "c", "d"});
    auto result = Create<TStringList>();
    src->ReadStrings("F", "lst.Items", defaults.get(), result.get());
    EXPECT_EQ(result->Text(), "first\r\ntwo\r\nlines\r\nthird\r\nd\r\n");
    EXPECT_EQ(result->Count(), 4);
    EXPECT_EQ(result->Strings(1), "two\r\nlines");

    EXPECT_TRUE(src->IsStringsExists("F", "lst.Items"));
    src->ClearStrings("F", "lst.Items");
    EXPECT_FALSE(src->IsStringsExists("F", "lst.Items"));
    EXPECT_EQ(SectionText(src.get(), "F"), "lst.ItemsX.Item0=keep\r\n");
}

TEST(LanguageSource, GeneralSettings)
{
    auto plain = Source("");
    EXPECT_EQ(plain->Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(plain->BiDiMode(), bdLeftToRight);

    auto hebrew = Source("[general settings]\r\ncharset=hebrew_charset\r\n");
    EXPECT_EQ(hebrew->Charset(), HEBREW_CHARSET);
    EXPECT_EQ(hebrew->BiDiMode(), bdRightToLeft);

    auto arabicLtr = Source("[General Settings]\r\nCharSet=ARABIC_CHARSET\r\nBiDiMode=BiDiLeftToRight\r\n");
    EXPECT_EQ(arabicLtr->BiDiMode(), bdLeftToRight);

    auto odd = Source("[General Settings]\r\nCharSet=KLINGON\r\nBiDiMode=bidilefttoright\r\n");
    EXPECT_EQ(odd->Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(odd->BiDiMode(), bdRightToLeft); // only the exact spelling is left to right

    odd->SetCharset(RUSSIAN_CHARSET);
    odd->SetBiDiMode(bdLeftToRight);
    odd->WriteParams();
    EXPECT_EQ(SectionText(odd.get(), "General Settings"), "CharSet=RUSSIAN_CHARSET\r\nBiDiMode=BiDiLeftToRight\r\n");

    EXPECT_EQ(TnvQBLanguageSourceBase::CharsetValToString(123), "DEFAULT_CHARSET");
    EXPECT_EQ(TnvQBLanguageSourceBase::CharsetStringToVal("Oem_Charset"), OEM_CHARSET);
    for (int n : {0, 1, 2, 77, 128, 129, 130, 134, 136, 161, 162, 163, 177, 178, 186, 204, 222, 238, 255})
        EXPECT_EQ(TnvQBLanguageSourceBase::CharsetStringToVal(TnvQBLanguageSourceBase::CharsetValToString(n)), n);
}

TEST(LanguageSource, WideTextsUseTheLanguageCodePage)
{
    auto russian = Source("[General Settings]\r\nCharSet=RUSSIAN_CHARSET\r\n[F]\r\nk=\xcf\xf0\xe8\xe2\xe5\xf2\r\n");
    EXPECT_EQ(russian->ReadWideString("F", "k", "def"), QString::fromUtf8("Привет"));
    EXPECT_EQ(russian->ReadWideString("F", "missing", "def"), "def");
    russian->WriteWideString("F", "w", QString::fromUtf8("Да\nНет"));
    EXPECT_EQ(russian->ReadString("F", "w", ""), "\xc4\xe0\r\n\xcd\xe5\xf2");

    auto czech = Source("[General Settings]\r\nCharSet=EASTEUROPE_CHARSET\r\n[F]\r\nk=\xf8\xe1\x9e\r\n");
    EXPECT_EQ(czech->ReadWideString("F", "k", ""), QString::fromUtf8("řáž"));
    auto chinese = Source("[General Settings]\r\nCharSet=GB2312_CHARSET\r\n[F]\r\nk=\xd6\xd0\xce\xc4\r\n");
    EXPECT_EQ(chinese->ReadWideString("F", "k", ""), QString::fromUtf8("中文"));
    auto japanese = Source("[General Settings]\r\nCharSet=SHIFTJIS_CHARSET\r\n[F]\r\nk=\x93\xfa\x96\x7b\r\n");
    EXPECT_EQ(japanese->ReadWideString("F", "k", ""), QString::fromUtf8("日本"));

    auto items = Create<TWideStringList>();
    items->Add(QString::fromUtf8("Один"));
    russian->WriteWideStrings("F", "list", items.get());
    auto result = Create<TWideStringList>();
    russian->ReadWideStrings("F", "list", items.get(), result.get());
    EXPECT_EQ(result->Strings(0), QString::fromUtf8("Один"));
}

TEST(LanguageSource, KindsOfSources)
{
    auto lines = List({"[S]", "k=from list"});
    auto fromList = Create<TnvQBLanguageSourceStrings>("L", lines.get());
    lines->Clear(); // the source keeps its own copy
    EXPECT_EQ(fromList->ReadString("S", "k", ""), "from list");
    EXPECT_EQ(fromList->Name(), "L");

    EXPECT_THROW(Create<TnvQBLanguageSourceResource>("R", "NOSUCH.LNG", "LANGUAGE"), EStreamError);
    EXPECT_THROW(Create<TnvQBLanguageSourceFile>("F", "/nonexistent/dir/x.lng"), EStreamError);
}

TEST(LanguageSource, AFileSourceSavesThroughAReplacement)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("custom.lng");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General Settings]\r\nCharSet=ANSI_CHARSET\r\n[S]\r\nk=v\r\n");
    }
    auto src = Create<TnvQBLanguageSourceFile>("Custom", path);
    struct stat before {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &before), 0);
    src->WriteString("S", "added", "new");
    src->IniFile()->WriteString("General Settings", "CharSet", "RUSSIAN_CHARSET");
    src->SaveLanguage();
    // A new file took the old one's place rather than the old one being truncated.
    struct stat after {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(src->Charset(), RUSSIAN_CHARSET); // the settings are read again
    auto reread = Create<TnvQBLanguageSourceFile>("Again", path);
    EXPECT_EQ(reread->ReadString("S", "added", ""), "new");
    EXPECT_EQ(reread->ReadString("S", "k", ""), "v");

    // A save that cannot complete leaves the old file whole.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    src->WriteString("S", "k", "changed");
    const bool writable = QFile(dir.filePath("probe")).open(QIODevice::WriteOnly); // root ignores permissions
    if (!writable) {
        EXPECT_THROW(src->SaveLanguage(), EStreamError);
        auto unchanged = Create<TnvQBLanguageSourceFile>("Old", path);
        EXPECT_EQ(unchanged->ReadString("S", "k", ""), "v");
        EXPECT_EQ(unchanged->ReadString("S", "added", ""), "new");
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
