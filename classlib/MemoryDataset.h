#pragma once
// A dataset whose rows live in memory and are filled by code: hosts answer
// metadata questions with it, tests feed readers with it, and catalog rows
// collected from a database are handed out through it. Define the columns in
// FieldDefs, then append rows; rows may be appended while the dataset is open
// (they show up at the end) or closed.
#include "classlib/Dataset.h"

namespace nvqb {

class TMemoryDataset : public TDataSet {
    NV_DECLARE_CLASS(TMemoryDataset)
public:
    explicit TMemoryDataset(TComponent *owner = nullptr);
    ~TMemoryDataset() override;

    // Appends a row with one value per field definition, in their order; each
    // value is converted to the form its field type keeps. Raises
    // EDatabaseError, appending nothing, when the count differs from the
    // definitions or a value does not fit its field.
    void AppendRecord(const QList<QVariant> &values);
    qsizetype RecordCount() const { return FRows.size(); }
    // Removes every row; an open dataset then stands on no record.
    void ClearRecords();

protected:
    void InternalOpen() override;
    void InternalClose() override;
    bool InternalFirst() override;
    bool InternalNext() override;

private:
    QList<QList<QVariant>> FRows;
    qsizetype FCurrent = -1;
};

} // namespace nvqb
