// The Add Object dialog over a metadata container of several schemas,
// shown non-modally and driven with clicks and keys.
#include "DialogTestSupport.h"
#include "builder/JoinTestSupport.h"
#include "builder/dialogs/AddObjectForm.h"
#include "builder/dialogs/BuilderDialogs.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace nvqb::test {

namespace {

class AddObjectFormTest : public JoinTest {
protected:
    void SetUp() override
    {
        JoinTest::SetUp();
        RegisterBuilderDialogs(factory);
        TnvMetadataContainer *container = qb->MetadataContainer();
        container->Clear();
        container->AddTable(QStringLiteral("s"), QStringLiteral("t"));
        container->AddTable(QStringLiteral("sales"), QStringLiteral("t"));
        container->AddTable(QStringLiteral("s"), QStringLiteral("u"));
        container->AddView(QStringLiteral("sales"), QStringLiteral("v"));
        container->AddProcedure(QStringLiteral("dbo"), QStringLiteral("p"));
    }

    static QStringList Texts(const QListWidget *list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts.append(list->item(i)->text());
        return texts;
    }
    static QStringList Texts(const QComboBox *combo)
    {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
        return texts;
    }
    // Chooses the drop-down entry with the keyboard, as a user would.
    static void ChooseSchema(TnvAddObjectForm &form, const QString &text)
    {
        form.cbSchemas->setFocus();
        QTest::keyClick(form.cbSchemas, Qt::Key_Home);
        while (form.cbSchemas->currentText() != text && form.cbSchemas->currentIndex() < form.cbSchemas->count() - 1)
            QTest::keyClick(form.cbSchemas, Qt::Key_Down);
    }
    static void ClickRow(QListWidget *list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
};

} // namespace

TEST_F(AddObjectFormTest, OpensAtTheOptionsSizeWithinTheirConstraintsAndGivesTheSizeBack)
{
    TnvAddObjectFormOptions *options = qb->AddObjectFormOptions();
    EXPECT_EQ(options->Width(), 294);
    EXPECT_EQ(options->Height(), 342);
    EXPECT_EQ(options->Constraints()->MinWidth(), 430);
    EXPECT_EQ(options->Constraints()->MinHeight(), 430);
    {
        TnvAddObjectForm form(qb.get(), qb->MetadataContainer());
        form.Prepare();
        form.show();
        EXPECT_EQ(form.minimumSize(), QSize(430, 430));
        EXPECT_EQ(form.size(), QSize(430, 430));
        // While the dialog is open the options read and set its size.
        EXPECT_EQ(options->Width(), 430);
        options->SetHeight(500);
        EXPECT_EQ(form.height(), 500);
        EXPECT_SQL(form.pcObjects->tabText(form.pcObjects->currentIndex()), "Tables");
        EXPECT_FALSE(form.bAdd->isEnabled());
        EXPECT_TRUE(form.cbAddFK->isChecked());
        // Option changes reach the open dialog.
        options->SetViewsVisible(false);
        EXPECT_FALSE(form.pcObjects->isTabVisible(form.pcObjects->indexOf(form.tsViews)));
        form.resize(600, 520);
        form.hide();
    }
    EXPECT_EQ(options->Form(), nullptr);
    EXPECT_EQ(options->Width(), 600);
    EXPECT_EQ(options->Height(), 520);
}

TEST_F(AddObjectFormTest, ASchemaListsItsOwnObjectsByTheirNamesAlone)
{
    TnvAddObjectForm form(qb.get(), qb->MetadataContainer());
    form.Prepare();
    form.show();
    EXPECT_SQL(Texts(form.cbSchemas), "(All objects) | dbo | s | sales");
    EXPECT_TRUE(form.CanFilterObjects());
    EXPECT_EQ(form.GetCurrentSchema(), nullptr);
    EXPECT_SQL(Texts(form.lvTables), "s.t | sales.t | s.u");

    // "s" is a whole name part: sales.t is not in schema s.
    ChooseSchema(form, QStringLiteral("s"));
    ASSERT_NE(form.GetCurrentSchema(), nullptr);
    EXPECT_SQL(form.GetCurrentSchema()->GetQualifiedName(), "s");
    EXPECT_SQL(Texts(form.lvTables), "t | u");
    EXPECT_SQL(Texts(form.lvViews), "");
    Screenshot(&form, QStringLiteral("add-object-dialog-schema"));

    ChooseSchema(form, QStringLiteral("sales"));
    EXPECT_SQL(Texts(form.lvTables), "t");
    EXPECT_SQL(Texts(form.lvViews), "v");

    // Reloading keeps the chosen schema.
    form.LoadSchemas();
    EXPECT_SQL(form.cbSchemas->currentText(), "sales");
}

TEST_F(AddObjectFormTest, ObjectsOfOneSchemaOnlyOfferNoFiltering)
{
    TnvMetadataContainer *container = qb->MetadataContainer();
    container->Clear();
    container->AddTable(QStringLiteral(""), QStringLiteral("a"));
    container->AddTable(QStringLiteral(""), QStringLiteral("b"));
    TnvAddObjectForm form(qb.get(), container);
    form.Prepare();
    EXPECT_FALSE(form.CanFilterObjects());
    EXPECT_SQL(Texts(form.lvTables), "a | b");
}

TEST_F(AddObjectFormTest, AnObjectWithoutSchemaLeavesTheOtherSchemasFiltering)
{
    qb->MetadataContainer()->AddTable(QString(), QStringLiteral("a"));
    TnvAddObjectForm form(qb.get(), qb->MetadataContainer());
    form.Prepare();
    form.show();
    // The objects without schema sort first, under an empty name.
    EXPECT_SQL(Texts(form.cbSchemas), "(All objects) |  | dbo | s | sales");
    EXPECT_TRUE(form.CanFilterObjects());
    ChooseSchema(form, QStringLiteral("s"));
    EXPECT_SQL(Texts(form.lvTables), "t | u");
    ChooseSchema(form, QStringLiteral("sales"));
    EXPECT_SQL(Texts(form.lvTables), "t");
    EXPECT_SQL(Texts(form.lvViews), "v");
    ChooseSchema(form, QString());
    EXPECT_SQL(Texts(form.lvTables), "a");
    EXPECT_SQL(Texts(form.lvProcedures), "");
}

TEST_F(AddObjectFormTest, AddsTheSelectedObjectsOfTheCurrentPage)
{
    TnvAddObjectForm form(qb.get(), qb->MetadataContainer());
    form.Prepare();
    form.show();
    ChooseSchema(form, QStringLiteral("s"));
    EXPECT_FALSE(form.bAdd->isEnabled());
    ClickRow(form.lvTables, 0);
    ClickRow(form.lvTables, 1, Qt::ControlModifier);
    EXPECT_TRUE(form.bAdd->isEnabled());
    QTest::mouseClick(form.bAdd, Qt::LeftButton);
    EXPECT_SQL(SQL(), "Select * From s.t, s.u");
    EXPECT_TRUE(form.isVisible());

    // Another page's empty selection disables the button.
    form.pcObjects->setCurrentWidget(form.tsViews);
    EXPECT_FALSE(form.bAdd->isEnabled());

    // A double click adds the row under the mouse.
    ChooseSchema(form, QStringLiteral("sales"));
    const QRect rect = form.lvViews->visualItemRect(form.lvViews->item(0));
    QTest::mouseClick(form.lvViews->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(form.lvViews->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    EXPECT_SQL(SQL(), "Select * From s.t, s.u, sales.v");
}

TEST_F(AddObjectFormTest, HiddenPagesAndTheQueryBuildersHook)
{
    qb->AddObjectFormOptions()->SetProceduresVisible(false);
    RunModal<TnvAddObjectForm>([this] { qb->ShowAddObjectForm(); }, [](TnvAddObjectForm *form) {
        EXPECT_FALSE(form->pcObjects->isTabVisible(form->pcObjects->indexOf(form->tsProcedures)));
        EXPECT_TRUE(form->pcObjects->isTabVisible(form->pcObjects->indexOf(form->tsViews)));
        QTest::mouseClick(form->bClose, Qt::LeftButton);
        EXPECT_FALSE(form->isVisible());
    });
    qb->DestroyAddObjectForm();
    EXPECT_EQ(qb->AddObjectFormOptions()->Form(), nullptr);
}

TEST_F(AddObjectFormTest, TheQueryBuilderKeepsItsDialogBetweenShowings)
{
    TnvAddObjectForm *first = nullptr;
    ASSERT_TRUE(RunModal<TnvAddObjectForm>([this] { qb->ShowAddObjectForm(); }, [&](TnvAddObjectForm *form) {
        first = form;
        ChooseSchema(*form, QStringLiteral("sales"));
        form->resize(640, 480);
        QTest::mouseClick(form->bClose, Qt::LeftButton);
    }));
    ASSERT_TRUE(qb->HasAddObjectForm());
    // While it exists, the options read its size; option changes reach it.
    EXPECT_EQ(qb->AddObjectFormOptions()->Form(), first);
    EXPECT_EQ(qb->AddObjectFormOptions()->Width(), 640);
    qb->AddObjectFormOptions()->SetViewsVisible(false);
    ASSERT_TRUE(RunModal<TnvAddObjectForm>([this] { qb->ShowAddObjectForm(); }, [&](TnvAddObjectForm *form) {
        EXPECT_EQ(form, first);
        EXPECT_SQL(form->cbSchemas->currentText(), "sales");
        EXPECT_SQL(Texts(form->lvTables), "t");
        EXPECT_FALSE(form->pcObjects->isTabVisible(form->pcObjects->indexOf(form->tsViews)));
    }));
    // Destroyed, it gives the options back their stored size; the next
    // showing makes a new one.
    qb->DestroyAddObjectForm();
    EXPECT_FALSE(qb->HasAddObjectForm());
    EXPECT_EQ(qb->AddObjectFormOptions()->Form(), nullptr);
    EXPECT_EQ(qb->AddObjectFormOptions()->Width(), 640);
    ASSERT_TRUE(RunModal<TnvAddObjectForm>([this] { qb->ShowAddObjectForm(); }, [&](TnvAddObjectForm *form) {
        EXPECT_SQL(form->cbSchemas->currentText(), "(All objects)");
    }));
}

} // namespace nvqb::test
