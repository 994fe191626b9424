#pragma once
// The dialogs of the query builder, reached by the model through the control
// factory's hooks: the property dialogs of links and data sources (whose
// classes the SQL-92 dialect hands out), the Add Object dialog, the
// procedure parameters dialog and the about box.
#include "builder/model/ControlFactory.h"

#include <functional>

class QWidget;

namespace nvqb {

class TnvQBPropertiesForm;

using TnvPropertiesFormCreator = std::function<TnvQBPropertiesForm *(QWidget *parent)>;

// Property dialogs by form class; a later registration replaces an earlier
// one.
void RegisterPropertiesFormClass(TClass formClass, TnvPropertiesFormCreator creator);
// A new dialog of the class (the caller owns it); nil for an unknown class.
TnvQBPropertiesForm *CreatePropertiesForm(TClass formClass, QWidget *parent);

// Runs the property dialog of the class for the node, modally; true when
// the user accepted a change.
bool ShowEditPropsForm(TClass formClass, TnvQueryBuilderControlOwner *node, TPosition position);

// Installs the dialogs in the factory and registers the link and data-source
// dialogs as the dialect's property dialogs.
void RegisterBuilderDialogs(TnvControlFactory &factory);

} // namespace nvqb
