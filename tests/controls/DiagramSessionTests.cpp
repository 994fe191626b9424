// A long session on the diagram: random user actions on boxes and lines,
// each through the widgets (drops of tables, caption drags, check marks,
// field drags, Delete on lines and boxes), after each of which the SQL still
// parses and the widgets show the model: one box per data source, one line
// per link, no widget left over.
#include "DiagramTestSupport.h"
#include "common/Eventually.h"
#include "builder/controls/UnionNavBar.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/Query.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QApplication>
#include <QMap>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSet>
#include <QTabBar>
#include <QTest>

namespace nvqb::test {

namespace {

class DiagramSession : public DiagramTest {
protected:
    QList<TnvDatasource *> AllDatasources() const
    {
        QList<TnvDatasource *> list;
        CurrentUnion()->FromGroup()->GetDatasources(list);
        return list;
    }

    // The model and the widgets agree, and the SQL parses again.
    void Check(int step, const QString &action)
    {
        SCOPED_TRACE(QStringLiteral("step %1: %2").arg(step).arg(action).toStdString());
        const QList<TnvDatasource *> datasources = AllDatasources();
        for (TnvDatasource *datasource : datasources)
            ASSERT_NE(ControlOf<TnvQueryBuilderDataSourceControl>(datasource), nullptr);
        const QList<TnvLink *> links = Links();
        for (TnvLink *link : links)
            ASSERT_NE(Line(link), nullptr);
        EXPECT_EQ(BoxWidgets(), datasources.size());
        EXPECT_EQ(LineWidgets(), links.size());
        const QString sql = SQL();
        EXPECT_NO_THROW(p->ParseSelect(sql)) << ToStd(sql);
        ASSERT_TRUE(errors.isEmpty()) << ToStd(errors);
    }
};

} // namespace

TEST_F(DiagramSession, RandomActionsKeepModelAndWidgetsInStep)
{
    qb->SetGridSize(5);
    SetSQL(QStringLiteral("SELECT * FROM a INNER JOIN b ON a.id = b.a_id"));
    QRandomGenerator random(19);
    const QStringList tables = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    // How often each kind of action was taken, so the session is seen to
    // exercise all of them.
    int taken[7] = {};
    for (int step = 0; step < 500; ++step) {
        const QList<TnvDatasource *> datasources = AllDatasources();
        auto anyBox = [&]() -> TnvQueryBuilderDataSourceControl * {
            if (datasources.isEmpty())
                return nullptr;
            return ControlOf<TnvQueryBuilderDataSourceControl>(datasources[random.bounded(datasources.size())]);
        };
        QString action;
        const int kind = int(random.bounded(7));
        switch (kind) {
        case 0: {
            // A table dropped from the metadata tree onto the diagram.
            if (datasources.size() >= 8)
                break;
            TnvDragMimeData data(nullptr);
            WriteMetadataObjectDrag(&data, {tables[random.bounded(tables.size())], TnvDraggedObjectKind::Table});
            const QPoint at(random.bounded(10, 500), random.bounded(10, 300));
            DragDrop(WorkArea()->viewport(), at, &data);
            action = QStringLiteral("add at %1,%2").arg(at.x()).arg(at.y());
            break;
        }
        case 1: {
            TnvQueryBuilderDataSourceControl *box = anyBox();
            if (!box)
                break;
            const QPoint from(box->CaptionRect().x() + 10, box->CaptionRect().center().y());
            const QPoint by(random.bounded(-120, 121), random.bounded(-80, 81));
            Drag(box, from, from + by);
            action = QStringLiteral("move %1 by %2,%3").arg(box->GetCaption()).arg(by.x()).arg(by.y());
            break;
        }
        case 2: {
            TnvQueryBuilderDataSourceControl *box = anyBox();
            if (!box || box->FieldsList()->count() == 0)
                break;
            const int row = random.bounded(box->FieldsList()->count());
            box->FieldsList()->scrollToItem(box->FieldsList()->item(row));
            QTest::mouseClick(box->FieldsList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              CheckPoint(box->FieldsList(), row));
            Process();
            action = QStringLiteral("check row %1 of %2").arg(row).arg(box->GetCaption());
            break;
        }
        case 3: {
            TnvQueryBuilderDataSourceControl *from = anyBox();
            TnvQueryBuilderDataSourceControl *to = anyBox();
            if (!from || !to || from == to || from->FieldsList()->count() < 2 || to->FieldsList()->count() < 2)
                break;
            const int row = random.bounded(1, from->FieldsList()->count());
            const int target = random.bounded(to->FieldsList()->count());
            from->FieldsList()->scrollToItem(from->FieldsList()->item(row));
            to->FieldsList()->scrollToItem(to->FieldsList()->item(target));
            const QMimeData *data = DragRow(from->FieldsList(), row);
            if (data)
                DragDrop(to->FieldsList()->viewport(), RowPoint(to->FieldsList(), target), data);
            action = QStringLiteral("link row %1 to row %2").arg(row).arg(target);
            break;
        }
        case 4: {
            const QList<TnvLink *> links = Links();
            if (links.isEmpty())
                break;
            TnvQueryBuilderLinkControl *line = Line(links[random.bounded(links.size())]);
            if (!line)
                break;
            QTest::mouseClick(line, Qt::LeftButton, Qt::NoModifier, line->Points()[1]);
            QTest::keyClick(line, Qt::Key_Delete);
            Process();
            action = QStringLiteral("unlink");
            break;
        }
        case 5: {
            if (datasources.size() <= 1 || random.bounded(3) != 0)
                break;
            TnvQueryBuilderDataSourceControl *box = anyBox();
            QTest::mouseClick(box->FieldsList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              RowPoint(box->FieldsList(), 0));
            QTest::keyClick(box->FieldsList(), Qt::Key_Delete);
            Process();
            action = QStringLiteral("delete a box");
            break;
        }
        default: {
            TnvQueryBuilderDataSourceControl *box = anyBox();
            if (!box)
                break;
            QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->ButtonRect(1).center());
            Process();
            action = QStringLiteral("minimise or restore");
            break;
        }
        }
        if (!action.isEmpty())
            ++taken[kind];
        Check(step, action);
        if (HasFatalFailure() || HasFailure())
            return;
    }
    for (int kind = 0; kind < 7; ++kind)
        EXPECT_GE(taken[kind], 5) << "action kind " << kind;
    Shot(WorkArea(), QStringLiteral("diagram-session-end"));
}

} // namespace nvqb::test

// A long session over a whole query: twenty tables in two union parts and a
// sub-query, with every kind of user action the diagram and the union bar
// take, on whichever page and part is shown. After every step the SQL parses
// again and every diagram of the query shows its model.
namespace nvqb::test {

namespace {

constexpr quint32 SessionSeed = 20261209;

class WholeQuerySession : public DiagramTest {
protected:
    QRandomGenerator random{SessionSeed};
    QStringList tables{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QStringList steps;

    int Pick(int count) { return count > 0 ? int(random.bounded(quint32(count))) : 0; }

    void SetUp() override
    {
        DiagramTest::SetUp();
        qb->resize(900, 700);
        TnvMetadataContainer *container = qb->MetadataContainer();
        for (int k = 1; k <= 17; ++k) {
            const QString name = QStringLiteral("t%1").arg(k);
            TnvMetadataObject *object = container->AddTable(QString(), name);
            for (const char *field : {"id", "p_id", "v"}) {
                TOwned<TSQLQualifiedName> fieldName = Create<TSQLQualifiedName>(p);
                fieldName->AddName(QString::fromLatin1(field), false);
                object->GetFields()->AddField(fieldName.get(), ftInteger, 0, true, false);
            }
            object->GetFields()->SetLoaded(true);
            tables.append(name);
        }
    }

    // Twelve tables joined in a chain (one left join), a union part of seven
    // more, and a sub-query on its own page.
    static QString StartSQL()
    {
        QString sql = QStringLiteral("SELECT a.id, b.y FROM a INNER JOIN b ON a.id = b.a_id "
                                     "LEFT OUTER JOIN c ON b.id = c.b_id INNER JOIN t1 ON c.id = t1.p_id");
        for (int k = 2; k <= 9; ++k)
            sql += QStringLiteral(" INNER JOIN t%1 ON t%2.id = t%1.p_id").arg(k).arg(k - 1);
        sql += QStringLiteral(" UNION ALL SELECT t10.id, t10.v FROM t10");
        for (int k = 11; k <= 16; ++k)
            sql += QStringLiteral(" INNER JOIN t%1 ON t%2.id = t%1.p_id").arg(k).arg(k - 1);
        sql += QStringLiteral(" WHERE t10.id IN (SELECT t17.p_id FROM t17)");
        return sql;
    }

    TnvQueryBuilderDataSourceControl *AnyBox()
    {
        const QList<TnvDatasource *> list = PartDatasources(CurrentUnion());
        return list.isEmpty() ? nullptr
                              : ControlOf<TnvQueryBuilderDataSourceControl>(list[Pick(int(list.size()))]);
    }

    void Step()
    {
        switch (Pick(10)) {
        case 0: {
            if (PartDatasources(CurrentUnion()).size() >= 16)
                return;
            const QString table = tables[Pick(int(tables.size()))];
            const QPoint at(Pick(600) + 10, Pick(400) + 10);
            steps.append(QStringLiteral("drop %1 at %2,%3").arg(table).arg(at.x()).arg(at.y()));
            TnvDragMimeData data(nullptr);
            WriteMetadataObjectDrag(&data, {table, TnvDraggedObjectKind::Table});
            DragDrop(WorkArea()->viewport(), at, &data);
            break;
        }
        case 1: {
            TnvQueryBuilderDataSourceControl *box = AnyBox();
            if (!box)
                return;
            BringIntoView(box);
            const QPoint by(Pick(241) - 120, Pick(161) - 80);
            steps.append(QStringLiteral("move %1 by %2,%3").arg(box->GetCaption()).arg(by.x()).arg(by.y()));
            MoveBoxBy(box, by);
            break;
        }
        case 2: {
            TnvQueryBuilderDataSourceControl *box = AnyBox();
            if (!box || box->FieldsList()->count() == 0 || !box->FieldsList()->isVisible())
                return;
            BringIntoView(box);
            const int row = Pick(box->FieldsList()->count());
            steps.append(QStringLiteral("check row %1 of %2").arg(row).arg(box->GetCaption()));
            ClickFieldCheck(box, row);
            break;
        }
        case 3: {
            TnvQueryBuilderDataSourceControl *from = AnyBox();
            TnvQueryBuilderDataSourceControl *to = AnyBox();
            const QString done = LinkRandomFields(from, to, [this](int count) { return Pick(count); });
            if (done.isEmpty())
                return;
            steps.append(done);
            break;
        }
        case 4: {
            const QList<TnvLink *> links = PartLinks(CurrentUnion());
            if (links.isEmpty())
                return;
            TnvQueryBuilderLinkControl *line = Line(links[Pick(int(links.size()))]);
            if (!line || line->Points().size() < 2)
                return;
            steps.append(QStringLiteral("unlink"));
            if (!DeleteLine(line))
                steps.last() += QStringLiteral(" (line covered)");
            break;
        }
        case 5: {
            if (PartDatasources(CurrentUnion()).size() <= 2 || Pick(2))
                return;
            TnvQueryBuilderDataSourceControl *box = AnyBox();
            if (!box->FieldsList()->isVisible())
                return;
            BringIntoView(box);
            steps.append(QStringLiteral("delete ") + box->GetCaption());
            DeleteBox(box);
            break;
        }
        case 6: {
            TnvSubQuery *statement = CurrentSubQuery();
            if (statement->UnionSubQueriesCount() < 2)
                return;
            auto *op = ControlOf<TnvUnionOperator>(statement->UnionSubQueries(1), 2);
            if (!op || !op->isVisible())
                return;
            steps.append(QStringLiteral("operator ") + ChooseUnionOperator(op, Pick(4)));
            break;
        }
        case 7: {
            TnvSubQuery *statement = CurrentSubQuery();
            auto *button = ControlOf<TnvUnionButton>(statement->UnionSubQueries(
                                                         Pick(int(statement->UnionSubQueriesCount()))),
                                                     1);
            if (!button || !button->isVisible())
                return;
            steps.append(QStringLiteral("union button ") + button->text());
            QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
            break;
        }
        case 8: {
            QTabBar *tabs = Pages()->tabBar();
            const int tab = Pick(tabs->count());
            steps.append(QStringLiteral("tab %1").arg(tab));
            QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(tab).center());
            break;
        }
        default: {
            TnvQueryBuilderDataSourceControl *box = AnyBox();
            if (!box)
                return;
            BringIntoView(box);
            steps.append(QStringLiteral("minimise or restore ") + box->GetCaption());
            ToggleMinimise(box);
            break;
        }
        }
        Process();
    }

    // Each shown line leaves its boxes at their left or right edge, beside
    // the box.
    void CheckLineEnds(const QList<TnvLink *> &links)
    {
        for (TnvLink *link : links) {
            TnvQueryBuilderLinkControl *line = Line(link);
            auto *left = ControlOf<TnvQueryBuilderDataSourceControl>(link->LeftDatasource());
            auto *right = ControlOf<TnvQueryBuilderDataSourceControl>(link->RightDatasource());
            ASSERT_TRUE(line && left && right);
            const auto &points = line->Points();
            ASSERT_GE(points.size(), 4u);
            const std::pair<QPoint, TnvQueryBuilderDataSourceControl *> ends[] = {
                {points[0] + line->pos(), left}, {points[points.size() - 1] + line->pos(), right}};
            for (const auto &[end, box] : ends) {
                const QRect frame = box->geometry();
                EXPECT_TRUE(std::abs(end.x() - frame.left()) <= 1 || std::abs(end.x() - frame.right() - 1) <= 1)
                    << ToStd(box->GetCaption()) << " end " << end.x() << "," << end.y() << " frame " << frame.x()
                    << "," << frame.y() << " " << frame.width() << "x" << frame.height();
                EXPECT_TRUE(end.y() >= frame.top() && end.y() <= frame.bottom() + 1)
                    << ToStd(box->GetCaption()) << " end " << end.x() << "," << end.y() << " frame " << frame.x()
                    << "," << frame.y() << " " << frame.width() << "x" << frame.height();
            }
        }
    }

    // Every diagram of the query shows its model, and the lines of the
    // current part end at their boxes.
    void CheckAgreement()
    {
        const QString sql = SQL();
        ASSERT_NO_THROW(p->ParseSelect(sql)) << ToStd(sql);
        ExpectEveryDiagramShowsItsModel();
        CheckLineEnds(PartLinks(CurrentUnion()));
    }
};

} // namespace

TEST_F(WholeQuerySession, FiveHundredRandomActionsOverTwentyTablesKeepEveryDiagramInStep)
{
    SetSQL(StartSQL());
    {
        SCOPED_TRACE("loaded");
        CheckAgreement();
        ASSERT_FALSE(HasFailure());
    }
    ASSERT_GE(PartDatasources(Part(0)).size() + PartDatasources(Part(1)).size(), 19);
    QMap<QString, int> taken;
    for (int i = 0; i < 500; ++i) {
        const qsizetype before = steps.size();
        Step();
        SCOPED_TRACE(QStringLiteral("seed %1, step %2; last steps: %3")
                         .arg(SessionSeed)
                         .arg(i)
                         .arg(steps.mid(std::max<qsizetype>(0, steps.size() - 6)).join(QStringLiteral(" | ")))
                         .toStdString());
        CheckAgreement();
        ASSERT_TRUE(errors.isEmpty()) << ToStd(errors);
        if (HasFailure())
            break;
        if (steps.size() > before)
            ++taken[steps.last().section(u' ', 0, 0)];
    }
    // Every kind of action was taken, so the session is seen to cover them.
    for (const char *kind : {"drop", "move", "check", "link", "unlink", "delete", "operator", "union", "tab", "minimise"})
        EXPECT_GE(taken.value(QString::fromLatin1(kind)), 3) << kind;
    Shot(WorkArea(), QStringLiteral("diagram-whole-query-session-end"));
}

} // namespace nvqb::test

namespace nvqb::test {

// Removing a link can make the FROM clause join a table from its other end;
// the line of the link that turned round must then start at its new left
// box, or its marks (the outer side, the cardinalities) stand at the wrong
// ends.
TEST_F(WholeQuerySession, LineFollowsALinkThatTurnsRound)
{
    qb->SetGridSize(1);
    SetSQL(QStringLiteral("SELECT * FROM a INNER JOIN b ON a.id = b.a_id INNER JOIN c ON b.id = c.b_id "
                          "INNER JOIN t1 ON c.id = t1.p_id INNER JOIN t2 ON t1.id = t2.p_id AND b.id = t2.v"));
    TnvLink *turning = nullptr, *removed = nullptr;
    for (TnvLink *link : PartLinks(CurrentUnion())) {
        const QString ends = link->LeftDatasource()->GetDataSourceName() + u'-' +
                             link->RightDatasource()->GetDataSourceName();
        if (ends == u"t1-t2")
            turning = link;
        else if (ends == u"c-t1")
            removed = link;
    }
    ASSERT_TRUE(turning && removed);
    TnvQueryBuilderLinkControl *line = Line(removed);
    WindowClick(line, line->Points()[1]);
    ASSERT_EVENTUALLY(QApplication::focusWidget() == line);
    QTest::keyClick(line, Qt::Key_Delete);
    Process();
    ASSERT_EQ(PartLinks(CurrentUnion()).size(), 4);
    ASSERT_EQ(turning->LeftDatasource()->GetDataSourceName(), QStringLiteral("t2"));
    CheckLineEnds(PartLinks(CurrentUnion()));
}

} // namespace nvqb::test
