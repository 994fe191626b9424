#pragma once
// The union navigation bar of a sub-query's page: one row of small controls,
// a button per union part, an operator mark between neighbours and a pair of
// brackets around each bracketed group. The buttons switch the union part
// shown; dragging buttons and brackets onto each other reorders the parts
// and moves the brackets; the operator mark's menu changes the operator.
// The model nodes make these controls (a union part: button and operator; a
// group: left and right bracket and operator); the bar lays them out.
#include "builder/controls/Panel.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/ModelControl.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QToolButton>

namespace nvqb {

class TnvQueryBase;
class TnvQueryTabSheet;
class TnvUnionGroup;
class TnvUnionSubQuery;

// The MIME type of a union button or bracket being dragged along the bar; the
// control itself is the drag's source.
inline constexpr char UnionMemberMimeType[] = "application/x-nvqb-union-member";

class TnvUnionNavBar : public TnvPanel {
    Q_OBJECT
public:
    static constexpr int BarHeight = 24;

    explicit TnvUnionNavBar(TnvQueryTabSheet *page);
    ~TnvUnionNavBar() override;

    TnvQueryTabSheet *GetQueryTabSheet() const { return FPage; }

    // The model nodes in display order: a union part once; a nested group,
    // then its members recursively, then the group again.
    static void BuildList(QList<TnvQueryBase *> &list, TnvUnionGroup *group);
    // For each member: its operator control, then its button; for a group
    // its operator, left bracket, the group's controls and its right bracket.
    static void BuildControlsList(QList<QWidget *> &list, TnvUnionGroup *group);
    // The two positions of the group in a BuildList list (-1 when absent).
    static void FindQueryBounds(const QList<TnvQueryBase *> &list, const TnvUnionGroup *group, qsizetype &first,
                                qsizetype &last);
    // 4 plus the widths of the visible controls.
    int CalcWidth() const;

    // Updates the operators and places the controls from left to right.
    void AlignControls() override;
    // Lays the page out again once the events in hand are done: a control of
    // the bar came, went, showed or hid outside a model operation that
    // realigns the page itself (a sub-query's controls are made all at once).
    void RequestAlign();

protected:
    void childEvent(QChildEvent *event) override;

private:
    TnvQueryTabSheet *FPage;
    bool FAligning = false;
    bool FAlignPosted = false;
};

// One union part. Exactly one button of a bar is down: the current part's.
class TnvUnionButton : public QToolButton, public TnvModelControl, public InvUnionSubQueryNavButtonControl {
    Q_OBJECT
public:
    TnvUnionButton(TnvUnionSubQuery *unionSubQuery, TnvUnionNavBar *bar);
    ~TnvUnionButton() override;

    TnvUnionSubQuery *UnionSubQuery() const { return FUnionSubQuery; }

    void SetDown(bool down) override;
    void SetControlVisible(bool visible) override;

    // The union part becomes the one shown on the page.
    void Click();
    // Opens the union part's property dialog.
    void DblClick();

    // Whether the dragged bar control may be dropped here, and the drop.
    bool CanDrop(QObject *source) const;
    void Drop(QObject *source);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    static constexpr int NoPress = -10;

    TnvUnionSubQuery *FUnionSubQuery;
    QPoint FPressPoint{NoPress, NoPress};
};

// The operator between a member and the one before it.
class TnvUnionOperator : public QWidget, public TnvModelControl, public InvUnionOperatorControl {
    Q_OBJECT
public:
    TnvUnionOperator(TnvQueryBase *member, TnvUnionNavBar *bar);
    ~TnvUnionOperator() override;

    TnvQueryBase *Member() const { return FMember; }

    // Empty text means "union".
    void SetUnionOperator(const QString &text) override;
    void SetAll(bool all) override;
    void SetControlVisible(bool visible) override;

    QString UnionOperator() const { return FOperator; }
    bool All() const { return FAll; }
    // The operator's first letter in lower case, and "a" with ALL ("ua").
    QString Caption() const;
    // The operator in lower case, and " all" with ALL ("union all").
    QString Hint() const;
    // The operator as the dialect's menu writes it ("UNION ALL").
    QString PlainOperator() const;
    void UpdateContent();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void ShowMenu(const QPoint &globalPoint);

    TnvQueryBase *FMember;
    QString FOperator = QStringLiteral("union");
    bool FAll = false;
};

// A bracket of a group: "(" or ")". Both follow one rule, mirrored by the
// side they stand on.
class TnvBracket : public QLabel, public TnvModelControl {
    Q_OBJECT
public:
    // Left: the opening bracket.
    TnvBracket(TnvUnionGroup *group, TnvUnionNavBar *bar, bool left);
    ~TnvBracket() override;

    TnvUnionGroup *Group() const { return FGroup; }
    bool IsLeft() const { return FLeft; }
    void SetControlVisible(bool visible) override;

    // Dropping a union button or a bracket on this bracket.
    bool CanDrop(QObject *source) const;
    void Drop(QObject *source);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // The group's menu for this bracket.
    bool BuildPopupMenu();

    TnvUnionGroup *FGroup;
    bool FLeft;
    QPoint FPressPoint;
    bool FPressed = false;
};

class TnvLeftBracket : public TnvBracket {
    Q_OBJECT
public:
    TnvLeftBracket(TnvUnionGroup *group, TnvUnionNavBar *bar) : TnvBracket(group, bar, true) {}
};

class TnvRightBracket : public TnvBracket {
    Q_OBJECT
public:
    TnvRightBracket(TnvUnionGroup *group, TnvUnionNavBar *bar) : TnvBracket(group, bar, false) {}
};

// Starts dragging a bar control (button or bracket) once the left button has
// moved more than 4 pixels from the press point, horizontally or vertically.
bool UnionDragThresholdPassed(const QPoint &press, const QPoint &now);

} // namespace nvqb
