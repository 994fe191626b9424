// The procedure parameters dialog and the about box, and every dialog
// switching language: with Russian chosen their captions come from the
// Russian text, choosing no language brings the built-in ones back, and in
// every language each text is whole at the dialog's default size.
#include "DialogTestSupport.h"
#include "common/Eventually.h"
#include "builder/JoinTestSupport.h"
#include "builder/dialogs/AboutForm.h"
#include "builder/dialogs/AddObjectForm.h"
#include "builder/dialogs/BuilderDialogs.h"
#include "builder/dialogs/DatasourcePropsForm.h"
#include "builder/dialogs/LinkPropsForm.h"
#include "builder/dialogs/ProcedureParams.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "support/LanguageManager.h"
#include "support/LanguageSource.h"
#include "support/LocalizerForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

namespace nvqb::test {

namespace {

// The links the dialogs open, caught instead of opened by the desktop.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void Open(const QUrl &url) { Opened.append(url); }
};

class SmallDialogTest : public JoinTest {
protected:
    void SetUp() override
    {
        JoinTest::SetUp();
        RegisterBuilderDialogs(factory);
    }
    void TearDown() override
    {
        nvQBLanguageManager()->SetCurrentLanguageIndex(-1);
        JoinTest::TearDown();
    }
    static void ChooseLanguage(const QByteArray &name)
    {
        TnvQBLanguageManager *manager = nvQBLanguageManager();
        for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i)
            if (manager->GetLanguage(i)->Name() == name)
                manager->SetCurrentLanguageIndex(i);
        ASSERT_NE(manager->CurrentLanguage(), nullptr);
    }
};

} // namespace

TEST_F(SmallDialogTest, TheProcedureDialogReturnsTheWholeCall)
{
    QString expression;
    EXPECT_TRUE(RunModal<TnvProcedureParams>(
        [&] { EXPECT_TRUE(factory.ShowProcedureParamsDialog(QStringLiteral("p"), expression)); },
        [](TnvProcedureParams *form) {
            EXPECT_SQL(form->lProcName->text(), "p(");
            EXPECT_SQL(form->eParams->text(), "");
            EXPECT_EVENTUALLY(form->focusWidget() == form->eParams);
            // Name, edit box and bracket stand in one line, 4 pixels apart.
            EXPECT_EQ(form->eParams->x(), form->lProcName->geometry().right() + 1 + 4);
            EXPECT_EQ(form->lClose->x(), form->eParams->geometry().right() + 1 + 4);
            QTest::keyClicks(form->eParams, QStringLiteral("1, 2"));
            Screenshot(form, QStringLiteral("procedure-parameters-dialog"));
            QTest::keyClick(form->eParams, Qt::Key_Return);
        }));
    EXPECT_SQL(expression, "p(1, 2)");

    RunModal<TnvProcedureParams>(
        [&] { EXPECT_FALSE(factory.ShowProcedureParamsDialog(QStringLiteral("p"), expression)); },
        [](TnvProcedureParams *form) {
            EXPECT_SQL(form->eParams->text(), "");
            QTest::mouseClick(form->bCancel, Qt::LeftButton);
        });
}

TEST_F(SmallDialogTest, ALongProcedureNameWidensTheDialog)
{
    TnvProcedureParams form;
    form.Prepare(QStringLiteral("p"));
    const int narrow = form.width();
    form.Prepare(QStringLiteral("a_procedure_whose_name_takes_much_more_room_than_the_dialog_has"));
    EXPECT_GT(form.width(), narrow);
    EXPECT_EQ(form.width(), form.lClose->geometry().right() + 1 + 20);
}

TEST_F(SmallDialogTest, AProcedureAddedToTheQueryIsCalledWithTheTypedValues)
{
    RunModal<TnvProcedureParams>([this] { Part()->AddStoredProc(QStringLiteral("p")); },
                                 [](TnvProcedureParams *form) {
                                     QTest::keyClicks(form->eParams, QStringLiteral("1, 2"));
                                     QTest::mouseClick(form->bOk, Qt::LeftButton);
                                 });
    EXPECT_SQL(SQL(), "Select * From p(1, 2)");
}

TEST_F(SmallDialogTest, TheAboutBoxShowsTheVersion)
{
    EXPECT_TRUE(RunModal<TfNvQBAboutForm>([this] { factory.ShowAboutDialog(qb.get()); },
                                          [](TfNvQBAboutForm *form) {
                                              EXPECT_SQL(form->windowTitle(), "About Norvane Query Builder");
                                              EXPECT_SQL(form->lVersion->text(), "1.7.9.19");
                                              EXPECT_EQ(form->lWebSite->cursor().shape(), Qt::PointingHandCursor);
                                              const QImage image = Screenshot(form, QStringLiteral("about-box"));
                                              // The box is white behind its texts.
                                              EXPECT_EQ(image.pixelColor(image.width() - 3, 3), QColor(Qt::white));
                                              QTest::keyClick(form, Qt::Key_Escape);
                                              EXPECT_FALSE(form->isVisible());
                                          }));

    // A click on either link opens the link's text, a click on the picture
    // the product's web site; the box stays open.
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
    auto unhook = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); });
    QString webSite, support;
    bool open = false;
    RunModal<TfNvQBAboutForm>([this] { factory.ShowAboutDialog(qb.get()); }, [&](TfNvQBAboutForm *form) {
        webSite = form->lWebSite->text();
        support = form->lSupport->text();
        QTest::mouseClick(form->lWebSite, Qt::LeftButton);
        QTest::mouseClick(form->lSupport, Qt::LeftButton);
        QTest::mouseClick(form->Image1, Qt::LeftButton);
        open = form->isVisible();
    });
    EXPECT_TRUE(open);
    ASSERT_TRUE(webSite.startsWith(u"https://"));
    ASSERT_TRUE(support.startsWith(u"https://"));
    EXPECT_NE(webSite, support);
    EXPECT_EQ(catcher.Opened, (QList<QUrl>{QUrl(webSite), QUrl(support), QUrl(webSite)}));
}

TEST_F(SmallDialogTest, EveryDialogSpeaksTheChosenLanguage)
{
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id"));
    ChooseLanguage("Russian");

    RunModal<TnvLinkPropsForm>([this] { Links()[0]->EditProps(poMainFormCenter); }, [](TnvLinkPropsForm *form) {
        EXPECT_SQL(form->windowTitle(), "Свойства связи");
        EXPECT_SQL(form->lLeftObject->text(), "Левый объект");
        EXPECT_SQL(form->cbAllFromLeft->text(), "Все записи слева");
        EXPECT_SQL(form->lRightColumn->text(), "Правое поле");
        EXPECT_SQL(form->bCancel->text(), "Отмена");
        Screenshot(form, QStringLiteral("link-dialog-russian"));
    });
    RunModal<TnvDatasourcePropsForm>([this] { Source(QStringLiteral("a"))->EditProps(poMainFormCenter); },
                                     [](TnvDatasourcePropsForm *form) {
                                         EXPECT_SQL(form->windowTitle(), "Свойства источника данных");
                                         EXPECT_SQL(form->lAlias->text(), "Псевдоним");
                                         Screenshot(form, QStringLiteral("datasource-dialog-russian"));
                                     });
    {
        TnvAddObjectForm form(qb.get(), qb->MetadataContainer());
        form.Prepare();
        form.show();
        EXPECT_SQL(form.windowTitle(), "Добавление объекта");
        EXPECT_SQL(form.pcObjects->tabText(0), "Таблицы");
        EXPECT_SQL(form.cbAddFK->text(), "Создавать связи по внешним ключам");
        EXPECT_SQL(form.bAdd->text(), "&Добавить объект");
        EXPECT_SQL(form.cbSchemas->itemText(0), "(Все объекты)");
        Screenshot(&form, QStringLiteral("add-object-dialog-russian"));

        // Choosing no language while it is open brings the built-in texts back.
        nvQBLanguageManager()->SetCurrentLanguageIndex(-1);
        EXPECT_SQL(form.windowTitle(), "Add new object");
        EXPECT_SQL(form.pcObjects->tabText(0), "Tables");
        ChooseLanguage("Russian");
    }
    {
        TnvProcedureParams form;
        form.Prepare(QStringLiteral("p"));
        form.show();
        EXPECT_SQL(form.windowTitle(), "Параметры процедуры");
        EXPECT_SQL(form.lPrompt->text(), "Введите значения параметров выбранной процедуры:");
        // The translated prompt is longer: the dialog makes room for it.
        EXPECT_GE(form.width(), form.lPrompt->geometry().right() + 1);
        Screenshot(&form, QStringLiteral("procedure-parameters-dialog-russian"));
    }
    {
        TfNvQBAboutForm form;
        form.show();
        EXPECT_SQL(form.windowTitle(), "О программе Norvane Query Builder");
        EXPECT_SQL(form.lVersionCaption->text(), "Версия:");
        // The version is set as the box shows; it is not cut short.
        EXPECT_SQL(form.lVersion->text(), "1.7.9.19");
        EXPECT_GE(form.lVersion->width(), form.lVersion->sizeHint().width());
        EXPECT_SQL(form.bClose->text(), "Закрыть");
        Screenshot(&form, QStringLiteral("about-box-russian"));
    }
}

TEST_F(SmallDialogTest, EveryDialogShowsItsTextsWholeInEveryLanguage)
{
    // The cut texts of the dialog shown at its default size.
    auto cut = [](QDialog &dialog) {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog, EventuallyTimeoutMs));
        QApplication::processEvents();
        const QStringList texts = CutTexts(&dialog);
        dialog.hide();
        return texts;
    };
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    for (qsizetype language = -1; language < manager->GetLanguagesCount(); ++language) {
        manager->SetCurrentLanguageIndex(language);
        SCOPED_TRACE(language < 0 ? std::string("built-in") : manager->GetLanguage(language)->Name().toStdString());
        TnvAddObjectForm addObject(qb.get(), qb->MetadataContainer());
        addObject.Prepare();
        EXPECT_SQL(cut(addObject), "");
        TnvProcedureParams procedure;
        procedure.Prepare(QStringLiteral("p"));
        EXPECT_SQL(cut(procedure), "");
        TfNvQBAboutForm about;
        EXPECT_SQL(cut(about), "");
        TnvLinkPropsForm link;
        EXPECT_SQL(cut(link), "");
        TnvDatasourcePropsForm datasource;
        EXPECT_SQL(cut(datasource), "");
    }
}

TEST_F(SmallDialogTest, EveryBuiltInLanguageTranslatesEveryPathTheDialogsList)
{
    // The paths come from the dialogs' own localizers, so a renamed control
    // or a path missing from a language text shows here.
    TnvLinkPropsForm link;
    TnvDatasourcePropsForm datasource;
    TnvAddObjectForm addObject(qb.get(), qb->MetadataContainer());
    TnvProcedureParams procedure;
    TfNvQBAboutForm about;
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    int checked = 0;
    for (const TnvQBLocalizerForm *localizer :
         {link.Localizer, datasource.Localizer, addObject.Localizer, procedure.Localizer, about.Localizer}) {
        const QByteArray section = localizer->GetSectionName();
        for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i) {
            TnvQBLanguageSourceBase *language = manager->GetLanguage(i);
            for (qsizetype k = 0; k < localizer->Properties()->Count(); ++k) {
                const QByteArray path = localizer->Properties()->Strings(k);
                EXPECT_TRUE(language->IsStringExists(section, path))
                    << language->Name().constData() << " lacks [" << section.constData() << "] "
                    << path.constData();
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 9 * (10 + 5 + 10 + 4 + 3));
}

} // namespace nvqb::test

#include "SmallDialogTests.moc"
