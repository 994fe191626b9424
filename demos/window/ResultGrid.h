#pragma once
// The result grid: runs the query's SQL against the connection through a
// query runner and shows the first rows, with the run's state (running and
// for how long, the rows read, the database's error) in a status line and
// buttons to run and to cancel.
#include <QElapsedTimer>
#include <QWidget>

class QPushButton;
class QStandardItemModel;
class QTableView;
class QTimer;

namespace nvqb {

class TnvQueryRunner;
class TnvStatusLabel;
struct TnvQueryResult;

class TnvResultGrid : public QWidget {
    Q_OBJECT
public:
    // The rows read of a result at most.
    static constexpr int MaxRows = 200;

    explicit TnvResultGrid(QWidget *parent = nullptr);
    ~TnvResultGrid() override;

    // Runs the SQL on a connection of its own made with the string; blank SQL
    // or no connection string empties the grid.
    void Run(const QString &connectionString, const QString &sql);
    void Cancel();
    bool IsRunning() const;
    // Processes events until the running query ends or the time is up; true
    // when nothing runs any more. For runs without a user: a screenshot
    // waits for its rows.
    bool WaitForResult(int milliseconds);

    QTableView *View() const { return FView; }
    QStandardItemModel *Model() const { return FModel; }
    TnvStatusLabel *StatusLabel() const { return FStatus; }
    QPushButton *RunButton() const { return FRunButton; }
    QPushButton *CancelButton() const { return FCancelButton; }
    // The error of the last run; empty when it succeeded.
    const QString &LastError() const { return FLastError; }

signals:
    // The Run button was pressed.
    void RunRequested();
    void RunFinished();

private:
    void ShowResult(const TnvQueryResult &result);
    void ShowRunning();

    TnvQueryRunner *FRunner;
    QTableView *FView;
    QStandardItemModel *FModel;
    TnvStatusLabel *FStatus;
    QPushButton *FRunButton;
    QPushButton *FCancelButton;
    QTimer *FTicker;
    QElapsedTimer FElapsed;
    QString FLastError;
};

} // namespace nvqb
