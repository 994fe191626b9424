#include "classlib/ClassInfo.h"

namespace nvqb {

TObject::~TObject() = default;

TClass TObject::StaticClassType()
{
    static const TClassInfo info{"TObject", nullptr};
    return &info;
}

TClass TObject::ClassType() const { return StaticClassType(); }

void TObject::Free(TObject *object)
{
    if (!object)
        return;
    object->BeforeDestruction();
    delete object;
}

} // namespace nvqb
