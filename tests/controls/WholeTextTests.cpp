// Every text the dialogs and the trees show is whole at their default size:
// the dialogs in the built-in texts and in each language, measured widget
// by widget, and the nodes of the trees at the control's default panel
// widths, measured against the room their rows give them.
#include "ControlsTestSupport.h"
#include "DialogTestSupport.h"
#include "builder/JoinTestSupport.h"
#include "builder/controls/TreeViewMetadata.h"
#include "builder/controls/TreeViewQueryStructure.h"
#include "builder/dialogs/AboutForm.h"
#include "builder/dialogs/AddObjectForm.h"
#include "builder/dialogs/BuilderDialogs.h"
#include "builder/dialogs/DatasourcePropsForm.h"
#include "builder/dialogs/LinkPropsForm.h"
#include "builder/dialogs/ProcedureParams.h"
#include "support/LanguageManager.h"
#include "support/LanguageSource.h"

#include <QAbstractItemDelegate>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>

namespace nvqb::test {

namespace {

class WholeDialogTexts : public JoinTest {
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
    // The cut texts of the dialog shown at its default size.
    static QStringList Cut(QDialog &dialog)
    {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QApplication::processEvents();
        QStringList cut = CutTexts(&dialog);
        dialog.hide();
        return cut;
    }
};

// Rows whose text the tree cuts: the room the row gives against the room
// the item asks for.
QStringList CutNodes(QTreeView *tree)
{
    QStringList cut;
    std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
        for (int row = 0; row < tree->model()->rowCount(parent); ++row) {
            const QModelIndex index = tree->model()->index(row, 0, parent);
            QStyleOptionViewItem option;
            option.initFrom(tree);
            option.font = tree->font();
            option.decorationSize = tree->iconSize();
            const int need = tree->itemDelegate(index)->sizeHint(option, index).width();
            if (tree->visualRect(index).width() < need)
                cut.append(index.data().toString());
            if (tree->isExpanded(index))
                walk(index);
        }
    };
    walk(QModelIndex());
    return cut;
}

} // namespace

TEST_F(WholeDialogTexts, EveryDialogInEveryLanguage)
{
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    for (qsizetype language = -1; language < manager->GetLanguagesCount(); ++language) {
        manager->SetCurrentLanguageIndex(language);
        SCOPED_TRACE(language < 0 ? std::string("built-in") : manager->GetLanguage(language)->Name().toStdString());
        {
            TnvAddObjectForm form(qb.get(), qb->MetadataContainer());
            form.Prepare();
            EXPECT_SQL(Cut(form), "");
        }
        {
            TnvProcedureParams form;
            form.Prepare(QStringLiteral("p"));
            EXPECT_SQL(Cut(form), "");
        }
        {
            TfNvQBAboutForm form;
            EXPECT_SQL(Cut(form), "");
        }
        {
            TnvLinkPropsForm form;
            EXPECT_SQL(Cut(form), "");
        }
        {
            TnvDatasourcePropsForm form;
            EXPECT_SQL(Cut(form), "");
        }
    }
}

TEST_F(ControlsTest, TreeNodesAreWholeAtTheDefaultPanelWidths)
{
    // Union parts in brackets, each with fields and FROM objects: nodes five
    // levels deep in the query-structure tree.
    SetSQL(QStringLiteral("SELECT a.id, a.x FROM a INNER JOIN b ON a.id = b.a_id UNION "
                          "(SELECT c.id, c.b_id FROM c UNION SELECT b.id, b.y FROM b)"));
    TnvTreeViewQueryStructure *structure = qb->TreeViewQueryStructure();
    TnvTreeViewMetadata *metadata = qb->TreeViewMetadata();
    ASSERT_NE(structure, nullptr);
    ASSERT_NE(metadata, nullptr);
    Process();
    EXPECT_EQ(structure->parentWidget()->width(), 105);
    EXPECT_SQL(CutNodes(structure), "");
    EXPECT_SQL(CutNodes(metadata), "");
    Shot(structure, QStringLiteral("structure-tree-default-width"));
}

} // namespace nvqb::test
