// nvqb-jointree-bench: speed of the FROM group's join-tree rebuild.
//
//   nvqb-jointree-bench [--sizes N,N,...] [--runs N] [--binary]
//
// For each size N (default 100,200,300,400) a statement joins N tables
// t0 .. tN-1 in one chain (each table's ON condition links it to the one
// before) plus N/2 + 1 more conditions to random earlier tables, so the
// model holds N data sources and 1.5 N links. With --binary the dialect
// nests joins two at a time. Measured, as the median of the runs (default
// 25):
// - load: parse, bind and load the statement, with the rebuild the load
//   asks for, and print its SQL;
// - add link + print: one link drawn between two data sources far apart
//   (the rebuild runs at the end of its update bracket), then the SQL read;
//   the link is removed again between runs, untimed.
// The ratio column compares each size's add-link time with the first
// size's, against (N / N0)^2 for quadratic growth; the growth exponent of
// both columns over the sizes closes the table.
#include "../BenchCommandLine.h"
#include "BenchTiming.h"
#include "JoinShapes.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
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
#include <random>
#include <vector>

using namespace nvqb;

namespace {

using bench::Median;
using bench::Ms;

class TBenchProvider : public TnvSQL92SyntaxProvider {
public:
    using TnvSQL92SyntaxProvider::TnvSQL92SyntaxProvider;
    bool Binary = false;
    bool IsForceBinaryANSIJoins() const override { return Binary; }
};

QString StatementSQL(int tables)
{
    std::mt19937 random{unsigned(tables)};
    QString sql = QStringLiteral("Select t0.id From t t0");
    for (int i = 1; i < tables; ++i) {
        sql += QStringLiteral(" Inner Join t t%1 On t%1.x = t%2.id").arg(i).arg(i - 1);
        // Every other table (and the second and fourth) gets a second
        // condition to some earlier table: 1.5 N links in all.
        if (i % 2 == 0 || i == 1 || i == 3)
            sql += QStringLiteral(" And t%1.y = t%2.id").arg(i).arg(std::uniform_int_distribution<int>(0, i - 1)(random));
    }
    return sql;
}

} // namespace

int main(int argc, char **argv)
{
    QList<int> sizes{100, 200, 300, 400};
    int runs = 25;
    bool binary = false;
    bench::TCommandLine line(argc, argv, "nvqb-jointree-bench", "[--sizes N,N,...] [--runs N] [--binary]");
    while (line.Next()) {
        if (line.Is("--sizes"))
            sizes = line.Numbers<QList<int>>(2);
        else if (line.Is("--runs"))
            runs = int(line.Number(1, INT_MAX));
        else if (line.Is("--binary"))
            binary = true;
        else
            line.Unexpected();
    }
    QCoreApplication app(argc, argv);

    TBenchProvider provider(nullptr);
    provider.Binary = binary;
    TOwned<TnvQueryBuilderModel> model = Create<TnvQueryBuilderModel>();
    model->SetSyntaxProvider(&provider);
    TnvMetadataContainer *container = model->MetadataContainer();
    container->SetWorkOffline(true);
    TnvMetadataObject *table = container->AddTable(QString(), QStringLiteral("t"));
    for (const char *field : {"id", "x", "y"}) {
        TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(&provider);
        name->AddName(QString::fromLatin1(field), false);
        table->GetFields()->AddField(name.get(), ftInteger, 0, true, false);
    }
    table->GetFields()->SetLoaded(true);

    std::printf("%s joins, median of %d runs\n", binary ? "binary" : "plain", runs);
    std::printf("%8s %8s %12s %18s %10s %10s\n", "sources", "links", "load ms", "add link+print ms", "ratio", "quadratic");
    double first = 0;
    QList<double> loadTimes, addTimes;
    for (int size : std::as_const(sizes)) {
        const QString sql = StatementSQL(size);
        std::vector<double> loads, adds;
        qsizetype links = 0;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            TOwned<TSQLSelectStatement> statement = provider.ParseSelect(sql);
            model->PrepareStatement(statement.get());
            model->LoadStatement(std::move(statement));
            const QString loaded = model->GetSQL();
            loads.push_back(timer.nsecsElapsed() / 1e6);

            TnvUnionSubQuery *part = model->Query()->UnionSubQueries(0);
            TnvDatasourceGroup *from = part->FromGroup();
            links = 0;
            QList<TnvDatasourceBase *> groups;
            from->GetDatasourceByClass(TnvDatasourceGroup::StaticClassType(), groups);
            for (const TnvDatasourceBase *group : std::as_const(groups))
                links += static_cast<const TnvDatasourceGroup *>(group)->GetLinksCount();
            TOwned<TSQLExpressionItem> expression = provider.ParseLogicalExpression(
                QStringLiteral("t%1.y = t%2.x").arg(size / 10).arg(size / 2), true);
            TastNodeRefList withItems, fromSources;
            part->GatherPrepareAndFixupContext(withItems, fromSources, true);
            expression->PrepareAndFixupRecursive(withItems, fromSources, container);

            timer.restart();
            TnvLink *link = from->AddLinkAST(nullptr, std::move(expression), lpFrom, true);
            const QString printed = model->GetSQL();
            adds.push_back(timer.nsecsElapsed() / 1e6);
            if (printed.size() <= loaded.size()) {
                std::fprintf(stderr, "the new link did not print\n");
                return 1;
            }
            TObject::Free(link);
        }
        const double add = Median(adds);
        loadTimes.append(Median(loads));
        addTimes.append(add);
        if (first == 0)
            first = add;
        const double scale = double(size) / sizes.first();
        std::printf("%8d %8lld %12.2f %18.2f %10.2f %10.2f\n", size, static_cast<long long>(links), Median(loads), add,
                    add / first, scale * scale);
        std::fflush(stdout);
    }
    std::printf("growth exponent (time ~ sources^b): load %.2f, add link+print %.2f\n",
                bench::GrowthExponent(sizes, loadTimes), bench::GrowthExponent(sizes, addTimes));
    return 0;
}
