// Joins written in WHERE: how WHERE links merge with the grid's criteria,
// and how a change of dialect moves the joins between FROM and WHERE.
#include "JoinTestSupport.h"
#include "builder/model/Query.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"

namespace nvqb::test {

namespace {

class WhereJoinTest : public JoinTest {
protected:
    // The dialect's joins, set anew on the query builder.
    void UseANSIJoins(bool value)
    {
        p->ANSIJoins = value;
        qb->SetSyntaxProvider(nullptr);
        qb->SetSyntaxProvider(p);
    }
    // The same dialect with the other join form, as a second provider: what
    // an application does when it switches dialects.
    TJoinTestProvider other;
};

} // namespace

TEST_F(WhereJoinTest, AJoinHoldsForEveryColumnOfCriteria)
{
    UseANSIJoins(false);
    Load(QStringLiteral("Select a.id, a.x From a, b Where a.id = b.a_id"));
    TnvSelectItem *x = Part()->SelectList()->Items(1);
    x->SetCondition(0, QStringLiteral("> 0"));
    x->SetCondition(1, QStringLiteral("< -5"));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a, b Where a.id = b.a_id And (a.x > 0 Or a.x < -5)");
    EXPECT_SQL(Load(SQL()), "Select a.id, a.x From a, b Where a.id = b.a_id And (a.x > 0 Or a.x < -5)");
    // Two criteria cells of one column and an OR typed into one cell.
    Load(QStringLiteral("Select a.id, a.x From a, b Where a.id = b.a_id"));
    Part()->SelectList()->Items(0)->SetCondition(0, QStringLiteral("= 1 or = 2"));
    Part()->SelectList()->Items(1)->SetCondition(0, QStringLiteral("> 0"));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a, b Where a.id = b.a_id And (a.id = 1 Or a.id = 2) And a.x > 0");
    EXPECT_SQL(Load(SQL()), SQL());
}

TEST_F(WhereJoinTest, ADialectWithoutJoinsInFromTakesThemToWhere)
{
    const QString sql = QStringLiteral("Select a.id From a Inner Join b On b.a_id = a.id And b.y > 2 Inner Join (c "
                                       "Inner Join b b2 On b2.id = c.b_id) On c.b_id = b.id Where a.x = 1");
    EXPECT_SQL(Load(sql), Reprinted(sql));
    other.ANSIJoins = false;
    qb->SetSyntaxProvider(&other);
    EXPECT_FALSE(Part()->ANSIJoins());
    const QString where = QStringLiteral("Select a.id From a, b, c, b b2 Where b.a_id = a.id And b2.id = c.b_id And "
                                         "c.b_id = b.id And b.y > 2 And a.x = 1");
    EXPECT_SQL(SQL(), where);
    for (TnvLink *link : Links())
        EXPECT_EQ(link->Place(), lpWhere) << Text(link).toStdString();
    EXPECT_SQL(Shape(), "a | b | c | b2");
    // The text reads back the same under that dialect.
    p->ANSIJoins = false;
    qb->SetSyntaxProvider(p);
    EXPECT_SQL(Load(SQL()), where);

    // Back to joins in FROM: the links are laid out as joins again.
    qb->SetSyntaxProvider(&other);
    other.ANSIJoins = true;
    qb->SetSyntaxProvider(p);
    p->ANSIJoins = true;
    qb->SetSyntaxProvider(&other);
    EXPECT_TRUE(Part()->ANSIJoins());
    EXPECT_SQL(SQL(), "Select a.id From a Inner Join b On b.a_id = a.id Inner Join c On c.b_id = b.id Inner Join b "
                      "b2 On b2.id = c.b_id Where b.y > 2 And a.x = 1");
    EXPECT_SQL(Load(SQL()), SQL());
}

TEST_F(WhereJoinTest, JoinsLoadedIntoFromLoseOnlyWhatARemovedSourceTakes)
{
    // Such a dialect prints ON conditions back as they were loaded; a source
    // removed takes along only what needs it, and the text still parses.
    UseANSIJoins(false);
    Load(QStringLiteral("Select * From a Inner Join b On b.a_id = a.id And b.y = 1 Inner Join c On c.id = 2"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b Inner Join c On b.y = 1 And c.id = 2");
    EXPECT_SQL(Load(SQL()), "Select * From b Inner Join c On b.y = 1 And c.id = 2");
    // Another such dialect takes them to WHERE.
    other.ANSIJoins = false;
    qb->SetSyntaxProvider(&other);
    EXPECT_SQL(SQL(), "Select * From b, c Where b.y = 1 And c.id = 2");
}

TEST_F(WhereJoinTest, AJoinTermThatARemovedSourceLeavesOutsideAnOrIsAJoinAgain)
{
    // Beside another criteria column a.id = b.a_id is a criterion; once the
    // removed source took that column, it is a join as a load makes it.
    UseANSIJoins(false);
    Load(QStringLiteral("Select a.x From a, b, c Where a.x > 1 And a.id = b.a_id Or c.id Is Null"));
    EXPECT_EQ(Links().size(), 0);
    TObject::Free(Source(QStringLiteral("c")));
    EXPECT_SQL(SQL(), "Select a.x From a, b Where a.id = b.a_id And a.x > 1");
    EXPECT_EQ(Links().size(), 1);
    EXPECT_SQL(Load(SQL()), "Select a.x From a, b Where a.id = b.a_id And a.x > 1");
}

TEST_F(WhereJoinTest, TheColumnsKeepTheirOrderWhenJoinsGoToWhere)
{
    Load(QStringLiteral("Select b.y, a.x From a Inner Join b On b.a_id = a.id And a.x > 1 Where b.y = 2"));
    other.ANSIJoins = false;
    qb->SetSyntaxProvider(&other);
    EXPECT_SQL(SQL(), "Select b.y, a.x From a, b Where b.a_id = a.id And b.y = 2 And a.x > 1");
    EXPECT_SQL(Load(SQL()), SQL());
}

TEST_F(WhereJoinTest, OuterJoinsStayInFromWhenTheDialectChanges)
{
    // WHERE has no form of an outer join in such a dialect: FROM keeps it.
    const QString sql = QStringLiteral("Select * From a Left Join b On b.a_id = a.id Inner Join c On c.b_id = b.id");
    EXPECT_SQL(Load(sql), Reprinted(sql));
    other.ANSIJoins = false;
    qb->SetSyntaxProvider(&other);
    EXPECT_SQL(SQL(), Reprinted(sql));
    // A link drawn now goes to WHERE.
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("c.id = a.x")), lpWhere, true);
    EXPECT_SQL(SQL(), Reprinted(sql) + QStringLiteral(" Where c.id = a.x"));
}

TEST_F(WhereJoinTest, WhereJoinsStayInWhereBesideAnOuterJoinWhenJoinsGoBackToFrom)
{
    // b.y = a.x drops the rows of a that b does not match; in the left
    // join's ON it would keep them.
    const QString sql = QStringLiteral("Select * From a Left Join b On b.a_id = a.id Where b.y = a.x");
    EXPECT_SQL(Load(sql), Reprinted(sql));
    other.ANSIJoins = false;
    qb->SetSyntaxProvider(&other);
    EXPECT_SQL(SQL(), Reprinted(sql));
    qb->SetSyntaxProvider(p);
    EXPECT_SQL(SQL(), Reprinted(sql));
    EXPECT_SQL(Load(SQL()), Reprinted(sql));
}

TEST_F(WhereJoinTest, ACriterionOverTwoSourcesThatTestsOneValueStaysACriterion)
{
    // "a.x - b.y <> 1" names two sources but joins none of their columns
    // to another: read back, it is the criterion the grid wrote, in its
    // place after the other row's, not a link ahead of the criteria.
    UseANSIJoins(false);
    Load(QStringLiteral("Select a.id, a.x - b.y From a, b Where b.a_id = a.id"));
    Part()->SelectList()->Items(0)->SetCondition(0, QStringLiteral("= 1"));
    Part()->SelectList()->Items(1)->SetCondition(0, QStringLiteral("<> 1"));
    QString sql = QStringLiteral("Select a.id, a.x - b.y From a, b Where b.a_id = a.id And a.id = 1 And a.x - b.y <> 1");
    EXPECT_SQL(SQL(), sql);
    EXPECT_SQL(Load(sql), sql);
    EXPECT_EQ(Links().size(), 1);
    // Beside an outer join the two sources stand in brackets: as a link the
    // criterion would belong to that group and print ahead of the others.
    Load(QStringLiteral("Select a.x - b.y From c Right Join (a Full Join b On b.a_id = a.id) On c.b_id = b.id, c c2 "
                        "Where c2.id = a.x"));
    Part()->SelectList()->Items(0)->SetCondition(0, QStringLiteral("<= 2"));
    sql = QStringLiteral("Select a.x - b.y From c Right Join (a Full Join b On b.a_id = a.id) On c.b_id = b.id, c c2 "
                         "Where c2.id = a.x And a.x - b.y <= 2");
    EXPECT_SQL(SQL(), sql);
    EXPECT_SQL(Load(sql), sql);
}

TEST_F(WhereJoinTest, SubQueriesOfTheCriteriaKeepTheirColumnsAcrossDialects)
{
    // The criteria are read again when the joins move: the sub-queries in
    // them keep their column prefixes and what they name, outer sources too.
    const QString sql = QStringLiteral("Select a.id From a Inner Join b On a.id = b.a_id Where a.id Not In (Select "
                                       "c1.b_id From c c1 Where c1.id >= 100) And Exists(Select c.id From c Where "
                                       "c.b_id = b.id And c.id > a.x)");
    EXPECT_SQL(Load(sql), sql);
    UseANSIJoins(false);
    const QString where = QStringLiteral("Select a.id From a, b Where a.id = b.a_id And a.id Not In (Select c1.b_id "
                                         "From c c1 Where c1.id >= 100) And Exists(Select c.id From c Where c.b_id = "
                                         "b.id And c.id > a.x)");
    EXPECT_SQL(SQL(), where);
    EXPECT_SQL(Load(SQL()), where);
    UseANSIJoins(true);
    EXPECT_SQL(SQL(), sql);
    EXPECT_SQL(Load(SQL()), sql);
    // Switched and back without a load between: the correlation still names
    // b, and the criterion goes with it.
    UseANSIJoins(false);
    UseANSIJoins(true);
    EXPECT_SQL(SQL(), sql);
    TObject::Free(Source(QStringLiteral("b")));
    EXPECT_SQL(SQL(), "Select a.id From a Where a.id Not In (Select c1.b_id From c c1 Where c1.id >= 100)");
}

} // namespace nvqb::test
