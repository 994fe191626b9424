#pragma once
// The bench tools' command lines, read before any application object exists,
// so that help and a bad option need no display. --help (or -h) prints the
// usage and ends the run with 0; an option the tool does not know, an option
// without its value, a value that is not a whole number where one is wanted
// and an argument too many end it with exit code 2, the reason and the usage
// on standard error, as the demo does. Plain C++: the libpg_query yardstick
// links no Qt.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace nvqb::bench {

class TCommandLine {
public:
    // Usage: what follows "Usage: PROGRAM " (further lines may follow a "\n").
    TCommandLine(int argc, char **argv, const char *program, const char *usage)
        : FArgc(argc), FArgv(argv), FProgram(program), FUsage(usage)
    {
    }

    // Moves to the next argument; false after the last one.
    bool Next()
    {
        if (++FIndex >= FArgc)
            return false;
        if (Is("--help") || Is("-h")) {
            std::printf("%s", UsageText().c_str());
            std::exit(0);
        }
        return true;
    }
    const char *Current() const { return FArgv[FIndex]; }
    bool Is(const char *option) const { return std::strcmp(Current(), option) == 0; }

    // The argument after the current option, as its value.
    const char *Value()
    {
        const char *option = Current();
        if (FIndex + 1 >= FArgc)
            Refuse(std::string("Missing value after '") + option + "'.");
        return FArgv[++FIndex];
    }
    // The value as a whole number within the bounds.
    long long Number(long long least = LLONG_MIN, long long most = LLONG_MAX)
    {
        const std::string option = Current();
        return ToNumber(Value(), option, least, most);
    }
    // The value as a comma-separated list of whole numbers within the bounds.
    std::vector<long long> NumberList(long long least = LLONG_MIN, long long most = LLONG_MAX)
    {
        const std::string option = Current();
        const std::string text = Value();
        std::vector<long long> numbers;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = text.find(',', start);
            const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            if (!part.empty())
                numbers.push_back(ToNumber(part.c_str(), option, least, most));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        if (numbers.empty())
            Refuse("'" + option + "' needs at least one number.");
        return numbers;
    }
    // The same in a list of the caller's kind (QList<int>, std::vector<int>).
    template <class List> List Numbers(long long least = INT_MIN, long long most = INT_MAX)
    {
        List list;
        for (const long long n : NumberList(least, most))
            list.push_back(typename List::value_type(n));
        return list;
    }
    // The current argument as a positional one; an option is refused.
    const char *Positional()
    {
        if (Current()[0] == '-' && Current()[1] != '\0')
            Unexpected();
        return Current();
    }
    long long PositionalNumber(const char *what, long long least = LLONG_MIN, long long most = LLONG_MAX)
    {
        return ToNumber(Positional(), what, least, most);
    }

    // Refuses the current argument: an option the tool does not know, or an
    // argument where it takes no more.
    [[noreturn]] void Unexpected() const
    {
        if (Current()[0] == '-' && Current()[1] != '\0')
            Refuse(std::string("Unknown option '") + (Current() + (Current()[1] == '-' ? 2 : 1)) + "'.");
        Refuse(std::string("Unexpected argument: ") + Current());
    }
    [[noreturn]] void Refuse(const std::string &reason) const
    {
        std::fprintf(stderr, "%s: %s\n\n%s", FProgram, reason.c_str(), UsageText().c_str());
        std::exit(2);
    }

    std::string UsageText() const
    {
        std::string text = std::string("Usage: ") + FProgram + " " + FUsage;
        if (text.back() != '\n')
            text += '\n';
        return text;
    }

private:
    long long ToNumber(const char *text, const std::string &what, long long least, long long most) const
    {
        errno = 0;
        char *end = nullptr;
        const long long value = std::strtoll(text, &end, 10);
        if (errno != 0 || end == text || *end != '\0')
            Refuse("'" + what + "' needs a whole number, not '" + text + "'.");
        if (value < least || value > most) {
            std::string range = least == LLONG_MIN ? "at most " + std::to_string(most)
                                : most == LLONG_MAX ? "at least " + std::to_string(least)
                                                    : std::to_string(least) + " to " + std::to_string(most);
            Refuse("'" + what + "' needs a number " + range + ", not " + text + ".");
        }
        return value;
    }

    int FArgc;
    char **FArgv;
    const char *FProgram;
    const char *FUsage;
    int FIndex = 0;
};

} // namespace nvqb::bench
