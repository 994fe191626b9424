#pragma once
// The model-to-control interfaces: everything a model node tells the control
// that shows it, and asks of it. A control implements the interfaces of its
// kind; the node finds them with dynamic_cast on the control it owns and
// does without when a control lacks one (or when no control exists, as in a
// query builder that is never shown). The interfaces that extend InvControl
// share it, so a control may offer several of them.
#include <QList>
#include <QRect>
#include <QString>

class QObject;

namespace nvqb {

class TnvQueryBuilderControlOwner;
class TSQLQualifiedName;

// Colours, fonts and borders follow the query builder's settings.
class InvControl {
public:
    virtual void UpdateControlVisualParams(TnvQueryBuilderControlOwner *owner) = 0;

protected:
    ~InvControl() = default;
};

// A control with a state of its own (a box's place, a page's splitter) keeps
// it in its node while it does not exist: saved before the control is freed,
// restored after it is created.
class InvStateSaver {
public:
    virtual void SaveState(TnvQueryBuilderControlOwner *owner) = 0;
    virtual void RestoreState(TnvQueryBuilderControlOwner *owner) = 0;

protected:
    ~InvStateSaver() = default;
};

// The page of a sub-query.
class InvSubQueryControl : public virtual InvControl {
public:
    // The bar of union buttons on the page (parent of the buttons, operators
    // and brackets).
    virtual QObject *GetUnionNavBar() = 0;
    // Shows this page in front of the other sub-queries' pages.
    virtual void Activate() = 0;
    virtual void SetCaption(const QString &caption) = 0;

protected:
    ~InvSubQueryControl() = default;
};

// The page of one union part: the diagram above the column grid.
class InvUnionSubQueryControl : public virtual InvControl {
public:
    virtual QRect GetUnionNavigatorAlignmentRect() = 0;
    virtual QObject *GetSelectListParent() = 0;
    virtual QObject *GetDatasourcesParent() = 0;

protected:
    ~InvUnionSubQueryControl() = default;
};

// The mark of a union operator between two union members.
class InvUnionOperatorControl {
public:
    // Empty text means "union".
    virtual void SetUnionOperator(const QString &text) = 0;
    virtual void SetAll(bool all) = 0;

protected:
    ~InvUnionOperatorControl() = default;
};

// The button of one union part in the navigation bar; exactly one is down.
class InvUnionSubQueryNavButtonControl {
public:
    virtual void SetDown(bool down) = 0;

protected:
    ~InvUnionSubQueryNavButtonControl() = default;
};

// The box of a data source.
class InvDatasourceControl : public virtual InvControl {
public:
    virtual void ReloadFieldsList() = 0;
    // The fields whose check marks are set; a nil entry is the "*" row.
    virtual void UpdateChecksOnFields(const QList<const TSQLQualifiedName *> &checked) = 0;
    virtual QString GetCaption() = 0;
    virtual void SetCaption(const QString &caption) = 0;
    // The field's row in the box's client coordinates; empty when not shown.
    virtual QRect CalcFieldRect(const TSQLQualifiedName *field) = 0;
    virtual void SetOptimalHeight() = 0;

protected:
    ~InvDatasourceControl() = default;
};

// The line of a link.
class InvLinkControl {
public:
    // Recomputes the ends and bounds from the boxes and repaints.
    virtual void AlignLink() = 0;
    virtual void InvalidateLink() = 0;

protected:
    ~InvLinkControl() = default;
};

// The column grid of a select list; rows and columns count from 0 for the
// first select-list row and the first data column.
class InvSelectListControl {
public:
    virtual int GetCurrentCol() = 0;
    virtual void SetCurrentCol(int col) = 0;
    virtual int GetCurrentRow() = 0;
    virtual void SetCurrentRow(int row) = 0;
    virtual void FillList() = 0;

protected:
    ~InvSelectListControl() = default;
};

} // namespace nvqb
