#include "FromClauseGenerator.h"

namespace nvqb::test {

TFromClauseGenerator::TFromClauseGenerator(unsigned seed, QList<TGeneratedTable> tables)
    : FRandom(seed), FTables(std::move(tables))
{
}

QString TFromClauseGenerator::Statement()
{
    FAliases.clear();
    const int tables = Between(2, 8);
    QList<int> scope;
    return QStringLiteral("Select * From ") + Chain(tables, 0, scope);
}

QString TFromClauseGenerator::StatementWithColumns()
{
    const QString from = Statement().mid(QStringLiteral("Select * ").size());
    QStringList columns;
    for (qsizetype alias = 0; alias < FAliases.size(); ++alias)
        for (const QString &column : std::as_const(FTables[FAliases[alias]].Columns))
            columns.append(QStringLiteral("t%1.%2").arg(alias).arg(column));
    return QStringLiteral("Select ") + columns.join(QStringLiteral(", ")) + u' ' + from;
}

QString TFromClauseGenerator::Column(int alias)
{
    const QStringList &columns = FTables[FAliases[alias]].Columns;
    return QStringLiteral("t%1.%2").arg(alias).arg(columns[Between(0, int(columns.size()) - 1)]);
}

// One term of the ON condition of an element (its tables Inner) joined to
// the tables Before it.
QString TFromClauseGenerator::Term(const QList<int> &inner, const QList<int> &before)
{
    const int kind = Between(1, 100);
    if (kind <= 55)
        return Column(Pick(inner)) + QStringLiteral(" = ") + Column(Pick(before));
    if (kind <= 70)
        return Column(Pick(inner)) + QStringLiteral(" > %1").arg(Between(0, 9));
    if (kind <= 80)
        return Column(Pick(before)) + QStringLiteral(" + ") + Column(Pick(inner)) + QStringLiteral(" < 5");
    if (kind <= 90)
        return Column(Pick(inner)) + QStringLiteral(" + ") + Column(Pick(before)) + QStringLiteral(" > ") +
               Column(Pick(inner + before));
    if (kind <= 95) {
        const QString left = Column(Pick(inner));
        const QString right = Column(Pick(before));
        return u'(' + left + QStringLiteral(" = ") + right + QStringLiteral(" Or ") + right + QStringLiteral(" = ") +
               left + u')';
    }
    // A term about the tables before alone.
    return Column(Pick(before)) + QStringLiteral(" Is Not Null");
}

// A chain of Count tables; Scope gets the aliases it holds.
QString TFromClauseGenerator::Chain(int count, int depth, QList<int> &scope)
{
    QString text;
    QList<int> before;
    int left = count;
    bool first = true;
    while (left > 0) {
        QList<int> inner;
        QString element;
        // A bracketed group of two or more tables now and then.
        if (left >= 2 && depth < 2 && Chance(25)) {
            const int size = Between(2, std::min(left, 4));
            element = u'(' + Chain(size, depth + 1, inner) + u')';
            left -= size;
        } else {
            const int alias = int(FAliases.size());
            FAliases.append(Between(0, int(FTables.size()) - 1));
            element = QStringLiteral("%1 t%2").arg(FTables[FAliases.last()].Name).arg(alias);
            inner.append(alias);
            left -= 1;
        }
        if (first) {
            text = element;
        } else {
            static const char *const joins[] = {",", "Cross Join", "Inner Join", "Join", "Left Join",
                                                "Left Outer Join", "Right Outer Join", "Full Outer Join"};
            const int join = Between(0, 7);
            if (join == 0) {
                text += QStringLiteral(", ") + element;
            } else {
                text += u' ' + QString::fromLatin1(joins[join]) + u' ' + element;
                if (join >= 2) {
                    QStringList terms;
                    const int termCount = Between(1, 3);
                    for (int i = 0; i < termCount; ++i)
                        terms.append(Term(inner, before));
                    text += QStringLiteral(" On ") + terms.join(QStringLiteral(" And "));
                }
            }
        }
        first = false;
        before += inner;
        scope += inner;
    }
    return text;
}

} // namespace nvqb::test
