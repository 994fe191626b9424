#pragma once
// What the query uses and gives, as the query builder counts it after every
// change: the database objects and columns it reads, the columns it outputs,
// and its parameters with the comparison each stands in.
#include <QWidget>

class QTreeWidget;

namespace nvqb {

class TnvQueryBuilderModel;

class TnvStatisticsPane : public QWidget {
    Q_OBJECT
public:
    explicit TnvStatisticsPane(QWidget *parent = nullptr);

    // Fills the lists from the query builder's statistics and parameters.
    void Reload(TnvQueryBuilderModel *queryBuilder);

    QTreeWidget *Statistics() const { return FStatistics; }
    QTreeWidget *Parameters() const { return FParameters; }

private:
    QTreeWidget *FStatistics;
    QTreeWidget *FParameters;
};

} // namespace nvqb
