#pragma once
// Popup menus as data. The model builds every context menu afresh in the
// query builder's one popup menu: items with a caption, state, a handler and
// the object the handler works on. The widget layer shows such a menu and
// runs the chosen item; tests read and click it without showing anything.
#include "classlib/ClassInfo.h"
#include "classlib/Method.h"
#include "sqlmodel/ast/TrackedReference.h"

#include <QString>
#include <vector>

namespace nvqb {

class TnvMenuItemData : public TObject {
    NV_DECLARE_CLASS(TnvMenuItemData)
public:
    TnvMenuItemData() = default;
    ~TnvMenuItemData() override;

    const QString &Caption() const { return FCaption; }
    // "-" is a separator.
    bool IsSeparator() const { return FCaption == u"-"; }
    int Data() const { return FData; }
    bool Enabled() const { return FEnabled; }
    bool Checked() const { return FChecked; }
    // The default item (shown bold, run by a double click).
    bool IsDefault() const { return FDefault; }
    const TNotifyEvent &Handler() const { return FHandler; }
    // The object the handler works on; nil once that model node was freed.
    TObject *Sender() const;
    TnvMenuItemData *Parent() const { return FParent; }

    qsizetype Count() const { return qsizetype(FItems.size()); }
    TnvMenuItemData *Items(qsizetype index) const;
    // A new item at the end of this one's sub-items.
    TnvMenuItemData *Add(const QString &caption, int data, bool enabled, bool checked, bool isDefault,
                         TNotifyEvent handler, TObject *sender);
    void Clear();
    // The first sub-item of that caption, nil when none.
    TnvMenuItemData *Find(const QString &caption) const;

    // Runs the handler with this item as Sender. A separator, a disabled
    // item, an item without handler or one whose sender node has gone does
    // nothing. Exceptions reach the caller.
    void Click();

private:
    QString FCaption;
    int FData = 0;
    bool FEnabled = true;
    bool FChecked = false;
    bool FDefault = false;
    TNotifyEvent FHandler;
    TObject *FSender = nullptr;
    // Set when the sender can be tracked (a model node), so a menu kept open
    // across a change of the model cannot reach a freed node.
    TnvTrackedRef<TnvRefTarget> FSenderGuard;
    bool FSenderTracked = false;
    TnvMenuItemData *FParent = nullptr;
    std::vector<TOwned<TnvMenuItemData>> FItems;
};

} // namespace nvqb
