#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/providers/ProviderRegistries.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QFile>
#include <QThread>
#include <memory>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

std::string Std(const QString &text) { return text.toStdString(); }

// Every way point and list is back in its pool.
bool PoolsAreFull()
{
    return WayPointCache().FreeCount() == WayPointCache().TotalCount() &&
           WayPointListCache().FreeCount() == WayPointListCache().TotalCount();
}

// Runs `body` where the deepest nesting the parser accepts fits on the stack:
// an address-sanitizer build takes many times the stack per grammar level
// that a release build does (200 nested sub-queries need more than 8 MB
// there, under 1 MB in release), so there it runs on a thread of its own.
template <class Body> void WithParserStack(Body body)
{
#if defined(__SANITIZE_ADDRESS__)
    std::unique_ptr<QThread> thread(QThread::create(std::move(body)));
    thread->setStackSize(256u << 20);
    thread->start();
    thread->wait();
#else
    body();
#endif
}

class SQL92Parsing : public ::testing::Test {
protected:
    TnvSQL92SyntaxProvider Provider;

    QString Print(const TastNode *node) { return node->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr); }
    QString RoundTrip(const QString &text)
    {
        TOwned<TSQLSelectStatement> statement = Provider.ParseSelect(text);
        EXPECT_TRUE(PoolsAreFull()) << Std(text);
        return Print(statement.get());
    }
    // The text must print as expected, and that print must parse and print the same.
    void ExpectPrints(const char *text, const char *expected)
    {
        SCOPED_TRACE(text);
        const QString printed = RoundTrip(QString::fromUtf8(text));
        EXPECT_EQ(Std(printed), expected);
        EXPECT_EQ(Std(RoundTrip(printed)), expected);
    }
    // The tree as its node classes in walk order, each identifier with its
    // text: equal shapes mean the same statement (in this dialect names are
    // equal without regard to case, so neither case nor flag matters).
    static QStringList Shape(const TastNodeBase *root)
    {
        TastNodesList all;
        root->GetMyChildrenRecursive(all);
        QStringList result;
        for (const TastNodeBase *node : all) {
            QString item = node->ClassName();
            if (const auto *id = As<TastTokenIdentifier>(node))
                item += u'[' + id->Text().toLower() + u']';
            result << item;
        }
        return result;
    }
    // The text prints as expected, and that print reads back as the same
    // tree with the same names and prints the same again.
    void ExpectSameMeaning(const char *text, const char *expected)
    {
        SCOPED_TRACE(text);
        TOwned<TSQLSelectStatement> first = Provider.ParseSelect(QString::fromUtf8(text));
        const QString printed = Print(first.get());
        EXPECT_EQ(Std(printed), expected);
        TOwned<TSQLSelectStatement> again = Provider.ParseSelect(printed);
        EXPECT_EQ(Std(Shape(again.get()).join(u' ')), Std(Shape(first.get()).join(u' ')));
        EXPECT_EQ(Std(Print(again.get())), Std(printed));
    }
    // The text is refused naming the token at `column`.
    void ExpectRefusedAt(const char *text, const char *token, int column)
    {
        SCOPED_TRACE(text);
        try {
            Provider.ParseSelect(QString::fromUtf8(text));
            ADD_FAILURE() << "parsed";
        } catch (const EnvSQLError &e) {
            EXPECT_EQ(Std(e.TokenText()), token);
            EXPECT_EQ(e.TokenColumn(), column);
        }
        EXPECT_TRUE(PoolsAreFull());
    }
    TOwned<TSQLSubQuerySelectExpression> Block(const char *text)
    {
        TOwned<TSQLSelectStatement> statement = Provider.ParseSelect(QString::fromUtf8(text));
        return TOwned<TSQLSubQuerySelectExpression>(
            static_cast<TSQLSubQuerySelectExpression *>(statement->Extract(qsizetype(0)).release()));
    }
};

} // namespace

TEST_F(SQL92Parsing, StatementShapesPrintAndParseAgain)
{
    ExpectPrints("SELECT a FROM t;", "Select a From t");
    ExpectPrints("SELECT FROM t", "Select From t");
    // An empty FROM list prints no keyword: no server takes one followed by nothing.
    ExpectPrints("SELECT a FROM", "Select a");
    ExpectPrints("select all a, b as bb, c cc, x = 1 + 2 from t", "Select All a, b As bb, c cc, x = 1 + 2 From t");
    ExpectPrints("SELECT DISTINCT t.*, * FROM t", "Select Distinct t.*, * From t");
    ExpectPrints("SELECT a 'Total Sales', b \"it\"\"s\" FROM t", "Select a \"Total Sales\", b \"it\"\"s\" From t");
    ExpectPrints("SELECT * FROM (SELECT a FROM t) x", "Select * From (Select a From t) x");
    ExpectPrints("SELECT a, count(*) FROM t GROUP BY a HAVING count(*) > 1 ORDER BY 2 DESC, a ASC, b",
                 "Select a, Count(*) From t Group By a Having Count(*) > 1 Order By 2 Desc, a, b");
}

TEST_F(SQL92Parsing, JoinsNestedChainsAndOuterJoins)
{
    ExpectPrints("SELECT * FROM t1 LEFT OUTER JOIN t2 ON t1.id = t2.id RIGHT JOIN t3 ON t3.id = t2.id "
                 "FULL OUTER JOIN t4 ON t4.id = t1.id",
                 "Select * From t1 Left Outer Join t2 On t1.id = t2.id Right Join t3 On t3.id = t2.id "
                 "Full Outer Join t4 On t4.id = t1.id");
    ExpectPrints("SELECT * FROM t1 JOIN t2 JOIN t3 ON t2.x = t3.x ON t1.y = t2.y CROSS JOIN t4, t5",
                 "Select * From t1 Inner Join (t2 Inner Join t3 On t2.x = t3.x) On t1.y = t2.y Cross Join t4, t5");
    ExpectPrints("SELECT * FROM (t1 INNER JOIN t2 ON t1.a = t2.a), t3", "Select * From (t1 Inner Join t2 On t1.a = t2.a), t3");
    ExpectPrints("SELECT * FROM f(1, 'a') fx, g() AS gx", "Select * From f(1, 'a') fx, g() As gx");

    TOwned<TSQLSubQuerySelectExpression> block = Block("SELECT a FROM t1 LEFT OUTER JOIN t2 ON t1.id = t2.id");
    TSQLFromClause *from = block->FromClause.get();
    ASSERT_EQ(from->GetCount(), 2);
    EXPECT_EQ(from->GetItems(0)->JoinKind.get(), nullptr);
    auto *left = As<TSQLJoinKindLeft>(from->GetItems(1)->JoinKind.get());
    ASSERT_NE(left, nullptr);
    EXPECT_TRUE(left->Outer);
    block = Block("SELECT a FROM t1 JOIN t2 ON t1.id = t2.id");
    EXPECT_NE(As<TSQLJoinKindInner>(block->FromClause->GetItems(1)->JoinKind.get()), nullptr);
    // A derived table needs its alias.
    EXPECT_THROW(Provider.ParseSelect(QStringLiteral("SELECT * FROM (SELECT a FROM t)")), EnvSQLError);
}

TEST_F(SQL92Parsing, UnionsWithAllAndBrackets)
{
    ExpectPrints("SELECT a FROM t UNION ALL SELECT b FROM u", "Select a From t Union All Select b From u");
    ExpectPrints("(SELECT a FROM t) UNION (SELECT b FROM u EXCEPT SELECT c FROM v) ORDER BY 1 DESC",
                 "(Select a From t) Union (Select b From u Except Select c From v) Order By 1 Desc");
    ExpectPrints("SELECT a FROM t intersect all (SELECT a FROM u)", "Select a From t Intersect All (Select a From u)");

    TOwned<TSQLSelectStatement> statement = Provider.ParseSelect(QStringLiteral("SELECT a FROM t Union ALL SELECT b FROM u"));
    ASSERT_EQ(statement->GetCount(), 2);
    EXPECT_EQ(Std(statement->GetItems(1)->UnionOperator), "Union");
    EXPECT_TRUE(statement->GetItems(1)->UnionAll);
    EXPECT_FALSE(statement->GetItems(0)->UnionAll);
}

TEST_F(SQL92Parsing, Predicates)
{
    ExpectPrints("SELECT a FROM t WHERE a IN (1, 2, 3) AND b NOT IN (SELECT b FROM u) AND c BETWEEN 1 AND 2 "
                 "AND d NOT LIKE 'x%' ESCAPE '\\' AND e IS NOT NULL AND f IS NULL",
                 "Select a From t Where a In (1, 2, 3) And b Not In (Select b From u) And c Between 1 And 2 "
                 "And d Not Like 'x%' Escape '\\' And e Is Not Null And f Is Null");
    ExpectPrints("SELECT a FROM t WHERE f > ALL (SELECT f FROM u) OR g = SOME (SELECT g FROM u) OR "
                 "h <> ANY (SELECT h FROM u) OR EXISTS (SELECT * FROM u) OR NOT EXISTS (SELECT * FROM v)",
                 "Select a From t Where f > All(Select f From u) Or g = Some(Select g From u) Or "
                 "h <> Any(Select h From u) Or Exists(Select * From u) Or Not Exists(Select * From v)");
    ExpectPrints("SELECT a FROM t WHERE a != 1 AND b !< 2 AND c !> 3 AND (d <= 4 OR e >= 5)",
                 "Select a From t Where a != 1 And b !< 2 And c !> 3 And (d <= 4 Or e >= 5)");

    TOwned<TSQLSubQuerySelectExpression> block = Block("SELECT a FROM t WHERE NOT a = 1");
    auto *negation = As<TSQLExpressionNot>(block->WhereClause.get());
    ASSERT_NE(negation, nullptr);
    EXPECT_NE(As<TSQLExpressionOperatorBinary>(negation->Expression.get()), nullptr);
    block = Block("SELECT a FROM t WHERE a = 1 OR b = 2 OR c = 3");
    auto *disjunction = As<TSQLExpressionOr>(block->WhereClause.get());
    ASSERT_NE(disjunction, nullptr);
    EXPECT_EQ(disjunction->GetCount(), 3);
}

TEST_F(SQL92Parsing, ExpressionsCaseCastAndParameters)
{
    ExpectPrints("SELECT CASE a WHEN 1 THEN 'x' WHEN 2 THEN 'y' ELSE 'z' END, CASE WHEN a > 1 AND b < 2 THEN 1 END FROM t",
                 "Select Case a When 1 Then 'x' When 2 Then 'y' Else 'z' End, Case When a > 1 And b < 2 Then 1 End From t");
    ExpectPrints("SELECT CAST(a AS NATIONAL CHARACTER VARYING(10)), CAST(b AS double precision), CAST(c AS int), "
                 "CAST(d AS DECIMAL(10, 2)), CAST(e AS time(3) WITH TIME ZONE), CAST(f AS INTERVAL YEAR(2) TO MONTH), "
                 "CAST(g AS INTERVAL SECOND(4, 2)), CAST(h AS FLOAT(5)), CAST(i AS NCHAR VARYING), CAST(j AS s.usertype) FROM t",
                 "Select Cast(a As National Character Varying(10)), Cast(b As Double Precision), Cast(c As Int), "
                 "Cast(d As Decimal(10,2)), Cast(e As Time(3) With Time Zone), Cast(f As Interval Year(2) To Month), "
                 "Cast(g As Interval Second(4,2)), Cast(h As float(5)), Cast(i As NChar Varying), Cast(j As s.usertype) From t");
    ExpectPrints("SELECT a FROM t WHERE a = ? AND b = ?1 AND c = :name AND d = :2",
                 "Select a From t Where a = ? And b = ?1 And c = :name And d = :2");
    ExpectPrints("SELECT -a, +b, ~c, a || b, a * b / c % d, (a + b) * c, (SELECT max(x) FROM u) FROM t",
                 "Select -a, +b, ~c, a || b, a * b / c % d, (a + b) * c, (Select Max(x) From u) From t");
    ExpectPrints("SELECT null, CURRENT_TIMESTAMP, current_user, session_user, SYSTEM_USER, 0x1F, 1.5E3, "
                 "{d '2001-02-03'}, 'it''s' FROM t",
                 "Select Null, Current_TimeStamp, Current_User, Session_User, system_user, 0x1F, 1.5E3, "
                 "{d '2001-02-03'}, 'it''s' From t");
    ExpectPrints("SELECT SUBSTRING(a FROM 2 FOR 3), substring(b from 1) FROM t",
                 "Select Substring(a FROM 2 FOR 3), Substring(b FROM 1) From t");
    // count is a column by itself and an aggregate before its bracket.
    ExpectPrints("SELECT count, count(*), COUNT(DISTINCT a), sum(ALL b), avg(c) FROM t",
                 "Select count, Count(*), Count(Distinct a), Sum(b), Avg(c) From t");

    TOwned<TSQLExpressionItem> call = Provider.ParseExpression(QStringLiteral("SUBSTRING(a FROM 2 FOR 3)"));
    auto *function = As<TSQLExpressionFunction>(call.get());
    ASSERT_NE(function, nullptr);
    EXPECT_NE(As<TSQLFunctionSubString>(function->Function.get()), nullptr);
    EXPECT_EQ(function->Function->GetCount(), 3);
}

TEST_F(SQL92Parsing, StandardFunctionsNamedByKeywordsReadAndPrintInTheirOwnForms)
{
    ExpectSameMeaning("SELECT upper(city), LOWER(c.name), coalesce(a, 0), Coalesce(a, b, 1), nullif(a, ''), "
                      "char_length(a), CHARACTER_LENGTH(a), octet_length(a), bit_length(a) FROM t",
                      "Select Upper(city), Lower(c.name), Coalesce(a, 0), Coalesce(a, b, 1), Nullif(a, ''), "
                      "Char_Length(a), Character_Length(a), Octet_Length(a), Bit_Length(a) From t");
    ExpectSameMeaning("SELECT trim(both ' ' from a), TRIM(LEADING FROM a), trim(trailing 'x' from a || b), trim(a), "
                      "trim(from a), trim('x' from a) FROM t",
                      "Select Trim(Both ' ' From a), Trim(Leading From a), Trim(Trailing 'x' From a || b), Trim(a), "
                      "Trim(From a), Trim('x' From a) From t");
    ExpectSameMeaning("SELECT position('x' in a), POSITION(a || 'y' IN upper(b)), extract(year from d), "
                      "EXTRACT(Timezone_Minute FROM d), extract(second from current_timestamp) FROM t",
                      "Select Position('x' In a), Position(a || 'y' In Upper(b)), Extract(Year From d), "
                      "Extract(Timezone_Minute From d), Extract(Second From Current_TimeStamp) From t");
    ExpectSameMeaning("SELECT current_date, CURRENT_TIME, current_timestamp, current_user, session_user, system_user, "
                      "user FROM t",
                      "Select Current_Date, Current_Time, Current_TimeStamp, Current_User, Session_User, system_user, "
                      "User From t");
    // In every place an expression or a function goes.
    ExpectSameMeaning("SELECT a FROM t WHERE upper(a) = upper(:p) AND position('x' in a) > 0 AND "
                      "d < current_date GROUP BY lower(a) HAVING count(*) > char_length(a) ORDER BY extract(day from d)",
                      "Select a From t Where Upper(a) = Upper(:p) And Position('x' In a) > 0 And "
                      "d < Current_Date Group By Lower(a) Having Count(*) > Char_Length(a) Order By Extract(Day From d)");
    ExpectSameMeaning("SELECT * FROM upper('x') u", "Select * From Upper('x') u");

    // The nodes: the name as written, the special forms' parts in order.
    TOwned<TSQLExpressionItem> call = Provider.ParseExpression(QStringLiteral("TRIM(both 'x' FROM a)"));
    auto *trim = As<TSQLFunctionTrim>(As<TSQLExpressionFunction>(call.get())->Function.get());
    ASSERT_NE(trim, nullptr);
    EXPECT_EQ(trim->Side, ttsBoth);
    EXPECT_EQ(trim->GetCount(), 2);
    EXPECT_EQ(Std(trim->FunctionName->GetItems(0)->Text()), "TRIM");
    call = Provider.ParseExpression(QStringLiteral("extract(minute from d)"));
    auto *extract = As<TSQLFunctionExtract>(As<TSQLExpressionFunction>(call.get())->Function.get());
    ASSERT_NE(extract, nullptr);
    EXPECT_EQ(extract->Field, dtfMinute);
    call = Provider.ParseExpression(QStringLiteral("Upper(a)"));
    EXPECT_NE(As<TSQLFunctionKeyword>(As<TSQLExpressionFunction>(call.get())->Function.get()), nullptr);

    // Copies keep the forms, and the keywords take the builder's case.
    TOwned<TSQLSelectStatement> statement = Provider.ParseSelect(QStringLiteral(
        "select upper(a), trim(leading '0' from b), trim(from b), position('x' in a), extract(hour from d), user from t"));
    TOwned<TSQLSelectStatement> copy = CloneAs<TSQLSelectStatement>(statement.get());
    EXPECT_EQ(Std(Print(copy.get())), Std(Print(statement.get())));
    for (const auto &[format, expected] :
         {std::pair{nkfUpperCase, "SELECT UPPER(a), TRIM(LEADING '0' FROM b), TRIM(FROM b), POSITION('x' IN a), "
                                  "EXTRACT(HOUR FROM d), USER FROM t"},
          std::pair{nkfLowerCase, "select upper(a), trim(leading '0' from b), trim(from b), position('x' in a), "
                                  "extract(hour from d), user from t"}}) {
        TSQLBuilderFast builder;
        builder.SetKeywordFormat(format);
        builder.BeginBuild();
        copy->BuildSQL(&builder, builder.MainQueryFormat());
        builder.EndBuild();
        EXPECT_EQ(Std(builder.ResultSQL()), expected);
        EXPECT_EQ(Std(RoundTrip(builder.ResultSQL())), Std(Print(statement.get())));
    }

    // Each takes its own arguments only.
    ExpectRefusedAt("SELECT upper() FROM t", ")", 14);
    ExpectRefusedAt("SELECT upper(a, b) FROM t", ",", 15);
    ExpectRefusedAt("SELECT nullif(a) FROM t", ")", 16);
    ExpectRefusedAt("SELECT coalesce() FROM t", ")", 17);
    ExpectRefusedAt("SELECT position(a, b) FROM t", ",", 18);
    ExpectRefusedAt("SELECT extract(week from d) FROM t", "week", 16);
    ExpectRefusedAt("SELECT trim(both from) FROM t", ")", 22);
    ExpectRefusedAt("SELECT current_date() FROM t", "(", 20);
}

TEST_F(SQL92Parsing, PrefixOperatorsReadBackBeforeEveryKindOfOperand)
{
    // "~" is a word character of the scanner and "--" starts a comment: an
    // operator printed against its operand must stay that operator.
    const char *const operands[] = {"x",       "t.x",  "1",     "1.5",    ".5",         "0x1F",  "'s'",   "\"Q r\"",
                                    "count",   "null", "user",  "current_date", "(x)", "?",     "?1",   ":p",
                                    "upper(x)", "f(x)", "sum(x)", "count(*)", "cast(x as int)", "substring(x from 1)",
                                    "case when x = 1 then 2 end", "{d '2001-02-03'}", "(select 1)", "$x", "_x"};
    for (const char *op : {"~", "-", "+"}) {
        for (const char *operand : operands) {
            for (const char *inner : {"", "~", "-", "+"}) {
                const std::string text = std::string("SELECT ") + op + " " + inner + " " + operand + " FROM t";
                SCOPED_TRACE(text);
                TOwned<TSQLSelectStatement> first = Provider.ParseSelect(QString::fromStdString(text));
                const QString printed = Print(first.get());
                TOwned<TSQLSelectStatement> again = Provider.ParseSelect(printed);
                EXPECT_EQ(Std(Shape(again.get()).join(u' ')), Std(Shape(first.get()).join(u' '))) << Std(printed);
                EXPECT_EQ(Std(Print(again.get())), Std(printed));
            }
        }
    }
    // Apart only where the two would read as one.
    ExpectSameMeaning("SELECT ~ x, ~ 1, ~ ~ x, - - 1, ~ (x), ~ 'a', - x, + 1 FROM t",
                      "Select ~ x, ~ 1, ~ ~ x, - -1, ~(x), ~'a', -x, +1 From t");
    // Binary operators are written with blanks around them.
    ExpectSameMeaning("SELECT a+b, a-b, a*b, a/b, a%b, a||b, a-~ b, a/-1 FROM t WHERE a=b AND a<>b AND a!=b AND a<=-b "
                      "AND a!>~ b AND a<b AND a>=b AND a!<b AND a>-1",
                      "Select a + b, a - b, a * b, a / b, a % b, a || b, a - ~ b, a / -1 From t Where a = b And a <> b "
                      "And a != b And a <= -b And a !> ~ b And a < b And a >= b And a !< b And a > -1");
}

TEST_F(SQL92Parsing, NamesAndQuotedIdentifiers)
{
    TOwned<TSQLDatabaseObject> name = Provider.ParseObjectName(QStringLiteral("x.y.z.w"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetCount(), 4);
    EXPECT_EQ(Std(name->GetItems(0)->Text()), "w");
    EXPECT_EQ(Provider.ParseObjectName(QStringLiteral("v.w.x.y.z")), nullptr);
    TOwned<TSQLExpressionItem> column = Provider.ParseExpression(QStringLiteral("v.w.x.y.z"));
    ASSERT_NE(As<TSQLExpressionColumn>(column.get()), nullptr);
    EXPECT_EQ(As<TSQLExpressionColumn>(column.get())->Column->GetCount(), 5);

    // Doubled quotes are one quote in the tree and doubled again in print.
    TOwned<TastTokenIdentifier> quoted = Provider.ParseIdentifier(QStringLiteral("\"a\"\"b\""));
    ASSERT_NE(quoted, nullptr);
    EXPECT_EQ(Std(quoted->Text()), "a\"b");
    EXPECT_TRUE(quoted->CaseSensitive());
    EXPECT_EQ(Std(quoted->GetIdToken()), "\"a\"\"b\"");
    ExpectPrints("SELECT \"my col\", \"x\"\"y\" FROM \"my table\"", "Select \"my col\", \"x\"\"y\" From \"my table\"");
    // Keywords that may name things print bare; other keywords are quoted.
    ExpectPrints("SELECT \"count\", \"select\", \"True\" FROM t", "Select count, \"select\", True From t");
}

TEST_F(SQL92Parsing, NamesHoldingQuotesKeepTheirMeaning)
{
    // A name whose text is itself a quoted identifier is written quoted
    // again, its quotes doubled, whether it came quoted or as a string alias.
    ExpectSameMeaning(R"(SELECT """a""" FROM """t""")", R"(Select """a""" From """t""")");
    ExpectSameMeaning(R"(SELECT a AS '"a"', b '"' FROM t)", R"(Select a As """a""", b """" From t)");
    ExpectSameMeaning(R"(SELECT """a"""."b""" FROM """s""".t "x""" WHERE """a""" IN (SELECT """" FROM u))",
                      R"(Select """a"""."b""" From """s""".t "x""" Where """a""" In (Select """" From u))");
    ExpectSameMeaning(R"(SELECT "a""b", "my col", "COUNT" FROM t)", R"(Select "a""b", "my col", COUNT From t)");

    TOwned<TastTokenIdentifier> quoted = Provider.ParseIdentifier(QStringLiteral(R"("""a""")"));
    ASSERT_NE(quoted, nullptr);
    EXPECT_EQ(Std(quoted->Text()), R"("a")");
    EXPECT_EQ(Std(quoted->GetIdToken()), R"("""a""")");
    // A name set from its own SQL text is the same name.
    TastTokenIdentifier copy(&Provider);
    copy.SetIdToken(quoted->GetIdToken());
    EXPECT_EQ(Std(copy.Text()), R"("a")");
    EXPECT_TRUE(copy.CaseSensitive());
    // Unflagged, as a name made in code may be, it is quoted all the same.
    TastTokenIdentifier plain(&Provider, QStringLiteral(R"("x")"), false);
    EXPECT_EQ(Std(plain.GetIdToken()), R"("""x""")");
}

// Names from metadata go into SQL that is sent to the server: a name that
// holds quotes must arrive there as that one name.
TEST_F(SQL92Parsing, MetadataNamesHoldingQuotesReachGeneratedSqlAsOneName)
{
    // Schema "s" (quotes included) and table: x" union select "y
    TSQLQualifiedName name(&Provider);
    name.AddName(QStringLiteral(R"("s")"), false);
    name.AddName(QStringLiteral(R"(x" union select "y)"), true);
    TastTokenIdentifier alias(&Provider, QStringLiteral(R"("a")"), true);
    TOwned<TSQLFromObject> source = Provider.CreateSQLFromObject(&name, &alias);
    const QString printed = Print(source.get());
    EXPECT_EQ(Std(printed), R"("""s"""."x"" union select ""y" """a""")");
    EXPECT_EQ(Std(name.GetQualifiedName()), R"("""s"""."x"" union select ""y")");
    EXPECT_EQ(Std(source->FieldsProbeQuery()), R"(select * from """s"""."x"" union select ""y" """a""" where 0<>0)");

    TOwned<TSQLSubQuerySelectExpression> block = Block(("SELECT * FROM " + printed.toStdString()).c_str());
    auto *object = As<TSQLFromObject>(block->FromClause->GetItems(0));
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->ObjectName->GetCount(), 2);
    EXPECT_EQ(Std(object->ObjectName->GetItems(0)->Text()), R"(x" union select "y)");
    EXPECT_EQ(Std(object->ObjectName->GetItems(1)->Text()), R"("s")");
    EXPECT_EQ(Std(object->Alias->Identifier->Text()), R"("a")");
    // The existence probe quotes every part, doubling the quotes in it.
    EXPECT_EQ(Std(Provider.TableExistsSQL(QStringLiteral(R"("""s"""."t"";drop")"))),
              R"(select count(*) from """s"""."t"";drop")");
}

TEST_F(SQL92Parsing, QuotedFunctionNamesSpelledLikeAggregatesStayFunctions)
{
    ExpectSameMeaning(R"(SELECT "count"(a), "sum"(), "AVG"(a, b), "Max"(x) FROM t)",
                      R"(Select "count"(a), "sum"(), "AVG"(a, b), "Max"(x) From t)");
    ExpectSameMeaning(R"(SELECT * FROM "min"(1) m WHERE "count"(a, b) > count(a))",
                      R"(Select * From "min"(1) m Where "count"(a, b) > Count(a))");
    // Other one-part names stay bare, dotted ones as they were.
    ExpectSameMeaning(R"(SELECT "f"(a), s."count"(a), counts(a) FROM t)", "Select f(a), s.count(a), counts(a) From t");
    // Unflagged, as a call made in code may be, the name is quoted all the same.
    TOwned<TSQLExpressionItem> call = Provider.ParseExpression(QStringLiteral("f(a)"));
    auto *function = As<TSQLExpressionFunction>(call.get());
    ASSERT_NE(function, nullptr);
    function->Function->FunctionName->GetItems(0)->SetText(QStringLiteral("Count"));
    EXPECT_EQ(Std(Print(call.get())), R"("Count"(a))");
}

TEST_F(SQL92Parsing, EmptyQuotedNamesAreRefusedAtTheirToken)
{
    ExpectRefusedAt(R"(SELECT "" FROM t)", R"("")", 8);
    ExpectRefusedAt("SELECT a AS '', b FROM t", "''", 13);
    ExpectRefusedAt("SELECT a '' FROM t", "''", 10);
    ExpectRefusedAt(R"(SELECT "".a FROM t)", R"("")", 8);
    ExpectRefusedAt(R"(SELECT a FROM "" x)", R"("")", 15);
    ExpectRefusedAt(R"(SELECT a FROM t "")", R"("")", 17);
    ExpectRefusedAt(R"(SELECT a FROM t WHERE b = ""(1))", R"("")", 27);
    EXPECT_EQ(Provider.ParseIdentifier(QStringLiteral(R"("")")), nullptr);
    // An empty string stays a value, and a name of one quote is no empty name.
    ExpectSameMeaning(R"(SELECT '' AS e, """" FROM t WHERE a = '')", R"(Select '' As e, """" From t Where a = '')");
}

TEST_F(SQL92Parsing, ANulOutsideStringLiteralsIsRefusedAtItsPlace)
{
    const QString nul(QChar(u'\0'));
    for (const QString &text : {QStringLiteral("SELECT ") + nul + QStringLiteral(" FROM t"),
                                QStringLiteral("SELECT ab") + nul + QStringLiteral(" FROM t"),
                                QStringLiteral("SELECT \"a") + nul + QStringLiteral("\" FROM t"),
                                QStringLiteral("SELECT /* ") + nul + QStringLiteral(" */ a FROM t")}) {
        SCOPED_TRACE(Std(text.mid(0, 10)));
        try {
            Provider.ParseSelect(text);
            ADD_FAILURE() << "parsed";
        } catch (const EnvSQLError &e) {
            EXPECT_EQ(Std(e.TokenText()), "\\0");
            EXPECT_EQ(e.TokenColumn(), text.indexOf(nul) + 1);
            EXPECT_TRUE(e.Message().endsWith(QStringLiteral("Unexpected token \"\\0\" at line 1, pos %1")
                                                 .arg(text.indexOf(nul) + 1)))
                << Std(e.Message());
        }
        EXPECT_TRUE(PoolsAreFull());
    }
    // In a string literal it is a character of the value.
    TOwned<TSQLSelectStatement> statement =
        Provider.ParseSelect(QStringLiteral("SELECT 'a") + nul + QStringLiteral("b' FROM t"));
    EXPECT_TRUE(Print(statement.get()).contains(QStringLiteral("'a") + nul + QStringLiteral("b'")));
}

TEST_F(SQL92Parsing, ValidIdentAgreesWithTheIdentifierGrammar)
{
    for (const char *text : {"abc", "Abc_1", "$x", "x$1", "_", "~", "~x", "count", "TRUE", "select", "end", "end-exec",
                             "1a", "a b", " a", "a ", "a--c", "a/*c*/", "\"a\"", "\"a\"\"b\"", "\"a\"b\"", "\"a", "\"\"",
                             "\"a\"\"", "\"\"\"", "\"\"\"\"", "\"\"\"a\"\"\"", "a.b", "\xC3\xA9t\xC3\xA9", "e", "ends",
                             "a-b", ""})
        EXPECT_EQ(Provider.IsValidIdent(QString::fromUtf8(text)),
                  Provider.TnvBaseSyntaxProvider::IsValidIdent(QString::fromUtf8(text)))
            << text;
}

TEST_F(SQL92Parsing, LogicalOptionOffReadsCriteriaWithoutLeftSide)
{
    auto criterion = [&](const char *text) -> std::string {
        TOwned<TSQLExpressionItem> item = Provider.ParseLogicalExpression(QString::fromUtf8(text), false);
        EXPECT_TRUE(PoolsAreFull()) << text;
        // The printed criterion starts where its left side would stand.
        return item ? Std(Print(item.get()).trimmed()) : "nil";
    };
    EXPECT_EQ(criterion("= 5"), "= 5");
    EXPECT_EQ(criterion("IS NULL"), "Is Null");
    EXPECT_EQ(criterion("NOT LIKE 'a%'"), "Not Like 'a%'");
    EXPECT_EQ(criterion("BETWEEN 1 AND 2"), "Between 1 And 2");
    EXPECT_EQ(criterion("IN (1, 2)"), "In (1, 2)");
    EXPECT_EQ(criterion("a = 1 AND < 3"), "a = 1 And < 3");
    EXPECT_EQ(criterion("a = TRUE"), "a = True");
    EXPECT_EQ(criterion("a = false"), "a = False");

    TOwned<TSQLExpressionItem> truth = Provider.ParseLogicalExpression(QStringLiteral("a = TRUE"), false);
    auto *comparison = As<TSQLExpressionOperatorBinary>(truth.get());
    ASSERT_NE(comparison, nullptr);
    EXPECT_NE(As<TSQLExpressionConstant>(comparison->Right.get()), nullptr);
    // With the option on, TRUE is a column and a criterion needs its left side.
    truth = Provider.ParseLogicalExpression(QStringLiteral("a = TRUE"), true);
    ASSERT_NE(truth, nullptr);
    EXPECT_NE(As<TSQLExpressionColumn>(As<TSQLExpressionOperatorBinary>(truth.get())->Right.get()), nullptr);
    EXPECT_EQ(Provider.ParseLogicalExpression(QStringLiteral("= 5"), true), nullptr);
    EXPECT_EQ(Provider.ParseLogicalExpression(QStringLiteral("a +"), true), nullptr);
    EXPECT_TRUE(PoolsAreFull());
}

TEST_F(SQL92Parsing, ErrorsNameTheTokenLineAndPosition)
{
    struct {
        const char *Text, *Token;
        int Line, Column;
    } cases[] = {
        {"SELECT a FROM t WHERE", "EOF", 1, 22},
        {"SELECT a FROM t WHERE a = = 1", "=", 1, 27},
        {"SELECT a,\r\n  b FROM t\nWHERE a IN (1, 2", "EOF", 3, 17},
        // A value list ends only at ")": whatever else follows a value is
        // the token named.
        {"SELECT a FROM t WHERE a IN (1, 2 3)", "3", 1, 34},
        {"SELECT a FROM t WHERE a IN (1, 2,)", ")", 1, 34},
        {"SELECT a FROM t WHERE a IN (1, (2, 3))", ",", 1, 34},
        {"SELECT a\nFROM t #x", "#", 2, 8},
        {"SELECT a FROM v.w.x.y.z", ".", 1, 22},
        {"", "EOF", 1, 1},
    };
    const QString heading = nvQBMessage(nvQBBadSelectStatement);
    for (const auto &c : cases) {
        try {
            Provider.ParseSelect(QString::fromUtf8(c.Text));
            ADD_FAILURE() << c.Text;
        } catch (const EnvSQLError &e) {
            EXPECT_EQ(Std(e.TokenText()), c.Token) << c.Text;
            EXPECT_EQ(e.TokenLine(), c.Line) << c.Text;
            EXPECT_EQ(e.TokenColumn(), c.Column) << c.Text;
            EXPECT_EQ(Std(e.Message()), Std(heading + QStringLiteral("\r\n Unexpected token \"%1\" at line %2, pos %3")
                                                          .arg(QString::fromUtf8(c.Token))
                                                          .arg(c.Line)
                                                          .arg(c.Column)))
                << c.Text;
        }
        EXPECT_TRUE(PoolsAreFull()) << c.Text;
    }
    // Nesting beyond the limit is refused, not a stack overflow.
    const int depth = TnvBaseParser::MaxNestingDepth + 5;
    const QString deep = QStringLiteral("SELECT a FROM t WHERE ") + QString(depth, u'(') + QStringLiteral("a = 1") +
                         QString(depth, u')');
    EXPECT_THROW(Provider.ParseSelect(deep), EnvSQLError);
    EXPECT_TRUE(PoolsAreFull());
}

TEST_F(SQL92Parsing, NestingTooDeepNamesTheBracketOneLevelTooDeep)
{
    // Each shape nested beyond the limit, whole or cut off: the refusal names
    // the opening bracket of a level, and the shape parses with the levels
    // before that one but not with that one too.
    struct {
        const char *Head, *Open, *Inner, *Close;
    } shapes[] = {
        {"SELECT a FROM t WHERE a = 1", " AND a IN (SELECT a FROM t WHERE a = 1", "", ")"},
        {"SELECT a FROM ", "(SELECT a FROM ", "t", ") x"},
        {"SELECT a FROM t WHERE a = 1", " OR EXISTS (SELECT a FROM t WHERE a = 1", "", ")"},
        {"SELECT a FROM t WHERE a = 1", " AND b = (SELECT a FROM t WHERE a = 1", "", ")"},
        {"SELECT a FROM t WHERE ", "(", "a = 1", ")"},
    };
    auto text = [](const auto &shape, int levels, bool closed) {
        QString result = QString::fromLatin1(shape.Head);
        for (int i = 0; i < levels; ++i)
            result += QString::fromLatin1(shape.Open);
        result += QString::fromLatin1(shape.Inner);
        for (int i = 0; closed && i < levels; ++i)
            result += QString::fromLatin1(shape.Close);
        return result;
    };
    WithParserStack([&] {
        for (const auto &shape : shapes) {
            SCOPED_TRACE(shape.Open);
            const int levels = TnvBaseParser::MaxNestingDepth + 5;
            for (bool closed : {true, false}) {
                const QString deep = text(shape, levels, closed);
                try {
                    Provider.ParseSelect(deep);
                    ADD_FAILURE() << "parsed";
                } catch (const EnvSQLError &e) {
                    ASSERT_EQ(Std(e.TokenText()), "(");
                    EXPECT_EQ(deep.mid(e.TokenOffset(), 1), QStringLiteral("("));
                    // The levels wholly opened before the named bracket.
                    const int before = int(deep.left(e.TokenOffset()).count(QString::fromLatin1(shape.Open)));
                    EXPECT_NE(Provider.ParseSelect(text(shape, before, true)), nullptr);
                    EXPECT_THROW(Provider.ParseSelect(text(shape, before + 1, true)), EnvSQLError);
                }
                EXPECT_TRUE(PoolsAreFull());
            }
        }
        // Far deeper than the limit is refused as well, not a stack overflow.
        EXPECT_THROW(Provider.ParseSelect(text(shapes[0], 20000, true)), EnvSQLError);
        EXPECT_TRUE(PoolsAreFull());
    });
}

TEST_F(SQL92Parsing, FormattedPrintOfTheDefaultBuilder)
{
    TOwned<TSQLSelectStatement> statement = Provider.ParseSelect(
        QStringLiteral("SELECT a, b FROM t1 JOIN t2 ON t1.id = t2.id WHERE a = 1 AND b = 2 ORDER BY a"));
    TSQLBuilder builder;
    builder.BeginBuild();
    statement->BuildSQL(&builder, builder.MainQueryFormat());
    builder.EndBuild();
    const QString text = builder.ResultSQL();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n"))) << Std(text);
    EXPECT_EQ(Std(RoundTrip(text)), Std(Print(statement.get())));
}

TEST_F(SQL92Parsing, CorpusRoundTripIsStable)
{
    const QString path = QStringLiteral(NVQB_CORPUS_DIR);
    int statements = 0;
    for (const char *name : {"/selects.sql", "/edge-cases.sql", "/functions.sql"}) {
        QFile file(path + QString::fromLatin1(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.isEmpty() || line.startsWith(QStringLiteral("--")))
                continue;
            const QString first = RoundTrip(line);
            ASSERT_EQ(Std(RoundTrip(first)), Std(first)) << Std(line);
            ++statements;
        }
    }
    EXPECT_GT(statements, 1000);
}

TEST(SQL92SyntaxProvider, SettingsListsAndRegistration)
{
    TnvSQL92SyntaxProvider provider;
    EXPECT_EQ(Std(provider.ServerName()), "ANSI SQL92");
    EXPECT_EQ(provider.GetIdentCaseSens(), icsNonSensitive);
    EXPECT_FALSE(provider.UseInformationSchema());
    EXPECT_TRUE(provider.IsSupportSchemas());
    TWideStringList list;
    provider.GetUnionOperatorsList(&list);
    QStringList names;
    for (qsizetype i = 0; i < list.Count(); ++i)
        names << list[i];
    EXPECT_EQ(Std(names.join(u'|')), "Union|Union All|Except|Intersect");
    provider.GetComparisonOperators(&list);
    for (const char *op : {"=", "<>", "!=", "!<", "!>"})
        EXPECT_GE(list.IndexOf(QString::fromLatin1(op)), 0) << op;
    TOwned<TSQLExpressionItem> notEqual = provider.ParseLogicalExpression(QStringLiteral("a != 1"), true);
    ASSERT_NE(notEqual, nullptr);
    EXPECT_TRUE(notEqual->IsLogical());
    EXPECT_FALSE(provider.ParseExpression(QStringLiteral("a + 1"))->IsLogical());
    EXPECT_NE(SyntaxProvidersList()->FindClassByClassName("TnvSQL92SyntaxProvider"), nullptr);
}

namespace {
struct TCountingSubscriber : InvSyntaxProviderNotifications {
    int Changes = 0;
    void SyntaxProviderPropsChanged(TnvBaseSyntaxProvider *) override { ++Changes; }
    void SyntaxProviderDestroying() override {}
};
} // namespace

TEST(SQL92SyntaxProvider, AssignCopiesSettingsAndNotifiesOnlyRealChanges)
{
    TnvSQL92SyntaxProvider source, target;
    TCountingSubscriber subscriber;
    target.SubscribeForNotifications(&subscriber);
    source.SetIdentCaseSens(icsSensitiveLowerCase);
    source.SetUseInformationSchema(true);
    target.Assign(&source);
    EXPECT_EQ(target.GetIdentCaseSens(), icsSensitiveLowerCase);
    EXPECT_TRUE(target.UseInformationSchema());
    EXPECT_EQ(subscriber.Changes, 1);
    target.Assign(&source);
    EXPECT_EQ(subscriber.Changes, 1);
    TSQLBuilderFast notAProvider;
    EXPECT_ANY_THROW(target.Assign(&notAProvider));
    target.UnsubscribeFromNotifications(&subscriber);
}
