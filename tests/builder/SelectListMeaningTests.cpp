// Round trip of meaning through the select list: generated statements are
// loaded into the model (WHERE and HAVING spread over criteria cells), printed,
// parsed, loaded and printed again. The second print equals the first, the
// select list, GROUP BY and ORDER BY say what the statement said, and the
// WHERE and HAVING conditions are logically equivalent to the statement's:
// evaluated on truth assignments of their comparison terms, they agree.
#include "BuilderTestSupport.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QSet>
#include <random>
#include <set>

using namespace nvqb;
using namespace nvqb::test;

namespace {

// --- Statements -----------------------------------------------------------

class TGenerator {
public:
    explicit TGenerator(unsigned seed) : FRandom(seed) {}

    QString Statement()
    {
        FAliases = 0;
        QStringList items;
        const int count = Pick(1, 4);
        for (int i = 0; i < count; ++i)
            items.append(SelectItem());
        QString sql = QStringLiteral("SELECT ") + items.join(QStringLiteral(", ")) + QStringLiteral(" FROM a, b, c");
        if (Chance(85))
            sql += QStringLiteral(" WHERE ") + Condition(Pick(0, 3), false);
        if (Chance(40)) {
            QStringList groups;
            const int groupCount = Pick(1, 2);
            for (int i = 0; i < groupCount; ++i)
                groups.append(Column());
            sql += QStringLiteral(" GROUP BY ") + groups.join(QStringLiteral(", "));
            if (Chance(60))
                sql += QStringLiteral(" HAVING ") + Condition(Pick(0, 2), true);
        }
        if (Chance(40)) {
            QStringList orders;
            const int orderCount = Pick(1, 3);
            for (int i = 0; i < orderCount; ++i)
                orders.append(Column() + (Chance(50)   ? QStringLiteral(" DESC")
                                          : Chance(50) ? QStringLiteral(" ASC")
                                                       : QString()));
            sql += QStringLiteral(" ORDER BY ") + orders.join(QStringLiteral(", "));
        }
        return sql;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    QString Number() { return QString::number(Pick(0, 20)); }

    QString Column()
    {
        static const char *const columns[] = {"a.id", "a.x", "b.id", "b.a_id", "b.y", "c.id", "c.b_id"};
        return QString::fromLatin1(columns[Pick(0, 6)]);
    }
    QString Aggregate()
    {
        switch (Pick(0, 5)) {
        case 0:
            return QStringLiteral("COUNT(*)");
        case 1:
            return QStringLiteral("SUM(") + Column() + u')';
        case 2:
            return QStringLiteral("MAX(DISTINCT ") + Column() + u')';
        case 3:
            return QStringLiteral("MIN(") + Column() + u')';
        case 4:
            return QStringLiteral("AVG(") + Column() + QStringLiteral(" + 1)");
        default:
            return QStringLiteral("COUNT(") + Column() + u')';
        }
    }
    QString Alias() { return Chance(50) ? QStringLiteral(" AS v%1").arg(++FAliases) : QString(); }
    QString SelectItem()
    {
        switch (Pick(0, 4)) {
        case 0:
        case 1:
            return Column() + Alias();
        case 2:
            return Aggregate() + Alias();
        case 3:
            return Column() + QStringLiteral(" * 2") + Alias();
        default:
            return QStringLiteral("'k'") + Alias();
        }
    }

    QString Term(bool having)
    {
        const QString left = having && Chance(70) ? Aggregate() : Column();
        static const char *const comparisons[] = {"=", "<>", "<", ">", "<=", ">="};
        switch (Pick(0, 7)) {
        case 0:
            return left + QStringLiteral(" IS ") + (Chance(50) ? QStringLiteral("NOT ") : QString()) +
                   QStringLiteral("NULL");
        case 1:
            return left + (Chance(50) ? QStringLiteral(" NOT") : QString()) + QStringLiteral(" IN (") + Number() +
                   QStringLiteral(", ") + Number() + u')';
        case 2:
            return left + (Chance(50) ? QStringLiteral(" NOT") : QString()) + QStringLiteral(" BETWEEN ") +
                   Number() + QStringLiteral(" AND ") + Number();
        case 3:
            return having ? left + QStringLiteral(" > ") + Number()
                          : left + (Chance(50) ? QStringLiteral(" NOT") : QString()) + QStringLiteral(" LIKE 'k%'");
        case 4:
            return left + u' ' + QString::fromLatin1(comparisons[Pick(0, 5)]) + u' ' + Column();
        case 5:
            return left + QStringLiteral(" + 1 > ") + Number();
        default:
            return left + u' ' + QString::fromLatin1(comparisons[Pick(0, 5)]) + u' ' + Number();
        }
    }

    // A tree of AND, OR and NOT over terms, bracketed where the meaning
    // needs it and now and then where it does not.
    QString Condition(int depth, bool having)
    {
        if (depth == 0 || Chance(25)) {
            const QString term = Term(having);
            return Chance(10) ? u'(' + term + u')' : term;
        }
        const int kind = Pick(0, 4);
        if (kind == 4)
            return QStringLiteral("NOT (") + Condition(depth - 1, having) + u')';
        const bool isAnd = kind < 2;
        QStringList operands;
        const int count = Pick(2, 3);
        for (int i = 0; i < count; ++i) {
            QString operand = Condition(depth - 1, having);
            if (operand.contains(QStringLiteral(" OR ")) || operand.contains(QStringLiteral(" AND ")) || Chance(10))
                operand = u'(' + operand + u')';
            operands.append(operand);
        }
        return operands.join(isAnd ? QStringLiteral(" AND ") : QStringLiteral(" OR "));
    }

    std::mt19937 FRandom;
    int FAliases = 0;
};

// --- Conditions as functions of their terms --------------------------------

// A condition in prefix form over numbered terms.
struct TFormula {
    enum TOp { opTerm, opAnd, opOr, opNot };
    struct TNode {
        TOp Op;
        int Term;
        std::vector<int> Operands;
    };
    std::vector<TNode> Nodes;
    int Root = -1;

    bool Evaluate(quint64 truth) const { return Root < 0 || Evaluate(Root, truth); }

private:
    bool Evaluate(int index, quint64 truth) const
    {
        const TNode &node = Nodes[size_t(index)];
        switch (node.Op) {
        case opTerm:
            return (truth >> node.Term) & 1u;
        case opNot:
            return !Evaluate(node.Operands.front(), truth);
        case opAnd:
            for (int operand : node.Operands)
                if (!Evaluate(operand, truth))
                    return false;
            return true;
        case opOr:
            for (int operand : node.Operands)
                if (Evaluate(operand, truth))
                    return true;
            return false;
        }
        return false;
    }
};

class TFormulaBuilder {
public:
    QStringList Terms;

    TFormula Build(const TSQLExpressionItem *condition)
    {
        TFormula formula;
        if (condition)
            formula.Root = Add(formula, condition);
        return formula;
    }

private:
    int Add(TFormula &formula, const TSQLExpressionItem *node)
    {
        while (const auto *brackets = As<TSQLExpressionBrackets>(node))
            node = brackets->Expression.get();
        TFormula::TNode result{TFormula::opTerm, -1, {}};
        if (const auto *negation = As<TSQLExpressionNot>(node)) {
            result.Op = TFormula::opNot;
            result.Operands.push_back(Add(formula, negation->Expression.get()));
        } else if (const auto *collection = As<TSQLExpressionLogicalCollection>(node)) {
            result.Op = collection->Is<TSQLExpressionAnd>() ? TFormula::opAnd : TFormula::opOr;
            for (qsizetype i = 0; i < collection->GetCount(); ++i)
                result.Operands.push_back(Add(formula, collection->GetItems(i)));
        } else {
            const QString text = node->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr);
            result.Term = int(Terms.indexOf(text));
            if (result.Term < 0) {
                result.Term = int(Terms.size());
                Terms.append(text);
            }
        }
        formula.Nodes.push_back(std::move(result));
        return int(formula.Nodes.size()) - 1;
    }
};

class SelectListMeaningTest : public BuilderTest {
protected:
    // The block of a statement without unions.
    static const TSQLSubQuerySelectExpression *Block(const TSQLSelectStatement *statement)
    {
        return As<TSQLSubQuerySelectExpression>(statement->GetItems(0));
    }
    static QString Text(const TastNode *node)
    {
        return node ? node->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr) : QString();
    }

    // Whether the two conditions agree on every assignment of their terms
    // (on 512 random ones beyond nine terms); Why tells where they do not.
    static bool Equivalent(const TSQLExpressionItem *expected, const TSQLExpressionItem *actual, std::mt19937 &random,
                           QString &why)
    {
        TFormulaBuilder builder;
        const TFormula a = builder.Build(expected);
        const qsizetype expectedTerms = builder.Terms.size();
        const TFormula b = builder.Build(actual);
        if (builder.Terms.size() != expectedTerms) {
            why = QStringLiteral("new terms: ") + builder.Terms.mid(expectedTerms).join(QStringLiteral("; "));
            return false;
        }
        // Every term of the statement is still there.
        TFormulaBuilder back;
        back.Build(actual);
        if (back.Terms.size() != expectedTerms) {
            why = QStringLiteral("terms lost");
            return false;
        }
        const int terms = int(expectedTerms);
        const bool exhaustive = terms <= 9;
        const quint64 runs = exhaustive ? (quint64(1) << terms) : 512;
        for (quint64 run = 0; run < runs; ++run) {
            const quint64 truth = exhaustive ? run : quint64(random()) << 32 | random();
            if (a.Evaluate(truth) != b.Evaluate(truth)) {
                why = QStringLiteral("differ on assignment %1").arg(truth, 0, 2);
                return false;
            }
        }
        return true;
    }
};

TEST_F(SelectListMeaningTest, TwoThousandStatementsKeepTheirMeaningAndPrintStably)
{
    TGenerator generator(20240917);
    std::mt19937 random(7);
    int withWhere = 0, withHaving = 0, withOr = 0, failures = 0;
    for (int n = 0; n < 2000 && failures < 5; ++n) {
        const QString input = generator.Statement();
        const QString first = Load(input);
        const QString second = Load(first);
        const QString context = QStringLiteral("\n  in:  ") + input + QStringLiteral("\n  out: ") + first;
        bool ok = true;
        auto fail = [&](const QString &what) {
            ADD_FAILURE() << what.toStdString() << context.toStdString();
            ok = false;
        };
        if (second != first)
            fail(QStringLiteral("printed again differently: ") + second);

        TOwned<TSQLSelectStatement> before = p->ParseSelect(input);
        TOwned<TSQLSelectStatement> after = p->ParseSelect(first);
        const TSQLSubQuerySelectExpression *in = Block(before.get());
        const TSQLSubQuerySelectExpression *out = Block(after.get());
        ASSERT_TRUE(in && out) << context.toStdString();

        QString why;
        if (!Equivalent(in->WhereClause.get(), out->WhereClause.get(), random, why))
            fail(QStringLiteral("WHERE: ") + why);
        if (!Equivalent(in->HavingClause.get(), out->HavingClause.get(), random, why))
            fail(QStringLiteral("HAVING: ") + why);
        withWhere += in->WhereClause ? 1 : 0;
        withHaving += in->HavingClause ? 1 : 0;
        withOr += input.contains(QStringLiteral(" OR ")) ? 1 : 0;

        // The select list is printed as it was; GROUP BY names the same
        // columns; ORDER BY the same ones in the same order, each once.
        if (Text(in->SelectItems.get()) != Text(out->SelectItems.get()))
            fail(QStringLiteral("select list changed"));
        auto groupBy = [](const TSQLSubQuerySelectExpression *block) {
            QSet<QString> columns;
            if (block->GroupByClause)
                for (qsizetype i = 0; i < block->GroupByClause->GetCount(); ++i)
                    columns.insert(Text(block->GroupByClause->GetItems(i)));
            return columns;
        };
        if (groupBy(in) != groupBy(out))
            fail(QStringLiteral("GROUP BY changed"));
        auto orderBy = [](const TSQLSelectStatement *statement) {
            QStringList items;
            QSet<QString> seen;
            if (const TSQLOrderByClause *clause = statement->OrderByClause.get())
                for (qsizetype i = 0; i < clause->GetCount(); ++i) {
                    const TSQLOrderByItem *item = clause->GetItems(i);
                    const QString expression = Text(item->Expression.get());
                    if (seen.contains(expression))
                        continue;
                    seen.insert(expression);
                    items.append(expression + (item->SortOrder == obDesc ? QStringLiteral(" Desc") : QString()));
                }
            return items;
        };
        if (orderBy(before.get()) != orderBy(after.get()))
            fail(QStringLiteral("ORDER BY changed"));
        failures += ok ? 0 : 1;
    }
    // The generator reached what it is meant to test.
    EXPECT_GT(withWhere, 1500);
    EXPECT_GT(withHaving, 300);
    EXPECT_GT(withOr, 600);
}

} // namespace
