#pragma once
// The generic containers of the syntax tree: a node that owns an ordered list
// of child nodes put in by the caller (TastNodeWithList), and a node that owns
// items it creates itself from an item class (TastNodeWithCollection). Their
// items are children like registered fields: copied, walked, given the
// provider and freed with the node.
#include "sqlmodel/ast/AstNode.h"

#include <vector>

namespace nvqb {

class TastTokenIdentifier;
class TastTokenKeyword;
class TastTokenNumber;
class TastTokenString;
class TastTokenSymbol;
class TastNodeSpace;
class TastNodeNewLine;
class TSQLBuilderItemsListFormat;

class TastNodeWithList : public TastNode {
    NV_DECLARE_AST_CLASS(TastNodeWithList)
public:
    // With an item class, every node put into the list must be of that class.
    explicit TastNodeWithList(TnvBaseSyntaxProvider *provider, TClass itemClass = nullptr);

    TClass ItemClass() const { return FItemClass; }

    // Appends the node (nil is allowed) and gives it the list's provider;
    // returns its index.
    qsizetype Add(TOwned<TastNodeBase> node);
    void Insert(qsizetype index, TOwned<TastNodeBase> node);
    // Replaces the entry; the node it held is freed.
    void SetItems(qsizetype index, TOwned<TastNodeBase> node);
    TastNodeBase *GetItems(qsizetype index) const;
    qsizetype GetCount() const { return qsizetype(FItems.size()); }
    // Growing adds nil entries, shrinking frees the entries cut off.
    void SetCount(qsizetype count);
    void Delete(qsizetype index);
    // Frees the node and returns the index it had, -1 when not in the list.
    qsizetype Remove(TastNodeBase *node);
    void Clear();
    // Take a node out without freeing it (nil when it is not in the list).
    TOwned<TastNodeBase> Extract(TastNodeBase *node);
    TOwned<TastNodeBase> Extract(qsizetype index);
    TOwned<TastNodeBase> Extract(int index) { return Extract(qsizetype(index)); }
    qsizetype IndexOf(const TastNodeBase *node) const;

    // Token shortcuts, each made with the list's provider; with AddSpace a
    // space node of the weight goes first. Identifiers are parsed as one
    // identifier, so they need a list with a provider; the other kinds keep
    // the text as given.
    TastTokenIdentifier *AddIdentifier(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenKeyword *AddKeyword(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenNumber *AddNumber(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenString *AddString(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenSymbol *AddSymbol(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastNodeSpace *AddSpace(int weight = 3);
    TastNodeNewLine *AddNewLine();
    TastNodeBase *AddNode(TOwned<TastNodeBase> node, bool addSpace = false, int spaceWeight = 3);
    // The insert forms put the token at Index and then the space at the same
    // index, so the space ends up before the token.
    TastTokenIdentifier *InsertIdentifier(qsizetype index, const QString &text, bool addSpace = false,
                                          int spaceWeight = 3);
    TastTokenKeyword *InsertKeyword(qsizetype index, const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenNumber *InsertNumber(qsizetype index, const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenString *InsertString(qsizetype index, const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenSymbol *InsertSymbol(qsizetype index, const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastNodeBase *InsertNode(qsizetype index, TOwned<TastNodeBase> node, bool addSpace = false,
                             int spaceWeight = 3);
    TastNodeSpace *InsertSpace(qsizetype index, int weight = 3);
    TastNodeNewLine *InsertNewLine(qsizetype index);

    // Every item in order, the separator between two items (not after the last).
    void BuildList(TSQLBuilder *builder, TSQLBuilderSelectFormat *format, const TastNode *separator) const;
    // Every item in order; between two items the separator, then a new line
    // when the list format asks for one, otherwise a space of weight 1.
    void BuildSQLList(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                      const TSQLBuilderItemsListFormat *listFormat, const TastNode *separator) const;

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void GetMyChildren(TastNodesList &list) const override;
    void MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass) override;

protected:
    void SetListItemClass(TClass itemClass) { FItemClass = itemClass; }
    void AssignNode(const TastNodeBase &source) override;
    TOwned<TastNodeBase> NewNodeForCopy() const override;
    void DestroyOwned() override;

private:
    void CheckIndex(qsizetype index, qsizetype limit) const;
    void CheckItem(const TastNodeBase *node) const;
    template <class T> T *InsertToken(qsizetype index, TOwned<T> token, bool addSpace, int spaceWeight);

    std::vector<TOwned<TastNodeBase>> FItems;
    TClass FItemClass;
};

class TastNodeWithCollection : public TastNode {
    NV_DECLARE_AST_CLASS(TastNodeWithCollection)
public:
    // The one-argument form leaves the item class to the subclass.
    explicit TastNodeWithCollection(TnvBaseSyntaxProvider *provider);
    TastNodeWithCollection(TnvBaseSyntaxProvider *provider, TastNodeClass itemClass);

    TastNodeClass ItemClass() const { return FItemClass; }
    // A new class replaces every item by one of the new class assigned from it.
    void SetItemClass(TastNodeClass itemClass);

    // Creates an item of the item class with the collection's provider.
    TastNodeBase *Add();
    TastNodeBase *Insert(qsizetype index);
    void Delete(qsizetype index);
    void Clear();
    TastNodeBase *GetItems(qsizetype index) const;
    qsizetype GetCount() const { return qsizetype(FItems.size()); }
    // Growing adds new items of the item class; shrinking frees.
    void SetCount(qsizetype count);

    void GetMyChildren(TastNodesList &list) const override;
    void MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass) override;

protected:
    void AssignNode(const TastNodeBase &source) override;
    TOwned<TastNodeBase> NewNodeForCopy() const override;
    void DestroyOwned() override;

private:
    TOwned<TastNodeBase> NewItem() const;
    void CheckIndex(qsizetype index, qsizetype limit) const;

    std::vector<TOwned<TastNodeBase>> FItems;
    TastNodeClass FItemClass = nullptr;
};

} // namespace nvqb
