#include "classlib/MemoryDataset.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TMemoryDataset, TDataSet)

TMemoryDataset::TMemoryDataset(TComponent *owner) : TDataSet(owner) {}

TMemoryDataset::~TMemoryDataset() = default;

void TMemoryDataset::AppendRecord(const QList<QVariant> &values)
{
    const TFieldDefs &defs = FieldDefs();
    if (values.size() != defs.Count())
        DatabaseError(QStringLiteral("A record of %1 values does not fit %2 fields")
                          .arg(values.size())
                          .arg(defs.Count()));
    QList<QVariant> row;
    row.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        row.append(ConvertFieldValue(defs[i], values[i]));
    FRows.append(std::move(row));
}

void TMemoryDataset::ClearRecords()
{
    FRows.clear();
    if (Active())
        First();
}

void TMemoryDataset::InternalOpen() { FCurrent = -1; }

void TMemoryDataset::InternalClose() { FCurrent = -1; }

bool TMemoryDataset::InternalFirst()
{
    FCurrent = -1;
    if (FRows.isEmpty())
        return false;
    FCurrent = 0;
    SetCurrentRecord(FRows[0]);
    return true;
}

bool TMemoryDataset::InternalNext()
{
    if (FCurrent + 1 >= FRows.size())
        return false;
    ++FCurrent;
    SetCurrentRecord(FRows[FCurrent]);
    return true;
}

} // namespace nvqb
