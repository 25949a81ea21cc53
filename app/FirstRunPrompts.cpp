#include "app/FirstRunPrompts.h"

#include "app/FrameEnvironment.h"
#include "platform/Prompter.h"

namespace {

Answer AskOnce(QWidget *owner, const FrameEnvironment &env, const QString &text) {
    return env.prompter->ShowMessage(
        owner, {text, QStringLiteral("Lumora"), Buttons::YesNoCancel, Icon::Question});
}

}  // namespace

void RunFirstRunPrompts(QWidget *owner, const FrameEnvironment &env) {
    const QString answered = QStringLiteral("1");

    if (env.settings.ReadSetting(QStringLiteral("readDoc"), 2).isEmpty()) {
        const Answer answer =
            AskOnce(owner, env, QStringLiteral("是否阅读软件说明文档？\n\n点击“取消”不再提示"));
        if (answer == Answer::Yes && env.openHelp) env.openHelp();
        if (answer == Answer::Yes || answer == Answer::Cancel)
            env.settings.WriteSetting(QStringLiteral("readDoc"), answered);
    }

    if (env.settings.ReadSetting(QStringLiteral("isLink"), 260).isEmpty()) {
        const Answer answer =
            AskOnce(owner, env, QStringLiteral("是否创建桌面快捷方式？\n\n点击“取消”不再提示"));
        if (answer == Answer::Yes && env.createLauncher)
            env.createLauncher(env.programPath ? env.programPath() : QString(),
                               env.desktopFolder ? env.desktopFolder() : QString());
        if (answer == Answer::Yes || answer == Answer::Cancel)
            env.settings.WriteSetting(QStringLiteral("isLink"), answered);
    }
}
