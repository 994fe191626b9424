#include "installer/platform/SetupError.h"

#include <cerrno>
#include <cstring>

namespace nvqb {

ESetupError::ESetupError(QString message)
    : FMessage(std::move(message)), FWhat(FMessage.toStdString())
{
}

ESetupError::~ESetupError() = default;

EOSError::EOSError(const QString &action, int errorCode)
    : ESetupError(QStringLiteral("%1: %2").arg(action, OSErrorText(errorCode))),
      FErrorCode(errorCode)
{
}

void RaiseLastOSError(const QString &action)
{
    throw EOSError(action, errno);
}

QString OSErrorText(int errorCode)
{
    return QString::fromLocal8Bit(std::strerror(errorCode));
}

QString LastOSErrorText()
{
    return OSErrorText(errno);
}

} // namespace nvqb
