// Statements with operator chains tens of thousands of operands long. A chain
// a + a + ... + a is a tree as deep as it is long, so every walk over it
// (parsing, printing, copying, assigning, binding, statistics, changing the
// provider, the condition rewrites, freeing) must get through without taking
// stack per operand; the deepest nesting the parser accepts must fit the
// stack of a worker thread.
#include "MetadataTestSupport.h"
#include "StatementTestSupport.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/metadata/MetadataEntries.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/parse/Parser.h"
#include "sqlmodel/parse/SQLError.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/QueryStatistics.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>

using namespace nvqb;
using namespace nvqb::test;

namespace {

constexpr int Terms = 50000;

// Terms copies of Term joined by Separator.
QString Joined(const QString &term, const QString &separator, int terms)
{
    QString text;
    text.reserve((term.size() + separator.size()) * terms);
    for (int i = 0; i < terms; ++i) {
        if (i > 0)
            text += separator;
        text += term;
    }
    return text;
}

struct TChain {
    const char *Name;
    QString Text;
    QString Printed;
};

QList<TChain> Chains(int terms)
{
    auto list = [terms](const char *term, const char *separator) {
        return Joined(QString::fromUtf8(term), QString::fromUtf8(separator), terms);
    };
    auto half = [terms](const char *term, const char *separator) {
        return Joined(QString::fromUtf8(term), QString::fromUtf8(separator), terms / 2);
    };
    return {
        {"Plus", "SELECT " + list("a", " + ") + " FROM t", "Select " + list("a", " + ") + " From t"},
        {"Times", "SELECT " + list("a", "*") + " FROM t", "Select " + list("a", " * ") + " From t"},
        {"Concatenation", "SELECT " + list("a", " || ") + " FROM t", "Select " + list("a", " || ") + " From t"},
        // Right operands that are chains of their own.
        {"SumOfProducts", "SELECT " + half("a * 2", " - ") + " FROM t", "Select " + half("a * 2", " - ") + " From t"},
        {"And", "SELECT a FROM t WHERE " + list("a = 1", " AND "), "Select a From t Where " + list("a = 1", " And ")},
        {"Or", "SELECT a FROM t WHERE " + list("a + 1 < a", " OR "),
         "Select a From t Where " + list("a + 1 < a", " Or ")},
        // A comparison between two long chains.
        {"Comparison", "SELECT a FROM t WHERE " + list("a", " + ") + " = " + list("a", " || "),
         "Select a From t Where " + list("a", " + ") + " = " + list("a", " || ")},
    };
}

class LongChainTest : public ::testing::Test {
protected:
    TnvSQL92SyntaxProvider provider;
    TnvSQL92SyntaxProvider *p = &provider;
    TOwned<TnvMetadataContainer> container;

    void SetUp() override
    {
        SetMetadataEntries(MetadataModelEntries());
        container = MakeContainer(p);
        container->SetWorkOffline(true);
        TnvMetadataObject *table = container->AddTable(QString(), QStringLiteral("t"));
        table->GetFields()->AddField(QName(p, QStringLiteral("a")).get(), ftInteger, 0, true, false);
        table->GetFields()->SetLoaded(true);
    }
    void TearDown() override
    {
        container.reset();
        SetMetadataEntries(nullptr);
    }
    static QString Print(const TastNode *node) { return node->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr); }
    void Bind(TastNodeBase *node)
    {
        TastNodeRefList withItems, fromSources;
        node->PrepareAndFixupRecursive(withItems, fromSources, container.get());
    }

    // Every walk over the chain's statement.
    void WalkEverything(const TChain &chain)
    {
        TOwned<TSQLSelectStatement> statement = p->ParseSelect(chain.Text);
        ASSERT_TRUE(Print(statement.get()) == chain.Printed);

        TOwned<TSQLSelectStatement> copy = statement->Clone();
        EXPECT_TRUE(Print(copy.get()) == chain.Printed);
        TOwned<TSQLSelectStatement> assigned = p->ParseSelect(QStringLiteral("SELECT 1 FROM t"));
        assigned->Assign(statement.get());
        EXPECT_TRUE(Print(assigned.get()) == chain.Printed);
        // Assigning from inside itself copies from a snapshot: a chain takes
        // its own left operand, the chain one operand shorter.
        auto *item = static_cast<TSQLSelectItemExpression *>(assigned->FirstSelectBlock()->SelectItems->GetItems(0));
        if (auto *operation = As<TSQLExpressionOperatorBinary>(item->Expression.get())) {
            const QString shorter = Print(operation->Expression.get());
            operation->Assign(operation->Expression.get());
            EXPECT_TRUE(Print(operation) == shorter);
        }

        TnvSQL92SyntaxProvider other;
        copy->SetSyntaxProvider(&other);
        EXPECT_EQ(copy->FirstSelectBlock()->SelectItems->GetItems(0)->SyntaxProvider(), &other);
        copy->SetSyntaxProvider(p);

        // Bound columns print their source's name.
        const QString bound = QString(chain.Printed).replace(QRegularExpression(QStringLiteral("\\ba\\b")),
                                                             QStringLiteral("t.a"));
        Bind(statement.get());
        EXPECT_TRUE(Print(statement.get()) == bound);
        statement->PrepareCalcStatisticsRecursive();
        EXPECT_GT(statement->CalcStatisticsRecursive(), 0);
        EXPECT_EQ(statement->StatsObjects()->GetCount(), 1);
        EXPECT_EQ(statement->StatsColumns()->GetCount(), 1);
        statement->RestoreColumnPrefixRecursive();
        EXPECT_TRUE(Print(statement.get()) == bound);

        // The condition rewrites and comparisons of conditions.
        TSQLSubQuerySelectExpression *copied = copy->FirstSelectBlock();
        if (copied->WhereClause) {
            const QString where = Print(copied->WhereClause.get());
            TOwned<TSQLExpressionItem> condition = TransformExpression(copied->WhereClause.release());
            condition = SimplifyLogicalExpression(std::move(condition));
            EXPECT_TRUE(Print(condition.get()) == where);
            EXPECT_TRUE(IsExpressionsEqual(condition.get(), condition->Clone().get()));
            copied->WhereClause.reset(std::move(condition));
        }
        // Freed with everything else at the end of the scope.
    }
};

class LongChainWalks : public LongChainTest, public ::testing::WithParamInterface<int> {};

TEST_P(LongChainWalks, EveryWalkGetsThroughFiftyThousandOperands)
{
    // The walks are linear in the length of the chain: nvqb-chain-bench
    // --walks times them; here a walk that never ends fails by the test's
    // timeout.
    WalkEverything(Chains(Terms).at(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Chains, LongChainWalks, ::testing::Range(0, int(Chains(1).size())),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string(Chains(1).at(info.param).Name);
                         });

TEST_F(LongChainTest, ErrorsAtTheEndOfALongChainAreReported)
{
    const QString text = "SELECT " + Joined(QStringLiteral("a"), QStringLiteral(" + "), Terms) + " + FROM t";
    try {
        p->ParseSelect(text);
        ADD_FAILURE() << "parsed";
    } catch (const EnvSQLError &e) {
        EXPECT_EQ(e.TokenText().toStdString(), "FROM");
    }
}

// Runs Body on a thread with the given stack.
void RunWithStack(uint stackSize, const std::function<void()> &body)
{
    QThread *thread = QThread::create(body);
    thread->setStackSize(stackSize);
    thread->start();
    thread->wait();
    delete thread;
}

// The statement Shape makes around its argument, nested as deep as the
// parser accepts.
QString DeepestAccepted(TnvBaseSyntaxProvider &provider, const std::function<QString(int)> &shape)
{
    auto accepted = [&](int depth) {
        try {
            provider.ParseSelect(shape(depth));
            return true;
        } catch (const EnvSQLError &) {
            return false;
        }
    };
    int good = 0, bad = TnvBaseParser::MaxNestingDepth + 1;
    while (bad - good > 1) {
        const int middle = (good + bad) / 2;
        (accepted(middle) ? good : bad) = middle;
    }
    return good > 0 ? shape(good) : QString();
}

TEST_F(LongChainTest, LongChainsAndTheDeepestNestingFitAWorkerThreadsStack)
{
    // Around wrapped d times around Inner, between Prefix and Suffix.
    auto deepest = [this](const char *prefix, const char *around, const char *inner, const char *suffix) {
        return DeepestAccepted(provider, [=](int depth) {
            QString text = QString::fromUtf8(inner);
            for (int i = 0; i < depth; ++i)
                text = QString::fromUtf8(around).arg(text);
            return QString::fromUtf8(prefix) + text + QString::fromUtf8(suffix);
        });
    };
    const QStringList statements = {
        Chains(Terms).first().Text,
        deepest("SELECT a FROM t WHERE ", "(%1)", "a + a = 1", ""),
        deepest("SELECT a FROM t WHERE ", "a IN (SELECT a FROM t WHERE %1)", "a = 1", ""),
        deepest("SELECT ", "(SELECT %1 FROM t)", "a", " FROM t"),
        deepest("", "SELECT a FROM (%1) x", "SELECT a FROM t", ""),
    };
    for (const QString &text : statements)
        ASSERT_FALSE(text.isEmpty());

    // 1 MB, an eighth of a Linux thread's default stack: a host may well
    // parse on a worker thread made with a small stack. The deepest nesting
    // the parser accepts takes about 600 KB of it (the first pass recurses
    // once per bracket); a chain, however long, far less. The sanitizers'
    // frames are larger.
    uint stack = 1024 * 1024;
#if defined(__SANITIZE_ADDRESS__)
    stack *= 16;
#endif
    QStringList failures;
    RunWithStack(stack, [&] {
        for (const QString &text : statements) {
            try {
                TOwned<TSQLSelectStatement> statement = p->ParseSelect(text);
                const QString printed = Print(statement.get());
                TOwned<TSQLSelectStatement> copy = statement->Clone();
                if (Print(copy.get()) != printed)
                    failures << QStringLiteral("copy of ") + text.left(40);
                Bind(copy.get());
                copy->PrepareCalcStatisticsRecursive();
                copy->CalcStatisticsRecursive();
                statement->Assign(copy.get());
            } catch (const std::exception &e) {
                failures << text.left(40) + QStringLiteral(": ") + QString::fromUtf8(e.what());
            }
        }
    });
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

} // namespace
