#pragma once
// One SELECT statement: the statement with its optional WITH clause and
// statement-level ORDER BY, the union list of its operands, each operand's
// select block (mode, select list, FROM, WHERE, GROUP BY, HAVING, ORDER BY),
// and the row-limiting clauses of several dialects.
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLSelectItems.h"

namespace nvqb {

class TSQLWithClause;
class TSQLOrderByClause;
class TSQLGroupByList;
class TSQLSubQuerySelectMode;

// An operand of a union list; its operator joins it to the operand before it.
class TSQLSubQueryExpression : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLSubQueryExpression)
public:
    using TastNode::TastNode;
    QString UnionOperator = QStringLiteral("Union");
    bool UnionAll = false;

    // The operator keyword, then ALL when set.
    void BuildUnionOperator(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    QString GetSimpleUnionOperator() const;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLSubQuerySelectMode : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLSubQuerySelectMode)
public:
    using TastNode::TastNode;

protected:
    void BuildMode(const QString &word, TSQLBuilder *builder) const;
};

#define NVQB_DECLARE_SELECT_MODE(Name)                                                             \
    class Name : public TSQLSubQuerySelectMode {                                                   \
        NV_DECLARE_AST_CLASS(Name)                                                                 \
    public:                                                                                        \
        using TSQLSubQuerySelectMode::TSQLSubQuerySelectMode;                                      \
        void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override; \
    };
NVQB_DECLARE_SELECT_MODE(TSQLSubQuerySelectModeAll)
NVQB_DECLARE_SELECT_MODE(TSQLSubQuerySelectModeDistinct)
NVQB_DECLARE_SELECT_MODE(TSQLSubQuerySelectModeDistinctRow)
NVQB_DECLARE_SELECT_MODE(TSQLSubQuerySelectModeUnique)
#undef NVQB_DECLARE_SELECT_MODE

// GROUP BY and its items; it writes its own keywords.
class TSQLGroupByList : public TSQLExpressionsList {
    NV_DECLARE_AST_CLASS(TSQLGroupByList)
public:
    using TSQLExpressionsList::TSQLExpressionsList;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

enum TSQLOrderByOrders { obAsc, obDesc };

class TSQLOrderByItem : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLOrderByItem)
public:
    using TastNode::TastNode;
    TSQLOrderByOrders SortOrder = obAsc;
    TastChild<TSQLExpressionItem> Expression;
    // Written after the item; what a dialect keeps there is its own.
    TastChild<TastNode> Trailing;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void AssignNode(const TastNodeBase &source) override;
};

class TSQLOrderByClause : public TastNodeWithList {
    NV_DECLARE_AST_CLASS(TSQLOrderByClause)
public:
    explicit TSQLOrderByClause(TnvBaseSyntaxProvider *provider);
    bool Siblings = false;

    TSQLOrderByItem *GetItems(qsizetype index) const
    {
        return static_cast<TSQLOrderByItem *>(TastNodeWithList::GetItems(index));
    }
    void SetItems(qsizetype index, TOwned<TSQLOrderByItem> item) { TastNodeWithList::SetItems(index, std::move(item)); }

    // "Order [Siblings] By"
    void BuildKeywords(TSQLBuilder *builder) const;
    // The clause as a part of a select block, under the block's format.
    void BuildAsMainPart(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    // The items under the ORDER BY list format.
    void BuildItems(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

// A select block.
class TSQLSubQuerySelectExpression : public TSQLSubQueryExpression {
    NV_DECLARE_AST_CLASS(TSQLSubQuerySelectExpression)
public:
    explicit TSQLSubQuerySelectExpression(TnvBaseSyntaxProvider *provider);

    TastChild<TSQLSubQuerySelectMode> SelectMode;
    TastChild<TSQLSelectItems> SelectItems;
    TastChild<TSQLFromClause> FromClause;
    TastChild<TSQLExpressionItem> WhereClause;
    TastChild<TSQLGroupByList> GroupByClause;
    TastChild<TSQLExpressionItem> HavingClause;
    TastChild<TSQLOrderByClause> OrderByClause;

    // The columns the block returns; filled by binding.
    TnvMetadataFieldsList *ResultFields() const { return FResultFields.Get(); }
    TnvFieldsListHolder &ResultFieldsHolder() { return FResultFields; }

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    // Rebuilds the result fields from the select list.
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;
    int CalcStatistics() override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    // Binds the FROM clause first, so its sources are visible in the other
    // clauses and in sub-queries; they stay visible only inside the block.
    bool EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                      TnvMetadataContainer *container) override;

private:
    TnvFieldsListHolder FResultFields;
};

// A union list; an operand that is itself a union list is a bracketed group.
class TSQLSubQueryExpressions : public TSQLSubQueryExpression {
    NV_DECLARE_AST_CLASS(TSQLSubQueryExpressions)
public:
    using TSQLSubQueryExpression::TSQLSubQueryExpression;

    virtual TSQLSubQueryExpression *GetItems(qsizetype index) const;
    virtual qsizetype GetCount() const;
    // Appends without giving the operand a provider; returns its index.
    virtual qsizetype Add(TOwned<TSQLSubQueryExpression> operand);
    virtual qsizetype Remove(TSQLSubQueryExpression *operand);
    virtual void Delete(qsizetype index);
    virtual TOwned<TSQLSubQueryExpression> Extract(TSQLSubQueryExpression *operand);
    virtual TOwned<TSQLSubQueryExpression> Extract(qsizetype index);
    virtual void Clear();

    // The first select block, descending into bracketed groups; nil when none.
    TSQLSubQuerySelectExpression *FirstSelectBlock() const;

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void GetMyChildren(TastNodesList &list) const override;
    void MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass) override;

protected:
    void AssignNode(const TastNodeBase &source) override;
    void DestroyOwned() override;

private:
    TastOwnedNodes FOperands;
};

class TSQLSubSelectStatement : public TSQLSubQueryExpressions {
    NV_DECLARE_AST_CLASS(TSQLSubSelectStatement)
public:
    using TSQLSubQueryExpressions::TSQLSubQueryExpressions;

    TastChild<TSQLWithClause> WithClause;
    TastChild<TSQLOrderByClause> OrderByClause;

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

    TOwned<TSQLSubSelectStatement> Clone() const { return CloneAs<TSQLSubSelectStatement>(this); }

protected:
    void GetASTFields(TastFieldsList &list) override;
    // Binds the WITH clause first, then the other children, then the
    // statement; the WITH items stay visible only inside the statement.
    bool EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                      TnvMetadataContainer *container) override;
};

// The top-level statement that parsing a SELECT returns.
class TSQLSelectStatement : public TSQLSubSelectStatement {
    NV_DECLARE_AST_CLASS(TSQLSelectStatement)
public:
    using TSQLSubSelectStatement::TSQLSubSelectStatement;
    TOwned<TSQLSelectStatement> Clone() const { return CloneAs<TSQLSelectStatement>(this); }
};

// Stands for a sub-query whose tree another object holds (the query model):
// printing asks that object for a fresh tree, a clone is such a fresh tree,
// and it has no children of its own. The list operations make no sense on it
// and are refused.
class TSQLSubSelectStatementProxy : public TSQLSubSelectStatement {
    NV_DECLARE_AST_CLASS(TSQLSubSelectStatementProxy)
public:
    using TSQLSubSelectStatement::TSQLSubSelectStatement;

    // A new tree of the sub-query; the caller owns it.
    virtual TOwned<TSQLSubSelectStatement> GetASTTree() const = 0;

    TSQLSubQueryExpression *GetItems(qsizetype index) const override;
    qsizetype GetCount() const override;
    qsizetype Add(TOwned<TSQLSubQueryExpression> operand) override;
    qsizetype Remove(TSQLSubQueryExpression *operand) override;
    void Delete(qsizetype index) override;
    TOwned<TSQLSubQueryExpression> Extract(TSQLSubQueryExpression *operand) override;
    TOwned<TSQLSubQueryExpression> Extract(qsizetype index) override;
    void Clear() override;

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void GetMyChildren(TastNodesList &list) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
    TOwned<TastNodeBase> CloneInternal() const override;
};

class TSQLWithClauseItem : public TastNode, public TnvRefTarget {
    NV_DECLARE_AST_CLASS(TSQLWithClauseItem)
public:
    explicit TSQLWithClauseItem(TnvBaseSyntaxProvider *provider);

    TastChild<TastTokenIdentifier> Name;
    TastChild<TastIdentifiersList> ColumnNames;
    TastChild<TSQLSubSelectStatement> Query;

    TnvMetadataFieldsList *ResultFields() const { return FResultFields.Get(); }
    TnvFieldsListHolder &ResultFieldsHolder() { return FResultFields; }

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    // The result fields of the query's first select block, renamed by the
    // column-name list.
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void DestroyOwned() override;

private:
    TnvFieldsListHolder FResultFields;
};

class TSQLWithClause : public TastNodeWithList {
    NV_DECLARE_AST_CLASS(TSQLWithClause)
public:
    explicit TSQLWithClause(TnvBaseSyntaxProvider *provider);
    TSQLWithClauseItem *GetItems(qsizetype index) const
    {
        return static_cast<TSQLWithClauseItem *>(TastNodeWithList::GetItems(index));
    }
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    // Each item becomes visible after it was bound: an item sees the ones
    // before it, not itself or later ones.
    bool EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                      TnvMetadataContainer *container) override;
};

class TSQLLimit : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLLimit)
public:
    using TastNode::TastNode;
    int Limit = 0;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

// LIMIT offset, limit
class TSQLOffsetLimit : public TSQLLimit {
    NV_DECLARE_AST_CLASS(TSQLOffsetLimit)
public:
    using TSQLLimit::TSQLLimit;
    int Offset = 0;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;
};

// LIMIT limit OFFSET offset
class TSQLLimitOffset : public TSQLOffsetLimit {
    NV_DECLARE_AST_CLASS(TSQLLimitOffset)
public:
    using TSQLOffsetLimit::TSQLOffsetLimit;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLSubQueryTopWithTies : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLSubQueryTopWithTies)
public:
    using TastNode::TastNode;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLSubQueryTopPart : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLSubQueryTopPart)
public:
    using TastNode::TastNode;
    TastChild<TSQLSubQueryTopWithTies> WithTies;

protected:
    void GetASTFields(TastFieldsList &list) override;
    // Space and "With Ties" when the node is present.
    void BuildWithTies(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const;
};

class TSQLSubQueryTopRows : public TSQLSubQueryTopPart {
    NV_DECLARE_AST_CLASS(TSQLSubQueryTopRows)
public:
    using TSQLSubQueryTopPart::TSQLSubQueryTopPart;
    TastChild<TSQLExpressionItem> RowCount;
    TastChild<TSQLExpressionItem> StartingAt;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLSubQueryTopPercent : public TSQLSubQueryTopRows {
    NV_DECLARE_AST_CLASS(TSQLSubQueryTopPercent)
public:
    using TSQLSubQueryTopRows::TSQLSubQueryTopRows;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLSubQueryFirstSkipClause : public TSQLSubQueryTopPart {
    NV_DECLARE_AST_CLASS(TSQLSubQueryFirstSkipClause)
public:
    using TSQLSubQueryTopPart::TSQLSubQueryTopPart;
    TastChild<TSQLExpressionItem> First;
    TastChild<TSQLExpressionItem> Skip;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLSubQueryTopStartingAt : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLSubQueryTopStartingAt)
public:
    using TastNode::TastNode;
    TastChild<TSQLExpressionItem> Start;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

} // namespace nvqb
