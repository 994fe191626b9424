// nvqb-builder-bench: speed of the query model behind the visual builder.
//
//   nvqb-builder-bench [--parts N] [--tables N] [--runs N]
//
// Builds a statement of N union parts (default 50), each a SELECT joining
// N tables (default 5) with a WHERE condition, and measures, as the median
// of the runs (default 25):
// - parse: the SQL-92 provider parsing the text;
// - bind: simplifying the tree and binding it to the metadata, as the
//   builder does with new SQL before loading it;
// - load: the query model of a query builder that is never shown cleared of
//   the previous statement and loaded with the bound tree, to the end of its
//   update bracket;
// - print: reading the model's SQL back right after the load (every result
//   tree of the model built, the text printed);
// - rebuild: every node of the model marked changed, then the SQL read, so
//   every result tree is built again.
// The metadata container holds the tables a(id, x), b(id, a_id, y),
// c(id, b_id), d(id, c_id), e(id, d_id), offline.
#include "../BenchCommandLine.h"
#include "BenchTiming.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
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

const char *const Tables[] = {"a", "b", "c", "d", "e"};
const char *const Links[][2] = {{"id", ""}, {"a_id", "id"}, {"b_id", "id"}, {"c_id", "id"}, {"d_id", "id"}};

QString PartSQL(int part, int tables)
{
    QString sql = QStringLiteral("Select t%1_0.id, t%1_0.x").arg(part);
    sql += QStringLiteral(" From a t%1_0").arg(part);
    for (int t = 1; t < tables; ++t) {
        const char *table = Tables[t % 5];
        sql += QStringLiteral(" Inner Join %1 t%2_%3 On t%2_%4.%5 = t%2_%3.%6")
                   .arg(QString::fromLatin1(table))
                   .arg(part)
                   .arg(t)
                   .arg(t - 1)
                   .arg(QString::fromLatin1(Links[t % 5][1][0] ? Links[t % 5][1] : "id"))
                   .arg(QString::fromLatin1(Links[t % 5][0]));
    }
    sql += QStringLiteral(" Where t%1_0.x > %1").arg(part);
    return sql;
}

QString StatementSQL(int parts, int tables)
{
    QString sql;
    for (int p = 0; p < parts; ++p) {
        if (p > 0)
            sql += p % 2 ? QStringLiteral(" Union ") : QStringLiteral(" Union All ");
        sql += PartSQL(p, tables);
    }
    return sql;
}

void AddTable(TnvMetadataContainer *container, const QString &name, const QStringList &fields)
{
    TnvMetadataObject *table = container->AddTable(QString(), name);
    for (const QString &field : fields) {
        TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(container->SyntaxProvider());
        fieldName->AddName(field, false);
        table->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
    }
    table->GetFields()->SetLoaded(true);
}

} // namespace

int main(int argc, char **argv)
{
    int parts = 50, tables = 5, runs = 25;
    bench::TCommandLine line(argc, argv, "nvqb-builder-bench", "[--parts N] [--tables 1..5] [--runs N]");
    while (line.Next()) {
        if (line.Is("--parts"))
            parts = int(line.Number(1, INT_MAX));
        else if (line.Is("--tables"))
            tables = int(line.Number(1, 5));
        else if (line.Is("--runs"))
            runs = int(line.Number(1, INT_MAX));
        else
            line.Unexpected();
    }
    QCoreApplication app(argc, argv);

    TnvSQL92SyntaxProvider provider;
    TOwned<TnvQueryBuilderModel> model = Create<TnvQueryBuilderModel>();
    model->SetSyntaxProvider(&provider);
    TnvMetadataContainer *container = model->MetadataContainer();
    container->SetWorkOffline(true);
    AddTable(container, QStringLiteral("a"), {QStringLiteral("id"), QStringLiteral("x")});
    AddTable(container, QStringLiteral("b"), {QStringLiteral("id"), QStringLiteral("a_id"), QStringLiteral("y")});
    AddTable(container, QStringLiteral("c"), {QStringLiteral("id"), QStringLiteral("b_id")});
    AddTable(container, QStringLiteral("d"), {QStringLiteral("id"), QStringLiteral("c_id")});
    AddTable(container, QStringLiteral("e"), {QStringLiteral("id"), QStringLiteral("d_id")});

    const QString sql = StatementSQL(parts, tables);
    std::vector<double> parse, bind, load, print, rebuild;
    QString printed;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        TOwned<TSQLSelectStatement> statement = provider.ParseSelect(sql);
        parse.push_back(Ms(timer));

        timer.restart();
        model->PrepareStatement(statement.get());
        bind.push_back(Ms(timer));

        timer.restart();
        model->LoadStatement(std::move(statement));
        load.push_back(Ms(timer));

        timer.restart();
        printed = model->GetSQL();
        print.push_back(Ms(timer));

        timer.restart();
        model->Query()->NotifySQLUpdatedRecursive();
        printed = model->GetSQL();
        rebuild.push_back(Ms(timer));
    }
    // The text must come back as it went in (keyword case aside).
    const bool same = printed.compare(sql, Qt::CaseInsensitive) == 0;
    std::printf("%d union parts x %d tables, %lld characters, median of %d runs\n", parts, tables,
                static_cast<long long>(sql.size()), runs);
    std::printf("parse %.2f ms, bind %.2f ms, load %.2f ms, print %.2f ms, load + print %.2f ms, "
                "rebuild + print %.2f ms\n",
                Median(parse), Median(bind), Median(load), Median(print), Median(load) + Median(print),
                Median(rebuild));
    std::printf("printed text %s the input\n", same ? "equals" : "DIFFERS FROM");
    return same ? 0 : 1;
}
