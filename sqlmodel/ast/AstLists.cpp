#include "sqlmodel/ast/AstLists.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/text/SQLBuilderFormats.h"

namespace nvqb {

// ---------------------------------------------------------------------------
// TastNodeWithList

NV_IMPLEMENT_AST_CLASS(TastNodeWithList, TastNode)

TastNodeWithList::TastNodeWithList(TnvBaseSyntaxProvider *provider, TClass itemClass)
    : TastNode(provider), FItemClass(itemClass)
{
}

void TastNodeWithList::CheckIndex(qsizetype index, qsizetype limit) const
{
    if (index < 0 || index >= limit)
        ListIndexError(index);
}

void TastNodeWithList::CheckItem(const TastNodeBase *node) const
{
    if (node && FItemClass)
        Assert(node->InheritsFrom(FItemClass), "nvAST", "Node of the wrong class put into a list");
}

qsizetype TastNodeWithList::Add(TOwned<TastNodeBase> node)
{
    Insert(GetCount(), std::move(node));
    return GetCount() - 1;
}

void TastNodeWithList::Insert(qsizetype index, TOwned<TastNodeBase> node)
{
    CheckIndex(index, GetCount() + 1);
    CheckItem(node.get());
    TastNodeBase *inserted = node.get();
    // Most lists hold a few items (name parts, operands): starting with room
    // for four saves the vector's first two regrowths.
    if (FItems.capacity() == 0)
        FItems.reserve(4);
    FItems.insert(FItems.begin() + index, std::move(node));
    if (inserted)
        inserted->SetSyntaxProvider(SyntaxProvider());
}

void TastNodeWithList::SetItems(qsizetype index, TOwned<TastNodeBase> node)
{
    CheckIndex(index, GetCount());
    CheckItem(node.get());
    TastNodeBase *stored = node.get();
    // The old entry is freed after the new one is in place: the new node may
    // have been taken from inside the old one.
    TOwned<TastNodeBase> old = std::exchange(FItems[size_t(index)], std::move(node));
    if (stored)
        stored->SetSyntaxProvider(SyntaxProvider());
}

TastNodeBase *TastNodeWithList::GetItems(qsizetype index) const
{
    CheckIndex(index, GetCount());
    return FItems[size_t(index)].get();
}

void TastNodeWithList::SetCount(qsizetype count)
{
    if (count < 0)
        ListIndexError(count);
    if (count < GetCount()) {
        std::vector<TOwned<TastNodeBase>> cut;
        for (qsizetype i = count; i < GetCount(); ++i)
            cut.push_back(std::move(FItems[size_t(i)]));
        FItems.resize(size_t(count));
        // Free the cut entries last first, as Delete from the end would.
        while (!cut.empty())
            cut.pop_back();
    } else {
        FItems.resize(size_t(count));
    }
}

void TastNodeWithList::Delete(qsizetype index)
{
    TOwned<TastNodeBase> removed = Extract(index);
}

qsizetype TastNodeWithList::Remove(TastNodeBase *node)
{
    qsizetype index = IndexOf(node);
    if (index >= 0)
        Delete(index);
    return index;
}

void TastNodeWithList::Clear()
{
    std::vector<TOwned<TastNodeBase>> items;
    items.swap(FItems);
    FreeNodes(items);
}

TOwned<TastNodeBase> TastNodeWithList::Extract(TastNodeBase *node)
{
    qsizetype index = node ? IndexOf(node) : -1;
    return index >= 0 ? Extract(index) : nullptr;
}

TOwned<TastNodeBase> TastNodeWithList::Extract(qsizetype index)
{
    CheckIndex(index, GetCount());
    TOwned<TastNodeBase> node = std::move(FItems[size_t(index)]);
    FItems.erase(FItems.begin() + index);
    return node;
}

qsizetype TastNodeWithList::IndexOf(const TastNodeBase *node) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == node)
            return qsizetype(i);
    return -1;
}

template <class T> T *TastNodeWithList::InsertToken(qsizetype index, TOwned<T> token, bool addSpace, int spaceWeight)
{
    CheckIndex(index, GetCount() + 1);
    T *result = token.get();
    Insert(index, std::move(token));
    if (addSpace)
        Insert(index, Create<TastNodeSpace>(SyntaxProvider(), spaceWeight));
    return result;
}

TastTokenIdentifier *TastNodeWithList::AddIdentifier(const QString &text, bool addSpace, int spaceWeight)
{
    return InsertIdentifier(GetCount(), text, addSpace, spaceWeight);
}

TastTokenKeyword *TastNodeWithList::AddKeyword(const QString &text, bool addSpace, int spaceWeight)
{
    return InsertKeyword(GetCount(), text, addSpace, spaceWeight);
}

TastTokenNumber *TastNodeWithList::AddNumber(const QString &text, bool addSpace, int spaceWeight)
{
    return InsertNumber(GetCount(), text, addSpace, spaceWeight);
}

TastTokenString *TastNodeWithList::AddString(const QString &text, bool addSpace, int spaceWeight)
{
    return InsertString(GetCount(), text, addSpace, spaceWeight);
}

TastTokenSymbol *TastNodeWithList::AddSymbol(const QString &text, bool addSpace, int spaceWeight)
{
    return InsertSymbol(GetCount(), text, addSpace, spaceWeight);
}

TastNodeSpace *TastNodeWithList::AddSpace(int weight) { return InsertSpace(GetCount(), weight); }

TastNodeNewLine *TastNodeWithList::AddNewLine() { return InsertNewLine(GetCount()); }

TastNodeBase *TastNodeWithList::AddNode(TOwned<TastNodeBase> node, bool addSpace, int spaceWeight)
{
    return InsertNode(GetCount(), std::move(node), addSpace, spaceWeight);
}

TastTokenIdentifier *TastNodeWithList::InsertIdentifier(qsizetype index, const QString &text, bool addSpace,
                                                        int spaceWeight)
{
    return InsertToken(index, Create<TastTokenIdentifier>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastTokenKeyword *TastNodeWithList::InsertKeyword(qsizetype index, const QString &text, bool addSpace,
                                                  int spaceWeight)
{
    return InsertToken(index, Create<TastTokenKeyword>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastTokenNumber *TastNodeWithList::InsertNumber(qsizetype index, const QString &text, bool addSpace,
                                                int spaceWeight)
{
    return InsertToken(index, Create<TastTokenNumber>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastTokenString *TastNodeWithList::InsertString(qsizetype index, const QString &text, bool addSpace,
                                                int spaceWeight)
{
    return InsertToken(index, Create<TastTokenString>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastTokenSymbol *TastNodeWithList::InsertSymbol(qsizetype index, const QString &text, bool addSpace,
                                                int spaceWeight)
{
    return InsertToken(index, Create<TastTokenSymbol>(SyntaxProvider(), text), addSpace, spaceWeight);
}

TastNodeBase *TastNodeWithList::InsertNode(qsizetype index, TOwned<TastNodeBase> node, bool addSpace,
                                           int spaceWeight)
{
    return InsertToken(index, std::move(node), addSpace, spaceWeight);
}

TastNodeSpace *TastNodeWithList::InsertSpace(qsizetype index, int weight)
{
    return InsertToken(index, Create<TastNodeSpace>(SyntaxProvider(), weight), false, 0);
}

TastNodeNewLine *TastNodeWithList::InsertNewLine(qsizetype index)
{
    return InsertToken(index, Create<TastNodeNewLine>(SyntaxProvider()), false, 0);
}

// Entries grown with SetCount stay nil until filled; printing skips them
// together with the separator they would have needed.
void TastNodeWithList::BuildList(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                 const TastNode *separator) const
{
    bool first = true;
    for (const auto &item : FItems) {
        const TastNode *node = As<TastNode>(item.get());
        if (!node)
            continue;
        if (!first && separator)
            separator->BuildSQL(builder, format);
        BuildASTField(node, builder, format, false);
        first = false;
    }
}

void TastNodeWithList::BuildSQLList(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                    const TSQLBuilderItemsListFormat *listFormat, const TastNode *separator) const
{
    bool first = true;
    for (const auto &item : FItems) {
        const TastNode *node = As<TastNode>(item.get());
        if (!node)
            continue;
        if (!first) {
            if (separator)
                separator->BuildSQL(builder, format);
            builder->NewLineOrSpace(listFormat && listFormat->NewLineAfterItem(), 1);
        }
        BuildASTField(node, builder, format, false);
        first = false;
    }
}

void TastNodeWithList::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildList(builder, format, nullptr);
}

void TastNodeWithList::GetMyChildren(TastNodesList &list) const
{
    TastNode::GetMyChildren(list);
    for (const auto &item : FItems)
        if (item)
            list.append(item.get());
}

void TastNodeWithList::MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass)
{
    TastNode::MoveSubQueryInProxy(owner, proxyClass);
    for (auto &item : FItems) {
        if (item && item->InheritsFrom(proxyClass->SubjectClass) && !item->InheritsFrom(proxyClass->ProxyClass)) {
            TOwned<TastNodeBase> subject = std::move(item);
            item = proxyClass->Create(SyntaxProvider(), std::move(subject), owner);
        }
    }
}

void TastNodeWithList::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    const auto *list = As<TastNodeWithList>(&source);
    if (!list)
        return;
    Clear();
    FItems.reserve(list->FItems.size());
    // The clones already carry the source's provider, which this node took.
    for (const auto &item : list->FItems) {
        TOwned<TastNodeBase> copy = CloneChild(item.get());
        CheckItem(copy.get());
        FItems.push_back(std::move(copy));
    }
}

TOwned<TastNodeBase> TastNodeWithList::NewNodeForCopy() const
{
    TOwned<TastNodeBase> node = TastNode::NewNodeForCopy();
    static_cast<TastNodeWithList *>(node.get())->FItemClass = FItemClass;
    return node;
}

void TastNodeWithList::DestroyOwned()
{
    // Given up after the registered fields, the items are freed before them.
    TastNode::DestroyOwned();
    Clear();
}

// ---------------------------------------------------------------------------
// TastNodeWithCollection

NV_IMPLEMENT_AST_CLASS(TastNodeWithCollection, TastNode)

TastNodeWithCollection::TastNodeWithCollection(TnvBaseSyntaxProvider *provider) : TastNode(provider) {}

TastNodeWithCollection::TastNodeWithCollection(TnvBaseSyntaxProvider *provider, TastNodeClass itemClass)
    : TastNode(provider), FItemClass(itemClass)
{
    Assert(itemClass != nullptr, "nvAST", "Collection without an item class");
}

void TastNodeWithCollection::CheckIndex(qsizetype index, qsizetype limit) const
{
    if (index < 0 || index >= limit)
        ListIndexError(index);
}

TOwned<TastNodeBase> TastNodeWithCollection::NewItem() const
{
    Assert(FItemClass != nullptr, "nvAST", "Collection without an item class");
    return FItemClass->Create(SyntaxProvider());
}

void TastNodeWithCollection::SetItemClass(TastNodeClass itemClass)
{
    Assert(itemClass != nullptr, "nvAST", "Collection without an item class");
    if (itemClass == FItemClass)
        return;
    // Build every replacement before touching the items, so a failure leaves
    // the collection as it was.
    std::vector<TOwned<TastNodeBase>> replaced;
    replaced.reserve(FItems.size());
    for (const auto &item : FItems) {
        TOwned<TastNodeBase> node = itemClass->Create(SyntaxProvider());
        if (item)
            node->Assign(item.get());
        node->SetSyntaxProvider(SyntaxProvider());
        replaced.push_back(std::move(node));
    }
    FItemClass = itemClass;
    FItems.swap(replaced);
    while (!replaced.empty())
        replaced.pop_back();
}

TastNodeBase *TastNodeWithCollection::Add() { return Insert(GetCount()); }

TastNodeBase *TastNodeWithCollection::Insert(qsizetype index)
{
    CheckIndex(index, GetCount() + 1);
    TOwned<TastNodeBase> item = NewItem();
    TastNodeBase *result = item.get();
    FItems.insert(FItems.begin() + index, std::move(item));
    return result;
}

void TastNodeWithCollection::Delete(qsizetype index)
{
    CheckIndex(index, GetCount());
    TOwned<TastNodeBase> removed = std::move(FItems[size_t(index)]);
    FItems.erase(FItems.begin() + index);
}

void TastNodeWithCollection::Clear()
{
    std::vector<TOwned<TastNodeBase>> items;
    items.swap(FItems);
    FreeNodes(items);
}

TastNodeBase *TastNodeWithCollection::GetItems(qsizetype index) const
{
    CheckIndex(index, GetCount());
    return FItems[size_t(index)].get();
}

void TastNodeWithCollection::SetCount(qsizetype count)
{
    if (count < 0)
        ListIndexError(count);
    while (GetCount() > count)
        Delete(GetCount() - 1);
    while (GetCount() < count)
        Add();
}

void TastNodeWithCollection::GetMyChildren(TastNodesList &list) const
{
    TastNode::GetMyChildren(list);
    for (const auto &item : FItems)
        if (item)
            list.append(item.get());
}

void TastNodeWithCollection::MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass)
{
    Assert(proxyClass != nullptr, "nvAST", "Proxy walk without a proxy class");
    TastNode::MoveSubQueryInProxy(owner, proxyClass);
    if (!FItemClass || !FItemClass->InheritsFrom(proxyClass->SubjectClass))
        return;
    for (auto &item : FItems) {
        if (item && !item->InheritsFrom(proxyClass->ProxyClass)) {
            TOwned<TastNodeBase> subject = std::move(item);
            item = proxyClass->Create(SyntaxProvider(), std::move(subject), owner);
        }
    }
}

void TastNodeWithCollection::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    const auto *collection = As<TastNodeWithCollection>(&source);
    if (!collection)
        return;
    // A collection made without an item class (a generic one, a fresh clone)
    // takes the source's, so its copies are of the same class.
    if (!FItemClass)
        FItemClass = collection->FItemClass;
    Clear();
    FItems.reserve(collection->FItems.size());
    for (const auto &item : collection->FItems) {
        TastNodeBase *added = Add();
        if (item)
            added->Assign(item.get());
    }
}

TOwned<TastNodeBase> TastNodeWithCollection::NewNodeForCopy() const
{
    TOwned<TastNodeBase> node = TastNode::NewNodeForCopy();
    static_cast<TastNodeWithCollection *>(node.get())->FItemClass = FItemClass;
    return node;
}

void TastNodeWithCollection::DestroyOwned()
{
    // Given up after the registered fields, the items are freed before them.
    TastNode::DestroyOwned();
    Clear();
}

} // namespace nvqb
