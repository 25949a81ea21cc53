#pragma once

#include <functional>

#include "platform/Prompter.h"

// Prompter on QMessageBox, QFileDialog and the notice dialog. Off the GUI thread a call blocks
// on a queued call to the GUI thread, and the box there has no owner. A message box without an
// owner leaves every window usable while it is open.
class QtPrompter : public Prompter {
public:
    // The notice dialog belongs to the frame: `runNotice` shows it modally, owned by its
    // argument, and says whether its box was ticked.
    explicit QtPrompter(std::function<bool(QWidget *owner)> runNotice)
        : runNotice_(std::move(runNotice)) {}

    Answer ShowMessage(QWidget *owner, const Message &message) override;
    std::optional<QString> ChooseFolder(QWidget *owner, const QString &title) override;
    bool ShowNotice(QWidget *owner) override;

private:
    std::function<bool(QWidget *owner)> runNotice_;
};
