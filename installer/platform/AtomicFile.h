#pragma once
// Writing a file so that a crash never leaves it half written: the data goes to
// a temporary file in the same folder, which then replaces the file by rename.
// Readers see either the old content or the new one, never a mix.
#include <QByteArray>
#include <QString>

namespace nvqb {

// Creates the folder when missing; raises EOSError naming the file on failure,
// leaving the old file as it was. The temporary file is the file's name
// followed by "." and six letters or digits, and it is locked (flock) from
// before anyone else can take it until it is in place. The stale temporary
// files of earlier writes of the file go first (RemoveStaleTemporaryFiles).
void WriteFileAtomically(const QString &fileName, const QByteArray &data);

// Removes the temporary files of WriteFileAtomically for this file that a
// writer killed in the middle of its write left behind: those that no living
// writer holds locked, never one that a writer has just made and is about to
// lock. Returns how many were removed; what cannot be removed stays, quietly.
int RemoveStaleTemporaryFiles(const QString &fileName);

// Whether the file has temporary files beside it, stale or not.
bool HasTemporaryFiles(const QString &fileName);

} // namespace nvqb
