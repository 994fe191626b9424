// SELECT statements printed part by part through the one-line builder and the
// default builder; unions; the proxy's refusals; copying.
#include "StatementTestSupport.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class StatementTest : public ::testing::Test {
protected:
    TTestUnionProvider provider;
    TTestSyntaxProvider *p = &provider;

    // Select Distinct o.id, Count(*) As n, total = o.amount, i.*
    // From Orders o Where o.id > 10 And o.amount < 5 Group By o.id
    // Having Count(*) > 1 Order By n Desc
    TOwned<TSQLSelectStatement> FullStatement()
    {
        auto block = Create<TSQLSubQuerySelectExpression>(p);
        block->SelectMode.reset(Create<TSQLSubQuerySelectModeDistinct>(p));
        block->FromClause.reset(Create<TSQLFromClause>(p));
        block->FromClause->Add(Obj(p, "Orders", "o"));
        block->FromClause->Add(Obj(p, "Items", "i"));
        TSQLFromSource *orders = block->FromClause->GetItems(0);
        block->SelectItems.reset(Create<TSQLSelectItems>(p));
        block->SelectItems->Add(Item(Col(p, "id", orders)));
        auto count = Create<TSQLExpressionAggregate>(p);
        count->FunctionName.reset(Name(p, "COUNT"));
        block->SelectItems->Add(Item(count->Clone(), Alias<TSQLAliasExpressionAsAlias>(p, "n")));
        block->SelectItems->Add(Item(Col(p, "amount", orders), Alias<TSQLAliasEqualsExpression>(p, "total")));
        auto allOfItems = Create<TSQLSelectItemAllTableColumns>(p);
        allOfItems->TableName.reset(Name<TSQLDatabaseObject>(p, "i"));
        allOfItems->TableName->SetDatasource(block->FromClause->GetItems(1));
        block->SelectItems->Add(std::move(allOfItems));
        block->WhereClause.reset(Logical<TSQLExpressionAnd>(
            p, {Bin(p, Col(p, "id", orders), ">", Num(p, "10")).release(),
                Bin(p, Col(p, "amount", orders), "<", Num(p, "5")).release()}));
        block->GroupByClause.reset(Create<TSQLGroupByList>(p));
        block->GroupByClause->Add(Col(p, "id", orders));
        block->HavingClause.reset(Bin(p, TOwned<TSQLExpressionItem>(count.release()), ">", Num(p, "1")));
        block->OrderByClause.reset(Create<TSQLOrderByClause>(p));
        auto order = Create<TSQLOrderByItem>(p);
        order->Expression.reset(Col(p, "n"));
        order->SortOrder = obDesc;
        block->OrderByClause->Add(std::move(order));
        return Statement(p, std::move(block));
    }
};

TEST_F(StatementTest, EveryPartOfASelectBlockInBothBuilders)
{
    auto statement = FullStatement();
    EXPECT_SQL(Fast(statement.get()),
              "Select Distinct o.id, Count(*) As n, total = o.amount, i.* From Orders o, Items i "
              "Where o.id > 10 And o.amount < 5 Group By o.id Having Count(*) > 1 Order By n Desc");
    EXPECT_SQL(Formatted(statement.get()),
              "Select Distinct o.id, Count(*) As n, total = o.amount, i.*\n"
              "From Orders o, Items i\n"
              "Where o.id > 10 And o.amount < 5\n"
              "Group By o.id\n"
              "Having Count(*) > 1\n"
              "Order By n Desc");
}

TEST_F(StatementTest, FormatOptionsShapeTheParts)
{
    auto statement = FullStatement();
    TSQLBuilder builder;
    builder.SetKeywordFormat(nkfUpperCase);
    TSQLBuilderSelectFormat *format = builder.MainQueryFormat();
    format->SetNewLineAfterPartKeywords(true);
    format->SetIndentGlobal(1);
    format->SelectListFormat()->SetNewLineAfterItem(true);
    format->GroupByFormat()->SetNewLineAfterItem(true);
    format->WhereFormat()->SetNewLineAfter(nlTopmostLogical);
    EXPECT_SQL(Formatted(statement.get(), builder),
              "SELECT DISTINCT\n"
              "   o.id,\n"
              "   Count(*) AS n,\n"
              "   total = o.amount,\n"
              "   i.*\n"
              " FROM\n"
              "   Orders o, Items i\n"
              " WHERE\n"
              "   o.id > 10 AND\n"
              "   o.amount < 5\n"
              " GROUP BY\n"
              "   o.id\n"
              " HAVING\n"
              "   Count(*) > 1\n"
              " ORDER BY\n"
              " n DESC");
}

TEST_F(StatementTest, EmptySelectListWritesOnlyTheKeywords)
{
    auto block = Create<TSQLSubQuerySelectExpression>(p);
    block->SelectMode.reset(Create<TSQLSubQuerySelectModeAll>(p));
    EXPECT_SQL(Fast(block.get()), QStringLiteral("Select All"));
    block->SelectItems.reset(Create<TSQLSelectItems>(p));
    block->SelectItems->Add(Create<TSQLSelectItemAllColumns>(p));
    EXPECT_SQL(Fast(block.get()), QStringLiteral("Select All *"));
}

TEST_F(StatementTest, UnionsWithOperatorsAllAndBracketedGroups)
{
    auto statement = Statement(p, Block(p, {"a"}, "T1"));
    auto second = Block(p, {"b"}, "T2");
    second->UnionOperator = QStringLiteral("Except");
    second->UnionAll = true;
    statement->Add(std::move(second));
    statement->Add(Block(p, {"c"}, "T3"));
    EXPECT_SQL(Fast(statement.get()),
              "Select a From T1 Except All Select b From T2 Union Select c From T3");
    EXPECT_SQL(Formatted(statement.get()),
              "Select a\nFrom T1\nExcept All\nSelect b\nFrom T2\nUnion\nSelect c\nFrom T3");
    EXPECT_SQL(statement->GetItems(1)->GetSimpleUnionOperator(), QStringLiteral("Except All"));

    auto group = Create<TSQLSubQueryExpressions>(p);
    group->Add(Block(p, {"x"}, "X"));
    auto y = Block(p, {"y"}, "Y");
    y->UnionOperator = QStringLiteral("Intersect");
    group->Add(std::move(y));
    group->UnionAll = true;
    auto nested = Statement(p, Block(p, {"a"}, "T1"));
    nested->Add(std::move(group));
    nested->OrderByClause.reset(Create<TSQLOrderByClause>(p));
    nested->OrderByClause->Siblings = true; // never written at statement level
    auto order = Create<TSQLOrderByItem>(p);
    order->Expression.reset(Num(p, "1"));
    nested->OrderByClause->Add(std::move(order));
    EXPECT_SQL(Fast(nested.get()),
              "Select a From T1 Union All (Select x From X Intersect Select y From Y) Order By 1");
    EXPECT_EQ(nested->FirstSelectBlock(), nested->GetItems(0));
}

TEST_F(StatementTest, WithClauseItemsAndDerivedQueries)
{
    auto with = Create<TSQLWithClause>(p);
    auto item = Create<TSQLWithClauseItem>(p);
    item->Name.reset(Id(p, "recent"));
    item->ColumnNames.reset(Create<TastIdentifiersList>(p));
    item->ColumnNames->Add(Id(p, "a"));
    item->ColumnNames->Add(Id(p, "b"));
    item->Query.reset(Statement(p, Block(p, {"a", "b"}, "T")));
    with->Add(std::move(item));
    auto second = Create<TSQLWithClauseItem>(p);
    second->Name.reset(Id(p, "other"));
    second->Query.reset(Statement(p, Block(p, {"c"}, "U")));
    with->Add(std::move(second));
    auto statement = Statement(p, Block(p, {"a"}, "recent"));
    statement->WithClause.reset(std::move(with));
    EXPECT_SQL(Fast(statement.get()), "With recent(a, b) As (Select a, b From T), other As (Select c From U) "
                                     "Select a From recent");
    EXPECT_SQL(Formatted(statement.get()),
              "With recent(a, b) As (Select a, b\n"
              "    From T),\n"
              "  other As (Select c\n"
              "    From U)\n"
              "Select a\n"
              "From recent");
}

TEST_F(StatementTest, CopiesAreDeepAndKeepPlainValues)
{
    auto statement = FullStatement();
    statement->GetItems(0)->UnionOperator = QStringLiteral("Except");
    TOwned<TSQLSelectStatement> copy = statement->Clone();
    const QString printed = Fast(statement.get());
    EXPECT_EQ(Fast(copy.get()), printed);
    EXPECT_SQL(copy->GetItems(0)->UnionOperator, QStringLiteral("Except"));
    EXPECT_NE(copy->GetItems(0), statement->GetItems(0));
    auto *block = static_cast<TSQLSubQuerySelectExpression *>(copy->GetItems(0));
    EXPECT_EQ(block->OrderByClause->GetItems(0)->SortOrder, obDesc);
    // The copy's columns name the copy's own sources, so it prints the same
    // once the original is gone.
    statement.reset();
    EXPECT_SQL(Fast(copy.get()), printed);
}

TEST_F(StatementTest, RowLimitsAndTopClauses)
{
    auto limit = Create<TSQLOffsetLimit>(p);
    limit->Limit = 10;
    limit->Offset = 20;
    EXPECT_SQL(Fast(limit.get()), QStringLiteral("Limit 20, 10"));
    auto limitOffset = Create<TSQLLimitOffset>(p);
    limitOffset->Assign(limit.get());
    EXPECT_SQL(Fast(limitOffset.get()), QStringLiteral("Limit 10 Offset 20"));

    auto top = Create<TSQLSubQueryTopRows>(p);
    top->RowCount.reset(Num(p, "5"));
    top->StartingAt.reset(Num(p, "2"));
    top->WithTies.reset(Create<TSQLSubQueryTopWithTies>(p));
    EXPECT_SQL(Fast(top.get()), QStringLiteral("Top 5 Starting At 2 With Ties"));
    auto percent = Create<TSQLSubQueryTopPercent>(p);
    percent->RowCount.reset(Num(p, "10"));
    EXPECT_SQL(Fast(percent.get()), QStringLiteral("Top 10 Percent"));
    auto first = Create<TSQLSubQueryFirstSkipClause>(p);
    first->Skip.reset(Num(p, "3"));
    EXPECT_SQL(Fast(first.get()), QStringLiteral("First"));
    first->First.reset(Num(p, "5"));
    EXPECT_SQL(Fast(first.get()), QStringLiteral("First 5 Skip 3"));
}

// A proxy of the query model: prints and clones the tree its owner gives.
class TestProxy : public TSQLSubSelectStatementProxy {
    NV_DECLARE_AST_CLASS(TestProxy)
public:
    using TSQLSubSelectStatementProxy::TSQLSubSelectStatementProxy;
    TOwned<TSQLSubSelectStatement> GetASTTree() const override
    {
        return Statement(SyntaxProvider(), Block(SyntaxProvider(), {"x"}, "Inner1"));
    }
};
NV_IMPLEMENT_AST_CLASS(TestProxy, TSQLSubSelectStatementProxy)

TEST_F(StatementTest, ProxyPrintsItsOwnersTreeAndRefusesListOperations)
{
    auto proxy = Create<TestProxy>(p);
    auto derived = Create<TSQLExpressionSelect>(p);
    derived->SubQuery.reset(CloneAs<TSQLSubSelectStatement>(proxy.get()));
    EXPECT_FALSE(derived->SubQuery->Is<TSQLSubSelectStatementProxy>());
    EXPECT_SQL(Fast(proxy.get()), QStringLiteral("Select x From Inner1"));
    TastNodesList children;
    proxy->GetMyChildren(children);
    EXPECT_TRUE(children.isEmpty());

    auto expectMessage = [](auto &&call, const QString &operation, bool assertion) {
        try {
            call();
            ADD_FAILURE() << "not refused: " << operation.toStdString();
        } catch (const EAssertionFailed &e) {
            EXPECT_TRUE(assertion) << operation.toStdString();
            EXPECT_TRUE(e.Message().contains(operation + " can't be called with TSQLSubSelectStatementProxy"));
        } catch (const Exception &e) {
            EXPECT_FALSE(assertion) << operation.toStdString();
            EXPECT_SQL(e.Message(), operation + " can't be called with TSQLSubSelectStatementProxy");
        }
    };
    TSQLSubSelectStatementProxy *base = proxy.get();
    expectMessage([&] { base->Add(Block(p, {"a"}, "T")); }, "Add", false);
    expectMessage([&] { base->Clear(); }, "Clear", false);
    expectMessage([&] { base->Assign(derived->SubQuery.get()); }, "Assign", false);
    expectMessage([&] { base->GetCount(); }, "GetCount", true);
    expectMessage([&] { base->GetItems(0); }, "GetItems", true);
    expectMessage([&] { base->Delete(0); }, "Delete", true);
    expectMessage([&] { base->Remove(nullptr); }, "Remove", true);
    expectMessage([&] { base->Extract(qsizetype(0)); }, "Extract", true);
    expectMessage([&] { base->Extract(static_cast<TSQLSubQueryExpression *>(nullptr)); }, "Extract", true);
}

} // namespace
