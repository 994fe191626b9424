// The diagram's work area: its background by BkImageDarkness, scroll ranges
// that follow the children, scrolling that moves them, no scrolling by
// focus, and what it does with drags, double clicks, menus and presses.
#include "ControlsTestSupport.h"
#include "common/Eventually.h"
#include "builder/controls/DragFormats.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace nvqb::test {

namespace {

// A plain widget on the diagram standing in for a box.
QWidget *Child(TnvQueryBuilderWorkArea *area, const QRect &bounds)
{
    auto *child = new QWidget(area->ContentParent());
    child->setGeometry(bounds);
    child->show();
    QApplication::processEvents();
    return child;
}

// The largest difference of the two colours in one of red, green and blue.
int ColourDistance(const QColor &a, const QColor &b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

std::unique_ptr<QMimeData> MetadataDrag(const QString &name, TnvDraggedObjectKind kind = TnvDraggedObjectKind::Table)
{
    auto data = std::make_unique<QMimeData>();
    TnvMetadataObjectDrag drag;
    drag.FullName = name;
    drag.Kind = kind;
    WriteMetadataObjectDrag(data.get(), drag);
    return data;
}

} // namespace

TEST_F(ControlsTest, BackgroundFillAndBuiltInImageByDarkness)
{
    // No boxes: the probes see the background alone.
    SetSQL(QStringLiteral("SELECT 1"));
    qb->resize(1100, 900);
    Process();
    TnvQueryBuilderWorkArea *area = WorkArea();
    ASSERT_NE(area, nullptr);
    // The pictures are the built-in 450 x 350 ones, smaller than this
    // diagram: beyond them the fill shows.
    ASSERT_EQ(TnvQueryBuilderWorkArea::BuiltInBackground(bgidWhite).size(), QSize(450, 350));
    ASSERT_GT(area->viewport()->width(), 460);
    ASSERT_GT(area->viewport()->height(), 360);
    const struct {
        TnvBkImageDarkness Darkness;
        QColor Fill;
        const char *Name;
    } cases[] = {{bgidWhite, QColor(255, 255, 255), "white"},
                 {bgidLight, QColor(224, 223, 227), "light"},
                 {bgidDark, QColor(153, 153, 153), "dark"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        qb->SetBkImageDarkness(c.Darkness);
        Process();
        const QImage image = TnvQueryBuilderWorkArea::BuiltInBackground(c.Darkness);
        ASSERT_FALSE(image.isNull());
        const QImage shot = Shot(area->viewport(), QStringLiteral("workarea-background-") + QLatin1String(c.Name));
        EXPECT_EQ(Rgb(shot, image.width() + 10, 20), Rgb(c.Fill));
        EXPECT_EQ(Rgb(shot, 20, image.height() + 10), Rgb(c.Fill));
        EXPECT_EQ(Rgb(shot, area->viewport()->width() - 1, area->viewport()->height() - 1), Rgb(c.Fill));
        // The image's upper corner is tinted, so it is seen to be drawn at
        // the origin.
        EXPECT_NE(Rgb(image, 0, 0), Rgb(c.Fill));
        EXPECT_EQ(Rgb(shot, 0, 0), Rgb(image, 0, 0));
        EXPECT_EQ(Rgb(shot, 40, 24), Rgb(image, 40, 24));
        // The picture meets the fill along its right and bottom edges: no
        // seam where the fill takes over, and no step just inside either.
        const int right = image.width() - 1, bottom = image.height() - 1;
        for (int y : {0, 1, 60, 175, 290, bottom}) {
            SCOPED_TRACE("row " + std::to_string(y));
            EXPECT_EQ(Rgb(shot, right, y), Rgb(c.Fill));
            EXPECT_EQ(Rgb(shot, right + 1, y), Rgb(c.Fill));
            EXPECT_LE(ColourDistance(shot.pixelColor(right - 6, y), c.Fill), 3);
        }
        for (int x : {0, 1, 80, 225, 370, right}) {
            SCOPED_TRACE("column " + std::to_string(x));
            EXPECT_EQ(Rgb(shot, x, bottom), Rgb(c.Fill));
            EXPECT_EQ(Rgb(shot, x, bottom + 1), Rgb(c.Fill));
            EXPECT_LE(ColourDistance(shot.pixelColor(x, bottom - 6), c.Fill), 3);
        }
    }
}

TEST_F(ControlsTest, DarkImageScrollsWithTheDiagram)
{
    // No boxes: the probes see the background alone.
    SetSQL(QStringLiteral("SELECT 1"));
    qb->SetBkImageDarkness(bgidDark);
    qb->resize(1100, 900);
    Process();
    TnvQueryBuilderWorkArea *area = WorkArea();
    Child(area, QRect(1500, 1200, 40, 40));
    area->SetScrollPosition(QPoint(40, 30));
    Process();
    ASSERT_EQ(area->ScrollPosition(), QPoint(40, 30));
    const QImage image = TnvQueryBuilderWorkArea::BuiltInBackground(bgidDark);
    const QImage shot = Shot(area->viewport(), QStringLiteral("workarea-background-dark-scrolled"));
    EXPECT_EQ(Rgb(shot, 0, 0), Rgb(image, 40, 30));
    EXPECT_EQ(Rgb(shot, 10, 12), Rgb(image, 50, 42));
    EXPECT_EQ(Rgb(shot, image.width() - 40 + 5, 5), Rgb(QColor(153, 153, 153)));
}

TEST_F(ControlsTest, AHostsPictureLiesOnTheBackgroundColourOnceOrTiled)
{
    SetSQL(QStringLiteral("SELECT 1"));
    qb->resize(1100, 900);
    TnvQueryBuilderWorkArea *area = WorkArea();
    // 30 x 20: the left half red, the right half blue.
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = 0; y < 20; ++y)
        for (int x = 15; x < 30; ++x)
            picture.setPixelColor(x, y, Qt::blue);
    qb->SetBkColor(QColor(0, 128, 0));
    qb->SetBkImage(picture);
    Process();
    QImage shot = Shot(area->viewport(), QStringLiteral("workarea-host-picture"));
    EXPECT_EQ(Rgb(shot, 5, 5), Rgb(QColor(Qt::red)));
    EXPECT_EQ(Rgb(shot, 20, 5), Rgb(QColor(Qt::blue)));
    EXPECT_EQ(Rgb(shot, 40, 5), Rgb(QColor(0, 128, 0)));
    EXPECT_EQ(Rgb(shot, 5, 25), Rgb(QColor(0, 128, 0)));

    qb->SetBkImagePos(bkipTile);
    Process();
    shot = Shot(area->viewport(), QStringLiteral("workarea-host-picture-tiled"));
    EXPECT_EQ(Rgb(shot, 35, 5), Rgb(QColor(Qt::red)));
    EXPECT_EQ(Rgb(shot, 50, 25), Rgb(QColor(Qt::blue)));
    EXPECT_EQ(Rgb(shot, area->viewport()->width() - 1, area->viewport()->height() - 1),
              Rgb(picture, (area->viewport()->width() - 1) % 30, (area->viewport()->height() - 1) % 20));
    // The tiles scroll with the diagram.
    Child(area, QRect(1500, 1200, 40, 40));
    area->SetScrollPosition(QPoint(20, 0));
    Process();
    shot = Shot(area->viewport(), QStringLiteral("workarea-host-picture-scrolled"));
    EXPECT_EQ(Rgb(shot, 0, 0), Rgb(QColor(Qt::blue)));
    EXPECT_EQ(Rgb(shot, 12, 0), Rgb(QColor(Qt::red)));

    // Without the picture the built-in one of the darkness is back, also tiled.
    qb->SetBkImage(QImage());
    area->SetScrollPosition(QPoint(0, 0));
    Process();
    const QImage white = TnvQueryBuilderWorkArea::BuiltInBackground(bgidWhite);
    shot = Shot(area->viewport(), QStringLiteral("workarea-builtin-tiled"));
    EXPECT_EQ(Rgb(shot, 5, white.height() + 5), Rgb(white, 5, 5));
}

TEST_F(ControlsTest, ScrollRangesFollowTheChildrenAndScrollingMovesThem)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvQueryBuilderWorkArea *area = WorkArea();
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0);

    QWidget *box = Child(area, QRect(900, 700, 100, 50));
    const QSize client = area->viewport()->size();
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 1000 + area->ScrollMargin() - client.width());
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 750 + area->ScrollMargin() - client.height());

    // Scrolling moves the children; the extent is measured from the
    // scrolled origin, so the ranges stay.
    area->SetScrollPosition(QPoint(100, 60));
    Process();
    EXPECT_EQ(box->pos(), QPoint(800, 640));
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 1000 + area->ScrollMargin() - client.width());

    // A child moved further out widens the range; a hidden one counts not.
    box->move(1100, 640);
    Process();
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 1300 + area->ScrollMargin() - client.width());
    box->hide();
    Process();
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(area->ScrollPosition(), QPoint(0, 0));
    delete box;
}

TEST_F(ControlsTest, AScrollPositionSetAtOnceReachesChildrenJustPlaced)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvQueryBuilderWorkArea *area = WorkArea();
    auto *box = new QWidget(area->ContentParent());
    box->setGeometry(QRect(1500, 1200, 40, 40));
    box->show();
    // The ranges follow the children once the events at hand are handled;
    // a position set before that still reaches the new child.
    area->SetScrollPosition(QPoint(300, 200));
    EXPECT_EQ(area->ScrollPosition(), QPoint(300, 200));
    delete box;
}

TEST_F(ControlsTest, AFocusedChildDoesNotScrollTheDiagram)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvQueryBuilderWorkArea *area = WorkArea();
    auto *edit = new QLineEdit(area->ContentParent());
    edit->setGeometry(1200, 900, 80, 20);
    edit->show();
    auto *near = new QLineEdit(area->ContentParent());
    near->setGeometry(10, 10, 80, 20);
    near->show();
    Process();
    qb->activateWindow();
    edit->setFocus();
    Process();
    EXPECT_EQ(area->ScrollPosition(), QPoint(0, 0));
    // Nor does moving the focus with the tab key.
    near->setFocus();
    QTest::keyClick(near, Qt::Key_Tab);
    Process();
    EXPECT_EQ(area->ScrollPosition(), QPoint(0, 0));
    area->AutoScrollInView(edit);
    EXPECT_EQ(area->ScrollPosition(), QPoint(0, 0));
}

TEST_F(ControlsTest, DragsOverTheDiagram)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvQueryBuilderWorkArea *area = WorkArea();
    QWidget *target = area->viewport();
    const QPoint point(200, 60);

    QMimeData field;
    field.setData(QString::fromLatin1(DatasourceFieldMimeType), QByteArray("a.id"));
    EXPECT_FALSE(DragOver(target, point, &field));
    EXPECT_TRUE(DragOver(target, point, MetadataDrag(QStringLiteral("b")).get()));
    // A folder of the tree carries no object.
    EXPECT_FALSE(DragOver(target, point, MetadataDrag(QString()).get()));

    // Anything else is the host's: refused without a handler, else its answer.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    EXPECT_FALSE(DragOver(target, point, &text));
    QList<QPoint> asked;
    TObject *sender = nullptr;
    qb->OnDragOver = [&](TObject *s, QObject *, int x, int y, TDragState, bool &accept) {
        sender = s;
        asked.append(QPoint(x, y));
        accept = x > 100;
    };
    EXPECT_TRUE(DragOver(target, point, &text));
    EXPECT_FALSE(DragOver(target, QPoint(50, 60), &text));
    EXPECT_EQ(sender, CurrentUnion());
    EXPECT_TRUE(asked.contains(point));

    QList<QPoint> dropped;
    qb->OnDragDrop = [&](TObject *, QObject *, int x, int y) { dropped.append(QPoint(x, y)); };
    DragDrop(target, point, &text);
    EXPECT_EQ(dropped, QList<QPoint>{point});
    // A refused field changes nothing when dropped all the same.
    DragDrop(target, point, &field);
    EXPECT_SQL(SQL(), "Select a.id From a");
}

TEST_F(ControlsTest, DroppingAMetadataObjectAddsItThereWithItsForeignKeys)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvQueryBuilderWorkArea *area = WorkArea();
    DragDrop(area->viewport(), QPoint(220, 80), MetadataDrag(QStringLiteral("b")).get());
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
    EXPECT_SQL(SQL(), "Select a.id From a Inner Join b On a.id = b.a_id");
    QList<TnvDatasource *> sources;
    CurrentUnion()->FromGroup()->GetDatasources(sources);
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources[1]->StoredBounds().topLeft(), QPoint(220, 80));
}

TEST_F(ControlsTest, DroppingAProcedureAsksItsParameters)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    QStringList asked;
    QString answer;
    ControlFactory()->SetProcedureParamsDialog([&](const QString &name, QString &expression) {
        asked.append(name);
        expression = answer;
        return !answer.isEmpty();
    });
    TnvQueryBuilderWorkArea *area = WorkArea();
    const auto procedure = MetadataDrag(QStringLiteral("p"), TnvDraggedObjectKind::Procedure);
    DragDrop(area->viewport(), QPoint(220, 80), procedure.get());
    EXPECT_EQ(asked, QStringList{QStringLiteral("p")});
    EXPECT_SQL(SQL(), "Select a.id From a");
    // The dialog's expression becomes a data source.
    answer = QStringLiteral("c");
    DragDrop(area->viewport(), QPoint(220, 80), procedure.get());
    ControlFactory()->SetProcedureParamsDialog(nullptr);
    EXPECT_SQL(SQL(), "Select a.id From a, c");
}

TEST_F(ControlsTest, WorkAreaMouseAndMenu)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a"));
    TnvQueryBuilderWorkArea *area = WorkArea();
    qb->activateWindow();
    auto *other = new QLineEdit(qb);
    other->setFocus();
    Process();
    QTest::mouseClick(area->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
    EXPECT_EVENTUALLY(area->hasFocus());

    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(300, 100), area->viewport()->mapToGlobal(QPoint(300, 100)));
    QApplication::sendEvent(area->viewport(), &menu);
    EXPECT_EQ(qb->PopupCount, 1);
    EXPECT_EQ(qb->PopupPoint, area->viewport()->mapToGlobal(QPoint(300, 100)));
    EXPECT_TRUE(qb->PopupCaptions.contains(QStringLiteral("Add Object"))) << ToStd(qb->PopupCaptions);

    // A double click edits the union part's properties.
    QList<TnvQueryBuilderControlOwner *> edited;
    provider.EditPropsClass = TnvUnionSubQuery::StaticClassType();
    ControlFactory()->SetEditPropsDialog([&](TClass, TnvQueryBuilderControlOwner *node, TPosition) {
        edited.append(node);
        return false;
    });
    QTest::mouseDClick(area->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
    ControlFactory()->SetEditPropsDialog(nullptr);
    EXPECT_EQ(edited, QList<TnvQueryBuilderControlOwner *>{CurrentUnion()});
}

} // namespace nvqb::test
