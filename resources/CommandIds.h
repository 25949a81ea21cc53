#pragma once

// Command identifiers shared by the menus, the toolbar, the popup menus and the frame's routing.
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_EDIT_DELETE_PICTURE = 32778;
inline constexpr int ID_EDIT_DELETE_FOLDER = 32779;
inline constexpr int ID_VIEW_TREEPANE = 32774;
inline constexpr int ID_ACTION_DOWNLOAD = 32780;
inline constexpr int ID_SETTINGS_DOWNLOAD_FOLDER = 32782;
inline constexpr int ID_SETTINGS_SHOW_TIPS = 32809;
inline constexpr int ID_HELP_CONTENTS = 32783;
inline constexpr int ID_HELP_CHECK_VERSION = 32784;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_TREE_REFRESH = 32792;
inline constexpr int ID_TREE_DELETE = 32791;
inline constexpr int ID_VIEW_REFRESH = 59395;
inline constexpr int ID_VIEW_DELETE = 32788;

// Flags of EnableFrameMenuItem.
inline constexpr int MF_ENABLED = 0;
inline constexpr int MF_GRAYED = 1;

// Frame timers.
inline constexpr int kProgressTimerMs = 2000;  // timer 1
inline constexpr int kUpdateTimerMs = 20000;   // timer 2
