// The whole control as a user sees it: both trees, the diagram and the grid
// on a four-table join with grouping and criteria. The picture goes to the
// screenshot folder; with NVQB_WRITE_DOC_IMAGES=1 it also replaces the one
// the documentation shows.
#include "DiagramTestSupport.h"
#include "builder/controls/SelectListControl.h"
#include "builder/controls/TreeViewMetadata.h"
#include "builder/controls/TreeViewQueryStructure.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"

#include <QDir>
#include <QHeaderView>
#include <gtest/gtest.h>

namespace nvqb::test {

namespace {

class ControlScreenshotTest : public DiagramTest {
protected:
    // A table d(id, c_id) beside the fixture's a, b and c.
    void AddTableD()
    {
        TnvMetadataContainer *container = qb->MetadataContainer();
        TnvMetadataObject *d = container->AddTable(QString(), QStringLiteral("d"));
        for (const char *field : {"id", "c_id"}) {
            TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(p);
            name->AddName(QString::fromLatin1(field), false);
            d->GetFields()->AddField(name.get(), ftInteger, 0, true, false);
        }
        d->GetFields()->SetLoaded(true);
        container->SetObjectsUpdated();
    }

    // Whether the whole picture shows the widget at its place: the pixel at
    // the widget's point is the one the widget draws there itself, so the
    // widget is inside the picture and nothing covers it at that point.
    static void ExpectShownAt(const QImage &whole, QWidget *top, QWidget *widget, const QPoint &point,
                              const char *what)
    {
        ASSERT_TRUE(widget) << what;
        EXPECT_TRUE(widget->isVisible()) << what;
        EXPECT_TRUE(widget->rect().contains(point)) << what;
        const QPoint at = widget->mapTo(top, point);
        ASSERT_TRUE(whole.rect().contains(at)) << what << " at " << at.x() << "," << at.y();
        const QImage own = widget->grab().toImage();
        EXPECT_EQ(Rgb(whole, at.x(), at.y()), Rgb(own, point.x(), point.y())) << what;
    }

    // Whether some pixel of the rectangle (the widget's coordinates) is not
    // the colour of its first one: text or lines are drawn there.
    static bool HasInk(QWidget *widget, const QRect &rect)
    {
        const QImage image = widget->grab(rect).toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != image.pixel(0, 0))
                    return true;
        return false;
    }
};

} // namespace

TEST_F(ControlScreenshotTest, WholeControlOnAFourTableJoinWithGroupingAndCriteria)
{
    AddTableD();
    qb->resize(1000, 640);
    Process();
    SetSQL(QStringLiteral("SELECT a.x, Count(b.id) FROM a INNER JOIN b ON a.id = b.a_id "
                          "LEFT JOIN c ON b.id = c.b_id INNER JOIN d ON c.id = d.c_id "
                          "WHERE a.x > 5 GROUP BY a.x"));
    EXPECT_SQL(SQL(), "Select a.x, Count(b.id) From a Inner Join b On a.id = b.a_id "
                      "Left Join c On b.id = c.b_id Inner Join d On c.id = d.c_id "
                      "Where a.x > 5 Group By a.x");
    const QImage whole = Shot(qb, QStringLiteral("control-four-tables"));
    ASSERT_EQ(whole.size(), QSize(1000, 640));

    // The four boxes, each caption in view on the diagram.
    TnvQueryBuilderWorkArea *area = WorkArea();
    ASSERT_TRUE(area);
    for (const char *name : {"a", "b", "c", "d"}) {
        TnvQueryBuilderDataSourceControl *box = Box(QString::fromLatin1(name));
        ASSERT_TRUE(box) << name;
        const QRect caption = box->CaptionRect();
        EXPECT_TRUE(area->viewport()->rect().contains(QRect(box->mapTo(area->viewport(), caption.topLeft()),
                                                            caption.size())))
            << name;
        ExpectShownAt(whole, qb, box, caption.center(), name);
    }
    EXPECT_EQ(LineWidgets(), 3);

    // The grid under it: the titles, and the criteria and grouping rows.
    auto *grid = ControlOf<TnvQueryBuilderSelectListControl>(CurrentUnion()->SelectList());
    ASSERT_TRUE(grid);
    QHeaderView *titles = grid->horizontalHeader();
    const int expression = TnvSelectListGridModel::colExpression;
    const QRect title(titles->sectionViewportPosition(expression), 0, titles->sectionSize(expression),
                      titles->height());
    ExpectShownAt(whole, qb, titles, title.center(), "grid titles");
    EXPECT_TRUE(HasInk(titles, title)) << "grid titles";
    EXPECT_EQ(grid->model()->index(0, TnvSelectListGridModel::colCriteria).data().toString(), u"> 5"_qs);
    EXPECT_EQ(grid->model()->index(1, TnvSelectListGridModel::colGroupBy).data().toString(), u"Count"_qs);
    const QRect criteria = grid->visualRect(grid->model()->index(0, TnvSelectListGridModel::colCriteria));
    ExpectShownAt(whole, qb, grid->viewport(), criteria.center(), "criteria cell");

    // Both trees beside the pages: the structure on the left, the metadata
    // on the right, each showing its first node.
    TnvTreeViewQueryStructure *structure = qb->TreeViewQueryStructure();
    TnvTreeViewMetadata *metadata = qb->TreeViewMetadata();
    ASSERT_TRUE(structure && metadata);
    const QRect page = Pages()->geometry();
    EXPECT_LT(structure->mapTo(qb, QPoint(0, 0)).x(), Pages()->mapTo(qb, QPoint(0, 0)).x());
    EXPECT_GE(metadata->mapTo(qb, QPoint(0, 0)).x(), Pages()->mapTo(qb, QPoint(page.width(), 0)).x());
    for (TnvTreeView *tree : {static_cast<TnvTreeView *>(structure), static_cast<TnvTreeView *>(metadata)}) {
        const QRect first = tree->visualRect(tree->model()->index(0, 0));
        ASSERT_FALSE(first.isEmpty());
        ExpectShownAt(whole, qb, tree->viewport(), QPoint(first.left() + 4, first.center().y()), "tree");
        EXPECT_TRUE(HasInk(tree->viewport(), first));
    }
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);

    if (qEnvironmentVariable("NVQB_WRITE_DOC_IMAGES") == u"1"_qs) {
        const QString folder = QStringLiteral(NVQB_DOC_IMAGE_DIR);
        QDir().mkpath(folder);
        EXPECT_TRUE(whole.save(folder + QStringLiteral("/control-four-tables.png")));
    }
}

} // namespace nvqb::test
