#include "support/ScriptedPrompter.h"

void ScriptedPrompter::QueueAnswer(Answer answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

void ScriptedPrompter::QueueFolder(std::optional<QString> folder) {
    std::lock_guard lock(mutex_);
    folders_.push_back(std::move(folder));
}

void ScriptedPrompter::QueueNotice(bool dontShowAgain) {
    std::lock_guard lock(mutex_);
    notices_.push_back(dontShowAgain);
}

void ScriptedPrompter::DuringNextMessage(std::function<void()> action) {
    std::lock_guard lock(mutex_);
    duringNextMessage_ = std::move(action);
}

Answer ScriptedPrompter::ShowMessage(QWidget *owner, const Message &message) {
    std::function<void()> meanwhile;
    {
        std::lock_guard lock(mutex_);
        meanwhile.swap(duringNextMessage_);
    }
    if (meanwhile) meanwhile();
    std::lock_guard lock(mutex_);
    Shown shown{Kind::Message, message.text, message.caption, message.buttons, message.icon, owner};
    Answer answer = Answer::Ok;
    if (message.buttons == Buttons::Ok) {
        answer = Answer::Ok;  // a plain box needs no script
    } else if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    } else {
        shown.unscripted = true;
        answer = message.buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
    }
    shown_.push_back(shown);
    return answer;
}

std::optional<QString> ScriptedPrompter::ChooseFolder(QWidget *owner, const QString &title) {
    std::lock_guard lock(mutex_);
    Shown shown{Kind::Folder, title, QString(), Buttons::Ok, Icon::None, owner};
    std::optional<QString> folder;
    if (!folders_.empty()) {
        folder = folders_.front();
        folders_.pop_front();
    } else {
        shown.unscripted = true;
    }
    shown_.push_back(shown);
    return folder;
}

bool ScriptedPrompter::ShowNotice(QWidget *owner) {
    std::lock_guard lock(mutex_);
    Shown shown{Kind::Notice, QString(), QString(), Buttons::Ok, Icon::None, owner};
    bool ticked = false;
    if (!notices_.empty()) {
        ticked = notices_.front();
        notices_.pop_front();
    } else {
        shown.unscripted = true;
    }
    shown_.push_back(shown);
    return ticked;
}

std::vector<ScriptedPrompter::Shown> ScriptedPrompter::shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

std::vector<QString> ScriptedPrompter::messageTexts() const {
    std::lock_guard lock(mutex_);
    std::vector<QString> texts;
    for (const Shown &s : shown_)
        if (s.kind == Kind::Message) texts.push_back(s.text);
    return texts;
}

bool ScriptedPrompter::allAnswersUsed() const {
    std::lock_guard lock(mutex_);
    return answers_.empty() && folders_.empty() && notices_.empty();
}

void ScriptedPrompter::clear() {
    std::lock_guard lock(mutex_);
    answers_.clear();
    folders_.clear();
    notices_.clear();
    shown_.clear();
}
