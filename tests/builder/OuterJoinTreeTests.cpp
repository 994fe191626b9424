// Outer joins in the join tree: the rebuild reorders only what inner joins,
// cross joins and commas join, and leaves every outer join its two sides and
// its own ON condition.
#include "JoinMeaningSupport.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"

namespace nvqb::test {

namespace {

class OuterJoinTreeTest : public PQRJoinTest {
protected:
    // Loaded, the statement prints as Expected, and that reads back the same.
    void ExpectPrinted(const QString &sql, const QString &expected)
    {
        EXPECT_SQL(Load(sql), expected) << sql.toStdString();
        EXPECT_SQL(Load(expected), expected);
    }
};

} // namespace

TEST_F(OuterJoinTreeTest, AnOuterJoinAfterAJoinThatTestsOneSideStaysOuter)
{
    ExpectPrinted(QStringLiteral("SELECT p.id, q.id, r.id FROM p JOIN q ON q.v = 1 LEFT JOIN r ON r.id = q.id"),
                  QStringLiteral("Select p.id, q.id, r.id From p Inner Join q On q.v = 1 Left Join r On r.id = q.id"));
    ExpectPrinted(QStringLiteral("SELECT p.id, q.id, r.id FROM p JOIN q ON 1 = 1 LEFT JOIN r ON r.id = q.id"),
                  QStringLiteral("Select p.id, q.id, r.id From p Inner Join q On 1 = 1 Left Join r On r.id = q.id"));
    ExpectPrinted(QStringLiteral("SELECT * FROM p JOIN q ON q.v = 1 RIGHT JOIN r ON r.id = q.id"),
                  QStringLiteral("Select * From p Inner Join q On q.v = 1 Right Join r On r.id = q.id"));
}

TEST_F(OuterJoinTreeTest, AnOuterJoinKeepsTheConditionsOfItsOn)
{
    // r's condition names q alone: it stays r's, and q's stays q's.
    ExpectPrinted(QStringLiteral("SELECT * FROM p LEFT JOIN q ON q.v = 1 LEFT JOIN r ON q.v = 2"),
                  QStringLiteral("Select * From p Left Join q On q.v = 1 Left Join r On q.v = 2"));
    for (TnvLink *link : Links())
        EXPECT_EQ(link->OwnerDatasource(), Source(Text(link) == u"q.v = 1" ? QStringLiteral("q") : QStringLiteral("r")));
    // No condition of an inner join moves into an outer join's ON, nor out
    // of it.
    ExpectPrinted(QStringLiteral("SELECT * FROM p LEFT JOIN q ON q.id = p.id JOIN r ON r.v = q.v AND p.v = 1"),
                  QStringLiteral("Select * From p Left Join q On q.id = p.id Inner Join r On r.v = q.v And p.v = 1"));
}

TEST_F(OuterJoinTreeTest, TheSidesOfAnOuterJoinStayWhatTheyWere)
{
    // Everything before an outer join is its one side: an item cross joined
    // before it stays before it, cross joined (after a comma it would be a
    // table reference of its own, out of the ON's reach), and the ON stays
    // whole. A comma the ON reaches past becomes a cross join as well.
    ExpectPrinted(QStringLiteral("SELECT * FROM p CROSS JOIN q LEFT JOIN r ON r.id = p.id AND r.v = q.id"),
                  QStringLiteral("Select * From p Cross Join q Left Join r On r.id = p.id And r.v = q.id"));
    ExpectPrinted(QStringLiteral("SELECT * FROM p, q LEFT JOIN r ON r.id = p.id AND r.v = q.id"),
                  QStringLiteral("Select * From p Cross Join q Left Join r On r.id = p.id And r.v = q.id"));
    ExpectPrinted(QStringLiteral("SELECT * FROM p, q LEFT JOIN r ON r.id = q.id"),
                  QStringLiteral("Select * From p, q Left Join r On r.id = q.id"));
    ExpectPrinted(QStringLiteral("SELECT * FROM p CROSS JOIN q FULL JOIN r ON r.id = p.id"),
                  QStringLiteral("Select * From p Cross Join q Full Join r On r.id = p.id"));
    ExpectPrinted(QStringLiteral("SELECT * FROM p CROSS JOIN q RIGHT JOIN r ON r.id = p.id"),
                  QStringLiteral("Select * From p Cross Join q Right Join r On r.id = p.id"));
    // Inner joins after an outer join still gather by their links.
    ExpectPrinted(QStringLiteral("SELECT * FROM p FULL JOIN q ON q.id = p.id, r q2 JOIN r ON r.v = q.v JOIN q q3 ON "
                                 "q3.id = q2.id"),
                  QStringLiteral("Select * From p Full Join q On q.id = p.id Inner Join r On r.v = q.v, r q2 Inner "
                                 "Join q q3 On q3.id = q2.id"));
}

TEST_F(OuterJoinTreeTest, AnInnerJoinWhoseOnReachesPastACommaComesBeforeIt)
{
    // q2 joins p alone: right after p it filters the same rows, and the comma
    // stays. Cross joined instead, p would stand on the right join's side
    // that may come out empty.
    ExpectPrinted(QStringLiteral("SELECT * FROM p, q RIGHT JOIN r ON r.id = q.id INNER JOIN q q2 ON q2.id = p.id"),
                  QStringLiteral("Select * From p Inner Join q q2 On q2.id = p.id, q Right Join r On r.id = q.id"));
    // A link drawn so after the outer join goes the same way.
    Load(QStringLiteral("SELECT * FROM p, q FULL JOIN r ON r.id = q.id, q q2"));
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("q2.id = p.id")), lpFrom, true);
    EXPECT_SQL(SQL(), "Select * From p Inner Join q q2 On q2.id = p.id, q Full Join r On r.id = q.id");
    EXPECT_SQL(Load(SQL()), SQL());
    // Where a LEFT join follows the comma, a cross join keeps the rows too,
    // and the order stays.
    ExpectPrinted(QStringLiteral("SELECT * FROM p, q LEFT JOIN r ON r.id = q.id AND r.v = p.id"),
                  QStringLiteral("Select * From p Cross Join q Left Join r On r.id = q.id And r.v = p.id"));
}

TEST_F(OuterJoinTreeTest, AJoinKindChosenForALinkIsLaidOutAsTheTextReadsBack)
{
    // The link dialog makes the outer join inner: nothing keeps q cross
    // joined any more, and the text is what reading it back gives.
    Load(QStringLiteral("SELECT * FROM p CROSS JOIN q LEFT JOIN r ON r.id = q.id"));
    ASSERT_EQ(Links().size(), 1);
    Links().first()->SetJoinKindClass(TSQLJoinKindInner::StaticClassType());
    EXPECT_SQL(SQL(), "Select * From p, q Inner Join r On r.id = q.id");
    EXPECT_SQL(Load(SQL()), SQL());
    // And back: an outer join again, which reads back as it prints.
    Links().first()->SetJoinKindClass(TSQLJoinKindLeft::StaticClassType());
    const QString outer = SQL();
    EXPECT_TRUE(outer.contains(QStringLiteral("Left"))) << outer.toStdString();
    EXPECT_SQL(Load(outer), outer);
}

TEST_F(OuterJoinTreeTest, BracketsAroundOuterJoinsStay)
{
    // Without them a side would take in what stands before the brackets. In
    // brackets a comma makes no joined table: a cross join does.
    ExpectPrinted(QStringLiteral("SELECT * FROM r, (p FULL JOIN q ON q.id = p.id)"),
                  QStringLiteral("Select * From r, (p Full Join q On q.id = p.id)"));
    ExpectPrinted(QStringLiteral("SELECT * FROM p LEFT JOIN (q, r) ON q.id = p.id"),
                  QStringLiteral("Select * From p Left Join (q Cross Join r) On q.id = p.id"));
    // In the first place they can go: the sides stay the same.
    ExpectPrinted(QStringLiteral("SELECT * FROM (p RIGHT JOIN q ON q.id = p.id), r"),
                  QStringLiteral("Select * From p Right Join q On q.id = p.id, r"));
    // Brackets around one source give way to it.
    ExpectPrinted(QStringLiteral("SELECT * FROM p LEFT JOIN ((q)) ON q.id = p.id"),
                  QStringLiteral("Select * From p Left Join q On q.id = p.id"));
}

TEST_F(OuterJoinTreeTest, BinaryJoinsNestAnOuterJoinsSideAsOneOperand)
{
    p->BinaryJoins = true;
    ExpectPrinted(QStringLiteral("SELECT * FROM p, q LEFT JOIN r ON r.id = p.id"),
                  QStringLiteral("Select * From (p Cross Join q) Left Join r On r.id = p.id"));
    ExpectPrinted(QStringLiteral("SELECT * FROM p JOIN q ON q.v = 1 LEFT JOIN r ON r.id = q.id JOIN q q2 ON q2.id = "
                                 "p.id"),
                  QStringLiteral("Select * From ((p Inner Join q On q.v = 1) Left Join r On r.id = q.id) Inner Join "
                                 "q q2 On q2.id = p.id"));
    EXPECT_SQL(Shape(), "((p q) r) | q2");
}

TEST_F(OuterJoinTreeTest, LinksDrawnAroundOuterJoinsAreLaidOut)
{
    Load(QStringLiteral("SELECT * FROM p LEFT JOIN q ON q.id = p.id, r"));
    // After the outer join: an inner join to what stands before it.
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("r.v = q.v")), lpFrom, true);
    EXPECT_SQL(SQL(), "Select * From p Left Join q On q.id = p.id Inner Join r On r.v = q.v");
    // Between the two sides: one more condition of the outer join.
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("p.v = q.v")), lpFrom, true);
    EXPECT_SQL(SQL(), "Select * From p Left Join q On q.id = p.id And p.v = q.v Inner Join r On r.v = q.v");
    EXPECT_SQL(Load(SQL()), SQL());
    // Before it: the items there join up among themselves.
    Load(QStringLiteral("SELECT * FROM p, r, q q2 LEFT JOIN q ON q.id = p.id"));
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("q2.id = p.id")), lpFrom, true);
    EXPECT_SQL(SQL(), "Select * From p Inner Join q q2 On q2.id = p.id Cross Join r Left Join q On q.id = p.id");
}

} // namespace nvqb::test
