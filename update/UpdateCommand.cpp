#include "update/UpdateCommand.h"

#include <QDir>
#include <QTimer>
#include <thread>

#include "platform/TransferShutdown.h"
#include "update/UpdateChecker.h"
#include "update/UpdateCommandHost.h"

namespace {

// move.sh runs from temp/ with the root folder and the absolute path of temp/.
void HandOverToUpdateScript(UpdateCommandHost &host) {
    const QString updateFolder =
        QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromLatin1(kUpdateFolder)));
    host.StartScript(QStringLiteral("/bin/sh"),
                     {QStringLiteral("move.sh"), QStringLiteral("/"), updateFolder}, updateFolder);
    host.EndProcess(0);
}

}  // namespace

int OnCheckVersion(UpdateCommandHost &host) {
    if (updateState == 1) return 0;
    if (updateState == 0 && host.updateTimer()) host.updateTimer()->stop();

    if (!UpdateChecker(false, host.prompter(), host.updateServices())) return 0;
    HandOverToUpdateScript(host);
    return 0;
}

void OnUpdateTimer(UpdateCommandHost &host) {
    if (host.updateTimer()) host.updateTimer()->stop();
    if (updateState == 1) return;  // a menu check is still open
    // Marked before the thread starts, so that a menu check in between does nothing.
    updateState = 1;
    // Counted as running, so that the program ends at once rather than tear down the prompter
    // and the rest under it.
    auto running = std::make_shared<RunningTransferScope>();
    std::thread([prompter = &host.prompter(), services = host.updateServices(), running] {
        UpdateChecker(true, *prompter, services);
    }).detach();
}
