#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Prompter.h"

// A Prompter for tests: answers from queues, in order, and records everything it was asked.
// A question without a scripted answer is recorded as unscripted and answered Cancel / No / OK.
class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Message, Folder, Notice };
    struct Shown {
        Kind kind;
        QString text;  // message text, or the chooser's title
        QString caption;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QWidget *owner = nullptr;
        bool unscripted = false;
    };

    void QueueAnswer(Answer answer);
    void QueueFolder(std::optional<QString> folder);
    void QueueNotice(bool dontShowAgain);
    // Runs `action` while the next message box is open, before it is answered: what a timer or
    // another window may do meanwhile.
    void DuringNextMessage(std::function<void()> action);

    Answer ShowMessage(QWidget *owner, const Message &message) override;
    std::optional<QString> ChooseFolder(QWidget *owner, const QString &title) override;
    bool ShowNotice(QWidget *owner) override;

    std::vector<Shown> shown() const;
    // Texts of the shown message boxes only, in order.
    std::vector<QString> messageTexts() const;
    bool allAnswersUsed() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> folders_;
    std::deque<bool> notices_;
    std::function<void()> duringNextMessage_;
    std::vector<Shown> shown_;
};
