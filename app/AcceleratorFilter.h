#pragma once

#include <QObject>

class QKeyEvent;

// Swallows the keys of the frame's accelerator table in every widget of the frame window:
// no command takes them, so they do nothing anywhere in the main window.
class AcceleratorFilter : public QObject {
    Q_OBJECT
public:
    explicit AcceleratorFilter(QWidget *frame);
    static bool IsSwallowedKey(const QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *frame_;
};
