#pragma once

#include <QKeySequence>
#include <QString>
#include <array>
#include <vector>

class QIcon;
class QImage;
class QPixmap;

// Menu 128, the toolbar, the string table and accelerator table 128 of the main frame.
struct MenuItemResource {
    QString text;
    int id = 0;  // 0: a separator
};
struct MenuPopupResource {
    QString title;
    std::vector<MenuItemResource> items;
};

const std::vector<MenuPopupResource> &FrameMenuResource();

// Toolbar 128: its buttons' command ids, left to right, and their 39 x 50 images, drawn at the
// screen's pixel ratio.
inline constexpr int kToolbarImageWidth = 39;
inline constexpr int kToolbarImageHeight = 50;
const std::array<int, 4> &ToolbarButtonIds();
QIcon ToolbarIcon(int buttonIndex);

// The status-bar prompt of a command (string table); empty for commands without a string.
QString CommandPrompt(int id);

// Accelerator table 128: keys that the frame swallows without effect.
const std::vector<QKeyCombination> &SwallowedAcceleratorKeys();

// Icon 128 of the frame, drawn at every size it is shown at (16 x 16 to 128 x 128 offered).
QIcon FrameIcon();
// The same drawing at `size` x `size` pixels, for the installed icon theme files.
QImage FrameIconImage(int size);
