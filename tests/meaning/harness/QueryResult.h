#pragma once
// What a statement gave on the database, and whether two results say the
// same: equal as multisets of rows, and, where ORDER BY fixes an order, the
// second in that order too. ORDER BY on a key that repeats fixes only the
// order between groups of equal keys, so the rows within a group may come in
// any order: the second result must be the same multiset and sorted by the
// keys, which together mean the same rows group by group.
#include <QList>
#include <QString>
#include <QVariant>

namespace nvqb::meaning {

struct TQueryResult {
    bool Ok = false;
    // The database's message when it refused or failed the statement.
    QString Error;
    int Columns = 0;
    QList<QVariantList> Rows;
};

// An output column that ORDER BY sorts on.
struct TSortKey {
    int Column = 0;
    bool Descending = false;
};

struct TComparison {
    bool Same = false;
    // Whether the keys were checked (the first result is sorted by them).
    bool OrderChecked = false;
    // What differs; empty when the results are the same.
    QString Why;
};

// A cell as text: NULL, a number without a needless fraction, or 'text'.
QString CellText(const QVariant &value);
// Expected is the statement's own result, Actual the result of the text the
// model printed. Keys are the sort keys of the statement (possibly fewer than
// its ORDER BY names: only the leading ones that are output columns); they
// are used only when Expected is sorted by them.
TComparison CompareResults(const TQueryResult &expected, const TQueryResult &actual, const QList<TSortKey> &keys);
// The result as lines "a | b | c", at most MaxRows of them, or the error.
QString FormatResult(const TQueryResult &result, int maxRows = 12);

} // namespace nvqb::meaning
