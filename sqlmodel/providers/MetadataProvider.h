#pragma once
// The metadata provider: the component through which the system reaches a
// database. It connects, runs SQL and answers the metadata questions that
// the syntax provider forwards to it (databases, objects, relations, default
// database and schemas, the fields of an object or a query). Concrete
// providers override what their source can answer; the base refuses or
// answers empty.
#include "classlib/ComponentClass.h"
#include "classlib/Dataset.h"
#include "classlib/Method.h"
#include "sqlmodel/providers/IdentCaseSensitivity.h"

#include <vector>

class QWidget;

namespace nvqb {

class TastTokenIdentifier;
class TnvBaseSyntaxProvider;
class TnvMetadataContainer;
class TnvMetadataFieldsList;
class TnvMetadataFilter;
class TnvMetadataObject;
class TSQLIdentifiersCollection;
class TSQLQualifiedName;
class TSQLQualifiedNamesList;

class TnvBaseMetadataProvider : public TComponent {
    NV_DECLARE_COMPONENT_CLASS(TnvBaseMetadataProvider)
public:
    explicit TnvBaseMetadataProvider(TComponent *owner);
    ~TnvBaseMetadataProvider() override;
    void BeforeDestruction() override;

    virtual bool GetCanExecSQL() const { return true; }
    virtual bool IsConnected() const { return FConnected; }

    // The events fire only on a real change of state.
    void Connect();
    void Disconnect();
    bool Connected() const { return IsConnected(); }
    void SetConnected(bool value);
    TNotifyEvent OnBeforeConnect;
    TNotifyEvent OnAfterConnect;
    TNotifyEvent OnBeforeDisconnect;
    TNotifyEvent OnAfterDisconnect;

    // A dataset for the SQL, opened when asked; the caller owns it. Any
    // failure comes out as EnvQueryBuilderError with the SQL text and the
    // database's message (one already of that kind passes unchanged).
    TOwned<TDataSet> ExecSQL(const QString &sql, bool open);
    void ExecSQLNoResult(const QString &sql);

    // Metadata questions, with the base answers.
    // Clears the list.
    virtual void GetDatabasesList(TnvBaseSyntaxProvider *syntaxProvider, TSQLQualifiedNamesList *list);
    // Raises: automatic loading is not supported by this provider.
    virtual void LoadMetadataObjects(TnvBaseSyntaxProvider *syntaxProvider, TnvMetadataFilter *filter,
                                     TnvMetadataContainer *container, const TSQLQualifiedName *database);
    virtual void LoadMetadataRelations(TnvBaseSyntaxProvider *syntaxProvider, TnvMetadataFilter *filter,
                                       TnvMetadataContainer *container, const TSQLQualifiedName *database);
    // Nil: no default database known.
    virtual TOwned<TSQLQualifiedName> GetDefaultDatabaseName(TnvBaseSyntaxProvider *syntaxProvider);
    // Clears the names.
    virtual void GetDefaultSchemaNames(TnvBaseSyntaxProvider *syntaxProvider, TSQLIdentifiersCollection *names);
    // Fills the object's fields from its field query (nothing for an object
    // without one).
    virtual void LoadFields(TnvMetadataObject *object);
    // Fills the list with the columns of the query, read from the field
    // definitions of the unopened dataset, and marks it loaded. A failure
    // while reading the definitions leaves the fields read so far, not
    // marked loaded; a failure to run the query passes on.
    virtual void LoadFieldsForQuery(TnvBaseSyntaxProvider *syntaxProvider, const QString &sql,
                                    TnvMetadataFieldsList *fields);

    // The identifier case rule of the server behind the connection, where
    // the provider can learn it; false when it cannot, or when the server's
    // rule is none that a dialect can follow. The base cannot.
    virtual bool GetServerIdentCaseSens(TnvIdentCaseSensitivity &value);

    virtual QString GetConnectionDescription() const;
    virtual bool CanCreateInternalConnection() const { return false; }
    // Makes the provider's own connection objects; the base only frees the old ones.
    virtual void CreateAndBindInternalConnectionObj();
    // A frame to edit the provider's connection; nil when there is none.
    virtual QWidget *CreateConnectionEditFrame(QWidget *parent);

    // Data-access objects the provider made itself and owns.
    void AddInternalConnectionObject(TOwned<TObject> object);
    void ClearInternalConnectionObjects();
    bool GetConnectionObjectsCreated() const { return !FInternalObjects.empty(); }

protected:
    virtual void DoConnect() { FConnected = true; }
    virtual void DoDisconnect() { FConnected = false; }
    // Raises when the provider's connection object is missing.
    virtual void CheckConnectionSet() {}
    // A new, unopened dataset for the SQL; the caller owns it.
    virtual TOwned<TDataSet> PrepareSQLDatasetInternal(const QString &sql) = 0;
    virtual void ExecSQLInternal(const QString &sql);

private:
    bool FConnected = false;
    std::vector<TOwned<TObject>> FInternalObjects;
};

} // namespace nvqb
