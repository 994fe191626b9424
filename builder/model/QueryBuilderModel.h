#pragma once
// The query builder as its model sees it: what every model node reaches
// through its query builder. It owns the root query and the metadata
// container, refers to the syntax and metadata providers, keeps the options
// that decide how SQL is printed, the list of sub-queries and the current
// one, the one popup menu that nodes build their context menus in, and
// whether the controls exist. It creates no widget: controls come from the
// control factory once CreateControls is called, and the hooks a window
// needs (showing a menu, the tab captions) are virtual operations that the
// widget overrides. Headless, it loads and prints queries.
//
// Make it with Create<> (a class deriving from it calls AfterConstruction
// once it is complete): the root query is made there, where the virtual
// operations of the derived class are reached.
#include "builder/model/AddObjectFormOptions.h"
#include "builder/model/ControlFactory.h"
#include "builder/model/MetadataTreeOptions.h"
#include "builder/model/TreeOptions.h"
#include "classlib/Component.h"
#include "classlib/Method.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/text/SQLBuilder.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QStringList>
#include <functional>

class QObject;

namespace nvqb {
class TnvBaseMetadataProvider;
class TnvQueryBuilderLinkPainter;
class TnvBaseSQLBuilder;
class TnvParametersList;
class TnvQueryStatistics;
class TnvMetadataContainer;
class TnvMetadataFilter;
class TnvMetadataObject;
class TnvMenuItemData;
class TnvQuery;
class TnvSubQuery;
class TSQLQualifiedName;
class TSQLQualifiedNamesList;
class TSQLSelectStatement;
class TnvQueryBuilderModel;
class TnvQueryBuilderControlOwner;
class TnvUnionSubQuery;

enum TnvUnionNavBarPosition { unbTopRight, unbTopLeft, unbBottomRight, unbBottomLeft };
enum TnvBorderStyle { qbbs3D, qbbsFlat, qbbsUltraFlat, qbbsNone };
enum TnvBkImagePos { bkipTopLeft, bkipTile };
enum TnvBkImageDarkness { bgidWhite, bgidLight, bgidDark };
enum TnvTabStyle { tsTabs, tsButtons, tsFlatButtons };

// Where in the text a parse error stands (1-based line and column).
struct TnvPos {
    int Line = 0;
    int Column = 0;
};

// A parse of new SQL text failed: the text, the error's message, the text of
// the token where it stopped and that token's place.
using TnvOnSQLError = std::function<void(TObject *sender, const QString &sql, const QString &error,
                                         const QString &errorToken, TnvPos errorTokenPos)>;
// The caption of a sub-query's page, which the handler may change.
using TnvOnGetTabHeaderText =
    std::function<void(TnvQueryBuilderModel *sender, TnvSubQuery *subQuery, QString &caption)>;
// Whether a metadata object of the event's kind is shown; Visible starts true.
using TnvFilterDatabaseObjectEvent =
    std::function<void(TnvQueryBuilderModel *sender, const QString &objectName, bool &visible)>;

// Where a drag stands, as the class library names it.
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// A drag over a diagram: Sender is the union part the diagram shows, Source
// what Qt names as the drag's source (nil from another application), X and Y
// the place in the diagram. Accept starts true.
using TDragOverEvent =
    std::function<void(TObject *sender, QObject *source, int x, int y, TDragState state, bool &accept)>;
// A drop on a diagram, with the same arguments.
using TDragDropEvent = std::function<void(TObject *sender, QObject *source, int x, int y)>;

class TnvQueryBuilderModel : public TComponent, public InvSyntaxProviderNotifications {
    NV_DECLARE_CLASS(TnvQueryBuilderModel)
public:
    explicit TnvQueryBuilderModel(TComponent *owner = nullptr);
    ~TnvQueryBuilderModel() override;

    // Creates the root query holding one empty SELECT, current.
    void AfterConstruction() override;
    void BeforeDestruction() override;
    // Clears the query, destroys the controls, drops the providers and frees
    // the model. Runs once; a widget deriving from this class calls it first
    // thing in its destructor, while the whole object still exists.
    void DestroyModel();

    // --- Providers and metadata -------------------------------------------
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);
    TnvBaseMetadataProvider *MetadataProvider() const { return FMetadataProvider; }
    void SetMetadataProvider(TnvBaseMetadataProvider *provider);
    TnvMetadataContainer *MetadataContainer() const { return FMetadataContainer.get(); }
    // The container's offline switch.
    bool WorkOffline() const;
    void SetWorkOffline(bool value);
    TnvMetadataFilter *MetadataFilter() const { return FMetadataFilter.get(); }
    // Copies the rules of the filter into the owned one.
    void SetMetadataFilter(const TnvMetadataFilter *filter);

    // The container's XML, the stored form of the metadata; stored only when
    // the container holds loaded metadata. Setting it replaces the container's
    // objects (a text that cannot be read raises and changes nothing).
    QString GetMetadataXML() const;
    void SetMetadataXML(const QString &xml);
    bool IsMetadataStored() const;

    // --- Printing options (a change empties the query) --------------------
    bool QuoteAllIdentifiers() const { return FQuoteAllIdentifiers; }
    void SetQuoteAllIdentifiers(bool value);
    TnvObjectPrefixSkipping ObjectPrefixSkipping() const { return FObjectPrefixSkipping; }
    void SetObjectPrefixSkipping(TnvObjectPrefixSkipping value);
    bool CanReorderDatasources() const { return FCanReorderDatasources; }
    void SetCanReorderDatasources(bool value);
    // icAll with QuoteAllIdentifiers, else icIfNeed.
    TnvIdentQuotation IdentQuotation() const { return FQuoteAllIdentifiers ? icAll : icIfNeed; }

    // --- Visual options (a change updates the controls) ------------------
    // Sizes and widths are never negative: a negative value is stored as 0.
    bool SnapToGrid() const { return FSnapToGrid; }
    void SetSnapToGrid(bool value);
    // Kept within 0..100.
    int GridSize() const { return FGridSize; }
    void SetGridSize(int value);
    TnvUnionNavBarPosition UnionNavBarPos() const { return FUnionNavBarPos; }
    void SetUnionNavBarPos(TnvUnionNavBarPosition value);
    bool ColumnsPaneVisible() const { return FColumnsPaneVisible; }
    void SetColumnsPaneVisible(bool value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);
    TnvBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TnvBorderStyle value);
    QColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(const QColor &value);
    int SplitterHeight() const { return FSplitterHeight; }
    void SetSplitterHeight(int value);
    int TreeSplitterWidth() const { return FTreeSplitterWidth; }
    void SetTreeSplitterWidth(int value);
    // An invalid colour stands for the style's window colour.
    QColor TableColor() const { return FTableColor; }
    void SetTableColor(const QColor &value);
    QFont TableFont() const { return FTableFont; }
    void SetTableFont(const QFont &value);
    QImage BkImage() const { return FBkImage; }
    void SetBkImage(const QImage &value);
    TnvBkImagePos BkImagePos() const { return FBkImagePos; }
    void SetBkImagePos(TnvBkImagePos value);
    TnvBkImageDarkness BkImageDarkness() const { return FBkImageDarkness; }
    void SetBkImageDarkness(TnvBkImageDarkness value);
    QColor BkColor() const { return FBkColor; }
    void SetBkColor(const QColor &value);
    QFont TreeFont() const { return FTreeFont; }
    void SetTreeFont(const QFont &value);
    QFont GridFont() const { return FGridFont; }
    void SetGridFont(const QFont &value);
    bool TabHotTrack() const { return FTabHotTrack; }
    void SetTabHotTrack(bool value);
    TnvTabStyle TabStyle() const { return FTabStyle; }
    void SetTabStyle(TnvTabStyle value);
    // Below 60 it is 0 (the grid pane takes its own height); at most six
    // eighths of the control's height. The current pane height follows it.
    int DefColumnsPaneHeight() const { return FDefColumnsPaneHeight; }
    void SetDefColumnsPaneHeight(int value);
    int ColumnsPaneHeight() const { return FColumnsPaneHeight; }
    void SetColumnsPaneHeight(int value) { FColumnsPaneHeight = value; }
    int ColumnWidthExpression() const { return FColumnWidthExpression; }
    void SetColumnWidthExpression(int value);
    bool UseTableIcons() const { return FUseTableIcons; }
    void SetUseTableIcons(bool value);
    int DefaultTableWidth() const { return FDefaultTableWidth; }
    void SetDefaultTableWidth(int value);
    // A negative value is kept as 0 (no limit).
    int MaxTableHeight() const { return FMaxTableHeight; }
    void SetMaxTableHeight(int value);
    // Pushes the visual options to the controls; the widget extends it with
    // its own panels. The base updates the model's controls when they exist.
    virtual void DoUpdateControlParams();
    // The height that limits DefColumnsPaneHeight: the widget's; without a
    // window the size the control has at creation.
    virtual int ControlHeight() const { return 280; }

    // --- Option objects (owned; setting copies into the owned one) -----------
    // A change of either tree's options updates the controls.
    TnvTreeOptions *TreeOptions() const { return FTreeOptions.get(); }
    void SetTreeOptions(const TnvTreeOptions *value) { FTreeOptions->Assign(value); }
    TnvMetadataTreeOptions *TreeOptionsMetadata() const { return FTreeOptionsMetadata.get(); }
    void SetTreeOptionsMetadata(const TnvMetadataTreeOptions *value) { FTreeOptionsMetadata->Assign(value); }
    TnvAddObjectFormOptions *AddObjectFormOptions() const { return FAddObjectFormOptions.get(); }
    void SetAddObjectFormOptions(const TnvAddObjectFormOptions *value) { FAddObjectFormOptions->Assign(value); }

    // --- Link painter -------------------------------------------------------
    // Owned; an Access-style painter at creation.
    TnvQueryBuilderLinkPainter *LinkPainter() const { return FLinkPainter.get(); }
    // Takes the painter over and frees the one before (unless it is the same).
    void SetLinkPainter(TnvQueryBuilderLinkPainter *painter);
    // The current painter's class name, or empty without one.
    QString LinkPainterClassName() const;
    // A new painter of the registered class of exactly that name (any other
    // name: the Access-style one).
    void SetLinkPainterClassName(const QString &className);
    // A new painter of the class; none when the class is not registered.
    void SetLinkPainterClass(TClass painterClass);

    // --- Events -------------------------------------------------------------
    TnvOnSQLError OnSQLError;
    TnvOnGetTabHeaderText OnGetTabHeaderText;
    TnvFilterDatabaseObjectEvent OnFilterTable;
    TnvFilterDatabaseObjectEvent OnFilterView;
    TnvFilterDatabaseObjectEvent OnFilterProcedure;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;

    // --- Drag and drop on the diagrams ---------------------------------------
    // A diagram asks whether it takes a drag: OnDragOver decides, Sender the
    // current union part of the current sub-query. Without a handler, or
    // without a current sub-query, the drag is refused. The diagrams call
    // these from Qt's drag events, so what a handler raises is shown, never
    // passed on, and refuses the drag.
    bool DoDragOver(QObject *source, int x, int y, TDragState state);
    // A drop on a diagram goes to OnDragDrop under the same conditions.
    void DoDragDrop(QObject *source, int x, int y);

    // --- SQL in ---------------------------------------------------------------
    // The SQL the model prints.
    QString SQL() { return GetSQL(); }
    // Parses and binds the text and loads it when the posted load event is
    // handled (so a host that assigns several texts in a row loads only the
    // last). Text that prints like the current SQL changes nothing and drops
    // a load still pending. A parse error goes to OnSQLError when assigned
    // (dropping a pending load), else it reaches the caller as EnvSQLError.
    void SetSQL(const QString &text);
    // The same, but a changed statement is loaded at once.
    void SetSyncSQL(const QString &text);
    // Whether a parsed statement waits for the load event.
    bool IsSQLLoading() const { return FPendingTree != nullptr; }
    // The parsed, simplified and bound statement of the text (an empty SELECT
    // for blank text), owned by the caller; nil when a parse error went to
    // OnSQLError.
    TOwned<TSQLSelectStatement> ParseSQL(const QString &text);
    // Loads the pending statement, if any (what the load event does).
    void SetSQLMsg();
    // The object whose events load pending SQL; it lives with the model.
    QObject *SQLLoadReceiver() const { return FSQLLoadReceiver; }

    // --- The query ----------------------------------------------------------
    TnvQuery *Query() const { return FQuery.get(); }
    // An empty query: no members but one empty union part.
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return FUpdateCount > 0; }
    // Simplifies a parsed statement and binds it to the metadata container.
    void PrepareStatement(TSQLSelectStatement *statement);
    // Replaces the query by the statement (taken over), in one bracket.
    void LoadStatement(TOwned<TSQLSelectStatement> statement);
    // The SQL of the model, printed with the options above.
    QString GetSQL();
    // Runs once at the end of every bracket in which the query changed, after
    // every node has run its steps: takes the new query to the result
    // statement, the statistics, the parameters and the SQL-text components.
    // Without anyone listening (no component linked, ResultWanted false) the
    // result is made when it is first read instead.
    //
    // A handler that edits the query ends the round: the components after it
    // hear of the query as the handler left it, in the next round, which the
    // root query runs once the bracket has closed. In such a round an edit
    // that left the SQL as it was reported raises nothing, and past
    // MaxFollowUpRounds rounds for one edit the result is still brought up
    // to date but no event is raised, so handlers that edit every time
    // cannot keep the query builder busy for ever.
    virtual void SQLUpdated();
    static constexpr int MaxFollowUpRounds = 8;
    // 0 for the steps of an edit, n for the n-th round that reports what
    // handlers edited (set by the root query).
    int FollowUpRound() const { return FFollowUpRound; }
    void SetFollowUpRound(int round) { FFollowUpRound = round; }

    // --- Metadata operations ------------------------------------------------
    // Clears the container and loads it anew through the metadata filter.
    // Raises without a syntax or a metadata provider; the container's update
    // bracket is closed and the busy cursor restored in every case.
    void RefreshMetadata();
    // Loads through the metadata filter when the container has loaded nothing
    // since it was last cleared.
    void LoadMetadata(const TSQLQualifiedName *database = nullptr);
    void LoadMetadataByFilter(TnvMetadataFilter *filter, const TSQLQualifiedName *database = nullptr);
    void LoadMetadataByMask(const QString &schemaMask, const QString &objectMask,
                            const TSQLQualifiedName *database = nullptr);
    void ClearMetadataByMask(const QString &schemaMask, const QString &objectMask,
                             const TSQLQualifiedName *database = nullptr);
    // Runs the Add Object dialog, made on first use (through the control
    // factory) and kept until DestroyAddObjectForm or the query builder goes;
    // while it exists the Add Object options read and set its size.
    void ShowAddObjectForm();
    void DestroyAddObjectForm();
    bool HasAddObjectForm() const { return FAddObjectForm != nullptr; }

    // The databases the metadata provider knows; empty when working offline.
    void GetDatabasesList(TSQLQualifiedNamesList *list);
    // The unquoted names of the visible objects of the kind whose system flag
    // equals System, in container order; FullNames, when given, gets each
    // object's qualified name at the same index (the container owns them).
    void GetTableNames(QStringList &names, bool system = false, QList<TSQLQualifiedName *> *fullNames = nullptr);
    void GetViewNames(QStringList &names, bool system = false, QList<TSQLQualifiedName *> *fullNames = nullptr);
    void GetProcedureNames(QStringList &names, bool system = false,
                           QList<TSQLQualifiedName *> *fullNames = nullptr);
    void GetSynonymNames(QStringList &names, bool system = false, QList<TSQLQualifiedName *> *fullNames = nullptr);
    // Whether the container finds an object of the kind by the full name.
    bool IsNameOfTable(const QString &name) const;
    bool IsNameOfView(const QString &name) const;
    bool IsNameOfProcedure(const QString &name) const;
    // The container's visibility callback: asks OnFilterTable, OnFilterView or
    // OnFilterProcedure by the object's kind; other kinds stay visible.
    void GetMetadataObjectVisible(TnvMetadataContainer *container, TnvMetadataObject *object, bool &visible);
    // --- SQL out: result, statistics, parameters, SQL-text components -------
    // The query printed from the model after the last change, bound to the
    // metadata and counted; nil before the first change. Each read gives the
    // result of the last change.
    TSQLSelectStatement *ResultStatement() const;
    TnvQueryStatistics *QueryStatistics() const;
    TnvParametersList *Parameters() const;
    // The SQL-text components linked to this query builder, in the order of
    // linking; they add and remove themselves (TnvBaseSQLBuilder::SetQueryBuilder).
    qsizetype SQLBuildersCount() const { return FSQLBuilders.size(); }
    TnvBaseSQLBuilder *SQLBuilders(qsizetype index) const { return FSQLBuilders.at(index); }
    void AddSQLBuilder(TnvBaseSQLBuilder *builder);
    void RemoveSQLBuilder(TnvBaseSQLBuilder *builder);
    // --- End of SQL out --------------------------------------------------------
    // --- Layout ---------------------------------------------------------------
    // The layout document (builder/model/Layout.h): the SQL with the place and
    // size of every box. Setting it never raises; what cannot be read ends
    // the load quietly where it stands.
    QString GetLayout();
    void SetLayout(const QString &text);
    // --- end of layout --------------------------------------------------------

    // --- Sub-queries --------------------------------------------------------
    TnvSubQuery *CurrentSubquery() const { return FCurrentSubquery; }
    void SetCurrentSubquery(TnvSubQuery *subQuery);
    // Every sub-query of the model (the root query first), in order of making.
    qsizetype GetSubQueriesCount() const { return FSubQueries.size(); }
    TnvSubQuery *GetSubQueries(qsizetype index) const { return FSubQueries.at(index); }
    void RegisterSubQuery(TnvSubQuery *subQuery);
    void UnregisterSubQuery(TnvSubQuery *subQuery);
    // Lets the host change the caption of a sub-query's page through
    // OnGetTabHeaderText.
    virtual void DoGetTabHeaderText(TnvSubQuery *subQuery, QString &caption);

    // --- Controls -------------------------------------------------------------
    bool ControlsCreated() const { return FControlsCreated; }
    // Creates the controls of the whole model (the widget calls it when first
    // shown) and brings the current sub-query's page to the front.
    void CreateControls();
    void DestroyControls();
    // The factory of this query builder: its own when given one, else the
    // process-wide one.
    TnvControlFactory *GetControlFactory() const;
    void SetControlFactory(TnvControlFactory *factory) { FControlFactory = factory; }

    // --- The popup menu -------------------------------------------------------
    TnvMenuItemData *PopupMenu() const { return FPopupMenu.get(); }
    void PopupMenuClear();
    // A new item under Parent (nil: the top level).
    TnvMenuItemData *PopupMenuAddItem(TnvMenuItemData *parent, const QString &caption, int data, bool enabled,
                                      bool checked, bool isDefault, TNotifyEvent handler, TObject *sender);
    // Ends every menu with a separator and the About item.
    void PopupMenuCompleted();
    // Shows the menu at the point (DoPopupMenu).
    void PopupMenuPopup(const QPoint &point);
    // Runs the item's handler; what it raises is shown, never passed on.
    void ClickMenuItem(TnvMenuItemData *item);
    void AboutEvent(TObject *sender);

    // --- Subscriber of the syntax provider -----------------------------------
    void SyntaxProviderPropsChanged(TnvBaseSyntaxProvider *provider) override;
    void SyntaxProviderDestroying() override;

protected:
    void Notification(TComponent *component, TOperation operation) override;
    // --- SQL out: the steps of SQLUpdated after the result statement ---------
    // Whether a change makes the result at once; true while SQL-text
    // components are linked. A widget showing the structure tree says so too.
    virtual bool ResultWanted() const;
    virtual void ReloadQueryStatistics();
    virtual void ReloadParameters();
    // Rebuilds the query-structure tree of a widget; the model has none.
    virtual void UpdateQueryStructure();
    // Moves the selection of a widget's query-structure tree to the node of
    // the model object; the model has no tree.
    virtual void UpdateTreePosition(TnvQueryBuilderControlOwner *node);
    // --- End of SQL out --------------------------------------------------------
    // Shows the popup menu; the base shows nothing.
    virtual void DoPopupMenu(const QPoint &point);

private:
    void AssignSQL(const QString &text, bool sync);
    void PostSQLLoad();
    void GetObjectNames(TClass objectClass, QStringList &names, bool system, QList<TSQLQualifiedName *> *fullNames);
    template <class T> void SetVisual(T &field, const T &value);
    void TreeOptionsUpdated(TObject *sender);

    TOwned<TnvMetadataContainer> FMetadataContainer;
    TOwned<TnvMetadataFilter> FMetadataFilter;
    TOwned<TnvAddObjectFormOptions> FAddObjectFormOptions;
    std::unique_ptr<TnvAddObjectFormHandle> FAddObjectForm;
    TOwned<TnvTreeOptions> FTreeOptions;
    TOwned<TnvMetadataTreeOptions> FTreeOptionsMetadata;
    TnvBaseSyntaxProvider *FSyntaxProvider = nullptr;
    TnvBaseMetadataProvider *FMetadataProvider = nullptr;
    bool FQuoteAllIdentifiers = false;
    TnvObjectPrefixSkipping FObjectPrefixSkipping = opsSkipAll;
    bool FCanReorderDatasources = true;
    bool FSnapToGrid = true;
    int FGridSize = 2;
    TnvUnionNavBarPosition FUnionNavBarPos = unbTopRight;
    bool FColumnsPaneVisible = true;
    int FBorderWidth = 0;
    TnvBorderStyle FBorderStyle = qbbs3D;
    QColor FBorderColor = QColor(0, 0, 128);
    int FSplitterHeight = 3;
    int FTreeSplitterWidth = 3;
    QColor FTableColor;
    QFont FTableFont;
    QImage FBkImage;
    TnvBkImagePos FBkImagePos = bkipTopLeft;
    TnvBkImageDarkness FBkImageDarkness = bgidWhite;
    QColor FBkColor = QColor(255, 255, 255);
    QFont FTreeFont;
    QFont FGridFont;
    bool FTabHotTrack = false;
    TnvTabStyle FTabStyle = tsTabs;
    int FDefColumnsPaneHeight = 0;
    int FColumnsPaneHeight = 0;
    int FColumnWidthExpression = 100;
    bool FUseTableIcons = true;
    int FDefaultTableWidth = 80;
    int FMaxTableHeight = 0;
    TOwned<TnvQueryBuilderLinkPainter> FLinkPainter;
    TOwned<TSQLSelectStatement> FPendingTree;
    QObject *FSQLLoadReceiver = nullptr;
    bool FSQLLoadPosted = false;
    TOwned<TnvQuery> FQuery;
    TnvSubQuery *FCurrentSubquery = nullptr;
    QList<TnvSubQuery *> FSubQueries;
    int FUpdateCount = 0;
    bool FControlsCreated = false;
    bool FModelDestroyed = false;
    TnvControlFactory *FControlFactory = nullptr;
    TOwned<TnvMenuItemData> FPopupMenu;

    // --- SQL out -----------------------------------------------------------------
    void SetResultSyntaxProvider(TnvBaseSyntaxProvider *provider);
    void DetachSQLBuilders();
    // Steps 1 to 4 of SQLUpdated: the result statement, bound and counted,
    // the statistics, the parameters and the structure tree.
    void UpdateResult();
    // Runs UpdateResult when a change came after the last one.
    void EnsureResult() const;
    bool FResultStale = false;
    TOwned<TSQLSelectStatement> FResultStatement;
    TOwned<TnvQueryStatistics> FQueryStatistics;
    TOwned<TnvParametersList> FParameters;
    QList<TnvBaseSQLBuilder *> FSQLBuilders;
    int FFollowUpRound = 0;
    // The SQL of the last round that raised the components' events.
    QString FReportedSQL;
    // --- End of SQL out --------------------------------------------------------
};

} // namespace nvqb
