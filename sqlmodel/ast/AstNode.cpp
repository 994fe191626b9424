#include "sqlmodel/ast/AstNode.h"
#include "classlib/Assert.h"
#include "sqlmodel/ast/AstLists.h"
#include "sqlmodel/ast/TrackedReference.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/sql/QueryStatistics.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <cstdint>
#include <vector>

namespace nvqb {

// ---------------------------------------------------------------------------
// Per-thread state of freeing and copying

namespace {

struct TastCopyEntry {
    TastNodeBase *Copy;
    const TastNodeBase *Source;
};

struct TastWalkState {
    // Nodes given up while another node was being freed, the next to free last.
    std::vector<TastNodeBase *> FreePending;
    bool Freeing = false;
    // Copies waiting to be filled, the next to fill last; an entry whose copy
    // was filled early or freed holds nil.
    std::vector<TastCopyEntry> CopyPending;
    // Every copy made (or assigned) by the copies in progress, with its source.
    std::vector<TastCopyEntry> CopyListed;
    int OpenCopies = 0;
};

constinit thread_local TastWalkState *WalkStatePtr = nullptr;
constinit thread_local bool WalkStateGone = false;

// Nil while the thread ends: nodes freed or copied then (by thread-local
// objects being destroyed) are handled at once, recursively.
TastWalkState *WalkState()
{
    if (WalkStatePtr)
        return WalkStatePtr;
    if (WalkStateGone)
        return nullptr;
    struct Holder {
        TastWalkState State;
        Holder() { WalkStatePtr = &State; }
        ~Holder()
        {
            WalkStatePtr = nullptr;
            WalkStateGone = true;
        }
    };
    thread_local Holder holder;
    return &holder.State;
}

} // namespace

// One copy (Assign or Clone). The copies of children are made empty and
// queued (CloneChild); Finish fills them one after the other, each queueing
// its own children, so the depth of the tree costs queue entries instead of
// stack, and then re-points the references of every node the copy made. A
// copy started while another is in progress (by code that AssignNode calls)
// is complete when it returns: it fills and re-points only its own nodes.
class TastCopyRun {
public:
    TastCopyRun() : FState(WalkState())
    {
        if (!FState)
            return;
        FPendingMark = FState->CopyPending.size();
        FListedMark = FState->CopyListed.size();
        ++FState->OpenCopies;
    }
    ~TastCopyRun()
    {
        if (!FState)
            return;
        if (!FFinished) {
            // An exception left copies unfilled: they stay empty.
            for (size_t i = FPendingMark; i < FState->CopyPending.size(); ++i)
                if (TastNodeBase *copy = FState->CopyPending[i].Copy)
                    copy->FCopyPending = false;
            FState->CopyPending.resize(FPendingMark);
            Unlist();
        }
        --FState->OpenCopies;
    }
    TastCopyRun(const TastCopyRun &) = delete;
    TastCopyRun &operator=(const TastCopyRun &) = delete;

    static bool IsOpen()
    {
        TastWalkState *state = WalkStatePtr;
        return state && state->OpenCopies > 0;
    }

    // Records Copy as the copy of Source.
    static void List(TastNodeBase *copy, const TastNodeBase *source)
    {
        TastWalkState *state = WalkStatePtr;
        if (!state || state->OpenCopies == 0)
            return;
        state->CopyListed.push_back({copy, source});
        copy->FCopyListed = true;
    }

    // Queues Copy to be filled from Source by the copy in progress.
    static void Defer(TastNodeBase *copy, const TastNodeBase *source)
    {
        TastWalkState *state = WalkStatePtr;
        state->CopyPending.push_back({copy, source});
        copy->FCopyPending = true;
        List(copy, source);
    }

    // Fills Node now when it is a copy still waiting: it is about to be read.
    static void Complete(TastNodeBase *node)
    {
        if (!node->FCopyPending)
            return;
        TastWalkState *state = WalkStatePtr;
        for (auto it = state->CopyPending.rbegin(); it != state->CopyPending.rend(); ++it) {
            if (it->Copy == node) {
                it->Copy = nullptr;
                node->FCopyPending = false;
                node->AssignNode(*it->Source);
                return;
            }
        }
    }

    // Node is being freed during the copy (a copy replaced by another, such
    // as a re-bound extender): it leaves the queue and the list, also as the
    // source of a copy.
    static void Forget(TastNodeBase *node)
    {
        if (TastWalkState *state = WalkStatePtr) {
            // A copy of the node stays as it is (empty when still waiting).
            for (TastCopyEntry &entry : state->CopyPending) {
                if (entry.Copy && (entry.Copy == node || entry.Source == node)) {
                    entry.Copy->FCopyPending = false;
                    entry.Copy = nullptr;
                }
            }
            for (TastCopyEntry &entry : state->CopyListed) {
                if (entry.Copy && (entry.Copy == node || entry.Source == node)) {
                    entry.Copy->FCopyListed = false;
                    entry.Copy = nullptr;
                }
            }
        }
        node->FCopyPending = false;
        node->FCopyListed = false;
    }

    void Finish()
    {
        if (!FState)
            return;
        std::vector<TastCopyEntry> &pending = FState->CopyPending;
        while (pending.size() > FPendingMark) {
            const TastCopyEntry entry = pending.back();
            pending.pop_back();
            if (!entry.Copy)
                continue;
            entry.Copy->FCopyPending = false;
            entry.Copy->AssignNode(*entry.Source);
        }
        Repoint();
        Unlist();
        FFinished = true;
    }

    // The copies of this run's nodes that references point at.
    void GatherTargets(QHash<const TastNodeBase *, TastNodeBase *> &copies) const
    {
        const std::vector<TastCopyEntry> &listed = FState->CopyListed;
        for (size_t i = FListedMark; i < listed.size(); ++i) {
            const TastCopyEntry &entry = listed[i];
            const auto *target = entry.Copy ? dynamic_cast<const TnvRefTarget *>(entry.Source) : nullptr;
            if (target && target->HasTrackedReferences())
                copies.insert(entry.Source, entry.Copy);
        }
    }

private:
    void Repoint()
    {
        const std::vector<TastCopyEntry> &listed = FState->CopyListed;
        const TastCopyMap copies(*this);
        // Re-pointing reads only the map and the node's own references.
        for (size_t i = FListedMark; i < listed.size(); ++i)
            if (TastNodeBase *copy = listed[i].Copy)
                copy->RepointCopiedReferences(*listed[i].Source, copies);
    }
    void Unlist()
    {
        std::vector<TastCopyEntry> &listed = FState->CopyListed;
        for (size_t i = FListedMark; i < listed.size(); ++i)
            if (TastNodeBase *copy = listed[i].Copy)
                copy->FCopyListed = false;
        listed.resize(FListedMark);
    }

    TastWalkState *FState;
    bool FFinished = false;
    size_t FPendingMark = 0;
    size_t FListedMark = 0;
};

TastNodeBase *TastCopyMap::CopyOf(const TastNodeBase *node) const
{
    if (!node)
        return nullptr;
    if (!FGathered) {
        FRun.GatherTargets(FCopies);
        FGathered = true;
    }
    return FCopies.value(node, nullptr);
}

namespace {

// Explicit stacks of the walks: no heap for small trees.
using TastWalkStack = QVarLengthArray<TastNodeBase *, 64>;

template <class Stack> auto Pop(Stack &stack)
{
    auto top = stack.last();
    stack.removeLast();
    return top;
}

// Pushes the node's children so that the first is taken next.
void PushChildren(TastWalkStack &stack, const TastNodeBase *node)
{
    TastNodesList children;
    node->GetMyChildren(children);
    for (qsizetype i = children.size() - 1; i >= 0; --i)
        stack.append(children[i]);
}

// Visit for every node below Root (and Root itself when asked), a node
// before its children and the children in order; a node's children are
// gathered after its visit, so the visit may replace them.
template <class Visit> void WalkNodeFirst(TastNodeBase *root, bool withRoot, Visit &&visit)
{
    TastWalkStack stack;
    if (withRoot)
        visit(root);
    PushChildren(stack, root);
    while (!stack.isEmpty()) {
        TastNodeBase *node = Pop(stack);
        visit(node);
        PushChildren(stack, node);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Class references and field registrations

TOwned<TastNodeBase> TastNodeClassInfo::Create(TnvBaseSyntaxProvider *provider) const
{
    Assert(Factory != nullptr, "nvAST", "Cannot create a node of an abstract class");
    TOwned<TastNodeBase> node(Factory(provider));
    node->AfterConstruction();
    return node;
}

TOwned<TastNodeBase> TastProxyClassInfo::Create(TnvBaseSyntaxProvider *provider, TOwned<TastNodeBase> subject,
                                                TObject *owner) const
{
    Assert(Factory != nullptr, "nvAST", "Proxy class without a factory");
    TOwned<TastNodeBase> node(Factory(provider, std::move(subject), owner));
    node->AfterConstruction();
    return node;
}

TastFieldsList::TastFieldsList(const TastNodeBase *node) : FBase(reinterpret_cast<const char *>(node)) {}

qsizetype TastFieldsList::AddSlot(TOwned<TastNodeBase> &slot, TClass type)
{
    std::ptrdiff_t offset = reinterpret_cast<const char *>(&slot) - FBase;
    Assert(offset > 0, "nvAST", "A child field must belong to the registering node");
    FEntries.push_back(Entry{offset, type});
    return qsizetype(FEntries.size()) - 1;
}

TOwned<TastNodeBase> &TastFieldsList::GetASTFields(TastNodeBase *node, qsizetype index) const
{
    return *reinterpret_cast<TOwned<TastNodeBase> *>(reinterpret_cast<char *>(node) + FEntries[size_t(index)].Offset);
}

const TOwned<TastNodeBase> &TastFieldsList::GetASTFields(const TastNodeBase *node, qsizetype index) const
{
    return *reinterpret_cast<const TOwned<TastNodeBase> *>(reinterpret_cast<const char *>(node) +
                                                           FEntries[size_t(index)].Offset);
}

// ---------------------------------------------------------------------------
// TastNodeBase

NV_IMPLEMENT_AST_CLASS(TastNodeBase, TPersistent)

TastNodeBase::TastNodeBase(TnvBaseSyntaxProvider *provider) : FSyntaxProvider(provider) {}

static_assert(sizeof(void *) != 8 || sizeof(TastNodeBase) == 24, "the extras' word holds the node's flags");

TastNodeBase::~TastNodeBase() { delete ExtrasIfAny(); }

TastNodeBase::TExtras::~TExtras() = default;

TastNodeBase::TExtras &TastNodeBase::Extras()
{
    static_assert(alignof(TExtras) >= 8, "the extras' address is kept divided by 8");
    if (TExtras *extras = ExtrasIfAny())
        return *extras;
    auto *extras = new TExtras;
    FExtrasAddress = quint64(reinterpret_cast<std::uintptr_t>(extras)) >> 3;
    return *extras;
}

void TastNodeBase::SetUserReference(TObject *reference)
{
    if (reference || ExtrasIfAny())
        Extras().UserReference = reference;
}

void TastNodeBase::AfterConstruction()
{
    TPersistent::AfterConstruction();
    // A class that declared itself with NV_DECLARE_CLASS instead of the node
    // macros would share its parent's registrations and factory.
    Assert(NodeClassType() == ClassType(), "nvAST", "Node class declared without NV_DECLARE_AST_CLASS");
}

void TastNodeBase::BeforeDestruction()
{
    Assert(!FDestroying, "nvAST", "Node destroyed twice");
    FDestroying = true;
    if (FCopyPending || FCopyListed)
        TastCopyRun::Forget(this);
    if (TExtras *extras = ExtrasIfAny()) {
        extras->StatsColumns.reset();
        extras->StatsObjects.reset();
    }
    // The first node freed on the thread frees what the others give up: the
    // children queue up (FreeNode) and are freed here one after the other.
    TastWalkState *state = WalkState();
    const bool first = state && !state->Freeing;
    if (first)
        state->Freeing = true;
    DestroyOwned();
    if (first) {
        std::vector<TastNodeBase *> &pending = state->FreePending;
        while (!pending.empty()) {
            TastNodeBase *next = pending.back();
            pending.pop_back();
            TObject::Free(next);
        }
        state->Freeing = false;
    }
    TPersistent::BeforeDestruction();
}

void TastNodeBase::FreeNode(TOwned<TastNodeBase> node)
{
    if (!node)
        return;
    TastWalkState *state = WalkStatePtr;
    if (state && state->Freeing)
        state->FreePending.push_back(node.release());
    else
        node.reset();
}

void TastNodeBase::FreeNodes(std::vector<TOwned<TastNodeBase>> &nodes)
{
    TastWalkState *state = WalkStatePtr;
    if (state && state->Freeing) {
        // Queued first to last, so the last is freed first.
        for (auto &node : nodes)
            state->FreePending.push_back(node.release());
        nodes.clear();
        return;
    }
    while (!nodes.empty())
        nodes.pop_back();
}

void TastNodeBase::DestroyOwned()
{
    // Queued first to last, so the last registered is freed first.
    const TastFieldsList &fields = ASTFields();
    for (qsizetype i = 0; i < fields.Count(); ++i)
        FreeNode(std::move(fields.GetASTFields(this, i)));
}

const TastFieldsList &TastNodeBase::ASTFields() const
{
    TastNodeClass cls = NodeClassType();
    const TastFieldsList *fields = cls->Fields.load(std::memory_order_acquire);
    if (fields)
        return *fields;
    // First node of its class: record where its fields sit. Every node of a
    // class registers the same fields, so the offsets hold for all of them.
    auto *built = new TastFieldsList(this);
    const_cast<TastNodeBase *>(this)->GetASTFields(*built);
    const TastFieldsList *expected = nullptr;
    if (cls->Fields.compare_exchange_strong(expected, built, std::memory_order_acq_rel))
        return *built;
    delete built;
    return *expected;
}

void TastNodeBase::GetASTFields(TastFieldsList &) {}

void TastNodeBase::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    WalkNodeFirst(this, true, [provider](TastNodeBase *node) { node->SetOwnSyntaxProvider(provider); });
}

void TastNodeBase::SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    FSyntaxProvider = provider;
    if (TnvStatsObjects *objects = StatsObjects())
        objects->SetSyntaxProvider(provider);
    if (TnvStatsColumns *columns = StatsColumns())
        columns->SetSyntaxProvider(provider);
}

void TastNodeBase::Assign(const TPersistent *source)
{
    Assert(source != nullptr, "nvAST", "Assign from nil");
    const TastNodeBase *node = As<TastNodeBase>(static_cast<const TObject *>(source));
    if (!node) {
        TPersistent::Assign(source);
        return;
    }
    Assert(!node->IsDestroying(), "nvAST", "Assign from a node being destroyed");
    if (node == this)
        return;
    // A copy that a copy in progress has not filled yet (an extender being
    // re-bound) is filled before it is read or overwritten.
    TastCopyRun::Complete(const_cast<TastNodeBase *>(node));
    TastCopyRun::Complete(this);
    // Copying frees this node's children before it clones the source's; when
    // one node lies inside the other, copy from a snapshot instead so nothing
    // is read after it was freed. The references go from the source to the
    // snapshot and then from the snapshot to this node.
    if (ContainsNode(node) || node->ContainsNode(this)) {
        TOwned<TastNodeBase> snapshot = node->Clone();
        TastCopyRun run;
        TastCopyRun::List(this, snapshot.get());
        AssignNode(*snapshot);
        run.Finish();
        return;
    }
    TastCopyRun run;
    TastCopyRun::List(this, node);
    AssignNode(*node);
    run.Finish();
}

TOwned<TastNodeBase> TastNodeBase::Clone() const
{
    // A copy still waiting is filled for the copy in progress, not this one.
    TastCopyRun::Complete(const_cast<TastNodeBase *>(this));
    TastCopyRun run;
    TOwned<TastNodeBase> copy = CloneInternal();
    run.Finish();
    return copy;
}

TOwned<TastNodeBase> TastNodeBase::CloneChild(const TastNodeBase *node)
{
    if (!node)
        return nullptr;
    Assert(!node->IsDestroying(), "nvAST", "Assign from a node being destroyed");
    if (!TastCopyRun::IsOpen())
        return node->Clone();
    return node->CloneInternal();
}

namespace {
constinit thread_local int UnboundCopies = 0;
} // namespace

TastUnboundCopy::TastUnboundCopy() { ++UnboundCopies; }

TastUnboundCopy::~TastUnboundCopy() { --UnboundCopies; }

bool TastUnboundCopy::IsOpen() { return UnboundCopies > 0; }

void TastNodeBase::AssignNode(const TastNodeBase &source)
{
    FSyntaxProvider = source.FSyntaxProvider;
    SetUserReference(source.UserReference());
    if ((source.StatsObjects() || source.StatsColumns()) && !TastUnboundCopy::IsOpen()) {
        PrepareCalcStatistics();
        if (source.StatsColumns())
            StatsColumns()->Assign(source.StatsColumns());
        if (source.StatsObjects())
            StatsObjects()->Assign(source.StatsObjects());
    }
    AssignFields(source);
}

void TastNodeBase::AssignFields(const TastNodeBase &source)
{
    const TastFieldsList &mine = ASTFields();
    const TastFieldsList &theirs = source.ASTFields();
    for (qsizetype i = 0; i < mine.Count(); ++i) {
        TOwned<TastNodeBase> &dest = mine.GetASTFields(this, i);
        // Entries registered by the same class are the same declared field:
        // exactly the fields of the classes both nodes share are copied.
        if (i < theirs.Count() && mine.GetASTTypes(i) == theirs.GetASTTypes(i))
            AssignASTField(dest, theirs.GetASTFields(&source, i));
        else
            dest.reset();
    }
}

void TastNodeBase::AssignASTField(TOwned<TastNodeBase> &dest, const TOwned<TastNodeBase> &source)
{
    if (!source) {
        dest.reset();
        return;
    }
    Assert(!source->IsDestroying(), "nvAST", "Assign from a node being destroyed");
    // Clone before freeing the old child, which may hold the source (within
    // Assign that happens only with a snapshot as the source, see Assign).
    TOwned<TastNodeBase> copy = CloneChild(source.get());
    dest = std::move(copy);
}

TOwned<TastNodeBase> TastNodeBase::CloneInternal() const
{
    Assert(!FDestroying, "nvAST", "Clone of a node being destroyed");
    TastCopyRun::Complete(const_cast<TastNodeBase *>(this));
    TOwned<TastNodeBase> node = NewNodeForCopy();
    if (TastCopyRun::IsOpen())
        TastCopyRun::Defer(node.get(), this);
    else
        node->AssignNode(*this);
    return node;
}

TOwned<TastNodeBase> TastNodeBase::NewNodeForCopy() const { return NodeClassType()->Create(FSyntaxProvider); }

void TastNodeBase::RepointCopiedReferences(const TastNodeBase &, const TastCopyMap &) {}

void TastNodeBase::BuildASTField(const TastNode *node, TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                 bool addSpace)
{
    if (!node)
        return;
    Assert(!node->IsDestroying(), "nvAST", "Printing a node being destroyed");
    node->BuildSQL(builder, format);
    if (addSpace)
        builder->Space(3);
}

void TastNodeBase::GetMyChildren(TastNodesList &list) const
{
    const TastFieldsList &fields = ASTFields();
    for (qsizetype i = 0; i < fields.Count(); ++i)
        if (TastNodeBase *child = fields.GetASTFields(this, i).get())
            list.append(child);
}

void TastNodeBase::GetMyChildrenRecursive(TastNodesList &list) const
{
    // Each node, taken node-first, adds its children as one block.
    WalkNodeFirst(const_cast<TastNodeBase *>(this), true,
                  [&list](TastNodeBase *node) { node->GetMyChildren(list); });
}

bool TastNodeBase::ContainsNode(const TastNodeBase *node) const
{
    if (node == this)
        return true;
    if (!node)
        return false;
    TastWalkStack stack;
    PushChildren(stack, this);
    while (!stack.isEmpty()) {
        TastNodeBase *next = Pop(stack);
        if (next == node)
            return true;
        PushChildren(stack, next);
    }
    return false;
}

void TastNodeBase::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *) {}

bool TastNodeBase::EnterBinding(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *) { return false; }

void TastNodeBase::PrepareCalcStatistics()
{
    TExtras &extras = Extras();
    if (!extras.StatsObjects)
        extras.StatsObjects = Create<TnvStatsObjects>(FSyntaxProvider);
    if (!extras.StatsColumns)
        extras.StatsColumns = Create<TnvStatsColumns>(FSyntaxProvider);
    extras.StatsObjects->Clear();
    extras.StatsColumns->Clear();
}

void TastNodeBase::PrepareCalcStatisticsRecursive()
{
    WalkNodeFirst(this, true, [](TastNodeBase *node) { node->PrepareCalcStatistics(); });
}

int TastNodeBase::CalcStatistics()
{
    // A node that was never prepared has no lists to gather into.
    TnvStatsObjects *objects = StatsObjects();
    TnvStatsColumns *columns = StatsColumns();
    if (!objects || !columns)
        return 0;
    TastNodesList children;
    GetMyChildren(children);
    int added = 0;
    for (TastNodeBase *child : children) {
        added += objects->AddObjects(child->StatsObjects());
        added += columns->AddColumns(child->StatsColumns());
    }
    return added;
}

void TastNodeBase::SimplifyTree() {}

void TastNodeBase::RestoreColumnPrefix() {}

void TastNodeBase::MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass)
{
    Assert(proxyClass != nullptr, "nvAST", "Proxy walk without a proxy class");
    ReplaceFieldsByProxies(owner, proxyClass);
}

void TastNodeBase::ReplaceFieldsByProxies(TObject *owner, TastProxyClass proxyClass)
{
    // A field that may receive a proxy must be declared with a class the proxy
    // class derives from.
    const TastFieldsList &fields = ASTFields();
    for (qsizetype i = 0; i < fields.Count(); ++i) {
        TOwned<TastNodeBase> &field = fields.GetASTFields(this, i);
        if (field && field->InheritsFrom(proxyClass->SubjectClass) && !field->InheritsFrom(proxyClass->ProxyClass)) {
            TOwned<TastNodeBase> subject = std::move(field);
            field = proxyClass->Create(FSyntaxProvider, std::move(subject), owner);
        }
    }
}

void TastNodeBase::RemoveReferencesToFromSource(TastNodeBase *) {}

void TastNodeBase::GetReferencedDatasources(TastNodeRefList &) {}

void TastNodeBase::GetReferencedColumns(TastNodeRefList &) {}

namespace {

// An entry of the children-first walks: a node to enter, or (Leave) one
// whose children are done.
struct TastLeaveEntry {
    TastNodeBase *Node;
    bool Leave;
};
using TastLeaveStack = QVarLengthArray<TastLeaveEntry, 16>;

void PushEntered(TastLeaveStack &stack, TastNodeBase *node)
{
    stack.append({node, true});
    TastNodesList children;
    node->GetMyChildren(children);
    for (qsizetype i = children.size() - 1; i >= 0; --i)
        stack.append({children[i], false});
}

} // namespace

namespace {
constinit thread_local int BindingDepth = 0;
constinit thread_local quint64 BindingSerial = 0;

// Counts the nesting of binding walks; the outermost takes a new serial.
class TastBindingWalk {
public:
    TastBindingWalk()
    {
        if (BindingDepth++ == 0)
            ++BindingSerial;
    }
    ~TastBindingWalk() { --BindingDepth; }
    TastBindingWalk(const TastBindingWalk &) = delete;
    TastBindingWalk &operator=(const TastBindingWalk &) = delete;
};
} // namespace

quint64 TastNodeBase::BindingWalkSerial() { return BindingDepth > 0 ? BindingSerial : 0; }

void TastNodeBase::PrepareAndFixupRecursive(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                            TnvMetadataContainer *container)
{
    const TastBindingWalk walk;
    // Nodes that bind their subtree themselves (scopes) recurse through this
    // walk again, once per nesting of scopes; operands and list items do not.
    TastLeaveStack stack;
    stack.append({this, false});
    while (!stack.isEmpty()) {
        const TastLeaveEntry entry = Pop(stack);
        if (entry.Leave)
            entry.Node->PrepareAndFixup(withItems, fromSources, container);
        else if (!entry.Node->EnterBinding(withItems, fromSources, container))
            PushEntered(stack, entry.Node);
    }
}

int TastNodeBase::CalcStatisticsRecursive()
{
    int result = 0;
    TastLeaveStack stack;
    stack.append({this, false});
    while (!stack.isEmpty()) {
        const TastLeaveEntry entry = Pop(stack);
        if (entry.Leave)
            result += entry.Node->CalcStatistics();
        else
            PushEntered(stack, entry.Node);
    }
    return result;
}

// The node-first walks gather the children after the node's own step, so the
// step may replace its own children and the walk follows the new ones.
void TastNodeBase::SimplifyTreeRecursive()
{
    WalkNodeFirst(this, true, [](TastNodeBase *node) { node->SimplifyTree(); });
}

void TastNodeBase::RestoreColumnPrefixRecursive()
{
    WalkNodeFirst(this, true, [](TastNodeBase *node) { node->RestoreColumnPrefix(); });
}

void TastNodeBase::MoveSubQueryInProxyRecursive(TObject *owner, TastProxyClass proxyClass)
{
    WalkNodeFirst(this, true,
                  [owner, proxyClass](TastNodeBase *node) { node->MoveSubQueryInProxy(owner, proxyClass); });
}

void TastNodeBase::RemoveReferencesToFromSourceRecursive(TastNodeBase *source)
{
    WalkNodeFirst(this, true, [source](TastNodeBase *node) { node->RemoveReferencesToFromSource(source); });
}

void TastNodeBase::GetReferencedDatasourcesRecursive(TastNodeRefList &list)
{
    WalkNodeFirst(this, true, [&list](TastNodeBase *node) { node->GetReferencedDatasources(list); });
}

void TastNodeBase::GetReferencedColumnsRecursive(TastNodeRefList &list)
{
    WalkNodeFirst(this, true, [&list](TastNodeBase *node) { node->GetReferencedColumns(list); });
}

void TastNodeBase::TraverseASTTreeDepthFirst(const TastTraverseProc &proc)
{
    WalkNodeFirst(this, false, [&proc](TastNodeBase *node) { proc(node); });
}

void TastNodeBase::TraverseASTTreeSiblingFirst(const TastTraverseProc &proc)
{
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        proc(child);
    for (TastNodeBase *child : children)
        child->TraverseASTTreeDepthFirst(proc);
}

// ---------------------------------------------------------------------------
// TastExtender

NV_IMPLEMENT_AST_CLASS(TastExtender, TastNodeBase)

bool TastExtender::EditPropsForNode(TastNode *node, TObject *param) { return node->EditPropsInternal(node, param); }

void TastExtender::BuildSQLForNode(const TastNode *node, TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    node->BuildSQLDirect(builder, format);
}

// ---------------------------------------------------------------------------
// TastNode

NV_IMPLEMENT_AST_CLASS(TastNode, TastExtender)

void TastNode::AfterConstruction()
{
    TastExtender::AfterConstruction();
    UpdateExtender();
}

void TastNode::SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TastExtender::SetOwnSyntaxProvider(provider);
    UpdateExtender();
}

void TastNode::GetASTFields(TastFieldsList &list)
{
    TastExtender::GetASTFields(list);
    list.Add(FExtender, TastNode::StaticClassType());
}

void TastNode::AssignNode(const TastNodeBase &source)
{
    TastExtender::AssignNode(source);
    UpdateExtender();
}

void TastNode::UpdateExtender()
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    // Runs for every node built; most providers register no extenders.
    if (!FExtender && (!provider || provider->Extenders().isEmpty()))
        return;
    TastNodeClass cls = provider ? provider->FindExtenderClass(ClassType(), true) : nullptr;
    if (!cls) {
        FExtender.reset();
        return;
    }
    if (FExtender && FExtender->ClassType() == cls)
        return;
    TOwned<TastNodeBase> created = cls->Create(provider);
    Assert(created->Is<TastExtender>(), "nvAST", "Extender class is not a TastExtender");
    TOwned<TastExtender> extender(static_cast<TastExtender *>(created.release()));
    if (FExtender)
        extender->Assign(FExtender.get());
    FExtender.reset(std::move(extender));
}

void TastNode::BuildSQL(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    Assert(!IsDestroying(), "nvAST", "Printing a node being destroyed");
    if (FExtender)
        FExtender->BuildSQLForNode(this, builder, format);
    else
        BuildSQLDirect(builder, format);
}

void TastNode::BuildSQLDirect(TSQLBuilder *, TSQLBuilderSelectFormat *) const {}

bool TastNode::EditPropsInternal(TastNode *, TObject *) { return false; }

QString TastNode::SimpleSQL(TnvIdentQuotation quotation, TnvObjectPrefixSkipping prefixSkipping,
                            const TSQLQualifiedName *defaultDatabaseName,
                            const TSQLIdentifiersCollection *defaultSchemaNames) const
{
    TSQLBuilderFastLease builder;
    builder->BeginBuild();
    builder->SetQuoteIdentifiers(quotation);
    builder->SetObjectPrefixSkipping(prefixSkipping);
    builder->SetDefaultDatabaseName(defaultDatabaseName);
    builder->SetDefaultSchemaNames(defaultSchemaNames);
    BuildSQL(builder.Get(), builder->MainQueryFormat());
    builder->EndBuild();
    return builder->ResultSQL();
}

bool TastNode::EditProps(TObject *param)
{
    TOwned<TastNode> clone = Clone();
    bool accepted = Extender() ? Extender()->EditPropsForNode(clone.get(), param)
                               : EditPropsInternal(clone.get(), param);
    if (accepted)
        Assign(clone.get());
    return accepted;
}

} // namespace nvqb
