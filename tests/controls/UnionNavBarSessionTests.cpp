// A long session on the union navigation bar: random drags of buttons and
// brackets, bracket, button and operator menus, part and tab switches, all
// through the widgets. After every step the SQL parses again, and the bar
// and the pages agree with the model.
#include "ControlsTestSupport.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/UnionNavBar.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionGroup.h"
#include "builder/model/UnionSubQuery.h"

#include <QContextMenuEvent>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTest>

namespace nvqb::test {

namespace {

// Four parts with a group, and a fifth whose sub-query is a union itself.
const QString Start = QStringLiteral("SELECT 1 UNION (SELECT 2 UNION SELECT 3) UNION SELECT 4 UNION "
                                     "SELECT a.id FROM a WHERE a.id IN "
                                     "(SELECT b.a_id FROM b UNION SELECT c.b_id FROM c)");

class UnionSessionTest : public ControlsTest {
protected:
    QRandomGenerator random{19};
    QStringList steps;

    int Pick(int count) { return int(random.bounded(quint32(count))); }

    QList<TnvUnionGroup *> Groups() const
    {
        QList<TnvQueryBase *> nodes;
        TnvUnionNavBar::BuildList(nodes, qb->Query());
        QList<TnvUnionGroup *> groups;
        for (TnvQueryBase *node : nodes)
            if (auto *group = As<TnvUnionGroup>(node); group && !groups.contains(group))
                groups.append(group);
        return groups;
    }

    // Every bar control: the buttons, then the brackets.
    QList<QWidget *> BarControls() const
    {
        QList<QWidget *> controls;
        for (qsizetype i = 0; i < qb->Query()->UnionSubQueriesCount(); ++i)
            controls.append(ControlOf<TnvUnionButton>(Part(i), 1));
        for (TnvUnionGroup *group : Groups()) {
            controls.append(ControlOf<TnvLeftBracket>(group, 0));
            controls.append(ControlOf<TnvRightBracket>(group, 1));
        }
        return controls;
    }

    void DragOnto(QWidget *source, QWidget *target)
    {
        TnvDragMimeData data(source);
        data.setData(QString::fromLatin1(UnionMemberMimeType), QByteArray());
        DragDrop(target, target->rect().center(), &data);
    }

    void MenuOf(QWidget *control)
    {
        const int before = qb->PopupCount;
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(control, &event);
        if (qb->PopupCount == before)
            return;
        // Any enabled item but About.
        QList<TnvMenuItemData *> items;
        for (qsizetype i = 0; i < qb->PopupMenu()->Count(); ++i) {
            TnvMenuItemData *item = qb->PopupMenu()->Items(i);
            if (!item->Enabled() || item->IsSeparator() || item->Caption().startsWith(QStringLiteral("About")) ||
                item->Caption() == QStringLiteral("New Union Sub-Query"))
                continue;
            items.append(item);
        }
        if (items.isEmpty())
            return;
        TnvMenuItemData *item = items[Pick(int(items.size()))];
        steps.last() += QStringLiteral(" [") + item->Caption() + u']';
        qb->ClickMenuItem(item);
        Process();
    }

    void Step()
    {
        const QList<QWidget *> controls = BarControls();
        const qsizetype parts = qb->Query()->UnionSubQueriesCount();
        switch (Pick(7)) {
        case 0:
        case 1: {
            QWidget *source = controls[Pick(int(controls.size()))];
            QWidget *target = controls[Pick(int(controls.size()))];
            steps.append(QStringLiteral("drag %1 onto %2").arg(source->objectName(), target->objectName()));
            DragOnto(source, target);
            break;
        }
        case 2: {
            QWidget *control = controls[Pick(int(controls.size()))];
            steps.append(QStringLiteral("menu of ") + control->objectName());
            MenuOf(control);
            break;
        }
        case 3: {
            if (parts < 2)
                return;
            TnvUnionOperator *op = nullptr;
            for (int tries = 0; tries < 5 && !(op && op->isVisible()); ++tries)
                op = ControlOf<TnvUnionOperator>(Part(1 + Pick(int(parts) - 1)), 2);
            if (!op || !op->isVisible())
                return;
            steps.append(QStringLiteral("operator ") + ChooseUnionOperator(op, Pick(4)));
            break;
        }
        case 4: {
            steps.append(QStringLiteral("click part"));
            QTest::mouseClick(ControlOf<TnvUnionButton>(Part(Pick(int(parts))), 1), Qt::LeftButton, Qt::NoModifier,
                              QPoint(5, 5));
            break;
        }
        case 5: {
            steps.append(QStringLiteral("switch tab"));
            QTabBar *tabs = Pages()->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(Pick(tabs->count())).center());
            break;
        }
        default:
            if (parts < 3) {
                steps.append(QStringLiteral("reload"));
                SetSQL(Start);
            }
            break;
        }
        Process();
    }

    // The bar and the pages show the model as it is.
    void CheckAgreement()
    {
        const QString sql = SQL();
        ASSERT_NO_THROW(p->ParseSelect(sql)) << ToStd(sql);
        QList<TnvSubQuery *> statements{qb->Query()};
        for (qsizetype i = 0; i < qb->Query()->GetSubQueriesCount(); ++i)
            statements.append(qb->Query()->GetSubQuery(i));
        for (TnvSubQuery *statement : std::as_const(statements)) {
            TnvUnionNavBar *bar = NavBar(statement);
            ASSERT_NE(bar, nullptr);
            int checked = 0;
            int visiblePages = 0;
            for (qsizetype i = 0; i < statement->UnionSubQueriesCount(); ++i) {
                TnvUnionSubQuery *part = statement->UnionSubQueries(i);
                auto *button = ControlOf<TnvUnionButton>(part, 1);
                auto *page = ControlOf<TnvUnionSubQueryTabSheet>(part, 0);
                ASSERT_TRUE(button && page);
                EXPECT_EQ(button->parentWidget(), bar);
                EXPECT_EQ(button->text(), QString::number(i + 1));
                checked += button->isChecked();
                EXPECT_EQ(button->isChecked(), part == statement->CurrentUnionSubQuery());
                visiblePages += !page->isHidden();
                EXPECT_EQ(!page->isHidden(), part == statement->CurrentUnionSubQuery());
            }
            EXPECT_EQ(checked, 1);
            EXPECT_EQ(visiblePages, 1);
            // No control left behind: two per part, three per group.
            QList<QWidget *> shown;
            TnvUnionNavBar::BuildControlsList(shown, statement);
            int modelControls = 0;
            for (QObject *child : bar->children())
                modelControls += dynamic_cast<TnvModelControl *>(child) != nullptr;
            EXPECT_EQ(modelControls, shown.size());
            // One row, left to right.
            int x = -1;
            for (QWidget *control : std::as_const(shown)) {
                if (control->isHidden())
                    continue;
                EXPECT_GT(control->x(), x) << control->objectName().toStdString();
                x = control->x();
            }
            EXPECT_EQ(bar->width(), bar->CalcWidth());
        }
    }
};

} // namespace

TEST_F(UnionSessionTest, FiveHundredRandomStepsKeepBarPagesAndModelInStep)
{
    SetSQL(Start);
    for (int i = 0; i < 500; ++i) {
        Step();
        SCOPED_TRACE(ToStd(steps.mid(std::max<qsizetype>(0, steps.size() - 5))));
        CheckAgreement();
        ASSERT_TRUE(errors.isEmpty()) << ToStd(errors);
        if (HasFailure())
            break;
    }
}

} // namespace nvqb::test
