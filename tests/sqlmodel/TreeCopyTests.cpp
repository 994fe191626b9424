// Copies of parsed and bound statements stand alone: the references their
// nodes hold (a name's FROM source, a FROM object's WITH item) point into the
// copy, so renaming or freeing the original leaves the copy as it was, while
// references to what lies outside the copied tree (metadata objects, the
// sources of an enclosing query) are kept.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataEntries.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/QueryStatistics.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class TreeCopyTest : public ::testing::Test {
protected:
    TnvSQL92SyntaxProvider provider;
    TnvSQL92SyntaxProvider *p = &provider;
    TOwned<TnvMetadataContainer> container;

    void SetUp() override
    {
        SetMetadataEntries(MetadataModelEntries());
        container = MakeContainer(p);
        container->SetWorkOffline(true);
        container->SetDefaultSchemaNamesStr(QStringLiteral("sales"));
        Table("Orders", {"id", "customer_id", "total"});
        Table("Customers", {"id", "name"});
    }
    void TearDown() override
    {
        container.reset();
        SetMetadataEntries(nullptr);
    }
    void Table(const char *name, std::initializer_list<const char *> fields)
    {
        TnvMetadataObject *table = container->AddTable(QStringLiteral("sales"), QString::fromUtf8(name));
        for (const char *field : fields)
            table->GetFields()->AddField(QName(p, QString::fromUtf8(field)).get(), ftInteger, 0, true, false);
        table->GetFields()->SetLoaded(true);
    }

    TOwned<TSQLSelectStatement> Parse(const char *text) { return p->ParseSelect(QString::fromUtf8(text)); }
    void Bind(TastNodeBase *node)
    {
        TastNodeRefList withItems, fromSources;
        node->PrepareAndFixupRecursive(withItems, fromSources, container.get());
    }
    TOwned<TSQLSelectStatement> Bound(const char *text)
    {
        TOwned<TSQLSelectStatement> statement = Parse(text);
        Bind(statement.get());
        return statement;
    }
    static QString Print(const TastNode *node) { return node->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr); }

    static QList<TastNodeBase *> Nodes(TastNodeBase *root)
    {
        TastNodesList all;
        root->GetMyChildrenRecursive(all);
        QList<TastNodeBase *> result{root};
        for (TastNodeBase *node : all)
            result << node;
        return result;
    }
    // Every node another node of the tree refers to.
    static QList<TastNodeBase *> Targets(TastNodeBase *root)
    {
        QList<TastNodeBase *> result;
        for (TastNodeBase *node : Nodes(root)) {
            if (auto *name = As<TSQLDatabaseObject>(node); name && name->Datasource())
                result << name->Datasource();
            if (auto *object = As<TSQLFromObject>(node); object && object->WithItem())
                result << object->WithItem();
        }
        return result;
    }
    // How many references of Tree point into Root's subtree.
    static int TargetsInside(TastNodeBase *tree, const TastNodeBase *root)
    {
        int count = 0;
        for (TastNodeBase *target : Targets(tree))
            count += root->ContainsNode(target) ? 1 : 0;
        return count;
    }
    static QList<TSQLFromObject *> FromObjects(TastNodeBase *root)
    {
        QList<TSQLFromObject *> result;
        for (TastNodeBase *node : Nodes(root))
            if (auto *object = As<TSQLFromObject>(node))
                result << object;
        return result;
    }
    // Every FROM object of the tree gets the own name "renamed".
    void Rename(TastNodeBase *root)
    {
        for (TSQLFromObject *object : FromObjects(root)) {
            TOwned<TastToken> old = object->ObjectName->ExtractName();
            object->ObjectName->AddName(QStringLiteral("renamed"));
        }
    }
    static TSQLSubQuerySelectExpression *Block(const TSQLSubQueryExpressions *statement)
    {
        return statement->FirstSelectBlock();
    }
};

TEST_F(TreeCopyTest, ParsedStatementsCopyWithTheirOwnNames)
{
    auto original = Parse(R"(SELECT x FROM "Tb", s.u WHERE x IN (SELECT y FROM v))");
    const QString printed = Print(original.get());
    // The parser binds each FROM object's name to its source.
    ASSERT_EQ(Targets(original.get()).size(), 3);

    auto copy = original->Clone();
    auto assigned = Parse("SELECT 1 FROM q");
    assigned->Assign(original.get());
    for (TSQLSelectStatement *made : {copy.get(), assigned.get()}) {
        EXPECT_EQ(TargetsInside(made, made), 3);
        EXPECT_EQ(TargetsInside(made, original.get()), 0);
    }

    Rename(original.get());
    EXPECT_SQL(Print(original.get()), "Select x From renamed, s.renamed Where x In (Select y From renamed)");
    EXPECT_SQL(Print(copy.get()), printed);
    EXPECT_SQL(Print(assigned.get()), printed);
    original.reset();
    EXPECT_SQL(Print(copy.get()), printed);
    EXPECT_SQL(Print(assigned.get()), printed);
    EXPECT_EQ(TargetsInside(copy.get(), copy.get()), 3);
}

TEST_F(TreeCopyTest, BoundStatementsCopyWithDerivedTablesSubQueriesAndWithItems)
{
    auto original = Bound("SELECT d.id, o.total FROM (SELECT id FROM Customers c) d, Orders o "
                          "WHERE o.customer_id IN (SELECT c2.id FROM Customers c2 WHERE c2.id = o.id)");
    const QString printed = Print(original.get());
    const int targets = int(Targets(original.get()).size());
    // The names of the three FROM objects; id in the derived table, d.id,
    // o.total, o.customer_id, c2.id twice and o.id.
    ASSERT_EQ(targets, 10);

    auto copy = original->Clone();
    EXPECT_EQ(TargetsInside(copy.get(), copy.get()), targets);
    // The metadata objects lie outside the tree: the copy names the same ones.
    const QList<TSQLFromObject *> copied = FromObjects(copy.get()), originals = FromObjects(original.get());
    ASSERT_EQ(copied.size(), 3);
    for (qsizetype i = 0; i < copied.size(); ++i) {
        ASSERT_NE(originals[i]->MetadataObject(), nullptr);
        EXPECT_EQ(copied[i]->MetadataObject(), originals[i]->MetadataObject());
    }

    // Aliases of the original change; the copy's columns print their own.
    Block(original.get())->FromClause->GetItems(1)->Alias->Identifier.reset(Ident(p, "z"));
    Block(original.get())->FromClause->GetItems(0)->Alias->Identifier.reset(Ident(p, "e"));
    EXPECT_SQL(Print(original.get()), "Select e.id, z.total From (Select c.id From Customers c) e, Orders z "
                                      "Where z.customer_id In (Select c2.id From Customers c2 Where c2.id = z.id)");
    EXPECT_SQL(Print(copy.get()), printed);

    // Freed original: the copy prints, binds again and counts what it uses.
    original.reset();
    EXPECT_SQL(Print(copy.get()), printed);
    Bind(copy.get());
    EXPECT_SQL(Print(copy.get()), printed);
    EXPECT_EQ(TargetsInside(copy.get(), copy.get()), targets);
    copy->PrepareCalcStatisticsRecursive();
    EXPECT_GT(copy->CalcStatisticsRecursive(), 0);
    EXPECT_EQ(copy->StatsObjects()->GetCount(), 2);

    // A WITH item named in FROM is the copy's own item. (The SQL-92 dialect
    // has no WITH: the clause is built around parsed queries.)
    auto with = Parse("SELECT w.id FROM w");
    auto item = Create<TSQLWithClauseItem>(p);
    item->Name.reset(Ident(p, "w"));
    item->Query.reset(Parse("SELECT id FROM Orders"));
    with->WithClause.reset(Create<TSQLWithClause>(p));
    with->WithClause->Add(std::move(item));
    Bind(with.get());
    ASSERT_NE(FromObjects(with.get()).last()->WithItem(), nullptr);
    auto withCopy = with->Clone();
    const QList<TSQLFromObject *> objects = FromObjects(withCopy.get());
    ASSERT_EQ(objects.size(), 2);
    TSQLWithClauseItem *copiedItem = objects.last()->WithItem();
    ASSERT_NE(copiedItem, nullptr);
    EXPECT_EQ(copiedItem, withCopy->WithClause->GetItems(0));
    const QString withPrinted = Print(with.get());
    with.reset();
    EXPECT_EQ(objects.last()->WithItem(), copiedItem);
    EXPECT_SQL(Print(withCopy.get()), withPrinted);
    withCopy->PrepareCalcStatisticsRecursive();
    withCopy->CalcStatisticsRecursive();
    EXPECT_EQ(withCopy->StatsObjects()->GetCount(), 1);
}

TEST_F(TreeCopyTest, PartsCopyAloneAndAssignFromInsideThemselves)
{
    auto statement = Bound("SELECT o.id FROM Orders o WHERE o.total IN (SELECT c.id FROM Customers c)");
    TSQLSubQuerySelectExpression *block = Block(statement.get());

    // A condition copied alone keeps its columns bound to the query's
    // sources, which lie outside it, and prints their alias.
    auto condition = block->WhereClause->Clone();
    EXPECT_SQL(Print(condition.get()), "o.total In (Select c.id From Customers c)");
    EXPECT_EQ(TargetsInside(condition.get(), statement.get()), 1);
    EXPECT_EQ(TargetsInside(condition.get(), condition.get()), 2);

    // The name of a FROM object copied alone is just a name.
    auto name = block->FromClause->GetItems(0)->Is<TSQLFromObject>()
                    ? static_cast<TSQLFromObject *>(block->FromClause->GetItems(0))->ObjectName->Clone()
                    : nullptr;
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->Datasource(), nullptr);
    Rename(statement.get());
    EXPECT_SQL(Print(name.get()), "Orders");

    // A block takes the sub-query from its own condition: the copy binds to
    // the block's new FROM object, not to the freed one.
    auto *inner = static_cast<TSQLExpressionInSubQuery *>(block->WhereClause.get())->SubQuery->FirstSelectBlock();
    block->Assign(inner);
    EXPECT_SQL(Print(statement.get()), "Select c.id From renamed c");
    EXPECT_EQ(TargetsInside(statement.get(), statement.get()), int(Targets(statement.get()).size()));
    Bind(statement.get());
    EXPECT_SQL(Print(statement.get()), "Select c.id From renamed c");
}

} // namespace
