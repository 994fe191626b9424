#include "sqlmodel/ast/AstNode.h"
#include "classlib/Assert.h"
#include "sqlmodel/ast/AstLists.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/sql/QueryStatistics.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

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

TastNodeBase::~TastNodeBase() = default;

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
    FStatsColumns.reset();
    FStatsObjects.reset();
    DestroyOwned();
    TPersistent::BeforeDestruction();
}

void TastNodeBase::DestroyOwned()
{
    const TastFieldsList &fields = ASTFields();
    for (qsizetype i = fields.Count() - 1; i >= 0; --i)
        fields.GetASTFields(this, i).reset();
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
    FSyntaxProvider = provider;
    if (FStatsObjects)
        FStatsObjects->SetSyntaxProvider(provider);
    if (FStatsColumns)
        FStatsColumns->SetSyntaxProvider(provider);
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->SetSyntaxProvider(provider);
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
    // Copying frees this node's children before it clones the source's; when
    // one node lies inside the other, copy from a snapshot instead so nothing
    // is read after it was freed.
    if (ContainsNode(node) || node->ContainsNode(this)) {
        TOwned<TastNodeBase> snapshot = node->CloneInternal();
        AssignNode(*snapshot);
        return;
    }
    AssignNode(*node);
}

void TastNodeBase::AssignNode(const TastNodeBase &source)
{
    FSyntaxProvider = source.FSyntaxProvider;
    FUserReference = source.FUserReference;
    if (source.FStatsObjects || source.FStatsColumns) {
        PrepareCalcStatistics();
        if (source.FStatsColumns)
            FStatsColumns->Assign(source.FStatsColumns.get());
        if (source.FStatsObjects)
            FStatsObjects->Assign(source.FStatsObjects.get());
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
    // Clone before freeing the old child, which may hold the source.
    TOwned<TastNodeBase> copy = source->CloneInternal();
    dest = std::move(copy);
}

TOwned<TastNodeBase> TastNodeBase::CloneInternal() const
{
    Assert(!FDestroying, "nvAST", "Clone of a node being destroyed");
    TOwned<TastNodeBase> node = NodeClassType()->Create(FSyntaxProvider);
    node->AssignNode(*this);
    return node;
}

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
    qsizetype first = list.size();
    GetMyChildren(list);
    qsizetype last = list.size();
    for (qsizetype i = first; i < last; ++i)
        list[i]->GetMyChildrenRecursive(list);
}

bool TastNodeBase::ContainsNode(const TastNodeBase *node) const
{
    if (node == this)
        return true;
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        if (child->ContainsNode(node))
            return true;
    return false;
}

void TastNodeBase::PrepareAndFixup(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *) {}

void TastNodeBase::PrepareCalcStatistics()
{
    if (!FStatsObjects)
        FStatsObjects = Create<TnvStatsObjects>(FSyntaxProvider);
    if (!FStatsColumns)
        FStatsColumns = Create<TnvStatsColumns>(FSyntaxProvider);
    FStatsObjects->Clear();
    FStatsColumns->Clear();
}

void TastNodeBase::PrepareCalcStatisticsRecursive()
{
    PrepareCalcStatistics();
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->PrepareCalcStatisticsRecursive();
}

int TastNodeBase::CalcStatistics()
{
    // A node that was never prepared has no lists to gather into.
    if (!FStatsObjects || !FStatsColumns)
        return 0;
    TastNodesList children;
    GetMyChildren(children);
    int added = 0;
    for (TastNodeBase *child : children) {
        added += FStatsObjects->AddObjects(child->FStatsObjects.get());
        added += FStatsColumns->AddColumns(child->FStatsColumns.get());
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

void TastNodeBase::PrepareAndFixupRecursive(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                            TnvMetadataContainer *container)
{
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->PrepareAndFixupRecursive(withItems, fromSources, container);
    PrepareAndFixup(withItems, fromSources, container);
}

int TastNodeBase::CalcStatisticsRecursive()
{
    TastNodesList children;
    GetMyChildren(children);
    int result = 0;
    for (TastNodeBase *child : children)
        result += child->CalcStatisticsRecursive();
    return result + CalcStatistics();
}

// The node-first walks gather the children after the node's own step, so the
// step may replace its own children and the walk follows the new ones.
void TastNodeBase::SimplifyTreeRecursive()
{
    SimplifyTree();
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->SimplifyTreeRecursive();
}

void TastNodeBase::RestoreColumnPrefixRecursive()
{
    RestoreColumnPrefix();
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->RestoreColumnPrefixRecursive();
}

void TastNodeBase::MoveSubQueryInProxyRecursive(TObject *owner, TastProxyClass proxyClass)
{
    MoveSubQueryInProxy(owner, proxyClass);
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->MoveSubQueryInProxyRecursive(owner, proxyClass);
}

void TastNodeBase::RemoveReferencesToFromSourceRecursive(TastNodeBase *source)
{
    RemoveReferencesToFromSource(source);
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->RemoveReferencesToFromSourceRecursive(source);
}

void TastNodeBase::GetReferencedDatasourcesRecursive(TastNodeRefList &list)
{
    GetReferencedDatasources(list);
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->GetReferencedDatasourcesRecursive(list);
}

void TastNodeBase::GetReferencedColumnsRecursive(TastNodeRefList &list)
{
    GetReferencedColumns(list);
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->GetReferencedColumnsRecursive(list);
}

void TastNodeBase::TraverseASTTreeDepthFirst(const TastTraverseProc &proc)
{
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children) {
        proc(child);
        child->TraverseASTTreeDepthFirst(proc);
    }
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

void TastNode::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TastExtender::SetSyntaxProvider(provider);
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
