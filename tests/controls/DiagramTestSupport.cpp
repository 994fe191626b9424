#include "DiagramTestSupport.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Query.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>

namespace nvqb::test {

TnvDatasource *DiagramTest::Datasource(const QString &name) const
{
    QList<TnvDatasource *> list;
    if (TnvUnionSubQuery *part = CurrentUnion())
        part->FromGroup()->GetDatasources(list);
    for (TnvDatasource *datasource : std::as_const(list))
        if (datasource->GetDataSourceName() == name)
            return datasource;
    return nullptr;
}

TnvQueryBuilderDataSourceControl *DiagramTest::Box(const QString &name) const
{
    return ControlOf<TnvQueryBuilderDataSourceControl>(Datasource(name));
}

namespace {
void CollectLinks(TnvDatasourceGroup *group, QList<TnvLink *> &links)
{
    for (qsizetype i = 0; i < group->GetLinksCount(); ++i)
        links.append(group->GetLink(i));
    QList<TnvDatasourceBase *> items;
    group->GetDatasourceByClass(TnvDatasourceGroup::StaticClassType(), items);
    for (TnvDatasourceBase *item : std::as_const(items))
        if (item != group)
            for (qsizetype i = 0; i < static_cast<TnvDatasourceGroup *>(item)->GetLinksCount(); ++i)
                links.append(static_cast<TnvDatasourceGroup *>(item)->GetLink(i));
}
} // namespace

QList<TnvLink *> DiagramTest::Links() const
{
    QList<TnvLink *> links;
    if (TnvUnionSubQuery *part = CurrentUnion())
        CollectLinks(part->FromGroup(), links);
    return links;
}

void DiagramTest::CollectStatements(TnvSubQuery *statement, QList<TnvSubQuery *> &list)
{
    list.append(statement);
    for (qsizetype i = 0; i < statement->GetSubQueriesCount(); ++i)
        CollectStatements(statement->GetSubQuery(i), list);
}

QList<TnvDatasource *> DiagramTest::PartDatasources(TnvUnionSubQuery *part)
{
    QList<TnvDatasource *> list;
    part->FromGroup()->GetDatasources(list);
    return list;
}

QList<TnvLink *> DiagramTest::PartLinks(TnvUnionSubQuery *part)
{
    QList<TnvLink *> links;
    CollectLinks(part->FromGroup(), links);
    return links;
}

void DiagramTest::ExpectEveryDiagramShowsItsModel()
{
    QList<TnvSubQuery *> statements;
    CollectStatements(qb->Query(), statements);
    for (TnvSubQuery *statement : std::as_const(statements)) {
        for (qsizetype i = 0; i < statement->UnionSubQueriesCount(); ++i) {
            TnvUnionSubQuery *part = statement->UnionSubQueries(i);
            TnvQueryBuilderWorkArea *area = WorkArea(part);
            ASSERT_NE(area, nullptr);
            const QList<TnvDatasource *> datasources = PartDatasources(part);
            const QList<TnvLink *> links = PartLinks(part);
            const auto boxes =
                area->ContentParent()->findChildren<TnvQueryBuilderDataSourceControl *>(Qt::FindDirectChildrenOnly);
            const auto lines =
                area->ContentParent()->findChildren<TnvQueryBuilderLinkControl *>(Qt::FindDirectChildrenOnly);
            for (TnvDatasource *datasource : datasources) {
                auto *box = ControlOf<TnvQueryBuilderDataSourceControl>(datasource);
                ASSERT_NE(box, nullptr) << ToStd(datasource->GetDataSourceName());
                EXPECT_TRUE(boxes.contains(box)) << ToStd(datasource->GetDataSourceName());
            }
            for (TnvLink *link : links) {
                auto *line = Line(link);
                ASSERT_NE(line, nullptr);
                EXPECT_TRUE(lines.contains(line));
            }
            for (auto *box : boxes)
                EXPECT_TRUE(box->Datasource() && datasources.contains(box->Datasource()));
            for (auto *line : lines)
                EXPECT_TRUE(line->Link() && links.contains(line->Link()));
            EXPECT_EQ(boxes.size(), datasources.size());
            EXPECT_EQ(lines.size(), links.size());
        }
    }
}

TnvQueryBuilderLinkControl *DiagramTest::Line(TnvLink *link) const
{
    return ControlOf<TnvQueryBuilderLinkControl>(link);
}

int DiagramTest::BoxWidgets() const
{
    return int(WorkArea()->ContentParent()->findChildren<TnvQueryBuilderDataSourceControl *>(
                                            Qt::FindDirectChildrenOnly)
                   .size());
}

int DiagramTest::LineWidgets() const
{
    return int(
        WorkArea()->ContentParent()->findChildren<TnvQueryBuilderLinkControl *>(Qt::FindDirectChildrenOnly).size());
}

void DiagramTest::AddWideTable(int count)
{
    TnvMetadataObject *object = qb->MetadataContainer()->AddTable(QString(), QStringLiteral("wide"));
    for (int i = 0; i < count; ++i) {
        TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(p);
        fieldName->AddName(QStringLiteral("f%1").arg(i), false);
        object->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
    }
    object->GetFields()->SetLoaded(true);
}

QPoint DiagramTest::RowPoint(TnvQueryBuilderDatasourceFieldsList *list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    return QPoint(rect.x() + list->GetCheckWidth() + 8, rect.center().y());
}

QPoint DiagramTest::CheckPoint(TnvQueryBuilderDatasourceFieldsList *list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    return QPoint(rect.x() + list->GetCheckWidth() / 2, rect.center().y());
}

void DiagramTest::Drag(QWidget *widget, const QPoint &from, const QPoint &to)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, to);
    Process();
}

const QMimeData *DiagramTest::DragRow(TnvQueryBuilderDatasourceFieldsList *list, int row)
{
    const size_t before = drags.size();
    const QPoint from = RowPoint(list, row);
    QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(list->viewport(), from + QPoint(QApplication::startDragDistance() + 2, 0));
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                        from + QPoint(QApplication::startDragDistance() + 2, 0));
    Process();
    return drags.size() > before ? drags.back().Data.get() : nullptr;
}

void DiagramTest::BringIntoView(TnvQueryBuilderDataSourceControl *box)
{
    TnvQueryBuilderWorkArea *area = WorkArea();
    const QPoint at = box->mapTo(area->viewport(), box->CaptionRect().topLeft());
    if (!area->viewport()->rect().contains(at) ||
        !area->viewport()->rect().contains(at + QPoint(20, box->CaptionRect().height()))) {
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->value() + at.x() - 20);
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->value() + at.y() - 20);
        Process();
    }
}

void DiagramTest::MoveBoxBy(TnvQueryBuilderDataSourceControl *box, const QPoint &by)
{
    const QPoint from(box->CaptionRect().x() + 10, box->CaptionRect().center().y());
    Drag(box, from, from + by);
}

void DiagramTest::ClickFieldCheck(TnvQueryBuilderDataSourceControl *box, int row)
{
    box->FieldsList()->scrollToItem(box->FieldsList()->item(row));
    QTest::mouseClick(box->FieldsList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      CheckPoint(box->FieldsList(), row));
    Process();
}

QString DiagramTest::LinkRandomFields(TnvQueryBuilderDataSourceControl *from, TnvQueryBuilderDataSourceControl *to,
                                      const std::function<int(int)> &pick)
{
    if (!from || !to || from == to || from->FieldsList()->count() < 2 || to->FieldsList()->count() < 2 ||
        !from->FieldsList()->isVisible() || !to->FieldsList()->isVisible())
        return QString();
    const int row = 1 + pick(from->FieldsList()->count() - 1);
    const int target = pick(to->FieldsList()->count());
    from->FieldsList()->scrollToItem(from->FieldsList()->item(row));
    to->FieldsList()->scrollToItem(to->FieldsList()->item(target));
    if (const QMimeData *data = DragRow(from->FieldsList(), row))
        DragDrop(to->FieldsList()->viewport(), RowPoint(to->FieldsList(), target), data);
    return QStringLiteral("link %1 row %2 to %3 row %4")
        .arg(from->GetCaption())
        .arg(row)
        .arg(to->GetCaption())
        .arg(target);
}

bool DiagramTest::DeleteLine(TnvQueryBuilderLinkControl *line)
{
    // Through the window, so that a box lying over the line takes the click
    // instead; only a selected line hears the Delete key. The click gives
    // the focus at once only in the active window, so that comes first.
    if (!ActivateWindow(line))
        return false;
    WindowClick(line, line->Points()[1]);
    if (QApplication::focusWidget() != line)
        return false;
    QTest::keyClick(line, Qt::Key_Delete);
    Process();
    return true;
}

void DiagramTest::DeleteBox(TnvQueryBuilderDataSourceControl *box)
{
    QTest::mouseClick(box->FieldsList()->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(box->FieldsList(), 0));
    QTest::keyClick(box->FieldsList(), Qt::Key_Delete);
    Process();
}

void DiagramTest::ToggleMinimise(TnvQueryBuilderDataSourceControl *box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->ButtonRect(1).center());
    Process();
}

} // namespace nvqb::test
