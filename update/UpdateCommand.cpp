#include "update/UpdateCommand.h"

#include <QDir>
#include <QTimer>
#include <thread>

#include "app/MainFrame.h"
#include "download/TransferShutdown.h"
#include "update/UpdateChecker.h"

namespace {

// move.sh runs from temp/ with the root folder and the absolute path of temp/.
void HandOverToUpdateScript(const FrameEnvironment &env) {
    const QString updateFolder =
        QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromLatin1(kUpdateFolder)));
    if (env.startScript)
        env.startScript(QStringLiteral("/bin/sh"),
                        {QStringLiteral("move.sh"), QStringLiteral("/"), updateFolder},
                        updateFolder);
    if (env.endProcess) env.endProcess(0);
}

}  // namespace

int OnCheckVersion(CMainFrame &frame) {
    if (updateState == 1) return 0;
    if (updateState == 0 && frame.updateTimer()) frame.updateTimer()->stop();

    const FrameEnvironment &env = frame.environment();
    if (!UpdateChecker(false, *env.prompter, env.updateServices)) return 0;
    HandOverToUpdateScript(env);
    return 0;
}

void OnUpdateTimer(CMainFrame &frame) {
    if (frame.updateTimer()) frame.updateTimer()->stop();
    if (updateState == 1) return;  // a menu check is still open
    const FrameEnvironment &env = frame.environment();
    // Marked before the thread starts, so that a menu check in between does nothing.
    updateState = 1;
    // Counted as running, so that the program ends at once rather than tear down the prompter
    // and the rest under it.
    auto running = std::make_shared<RunningTransferScope>();
    std::thread([prompter = env.prompter, services = env.updateServices, running] {
        UpdateChecker(true, *prompter, services);
    }).detach();
}
