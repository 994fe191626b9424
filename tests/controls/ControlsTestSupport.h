#pragma once
// The widgets of the query builder on the offscreen platform: a shown
// TnvQueryBuilder with the SQL-92 dialect and an offline metadata container
// holding a(id, x), b(id, a_id, y), c(id, b_id), dbo.Customers(CustomerID,
// Name, City) and the relation a.id -> b.a_id; easy access to the pages, the
// work area and the control of any model node; menus recorded instead of
// shown; drags recorded instead of run; screenshots into the build folder.
#include "builder/BuilderTestSupport.h"
#include "builder/controls/PageControl.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/controls/WorkArea.h"
#include "builder/model/QueryBuilderControlOwner.h"

#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QDrag;
class QMenu;
class QHeaderView;

namespace nvqb {
class TnvUnionNavBar;
class TnvUnionOperator;
}

namespace nvqb::test {

// The query builder widget whose popup menus are recorded, not shown: a
// shown QMenu runs a nested loop until the user picks an item.
class TTestWidgetQueryBuilder : public TnvQueryBuilder {
public:
    using TnvQueryBuilder::TnvQueryBuilder;
    int PopupCount = 0;
    QPoint PopupPoint;
    // The captions of the last menu ("-" for separators, "!" before disabled
    // items).
    QStringList PopupCaptions;
    // Shows the control's own QMenu instead of recording the menu.
    bool RealMenus = false;

protected:
    void DoPopupMenu(const QPoint &point) override;
};

// A drag that a widget started, recorded by the fixture's drag runner.
struct TRecordedDrag {
    QPointer<QObject> Source;
    // A copy of the drag's data, naming the same source.
    std::unique_ptr<QMimeData> Data;
};

class ControlsTest : public ::testing::Test {
protected:
    TUnionTestProvider provider;
    TUnionTestProvider *p = &provider;
    // Owned by the test (deleted in TearDown).
    TTestWidgetQueryBuilder *qb = nullptr;
    // Drags started since SetUp, in order.
    std::vector<TRecordedDrag> drags;
    // Messages shown through the error handler.
    QStringList errors;

    void SetUp() override;
    void TearDown() override;

    // Loads the SQL at once and lets the widgets settle.
    void SetSQL(const QString &sql);
    QString SQL() const;
    static void Process();

    TnvSubQuery *CurrentSubQuery() const;
    TnvUnionSubQuery *CurrentUnion() const;
    // The union part of the root query at the textual position.
    TnvUnionSubQuery *Part(qsizetype index) const;
    TnvQueryBuilderPageControl *Pages() const;
    TnvQueryTabSheet *QueryPage(TnvSubQuery *subQuery = nullptr) const;
    TnvUnionSubQueryTabSheet *UnionPage(TnvUnionSubQuery *part = nullptr) const;
    TnvQueryBuilderWorkArea *WorkArea(TnvUnionSubQuery *part = nullptr) const;
    TnvUnionNavBar *NavBar(TnvSubQuery *subQuery = nullptr) const;

    // The control of the node's slot as the widget class T; nil when it has
    // none or another kind.
    template <class T> static T *ControlOf(const TnvQueryBuilderControlOwner *node, int index = 0)
    {
        return node ? dynamic_cast<T *>(node->GetControls(index)) : nullptr;
    }

    // Clicks the item of the last recorded popup menu with the caption.
    void ClickPopupItem(const QString &caption);
    // Opens the operator's menu with a click and chooses the operator of the
    // index (Union, Union All, Except, Intersect); the caption chosen.
    QString ChooseUnionOperator(TnvUnionOperator *op, int index);
    // Sends a drag of Data over Target at the point (Target's coordinates);
    // DragDrop then drops it. Both return whether the target accepted the
    // drag move. The source is the one the data names (TnvDragMimeData).
    // QDrag::exec runs a nested loop, so tests hand the events to the widget
    // themselves.
    static bool DragOver(QWidget *target, const QPoint &point, const QMimeData *data);
    static bool DragDrop(QWidget *target, const QPoint &point, const QMimeData *data);
    // Presses at Start on the widget and moves far enough for it to start a
    // drag; the data of the drag it started (recorded), nil when none.
    const QMimeData *DragFrom(QWidget *widget, const QPoint &start);
    // Drags the row From of a grid by its row indicator (the vertical
    // header) onto the row To, as a mouse does; false when either row is out
    // of view.
    static bool DragByIndicator(QHeaderView *indicator, int from, int to);

    // A click at a point of the widget, delivered through its window as the
    // platform delivers one: masks and stacking decide which widget gets it,
    // and a right button brings the context-menu event that follows it.
    static void WindowClick(QWidget *widget, const QPoint &point, Qt::MouseButton button = Qt::LeftButton);
    // grab() of the widget, saved as <name>.png in the screenshot folder.
    static QImage Shot(QWidget *widget, const QString &name);
};

// Runs Open and answers every popup menu that opens meanwhile, as a user
// would: QMenu::exec runs a nested loop, so a timer inside it finds the
// open popup, records its captions ("-" for separators), and clicks the
// action that Choose picks (the menu and its index among the menus opened
// so far); no action closes the menu and the menus it opened from. The
// captions of each menu, in order.
QList<QStringList> AnswerPopups(const std::function<void()> &open,
                                const std::function<QAction *(QMenu *menu, int index)> &choose);
// The action of the menu with the caption; nil when none.
QAction *MenuAction(const QMenu *menu, const QString &caption);
// Shows the widget's window and waits until it is the active window, so
// that focus, focus-out and context-menu events reach the widgets as they
// reach a user's.
bool ActivateWindow(QWidget *widget);

// The widget that started a drag (as the builder's drag data names it).
QObject *DragSource(QDrag *drag);

// The colour of a pixel without alpha, for readable comparisons.
std::string Rgb(const QImage &image, int x, int y);
std::string Rgb(const QColor &color);

} // namespace nvqb::test
