#pragma once
// The place and size of a control on the surface that holds it, for the
// model nodes that keep them while no control exists (a data source keeps
// its box's bounds, so a layout can be applied before the box is made). A
// control that the model may move offers this interface beside its others.
#include <QRect>

namespace nvqb {

class InvControlBounds {
public:
    virtual QRect GetControlBounds() = 0;
    // Moves and sizes the control; the control may adjust what it is given
    // (snapping, minimum sizes), so the caller reads the bounds back.
    virtual void SetControlBounds(const QRect &bounds) = 0;

protected:
    ~InvControlBounds() = default;
};

} // namespace nvqb
