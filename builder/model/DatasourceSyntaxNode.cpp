#include "builder/model/SelectItem.h"

namespace nvqb {

// The FROM group of this model keeps its clause whole and makes no data
// sources, so no data source stands for a FROM source yet.
TSQLFromSource *GetDatasourceSyntaxNode(TnvDatasourceBase *) { return nullptr; }

} // namespace nvqb
