// The column grid and its cell editor, driven with the mouse and the keys on
// the real widgets over the test query builder's select list: what a new
// query shows, typing with completion, criteria and grouping reaching the
// SQL, sub-queries inserted from the editor's menu, the output check boxes,
// and the editor staying put while each edit rebuilds the rows.
#include "ControlsTestSupport.h"
#include "common/Eventually.h"
#include "builder/BuilderTestSupport.h"
#include "builder/controls/SelectListControl.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/Query.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace nvqb::test {

namespace {

using TEdit = TnvQueryBuilderSelectListInplaceEdit;
using M = TnvSelectListGridModel;

class SelectListGridTest : public BuilderTest {
protected:
    TnvQueryBuilderSelectListControl *grid = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QStringList errors;
    TnvErrorHandler oldHandler;

    void SetUp() override
    {
        BuilderTest::SetUp();
        // The real grid in place of the fake one; the pages stay fakes.
        RegisterSelectListControls(factory);
        oldHandler = SetErrorHandler([this](const QString &message) { errors.append(message); });
    }
    void TearDown() override
    {
        tester.reset();
        BuilderTest::TearDown();
        SetErrorHandler(std::move(oldHandler));
    }

    // Loads the SQL and shows the grid of the first union part.
    void Show(const QString &sql)
    {
        if (!sql.isEmpty())
            Load(sql);
        qb->CreateControls();
        grid = dynamic_cast<TnvQueryBuilderSelectListControl *>(Part(0)->SelectList()->GetControls(0));
        ASSERT_NE(grid, nullptr);
        // Every edit below reaches the item model's signals through its tester.
        tester = std::make_unique<QAbstractItemModelTester>(grid->model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        grid->resize(900, 160);
        grid->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid, EventuallyTimeoutMs));
    }

    TEdit *Editor() const { return grid->InplaceEditor(); }
    QPoint CellCentre(int row, int col) const { return grid->visualRect(grid->model()->index(row, col)).center(); }
    void ClickCell(int row, int col, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid->viewport(), button, {}, CellCentre(row, col));
    }
    // Clicks the cell and types into its editor, Enter ending the text.
    void Type(int row, int col, const QString &text, bool enter = true)
    {
        ClickCell(row, col);
        ASSERT_TRUE(grid->IsEditorShown());
        QTest::keyClicks(Editor(), text);
        if (enter)
            QTest::keyClick(Editor(), Qt::Key_Return);
    }
    QStringList Titles() const
    {
        QStringList titles;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            titles.append(grid->model()->headerData(c, Qt::Horizontal).toString());
        return titles;
    }
    QString Cell(int row, int col) const { return grid->model()->index(row, col).data().toString(); }
    void Screenshot(const QString &name) const
    {
        QDir().mkpath(QStringLiteral(NVQB_SCREENSHOT_DIR));
        grid->grab().save(QStringLiteral(NVQB_SCREENSHOT_DIR "/") + name + QStringLiteral(".png"));
    }
};

TEST_F(SelectListGridTest, NewQueryShowsTheTitleRowTheEmptyRowAndThreeOrColumns)
{
    Show(QString());
    // The grid's rows are the title row and the one empty row to type into.
    EXPECT_EQ(grid->model()->rowCount() + 1, 2);
    EXPECT_SQL(Titles(), "Output | Expression | Alias | Sort Type | Sort Order | Group By | Criteria | Or... | "
                         "Or... | Or...");
    EXPECT_EQ(grid->horizontalHeader()->height(), TnvQueryBuilderSelectListControl::TitleHeight);
    EXPECT_EQ(grid->verticalHeader()->width(), TnvQueryBuilderSelectListControl::IndicatorWidth);
    EXPECT_EQ(grid->columnWidth(M::colExpression), 100);
    qb->SetColumnWidthExpression(150);
    EXPECT_EQ(grid->columnWidth(M::colExpression), 150);
    // A larger grid font makes the rows taller than the 16 pixels they
    // have at least.
    EXPECT_GE(grid->rowHeight(0), TnvQueryBuilderSelectListControl::DefaultRowHeight);
    QFont large = grid->font();
    large.setPixelSize(30);
    qb->SetGridFont(large);
    EXPECT_EQ(grid->font().pixelSize(), 30);
    EXPECT_GE(grid->rowHeight(0), 30);
    // Only the expression of the empty row can be typed.
    EXPECT_FALSE(grid->MyCanEditCell(1 + M::colAlias, 1));
    EXPECT_FALSE(grid->MyCanEditCell(1 + M::colCriteria, 1));
    EXPECT_TRUE(grid->MyCanEditCell(1 + M::colExpression, 1));
    Screenshot(QStringLiteral("grid-new-query"));
}

TEST_F(SelectListGridTest, TypedCharactersCompleteFromThePickList)
{
    Show(QStringLiteral("Select a.x From a"));
    ClickCell(0, M::colSortType);
    ASSERT_TRUE(grid->IsEditorShown());
    QTest::keyClick(Editor(), Qt::Key_D);
    EXPECT_SQL(Editor()->text(), "Descending");
    EXPECT_SQL(Editor()->selectedText(), "escending");
    // The next character replaces the selected rest, and still completes.
    QTest::keyClick(Editor(), Qt::Key_E);
    EXPECT_SQL(Editor()->text(), "Descending");
    EXPECT_SQL(Editor()->selectedText(), "scending");
    // Backspace takes the completion first, then one typed character.
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    EXPECT_SQL(Editor()->text(), "De");
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    EXPECT_SQL(Editor()->text(), "D");
    // Nothing selected: the typed prefix and the character are matched.
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    QTest::keyClick(Editor(), Qt::Key_A);
    EXPECT_SQL(Editor()->text(), "Ascending");
    EXPECT_SQL(Editor()->selectedText(), "scending");
    // A character that matches no entry is typed as it is.
    QTest::keyClick(Editor(), Qt::Key_Q);
    EXPECT_SQL(Editor()->text(), "Aq");

    // Escape gives the cell's text back and starts the completion again.
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_SQL(Editor()->text(), "");
    QTest::keyClick(Editor(), Qt::Key_D);
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_SQL(SQL(), "Select a.x From a Order By a.x Desc");
    // Enter leaves the editor on the cell, showing it as it now reads.
    EXPECT_TRUE(grid->IsEditorShown());
    EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, M::colSortType));
    EXPECT_SQL(Editor()->selectedText(), "Descending");
}

TEST_F(SelectListGridTest, CriteriaTypedInACellReachTheWhereClause)
{
    Show(QStringLiteral("Select a.x From a"));
    TEdit *editor = Editor();
    Type(0, M::colCriteria, QStringLiteral("> 5"));
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x > 5");
    EXPECT_SQL(Cell(0, M::colCriteria), "> 5");
    // The same editor, still on the same cell, after the rows were rebuilt.
    EXPECT_EQ(Editor(), editor);
    EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, M::colCriteria));

    // The same text again does not rebuild the query.
    const int updates = qb->SQLUpdatedCount;
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(qb->SQLUpdatedCount, updates);

    // A condition in the last "Or..." column opens a further one.
    const int last = grid->model()->columnCount() - 1;
    Type(0, last, QStringLiteral("< 0"));
    EXPECT_EQ(grid->model()->columnCount(), last + 2);
    EXPECT_SQL(grid->model()->headerData(last + 1, Qt::Horizontal).toString(), "Or...");
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x > 5 Or a.x < 0");
}

TEST_F(SelectListGridTest, StandardFunctionsTypedInCellsReachTheQuery)
{
    Show(QStringLiteral("Select a.x From a"));
    Type(0, M::colCriteria, QStringLiteral("= upper(:p)"));
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x = Upper(:p)");
    EXPECT_SQL(Cell(0, M::colCriteria), "= Upper(:p)");
    Type(1, M::colExpression, QStringLiteral("coalesce(a.id, 0)"));
    EXPECT_SQL(Cell(1, M::colExpression), "Coalesce(a.id, 0)");
    Type(1, M::colCriteria, QStringLiteral("> char_length(a.x)"));
    EXPECT_SQL(Cell(1, M::colCriteria), "> Char_Length(a.x)");
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x = Upper(:p) And Coalesce(a.id, 0) > Char_Length(a.x)");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(SelectListGridTest, MovingToAnotherCellWritesTheEditorsText)
{
    Show(QStringLiteral("Select a.x From a"));
    Type(0, M::colAlias, QStringLiteral("ax"), false);
    EXPECT_SQL(SQL(), "Select a.x From a");
    ClickCell(0, M::colExpression);
    EXPECT_SQL(SQL(), "Select a.x As ax From a");
    // Escape gives the cell's text back.
    QTest::keyClicks(Editor(), QStringLiteral("zzz"));
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_SQL(Editor()->text(), "a.x");
}

TEST_F(SelectListGridTest, TextTypedIntoTheEmptyRowAddsARowAndKeepsOneEmptyRow)
{
    Show(QString());
    // Typing on the grid itself goes to the editor of the current cell.
    ClickCell(0, M::colExpression);
    grid->setFocus();
    QTest::keyClicks(grid, QStringLiteral("1"));
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_TRUE(Part(0)->SelectList()->Items(1)->IsEmpty());
}

TEST_F(SelectListGridTest, ChoosingAnAggregateFromTheGroupByListPrintsIt)
{
    Show(QStringLiteral("Select a.x From a"));
    ClickCell(0, M::colGroupBy);
    ASSERT_EQ(Editor()->ButtonStyle(), TEdit::bsPickList);
    QTest::mouseClick(Editor()->Button(), Qt::LeftButton);
    ASSERT_TRUE(Editor()->IsListVisible());
    QListWidget *list = Editor()->PickList();
    const QList<QListWidgetItem *> sum = list->findItems(QStringLiteral("Sum"), Qt::MatchExactly);
    ASSERT_EQ(sum.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(sum.first()).center());
    EXPECT_FALSE(Editor()->IsListVisible());
    EXPECT_SQL(SQL(), "Select Sum(a.x) From a");
    // The row shows the aggregate's argument, and the aggregate in its
    // "Group By" cell.
    EXPECT_SQL(Cell(0, M::colExpression), "a.x");
    EXPECT_SQL(Cell(0, M::colGroupBy), "Sum");
}

TEST_F(SelectListGridTest, PickListsOfTheCells)
{
    Show(QStringLiteral("Select a.x, a.* From a Order By a.x"));
    QStringList list;
    grid->MyGetPickListForCell(1 + M::colExpression, 1, list);
    EXPECT_SQL(list, "* | a.* | a.id | a.x");
    grid->MyGetPickListForCell(1 + M::colSortType, 1, list);
    EXPECT_SQL(list, " | Ascending | Descending");
    // A sorted row chooses among the sorted places, another one adds one.
    grid->MyGetPickListForCell(1 + M::colSortOrder, 1, list);
    EXPECT_SQL(list, "1");
    grid->MyGetPickListForCell(1 + M::colSortOrder, 2, list);
    EXPECT_SQL(list, "1 | 2");
    // A * row has neither alias nor criteria.
    EXPECT_FALSE(grid->MyCanEditCell(1 + M::colAlias, 2));
    EXPECT_FALSE(grid->MyCanEditCell(1 + M::colCriteria, 2));
    ClickCell(1, M::colCriteria);
    EXPECT_FALSE(grid->IsEditorShown());
}

TEST_F(SelectListGridTest, InsertSubQueryOnAnEmptyCriteriaCellOpensTheSubQuery)
{
    Show(QStringLiteral("Select a.x From a"));
    ClickCell(0, M::colCriteria);
    std::unique_ptr<QMenu> menu(Editor()->GetPopupMenu());
    QStringList captions;
    for (QAction *action : menu->actions())
        captions.append(action->text());
    EXPECT_SQL(captions, "Insert Sub-Query | Edit");
    QSignalSpy typed(Editor(), &QLineEdit::textChanged);
    menu->actions().first()->trigger();
    // The inserted text goes to the row at once, so that the sub-query is
    // made; the editor then shows the cell as the row reads it.
    ASSERT_FALSE(typed.isEmpty());
    EXPECT_SQL(typed.first().first().toString(), "In (Select From)");
    EXPECT_TRUE(Editor()->text().startsWith(QStringLiteral("In (Select"))) << ToStd(Editor()->text());
    EXPECT_EQ(Editor()->selectedText(), Editor()->text());
    EXPECT_TRUE(SQL().startsWith(QStringLiteral("Select a.x From a Where a.x In (Select"))) << ToStd(SQL());
    ASSERT_NE(qb->CurrentSubquery(), nullptr);
    EXPECT_NE(qb->CurrentSubquery(), Root());
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(SelectListGridTest, TheEllipsisOfACellWithASubQueryShowsTheSubQuery)
{
    Show(QStringLiteral("Select a.x From a Where a.x In (Select b.a_id From b)"));
    ClickCell(0, M::colCriteria);
    ASSERT_EQ(Editor()->ButtonStyle(), TEdit::bsEllipsis);
    EXPECT_EQ(qb->CurrentSubquery(), Root());
    QTest::mouseClick(Editor()->Button(), Qt::LeftButton);
    ASSERT_NE(qb->CurrentSubquery(), nullptr);
    EXPECT_NE(qb->CurrentSubquery(), Root());
    EXPECT_SQL(qb->CurrentSubquery()->GetResultSQL(), "Select b.a_id From b");
    // A cell without one offers its pick list or nothing.
    ClickCell(0, M::colCriteria + 1);
    EXPECT_EQ(Editor()->ButtonStyle(), TEdit::bsNone);
    ClickCell(0, M::colSortType);
    EXPECT_EQ(Editor()->ButtonStyle(), TEdit::bsPickList);
}

TEST_F(SelectListGridTest, InsertSubQueryReadsAroundTheSelectionOnlyInsideTheText)
{
    using T = TEdit::TInsertion;
    auto insert = [](const QString &text, int start, int length, bool criteria) {
        const T result = TEdit::InsertSubQueryText(text, start, length, criteria);
        return result.Text + QStringLiteral(" @") + QString::number(result.Start) + QLatin1Char('+') +
               QString::number(result.Length);
    };
    // Between brackets only the statement goes in.
    EXPECT_SQL(insert(QStringLiteral("()"), 1, 0, true), "(Select From) @1+11");
    EXPECT_SQL(insert(QStringLiteral("In (x)"), 4, 1, true), "In (Select From) @4+11");
    // At the start and at the end of the text there is no character beyond
    // the selection to be a bracket.
    EXPECT_SQL(insert(QStringLiteral(")"), 0, 0, true), "In (Select From)) @0+16");
    EXPECT_SQL(insert(QStringLiteral("("), 1, 0, false), "((Select From) @1+13");
    EXPECT_SQL(insert(QStringLiteral("(x)"), 0, 3, false), "(Select From) @0+13");
    EXPECT_SQL(insert(QString(), 0, 0, false), "(Select From) @0+13");
}

TEST_F(SelectListGridTest, OutputCheckBoxesToggleByMouseAndSpace)
{
    Show(QStringLiteral("Select a.x, a.id From a"));
    const QModelIndex output = grid->model()->index(0, M::colSelect);
    // The dark pixels inside the box, its frame left out: the check mark.
    auto markPixels = [&] {
        const QImage shot = grid->viewport()->grab().toImage();
        const QRect box = grid->CheckBoxRect(output).adjusted(2, 2, -2, -2);
        int dark = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                dark += shot.pixelColor(x, y).lightness() < 128;
        return dark;
    };
    EXPECT_GT(markPixels(), 3);
    // A click beside the box only makes the cell current.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(output).topLeft() + QPoint(2, 2));
    EXPECT_SQL(SQL(), "Select a.x, a.id From a");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CheckBoxRect(output).center());
    EXPECT_SQL(SQL(), "Select a.id From a");
    EXPECT_EQ(markPixels(), 0);
    Screenshot(QStringLiteral("grid-output-unchecked"));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_SQL(SQL(), "Select a.x, a.id From a");
    EXPECT_GT(markPixels(), 3);
}

TEST_F(SelectListGridTest, ARowMovedByItsIndicatorMovesInTheSelectList)
{
    Show(QStringLiteral("Select a.x, a.id From a"));
    QHeaderView *indicator = grid->verticalHeader();
    // The header's own section drag, as a mouse does it.
    const int x = indicator->width() / 2;
    const QPoint from(x, indicator->sectionViewportPosition(0) + indicator->sectionSize(0) / 2);
    const QPoint to(x, indicator->sectionViewportPosition(1) + indicator->sectionSize(1) - 2);
    QTest::mousePress(indicator->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(indicator->viewport(), from + QPoint(0, 4));
    QTest::mouseMove(indicator->viewport(), to);
    QTest::mouseRelease(indicator->viewport(), Qt::LeftButton, {}, to);
    EXPECT_SQL(SQL(), "Select a.id, a.x From a");
    EXPECT_SQL(Cell(0, M::colExpression), "a.id");
    EXPECT_EQ(indicator->visualIndex(0), 0);
}

TEST_F(SelectListGridTest, TheRowsMenuShowsOnARightClickOnARow)
{
    Show(QStringLiteral("Select a.x, a.id From a"));
    QContextMenuEvent onRow(QContextMenuEvent::Mouse, CellCentre(1, M::colAlias),
                            grid->viewport()->mapToGlobal(CellCentre(1, M::colAlias)));
    QApplication::sendEvent(grid->viewport(), &onRow);
    EXPECT_EQ(qb->PopupCount, 1);
    EXPECT_SQL(Captions(qb->PopupMenu()), "Move Up | !Move Down | - | Remove Item | Insert Empty Item | - | "
                                          "About Norvane Query Builder...");
    Click(qb->PopupMenu(), QStringLiteral("Move Up"));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a");
    // Below the rows there is no menu.
    const QPoint below(10, grid->viewport()->height() - 2);
    QContextMenuEvent offRows(QContextMenuEvent::Mouse, below, grid->viewport()->mapToGlobal(below));
    QApplication::sendEvent(grid->viewport(), &offRows);
    EXPECT_EQ(qb->PopupCount, 1);
}

TEST_F(SelectListGridTest, FocusLeavingTheGridWritesTheText)
{
    QWidget window;
    auto *other = new QLineEdit(&window);
    other->move(0, 200);
    Show(QStringLiteral("Select a.x From a"));
    grid->setParent(&window);
    grid->move(0, 0);
    grid->show();
    window.resize(900, 260);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, EventuallyTimeoutMs));
    ClickCell(0, M::colCriteria);
    ASSERT_EVENTUALLY(Editor()->hasFocus());
    QTest::keyClicks(Editor(), QStringLiteral("7"));
    other->setFocus();
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x = 7");
    EXPECT_FALSE(grid->IsEditorShown());
    // Coming back shows the editor on the current cell again.
    grid->setFocus();
    EXPECT_TRUE(grid->IsEditorShown());
    EXPECT_SQL(Editor()->text(), "= 7");
    grid->setParent(nullptr);
}

} // namespace

// The grid in the columns pane of a shown query builder.
class SelectListGridPageTest : public ControlsTest {
protected:
    TnvQueryBuilderSelectListControl *Grid(TnvUnionSubQuery *part = nullptr) const
    {
        return ControlOf<TnvQueryBuilderSelectListControl>((part ? part : Part(0))->SelectList());
    }
    QPoint CellCentre(int row, int col) const { return Grid()->visualRect(Grid()->model()->index(row, col)).center(); }
    // Opens the row's menu with a right click and chooses the item.
    void RowMenu(int row, const QString &caption)
    {
        const QPoint at = CellCentre(row, M::colAlias);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, Grid()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(Grid()->viewport(), &event);
        ClickPopupItem(caption);
    }
    int GridRows() const { return Grid()->model()->rowCount(); }
    int ListRows() const { return int(Part(0)->SelectList()->Count()); }
};

TEST_F(SelectListGridPageTest, TheGridFollowsEveryRemovalOfARow)
{
    SetSQL(QStringLiteral("Select a.x, a.id From a"));
    RowMenu(0, QStringLiteral("Insert Empty Item"));
    EXPECT_EQ(ListRows(), 4);
    EXPECT_EQ(GridRows(), 4);
    // The empty row goes; the SQL stays the same, the grid still follows.
    RowMenu(0, QStringLiteral("Remove Item"));
    EXPECT_EQ(ListRows(), 3);
    EXPECT_EQ(GridRows(), 3);
    EXPECT_SQL(Grid()->model()->index(0, M::colExpression).data().toString(), "a.x");
    EXPECT_SQL(SQL(), "Select a.x, a.id From a");
}

TEST_F(SelectListGridPageTest, TheEmptyLastRowIsNotDraggedAwayAndTheGridKeepsTheListsRows)
{
    SetSQL(QStringLiteral("Select a.x, a.id From a"));
    // Dragged to the top by its indicator, as Move Up refuses it: it stays.
    ASSERT_TRUE(DragByIndicator(Grid()->verticalHeader(), 2, 0));
    EXPECT_EQ(ListRows(), 3);
    EXPECT_EQ(GridRows(), 3);
    EXPECT_TRUE(Part(0)->SelectList()->Items(2)->IsEmpty());
    // Nor is a row dropped below it.
    ASSERT_TRUE(DragByIndicator(Grid()->verticalHeader(), 0, 2));
    EXPECT_TRUE(Part(0)->SelectList()->Items(2)->IsEmpty());
    EXPECT_SQL(SQL(), "Select a.x, a.id From a");
    RowMenu(0, QStringLiteral("Remove Item"));
    EXPECT_EQ(ListRows(), 2);
    EXPECT_EQ(GridRows(), 2);
    EXPECT_SQL(SQL(), "Select a.id From a");
}

TEST_F(SelectListGridPageTest, ATypedTextThatWouldNotParseIsRefusedWithTheParsersMessage)
{
    SetSQL(QStringLiteral("Select Sum(a.x) From a"));
    TnvQueryBuilderSelectListControl *grid = Grid();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(0, M::colExpression));
    ASSERT_TRUE(grid->IsEditorShown());
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("a.x = 1"));
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
    Process();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("Unexpected token"))) << ToStd(errors[0]);
    EXPECT_SQL(SQL(), "Select Sum(a.x) From a");
    EXPECT_SQL(grid->InplaceEditor()->text(), "a.x");
}

TEST_F(SelectListGridPageTest, TheGridFillsTheColumnsPaneOfItsUnionPage)
{
    SetSQL(QString());
    TnvQueryBuilderSelectListControl *grid = Grid();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->parentWidget(), UnionPage()->ColumnsPane());
    EXPECT_TRUE(grid->isVisible());
    EXPECT_EQ(grid->model()->rowCount() + 1, 2);
    EXPECT_EQ(grid->model()->columnCount(), 10);
    const QRect pane = UnionPage()->ColumnsPane()->contentsRect();
    EXPECT_EQ(grid->geometry().width(), pane.width());
    EXPECT_EQ(grid->geometry().height(), pane.height());
    // The titles as the screen shows them: the header row is not blank.
    const QImage shot = Shot(qb, QStringLiteral("grid-in-query-builder"));
    const QRect titles(grid->mapTo(qb, QPoint(0, 0)), grid->horizontalHeader()->size());
    int dark = 0;
    for (int x = titles.left(); x < titles.right(); ++x)
        dark += shot.pixelColor(x, titles.center().y()).lightness() < 100;
    EXPECT_GT(dark, 10);
}

TEST_F(SelectListGridPageTest, CriteriaAndInsertedSubQueryThroughTheShownControl)
{
    SetSQL(QStringLiteral("Select a.x From a"));
    TnvQueryBuilderSelectListControl *grid = Grid();
    ASSERT_NE(grid, nullptr);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(0, M::colCriteria));
    ASSERT_TRUE(grid->IsEditorShown());
    QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("> 5"));
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
    Process();
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x > 5");

    // The first "Or..." cell is empty: the sub-query goes in with "In".
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(0, M::colCriteria + 1));
    ASSERT_TRUE(grid->IsEditorShown());
    QSignalSpy typed(grid->InplaceEditor(), &QLineEdit::textChanged);
    std::unique_ptr<QMenu> menu(grid->InplaceEditor()->GetPopupMenu());
    menu->actions().first()->trigger();
    Process();
    ASSERT_FALSE(typed.isEmpty());
    EXPECT_SQL(typed.first().first().toString(), "In (Select From)");
    EXPECT_TRUE(SQL().startsWith(QStringLiteral("Select a.x From a Where a.x > 5 Or a.x In (Select"))) << ToStd(SQL());
    // Its page is in front.
    TnvSubQuery *subQuery = CurrentSubQuery();
    ASSERT_NE(subQuery, nullptr);
    EXPECT_NE(subQuery, static_cast<TnvSubQuery *>(qb->Query()));
    ASSERT_NE(QueryPage(subQuery), nullptr);
    EXPECT_EQ(Pages()->currentWidget(), QueryPage(subQuery));
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

} // namespace nvqb::test
