#pragma once
// What a user sees of an error that a host application did not take itself:
// a message box over the window that raised it.
#include <QString>

namespace nvqb {

// Opens a message box with the message over the active window and returns at
// once: the error may come from inside a paint, a drag or a model update, where
// a nested event loop would run the application's events half way through.
void ShowErrorMessageBox(const QString &message);

// Makes the message box the error handler used while a host installs none.
void InstallErrorMessageBox();
void UninstallErrorMessageBox();

} // namespace nvqb
