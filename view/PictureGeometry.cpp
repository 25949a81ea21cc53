#include "view/PictureGeometry.h"

#include <algorithm>
#include <cmath>

PictureGeometry::PictureGeometry(QSize pixels, qreal ratio)
    : pixels_(pixels), ratio_(ratio > 0 ? ratio : 1) {}

QSizeF PictureGeometry::OnScreen() const { return QSizeF(pixels_) / ratio_; }

ClickZone PictureGeometry::ZoneAt(QPoint at, int outerWidth) const {
    const QSizeF size = OnScreen();
    if (pixels_.width() == 0 || at.y() >= size.height()) return ClickZone::None;
    const qreal visible = std::min<qreal>(size.width(), outerWidth);
    const qreal middle = visible / 2;
    if (middle < at.x() && at.x() < visible) return ClickZone::Right;
    if (at.x() <= middle) return ClickZone::Left;
    return ClickZone::None;
}

PictureGeometry::Bar PictureGeometry::BarFor(int pixels, int extent) const {
    Bar bar;
    // The device pixels the viewport covers; a part of one does not show a whole picture pixel.
    const int visible = static_cast<int>(std::floor(extent * ratio_ + 1e-9));
    bar.page = visible;
    bar.step = std::max(1, pixels / 100);
    bar.shown = extent > 0 && visible < pixels;
    bar.maximum = bar.shown ? pixels - visible : 0;
    return bar;
}

QRectF PictureGeometry::Target(QPoint scroll) const {
    return QRectF(QPointF(-scroll.x(), -scroll.y()) / ratio_, OnScreen());
}
