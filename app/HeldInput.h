#pragma once

#include <QObject>
#include <functional>

class QEventLoop;

// Runs a slow call (a service call, an update's transfers) on a thread of its own while the
// event loop goes on: the window repaints and timers tick, but no click, key or command reaches
// the program until the call is over, as while the call blocked the window. The window's close
// box still closes it.
class HeldInput : public QObject {
    Q_OBJECT
public:
    // Runs `call` and waits for it; false when Interrupt() ended the wait (the call has still
    // run to its end when this returns).
    bool Run(const std::function<void()> &call);
    bool running() const { return loop_ != nullptr; }
    // The window was closed during the call.
    void Interrupt();

protected:
    // The user's clicks, keys and wheel turns are dropped while a call runs.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QEventLoop *loop_ = nullptr;
    bool interrupted_ = false;
    bool holding_ = false;  // the call has not ended yet
};
