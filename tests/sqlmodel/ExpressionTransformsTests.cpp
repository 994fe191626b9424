// Condition rewrites: Boolean comparisons, simplification, left expressions.
#include "StatementTestSupport.h"
#include "sqlmodel/sql/ExpressionTransforms.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class ExpressionTransformsTest : public ::testing::Test {
protected:
    TTestSyntaxProvider provider;
    TTestSyntaxProvider *p = &provider;

    TOwned<TSQLExpressionConstant> Keyword(const QString &word)
    {
        auto c = Create<TSQLExpressionConstant>(p);
        c->AddKeyword(word);
        return c;
    }
    TOwned<TSQLExpressionItem> Not(TOwned<TSQLExpressionItem> e) { return Create<TSQLExpressionNot>(p, std::move(e)); }
    TOwned<TSQLExpressionItem> Gt(const QString &column, const QString &value)
    {
        return Bin(p, Col(p, column), ">", Num(p, value));
    }
    static QString Text(const TOwned<TSQLExpressionItem> &e) { return e ? Fast(e.get()) : QStringLiteral("<nil>"); }
};

TEST_F(ExpressionTransformsTest, ComparisonsWithBooleanKeywordsBecomeConditions)
{
    auto orCondition = Logical<TSQLExpressionOr>(p, {Gt("a", "1").release(), Gt("b", "2").release()});
    auto e = TransformExpression(Bin(p, Brackets(p, std::move(orCondition)), "=", Keyword("TRUE")));
    EXPECT_SQL(Text(e), "(a > 1 Or b > 2)");

    e = TransformExpression(Bin(p, Gt("x", "1"), "=", Keyword("false")));
    EXPECT_SQL(Text(e), "Not x > 1");

    // A string 'TRUE', a column that is no condition and another operator stay.
    e = TransformExpression(Bin(p, Gt("x", "1"), "=", Str(p, "TRUE")));
    EXPECT_SQL(Text(e), "x > 1 = 'TRUE'");
    e = TransformExpression(Bin(p, Col(p, "flag"), "=", Keyword("True")));
    EXPECT_SQL(Text(e), "flag = True");
    e = TransformExpression(Bin(p, Gt("x", "1"), "<>", Keyword("True")));
    EXPECT_SQL(Text(e), "x > 1 <> True");

    // At any depth of AND, NOT and brackets.
    auto nested = Logical<TSQLExpressionAnd>(
        p, {Not(Brackets(p, Bin(p, Gt("a", "1"), "=", Keyword("True")))).release(),
            Bin(p, Gt("b", "2"), "=", Keyword("False")).release()});
    e = TransformExpression(std::move(nested));
    EXPECT_SQL(Text(e), "Not (a > 1) And Not b > 2");
}

TEST_F(ExpressionTransformsTest, SimplificationKeepsTheMeaning)
{
    auto e = SimplifyLogicalExpression(Not(Brackets(p, Not(Brackets(p, Col(p, "a"))))));
    EXPECT_SQL(Text(e), "(a)");

    e = SimplifyLogicalExpression(
        Not(Brackets(p, Logical<TSQLExpressionAnd>(p, {Gt("a", "1").release(), Gt("b", "2").release()}))));
    EXPECT_SQL(Text(e), "Not a > 1 Or Not b > 2");

    auto inner = Logical<TSQLExpressionAnd>(
        p, {Gt("b", "2").release(),
            Brackets(p, Logical<TSQLExpressionOr>(p, {Gt("c", "3").release(), Gt("d", "4").release()})).release()});
    e = SimplifyLogicalExpression(Logical<TSQLExpressionAnd>(p, {Gt("a", "1").release(), inner.release()}));
    ASSERT_TRUE(e);
    EXPECT_EQ(static_cast<TSQLExpressionAnd *>(e.get())->GetCount(), 3);
    EXPECT_SQL(Text(e), "a > 1 And b > 2 And (c > 3 Or d > 4)");

    // An OR inside an AND keeps its brackets; an AND inside an OR dissolves
    // only into an AND.
    e = SimplifyLogicalExpression(Logical<TSQLExpressionOr>(
        p, {Gt("a", "1").release(), Logical<TSQLExpressionAnd>(p, {Gt("b", "2").release(), Gt("c", "3").release()}).release()}));
    EXPECT_SQL(Text(e), "a > 1 Or b > 2 And c > 3");

    // A NOT over a plain predicate stays as it is.
    e = SimplifyLogicalExpression(Not(Gt("a", "1")));
    EXPECT_SQL(Text(e), "Not a > 1");
    // Collections that lose every operand become nil.
    e = SimplifyLogicalExpression(
        Logical<TSQLExpressionAnd>(p, {Create<TSQLExpressionAnd>(p).release(), Create<TSQLExpressionOr>(p).release()}));
    EXPECT_FALSE(e);
    EXPECT_FALSE(SimplifyLogicalExpression(nullptr));
}

TEST_F(ExpressionTransformsTest, LeftExpressionsComeOffAndBack)
{
    auto condition = Logical<TSQLExpressionAnd>(p, {Gt("col", "5").release(), Bin(p, Col(p, "COL"), "<", Num(p, "9")).release()});
    auto column = Col(p, "col");
    condition->RemoveLExpression(column.get());
    // Printed as written: the blank asked for after the missing operand stays.
    EXPECT_SQL(Fast(condition.get()), " > 5 And < 9");
    condition->RestoreLExpression(column.get());
    EXPECT_SQL(Fast(condition.get()), "col > 5 And col < 9");
    // Each predicate got its own copy.
    auto *first = static_cast<TSQLExpressionOperation *>(condition->GetItems(0));
    auto *second = static_cast<TSQLExpressionOperation *>(condition->GetItems(1));
    EXPECT_NE(first->Expression.get(), second->Expression.get());
    EXPECT_NE(first->Expression.get(), column.get());

    // The left expression of the first operand; a bare value means value = True.
    TSQLExpressionItem *item = nullptr;
    TOwned<TSQLExpressionItem> e = std::move(condition);
    TSQLExpressionItem *raw = e.get();
    e = raw->FindExpressionItem(std::move(e), item);
    ASSERT_TRUE(item);
    EXPECT_SQL(Fast(item), "col");
    TOwned<TSQLExpressionItem> bare = Not(Col(p, "active"));
    raw = bare.get();
    bare = raw->FindExpressionItem(std::move(bare), item);
    EXPECT_SQL(Fast(bare.get()), "Not active = True");
    EXPECT_SQL(Fast(item), "active");

    EXPECT_TRUE(IsExpressionsEqual(Col(p, "Name").get(), Col(p, "NAME").get()));
    EXPECT_FALSE(IsExpressionsEqual(Col(p, "a").get(), nullptr));
    EXPECT_TRUE(IsExpressionsEqual(nullptr, nullptr));
}

} // namespace
