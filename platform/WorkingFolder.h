#pragma once

#include <QString>

// Settings, update files and help.html are relative to the working folder. The installed program
// cannot write beside its binary: wherever it is started from, it works in a per-user folder. The
// program run from its build folder keeps the folder it was started in.

// Where the program runs from and where it was started.
struct StartLocation {
    QString programFolder;
    QString currentFolder;
    QString home;
    QString xdgDataHome;  // $XDG_DATA_HOME, empty when unset
};

// This process's start location, the folders made canonical.
StartLocation ThisProcessStart();

// $XDG_DATA_HOME/lumora, or ~/.local/share/lumora when it is unset or not absolute.
QString UserDataFolder(const StartLocation &start);

// Whether the program runs from the folder the program is installed into.
bool IsInstalledProgram(const StartLocation &start, const QString &installedBinFolder);

// The per-user folder for the installed program; empty when the program keeps its current
// folder.
QString UserFolderToEnter(const StartLocation &start, const QString &installedBinFolder);

// The working folder of a desktop launcher: the per-user folder for the installed program, the
// program's own folder otherwise.
QString LauncherFolderFor(const StartLocation &start, const QString &installedBinFolder);

// Creates `folder` with its config/ folder and links help.html to `helpDocument` (a link that
// points elsewhere is replaced, a file of the user's own is kept). Returns whether the folder
// exists afterwards.
bool PrepareUserFolder(const QString &folder, const QString &helpDocument);

// Applies the rule to this process: prepares the per-user folder and makes it current.
void EnterWorkingFolder();

// The same rule for a program that only reads the folder (the headless download): it makes the
// per-user folder current only when it exists, and creates nothing.
void EnterExistingWorkingFolder();

// Whether this process is the installed program.
bool IsInstalledProgram();

// The launcher folder for this process, prepared when it is the per-user folder.
QString LauncherFolder();
