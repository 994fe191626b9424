#pragma once
// The FROM clause: a chain of sources (database objects, derived tables,
// table functions, variables, nested chains in brackets), each but the first
// joined to what precedes it by a comma or a join kind with an optional ON
// condition, each with an optional alias. A source also lists the columns it
// offers (its fields list), which binding uses to resolve column references.
#include "sqlmodel/sql/MetadataSeam.h"
#include "sqlmodel/sql/SQLExpressions.h"
#include "sqlmodel/sql/SQLJoins.h"

namespace nvqb {

class TSQLWithClauseItem;

// The alias of a FROM source; references to the source print BuildAliasName.
class TSQLAliasObjectAlias : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLAliasObjectAlias)
public:
    using TastNode::TastNode;
    TastChild<TastTokenIdentifier> Identifier;
    void BuildAliasName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// AS alias.
class TSQLAliasObjectAsAlias : public TSQLAliasObjectAlias {
    NV_DECLARE_AST_CLASS(TSQLAliasObjectAsAlias)
public:
    using TSQLAliasObjectAlias::TSQLAliasObjectAlias;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLFromSource : public TastNode, public TnvRefTarget {
    NV_DECLARE_AST_CLASS(TSQLFromSource)
public:
    explicit TSQLFromSource(TnvBaseSyntaxProvider *provider);

    // Nil for the first source of a chain and for a comma join.
    TastChild<TSQLJoinKind> JoinKind;
    TastChild<TSQLExpressionItem> JoinCondition;
    TastChild<TSQLAliasObjectAlias> Alias;

    // The columns the source offers; nil until the metadata model is installed.
    TnvMetadataFieldsList *FieldsList() const { return FFieldsList.Get(); }
    // Clears the fields list and fills it as the kind of source asks.
    virtual void CalcFieldsList(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                TnvMetadataContainer *container);
    // The source without its alias.
    virtual void BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const = 0;
    // The join kind, or "," when there is none.
    void BuildJoinOperator(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    // The text of BuildExpression on one line.
    QString GetSimpleExpression() const;
    // The query whose columns are the source's: "select * from <source> where 0<>0".
    QString FieldsProbeQuery() const;

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    // Adds the source to the visible FROM sources; the walk goes on as usual.
    bool EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                      TnvMetadataContainer *container) override;
    void AssignNode(const TastNodeBase &source) override;
    void DestroyOwned() override;
    // The probe query through the container into the fields list (may raise).
    void LoadFieldsByProbe(TnvMetadataContainer *container);
    TnvFieldsListHolder &FieldsHolder() { return FFieldsList; }

private:
    TnvFieldsListHolder FFieldsList;
};

class TSQLFromObject : public TSQLFromSource {
    NV_DECLARE_AST_CLASS(TSQLFromObject)
public:
    using TSQLFromSource::TSQLFromSource;

    TastChild<TSQLDatabaseObject> ObjectName;

    // The WITH item this source names; nil when none or freed.
    TSQLWithClauseItem *WithItem() const { return FWithItem.get(); }
    void SetWithItem(TSQLWithClauseItem *item);
    // The metadata object this source names; nil when none or freed.
    TnvMetadataObject *MetadataObject() const { return FMetadataObject.get(); }
    // Target is the object's tracking part (the metadata model hands it out).
    void SetMetadataObject(TnvMetadataObject *object, TnvRefTarget *target);

    void BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void CalcFieldsList(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                        TnvMetadataContainer *container) override;
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    // Copies the WITH item and metadata object references too.
    void AssignNode(const TastNodeBase &source) override;
    // A WITH item of the copied tree is replaced by its copy; others stay.
    void RepointCopiedReferences(const TastNodeBase &source, const TastCopyMap &copies) override;

private:
    TnvTrackedRef<TSQLWithClauseItem> FWithItem;
    TnvTrackedRef<TnvMetadataObject> FMetadataObject;
};

// A derived table: a sub-query in brackets.
class TSQLFromQuery : public TSQLFromSource {
    NV_DECLARE_AST_CLASS(TSQLFromQuery)
public:
    using TSQLFromSource::TSQLFromSource;
    TastChild<TSQLSubSelectStatement> Query;
    // Kept, copied and walked for a dialect; never printed.
    TastChild<TastNode> Extra;
    void BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void CalcFieldsList(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                        TnvMetadataContainer *container) override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLFromFunction : public TSQLFromSource {
    NV_DECLARE_AST_CLASS(TSQLFromFunction)
public:
    using TSQLFromSource::TSQLFromSource;
    TastChild<TSQLFunction> Function;
    void BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void CalcFieldsList(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                        TnvMetadataContainer *container) override;
    // The probe query with every argument replaced by Null.
    QString FunctionProbeQuery() const;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLFromBuiltInFunction : public TSQLFromFunction {
    NV_DECLARE_AST_CLASS(TSQLFromBuiltInFunction)
public:
    using TSQLFromFunction::TSQLFromFunction;
};

class TSQLFromVariable : public TSQLFromSource {
    NV_DECLARE_AST_CLASS(TSQLFromVariable)
public:
    using TSQLFromSource::TSQLFromSource;
    TastChild<TastNode> Variable;
    void BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

// A chain of sources; nested in another chain it is written in brackets.
class TSQLFromItem : public TSQLFromSource {
    NV_DECLARE_AST_CLASS(TSQLFromItem)
public:
    using TSQLFromSource::TSQLFromSource;

    // Appends without giving the source a provider; returns its index.
    qsizetype Add(TOwned<TSQLFromSource> source);
    qsizetype GetCount() const { return FChain.Count(); }
    TSQLFromSource *GetItems(qsizetype index) const { return static_cast<TSQLFromSource *>(FChain.At(index)); }
    qsizetype IndexOf(const TSQLFromSource *source) const { return FChain.IndexOf(source); }
    void Delete(qsizetype index) { FChain.Delete(index); }
    TOwned<TSQLFromSource> Extract(const TSQLFromSource *source);
    TOwned<TSQLFromSource> Extract(qsizetype index);
    void Clear() { FChain.Clear(); }

    void BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void CalcFieldsList(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                        TnvMetadataContainer *container) override;
    void GetMyChildren(TastNodesList &list) const override;
    void MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass) override;

protected:
    // Binds the chain's sources first, then the item's own children, then
    // the item; the chain itself is not a visible source.
    bool EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                      TnvMetadataContainer *container) override;
    void AssignNode(const TastNodeBase &source) override;
    void DestroyOwned() override;

private:
    TastOwnedNodes FChain;
};

// The FROM clause of a select block.
class TSQLFromClause : public TSQLFromItem {
    NV_DECLARE_AST_CLASS(TSQLFromClause)
public:
    using TSQLFromItem::TSQLFromItem;
};

} // namespace nvqb
