#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>

#include "resources/FrameResources.h"

// The picture view's cursors, which tell where a click steps, drawn at start-up: yellow
// triangles on transparent.
enum class StepCursor {
    NextPicture = 201,      // one triangle pointing right
    PreviousGroup = 202,    // two triangles pointing left
    PreviousPicture = 203,  // one triangle pointing left
    NextGroup = 204,        // two triangles pointing right
};

inline constexpr int kViewCursorSize = 32;
inline constexpr QRgb kViewCursorColour = 0xFFF8E907;  // RGB 248, 233, 7

// The 32 x 32 ARGB picture of a cursor.
QImage ViewCursorImage(StepCursor cursor);
QPoint ViewCursorHotSpot(StepCursor cursor);
QCursor ViewCursor(StepCursor cursor);

// The view's popup menu "菜单" with "刷新" and "删除".
const MenuPopupResource &ViewPopupMenuResource();
