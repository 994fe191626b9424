// A form holding the query builder control with the SQL-92 dialect and the
// ODBC metadata provider: the SQL given on the command line is assigned and
// the control's SQL printed.
#include "adoprovider/ADOMetadataProvider.h"
#include "builder/controls/QueryBuilder.h"
#include "sql92/SQL92SyntaxProvider.h"

#include <QApplication>
#include <QTextStream>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    nvqb::TnvSQL92SyntaxProvider syntax;        // the providers outlive the control
    nvqb::TnvADOMetadataProvider metadata;
    QWidget form;
    auto *queryBuilder = new nvqb::TnvQueryBuilder(&form);
    (new QVBoxLayout(&form))->addWidget(queryBuilder);
    queryBuilder->SetSyntaxProvider(&syntax);
    queryBuilder->SetMetadataProvider(&metadata);
    queryBuilder->SetWorkOffline(true);         // no connection: take the SQL as it is
    queryBuilder->SetSyncSQL(app.arguments().value(1, QStringLiteral("select 1")));
    form.show();
    QApplication::processEvents();
    QTextStream(stdout) << queryBuilder->SQL() << Qt::endl;
    return 0;
}
