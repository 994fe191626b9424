// The load wizard's work at catalogue size, without its window: 2,000
// tables with 2,000 foreign keys and some views on a PostgreSQL server, read
// through the ODBC provider (psqlODBC) the way the wizard's loading run reads
// them (objects list, relations, every object's fields one at a time, the
// copy into the target container), timed step by step. Then the same run
// again into the filled target, once adding beside the objects there and
// once replacing the objects of equal names, as a second load of one
// database does. Needs a server named by the NVQB_PG_* variables:
//
//   eval "$(bash scripts/pgserver.sh start)"
//   build/bench/nvqb-wizard-load-bench [tables] [--views N] [--runs N] [--xml FILE]
//   bash scripts/pgserver.sh stop "$NVQB_PG_DIR"
//
// --xml writes the target's XML document after the first run, to compare
// the loaded metadata between two builds.
#include "WizardLoadCatalogue.h"

#include "sql92/SQL92SyntaxProvider.h"

#include <QFile>

#include <algorithm>
#include <vector>

using namespace nvqb;
using namespace nvqb::bench;

namespace {

struct Setup {
    TnvSQL92SyntaxProvider Syntax;
    TnvADOMetadataProvider Provider;
    TOwned<TnvMetadataContainer> Target = Create<TnvMetadataContainer>(nullptr);
    explicit Setup(TADOConnection &connection)
    {
        Provider.SetConnection(&connection);
        Target->SetSyntaxProvider(&Syntax);
        Target->SetMetadataProvider(&Provider);
    }
};

void Print(const char *what, const WizardLoadTimings &t)
{
    std::printf("%-34s total %8.1f ms | objects %7.1f  relations %7.1f  system %5.1f  fields %8.1f  copy %7.1f"
                "  (%lld objects, %lld without fields)\n",
                what, t.Total, t.Objects, t.Relations, t.System, t.Fields, t.Copy,
                static_cast<long long>(t.ObjectCount), static_cast<long long>(t.FieldsFailed));
    std::fflush(stdout);
}

// Objects of the scratch load that take the place of equal names in the
// target: the name index finds each one, so a second load of a database of
// thousands of objects costs no more than the first.
double ReplaceByNames(TnvMetadataContainer *target, TnvMetadataContainer *loaded)
{
    QElapsedTimer timer;
    timer.start();
    for (qsizetype i = 0; i < loaded->Count(); ++i) {
        TnvMetadataObject *object = loaded->Items(i);
        if (TnvMetadataObject *old = target->FindByNameAndClass(object->Name(), object->Schema(), object->Database(),
                                                                 object->ClassType()))
            target->Remove(old);
        target->Add(object->CloneAs<TnvMetadataObject>(target));
    }
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    const WizardBenchOptions options = ParseWizardBenchOptions(argc, argv, "nvqb-wizard-load-bench");
    QCoreApplication app(argc, argv);
    const int tables = options.Tables, views = options.Views, runs = options.Runs;
    const QString xmlFile = options.XmlFile;
    auto connection = NewPgConnection();
    if (!connection)
        return 2;
    try {
        connection->Open();
        QElapsedTimer timer;
        timer.start();
        PgCatalogue catalogue(*connection, tables, views);
        std::printf("%d tables, %d foreign keys, %d views in schema %s (made in %.1f s); %d runs, best shown\n",
                    tables, tables, views, qPrintable(catalogue.Schema()), timer.nsecsElapsed() / 1e9, runs);

        auto filter = Create<TnvMetadataFilter>(nullptr);
        filter->Add(); // the wizard's default item: everything
        WizardLoadTimings best;
        best.Total = 1e12;
        std::vector<double> totals;
        for (int run = 0; run < runs; ++run) {
            Setup setup(*connection);
            TimingMetadataProvider timing(&setup.Provider);
            qsizetype lines = 0;
            const WizardLoadTimings t = RunWizardLoad(
                setup.Target.get(), filter.get(), nullptr, true, [&](const QString &) { ++lines; }, &timing);
            totals.push_back(t.Total);
            if (t < best)
                best = t;
            if (run == 0) {
                qsizetype fields = 0, relations = 0;
                for (qsizetype i = 0; i < setup.Target->Count(); ++i) {
                    fields += setup.Target->Items(i)->GetFields()->Count();
                    relations += setup.Target->Items(i)->GetRelations()->Count();
                }
                std::printf("target: %lld objects, %lld fields, %lld relations, %lld log lines\n",
                            static_cast<long long>(setup.Target->Count()), static_cast<long long>(fields),
                            static_cast<long long>(relations), static_cast<long long>(lines));
                if (!xmlFile.isEmpty()) {
                    setup.Target->SaveToXMLFile(xmlFile);
                    std::printf("XML written to %s\n", qPrintable(xmlFile));
                }
            }
        }
        Print("first load (best run)", best);
        std::sort(totals.begin(), totals.end());
        std::printf("%-34s %8.1f ms (limit 5000 ms: %s)\n", "first load, median total", totals[totals.size() / 2],
                    totals[totals.size() / 2] < 5000 ? "met" : "MISSED");

        // A second load of the same database into the filled target.
        Setup setup(*connection);
        RunWizardLoad(setup.Target.get(), filter.get(), nullptr, true);
        TimingMetadataProvider timing(&setup.Provider);
        Print("second load, added beside", RunWizardLoad(setup.Target.get(), filter.get(), nullptr, true, {}, &timing));

        Setup replace(*connection);
        RunWizardLoad(replace.Target.get(), filter.get(), nullptr, true);
        auto scratch = Create<TnvMetadataContainer>(nullptr);
        scratch->SetSyntaxProvider(&replace.Syntax);
        scratch->SetMetadataProvider(&replace.Provider);
        scratch->LoadMetadataByFilter(filter.get(), nullptr);
        scratch->LoadFields();
        const qsizetype before = replace.Target->Count();
        const double ms = ReplaceByNames(replace.Target.get(), scratch.get());
        std::printf("%-34s %8.1f ms (%lld objects replaced, %lld before, %lld after)\n",
                    "second load, replacing equal names", ms, static_cast<long long>(scratch->Count()),
                    static_cast<long long>(before), static_cast<long long>(replace.Target->Count()));
    } catch (const std::exception &e) {
        std::printf("error: %s\n", e.what());
        return 1;
    }
    return 0;
}
