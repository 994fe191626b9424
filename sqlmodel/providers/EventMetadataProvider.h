#pragma once
// A metadata provider whose questions the host answers in event handlers:
// lists of table, view and procedure names, the field names of a query, the
// foreign keys of a table and, when the host wishes, the dataset of a SQL
// text. It needs no data-access layer of its own.
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <vector>

namespace nvqb {

// The relations a host hands back for one table; the list owns them.
using TnvMetadataRelationsObjectList = std::vector<TOwned<TSQLMetadataRelation>>;

// Append one dotted name per object (part 0 the name, part 1 the schema).
using TnvGetObjectNamesEvent = TMethod<void(TnvBaseMetadataProvider *sender, TSQLDatabaseObjectsList *objects)>;
using TnvGetSQLFieldNamesEvent =
    TMethod<void(TnvBaseMetadataProvider *sender, const QString &sql, TnvFieldsList *fields)>;
using TnvGetTableRelationsEvent = TMethod<void(TnvBaseMetadataProvider *sender, TSQLQualifiedName *tableName,
                                               TnvMetadataRelationsObjectList &relations)>;
// Put a new dataset for the SQL into the variable; the caller then owns it.
using TnvExecSQLEvent = TMethod<void(TnvBaseMetadataProvider *sender, const QString &sql, TOwned<TDataSet> &dataset)>;

class TnvEventMetadataProvider : public TnvBaseMetadataProvider {
    NV_DECLARE_COMPONENT_CLASS(TnvEventMetadataProvider)
public:
    explicit TnvEventMetadataProvider(TComponent *owner = nullptr);
    ~TnvEventMetadataProvider() override;

    TnvGetObjectNamesEvent OnGetTables;
    TnvGetObjectNamesEvent OnGetSystemTables;
    TnvGetObjectNamesEvent OnGetViews;
    TnvGetObjectNamesEvent OnGetSystemViews;
    TnvGetObjectNamesEvent OnGetProcedures;
    TnvGetObjectNamesEvent OnGetSystemProcedures;
    TnvGetSQLFieldNamesEvent OnGetSQLFieldNames;
    TnvGetTableRelationsEvent OnGetTableRelations;
    TnvExecSQLEvent OnExecSQLEvent;

    // SQL runs only through OnExecSQLEvent.
    bool GetCanExecSQL() const override { return bool(OnExecSQLEvent); }

    // With a database name the base answers (objects: not supported for
    // that database; relations: none).
    void LoadMetadataObjects(TnvBaseSyntaxProvider *syntaxProvider, TnvMetadataFilter *filter,
                             TnvMetadataContainer *container, const TSQLQualifiedName *database) override;
    void LoadMetadataRelations(TnvBaseSyntaxProvider *syntaxProvider, TnvMetadataFilter *filter,
                               TnvMetadataContainer *container, const TSQLQualifiedName *database) override;
    // Without OnExecSQLEvent the names come from OnGetSQLFieldNames, with
    // unknown data types.
    void LoadFieldsForQuery(TnvBaseSyntaxProvider *syntaxProvider, const QString &sql,
                            TnvMetadataFieldsList *fields) override;

protected:
    // The handler's dataset; nil without a handler. A failure in the handler
    // comes out as EnvQueryBuilderError with the SQL and the message (one
    // that already is one passes unchanged).
    TOwned<TDataSet> PrepareSQLDatasetInternal(const QString &sql) override;
};

} // namespace nvqb
