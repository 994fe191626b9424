#pragma once
// The pages of the query builder. The page control fills the centre of the
// control and holds one page per sub-query (TnvQueryTabSheet, the control of
// a sub-query's slot 0). A sub-query's page holds the union navigation bar
// and one page per union part (TnvUnionSubQueryTabSheet), of which only the
// current one is shown: the diagram (the work area) above the column pane,
// with a splitter between them.
#include "builder/controls/Panel.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ModelControl.h"

#include <QPointer>
#include <QTabBar>
#include <QTabWidget>

namespace nvqb {

class TnvQueryBuilder;
class TnvQueryBuilderControlOwner;
class TnvQueryBuilderWorkArea;
class TnvSubQuery;
class TnvUnionNavBar;
class TnvUnionSubQuery;
class TnvControlFactory;

// The tabs of the page control. Before a click, a key or the wheel switches
// the page, an edit still pending in the page shown (a grid cell's text) is
// written by taking the focus from it: the write may make the statement's
// sub-queries anew, and with them their pages, which must not happen while
// the tab widget is switching to one of them. With hot tracking on, the
// tab under the mouse shows its caption in the highlight colour.
class TnvQueryTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit TnvQueryTabBar(QWidget *parent);

    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool value);
    // The tab under the mouse while hot tracking; -1 when none.
    int HotIndex() const { return FHotIndex; }

protected:
    void initStyleOption(QStyleOptionTab *option, int tabIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent *event) override;
#endif

private:
    void WritePendingEdit();
    void SetHotIndex(int index);

    bool FHotTrack = false;
    int FHotIndex = -1;
};

class TnvQueryBuilderPageControl : public QTabWidget {
    Q_OBJECT
public:
    TnvQueryBuilderPageControl(TnvQueryBuilder *queryBuilder, QWidget *parent);
    ~TnvQueryBuilderPageControl() override;

    TnvQueryBuilder *QueryBuilder() const { return FQueryBuilder.data(); }
    TnvQueryTabBar *QueryTabBar() const { return FTabBar; }

    // The page shown has changed: its sub-query becomes the query builder's
    // current one.
    void Change();

private:
    QPointer<TnvQueryBuilder> FQueryBuilder;
    TnvQueryTabBar *FTabBar;
};

class TnvQueryTabSheet : public QWidget, public TnvModelControl, public InvSubQueryControl {
    Q_OBJECT
public:
    // Adds itself as a tab of the page control.
    TnvQueryTabSheet(TnvSubQuery *subQuery, TnvQueryBuilderPageControl *pageControl);
    ~TnvQueryTabSheet() override;

    TnvSubQuery *SubQuery() const { return FSubQuery; }
    TnvQueryBuilderPageControl *PageControl() const { return FPageControl.data(); }
    TnvUnionNavBar *UnionNavBar() const { return FUnionNavBar; }

    // InvSubQueryControl
    void UpdateControlVisualParams(TnvQueryBuilderControlOwner *owner) override;
    QObject *GetUnionNavBar() override;
    void Activate() override;
    void SetCaption(const QString &caption) override;

    // TnvModelControl: a sub-query's page is always one of the tabs.
    void SetControlVisible(bool visible) override;
    void Realign() override { AlignControls(); }
    void DisableAlign() override { ++FAlignDisabled; }
    void EnableAlign() override;

    // Lays the union pages over the whole page and places the navigation bar
    // by the query builder's UnionNavBarPos over the current union page's
    // diagram.
    void AlignControls();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TnvSubQuery *FSubQuery;
    QPointer<TnvQueryBuilderPageControl> FPageControl;
    TnvUnionNavBar *FUnionNavBar = nullptr;
    int FAlignDisabled = 0;
    bool FAlignPending = false;
};

class TnvUnionSubQueryTabSheet : public TnvPanel,
                                 public TnvModelControl,
                                 public InvUnionSubQueryControl {
    Q_OBJECT
public:
    TnvUnionSubQueryTabSheet(TnvUnionSubQuery *unionSubQuery, TnvQueryTabSheet *queryPage);
    ~TnvUnionSubQueryTabSheet() override;

    TnvUnionSubQuery *UnionSubQuery() const { return FUnionSubQuery; }
    TnvQueryTabSheet *QueryPage() const { return FQueryPage.data(); }
    TnvQueryBuilderWorkArea *WorkArea() const { return FWorkArea; }
    TnvPanel *DiagramPanel() const { return FDiagramPanel; }
    TnvPanel *ColumnsPane() const { return FColumnsPane; }
    TnvSplitter *Splitter() const { return FSplitter; }

    // InvUnionSubQueryControl
    void UpdateControlVisualParams(TnvQueryBuilderControlOwner *owner) override;
    // The work area's client rectangle, less the room of each scroll bar that
    // is not shown, in this page's coordinates.
    QRect GetUnionNavigatorAlignmentRect() override;
    // The columns pane (parent of the column grid).
    QObject *GetSelectListParent() override;
    // The work area (parent of the boxes and link lines).
    QObject *GetDatasourcesParent() override;

    void SetControlVisible(bool visible) override;
    void BringToFront() override;

protected:
    void AlignControls() override;

private:
    void SplitterDragStarted();
    void SplitterDragging(int dy);
    int PaneHeight() const;

    TnvUnionSubQuery *FUnionSubQuery;
    QPointer<TnvQueryTabSheet> FQueryPage;
    TnvPanel *FDiagramPanel = nullptr;
    TnvQueryBuilderWorkArea *FWorkArea = nullptr;
    TnvSplitter *FSplitter = nullptr;
    TnvPanel *FColumnsPane = nullptr;
    int FDragStartHeight = 0;
};

// Registers the creators of the pages and the union navigation bar's
// controls.
void RegisterPageControls(TnvControlFactory &factory);

} // namespace nvqb
