#pragma once

// The commands of the menus, the toolbar and the popup menus, with the ids they are known by.
// The frame routes each to the part of the program that handles it.
enum class Command {
    None = 0,  // a menu separator
    Exit = 57665,
    DeletePicture = 32778,
    DeleteFolder = 32779,
    ToggleTreePane = 32774,
    Download = 32780,
    ChooseDownloadFolder = 32782,
    ToggleTips = 32809,
    Help = 32783,
    CheckVersion = 32784,
    About = 57664,
    RefreshTreeFolder = 32792,  // the tree's popup menu
    DeleteTreeFolder = 32791,
    RefreshView = 59395,  // the view's popup menu
    DeleteViewPicture = 32788,
    FitToWindow = 32900,  // the view's scale and the full screen
    ZoomIn = 32901,
    ZoomOut = 32902,
    ActualSize = 32903,
    FullScreen = 32904,
};
