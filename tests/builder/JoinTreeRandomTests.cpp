// Random FROM clauses of 2 to 8 tables with random join kinds, conditions
// and bracketed groups, through the model: the text printed is stable
// (printed, loaded again, printed the same), parses, and names exactly the
// tables and join conditions it was given.
#include "FromClauseGenerator.h"
#include "JoinTestSupport.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb::test {

namespace {

const QList<TGeneratedTable> Tables = {
    {QStringLiteral("a"), {QStringLiteral("id"), QStringLiteral("x")}},
    {QStringLiteral("b"), {QStringLiteral("id"), QStringLiteral("a_id"), QStringLiteral("y")}},
    {QStringLiteral("c"), {QStringLiteral("id"), QStringLiteral("b_id")}},
    {QStringLiteral("dbo.Customers"), {QStringLiteral("CustomerID"), QStringLiteral("Name"), QStringLiteral("City")}},
};

// The tables and the terms of the join conditions of a parsed FROM clause,
// each written alone, sorted.
void Collect(const TSQLFromItem *chain, QStringList &tables, QStringList &terms)
{
    auto term = [&terms](const TSQLExpressionItem *expression, auto &&self) -> void {
        const TSQLExpressionItem *bare = ExpressionRemoveBrackets(const_cast<TSQLExpressionItem *>(expression));
        if (const auto *conjunction = As<TSQLExpressionAnd>(bare)) {
            for (qsizetype i = 0; i < conjunction->GetCount(); ++i)
                self(conjunction->GetItems(i), self);
            return;
        }
        terms.append(bare->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr));
    };
    for (qsizetype i = 0; i < chain->GetCount(); ++i) {
        const TSQLFromSource *source = chain->GetItems(i);
        if (const auto *nested = As<TSQLFromItem>(source))
            Collect(nested, tables, terms);
        else
            tables.append(source->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr));
        if (source->JoinCondition)
            term(source->JoinCondition.get(), term);
    }
}

QString Contents(TnvBaseSyntaxProvider *provider, const QString &sql, QString *error)
{
    try {
        TOwned<TSQLSelectStatement> statement = provider->ParseSelect(sql);
        const auto *select = As<TSQLSubQuerySelectExpression>(statement->GetItems(0));
        QStringList tables, terms;
        Collect(select->FromClause.get(), tables, terms);
        tables.sort();
        terms.sort();
        return tables.join(QStringLiteral(", ")) + QStringLiteral(" | ") + terms.join(QStringLiteral(" & "));
    } catch (const Exception &e) {
        *error = e.Message();
        return QString();
    }
}

} // namespace

TEST_F(JoinTest, RandomFromClausesPrintStableAndKeepEveryTableAndCondition)
{
    // NVQB_SEED and NVQB_COUNT run other and longer series by hand.
    const int seed = qEnvironmentVariableIntValue("NVQB_SEED");
    const int count = qEnvironmentVariableIsSet("NVQB_COUNT") ? qEnvironmentVariableIntValue("NVQB_COUNT") : 2000;
    TFromClauseGenerator generator(seed ? unsigned(seed) : 20240611u, Tables);
    int reordered = 0, nested = 0;
    for (int i = 0; i < count; ++i) {
        // Every fourth statement under a dialect that nests joins two at a time.
        p->BinaryJoins = i % 4 == 3;
        const QString input = generator.Statement();
        SCOPED_TRACE(input.toStdString());
        QString error;
        const QString expected = Contents(p, input, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        QString first;
        try {
            first = Load(input);
        } catch (const Exception &e) {
            FAIL() << "loading: " << e.Message().toStdString();
        }
        ASSERT_TRUE(first.startsWith(QStringLiteral("Select * From ")));
        EXPECT_SQL(Contents(p, first, &error), expected) << error.toStdString() << "\n" << first.toStdString();
        QString second;
        try {
            second = Load(first);
        } catch (const Exception &e) {
            FAIL() << "loading again: " << e.Message().toStdString() << "\n" << first.toStdString();
        }
        EXPECT_SQL(second, first);
        if (first != Reprinted(input))
            ++reordered;
        if (first.contains(QStringLiteral("((")) || first.contains(QStringLiteral(", (")))
            ++nested;
        if (HasFailure())
            break;
    }
    // The statements exercise what they are meant to.
    EXPECT_GT(reordered, 200);
    EXPECT_GT(nested, 20);
}

} // namespace nvqb::test
