// The event-driven metadata provider: a host answering every question in
// its handlers, and what happens when a handler fails or answers badly.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"
#include "classlib/MemoryDataset.h"
#include "sqlmodel/providers/EventMetadataProvider.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/providers/ProviderRegistries.h"
#include "sqlmodel/QueryBuilderError.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

class EventMetadataProviderTest : public ::testing::Test {
protected:
    TTestSyntaxProvider provider{nullptr, icsNonSensitive};
    TnvBaseSyntaxProvider *p = &provider;
    TnvEventMetadataProvider mp;
    TOwned<TnvMetadataContainer> c = MakeContainer(p, &mp);

    static TnvGetObjectNamesEvent Names(const QStringList &names)
    {
        return TnvGetObjectNamesEvent::FromCallable([names](TnvBaseMetadataProvider *, TSQLDatabaseObjectsList *list) {
            for (const QString &name : names)
                list->Add(name);
        });
    }

    TOwned<TSQLMetadataRelation> Relation(const QString &primary, const QStringList &keys, const QString &child,
                                          const QStringList &childFields)
    {
        auto relation = Create<TSQLMetadataRelation>(p);
        if (!primary.isEmpty())
            relation->PrimaryObjectName = QName(p, primary);
        if (!child.isEmpty())
            relation->ChildObjectName = QName(p, child);
        for (const QString &key : keys)
            relation->PrimaryFields()->AddField(key, false);
        for (const QString &field : childFields)
            relation->ChildFields()->AddField(field, false);
        return relation;
    }
};

QStringList Describe(const TnvMetadataContainer *container)
{
    QStringList lines;
    for (qsizetype i = 0; i < container->Count(); ++i) {
        const TnvMetadataObject *object = container->Items(i);
        lines << object->ClassName().mid(11) + u' ' + object->GetFullNameStrNotQuoted() +
                     (object->System() ? QStringLiteral("*") : QString());
    }
    return lines;
}

TEST_F(EventMetadataProviderTest, HostAnswersObjectsRelationsAndFields)
{
    mp.OnGetTables = Names({"dbo.Orders", "dbo.Lines", "db.dbo.Far", "tmp_x"});
    mp.OnGetSystemTables = Names({"sys.objects"});
    mp.OnGetViews = Names({"dbo.Totals"});
    mp.OnGetSystemViews = Names({"sys.views"});
    mp.OnGetProcedures = Names({"dbo.Recalc"});
    mp.OnGetSystemProcedures = Names({"sys.sp_help"});
    QStringList asked;
    mp.OnGetTableRelations = TnvGetTableRelationsEvent::FromCallable(
        [&](TnvBaseMetadataProvider *sender, TSQLQualifiedName *table, TnvMetadataRelationsObjectList &relations) {
            EXPECT_EQ(sender, &mp);
            asked << table->GetQualifiedNameWithoutQuotes();
            if (table->GetQualifiedNameWithoutQuotes() != QStringLiteral("dbo.Orders"))
                return;
            relations.push_back(Relation("dbo.Orders", {"id", "rev"}, "dbo.Lines", {"order_id", "order_rev"}));
            relations.push_back(Relation("dbo.Lines", {"id"}, "dbo.Orders", {"x"})); // not the table asked about
            relations.push_back(Relation("dbo.Orders", {"id"}, QString(), {"y"}));    // no child: skipped
            relations.push_back(nullptr);
        });
    mp.OnGetSQLFieldNames = TnvGetSQLFieldNamesEvent::FromCallable(
        [](TnvBaseMetadataProvider *, const QString &sql, TnvFieldsList *fields) {
            if (sql.contains(QStringLiteral("Orders"))) {
                fields->AddField(QStringLiteral("id"), false);
                fields->AddField(QStringLiteral("Rev"), true);
            }
        });

    TnvMetadataFilter filter;
    TnvMetadataFilterItem *rule = filter.Add();
    rule->ObjectMask = QStringLiteral("tmp%");
    rule->Exclude = true;
    c->LoadMetadataByFilter(&filter, nullptr);
    EXPECT_EQ(Describe(c.get()),
              QStringList({"Table dbo.Orders", "Table dbo.Lines", "Table dbo.Far", "Table sys.objects*",
                           "View dbo.Totals", "View sys.views*", "Procedure dbo.Recalc", "Procedure sys.sp_help*"}));
    EXPECT_EQ(asked, QStringList({"dbo.Orders", "dbo.Lines", "dbo.Far", "sys.objects"}));

    TnvMetadataObject *orders = c->Items(0);
    ASSERT_EQ(orders->GetRelations()->Count(), 1);
    TnvMetadataRelation *relation = orders->GetRelations()->Items(0);
    EXPECT_SQL(relation->GetChildTableStrNotQuoted(), "dbo.Lines");
    ASSERT_EQ(relation->KeyFields()->Count(), 2);
    EXPECT_SQL(relation->KeyFields()->Items(1)->GetQualifiedNameWithoutQuotes(), "rev");
    EXPECT_SQL(relation->ChildFields()->Items(1)->GetQualifiedNameWithoutQuotes(), "order_rev");
    EXPECT_EQ(c->Items(1)->GetRelations()->Count(), 0);

    // Without OnExecSQLEvent the names come from the host, types unknown.
    EXPECT_FALSE(mp.GetCanExecSQL());
    orders->LoadFields();
    ASSERT_EQ(orders->GetFields()->Count(), 2);
    EXPECT_TRUE(orders->GetFields()->Loaded());
    EXPECT_SQL(orders->GetFields()->Items(1)->NameStr(), "Rev");
    EXPECT_TRUE(orders->GetFields()->Items(1)->Name()->GetItems(0)->Is<TastTokenIdentifier>());
    EXPECT_EQ(orders->GetFields()->Items(1)->FieldType(), ftUnknown);

    // With a database name the base answers.
    auto other = QName(p, "other");
    EXPECT_THROW(mp.LoadMetadataObjects(p, nullptr, c.get(), other.get()), Exception);
    mp.LoadMetadataRelations(p, nullptr, c.get(), other.get());
    EXPECT_EQ(orders->GetRelations()->Count(), 1);
}

TEST_F(EventMetadataProviderTest, AHandlerThatFailsLeavesTheFieldsToBeAskedAgain)
{
    bool fail = false;
    mp.OnGetSQLFieldNames = TnvGetSQLFieldNamesEvent::FromCallable(
        [&fail](TnvBaseMetadataProvider *, const QString &, TnvFieldsList *fields) {
            if (fail)
                throw Exception(QStringLiteral("host lost its catalogue"));
            fields->AddField(QStringLiteral("id"), false);
        });
    auto fields = Create<TnvMetadataFieldsList>(nullptr);
    fields->SetSyntaxProvider(p);
    mp.LoadFieldsForQuery(p, QStringLiteral("q"), fields.get());
    ASSERT_TRUE(fields->Loaded());
    fail = true;
    EXPECT_THROW(mp.LoadFieldsForQuery(p, QStringLiteral("q"), fields.get()), Exception);
    EXPECT_FALSE(fields->Loaded());
}

TEST_F(EventMetadataProviderTest, OnlyAssignedEventsAreAsked)
{
    mp.OnGetTables = Names({"A"});
    c->LoadMetadataByFilter(nullptr, nullptr);
    EXPECT_EQ(Describe(c.get()), QStringList({"Table A"}));
    // A handler's failure reaches the caller; what came before stays.
    mp.OnGetViews = TnvGetObjectNamesEvent::FromCallable([](TnvBaseMetadataProvider *, TSQLDatabaseObjectsList *) {
        throw Exception(QStringLiteral("host failure"));
    });
    c->Clear();
    EXPECT_THROW(mp.LoadMetadataObjects(p, nullptr, c.get(), nullptr), Exception);
    EXPECT_EQ(Describe(c.get()), QStringList({"Table A"}));
}

TEST_F(EventMetadataProviderTest, DatasetsComeFromTheHost)
{
    QString failWith;
    mp.OnExecSQLEvent = TnvExecSQLEvent::FromCallable(
        [&](TnvBaseMetadataProvider *, const QString &sql, TOwned<TDataSet> &dataset) {
            if (sql == QStringLiteral("nil"))
                return;
            auto memory = Create<TMemoryDataset>();
            memory->FieldDefs().Add(QStringLiteral("id"), ftInteger);
            memory->FieldDefs().Add(QStringLiteral("name"), ftWideString, 40);
            dataset.reset(memory.release());
            if (failWith == QStringLiteral("plain"))
                throw Exception(QStringLiteral("disk full"));
            if (failWith == QStringLiteral("own"))
                throw EnvQueryBuilderError(QStringLiteral("host's own"), sql, QStringLiteral("why"));
        });
    EXPECT_TRUE(mp.GetCanExecSQL());
    TOwned<TDataSet> dataset = mp.ExecSQL(QStringLiteral("select * from t"), true);
    EXPECT_TRUE(dataset->Active());

    // Field lists now come from the dataset's definitions, with types.
    auto fields = Create<TnvMetadataFieldsList>(nullptr);
    fields->SetSyntaxProvider(p);
    mp.LoadFieldsForQuery(p, QStringLiteral("select * from t"), fields.get());
    ASSERT_EQ(fields->Count(), 2);
    EXPECT_EQ(fields->Items(1)->FieldType(), ftWideString);

    failWith = QStringLiteral("plain");
    try {
        mp.ExecSQL(QStringLiteral("select 2"), true);
        FAIL();
    } catch (const EnvQueryBuilderError &e) {
        EXPECT_SQL(e.Message(), "Error executing query:\rselect 2\rMessage:\rdisk full");
        EXPECT_SQL(e.SQL(), "select 2");
        EXPECT_SQL(e.DatabaseMessage(), "disk full");
    }
    failWith = QStringLiteral("own");
    try {
        mp.ExecSQLNoResult(QStringLiteral("select 3"));
        FAIL();
    } catch (const EnvQueryBuilderError &e) {
        EXPECT_SQL(e.Message(), "host's own");
    }
    // A handler that hands back nothing is a clear error, not a crash.
    failWith.clear();
    try {
        mp.ExecSQL(QStringLiteral("nil"), true);
        FAIL();
    } catch (const EnvQueryBuilderError &e) {
        EXPECT_SQL(e.SQL(), "nil");
    }
}

TEST_F(EventMetadataProviderTest, FieldsListAndRegistration)
{
    auto list = Create<TnvFieldsList>(p, true);
    EXPECT_EQ(list->AddField(QStringLiteral("Id"), true), 0);
    auto identifier = Ident(p, "Name", false);
    EXPECT_EQ(list->AddFieldId(identifier.get()), 1);
    list->Add(QStringLiteral("t.id"));
    EXPECT_EQ(list->FindFieldByName(QStringLiteral("ID")), 0);
    EXPECT_EQ(list->FindFieldByName(QStringLiteral("name")), 1);
    EXPECT_EQ(list->FindFieldByName(QStringLiteral("t")), -1);
    EXPECT_TRUE(list->GetItems(0)->GetItems(0)->Is<TastTokenIdentifier>());

    EXPECT_EQ(MetadataProvidersList()->FindClassByClassName("tnveventmetadataprovider"),
              TnvEventMetadataProvider::StaticClassType());
}

} // namespace
} // namespace nvqb::test
