#include "classlib/Persistent.h"
#include "classlib/Exceptions.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TPersistent, TObject)

void TPersistent::Assign(const TPersistent *source)
{
    if (source)
        source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent *dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent *source) const
{
    QString sourceName = source ? source->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(sourceName, ClassName()));
}

} // namespace nvqb
