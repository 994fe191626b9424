// nvqb-pg-roundtrip: the yardstick of the parser benchmark. The same
// statements, one per line, through libpg_query: parse to its protobuf
// tree, then deparse back to text.
//
//   nvqb-pg-roundtrip [--time | --check | --repeat N] file
//
// --time prints "N stmts/s X MB/s" like nvqb-roundtrip --time; --check
// prints "parsed N failed N"; --repeat N prints the time of N runs in a row
// like nvqb-roundtrip --repeat N.
#include "../BenchCommandLine.h"

#include <pg_query.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool RoundTrip(const std::string &text)
{
    PgQueryProtobufParseResult parsed = pg_query_parse_protobuf(text.c_str());
    bool ok = parsed.error == nullptr;
    if (ok) {
        PgQueryDeparseResult deparsed = pg_query_deparse_protobuf(parsed.parse_tree);
        ok = deparsed.error == nullptr;
        pg_query_free_deparse_result(deparsed);
    }
    pg_query_free_protobuf_parse_result(parsed);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    bool time = false;
    int repeat = 0;
    const char *path = nullptr;
    nvqb::bench::TCommandLine line(argc, argv, "nvqb-pg-roundtrip", "[--time | --check | --repeat N] FILE");
    while (line.Next()) {
        if (line.Is("--repeat"))
            repeat = int(line.Number(1, INT_MAX));
        else if (line.Is("--time"))
            time = true;
        else if (line.Is("--check"))
            time = false;
        else if (!path)
            path = line.Positional();
        else
            line.Unexpected();
    }
    if (!path)
        line.Refuse("A FILE of statements is needed.");
    std::ifstream in(path);
    std::vector<std::string> statements;
    std::size_t bytes = 0;
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        bytes += line.size();
        statements.push_back(line);
    }
    if (statements.empty())
        return 2;
    using Clock = std::chrono::steady_clock;
    if (repeat > 0) {
        double first = 0, last = 0;
        for (int i = 0; i < repeat; ++i) {
            const Clock::time_point start = Clock::now();
            for (const std::string &s : statements)
                RoundTrip(s);
            last = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (i == 0)
                first = last;
            std::printf("%s%.1f", i ? " " : "", last);
        }
        std::printf("\nfirst %.1f ms last %.1f ms ratio %.2f\n", first, last, last / first);
        pg_query_exit();
        return 0;
    }
    if (!time) {
        std::size_t parsed = 0;
        for (const std::string &s : statements)
            parsed += RoundTrip(s);
        std::printf("parsed %zu failed %zu\n", parsed, statements.size() - parsed);
        return 0;
    }
    const Clock::time_point start = Clock::now();
    long rounds = 0;
    double seconds = 0;
    do {
        for (const std::string &s : statements)
            RoundTrip(s);
        ++rounds;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < 2.0);
    const double perSecond = double(rounds) * double(statements.size()) / seconds;
    const double megabytes = double(rounds) * double(bytes) / 1e6 / seconds;
    // Slow statements keep their fraction, as with nvqb-roundtrip --time.
    std::printf("%.*f stmts/s %.*f MB/s\n", perSecond < 1000 ? 3 : 0, perSecond, megabytes < 1 ? 6 : 2, megabytes);
    pg_query_exit();
    return 0;
}
