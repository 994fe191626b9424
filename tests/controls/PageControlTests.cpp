// The pages of the query builder: one tab per sub-query, one union page per
// union part with the diagram over the columns pane, the current sub-query
// following the tab shown.
#include "ControlsTestSupport.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QTabBar>

namespace nvqb::test {

TEST_F(ControlsTest, ShownQueryBuilderHasAPageWithItsDiagram)
{
    SetSQL(QStringLiteral("SELECT 1"));
    ASSERT_NE(QueryPage(), nullptr);
    ASSERT_NE(WorkArea(), nullptr);
    EXPECT_EQ(Pages()->count(), 1);
    EXPECT_TRUE(UnionPage()->isVisible());
}

} // namespace nvqb::test
