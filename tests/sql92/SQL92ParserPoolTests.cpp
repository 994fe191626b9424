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
    TnvWayPoint *first = cache.Get(nullptr, 0);
    first->_AddRef();
    first->_Release();
    for (const QString &text : {QStringLiteral("SELECT a, b FROM t WHERE a = 1 OR b IN (1, 2)"), InList(500)}) {
        provider.ParseSelect(text);
        // Whatever order the parse gave its way points back in.
        TnvWayPoint *again = cache.Get(nullptr, 0);
        again->_AddRef();
        EXPECT_EQ(again, first);
        again->_Release();
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
