#include "sql92/SQL92Scanner.h"
#include "sql92/SQL92Tokens.h"
#include "sqlmodel/parse/Parser.h"
#include "sqlmodel/parse/SQLError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace nvqb;
using namespace nvqb::SQL92;

namespace {

// A tiny grammar over the SQL-92 tokens:
//   list := item { "," item }
//   item := identifier | "(" list ")" | identifier   (the last alternative is
//           an ambiguous twin of the first, marked in the result with <>)
class TListParser : public TnvBaseParser {
public:
    using TnvBaseParser::TnvBaseParser;
    bool WithTwin = false;

    void ListWayCalc(TnvWayPointsList &list)
    {
        ItemWayCalc(list);
        TnvPooledWayPointsList done;
        while (!list.IsEmpty()) {
            TnvPooledWayPointsList repeat;
            ListAddWithWayNode(*repeat, list, 1);
            AddWayNode(list, 0);
            done->AddFrom(list);
            list.Clear();
            if (!CheckLAToken(*repeat, _COMMA))
                break;
            Expect(*repeat, _COMMA);
            ItemWayCalc(*repeat);
            list.MoveFrom(*repeat);
        }
        list.MoveFrom(*done);
    }

    void ItemWayCalc(TnvWayPointsList &list)
    {
        TnvPooledWayPointsList bracket, twin;
        ListAddWithWayNode(*bracket, list, 2);
        if (WithTwin)
            ListAddWithWayNode(*twin, list, 3);
        AddWayNode(list, 1);
        Expect(list, _NonQuotedIdentifier);
        if (CheckLAToken(*bracket, _LPAREN)) {
            Expect(*bracket, _LPAREN);
            EnterNesting(*bracket);
            ListWayCalc(*bracket);
            LeaveNesting();
            Expect(*bracket, _RPAREN);
        }
        Expect(*twin, _NonQuotedIdentifier);
        list.AddFrom(*bracket);
        list.AddFrom(*twin);
    }

    QString List()
    {
        QString s = Item();
        while (GetWayNode()->GetData() == 1) {
            Get();
            s += QLatin1Char(',') + Item();
        }
        return s;
    }

    QString Item()
    {
        switch (GetWayNode()->GetData()) {
        case 1:
            return Get()->Text;
        case 3:
            return QLatin1Char('<') + Get()->Text + QLatin1Char('>');
        default: {
            Get();
            EnterNesting();
            QString s = QLatin1Char('[') + List() + QLatin1Char(']');
            LeaveNesting();
            Get();
            return s;
        }
        }
    }
};

// The parse driver as the provider's raising entries run it.
QString ParseList(const QString &text, bool twin = false)
{
    SQL92Scanner scanner;
    scanner.Init(text);
    TListParser parser(&scanner, nullptr);
    parser.WithTwin = twin;
    if (!parser.CalcWay([&](TnvWayPointsList &list) { parser.ListWayCalc(list); }))
        throw EnvSQLError(QStringLiteral("Invalid list."), *scanner.GetToken(parser.GetBadToken()));
    return parser.List();
}

bool PoolsAreFull()
{
    return WayPointCache().FreeCount() == WayPointCache().TotalCount() &&
           WayPointListCache().FreeCount() == WayPointListCache().TotalCount();
}

} // namespace

TEST(WayPoints, ReferenceCountsAndPoolReturn)
{
    TnvQBWayPointsCache &cache = WayPointCache();
    TnvWayPoint *root = cache.Get(nullptr, 0);
    root->_AddRef();
    EXPECT_EQ(root->TokenIndex(), -1);
    TnvWayPoint *child = cache.Get(root, 4);
    EXPECT_EQ(root->RefCount(), 2);
    EXPECT_EQ(child->RefCount(), 0);
    child->_AddRef();
    EXPECT_EQ(child->NextToken(), 0);
    TnvWayPoint *grandchild = cache.Get(child, 2);
    grandchild->_AddRef();
    EXPECT_EQ(grandchild->TokenIndex(), 0);
    EXPECT_EQ(grandchild->GetDepth(), 3);
    EXPECT_EQ(TnvBaseParser::UnrollWayStr(grandchild), QStringLiteral("042"));

    // Releasing the leaf of a path nobody else holds pools the whole path
    // except what is still referenced.
    child->_Release();
    EXPECT_EQ(child->RefCount(), 1);
    grandchild->_Release();
    EXPECT_EQ(root->RefCount(), 1);
    root->_Release();
    EXPECT_TRUE(PoolsAreFull());
    EXPECT_THROW(root->_Release(), EAssertionFailed);
}

TEST(WayPoints, ListsCountTheirReferences)
{
    TnvQBWayPointsCache &cache = WayPointCache();
    {
        TnvPooledWayPointsList a, b;
        TnvWayPoint *w1 = cache.Get(nullptr, 1);
        TnvWayPoint *w2 = cache.Get(nullptr, 2);
        a->Add(w1);
        a->Add(w2);
        b->CopyFrom(*a);
        EXPECT_EQ(w1->RefCount(), 2);
        b->AddFrom(*a);
        EXPECT_EQ(b->Count(), 4);
        EXPECT_EQ(w2->RefCount(), 3);
        TnvPooledWayPointsList c;
        c->MoveFrom(*b);
        EXPECT_TRUE(b->IsEmpty());
        EXPECT_EQ(w2->RefCount(), 3);
        c->Delete(0);
        EXPECT_EQ(w1->RefCount(), 2);
        EXPECT_THROW(c->Delete(7), EListError);
    }
    EXPECT_TRUE(PoolsAreFull());
}

TEST(WayPointParser, BuildsAlongTheWinningPath)
{
    EXPECT_EQ(ParseList(QStringLiteral("a")), QStringLiteral("a"));
    EXPECT_EQ(ParseList(QStringLiteral("a, (b, (c)), d")), QStringLiteral("a,[b,[c]],d"));
    EXPECT_TRUE(PoolsAreFull());
    // Two paths reach the end: the first in the list is built.
    EXPECT_EQ(ParseList(QStringLiteral("a, b"), true), QStringLiteral("a,b"));
    EXPECT_TRUE(PoolsAreFull());
}

TEST(WayPointParser, ErrorNamesTheFirstTokenNoPathTook)
{
    struct {
        const char *Text;
        const char *Token;
        int Line, Column;
    } cases[] = {
        {"a, b c", "c", 1, 6},
        {"a,\r\n  (b", "EOF", 2, 5},
        {"", "EOF", 1, 1},
        // Not even the first token fits: the error names it, not the next one.
        {"1, a", "1", 1, 1},
        {"(a)) b", ")", 1, 4},
    };
    for (const auto &c : cases) {
        try {
            ParseList(QString::fromLatin1(c.Text));
            ADD_FAILURE() << c.Text;
        } catch (const EnvSQLError &e) {
            EXPECT_EQ(e.TokenText(), QString::fromLatin1(c.Token)) << c.Text;
            EXPECT_EQ(e.TokenLine(), c.Line) << c.Text;
            EXPECT_EQ(e.TokenColumn(), c.Column) << c.Text;
        }
        EXPECT_TRUE(PoolsAreFull()) << c.Text;
    }
}

TEST(WayPointParser, ErrorMessageFormatsOnlyItsTemplate)
{
    try {
        ParseList(QStringLiteral("a, b c"));
        FAIL();
    } catch (const EnvSQLError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid list.\r\n Unexpected token \"c\" at line 1, pos 6"));
    }
    SQL92Scanner scanner;
    scanner.Init(QString::fromUtf8("a 'zu 100% süß'"));
    EnvSQLError e(QStringLiteral("50% of %s %d"), *scanner.GetToken(1));
    EXPECT_EQ(e.Message(),
              QString::fromUtf8("50% of %s %d\r\n Unexpected token \"'zu 100% süß'\" at line 1, pos 3"));
    EXPECT_EQ(e.TokenOffset(), 2);
    EXPECT_EQ(e.TokenText(), QString::fromUtf8("'zu 100% süß'"));
}

TEST(WayPointParser, NestingBeyondTheLimitIsRefusedAtItsToken)
{
    const int depth = TnvBaseParser::MaxNestingDepth;
    QString ok = QString(depth, u'(') + QStringLiteral("a") + QString(depth, u')');
    EXPECT_EQ(ParseList(ok).size(), 1 + 2 * depth);
    QString deep = QString(depth + 50, u'(') + QStringLiteral("a") + QString(depth + 50, u')');
    try {
        ParseList(deep);
        FAIL();
    } catch (const EnvSQLError &e) {
        EXPECT_EQ(e.TokenText(), QStringLiteral("("));
        EXPECT_EQ(e.TokenColumn(), depth + 1);
    }
    EXPECT_TRUE(PoolsAreFull());
}

TEST(WayPointParser, LookAheadFilters)
{
    SQL92Scanner scanner;
    scanner.Init(QStringLiteral("a , select"));
    TnvBaseParser parser(&scanner, nullptr);
    TnvPooledWayPointsList list;
    TnvQBWayPointsCache &cache = WayPointCache();
    for (int i = 0; i < 4; ++i)
        list->Add(cache.Get(nullptr, i));
    // Paths 0 and 2 stand before "a"; 1 and 3 have read it.
    list->Items(1)->NextToken();
    list->Items(3)->NextToken();
    EXPECT_TRUE(parser.CheckLAToken(*list, TnvTokenSet{_NonQuotedIdentifier, _SELECT}));
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Items(0)->GetData(), 0);
    EXPECT_EQ(list->Items(1)->GetData(), 2);
    parser.Expect(*list, _NonQuotedIdentifier);
    EXPECT_EQ(parser.FarthestToken(), 0);
    EXPECT_FALSE(parser.CheckLANotToken(*list, {_COMMA}));
    EXPECT_FALSE(parser.CheckLAToken(*list, _COMMA));
    EXPECT_TRUE(TnvBaseParser::IsIntInArray(5, {1, 5}));

    list->Add(cache.Get(nullptr, 9));
    list->Items(0)->NextToken();
    list->Items(0)->NextToken();
    TStringList words;
    words.Add("SELECT");
    EXPECT_FALSE(parser.CheckLANotIn(*list, words));
}

TEST(WayPointParser, ThreadsParseWithPoolsOfTheirOwn)
{
    const QString text = QStringLiteral("a, (b, (c, d)), e, (f)");
    std::atomic<int> wrong{0};
    auto work = [&] {
        for (int i = 0; i < 300; ++i)
            if (ParseList(text) != QStringLiteral("a,[b,[c,d]],e,[f]"))
                ++wrong;
        if (!PoolsAreFull())
            ++wrong;
    };
    std::thread t1(work), t2(work), t3(work);
    t1.join();
    t2.join();
    t3.join();
    EXPECT_EQ(wrong.load(), 0);

    // Threads that parse one after the other, each ending before the next
    // begins (a later one may get the first's thread block): none reaches
    // the pools of one that ended, and this thread keeps its own.
    const qsizetype mine = WayPointCache().TotalCount();
    for (int round = 0; round < 3; ++round) {
        qsizetype made = -1;
        std::thread([&] {
            made = WayPointCache().TotalCount();
            work();
        }).join();
        EXPECT_EQ(made, 0);
    }
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(ParseList(text), QStringLiteral("a,[b,[c,d]],e,[f]"));
    EXPECT_TRUE(PoolsAreFull());
    if (mine > 0) {
        EXPECT_EQ(WayPointCache().TotalCount(), mine);
    }
}
