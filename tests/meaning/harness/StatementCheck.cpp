#include "StatementCheck.h"

#include "MeaningDatabase.h"
#include "MeaningModel.h"
#include "StatementText.h"

#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb::meaning {

TStatementOutcome CheckStatement(const TMeaningDatabase &database, const QString &sql)
{
    TStatementOutcome outcome;
    outcome.Input = sql;
    TMeaningModel model(database.MetadataXML());
    QList<TSortKey> keys;
    try {
        keys = SortKeysOf(model.Ansi()->ParseSelect(sql).get());
    } catch (...) {
        outcome.Kind = TStatementOutcome::Different;
        outcome.Why = QStringLiteral("the SQL-92 parser refuses the statement: ") + CurrentExceptionMessage();
        return outcome;
    }
    outcome.Before = database.Run(SQLiteText(model.Ansi(), sql));
    if (!outcome.Before.Ok)
        return outcome;

    outcome.Kind = TStatementOutcome::Different;
    try {
        outcome.Printed = model.Load(sql);
    } catch (...) {
        outcome.Why = QStringLiteral("the model raised while loading: ") + CurrentExceptionMessage();
        return outcome;
    }
    try {
        TMeaningModel fresh(database.MetadataXML());
        outcome.Reprinted = fresh.Load(outcome.Printed);
    } catch (...) {
        outcome.Why = QStringLiteral("the model's SQL does not load again: ") + CurrentExceptionMessage();
        return outcome;
    }
    outcome.After = database.Run(SQLiteText(model.Ansi(), outcome.Printed));
    const TComparison comparison = CompareResults(outcome.Before, outcome.After, keys);
    outcome.OrderChecked = comparison.OrderChecked;
    if (!comparison.Same) {
        outcome.Why = comparison.Why;
        return outcome;
    }
    if (outcome.Reprinted != outcome.Printed) {
        outcome.Why = QStringLiteral("loaded again, the model's SQL prints differently");
        return outcome;
    }
    outcome.Kind = TStatementOutcome::Same;
    return outcome;
}

QString DescribeOutcome(const TStatementOutcome &outcome)
{
    QString text = QStringLiteral("  why:      %1\n  before:   %2\n  after:    %3\n").arg(outcome.Why, outcome.Input,
                                                                                         outcome.Printed);
    if (!outcome.Reprinted.isEmpty() && outcome.Reprinted != outcome.Printed)
        text += QStringLiteral("  again:    %1\n").arg(outcome.Reprinted);
    auto indented = [](const QString &result) {
        QString lines = result;
        return lines.replace(u'\n', QStringLiteral("\n            "));
    };
    text += QStringLiteral("  result before: %1\n").arg(indented(FormatResult(outcome.Before)));
    if (outcome.After.Ok || !outcome.After.Error.isEmpty())
        text += QStringLiteral("  result after:  %1\n").arg(indented(FormatResult(outcome.After)));
    return text;
}

} // namespace nvqb::meaning
