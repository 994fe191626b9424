#include "demos/window/QueryRunner.h"
#include "adoprovider/OdbcConnection.h"
#include "adoprovider/OdbcDataset.h"
#include "builder/model/ErrorReport.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <mutex>

namespace nvqb {

// What the worker and the window share about one run.
struct TnvQueryRunner::TState {
    std::mutex Mutex;
    TADODataSet *DataSet = nullptr; // the worker's, while it runs the query
    bool Cancelled = false;
};

TnvQueryRunner::TnvQueryRunner(QObject *parent) : QObject(parent), FCancelTimer(new QTimer(this))
{
    qRegisterMetaType<TnvQueryResult>();
    FCancelTimer->setInterval(200);
    connect(FCancelTimer, &QTimer::timeout, this, [this] {
        if (!FState)
            return;
        std::lock_guard<std::mutex> lock(FState->Mutex);
        if (FState->DataSet)
            FState->DataSet->Cancel();
    });
}

TnvQueryRunner::~TnvQueryRunner()
{
    Cancel();
    Join();
}

void TnvQueryRunner::Join()
{
    if (FState) {
        // The thread is on its way out: keep asking until it is.
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(FState->Mutex);
                if (!FState->DataSet)
                    break;
                FState->DataSet->Cancel();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (FThread.joinable())
        FThread.join();
}

void TnvQueryRunner::Cancel()
{
    if (!FState || !FRunning)
        return;
    {
        std::lock_guard<std::mutex> lock(FState->Mutex);
        FState->Cancelled = true;
        if (FState->DataSet)
            FState->DataSet->Cancel();
    }
    FCancelTimer->start();
}

void TnvQueryRunner::Run(const QString &connectionString, const QString &sql, int maxRows)
{
    if (FRunning) {
        Cancel();
        Join();
    } else if (FThread.joinable()) {
        FThread.join();
    }
    FCancelTimer->stop();
    const quint64 run = ++FRun;
    auto state = std::make_shared<TState>();
    FState = state;
    FRunning = true;
    QPointer<TnvQueryRunner> self(this);
    FThread = std::thread([this, self, state, run, connectionString, sql, maxRows] {
        TnvQueryResult result;
        try {
            auto connection = Create<TADOConnection>(nullptr);
            connection->SetConnectionString(connectionString);
            // The user stops a long query; the database need not.
            connection->SetCommandTimeout(0);
            connection->Open();
            auto dataSet = Create<TADODataSet>(nullptr);
            dataSet->SetConnection(connection.get());
            dataSet->SetCommandText(sql);
            {
                std::lock_guard<std::mutex> lock(state->Mutex);
                if (!state->Cancelled)
                    state->DataSet = dataSet.get();
            }
            if (state->DataSet) {
                try {
                    dataSet->Open();
                    for (qsizetype i = 0; i < dataSet->FieldCount(); ++i)
                        result.Columns.append(dataSet->Fields(i)->FieldName());
                    while (!dataSet->Eof() && result.Rows.size() < maxRows) {
                        QVariantList row;
                        for (qsizetype i = 0; i < dataSet->FieldCount(); ++i)
                            row.append(dataSet->Fields(i)->AsVariant());
                        result.Rows.append(row);
                        dataSet->Next();
                    }
                    result.More = !dataSet->Eof();
                } catch (...) {
                    std::lock_guard<std::mutex> lock(state->Mutex);
                    state->DataSet = nullptr;
                    throw;
                }
                std::lock_guard<std::mutex> lock(state->Mutex);
                state->DataSet = nullptr;
            }
        } catch (...) {
            result.Error = CurrentExceptionMessage();
        }
        {
            std::lock_guard<std::mutex> lock(state->Mutex);
            result.Cancelled = state->Cancelled;
        }
        // The runner waits for this thread before it goes, so it is there to
        // take the queued call; the pointer guards the call once delivered.
        QMetaObject::invokeMethod(
            this,
            [self, run, result] {
                if (self)
                    self->Done(run, result);
            },
            Qt::QueuedConnection);
    });
}

void TnvQueryRunner::Done(quint64 run, const TnvQueryResult &result)
{
    if (run != FRun)
        return;
    FRunning = false;
    FCancelTimer->stop();
    if (FThread.joinable())
        FThread.join();
    emit Finished(result);
}

} // namespace nvqb
