// A long session on the diagram: random user actions on boxes and lines,
// each through the widgets (drops of tables, caption drags, check marks,
// field drags, Delete on lines and boxes), after each of which the SQL still
// parses and the widgets show the model: one box per data source, one line
// per link, no widget left over.
#include "DiagramTestSupport.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QRandomGenerator>
#include <QTest>

namespace nvqb::test {

namespace {

class DiagramSession : public DiagramTest {
protected:
    QList<TnvDatasource *> AllDatasources() const
    {
        QList<TnvDatasource *> list;
        CurrentUnion()->FromGroup()->GetDatasources(list);
        return list;
    }

    // The model and the widgets agree, and the SQL parses again.
    void Check(int step, const QString &action)
    {
        SCOPED_TRACE(QStringLiteral("step %1: %2").arg(step).arg(action).toStdString());
        const QList<TnvDatasource *> datasources = AllDatasources();
        for (TnvDatasource *datasource : datasources)
            ASSERT_NE(ControlOf<TnvQueryBuilderDataSourceControl>(datasource), nullptr);
        const QList<TnvLink *> links = Links();
        for (TnvLink *link : links)
            ASSERT_NE(Line(link), nullptr);
        EXPECT_EQ(BoxWidgets(), datasources.size());
        EXPECT_EQ(LineWidgets(), links.size());
        const QString sql = SQL();
        EXPECT_NO_THROW(p->ParseSelect(sql)) << ToStd(sql);
        ASSERT_TRUE(errors.isEmpty()) << ToStd(errors);
    }
};

} // namespace

TEST_F(DiagramSession, RandomActionsKeepModelAndWidgetsInStep)
{
    qb->SetGridSize(5);
    SetSQL(QStringLiteral("SELECT * FROM a INNER JOIN b ON a.id = b.a_id"));
    QRandomGenerator random(19);
    const QStringList tables = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    // How often each kind of action was taken, so the session is seen to
    // exercise all of them.
    int taken[7] = {};
    for (int step = 0; step < 500; ++step) {
        const QList<TnvDatasource *> datasources = AllDatasources();
        auto anyBox = [&]() -> TnvQueryBuilderDataSourceControl * {
            if (datasources.isEmpty())
                return nullptr;
            return ControlOf<TnvQueryBuilderDataSourceControl>(datasources[random.bounded(datasources.size())]);
        };
        QString action;
        const int kind = int(random.bounded(7));
        switch (kind) {
        case 0: {
            // A table dropped from the metadata tree onto the diagram.
            if (datasources.size() >= 8)
                break;
            TnvDragMimeData data(nullptr);
            WriteMetadataObjectDrag(&data, {tables[random.bounded(tables.size())], TnvDraggedObjectKind::Table});
            const QPoint at(random.bounded(10, 500), random.bounded(10, 300));
            DragDrop(WorkArea()->viewport(), at, &data);
            action = QStringLiteral("add at %1,%2").arg(at.x()).arg(at.y());
            break;
        }
        case 1: {
            TnvQueryBuilderDataSourceControl *box = anyBox();
            if (!box)
                break;
            const QPoint from(box->CaptionRect().x() + 10, box->CaptionRect().center().y());
            const QPoint by(random.bounded(-120, 121), random.bounded(-80, 81));
            Drag(box, from, from + by);
            action = QStringLiteral("move %1 by %2,%3").arg(box->GetCaption()).arg(by.x()).arg(by.y());
            break;
        }
        case 2: {
            TnvQueryBuilderDataSourceControl *box = anyBox();
            if (!box || box->FieldsList()->count() == 0)
                break;
            const int row = random.bounded(box->FieldsList()->count());
            box->FieldsList()->scrollToItem(box->FieldsList()->item(row));
            QTest::mouseClick(box->FieldsList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              CheckPoint(box->FieldsList(), row));
            Process();
            action = QStringLiteral("check row %1 of %2").arg(row).arg(box->GetCaption());
            break;
        }
        case 3: {
            TnvQueryBuilderDataSourceControl *from = anyBox();
            TnvQueryBuilderDataSourceControl *to = anyBox();
            if (!from || !to || from == to || from->FieldsList()->count() < 2 || to->FieldsList()->count() < 2)
                break;
            const int row = random.bounded(1, from->FieldsList()->count());
            const int target = random.bounded(to->FieldsList()->count());
            from->FieldsList()->scrollToItem(from->FieldsList()->item(row));
            to->FieldsList()->scrollToItem(to->FieldsList()->item(target));
            const QMimeData *data = DragRow(from->FieldsList(), row);
            if (data)
                DragDrop(to->FieldsList()->viewport(), RowPoint(to->FieldsList(), target), data);
            action = QStringLiteral("link row %1 to row %2").arg(row).arg(target);
            break;
        }
        case 4: {
            const QList<TnvLink *> links = Links();
            if (links.isEmpty())
                break;
            TnvQueryBuilderLinkControl *line = Line(links[random.bounded(links.size())]);
            if (!line)
                break;
            QTest::mouseClick(line, Qt::LeftButton, Qt::NoModifier, line->Points()[1]);
            QTest::keyClick(line, Qt::Key_Delete);
            Process();
            action = QStringLiteral("unlink");
            break;
        }
        case 5: {
            if (datasources.size() <= 1 || random.bounded(3) != 0)
                break;
            TnvQueryBuilderDataSourceControl *box = anyBox();
            QTest::mouseClick(box->FieldsList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              RowPoint(box->FieldsList(), 0));
            QTest::keyClick(box->FieldsList(), Qt::Key_Delete);
            Process();
            action = QStringLiteral("delete a box");
            break;
        }
        default: {
            TnvQueryBuilderDataSourceControl *box = anyBox();
            if (!box)
                break;
            QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->ButtonRect(1).center());
            Process();
            action = QStringLiteral("minimise or restore");
            break;
        }
        }
        if (!action.isEmpty())
            ++taken[kind];
        Check(step, action);
        if (HasFatalFailure() || HasFailure())
            return;
    }
    for (int kind = 0; kind < 7; ++kind)
        EXPECT_GE(taken[kind], 5) << "action kind " << kind;
    Shot(WorkArea(), QStringLiteral("diagram-session-end"));
}

} // namespace nvqb::test
