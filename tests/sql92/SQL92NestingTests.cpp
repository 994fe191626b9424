// Brackets and nested sub-queries: the shapes where the first parser pass
// reaches the same rule at the same token by many routes. They must parse
// (or fail) with work that grows with the text alone, build the same trees
// as a plain run of every route would, and still stop at the nesting limit.
//
// The work of a parse is counted, not timed: the way points the first pass
// hands out, which are the same on any machine. A parse that retraces the
// routes again for every bracket hands out exponentially many; the time
// these shapes take is measured by bench/run-parser-shapes-bench.sh.
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <gtest/gtest.h>

using namespace nvqb;

namespace {

std::string Std(const QString &text) { return text.toStdString(); }

bool PoolsAreFull()
{
    return WayPointCache().FreeCount() == WayPointCache().TotalCount() &&
           WayPointListCache().FreeCount() == WayPointListCache().TotalCount();
}

// A generous bound on the way points per character of text: the shapes
// below take from 2 to 7 now, and took millions per character for the
// deeper nestings when every route ran on its own.
constexpr qint64 WorkPerCharacter = 20;

// The way points handed out since the last call of this function (on this thread).
qint64 WorkSinceLast()
{
    static qint64 last = 0;
    const qint64 now = WayPointCache().HandedOutCount();
    const qint64 work = now - last;
    last = now;
    return work;
}

// L levels of B brackets (ten unless told), each level holding the next SELECT.
QString NestedSubQueries(int levels, int brackets = 10)
{
    if (levels == 0)
        return QStringLiteral("SELECT a FROM t WHERE x = 1");
    return QStringLiteral("SELECT a FROM t WHERE ") + QString(brackets, u'(') +
           NestedSubQueries(levels - 1, brackets) + QStringLiteral(") = 1") + QString(brackets - 1, u')');
}

// The text as the parser prints it back: keywords in their fixed spelling.
QString Printed(QString text)
{
    return text.replace(QStringLiteral("SELECT"), QStringLiteral("Select"))
        .replace(QStringLiteral("FROM"), QStringLiteral("From"))
        .replace(QStringLiteral("WHERE"), QStringLiteral("Where"));
}

QString Bracketed(int depth)
{
    return QStringLiteral("SELECT a FROM t WHERE ") + QString(depth, u'(') + QStringLiteral("a = 1") +
           QString(depth, u')');
}

// The classes of the tree's nodes, each followed by its children in brackets;
// a select block of one column from one table shows as BLOCK.
void TreeOf(const TastNodeBase *node, QString &out)
{
    out += node->ClassName();
    TastNodesList children;
    node->GetMyChildren(children);
    if (children.isEmpty())
        return;
    out += u'(';
    for (qsizetype i = 0; i < children.size(); ++i) {
        if (i)
            out += u' ';
        TreeOf(children[i], out);
    }
    out += u')';
}

class SQL92Nesting : public ::testing::Test {
protected:
    TnvSQL92SyntaxProvider Provider;

    QString Print(const QString &text)
    {
        TOwned<TSQLSelectStatement> statement = Provider.ParseSelect(text);
        return statement->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr);
    }
    // The first pass's work on the text, run now.
    qint64 Work(const QString &text)
    {
        WorkSinceLast();
        try {
            Provider.ParseSelect(text);
        } catch (const EnvSQLError &) {
        }
        return WorkSinceLast();
    }
    // Parses, checks the work and the pools, and returns the printed text.
    QString CheckedPrint(const QString &text)
    {
        WorkSinceLast();
        const QString printed = Print(text);
        EXPECT_LE(WorkSinceLast(), WorkPerCharacter * text.size()) << Std(text);
        EXPECT_TRUE(PoolsAreFull()) << Std(text);
        return printed;
    }
    // The error a text that does not parse raises, checked the same way.
    EnvSQLError CheckedError(const QString &text)
    {
        WorkSinceLast();
        try {
            Provider.ParseSelect(text);
        } catch (const EnvSQLError &e) {
            EXPECT_LE(WorkSinceLast(), WorkPerCharacter * text.size()) << Std(text);
            EXPECT_TRUE(PoolsAreFull()) << Std(text);
            return e;
        }
        ADD_FAILURE() << "parsed: " << Std(text);
        throw std::logic_error("parsed");
    }
    QString Tree(const char *text)
    {
        TOwned<TSQLSelectStatement> statement = Provider.ParseSelect(QString::fromUtf8(text));
        QString tree;
        TreeOf(statement.get(), tree);
        tree.replace(QStringLiteral("TSQLSubQuerySelectExpression(TSQLSelectItems(TSQLSelectItemExpression("
                                    "TSQLExpressionColumn(TSQLObjectColumn(TastTokenIdentifier)))) TSQLFromClause("
                                    "TSQLFromObject(TSQLDatabaseObject(TastTokenIdentifier))))"),
                     QStringLiteral("BLOCK"));
        EXPECT_TRUE(PoolsAreFull()) << text;
        return tree;
    }
};

} // namespace

TEST_F(SQL92Nesting, BracketsAroundNestedSubQueriesParseInLinearWork)
{
    // Twice the levels, at most about twice the work (the statement around
    // them stays): whole, cut short and with a fault in the innermost
    // condition. Small shapes first, so that a parse that has become
    // exponential fails here rather than running on into the large ones.
    for (int brackets : {3, 10}) {
        qint64 before[3] = {};
        for (int levels = 1; levels <= 16; levels *= 2) {
            SCOPED_TRACE(testing::Message() << levels << " levels of " << brackets << " brackets");
            const QString text = NestedSubQueries(levels, brackets);
            QString faulty = text;
            faulty.replace(QStringLiteral("x = 1)"), QStringLiteral("x = = 1)"));
            const qint64 work[3] = {Work(text), Work(text.left(text.size() - 1)), Work(faulty)};
            for (int i = 0; i < 3; ++i) {
                if (before[i]) {
                    ASSERT_LE(work[i], before[i] * 5 / 2) << "form " << i << ", half the levels: " << before[i];
                }
                before[i] = work[i];
            }
        }
    }

    const QString statement = QStringLiteral(
        "SELECT a FROM t WHERE ((((((((((SELECT a FROM t WHERE ((((((((((SELECT a FROM t WHERE ((((((((((SELECT a "
        "FROM t WHERE ((((((((((SELECT a FROM t WHERE x = 1) = 1)))))))))) = 1)))))))))) = 1)))))))))) = 1)))))))))");
    ASSERT_EQ(statement.size(), 211);
    ASSERT_EQ(Std(statement), Std(NestedSubQueries(4)));
    EXPECT_EQ(Std(CheckedPrint(statement)), Std(Printed(statement)));

    // Cut off before its end: the missing bracket is reported at the end.
    const EnvSQLError error = CheckedError(statement.left(210));
    EXPECT_EQ(Std(error.TokenText()), "EOF");
    EXPECT_EQ(error.TokenLine(), 1);
    EXPECT_EQ(error.TokenColumn(), 211);

    // Deeper nestings, whole and cut short.
    for (int levels : {6, 10, 15}) {
        const QString text = NestedSubQueries(levels);
        SCOPED_TRACE(levels);
        const QString printed = CheckedPrint(text);
        EXPECT_EQ(Std(printed), Std(Printed(text)));
        EXPECT_EQ(Std(CheckedPrint(printed)), Std(printed));
        EXPECT_EQ(CheckedError(text.left(text.size() - 1)).TokenColumn(), text.size());
        // A fault in the innermost condition is named where it is.
        QString faulty = text;
        faulty.replace(QStringLiteral("x = 1)"), QStringLiteral("x = = 1)"));
        EXPECT_EQ(CheckedError(faulty).TokenColumn(), text.indexOf(QStringLiteral("x = 1)")) + 5);
    }
}

TEST_F(SQL92Nesting, BracketDepthUpToTheLimit)
{
    // Twice the brackets, at most about twice the work.
    qint64 before = 0;
    for (int depth = 6; depth <= TnvBaseParser::MaxNestingDepth; depth *= 2) {
        const qint64 work = Work(Bracketed(depth));
        if (before) {
            ASSERT_LE(work, before * 5 / 2) << depth << " brackets; half as many: " << before;
        }
        before = work;
    }
    for (int depth : {10, 100, 199}) {
        SCOPED_TRACE(depth);
        EXPECT_EQ(Std(CheckedPrint(Bracketed(depth))), Std(Printed(Bracketed(depth))));
    }
    // One level beyond the limit names the bracket that opened it.
    const EnvSQLError error = CheckedError(Bracketed(TnvBaseParser::MaxNestingDepth + 1));
    EXPECT_TRUE(error.Message().startsWith(QStringLiteral("The statement is nested too deeply."))) << Std(error.Message());
    EXPECT_EQ(Std(error.TokenText()), "(");
    EXPECT_EQ(error.TokenColumn(), 22 + TnvBaseParser::MaxNestingDepth + 1);
    // Far beyond it, and sub-queries nested beyond it, are refused as well.
    EXPECT_TRUE(CheckedError(Bracketed(5000)).Message().startsWith(QStringLiteral("The statement is nested too deeply.")));
    QString queries = QStringLiteral("SELECT a FROM t");
    for (int i = 0; i < TnvBaseParser::MaxNestingDepth + 1; ++i)
        queries = QStringLiteral("SELECT a FROM t WHERE a IN (") + queries + u')';
    EXPECT_TRUE(CheckedError(queries).Message().startsWith(QStringLiteral("The statement is nested too deeply.")));
}

TEST_F(SQL92Nesting, AmbiguousBracketsBuildTheSameTrees)
{
    // Where brackets may belong to a condition, an expression or a query,
    // the first route in the grammar's order wins.
    EXPECT_EQ(Std(Tree("SELECT a FROM t WHERE ((SELECT a FROM t)) = 1")),
              "TSQLSelectStatement(TSQLSubQuerySelectExpression(TSQLSelectItems(TSQLSelectItemExpression("
              "TSQLExpressionColumn(TSQLObjectColumn(TastTokenIdentifier)))) TSQLFromClause(TSQLFromObject("
              "TSQLDatabaseObject(TastTokenIdentifier))) TSQLExpressionOperatorBinary(TSQLExpressionBrackets("
              "TSQLExpressionSelect(TSQLSubSelectStatement(BLOCK))) TSQLOperator "
              "TSQLExpressionConstant(TastTokenNumber))))");
    EXPECT_EQ(Std(Tree("SELECT a FROM t WHERE ((a) = (1))")),
              "TSQLSelectStatement(TSQLSubQuerySelectExpression(TSQLSelectItems(TSQLSelectItemExpression("
              "TSQLExpressionColumn(TSQLObjectColumn(TastTokenIdentifier)))) TSQLFromClause(TSQLFromObject("
              "TSQLDatabaseObject(TastTokenIdentifier))) TSQLExpressionBrackets(TSQLExpressionOperatorBinary("
              "TSQLExpressionBrackets(TSQLExpressionColumn(TSQLObjectColumn(TastTokenIdentifier))) TSQLOperator "
              "TSQLExpressionBrackets(TSQLExpressionConstant(TastTokenNumber))))))");
    EXPECT_EQ(Std(Tree("((SELECT a FROM t)) UNION ((SELECT b FROM u))")),
              "TSQLSelectStatement(TSQLSubQueryExpressions(TSQLSubQueryExpressions(BLOCK)) "
              "TSQLSubQueryExpressions(TSQLSubQueryExpressions(BLOCK)))");
    EXPECT_EQ(Std(Tree("SELECT a FROM ((SELECT a FROM t)) x WHERE a IN ((SELECT b FROM u))")),
              "TSQLSelectStatement(TSQLSubQuerySelectExpression(TSQLSelectItems(TSQLSelectItemExpression("
              "TSQLExpressionColumn(TSQLObjectColumn(TastTokenIdentifier)))) TSQLFromClause(TSQLFromQuery("
              "TSQLAliasObjectAlias(TastTokenIdentifier) TSQLSubSelectStatement(TSQLSubQueryExpressions(BLOCK)))) "
              "TSQLExpressionInSubQuery(TSQLExpressionColumn(TSQLObjectColumn(TastTokenIdentifier)) "
              "TSQLSubSelectStatement(TSQLSubQueryExpressions(BLOCK)))))");
}

TEST_F(SQL92Nesting, BracketsHoldingConditionWordsAreStillTriedAsOperands)
{
    // The first pass does not try a bracket as an operand when it can only
    // hold a condition. A condition word inside CASE, inside a sub-query or
    // inside an inner bracket does not make it so.
    struct Printing {
        const char *Text;
        const char *Printed;
    };
    for (const Printing &c :
         {Printing{"SELECT a FROM t WHERE ((CASE WHEN a = 1 THEN 2 END)) = 2",
                   "Select a From t Where ((Case When a = 1 Then 2 End)) = 2"},
          Printing{"SELECT a FROM t WHERE ((SELECT a FROM t WHERE a = 1)) = 1",
                   "Select a From t Where ((Select a From t Where a = 1)) = 1"},
          Printing{"SELECT a FROM t WHERE ((a) IN (1, 2)) AND (((b) + 1)) = ((c) * 2)",
                   "Select a From t Where ((a) In (1, 2)) And (((b) + 1)) = ((c) * 2)"},
          Printing{"SELECT a FROM t WHERE (((a = 1) OR (b IN (1, 2)))) AND NOT ((c) IS NULL)",
                   "Select a From t Where (((a = 1) Or (b In (1, 2)))) And Not ((c) Is Null)"}})
        EXPECT_EQ(Std(CheckedPrint(QString::fromUtf8(c.Text))), c.Printed);
    // Where no route reaches the end, the error names the same token as
    // when every route was tried: the farthest any of them read.
    struct Case {
        const char *Text;
        const char *Token;
        int Column;
    };
    for (const Case &c : {Case{"SELECT a FROM t WHERE ((a = 1) + 1) = 2", "+", 32},
                          Case{"SELECT a FROM t WHERE ((a + b) AND c = 1)", "AND", 32},
                          Case{"SELECT a FROM t WHERE (((a = 1)) = 2)", "=", 34},
                          Case{"SELECT a FROM t WHERE ((((a = 1)))))", ")", 36},
                          Case{"SELECT a FROM t WHERE ((((a = ))))", ")", 31},
                          Case{"SELECT a FROM t WHERE ((((SELECT a FROM t WHERE x = )))) = 1", ")", 53}}) {
        SCOPED_TRACE(c.Text);
        const EnvSQLError error = CheckedError(QString::fromUtf8(c.Text));
        EXPECT_EQ(Std(error.TokenText()), c.Token);
        EXPECT_EQ(error.TokenColumn(), c.Column);
    }
}
