// Links: ON and WHERE conditions taken apart into links, simple links and
// their ends, cardinalities, flipping, replacing the expression, links going
// with their data sources.
#include "JoinTestSupport.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/sql/SQLFromClause.h"

namespace nvqb::test {

TEST_F(JoinTest, AnOnConditionBecomesOneLinkPerTerm)
{
    const QString sql = QStringLiteral("Select * From a Inner Join b On a.id = b.a_id And a.x > 0");
    EXPECT_SQL(Load(sql), sql);
    const QList<TnvLink *> links = Links();
    ASSERT_EQ(links.size(), 2);
    TnvLink *simple = links[0];
    EXPECT_TRUE(simple->IsSimple());
    EXPECT_EQ(simple->Place(), lpFrom);
    EXPECT_EQ(simple->OwnerDatasource(), Source(QStringLiteral("b")));
    EXPECT_EQ(simple->LeftDatasource(), Source(QStringLiteral("a")));
    EXPECT_EQ(simple->RightDatasource(), Source(QStringLiteral("b")));
    EXPECT_SQL(simple->LeftFieldName()->GetQualifiedName(), "id");
    EXPECT_SQL(simple->RightFieldName()->GetQualifiedName(), "a_id");
    EXPECT_EQ(simple->LeftCardinality(), qblcOne);
    EXPECT_EQ(simple->RightCardinality(), qblcMany);
    EXPECT_EQ(simple->SameLevelDatasourcesCount(), 2);
    TnvLink *rest = links[1];
    EXPECT_FALSE(rest->IsSimple());
    EXPECT_SQL(Text(rest), "a.x > 0");
    EXPECT_EQ(rest->OwnerDatasource(), Source(QStringLiteral("b")));
    // The ends of a link that is not simple: its owner and the item before.
    EXPECT_EQ(rest->RightDatasource(), Source(QStringLiteral("b")));
    EXPECT_EQ(rest->LeftDatasource(), Source(QStringLiteral("a")));
    EXPECT_EQ(rest->LeftCardinality(), qblcUnknown);

    // Nested AND collections under brackets are taken apart as well.
    EXPECT_SQL(Load(QStringLiteral("Select * From a Inner Join b On (a.x > 0 And (a.id = b.a_id And b.y < 2))")),
               "Select * From a Inner Join b On a.id = b.a_id And a.x > 0 And b.y < 2");
    ASSERT_EQ(Links().size(), 2);
    EXPECT_SQL(Text(Links()[0]), "a.id = b.a_id");
}

TEST_F(JoinTest, AConditionOverTwoColumnsIsSimpleWhateverItsOperator)
{
    // After duplicates are dropped the condition refers to two columns.
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id Or b.a_id = a.id"));
    ASSERT_EQ(Links().size(), 1);
    EXPECT_TRUE(Links()[0]->IsSimple());
    EXPECT_EQ(Links()[0]->LeftDatasource(), Source(QStringLiteral("a")));
    TastNodeRefList columns;
    TnvLink::GetReferencedColumns(Links()[0]->GetLinkExpression(), columns);
    EXPECT_EQ(columns.size(), 2);

    // One data source, or three columns, is never simple.
    Load(QStringLiteral("Select * From a Inner Join b On a.id = a.x"));
    ASSERT_EQ(Links().size(), 1);
    EXPECT_FALSE(Links()[0]->IsSimple());
    Load(QStringLiteral("Select * From a, c Inner Join b On a.x + b.y = c.id"));
    ASSERT_EQ(Links().size(), 1);
    EXPECT_FALSE(Links()[0]->IsSimple());
    TnvDatasource *b = Source(QStringLiteral("b"));
    EXPECT_FALSE(TnvLink::CanLoadExpressionAsSimpleLink(b, Expression(QStringLiteral("a.id = a.x")).get()));
    EXPECT_FALSE(TnvLink::CanLoadExpressionAsSimpleLink(b, Expression(QStringLiteral("a.x + b.y = c.id")).get()));
    EXPECT_TRUE(TnvLink::CanLoadExpressionAsSimpleLink(b, Expression(QStringLiteral("a.x + b.y > 0")).get()));
    // Both columns must lie on either side of the owner.
    EXPECT_FALSE(TnvLink::CanLoadExpressionAsSimpleLink(Source(QStringLiteral("a")),
                                                        Expression(QStringLiteral("a.id = b.a_id")).get()));
    EXPECT_FALSE(TnvLink::CanLoadExpressionAsSimpleLink(b, nullptr));
}

TEST_F(JoinTest, CardinalityComesFromTheForeignKeyEitherWay)
{
    Load(QStringLiteral("Select * From b Inner Join a On b.a_id = a.id"));
    ASSERT_EQ(Links().size(), 1);
    TnvLink *link = Links()[0];
    EXPECT_EQ(link->LeftDatasource(), Source(QStringLiteral("b")));
    EXPECT_EQ(link->LeftCardinality(), qblcMany);
    EXPECT_EQ(link->RightCardinality(), qblcOne);
    // The written order of the columns does not matter, the FROM order does.
    Load(QStringLiteral("Select * From a Inner Join b On b.a_id = a.id"));
    link = Links()[0];
    EXPECT_EQ(link->LeftDatasource(), Source(QStringLiteral("a")));
    EXPECT_SQL(link->LeftFieldName()->GetQualifiedName(), "id");
    EXPECT_EQ(link->LeftCardinality(), qblcOne);
    EXPECT_EQ(link->RightCardinality(), qblcMany);
    // Other fields, or a table the relation does not name, give none.
    Load(QStringLiteral("Select * From a Inner Join b On a.x = b.a_id"));
    EXPECT_EQ(Links()[0]->LeftCardinality(), qblcUnknown);
    Load(QStringLiteral("Select * From a Inner Join c On a.id = c.b_id"));
    EXPECT_EQ(Links()[0]->RightCardinality(), qblcUnknown);
}

TEST_F(JoinTest, FlippingASimpleLinkTwiceRestoresIt)
{
    Load(QStringLiteral("Select * From a Left Outer Join b On a.id = b.a_id"));
    TnvLink *link = Links()[0];
    TnvDatasource *a = Source(QStringLiteral("a"));
    TnvDatasource *b = Source(QStringLiteral("b"));
    EXPECT_EQ(link->LeftType(), ltOuter);
    EXPECT_EQ(link->RightType(), ltInner);
    link->FlipLink();
    EXPECT_EQ(link->LeftDatasource(), b);
    EXPECT_EQ(link->RightDatasource(), a);
    EXPECT_EQ(link->OwnerDatasource(), a);
    EXPECT_EQ(link->LeftType(), ltInner);
    EXPECT_EQ(link->RightType(), ltOuter);
    EXPECT_EQ(link->LeftCardinality(), qblcMany);
    EXPECT_SQL(link->LeftFieldName()->GetQualifiedName(), "a_id");
    link->FlipLink();
    EXPECT_EQ(link->LeftDatasource(), a);
    EXPECT_EQ(link->RightDatasource(), b);
    EXPECT_EQ(link->OwnerDatasource(), b);
    EXPECT_EQ(link->LeftType(), ltOuter);
    EXPECT_EQ(link->LeftCardinality(), qblcOne);
    EXPECT_SQL(link->RightFieldName()->GetQualifiedName(), "a_id");
    Load(QStringLiteral("Select * From a Inner Join b On a.x > 0"));
    EXPECT_THROW(Links()[0]->FlipLink(), EAssertionFailed);
}

TEST_F(JoinTest, ReplacingALinksExpressionWorksTheLinkOutAgain)
{
    qb->CreateControls();
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id"));
    TnvLink *link = Links()[0];
    TFakeLine *line = LineOf(link);
    ASSERT_NE(line, nullptr);
    const int updates = qb->SQLUpdatedCount;
    const int invalidated = line->Invalidated;
    // The new text is bound to the part's data sources by the link itself.
    link->SetLinkExpression(p->ParseLogicalExpression(QStringLiteral("a.x = b.y"), true));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.x = b.y");
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    EXPECT_GT(line->Invalidated, invalidated);
    EXPECT_TRUE(link->IsSimple());
    EXPECT_SQL(link->LeftFieldName()->GetQualifiedName(), "x");
    EXPECT_SQL(link->RightFieldName()->GetQualifiedName(), "y");
    EXPECT_EQ(link->LeftCardinality(), qblcUnknown);
    link->SetLinkExpression(p->ParseLogicalExpression(QStringLiteral("b.y > 1"), true));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On b.y > 1");
    EXPECT_FALSE(link->IsSimple());
    EXPECT_EQ(link->OwnerDatasource(), Source(QStringLiteral("b")));
    link->SetLinkExpression(nullptr);
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On b.y > 1");
}

TEST_F(JoinTest, LinksGoWithTheDataSourcesTheyNeed)
{
    qb->CreateControls();
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id Inner Join c On b.id = c.b_id And a.x > 0"));
    ASSERT_EQ(Links().size(), 3);
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b Inner Join c On b.id = c.b_id");
    EXPECT_EQ(Links().size(), 1);
    EXPECT_EQ(log.Matching({QStringLiteral("Line Free")}).size(), 2);

    // A condition of the removed source's inner join that does not refer to
    // it still filters the rows: with no join after it, WHERE takes it.
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id Inner Join c On b.y > 0"));
    TObject::Free(Source(QStringLiteral("c")));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id = b.a_id Where b.y > 0");
    EXPECT_EQ(Links().size(), 1);

    // With two items left, every link of the group goes with either.
    Load(QStringLiteral("Select * From a Inner Join b On a.x > 0"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b");
    EXPECT_EQ(Links().size(), 0);
}

TEST_F(JoinTest, ALinkWhoseEndGoesFindsItsEndsAgain)
{
    qb->CreateControls();
    Load(QStringLiteral("Select * From a, c Inner Join b On b.y > 0"));
    TnvLink *link = Links()[0];
    EXPECT_EQ(link->RightDatasource(), Source(QStringLiteral("b")));
    EXPECT_EQ(link->LeftDatasource(), Source(QStringLiteral("c")));
    const int aligned = LineOf(link)->Aligned;
    TObject::Free(Source(QStringLiteral("c")));
    ASSERT_EQ(Links().size(), 1);
    EXPECT_EQ(link->LeftDatasource(), Source(QStringLiteral("a")));
    EXPECT_GT(LineOf(link)->Aligned, aligned);
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On b.y > 0");
}

TEST_F(JoinTest, WhereJoinsComeFirstInWhereWithoutAnsiJoins)
{
    p->ANSIJoins = false;
    qb->SetSyntaxProvider(nullptr);
    qb->SetSyntaxProvider(p);
    EXPECT_SQL(Load(QStringLiteral("Select * From a, b Where a.x > 0 And a.id = b.a_id")),
               "Select * From a, b Where a.id = b.a_id And a.x > 0");
    EXPECT_FALSE(Part()->ANSIJoins());
    ASSERT_EQ(Links().size(), 1);
    TnvLink *link = Links()[0];
    EXPECT_EQ(link->Place(), lpWhere);
    EXPECT_TRUE(link->IsSimple());
    EXPECT_EQ(link->OwnerDatasource(), Source(QStringLiteral("b")));
    EXPECT_SQL(Load(QStringLiteral("Select * From a, b Where a.id = b.a_id")), "Select * From a, b Where a.id = b.a_id");
    EXPECT_SQL(Load(QStringLiteral("Select * From a, b Where a.x > 0 And b.y > 1 And b.a_id = a.id")),
               "Select * From a, b Where b.a_id = a.id And a.x > 0 And b.y > 1");
    // Only binary operations between two sources of this part are joins.
    EXPECT_SQL(Load(QStringLiteral("Select * From a, b Where (a.id = b.a_id) And a.id Between b.a_id And 3")),
               "Select * From a, b Where (a.id = b.a_id) And a.id Between b.a_id And 3");
    EXPECT_EQ(Links().size(), 0);
    EXPECT_SQL(Load(QStringLiteral("Select * From a Where Exists(Select * From b Where b.a_id = a.id)")),
               "Select * From a Where Exists(Select * From b Where b.a_id = a.id)");
    EXPECT_EQ(Links().size(), 0);
}

TEST_F(JoinTest, ADialectWithJoinsInWhereReadsThemThereWhenTheTextHasThem)
{
    // A dialect that knows both forms keeps the one the text was written in.
    p->OracleJoins = true;
    qb->SetSyntaxProvider(nullptr);
    qb->SetSyntaxProvider(p);
    EXPECT_SQL(Load(QStringLiteral("Select * From a, b Where a.id = b.a_id And a.x > 0")),
               "Select * From a, b Where a.id = b.a_id And a.x > 0");
    EXPECT_FALSE(Part()->ANSIJoins());
    ASSERT_EQ(Links().size(), 1);
    EXPECT_EQ(Links()[0]->Place(), lpWhere);
    EXPECT_SQL(Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id Where a.x > 0")),
               "Select * From a Inner Join b On a.id = b.a_id Where a.x > 0");
    EXPECT_TRUE(Part()->ANSIJoins());
    ASSERT_EQ(Links().size(), 1);
    EXPECT_EQ(Links()[0]->Place(), lpFrom);
}

TEST_F(JoinTest, AWhereLinkMarksTheColumnsOfTheOuterJoin)
{
    p->ANSIJoins = false;
    qb->SetSyntaxProvider(nullptr);
    qb->SetSyntaxProvider(p);
    Load(QStringLiteral("Select * From a, b Where a.id = b.a_id"));
    TnvLink *link = Links()[0];
    link->SetJoinKindClass(TSQLJoinKindLeft::StaticClassType());
    EXPECT_SQL(SQL(), "Select * From a, b Where a.id = b.a_id(+)");
    EXPECT_EQ(link->LeftType(), ltOuter);
    EXPECT_EQ(link->RightType(), ltInner);
    link->SetJoinKindClass(TSQLJoinKindRight::StaticClassType());
    EXPECT_SQL(SQL(), "Select * From a, b Where a.id(+) = b.a_id");
    EXPECT_EQ(link->RightType(), ltOuter);

    // A new link between the same two data sources takes the direction of
    // the one there, whichever way it is drawn.
    link->SetJoinKindClass(TSQLJoinKindLeft::StaticClassType());
    TnvLink *drawn = From()->AddLinkAST(nullptr, Expression(QStringLiteral("b.y = a.x")), lpWhere, true);
    EXPECT_FALSE(drawn->IsNew());
    EXPECT_SQL(SQL(), "Select * From a, b Where a.id = b.a_id(+) And b.y(+) = a.x");
    EXPECT_EQ(drawn->LeftType(), ltOuter);
    EXPECT_EQ(drawn->LeftDatasource(), Source(QStringLiteral("a")));

    // Inner stays inner.
    Load(QStringLiteral("Select * From a, b Where a.id = b.a_id"));
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("a.x = b.y")), lpWhere, true);
    EXPECT_SQL(SQL(), "Select * From a, b Where a.id = b.a_id And a.x = b.y");
}

} // namespace nvqb::test
