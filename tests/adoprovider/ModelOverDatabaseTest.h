#pragma once
// The query model beside a real database, for tests that run both the
// statement they wrote and the one the model prints after loading it: the
// model knows the test's tables offline, every field an integer (binding
// names is all it needs them for).
#include "OdbcTestSupport.h"
#include "builder/model/QueryBuilderModel.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <utility>

namespace nvqb::test {

class ModelOverDatabaseTest : public OdbcDatabaseTest {
protected:
    // The tables the model knows, each with its fields.
    virtual QList<std::pair<QString, QStringList>> ModelTables() const = 0;

    void SetUp() override
    {
        OdbcDatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        model = Create<TnvQueryBuilderModel>();
        model->SetSyntaxProvider(&provider);
        TnvMetadataContainer *container = model->MetadataContainer();
        container->SetWorkOffline(true);
        for (const auto &[table, fields] : ModelTables()) {
            TnvMetadataObject *object = container->AddTable(QString(), table);
            for (const QString &field : fields) {
                TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(&provider);
                name->AddName(field, false);
                object->GetFields()->AddField(name.get(), ftInteger, 0, true, false);
            }
            object->GetFields()->SetLoaded(true);
        }
    }

    // Loads the statement into the model; the SQL the model prints for it.
    QString Load(const QString &sql)
    {
        TOwned<TSQLSelectStatement> statement = provider.ParseSelect(sql);
        model->PrepareStatement(statement.get());
        model->LoadStatement(std::move(statement));
        return model->GetSQL();
    }

    TnvSQL92SyntaxProvider provider;
    TOwned<TnvQueryBuilderModel> model;
};

} // namespace nvqb::test
