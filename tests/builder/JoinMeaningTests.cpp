// What the model prints returns what the statement returned: statements are
// run on SQLite before and after the model, and the rows must be the same
// multiset. Generated FROM clauses over p, q and r, and random edit sessions
// on them, check the cases no list names.
#include "FromClauseGenerator.h"
#include "JoinMeaningSupport.h"
#include "builder/model/Query.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"

namespace nvqb::test {

namespace {

const QList<TGeneratedTable> Tables = {
    {QStringLiteral("p"), {QStringLiteral("id"), QStringLiteral("v")}},
    {QStringLiteral("q"), {QStringLiteral("id"), QStringLiteral("v")}},
    {QStringLiteral("r"), {QStringLiteral("id"), QStringLiteral("v")}},
};

// NVQB_SEED and NVQB_COUNT run other and longer series by hand.
unsigned Seed(unsigned fallback)
{
    const int seed = qEnvironmentVariableIntValue("NVQB_SEED");
    return seed ? unsigned(seed) : fallback;
}

int Count(int fallback)
{
    return qEnvironmentVariableIsSet("NVQB_COUNT") ? qEnvironmentVariableIntValue("NVQB_COUNT") : fallback;
}

} // namespace

TEST_F(PQRJoinTest, OuterJoinsReturnTheirRowsThroughTheModel)
{
    const char *const statements[] = {
        "SELECT p.id, q.id, r.id FROM p JOIN q ON q.v = 1 LEFT JOIN r ON r.id = q.id",
        "SELECT p.id, q.id, r.id FROM p JOIN q ON 1 = 1 LEFT JOIN r ON r.id = q.id",
        "SELECT p.id, q.id, q.v, r.id FROM p LEFT JOIN q ON q.v = 1 LEFT JOIN r ON q.v = 2",
        "SELECT p.id, q.id, r.id, r.v FROM p CROSS JOIN q LEFT JOIN r ON r.id = p.id AND r.v = q.id",
        "SELECT p.id, q.id, r.id, r.v FROM p, q LEFT JOIN r ON r.id = p.id AND r.v = q.id",
        "SELECT p.id, q.id, r.id FROM p CROSS JOIN q FULL JOIN r ON r.id = p.id",
        "SELECT p.id, q.id, r.id FROM p, q RIGHT JOIN r ON r.id = p.id",
        "SELECT p.id, q.id, r.id FROM p RIGHT JOIN q ON q.id = p.id JOIN r ON r.id = p.id",
        "SELECT p.id, q.id, r.id FROM p LEFT JOIN (q JOIN r ON r.v = q.v) ON q.id = p.id",
        "SELECT p.id, q.id, r.id FROM r, (p FULL JOIN q ON q.id = p.id)",
    };
    for (const char *sql : statements)
        ExpectSameRows(QString::fromLatin1(sql));
    p->BinaryJoins = true;
    for (const char *sql : statements)
        ExpectSameRows(QString::fromLatin1(sql));
}

TEST_F(PQRJoinTest, EditsAndDialectsKeepTheConditionsThatRemain)
{
    // A removed source takes its own conditions; the others still filter.
    Load(QStringLiteral("SELECT q.id, q.v, r.id FROM p INNER JOIN q ON q.v = 1 INNER JOIN r ON r.id = 2"));
    TObject::Free(Source(QStringLiteral("p")));
    EXPECT_SQL(Rows(SQL()), Rows(QStringLiteral("SELECT q.id, q.v, r.id FROM q, r WHERE q.v = 1 AND r.id = 2")));
    Load(QStringLiteral("SELECT q.id, q.v FROM p INNER JOIN q ON q.v = 1"));
    TObject::Free(Source(QStringLiteral("p")));
    EXPECT_SQL(Rows(SQL()), Rows(QStringLiteral("SELECT q.id, q.v FROM q WHERE q.v = 1")));
    // Criteria in two Or... columns beside a WHERE join: the join holds for
    // both.
    p->ANSIJoins = false;
    qb->SetSyntaxProvider(nullptr);
    qb->SetSyntaxProvider(p);
    Load(QStringLiteral("SELECT p.id, p.v, q.v FROM p, q WHERE p.id = q.id"));
    Part()->SelectList()->Items(1)->SetCondition(0, QStringLiteral("> 1"));
    Part()->SelectList()->Items(1)->SetCondition(1, QStringLiteral("< 1"));
    EXPECT_SQL(Rows(SQL()), Rows(QStringLiteral("SELECT p.id, p.v, q.v FROM p, q WHERE p.id = q.id AND (p.v > 1 OR "
                                               "p.v < 1)")));
    // Joins that move from FROM to WHERE with the dialect.
    p->ANSIJoins = true;
    qb->SetSyntaxProvider(nullptr);
    qb->SetSyntaxProvider(p);
    const QString sql = QStringLiteral("SELECT p.id, q.id, r.v FROM p INNER JOIN q ON q.id = p.id AND q.v > 0 INNER "
                                       "JOIN r ON r.v = q.v OR r.id = p.id");
    Load(sql);
    TJoinTestProvider other;
    other.ANSIJoins = false;
    qb->SetSyntaxProvider(&other);
    EXPECT_FALSE(SQL().contains(QStringLiteral("Join"))) << SQL().toStdString();
    EXPECT_SQL(Rows(SQL()), Rows(sql));
    qb->SetSyntaxProvider(p);
}

TEST_F(PQRJoinTest, GeneratedFromClausesReturnTheirRowsThroughTheModel)
{
    TFromClauseGenerator generator(Seed(20240612u), Tables);
    const int count = Count(300);
    int reordered = 0;
    for (int i = 0; i < count && !HasFailure(); ++i) {
        // Every fourth statement under a dialect that nests joins two at a time.
        p->BinaryJoins = i % 4 == 3;
        const QString sql = generator.StatementWithColumns();
        SCOPED_TRACE(sql.toStdString());
        QString printed;
        ExpectSameRows(sql, &printed);
        if (printed != Reprinted(sql))
            ++reordered;
    }
    EXPECT_GT(reordered, count / 10);
}

TEST_F(PQRJoinTest, EditSessionsLeaveTextThatRunsAndReadsBack)
{
    // Data sources removed, links drawn and links removed at random: every
    // step prints SQL that SQLite runs and the model reads back to the same
    // text.
    TFromClauseGenerator generator(Seed(20240613u), Tables);
    std::mt19937 random(Seed(20240613u));
    auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const int count = Count(60);
    for (int i = 0; i < count && !HasFailure(); ++i) {
        p->BinaryJoins = i % 4 == 3;
        Load(generator.StatementWithColumns());
        for (int step = 0; step < 4 && !HasFailure(); ++step) {
            QList<TnvDatasource *> sources;
            From()->GetDatasources(sources);
            if (sources.size() < 2)
                break;
            const QString before = SQL();
            const int edit = between(0, 2);
            const QList<TnvLink *> links = Links();
            if (edit == 0) {
                TObject::Free(sources[between(0, int(sources.size()) - 1)]);
            } else if (edit == 1 && !links.isEmpty()) {
                TObject::Free(links[between(0, int(links.size()) - 1)]);
            } else {
                TnvDatasource *left = sources[between(0, int(sources.size()) - 1)];
                TnvDatasource *right = sources[between(0, int(sources.size()) - 1)];
                if (left == right)
                    continue;
                Part()->AddLink(left, between(0, 1) ? QStringLiteral("id") : QStringLiteral("v"), right,
                                between(0, 1) ? QStringLiteral("id") : QStringLiteral("v"));
            }
            const QString after = SQL();
            SCOPED_TRACE("before: " + before.toStdString() + "\nafter: " + after.toStdString());
            const QStringList rows = Rows(after);
            EXPECT_FALSE(rows.value(0).startsWith(QStringLiteral("error: "))) << rows.value(0).toStdString();
            EXPECT_SQL(Load(after), after);
        }
    }
}

} // namespace nvqb::test
