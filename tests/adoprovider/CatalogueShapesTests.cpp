// A catalogue with the shapes real ones have, loaded from both databases
// through the ADO provider's rowsets and (PostgreSQL) through the SQL-92
// dialect's information_schema queries, then saved as XML and read into a
// fresh container: names with blanks and outside ASCII, composite keys
// listed in another order than the key, several keys between one pair of
// tables, a self-reference, a key to a UNIQUE constraint, keys written
// without a column list, views, and on PostgreSQL a second schema with a
// table of the same name and a key across the schemas.
#include "OdbcTestSupport.h"
#include "adoprovider/ADOMetadataProvider.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"

using namespace nvqb;
using namespace nvqb::test;

namespace {

enum class Path { ADO, InformationSchema };

class CatalogueShapesTest : public OdbcDatabaseTest {
protected:
    QString Other; // PostgreSQL: the second schema

    QStringList SchemaStatements() override
    {
        QStringList sql = {
            "create table \"Art Gallery\" (\"Gallery Id\" integer not null primary key,"
            " \"Gallery Name\" varchar(40))",
            "create table \"Артист\" (\"Код\" integer not null primary key, \"Имя\" varchar(40),"
            " \"Preis €\" numeric(10, 2), \"東京\" varchar(10), \"Mentor\" integer, \"Gallery Id\" integer,"
            " constraint \"Артист mentor\" foreign key (\"Mentor\") references \"Артист\" (\"Код\"),"
            " constraint artist_gallery foreign key (\"Gallery Id\") references \"Art Gallery\" (\"Gallery Id\"))",
            // The key's columns in another order than the table's.
            "create table \"Order Line\" (\"Line No\" integer not null, \"Order No\" integer not null,"
            " \"Qty\" integer, primary key (\"Order No\", \"Line No\"))",
            "create table \"Airport\" (\"Code\" char(3) not null primary key, \"ICAO\" char(4) not null unique,"
            " \"Name\" varchar(40))",
            "create table \"Shipment\" (\"Ship Id\" integer not null primary key, \"Line\" integer,"
            " \"Order\" integer, \"From\" char(3), \"To\" char(3), \"Via ICAO\" char(4), \"Ord2\" integer,"
            " \"Line2\" integer,"
            " constraint ship_line foreign key (\"Line\", \"Order\") references \"Order Line\" (\"Line No\", \"Order No\"),"
            " constraint ship_from foreign key (\"From\") references \"Airport\" (\"Code\"),"
            " constraint ship_to foreign key (\"To\") references \"Airport\" (\"Code\"),"
            " constraint ship_via foreign key (\"Via ICAO\") references \"Airport\" (\"ICAO\"),"
            " constraint ship_line2 foreign key (\"Ord2\", \"Line2\") references \"Order Line\")",
            "create table \"Track\" (\"TrackId\" integer not null primary key, \"Title\" varchar(40))",
            "create table \"Playlist Track\" (\"PlaylistId\" integer not null,"
            " \"TrackId\" integer not null references \"Track\", primary key (\"PlaylistId\", \"TrackId\"))",
            "create view \"Art View\" as select \"Код\", \"Имя\" from \"Артист\"",
            "create view \"Обзор €\" as select s.\"Ship Id\", a.\"Name\" from \"Shipment\" s"
            " join \"Airport\" a on a.\"Code\" = s.\"From\"",
        };
        if (IsPostgres()) {
            Other = AddSchema(QStringLiteral("_b"));
            sql << QStringLiteral("create table %1.\"Art Gallery\" (\"Gallery Id\" integer not null primary key,"
                                  " \"Curator\" integer, constraint curator foreign key (\"Curator\")"
                                  " references %2.\"Артист\" (\"Код\"))")
                       .arg(Other, Schema());
        }
        return sql;
    }

    TnvSQL92SyntaxProvider Syntax;
    TnvADOMetadataProvider Provider;

    // Objects and relations of the test's schemas, and the fields of every object.
    TOwned<TnvMetadataContainer> Load(Path path)
    {
        Syntax.SetUseInformationSchema(path == Path::InformationSchema);
        // PostgreSQL folds names without quotes to lower case: "Airport" must be written quoted.
        Syntax.SetIdentCaseSens(IsPostgres() ? icsSensitiveLowerCase : icsNonSensitive);
        Provider.SetConnection(Connection.get());
        auto container = Create<TnvMetadataContainer>(nullptr);
        container->SetSyntaxProvider(&Syntax);
        container->SetMetadataProvider(&Provider);
        TnvMetadataFilter filter;
        if (IsPostgres()) {
            filter.Add()->SchemaMask = Schema();
            filter.Add()->SchemaMask = Other;
        }
        container->LoadMetadataByFilter(&filter, nullptr);
        for (qsizetype i = 0; i < container->Count(); ++i)
            container->Items(i)->LoadFields();
        return container;
    }

    TOwned<TnvMetadataContainer> Reload(const TnvMetadataContainer &source)
    {
        auto container = Create<TnvMetadataContainer>(nullptr);
        container->SetSyntaxProvider(&Syntax);
        container->LoadFromXML(source.GetXML());
        return container;
    }

    // The schema's name as the test's objects show it: "a" for the test's
    // own, "b" for the second, nothing on SQLite.
    QString Alias(const QString &schema) const
    {
        if (schema.isEmpty())
            return QString();
        return schema == Schema() ? QStringLiteral("a.") : schema == Other ? QStringLiteral("b.") : schema + u'.';
    }

    // Kind, name, fields and relations (each with its key pairs in order),
    // one object a line, sorted: what every path must agree on. With
    // details, also each field's type, size, precision and nullability.
    QStringList Describe(const TnvMetadataContainer &container, bool details = false) const
    {
        QStringList lines;
        for (qsizetype i = 0; i < container.Count(); ++i) {
            TnvMetadataObject *object = container.Items(i);
            QStringList fields;
            for (qsizetype f = 0; f < object->GetFields()->Count(); ++f) {
                const TnvMetadataField *field = object->GetFields()->Items(f);
                fields << field->NameStrNotQuoted();
                if (details)
                    fields.last() += QStringLiteral(" %1(%2,%3)%4")
                                         .arg(int(field->FieldType()))
                                         .arg(field->Size())
                                         .arg(field->Precision())
                                         .arg(field->Nullable() ? QString() : QStringLiteral(" not null"));
            }
            QStringList relations;
            for (qsizetype r = 0; r < object->GetRelations()->Count(); ++r) {
                const TnvMetadataRelation *relation = object->GetRelations()->Items(r);
                QStringList pairs;
                for (qsizetype k = 0; k < relation->KeyFields()->Count(); ++k)
                    pairs << relation->KeyFields()->Items(k)->GetQualifiedNameWithoutQuotes() + QStringLiteral("->") +
                                 (k < relation->ChildFields()->Count()
                                      ? relation->ChildFields()->Items(k)->GetQualifiedNameWithoutQuotes()
                                      : QStringLiteral("?"));
                relations << Alias(relation->GetChildSchemaStrNotQuoted()) + relation->GetChildNameStrNotQuoted() +
                                 u'(' + pairs.join(QStringLiteral(", ")) + u')';
            }
            relations.sort();
            lines << QStringLiteral("%1 %2%3%4 [%5] {%6}")
                         .arg(object->ClassName(), Alias(object->GetSchemaStrNotQuoted()),
                              object->GetNameStrNotQuoted(), object->System() ? QStringLiteral(" system") : QString(),
                              fields.join(QStringLiteral(", ")), relations.join(QStringLiteral("; ")));
        }
        lines.sort();
        return lines;
    }

    QStringList Expected() const
    {
        const QString a = IsPostgres() ? QStringLiteral("a.") : QString();
        QStringList lines = {
            "TnvMetadataTable " + a + "Airport [Code, ICAO, Name] {" + a + "Shipment(Code->From); " + a +
                "Shipment(Code->To); " + a + "Shipment(ICAO->Via ICAO)}",
            "TnvMetadataTable " + a + "Art Gallery [Gallery Id, Gallery Name] {" + a +
                "Артист(Gallery Id->Gallery Id)}",
            "TnvMetadataTable " + a + "Order Line [Line No, Order No, Qty] {" + a +
                "Shipment(Line No->Line, Order No->Order); " + a + "Shipment(Order No->Ord2, Line No->Line2)}",
            "TnvMetadataTable " + a + "Playlist Track [PlaylistId, TrackId] {}",
            "TnvMetadataTable " + a + "Shipment [Ship Id, Line, Order, From, To, Via ICAO, Ord2, Line2] {}",
            "TnvMetadataTable " + a + "Track [TrackId, Title] {" + a + "Playlist Track(TrackId->TrackId)}",
            "TnvMetadataTable " + a + "Артист [Код, Имя, Preis €, 東京, Mentor, Gallery Id] {" + a +
                "Артист(Код->Mentor)" + (IsPostgres() ? "; b.Art Gallery(Код->Curator)" : "") + "}",
            "TnvMetadataView " + a + "Art View [Код, Имя] {}",
            "TnvMetadataView " + a + "Обзор € [Ship Id, Name] {}",
        };
        if (IsPostgres())
            lines << "TnvMetadataTable b.Art Gallery [Gallery Id, Curator] {}";
        lines.sort();
        return lines;
    }

    // Objects and fields are found by their names as written.
    void ExpectNamesFound(const TnvMetadataContainer &container) const
    {
        TnvMetadataObject *artist = container.FindObjectByFullName(Qualified(QStringLiteral("\"Артист\"")));
        ASSERT_NE(artist, nullptr);
        for (const char *name : {"Код", "Preis €", "東京", "Gallery Id"})
            EXPECT_GE(artist->GetFields()->FindFieldByName(QString::fromUtf8(name)), 0) << name;
        EXPECT_NE(container.FindObjectByFullName(Qualified(QStringLiteral("\"Обзор €\""))), nullptr);
        EXPECT_NE(container.FindObjectByFullName(Qualified(QStringLiteral("\"Order Line\""))), nullptr);
    }

    QString Qualified(const QString &name) const { return IsPostgres() ? Schema() + u'.' + name : name; }
};

TEST_P(CatalogueShapesTest, ThroughTheProvidersRowsetsAndBackFromXML)
{
    auto loaded = Load(Path::ADO);
    EXPECT_EQ(Describe(*loaded), Expected());
    ExpectNamesFound(*loaded);

    const QString xml = loaded->GetXML();
    EXPECT_FALSE(xml.contains(QChar(0xFFFD))) << "a name was damaged on saving";
    auto reloaded = Reload(*loaded);
    EXPECT_EQ(Describe(*reloaded, true), Describe(*loaded, true));
    ExpectNamesFound(*reloaded);
    // Nothing is lost or added on the way through the file.
    EXPECT_EQ(reloaded->GetXML(), xml);
}

TEST_P(CatalogueShapesTest, ThroughInformationSchemaAgreesWithTheProvider)
{
    // SQLite has no information_schema: the dialect falls back to the
    // provider there, and the result is the provider's.
    auto viaViews = Load(Path::InformationSchema);
    EXPECT_EQ(Describe(*viaViews), Expected());
    ExpectNamesFound(*viaViews);
    auto viaProvider = Load(Path::ADO);
    // Fields come from the same query on both paths.
    EXPECT_EQ(Describe(*viaViews, true), Describe(*viaProvider, true));

    // Where the paths differ: the views name the catalogue, so the objects
    // read through them carry it as their database (and the container as
    // its default); the provider's rowsets leave both empty. The order of
    // the objects is each source's own.
    const QString database = IsPostgres() ? Connection->DefaultDatabase() : QString();
    EXPECT_EQ(viaViews->GetDefaultDatabaseNameStr(), database);
    EXPECT_EQ(viaProvider->GetDefaultDatabaseNameStr(), QString());
    for (qsizetype i = 0; i < viaViews->Count(); ++i) {
        TnvMetadataObject *object = viaViews->Items(i);
        EXPECT_EQ(object->GetDatabaseStrNotQuoted(), database);
        for (qsizetype r = 0; r < object->GetRelations()->Count(); ++r)
            EXPECT_EQ(object->GetRelations()->Items(r)->GetChildDatabaseStrNotQuoted(), database);
    }
    for (qsizetype i = 0; i < viaProvider->Count(); ++i) {
        TnvMetadataObject *object = viaProvider->Items(i);
        EXPECT_EQ(object->GetDatabaseStrNotQuoted(), QString());
        for (qsizetype r = 0; r < object->GetRelations()->Count(); ++r)
            EXPECT_EQ(object->GetRelations()->Items(r)->GetChildDatabaseStrNotQuoted(), QString());
    }

    const QString xml = viaViews->GetXML();
    EXPECT_FALSE(xml.contains(QChar(0xFFFD))) << "a name was damaged on saving";
    auto reloaded = Reload(*viaViews);
    EXPECT_EQ(Describe(*reloaded, true), Describe(*viaViews, true));
    ExpectNamesFound(*reloaded);
    EXPECT_EQ(reloaded->GetXML(), xml);
}

INSTANTIATE_TEST_SUITE_P(Databases, CatalogueShapesTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         BackendName);

} // namespace
