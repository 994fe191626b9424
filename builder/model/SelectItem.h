#pragma once
// One row of the column grid of a union part: an output expression with its
// alias, whether it is output, its sort, its grouping kind and its criteria
// cells. Rows belong to their select list, which spreads the block's WHERE,
// HAVING, GROUP BY and ORDER BY over them and builds the clauses back. The
// grid reads and writes a row only through the texts below, so every rule of
// parsing and of how one property follows another lives here.
//
// A criteria cell holds a condition without the row's expression (it reads
// "= 5"); the expression is given back to it only when the query is built.
// Cells of one column are AND-ed, the columns are OR-ed.
//
// A row knows the data source of its column by the FROM source that the
// column is bound to: the data source's syntax node, which lives as long as
// the data source does.
#include "builder/model/GroupByType.h"
#include "builder/model/QueryBuilderControlOwner.h"

#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace nvqb {

class TnvSelectList;
class TnvDatasourceBase;
class TastNode;
class TSQLAliasExpression;
class TSQLExpressionItem;
class TSQLFromSource;
class TSQLObjectColumn;
class TSQLOrderByItem;
class TSQLQualifiedName;
class TSQLSelectItem;

enum TnvQueryBuilderItemSortType { stNone, stAsc, stDesc };

// The FROM source that a data source of a FROM group stands for (the syntax
// node it owns); nil for nil. Defined with the data sources.
TSQLFromSource *GetDatasourceSyntaxNode(TnvDatasourceBase *datasource);

class TnvSelectItem : public TnvQueryBuilderControlOwner {
    NV_DECLARE_CLASS(TnvSelectItem)
public:
    TnvSelectItem(TnvSelectList *selectList, TnvQueryBuilderModel *queryBuilder);
    ~TnvSelectItem() override;

    TnvSelectList *SelectList() const { return FSelectList; }

    // --- What the row holds ---------------------------------------------
    // A TSQLSelectItem for * and t.*, otherwise a TSQLExpressionItem; nil
    // for the empty row.
    TastNode *ExpressionNode() const { return FExpression.get(); }
    // The expression when it is an expression item, else nil.
    TSQLExpressionItem *ExpressionItem() const;
    bool IsEmpty() const { return !FExpression; }
    // * or t.*.
    bool IsAllColumnsItem() const;
    TSQLAliasExpression *AliasNode() const { return FAlias.get(); }
    // The column the expression is, after brackets; nil for anything else.
    TSQLObjectColumn *FieldName() const;
    // The FROM source of that column, or of a t.* item; nil when unbound.
    TSQLFromSource *DatasourceNode() const;

    // Loads a select item (its expression and alias are taken out of it; *
    // and t.* are copied; the row becomes output) or an expression of GROUP
    // BY, ORDER BY or a condition (copied and bound to the block's sources).
    void LoadFromAST(TastNode *node) { LoadExpression(node, true); }

    // --- The texts the grid reads and writes --------------------------------
    // An aggregate row shows only the aggregate's argument ("*" for an
    // aggregate over all rows); its "Group By" cell names the aggregate.
    QString GetExpression() const;
    // Parses the text as a select item ("a As x" brings its alias) or a
    // condition; text that parses as neither becomes a string constant. An
    // aggregate row keeps its aggregate around the new text.
    void SetExpression(const QString &text);
    QString GetAlias() const;
    void SetAlias(const QString &text);
    QString GetSortTypeName() const { return SortTypeToString(FSortType); }
    // The first sort type whose name starts with the text ("d": descending).
    void SetSortTypeName(const QString &text);
    // The 1-based place in the ORDER BY; empty when unsorted.
    QString GetSortOrderName() const;
    // Sorts an unsorted row and moves it to the place (capped to 1..count).
    void SetSortOrderName(const QString &text);
    QString GetGroupByTypeName() const;
    // Accepts only an entry of the row's own pick list.
    void SetGroupByTypeName(const QString &text);
    QString GetCondition(int index) const;
    // "10" gives "= 10", a field name "= field", a condition without its
    // left operand ("> 5", "Is Null") is taken as it is, a text with "%"
    // gives a LIKE template, anything else "= 'text'".
    void SetCondition(int index, const QString &text);
    // The pick list of the "Group By" cell.
    void GetGroupByNames(QStringList &names) const;

    static QString SortTypeToString(TnvQueryBuilderItemSortType value);
    // The text of a node as the grid shows it: the query builder's quotation,
    // prefix skipping and default names.
    static QString NodeText(const TnvQueryBuilderModel *queryBuilder, const TastNodeBase *node);
    // "Expression", "Group By", "Having", "Where" for the first four kinds.
    static QString GroupByTypeDisplayName(TnvQueryBuilderGroupByType kind);

    // --- Properties -------------------------------------------------------
    bool Select() const { return FSelect; }
    // Raises "This expression is not selectable" for a row that cannot be
    // output.
    void SetSelect(bool value);
    TnvQueryBuilderItemSortType SortType() const { return FSortType; }
    void SetSortType(TnvQueryBuilderItemSortType value);
    // The 0-based place in the ORDER BY; -1 when unsorted.
    int GetSortOrder() const;
    void SetSortOrder(int position);
    TnvQueryBuilderGroupByType GroupByType() const { return FGroupByType; }

    // --- Criteria cells -----------------------------------------------------
    int ConditionsCount() const { return int(FConditions.size()); }
    // Nil for an empty cell and beyond the list.
    TSQLExpressionItem *GetASTCondition(int index) const;
    // Stores the condition (nil empties the cell).
    void SetASTCondition(int index, TOwned<TSQLExpressionItem> condition);
    // AND-s the condition (its left operand taken off when it is the row's
    // expression) to what the cell holds.
    void AddCondition(int index, TOwned<TSQLExpressionItem> condition);
    // Drops the empty cells at the end.
    void ShrinkConditionsList();

    // --- Questions -----------------------------------------------------------
    bool IsCanSelect() const;
    bool IsCanSort() const;
    bool IsSupportsAlias() const;
    // An expression item that prints as Expression does.
    bool IsEqualExpression(const TSQLExpressionItem *expression) const;
    // No criteria.
    bool IsExpressionOnly();
    // No alias.
    bool ExpressionOnly() const { return !FAlias; }

    // The row becomes the column FieldName of the FROM source, or its t.*
    // for nil; the row is output.
    void SetFieldExpression(TSQLFromSource *datasource, const TSQLQualifiedName *fieldName);
    // True when the row uses the FROM source in its expression; criteria that
    // use it are emptied.
    bool NotifyFromSourceDestroying(TSQLFromSource *source);

    // --- Result -------------------------------------------------------------
    // The row's select item (a copy), nil for the empty row.
    TOwned<TastNodeBase> CreateResultAST() override;
    // The row's ORDER BY item: a copy of the expression, or the alias or
    // the output position when the statement sorted by those and the row is
    // still output; nil for a row that is not sorted.
    TOwned<TSQLOrderByItem> GetOrderByItem() const;
    void GetASTChildren(TastNodeRefList &list) override;

    // Empties the row: no expression, alias, criteria, sort or grouping.
    void Clear();
    // Drops what the row can no longer have: an alias, the output flag, the
    // sort, criteria on * and t.*.
    void CheckItemProperties();

    // --- Menu -----------------------------------------------------------------
    TnvMenuItemData *GetPopupMenu() override;
    void MoveUpEvent(TObject *sender);
    void MoveDownEvent(TObject *sender);
    void InsertEmptyEvent(TObject *sender);

    // The grouping kind the expression calls for (an aggregate's kind), else
    // gtExpression.
    TnvQueryBuilderGroupByType CalcGroupByTypeFromExpression() const;
    TnvQueryBuilderGroupByType CalcGroupByType() const;

protected:
    void Destroy() override;
    bool NotifyDatasourceDestroyingInternal(TnvDatasourceBase *datasource) override;

private:
    friend class TnvSelectList;

    // How the ORDER BY names a sorted row. A statement that sorts by an
    // output column's alias or position keeps saying so while the row is
    // output, so the sort follows the column when it is renamed or moves;
    // otherwise the row's expression is sorted by.
    enum TOrderByName { obnExpression, obnAlias, obnPosition };
    // Whether the expression, in brackets or not, is a bare unsigned
    // integer, which ORDER BY reads as a column position; its value when
    // asked for (0 when it does not fit).
    static bool IsUnsignedInteger(const TSQLExpressionItem *expression, qsizetype *value = nullptr);

    // What the statement is built from, of one row: an edit tries its
    // outcome with the row holding it before the row takes it. The owned
    // parts left unset stay the row's own while the outcome is tried.
    struct TContent {
        std::optional<TOwned<TastNode>> Expression;
        std::optional<TOwned<TSQLAliasExpression>> Alias;
        std::optional<std::vector<TOwned<TSQLExpressionItem>>> Conditions;
        bool Select = false;
        TnvQueryBuilderItemSortType SortType = stNone;
        TOrderByName OrderByName = obnExpression;
        TnvQueryBuilderGroupByType GroupByType = gtExpression;
    };
    // The row's flags and kinds, none of its owned parts.
    TContent CurrentFlags() const;
    void Exchange(TContent &content);
    // Raises the parser's error when the statement would not parse with
    // the row holding Candidate (after Settle has run on the row holding
    // it); the row is its own again either way. A statement that does not
    // parse as it stands refuses nothing.
    void RefuseUnparsable(TContent &candidate, const std::function<void()> &settle = {});
    // Raises the parser's error when the row's expression or criteria do not
    // parse on their own, or its parts of the select list, GROUP BY and ORDER
    // BY do not.
    void CheckParses();
    // Drops the alias, the output flag and the sort of a row that cannot
    // have them, touching only the row's own fields; true when the sort went.
    bool DropUnsupported();
    // A new alias of the text (nil for an empty text): the identifier as the
    // dialect quotes it.
    TOwned<TSQLAliasExpression> NewAlias(const QString &text) const;

    bool IsFilling() const;
    // LoadFromAST; an expression of a clause is bound only with Bind.
    void LoadExpression(TastNode *node, bool bind);
    QString TextOf(const TastNodeBase *node) const { return NodeText(QueryBuilder(), node); }
    void SetGroupByTypeInternal(TnvQueryBuilderGroupByType kind) { FGroupByType = kind; }
    bool ParseNewExpression(const QString &text, TOwned<TastNode> &expression, TOwned<TSQLAliasExpression> &alias);
    // Binds an expression to what the row sees: the block's FROM sources and
    // WITH items, and those of the blocks around it.
    void FixupExpression(TastNodeBase *node) const;
    // Binds the names of the expression and the criteria that are bound to
    // nothing (typed before their source was added); true when one was.
    bool BindUnboundNames();
    // A column of the first FROM source of the block (the last first) that
    // has a field of that name; nil when none has.
    TOwned<TSQLExpressionItem> FindFieldColumn(const QString &text) const;
    TnvBaseSyntaxProvider *RequireSyntaxProvider() const;
    // The row's place in its list, and whether a row with an expression
    // follows it.
    qsizetype IndexInList() const;
    bool HasExpressionRowAfter() const;

    TnvSelectList *FSelectList;
    bool FSelect = false;
    TnvQueryBuilderItemSortType FSortType = stNone;
    TOrderByName FOrderByName = obnExpression;
    TnvQueryBuilderGroupByType FGroupByType = gtExpression;
    TOwned<TastNode> FExpression;
    TOwned<TSQLAliasExpression> FAlias;
    std::vector<TOwned<TSQLExpressionItem>> FConditions;
};

} // namespace nvqb
