#pragma once
// A run of the meaning checks: statements and sessions of one seed, counted,
// with the first differences kept for the report. Each difference carries
// the fault item whose shape it has (see FaultShapes.h), so a run can tell
// the faults known to be open from new ones.
#include "StatementGenerator.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace nvqb::meaning {

class TMeaningDatabase;

struct TCounts {
    qint64 Total = 0, Executed = 0, Same = 0, Different = 0;
};

struct TDifference {
    bool Session = false;
    quint64 Index = 0;
    // The fault items whose shape the difference has; empty for none.
    QList<int> Items;
    // The statement the run generated (the session's start).
    QString Statement;
    QString Report;
};

class TMeaningRun {
public:
    TMeaningRun(const TMeaningDatabase &database, quint64 seed) : FDatabase(database), FSeed(seed) {}

    // What the statements and the sessions' statements hold besides the
    // shapes of every series.
    TGeneratorOptions Options;

    // Statements and sessions First .. First + Count - 1 of the seed.
    void Statements(quint64 first, quint64 count);
    void Sessions(quint64 first, quint64 count);

    TCounts StatementCounts, SessionCounts;
    // Steps done in sessions (their loads included), and those whose rows
    // were compared; statements whose order was checked besides their rows.
    qint64 SessionSteps = 0, ComparedSteps = 0, OrderChecked = 0;
    // Every difference's items, in order; the first Keep ones in full.
    QList<QList<int>> Items;
    QList<TDifference> Differences;
    int Keep = 20;
    // Keep only the differences of no known shape.
    bool KeepUnknownOnly = false;
    // Keep only the differences with this item's shape (0: any).
    int KeepItem = 0;

    // "statements N, executed N, same N, different N" and the sessions'
    // line, as the bench tool prints them.
    QString Summary() const;
    // How many differences have each item's shape, "item 1: 3, item 4: 1,
    // new: 2" (new: no known shape).
    QString ItemSummary() const;
    // The kept differences with what replays each.
    QString Report(int count) const;

private:
    // Counts a difference and keeps it while fewer than Keep are kept.
    void Add(bool session, quint64 index, const QString &statement, const QList<int> &items,
             const std::function<QString()> &report);

    const TMeaningDatabase &FDatabase;
    quint64 FSeed;
};

} // namespace nvqb::meaning
