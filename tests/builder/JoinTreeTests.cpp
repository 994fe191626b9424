// The FROM group's join tree: connected sets, join kinds, nested groups
// handing items to their parents or dissolving, binary nesting, the WHERE
// mode, links made from expressions, and what happens when a set cannot be
// laid out.
#include "JoinTestSupport.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/sql/SQLFromClause.h"

namespace nvqb::test {

namespace {
// Prints the text through a fresh model: load, print, load, print.
QString Again(TJoinTestProvider *p, TnvMetadataContainer *container, const QString &sql)
{
    TOwned<TTestQueryBuilder> fresh = Create<TTestQueryBuilder>();
    fresh->SetSyntaxProvider(p);
    fresh->MetadataContainer()->Assign(container);
    TOwned<TSQLSelectStatement> statement = p->ParseSelect(sql);
    fresh->PrepareStatement(statement.get());
    fresh->LoadStatement(std::move(statement));
    return fresh->GetSQL();
}
} // namespace

TEST_F(JoinTest, LinkedSourcesJoinUpAndTheOthersFollowInAList)
{
    EXPECT_SQL(Load(QStringLiteral("SELECT * FROM a, b INNER JOIN c ON a.id = c.a_id")),
               "Select * From a Inner Join c On a.id = c.a_id, b");
    EXPECT_SQL(Shape(), "a | c | b");
    EXPECT_EQ(Source(QStringLiteral("b"))->GetJoinKind(), nullptr);
    // Without reordering the FROM clause stays as written.
    qb->SetCanReorderDatasources(false);
    EXPECT_SQL(Load(QStringLiteral("SELECT * FROM a, b INNER JOIN c ON a.id = c.a_id")),
               "Select * From a, b Inner Join c On a.id = c.a_id");
    TnvLink *link = From()->AddLinkAST(nullptr, Expression(QStringLiteral("a.x = b.y")), lpFrom, true);
    EXPECT_FALSE(link->IsNew());
    EXPECT_SQL(Shape(), "a | b | c");
}

TEST_F(JoinTest, OuterKindsAndTheirOrderSurviveTheRebuild)
{
    const QString sql = QStringLiteral("Select * From c, a Left Outer Join b On a.id = b.a_id Right Join "
                                       "dbo.Customers cu On cu.CustomerID = b.id Full Outer Join b b2 On "
                                       "b2.id = cu.CustomerID");
    EXPECT_SQL(Load(sql), Reprinted(sql));
    EXPECT_SQL(Shape(), "c | a | b | cu | b2");
    // A source joined to something before a comma moves up to it.
    EXPECT_SQL(Load(QStringLiteral("Select * From a Left Join b On a.id = b.a_id, c Inner Join b b2 On b2.id = "
                                   "c.b_id Inner Join dbo.Customers cu On cu.CustomerID = a.x")),
               "Select * From a Left Join b On a.id = b.a_id Inner Join dbo.Customers cu On cu.CustomerID = a.x, c "
               "Inner Join b b2 On b2.id = c.b_id");
    // A cross join with nothing to join it becomes a list item.
    EXPECT_SQL(Load(QStringLiteral("Select * From a Cross Join b Inner Join c On b.id = c.b_id")),
               "Select * From a, b Inner Join c On b.id = c.b_id");
    // Two data sources without links: a list whatever the dialect offers.
    Load(QStringLiteral("Select * From a Cross Join b"));
    From()->NotifyReorderNeeded();
    EXPECT_SQL(SQL(), "Select * From a, b");
}

TEST_F(JoinTest, RemovingASourceRebuildsTheChain)
{
    Load(QStringLiteral("Select * From a Cross Join b Inner Join c On b.id = c.b_id"));
    TObject::Free(Source(QStringLiteral("c")));
    EXPECT_SQL(SQL(), "Select * From a, b");
    Load(QStringLiteral("Select * From a Inner Join b On a.id = b.a_id Inner Join c On a.x = c.id"));
    TObject::Free(Source(QStringLiteral("b")));
    EXPECT_SQL(SQL(), "Select * From a Inner Join c On a.x = c.id");
}

TEST_F(JoinTest, RemovingTheFirstSourceKeepsTheConditionsOfTheJoinsAfterIt)
{
    // b comes first and has no join to carry its condition: the inner join
    // after it takes it, or WHERE when there is none.
    Load(QStringLiteral("Select * From a Inner Join b On b.y = 1 Inner Join c On c.id = 2"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b Inner Join c On b.y = 1 And c.id = 2");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    // So it is when the data sources keep their order.
    qb->SetCanReorderDatasources(false);
    Load(QStringLiteral("Select * From c Inner Join a On a.x = 1 Inner Join b On b.y = 1"));
    TObject::Free(Source(QStringLiteral("c")));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.x = 1 And b.y = 1");
    qb->SetCanReorderDatasources(true);
    Load(QStringLiteral("Select * From a Inner Join b On b.y = 1"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b Where b.y = 1");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    // An outer join after it would keep the rows the condition drops.
    Load(QStringLiteral("Select * From a Inner Join b On b.y = 1 Left Join c On c.b_id = b.id Where a.x = 2 Or b.id "
                        "= 3"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b Left Join c On c.b_id = b.id Where b.id = 3 And b.y = 1");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    // B's condition tests B, C's tests C and D's joins D to A; with A gone
    // the rest still prints as joins.
    Load(QStringLiteral("Select * From a Inner Join b On b.y > 0 Inner Join c On c.id > 0 Inner Join dbo.Customers cu "
                        "On cu.CustomerID = a.id"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b Inner Join c On b.y > 0 And c.id > 0, dbo.Customers cu");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
}

TEST_F(JoinTest, ATermThatJoinedItemsOfAGroupThatGaveWayIsALinkOfItsOwn)
{
    // In brackets a1 and c were one item of b's ON: the term that joins them
    // was no link. With the brackets gone it is one, as when the printed
    // text is read, so a removal lays the rest out as a reload does.
    Load(QStringLiteral("Select * From a Inner Join (a a1 Cross Join c) On a1.x = a.x And a.x <> 9 Inner Join b On "
                        "a1.id = c.b_id And b.a_id = a.x And b.a_id Is Not Null"));
    QStringList simple;
    for (const TnvLink *link : Links())
        if (link->IsSimple())
            simple.append(Text(link));
    EXPECT_EQ(simple.join(QStringLiteral(", ")), QStringLiteral("a1.x = a.x, b.a_id = a.x, a1.id = c.b_id"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From a a1 Inner Join c On a1.id = c.b_id Inner Join b On b.a_id Is Not Null");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
}

TEST_F(JoinTest, RemovingASourceTakesOnlyTheConditionsThatNeedIt)
{
    // Of an AND only the terms that name the source go.
    Load(QStringLiteral("Select * From a Inner Join b On b.a_id = a.id Inner Join c On c.b_id = b.id And (c.id + a.x > "
                        "1 And c.id + b.y > a.x)"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b Inner Join c On c.b_id = b.id");
    Load(QStringLiteral("Select * From a Inner Join b On b.a_id = a.id Inner Join c On c.b_id = b.id And c.id + a.x > "
                        "1 And c.id > b.y + 1"));
    TObject::Free(Source(QStringLiteral("a")));
    EXPECT_SQL(SQL(), "Select * From b Inner Join c On c.b_id = b.id And c.id > b.y + 1");
    // The terms of the removed source's inner join that name other sources
    // go on to the join after it; those of an outer join go with it.
    Load(QStringLiteral("Select * From a Inner Join b On b.a_id = a.id And a.x = 1 Inner Join c On c.id = 2"));
    TObject::Free(Source(QStringLiteral("b")));
    EXPECT_SQL(SQL(), "Select * From a Inner Join c On a.x = 1 And c.id = 2");
    Load(QStringLiteral("Select * From a Left Join b On b.a_id = a.id And a.x = 1"));
    TObject::Free(Source(QStringLiteral("b")));
    EXPECT_SQL(SQL(), "Select * From a");
    // A group left empty goes the same way; one left with one source gives
    // way to it.
    Load(QStringLiteral("Select * From a Inner Join (b Inner Join c On c.b_id = b.id) On b.a_id = a.id And a.x = 1"));
    TObject::Free(Source(QStringLiteral("c")));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On b.a_id = a.id And a.x = 1");
    TObject::Free(Source(QStringLiteral("b")));
    EXPECT_SQL(SQL(), "Select * From a Where a.x = 1");
}

TEST_F(JoinTest, BinaryJoinsNestTwoAtATime)
{
    p->BinaryJoins = true;
    const QString chain = QStringLiteral("Select * From a Inner Join b On a.id = b.a_id Inner Join c On b.id = c.b_id");
    EXPECT_SQL(Load(chain), "Select * From (a Inner Join b On a.id = b.a_id) Inner Join c On b.id = c.b_id");
    EXPECT_SQL(Shape(), "(a b) | c");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    const QString four = chain + QStringLiteral(" Left Join dbo.Customers cu On cu.CustomerID = c.id");
    EXPECT_SQL(Load(four), "Select * From ((a Inner Join b On a.id = b.a_id) Inner Join c On b.id = c.b_id) Left Join "
                           "dbo.Customers cu On cu.CustomerID = c.id");
    EXPECT_SQL(Shape(), "((a b) c) | cu");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    // Each nested group holds the links of its own two items.
    const auto *outer = static_cast<TnvDatasourceGroup *>(From()->GetItems(0));
    const auto *inner = static_cast<TnvDatasourceGroup *>(outer->GetItems(0));
    EXPECT_EQ(inner->GetLinksCount(), 1);
    EXPECT_EQ(outer->GetLinksCount(), 1);
    EXPECT_EQ(From()->GetLinksCount(), 1);
    EXPECT_SQL(Text(inner->GetLink(0)), "a.id = b.a_id");
    // The same statement without binary joins keeps the brackets it has.
    p->BinaryJoins = false;
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    EXPECT_SQL(Again(p, qb->MetadataContainer(), four), Reprinted(four));
}

TEST_F(JoinTest, AConditionOverTheTwoNestedItemsGoesIntoTheirGroup)
{
    // The term over a and b (three columns) is no simple link; nested two at
    // a time, it stays with b inside the brackets instead of becoming the
    // ON condition of the group, which stands first and can have none.
    p->BinaryJoins = true;
    const QString sql = QStringLiteral("Select * From a Inner Join b On a.id = b.a_id And a.x + b.y > a.id Left Join c "
                                       "On b.id = c.b_id");
    EXPECT_SQL(Load(sql), "Select * From (a Inner Join b On a.id = b.a_id And a.x + b.y > a.id) Left Join c On b.id = "
                          "c.b_id");
    EXPECT_FALSE(Links()[1]->IsSimple());
    EXPECT_EQ(static_cast<TnvDatasourceGroup *>(From()->GetItems(0))->GetLinksCount(), 2);
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    From()->NotifyReorderNeeded();
    EXPECT_SQL(Shape(), "(a b) | c");
}

TEST_F(JoinTest, ALoneNestedGroupGivesWayToItsItems)
{
    EXPECT_SQL(Load(QStringLiteral("Select * From a, (b Inner Join c On b.id = c.b_id)")),
               "Select * From a, b Inner Join c On b.id = c.b_id");
    EXPECT_SQL(Shape(), "a | b | c");
    EXPECT_EQ(From()->GetLinksCount(), 1);
    EXPECT_SQL(Load(QStringLiteral("Select * From ((a Inner Join b On a.id = b.a_id) Inner Join c On b.id = c.b_id)")),
               "Select * From (a Inner Join b On a.id = b.a_id) Inner Join c On b.id = c.b_id");
    // A group joined to something keeps its brackets.
    const QString joined = QStringLiteral("Select * From c Left Join (a Inner Join b On a.id = b.a_id) On c.b_id = b.id");
    EXPECT_SQL(Load(joined), Reprinted(joined));
    EXPECT_SQL(Shape(), "c | (a b)");
    TnvLink *link = From()->GetLink(0);
    EXPECT_EQ(link->OwnerDatasource(), From()->GetItems(1));
    EXPECT_TRUE(link->IsSimple());
    EXPECT_EQ(link->RightDatasource(), Source(QStringLiteral("b")));
}

TEST_F(JoinTest, AnUnlinkedItemLeavesItsGroupWithoutTheGroupsCondition)
{
    // dbo.Customers has no link inside the brackets: it moves to the parent
    // right after the group, and the group keeps its own ON condition.
    EXPECT_SQL(Load(QStringLiteral("Select * From c Inner Join (a Inner Join b On a.id = b.a_id Cross Join "
                                   "dbo.Customers) On c.b_id = b.id")),
               "Select * From c Inner Join (a Inner Join b On a.id = b.a_id) On c.b_id = b.id, dbo.Customers");
    EXPECT_SQL(Shape(), "c | (a b) | dbo.Customers");
    TnvLink *link = From()->GetLink(0);
    EXPECT_EQ(link->OwnerDatasource(), From()->GetItems(1));
    EXPECT_EQ(link->SameLevelDatasourcesCount(), 2);
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    // When the condition refers to the item that leaves, it goes along.
    EXPECT_SQL(Load(QStringLiteral("Select * From c Inner Join (a Inner Join b On a.id = b.a_id Cross Join "
                                   "dbo.Customers cu) On cu.CustomerID = c.id")),
               "Select * From c Inner Join dbo.Customers cu On cu.CustomerID = c.id, a Inner Join b On a.id = b.a_id");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
}

TEST_F(JoinTest, ASetThatCannotBeLaidOutKeepsItsItems)
{
    // b's and c's conditions test only themselves: neither can come first
    // of the two, so the group keeps its order and every condition.
    const QString sql = QStringLiteral("Select * From a Inner Join b On b.y > 0 Inner Join c On c.id > 0 Inner Join "
                                       "dbo.Customers cu On cu.CustomerID = a.id");
    EXPECT_SQL(Load(sql), Reprinted(sql));
    EXPECT_SQL(Shape(), "a | b | c | cu");
    EXPECT_EQ(Links().size(), 3);
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    // A later change in the group keeps it so as well.
    Source(QStringLiteral("cu"))->SetAlias(QStringLiteral("k"));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On b.y > 0 Inner Join c On c.id > 0 Inner Join dbo.Customers k "
                      "On k.CustomerID = a.id");
}

TEST_F(JoinTest, LinksMadeFromExpressionsFindTheirOwner)
{
    Load(QStringLiteral("Select * From a, b, c"));
    TnvLink *link = From()->AddLinkAST(nullptr, Expression(QStringLiteral("a.id = c.b_id")), lpFrom, true);
    EXPECT_EQ(link->OwnerDatasource(), Source(QStringLiteral("c")));
    EXPECT_TRUE(link->IsSimple());
    EXPECT_FALSE(link->IsNew());
    EXPECT_SQL(SQL(), "Select * From a Inner Join c On a.id = c.b_id, b");
    link = From()->AddLinkAST(nullptr, Expression(QStringLiteral("b.a_id = a.id")), lpFrom, true);
    EXPECT_EQ(link->OwnerDatasource(), Source(QStringLiteral("b")));
    EXPECT_SQL(SQL(), "Select * From a Inner Join c On a.id = c.b_id Inner Join b On b.a_id = a.id");

    // Inside a nested group the owner is the later of the two in the group.
    Load(QStringLiteral("Select * From c Inner Join (a Inner Join b On a.id = b.a_id) On c.b_id = b.id"));
    auto *nested = static_cast<TnvDatasourceGroup *>(From()->GetItems(1));
    link = From()->AddLinkAST(nullptr, Expression(QStringLiteral("a.x = b.y")), lpFrom, true);
    EXPECT_EQ(link->Group(), nested);
    EXPECT_EQ(link->OwnerDatasource(), Source(QStringLiteral("b")));
    EXPECT_SQL(SQL(), "Select * From c Inner Join (a Inner Join b On a.id = b.a_id And a.x = b.y) On c.b_id = b.id");
    // Across the brackets the owner is the group.
    link = From()->AddLinkAST(nullptr, Expression(QStringLiteral("c.id = a.x")), lpFrom, true);
    EXPECT_EQ(link->OwnerDatasource(), nested);

    // One data source gives no owner.
    try {
        From()->AddLinkAST(nullptr, Expression(QStringLiteral("a.id = a.x")), lpFrom, true);
        ADD_FAILURE() << "no owner expected";
    } catch (const EAssertionFailed &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral(
            "Invalid parameter to TnvFromClause.AddLinkAST:can't calc ADatasourceOwner")))
            << e.Message().toStdString();
    }
}

TEST_F(JoinTest, TheGroupAnswersQuestionsAboutItsItems)
{
    Load(QStringLiteral("Select * From c Inner Join (a Inner Join b On a.id = b.a_id) On c.b_id = b.id, "
                        "dbo.Customers cu, dbo.Customers"));
    TnvDatasourceGroup *root = From();
    auto *nested = static_cast<TnvDatasourceGroup *>(root->GetItems(1));
    TnvDatasource *a = Source(QStringLiteral("a"));
    TnvDatasource *c = Source(QStringLiteral("c"));
    EXPECT_TRUE(root->ContainsDatasource(nested, false));
    EXPECT_FALSE(root->ContainsDatasource(a, false));
    EXPECT_TRUE(root->ContainsDatasource(a, true));
    EXPECT_TRUE(root->ContainsDatasourceBefore(a, Source(QStringLiteral("cu"))));
    EXPECT_FALSE(root->ContainsDatasourceBefore(a, nested));
    EXPECT_FALSE(root->ContainsDatasourceBefore(c, c));
    EXPECT_EQ(root->FindDatasourceByAST(a->DatasourceAST()), a);
    EXPECT_EQ(root->FindDatasourceByAST(nested->DatasourceAST()), nested);
    EXPECT_EQ(root->FindDatasourceByAST(nullptr), nullptr);
    EXPECT_EQ(DatasourceOfFromSource(a->DatasourceAST()), a);
    EXPECT_EQ(DatasourceOfFromSource(nested->DatasourceAST()), nullptr);

    QList<TnvDatasourceBase *> customers;
    TOwned<TSQLQualifiedName> name = p->ParseQualifiedName(QStringLiteral("dbo.customers"));
    root->FindTablesByDBName(name.get(), customers);
    EXPECT_EQ(customers.size(), 2);

    TnvDatasource *b = Source(QStringLiteral("b"));
    TOwned<TSQLQualifiedName> id = p->ParseQualifiedName(QStringLiteral("id"));
    TOwned<TSQLQualifiedName> aId = p->ParseQualifiedName(QStringLiteral("A_ID"));
    EXPECT_EQ(root->FindLink(a, id.get(), b, aId.get()), nested->GetLink(0));
    EXPECT_EQ(root->FindLink(b, aId.get(), a, id.get()), nullptr);

    QList<TnvDatasource *> all;
    root->GetDatasources(all);
    EXPECT_EQ(all.size(), 5);
    TastNodeRefList sources;
    root->GetFromSources(sources);
    EXPECT_EQ(sources.size(), 5);
    EXPECT_EQ(sources[1], a->DatasourceAST());
    QList<TnvDatasourceBase *> groups;
    root->GetDatasourceByClass(TnvDatasourceGroup::StaticClassType(), groups);
    EXPECT_EQ(groups.size(), 2);
}

TEST_F(JoinTest, WhereModeKeepsTheOrderAndClearsNewFlags)
{
    p->ANSIJoins = false;
    qb->SetSyntaxProvider(nullptr);
    qb->SetSyntaxProvider(p);
    Load(QStringLiteral("Select * From c, a, b Where a.id = b.a_id"));
    TnvLink *link = From()->AddLinkAST(nullptr, Expression(QStringLiteral("c.b_id = b.id")), lpWhere, true);
    EXPECT_FALSE(link->IsNew());
    EXPECT_SQL(Shape(), "c | a | b");
    EXPECT_SQL(SQL(), "Select * From c, a, b Where a.id = b.a_id And c.b_id = b.id");
}

TEST_F(JoinTest, ARebuildIsAskedOncePerBracket)
{
    Load(QStringLiteral("Select * From a, b, c"));
    const int before = qb->SQLUpdatedCount;
    qb->BeginUpdate();
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("a.id = b.a_id")), lpFrom, true);
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("b.id = c.b_id")), lpFrom, true);
    EXPECT_TRUE(From()->IsReorderNeeded());
    EXPECT_SQL(Shape(), "a | b | c");
    qb->EndUpdate();
    EXPECT_FALSE(From()->IsReorderNeeded());
    EXPECT_EQ(qb->SQLUpdatedCount, before + 1);
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id = b.a_id Inner Join c On b.id = c.b_id");
}

TEST_F(JoinTest, AConditionThatJoinsNothingGoesToTheLastItemItTouches)
{
    // c's condition tests only b: c comes first of its chain, b joins it by
    // its own condition, and c's condition goes to b, where b stands after
    // c. Left with c, it would stand first of the chain, where no ON
    // condition can.
    EXPECT_SQL(Load(QStringLiteral("Select * From a Inner Join b On b.y > 0 Inner Join c On b.id Is Not Null")),
               "Select * From a, c Inner Join b On b.y > 0 And b.id Is Not Null");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    for (TnvLink *link : Links())
        EXPECT_EQ(link->OwnerDatasource(), Source(QStringLiteral("b")));
}

TEST_F(JoinTest, ARebuildThatKeepsTheOrderStillPrintsJoinsThatParse)
{
    // The outer brackets hold one group and give way to it, which takes
    // their cross join; the top level cannot lay out t1, t3 and t4 (t4's
    // conditions test t1 and t3 alone), so it keeps its order, and every
    // condition stays where it was. t4's reaches t1 past the commas, which
    // are cross joins then, as the text reads in order. The brackets around
    // the right join stay: without them everything before t5 would be the
    // side of the join that may come out empty.
    const QString sql = QStringLiteral(
        "Select * From a t0 Cross Join c t1, dbo.Customers t2, dbo.Customers t3 Join dbo.Customers t4 On (t4.City = "
        "t3.City Or t3.City = t4.City) And t1.b_id Is Not Null And t3.City Is Not Null Cross Join ((c t5 Right Outer "
        "Join a t6 On t6.x = t5.id Cross Join c t7))");
    EXPECT_SQL(Load(sql), "Select * From a t0 Cross Join c t1 Cross Join dbo.Customers t2 Cross Join dbo.Customers t3 "
                          "Inner Join dbo.Customers t4 On (t4.City = t3.City Or t3.City = t4.City) And t1.b_id Is Not "
                          "Null And t3.City Is Not Null Cross Join (c t5 Right Outer Join a t6 On t6.x = t5.id Cross "
                          "Join c t7)");
    EXPECT_SQL(Shape(), "t0 | t1 | t2 | t3 | t4 | (t5 t6 t7)");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
}

TEST_F(JoinTest, AConditionThatTestsOnlyAnotherItemLetsThatItemJoinLast)
{
    // b's condition tests c alone. Once a link from b to a joins them, c
    // can come only after b, and only by b's condition: it goes to c. Kept
    // where they stood, b's ON would name a, before the comma, out of its
    // reach.
    EXPECT_SQL(Load(QStringLiteral("Select * From a, c Inner Join b On c.id > 0")),
               "Select * From a, c Inner Join b On c.id > 0");
    From()->AddLinkAST(nullptr, Expression(QStringLiteral("a.id = b.a_id")), lpFrom, true);
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On a.id = b.a_id Inner Join c On c.id > 0");
    EXPECT_SQL(Again(p, qb->MetadataContainer(), SQL()), SQL());
    EXPECT_EQ(Links().size(), 2);
}


TEST_F(JoinTest, AnAddedSourceIsLaidOutAsReadingTheTextBackWould)
{
    // c's condition tests c alone; with nothing else left it joins in its
    // place. Another item changes that where the text is read back, so the
    // tree is laid out again when one is added.
    EXPECT_SQL(Load(QStringLiteral("Select * From a Inner Join c On c.id > 0 Inner Join b On b.a_id = a.id")),
               "Select * From a Inner Join c On c.id > 0 Inner Join b On b.a_id = a.id");
    Part()->AddObject(QStringLiteral("c"));
    EXPECT_SQL(SQL(), Again(p, qb->MetadataContainer(), SQL()));
    EXPECT_SQL(SQL(), "Select * From a Inner Join b On b.a_id = a.id Inner Join c On c.id > 0, c c1");
}
} // namespace nvqb::test
