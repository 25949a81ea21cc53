#include "view/ViewTip.h"

#include <QToolTip>
#include <QWidget>

ViewTip::ViewTip(QWidget *tool) : QObject(tool), tool_(tool) {
    initial_.setSingleShot(true);
    initial_.setInterval(kDefaultDelayMs);
    connect(&initial_, &QTimer::timeout, this, &ViewTip::Show);
}

void ViewTip::Activate(bool active) {
    active_ = active;
    if (!active) Hide();
}

void ViewTip::SetDelays(int initialMs, int autoPopMs) {
    initial_.setInterval(initialMs);
    autoPopMs_ = autoPopMs;
}

void ViewTip::RelayMouseMove(const QPoint &globalPos) {
    if (!active_ || globalPos == lastPos_) return;
    lastPos_ = globalPos;
    initial_.start();
}

void ViewTip::SetText(const QString &text) {
    text_ = text;
    if (!IsShown()) return;
    QToolTip::showText(lastPos_, text_, tool_, QRect(), autoPopMs_);
    shownText_ = text_;
}

bool ViewTip::IsShown() const {
    return !shownText_.isEmpty() && QToolTip::isVisible() && QToolTip::text() == shownText_;
}

void ViewTip::Hide() {
    initial_.stop();
    if (IsShown()) QToolTip::hideText();  // never another widget's tip
    shownText_.clear();
}

void ViewTip::Show() {
    if (!active_ || text_.isEmpty() || !tool_->isVisible()) return;
    QToolTip::showText(lastPos_, text_, tool_, QRect(), autoPopMs_);
    shownText_ = text_;
}
