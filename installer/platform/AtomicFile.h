#pragma once
// Writing a file so that a crash never leaves it half written: the data goes to
// a temporary file in the same folder, which then replaces the file by rename.
// Readers see either the old content or the new one, never a mix.
#include <QByteArray>
#include <QString>

namespace nvqb {

// Creates the folder when missing; raises EOSError naming the file on failure,
// leaving the old file as it was.
void WriteFileAtomically(const QString &fileName, const QByteArray &data);

} // namespace nvqb
