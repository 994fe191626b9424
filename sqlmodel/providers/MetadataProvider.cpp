#include "sqlmodel/providers/MetadataProvider.h"
#include "classlib/Format.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataNames.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "support/MessageTexts.h"

namespace nvqb {

NV_IMPLEMENT_COMPONENT_CLASS(TnvBaseMetadataProvider, TComponent)

namespace {
[[noreturn]] void RaiseExecError(const QString &sql, const QString &message)
{
    throw EnvQueryBuilderError(Format(LoadResString(nvQBErrorExecQuery), {sql, message}), sql, message);
}
} // namespace

TnvBaseMetadataProvider::TnvBaseMetadataProvider(TComponent *owner) : TComponent(owner) {}

TnvBaseMetadataProvider::~TnvBaseMetadataProvider() = default;

void TnvBaseMetadataProvider::BeforeDestruction()
{
    ClearInternalConnectionObjects();
    TComponent::BeforeDestruction();
}

void TnvBaseMetadataProvider::Connect()
{
    if (IsConnected())
        return;
    if (OnBeforeConnect)
        OnBeforeConnect(this);
    DoConnect();
    if (OnAfterConnect)
        OnAfterConnect(this);
}

void TnvBaseMetadataProvider::Disconnect()
{
    if (!IsConnected())
        return;
    if (OnBeforeDisconnect)
        OnBeforeDisconnect(this);
    DoDisconnect();
    if (OnAfterDisconnect)
        OnAfterDisconnect(this);
}

void TnvBaseMetadataProvider::SetConnected(bool value)
{
    if (value == IsConnected())
        return;
    if (value)
        Connect();
    else
        Disconnect();
}

TOwned<TDataSet> TnvBaseMetadataProvider::ExecSQL(const QString &sql, bool open)
{
    try {
        CheckConnectionSet();
        if (!IsConnected())
            Connect();
        TOwned<TDataSet> dataset = PrepareSQLDatasetInternal(sql);
        if (!dataset)
            throw EDatabaseError(QStringLiteral("No dataset for the query"));
        if (open)
            dataset->Open();
        return dataset;
    } catch (const EnvQueryBuilderError &) {
        throw;
    } catch (const Exception &e) {
        RaiseExecError(sql, e.Message());
    } catch (const std::exception &e) {
        RaiseExecError(sql, QString::fromLocal8Bit(e.what()));
    }
}

void TnvBaseMetadataProvider::ExecSQLNoResult(const QString &sql)
{
    try {
        CheckConnectionSet();
        if (!IsConnected())
            Connect();
        ExecSQLInternal(sql);
    } catch (const EnvQueryBuilderError &) {
        throw;
    } catch (const Exception &e) {
        RaiseExecError(sql, e.Message());
    } catch (const std::exception &e) {
        RaiseExecError(sql, QString::fromLocal8Bit(e.what()));
    }
}

void TnvBaseMetadataProvider::ExecSQLInternal(const QString &sql)
{
    TOwned<TDataSet> dataset = PrepareSQLDatasetInternal(sql);
    if (dataset)
        dataset->Open();
}

void TnvBaseMetadataProvider::GetDatabasesList(TnvBaseSyntaxProvider *, TSQLQualifiedNamesList *list)
{
    list->Clear();
}

void TnvBaseMetadataProvider::LoadMetadataObjects(TnvBaseSyntaxProvider *, TnvMetadataFilter *,
                                                  TnvMetadataContainer *, const TSQLQualifiedName *database)
{
    if (!IsQualifiedNameEmpty(database))
        throw Exception(Format(LoadResString(nvQBMetaProviderCantLoadMetadataForDatabase),
                               {database->GetQualifiedName()}));
    throw Exception(LoadResString(nvQBMetaProviderCantLoadMetadata));
}

void TnvBaseMetadataProvider::LoadMetadataRelations(TnvBaseSyntaxProvider *, TnvMetadataFilter *,
                                                    TnvMetadataContainer *, const TSQLQualifiedName *)
{
}

TOwned<TSQLQualifiedName> TnvBaseMetadataProvider::GetDefaultDatabaseName(TnvBaseSyntaxProvider *)
{
    return nullptr;
}

void TnvBaseMetadataProvider::GetDefaultSchemaNames(TnvBaseSyntaxProvider *, TSQLIdentifiersCollection *names)
{
    names->Clear();
}

void TnvBaseMetadataProvider::LoadFields(TnvMetadataObject *object)
{
    const QString sql = object->GetFieldsSQL();
    if (!sql.isEmpty())
        LoadFieldsForQuery(object->SyntaxProvider(), sql, object->GetFields());
}

void TnvBaseMetadataProvider::LoadFieldsForQuery(TnvBaseSyntaxProvider *, const QString &sql,
                                                 TnvMetadataFieldsList *fields)
{
    TnvUpdateScope scope(fields);
    // The list is marked loaded again only once read whole; a load that
    // fails leaves it to be asked again rather than empty for good.
    fields->Clear();
    fields->SetLoaded(false);
    if (!GetCanExecSQL() || sql.isEmpty())
        return;
    TOwned<TDataSet> dataset = ExecSQL(sql, false);
    try {
        dataset->FieldDefs().Update();
        for (qsizetype i = 0; i < dataset->FieldDefs().Count(); ++i)
            fields->AddField(dataset->FieldDefs().Items(i));
        fields->SetLoaded(true);
    } catch (const std::exception &) {
        // The columns read so far stay; the list is asked again next time.
        // A connection lost on the way is no fault of this query's: the
        // caller hears of it, or its next question would reconnect and the
        // loss pass unnoticed.
        if (!IsConnected())
            throw;
    }
}

bool TnvBaseMetadataProvider::GetServerIdentCaseSens(TnvIdentCaseSensitivity &) { return false; }

QString TnvBaseMetadataProvider::GetConnectionDescription() const { return ClassName(); }

void TnvBaseMetadataProvider::CreateAndBindInternalConnectionObj() { ClearInternalConnectionObjects(); }

QWidget *TnvBaseMetadataProvider::CreateConnectionEditFrame(QWidget *) { return nullptr; }

void TnvBaseMetadataProvider::AddInternalConnectionObject(TOwned<TObject> object)
{
    if (object)
        FInternalObjects.push_back(std::move(object));
}

void TnvBaseMetadataProvider::ClearInternalConnectionObjects()
{
    while (!FInternalObjects.empty())
        FInternalObjects.pop_back();
}

} // namespace nvqb
