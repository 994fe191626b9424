#include "adoprovider/ADOMetadataProvider.h"
#include "adoprovider/ADOConnectionEditFrame.h"
#include "adoprovider/OdbcConnection.h"
#include "adoprovider/OdbcDataset.h"
#include "sqlmodel/providers/MetadataFetchers.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/sql/QualifiedName.h"

namespace nvqb {

NV_IMPLEMENT_COMPONENT_CLASS(TnvADOMetadataProvider, TnvBaseMetadataProvider)

TnvADOMetadataProvider::TnvADOMetadataProvider(TComponent *owner) : TnvBaseMetadataProvider(owner) {}

TnvADOMetadataProvider::~TnvADOMetadataProvider() = default;

void TnvADOMetadataProvider::BeforeDestruction()
{
    SetConnection(nullptr);
    TnvBaseMetadataProvider::BeforeDestruction();
}

void TnvADOMetadataProvider::SetConnection(TADOConnection *value)
{
    if (value == FConnection)
        return;
    if (FConnection)
        FConnection->RemoveFreeNotification(this);
    FConnection = value;
    if (FConnection)
        FConnection->FreeNotification(this);
}

void TnvADOMetadataProvider::Notification(TComponent *component, TOperation operation)
{
    if (operation == opRemove && component == FConnection)
        FConnection = nullptr;
    TnvBaseMetadataProvider::Notification(component, operation);
}

bool TnvADOMetadataProvider::IsConnected() const { return FConnection && FConnection->Connected(); }

void TnvADOMetadataProvider::CheckConnectionSet()
{
    if (!FConnection)
        throw Exception(nvQBFormatMessage(nvQBNoConnectionObject, {QStringLiteral("Connection")}));
}

void TnvADOMetadataProvider::DoConnect()
{
    TnvBaseMetadataProvider::DoConnect();
    CheckConnectionSet();
    FConnection->Open();
}

void TnvADOMetadataProvider::DoDisconnect()
{
    TnvBaseMetadataProvider::DoDisconnect();
    CheckConnectionSet();
    FConnection->Close();
}

TOwned<TDataSet> TnvADOMetadataProvider::PrepareSQLDatasetInternal(const QString &sql)
{
    CheckConnectionSet();
    TOwned<TADODataSet> dataset = Create<TADODataSet>(nullptr);
    dataset->SetConnection(FConnection);
    dataset->SetCommandText(sql);
    return TOwned<TDataSet>(dataset.release());
}

void TnvADOMetadataProvider::ExecSQLInternal(const QString &sql)
{
    CheckConnectionSet();
    FConnection->Execute(sql);
}

void TnvADOMetadataProvider::CreateAndBindInternalConnectionObj()
{
    TnvBaseMetadataProvider::CreateAndBindInternalConnectionObj();
    TOwned<TADOConnection> connection = Create<TADOConnection>(nullptr);
    SetConnection(connection.get());
    AddInternalConnectionObject(TOwned<TObject>(connection.release()));
}

QWidget *TnvADOMetadataProvider::CreateConnectionEditFrame(QWidget *parent)
{
    auto *frame = new TfrNvQBADOConnectionEdit(parent);
    frame->SetConnection(FConnection);
    return frame;
}

bool TnvADOMetadataProvider::GetServerIdentCaseSens(TnvIdentCaseSensitivity &value)
{
    if (!FConnection)
        return false;
    if (!IsConnected())
        Connect();
    switch (FConnection->IdentifierCase(true)) {
    case TIdentifierCase::Unknown:
        return false;
    case TIdentifierCase::Sensitive:
        break;
    default:
        value = icsNonSensitive;
        return true;
    }
    switch (FConnection->IdentifierCase(false)) {
    case TIdentifierCase::Upper:
        value = icsSensitiveUpperCase;
        return true;
    case TIdentifierCase::Lower:
        value = icsSensitiveLowerCase;
        return true;
    default:
        return false;
    }
}

void TnvADOMetadataProvider::GetDatabasesList(TnvBaseSyntaxProvider *syntaxProvider, TSQLQualifiedNamesList *list)
{
    list->Clear();
    if (!IsConnected())
        Connect();
    try {
        TOwned<TMemoryDataset> dataset = FConnection->OpenSchema(siCatalogs);
        TOwned<TnvMetadataDatabasesFetcherFromDataset> fetcher =
            Create<TnvMetadataDatabasesFetcherFromDataset>(syntaxProvider, this);
        fetcher->DatabaseNameFieldName = QStringLiteral("CATALOG_NAME");
        fetcher->SetDataset(dataset.get());
        fetcher->LoadDatabases(list);
    } catch (const std::exception &) {
        // A driver without catalogs, or one that fails half-way: the names
        // read so far are what there is to choose from.
    }
}

template <class F>
void TnvADOMetadataProvider::WithDatabase(const TSQLQualifiedName *database, bool swallowRestoreErrors, F body)
{
    if (!IsConnected())
        Connect();
    CheckConnectionSet();
    const QString saved = FConnection->DefaultDatabase();
    // Switched and switched back by one and the same spelling: the unquoted
    // name, which is what the database knows the catalog by.
    auto restore = [&] {
        if (FConnection && FConnection->Connected() && FConnection->DefaultDatabase() != saved)
            FConnection->SetDefaultDatabase(saved);
    };
    try {
        if (!IsQualifiedNameEmpty(database))
            FConnection->SetDefaultDatabase(database->GetQualifiedNameWithoutQuotes());
        body();
    } catch (...) {
        try {
            restore();
        } catch (...) {
            // The load's own error is the one to report.
        }
        throw;
    }
    try {
        restore();
    } catch (...) {
        if (!swallowRestoreErrors)
            throw;
    }
}

void TnvADOMetadataProvider::LoadMetadataObjects(TnvBaseSyntaxProvider *syntaxProvider, TnvMetadataFilter *filter,
                                                 TnvMetadataContainer *container, const TSQLQualifiedName *database)
{
    WithDatabase(database, false, [&] {
        TOwned<TMemoryDataset> dataset = FConnection->OpenSchema(siTables);
        TOwned<TnvMetadataObjectFetcherFromDataset> fetcher =
            Create<TnvMetadataObjectFetcherFromDataset>(syntaxProvider, this);
        fetcher->SchemaFieldName = QStringLiteral("TABLE_SCHEMA");
        fetcher->ObjectNameFieldName = QStringLiteral("TABLE_NAME");
        fetcher->TypeFieldName = QStringLiteral("TABLE_TYPE");
        fetcher->TableUserTypeValue = QStringLiteral("TABLE");
        fetcher->TableSystemTypeValue = QStringLiteral("SYSTEM TABLE");
        fetcher->ViewUserTypeValue = QStringLiteral("VIEW");
        fetcher->ViewSystemTypeValue = QStringLiteral("SYSTEM VIEW");
        fetcher->SetDataset(dataset.get());
        fetcher->LoadMetadata(filter, container, database);
    });
}

void TnvADOMetadataProvider::LoadMetadataRelations(TnvBaseSyntaxProvider *syntaxProvider,
                                                   TnvMetadataFilter *filter, TnvMetadataContainer *container,
                                                   const TSQLQualifiedName *database)
{
    try {
        WithDatabase(database, true, [&] {
            TOwned<TMemoryDataset> dataset = FConnection->OpenSchema(siForeignKeys);
            TOwned<TnvMetadataRelationsFetcherFromDataset> fetcher =
                Create<TnvMetadataRelationsFetcherFromDataset>(syntaxProvider, this);
            fetcher->PrimarySchemaFieldName = QStringLiteral("PK_TABLE_SCHEMA");
            fetcher->PrimaryObjectNameFieldName = QStringLiteral("PK_TABLE_NAME");
            fetcher->KeyColumnFieldName = QStringLiteral("PK_COLUMN_NAME");
            fetcher->ChildSchemaFieldName = QStringLiteral("FK_TABLE_SCHEMA");
            fetcher->ChildObjectNameFieldName = QStringLiteral("FK_TABLE_NAME");
            fetcher->ChildColumnFieldName = QStringLiteral("FK_COLUMN_NAME");
            fetcher->OrdinalFieldName = QStringLiteral("ORDINAL");
            fetcher->SetDataset(dataset.get());
            fetcher->LoadMetadata(filter, container, database);
        });
    } catch (const std::exception &) {
        // Foreign keys are a help, not a requirement: what was read stays.
    }
}

} // namespace nvqb
