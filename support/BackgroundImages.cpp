// The built-in background images stay run-length coded in the resources, so
// every use goes through RLEDecode as the picture's only decoding path.
#include "support/BackgroundImages.h"

#include <QFile>

namespace nvqb {

namespace {
QByteArray ReadImageResource(const char *name)
{
    QFile file(QStringLiteral(":/nvqb/background/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
} // namespace

QByteArray nvQBBgWhite()
{
    static const QByteArray data = ReadImageResource("BgWhite.rle");
    return data;
}

QByteArray nvQBBgLight()
{
    static const QByteArray data = ReadImageResource("BgLight.rle");
    return data;
}

QByteArray nvQBBgDark()
{
    static const QByteArray data = ReadImageResource("BgDark.rle");
    return data;
}

} // namespace nvqb
