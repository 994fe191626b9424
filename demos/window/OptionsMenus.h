#pragma once
// The demo's option menus over a query builder: the language of the
// library's texts, the link painter style, and every display option the
// control publishes as a Qt property.
class QMenu;

namespace nvqb {

class TnvQueryBuilder;

// "(built-in texts)" and one item per language of the language manager.
void FillLanguageMenu(QMenu *menu);
// One item per registered link painter style.
void FillLinkPainterMenu(QMenu *menu, TnvQueryBuilder *queryBuilder);
// The control's published options other than the SQL, the metadata and the
// painter: switches for yes/no options, a submenu for each choice among
// names, and a dialog for numbers, colours, fonts and the background image.
void FillDisplayOptionsMenu(QMenu *menu, TnvQueryBuilder *queryBuilder);

} // namespace nvqb
