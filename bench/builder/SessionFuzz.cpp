// nvqb-session-fuzz: sessions of random user actions on the query builder.
//
//   nvqb-session-fuzz [--sessions N] [--actions N] [--seed S]
//
// Runs N sessions (default 20) of N actions each (default 1,000) on the shown
// control, offscreen, the session k from seed S + k (default S: 1): typed
// grid cells, output check boxes, row menus and drags, fields dropped on the
// grid, tables dragged from the metadata tree, boxes moved, checked, linked,
// deleted and minimised, the link and data-source dialogs, the union bar and
// the tabs. After each action the SQL must parse and read back to the same
// text, every grid must show its select list and every diagram its data
// sources and links (tests/controls/RandomSession.h). A failing session
// prints its seed and its actions. The program prints the sessions that passed and the time they took, and exits
// with 1 when one failed.
#include "../BenchCommandLine.h"
#include "RandomSession.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

namespace {

using nvqb::test::RandomSession;
using nvqb::test::TSessionOptions;

class TBenchSession : public RandomSession {
public:
    explicit TBenchSession(const TSessionOptions &options) : FOptions(options) {}
    void TestBody() override { RunSession(FOptions); }

private:
    TSessionOptions FOptions;
};

} // namespace

int main(int argc, char **argv)
{
    int sessions = 20, actions = 1000;
    quint32 seed = 1;
    nvqb::bench::TCommandLine line(argc, argv, "nvqb-session-fuzz", "[--sessions N] [--actions N] [--seed S]");
    while (line.Next()) {
        if (line.Is("--sessions"))
            sessions = int(line.Number(1, INT_MAX));
        else if (line.Is("--actions"))
            actions = int(line.Number(1, INT_MAX));
        else if (line.Is("--seed"))
            seed = quint32(line.Number(0, UINT_MAX));
        else
            line.Unexpected();
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // GoogleTest reads no option of this program.
    int testArgc = 1;
    ::testing::InitGoogleTest(&testArgc, argv);
    for (int k = 0; k < sessions; ++k) {
        const TSessionOptions options{seed + quint32(k), actions};
        const std::string name = "Seed" + std::to_string(options.Seed);
        ::testing::RegisterTest("RandomSession", name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
                                [options]() -> RandomSession * { return new TBenchSession(options); });
    }
    QElapsedTimer timer;
    timer.start();
    const int result = RUN_ALL_TESTS();
    const ::testing::UnitTest *unit = ::testing::UnitTest::GetInstance();
    std::printf("%d of %d sessions of %d actions (seeds %u to %u) passed in %.1f s\n",
                unit->successful_test_count(), sessions, actions, seed, seed + quint32(sessions) - 1,
                double(timer.elapsed()) / 1000.0);
    return result == 0 ? 0 : 1;
}
