// The SQL-92 dialect's metadata loading through the standard
// information_schema views.
#include "classlib/MemoryDataset.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/providers/MetadataFetchers.h"
#include "sqlmodel/providers/MetadataProvider.h"

namespace nvqb {

namespace {

// Column names and the two key joins; rows come ordered by constraint
// before position, so the columns of one key follow each other with rising
// ordinals even when two keys join the same pair of tables.
const char16_t RelationsSQLColumns[] =
    u"select  cast(pf.TABLE_CATALOG as char(255)) as PK_TABLE_DATABASE, cast(pf.TABLE_SCHEMA as char(255)) as "
    u"PK_SCHEMA_NAME, cast(pf.TABLE_NAME as char(255)) as PK_TABLE_NAME, cast(pf.COLUMN_NAME as char(255)) as "
    u"PK_FIELD_NAME, cast(ff.TABLE_CATALOG as char(255)) as FK_TABLE_DATABASE, cast(ff.TABLE_SCHEMA as char(255)) "
    u"as FK_SCHEMA_NAME, cast(ff.TABLE_NAME as char(255)) as FK_TABLE_NAME, cast(ff.COLUMN_NAME as char(255)) as "
    u"FK_FIELD_NAME, ff.ORDINAL_POSITION as ORDINAL from ";
const char16_t RelationsSQLViews[] =
    u"%0:sINFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS rc, %0:sINFORMATION_SCHEMA.KEY_COLUMN_USAGE ff, "
    u"%0:sINFORMATION_SCHEMA.KEY_COLUMN_USAGE pf";
// The same views as derived tables, with the columns the query reads.
const char16_t RelationsSQLDerivedReferences[] =
    u"(select distinct CONSTRAINT_CATALOG, CONSTRAINT_SCHEMA, CONSTRAINT_NAME, UNIQUE_CONSTRAINT_CATALOG, "
    u"UNIQUE_CONSTRAINT_SCHEMA, UNIQUE_CONSTRAINT_NAME from %0:sINFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS) rc, ";
const char16_t RelationsSQLDerivedKeyColumns[] =
    u"(select distinct CONSTRAINT_CATALOG, CONSTRAINT_SCHEMA, CONSTRAINT_NAME, TABLE_CATALOG, TABLE_SCHEMA, "
    u"TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION%1 from %0:sINFORMATION_SCHEMA.KEY_COLUMN_USAGE) ";
const char16_t RelationsSQLJoin[] =
    u" where (rc.CONSTRAINT_NAME=ff.CONSTRAINT_NAME)and (rc.CONSTRAINT_SCHEMA=ff.CONSTRAINT_SCHEMA)and "
    u"(rc.CONSTRAINT_CATALOG=ff.CONSTRAINT_CATALOG)and (rc.UNIQUE_CONSTRAINT_NAME=pf.CONSTRAINT_NAME)and "
    u"(rc.UNIQUE_CONSTRAINT_SCHEMA=pf.CONSTRAINT_SCHEMA)and (rc.UNIQUE_CONSTRAINT_CATALOG=pf.CONSTRAINT_CATALOG)and ";
const char16_t RelationsSQLPairByUniquePosition[] = u"(ff.POSITION_IN_UNIQUE_CONSTRAINT=pf.ORDINAL_POSITION)";
const char16_t RelationsSQLPairByPosition[] = u"(ff.ORDINAL_POSITION=pf.ORDINAL_POSITION)";
const char16_t RelationsSQLTail[] =
    u" order by pf.TABLE_SCHEMA, pf.TABLE_NAME, ff.TABLE_SCHEMA, ff.TABLE_NAME, rc.CONSTRAINT_SCHEMA, "
    u"rc.CONSTRAINT_NAME, ff.ORDINAL_POSITION";

QString SqlStringLiteral(const QString &text)
{
    QString doubled = text;
    doubled.replace(u'\'', QStringLiteral("''"));
    return u'\'' + doubled + u'\'';
}

} // namespace

QString TnvSQL92SyntaxProvider::InformationSchemaRelationsSQL(const QString &prefix, bool pairByUniquePosition,
                                                             bool viewsAsDerivedTables)
{
    QString sql = QString::fromUtf16(RelationsSQLColumns);
    if (viewsAsDerivedTables) {
        // DISTINCT changes no row (a view's rows differ in the columns read:
        // a key column by its constraint and position, a reference by its
        // constraint) but keeps the server from merging the view into the
        // outer join.
        const QString keyColumns = QString::fromUtf16(RelationsSQLDerivedKeyColumns);
        sql += QString::fromUtf16(RelationsSQLDerivedReferences) +
               QString(keyColumns)
                   .replace(QStringLiteral("%1"),
                            pairByUniquePosition ? QStringLiteral(", POSITION_IN_UNIQUE_CONSTRAINT") : QString()) +
               QStringLiteral("ff, ") + QString(keyColumns).replace(QStringLiteral("%1"), QString()) +
               QStringLiteral("pf");
    } else {
        sql += QString::fromUtf16(RelationsSQLViews);
    }
    sql += QString::fromUtf16(RelationsSQLJoin) +
           QString::fromUtf16(pairByUniquePosition ? RelationsSQLPairByUniquePosition : RelationsSQLPairByPosition) +
           QString::fromUtf16(RelationsSQLTail);
    return sql.replace(QStringLiteral("%0:s"), prefix);
}

bool TnvSQL92SyntaxProvider::CanUseInformationSchema(TnvBaseMetadataProvider *metadataProvider) const
{
    return FUseInformationSchema && metadataProvider && metadataProvider->GetCanExecSQL();
}

TOwned<TSQLQualifiedName> TnvSQL92SyntaxProvider::GetDefaultDatabaseName(TnvBaseMetadataProvider *metadataProvider)
{
    if (!CanUseInformationSchema(metadataProvider) ||
        !IsTableExists(QStringLiteral("information_schema.schemata"), metadataProvider))
        return TnvBaseSyntaxProvider::GetDefaultDatabaseName(metadataProvider);
    try {
        TOwned<TDataSet> dataset = metadataProvider->ExecSQL(
            QStringLiteral("select distinct cast(catalog_name as char(255)) as CATALOG_NAME from "
                           "information_schema.schemata"),
            true);
        dataset->First();
        if (dataset->Eof() || dataset->FieldCount() < 1 || dataset->Fields(0)->IsNull())
            return nullptr;
        // The cast pads the name to its width on some servers.
        const QString text = dataset->Fields(0)->AsWideString().trimmed();
        if (text.isEmpty())
            return nullptr;
        TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(this);
        name->AddName(text, false);
        return name;
    } catch (...) {
        // No default database known: names are then written in full.
        return nullptr;
    }
}

void TnvSQL92SyntaxProvider::DatabasePrefix(TnvBaseMetadataProvider *metadataProvider,
                                            const TSQLQualifiedName *database, QString &prefix, QString &filter)
{
    prefix.clear();
    filter.clear();
    if (IsQualifiedNameEmpty(database))
        return;
    TOwned<TSQLQualifiedName> defaultName = GetDefaultDatabaseName(metadataProvider);
    if (IsQualifiedNameEmpty(defaultName.get()) || IsQualifiedNamesEqual(database, defaultName.get()))
        return;
    prefix = database->GetQualifiedName() + u'.';
    filter = QStringLiteral(" where TABLE_CATALOG=") + SqlStringLiteral(database->GetQualifiedNameWithoutQuotes());
}

void TnvSQL92SyntaxProvider::LoadMetadataObjects(TnvBaseMetadataProvider *metadataProvider,
                                                 TnvMetadataFilter *filter, TnvMetadataContainer *container,
                                                 const TSQLQualifiedName *database)
{
    if (!CanUseInformationSchema(metadataProvider) ||
        !IsTableExists(QStringLiteral("information_schema.tables"), metadataProvider)) {
        TnvBaseSyntaxProvider::LoadMetadataObjects(metadataProvider, filter, container, database);
        return;
    }
    QString prefix, catalogFilter;
    DatabasePrefix(metadataProvider, database, prefix, catalogFilter);

    TOwned<TnvMetadataObjectFetcherFromQuery> tables = Create<TnvMetadataObjectFetcherFromQuery>(this, metadataProvider);
    tables->SQL = QStringLiteral("select cast(table_schema as char(255)) as TABLE_SCHEMA, cast(table_name as "
                                 "char(255)) as TABLE_NAME, cast(table_type as char(255)) as TABLE_TYPE from ") +
                  prefix + QStringLiteral("information_schema.tables") + catalogFilter;
    try {
        tables->CreateDataset();
    } catch (...) {
        tables.reset();
        TnvBaseSyntaxProvider::LoadMetadataObjects(metadataProvider, filter, container, database);
        return;
    }
    tables->SchemaFieldName = QStringLiteral("TABLE_SCHEMA");
    tables->ObjectNameFieldName = QStringLiteral("TABLE_NAME");
    tables->TypeFieldName = QStringLiteral("TABLE_TYPE");
    tables->TableUserTypeValue = QVariantList{QStringLiteral("TABLE"), QStringLiteral("BASE TABLE")};
    tables->TableSystemTypeValue = QStringLiteral("SYSTEM TABLE");
    tables->LoadMetadata(filter, container, database);
    tables.reset();

    if (!IsTableExists(QStringLiteral("information_schema.views"), metadataProvider))
        return;
    TOwned<TnvMetadataObjectFetcherFromQuery> views = Create<TnvMetadataObjectFetcherFromQuery>(this, metadataProvider);
    views->SQL = QStringLiteral("select cast(table_schema as char(255)) as TABLE_SCHEMA, cast(table_name as "
                                "char(255)) as TABLE_NAME from ") +
                 prefix + QStringLiteral("information_schema.views") + catalogFilter;
    views->SchemaFieldName = QStringLiteral("TABLE_SCHEMA");
    views->ObjectNameFieldName = QStringLiteral("TABLE_NAME");
    views->SetDefaultObjectClass(TnvMetadataView::StaticClassType());
    views->LoadMetadata(filter, container, database);
}

void TnvSQL92SyntaxProvider::LoadMetadataRelations(TnvBaseMetadataProvider *metadataProvider,
                                                   TnvMetadataFilter *filter, TnvMetadataContainer *container,
                                                   const TSQLQualifiedName *database)
{
    if (!CanUseInformationSchema(metadataProvider) ||
        !IsTableExists(QStringLiteral("information_schema.referential_constraints"), metadataProvider) ||
        !IsTableExists(QStringLiteral("information_schema.key_column_usage"), metadataProvider)) {
        TnvBaseSyntaxProvider::LoadMetadataRelations(metadataProvider, filter, container, database);
        return;
    }
    QString prefix, unused;
    DatabasePrefix(metadataProvider, database, prefix, unused);

    TOwned<TnvMetadataRelationsFetcherFromQuery> fetcher =
        Create<TnvMetadataRelationsFetcherFromQuery>(this, metadataProvider);
    // Fastest first: a server that refuses derived tables gets the views
    // joined directly, one whose views lack POSITION_IN_UNIQUE_CONSTRAINT
    // gets the keys paired by position in both keys.
    struct Form {
        bool ByUniquePosition, DerivedTables;
    };
    bool created = false;
    for (Form form : {Form{true, true}, Form{false, true}, Form{true, false}, Form{false, false}}) {
        fetcher->SQL = InformationSchemaRelationsSQL(prefix, form.ByUniquePosition, form.DerivedTables);
        try {
            fetcher->CreateDataset();
            created = true;
            break;
        } catch (...) {
            // The next form.
        }
    }
    if (!created) {
        fetcher.reset();
        TnvBaseSyntaxProvider::LoadMetadataRelations(metadataProvider, filter, container, database);
        return;
    }
    fetcher->PrimaryDatabaseFieldName = QStringLiteral("PK_TABLE_DATABASE");
    fetcher->PrimarySchemaFieldName = QStringLiteral("PK_SCHEMA_NAME");
    fetcher->PrimaryObjectNameFieldName = QStringLiteral("PK_TABLE_NAME");
    fetcher->KeyColumnFieldName = QStringLiteral("PK_FIELD_NAME");
    fetcher->ChildDatabaseFieldName = QStringLiteral("FK_TABLE_DATABASE");
    fetcher->ChildSchemaFieldName = QStringLiteral("FK_SCHEMA_NAME");
    fetcher->ChildObjectNameFieldName = QStringLiteral("FK_TABLE_NAME");
    fetcher->ChildColumnFieldName = QStringLiteral("FK_FIELD_NAME");
    fetcher->OrdinalFieldName = QStringLiteral("Ordinal");
    fetcher->LoadMetadata(filter, container, database);
}

} // namespace nvqb
