#include "installer/platform/OemText.h"

#include <QStringDecoder>

namespace nvqb {

QString OemToAnsi(const QByteArray &text, int codePage)
{
    if (text.isEmpty())
        return QString();
    QStringDecoder decoder(QByteArray("IBM") + QByteArray::number(codePage), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        decoder = QStringDecoder("IBM850", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(text);
    return decoder.decode(text);
}

} // namespace nvqb
