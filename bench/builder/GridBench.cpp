// nvqb-grid-bench: speed of the column grid as a user edits it.
//
//   nvqb-grid-bench [--rows N] [--runs N]
//
// A query builder shows the grid of a SELECT of N output columns (default
// 500) of one table w(f1 .. fN), offline, on the offscreen platform. Each run
// (default 25) clicks the "Criteria" cell of the middle row, types a new
// condition into the cell editor, presses Enter (the text reaches the row,
// the query is rebuilt and the grid refilled) and reads the SQL. The program
// prints the median and the worst run, and checks that the condition is in
// the SQL and that the editor stayed on its cell.
#include "../BenchCommandLine.h"
#include "BenchTiming.h"
#include "builder/controls/SelectListControl.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace nvqb;

int main(int argc, char **argv)
{
    int rows = 500, runs = 25;
    bench::TCommandLine line(argc, argv, "nvqb-grid-bench", "[--rows N >= 2] [--runs N]");
    while (line.Next()) {
        if (line.Is("--rows"))
            rows = int(line.Number(2, INT_MAX));
        else if (line.Is("--runs"))
            runs = int(line.Number(1, INT_MAX));
        else
            line.Unexpected();
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TnvSQL92SyntaxProvider provider;
    TnvControlFactory factory;
    RegisterSelectListControls(factory);
    TOwned<TnvQueryBuilderModel> model = Create<TnvQueryBuilderModel>();
    model->SetControlFactory(&factory);
    model->SetSyntaxProvider(&provider);
    TnvMetadataContainer *container = model->MetadataContainer();
    container->SetWorkOffline(true);
    TnvMetadataObject *table = container->AddTable(QString(), QStringLiteral("w"));
    QStringList items;
    for (int r = 1; r <= rows; ++r) {
        TOwned<TSQLQualifiedName> field = Create<TSQLQualifiedName>(&provider);
        field->AddName(QStringLiteral("f%1").arg(r), false);
        table->GetFields()->AddField(field.get(), ftInteger, 0, true, false);
        items.append(QStringLiteral("w.f%1").arg(r));
    }
    table->GetFields()->SetLoaded(true);
    TOwned<TSQLSelectStatement> statement =
        provider.ParseSelect(QStringLiteral("Select ") + items.join(QStringLiteral(", ")) + QStringLiteral(" From w"));
    model->PrepareStatement(statement.get());
    model->LoadStatement(std::move(statement));
    model->CreateControls();

    TnvSelectList *list = model->Query()->UnionSubQueries(0)->SelectList();
    auto *grid = dynamic_cast<TnvQueryBuilderSelectListControl *>(list->GetControls(0));
    if (!grid) {
        std::fputs("the grid was not created\n", stderr);
        return 1;
    }
    grid->resize(1000, 400);
    grid->show();
    if (!QTest::qWaitForWindowExposed(grid)) {
        std::fputs("the grid was not shown\n", stderr);
        return 1;
    }
    const int row = rows / 2;
    const QModelIndex cell = grid->model()->index(row, TnvSelectListGridModel::colCriteria);
    grid->scrollTo(cell);
    QCoreApplication::processEvents();

    std::vector<double> edit;
    QString sql;
    bool stayed = true;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        // The click lands in the editor once it stands on the cell: the
        // condition typed before is replaced.
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("> %1").arg(run));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        sql = model->GetSQL();
        // The repaint the edit asked for.
        QCoreApplication::processEvents();
        edit.push_back(bench::Ms(timer));
        stayed = stayed && grid->currentIndex() == cell && grid->IsEditorShown();
    }
    const QString expected = QStringLiteral("Where w.f%1 > %2").arg(row + 1).arg(runs - 1);
    const bool shows = sql.contains(expected);
    std::printf("%d rows, median of %d runs\n", rows, runs);
    std::printf("click a criteria cell, type, Enter, read the SQL and repaint: median %.3f ms, worst %.3f ms\n",
                bench::Median(edit), *std::max_element(edit.begin(), edit.end()));
    std::printf("SQL shows the edit: %s; editor stayed on its cell: %s\n", shows ? "yes" : "NO", stayed ? "yes" : "NO");
    return shows && stayed ? 0 : 1;
}
