// The metadata filter: which objects a rule set keeps, and the SQL
// pre-filter condition it gives a catalogue query.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"
#include "sqlmodel/metadata/MetadataFilter.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

class MetadataFilterTest : public ::testing::Test {
protected:
    TTestSyntaxProvider provider;
    TnvBaseSyntaxProvider *p = &provider;
    TOwned<TnvMetadataContainer> c = MakeContainer(p);
    TnvMetadataFilter filter;

    TnvMetadataFilterItem *Rule(const QString &schema, const QString &object, bool exclude,
                                TnvMetadataFilterApplyForSet kinds = nvQBMetadataFilterApplyForAll)
    {
        TnvMetadataFilterItem *item = filter.Add();
        item->SchemaMask = schema;
        item->ObjectMask = object;
        item->Exclude = exclude;
        item->ApplyFor = kinds;
        return item;
    }
    bool Keeps(TnvMetadataObject *object) { return filter.FilterMetadataObject(object); }
    QString Prefilter(TnvMetadataFilterApplyFor kind)
    {
        return filter.CreatePrefilterCondition(QStringLiteral("S"), QStringLiteral("O"), kind);
    }
};

TEST_F(MetadataFilterTest, EmptyFilterKeepsEverythingAndNarrowsNothing)
{
    EXPECT_TRUE(Keeps(c->AddTable(QStringLiteral("sys"), QStringLiteral("x"))));
    EXPECT_SQL(Prefilter(mfTables), "");
    Rule(QStringLiteral("%"), QString(), false, {mfTables});
    EXPECT_TRUE(Keeps(c->AddTable(QStringLiteral("a"), QStringLiteral("b"))));
    EXPECT_SQL(Prefilter(mfTables), "");
}

TEST_F(MetadataFilterTest, IncludeRulesPerKindAndExcludeRulesWithCase)
{
    Rule(QStringLiteral("dbo"), QStringLiteral("Ord%"), false, {mfTables});
    Rule(QStringLiteral("sales"), QStringLiteral("%"), false, {mfTables});
    Rule(QStringLiteral("%"), QStringLiteral("%_tmp"), true, {mfTables, mfViews});
    Rule(QStringLiteral("sys"), QStringLiteral("%"), true);

    EXPECT_TRUE(Keeps(c->AddTable(QStringLiteral("dbo"), QStringLiteral("Orders"))));
    EXPECT_TRUE(Keeps(c->AddTable(QStringLiteral("sales"), QStringLiteral("Anything"))));
    EXPECT_FALSE(Keeps(c->AddTable(QStringLiteral("dbo"), QStringLiteral("Items"))));
    EXPECT_FALSE(Keeps(c->AddTable(QStringLiteral("dbo"), QStringLiteral("orders")))); // case counts
    EXPECT_FALSE(Keeps(c->AddTable(QStringLiteral("dbo"), QStringLiteral("Orders_tmp"))));
    // Views have no include rule: kept unless excluded.
    EXPECT_TRUE(Keeps(c->AddView(QStringLiteral("hr"), QStringLiteral("People"))));
    EXPECT_FALSE(Keeps(c->AddView(QStringLiteral("hr"), QStringLiteral("x_tmp"))));
    EXPECT_FALSE(Keeps(c->AddProcedure(QStringLiteral("sys"), QStringLiteral("p"))));
    EXPECT_TRUE(Keeps(c->AddProcedure(QStringLiteral("SYS"), QStringLiteral("p"))));
    // An object of no filtered kind is kept.
    TOwned<TnvMetadataObject> plain = Create<TnvMetadataObject>(nullptr);
    plain->SetSchemaStr(QStringLiteral("sys"));
    EXPECT_TRUE(Keeps(plain.get()));
}

TEST_F(MetadataFilterTest, ExcludeRuleDropsOnlyObjectsMatchingAllItsMasks)
{
    Rule(QStringLiteral("sys"), QStringLiteral("tmp%"), true);
    EXPECT_FALSE(Keeps(c->AddTable(QStringLiteral("sys"), QStringLiteral("tmp1"))));
    EXPECT_TRUE(Keeps(c->AddTable(QStringLiteral("sys"), QStringLiteral("objects"))));
    EXPECT_TRUE(Keeps(c->AddTable(QStringLiteral("dbo"), QStringLiteral("tmp1"))));
    // The condition keeps exactly the rows the test keeps.
    EXPECT_SQL(Prefilter(mfTables), "not(((S like 'sys'))and((O like 'tmp%')))");
}

TEST_F(MetadataFilterTest, PrefilterTextsForSeveralRules)
{
    Rule(QStringLiteral("dbo"), QStringLiteral("Ord%"), false, {mfTables});
    EXPECT_SQL(filter.CreatePrefilterCondition(QStringLiteral("TABLE_SCHEMA"), QStringLiteral("TABLE_NAME"), mfTables),
               "((TABLE_SCHEMA like 'dbo'))and((TABLE_NAME like 'Ord%'))");
    Rule(QString(), QStringLiteral("a[_]b"), false, {mfTables});
    Rule(QStringLiteral("sys"), QStringLiteral("%"), true, {mfTables});
    Rule(QStringLiteral("%"), QStringLiteral("x_\"%\"'q"), true, {mfTables});
    Rule(QStringLiteral("v"), QStringLiteral("%"), false, {mfViews});
    EXPECT_SQL(Prefilter(mfTables), "(((S like 'dbo'))and((O like 'Ord%'))or(O like 'a_b'))and"
                                    "(not((S like 'sys'))andnot((O like 'x_%''q')))");
    EXPECT_SQL(filter.CreatePrefilterCondition(QStringLiteral("S"), QStringLiteral("O"), mfTables,
                                               QStringLiteral("*"), QStringLiteral("?")),
               "(((S like 'dbo'))and((O like 'Ord*'))or(O like 'a_b'))and"
               "(not((S like 'sys'))andnot((O like 'x?%''q')))");
    EXPECT_SQL(Prefilter(mfViews), "(S like 'v')");
    EXPECT_SQL(Prefilter(mfProcedures), "");
}

TEST_F(MetadataFilterTest, AssignCopiesTheRules)
{
    Rule(QStringLiteral("a"), QStringLiteral("b"), true, {mfViews});
    TnvMetadataFilter copy;
    copy.Assign(&filter);
    copy.Assign(&copy);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_TRUE(copy.Items(0)->Exclude);
    EXPECT_TRUE(copy.Items(0)->ApplyFor == TnvMetadataFilterApplyForSet({mfViews}));
    EXPECT_EQ(copy.Items(0)->Collection(), &copy);
}

} // namespace
} // namespace nvqb::test
