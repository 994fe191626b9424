#pragma once
// The base of every node of the query model behind a query builder: the
// query, its sub-queries, union groups and union parts, data sources, FROM
// groups, links, the select list and its rows. Each node has
// - a place in the model tree: its parent frees it with the other children;
// - the visual controls that show it, made through the control factory and
//   freed again, which exist only while the query builder shows its controls;
// - an update bracket along the update tree (each node reports changes to its
//   update parent, which is its parent or a node below the parent): a change
//   marks the node and everything above it, and at the outermost end of the
//   bracket each marked node runs its SQL-updated and after-update steps once,
//   the nodes below before the nodes above;
// - the syntax tree of its result, built on demand and kept until the node
//   changes.
//
// Nodes are made in two phases: the C++ constructors set up what the node
// needs, AfterConstruction registers it with its parent. Destruction runs in
// BeforeDestruction through Destroy, which each class extends and which runs
// while the whole object still exists, so it may call virtual operations.
// Make nodes with NewModelNode and free them with TObject::Free.
#include "builder/model/ControlFactory.h"
#include "builder/model/ModelControl.h"
#include "classlib/Component.h"
#include "classlib/Method.h"
#include "sqlmodel/ast/AstNode.h"
#include "sqlmodel/ast/TrackedReference.h"

#include <QList>
#include <QPoint>
#include <vector>

namespace nvqb {

class TnvQueryBuilderModel;
class TnvBaseSyntaxProvider;
class TnvMetadataContainer;
class TnvDatasourceBase;
class TnvMenuItemData;
class TnvSubSelectStatementProxy;

class TnvQueryBuilderControlOwner : public TComponent, public TnvRefTarget {
    NV_DECLARE_CLASS(TnvQueryBuilderControlOwner)
public:
    TnvQueryBuilderControlOwner(TnvQueryBuilderControlOwner *parent, TnvQueryBuilderControlOwner *updateParent,
                                TnvQueryBuilderModel *queryBuilder);
    ~TnvQueryBuilderControlOwner() override;

    // Joins the parent's child list.
    void AfterConstruction() override;
    // Marks the node as being destroyed and runs Destroy.
    void BeforeDestruction() final;

    TnvQueryBuilderControlOwner *Parent() const { return FParent; }
    TnvQueryBuilderModel *QueryBuilder() const { return FQueryBuilder; }
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }

    // --- Children -------------------------------------------------------
    qsizetype GetChildCount() const { return qsizetype(FChildren.size()); }
    TnvQueryBuilderControlOwner *GetChild(qsizetype index) const;
    // Returns whether this node is updating.
    bool RegisterChild(TnvQueryBuilderControlOwner *child);
    // Takes the child out of the list without freeing it.
    void UnregisterChild(TnvQueryBuilderControlOwner *child);

    // --- Controls ---------------------------------------------------------
    bool ControlsCreated() const { return FControlsCreated; }
    // The control of the slot; nil beyond the array or in an empty slot.
    TnvModelControl *GetControls(qsizetype index) const;
    // The control of the slot as one of its interfaces; nil when it has none.
    template <class I> I *GetControlInterface(qsizetype index) const
    {
        return dynamic_cast<I *>(GetControls(index));
    }
    virtual bool CanCreateControls();
    virtual void CreateControl();
    virtual void DestroyControl();
    // Pushes the query builder's visual settings to this node's controls,
    // then to every child's, depth first.
    void DoUpdateContolParams();

    // --- Update bracket --------------------------------------------------
    void BeginUpdate();
    void EndUpdate();
    bool GetIsUpdating() const { return FUpdateLevel > 0; }
    TnvQueryBuilderControlOwner *UpdateParent() const { return FUpdateParent; }
    qsizetype UpdateChildrenCount() const { return FUpdateChildren.size(); }
    // Marks this node and its update ancestors as changed (running the steps
    // at once when no bracket is open).
    void NotifySQLUpdated();
    // The same, and every node below this one in the update tree as well.
    void NotifySQLUpdatedRecursive();
    bool IsChanged() const { return FChanged; }

    // --- Result tree -----------------------------------------------------
    // The cached result tree, built by CreateResultAST on first use; the node
    // keeps it.
    TastNodeBase *GetOrGenerateResultAST();
    // A copy of the cached tree, owned by the caller; nil when the node
    // builds none.
    TOwned<TastNodeBase> GetResultAST();
    // The same, but a node that keeps no tree builds one for the caller
    // alone and still keeps none: a parent assembling its tree from its
    // children saves a copy of each child that changed.
    TOwned<TastNodeBase> GetResultASTUncached();
    void DestroyCachedResultASTs();
    // The result printed on one line with the query builder's identifier
    // quotation, prefix skipping and default names; empty without a tree.
    QString GetResultSQL();

    // --- Syntax provider -------------------------------------------------
    virtual void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);
    // The syntax nodes this node owns that must follow a change of provider.
    virtual void GetASTChildren(TastNodeRefList &list);
    // GetASTChildren of this node, then of each child, recursively.
    void GetASTChildrenForSubtree(TastNodeRefList &list);

    // --- Sub-queries in the node's syntax trees ---------------------------
    // Replaces every sub-select below Node by a proxy that loads it into a
    // sub-query of its own.
    virtual void LoadSubQueries(TastNodeBase *node);
    qsizetype ProxyCount() const { return FProxies.size(); }
    TnvSubSelectStatementProxy *GetProxy(qsizetype index) const { return FProxies.at(index); }
    void RegisterProxy(TnvSubSelectStatementProxy *proxy);
    void UnregisterProxy(TnvSubSelectStatementProxy *proxy);
    // The proxies found under Node, in the order they were made.
    void GetSubqueriesByRootNode(const TastNodeBase *node, QList<TnvSubSelectStatementProxy *> &list) const;
    qsizetype GetSubqueriesByRootNodeCount(const TastNodeBase *node) const;
    // A popup menu of the proxies' sub-queries; choosing one makes it the
    // current sub-query.
    void ShowSubQueriesPopup(const QPoint &point, const QList<TnvSubSelectStatementProxy *> &list);
    // Menu handler: the sender item's sender is the sub-query to show.
    void EditSubquery(TObject *sender);

    // --- Model operations ------------------------------------------------
    // Frees the nodes that cannot live without the data source; returns
    // whether this node cannot either.
    bool NotifyDatasourceDestroying(TnvDatasourceBase *datasource);
    // Menu handler "Remove": frees this node.
    virtual void RemoveEvent(TObject *sender);
    // The node's property dialog, when the syntax provider has one for it.
    virtual void EditProps(TPosition position);
    // Menu handler: EditProps in the middle of the main form.
    void EditPropsEvent(TObject *sender);
    // The node's context menu (the query builder's popup menu), or nil.
    virtual TnvMenuItemData *GetPopupMenu();
    // Collects what is visible to this node for binding: WITH items and FROM
    // sources, outer scopes first. The base asks the parent.
    virtual void GatherPrepareAndFixupContext(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                              bool addDatasources);
    // Binds a tree copied out of the model again, as reading its text would:
    // the column prefixes written out, then every name bound in this node's
    // scope. A copy of a sub-query names the sources of the sub-query it was
    // copied from, which go when that sub-query goes.
    void BindAsRead(TastNodeBase *tree);

    // "SELECT " becomes "SEL ", " FROM " becomes " FRM ", and a text longer
    // than 25 characters is cut to 25 followed by " ...".
    static QString AbbreviateSQLCaption(const QString &sql);

    // Makes a node of class T and completes it; a node with a parent belongs
    // to the parent's child list, one without belongs to the caller.
    template <class T, class... Args> static T *NewModelNode(Args &&...args);

protected:
    // The destruction steps; an override does its own work and then calls
    // the inherited Destroy.
    virtual void Destroy();

    virtual TOwned<TastNodeBase> CreateResultAST();
    virtual TnvModelControl *CreateControlInternal(int index);
    virtual bool MakeVisible(int index);
    virtual int GetControlsCount();
    virtual void DoSQLUpdated();
    virtual void DoAfterUpdated();
    virtual bool NotifyDatasourceDestroyingInternal(TnvDatasourceBase *datasource);
    // Runs at the top of the update tree after the outermost bracket has
    // closed and every step has run; nothing in the base.
    virtual void OutermostBracketClosed() {}
    // At the top of the update tree with no bracket open: runs the steps of
    // the nodes marked changed since their own steps ran, in one pass.
    void RunPendingSteps();

    void DoCreateControl();
    void DoDestroyControl();
    void DoDestroyNotify();
    // Asks the query builder's control factory for a control of the class.
    TnvModelControl *CreateControlOfClass(const char *className, int index);

    void SetUpdateParent(TnvQueryBuilderControlOwner *node);

private:
    void BeginUpdateParent();
    void EndUpdateParent();
    void BeginUpdateInternal();
    void EndUpdateInternal();
    void MarkChangedRecursive();
    bool IsBracketTop() const { return FUpdateParent == nullptr; }

    TnvQueryBuilderControlOwner *FParent;
    std::vector<TOwned<TnvQueryBuilderControlOwner>> FChildren;
    TnvQueryBuilderModel *FQueryBuilder;
    TOwned<TastNodeBase> FResultAST;
    bool FControlsCreated = false;
    std::vector<TnvOwnedControl> FControls;
    TnvQueryBuilderControlOwner *FUpdateParent = nullptr;
    int FUpdateCount = 0;
    QList<TnvQueryBuilderControlOwner *> FUpdateChildren;
    // Bumped whenever the update-children list changes, so a walk over it can
    // tell that it must look again.
    quint64 FUpdateChildrenVersion = 0;
    int FParentUpdateCount = 0;
    int FInternalUpdateCount = 0;
    int FUpdateLevel = 0;
    bool FChanged = false;
    bool FRegistered = false;
    QList<TnvSubSelectStatementProxy *> FProxies;
    TnvBaseSyntaxProvider *FSyntaxProvider = nullptr;
};

template <class T, class... Args> T *TnvQueryBuilderControlOwner::NewModelNode(Args &&...args)
{
    T *node = new T(std::forward<Args>(args)...);
    try {
        node->AfterConstruction();
    } catch (...) {
        // Registered or not, Free takes it out of its parent again.
        TObject::Free(node);
        throw;
    }
    return node;
}

} // namespace nvqb
