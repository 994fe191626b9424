// The syntax provider base: comparisons, aggregates, union operators,
// extender registry, subscribers, and the provider-class registries.
#include "AstTestSupport.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/providers/ProviderRegistries.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

TOwned<TastTokenIdentifier> Id(TnvBaseSyntaxProvider *provider, const char *text, bool flagged)
{
    return Create<TastTokenIdentifier>(provider, QString::fromUtf8(text), flagged);
}

TOwned<TSQLQualifiedName> Name(TnvBaseSyntaxProvider *provider, const char *text)
{
    TOwned<TSQLQualifiedName> name = provider->ParseQualifiedName(QString::fromUtf8(text));
    EXPECT_NE(name, nullptr) << text;
    return name;
}

TEST(SyntaxProvider, IdentifierComparisonFollowsTheCaseRules)
{
    auto upper = Create<TTestSyntaxProvider>(nullptr, icsSensitiveUpperCase);
    auto *u = upper.get();
    EXPECT_TRUE(u->IsIdentifiersEqual(Id(u, "emp", false).get(), Id(u, "EMP", false).get()));
    EXPECT_TRUE(u->IsIdentifiersEqual(Id(u, "emp", false).get(), Id(u, "EMP", true).get()));
    EXPECT_FALSE(u->IsIdentifiersEqual(Id(u, "emp", false).get(), Id(u, "emp", true).get()));
    EXPECT_LT(u->CompareIdentifiers(Id(u, "a", false).get(), Id(u, "B", false).get()), 0);

    auto lower = Create<TTestSyntaxProvider>(nullptr, icsSensitiveLowerCase);
    auto *l = lower.get();
    EXPECT_TRUE(l->IsIdentifiersEqual(Id(l, "EMP", false).get(), Id(l, "emp", true).get()));
    EXPECT_FALSE(l->IsIdentifiersEqual(Id(l, "EMP", false).get(), Id(l, "EMP", true).get()));

    auto none = Create<TTestSyntaxProvider>(nullptr, icsNonSensitive);
    auto *n = none.get();
    EXPECT_TRUE(n->IsIdentifiersEqual(Id(n, "emp", true).get(), Id(n, "EMP", true).get()));
    EXPECT_TRUE(n->IsIdentifiersEqual(Id(n, "Emp", false).get(), Id(n, "eMP", true).get()));
    EXPECT_FALSE(n->IsIdentifiersCaseSensitive());

    // Other tokens compare their texts exactly.
    auto k1 = Create<TastTokenKeyword>(n, QStringLiteral("and"));
    auto k2 = Create<TastTokenKeyword>(n, QStringLiteral("AND"));
    EXPECT_NE(n->CompareTokens(k1.get(), k2.get()), 0);
    EXPECT_THROW(n->CompareIdentifiers(nullptr, Id(n, "a", false).get()), EAssertionFailed);
}

TEST(SyntaxProvider, QualifiedNamesCompareByPartCountThenFromTheLeftmostPart)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto *p = provider.get();
    auto empty = Create<TSQLQualifiedName>(p);
    EXPECT_TRUE(p->IsQualifiedNamesEqual(nullptr, empty.get()));
    EXPECT_TRUE(p->IsQualifiedNamesEqual(empty.get(), nullptr));
    EXPECT_TRUE(p->IsQualifiedNamesEqual(nullptr, nullptr));
    EXPECT_FALSE(p->IsQualifiedNamesEqual(nullptr, Name(p, "t").get()));
    EXPECT_FALSE(p->IsQualifiedNamesEqual(Name(p, "t").get(), Name(p, "s.t").get()));
    EXPECT_TRUE(p->IsQualifiedNamesEqual(Name(p, "dbo.ORDERS").get(), Name(p, "DBO.orders").get()));
    EXPECT_FALSE(p->IsQualifiedNamesEqual(Name(p, "dbo.orders").get(), Name(p, "dbo.\"orders\"").get()));

    EXPECT_LT(p->CompareQualifiedNames(Name(p, "z").get(), Name(p, "a.a").get()), 0);
    // The outermost prefix decides first.
    EXPECT_LT(p->CompareQualifiedNames(Name(p, "a.z").get(), Name(p, "b.a").get()), 0);
    EXPECT_GT(p->CompareQualifiedNames(Name(p, "a.z").get(), Name(p, "a.b").get()), 0);
    EXPECT_EQ(p->CompareQualifiedNames(empty.get(), Create<TSQLQualifiedName>(p).get()), 0);
}

TEST(SyntaxProvider, ColumnBelongsToAnObjectWhenItsPrefixIsTheObjectName)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto *p = provider.get();
    EXPECT_TRUE(p->IsColumnOfDBObject(Name(p, "db.t.c").get(), Name(p, "db.t").get()));
    EXPECT_TRUE(p->IsColumnOfDBObject(Name(p, "T.c").get(), Name(p, "t").get()));
    EXPECT_FALSE(p->IsColumnOfDBObject(Name(p, "c").get(), Name(p, "c").get()));
    EXPECT_FALSE(p->IsColumnOfDBObject(Name(p, "t.c").get(), Name(p, "db.t").get()));
    EXPECT_FALSE(p->IsColumnOfDBObject(Name(p, "x.t.c").get(), Name(p, "db.t").get()));
    // A name no longer than the object's has no column part.
    EXPECT_FALSE(p->IsColumnOfDBObject(Name(p, "db.t").get(), Name(p, "db.t").get()));
}

TEST(SyntaxProvider, AggregatesTakeTheDialectsSpelling)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto *p = provider.get();
    auto count = Name(p, "COUNT");
    EXPECT_TRUE(p->IsNameOfStarAggregate(count.get()));
    EXPECT_FALSE(p->IsNameOfAggregate(count.get()));
    EXPECT_TRUE(p->IsNameOfPrefixedAggregate(Name(p, "max").get()));
    EXPECT_FALSE(p->IsNameOfPrefixedAggregate(Name(p, "median").get()));

    p->AggregateNormalize(count.get());
    EXPECT_EQ(count->GetQualifiedName(), "Count");
    auto sum = Name(p, "sUm");
    p->AggregateNormalize(sum.get());
    EXPECT_EQ(sum->GetQualifiedName(), "Sum");
    // A quoted name is not the aggregate in a case-sensitive dialect.
    auto quoted = Name(p, "\"count\"");
    p->AggregateNormalize(quoted.get());
    EXPECT_EQ(quoted->GetQualifiedName(), "\"count\"");
}

TEST(SyntaxProvider, UnionOperatorsNormaliseAndHaveIcons)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    EXPECT_EQ(provider->NormalizeUnionOperator(QStringLiteral("union all")), "Union All");
    EXPECT_EQ(provider->NormalizeUnionOperator(QStringLiteral("UNION")), "Union");
    EXPECT_EQ(provider->NormalizeUnionOperator(QStringLiteral("minus")), "minus");
    auto dialect = Create<TTestUnionProvider>(nullptr);
    EXPECT_EQ(dialect->NormalizeUnionOperator(QStringLiteral("EXCEPT")), "Except");

    const QImage *except = TnvBaseSyntaxProvider::GetUnionOperatorIcon(QStringLiteral("except"));
    ASSERT_NE(except, nullptr);
    EXPECT_FALSE(except->isNull());
    EXPECT_EQ(except->size(), QSize(16, 16));
    EXPECT_TRUE(except->hasAlphaChannel());
    EXPECT_EQ(TnvBaseSyntaxProvider::GetUnionOperatorIcon(QStringLiteral("Minus")), except);
    const char *kinds[] = {"UNION", "union all", "Except All", "intersect", "INTERSECT ALL"};
    for (const char *kind : kinds) {
        const QImage *icon = TnvBaseSyntaxProvider::GetUnionOperatorIcon(QString::fromUtf8(kind));
        ASSERT_NE(icon, nullptr) << kind;
        EXPECT_FALSE(icon->isNull()) << kind;
        EXPECT_NE(icon, except) << kind;
    }
    EXPECT_NE(*TnvBaseSyntaxProvider::GetUnionOperatorIcon(QStringLiteral("union")),
              *TnvBaseSyntaxProvider::GetUnionOperatorIcon(QStringLiteral("union all")));
    EXPECT_EQ(TnvBaseSyntaxProvider::GetUnionOperatorIcon(QStringLiteral("union distinct")), nullptr);
}

TEST(SyntaxProvider, ExtenderRegistryFindsTheNearestClass)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    auto *p = provider.get();
    p->RegisterExtender(TTestNode::StaticClassType(), TTestExtender::StaticClassType());
    EXPECT_EQ(p->FindExtenderClass(TTestGrandChildNode::StaticClassType(), true), TTestExtender::StaticClassType());
    EXPECT_EQ(p->FindExtenderClass(TTestGrandChildNode::StaticClassType(), false), nullptr);
    p->RegisterExtender(TTestLeftNode::StaticClassType(), TTestOtherExtender::StaticClassType());
    EXPECT_EQ(p->FindExtenderClass(TTestGrandChildNode::StaticClassType(), true),
              TTestOtherExtender::StaticClassType());
    EXPECT_EQ(p->FindExtenderClass(TTestRightNode::StaticClassType(), true), TTestExtender::StaticClassType());
    EXPECT_EQ(p->FindExtenderClass(TastNode::StaticClassType(), true), nullptr);

    try {
        p->RegisterExtender({TTestRightNode::StaticClassType(), TTestNode::StaticClassType()},
                            TTestOtherExtender::StaticClassType());
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), "Extender for \"TTestNode\" already registered!");
    }
    // The classes before the duplicate stay registered; nothing else changed.
    EXPECT_EQ(p->Extenders().size(), 3);
    EXPECT_EQ(p->FindExtenderClass(TTestNode::StaticClassType(), false), TTestExtender::StaticClassType());
}

class Subscriber : public InvSyntaxProviderNotifications {
public:
    Subscriber(QStringList *log, QString name) : FLog(log), FName(std::move(name)) {}
    void SyntaxProviderPropsChanged(TnvBaseSyntaxProvider *provider) override
    {
        *FLog << QStringLiteral("changed:") + FName;
        if (UnsubscribeOther)
            provider->UnsubscribeFromNotifications(UnsubscribeOther);
        LastProvider = provider;
    }
    void SyntaxProviderDestroying() override
    {
        *FLog << QStringLiteral("destroying:") + FName;
        if (Provider)
            Provider->UnsubscribeFromNotifications(this);
    }
    Subscriber *UnsubscribeOther = nullptr;
    TnvBaseSyntaxProvider *Provider = nullptr;
    TnvBaseSyntaxProvider *LastProvider = nullptr;

private:
    QStringList *FLog;
    QString FName;
};

TEST(SyntaxProvider, SubscribersHearChangesInOrderAndTheEndInReverse)
{
    QStringList log;
    Subscriber a(&log, "a"), b(&log, "b"), c(&log, "c");
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    provider->SubscribeForNotifications(&a);
    provider->SubscribeForNotifications(&b);
    provider->SubscribeForNotifications(&c);

    provider->SetIdentCaseSens(icsNonSensitive);
    EXPECT_EQ(log, QStringList({"changed:a", "changed:b", "changed:c"}));
    EXPECT_EQ(a.LastProvider, provider.get());

    // One subscriber dropping another while being told: the dropped one hears nothing.
    log.clear();
    a.UnsubscribeOther = &b;
    provider->SendNotifications();
    EXPECT_EQ(log, QStringList({"changed:a", "changed:c"}));

    log.clear();
    a.Provider = c.Provider = provider.get();
    provider.reset();
    EXPECT_EQ(log, QStringList({"destroying:c", "destroying:a"}));
}

TEST(SyntaxProvider, ParsedNamesAndTheTableExistsQuery)
{
    auto provider = Create<TTestSyntaxProvider>(nullptr);
    EXPECT_EQ(provider->TableExistsSQL(QStringLiteral("dbo.Orders")), "select count(*) from \"DBO\".\"ORDERS\"");
    EXPECT_EQ(provider->TableExistsSQL(QStringLiteral("\"we\"\"ird\"")), "select count(*) from \"we\"\"ird\"");
    EXPECT_EQ(provider->TableExistsSQL(QStringLiteral("t; drop table x")), QString());
    EXPECT_EQ(provider->TableExistsSQL(QString()), QString());

    // The base dialect parses nothing, so it names no table.
    auto base = Create<TnvBaseSyntaxProvider>(nullptr);
    EXPECT_EQ(base->TableExistsSQL(QStringLiteral("t")), QString());
    EXPECT_EQ(base->ParseIdentifierQuoteIfNeed(QStringLiteral("t")), nullptr);
    EXPECT_EQ(base->ServerName(), "TnvBaseSyntaxProvider");

    TOwned<TSQLQualifiedName> quoted = provider->ParseQualifiedNameQuoteIfNeed(QStringLiteral("a.b c"));
    ASSERT_NE(quoted, nullptr);
    ASSERT_EQ(quoted->GetCount(), 1);
    EXPECT_EQ(quoted->GetItems(0)->Text(), "a.b c");
    EXPECT_EQ(provider->ParseIdentifierQuoteIfNeed(QString()), nullptr);
}

TEST(ProviderRegistries, LookupIgnoresCaseAndKeepsDuplicates)
{
    TnvSyntaxProvidersList syntax;
    syntax.RegisterSyntaxProvider(TTestSyntaxProvider::StaticClassType());
    syntax.RegisterSyntaxProvider(TTestUnionProvider::StaticClassType());
    syntax.RegisterSyntaxProvider(TTestSyntaxProvider::StaticClassType());
    EXPECT_EQ(syntax.GetCount(), 3);
    EXPECT_EQ(syntax.FindClassByClassName("ttestunionprovider"), TTestUnionProvider::StaticClassType());
    EXPECT_EQ(syntax.FindClassByClassName("TTESTSYNTAXPROVIDER"), TTestSyntaxProvider::StaticClassType());
    EXPECT_EQ(syntax.FindClassByClassName("TTestSyntax"), nullptr);
    EXPECT_THROW(syntax.GetItems(3), EListError);
    EXPECT_THROW(syntax.RegisterSyntaxProvider(TComponentClass(nullptr)), EAssertionFailed);

    TnvMetadataProvidersList metadata;
    EXPECT_EQ(metadata.FindClassByClassName("anything"), nullptr);

    // A registered class can be instantiated from its reference alone.
    TComponent owner(nullptr);
    TComponent *created = CreateComponent(syntax.GetItems(1), &owner);
    EXPECT_TRUE(created->Is<TTestUnionProvider>());
    EXPECT_EQ(created->Owner(), &owner);
}

TEST(ProviderRegistries, GlobalRegistriesExistWhileTheLibraryIsLoaded)
{
    TnvSyntaxProvidersList *syntax = SyntaxProvidersList();
    ASSERT_NE(syntax, nullptr);
    ASSERT_NE(MetadataProvidersList(), nullptr);
    qsizetype before = syntax->GetCount();
    syntax->RegisterSyntaxProvider(TTestUnionProvider::StaticClassType());
    EXPECT_EQ(syntax->GetCount(), before + 1);
    EXPECT_EQ(syntax->FindClassByClassName("TTestUnionProvider"), TTestUnionProvider::StaticClassType());
}

} // namespace
} // namespace nvqb::test
