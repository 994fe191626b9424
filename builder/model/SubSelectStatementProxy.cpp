#include "builder/model/SubSelectStatementProxy.h"
#include "builder/model/QueryBuilderControlOwner.h"
#include "builder/model/SubQuery.h"
#include "classlib/Assert.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TInternalSubqueriesLoader, TObject)
NV_IMPLEMENT_AST_CLASS(TnvSubSelectStatementProxy, TSQLSubSelectStatementProxy)

namespace {
TastNodeBase *MakeProxy(TnvBaseSyntaxProvider *provider, TOwned<TastNodeBase> subject, TObject *owner)
{
    auto *loader = As<TInternalSubqueriesLoader>(owner);
    Assert(loader != nullptr, "nvQBBase", "Sub-selects replaced without a loader");
    TOwned<TSQLSubSelectStatement> statement(static_cast<TSQLSubSelectStatement *>(subject.release()));
    return new TnvSubSelectStatementProxy(provider, std::move(statement), loader);
}
} // namespace

TnvSubSelectStatementProxy::TnvSubSelectStatementProxy(TnvBaseSyntaxProvider *provider)
    : TSQLSubSelectStatementProxy(provider)
{
}

TnvSubSelectStatementProxy::TnvSubSelectStatementProxy(TnvBaseSyntaxProvider *provider,
                                                       TOwned<TSQLSubSelectStatement> subject,
                                                       TInternalSubqueriesLoader *loader)
    : TSQLSubSelectStatementProxy(provider), FRootNode(loader->RootNode()), FQueryBuilder(loader->QueryBuilder()),
      FSubject(std::move(subject))
{
    if (TnvQueryBuilderControlOwner *node = loader->ModelNode()) {
        FModelNode.reset(node);
        node->RegisterProxy(this);
    }
}

TastProxyClass TnvSubSelectStatementProxy::ProxyClass()
{
    static const TastProxyClassInfo info{TnvSubSelectStatementProxy::StaticClassType(),
                                         TSQLSubSelectStatement::StaticClassType(), &MakeProxy};
    return &info;
}

void TnvSubSelectStatementProxy::AfterConstruction()
{
    TSQLSubSelectStatementProxy::AfterConstruction();
    TnvQueryBuilderControlOwner *node = FModelNode.get();
    if (!FSubject || !node)
        return;
    TnvSubQuery *subQuery = TnvQueryBuilderControlOwner::NewModelNode<TnvSubQuery>(node, FQueryBuilder);
    FSubQuery.reset(subQuery);
    subQuery->LoadFromAST(std::move(FSubject));
    if (node->ControlsCreated() && subQuery->CanCreateControls())
        subQuery->CreateControl();
}

TOwned<TSQLSubSelectStatement> TnvSubSelectStatementProxy::GetASTTree() const
{
    if (TnvSubQuery *subQuery = FSubQuery.get()) {
        TOwned<TastNodeBase> tree = subQuery->GetResultAST();
        Assert(tree && tree->Is<TSQLSubSelectStatement>(), "nvQBBase", "A sub-query without a statement");
        return TOwned<TSQLSubSelectStatement>(static_cast<TSQLSubSelectStatement *>(tree.release()));
    }
    if (FSubject)
        return FSubject->Clone();
    return Create<TSQLSubSelectStatement>(SyntaxProvider());
}

bool UsesFromSource(TastNodeBase *node, const TastNodeBase *source)
{
    if (!node || !source)
        return false;
    auto *target = const_cast<TastNodeBase *>(source);
    auto names = [target](TastNodeBase *tree) {
        TastNodeRefList sources;
        tree->GetReferencedDatasourcesRecursive(sources);
        return sources.contains(target);
    };
    if (names(node))
        return true;
    // A sub-query's trees live in its model nodes, the proxy holds none: what
    // the sub-query prints is asked (a copy of its result, which holds the
    // results of the sub-queries inside it). A row of its grid that prints
    // nothing (no output, no criterion) gives the sub-query no meaning.
    TastNodesList nodes;
    nodes.append(node);
    node->GetMyChildrenRecursive(nodes);
    for (TastNodeBase *child : std::as_const(nodes)) {
        const auto *proxy = As<TnvSubSelectStatementProxy>(child);
        if (!proxy || !proxy->SubQuery())
            continue;
        if (TOwned<TSQLSubSelectStatement> tree = proxy->GetASTTree(); tree && names(tree.get()))
            return true;
    }
    return false;
}

void TnvSubSelectStatementProxy::DestroyOwned()
{
    if (TnvQueryBuilderControlOwner *node = FModelNode.get())
        node->UnregisterProxy(this);
    FModelNode.reset();
    TnvSubQuery *subQuery = FSubQuery.get();
    FSubQuery.reset();
    TObject::Free(subQuery);
    FSubject.reset();
    TSQLSubSelectStatementProxy::DestroyOwned();
}

} // namespace nvqb
