#include "installer/unrar/EntryPath.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace nvqb::unrar {

namespace {

std::vector<std::string> Levels(std::string path)
{
    for (char &c : path)
        if (c == '\\')
            c = '/';
    std::vector<std::string> levels;
    std::stringstream stream(path);
    std::string level;
    while (std::getline(stream, level, '/'))
        if (!level.empty() && level != ".")
            levels.push_back(level);
    return levels;
}

bool IsAbsolute(const std::string &path)
{
    if (!path.empty() && (path[0] == '/' || path[0] == '\\'))
        return true;
    // "C:..." names a drive on the system the archive was made on.
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

} // namespace

std::optional<std::string> SafeEntryPath(const std::string &name)
{
    if (name.empty() || IsAbsolute(name))
        return std::nullopt;
    std::string result;
    for (const std::string &level : Levels(name)) {
        if (level == "..")
            return std::nullopt;
        if (!result.empty())
            result += '/';
        result += level;
    }
    return result;
}

bool IsSafeLinkTarget(const std::string &linkPath, const std::string &target)
{
    if (target.empty() || IsAbsolute(target))
        return false;
    // Depth of the folder the link stands in, below the destination.
    long depth = long(Levels(linkPath).size()) - 1;
    for (const std::string &level : Levels(target)) {
        depth += level == ".." ? -1 : 1;
        if (depth < 0)
            return false;
    }
    return true;
}

} // namespace nvqb::unrar
