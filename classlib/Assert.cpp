#include "classlib/Assert.h"

namespace nvqb {

void AssertionFailure(const char *unit, const char *message, std::source_location where)
{
    // The class library's form: "<message> (<unit>, line <n>)".
    throw EAssertionFailed(QStringLiteral("%1 (%2, line %3)")
                               .arg(QString::fromUtf8(message), QString::fromUtf8(unit))
                               .arg(where.line()));
}

} // namespace nvqb
