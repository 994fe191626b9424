#pragma once
// The IDEs' folder lists (search, browsing, debug paths), kept in the registry
// and option files as one text with ";" between the folders.
#include <QString>
#include <QStringList>

namespace nvqb {

// Splits at ";": each piece is trimmed, a surrounding pair of double quotes
// removed, trimmed again and a trailing "/" removed; empty pieces stay. An
// empty text is an empty list.
QStringList SplitPathList(const QString &value);
// Puts ";" between the pieces.
QString JoinPathList(const QStringList &paths);

} // namespace nvqb
