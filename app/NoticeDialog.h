#pragma once

#include <QDialog>

class QCheckBox;
class Prompter;
class SettingsStore;

// The notice dialog shown before a download: "程序将暂时失去响应" and the check box
// "以后不再提示". OK (the standard button text, 确定 with Qt's Chinese translation) is the only
// way out; Escape and the close box leave it open.
class NoticeDialog : public QDialog {
    Q_OBJECT
public:
    explicit NoticeDialog(QWidget *owner = nullptr);
    bool IsDontShowAgainTicked() const;

    void reject() override;  // Escape does nothing

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QCheckBox *dontShowAgain_;
    bool closingWithOk_ = false;
};

// Shows the notice dialog modally, owned by `owner`; whether its box was ticked when it closed.
bool RunNoticeDialog(QWidget *owner);

// Shows the notice through `prompter` and stores isKnown = "1" when it was closed with the box
// ticked.
void ShowNoticeDialog(Prompter &prompter, const SettingsStore &settings, QWidget *owner);
