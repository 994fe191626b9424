#pragma once
// Failures reported by the ODBC driver manager or a driver. The message holds
// the diagnostic records the driver left (each "text (SQLSTATE xxxxx)", one per
// line), after a short account of what was being done where that helps.
#include "classlib/Dataset.h"

#include <QList>
#include <QString>

namespace nvqb {

struct TOdbcDiagRecord {
    QString SqlState;
    int NativeError = 0;
    QString Message;
};

class EOdbcError : public EDatabaseError {
public:
    explicit EOdbcError(QString message, QList<TOdbcDiagRecord> records = {});
    const char *ClassName() const override { return "EOdbcError"; }

    const QList<TOdbcDiagRecord> &Records() const { return FRecords; }
    // The first record's state; empty when the driver left none.
    QString SqlState() const;

private:
    QList<TOdbcDiagRecord> FRecords;
};

} // namespace nvqb
