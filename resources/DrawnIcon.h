#pragma once

#include <QIcon>
#include <QList>
#include <QSize>
#include <functional>

class QPainter;

// An icon drawn by code at the size and device pixel ratio it is shown at, so that it stays crisp
// on scaled screens instead of being enlarged from a small picture. `draw` paints the design on a
// canvas of `designSize`; `sizes` are the sizes the icon offers (window managers ask for them).
QIcon DrawnIcon(QSize designSize, std::function<void(QPainter &)> draw, QList<QSize> sizes = {});
