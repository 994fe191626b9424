// The user's operations on unions: new union parts and groups with the
// dialect's refusals, bracket moves and member moves from the menus, the
// union operator, and which part is current when parts go.
#include "BuilderTestSupport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"

#include <QRegularExpression>
#include <random>

using namespace nvqb;
using namespace nvqb::test;

namespace {

class UnionOperationsTest : public BuilderTest {
protected:
    // 1 | 2 | (3 | 4) | 5
    void LoadFive() { Load(QStringLiteral("Select 1 Union Select 2 Union (Select 3 Union Select 4) Union Select 5")); }
    TnvUnionGroup *Group(qsizetype index) const { return As<TnvUnionGroup>(Root()->GetItems(index)); }
    // Loads the text with the controls made and answers the names of the
    // controls of the group that holds Part(part).
    QStringList LoadWithControls(const QString &sql, qsizetype part)
    {
        Load(sql);
        qb->CreateControls();
        log.Clear();
        return ControlNames(Part(part)->ParentQuery());
    }
    static QStringList ControlNames(TnvUnionGroup *group)
    {
        QStringList names;
        for (int i = 0; i < 3; ++i)
            if (auto *control = static_cast<TFakeControl *>(group->GetControls(i)))
                names.append(control->Name);
        return names;
    }
    // The group of those controls went with them, and the SQL has no empty
    // brackets left and reads back as it is.
    void ExpectGroupGone(const QStringList &names)
    {
        EXPECT_EQ(names.size(), 3);
        for (const QString &name : names)
            EXPECT_EQ(log.Matching({name + u' ', QStringLiteral(" Free")}).size(), 1) << name.toStdString();
        const QString sql = SQL();
        EXPECT_FALSE(sql.contains(QStringLiteral("()"))) << sql.toStdString();
        EXPECT_SQL(Load(sql), sql);
    }
    QString ErrorOf(const std::function<void()> &operation)
    {
        try {
            operation();
        } catch (const Exception &e) {
            return e.Message();
        }
        return QStringLiteral("no error");
    }
};

TEST_F(UnionOperationsTest, ADialectWithoutUnionsRefusesASecondPart)
{
    provider.Unions = false;
    EXPECT_SQL(ErrorOf([&] { Root()->Add(); }), "The server doesn't support unions.");
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
    EXPECT_EQ(Root()->GetCount(), 1);
    EXPECT_SQL(ErrorOf([&] { Root()->Insert(0); }), "The server doesn't support unions.");
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
    // The menu offers no new part either.
    EXPECT_SQL(Captions(Part(0)->GetPopupMenu()), "!Move Backward | !Move Forward | - | !New Union Sub-Query | "
                                                  "Enclose In Brackets | !Remove | - | About Norvane Query Builder...");
    // A statement without parts takes its first one.
    qb->Clear();
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 1);
}

TEST_F(UnionOperationsTest, EachRefusalNamesWhatTheDialectLacks)
{
    Load(QStringLiteral("Select 1 Union (Select 2 Union Select 3) Union Select 4 From a Where a.id In "
                        "(Select 5 Union (Select 6 Union Select 7))"));
    TnvSubQuery *sub = qb->GetSubQueries(1);
    auto *nestedInMain = Group(1);
    auto *nestedInSub = As<TnvUnionGroup>(sub->GetItems(1));
    ASSERT_NE(nestedInMain, nullptr);
    ASSERT_NE(nestedInSub, nullptr);
    provider.Unions = provider.SubQueryUnions = provider.Brackets = provider.SubQueryBrackets = false;
    EXPECT_SQL(ErrorOf([&] { Root()->Add(); }), "The server doesn't support unions.");
    EXPECT_SQL(ErrorOf([&] { nestedInMain->Add(); }), "The server doesn't support unions.");
    EXPECT_SQL(ErrorOf([&] { sub->Add(); }), "The server doesn't support unions in sub-queries.");
    EXPECT_SQL(ErrorOf([&] { nestedInSub->Insert(1); }), "The server doesn't support unions in sub-queries.");
    EXPECT_SQL(ErrorOf([&] { Root()->AddGroup(); }), "The server doesn't support brackets in unions.");
    // A group nested in the main query belongs to the main query.
    EXPECT_SQL(ErrorOf([&] { nestedInMain->AddGroup(); }), "The server doesn't support brackets in unions.");
    EXPECT_SQL(ErrorOf([&] { nestedInMain->InsertGroup(0); }), "The server doesn't support brackets in unions.");
    EXPECT_SQL(ErrorOf([&] { sub->AddGroup(); }), "The server doesn't support brackets in unions in sub-queries.");
    EXPECT_SQL(ErrorOf([&] { nestedInSub->AddGroup(); }),
               "The server doesn't support brackets in unions in sub-queries.");
    // Only the refused capability counts: brackets in sub-queries do not
    // allow them in the main query, nor the other way round.
    provider.SubQueryBrackets = true;
    EXPECT_SQL(ErrorOf([&] { nestedInMain->AddGroup(); }), "The server doesn't support brackets in unions.");
    EXPECT_SQL(ErrorOf([&] { nestedInSub->AddGroup(); }), "no error");
    provider.SubQueryBrackets = false;
    provider.Brackets = true;
    EXPECT_SQL(ErrorOf([&] { nestedInMain->AddGroup(); }), "no error");
    EXPECT_SQL(ErrorOf([&] { nestedInSub->AddGroup(); }),
               "The server doesn't support brackets in unions in sub-queries.");
    // An index outside 0..count is the list's error, before any dialect check.
    EXPECT_THROW(Root()->Insert(Root()->GetCount() + 1), EListError);
    EXPECT_THROW(Root()->InsertGroup(-1), EListError);
}

TEST_F(UnionOperationsTest, NewPartsAndGroupsGoWhereTheyAreAsked)
{
    LoadFive();
    TnvUnionSubQuery *inserted = Root()->Insert(1);
    EXPECT_EQ(Root()->IndexOf(inserted), 1);
    EXPECT_SQL(Shape(), "1 | * | 2 | (3 | 4) | 5");
    EXPECT_EQ(Root()->IndexOfUnionSubQuery(inserted), 1);
    TObject::Free(inserted);
    TnvUnionGroup *group = Root()->InsertGroup(0);
    EXPECT_SQL(Shape(), "() | 1 | 2 | (3 | 4) | 5");
    EXPECT_EQ(group->GetRootQuery(), Root());
    TObject::Free(group);
    // "New Union Sub-Query" adds to the part's own group and makes it current.
    Click(Part(2)->GetPopupMenu(), QStringLiteral("New Union Sub-Query"));
    EXPECT_SQL(Shape(), "1 | 2 | (3 | 4 | *) | 5");
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), Part(4));
    EXPECT_TRUE(SQL().startsWith(QStringLiteral("Select 1 Union Select 2 Union (Select 3 Union Select 4 Union Select *)")));
    EXPECT_TRUE(SQL().endsWith(QStringLiteral(") Union Select 5")));
}

TEST_F(UnionOperationsTest, BracketMovesFromTheBracketMenus)
{
    LoadFive();
    TnvUnionGroup *group = Group(2);
    EXPECT_SQL(Captions(group->LeftBracketPopupMenu()),
               "Move Backward | Move Forward | - | Remove Brackets | - | About Norvane Query Builder...");
    // Left bracket, Move Backward: the member before the group comes in.
    Click(group->LeftBracketPopupMenu(), QStringLiteral("Move Backward"));
    EXPECT_SQL(Shape(), "1 | (2 | 3 | 4) | 5");
    EXPECT_SQL(SQL(), "Select 1 Union (Select 2 Union Select 3 Union Select 4) Union Select 5");
    // Left bracket, Move Forward: the first member goes out before the group.
    Click(group->LeftBracketPopupMenu(), QStringLiteral("Move Forward"));
    Click(group->LeftBracketPopupMenu(), QStringLiteral("Move Forward"));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | (4) | 5");
    // Right bracket, Move Backward: the member after the group comes in.
    Click(group->RightBracketPopupMenu(), QStringLiteral("Move Backward"));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | (4 | 5)");
    EXPECT_SQL(Captions(group->RightBracketPopupMenu()),
               "!Move Backward | Move Forward | - | Remove Brackets | - | About Norvane Query Builder...");
    // Right bracket, Move Forward: the last member goes out after the group.
    Click(group->RightBracketPopupMenu(), QStringLiteral("Move Forward"));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | (4) | 5");
    EXPECT_SQL(SQL(), "Select 1 Union Select 2 Union Select 3 Union (Select 4) Union Select 5");
    // The textual order of the parts follows every move.
    for (qsizetype i = 0; i < 5; ++i)
        EXPECT_SQL(Part(i)->GetResultSQL(), QStringLiteral("Select %1").arg(i + 1));

    // Letting the last member out takes the brackets away; the first member
    // offers no backward move.
    Click(group->LeftBracketPopupMenu(), QStringLiteral("Move Forward"));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | 4 | 5");
    Load(QStringLiteral("(Select 1 Union Select 2) Union Select 3"));
    EXPECT_SQL(Captions(Group(0)->LeftBracketPopupMenu()).first(), "!Move Backward");
    EXPECT_SQL(Captions(Group(0)->RightBracketPopupMenu()).first(), "Move Backward");
}

TEST_F(UnionOperationsTest, BracketsAreRemovedAndPartsEnclosed)
{
    LoadFive();
    // Remove Brackets lets every member out in place of the group.
    EXPECT_SQL(Captions(Group(2)->GetPopupMenu()), "Remove Brackets | - | About Norvane Query Builder...");
    Click(Group(2)->GetPopupMenu(), QStringLiteral("Remove Brackets"));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | 4 | 5");
    EXPECT_EQ(Root()->GetCount(), 5);
    // Enclose In Brackets puts a part into a new group at its place.
    Click(Part(1)->GetPopupMenu(), QStringLiteral("Enclose In Brackets"));
    EXPECT_SQL(Shape(), "1 | (2) | 3 | 4 | 5");
    EXPECT_SQL(SQL(), "Select 1 Union (Select 2) Union Select 3 Union Select 4 Union Select 5");
    Click(Part(1)->GetPopupMenu(), QStringLiteral("Enclose In Brackets"));
    EXPECT_SQL(Shape(), "1 | ((2)) | 3 | 4 | 5");
    provider.Brackets = false;
    EXPECT_SQL(Captions(Part(1)->GetPopupMenu()).mid(3, 3), "New Union Sub-Query | !Enclose In Brackets | Remove");
    // Removing the outer brackets keeps the inner ones.
    Click(Group(1)->GetPopupMenu(), QStringLiteral("Remove Brackets"));
    EXPECT_SQL(Shape(), "1 | (2) | 3 | 4 | 5");
}

TEST_F(UnionOperationsTest, AGroupLeftWithoutMembersGoesWithItsControls)
{
    const QString one = QStringLiteral("Select 1 Union (Select 2) Union Select 3");
    // The union button menu's moves and Remove on the only member.
    for (const QString &caption : {QStringLiteral("Move Forward"), QStringLiteral("Move Backward"),
                                  QStringLiteral("Remove")}) {
        SCOPED_TRACE(caption.toStdString());
        const QStringList names = LoadWithControls(one, 1);
        Click(Part(1)->GetPopupMenu(), caption);
        EXPECT_SQL(Shape(), caption == u"Remove" ? "1 | 3" : "1 | 2 | 3");
        ExpectGroupGone(names);
    }
    // The bracket menus' forward moves on a group of one.
    for (bool left : {true, false}) {
        SCOPED_TRACE(left ? "left bracket" : "right bracket");
        const QStringList names = LoadWithControls(one, 1);
        TnvUnionGroup *group = Part(1)->ParentQuery();
        Click(left ? group->LeftBracketPopupMenu() : group->RightBracketPopupMenu(), QStringLiteral("Move Forward"));
        EXPECT_SQL(Shape(), "1 | 2 | 3");
        ExpectGroupGone(names);
    }
    // Every member let out at once, from either end.
    const QString two = QStringLiteral("Select 1 Union (Select 2 Union Select 3) Union Select 4");
    QStringList names = LoadWithControls(two, 1);
    Group(1)->RemoveFromBegin(Part(2));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | 4");
    ExpectGroupGone(names);
    names = LoadWithControls(two, 1);
    Group(1)->RemoveFromEnd(Part(1));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | 4");
    ExpectGroupGone(names);
    // The only member moved next to a member of another group.
    names = LoadWithControls(one, 1);
    Part(0)->InsertAfter(Part(1));
    EXPECT_SQL(Shape(), "1 | 2 | 3");
    ExpectGroupGone(names);
    // Freeing the only member empties the groups around it, the inner first.
    names = LoadWithControls(QStringLiteral("Select 1 Union ((Select 2)) Union Select 3"), 1);
    names += ControlNames(Group(1));
    TObject::Free(Part(1));
    EXPECT_SQL(Shape(), "1 | 3");
    ExpectGroupGone(names.mid(0, 3));
    ExpectGroupGone(names.mid(3));
    // Remove Brackets on an empty group that its group holds alone.
    names = LoadWithControls(QStringLiteral("Select 1 Union (Select 2 Union Select 3)"), 1);
    TnvUnionGroup *empty = Group(1)->AddGroup();
    Group(1)->RemoveFromBegin(Part(2));
    EXPECT_SQL(Shape(), "1 | 2 | 3 | (())");
    Click(empty->GetPopupMenu(), QStringLiteral("Remove Brackets"));
    EXPECT_SQL(Shape(), "1 | 2 | 3");
    ExpectGroupGone(names);
}

TEST_F(UnionOperationsTest, MemberMovesFromTheUnionButtonMenu)
{
    LoadFive();
    auto forward = [&](qsizetype part) { Click(Part(part)->GetPopupMenu(), QStringLiteral("Move Forward")); };
    auto backward = [&](qsizetype part) { Click(Part(part)->GetPopupMenu(), QStringLiteral("Move Backward")); };
    EXPECT_SQL(Captions(Part(0)->GetPopupMenu()), "!Move Backward | Move Forward | - | New Union Sub-Query | "
                                                  "Enclose In Brackets | Remove | - | About Norvane Query Builder...");
    EXPECT_SQL(Captions(Part(4)->GetPopupMenu()).mid(0, 2), "Move Backward | !Move Forward");
    // In a group the ends move too: out of the group.
    EXPECT_SQL(Captions(Part(2)->GetPopupMenu()).mid(0, 2), "Move Backward | Move Forward");
    EXPECT_SQL(Captions(Part(3)->GetPopupMenu()).mid(0, 2), "Move Backward | Move Forward");

    // Forward: swap with the next part.
    forward(0);
    EXPECT_SQL(Shape(), "2 | 1 | (3 | 4) | 5");
    // Forward before a group: into it at its front.
    forward(1);
    EXPECT_SQL(Shape(), "2 | (1 | 3 | 4) | 5");
    // Forward inside a group: swap; at its end: out after it.
    forward(1);
    EXPECT_SQL(Shape(), "2 | (3 | 1 | 4) | 5");
    forward(2);
    forward(3);
    EXPECT_SQL(Shape(), "2 | (3 | 4) | 1 | 5");
    // Backward after a group: into it at its end; at its start: out before it.
    backward(3);
    EXPECT_SQL(Shape(), "2 | (3 | 4 | 1) | 5");
    backward(3);
    backward(2);
    EXPECT_SQL(Shape(), "2 | (1 | 3 | 4) | 5");
    backward(1);
    EXPECT_SQL(Shape(), "2 | 1 | (3 | 4) | 5");
    // Backward: swap with the previous part.
    backward(1);
    EXPECT_SQL(Shape(), "1 | 2 | (3 | 4) | 5");
    EXPECT_SQL(SQL(), "Select 1 Union Select 2 Union (Select 3 Union Select 4) Union Select 5");
    // The operators stay where they stand in the text and the parts move
    // between them, across brackets too (the bracket moves); the first
    // part's hidden operator never comes back.
    struct Step {
        qsizetype Part;
        bool Forward;
        const char *SQL;
    };
    auto session = [&](const char *sql, std::initializer_list<Step> steps) {
        Load(QString::fromLatin1(sql));
        for (const Step &step : steps) {
            if (step.Forward)
                forward(step.Part);
            else
                backward(step.Part);
            EXPECT_SQL(SQL(), step.SQL);
        }
    };
    session("Select 1 Union All Select 2 Except Select 3",
            {{1, true, "Select 1 Union All Select 3 Except Select 2"},
             {0, false, "Select 1 Union All Select 3 Except Select 2"},
             {0, true, "Select 3 Union All Select 1 Except Select 2"},
             {2, false, "Select 3 Union All Select 2 Except Select 1"}});
    session("Select 1 Union All Select 2", {{0, true, "Select 2 Union All Select 1"}});
    session("Select 1 Except (Select 2 Intersect Select 3) Union All Select 4",
            {{0, true, "(Select 1 Except Select 2 Intersect Select 3) Union All Select 4"},
             {0, false, "Select 1 Except (Select 2 Intersect Select 3) Union All Select 4"},
             {3, false, "Select 1 Except (Select 2 Intersect Select 3 Union All Select 4)"},
             {3, true, "Select 1 Except (Select 2 Intersect Select 3) Union All Select 4"},
             {1, true, "Select 1 Except (Select 3 Intersect Select 2) Union All Select 4"}});
}

// Every bracket operation only moves brackets: each operator keeps its place
// in the text, whatever it is and wherever the part stands.
TEST_F(UnionOperationsTest, BracketsComeAndGoAroundTheOperatorsOfTheText)
{
    for (const char *op : {"Union", "Union All", "Except", "Except All", "Intersect", "Intersect All"}) {
        const QString o = QString::fromLatin1(op);
        SCOPED_TRACE(op);
        const QString flat = QStringLiteral("Select 1 %1 Select 2 Union All Select 3 %1 Select 4").arg(o);
        for (qsizetype part = 0; part < 4; ++part) {
            SCOPED_TRACE(part);
            EXPECT_SQL(Load(flat), flat);
            Click(Part(part)->GetPopupMenu(), QStringLiteral("Enclose In Brackets"));
            QStringList selects;
            for (int i = 1; i <= 4; ++i)
                selects.append(i == part + 1 ? QStringLiteral("(Select %1)").arg(i) : QStringLiteral("Select %1").arg(i));
            const QString enclosed =
                QStringLiteral("%2 %1 %3 Union All %4 %1 %5").arg(o, selects[0], selects[1], selects[2], selects[3]);
            EXPECT_SQL(SQL(), enclosed);
            EXPECT_SQL(Load(enclosed), enclosed);
            Click(Part(part)->ParentQuery()->GetPopupMenu(), QStringLiteral("Remove Brackets"));
            EXPECT_SQL(SQL(), flat);
        }
        // Nested groups: enclosing a part twice and taking both brackets
        // away, the inner first or the outer first.
        EXPECT_SQL(Load(flat), flat);
        Click(Part(2)->GetPopupMenu(), QStringLiteral("Enclose In Brackets"));
        Click(Part(2)->GetPopupMenu(), QStringLiteral("Enclose In Brackets"));
        EXPECT_SQL(SQL(), QStringLiteral("Select 1 %1 Select 2 Union All ((Select 3)) %1 Select 4").arg(o));
        Click(Group(2)->GetPopupMenu(), QStringLiteral("Remove Brackets"));
        EXPECT_SQL(SQL(), QStringLiteral("Select 1 %1 Select 2 Union All (Select 3) %1 Select 4").arg(o));
        Click(Part(2)->GetPopupMenu(), QStringLiteral("Enclose In Brackets"));
        Click(Part(2)->ParentQuery()->GetPopupMenu(), QStringLiteral("Remove Brackets"));
        Click(Part(2)->ParentQuery()->GetPopupMenu(), QStringLiteral("Remove Brackets"));
        EXPECT_SQL(SQL(), flat);
        // Brackets that hold several parts.
        EXPECT_SQL(Load(QStringLiteral("Select 1 %1 (Select 2 Union All Select 3)").arg(o)),
                   QStringLiteral("Select 1 %1 (Select 2 Union All Select 3)").arg(o));
        Click(Group(1)->GetPopupMenu(), QStringLiteral("Remove Brackets"));
        EXPECT_SQL(SQL(), QStringLiteral("Select 1 %1 Select 2 Union All Select 3").arg(o));
    }
    // A new part put first in front of a group's first one: the operator
    // between them is the default one, not the one the old first part hid.
    Load(QStringLiteral("Select 1 Except (Select 2 Intersect Select 3)"));
    Group(1)->Insert(0);
    EXPECT_SQL(Shape(), "1 | (* | 2 | 3)");
    EXPECT_TRUE(SQL().contains(QStringLiteral(" Union Select 2 Intersect Select 3)"))) << SQL().toStdString();
    EXPECT_TRUE(SQL().startsWith(QStringLiteral("Select 1 Except (Select * Union Select 2"))) << SQL().toStdString();
}

// Random unions of every operator with brackets, edited at random by the
// menus: enclosing, removing brackets, bracket moves and part moves. After
// every step the text parses, loads back and prints the same, and the
// operators of the text stand as they stood; the bracket operations leave
// the text without its brackets as it was.
TEST_F(UnionOperationsTest, RandomSessionsKeepEveryOperatorInItsPlace)
{
    // NVQB_SEED and NVQB_COUNT run other and longer series by hand.
    const int seed = qEnvironmentVariableIntValue("NVQB_SEED");
    const int count = qEnvironmentVariableIsSet("NVQB_COUNT") ? qEnvironmentVariableIntValue("NVQB_COUNT") : 150;
    std::mt19937 random(seed ? unsigned(seed) : 20261209u);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const QStringList operators = {"Union", "Union All", "Except", "Except All", "Intersect", "Intersect All"};
    int next = 0;
    std::function<QString(int)> members = [&](int depth) {
        QString text;
        for (int i = 0, n = between(depth == 0 ? 2 : 1, 4); i < n; ++i) {
            if (i > 0)
                text += u' ' + operators[between(0, 5)] + u' ';
            text += depth < 2 && between(1, 4) == 1 ? u'(' + members(depth + 1) + u')'
                                                      : QStringLiteral("Select %1").arg(++next);
        }
        return text;
    };
    static const QRegularExpression select(QStringLiteral("Select \\d+|[()]"));
    auto operatorsOf = [](QString sql) { return sql.replace(select, QString()).simplified(); };
    auto withoutBrackets = [](QString sql) { return sql.remove(u'(').remove(u')'); };
    auto groups = [&] {
        QList<TnvUnionGroup *> list;
        std::function<void(TnvUnionGroup *)> walk = [&](TnvUnionGroup *group) {
            for (qsizetype i = 0; i < group->GetCount(); ++i)
                if (auto *nested = As<TnvUnionGroup>(group->GetItems(i))) {
                    list.append(nested);
                    walk(nested);
                }
        };
        walk(Root());
        return list;
    };
    auto enabled = [](TnvMenuItemData *menu, const QString &caption) {
        for (qsizetype i = 0; i < menu->Count(); ++i)
            if (menu->Items(i)->Caption() == caption)
                return menu->Items(i)->Enabled();
        return false;
    };
    int bracketSteps = 0, partSteps = 0;
    for (int session = 0; session < count && !HasFailure(); ++session) {
        next = 0;
        const QString input = members(0);
        SCOPED_TRACE(input.toStdString());
        QString before = Load(input);
        ASSERT_EQ(withoutBrackets(before), withoutBrackets(input));
        for (int step = 0; step < 8 && !HasFailure(); ++step) {
            const QList<TnvUnionGroup *> brackets = groups();
            const QString backward = QStringLiteral("Move Backward"), forward = QStringLiteral("Move Forward");
            const int kind = between(0, 3);
            QString done;
            if (kind == 0) {
                TnvUnionSubQuery *part = Part(between(0, int(Root()->UnionSubQueriesCount()) - 1));
                Click(part->GetPopupMenu(), QStringLiteral("Enclose In Brackets"));
                done = QStringLiteral("enclose ") + part->GetResultSQL();
            } else if (kind == 1 && !brackets.isEmpty()) {
                TnvUnionGroup *group = brackets[between(0, int(brackets.size()) - 1)];
                const bool left = between(0, 1) == 0;
                const QString caption = between(0, 2) == 0 ? QStringLiteral("Remove Brackets")
                                                            : (between(0, 1) == 0 ? backward : forward);
                TnvMenuItemData *menu = left ? group->LeftBracketPopupMenu() : group->RightBracketPopupMenu();
                if (!enabled(menu, caption))
                    continue;
                done = (left ? QStringLiteral("left bracket ") : QStringLiteral("right bracket ")) + caption;
                Click(menu, caption);
            } else if (kind >= 2) {
                TnvUnionSubQuery *part = Part(between(0, int(Root()->UnionSubQueriesCount()) - 1));
                const QString caption = kind == 2 ? backward : forward;
                if (!enabled(part->GetPopupMenu(), caption))
                    continue;
                done = part->GetResultSQL() + u' ' + caption;
                Click(part->GetPopupMenu(), caption);
            } else {
                continue;
            }
            SCOPED_TRACE((before + QStringLiteral(" -> ") + done).toStdString());
            const QString after = SQL();
            EXPECT_SQL(operatorsOf(after), operatorsOf(before));
            if (kind < 2) {
                EXPECT_SQL(withoutBrackets(after), withoutBrackets(before));
                ++bracketSteps;
            } else {
                ++partSteps;
            }
            EXPECT_FALSE(after.contains(QStringLiteral("()")));
            EXPECT_SQL(Load(after), after);
            before = after;
        }
    }
    // The sessions do what they are meant to.
    EXPECT_GT(bracketSteps, count);
    EXPECT_GT(partSteps, count);
}

TEST_F(UnionOperationsTest, PartsMoveNextToOthersAcrossGroups)
{
    LoadFive();
    Part(3)->InsertAfter(Part(0));
    EXPECT_SQL(Shape(), "2 | (3 | 4 | 1) | 5");
    Part(0)->InsertBefore(Part(4));
    EXPECT_SQL(Shape(), "5 | 2 | (3 | 4 | 1)");
    Part(0)->InsertAfter(Part(0));
    EXPECT_SQL(Shape(), "5 | 2 | (3 | 4 | 1)");
    Root()->Move(2, 0);
    EXPECT_SQL(Shape(), "(3 | 4 | 1) | 5 | 2");
    EXPECT_SQL(Part(0)->GetResultSQL(), "Select 3");
}

TEST_F(UnionOperationsTest, RemovingAPartMakesTheNextOneCurrent)
{
    LoadFive();
    Root()->SetCurrentUnionSubquery(Part(0));
    TnvUnionSubQuery *second = Part(1), *third = Part(2), *fourth = Part(3), *fifth = Part(4);
    // The next part in textual order, also when another one was current.
    Click(second->GetPopupMenu(), QStringLiteral("Remove"));
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), third);
    EXPECT_SQL(Shape(), "1 | (3 | 4) | 5");
    // The next one may stand in a group.
    TObject::Free(Part(0));
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), third);
    TObject::Free(fourth);
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), fifth);
    // The last one leaves the one before it current.
    TObject::Free(fifth);
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), third);
    EXPECT_SQL(SQL(), "(Select 3)");
    // The only one cannot be removed through the menu.
    EXPECT_SQL(Captions(third->GetPopupMenu()).mid(5, 1), "!Remove");
    TObject::Free(third);
    EXPECT_EQ(Root()->CurrentUnionSubQuery(), nullptr);
    EXPECT_EQ(Root()->UnionSubQueriesCount(), 0);
}

TEST_F(UnionOperationsTest, TheOperatorMenuSetsOperatorAndAll)
{
    Load(QStringLiteral("Select 1 Union Select 2 Union (Select 3 Union Select 4)"));
    qb->CreateControls();
    auto *op = static_cast<TFakeControl *>(Part(1)->GetUnionOperator());
    qb->PopupMenuClear();
    for (const QString &caption : {QStringLiteral("Union"), QStringLiteral("Union All"), QStringLiteral("Except")})
        qb->PopupMenuAddItem(nullptr, caption, 0, true, false, false,
                             TNotifyEvent::Bind<&TnvQueryBase::SetUnionOperatorEvent>(Part(1)), Part(1));
    const int updates = qb->SQLUpdatedCount;
    // The operator already shown changes nothing.
    Click(qb->PopupMenu(), QStringLiteral("Union"));
    EXPECT_EQ(qb->SQLUpdatedCount, updates);
    Click(qb->PopupMenu(), QStringLiteral("Union All"));
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    EXPECT_SQL(SQL(), "Select 1 Union All Select 2 Union (Select 3 Union Select 4)");
    EXPECT_SQL(op->Operator, "Union");
    EXPECT_TRUE(op->All);
    Click(qb->PopupMenu(), QStringLiteral("Union All"));
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    Click(qb->PopupMenu(), QStringLiteral("Except"));
    EXPECT_SQL(SQL(), "Select 1 Except Select 2 Union (Select 3 Union Select 4)");
    EXPECT_SQL(op->Operator, "Except");
    EXPECT_FALSE(op->All);
    // A group carries its own operator.
    auto *group = Group(2);
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, QStringLiteral("intersect all"), 0, true, false, false,
                         TNotifyEvent::Bind<&TnvQueryBase::SetUnionOperatorEvent>(group), group);
    Click(qb->PopupMenu(), QStringLiteral("intersect all"));
    EXPECT_SQL(SQL(), "Select 1 Except Select 2 Intersect All (Select 3 Union Select 4)");
    EXPECT_SQL(static_cast<TFakeControl *>(group->GetUnionOperator())->Operator, "intersect");
}

} // namespace
