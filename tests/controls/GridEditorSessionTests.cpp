// The column grid of the whole control in an active window, driven as a user
// drives it: the cell editor's own context menu answered inside its loop,
// and the Tab keys walking the cells while focus moves between the editor
// and the grid.
#include "ControlsTestSupport.h"
#include "common/Eventually.h"
#include "builder/controls/SelectListControl.h"
#include "builder/model/Query.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTabBar>
#include <QTest>

namespace nvqb::test {

namespace {

using M = TnvSelectListGridModel;

class GridEditorSession : public ControlsTest {
protected:
    TnvQueryBuilderSelectListControl *Grid() const
    {
        return CurrentUnion() ? ControlOf<TnvQueryBuilderSelectListControl>(CurrentUnion()->SelectList(), 0)
                              : nullptr;
    }
    void ClickCell(int row, int col)
    {
        TnvQueryBuilderSelectListControl *grid = Grid();
        const QModelIndex cell = grid->model()->index(row, col);
        grid->scrollTo(cell);
        const QPoint centre = grid->visualRect(cell).center();
        WindowClick(grid->viewport(), centre);
    }
    bool IsRegistered(TnvSubQuery *subQuery) const
    {
        for (qsizetype i = 0; i < qb->GetSubQueriesCount(); ++i)
            if (qb->GetSubQueries(i) == subQuery)
                return true;
        return false;
    }
};

} // namespace

TEST_F(GridEditorSession, InsertSubQueryFromTheEditorsMenuShowsTheNewSubQuery)
{
    ASSERT_TRUE(ActivateWindow(qb));
    const struct {
        const char *Name;
        const char *SQL;
        int Row;
        int Col;
        const char *Expected;
    } cases[] = {
        {"criteria", "SELECT a.x FROM a", 0, M::colCriteria, "Select a.x From a Where a.x In (Select"},
        {"or", "SELECT a.x FROM a WHERE a.x = 1", 0, M::colCriteria + 1,
         "Select a.x From a Where a.x = 1 Or a.x In (Select"},
        // The whole expression is selected: the sub-query takes its place.
        {"expression", "SELECT a.x FROM a", 0, M::colExpression, "Select (Select"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        SetSQL(QString::fromLatin1(c.SQL));
        ASSERT_EQ(CurrentSubQuery(), qb->Query());
        ClickCell(c.Row, c.Col);
        TnvQueryBuilderSelectListControl *grid = Grid();
        ASSERT_TRUE(grid->IsEditorShown());
        TnvQueryBuilderSelectListInplaceEdit *editor = grid->InplaceEditor();
        ASSERT_EVENTUALLY(editor->hasFocus());
        const QList<QStringList> menus = AnswerPopups(
            [&] { WindowClick(editor, editor->rect().center(), Qt::RightButton); },
            [](QMenu *menu, int) { return MenuAction(menu, QStringLiteral("Insert Sub-Query")); });
        Process();
        ASSERT_EQ(menus.size(), 1);
        EXPECT_SQL(menus.first(), "Insert Sub-Query | Edit");
        EXPECT_TRUE(SQL().startsWith(QString::fromLatin1(c.Expected))) << ToStd(SQL()) << ToStd(errors);
        // The new sub-query is the current one, alive, and its page is shown.
        TnvSubQuery *current = CurrentSubQuery();
        ASSERT_NE(current, qb->Query());
        ASSERT_TRUE(IsRegistered(current));
        EXPECT_EQ(Pages()->currentWidget(), QueryPage(current));
        EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
        // Back to the main query's page for the next case.
        qb->SetCurrentSubquery(qb->Query());
        Process();
    }
}

TEST_F(GridEditorSession, TheEditorsEditMenuCutsCopiesPastesAndSelectsAll)
{
    ASSERT_TRUE(ActivateWindow(qb));
    SetSQL(QStringLiteral("SELECT a.x FROM a"));
    ClickCell(0, M::colExpression);
    TnvQueryBuilderSelectListControl *grid = Grid();
    ASSERT_TRUE(grid->IsEditorShown());
    TnvQueryBuilderSelectListInplaceEdit *editor = grid->InplaceEditor();
    ASSERT_EVENTUALLY(editor->hasFocus());
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    editor->deselect();
    editor->setCursorPosition(0);
    // Chooses the entry of the editor's Edit submenu; which entries were
    // enabled. A disabled entry closes the menu unchosen.
    QStringList submenu;
    auto choose = [&](const QString &entry) {
        QStringList enabled;
        AnswerPopups([&] { WindowClick(editor, editor->rect().center(), Qt::RightButton); },
                     [&](QMenu *menu, int index) -> QAction * {
                         if (index == 0)
                             return MenuAction(menu, QStringLiteral("Edit"));
                         submenu.clear();
                         for (QAction *action : menu->actions()) {
                             submenu << (action->isSeparator() ? QStringLiteral("-") : action->text());
                             if (action->isEnabled() && !action->isSeparator())
                                 enabled << action->text();
                         }
                         QAction *chosen = MenuAction(menu, entry);
                         return chosen && chosen->isEnabled() ? chosen : nullptr;
                     });
        Process();
        return enabled;
    };

    // Nothing selected and nothing to paste: only Select All.
    EXPECT_SQL(choose(QStringLiteral("Select All")), "Select All");
    EXPECT_SQL(submenu, "Cut | Copy | Paste | - | Select All");
    EXPECT_SQL(editor->selectedText(), "a.x");

    EXPECT_SQL(choose(QStringLiteral("Copy")), "Cut | Copy | Select All");
    EXPECT_SQL(clipboard->text(), "a.x");
    EXPECT_SQL(editor->text(), "a.x");

    EXPECT_SQL(choose(QStringLiteral("Cut")), "Cut | Copy | Paste | Select All");
    EXPECT_SQL(editor->text(), "");
    EXPECT_SQL(clipboard->text(), "a.x");

    clipboard->setText(QStringLiteral("a.id"));
    EXPECT_SQL(choose(QStringLiteral("Paste")), "Paste | Select All");
    EXPECT_SQL(editor->text(), "a.id");
    ASSERT_TRUE(grid->IsEditorShown());
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_SQL(SQL(), "Select a.id From a");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(GridEditorSession, ClickingASubQueryTabWithAnEditPendingWritesTheEditFirst)
{
    ASSERT_TRUE(ActivateWindow(qb));
    SetSQL(QStringLiteral("SELECT a.x FROM a WHERE a.x IN (SELECT b.a_id FROM b)"));
    ClickCell(0, M::colCriteria);
    TnvQueryBuilderSelectListInplaceEdit *editor = Grid()->InplaceEditor();
    ASSERT_EVENTUALLY(editor->hasFocus());
    // The edit changes the cell and so makes its sub-query anew.
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, QStringLiteral(" Or a.x = 2"));
    ASSERT_EQ(Pages()->count(), 2);
    QTabBar *tabs = Pages()->tabBar();
    WindowClick(tabs, tabs->tabRect(1).center());
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x In (Select b.a_id From b) Or a.x = 2");
    ASSERT_TRUE(IsRegistered(CurrentSubQuery()));
    EXPECT_EQ(Pages()->currentWidget(), QueryPage(CurrentSubQuery()));
    EXPECT_EQ(Pages()->count(), 2);
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(GridEditorSession, TabAndShiftTabWalkEveryColumnBothWays)
{
    ASSERT_TRUE(ActivateWindow(qb));
    SetSQL(QStringLiteral("SELECT a.x FROM a"));
    ClickCell(0, M::colSelect);
    TnvQueryBuilderSelectListControl *grid = Grid();
    const int columns = grid->model()->columnCount();
    ASSERT_GE(columns, M::colCriteria + 4);
    auto press = [grid](int key, Qt::KeyboardModifiers modifiers) {
        // The key goes where the focus is once it has reached the grid or
        // its editor.
        ASSERT_EVENTUALLY(QApplication::focusWidget() &&
                          (QApplication::focusWidget() == grid || grid->isAncestorOf(QApplication::focusWidget())));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
        Process();
    };
    QList<int> forward{grid->currentIndex().column()};
    for (int i = 1; i < columns; ++i) {
        press(Qt::Key_Tab, Qt::NoModifier);
        forward.append(grid->currentIndex().column());
    }
    QList<int> backward{grid->currentIndex().column()};
    for (int i = 1; i < columns; ++i) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        backward.append(grid->currentIndex().column());
    }
    QList<int> all;
    for (int c = 0; c < columns; ++c)
        all.append(c);
    EXPECT_EQ(forward, all);
    std::reverse(all.begin(), all.end());
    EXPECT_EQ(backward, all);
    EXPECT_EQ(grid->currentIndex().row(), 0);
}

} // namespace nvqb::test
