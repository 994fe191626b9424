// Expressions: predicates, CASE, CAST and types, aggregates, functions, and the
// cosmetic printing of conditions with its new-line levels.
#include "StatementTestSupport.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class ExpressionTest : public ::testing::Test {
protected:
    TTestSyntaxProvider provider;
    TTestSyntaxProvider *p = &provider;
};

TEST_F(ExpressionTest, CaseFormsInBothBuilders)
{
    auto simple = Create<TSQLExpressionCaseFunction>(p);
    simple->CaseOperand.reset(Col(p, "kind"));
    for (QString value : {"1", "2"}) {
        auto when = Create<TSQLCaseFunctionItem>(p);
        when->When.reset(Num(p, value));
        when->Then.reset(Str(p, "k" + value));
        simple->Add(std::move(when));
    }
    simple->ElseValue.reset(Str(p, "other"));
    EXPECT_SQL(Fast(simple.get()), "Case kind When 1 Then 'k1' When 2 Then 'k2' Else 'other' End");
    EXPECT_SQL(Formatted(simple.get()), "Case kind When 1 Then 'k1' When 2 Then 'k2' Else 'other' End");

    auto searched = Create<TSQLExpressionCaseFunction>(p);
    auto when = Create<TSQLCaseFunctionItem>(p);
    when->When.reset(Create<TSQLExpressionIsNull>(p, Col(p, "a")));
    when->Then.reset(Num(p, "0"));
    searched->Add(std::move(when));
    EXPECT_SQL(Fast(searched.get()), "Case When a Is Null Then 0 End");
}

TEST_F(ExpressionTest, CastConvertAndStandardTypeSpellings)
{
    // Fixed spellings keep their own spaces: Double Precision, Numeric(10, 2),
    // Character Varying(20).
    auto doublePrecision = Create<TSQLTypeStandard>(p);
    doublePrecision->AddKeyword("Double");
    doublePrecision->AddKeyword("Precision", true);
    auto numeric = Create<TSQLTypeStandard>(p);
    numeric->AddKeyword("Numeric");
    numeric->AddSymbol("(");
    numeric->AddNumber("10");
    numeric->AddSymbol(",");
    numeric->AddNumber("2", true, 2);
    numeric->AddSymbol(")");
    auto varying = Create<TSQLTypeStandard>(p);
    varying->AddKeyword("Character");
    varying->AddKeyword("Varying", true);
    varying->AddSymbol("(");
    varying->AddNumber("20");
    varying->AddSymbol(")");
    EXPECT_SQL(Fast(doublePrecision.get()), "Double Precision");
    EXPECT_SQL(Fast(numeric.get()), "Numeric(10, 2)");
    EXPECT_SQL(Fast(varying.get()), "Character Varying(20)");

    auto cast = Create<TSQLExpressionCast>(p, Col(p, "price"));
    cast->TargetType.reset(CloneAs(numeric.get()));
    EXPECT_SQL(Fast(cast.get()), "Cast(price As Numeric(10, 2))");
    TSQLBuilder upper;
    upper.SetKeywordFormat(nkfUpperCase);
    EXPECT_SQL(Formatted(cast.get(), upper), "CAST(price AS NUMERIC(10, 2))");

    auto user = Create<TSQLTypeUser>(p);
    user->TypeName.reset(Name(p, "dbo.Money"));
    auto castUser = Create<TSQLExpressionCast>(p, Num(p, "1"));
    castUser->TargetType.reset(std::move(user));
    EXPECT_SQL(Fast(castUser.get()), "Cast(1 As dbo.Money)");

    auto op = Create<TSQLExpressionCastOperator>(p, Col(p, "a"));
    op->TargetType.reset(CloneAs(doublePrecision.get()));
    EXPECT_SQL(Fast(op.get()), "a::Double Precision");
    auto convert = Create<TSQLExpressionConvert>(p, Col(p, "d"));
    convert->TargetType.reset(CloneAs(varying.get()));
    convert->Style.reset(Num(p, "112"));
    EXPECT_SQL(Fast(convert.get()), "Convert(Character Varying(20),d,112)");
}

TEST_F(ExpressionTest, PredicatesAndOperators)
{
    auto values = Create<TSQLExpressionsList>(p);
    values->Add(Num(p, "1"));
    values->Add(Num(p, "2"));
    auto in = Create<TSQLExpressionInSet>(p, Col(p, "a"));
    in->Negated = true;
    in->Values.reset(std::move(values));
    EXPECT_SQL(Fast(in.get()), "a Not In (1, 2)");

    auto between = Create<TSQLExpressionBetween>(p, Col(p, "a"));
    between->Low.reset(Num(p, "1"));
    between->High.reset(Num(p, "9"));
    EXPECT_SQL(Fast(between.get()), "a Between 1 And 9");

    auto like = Create<TSQLExpressionLikeTemplate>(p, Col(p, "name"));
    like->Negated = true;
    like->Pattern.reset(Str(p, "A%"));
    like->Escape.reset(Str(p, "!"));
    EXPECT_SQL(Fast(like.get()), "name Not Like 'A%' Escape '!'");

    auto isNull = Create<TSQLExpressionIsNull>(p, Col(p, "a"));
    isNull->Negated = true;
    EXPECT_SQL(Fast(isNull.get()), "a Is Not Null");

    auto all = Create<TSQLExpressionCompWithSubQuery>(p, Col(p, "x"), ">");
    all->SubQuery.reset(Statement(p, Block(p, {"y"}, "T")));
    EXPECT_SQL(Fast(all.get()), "x > All(Select y From T)");
    auto inQuery = Create<TSQLExpressionInSubQuery>(p, Col(p, "x"));
    inQuery->SubQuery.reset(Statement(p, Block(p, {"y"}, "T")));
    EXPECT_SQL(Fast(inQuery.get()), "x In (Select y From T)");
    auto exists = Create<TSQLExpressionExists>(p);
    exists->SubQuery.reset(Statement(p, Block(p, {"y"}, "T")));
    auto notExists = Create<TSQLExpressionNot>(p, std::move(exists));
    EXPECT_SQL(Fast(notExists.get()), "Not Exists(Select y From T)");

    auto ifExpr = Create<TSQLExpressionIfExpression>(p);
    ifExpr->Condition.reset(Eq(p, "a", "b"));
    ifExpr->ThenValue.reset(Num(p, "1"));
    EXPECT_SQL(Fast(ifExpr.get()), "If a = b Then 1 EndIf");
    auto negative = Bin(p, Col(p, "a"), "*", Create<TSQLExpressionOperatorPrefix>(p, Num(p, "5"), "-"));
    EXPECT_SQL(Fast(negative.get()), "a * -5");
    // A prefix operator is set apart from an operand that would read on
    // into it: "~" into a name or number, "-" into a comment (written
    // alone, its blank in front stays).
    EXPECT_SQL(Fast(Create<TSQLExpressionOperatorPrefix>(p, Col(p, "x"), "~").get()), " ~ x");
    EXPECT_SQL(Fast(Create<TSQLExpressionOperatorPrefix>(p, Num(p, "5"), "~").get()), " ~ 5");
    EXPECT_SQL(Fast(Create<TSQLExpressionOperatorPrefix>(p, Num(p, "-5"), "-").get()), " - -5");
    EXPECT_SQL(Fast(Create<TSQLExpressionOperatorPrefix>(p, Str(p, "x"), "~").get()), " ~'x'");
}

TEST_F(ExpressionTest, AggregatesAndFunctionNames)
{
    auto count = Create<TSQLExpressionAggregate1ParamWPrefix>(p);
    count->FunctionName.reset(Name(p, "count"));
    count->Argument.reset(Col(p, "x"));
    count->ParamPrefix = ppDistinct;
    EXPECT_SQL(Fast(count.get()), "Count(Distinct x)");
    auto user = Create<TSQLExpressionAggregate>(p);
    user->FunctionName.reset(Name(p, "my agg"));
    // Not an aggregate of the dialect: written as it is, quoted as needed.
    EXPECT_SQL(Fast(user.get()), "\"MY AGG\"(*)");

    auto function = Create<TSQLFunction>(p);
    function->FunctionName.reset(Name(p, "dbo.f"));
    function->Add(Num(p, "1"));
    function->Add(Str(p, "x"));
    auto call = Create<TSQLExpressionFunction>(p);
    call->Function.reset(std::move(function));
    EXPECT_SQL(Fast(call.get()), "dbo.f(1, 'x')");
    // A longer name follows the builder's quotation, a one-part one only when needed.
    EXPECT_SQL(Fast(call.get(), icAll), "\"DBO\".\"F\"(1, 'x')");
    auto single = Create<TSQLFunction>(p);
    single->FunctionName.reset(Name(p, "f"));
    EXPECT_SQL(Fast(single.get(), icAll), "f()");

    // Standard functions named by keywords: the name is a keyword, never
    // quoted, and the special forms write their words between the arguments.
    auto keyword = Create<TSQLFunctionKeyword>(p);
    keyword->FunctionName.reset(Name(p, "CHAR_LENGTH"));
    keyword->Add(Col(p, "x"));
    EXPECT_SQL(Fast(keyword.get(), icAll), "Char_Length(\"X\")");
    auto trim = Create<TSQLFunctionTrim>(p);
    trim->Add(Col(p, "x"));
    EXPECT_SQL(Fast(trim.get()), "Trim(x)");
    trim->FromWritten = true;
    EXPECT_SQL(Fast(trim.get()), "Trim(From x)");
    trim->FromWritten = false;
    trim->Side = ttsTrailing;
    EXPECT_SQL(Fast(trim.get()), "Trim(Trailing From x)");
    trim->Insert(0, Str(p, " "));
    EXPECT_SQL(Fast(trim.get()), "Trim(Trailing ' ' From x)");
    auto position = Create<TSQLFunctionPosition>(p);
    position->Add(Str(p, "a"));
    position->Add(Col(p, "x"));
    EXPECT_SQL(Fast(position.get()), "Position('a' In x)");
    auto extract = Create<TSQLFunctionExtract>(p);
    extract->Field = dtfTimezoneHour;
    extract->Add(Col(p, "d"));
    EXPECT_SQL(Fast(extract.get()), "Extract(Timezone_Hour From d)");
}

TEST_F(ExpressionTest, IsLogicalTellsConditionsFromValues)
{
    EXPECT_TRUE(Eq(p, "a", "b")->IsLogical());
    EXPECT_FALSE(Bin(p, Col(p, "a"), "+", Num(p, "1"))->IsLogical());
    EXPECT_TRUE(Create<TSQLExpressionIsNull>(p)->IsLogical());
    EXPECT_TRUE(Create<TSQLExpressionNot>(p)->IsLogical());
    EXPECT_TRUE(Create<TSQLExpressionOr>(p)->IsLogical());
    EXPECT_TRUE(Create<TSQLExpressionExists>(p)->IsLogical());
    EXPECT_FALSE(Create<TSQLExpressionBetween>(p)->IsLogical());
    EXPECT_FALSE(Create<TSQLExpressionBrackets>(p, Eq(p, "a", "b"))->IsLogical());
    auto noProvider = Create<TSQLExpressionOperatorBinary>(nullptr, "=");
    EXPECT_THROW(noProvider->IsLogical(), EAssertionFailed);
}

// a = 1 Or (b = 2 And c = 3) as a WHERE under each new-line rule.
class CosmeticTest : public ExpressionTest {
protected:
    QString Where(TSQLBuilderConditionFormatNL rule, int indent = 2)
    {
        auto block = Block(p, {"x"}, "T");
        block->WhereClause.reset(Logical<TSQLExpressionOr>(
            p, {Bin(p, Col(p, "a"), "=", Num(p, "1")).release(),
                Brackets(p, Logical<TSQLExpressionAnd>(p, {Bin(p, Col(p, "b"), "=", Num(p, "2")).release(),
                                                          Bin(p, Col(p, "c"), "=", Num(p, "3")).release()}))
                    .release()}));
        TSQLBuilder builder;
        builder.MainQueryFormat()->WhereFormat()->SetNewLineAfter(rule);
        builder.MainQueryFormat()->WhereFormat()->SetIndentNestedConditions(indent);
        return Formatted(block.get(), builder);
    }
};

TEST_F(CosmeticTest, NewLinesAfterAndOrFollowTheRuleAndLevel)
{
    EXPECT_SQL(Where(nlNone), "Select x\nFrom T\nWhere a = 1 Or (b = 2 And c = 3)");
    EXPECT_SQL(Where(nlTopmostOr), "Select x\nFrom T\nWhere a = 1 Or\n  (b = 2 And c = 3)");
    EXPECT_SQL(Where(nlTopmostLogical), "Select x\nFrom T\nWhere a = 1 Or\n  (b = 2 And c = 3)");
    EXPECT_SQL(Where(nlAllLogical), "Select x\nFrom T\nWhere a = 1 Or\n  (b = 2 And\n    c = 3)");
    EXPECT_SQL(Where(nlAllLogical, 0), "Select x\nFrom T\nWhere a = 1 Or\n  (b = 2 And\n  c = 3)");
}

TEST_F(CosmeticTest, TopmostAndBreaksOnlyAtLevelZero)
{
    auto block = Block(p, {"x"}, "T");
    block->WhereClause.reset(Logical<TSQLExpressionAnd>(p, {Eq(p, "a", "b").release(), Eq(p, "c", "d").release()}));
    TSQLBuilder builder;
    builder.MainQueryFormat()->WhereFormat()->SetNewLineAfter(nlTopmostOr);
    EXPECT_SQL(Formatted(block.get(), builder), "Select x\nFrom T\nWhere a = b And c = d");
    builder.MainQueryFormat()->WhereFormat()->SetNewLineAfter(nlTopmostLogical);
    EXPECT_SQL(Formatted(block.get(), builder), "Select x\nFrom T\nWhere a = b And\n  c = d");
}

} // namespace
