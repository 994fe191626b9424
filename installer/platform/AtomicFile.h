#pragma once
// Writing a file so that a crash never leaves it half written: the data goes to
// a temporary file in the same folder, which then replaces the file by rename.
// Readers see either the old content or the new one, never a mix.
#include <QByteArray>
#include <QString>

#include <optional>

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

// Reads a file that WriteFileAtomically (in this program or another one) may
// replace meanwhile: the file is opened once and read to its end from there,
// so that the content is the old file's or the new one's, whole. Nothing
// (nullopt) when there is no file; raises EOSError naming the file when it
// cannot be read. There is no look whether the file exists before: a look
// made while another program puts its new file in place can find the file
// it replaces, which has no name any more, and take the file for missing.
std::optional<QByteArray> ReadWholeFile(const QString &fileName);

// The content of an open file from its start to its end, whatever its
// position; raises EOSError naming fileName when it cannot be read.
QByteArray ReadOpenFile(int handle, const QString &fileName);

// Whether the file has temporary files beside it, stale or not.
bool HasTemporaryFiles(const QString &fileName);

} // namespace nvqb
