#pragma once
// The property dialogs that the widget layer offers, by the class of the
// model node each one edits. A dialect hands them out from
// GetEditPropsFormClass: the object model knows neither the nodes' nor the
// dialogs' classes, only their class information, which the widget layer
// registers when the library starts.
#include "classlib/ClassInfo.h"

namespace nvqb {

// A later registration for the same node class replaces the earlier one.
void RegisterEditPropsFormClass(TClass nodeClass, TClass formClass);
void UnregisterEditPropsFormClass(TClass nodeClass);
// The dialog class registered for the node's class or, failing that, for its
// nearest ancestor; nil for nil or when none fits.
TClass FindEditPropsFormClass(const TObject *node);

} // namespace nvqb
