#include "app/HeldInput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <thread>

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool HeldInput::Run(const std::function<void()> &call) {
    QEventLoop loop;
    loop_ = &loop;
    interrupted_ = false;
    holding_ = true;
    std::thread worker([&] {
        call();
        // Input flows again as soon as the call is over, also into a dialog that a timer opened
        // meanwhile and whose own loop runs inside this one.
        QMetaObject::invokeMethod(
            &loop,  // dropped with the loop when an interrupted wait has already ended
            [this, &loop] {
                holding_ = false;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    QCoreApplication::instance()->installEventFilter(this);
    // Not ExcludeUserInputEvents: it would hold the window manager's close request too.
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(this);
    worker.join();
    loop_ = nullptr;
    return !interrupted_;
}

void HeldInput::Interrupt() {
    if (!loop_) return;
    interrupted_ = true;
    holding_ = false;
    loop_->quit();
}

bool HeldInput::eventFilter(QObject *watched, QEvent *event) {
    if (holding_ && IsUserInput(event->type())) return true;
    return QObject::eventFilter(watched, event);
}
