#pragma once
// Statements whose joins branch: the tables t0 .. tN-1 of ChainQuery.h
// (id, p_id, v) joined as a chain, a random tree or a star, each table with
// one to three output columns and every fifth with a condition in WHERE, as
// a user's large query looks in the diagram. Also the growth exponent of a
// series of timings (least squares over log size, log time).
#include "ChainQuery.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace nvqb::bench {

enum class TJoinShape { Chain, Tree, Star };

inline const char *JoinShapeName(TJoinShape shape)
{
    switch (shape) {
    case TJoinShape::Chain:
        return "chain";
    case TJoinShape::Tree:
        return "tree";
    case TJoinShape::Star:
        return "star";
    }
    return "?";
}

inline bool ParseJoinShape(const char *text, TJoinShape &shape)
{
    for (TJoinShape s : {TJoinShape::Chain, TJoinShape::Tree, TJoinShape::Star})
        if (!std::strcmp(text, JoinShapeName(s))) {
            shape = s;
            return true;
        }
    return false;
}

// The table each table i > 0 joins to: the one before (chain), one of the
// tables before at random (tree, seeded by the size), the first (star).
inline std::vector<int> JoinParents(TJoinShape shape, int tables)
{
    std::vector<int> parents(size_t(std::max(tables, 1)), -1);
    std::mt19937 random{unsigned(tables) * 7919u + 17u};
    for (int i = 1; i < tables; ++i) {
        switch (shape) {
        case TJoinShape::Chain:
            parents[size_t(i)] = i - 1;
            break;
        case TJoinShape::Tree:
            parents[size_t(i)] = std::uniform_int_distribution<int>(0, i - 1)(random);
            break;
        case TJoinShape::Star:
            parents[size_t(i)] = 0;
            break;
        }
    }
    return parents;
}

// Select (1 to 3 columns of each table) From t0 Inner Join t1 On tP.id =
// t1.p_id ... Where (a condition on every fifth table).
inline QString JoinShapeSQL(TJoinShape shape, int tables)
{
    static const char *const Fields[] = {"id", "v", "p_id"};
    const std::vector<int> parents = JoinParents(shape, tables);
    QStringList items;
    for (int t = 0; t < tables; ++t)
        for (int c = 0; c <= t % 3; ++c)
            items.append(QStringLiteral("t%1.%2").arg(t).arg(QString::fromLatin1(Fields[c])));
    QString from = QStringLiteral("t0");
    for (int t = 1; t < tables; ++t)
        from += QStringLiteral(" Inner Join t%1 On t%2.id = t%1.p_id").arg(t).arg(parents[size_t(t)]);
    QStringList where;
    for (int t = 0; t < tables; t += 5)
        where.append(QStringLiteral("t%1.v > %1").arg(t));
    QString sql = QStringLiteral("Select ") + items.join(QStringLiteral(", ")) + QStringLiteral(" From ") + from;
    if (!where.isEmpty())
        sql += QStringLiteral(" Where ") + where.join(QStringLiteral(" And "));
    return sql;
}

// The exponent b of time = a * size^b that fits the points best; 0 with
// fewer than two sizes.
inline double GrowthExponent(const QList<int> &sizes, const QList<double> &times)
{
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    int n = 0;
    for (qsizetype i = 0; i < sizes.size() && i < times.size(); ++i) {
        if (sizes[i] <= 0 || times[i] <= 0)
            continue;
        const double x = std::log(double(sizes[i])), y = std::log(times[i]);
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
        ++n;
    }
    const double denominator = n * sxx - sx * sx;
    return n < 2 || denominator == 0 ? 0 : (n * sxy - sx * sy) / denominator;
}

} // namespace nvqb::bench
