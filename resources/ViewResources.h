#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>

#include "resources/FrameResources.h"

// Cursors 201 to 204 of the picture view, drawn at start-up: yellow triangles on transparent.
inline constexpr int IDC_CUR_NEXT_PICTURE = 201;  // one triangle pointing right
inline constexpr int IDC_CUR_PREV_GROUP = 202;    // two triangles pointing left
inline constexpr int IDC_CUR_PREV_PICTURE = 203;  // one triangle pointing left
inline constexpr int IDC_CUR_NEXT_GROUP = 204;    // two triangles pointing right

inline constexpr int kViewCursorSize = 32;
inline constexpr QRgb kViewCursorColour = 0xFFF8E907;  // RGB 248, 233, 7

// The 32 x 32 ARGB picture of cursor `id`; a null image for an unknown id.
QImage ViewCursorImage(int id);
QPoint ViewCursorHotSpot(int id);
QCursor ViewCursor(int id);

// Menu 206: the view's popup "菜单" with "刷新" and "删除".
const MenuPopupResource &ViewPopupMenuResource();
