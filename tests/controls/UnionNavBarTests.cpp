// The union navigation bar: its controls and their layout, captions and
// hints, the buttons switching union parts, the drag threshold, the drops
// that reorder parts and move brackets, and the bracket and operator menus.
#include "ControlsTestSupport.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/UnionNavBar.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionGroup.h"
#include "builder/model/UnionSubQuery.h"

#include <QContextMenuEvent>
#include <QTest>

namespace nvqb::test {

namespace {

// "1 | (2 | 3)" for "Select 1 Union (Select 2 Union Select 3)".
QString Shape(const TnvUnionGroup *group)
{
    QStringList members;
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvQueryBase *member = group->GetItems(i);
        if (auto *nested = As<TnvUnionGroup>(member))
            members.append(u'(' + Shape(nested) + u')');
        else
            members.append(static_cast<TnvUnionSubQuery *>(member)->GetResultSQL().section(u' ', 1, 1));
    }
    return members.join(QStringLiteral(" | "));
}

} // namespace

class UnionNavBarTest : public ControlsTest {
protected:
    QString Shape() const { return test::Shape(qb->Query()); }
    TnvUnionButton *Button(qsizetype part) const { return ControlOf<TnvUnionButton>(Part(part), 1); }
    TnvUnionOperator *Operator(TnvQueryBase *member) const { return ControlOf<TnvUnionOperator>(member, 2); }
    TnvUnionGroup *Group(qsizetype index) const { return As<TnvUnionGroup>(qb->Query()->GetItems(index)); }
    TnvLeftBracket *Left(TnvUnionGroup *group) const { return ControlOf<TnvLeftBracket>(group, 0); }
    TnvRightBracket *Right(TnvUnionGroup *group) const { return ControlOf<TnvRightBracket>(group, 1); }

    // Drags Source (a bar control) onto Target through the drag's events.
    bool Drop(QWidget *source, QWidget *target)
    {
        TnvDragMimeData data(source);
        data.setData(QString::fromLatin1(UnionMemberMimeType), QByteArray());
        return DragDrop(target, target->rect().center(), &data);
    }
    void Menu(QWidget *control)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(control, &event);
    }
};

TEST_F(UnionNavBarTest, UnionAllShowsTwoButtonsAndAnOperatorBetween)
{
    SetSQL(QStringLiteral("SELECT 1 UNION ALL SELECT 2"));
    TnvUnionNavBar *bar = NavBar();
    TnvUnionButton *first = Button(0);
    TnvUnionButton *second = Button(1);
    TnvUnionOperator *op = Operator(Part(1));
    ASSERT_TRUE(bar && first && second && op);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(second->isVisible());
    EXPECT_TRUE(op->isVisible());
    // The first member of a group has no operator.
    EXPECT_FALSE(Operator(Part(0))->isVisible());
    EXPECT_SQL(op->Caption(), "ua");
    EXPECT_SQL(op->Hint(), "union all");
    EXPECT_SQL(op->toolTip(), "union all");
    EXPECT_SQL(first->text(), "1");
    EXPECT_SQL(second->text(), "2");
    EXPECT_TRUE(first->isChecked());
    EXPECT_FALSE(second->isChecked());

    // One row from the left: button, operator (centred), button.
    EXPECT_EQ(first->x(), bar->ClientRect().left());
    EXPECT_EQ(op->x(), first->geometry().right() + 1);
    EXPECT_EQ(second->x(), op->geometry().right() + 1);
    EXPECT_EQ(op->y(), bar->ClientRect().top() + (bar->ClientRect().height() - op->height()) / 2);
    EXPECT_EQ(first->y(), bar->ClientRect().top());
    EXPECT_EQ(bar->width(), 4 + first->width() + op->width() + second->width());
    EXPECT_EQ(bar->width(), bar->CalcWidth());

    // The operator shows the dialect's icon of UNION ALL.
    const QImage shot = Shot(bar, QStringLiteral("navbar-union-all"));
    const QImage *icon = TnvBaseSyntaxProvider::GetUnionOperatorIcon(QStringLiteral("UNION ALL"));
    ASSERT_TRUE(icon && !icon->isNull());
    int same = 0;
    for (int y = 0; y < std::min(icon->height(), op->height()); ++y)
        for (int x = 0; x < std::min(icon->width(), op->width()); ++x)
            if (icon->pixelColor(x, y).alpha() == 255)
                same += shot.pixelColor(op->x() + x, op->y() + y).rgb() == icon->pixelColor(x, y).rgb();
    EXPECT_GT(same, 10);

    SetSQL(QStringLiteral("SELECT 1 EXCEPT SELECT 2"));
    EXPECT_SQL(Operator(Part(1))->Caption(), "e");
    EXPECT_SQL(Operator(Part(1))->Hint(), "except");
}

TEST_F(UnionNavBarTest, ASubQuerysBarIsLaidOutWhenItsPageIsMade)
{
    // The sub-query's parts get their controls with its page, all at once,
    // while its tab is not shown.
    SetSQL(QStringLiteral("SELECT a.id FROM a WHERE a.id IN (SELECT b.a_id FROM b UNION SELECT c.b_id FROM c)"));
    TnvSubQuery *inner = qb->Query()->GetSubQuery(0);
    ASSERT_NE(Pages()->currentWidget(), QueryPage(inner));
    auto *first = ControlOf<TnvUnionButton>(inner->UnionSubQueries(0), 1);
    auto *second = ControlOf<TnvUnionButton>(inner->UnionSubQueries(1), 1);
    auto *op = ControlOf<TnvUnionOperator>(inner->UnionSubQueries(1), 2);
    ASSERT_TRUE(first && second && op);
    EXPECT_SQL(second->text(), "2");
    EXPECT_EQ(op->x(), first->geometry().right() + 1);
    EXPECT_EQ(second->x(), op->geometry().right() + 1);
    EXPECT_EQ(NavBar(inner)->width(), NavBar(inner)->CalcWidth());
}

TEST_F(UnionNavBarTest, WithoutAnIconTheOperatorIsARectangle)
{
    SetSQL(QStringLiteral("SELECT 1 UNION SELECT 2"));
    TnvUnionOperator *op = Operator(Part(1));
    op->SetUnionOperator(QStringLiteral("merge"));
    Process();
    EXPECT_SQL(op->Caption(), "m");
    const QImage shot = Shot(op, QStringLiteral("navbar-operator-rectangle"));
    const QColor frame = op->palette().color(QPalette::WindowText);
    EXPECT_EQ(Rgb(shot, 0, 8), Rgb(frame));
    EXPECT_EQ(Rgb(shot, 15, 8), Rgb(frame));
    EXPECT_EQ(Rgb(shot, 8, 0), Rgb(frame));
    EXPECT_NE(Rgb(shot, 8, 8), Rgb(frame));
    op->SetUnionOperator(QString());
    EXPECT_SQL(op->Hint(), "union");
}

TEST_F(UnionNavBarTest, ButtonsSwitchThePartShownAndOpenItsMenuAndProperties)
{
    SetSQL(QStringLiteral("SELECT a.id FROM a UNION SELECT b.id FROM b"));
    QTest::mouseClick(Button(1), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    Process();
    EXPECT_EQ(CurrentUnion(), Part(1));
    EXPECT_TRUE(Button(1)->isChecked());
    EXPECT_FALSE(Button(0)->isChecked());
    EXPECT_TRUE(UnionPage(Part(1))->isVisible());
    EXPECT_FALSE(UnionPage(Part(0))->isVisible());

    Menu(Button(1));
    EXPECT_EQ(qb->PopupCount, 1);
    EXPECT_SQL(qb->PopupCaptions.first(), "Move Backward");

    QList<TnvQueryBuilderControlOwner *> edited;
    provider.EditPropsClass = TnvUnionSubQuery::StaticClassType();
    ControlFactory()->SetEditPropsDialog([&](TClass, TnvQueryBuilderControlOwner *node, TPosition) {
        edited.append(node);
        return false;
    });
    QTest::mouseDClick(Button(0), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ControlFactory()->SetEditPropsDialog(nullptr);
    EXPECT_EQ(edited, QList<TnvQueryBuilderControlOwner *>{Part(0)});
    EXPECT_TRUE(drags.empty());
}

TEST_F(UnionNavBarTest, ADragStartsOnlyBeyondFourPixels)
{
    SetSQL(QStringLiteral("SELECT 1 UNION SELECT 2"));
    TnvUnionButton *button = Button(0);
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(9, 5));
    QTest::mouseMove(button, QPoint(9, 9));
    QTest::mouseMove(button, QPoint(1, 1));
    EXPECT_TRUE(drags.empty());
    QTest::mouseMove(button, QPoint(10, 5));
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(drags[0].Source, button);
    EXPECT_TRUE(drags[0].Data->hasFormat(QString::fromLatin1(UnionMemberMimeType)));
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));

    // Vertically as well; and a move without a press starts nothing.
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(5, 10));
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    EXPECT_EQ(drags.size(), 2u);
    QTest::mouseMove(button, QPoint(20, 20));
    EXPECT_EQ(drags.size(), 2u);
}

TEST_F(UnionNavBarTest, DroppingAButtonReordersTheParts)
{
    SetSQL(QStringLiteral("SELECT 1 UNION ALL SELECT 2"));
    EXPECT_TRUE(Drop(Button(0), Button(1)));
    EXPECT_SQL(Shape(), "2 | 1");
    EXPECT_TRUE(SQL().startsWith(QStringLiteral("Select 2"))) << ToStd(SQL());
    // The bar follows: the buttons are numbered in the new order, left to right.
    EXPECT_LT(Button(0)->x(), Button(1)->x());
    EXPECT_SQL(Button(0)->text(), "1");

    SetSQL(QStringLiteral("SELECT 1 UNION SELECT 2 UNION SELECT 3"));
    // The first dropped on the last becomes the last; the last on the first
    // the first; a button on itself changes nothing.
    Drop(Button(0), Button(2));
    EXPECT_SQL(Shape(), "2 | 3 | 1");
    Drop(Button(2), Button(0));
    EXPECT_SQL(Shape(), "1 | 2 | 3");
    Drop(Button(1), Button(1));
    EXPECT_SQL(Shape(), "1 | 2 | 3");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(UnionNavBarTest, ButtonsDroppedOnBrackets)
{
    SetSQL(QStringLiteral("SELECT 1 UNION (SELECT 2 UNION SELECT 3) UNION SELECT 4"));
    EXPECT_SQL(Shape(), "1 | (2 | 3) | 4");
    TnvUnionGroup *group = Group(1);
    ASSERT_TRUE(Left(group) && Right(group));
    EXPECT_TRUE(Left(group)->isVisible());
    EXPECT_SQL(Left(group)->text(), "(");
    EXPECT_SQL(Right(group)->text(), ")");
    Shot(NavBar(), QStringLiteral("navbar-brackets"));

    // Before the group onto its left bracket: the group's first member.
    Drop(Button(0), Left(group));
    EXPECT_SQL(Shape(), "(1 | 2 | 3) | 4");
    // From inside onto the left bracket: just before the group.
    Drop(Button(1), Left(group));
    EXPECT_SQL(Shape(), "2 | (1 | 3) | 4");
    // After the group onto its right bracket: the group's last member.
    Drop(Button(3), Right(group));
    EXPECT_SQL(Shape(), "2 | (1 | 3 | 4)");
    // Before the group onto its right bracket: just after the group.
    Drop(Button(0), Right(group));
    EXPECT_SQL(Shape(), "(1 | 3 | 4) | 2");
}

TEST_F(UnionNavBarTest, NoDropLeavesEmptyBrackets)
{
    // Empty brackets would print "()", which no dialect reads.
    SetSQL(QStringLiteral("SELECT 1 UNION (SELECT 2) UNION (SELECT 3 UNION SELECT 4)"));
    TnvUnionGroup *single = Group(1);
    TnvUnionGroup *pair = Group(2);
    EXPECT_FALSE(Drop(Button(1), Button(0)));
    EXPECT_FALSE(Drop(Button(1), Left(pair)));
    EXPECT_FALSE(Drop(Button(1), Right(pair)));
    EXPECT_FALSE(Drop(Left(pair), Button(3)));
    EXPECT_FALSE(Drop(Right(pair), Button(2)));
    EXPECT_SQL(Shape(), "1 | (2) | (3 | 4)");
    // Within its own group, and for a group that keeps a member, it goes.
    EXPECT_TRUE(Drop(Button(1), Right(single)));
    EXPECT_TRUE(Drop(Left(pair), Button(2)));
    EXPECT_SQL(Shape(), "1 | (2) | 3 | (4)");
    EXPECT_TRUE(Drop(Button(0), Button(1)));
    EXPECT_SQL(Shape(), "(2 | 1) | 3 | (4)");
}

TEST_F(UnionNavBarTest, BracketsDroppedOnButtonsAndBrackets)
{
    SetSQL(QStringLiteral("SELECT 1 UNION SELECT 2 UNION (SELECT 3 UNION SELECT 4) UNION SELECT 5"));
    TnvUnionGroup *group = Group(2);
    // The left bracket onto a button before the group: it begins there.
    TnvUnionButton *one = Button(0);
    TnvUnionButton *three = Button(2);
    TnvUnionButton *five = Button(4);
    EXPECT_TRUE(Drop(Left(group), Button(1)));
    EXPECT_SQL(Shape(), "1 | (2 | 3 | 4) | 5");
    // Onto a member: the members up to it leave at the start.
    EXPECT_TRUE(Drop(Left(group), three));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | (4) | 5");
    // The right bracket onto a button after the group: it ends there.
    EXPECT_TRUE(Drop(Right(group), five));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | (4 | 5)");
    EXPECT_TRUE(Drop(Right(group), five));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | (4) | 5");
    // Refused: a left bracket onto a button after its group, a right bracket
    // onto one before it.
    EXPECT_FALSE(Drop(Left(group), five));
    EXPECT_FALSE(Drop(Right(group), one));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | (4) | 5");

    SetSQL(QStringLiteral("SELECT 1 UNION (SELECT 2) UNION (SELECT 3 UNION (SELECT 4 UNION SELECT 5))"));
    TnvUnionGroup *first = Group(1);
    TnvUnionGroup *second = Group(2);
    TnvUnionGroup *inner = As<TnvUnionGroup>(second->GetItems(1));
    ASSERT_TRUE(first && second && inner);
    // Left onto an earlier sibling's left bracket: grows to begin there.
    EXPECT_FALSE(Drop(Left(first), Left(second)));
    EXPECT_TRUE(Drop(Left(second), Left(first)));
    EXPECT_SQL(Shape(), "1 | ((2) | 3 | (4 | 5))");
    // Right onto a nested group's left bracket: ends before it.
    EXPECT_TRUE(Drop(Right(second), Left(inner)));
    EXPECT_SQL(Shape(), "1 | ((2) | 3) | (4 | 5)");
    // Right onto a later sibling's right bracket: grows to end there.
    EXPECT_TRUE(Drop(Right(second), Right(inner)));
    EXPECT_SQL(Shape(), "1 | ((2) | 3 | (4 | 5))");
    // Left onto a nested group's right bracket: starts after it.
    EXPECT_TRUE(Drop(Left(second), Right(first)));
    EXPECT_SQL(Shape(), "1 | (2) | (3 | (4 | 5))");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(UnionNavBarTest, BracketMenusMoveMembers)
{
    SetSQL(QStringLiteral("SELECT 1 UNION (SELECT 2 UNION SELECT 3) UNION SELECT 4"));
    Shot(qb, QStringLiteral("control-union-with-brackets"));
    TnvUnionGroup *group = Group(1);
    Menu(Left(group));
    EXPECT_EQ(qb->PopupCaptions.mid(0, 4),
              (QStringList{QStringLiteral("Move Backward"), QStringLiteral("Move Forward"), QStringLiteral("-"),
                           QStringLiteral("Remove Brackets")}));
    ClickPopupItem(QStringLiteral("Move Backward"));
    EXPECT_SQL(Shape(), "(1 | 2 | 3) | 4");
    // The first member now: the left bracket cannot go further back.
    Menu(Left(group));
    EXPECT_SQL(qb->PopupCaptions.first(), "!Move Backward");
    ClickPopupItem(QStringLiteral("Move Forward"));
    EXPECT_SQL(Shape(), "1 | (2 | 3) | 4");

    Menu(Right(group));
    ClickPopupItem(QStringLiteral("Move Backward"));
    EXPECT_SQL(Shape(), "1 | (2 | 3 | 4)");
    Menu(Right(group));
    ClickPopupItem(QStringLiteral("Move Forward"));
    EXPECT_SQL(Shape(), "1 | (2 | 3) | 4");
    // The bar is laid out again: the bracket stands right after button 3.
    EXPECT_EQ(Right(group)->x(), Button(2)->geometry().right() + 1);

    Menu(Right(group));
    ClickPopupItem(QStringLiteral("Remove Brackets"));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | 4");
    EXPECT_TRUE(errors.isEmpty()) << ToStd(errors);
}

TEST_F(UnionNavBarTest, OperatorMenuChangesTheOperator)
{
    SetSQL(QStringLiteral("SELECT 1 UNION ALL SELECT 2"));
    TnvUnionOperator *op = Operator(Part(1));
    QTest::mouseClick(op, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(qb->PopupCount, 1);
    EXPECT_EQ(qb->PopupPoint, op->mapToGlobal(QPoint(4, 4)));
    EXPECT_EQ(qb->PopupCaptions.mid(0, 4), (QStringList{QStringLiteral("Union"), QStringLiteral("Union All"),
                                                         QStringLiteral("Except"), QStringLiteral("Intersect")}));
    EXPECT_TRUE(qb->PopupMenu()->Find(QStringLiteral("Union All"))->Checked());
    EXPECT_FALSE(qb->PopupMenu()->Find(QStringLiteral("Union"))->Checked());
    // A shifted click opens nothing.
    QTest::mouseClick(op, Qt::LeftButton, Qt::ShiftModifier, QPoint(4, 4));
    EXPECT_EQ(qb->PopupCount, 1);

    QTest::mouseClick(op, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    ClickPopupItem(QStringLiteral("Intersect"));
    EXPECT_SQL(SQL(), "Select 1 Intersect Select 2");
    EXPECT_SQL(op->Caption(), "i");
    EXPECT_SQL(op->Hint(), "intersect");
}

TEST_F(UnionNavBarTest, AlignmentIsSuspendedDuringADrop)
{
    SetSQL(QStringLiteral("SELECT 1 UNION SELECT 2 UNION (SELECT 3 UNION SELECT 4) UNION SELECT 5"));
    int moves = 0;
    struct Counter : QObject {
        int *Count;
        explicit Counter(int *count) : Count(count) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Move)
                ++*Count;
            return false;
        }
    } counter(&moves);
    TnvLeftBracket *bracket = Left(Group(2));
    bracket->installEventFilter(&counter);
    // The group takes in 2, then 1: the bar is laid out once, after both.
    Drop(bracket, Button(0));
    EXPECT_SQL(Shape(), "(1 | 2 | 3 | 4) | 5");
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(bracket->x(), NavBar()->ClientRect().left());
}

} // namespace nvqb::test
