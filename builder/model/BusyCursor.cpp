#include "builder/model/BusyCursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace nvqb {

namespace {
int BusyLevel = 0;
// Whether the first entry did set an override cursor, so that the last exit
// restores exactly what it set even if the application came or went between.
bool CursorOverridden = false;

bool HasGuiApplication() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }
} // namespace

void nvBeginBusyCursor()
{
    if (BusyLevel++ > 0)
        return;
    CursorOverridden = HasGuiApplication();
    if (CursorOverridden)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void nvEndBusyCursor()
{
    if (BusyLevel <= 0)
        return;
    if (--BusyLevel > 0)
        return;
    if (CursorOverridden && HasGuiApplication())
        QGuiApplication::restoreOverrideCursor();
    CursorOverridden = false;
}

int nvBusyCursorLevel() { return BusyLevel; }

} // namespace nvqb
