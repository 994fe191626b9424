#pragma once
// The metadata provider over an ADO-style connection: it runs SQL through
// the connection and reads databases, tables, views and foreign keys from the
// connection's catalog rowsets. It is the one provider that can make its own
// connection, for the metadata load wizard.
#include "sqlmodel/providers/MetadataProvider.h"

namespace nvqb {

class TADOConnection;

class TnvADOMetadataProvider : public TnvBaseMetadataProvider {
    NV_DECLARE_COMPONENT_CLASS(TnvADOMetadataProvider)
public:
    explicit TnvADOMetadataProvider(TComponent *owner = nullptr);
    ~TnvADOMetadataProvider() override;
    void BeforeDestruction() override;

    // Not owned, except for one the provider made itself (an internal
    // connection object). The reference is dropped when the connection goes.
    TADOConnection *Connection() const { return FConnection; }
    void SetConnection(TADOConnection *value);

    bool IsConnected() const override;

    // What was read before a failure stays in the list.
    void GetDatabasesList(TnvBaseSyntaxProvider *syntaxProvider, TSQLQualifiedNamesList *list) override;
    // With a database name the connection is switched to that database for
    // the load and always switched back. Errors reach the caller.
    void LoadMetadataObjects(TnvBaseSyntaxProvider *syntaxProvider, TnvMetadataFilter *filter,
                             TnvMetadataContainer *container, const TSQLQualifiedName *database) override;
    // The same frame; foreign keys that cannot be read are left out silently
    // (relations read so far stay).
    void LoadMetadataRelations(TnvBaseSyntaxProvider *syntaxProvider, TnvMetadataFilter *filter,
                               TnvMetadataContainer *container, const TSQLQualifiedName *database) override;

    // What the driver reports of the server (connecting when needed): quoted
    // names compared without case make every name so; quoted names compared
    // by case, with unquoted ones folded to upper or lower case, give that
    // rule. A server that folds nothing fits none of them. False without a
    // connection.
    bool GetServerIdentCaseSens(TnvIdentCaseSensitivity &value) override;

    QString GetConnectionDescription() const override { return QStringLiteral("ADO Connection"); }
    bool CanCreateInternalConnection() const override { return true; }
    void CreateAndBindInternalConnectionObj() override;
    // A TfrNvQBADOConnectionEdit bound to the connection, owned by parent.
    QWidget *CreateConnectionEditFrame(QWidget *parent) override;

protected:
    void Notification(TComponent *component, TOperation operation) override;
    void DoConnect() override;
    void DoDisconnect() override;
    // Raises "Connection object is not specified (property Connection is not
    // assigned)" without a connection.
    void CheckConnectionSet() override;
    TOwned<TDataSet> PrepareSQLDatasetInternal(const QString &sql) override;
    void ExecSQLInternal(const QString &sql) override;

private:
    // Connects when needed and points the connection at the database (by its
    // unquoted name) for the body, switching back afterwards whatever
    // happens.
    template <class F> void WithDatabase(const TSQLQualifiedName *database, bool swallowRestoreErrors, F body);

    TADOConnection *FConnection = nullptr;
};

} // namespace nvqb
