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
#include "builder/model/ControlFactory.h"
#include "classlib/Component.h"
#include "classlib/Method.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/text/SQLBuilder.h"

#include <QList>
#include <QPoint>

namespace nvqb {

class TnvBaseMetadataProvider;
class TnvMetadataContainer;
class TnvMenuItemData;
class TnvQuery;
class TnvSubQuery;
class TSQLSelectStatement;

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

    // --- Printing options (a change empties the query) --------------------
    bool QuoteAllIdentifiers() const { return FQuoteAllIdentifiers; }
    void SetQuoteAllIdentifiers(bool value);
    TnvObjectPrefixSkipping ObjectPrefixSkipping() const { return FObjectPrefixSkipping; }
    void SetObjectPrefixSkipping(TnvObjectPrefixSkipping value);
    bool CanReorderDatasources() const { return FCanReorderDatasources; }
    void SetCanReorderDatasources(bool value);
    // icAll with QuoteAllIdentifiers, else icIfNeed.
    TnvIdentQuotation IdentQuotation() const { return FQuoteAllIdentifiers ? icAll : icIfNeed; }

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
    // every node has run its steps; this is where the control takes the new
    // SQL to its statistics and its SQL-text components. The base does nothing.
    virtual void SQLUpdated();

    // --- Visual parameters ----------------------------------------------------
    // Pushes the query builder's visual settings (colours, painters, fonts)
    // to its controls again; the widget overrides it. Headless there is
    // nothing to push.
    virtual void DoUpdateControlParams() {}
    // -------------------------------------------------------------------------

    // --- Sub-queries --------------------------------------------------------
    TnvSubQuery *CurrentSubquery() const { return FCurrentSubquery; }
    void SetCurrentSubquery(TnvSubQuery *subQuery);
    // Every sub-query of the model (the root query first), in order of making.
    qsizetype GetSubQueriesCount() const { return FSubQueries.size(); }
    TnvSubQuery *GetSubQueries(qsizetype index) const { return FSubQueries.at(index); }
    void RegisterSubQuery(TnvSubQuery *subQuery);
    void UnregisterSubQuery(TnvSubQuery *subQuery);
    // Lets the host change the caption of a sub-query's page; the base keeps it.
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
    // Shows the popup menu; the base shows nothing.
    virtual void DoPopupMenu(const QPoint &point);

private:
    TOwned<TnvMetadataContainer> FMetadataContainer;
    TnvBaseSyntaxProvider *FSyntaxProvider = nullptr;
    TnvBaseMetadataProvider *FMetadataProvider = nullptr;
    bool FQuoteAllIdentifiers = false;
    TnvObjectPrefixSkipping FObjectPrefixSkipping = opsSkipAll;
    bool FCanReorderDatasources = true;
    TOwned<TnvQuery> FQuery;
    TnvSubQuery *FCurrentSubquery = nullptr;
    QList<TnvSubQuery *> FSubQueries;
    int FUpdateCount = 0;
    bool FControlsCreated = false;
    bool FModelDestroyed = false;
    TnvControlFactory *FControlFactory = nullptr;
    TOwned<TnvMenuItemData> FPopupMenu;
};

} // namespace nvqb
