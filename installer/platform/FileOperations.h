#pragma once
// File and folder operations of the install and uninstall runs. Each failing
// operation returns false with errno set, so that the caller can name the
// file and raise the system's error (RaiseLastOSError) as the runs do.
// Symbolic links are never followed into: a link is removed or copied as a
// link's target file only where said.
#include <QString>
#include <QStringList>

namespace nvqb {

// Deletes a file or a symbolic link (never a folder).
bool DeleteFile(const QString &fileName);
// Copies the file's content over the destination (replacing a file there),
// with the source's permission bits.
bool CopyFile(const QString &source, const QString &destination);
// Creates the folder with every missing parent.
bool ForceDirectories(const QString &folder);
// Removes the folder when it is empty.
bool RemoveDir(const QString &folder);
// Deletes the folder with everything in it. A symbolic link (to a folder or
// not) inside the tree, or the folder itself when it is a link, is removed
// as a link; what it points to is left alone. True when nothing is left.
bool DeleteTree(const QString &folder);

// The files in the folder (with recursive, in its subfolders too, not
// through links) whose names end with one of the extensions (".dcu"),
// compared without regard to case; sorted.
QStringList FindFiles(const QString &folder, const QStringList &extensions, bool recursive);

// True when both paths name the same existing folder (links resolved).
bool SameFolder(const QString &a, const QString &b);

} // namespace nvqb
