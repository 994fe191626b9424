#pragma once
// Where a dialog opens, by the class library's positions: centred on the
// main window (the dialog's parent window, or the application's active
// window), on the owner, or on the screen. The designed and default
// positions leave the place to the window system.
#include "builder/model/ControlFactory.h"

class QWidget;

namespace nvqb {

void PlaceForm(QWidget *form, TPosition position);

// The window a dialog of the query builder belongs to: the query builder's
// own widget when it is one, else the application's active window; nil
// when there is none.
QWidget *DialogParentOf(TnvQueryBuilderModel *queryBuilder);

} // namespace nvqb
