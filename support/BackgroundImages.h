#pragma once
// The three built-in background images of the diagram, each the run-length
// coding (RLEDecode) of a 450 x 350 Windows BMP file at 8 bits per pixel.
#include <QByteArray>

namespace nvqb {

QByteArray nvQBBgWhite();
QByteArray nvQBBgLight();
QByteArray nvQBBgDark();

} // namespace nvqb
