#pragma once
// The path an archive entry may be extracted to. Archives made on Windows may
// separate folders with "\"; both separators count. An entry that would land
// outside the destination folder (an absolute path, a drive letter, a ".."
// level) is refused.
#include <optional>
#include <string>

namespace nvqb::unrar {

// The entry's path relative to the destination ("a/b/c.txt", without "."
// levels or doubled separators; empty for the destination itself, "./");
// nothing for a path that is empty, absolute, names a drive or has a ".."
// level.
std::optional<std::string> SafeEntryPath(const std::string &name);

// A symbolic link's target stays inside the destination: relative, and its
// ".." levels never climb above the folder the link stands in.
bool IsSafeLinkTarget(const std::string &linkPath, const std::string &target);

} // namespace nvqb::unrar
