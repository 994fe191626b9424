#include "installer/unrar/UnrarCommandLine.h"

#include <algorithm>
#include <cctype>

namespace nvqb::unrar {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool IsFolderName(const std::string &text)
{
    return !text.empty() && (text.back() == '/' || text.back() == '\\');
}

} // namespace

bool ParseUnrarCommandLine(const std::vector<std::string> &arguments, TUnrarCommand &command, std::string &error)
{
    static const char *const accepted[] = {"-c-", "-cfg-", "-dh", "-idp", "-o+", "-r", "-y"};
    std::vector<std::string> words;
    for (const std::string &argument : arguments) {
        if (argument.size() > 1 && argument[0] == '-') {
            const std::string name = Lower(argument);
            if (std::find(std::begin(accepted), std::end(accepted), name) == std::end(accepted)) {
                error = "Unknown option: " + argument;
                return false;
            }
            continue;
        }
        if (!argument.empty())
            words.push_back(argument);
    }
    if (words.empty() || Lower(words[0]) != "x") {
        error = words.empty() ? std::string("No command given") : "Unknown command: " + words[0];
        return false;
    }
    if (words.size() < 2) {
        error = "No archive given";
        return false;
    }
    command = TUnrarCommand();
    command.Archive = words[1];
    size_t end = words.size();
    if (end > 2 && IsFolderName(words[end - 1])) {
        command.Destination = words[end - 1];
        // Only the last character marks the folder; a backslash before it
        // is a character of a name here, never a separator to follow: the
        // files go into the folder named, not into one its name leads to.
        command.Destination.back() = '/';
        --end;
    }
    command.Masks.assign(words.begin() + 2, words.begin() + std::ptrdiff_t(end));
    return true;
}

} // namespace nvqb::unrar
