#pragma once

// Qt aborts the process when it cannot open the display. While a StartupGuard lives, Qt's
// messages are held back, and a fatal one ends the program with exit code 0 (the main window
// could not be created) and one line on stderr; when the guard goes, the held messages are
// passed on as usual.
class StartupGuard {
public:
    StartupGuard();
    ~StartupGuard();
    StartupGuard(const StartupGuard &) = delete;
    StartupGuard &operator=(const StartupGuard &) = delete;
};

// The one line for a frame that cannot be created, on stderr.
void ReportNoMainWindow(const char *reason);
