#include "classlib/Exceptions.h"

namespace nvqb {

Exception::Exception(QString message) : FMessage(std::move(message)), FWhat(FMessage.toStdString()) {}

Exception::~Exception() = default;

void Exception::SetMessage(const QString &message)
{
    FMessage = message;
    FWhat = message.toStdString();
}

void ListIndexError(qsizetype index)
{
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

} // namespace nvqb
