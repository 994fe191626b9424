// The data-source boxes on a shown query builder, driven with the mouse and
// the keyboard: moving and sizing onto the grid, their size from their
// fields, the caption buttons, check marks changing the select list, field
// drags making links, and the Delete key.
#include "DiagramTestSupport.h"
#include "common/Eventually.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/Datasource.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QDeadlineTimer>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace nvqb::test {

namespace {

class DatasourceBox : public DiagramTest {
protected:
    // A point in the caption bar left of the buttons.
    static QPoint CaptionPoint(TnvQueryBuilderDataSourceControl *box)
    {
        const QRect caption = box->CaptionRect();
        return QPoint(caption.x() + 20, caption.center().y());
    }
};

// The SQL-92 dialect without a "*" row in the boxes.
class TNoStarProvider : public TUnionTestProvider {
public:
    using TUnionTestProvider::TUnionTestProvider;
    bool IsSupportAllTableFieldsSelection() const override { return false; }
};

} // namespace

TEST_F(DatasourceBox, MovingByTheCaptionSnapsToTheGrid)
{
    qb->SetGridSize(10);
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("a"));
    ASSERT_NE(box, nullptr);
    box->SetBoxBounds(QRect(50, 40, box->width(), box->height()));
    const QSize size = box->size();
    const QPoint from = CaptionPoint(box);
    Drag(box, from, from + QPoint(37 - 50, 64 - 40));
    EXPECT_EQ(box->pos(), QPoint(30, 60));
    EXPECT_EQ(box->size(), size);
    // The model reads the box's place.
    TnvDatasource *a = Datasource(QStringLiteral("a"));
    EXPECT_EQ(a->GetLeft(), 30);
    EXPECT_EQ(a->GetTop(), 60);

    // Never beyond the diagram's origin.
    Drag(box, CaptionPoint(box), CaptionPoint(box) - QPoint(100, 100));
    EXPECT_EQ(box->pos(), QPoint(0, 0));
}

TEST_F(DatasourceBox, GridSizeZeroMovesWithoutSnapping)
{
    qb->SetGridSize(0);
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("a"));
    ASSERT_NE(box, nullptr);
    box->SetBoxBounds(QRect(50, 40, box->width(), box->height()));
    const QPoint from = CaptionPoint(box);
    Drag(box, from, from + QPoint(37 - 50, 43 - 40));
    EXPECT_EQ(box->pos(), QPoint(37, 43));
}

TEST_F(DatasourceBox, SizingByTheFrameKeepsTheOppositeEdges)
{
    qb->SetGridSize(10);
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("a"));
    ASSERT_NE(box, nullptr);
    box->SetBoxBounds(QRect(50, 40, 100, 120));
    ASSERT_EQ(box->geometry(), QRect(50, 40, 100, 120));
    // The left edge to x = 37: snapped to 30, the right edge stays at 150.
    const QPoint left(1, 60);
    ASSERT_EQ(box->HitTest(left), TnvQueryBuilderDataSourceControl::htLeft);
    Drag(box, left, left + QPoint(-13, 0));
    EXPECT_EQ(box->geometry(), QRect(30, 40, 120, 120));
    // The bottom edge: the top stays.
    const QPoint bottom(60, box->height() - 1);
    ASSERT_EQ(box->HitTest(bottom), TnvQueryBuilderDataSourceControl::htBottom);
    Drag(box, bottom, bottom + QPoint(0, 33));
    EXPECT_EQ(box->geometry(), QRect(30, 40, 120, 153));
    // Not below the minimum size.
    const QPoint right(box->width() - 1, 60);
    Drag(box, right, right - QPoint(500, 0));
    EXPECT_EQ(box->width(), TnvQueryBuilderDataSourceControl::MinWidth);
    EXPECT_EQ(box->x(), 30);
}

TEST_F(DatasourceBox, NewBoxTakesItsSizeFromItsFields)
{
    AddWideTable(30);
    qb->SetMaxTableHeight(200);
    SetSQL(QStringLiteral("SELECT * FROM wide, a"));
    TnvQueryBuilderDataSourceControl *wide = Box(QStringLiteral("wide"));
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    ASSERT_TRUE(wide && a);
    EXPECT_EQ(wide->FieldsList()->count(), 31); // "*" and 30 fields
    EXPECT_EQ(wide->ClientRect().height(), 200);
    EXPECT_EQ(wide->ClientRect().width(), qb->DefaultTableWidth());
    EXPECT_EQ(wide->FieldsList()->geometry(), wide->ClientRect());
    // Few fields: every row shows.
    EXPECT_EQ(a->ClientRect().height(), a->FieldsList()->CalcOptimalHeight());
    EXPECT_LT(a->ClientRect().height(), 200);
    // The boxes do not cover each other.
    EXPECT_FALSE(a->geometry().intersects(wide->geometry()));
    Shot(WorkArea(), QStringLiteral("boxes-wide-table"));
}

TEST_F(DatasourceBox, BoxOfAStoredPlaceGoesThere)
{
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvDatasource *c = CurrentUnion()->AddObjectAt(QStringLiteral("c"), QPoint(200, 100));
    Process();
    auto *box = ControlOf<TnvQueryBuilderDataSourceControl>(c);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->pos(), QPoint(200, 100));
    EXPECT_EQ(box->ClientRect().width(), qb->DefaultTableWidth());
    EXPECT_EQ(box->GetCaption(), QStringLiteral("c"));
}

TEST_F(DatasourceBox, MinimiseCollapsesAndRestores)
{
    SetSQL(QStringLiteral("SELECT * FROM b"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("b"));
    ASSERT_NE(box, nullptr);
    box->SetBoxBounds(QRect(10, 10, 120, 150));
    const QPoint minimise = box->ButtonRect(1).center();
    ASSERT_EQ(box->HitTest(minimise), TnvQueryBuilderDataSourceControl::htMinButton);
    // Pressing only presses; releasing elsewhere does nothing.
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, minimise);
    EXPECT_EQ(box->height(), 150);
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, CaptionPoint(box));
    EXPECT_EQ(box->height(), 150);

    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, minimise);
    EXPECT_EQ(box->height(), box->MinHeight());
    EXPECT_TRUE(box->IsMinimized());
    Shot(box, QStringLiteral("box-minimised"));
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->ButtonRect(1).center());
    EXPECT_EQ(box->height(), 150);
}

TEST_F(DatasourceBox, CloseButtonAndDeleteKeyRemoveTheBoxAndItsLinks)
{
    SetSQL(QStringLiteral("SELECT * FROM a INNER JOIN b ON a.id = b.a_id INNER JOIN c ON b.id = c.b_id"));
    ASSERT_EQ(BoxWidgets(), 3);
    ASSERT_EQ(LineWidgets(), 2);

    // Delete with a modifier is an ordinary key of the list.
    TnvQueryBuilderDataSourceControl *b = Box(QStringLiteral("b"));
    QTest::mouseClick(b->FieldsList()->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(b->FieldsList(), 1));
    ASSERT_EVENTUALLY(b->FieldsList()->hasFocus());
    QTest::keyClick(b->FieldsList(), Qt::Key_Delete, Qt::ShiftModifier);
    Process();
    EXPECT_EQ(BoxWidgets(), 3);

    QTest::keyClick(b->FieldsList(), Qt::Key_Delete);
    Process();
    EXPECT_EQ(Datasource(QStringLiteral("b")), nullptr);
    EXPECT_EQ(BoxWidgets(), 2);
    EXPECT_EQ(LineWidgets(), 0);
    EXPECT_SQL(SQL(), "Select * From a, c");

    TnvQueryBuilderDataSourceControl *c = Box(QStringLiteral("c"));
    QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, c->ButtonRect(0).center());
    Process();
    EXPECT_EQ(BoxWidgets(), 1);
    EXPECT_SQL(SQL(), "Select * From a");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(DatasourceBox, CaptionMenuAndDoubleClick)
{
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("a"));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::RightButton, Qt::NoModifier, CaptionPoint(box));
    EXPECT_EQ(qb->PopupCount, 1);
    EXPECT_EQ(qb->PopupPoint, box->mapToGlobal(CaptionPoint(box)));
    EXPECT_TRUE(qb->PopupCaptions.contains(QStringLiteral("Remove")));
    EXPECT_TRUE(qb->PopupCaptions.contains(QStringLiteral("Autofit Object Height")));
    // The field list's menu is the box's.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, RowPoint(box->FieldsList(), 1));
    QApplication::sendEvent(box->FieldsList()->viewport(), &menu);
    EXPECT_EQ(qb->PopupCount, 2);
    // A right click on a button shows nothing.
    QTest::mouseClick(box, Qt::RightButton, Qt::NoModifier, box->ButtonRect(0).center());
    EXPECT_EQ(qb->PopupCount, 2);

    // A double click on the caption opens the property dialog.
    TClass formClass = TnvDatasource::StaticClassType();
    p->EditPropsClass = formClass;
    QList<TnvQueryBuilderControlOwner *> edited;
    ControlFactory()->SetEditPropsDialog([&](TClass, TnvQueryBuilderControlOwner *node, TPosition) {
        edited.append(node);
        return false;
    });
    QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, CaptionPoint(box));
    ControlFactory()->SetEditPropsDialog(nullptr);
    ASSERT_EQ(edited.size(), 1);
    EXPECT_EQ(edited[0], Datasource(QStringLiteral("a")));
}

TEST_F(DatasourceBox, ARightClickOnTheBoxOpensItsMenuAlone)
{
    qb->RealMenus = true;
    ASSERT_TRUE(ActivateWindow(qb));
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("a"));
    ASSERT_NE(box, nullptr);
    // Through the window, as the platform delivers a click: the press brings
    // the context-menu event, the release the box's menu.
    const auto click = [&](QWidget *widget, const QPoint &point) {
        return AnswerPopups([&] { WindowClick(widget, point, Qt::RightButton); }, nullptr);
    };
    QList<QStringList> menus = click(box, CaptionPoint(box));
    ASSERT_EQ(menus.size(), 1) << ToStd(menus.value(0)) << " / " << ToStd(menus.value(1));
    EXPECT_TRUE(menus[0].contains(QStringLiteral("Remove"))) << ToStd(menus[0]);
    menus = click(box->FieldsList()->viewport(), RowPoint(box->FieldsList(), 1));
    ASSERT_EQ(menus.size(), 1);
    EXPECT_TRUE(menus[0].contains(QStringLiteral("Remove"))) << ToStd(menus[0]);
    // A button takes the press and opens nothing.
    EXPECT_TRUE(click(box, box->ButtonRect(0).center()).isEmpty());
    // The diagram beside the box still has its own menu.
    menus = click(WorkArea()->viewport(), box->geometry().bottomRight() + QPoint(40, 40));
    ASSERT_EQ(menus.size(), 1);
    EXPECT_TRUE(menus[0].contains(QStringLiteral("Add Object"))) << ToStd(menus[0]);
}

TEST_F(DatasourceBox, IconOpensTheMenuAtTheClientArea)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    qb->AddObjectFormOptions()->SetImageListSmall({QIcon(pixmap)});
    qb->AddObjectFormOptions()->SetImageIndexTables(0);
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("a"));
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->HasIcon());
    const QPoint icon = box->IconRect().center();
    EXPECT_EQ(box->HitTest(icon), TnvQueryBuilderDataSourceControl::htMenu);
    const QImage image = Shot(box, QStringLiteral("box-with-icon"));
    EXPECT_EQ(Rgb(image, icon.x(), icon.y()), Rgb(QColor(Qt::red)));

    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, icon);
    EXPECT_EQ(qb->PopupCount, 1);
    EXPECT_EQ(qb->PopupPoint, box->mapToGlobal(box->ClientRect().topLeft()));

    // Without table icons the caption starts at the left.
    qb->SetUseTableIcons(false);
    EXPECT_EQ(box->HitTest(icon), TnvQueryBuilderDataSourceControl::htCaption);
}

TEST_F(DatasourceBox, SubQueryButtonOfADerivedTable)
{
    SetSQL(QStringLiteral("SELECT * FROM a, (SELECT * FROM b) q"));
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    TnvQueryBuilderDataSourceControl *q = Box(QStringLiteral("q"));
    ASSERT_TRUE(a && q);
    EXPECT_FALSE(a->HasSubQueryButton());
    ASSERT_TRUE(q->HasSubQueryButton());
    const QPoint button = q->ButtonRect(2).center();
    ASSERT_EQ(q->HitTest(button), TnvQueryBuilderDataSourceControl::htSubQueryButton);
    EXPECT_LT(q->ButtonRect(2).right(), q->ButtonRect(1).left() - 1);
    Shot(q, QStringLiteral("box-derived-table"));
    TnvSubQuery *root = CurrentSubQuery();
    QTest::mouseClick(q, Qt::LeftButton, Qt::NoModifier, button);
    Process();
    EXPECT_NE(CurrentSubQuery(), root);
    EXPECT_EQ(CurrentSubQuery(), static_cast<TnvDataSourceQuery *>(q->Datasource())->SubQuery());
}

TEST_F(DatasourceBox, PlaceAndSizeOutliveTheWidgets)
{
    qb->SetGridSize(1);
    SetSQL(QStringLiteral("SELECT * FROM a, b"));
    Box(QStringLiteral("a"))->SetBoxBounds(QRect(33, 44, 150, 95));
    qb->DestroyControls();
    Process();
    EXPECT_EQ(Datasource(QStringLiteral("a"))->StoredBounds(), QRect(33, 44, 150, 95));
    qb->CreateControls();
    Process();
    ASSERT_NE(Box(QStringLiteral("a")), nullptr);
    EXPECT_EQ(Box(QStringLiteral("a"))->geometry(), QRect(33, 44, 150, 95));

    // Pushing the settings keeps a box's own width; a new default width
    // reaches every box.
    qb->SetTableColor(QColor(Qt::yellow));
    EXPECT_EQ(Box(QStringLiteral("a"))->width(), 150);
    qb->SetDefaultTableWidth(120);
    EXPECT_EQ(Box(QStringLiteral("a"))->width(), 120);
    EXPECT_EQ(Box(QStringLiteral("b"))->width(), 120);
}

TEST_F(DatasourceBox, CheckMarksChangeTheSelectList)
{
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("a"));
    ASSERT_NE(box, nullptr);
    TnvQueryBuilderDatasourceFieldsList *list = box->FieldsList();
    ASSERT_EQ(list->item(0)->text(), QStringLiteral("*"));
    ASSERT_EQ(list->item(1)->text(), QStringLiteral("id"));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CheckPoint(list, 1));
    EXPECT_TRUE(list->Checked(1));
    EXPECT_EVENTUALLY(list->hasFocus());
    EXPECT_EQ(list->currentRow(), 1);
    TnvSelectList *select = CurrentUnion()->SelectList();
    QStringList rows;
    for (qsizetype i = 0; i < select->Count(); ++i)
        rows.append(select->Items(i)->GetExpression());
    EXPECT_TRUE(rows.contains(QStringLiteral("a.id"))) << ToStd(rows);
    EXPECT_SQL(SQL(), "Select a.id From a");
    EXPECT_EQ(box->GetCaption(), QStringLiteral("(1)a"));

    // Checking it again finds the same row; unchecking takes it out.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CheckPoint(list, 1));
    EXPECT_FALSE(list->Checked(1));
    EXPECT_SQL(SQL(), "Select * From a");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CheckPoint(list, 2));
    EXPECT_SQL(SQL(), "Select a.x From a");
    // The "*" row stands for a.*.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CheckPoint(list, 0));
    EXPECT_TRUE(SQL().contains(QStringLiteral("a.*"))) << ToStd(SQL());
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(DatasourceBox, FieldDroppedOnAFieldMakesALink)
{
    SetSQL(QStringLiteral("SELECT * FROM a, b"));
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    TnvQueryBuilderDataSourceControl *b = Box(QStringLiteral("b"));
    ASSERT_TRUE(a && b);
    // "*" is no field: no drag starts from it.
    EXPECT_EQ(DragRow(a->FieldsList(), 0), nullptr);
    const QMimeData *id = DragRow(a->FieldsList(), 1);
    ASSERT_NE(id, nullptr);
    TnvQueryBuilderDatasourceFieldsList *target = b->FieldsList();
    // Not onto its own list, not onto "*".
    EXPECT_FALSE(DragOver(a->FieldsList()->viewport(), RowPoint(a->FieldsList(), 2), id));
    EXPECT_FALSE(DragDrop(target->viewport(), RowPoint(target, 0), id));
    EXPECT_TRUE(Links().isEmpty());
    EXPECT_SQL(SQL(), "Select * From a, b");

    EXPECT_TRUE(DragDrop(target->viewport(), RowPoint(target, 2), id));
    ASSERT_EQ(Links().size(), 1);
    TnvLink *link = Links()[0];
    EXPECT_EQ(link->LeftDatasource(), Datasource(QStringLiteral("a")));
    EXPECT_EQ(link->RightDatasource(), Datasource(QStringLiteral("b")));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id = b.a_id");
    EXPECT_EQ(LineWidgets(), 1);
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(DatasourceBox, FirstFieldOfAListWithoutStarDragsLikeAnyOther)
{
    TNoStarProvider noStar;
    qb->SetSyntaxProvider(&noStar);
    SetSQL(QStringLiteral("SELECT a.x FROM a, b"));
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    TnvQueryBuilderDataSourceControl *b = Box(QStringLiteral("b"));
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->FieldsList()->item(0)->text(), QStringLiteral("id"));
    const QMimeData *id = DragRow(a->FieldsList(), 0);
    ASSERT_NE(id, nullptr);
    TnvQueryBuilderDatasourceFieldsList *target = b->FieldsList();
    ASSERT_EQ(target->item(1)->text(), QStringLiteral("a_id"));
    EXPECT_TRUE(DragDrop(target->viewport(), RowPoint(target, 1), id));
    EXPECT_EQ(Links().size(), 1);
    EXPECT_TRUE(SQL().contains(QStringLiteral("Inner Join b On a.id = b.a_id"))) << ToStd(SQL());
    // And a drop onto the first field of the other list.
    const QMimeData *x = DragRow(a->FieldsList(), 1);
    ASSERT_NE(x, nullptr);
    EXPECT_TRUE(DragDrop(target->viewport(), RowPoint(target, 0), x));
    EXPECT_EQ(Links().size(), 2);
    qb->SetSyntaxProvider(p);
}

TEST_F(DatasourceBox, OtherDragsGoToTheDiagram)
{
    SetSQL(QStringLiteral("SELECT * FROM a"));
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    ASSERT_NE(a, nullptr);
    // A metadata object dropped on a box is added to the diagram, at the
    // drop point converted to the diagram.
    TnvDragMimeData data(nullptr);
    WriteMetadataObjectDrag(&data, {QStringLiteral("c"), TnvDraggedObjectKind::Table});
    const QPoint at = RowPoint(a->FieldsList(), 1);
    EXPECT_TRUE(DragDrop(a->FieldsList()->viewport(), at, &data));
    TnvQueryBuilderDataSourceControl *c = Box(QStringLiteral("c"));
    ASSERT_NE(c, nullptr);
    EXPECT_SQL(SQL(), "Select * From a, c");
}

TEST_F(DatasourceBox, TableColourAndFontReachTheList)
{
    SetSQL(QStringLiteral("SELECT * FROM a"));
    qb->SetTableColor(QColor(255, 240, 200));
    Process();
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("a"));
    const QImage image = Shot(box, QStringLiteral("box-table-colour"));
    // Below the last row the list shows its colour.
    const QRect client = box->ClientRect();
    EXPECT_EQ(Rgb(image, client.center().x(), client.bottom() - 1), Rgb(QColor(255, 240, 200)));
    QFont font = qb->TableFont();
    font.setPointSize(font.pointSize() + 6);
    qb->SetTableFont(font);
    EXPECT_EQ(box->FieldsList()->font().pointSize(), font.pointSize());
    EXPECT_GT(box->MinHeight(), 0);
}

} // namespace nvqb::test

namespace nvqb::test {

// The box asks for the menu from its own event handler, and "Remove" frees
// the box: the choice must wait until that handler has returned (under ASan a
// box freed inside it is a use after free).
TEST_F(DatasourceBox, RemoveFromTheRealMenuFreesTheBoxAfterItsHandler)
{
    SetSQL(QStringLiteral("SELECT a.id, b.y FROM a INNER JOIN b ON a.id = b.a_id"));
    TnvQueryBuilderDataSourceControl *box = Box(QStringLiteral("b"));
    ASSERT_NE(box, nullptr);
    qb->RealMenus = true;
    bool chosen = false;
    QTimer answer;
    answer.setInterval(5);
    const QDeadlineTimer deadline(EventuallyTimeoutMs);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || (!HasArrived(menu) && !deadline.hasExpired()))
            return;
        answer.stop();
        for (QAction *action : menu->actions())
            if (action->text() == QStringLiteral("Remove")) {
                chosen = true;
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        menu->close();
    });
    answer.start();
    QTest::mouseClick(box, Qt::RightButton, Qt::NoModifier, CaptionPoint(box));
    ASSERT_TRUE(chosen);
    Process();
    EXPECT_EQ(Box(QStringLiteral("b")), nullptr);
    EXPECT_EQ(BoxWidgets(), 1);
    EXPECT_SQL(SQL(), "Select a.id From a");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

} // namespace nvqb::test
