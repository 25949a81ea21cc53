#include "view/PictureZoom.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The zoom steps: natural size among them, so that stepping always comes back to it.
constexpr std::array<qreal, 17> kScales = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3,
                                           1.0 / 2,  2.0 / 3,  1,       1.5,     2,       3,
                                           4,        6,        8,       12,      16};
constexpr qreal kSameScale = 1e-6;

}  // namespace

qreal PictureZoom::FitScale(QSize pixels, QSizeF pane) {
    if (pixels.isEmpty() || pane.isEmpty()) return 1;
    return std::min({qreal(1), pane.width() / pixels.width(), pane.height() / pixels.height()});
}

qreal PictureZoom::ScaleFor(QSize pixels, QSizeF pane) const {
    switch (mode_) {
        case Mode::Natural:
            return 1;
        case Mode::Fit:
            return FitScale(pixels, pane);
        case Mode::Zoomed:
            return scale_;
    }
    return 1;
}

void PictureZoom::ToggleFit() { Set(fitting() ? Mode::Natural : Mode::Fit, 1); }

void PictureZoom::ShowActualSize() { Set(Mode::Natural, 1); }

void PictureZoom::Step(int direction, QSize pixels, QSizeF pane) {
    const qreal now = ScaleFor(pixels, pane);
    qreal next = direction > 0 ? kScales.back() : kScales.front();
    if (direction > 0) {
        const auto above = std::find_if(kScales.begin(), kScales.end(),
                                        [now](qreal s) { return s > now + kSameScale; });
        if (above != kScales.end()) next = *above;
    } else {
        const auto below = std::find_if(kScales.rbegin(), kScales.rend(),
                                        [now](qreal s) { return s < now - kSameScale; });
        if (below != kScales.rend()) next = *below;
    }
    Set(std::abs(next - 1) < kSameScale ? Mode::Natural : Mode::Zoomed, next);
}

void PictureZoom::Set(Mode mode, qreal scale) {
    if (mode == mode_ && std::abs(scale - scale_) < kSameScale) return;
    mode_ = mode;
    scale_ = scale;
    emit changed();
}
