#pragma once
// A visual control as the query model sees it. Model nodes own the controls
// that show them (a page, a union button, a box), create them through the
// control factory and free them again, but never know their widget classes:
// they reach a control through this base, which offers what every control
// does (visibility, front, alignment), and through the model-to-control
// interfaces it implements (ControlInterfaces.h), found by dynamic_cast.
//
// A widget control derives from its Qt widget class first, then from this
// base and the interfaces it offers.
#include "sqlmodel/ast/TrackedReference.h"

namespace nvqb {

class TnvModelControl : public TnvRefTarget {
public:
    TnvModelControl() = default;
    virtual ~TnvModelControl();

    virtual void SetControlVisible(bool visible) = 0;
    virtual void BringToFront() {}
    // Lays out the control's children again (a union navigation bar, a page).
    virtual void Realign() {}
    // Suspend and resume the layout of the children while many change.
    virtual void DisableAlign() {}
    virtual void EnableAlign() {}

    // Set when the model starts to destroy the controls of a subtree, so that
    // no control reacts to its siblings going.
    void MarkDestroying() { FDestroying = true; }
    bool IsControlDestroying() const { return FDestroying; }

private:
    bool FDestroying = false;
};

// The owning slot of one control. The model frees the control; when the
// widget layer has already deleted it (a Qt parent going first), the slot
// reads nil instead of deleting it twice.
class TnvOwnedControl {
public:
    TnvOwnedControl() = default;
    explicit TnvOwnedControl(TnvModelControl *control) { FControl.reset(control); }
    TnvOwnedControl(TnvOwnedControl &&other) noexcept { *this = std::move(other); }
    TnvOwnedControl &operator=(TnvOwnedControl &&other) noexcept;
    ~TnvOwnedControl() { reset(); }

    TnvModelControl *get() const { return FControl.get(); }
    explicit operator bool() const { return bool(FControl); }
    // Frees the control held (if it still exists) and holds Control instead.
    void reset(TnvModelControl *control = nullptr);

private:
    TnvTrackedRef<TnvModelControl> FControl;
};

} // namespace nvqb
