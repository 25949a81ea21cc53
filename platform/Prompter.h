#pragma once

#include <QString>
#include <optional>

class QWidget;

// The one seam for everything that asks the user: message boxes, the folder chooser and the
// notice dialog. The program uses QtPrompter; tests inject ScriptedPrompter.
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { None, Question, Information };
enum class Answer { Ok, Yes, No, Cancel };

struct Message {
    QString text;
    QString caption;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // Modal message box; `owner` may be null (no owner window). Callable from any thread.
    virtual Answer ShowMessage(QWidget *owner, const Message &message) = 0;

    // Folder chooser titled `title`. nullopt: cancelled. An empty string: an item was chosen
    // that has no file-system path.
    virtual std::optional<QString> ChooseFolder(QWidget *owner, const QString &title) = 0;

    // The notice dialog; closes only with OK. Returns whether "以后不再提示" was ticked.
    virtual bool ShowNotice(QWidget *owner) = 0;

    // A plain message: no caption, an OK button, no icon.
    void Tell(QWidget *owner, const QString &text) {
        ShowMessage(owner, {text, QString(), Buttons::Ok, Icon::None});
    }
};
