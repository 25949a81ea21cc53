#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>

class QWidget;

// The view's tip: one tool covering the whole view. While active, it pops up after the mouse
// rested for the initial delay and hides again after the automatic-pop delay.
class ViewTip : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultDelayMs = 1000;

    explicit ViewTip(QWidget *tool);

    void Activate(bool active);
    bool IsActive() const { return active_; }
    // A tip on screen shows the new text at once.
    void SetText(const QString &text);
    QString Text() const { return text_; }
    void SetDelays(int initialMs, int autoPopMs);

    // The mouse moved over the tool to `globalPos`: restarts the wait for the tip.
    void RelayMouseMove(const QPoint &globalPos);
    // The mouse left the tool, or the tool must not show a tip now.
    void Hide();
    // Whether this tip is on screen now.
    bool IsShown() const;

private:
    void Show();

    QWidget *tool_;
    QTimer initial_;
    bool active_ = true;
    QString text_;
    QString shownText_;
    QPoint lastPos_;
    int autoPopMs_ = kDefaultDelayMs;
};
