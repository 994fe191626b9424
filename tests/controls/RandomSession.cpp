#include "RandomSession.h"
#include "common/Eventually.h"
#include "DialogTestSupport.h"
#include "builder/JoinTestSupport.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/SelectListControl.h"
#include "builder/controls/TreeViewMetadata.h"
#include "builder/controls/UnionNavBar.h"
#include "builder/dialogs/DatasourcePropsForm.h"
#include "builder/dialogs/LinkPropsForm.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace nvqb::test {

namespace {

using M = TnvSelectListGridModel;

// Two union parts, joins with an outer one, criteria, grouping, a sub-query
// and an ORDER BY by position.
const QString Start = QStringLiteral(
    "SELECT a.id, a.x AS k, Count(*) FROM a INNER JOIN b ON a.id = b.a_id LEFT OUTER JOIN c ON b.id = c.b_id "
    "WHERE a.x > 1 GROUP BY a.id, a.x HAVING Count(*) > 1 UNION ALL SELECT b.id, b.y, 1 FROM b "
    "WHERE b.a_id IN (SELECT c.b_id FROM c) ORDER BY 2");

const QStringList Tables = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                            QStringLiteral("Customers")};

} // namespace

void RandomSession::SetUp()
{
    DiagramTest::SetUp();
    qb->resize(1000, 760);
    QApplication::setActiveWindow(qb);
    ASSERT_TRUE(QTest::qWaitForWindowActive(qb, EventuallyTimeoutMs));
    FReader = Create<TnvQueryBuilderModel>();
    FReader->SetSyntaxProvider(p);
    AddJoinTestMetadata(FReader->MetadataContainer(), p);
}

void RandomSession::TearDown()
{
    FReader.reset();
    p->EditPropsClass = nullptr;
    DiagramTest::TearDown();
}

QString RandomSession::Failure() const
{
    return QStringLiteral("session of seed %1 failed at action %2 of %3; its actions:\n  %4\n")
        .arg(FOptions.Seed)
        .arg(FStep + 1)
        .arg(FOptions.Actions)
        .arg(FLog.join(QStringLiteral("\n  ")));
}

void RandomSession::RunSession(const TSessionOptions &options)
{
    FOptions = options;
    FText = std::make_unique<TRandomCellText>(options.Seed);
    FLog.clear();
    FStep = -1;
    SetSQL(Start);
    errors.clear();
    if (!Check(QStringLiteral("start")))
        return;
    for (FStep = 0; FStep < options.Actions; ++FStep) {
        const qsizetype before = FLog.size();
        Step();
        Process();
        if (FLog.size() > before)
            ++Taken[FLog.last().section(u' ', 0, 0)];
        // Refused edits are reported, not raised: they belong to the log.
        for (const QString &error : std::as_const(errors))
            Log(QStringLiteral("  (refused: %1)").arg(QString(error).replace(u'\n', u' ').replace(u'\r', u' ')));
        errors.clear();
        if (!Check(FLog.isEmpty() ? QString() : FLog.last()))
            return;
    }
}

void RandomSession::Step()
{
    static const struct {
        int Weight;
        void (RandomSession::*Action)();
    } actions[] = {
        {22, &RandomSession::TypeIntoCell},      {6, &RandomSession::ToggleOutput},
        {6, &RandomSession::RowMenu},            {4, &RandomSession::DragRowIndicator},
        {5, &RandomSession::DropFieldOnGrid},    {2, &RandomSession::InsertSubQuery},
        {5, &RandomSession::DropTableFromTree},  {5, &RandomSession::MoveBox},
        {6, &RandomSession::CheckField},         {5, &RandomSession::LinkFields},
        {3, &RandomSession::Unlink},             {2, &RandomSession::RemoveBox},
        {2, &RandomSession::MinimiseBox},        {4, &RandomSession::LinkDialog},
        {3, &RandomSession::DatasourceDialog},   {4, &RandomSession::UnionOperator},
        {5, &RandomSession::UnionButtonOrTab},   {2, &RandomSession::UnionBarMenu},
        {1, &RandomSession::Reload},
    };
    int total = 0;
    for (const auto &action : actions)
        total += action.Weight;
    int choice = Pick(total);
    for (const auto &action : actions) {
        if (choice < action.Weight) {
            (this->*action.Action)();
            return;
        }
        choice -= action.Weight;
    }
}

bool RandomSession::Check(const QString &where)
{
    const QString sql = SQL();
    auto fail = [&](const QString &what) {
        ADD_FAILURE() << ToStd(Failure()) << "after <" << ToStd(where) << ">: " << ToStd(what) << "\n  SQL: "
                      << ToStd(sql);
        return false;
    };
    TOwned<TSQLSelectStatement> statement;
    try {
        statement = p->ParseSelect(sql);
    } catch (const Exception &e) {
        return fail(QStringLiteral("the SQL does not parse: ") + e.Message());
    }
    FReader->PrepareStatement(statement.get());
    FReader->LoadStatement(std::move(statement));
    if (const QString reread = FReader->GetSQL(); reread != sql)
        return fail(QStringLiteral("read back, the SQL is\n  ") + reread);

    QList<TnvSubQuery *> statements;
    CollectStatements(qb->Query(), statements);
    for (TnvSubQuery *subQuery : std::as_const(statements))
        for (qsizetype i = 0; i < subQuery->UnionSubQueriesCount(); ++i) {
            TnvSelectList *list = subQuery->UnionSubQueries(i)->SelectList();
            if (list->Count() == 0 || !list->Items(list->Count() - 1)->IsEmpty())
                return fail(QStringLiteral("a select list does not end with its empty row"));
            if (auto *grid = ControlOf<TnvQueryBuilderSelectListControl>(list);
                grid && grid->model()->rowCount() != list->Count())
                return fail(QStringLiteral("a grid shows %1 rows of a list of %2")
                                .arg(grid->model()->rowCount())
                                .arg(list->Count()));
        }
    {
        SCOPED_TRACE(ToStd(Failure()));
        ExpectEveryDiagramShowsItsModel();
    }
    return !HasFailure();
}

// ---------------------------------------------------------------------------
// Helpers

TnvQueryBuilderSelectListControl *RandomSession::CurrentGrid() const
{
    TnvUnionSubQuery *part = CurrentUnion();
    auto *grid = part ? ControlOf<TnvQueryBuilderSelectListControl>(part->SelectList()) : nullptr;
    return grid && grid->isVisible() ? grid : nullptr;
}

TnvQueryBuilderDataSourceControl *RandomSession::AnyBox()
{
    TnvUnionSubQuery *part = CurrentUnion();
    const QList<TnvDatasource *> list = part ? PartDatasources(part) : QList<TnvDatasource *>();
    return list.isEmpty() ? nullptr : ControlOf<TnvQueryBuilderDataSourceControl>(list[Pick(int(list.size()))]);
}

TnvQueryBuilderLinkControl *RandomSession::AnyLine()
{
    TnvUnionSubQuery *part = CurrentUnion();
    const QList<TnvLink *> links = part ? PartLinks(part) : QList<TnvLink *>();
    TnvQueryBuilderLinkControl *line = links.isEmpty() ? nullptr : Line(links[Pick(int(links.size()))]);
    return line && line->isVisible() && line->Points().size() >= 2 ? line : nullptr;
}

bool RandomSession::ClickAnyMenuItem(const QStringList &leftOut)
{
    QList<TnvMenuItemData *> items;
    for (qsizetype i = 0; i < qb->PopupMenu()->Count(); ++i) {
        TnvMenuItemData *item = qb->PopupMenu()->Items(i);
        if (item->Enabled() && !item->IsSeparator() && !item->Caption().startsWith(QStringLiteral("About")) &&
            !leftOut.contains(item->Caption()))
            items.append(item);
    }
    if (items.isEmpty())
        return false;
    TnvMenuItemData *item = items[Pick(int(items.size()))];
    FLog.last() += QStringLiteral(" [") + item->Caption() + u']';
    // A menu item may open a dialog: it is closed again.
    RunModal<QDialog>([&] { qb->ClickMenuItem(item); }, [](QDialog *) {}, false);
    return true;
}

// ---------------------------------------------------------------------------
// The grid

QModelIndex RandomSession::ScrollToCell(TnvQueryBuilderSelectListControl *grid, int row, int col)
{
    const QModelIndex index = grid->model()->index(row, col);
    grid->scrollTo(index);
    Process();
    return index;
}

bool RandomSession::ClickCellEditor(TnvQueryBuilderSelectListControl *grid, int row, int col)
{
    const QPoint at = grid->visualRect(ScrollToCell(grid, row, col)).center();
    if (!grid->viewport()->rect().contains(at))
        return false;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    return grid->IsEditorShown() && grid->EditorRow() == row && grid->EditorCol() == col;
}

void RandomSession::TypeIntoCell()
{
    TnvQueryBuilderSelectListControl *grid = CurrentGrid();
    if (!grid)
        return;
    const int row = Pick(grid->model()->rowCount());
    const int weights[] = {35, 10, 8, 7, 15};
    int col = M::colCriteria + Pick(std::max(1, grid->model()->columnCount() - M::colCriteria - 1));
    int choice = Pick(100);
    for (int c = 0; c < 5; ++c) {
        if (choice < weights[c]) {
            col = M::colExpression + c;
            break;
        }
        choice -= weights[c];
    }
    if (!ClickCellEditor(grid, row, col)) {
        Log(QStringLiteral("click cell %1,%2").arg(row).arg(col));
        return;
    }
    QStringList choices;
    grid->MyGetPickListForCell(col + 1, row + 1, choices);
    const QString text = FText->From(choices);
    TnvQueryBuilderSelectListInplaceEdit *editor = grid->InplaceEditor();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
    const int ending = Pick(10);
    Log(QStringLiteral("type %1,%2 <%3>%4")
            .arg(row)
            .arg(col)
            .arg(text, ending < 8 ? QStringLiteral(" Enter") : ending < 9 ? QStringLiteral(" Tab")
                                                                           : QStringLiteral(" Escape")));
    if (ending < 8)
        QTest::keyClick(editor, Qt::Key_Return);
    else if (ending < 9)
        QTest::keyClick(editor, Qt::Key_Tab);
    else
        QTest::keyClick(editor, Qt::Key_Escape);
}

void RandomSession::ToggleOutput()
{
    TnvQueryBuilderSelectListControl *grid = CurrentGrid();
    if (!grid)
        return;
    const int row = Pick(grid->model()->rowCount());
    const QModelIndex index = ScrollToCell(grid, row, M::colSelect);
    Log(QStringLiteral("output %1").arg(row));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CheckBoxRect(index).center());
}

void RandomSession::RowMenu()
{
    TnvQueryBuilderSelectListControl *grid = CurrentGrid();
    if (!grid)
        return;
    const int row = Pick(grid->model()->rowCount());
    const QPoint at = grid->visualRect(ScrollToCell(grid, row, M::colAlias)).center();
    const int before = qb->PopupCount;
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &event);
    Log(QStringLiteral("row menu %1").arg(row));
    if (qb->PopupCount != before)
        ClickAnyMenuItem();
}

void RandomSession::DragRowIndicator()
{
    TnvQueryBuilderSelectListControl *grid = CurrentGrid();
    if (!grid || grid->model()->rowCount() < 2)
        return;
    const int from = Pick(grid->model()->rowCount());
    const int to = Pick(grid->model()->rowCount());
    if (from == to)
        return;
    grid->scrollToTop();
    Process();
    Log(QStringLiteral("drag row %1 to %2").arg(from).arg(to));
    if (!DragByIndicator(grid->verticalHeader(), from, to))
        FLog.last() += QStringLiteral(" (out of view)");
}

void RandomSession::DropFieldOnGrid()
{
    TnvQueryBuilderSelectListControl *grid = CurrentGrid();
    TnvQueryBuilderDataSourceControl *box = AnyBox();
    if (!grid || !box || box->FieldsList()->count() == 0 || !box->FieldsList()->isVisible())
        return;
    BringIntoView(box);
    const int field = Pick(box->FieldsList()->count());
    box->FieldsList()->scrollToItem(box->FieldsList()->item(field));
    const QMimeData *data = DragRow(box->FieldsList(), field);
    if (!data)
        return;
    const int row = Pick(grid->model()->rowCount() + 1);
    QPoint at(grid->viewport()->width() / 2, grid->viewport()->height() - 2);
    if (row < grid->model()->rowCount())
        at = grid->visualRect(ScrollToCell(grid, row, M::colExpression)).center();
    Log(QStringLiteral("drop field %1 of %2 on row %3").arg(field).arg(box->GetCaption()).arg(row));
    DragDrop(grid->viewport(), at, data);
}

void RandomSession::InsertSubQuery()
{
    TnvQueryBuilderSelectListControl *grid = CurrentGrid();
    if (!grid)
        return;
    const int row = Pick(grid->model()->rowCount());
    const int col = Pick(2) ? M::colExpression : M::colCriteria + Pick(2);
    if (!ClickCellEditor(grid, row, col))
        return;
    Log(QStringLiteral("insert sub-query %1,%2").arg(row).arg(col));
    std::unique_ptr<QMenu> menu(grid->InplaceEditor()->GetPopupMenu());
    if (menu && !menu->actions().isEmpty())
        menu->actions().first()->trigger();
}

// ---------------------------------------------------------------------------
// The diagram

void RandomSession::DropTableFromTree()
{
    if (PartDatasources(CurrentUnion()).size() >= 10)
        return;
    const QString table = Tables[Pick(int(Tables.size()))];
    const QPoint at(Pick(600) + 10, Pick(300) + 10);
    TnvTreeViewMetadata *tree = qb->TreeViewMetadata();
    const QMimeData *data = nullptr;
    if (tree && tree->isVisible()) {
        tree->expandAll();
        // The table's node, wherever its schema puts it.
        const TnvTreeNode *node = nullptr;
        std::function<void(const TnvTreeNode *)> find = [&](const TnvTreeNode *parent) {
            for (int i = 0; i < parent->Count() && !node; ++i) {
                if (parent->Items(i)->Text == table && parent->Items(i)->Count() == 0)
                    node = parent->Items(i);
                else
                    find(parent->Items(i));
            }
        };
        find(tree->Nodes()->Root());
        if (node) {
            const QModelIndex index = tree->Nodes()->IndexOf(node);
            tree->scrollTo(index);
            Process();
            const QRect rect = tree->visualRect(index);
            data = DragFrom(tree->viewport(), QPoint(rect.left() + 6, rect.center().y()));
        }
    }
    if (!data)
        return;
    Log(QStringLiteral("drop %1 at %2,%3").arg(table).arg(at.x()).arg(at.y()));
    DragDrop(WorkArea()->viewport(), at, data);
}

void RandomSession::MoveBox()
{
    TnvQueryBuilderDataSourceControl *box = AnyBox();
    if (!box)
        return;
    BringIntoView(box);
    const QPoint by(Pick(241) - 120, Pick(161) - 80);
    Log(QStringLiteral("move %1 by %2,%3").arg(box->GetCaption()).arg(by.x()).arg(by.y()));
    MoveBoxBy(box, by);
}

void RandomSession::CheckField()
{
    TnvQueryBuilderDataSourceControl *box = AnyBox();
    if (!box || box->FieldsList()->count() == 0 || !box->FieldsList()->isVisible())
        return;
    BringIntoView(box);
    const int row = Pick(box->FieldsList()->count());
    Log(QStringLiteral("check row %1 of %2").arg(row).arg(box->GetCaption()));
    ClickFieldCheck(box, row);
}

void RandomSession::LinkFields()
{
    TnvQueryBuilderDataSourceControl *from = AnyBox();
    TnvQueryBuilderDataSourceControl *to = AnyBox();
    const QString done = LinkRandomFields(from, to, [this](int count) { return Pick(count); });
    if (!done.isEmpty())
        Log(done);
}

void RandomSession::Unlink()
{
    TnvQueryBuilderLinkControl *line = AnyLine();
    if (!line)
        return;
    Log(QStringLiteral("unlink"));
    if (!DeleteLine(line))
        FLog.last() += QStringLiteral(" (line covered)");
}

void RandomSession::RemoveBox()
{
    TnvQueryBuilderDataSourceControl *box = AnyBox();
    if (!box || PartDatasources(CurrentUnion()).size() <= 1 || !box->FieldsList()->isVisible() ||
        box->FieldsList()->count() == 0)
        return;
    BringIntoView(box);
    Log(QStringLiteral("delete ") + box->GetCaption());
    DeleteBox(box);
}

void RandomSession::MinimiseBox()
{
    TnvQueryBuilderDataSourceControl *box = AnyBox();
    if (!box)
        return;
    BringIntoView(box);
    Log(QStringLiteral("minimise or restore ") + box->GetCaption());
    ToggleMinimise(box);
}

void RandomSession::LinkDialog()
{
    TnvQueryBuilderLinkControl *line = AnyLine();
    if (!line)
        return;
    const QPoint at = line->Points()[1];
    const int before = qb->PopupCount;
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, line->mapToGlobal(at));
    QApplication::sendEvent(line, &event);
    TnvMenuItemData *edit = qb->PopupCount != before ? qb->PopupMenu()->Find(QStringLiteral("Edit...")) : nullptr;
    if (!edit || !edit->Enabled())
        return;
    const bool left = Pick(2), right = Pick(2), ok = Pick(5) > 0;
    Log(QStringLiteral("link dialog%1%2 %3")
            .arg(left ? QStringLiteral(" left") : QString(), right ? QStringLiteral(" right") : QString(),
                 ok ? QStringLiteral("OK") : QStringLiteral("Cancel")));
    p->EditPropsClass = TnvLinkPropsForm::StaticClassType();
    RunModal<TnvLinkPropsForm>(
        [&] { qb->ClickMenuItem(edit); },
        [&](TnvLinkPropsForm *form) {
            if (left && form->cbAllFromLeft->isEnabled())
                QTest::mouseClick(form->cbAllFromLeft, Qt::LeftButton);
            if (right && form->cbAllFromRight->isEnabled())
                QTest::mouseClick(form->cbAllFromRight, Qt::LeftButton);
            QTest::mouseClick(ok ? form->bOk : form->bCancel, Qt::LeftButton);
        },
        false);
    p->EditPropsClass = nullptr;
}

void RandomSession::DatasourceDialog()
{
    TnvQueryBuilderDataSourceControl *box = AnyBox();
    if (!box)
        return;
    BringIntoView(box);
    static const char *const aliases[] = {"", "t", "x1", "a", "b", "q q", "\"", "Select"};
    const QString alias = Pick(4) ? QString::fromLatin1(aliases[Pick(int(std::size(aliases)))]) : FText->Next();
    Log(QStringLiteral("source dialog %1 alias <%2>").arg(box->GetCaption(), alias));
    const QPoint at(box->CaptionRect().x() + 20, box->CaptionRect().center().y());
    p->EditPropsClass = TnvDatasourcePropsForm::StaticClassType();
    RunModal<TnvDatasourcePropsForm>(
        [&] {
            QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, at);
            // QTest leaves the button of a double click down.
            QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, at);
        },
        [&](TnvDatasourcePropsForm *form) {
            form->eAlias->setFocus();
            QTest::keyClick(form->eAlias, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(form->eAlias, Qt::Key_Delete);
            QTest::keyClicks(form->eAlias, alias);
            QTest::mouseClick(form->bOk, Qt::LeftButton);
        },
        false);
    p->EditPropsClass = nullptr;
}

// ---------------------------------------------------------------------------
// Unions and pages

void RandomSession::UnionOperator()
{
    TnvSubQuery *statement = CurrentSubQuery();
    if (!statement || statement->UnionSubQueriesCount() < 2)
        return;
    auto *op = ControlOf<TnvUnionOperator>(
        statement->UnionSubQueries(1 + Pick(int(statement->UnionSubQueriesCount()) - 1)), 2);
    if (!op || !op->isVisible())
        return;
    Log(QStringLiteral("operator ") + ChooseUnionOperator(op, Pick(4)));
}

void RandomSession::UnionButtonOrTab()
{
    if (Pick(2)) {
        QTabBar *tabs = Pages()->tabBar();
        const int tab = Pick(tabs->count());
        Log(QStringLiteral("tab %1").arg(tab));
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(tab).center());
        return;
    }
    TnvSubQuery *statement = CurrentSubQuery();
    auto *button = ControlOf<TnvUnionButton>(
        statement->UnionSubQueries(Pick(int(statement->UnionSubQueriesCount()))), 1);
    if (!button || !button->isVisible())
        return;
    Log(QStringLiteral("union button ") + button->text());
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

void RandomSession::UnionBarMenu()
{
    TnvSubQuery *statement = CurrentSubQuery();
    auto *button = ControlOf<TnvUnionButton>(
        statement->UnionSubQueries(Pick(int(statement->UnionSubQueriesCount()))), 1);
    if (!button || !button->isVisible())
        return;
    const int before = qb->PopupCount;
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(button, &event);
    if (qb->PopupCount == before)
        return;
    Log(QStringLiteral("union menu ") + button->text());
    // A few parts are enough to move between.
    QStringList leftOut;
    if (statement->UnionSubQueriesCount() >= 4)
        leftOut.append(QStringLiteral("New Union Sub-Query"));
    ClickAnyMenuItem(leftOut);
}

void RandomSession::Reload()
{
    Log(QStringLiteral("reload"));
    SetSQL(Start);
}

} // namespace nvqb::test
