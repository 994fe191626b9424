// Metadata objects, their fields and relations, synonyms and fields loaded
// on demand through the metadata provider.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"
#include "sqlmodel/QueryBuilderError.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

class MetadataObjectsTest : public ::testing::Test {
protected:
    TStrictTestProvider provider;
    TnvBaseSyntaxProvider *p = &provider;
    TTestMetadataProvider mp;
    TOwned<TnvMetadataContainer> c = MakeContainer(p, &mp);
};

TEST_F(MetadataObjectsTest, NamesCachesAndTexts)
{
    TnvMetadataObject *t = c->AddTable(QString(), QStringLiteral("T"));
    EXPECT_FALSE(t->System());
    EXPECT_TRUE(t->Visible());
    EXPECT_FALSE(t->GetFields()->Loaded());
    EXPECT_SQL(t->GetFullNameStr(), "T");
    EXPECT_EQ(t->FullName()->GetCount(), 1);

    t->SetDatabaseStr(QStringLiteral("srv.db"));
    t->SetSchema(Ident(p, "my schema", true).get());
    EXPECT_SQL(t->GetFullNameStr(), "srv.db.\"my schema\".T");
    EXPECT_SQL(t->GetFullNameStrNotQuoted(), "srv.db.my schema.T");
    EXPECT_SQL(t->GetSchemedNameStr(), "\"my schema\".T");
    EXPECT_SQL(t->FullName()->GetItems(0)->Text(), "T");
    EXPECT_SQL(t->GetFieldsSQL(), "select * from srv.db.\"my schema\".T where 0<>0");

    // A database text that does not parse leaves the database as it was.
    EXPECT_THROW(t->SetDatabaseStr(QStringLiteral("a!b")), EnvQueryBuilderError);
    EXPECT_SQL(t->GetDatabaseStr(), "srv.db");
    t->SetDatabaseStr(QString());
    EXPECT_SQL(t->GetFullNameStr(), "\"my schema\".T");

    // Equality follows the dialect; a missing schema or database reads as empty.
    t->SetSchemaStr(QString());
    EXPECT_TRUE(t->IsNameEqual(Ident(p, "t").get(), nullptr, nullptr));
    EXPECT_FALSE(t->IsNameEqual(Ident(p, "t", true).get(), nullptr, nullptr));
    EXPECT_FALSE(t->IsNameEqual(Ident(p, "T").get(), Ident(p, "s").get(), nullptr));
    EXPECT_TRUE(t->IsFullNameEqual(QName(p, "T").get()));
    EXPECT_SQL(c->AddProcedure(QString(), QStringLiteral("P"))->GetFieldsSQL(), "");
}

TEST_F(MetadataObjectsTest, FieldsListOperations)
{
    TnvMetadataObject *t = c->AddTable(QString(), QStringLiteral("T"));
    TnvMetadataFieldsList *fields = t->GetFields();
    fields->AddField(QStringLiteral("ID"));
    fields->AddField(QStringLiteral("x.id"));
    EXPECT_THROW(fields->AddField(QStringLiteral("a!b")), EnvQueryBuilderError);
    ASSERT_EQ(fields->Count(), 2);
    TnvMetadataField *id = fields->Items(0);
    EXPECT_EQ(id->FieldType(), ftUnknown);
    EXPECT_TRUE(id->Nullable());
    EXPECT_EQ(fields->FindFieldByName(QStringLiteral("id")), 0);
    EXPECT_EQ(fields->FindFieldByName(QStringLiteral("x")), -1);
    EXPECT_EQ(fields->FindFieldByName(QName(p, "X.ID").get()), 1);
    EXPECT_EQ(p->FindFieldInFieldsList(QName(p, "x.id").get(), fields), 1);
    EXPECT_EQ(p->FindFieldInFieldsList(QName(p, "y").get(), fields), -1);

    TFieldDef def(QStringLiteral("Amount"), ftBCD, 2, true);
    def.SetPrecision(12);
    def.SetReadOnly(true);
    TnvMetadataField *amount = fields->AddField(def);
    EXPECT_TRUE(amount->Name()->GetItems(0)->Is<TastTokenIdentifier>());
    EXPECT_TRUE(static_cast<TastTokenIdentifier *>(amount->Name()->GetItems(0))->CaseSensitive());
    EXPECT_EQ(amount->FieldType(), ftBCD);
    EXPECT_EQ(amount->Size(), 2);
    EXPECT_EQ(amount->Precision(), 12);
    EXPECT_FALSE(amount->Nullable());
    EXPECT_TRUE(amount->ReadOnly());

    // A bad name text leaves the field's name alone.
    EXPECT_THROW(amount->SetNameStr(QStringLiteral("a!b")), EnvQueryBuilderError);
    EXPECT_SQL(amount->NameStrNotQuoted(), "Amount");

    // Assigning a list from itself or an item from its own list is harmless.
    fields->Assign(fields);
    EXPECT_EQ(fields->Count(), 3);
    fields->SetItems(0, fields->Items(0));
    fields->SetItems(1, fields->Items(2));
    EXPECT_SQL(fields->Items(1)->NameStrNotQuoted(), "Amount");
}

TEST_F(MetadataObjectsTest, RelationsCompareChildAndFieldsInOrder)
{
    TnvMetadataObject *orders = c->AddTable(QStringLiteral("dbo"), QStringLiteral("Orders"));
    auto keys = Create<TnvMetadataFieldNamesList>(nullptr);
    keys->SetSyntaxProvider(p);
    keys->AddField(QStringLiteral("a"));
    keys->AddField(QStringLiteral("b"));
    auto children = Create<TnvMetadataFieldNamesList>(nullptr);
    children->SetSyntaxProvider(p);
    children->AddField(QStringLiteral("x"));
    children->AddField(QStringLiteral("y"));
    TnvMetadataRelationsList *relations = orders->GetRelations();
    TnvMetadataRelation *relation =
        relations->AddRelation(keys.get(), Ident(p, "Lines").get(), Ident(p, "dbo").get(), nullptr, children.get());
    EXPECT_SQL(relation->GetChildTableStr(), "dbo.Lines");
    EXPECT_EQ(relation->GetRelations(), relations);
    EXPECT_EQ(relations->FindRelation(keys.get(), Ident(p, "LINES").get(), Ident(p, "dbo").get(), nullptr,
                                      children.get()),
              0);
    auto swapped = Create<TnvMetadataFieldNamesList>(nullptr);
    swapped->SetSyntaxProvider(p);
    swapped->AddField(QStringLiteral("b"));
    swapped->AddField(QStringLiteral("a"));
    EXPECT_EQ(relations->FindRelation(swapped.get(), Ident(p, "Lines").get(), Ident(p, "dbo").get(), nullptr,
                                      children.get()),
              -1);
    EXPECT_EQ(relations->FindRelation(keys.get(), Ident(p, "Lines").get(), nullptr, nullptr, children.get()), -1);
    EXPECT_THROW(relation->SetChildDatabaseStr(QStringLiteral("a!b")), EnvQueryBuilderError);
    relation->SetChildDatabaseStr(QStringLiteral("db"));
    EXPECT_SQL(relation->GetChildTableStr(), "db.dbo.Lines");

    // Cloning the object copies relations with their own name lists.
    TOwned<TnvMetadataObject> clone = orders->CloneAs<TnvMetadataObject>(nullptr);
    ASSERT_EQ(clone->GetRelations()->Count(), 1);
    EXPECT_NE(clone->GetRelations()->Items(0)->KeyFields(), relation->KeyFields());
    EXPECT_SQL(clone->GetRelations()->Items(0)->KeyFields()->Items(1)->GetQualifiedName(), "b");
}

TEST_F(MetadataObjectsTest, FieldsLoadOnceThroughTheProvider)
{
    mp.Columns[QStringLiteral("select * from dbo.Orders where 0<>0")] = {
        TFieldDef(QStringLiteral("id"), ftInteger, 0, true), TFieldDef(QStringLiteral("note"), ftWideString, 40)};
    TnvMetadataObject *orders = c->AddTable(QStringLiteral("dbo"), QStringLiteral("Orders"));
    orders->LoadFields();
    orders->LoadFields();
    EXPECT_EQ(mp.Log.size(), 1);
    ASSERT_EQ(orders->GetFields()->Count(), 2);
    EXPECT_TRUE(orders->GetFields()->Loaded());
    EXPECT_FALSE(orders->GetFields()->Items(0)->Nullable());
    EXPECT_EQ(orders->GetFields()->Items(1)->Size(), 40);

    // Without a metadata provider the object says so and changes nothing.
    TnvMetadataObject *other = c->AddTable(QString(), QStringLiteral("Other"));
    c->SetMetadataProvider(nullptr);
    EXPECT_THROW(other->LoadFields(), EnvQueryBuilderError);
    EXPECT_FALSE(other->GetFields()->Loaded());
    TOwned<TnvMetadataObject> free = Create<TnvMetadataTable>(nullptr);
    free->SetSyntaxProvider(p);
    try {
        free->LoadFields();
        FAIL();
    } catch (const Exception &e) {
        EXPECT_SQL(e.Message(), "Metadata provider is not specified");
    }
}

TEST_F(MetadataObjectsTest, SynonymsDelegateAndSurviveLoops)
{
    TnvMetadataObject *orders = c->AddTable(QStringLiteral("dbo"), QStringLiteral("Orders"));
    orders->GetFields()->AddField(QStringLiteral("id"));
    orders->GetFields()->SetLoaded(true);
    TnvMetadataSynonym *syn = c->AddSynonym(Ident(p, "dbo").get(), Ident(p, "O").get(), false, nullptr);
    syn->SetReferencedSchema(Ident(p, "dbo").get());
    syn->SetReferencedName(Ident(p, "Orders").get());
    EXPECT_EQ(syn->GetReferencedObject(), orders);
    EXPECT_EQ(syn->GetFields(), orders->GetFields());
    syn->LoadFields(); // the target's are loaded: nothing asked
    EXPECT_TRUE(mp.Log.isEmpty());
    EXPECT_SQL(syn->GetFieldsSQL(), "select * from dbo.O where 0<>0");

    // A chain of synonyms ends at the table.
    TnvMetadataSynonym *syn2 = c->AddSynonym(Ident(p, "dbo").get(), Ident(p, "O2").get(), false, nullptr);
    syn2->SetReferencedName(Ident(p, "O").get());
    syn2->SetReferencedSchema(Ident(p, "dbo").get());
    EXPECT_EQ(syn2->GetTargetObject(), orders);

    // A loop answers from the synonym itself.
    TnvMetadataSynonym *a = c->AddSynonym(nullptr, Ident(p, "A").get(), false, nullptr);
    TnvMetadataSynonym *b = c->AddSynonym(nullptr, Ident(p, "B").get(), false, nullptr);
    a->SetReferencedName(Ident(p, "B").get());
    b->SetReferencedName(Ident(p, "A").get());
    EXPECT_EQ(a->GetTargetObject(), a);
    EXPECT_EQ(a->GetFields(), a->OwnFields());
    EXPECT_EQ(b->GetRelations(), b->OwnRelations());
    a->LoadFields(); // its own fields, through its own probe
    EXPECT_SQL(mp.Log, QStringList({"select * from A where 0<>0"}));

    TOwned<TnvMetadataSynonym> clone = syn->CloneAs<TnvMetadataSynonym>(nullptr);
    EXPECT_TRUE(clone->Is<TnvMetadataSynonym>());
    EXPECT_SQL(clone->ReferencedFullName()->GetQualifiedName(), "dbo.Orders");
    EXPECT_EQ(clone->GetReferencedObject(), nullptr); // no container
}

TEST_F(MetadataObjectsTest, AssignCopiesEverythingAndUpdatesTheIndex)
{
    TnvMetadataObject *source = c->AddView(QStringLiteral("s"), QStringLiteral("V"), true);
    source->SetShortDescription(QStringLiteral("short"));
    source->SetLongDescription(QStringLiteral("long"));
    source->SetRemarks(QStringLiteral("note"));
    source->SetVisible(false);
    source->GetFields()->AddField(QStringLiteral("f"));
    TnvMetadataObject *target = c->AddTable(QString(), QStringLiteral("T"));
    target->Assign(source);
    EXPECT_TRUE(target->System());
    EXPECT_FALSE(target->Visible());
    EXPECT_SQL(target->ShortDescription() + target->LongDescription() + target->Remarks(), "shortlongnote");
    EXPECT_EQ(target->GetFields()->Count(), 1);
    EXPECT_EQ(c->FindTableByFullName(QStringLiteral("s.V")), target);
    target->Assign(target);
    EXPECT_EQ(target->GetFields()->Count(), 1);
    // The own fields list given back to the object is left alone.
    target->SetFields(target->GetFields());
    EXPECT_EQ(target->GetFields()->Count(), 1);
}

} // namespace
} // namespace nvqb::test
