#pragma once

#include <QString>

// How a run of lumora-fetch ended: its exit code and the line that says what came of it.
struct FetchEnd {
    int exitCode = 0;
    QString line;
};

// Exit codes.
inline constexpr int kFetchDone = 0;
inline constexpr int kFetchNoConnection = 2;
inline constexpr int kFetchNoTasks = 3;
inline constexpr int kFetchNoRoot = 4;
inline constexpr int kFetchNotAllSaved = 5;
inline constexpr int kFetchUsage = 64;  // EX_USAGE

// The desktop notification of a run's end: how many pictures arrived, or why none did.
struct DesktopNote {
    QString summary;
    QString body;
};
DesktopNote NotificationFor(const FetchEnd &end);

// Shows `note` through the desktop's notification service on the session bus. False when there
// is no session bus or no service answered; nothing else happens then.
bool ShowDesktopNotification(const DesktopNote &note);
