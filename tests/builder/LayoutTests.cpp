// The layout document: the query and the places of its boxes saved and loaded
// again, the failures that end a load quietly, and damaged documents.
#include "JoinTestSupport.h"
#include "LayoutMutator.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QDomDocument>
#include <QRandomGenerator>
#include <limits>

namespace nvqb::test {
namespace {

class LayoutTest : public JoinTest {
protected:
    // Derived tables, sub-queries in the select list and in WHERE, and union
    // parts in brackets.
    const QString Nested = QStringLiteral(
        "Select a.id, (Select Max(c.id) From c Where c.b_id = a.id) m From a Inner Join b On a.id = b.a_id, "
        "(Select b.id, b.y From b Inner Join c On b.id = c.b_id) q Where a.x In (Select b.a_id From b) "
        "Union (Select c.id, c.b_id, c.id From c Union Select b.id, b.a_id, b.y From b, a) "
        "Union Select aa.id, aa.x, 1 From a aa");

    // A second query builder with the same dialect, metadata and fake
    // controls, which has never shown anything.
    TOwned<TTestQueryBuilder> Fresh(bool controls)
    {
        TOwned<TTestQueryBuilder> other = Create<TTestQueryBuilder>();
        other->SetControlFactory(&factory);
        other->SetSyntaxProvider(p);
        other->MetadataContainer()->SetWorkOffline(true);
        other->MetadataContainer()->LoadFromXML(qb->MetadataContainer()->GetXML());
        if (controls)
            other->CreateControls();
        return other;
    }

    // Every box of the query builder: sub-queries in order of making, union
    // parts in textual order, data sources in FROM order.
    static QList<TnvDatasource *> Boxes(TnvQueryBuilderModel *builder)
    {
        QList<TnvDatasource *> list;
        for (qsizetype i = 0; i < builder->GetSubQueriesCount(); ++i) {
            TnvSubQuery *subQuery = builder->GetSubQueries(i);
            for (qsizetype j = 0; j < subQuery->UnionSubQueriesCount(); ++j)
                subQuery->UnionSubQueries(j)->FromGroup()->GetDatasources(list);
        }
        return list;
    }

    static QList<QRect> Places(TnvQueryBuilderModel *builder)
    {
        QList<QRect> places;
        for (TnvDatasource *box : Boxes(builder))
            places.append(QRect(box->GetLeft(), box->GetTop(), box->GetWidth(), box->GetHeight()));
        return places;
    }

    // Gives every box a place and size of its own.
    static QList<QRect> PlaceEvery(TnvQueryBuilderModel *builder)
    {
        int k = 0;
        for (TnvDatasource *box : Boxes(builder)) {
            box->SetLeft(10 + 37 * k);
            box->SetTop(20 + 11 * k);
            box->SetHeight(60 + 3 * k);
            box->SetWidth(120 + 5 * k);
            ++k;
        }
        return Places(builder);
    }

    // The layout with one attribute of the n-th element of the name changed.
    static QString Edited(const QString &layout, const QString &name, int n, const QString &attribute,
                          const QString &value)
    {
        QDomDocument document;
        EXPECT_TRUE(document.setContent(layout));
        QDomElement element = document.elementsByTagName(name).item(n).toElement();
        EXPECT_FALSE(element.isNull());
        element.setAttribute(attribute, value);
        return document.toString(-1);
    }

    static QString Without(const QString &layout, const QString &name)
    {
        QDomDocument document;
        EXPECT_TRUE(document.setContent(layout));
        QDomElement element = document.documentElement().firstChildElement(name);
        EXPECT_FALSE(element.isNull());
        document.documentElement().removeChild(element);
        return document.toString(-1);
    }
};

TEST_F(LayoutTest, TheDocumentNamesTheQueryItsSubQueriesUnionPartsAndBoxes)
{
    Load(QStringLiteral("Select a.id From a Inner Join b bb On a.id = bb.a_id Where a.x In (Select c.b_id From c) "
                        "Union Select c.id From c"));
    qb->CreateControls();
    PlaceEvery(qb.get());
    QDomDocument document;
    ASSERT_TRUE(document.setContent(qb->GetLayout()));
    const QDomElement root = document.documentElement();
    EXPECT_SQL(root.tagName(), "NorvaneQueryBuilderLayout");
    QStringList children;
    for (QDomElement child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        children.append(child.tagName());
    EXPECT_SQL(children, "SQL | SubQueries");
    EXPECT_SQL(root.firstChildElement().text(), SQL());

    // Root query first, then the sub-query; one element per union part, one
    // per box.
    QStringList shape;
    const QDomElement subQueries = root.firstChildElement(QStringLiteral("SubQueries"));
    for (QDomElement subQuery = subQueries.firstChildElement(); !subQuery.isNull();
         subQuery = subQuery.nextSiblingElement()) {
        QStringList parts;
        for (QDomElement part = subQuery.firstChildElement(); !part.isNull(); part = part.nextSiblingElement()) {
            QStringList boxes;
            for (QDomElement box = part.firstChildElement(); !box.isNull(); box = box.nextSiblingElement())
                boxes.append(box.tagName() + u' ' + box.attribute(QStringLiteral("SQL")) + u' ' +
                             box.attribute(QStringLiteral("X")) + u',' + box.attribute(QStringLiteral("Y")) + u' ' +
                             box.attribute(QStringLiteral("Width")) + u'x' + box.attribute(QStringLiteral("Height")));
            parts.append(part.tagName() + QStringLiteral(" [") + boxes.join(QStringLiteral("; ")) + u']');
        }
        shape.append(subQuery.tagName() + QStringLiteral(" \"") + subQuery.attribute(QStringLiteral("SQL")) +
                     QStringLiteral("\": ") + parts.join(QStringLiteral(", ")));
    }
    EXPECT_SQL(shape, "SubQuery \"" + SQL() +
                          "\": UnionSubQuery [DataSource a 10,20 120x60; DataSource b bb 47,31 125x63], "
                          "UnionSubQuery [DataSource c 84,42 130x66] | "
                          "SubQuery \"Select c.b_id From c\": UnionSubQuery [DataSource c 121,53 135x69]");
}

TEST_F(LayoutTest, AFreshControlTakesEveryBoxOfEverySubQueryAndUnionPart)
{
    Load(Nested);
    qb->CreateControls();
    const QList<QRect> places = PlaceEvery(qb.get());
    // Three sub-queries besides the root, a union part in brackets.
    ASSERT_EQ(qb->GetSubQueriesCount(), 4);
    ASSERT_EQ(qb->Query()->UnionSubQueriesCount(), 4);
    ASSERT_EQ(places.size(), 11);
    const QString layout = qb->GetLayout();

    // A control that shows its boxes while the layout loads, one that makes
    // them afterwards, and one that never does.
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        TOwned<TTestQueryBuilder> other = Fresh(mode == 0);
        other->SetLayout(layout);
        if (mode == 1)
            other->CreateControls();
        EXPECT_SQL(other->GetSQL(), SQL());
        EXPECT_EQ(Places(other.get()), places);
        if (mode != 2) {
            QList<QRect> shown;
            for (TnvDatasource *box : Boxes(other.get()))
                shown.append(BoxOf(box) ? BoxOf(box)->Bounds : QRect());
            EXPECT_EQ(shown, places);
        }
        EXPECT_SQL(other->GetLayout(), layout);
    }

    // On the same control, moved boxes go back; an unchanged query is kept.
    TnvDatasource *first = Boxes(qb.get()).first();
    first->SetLeft(500);
    Boxes(qb.get()).last()->SetWidth(999);
    qb->SetLayout(layout);
    EXPECT_EQ(Boxes(qb.get()).first(), first);
    EXPECT_EQ(Places(qb.get()), places);
}

TEST_F(LayoutTest, ControlCharactersInTheQueryLeaveTheDocumentReadable)
{
    // In a literal, in a quoted alias (so in a box's SQL) and in a
    // sub-query, beside a carriage return that XML carries as it is.
    const QString sql = QStringLiteral("Select 'a") + QChar(1) + QStringLiteral("b', 'c\rd' From a \"x") + QChar(2) +
                        QStringLiteral("y\" Where \"x") + QChar(2) +
                        QStringLiteral("y\".x In (Select b.a_id From b Where b.y <> '") + QChar(0x1f) +
                        QStringLiteral("')");
    Load(sql);
    const QString loaded = SQL();
    ASSERT_TRUE(loaded.contains(QChar(1)) && loaded.contains(QChar(2)) && loaded.contains(QChar(0x1f)))
        << ToStd(loaded);
    ASSERT_EQ(qb->GetSubQueriesCount(), 2);
    const QList<QRect> places = PlaceEvery(qb.get());
    ASSERT_EQ(places.size(), 2);
    const QString layout = qb->GetLayout();
    QDomDocument document;
    ASSERT_TRUE(document.setContent(layout)) << ToStd(layout);

    // A fresh control takes the query as it was and every box's place.
    TOwned<TTestQueryBuilder> other = Fresh(true);
    other->SetLayout(layout);
    EXPECT_SQL(other->GetSQL(), loaded);
    EXPECT_EQ(Places(other.get()), places);
    EXPECT_SQL(other->GetLayout(), layout);

    // The control that wrote it keeps its query and takes the places back.
    Boxes(qb.get()).first()->SetLeft(500);
    Boxes(qb.get()).last()->SetTop(300);
    qb->SetLayout(layout);
    EXPECT_SQL(SQL(), loaded);
    EXPECT_EQ(Places(qb.get()), places);
}

// A text as printable ASCII, every other code unit as \uXXXX.
std::string CodeUnits(const QString &text)
{
    std::string result;
    for (QChar c : text) {
        if (c.unicode() >= 32 && c.unicode() < 127 && c != u'\\')
            result += char(c.unicode());
        else
            result += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toStdString();
    }
    return result;
}

TEST_F(LayoutTest, StringsOfAnyCharactersComeBackByteForByte)
{
    // Random literals over every kind of UTF-16 code unit, runs of white
    // space between characters XML cannot carry most of all (XML readers
    // drop text that is only white space between two elements).
    QRandomGenerator random(20240611);
    auto unit = [&]() -> char16_t {
        switch (random.bounded(9)) {
        case 0:
        case 1:
            return char16_t(random.bounded(32)); // control characters, tab, line ends
        case 2:
        case 3:
            return u" \t\r\n"[random.bounded(4)];
        case 4:
            return char16_t(32 + random.bounded(95)); // printable ASCII, quotes included
        case 5:
            return char16_t(0xD800 + random.bounded(0x800)); // surrogates, paired or not
        case 6:
            return u"\uFFFE\uFFFF\uFEFF\u0085\u2028\u00A0"[random.bounded(6)];
        default:
            return char16_t(random.bounded(0x10000));
        }
    };
    TOwned<TTestQueryBuilder> other = Fresh(false);
    for (int round = 0; round < 1000; ++round) {
        QString value;
        for (int i = 0, length = random.bounded(1, 12); i < length; ++i)
            value += QChar(unit());
        value.replace(QStringLiteral("'"), QStringLiteral("''"));
        const QString saved = Load(QStringLiteral("Select '") + value + QStringLiteral("' s, a.id From a"));
        SCOPED_TRACE(round);
        ASSERT_TRUE(saved.contains(value)) << ToStd(saved);
        const QString layout = qb->GetLayout();
        other->SetLayout(layout);
        ASSERT_EQ(CodeUnits(other->GetSQL()), CodeUnits(saved)) << ToStd(layout);
    }
    // A layout of an earlier build with white space between two characters
    // written as elements reads as it always did.
    other->SetLayout(QStringLiteral("<NorvaneQueryBuilderLayout><SQL>Select '<Char Code=\"1\"/> <Char Code=\"2\"/>' "
                                    "From a</SQL><SubQueries/></NorvaneQueryBuilderLayout>"));
    EXPECT_EQ(CodeUnits(other->GetSQL()), CodeUnits(QStringLiteral("Select '") + QChar(1) + QChar(2) + QStringLiteral("' From a")));
}

TEST_F(LayoutTest, BoxesThatPrintAlikeAllTakeThePlaceOfTheFirstElement)
{
    Load(QStringLiteral("Select * From a, a, b"));
    PlaceEvery(qb.get());
    const QString layout = qb->GetLayout();
    TOwned<TTestQueryBuilder> other = Fresh(true);
    other->SetLayout(layout);
    const QList<QRect> places = Places(other.get());
    ASSERT_EQ(places.size(), 3);
    EXPECT_EQ(places[0], QRect(10, 20, 120, 60));
    EXPECT_EQ(places[1], QRect(10, 20, 120, 60));
    EXPECT_EQ(places[2], QRect(84, 42, 130, 66));
}

TEST_F(LayoutTest, TextThatIsNoLayoutChangesNothing)
{
    Load(Nested);
    PlaceEvery(qb.get());
    const QString layout = qb->GetLayout();
    const QList<QRect> places = Places(qb.get());
    const int updates = qb->SQLUpdatedCount;
    for (const QString &text : {QStringLiteral("garbage"), QString(), QStringLiteral("   "),
                                QStringLiteral("<NorvaneQueryBuilderLayout>"), QStringLiteral("<a/>"),
                                QStringLiteral("<NorvaneQueryBuilderLayout><SubQueries/></NorvaneQueryBuilderLayout>"),
                                QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e \"Select 1\">]>"
                                               "<x><SQL>&e;</SQL></x>")}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_NO_THROW(qb->SetLayout(text));
        EXPECT_EQ(Places(qb.get()), places);
        EXPECT_SQL(qb->GetLayout(), layout);
    }
    EXPECT_EQ(qb->SQLUpdatedCount, updates);
}

TEST_F(LayoutTest, ALoadEndsQuietlyWhereAnElementOrValueFails)
{
    Load(Nested);
    const QList<QRect> places = PlaceEvery(qb.get());
    const QString layout = qb->GetLayout();

    // Without "SubQueries" the query is loaded and the new boxes keep the
    // places they have.
    {
        TOwned<TTestQueryBuilder> other = Fresh(false);
        EXPECT_NO_THROW(other->SetLayout(Without(layout, QStringLiteral("SubQueries"))));
        EXPECT_SQL(other->GetSQL(), SQL());
        for (const QRect &place : Places(other.get()))
            EXPECT_EQ(place, QRect());
    }
    // Without "SQL" nothing is read at all.
    {
        TOwned<TTestQueryBuilder> other = Fresh(false);
        const QString empty = other->GetSQL();
        EXPECT_NO_THROW(other->SetLayout(Without(layout, QStringLiteral("SQL"))));
        EXPECT_SQL(other->GetSQL(), empty);
    }
    // A bad "Width" on the third box: the first two are placed, the third
    // takes X, Y and Height, and nothing after it moves.
    for (const QString &bad : {QStringLiteral("wide"), QString(), QStringLiteral("12.5"),
                               QStringLiteral("99999999999")}) {
        SCOPED_TRACE(bad.toStdString());
        TOwned<TTestQueryBuilder> other = Fresh(true);
        EXPECT_NO_THROW(
            other->SetLayout(Edited(layout, QStringLiteral("DataSource"), 2, QStringLiteral("Width"), bad)));
        EXPECT_SQL(other->GetSQL(), SQL());
        const QList<QRect> loaded = Places(other.get());
        ASSERT_EQ(loaded.size(), places.size());
        EXPECT_EQ(loaded.mid(0, 2), places.mid(0, 2));
        EXPECT_EQ(loaded[2], QRect(places[2].left(), places[2].top(), 150, places[2].height()));
        for (qsizetype i = 3; i < loaded.size(); ++i)
            EXPECT_EQ(loaded[i].topLeft(), QPoint(0, 0)) << i;
    }
    // A missing "X" stops before anything of that box.
    {
        QDomDocument document;
        ASSERT_TRUE(document.setContent(layout));
        document.elementsByTagName(QStringLiteral("DataSource")).item(0).toElement().removeAttribute(
            QStringLiteral("X"));
        TOwned<TTestQueryBuilder> other = Fresh(false);
        EXPECT_NO_THROW(other->SetLayout(document.toString(-1)));
        for (const QRect &place : Places(other.get()))
            EXPECT_EQ(place, QRect());
    }
}

TEST_F(LayoutTest, StoredSQLReplacesTheQueryAtOnceOrIsKept)
{
    // Another query: loaded in one pass before its boxes are placed, also
    // under another root name.
    Load(QStringLiteral("Select b.y From b"));
    TOwned<TTestQueryBuilder> source = Fresh(false);
    TOwned<TSQLSelectStatement> statement = p->ParseSelect(QStringLiteral("Select a.id From a, c"));
    source->PrepareStatement(statement.get());
    source->LoadStatement(std::move(statement));
    PlaceEvery(source.get());
    QString layout = source->GetLayout();
    layout.replace(QStringLiteral("NorvaneQueryBuilderLayout"), QStringLiteral("Other"));
    const int updates = qb->SQLUpdatedCount;
    qb->SetLayout(layout);
    EXPECT_SQL(SQL(), "Select a.id From a, c");
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    EXPECT_EQ(Places(qb.get()), Places(source.get()));

    // SQL that does not parse: nothing changes and nothing is raised.
    const QList<QRect> places = Places(qb.get());
    QString broken = layout;
    broken.replace(QStringLiteral("<SQL>Select a.id From a, c</SQL>"), QStringLiteral("<SQL>Select From (</SQL>"));
    ASSERT_NE(broken, layout);
    EXPECT_NO_THROW(qb->SetLayout(broken));
    EXPECT_SQL(SQL(), "Select a.id From a, c");
    EXPECT_EQ(Places(qb.get()), places);

    // Without a syntax provider the SQL cannot be read: the load ends there.
    TOwned<TTestQueryBuilder> none = Create<TTestQueryBuilder>();
    EXPECT_NO_THROW(none->SetLayout(layout));
}

TEST_F(LayoutTest, UnionPartsAreMatchedByPosition)
{
    Load(QStringLiteral("Select a.id From a Union Select b.id From b Union Select c.id From c"));
    const QList<QRect> places = PlaceEvery(qb.get());
    const QString layout = qb->GetLayout();

    // The second part's element dropped: the third part finds no element.
    QDomDocument document;
    ASSERT_TRUE(document.setContent(layout));
    QDomElement subQuery = document.elementsByTagName(QStringLiteral("SubQuery")).item(0).toElement();
    subQuery.removeChild(subQuery.childNodes().item(1));
    TOwned<TTestQueryBuilder> other = Fresh(false);
    other->SetLayout(document.toString(-1));
    QList<QRect> loaded = Places(other.get());
    EXPECT_EQ(loaded[0], places[0]);
    EXPECT_EQ(loaded[1], QRect());
    EXPECT_EQ(loaded[2], QRect());

    // A comment in the row of parts stands where a part's element would: the
    // parts after it keep their places.
    ASSERT_TRUE(document.setContent(layout));
    subQuery = document.elementsByTagName(QStringLiteral("SubQuery")).item(0).toElement();
    subQuery.insertAfter(document.createComment(QStringLiteral("note")), subQuery.firstChild());
    other = Fresh(false);
    EXPECT_NO_THROW(other->SetLayout(document.toString(-1)));
    loaded = Places(other.get());
    EXPECT_EQ(loaded[0], places[0]);
    EXPECT_EQ(loaded[1], QRect());
}

TEST_F(LayoutTest, ALayoutOfAnEarlierPrintTakesItsSubQueriesByPosition)
{
    // An earlier version printed the sub-queries otherwise (keywords in
    // upper case, say): the boxes still find their places.
    Load(Nested);
    const QList<QRect> places = PlaceEvery(qb.get());
    const QString layout = qb->GetLayout();
    QString earlier = layout;
    for (int i = 0; i < qb->GetSubQueriesCount(); ++i)
        earlier = Edited(earlier, QStringLiteral("SubQuery"), i, QStringLiteral("SQL"),
                         qb->GetSubQueries(i)->GetResultSQL().toUpper());
    TOwned<TTestQueryBuilder> other = Fresh(false);
    other->SetLayout(earlier);
    EXPECT_SQL(other->GetSQL(), SQL());
    EXPECT_EQ(Places(other.get()), places);

    // With a sub-query element more or less than the query has, nothing says
    // which is which: only those whose SQL matches are taken.
    QDomDocument document;
    ASSERT_TRUE(document.setContent(earlier));
    QDomElement subQueries = document.documentElement().firstChildElement(QStringLiteral("SubQueries"));
    subQueries.removeChild(subQueries.lastChildElement(QStringLiteral("SubQuery")));
    other = Fresh(false);
    other->SetLayout(document.toString(-1));
    for (const QRect &place : Places(other.get()))
        EXPECT_EQ(place, QRect());
}

TEST_F(LayoutTest, ExtremeNumbersPutBoxesWhereTheirEdgesCanStillBeMeasured)
{
    // Stored integers at the ends of their range: a box keeps its place and
    // size within the largest extent a widget can have, so its right and
    // bottom edges (left + width) stay integers.
    Load(QStringLiteral("Select * From a, b"));
    const QString layout = qb->GetLayout();
    QString extreme = Edited(layout, QStringLiteral("DataSource"), 0, QStringLiteral("X"), QStringLiteral("2147483647"));
    extreme = Edited(extreme, QStringLiteral("DataSource"), 0, QStringLiteral("Width"), QStringLiteral("2147483647"));
    extreme = Edited(extreme, QStringLiteral("DataSource"), 1, QStringLiteral("Y"), QStringLiteral("-2147483648"));
    extreme = Edited(extreme, QStringLiteral("DataSource"), 1, QStringLiteral("Height"), QStringLiteral("-2147483648"));
    const int most = 16777215;
    for (bool controls : {false, true}) {
        SCOPED_TRACE(controls);
        TOwned<TTestQueryBuilder> other = Fresh(controls);
        other->SetLayout(extreme);
        const QList<QRect> places = Places(other.get());
        ASSERT_EQ(places.size(), 2);
        EXPECT_EQ(places[0].left(), most);
        EXPECT_EQ(places[0].width(), most);
        EXPECT_EQ(places[1].top(), -most);
        EXPECT_EQ(places[1].height(), 0);
        // The same through the setters.
        TnvDatasource *box = Boxes(other.get()).first();
        box->SetTop(std::numeric_limits<int>::min());
        box->SetHeight(std::numeric_limits<int>::max());
        EXPECT_EQ(box->GetTop(), -most);
        EXPECT_EQ(box->GetHeight(), most);
        EXPECT_EQ(box->StoredBounds().bottom(), -1);
    }
}

// Damaged documents never crash, never raise, and leave a model whose SQL
// parses again and whose layout loads again.
TEST_F(LayoutTest, DamagedLayoutsLeaveAModelThatPrintsValidSQL)
{
    qb->CreateControls();
    QStringList layouts;
    for (const QString &sql : TLayoutMutator::Statements()) {
        Load(sql);
        PlaceEvery(qb.get());
        layouts.append(qb->GetLayout());
    }
    TLayoutMutator mutator(20240518);
    // Deep SQL is the fuzzing program's part; here it stays shallow.
    mutator.MaxSQLDepth = 8;
    int cases = 0;
    for (; cases < 2000; ++cases) {
        if (cases % 400 == 0) {
            qb->DestroyControls();
            qb->Clear();
            if (cases % 800 == 0)
                qb->CreateControls();
        }
        const QString text = mutator.Mutate(layouts[mutator.Below(int(layouts.size()))]);
        qb->SetLayout(text);
        const QString sql = SQL();
        if (!sql.isEmpty()) {
            QString error;
            try {
                p->ParseSelect(sql);
            } catch (const Exception &e) {
                error = e.Message();
            }
            ASSERT_TRUE(error.isEmpty()) << "case " << cases << ": " << error.toStdString() << "\nSQL: "
                                         << sql.toStdString() << "\nlayout: " << text.toStdString();
        }
        const QString again = qb->GetLayout();
        qb->SetLayout(again);
        ASSERT_EQ(SQL().toStdString(), sql.toStdString()) << "case " << cases;
    }
}

} // namespace
} // namespace nvqb::test
