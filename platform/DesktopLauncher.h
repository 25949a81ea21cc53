#pragma once

#include <QString>

// The desktop entry "Lumora1.00.desktop" that starts the program in its working folder: the
// program's own folder, or the per-user folder of the installed program.
inline constexpr char kLauncherFileName[] = "Lumora1.00.desktop";

// The user's desktop folder; empty when the platform names none.
QString DesktopFolder();

// Writes the launcher into `desktopFolder` for `programPath`, starting it in `workingFolder`
// (empty: the program's folder), and marks it executable. Returns whether the file was written.
bool CreateDesktopLauncher(const QString &programPath, const QString &desktopFolder,
                           const QString &workingFolder = QString());
