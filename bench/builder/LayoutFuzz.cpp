// nvqb-layout-fuzz: damaged layout documents against a query builder.
//
//   nvqb-layout-fuzz [COUNT [SEED]]
//
// Saves the layouts of a few statements (unions in brackets, derived tables,
// sub-queries in expressions, one table twice), then loads COUNT damaged
// copies of them (default 100000, seed default 1) into a query builder whose
// boxes exist and, every other thousand cases, into one without boxes. After
// each load the model's SQL must parse again and its own layout must load
// again to the same SQL. A load that raises ends the program (SetLayout is
// noexcept); a case that breaks a check is printed with its document and the
// program exits with 1. Prints the cases run, the time taken and how many
// loads changed the query.
#include "../BenchCommandLine.h"
#include "builder/LayoutMutator.h"
#include "builder/model/ControlBounds.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/Datasource.h"
#include "builder/model/ModelControl.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "builder/model/DatasourceGroup.h"
#include "classlib/Exceptions.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace nvqb;

namespace {

// A box that keeps what it is given, as the real box does, and leaves its
// bounds in the model when it goes.
class TBox : public TnvModelControl, public InvControlBounds, public InvStateSaver {
public:
    QRect Bounds;
    void SetControlVisible(bool) override {}
    QRect GetControlBounds() override { return Bounds; }
    void SetControlBounds(const QRect &bounds) override { Bounds = bounds; }
    void SaveState(TnvQueryBuilderControlOwner *owner) override
    {
        if (auto *datasource = As<TnvDatasource>(owner))
            datasource->SetStoredBounds(Bounds);
    }
    void RestoreState(TnvQueryBuilderControlOwner *owner) override
    {
        if (auto *datasource = As<TnvDatasource>(owner))
            Bounds = datasource->StoredBounds();
    }
};

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

// Every box placed apart from the others.
void PlaceEvery(TnvQueryBuilderModel *model)
{
    int k = 0;
    for (qsizetype i = 0; i < model->GetSubQueriesCount(); ++i) {
        TnvSubQuery *subQuery = model->GetSubQueries(i);
        for (qsizetype j = 0; j < subQuery->UnionSubQueriesCount(); ++j) {
            QList<TnvDatasource *> boxes;
            subQuery->UnionSubQueries(j)->FromGroup()->GetDatasources(boxes);
            for (TnvDatasource *box : std::as_const(boxes)) {
                box->SetLeft(10 + 37 * k);
                box->SetTop(20 + 11 * k);
                box->SetHeight(60 + 3 * k);
                box->SetWidth(120 + 5 * k);
                ++k;
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    long long count = 100000;
    unsigned seed = 1;
    bench::TCommandLine line(argc, argv, "nvqb-layout-fuzz", "[COUNT [SEED]]");
    for (int position = 0; line.Next(); ++position) {
        if (position == 0)
            count = line.PositionalNumber("COUNT", 1);
        else if (position == 1)
            seed = unsigned(line.PositionalNumber("SEED", 0, UINT_MAX));
        else
            line.Unexpected();
    }
    QCoreApplication app(argc, argv);

    TnvSQL92SyntaxProvider provider;
    TnvControlFactory factory;
    factory.RegisterControlClass(ControlClass::DataSourceControl,
                                 [](TnvQueryBuilderControlOwner *, int) { return new TBox; });
    TOwned<TnvQueryBuilderModel> model = Create<TnvQueryBuilderModel>();
    model->SetControlFactory(&factory);
    model->SetSyntaxProvider(&provider);
    TnvMetadataContainer *container = model->MetadataContainer();
    container->SetWorkOffline(true);
    AddTable(container, QStringLiteral("a"), {QStringLiteral("id"), QStringLiteral("x")});
    AddTable(container, QStringLiteral("b"), {QStringLiteral("id"), QStringLiteral("a_id"), QStringLiteral("y")});
    AddTable(container, QStringLiteral("c"), {QStringLiteral("id"), QStringLiteral("b_id")});
    model->CreateControls();

    QStringList layouts;
    for (const QString &sql : test::TLayoutMutator::Statements()) {
        TOwned<TSQLSelectStatement> statement = provider.ParseSelect(sql);
        model->PrepareStatement(statement.get());
        model->LoadStatement(std::move(statement));
        PlaceEvery(model.get());
        layouts.append(model->GetLayout());
    }

    test::TLayoutMutator mutator(seed);
    QElapsedTimer timer;
    timer.start();
    long long changed = 0;
    for (long long i = 0; i < count; ++i) {
        if (i % 1000 == 0) {
            model->DestroyControls();
            model->Clear();
            if (i % 2000 == 0)
                model->CreateControls();
        }
        const QString text = mutator.Mutate(layouts[mutator.Below(int(layouts.size()))]);
        const QString before = model->GetSQL();
        model->SetLayout(text);
        const QString sql = model->GetSQL();
        changed += sql != before;
        QString error;
        if (!sql.isEmpty()) {
            try {
                provider.ParseSelect(sql);
            } catch (const Exception &e) {
                error = QStringLiteral("the SQL does not parse again: ") + e.Message();
            }
        }
        if (error.isEmpty()) {
            model->SetLayout(model->GetLayout());
            if (model->GetSQL() != sql)
                error = QStringLiteral("its own layout loads to other SQL: ") + model->GetSQL();
        }
        if (!error.isEmpty()) {
            std::printf("case %lld (seed %u): %s\nSQL: %s\nlayout: %s\n", i, seed, qPrintable(error),
                        qPrintable(sql), qPrintable(text));
            return 1;
        }
    }
    std::printf("%lld cases (seed %u) in %.1f s, %lld changed the query\n", count, seed,
                double(timer.elapsed()) / 1000.0, changed);
    return 0;
}
