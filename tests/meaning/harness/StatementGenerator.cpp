#include "StatementGenerator.h"

#include "MeaningDatabase.h"

#include <QStringList>
#include <random>

namespace nvqb::meaning {

namespace {

// A table as a block refers to it: by its alias, or by its name.
struct TSource {
    QString Prefix;
    int Table = 0;
};

class TGenerator {
public:
    TGenerator(quint64 seed, quint64 index, const TGeneratorOptions &options) : FOptions(options)
    {
        std::seed_seq sequence{quint32(seed), quint32(seed >> 32), quint32(index), quint32(index >> 32), 31u};
        FRandom.seed(sequence);
    }

    QString Statement(TStatementShape shape)
    {
        const bool isUnion = shape == TStatementShape::Union || (shape == TStatementShape::Any && Chance(30));
        if (!isUnion) {
            TBlock block = Block(-1, false);
            return block.Sql + OrderBy(block, false);
        }
        FColumns = Pick(1, 2);
        FFirst = true;
        // The ORDER BY of a union names the first part's aliases.
        FWantUnionOrder = Chance(35);
        TBlock first;
        const QString terms = Terms(0, Pick(2, 3), first);
        return terms + (FWantUnionOrder ? OrderBy(first, true) : QString());
    }

private:
    // One SELECT block and what its ORDER BY may name.
    struct TBlock {
        QString Sql;
        // The output columns: expression and alias (empty without one).
        QStringList Expressions, Aliases;
        // Columns that may be sorted on without being output.
        QStringList Hidden;
        bool Distinct = false;
    };

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    template <class T> const T &OneOf(const QList<T> &list) { return list[Pick(0, int(list.size()) - 1)]; }
    QString Constant() { return QString::number(Chance(10) ? 9 : Pick(0, 4)); }
    static bool IsNumber(const QString &text)
    {
        bool ok = false;
        text.toInt(&ok);
        return ok;
    }

    QString Column(const TSource &source)
    {
        const QStringList &columns = Tables()[source.Table].Columns;
        return source.Prefix + u'.' + columns[Pick(0, int(columns.size()) - 1)];
    }
    QString Column(const QList<TSource> &scope) { return Column(OneOf(scope)); }

    QString Comparison()
    {
        static const QStringList operators = {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<"),
                                              QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">=")};
        return OneOf(operators);
    }

    // --- FROM -----------------------------------------------------------------

    // A table of the block: the second use of a table gets an alias, and so
    // do more than half of the others.
    TSource NewSource()
    {
        TSource source;
        source.Table = Pick(0, int(Tables().size()) - 1);
        const QString name = Tables()[source.Table].Name;
        if (!FUnaliased.contains(name) && Chance(40)) {
            FUnaliased.append(name);
            source.Prefix = name;
            FFromText = name;
        } else {
            source.Prefix = name + QString::number(++FAliasCount);
            FFromText = name + u' ' + source.Prefix;
        }
        return source;
    }

    // One term of the ON condition of an element (its tables Inner) joined
    // to the tables Before it on its level.
    QString OnTerm(const QList<TSource> &inner, const QList<TSource> &before)
    {
        const int kind = Pick(1, 100);
        if (before.isEmpty() || kind <= 45)
            return before.isEmpty() ? Column(inner) + QStringLiteral(" = ") + Column(inner)
                                    : Column(inner) + QStringLiteral(" = ") + Column(before);
        if (kind <= 60)
            return Column(inner) + u' ' + Comparison() + u' ' + Constant();
        if (kind <= 70)
            return Column(before) + u' ' + Comparison() + u' ' + Constant();
        if (kind <= 75)
            // A true constant only: SQLite 3.40 drops the rows a later RIGHT
            // or FULL join keeps when an inner join's ON is false by itself.
            return QStringLiteral("1 = 1");
        if (kind <= 82)
            return Column(inner) + QStringLiteral(" + ") + Column(before) + QStringLiteral(" > ") + Constant();
        if (kind <= 87)
            return Column(inner) + (Chance(50) ? QStringLiteral(" IS NULL") : QStringLiteral(" IS NOT NULL"));
        if (kind <= 95) {
            const QString left = Column(inner);
            return u'(' + left + QStringLiteral(" = ") + Column(before) + QStringLiteral(" OR ") + left +
                   QStringLiteral(" = ") + Constant() + u')';
        }
        return Column(before) + QStringLiteral(" = ") + Column(before);
    }

    QString OnCondition(const QList<TSource> &inner, const QList<TSource> &before)
    {
        const int count = Pick(1, 100) <= 60 ? 1 : Pick(2, 3);
        QStringList terms;
        for (int i = 0; i < count; ++i)
            terms.append(OnTerm(inner, before));
        if (count == 2 && Chance(15))
            return terms.join(QStringLiteral(" OR "));
        return terms.join(QStringLiteral(" AND "));
    }

    // A chain of Count tables; Scope gets the tables it holds.
    QString Chain(int count, int depth, QList<TSource> &scope)
    {
        static const QStringList joins = {
            QStringLiteral(","),          QStringLiteral("CROSS JOIN"),      QStringLiteral("JOIN"),
            QStringLiteral("INNER JOIN"), QStringLiteral("LEFT JOIN"),       QStringLiteral("LEFT OUTER JOIN"),
            QStringLiteral("RIGHT JOIN"), QStringLiteral("RIGHT OUTER JOIN"), QStringLiteral("FULL OUTER JOIN"),
            QStringLiteral("FULL JOIN"),
        };
        // Inner joins half of the time, the outer kinds and the cross
        // kinds sharing the rest.
        static const int weights[] = {10, 8, 16, 16, 12, 5, 10, 4, 10, 9};
        QString text;
        QList<TSource> before;
        int left = count;
        while (left > 0) {
            QList<TSource> inner;
            QString element;
            if (left >= 2 && depth < 2 && !text.isEmpty() && Chance(30)) {
                const int size = Pick(2, std::min(left, 3));
                element = u'(' + Chain(size, depth + 1, inner) + u')';
                left -= size;
            } else {
                inner.append(NewSource());
                element = FFromText;
                left -= 1;
            }
            if (text.isEmpty()) {
                text = element;
            } else {
                std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
                QString join = joins[pick(FRandom)];
                // SQL-92 brackets a join, never a comma list.
                if (depth > 0 && join == u",")
                    join = QStringLiteral("CROSS JOIN");
                if (join == u",") {
                    // SQL-92 joins the comma-separated references last:
                    // what follows a comma sees no table before it.
                    text += QStringLiteral(", ") + element;
                    before.clear();
                } else if (join == u"CROSS JOIN") {
                    text += QStringLiteral(" CROSS JOIN ") + element;
                } else {
                    text += u' ' + join + u' ' + element + QStringLiteral(" ON ") + OnCondition(inner, before);
                }
            }
            before += inner;
            scope += inner;
        }
        return text;
    }

    // --- Conditions ---------------------------------------------------------------

    QString Term(const QList<TSource> &scope)
    {
        if (FOptions.SubQueries && Chance(25))
            return SubQueryCondition(ColumnsOf(scope), ColumnsOf(scope), 1);
        const QString left = Column(scope);
        switch (Pick(0, 7)) {
        case 0:
            return left + (Chance(50) ? QStringLiteral(" IS NULL") : QStringLiteral(" IS NOT NULL"));
        case 1:
            return left + (Chance(30) ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) + Constant() +
                   QStringLiteral(", ") + Constant() + u')';
        case 2:
            return left + QStringLiteral(" BETWEEN ") + Constant() + QStringLiteral(" AND ") + Constant();
        case 3:
        case 4:
            return left + u' ' + Comparison() + u' ' + Column(scope);
        case 5:
            return left + QStringLiteral(" + 1 > ") + Constant();
        default:
            return left + u' ' + Comparison() + u' ' + Constant();
        }
    }

    QString Condition(int depth, const QList<TSource> &scope, bool having = false)
    {
        if (depth == 0 || Chance(35))
            return having ? HavingTerm(scope) : Term(scope);
        if (Chance(10))
            return QStringLiteral("NOT (") + Condition(depth - 1, scope, having) + u')';
        const bool isAnd = Chance(55);
        QStringList operands;
        const int count = Pick(2, 3);
        for (int i = 0; i < count; ++i) {
            QString operand = Condition(depth - 1, scope, having);
            if (operand.contains(QStringLiteral(" OR ")) || operand.contains(QStringLiteral(" AND ")))
                operand = u'(' + operand + u')';
            operands.append(operand);
        }
        return operands.join(isAnd ? QStringLiteral(" AND ") : QStringLiteral(" OR "));
    }

    QString Aggregate(const QList<TSource> &scope)
    {
        switch (Pick(0, 5)) {
        case 0:
            return QStringLiteral("COUNT(*)");
        case 1:
            return QStringLiteral("COUNT(") + Column(scope) + u')';
        case 2:
            return QStringLiteral("SUM(") + Column(scope) + u')';
        case 3:
            return QStringLiteral("MIN(") + Column(scope) + u')';
        case 4:
            return QStringLiteral("MAX(") + Column(scope) + u')';
        default:
            return QStringLiteral("COUNT(DISTINCT ") + Column(scope) + u')';
        }
    }

    QString HavingTerm(const QList<TSource> &scope)
    {
        if (FOptions.SubQueries && Chance(30))
            return HavingSubQueryCondition(scope);
        if (!FGroupColumns.isEmpty() && Chance(30))
            return OneOf(FGroupColumns) + u' ' + Comparison() + u' ' + Constant();
        return Aggregate(scope) + u' ' + Comparison() + u' ' + Constant();
    }

    // --- Correlated sub-queries ---------------------------------------------------

    static QStringList ColumnsOf(const QList<TSource> &sources)
    {
        QStringList columns;
        for (const TSource &source : sources)
            for (const QString &column : Tables()[source.Table].Columns)
                columns.append(source.Prefix + u'.' + column);
        return columns;
    }

    // A table of a sub-query, under an alias of its own.
    TSource SubQuerySource()
    {
        TSource source;
        source.Table = Pick(0, int(Tables().size()) - 1);
        source.Prefix = Tables()[source.Table].Name + QString::number(++FAliasCount);
        return source;
    }
    static QString SourceText(const TSource &source) { return Tables()[source.Table].Name + u' ' + source.Prefix; }

    // " FROM ... WHERE ..." of a sub-query whose tables (Inner gets them)
    // see the columns Outer of the blocks around it; the WHERE names one of
    // them, and with Depth above 0 may hold a sub-query of its own that
    // names the blocks around both, the outer ones half of the time.
    QString SubQueryBody(const QStringList &outer, QList<TSource> &inner, int depth)
    {
        inner.append(SubQuerySource());
        QString from = SourceText(inner.first());
        QStringList terms;
        if (Chance(25)) {
            const TSource second = SubQuerySource();
            const QString join = Column(second) + QStringLiteral(" = ") + Column(inner.first());
            if (Chance(50)) {
                from += QStringLiteral(", ") + SourceText(second);
                terms.append(join);
            } else {
                from += QStringLiteral(" INNER JOIN ") + SourceText(second) + QStringLiteral(" ON ") + join;
            }
            inner.append(second);
        }
        terms.append(Column(inner) + u' ' + (Chance(60) ? QStringLiteral("=") : Comparison()) + u' ' + OneOf(outer));
        if (Chance(30))
            terms.append(Column(inner) + u' ' + Comparison() + u' ' + Constant());
        if (depth > 0 && Chance(35)) {
            const QStringList own = ColumnsOf(inner);
            terms.append(SubQueryCondition(Chance(50) ? outer : own, outer + own, depth - 1));
        }
        return QStringLiteral(" FROM ") + from + QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
    }

    // A condition with a sub-query: its left side one of Left, its WHERE
    // naming one of Outer.
    QString SubQueryCondition(const QStringList &left, const QStringList &outer, int depth)
    {
        QList<TSource> inner;
        const QString body = SubQueryBody(outer, inner, depth);
        const QString column = Column(inner);
        switch (Pick(0, 6)) {
        case 0:
        case 1:
            return OneOf(left) + (Chance(40) ? QStringLiteral(" NOT IN (SELECT ") : QStringLiteral(" IN (SELECT ")) +
                   column + body + u')';
        case 2:
            return QStringLiteral("EXISTS (SELECT ") + column + body + u')';
        case 3:
            return QStringLiteral("NOT EXISTS (SELECT ") + column + body + u')';
        case 4:
            return OneOf(left) + u' ' + Comparison() + QStringLiteral(" (SELECT ") + SubQueryAggregate(column) + body +
                   u')';
        default: {
            static const QStringList quantifiers = {QStringLiteral("ALL"), QStringLiteral("ANY"),
                                                    QStringLiteral("SOME")};
            return OneOf(left) + u' ' + Comparison() + u' ' + OneOf(quantifiers) + QStringLiteral(" (SELECT ") +
                   column + body + u')';
        }
        }
    }

    // One value of a sub-query's rows, whatever their number.
    QString SubQueryAggregate(const QString &column)
    {
        static const QStringList functions = {QStringLiteral("MAX"), QStringLiteral("MIN"), QStringLiteral("SUM")};
        return Chance(30) ? QStringLiteral("COUNT(*)") : OneOf(functions) + u'(' + column + u')';
    }

    // A sub-query of one value, for the select list.
    QString ScalarSubQuery(const QStringList &outer, int depth)
    {
        QList<TSource> inner;
        const QString body = SubQueryBody(outer, inner, depth);
        return QStringLiteral("(SELECT ") + SubQueryAggregate(Column(inner)) + body + u')';
    }

    // A HAVING term with a sub-query, which names only grouped columns of
    // the block; its left side an aggregate or a grouped column.
    QString HavingSubQueryCondition(const QList<TSource> &scope)
    {
        QStringList left = FGroupColumns;
        left.append(Aggregate(scope));
        return SubQueryCondition(left, FGroupColumns, 1);
    }

    // --- Blocks ---------------------------------------------------------------------

    QString NewAlias(TBlock &block, bool force)
    {
        if (!force && !Chance(35))
            return QString();
        // Now and then an alias named like a column of the tables.
        static const QStringList columnLike = {QStringLiteral("id"), QStringLiteral("v")};
        QString alias = Chance(15) ? OneOf(columnLike) : QStringLiteral("k%1").arg(block.Aliases.size() + 1);
        while (block.Aliases.contains(alias))
            alias = QStringLiteral("k%1").arg(Pick(10, 99));
        return alias;
    }

    void AddItem(TBlock &block, QStringList &items, const QString &expression, bool forceAlias)
    {
        const QString alias = NewAlias(block, forceAlias);
        block.Expressions.append(expression);
        block.Aliases.append(alias);
        items.append(alias.isEmpty() ? expression : expression + QStringLiteral(" AS ") + alias);
    }

    // A select block; with Columns >= 0 it outputs exactly that many
    // columns and no t.* (a union part), and a first part with a wanted
    // ORDER BY names every column.
    TBlock Block(int columns, bool unionPart)
    {
        TBlock block;
        FUnaliased.clear();
        FGroupColumns.clear();
        static const int sizes[] = {0, 15, 35, 30, 15, 5};
        std::discrete_distribution<int> size(std::begin(sizes), std::end(sizes));
        QList<TSource> scope;
        const QString from = Chain(std::max(1, size(FRandom)), 0, scope);
        const bool forceAliases = unionPart && FFirst && FWantUnionOrder;
        FFirst = false;

        QStringList items;
        const bool grouped = Chance(unionPart ? 15 : 22);
        if (grouped) {
            const int groupCount = Pick(1, 2);
            for (int i = 0; i < groupCount; ++i) {
                const QString column = Column(scope);
                if (!FGroupColumns.contains(column))
                    FGroupColumns.append(column);
            }
            const int count = columns >= 0 ? columns : Pick(1, 3);
            for (int i = 0; i < count; ++i) {
                if (FOptions.SubQueries && Chance(15)) {
                    // Grouped, the sub-query names the grouped columns.
                    AddItem(block, items, ScalarSubQuery(FGroupColumns, 1), forceAliases);
                    continue;
                }
                const bool useGroupColumn = i < FGroupColumns.size() && Chance(60);
                const QString expression = useGroupColumn ? FGroupColumns[i] : Aggregate(scope);
                AddItem(block, items, Chance(10) ? expression + QStringLiteral(" + 1") : expression, forceAliases);
            }
            block.Hidden = FGroupColumns;
        } else {
            block.Distinct = Chance(10);
            const int count = columns >= 0 ? columns : Pick(1, 4);
            for (int i = 0; i < count; ++i) {
                if (FOptions.SubQueries && Chance(15)) {
                    AddItem(block, items, ScalarSubQuery(ColumnsOf(scope), 1), forceAliases);
                    continue;
                }
                const int kind = Pick(1, 100);
                if (columns < 0 && kind <= 12) {
                    // t.* of one of the tables (no alias and no sorting on it).
                    items.append(OneOf(scope).Prefix + QStringLiteral(".*"));
                    block.Expressions.append(QString());
                    block.Aliases.append(QString());
                } else if (kind <= 75) {
                    AddItem(block, items, Column(scope), forceAliases);
                } else if (kind <= 85) {
                    AddItem(block, items, Column(scope) + (Chance(50) ? QStringLiteral(" + 1") : QStringLiteral(" * 2")),
                            forceAliases);
                } else if (kind <= 92) {
                    AddItem(block, items, Column(scope) + QStringLiteral(" - ") + Column(scope), forceAliases);
                } else {
                    AddItem(block, items, Constant(), forceAliases);
                }
            }
            for (const TSource &source : scope)
                block.Hidden.append(Column(source));
        }

        block.Sql = QStringLiteral("SELECT ") + (block.Distinct ? QStringLiteral("DISTINCT ") : QString()) +
                    items.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + from;
        if (Chance(55))
            block.Sql += QStringLiteral(" WHERE ") + Condition(Pick(0, 2), scope);
        if (grouped) {
            block.Sql += QStringLiteral(" GROUP BY ") + FGroupColumns.join(QStringLiteral(", "));
            if (Chance(50))
                block.Sql += QStringLiteral(" HAVING ") + Condition(Pick(0, 1), scope, true);
        }
        return block;
    }

    // The terms of one union level; First gets the first block of the
    // statement.
    QString Terms(int depth, int count, TBlock &first)
    {
        static const QStringList operators = {QStringLiteral("UNION"), QStringLiteral("UNION ALL"),
                                              QStringLiteral("EXCEPT"), QStringLiteral("INTERSECT")};
        QString text;
        bool onlyIntersect = true;
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                QString op = OneOf(operators);
                if (op == u"INTERSECT" && !onlyIntersect)
                    op = QStringLiteral("UNION");
                onlyIntersect = onlyIntersect && op == u"INTERSECT";
                text += u' ' + op + u' ';
            }
            if (depth < 2 && Chance(25)) {
                // A bracketed group; now and then of a single part.
                text += u'(' + Terms(depth + 1, Chance(15) ? 1 : Pick(2, 3), first) + u')';
            } else {
                const bool isFirst = FFirst;
                TBlock block = Block(FColumns, true);
                if (isFirst)
                    first = block;
                text += block.Sql;
            }
        }
        return text;
    }

    // The names of the output columns: aliases, and the column names of
    // bare columns.
    static QStringList OutputNames(const TBlock &block)
    {
        QStringList names;
        for (qsizetype i = 0; i < block.Expressions.size(); ++i) {
            if (!block.Aliases[i].isEmpty())
                names.append(block.Aliases[i]);
            else if (block.Expressions[i].count(u'.') == 1 && !block.Expressions[i].contains(u' '))
                names.append(block.Expressions[i].section(u'.', 1));
        }
        return names;
    }

    // An ORDER BY naming output columns by alias, by expression or either
    // in brackets, now and then a column that is not output.
    QString OrderBy(const TBlock &block, bool isUnion)
    {
        if (!isUnion && !Chance(35))
            return QString();
        QStringList items, named;
        const int count = Pick(1, 3);
        for (int i = 0; i < count; ++i) {
            const int column = Pick(0, int(block.Expressions.size()) - 1);
            const QString expression = block.Expressions[column];
            QString alias = block.Aliases[column];
            // A name two output columns have sorts on neither.
            if (!alias.isEmpty() && OutputNames(block).count(alias) > 1)
                alias.clear();
            QString item;
            if (isUnion) {
                if (alias.isEmpty())
                    continue;
                item = Chance(20) ? u'(' + alias + u')' : alias;
            } else if (!block.Distinct && !block.Hidden.isEmpty() && Chance(10)) {
                item = OneOf(block.Hidden);
            } else if (expression.isEmpty() || (alias.isEmpty() && IsNumber(expression))) {
                // t.*, or a number that would name a column by its place.
                continue;
            } else {
                const bool byAlias = !alias.isEmpty() && (Chance(50) || IsNumber(expression));
                const QString name = byAlias ? alias : expression;
                item = Chance(20) ? u'(' + name + u')' : name;
            }
            if (named.contains(item))
                continue;
            named.append(item);
            const int direction = Pick(0, 2);
            items.append(item + (direction == 1 ? QStringLiteral(" ASC") : direction == 2 ? QStringLiteral(" DESC") : QString()));
        }
        return items.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + items.join(QStringLiteral(", "));
    }

    TGeneratorOptions FOptions;
    std::mt19937 FRandom;
    int FAliasCount = 0;
    QStringList FUnaliased;
    QString FFromText;
    QStringList FGroupColumns;
    int FColumns = -1;
    bool FFirst = false;
    bool FWantUnionOrder = false;
};

} // namespace

QString GenerateStatement(quint64 seed, quint64 index, TStatementShape shape, const TGeneratorOptions &options)
{
    return TGenerator(seed, index, options).Statement(shape);
}

} // namespace nvqb::meaning
