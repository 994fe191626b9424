// The metadata container editor driven through its widgets: the tree it
// builds from a container, the view filters, deleting and clearing, the
// description editors, XML files, and what OK and Cancel leave in the edited
// container.
#include "adoprovider/ADOMetadataProvider.h"
#include "common/Eventually.h"
#include "adoprovider/OdbcTestSupport.h"
#include "builder/dialogs/MetadataContainerEditor.h"
#include "builder/dialogs/MetadataEditorImages.h"
#include "builder/model/ErrorReport.h"
#include "controls/DialogTestSupport.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "support/LanguageManager.h"
#include "support/LanguageSource.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

using namespace nvqb;
using namespace nvqb::test;

namespace {

using Editor = TfMetadataContainerEditor;

// A dialect that names the schema of objects that have none, as servers
// with a default owner do.
class TDefaultSchemaProvider : public TnvSQL92SyntaxProvider {
public:
    QString GetEmptySchemaName() const override { return QStringLiteral("dbo"); }
};

// A table that refuses to be copied while Refuse is set: a copy into the
// edited container that raises half-way.
class TRefusingTable : public TnvMetadataTable {
    NV_DECLARE_METADATA_CLASS(TRefusingTable)
public:
    using TnvMetadataTable::TnvMetadataTable;
    static inline bool Refuse = false;
    void Assign(const TPersistent *source) override
    {
        if (Refuse)
            throw EnvQueryBuilderError(QStringLiteral("copy refused"));
        TnvMetadataTable::Assign(source);
    }
};
NV_IMPLEMENT_METADATA_CLASS(TRefusingTable, TnvMetadataTable)

// The tree as indented lines: two spaces a level, collapsed nodes'
// children included.
QStringList Tree(const Editor *editor)
{
    QStringList lines;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *node, int depth) {
        lines.append(QString(depth * 2, u' ') + node->text(0));
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), depth + 1);
    };
    for (int i = 0; i < editor->tMetadata->topLevelItemCount(); ++i)
        walk(editor->tMetadata->topLevelItem(i), 0);
    return lines;
}

class MetadataEditorTest : public ::testing::Test {
protected:
    TnvSQL92SyntaxProvider Syntax;
    TOwned<TnvMetadataContainer> Container = Create<TnvMetadataContainer>(nullptr);
    QStringList Errors;
    TnvErrorHandler FormerHandler;

    void SetUp() override
    {
        FormerHandler = SetErrorHandler([this](const QString &message) { Errors.append(message); });
        Container->SetSyntaxProvider(&Syntax);
        Container->SetWorkOffline(true);
        // (current database): sales.orders, sales.customers, sales.v_orders,
        // sales.p_close, sys.sys_tables (system), lonely (no schema);
        // archive: old.orders_2001.
        TnvMetadataObject *orders = Table("sales", "orders", {"id", "customer_id", "total"});
        TnvMetadataRelation *relation = orders->GetRelations()->Add();
        relation->SetChildSchemaStr(QStringLiteral("sales"));
        relation->SetChildNameStr(QStringLiteral("customers"));
        relation->UpdateChildFullName();
        Table("sales", "customers", {"id", "name"});
        // Offline: every object's fields count as read, also where there are none.
        Container->AddView(QStringLiteral("sales"), QStringLiteral("v_orders"))->GetFields()->SetLoaded(true);
        Container->AddProcedure(QStringLiteral("sales"), QStringLiteral("p_close"))->GetFields()->SetLoaded(true);
        Table("sys", "sys_tables", {"name"}, true);
        Table("", "lonely", {"x"});
        Table("old", "orders_2001", {"id"}, false, "archive");
    }

    void TearDown() override { SetErrorHandler(FormerHandler); }

    TnvMetadataObject *Table(const QString &schema, const QString &name, std::initializer_list<const char *> fields,
                             bool system = false, const QString &database = QString())
    {
        TnvMetadataObject *object = Container->AddTable(schema, name, system, database);
        for (const char *field : fields)
            object->GetFields()->AddField(QString::fromLatin1(field));
        object->GetFields()->SetLoaded(true);
        return object;
    }

    static QStringList Names(const TnvMetadataContainer *container)
    {
        QStringList names;
        for (qsizetype i = 0; i < container->Count(); ++i)
            names.append(container->Items(i)->GetFullNameStrNotQuoted());
        return names;
    }

    // The node at the path of texts from the top level; nil when there is none.
    static QTreeWidgetItem *Node(const Editor *editor, const QStringList &path)
    {
        QTreeWidgetItem *node = nullptr;
        for (const QString &text : path) {
            QTreeWidgetItem *found = nullptr;
            const int count = node ? node->childCount() : editor->tMetadata->topLevelItemCount();
            for (int i = 0; i < count && !found; ++i) {
                QTreeWidgetItem *child = node ? node->child(i) : editor->tMetadata->topLevelItem(i);
                if (child->text(0) == text)
                    found = child;
            }
            if (!found)
                return nullptr;
            node = found;
        }
        return node;
    }

    // Selects the node with a mouse click on its row.
    static void Click(Editor *editor, const QStringList &path)
    {
        QTreeWidgetItem *node = Node(editor, path);
        ASSERT_NE(node, nullptr) << path.join(u'/').toStdString();
        for (QTreeWidgetItem *above = node->parent(); above; above = above->parent())
            above->setExpanded(true);
        editor->tMetadata->scrollToItem(node);
        const QRect rect = editor->tMetadata->visualItemRect(node);
        ASSERT_TRUE(rect.isValid());
        QTest::mouseClick(editor->tMetadata->viewport(), Qt::LeftButton, {}, rect.center());
        ASSERT_EQ(editor->tMetadata->currentItem(), node);
    }

    static QString Current(const Editor *editor)
    {
        const QTreeWidgetItem *node = editor->tMetadata->currentItem();
        return node ? node->text(0) : QStringLiteral("<none>");
    }

    // Answers the editor's question with the button; the question's text.
    static QString Answer(const std::function<void()> &ask, QMessageBox::StandardButton button)
    {
        QString text;
        const bool asked = RunModal<QMessageBox>(ask, [&](QMessageBox *box) {
            text = box->text();
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        });
        return asked ? text : QStringLiteral("<not asked>");
    }

    // Picks the file in the file dialog the click opens.
    static bool ChooseFile(QPushButton *button, const QString &fileName, QString *filter = nullptr)
    {
        return RunModal<QFileDialog>([&] { QTest::mouseClick(button, Qt::LeftButton); },
                                     [&](QFileDialog *dialog) {
                                         if (filter)
                                             *filter = dialog->nameFilters().join(QStringLiteral(";;"));
                                         TypeFileName(dialog, fileName);
                                         // QFileDialog makes accept protected; QDialog offers it.
                                         static_cast<QDialog *>(dialog)->accept();
                                     });
    }

    std::unique_ptr<Editor> Open()
    {
        auto editor = std::make_unique<Editor>(nullptr, Container.get());
        editor->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor.get(), EventuallyTimeoutMs));
        return editor;
    }
};

TEST_F(MetadataEditorTest, TheTreeGroupsObjectsByDatabaseAndSchemaWithTheirFieldsAndRelations)
{
    auto editor = Open();
    EXPECT_EQ(editor->windowTitle(), "Metadata Container Editor");
    EXPECT_EQ(Tree(editor.get()), QStringList({
                                      "(current database)",
                                      "  sales",
                                      "    orders",
                                      "      Fields",
                                      "        id",
                                      "        customer_id",
                                      "        total",
                                      "      Relations",
                                      "        sales.customers",
                                      "    customers",
                                      "      Fields",
                                      "        id",
                                      "        name",
                                      "    v_orders",
                                      "      Fields",
                                      "    p_close",
                                      "      Fields",
                                      "  sys",
                                      "    sys_tables",
                                      "      Fields",
                                      "        name",
                                      "  lonely",
                                      "    Fields",
                                      "      x",
                                      "archive",
                                      "  old",
                                      "    orders_2001",
                                      "      Fields",
                                      "        id",
                                  }));
    // Nodes stand for the working copy's things, never the edited container's.
    QTreeWidgetItem *orders = Node(editor.get(), {"(current database)", "sales", "orders"});
    EXPECT_EQ(Editor::NodeKind(orders), Editor::nkObject);
    EXPECT_EQ(Editor::NodeData(orders), editor->WorkingCopy()->FindTableByFullName(QStringLiteral("sales.orders")));
    EXPECT_EQ(Editor::NodeKind(orders->child(0)), Editor::nkNone);
    EXPECT_EQ(Editor::NodeKind(orders->child(0)->child(0)), Editor::nkField);
    EXPECT_EQ(Editor::NodeKind(orders->child(1)->child(0)), Editor::nkRelation);
    EXPECT_NE(editor->WorkingCopy(), Container.get());
    EXPECT_EQ(editor->WorkingCopy()->SyntaxProvider(), &Syntax);
    // The groups of an object are open down to it; its fields are not.
    EXPECT_TRUE(Node(editor.get(), {"(current database)", "sales"})->isExpanded());
    EXPECT_FALSE(orders->isExpanded());
}

TEST_F(MetadataEditorTest, ADialectsNameForTheEmptySchemaBecomesItsGroup)
{
    TDefaultSchemaProvider dialect;
    Container->SetSyntaxProvider(&dialect);
    auto editor = Open();
    EXPECT_NE(Node(editor.get(), {"(current database)", "dbo", "lonely"}), nullptr);
    EXPECT_EQ(Node(editor.get(), {"(current database)", "lonely"}), nullptr);
}

TEST_F(MetadataEditorTest, TheToggleButtonsFilterTheTreeButNotTheContainer)
{
    auto editor = Open();
    for (QToolButton *button : {editor->sbUserObjects, editor->sbSystemObjects, editor->sbTables, editor->sbViews,
                                editor->sbProcedures, editor->sbSynonyms})
        EXPECT_TRUE(button->isChecked()) << button->objectName().toStdString();
    EXPECT_EQ(editor->sbSystemObjects->toolTip(), "Show System Objects");
    EXPECT_EQ(editor->sbSynonyms->text(), "S");

    // System objects up: sys_tables leaves the tree, with its emptied group.
    QTest::mouseClick(editor->sbSystemObjects, Qt::LeftButton);
    EXPECT_FALSE(editor->sbSystemObjects->isChecked());
    EXPECT_EQ(Node(editor.get(), {"(current database)", "sys"}), nullptr);
    EXPECT_TRUE(editor->WorkingCopy()->FindTableByFullName(QStringLiteral("sys.sys_tables")));
    // ... and the others stay down on their own.
    EXPECT_TRUE(editor->sbUserObjects->isChecked());
    EXPECT_TRUE(editor->sbTables->isChecked());

    // Saved, the file still holds it.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("saved.xml"));
    QString filter;
    ASSERT_TRUE(ChooseFile(editor->bSaveToXML, file, &filter));
    EXPECT_EQ(filter, "XML files (*.xml);;All files (*)");
    auto reread = Create<TnvMetadataContainer>(nullptr);
    reread->SetSyntaxProvider(&Syntax);
    reread->LoadFromXMLFile(file);
    EXPECT_EQ(Names(reread.get()), Names(Container.get()));

    // Tables up: views and procedures remain; user objects up as well: nothing.
    QTest::mouseClick(editor->sbTables, Qt::LeftButton);
    EXPECT_EQ(Tree(editor.get()),
              QStringList({"(current database)", "  sales", "    v_orders", "      Fields", "    p_close",
                           "      Fields"}));
    QTest::mouseClick(editor->sbUserObjects, Qt::LeftButton);
    EXPECT_TRUE(Tree(editor.get()).isEmpty());
    // System objects down again with user objects up: only the system table.
    QTest::mouseClick(editor->sbSystemObjects, Qt::LeftButton);
    QTest::mouseClick(editor->sbTables, Qt::LeftButton);
    EXPECT_EQ(Tree(editor.get()),
              QStringList({"(current database)", "  sys", "    sys_tables", "      Fields", "        name"}));
    EXPECT_EQ(editor->WorkingCopy()->Count(), Container->Count());
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

TEST_F(MetadataEditorTest, TheSelectionSurvivesARebuildOfTheTree)
{
    auto editor = Open();
    Click(editor.get(), {"(current database)", "sales", "customers"});
    QTest::mouseClick(editor->sbViews, Qt::LeftButton);
    EXPECT_EQ(Current(editor.get()), "customers");
    EXPECT_EQ(editor->CurrentObject()->GetNameStrNotQuoted(), "customers");
}

TEST_F(MetadataEditorTest, DeletingFollowsTheNodeKind)
{
    auto editor = Open();
    // Nothing selected: nothing to delete.
    EXPECT_FALSE(editor->sbDelete->isEnabled());

    // A field node: nothing goes.
    Click(editor.get(), {"(current database)", "sales", "orders", "Fields", "customer_id"});
    EXPECT_TRUE(editor->sbDelete->isEnabled());
    const QStringList before = Tree(editor.get());
    QTest::mouseClick(editor->sbDelete, Qt::LeftButton);
    EXPECT_EQ(Tree(editor.get()), before);
    EXPECT_EQ(editor->WorkingCopy()->Count(), Container->Count());
    // Nor for a Fields group, which keeps its fields.
    Click(editor.get(), {"(current database)", "sales", "orders", "Fields"});
    QTest::keyClick(editor->tMetadata, Qt::Key_Delete);
    EXPECT_EQ(Tree(editor.get()), before);

    // An object by the Delete key: its next sibling is selected.
    Click(editor.get(), {"(current database)", "sales", "orders"});
    QTest::keyClick(editor->tMetadata, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Tree(editor.get()), before) << "shift+Delete is not a deletion";
    QTest::keyClick(editor->tMetadata, Qt::Key_Delete);
    EXPECT_EQ(Node(editor.get(), {"(current database)", "sales", "orders"}), nullptr);
    EXPECT_EQ(editor->WorkingCopy()->FindTableByFullName(QStringLiteral("sales.orders")), nullptr);
    EXPECT_EQ(Current(editor.get()), "customers");
    EXPECT_EQ(editor->CurrentObject()->GetNameStrNotQuoted(), "customers");

    // The last object of its group: the previous sibling, once there is no next.
    Click(editor.get(), {"(current database)", "sales", "p_close"});
    QTest::mouseClick(editor->sbDelete, Qt::LeftButton);
    EXPECT_EQ(Current(editor.get()), "v_orders");

    // The only table of a schema takes the schema group with it.
    Click(editor.get(), {"(current database)", "sys", "sys_tables"});
    QTest::mouseClick(editor->sbDelete, Qt::LeftButton);
    EXPECT_EQ(Node(editor.get(), {"(current database)", "sys"}), nullptr);
    EXPECT_EQ(Current(editor.get()), "lonely");
    // ... and the only table of a database its database group.
    Click(editor.get(), {"archive", "old", "orders_2001"});
    QTest::mouseClick(editor->sbDelete, Qt::LeftButton);
    EXPECT_EQ(Node(editor.get(), {"archive"}), nullptr);
    EXPECT_EQ(Current(editor.get()), "(current database)");

    // A schema group: all its objects go, and the group.
    Click(editor.get(), {"(current database)", "sales"});
    QTest::mouseClick(editor->sbDelete, Qt::LeftButton);
    EXPECT_EQ(Tree(editor.get()), QStringList({"(current database)", "  lonely", "    Fields", "      x"}));
    EXPECT_EQ(Names(editor->WorkingCopy()), QStringList({"lonely"}));
    EXPECT_EQ(Current(editor.get()), "lonely");
    // The edited container is untouched throughout.
    EXPECT_EQ(Container->Count(), 7);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

TEST_F(MetadataEditorTest, AnObjectNamedLikeASchemaIsNotThatSchemasGroup)
{
    // The object without schema comes first, so its node exists when the
    // schema's objects look for their group by its text.
    Container->Clear();
    Table("", "sales", {"id"});
    Table("sales", "orders", {"id"});
    Table("sales", "customers", {"id"});
    bool result = false;
    ASSERT_TRUE(RunModal<Editor>([&] { result = EditMetadataContainer(Container.get()); },
                                 [&](Editor *editor) {
                                     EXPECT_EQ(Tree(editor),
                                               QStringList({"(current database)", "  sales", "    Fields", "      id",
                                                            "  sales", "    orders", "      Fields", "        id",
                                                            "    customers", "      Fields", "        id"}));
                                     // The object's node is the first "sales".
                                     Click(editor, {"(current database)", "sales"});
                                     ASSERT_EQ(Editor::NodeKind(editor->tMetadata->currentItem()), Editor::nkObject);
                                     QTest::keyClick(editor->tMetadata, Qt::Key_Delete);
                                     // The tree shows what the working copy holds.
                                     EXPECT_EQ(Tree(editor), QStringList({"(current database)", "  sales", "    orders",
                                                                          "      Fields", "        id", "    customers",
                                                                          "      Fields", "        id"}));
                                     EXPECT_EQ(Names(editor->WorkingCopy()),
                                               QStringList({"sales.orders", "sales.customers"}));
                                     QTest::mouseClick(editor->bOk, Qt::LeftButton);
                                 }));
    EXPECT_TRUE(result);
    EXPECT_EQ(Names(Container.get()), QStringList({"sales.orders", "sales.customers"}));
}

TEST_F(MetadataEditorTest, DeletingTheFirstNodeAsksToClearEverything)
{
    auto editor = Open();
    Click(editor.get(), {"(current database)"});
    const QStringList before = Tree(editor.get());
    EXPECT_EQ(Answer([&] { QTest::mouseClick(editor->sbDelete, Qt::LeftButton); }, QMessageBox::No),
              "Clear Metadata Container?");
    EXPECT_EQ(Tree(editor.get()), before);
    EXPECT_EQ(editor->WorkingCopy()->Count(), 7);

    EXPECT_EQ(Answer([&] { QTest::keyClick(editor->tMetadata, Qt::Key_Delete); }, QMessageBox::Yes),
              "Clear Metadata Container?");
    EXPECT_TRUE(Tree(editor.get()).isEmpty());
    EXPECT_EQ(editor->WorkingCopy()->Count(), 0);
    // A cleared container is not loaded: nothing left to delete.
    EXPECT_FALSE(editor->WorkingCopy()->Loaded());
    EXPECT_FALSE(editor->sbDelete->isEnabled());

    // Another database group is not the first node: it goes without a question.
    editor->bCancel->click();
    auto again = Open();
    Click(again.get(), {"archive"});
    QTest::mouseClick(again->sbDelete, Qt::LeftButton);
    EXPECT_EQ(Node(again.get(), {"archive"}), nullptr);
    EXPECT_EQ(again->WorkingCopy()->Count(), 6);
}

TEST_F(MetadataEditorTest, CancelLeavesTheContainerAndOkTakesTheEdits)
{
    const QString xml = Container->GetXML();
    auto deleteTwo = [this](Editor *editor) {
        Click(editor, {"(current database)", "sales", "orders"});
        QTest::keyClick(editor->tMetadata, Qt::Key_Delete);
        Click(editor, {"archive", "old", "orders_2001"});
        QTest::mouseClick(editor->sbDelete, Qt::LeftButton);
        Click(editor, {"(current database)", "sales", "customers"});
        editor->eDescription->setFocus();
        QTest::keyClicks(editor->eDescription, QStringLiteral("buyers"));
        editor->mLongDescription->setFocus();
        QTest::keyClicks(editor->mLongDescription, QStringLiteral("who pay"));
        // The edit reaches the working copy at once, not the container.
        EXPECT_EQ(editor->WorkingCopy()->FindTableByFullName(QStringLiteral("sales.customers"))->ShortDescription(),
                  "buyers");
        EXPECT_EQ(Container->FindTableByFullName(QStringLiteral("sales.customers"))->ShortDescription(), "");
    };

    bool result = true;
    ASSERT_TRUE(RunModal<Editor>([&] { result = EditMetadataContainer(Container.get()); },
                                 [&](Editor *editor) {
                                     deleteTwo(editor);
                                     QTest::mouseClick(editor->bCancel, Qt::LeftButton);
                                 }));
    EXPECT_FALSE(result);
    EXPECT_EQ(Container->GetXML(), xml);

    ASSERT_TRUE(RunModal<Editor>([&] { result = EditMetadataContainer(Container.get()); },
                                 [&](Editor *editor) {
                                     deleteTwo(editor);
                                     QTest::mouseClick(editor->bOk, Qt::LeftButton);
                                 }));
    EXPECT_TRUE(result);
    EXPECT_EQ(Names(Container.get()),
              QStringList({"sales.customers", "sales.v_orders", "sales.p_close", "sys.sys_tables", "lonely"}));
    const TnvMetadataObject *customers = Container->FindTableByFullName(QStringLiteral("sales.customers"));
    ASSERT_NE(customers, nullptr);
    EXPECT_EQ(customers->ShortDescription(), "buyers");
    EXPECT_EQ(customers->LongDescription(), "who pay");
    EXPECT_EQ(Container->SyntaxProvider(), &Syntax);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

TEST_F(MetadataEditorTest, ThePropertyPanelShowsTheSelectedObject)
{
    TnvMetadataObject *view = Container->FindViewByFullName(QStringLiteral("sales.v_orders"));
    view->SetShortDescription(QStringLiteral("open orders"));
    view->SetLongDescription(QStringLiteral("orders\nnot yet closed"));
    auto editor = Open();
    EXPECT_TRUE(editor->lNoProperties->isVisible());
    EXPECT_EQ(editor->lNoProperties->text(), "No properties for this node");
    EXPECT_FALSE(editor->pObjectProps->isVisible());

    Click(editor.get(), {"(current database)", "sales", "v_orders"});
    EXPECT_FALSE(editor->lNoProperties->isVisible());
    EXPECT_TRUE(editor->pObjectProps->isVisible());
    EXPECT_EQ(editor->eObjectType->text(), "View");
    EXPECT_EQ(editor->eDatabase->text(), "");
    EXPECT_EQ(editor->eSchema->text(), "sales");
    EXPECT_EQ(editor->eName->text(), "v_orders");
    EXPECT_EQ(editor->eDescription->text(), "open orders");
    EXPECT_EQ(editor->mLongDescription->toPlainText(), "orders\nnot yet closed");
    for (QLineEdit *edit : {editor->eObjectType, editor->eDatabase, editor->eSchema, editor->eName})
        EXPECT_TRUE(edit->isReadOnly());
    EXPECT_FALSE(editor->eDescription->isReadOnly());

    Click(editor.get(), {"(current database)", "sales", "p_close"});
    EXPECT_EQ(editor->eObjectType->text(), "Procedure");
    // Filling the editors wrote nothing back.
    EXPECT_EQ(editor->WorkingCopy()->FindProcedureByFullName(QStringLiteral("sales.p_close"))->ShortDescription(), "");
    Click(editor.get(), {"archive", "old", "orders_2001"});
    EXPECT_EQ(editor->eObjectType->text(), "Table");
    EXPECT_EQ(editor->eDatabase->text(), "archive");
    EXPECT_EQ(editor->eDescription->text(), "");

    Click(editor.get(), {"archive", "old", "orders_2001", "Fields"});
    EXPECT_TRUE(editor->lNoProperties->isVisible());
    EXPECT_FALSE(editor->pObjectProps->isVisible());
    EXPECT_EQ(editor->CurrentObject(), nullptr);
}

TEST_F(MetadataEditorTest, SavedXmlLoadsBackIntoTheWorkingCopy)
{
    auto editor = Open();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("round.xml"));
    Click(editor.get(), {"(current database)", "sales", "customers"});
    editor->eDescription->setText(QStringLiteral("buyers"));
    ASSERT_TRUE(ChooseFile(editor->bSaveToXML, file));
    const QString saved = editor->WorkingCopy()->GetXML();
    const QStringList tree = Tree(editor.get());

    Click(editor.get(), {"(current database)", "sales"});
    QTest::mouseClick(editor->sbDelete, Qt::LeftButton);
    ASSERT_NE(Tree(editor.get()), tree);

    ASSERT_TRUE(ChooseFile(editor->bLoadFromXML, file));
    EXPECT_EQ(Tree(editor.get()), tree);
    EXPECT_EQ(editor->WorkingCopy()->GetXML(), saved);
    EXPECT_EQ(editor->WorkingCopy()->FindTableByFullName(QStringLiteral("sales.customers"))->ShortDescription(),
              "buyers");

    // A file that is no metadata document: the message names the trouble and
    // the tree shows what the working copy holds.
    const QString bad = dir.filePath(QStringLiteral("bad.xml"));
    {
        QFile out(bad);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("<not closed");
    }
    ASSERT_TRUE(ChooseFile(editor->bLoadFromXML, bad));
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_FALSE(Errors[0].isEmpty());
    QList<void *> shown;
    for (QTreeWidgetItemIterator it(editor->tMetadata); *it; ++it)
        if (Editor::NodeKind(*it) == Editor::nkObject)
            shown.append(Editor::NodeData(*it));
    QList<void *> held;
    for (qsizetype i = 0; i < editor->WorkingCopy()->Count(); ++i)
        held.append(editor->WorkingCopy()->Items(i));
    EXPECT_EQ(shown, held);
    // The edited container never saw any of it.
    EXPECT_EQ(Container->FindTableByFullName(QStringLiteral("sales.customers"))->ShortDescription(), "");
}

TEST_F(MetadataEditorTest, OkKeepsTheContainersSyntaxProviderAlsoWhenTheCopyFails)
{
    TnvSQL92SyntaxProvider chosenByTheWizard;
    TOwned<TRefusingTable> refusing = Create<TRefusingTable>(Container.get());
    refusing->SetNameStr(QStringLiteral("refusing"));
    refusing->GetFields()->SetLoaded(true);
    Container->Add(std::move(refusing));
    const QString xml = Container->GetXML();

    auto editor = Open();
    editor->WorkingCopy()->SetSyntaxProvider(&chosenByTheWizard);
    TRefusingTable::Refuse = true;
    QTest::mouseClick(editor->bOk, Qt::LeftButton);
    TRefusingTable::Refuse = false;
    ASSERT_EQ(Errors, QStringList({"copy refused"}));
    EXPECT_EQ(Container->SyntaxProvider(), &Syntax);
    EXPECT_EQ(Container->GetXML(), xml);
    // The editor stays open so the user can still cancel.
    EXPECT_TRUE(editor->isVisible());

    QTest::mouseClick(editor->bOk, Qt::LeftButton);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    EXPECT_EQ(Container->SyntaxProvider(), &Syntax);
    for (qsizetype i = 0; i < Container->Count(); ++i)
        EXPECT_EQ(Container->Items(i)->SyntaxProvider(), &Syntax);
}

TEST_F(MetadataEditorTest, LoadWithoutAWizardResultRebuildsTheTree)
{
    auto editor = Open();
    Click(editor.get(), {"(current database)", "sales", "customers"});
    // Something the wizard would have added to the working copy.
    editor->WorkingCopy()->AddTable(QStringLiteral("sales"), QStringLiteral("added"));
    RunModal<QDialog>([&] { QTest::mouseClick(editor->sbLoad, Qt::LeftButton); }, [](QDialog *wizard) {
        wizard->reject();
    });
    EXPECT_NE(Node(editor.get(), {"(current database)", "sales", "added"}), nullptr);
    EXPECT_EQ(Current(editor.get()), "customers");
    EXPECT_EQ(editor->sbLoad->text(), "Load...");
    EXPECT_EQ(editor->sbLoad->toolTip(), "Load Metadata Wizard...");
}

TEST_F(MetadataEditorTest, TheTextsAreWholeAtTheDefaultSizeInEveryLanguage)
{
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    for (qsizetype language = -1; language < manager->GetLanguagesCount(); ++language) {
        manager->SetCurrentLanguageIndex(language);
        SCOPED_TRACE(language < 0 ? std::string("built-in") : manager->GetLanguage(language)->Name().toStdString());
        auto editor = Open();
        // Without an object chosen, and with one (its property panel shown).
        EXPECT_EQ(CutTexts(editor.get()).join(QStringLiteral(" | ")).toStdString(), "");
        editor->tMetadata->setCurrentItem(editor->tMetadata->topLevelItem(0)->child(0)->child(0));
        QApplication::processEvents();
        ASSERT_NE(editor->CurrentObject(), nullptr);
        EXPECT_EQ(CutTexts(editor.get()).join(QStringLiteral(" | ")).toStdString(), "");
    }
    manager->SetCurrentLanguageIndex(-1);
}

TEST_F(MetadataEditorTest, PictureOfTheEditor)
{
    auto editor = Open();
    EXPECT_EQ(editor->size(), QSize(560, 356));
    Click(editor.get(), {"(current database)", "sales", "orders"});
    const QImage image = Screenshot(editor.get(), QStringLiteral("metadata-container-editor"));
    ASSERT_FALSE(image.isNull());
    const qreal ratio = image.devicePixelRatio();

    // The image of a node shows in its row, left of its text.
    auto rowHolds = [&](const QStringList &path, int imageIndex) {
        QTreeWidgetItem *node = Node(editor.get(), path);
        const QRect row = editor->tMetadata->visualItemRect(node);
        const QPoint origin = editor->tMetadata->viewport()->mapTo(editor.get(), row.topLeft());
        const QColor wanted = MetadataEditorImageColor(imageIndex);
        for (int x = 0; x < row.width(); ++x)
            for (int y = 0; y < row.height(); ++y) {
                const QColor c = image.pixelColor(QPoint(int((origin.x() + x) * ratio), int((origin.y() + y) * ratio)));
                if (c == wanted)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(rowHolds({"(current database)"}, Editor::iiDatabase));
    EXPECT_TRUE(rowHolds({"(current database)", "sales"}, Editor::iiSchema));
    EXPECT_TRUE(rowHolds({"(current database)", "sales", "v_orders"}, Editor::iiView));
    EXPECT_TRUE(rowHolds({"(current database)", "sales", "p_close"}, Editor::iiProcedure));
    EXPECT_FALSE(rowHolds({"(current database)", "sales", "p_close"}, Editor::iiDatabase));

    // The property panel sits left of the tree, the buttons below both.
    EXPECT_LT(editor->pObjectProps->mapTo(editor.get(), QPoint(0, 0)).x(),
              editor->tMetadata->mapTo(editor.get(), QPoint(0, 0)).x());
    EXPECT_GT(editor->bOk->mapTo(editor.get(), QPoint(0, 0)).y(),
              editor->tMetadata->mapTo(editor.get(), QPoint(0, editor->tMetadata->height())).y() - 1);
    // Every button of the bottom bar fits inside the window.
    for (QPushButton *button : {editor->bSaveToXML, editor->bLoadFromXML, editor->bOk, editor->bCancel}) {
        const QRect rect(button->mapTo(editor.get(), QPoint(0, 0)), button->size());
        EXPECT_TRUE(editor->rect().contains(rect)) << button->objectName().toStdString();
    }
}

// Metadata read from a real SQLite file through the ODBC provider.
class MetadataEditorDatabaseTest : public OdbcDatabaseTest {};

TEST_P(MetadataEditorDatabaseTest, LoadedMetadataShowsWithFieldsAndRelations)
{
    TnvSQL92SyntaxProvider syntax;
    TnvADOMetadataProvider provider;
    provider.SetConnection(Connection.get());
    auto container = Create<TnvMetadataContainer>(nullptr);
    container->SetSyntaxProvider(&syntax);
    container->SetMetadataProvider(&provider);
    TnvMetadataFilter filter;
    container->LoadMetadataByFilter(&filter, nullptr);
    container->LoadFields();

    Editor editor(nullptr, container.get());
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor, EventuallyTimeoutMs));
    EXPECT_EQ(editor.WorkingCopy()->MetadataProvider(), &provider);
    const QStringList tree = Tree(&editor);
    for (const char *line : {"    parents", "    children", "    items", "    children_view", "      Fields",
                             "        note", "      Relations", "        children", "        items"})
        EXPECT_TRUE(tree.contains(QString::fromLatin1(line)) || tree.contains(QString::fromLatin1(line).mid(2)))
            << line << "\n"
            << tree.join(u'\n').toStdString();
    QStringList objects;
    for (const QString &line : tree)
        if (line.startsWith(QStringLiteral("  ")) && !line.startsWith(QStringLiteral("    ")))
            objects.append(line.trimmed());
    objects.sort();
    EXPECT_EQ(objects, QStringList({"children", "children_view", "items", "parents"}));
}

INSTANTIATE_TEST_SUITE_P(SQLite, MetadataEditorDatabaseTest, ::testing::Values(Backend::SQLite), BackendName);

} // namespace
