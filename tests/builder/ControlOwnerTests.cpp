// The query-model base: the update bracket along the update tree, the steps
// run once at its outermost end, the cached result tree, the controls made
// through the factory, sub-selects turned into sub-queries, and menus.
#include "BuilderTestSupport.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/QueryBuilderControlOwner.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SubSelectStatementProxy.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/sql/SQLExpressions.h"

using namespace nvqb;
using namespace nvqb::test;

namespace {

// A node that writes its steps into a shared log and builds a constant as
// its result.
class TStepNode : public TnvQueryBuilderControlOwner {
    NV_DECLARE_CLASS(TStepNode)
public:
    TStepNode(const QString &name, TnvQueryBuilderControlOwner *parent, TnvQueryBuilderControlOwner *updateParent,
              TnvQueryBuilderModel *qb, QStringList *log)
        : TnvQueryBuilderControlOwner(parent, updateParent, qb), Name(name), Log(log)
    {
    }
    QString Name;
    QStringList *Log;
    int Controls = 0;
    int Builds = 0;
    bool DiesWith = false;
    // Run inside the node's SQL-updated step.
    std::function<void()> OnSQLUpdated;

    using TnvQueryBuilderControlOwner::SetUpdateParent;

protected:
    void DoSQLUpdated() override
    {
        Log->append(Name + QStringLiteral(".sql"));
        if (OnSQLUpdated)
            OnSQLUpdated();
    }
    void DoAfterUpdated() override
    {
        Log->append(Name + QStringLiteral(".after"));
        TnvQueryBuilderControlOwner::DoAfterUpdated();
    }
    TOwned<TastNodeBase> CreateResultAST() override
    {
        ++Builds;
        TOwned<TSQLExpressionConstant> constant = Create<TSQLExpressionConstant>(SyntaxProvider());
        constant->AddNumber(QString::number(Builds));
        return constant;
    }
    int GetControlsCount() override { return Controls; }
    TnvModelControl *CreateControlInternal(int index) override
    {
        return CreateControlOfClass(index == 0 ? ControlClass::UnionSubQueryTabSheet : ControlClass::UnionButton,
                                    index);
    }
    bool MakeVisible(int index) override { return index != 0; }
    bool NotifyDatasourceDestroyingInternal(TnvDatasourceBase *) override { return DiesWith; }
};
NV_IMPLEMENT_CLASS(TStepNode, TnvQueryBuilderControlOwner)

class ControlOwnerTest : public BuilderTest {
protected:
    QStringList steps;
    TOwned<TStepNode> root;
    TStepNode *a = nullptr, *b = nullptr;

    void SetUp() override
    {
        BuilderTest::SetUp();
        // root <- a <- b along the update tree; a and b are root's children.
        root.reset(TnvQueryBuilderControlOwner::NewModelNode<TStepNode>(QStringLiteral("root"), nullptr, nullptr,
                                                                         qb.get(), &steps));
        a = TnvQueryBuilderControlOwner::NewModelNode<TStepNode>(QStringLiteral("a"), root.get(), root.get(), qb.get(),
                                                                 &steps);
        b = TnvQueryBuilderControlOwner::NewModelNode<TStepNode>(QStringLiteral("b"), root.get(), a, qb.get(), &steps);
    }
    void TearDown() override
    {
        root.reset();
        BuilderTest::TearDown();
    }
};

TEST_F(ControlOwnerTest, ChangesInsideOneBracketRunEachStepOnceChildrenFirst)
{
    root->BeginUpdate();
    for (int i = 0; i < 10; ++i) {
        b->NotifySQLUpdated();
        a->BeginUpdate();
        a->NotifySQLUpdated();
        a->EndUpdate();
    }
    EXPECT_TRUE(b->GetIsUpdating());
    EXPECT_TRUE(steps.isEmpty());
    root->EndUpdate();
    // b's after-update step marks root (its parent) again while root is still
    // open at the outermost level: root runs once, last.
    EXPECT_SQL(steps, "b.sql | b.after | a.sql | a.after | root.sql | root.after");
    EXPECT_FALSE(root->GetIsUpdating());
    EXPECT_FALSE(b->IsChanged());

    // Outside any bracket a change runs the steps at once.
    steps.clear();
    b->NotifySQLUpdated();
    EXPECT_SQL(steps, "b.sql | b.after | a.sql | a.after | root.sql | root.after");

    // A change only of the top node runs the top node only.
    steps.clear();
    root->NotifySQLUpdated();
    EXPECT_SQL(steps, "root.sql | root.after");
}

TEST_F(ControlOwnerTest, UnpairedEndAndBrokenTreesAreAssertionFailures)
{
    try {
        b->EndUpdate();
        FAIL() << "no assertion";
    } catch (const EAssertionFailed &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Assertion failure (nvQBBase")));
    }
    // A bracket that was paired leaves nothing open.
    a->BeginUpdate();
    a->EndUpdate();
    EXPECT_THROW(a->EndUpdate(), EAssertionFailed);
    EXPECT_FALSE(root->GetIsUpdating());
    // An update parent outside the node's parent.
    TOwned<TStepNode> other(TnvQueryBuilderControlOwner::NewModelNode<TStepNode>(QStringLiteral("other"), nullptr,
                                                                                 nullptr, qb.get(), &steps));
    EXPECT_THROW(b->SetUpdateParent(other.get()), EAssertionFailed);
}

TEST_F(ControlOwnerTest, NodesJoiningDuringABracketTakePartInItsEnd)
{
    root->BeginUpdate();
    auto *c = TnvQueryBuilderControlOwner::NewModelNode<TStepNode>(QStringLiteral("c"), root.get(), a, qb.get(), &steps);
    EXPECT_TRUE(c->GetIsUpdating());
    c->NotifySQLUpdated();
    EXPECT_TRUE(steps.isEmpty());
    root->EndUpdate();
    EXPECT_SQL(steps, "c.sql | c.after | a.sql | a.after | root.sql | root.after");

    // A node opened on its own and moved under an open bracket carries its
    // bracket along: nothing runs until both are closed.
    steps.clear();
    auto *d = TnvQueryBuilderControlOwner::NewModelNode<TStepNode>(QStringLiteral("d"), root.get(), nullptr, qb.get(),
                                                                   &steps);
    d->BeginUpdate();
    d->NotifySQLUpdated();
    root->BeginUpdate();
    d->SetUpdateParent(b);
    d->EndUpdate();
    EXPECT_TRUE(steps.isEmpty());
    EXPECT_TRUE(d->GetIsUpdating());
    root->EndUpdate();
    EXPECT_SQL(steps, "d.sql | d.after | root.sql | root.after");
    EXPECT_FALSE(d->GetIsUpdating());

    // A node made and changed while a node below its update parent runs its
    // steps (a join tree being rebuilt) still runs in the same pass, before
    // its update parent.
    steps.clear();
    TStepNode *late = nullptr;
    a->OnSQLUpdated = [&] {
        late = TnvQueryBuilderControlOwner::NewModelNode<TStepNode>(QStringLiteral("late"), root.get(), root.get(),
                                                                    qb.get(), &steps);
        late->NotifySQLUpdated();
    };
    a->NotifySQLUpdated();
    a->OnSQLUpdated = nullptr;
    EXPECT_SQL(steps, "a.sql | a.after | late.sql | late.after | root.sql | root.after");
    EXPECT_FALSE(late->GetIsUpdating());
}

TEST_F(ControlOwnerTest, ResultTreesAreCachedUntilTheNodeChanges)
{
    EXPECT_SQL(b->GetResultSQL(), "1");
    TOwned<TastNodeBase> copy = b->GetResultAST();
    EXPECT_NE(copy.get(), b->GetOrGenerateResultAST());
    EXPECT_EQ(b->Builds, 1);
    // An unchanged node copies its cached tree; a changed one builds anew.
    a->NotifySQLUpdated();
    EXPECT_SQL(b->GetResultSQL(), "1");
    b->NotifySQLUpdated();
    EXPECT_SQL(b->GetResultSQL(), "2");
    b->DestroyCachedResultASTs();
    EXPECT_SQL(b->GetResultSQL(), "3");
    EXPECT_EQ(a->GetOrGenerateResultAST() != nullptr, true);
}

TEST_F(ControlOwnerTest, ControlsAreMadeThroughTheFactoryAndFreedChildrenFirst)
{
    a->Controls = 2;
    b->Controls = 1;
    root->CreateControl();
    // root has no slot; a's two slots, then its children (b after a in the child list).
    EXPECT_SQL(log.Lines, "TnvUnionSubQueryTabSheet#1 Create | TnvUnionSubQueryTabSheet#1 RestoreState | "
                          "TnvUnionSubQueryTabSheet#1 VisualParams | TnvUnionButton#2 Create | "
                          "TnvUnionButton#2 RestoreState | TnvUnionButton#2 VisualParams | TnvUnionButton#2 Visible(1) | "
                          "TnvUnionSubQueryTabSheet#3 Create | TnvUnionSubQueryTabSheet#3 RestoreState | "
                          "TnvUnionSubQueryTabSheet#3 VisualParams");
    EXPECT_TRUE(b->ControlsCreated());
    EXPECT_EQ(a->GetControls(5), nullptr);

    log.Clear();
    root->DoUpdateContolParams();
    EXPECT_SQL(log.Lines, "TnvUnionSubQueryTabSheet#1 VisualParams | TnvUnionButton#2 VisualParams | "
                          "TnvUnionSubQueryTabSheet#3 VisualParams");

    // A control freed by the widget layer first leaves an empty slot.
    delete a->GetControls(1);
    EXPECT_EQ(a->GetControls(1), nullptr);

    // Every control is marked before any goes; the state is saved.
    log.Clear();
    root->DestroyControl();
    EXPECT_SQL(log.Lines, "TnvUnionSubQueryTabSheet#1 SaveState | "
                          "TnvUnionSubQueryTabSheet#1 Free (marked) | TnvUnionSubQueryTabSheet#3 SaveState | "
                          "TnvUnionSubQueryTabSheet#3 Free (marked)");
    EXPECT_FALSE(a->ControlsCreated());

    // A node that goes frees its controls without saving their state.
    root->CreateControl();
    log.Clear();
    TObject::Free(b);
    EXPECT_SQL(log.Lines, "TnvUnionSubQueryTabSheet#6 Free (marked)");
    EXPECT_EQ(a->UpdateChildrenCount(), 0);
    EXPECT_EQ(root->GetChildCount(), 1);
}

TEST_F(ControlOwnerTest, NodesThatCannotLiveWithoutADatasourceAreFreed)
{
    b->DiesWith = true;
    EXPECT_FALSE(root->NotifyDatasourceDestroying(nullptr));
    EXPECT_EQ(root->GetChildCount(), 1);
    EXPECT_EQ(root->GetChild(0), a);
    EXPECT_EQ(a->UpdateChildrenCount(), 0);
    // Leaving changes nothing by itself; the classes whose SQL depends on a
    // child say so when it goes.
    EXPECT_TRUE(steps.isEmpty());
}

TEST_F(ControlOwnerTest, PropertyDialogRunsOnlyWhenTheDialectHasOne)
{
    int shown = 0;
    bool accept = false;
    factory.SetEditPropsDialog([&](TClass cls, TnvQueryBuilderControlOwner *node, TPosition position) {
        ++shown;
        EXPECT_EQ(cls, TStepNode::StaticClassType());
        EXPECT_EQ(node, b);
        EXPECT_EQ(position, poMainFormCenter);
        return accept;
    });
    b->EditPropsEvent(nullptr);
    EXPECT_EQ(shown, 0);
    provider.EditPropsClass = TStepNode::StaticClassType();
    b->EditPropsEvent(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(steps.isEmpty());
    accept = true;
    b->EditPropsEvent(nullptr);
    EXPECT_SQL(steps, "b.sql | b.after | a.sql | a.after | root.sql | root.after");
}

TEST(AbbreviatedCaptionTest, ShortensKeywordsAndCutsAt25Characters)
{
    using T = TnvQueryBuilderControlOwner;
    EXPECT_SQL(T::AbbreviateSQLCaption(QStringLiteral("SELECT a FROM b")), "SEL a FRM b");
    EXPECT_SQL(T::AbbreviateSQLCaption(QStringLiteral("SELECT abcdefghijkl FROM xyzw")), "SEL abcdefghijkl FRM xyzw");
    EXPECT_SQL(T::AbbreviateSQLCaption(QStringLiteral("SELECT abcdefghijklm FROM xyzw")),
               "SEL abcdefghijklm FRM xyz ...");
    // Only the upper-case words are replaced, every time they occur.
    EXPECT_SQL(T::AbbreviateSQLCaption(QStringLiteral("Select 1 From a")), "Select 1 From a");
    EXPECT_SQL(T::AbbreviateSQLCaption(QStringLiteral("SELECT SELECT 1 FROM FROM")), "SEL SEL 1 FRM FROM");
}

// ---------------------------------------------------------------------------
// Sub-selects and menus on the real query model

TEST_F(BuilderTest, SubSelectsBecomeSubQueriesThatPrintInPlace)
{
    EXPECT_SQL(Load(QStringLiteral("Select a.id From a Where a.id In (Select b.a_id From b) And "
                                   "Exists(Select 1 From c Where c.b_id = a.id)")),
               "Select a.id From a Where a.id In (Select b.a_id From b) And Exists(Select 1 From c Where c.b_id = a.id)");
    ASSERT_EQ(qb->GetSubQueriesCount(), 3);
    EXPECT_EQ(qb->GetSubQueries(0), Root());
    TnvSubQuery *in = qb->GetSubQueries(1);
    TnvSubQuery *exists = qb->GetSubQueries(2);
    EXPECT_EQ(in->ParentSubQuery(), Root());
    EXPECT_EQ(Root()->GetSubQueriesCount(), 2);
    EXPECT_TRUE(in->GetIsSubQuery());
    EXPECT_SQL(in->GetCaption(), "Select b.a_id From b");
    EXPECT_SQL(exists->GetCaption(), "Select 1 From c Where c.b ...");
    EXPECT_SQL(Root()->GetCaption(), "Main");

    // The node that holds a sub-select knows its proxy by root node: the
    // IN list is in the criteria cell of row a.id, the EXISTS is the
    // expression of a row of its own.
    TnvQueryBuilderControlOwner *holder = in->Parent();
    ASSERT_TRUE(holder->Is<TnvSelectItem>());
    auto *row = static_cast<TnvSelectItem *>(holder);
    EXPECT_SQL(row->GetExpression(), "a.id");
    ASSERT_EQ(holder->ProxyCount(), 1);
    EXPECT_EQ(holder->GetProxy(0)->SubQuery(), in);
    QList<TnvSubSelectStatementProxy *> proxies;
    holder->GetSubqueriesByRootNode(row->GetASTCondition(0), proxies);
    EXPECT_EQ(proxies.size(), 1);
    auto *existsRow = static_cast<TnvSelectItem *>(exists->Parent());
    ASSERT_TRUE(existsRow->Is<TnvSelectItem>());
    existsRow->GetSubqueriesByRootNode(existsRow->ExpressionNode(), proxies);
    EXPECT_EQ(proxies.size(), 2);
    EXPECT_EQ(holder->GetSubqueriesByRootNodeCount(nullptr), 0);

    // A change in a sub-query reaches the main query's SQL once.
    const int updates = qb->SQLUpdatedCount;
    TnvUnionSubQuery *added = in->Add();
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 1);
    EXPECT_TRUE(SQL().startsWith(QStringLiteral("Select a.id From a Where a.id In (Select b.a_id From b Union Select *)")));
    TObject::Free(added);
    EXPECT_EQ(qb->SQLUpdatedCount, updates + 2);

    // The popup of the sub-queries; choosing one makes it current.
    holder->ShowSubQueriesPopup(QPoint(5, 5), proxies);
    EXPECT_EQ(qb->PopupCount, 1);
    EXPECT_SQL(Captions(qb->PopupMenu()), "Select b.a_id From b | Select 1 From c Where c.b ... | - | "
                                          "About Norvane Query Builder...");
    Click(qb->PopupMenu(), QStringLiteral("Select 1 From c Where c.b ..."));
    EXPECT_EQ(qb->CurrentSubquery(), exists);

    // Loading other SQL frees the sub-queries; the menu no longer reaches them.
    Load(QStringLiteral("Select 1"));
    EXPECT_EQ(qb->GetSubQueriesCount(), 1);
    EXPECT_EQ(qb->CurrentSubquery(), Root());
    TnvMenuItemData *stale = qb->PopupMenu()->Items(0);
    EXPECT_EQ(stale->Sender(), nullptr);
    qb->ClickMenuItem(stale);
    EXPECT_EQ(qb->CurrentSubquery(), Root());
}

TEST_F(BuilderTest, MenuHandlersNeverLetAnExceptionThrough)
{
    QStringList shown;
    TnvErrorHandler old = SetErrorHandler([&](const QString &message) { shown.append(message); });
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, QStringLiteral("Fail"), 0, true, false, false,
                         TNotifyEvent::FromCallable([](TObject *) { throw Exception(QStringLiteral("went wrong")); }),
                         nullptr);
    qb->PopupMenuAddItem(nullptr, QStringLiteral("Off"), 0, false, false, false,
                         TNotifyEvent::FromCallable([](TObject *) { throw Exception(QStringLiteral("disabled")); }),
                         nullptr);
    EXPECT_NO_THROW(Click(qb->PopupMenu(), QStringLiteral("Fail")));
    EXPECT_NO_THROW(Click(qb->PopupMenu(), QStringLiteral("Off")));
    SetErrorHandler(std::move(old));
    EXPECT_SQL(shown, "went wrong");
}

} // namespace
