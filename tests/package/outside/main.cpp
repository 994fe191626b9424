// A form holding the query builder control over a database: an ODBC
// connection, the ODBC metadata provider that reads the database's tables,
// views and foreign keys through it, and the SQL-92 dialect. Run as
//   nvqb-outside "Driver=SQLite3;Database=shop.db" "select ..." [--print-sql]
// it shows the form with the SQL loaded (or prints what the control knows
// and its SQL, and exits).
#include <nvQueryBuilder/adoprovider/ADOMetadataProvider.h>
#include <nvQueryBuilder/adoprovider/OdbcConnection.h>
#include <nvQueryBuilder/builder/controls/QueryBuilder.h>
#include <nvQueryBuilder/sql92/SQL92SyntaxProvider.h>
#include <nvQueryBuilder/sqlmodel/metadata/MetadataContainer.h>

#include <QApplication>
#include <QTextStream>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();

    // The connection and the providers outlive the control.
    nvqb::TADOConnection connection;
    connection.SetConnectionString(args.value(1));
    nvqb::TnvADOMetadataProvider metadata;
    metadata.SetConnection(&connection);
    nvqb::TnvSQL92SyntaxProvider syntax;

    QWidget form;
    auto *queryBuilder = new nvqb::TnvQueryBuilder(&form);
    (new QVBoxLayout(&form))->addWidget(queryBuilder);
    queryBuilder->SetSyntaxProvider(&syntax);
    queryBuilder->SetMetadataProvider(&metadata);
    try {
        connection.Open();                  // the driver's refusal is raised here
        queryBuilder->RefreshMetadata();    // the objects and foreign keys
        queryBuilder->SetSyncSQL(args.value(2, QStringLiteral("select 1")));
    } catch (const std::exception &e) {
        QTextStream(stderr) << e.what() << Qt::endl;
        return 1;
    }
    if (!args.contains(QStringLiteral("--print-sql"))) {
        form.show();
        return app.exec();
    }
    QTextStream(stdout) << queryBuilder->MetadataContainer()->Count() << " objects\n"
                        << queryBuilder->SQL() << Qt::endl;
    return 0;
}
