// The ORDER BY of a statement whose parts change: brackets around its only
// SELECT, parts moved, removed or put in front. The ORDER BY stays the
// statement's and names what the result has.
#include "BuilderTestSupport.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "support/LanguageManager.h"

#include <QScopeGuard>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class StatementOrderByTest : public BuilderTest {
protected:
    void Enclose(qsizetype part) { Click(Part(part)->GetPopupMenu(), QStringLiteral("Enclose In Brackets")); }
    void Forward(qsizetype part) { Click(Part(part)->GetPopupMenu(), QStringLiteral("Move Forward")); }
    void Backward(qsizetype part) { Click(Part(part)->GetPopupMenu(), QStringLiteral("Move Backward")); }
    // The model's SQL reads back as it is.
    void ExpectStable()
    {
        const QString sql = SQL();
        EXPECT_SQL(Load(sql), sql);
    }
    // The part's rows with their sorts, "a.x desc, a.id -".
    QString Sorts(qsizetype part) const
    {
        QStringList sorts;
        TnvSelectList *list = Part(part)->SelectList();
        for (qsizetype i = 0; i < list->Count(); ++i)
            if (!list->Items(i)->IsEmpty())
                sorts.append(list->Items(i)->GetExpression() + u' ' +
                             (list->Items(i)->SortType() == stNone   ? QStringLiteral("-")
                              : list->Items(i)->SortType() == stDesc ? QStringLiteral("desc")
                                                                      : QStringLiteral("asc")));
        return sorts.join(QStringLiteral(", "));
    }
};

TEST_F(StatementOrderByTest, BracketsAroundTheOnlySelectKeepItsOrderByOnTheResultColumns)
{
    const struct {
        const char *Text, *Enclosed;
    } cases[] = {
        // Columns sorted by their expressions: by their aliases, else by
        // their positions.
        {"Select a.id As k, a.x From a Order By a.x Desc, a.id",
         "(Select a.id As k, a.x From a) Order By 2 Desc, k"},
        // An expression and an aggregate that are output.
        {"Select a.x + 1 From a Order By a.x + 1", "(Select a.x + 1 From a) Order By 1"},
        {"Select a.x, Count(*) From a Group By a.x Order By Count(*) Desc, a.x",
         "(Select a.x, Count(*) From a Group By a.x) Order By 2 Desc, 1"},
        // A column by its bare name.
        {"Select a.x From a Order By x Desc", "(Select a.x From a) Order By 1 Desc"},
        // Already by the alias or the position.
        {"Select a.x As k From a Order By k", "(Select a.x As k From a) Order By k"},
        {"Select a.id, a.x From a Order By 2", "(Select a.id, a.x From a) Order By 2"},
        // A position stays a position, as it reads back, though the column
        // has an alias.
        {"Select a.id, a.x As m From a Order By 2 Desc", "(Select a.id, a.x As m From a) Order By 2 Desc"},
        // An alias two columns share names neither.
        {"Select a.id As k, a.x As k From a Order By a.x", "(Select a.id As k, a.x As k From a) Order By 2"},
        // Past a t.* the position counts the fields of its table.
        {"Select b.*, a.x From a, b Order By a.x", "(Select b.*, a.x From a, b) Order By 4"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text);
        const QString loaded = Load(QString::fromLatin1(c.Text));
        Enclose(0);
        EXPECT_SQL(SQL(), c.Enclosed);
        ExpectStable();
        // Brackets in brackets name the same columns, and without them the
        // statement is the one it was.
        Load(QString::fromLatin1(c.Text));
        Enclose(0);
        Enclose(0);
        EXPECT_SQL(SQL(), QString(u'(' + QString::fromLatin1(c.Enclosed).replace(QStringLiteral(") Order"),
                                                                               QStringLiteral(")) Order"))));
        Click(As<TnvUnionGroup>(Root()->GetItems(0))->GetPopupMenu(), QStringLiteral("Remove Brackets"));
        Click(As<TnvUnionGroup>(Root()->GetItems(0))->GetPopupMenu(), QStringLiteral("Remove Brackets"));
        EXPECT_SQL(SQL(), loaded);
    }
}

TEST_F(StatementOrderByTest, AnOrderByOnWhatIsNotOutputRefusesBracketsAndUnions)
{
    QStringList shown;
    TnvErrorHandler old = SetErrorHandler([&](const QString &message) { shown.append(message); });
    const QString hidden = Load(QStringLiteral("Select a.x From a Order By a.id Desc"));
    Enclose(0);
    Click(Part(0)->GetPopupMenu(), QStringLiteral("New Union Sub-Query"));
    const QString why = QStringLiteral(
        "The query is sorted by a.id: a union or brackets can sort only by output columns, by their aliases or "
        "positions.");
    EXPECT_SQL(shown, QStringList({why, why}));
    EXPECT_SQL(SQL(), hidden);
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
    SetErrorHandler(std::move(old));
    // Every language says it, naming the key.
    {
        TnvQBLanguageManager *languages = nvQBLanguageManager();
        const auto builtIn = qScopeGuard([&] { languages->SetCurrentLanguageIndex(-1); });
        ASSERT_GT(languages->GetLanguagesCount(), 1);
        for (qsizetype i = 0; i < languages->GetLanguagesCount(); ++i) {
            languages->SetCurrentLanguageIndex(i);
            const QString text = ErrorOf([&] { Part(0)->EncloseInBrackets(); });
            const QByteArray name = languages->GetLanguage(i)->Name();
            EXPECT_TRUE(text.contains(QStringLiteral("a.id")) && (text != why) == (name != "English"))
                << name.constData() << ": " << ToStd(text);
        }
    }
    // An aggregate sorted by and not output; an output column without alias
    // past a *, whose position is not known.
    Load(QStringLiteral("Select a.x From a Group By a.x Order By Count(*)"));
    EXPECT_TRUE(
        ErrorOf([&] { Root()->InsertGroup(0); }).startsWith(QStringLiteral("The query is sorted by Count(*):")));
    Load(QStringLiteral("Select *, a.x From a Order By a.x"));
    EXPECT_TRUE(ErrorOf([&] { Root()->Add(); }).startsWith(QStringLiteral("The query is sorted by a.x:")));
    // Sorted by output columns only, the statement takes both.
    Load(QStringLiteral("Select a.x As k From a Order By k, 1 Desc"));
    EXPECT_SQL(ErrorOf([&] { Part(0)->EncloseInBrackets(); }), "no error");
    EXPECT_SQL(ErrorOf([&] { Root()->Add(); }), "no error");
    // In a union the ORDER BY names the result already: brackets change
    // nothing there.
    Load(QStringLiteral("Select a.x From a Union Select b.y From b Order By b.id"));
    EXPECT_SQL(ErrorOf([&] { Part(1)->EncloseInBrackets(); }), "no error");
}

TEST_F(StatementOrderByTest, TheOrderByStaysWithTheStatementWhicheverPartIsFirst)
{
    // The moved part gives it to the part that is now first, sorted by the
    // same output columns, under that part's names; and it comes back.
    const QString sql = Load(QStringLiteral("Select a.id As k From a Union Select b.id As k From b Order By k Desc"));
    Forward(0);
    EXPECT_SQL(SQL(), "Select b.id As k From b Union Select a.id As k From a Order By k Desc");
    EXPECT_SQL(Sorts(0), "b.id desc");
    ExpectStable();
    Load(sql);
    Forward(0);
    Backward(1);
    EXPECT_SQL(SQL(), sql);

    // Other names and places, every operator.
    for (const char *op : {"Union", "Union All", "Except", "Intersect"}) {
        SCOPED_TRACE(op);
        Load(QStringLiteral("Select a.id As k, a.x As j From a %1 Select b.id, b.y As k From b Order By j, 1 Desc")
                 .arg(QLatin1String(op)));
        Forward(0);
        EXPECT_SQL(SQL(), QStringLiteral("Select b.id, b.y As k From b %1 Select a.id As k, a.x As j From a "
                                         "Order By k, 1 Desc")
                              .arg(QLatin1String(op)));
        ExpectStable();
    }

    // A position of a union's ORDER BY stays one, also in brackets.
    const QString position =
        QStringLiteral("Select a.id, a.x As m From a Union Select b.id, b.y As n From b Order By 2 Desc");
    EXPECT_SQL(Load(position), position);
    Enclose(0);
    EXPECT_SQL(SQL(), "(Select a.id, a.x As m From a) Union Select b.id, b.y As n From b Order By 2 Desc");
    ExpectStable();

    // Moves in and out of brackets leave the first part first; a swap in the
    // first group makes another one first.
    Load(QStringLiteral("(Select a.id From a Union Select a.x From a) Union Select b.id From b Order By 1 Desc"));
    Backward(0);
    EXPECT_SQL(SQL(), "Select a.id From a Union (Select a.x From a) Union Select b.id From b Order By 1 Desc");
    Forward(0);
    Forward(0);
    EXPECT_SQL(SQL(), "(Select a.x From a Union Select a.id From a) Union Select b.id From b Order By 1 Desc");
    EXPECT_SQL(Sorts(0), "a.x desc");
    // The first part moved next to a part of another group.
    Part(2)->InsertAfter(Part(0));
    EXPECT_SQL(SQL(), "(Select a.id From a) Union Select b.id From b Union Select a.x From a Order By 1 Desc");
    EXPECT_SQL(Sorts(0), "a.id desc");

    // A sub-query's parts keep theirs the same way.
    Load(QStringLiteral("Select a.id From a Where a.x In (Select b.y As k From b Union Select c.id From c "
                        "Order By k)"));
    TnvSubQuery *sub = qb->GetSubQueries(1);
    Click(sub->UnionSubQueries(0)->GetPopupMenu(), QStringLiteral("Move Forward"));
    EXPECT_SQL(SQL(), "Select a.id From a Where a.x In (Select c.id From c Union Select b.y As k From b Order By 1)");
}

TEST_F(StatementOrderByTest, APartThatBecomesFirstOtherwiseTakesTheOrderByToo)
{
    // The first part removed.
    Load(QStringLiteral("Select a.id As k From a Union Select b.id From b Union Select c.id From c Order By k Desc"));
    Click(Part(0)->GetPopupMenu(), QStringLiteral("Remove"));
    EXPECT_SQL(SQL(), "Select b.id From b Union Select c.id From c Order By 1 Desc");
    Click(Part(0)->GetPopupMenu(), QStringLiteral("Remove"));
    EXPECT_SQL(SQL(), "Select c.id From c Order By c.id Desc");
    // A new part in front, whose columns are not known yet: by position.
    Load(QStringLiteral("Select a.id, a.x From a Union Select b.id, b.y From b Order By 2"));
    Root()->Insert(0);
    EXPECT_TRUE(SQL().endsWith(QStringLiteral("Union Select b.id, b.y From b Order By 2"))) << ToStd(SQL());
    ExpectStable();
    // Sorts set in the grid of a part that is not first print nothing, and
    // go when it becomes first: the statement keeps its own ORDER BY.
    Load(QStringLiteral("Select a.id From a Union Select b.id From b"));
    Part(1)->SelectList()->Items(0)->SetSortTypeName(QStringLiteral("Descending"));
    EXPECT_SQL(SQL(), "Select a.id From a Union Select b.id From b");
    Forward(0);
    EXPECT_SQL(SQL(), "Select b.id From b Union Select a.id From a");
    EXPECT_SQL(Sorts(0), "b.id -");
}

} // namespace
