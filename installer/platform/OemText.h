#pragma once
// Console programs write in the OEM code page; the installer shows their output
// as text. OemToAnsi is the conversion of both runners.
#include <QByteArray>
#include <QString>

namespace nvqb {

// Decodes 8-bit console output in the given OEM code page (850 when the code
// page has no converter here).
QString OemToAnsi(const QByteArray &text, int codePage = 850);

} // namespace nvqb
