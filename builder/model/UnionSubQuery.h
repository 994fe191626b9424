#pragma once
// One SELECT block of a statement: a union part, edited on a diagram page of
// its own. The block's select list (with WHERE, GROUP BY, HAVING and the
// statement's ORDER BY) lives in its select list, its FROM clause in its FROM
// group; the block node keeps the rest (mode, operator).
#include "builder/model/QueryBase.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QRect>
#include <optional>

namespace nvqb {

class TnvSelectList;
class TnvDatasourceBase;
class TnvDatasourceGroup;
class TnvDatasource;
class TnvDataSourceObject;
class TnvDataSourceQuery;
class TnvLink;
class TnvMenuItemData;
class TSQLFromSource;
class TSQLQualifiedName;
class TastTokenIdentifier;

class TnvUnionSubQuery : public TnvQueryBase {
    NV_DECLARE_CLASS(TnvUnionSubQuery)
public:
    TnvUnionSubQuery(TnvSubQuery *subQuery, TnvQueryBuilderModel *queryBuilder);

    // Makes the select list and the FROM group, joins the statement's list
    // of union parts and becomes current when the statement has none.
    void AfterConstruction() override;

    TSQLSubQuerySelectExpression *SelectNode() const;
    TnvSelectList *SelectList() const { return FSelectList; }
    TnvDatasourceGroup *FromGroup() const { return FFromGroup; }
    // Links are written as joins in FROM when set, as WHERE conditions when
    // clear.
    bool ANSIJoins() const { return FANSIJoins; }
    void SetANSIJoins(bool value) { FANSIJoins = value; }

    void LoadFromAST(TOwned<TSQLSubQueryExpression> node) override;
    // A copy of the result tree.
    TOwned<TSQLSubQuerySelectExpression> GetResultQueryAST();
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;

    // The current part's new controls show it as current.
    void CreateControl() override;

    TnvModelControl *GetUnionPage() { return GetControls(0); }
    TnvModelControl *GetUnionButton() { return GetControls(1); }
    TnvModelControl *GetUnionOperator() override { return GetControls(2); }

    // Member moves of the union button: forward swaps with the next member,
    // enters the next group at its front, or leaves a group at its end;
    // backward is the mirror image.
    bool CanMoveForward() const;
    bool CanMoveBackward() const;
    void MoveForward();
    void MoveBackward();
    // Puts this part into a new bracketed group at its place.
    void EncloseInBrackets();
    // A new empty union part after the last member of this part's group,
    // made current.
    TnvUnionSubQuery *NewUnionSubQuery();

    // The union button's menu: the moves, then the union items.
    TnvMenuItemData *GetPopupMenu() override;
    // "New Union Sub-Query", "Enclose In Brackets", "Remove" under Parent
    // (nil: the top level of the popup menu).
    void CreateUnionPopupMenu(TnvMenuItemData *parent);
    void MoveForwardEvent(TObject *sender);
    void MoveBackwardEvent(TObject *sender);
    void EncloseInBracketsEvent(TObject *sender);
    void NewUnionSubQueryEvent(TObject *sender);

    // --- Adding to the FROM side --------------------------------------------
    // Every operation needs the query builder's syntax provider and raises
    // "Syntax provider is not specified" without one; a name, FROM expression
    // or field text that does not parse raises its own message. Either way
    // the model is left as it was.
    //
    // A database object as a new box. The box goes to the point; at (0, 0)
    // (and for AddObject) the box finds its own place with FindPos when it
    // is made. An empty alias gives none.
    TnvDataSourceObject *AddObject(const QString &name, const QString &alias = QString());
    TnvDataSourceObject *AddObjectAt(const QString &name, const QPoint &point, const QString &alias = QString());
    TnvDataSourceObject *AddObject(const TSQLQualifiedName *name, const TastTokenIdentifier *alias = nullptr);
    TnvDataSourceObject *AddObjectAt(const TSQLQualifiedName *name, const QPoint &point,
                                     const TastTokenIdentifier *alias = nullptr);
    // The same, then the links of the metadata's foreign keys to and from
    // the other objects of the diagram.
    TnvDataSourceObject *AddObjectWithFK(const QString &name, const QString &alias = QString());
    TnvDataSourceObject *AddObjectWithFKAt(const QString &name, const QPoint &point,
                                           const QString &alias = QString());
    TnvDataSourceObject *AddObjectWithFK(const TSQLQualifiedName *name, const TastTokenIdentifier *alias = nullptr);
    TnvDataSourceObject *AddObjectWithFKAt(const TSQLQualifiedName *name, const QPoint &point,
                                           const TastTokenIdentifier *alias = nullptr);
    // A procedure call: the procedure parameters dialog asks for the
    // arguments and its expression is added as a FROM expression. Nil when
    // the dialog is cancelled (or none is registered). The point is not
    // used: the box finds its own place.
    TnvDatasource *AddStoredProc(const QString &name, const QString &alias = QString());
    TnvDatasource *AddStoredProcAt(const QString &name, const QPoint &point, const QString &alias = QString());
    TnvDatasource *AddStoredProc(const TSQLQualifiedName *name, const QString &alias = QString());
    TnvDatasource *AddStoredProcAt(const TSQLQualifiedName *name, const QPoint &point,
                                   const QString &alias = QString());
    // Any FROM source written as text. The text overloads do not use the
    // point: the box finds its own place. The source overload takes the
    // parsed source over, gives it the alias (when one is given) and puts
    // it at the point.
    TnvDatasource *AddFromExpression(const QString &text, const QString &alias = QString());
    TnvDatasource *AddFromExpressionAt(const QString &text, const QPoint &point, const QString &alias = QString());
    TnvDatasource *AddFromExpressionAt(TOwned<TSQLFromSource> source, const QPoint &point,
                                       const TastTokenIdentifier *alias = nullptr);
    // A derived table "Query1" (or the next free "QueryN") with an empty
    // SELECT of its own.
    TnvDataSourceQuery *AddDerivedTable();

    // Names of the data sources. Two sources of one SELECT that go by one
    // name make SQL that servers refuse, and a reload would bind columns of
    // one to the other, so a new source whose name is taken gets the name
    // with the first free number after it (b1, Query2): every adding
    // operation above does so.
    //
    // The name a FROM source goes by: its alias, else the last part of its
    // object's name; nil for a source without either.
    static const TastTokenIdentifier *ShownName(const TSQLFromSource *source);
    // Whether a data source of this SELECT other than Except goes by Name.
    bool IsDatasourceNameTaken(const TastTokenIdentifier *name, const TnvDatasource *except = nullptr) const;
    // Text followed by the first number from First on that no data source
    // of this SELECT other than Except goes by.
    QString FreeDatasourceName(const QString &text, int first = 1, const TnvDatasource *except = nullptr) const;

    // A new link LeftField = RightField between two boxes, in ON with ANSI
    // joins, else in WHERE.
    TnvLink *AddLink(TnvDatasource *leftDatasource, const QString &leftField, TnvDatasource *rightDatasource,
                     const QString &rightField);
    TnvLink *AddLink(TnvDatasource *leftDatasource, const TSQLQualifiedName *leftField,
                     TnvDatasource *rightDatasource, const TSQLQualifiedName *rightField);
    // Links from the foreign keys of the metadata between the object and
    // every other object of the diagram, both ways; the count of matching
    // relations plus links made.
    int AddFKLinksForObject(TnvDatasource *datasource);
    TnvLink *FindLink(const TnvDatasource *leftDatasource, const TSQLQualifiedName *leftField,
                      const TnvDatasource *rightDatasource, const TSQLQualifiedName *rightField) const;
    void FindTablesByDBName(const TSQLQualifiedName *name, QList<TnvDatasourceBase *> &list);

    // Where a new box of the data source goes: the highest free place of
    // the leftmost column that has it (a column every DefaultTableWidth + 60
    // pixels from x = 10, 20 pixels between boxes); when no column is wide
    // enough, x = 10 below the lowest box.
    void FindPos(TnvDatasource *datasource, QPoint &point);
    // Whether the part is making its controls (its boxes among them); it
    // sets the check marks of all boxes once that is done.
    bool IsMakingControls() const { return FPlacedBoxes.has_value(); }

    // The diagram's menu: "Add Object", "Add Derived Table", "Union" (the
    // union items), "Edit...".
    TnvMenuItemData *GetPopupMenuWA();
    void AddObjectEvent(TObject *sender);
    void AddDerivedTableEvent(TObject *sender);

    // The block's FROM sources join the visible sources when asked for them;
    // outer blocks always add theirs.
    void GatherPrepareAndFixupContext(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                      bool addDatasources) override;

protected:
    void Destroy() override;
    TOwned<TastNodeBase> CreateResultAST() override;
    int GetControlsCount() override { return 3; }
    TnvModelControl *CreateControlInternal(int index) override;
    bool MakeVisible(int index) override { return index != 0; }

private:
    bool IsInNestedGroup() const;
    // The query builder's syntax provider; raises when there is none.
    TnvBaseSyntaxProvider *RequireSyntaxProvider() const;
    // Adds the source as a new data source of class T at the point.
    template <class T> T *AddDatasource(TOwned<TSQLFromSource> source, const QPoint &point);
    // Gives a new source whose name is taken an alias of its own.
    void MakeNameFree(TSQLFromSource *source) const;
    // The links of the foreign keys of Left's object that lead to Right's.
    int AddFKLinksForPair(TnvDataSourceObject *left, TnvDataSourceObject *right);
    // How wide the diagram is, for FindPos.
    int DiagramWidth();

    // While the part makes its controls, FindPos keeps what it read from
    // each box made so far: every new box is placed among all the others,
    // and nothing else moves them meanwhile.
    struct TPlacedBoxes {
        QHash<const TnvDatasource *, QRect> Known;
        // At each corner, the place in the list of data sources of the
        // first box standing there, and its height.
        QHash<QPair<qint64, qint64>, QPair<qsizetype, qint64>> Corners;
    };
    std::optional<TPlacedBoxes> FPlacedBoxes;
    TnvSelectList *FSelectList = nullptr;
    TnvDatasourceGroup *FFromGroup = nullptr;
    bool FANSIJoins = true;
};

} // namespace nvqb
