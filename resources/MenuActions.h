#pragma once

class QAction;
class QWidget;

// Every QAction carries its command id in the property "commandId"; the frame menu's own
// actions also carry "frameMenu" = true, so that the toolbar's actions stay apart from them.
inline constexpr char kCommandIdProperty[] = "commandId";
inline constexpr char kFrameMenuProperty[] = "frameMenu";

// The frame menu's action with `id` in the top-level window of `widget`, or null.
QAction *FindFrameMenuAction(const QWidget *widget, int id);

// Whether a download runs: the frame menu's download item is greyed.
bool IsDownloadRunning(const QWidget *widget);
