#include "QueryResult.h"

#include "classlib/Variant.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace nvqb::meaning {

namespace {

// The order SQLite sorts in: nulls, then numbers, then text.
int CompareCells(const QVariant &a, const QVariant &b)
{
    const int rankA = a.isNull() ? 0 : VarIsNumeric(a) ? 1 : 2;
    const int rankB = b.isNull() ? 0 : VarIsNumeric(b) ? 1 : 2;
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    if (rankA == 0)
        return 0;
    if (rankA == 1) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    return QString::compare(a.toString(), b.toString());
}

QString RowText(const QVariantList &row)
{
    QStringList cells;
    for (const QVariant &value : row)
        cells.append(CellText(value));
    return cells.join(QStringLiteral(" | "));
}

QStringList SortedRows(const TQueryResult &result)
{
    QStringList rows;
    rows.reserve(result.Rows.size());
    for (const QVariantList &row : result.Rows)
        rows.append(RowText(row));
    rows.sort();
    return rows;
}

// The first place where the rows break the order of the keys; -1 when none.
qsizetype FirstUnsorted(const TQueryResult &result, const QList<TSortKey> &keys)
{
    for (qsizetype i = 1; i < result.Rows.size(); ++i) {
        for (const TSortKey &key : keys) {
            const int order = CompareCells(result.Rows[i - 1].value(key.Column), result.Rows[i].value(key.Column));
            if (order == 0)
                continue;
            if ((order > 0) != key.Descending)
                return i;
            break;
        }
    }
    return -1;
}

} // namespace

QString CellText(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    if (VarIsNumeric(value)) {
        const double number = value.toDouble();
        if (value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float)
            return value.toString();
        if (std::floor(number) == number && std::abs(number) < 1e15)
            return QString::number(qint64(number));
        return QString::number(number, 'g', 15);
    }
    return u'\'' + value.toString() + u'\'';
}

TComparison CompareResults(const TQueryResult &expected, const TQueryResult &actual, const QList<TSortKey> &keys)
{
    TComparison comparison;
    if (!actual.Ok) {
        comparison.Why = QStringLiteral("the model's SQL does not run: ") + actual.Error;
        return comparison;
    }
    if (expected.Columns != actual.Columns) {
        comparison.Why = QStringLiteral("%1 columns instead of %2").arg(actual.Columns).arg(expected.Columns);
        return comparison;
    }
    if (expected.Rows.size() != actual.Rows.size()) {
        comparison.Why = QStringLiteral("%1 rows instead of %2").arg(actual.Rows.size()).arg(expected.Rows.size());
        return comparison;
    }
    const QStringList want = SortedRows(expected), got = SortedRows(actual);
    if (want != got) {
        for (qsizetype i = 0; i < want.size(); ++i)
            if (want[i] != got[i]) {
                comparison.Why = QStringLiteral("other rows: first difference, sorted, at %1: %2 instead of %3")
                                     .arg(i + 1)
                                     .arg(got[i], want[i]);
                break;
            }
        return comparison;
    }
    if (!keys.isEmpty() && FirstUnsorted(expected, keys) < 0) {
        comparison.OrderChecked = true;
        const qsizetype broken = FirstUnsorted(actual, keys);
        if (broken >= 0) {
            comparison.Why = QStringLiteral("same rows, other order: row %1 (%2) comes after %3")
                                 .arg(broken + 1)
                                 .arg(RowText(actual.Rows[broken]), RowText(actual.Rows[broken - 1]));
            return comparison;
        }
    }
    comparison.Same = true;
    return comparison;
}

QString FormatResult(const TQueryResult &result, int maxRows)
{
    if (!result.Ok)
        return QStringLiteral("error: ") + result.Error;
    QStringList lines;
    lines.append(QStringLiteral("%1 rows").arg(result.Rows.size()));
    for (qsizetype i = 0; i < result.Rows.size() && i < maxRows; ++i)
        lines.append(QStringLiteral("  ") + RowText(result.Rows[i]));
    if (result.Rows.size() > maxRows)
        lines.append(QStringLiteral("  ..."));
    return lines.join(u'\n');
}

} // namespace nvqb::meaning
