#include "demos/window/StatisticsPane.h"
#include "builder/model/Parameters.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/QueryStatistics.h"

#include <QHeaderView>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace nvqb {

namespace {

QString TypeText(TFieldType type)
{
    // "ftInteger" reads "Integer".
    return type == ftUnknown ? QString() : QString::fromLatin1(FieldTypeName(type)).mid(2);
}

QTreeWidgetItem *Group(QTreeWidget *tree, const QString &caption, qsizetype count)
{
    auto *item = new QTreeWidgetItem(tree, {QStringLiteral("%1 (%2)").arg(caption).arg(count)});
    item->setFirstColumnSpanned(true);
    item->setExpanded(true);
    return item;
}

} // namespace

TnvStatisticsPane::TnvStatisticsPane(QWidget *parent)
    : QWidget(parent), FStatistics(new QTreeWidget), FParameters(new QTreeWidget)
{
    setObjectName(QStringLiteral("StatisticsPane"));
    FStatistics->setObjectName(QStringLiteral("tvStatistics"));
    FParameters->setObjectName(QStringLiteral("tvParameters"));
    FStatistics->setHeaderLabels({tr("Name"), tr("Object"), tr("Type")});
    FParameters->setHeaderLabels({tr("Parameter"), tr("Compared with"), tr("Operator"), tr("Type")});
    FParameters->setRootIsDecorated(false);
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(FStatistics);
    splitter->addWidget(FParameters);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

void TnvStatisticsPane::Reload(TnvQueryBuilderModel *queryBuilder)
{
    FStatistics->clear();
    FParameters->clear();
    if (!queryBuilder)
        return;
    if (TnvQueryStatistics *statistics = queryBuilder->QueryStatistics()) {
        const auto *objects = statistics->UsedDatabaseObjects();
        QTreeWidgetItem *group = Group(FStatistics, tr("Used objects"), objects->Count());
        for (qsizetype i = 0; i < objects->Count(); ++i)
            new QTreeWidgetItem(group, {objects->Items(i)->FullNameStr()});
        const auto *columns = statistics->UsedColumns();
        group = Group(FStatistics, tr("Used columns"), columns->Count());
        for (qsizetype i = 0; i < columns->Count(); ++i) {
            const TnvStatisticsColumn *column = columns->Items(i);
            new QTreeWidgetItem(group, {column->ColumnNameStr(), column->ObjectNameStr(),
                                        TypeText(column->GetFieldType())});
        }
        const auto *outputs = statistics->OutputColumns();
        group = Group(FStatistics, tr("Output columns"), outputs->Count());
        for (qsizetype i = 0; i < outputs->Count(); ++i) {
            const TnvStatisticsOutputColumn *column = outputs->Items(i);
            const QString name = column->Alias().isEmpty() ? column->Expression()
                                                            : column->Expression() + QStringLiteral(" as ") +
                                                                  column->Alias();
            new QTreeWidgetItem(group, {name, column->ObjectName(), TypeText(column->FieldType())});
        }
    }
    if (TnvParametersList *parameters = queryBuilder->Parameters()) {
        for (qsizetype i = 0; i < parameters->Count(); ++i) {
            const TnvParameter *parameter = parameters->Items(i);
            const QString field = parameter->ObjectName().isEmpty()
                                      ? parameter->FieldName()
                                      : parameter->ObjectName() + u'.' + parameter->FieldName();
            new QTreeWidgetItem(FParameters, {parameter->GetFullName(), field, parameter->CompareOperator(),
                                              TypeText(parameter->DataType())});
        }
    }
    FStatistics->resizeColumnToContents(0);
}

} // namespace nvqb
