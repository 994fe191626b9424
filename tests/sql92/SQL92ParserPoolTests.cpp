// The way-point pool across parses: every parse finds its way points in the
// same order, and a huge statement does not keep its first pass's memory.
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <gtest/gtest.h>

using namespace nvqb;

namespace {

QString InList(int values)
{
    QString text = QStringLiteral("SELECT a FROM t WHERE a IN (0");
    for (int i = 1; i < values; ++i)
        text += QStringLiteral(", ") + QString::number(i * 7919 % 1000003);
    return text + u')';
}

} // namespace

TEST(SQL92ParserPools, EveryParseStartsFromTheSameWayPoints)
{
    TnvSQL92SyntaxProvider provider;
    TnvQBWayPointsCache &cache = WayPointCache();
    // The way points a parse starts with: the same ones, side by side,
    // whatever order the parse before gave its way points back in.
    auto take = [&] {
        std::vector<TnvWayPoint *> taken;
        for (int i = 0; i < 8; ++i) {
            taken.push_back(cache.Get(i ? taken.back() : nullptr, 0));
            taken.back()->_AddRef();
            if (i)
                taken[size_t(i) - 1]->_Release();
        }
        taken.back()->_Release();
        return taken;
    };
    const std::vector<TnvWayPoint *> first = take();
    for (int i = 1; i < 8; ++i)
        EXPECT_EQ(first[size_t(i)], first[0] + i);
    for (const QString &text : {QStringLiteral("SELECT a, b FROM t WHERE a = 1 OR b IN (1, 2)"), InList(500)}) {
        provider.ParseSelect(text);
        EXPECT_EQ(take(), first) << text.left(60).toStdString();
    }
    EXPECT_EQ(cache.FreeCount(), cache.TotalCount());
}

TEST(SQL92ParserPools, HugeStatementsGiveTheirWayPointsBack)
{
    TnvSQL92SyntaxProvider provider;
    const qsizetype kept = qsizetype(TnvQBWayPointsCache::KeptSlabs) * TnvQBWayPointsCache::SlabSize;
    // Some hundred thousand way points on the winning path alone.
    TOwned<TSQLSelectStatement> statement = provider.ParseSelect(InList(30000));
    ASSERT_TRUE(statement);
    EXPECT_LE(WayPointCache().TotalCount(), kept);
    EXPECT_EQ(WayPointCache().FreeCount(), WayPointCache().TotalCount());
    EXPECT_EQ(WayPointListCache().FreeCount(), WayPointListCache().TotalCount());
    // An ordinary statement after it still parses from the kept way points.
    provider.ParseSelect(QStringLiteral("SELECT a FROM t"));
    EXPECT_LE(WayPointCache().TotalCount(), kept);
}
