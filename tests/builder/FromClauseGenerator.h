#pragma once
// Random FROM clauses for the join-tree checks: 2 to 8 tables with aliases
// t0, t1, ..., joined by commas, cross, inner, left, right and full joins,
// with ON conditions of several shapes (equalities, tests of one side,
// expressions over both sides, ORs, tests of the tables before alone) and
// bracketed groups up to two levels deep.
#include <QList>
#include <QString>
#include <QStringList>
#include <random>

namespace nvqb::test {

struct TGeneratedTable {
    QString Name;
    QStringList Columns;
};

class TFromClauseGenerator {
public:
    TFromClauseGenerator(unsigned seed, QList<TGeneratedTable> tables);

    // "Select * From ..." over the tables.
    QString Statement();
    // The same with every column of every alias in the select list, in
    // alias order: a result whose columns do not move when FROM is
    // reordered.
    QString StatementWithColumns();

private:
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }
    bool Chance(int percent) { return Between(1, 100) <= percent; }
    QString Column(int alias);
    int Pick(const QList<int> &aliases) { return aliases[Between(0, int(aliases.size()) - 1)]; }
    QString Term(const QList<int> &inner, const QList<int> &before);
    QString Chain(int count, int depth, QList<int> &scope);

    std::mt19937 FRandom;
    QList<TGeneratedTable> FTables;
    // The table of each alias t0, t1, ...
    QList<int> FAliases;
};

} // namespace nvqb::test
