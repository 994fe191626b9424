#include "installer/Version.h"
#include "installer/platform/SetupError.h"

#include <QRegularExpression>

namespace nvqb {

TVersion::TVersion(const QString &text) : FText(text.trimmed())
{
    if (FText.isEmpty())
        throw ESetupError(QStringLiteral("Bad version string"));
    static const QRegularExpression number(QStringLiteral("\\d+\\.\\d+\\.\\d+(\\.\\d+)?"));
    FNumber = number.match(FText).captured(0);
}

} // namespace nvqb
