#pragma once

#include <QPoint>
#include <QRectF>
#include <QSize>
#include <QSizeF>

// Which half of the shown picture a point lies on.
enum class ClickZone { None, Left, Right };

// Where the shown picture lies in the view and what a point on it means. At scale 1 the picture
// is drawn with one picture pixel on one device pixel, so its size on screen, in the widget's
// coordinates, is its size in pixels divided by the device pixel ratio; at any other scale its
// pixels are that many device pixels. The scroll bars count device pixels, so that every scroll
// position puts the picture on whole device pixels. The picture is anchored top-left, or centred
// in a pane (full screen) when it is smaller than the pane.
class PictureGeometry {
public:
    // One scroll bar: its range runs from 0 to `maximum`; hidden bars have none.
    struct Bar {
        bool shown = false;
        int maximum = 0;
        int page = 0;  // the visible extent, in device pixels
        int step = 1;  // one line: a hundredth of the picture as shown, at least one pixel
    };

    // `centredIn`: the pane (widget coordinates) to centre the picture in; empty: top-left.
    PictureGeometry(QSize pixels, qreal ratio, qreal scale = 1, QSizeF centredIn = QSizeF());

    // The picture as shown, in device pixels and in the widget's coordinates.
    QSize Shown() const { return shown_; }
    QSizeF OnScreen() const;
    // The half of the picture at `at`, relative to the view's outer rectangle (its frame
    // included), which is `outerWidth` wide. The scroll positions do not count: a picture wider
    // than the window has the window's halves, a narrower one its own; below the picture and
    // right of it there is none.
    ClickZone ZoneAt(QPoint at, int outerWidth) const;
    // The bars for a viewport of `extent` in the widget's coordinates.
    Bar Horizontal(int extent) const { return BarFor(shown_.width(), extent); }
    Bar Vertical(int extent) const { return BarFor(shown_.height(), extent); }
    // Where the whole picture is drawn, in the widget's coordinates, for the bars' positions.
    QRectF Target(QPoint scroll) const;

private:
    Bar BarFor(int pixels, int extent) const;

    QSize pixels_;
    qreal ratio_;
    QSize shown_;
    QPointF offset_;  // of the picture's top-left corner when it is centred
};
