#pragma once
#include "classlib/ClassInfo.h"

namespace nvqb {

// An object that can copy its state from another one of a compatible class.
class TPersistent : public TObject {
    NV_DECLARE_CLASS(TPersistent)
public:
    // Copies Source into this object. The base hands the work to Source's
    // AssignTo, which raises EConvertError ("Cannot assign a X to a Y") when no
    // class knows how to copy the pair.
    virtual void Assign(const TPersistent *source);

protected:
    virtual void AssignTo(TPersistent *dest) const;
    [[noreturn]] void AssignError(const TPersistent *source) const;
};

} // namespace nvqb
