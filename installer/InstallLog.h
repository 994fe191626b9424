#pragma once
// The install log's line sink and its way of logging a list.
#include <QString>
#include <QStringList>

#include <functional>

namespace nvqb {

using TLogProc = std::function<void(const QString &line)>;

// "=== Begin of " + title, one line per entry, "=== End of " + title.
void LogList(const TLogProc &log, const QString &title, const QStringList &lines);

} // namespace nvqb
