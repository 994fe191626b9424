// The load wizard, the container editor and the login dialog in every
// built-in language: each caption path a form lists has a translation of its
// own, shown by the form once the language is chosen, and the English texts
// come back without one.
#include "adoprovider/LoginDialog.h"
#include "builder/dialogs/MetadataContainerEditor.h"
#include "builder/dialogs/MetadataContainerLoad.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "support/LanguageManager.h"
#include "support/LocalizerForm.h"
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

// Captions a translation may legitimately leave as in English: in every
// language, or (language, caption) in one.
bool SameAsEnglish(const QByteArray &language, const QString &text)
{
    static const QSet<QString> everywhere = {QStringLiteral("OK"), QStringLiteral("U"), QStringLiteral("S"),
                                             QStringLiteral("T"), QStringLiteral("V"), QStringLiteral("P")};
    static const QSet<std::pair<QByteArray, QString>> inOne = {
        {"Italian", QStringLiteral("Database:")},
        {"Italian", QStringLiteral("Schema:")},
    };
    return everywhere.contains(text) || inOne.contains({language, text});
}

// Paths of a form's localizer with the English text each holds.
QList<std::pair<QByteArray, QString>> EnglishCaptions(const TnvQBLocalizerForm *localizer)
{
    QList<std::pair<QByteArray, QString>> captions;
    for (qsizetype k = 0; k < localizer->Properties()->Count(); ++k) {
        const QByteArray path = localizer->Properties()->Strings(k);
        captions.append({path, localizer->GetWStrDefValue(path)});
    }
    return captions;
}

// Every listed caption of the form exists in every built-in language, and
// differs from English except in English itself; returns the paths checked.
qsizetype CheckEveryLanguage(const TnvQBLocalizerForm *localizer, const QByteArray &expectedSection)
{
    EXPECT_EQ(localizer->GetSectionName(), expectedSection);
    const QByteArray section = localizer->GetSectionName();
    const auto english = EnglishCaptions(localizer);
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    EXPECT_EQ(manager->GetLanguagesCount(), 9);
    for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i) {
        TnvQBLanguageSourceBase *language = manager->GetLanguage(i);
        const QByteArray name = language->Name();
        manager->SetCurrentLanguageIndex(i);
        for (const auto &[path, text] : english) {
            EXPECT_FALSE(text.isEmpty()) << section.constData() << " has no English text at " << path.constData();
            EXPECT_TRUE(language->IsStringExists(section, path))
                << name.constData() << " lacks " << section.constData() << "." << path.constData();
            const QString translated = localizer->ReadWideString(path, QString());
            EXPECT_FALSE(translated.isEmpty()) << name.constData() << " " << path.constData();
            // A text of several lines is read back with CR LF between them.
            if (name == "English")
                EXPECT_EQ(QString(translated).remove(u'\r'), text) << path.constData();
            else if (!SameAsEnglish(name, text))
                EXPECT_NE(translated, text) << name.constData() << " leaves " << path.constData() << " in English";
            // Accelerators and ellipses survive translation.
            EXPECT_EQ(translated.contains(u'&'), text.contains(u'&')) << name.constData() << " " << path.constData();
            EXPECT_EQ(translated.endsWith(QStringLiteral("...")), text.endsWith(QStringLiteral("...")))
                << name.constData() << " " << path.constData();
        }
    }
    manager->SetCurrentLanguageIndex(-1);
    return english.size();
}

} // namespace

TEST(FormTranslations, TheLoadWizardSpeaksEveryBuiltInLanguage)
{
    const auto noLanguage = qScopeGuard([] { nvQBLanguageManager()->SetCurrentLanguageIndex(-1); });
    // Without providers and saving to a file, the wizard holds all its pages.
    TfnvQBMetadataContainerLoad wizard(nullptr, nullptr, true);
    const QString englishTitle = wizard.windowTitle();
    const QString englishNext = wizard.bNext->text();
    EXPECT_EQ(CheckEveryLanguage(wizard.Localizer, "TfnvQBMetadataContainerLoad"), 38);

    // The wizard shows the chosen language and English again without one.
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i)
        if (manager->GetLanguage(i)->Name() == "Russian")
            manager->SetCurrentLanguageIndex(i);
    ASSERT_NE(manager->CurrentLanguage(), nullptr);
    EXPECT_NE(wizard.windowTitle(), englishTitle);
    EXPECT_NE(wizard.bNext->text(), englishNext);
    manager->SetCurrentLanguageIndex(-1);
    EXPECT_EQ(wizard.windowTitle(), englishTitle);
    EXPECT_EQ(wizard.bNext->text(), englishNext);
}

TEST(FormTranslations, TheContainerEditorSpeaksEveryBuiltInLanguage)
{
    const auto noLanguage = qScopeGuard([] { nvQBLanguageManager()->SetCurrentLanguageIndex(-1); });
    TnvSQL92SyntaxProvider syntax;
    TOwned<TnvMetadataContainer> container = Create<TnvMetadataContainer>(nullptr);
    container->SetSyntaxProvider(&syntax);
    TfMetadataContainerEditor editor(nullptr, container.get());
    const QString englishCancel = editor.bCancel->text();
    EXPECT_EQ(CheckEveryLanguage(editor.Localizer, "TfMetadataContainerEditor"), 30);

    TnvQBLanguageManager *manager = nvQBLanguageManager();
    for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i)
        if (manager->GetLanguage(i)->Name() == "Japanese")
            manager->SetCurrentLanguageIndex(i);
    ASSERT_NE(manager->CurrentLanguage(), nullptr);
    EXPECT_NE(editor.bCancel->text(), englishCancel);
    manager->SetCurrentLanguageIndex(-1);
    EXPECT_EQ(editor.bCancel->text(), englishCancel);
}

// The messages the forms read through the message localizer.
TEST(FormTranslations, EveryLanguageHasTheMessagesOfTheForms)
{
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    const QList<QByteArray> keys = {"nvQBFields",
                                    "nvQBRelations",
                                    "nvQBClearMetadataContainer",
                                    "nvQBMetadataTreeCurrentDatabase",
                                    "nvQBObjectTypeTable",
                                    "nvQBObjectTypeView",
                                    "nvQBObjectTypeProcedure",
                                    "nvQBObjectTypeSynonym",
                                    "nvQBObjectTypeUnknown",
                                    "nvQBDatasourceNameInUse"};
    for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i) {
        TnvQBLanguageSourceBase *language = manager->GetLanguage(i);
        for (const QByteArray &key : keys)
            EXPECT_TRUE(language->IsStringExists("Norvane Query Builder", key))
                << language->Name().constData() << " lacks " << key.constData();
    }
}

TEST(FormTranslations, TheLoginDialogSpeaksEveryBuiltInLanguage)
{
    const auto noLanguage = qScopeGuard([] { nvQBLanguageManager()->SetCurrentLanguageIndex(-1); });
    TfNvQBLoginDialog dialog;
    EXPECT_EQ(CheckEveryLanguage(dialog.Localizer, "TfNvQBLoginDialog"), 5);
}
