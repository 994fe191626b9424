// The pages of the query builder: one tab per sub-query with its caption,
// one union page per union part (only the current one shown) holding the
// diagram over the columns pane, the navigation bar placed by
// UnionNavBarPos, and the visual options reaching the pages.
#include "ControlsTestSupport.h"
#include "builder/controls/UnionNavBar.h"
#include "builder/model/Query.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTest>

namespace nvqb::test {

namespace {
const QString WithSubQuery = QStringLiteral("SELECT a.id FROM a WHERE a.id IN (SELECT b.a_id FROM b)");
}

TEST_F(ControlsTest, EverySubQueryHasATabCaptionedThroughTheHeaderHook)
{
    qb->OnGetTabHeaderText = [](TnvQueryBuilderModel *, TnvSubQuery *subQuery, QString &caption) {
        if (subQuery->GetIsSubQuery())
            caption = QStringLiteral("inner: ") + caption;
    };
    SetSQL(WithSubQuery);
    ASSERT_EQ(Pages()->count(), 2);
    EXPECT_SQL(Pages()->tabText(0), "Main");
    EXPECT_SQL(Pages()->tabText(1), "inner: Select b.a_id From b");
    // Each page is the control of its sub-query.
    EXPECT_EQ(Pages()->widget(0), QueryPage(qb->Query()));
    EXPECT_EQ(Pages()->widget(1), QueryPage(qb->Query()->GetSubQuery(0)));

    // A page goes with its sub-query.
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    EXPECT_EQ(Pages()->count(), 1);
}

TEST_F(ControlsTest, ClickingATabMakesItsSubQueryCurrent)
{
    SetSQL(WithSubQuery);
    ASSERT_EQ(CurrentSubQuery(), qb->Query());
    TnvSubQuery *inner = qb->Query()->GetSubQuery(0);
    QTabBar *tabs = Pages()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
    Process();
    EXPECT_EQ(CurrentSubQuery(), inner);
    EXPECT_EQ(Pages()->currentWidget(), QueryPage(inner));
    // And the model's choice shows the page.
    qb->SetCurrentSubquery(qb->Query());
    Process();
    EXPECT_EQ(Pages()->currentIndex(), 0);
}

TEST_F(ControlsTest, TabsHotTrackWhenAsked)
{
    ASSERT_TRUE(ActivateWindow(qb));
    SetSQL(WithSubQuery);
    QTabBar *tabs = Pages()->tabBar();
    const QRect other = tabs->tabRect(1);
    const QColor highlight = tabs->palette().color(QPalette::Highlight);
    // The pixels of the other tab's caption in the highlight colour.
    auto highlighted = [&] {
        QWidget *window = qb->window();
        QTest::mouseMove(window->windowHandle(), tabs->mapTo(window, other.center()));
        Process();
        const QImage image = tabs->grab().toImage();
        int count = 0;
        for (int y = other.top(); y <= other.bottom(); ++y)
            for (int x = other.left(); x <= other.right(); ++x)
                count += image.pixelColor(x, y) == highlight;
        // The mouse leaves the tabs again.
        QTest::mouseMove(window->windowHandle(), QPoint(window->width() - 2, window->height() - 2));
        Process();
        return count;
    };
    EXPECT_EQ(highlighted(), 0);
    qb->setProperty("TabHotTrack", true);
    EXPECT_GT(highlighted(), 0);
    Shot(tabs, QStringLiteral("tabs-hot-tracked"));
    qb->SetTabHotTrack(false);
    EXPECT_EQ(highlighted(), 0);
}

TEST_F(ControlsTest, RemadeControlsShowTheCurrentSubQuery)
{
    SetSQL(WithSubQuery);
    TnvSubQuery *inner = qb->Query()->GetSubQuery(0);
    qb->SetCurrentSubquery(inner);
    Process();
    // Making the pages again adds the main page first; the current
    // sub-query stays, and its page is the one shown.
    qb->DestroyControls();
    EXPECT_EQ(Pages()->count(), 0);
    qb->CreateControls();
    Process();
    EXPECT_EQ(CurrentSubQuery(), inner);
    EXPECT_EQ(Pages()->currentWidget(), QueryPage(inner));
}

TEST_F(ControlsTest, OnlyTheCurrentUnionPartsPageIsShown)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a UNION SELECT b.id FROM b"));
    TnvUnionSubQueryTabSheet *first = UnionPage(Part(0));
    TnvUnionSubQueryTabSheet *second = UnionPage(Part(1));
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    // The union pages cover the whole query page.
    EXPECT_EQ(first->geometry(), QueryPage()->rect());
    EXPECT_EQ(first->GetDatasourcesParent(), first->WorkArea());
    EXPECT_EQ(first->GetSelectListParent(), first->ColumnsPane());

    qb->Query()->SetCurrentUnionSubquery(Part(1));
    Process();
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->geometry(), QueryPage()->rect());
}

TEST_F(ControlsTest, NavigationBarSitsInTheChosenCornerClearOfTheScrollBars)
{
    SetSQL(QStringLiteral("SELECT 1 UNION ALL SELECT 2"));
    TnvUnionSubQueryTabSheet *page = UnionPage();
    TnvUnionNavBar *bar = NavBar();
    TnvQueryBuilderWorkArea *area = WorkArea();
    ASSERT_TRUE(page && bar && area);
    const int extent = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    const QRect diagram(area->mapTo(QueryPage(), QPoint(0, 0)), area->size());
    ASSERT_FALSE(area->verticalScrollBar()->isVisible());

    // Top right, the default: right of the bar at the room of the vertical
    // scroll bar.
    EXPECT_EQ(bar->height(), TnvUnionNavBar::BarHeight);
    EXPECT_EQ(bar->geometry().right(), diagram.right() - extent);
    EXPECT_EQ(bar->geometry().top(), diagram.top());

    qb->SetUnionNavBarPos(unbBottomLeft);
    Process();
    EXPECT_EQ(bar->geometry().left(), diagram.left());
    EXPECT_EQ(bar->geometry().bottom(), diagram.bottom() - extent);
    // The bar stands in front of the diagram: its first button shows.
    const QImage shot = Shot(qb, QStringLiteral("pages-navbar-bottom-left"));
    const QPoint button = bar->mapTo(qb, bar->childrenRect().topLeft() + QPoint(2, 11));
    EXPECT_NE(Rgb(shot, button.x(), button.y()), Rgb(QColor(Qt::white)));

    // A shown horizontal scroll bar takes its own room: the bar stays above it.
    auto *far = new QWidget(area->ContentParent());
    far->setGeometry(2000, 10, 50, 50);
    far->show();
    Process();
    ASSERT_TRUE(area->horizontalScrollBar()->isVisible());
    EXPECT_LE(bar->geometry().bottom(), area->mapTo(QueryPage(), area->viewport()->geometry().bottomLeft()).y());
    EXPECT_EQ(bar->geometry().bottom(), area->mapTo(QueryPage(), QPoint(0, area->viewport()->height() - 1)).y());
}

TEST_F(ControlsTest, ColumnsPaneVisibilityAndSplitter)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvUnionSubQueryTabSheet *page = UnionPage();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->ColumnsPane()->isVisible());
    EXPECT_EQ(page->Splitter()->height(), 3);
    // Diagram, splitter and pane stack up to the page's height.
    EXPECT_EQ(page->DiagramPanel()->geometry().bottom() + 1, page->Splitter()->geometry().top());
    EXPECT_EQ(page->Splitter()->geometry().bottom() + 1, page->ColumnsPane()->geometry().top());
    EXPECT_EQ(page->ColumnsPane()->geometry().bottom(), page->ClientRect().bottom());

    qb->SetBorderWidth(5);
    qb->SetSplitterHeight(2);
    Process();
    EXPECT_EQ(page->Splitter()->height(), 5);

    // Dragging the splitter up by 30 pixels makes the pane 30 pixels higher.
    const int before = page->ColumnsPane()->height();
    TnvSplitter *splitter = page->Splitter();
    QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(20, 1));
    QTest::mouseMove(splitter, QPoint(20, -29));
    QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(20, -29));
    Process();
    EXPECT_EQ(page->ColumnsPane()->height(), before + 30);
    EXPECT_EQ(qb->ColumnsPaneHeight(), before + 30);

    qb->SetColumnsPaneVisible(false);
    Process();
    EXPECT_FALSE(page->ColumnsPane()->isVisible());
    EXPECT_FALSE(page->Splitter()->isVisible());
    EXPECT_EQ(page->DiagramPanel()->geometry(), page->ClientRect());
    const QImage shot = Shot(qb, QStringLiteral("pages-without-columns-pane"));
    // The diagram's background reaches down to the page's bottom border.
    const QPoint bottom = page->mapTo(qb, QPoint(page->width() / 2, page->ClientRect().bottom() - 1));
    EXPECT_EQ(Rgb(shot, bottom.x(), bottom.y()), Rgb(QColor(Qt::white)));
}

TEST_F(ControlsTest, BorderStyleFramesTheDiagramAndThePane)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvUnionSubQueryTabSheet *page = UnionPage();
    TnvPanel *diagram = page->DiagramPanel();
    EXPECT_TRUE(diagram->BorderSingle());

    qb->SetBorderColor(QColor(200, 0, 0));
    qb->SetBorderStyle(qbbsUltraFlat);
    Process();
    EXPECT_FALSE(diagram->BorderSingle());
    EXPECT_EQ(diagram->BorderWidth(), 1);
    EXPECT_EQ(page->ColumnsPane()->BorderWidth(), 1);
    // One pixel of the border colour around the work area.
    const QImage shot = Shot(diagram, QStringLiteral("pages-ultraflat-border"));
    EXPECT_EQ(Rgb(shot, 0, diagram->height() / 2), Rgb(QColor(200, 0, 0)));
    EXPECT_EQ(Rgb(shot, diagram->width() / 2, 0), Rgb(QColor(200, 0, 0)));
    EXPECT_EQ(page->WorkArea()->geometry(), diagram->rect().adjusted(1, 1, -1, -1));

    qb->SetBorderStyle(qbbsFlat);
    Process();
    EXPECT_EQ(diagram->BevelInner(), bvLowered);
    EXPECT_EQ(diagram->BorderWidth(), 0);
    EXPECT_EQ(page->WorkArea()->geometry(), diagram->rect().adjusted(1, 1, -1, -1));

    qb->SetBorderStyle(qbbsNone);
    Process();
    EXPECT_EQ(page->WorkArea()->geometry(), diagram->rect());
}

TEST_F(ControlsTest, PageBordersGiveWayToTheTreesBesideIt)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvUnionSubQueryTabSheet *page = UnionPage();
    qb->SetBorderWidth(4);
    qb->TreeOptions()->SetTreeVisible(true);
    qb->TreeOptionsMetadata()->SetTreeVisible(false);
    Process();
    EXPECT_EQ(page->BorderWidth(), 4);
    EXPECT_FALSE(page->LeftBorder());
    EXPECT_TRUE(page->RightBorder());
    EXPECT_EQ(page->DiagramPanel()->x(), 0);
    EXPECT_EQ(page->DiagramPanel()->geometry().right(), page->width() - 1 - 4);
}

} // namespace nvqb::test
