// FROM chains: join kinds, nesting, ON conditions, derived tables, and the
// fields a source lists through the metadata entries.
#include "StatementTestSupport.h"
#include "sqlmodel/sql/MetadataSeam.h"

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class FromClauseTest : public ::testing::Test {
protected:
    TTestSyntaxProvider provider;
    TTestSyntaxProvider *p = &provider;

    TOwned<TSQLFromSource> Joined(TOwned<TSQLFromSource> source, TOwned<TSQLJoinKind> kind,
                                  TOwned<TSQLExpressionItem> condition = nullptr)
    {
        source->JoinKind.reset(std::move(kind));
        source->JoinCondition.reset(std::move(condition));
        return source;
    }
};

TEST_F(FromClauseTest, EveryJoinKindWritesItsKeywords)
{
    auto left = Create<TSQLJoinKindLeft>(p);
    EXPECT_SQL(Fast(left.get()), "Left Join");
    left->Outer = true;
    EXPECT_SQL(Fast(left.get()), "Left Outer Join");
    auto right = Create<TSQLJoinKindRight>(p);
    right->Outer = true;
    EXPECT_SQL(Fast(right.get()), "Right Outer Join");
    EXPECT_SQL(Fast(Create<TSQLJoinKindFull>(p).get()), "Full Join");
    EXPECT_SQL(Fast(Create<TSQLJoinKindInner>(p).get()), "Inner Join");
    EXPECT_SQL(Fast(Create<TSQLJoinKindCross>(p).get()), "Cross Join");
    EXPECT_SQL(Fast(CloneAs(left.get()).get()), "Left Outer Join");

    EXPECT_TRUE(Create<TSQLJoinKindFull>(p)->IsLeftOuter());
    EXPECT_TRUE(Create<TSQLJoinKindFull>(p)->IsRightOuter());
    EXPECT_TRUE(left->IsLeftOuter());
    EXPECT_FALSE(left->IsRightOuter());
    EXPECT_FALSE(right->IsLeftOuter());
    EXPECT_FALSE(Create<TSQLJoinKindInner>(p)->IsLeftOuter() || Create<TSQLJoinKindCross>(p)->IsRightOuter());
}

TEST_F(FromClauseTest, ChainsWithJoinsCommasAndNestedChains)
{
    auto from = Create<TSQLFromClause>(p);
    from->Add(Obj(p, "Orders", "o"));
    from->Add(Joined(Obj(p, "Items", "i"), Create<TSQLJoinKindInner>(p), Eq(p, "o.id", "i.oid")));
    from->Add(Obj(p, "Extra"));
    auto nested = Create<TSQLFromItem>(p);
    nested->Add(Obj(p, "A"));
    nested->Add(Joined(Obj(p, "B"), Create<TSQLJoinKindCross>(p)));
    from->Add(Joined(std::move(nested), Create<TSQLJoinKindLeft>(p), Eq(p, "o.id", "A.id")));
    EXPECT_SQL(Fast(from.get()), "Orders o Inner Join Items i On o.id = i.oid, Extra Left Join (A Cross Join B) On "
                                "o.id = A.id");

    auto block = Block(p, {}, QString());
    block->SelectItems->Add(Create<TSQLSelectItemAllColumns>(p));
    block->FromClause.reset(std::move(from));
    EXPECT_SQL(Formatted(block.get()),
              "Select *\n"
              "From Orders o Inner Join\n"
              "  Items i On o.id = i.oid, Extra Left Join\n"
              "  (A Cross Join\n"
              "    B) On o.id = A.id");
    TSQLBuilder builder;
    builder.MainQueryFormat()->FromClauseFormat()->SetNewLineAfterDatasource(true);
    builder.MainQueryFormat()->FromClauseFormat()->SetNewLineAfterJoin(false);
    EXPECT_SQL(Formatted(block.get(), builder),
              "Select *\n"
              "From Orders o\n"
              "  Inner Join Items i On o.id = i.oid,\n"
              "  Extra\n"
              "  Left Join (A\n"
              "    Cross Join B) On o.id = A.id");
}

TEST_F(FromClauseTest, DerivedTablesFunctionsAndAliases)
{
    auto derived = Create<TSQLFromQuery>(p);
    derived->Query.reset(Statement(p, Block(p, {"a"}, "T")));
    auto asAlias = Create<TSQLAliasObjectAsAlias>(p);
    asAlias->Identifier.reset(Id(p, "d"));
    derived->Alias.reset(std::move(asAlias));
    EXPECT_SQL(Fast(derived.get()), "(Select a From T) As d");
    EXPECT_SQL(derived->GetSimpleExpression(), "(Select a From T)");
    auto column = Col(p, "a", derived.get());
    EXPECT_SQL(Fast(column.get()), "d.a");

    auto block = Block(p, {"a"}, QString());
    block->FromClause.reset(Create<TSQLFromClause>(p));
    block->FromClause->Add(std::move(derived));
    EXPECT_SQL(Formatted(block.get()), "Select a\nFrom (Select a\n    From T) As d");

    auto function = Create<TSQLFromFunction>(p);
    function->Function.reset(Create<TSQLFunction>(p));
    function->Function->FunctionName.reset(Name(p, "f"));
    function->Function->Add(Num(p, "1"));
    function->Function->Add(Str(p, "x"));
    EXPECT_SQL(function->FunctionProbeQuery(), "select * from f(Null, Null) where 0<>0");
    // A column of an unaliased function prints without a prefix.
    EXPECT_SQL(Fast(Col(p, "c", function.get()).get()), "c");
}

// Fields lists stand in for the metadata model's: a list of names.
struct FakeFields {
    QStringList Names;
};
FakeFields *Fields(TnvMetadataFieldsList *list) { return reinterpret_cast<FakeFields *>(list); }
QStringList &ProbeLog()
{
    static QStringList log;
    return log;
}

const TnvMetadataEntries *FakeEntries()
{
    static const TnvMetadataEntries entries{
        [](TnvBaseSyntaxProvider *) { return reinterpret_cast<TnvMetadataFieldsList *>(new FakeFields); },
        [](TnvMetadataFieldsList *list) { delete Fields(list); },
        [](TnvMetadataFieldsList *dest, const TnvMetadataFieldsList *source) {
            Fields(dest)->Names = reinterpret_cast<const FakeFields *>(source)->Names;
        },
        [](TnvMetadataFieldsList *list) { Fields(list)->Names.clear(); },
        [](TnvMetadataFieldsList *, TnvBaseSyntaxProvider *) {},
        [](TnvMetadataContainer *, const QString &sql, TnvMetadataFieldsList *dest) {
            ProbeLog() << sql;
            if (sql.contains(QStringLiteral("broken")))
                throw Exception(QStringLiteral("no such object"));
            Fields(dest)->Names << QStringLiteral("probed");
        },
        [](TnvMetadataObject *, TnvMetadataContainer *, TnvMetadataFieldsList *dest) {
            Fields(dest)->Names << QStringLiteral("from metadata");
        },
        [](TnvMetadataContainer *, const TSQLQualifiedName *) -> TnvMetadataObject * { return nullptr; },
        [](TnvMetadataObject *) -> TnvRefTarget * { return nullptr; },
    };
    return &entries;
}

class FieldsListTest : public FromClauseTest {
protected:
    void SetUp() override
    {
        SetMetadataEntries(FakeEntries());
        ProbeLog().clear();
    }
    void TearDown() override { SetMetadataEntries(nullptr); }
    TnvMetadataContainer *Container() { return reinterpret_cast<TnvMetadataContainer *>(this); }
    QStringList Names(const TSQLFromSource *source) { return Fields(source->FieldsList())->Names; }
};

TEST_F(FieldsListTest, ObjectsProbeAndSwallowFailures)
{
    TastNodeRefList withItems, sources;
    auto orders = Obj(p, "Orders", "o");
    orders->PrepareAndFixupRecursive(withItems, sources, Container());
    EXPECT_SQL(ProbeLog(), QStringList({"select * from Orders o where 0<>0"}));
    EXPECT_SQL(Names(orders.get()), QStringList({"probed"}));
    EXPECT_EQ(sources, TastNodeRefList({orders.get()}));
    EXPECT_EQ(orders->ObjectName->Datasource(), orders.get());

    auto broken = Obj(p, "broken");
    EXPECT_NO_THROW(broken->PrepareAndFixupRecursive(withItems, sources, Container()));
    EXPECT_TRUE(Names(broken.get()).isEmpty());
}

// A table function whose probe fails leaves its fields empty, as an object does.
TEST_F(FieldsListTest, FunctionsProbeWithNullArgumentsAndSwallowFailures)
{
    TastNodeRefList withItems, sources;
    auto function = Create<TSQLFromFunction>(p);
    function->Function.reset(Create<TSQLFunction>(p));
    function->Function->FunctionName.reset(Name(p, "broken"));
    function->Function->Add(Num(p, "1"));
    EXPECT_NO_THROW(function->PrepareAndFixupRecursive(withItems, sources, Container()));
    EXPECT_SQL(ProbeLog(), QStringList({"select * from broken(Null) where 0<>0"}));
    EXPECT_TRUE(Names(function.get()).isEmpty());
    function->Function->FunctionName.reset(Name(p, "f"));
    function->PrepareAndFixupRecursive(withItems, sources, Container());
    EXPECT_SQL(Names(function.get()), QStringList({"probed"}));
}

TEST_F(FieldsListTest, WithItemsWinOverTablesAndReadNilOnceFreed)
{
    auto item = Create<TSQLWithClauseItem>(p);
    item->Name.reset(Id(p, "recent"));
    Fields(item->ResultFields())->Names << QStringLiteral("w1");
    auto shadowed = Create<TSQLWithClauseItem>(p);
    shadowed->Name.reset(Id(p, "RECENT"));
    TastNodeRefList withItems{shadowed.get(), item.get()};
    TastNodeRefList sources;
    auto source = Obj(p, "recent");
    source->PrepareAndFixupRecursive(withItems, sources, Container());
    EXPECT_EQ(source->WithItem(), item.get());
    EXPECT_SQL(Names(source.get()), QStringList({"w1"}));
    EXPECT_TRUE(ProbeLog().isEmpty());
    item.reset();
    EXPECT_EQ(source->WithItem(), nullptr);
    // A two-part name never names a WITH item.
    auto qualified = Obj(p, "dbo.RECENT");
    qualified->PrepareAndFixupRecursive(withItems, sources, Container());
    EXPECT_EQ(qualified->WithItem(), nullptr);
}

TEST_F(FieldsListTest, DerivedTablesTakeTheFirstBlocksResultAndChainsNone)
{
    auto derived = Create<TSQLFromQuery>(p);
    auto group = Create<TSQLSubQueryExpressions>(p);
    auto first = Block(p, {"a"}, "T");
    Fields(first->ResultFields())->Names << QStringLiteral("a");
    group->Add(std::move(first));
    auto statement = Create<TSQLSelectStatement>(p);
    statement->Add(std::move(group));
    derived->Query.reset(std::move(statement));
    TastNodeRefList withItems, sources;
    derived->CalcFieldsList(withItems, sources, Container());
    EXPECT_SQL(Names(derived.get()), QStringList({"a"}));
    auto copy = CloneAs(derived.get());
    EXPECT_SQL(Names(copy.get()), QStringList({"a"}));

    auto chain = Create<TSQLFromItem>(p);
    chain->Add(Obj(p, "X"));
    chain->Add(Obj(p, "Y"));
    sources.clear();
    chain->PrepareAndFixupRecursive(withItems, sources, Container());
    EXPECT_SQL(sources.size(), 2); // the chain itself is no visible source
    EXPECT_TRUE(Names(chain.get()).isEmpty());
}

} // namespace
