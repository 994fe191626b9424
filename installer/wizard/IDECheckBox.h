#pragma once
// The check box of one IDE on the IDE page. A click steps through the
// states unchecked, checked and (for a box that allows it) grayed, in this
// order: from grayed ("leave as it is") one click unchecks the box.
#include <QCheckBox>

namespace nvqb {

class TIDECheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

} // namespace nvqb
