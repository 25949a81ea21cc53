#pragma once

#include <QString>

// The desktop entry "Lumora1.00.desktop" that starts the program with its own folder as the
// working directory.
inline constexpr char kLauncherFileName[] = "Lumora1.00.desktop";

// The user's desktop folder; empty when the platform names none.
QString DesktopFolder();

// Writes the launcher into `desktopFolder` for `programPath` and marks it executable.
// Returns whether the file was written.
bool CreateDesktopLauncher(const QString &programPath, const QString &desktopFolder);
