// Fields dragged from the boxes of the diagram onto the column grid under it,
// as drag events on the real grid of a shown query builder: where the new
// row lands, and which drags the grid refuses.
#include "DiagramTestSupport.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/SelectListControl.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Query.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

namespace nvqb::test {

namespace {

class GridDropTest : public DiagramTest {
protected:
    TnvQueryBuilderSelectListControl *Grid(TnvUnionSubQuery *part = nullptr) const
    {
        part = part ? part : CurrentUnion();
        return part ? ControlOf<TnvQueryBuilderSelectListControl>(part->SelectList()) : nullptr;
    }
    // The middle of the row's expression cell in the grid's viewport.
    QPoint RowPoint(int row) const
    {
        TnvQueryBuilderSelectListControl *grid = Grid();
        return grid->visualRect(grid->model()->index(row, TnvSelectListGridModel::colExpression)).center();
    }
    // A point of the viewport below the last row.
    QPoint BelowTheRows() const
    {
        TnvQueryBuilderSelectListControl *grid = Grid();
        const int last = grid->model()->rowCount() - 1;
        const QRect cell = grid->visualRect(grid->model()->index(last, TnvSelectListGridModel::colExpression));
        return QPoint(cell.center().x(), cell.bottom() + 20);
    }
    // The drag a user starts on the field's row of the box.
    const QMimeData *DragField(const QString &box, const QString &field)
    {
        TnvQueryBuilderDataSourceControl *control = Box(box);
        if (!control) {
            ADD_FAILURE() << "no box " << box.toStdString();
            return nullptr;
        }
        const QList<QListWidgetItem *> items = control->FieldsList()->findItems(field, Qt::MatchExactly);
        if (items.size() != 1) {
            ADD_FAILURE() << "no field " << field.toStdString() << " in " << box.toStdString();
            return nullptr;
        }
        return DragRow(control->FieldsList(), control->FieldsList()->row(items[0]));
    }
    // The first data source of the part's FROM.
    static TnvDatasource *FirstSource(TnvUnionSubQuery *part)
    {
        QList<TnvDatasource *> list;
        part->FromGroup()->GetDatasources(list);
        return list.isEmpty() ? nullptr : list[0];
    }
};

} // namespace

TEST_F(GridDropTest, FieldDroppedOnARowIsInsertedBeforeItAndElsewhereAppended)
{
    SetSQL(QStringLiteral("SELECT a.x FROM a INNER JOIN b ON a.id = b.a_id"));
    TnvQueryBuilderSelectListControl *grid = Grid();
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->model()->rowCount(), 2);

    // Onto the row of a.x: before it.
    const QMimeData *id = DragField(QStringLiteral("a"), QStringLiteral("id"));
    ASSERT_NE(id, nullptr);
    EXPECT_TRUE(DragDrop(grid->viewport(), RowPoint(0), id));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a Inner Join b On a.id = b.a_id");

    // Onto the empty last row: at the end, and the grid keeps an empty row
    // to type into.
    const QMimeData *y = DragField(QStringLiteral("b"), QStringLiteral("y"));
    ASSERT_NE(y, nullptr);
    EXPECT_TRUE(DragDrop(grid->viewport(), RowPoint(2), y));
    EXPECT_SQL(SQL(), "Select a.id, a.x, b.y From a Inner Join b On a.id = b.a_id");
    ASSERT_EQ(grid->model()->rowCount(), 4);
    EXPECT_TRUE(CurrentUnion()->SelectList()->Items(3)->IsEmpty());

    // Onto the middle row of three: between the others.
    const QMimeData *aId = DragField(QStringLiteral("b"), QStringLiteral("a_id"));
    ASSERT_NE(aId, nullptr);
    EXPECT_TRUE(DragDrop(grid->viewport(), RowPoint(1), aId));
    EXPECT_SQL(SQL(), "Select a.id, b.a_id, a.x, b.y From a Inner Join b On a.id = b.a_id");

    // Below the rows: at the end.
    const QMimeData *x = DragField(QStringLiteral("a"), QStringLiteral("x"));
    ASSERT_NE(x, nullptr);
    ASSERT_FALSE(grid->indexAt(BelowTheRows()).isValid());
    EXPECT_TRUE(DragDrop(grid->viewport(), BelowTheRows(), x));
    EXPECT_SQL(SQL(), "Select a.id, b.a_id, a.x, b.y, a.x From a Inner Join b On a.id = b.a_id");
    EXPECT_EQ(grid->model()->rowCount(), 6);
    // The dropped fields are checked in their boxes like the typed ones.
    EXPECT_TRUE(Box(QStringLiteral("b"))->FieldsList()->Checked(3));
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(GridDropTest, FieldDroppedWhileACellIsEditedKeepsTheTypedText)
{
    SetSQL(QStringLiteral("SELECT a.x FROM a"));
    TnvQueryBuilderSelectListControl *grid = Grid();
    ASSERT_NE(grid, nullptr);
    // Criteria typed but not yet ended with Enter.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(0, TnvSelectListGridModel::colCriteria)).center());
    ASSERT_TRUE(grid->IsEditorShown());
    QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("> 5"));
    const QMimeData *id = DragField(QStringLiteral("a"), QStringLiteral("id"));
    ASSERT_NE(id, nullptr);
    EXPECT_TRUE(DragDrop(grid->viewport(), RowPoint(0), id));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a Where a.x > 5");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(GridDropTest, GridRefusesWhatIsNoFieldOfItsOwnUnionPart)
{
    SetSQL(QStringLiteral("SELECT a.x FROM a WHERE a.id IN (SELECT b.a_id FROM b) "
                          "UNION SELECT c.id FROM c"));
    ASSERT_EQ(CurrentUnion(), Part(0));
    TnvQueryBuilderSelectListControl *grid = Grid();
    ASSERT_NE(grid, nullptr);
    const QString before = SQL();
    auto refused = [&](const QMimeData *data, const char *what) {
        EXPECT_FALSE(DragOver(grid->viewport(), RowPoint(0), data)) << what;
        EXPECT_FALSE(DragDrop(grid->viewport(), RowPoint(0), data)) << what;
        EXPECT_SQL(SQL(), before) << what;
    };

    // A field of the sub-query's box, on the sub-query's page.
    ASSERT_EQ(qb->Query()->GetSubQueriesCount(), 1);
    TnvUnionSubQuery *inner = qb->Query()->GetSubQuery(0)->CurrentUnionSubQuery();
    auto *innerBox = ControlOf<TnvQueryBuilderDataSourceControl>(FirstSource(inner));
    ASSERT_NE(innerBox, nullptr);
    TnvDragMimeData innerField(innerBox);
    innerField.setData(QString::fromLatin1(DatasourceFieldMimeType), "1");
    refused(&innerField, "field of a sub-query");

    // A field of the other union part's box.
    auto *otherBox = ControlOf<TnvQueryBuilderDataSourceControl>(FirstSource(Part(1)));
    ASSERT_NE(otherBox, nullptr);
    TnvDragMimeData otherField(otherBox);
    otherField.setData(QString::fromLatin1(DatasourceFieldMimeType), "1");
    refused(&otherField, "field of another union part");

    // A field row the box does not have, and a field drag without its box.
    TnvQueryBuilderDataSourceControl *a = Box(QStringLiteral("a"));
    ASSERT_NE(a, nullptr);
    TnvDragMimeData noRow(a);
    noRow.setData(QString::fromLatin1(DatasourceFieldMimeType), "99");
    refused(&noRow, "row out of range");
    TnvDragMimeData noBox(nullptr);
    noBox.setData(QString::fromLatin1(DatasourceFieldMimeType), "1");
    refused(&noBox, "no source");

    // Plain text and a metadata object.
    QMimeData text;
    text.setText(QStringLiteral("a.id"));
    refused(&text, "plain text");
    TnvDragMimeData table(nullptr);
    WriteMetadataObjectDrag(&table, {QStringLiteral("c"), TnvDraggedObjectKind::Table, QString()});
    refused(&table, "metadata object");

    // The part's own box still drops.
    const QMimeData *id = DragField(QStringLiteral("a"), QStringLiteral("id"));
    ASSERT_NE(id, nullptr);
    EXPECT_TRUE(DragDrop(grid->viewport(), RowPoint(0), id));
    EXPECT_TRUE(SQL().startsWith(QStringLiteral("Select a.id, a.x From a"))) << ToStd(SQL());
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

} // namespace nvqb::test
