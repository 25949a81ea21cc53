#include "view/PictureGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

int ShownSide(int pixels, qreal scale) {
    if (pixels <= 0) return 0;
    return std::max(1, static_cast<int>(std::lround(pixels * scale)));
}

// The margin that centres `shown` device pixels in `pane`, on a whole device pixel.
qreal CentringMargin(qreal pane, int shown, qreal ratio) {
    if (pane <= 0) return 0;
    const qreal spare = std::floor(pane * ratio + 1e-9) - shown;
    return spare > 0 ? std::floor(spare / 2) / ratio : 0;
}

}  // namespace

PictureGeometry::PictureGeometry(QSize pixels, qreal ratio, qreal scale, QSizeF centredIn)
    : pixels_(pixels), ratio_(ratio > 0 ? ratio : 1) {
    if (scale <= 0) scale = 1;
    shown_ = QSize(ShownSide(pixels.width(), scale), ShownSide(pixels.height(), scale));
    offset_ = QPointF(CentringMargin(centredIn.width(), shown_.width(), ratio_),
                      CentringMargin(centredIn.height(), shown_.height(), ratio_));
}

QSizeF PictureGeometry::OnScreen() const { return QSizeF(shown_) / ratio_; }

ClickZone PictureGeometry::ZoneAt(QPoint at, int outerWidth) const {
    const QSizeF size = OnScreen();
    const qreal x = at.x() - offset_.x(), y = at.y() - offset_.y();
    if (pixels_.width() == 0 || y < 0 || y >= size.height()) return ClickZone::None;
    const qreal visible = std::min<qreal>(size.width(), outerWidth - offset_.x());
    const qreal middle = visible / 2;
    if (middle < x && x < visible) return ClickZone::Right;
    if (x <= middle && x >= 0) return ClickZone::Left;
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
    return QRectF(offset_ - QPointF(scroll) / ratio_, OnScreen());
}
