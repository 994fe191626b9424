#include "DiagramTestSupport.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QApplication>
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

} // namespace nvqb::test
