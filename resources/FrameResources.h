#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <array>
#include <vector>

#include "resources/Commands.h"

class QIcon;
class QImage;
class QPixmap;

// The main frame's menu, toolbar, prompts and swallowed keys.
struct MenuItemResource {
    QString text;
    Command command = Command::None;  // None: a separator
};
struct MenuPopupResource {
    QString title;
    std::vector<MenuItemResource> items;
};

const std::vector<MenuPopupResource> &FrameMenuResource();

// The toolbar: its buttons' commands, left to right, and their 39 x 50 images, drawn at the
// screen's pixel ratio.
inline constexpr int kToolbarImageWidth = 39;
inline constexpr int kToolbarImageHeight = 50;
const std::array<Command, 4> &ToolbarCommands();
QIcon ToolbarIcon(int buttonIndex);

// The status-bar prompt of a command; empty for commands without one.
QString CommandPrompt(Command command);

// The keys of a menu command, the first of them shown in the menu; single keys that the folder
// tree takes for itself work only while the picture view has the keyboard focus.
struct CommandKeys {
    QList<QKeySequence> keys;
    bool viewOnly = false;
};
CommandKeys CommandShortcuts(Command command);

// Keys that the frame swallows without effect.
const std::vector<QKeyCombination> &SwallowedAcceleratorKeys();

// The frame's icon, drawn at every size it is shown at (16 x 16 to 128 x 128 offered).
QIcon FrameIcon();
// The same drawing at `size` x `size` pixels, for the installed icon theme files.
QImage FrameIconImage(int size);
