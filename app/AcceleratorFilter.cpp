#include "app/AcceleratorFilter.h"

#include <QKeyEvent>
#include <QWidget>
#include <algorithm>

#include "resources/FrameResources.h"

AcceleratorFilter::AcceleratorFilter(QWidget *frame) : QObject(frame), frame_(frame) {}

bool AcceleratorFilter::IsSwallowedKey(const QKeyEvent &event) {
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const QKeyCombination pressed(modifiers, static_cast<Qt::Key>(event.key()));
    const auto &keys = SwallowedAcceleratorKeys();
    return std::find(keys.begin(), keys.end(), pressed) != keys.end();
}

bool AcceleratorFilter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != frame_) return false;
    return IsSwallowedKey(*static_cast<QKeyEvent *>(event));
}
