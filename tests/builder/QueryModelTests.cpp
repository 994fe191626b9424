// Loading statements into queries, union groups and union parts and printing
// them back: brackets, the statement's ORDER BY, sub-queries with their
// captions, WITH items, the binding context, and the fake controls' view.
#include "BuilderTestSupport.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Query.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/sql/SQLFromClause.h"

using namespace nvqb;
using namespace nvqb::test;

namespace {

TEST_F(BuilderTest, UnionWithABracketedGroupLoadsAsPartAndGroupAndPrintsBack)
{
    EXPECT_SQL(Load(QStringLiteral("SELECT a.id FROM a UNION (SELECT b.id FROM b UNION SELECT c.id FROM c)")),
               "Select a.id From a Union (Select b.id From b Union Select c.id From c)");
    ASSERT_EQ(Root()->GetCount(), 2);
    EXPECT_TRUE(Root()->GetItems(0)->Is<TnvUnionSubQuery>());
    auto *group = As<TnvUnionGroup>(Root()->GetItems(1));
    ASSERT_NE(group, nullptr);
    EXPECT_FALSE(group->Is<TnvSubQuery>());
    EXPECT_EQ(group->GetCount(), 2);
    EXPECT_EQ(group->ParentQuery(), Root());
    EXPECT_EQ(group->GetRootQuery(), Root());
    EXPECT_EQ(group->UpdateParent(), Root());
    // Union parts are children of the statement and report to their group.
    auto *inner = As<TnvUnionSubQuery>(group->GetItems(1));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->Parent(), Root());
    EXPECT_EQ(inner->UpdateParent(), group);
    EXPECT_SQL(Shape(), "a.id | (b.id | c.id)");
    ASSERT_EQ(Root()->UnionSubQueriesCount(), 3);
    EXPECT_EQ(Part(2), inner);
    EXPECT_EQ(Root()->FirstSelect(), Part(0));
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), Part(0));
    // The operator stays with the member it precedes.
    EXPECT_SQL(group->UnionNode()->GetSimpleUnionOperator(), "Union");
    EXPECT_SQL(Part(2)->GetResultQueryAST()->GetSimpleUnionOperator(), "Union");

    // Loading other text replaces everything, once.
    const int updates = qb->SQLUpdatedCount;
    EXPECT_SQL(Load(QStringLiteral("select a.x from a")), "Select a.x From a");
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), Part(0));
}

TEST_F(BuilderTest, OrderByOfAUnionIsHeldByTheFirstPartAndPrintedOnceAtTheEnd)
{
    const QString sql = Load(QStringLiteral("SELECT a.id FROM a UNION SELECT b.id FROM b ORDER BY 1"));
    EXPECT_SQL(sql, "Select a.id From a Union Select b.id From b Order By 1");
    EXPECT_EQ(sql.count(QStringLiteral("Order By")), 1);
    EXPECT_FALSE(Root()->GetASTSubQuery()->OrderByClause);
    EXPECT_TRUE(Part(0)->SelectList()->GetOrderByClause());
    EXPECT_FALSE(Part(1)->SelectList()->GetOrderByClause());

    // In brackets the first part is found through the group.
    EXPECT_SQL(Load(QStringLiteral("(SELECT a.id FROM a UNION SELECT a.x FROM a) UNION ALL SELECT b.id FROM b "
                                   "ORDER BY 1 DESC")),
               "(Select a.id From a Union Select a.x From a) Union All Select b.id From b Order By 1 Desc");
    EXPECT_TRUE(Part(0)->SelectList()->GetOrderByClause());
}

TEST_F(BuilderTest, OrderByStaysWithAStatementThatStartsWithAnEmptyGroup)
{
    // No first part can hold the ORDER BY here: the statement keeps it.
    TOwned<TSQLSelectStatement> statement = p->ParseSelect(QStringLiteral("Select b.id From b Order By 1"));
    TOwned<TSQLSubQueryExpression> block = statement->Extract(qsizetype(0));
    statement->Add(Create<TSQLSubQueryExpressions>(p));
    block->UnionOperator = QStringLiteral("Union");
    statement->Add(std::move(block));
    qb->LoadStatement(std::move(statement));
    EXPECT_EQ(Root()->FirstSelect(), nullptr);
    EXPECT_SQL(SQL(), "() Union Select b.id From b Order By 1");
}

TEST_F(BuilderTest, StatementsPrintBackAsTheParserPrintsThem)
{
    // Nil: as the parser prints it. A bracketed join that stands alone in the
    // FROM list gives way to its sources when the join tree is rebuilt.
    const struct {
        const char *Text;
        const char *Model;
    } statements[] = {
        {"Select 1", nullptr},
        // Criteria come back in the order of the grid's rows.
        {"Select Distinct a.id, a.x As total From a Where Not a.id = 2 And a.x > 1 Group By a.id, a.x "
         "Having Count(*) > 1 Order By 2 Desc, 1",
         nullptr},
        {"Select * From a Inner Join b On a.id = b.a_id Left Outer Join c On b.id = c.b_id Where c.id Is Null", nullptr},
        {"Select * From a, b, (c Inner Join b bb On c.b_id = bb.id) Where a.id = b.a_id",
         "Select * From a, b, c Inner Join b bb On c.b_id = bb.id Where a.id = b.a_id"},
        {"Select q.id From (Select a.id From a Union Select b.id From b) q Where q.id In (Select c.id From c)", nullptr},
        {"Select a.id From a Except Select b.a_id From b Intersect (Select c.b_id From c Union All Select 2)", nullptr},
        {"Select Case When a.x > 0 Then 'p' Else 'n' End, Cast(a.x As Varchar(10)) From a", nullptr},
        {"Select a.id From a Where Exists(Select 1 From b Where b.a_id = a.id And b.y In (Select c.id From c))",
         nullptr},
    };
    for (const auto &statement : statements) {
        const char *text = statement.Text;
        TOwned<TSQLSelectStatement> parsed = p->ParseSelect(QString::fromLatin1(text));
        const QString expected = statement.Model ? QString::fromLatin1(statement.Model)
                                                 : parsed->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr);
        EXPECT_SQL(Load(QString::fromLatin1(text)), expected) << text;
        // Printed again from a fresh model, the text stays the same.
        TOwned<TTestQueryBuilder> fresh = Create<TTestQueryBuilder>();
        fresh->SetSyntaxProvider(p);
        fresh->LoadStatement(p->ParseSelect(expected));
        EXPECT_SQL(fresh->GetSQL(), expected) << text;
    }
}

TEST_F(BuilderTest, PrintingFollowsTheQueryBuildersOptions)
{
    Load(QStringLiteral("Select a.id From a"));
    // Each printing option empties the query when it changes.
    qb->SetQuoteAllIdentifiers(true);
    EXPECT_SQL(SQL(), "Select *");
    EXPECT_SQL(Load(QStringLiteral("Select a.id From a")), "Select \"a\".\"id\" From \"a\"");
    qb->SetQuoteAllIdentifiers(true);
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
    EXPECT_SQL(SQL(), "Select \"a\".\"id\" From \"a\"");
    qb->SetQuoteAllIdentifiers(false);
    qb->MetadataContainer()->SetDefaultSchemaNamesStr(QStringLiteral("dbo"));
    // Without a default database no database is known to be the default
    // one: leaving db out would name another table.
    EXPECT_SQL(Load(QStringLiteral("Select t.id From db.dbo.t")), "Select t.id From db.dbo.t");
    qb->MetadataContainer()->SetDefaultDatabaseNameStr(QStringLiteral("db"));
    EXPECT_SQL(Load(QStringLiteral("Select t.id From db.dbo.t")), "Select t.id From t");
    EXPECT_SQL(Load(QStringLiteral("Select t.id From other.dbo.t")), "Select t.id From other.dbo.t");
    qb->SetObjectPrefixSkipping(opsSkipNone);
    EXPECT_SQL(Load(QStringLiteral("Select t.id From db.dbo.t")), "Select t.id From db.dbo.t");
    qb->SetCanReorderDatasources(false);
    EXPECT_SQL(SQL(), "Select *");
}

TEST_F(BuilderTest, MembersTakenOutOfAGroupStayUntilFreed)
{
    Load(QStringLiteral("Select 1 Union Select 2 Union Select 3"));
    TnvUnionSubQuery *second = Part(1);
    Root()->Delete(1);
    EXPECT_SQL(SQL(), "Select 1 Union Select 3");
    EXPECT_EQ(second->ParentQuery(), nullptr);
    EXPECT_EQ(second->Parent(), Root());
    Root()->GetItems(1)->InsertBefore(second);
    EXPECT_SQL(SQL(), "Select 1 Union Select 2 Union Select 3");
    Root()->Remove(second);
    TObject::Free(second);
    EXPECT_SQL(SQL(), "Select 1 Union Select 3");
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 2);
    EXPECT_THROW(Root()->Delete(2), EListError);
}

TEST_F(BuilderTest, QueryBuilderStartsWithOneEmptyCurrentPart)
{
    EXPECT_EQ(Root()->GetCount(), 1);
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
    EXPECT_EQ(qb->CurrentSubquery(), Root());
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), Part(0));
    EXPECT_TRUE(Part(0)->ANSIJoins());
    Load(QStringLiteral("Select a.id From a Union Select b.id From b"));
    qb->Clear();
    EXPECT_EQ(Root()->GetCount(), 1);
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), Part(0));
    EXPECT_SQL(SQL(), "Select *");
}

TEST_F(BuilderTest, DerivedTablesAndWithItemsBecomeSubQueries)
{
    EXPECT_SQL(Load(QStringLiteral("Select q.id From (Select a.id From a) q")), "Select q.id From (Select a.id From a) q");
    ASSERT_EQ(qb->GetSubQueriesCount(), 2);
    // The derived table's sub-query belongs to its data source.
    EXPECT_EQ(qb->GetSubQueries(1)->Parent(), Part(0)->FromGroup()->GetItems(0));

    // The SQL-92 grammar has no WITH clause: the statement is put together
    // from parsed parts.
    TOwned<TSQLSelectStatement> statement =
        p->ParseSelect(QStringLiteral("Select w.id From w Where Exists(Select 1 From b Where b.a_id = w.id)"));
    TOwned<TSQLWithClause> with = Create<TSQLWithClause>(p);
    TOwned<TSQLWithClauseItem> item = Create<TSQLWithClauseItem>(p);
    item->Name.reset(p->ParseIdentifier(QStringLiteral("w")));
    item->Query.reset(p->ParseSelect(QStringLiteral("Select a.id From a")));
    TSQLWithClauseItem *withItem = item.get();
    with->Add(std::move(item));
    statement->WithClause.reset(std::move(with));
    const QString expected = statement->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr);
    qb->LoadStatement(std::move(statement));
    EXPECT_SQL(SQL(), expected);
    ASSERT_EQ(qb->GetSubQueriesCount(), 3);
    TnvSubQuery *exists = qb->GetSubQueries(1);
    TnvSubQuery *withQuery = qb->GetSubQueries(2);
    EXPECT_EQ(withQuery->Parent(), Root());
    EXPECT_SQL(withQuery->GetResultSQL(), "Select a.id From a");

    // What a node inside the EXISTS sub-query sees: the WITH item, and the
    // FROM sources of the outer block before those of its own.
    TastNodeRefList withItems, fromSources;
    exists->UnionSubQueries(0)->GatherPrepareAndFixupContext(withItems, fromSources, true);
    ASSERT_EQ(withItems.size(), 1);
    EXPECT_EQ(withItems[0], withItem);
    ASSERT_EQ(fromSources.size(), 2);
    EXPECT_SQL(static_cast<TSQLFromSource *>(fromSources[0])->GetSimpleExpression(), "w");
    EXPECT_SQL(static_cast<TSQLFromSource *>(fromSources[1])->GetSimpleExpression(), "b");
    // Asked without its own sources, a block gives only the outer ones.
    withItems.clear();
    fromSources.clear();
    exists->UnionSubQueries(0)->GatherPrepareAndFixupContext(withItems, fromSources, false);
    EXPECT_EQ(fromSources.size(), 1);

    // Clearing the query drops the WITH clause and its sub-query.
    qb->Clear();
    EXPECT_EQ(qb->GetSubQueriesCount(), 1);
    EXPECT_SQL(SQL(), "Select *");
}

TEST_F(BuilderTest, AProviderChangeReachesEveryNodeAndTheJoinMode)
{
    Load(QStringLiteral("Select a.id From a Where a.id In (Select b.a_id From b)"));
    TnvSubQuery *sub = qb->GetSubQueries(1);
    TUnionTestProvider other;
    other.ANSIJoins = false;
    const int updates = qb->SQLUpdatedCount;
    qb->SetSyntaxProvider(&other);
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    EXPECT_EQ(Part(0)->SyntaxProvider(), &other);
    EXPECT_EQ(Part(0)->UnionNode()->SyntaxProvider(), &other);
    EXPECT_EQ(sub->UnionSubQueries(0)->SyntaxProvider(), &other);
    EXPECT_EQ(Part(0)->SelectList()->SyntaxProvider(), &other);
    EXPECT_FALSE(Part(0)->ANSIJoins());
    // A provider that goes leaves the model without one.
    qb->SetSyntaxProvider(nullptr);
    EXPECT_TRUE(Part(0)->ANSIJoins());
    {
        TUnionTestProvider going;
        qb->SetSyntaxProvider(&going);
    }
    EXPECT_EQ(qb->SyntaxProvider(), nullptr);
    EXPECT_EQ(Part(0)->SyntaxProvider(), nullptr);
}

TEST_F(BuilderTest, ControlsShowTheCurrentPartItsButtonAndTheOperators)
{
    Load(QStringLiteral("Select 1 Union All Select 2 Union (Select 3 Except Select 4)"));
    qb->CreateControls();
    auto control = [](TnvModelControl *c) { return static_cast<TFakeControl *>(c); };
    // The pages: the query's page is shown; of the union pages only the
    // current one, whose button is down.
    EXPECT_SQL(log.Matching({QStringLiteral("TnvQueryTabSheet"), QStringLiteral("Activate")}),
               "TnvQueryTabSheet#1 Activate");
    EXPECT_TRUE(control(Part(0)->GetUnionPage())->Visible);
    EXPECT_FALSE(control(Part(1)->GetUnionPage())->Visible);
    EXPECT_TRUE(control(Part(0)->GetUnionButton())->Down);
    EXPECT_FALSE(control(Part(1)->GetUnionButton())->Down);
    EXPECT_TRUE(control(Part(3)->GetUnionButton())->Visible);
    // No operator before the first member of a group; the others show theirs.
    EXPECT_FALSE(control(Part(0)->GetUnionOperator())->Visible);
    EXPECT_TRUE(control(Part(1)->GetUnionOperator())->Visible);
    EXPECT_SQL(control(Part(1)->GetUnionOperator())->Operator, "Union");
    EXPECT_TRUE(control(Part(1)->GetUnionOperator())->All);
    auto *group = As<TnvUnionGroup>(Root()->GetItems(2));
    EXPECT_SQL(control(group->GetUnionOperator())->Operator, "Union");
    EXPECT_FALSE(control(group->GetUnionOperator())->All);
    EXPECT_TRUE(control(group->GetLeftBracket())->Visible);
    EXPECT_FALSE(control(Part(2)->GetUnionOperator())->Visible);
    EXPECT_SQL(control(Part(3)->GetUnionOperator())->Operator, "Except");
    // The main query's page is captioned "Main", through the host's hook.
    EXPECT_SQL(control(Root()->GetControls(0))->Caption, "Main");
    qb->TabPrefix = QStringLiteral("> ");
    Part(1)->NotifySQLUpdated();
    EXPECT_SQL(control(Root()->GetControls(0))->Caption, "> Main");

    // Another current part: its page shows, the old one hides, its button goes down.
    log.Clear();
    Root()->SetCurrentUnionSubquery(Part(2));
    const QString newPage = control(Part(2)->GetUnionPage())->Name;
    const QString oldPage = control(Part(0)->GetUnionPage())->Name;
    const QString button = control(Part(2)->GetUnionButton())->Name;
    EXPECT_SQL(log.Lines, QStringList({newPage + " Visible(1)", oldPage + " Visible(0)", button + " Down(1)",
                                       newPage + " Visible(1)", newPage + " BringToFront"}));

    // Controls go with the query builder's controls, and come back.
    qb->DestroyControls();
    EXPECT_EQ(Part(0)->GetUnionPage(), nullptr);
    EXPECT_FALSE(Root()->ControlsCreated());
    qb->CreateControls();
    EXPECT_TRUE(control(Part(2)->GetUnionButton())->Down);

    // Sub-queries made while the controls exist get their pages at once.
    Load(QStringLiteral("Select a.id From a Where a.id In (Select b.a_id From b)"));
    ASSERT_NE(qb->GetSubQueries(1)->GetControls(0), nullptr);
    EXPECT_SQL(control(qb->GetSubQueries(1)->GetControls(0))->Caption, "> Select b.a_id From b");
}

TEST_F(BuilderTest, WithoutRegisteredControlsTheModelWorksAlone)
{
    // The process-wide factory of a library without widgets makes nothing.
    TOwned<TTestQueryBuilder> bare = Create<TTestQueryBuilder>();
    bare->SetSyntaxProvider(p);
    EXPECT_EQ(bare->GetControlFactory(), ControlFactory());
    bare->CreateControls();
    EXPECT_TRUE(bare->ControlsCreated());
    bare->LoadStatement(p->ParseSelect(QStringLiteral("Select 1 Union (Select 2 Union Select 3)")));
    TnvUnionSubQuery *part = bare->Query()->UnionSubQueries(1);
    EXPECT_TRUE(part->ControlsCreated());
    EXPECT_EQ(part->GetUnionButton(), nullptr);
    part->MoveBackward();
    bare->Query()->SetCurrentUnionSubquery(part);
    EXPECT_SQL(bare->GetSQL(), "Select 1 Union Select 2 Union (Select 3)");
    bare->DestroyControls();
}

} // namespace
