#include "SegmentStatements.h"

#include "MeaningDatabase.h"

#include <QStringList>
#include <random>

namespace nvqb::meaning {

namespace {

// A table as the statement names it: by its alias, or by its name.
struct TTableUse {
    QString Prefix;
    int Table = 0;
    // As FROM writes it: "q q3" or "q".
    QString Text;
};

class TSegmentGenerator {
public:
    TSegmentGenerator(quint64 seed, quint64 index)
    {
        std::seed_seq sequence{quint32(seed), quint32(seed >> 32), quint32(index), quint32(index >> 32), 67u};
        FRandom.seed(sequence);
    }

    QString Statement()
    {
        // Few and small references: the rows of the list multiply.
        const int count = Chance(70) ? 2 : 3;
        // The reference after a comma that holds a RIGHT or FULL join.
        const int sideTaking = Pick(1, count - 1);
        QStringList references;
        for (int i = 0; i < count; ++i)
            references.append(Reference(i == sideTaking));
        QStringList items;
        const int columns = Pick(2, 4);
        for (int i = 0; i < columns; ++i) {
            const QString column = Column(OneOf(FAll));
            if (!items.contains(column))
                items.append(column);
        }
        QString sql = QStringLiteral("SELECT ") + items.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
                      references.join(QStringLiteral(", "));
        if (Chance(30)) {
            static const QStringList tests = {QStringLiteral(" IS NOT NULL"), QStringLiteral(" > 1"),
                                              QStringLiteral(" <> 2"), QStringLiteral(" IS NULL")};
            sql += QStringLiteral(" WHERE ") + Column(OneOf(FAll)) + OneOf(tests);
        }
        return sql;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    template <class T> const T &OneOf(const QList<T> &list) { return list[Pick(0, int(list.size()) - 1)]; }

    TTableUse NewTable()
    {
        TTableUse use;
        use.Table = Pick(0, int(Tables().size()) - 1);
        const QString name = Tables()[use.Table].Name;
        if (!FUnaliased.contains(name) && Chance(30)) {
            FUnaliased.append(name);
            use.Prefix = name;
            use.Text = name;
        } else {
            use.Prefix = name + QString::number(++FAliases);
            use.Text = name + u' ' + use.Prefix;
        }
        return use;
    }

    QString Column(const TTableUse &use)
    {
        const QStringList &columns = Tables()[use.Table].Columns;
        return use.Prefix + u'.' + columns[Pick(0, int(columns.size()) - 1)];
    }

    // The equalities of the foreign keys between a table of Inner and one
    // of Before.
    QStringList KeyTerms(const QList<TTableUse> &inner, const QList<TTableUse> &before)
    {
        QStringList terms;
        for (const TTableUse &a : inner)
            for (const TTableUse &b : before)
                for (const TForeignKey &key : ForeignKeys()) {
                    const QString tableA = Tables()[a.Table].Name, tableB = Tables()[b.Table].Name;
                    if (key.Child == tableA && key.Parent == tableB)
                        terms.append(a.Prefix + u'.' + key.ChildColumn + QStringLiteral(" = ") + b.Prefix + u'.' +
                                     key.ParentColumn);
                    if (key.Child == tableB && key.Parent == tableA)
                        terms.append(a.Prefix + u'.' + key.ParentColumn + QStringLiteral(" = ") + b.Prefix + u'.' +
                                     key.ChildColumn);
                }
        return terms;
    }

    // The ON condition of an element (its tables Inner) joined to the
    // tables Before it in its reference.
    QString On(const QList<TTableUse> &inner, const QList<TTableUse> &before)
    {
        QStringList terms;
        const QStringList keys = KeyTerms(inner, before);
        if (!keys.isEmpty() && Chance(75))
            terms.append(OneOf(keys));
        else
            terms.append(Column(OneOf(inner)) + QStringLiteral(" = ") + Column(OneOf(before)));
        if (Chance(35)) {
            switch (Pick(0, 4)) {
            case 0:
                terms.append(Column(OneOf(inner)) + QStringLiteral(" > 1"));
                break;
            case 1:
                terms.append(Column(OneOf(before)) + QStringLiteral(" <> 2"));
                break;
            case 2:
                terms.append(Column(OneOf(inner)) + QStringLiteral(" IS NOT NULL"));
                break;
            case 3:
                terms.append(u'(' + Column(OneOf(inner)) + QStringLiteral(" = ") + Column(OneOf(before)) +
                             QStringLiteral(" OR ") + Column(OneOf(inner)) + QStringLiteral(" = 1)"));
                break;
            default:
                terms.append(Column(OneOf(inner)) + QStringLiteral(" = ") + Column(OneOf(inner)));
                break;
            }
        }
        return terms.join(QStringLiteral(" AND "));
    }

    QString Kind()
    {
        static const QStringList kinds = {QStringLiteral("INNER"), QStringLiteral("LEFT"), QStringLiteral("RIGHT"),
                                          QStringLiteral("FULL"), QStringLiteral("CROSS")};
        static const int weights[] = {40, 15, 15, 15, 15};
        std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
        return kinds[pick(FRandom)];
    }

    // One table reference: a chain of Count elements; with SideTaking one
    // of its joins is a RIGHT or FULL join.
    QString Reference(bool sideTaking)
    {
        const int count = Pick(sideTaking ? 2 : 1, 3);
        const int forced = sideTaking ? Pick(1, count - 1) : -1;
        QList<TTableUse> before;
        QString text;
        for (int i = 0; i < count; ++i) {
            QList<TTableUse> inner;
            QString element;
            if (i > 0 && Chance(15)) {
                // A bracketed join of two tables.
                const TTableUse a = NewTable(), b = NewTable();
                inner = {a, b};
                QString kind = Kind();
                if (kind == u"CROSS")
                    kind = QStringLiteral("INNER");
                element = u'(' + a.Text + u' ' + kind + QStringLiteral(" JOIN ") + b.Text + QStringLiteral(" ON ") +
                          On({b}, {a}) + u')';
            } else {
                inner.append(NewTable());
                element = inner.first().Text;
            }
            if (i == 0) {
                text = element;
            } else {
                QString kind = i == forced ? (Chance(50) ? QStringLiteral("RIGHT") : QStringLiteral("FULL")) : Kind();
                if (kind == u"CROSS")
                    text += QStringLiteral(" CROSS JOIN ") + element;
                else
                    text += u' ' + kind + QStringLiteral(" JOIN ") + element + QStringLiteral(" ON ") + On(inner, before);
            }
            before += inner;
            FAll += inner;
        }
        return text;
    }

    std::mt19937 FRandom;
    int FAliases = 0;
    QStringList FUnaliased;
    QList<TTableUse> FAll;
};

} // namespace

QString GenerateSegmentStatement(quint64 seed, quint64 index)
{
    return TSegmentGenerator(seed, index).Statement();
}

} // namespace nvqb::meaning
