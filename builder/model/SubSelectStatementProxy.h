#pragma once
// Sub-selects shown as sub-query pages. When a model node loads a syntax tree
// it replaces every sub-select in it (in an expression, a derived table, a
// WITH item) by a proxy: the proxy makes a sub-query of the model (a page of
// its own) and loads the sub-select into it. The node's tree then prints the
// sub-query's current SQL in place of the proxy, and a copy of the tree holds
// a copy of the sub-query's current result instead of the proxy.
#include "sqlmodel/ast/TrackedReference.h"
#include "sqlmodel/sql/SQLStatements.h"

namespace nvqb {

class TnvQueryBuilderControlOwner;
class TnvQueryBuilderModel;
class TnvSubQuery;

// What a proxy needs to know while the sub-selects of one tree are replaced.
class TInternalSubqueriesLoader : public TObject {
    NV_DECLARE_CLASS(TInternalSubqueriesLoader)
public:
    TInternalSubqueriesLoader(TnvQueryBuilderControlOwner *modelNode, TastNodeBase *rootNode,
                              TnvQueryBuilderModel *queryBuilder)
        : FModelNode(modelNode), FRootNode(rootNode), FQueryBuilder(queryBuilder)
    {
    }

    TnvQueryBuilderControlOwner *ModelNode() const { return FModelNode; }
    TastNodeBase *RootNode() const { return FRootNode; }
    TnvQueryBuilderModel *QueryBuilder() const { return FQueryBuilder; }

private:
    TnvQueryBuilderControlOwner *FModelNode;
    TastNodeBase *FRootNode;
    TnvQueryBuilderModel *FQueryBuilder;
};

class TnvSubSelectStatementProxy : public TSQLSubSelectStatementProxy {
    NV_DECLARE_AST_CLASS(TnvSubSelectStatementProxy)
public:
    // A proxy that stands for no sub-query; it prints an empty statement.
    explicit TnvSubSelectStatementProxy(TnvBaseSyntaxProvider *provider);
    // A proxy for Subject under the loader's model node; the sub-query is
    // made and loaded once the proxy is complete.
    TnvSubSelectStatementProxy(TnvBaseSyntaxProvider *provider, TOwned<TSQLSubSelectStatement> subject,
                               TInternalSubqueriesLoader *loader);

    // The proxy class of the replacing walk: it stands for TSQLSubSelectStatement.
    static TastProxyClass ProxyClass();

    void AfterConstruction() override;

    // Nil once the sub-query was freed.
    TnvSubQuery *SubQuery() const { return FSubQuery.get(); }
    // The model node whose tree holds the proxy; nil once it was freed.
    TnvQueryBuilderControlOwner *ModelNode() const { return FModelNode.get(); }
    // The node under which the sub-select was found; compared, never read.
    const TastNodeBase *RootNode() const { return FRootNode; }

    // A copy of the sub-query's current result tree.
    TOwned<TSQLSubSelectStatement> GetASTTree() const override;

protected:
    // Frees the sub-query and leaves the model node's proxy list.
    void DestroyOwned() override;

private:
    TnvTrackedRef<TnvSubQuery> FSubQuery;
    TnvTrackedRef<TnvQueryBuilderControlOwner> FModelNode;
    const TastNodeBase *FRootNode = nullptr;
    TnvQueryBuilderModel *FQueryBuilder = nullptr;
    TOwned<TSQLSubSelectStatement> FSubject;
};

// Whether the tree uses the FROM source: names one of its columns, or holds
// a sub-query that names one anywhere inside it (a correlated sub-query, at
// any depth), whose meaning goes with the source.
bool UsesFromSource(TastNodeBase *node, const TastNodeBase *source);

} // namespace nvqb
