// A few short sessions of random user actions on the shown query builder,
// with fixed seeds; build/bench/nvqb-session-fuzz runs any number of longer
// ones.
#include "RandomSession.h"

namespace nvqb::test {

TEST_F(RandomSession, ShortSessionsKeepTheQueryTheGridsAndTheDiagramsInStep)
{
    for (const quint32 seed : {1u, 2u, 3u}) {
        RunSession({seed, 120});
        if (HasFailure())
            return;
    }
    // The sessions reached the grid, the diagram, the dialogs and the bar.
    for (const char *kind : {"type", "output", "row", "drop", "move", "check", "link", "source", "operator"})
        EXPECT_GE(Taken.value(QString::fromLatin1(kind)), 2) << kind;
}

} // namespace nvqb::test
