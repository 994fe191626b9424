// The select list as the grid sees it: statements loaded into rows and
// criteria cells, edited through the texts the grid reads and writes, and
// printed back.
#include "BuilderTestSupport.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <gmock/gmock.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class SelectListTest : public BuilderTest {
protected:
    TnvSelectList *List(qsizetype part = 0) const { return Part(part)->SelectList(); }
    TnvSelectItem *Row(qsizetype index, qsizetype part = 0) const { return List(part)->Items(index); }

    // The grid as text, one row per line: Output (x or -), Expression,
    // Alias, Sort Type, Sort Order, Group By, then the criteria cells.
    QString Grid(qsizetype part = 0) const
    {
        QStringList lines;
        TnvSelectList *list = List(part);
        for (qsizetype i = 0; i < list->Count(); ++i) {
            TnvSelectItem *row = list->Items(i);
            QStringList cells{row->Select() ? QStringLiteral("x") : QStringLiteral("-"), row->GetExpression(),
                              row->GetAlias(), row->GetSortTypeName(), row->GetSortOrderName(),
                              row->GetGroupByTypeName()};
            for (int c = 0; c < row->ConditionsCount(); ++c)
                cells.append(row->GetCondition(c));
            lines.append(cells.join(u'|'));
        }
        return lines.join(u'\n');
    }

    // The FROM source of the part by the text it prints.
    TSQLFromSource *Source(const QString &text, qsizetype part = 0) const
    {
        TastNodeRefList sources;
        Part(part)->FromGroup()->GetFromSources(sources);
        for (TastNodeBase *node : sources) {
            auto *source = static_cast<TSQLFromSource *>(node);
            if (source->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr) == text)
                return source;
        }
        ADD_FAILURE() << "no source " << text.toStdString();
        return nullptr;
    }

    TOwned<TSQLQualifiedName> Name(const QString &text) const { return p->ParseQualifiedName(text); }

    // Removes the data source of the name from the part, as its box's menu does.
    void RemoveSource(const QString &name, qsizetype part = 0) const
    {
        QList<TnvDatasource *> sources;
        Part(part)->FromGroup()->GetDatasources(sources);
        for (TnvDatasource *source : std::as_const(sources))
            if (source->GetDataSourceName() == name)
                return TObject::Free(source);
        ADD_FAILURE() << "no source " << name.toStdString();
    }

    // Whether the text parses as a statement.
    bool Parses(const QString &sql) const
    {
        try {
            return bool(p->ParseSelect(sql));
        } catch (const Exception &) {
            return false;
        }
    }
};

// ---------------------------------------------------------------------------
// Loading

TEST_F(SelectListTest, WhereTermsGoIntoTheCriteriaOfTheirRowsAndOrOperandsIntoColumns)
{
    EXPECT_SQL(Load(QStringLiteral("SELECT * FROM t WHERE a = 1 AND b = 2")), "Select * From t Where a = 1 And b = 2");
    EXPECT_SQL(Grid(), "-|a||||Where|= 1\n"
                       "-|b||||Where|= 2\n"
                       "-|||||");

    EXPECT_SQL(Load(QStringLiteral("SELECT * FROM t WHERE a = 1 OR a = 2")), "Select * From t Where a = 1 Or a = 2");
    EXPECT_SQL(Grid(), "-|a||||Where|= 1|= 2\n"
                       "-|||||");

    // Each operand of an OR is a column; the terms of an AND in it share it.
    EXPECT_SQL(Load(QStringLiteral("SELECT a FROM t WHERE (a = 1 AND b = 2) OR c = 3")),
               "Select a From t Where a = 1 And b = 2 Or c = 3");
    EXPECT_SQL(Grid(), "x|a||||Where|= 1\n"
                       "-|b||||Where|= 2\n"
                       "-|c||||Where||= 3\n"
                       "-|||||");

    // Negations are pushed to the terms; nested ORs, also in brackets, give
    // one column per operand; an OR inside a term stays in its cell.
    EXPECT_SQL(Load(QStringLiteral("SELECT a FROM t WHERE NOT (a = 1 AND b > 2) OR (c = 3 OR (d = 4 OR d Is Null)) "
                                   "OR (e = 5 AND (f = 6 OR f = 7))")),
               "Select a From t Where Not a = 1 Or Not b > 2 Or c = 3 Or d = 4 Or d Is Null Or e = 5 And "
               "(f = 6 Or f = 7)");
    EXPECT_SQL(Grid(), "x|a||||Where|Not = 1\n"
                       "-|b||||Where||Not > 2\n"
                       "-|c||||Where|||= 3\n"
                       "-|d||||Where||||= 4|Is Null\n"
                       "-|e||||Where||||||= 5\n"
                       "-|f||||Where||||||" + Row(5)->GetCondition(5) + "\n"
                       "-|||||");
    EXPECT_TRUE(Row(5)->GetASTCondition(5)->Is<TSQLExpressionBrackets>());

    // A single condition goes whole into one cell.
    EXPECT_SQL(Load(QStringLiteral("SELECT a FROM t WHERE (a BETWEEN 1 AND 5)")),
               "Select a From t Where a Between 1 And 5");
    EXPECT_SQL(Row(0)->GetCondition(0), "Between 1 And 5");

    // SELECT * loads no row; without output rows the list selects *.
    Load(QStringLiteral("SELECT * FROM t"));
    EXPECT_EQ(List()->Count(), 1);
    EXPECT_TRUE(Row(0)->IsEmpty());
}

TEST_F(SelectListTest, GroupByAndHavingRoundTripAndAnAggregateShowsItsArgumentAndName)
{
    const QString sql = QStringLiteral("Select a, Sum(x) From t Group By a Having Sum(x) > 5");
    EXPECT_SQL(Load(sql), sql);
    EXPECT_SQL(Grid(), "x|a||||Group By\n"
                       "x|x||||Sum|> 5\n"
                       "-|||||");
    EXPECT_EQ(Row(1)->GroupByType(), gtAggregate);

    // An edit of the expression keeps the aggregate, and the HAVING follows.
    Row(1)->SetExpression(QStringLiteral("y + 1"));
    EXPECT_SQL(SQL(), "Select a, Sum(y + 1) From t Group By a Having Sum(y + 1) > 5");
    EXPECT_SQL(Row(1)->GetGroupByTypeName(), "Sum");

    // Other aggregates, the distinct form and back to the plain expression.
    Row(1)->SetGroupByTypeName(QStringLiteral("Max Distinct"));
    EXPECT_SQL(SQL(), "Select a, Max(Distinct y + 1) From t Group By a Having Max(Distinct y + 1) > 5");
    EXPECT_SQL(Row(1)->GetGroupByTypeName(), "Max Distinct");
    Row(1)->SetGroupByTypeName(QStringLiteral("avg"));
    EXPECT_SQL(SQL(), "Select a, Avg(y + 1) From t Group By a Having Avg(y + 1) > 5");
    Row(1)->SetGroupByTypeName(QStringLiteral("Having"));
    EXPECT_SQL(SQL(), "Select a, y + 1 From t Group By a Having y + 1 > 5");
    EXPECT_SQL(Row(1)->GetExpression(), "y + 1");

    // GROUP BY of a column not selected adds a grouped row that is not output.
    EXPECT_SQL(Load(QStringLiteral("Select Count(*) From t Group By x")), "Select Count(*) From t Group By x");
    EXPECT_SQL(Grid(), "x|*||||Count\n"
                       "-|x||||Group By\n"
                       "-|||||");
}

TEST_F(SelectListTest, TheGroupByPickListsOfAColumnAndOfStar)
{
    Load(QStringLiteral("Select a, * From t"));
    List()->AddExpression(QStringLiteral("a > 1"));
    QStringList names;
    Row(0)->GetGroupByNames(names);
    EXPECT_SQL(names, QStringList({"Expression", "Group By", "Where", "Having", "Avg", "Avg Distinct", "Count",
                                   "Count Distinct", "Max", "Max Distinct", "Min", "Min Distinct", "Sum",
                                   "Sum Distinct"}));
    Row(1)->GetGroupByNames(names);
    EXPECT_SQL(names, QStringList({"Expression", "Count"}));
    // A condition can only filter.
    List()->Items(2)->GetGroupByNames(names);
    EXPECT_SQL(names, QStringList({"Expression", "Where", "Having"}));
    Row(3)->GetGroupByNames(names);
    EXPECT_TRUE(names.isEmpty());

    // A * row turns into the star aggregate and back.
    Row(1)->SetGroupByTypeName(QStringLiteral("Count"));
    EXPECT_SQL(SQL(), "Select a, Count(*) From t");
    Row(1)->GetGroupByNames(names);
    EXPECT_SQL(names, QStringList({"Expression", "Count"}));
    Row(1)->SetGroupByTypeName(QStringLiteral("Expression"));
    EXPECT_SQL(SQL(), "Select a, * From t");
}

TEST_F(SelectListTest, TheFirstGroupedRowGroupsTheOtherGroupableRows)
{
    Load(QStringLiteral("Select a, b, c From t Where b > 1"));
    List()->AddExpression(QStringLiteral("a > b"));
    Row(0)->SetGroupByTypeName(QStringLiteral("group by"));
    // A condition cannot be grouped and stays as it was.
    EXPECT_SQL(Grid(), "x|a||||Group By\n"
                       "x|b||||Group By|> 1\n"
                       "x|c||||Group By\n"
                       "-|a > b||||Expression\n"
                       "-|||||");
    // The row's criteria now filter the groups.
    EXPECT_SQL(SQL(), "Select a, b, c From t Group By a, b, c Having b > 1");
    // With a grouped row present, a further one changes only itself.
    Row(2)->SetGroupByTypeName(QStringLiteral("Expression"));
    Row(2)->SetGroupByTypeName(QStringLiteral("Having"));
    EXPECT_EQ(Row(2)->GroupByType(), gtHaving);
    EXPECT_EQ(Row(3)->GroupByType(), gtExpression);
    // So does a grouped row beside an aggregate.
    Load(QStringLiteral("Select a, b, Sum(c) From t"));
    Row(0)->SetGroupByTypeName(QStringLiteral("Group By"));
    EXPECT_SQL(SQL(), "Select a, b, Sum(c) From t Group By a");
}

TEST_F(SelectListTest, OrderByOfAColumnNotSelectedAddsASortedRow)
{
    EXPECT_SQL(Load(QStringLiteral("Select a From t Order By y Desc")), "Select a From t Order By y Desc");
    EXPECT_SQL(Grid(), "x|a||||Expression\n"
                       "-|y||Descending|1|Expression\n"
                       "-|||||");
    // An ORDER BY of a selected column sorts its row.
    EXPECT_SQL(Load(QStringLiteral("Select a, b From t Order By b, a Desc")), "Select a, b From t Order By b, a Desc");
    EXPECT_SQL(Row(0)->GetSortOrderName(), "2");
    EXPECT_SQL(Row(1)->GetSortOrderName(), "1");
}

TEST_F(SelectListTest, SortTypeAndSortOrderFromTheirTexts)
{
    Load(QStringLiteral("Select a, b, c, d From t Order By a, b, c"));
    // The place is capped to the sorted rows: "7" moves the row last, "0" first.
    Row(0)->SetSortOrderName(QStringLiteral("7"));
    EXPECT_SQL(SQL(), "Select a, b, c, d From t Order By b, c, a");
    EXPECT_SQL(Row(0)->GetSortOrderName(), "3");
    Row(0)->SetSortOrderName(QStringLiteral("0"));
    EXPECT_SQL(SQL(), "Select a, b, c, d From t Order By a, b, c");
    // An unsorted row given a place is sorted ascending there.
    Row(3)->SetSortOrderName(QStringLiteral("2"));
    EXPECT_SQL(SQL(), "Select a, b, c, d From t Order By a, d, b, c");
    // A sort type is the first whose name starts with the text.
    Row(3)->SetSortTypeName(QStringLiteral("d"));
    EXPECT_SQL(Row(3)->GetSortTypeName(), "Descending");
    Row(3)->SetSortTypeName(QStringLiteral("ASC"));
    EXPECT_SQL(Row(3)->GetSortTypeName(), "Ascending");
    Row(3)->SetSortTypeName(QStringLiteral("x"));
    EXPECT_SQL(Row(3)->GetSortTypeName(), "Ascending");
    // An empty text unsorts, in either cell.
    Row(3)->SetSortOrderName(QString());
    Row(1)->SetSortTypeName(QStringLiteral("  "));
    EXPECT_SQL(SQL(), "Select a, b, c, d From t Order By a, c");
    EXPECT_SQL(Row(2)->GetSortOrderName(), "2");
    // A row that cannot be output cannot be sorted.
    Row(4)->SetExpression(QStringLiteral("a > 1"));
    Row(4)->SetSortTypeName(QStringLiteral("a"));
    EXPECT_SQL(Row(4)->GetSortTypeName(), "");
    EXPECT_EQ(List()->SortOrderCount(), 2);
}

TEST_F(SelectListTest, CriteriaTextsBecomeConditions)
{
    Load(QStringLiteral("Select a.id, a.x From a"));
    TnvSelectItem *x = Row(1);
    const char *const cases[][2] = {
        {"10", "= 10"},
        {"x%", "Like 'x%'"},
        {"abc", "= 'abc'"},
        {"> 5", "> 5"},
        {"is null", "Is Null"},
        {"between 1 and 2", "Between 1 And 2"},
        {"= 1 or > 7", "= 1 Or > 7"},
        {"not in (1, 2)", "Not In (1, 2)"},
        // A field name of the block's sources is that column.
        {"id", "= a.id"},
        {"x + 1 > 3", "a.x + 1 > 3"},
    };
    for (const auto &[text, condition] : cases) {
        x->SetCondition(0, QString::fromLatin1(text));
        EXPECT_SQL(x->GetCondition(0), condition) << text;
    }
    EXPECT_EQ(x->GroupByType(), gtWhere);
    x->SetCondition(2, QStringLiteral("0"));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a Where a.x + 1 > 3 Or a.x = 0");
    EXPECT_EQ(x->ConditionsCount(), 3);
    x->SetCondition(2, QString());
    EXPECT_EQ(x->ConditionsCount(), 1);
    // * and the empty row take no criteria.
    Row(2)->SetCondition(0, QStringLiteral("1"));
    EXPECT_EQ(Row(2)->ConditionsCount(), 0);
    EXPECT_SQL(SQL(), "Select a.id, a.x From a Where a.x + 1 > 3");
}

TEST_F(SelectListTest, TypedExpressionsAreParsedAndBound)
{
    Load(QStringLiteral("Select a.id From a, b"));
    // A field of two sources binds to the one added last.
    TnvSelectItem *row = List()->AddExpression(QStringLiteral("id"));
    EXPECT_SQL(row->GetExpression(), "b.id");
    EXPECT_EQ(row->DatasourceNode(), Source(QStringLiteral("b")));
    ASSERT_NE(row->FieldName(), nullptr);
    row->SetSelect(true);
    EXPECT_SQL(SQL(), "Select a.id, b.id From a, b");
    row->SetExpression(QStringLiteral("a.x * 2 total"));
    EXPECT_SQL(SQL(), "Select a.id, a.x * 2 As total From a, b");
    EXPECT_SQL(row->GetAlias(), "total");
    EXPECT_EQ(row->FieldName(), nullptr);
    row->SetAlias(QStringLiteral("Grand Total"));
    EXPECT_SQL(SQL(), "Select a.id, a.x * 2 As \"Grand Total\" From a, b");
    row->SetAlias(QString());
    EXPECT_SQL(SQL(), "Select a.id, a.x * 2 From a, b");
    row->SetExpression(QStringLiteral("b.*"));
    EXPECT_SQL(SQL(), "Select a.id, b.* From a, b");
    EXPECT_EQ(row->DatasourceNode(), Source(QStringLiteral("b")));
    // A condition is not output and has no alias.
    row->SetExpression(QStringLiteral("a.x"));
    row->SetAlias(QStringLiteral("flag"));
    row->SetExpression(QStringLiteral("a.x > 1"));
    EXPECT_FALSE(row->Select());
    EXPECT_SQL(row->GetAlias(), "");
    EXPECT_SQL(ErrorOf([&] { row->SetSelect(true); }), "This expression is not selectable");
    EXPECT_FALSE(row->Select());
    // An empty text empties the row, which then leaves the list.
    const qsizetype count = List()->Count();
    row->SetExpression(QStringLiteral("  "));
    EXPECT_EQ(List()->Count(), count - 1);
    EXPECT_SQL(SQL(), "Select a.id From a, b");
}

TEST_F(SelectListTest, WithoutASyntaxProviderExpressionsAreRefused)
{
    Load(QStringLiteral("Select a From t"));
    qb->SetSyntaxProvider(nullptr);
    EXPECT_SQL(ErrorOf([&] { Row(0)->SetExpression(QStringLiteral("b")); }), "Syntax provider is not specified");
    EXPECT_SQL(Row(0)->GetExpression(), "a");
}

// ---------------------------------------------------------------------------
// Faults mended against the described behaviour

TEST_F(SelectListTest, AnAliasTypedWithTheExpressionIsKeptOnTheEmptyRow)
{
    Load(QStringLiteral("Select a From t"));
    TnvSelectItem *row = Row(1);
    row->SetExpression(QStringLiteral("b As x"));
    EXPECT_SQL(row->GetAlias(), "x");
    row->SetSelect(true);
    EXPECT_SQL(SQL(), "Select a, b As x From t");
}

TEST_F(SelectListTest, TextsThatBecomeStringConstantsDoubleTheirQuotes)
{
    Load(QStringLiteral("Select a From t"));
    Row(0)->SetCondition(0, QStringLiteral("O'Brien"));
    EXPECT_SQL(Row(0)->GetCondition(0), "= 'O''Brien'");
    Row(0)->SetCondition(1, QStringLiteral("O'Br%"));
    EXPECT_SQL(Row(0)->GetCondition(1), "Like 'O''Br%'");
    Row(1)->SetExpression(QStringLiteral("it's"));
    Row(1)->SetSelect(true);
    const QString sql = SQL();
    EXPECT_SQL(sql, "Select a, 'it''s' From t Where a = 'O''Brien' Or a Like 'O''Br%'");
    EXPECT_TRUE(Parses(sql));
    EXPECT_SQL(Load(sql), sql);
}

TEST_F(SelectListTest, TheRowMenuNeverMovesTheEmptyLastRow)
{
    Load(QStringLiteral("Select a, b From t"));
    EXPECT_SQL(Captions(Row(0)->GetPopupMenu()),
               "!Move Up | Move Down | - | Remove Item | Insert Empty Item | - | About Norvane Query Builder...");
    // The last row with an expression has only the empty row below it.
    EXPECT_SQL(Captions(Row(1)->GetPopupMenu()),
               "Move Up | !Move Down | - | Remove Item | Insert Empty Item | - | About Norvane Query Builder...");
    EXPECT_SQL(Captions(Row(2)->GetPopupMenu()),
               "!Move Up | !Move Down | - | !Remove Item | !Insert Empty Item | - | About Norvane Query Builder...");
    // Called anyway, the handlers leave the empty row last.
    Row(1)->MoveDownEvent(nullptr);
    Row(2)->MoveUpEvent(nullptr);
    EXPECT_SQL(SQL(), "Select a, b From t");
    EXPECT_TRUE(Row(2)->IsEmpty());

    Click(Row(1)->GetPopupMenu(), QStringLiteral("Move Up"));
    EXPECT_SQL(SQL(), "Select b, a From t");
    Click(Row(0)->GetPopupMenu(), QStringLiteral("Insert Empty Item"));
    EXPECT_SQL(Grid(), "-|||||\nx|b||||Expression\nx|a||||Expression\n-|||||");
    // An empty row inside the list moves like any other.
    Click(Row(0)->GetPopupMenu(), QStringLiteral("Move Down"));
    EXPECT_TRUE(Row(1)->IsEmpty());
    Click(Row(1)->GetPopupMenu(), QStringLiteral("Remove Item"));
    EXPECT_SQL(Grid(), "x|b||||Expression\nx|a||||Expression\n-|||||");
}

TEST_F(SelectListTest, OnlyEntriesOfTheRowsOwnPickListChangeTheGrouping)
{
    Load(QStringLiteral("Select a, * From t"));
    const QString sql = SQL();
    // Unknown names, with or without Distinct, and aggregates the row's kind
    // cannot take.
    for (const char *text : {"Median", "Median Distinct", "Count Distinct Distinct", "Group"})
        Row(0)->SetGroupByTypeName(QString::fromLatin1(text));
    for (const char *text : {"Sum", "Avg Distinct", "Group By", "Where", "Count Distinct"})
        Row(1)->SetGroupByTypeName(QString::fromLatin1(text));
    EXPECT_SQL(SQL(), sql);
    EXPECT_EQ(Row(0)->GroupByType(), gtExpression);
    EXPECT_EQ(Row(1)->GroupByType(), gtExpression);
    // The entries themselves, in any case.
    Row(0)->SetGroupByTypeName(QStringLiteral("count distinct"));
    EXPECT_SQL(SQL(), "Select Count(Distinct a), * From t");
}

TEST_F(SelectListTest, StarTypedUnderAnAggregateThatCannotTakeItStandsAlone)
{
    Load(QStringLiteral("Select Sum(x), Count(y), Count(*) From t"));
    Row(0)->SetExpression(QStringLiteral("*"));
    EXPECT_EQ(Row(0)->GroupByType(), gtExpression);
    EXPECT_SQL(Row(0)->GetGroupByTypeName(), "Expression");
    // Count takes * as its star form, and a column again.
    Row(1)->SetExpression(QStringLiteral("*"));
    EXPECT_EQ(Row(1)->GroupByType(), gtAggregateStar);
    EXPECT_SQL(SQL(), "Select *, Count(*), Count(*) From t");
    Row(2)->SetExpression(QStringLiteral("z"));
    EXPECT_SQL(SQL(), "Select *, Count(*), Count(z) From t");
    EXPECT_SQL(Row(2)->GetExpression(), "z");
    EXPECT_SQL(Row(2)->GetGroupByTypeName(), "Count");
}

TEST_F(SelectListTest, ConditionsAddedToAnOrCellKeepTheirMeaning)
{
    Load(QStringLiteral("Select a, b From t"));
    Row(0)->SetCondition(0, QStringLiteral("= 1 Or = 2"));
    Row(0)->AddCondition(0, p->ParseLogicalExpression(QStringLiteral("a > 5"), true));
    EXPECT_SQL(SQL(), "Select a, b From t Where (a = 1 Or a = 2) And a > 5");
    // An OR cell beside another row's cell of the same column.
    Row(0)->SetCondition(0, QStringLiteral("= 1 Or = 2"));
    Row(1)->SetCondition(0, QStringLiteral("= 3"));
    const QString sql = SQL();
    EXPECT_SQL(sql, "Select a, b From t Where (a = 1 Or a = 2) And b = 3");
    EXPECT_SQL(Load(sql), sql);
}

TEST_F(SelectListTest, AColumnSortedTwiceIsSortedOnce)
{
    EXPECT_SQL(Load(QStringLiteral("Select a, b From t Order By a, b Desc, a Desc")),
               "Select a, b From t Order By a, b Desc");
    EXPECT_EQ(List()->SortOrderCount(), 2);
    EXPECT_SQL(Row(0)->GetSortTypeName(), "Ascending");
    // Unsorting it leaves no trace of the second mention.
    Row(0)->SetSortTypeName(QString());
    EXPECT_SQL(SQL(), "Select a, b From t Order By b Desc");
}

TEST_F(SelectListTest, OrderByTheAliasOfAnOutputColumnIsNotBoundToAFieldOfThatName)
{
    // a has a field id: sorting by the alias is sorting by a.x.
    EXPECT_SQL(Load(QStringLiteral("Select a.x As id From a Order By id Desc")),
               "Select a.x As id From a Order By id Desc");
    EXPECT_SQL(Load(QStringLiteral("Select a.x As id From a Union Select b.y From b Order By id")),
               "Select a.x As id From a Union Select b.y From b Order By id");
    // Without such an alias the name is a column of the block.
    EXPECT_SQL(Load(QStringLiteral("Select a.x As k From a Order By id")), "Select a.x As k From a Order By a.id");
    // And the field is no alias beside one of its name: both keys stay.
    EXPECT_SQL(Load(QStringLiteral("Select a.x As id, a.id From a Order By a.x Desc, a.id")),
               "Select a.x As id, a.id From a Order By a.x Desc, a.id");
}

// ---------------------------------------------------------------------------
// ORDER BY by position and by alias

TEST_F(SelectListTest, APositionInOrderBySortsTheOutputColumnItNamesAndFollowsIt)
{
    EXPECT_SQL(Load(QStringLiteral("Select a.id, Max(a.x) As m From a Group By a.id Order By 2")),
               "Select a.id, Max(a.x) As m From a Group By a.id Order By 2");
    // No row for a constant 2: the sort is the Max column's.
    EXPECT_EQ(List()->Count(), 3);
    EXPECT_SQL(Row(1)->GetSortTypeName(), "Ascending");
    EXPECT_SQL(Row(0)->GetSortTypeName(), "");
    // The column moves: the position follows it.
    List()->Move(1, 0);
    EXPECT_SQL(SQL(), "Select Max(a.x) As m, a.id From a Group By a.id Order By 1");
    // Another column no longer output: the position counts the rest.
    Load(QStringLiteral("Select a.id, a.x, b.y From a, b Order By 3 Desc, 2"));
    Row(0)->SetSelect(false);
    EXPECT_SQL(SQL(), "Select a.x, b.y From a, b Order By 2 Desc, 1");
    // The sorted column itself no longer output: it is sorted by its value.
    Row(2)->SetSelect(false);
    EXPECT_SQL(SQL(), "Select a.x From a, b Order By b.y Desc, 1");
    // A position past the columns, or past a *, names nothing the list
    // knows: it stays as written.
    EXPECT_SQL(Load(QStringLiteral("Select a.id From a Order By 2")), "Select a.id From a Order By 2");
    EXPECT_SQL(Load(QStringLiteral("Select a.*, a.x From a Order By 2")), "Select a.*, a.x From a Order By 2");
    // A sorted output row whose expression is a number is sorted by its
    // position: written as the number, it would name another column.
    Load(QStringLiteral("Select a.id, a.x From a"));
    Row(1)->SetExpression(QStringLiteral("1"));
    Row(1)->SetSortTypeName(QStringLiteral("Descending"));
    EXPECT_SQL(SQL(), "Select a.id, 1 From a Order By 2 Desc");
}

TEST_F(SelectListTest, AnAliasInOrderByStaysTheAliasInBracketsAndFollowsARename)
{
    // a has a field id: in brackets too the name is the output column's.
    EXPECT_SQL(Load(QStringLiteral("Select a.x As id From a Order By (id) Desc")),
               "Select a.x As id From a Order By id Desc");
    EXPECT_SQL(Load(QStringLiteral("Select a.x As id From a Order By ((id))")), "Select a.x As id From a Order By id");
    EXPECT_EQ(List()->Count(), 2);
    // The alias renamed: ORDER BY names the new one.
    EXPECT_SQL(Load(QStringLiteral("Select a.x As k From a Order By k")), "Select a.x As k From a Order By k");
    Row(0)->SetAlias(QStringLiteral("m"));
    EXPECT_SQL(SQL(), "Select a.x As m From a Order By m");
    // Without its alias the column is sorted by its value.
    Row(0)->SetAlias(QString());
    EXPECT_SQL(SQL(), "Select a.x From a Order By a.x");
}

// ---------------------------------------------------------------------------
// Grid edits that would build SQL the parser refuses

TEST_F(SelectListTest, AnEditThatWouldNotParseIsRefusedAndTheRowKeepsItsText)
{
    // An aggregate row keeps its aggregate around the text, and an
    // aggregate takes no comparison.
    Load(QStringLiteral("Select a.x From a"));
    Row(0)->SetGroupByTypeName(QStringLiteral("Sum"));
    EXPECT_SQL(SQL(), "Select Sum(a.x) From a");
    EXPECT_THAT(ToStd(ErrorOf([&] { Row(0)->SetExpression(QStringLiteral("a.x = 1")); })),
                ::testing::HasSubstr("Unexpected token"));
    EXPECT_SQL(Row(0)->GetExpression(), "a.x");
    EXPECT_SQL(SQL(), "Select Sum(a.x) From a");

    Load(QStringLiteral("Select Count(*) From a Having Count(*) > 1"));
    EXPECT_NE(ErrorOf([&] { Row(0)->SetExpression(QStringLiteral("a.x = 1")); }), "no error");
    EXPECT_SQL(SQL(), "Select Count(*) From a Having Count(*) > 1");

    // A criterion gets the row's expression back as its left side: a
    // comparison cannot stand there.
    Load(QStringLiteral("Select a.x From a Where a.x = 3"));
    EXPECT_NE(ErrorOf([&] { Row(0)->SetExpression(QStringLiteral("a.x > 1")); }), "no error");
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x = 3");
    Load(QStringLiteral("Select a.id From a"));
    TnvSelectItem *comparison = List()->AddExpression(QStringLiteral("a.x > 1"));
    EXPECT_NE(ErrorOf([&] { comparison->SetCondition(0, QStringLiteral("= 3")); }), "no error");
    EXPECT_EQ(comparison->ConditionsCount(), 0);
    EXPECT_SQL(SQL(), "Select a.id From a");

    // A grouped row takes no comparison either.
    Load(QStringLiteral("Select a.x From a Group By a.x"));
    EXPECT_NE(ErrorOf([&] { Row(0)->SetExpression(QStringLiteral("a.x = 1")); }), "no error");
    EXPECT_SQL(SQL(), "Select a.x From a Group By a.x");
    // What parses goes through.
    Row(0)->SetExpression(QStringLiteral("a.x + 1"));
    EXPECT_SQL(SQL(), "Select a.x + 1 From a Group By a.x + 1");
}

TEST_F(SelectListTest, ACriterionStartingWithAComparisonThatDoesNotParseIsRefused)
{
    Load(QStringLiteral("Select a.x From a Where a.x = 1"));
    // "first" is a reserved word, no parameter name.
    EXPECT_THAT(ToStd(ErrorOf([&] { Row(0)->SetCondition(0, QStringLiteral("= :first")); })),
                ::testing::HasSubstr("first"));
    EXPECT_SQL(Row(0)->GetCondition(0), "= 1");
    EXPECT_NE(ErrorOf([&] { Row(0)->SetCondition(0, QStringLiteral("> 'open")); }), "no error");
    EXPECT_NE(ErrorOf([&] { Row(0)->SetCondition(1, QStringLiteral("<> (1")); }), "no error");
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x = 1");
    // A value that is no condition is still compared with as a string.
    Row(0)->SetCondition(0, QStringLiteral("first"));
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x = 'first'");
    Row(0)->SetCondition(0, QStringLiteral("= :p"));
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x = :p");
}

// ---------------------------------------------------------------------------
// The printed statement read back

TEST_F(SelectListTest, WhatTheGridPrintsReadsBackToTheSameText)
{
    auto readsBack = [this](const char *why) {
        const QString sql = SQL();
        EXPECT_SQL(Load(sql), sql) << why;
    };
    // A criteria row that is no output column above one that is.
    Load(QStringLiteral("Select a.x From a Where a.x > 1"));
    List()->InsertExpression(0, QStringLiteral("a.id"));
    Row(0)->SetCondition(0, QStringLiteral("= 2"));
    EXPECT_SQL(SQL(), "Select a.x From a Where a.id = 2 And a.x > 1");
    readsBack("criteria order");
    EXPECT_SQL(Row(0)->GetExpression(), "a.id");
    // GROUP BY likewise, and a column grouped by twice.
    Load(QStringLiteral("Select a.x From a Group By a.x"));
    List()->InsertExpression(0, QStringLiteral("a.id"));
    Row(0)->SetGroupByTypeName(QStringLiteral("Group By"));
    List()->AddExpression(QStringLiteral("a.x"))->SetGroupByTypeName(QStringLiteral("Group By"));
    EXPECT_SQL(SQL(), "Select a.x From a Group By a.id, a.x");
    readsBack("group by");
    // Two rows of one expression sorted: one sort.
    Load(QStringLiteral("Select a.x From a Order By a.x"));
    List()->AddExpression(QStringLiteral("a.x"))->SetSortTypeName(QStringLiteral("Descending"));
    EXPECT_SQL(SQL(), "Select a.x From a Order By a.x");
    readsBack("sorted twice");
    // A criterion of another expression typed into a row's cell prints where
    // that expression's row stands; a cell holding an OR alone in its column
    // is so many columns.
    Load(QStringLiteral("Select a.id, a.x From a"));
    Row(0)->SetCondition(0, QStringLiteral("a.x = 1"));
    List()->InsertExpression(1, QStringLiteral("a.x + 1"))->SetCondition(0, QStringLiteral("> 5"));
    Row(2)->SetCondition(0, QStringLiteral("> 0"));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a Where a.x + 1 > 5 And a.x = 1 And a.x > 0");
    readsBack("foreign criterion");
    Row(2)->SetCondition(1, QStringLiteral("(= 5 Or = 6)"));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a Where a.x + 1 > 5 And a.x = 1 And a.x > 0 Or a.x = 5 Or a.x = 6");
    readsBack("or cell");
    // An aggregate unwrapped from around another stays an aggregate row:
    // grouping by it would read back as the aggregate again.
    Load(QStringLiteral("Select Min(Max(a.x)) From a"));
    Row(0)->SetGroupByTypeName(QStringLiteral("Group By"));
    EXPECT_SQL(SQL(), "Select Max(a.x) From a");
    EXPECT_EQ(Row(0)->GroupByType(), gtAggregate);
    readsBack("aggregate in an aggregate");
}

TEST_F(SelectListTest, StandardFunctionsStayInTheirRowsAndCells)
{
    // Loaded, each stays where it stood and the grid shows it so.
    const QString sql = QStringLiteral(
        "Select Upper(a.x), Coalesce(b.y, 0) As total, Trim(Both ' ' From a.x), Position('1' In a.x), "
        "Extract(Year From a.x), Char_Length(a.x), Current_Date, User From a Inner Join b On a.id = b.a_id "
        "Where Upper(a.x) = Upper(:p) And Nullif(b.y, 0) > 1");
    EXPECT_SQL(Load(sql), sql);
    EXPECT_SQL(Grid(), "x|Upper(a.x)||||Where|= Upper(:p)\n"
                       "x|Coalesce(b.y, 0)|total|||Expression\n"
                       "x|Trim(Both ' ' From a.x)||||Expression\n"
                       "x|Position('1' In a.x)||||Expression\n"
                       "x|Extract(Year From a.x)||||Expression\n"
                       "x|Char_Length(a.x)||||Expression\n"
                       "x|Current_Date||||Expression\n"
                       "x|User||||Expression\n"
                       "-|Nullif(b.y, 0)||||Where|> 1\n"
                       "-|||||");
    // Typed into a criteria cell and as a row's expression.
    Row(1)->SetCondition(0, QStringLiteral("= upper(:q)"));
    EXPECT_SQL(Row(1)->GetCondition(0), "= Upper(:q)");
    TnvSelectItem *added = List()->AddExpression(QStringLiteral("coalesce(a.id, 0)"));
    EXPECT_SQL(added->GetExpression(), "Coalesce(a.id, 0)");
    added->SetSelect(true);
    added->SetCondition(0, QStringLiteral("> position('2' in b.y)"));
    const QString edited = SQL();
    EXPECT_SQL(edited, "Select Upper(a.x), Coalesce(b.y, 0) As total, Trim(Both ' ' From a.x), Position('1' In a.x), "
                       "Extract(Year From a.x), Char_Length(a.x), Current_Date, User, Coalesce(a.id, 0) "
                       "From a Inner Join b On a.id = b.a_id Where Upper(a.x) = Upper(:p) And Coalesce(b.y, 0) = Upper(:q) "
                       "And Nullif(b.y, 0) > 1 And Coalesce(a.id, 0) > Position('2' In b.y)");
    EXPECT_SQL(Load(edited), edited);
}

TEST_F(SelectListTest, WhatIsLeftOrWrittenAsANegationPrintsAsItReadsBack)
{
    // A removal that leaves an OR in brackets inside the OR of the clause:
    // read back, every operand is a column of its own.
    Load(QStringLiteral("Select a.id From a, b Where b.y = 1 And ((a.x = 1 Or a.x = 2) Or a.id = 3)"));
    RemoveSource(QStringLiteral("b"));
    EXPECT_SQL(SQL(), "Select a.id From a Where a.x = 1 Or a.x = 2 Or a.id = 3");
    EXPECT_SQL(Load(SQL()), "Select a.id From a Where a.x = 1 Or a.x = 2 Or a.id = 3");
    // And an AND in one of them spreads over the rows of its columns, in
    // their order.
    Load(QStringLiteral("Select a.id From a, b Where b.y = 1 And (a.x = 1 Or (a.x = 2 And a.id = 3))"));
    RemoveSource(QStringLiteral("b"));
    EXPECT_SQL(SQL(), "Select a.id From a Where a.x = 1 Or a.id = 3 And a.x = 2");
    EXPECT_SQL(Load(SQL()), "Select a.id From a Where a.x = 1 Or a.id = 3 And a.x = 2");

    // A condition row compared with False prints as its negation, read back
    // as loading simplifies it: no double negation, and De Morgan's terms
    // each in the row of its own column.
    const struct {
        const char *Row, *Criterion, *Printed;
    } negations[] = {
        {"Not a.x = 1", "= False", "Select a.id From a Where a.id > 0 And a.x = 1"},
        {"a.x = 1 Or a.id = 2", "= False", "Select a.id From a Where a.id > 0 And Not a.id = 2 And Not a.x = 1"},
        {"a.x = 1 And a.id = 2", "= True", "Select a.id From a Where a.id > 0 And a.id = 2 And a.x = 1"},
        {"a.x = 1", "= False", "Select a.id From a Where a.id > 0 And Not a.x = 1"},
    };
    for (const auto &negation : negations) {
        SCOPED_TRACE(negation.Row);
        Load(QStringLiteral("Select a.id From a Where a.id > 0"));
        List()->AddExpression(QString::fromLatin1(negation.Row))
            ->SetCondition(0, QString::fromLatin1(negation.Criterion));
        EXPECT_SQL(SQL(), negation.Printed);
        EXPECT_SQL(Load(SQL()), negation.Printed);
    }
}

TEST_F(SelectListTest, NamesTypedBeforeTheirSourceIsAddedBindToIt)
{
    Load(QStringLiteral("Select a.x From a"));
    TnvSelectItem *y = List()->AddExpression(QStringLiteral("y"));
    y->SetSelect(true);
    TnvSelectItem *all = List()->AddExpression(QStringLiteral("b.*"));
    all->SetSelect(true);
    EXPECT_SQL(SQL(), "Select a.x, y, b.* From a");
    TnvDatasource *b = Part(0)->AddObject(QStringLiteral("b"), QString());
    EXPECT_SQL(SQL(), "Select a.x, b.y, b.* From a, b");
    EXPECT_EQ(y->DatasourceNode(), b->DatasourceAST());
    EXPECT_EQ(all->DatasourceNode(), b->DatasourceAST());
    // Bound, they follow the source's alias; a column bound before keeps its
    // source when another with such a field comes.
    b->SetAlias(QStringLiteral("t"));
    EXPECT_SQL(SQL(), "Select a.x, t.y, t.* From a, b t");
    Part(0)->AddObject(QStringLiteral("a"), QStringLiteral("a2"));
    EXPECT_SQL(SQL(), "Select a.x, t.y, t.* From a, b t, a a2");
    const QString sql = SQL();
    EXPECT_SQL(Load(sql), sql);
}

// ---------------------------------------------------------------------------
// The list

TEST_F(SelectListTest, ExactlyOneEmptyRowStaysAtTheEnd)
{
    Load(QStringLiteral("Select a From t"));
    List()->AddExpression(QStringLiteral("b"));
    EXPECT_EQ(List()->Count(), 3);
    EXPECT_TRUE(Row(2)->IsEmpty());
    List()->InsertExpression(0, QStringLiteral("c"));
    EXPECT_SQL(Grid(), "-|c||||Expression\nx|a||||Expression\n-|b||||Expression\n-|||||");
    // Emptied rows at the end go, down to one.
    Row(2)->SetExpression(QString());
    Row(1)->Clear();
    EXPECT_SQL(Grid(), "-|c||||Expression\n-|||||");
    List()->Clear();
    EXPECT_EQ(List()->Count(), 1);
    EXPECT_SQL(SQL(), "Select * From t");
    // Freeing the last row brings a new empty one.
    List()->RemoveLastRow();
    EXPECT_EQ(List()->Count(), 1);
    EXPECT_THROW(List()->Items(1), EListError);
    EXPECT_THROW(List()->Move(0, 1), EListError);
}

TEST_F(SelectListTest, TheGridIsRefilledAfterEachChangeAndIgnoresWritesMeanwhile)
{
    Load(QStringLiteral("Select a, b From t"));
    qb->CreateControls();
    auto *grid = dynamic_cast<TFakeControl *>(List()->GetControls(0));
    ASSERT_NE(grid, nullptr);
    // A new grid is filled at once.
    EXPECT_EQ(log.Matching({grid->Name + QStringLiteral(" FillList")}).size(), 1);
    EXPECT_EQ(List()->GetISelectListControl(), static_cast<InvSelectListControl *>(grid));
    // While the grid fills itself, what it writes back changes nothing.
    grid->OnFillList = [&] {
        EXPECT_TRUE(List()->IsFilling());
        Row(0)->SetExpression(QStringLiteral("z"));
        Row(0)->SetAlias(QStringLiteral("z"));
        Row(0)->SetSortTypeName(QStringLiteral("a"));
        Row(0)->SetSortOrderName(QStringLiteral("1"));
        Row(0)->SetGroupByTypeName(QStringLiteral("Sum"));
        Row(0)->SetCondition(0, QStringLiteral("1"));
    };
    log.Clear();
    Row(1)->SetExpression(QStringLiteral("c"));
    EXPECT_EQ(log.Matching({QStringLiteral("FillList")}).size(), 1);
    EXPECT_FALSE(List()->IsFilling());
    grid->OnFillList = nullptr;
    EXPECT_SQL(SQL(), "Select a, c From t");
    // The grid's current row follows a row moved by its menu.
    grid->CurrentRow = 1;
    Click(Row(1)->GetPopupMenu(), QStringLiteral("Move Up"));
    EXPECT_EQ(grid->CurrentRow, 0);
    Click(Row(0)->GetPopupMenu(), QStringLiteral("Move Down"));
    EXPECT_EQ(grid->CurrentRow, 1);
    // Another current row stays.
    grid->CurrentRow = 2;
    Click(Row(0)->GetPopupMenu(), QStringLiteral("Move Down"));
    EXPECT_EQ(grid->CurrentRow, 2);
    EXPECT_SQL(SQL(), "Select c, a From t");
}

TEST_F(SelectListTest, FieldsOfASourceAreAddedFoundAndRemoved)
{
    Load(QStringLiteral("Select a.x From a Inner Join b On a.id = b.a_id"));
    TSQLFromSource *a = Source(QStringLiteral("a"));
    TSQLFromSource *b = Source(QStringLiteral("b"));
    TnvSelectItem *star = List()->AddField(b, static_cast<const TSQLQualifiedName *>(nullptr));
    TnvSelectItem *y = List()->AddField(b, QStringLiteral("y"));
    List()->InsertField(0, a, Name(QStringLiteral("id")).get());
    EXPECT_SQL(SQL(), "Select a.id, a.x, b.*, b.y From a Inner Join b On a.id = b.a_id");
    EXPECT_EQ(List()->FindField(b, nullptr), star);
    EXPECT_EQ(List()->FindField(b, Name(QStringLiteral("Y")).get()), y);
    EXPECT_EQ(List()->FindField(a, Name(QStringLiteral("y")).get()), nullptr);
    EXPECT_EQ(List()->FindField(a, Name(QStringLiteral("x")).get()), Row(1));
    EXPECT_SQL(ErrorOf([&] { List()->AddField(b, QString()); }), "Invalid field name: ");

    // Unchecked fields: rows with an alias stay, not output; the others go.
    y->SetAlias(QStringLiteral("why"));
    List()->RemoveFields(b, Name(QStringLiteral("y")).get());
    List()->RemoveFields(a, Name(QStringLiteral("id")).get());
    List()->RemoveFields(b, nullptr);
    EXPECT_SQL(Grid(), "x|a.x||||Expression\n-|b.y|why|||Expression\n-|||||");
    EXPECT_SQL(SQL(), "Select a.x From a Inner Join b On a.id = b.a_id");
}

TEST_F(SelectListTest, RowsThatUseAGoingSourceGoAndCriteriaUsingItAreEmptied)
{
    Load(QStringLiteral("Select a.x, b.y, a.x + b.y, 1 From a, b Where a.x > 1 And a.id = b.a_id"));
    TSQLFromSource *b = Source(QStringLiteral("b"));
    EXPECT_FALSE(Row(0)->NotifyFromSourceDestroying(nullptr));
    EXPECT_TRUE(Row(1)->NotifyFromSourceDestroying(b));
    EXPECT_TRUE(Row(2)->NotifyFromSourceDestroying(b));
    EXPECT_FALSE(Row(3)->NotifyFromSourceDestroying(b));
    // a.x = b.a_id is a criterion of row a.id; a.x > 1 does not use b.
    TnvSelectItem *id = Row(4);
    EXPECT_SQL(id->GetExpression(), "a.id");
    EXPECT_FALSE(id->NotifyFromSourceDestroying(b));
    EXPECT_EQ(id->ConditionsCount(), 0);
    EXPECT_FALSE(Row(0)->NotifyFromSourceDestroying(b));
    EXPECT_SQL(SQL(), "Select a.x, b.y, a.x + b.y, 1 From a, b Where a.x > 1");
    // Without data sources of its own the FROM group names none.
    EXPECT_FALSE(List()->NotifyDatasourceDestroying(nullptr));
}

TEST_F(SelectListTest, ATermLeftAloneByARemovedSourcePrintsAsALoadReadsIt)
{
    // The term that stays was one in brackets among others; alone it is the
    // whole clause, whose brackets a load drops.
    const char *const cases[][2] = {
        {"Select a.x From a, b Where (b.y > 1) And (a.x Between 1 And 2)", "Select a.x From a Where a.x Between 1 And 2"},
        {"Select a.x From a, b Where (Not (a.x Between 1 And 2)) And Not (b.y In (1, 2))",
         "Select a.x From a Where Not (a.x Between 1 And 2)"},
        {"Select a.x From a, b Where (b.y > 1 Or a.x = 3) And (a.x = 1 Or a.id = 2)",
         "Select a.x From a Where a.x = 1 Or a.id = 2"},
        {"Select a.x, Count(*) From a, b Group By a.x Having (Count(b.y) > 1) And (Max(a.id) > 2)",
         "Select a.x, Count(*) From a Group By a.x Having Max(a.id) > 2"},
    };
    for (const auto &[sql, left] : cases) {
        Load(QString::fromLatin1(sql));
        RemoveSource(QStringLiteral("b"));
        EXPECT_SQL(SQL(), left) << sql;
        EXPECT_SQL(Load(SQL()), left) << sql;
    }
}

TEST_F(SelectListTest, ARemovedSourceTakesOnlyTheTermsOfACellThatUseIt)
{
    // Terms of one expression share its row's cell; the one that names the
    // going source goes, the other still filters.
    Load(QStringLiteral("Select a.x From a, b Where (a.x Between 1 And 2) And a.x < b.y"));
    RemoveSource(QStringLiteral("b"));
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x Between 1 And 2");
    Load(QStringLiteral("Select a.x From a, b Where a.x > 0 And a.x < b.y And a.x <> 3 Or a.x = b.y"));
    RemoveSource(QStringLiteral("b"));
    EXPECT_SQL(SQL(), "Select a.x From a Where a.x > 0 And a.x <> 3");
    // An ON condition of the going source that names only what stays goes
    // to WHERE, into the cell of a criterion that names the source.
    Load(QStringLiteral("Select b.x, a.y From a Inner Join b On a.x <> 2 Where a.x = b.y"));
    RemoveSource(QStringLiteral("b"));
    EXPECT_SQL(SQL(), "Select a.y From a Where a.x <> 2");
}

TEST_F(SelectListTest, ACriterionKeepsOneSubQueryWhateverOrderItsModelPrints)
{
    // The sub-query's model prints its criteria in the order of its rows
    // (IN before the correlated test); the criterion's cell still leaves the
    // sub-query to its row, so there is one model of it, which edits reach.
    Load(QStringLiteral("Select a1.id From a a1, b b2 Where Not Exists(Select b8.id From a p7, b b8 Where b8.id = "
                        "p7.id And b8.y = a1.x And b8.id In (Select c10.id From c c10, a s9 Where s9.x >= b2.y))"));
    EXPECT_EQ(qb->GetSubQueriesCount(), 3);
    // The source of that alias in the statement or any of its sub-queries.
    auto byAlias = [this](const QString &alias) -> TnvDatasource * {
        for (qsizetype i = 0; i < qb->GetSubQueriesCount(); ++i) {
            QList<TnvDatasource *> sources;
            qb->GetSubQueries(i)->UnionSubQueries(0)->FromGroup()->GetDatasources(sources);
            for (TnvDatasource *source : std::as_const(sources))
                if (source->GetAlias() == alias)
                    return source;
        }
        return nullptr;
    };
    ASSERT_NE(byAlias(QStringLiteral("s9")), nullptr);
    TObject::Free(byAlias(QStringLiteral("s9")));
    // What the sub-query no longer names does not take the criterion along.
    ASSERT_NE(byAlias(QStringLiteral("b2")), nullptr);
    TObject::Free(byAlias(QStringLiteral("b2")));
    EXPECT_SQL(SQL(), "Select a1.id From a a1 Where Not Exists(Select b8.id From a p7, b b8 Where b8.id = p7.id And "
                      "b8.id In (Select c10.id From c c10) And b8.y = a1.x)");
}

TEST_F(SelectListTest, ACriterionOrRowWhoseSubQueryUsesAGoingSourceGoesWhole)
{
    // A correlated sub-query names the going source: the criterion or row
    // that holds it goes as a whole, never only the inner condition (which
    // would leave IN, EXISTS or a comparison with other rows).
    const char *const cases[][2] = {
        {"Select a.id From a Inner Join b On a.id = b.a_id Where a.id In (Select c.b_id From c Where c.id = b.id)",
         "Select a.id From a"},
        {"Select a.id From a, b Where Exists(Select c.id From c Where c.b_id = b.id)", "Select a.id From a"},
        {"Select a.id From a, b Where Not Exists(Select c.id From c Where c.b_id = b.id) And a.x > 1",
         "Select a.id From a Where a.x > 1"},
        {"Select a.id From a, b Where a.x = (Select Max(c.id) From c Where c.b_id = b.id) Or a.x = 1",
         "Select a.id From a Where a.x = 1"},
        {"Select a.id From a, b Where a.x > 1 And a.x <> All(Select c.id From c Where c.b_id = b.id)",
         "Select a.id From a Where a.x > 1"},
        // Two levels down.
        {"Select a.id From a, b Where a.id In (Select c.b_id From c Where Exists(Select b1.id From b b1 Where "
         "b1.id = c.b_id And b1.y = b.y))",
         "Select a.id From a"},
        // In the select list, HAVING and ORDER BY.
        {"Select a.id, (Select Max(c.id) From c Where c.b_id = b.id) As m From a, b", "Select a.id From a"},
        {"Select a.x, Count(*) From a, b Group By a.x Having Count(*) > (Select Count(*) From c Where c.b_id = b.id)",
         "Select a.x, Count(*) From a Group By a.x"},
        {"Select a.id From a, b Order By (Select Max(c.id) From c Where c.b_id = b.id), a.id",
         "Select a.id From a Order By a.id"},
        // A sub-query that does not name it stays.
        {"Select a.id From a, b Where a.id In (Select c.b_id From c Where c.id = a.x) And b.y = 1",
         "Select a.id From a Where a.id In (Select c.b_id From c Where c.id = a.x)"},
    };
    for (const auto &[sql, left] : cases) {
        EXPECT_SQL(Load(QString::fromLatin1(sql)), QString::fromLatin1(sql));
        RemoveSource(QStringLiteral("b"));
        EXPECT_SQL(SQL(), left) << sql;
        EXPECT_SQL(Load(SQL()), left) << sql;
    }
    // An ON condition's term goes the same way.
    Load(QStringLiteral("Select b.y From a Inner Join b On a.id = b.a_id And b.y In (Select c.id From c Where "
                        "c.b_id = a.x) And b.y > 0"));
    RemoveSource(QStringLiteral("a"));
    EXPECT_SQL(SQL(), "Select b.y From b Where b.y > 0");
    // The sub-queries that went are no pages any more.
    Load(QStringLiteral("Select a.id From a, b Where a.id In (Select c.b_id From c Where c.id = b.id)"));
    EXPECT_EQ(qb->GetSubQueriesCount(), 2);
    RemoveSource(QStringLiteral("b"));
    EXPECT_EQ(qb->GetSubQueriesCount(), 1);
}

TEST_F(SelectListTest, ASubQueryNamesWhatItPrints)
{
    // A row of a sub-query's grid that prints nothing (no output, no
    // criterion left) names a source of the query around it: the row goes
    // with the source, the sub-query and the column it gives stay.
    Load(QStringLiteral("Select a.id, (Select Max(c.id) From c Where b.id = c.b_id) As m From a, b"));
    TnvSelectList *inner = qb->GetSubQueries(1)->UnionSubQueries(0)->SelectList();
    TnvSelectItem *row = nullptr;
    for (qsizetype i = 0; i < inner->Count(); ++i)
        if (inner->Items(i)->GetExpression() == QStringLiteral("b.id"))
            row = inner->Items(i);
    ASSERT_NE(row, nullptr);
    row->SetCondition(0, QString());
    EXPECT_SQL(SQL(), "Select a.id, (Select Max(c.id) From c) As m From a, b");
    RemoveSource(QStringLiteral("b"));
    EXPECT_SQL(SQL(), "Select a.id, (Select Max(c.id) From c) As m From a");
    EXPECT_SQL(Load(SQL()), SQL());
}

TEST_F(SelectListTest, SubQueriesOfTheSelectListNameTheSourcesLoadedAfterThem)
{
    // The select list is loaded before FROM: the rows its sub-queries make
    // for the part's columns are bound once the sources are there, and
    // follow a new alias as the rest of the text does.
    Load(QStringLiteral("Select (Select Max(c.id) From c Where c.b_id = a.id And a.x Not In (Select b.y From b Where "
                        "b.id = c.id)) As m, a.x From a"));
    QList<TnvDatasource *> sources;
    Part(0)->FromGroup()->GetDatasources(sources);
    ASSERT_EQ(sources.size(), 1);
    sources.front()->SetAlias(QStringLiteral("z"));
    EXPECT_SQL(SQL(), "Select (Select Max(c.id) From c Where c.b_id = z.id And z.x Not In (Select b.y From b Where "
                      "b.id = c.id)) As m, z.x From a z");
    // And go with it: the whole item.
    RemoveSource(QStringLiteral("z (a)"));
    EXPECT_SQL(SQL(), "Select *");
}

TEST_F(SelectListTest, SubSelectsInCriteriaAndExpressionsAreSubQueries)
{
    const QString sql =
        QStringLiteral("Select a.id, (Select Max(b.y) From b Where b.a_id = a.id) As top From a Where a.id In "
                       "(Select b.a_id From b) And a.x > 1");
    EXPECT_SQL(Load(sql), sql);
    ASSERT_EQ(qb->GetSubQueriesCount(), 3);
    EXPECT_EQ(qb->GetSubQueries(1)->Parent(), Row(1));
    EXPECT_EQ(qb->GetSubQueries(2)->Parent(), Row(0));
    EXPECT_SQL(Row(0)->GetCondition(0), "In (Select b.a_id From b)");
    // An edit of a sub-query shows in its cell and in the SQL.
    qb->GetSubQueries(2)->UnionSubQueries(0)->SelectList()->Items(0)->SetExpression(QStringLiteral("b.id"));
    EXPECT_SQL(Row(0)->GetCondition(0), "In (Select b.id From b)");
    EXPECT_TRUE(SQL().contains(QStringLiteral("Where a.id In (Select b.id From b) And a.x > 1")));
    // A criterion typed with a sub-select makes a sub-query; emptied, it goes.
    Row(2)->SetCondition(1, QStringLiteral("= (Select Min(c.id) From c)"));
    EXPECT_EQ(qb->GetSubQueriesCount(), 4);
    Row(2)->SetCondition(1, QString());
    EXPECT_EQ(qb->GetSubQueriesCount(), 3);
}

TEST_F(SelectListTest, ARowChangedOnceRunsTheQueryBuildersUpdateOnce)
{
    Load(QStringLiteral("Select a, b From t Where a > 1"));
    const int updates = qb->SQLUpdatedCount;
    Row(0)->SetCondition(0, QStringLiteral("> 2"));
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    // The same text again changes nothing.
    Row(1)->SetExpression(QStringLiteral("b"));
    Row(1)->SetAlias(QString());
    Row(1)->SetGroupByTypeName(QStringLiteral("expression"));
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    EXPECT_SQL(qb->SQLUpdatedTexts.last(), "Select a, b From t Where a > 2");
}

} // namespace
