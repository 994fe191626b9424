#pragma once
// Fetchers turn one source of rows (a dataset, the result of a SQL query,
// string lists) into database names, metadata objects or relations of a
// metadata container. Each base class fixes the order of the steps and does
// what must be the same for every source: default database and schemas,
// system flags, object creation, filtering, synonyms, offline field loading,
// duplicate relations. Subclasses answer only the per-row questions, so a
// provider that reads its catalogue in some new way overrides a few steps and
// keeps the behaviour every other provider has.
//
// A fetcher is made for one load: set its columns or SQL, run it once, free it.
// The providers and the container it is given are not owned.
#include "classlib/Dataset.h"
#include "classlib/StringList.h"
#include "sqlmodel/metadata/MetadataBase.h"

#include <QVariant>

namespace nvqb {

class TastTokenIdentifier;
class TnvBaseMetadataProvider;
class TnvBaseSyntaxProvider;
class TnvMetadataContainer;
class TnvMetadataFilter;
class TnvMetadataObject;
class TnvMetadataRelation;
class TSQLIdentifiersCollection;
class TSQLQualifiedName;
class TSQLQualifiedNamesList;

// The four texts a metadata query may hold where the filter's condition for
// tables, views, procedures and synonyms belongs.
inline constexpr char16_t nvQBTablesFilterPlaceholder[] = u"{D2A96EA6-30C3-45CB-9C88-C71927284386}";
inline constexpr char16_t nvQBViewsFilterPlaceholder[] = u"{ECDC625C-F3BD-4A65-AC25-828D3C06DAD0}";
inline constexpr char16_t nvQBProceduresFilterPlaceholder[] = u"{C9B6D410-A51F-4FD8-9A70-F947D847697A}";
inline constexpr char16_t nvQBSynonymsFilterPlaceholder[] = u"{9A785FEF-8428-4D8A-8059-21AA7B87C31E}";

// The query text with each placeholder replaced by the filter's condition
// for its kind over the two columns, or by "(0=0)" when there is no filter
// or the filter does not narrow that kind.
QString ReplaceMetadataFilterPlaceholders(const QString &sql, const TnvMetadataFilter *filter,
                                          const QString &schemaColumn, const QString &objectColumn);

// ---------------------------------------------------------------------------
// Objects

class TnvBaseMetadataObjectsFetcher : public TObject {
    NV_DECLARE_CLASS(TnvBaseMetadataObjectsFetcher)
public:
    TnvBaseMetadataObjectsFetcher(TnvBaseSyntaxProvider *syntaxProvider, TnvBaseMetadataProvider *metadataProvider);
    ~TnvBaseMetadataObjectsFetcher() override;

    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    TnvBaseMetadataProvider *MetadataProvider() const { return FMetadataProvider; }
    // The filter and container of the load under way (nil outside it).
    TnvMetadataFilter *Filter() const { return FFilter; }
    TnvMetadataContainer *Container() const { return FContainer; }

    // The class of a row that names no kind; nil skips such rows.
    TnvMetadataClass DefaultObjectClass() const { return FDefaultObjectClass; }
    void SetDefaultObjectClass(TnvMetadataClass value) { FDefaultObjectClass = value; }
    // Every name read from a row is trimmed of surrounding blanks.
    bool TrimNames() const { return FTrimNames; }
    void SetTrimNames(bool value) { FTrimNames = value; }
    // Objects in these schemas are system objects whatever their rows say.
    TSQLIdentifiersCollection *SystemSchemaNames() const { return FSystemSchemaNames.get(); }
    void SetSystemSchemaNames(const TSQLIdentifiersCollection *names);

    QString TrimName(const QString &text) const { return FTrimNames ? text.trimmed() : text; }

    // Adds the objects of the source to the container. An empty Database
    // means the container's default database (asked of the syntax provider
    // when the container knows none yet).
    void LoadMetadata(TnvMetadataFilter *filter, TnvMetadataContainer *container, const TSQLQualifiedName *database);

protected:
    virtual void InitIterations() {}
    virtual void FirstIteration() {}
    // True: no more rows. The base has none.
    virtual bool EndOfIterations() { return true; }
    // The class of the row's object; nil skips the row.
    virtual TnvMetadataClass CalcMetadataObjectClass() { return FDefaultObjectClass; }
    virtual bool CalcSystemFlag() { return false; }
    // The row's schema and name; both come in empty, flagged with the
    // dialect's case sensitivity.
    virtual void CalcObjectName(TastTokenIdentifier *schema, TastTokenIdentifier *name);
    // The object a synonym row refers to.
    virtual void CalcReferencedObjectName(TSQLQualifiedName *refDatabase, TastTokenIdentifier *refSchema,
                                          TastTokenIdentifier *refName);
    virtual void NextIteration() {}
    virtual void EndIterations() {}

private:
    bool IsSystemSchema(const TastTokenIdentifier *schema) const;
    void LoadRows(const TSQLQualifiedName *database);

    TnvBaseSyntaxProvider *FSyntaxProvider;
    TnvBaseMetadataProvider *FMetadataProvider;
    TnvMetadataFilter *FFilter = nullptr;
    TnvMetadataContainer *FContainer = nullptr;
    TnvMetadataClass FDefaultObjectClass = nullptr;
    bool FTrimNames = false;
    TOwned<TSQLIdentifiersCollection> FSystemSchemaNames;
};

// Kinds and system flags read from values of the row: each kind has a user
// and a system type value (each may be a list of alternatives), and a row
// may carry a system or a user marker instead.
class TnvBaseMetadataObjectsFetcherVariants : public TnvBaseMetadataObjectsFetcher {
    NV_DECLARE_CLASS(TnvBaseMetadataObjectsFetcherVariants)
public:
    using TnvBaseMetadataObjectsFetcher::TnvBaseMetadataObjectsFetcher;

    QVariant TableUserTypeValue, TableSystemTypeValue;
    QVariant ViewUserTypeValue, ViewSystemTypeValue;
    QVariant ProcedureUserTypeValue, ProcedureSystemTypeValue;
    QVariant SynonymUserTypeValue, SynonymSystemTypeValue;
    QVariant SystemMarker;
    QVariant UserMarker;

protected:
    TnvMetadataClass CalcMetadataObjectClass() override;
    bool CalcSystemFlag() override;
    // The row's type, system and user values; empty (invalid) when absent.
    virtual QVariant GetType() { return QVariant(); }
    virtual QVariant GetSystem() { return QVariant(); }
    virtual QVariant GetUser() { return QVariant(); }
};

class TnvMetadataObjectFetcherFromDataset : public TnvBaseMetadataObjectsFetcherVariants {
    NV_DECLARE_CLASS(TnvMetadataObjectFetcherFromDataset)
public:
    using TnvBaseMetadataObjectsFetcherVariants::TnvBaseMetadataObjectsFetcherVariants;

    // Column names; empty means the source has no such column.
    QString SchemaFieldName;
    QString ObjectNameFieldName;
    QString TypeFieldName;
    QString SystemFieldName;
    QString UserFieldName;
    QString RefDatabaseFieldName;
    QString RefSchemaFieldName;
    QString RefNameFieldName;

    // Not owned (the query fetcher owns the one it opens).
    TDataSet *Dataset() const { return FDataset; }
    void SetDataset(TDataSet *value) { FDataset = value; }

protected:
    void InitIterations() override;
    void FirstIteration() override;
    bool EndOfIterations() override;
    void NextIteration() override;
    void CalcObjectName(TastTokenIdentifier *schema, TastTokenIdentifier *name) override;
    void CalcReferencedObjectName(TSQLQualifiedName *refDatabase, TastTokenIdentifier *refSchema,
                                  TastTokenIdentifier *refName) override;
    QVariant GetType() override;
    QVariant GetSystem() override;
    QVariant GetUser() override;

    TDataSet *FDataset = nullptr;

private:
    TField *FSchemaField = nullptr;
    TField *FNameField = nullptr;
    TField *FTypeField = nullptr;
    TField *FSystemField = nullptr;
    TField *FUserField = nullptr;
    TField *FRefDatabaseField = nullptr;
    TField *FRefSchemaField = nullptr;
    TField *FRefNameField = nullptr;
};

class TnvMetadataObjectFetcherFromQuery : public TnvMetadataObjectFetcherFromDataset {
    NV_DECLARE_CLASS(TnvMetadataObjectFetcherFromQuery)
public:
    using TnvMetadataObjectFetcherFromDataset::TnvMetadataObjectFetcherFromDataset;
    ~TnvMetadataObjectFetcherFromQuery() override;

    // May hold the four filter placeholders.
    QString SQL;

    // Runs the query (placeholders replaced by the current filter's
    // conditions) and keeps its open dataset.
    void CreateDataset();
    bool IsDatasetCreated() const;
    void DestroyDataset();
    // The text the query runs with, placeholders replaced.
    QString PreparedSQL() const;

protected:
    void InitIterations() override;
    void EndIterations() override;

private:
    TOwned<TDataSet> FOwnedDataset;
};

// Object names from string lists ("schema.name" or "name"): the user
// objects, then the system objects not listed already.
class TnvMetadataObjectsFetcherFromStringLists : public TnvBaseMetadataObjectsFetcher {
    NV_DECLARE_CLASS(TnvMetadataObjectsFetcherFromStringLists)
public:
    TnvMetadataObjectsFetcherFromStringLists(TnvBaseSyntaxProvider *syntaxProvider,
                                             TnvBaseMetadataProvider *metadataProvider);
    ~TnvMetadataObjectsFetcherFromStringLists() override;

    TWideStringList *UserObjects() const { return FUserObjects.get(); }
    TWideStringList *SystemObjects() const { return FSystemObjects.get(); }
    TWideStringList *AllObjects() const { return FAllObjects.get(); }

protected:
    void InitIterations() override;
    void FirstIteration() override { FIndex = 0; }
    bool EndOfIterations() override { return FIndex >= FAllObjects->Count(); }
    void NextIteration() override { ++FIndex; }
    bool CalcSystemFlag() override;
    void CalcObjectName(TastTokenIdentifier *schema, TastTokenIdentifier *name) override;

private:
    TOwned<TWideStringList> FUserObjects;
    TOwned<TWideStringList> FSystemObjects;
    TOwned<TWideStringList> FAllObjects;
    qsizetype FIndex = 0;
};

// ---------------------------------------------------------------------------
// Relations

class TnvBaseMetadataRelationsFetcher : public TObject {
    NV_DECLARE_CLASS(TnvBaseMetadataRelationsFetcher)
public:
    TnvBaseMetadataRelationsFetcher(TnvBaseSyntaxProvider *syntaxProvider, TnvBaseMetadataProvider *metadataProvider);
    ~TnvBaseMetadataRelationsFetcher() override;

    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    TnvBaseMetadataProvider *MetadataProvider() const { return FMetadataProvider; }
    TnvMetadataFilter *Filter() const { return FFilter; }
    TnvMetadataContainer *Container() const { return FContainer; }
    bool TrimNames() const { return FTrimNames; }
    void SetTrimNames(bool value) { FTrimNames = value; }
    QString TrimName(const QString &text) const { return FTrimNames ? text.trimmed() : text; }

    // Adds the relations of the source to the objects of the container that
    // they start from. A relation equal to one the object has already
    // replaces it. The filter is not applied to relations.
    void LoadMetadata(TnvMetadataFilter *filter, TnvMetadataContainer *container, const TSQLQualifiedName *database);

protected:
    virtual void InitIterations() {}
    virtual void FirstIteration() {}
    virtual void CalcPrimaryObjectName(TSQLQualifiedName *database, TastTokenIdentifier *schema,
                                       TastTokenIdentifier *name);
    virtual void CalcChildObjectName(TSQLQualifiedName *database, TastTokenIdentifier *schema,
                                     TastTokenIdentifier *name);
    virtual void BeginRelation(TnvMetadataObject *object, TnvMetadataRelation *relation) {}
    virtual void BeginCalcFields() {}
    virtual void CalcRelationFieldNames(TastTokenIdentifier *keyField, TastTokenIdentifier *childField);
    virtual bool IsEndOfRelation() { return true; }
    virtual void NextRelationFields() {}
    virtual void EndCalcFields() {}
    virtual void EndRelation(TnvMetadataObject *object, TnvMetadataRelation *relation) {}
    // Passes over the rows of a relation that is not loaded (no primary
    // object, no child name). It must move past at least the current row,
    // or a source whose rows are all skipped would never end.
    virtual void SkipRelation();
    virtual void NextRelation() {}
    virtual bool IsEndOfIterations() { return true; }
    virtual void EndIterations() {}

private:
    void LoadRows(const TSQLQualifiedName *database);

    TnvBaseSyntaxProvider *FSyntaxProvider;
    TnvBaseMetadataProvider *FMetadataProvider;
    TnvMetadataFilter *FFilter = nullptr;
    TnvMetadataContainer *FContainer = nullptr;
    bool FTrimNames = false;
};

// Rows of one relation follow each other with rising ordinals, or share one
// relation number; the row that ends one relation begins the next.
class TnvMetadataRelationsFetcherFromDataset : public TnvBaseMetadataRelationsFetcher {
    NV_DECLARE_CLASS(TnvMetadataRelationsFetcherFromDataset)
public:
    using TnvBaseMetadataRelationsFetcher::TnvBaseMetadataRelationsFetcher;

    // The primary and child names and the two column names are required;
    // the others may be empty (absent).
    QString PrimaryDatabaseFieldName;
    QString PrimarySchemaFieldName;
    QString PrimaryObjectNameFieldName;
    QString ChildDatabaseFieldName;
    QString ChildSchemaFieldName;
    QString ChildObjectNameFieldName;
    QString KeyColumnFieldName;
    QString ChildColumnFieldName;
    QString OrdinalFieldName;
    QString RelationNumberFieldName;

    TDataSet *Dataset() const { return FDataset; }
    void SetDataset(TDataSet *value) { FDataset = value; }

protected:
    void InitIterations() override;
    void FirstIteration() override;
    void CalcPrimaryObjectName(TSQLQualifiedName *database, TastTokenIdentifier *schema,
                               TastTokenIdentifier *name) override;
    void CalcChildObjectName(TSQLQualifiedName *database, TastTokenIdentifier *schema,
                             TastTokenIdentifier *name) override;
    void BeginRelation(TnvMetadataObject *object, TnvMetadataRelation *relation) override;
    void CalcRelationFieldNames(TastTokenIdentifier *keyField, TastTokenIdentifier *childField) override;
    bool IsEndOfRelation() override;
    void NextRelationFields() override;
    void SkipRelation() override;
    bool IsEndOfIterations() override;

    TDataSet *FDataset = nullptr;

private:
    bool AtEnd() const;
    void StartRelation();

    TField *FPrimaryDatabaseField = nullptr;
    TField *FPrimarySchemaField = nullptr;
    TField *FPrimaryNameField = nullptr;
    TField *FChildDatabaseField = nullptr;
    TField *FChildSchemaField = nullptr;
    TField *FChildNameField = nullptr;
    TField *FKeyColumnField = nullptr;
    TField *FChildColumnField = nullptr;
    TField *FOrdinalField = nullptr;
    TField *FRelationNumberField = nullptr;
    qint32 FLastOrdinal = 0;
    QVariant FRelationNumber;
};

class TnvMetadataRelationsFetcherFromQuery : public TnvMetadataRelationsFetcherFromDataset {
    NV_DECLARE_CLASS(TnvMetadataRelationsFetcherFromQuery)
public:
    using TnvMetadataRelationsFetcherFromDataset::TnvMetadataRelationsFetcherFromDataset;
    ~TnvMetadataRelationsFetcherFromQuery() override;

    QString SQL;

    void CreateDataset();
    bool IsDatasetCreated() const;
    void DestroyDataset();

protected:
    void InitIterations() override;
    void EndIterations() override;

private:
    TOwned<TDataSet> FOwnedDataset;
};

// ---------------------------------------------------------------------------
// Databases

class TnvBaseMetadataDatabasesFetcher : public TObject {
    NV_DECLARE_CLASS(TnvBaseMetadataDatabasesFetcher)
public:
    TnvBaseMetadataDatabasesFetcher(TnvBaseSyntaxProvider *syntaxProvider, TnvBaseMetadataProvider *metadataProvider);

    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    TnvBaseMetadataProvider *MetadataProvider() const { return FMetadataProvider; }
    bool TrimNames() const { return FTrimNames; }
    void SetTrimNames(bool value) { FTrimNames = value; }
    QString TrimName(const QString &text) const { return FTrimNames ? text.trimmed() : text; }

    // Appends one name per row with a name; keeps what the list held.
    void LoadDatabases(TSQLQualifiedNamesList *list);

protected:
    virtual void InitIterations() {}
    virtual void FirstIteration() {}
    virtual bool EndOfIterations() { return true; }
    virtual void CalcDatabaseName(TSQLQualifiedName *name);
    virtual void NextIteration() {}
    virtual void EndIterations() {}

private:
    TnvBaseSyntaxProvider *FSyntaxProvider;
    TnvBaseMetadataProvider *FMetadataProvider;
    bool FTrimNames = false;
};

class TnvMetadataDatabasesFetcherFromDataset : public TnvBaseMetadataDatabasesFetcher {
    NV_DECLARE_CLASS(TnvMetadataDatabasesFetcherFromDataset)
public:
    using TnvBaseMetadataDatabasesFetcher::TnvBaseMetadataDatabasesFetcher;

    QString DatabaseNameFieldName;
    TDataSet *Dataset() const { return FDataset; }
    void SetDataset(TDataSet *value) { FDataset = value; }

protected:
    void InitIterations() override;
    void FirstIteration() override;
    bool EndOfIterations() override;
    void CalcDatabaseName(TSQLQualifiedName *name) override;
    void NextIteration() override;

    TDataSet *FDataset = nullptr;

private:
    TField *FNameField = nullptr;
};

class TnvMetadataDatabasesFetcherFromQuery : public TnvMetadataDatabasesFetcherFromDataset {
    NV_DECLARE_CLASS(TnvMetadataDatabasesFetcherFromQuery)
public:
    using TnvMetadataDatabasesFetcherFromDataset::TnvMetadataDatabasesFetcherFromDataset;
    ~TnvMetadataDatabasesFetcherFromQuery() override;

    QString SQL;

    void CreateDataset();
    bool IsDatasetCreated() const;
    void DestroyDataset();

protected:
    void InitIterations() override;
    void EndIterations() override;

private:
    TOwned<TDataSet> FOwnedDataset;
};

class TnvMetadataDatabasesFetcherFromStringList : public TnvBaseMetadataDatabasesFetcher {
    NV_DECLARE_CLASS(TnvMetadataDatabasesFetcherFromStringList)
public:
    TnvMetadataDatabasesFetcherFromStringList(TnvBaseSyntaxProvider *syntaxProvider,
                                              TnvBaseMetadataProvider *metadataProvider);
    ~TnvMetadataDatabasesFetcherFromStringList() override;

    TWideStringList *Names() const { return FNames.get(); }

protected:
    void FirstIteration() override { FIndex = 0; }
    bool EndOfIterations() override { return FIndex >= FNames->Count(); }
    void CalcDatabaseName(TSQLQualifiedName *name) override;
    void NextIteration() override { ++FIndex; }

private:
    TOwned<TWideStringList> FNames;
    qsizetype FIndex = 0;
};

} // namespace nvqb
