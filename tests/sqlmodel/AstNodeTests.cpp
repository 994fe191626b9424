// The syntax-tree core: copying between node classes, cloning, walk orders,
// extenders, lists and collections.
#include "AstTestSupport.h"
#include "classlib/Exceptions.h"
#include "classlib/StringList.h"
#include "sqlmodel/text/SQLBuilderFormats.h"

#include <gtest/gtest.h>

namespace nvqb::test {
namespace {

class AstTest : public ::testing::Test {
protected:
    void SetUp() override { WalkLog().clear(); }

    // root(A(A1), B)
    TOwned<TTestNode> MakeTree()
    {
        auto root = MakeNode(P(), "root");
        auto a = MakeNode(P(), "A");
        a->First.reset(MakeNode(P(), "A1"));
        root->First.reset(std::move(a));
        root->Second.reset(MakeNode(P(), "B"));
        return root;
    }

    TTestSyntaxProvider *P() { return FProvider.get(); }

    static QStringList Names(const TastNodesList &list)
    {
        QStringList names;
        for (TastNodeBase *node : list)
            names << static_cast<TTestNode *>(node)->Name;
        return names;
    }

    TOwned<TTestSyntaxProvider> FProvider = Create<TTestSyntaxProvider>(nullptr);
};

// --- assignment and cloning ------------------------------------------------

TEST_F(AstTest, AssignBetweenSiblingClassesCopiesOnlySharedFields)
{
    auto left = MakeNodeOf<TTestLeftNode>(P(), "left");
    left->LeftValue = QStringLiteral("kept");
    left->Left.reset(MakeNode(P(), "own"));
    auto right = MakeNodeOf<TTestRightNode>(P(), "right");
    right->First.reset(MakeNode(P(), "rf"));
    right->Second.reset(MakeNode(P(), "rs"));
    right->Right.reset(MakeNode(P(), "rr"));
    TObject marker;
    right->SetUserReference(&marker);

    left->Assign(right.get());

    EXPECT_EQ(left->Name, "right");
    ASSERT_TRUE(left->First);
    EXPECT_EQ(static_cast<TTestNode *>(left->First.get())->Name, "rf");
    EXPECT_NE(left->First.get(), right->First.get());
    EXPECT_EQ(static_cast<TTestNode *>(left->Second.get())->Name, "rs");
    // The field only TTestLeftNode declares ends up nil, although the source
    // holds a node of the same class in a field of its own.
    EXPECT_FALSE(left->Left);
    EXPECT_EQ(left->LeftValue, "kept");
    EXPECT_EQ(left->UserReference(), &marker);
    EXPECT_EQ(static_cast<TTestNode *>(right->Right.get())->Name, "rr");

    // From a parent-class node, the subclass's own field is cleared too.
    auto grand = MakeNodeOf<TTestGrandChildNode>(P(), "grand");
    grand->Left.reset(MakeNode(P(), "x"));
    grand->Assign(left.get());
    EXPECT_EQ(grand->Name, "right");
    EXPECT_FALSE(grand->Left);
    EXPECT_EQ(Print(grand.get()), "right(rf rs)");
}

TEST_F(AstTest, AssignFromItselfOrFromInsideItsOwnTreeReadsNothingFreed)
{
    auto root = MakeTree();
    root->Assign(root.get());
    EXPECT_EQ(Print(root.get()), "root(A(A1) B)");

    // From its own child: the child is freed by the copy, the snapshot is not.
    root->Assign(root->First.get());
    EXPECT_EQ(Print(root.get()), "A(A1)");

    // A child assigned from its ancestor takes a copy of the whole old tree.
    auto tree = MakeTree();
    TTestNode *a = static_cast<TTestNode *>(tree->First.get());
    a->Assign(tree.get());
    EXPECT_EQ(Print(tree.get()), "root(root(A(A1) B) B)");
}

TEST_F(AstTest, AssignFromSomethingElseRaisesTheConversionError)
{
    auto node = MakeNode(P(), "n");
    TWideStringList list;
    try {
        node->Assign(&list);
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TWideStringList to a TTestNode");
    }
    EXPECT_THROW(node->Assign(nullptr), EAssertionFailed);
}

TEST_F(AstTest, CloneIsAnIndependentDeepCopyOfTheSameClass)
{
    auto source = MakeNodeOf<TTestLeftNode>(P(), "src");
    source->First.reset(MakeTree());
    source->Left.reset(MakeNode(P(), "l"));
    source->LeftValue = QStringLiteral("v");

    TOwned<TastNode> clone = source->Clone();
    ASSERT_TRUE(clone->Is<TTestLeftNode>());
    auto *copy = static_cast<TTestLeftNode *>(clone.get());
    EXPECT_EQ(copy->SyntaxProvider(), P());
    EXPECT_EQ(copy->LeftValue, "v");
    EXPECT_NE(copy->First.get(), source->First.get());
    EXPECT_NE(copy->Left.get(), source->Left.get());

    TastNodesList original, copied;
    source->GetMyChildrenRecursive(original);
    copy->GetMyChildrenRecursive(copied);
    ASSERT_EQ(original.size(), copied.size());
    for (qsizetype i = 0; i < original.size(); ++i)
        EXPECT_NE(original[i], copied[i]);

    QString before = Print(copy);
    source.reset();
    EXPECT_EQ(Print(copy), before);
    EXPECT_EQ(before, "src(root(A(A1) B))");
}

// --- walks -------------------------------------------------------------------

TEST_F(AstTest, TraversalsAndChildListsFollowTheirOrders)
{
    auto root = MakeTree();
    QStringList visited;
    auto proc = TastTraverseProc::FromCallable(
        [&visited](TastNodeBase *node) { visited << static_cast<TTestNode *>(node)->Name; });

    root->TraverseASTTreeDepthFirst(proc);
    EXPECT_EQ(visited, QStringList({"A", "A1", "B"}));
    visited.clear();
    root->TraverseASTTreeSiblingFirst(proc);
    EXPECT_EQ(visited, QStringList({"A", "B", "A1"}));
    visited.clear();
    MakeNode(P(), "leaf")->TraverseASTTreeDepthFirst(proc);
    EXPECT_TRUE(visited.isEmpty());

    TastNodesList all;
    root->GetMyChildrenRecursive(all);
    EXPECT_EQ(Names(all), QStringList({"A", "B", "A1"}));
}

TEST_F(AstTest, RewritingWalksVisitTheNodeFirstBindingAndCountingTheChildrenFirst)
{
    auto root = MakeTree();
    root->SimplifyTreeRecursive();
    EXPECT_EQ(WalkLog(), QStringList({"simplify:root", "simplify:A", "simplify:A1", "simplify:B"}));

    WalkLog().clear();
    TastNodeRefList with, from;
    root->PrepareAndFixupRecursive(with, from, nullptr);
    EXPECT_EQ(WalkLog(), QStringList({"fixup:A1", "fixup:A", "fixup:B", "fixup:root"}));

    WalkLog().clear();
    EXPECT_EQ(root->CalcStatisticsRecursive(), 4);
    EXPECT_EQ(WalkLog(), QStringList({"stats:A1", "stats:A", "stats:B", "stats:root"}));
}

TEST_F(AstTest, SubQueriesMoveIntoProxiesAndTheWalkDoesNotReenterThem)
{
    auto root = MakeNode(P(), "root");
    auto subject = MakeNodeOf<TTestSubject>(P(), "sub");
    subject->First.reset(MakeNodeOf<TTestSubject>(P(), "inner"));
    TTestSubject *subjectPtr = subject.get();
    root->First.reset(std::move(subject));
    auto holder = MakeNode(P(), "holder");
    holder->First.reset(MakeNodeOf<TTestSubject>(P(), "deep"));
    root->Second.reset(std::move(holder));
    auto list = Create<TastNodeWithList>(P());
    list->Add(MakeNodeOf<TTestSubject>(P(), "item"));
    list->Add(MakeNode(P(), "plain"));

    TObject owner;
    root->MoveSubQueryInProxyRecursive(&owner, TTestProxy::ProxyClass());
    list->MoveSubQueryInProxyRecursive(&owner, TTestProxy::ProxyClass());

    auto *proxy = As<TTestProxy>(root->First.get());
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->Subject.get(), subjectPtr);
    EXPECT_EQ(proxy->Owner, &owner);
    // The statement inside the moved one stays as it was.
    EXPECT_TRUE(subjectPtr->First->Is<TTestSubject>());
    EXPECT_TRUE(static_cast<TTestNode *>(root->Second.get())->First->Is<TTestProxy>());
    EXPECT_TRUE(list->GetItems(0)->Is<TTestProxy>());
    EXPECT_FALSE(list->GetItems(1)->Is<TTestProxy>());
    EXPECT_THROW(root->MoveSubQueryInProxy(&owner, nullptr), EAssertionFailed);
}

// --- extenders -----------------------------------------------------------------

TEST_F(AstTest, ExtendersBindByNearestClassAndFollowTheProvider)
{
    P()->RegisterExtender(TTestNode::StaticClassType(), TTestExtender::StaticClassType());
    auto other = Create<TTestSyntaxProvider>(nullptr);
    other->RegisterExtender(TTestLeftNode::StaticClassType(), TTestOtherExtender::StaticClassType());

    // Bound at creation through the class reference, by inheritance.
    TOwned<TastNodeBase> created = TTestLeftNode::StaticClassType()->Create(P());
    auto *left = static_cast<TTestLeftNode *>(created.get());
    left->Name = QStringLiteral("n");
    ASSERT_NE(left->Extender(), nullptr);
    EXPECT_TRUE(left->Extender()->Is<TTestExtender>());
    EXPECT_EQ(Print(left), "<n>");
    EXPECT_EQ(Print(left->Clone().get()), "<n>");

    left->SetSyntaxProvider(other.get());
    EXPECT_TRUE(left->Extender()->Is<TTestOtherExtender>());
    EXPECT_EQ(Print(left), "{n}");

    auto none = Create<TTestSyntaxProvider>(nullptr);
    left->SetSyntaxProvider(none.get());
    EXPECT_EQ(left->Extender(), nullptr);
    EXPECT_EQ(Print(left), "n");

    // After copying from a sibling class the node carries its own class's
    // extender, not the source's.
    P()->RegisterExtender(TTestRightNode::StaticClassType(), TTestOtherExtender::StaticClassType());
    auto right = MakeNodeOf<TTestRightNode>(P(), "r");
    EXPECT_TRUE(right->Extender()->Is<TTestOtherExtender>());
    auto target = MakeNodeOf<TTestLeftNode>(other.get(), "t");
    target->Assign(right.get());
    EXPECT_EQ(target->SyntaxProvider(), P());
    EXPECT_TRUE(target->Extender()->Is<TTestExtender>());
    EXPECT_EQ(Print(target.get()), "<r>");
}

TEST_F(AstTest, EditPropsEditsAClone)
{
    auto node = MakeNode(P(), "n");
    node->First.reset(MakeNode(P(), "child"));
    EXPECT_FALSE(node->EditProps(nullptr));
    EXPECT_EQ(node->Name, "n");
    TObject accept;
    EXPECT_TRUE(node->EditProps(&accept));
    EXPECT_EQ(Print(node.get()), "n-edited(child)");

    P()->RegisterExtender(TTestNode::StaticClassType(), TTestExtender::StaticClassType());
    node->UpdateExtender();
    EXPECT_TRUE(node->EditProps(nullptr));
    EXPECT_EQ(node->Name, "by-extender");
}

// --- lists -----------------------------------------------------------------------

TEST_F(AstTest, ListShortcutsInsertSpacesBeforeTheirTokens)
{
    auto list = Create<TastNodeWithList>(P());
    list->AddKeyword(QStringLiteral("Select"));
    list->AddIdentifier(QStringLiteral("a"), true);
    list->AddSymbol(QStringLiteral(","));
    list->AddIdentifier(QStringLiteral("my col"), true, 2);
    EXPECT_EQ(Print(list.get()), "Select a, \"my col\"");

    list->InsertIdentifier(3, QStringLiteral("b"), true, 1);
    ASSERT_TRUE(list->GetItems(3)->Is<TastNodeSpace>());
    EXPECT_EQ(static_cast<TastNodeSpace *>(list->GetItems(3))->Weight(), 1);
    ASSERT_TRUE(list->GetItems(4)->Is<TastTokenIdentifier>());
    EXPECT_EQ(Print(list.get()), "Select a b, \"my col\"");

    list->InsertKeyword(0, QStringLiteral("x"), false);
    EXPECT_EQ(Print(list.get()), "xSelect a b, \"my col\"");
    EXPECT_EQ(list->GetItems(4)->SyntaxProvider(), P());
}

TEST_F(AstTest, ListGrownWithEmptyEntriesPrintsAndWalksWithoutThem)
{
    auto list = Create<TastNodeWithList>(P());
    list->AddKeyword(QStringLiteral("a"));
    list->SetCount(3);
    list->SetItems(2, Create<TastTokenKeyword>(P(), QStringLiteral("b")));
    list->SetCount(4);
    auto comma = Create<TastTokenSymbol>(P(), QStringLiteral(","));

    TSQLBuilderFastLease builder;
    builder->BeginBuild();
    list->BuildList(builder.Get(), builder->MainQueryFormat(), comma.get());
    builder->EndBuild();
    EXPECT_EQ(builder->ResultSQL(), "a,b");
    EXPECT_EQ(Print(list.get()), "ab");

    TastNodesList children;
    list->GetMyChildrenRecursive(children);
    EXPECT_EQ(children.size(), 2);
    list->SimplifyTreeRecursive();
    list->SetSyntaxProvider(nullptr);

    TOwned<TastNode> clone = list->Clone();
    auto *copy = static_cast<TastNodeWithList *>(clone.get());
    ASSERT_EQ(copy->GetCount(), 4);
    EXPECT_EQ(copy->GetItems(1), nullptr);
    EXPECT_EQ(copy->GetItems(3), nullptr);

    list->SetCount(1);
    EXPECT_EQ(Print(list.get()), "a");
    EXPECT_THROW(list->GetItems(1), EListError);
    EXPECT_THROW(list->SetCount(-1), EListError);
}

TEST_F(AstTest, BuildSQLListSeparatesItemsByTheListFormat)
{
    auto list = Create<TastNodeWithList>(P());
    list->AddIdentifier(QStringLiteral("a"));
    auto comma = Create<TastTokenSymbol>(P(), QStringLiteral(","));
    TSQLBuilder builder;
    TSQLBuilderItemsListFormat format(nullptr);

    builder.BeginBuild();
    list->BuildSQLList(&builder, builder.MainQueryFormat(), &format, comma.get());
    builder.EndBuild();
    EXPECT_EQ(builder.ResultSQL(), "a");

    list->AddIdentifier(QStringLiteral("b"));
    builder.BeginBuild();
    list->BuildSQLList(&builder, builder.MainQueryFormat(), &format, comma.get());
    builder.EndBuild();
    EXPECT_EQ(builder.ResultSQL(), "a, b");

    format.SetNewLineAfterItem(true);
    builder.BeginBuild();
    list->BuildSQLList(&builder, builder.MainQueryFormat(), &format, comma.get());
    builder.EndBuild();
    EXPECT_EQ(builder.ResultSQL(), "a,\r\nb");
}

TEST_F(AstTest, ListsOwnTakeOutAndCheckTheirItems)
{
    auto list = Create<TastIdentifiersList>(P());
    list->Add(Create<TastTokenIdentifier>(P(), QStringLiteral("a"), false));
    list->Add(Create<TastTokenIdentifier>(P(), QStringLiteral("b"), false));
    EXPECT_THROW(static_cast<TastNodeWithList *>(list.get())->Add(Create<TastTokenKeyword>(P(), QStringLiteral("k"))),
                 EAssertionFailed);
    EXPECT_EQ(list->GetCount(), 2);

    TOwned<TastTokenIdentifier> taken = list->Extract(0);
    EXPECT_EQ(taken->Text(), "a");
    EXPECT_EQ(list->GetCount(), 1);
    EXPECT_EQ(list->Extract(taken.get()), nullptr);
    EXPECT_EQ(list->Remove(taken.get()), -1);
    EXPECT_EQ(list->Remove(list->GetItems(0)), 0);
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_THROW(list->Insert(2, std::move(taken)), EListError);

    // A clone keeps the item class of the list it was made from.
    auto generic = Create<TastNodeWithList>(P(), TastTokenKeyword::StaticClassType());
    TOwned<TastNode> copy = generic->Clone();
    EXPECT_EQ(static_cast<TastNodeWithList *>(copy.get())->ItemClass(), TastTokenKeyword::StaticClassType());
}

// --- collections ---------------------------------------------------------------

TEST_F(AstTest, ClonedCollectionKeepsItsItemClass)
{
    auto collection = Create<TastNodeWithCollection>(P(), TastTokenKeyword::StaticClassType());
    static_cast<TastToken *>(collection->Add())->SetText(QStringLiteral("one"));
    static_cast<TastToken *>(collection->Add())->SetText(QStringLiteral("two"));

    TOwned<TastNode> clone = collection->Clone();
    auto *copy = static_cast<TastNodeWithCollection *>(clone.get());
    EXPECT_EQ(copy->ItemClass(), TastTokenKeyword::StaticClassType());
    ASSERT_EQ(copy->GetCount(), 2);
    EXPECT_TRUE(copy->GetItems(1)->Is<TastTokenKeyword>());
    EXPECT_NE(copy->GetItems(1), collection->GetItems(1));
    EXPECT_EQ(static_cast<TastToken *>(copy->GetItems(0))->Text(), "one");
    EXPECT_TRUE(copy->Add()->Is<TastTokenKeyword>());

    copy->SetItemClass(TastTokenSymbol::StaticClassType());
    EXPECT_TRUE(copy->GetItems(0)->Is<TastTokenSymbol>());
    EXPECT_EQ(static_cast<TastToken *>(copy->GetItems(1))->Text(), "two");

    copy->SetCount(5);
    EXPECT_TRUE(copy->GetItems(4)->Is<TastTokenSymbol>());
    copy->SetCount(1);
    EXPECT_EQ(copy->GetCount(), 1);

    auto withoutClass = Create<TastNodeWithCollection>(P());
    EXPECT_THROW(withoutClass->Add(), EAssertionFailed);
    EXPECT_THROW(Create<TastNodeWithCollection>(P(), nullptr), EAssertionFailed);
}

TEST_F(AstTest, IdentifiersCollectionComparesByTheProvider)
{
    auto names = Create<TSQLIdentifiersCollection>(P());
    names->AddIdentifier(QStringLiteral("dbo"));
    names->AddIdentifier(QStringLiteral("my schema"));
    EXPECT_TRUE(names->GetItems(1)->CaseSensitive());
    EXPECT_TRUE(names->ContainsSameIdStr(QStringLiteral("DBO")));
    EXPECT_TRUE(names->ContainsSameIdStr(QStringLiteral("\"DBO\"")));
    EXPECT_FALSE(names->ContainsSameIdStr(QStringLiteral("\"dbo\"")));
    EXPECT_TRUE(names->ContainsSameIdStr(QStringLiteral("my schema")));
    EXPECT_FALSE(names->ContainsSameIdStr(QString()));

    auto noProvider = Create<TSQLIdentifiersCollection>(nullptr);
    EXPECT_THROW(noProvider->ContainsSameIdStr(QStringLiteral("x")), EAssertionFailed);
}

TEST_F(AstTest, SimpleSQLCarriesDefaultNamesIntoTheBuilderWithoutTheirProvider)
{
    auto db = Create<TSQLQualifiedName>(P());
    db->AddName(QStringLiteral("db"));
    auto schemas = Create<TSQLIdentifiersCollection>(P());
    schemas->AddIdentifier(QStringLiteral("dbo"));

    TSQLBuilder builder;
    builder.SetDefaultDatabaseName(db.get());
    builder.SetDefaultSchemaNames(schemas.get());
    ASSERT_EQ(builder.DefaultDatabaseName()->GetCount(), 1);
    EXPECT_EQ(builder.DefaultDatabaseName()->SyntaxProvider(), nullptr);
    EXPECT_EQ(builder.DefaultDatabaseName()->GetItems(0)->SyntaxProvider(), nullptr);
    EXPECT_EQ(builder.DefaultSchemaNames()->GetCount(), 1);
    db.reset();
    EXPECT_EQ(builder.DefaultDatabaseName()->GetQualifiedName(), "db");
    builder.SetDefaultDatabaseName(nullptr);
    builder.SetDefaultSchemaNames(nullptr);
    EXPECT_EQ(builder.DefaultDatabaseName()->GetCount(), 0);
    EXPECT_EQ(builder.DefaultSchemaNames()->GetCount(), 0);
}

} // namespace
} // namespace nvqb::test
