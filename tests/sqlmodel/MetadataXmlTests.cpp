// The metadata XML document: its exact form, round trips that keep every
// property, and documents that must be refused without touching the
// container.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"

#include <QDomDocument>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <functional>
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

    // Loads a hostile document into the filled container: it must be refused
    // (the message is returned), leaving the container as it was. What such
    // documents cost is measured by nvqb-metadata-xml-hostile-bench; here
    // the message shows which check refused them, and a load that never
    // ends fails by the test's timeout.
    QString Refused(const QString &text)
    {
        return Refused([&] { c->LoadFromXML(text); });
    }

    QString Refused(const std::function<void()> &load)
    {
        if (c->Count() == 0)
            Fill();
        const QString before = c->GetXML();
        QString message;
        try {
            load();
            ADD_FAILURE() << "no error";
        } catch (const Exception &e) {
            message = e.Message();
        }
        EXPECT_SQL(c->GetXML(), before);
        return message;
    }
};

QString Repeat(const QString &piece, qsizetype count)
{
    QString result;
    result.reserve(piece.size() * count);
    for (qsizetype i = 0; i < count; ++i)
        result += piece;
    return result;
}

QString Numbered(const QString &pattern, qsizetype count)
{
    QString result;
    for (qsizetype i = 0; i < count; ++i)
        result += QString(pattern).replace(u'#', QString::number(i));
    return result;
}

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

TEST_F(MetadataXmlTest, NestingDeeperThanTheDocumentHasIsRefused)
{
    // Tens of thousands of levels used to overflow the stack while a text
    // element's content was gathered.
    const QString deep = Repeat(QStringLiteral("<x>"), 60000) + Repeat(QStringLiteral("</x>"), 60000);
    EXPECT_SQL(Refused(QStringLiteral("<metadata><table><name name=\"T\"/><descr>") + deep +
                       QStringLiteral("</descr></table></metadata>")),
               "Error parsing XML: Element \"x\" is nested deeper than 7 levels (line 1, column 53)");
    EXPECT_TRUE(Refused(QStringLiteral("<metadata><junk>") + deep + QStringLiteral("</junk></metadata>"))
                    .contains(QStringLiteral("Element \"x\" is nested deeper than 7 levels")));
    EXPECT_TRUE(Refused(QStringLiteral("<metadata>") + Repeat(QStringLiteral("<table><fields><field>"), 20000))
                    .contains(QStringLiteral("Element \"table\" is nested deeper")));

    // A tree the host read: Qt writes it out recursively.
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QStringLiteral("<metadata><table>\n<descr>") + Repeat(QStringLiteral("<x>"), 10000) +
                                    Repeat(QStringLiteral("</x>"), 10000) + QStringLiteral("</descr></table></metadata>")));
    EXPECT_SQL(Refused([&] { c->LoadFromXMLNode(document.documentElement()); }),
               "Error parsing XML: Element \"x\" is nested deeper than 7 levels (line 2)");

    // The deepest elements of the format still load, and so does a text
    // element holding a little markup (its text is joined).
    c->LoadFromXML(QStringLiteral(
        "<metadata><table><name name=\"T\"/><descr>a<b>b<i>c</i></b></descr><relations><relation>"
        "<key_fields><field_name><item name=\"k\"/></field_name></key_fields><child_name name=\"C\"/>"
        "</relation></relations></table></metadata>"));
    ASSERT_EQ(c->Count(), 1);
    EXPECT_SQL(c->Items(0)->ShortDescription(), "abc");
    EXPECT_SQL(c->Items(0)->GetRelations()->Items(0)->KeyFields()->Items(0)->GetQualifiedName(), "k");
}

TEST_F(MetadataXmlTest, ElementsWithTooManyAttributesAreRefusedQuickly)
{
    // The reader compares each attribute with all before it: 100,000 on one
    // element took over 20 s. They are refused before the reader sees them:
    // a reader that read the text first would name the stray end tag that
    // follows them instead.
    const QString many = Numbered(QStringLiteral("a#=\"\" "), 100000);
    EXPECT_SQL(Refused(QStringLiteral("<metadata><table ") + many + QStringLiteral("/></metadata></stray>")),
               "Error parsing XML: Element \"table\" has more than 64 attributes (line 1, column 11)");
    EXPECT_TRUE(Refused(QStringLiteral("<metadata ") + Numbered(QStringLiteral("xmlns:p#=\"u\" "), 100000) +
                        QStringLiteral("/>"))
                    .contains(QStringLiteral("Element \"metadata\" has more than 64 attributes")));
    // A long name is cut in the message.
    const QString longName = Repeat(QStringLiteral("n"), 3000);
    EXPECT_TRUE(Refused(QStringLiteral("<metadata><") + longName + u' ' + many + QStringLiteral("/></metadata>"))
                    .contains(QStringLiteral("Element \"") + Repeat(QStringLiteral("n"), 64) +
                              QStringLiteral("...\" has more")));
    // Attributes the document does not know, in moderate number, are ignored.
    c->LoadFromXML(QStringLiteral("<metadata><table ") + Numbered(QStringLiteral("a#=\"=>\" "), 60) +
                   QStringLiteral("><name name=\"T\" extra=\"1\"/></table></metadata>"));
    EXPECT_SQL(c->Items(0)->GetFullNameStr(), "T");
}

TEST_F(MetadataXmlTest, DocumentTypeDeclarationsAreRefused)
{
    // Entities a declaration defines expand without a bound on their total:
    // 30,000 references to one 4,000-character entity took seconds and
    // hundreds of megabytes.
    const QString entity = QStringLiteral("<!DOCTYPE metadata [<!ENTITY a \"") + Repeat(QStringLiteral("x"), 4000) +
                           QStringLiteral("\">]>");
    EXPECT_SQL(Refused(entity + QStringLiteral("<metadata><table><name name=\"T\"/><descr>") +
                       Repeat(QStringLiteral("&a;"), 30000) + QStringLiteral("</descr></table></metadata>")),
               "Error parsing XML: A document type declaration is not accepted (line 1, column 1)");
    EXPECT_FALSE(Refused(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE metadata [") +
                         Numbered(QStringLiteral("<!ATTLIST item a# CDATA \"d\">"), 30000) +
                         QStringLiteral("]><metadata/>"))
                     .isEmpty());
    // Markup inside comments, character data and attribute values is not markup.
    c->LoadFromXML(QStringLiteral("<metadata><!-- <!DOCTYPE x> <a><b><c><d><e><f><g><h> --><table "
                                  "note=\"a=b>c\" b=\'\"\'><name name=\"T\"/><descr><![CDATA[<x><y><z><w><v>]]>"
                                  "</descr></table><?pi <a><b><c><d><e><f><g> ?></metadata>"));
    EXPECT_SQL(c->Items(0)->ShortDescription(), "<x><y><z><w><v>");
}

TEST_F(MetadataXmlTest, FilesAreCheckedInTheEncodingTheyAreReadIn)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.xml"));
    auto write = [&](const QByteArray &bytes) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    };
    const QString many = QStringLiteral("<metadata><table ") + Numbered(QStringLiteral("a#=\"\" "), 100000) +
                         QStringLiteral("/></metadata>");
    write(QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)(many));
    EXPECT_TRUE(Refused([&] { c->LoadFromXMLFile(file); }).contains(QStringLiteral("more than 64 attributes")));
    // UTF-7 writes "<" as "+ADw-": the tags are seen only once decoded.
    write("<?xml version=\"1.0\" encoding=\"UTF-7\"?><metadata>+ADw-table " +
          Numbered(QStringLiteral("a#=+ACIAIg- "), 100000).toLatin1() + "/+AD4-</metadata>");
    EXPECT_TRUE(Refused([&] { c->LoadFromXMLFile(file); }).contains(QStringLiteral("more than 64 attributes")));
    write("<?xml version=\"1.0\" encoding=\"no-such-encoding\"?><metadata/>");
    EXPECT_SQL(Refused([&] { c->LoadFromXMLFile(file); }),
               "Error parsing XML: Encoding no-such-encoding is unsupported");

    // Documents in other encodings load as before.
    write("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><metadata><table><name name=\"Pr\xe9is\"/>"
          "</table></metadata>");
    c->LoadFromXMLFile(file);
    EXPECT_SQL(c->Items(0)->GetFullNameStrNotQuoted(), QStringLiteral("Pr\u00e9is"));
    write(QStringEncoder(QStringEncoder::Utf16BE)(QStringLiteral("<metadata><view><name name=\"\u041a\"/></view></metadata>")));
    c->LoadFromXMLFile(file);
    EXPECT_SQL(c->Items(0)->GetFullNameStrNotQuoted(), QStringLiteral("\u041a"));
    write(QByteArray("\xef\xbb\xbf<metadata><view><name name=\"\xe2\x82\xac\"/></view></metadata>"));
    c->LoadFromXMLFile(file);
    EXPECT_SQL(c->Items(0)->GetFullNameStrNotQuoted(), QStringLiteral("\u20ac"));
}

TEST_F(MetadataXmlTest, OtherHostileShapesLoadOrAreRefusedInTime)
{
    // Up to 1 MB each; what matters is that none crashes, loads wrongly or
    // never ends (nvqb-metadata-xml-hostile-bench measures their time).
    const QString table = QStringLiteral("<metadata><table><name name=\"T\"/>%1</table></metadata>");
    const QStringList loads = {
        table.arg(QStringLiteral("<descr>") + Repeat(QStringLiteral("&amp;&#65;&#x1F600;"), 50000) +
                  QStringLiteral("</descr>")),
        table.arg(QStringLiteral("<schema name=\"") + Repeat(QStringLiteral("&#65;"), 200000) + QStringLiteral("\"/>")),
        table.arg(QStringLiteral("<long_descr>") + Repeat(QStringLiteral("<!----><?p?><b/>"), 20000) +
                  QStringLiteral("</long_descr>")),
        table.arg(QStringLiteral("<fields>") +
                  Numbered(QStringLiteral("<field><name><item name=\"f#\"/></name></field>"), 6000) +
                  QStringLiteral("</fields>")),
        QStringLiteral("<metadata>") + Numbered(QStringLiteral("<table><name name=\"#_SAME_END\"/></table>"), 6000) +
            QStringLiteral("</metadata>"),
    };
    c->LoadFromXML(loads[0]);
    ASSERT_EQ(c->Count(), 1);
    EXPECT_SQL(c->Items(0)->ShortDescription(), Repeat(QStringLiteral("&A\U0001F600"), 50000));
    c->LoadFromXML(loads[1]);
    ASSERT_EQ(c->Count(), 1);
    ASSERT_TRUE(c->Items(0)->Schema());
    EXPECT_SQL(c->Items(0)->Schema()->Text(), Repeat(QStringLiteral("A"), 200000));
    c->LoadFromXML(loads[2]);
    ASSERT_EQ(c->Count(), 1);
    EXPECT_SQL(c->Items(0)->LongDescription(), "");
    c->LoadFromXML(loads[3]);
    ASSERT_EQ(c->Count(), 1);
    ASSERT_EQ(c->Items(0)->OwnFields()->Count(), 6000);
    EXPECT_SQL(c->Items(0)->OwnFields()->Items(5999)->NameStr(), "f5999");
    // Every name falls into the same bucket of the name index.
    c->LoadFromXML(loads[4]);
    ASSERT_EQ(c->Count(), 6000);
    EXPECT_EQ(c->FindObjectByFullName(QName(p, QStringLiteral("4321_SAME_END")).get()), c->Items(4321));
    EXPECT_TRUE(Refused(QStringLiteral("<metadata><") + Repeat(QStringLiteral("n"), 1000000) +
                        QStringLiteral("/></metadata>"))
                    .startsWith(QStringLiteral("Error parsing XML: ")));
    EXPECT_TRUE(Refused(table.arg(QStringLiteral("<descr>") + Repeat(QStringLiteral("&u;"), 300000) +
                                  QStringLiteral("</descr>")))
                    .contains(QStringLiteral("Entity 'u' not declared")));
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
