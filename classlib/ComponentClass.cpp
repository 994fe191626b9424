#include "classlib/ComponentClass.h"
#include "classlib/Exceptions.h"

namespace nvqb {

TComponent *CreateComponent(TComponentClass cls, TComponent *owner)
{
    if (!cls)
        throw EClassNotFound(QStringLiteral("Class not found"));
    if (cls->IsAbstract())
        throw EClassNotFound(QStringLiteral("Cannot create an instance of the abstract class %1").arg(cls->ClassName()));
    TComponent *component = cls->Factory(owner);
    try {
        component->AfterConstruction();
    } catch (...) {
        TObject::Free(component);
        throw;
    }
    return component;
}

} // namespace nvqb
