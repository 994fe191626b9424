// The global language manager, the built-in languages and their texts.
#include "classlib/Exceptions.h"
#include "support/Charsets.h"
#include "support/LanguageManager.h"
#include "support/Localizer.h"
#include "support/MessageTexts.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

// Records the order in which localizers are refreshed.
class RecordingLocalizer : public TnvQBLocalizerStandalone {
public:
    RecordingLocalizer(QStringList *log, const QString &name) : TnvQBLocalizerStandalone(nullptr), FLog(log)
    {
        SetName(name);
        SetSectionName("Norvane Query Builder");
    }
    void Localize() override
    {
        TnvQBLocalizerStandalone::Localize();
        FLog->append(Name() + ":" + ReadWideString("nvQBRemove", "Remove"));
    }
    QStringList *FLog;
};

// Leaves the global manager as the unit start made it.
class LanguageManagerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        TnvQBLanguageManager *m = nvQBLanguageManager();
        m->SetCurrentLanguageIndex(-1);
        while (m->GetLanguagesCount() > 9)
            m->DeleteLanguage(m->GetLanguagesCount() - 1);
    }
    TnvQBLanguageManager *Manager() { return nvQBLanguageManager(); }
};

} // namespace

TEST_F(LanguageManagerTest, NineBuiltInLanguagesAndNoCurrentOne)
{
    const char *names[] = {"English", "Spanish", "Italian", "Chinese", "Czech",
                           "Portuguese(Brazil)", "Turkish", "Japanese", "Russian"};
    const quint8 charsets[] = {ANSI_CHARSET, ANSI_CHARSET, ANSI_CHARSET, GB2312_CHARSET, EASTEUROPE_CHARSET,
                               ANSI_CHARSET, ANSI_CHARSET, SHIFTJIS_CHARSET, RUSSIAN_CHARSET};
    ASSERT_EQ(Manager()->GetLanguagesCount(), 9);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(names[i]);
        TnvQBLanguageSourceBase *language = Manager()->GetLanguage(i);
        EXPECT_EQ(language->Name(), names[i]);
        EXPECT_TRUE(language->Is<TnvQBLanguageSourceResource>());
        EXPECT_EQ(language->Charset(), charsets[i]);
        EXPECT_EQ(language->BiDiMode(), bdLeftToRight);
    }
    EXPECT_EQ(Manager()->CurrentLanguage(), nullptr);
    EXPECT_EQ(Manager()->CurrentLanguageIndex(), -1);
    EXPECT_EQ(Manager()->DefaultLanguage(), nullptr);
    EXPECT_THROW(Manager()->GetLanguage(9), EListError);
}

TEST_F(LanguageManagerTest, EveryBuiltInLanguageTranslatesEveryMessage)
{
    TnvQBLanguageSourceBase *english = Manager()->GetLanguage(0);
    for (int i = 0; i < 9; ++i) {
        TnvQBLanguageSourceBase *language = Manager()->GetLanguage(i);
        for (const TnvResString *res : nvQBResStrings) {
            SCOPED_TRACE(std::string(language->Name().constData()) + " " + res->Key);
            EXPECT_TRUE(language->IsStringExists("Norvane Query Builder", res->Key));
            // A translation keeps the placeholders of the built-in text, in order.
            const QString text = language->ReadWideString("Norvane Query Builder", res->Key, QString());
            QStringList expected, found;
            for (const char *p = res->Text; *p; ++p)
                if (*p == '%')
                    expected << QString(QChar(p[1]));
            for (qsizetype k = 0; k + 1 < text.size(); ++k)
                if (text[k] == u'%')
                    found << QString(text[k + 1]);
            EXPECT_EQ(found, expected) << qPrintable(text);
            if (i > 0 && QByteArray(res->Text).size() > 8) {
                EXPECT_NE(text, english->ReadWideString("Norvane Query Builder", res->Key, QString()));
            }
        }
    }
}

TEST_F(LanguageManagerTest, BuiltInTextsDecodeInTheirCodePages)
{
    const struct {
        int Index;
        const char *Remove;
    } samples[] = {{1, "Eliminar"}, {2, "Rimuovi"}, {3, "删除"}, {4, "Odstranit"},
                   {5, "Remover"},  {6, "Kaldir"},  {7, "削除"}, {8, "Удалить"}};
    for (const auto &s : samples)
        EXPECT_EQ(Manager()->GetLanguage(s.Index)->ReadWideString("Norvane Query Builder", "nvQBRemove", ""),
                  QString::fromUtf8(s.Remove));
    EXPECT_EQ(Manager()->GetLanguage(4)->ReadWideString("Norvane Query Builder", "nvQBMoveDown", ""),
              QString::fromUtf8("Posunout dolů"));
}

TEST_F(LanguageManagerTest, ChangingTheLanguageRefreshesLocalizersInOrder)
{
    QStringList log;
    auto first = Create<RecordingLocalizer>(&log, "first");
    auto second = Create<RecordingLocalizer>(&log, "second");
    Manager()->SetCurrentLanguageIndex(8);
    EXPECT_EQ(log, QStringList({QString::fromUtf8("first:Удалить"), QString::fromUtf8("second:Удалить")}));

    log.clear();
    Manager()->SetCurrentLanguage(Manager()->GetLanguage(8));
    Manager()->SetCurrentLanguageIndex(8);
    EXPECT_TRUE(log.isEmpty()); // the same language again changes nothing

    // A bad index raises and leaves the current language as it was.
    EXPECT_THROW(Manager()->SetCurrentLanguageIndex(42), EListError);
    EXPECT_THROW(Manager()->SetCurrentLanguageIndex(-2), EListError);
    EXPECT_EQ(Manager()->CurrentLanguageIndex(), 8);
    EXPECT_EQ(Manager()->CurrentLanguage(), Manager()->GetLanguage(8));
    EXPECT_TRUE(log.isEmpty());

    Manager()->SetCurrentLanguage(nullptr);
    EXPECT_EQ(log, QStringList({"first:Remove", "second:Remove"}));
}

TEST_F(LanguageManagerTest, DeletingLanguages)
{
    QStringList log;
    auto localizer = Create<RecordingLocalizer>(&log, "loc");
    const qsizetype a = Manager()->AddLanguageFromString("A", "[Norvane Query Builder]\r\nnvQBRemove=A-remove\r\n");
    const qsizetype b =
        Manager()->AddLanguageFromString("B", "[Norvane Query Builder]\r\nnvQBRemove=B-remove\r\n", true);
    EXPECT_EQ(a, 9);
    EXPECT_EQ(b, 10);
    EXPECT_EQ(Manager()->DefaultLanguage(), Manager()->GetLanguage(b));
    EXPECT_EQ(Manager()->CurrentLanguage(), nullptr); // adding never chooses

    // Deleting one before the current language keeps the current one current.
    Manager()->SetCurrentLanguageIndex(b);
    log.clear();
    Manager()->DeleteLanguage(a);
    EXPECT_EQ(Manager()->CurrentLanguageIndex(), 9);
    EXPECT_EQ(Manager()->CurrentLanguage()->Name(), "B");
    EXPECT_TRUE(log.isEmpty());

    // Deleting the current language refreshes with no language at all.
    Manager()->DeleteLanguage(9);
    EXPECT_EQ(log, QStringList({"loc:Remove"}));
    EXPECT_EQ(Manager()->CurrentLanguageIndex(), -1);
    EXPECT_EQ(Manager()->CurrentLanguage(), nullptr);
    EXPECT_EQ(Manager()->DefaultLanguage(), nullptr);
    EXPECT_EQ(Manager()->GetLanguagesCount(), 9);
    EXPECT_THROW(Manager()->DeleteLanguage(9), EListError);
}

TEST_F(LanguageManagerTest, LanguagesFromListsAndFilesAndTheirFailures)
{
    auto lines = Create<TStringList>();
    lines->SetText("[General Settings]\r\nCharSet=GREEK_CHARSET\r\n");
    const qsizetype i = Manager()->AddLanguageFromStrings("Greek", lines.get());
    EXPECT_EQ(Manager()->GetLanguage(i)->Charset(), GREEK_CHARSET);
    EXPECT_THROW(Manager()->AddLanguageFromFile("Missing", "/no/such/file.lng"), EStreamError);
    EXPECT_THROW(Manager()->AddLanguageFromResource("Missing", "NONE.LNG", "LANGUAGE"), EStreamError);
    EXPECT_EQ(Manager()->GetLanguagesCount(), 10); // failed additions add nothing
}

TEST_F(LanguageManagerTest, LocalizersRegisterOnceAndStopBeingAskedWhenFreed)
{
    QStringList log;
    {
        auto localizer = Create<RecordingLocalizer>(&log, "gone");
        EXPECT_THROW(Manager()->AddLocalizer(localizer.get()), EAssertionFailed);
    }
    EXPECT_THROW(Manager()->RemoveLocalizer(nullptr), EAssertionFailed);
    Manager()->SetCurrentLanguageIndex(0);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_THROW(Manager()->SetCurrentLanguage(reinterpret_cast<TnvQBLanguageSourceBase *>(&log)), EAssertionFailed);
}

TEST(LanguageText, ThePortugueseTextIsStoredToLoad)
{
    // The built-in text is 8-bit so that it loads; a UTF-16 text would load empty.
    QFile resource(":/LANGUAGE/PORTUGUESE_BRAZIL.LNG");
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    const QByteArray data = resource.readAll();
    EXPECT_FALSE(data.startsWith("\xFF\xFE"));
    EXPECT_FALSE(data.contains('\0'));

    const QString text = QString::fromUtf8(QByteArray("[General Settings]\r\nCharSet=ANSI_CHARSET\r\n"
                                                      "[Norvane Query Builder]\r\nnvQBRemove=Remover\r\n"));
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    auto wide = Create<TnvQBLanguageSourceString>("UTF-16", utf16);
    EXPECT_EQ(wide->IniFile()->SectionCount(), 0);
    EXPECT_EQ(wide->Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(wide->BiDiMode(), bdLeftToRight);
    EXPECT_EQ(wide->ReadString("Norvane Query Builder", "nvQBRemove", "default"), "default");
}
