#include "builder/model/ModelControl.h"

namespace nvqb {

TnvModelControl::~TnvModelControl() = default;

TnvOwnedControl &TnvOwnedControl::operator=(TnvOwnedControl &&other) noexcept
{
    if (this != &other) {
        reset();
        FControl.CopyFrom(other.FControl);
        other.FControl.reset();
    }
    return *this;
}

void TnvOwnedControl::reset(TnvModelControl *control)
{
    TnvModelControl *old = FControl.get();
    FControl.reset();
    delete old;
    if (control)
        FControl.reset(control);
}

} // namespace nvqb
