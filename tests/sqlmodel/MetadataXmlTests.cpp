// The metadata XML document: its exact form, round trips that keep every
// property, and documents that must be refused without touching the
// container.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"

#include <QDomDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

class MetadataXmlTest : public ::testing::Test {
protected:
    TTestSyntaxProvider provider;
    TnvBaseSyntaxProvider *p = &provider;
    TTestMetadataProvider mp;
    TOwned<TnvMetadataContainer> c = MakeContainer(p, &mp);

    // A container holding one of everything the document can carry.
    void Fill()
    {
        c->SetDefaultDatabaseNameStr(QStringLiteral("srv.db"));
        c->SetDefaultSchemaNamesStr(QStringLiteral("dbo;\"Sales\""));
        TnvMetadataObject *orders = c->AddTable(QStringLiteral("dbo"), QStringLiteral("Orders"), false,
                                                QStringLiteral("srv.db"));
        orders->SetShortDescription(QStringLiteral("Orders\r\nof customers <&>"));
        orders->SetLongDescription(QStringLiteral("bell\x07 and tab\t"));
        TnvMetadataFieldsList *fields = orders->GetFields();
        TnvMetadataField *id = fields->AddField(QStringLiteral("id"));
        id->SetFieldType(ftInteger);
        id->SetPrimaryKey(true);
        id->SetNullable(false);
        TnvMetadataField *note = fields->AddField(QStringLiteral("note"));
        note->SetFieldType(ftWideString);
        note->SetSize(200);
        note->SetPrecision(3);
        note->SetReadOnly(true);
        note->SetAltName(QStringLiteral("Note"));
        note->SetShortDescription(QStringLiteral("d"));
        note->SetLongDescription(QStringLiteral("ld"));
        fields->SetLoaded(true);
        auto keys = Create<TnvMetadataFieldNamesList>(nullptr);
        keys->SetSyntaxProvider(p);
        keys->AddField(QStringLiteral("id"));
        keys->AddField(QStringLiteral("Line"), true);
        orders->GetRelations()->AddRelation(keys.get(), Ident(p, "Lines").get(), Ident(p, "dbo").get(),
                                            QName(p, "srv.db").get(), keys.get());
        orders->GetRelations()->AddRelation(keys.get(), Ident(p, "Lines").get(), nullptr, nullptr, keys.get());

        TnvMetadataObject *view = c->AddView(QString(), QStringLiteral("V"), true);
        view->SetVisible(false);
        view->GetFields()->SetLoaded(true);
        c->AddProcedure(QStringLiteral("dbo"), QStringLiteral("P"))->GetFields()->SetLoaded(true);
        TnvMetadataSynonym *syn = c->AddSynonym(Ident(p, "dbo").get(), Ident(p, "O", true).get(), false, nullptr);
        syn->SetReferencedDatabase(QName(p, "srv.db").get());
        syn->SetReferencedSchema(Ident(p, "dbo").get());
        syn->SetReferencedName(Ident(p, "Orders").get());
        syn->OwnFields()->SetLoaded(true);
    }
};

TEST_F(MetadataXmlTest, SmallDocumentHasTheExactForm)
{
    mp.Columns[QStringLiteral("select * from T where 0<>0")] = {TFieldDef(QStringLiteral("c"), ftInteger)};
    c->AddTable(QString(), QStringLiteral("T"));
    EXPECT_SQL(c->GetXML(),
               "<metadata xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
               "xsi:noNamespaceSchemaLocation=\"nvqb-metadata.xsd\">"
               "<table><name name=\"T\" case_sens=\"0\"/><system>0</system><visible>1</visible>"
               "<fields><field><name><item name=\"c\" case_sens=\"1\"/></name><type>3</type></field></fields>"
               "</table></metadata>");
    // The file form begins with the declaration.
    EXPECT_TRUE(c->GetXMLBytes().startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
}

TEST_F(MetadataXmlTest, RoundTripKeepsEveryProperty)
{
    Fill();
    const QString text = c->GetXML();
    auto loaded = MakeContainer(p);
    loaded->LoadFromXML(text);
    EXPECT_SQL(loaded->GetXML(), text);

    EXPECT_SQL(loaded->GetDefaultDatabaseNameStr(), "srv.db");
    EXPECT_SQL(loaded->GetDefaultSchemaNamesStr(), "dbo;\"Sales\"");
    ASSERT_EQ(loaded->Count(), 4);
    TnvMetadataObject *orders = loaded->Items(0);
    EXPECT_TRUE(orders->Is<TnvMetadataTable>());
    EXPECT_SQL(orders->GetFullNameStr(), "srv.db.dbo.Orders");
    EXPECT_EQ(orders->Database()->GetCount(), 2);
    EXPECT_SQL(orders->ShortDescription(), "Orders\r\nof customers <&>");
    EXPECT_SQL(orders->LongDescription(), QStringLiteral("bell\uFFFD and tab\t"));
    TnvMetadataFieldsList *fields = orders->GetFields();
    EXPECT_TRUE(fields->Loaded());
    ASSERT_EQ(fields->Count(), 2);
    EXPECT_EQ(fields->Items(0)->FieldType(), ftInteger);
    EXPECT_TRUE(fields->Items(0)->PrimaryKey());
    EXPECT_FALSE(fields->Items(0)->Nullable());
    TnvMetadataField *note = fields->Items(1);
    EXPECT_EQ(note->FieldType(), ftWideString);
    EXPECT_EQ(note->Size(), 200);
    EXPECT_EQ(note->Precision(), 3);
    EXPECT_TRUE(note->ReadOnly());
    EXPECT_TRUE(note->Nullable());
    EXPECT_SQL(note->AltName() + note->ShortDescription() + note->LongDescription(), "Notedld");
    ASSERT_EQ(orders->GetRelations()->Count(), 2);
    TnvMetadataRelation *relation = orders->GetRelations()->Items(0);
    EXPECT_SQL(relation->GetChildTableStr(), "srv.db.dbo.Lines");
    ASSERT_EQ(relation->KeyFields()->Count(), 2);
    EXPECT_TRUE(static_cast<TastTokenIdentifier *>(relation->KeyFields()->Items(1)->GetItems(0))->CaseSensitive());
    EXPECT_EQ(relation->ChildFields()->Count(), 2);
    EXPECT_SQL(orders->GetRelations()->Items(1)->GetChildTableStr(), "Lines");

    TnvMetadataObject *view = loaded->Items(1);
    EXPECT_TRUE(view->Is<TnvMetadataView>());
    EXPECT_TRUE(view->System());
    EXPECT_FALSE(view->Visible());
    EXPECT_TRUE(loaded->Items(2)->Is<TnvMetadataProcedure>());
    auto *syn = As<TnvMetadataSynonym>(loaded->Items(3));
    ASSERT_NE(syn, nullptr);
    EXPECT_TRUE(syn->Name()->CaseSensitive());
    EXPECT_EQ(syn->GetReferencedObject(), orders);
    EXPECT_EQ(loaded->FindObjectByFullName(QName(p, "Orders").get()), orders);
}

TEST_F(MetadataXmlTest, FilesRoundTripAndFieldsAreFetchedBeforeSaving)
{
    mp.Columns[QStringLiteral("select * from dbo.T where 0<>0")] = {TFieldDef(QStringLiteral("c"), ftString, 10)};
    c->AddTable(QStringLiteral("dbo"), QStringLiteral("T"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.xml"));
    c->SaveToXMLFile(file);
    EXPECT_EQ(mp.Log.size(), 1);
    auto loaded = MakeContainer(p);
    loaded->LoadFromXMLFile(file);
    ASSERT_EQ(loaded->Count(), 1);
    ASSERT_EQ(loaded->Items(0)->GetFields()->Count(), 1);
    EXPECT_EQ(loaded->Items(0)->GetFields()->Items(0)->Size(), 10);

    // Without a provider, unloaded fields cannot be saved; the file stays.
    auto offline = MakeContainer(p);
    offline->AddTable(QString(), QStringLiteral("X"));
    EXPECT_THROW(offline->SaveToXMLFile(file), Exception);
    loaded->LoadFromXMLFile(file);
    EXPECT_EQ(loaded->Count(), 1);
}

TEST_F(MetadataXmlTest, ReaderDefaultsSkipsUnknownAndAddsToWhatIsThere)
{
    c->AddTable(QString(), QStringLiteral("Kept"));
    c->SetDefaultSchemaNamesStr(QStringLiteral("old"));
    c->AddFromXML(QStringLiteral(
        "<metadata><object><name name=\"O\"/></object><junk/>"
        "<view><name name=\"V\" case_sens=\"1\"/><fields><field><name><item name=\"f\"/></name></field>"
        "<field><name><item name=\"g\"/></name><type>99</type><nullable/></field></fields></view>"
        "<table><name name=\"T\"/></table></metadata>"));
    ASSERT_EQ(c->Count(), 3);
    EXPECT_SQL(c->GetDefaultSchemaNamesStr(), "old");
    TnvMetadataObject *view = c->Items(1);
    EXPECT_TRUE(view->System() == false && view->Visible());
    TnvMetadataField *f = view->GetFields()->Items(0);
    EXPECT_EQ(f->FieldType(), ftUnknown);
    EXPECT_EQ(f->Size(), 0);
    EXPECT_TRUE(f->Nullable());
    EXPECT_EQ(view->GetFields()->Items(1)->FieldType(), ftUnknown);
    // No "fields" element: the fields are fetched when asked for.
    EXPECT_FALSE(c->Items(2)->GetFields()->Loaded());

    c->LoadFromXML(QStringLiteral("<metadata/>"));
    EXPECT_EQ(c->Count(), 0);
    c->LoadFromXML(QStringLiteral("  "));
    EXPECT_EQ(c->Count(), 0);
}

TEST_F(MetadataXmlTest, FailedLoadsLeaveTheContainerAsItWas)
{
    Fill();
    const QString before = c->GetXML();
    auto expectError = [&](const QString &text, const char *message) {
        try {
            c->LoadFromXML(text);
            ADD_FAILURE() << "no error for " << text.toStdString();
        } catch (const Exception &e) {
            EXPECT_TRUE(e.Message().contains(QString::fromLatin1(message))) << e.Message().toStdString();
        }
        EXPECT_SQL(c->GetXML(), before);
    };
    expectError(QStringLiteral("<metadata><table>"), "Error parsing XML: ");
    expectError(QStringLiteral("<metadata></meta>"), "Error parsing XML: ");
    expectError(QStringLiteral("<meta/>"), "Bad XML file: tag \"metadata\" not found.");
    expectError(QStringLiteral("<metadata><table><name name=\"A\"/></table>"
                               "<table><name name=\"B\"/><fields><field><size>ten</size></field></fields></table>"
                               "</metadata>"),
                "\"ten\" of element \"size\"");
    expectError(QStringLiteral("<metadata><table><name name=\"A\"/><system>maybe</system></table></metadata>"),
                "\"maybe\" of element \"system\"");
    EXPECT_THROW(c->LoadFromXMLFile(QStringLiteral("/nonexistent/m.xml")), Exception);
    EXPECT_SQL(c->GetXML(), before);
}

TEST_F(MetadataXmlTest, NameListsAndElementsReadThroughTheDom)
{
    Fill();
    QDomDocument document;
    ASSERT_TRUE(document.setContent(c->GetXML()));
    auto other = MakeContainer(p);
    other->LoadFromXMLNode(document.documentElement());
    EXPECT_EQ(other->Count(), 4);

    auto schemas = Create<TSQLIdentifiersCollection>(p);
    QDomElement element = c->DefaultSchemaNames()->GetXMLNode(document, QStringLiteral("s"), QStringLiteral("item"));
    schemas->LoadFromXMLNode(element, QStringLiteral("item"));
    ASSERT_EQ(schemas->GetCount(), 2);
    EXPECT_TRUE(schemas->GetItems(1)->CaseSensitive());
}

} // namespace
} // namespace nvqb::test
