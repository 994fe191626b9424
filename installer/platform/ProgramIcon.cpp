#include "installer/platform/ProgramIcon.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStyle>

namespace nvqb {

QIcon ProgramIcon(const QString &programFile)
{
    const QIcon icon = QFileIconProvider().icon(QFileInfo(programFile));
    if (!icon.isNull() && !icon.availableSizes().isEmpty())
        return icon;
    return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

} // namespace nvqb
