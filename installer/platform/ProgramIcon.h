#pragma once
// The icon of a program file, as the pages show it beside an IDE's name.
// Programs on the machine carry no icon resources: the desktop's icon for
// the file's type stands in, else the style's computer icon.
#include <QIcon>
#include <QString>

namespace nvqb {

QIcon ProgramIcon(const QString &programFile);

} // namespace nvqb
