// The pictures of the diagram that the README shows: a three-table join in
// each link painter style and a union with a bracketed group. They are
// written to the build's screenshot folder, and over the committed ones in
// docs/images/ when NVQB_WRITE_DOC_IMAGES=1, so that they are made again the
// same way whenever the diagram's look changes.
#include "DiagramTestSupport.h"
#include "builder/controls/UnionNavBar.h"
#include "builder/model/UnionGroup.h"

#include <QDir>

namespace nvqb::test {

namespace {

class DocumentationImages : public DiagramTest {
protected:
    // Saves the picture under docs/images/ when asked to, else beside the
    // other screenshots.
    static QImage DocShot(QWidget *widget, const QString &name)
    {
        const QImage image = Shot(widget, name);
        if (qEnvironmentVariable("NVQB_WRITE_DOC_IMAGES") == u"1") {
            QDir().mkpath(QStringLiteral(NVQB_DOC_IMAGE_DIR));
            EXPECT_TRUE(image.save(QStringLiteral(NVQB_DOC_IMAGE_DIR "/") + name + QStringLiteral(".png")));
        }
        return image;
    }

    void Place(const QString &name, const QPoint &at)
    {
        TnvQueryBuilderDataSourceControl *box = Box(name);
        ASSERT_NE(box, nullptr) << ToStd(name);
        box->SetBoxBounds(QRect(at, box->size()));
        Process();
    }

    // Dark pixels inside the rectangle of the picture.
    static int Dark(const QImage &image, const QRect &rect)
    {
        int dark = 0;
        const QRect inside = rect & image.rect();
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 100;
        return dark;
    }
};

} // namespace

TEST_F(DocumentationImages, ThreeTableJoinInEachPainterStyle)
{
    // The diagram alone: the trees would narrow it.
    qb->TreeOptions()->SetTreeVisible(false);
    qb->TreeOptionsMetadata()->SetTreeVisible(false);
    qb->resize(560, 300);
    qb->SetGridSize(1);
    SetSQL(QStringLiteral(
        "SELECT a.id, b.y, c.id FROM a LEFT OUTER JOIN b ON a.id = b.a_id INNER JOIN c ON b.id = c.b_id"));
    Place(QStringLiteral("a"), QPoint(20, 30));
    Place(QStringLiteral("b"), QPoint(190, 80));
    Place(QStringLiteral("c"), QPoint(360, 30));
    ASSERT_EQ(Links().size(), 2);
    const char *const styles[][2] = {{"TnvQueryBuilderLinkPainterSimple", "diagram-simple"},
                                     {"TnvQueryBuilderLinkPainterMSSQL", "diagram-mssql"},
                                     {"TnvQueryBuilderLinkPainterAccess", "diagram-access"}};
    QList<QImage> images;
    for (const auto &style : styles) {
        SCOPED_TRACE(style[1]);
        qb->SetLinkPainterClassName(QString::fromLatin1(style[0]));
        Process();
        const QImage image = DocShot(WorkArea()->viewport(), QString::fromLatin1(style[1]));
        // Each line shows between its boxes, at the middle of its span.
        for (TnvLink *link : Links()) {
            TnvQueryBuilderLinkControl *line = Line(link);
            ASSERT_NE(line, nullptr);
            const QPoint middle = (line->Points()[1] + line->Points()[2]) / 2 + line->pos();
            EXPECT_GT(Dark(image, QRect(middle - QPoint(3, 3), QSize(7, 7))), 0);
        }
        images.append(image);
    }
    // The styles draw their ends differently, so no two pictures agree.
    EXPECT_NE(images[0], images[1]);
    EXPECT_NE(images[1], images[2]);
    EXPECT_NE(images[0], images[2]);
}

TEST_F(DocumentationImages, UnionWithBracketsInTheBar)
{
    qb->TreeOptions()->SetTreeVisible(false);
    qb->TreeOptionsMetadata()->SetTreeVisible(false);
    qb->resize(560, 300);
    SetSQL(QStringLiteral("SELECT a.id FROM a UNION (SELECT b.a_id FROM b UNION ALL SELECT c.b_id FROM c)"));
    TnvQueryTabSheet *page = QueryPage();
    ASSERT_NE(page, nullptr);
    const QImage image = DocShot(page, QStringLiteral("diagram-union"));
    // Both brackets of the group show their glyph on the bar.
    QList<TnvBracket *> brackets = NavBar()->findChildren<TnvBracket *>();
    ASSERT_EQ(brackets.size(), 2);
    for (TnvBracket *bracket : brackets) {
        ASSERT_TRUE(bracket->isVisible());
        const QRect rect(bracket->mapTo(page, QPoint(0, 0)), bracket->size());
        EXPECT_GT(Dark(image, rect), 0) << ToStd(bracket->text());
    }
    EXPECT_NE(Box(QStringLiteral("a")), nullptr);
}

} // namespace nvqb::test
