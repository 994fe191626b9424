#pragma once
// A dataset over a query run through a TADOConnection, shaped like the class
// library's ADO dataset: set the connection and the command text, then Open
// and walk the rows through the TDataSet interface. The cursor moves forward
// only; First on a dataset that has moved past its first row runs the query
// again. FieldDefs().Update() on a closed dataset prepares the query and reads
// its columns without running it.
#include "classlib/Dataset.h"

#include <QString>
#include <mutex>

namespace nvqb {

class TADOConnection;

class TADODataSet : public TDataSet {
    NV_DECLARE_CLASS(TADODataSet)
public:
    explicit TADODataSet(TComponent *owner = nullptr);
    ~TADODataSet() override;

    // Not owned. The dataset is closed when the connection closes, and the
    // reference is dropped when the connection goes away.
    TADOConnection *Connection() const { return FConnection; }
    void SetConnection(TADOConnection *value);

    const QString &CommandText() const { return FCommandText; }
    // Raises EDatabaseError while the dataset is open.
    void SetCommandText(const QString &value);

    // Asks the driver to stop the statement that Open or a fetch is running
    // in another thread; that call then fails with the driver's message.
    // Safe from any thread; does nothing without a statement.
    void Cancel();

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    bool InternalFirst() override;
    bool InternalNext() override;

private:
    friend class TADOConnection;

    void CheckConnection();
    void PrepareStatement();
    void ReleaseStatement();
    void DescribeColumns();
    void Execute();
    bool FetchRow();
    // The connection is about to close: the statement must go first.
    void ConnectionClosing();

    TADOConnection *FConnection = nullptr;
    QString FCommandText;
    void *FStmt = nullptr; // SQLHSTMT, owned
    bool FNarrow = false; // the statement's texts take the narrow entry points
    // Held while the handle is made or freed, and by Cancel from another thread.
    std::mutex FStmtMutex;
    bool FExecuted = false;
    qint64 FRowIndex = -1; // the row last fetched, -1 before the first
    QList<int> FColumnKinds; // how each column is read
    QList<QVariant> FFirstRecord; // kept so First at the first row need not run the query again
};

} // namespace nvqb
