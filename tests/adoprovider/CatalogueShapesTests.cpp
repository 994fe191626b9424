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
#include "adoprovider/OdbcDataset.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/providers/EventMetadataProvider.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

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
            " constraint ship_line foreign key (\"Line\", \"Order\")"
            " references \"Order Line\" (\"Line No\", \"Order No\"),"
            " constraint ship_from foreign key (\"From\") references \"Airport\" (\"Code\"),"
            " constraint ship_to foreign key (\"To\") references \"Airport\" (\"Code\"),"
            " constraint ship_via foreign key (\"Via ICAO\") references \"Airport\" (\"ICAO\"),"
            " constraint ship_line2 foreign key (\"Ord2\", \"Line2\") references \"Order Line\")",
            "create table \"Track\" (\"TrackId\" integer not null primary key, \"Title\" varchar(40))",
            "create table \"Playlist Track\" (\"PlaylistId\" integer not null,"
            " \"TrackId\" integer not null references \"Track\", primary key (\"PlaylistId\", \"TrackId\"))",
            "create view \"美術 View\" as select \"Код\", \"Имя\" from \"Артист\"",
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

    // Objects and relations of the test's schemas, and the fields of every
    // object, through the ADO provider or another one.
    TOwned<TnvMetadataContainer> Load(Path path, TnvBaseMetadataProvider *provider = nullptr)
    {
        Syntax.SetUseInformationSchema(path == Path::InformationSchema);
        // PostgreSQL folds names without quotes to lower case: "Airport" must be written quoted.
        Syntax.SetIdentCaseSens(IsPostgres() ? icsSensitiveLowerCase : icsNonSensitive);
        Provider.SetConnection(Connection.get());
        auto container = Create<TnvMetadataContainer>(nullptr);
        container->SetSyntaxProvider(&Syntax);
        container->SetMetadataProvider(provider ? provider : &Provider);
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
            "TnvMetadataView " + a + "美術 View [Код, Имя] {}",
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

// The forms of the relations query on a server that has the views. The plain
// forms take tens of seconds while another test's two thousand keys stand in
// the catalogue, so these tests take turns on the server (test programs run
// side by side); the lock goes with the connection at the end of the test.
class RelationsQueryFormsTest : public CatalogueShapesTest {
protected:
    void SetUp() override
    {
        CatalogueShapesTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Provider.SetConnection(Connection.get());
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            TOwned<TDataSet> got =
                Provider.ExecSQL(QStringLiteral("select case when pg_try_advisory_lock(735001) then 1 else 0 end"), true);
            got->First();
            if (got->Fields(0)->AsWideString().trimmed() == u"1")
                return;
            ASSERT_LT(waited.elapsed(), 240000) << "another test held the catalogue for four minutes";
            QThread::msleep(100);
        }
    }
};

TEST_P(RelationsQueryFormsTest, DerivedTablesGiveTheSameRowsInTheSameOrder)
{
    Provider.SetConnection(Connection.get());
    auto rowsOf = [&](const QString &sql) {
        QStringList rows;
        TOwned<TDataSet> dataset = Provider.ExecSQL(sql, true);
        for (dataset->First(); !dataset->Eof(); dataset->Next()) {
            const QString schema = dataset->FieldByName(QStringLiteral("FK_SCHEMA_NAME"))->AsWideString().trimmed();
            if (schema != Schema() && schema != Other)
                continue;
            QStringList values;
            for (int i = 0; i < dataset->FieldCount(); ++i)
                values << dataset->Fields(i)->AsWideString().trimmed();
            rows << values.join(u'|');
        }
        return rows;
    };
    for (bool byUniquePosition : {true, false}) {
        const QStringList plain = rowsOf(TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL({}, byUniquePosition));
        EXPECT_EQ(plain.size(), 11);
        EXPECT_EQ(rowsOf(TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL({}, byUniquePosition, true)), plain);
    }
}

TEST_P(RelationsQueryFormsTest, AServerRefusingAFormGetsTheNext)
{
    // A provider over the same connection whose server refuses some texts.
    QStringList refused, asked;
    TnvEventMetadataProvider events;
    events.OnExecSQLEvent = TnvExecSQLEvent::FromCallable(
        [&](TnvBaseMetadataProvider *, const QString &sql, TOwned<TDataSet> &dataset) {
            if (sql.contains(QStringLiteral(" as ORDINAL from ")))
                asked << sql;
            for (const QString &text : refused)
                if (sql.contains(text))
                    throw EDatabaseError(QStringLiteral("syntax error at or near \"%1\"").arg(text));
            auto query = Create<TADODataSet>(nullptr);
            query->SetConnection(Connection.get());
            query->SetCommandText(sql);
            dataset.reset(query.release());
        });
    using Sql92 = TnvSQL92SyntaxProvider;
    const QString derivedTables = QStringLiteral("(select distinct");
    const QString uniquePosition = QStringLiteral("POSITION_IN_UNIQUE_CONSTRAINT");
    struct Case {
        QStringList Refused;
        QStringList Asked;
    } cases[] = {
        {{}, {Sql92::InformationSchemaRelationsSQL({}, true, true)}},
        // No derived tables: the views joined directly.
        {{derivedTables},
         {Sql92::InformationSchemaRelationsSQL({}, true, true), Sql92::InformationSchemaRelationsSQL({}, false, true),
          Sql92::InformationSchemaRelationsSQL({}, true)}},
        // Views without the column: keys paired by position in both keys.
        {{uniquePosition},
         {Sql92::InformationSchemaRelationsSQL({}, true, true), Sql92::InformationSchemaRelationsSQL({}, false, true)}},
        {{derivedTables, uniquePosition},
         {Sql92::InformationSchemaRelationsSQL({}, true, true), Sql92::InformationSchemaRelationsSQL({}, false, true),
          Sql92::InformationSchemaRelationsSQL({}, true), Sql92::InformationSchemaRelationsSQL({}, false)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Refused.join(QStringLiteral(", ")).toStdString());
        refused = c.Refused;
        asked.clear();
        auto container = Load(Path::InformationSchema, &events);
        EXPECT_EQ(asked, c.Asked);
        // Objects came through the views; relations from the form accepted.
        EXPECT_EQ(Describe(*container).size(), Expected().size());
        if (!c.Refused.contains(uniquePosition)) {
            EXPECT_EQ(Describe(*container), Expected());
        }
        // Pairing by position in both keys pairs a key listed in another
        // order than the referenced key wrongly; that is why it comes last.
        qsizetype relations = 0;
        for (qsizetype i = 0; i < container->Count(); ++i)
            relations += container->Items(i)->GetRelations()->Count();
        EXPECT_EQ(relations, 9);
    }
}

TEST_P(RelationsQueryFormsTest, TwoThousandKeysLoadTouchingFewPagesPerKey)
{
    // The catalogue tables the information_schema views read. Making and
    // dropping two thousand tables leaves them full of dead rows, which
    // every later scan reads past until the server's own vacuum comes by:
    // they are vacuumed before the load and after the drops, so that the
    // pages counted below and the other tests' queries do not depend on
    // what ran before.
    const QString vacuum = QStringLiteral(
        "vacuum analyze pg_catalog.pg_attribute, pg_catalog.pg_class, pg_catalog.pg_constraint,"
        " pg_catalog.pg_namespace, pg_catalog.pg_depend, pg_catalog.pg_type, pg_catalog.pg_index,"
        " pg_catalog.pg_trigger");
    // A chain of tables, each referring to the next, made in batches (one
    // statement for all of them needs more locks than a server allows).
    constexpr int count = 2000;
    const QString other = AddSchema(QStringLiteral("_many"));
    QStringList statements;
    for (int i = 0; i < count; ++i)
        statements << QStringLiteral("create table %1.t%2 (id integer not null primary key, next_id integer)")
                          .arg(other)
                          .arg(i);
    for (int i = 0; i < count; ++i)
        statements << QStringLiteral("alter table %1.t%2 add constraint fk_t%2 foreign key (next_id)"
                                     " references %1.t%3 (id)")
                          .arg(other)
                          .arg(i)
                          .arg((i + 1) % count);
    // Dropped whatever happens below: left in the catalogue, the keys would
    // slow the other tests' forms down.
    struct DropTables {
        TADOConnection *Connection;
        const QString &Schema, &Vacuum;
        ~DropTables()
        {
            try {
                for (int i = 0; i < count; i += 200) {
                    QStringList drops;
                    for (int k = i; k < i + 200; ++k)
                        drops << QStringLiteral("drop table if exists %1.t%2 cascade").arg(Schema).arg(k);
                    Connection->Execute(drops.join(u';'));
                }
                Connection->Execute(Vacuum);
            } catch (const std::exception &e) {
                ADD_FAILURE() << "dropping the tables: " << e.what();
            }
        }
    } dropTables{Connection.get(), other, vacuum};
    for (qsizetype i = 0; i < statements.size(); i += 200)
        Connection->Execute(statements.mid(i, 200).join(u';'));
    Connection->Execute(vacuum);

    // The load runs its statements on the test's connection through a
    // provider that notes the relations query.
    QStringList asked;
    TnvEventMetadataProvider events;
    events.OnExecSQLEvent = TnvExecSQLEvent::FromCallable(
        [&](TnvBaseMetadataProvider *, const QString &sql, TOwned<TDataSet> &dataset) {
            if (sql.contains(QStringLiteral(" as ORDINAL from ")))
                asked << sql;
            auto query = Create<TADODataSet>(nullptr);
            query->SetConnection(Connection.get());
            query->SetCommandText(sql);
            dataset.reset(query.release());
        });
    Syntax.SetUseInformationSchema(true);
    Provider.SetConnection(Connection.get());
    auto container = Create<TnvMetadataContainer>(nullptr);
    container->SetSyntaxProvider(&Syntax);
    container->SetMetadataProvider(&events);
    TnvMetadataFilter filter;
    filter.Add()->SchemaMask = other;
    container->LoadMetadataByFilter(&filter, nullptr);
    qsizetype relations = 0;
    for (qsizetype i = 0; i < container->Count(); ++i)
        relations += container->Items(i)->GetRelations()->Count();
    EXPECT_EQ(container->Count(), count);
    EXPECT_EQ(relations, count);

    // One query, in the form of derived tables, and its work in the
    // server's own count of the pages it touched (found in its buffers or
    // read), which is the same on any machine; its time is taken by
    // bench/metadataload. The form that joins the views directly touched
    // over a million pages here and took over a minute; the derived tables
    // touch about 20,000.
    ASSERT_EQ(asked, QStringList{TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL({}, true, true)});
    qint64 pages = -1;
    TOwned<TDataSet> plan = Provider.ExecSQL(QStringLiteral("explain (analyze, buffers) ") + asked[0], true);
    static const QRegularExpression buffers(QStringLiteral("Buffers: shared( hit=\\d+)?( read=\\d+)?"));
    for (plan->First(); !plan->Eof() && pages < 0; plan->Next()) {
        const QRegularExpressionMatch match = buffers.match(plan->Fields(0)->AsWideString());
        // The first node's count is the whole query's.
        if (match.hasMatch())
            pages = match.captured(1).section(u'=', 1).toLongLong() + match.captured(2).section(u'=', 1).toLongLong();
    }
    EXPECT_GT(pages, 0);
    EXPECT_LT(pages, 40 * count);
}

INSTANTIATE_TEST_SUITE_P(Databases, RelationsQueryFormsTest, ::testing::Values(Backend::PostgreSQL), BackendName);

} // namespace
