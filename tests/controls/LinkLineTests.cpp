// The link lines between real boxes: where they run as the boxes move, which
// clicks they take (and which reach what lies beneath), rows scrolled out of
// view, keys and menus, and what each painter style draws on the diagram.
#include "DiagramTestSupport.h"
#include "common/Eventually.h"
#include "builder/controls/LinkPainters.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/Datasource.h"
#include "builder/model/MenuItemData.h"

#include <QScrollBar>
#include <QTest>

namespace nvqb::test {

namespace {

class LinkLine : public DiagramTest {
protected:
    TnvQueryBuilderLinkControl *OnlyLine()
    {
        const QList<TnvLink *> links = Links();
        return links.size() == 1 ? Line(links[0]) : nullptr;
    }
    // A point of the line in the diagram's coordinates.
    static QPoint OnDiagram(TnvQueryBuilderLinkControl *line, int index)
    {
        return line->Points()[size_t(index)] + line->pos();
    }
    // The middle of the row of the field in the box, in the diagram's
    // coordinates.
    static int RowMiddle(TnvQueryBuilderDataSourceControl *box, int row)
    {
        const QRect rect = box->FieldsList()->visualItemRect(box->FieldsList()->item(row));
        const QPoint top = box->FieldsList()->viewport()->mapTo(box->parentWidget(), rect.topLeft());
        return (top.y() + top.y() + rect.height()) / 2;
    }
    void Place(const QString &name, const QPoint &at)
    {
        TnvQueryBuilderDataSourceControl *box = Box(name);
        box->SetBoxBounds(QRect(at, box->size()));
        Process();
    }
    // a, a table of 30 fields and c side by side, joined on a.id = wide.f29
    // and wide.f0 = c.id, the wide table's rows scrolling in its box.
    struct TWideJoin {
        TnvQueryBuilderDataSourceControl *Wide = nullptr;
        TnvQueryBuilderLinkControl *ToF29 = nullptr;
        TnvQueryBuilderLinkControl *FromF0 = nullptr;
    };
    TWideJoin ShowWideJoin(int wideTop)
    {
        AddWideTable(30);
        qb->SetMaxTableHeight(100);
        qb->SetGridSize(1);
        SetSQL(QStringLiteral("SELECT * FROM a INNER JOIN wide ON a.id = wide.f29 INNER JOIN c ON wide.f0 = c.id"));
        Place(QStringLiteral("a"), QPoint(10, 10));
        Place(QStringLiteral("wide"), QPoint(200, wideTop));
        Place(QStringLiteral("c"), QPoint(400, 10));
        TWideJoin join;
        join.Wide = Box(QStringLiteral("wide"));
        for (TnvLink *link : Links())
            (link->RightDatasource() == join.Wide->Datasource() ? join.ToF29 : join.FromF0) = Line(link);
        return join;
    }
};

} // namespace

TEST_F(LinkLine, FollowsTheBoxesSideBySideAndAboveEachOther)
{
    qb->SetGridSize(1);
    SetSQL(QStringLiteral("SELECT * FROM a INNER JOIN b ON a.id = b.a_id"));
    TnvQueryBuilderLinkControl *line = OnlyLine();
    ASSERT_NE(line, nullptr);
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    TnvQueryBuilderDataSourceControl *b = Box(QStringLiteral("b"));

    Place(QStringLiteral("a"), QPoint(10, 30));
    Place(QStringLiteral("b"), QPoint(250, 60));
    EXPECT_EQ(line->LeftSide(), csRight);
    EXPECT_EQ(line->RightSide(), csLeft);
    EXPECT_EQ(OnDiagram(line, 0), QPoint(a->x() + a->width(), RowMiddle(a, 1)));
    EXPECT_EQ(OnDiagram(line, 1), OnDiagram(line, 0) + QPoint(16, 0));
    EXPECT_EQ(OnDiagram(line, 3), QPoint(b->x(), RowMiddle(b, 2)));
    EXPECT_EQ(OnDiagram(line, 2), OnDiagram(line, 3) - QPoint(16, 0));
    // Lines lie behind the boxes.
    const QObjectList siblings = line->parentWidget()->children();
    EXPECT_LT(siblings.indexOf(line), siblings.indexOf(a));
    EXPECT_LT(siblings.indexOf(line), siblings.indexOf(b));
    Shot(WorkArea(), QStringLiteral("link-side-by-side"));

    // One above the other with equal left edges: both ends leave to the left.
    Place(QStringLiteral("b"), QPoint(10, 200));
    EXPECT_EQ(line->LeftSide(), csLeft);
    EXPECT_EQ(line->RightSide(), csLeft);
    EXPECT_EQ(line->x(), 10 - 16 - 4);
    EXPECT_EQ(OnDiagram(line, 1), QPoint(10 - 16, RowMiddle(a, 1)));
    EXPECT_EQ(OnDiagram(line, 2), QPoint(10 - 16, RowMiddle(b, 2)));
    Shot(WorkArea(), QStringLiteral("link-above-each-other"));

    // Dragging a box by its caption drags the line along; the clicks the
    // line takes follow once the drag ends.
    const QPoint caption(b->CaptionRect().x() + 20, b->CaptionRect().center().y());
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, caption);
    QTest::mouseMove(b, caption + QPoint(300, 0));
    EXPECT_EQ(line->RightSide(), csLeft);
    EXPECT_EQ(OnDiagram(line, 3).x(), b->x());
    EXPECT_FALSE(line->IsMaskValid());
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, caption + QPoint(300, 0));
    EXPECT_TRUE(line->IsMaskValid());
    EXPECT_EQ(line->mask(), LinkHitRegion(line->Points(), line->size()));
}

TEST_F(LinkLine, TakesClicksOnlyNearTheLine)
{
    qb->SetGridSize(1);
    SetSQL(QStringLiteral("SELECT * FROM a INNER JOIN b ON a.id = b.a_id"));
    TnvQueryBuilderLinkControl *line = OnlyLine();
    ASSERT_NE(line, nullptr);
    Place(QStringLiteral("a"), QPoint(10, 60));
    Place(QStringLiteral("b"), QPoint(250, 90));
    QWidget *diagram = WorkArea()->ContentParent();
    // The middle of the left stub, in the line's coordinates.
    const QPoint stub = (line->Points()[0] + line->Points()[1]) / 2;

    // 7 pixels above: the diagram beneath gets the click.
    WindowClick(line, stub - QPoint(0, 7));
    ASSERT_EQ(OnlyLine(), line) << ToStd(SQL());
    EXPECT_FALSE(line->hasFocus());
    EXPECT_EQ(diagram->childAt(line->mapTo(diagram, stub - QPoint(0, 7))), nullptr);
    // 6 and 5 pixels above: the line.
    EXPECT_EQ(diagram->childAt(line->mapTo(diagram, stub - QPoint(0, 6))), line);
    WindowClick(line, stub - QPoint(0, 5));
    ASSERT_EQ(OnlyLine(), line);
    EXPECT_EVENTUALLY(line->hasFocus());

    // Where the line's rectangle covers a box, a click away from the line
    // reaches the box: b below a, reaching further right, so that both ends
    // leave to the right and the line's rectangle covers b's "*" row.
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    TnvQueryBuilderDataSourceControl *b = Box(QStringLiteral("b"));
    b->SetBoxBounds(QRect(a->x() + 50, 200, a->width() - 30, b->height()));
    Process();
    ASSERT_EQ(line->LeftSide(), csRight);
    ASSERT_EQ(line->RightSide(), csRight);
    const QPoint onStar(a->x() + a->width() - b->x() + 4, RowPoint(b->FieldsList(), 0).y());
    const QPoint onB = line->mapFromGlobal(b->FieldsList()->viewport()->mapToGlobal(onStar));
    ASSERT_TRUE(line->rect().contains(onB));
    ASSERT_FALSE(line->HitTest(onB));
    WindowClick(line, onB);
    EXPECT_EVENTUALLY(b->FieldsList()->hasFocus());
    EXPECT_EQ(b->FieldsList()->currentRow(), 0);
    Shot(WorkArea(), QStringLiteral("link-over-box"));
}

TEST_F(LinkLine, RowScrolledOutOfViewAttachesToTheListEdge)
{
    const auto [wide, toF29, fromF0] = ShowWideJoin(10);
    ASSERT_TRUE(wide && toF29 && fromF0);
    TnvQueryBuilderDatasourceFieldsList *list = wide->FieldsList();
    const int listTop = list->mapTo(wide->parentWidget(), QPoint(0, 0)).y();
    const int listBottom = listTop + list->height();

    // f29 lies below the visible rows: its end sits on the list's bottom.
    EXPECT_EQ(OnDiagram(toF29, 3).y(), listBottom);
    EXPECT_EQ(OnDiagram(fromF0, 0).y(), RowMiddle(wide, 1));
    // Scrolled to the end: f0 is above the visible rows, f29 in view.
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    Process();
    EXPECT_EQ(OnDiagram(fromF0, 0).y(), listTop);
    EXPECT_EQ(OnDiagram(toF29, 3).y(), RowMiddle(wide, 30));
    Shot(WorkArea(), QStringLiteral("link-scrolled-rows"));
}

TEST_F(LinkLine, DraggedOrSizedBoxKeepsItsLinesOnTheirRows)
{
    // Every move of a drag realigns the box's lines from the rows it measured
    // at the drag's start; a scrolled list and a size that changes under the
    // mouse must give the rows a fresh measurement would.
    const auto [wide, toF29, fromF0] = ShowWideJoin(40);
    ASSERT_TRUE(wide && toF29 && fromF0);
    TnvQueryBuilderDatasourceFieldsList *list = wide->FieldsList();
    // Scrolled part way: the rows stand off their unscrolled places.
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum() / 2);
    Process();
    auto expectOnRows = [&](const char *when) {
        SCOPED_TRACE(when);
        const int listTop = list->mapTo(wide->parentWidget(), QPoint(0, 0)).y();
        const int listBottom = listTop + list->height();
        EXPECT_EQ(OnDiagram(fromF0, 0).y(), qBound(listTop, RowMiddle(wide, 1), listBottom));
        EXPECT_EQ(OnDiagram(toF29, 3).y(), qBound(listTop, RowMiddle(wide, 30), listBottom));
        // The other ends stay on a.id and c.id.
        EXPECT_EQ(OnDiagram(toF29, 0).y(), RowMiddle(Box(QStringLiteral("a")), 1));
        EXPECT_EQ(OnDiagram(fromF0, 3).y(), RowMiddle(Box(QStringLiteral("c")), 1));
        // The line's click widget and its face lie on the same bounds.
        EXPECT_EQ(toF29->Face()->geometry(), toF29->geometry());
        EXPECT_EQ(fromF0->Face()->geometry(), fromF0->geometry());
    };
    expectOnRows("before the drag");

    const QPoint caption(wide->CaptionRect().x() + 20, wide->CaptionRect().center().y());
    const QPoint pressGlobal = wide->mapToGlobal(caption);
    QTest::mousePress(wide, Qt::LeftButton, Qt::NoModifier, caption);
    QPoint by;
    for (const QPoint step : {QPoint(5, 3), QPoint(40, 60), QPoint(-30, 120), QPoint(10, 7)}) {
        by = step;
        QTest::mouseMove(wide, wide->mapFromGlobal(pressGlobal + by));
        ASSERT_EQ(wide->mapToGlobal(caption), pressGlobal + by);
        expectOnRows("moved by the caption");
    }
    const TnvLinkPoints moved = toF29->Points();
    QTest::mouseRelease(wide, Qt::LeftButton, Qt::NoModifier, wide->mapFromGlobal(pressGlobal + by));
    Process();
    expectOnRows("after the drag");
    EXPECT_EQ(toF29->Points(), moved);

    // The bottom edge dragged up: the list shrinks under the rows, and f29
    // ends on its bottom edge once it leaves the view.
    const QPoint bottom(wide->width() / 2, wide->height() - 1);
    QTest::mousePress(wide, Qt::LeftButton, Qt::NoModifier, bottom);
    for (int up : {4, 12, 30}) {
        QTest::mouseMove(wide, bottom - QPoint(0, up));
        expectOnRows("sized by the bottom edge");
    }
    QTest::mouseRelease(wide, Qt::LeftButton, Qt::NoModifier, bottom - QPoint(0, 30));
    Process();
    expectOnRows("after sizing");
    // Moved again after the list was shrunk: the rows are measured anew.
    QTest::mousePress(wide, Qt::LeftButton, Qt::NoModifier, caption);
    QTest::mouseMove(wide, caption + QPoint(15, 15));
    expectOnRows("moved after sizing");
    QTest::mouseRelease(wide, Qt::LeftButton, Qt::NoModifier, caption + QPoint(15, 15));
    Process();
    // c moved by its caption after a's rows scrolled: a's end follows them.
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    a->SetBoxBounds(QRect(a->pos(), QSize(a->width(), a->height() - 20)));
    a->FieldsList()->verticalScrollBar()->setValue(1);
    Process();
    TnvQueryBuilderDataSourceControl *c = Box(QStringLiteral("c"));
    const QPoint cCaption(c->CaptionRect().x() + 20, c->CaptionRect().center().y());
    QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, cCaption);
    QTest::mouseMove(c, cCaption + QPoint(0, 25));
    expectOnRows("another box moved");
    QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, cCaption + QPoint(0, 25));
}

TEST_F(LinkLine, DeleteKeyDoubleClickAndMenu)
{
    SetSQL(QStringLiteral("SELECT * FROM a INNER JOIN b ON a.id = b.a_id"));
    TnvQueryBuilderLinkControl *line = OnlyLine();
    ASSERT_NE(line, nullptr);
    const QPoint stub = (line->Points()[0] + line->Points()[1]) / 2;
    QTest::mouseClick(line, Qt::LeftButton, Qt::NoModifier, stub);
    ASSERT_EVENTUALLY(line->hasFocus());

    QContextMenuEvent menu(QContextMenuEvent::Mouse, stub, line->mapToGlobal(stub));
    QApplication::sendEvent(line, &menu);
    EXPECT_EQ(qb->PopupCount, 1);
    ASSERT_GE(qb->PopupCaptions.size(), 2);
    EXPECT_EQ(qb->PopupCaptions[0], QStringLiteral("Remove"));
    EXPECT_EQ(qb->PopupCaptions[1], QStringLiteral("Edit..."));
    EXPECT_TRUE(qb->PopupMenu()->Items(1)->IsDefault());
    EXPECT_EQ(qb->PopupCaptions.last(), qb->PopupMenu()->Items(qb->PopupMenu()->Count() - 1)->Caption());

    p->EditPropsClass = TnvLink::StaticClassType();
    QList<TnvQueryBuilderControlOwner *> edited;
    ControlFactory()->SetEditPropsDialog([&](TClass, TnvQueryBuilderControlOwner *node, TPosition) {
        edited.append(node);
        return false;
    });
    QTest::mouseDClick(line, Qt::LeftButton, Qt::NoModifier, stub);
    // QTest leaves the button of a double click down.
    QTest::mouseRelease(line, Qt::LeftButton, Qt::NoModifier, stub);
    ControlFactory()->SetEditPropsDialog(nullptr);
    ASSERT_EQ(edited.size(), 1);
    EXPECT_EQ(edited[0], Links().value(0));

    ASSERT_EVENTUALLY(line->hasFocus());
    ASSERT_EQ(QApplication::mouseButtons(), Qt::NoButton);
    QTest::keyClick(line, Qt::Key_Delete, Qt::ControlModifier);
    Process();
    EXPECT_EQ(Links().size(), 1);
    QTest::keyClick(line, Qt::Key_Delete);
    Process();
    EXPECT_TRUE(Links().isEmpty());
    EXPECT_EQ(LineWidgets(), 0);
    EXPECT_SQL(SQL(), "Select * From a, b");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(LinkLine, EachPainterStyleDrawsItsMarksOnTheDiagram)
{
    // a.id -> b.a_id is a foreign key of the metadata: one a to many b.
    qb->SetGridSize(1);
    SetSQL(QStringLiteral("SELECT * FROM a LEFT OUTER JOIN b ON a.id = b.a_id"));
    Place(QStringLiteral("a"), QPoint(10, 40));
    Place(QStringLiteral("b"), QPoint(250, 40));
    TnvQueryBuilderLinkControl *line = OnlyLine();
    ASSERT_NE(line, nullptr);
    QWidget *diagram = WorkArea()->ContentParent();
    const std::string black = Rgb(QColor(Qt::black));
    const QPoint p0 = OnDiagram(line, 0), p1 = OnDiagram(line, 1), p2 = OnDiagram(line, 2), p3 = OnDiagram(line, 3);
    const QPoint middle((p1.x() + p2.x()) / 2, (p1.y() + p2.y()) / 2);

    {
        qb->SetLinkPainterClassName(QStringLiteral("TnvQueryBuilderLinkPainterSimple"));
        Process();
        const QImage image = Shot(diagram, QStringLiteral("link-style-simple"));
        EXPECT_EQ(Rgb(image, middle.x(), middle.y()), black);
        // The outer left end: a white triangle outlined in black.
        EXPECT_EQ(Rgb(image, p0.x() + 6, p0.y() - 2), Rgb(QColor(Qt::white)));
        EXPECT_EQ(Rgb(image, p0.x() + 8, p0.y() - 4), black);
        // The inner right end: a circle.
        EXPECT_EQ(Rgb(image, p3.x() - 4, p3.y() - 4), black);
    }
    {
        qb->SetLinkPainterClassName(QStringLiteral("TnvQueryBuilderLinkPainterMSSQL"));
        Process();
        const QImage image = Shot(diagram, QStringLiteral("link-style-mssql"));
        // A band three pixels high with border lines.
        EXPECT_EQ(Rgb(image, p0.x() + 8, p0.y() - 1), black);
        EXPECT_EQ(Rgb(image, p0.x() + 8, p0.y() + 1), black);
        EXPECT_NE(Rgb(image, p0.x() + 8, p0.y() - 4), black);
        // The centre diamond and the outer left side's mark, 7 pixels out.
        EXPECT_EQ(Rgb(image, middle.x(), middle.y() - 6), black);
        EXPECT_EQ(Rgb(image, middle.x() - 5, middle.y() - 6), black);
        EXPECT_NE(Rgb(image, middle.x() + 5, middle.y() - 6), black);
    }
    {
        qb->SetLinkPainterClassName(QStringLiteral("TnvQueryBuilderLinkPainterAccess"));
        Process();
        const QImage image = Shot(diagram, QStringLiteral("link-style-access"));
        const QImage one = LinkCardinalityBitmap(qblcOne);
        const QImage many = LinkCardinalityBitmap(qblcMany);
        ASSERT_FALSE(one.isNull() || many.isNull());
        // The symbols stand above the stubs: something dark in each area.
        auto darkIn = [&](const QRect &area) {
            int dark = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    dark += qGray(image.pixel(x, y)) < 100;
            return dark;
        };
        const int stubLeft = (p0.x() + p1.x()) / 2, stubRight = (p2.x() + p3.x()) / 2;
        EXPECT_GT(darkIn(QRect(stubLeft - one.width() / 2, p0.y() - one.height() - 4, one.width(), one.height())), 0);
        EXPECT_GT(darkIn(QRect(stubRight - many.width() / 2, p3.y() - many.height() - 4, many.width(), many.height())),
                  0);
        // Nothing of the line above the symbols.
        EXPECT_EQ(darkIn(QRect(stubLeft - 8, p0.y() - one.height() - 10, 16, 4)), 0);
        // The right end's arrow head (the left side is outer); both stubs are
        // drawn twice as thick.
        EXPECT_EQ(Rgb(image, p3.x() - 3, p3.y() - 2), black);
        EXPECT_TRUE(Rgb(image, stubLeft, p0.y() - 1) == black || Rgb(image, stubLeft, p0.y() + 1) == black);
    }
}

TEST_F(LinkLine, ThreeTableJoinInEachStyle)
{
    qb->SetGridSize(1);
    SetSQL(QStringLiteral(
        "SELECT a.id, b.y, c.id FROM a LEFT OUTER JOIN b ON a.id = b.a_id INNER JOIN c ON b.id = c.b_id"));
    Place(QStringLiteral("a"), QPoint(20, 30));
    Place(QStringLiteral("b"), QPoint(190, 70));
    Place(QStringLiteral("c"), QPoint(360, 30));
    ASSERT_EQ(Links().size(), 2);
    const char *const styles[][2] = {{"TnvQueryBuilderLinkPainterSimple", "simple"},
                                     {"TnvQueryBuilderLinkPainterMSSQL", "mssql"},
                                     {"TnvQueryBuilderLinkPainterAccess", "access"}};
    for (const auto &style : styles) {
        SCOPED_TRACE(style[1]);
        qb->SetLinkPainterClassName(QString::fromLatin1(style[0]));
        Process();
        const QImage image = Shot(WorkArea()->viewport(), QStringLiteral("three-table-join-") + QLatin1String(style[1]));
        // Every line shows on both of its stubs.
        for (TnvLink *link : Links()) {
            TnvQueryBuilderLinkControl *line = Line(link);
            const QPoint left = (OnDiagram(line, 0) + OnDiagram(line, 1)) / 2;
            const QPoint right = (OnDiagram(line, 2) + OnDiagram(line, 3)) / 2;
            EXPECT_LT(qGray(image.pixel(left)), 100);
            EXPECT_LT(qGray(image.pixel(right)), 100);
        }
    }
}

} // namespace nvqb::test
