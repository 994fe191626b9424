#pragma once
// Runs a query against a database in a worker thread of its own, on a
// connection of its own, so the window keeps painting and answering while
// the database works; it reads the first rows only. Results come back as a
// queued call on the runner's thread; a run that is cancelled or replaced
// reports nothing more.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <thread>

class QTimer;

namespace nvqb {

struct TnvQueryResult {
    QStringList Columns;
    QList<QVariantList> Rows;
    // More rows were there than were read.
    bool More = false;
    // The database's message when the run failed; empty on success.
    QString Error;
    bool Cancelled = false;
};

class TnvQueryRunner : public QObject {
    Q_OBJECT
public:
    explicit TnvQueryRunner(QObject *parent = nullptr);
    // Cancels a running query and waits for its thread.
    ~TnvQueryRunner() override;

    // Starts the query; a run still going is cancelled and waited for first.
    void Run(const QString &connectionString, const QString &sql, int maxRows);
    // Asks the database to stop the running query; Finished then reports it
    // cancelled. Repeated until the worker stops, since the request can come
    // before the driver has a statement to stop.
    void Cancel();
    bool IsRunning() const { return FRunning; }

signals:
    void Finished(const nvqb::TnvQueryResult &result);

private:
    struct TState;
    void Join();
    void Done(quint64 run, const TnvQueryResult &result);

    std::shared_ptr<TState> FState;
    std::thread FThread;
    quint64 FRun = 0;
    bool FRunning = false;
    QTimer *FCancelTimer;
};

} // namespace nvqb

Q_DECLARE_METATYPE(nvqb::TnvQueryResult)
