#include "sqlmodel/providers/MetadataFetchers.h"
#include "classlib/Assert.h"
#include "classlib/Format.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/text/UpdatablePersistent.h"
#include "support/Helpers.h"

#include <limits>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvBaseMetadataObjectsFetcher, TObject)
NV_IMPLEMENT_CLASS(TnvBaseMetadataObjectsFetcherVariants, TnvBaseMetadataObjectsFetcher)
NV_IMPLEMENT_CLASS(TnvMetadataObjectFetcherFromDataset, TnvBaseMetadataObjectsFetcherVariants)
NV_IMPLEMENT_CLASS(TnvMetadataObjectFetcherFromQuery, TnvMetadataObjectFetcherFromDataset)
NV_IMPLEMENT_CLASS(TnvMetadataObjectsFetcherFromStringLists, TnvBaseMetadataObjectsFetcher)
NV_IMPLEMENT_CLASS(TnvBaseMetadataRelationsFetcher, TObject)
NV_IMPLEMENT_CLASS(TnvMetadataRelationsFetcherFromDataset, TnvBaseMetadataRelationsFetcher)
NV_IMPLEMENT_CLASS(TnvMetadataRelationsFetcherFromQuery, TnvMetadataRelationsFetcherFromDataset)
NV_IMPLEMENT_CLASS(TnvBaseMetadataDatabasesFetcher, TObject)
NV_IMPLEMENT_CLASS(TnvMetadataDatabasesFetcherFromDataset, TnvBaseMetadataDatabasesFetcher)
NV_IMPLEMENT_CLASS(TnvMetadataDatabasesFetcherFromQuery, TnvMetadataDatabasesFetcherFromDataset)
NV_IMPLEMENT_CLASS(TnvMetadataDatabasesFetcherFromStringList, TnvBaseMetadataDatabasesFetcher)

namespace {

// A field's value as text: wide fields as wide text, the others as their
// 8-bit (UTF-8) text.
QString FieldText(const TField *field)
{
    if (!field || field->IsNull())
        return QString();
    if (field->DataType() == ftWideString)
        return field->AsWideString();
    return QString::fromUtf8(field->AsString());
}

// A row value as the variant matchers compare it: null is empty, and text is
// trimmed, since catalogue queries that cast to fixed-width character types
// come back padded ("BASE TABLE" followed by blanks).
QVariant FieldVariant(const TField *field)
{
    if (!field || field->IsNull())
        return QVariant();
    QVariant value = field->AsVariant();
    if (value.typeId() == QMetaType::QString)
        return QVariant(value.toString().trimmed());
    if (value.typeId() == QMetaType::QByteArray)
        return QVariant(QString::fromUtf8(value.toByteArray()).trimmed());
    return value;
}

bool IsEmptyVariant(const QVariant &value) { return !value.isValid() || value.isNull(); }

bool Like(const QVariant &value, const QVariant &pattern)
{
    return !IsEmptyVariant(pattern) && IsValueLikeVariant(value, pattern);
}

TField *FindOptionalField(TDataSet *dataset, const QString &name)
{
    return name.isEmpty() ? nullptr : dataset->FindField(name);
}

// The class library's dataset error for a required column; an unnamed
// column is as missing as one the dataset lacks.
TField *FindRequiredField(TDataSet *dataset, const QString &name)
{
    if (name.isEmpty())
        throw EDatabaseError(QStringLiteral("Field '' not found"));
    return dataset->FieldByName(name);
}

bool DatasetAtEnd(const TDataSet *dataset) { return !dataset || !dataset->Active() || dataset->Eof(); }

void SetIdentifier(TastTokenIdentifier *identifier, const QString &text, bool caseSensitive)
{
    identifier->SetText(text);
    identifier->SetCaseSensitive(caseSensitive);
}

// Copies one part of a parsed name into an identifier, keeping its flag.
void TakePart(TastTokenIdentifier *dest, const TSQLQualifiedName *name, qsizetype part)
{
    if (part >= name->GetCount())
        return;
    const TastToken *token = name->GetItems(part);
    const auto *identifier = As<TastTokenIdentifier>(token);
    SetIdentifier(dest, token->Text(), identifier ? identifier->CaseSensitive() : false);
}

TOwned<TDataSet> OpenQuery(TnvBaseMetadataProvider *provider, const QString &sql)
{
    if (!provider || !provider->GetCanExecSQL())
        throw Exception(LoadResString(nvQBMetadataProviderCantExecSQL));
    return provider->ExecSQL(sql, true);
}

// Runs the end step of a fetcher's loop also when the loop fails; a failure
// of the end step then gives way to the one already on its way.
template <class F> class TEndGuard {
public:
    explicit TEndGuard(F end) : FEnd(std::move(end)), FExceptions(std::uncaught_exceptions()) {}
    ~TEndGuard() noexcept(false)
    {
        if (std::uncaught_exceptions() == FExceptions) {
            FEnd();
            return;
        }
        try {
            FEnd();
        } catch (...) {
        }
    }
    TEndGuard(const TEndGuard &) = delete;
    TEndGuard &operator=(const TEndGuard &) = delete;

private:
    F FEnd;
    int FExceptions;
};

} // namespace

QString ReplaceMetadataFilterPlaceholders(const QString &sql, const TnvMetadataFilter *filter,
                                          const QString &schemaColumn, const QString &objectColumn)
{
    struct Placeholder {
        const char16_t *Text;
        TnvMetadataFilterApplyFor Kind;
    };
    static constexpr Placeholder placeholders[] = {
        {nvQBTablesFilterPlaceholder, mfTables},
        {nvQBViewsFilterPlaceholder, mfViews},
        {nvQBProceduresFilterPlaceholder, mfProcedures},
        {nvQBSynonymsFilterPlaceholder, mfSynonyms},
    };
    QString text = sql;
    for (const Placeholder &placeholder : placeholders) {
        const QString key = QString::fromUtf16(placeholder.Text);
        if (!text.contains(key))
            continue;
        QString condition;
        if (filter)
            condition = filter->CreatePrefilterCondition(schemaColumn, objectColumn, placeholder.Kind,
                                                         QStringLiteral("%"), QStringLiteral("_"));
        if (condition.isEmpty())
            condition = QStringLiteral("(0=0)");
        text.replace(key, condition);
    }
    return text;
}

// ---------------------------------------------------------------------------
// TnvBaseMetadataObjectsFetcher

TnvBaseMetadataObjectsFetcher::TnvBaseMetadataObjectsFetcher(TnvBaseSyntaxProvider *syntaxProvider,
                                                             TnvBaseMetadataProvider *metadataProvider)
    : FSyntaxProvider(syntaxProvider),
      FMetadataProvider(metadataProvider),
      FSystemSchemaNames(Create<TSQLIdentifiersCollection>(syntaxProvider))
{
}

TnvBaseMetadataObjectsFetcher::~TnvBaseMetadataObjectsFetcher() = default;

void TnvBaseMetadataObjectsFetcher::SetSystemSchemaNames(const TSQLIdentifiersCollection *names)
{
    if (names == FSystemSchemaNames.get())
        return;
    if (names)
        FSystemSchemaNames->Assign(names);
    else
        FSystemSchemaNames->Clear();
    FSystemSchemaNames->SetSyntaxProvider(FSyntaxProvider);
}

void TnvBaseMetadataObjectsFetcher::CalcObjectName(TastTokenIdentifier *schema, TastTokenIdentifier *name)
{
    schema->Clear();
    name->Clear();
}

void TnvBaseMetadataObjectsFetcher::CalcReferencedObjectName(TSQLQualifiedName *refDatabase,
                                                             TastTokenIdentifier *refSchema,
                                                             TastTokenIdentifier *refName)
{
    refDatabase->Clear();
    refSchema->Clear();
    refName->Clear();
}

bool TnvBaseMetadataObjectsFetcher::IsSystemSchema(const TastTokenIdentifier *schema) const
{
    return FSyntaxProvider->IsSupportSchemas() && !schema->IsEmpty() && FSystemSchemaNames->GetCount() > 0 &&
           FSystemSchemaNames->ContainsSameId(schema);
}

void TnvBaseMetadataObjectsFetcher::LoadMetadata(TnvMetadataFilter *filter, TnvMetadataContainer *container,
                                                 const TSQLQualifiedName *database)
{
    Assert(container != nullptr, "nvQBBase", "LoadMetadata without a container");
    FFilter = filter;
    FContainer = container;
    TnvUpdateScope scope(container);

    const TSQLQualifiedName *db = database;
    if (FSyntaxProvider->IsSupportDatabases() && IsQualifiedNameEmpty(database)) {
        if (IsQualifiedNameEmpty(container->DefaultDatabaseName())) {
            TOwned<TSQLQualifiedName> defaultName = FSyntaxProvider->GetDefaultDatabaseName(FMetadataProvider);
            container->SetDefaultDatabaseName(defaultName.get());
        }
        db = container->DefaultDatabaseName();
    }
    if (FSyntaxProvider->IsSupportSchemas() && container->DefaultSchemaNames()->GetCount() == 0) {
        TOwned<TSQLIdentifiersCollection> names = Create<TSQLIdentifiersCollection>(FSyntaxProvider);
        FSyntaxProvider->GetDefaultSchemaNames(FMetadataProvider, names.get());
        container->SetDefaultSchemaNames(names.get());
    }

    LoadRows(db);
}

void TnvBaseMetadataObjectsFetcher::LoadRows(const TSQLQualifiedName *database)
{
    TEndGuard end([this] { EndIterations(); });
    InitIterations();
    FirstIteration();

    const bool caseSensitive = FSyntaxProvider->IsIdentifiersCaseSensitive();
    TOwned<TastTokenIdentifier> schema = Create<TastTokenIdentifier>(FSyntaxProvider);
    TOwned<TastTokenIdentifier> name = Create<TastTokenIdentifier>(FSyntaxProvider);
    const QString emptySchemaName = FSyntaxProvider->GetEmptySchemaName();
    TOwned<TastTokenIdentifier> emptySchema;
    if (!emptySchemaName.isEmpty())
        emptySchema = Create<TastTokenIdentifier>(FSyntaxProvider, emptySchemaName, false);
    auto isEmptySchema = [&](const TastTokenIdentifier *identifier) {
        return emptySchema && FSyntaxProvider->IsIdentifiersEqual(identifier, emptySchema.get());
    };

    for (; !EndOfIterations(); NextIteration()) {
        const TnvMetadataClass objectClass = CalcMetadataObjectClass();
        if (!objectClass)
            continue;
        bool system = CalcSystemFlag();
        schema->Clear();
        name->Clear();
        schema->SetCaseSensitive(caseSensitive);
        name->SetCaseSensitive(caseSensitive);
        CalcObjectName(schema.get(), name.get());
        if (!system && IsSystemSchema(schema.get()))
            system = true;
        if (name->IsEmpty())
            continue;

        TOwned<TnvMetadataObject> object(
            static_cast<TnvMetadataObject *>(TnvMetadataBase::CreateOf(objectClass, FContainer).release()));
        object->SetSyntaxProvider(FSyntaxProvider);
        object->SetDatabase(database);
        if (isEmptySchema(schema.get()))
            schema->Clear();
        object->SetSchema(schema.get());
        object->SetName(name.get());
        object->SetSystem(system);
        if (FFilter && !FFilter->FilterMetadataObject(object.get()))
            continue;

        TnvMetadataObject *added = object.get();
        FContainer->Add(std::move(object));

        if (auto *synonym = As<TnvMetadataSynonym>(added)) {
            TOwned<TSQLQualifiedName> refDatabase = Create<TSQLQualifiedName>(FSyntaxProvider);
            TOwned<TastTokenIdentifier> refSchema = Create<TastTokenIdentifier>(FSyntaxProvider);
            TOwned<TastTokenIdentifier> refName = Create<TastTokenIdentifier>(FSyntaxProvider);
            CalcReferencedObjectName(refDatabase.get(), refSchema.get(), refName.get());
            if (isEmptySchema(refSchema.get()))
                refSchema->Clear();
            synonym->SetReferencedDatabase(refDatabase.get());
            synonym->SetReferencedSchema(refSchema.get());
            synonym->SetReferencedName(refName.get());
            synonym->UpdateReferencedFullName();
            if (!synonym->System() && synonym->ReferencedSchema() && IsSystemSchema(synonym->ReferencedSchema()))
                synonym->SetSystem(true);
        }

        if (FContainer->WorkOffline()) {
            try {
                added->LoadFields();
            } catch (...) {
                // The fields are asked for again when the object is used.
            }
        }
        try {
            added->SetVisible(FContainer->IsMetadataObjectVisible(added));
        } catch (...) {
            // A host's visibility handler that fails leaves the object as it was.
        }
    }
}

// ---------------------------------------------------------------------------
// TnvBaseMetadataObjectsFetcherVariants

TnvMetadataClass TnvBaseMetadataObjectsFetcherVariants::CalcMetadataObjectClass()
{
    const QVariant type = GetType();
    if (IsEmptyVariant(type))
        return TnvBaseMetadataObjectsFetcher::CalcMetadataObjectClass();
    if (Like(type, TableUserTypeValue) || Like(type, TableSystemTypeValue))
        return TnvMetadataTable::StaticClassType();
    if (Like(type, ViewUserTypeValue) || Like(type, ViewSystemTypeValue))
        return TnvMetadataView::StaticClassType();
    if (Like(type, ProcedureUserTypeValue) || Like(type, ProcedureSystemTypeValue))
        return TnvMetadataProcedure::StaticClassType();
    if (Like(type, SynonymUserTypeValue) || Like(type, SynonymSystemTypeValue))
        return TnvMetadataSynonym::StaticClassType();
    return TnvBaseMetadataObjectsFetcher::CalcMetadataObjectClass();
}

bool TnvBaseMetadataObjectsFetcherVariants::CalcSystemFlag()
{
    const QVariant user = GetUser();
    if (!IsEmptyVariant(user))
        return !Like(user, UserMarker);
    const QVariant system = GetSystem();
    if (!IsEmptyVariant(system))
        return Like(system, SystemMarker);
    const QVariant type = GetType();
    if (IsEmptyVariant(type))
        return TnvBaseMetadataObjectsFetcher::CalcSystemFlag();
    return Like(type, TableSystemTypeValue) || Like(type, ViewSystemTypeValue) ||
           Like(type, ProcedureSystemTypeValue) || Like(type, SynonymSystemTypeValue);
}

// ---------------------------------------------------------------------------
// TnvMetadataObjectFetcherFromDataset

void TnvMetadataObjectFetcherFromDataset::InitIterations()
{
    FSchemaField = FNameField = FTypeField = FSystemField = FUserField = nullptr;
    FRefDatabaseField = FRefSchemaField = FRefNameField = nullptr;
    if (!FDataset || !FDataset->Active())
        return;
    FSchemaField = FindOptionalField(FDataset, SchemaFieldName);
    FNameField = FindOptionalField(FDataset, ObjectNameFieldName);
    FTypeField = FindOptionalField(FDataset, TypeFieldName);
    FSystemField = FindOptionalField(FDataset, SystemFieldName);
    FUserField = FindOptionalField(FDataset, UserFieldName);
    FRefDatabaseField = FindOptionalField(FDataset, RefDatabaseFieldName);
    FRefSchemaField = FindOptionalField(FDataset, RefSchemaFieldName);
    FRefNameField = FindOptionalField(FDataset, RefNameFieldName);
}

void TnvMetadataObjectFetcherFromDataset::FirstIteration()
{
    if (FDataset && FDataset->Active())
        FDataset->First();
}

bool TnvMetadataObjectFetcherFromDataset::EndOfIterations()
{
    return !FDataset || FDataset->IsEmpty() || DatasetAtEnd(FDataset);
}

void TnvMetadataObjectFetcherFromDataset::NextIteration()
{
    if (FDataset && FDataset->Active())
        FDataset->Next();
}

void TnvMetadataObjectFetcherFromDataset::CalcObjectName(TastTokenIdentifier *schema, TastTokenIdentifier *name)
{
    const bool caseSensitive = SyntaxProvider()->IsIdentifiersCaseSensitive();
    if (FNameField)
        SetIdentifier(name, TrimName(FieldText(FNameField).trimmed()), caseSensitive);
    if (FSchemaField) {
        const QString text = TrimName(FieldText(FSchemaField).trimmed());
        if (!text.isEmpty())
            SetIdentifier(schema, text, caseSensitive);
    }
}

void TnvMetadataObjectFetcherFromDataset::CalcReferencedObjectName(TSQLQualifiedName *refDatabase,
                                                                   TastTokenIdentifier *refSchema,
                                                                   TastTokenIdentifier *refName)
{
    const bool caseSensitive = SyntaxProvider()->IsIdentifiersCaseSensitive();
    if (FRefNameField)
        SetIdentifier(refName, TrimName(FieldText(FRefNameField).trimmed()), caseSensitive);
    if (FRefSchemaField) {
        const QString text = TrimName(FieldText(FRefSchemaField).trimmed());
        if (!text.isEmpty())
            SetIdentifier(refSchema, text, caseSensitive);
    }
    if (FRefDatabaseField) {
        const QString text = TrimName(FieldText(FRefDatabaseField).trimmed());
        if (!text.isEmpty())
            refDatabase->AddName(text, caseSensitive);
    }
}

QVariant TnvMetadataObjectFetcherFromDataset::GetType()
{
    return FTypeField ? FieldVariant(FTypeField) : TnvBaseMetadataObjectsFetcherVariants::GetType();
}

QVariant TnvMetadataObjectFetcherFromDataset::GetSystem()
{
    return FSystemField ? FieldVariant(FSystemField) : TnvBaseMetadataObjectsFetcherVariants::GetSystem();
}

QVariant TnvMetadataObjectFetcherFromDataset::GetUser()
{
    return FUserField ? FieldVariant(FUserField) : TnvBaseMetadataObjectsFetcherVariants::GetUser();
}

// ---------------------------------------------------------------------------
// TnvMetadataObjectFetcherFromQuery

TnvMetadataObjectFetcherFromQuery::~TnvMetadataObjectFetcherFromQuery() { DestroyDataset(); }

QString TnvMetadataObjectFetcherFromQuery::PreparedSQL() const
{
    return ReplaceMetadataFilterPlaceholders(SQL, Filter(), SchemaFieldName, ObjectNameFieldName);
}

void TnvMetadataObjectFetcherFromQuery::CreateDataset()
{
    DestroyDataset();
    FOwnedDataset = OpenQuery(MetadataProvider(), PreparedSQL());
    FDataset = FOwnedDataset.get();
}

bool TnvMetadataObjectFetcherFromQuery::IsDatasetCreated() const
{
    return FOwnedDataset && FOwnedDataset->Active();
}

void TnvMetadataObjectFetcherFromQuery::DestroyDataset()
{
    FDataset = nullptr;
    FOwnedDataset.reset();
}

void TnvMetadataObjectFetcherFromQuery::InitIterations()
{
    if (!IsDatasetCreated())
        CreateDataset();
    TnvMetadataObjectFetcherFromDataset::InitIterations();
}

void TnvMetadataObjectFetcherFromQuery::EndIterations()
{
    TnvMetadataObjectFetcherFromDataset::EndIterations();
    DestroyDataset();
}

// ---------------------------------------------------------------------------
// TnvMetadataObjectsFetcherFromStringLists

TnvMetadataObjectsFetcherFromStringLists::TnvMetadataObjectsFetcherFromStringLists(
    TnvBaseSyntaxProvider *syntaxProvider, TnvBaseMetadataProvider *metadataProvider)
    : TnvBaseMetadataObjectsFetcher(syntaxProvider, metadataProvider),
      FUserObjects(Create<TWideStringList>()),
      FSystemObjects(Create<TWideStringList>()),
      FAllObjects(Create<TWideStringList>())
{
}

TnvMetadataObjectsFetcherFromStringLists::~TnvMetadataObjectsFetcherFromStringLists() = default;

void TnvMetadataObjectsFetcherFromStringLists::InitIterations()
{
    FAllObjects->Clear();
    for (const TWideStringList *list : {FUserObjects.get(), FSystemObjects.get()})
        for (qsizetype i = 0; i < list->Count(); ++i)
            if (FAllObjects->IndexOf(list->Strings(i)) < 0)
                FAllObjects->Add(list->Strings(i));
}

bool TnvMetadataObjectsFetcherFromStringLists::CalcSystemFlag()
{
    return FUserObjects->IndexOf(FAllObjects->Strings(FIndex)) < 0;
}

void TnvMetadataObjectsFetcherFromStringLists::CalcObjectName(TastTokenIdentifier *schema, TastTokenIdentifier *name)
{
    const QString entry = TrimName(FAllObjects->Strings(FIndex));
    TOwned<TSQLQualifiedName> parsed = SyntaxProvider()->ParseQualifiedNameQuoteIfNeed(entry);
    if (!parsed)
        throw Exception(nvQBMessage(nvQBBadObjectName));
    TakePart(name, parsed.get(), 0);
    TakePart(schema, parsed.get(), 1);
}

// ---------------------------------------------------------------------------
// TnvBaseMetadataRelationsFetcher

TnvBaseMetadataRelationsFetcher::TnvBaseMetadataRelationsFetcher(TnvBaseSyntaxProvider *syntaxProvider,
                                                                 TnvBaseMetadataProvider *metadataProvider)
    : FSyntaxProvider(syntaxProvider), FMetadataProvider(metadataProvider)
{
}

TnvBaseMetadataRelationsFetcher::~TnvBaseMetadataRelationsFetcher() = default;

void TnvBaseMetadataRelationsFetcher::CalcPrimaryObjectName(TSQLQualifiedName *database, TastTokenIdentifier *schema,
                                                            TastTokenIdentifier *name)
{
    database->Clear();
    schema->Clear();
    name->Clear();
}

void TnvBaseMetadataRelationsFetcher::CalcChildObjectName(TSQLQualifiedName *database, TastTokenIdentifier *schema,
                                                          TastTokenIdentifier *name)
{
    database->Clear();
    schema->Clear();
    name->Clear();
}

void TnvBaseMetadataRelationsFetcher::CalcRelationFieldNames(TastTokenIdentifier *keyField,
                                                             TastTokenIdentifier *childField)
{
    keyField->Clear();
    childField->Clear();
}

void TnvBaseMetadataRelationsFetcher::SkipRelation()
{
    while (!IsEndOfRelation())
        NextRelationFields();
}

void TnvBaseMetadataRelationsFetcher::LoadMetadata(TnvMetadataFilter *filter, TnvMetadataContainer *container,
                                                   const TSQLQualifiedName *database)
{
    Assert(container != nullptr, "nvQBBase", "LoadMetadata without a container");
    FFilter = filter;
    FContainer = container;
    TnvUpdateScope scope(container);
    // Rows that name no database belong to the database being loaded, which
    // is the container's default one when none is given, as for objects.
    const TSQLQualifiedName *db = database;
    if (IsQualifiedNameEmpty(db) && FSyntaxProvider->IsSupportDatabases())
        db = container->DefaultDatabaseName();
    LoadRows(db);
}

void TnvBaseMetadataRelationsFetcher::LoadRows(const TSQLQualifiedName *database)
{
    TEndGuard end([this] { EndIterations(); });
    const bool caseSensitive = FSyntaxProvider->IsIdentifiersCaseSensitive();
    TOwned<TSQLQualifiedName> primaryDatabase = Create<TSQLQualifiedName>(FSyntaxProvider);
    TOwned<TSQLQualifiedName> childDatabase = Create<TSQLQualifiedName>(FSyntaxProvider);
    TOwned<TastTokenIdentifier> primarySchema = Create<TastTokenIdentifier>(FSyntaxProvider);
    TOwned<TastTokenIdentifier> primaryName = Create<TastTokenIdentifier>(FSyntaxProvider);
    TOwned<TastTokenIdentifier> childSchema = Create<TastTokenIdentifier>(FSyntaxProvider);
    TOwned<TastTokenIdentifier> childName = Create<TastTokenIdentifier>(FSyntaxProvider);
    TOwned<TastTokenIdentifier> keyField = Create<TastTokenIdentifier>(FSyntaxProvider);
    TOwned<TastTokenIdentifier> childField = Create<TastTokenIdentifier>(FSyntaxProvider);

    InitIterations();
    FirstIteration();
    while (!IsEndOfIterations()) {
        primarySchema->Clear();
        primaryName->Clear();
        primarySchema->SetCaseSensitive(caseSensitive);
        primaryName->SetCaseSensitive(caseSensitive);
        primaryDatabase->Clear();
        childDatabase->Clear();
        CalcPrimaryObjectName(primaryDatabase.get(), primarySchema.get(), primaryName.get());
        if (primaryDatabase->GetCount() == 0 && !IsQualifiedNameEmpty(database))
            primaryDatabase->AddName(database);

        TnvMetadataObject *object = nullptr;
        if (!primaryName->IsEmpty())
            object = FContainer->FindObjectByName(primaryName.get(), primarySchema.get(), primaryDatabase.get());
        if (object) {
            childSchema->Clear();
            childName->Clear();
            childSchema->SetCaseSensitive(true);
            childName->SetCaseSensitive(true);
            CalcChildObjectName(childDatabase.get(), childSchema.get(), childName.get());
            if (childName->IsEmpty())
                object = nullptr;
            else if (childDatabase->GetCount() == 0 && !IsQualifiedNameEmpty(database))
                childDatabase->AddName(database);
        }
        if (!object) {
            SkipRelation();
            NextRelation();
            continue;
        }

        TnvMetadataRelationsList *relations = object->GetRelations();
        TnvMetadataRelation *relation = relations->Add();
        relation->SetChildSchema(childSchema.get());
        relation->SetChildName(childName.get());
        relation->SetChildDatabase(childDatabase.get());
        BeginRelation(object, relation);
        BeginCalcFields();
        while (!IsEndOfRelation()) {
            keyField->Clear();
            childField->Clear();
            CalcRelationFieldNames(keyField.get(), childField.get());
            relation->KeyFields()->AddField(keyField.get());
            relation->ChildFields()->AddField(childField.get());
            NextRelationFields();
        }
        EndCalcFields();
        EndRelation(object, relation);

        // The latest load of a relation wins over an earlier copy.
        const qsizetype index = relations->FindRelation(relation->KeyFields(), relation->ChildName(),
                                                        relation->ChildSchema(), relation->ChildDatabase(),
                                                        relation->ChildFields());
        if (index >= 0 && relations->Items(index) != relation)
            relations->Delete(index);
        NextRelation();
    }
}

// ---------------------------------------------------------------------------
// TnvMetadataRelationsFetcherFromDataset

namespace {
constexpr qint32 MaxOrdinal = std::numeric_limits<qint32>::max();
constexpr qint32 MinOrdinal = -std::numeric_limits<qint32>::max();
} // namespace

void TnvMetadataRelationsFetcherFromDataset::InitIterations()
{
    FPrimaryDatabaseField = FPrimarySchemaField = FPrimaryNameField = nullptr;
    FChildDatabaseField = FChildSchemaField = FChildNameField = nullptr;
    FKeyColumnField = FChildColumnField = FOrdinalField = FRelationNumberField = nullptr;
    if (!FDataset || !FDataset->Active())
        return;
    FPrimaryNameField = FindRequiredField(FDataset, PrimaryObjectNameFieldName);
    FChildNameField = FindRequiredField(FDataset, ChildObjectNameFieldName);
    FKeyColumnField = FindRequiredField(FDataset, KeyColumnFieldName);
    FChildColumnField = FindRequiredField(FDataset, ChildColumnFieldName);
    FPrimaryDatabaseField = FindOptionalField(FDataset, PrimaryDatabaseFieldName);
    FPrimarySchemaField = FindOptionalField(FDataset, PrimarySchemaFieldName);
    FChildDatabaseField = FindOptionalField(FDataset, ChildDatabaseFieldName);
    FChildSchemaField = FindOptionalField(FDataset, ChildSchemaFieldName);
    FOrdinalField = FindOptionalField(FDataset, OrdinalFieldName);
    FRelationNumberField = FindOptionalField(FDataset, RelationNumberFieldName);
}

bool TnvMetadataRelationsFetcherFromDataset::AtEnd() const { return DatasetAtEnd(FDataset); }

void TnvMetadataRelationsFetcherFromDataset::FirstIteration()
{
    if (FDataset && FDataset->Active())
        FDataset->First();
    FLastOrdinal = MaxOrdinal;
}

void TnvMetadataRelationsFetcherFromDataset::CalcPrimaryObjectName(TSQLQualifiedName *database,
                                                                   TastTokenIdentifier *schema,
                                                                   TastTokenIdentifier *name)
{
    const bool caseSensitive = SyntaxProvider()->IsIdentifiersCaseSensitive();
    if (AtEnd())
        return;
    SetIdentifier(name, TrimName(FieldText(FPrimaryNameField).trimmed()), caseSensitive);
    const QString schemaText = TrimName(FieldText(FPrimarySchemaField).trimmed());
    if (!schemaText.isEmpty())
        SetIdentifier(schema, schemaText, caseSensitive);
    const QString databaseText = TrimName(FieldText(FPrimaryDatabaseField).trimmed());
    if (!databaseText.isEmpty())
        database->AddName(databaseText, caseSensitive);
}

void TnvMetadataRelationsFetcherFromDataset::CalcChildObjectName(TSQLQualifiedName *database,
                                                                 TastTokenIdentifier *schema,
                                                                 TastTokenIdentifier *name)
{
    const bool caseSensitive = SyntaxProvider()->IsIdentifiersCaseSensitive();
    if (AtEnd())
        return;
    SetIdentifier(name, TrimName(FieldText(FChildNameField).trimmed()), caseSensitive);
    const QString schemaText = TrimName(FieldText(FChildSchemaField).trimmed());
    if (!schemaText.isEmpty())
        SetIdentifier(schema, schemaText, caseSensitive);
    const QString databaseText = TrimName(FieldText(FChildDatabaseField).trimmed());
    if (!databaseText.isEmpty())
        database->AddName(databaseText, caseSensitive);
}

void TnvMetadataRelationsFetcherFromDataset::StartRelation()
{
    FLastOrdinal = MinOrdinal;
    FRelationNumber = FRelationNumberField && !AtEnd() ? FieldVariant(FRelationNumberField) : QVariant();
}

void TnvMetadataRelationsFetcherFromDataset::BeginRelation(TnvMetadataObject *, TnvMetadataRelation *)
{
    StartRelation();
}

void TnvMetadataRelationsFetcherFromDataset::CalcRelationFieldNames(TastTokenIdentifier *keyField,
                                                                    TastTokenIdentifier *childField)
{
    const bool caseSensitive = SyntaxProvider()->IsIdentifiersCaseSensitive();
    SetIdentifier(keyField, TrimName(FieldText(FKeyColumnField).trimmed()), caseSensitive);
    SetIdentifier(childField, TrimName(FieldText(FChildColumnField).trimmed()), caseSensitive);
    if (FOrdinalField)
        FLastOrdinal = FOrdinalField->AsInteger();
}

bool TnvMetadataRelationsFetcherFromDataset::IsEndOfRelation()
{
    if (AtEnd())
        return true;
    if (FOrdinalField && FOrdinalField->AsInteger() <= FLastOrdinal)
        return true;
    if (FRelationNumberField && FieldVariant(FRelationNumberField) != FRelationNumber)
        return true;
    return false;
}

void TnvMetadataRelationsFetcherFromDataset::NextRelationFields()
{
    if (!AtEnd())
        FDataset->Next();
}

void TnvMetadataRelationsFetcherFromDataset::SkipRelation()
{
    // The skipped rows are read as a loaded relation's would be, so the scan
    // moves on by at least one row and stops where the next relation begins.
    StartRelation();
    while (!IsEndOfRelation()) {
        if (FOrdinalField)
            FLastOrdinal = FOrdinalField->AsInteger();
        NextRelationFields();
    }
}

bool TnvMetadataRelationsFetcherFromDataset::IsEndOfIterations() { return AtEnd(); }

// ---------------------------------------------------------------------------
// TnvMetadataRelationsFetcherFromQuery

TnvMetadataRelationsFetcherFromQuery::~TnvMetadataRelationsFetcherFromQuery() { DestroyDataset(); }

void TnvMetadataRelationsFetcherFromQuery::CreateDataset()
{
    DestroyDataset();
    FOwnedDataset = OpenQuery(MetadataProvider(), SQL);
    FDataset = FOwnedDataset.get();
}

bool TnvMetadataRelationsFetcherFromQuery::IsDatasetCreated() const
{
    return FOwnedDataset && FOwnedDataset->Active();
}

void TnvMetadataRelationsFetcherFromQuery::DestroyDataset()
{
    FDataset = nullptr;
    FOwnedDataset.reset();
}

void TnvMetadataRelationsFetcherFromQuery::InitIterations()
{
    if (!IsDatasetCreated())
        CreateDataset();
    TnvMetadataRelationsFetcherFromDataset::InitIterations();
}

void TnvMetadataRelationsFetcherFromQuery::EndIterations()
{
    TnvMetadataRelationsFetcherFromDataset::EndIterations();
    DestroyDataset();
}

// ---------------------------------------------------------------------------
// Databases

TnvBaseMetadataDatabasesFetcher::TnvBaseMetadataDatabasesFetcher(TnvBaseSyntaxProvider *syntaxProvider,
                                                                 TnvBaseMetadataProvider *metadataProvider)
    : FSyntaxProvider(syntaxProvider), FMetadataProvider(metadataProvider)
{
}

void TnvBaseMetadataDatabasesFetcher::CalcDatabaseName(TSQLQualifiedName *name) { name->Clear(); }

void TnvBaseMetadataDatabasesFetcher::LoadDatabases(TSQLQualifiedNamesList *list)
{
    TEndGuard end([this] { EndIterations(); });
    InitIterations();
    for (FirstIteration(); !EndOfIterations(); NextIteration()) {
        TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(FSyntaxProvider);
        CalcDatabaseName(name.get());
        if (name->GetCount() > 0)
            list->Add(std::move(name));
    }
}

void TnvMetadataDatabasesFetcherFromDataset::InitIterations()
{
    FNameField = nullptr;
    if (FDataset && FDataset->Active())
        FNameField = FindRequiredField(FDataset, DatabaseNameFieldName);
}

void TnvMetadataDatabasesFetcherFromDataset::FirstIteration()
{
    if (FDataset && FDataset->Active())
        FDataset->First();
}

bool TnvMetadataDatabasesFetcherFromDataset::EndOfIterations() { return DatasetAtEnd(FDataset) || !FNameField; }

void TnvMetadataDatabasesFetcherFromDataset::CalcDatabaseName(TSQLQualifiedName *name)
{
    name->Clear();
    const QString text = TrimName(FieldText(FNameField).trimmed());
    if (!text.isEmpty())
        name->AddName(text, SyntaxProvider()->IsIdentifiersCaseSensitive());
}

void TnvMetadataDatabasesFetcherFromDataset::NextIteration()
{
    if (!DatasetAtEnd(FDataset))
        FDataset->Next();
}

TnvMetadataDatabasesFetcherFromQuery::~TnvMetadataDatabasesFetcherFromQuery() { DestroyDataset(); }

void TnvMetadataDatabasesFetcherFromQuery::CreateDataset()
{
    DestroyDataset();
    if (SQL.isEmpty())
        return;
    FOwnedDataset = OpenQuery(MetadataProvider(), SQL);
    FDataset = FOwnedDataset.get();
}

bool TnvMetadataDatabasesFetcherFromQuery::IsDatasetCreated() const
{
    return FOwnedDataset && FOwnedDataset->Active();
}

void TnvMetadataDatabasesFetcherFromQuery::DestroyDataset()
{
    FDataset = nullptr;
    FOwnedDataset.reset();
}

void TnvMetadataDatabasesFetcherFromQuery::InitIterations()
{
    if (!IsDatasetCreated())
        CreateDataset();
    TnvMetadataDatabasesFetcherFromDataset::InitIterations();
}

void TnvMetadataDatabasesFetcherFromQuery::EndIterations()
{
    TnvMetadataDatabasesFetcherFromDataset::EndIterations();
    DestroyDataset();
}

TnvMetadataDatabasesFetcherFromStringList::TnvMetadataDatabasesFetcherFromStringList(
    TnvBaseSyntaxProvider *syntaxProvider, TnvBaseMetadataProvider *metadataProvider)
    : TnvBaseMetadataDatabasesFetcher(syntaxProvider, metadataProvider), FNames(Create<TWideStringList>())
{
}

TnvMetadataDatabasesFetcherFromStringList::~TnvMetadataDatabasesFetcherFromStringList() = default;

void TnvMetadataDatabasesFetcherFromStringList::CalcDatabaseName(TSQLQualifiedName *name)
{
    name->Clear();
    const QString text = TrimName(FNames->Strings(FIndex));
    if (!text.isEmpty())
        name->AddName(text, SyntaxProvider()->IsIdentifiersCaseSensitive());
}

} // namespace nvqb
