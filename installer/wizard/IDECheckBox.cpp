#include "installer/wizard/IDECheckBox.h"

namespace nvqb {

void TIDECheckBox::nextCheckState()
{
    switch (checkState()) {
    case Qt::Unchecked: setCheckState(Qt::Checked); break;
    case Qt::Checked: setCheckState(isTristate() ? Qt::PartiallyChecked : Qt::Unchecked); break;
    case Qt::PartiallyChecked: setCheckState(Qt::Unchecked); break;
    }
}

} // namespace nvqb
