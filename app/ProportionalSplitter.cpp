#include "app/ProportionalSplitter.h"

#include <QResizeEvent>

namespace {
constexpr int kParts = 10000;

int MulDiv(int number, int numerator, int denominator) {
    return static_cast<int>((static_cast<long long>(number) * numerator + denominator / 2) /
                            denominator);
}
}  // namespace

ProportionalSplitter::ProportionalSplitter(int proportion, QWidget *parent)
    : QSplitter(Qt::Horizontal, parent), proportion_(proportion) {
    setChildrenCollapsible(false);
    connect(this, &QSplitter::splitterMoved, this, [this](int position) {
        const int usable = width() - handleWidth();
        if (usable > 0 && count() == 2 && widget(0)->isVisible())
            proportion_ = MulDiv(position, kParts, usable);
    });
}

int ProportionalSplitter::LeftWidthFor(int splitterWidth) const {
    const int usable = splitterWidth - handleWidth();
    return usable > 0 ? MulDiv(proportion_, usable, kParts) : 0;
}

void ProportionalSplitter::resizeEvent(QResizeEvent *event) {
    QSplitter::resizeEvent(event);
    ApplyProportion();
}

void ProportionalSplitter::ApplyProportion() {
    const int usable = width() - handleWidth();
    if (usable <= 0 || count() != 2) return;
    const int left = LeftWidthFor(width());
    setSizes({left, usable - left});
}
