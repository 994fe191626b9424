// nvqb-selectlist-bench: speed of the select list behind the column grid.
//
//   nvqb-selectlist-bench [--rows N] [--columns N] [--runs N] [--sql-text 1]
//
// Builds a SELECT of N output columns (default 500) of one table whose WHERE
// is an OR of N criteria columns (default 3), each an AND with one condition
// per row, so the grid holds N rows with a condition in every criteria cell.
// Measures, as the median of the runs (default 25):
// - parse and bind: the SQL-92 provider parsing the text, then the tree
//   simplified and bound to the metadata as the builder does before loading;
// - load: the query model of a query builder that is never shown cleared and
//   loaded with the bound tree (the WHERE spread over the rows' criteria
//   cells), to the end of its update bracket;
// - print: the model's SQL read right after the load;
// - edit: one criteria cell in the middle of the grid given a new text
//   through the text the grid writes, and the SQL read again.
// The metadata container holds the table w(f1 .. fN), offline.
// With --sql-text 1 an SQL-text component is linked to the query builder and
// reads its text after every change, so load and edit include the whole road
// of SQL out (the result bound and counted, statistics, parameters, the
// component's text).
#include "../BenchCommandLine.h"
#include "BenchTiming.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SQLTextBuilder.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace nvqb;

namespace {

using bench::Median;
using bench::Ms;

const char *const Operators[] = {">", "<", "=", "<>"};

QString StatementSQL(int rows, int columns)
{
    QStringList items;
    for (int r = 1; r <= rows; ++r)
        items.append(QStringLiteral("w.f%1").arg(r));
    QStringList disjuncts;
    for (int c = 0; c < columns; ++c) {
        QStringList terms;
        for (int r = 1; r <= rows; ++r)
            terms.append(QStringLiteral("w.f%1 %2 %3").arg(r).arg(QString::fromLatin1(Operators[c % 4])).arg(r + c));
        disjuncts.append(terms.join(QStringLiteral(" And ")));
    }
    return QStringLiteral("Select ") + items.join(QStringLiteral(", ")) + QStringLiteral(" From w Where ") +
           disjuncts.join(QStringLiteral(" Or "));
}

} // namespace

int main(int argc, char **argv)
{
    int rows = 500, columns = 3, runs = 25, sqlText = 0;
    bench::TCommandLine line(argc, argv, "nvqb-selectlist-bench",
                             "[--rows N >= 2] [--columns N >= 2] [--runs N] [--sql-text 0|1]");
    while (line.Next()) {
        if (line.Is("--rows"))
            rows = int(line.Number(2, INT_MAX));
        else if (line.Is("--columns"))
            columns = int(line.Number(2, INT_MAX));
        else if (line.Is("--runs"))
            runs = int(line.Number(1, INT_MAX));
        else if (line.Is("--sql-text"))
            sqlText = int(line.Number(0, 1));
        else
            line.Unexpected();
    }
    QCoreApplication app(argc, argv);

    TnvSQL92SyntaxProvider provider;
    TOwned<TnvQueryBuilderModel> model = Create<TnvQueryBuilderModel>();
    model->SetSyntaxProvider(&provider);
    TnvMetadataContainer *container = model->MetadataContainer();
    container->SetWorkOffline(true);
    TnvMetadataObject *table = container->AddTable(QString(), QStringLiteral("w"));
    for (int r = 1; r <= rows; ++r) {
        TOwned<TSQLQualifiedName> field = Create<TSQLQualifiedName>(&provider);
        field->AddName(QStringLiteral("f%1").arg(r), false);
        table->GetFields()->AddField(field.get(), ftInteger, 0, true, false);
    }
    table->GetFields()->SetLoaded(true);

    TOwned<TnvSQLBuilderPlainText> component;
    qsizetype componentText = 0;
    if (sqlText) {
        component = Create<TnvSQLBuilderPlainText>();
        component->OnSQLUpdated = [&](TObject *) { componentText += component->SQL().size(); };
        component->SetQueryBuilder(model.get());
    }

    const QString sql = StatementSQL(rows, columns);
    std::vector<double> parse, load, print, edit;
    QString printed, edited;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        TOwned<TSQLSelectStatement> statement = provider.ParseSelect(sql);
        model->PrepareStatement(statement.get());
        parse.push_back(Ms(timer));

        timer.restart();
        model->LoadStatement(std::move(statement));
        load.push_back(Ms(timer));

        timer.restart();
        printed = model->GetSQL();
        print.push_back(Ms(timer));

        TnvSelectList *list = model->Query()->UnionSubQueries(0)->SelectList();
        timer.restart();
        list->Items(rows / 2)->SetCondition(1, QStringLiteral("<= %1").arg(run));
        edited = model->GetSQL();
        edit.push_back(Ms(timer));
    }
    // The model gives back the statement it was given; the edit shows in it.
    const bool same = printed == sql;
    const QString changed = QStringLiteral("w.f%1 <= %2").arg(rows / 2 + 1).arg(runs - 1);
    const bool edits = edited.contains(changed) && edited != printed;
    std::printf("%d rows x %d criteria columns (%d conditions), %lld characters, median of %d runs%s\n", rows,
                columns, rows * columns, static_cast<long long>(sql.size()), runs,
                sqlText ? ", an SQL-text component linked" : "");
    std::printf("parse + bind %.2f ms, load %.2f ms, print %.2f ms, load + print %.2f ms, edit one cell + print "
                "%.2f ms\n",
                Median(parse), Median(load), Median(print), Median(load) + Median(print), Median(edit));
    std::printf("printed text %s the input; the edit %s\n", same ? "equals" : "DIFFERS FROM",
                edits ? "shows" : "DOES NOT SHOW");
    const bool heard = !sqlText || componentText > 0;
    if (!heard)
        std::printf("the SQL-text component HEARD NOTHING\n");
    return same && edits && heard ? 0 : 1;
}
