#include "sqlmodel/ast/TrackedReference.h"

namespace nvqb {

void TnvRefTarget::ClearTrackedReferences()
{
    while (FFirstRef)
        FFirstRef->Unlink();
}

void TnvTrackedRefBase::Link(TnvRefTarget *target, void *object)
{
    if (target == FTarget && object == FObject)
        return;
    Unlink();
    if (!target || !object)
        return;
    FTarget = target;
    FObject = object;
    FNext = target->FFirstRef;
    if (FNext)
        FNext->FPrev = this;
    target->FFirstRef = this;
}

void TnvTrackedRefBase::Unlink()
{
    if (FTarget) {
        if (FPrev)
            FPrev->FNext = FNext;
        else
            FTarget->FFirstRef = FNext;
        if (FNext)
            FNext->FPrev = FPrev;
    }
    FTarget = nullptr;
    FObject = nullptr;
    FPrev = nullptr;
    FNext = nullptr;
}

} // namespace nvqb
