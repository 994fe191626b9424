#pragma once
// The syntax-tree core. Every SQL construct is a node of one class tree rooted
// at TastNodeBase. A node class declares the child nodes it owns by registering
// its child fields in GetASTFields; assignment, cloning, destruction, provider
// propagation and every recursive walk run over those registrations, so a
// family of nodes only declares its fields and overrides the operations it
// needs.
//
// C++ shape of the design:
// - an owned child is a TastChild<T> slot (a TOwned pointer);
// - the registrations of a class are recorded once per class, as offsets into
//   the node, and shared by all its nodes: the walks never allocate for them;
// - nodes are created through their class reference (TastNodeClass, which
//   carries a factory) or Create<T>(provider), both completing construction in
//   AfterConstruction, where virtual calls reach the node's own class (binding
//   the extender needs it); destruction of the children runs in
//   BeforeDestruction for the same reason.
// - no walk recurses once per tree level: the generic walks keep their own
//   stack, freeing queues the children of a node being freed, and a copy fills
//   the children's copies in turn (see TastNodeBase::CloneChild). A chain of
//   operators a + b + c + ... is a tree as deep as it is long, and a recursion
//   per level would overflow the thread's stack on long ones.
#include "classlib/ClassInfo.h"
#include "classlib/Method.h"
#include "classlib/Persistent.h"
#include "sqlmodel/text/SQLBuilder.h"

#include <QHash>
#include <QList>
#include <QVarLengthArray>
#include <atomic>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace nvqb {

class TnvBaseSyntaxProvider;
class TnvMetadataContainer;
class TastNodeBase;
class TastFieldsList;
class TastCopyRun;
class TastCopyMap;
class TastExtender;
class TastNode;
class TSQLQualifiedName;
class TSQLIdentifiersCollection;
class TnvStatsObjects;
class TnvStatsColumns;

using TastNodeFactory = TastNodeBase *(*)(TnvBaseSyntaxProvider *provider);

// The class reference of a node class: its class information plus a factory
// that makes a node of the class with a syntax provider (nil for abstract
// classes), and the class's field registrations, built on first use.
struct TastNodeClassInfo : TClassInfo {
    TastNodeFactory Factory = nullptr;
    mutable std::atomic<const TastFieldsList *> Fields{nullptr};

    // A new node of this class with the provider, construction completed.
    TOwned<TastNodeBase> Create(TnvBaseSyntaxProvider *provider) const;
};

using TastNodeClass = const TastNodeClassInfo *;

namespace detail {
template <class T> TastNodeBase *MakeNode(TnvBaseSyntaxProvider *provider) { return new T(provider); }
template <class T> constexpr TastNodeFactory NodeFactoryOf()
{
    if constexpr (std::is_abstract_v<T>)
        return nullptr;
    else
        return &MakeNode<T>;
}
} // namespace detail

// In the body of every node class (instead of NV_DECLARE_CLASS).
#define NV_DECLARE_AST_CLASS(Name)                                             \
public:                                                                        \
    static ::nvqb::TastNodeClass StaticClassType();                            \
    ::nvqb::TClass ClassType() const override;                                 \
    ::nvqb::TastNodeClass NodeClassType() const override;                      \
                                                                               \
private:

// In the node class's source file (instead of NV_IMPLEMENT_CLASS).
#define NV_IMPLEMENT_AST_CLASS(Name, Parent)                                   \
    ::nvqb::TastNodeClass Name::StaticClassType()                              \
    {                                                                          \
        static const ::nvqb::TastNodeClassInfo info{                           \
            {#Name, Parent::StaticClassType()},                                \
            ::nvqb::detail::NodeFactoryOf<Name>()};                            \
        return &info;                                                          \
    }                                                                          \
    ::nvqb::TClass Name::ClassType() const { return StaticClassType(); }       \
    ::nvqb::TastNodeClass Name::NodeClassType() const { return StaticClassType(); }

// An owned child field of a node. Fields hold any node whose class is T or
// derives from it; registering the field makes the core copy, walk and free it.
template <class T> class TastChild {
public:
    TastChild() = default;
    TastChild(const TastChild &) = delete;
    TastChild &operator=(const TastChild &) = delete;

    T *get() const { return static_cast<T *>(FNode.get()); }
    T *operator->() const { return get(); }
    explicit operator bool() const { return FNode != nullptr; }

    // Stores the node (or nil) and frees the one held before.
    void reset(TOwned<T> node = nullptr) { FNode.reset(node.release()); }
    // Takes the node out without freeing it.
    TOwned<T> release() { return TOwned<T>(static_cast<T *>(FNode.release())); }

    TOwned<TastNodeBase> &Slot() { return FNode; }
    const TOwned<TastNodeBase> &Slot() const { return FNode; }

private:
    TOwned<TastNodeBase> FNode;
};

// The owned child fields of one node class, in registration order: for each
// field its place in the node and the class that registered it (not the class
// of the node it holds). Built once per class by the class's GetASTFields and
// shared by every node of that class.
class TastFieldsList {
public:
    explicit TastFieldsList(const TastNodeBase *node);

    template <class T> qsizetype Add(TastChild<T> &field, TClass type) { return AddSlot(field.Slot(), type); }
    qsizetype AddSlot(TOwned<TastNodeBase> &slot, TClass type);

    qsizetype Count() const { return qsizetype(FEntries.size()); }
    TClass GetASTTypes(qsizetype index) const { return FEntries[size_t(index)].Type; }
    // Field i of a node of the class this list was built for.
    TOwned<TastNodeBase> &GetASTFields(TastNodeBase *node, qsizetype index) const;
    const TOwned<TastNodeBase> &GetASTFields(const TastNodeBase *node, qsizetype index) const;

private:
    struct Entry {
        std::ptrdiff_t Offset;
        TClass Type;
    };
    const char *FBase;
    std::vector<Entry> FEntries;
};

// Direct children gathered for a walk: no heap allocation for up to 16.
using TastNodesList = QVarLengthArray<TastNodeBase *, 16>;
// Non-owning lists that walks carry: scopes of the binding walk, collected
// sources and columns.
using TastNodeRefList = QList<TastNodeBase *>;
// procedure(Sender: TastNodeBase) of object
using TastTraverseProc = TMethod<void(TastNodeBase *)>;

// How a walk replaces a sub-query by a proxy: the proxy's class, the class of
// the nodes it stands for, and a factory that wraps such a node (which passes
// to the proxy) for an owner object.
using TastProxyFactory = TastNodeBase *(*)(TnvBaseSyntaxProvider *provider, TOwned<TastNodeBase> subject,
                                           TObject *owner);
struct TastProxyClassInfo {
    TClass ProxyClass;
    TClass SubjectClass;
    TastProxyFactory Factory;

    TOwned<TastNodeBase> Create(TnvBaseSyntaxProvider *provider, TOwned<TastNodeBase> subject,
                                TObject *owner) const;
};
using TastProxyClass = const TastProxyClassInfo *;

class TastNodeBase : public TPersistent {
public:
    static TastNodeClass StaticClassType();
    TClass ClassType() const override;
    // The class reference of the node's class (with its factory).
    virtual TastNodeClass NodeClassType() const;

    explicit TastNodeBase(TnvBaseSyntaxProvider *provider);
    ~TastNodeBase() override;

    void AfterConstruction() override;
    // Gives up the owned children (DestroyOwned), which are then freed, list
    // items before registered fields and the last registered first, each with
    // its subtree; a second destruction is an assertion failure.
    void BeforeDestruction() final;

    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    // Stores the provider in the node and in every node below it, each node
    // through its SetOwnSyntaxProvider.
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);
    // Set by the visual builder to link a node to the model object made from
    // it; copied by Assign, not read by the tree itself.
    TObject *UserReference() const { return ExtrasIfAny() ? ExtrasIfAny()->UserReference : nullptr; }
    void SetUserReference(TObject *reference);
    bool IsDestroying() const { return FDestroying; }
    // What the node depends on, gathered by the statistics walk; nil until
    // PrepareCalcStatistics made them.
    TnvStatsObjects *StatsObjects() const { return ExtrasIfAny() ? ExtrasIfAny()->StatsObjects.get() : nullptr; }
    TnvStatsColumns *StatsColumns() const { return ExtrasIfAny() ? ExtrasIfAny()->StatsColumns.get() : nullptr; }
    // Makes both statistics lists when missing and clears them.
    void PrepareCalcStatistics();
    // The node first, then every child.
    void PrepareCalcStatisticsRecursive();

    // Copies Source into this node: the plain values of every class both share
    // and clones of the children in the fields both share; fields only this
    // node's classes declare end up nil. Safe when Source is this node, one of
    // its descendants or one of its ancestors. A Source that is not a node
    // raises the class library's assignment error.
    // References that nodes of the copy hold to nodes of Source's subtree
    // (a name's FROM source, a FROM object's WITH item) point at the
    // corresponding nodes of the copy afterwards; references to anything
    // else (sources outside the copied subtree, metadata objects) are kept,
    // except those that make no sense in a copy (see RepointCopiedReferences).
    void Assign(const TPersistent *source) final;
    // A deep copy of the same class, independent of this node as Assign
    // describes; the caller owns it.
    TOwned<TastNodeBase> Clone() const;
    // The copy of a child for the copy being made (AssignNode of a family
    // that owns children outside its registered fields uses it): inside
    // Assign or Clone the returned node is still empty and is filled before
    // the outermost copy returns, so copying a deep tree needs no deep
    // recursion; outside a copy it is a plain Clone. Nil for nil.
    static TOwned<TastNodeBase> CloneChild(const TastNodeBase *node);

    // The class's field registrations (built on first use, then shared).
    const TastFieldsList &ASTFields() const;

    void AssignASTField(TOwned<TastNodeBase> &dest, const TOwned<TastNodeBase> &source);
    template <class T> void AssignASTField(TastChild<T> &dest, const TastChild<T> &source)
    {
        AssignASTField(dest.Slot(), source.Slot());
    }
    static void DestroyASTField(TOwned<TastNodeBase> &field) { FreeNode(std::move(field)); }
    template <class T> static void DestroyASTField(TastChild<T> &field) { FreeNode(std::move(field.Slot())); }
    // Frees a node its owner gave up. While a tree is being freed, the nodes
    // its nodes give up wait in a queue of the thread and are freed one after
    // the other, not one inside the other, so freeing a deep tree needs no
    // deep recursion. A family that owns children outside its registered
    // fields frees them through this (or FreeNodes) in DestroyOwned.
    static void FreeNode(TOwned<TastNodeBase> node);
    // Frees the nodes of a list, the last first, and empties it.
    static void FreeNodes(std::vector<TOwned<TastNodeBase>> &nodes);
    // Prints Node when there is one, then a space of weight 3 when asked.
    static void BuildASTField(const TastNode *node, TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                              bool addSpace);

    // Direct children: the non-nil registered fields in registration order
    // (lists and collections add their items).
    virtual void GetMyChildren(TastNodesList &list) const;
    // The children, then the whole result for the first child, then for the
    // second, and so on.
    void GetMyChildrenRecursive(TastNodesList &list) const;

    // Own steps of the walks; the recursive forms below run them over the tree.
    virtual void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                 TnvMetadataContainer *container);
    virtual int CalcStatistics();
    virtual void SimplifyTree();
    virtual void RestoreColumnPrefix();
    virtual void MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass);
    virtual void RemoveReferencesToFromSource(TastNodeBase *source);
    virtual void GetReferencedDatasources(TastNodeRefList &list);
    virtual void GetReferencedColumns(TastNodeRefList &list);

    // Binding and counting visit the children first; the walks that rewrite or
    // collect visit the node first. Binding enters each node through
    // EnterBinding, which may bind the node's subtree itself.
    void PrepareAndFixupRecursive(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                  TnvMetadataContainer *container);
    // A number that names the outermost binding walk in progress on this
    // thread (a new one for each), 0 outside a walk: what a walk learns
    // about the visible sources is good until the walk ends.
    static quint64 BindingWalkSerial();
    int CalcStatisticsRecursive();
    void SimplifyTreeRecursive();
    void RestoreColumnPrefixRecursive();
    void MoveSubQueryInProxyRecursive(TObject *owner, TastProxyClass proxyClass);
    void RemoveReferencesToFromSourceRecursive(TastNodeBase *source);
    void GetReferencedDatasourcesRecursive(TastNodeRefList &list);
    void GetReferencedColumnsRecursive(TastNodeRefList &list);

    // Proc for each child and, right after it, that child's subtree; the node
    // itself is not passed.
    void TraverseASTTreeDepthFirst(const TastTraverseProc &proc);
    // Proc for every direct child first, then each child's depth-first walk.
    void TraverseASTTreeSiblingFirst(const TastTraverseProc &proc);

    // True when Node is this node or lies in its subtree.
    bool ContainsNode(const TastNodeBase *node) const;

protected:
    // Registers the class's owned child fields after the inherited ones, each
    // with the registering class as its type.
    virtual void GetASTFields(TastFieldsList &list);
    // The node's own part of SetSyntaxProvider: stores the provider and hands
    // it to what the node owns besides its child nodes (the statistics lists;
    // a family adds its fields lists). The walk reaches the children itself.
    virtual void SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider);
    // The copy behind Assign, with Source already known to be a separate
    // node. A family copies its own plain values after the inherited call.
    // The children's copies may still be empty when it returns (CloneChild),
    // so a family reads only Source's children here, never its own.
    virtual void AssignNode(const TastNodeBase &source);
    // A new node of the same class with the same provider, assigned from this
    // (filled later when a copy is in progress, see CloneChild).
    virtual TOwned<TastNodeBase> CloneInternal() const;
    // The empty node of the same class and provider that CloneInternal fills;
    // a family whose copies need more than the class's factory gives them
    // (an item class) overrides it.
    virtual TOwned<TastNodeBase> NewNodeForCopy() const;
    // After a whole copy, for each node of it with the node it was copied
    // from: a node that holds references to other nodes points them at the
    // copies of their targets when Copies has one (the target lay in the
    // copied subtree) and decides on the others.
    virtual void RepointCopiedReferences(const TastNodeBase &source, const TastCopyMap &copies);
    // The binding walk's step on entering the node, before its children.
    // False lets the walk bind the children (in GetMyChildren order) and then
    // call PrepareAndFixup; a node that changes what its children see binds
    // its subtree itself (through its children's PrepareAndFixupRecursive)
    // and returns true. The base does nothing and returns false.
    virtual bool EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                              TnvMetadataContainer *container);
    // Gives up what the node owns, at the start of its destruction: child
    // nodes go through FreeNode or FreeNodes and are freed after this step,
    // those given up last first. The base gives up the registered fields in
    // registration order.
    virtual void DestroyOwned();

private:
    friend class TastCopyRun;
    void AssignFields(const TastNodeBase &source);
    void ReplaceFieldsByProxies(TObject *owner, TastProxyClass proxyClass);

    // What few nodes carry: the statistics lists and the builder's link.
    // Kept apart, made on first use, so that the many nodes of a long
    // statement do without the room.
    struct TExtras {
        TOwned<TnvStatsObjects> StatsObjects;
        TOwned<TnvStatsColumns> StatsColumns;
        TObject *UserReference = nullptr;
        ~TExtras();
    };
    TExtras &Extras();
    TExtras *ExtrasIfAny() const
    {
        return reinterpret_cast<TExtras *>(std::uintptr_t(quint64(FExtrasAddress) << 3));
    }

    TnvBaseSyntaxProvider *FSyntaxProvider;
    // The extras (owned; nil until made) share one word with the flags: they
    // are 8-byte aligned, so their address is kept divided by 8. Each node is
    // 8 bytes smaller so, which puts the most common nodes of a long
    // statement into 64-byte heap blocks instead of 80-byte ones.
    quint64 FExtrasAddress : 61 = 0;
    bool FDestroying : 1 = false;
    // Set while the node is a copy that waits to be filled, and while the
    // copy in progress lists it among the nodes it made.
    bool FCopyPending : 1 = false;
    bool FCopyListed : 1 = false;
};

// The copies a whole copy made of the nodes that references may point at,
// by the node each was copied from (gathered on the first question: most
// copies hold no references).
class TastCopyMap {
public:
    // The copy of Node, nil when Node was not copied.
    TastNodeBase *CopyOf(const TastNodeBase *node) const;

private:
    friend class TastCopyRun;
    explicit TastCopyMap(const TastCopyRun &run) : FRun(run) {}
    const TastCopyRun &FRun;
    mutable bool FGathered = false;
    mutable QHash<const TastNodeBase *, TastNodeBase *> FCopies;
};

// While one is open on the thread, copies of nodes (Assign, Clone) leave
// out what binding and the statistics walk derive from the metadata: the
// columns a FROM source offers and every node's statistics lists. Copies
// that are bound again before they are read, as the visual builder's result
// trees are, need none of it, and copying those lists costs more than the
// rest of the tree.
class TastUnboundCopy {
public:
    TastUnboundCopy();
    ~TastUnboundCopy();
    TastUnboundCopy(const TastUnboundCopy &) = delete;
    TastUnboundCopy &operator=(const TastUnboundCopy &) = delete;
    static bool IsOpen();
};

// Creates a node of class T (any constructor arguments) and completes it.
// (Create<T> of the class library does the same; this form reads better at
// call sites that create tree nodes.)
template <class T, class... Args> TOwned<T> CreateNode(Args &&...args) { return Create<T>(std::forward<Args>(args)...); }

// Typed copy of a node: the clone of a T is a T.
template <class T> TOwned<T> CloneAs(const T *node)
{
    if (!node)
        return nullptr;
    TOwned<TastNodeBase> copy = static_cast<const TastNodeBase *>(node)->Clone();
    return TOwned<T>(static_cast<T *>(copy.release()));
}

// An extender takes over printing and property editing of the nodes of the
// classes a syntax provider registers it for.
class TastExtender : public TastNodeBase {
    NV_DECLARE_AST_CLASS(TastExtender)
public:
    using TastNodeBase::TastNodeBase;

    virtual bool EditPropsForNode(TastNode *node, TObject *param);
    virtual void BuildSQLForNode(const TastNode *node, TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
};

class TastNode : public TastExtender {
    NV_DECLARE_AST_CLASS(TastNode)
public:
    using TastExtender::TastExtender;

    void AfterConstruction() override;

    TastExtender *Extender() const { return FExtender.get(); }
    // Binds the extender that the provider registers for the node's class
    // (nearest registered ancestor class), or drops it.
    void UpdateExtender();

    // Prints the node: through its extender when one is bound, otherwise
    // BuildSQLDirect.
    void BuildSQL(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    virtual void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    virtual bool EditPropsInternal(TastNode *node, TObject *param);

    // The node printed alone on one line.
    QString SimpleSQL(TnvIdentQuotation quotation, TnvObjectPrefixSkipping prefixSkipping,
                      const TSQLQualifiedName *defaultDatabaseName,
                      const TSQLIdentifiersCollection *defaultSchemaNames) const;
    // Edits a clone through the extender or EditPropsInternal and takes the
    // clone's state when the edit is accepted.
    bool EditProps(TObject *param);

    TOwned<TastNode> Clone() const { return CloneAs<TastNode>(this); }

protected:
    void GetASTFields(TastFieldsList &list) override;
    // Re-binds the extender for the provider.
    void SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    // After the copy the extender is the one registered for this node's own
    // class, not the source's.
    void AssignNode(const TastNodeBase &source) override;

private:
    TastChild<TastExtender> FExtender;
};

// Frees the object a field refers to and clears the field.
template <class T> void ClearASTField(TOwned<T> &field) { field.reset(); }

} // namespace nvqb
