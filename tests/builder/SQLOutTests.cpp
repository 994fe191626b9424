// The road of SQL out: after each change the query builder binds and counts
// a copy of its query, lists the objects, columns, output columns and
// parameters the query uses, and hands the change to the SQL-text
// components linked to it, each of which prints the query its own way.
#include "BuilderTestSupport.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Parameters.h"
#include "builder/model/Query.h"
#include "builder/model/QueryStatistics.h"
#include "builder/model/SQLTextBuilder.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/sql/SQLStatements.h"
#include "sqlmodel/text/SQLBuilderFormats.h"

#include <stdexcept>
#include <utility>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class SQLOutTest : public BuilderTest {
protected:
    TnvQueryStatistics *Stats() const { return qb->QueryStatistics(); }

    // "name@schema=full" for each used object; "!" marks one without metadata.
    QStringList Objects() const
    {
        QStringList lines;
        const TnvStatisticsDatabaseObjectsList *list = Stats()->UsedDatabaseObjects();
        for (qsizetype i = 0; i < list->Count(); ++i) {
            const TnvStatisticsDatabaseObject *o = list->Items(i);
            lines.append((o->MetadataObject() ? QString() : QStringLiteral("!")) + o->ObjectNameStr() + u'@' +
                         o->SchemaStr() + u'=' + o->FullNameStr());
        }
        return lines;
    }

    // "object.column:type" for each used column; "!" marks one without a field.
    QStringList Columns() const
    {
        QStringList lines;
        const TnvStatisticsColumnsList *list = Stats()->UsedColumns();
        for (qsizetype i = 0; i < list->Count(); ++i) {
            const TnvStatisticsColumn *c = list->Items(i);
            lines.append((c->MetadataField() ? QString() : QStringLiteral("!")) + c->ObjectNameStr() + u'.' +
                         c->ColumnNameStr() + u':' + QString::fromLatin1(FieldTypeName(c->GetFieldType())));
        }
        return lines;
    }

    // "expression|alias|column|source alias|object|type" for each output column.
    QStringList Outputs() const
    {
        QStringList lines;
        const TnvStatisticsOutputColumnsList *list = Stats()->OutputColumns();
        for (qsizetype i = 0; i < list->Count(); ++i) {
            const TnvStatisticsOutputColumn *c = list->Items(i);
            lines.append(QStringList{c->Expression(), c->Alias(), c->ColumnName(), c->DatasourceAlias(),
                                     c->ObjectName(), QString::fromLatin1(FieldTypeName(c->FieldType()))}
                             .join(u'|'));
        }
        return lines;
    }

    // "full name compare field object" for each parameter.
    QStringList Params() const
    {
        QStringList lines;
        const TnvParametersList *list = qb->Parameters();
        for (qsizetype i = 0; i < list->Count(); ++i) {
            const TnvParameter *p = list->Items(i);
            lines.append(QStringList{p->GetFullName(), p->CompareOperator(), p->FieldName(), p->ObjectName(),
                                     QString::fromLatin1(FieldTypeName(p->DataType()))}
                             .join(u' '));
        }
        return lines;
    }

    // A plain-text component linked to the query builder; freed by the test.
    TOwned<TnvSQLBuilderPlainText> Component(int margin, const QString &name = QString())
    {
        TOwned<TnvSQLBuilderPlainText> c = Create<TnvSQLBuilderPlainText>();
        c->SetRightMargin(margin);
        if (!name.isEmpty())
            c->OnSQLUpdated = [this, name](TObject *) { qb->Steps.append(name); };
        c->SetQueryBuilder(qb.get());
        return c;
    }
};

TEST_F(SQLOutTest, ParametersAreListedInTreeOrderAlsoWhenOneIsUsedTwice)
{
    Load(QStringLiteral("Select a.id From a Where a.id = :p And a.x = :p"));
    EXPECT_SQL(Params(), QStringList({":p = id a ftInteger", ":p = x a ftInteger"}));

    // Sub-queries and comparisons other than "=" are walked too; a parameter
    // compared with nothing has no field.
    Load(QStringLiteral("Select b.id From b Where b.y Between :lo And :hi Or b.a_id In "
                        "(Select a.id From a Where a.x > :x) Or :free Is Null"));
    EXPECT_SQL(Params(), QStringList({":lo >= y b ftInteger", ":hi <= y b ftInteger", ":x > x a ftInteger",
                                      ":free    ftUnknown"}));

    Load(QStringLiteral("Select a.id From a"));
    EXPECT_EQ(qb->Parameters()->Count(), 0);
    EXPECT_THROW(qb->Parameters()->Items(0), Exception);
}

TEST_F(SQLOutTest, StatisticsListObjectsAndColumnsAlsoThoseTheMetadataDoesNotKnow)
{
    Load(QStringLiteral("Select a.id, b.y, a.zzz From a Inner Join b On a.id = b.a_id, ghost g Where g.k = 1"));
    EXPECT_SQL(Objects(), QStringList({"a@=a", "b@=b", "!ghost@=ghost"}));
    // The columns the metadata knows, then the others by their written name
    // with an unknown type.
    EXPECT_SQL(Columns(), QStringList({"a.id:ftInteger", "b.y:ftInteger", "b.a_id:ftInteger", "!a.zzz:ftUnknown",
                                       "!g.k:ftUnknown"}));
    const TnvStatisticsColumn *unknown = Stats()->UsedColumns()->Items(3);
    EXPECT_EQ(unknown->MetadataObject(), nullptr);
    EXPECT_SQL(unknown->ObjectQualifiedName()->GetQualifiedName(), "a");

    // A column written without prefix that no source lists, once however
    // often it is used.
    Load(QStringLiteral("Select nowhere, a.x From a Where nowhere > 1 Order By a.x, nowhere"));
    EXPECT_SQL(Columns(), QStringList({"a.x:ftInteger", "!.nowhere:ftUnknown"}));

    // The empty query uses nothing.
    qb->Clear();
    ASSERT_NE(qb->ResultStatement(), nullptr);
    EXPECT_TRUE(Objects().isEmpty());
    EXPECT_TRUE(Columns().isEmpty());
    EXPECT_TRUE(Outputs().isEmpty());
}

TEST_F(SQLOutTest, OutputColumnsOfExpressionsAndOfStars)
{
    Load(QStringLiteral("Select a.id, (a.x) As ax, 1 + 2 As three, a.zzz, t.y From a, b t"));
    EXPECT_SQL(Outputs(), QStringList({"a.id||id||a|ftInteger", "(a.x)|ax|x||a|ftInteger", "1 + 2|three||||ftUnknown",
                                       "a.zzz||zzz||a|ftUnknown", "t.y||y|t|b|ftInteger"}));

    // * covers every source, t.* one; the alias qualifies the field when
    // there is one, else the object's name.
    Load(QStringLiteral("Select * From a Inner Join b t On a.id = t.a_id"));
    EXPECT_SQL(Outputs(), QStringList({"a.id||id||a|ftInteger", "a.x||x||a|ftInteger", "t.id||id|t|b|ftInteger",
                                       "t.a_id||a_id|t|b|ftInteger", "t.y||y|t|b|ftInteger"}));
    Load(QStringLiteral("Select t.*, a.x From a Inner Join b t On a.id = t.a_id"));
    EXPECT_SQL(Outputs(), QStringList({"t.id||id|t|b|ftInteger", "t.a_id||a_id|t|b|ftInteger",
                                       "t.y||y|t|b|ftInteger", "a.x||x||a|ftInteger"}));

    // A union lists the columns of its first part.
    Load(QStringLiteral("Select a.x From a Union Select b.y From b"));
    EXPECT_SQL(Outputs(), QStringList({"a.x||x||a|ftInteger"}));
}

TEST_F(SQLOutTest, EachChangeRunsTheStepsOnceInOrderAndReachesComponentsInOrderOfLinking)
{
    // Linking runs the component's update once, with the current text.
    qb->Steps.clear();
    auto first = Component(80, QStringLiteral("first"));
    auto second = Component(80, QStringLiteral("second"));
    EXPECT_SQL(qb->Steps, QStringList({"first", "second"}));
    ASSERT_EQ(qb->SQLBuildersCount(), 2);
    EXPECT_EQ(qb->SQLBuilders(0), first.get());

    qb->Steps.clear();
    QStringList seen;
    first->OnSQLUpdated = [&](TObject *sender) {
        EXPECT_EQ(sender, first.get());
        qb->Steps.append(QStringLiteral("first"));
        // The statistics and parameters are those of the new query already.
        seen.append(first->SQL());
        seen.append(QString::number(qb->Parameters()->Count()));
        seen.append(QString::number(Stats()->OutputColumns()->Count()));
    };
    Load(QStringLiteral("Select a.id, a.x From a Where a.x = :p"));
    EXPECT_SQL(qb->Steps, QStringList({"statistics", "parameters", "structure", "first", "second"}));
    EXPECT_SQL(seen, QStringList({"Select a.id, a.x\r\nFrom a\r\nWhere a.x = :p", "1", "2"}));

    // One edit, one pass.
    qb->Steps.clear();
    Part(0)->SelectList()->Items(1)->SetSelect(false);
    EXPECT_SQL(qb->Steps, QStringList({"statistics", "parameters", "structure", "first", "second"}));
    EXPECT_SQL(second->SQL().simplified(), "Select a.id From a Where a.x = :p");

    // Unlinked, a component hears nothing more and prints nothing.
    qb->Steps.clear();
    first->SetQueryBuilder(nullptr);
    EXPECT_SQL(first->SQL(), "");
    Load(QStringLiteral("Select a.x From a"));
    EXPECT_SQL(qb->Steps, QStringList({"statistics", "parameters", "structure", "second"}));
    ASSERT_EQ(qb->SQLBuildersCount(), 1);

    // A freed component leaves the list; with no one listening the result
    // waits to be read.
    second.reset();
    EXPECT_EQ(qb->SQLBuildersCount(), 0);
    qb->Steps.clear();
    Load(QStringLiteral("Select a.id From a"));
    EXPECT_TRUE(qb->Steps.isEmpty());
}

TEST_F(SQLOutTest, WithoutComponentsTheResultIsMadeWhenFirstRead)
{
    Load(QStringLiteral("Select a.id From a Where a.x = :p"));
    qb->Steps.clear();
    Load(QStringLiteral("Select b.y From b Where b.id = :q And b.y = :q"));
    // The grid holds the conditions by row: the row of b.id stands before
    // b.y's, so that the criteria print in the order they were written.
    Part(0)->SelectList()->Items(1)->SetAlias(QStringLiteral("why"));
    EXPECT_TRUE(qb->Steps.isEmpty());
    // Whatever is read first, everything is of the last change, made once.
    EXPECT_SQL(Params(), QStringList({":q = id b ftInteger", ":q = y b ftInteger"}));
    EXPECT_SQL(Outputs(), QStringList({"b.y|why|y||b|ftInteger"}));
    ASSERT_NE(qb->ResultStatement(), nullptr);
    EXPECT_SQL(qb->ResultStatement()->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr),
               "Select b.y As why From b Where b.id = :q And b.y = :q");
    EXPECT_SQL(qb->Steps, QStringList({"statistics", "parameters", "structure"}));
}

TEST_F(SQLOutTest, ComponentsFormatTheSameQueryEachWithItsOwnOptions)
{
    Load(QStringLiteral("Select a.id, a.x, b.id As bid, b.a_id, b.y From a Inner Join b On a.id = b.a_id "
                        "Where a.x > 1 And b.y < 2 Or a.id = 3"));
    auto narrow = Component(40);
    auto wide = Component(80);
    const QString narrowText = narrow->SQL(), wideText = wide->SQL();
    EXPECT_NE(narrowText, wideText);
    // The same words, wrapped differently.
    EXPECT_EQ(narrowText.simplified(), wideText.simplified());
    EXPECT_EQ(wideText.simplified(), SQL());
    for (const QString &line : narrowText.split(u'\n'))
        EXPECT_LE(line.trimmed().size(), 40) << line.toStdString();
    EXPECT_GT(narrowText.count(u'\n'), wideText.count(u'\n'));

    // Its own quoting and keyword case.
    wide->SetQuoteAllIdentifiers(true);
    EXPECT_TRUE(wide->QuoteAllIdentifiers());
    wide->SetKeywordFormat(nkfUpperCase);
    EXPECT_TRUE(wide->SQL().startsWith(QStringLiteral("SELECT \"a\".\"id\"")));
    EXPECT_TRUE(narrow->SQL().startsWith(QStringLiteral("Select a.id")));

    // The formats are copied, not shared.
    TSQLBuilderSelectFormat format(nullptr);
    format.Assign(narrow->MainQueryFormat());
    wide->SetMainQueryFormat(&format);
    EXPECT_NE(wide->MainQueryFormat(), &format);
}

TEST_F(SQLOutTest, FormatChangesRaiseTheEventAlsoWithoutQueryBuilder)
{
    auto c = Create<TnvSQLBuilderPlainText>();
    int events = 0;
    c->OnSQLUpdated = [&](TObject *) { ++events; };
    EXPECT_EQ(c->QueryBuilder(), nullptr);
    EXPECT_SQL(c->SQL(), "");
    EXPECT_EQ(c->RightMargin(), 80);
    EXPECT_EQ(c->KeywordFormat(), nkfFirstUpper);
    EXPECT_FALSE(c->QuoteAllIdentifiers());
    EXPECT_EQ(c->ObjectPrefixSkipping(), opsSkipAll);

    c->SetRightMargin(40);
    EXPECT_EQ(events, 1);
    c->SetRightMargin(40);
    EXPECT_EQ(events, 1);
    // Several changes in one bracket, one event.
    c->BeginUpdate();
    EXPECT_TRUE(c->IsUpdating());
    c->SetKeywordFormat(nkfLowerCase);
    c->SetObjectPrefixSkipping(opsSkipNone);
    c->MainQueryFormat()->SetMainPartsFromNewLine(!c->MainQueryFormat()->MainPartsFromNewLine());
    c->EndUpdate();
    EXPECT_EQ(events, 2);

    // While a stored component is read its property changes raise nothing;
    // the end of loading raises one event.
    c->SetLoading(true);
    c->SetRightMargin(60);
    EXPECT_EQ(events, 2);
    c->Loaded();
    EXPECT_EQ(events, 3);

    // Linking again to the same query builder does nothing.
    c->SetQueryBuilder(qb.get());
    EXPECT_EQ(events, 4);
    c->SetQueryBuilder(qb.get());
    EXPECT_EQ(events, 4);
    EXPECT_EQ(qb->SQLBuildersCount(), 1);
}

TEST_F(SQLOutTest, FreeingTheQueryBuilderLeavesComponentsWithoutOne)
{
    Load(QStringLiteral("Select a.id From a"));
    auto c = Component(80);
    EXPECT_SQL(c->SQL().simplified(), "Select a.id From a");
    qb.reset();
    EXPECT_EQ(c->QueryBuilder(), nullptr);
    EXPECT_SQL(c->SQL(), "");

    // The other way round: a component freed first is forgotten.
    qb = Create<TTestQueryBuilder>();
    qb->SetSyntaxProvider(p);
    c->SetQueryBuilder(qb.get());
    c.reset();
    EXPECT_EQ(qb->SQLBuildersCount(), 0);
    qb.reset();
}

TEST_F(SQLOutTest, AFailingComponentLeavesTheOthersInformedAndTheModelUsable)
{
    auto failing = Component(80);
    auto other = Component(80, QStringLiteral("other"));
    failing->OnSQLUpdated = [](TObject *) { throw std::runtime_error("component failed"); };
    qb->Steps.clear();
    EXPECT_THROW(Load(QStringLiteral("Select a.id From a")), std::runtime_error);
    EXPECT_SQL(qb->Steps, QStringList({"statistics", "parameters", "structure", "other"}));
    EXPECT_FALSE(qb->IsUpdating());
    failing->OnSQLUpdated = nullptr;
    EXPECT_SQL(Load(QStringLiteral("Select a.x From a")), "Select a.x From a");
    EXPECT_SQL(other->SQL().simplified(), "Select a.x From a");
}

// A handler that edits the query sees its edit reported in one more round
// once it returns; until then nobody hears of the query it replaced.
TEST_F(SQLOutTest, EditsMadeByAHandlerAreReportedOnceItReturns)
{
    Load(QStringLiteral("Select a.id From a"));
    auto first = Component(80);
    auto second = Component(80);
    QStringList firstSaw, secondSaw;
    std::function<void()> edit;
    first->OnSQLUpdated = [&](TObject *) {
        firstSaw.append(first->SQL().simplified());
        if (std::function<void()> once = std::exchange(edit, nullptr))
            once();
    };
    second->OnSQLUpdated = [&](TObject *) { secondSaw.append(second->SQL().simplified()); };
    auto source = [&] {
        TastNodeRefList sources;
        Part(0)->FromGroup()->GetFromSources(sources);
        return static_cast<TSQLFromSource *>(sources.first());
    };

    // A column added by the handler.
    edit = [&] { Part(0)->SelectList()->AddField(source(), QStringLiteral("x")); };
    const int updates = qb->SQLUpdatedCount;
    Load(QStringLiteral("Select a.id From a Where a.x = 1"));
    EXPECT_SQL(SQL(), "Select a.id, a.x From a Where a.x = 1");
    EXPECT_SQL(firstSaw, QStringList({"Select a.id From a Where a.x = 1", "Select a.id, a.x From a Where a.x = 1"}));
    EXPECT_SQL(secondSaw, QStringList({"Select a.id, a.x From a Where a.x = 1"}));
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 2);
    EXPECT_EQ(Stats()->OutputColumns()->Count(), 2);

    // Another query loaded by the handler replaces the one it heard of.
    firstSaw.clear();
    secondSaw.clear();
    edit = [&] { qb->SetSyncSQL(QStringLiteral("SELECT b.y FROM b")); };
    Load(QStringLiteral("Select c.id From c"));
    EXPECT_SQL(SQL(), "Select b.y From b");
    EXPECT_SQL(firstSaw, QStringList({"Select c.id From c", "Select b.y From b"}));
    EXPECT_SQL(secondSaw, QStringList({"Select b.y From b"}));
    EXPECT_SQL(Objects(), QStringList({"b@=b"}));

    // An edit that changes nothing reports nothing: a handler that loads
    // the same text each time is heard once more, then no more.
    firstSaw.clear();
    first->OnSQLUpdated = [&](TObject *) {
        firstSaw.append(first->SQL().simplified());
        qb->SetSyncSQL(QStringLiteral("SELECT a.x FROM a"));
    };
    Load(QStringLiteral("Select c.id From c"));
    EXPECT_SQL(firstSaw, QStringList({"Select c.id From c", "Select a.x From a"}));
    EXPECT_SQL(SQL(), "Select a.x From a");

    // A handler that changes the query every time is heard a bounded number
    // of times; SQL and the components still show the query it left.
    int calls = 0;
    first->OnSQLUpdated = [&](TObject *) {
        ++calls;
        TnvSelectItem *row = Part(0)->SelectList()->Items(0);
        row->SetSelect(!row->Select());
    };
    secondSaw.clear();
    Part(0)->SelectList()->AddField(source(), QStringLiteral("id"));
    EXPECT_EQ(calls, TnvQueryBuilderModel::MaxFollowUpRounds + 1);
    EXPECT_SQL(second->SQL().simplified(), SQL());
    EXPECT_SQL(first->SQL().simplified(), SQL());
    EXPECT_FALSE(Root()->IsChanged());
    EXPECT_FALSE(qb->IsUpdating());
    // So is one that edits every time it hears of a linking or a format
    // change, which the query builder does not announce.
    calls = 0;
    auto third = Create<TnvSQLBuilderPlainText>();
    third->OnSQLUpdated = first->OnSQLUpdated;
    first->OnSQLUpdated = nullptr;
    third->SetQueryBuilder(qb.get());
    EXPECT_GE(calls, 1);
    EXPECT_LE(calls, 2 * (TnvQueryBuilderModel::MaxFollowUpRounds + 1));
    EXPECT_SQL(third->SQL().simplified(), SQL());
}

TEST_F(SQLOutTest, TheResultFollowsTheSyntaxProvider)
{
    Load(QStringLiteral("Select a.id From a Where a.x = :p"));
    auto c = Component(80);
    ASSERT_NE(qb->ResultStatement(), nullptr);
    EXPECT_EQ(qb->ResultStatement()->SyntaxProvider(), p);
    EXPECT_EQ(Stats()->SyntaxProvider(), p);
    {
        TUnionTestProvider other;
        qb->SetSyntaxProvider(&other);
        EXPECT_EQ(Stats()->UsedColumns()->SyntaxProvider(), &other);
        // The provider goes: nothing keeps pointing at it.
    }
    EXPECT_EQ(qb->SyntaxProvider(), nullptr);
    ASSERT_NE(qb->ResultStatement(), nullptr);
    EXPECT_EQ(qb->ResultStatement()->SyntaxProvider(), nullptr);
    EXPECT_EQ(Stats()->SyntaxProvider(), nullptr);
    EXPECT_FALSE(c->SQL().isEmpty());
}

} // namespace
