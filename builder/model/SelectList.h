#pragma once
// The select list of a union part: the rows of its column grid, and the
// place where the block's select list, WHERE, GROUP BY, HAVING and the
// statement's ORDER BY are taken apart into rows and criteria cells and put
// together again.
//
// A WHERE or HAVING condition is spread over the rows as the grid shows it:
// the terms of an AND go into the "Criteria" column of the rows whose
// expression they test, and each operand of an OR gets a column of its own.
// Building the condition back AND-s the cells of each column in row order
// and OR-s the columns. The rows' grouping kinds decide what goes where:
// conditions of Where rows make WHERE, those of grouped, Having and
// aggregate rows make HAVING.
//
// After every update the list ends with exactly one empty row, which the
// grid shows as the row to type a new column into.
#include "builder/model/GroupByType.h"
#include "builder/model/QueryBuilderControlOwner.h"
#include "builder/model/SelectItem.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <vector>

namespace nvqb {

class TnvUnionSubQuery;
class InvSelectListControl;
class TSQLSelectItems;
class TSQLExpressionItem;
class TSQLGroupByList;
class TSQLOrderByClause;

class TnvSelectList : public TnvQueryBuilderControlOwner {
    NV_DECLARE_CLASS(TnvSelectList)
public:
    // The union part is parent and update parent; the list starts with one
    // empty row.
    TnvSelectList(TnvUnionSubQuery *unionSubQuery, TnvQueryBuilderModel *queryBuilder);
    ~TnvSelectList() override;
    void AfterConstruction() override;

    TnvUnionSubQuery *UnionSubQuery() const { return FUnionSubQuery; }

    // --- Rows ---------------------------------------------------------------
    qsizetype Count() const { return FItems.size(); }
    TnvSelectItem *Items(qsizetype index) const;
    qsizetype IndexOf(const TnvSelectItem *row) const { return FItems.indexOf(const_cast<TnvSelectItem *>(row)); }
    // Moves the row at From to To.
    void Move(qsizetype from, qsizetype to);
    // A new empty row at the end, with its controls when the list has them.
    TnvSelectItem *AddEmptyRow();
    TnvSelectItem *InsertEmptyRow(qsizetype index);
    void RemoveLastRow();
    // An empty row given the text as its expression (the new row).
    TnvSelectItem *AddExpression(const QString &text);
    TnvSelectItem *InsertExpression(qsizetype index, const QString &text);
    // A new output row for the field of the FROM source (nil: its t.*).
    TnvSelectItem *AddField(TSQLFromSource *datasource, const TSQLQualifiedName *fieldName);
    TnvSelectItem *InsertField(qsizetype index, TSQLFromSource *datasource, const TSQLQualifiedName *fieldName);
    // The field name as text; raises "Invalid field name: <text>" when it
    // does not parse.
    TnvSelectItem *AddField(TSQLFromSource *datasource, const QString &fieldName);
    // An empty row loaded with the node (see TnvSelectItem::LoadFromAST).
    TnvSelectItem *AddASTExpression(TastNode *node);
    TnvSelectItem *InsertASTExpression(qsizetype index, TastNode *node);
    // The first row of the FROM source whose field name equals FieldName;
    // with nil the first row of it without field name (its t.*).
    TnvSelectItem *FindField(TSQLFromSource *datasource, const TSQLQualifiedName *fieldName) const;
    // A field unchecked in its box: the matching rows are no longer output,
    // those without alias are emptied and moved behind the last row that
    // still has an expression.
    void RemoveFields(TSQLFromSource *datasource, const TSQLQualifiedName *fieldName);
    // Empties every row.
    void Clear();
    // A data source was added: the names of the rows that named it before it
    // was there are bound to it now.
    void BindUnboundNames();
    // The same for the rows of the sub-queries in the rows, at any depth:
    // the select list is loaded before the FROM clause, so the names its
    // sub-queries' rows take of the part's sources are bound once the
    // sources are there.
    void BindNamesOfSubQueries();

    // --- Output columns ---------------------------------------------------------
    // A t.* stands for the fields of its table; a * and a table whose fields
    // were not loaded stand for columns not known here.
    //
    // The output row of the column at the 1-based position; nil past the
    // columns, for a column of a * or t.*, and past one of unknown columns.
    TnvSelectItem *OutputRow(qsizetype position) const;
    // The 1-based position of the row's column; 0 when the row is not output,
    // is a * or t.*, or stands after one of unknown columns.
    qsizetype OutputPosition(const TnvSelectItem *row) const;

    // --- Sort order -----------------------------------------------------------
    qsizetype SortOrderCount() const { return FSortOrder.size(); }
    TnvSelectItem *SortOrderItems(qsizetype index) const { return FSortOrder.at(index); }
    qsizetype SortOrderIndexOf(const TnvSelectItem *row) const
    {
        return FSortOrder.indexOf(const_cast<TnvSelectItem *>(row));
    }

    // --- Loading (the nodes are taken over) -------------------------------------
    void LoadSelectListFromAST(TOwned<TSQLSelectItems> items);
    // True when the condition was taken apart into cells; false when it went
    // whole into one cell.
    bool LoadConditionFromAST(TOwned<TSQLExpressionItem> condition, TnvQueryBuilderGroupByType kind);
    // ANDs the condition (taken over) to the WHERE criteria, as loading
    // "WHERE <criteria> And <condition>" spreads them over the cells.
    void AddWhereCondition(TOwned<TSQLExpressionItem> condition);
    // The WHERE criteria become those of the condition (taken over; nil:
    // none), as loading it spreads them over the cells.
    void ReplaceWhereCriteria(TOwned<TSQLExpressionItem> condition);
    void LoadGroupByListFromAST(TOwned<TSQLGroupByList> list);
    // Reads the clause; the caller keeps and frees it.
    void LoadOrderByListFromAST(const TSQLOrderByClause *clause);
    // The first row of a kind in Kinds that has the expression; else a row
    // loaded with it. A found or new Expression row takes Kind.
    TnvSelectItem *FindOrAddSelectItem(const TSQLExpressionItem *expression, TnvQueryBuilderGroupByTypes kinds,
                                       TnvQueryBuilderGroupByType kind);

    // --- Building (new trees owned by the caller) ------------------------------
    // The select items; a list without output rows selects *.
    TOwned<TastNodeBase> CreateResultAST() override;
    // The criteria of the rows of the kinds; nil when there are none.
    TOwned<TSQLExpressionItem> GetConditionTree(TnvQueryBuilderGroupByTypes kinds);
    TOwned<TSQLGroupByList> GetGroupByTree();
    TOwned<TSQLOrderByClause> GetOrderByClause();

    // --- The grid -----------------------------------------------------------------
    // True while the grid is being refilled: the rows ignore the texts
    // written meanwhile.
    bool IsFilling() const { return FFilling; }
    InvSelectListControl *GetISelectListControl() const;
    void FillList();
    // A new grid is filled at once.
    void CreateControl() override;

    void GetASTChildren(TastNodeRefList &list) override;

protected:
    void Destroy() override;
    int GetControlsCount() override { return 1; }
    TnvModelControl *CreateControlInternal(int index) override;
    void DoAfterUpdated() override;

private:
    friend class TnvSelectItem;

    // A row leaving the lists (it is being freed).
    void RowDestroying(TnvSelectItem *row);
    void AddToSortOrder(TnvSelectItem *row);
    void RemoveFromSortOrder(TnvSelectItem *row);
    void MoveInSortOrder(TnvSelectItem *row, qsizetype position);
    TnvSelectItem *FindOrAddSelectItem(const TSQLExpressionItem *expression, TnvQueryBuilderGroupByTypes kinds,
                                       TnvQueryBuilderGroupByType kind, bool bind);
    // The output row whose alias the expression, in brackets or not, names;
    // nil when it names none.
    TnvSelectItem *OutputAliasRow(const TSQLExpressionItem *expression) const;
    // Places one conjunct of a condition into a criteria column.
    void PlaceConjunct(TOwned<TSQLExpressionItem> conjunct, int column, TnvQueryBuilderGroupByTypes kinds,
                       TnvQueryBuilderGroupByType kind);
    // Places an operand of an OR (or of the whole condition) into a column:
    // the terms of an AND each on their own.
    void PlaceOperand(TOwned<TSQLExpressionItem> operand, int column, TnvQueryBuilderGroupByTypes kinds,
                      TnvQueryBuilderGroupByType kind);

    // While a clause is loaded, the rows by the text of their expression, so
    // finding the row of each term costs no printing of every row.
    class TLoadScope;
    QHash<QString, QList<TnvSelectItem *>> *FRowIndex = nullptr;
    // One term of a criteria cell with the row's expression given back: the
    // text of the expression whose row it goes to when read back, and the
    // row it stands in.
    struct TConditionTerm {
        QString Key;
        qsizetype Row = 0;
        TOwned<TSQLExpressionItem> Condition;
    };
    // Where a term or GROUP BY item of an expression goes when the statement
    // is read back, by the expression's text: the output row it is found in
    // (for WHERE or for GROUP BY and HAVING).
    QHash<QString, qsizetype> ReadBackPlaces(bool where);
    // The text of the expression whose row the term of Row's criteria cell
    // goes to when read back; a null text when it is the whole term.
    QString TermKey(const TnvSelectItem *row, const TSQLExpressionItem *term) const;
    // The key of a term whose left operand is its own (not the row's
    // expression taken off): the text of that operand, or of the term.
    QString KeyOf(const TnvSelectItem *row, const TSQLExpressionItem *term) const;
    // The text of the row's expression; printed once while a clause is built.
    QString RowText(const TnvSelectItem *row) const;
    class TRowTextScope;
    mutable QHash<const TnvSelectItem *, QString> *FRowTexts = nullptr;
    // The keys of the terms of the rows of the kinds.
    QSet<QString> ConditionKeys(TnvQueryBuilderGroupByTypes kinds) const;
    // The terms of the rows of the kinds, column by column, in row order.
    std::vector<std::vector<TConditionTerm>> ConditionTerms(TnvQueryBuilderGroupByTypes kinds);
    // The columns with each one that is a single OR opened into the columns
    // reading it back gives.
    std::vector<std::vector<TConditionTerm>> ExpandedColumns(std::vector<std::vector<TConditionTerm>> columns) const;

    // While a union part is loaded: the orders in which its select list,
    // each criteria column of WHERE and HAVING and GROUP BY name their rows.
    // The rows are arranged to follow all of them, so that the statement
    // prints back in the order it was written.
    std::vector<QList<TnvSelectItem *>> FLoadOrders;
    bool FRecordingLoadOrder = false;
    // Adds the row to the order being recorded (once).
    void RecordLoadOrder(TnvSelectItem *row);
    void ArrangeLoadedRows();
    void IndexRow(TnvSelectItem *row);

    TnvUnionSubQuery *FUnionSubQuery;
    QList<TnvSelectItem *> FItems;
    QList<TnvSelectItem *> FSortOrder;
    bool FFilling = false;
    // Set while the after-update step drops the surplus empty rows at the end.
    bool FTrimming = false;
    TOwned<TSQLSelectItems> FSelectItemsTemplate;
    TOwned<TSQLGroupByList> FGroupByTemplate;
};

} // namespace nvqb
