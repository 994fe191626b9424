#include "MeaningRun.h"

#include "EditSession.h"
#include "FaultShapes.h"
#include "MeaningDatabase.h"
#include "StatementCheck.h"
#include "StatementGenerator.h"

#include <QMap>

namespace nvqb::meaning {

namespace {

// Counts the outcome (both kinds of outcome list not executed, same and
// different in that order); true when it differs.
template <class TOutcome> bool Tally(TCounts &counts, const TOutcome &outcome)
{
    ++counts.Total;
    if (outcome.Kind == TOutcome::NotExecuted)
        return false;
    ++counts.Executed;
    ++(outcome.Kind == TOutcome::Same ? counts.Same : counts.Different);
    return outcome.Kind == TOutcome::Different;
}

} // namespace

void TMeaningRun::Statements(quint64 first, quint64 count)
{
    for (quint64 index = first; index < first + count; ++index) {
        const TStatementOutcome outcome =
            CheckStatement(FDatabase, GenerateStatement(FSeed, index, TStatementShape::Any, Options));
        OrderChecked += outcome.OrderChecked ? 1 : 0;
        if (Tally(StatementCounts, outcome))
            Add(false, index, outcome.Input, FaultItemsOf(outcome), [&] { return DescribeOutcome(outcome); });
    }
}

void TMeaningRun::Sessions(quint64 first, quint64 count)
{
    for (quint64 index = first; index < first + count; ++index) {
        const TSessionOutcome outcome = RunSession(FDatabase, FSeed, index, Options);
        SessionSteps += outcome.Steps.size();
        ComparedSteps += outcome.Compared;
        if (Tally(SessionCounts, outcome))
            Add(true, index, outcome.Start, FaultItemsOf(outcome), [&] { return DescribeSession(outcome); });
    }
}

void TMeaningRun::Add(bool session, quint64 index, const QString &statement, const QList<int> &items,
                      const std::function<QString()> &report)
{
    Items.append(items);
    if (Differences.size() < Keep && !(KeepUnknownOnly && !items.isEmpty()) &&
        (KeepItem == 0 || items.contains(KeepItem)))
        Differences.append(TDifference{session, index, items, statement, report()});
}

QString TMeaningRun::Summary() const
{
    auto line = [](const char *what, const TCounts &counts) {
        return QStringLiteral("%1 %2, executed %3, same %4, different %5")
            .arg(QString::fromLatin1(what))
            .arg(counts.Total)
            .arg(counts.Executed)
            .arg(counts.Same)
            .arg(counts.Different);
    };
    return line("statements", StatementCounts) + u'\n' + line("sessions", SessionCounts);
}

QString TMeaningRun::ItemSummary() const
{
    QMap<int, int> counts;
    for (const QList<int> &items : Items) {
        if (items.isEmpty())
            ++counts[0];
        for (int item : items)
            ++counts[item];
    }
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.key() != 0)
            parts.append(QStringLiteral("%1 %2: %3")
                             .arg(it.key() > 100 ? QStringLiteral("new") : QStringLiteral("item"))
                             .arg(it.key())
                             .arg(it.value()));
    if (counts.value(0))
        parts.append(QStringLiteral("unknown: %1").arg(counts.value(0)));
    return parts.join(QStringLiteral(", "));
}

namespace {

QString ItemsText(const QList<int> &items)
{
    if (items.isEmpty())
        return QStringLiteral("no known item");
    QStringList numbers;
    for (int item : items)
        numbers.append((item > 100 ? QStringLiteral("new class ") : QStringLiteral("item ")) + QString::number(item));
    return QStringLiteral("shape of ") + numbers.join(QStringLiteral(", "));
}

} // namespace

QString TMeaningRun::Report(int count) const
{
    QString text;
    for (qsizetype i = 0; i < Differences.size() && i < count; ++i) {
        const TDifference &difference = Differences[i];
        text += QStringLiteral("%1 %2 (replay: --seed %3 --only %2%4%5), %6\n")
                    .arg(difference.Session ? QStringLiteral("session") : QStringLiteral("statement"))
                    .arg(difference.Index)
                    .arg(FSeed)
                    .arg(difference.Session ? QStringLiteral(" --statements 0") : QStringLiteral(" --sessions 0"))
                    .arg(Options.SubQueries ? QStringLiteral(" --subqueries") : QString())
                    .arg(ItemsText(difference.Items));
        text += difference.Report + u'\n';
    }
    return text;
}

} // namespace nvqb::meaning
